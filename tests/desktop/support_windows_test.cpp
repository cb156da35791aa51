// The support windows offscreen: the about box's figures and timer bit, the log window's lines
// and file, the preferences dialog's bits, port and immediate effects, and the help window
// opened at the page of each window by its commands and F1.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDragEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>

#include <fstream>
#include <iterator>
#include <thread>

#include "desktop/about_box.h"
#include "desktop/help_window.h"
#include "desktop/log_window.h"
#include "desktop/preferences_dialog.h"
#include "desktop/support_windows.h"
#include "lang/lang_list.h"
#include "lang/language_texts.h"
#include "widgets/message_box.h"
#include "app_test_support.h"

using namespace cs;
using namespace cs::apptest;
using namespace cs::desktop;

namespace {

namespace f = settings_flags;

constexpr const char* kMeminfo =
    "MemTotal:         524288 kB\nMemFree:          100000 kB\nMemAvailable:     288358 kB\n";

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void activate(QWidget& w) {
    QEvent activation(QEvent::WindowActivate);
    QApplication::sendEvent(&w, &activation);
}

// A window of another room, known to F1 only by its class or object name.
class ConnectionWizardStandIn final : public QDialog {
public:
    ConnectionWizardStandIn() { setObjectName(QStringLiteral("connectionWizard")); }
};

} // namespace

class SupportWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void aboutBoxShowsMemoryInTheLocalesFigures_data();
    void aboutBoxShowsMemoryInTheLocalesFigures();
    void aboutBoxTimerSetsItsBitOnceAndStaysOffAfterwards();
    void aboutBoxLinksOpenBrowserAndMail();
    void logWindowFollowsTheLogFromTheStart();
    void logWindowWritesAndCopiesItsLines();
    void preferencesBitsSetAndClearedByOkOnly_data();
    void preferencesBitsSetAndClearedByOkOnly();
    void preferencesLeaveOtherBitsAndKeepTicksOnReactivation();
    void preferencesApplyDragAndDropAndStoreAtOnce();
    void preferencesKeepAnUnpluggedPort();
    void helpOpensAtThePageOfEachWindow();
    void helpCommandsAndLogEntryOfTheMainWindow();
};

// ---------------------------------------------------------------- about box

void SupportWindowsTest::aboutBoxShowsMemoryInTheLocalesFigures_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("memory");
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << QStringLiteral("524,288 KB");
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << QStringLiteral("524.288 KB");
    QTest::newRow("Polish") << QLocale(QLocale::Polish, QLocale::Poland)
                            << QStringLiteral("524") + QLocale(QLocale::Polish).groupSeparator() + QStringLiteral("288 KB");
}

void SupportWindowsTest::aboutBoxShowsMemoryInTheLocalesFigures() {
    QFETCH(QLocale, locale);
    QFETCH(QString, memory);
    QLocale::setDefault(locale);
    fixtures::TempDir dir;
    const fs::path meminfo = dir.path() / "meminfo";
    std::ofstream(meminfo) << kMeminfo;
    StoredSettings settings;
    AboutBoxContext context;
    context.texts = lang::englishTexts();
    context.settings = &settings;
    context.meminfo = meminfo;
    AboutBox box(context);
    box.show();
    activate(box);
    QCOMPARE(box.memoryText(), memory);
    QCOMPARE(box.loadText(), QStringLiteral("45 %"));
    QCOMPARE(box.windowTitle(), QStringLiteral("Tervanis Tools v1.0.3"));

    // Read on every activation: the figures follow the machine.
    std::ofstream(meminfo) << "MemTotal: 1000 kB\nMemAvailable: 100 kB\n";
    activate(box);
    QCOMPARE(box.loadText(), QStringLiteral("90 %"));
    std::filesystem::remove(meminfo);
    activate(box);
    QCOMPARE(box.memoryText(), QStringLiteral("?"));
}

