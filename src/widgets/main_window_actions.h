#pragma once
// Every command of the main window as a QAction: the menus, the tool bar, the pop-up menus and
// the tray menu share them where they do the same. The window builds them; the editing commands
// and the support windows connect to the ones they carry out.
#include <array>
#include <cstddef>

class QAction;

namespace cs::widgets {

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
    QAction* compareWith = nullptr;  // the shown database against another file
    QAction* printView = nullptr;   // the shown view as a printed table, with a preview
    QAction* exportPdf = nullptr;   // the same table as a PDF file
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
    QAction* renameChannels = nullptr;  // find and replace in many names at once
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
    QAction* fileInformation = nullptr;  // what the shown image holds, with a chart

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

} // namespace cs::widgets
