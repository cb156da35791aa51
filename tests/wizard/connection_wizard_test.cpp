// The connection wizard in the desktop program (offscreen), against the simulated receiver on a
// pseudo-terminal: receiving with and without the automatic open, sending the current database
// after the save question and verifying it, a break during a transfer, a hang-up, and a port held
// by another program.
#include "../app/app_test_support.h"

#include "app/import_and_image_manager.h"
#include "fixtures/picture_store_fixture.h"
#include "pictures/image_manager_window.h"
#include "pictures/jpeg_codec.h"

#include "link/port_lock.h"
#include "peer_harness.h"
#include "widgets/message_box.h"
#include "support/env_override.h"
#include "support/event_wait.h"
#include "wizard/connection_wizard.h"
#include "wizard/send_verification.h"
#include "wizard/verification_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <fcntl.h>
#include <cstdlib>
#include <unistd.h>
#include <QTest>

using namespace cs;
using namespace cs::apptest;
using cs::wizard::ConnectionWizard;
using cs::wizard::TransmissionType;
using cs::wizard::VerificationDialog;

class ConnectionWizardTest : public QObject {
    Q_OBJECT

    struct Run {
        std::unique_ptr<Sandbox> sandbox = std::make_unique<Sandbox>();
        std::unique_ptr<app::MainWindow> window;
        std::unique_ptr<ConnectionWizard> wizard;
    };

    // A window whose stored port is `device`, and a wizard opened from the menu on page 2.
    static Run open(const std::string& device, std::vector<std::string> arguments = {}) {
        Run r;
        r.sandbox->seedEarlierRun({}, settings_flags::kDefaults & ~settings_flags::kPortOpenFailed);
        r.sandbox->store().seed(kSettingsKeyPath, "ComPort", device);
        r.window = r.sandbox->makeWindow(std::move(arguments));
        runPendingOpen(*r.window);
        r.wizard = std::make_unique<ConnectionWizard>(*r.window, app::WizardMode::Menu);
        r.wizard->show();
        QTest::qWait(20);
        return r;
    }

    static bool waitEnd(ConnectionWizard& w, int ms = 60000) {
        return testsupport::waitUntil([&] { return !w.connecting() && w.linkResult() != link::ConnectionResult::NothingYet; }, ms);
    }

    // A receiver that takes a file and sends back what it took after "GETSETT", changed by
    // `changes` (simulated-receiver's --return-... options).
    static test::ReceiverOptions returningReceiver(const test::TempDir& dir, std::vector<std::string> changes) {
        test::ReceiverOptions o;
        o.inbox = dir / "inbox";
        o.sb1k = true;
        o.transfers = 2;
        // It stays while the port is closed between the send and the question's answer.
        o.extraArgs = {"--return-received", "--hup-grace-ms", "20000"};
        o.extraArgs.insert(o.extraArgs.end(), changes.begin(), changes.end());
        return o;
    }

    // A window with the demo database open from `file` and a wizard in `mode`, on page 3 ready
    // to send the current database.
    static Run sendingCurrent(const std::string& device, const std::filesystem::path& file, app::WizardMode mode) {
        Run r;
        fixtures::writeFile(file, Sandbox::demo());
        r.sandbox->seedEarlierRun({file.string()}, settings_flags::kDefaults & ~settings_flags::kPortOpenFailed);
        r.sandbox->store().seed(kSettingsKeyPath, "ComPort", device);
        r.window = r.sandbox->makeWindow({file.string()});
        runPendingOpen(*r.window);
        r.wizard = std::make_unique<ConnectionWizard>(*r.window, mode);
        r.wizard->show();
        if (mode == app::WizardMode::Menu) {
            (void)testsupport::waitUntil([&] { return r.wizard->page() == 2; }, 5000);
            r.wizard->selectType(TransmissionType::SendCurrent);
            r.wizard->goToPage(ConnectionWizard::Move::Next);
        }
        (void)testsupport::waitUntil([&] { return r.wizard->page() == 3; }, 5000);
        return r;
    }

    // The wizard's temporary folders are gone from `tmp`.
    static bool noVerificationFolderIn(const std::filesystem::path& tmp) {
        for (const auto& entry : std::filesystem::directory_iterator(tmp))
            if (entry.path().filename().string().rfind("channelsettings-verify-", 0) == 0)
                return false;
        return true;
    }

