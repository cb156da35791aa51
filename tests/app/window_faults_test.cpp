// What a new user meets in the main window with its real views on the demo database: the
// stored size and state coming back as the user left them, command-line files, tool tips,
// texts after a language switch, numbering mode's columns, status panels and cut names, the
// filter buttons and menus, and the title bar with the file's name and modified marker.
#include <QAbstractItemModel>
#include <QApplication>
#include <QActionGroup>
#include <QDir>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>
#include <QWindow>

#include "app/main_window_texts.h"
#include "app/node_panel.h"
#include "views/channel_list_model.h"
#include "views/view_controller.h"
#include "widgets/cut_text_tips.h"
#include "widgets/message_box.h"
#include "app_test_support.h"

using namespace cs;
using namespace cs::apptest;
using cs::widgets::ScriptedMessageBoxes;

namespace {

#define CHECK_SCRIPT(script) QVERIFY2((script).report().empty(), (script).report().c_str())

std::unique_ptr<app::WindowViews> realViews(app::MainWindow& window) { return app::makeWindowViews(window); }

views::ViewController& viewsOf(app::MainWindow& window) { return *window.views(); }

// A sandbox whose windows have their real views, with the demo database as the last file.
struct DemoBox {
    Sandbox box;
    fs::path file;
    DemoBox() {
        box.makeViews = realViews;
        file = box.writeFile("demo.dsp", Sandbox::demo());
        box.seedEarlierRun({file.string()});
    }
    std::unique_ptr<app::MainWindow> openWindow(std::vector<std::string> arguments = {}) {
        auto window = box.makeWindow(std::move(arguments));
        if (!runPendingOpen(*window) || !window->databaseLoaded())
            return nullptr;
        return window;
    }
    std::optional<MemorySettingsStore::Value> stored(const char* name) { return box.store().value(kSettingsKeyPath, name); }
};

// Restores the working folder a test changed.
struct WorkingFolder {
    QString before = QDir::currentPath();
    explicit WorkingFolder(const fs::path& folder) { QDir::setCurrent(QString::fromStdString(folder.string())); }
    ~WorkingFolder() { QDir::setCurrent(before); }
};

// Rests the pointer on `at` in `view`'s viewport: the tool tip shown then, or "" for none.
QString toolTipAt(QAbstractItemView& view, const QPoint& at) {
    // hideText() lets a tip fade out later; the test needs it gone now.
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->inherits("QTipLabel"))
            top->hide();
    QHelpEvent help(QEvent::ToolTip, at, view.viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(view.viewport(), &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

} // namespace

class WindowFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void storedSizeComesBackWithTheViews_data();
    void storedSizeComesBackWithTheViews();
    void autorunDoesNotStoreItsMinimisedState_data();
    void autorunDoesNotStoreItsMinimisedState();
    void relativeCommandLineFileIsRememberedWhole();
    void missingCommandLineFileIsSaid();
    void toolTipsShowNoMnemonicMarks();
    void countsFollowALanguageSwitch();
    void numberingModeShowsNumbersAndColumns();
    void statusPanelsShowTheirWholeTexts();
    void cutNamesShowWholeAsToolTips();
    void filterButtonsAndMenus();
    void titleNamesTheFileAndItsState();
};

// The user's stored width, height and tree width come back, not the width the columns need.
void WindowFaultsTest::storedSizeComesBackWithTheViews_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("the largest") << app::kMaxWindowWidth << 900;
    QTest::newRow("narrower than the columns") << 700 << 500;
    QTest::newRow("the smallest") << app::kMinWindowWidth << app::kMinWindowHeight;
}

void WindowFaultsTest::storedSizeComesBackWithTheViews() {
    QFETCH(int, width);
    QFETCH(int, height);
    DemoBox demo;
    {
        auto window = demo.openWindow();
        QVERIFY(window);
        window->setGeometry(20, 30, width, height);
        window->settingsWindow().setTreeWidth(210);
    }
    QVERIFY(demo.stored("Width") == MemorySettingsStore::Value(std::int32_t{width}));
    auto again = demo.openWindow();
    QVERIFY(again);
    QCOMPARE(again->geometry().size(), QSize(width, height));
    QCOMPARE(again->widgets().tree->width(), 210);
}

