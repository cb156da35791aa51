#pragma once
// The program's one main window. It owns the stored settings, the working image with its
// database, the language list and the views; its widgets are built by buildMainWindowWidgets, its
// open/save/close decisions are taken by a DocumentSession, and it carries them out: questions,
// messages, the other windows, hiding in the notification area or ending the program.
#include <QElapsedTimer>
#include <QMainWindow>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/document_session.h"
#include "app/main_window_widgets.h"
#include "common/log_sink.h"
#include "database/channel_database.h"
#include "editing/start_channel_choice.h"
#include "properties/properties_request.h"
#include "database/display_texts.h"
#include "image/flash.h"
#include "lang/lang_list.h"
#include "desktop/contact_addresses.h"
#include "desktop/desktop_shell.h"
#include "desktop/support_host.h"
#include "settings/settings_store.h"
#include "settings/settings_window.h"
#include "settings/stored_settings.h"
#include "wizard/wizard_host.h"

namespace cs::views {
class ViewController;
}
namespace cs::editing {
class EditController;
}
namespace cs::reference_ui {
class ReferenceCommands;
}

class QActionGroup;
class QUrl;

namespace cs::app {

// The version shown in the caption after a load and stored with the settings.
inline constexpr std::string_view kVersionText = kProgramVersion;
using desktop::kHomePageAddress;

// Opening waits this long, so that the window is painted before a long load starts.
inline constexpr int kOpenDelayMs = 100;

// What the window's one-shot deferred timer does when it fires.
enum class DeferredAction { None, OpenPendingFile, ShowDragHint };

class MainWindow;
class DocumentCommands;
class UndoCommands;
class WindowPlacement;
struct WindowViews;

// Windows that belong to later work plug in here; an empty hook does nothing.
struct MainWindowHooks {
    std::function<void(MainWindow&, WizardMode mode)> openConnectionWizard;
    std::function<void(MainWindow&, const std::string& file)> openImageManager;  // "" without a file
    std::function<void(MainWindow&)> openPreferences;
    std::function<void(MainWindow&)> openAbout;
    std::function<void(MainWindow&)> closeFindDialog;
    // Shows the properties dialog modally; what it wrote tells the window what to refresh.
    std::function<properties::ChangeLevel(MainWindow&, const properties::PropertiesRequest&)> openProperties;
    // The favourite-list channel chooser, preset from and handing back the start channel.
    std::function<editing::StartChannelChoice(MainWindow&, const editing::StartChannelChoice& preset)> chooseStartChannel;
    // An import file (".dsx") dropped on the window while a database is shown.
    std::function<void(MainWindow&, const std::string& file)> importFile;
    // Opens an address with the desktop (home page, mail link); by default QDesktopServices.
    std::function<void(const QUrl&)> openUrl;
    // Creates the views over the widgets, database and texts of the window; empty: the window
    // runs without views (tests of the window alone).
    std::function<std::unique_ptr<WindowViews>(MainWindow&)> makeViews;
};

struct MainWindowOptions {
    std::vector<std::string> arguments;      // command line without the program name
    std::unique_ptr<SettingsStore> store;    // the one store used from loading to saving
    SettingsPlaces places;                   // start folder and program folder
    ShellPlaces shell;                       // file type and log-on registration
    std::vector<std::filesystem::path> languageFolders;  // where ".lng" files are looked up
    std::string localeName;                  // the user's locale ("pl_PL", ...)
    std::optional<bool> trayAvailable;       // nothing: ask the desktop
    MainWindowHooks hooks;

    // The options of the running program: the user's settings file and XDG folders, the working
    // folder, the executable's folder and the system locale.
    static MainWindowOptions forCurrentUser(std::vector<std::string> arguments);
};

class MainWindow final : public QMainWindow, public wizard::WizardHost, public desktop::SupportHost {
    Q_OBJECT
    // Carries out opening, saving and closing over the window's state.
    friend class DocumentCommands;

public:
    explicit MainWindow(MainWindowOptions options, QWidget* parent = nullptr);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // ---- operations other windows call
    void setModified(bool modified);
    // Another window changed the database in place (an import): the views are rebuilt from it and
    // the database is marked modified.
    void showChangedDatabase();
    void updateStatusCounts();
    void scheduleDeferred(DeferredAction action, int intervalMs);
    // Opens `file` after the deferred-open delay (a file another window received or chose).
    void openFileLater(const std::string& file) override;
    void openConnectionWizard(WizardMode mode);
    // Closes the find dialog and shows the properties dialog; None without one.
    properties::ChangeLevel openProperties(const properties::PropertiesRequest& request);
    // The favourite-list chooser for the receiver's start channel; nothing without one.
    std::optional<editing::StartChannelChoice> chooseStartChannel(const editing::StartChannelChoice& preset);
    bool canChooseStartChannel() const { return static_cast<bool>(options_.hooks.chooseStartChannel); }
    std::string browseForFolder(const std::string& title, const std::string& initialFolder) override;
    void setHooks(MainWindowHooks hooks);
    // Registers the `.dsp` type with the desktop and installs the program's icon in the user's
    // icon theme folder, so that the entry and the files show it. False when a file failed.
    bool registerFileType() override;
    // Accepts files dropped from the file manager exactly while drag and drop is not disabled
    // in the stored settings (the preferences dialog changes it at once).
    void applyDragDropOption();
    // Opens an address with the desktop (through the openUrl hook when one is set).
    void openUrl(const QUrl& url) override;

