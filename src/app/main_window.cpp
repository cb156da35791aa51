#include "app/main_window.h"

#include "app/file_dialogs.h"
#include "app/main_views.h"
#include "app/message_box.h"
#include "app/node_panel.h"
#include "app/startup_timing.h"
#include "app/tool_icons.h"
#include "lang/lang_template.h"
#include "lang/language_texts.h"
#include "lang/language_folders.h"
#include "lang/main_window_texts.h"
#include "settings/date_time_value.h"
#include "settings/qt_settings_store.h"
#include "settings/short_path.h"
#include "settings/xdg_dirs.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSessionManager>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QWhatsThis>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <type_traits>

namespace cs::app {

namespace {

namespace fs = std::filesystem;

// Filter of the open and save dialogs, as the receiver's users know it.
constexpr std::string_view kDspFilter = "Baza programów (*.dsp)|*.dsp";
constexpr int kTrayTipLimit = 127;
constexpr int kListWidthMargin = 24;

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string fileNamePart(const std::string& path) { return fs::path(path).filename().string(); }

std::string folderPart(const std::string& path) { return fs::path(path).parent_path().string(); }

std::string upperExtension(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

bool isExistingFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

// A typed name without any "." in its file-name part gets the database extension.
std::string withDspExtension(std::string name) {
    if (fileNamePart(name).find('.') == std::string::npos)
        name += ".dsp";
    return name;
}

// The wait cursor for the time of a long operation, restored on every way out.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// The window as the settings record sees it: bounds, state, tree width, screen and the
// recent-files entries of the File menu.
class MainSettingsWindow final : public SettingsWindow {
public:
    explicit MainSettingsWindow(TMain& window) : w_(window) {}

    WindowBounds windowBounds() const override {
        const QRect r = w_.isMaximized() || w_.isMinimized() ? w_.normalGeometry() : w_.geometry();
        return {r.x(), r.y(), r.width(), r.height()};
    }
    void setWindowBounds(const WindowBounds& b) override {
        const int width = std::clamp<int>(b.width, kMinWindowWidth, kMaxWindowWidth);
        const int height = std::clamp<int>(b.height, kMinWindowHeight, kMaxWindowHeight);
        w_.setGeometry(b.left, b.top, width, height);
    }
    WindowState windowState() const override {
        if (w_.isMinimized())
            return WindowState::minimised;
        if (w_.isMaximized())
            return WindowState::maximised;
        return WindowState::normal;
    }
    void setWindowState(WindowState state) override {
        switch (state) {
        case WindowState::minimised:
            w_.setWindowState(Qt::WindowMinimized);
            break;
        case WindowState::maximised:
            w_.setWindowState(Qt::WindowMaximized);
            break;
        case WindowState::normal:
            w_.setWindowState(Qt::WindowNoState);
            break;
        }
    }
    std::int32_t treeWidth() const override { return w_.treeView()->width(); }
    void setTreeWidth(std::int32_t width) override {
        QSplitter* splitter = w_.splitter();
        QList<int> sizes = splitter->sizes();
        const int total = std::max(sizes.value(0) + sizes.value(1), w_.width());
        const int tree = std::clamp<int>(width, 0, total);
        w_.treeView()->resize(tree, w_.treeView()->height());
        splitter->setSizes({tree, std::max(0, total - tree)});
    }
    ScreenSize screenSize() const override {
        const QScreen* screen = w_.screen();
        if (!screen)
            return {};
        const QSize size = screen->size();
        return {size.width(), size.height()};
    }
    void showRecentFilesSeparator() override {
        if (QAction* separator = w_.action("N1"))
            separator->setVisible(true);
    }
    void setRecentFileEntry(int slot, std::string_view caption) override {
        if (slot < 1 || slot > static_cast<int>(kRecentFileCount))
            return;
        if (QAction* entry = w_.action(QStringLiteral("F_Name%1").arg(slot, 2, 10, QLatin1Char('0')).toStdString())) {
            entry->setText(qs(caption));
            entry->setVisible(true);
        }
    }

private:
    TMain& w_;
};

} // namespace

// ---------------------------------------------------------------- options

MainWindowOptions MainWindowOptions::forCurrentUser(std::vector<std::string> arguments) {
    MainWindowOptions options;
    options.arguments = std::move(arguments);
    options.store = QtSettingsStore::forCurrentUser();
    std::error_code ec;
    options.places.startFolder = fs::current_path(ec).string();
    std::string programFolder = lang::programFolder().string();
    if (!programFolder.empty() && programFolder.back() != '/')
        programFolder += '/';
    options.places.programFolder = programFolder;
    options.shell = ShellPlaces::fromEnvironment(currentExecutablePath());
    options.languageFolders = {lang::programFolder(), lang::userLanguageFolder()};
    options.localeName = QLocale::system().name().toStdString();
    return options;
}

// ---------------------------------------------------------------- construction

TMain::TMain(MainWindowOptions options, QWidget* parent)
    : QMainWindow(parent),
      options_(std::move(options)),
      store_(std::move(options_.store)),
      shell_(options_.shell),
      flash_(std::make_unique<Flash>(log_)),
      database_(std::make_unique<ChannelDatabase>(*flash_)),
      texts_(std::make_unique<DisplayTexts>(*database_, languageTexts(languages_))),
      settingsWindow_(std::make_unique<MainSettingsWindow>(*this)) {
    if (!store_)
        store_ = QtSettingsStore::forCurrentUser();
    database_->setBusyHook([](bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
    setObjectName(QStringLiteral("Main"));
    setWindowIcon(applicationIcon());
    setMinimumSize(kMinWindowWidth, kMinWindowHeight);
    setMaximumSize(kMaxWindowWidth, kMaxWindowHeight);
    resize(kMinWindowWidth, kMinWindowHeight);
    trayAvailable_ = options_.trayAvailable.value_or(QSystemTrayIcon::isSystemTrayAvailable());

    timer1_.setObjectName(QStringLiteral("Timer1"));
    connect(&timer1_, &QTimer::timeout, this, &TMain::Timer1Timer);
    timer2_.setObjectName(QStringLiteral("Timer2"));
    timer2_.setInterval(300);

    buildActions();
    buildMenus();
    buildToolBars();
    buildCentralArea();
    buildStatusBar();
    buildTray();
    if (options_.hooks.makeViews)
        views_ = options_.hooks.makeViews(*this);

    // Construction fills TReg from the store; the start-up file it chooses becomes pending.
    reg_.Load(*store_, *settingsWindow_, options_.places, pendingFileName_);
    if (QAction* numbering = action("ToolButton26"))
        numbering->setChecked(reg_.flag(RegFlag::numberingMode));

    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
            SessionEnding();
            if (isVisible() && !quitRequested_ && isModified_)
                manager.cancel();
        });

    FormCreate();
}

TMain::~TMain() {
    FormDestroy();
    // Destroying the main window writes the settings back; failures are not reported.
    reg_.Save(*store_, *settingsWindow_, shell_, dateTimeValue(currentLocalDateTime()));
    views_.reset();
}

void TMain::setHooks(MainWindowHooks hooks) {
    auto makeViews = std::move(options_.hooks.makeViews);
    options_.hooks = std::move(hooks);
    if (!options_.hooks.makeViews)
        options_.hooks.makeViews = std::move(makeViews);
}

QAction* TMain::action(std::string_view component) const {
    return findChild<QAction*>(qs(component));
}

QMenu* TMain::menu(std::string_view component) const { return findChild<QMenu*>(qs(component)); }

QToolButton* TMain::dropDownButton(int number) const {
    return number >= 1 && number <= 5 ? dropDown_[number - 1] : nullptr;
}

QLabel* TMain::statusPanel(int panel) const {
    switch (panel) {
    case 0:
        return status0_;
    case 2:
        return status2_;
    case 3:
        return status3_;
    default:
        return nullptr;
    }
}

bool TMain::trayIconShown() const { return trayIcon_ && trayIcon_->isVisible(); }

void TMain::buildActions() {
    auto make = [this](const char* name, auto handler, QKeySequence shortcut = {}) {
        auto* a = new QAction(QString::fromLatin1(name), this);
        a->setObjectName(QString::fromLatin1(name));
        if (!shortcut.isEmpty())
            a->setShortcut(shortcut);
        if constexpr (!std::is_same_v<decltype(handler), std::nullptr_t>)
            connect(a, &QAction::triggered, this, handler);
        return a;
    };
    const auto nothing = nullptr;

    // File
    make("Otworz1", [this] { Otworz1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_O));
    make("Zapisz1", [this] { Zapisz1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_Z))->setEnabled(false);
    make("Zapiszjako1", [this] { Zapiszjako1Click(); })->setEnabled(false);
    make("ListSatCoDX1", nothing)->setEnabled(false);
    make("Listtransponder1", nothing)->setEnabled(false);
    make("TabeleECMw1", nothing);
    make("Listtransponderw1", nothing)->setVisible(false);
    make("Preferencje1", [this] { Preferencje1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_P));
    make("ImageManager", [this] { ImageManagerClick(); });
    make("Wyjcie1", [this] { Wyjcie1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_N));
    for (int tag = 1; tag <= static_cast<int>(kRecentFileCount); ++tag) {
        const QByteArray name = QStringLiteral("F_Name%1").arg(tag, 2, 10, QLatin1Char('0')).toLatin1();
        QAction* entry = make(name.constData(), [this, tag] { F_NameSClick(tag); });
        entry->setData(tag);
        entry->setVisible(false);
    }
    // Edit, Search: the commands of the editing work; they stay in place meanwhile.
    make("Przenie1", nothing, QKeySequence(Qt::CTRL | Qt::Key_X));
    make("Kopiuj1", nothing, QKeySequence(Qt::CTRL | Qt::Key_C));
    make("Wklej1", nothing, QKeySequence(Qt::CTRL | Qt::Key_V));
    make("Usu2", nothing, QKeySequence(Qt::Key_Delete));
    make("Zaznaczwszystko1", nothing, QKeySequence(Qt::CTRL | Qt::Key_A));
    make("Znajd1", nothing, QKeySequence(Qt::CTRL | Qt::Key_F));
    make("ZnajdNastpny1", nothing, QKeySequence(Qt::Key_F3));
    make("ZnajdWszystkie1", nothing);
    // Transmission
    make("Kreatorpoczenia1", [this] { Kreatorpoczenia1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_K));
    make("Transmission_01", [this] { Transmission_01Click(); });
    make("Transmission_02", [this] { Transmission_02Click(); })->setEnabled(false);
    make("Transmission_03", [this] { Transmission_03Click(); });
    // Help
    make("Kontekstowa1", nothing)->setVisible(false);
    make("Index1", nothing)->setVisible(false);
    make("Jakuypomocy1", nothing)->setVisible(false);
    make("TervanisHopePage1", [this] { TervanisHopePage1Click(); })->setVisible(false);
    make("About2", [this] { About2Click(); });

    // Tool bar 1
    auto tool = [&](const char* name, ToolIcon icon, auto handler) {
        QAction* a = make(name, handler);
        a->setIcon(toolIcon(icon));
        return a;
    };
    tool("ToolButton1", ToolIcon::Open, [this] { Otworz1Click(); });
    tool("ToolButton2", ToolIcon::Save, [this] { Zapisz1Click(); })->setEnabled(false);
    tool("ToolButtonCut", ToolIcon::Cut, nothing)->setEnabled(false);
    tool("ToolButtonCopy", ToolIcon::Copy, nothing)->setEnabled(false);
    tool("ToolButtonPaste", ToolIcon::Paste, nothing)->setEnabled(false);
    tool("ToolButtonDel", ToolIcon::Delete, nothing)->setEnabled(false);
    tool("ToolButtonProper", ToolIcon::Properties, nothing)->setEnabled(false);
    tool("ToolButton9", ToolIcon::Find, nothing)->setEnabled(false);
    tool("ToolButton11", ToolIcon::Wizard, [this] { Kreatorpoczenia1Click(); });
    tool("ToolButton20", ToolIcon::SendDatabase, [this] { Transmission_02Click(); })->setEnabled(false);
    tool("ToolButton22", ToolIcon::ReceiveDatabase, [this] { Transmission_01Click(); });
    tool("ToolButton26", ToolIcon::Numbering, nothing)->setCheckable(true);
    tool("ToolButton21", ToolIcon::Help, nothing)->setVisible(false);
    QAction* helpCursor = tool("ToolButton24", ToolIcon::HelpCursor, [] { QWhatsThis::enterWhatsThisMode(); });
    helpCursor->setVisible(false);

    // Pop-up menus of the list and the tree, and the tray menu.
    for (const char* name : {"PopCut", "PopCopy", "PopPaste", "PopDelete", "Zmienazw1", "Zaznaczwszystkp1",
                             "Waciwoci2", "Usuprogramy1", "Tworznowlist1", "Usulist1", "Zmian1", "Waciwoci1"})
        make(name, nothing);
    make("Otwrz1", [this] { PTrayIcon_01Click(); });
    make("TervanisHomePage1", [this] { OpenHomePage(); });
    make("Kreatorpoloczeniaterminalowego1", [this] { PTrayIcon_03Click(); });
    make("Zamknij1", [this] { PTrayIcon_04Click(); });
}

void TMain::buildMenus() {
    auto separator = [this](QMenu* m, const char* name) {
        QAction* s = m->addSeparator();
        s->setObjectName(QString::fromLatin1(name));
        return s;
    };
    auto topMenu = [this](const char* name) {
        QMenu* m = menuBar()->addMenu(QString::fromLatin1(name));
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        return m;
    };
    auto subMenu = [this](QMenu* parent, const char* name) {
        auto* m = new QMenu(QString::fromLatin1(name), parent);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        parent->addMenu(m);
        return m;
    };

    // Positions in each menu are those of the design (separators count): the texts are bound
    // to them.
    QMenu* file = topMenu("Plik1");
    file->addAction(action("Otworz1"));
    file->addAction(action("Zapisz1"));
    file->addAction(action("Zapiszjako1"));
    separator(file, "N4");
    QMenu* import = subMenu(file, "Importuj1");
    import->addAction(action("ListSatCoDX1"));
    import->addAction(action("Listtransponder1"));
    import->addAction(action("TabeleECMw1"));
    import->menuAction()->setVisible(false);
    QMenu* exportMenu = subMenu(file, "Exportuj1");
    exportMenu->addAction(action("Listtransponderw1"));
    exportMenu->menuAction()->setVisible(false);
    separator(file, "N5")->setVisible(false);
    file->addAction(action("Preferencje1"));
    languageMenu_ = subMenu(file, "Language");
    languageMenu_->menuAction()->setData(65520);
    separator(file, "N6");
    file->addAction(action("ImageManager"));
    separator(file, "N7");
    file->addAction(action("Wyjcie1"));
    separator(file, "N1")->setVisible(false);
    for (int tag = 1; tag <= static_cast<int>(kRecentFileCount); ++tag)
        file->addAction(action(QStringLiteral("F_Name%1").arg(tag, 2, 10, QLatin1Char('0')).toStdString()));

    QMenu* edit = topMenu("Edycja1");
    edit->addAction(action("Przenie1"));
    edit->addAction(action("Kopiuj1"));
    edit->addAction(action("Wklej1"));
    edit->addAction(action("Usu2"));
    separator(edit, "N8");
    edit->addAction(action("Zaznaczwszystko1"));

    QMenu* search = topMenu("Szukaj1");
    search->addAction(action("Znajd1"));
    search->addAction(action("ZnajdNastpny1"));
    search->addAction(action("ZnajdWszystkie1"));

    QMenu* transmission = topMenu("tRANSMISJA1");
    transmission->addAction(action("Kreatorpoczenia1"));
    transmission->addAction(action("Transmission_01"));
    transmission->addAction(action("Transmission_02"));
    transmission->addAction(action("Transmission_03"));

    QMenu* help = topMenu("About1");
    help->addAction(action("Kontekstowa1"));
    help->addAction(action("Index1"));
    help->addAction(action("Jakuypomocy1"));
    separator(help, "N9")->setVisible(false);
    help->addAction(action("TervanisHopePage1"));
    separator(help, "N10")->setVisible(false);
    separator(help, "N11")->setVisible(false);
    help->addAction(action("About2"));

    popupMenu1_ = new QMenu(this);
    popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
    for (const char* name : {"PopCut", "PopCopy", "PopPaste", "PopDelete", "Zmienazw1"})
        popupMenu1_->addAction(action(name));
    separator(popupMenu1_, "N3");
    popupMenu1_->addAction(action("Zaznaczwszystkp1"));
    separator(popupMenu1_, "N13");
    popupMenu1_->addAction(action("Waciwoci2"));
    popupMenu1_->setDefaultAction(action("PopCut"));

    popupMenu2_ = new QMenu(this);
    popupMenu2_->setObjectName(QStringLiteral("PopupMenu2"));
    for (const char* name : {"Usuprogramy1", "Tworznowlist1", "Usulist1", "Zmian1"})
        popupMenu2_->addAction(action(name));
    separator(popupMenu2_, "N2");
    popupMenu2_->addAction(action("Waciwoci1"));

    popUpTrayIcon_ = new QMenu(this);
    popUpTrayIcon_->setObjectName(QStringLiteral("PopUpTrayIcon"));
    popUpTrayIcon_->addAction(action("Otwrz1"));
    separator(popUpTrayIcon_, "N12");
    popUpTrayIcon_->addAction(action("TervanisHomePage1"));
    popUpTrayIcon_->addAction(action("Kreatorpoloczeniaterminalowego1"));
    separator(popUpTrayIcon_, "N14");
    popUpTrayIcon_->addAction(action("Zamknij1"));
    popUpTrayIcon_->setDefaultAction(action("Otwrz1"));
}

void TMain::buildToolBars() {
    toolBar1_ = addToolBar(QStringLiteral("ToolBar1"));
    toolBar1_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar1_->setMovable(false);
    toolBar1_->setIconSize(QSize(22, 22));
    toolBar1_->toggleViewAction()->setEnabled(false);
    for (const char* name : {"ToolButton1", "ToolButton2", "|", "ToolButtonCut", "ToolButtonCopy", "ToolButtonPaste",
                             "ToolButtonDel", "|", "ToolButtonProper", "ToolButton9", "|", "ToolButton11",
                             "ToolButton20", "ToolButton22", "|", "ToolButton26", "ToolButton21", "ToolButton24"}) {
        if (std::string_view(name) == "|")
            toolBar1_->addSeparator();
        else
            toolBar1_->addAction(action(name));
    }

    // ToolBar2 holds the filters of the list; it shows once a database is loaded.
    addToolBarBreak();
    toolBar2_ = addToolBar(QStringLiteral("ToolBar2"));
    toolBar2_->setObjectName(QStringLiteral("ToolBar2"));
    toolBar2_->setMovable(false);
    toolBar2_->toggleViewAction()->setEnabled(false);
    toolBar2_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (int i = 0; i < 5; ++i) {
        auto* button = new QToolButton(toolBar2_);
        button->setObjectName(QStringLiteral("DropDownBtn%1").arg(i + 1, 2, 10, QLatin1Char('0')));
        button->setPopupMode(QToolButton::MenuButtonPopup);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        QAction* placed = toolBar2_->addWidget(button);
        placed->setObjectName(button->objectName() + QStringLiteral("Place"));
        if (i == 3)
            placed->setVisible(false);  // DropDownBtn04 stays hidden
        dropDown_[i] = button;
    }
    toolBar2_->hide();
}

void TMain::buildCentralArea() {
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("Splitter"));
    splitter_->setChildrenCollapsible(false);

