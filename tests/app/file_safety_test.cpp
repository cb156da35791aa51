// The window's part of keeping files safe: Save as never replaces a device or FIFO, a Save over a
// file another program changed since it was opened asks first, and damaged channel records that
// opening left out are said once.
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app_test_support.h"
#include "common/file_lock.h"
#include "image/flash.h"
#include "widgets/file_dialogs.h"
#include "widgets/message_box.h"

using namespace cs;
using namespace cs::apptest;
using cs::widgets::FileDialogKind;
using cs::widgets::MessageAnswer;
using cs::widgets::ScriptedFileDialogs;
using cs::widgets::ScriptedMessageBoxes;

namespace {

#define CHECK_SCRIPT(script) QVERIFY2((script).report().empty(), (script).report().c_str())

const std::string kChangedQuestion =
    "File db.dsp was changed on disk since it was opened. Yes: save over it. No: reload it from the disk (the "
    "changes made here are lost). Cancel: save under another name.";

void renameFirstChannel(app::MainWindow& window, std::string_view name) {
    Flash& flash = window.flash();
    for (std::size_t slot = 0; slot < flash.channelCapacity(); ++slot)
        if (flash.steps().slotInUse(slot)) {
            flash.records()[slot].setName(name);
            window.setModified(true);
            return;
        }
}

bool holds(const fixtures::ImageBytes& bytes, std::string_view text) {
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

} // namespace

class FileSafetyTest : public QObject {
    Q_OBJECT

private slots:
    void saveAsRefusesANamedPipe();
    void saveOverAFileChangedOnDiskAsksFirst_data();
    void saveOverAFileChangedOnDiskAsksFirst();
    void damagedRecordsAreSaidOnceAfterOpening();
    void saveWaitsForAnotherWriterAndNamesIt();
};

void FileSafetyTest::saveAsRefusesANamedPipe() {
    Sandbox box;
    const fs::path file = box.writeFile("db.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()});
    auto window = box.makeWindow();
    QVERIFY(runPendingOpen(*window));
    renameFirstChannel(*window, "Unsaved");
    const fs::path pipe = box.path() / "pipe.dsp";
    QCOMPARE(::mkfifo(pipe.c_str(), 0644), 0);

    ScriptedFileDialogs dialogs;
    ScriptedMessageBoxes boxes;
    dialogs.expect(FileDialogKind::Save, pipe.string());
    boxes.expect("File pipe.dsp is not a file (a folder, a device or a named pipe) and is left as it is; choose another "
                 "name",
                 "Write Error", widgets::kStopOk, MessageAnswer::Ok);
    window->saveAs();
    CHECK_SCRIPT(dialogs);
    CHECK_SCRIPT(boxes);
    struct stat st {};
    QCOMPARE(::lstat(pipe.c_str(), &st), 0);
    QVERIFY(S_ISFIFO(st.st_mode));
    QCOMPARE(window->currentFileName(), file.string());
    QVERIFY(window->isModified());
}

void FileSafetyTest::saveOverAFileChangedOnDiskAsksFirst_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("oursOnDisk");     // the file holds this window's change afterwards
    QTest::addColumn<bool>("modifiedAfter");
    QTest::newRow("Yes: overwrite") << static_cast<int>(MessageAnswer::Yes) << true << false;
    QTest::newRow("No: reload") << static_cast<int>(MessageAnswer::No) << false << false;
    QTest::newRow("Cancel: save as") << static_cast<int>(MessageAnswer::Cancel) << false << false;
}

void FileSafetyTest::saveOverAFileChangedOnDiskAsksFirst() {
    QFETCH(int, answer);
    QFETCH(bool, oursOnDisk);
    QFETCH(bool, modifiedAfter);
    Sandbox box;
    const fs::path file = box.writeFile("db.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()});
    auto window = box.makeWindow();
    QVERIFY(runPendingOpen(*window));
    renameFirstChannel(*window, "Ours");
    // Another program saves the file meanwhile.
    {
        NullLog log;
        Flash other(log);
        QCOMPARE(other.openImage(file.string()), OpenResult::Loaded);
        for (std::size_t slot = 0; slot < other.channelCapacity(); ++slot)
            if (other.steps().slotInUse(slot)) {
                other.records()[slot].setName("Theirs");
                break;
            }
        QCOMPARE(other.saveImage(file.string(), false), SaveResult::Saved);
    }

    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs dialogs;
    boxes.expect(kChangedQuestion, "Information", widgets::kQuestionYesNoCancel, static_cast<MessageAnswer>(answer));
    const fs::path copy = box.path() / "copy.dsp";
    if (static_cast<MessageAnswer>(answer) == MessageAnswer::Cancel)
        dialogs.expect(FileDialogKind::Save, copy.string());
    window->save();
    CHECK_SCRIPT(boxes);
    CHECK_SCRIPT(dialogs);
    if (static_cast<MessageAnswer>(answer) == MessageAnswer::No)
        QVERIFY(runPendingOpen(*window));
    QCOMPARE(holds(fixtures::readFile(file), "Ours"), oursOnDisk);
    QCOMPARE(holds(fixtures::readFile(file), "Theirs"), !oursOnDisk);
    QCOMPARE(window->isModified(), modifiedAfter);
    if (static_cast<MessageAnswer>(answer) == MessageAnswer::Cancel)
        QVERIFY(holds(fixtures::readFile(copy), "Ours"));
    if (static_cast<MessageAnswer>(answer) == MessageAnswer::No)
        QVERIFY(holds(fixtures::readFile(file), "Theirs"));

    // What this window saved (or reloaded) is what it compares with next time: no question.
    renameFirstChannel(*window, "Again");
    window->save();
    CHECK_SCRIPT(boxes);
    QVERIFY(holds(fixtures::readFile(fs::path(window->currentFileName())), "Again"));
}

void FileSafetyTest::damagedRecordsAreSaidOnceAfterOpening() {
    Sandbox box;
    fixtures::DatabaseImageBuilder b(fixtures::DatabaseFileKind::Settings);
    fixtures::ChannelFields good;
    b.channel(0, good).channel(1, fixtures::withBadCrc(good));
    const std::vector<std::uint8_t> zeros(64, 0);
    b.rawRecord(2, zeros);
    const fs::path file = box.writeFile("db.dsp", b.build());
    box.seedEarlierRun({file.string()});
    ScriptedMessageBoxes boxes;
    boxes.expect("2 channel records are damaged and will not be saved; the file as it is now is kept as .BAK at the "
                 "first save",
                 "Information", widgets::kWarningOk, MessageAnswer::Ok);
    auto window = box.makeWindow();
    QVERIFY(runPendingOpen(*window));
    CHECK_SCRIPT(boxes);
    // A save says nothing more.
    renameFirstChannel(*window, "Saved");
    window->save();
    CHECK_SCRIPT(boxes);
}

void FileSafetyTest::saveWaitsForAnotherWriterAndNamesIt() {
    Sandbox box;
    const fs::path file = box.writeFile("db.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()});
    auto window = box.makeWindow();
    QVERIFY(runPendingOpen(*window));
    renameFirstChannel(*window, "Ours");
    const fixtures::ImageBytes before = fixtures::readFile(file);

    // Another writer holds the file for longer than a save waits.
    const int other = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    QVERIFY(other >= 0);
    QCOMPARE(::flock(other, LOCK_EX), 0);
    const FileLock probe = FileLock::acquire(file.string(), std::chrono::milliseconds(0));
    QCOMPARE(probe.status(), FileLock::Status::Busy);
    ScriptedMessageBoxes boxes;
    boxes.expect(window->text("MsgFileCantSave") + " " + file.string() + "\n" + probe.busyText(file.string()),
                 window->text("MsgFileSaveError"), widgets::kStopOk, MessageAnswer::Ok);
    window->save();
    CHECK_SCRIPT(boxes);
    QVERIFY(fixtures::readFile(file) == before);
    QVERIFY(window->isModified());

    // Once it has finished, the save goes through.
    ::close(other);
    window->save();
    QVERIFY(holds(fixtures::readFile(file), "Ours"));
    QVERIFY(!window->isModified());
}

QTEST_MAIN(FileSafetyTest)
#include "file_safety_test.moc"