void SupportWindowsTest::aboutBoxTimerSetsItsBitOnceAndStaysOffAfterwards() {
    StoredSettings settings;
    settings.flags = f::kDefaults;
    AboutBoxContext context;
    context.texts = lang::englishTexts();
    context.settings = &settings;
    {
        AboutBox box(context);
        box.show();
        activate(box);
        QVERIFY(box.animationTimer().isActive());
        QCOMPARE(box.animationTimer().interval(), 30);
        for (int tick = 0; tick < 333; ++tick)
            box.animationTick();
        QVERIFY(!settings.flag(f::kAboutAnimationDone));
        box.animationTick();
        QVERIFY(settings.flag(f::kAboutAnimationDone));
        QCOMPARE(settings.flags, f::kDefaults | f::kAboutAnimationDone);
    }
    AboutBox again(context);
    again.show();
    activate(again);
    QVERIFY(!again.animationTimer().isActive());
    // The spot on the picture starts it by hand; releasing stops it.
    QWidget* picture = again.findChild<QWidget*>(QStringLiteral("aboutPicture"));
    QVERIFY(picture);
    QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(350, 10));
    QVERIFY(again.animationTimer().isActive());
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(350, 10));
    QVERIFY(!again.animationTimer().isActive());
}

void SupportWindowsTest::aboutBoxLinksOpenBrowserAndMail() {
    std::vector<QUrl> opened;
    AboutBoxContext context;
    context.texts = lang::englishTexts();
    context.openUrl = [&opened](const QUrl& url) { opened.push_back(url); };
    context.homePageAddress = "https://example.org/home";
    context.mailAddress = "help@example.org";
    AboutBox box(context);
    box.show();
    QTest::mouseClick(box.findChild<QLabel*>(QStringLiteral("homePageLink")), Qt::LeftButton);
    QTest::mouseClick(box.findChild<QLabel*>(QStringLiteral("mailLink")), Qt::LeftButton);
    QCOMPARE(opened.size(), std::size_t{2});
    QCOMPARE(opened[0], QUrl(QStringLiteral("https://example.org/home")));
    QCOMPARE(opened[1].scheme(), QStringLiteral("mailto"));
    QCOMPARE(opened[1].path(), QStringLiteral("help@example.org"));
    QCOMPARE(opened[1].query(QUrl::FullyDecoded), QStringLiteral("subject=Tervanis Tools"));
}

// ---------------------------------------------------------------- log window

void SupportWindowsTest::logWindowFollowsTheLogFromTheStart() {
    MemoryLog log;
    log.write("written before the window existed");
    fixtures::TempDir dir;
    LogWindow window(log, dir.path() / "ChanelEdiotr.log");
    QVERIFY(!window.isVisible());
    QCOMPARE(window.lines(), QStringList{QStringLiteral("written before the window existed")});

    std::thread worker([&log] {
        for (int i = 0; i < 500; ++i)
            log.write("worker " + std::to_string(i));
    });
    log.write("window thread");
    worker.join();
    QTRY_COMPARE(window.lines().size(), 502);
    QVERIFY(window.lines().contains(QStringLiteral("worker 499")));

    // Each load starts the log afresh, and the window with it.
    log.clear();
    log.write("Error: 0");
    QTRY_COMPARE(window.lines(), QStringList{QStringLiteral("Error: 0")});
}

