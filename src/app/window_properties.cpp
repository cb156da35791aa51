#include "app/window_properties.h"

#include "app/main_window.h"
#include "properties/properties_dialog.h"

#include <QPointer>

namespace cs::app {

namespace {

properties::PropertiesContext contextOf(MainWindow& window) {
    properties::PropertiesContext context;
    context.database = &window.database();
    context.texts = &window.displayTexts();
    context.storedSettings = &window.storedSettings();
    context.log = &window.log();
    context.chooseStartChannel =
        [&window](const properties::StartChannel& preset) -> std::optional<properties::StartChannel> {
        editing::StartChannelChoice asked;
        asked.startList = preset.list;
        asked.startChannel = preset.channel;
        const auto choice = window.chooseStartChannel(asked);
        if (!choice || !choice->confirmed)
            return std::nullopt;
        // A confirmed choice without a row counts as no start channel.
        return properties::StartChannel{choice->startList, choice->startChannel > 0 ? choice->startChannel : -1};
    };
    context.hasStartChannelChooser = [&window] { return window.canChooseStartChannel(); };
    return context;
}

} // namespace

std::function<properties::ChangeLevel(MainWindow&, const properties::PropertiesRequest&)> makePropertiesHook() {
    // Owned by the main window (its Qt parent); the pointer clears itself when the window goes.
    QPointer<properties::PropertiesDialog> dialog;
    return [dialog](MainWindow& window, const properties::PropertiesRequest& request) mutable {
        if (!dialog)
            dialog = new properties::PropertiesDialog(contextOf(window), &window);
        return dialog->run(request);
    };
}

} // namespace cs::app