    static VerificationDialog* waitVerificationResult(app::MainWindow& window, int ms = 90000) {
        VerificationDialog* dialog = nullptr;
        (void)testsupport::waitUntil([&] { return (dialog = window.findChild<VerificationDialog*>()) != nullptr; }, ms);
        return dialog;
    }

    // Scripts the verification question's answer and sends.
    static void sendAndAnswer(Run& r, widgets::MessageAnswer answer, widgets::ScriptedMessageBoxes& boxes) {
        boxes.expect(wizard::kVerifyQuestion, wizard::kVerifyTitle, widgets::kQuestionYesNo, answer);
        QVERIFY(r.wizard->page() == 3);
        r.wizard->connectLink();
    }

private slots:
    void verifyAfterSendingSaysIdentical() {
        // What the receiver writes itself (its own date in the header) does not count.
        test::TempDir dir;
        std::filesystem::create_directories(dir / "tmp");
        const testsupport::EnvOverride tmpdir("TMPDIR", (dir / "tmp").c_str());
        test::SimulatedReceiver rx(returningReceiver(dir, {"--return-date", "20300102"}));
        QVERIFY(rx.waitReady());
        const auto file = dir / "mine/list.dsp";
        Run r = sendingCurrent(rx.devicePath(), file, app::WizardMode::SendDatabase);
        const auto before = test::readFileBytes(file);
        widgets::ScriptedMessageBoxes boxes;
        sendAndAnswer(r, widgets::MessageAnswer::Yes, boxes);
        VerificationDialog* result = waitVerificationResult(*r.window);
        QVERIFY2(result, rx.stderrText().c_str());
        QVERIFY2(boxes.report().empty(), boxes.report().c_str());
        const std::string report = result->reportText();
        QVERIFY2(report.rfind(cs::kIdenticalHeadline, 0) == 0, report.c_str());
        QVERIFY(result->reportView()->isReadOnly());
        QVERIFY(testsupport::waitUntil([&] { return !r.wizard->isVisible(); }, 2000));
        QCOMPARE(rx.waitExit(std::chrono::seconds(20)), std::optional<test::ExitStatus>(0));
        QVERIFY2(rx.summary().find("transfers 2/2 [ESC O Q: rb exit 0, GETSETT: sb exit 0]") != std::string::npos,
                 rx.summary().c_str());
        // The temporary folder is gone; the user's file and the open database are untouched.
        QVERIFY(noVerificationFolderIn(dir / "tmp"));
        QVERIFY(test::readFileBytes(file) == before);
        QCOMPARE(std::distance(std::filesystem::directory_iterator(dir / "mine"), std::filesystem::directory_iterator()), 1);
        QCOMPARE(r.window->currentFileName(), file.string());
        QVERIFY(!r.window->isModified());
        QCOMPARE(r.wizard->linkResult(), link::ConnectionResult::Ok);
    }

    void verifyAfterSendingNamesAPlantedDifference() {
        test::TempDir dir;
        std::filesystem::create_directories(dir / "tmp");
        const testsupport::EnvOverride tmpdir("TMPDIR", (dir / "tmp").c_str());
        // The first letter of the first channel's name, inverted on the way back.
        test::SimulatedReceiver rx(returningReceiver(dir, {"--return-flip", "64"}));
        QVERIFY(rx.waitReady());
        const auto file = dir / "list.dsp";
        Run r = sendingCurrent(rx.devicePath(), file, app::WizardMode::Menu);
        const auto bytes = test::readFileBytes(file);
        const char* name = reinterpret_cast<const char*>(bytes.data() + 64);
        QByteArray flipped(name, static_cast<qsizetype>(std::strlen(name)));
        flipped[0] = static_cast<char>(~flipped[0]);
        const std::string line = "slot 1: \"" + QString::fromLatin1(name).toStdString() + "\" -> \"" +
                                 QString::fromLatin1(flipped).toStdString() + "\" (damaged record)";
        widgets::ScriptedMessageBoxes boxes;
        sendAndAnswer(r, widgets::MessageAnswer::Yes, boxes);
        VerificationDialog* result = waitVerificationResult(*r.window);
        QVERIFY2(result, rx.stderrText().c_str());
        const std::string report = result->reportText();
        QVERIFY2(report.find(cs::kIdenticalHeadline) == std::string::npos, report.c_str());
        for (const std::string& expected : {std::string("Channel table: 1 difference\n  ") + line + "\n",
                                            std::string("Settings area: identical"),
                                            std::string("Provider area: identical"),
                                            std::string("Transponder table: identical")})
            QVERIFY2(report.find(expected) != std::string::npos, (expected + "\n---\n" + report).c_str());
        QVERIFY(noVerificationFolderIn(dir / "tmp"));
        QVERIFY(test::readFileBytes(file) == bytes);
    }