// The minimised state a log-on start forces is not stored as the user's choice; a window the user
// had back stores its own state again.
void WindowFaultsTest::autorunDoesNotStoreItsMinimisedState_data() {
    QTest::addColumn<int>("storedState");  // 0 normal, 2 maximised
    QTest::addColumn<bool>("userRestores");
    QTest::addColumn<int>("expected");
    QTest::newRow("normal, left minimised") << 0 << false << 0;
    QTest::newRow("maximised, left minimised") << 2 << false << 2;
    QTest::newRow("normal, restored by the user") << 0 << true << 0;
}

void WindowFaultsTest::autorunDoesNotStoreItsMinimisedState() {
    QFETCH(int, storedState);
    QFETCH(bool, userRestores);
    QFETCH(int, expected);
    DemoBox demo;
    demo.box.store().seed(kSettingsKeyPath, "WindowState", std::int32_t{storedState});
    // The same screen as last time: nothing recentres (which would end a maximised state).
    const QSize screen = QGuiApplication::primaryScreen()->size();
    demo.box.store().seed(kSettingsKeyPath, "Screen.Width", std::int32_t{screen.width()});
    demo.box.store().seed(kSettingsKeyPath, "Screen.Height", std::int32_t{screen.height()});
    {
        auto window = demo.box.makeWindow({"/autorun"});
        QVERIFY(window->windowState() & Qt::WindowMinimized);
        if (userRestores)
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    }
    QCOMPARE(std::get<std::int32_t>(demo.stored("WindowState").value()), expected);
    auto next = demo.box.makeWindow();
    QVERIFY(!(next->windowState() & Qt::WindowMinimized));
}

// A file named relatively is stored whole, so a start from another folder finds it; one file
// under two spellings is listed once.
void WindowFaultsTest::relativeCommandLineFileIsRememberedWhole() {
    DemoBox demo;
    const fs::path other = demo.box.startFolder() / "other.dsp";
    fs::copy_file(demo.file, other);
    {
        WorkingFolder here(demo.box.startFolder());
        auto window = demo.openWindow({"other.dsp"});
        QVERIFY(window);
        QCOMPARE(window->currentFileName(), other.string());
        window->openFileLater("./sub/../demo.dsp");
        QVERIFY(runPendingOpen(*window));
    }
    // Named relatively, stored whole.
    QVERIFY(demo.stored("Path_01") == MemorySettingsStore::Value(demo.file.string()));
    QVERIFY(demo.stored("Path_02") == MemorySettingsStore::Value(other.string()));
    {
        WorkingFolder elsewhere(demo.box.path());
        auto window = demo.openWindow({(demo.box.startFolder() / "demo.dsp").string()});
        QVERIFY(window);
        window->openFileLater(other.string());
        QVERIFY(runPendingOpen(*window));
        QCOMPARE(window->currentFileName(), other.string());
    }
    // demo.dsp was opened as "./sub/../demo.dsp" and under its whole name: one entry.
    QVERIFY(demo.stored("Path_01") == MemorySettingsStore::Value(other.string()));
    QVERIFY(demo.stored("Path_02") == MemorySettingsStore::Value(demo.file.string()));
    QVERIFY(!demo.stored("Path_03").has_value());
}

