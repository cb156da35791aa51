#include "app/main_window_widgets.h"

#include "app/node_panel.h"
#include "widgets/tool_icons.h"
#include "views/filter_bar.h"
#include "widgets/cut_text_tips.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace cs::app {

namespace {

using widgets::ToolIcon;
using widgets::toolIcon;

// Object names are only for people looking at the widget tree (and accessibility tools); the
// program reaches every widget through its typed member.
QAction* makeAction(QMainWindow& window, const char* name, QKeySequence shortcut = {}) {
    auto* a = new QAction(QString::fromLatin1(name), &window);
    a->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    return a;
}

QAction* makeTool(QMainWindow& window, const char* name, ToolIcon icon) {
    QAction* a = makeAction(window, name);
    a->setIcon(toolIcon(icon));
    return a;
}

QAction* disabled(QAction* a) {
    a->setEnabled(false);
    return a;
}

QAction* hidden(QAction* a) {
    a->setVisible(false);
    return a;
}

void buildActions(QMainWindow& w, MainWindowActions& a) {
    // File
    a.open = makeAction(w, "open", QKeySequence(Qt::CTRL | Qt::Key_O));
    a.save = disabled(makeAction(w, "save", QKeySequence(Qt::CTRL | Qt::Key_Z)));
    a.saveAs = disabled(makeAction(w, "saveAs"));
    a.importSatellites = disabled(makeAction(w, "importSatellites"));
    a.importTransponders = disabled(makeAction(w, "importTransponders"));
    a.importCaTables = makeAction(w, "importCaTables");
    a.exportTransponders = hidden(makeAction(w, "exportTransponders"));
    a.exportView = disabled(makeAction(w, "exportView"));
    a.compareWith = disabled(makeAction(w, "compareWith"));
    a.printView = disabled(makeAction(w, "printView"));  // Ctrl+P stays with the preferences
    a.exportPdf = disabled(makeAction(w, "exportPdf"));
    a.preferences = makeAction(w, "preferences", QKeySequence(Qt::CTRL | Qt::Key_P));
    a.imageManager = makeAction(w, "imageManager");
    a.exit = makeAction(w, "exit", QKeySequence(Qt::CTRL | Qt::Key_N));
    for (std::size_t i = 0; i < a.recentFiles.size(); ++i) {
        const QByteArray name = QStringLiteral("recentFile%1").arg(i + 1).toLatin1();
        a.recentFiles[i] = hidden(makeAction(w, name.constData()));
        a.recentFiles[i]->setData(static_cast<int>(i + 1));
    }
    // Edit, Search: the commands of the editing work; they stay in place meanwhile.
    a.cut = makeAction(w, "cut", QKeySequence(Qt::CTRL | Qt::Key_X));
    a.copy = makeAction(w, "copy", QKeySequence(Qt::CTRL | Qt::Key_C));
    a.paste = makeAction(w, "paste", QKeySequence(Qt::CTRL | Qt::Key_V));
    a.deleteChannels = makeAction(w, "delete", QKeySequence(Qt::Key_Delete));
    a.selectAll = makeAction(w, "selectAll", QKeySequence(Qt::CTRL | Qt::Key_A));
    a.renameChannels = disabled(makeAction(w, "renameChannels"));
    a.orderLikeReference = disabled(makeAction(w, "orderLikeReference"));
    a.findDuplicates = disabled(makeAction(w, "findDuplicates"));
    a.find = makeAction(w, "find", QKeySequence(Qt::CTRL | Qt::Key_F));
    a.findNext = makeAction(w, "findNext", QKeySequence(Qt::Key_F3));
    a.findAll = makeAction(w, "findAll");
    // Transmission
    a.connectionWizard = makeAction(w, "connectionWizard", QKeySequence(Qt::CTRL | Qt::Key_K));
    a.receiveDatabase = makeAction(w, "receiveDatabase");
    a.sendDatabase = disabled(makeAction(w, "sendDatabase"));
    a.updateSoftware = makeAction(w, "updateSoftware");
    // Help
    a.contextHelp = hidden(makeAction(w, "contextHelp"));
    a.helpIndex = hidden(makeAction(w, "helpIndex"));
    a.helpOnHelp = hidden(makeAction(w, "helpOnHelp"));
    a.homePage = hidden(makeAction(w, "homePage"));
    a.about = makeAction(w, "about");
    a.fileInformation = disabled(makeAction(w, "fileInformation"));

    // Tool bar
    a.toolOpen = makeTool(w, "toolOpen", ToolIcon::Open);
    a.toolSave = disabled(makeTool(w, "toolSave", ToolIcon::Save));
    a.toolCut = disabled(makeTool(w, "toolCut", ToolIcon::Cut));
    a.toolCopy = disabled(makeTool(w, "toolCopy", ToolIcon::Copy));
    a.toolPaste = disabled(makeTool(w, "toolPaste", ToolIcon::Paste));
    a.toolDelete = disabled(makeTool(w, "toolDelete", ToolIcon::Delete));
    a.toolProperties = disabled(makeTool(w, "toolProperties", ToolIcon::Properties));
    a.toolFind = disabled(makeTool(w, "toolFind", ToolIcon::Find));
    a.toolConnectionWizard = makeTool(w, "toolConnectionWizard", ToolIcon::Wizard);
    a.toolSendDatabase = disabled(makeTool(w, "toolSendDatabase", ToolIcon::SendDatabase));
    a.toolReceiveDatabase = makeTool(w, "toolReceiveDatabase", ToolIcon::ReceiveDatabase);
    a.numberingMode = makeTool(w, "numberingMode", ToolIcon::Numbering);
    a.numberingMode->setCheckable(true);
    a.toolHelp = hidden(makeTool(w, "toolHelp", ToolIcon::Help));
    a.toolWhatsThis = hidden(makeTool(w, "toolWhatsThis", ToolIcon::HelpCursor));

    // Pop-up menus of the list and the tree, and the tray menu.
    a.listCut = makeAction(w, "listCut");
    a.listCopy = makeAction(w, "listCopy");
    a.listPaste = makeAction(w, "listPaste");
    a.listDelete = makeAction(w, "listDelete");
    a.listRename = makeAction(w, "listRename");
    a.listSelectAll = makeAction(w, "listSelectAll");
    a.listProperties = makeAction(w, "listProperties");
    a.treeEraseChannels = makeAction(w, "treeEraseChannels");
    a.treeCreateList = makeAction(w, "treeCreateList");
    a.treeDeleteList = makeAction(w, "treeDeleteList");
    a.treeRename = makeAction(w, "treeRename");
    a.treeProperties = makeAction(w, "treeProperties");
    a.trayOpen = makeAction(w, "trayOpen");
    a.trayHomePage = makeAction(w, "trayHomePage");
    a.trayConnectionWizard = makeAction(w, "trayConnectionWizard");
    a.trayExit = makeAction(w, "trayExit");
}

QMenu* topMenu(QMainWindow& w, const char* name) {
    QMenu* m = w.menuBar()->addMenu(QString::fromLatin1(name));
    m->setObjectName(QString::fromLatin1(name));
    return m;
}

QMenu* subMenu(QMenu* parent, const char* name) {
    auto* m = new QMenu(QString::fromLatin1(name), parent);
    m->setObjectName(QString::fromLatin1(name));
    parent->addMenu(m);
    return m;
}

void add(QMenu* menu, std::initializer_list<QAction*> actions) {
    for (QAction* a : actions)
        menu->addAction(a);
}

// The entries keep their places of the first release (hidden ones included), so that a user's
// memory of the menus and any help text written for them stay right.
void buildMenus(QMainWindow& w, MainWindowActions& a, MainWindowMenus& m) {
    m.file = topMenu(w, "fileMenu");
    add(m.file, {a.open, a.save, a.saveAs, a.exportView, a.compareWith, a.printView, a.exportPdf});
    m.file->addSeparator();
    m.importFrom = subMenu(m.file, "importMenu");
    add(m.importFrom, {a.importSatellites, a.importTransponders, a.importCaTables});
    m.importFrom->menuAction()->setVisible(false);
    m.exportTo = subMenu(m.file, "exportMenu");
    add(m.exportTo, {a.exportTransponders});
    m.exportTo->menuAction()->setVisible(false);
    m.file->addSeparator()->setVisible(false);
    add(m.file, {a.preferences});
    m.language = subMenu(m.file, "languageMenu");
    m.language->menuAction()->setData(kLanguageMenuTag);
    m.file->addSeparator();
    add(m.file, {a.imageManager});
    m.file->addSeparator();
    add(m.file, {a.exit});
    a.recentFilesSeparator = m.file->addSeparator();
    a.recentFilesSeparator->setVisible(false);
    for (QAction* entry : a.recentFiles)
        m.file->addAction(entry);

    m.edit = topMenu(w, "editMenu");
    add(m.edit, {a.cut, a.copy, a.paste, a.deleteChannels});
    m.edit->addSeparator();
    add(m.edit, {a.selectAll, a.renameChannels});
    m.edit->addSeparator();
    add(m.edit, {a.orderLikeReference, a.findDuplicates});

    m.search = topMenu(w, "searchMenu");
    add(m.search, {a.find, a.findNext, a.findAll});

    m.transmission = topMenu(w, "transmissionMenu");
    add(m.transmission, {a.connectionWizard, a.receiveDatabase, a.sendDatabase, a.updateSoftware});

    m.help = topMenu(w, "helpMenu");
    add(m.help, {a.contextHelp, a.helpIndex, a.helpOnHelp});
    m.help->addSeparator()->setVisible(false);
    add(m.help, {a.homePage});
    m.help->addSeparator()->setVisible(false);
    m.help->addSeparator()->setVisible(false);
    add(m.help, {a.fileInformation, a.about});

    m.listPopup = new QMenu(&w);
    m.listPopup->setObjectName(QStringLiteral("listPopupMenu"));
    add(m.listPopup, {a.listCut, a.listCopy, a.listPaste, a.listDelete, a.listRename});
    m.listPopup->addSeparator();
    add(m.listPopup, {a.listSelectAll});
    m.listPopup->addSeparator();
    add(m.listPopup, {a.listProperties});
    m.listPopup->setDefaultAction(a.listCut);

    m.treePopup = new QMenu(&w);
    m.treePopup->setObjectName(QStringLiteral("treePopupMenu"));
    add(m.treePopup, {a.treeEraseChannels, a.treeCreateList, a.treeDeleteList, a.treeRename});
    m.treePopup->addSeparator();
    add(m.treePopup, {a.treeProperties});

    m.tray = new QMenu(&w);
    m.tray->setObjectName(QStringLiteral("trayMenu"));
    add(m.tray, {a.trayOpen});
    m.tray->addSeparator();
    add(m.tray, {a.trayHomePage, a.trayConnectionWizard});
    m.tray->addSeparator();
    add(m.tray, {a.trayExit});
    m.tray->setDefaultAction(a.trayOpen);
}

QToolBar* buildToolBar(QMainWindow& w, const MainWindowActions& a) {
    QToolBar* bar = w.addToolBar(QStringLiteral("Commands"));
    bar->setObjectName(QStringLiteral("toolBar"));
    bar->setMovable(false);
    bar->setIconSize(QSize(22, 22));
    bar->toggleViewAction()->setEnabled(false);
    for (QAction* action : {a.toolOpen, a.toolSave, static_cast<QAction*>(nullptr), a.toolCut, a.toolCopy,
                            a.toolPaste, a.toolDelete, static_cast<QAction*>(nullptr), a.toolProperties, a.toolFind,
                            static_cast<QAction*>(nullptr), a.toolConnectionWizard, a.toolSendDatabase,
                            a.toolReceiveDatabase, static_cast<QAction*>(nullptr), a.numberingMode, a.toolHelp,
                            a.toolWhatsThis}) {
        if (action)
            bar->addAction(action);
        else
            bar->addSeparator();
    }
    return bar;
}

void buildCentralArea(QMainWindow& w, MainWindowWidgets& out) {
    out.splitter = new QSplitter(Qt::Horizontal, &w);
    out.splitter->setObjectName(QStringLiteral("splitter"));
    out.splitter->setChildrenCollapsible(false);

    out.tree = new QTreeWidget(out.splitter);
    out.tree->setObjectName(QStringLiteral("tree"));
    out.tree->setHeaderHidden(true);
    out.tree->setMinimumWidth(60);
    out.tree->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* right = new QWidget(out.splitter);
    right->setObjectName(QStringLiteral("listPane"));
    auto* layout = new QVBoxLayout(right);
    layout->setContentsMargins(0, 0, 0, 0);
    out.listStack = new QStackedWidget(right);
    out.listStack->setObjectName(QStringLiteral("listStack"));
    layout->addWidget(out.listStack);

    out.channelList = new QTableView(out.listStack);
    out.channelList->setObjectName(QStringLiteral("channelList"));
    out.channelList->setSelectionBehavior(QAbstractItemView::SelectRows);
    out.channelList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    out.channelList->verticalHeader()->hide();
    out.channelList->setShowGrid(true);
    out.channelList->setWordWrap(false);
    out.channelList->setContextMenuPolicy(Qt::CustomContextMenu);
    // The last column (providers) takes what is left: a list a few pixels wider than the window
    // cuts provider names (shown whole as tool tips) instead of scrolling sideways.
    out.channelList->horizontalHeader()->setStretchLastSection(true);
    out.listStack->addWidget(out.channelList);

    out.settingsIcons = new QListWidget(out.listStack);
    out.settingsIcons->setObjectName(QStringLiteral("settingsIcons"));
    out.settingsIcons->setViewMode(QListView::IconMode);
    out.settingsIcons->setIconSize(QSize(32, 32));
    out.settingsIcons->setMovement(QListView::Static);
    out.settingsIcons->setResizeMode(QListView::Adjust);
    out.listStack->addWidget(out.settingsIcons);

    out.hiddenList = new QTableView(right);
    out.hiddenList->setObjectName(QStringLiteral("hiddenList"));
    out.hiddenList->hide();

    out.binHelpText = new QLabel(right);
    out.binHelpText->setObjectName(QStringLiteral("binHelpText"));
    out.binHelpText->setWordWrap(true);
    out.binHelpText->hide();

    // Node names and cells the tree or the list cuts show whole as tool tips.
    new widgets::CutTextTips(*out.tree);
    new widgets::CutTextTips(*out.channelList);

    out.splitter->addWidget(out.tree);
    out.splitter->addWidget(right);
    out.splitter->setStretchFactor(0, 0);
    out.splitter->setStretchFactor(1, 1);
    out.splitter->setSizes({kTreeDesignWidth, kMinWindowWidth - kTreeDesignWidth});
    w.setCentralWidget(out.splitter);
}

QLabel* statusLabel(QStatusBar* bar, const char* name) {
    auto* label = new QLabel(bar);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

void buildStatusBar(QMainWindow& w, MainWindowWidgets& out) {
    QStatusBar* bar = w.statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setSizeGripEnabled(true);
    out.programIconPanel = new QLabel(bar);
    out.programIconPanel->setObjectName(QStringLiteral("programIconPanel"));
    out.programIconPanel->setFixedWidth(18);
    out.programIconPanel->setPixmap(w.windowIcon().pixmap(16, 16));
    out.nodePanel = new NodePanel(bar);
    out.filePanel = statusLabel(bar, "filePanel");
    // As wide as its text where there is room; a narrow window cuts it (its tool tip is whole)
    // instead of growing for a long path.
    out.filePanel->setMinimumWidth(1);
    out.countsPanel = statusLabel(bar, "countsPanel");
    bar->addWidget(out.programIconPanel);
    bar->addWidget(out.nodePanel);
    bar->addWidget(out.filePanel);
    bar->addWidget(out.countsPanel, 1);
}

} // namespace

MainWindowWidgets buildMainWindowWidgets(QMainWindow& window) {
    MainWindowWidgets out;
    buildActions(window, out.actions);
    buildMenus(window, out.actions, out.menus);
    out.toolBar = buildToolBar(window, out.actions);
    // The filter bar sits on its own row; it shows once a database is loaded.
    window.addToolBarBreak();
    out.filterBar = new views::FilterBar(&window);
    window.addToolBar(out.filterBar);
    out.filterBar->hide();
    buildCentralArea(window, out);
    buildStatusBar(window, out);
    return out;
}

} // namespace cs::app
