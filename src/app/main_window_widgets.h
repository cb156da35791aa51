#pragma once
// The widgets of the main window, built in one place and handed out as typed members: every
// command as a QAction (menus, tool bar, pop-up menus, tray menu share them where they do the
// same), the menus, the tool bar, the filter bar, the tree and the list, the status panels. The
// window connects the commands to what they do; nothing here decides anything.
#include <QString>

#include <array>
#include <cstddef>

class QAction;
class QLabel;
class QListWidget;
class QMainWindow;
class QMenu;
class QSplitter;
class QStackedWidget;
class QTableView;
class QToolBar;
class QTreeWidget;

namespace cs::views {
class FilterBar;
}

namespace cs::app {

class NodePanel;

inline constexpr std::size_t kRecentFileEntries = 4;

struct MainWindowActions {
    // File
    QAction* open = nullptr;
    QAction* save = nullptr;
    QAction* saveAs = nullptr;
    QAction* importSatellites = nullptr;
    QAction* importTransponders = nullptr;
    QAction* importCaTables = nullptr;
    QAction* exportTransponders = nullptr;
    QAction* exportView = nullptr;  // the channels the list shows, as a CSV
    QAction* preferences = nullptr;
    QAction* imageManager = nullptr;
    QAction* exit = nullptr;
    QAction* recentFilesSeparator = nullptr;
    std::array<QAction*, kRecentFileEntries> recentFiles = {};
    // Edit
    QAction* cut = nullptr;
    QAction* copy = nullptr;
    QAction* paste = nullptr;
    QAction* deleteChannels = nullptr;
    QAction* selectAll = nullptr;
    QAction* orderLikeReference = nullptr;
    QAction* findDuplicates = nullptr;
    // Search
    QAction* find = nullptr;
    QAction* findNext = nullptr;
    QAction* findAll = nullptr;
    // Transmission
    QAction* connectionWizard = nullptr;
    QAction* receiveDatabase = nullptr;
    QAction* sendDatabase = nullptr;
    QAction* updateSoftware = nullptr;
    // Help
    QAction* contextHelp = nullptr;
    QAction* helpIndex = nullptr;
    QAction* helpOnHelp = nullptr;
    QAction* homePage = nullptr;
    QAction* about = nullptr;

    // Tool bar
    QAction* toolOpen = nullptr;
    QAction* toolSave = nullptr;
    QAction* toolCut = nullptr;
    QAction* toolCopy = nullptr;
    QAction* toolPaste = nullptr;
    QAction* toolDelete = nullptr;
    QAction* toolProperties = nullptr;
    QAction* toolFind = nullptr;
    QAction* toolConnectionWizard = nullptr;
    QAction* toolSendDatabase = nullptr;
    QAction* toolReceiveDatabase = nullptr;
    QAction* numberingMode = nullptr;  // checkable
    QAction* toolHelp = nullptr;
    QAction* toolWhatsThis = nullptr;

    // Pop-up menu of the channel list
    QAction* listCut = nullptr;
    QAction* listCopy = nullptr;
    QAction* listPaste = nullptr;
    QAction* listDelete = nullptr;
    QAction* listRename = nullptr;
    QAction* listSelectAll = nullptr;
    QAction* listProperties = nullptr;
    // Pop-up menu of the tree
    QAction* treeEraseChannels = nullptr;
    QAction* treeCreateList = nullptr;
    QAction* treeDeleteList = nullptr;
    QAction* treeRename = nullptr;
    QAction* treeProperties = nullptr;
    // Menu of the notification-area icon
    QAction* trayOpen = nullptr;
    QAction* trayHomePage = nullptr;
    QAction* trayConnectionWizard = nullptr;
    QAction* trayExit = nullptr;
};

struct MainWindowMenus {
    QMenu* file = nullptr;
    QMenu* importFrom = nullptr;
    QMenu* exportTo = nullptr;
    QMenu* language = nullptr;
    QMenu* edit = nullptr;
    QMenu* search = nullptr;
    QMenu* transmission = nullptr;
    QMenu* help = nullptr;
    QMenu* listPopup = nullptr;
    QMenu* treePopup = nullptr;
    QMenu* tray = nullptr;
};

struct MainWindowWidgets {
    MainWindowActions actions;
    MainWindowMenus menus;
    QToolBar* toolBar = nullptr;
    views::FilterBar* filterBar = nullptr;
    QSplitter* splitter = nullptr;
    QTreeWidget* tree = nullptr;
    QStackedWidget* listStack = nullptr;     // shows the channel list or the settings icons
    QTableView* channelList = nullptr;
    QListWidget* settingsIcons = nullptr;
    QTableView* hiddenList = nullptr;        // the invisible second list of the editing commands
    QLabel* binHelpText = nullptr;           // help text shown over the list for the bin node
    QLabel* programIconPanel = nullptr;      // the program's icon
    NodePanel* nodePanel = nullptr;          // the selected tree node
    QLabel* filePanel = nullptr;             // the shown file and its state
    QLabel* countsPanel = nullptr;           // channel and selection counts
};

// Window size limits and the designed tree width.
inline constexpr int kMinWindowWidth = 640;
inline constexpr int kMinWindowHeight = 480;
inline constexpr int kMaxWindowWidth = 1280;
inline constexpr int kMaxWindowHeight = 1024;
inline constexpr int kTreeDesignWidth = 177;
// The data of the language menu's own entry in the File menu.
inline constexpr int kLanguageMenuTag = 65520;

// Builds every widget of `window` (menu bar, tool bars, central area, status bar); the actions
// are created without handlers, enabled and visible as the window starts.
MainWindowWidgets buildMainWindowWidgets(QMainWindow& window);

} // namespace cs::app
