// The reasons the main window gives when a database cannot be opened or saved (those of the
// command-line tool, in the chosen language), and the word after opening a file whose settings
// area failed its check. Run as an unprivileged user (tests/support/as_nobody.sh), so that an
// unreadable file and a folder that may not be written are met as a user meets them.
#include <QApplication>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "app/file_reasons.h"
#include "common/regular_file.h"
#include "lang/builtin_languages.h"
#include "lang/lang_content.h"
#include "views_test_support.h"
#include "widgets/message_box.h"
#include "app_test_support.h"

using namespace cs;
using namespace cs::apptest;
using cs::widgets::MessageAnswer;
using cs::widgets::ScriptedMessageBoxes;

namespace {

#define CHECK_SCRIPT(script) QVERIFY2((script).report().empty(), (script).report().c_str())

std::unique_ptr<app::WindowViews> realViews(app::MainWindow& window) { return app::makeWindowViews(window); }

// A sandbox whose windows have their real views, with the demo database as the last file.
struct DemoBox {
    Sandbox box;
    fs::path file;
    DemoBox() {
        box.makeViews = realViews;
        file = box.writeFile("demo.dsp", Sandbox::demo());
        box.seedEarlierRun({file.string()});
    }
};

bool unprivileged() { return ::geteuid() != 0; }

} // namespace

class FileReasonsTest : public QObject {
    Q_OBJECT

private slots:
    void reasonsAreTheCommandLineToolsInEveryLanguage();
    void saveFailuresByErrorNumber();
    void commandLineFileThatIsNoFileIsNamed_data();
    void commandLineFileThatIsNoFileIsNamed();
    void unreadableFileSaysItCannotBeRead();
    void failedSaveSaysWhy();
    void damagedSettingsAreaIsSaidAfterOpening();
};

void FileReasonsTest::reasonsAreTheCommandLineToolsInEveryLanguage() {
    std::vector<lang::LanguageContent> languages;
    for (const lang::BuiltInLanguage& l : lang::builtInLanguages())
        languages.emplace_back(std::string(l.name), lang::splitLines(l.text));
    QCOMPARE(languages.size(), std::size_t{5});
    for (FileProblem p : {FileProblem::Missing, FileProblem::Folder, FileProblem::NamedPipe, FileProblem::Device,
                          FileProblem::Socket, FileProblem::LinkLoop, FileProblem::Unreadable, FileProblem::TooLarge}) {
        const std::string_view key = app::fileProblemKey(p);
        QVERIFY(!key.empty());
        // English says what the command-line tool says (the missing file keeps its old text).
        if (p != FileProblem::Missing)
            QCOMPARE(languages.front().text(key), fileProblemText(p));
        for (const auto& language : languages)
            QVERIFY2(!language.text(key).empty() && language.text(key) != "?", std::string(key).c_str());
    }
    for (const char* key : {"MsgSaveNoRoom", "MsgSaveReadOnly", "MsgSaveNotAllowed", "MsgSaveNoBackup", "MsgSettingsAreaDamaged"})
        for (const auto& language : languages)
            QVERIFY2(!language.text(key).empty() && language.text(key) != "?", key);
}

void FileReasonsTest::saveFailuresByErrorNumber() {
    QCOMPARE(app::saveFailureKey(ENOSPC, false), std::string_view("MsgSaveNoRoom"));
    QCOMPARE(app::saveFailureKey(EDQUOT, false), std::string_view("MsgSaveNoRoom"));
    QCOMPARE(app::saveFailureKey(EROFS, false), std::string_view("MsgSaveReadOnly"));
    QCOMPARE(app::saveFailureKey(EACCES, false), std::string_view("MsgSaveNotAllowed"));
    QCOMPARE(app::saveFailureKey(EACCES, true), std::string_view("MsgSaveNoBackup"));
    QVERIFY(app::saveFailureKey(EIO, false).empty());
}

void FileReasonsTest::commandLineFileThatIsNoFileIsNamed_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder") << "folder" << "is a folder, not a file";
    QTest::newRow("FIFO") << "fifo" << "is a named pipe (FIFO), not a file";
    QTest::newRow("link loop") << "loop" << "is a symbolic link loop";
    QTest::newRow("missing") << "missing" << "doesn't  exist";
}