    treeView_ = new QTreeWidget(splitter_);
    treeView_->setObjectName(QStringLiteral("TreeView"));
    treeView_->setHeaderHidden(true);
    treeView_->setMinimumWidth(60);
    treeView_->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* right = new QWidget(splitter_);
    right->setObjectName(QStringLiteral("ListPane"));
    auto* layout = new QVBoxLayout(right);
    layout->setContentsMargins(0, 0, 0, 0);
    listStack_ = new QStackedWidget(right);
    listStack_->setObjectName(QStringLiteral("ListStack"));
    layout->addWidget(listStack_);

    listView_ = new QTableView(listStack_);
    listView_->setObjectName(QStringLiteral("ListView"));
    listView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    listView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    listView_->verticalHeader()->hide();
    listView_->setShowGrid(true);
    listView_->setWordWrap(false);
    listView_->setContextMenuPolicy(Qt::CustomContextMenu);
    listStack_->addWidget(listView_);
    listView_->viewport()->installEventFilter(this);

    settingsView_ = new QListWidget(listStack_);
    settingsView_->setObjectName(QStringLiteral("SettingsView"));
    settingsView_->setViewMode(QListView::IconMode);
    settingsView_->setIconSize(QSize(32, 32));
    settingsView_->setMovement(QListView::Static);
    settingsView_->setResizeMode(QListView::Adjust);
    listStack_->addWidget(settingsView_);

