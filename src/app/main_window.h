#pragma once
// TMain: the program's one main window. It owns the settings record, the working image with its
// database, the language list and the views, opens and saves database files, and decides what
// closing means (hiding in the notification area or ending the program).
#include <QMainWindow>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/log_sink.h"
#include "database/channel_database.h"
#include "database/display_texts.h"
#include "image/flash.h"
#include "lang/lang_list.h"
#include "settings/desktop_shell.h"
#include "settings/settings_store.h"
#include "settings/settings_window.h"
#include "settings/stored_settings.h"

class QAction;
class QActionGroup;
class QLabel;
class QListWidget;
class QMenu;
class QSplitter;
class QStackedWidget;
class QSystemTrayIcon;
class QTableView;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QUrl;

namespace cs::app {

class MainViews;
class NodePanel;

// The version shown in the caption after a load and stored with the settings.
inline constexpr std::string_view kVersionText = kProgramVersion;
// Contact addresses of the product (the about box and the tray menu open them).
inline constexpr std::string_view kHomePageAddress = "https://channelsettings.example.org/";
inline constexpr std::string_view kMailAddress = "support@channelsettings.example.org";

// Window size limits.
inline constexpr int kMinWindowWidth = 640;
inline constexpr int kMinWindowHeight = 480;
inline constexpr int kMaxWindowWidth = 1280;
inline constexpr int kMaxWindowHeight = 1024;
inline constexpr int kTreeDesignWidth = 177;
// Status panel 2 is as wide as the window less this.
inline constexpr int kStatusPanel2Reserve = 368;

// Timer1 tags.
inline constexpr int kTimer1OpenPendingFile = 1;
inline constexpr int kTimer1DragHint = 2;
inline constexpr int kOpenDelayMs = 100;

// Modes of the connection wizard the main window opens.
inline constexpr int kWizardMenu = 0;
inline constexpr int kWizardFirstRun = 1;
inline constexpr int kWizardReceiveDatabase = 30;
inline constexpr int kWizardSendDatabase = 46;
inline constexpr int kWizardSoftware = 62;

// launchState values.
inline constexpr int kLaunchNormal = 0;
inline constexpr int kLaunchWithFile = 1;
inline constexpr int kLaunchSoftwareHandedOver = 2;

class TMain;

// Windows that belong to later work plug in here; an empty hook does nothing.
struct MainWindowHooks {
    std::function<void(TMain&, int mode)> openConnectionWizard;
    std::function<void(TMain&, const std::string& file)> openImageManager;  // "" without a file
    std::function<void(TMain&)> openPreferences;
    std::function<void(TMain&)> openAbout;
    std::function<void(TMain&)> closeFindDialog;
    // A ".DSX" file dropped on the window while a database is shown.
    std::function<void(TMain&, const std::string& file)> importDsx;
    // Opens an address with the desktop (home page, mail link); by default QDesktopServices.
    std::function<void(const QUrl&)> openUrl;
    // Creates the views component over the widgets, database and texts of the window; empty: the
    // window runs without views (tests of the window alone).
    std::function<std::unique_ptr<MainViews>(TMain&)> makeViews;
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

class TMain final : public QMainWindow {
    Q_OBJECT

public:
    explicit TMain(MainWindowOptions options, QWidget* parent = nullptr);
    ~TMain() override;
    TMain(const TMain&) = delete;
    TMain& operator=(const TMain&) = delete;

    // ---- operations other windows call
    void SetModified(bool modified);
    void UpdateStatusCounts();
    void ScheduleTimer1(int intervalMs, int tag);
    void OpenConnectionWizard(int mode);
    std::string BrowseForFolder(const std::string& title, const std::string& initialFolder);
    void setHooks(MainWindowHooks hooks);
    // Registers the `.dsp` type with the desktop and installs the program's icon in the user's
    // icon theme folder, so that the entry and the files show it. False when a file failed.
    bool RegisterFileType();

    // ---- handlers (designer names)
    void Otworz1Click();
    void Zapisz1Click();
    void Zapiszjako1Click();
    void Wyjcie1Click();
    void F_NameSClick(int tag);
    void Preferencje1Click();
    void ImageManagerClick();
    void LanguageClick();
    void selectLanguageEntry(int index);
    void About2Click();
    void Kreatorpoczenia1Click();
    void Transmission_01Click();
    void Transmission_02Click();
    void Transmission_03Click();
    void TervanisHopePage1Click();
    void PTrayIcon_01Click();
    void PTrayIcon_03Click();
    void PTrayIcon_04Click();
    void Timer1Timer();
    void OpenPendingFile();
    // The close query; `fromWindow` is false when OpenPendingFile asks. True allows closing.
    bool FormCloseQuery(bool fromWindow);
    void CenterOnScreenChange();
    void ApplyMainWindowTexts();
    // A file dropped from the file manager (the first of a drop).
    void FilesDropped(const std::vector<std::string>& paths);
    // The desktop session ends (log-off, shut-down): closing then always ends the program.
    void SessionEnding();

    // ---- state
    const std::string& pendingFileName() const { return pendingFileName_; }
    void setPendingFileName(std::string name) { pendingFileName_ = std::move(name); }
    const std::string& currentFileName() const { return currentFileName_; }
    bool isModified() const { return isModified_; }
    bool databaseLoaded() const { return databaseLoaded_; }
    int launchState() const { return launchState_; }
    void setLaunchState(int state) { launchState_ = state; }
    int findPosition() const { return findPosition_; }
    void setFindPosition(int position) { findPosition_ = position; }
    int presetSatellite() const { return presetSatellite_; }
    void setPresetSatellite(int satellite) { presetSatellite_ = satellite; }
    void requestQuit() { tag_ = -1; }
    // The file the connection wizard sends without asking.
    const std::string& upgradeFileName() const { return upgradeFileName_; }
    void setUpgradeFileName(std::string name) { upgradeFileName_ = std::move(name); }
    bool trayAvailable() const { return trayAvailable_; }
    bool trayIconShown() const;
    int timer1Tag() const { return timer1Tag_; }
    QTimer& timer1() { return timer1_; }
    QTimer& timer2() { return timer2_; }

