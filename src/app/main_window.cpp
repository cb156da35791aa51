#include "app/main_window.h"

#include "app/main_window_texts.h"
#include "app/undo_commands.h"
#include "app/node_panel.h"
#include "app/startup_timing.h"
#include "app/tool_icons.h"
#include "lang/lang_template.h"
#include "lang/language_texts.h"
#include "lang/language_folders.h"
#include "settings/date_time_value.h"
#include "settings/qt_settings_store.h"
#include "settings/short_path.h"
#include "settings/xdg_dirs.h"
#include "views/filter_bar.h"
#include "views/main_views.h"
#include "widgets/busy_cursor.h"
#include "widgets/file_dialogs.h"
#include "widgets/message_box.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
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
#include <QTreeWidget>
#include <QUrl>
#include <QWhatsThis>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace cs::app {

namespace {

namespace fs = std::filesystem;
using widgets::BusyCursor;
using widgets::messageBox;
using widgets::MessageAnswer;

// Filter of the open and save dialogs, as the receiver's users know it.
constexpr std::string_view kDatabaseFilter = "Baza programów (*.dsp)|*.dsp";
// Open also takes import files, which go into the shown database.
constexpr std::string_view kOpenFilter = "Baza programów (*.dsp)|*.dsp|Plik importowy (*.dsx)|*.dsx";
constexpr int kTrayTipLimit = 127;
constexpr int kListWidthMargin = 24;

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string folderPart(const std::string& path) { return fs::path(path).parent_path().string(); }

// The window as the settings record sees it: bounds, state, tree width, screen and the
// recent-files entries of the File menu.
class WindowSettingsAdapter final : public SettingsWindow {
public:
    explicit WindowSettingsAdapter(MainWindow& window) : w_(window) {}

    // The stored settings gave the window its bounds: they win over the width the columns need.
    bool boundsRestored = false;
    // The window was minimised by a log-on start ("/autorun"), not by the user: while that
    // lasts, the state stored is the one the window had before.
    std::optional<WindowState> stateBeforeAutorun;

    WindowBounds windowBounds() const override {
        const QRect r = w_.isMaximized() || w_.isMinimized() ? w_.normalGeometry() : w_.geometry();
        return {r.x(), r.y(), r.width(), r.height()};
    }
    void setWindowBounds(const WindowBounds& b) override {
        const int width = std::clamp<int>(b.width, kMinWindowWidth, kMaxWindowWidth);
        const int height = std::clamp<int>(b.height, kMinWindowHeight, kMaxWindowHeight);
        w_.setGeometry(b.left, b.top, width, height);
        boundsRestored = true;
    }
    WindowState windowState() const override {
        if (stateBeforeAutorun)
            return *stateBeforeAutorun;
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
    std::int32_t treeWidth() const override { return w_.widgets().tree->width(); }
    void setTreeWidth(std::int32_t width) override {
        QSplitter* splitter = w_.widgets().splitter;
        QList<int> sizes = splitter->sizes();
        const int total = std::max(sizes.value(0) + sizes.value(1), w_.width());
        const int tree = std::clamp<int>(width, 0, total);
        w_.widgets().tree->resize(tree, w_.widgets().tree->height());
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
        w_.actions().recentFilesSeparator->setVisible(true);
    }
    void setRecentFileEntry(int slot, std::string_view caption) override {
        if (slot < 1 || slot > static_cast<int>(kRecentFileCount))
            return;
        QAction* entry = w_.actions().recentFiles[static_cast<std::size_t>(slot - 1)];
        entry->setText(qs(caption));
        entry->setVisible(true);
    }

private:
    MainWindow& w_;
};

WindowSettingsAdapter& adapterOf(SettingsWindow& window) { return static_cast<WindowSettingsAdapter&>(window); }

// A menu text as a tool tip: the "&" marks are for menus ("&&" stands for one "&").
QString withoutMnemonics(const QString& text) {
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            plain += text[i];
        else if (i + 1 < text.size())
            plain += text[++i];  // the marked letter, or the "&" of "&&"
    }
    return plain;
}

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

MainWindow::MainWindow(MainWindowOptions options, QWidget* parent)
    : QMainWindow(parent),
      options_(std::move(options)),
      store_(std::move(options_.store)),
      shell_(options_.shell),
      flash_(std::make_unique<Flash>(log_)),
      database_(std::make_unique<ChannelDatabase>(*flash_)),
      texts_(std::make_unique<DisplayTexts>(*database_, lang::languageTexts(languages_))),
      settingsWindow_(std::make_unique<WindowSettingsAdapter>(*this)) {
    buildClock_.start();
    if (!store_)
        store_ = QtSettingsStore::forCurrentUser();
    database_->setBusyHook(&BusyCursor::set);
    setObjectName(QStringLiteral("mainWindow"));
    setWindowIcon(applicationIcon());
    setMinimumSize(kMinWindowWidth, kMinWindowHeight);
    setMaximumSize(kMaxWindowWidth, kMaxWindowHeight);
    resize(kMinWindowWidth, kMinWindowHeight);

    deferredTimer_.setObjectName(QStringLiteral("deferredTimer"));
    // The open follows the shown window by its wait, not by the wait plus the timer's slack.
    deferredTimer_.setTimerType(Qt::PreciseTimer);
    connect(&deferredTimer_, &QTimer::timeout, this, &MainWindow::runDeferredAction);
    dragScrollTimer_.setObjectName(QStringLiteral("dragScrollTimer"));
    dragScrollTimer_.setInterval(300);

    w_ = buildMainWindowWidgets(*this);
    w_.channelList->viewport()->installEventFilter(this);
    connectCommands();
    connectPopupMenus();
    undoCommands_ = new UndoCommands(*this);
    if (options_.hooks.makeViews)
        views_ = options_.hooks.makeViews(*this);
    // Numbering mode adds the number column: the window grows so that every column shows.
    // Connected after the views, so that their columns are rebuilt first.
    connect(w_.actions.numberingMode, &QAction::triggered, this, [this] { fitListWidth(true); });

    // Loading the stored settings chooses the start-up file; it becomes pending.
    std::string startupFile;
    storedSettings_.load(*store_, *settingsWindow_, options_.places, startupFile);
    session_.requestOpen(startupFile);
    w_.actions.numberingMode->setChecked(storedSettings_.flag(settings_flags::kNumberingMode));
    undoCommands_->applyShortcuts();

    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
            sessionEnding();
            if (isVisible() && session_.modified())
                manager.cancel();
        });

    startUp();
}

