#include "app/main_window.h"

#include "app/document_commands.h"
#include "app/main_window_texts.h"
#include "app/undo_commands.h"
#include "app/window_placement.h"
#include "app/window_views.h"
#include "app/node_panel.h"
#include "app/startup_timing.h"
#include "widgets/tool_icons.h"
#include "lang/lang_template.h"
#include "lang/language_texts.h"
#include "lang/language_folders.h"
#include "settings/date_time_value.h"
#include "settings/qt_settings_store.h"
#include "settings/short_path.h"
#include "settings/xdg_dirs.h"
#include "views/filter_bar.h"
#include "widgets/busy_cursor.h"
#include "widgets/file_dialogs.h"
#include "widgets/language_switch.h"
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


QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }


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
      texts_(std::make_unique<DisplayTexts>(*database_, lang::languageTexts(languages_))) {
    buildClock_.start();
    if (!store_)
        store_ = QtSettingsStore::forCurrentUser();
    database_->setBusyHook(&BusyCursor::set);
    setObjectName(QStringLiteral("mainWindow"));
    setWindowIcon(widgets::applicationIcon());
    setMinimumSize(kMinWindowWidth, kMinWindowHeight);
    setMaximumSize(kMaxWindowWidth, kMaxWindowHeight);
    resize(kMinWindowWidth, kMinWindowHeight);

    deferredTimer_.setObjectName(QStringLiteral("deferredTimer"));
    // The open follows the shown window by its wait, not by the wait plus the timer's slack.
    deferredTimer_.setTimerType(Qt::PreciseTimer);
    connect(&deferredTimer_, &QTimer::timeout, this, &MainWindow::runDeferredAction);

    documents_ = std::make_unique<DocumentCommands>(*this);
    w_ = buildMainWindowWidgets(*this);
    placement_ = new WindowPlacement(*this, w_, storedSettings_, options_.trayAvailable);
    connect(placement_, &WindowPlacement::trayActivated, this, &MainWindow::showFromTray);
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
    storedSettings_.load(*store_, placement_->settingsWindow(), options_.places, startupFile);
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
    placement_->hideTrayIcon();
    stopTimers();
    // Destroying the main window writes the settings back (the language choice among them);
    // failures are not reported.
    saveSettingsAndLogonStart(storedSettings_, *store_, placement_->settingsWindow(), shell_, dateTimeValue(currentLocalDateTime()));
    views_.reset();
}

views::ViewController* MainWindow::views() { return views_ ? views_->views.get() : nullptr; }
editing::EditController* MainWindow::editController() { return views_ ? views_->editing.get() : nullptr; }
reference_ui::ReferenceCommands* MainWindow::referenceCommands() { return views_ ? views_->reference.get() : nullptr; }

void MainWindow::setHooks(MainWindowHooks hooks) {
    auto makeViews = std::move(options_.hooks.makeViews);
    options_.hooks = std::move(hooks);
    if (!options_.hooks.makeViews)
        options_.hooks.makeViews = std::move(makeViews);
}

bool MainWindow::trayIconShown() const { return placement_->trayIconShown(); }

bool MainWindow::trayAvailable() const { return placement_->trayAvailable(); }

SettingsWindow& MainWindow::settingsWindow() { return placement_->settingsWindow(); }

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

// ---------------------------------------------------------------- start-up

void MainWindow::startUp() {
    // Languages: the stored choice, the list, the menu and the window's texts.
    storedSettings_.readLanguageFileName(*store_);
    languages_ = lang::buildLanguageList(options_.languageFolders, storedSettings_.languageFileName, options_.localeName, log_);
    activeLanguages_ = std::make_unique<lang::ActiveLanguageList>(languages_);
    widgets::loadQtTranslation(languages_.current() ? languages_.current()->name() : std::string());
    buildLanguageMenu();
    applyTexts();

    helpFile_ = options_.places.programFolder + "edytor.hlp";
    placement_->followScreenSize();

    applyDragDropOption();

    if (session_.readCommandLine(options_.arguments))
        placement_->minimiseForAutorun();
    // Building the window counts towards the wait, so the list is not held back by it; at least
    // half the wait remains, so the window is still shown before the database loads.
    const auto spent = static_cast<int>(std::min<qint64>(buildClock_.elapsed(), kOpenDelayMs / 2));
    scheduleDeferred(DeferredAction::OpenPendingFile, kOpenDelayMs - spent);
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
            views()->buildColumns();
            // Without stored bounds the window is as wide as the list's columns need.
            if (!placement_->boundsRestored())
                fitListWidth(false);
            views()->fillCodingSystemMenu();
            placement_->keepCentred();
        }
        placement_->firstShown();
        // The start-up figures note when the desktop first shows the window.
        if (QWindow* handle = windowHandle())
            handle->installEventFilter(this);
    }
    placement_->hideTrayIcon();
}

void MainWindow::fitListWidth(bool onlyWider) {
    if (views_)
        placement_->fitListWidth(views()->listWidth(), onlyWider);
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        placement_->windowStateChanged();
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
    for (const ActionText& hint : kToolHints) {
        QAction* tool = w_.actions.*hint.action;
        const QString tip = withoutMnemonics(qs(text(hint.key)));
        tool->setToolTip(tip);
        tool->setIconText(tip);
        tool->setText(tip);
    }
    // The filter bar, the tree's nodes and the list's columns belong to the views.
    if (views_)
        views()->applyTexts();
    else
        w_.filterBar->applyHints([this](const char* key) { return qs(text(key)); });
    placement_->setTrayToolTip(qs(text(kTitleKey)));
    // The tool bars' names are shown in the menu that hides and shows them.
    w_.toolBar->setWindowTitle(qs(text("ToolBarCommands")));
    w_.filterBar->setWindowTitle(qs(text("ToolBarFilters")));
    refreshFilePanel();
    // The counts panel is built from language texts too.
    updateStatusCounts();
    if (undoCommands_)
        undoCommands_->refreshActions();
}