    void declinedVerificationReceivesNothing() {
        test::TempDir dir;
        std::filesystem::create_directories(dir / "tmp");
        const testsupport::EnvOverride tmpdir("TMPDIR", (dir / "tmp").c_str());
        // The receiver ends by itself once the port has stayed closed for two seconds; a
        // verification, however late it started, would have reached it before that.
        test::SimulatedReceiver rx(returningReceiver(dir, {"--hup-grace-ms", "2000"}));
        QVERIFY(rx.waitReady());
        Run r = sendingCurrent(rx.devicePath(), dir / "list.dsp", app::WizardMode::SendDatabase);
        widgets::ScriptedMessageBoxes boxes;
        sendAndAnswer(r, widgets::MessageAnswer::No, boxes);
        QVERIFY(testsupport::waitUntil([&] { return !r.wizard->isVisible(); }, 60000));
        QVERIFY2(boxes.report().empty(), boxes.report().c_str());
        QCOMPARE(r.wizard->linkResult(), link::ConnectionResult::Ok);
        // The window's events go on while the receiver waits, so a dialog that comes late is
        // still there to be found once it has ended.
        QVERIFY2(testsupport::waitUntil([&] { return !rx.running(); }, 60000), rx.stderrText().c_str());
        QVERIFY2(rx.summary().find("engine side closed; transfers 1/2 [ESC O Q: rb exit 0]") != std::string::npos,
                 rx.summary().c_str());
        QVERIFY(!r.wizard->verifying() && !r.wizard->connecting());
        QVERIFY(!r.window->findChild<VerificationDialog*>());
        QVERIFY(noVerificationFolderIn(dir / "tmp"));
    }

    void breakingTheVerificationComparesNothing() {
        test::TempDir dir;
        std::filesystem::create_directories(dir / "tmp");
        const testsupport::EnvOverride tmpdir("TMPDIR", (dir / "tmp").c_str());
        test::ReceiverOptions o = returningReceiver(dir, {});
        o.toEngine.throttleBytesPerSec = 11520;  // the way back runs at the real line's pace
        test::SimulatedReceiver rx(o);
        QVERIFY(rx.waitReady());
        Run r = sendingCurrent(rx.devicePath(), dir / "list.dsp", app::WizardMode::SendDatabase);
        widgets::ScriptedMessageBoxes boxes;
        sendAndAnswer(r, widgets::MessageAnswer::Yes, boxes);
        QVERIFY(testsupport::waitUntil([&] { return r.wizard->verifying() && r.wizard->connecting() && r.wizard->progressBar()->value() > 5000; }, 90000));
        QVERIFY(!noVerificationFolderIn(dir / "tmp"));  // the receiver's copy is arriving there
        QTest::mouseClick(r.wizard->cancelButton(), Qt::LeftButton);
        VerificationDialog* result = waitVerificationResult(*r.window, 30000);
        QVERIFY(result);
        QCOMPARE(result->reportText(), std::string(wizard::kVerifyCancelledHeadline) + "\n");
        QVERIFY(testsupport::waitUntil([&] { return !r.wizard->isVisible(); }, 2000));
        QVERIFY(noVerificationFolderIn(dir / "tmp"));
    }