MainWindow::~MainWindow() {
    if (trayIcon_)
        trayIcon_->hide();
    stopTimers();
    // Destroying the main window writes the settings back (the language choice among them);
    // failures are not reported.
    storedSettings_.save(*store_, *settingsWindow_, shell_, dateTimeValue(currentLocalDateTime()));
    views_.reset();
}

void MainWindow::setHooks(MainWindowHooks hooks) {
    auto makeViews = std::move(options_.hooks.makeViews);
    options_.hooks = std::move(hooks);
    if (!options_.hooks.makeViews)
        options_.hooks.makeViews = std::move(makeViews);
}

bool MainWindow::trayIconShown() const { return trayIcon_ && trayIcon_->isVisible(); }

bool MainWindow::trayAvailable() const {
    // Asking the desktop takes a round trip to its notification area: only when a close needs it.
    if (!trayAvailable_)
        trayAvailable_ = options_.trayAvailable.value_or(QSystemTrayIcon::isSystemTrayAvailable());
    return *trayAvailable_;
}

void MainWindow::connectCommands() {
    const MainWindowActions& a = w_.actions;
    auto on = [this](QAction* action, auto handler) { connect(action, &QAction::triggered, this, handler); };
    on(a.open, [this] { openWithDialog(); });
    on(a.save, [this] { save(); });
    on(a.saveAs, [this] { saveAs(); });
    on(a.preferences, [this] { openPreferences(); });
    on(a.imageManager, [this] { openImageManager(); });
    on(a.exit, [this] { exitProgram(); });
    for (std::size_t i = 0; i < a.recentFiles.size(); ++i)
        on(a.recentFiles[i], [this, i] { openRecentFile(static_cast<int>(i + 1)); });
    on(a.connectionWizard, [this] { openConnectionWizard(WizardMode::Menu); });
    on(a.receiveDatabase, [this] { receiveDatabase(); });
    on(a.sendDatabase, [this] { sendDatabase(); });
    on(a.updateSoftware, [this] { updateSoftware(); });
    on(a.homePage, [this] { openHomePage(); });
    on(a.about, [this] { openAbout(); });

    on(a.toolOpen, [this] { openWithDialog(); });
    on(a.toolSave, [this] { save(); });
    on(a.toolConnectionWizard, [this] { openConnectionWizard(WizardMode::Menu); });
    on(a.toolSendDatabase, [this] { sendDatabase(); });
    on(a.toolReceiveDatabase, [this] { receiveDatabase(); });
    on(a.toolWhatsThis, [] { QWhatsThis::enterWhatsThisMode(); });

    on(a.trayOpen, [this] { showFromTray(); });
    on(a.trayHomePage, [this] { openHomePage(); });
    on(a.trayConnectionWizard, [this] {
        showFromTray();
        openConnectionWizard(WizardMode::Menu);
    });
    on(a.trayExit, [this] { exitProgram(); });
}