void MainWindow::selectLanguage(int index) {
    if (!lang::selectLanguageEntry(languages_, index, storedSettings_.languageFileName))
        return;
    // The choice takes effect at once and is stored with the settings at exit.
    languages_.setCurrent(index);
    for (QAction* item : w_.menus.language->actions())
        item->setChecked(item->data().toInt() == index);
    applyTexts();
    // Every other window, open or kept for later, takes the new language now too.
    widgets::loadQtTranslation(languages_.current()->name());
    widgets::announceLanguageChange();
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
    if (!(views_ && views()->bulkUpdate()))
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

void MainWindow::showFilling(bool filling) {
    if (filling)
        setWindowTitle(qs(text("HintOpeningBase")));
    else
        refreshTitle();
}

void MainWindow::showChangedDatabase() {
    if (!session_.loaded())
        return;
    if (views_) {
        views()->resetViews();
        views()->setDatabaseLoaded(true);
        views()->setListMode(views::ListMode::Channels);
        views()->fillChannelList();
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
        views()->updateStatusCounts();
    else
        w_.countsPanel->setText(QStringLiteral(" () "));
}

void MainWindow::refreshNodePanel() {
    if (views_)
        w_.nodePanel->setNode(views()->selectedNodeIcon(), views()->selectedNodeText());
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

// ---------------------------------------------------------------- opening, saving, closing
// Carried out by the document commands around the session.

void MainWindow::openPendingFile() { documents_->openPendingFile(); }
void MainWindow::openWithDialog() { documents_->openWithDialog(); }
void MainWindow::openRecentFile(int entry) { documents_->openRecentFile(entry); }
void MainWindow::filesDropped(const std::vector<std::string>& paths) {
    filesDropped(paths, QGuiApplication::queryKeyboardModifiers());
}

void MainWindow::filesDropped(const std::vector<std::string>& paths, Qt::KeyboardModifiers modifiers) {
    const bool database = !paths.empty() && fs::path(paths.front()).extension() == ".dsp";
    if ((modifiers & Qt::ControlModifier) && database && session_.loaded() && views_ && views_->compareWith) {
        views_->compareWith(paths.front());
        return;
    }
    documents_->filesDropped(paths);
}
void MainWindow::save() { documents_->save(); }
void MainWindow::saveAs() { documents_->saveAs(); }
bool MainWindow::queryClose(bool fromWindow) { return documents_->queryClose(fromWindow); }

void MainWindow::loadSucceeded() {
    firstListPaintPending_ = !loadedOnce_;
    loadedOnce_ = true;
    w_.actions.toolSendDatabase->setEnabled(true);
    w_.actions.sendDatabase->setEnabled(true);
    for (QAction* a : {w_.actions.exportView, w_.actions.orderLikeReference, w_.actions.findDuplicates,
                       w_.actions.compareWith, w_.actions.fileInformation, w_.actions.renameChannels,
                       w_.actions.printView, w_.actions.exportPdf})
        a->setEnabled(true);
    w_.filterBar->show();
    resetViews();
    session_.setLoaded(true);
    if (views_) {
        views()->setDatabaseLoaded(true);
        views()->setListMode(views::ListMode::Channels);
    }
    setModified(false);
    if (views_)
        views()->fillChannelList();
    refreshNodePanel();
    undoCommands_->restart();
}

void MainWindow::resetViews() {
    session_.setLoaded(false);
    if (views_) {
        views()->setDatabaseLoaded(false);
        views()->resetViews();
    }
    if (!session_.shownFile().empty())
        storedSettings_.addRecentFile(absoluteName(session_.shownFile()), placement_->settingsWindow());
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
    filesDropped(paths, event->modifiers());
    event->acceptProposedAction();
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
}

void MainWindow::showFromTray() { placement_->showWindow(); }

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

properties::ChangeLevel MainWindow::openProperties(const properties::PropertiesRequest& request) {
    closeFindDialog();
    if (!options_.hooks.openProperties)
        return properties::ChangeLevel::None;
    return options_.hooks.openProperties(*this, request);
}

std::optional<editing::StartChannelChoice> MainWindow::chooseStartChannel(const editing::StartChannelChoice& preset) {
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

void MainWindow::wizardClosed(bool softwareSent) {
    // A software image named on the command line was handed to the wizard: once it is sent, the
    // program ends. It closes once the wizard has gone; a refused close (Cancel on the save
    // question) leaves no request behind, as closing clears it.
    const bool ending = session_.launchState() == LaunchState::SoftwareHandedOver && softwareSent;
    session_.setLaunchState(LaunchState::Normal);
    if (ending)
        QMetaObject::invokeMethod(this, &MainWindow::exitProgram, Qt::QueuedConnection);
}

void MainWindow::applyPreferences() {
    applyDragDropOption();
    undoCommands_->applyShortcuts();
}

desktop::HelpEntries MainWindow::helpEntries() {
    const MainWindowActions& a = w_.actions;
    return {w_.menus.help, a.contextHelp, a.helpIndex, a.helpOnHelp, a.toolHelp, a.about};
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