    // The invisible second list of the editing commands.
    listViewX_ = new QTableView(right);
    listViewX_->setObjectName(QStringLiteral("ListViewX"));
    listViewX_->hide();

    textListView_ = new QLabel(right);
    textListView_->setObjectName(QStringLiteral("TextListView"));
    textListView_->setWordWrap(true);
    textListView_->hide();

    // The pop-up menus come up by themselves once a database is shown; the list's only while
    // it shows channel rows.
    connect(treeView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (databaseLoaded_)
            popupMenu2_->popup(treeView_->viewport()->mapToGlobal(at));
    });
    connect(listView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (databaseLoaded_ && listStack_->currentWidget() == listView_)
            popupMenu1_->popup(listView_->viewport()->mapToGlobal(at));
    });

    splitter_->addWidget(treeView_);
    splitter_->addWidget(right);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({kTreeDesignWidth, kMinWindowWidth - kTreeDesignWidth});
    setCentralWidget(splitter_);
}

void TMain::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("Status"));
    bar->setSizeGripEnabled(true);
    status0_ = new QLabel(bar);
    status0_->setObjectName(QStringLiteral("StatusPanel0"));
    status0_->setFixedWidth(18);
    status0_->setPixmap(windowIcon().pixmap(16, 16));
    nodePanel_ = new NodePanel(bar);
    status2_ = new QLabel(bar);
    status2_->setObjectName(QStringLiteral("StatusPanel2"));
    status2_->setTextFormat(Qt::PlainText);
    status3_ = new QLabel(bar);
    status3_->setObjectName(QStringLiteral("StatusPanel3"));
    status3_->setTextFormat(Qt::PlainText);
    bar->addWidget(status0_);
    bar->addWidget(nodePanel_);
    bar->addWidget(status2_);
    bar->addWidget(status3_, 1);
}