void MainWindow::connectPopupMenus() {
    // The pop-up menus come up by themselves once a database is shown; the list's only while
    // it shows channel rows.
    connect(w_.tree, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (session_.loaded())
            w_.menus.treePopup->popup(w_.tree->viewport()->mapToGlobal(at));
    });
    connect(w_.channelList, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (session_.loaded() && w_.listStack->currentWidget() == w_.channelList)
            w_.menus.listPopup->popup(w_.channelList->viewport()->mapToGlobal(at));
    });
}

void MainWindow::buildTray() {
    if (trayIcon_)
        return;
    trayIcon_ = new QSystemTrayIcon(windowIcon(), this);
    trayIcon_->setObjectName(QStringLiteral("trayIcon"));
    trayIcon_->setContextMenu(w_.menus.tray);
    connect(trayIcon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A left click shows the window; the context menu comes up by itself.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            showFromTray();
    });
}

// ---------------------------------------------------------------- start-up

void MainWindow::startUp() {
    // Languages: the stored choice, the list, the menu and the window's texts.
    storedSettings_.readLanguageFileName(*store_);
    languages_ = lang::buildLanguageList(options_.languageFolders, storedSettings_.languageFileName, options_.localeName, log_);
    activeLanguages_ = std::make_unique<lang::ActiveLanguageList>(languages_);
    buildLanguageMenu();
    applyTexts();

    helpFile_ = options_.places.programFolder + "edytor.hlp";
    followScreenSize();
    findPosition_ = -1;

    applyDragDropOption();

    if (session_.readCommandLine(options_.arguments)) {
        WindowSettingsAdapter& adapter = adapterOf(*settingsWindow_);
        const WindowState before = adapter.windowState();
        QMainWindow::setWindowState(QMainWindow::windowState() | Qt::WindowMinimized);
        adapter.stateBeforeAutorun = before;
    }
    // Building the window counts towards the wait, so the list is not held back by it; at least
    // half the wait remains, so the window is still shown before the database loads.
    const auto spent = static_cast<int>(std::min<qint64>(buildClock_.elapsed(), kOpenDelayMs / 2));
    scheduleDeferred(DeferredAction::OpenPendingFile, kOpenDelayMs - spent);
}

void MainWindow::followScreenSize() {
    const ScreenSize screen = settingsWindow_->screenSize();
    if (screen.width <= 0 || screen.height <= 0)
        return;
    if (screen.width == storedSettings_.screenWidth && screen.height == storedSettings_.screenHeight)
        return;
    centre(screen);
    if (screen.width < width() || screen.height < height())
        resize(std::min(width(), screen.width), std::min(height(), screen.height));
    storedSettings_.screenWidth = screen.width;
    storedSettings_.screenHeight = screen.height;
    centredThisRun_ = true;
}

void MainWindow::centre(const ScreenSize& screen) {
    const QRect frame = frameGeometry();
    int left = (screen.width - frame.width()) / 2;
    int top = (screen.height - frame.height()) / 2 - 16;
    if (const QScreen* s = this->screen()) {
        left += s->geometry().x();
        top += s->geometry().y();
    }
    move(left, top);
}