    void receiveAllOpensTheReceivedDatabase() {
        test::TempDir dir;
        const auto settings = dir / "rx-side/settings.dsp";
        fixtures::writeFile(settings, Sandbox::demo());
        test::ReceiverOptions o;
        o.settingsFile = settings;
        o.sb1k = true;
        test::SimulatedReceiver rx(o);
        QVERIFY(rx.waitReady());
        Run r = open(rx.devicePath());
        QCOMPARE(r.wizard->page(), 2);
        r.wizard->selectType(TransmissionType::ReceiveAll);
        r.wizard->autoOpenBox()->setChecked(true);
        r.wizard->pathEdit()->setText(QString::fromStdString((dir / "got/list.dsp").string()));
        {
            // the folder does not exist yet: it is created after the question
            widgets::ScriptedMessageBoxes boxes;
            boxes.expect(r.window->text("Creator_FolderNoExiste"), r.window->text("TextError"),
                         {widgets::MessageIcon::Stop, widgets::MessageButtons::YesNo}, widgets::MessageAnswer::Yes);
            r.wizard->goToPage(ConnectionWizard::Move::Next);
            QVERIFY2(boxes.report().empty(), boxes.report().c_str());
        }
        QCOMPARE(r.wizard->page(), 3);
        QTest::mouseClick(r.wizard->connectButton(), Qt::LeftButton);
        QCOMPARE(r.wizard->cancelButton()->text().toStdString(), r.window->text("Creator_Label_Btn_Break"));
        QVERIFY(waitEnd(*r.wizard));
        QCOMPARE(r.wizard->linkResult(), link::ConnectionResult::Ok);
        QCOMPARE(r.wizard->progressBar()->value(), r.wizard->progressBar()->maximum());
        QVERIFY(testsupport::waitUntil([&] { return !r.wizard->isVisible(); }, 2000));
        QVERIFY(test::readFileBytes(dir / "got/settings.dsp") == test::readFileBytes(settings));
        // the database appears in the window
        QVERIFY(runPendingOpen(*r.window));
        QCOMPARE(r.window->currentFileName(), (dir / "got/settings.dsp").string());
        QVERIFY(r.window->databaseLoaded());
        // remembered after a success from the menu
        QCOMPARE(r.window->storedSettings().wizardListIndex, 2);
    }

    void receiveChannelsOpensNothing() {
        test::TempDir dir;
        const auto base = dir / "rx-side/channels.dsp";
        fixtures::writeFile(base, Sandbox::demo());
        test::ReceiverOptions o;
        o.baseFile = base;
        o.sb1k = true;
        test::SimulatedReceiver rx(o);
        QVERIFY(rx.waitReady());
        std::filesystem::create_directories(dir / "got");
        Run r = open(rx.devicePath());
        r.wizard->selectType(TransmissionType::ReceiveChannels);
        QVERIFY(!r.wizard->autoOpenBox()->isEnabled());
        r.wizard->pathEdit()->setText(QString::fromStdString((dir / "got/list.dsp").string()));
        r.wizard->goToPage(ConnectionWizard::Move::Next);
        r.wizard->connectLink();
        QVERIFY(waitEnd(*r.wizard));
        QCOMPARE(r.wizard->linkResult(), link::ConnectionResult::Ok);
        QVERIFY(test::readFileBytes(dir / "got/channels.dsp") == test::readFileBytes(base));
        QVERIFY(!runPendingOpen(*r.window));
    }