void FileReasonsTest::commandLineFileThatIsNoFileIsNamed() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    DemoBox demo;
    const fs::path named = demo.box.startFolder() / "named.dsp";
    if (kind == "folder")
        fs::create_directory(named);
    else if (kind == "fifo")
        QCOMPARE(::mkfifo(named.c_str(), 0644), 0);
    else if (kind == "loop")
        fs::create_symlink(named, named);
    auto window = demo.box.makeWindow({named.string()});
    {
        ScriptedMessageBoxes boxes;
        boxes.expect("File named.dsp " + reason.toStdString(), "File error", widgets::kStopOk, MessageAnswer::Ok);
        QVERIFY(runPendingOpen(*window));
        CHECK_SCRIPT(boxes);
    }
    // The start goes on with the usual file.
    QCOMPARE(window->currentFileName(), demo.file.string());
}

void FileReasonsTest::unreadableFileSaysItCannotBeRead() {
    if (!unprivileged())
        QSKIP("root reads every file: ctest runs this through tests/support/as_nobody.sh");
    DemoBox demo;
    auto window = demo.box.makeWindow();
    QVERIFY(runPendingOpen(*window));
    const fs::path locked = demo.box.writeFile("locked.dsp", Sandbox::demo());
    fs::permissions(locked, fs::perms::none);
    window->openFileLater(locked.string());
    {
        ScriptedMessageBoxes boxes;
        boxes.expect("File locked.dsp cannot be read", "File error", widgets::kStopOk, MessageAnswer::Ok);
        QVERIFY(runPendingOpen(*window));
        CHECK_SCRIPT(boxes);
    }
    QCOMPARE(window->currentFileName(), demo.file.string());
}

void FileReasonsTest::failedSaveSaysWhy() {
    if (!unprivileged())
        QSKIP("root writes every folder: ctest runs this through tests/support/as_nobody.sh");
    DemoBox demo;
    auto window = demo.box.makeWindow();
    QVERIFY(runPendingOpen(*window));
    // Its folder may not be written: nothing can be made there, and the file stays as it was.
    fs::permissions(demo.box.startFolder(), fs::perms::owner_read | fs::perms::owner_exec);
    window->setModified(true);
    ScriptedMessageBoxes boxes;
    window->actions().save->trigger();
    fs::permissions(demo.box.startFolder(), fs::perms::owner_all);
    QCOMPARE(boxes.shown().size(), std::size_t{1});
    const std::string text = boxes.shown()[0].text;
    QVERIFY2(text.starts_with("Unable to save file " + demo.file.string() + "\n"), text.c_str());
    QVERIFY2(text.find(window->text("MsgSaveNotAllowed")) != std::string::npos, text.c_str());
    // Then the image's own words, as the command-line tool gives them.
    QVERIFY2(text.ends_with(window->flash().lastSave().error), text.c_str());
    QVERIFY(window->isModified());
}

void FileReasonsTest::damagedSettingsAreaIsSaidAfterOpening() {
    Sandbox box;
    box.makeViews = realViews;
    viewtest::SmallDatabase damaged;
    damaged.validBa2 = false;
    const fs::path bad = box.writeFile("damaged.dsp", viewtest::smallDatabase(damaged));
    const fs::path good = box.writeFile("good.dsp", viewtest::smallDatabase({}));
    box.seedEarlierRun({bad.string()});
    auto window = box.makeWindow();
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(window->text("MsgSettingsAreaDamaged"), window->text("TextInformation"), widgets::kWarningOk,
                     MessageAnswer::Ok);
        QVERIFY(runPendingOpen(*window));
        CHECK_SCRIPT(boxes);
    }
    QVERIFY(window->databaseLoaded());
    // A sound file says nothing.
    ScriptedMessageBoxes none;
    window->openFileLater(good.string());
    QVERIFY(runPendingOpen(*window));
    CHECK_SCRIPT(none);
}

QTEST_MAIN(FileReasonsTest)
#include "file_reasons_test.moc"