void MainWindow::keepOnScreen() {
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

void MainWindow::watchScreen() {
    // A change of the screen's resolution recentres the window, as a repaint did on the
    // original platform.
    if (screenWatched_)
        return;
    if (QScreen* s = screen()) {
        connect(s, &QScreen::geometryChanged, this, [this] { followScreenSize(); });
        screenWatched_ = true;
    }
    if (QWindow* handle = windowHandle())
        connect(handle, &QWindow::screenChanged, this, [this](QScreen* s) {
            if (s)
                connect(s, &QScreen::geometryChanged, this, [this] { followScreenSize(); },
                        Qt::UniqueConnection);
            followScreenSize();
        });
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    firstShow();
}

void MainWindow::firstShow() {
    if (firstShow_) {
        firstShow_ = false;
        setModified(false);
        updateStatusCounts();
        if (views_) {
            views_->buildColumns();
            // Without stored bounds the window is as wide as the list's columns need.
            if (!adapterOf(*settingsWindow_).boundsRestored)
                fitListWidth(false);
            views_->fillCodingSystemMenu();
            // A window centred at start stays centred at its new width.
            if (centredThisRun_)
                centre(settingsWindow_->screenSize());
        }
        // Whatever was stored, the window starts where it can be seen whole.
        keepOnScreen();
        watchScreen();
        // The start-up figures note when the desktop first shows the window.
        if (QWindow* handle = windowHandle())
            handle->installEventFilter(this);
    }
    if (trayIcon_)
        trayIcon_->hide();
}

void MainWindow::fitListWidth(bool onlyWider) {
    if (!views_)
        return;
    const int listLeft = w_.tree->width() + w_.splitter->handleWidth();
    int width = std::clamp(listLeft + views_->listWidth() + kListWidthMargin, kMinWindowWidth, kMaxWindowWidth);
    if (const QScreen* s = screen())
        width = std::min(width, std::max(kMinWindowWidth, s->availableGeometry().width()));
    if (!onlyWider || width > this->width())
        resize(width, height());
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Once the user has the window back, its state is theirs to keep again.
    if (event->type() == QEvent::WindowStateChange && !(windowState() & Qt::WindowMinimized))
        adapterOf(*settingsWindow_).stateBeforeAutorun.reset();
}

void MainWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    closeFindDialog();
}


// ---------------------------------------------------------------- texts and languages

void MainWindow::buildLanguageMenu() {
    QMenu* menu = w_.menus.language;
    menu->clear();
    delete languageGroup_;
    languageGroup_ = new QActionGroup(this);
    languageGroup_->setExclusive(true);
    const auto& entries = languages_.entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        auto* item = new QAction(qs(entries[i].name()), menu);
        item->setObjectName(QStringLiteral("language%1").arg(i));
        item->setCheckable(true);
        item->setChecked(static_cast<int>(i) == languages_.currentIndex());
        item->setData(static_cast<int>(i));
        item->setActionGroup(languageGroup_);
        connect(item, &QAction::triggered, this, [this, i] { selectLanguage(static_cast<int>(i)); });
        menu->addAction(item);
    }
    // Without any language the entry writes the template instead of opening a menu.
    QAction* languageEntry = menu->menuAction();
    disconnect(languageEntry, &QAction::triggered, this, nullptr);
    if (entries.empty())
        connect(languageEntry, &QAction::triggered, this, &MainWindow::writeLanguageTemplate);
}

void MainWindow::applyTexts() {
    refreshTitle();
    for (const MenuText& item : kMenuTexts)
        (w_.menus.*item.menu)->menuAction()->setText(qs(text(item.key)));
    for (const ActionText& item : kActionTexts)
        (w_.actions.*item.action)->setText(qs(text(item.key)));
    for (const auto& [action, fixed] : kFixedActionTexts)
        (w_.actions.*action)->setText(qs(fixed));
    for (const ActionText& hint : kToolHints) {
        QAction* tool = w_.actions.*hint.action;
        const QString tip = withoutMnemonics(qs(text(hint.key)));
        tool->setToolTip(tip);
        tool->setIconText(tip);
    }
    // The filter bar, the tree's nodes and the list's columns belong to the views.
    if (views_)
        views_->applyTexts();
    else
        w_.filterBar->applyHints([this](const char* key) { return qs(text(key)); });
    if (trayIcon_)
        trayIcon_->setToolTip(qs(text(kTitleKey)).left(kTrayTipLimit));
    refreshFilePanel();
    // The counts panel is built from language texts too.
    updateStatusCounts();
}

void MainWindow::selectLanguage(int index) {
    if (!lang::selectLanguageEntry(languages_, index, storedSettings_.languageFileName))
        return;
    // The choice takes effect at once and is stored with the settings at exit.
    languages_.setCurrent(index);
    for (QAction* item : w_.menus.language->actions())
        item->setChecked(item->data().toInt() == index);
    applyTexts();
}

void MainWindow::writeLanguageTemplate() {
    if (!languages_.entries().empty())
        return;
    const fs::path path = lang::languageTemplatePath();
    std::string error;
    if (!lang::writeLanguageTemplate(path, error)) {
        messageBox(error, text("TextError"), widgets::kStopOk, this);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path.string())));
}

// ---------------------------------------------------------------- state and status

void MainWindow::setModified(bool modified) {
    session_.setModified(modified);
    // Every change of the database passes here: it becomes one undoable step.
    if (undoCommands_) {
        if (modified)
            undoCommands_->changed();
        else
            undoCommands_->saved();
    }
    w_.actions.save->setEnabled(modified);
    w_.actions.saveAs->setEnabled(session_.loaded());
    w_.actions.toolSave->setEnabled(modified);
    if (!(views_ && views_->bulkUpdate()))
        refreshFilePanel();
    refreshTitle();
}