    void sendTheCurrentDatabaseAfterTheSaveQuestion() {
        test::TempDir dir;
        test::ReceiverOptions o;
        o.inbox = dir / "inbox";
        test::SimulatedReceiver rx(o);
        QVERIFY(rx.waitReady());
        Run r;
        const auto file = r.sandbox->writeFile("list.dsp", Sandbox::demo());
        r.sandbox->seedEarlierRun({file.string()}, settings_flags::kDefaults & ~settings_flags::kPortOpenFailed);
        r.sandbox->store().seed(kSettingsKeyPath, "ComPort", rx.devicePath());
        r.window = r.sandbox->makeWindow({file.string()});
        QVERIFY(runPendingOpen(*r.window));
        r.window->setModified(true);
        r.wizard = std::make_unique<ConnectionWizard>(*r.window, app::WizardMode::SendDatabase);
        {
            widgets::ScriptedMessageBoxes boxes;
            boxes.expect(r.window->text("Creator_FileModified01") + " " + file.string() + " " +
                             r.window->text("Creator_FileModified02"),
                         r.window->text("Creator_SaveChanged"), widgets::kQuestionYesNo, widgets::MessageAnswer::Yes);
            r.wizard->show();
            QVERIFY(testsupport::waitUntil([&] { return r.wizard->page() == 3; }, 5000));
            QVERIFY2(boxes.report().empty(), boxes.report().c_str());
        }
        QVERIFY(!r.window->isModified());
        widgets::ScriptedMessageBoxes boxes;
        boxes.expect(wizard::kVerifyQuestion, wizard::kVerifyTitle, widgets::kQuestionYesNo, widgets::MessageAnswer::No);
        r.wizard->connectLink();
        QVERIFY(waitEnd(*r.wizard));
        QCOMPARE(r.wizard->linkResult(), link::ConnectionResult::Ok);
        QVERIFY(rx.waitExit(std::chrono::seconds(20)) == 0);
        QVERIFY(test::readFileBytes(dir / "inbox/list.dsp") == test::readFileBytes(file));
        QVERIFY2(boxes.report().empty(), boxes.report().c_str());
    }

    void breakDuringATransferReachesThePeer() {
        test::TempDir dir;
        const auto file = test::writeRandomFile(dir / "big.dsp", 200000, 3);
        test::ReceiverOptions o;
        o.inbox = dir / "inbox";
        o.toPeer.throttleBytesPerSec = 11520;
        test::SimulatedReceiver rx(o);
        QVERIFY(rx.waitReady());
        Run r = open(rx.devicePath());
        r.wizard->selectType(TransmissionType::SendFile);
        r.wizard->pathEdit()->setText(QString::fromStdString(file.string()));
        r.wizard->goToPage(ConnectionWizard::Move::Next);
        r.wizard->connectLink();
        QVERIFY(testsupport::waitUntil([&] { return r.wizard->progressBar()->value() > 20000; }, 30000));
        QTest::mouseClick(r.wizard->cancelButton(), Qt::LeftButton);
        QCOMPARE(r.wizard->connectionEdit()->text().toStdString(), r.window->text("Creator_Msg_ConnectBreakUser"));
        QVERIFY(waitEnd(*r.wizard));
        QCOMPARE(r.wizard->linkResult(), link::ConnectionResult::TransferFailed);
        QCOMPARE(r.wizard->connectionEdit()->text().toStdString(), r.window->text("Creator_Msg_EndOfConnection"));
        QVERIFY(r.wizard->isVisible());  // stays open to try again
        // The receiver heard the cancel and gave up at once, instead of waiting in its loader.
        const auto status = rx.waitExit(std::chrono::seconds(5));
        QVERIFY2(status.has_value() && *status != 0, rx.stderrText().c_str());
        const std::string said = rx.stderrText();
        QVERIFY2(said.find("ancel") != std::string::npos, said.substr(said.size() > 600 ? said.size() - 600 : 0).c_str());
    }

    void hangUpSaysTheDeviceWasDisconnected() {
        test::TempDir dir;
        const auto settings = dir / "rx-side/settings.dsp";
        test::writeRandomFile(settings, 60000, 5);
        test::ReceiverOptions o;
        o.settingsFile = settings;
        o.sb1k = true;
        o.toEngine.hangupAfter = 20000;
        test::SimulatedReceiver rx(o);
        QVERIFY(rx.waitReady());
        std::filesystem::create_directories(dir / "got");
        Run r = open(rx.devicePath());
        r.wizard->selectType(TransmissionType::ReceiveAll);
        r.wizard->pathEdit()->setText(QString::fromStdString((dir / "got/list.dsp").string()));
        r.wizard->goToPage(ConnectionWizard::Move::Next);
        r.wizard->connectLink();
        QVERIFY(waitEnd(*r.wizard));
        QCOMPARE(r.wizard->linkResult(), link::ConnectionResult::TransferFailed);
        QVERIFY2(r.wizard->connectionEdit()->text().contains(QStringLiteral("was disconnected")),
                 qPrintable(r.wizard->connectionEdit()->text()));
        QVERIFY(std::filesystem::is_empty(dir / "got"));  // the partial file is gone
    }