void TMain::buildTray() {
    trayIcon_ = new QSystemTrayIcon(windowIcon(), this);
    trayIcon_->setObjectName(QStringLiteral("TrayIcon"));
    trayIcon_->setContextMenu(popUpTrayIcon_);
    connect(trayIcon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A left click shows the window; the context menu comes up by itself.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            ShowFromTray();
    });
}

// ---------------------------------------------------------------- start-up

void TMain::FormCreate() {
    // Languages: the stored choice, the list, the menu and the window's texts.
    reg_.ReadLanguageFileName(*store_);
    languages_ = lang::BuildLanguageList(options_.languageFolders, reg_.languageFileName, options_.localeName, log_);
    activeLanguages_ = std::make_unique<lang::ActiveLanguageList>(languages_);
    BuildLanguageMenu();
    ApplyMainWindowTexts();

    helpFile_ = options_.places.programFolder + "edytor.hlp";
    launchState_ = kLaunchNormal;
    currentFileName_.clear();
    CenterOnScreenChange();
    findPosition_ = -1;

    acceptingDrops_ = !reg_.flag(RegFlag::dragDropDisabled);
    setAcceptDrops(acceptingDrops_);

    ReadCommandLine();
    ScheduleTimer1(kOpenDelayMs, kTimer1OpenPendingFile);
}