void MainWindow::refreshTitle() {
    // The program's caption (with the version once a database is shown), after the shown file's
    // name and the modified marker, as desktop editors show them.
    const std::string caption = session_.loaded() ? text(kTitleKey) + "  " + std::string(kVersionText) : text(kTitleKey);
    if (session_.loaded() && !session_.shownFile().empty())
        setWindowTitle(qs(fileNameOf(session_.shownFile())) + QStringLiteral("[*] - ") + qs(caption));
    else
        setWindowTitle(qs(caption));
    setWindowModified(session_.loaded() && session_.modified());
}

void MainWindow::showChangedDatabase() {
    if (!session_.loaded())
        return;
    if (views_) {
        views_->resetViews();
        views_->setDatabaseLoaded(true);
        views_->setListMode(1);
        views_->fillChannelList();
    }
    setModified(true);
    refreshNodePanel();
}

void MainWindow::refreshFilePanel() {
    if (!session_.loaded()) {
        w_.filePanel->clear();
        return;
    }
    std::string line = session_.pendingFile() + " (" + text("TextOpen") + ")";
    if (session_.modified())
        line += " (" + text("TextFileChanged") + ")";
    w_.filePanel->setText(qs(line));
    w_.filePanel->setToolTip(qs(line));
}

void MainWindow::updateStatusCounts() {
    if (views_)
        views_->updateStatusCounts();
    else
        w_.countsPanel->setText(QStringLiteral(" () "));
}

void MainWindow::refreshNodePanel() {
    if (views_)
        w_.nodePanel->setNode(views_->selectedNodeIcon(), views_->selectedNodeText());
    else
        w_.nodePanel->setNode({}, {});
}

void MainWindow::scheduleDeferred(DeferredAction action, int intervalMs) {
    deferredTimer_.stop();
    deferredTimer_.setInterval(intervalMs);
    deferredAction_ = action;
    deferredTimer_.start();
}

void MainWindow::openFileLater(const std::string& file) {
    session_.requestOpen(absoluteName(file));
    scheduleDeferred(DeferredAction::OpenPendingFile, kOpenDelayMs);
}

void MainWindow::runDeferredAction() {
    const DeferredAction action = deferredAction_;
    // Disarmed before the action, so that an action which arms it again (a dialog that asks for
    // another file to be opened) keeps its request.
    deferredTimer_.stop();
    deferredAction_ = DeferredAction::None;
    if (action == DeferredAction::OpenPendingFile)
        openPendingFile();
}

// ---------------------------------------------------------------- opening

void MainWindow::openPendingFile() {
    deferredTimer_.stop();
    // A file named on the command line that is not there is said once; the start goes on with
    // the usual start-up file.
    if (const std::string missing = session_.takeMissingCommandLineFile(); !missing.empty())
        messageBox(text("MsgFile") + " " + fileNameOf(missing) + " " + text("MsgFileNotExisting"), text("MsgErrorFile"),
                   widgets::kStopOk, this);
    if (!session_.openPending())
        return;
    // Replacing the shown database is a close of it, whatever closing the window means.
    session_.requestQuit();
    if (!queryClose(false)) {
        // Cancel keeps the shown database and forgets the request.
        session_.openCancelled();
        return;
    }

    OpenResult result = OpenResult::NoFile;
    {
        BusyCursor busy;
        setWindowTitle(qs(text("TextLoading") + " " + session_.pendingFile()));
        log_.clear();
        result = flash_->openImage(session_.pendingFile());
        logf(log_, "Error: %d", static_cast<int>(result));
        if (session_.loaded())
            refreshTitle();
        else
            setWindowTitle(qs(text(kTitleKey) + "  " + std::string(kVersionText)));
    }

    const bool firstRun = !storedSettings_.settingsFound;
    storedSettings_.settingsFound = true;
    const bool hasRecentFiles = std::any_of(storedSettings_.recentFiles.begin(), storedSettings_.recentFiles.end(),
                                            [](const std::string& f) { return !f.empty(); });
    showOpenOutcome(session_.openFinished(result, firstRun, hasRecentFiles, flash_->damagedRecords()));
}