void SupportWindowsTest::logWindowWritesAndCopiesItsLines() {
    // The window speaks the installed language: Polish here, so a text left in English shows.
    std::string languageFile = "Polski.lng";
    MemoryLog languageLog;
    const lang::LanguageList languages = lang::buildLanguageList({}, languageFile, "pl_PL", languageLog);
    const lang::ActiveLanguageList active(languages);

    MemoryLog log;
    fixtures::TempDir dir;
    // The state folder does not exist yet: writing makes it.
    const fs::path file = dir.path() / "state" / "channelsettings" / "ChanelEdiotr.log";
    log.write("Error: 0");
    log.write("BA_2 0x4000");
    LogWindow window(log, file);
    QCOMPARE(window.windowTitle(), QStringLiteral("Dziennik"));
    window.show();
    QTest::mouseDClick(window.list()->viewport(), Qt::LeftButton);
    QCOMPARE(readText(file), std::string("Error: 0\nBA_2 0x4000\n"));
    // It says where it wrote the lines.
    auto* status = window.findChild<QLabel*>(QStringLiteral("logStatus"));
    QVERIFY(status && status->isVisible());
    QCOMPARE(status->text(), QStringLiteral("2 wierszy zapisano do ") + QString::fromStdString(file.string()));
    QVERIFY(window.list()->toolTip().endsWith(QString::fromStdString(file.string())));
    // Written again over the old file, replaced whole through a temporary file: nothing else is
    // left in the folder.
    std::ofstream(file) << "an old log, longer than the new one\n\n\n\n";
    QTest::mouseDClick(window.list()->viewport(), Qt::LeftButton);
    QCOMPARE(readText(file), std::string("Error: 0\nBA_2 0x4000\n"));
    QCOMPARE(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1);

    QAction* copyAll = window.popupMenu()->findChild<QAction*>(QStringLiteral("copyAll"));
    QVERIFY(copyAll);
    QCOMPARE(copyAll->text(), QStringLiteral("Kopiuj wszystko"));
    QAction* write = window.popupMenu()->findChild<QAction*>(QStringLiteral("writeLogFile"));
    QVERIFY(write);
    QCOMPARE(write->text(), QStringLiteral("Zapisz do ChanelEdiotr.log"));
    log.write("third");
    copyAll->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Error: 0\nBA_2 0x4000\nthird\n"));

    // A log that cannot be written says so.
    widgets::ScriptedMessageBoxes boxes;
    const fs::path blocked = dir.path() / "missing" / "channelsettings" / "x.log";
    LogWindow broken(log, blocked);
    std::ofstream(dir.path() / "missing") << "a file, not a folder";
    boxes.expect("Nie udało się zapisać dziennika do " + blocked.string() + ": cannot create " + blocked.parent_path().string() +
                     ": Not a directory",
                 "Dziennik", widgets::kStopOk, widgets::MessageAnswer::Ok);
    QVERIFY(!broken.writeLogFile());
    QCOMPARE(boxes.shown().size(), std::size_t{1});
    QVERIFY2(boxes.failures().empty(), boxes.report().c_str());
}

// ---------------------------------------------------------------- preferences

namespace {

using BoxGetter = QCheckBox* (PreferencesDialog::*)() const;

PreferencesContext sandboxContext(app::MainWindow& window, std::vector<std::string> ports = {}) {
    PreferencesContext context = preferencesContext(window);
    context.findPorts = [ports] { return ports; };
    return context;
}

std::optional<std::int32_t> storedFlags(Sandbox& box) {
    if (!box.store().openKey(kSettingsKeyPath, false))
        return std::nullopt;
    auto flags = box.store().readInteger("TReg.flags");
    box.store().closeKey();
    return flags;
}

} // namespace

void SupportWindowsTest::preferencesBitsSetAndClearedByOkOnly_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("bit");
    QTest::newRow("close ends the program") << 0 << int(f::kCloseEndsProgram);
    QTest::newRow("more than one instance") << 1 << int(f::kMultipleInstances);
    QTest::newRow("no drag and drop") << 2 << int(f::kDragDropDisabled);
    QTest::newRow("no database at start") << 3 << int(f::kNoDatabaseAtStart);
    QTest::newRow("start at log-on") << 4 << int(f::kStartAtLogon);
}