void TMain::ReadCommandLine() {
    const auto& args = options_.arguments;
    if (args.empty())
        return;
    if (args.front() == kAutorunArgument)
        QMainWindow::setWindowState(QMainWindow::windowState() | Qt::WindowMinimized);
    if (isExistingFile(args.front()) && upperExtension(args.front()) == ".DSP") {
        launchState_ = kLaunchWithFile;
        pendingFileName_ = args.front();
    }
}

void TMain::CenterOnScreenChange() {
    const ScreenSize screen = settingsWindow_->screenSize();
    if (screen.width <= 0 || screen.height <= 0)
        return;
    if (screen.width == reg_.screenWidth && screen.height == reg_.screenHeight)
        return;
    Centre(screen);
    if (screen.width < width() || screen.height < height())
        resize(std::min(width(), screen.width), std::min(height(), screen.height));
    reg_.screenWidth = screen.width;
    reg_.screenHeight = screen.height;
    centredThisRun_ = true;
}

void TMain::Centre(const ScreenSize& screen) {
    const QRect frame = frameGeometry();
    int left = (screen.width - frame.width()) / 2;
    int top = (screen.height - frame.height()) / 2 - 16;
    if (const QScreen* s = this->screen()) {
        left += s->geometry().x();
        top += s->geometry().y();
    }
    move(left, top);
}

void TMain::KeepOnScreen() {
    const QScreen* s = screen();
    if (!s)
        return;
    const QRect area = s->availableGeometry();
    QRect frame = frameGeometry();
    if (frame.right() > area.right())
        frame.moveRight(area.right());
    if (frame.bottom() > area.bottom())
        frame.moveBottom(area.bottom());
    if (frame.left() < area.left())
        frame.moveLeft(area.left());
    if (frame.top() < area.top())
        frame.moveTop(area.top());
    if (frame.topLeft() != frameGeometry().topLeft())
        move(frame.topLeft());
}

void TMain::watchScreen() {
    // A change of the screen's resolution recentres the window, as a repaint did on the
    // original platform.
    if (screenWatched_)
        return;
    if (QScreen* s = screen()) {
        connect(s, &QScreen::geometryChanged, this, [this] { CenterOnScreenChange(); });
        screenWatched_ = true;
    }
    if (QWindow* handle = windowHandle())
        connect(handle, &QWindow::screenChanged, this, [this](QScreen* s) {
            if (s)
                connect(s, &QScreen::geometryChanged, this, [this] { CenterOnScreenChange(); },
                        Qt::UniqueConnection);
            CenterOnScreenChange();
        });
}

void TMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    FormShow();
}

void TMain::FormShow() {
    if (firstShow_) {
        firstShow_ = false;
        SetModified(false);
        UpdateStatusCounts();
        if (views_) {
            views_->BuildColumns();
            // The window is as wide as the list's columns need.
            const int listLeft = treeView_->width() + splitter_->handleWidth();
            resize(std::clamp(listLeft + views_->listWidth() + kListWidthMargin, kMinWindowWidth, kMaxWindowWidth),
                   height());
            views_->FillCodingSystemMenu();
            // A window centred at start stays centred at its new width.
            if (centredThisRun_)
                Centre(settingsWindow_->screenSize());
        }
        // Whatever was stored, the window starts where it can be seen whole.
        KeepOnScreen();
        watchScreen();
    }
    if (trayIcon_)
        trayIcon_->hide();
}

void TMain::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    CloseFindDialog();
}

void TMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    status2_->setFixedWidth(std::max(0, width() - kStatusPanel2Reserve));
}

// ---------------------------------------------------------------- texts and languages

void TMain::BuildLanguageMenu() {
    languageMenu_->clear();
    delete languageGroup_;
    languageGroup_ = new QActionGroup(this);
    languageGroup_->setExclusive(true);
    const auto& entries = languages_.entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        auto* item = new QAction(qs(entries[i].name()), languageMenu_);
        item->setObjectName(QStringLiteral("LanguageEntry%1").arg(i));
        item->setCheckable(true);
        item->setChecked(static_cast<int>(i) == languages_.currentIndex());
        item->setData(static_cast<int>(i));
        item->setActionGroup(languageGroup_);
        connect(item, &QAction::triggered, this, [this, i] { SelectLanguageEntry(static_cast<int>(i)); });
        languageMenu_->addAction(item);
    }
    // Without any language the item writes the template instead of opening a menu.
    QAction* languageItem = languageMenu_->menuAction();
    disconnect(languageItem, &QAction::triggered, this, nullptr);
    if (entries.empty())
        connect(languageItem, &QAction::triggered, this, &TMain::LanguageClick);
}