// A missing file named on the command line is said, then the last file opens as before; a
// missing last file stays quiet.
void WindowFaultsTest::missingCommandLineFileIsSaid() {
    DemoBox demo;
    auto window = demo.box.makeWindow({(demo.box.startFolder() / "nope.dsp").string()});
    QCOMPARE(window->pendingFileName(), demo.file.string());
    {
        ScriptedMessageBoxes boxes;
        boxes.expect("File nope.dsp doesn't  exist", "File error", widgets::kStopOk, widgets::MessageAnswer::Ok);
        QVERIFY(runPendingOpen(*window));
        CHECK_SCRIPT(boxes);
    }
    QCOMPARE(window->currentFileName(), demo.file.string());
    // Said once: a later open says nothing of it.
    ScriptedMessageBoxes none;
    window->openFileLater(demo.file.string());
    QVERIFY(runPendingOpen(*window));
    CHECK_SCRIPT(none);
}

// Tool tips are the menu texts without their "&" marks, in every language.
void WindowFaultsTest::toolTipsShowNoMnemonicMarks() {
    DemoBox demo;
    auto window = demo.box.makeWindow();
    for (int language = 0; language < static_cast<int>(window->languages().size()); ++language) {
        window->selectLanguage(language);
        for (const app::ActionText& hint : app::kToolHints) {
            const QAction* tool = window->actions().*hint.action;
            QString expected = QString::fromStdString(window->text(hint.key));
            expected.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(QLatin1Char('&'));
            expected.replace(QLatin1Char('\x01'), QLatin1Char('&'));
            QCOMPARE(tool->toolTip(), expected);
        }
        QCOMPARE(window->actions().toolOpen->toolTip().contains(QLatin1Char('&')), false);
    }
}

void WindowFaultsTest::countsFollowALanguageSwitch() {
    DemoBox demo;
    auto window = demo.openWindow();
    QVERIFY(window);
    const int rows = window->widgets().channelList->model()->rowCount();
    for (int language = 0; language < static_cast<int>(window->languages().size()); ++language) {
        window->selectLanguage(language);
        QCOMPARE(window->widgets().countsPanel->text().toStdString(),
                 " " + window->text("TextAmountChannels") + ":" + std::to_string(rows));
    }
}

// Numbering mode: the first column shows its icon and the whole four-digit number, and the window
// grows towards what the columns need.
void WindowFaultsTest::numberingModeShowsNumbersAndColumns() {
    DemoBox demo;
    auto window = demo.openWindow();
    QVERIFY(window);
    const int before = window->width();
    window->actions().numberingMode->trigger();
    QVERIFY(viewsOf(*window).model().numbering());
    QTableView* list = window->widgets().channelList;
    QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("0001"));
    for (int row = 0; row < 20; ++row)
        QVERIFY2(!widgets::CutTextTips::isCut(*list, list->model()->index(row, 0)), qPrintable(QString::number(row)));
    const int listLeft = window->widgets().tree->width() + window->widgets().splitter->handleWidth();
    const int wanted = std::min({listLeft + viewsOf(*window).listWidth(), app::kMaxWindowWidth,
                                 window->screen()->availableGeometry().width()});
    QVERIFY2(window->width() >= std::max(before, wanted - 30), qPrintable(QString::number(window->width())));
}

void WindowFaultsTest::statusPanelsShowTheirWholeTexts() {
    DemoBox demo;
    auto window = demo.openWindow();
    QVERIFY(window);
    window->resize(app::kMaxWindowWidth, 700);
    window->setModified(true);
    QCoreApplication::processEvents();
    for (int language = 0; language < static_cast<int>(window->languages().size()); ++language) {
        window->selectLanguage(language);
        QCoreApplication::processEvents();
        const app::NodePanel& node = *window->widgets().nodePanel;
        QFont bold = node.font();
        bold.setBold(true);
        QVERIFY2(node.width() >= QFontMetrics(bold).horizontalAdvance(node.text()) + 18, qPrintable(node.text()));
        const QLabel& file = *window->widgets().filePanel;
        QVERIFY(file.text().endsWith(QString::fromStdString(" (" + window->text("TextFileChanged") + ")")));
        QVERIFY2(file.width() >= file.fontMetrics().horizontalAdvance(file.text()), qPrintable(file.text()));
        QCOMPARE(file.toolTip(), file.text());
    }
}