void SupportWindowsTest::preferencesBitsSetAndClearedByOkOnly() {
    QFETCH(int, box);
    QFETCH(int, bit);
    static const BoxGetter getters[] = {&PreferencesDialog::closeEndsProgramBox, &PreferencesDialog::multipleInstancesBox,
                                        &PreferencesDialog::dragDropDisabledBox, &PreferencesDialog::noDatabaseAtStartBox,
                                        &PreferencesDialog::startAtLogonBox};
    Sandbox sandbox;
    sandbox.seedEarlierRun();
    auto window = sandbox.makeWindow();
    StoredSettings& settings = window->storedSettings();

    for (const bool start : {false, true}) {
        settings.setFlag(bit, start);
        const std::int32_t before = settings.flags;
        {
            PreferencesDialog cancelled(sandboxContext(*window), window.get());
            QCOMPARE((cancelled.*getters[box])()->isChecked(), start);
            (cancelled.*getters[box])()->setChecked(!start);
            cancelled.findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
            QCOMPARE(cancelled.result(), int(QDialog::Rejected));
        }
        QCOMPARE(settings.flags, before);
        {
            PreferencesDialog dialog(sandboxContext(*window), window.get());
            (dialog.*getters[box])()->setChecked(!start);
            dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        QCOMPARE(settings.flags, start ? (before & ~bit) : (before | bit));
        QCOMPARE(storedFlags(sandbox), std::optional<std::int32_t>(settings.flags));
    }
    if (bit == f::kStartAtLogon) {
        // The log-on entry follows the box at once.
        settings.setFlag(bit, false);
        PreferencesDialog dialog(sandboxContext(*window), window.get());
        dialog.startAtLogonBox()->setChecked(true);
        dialog.acceptChanges();
        QVERIFY(fs::exists(window->shell().autostartEntryPath()));
    }
}

void SupportWindowsTest::preferencesLeaveOtherBitsAndKeepTicksOnReactivation() {
    Sandbox sandbox;
    const std::int32_t others = f::kPortOpenFailed | f::kConnectionWizardOption | f::kPropertiesInHex |
                                f::kAboutAnimationDone | f::kNumberingMode;
    sandbox.seedEarlierRun({}, others);
    auto window = sandbox.makeWindow();
    StoredSettings& settings = window->storedSettings();
    QCOMPARE(settings.flags, others);

    PreferencesDialog dialog(sandboxContext(*window), window.get());
    dialog.show();
    // The language text's "& &" shows as one ampersand.
    QCOMPARE(dialog.dragDropDisabledBox()->text(), QStringLiteral("Ban the use of techniques Drag && Drop"));
    for (QCheckBox* box : {dialog.closeEndsProgramBox(), dialog.multipleInstancesBox(), dialog.dragDropDisabledBox(),
                           dialog.noDatabaseAtStartBox(), dialog.startAtLogonBox()}) {
        QVERIFY(!box->isChecked());
        box->setChecked(true);
    }
    // Switching to another window and back keeps what was ticked.
    activate(*window);
    activate(dialog);
    QVERIFY(dialog.closeEndsProgramBox()->isChecked());
    QVERIFY(dialog.startAtLogonBox()->isChecked());
    dialog.acceptChanges();
    QCOMPARE(settings.flags, others | 0x1f);

    PreferencesDialog clearing(sandboxContext(*window), window.get());
    for (QCheckBox* box : {clearing.closeEndsProgramBox(), clearing.multipleInstancesBox(), clearing.dragDropDisabledBox(),
                           clearing.noDatabaseAtStartBox(), clearing.startAtLogonBox()})
        box->setChecked(false);
    clearing.acceptChanges();
    QCOMPARE(settings.flags, others);
}

void SupportWindowsTest::preferencesApplyDragAndDropAndStoreAtOnce() {
    Sandbox sandbox;
    sandbox.seedEarlierRun();
    auto window = sandbox.makeWindow();
    QVERIFY(window->acceptDrops());

    auto dragEnter = [&window] {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/list.dsp"))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        return enter.isAccepted();
    };
    QVERIFY(dragEnter());

    PreferencesDialog dialog(sandboxContext(*window), window.get());
    dialog.dragDropDisabledBox()->setChecked(true);
    dialog.acceptChanges();
    QVERIFY(!window->acceptDrops());
    QVERIFY(!dragEnter());
    // In the store before the window closes: a crash now loses nothing.
    QVERIFY(storedFlags(sandbox).value_or(0) & f::kDragDropDisabled);

    PreferencesDialog again(sandboxContext(*window), window.get());
    again.dragDropDisabledBox()->setChecked(false);
    again.acceptChanges();
    QVERIFY(dragEnter());
}

void SupportWindowsTest::preferencesKeepAnUnpluggedPort() {
    Sandbox sandbox;
    sandbox.seedEarlierRun();
    sandbox.store().seed(kSettingsKeyPath, "ComPort", std::string("/dev/ttyUSB0"));
    auto window = sandbox.makeWindow();
    StoredSettings& settings = window->storedSettings();
    QCOMPARE(settings.serialPortName, std::string("/dev/ttyUSB0"));

    {
        // No port on the machine: the stored one is offered, marked, and kept by OK.
        PreferencesDialog dialog(sandboxContext(*window, {}), window.get());
        QCOMPARE(dialog.portBox()->count(), 1);
        QCOMPARE(dialog.portBox()->currentText(), QStringLiteral("/dev/ttyUSB0 (not connected)"));
        dialog.acceptChanges();
        QCOMPARE(settings.serialPortName, std::string("/dev/ttyUSB0"));
    }
    {
        PreferencesDialog dialog(sandboxContext(*window, {"/dev/ttyS0", "/dev/ttyS1"}), window.get());
        QCOMPARE(dialog.portBox()->count(), 3);
        QCOMPARE(dialog.portBox()->currentIndex(), 2);
        dialog.portBox()->setCurrentIndex(1);
        dialog.acceptChanges();
        QCOMPARE(settings.serialPortName, std::string("/dev/ttyS1"));
    }
    {
        PreferencesDialog dialog(sandboxContext(*window, {"/dev/ttyS0", "/dev/ttyS1"}), window.get());
        QCOMPARE(dialog.portBox()->count(), 2);
        QCOMPARE(dialog.portBox()->currentText(), QStringLiteral("/dev/ttyS1"));
    }
    std::optional<std::string> stored;
    if (sandbox.store().openKey(kSettingsKeyPath, false)) {
        stored = sandbox.store().readString("ComPort");
        sandbox.store().closeKey();
    }
    QCOMPARE(stored, std::optional<std::string>("/dev/ttyS1"));
}

// ---------------------------------------------------------------- help

void SupportWindowsTest::helpOpensAtThePageOfEachWindow() {
    Sandbox sandbox;
    sandbox.seedEarlierRun();
    auto window = sandbox.makeWindow();
    SupportWindows support(*window, CS_HELP_PAGES, sandbox.path() / "ChanelEdiotr.log");

    QTest::keyClick(window->widgets().channelList, Qt::Key_F1);
    QCOMPARE(support.helpWindow().currentFile(), QStringLiteral("main-window.html"));
    QVERIFY(support.helpWindow().isVisible());

    {
        // Over a modal dialog the help is a window of the dialog's own, which it does not block.
        PreferencesDialog preferences(sandboxContext(*window), window.get());
        preferences.show();
        QCOMPARE(QApplication::activeModalWidget(), &preferences);
        QTest::keyClick(preferences.portBox(), Qt::Key_F1);
        auto* own = preferences.findChild<HelpWindow*>();
        QVERIFY(own);
        QVERIFY(own->isVisible());
        QCOMPARE(own->currentFile(), QStringLiteral("preferences.html"));
        // Its Help button as well, in the same window.
        own->showTopic(HelpTopic::Contents);
        preferences.findChild<QPushButton*>(QStringLiteral("helpButton"))->click();
        QCOMPARE(preferences.findChildren<HelpWindow*>().size(), 1);
        QCOMPARE(own->currentFile(), QStringLiteral("preferences.html"));
        QCOMPARE(support.helpWindow().currentFile(), QStringLiteral("main-window.html"));
    }

    AboutBoxContext aboutContext = aboutBoxContext(*window);
    AboutBox about(aboutContext, window.get());
    about.show();
    QTest::keyClick(&about, Qt::Key_F1);
    QCOMPARE(support.helpWindow().currentFile(), QStringLiteral("about-and-log.html"));

    ConnectionWizardStandIn wizard;
    auto* field = new QLabel(&wizard);
    wizard.show();
    QTest::keyClick(field, Qt::Key_F1);
    QCOMPARE(support.helpWindow().currentFile(), QStringLiteral("wizard.html"));

    // A window may name its own page, with a place on it.
    QDialog satellites;
    satellites.setProperty("helpTopic", QStringLiteral("properties.html#satellites"));
    auto* edit = new QLabel(&satellites);
    satellites.show();
    QTest::keyClick(edit, Qt::Key_F1);
    QCOMPARE(support.helpWindow().currentFile(), QStringLiteral("properties.html"));
    QCOMPARE(support.helpWindow().browser()->source().fragment(), QStringLiteral("satellites"));

    for (const HelpTopic topic : {HelpTopic::Editing, HelpTopic::Properties, HelpTopic::Wizard, HelpTopic::ImageManager,
                                  HelpTopic::CommandLine}) {
        support.showHelp(topic);
        QCOMPARE(support.helpWindow().currentFile().toStdString(), std::string(helpFileFor(topic)));
        QVERIFY(support.helpWindow().browser()->toPlainText().size() > 500);
    }
}

void SupportWindowsTest::helpCommandsAndLogEntryOfTheMainWindow() {
    Sandbox sandbox;
    EnvOverride noStateHome("XDG_STATE_HOME", nullptr);
    const fs::path file = sandbox.writeFile("db.dsp", Sandbox::demo());
    sandbox.seedEarlierRun({file.string()});
    auto window = sandbox.makeWindow();
    QVERIFY(runPendingOpen(*window));
    // No log file given: the program's own place, below the (sandbox's) home folder.
    SupportWindows support(*window, CS_HELP_PAGES);
    const app::MainWindowActions& a = window->actions();

    for (QAction* action : {a.contextHelp, a.helpIndex, a.helpOnHelp, a.toolHelp})
        QVERIFY(action->isVisible());
    a.contextHelp->trigger();
    QCOMPARE(support.helpWindow().currentFile(), QStringLiteral("index.html"));
    a.helpOnHelp->trigger();
    QCOMPARE(support.helpWindow().currentFile(), QStringLiteral("using-help.html"));
    a.toolHelp->trigger();
    QCOMPARE(support.helpWindow().currentFile(), QStringLiteral("index.html"));
    a.helpIndex->trigger();
    QCOMPARE(support.helpWindow().tabs()->currentIndex(), 1);
    QTest::keyClicks(support.helpWindow().indexEdit(), "dial");
    QCOMPARE(support.helpWindow().indexList()->currentItem()->text(), QStringLiteral("dialout"));
    QTest::keyClick(support.helpWindow().indexEdit(), Qt::Key_Return);
    QCOMPARE(support.helpWindow().currentFile(), QStringLiteral("wizard.html"));
    // A keyword of two pages names each.
    QVERIFY(!support.helpWindow().indexList()->findItems(QStringLiteral("serial port (The connection wizard)"), Qt::MatchExactly).isEmpty());
    QVERIFY(!support.helpWindow().indexList()->findItems(QStringLiteral("serial port (Preferences)"), Qt::MatchExactly).isEmpty());
    support.helpWindow().showSearch(QStringLiteral("grayscale"));
    QCOMPARE(support.helpWindow().searchResults()->count(), 1);
    QCOMPARE(support.helpWindow().searchResults()->item(0)->text(), QStringLiteral("The image manager"));

    // The log window was made at start, hidden, and holds what the load wrote before it existed.
    LogWindow& log = support.logWindow();
    QVERIFY(!log.isVisible());
    QVERIFY(log.lines().contains(QStringLiteral("Error: 0")));
    QAction* showLog = window->menus().help->findChild<QAction*>(QStringLiteral("showLog"));
    QVERIFY(showLog);
    QVERIFY(window->menus().help->actions().indexOf(showLog) < window->menus().help->actions().indexOf(a.about));
    showLog->trigger();
    QVERIFY(log.isVisible());
    QCOMPARE(log.windowTitle(), QStringLiteral("Log"));
    window->log().write("the properties dialog wrote this");
    QTRY_VERIFY(log.lines().contains(QStringLiteral("the properties dialog wrote this")));

    // The lines go to the state folder, never straight into the home folder.
    const fs::path logFile = sandbox.path() / ".local" / "state" / "channelsettings" / "ChanelEdiotr.log";
    QCOMPARE(log.logFile(), logFile);
    QTest::mouseDClick(log.list()->viewport(), Qt::LeftButton);
    QVERIFY(readText(logFile).find("the properties dialog wrote this\n") != std::string::npos);
    QVERIFY(!fs::exists(sandbox.path() / "ChanelEdiotr.log"));
}

QTEST_MAIN(SupportWindowsTest)
#include "support_windows_test.moc"