void TMain::ApplyMainWindowTexts() {
    auto text = [this](std::string_view key, std::string_view fixed) {
        return key.empty() ? qs(fixed) : qs(Lang(key));
    };
    setWindowTitle(databaseLoaded_ ? qs(Lang(lang::kTitleKey) + "  " + std::string(kVersionText))
                                   : qs(Lang(lang::kTitleKey)));
    for (const auto& item : lang::kMainMenuTexts)
        if (QAction* a = action(item.component))
            a->setText(text(item.key, item.fixed));
    // The filter menus of ToolBar2, the tree's nodes and the list's columns belong to the views.
    for (const auto& item : lang::kPopupMenuTexts)
        if (QAction* a = action(item.component))
            a->setText(text(item.key, item.fixed));
    for (const auto& hint : lang::kToolButtonHints) {
        const QString tip = text(hint.key, hint.fixed);
        if (QAction* a = action(hint.component)) {
            a->setToolTip(tip);
            a->setIconText(tip);
        } else if (auto* button = findChild<QToolButton*>(qs(hint.component))) {
            button->setToolTip(tip);
        }
    }
    if (views_)
        views_->ApplyTexts();
    if (trayIcon_)
        trayIcon_->setToolTip(qs(Lang(lang::kTitleKey)).left(kTrayTipLimit));
    RefreshStatusPanel2();
}

void TMain::SelectLanguageEntry(int index) {
    if (!lang::SelectLanguageEntry(languages_, index, reg_.languageFileName))
        return;
    // The choice takes effect at once and is stored with the settings at exit.
    languages_.setCurrent(index);
    for (QAction* item : languageMenu_->actions())
        item->setChecked(item->data().toInt() == index);
    ApplyMainWindowTexts();
}

void TMain::LanguageClick() {
    if (!languages_.entries().empty())
        return;
    const fs::path path = lang::languageTemplatePath();
    std::string error;
    if (!lang::WriteLanguageTemplate(path, error)) {
        messageBox(error, Lang("TextError"), kMbStopOk, this);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path.string())));
}

// ---------------------------------------------------------------- state and status

void TMain::SetModified(bool modified) {
    isModified_ = modified;
    action("Zapisz1")->setEnabled(modified);
    action("Zapiszjako1")->setEnabled(databaseLoaded_);
    action("ToolButton2")->setEnabled(modified);
    if (!(views_ && views_->bulkUpdate()))
        RefreshStatusPanel2();
}

void TMain::RefreshStatusPanel2() {
    if (!databaseLoaded_) {
        status2_->clear();
        return;
    }
    std::string text = pendingFileName_ + " (" + Lang("TextOpen") + ")";
    if (isModified_)
        text += " (" + Lang("TextFileChanged") + ")";
    status2_->setText(qs(text));
    status2_->setToolTip(qs(text));
}

void TMain::UpdateStatusCounts() {
    if (views_)
        views_->UpdateStatusCounts();
    else
        status3_->setText(QStringLiteral(" () "));
}

void TMain::refreshNodePanel() {
    if (views_)
        nodePanel_->setNode(views_->selectedNodeIcon(), views_->selectedNodeText());
    else
        nodePanel_->setNode({}, {});
}

void TMain::ScheduleTimer1(int intervalMs, int tag) {
    timer1_.stop();
    timer1_.setInterval(intervalMs);
    timer1Tag_ = tag;
    timer1_.start();
}

void TMain::Timer1Timer() {
    const int tag = timer1Tag_;
    // Disarmed before the action, so that an action which arms it again (a dialog that asks for
    // another file to be opened) keeps its request.
    timer1_.stop();
    timer1Tag_ = 0;
    if (tag == kTimer1OpenPendingFile)
        OpenPendingFile();
}

// ---------------------------------------------------------------- opening

void TMain::OpenPendingFile() {
    timer1_.stop();
    if (pendingFileName_.empty())
        return;
    tag_ = -1;
    if (!FormCloseQuery(false)) {
        // Cancel keeps the shown database and forgets the request.
        pendingFileName_ = currentFileName_;
        return;
    }

    OpenResult result = OpenResult::NoFile;
    {
        BusyCursor busy;
        setWindowTitle(qs(Lang("TextLoading") + " " + pendingFileName_));
        log_.clear();
        result = flash_->openImage(pendingFileName_);
        logf(log_, "Error: %d", static_cast<int>(result));
        setWindowTitle(qs(Lang(lang::kTitleKey) + "  " + std::string(kVersionText)));
    }

    const bool firstRun = !reg_.settingsFound;
    reg_.settingsFound = true;
    const int launchedAs = launchState_;
    launchState_ = kLaunchNormal;

    if (firstRun) {
        // The first run registers the file type and starts the connection wizard whatever the
        // file was. A database the user named on the command line (a double-click on it) is
        // still shown afterwards; the start-up default is not.
        RegisterFileType();
        OpenConnectionWizard(kWizardFirstRun);
        if (!(launchedAs == kLaunchWithFile && result == OpenResult::Loaded)) {
            pendingFileName_ = currentFileName_;
            RefreshStatusPanel2();
            return;
        }
    }
    if (result == OpenResult::Loaded) {
        LoadSucceeded();
        return;
    }

    // Whatever else happened, the shown database and its file name stay; a save can never go
    // to the file that failed to load or was handed to another window.
    const std::string file = pendingFileName_;
    pendingFileName_ = currentFileName_;
    std::string error;
    switch (result) {
    case OpenResult::NoFile:
        if (std::any_of(reg_.recentFiles.begin(), reg_.recentFiles.end(),
                               [](const std::string& f) { return !f.empty(); })) {
            error = Lang("MsgFile") + " " + fileNamePart(file) + " " + Lang("MsgFileNotExisting");
        }
        break;
    case OpenResult::Software:
        if (launchedAs == kLaunchWithFile)
            launchState_ = kLaunchSoftwareHandedOver;
        upgradeFileName_ = file;
        OpenConnectionWizard(kWizardSoftware);
        break;
    case OpenResult::PictureStore:
        CloseFindDialog();
        if (options_.hooks.openImageManager)
            options_.hooks.openImageManager(*this, file);
        break;
    default:
        error = Lang("MsgFile") + " " + fileNamePart(file) + " " + Lang("MSgFileNotCorrectFormatBase");
        break;
    }
    if (!error.empty())
        messageBox(error, Lang("MsgErrorFile"), kMbStopOk, this);
    RefreshStatusPanel2();
}