void MainWindow::showOpenOutcome(const OpenOutcome& outcome) {
    if (outcome.registerFileType)
        registerFileType();
    if (outcome.wizard && *outcome.wizard == WizardMode::FirstRun)
        openConnectionWizard(WizardMode::FirstRun);
    if (outcome.showDatabase) {
        loadSucceeded();
        // Said once: records opening left out as damaged are gone at the first save.
        if (outcome.damagedRecords > 0)
            messageBox(std::to_string(outcome.damagedRecords) + " " + text("MsgDamagedRecords"), text("TextInformation"),
                       widgets::kWarningOk, this);
        return;
    }
    if (outcome.wizard && *outcome.wizard != WizardMode::FirstRun)
        openConnectionWizard(*outcome.wizard);
    if (outcome.imageManager) {
        closeFindDialog();
        if (options_.hooks.openImageManager)
            options_.hooks.openImageManager(*this, *outcome.imageManager);
    }
    std::string error;
    switch (outcome.message) {
    case OpenOutcome::Message::None:
        break;
    case OpenOutcome::Message::FileMissing:
        error = text("MsgFile") + " " + fileNameOf(outcome.file) + " " + text("MsgFileNotExisting");
        break;
    case OpenOutcome::Message::NotADatabase:
        error = text("MsgFile") + " " + fileNameOf(outcome.file) + " " + text("MSgFileNotCorrectFormatBase");
        break;
    }
    if (!error.empty())
        messageBox(error, text("MsgErrorFile"), widgets::kStopOk, this);
    refreshFilePanel();
}

void MainWindow::loadSucceeded() {
    firstListPaintPending_ = !loadedOnce_;
    loadedOnce_ = true;
    w_.actions.toolSendDatabase->setEnabled(true);
    w_.actions.sendDatabase->setEnabled(true);
    for (QAction* a : {w_.actions.exportView, w_.actions.orderLikeReference, w_.actions.findDuplicates})
        a->setEnabled(true);
    w_.filterBar->show();
    resetViews();
    session_.setLoaded(true);
    if (views_) {
        views_->setDatabaseLoaded(true);
        views_->setListMode(1);
    }
    setModified(false);
    if (views_)
        views_->fillChannelList();
    refreshNodePanel();
    undoCommands_->restart();
}

void MainWindow::resetViews() {
    session_.setLoaded(false);
    if (views_) {
        views_->setDatabaseLoaded(false);
        views_->resetViews();
    }
    if (!session_.shownFile().empty())
        storedSettings_.addRecentFile(absoluteName(session_.shownFile()), *settingsWindow_);
}

void MainWindow::openWithDialog() {
    closeFindDialog();
    widgets::FileDialogRequest request;
    request.kind = widgets::FileDialogKind::Open;
    request.filter = std::string(kOpenFilter);
    request.initialFolder = storedSettings_.loadFolder;
    request.defaultExtension = "*.dsp";
    request.fileMustExist = true;
    request.parent = this;
    const std::string chosen = widgets::fileDialogs().run(request).value_or(std::string());
    if (!chosen.empty())
        storedSettings_.loadFolder = folderPart(chosen);
    openChosenFile(session_.chooseFile(chosen));
}

void MainWindow::openChosenFile(const std::optional<ChosenFile>& chosen) {
    if (!chosen)
        return;
    if (chosen->import) {
        importChosenFile(*chosen);
        return;
    }
    if (chosen->askReopenShown &&
        messageBox(text("MsgFileCurrentFileIsOpen"), text("MsgErrorFile"), widgets::kQuestionYesNo, this) ==
            MessageAnswer::No)
        return;
    if (chosen->exists)
        openFileLater(chosen->name);
    else
        messageBox(text("MsgFileNotExisting"), text("MsgErrorFile"), widgets::kStopOk, this);
}

void MainWindow::importChosenFile(const ChosenFile& chosen) {
    if (!chosen.exists)
        messageBox(text("MsgFileNotExisting"), text("MsgErrorFile"), widgets::kStopOk, this);
    else if (!session_.loaded())
        // Components are imported into a shown database; without one there is nothing to merge into.
        messageBox(text("MsgFile") + " " + fileNameOf(chosen.name) + " " + text("MSgFileNotCorrectFormatBase"),
                   text("MsgErrorFile"), widgets::kStopOk, this);
    else if (options_.hooks.importFile)
        options_.hooks.importFile(*this, chosen.name);
}

void MainWindow::openRecentFile(int entry) {
    if (entry < 1 || entry > static_cast<int>(kRecentFileCount))
        return;
    const auto chosen = session_.chooseRecentFile(storedSettings_.recentFiles[static_cast<std::size_t>(entry - 1)]);
    if (!chosen)
        return;
    closeFindDialog();
    openChosenFile(chosen);
}

