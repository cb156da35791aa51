#pragma once
// What the support windows (about box, preferences, log and help windows) need of the window
// that owns them. The main window implements it.
#include <string>
#include <string_view>

class QAction;
class QMenu;
class QUrl;
class QWidget;

namespace cs {
class DesktopShell;
class MemoryLog;
class SettingsStore;
class StoredSettings;
} // namespace cs

namespace cs::desktop {

// The entries of the window's Help menu that the help window answers, and the menu itself.
struct HelpEntries {
    QMenu* menu = nullptr;
    QAction* contents = nullptr;
    QAction* index = nullptr;
    QAction* usingHelp = nullptr;
    QAction* toolHelp = nullptr;
    QAction* about = nullptr;  // the log window's entry goes before it
};

class SupportHost {
public:
    virtual ~SupportHost() = default;

    // The window the support windows stand over.
    virtual QWidget* hostWindow() = 0;
    virtual std::string text(std::string_view key) const = 0;
    virtual StoredSettings& storedSettings() = 0;
    virtual SettingsStore& settingsStore() = 0;
    virtual DesktopShell& shell() = 0;
    virtual MemoryLog& log() = 0;
    virtual void openUrl(const QUrl& url) = 0;
    // Registers the `.dsp` type and installs the program's icon; false when a file failed.
    virtual bool registerFileType() = 0;
    // The preferences were accepted: the window follows the drag-and-drop and shortcut options.
    virtual void applyPreferences() = 0;
    virtual HelpEntries helpEntries() = 0;
};

} // namespace cs::desktop