// A node or cell too narrow for its text shows it whole as a tool tip; one that fits shows none.
void WindowFaultsTest::cutNamesShowWholeAsToolTips() {
    DemoBox demo;
    auto window = demo.openWindow();
    QVERIFY(window);
    QTreeWidget* tree = window->widgets().tree;
    QTreeWidgetItem* main = tree->topLevelItem(0);
    struct Case {
        const char* what;
        int treeWidth;
        bool tip;
    };
    for (const Case& c : {Case{"narrow tree", 60, true}, Case{"wide tree", 400, false}}) {
        window->widgets().splitter->setSizes({c.treeWidth, 600});
        QCoreApplication::processEvents();
        const QString tip = toolTipAt(*tree, tree->visualItemRect(main).center());
        QCOMPARE(tip, c.tip ? main->text(0) : QString());
    }
    QTableView* list = window->widgets().channelList;
    const QModelIndex name = list->model()->index(0, 0);
    list->setColumnWidth(0, 200);
    QCOMPARE(toolTipAt(*list, list->visualRect(name).center()), QString());
    list->setColumnWidth(0, 30);
    QCOMPARE(toolTipAt(*list, list->visualRect(name).center()), name.data().toString());
}

// The coding-system button never reads like the free/scrambled one; single-choice menus show
// radio marks (an exclusive group), the coding systems' menu check boxes.
void WindowFaultsTest::filterButtonsAndMenus() {
    DemoBox demo;
    auto window = demo.openWindow();
    QVERIFY(window);
    views::ViewController& views = viewsOf(*window);
    const views::FilterBar& bar = *window->widgets().filterBar;
    for (int language = 0; language < static_cast<int>(window->languages().size()); ++language) {
        window->selectLanguage(language);
        for (int tag = 0; tag < 3; ++tag) {
            views.chooseFreeScrambled(tag);
            QVERIFY2(bar.freeScrambled()->text() != bar.codingSystems()->text(), qPrintable(bar.codingSystems()->text()));
        }
    }
    for (QMenu* menu : {bar.tvRadioMenu(), bar.freeScrambledMenu(), bar.sortOrderMenu(), bar.favouriteListMenu()}) {
        QVERIFY(!menu->actions().isEmpty());
        for (const QAction* item : menu->actions())
            QVERIFY2(item->actionGroup() && item->actionGroup()->isExclusive(), qPrintable(item->objectName()));
    }
    views.fillCodingSystemMenu({{1, "Irdeto"}, {2, "Seca"}});
    for (const QAction* item : bar.codingSystemMenu()->actions())
        QVERIFY(item->isCheckable() && !item->actionGroup());
    // A column sort leaves no sort mode chosen.
    window->widgets().channelList->horizontalHeader()->sectionClicked(0);
    for (const QAction* item : bar.sortOrderMenu()->actions())
        QVERIFY(!item->isChecked());
}

void WindowFaultsTest::titleNamesTheFileAndItsState() {
    DemoBox demo;
    auto window = demo.box.makeWindow();
    QCOMPARE(window->windowTitle().toStdString(), window->text(app::kTitleKey));
    QVERIFY(runPendingOpen(*window));
    const std::string caption = window->text(app::kTitleKey) + "  " + std::string(app::kVersionText);
    QCOMPARE(window->windowTitle().toStdString(), "demo.dsp[*] - " + caption);
    QCOMPARE(window->windowHandle()->title().toStdString(), "demo.dsp - " + caption);
    window->setModified(true);
    QCOMPARE(window->windowHandle()->title().toStdString(), "demo.dsp* - " + caption);
    window->selectLanguage(2);
    QCOMPARE(window->windowHandle()->title().toStdString(),
             "demo.dsp* - " + window->text(app::kTitleKey) + "  " + std::string(app::kVersionText));
    window->setModified(false);
    QVERIFY(!window->windowHandle()->title().contains(QLatin1Char('*')));
}

QTEST_MAIN(WindowFaultsTest)
#include "window_faults_test.moc"
