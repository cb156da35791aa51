#pragma once
// The widgets of the main window, built in one place and handed out as typed members: every
// command as a QAction (menus, tool bar, pop-up menus, tray menu share them where they do the
// same), the menus, the tool bar, the filter bar, the tree and the list, the status panels. The
// window connects the commands to what they do; nothing here decides anything.
#include <QString>

#include "widgets/main_window_actions.h"

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

using widgets::kRecentFileEntries;
using widgets::MainWindowActions;

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