    // ---- commands
    void openWithDialog();
    void save() override;
    void saveAs();
    void exitProgram();
    void openRecentFile(int entry);  // 1..4
    void openPreferences();
    void openImageManager();
    // Without any language the language entry writes the language template and opens it.
    void writeLanguageTemplate();
    void selectLanguage(int index);
    void openAbout();
    void receiveDatabase();
    void sendDatabase();
    void updateSoftware();
    void openHomePage();
    void showFromTray();
    void runDeferredAction();
    void openPendingFile();
    // Whether the window may close; `fromWindow` is false when an open asks before replacing
    // the shown database. False also when it hid in the notification area instead.
    bool queryClose(bool fromWindow);
    void applyTexts();
    // Files dropped from the file manager (the first of a drop counts).
    // With Ctrl held, a database dropped on a shown one is compared with it instead.
    void filesDropped(const std::vector<std::string>& paths, Qt::KeyboardModifiers modifiers);
    void filesDropped(const std::vector<std::string>& paths);
    // The desktop session ends (log-off, shut-down): closing then always ends the program.
    void sessionEnding();

    // ---- state
    DocumentSession& session() { return session_; }
    const std::string& pendingFileName() const { return session_.pendingFile(); }
    const std::string& currentFileName() const override { return session_.shownFile(); }
    bool isModified() const override { return session_.modified(); }
    bool databaseLoaded() const override { return session_.loaded(); }
    int presetSatellite() const { return presetSatellite_; }
    void setPresetSatellite(int satellite) { presetSatellite_ = satellite; }
    void requestQuit() { session_.requestQuit(); }
    // Whether the desktop has a notification area (asked when first needed).
    bool trayAvailable() const;
    bool trayIconShown() const;
    DeferredAction deferredAction() const { return deferredAction_; }
    QTimer& deferredTimer() { return deferredTimer_; }

    StoredSettings& storedSettings() override { return storedSettings_; }
    Flash& flash() { return *flash_; }
    ChannelDatabase& database() { return *database_; }
    const DisplayTexts& displayTexts() const { return *texts_; }
    MemoryLog& log() override { return log_; }
    lang::LanguageList& languages() { return languages_; }
    SettingsStore& settingsStore() override { return *store_; }
    DesktopShell& shell() override { return shell_; }
    // The views and the commands attached to them; null without views.
    views::ViewController* views();
    editing::EditController* editController();
    reference_ui::ReferenceCommands* referenceCommands();
    UndoCommands& undoCommands() { return *undoCommands_; }
    const std::string& helpFile() const { return helpFile_; }

    // Text of a key in the current language.
    std::string text(std::string_view key) const override { return languages_.text(key); }

    // ---- what the connection wizard asks of the window
    QWidget* hostWindow() override { return this; }
    std::string softwareImageFile() const override { return session_.upgradeFile(); }
    void wizardClosed(bool softwareSent) override;

    // ---- what the support windows ask of the window
    void applyPreferences() override;
    desktop::HelpEntries helpEntries() override;

    // ---- widgets (handed to the views, looked at by tests)
    const MainWindowWidgets& widgets() const { return w_; }
    const MainWindowActions& actions() const { return w_.actions; }
    const MainWindowMenus& menus() const { return w_.menus; }

    // What loading and saving the settings see of this window.
    SettingsWindow& settingsWindow();
    // Repaints the node panel with the selected tree node (the views call it).
    void refreshNodePanel();
    // While the views fill the list the caption says so; afterwards it names the file again.
    void showFilling(bool filling);

signals:
    // Closing was allowed: the program ends.
    void programEnding();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectCommands();
    void connectPopupMenus();
    void startUp();
    void firstShow();
    void closed();
    void stopTimers();
    void buildLanguageMenu();
    void closeFindDialog();
    void refreshFilePanel();
    // The caption with the shown file's name and the modified marker.
    void refreshTitle();
    // Widens the window to what the list's columns need (only wider: `onlyWider`).
    void fitListWidth(bool onlyWider);
    void resetViews();
    void loadSucceeded();
    void logStartupFigures();
    // A line of the start-up figures: into the log, and to stderr with CHANNELSETTINGS_TIMING set.
    void writeTimingLine(const std::string& line);

    MainWindowOptions options_;
    std::unique_ptr<SettingsStore> store_;
    DesktopShell shell_;
    MemoryLog log_;
    // Declared before the texts that read it and the views that show it.
    lang::LanguageList languages_;
    std::unique_ptr<Flash> flash_;
    std::unique_ptr<ChannelDatabase> database_;
    std::unique_ptr<DisplayTexts> texts_;
    StoredSettings storedSettings_;
    std::unique_ptr<lang::ActiveLanguageList> activeLanguages_;
    MainWindowWidgets w_;
    std::unique_ptr<WindowViews> views_;
    UndoCommands* undoCommands_ = nullptr;  // a child of the window
    DocumentSession session_;
    std::unique_ptr<DocumentCommands> documents_;

    std::string helpFile_;
    int presetSatellite_ = 0;
    bool firstShow_ = true;
    bool acceptingDrops_ = false;
    bool loadedOnce_ = false;
    bool firstListPaintPending_ = false;  // the start-up figures are logged at that paint

    QTimer deferredTimer_;
    QElapsedTimer buildClock_;  // the start-up open counts its wait from here
    DeferredAction deferredAction_ = DeferredAction::None;

    QActionGroup* languageGroup_ = nullptr;
    WindowPlacement* placement_ = nullptr;  // a child of the window
};

} // namespace cs::app
