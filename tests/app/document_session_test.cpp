// The open/save/close decisions of the main window, without a window: every open result in and
// out of the first run, every way of closing, choosing, dropping and saving files.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "app/document_session.h"

namespace cs::app {
namespace {

using Message = OpenOutcome::Message;

// A session over a made-up file system: only the files named exist.
DocumentSession sessionWith(std::set<std::string> files) {
    return DocumentSession([files = std::move(files)](const std::string& path) { return files.count(path) > 0; });
}

// A session that shows "shown.dsp", opened as the user does.
DocumentSession showing(std::set<std::string> files = {}) {
    files.insert("shown.dsp");
    DocumentSession s = sessionWith(std::move(files));
    s.requestOpen("shown.dsp");
    const OpenOutcome first = s.openFinished(OpenResult::Loaded, false, false);
    EXPECT_TRUE(first.showDatabase);
    s.setLoaded(true);
    return s;
}

struct OpenCase {
    const char* name;
    OpenResult result;
    bool firstRun;
    LaunchState launchedAs;
    bool hasRecentFiles;
    // expected
    OpenOutcome outcome;
    std::string shownAfter;  // "" : the file shown before ("shown.dsp")
    LaunchState launchAfter;
    std::string upgradeFile;
};

OpenOutcome outcome(bool registerType, std::optional<WizardMode> wizard, bool show,
                    std::optional<std::string> imageManager, Message message) {
    OpenOutcome o;
    o.registerFileType = registerType;
    o.wizard = wizard;
    o.showDatabase = show;
    o.imageManager = std::move(imageManager);
    o.message = message;
    o.file = "asked.dsp";
    return o;
}

TEST(DocumentSession, EveryOpenResultInAndOutOfTheFirstRun) {
    const auto N = LaunchState::Normal;
    const auto F = LaunchState::WithFile;
    const std::vector<OpenCase> cases = {
        // A loaded database replaces the shown one; nothing else ever does.
        {"loaded", OpenResult::Loaded, false, N, true, outcome(false, {}, true, {}, Message::None), "asked.dsp", N, ""},
        // A missing file is told only to a user who has opened files before.
        {"missing, recent files", OpenResult::NoFile, false, N, true,
         outcome(false, {}, false, {}, Message::FileMissing), "", N, ""},
        {"missing, no recent files", OpenResult::NoFile, false, N, false,
         outcome(false, {}, false, {}, Message::None), "", N, ""},
        {"not a database", OpenResult::NotDatabase, false, N, true,
         outcome(false, {}, false, {}, Message::NotADatabase), "", N, ""},
        {"unknown result", static_cast<OpenResult>(3), false, N, false,
         outcome(false, {}, false, {}, Message::NotADatabase), "", N, ""},
        // A software image goes to the connection wizard, which sends it without asking.
        {"software image", OpenResult::Software, false, N, true,
         outcome(false, WizardMode::SoftwareUpgrade, false, {}, Message::None), "", N, "asked.dsp"},
        {"software image from the command line", OpenResult::Software, false, F, true,
         outcome(false, WizardMode::SoftwareUpgrade, false, {}, Message::None), "", LaunchState::SoftwareHandedOver,
         "asked.dsp"},
        {"picture store", OpenResult::PictureStore, false, N, true,
         outcome(false, {}, false, std::string("asked.dsp"), Message::None), "", N, ""},
        // The first run registers the file type and opens the wizard, whatever the file was;
        // only a database the user named on the command line is shown after that.
        {"first run, start-up default", OpenResult::Loaded, true, N, false,
         outcome(true, WizardMode::FirstRun, false, {}, Message::None), "", N, ""},
        {"first run, command-line database", OpenResult::Loaded, true, F, false,
         outcome(true, WizardMode::FirstRun, true, {}, Message::None), "asked.dsp", N, ""},
        {"first run, command-line garbage", OpenResult::NotDatabase, true, F, false,
         outcome(true, WizardMode::FirstRun, false, {}, Message::None), "", N, ""},
        {"first run, command-line software image", OpenResult::Software, true, F, false,
         outcome(true, WizardMode::FirstRun, false, {}, Message::None), "", N, ""},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.name);
        DocumentSession s = showing({"asked.dsp"});
        s.setLaunchState(c.launchedAs);
        s.requestOpen("asked.dsp");
        ASSERT_TRUE(s.openPending());
        EXPECT_EQ(s.openFinished(c.result, c.firstRun, c.hasRecentFiles), c.outcome);
        const std::string shown = c.shownAfter.empty() ? "shown.dsp" : c.shownAfter;
        EXPECT_EQ(s.shownFile(), shown);
        // A save can never go to a file that failed to load or went to another window.
        EXPECT_EQ(s.pendingFile(), shown);
        EXPECT_EQ(s.saveTarget(), shown);
        EXPECT_EQ(s.launchState(), c.launchAfter);
        EXPECT_EQ(s.upgradeFile(), c.upgradeFile);
    }
}

TEST(DocumentSession, CancelBeforeAnOpenForgetsTheRequest) {
    DocumentSession s = showing({"other.dsp"});
    s.requestOpen("other.dsp");
    s.openCancelled();
    EXPECT_EQ(s.pendingFile(), "shown.dsp");
    EXPECT_EQ(s.shownFile(), "shown.dsp");
}

TEST(DocumentSession, CommandLine) {
    struct Case {
        std::vector<std::string> arguments;
        bool minimised;
        std::string pending;  // relative to the working folder
        LaunchState launch;
        std::string missing;  // said to be missing
    };
    const std::vector<Case> cases = {
        {{}, false, "", LaunchState::Normal, ""},
        {{"db.dsp"}, false, "db.dsp", LaunchState::WithFile, ""},
        {{"./sub/../DB.DSP"}, false, "DB.DSP", LaunchState::WithFile, ""},
        {{"gone.dsp"}, false, "", LaunchState::Normal, "gone.dsp"},    // not there
        {{"db.dsx"}, false, "", LaunchState::Normal, ""},      // not a database file
        {{"/autorun"}, true, "", LaunchState::Normal, ""},     // log-on start
        {{"/autorun", "db.dsp"}, true, "", LaunchState::Normal, ""},  // only the first argument counts
    };
    const std::filesystem::path here = std::filesystem::current_path();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? "(none)" : c.arguments.front());
        DocumentSession s = sessionWith({"db.dsp", "./sub/../DB.DSP", "db.dsx"});
        EXPECT_EQ(s.readCommandLine(c.arguments), c.minimised);
        EXPECT_EQ(s.pendingFile(), c.pending.empty() ? "" : (here / c.pending).string());
        EXPECT_EQ(s.launchState(), c.launch);
        EXPECT_EQ(s.takeMissingCommandLineFile(), c.missing);
        EXPECT_EQ(s.takeMissingCommandLineFile(), "");  // said once
    }
}

