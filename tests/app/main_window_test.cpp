// The main window's life: closing and hiding in the notification area, the commands that open
// other windows, the settings written back at exit and restored at the next start, centring on
// a changed screen, and the designed positions of the menu entries the texts are bound to.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include "app/message_box.h"
#include "app_test_support.h"
#include "lang/main_window_texts.h"

using namespace cs;
using namespace cs::apptest;
using cs::app::ScriptedMessageBoxes;

namespace {

#define CHECK_SCRIPT(script) QVERIFY2((script).report().empty(), (script).report().c_str())

const std::string kSaveQuestion = "Save the changes ?";

struct Ending {
    bool ended = false;
    explicit Ending(app::TMain& window) {
        QObject::connect(&window, &app::TMain::programEnding, [this] { ended = true; });
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
    void menuPositionsMatchTheirTexts();
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
    window->SetModified(modified);
    Ending ending(*window);

    ScriptedMessageBoxes boxes;
    if (!hides && modified)
        boxes.expect("Save database a file? db.dsp ?", kSaveQuestion, app::kMbQuestionYesNoCancel, app::kIdNo);
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
    window->SetModified(true);
    Ending ending(*window);

    window->close();
    QVERIFY(window->trayIconShown());
    QCOMPARE(window->trayMenu()->actions().front()->objectName(), QStringLiteral("Otwrz1"));
    QCOMPARE(window->trayMenu()->defaultAction(), window->action("Otwrz1"));

    // The tray's first entry shows the window again and removes the icon.
    window->action("Otwrz1")->trigger();
    QVERIFY(window->isVisible());
    QVERIFY(!window->trayIconShown());

    // Exit asks and ends although closing only hides; Cancel keeps everything.
    ScriptedMessageBoxes boxes;
    boxes.expect("Save database a file? db.dsp ?", kSaveQuestion, app::kMbQuestionYesNoCancel, app::kIdCancel);
    window->action("Wyjcie1")->trigger();
    CHECK_SCRIPT(boxes);
    QVERIFY(window->isVisible());
    QVERIFY(!ending.ended);

    // The latch is not left behind: the close box hides again.
    window->close();
    QVERIFY(window->trayIconShown());
    QVERIFY(!ending.ended);

    // The tray's close entry shows the hidden window for the question, then ends.
    bool visibleWhenAsked = false;
    app::MessageBoxHandler previous = app::setMessageBoxHandler([&](const app::MessageBoxRequest& r) {
        visibleWhenAsked = window->isVisible();
        return r.caption == kSaveQuestion ? app::kIdNo : app::kIdCancel;
    });
    window->action("Zamknij1")->trigger();
    app::setMessageBoxHandler(std::move(previous));
    QVERIFY(visibleWhenAsked);
    QVERIFY(ending.ended);

    // Logging off ends the program even when closing would hide it.
    auto second = box.makeWindow({}, true);
    Ending secondEnding(*second);
    second->SessionEnding();
    QVERIFY(secondEnding.ended);
}

void MainWindowTest::commandsOpenTheirWindows() {
    Sandbox box;
    const fs::path file = box.writeFile("db.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()});
    auto window = box.makeWindow();

    // Sending the database needs one.
    QVERIFY(!window->action("Transmission_02")->isEnabled());
    QVERIFY(!window->action("ToolButton20")->isEnabled());
    QVERIFY(runPendingOpen(*window));
    QVERIFY(window->action("Transmission_02")->isEnabled());
    QVERIFY(window->action("ToolButton20")->isEnabled());

    const std::pair<const char*, int> commands[] = {
        {"Kreatorpoczenia1", app::kWizardMenu},      {"ToolButton11", app::kWizardMenu},
        {"Transmission_01", app::kWizardReceiveDatabase}, {"ToolButton22", app::kWizardReceiveDatabase},
        {"Transmission_02", app::kWizardSendDatabase},    {"ToolButton20", app::kWizardSendDatabase},
        {"Transmission_03", app::kWizardSoftware},   {"Kreatorpoloczeniaterminalowego1", app::kWizardMenu},
    };
    for (const auto& [name, mode] : commands) {
        box.wizardModes.clear();
        window->setUpgradeFileName("/tmp/earlier.dsp");
        window->action(name)->trigger();
        QCOMPARE(box.wizardModes, std::vector<int>{mode});
        // Only the software upgrade starts without a preset file.
        QCOMPARE(window->upgradeFileName().empty(), std::string_view(name) == "Transmission_03");
    }

    window->action("ImageManager")->trigger();
    QCOMPARE(box.imageManagerFiles, std::vector<std::string>{std::string()});
    window->action("TervanisHomePage1")->trigger();
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
        window->setPendingFileName(file.string());
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
    QCOMPARE(again->treeView()->width(), 230);
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
    QCOMPARE(window->reg().screenWidth, screen.width());

    // The size limits hold whatever is asked.
    window->resize(100, 100);
    QCOMPARE(window->size(), QSize(app::kMinWindowWidth, app::kMinWindowHeight));
    window->resize(5000, 5000);
    QCOMPARE(window->size(), QSize(app::kMaxWindowWidth, app::kMaxWindowHeight));
}

// The texts are bound to positions in the menus as designed (separators count); a misplaced
// entry would take another entry's text.
void MainWindowTest::menuPositionsMatchTheirTexts() {
    Sandbox box;
    auto window = box.makeWindow();
    const std::map<std::string_view, QMenu*> menus = {
        {"File", window->menu("Plik1")},      {"Edit", window->menu("Edycja1")},
        {"Search", window->menu("Szukaj1")},  {"Transmission", window->menu("tRANSMISJA1")},
        {"Help", window->menu("About1")},     {"PopupMenu1", window->popupMenu1()},
        {"PopupMenu2", window->popupMenu2()}, {"PopUpTrayIcon", window->trayMenu()},
    };
    auto check = [&](const lang::MenuItemText& item) {
        const QList<QAction*> actions =
            item.menu == "main" ? window->menuBar()->actions() : menus.at(item.menu)->actions();
        QVERIFY2(item.position < actions.size(), item.component.data());
        QCOMPARE(actions.at(item.position)->objectName().toStdString(), std::string(item.component));
    };
    for (const auto& item : lang::kMainMenuTexts)
        check(item);
    for (const auto& item : lang::kPopupMenuTexts)
        if (menus.count(item.menu))
            check(item);
    // The recent files follow Exit after a separator.
    const QList<QAction*> file = window->menu("Plik1")->actions();
    QCOMPARE(file.at(13)->objectName(), QStringLiteral("N1"));
    QCOMPARE(file.at(17)->objectName(), QStringLiteral("F_Name04"));
    QCOMPARE(window->languageMenu()->menuAction()->data().toInt(), 65520);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
