// The main window's life: closing and hiding in the notification area, the commands that open
// other windows, the settings written back at exit and restored at the next start, centring on
// a changed screen, and the order of the menu entries.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include "widgets/message_box.h"
#include "app/undo_commands.h"
#include "app_test_support.h"

using namespace cs;
using namespace cs::apptest;
using cs::widgets::ScriptedMessageBoxes;

namespace {

#define CHECK_SCRIPT(script) QVERIFY2((script).report().empty(), (script).report().c_str())

const std::string kSaveQuestion = "Save the changes ?";

struct Ending {
    bool ended = false;
    explicit Ending(app::MainWindow& window) {
        QObject::connect(&window, &app::MainWindow::programEnding, [this] { ended = true; });
    }
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void closing_data();
    void closing();
    void hiddenWindowComesBackAndEndsThroughItsMenus();
    void commandsOpenTheirWindows();
    void settingsAreWrittenAtExitAndRestored();
    void centresOnAChangedScreen();
    void menusKeepTheirOrder();
};

// What the close box does, by notification area, the option "close ends the program" and the
// modified state.
void MainWindowTest::closing_data() {
    QTest::addColumn<bool>("tray");
    QTest::addColumn<bool>("closeEnds");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<bool>("hides");

    QTest::newRow("tray, close hides") << true << false << true << true;
    QTest::newRow("tray, close ends") << true << true << true << false;
    QTest::newRow("no tray, close would hide: ends instead") << false << false << true << false;
    QTest::newRow("no tray, unmodified") << false << false << false << false;
}

void MainWindowTest::closing() {
    QFETCH(bool, tray);
    QFETCH(bool, closeEnds);
    QFETCH(bool, modified);
    QFETCH(bool, hides);

    Sandbox box;
    const fs::path file = box.writeFile("db.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()}, closeEnds ? settings_flags::kDefaults : settings_flags::kDefaults & ~settings_flags::kCloseEndsProgram);
    auto window = box.makeWindow({}, tray);
    QVERIFY(runPendingOpen(*window));
    window->setModified(modified);
    Ending ending(*window);

    ScriptedMessageBoxes boxes;
    if (!hides && modified)
        boxes.expect("Save database a file? db.dsp ?", kSaveQuestion, widgets::kQuestionYesNoCancel, widgets::MessageAnswer::No);
    window->close();
    CHECK_SCRIPT(boxes);
    QCOMPARE(ending.ended, !hides);
    QCOMPARE(window->isVisible(), false);
    QCOMPARE(window->trayIconShown(), hides);
    QCOMPARE(window->isModified(), modified);  // hiding keeps the changes
}

void MainWindowTest::hiddenWindowComesBackAndEndsThroughItsMenus() {
    Sandbox box;
    const fs::path file = box.writeFile("db.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()}, settings_flags::kDefaults & ~settings_flags::kCloseEndsProgram);
    auto window = box.makeWindow({}, true);
    QVERIFY(runPendingOpen(*window));
    window->setModified(true);
    Ending ending(*window);

    window->close();
    QVERIFY(window->trayIconShown());
    QCOMPARE(window->menus().tray->actions().front(), window->actions().trayOpen);
    QCOMPARE(window->menus().tray->defaultAction(), window->actions().trayOpen);

    // The tray's first entry shows the window again and removes the icon.
    window->actions().trayOpen->trigger();
    QVERIFY(window->isVisible());
    QVERIFY(!window->trayIconShown());

    // Exit asks and ends although closing only hides; Cancel keeps everything.
    ScriptedMessageBoxes boxes;
    boxes.expect("Save database a file? db.dsp ?", kSaveQuestion, widgets::kQuestionYesNoCancel, widgets::MessageAnswer::Cancel);
    window->actions().exit->trigger();
    CHECK_SCRIPT(boxes);
    QVERIFY(window->isVisible());
    QVERIFY(!ending.ended);

    // The latch is not left behind: the close box hides again.
    window->close();
    QVERIFY(window->trayIconShown());
    QVERIFY(!ending.ended);

    // The tray's close entry shows the hidden window for the question, then ends.
    bool visibleWhenAsked = false;
    widgets::MessageBoxHandler previous = widgets::setMessageBoxHandler([&](const widgets::MessageBoxRequest& r) {
        visibleWhenAsked = window->isVisible();
        return r.caption == kSaveQuestion ? widgets::MessageAnswer::No : widgets::MessageAnswer::Cancel;
    });
    window->actions().trayExit->trigger();
    widgets::setMessageBoxHandler(std::move(previous));
    QVERIFY(visibleWhenAsked);
    QVERIFY(ending.ended);

    // Logging off ends the program even when closing would hide it.
    auto second = box.makeWindow({}, true);
    Ending secondEnding(*second);
    second->sessionEnding();
    QVERIFY(secondEnding.ended);
}

void MainWindowTest::commandsOpenTheirWindows() {
    Sandbox box;
    const fs::path file = box.writeFile("db.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()});
    auto window = box.makeWindow();

    // Sending the database needs one.
    QVERIFY(!window->actions().sendDatabase->isEnabled());
    QVERIFY(!window->actions().toolSendDatabase->isEnabled());
    QVERIFY(runPendingOpen(*window));
    QVERIFY(window->actions().sendDatabase->isEnabled());
    QVERIFY(window->actions().toolSendDatabase->isEnabled());

    const app::MainWindowActions& a = window->actions();
    const std::pair<QAction*, app::WizardMode> commands[] = {
        {a.connectionWizard, app::WizardMode::Menu},
        {a.toolConnectionWizard, app::WizardMode::Menu},
        {a.receiveDatabase, app::WizardMode::ReceiveDatabase},
        {a.toolReceiveDatabase, app::WizardMode::ReceiveDatabase},
        {a.sendDatabase, app::WizardMode::SendDatabase},
        {a.toolSendDatabase, app::WizardMode::SendDatabase},
        {a.updateSoftware, app::WizardMode::SoftwareUpgrade},
        {a.trayConnectionWizard, app::WizardMode::Menu},
    };
    for (const auto& [command, mode] : commands) {
        box.wizardModes.clear();
        window->session().setUpgradeFile("/tmp/earlier.dsp");
        command->trigger();
        QCOMPARE(box.wizardModes, std::vector<app::WizardMode>{mode});
        // Only the software upgrade starts without a preset file.
        QCOMPARE(window->session().upgradeFile().empty(), command == a.updateSoftware);
    }

    window->actions().imageManager->trigger();
    QCOMPARE(box.imageManagerFiles, std::vector<std::string>{std::string()});
    window->actions().trayHomePage->trigger();
    QCOMPARE(box.openedUrls.size(), std::size_t{1});
    QCOMPARE(box.openedUrls.front().toString().toStdString(), std::string(app::kHomePageAddress));
}

void MainWindowTest::settingsAreWrittenAtExitAndRestored() {
    Sandbox box;
    const fs::path file = box.writeFile("db.dsp", Sandbox::demo());
    box.seedEarlierRun();
    box.store().seed(kSettingsKeyPath, "ComPort", std::string("/dev/ttyUSB0"));
    {
        auto window = box.makeWindow();
        window->session().requestOpen(file.string());
        QVERIFY(runPendingOpen(*window));
        window->setGeometry(40, 50, 900, 600);
        window->settingsWindow().setTreeWidth(230);
    }
    const auto value = [&](const char* name) { return box.store().value(kSettingsKeyPath, name); };
    QVERIFY(value("Counter") == MemorySettingsStore::Value(std::int32_t{4}));
    QVERIFY(value("Path_01") == MemorySettingsStore::Value(file.string()));
    QVERIFY(value("LangFile") == MemorySettingsStore::Value(std::string("English.lng")));
    QVERIFY(value("ComPort") == MemorySettingsStore::Value(std::string("/dev/ttyUSB0")));
    QVERIFY(value("Width") == MemorySettingsStore::Value(std::int32_t{900}));
    QVERIFY(value("TreeView.Width") == MemorySettingsStore::Value(std::int32_t{230}));
    QVERIFY(value("DateTime").has_value());

    auto again = box.makeWindow();
    QCOMPARE(again->pendingFileName(), file.string());
    QCOMPARE(again->geometry().size(), QSize(900, 600));
    QCOMPARE(again->widgets().tree->width(), 230);
}

void MainWindowTest::centresOnAChangedScreen() {
    Sandbox box;
    box.seedEarlierRun();
    box.store().seed(kSettingsKeyPath, "Left", std::int32_t{5});
    box.store().seed(kSettingsKeyPath, "Top", std::int32_t{6});
    box.store().seed(kSettingsKeyPath, "Width", std::int32_t{700});
    box.store().seed(kSettingsKeyPath, "Height", std::int32_t{500});
    const QSize screen = QGuiApplication::primaryScreen()->size();

    // The same screen as last time: the stored place is kept.
    box.store().seed(kSettingsKeyPath, "Screen.Width", std::int32_t{screen.width()});
    box.store().seed(kSettingsKeyPath, "Screen.Height", std::int32_t{screen.height()});
    {
        auto window = box.makeWindow();
        QCOMPARE(window->geometry().topLeft(), QPoint(5, 6));
    }
    // Another screen size: centred (by the size known before the window is first shown), 16
    // pixels up, and the new size remembered.
    box.store().seed(kSettingsKeyPath, "Screen.Width", std::int32_t{screen.width() + 10});
    auto window = box.makeWindow();
    const QRect frame = window->frameGeometry();
    QCOMPARE(frame.left(), (screen.width() - 700) / 2);
    QCOMPARE(frame.top(), (screen.height() - 500) / 2 - 16);
    QCOMPARE(window->storedSettings().screenWidth, screen.width());

    // The size limits hold whatever is asked.
    window->resize(100, 100);
    QCOMPARE(window->size(), QSize(app::kMinWindowWidth, app::kMinWindowHeight));
    window->resize(5000, 5000);
    QCOMPARE(window->size(), QSize(app::kMaxWindowWidth, app::kMaxWindowHeight));
}

// The entries keep the places users know, hidden ones included (nullptr: a separator).
void MainWindowTest::menusKeepTheirOrder() {
    Sandbox box;
    auto window = box.makeWindow();
    const app::MainWindowActions& a = window->actions();
    const app::MainWindowMenus& m = window->menus();
    auto entries = [](QMenu* menu) {
        std::vector<QAction*> out;
        for (QAction* action : menu->actions())
            out.push_back(action->isSeparator() ? nullptr : action);
        return out;
    };
    using Entries = std::vector<QAction*>;
    QCOMPARE(entries(m.file),
             (Entries{a.open, a.save, a.saveAs, a.exportView, a.compareWith, a.printView, a.exportPdf, nullptr,
                      m.importFrom->menuAction(), m.exportTo->menuAction(),
                      nullptr, a.preferences, m.language->menuAction(), nullptr, a.imageManager, nullptr, a.exit,
                      nullptr, a.recentFiles[0], a.recentFiles[1], a.recentFiles[2], a.recentFiles[3]}));
    QCOMPARE(m.file->actions().at(17), a.recentFilesSeparator);
    const app::UndoCommands& undo = window->undoCommands();
    QCOMPARE(entries(m.edit), (Entries{undo.undoAction(), undo.redoAction(), nullptr, a.cut, a.copy, a.paste,
                                       a.deleteChannels, nullptr, a.selectAll, a.renameChannels, nullptr,
                                       a.orderLikeReference,
                                       a.findDuplicates}));
    QCOMPARE(entries(m.search), (Entries{a.find, a.findNext, a.findAll}));
    QCOMPARE(entries(m.transmission), (Entries{a.connectionWizard, a.receiveDatabase, a.sendDatabase, a.updateSoftware}));
    QCOMPARE(entries(m.help), (Entries{a.contextHelp, a.helpIndex, a.helpOnHelp, nullptr, a.homePage, nullptr, nullptr,
                                       a.fileInformation, a.about}));
    QCOMPARE(entries(m.listPopup), (Entries{a.listCut, a.listCopy, a.listPaste, a.listDelete, a.listRename, nullptr,
                                            a.listSelectAll, nullptr, a.listProperties}));
    QCOMPARE(entries(m.treePopup),
             (Entries{a.treeEraseChannels, a.treeCreateList, a.treeDeleteList, a.treeRename, nullptr, a.treeProperties}));
    QCOMPARE(entries(m.tray), (Entries{a.trayOpen, nullptr, a.trayHomePage, a.trayConnectionWizard, nullptr, a.trayExit}));
    const QList<QAction*> bar = window->menuBar()->actions();
    QCOMPARE(bar.size(), 5);
    QCOMPARE(bar.at(0), m.file->menuAction());
    QCOMPARE(bar.at(4), m.help->menuAction());
    QCOMPARE(m.language->menuAction()->data().toInt(), app::kLanguageMenuTag);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"