    void portHeldByAnotherProgramSaysWhichOne() {
        test::TempDir dir;
        test::ReceiverOptions o;
        o.inbox = dir / "inbox";
        test::SimulatedReceiver rx(o);
        QVERIFY(rx.waitReady());
        test::ChildOptions holderOptions;
        holderOptions.argv = {"sleep", "60"};
        test::ChildProcess holder(holderOptions);
        const auto lock = link::lockFilePath(rx.devicePath(), link::defaultLockDir());
        char text[16];
        std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(holder.pid()));
        test::writeFileBytes(lock, std::vector<std::uint8_t>(text, text + 11));
        const auto file = test::writeRandomFile(dir / "a.dsp", 1000, 1);
        Run r = open(rx.devicePath());
        r.wizard->selectType(TransmissionType::SendFile);
        r.wizard->pathEdit()->setText(QString::fromStdString(file.string()));
        r.wizard->goToPage(ConnectionWizard::Move::Next);
        widgets::ScriptedMessageBoxes boxes;
        const std::string reason = "Can't open specified device " + rx.devicePath() +
                                   " (Error 16, Device or resource busy) The port is in use by process " +
                                   std::to_string(holder.pid()) + " (sleep); close that program and try again.";
        boxes.expect(r.window->text("Creator_Msg_CantOpenComPort") + " " + rx.devicePath() + "\n\n" + reason,
                     r.window->text("TextError"), widgets::kStopOk, widgets::MessageAnswer::Ok);
        r.wizard->connectLink();
        QVERIFY(waitEnd(*r.wizard, 10000));
        QVERIFY2(boxes.report().empty(), boxes.report().c_str());
        QCOMPARE(r.wizard->linkResult(), link::ConnectionResult::PortFailed);
        QVERIFY(r.window->storedSettings().flag(settings_flags::kPortOpenFailed));
        std::filesystem::remove(lock);
    }

    void pageTwoChecks() {
        Run r = open("/dev/cs-none");
        // sizes and the extension of a typed send path
        test::TempDir dir;
        const auto small = test::writeRandomFile(dir / "small.dsp", 63, 1);
        r.wizard->selectType(TransmissionType::SendFile);
        r.wizard->pathEdit()->setText(QString::fromStdString((dir / "small").string()));
        {
            widgets::ScriptedMessageBoxes boxes;
            boxes.expect(r.window->text("Creator_FileCantRead"), r.window->text("TextError"), widgets::kStopOk,
                         widgets::MessageAnswer::Ok);
            r.wizard->goToPage(ConnectionWizard::Move::Next);
            QVERIFY2(boxes.report().empty(), boxes.report().c_str());
        }
        QCOMPARE(r.wizard->page(), 2);
        QCOMPARE(r.wizard->pathEdit()->text().toStdString(), small.string());
        // no database loaded: sending the current one is refused
        r.wizard->selectType(TransmissionType::SendCurrent);
        {
            widgets::ScriptedMessageBoxes boxes;
            boxes.expect(r.window->text("Creator_FileNoContainBase"), r.window->text("TextError"), widgets::kStopOk,
                         widgets::MessageAnswer::Ok);
            r.wizard->goToPage(ConnectionWizard::Move::Next);
            QVERIFY2(boxes.report().empty(), boxes.report().c_str());
        }
        QCOMPARE(r.wizard->page(), 2);
        // page 1 lists the stored port although it is not there, marked, still chosen
        r.wizard->goToPage(ConnectionWizard::Move::Back);
        QCOMPARE(r.wizard->page(), 1);
        QVERIFY(r.wizard->portBox()->currentText().endsWith(QStringLiteral("/dev/cs-none (not connected)")));
    }
    // A port the list does not show is typed: a path that is no character device is refused with
    // a message when leaving it; a pseudo-terminal is taken and stored like a chosen port.
    void typedPortIsCheckedAndStored() {
        Run r = open("/dev/cs-none");
        r.wizard->goToPage(ConnectionWizard::Move::Back);
        QCOMPARE(r.wizard->page(), 1);
        QComboBox* box = r.wizard->portBox();
        QVERIFY(box->isEditable());
        test::TempDir dir;
        const auto plain = test::writeRandomFile(dir / "not-a-port", 10, 1);
        const auto typeInto = [&](const std::string& text) {
            box->lineEdit()->selectAll();
            QTest::keyClick(box->lineEdit(), Qt::Key_Delete);
            QTest::keyClicks(box->lineEdit(), QString::fromStdString(text));
        };
        typeInto(plain.string());
        {
            widgets::ScriptedMessageBoxes boxes;
            boxes.expect(plain.string() + " " + r.window->text("Creator_Msg_PortNotDevice"), r.window->text("TextError"),
                         widgets::kStopOk, widgets::MessageAnswer::Ok);
            QTest::keyClick(box->lineEdit(), Qt::Key_Return);  // leaving the box checks it
            r.wizard->goToPage(ConnectionWizard::Move::Next);  // said once, still refused
            QVERIFY2(boxes.report().empty(), boxes.report().c_str());
        }
        QCOMPARE(r.wizard->page(), 1);
        QCOMPARE(r.window->storedSettings().serialPortName, std::string("/dev/cs-none"));

        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const std::string terminal = ::ptsname(master);
        typeInto(terminal);
        {
            // Return is the wizard's Next: the typed terminal passes the check and page 2 follows.
            widgets::ScriptedMessageBoxes none;
            QTest::keyClick(box->lineEdit(), Qt::Key_Return);
            QVERIFY2(none.report().empty(), none.report().c_str());
        }
        QCOMPARE(r.wizard->page(), 2);
        QCOMPARE(r.window->storedSettings().serialPortName, terminal);
        // Back on page 1 it is the chosen port.
        r.wizard->goToPage(ConnectionWizard::Move::Back);
        QVERIFY(box->currentText().contains(QString::fromStdString(terminal)));
        ::close(master);
    }
    void imageManagerSendArrivesAtTheReceiverByteIdentical() {
        test::TempDir dir;
        test::ReceiverOptions o;
        o.inbox = dir / "inbox";
        test::SimulatedReceiver rx(o);
        QVERIFY(rx.waitReady());
        Run r;
        r.sandbox->seedEarlierRun({}, settings_flags::kDefaults & ~settings_flags::kPortOpenFailed);
        r.sandbox->store().seed(kSettingsKeyPath, "ComPort", rx.devicePath());
        // The real wizard, shown without its modal loop so the test can drive it.
        r.sandbox->adjustHooks = [&r](app::MainWindowHooks& hooks) {
            hooks.openConnectionWizard = [&r](app::MainWindow& w, app::WizardMode mode) {
                r.wizard = std::make_unique<ConnectionWizard>(w, mode);
                r.wizard->show();
            };
        };
        r.window = r.sandbox->makeWindow();
        runPendingOpen(*r.window);

        Bitmap picture = makeBitmap(720, 576, 3);
        for (std::size_t i = 0; i < picture.pixels.size(); ++i)
            picture.pixels[i] = static_cast<std::uint8_t>(i / picture.stride() / 3);
        const std::vector<std::uint8_t> logo = *encodeJpeg(picture).data;
        fixtures::PictureStoreFixture store;
        store.entries = {{0, "mlogo25k.jpg", static_cast<std::uint32_t>(logo.size()), 4128, logo}};
        const auto file = dir / "STORE.dsp";
        fixtures::writeFixtureFile(file, fixtures::makePictureStoreFile(store));

        pictures_ui::ImageManagerWindow manager(app::imageManagerHost(*r.window));
        manager.openFile(file.string());
        manager.show();
        manager.actions().send->trigger();
        QVERIFY(r.wizard);
        QVERIFY(testsupport::waitUntil([&] { return r.wizard->page() == 3; }, 5000));
        r.wizard->connectLink();
        QVERIFY(waitEnd(*r.wizard));
        QCOMPARE(r.wizard->linkResult(), link::ConnectionResult::Ok);
        QVERIFY(rx.waitExit(std::chrono::seconds(20)) == 0);
        QVERIFY(test::readFileBytes(dir / "inbox/STORE.dsp") == test::readFileBytes(file));
    }
};

QTEST_MAIN(ConnectionWizardTest)
#include "connection_wizard_test.moc"