void TMain::LoadSucceeded() {
    firstListPaintPending_ = !loadedOnce_;
    loadedOnce_ = true;
    action("ToolButton20")->setEnabled(true);
    action("Transmission_02")->setEnabled(true);
    toolBar2_->show();
    currentFileName_ = pendingFileName_;
    ResetViews();
    databaseLoaded_ = true;
    if (views_) {
        views_->setDatabaseLoaded(true);
        views_->SetListMode(1);
    }
    SetModified(false);
    if (views_)
        views_->FillChannelList();
    refreshNodePanel();
}

void TMain::ResetViews() {
    databaseLoaded_ = false;
    if (views_) {
        views_->setDatabaseLoaded(false);
        views_->ResetViews();
    }
    if (!currentFileName_.empty())
        reg_.AddRecentFile(currentFileName_, *settingsWindow_);
}

void TMain::Otworz1Click() {
    CloseFindDialog();
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.filter = std::string(kDspFilter);
    request.initialFolder = reg_.loadFolder;
    request.defaultExtension = "*.dsp";
    request.fileMustExist = true;
    request.parent = this;
    chosenFileName_ = fileDialogs().run(request).value_or(std::string());
    if (!chosenFileName_.empty())
        reg_.loadFolder = folderPart(chosenFileName_);
    OpenChosenFile();
}

void TMain::OpenChosenFile() {
    if (chosenFileName_.empty())
        return;
    chosenFileName_ = withDspExtension(chosenFileName_);
    if (chosenFileName_ == currentFileName_ &&
        messageBox(Lang("MsgFileCurrentFileIsOpen"), Lang("MsgErrorFile"), kMbQuestionYesNo, this) == kIdNo)
        return;
    if (isExistingFile(chosenFileName_)) {
        pendingFileName_ = chosenFileName_;
        ScheduleTimer1(kOpenDelayMs, kTimer1OpenPendingFile);
    } else {
        messageBox(Lang("MsgFileNotExisting"), Lang("MsgErrorFile"), kMbStopOk, this);
    }
}

void TMain::F_NameSClick(int tag) {
    if (tag < 1 || tag > static_cast<int>(kRecentFileCount))
        return;
    const std::string& entry = reg_.recentFiles[static_cast<std::size_t>(tag - 1)];
    if (entry == currentFileName_)
        return;
    CloseFindDialog();
    chosenFileName_ = entry;
    OpenChosenFile();
}

void TMain::FilesDropped(const std::vector<std::string>& paths) {
    if (paths.empty())
        return;
    const std::string& file = paths.front();
    if (!isExistingFile(file))
        return;
    const std::string ext = upperExtension(file);
    if (ext == ".DSP") {
        pendingFileName_ = file;
        ScheduleTimer1(kOpenDelayMs, kTimer1OpenPendingFile);
    } else if (ext == ".DSX" && databaseLoaded_) {
        if (options_.hooks.importDsx)
            options_.hooks.importDsx(*this, file);
    }
}

