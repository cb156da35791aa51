#include "app/import_and_image_manager.h"

#include "app/main_window_texts.h"
#include "app/undo_commands.h"
#include "undo/step_names.h"
#include "exchange/import_chooser_window.h"

namespace cs::app {

void importIntoWindow(MainWindow& window, const std::string& file) {
    const ImportResult result =
        exchange_ui::importWithChooser(file, window.database(), window.text(kTitleKey), &window);
    if (result.report.modified) {
        const std::string word = undo::languageWord([&window](std::string_view key) { return window.text(key); },
                                                    "TextImportFile");
        window.undoCommands().nameNextStep(word.empty() ? "Import" : word);
        window.showChangedDatabase();
    }
}

pictures_ui::ImageManagerHost imageManagerHost(MainWindow& window) {
    pictures_ui::ImageManagerHost host;
    host.text = [&window](std::string_view key) { return window.text(key); };
    host.settings = &window.storedSettings();
    host.log = &window.log();
    host.sendStore = [&window](const std::string& storePath) {
        window.session().setUpgradeFile(storePath);
        window.openConnectionWizard(WizardMode::SoftwareUpgrade);
    };
    host.openConnectionWizard = [&window] { window.openConnectionWizard(WizardMode::Menu); };
    return host;
}

void showImageManager(MainWindow& window, const std::string& file) {
    pictures_ui::runImageManager(imageManagerHost(window), file, &window);
}

void setImportAndImageManagerHooks(MainWindowHooks& hooks) {
    hooks.importFile = importIntoWindow;
    hooks.openImageManager = showImageManager;
}

} // namespace cs::app