void MainWindow::filesDropped(const std::vector<std::string>& paths) {
    switch (session_.decideDrop(paths)) {
    case DropAction::Ignore:
        break;
    case DropAction::Open:
        openFileLater(paths.front());
        break;
    case DropAction::Import:
        if (options_.hooks.importFile)
            options_.hooks.importFile(*this, paths.front());
        break;
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed()) {
        watched->removeEventFilter(this);
        writeTimingLine(format("Window mapped: %.0f ms after the process started",
                               millisecondsSinceProcessStart().value_or(-1.0)));
    }
    if (firstListPaintPending_ && event->type() == QEvent::Paint && watched == w_.channelList->viewport()) {
        firstListPaintPending_ = false;
        // Queued, so that the figures are taken once this paint is done.
        QMetaObject::invokeMethod(this, [this] { logStartupFigures(); }, Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::logStartupFigures() {
    const std::optional<double> ms = millisecondsSinceProcessStart();
    const std::optional<long> peak = peakResidentKilobytes();
    const QAbstractItemModel* model = w_.channelList->model();
    writeTimingLine(format("First paint of the list: %.0f ms after the process started, %d rows, peak memory %ld KB",
                           ms.value_or(-1.0), model ? model->rowCount() : 0, peak.value_or(-1L)));
}

void MainWindow::writeTimingLine(const std::string& line) {
    log_.write(line);
    if (std::getenv("CHANNELSETTINGS_TIMING"))
        std::fprintf(stderr, "%s\n", line.c_str());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptingDrops_ && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile().toStdString());
    filesDropped(paths);
    event->acceptProposedAction();
}

// ---------------------------------------------------------------- saving

SaveResult MainWindow::writeDatabase(const std::string& path, bool keepBackup) {
    BusyCursor busy;
    return flash_->saveImage(path, keepBackup);
}

bool MainWindow::saveDatabase() {
    switch (session_.saveStep()) {
    case SaveStep::NothingToDo:
        return true;
    case SaveStep::NotPossible:
        return false;
    case SaveStep::Write:
        break;
    }
    const std::string target = session_.saveTarget();
    // Another program changed the file since it was opened here: overwrite, reload or save as.
    if (session_.changedOnDisk()) {
        const MessageAnswer answer = messageBox(text("MsgFile") + " " + fileNameOf(target) + " " + text("MsgFileChangedOnDisk"),
                                                text("TextInformation"), widgets::kQuestionYesNoCancel, this);
        if (answer == MessageAnswer::No) {
            setModified(false);
            openFileLater(target);
            return false;
        }
        if (answer != MessageAnswer::Yes) {
            saveAs();
            return !session_.modified();
        }
    }
    const SaveResult result = writeDatabase(target, true);
    if (result != SaveResult::Saved) {
        // A refused backup says why and what to do instead, in the command line's words.
        const bool refused = result == SaveResult::BackupRefused;
        messageBox(text("MsgFileCantSave") + " " + target + (refused ? "\n" + flash_->lastSave().error : std::string()),
                   text("MsgFileSaveError"), widgets::kStopOk, this);
        return false;
    }
    setModified(false);
    session_.saved();
    return true;
}

void MainWindow::save() { saveDatabase(); }

void MainWindow::saveAs() {
    closeFindDialog();
    if (!session_.loaded())
        return;
    widgets::FileDialogRequest request;
    request.kind = widgets::FileDialogKind::Save;
    request.filter = std::string(kDatabaseFilter);
    request.initialFolder = storedSettings_.saveFolder;
    request.defaultExtension = "dsp";
    request.overwritePrompt = false;  // asked below, in the program's words
    request.parent = this;
    const std::optional<std::string> chosen = widgets::fileDialogs().run(request);
    if (!chosen || chosen->empty())
        return;
    storedSettings_.saveFolder = folderPart(*chosen);
    const auto [name, askOverwrite, notAFile] = session_.saveAsTarget(*chosen);
    if (notAFile != FileProblem::None) {
        messageBox(text("MsgFile") + " " + fileNameOf(name) + " " + text("MsgFileNotAFile"), text("MsgFileSaveError"),
                   widgets::kStopOk, this);
        return;
    }
    if (askOverwrite) {
        const std::string question = cs::format("%s '%s' %s", text("MsgFile").c_str(), fileNameOf(name).c_str(),
                                                text("MsgExistingOverwrite").c_str());
        if (messageBox(question, text("TextInformation"), widgets::kQuestionYesNo, this) == MessageAnswer::No)
            return;
    }
    session_.saveAsStarted(name);
    const bool written = writeDatabase(name, false) == SaveResult::Saved;
    session_.saveAsFinished(name, written);
    if (!written) {
        messageBox(text("MsgFileCantSave") + " " + name, text("MsgFileSaveError"), widgets::kStopOk, this);
        refreshFilePanel();
        return;
    }
    setModified(false);
}

// ---------------------------------------------------------------- closing

bool MainWindow::queryClose(bool fromWindow) {
    switch (session_.closeStep(storedSettings_.flag(settings_flags::kCloseEndsProgram), trayAvailable())) {
    case CloseStep::Close:
        return true;
    case CloseStep::HideToTray:
        hideToTray();
        return false;
    case CloseStep::AskToSave:
        break;
    }
    if (fromWindow && (!isVisible() || isMinimized()))
        showFromTray();
    const std::string question = text("MsgSaveBaseDataToFile") + " " + fileNameOf(session_.shownFile()) + " ?";
    SaveAnswer answer = SaveAnswer::No;
    switch (messageBox(question, text("MsgSaveChanged"), widgets::kQuestionYesNoCancel, this)) {
    case MessageAnswer::Yes:
        answer = SaveAnswer::Yes;
        break;
    case MessageAnswer::Cancel:
        answer = SaveAnswer::Cancel;
        break;
    default:
        break;
    }
    return session_.closeAnswered(answer, [this] { return saveDatabase(); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!queryClose(true)) {
        event->ignore();
        return;
    }
    event->accept();
    closed();
    emit programEnding();
}

void MainWindow::closed() {
    acceptingDrops_ = false;
    setAcceptDrops(false);
}

void MainWindow::stopTimers() {
    deferredTimer_.stop();
    dragScrollTimer_.stop();
}

void MainWindow::hideToTray() {
    buildTray();
    hide();
    trayIcon_->setIcon(windowIcon());
    trayIcon_->setToolTip(qs(text(kTitleKey)).left(kTrayTipLimit));
    trayIcon_->show();
}

void MainWindow::showFromTray() {
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void MainWindow::sessionEnding() { exitProgram(); }

void MainWindow::exitProgram() {
    session_.requestQuit();
    close();
}

// ---------------------------------------------------------------- other windows

bool MainWindow::registerFileType() {
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

void MainWindow::closeFindDialog() {
    if (options_.hooks.closeFindDialog)
        options_.hooks.closeFindDialog(*this);
}

void MainWindow::openConnectionWizard(WizardMode mode) {
    closeFindDialog();
    logf(log_, "Connection wizard, mode %d", static_cast<int>(mode));
    if (options_.hooks.openConnectionWizard)
        options_.hooks.openConnectionWizard(*this, mode);
}

PropertiesChange MainWindow::openProperties(const PropertiesRequest& request) {
    closeFindDialog();
    if (!options_.hooks.openProperties)
        return PropertiesChange::None;
    return options_.hooks.openProperties(*this, request);
}

std::optional<StartChannelChoice> MainWindow::chooseStartChannel(const StartChannelChoice& preset) {
    if (!options_.hooks.chooseStartChannel)
        return std::nullopt;
    return options_.hooks.chooseStartChannel(*this, preset);
}

std::string MainWindow::browseForFolder(const std::string& title, const std::string& initialFolder) {
    return widgets::browseForFolder(this, title, initialFolder);
}

void MainWindow::openPreferences() {
    closeFindDialog();
    if (options_.hooks.openPreferences)
        options_.hooks.openPreferences(*this);
}

void MainWindow::openImageManager() {
    closeFindDialog();
    if (options_.hooks.openImageManager)
        options_.hooks.openImageManager(*this, std::string());
}

void MainWindow::openAbout() {
    closeFindDialog();
    if (options_.hooks.openAbout)
        options_.hooks.openAbout(*this);
}

void MainWindow::receiveDatabase() { openConnectionWizard(WizardMode::ReceiveDatabase); }
void MainWindow::sendDatabase() { openConnectionWizard(WizardMode::SendDatabase); }

void MainWindow::updateSoftware() {
    session_.setUpgradeFile({});
    openConnectionWizard(WizardMode::SoftwareUpgrade);
}

void MainWindow::applyDragDropOption() {
    acceptingDrops_ = !storedSettings_.flag(settings_flags::kDragDropDisabled);
    setAcceptDrops(acceptingDrops_);
}

void MainWindow::openHomePage() { openUrl(QUrl(qs(kHomePageAddress))); }

void MainWindow::openUrl(const QUrl& url) {
    if (options_.hooks.openUrl)
        options_.hooks.openUrl(url);
    else
        QDesktopServices::openUrl(url);
}

} // namespace cs::app