bool TMain::eventFilter(QObject* watched, QEvent* event) {
    if (firstListPaintPending_ && event->type() == QEvent::Paint && watched == listView_->viewport()) {
        firstListPaintPending_ = false;
        // Queued, so that the figures are taken once this paint is done.
        QMetaObject::invokeMethod(this, [this] { LogStartupFigures(); }, Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMain::LogStartupFigures() {
    const std::optional<double> ms = millisecondsSinceProcessStart();
    const std::optional<long> peak = peakResidentKilobytes();
    const std::string line = format("First paint of the list: %.0f ms after the process started, %d rows, peak memory %ld KB",
                                    ms.value_or(-1.0), listView_->model() ? listView_->model()->rowCount() : 0,
                                    peak.value_or(-1L));
    log_.write(line);
    if (std::getenv("CHANNELSETTINGS_TIMING"))
        std::fprintf(stderr, "%s\n", line.c_str());
}

void TMain::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptingDrops_ && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TMain::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile().toStdString());
    FilesDropped(paths);
    event->acceptProposedAction();
}

// ---------------------------------------------------------------- saving

bool TMain::SaveTo(const std::string& path, bool keepBackup) {
    BusyCursor busy;
    return flash_->saveImage(path, keepBackup) == SaveResult::Saved;
}

bool TMain::SaveDatabase() {
    // The shown database goes back to its own file, never to one merely asked for.
    const std::string target = currentFileName_;
    if (target.empty() || !databaseLoaded_)
        return !isModified_;
    if (!isModified_)
        return true;
    if (!SaveTo(target, true)) {
        messageBox(Lang("MsgFileCantSave") + " " + target, Lang("MsgFileSaveError"), kMbStopOk, this);
        return false;
    }
    SetModified(false);
    return true;
}

void TMain::Zapisz1Click() { SaveDatabase(); }

void TMain::Zapiszjako1Click() {
    CloseFindDialog();
    if (!databaseLoaded_)
        return;
    FileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.filter = std::string(kDspFilter);
    request.initialFolder = reg_.saveFolder;
    request.defaultExtension = "dsp";
    request.overwritePrompt = false;  // asked below, in the program's words
    request.parent = this;
    const std::optional<std::string> chosen = fileDialogs().run(request);
    if (!chosen || chosen->empty())
        return;
    reg_.saveFolder = folderPart(*chosen);
    // The extension is added before the check, so an existing "name.dsp" is never replaced
    // without the question.
    const std::string name = withDspExtension(*chosen);
    if (isExistingFile(name)) {
        const std::string question = cs::format("%s '%s' %s", Lang("MsgFile").c_str(), fileNamePart(name).c_str(),
                                            Lang("MsgExistingOverwrite").c_str());
        if (messageBox(question, Lang("TextInformation"), kMbQuestionYesNo, this) == kIdNo)
            return;
    }
    pendingFileName_ = name;
    if (!SaveTo(name, false)) {
        pendingFileName_ = currentFileName_;
        messageBox(Lang("MsgFileCantSave") + " " + name, Lang("MsgFileSaveError"), kMbStopOk, this);
        RefreshStatusPanel2();
        return;
    }
    currentFileName_ = name;
    SetModified(false);
}

// ---------------------------------------------------------------- closing

bool TMain::FormCloseQuery(bool fromWindow) {
    bool canClose = true;
    if (tag_ == -1)
        quitRequested_ = true;
    tag_ = 0;
    // Without a notification area a hidden window could never be shown again, so closing
    // ends the program there.
    if (quitRequested_ || reg_.flag(RegFlag::closeEndsProgram) || !trayAvailable_) {
        quitRequested_ = false;
        if (isModified_) {
            if (fromWindow && (!isVisible() || isMinimized()))
                ShowFromTray();
            const std::string question =
                Lang("MsgSaveBaseDataToFile") + " " + fileNamePart(currentFileName_) + " ?";
            const int answer = messageBox(question, Lang("MsgSaveChanged"), kMbQuestionYesNoCancel, this);
            if (answer == kIdCancel)
                canClose = false;
            else if (answer == kIdYes)
                canClose = SaveDatabase();  // a failed save keeps the window and the changes
        }
    } else {
        HideToTray();
        canClose = false;
    }
    return canClose;
}

void TMain::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery(true)) {
        event->ignore();
        return;
    }
    event->accept();
    FormClose();
    emit programEnding();
}

void TMain::FormClose() {
    acceptingDrops_ = false;
    setAcceptDrops(false);
}

void TMain::FormDestroy() {
    if (trayIcon_)
        trayIcon_->hide();
    timer1_.stop();
    timer2_.stop();
    // The language choice is part of TReg and is written back with it.
}

void TMain::HideToTray() {
    hide();
    trayIcon_->setIcon(windowIcon());
    trayIcon_->setToolTip(qs(Lang(lang::kTitleKey)).left(kTrayTipLimit));
    trayIcon_->show();
}

void TMain::ShowFromTray() {
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void TMain::SessionEnding() {
    tag_ = -1;
    close();
}

void TMain::Wyjcie1Click() {
    tag_ = -1;
    close();
}

void TMain::PTrayIcon_01Click() { ShowFromTray(); }

void TMain::PTrayIcon_03Click() {
    ShowFromTray();
    OpenConnectionWizard(kWizardMenu);
}

void TMain::PTrayIcon_04Click() {
    tag_ = -1;
    close();
}

// ---------------------------------------------------------------- other windows

bool TMain::RegisterFileType() {
    bool iconWritten = true;
    const std::string& dataHome = shell_.places().dirs.dataHome;
    if (!dataHome.empty()) {
        for (int size : {16, 32, 48}) {
            const fs::path folder = fs::path(dataHome) / "icons/hicolor" /
                                    (std::to_string(size) + "x" + std::to_string(size)) / "apps";
            std::error_code ec;
            fs::create_directories(folder, ec);
            const fs::path file = folder / (std::string(kApplicationIconName) + ".png");
            iconWritten = windowIcon().pixmap(size, size).save(QString::fromStdString(file.string()), "PNG") &&
                          iconWritten;
        }
    }
    return shell_.registerFileType() && iconWritten;
}

void TMain::CloseFindDialog() {
    if (options_.hooks.closeFindDialog)
        options_.hooks.closeFindDialog(*this);
}

void TMain::OpenConnectionWizard(int mode) {
    CloseFindDialog();
    logf(log_, "Connection wizard, mode %d", mode);
    if (options_.hooks.openConnectionWizard)
        options_.hooks.openConnectionWizard(*this, mode);
}

std::string TMain::BrowseForFolder(const std::string& title, const std::string& initialFolder) {
    return cs::app::BrowseForFolder(this, title, initialFolder);
}

void TMain::Preferencje1Click() {
    CloseFindDialog();
    if (options_.hooks.openPreferences)
        options_.hooks.openPreferences(*this);
}

void TMain::ImageManagerClick() {
    CloseFindDialog();
    if (options_.hooks.openImageManager)
        options_.hooks.openImageManager(*this, std::string());
}

void TMain::About2Click() {
    CloseFindDialog();
    if (options_.hooks.openAbout)
        options_.hooks.openAbout(*this);
}

void TMain::Kreatorpoczenia1Click() { OpenConnectionWizard(kWizardMenu); }
void TMain::Transmission_01Click() { OpenConnectionWizard(kWizardReceiveDatabase); }
void TMain::Transmission_02Click() { OpenConnectionWizard(kWizardSendDatabase); }

void TMain::Transmission_03Click() {
    upgradeFileName_.clear();
    OpenConnectionWizard(kWizardSoftware);
}

void TMain::TervanisHopePage1Click() { OpenHomePage(); }

void TMain::OpenHomePage() {
    const QUrl url(qs(kHomePageAddress));
    if (options_.hooks.openUrl)
        options_.hooks.openUrl(url);
    else
        QDesktopServices::openUrl(url);
}

} // namespace cs::app