TEST(DocumentSession, ChoosingAFile) {
    DocumentSession s = showing({"other.dsp", "dotted.name", "parts.DSX", "backup.2024/list.dsp"});
    EXPECT_FALSE(s.chooseFile(""));  // the dialog was cancelled

    struct Case {
        std::string typed;
        std::string name;
        bool askReopen;
        bool exists;
        bool import = false;
    };
    const std::vector<Case> cases = {
        {"other", "other.dsp", false, true},        // the extension is added to a bare name
        {"other.dsp", "other.dsp", false, true},
        {"dotted.name", "dotted.name", false, true}, // any extension is kept
        {"backup.2024/list", "backup.2024/list.dsp", false, true},  // a folder's dot is no extension
        {"shown", "shown.dsp", true, true},          // the shown file: asked first
        {"gone", "gone.dsp", false, false},
        {"parts.DSX", "parts.DSX", false, true, true},  // an import file goes into the shown database
        {"none.dsx", "none.dsx", false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const auto chosen = s.chooseFile(c.typed);
        ASSERT_TRUE(chosen);
        EXPECT_EQ(chosen->name, c.name);
        EXPECT_EQ(chosen->askReopenShown, c.askReopen);
        EXPECT_EQ(chosen->exists, c.exists);
        EXPECT_EQ(chosen->import, c.import);
    }
    // A recent-files entry of the shown file does nothing at all.
    EXPECT_FALSE(s.chooseRecentFile("shown.dsp"));
    EXPECT_EQ(s.chooseRecentFile("other.dsp")->name, "other.dsp");
}

TEST(DocumentSession, DroppedFiles) {
    struct Case {
        std::vector<std::string> paths;
        bool loaded;
        DropAction action;
    };
    const std::string longName = std::string(300, 'x') + ".dsp";
    const std::vector<Case> cases = {
        {{}, true, DropAction::Ignore},
        {{"a.dsp"}, false, DropAction::Open},
        {{"A.DSP", "b.dsx"}, true, DropAction::Open},  // the first of a drop counts
        {{longName}, false, DropAction::Open},         // taken whole, whatever its length
        {{"i.dsx"}, true, DropAction::Import},
        {{"i.DSX"}, false, DropAction::Ignore},        // nothing shown to import into
        {{"gone.dsp"}, true, DropAction::Ignore},
        {{"notes.txt"}, true, DropAction::Ignore},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.paths.empty() ? "(none)" : c.paths.front());
        DocumentSession s = sessionWith({"a.dsp", "A.DSP", "b.dsx", longName, "i.dsx", "i.DSX", "notes.txt"});
        s.setLoaded(c.loaded);
        EXPECT_EQ(s.decideDrop(c.paths), c.action);
    }
}

