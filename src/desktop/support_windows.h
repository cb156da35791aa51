#pragma once
// The support windows of the main window: the about box and the preferences dialog (opened
// through the window's hooks), the log window (created at start, shown from the Help menu) and
// the help window with its commands, the help tool button and F1.
#include <QObject>

#include <filesystem>
#include <memory>

#include "desktop/about_box.h"
#include "desktop/help_library.h"
#include "desktop/preferences_dialog.h"
#include "desktop/support_host.h"

namespace cs::desktop {

class HelpWindow;
class LogWindow;

// What the dialogs need of the main window.
AboutBoxContext aboutBoxContext(SupportHost& window);
PreferencesContext preferencesContext(SupportHost& window);

// The modal about box and preferences dialog, for the window's hooks.
void openAboutBox(SupportHost& window);
void openPreferencesDialog(SupportHost& window);

// The page F1 opens for `widget`: its own "helpTopic" property (a page file) or that of a window
// around it, else the page its window's class or object name suggests, else the main window's.
std::string helpFileForWidget(const QWidget* widget);

class SupportWindows final : public QObject {
    Q_OBJECT

public:
    // Creates the hidden log window over the window's log and connects the Help menu, the help
    // tool button and F1. `helpFolder` empty: beside the program.
    explicit SupportWindows(SupportHost& window, std::filesystem::path helpFolder = {},
                            std::filesystem::path logFile = {});
    ~SupportWindows() override;

    // Shows the help window at `file` ("wizard.html"); over a modal dialog, a help window of
    // its own that the dialog does not block.
    HelpWindow& showHelp(const std::string& file);
    HelpWindow& showHelp(HelpTopic topic) { return showHelp(std::string(helpFileFor(topic))); }
    void showLog();

    // The support windows of `window`; nullptr while it has none.
    static SupportWindows* of(SupportHost& window);

    LogWindow& logWindow() { return *log_; }
    HelpWindow& helpWindow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The Help menu's entries in the active language; again after each change of language.
    void applyTexts();

    SupportHost& window_;
    QAction* showLog_ = nullptr;
    std::filesystem::path helpFolder_;
    std::unique_ptr<LogWindow> log_;
    std::unique_ptr<HelpWindow> help_;
};

} // namespace cs::desktop
