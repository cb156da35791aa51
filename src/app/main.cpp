// The desktop program: the application object, the main window and the message loop.
#include "app/import_and_image_manager.h"
#include "app/main_window.h"
#include "app/window_properties.h"
#include "app/window_views.h"
#include "common/large_pages.h"
#include "desktop/support_windows.h"
#include "editing/edit_controller.h"
#include "editing/list_chooser.h"
#include "widgets/message_box.h"
#include "wizard/connection_wizard.h"

#include <QApplication>

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Exceptions that reach the message loop are shown in the application's error box instead of
// ending the program with the user's edits.
class ChannelSettingsApplication final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            cs::widgets::messageBox(e.what(), "ChannelSettings", cs::widgets::kStopOk);
        } catch (...) {
            cs::widgets::messageBox("Unknown error", "ChannelSettings", cs::widgets::kStopOk);
        }
        return false;
    }
};

} // namespace

// The synopsis of the manual page; printed for --help before any window system is needed.
constexpr const char* kUsage =
    "usage: channelsettings [FILE.dsp]\n"
    "       channelsettings /autorun\n";

int main(int argc, char* argv[]) {
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::fputs(kUsage, stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }
    cs::useLargePagesForTheHeap();
    ChannelSettingsApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ChannelSettings"));
    QApplication::setOrganizationName(QStringLiteral("ChannelSettings"));
    // The window may hide in the notification area; the program ends when its close is allowed.
    QApplication::setQuitOnLastWindowClosed(false);

    std::vector<std::string> arguments;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i)
        arguments.push_back(args.at(i).toStdString());

    try {
        auto options = cs::app::MainWindowOptions::forCurrentUser(std::move(arguments));
        options.hooks.makeViews = cs::app::makeWindowViews;
        options.hooks.openAbout = [](cs::app::MainWindow& w) { cs::desktop::openAboutBox(w); };
        options.hooks.openPreferences = [](cs::app::MainWindow& w) { cs::desktop::openPreferencesDialog(w); };
        options.hooks.openProperties = cs::app::makePropertiesHook();
        cs::app::setImportAndImageManagerHooks(options.hooks);
        options.hooks.closeFindDialog = [](cs::app::MainWindow& w) {
            if (auto* editor = w.editController())
                editor->closeFindDialog();
        };
        options.hooks.chooseStartChannel = [](cs::app::MainWindow& w, const cs::editing::StartChannelChoice& preset) {
            return cs::editing::chooseStartChannel(&w, w.database(), w.displayTexts(), preset);
        };
        options.hooks.openConnectionWizard = cs::wizard::openConnectionWizard;
        cs::app::MainWindow window(std::move(options));
        cs::desktop::SupportWindows support(window);
        QObject::connect(&window, &cs::app::MainWindow::programEnding, &app, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        window.show();
        return app.exec();
    } catch (const std::exception& e) {
        cs::widgets::messageBox(e.what(), "ChannelSettings", cs::widgets::kStopOk);
        return 1;
    }
}