TEST(DocumentSession, SaveAndSaveAs) {
    DocumentSession s = showing({"copy.dsp", "backup.2024/list.dsp"});
    EXPECT_EQ(s.saveStep(), SaveStep::NothingToDo);
    s.setModified(true);
    EXPECT_EQ(s.saveStep(), SaveStep::Write);
    EXPECT_EQ(s.saveTarget(), "shown.dsp");
    s.saved();
    EXPECT_FALSE(s.modified());

    // Save goes to the shown file even while another file waits to be opened.
    s.setModified(true);
    s.requestOpen("copy.dsp");
    EXPECT_EQ(s.saveTarget(), "shown.dsp");
    s.openCancelled();

    // Save as: a failed write keeps the shown file and the changes.
    EXPECT_EQ(s.saveAsTarget("copy").name, "copy.dsp");
    EXPECT_TRUE(s.saveAsTarget("copy").askOverwrite);  // the extension counts before the check
    EXPECT_FALSE(s.saveAsTarget("new").askOverwrite);
    // Only the file name counts: a dot in a folder's name is no extension, and the file that
    // would be replaced is the one with the extension added.
    const DocumentSession::SaveAsTarget inDottedFolder = s.saveAsTarget("backup.2024/list");
    EXPECT_EQ(inDottedFolder.name, "backup.2024/list.dsp");
    EXPECT_TRUE(inDottedFolder.askOverwrite);
    s.saveAsStarted("copy.dsp");
    EXPECT_EQ(s.pendingFile(), "copy.dsp");
    s.saveAsFinished("copy.dsp", false);
    EXPECT_EQ(s.pendingFile(), "shown.dsp");
    EXPECT_EQ(s.shownFile(), "shown.dsp");
    EXPECT_TRUE(s.modified());
    s.saveAsStarted("copy.dsp");
    s.saveAsFinished("copy.dsp", true);
    EXPECT_EQ(s.shownFile(), "copy.dsp");
    EXPECT_FALSE(s.modified());

    // Nothing shown: a modified state cannot be saved anywhere.
    DocumentSession empty = sessionWith({});
    empty.setModified(true);
    EXPECT_EQ(empty.saveStep(), SaveStep::NotPossible);
}

// Real files in a temporary folder, for the decisions that look at what is on disk.
class SessionOnDisk : public ::testing::Test {
protected:
    SessionOnDisk() : dir_(std::filesystem::temp_directory_path() / ("cs-session-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(dir_);
    }
    ~SessionOnDisk() override { std::filesystem::remove_all(dir_); }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    static void write(const std::string& file, const std::string& text) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    }
    std::filesystem::path dir_;
};

TEST_F(SessionOnDisk, SaveAsRefusesWhatIsNoFileBeforeAskingAnything) {
    ASSERT_EQ(::mkfifo(path("fifo.dsp").c_str(), 0644), 0);
    std::filesystem::create_directory(path("folder.dsp"));
    std::filesystem::create_symlink("loop.dsp", path("loop.dsp"));
    write(path("file.dsp"), "x");
    DocumentSession s;
    const struct {
        const char* chosen;
        FileProblem notAFile;
        bool askOverwrite;
    } cases[] = {
        {"fifo", FileProblem::NamedPipe, false},  {"folder.dsp", FileProblem::Folder, false},
        {"loop.dsp", FileProblem::LinkLoop, false}, {"file", FileProblem::None, true},
        {"new", FileProblem::None, false},
    };
    for (const auto& c : cases) {
        const auto target = s.saveAsTarget(path(c.chosen));
        EXPECT_EQ(target.notAFile, c.notAFile) << c.chosen;
        EXPECT_EQ(target.askOverwrite, c.askOverwrite) << c.chosen;
    }
}