    StoredSettings& reg() { return reg_; }
    Flash& flash() { return *flash_; }
    ChannelDatabase& database() { return *database_; }
    const DisplayTexts& displayTexts() const { return *texts_; }
    MemoryLog& log() { return log_; }
    lang::LanguageList& languages() { return languages_; }
    SettingsStore& settingsStore() { return *store_; }
    DesktopShell& shell() { return shell_; }
    MainViews* views() { return views_.get(); }
    const std::string& helpFile() const { return helpFile_; }

    // Text of a key in the current language.
    std::string Lang(std::string_view key) const { return languages_.text(key); }

    // ---- widgets (handed to the views component, looked at by tests)
    QAction* action(std::string_view component) const;
    QMenu* menu(std::string_view component) const;
    QToolBar* toolBar1() const { return toolBar1_; }
    QToolBar* toolBar2() const { return toolBar2_; }
    QToolButton* dropDownButton(int number) const;  // DropDownBtn01..05
    QTreeWidget* treeView() const { return treeView_; }
    QTableView* listView() const { return listView_; }
    QListWidget* settingsView() const { return settingsView_; }
    QStackedWidget* listStack() const { return listStack_; }
    QLabel* textListView() const { return textListView_; }
    QSplitter* splitter() const { return splitter_; }
    QLabel* statusPanel(int panel) const;  // 0, 2, 3
    NodePanel* nodePanel() const { return nodePanel_; }
    QMenu* popupMenu1() const { return popupMenu1_; }
    QMenu* popupMenu2() const { return popupMenu2_; }
    QMenu* trayMenu() const { return popUpTrayIcon_; }
    QMenu* languageMenu() const { return languageMenu_; }

    // What loading and saving the settings see of this window.
    SettingsWindow& settingsWindow() { return *settingsWindow_; }
    // Repaints status panel 1 with the selected tree node (the views call it).
    void refreshNodePanel();

signals:
    // Closing was allowed: the program ends.
    void programEnding();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildActions();
    void buildMenus();
    void buildToolBars();
    void buildCentralArea();
    void buildStatusBar();
    void buildTray();
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy();
    void BuildLanguageMenu();
    void HideToTray();
    void ShowFromTray();
    void OpenHomePage();
    void CloseFindDialog();
    void ReadCommandLine();
    void RefreshStatusPanel2();
    void ResetViews();
    void LoadSucceeded();
    // Runs the Open steps from the check of chosenFileName on.
    void OpenChosenFile();
    // Save of the shown database (Zapisz1Click); true when it is saved or nothing was modified.
    bool SaveDatabase();
    bool SaveTo(const std::string& path, bool keepBackup);
    void watchScreen();
    void Centre(const ScreenSize& screen);
    void KeepOnScreen();
    void LogStartupFigures();

    MainWindowOptions options_;
    std::unique_ptr<SettingsStore> store_;
    DesktopShell shell_;
    MemoryLog log_;
    // Declared before the texts that read it and the views that show it.
    lang::LanguageList languages_;
    std::unique_ptr<Flash> flash_;
    std::unique_ptr<ChannelDatabase> database_;
    std::unique_ptr<DisplayTexts> texts_;
    StoredSettings reg_;
    std::unique_ptr<lang::ActiveLanguageList> activeLanguages_;
    std::unique_ptr<SettingsWindow> settingsWindow_;
    std::unique_ptr<MainViews> views_;

    std::string pendingFileName_;
    std::string currentFileName_;
    std::string chosenFileName_;
    std::string upgradeFileName_;
    std::string helpFile_;
    bool isModified_ = false;
    bool databaseLoaded_ = false;
    int launchState_ = kLaunchNormal;
    bool quitRequested_ = false;
    int tag_ = 0;
    int findPosition_ = -1;
    int presetSatellite_ = 0;
    bool firstShow_ = true;
    bool trayAvailable_ = false;
    bool acceptingDrops_ = false;
    bool screenWatched_ = false;
    bool centredThisRun_ = false;
    bool loadedOnce_ = false;
    bool firstListPaintPending_ = false;  // the start-up figures are logged at that paint

    QTimer timer1_;
    int timer1Tag_ = 0;
    QTimer timer2_;

    QToolBar* toolBar1_ = nullptr;
    QToolBar* toolBar2_ = nullptr;
    QToolButton* dropDown_[5] = {};
    QTreeWidget* treeView_ = nullptr;
    QTableView* listView_ = nullptr;
    QTableView* listViewX_ = nullptr;
    QListWidget* settingsView_ = nullptr;
    QStackedWidget* listStack_ = nullptr;
    QLabel* textListView_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QLabel* status0_ = nullptr;
    NodePanel* nodePanel_ = nullptr;
    QLabel* status2_ = nullptr;
    QLabel* status3_ = nullptr;
    QMenu* popupMenu1_ = nullptr;
    QMenu* popupMenu2_ = nullptr;
    QMenu* popUpTrayIcon_ = nullptr;
    QMenu* languageMenu_ = nullptr;
    QActionGroup* languageGroup_ = nullptr;
    QSystemTrayIcon* trayIcon_ = nullptr;
};

} // namespace cs::app