TEST_F(SessionOnDisk, AFileChangedOnDiskSinceItWasOpenedOrSavedIsNoticed) {
    const std::string file = path("shown.dsp");
    const struct {
        const char* name;
        std::function<void(const std::string&)> change;
        bool changed;
    } cases[] = {
        {"untouched", [](const std::string&) {}, false},
        {"same size and time, other content",
         [](const std::string& f) {
             const auto time = std::filesystem::last_write_time(f);
             write(f, "database B");
             std::filesystem::last_write_time(f, time);
         },
         true},
        {"longer", [](const std::string& f) { write(f, "database A, longer"); }, true},
        {"touched", [](const std::string& f) {
             std::filesystem::last_write_time(f, std::filesystem::last_write_time(f) + std::chrono::seconds(5));
         }, true},
        {"removed: nothing of anyone's to lose", [](const std::string& f) { std::filesystem::remove(f); }, false},
        {"replaced by a rename", [this](const std::string& f) {
             write(path("other"), "database C");
             std::filesystem::rename(path("other"), f);
         }, true},
    };
    for (const auto& c : cases) {
        write(file, "database A");
        DocumentSession s;
        s.requestOpen(file);
        ASSERT_TRUE(s.openFinished(OpenResult::Loaded, false, false).showDatabase);
        s.setLoaded(true);
        c.change(file);
        EXPECT_EQ(s.changedOnDisk(), c.changed) << c.name;
        // Once this window saved the file, what it wrote is the state to compare with.
        write(file, "written by this window");
        s.saved();
        EXPECT_FALSE(s.changedOnDisk()) << c.name;
    }
}

TEST(DocumentSession, DamagedRecordsAreToldOnlyWhenTheDatabaseIsShown) {
    for (const auto& [result, told] : {std::pair{OpenResult::Loaded, std::size_t{3}}, {OpenResult::NotDatabase, 0u}}) {
        DocumentSession s = sessionWith({"asked.dsp"});
        s.requestOpen("asked.dsp");
        EXPECT_EQ(s.openFinished(result, false, true, 3).damagedRecords, told);
    }
}

TEST(DocumentSession, Closing) {
    struct Case {
        const char* name;
        bool quitRequested;
        bool closeEndsProgram;
        bool tray;
        bool modified;
        CloseStep step;
    };
    const std::vector<Case> cases = {
        {"close box, tray", false, false, true, true, CloseStep::HideToTray},
        {"close box, tray, nothing changed", false, false, true, false, CloseStep::HideToTray},
        {"close box, user ends on close", false, true, true, true, CloseStep::AskToSave},
        // Without a notification area a hidden window could never be shown again.
        {"close box, no tray", false, false, false, true, CloseStep::AskToSave},
        {"close box, no tray, nothing changed", false, false, false, false, CloseStep::Close},
        {"exit", true, false, true, true, CloseStep::AskToSave},
        {"exit, nothing changed", true, false, true, false, CloseStep::Close},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DocumentSession s = showing();
        s.setModified(c.modified);
        if (c.quitRequested)
            s.requestQuit();
        EXPECT_EQ(s.closeStep(c.closeEndsProgram, c.tray), c.step);
        // A quit request counts for one close only.
        EXPECT_EQ(s.closeStep(false, true), CloseStep::HideToTray);
    }

    DocumentSession s = showing();
    int saves = 0;
    auto saveWorks = [&] { ++saves; return true; };
    auto saveFails = [&] { ++saves; return false; };
    EXPECT_FALSE(s.closeAnswered(SaveAnswer::Cancel, saveWorks));
    EXPECT_TRUE(s.closeAnswered(SaveAnswer::No, saveWorks));
    EXPECT_EQ(saves, 0);
    EXPECT_TRUE(s.closeAnswered(SaveAnswer::Yes, saveWorks));
    // A failed save keeps the window and the changes.
    EXPECT_FALSE(s.closeAnswered(SaveAnswer::Yes, saveFails));
    EXPECT_EQ(saves, 2);
}

} // namespace
} // namespace cs::app
