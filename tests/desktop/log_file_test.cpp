// The log file the log window writes: where it goes, and how it is written.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "desktop/log_file.h"
#include "support/env_override.h"
#include "fixtures/image_builder.h"

namespace cs::desktop {
namespace {

namespace fs = std::filesystem;
using testsupport::EnvOverride;

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

unsigned modeOf(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777u) : 0u;
}

TEST(LogFile, InTheStateFolderUnderItsOwnName) {
    struct Case {
        const char* state;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"", "/home/ann", "/home/ann/.local/state/channelsettings/ChanelEdiotr.log"},
        {"/home/ann/.state", "/home/ann", "/home/ann/.state/channelsettings/ChanelEdiotr.log"},
        {"/run/state", "", "/run/state/channelsettings/ChanelEdiotr.log"},
        // A relative XDG_STATE_HOME is invalid and ignored.
        {"state", "/home/ann", "/home/ann/.local/state/channelsettings/ChanelEdiotr.log"},
        {"", "", ""},
        {"", "relative", ""},
        {"state", "relative", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(logFilePath(c.state, c.home), fs::path(c.expected)) << c.state << " | " << c.home;
}

TEST(LogFile, TheCurrentUsersFileIsNeverDirectlyInTheHomeFolder) {
    fixtures::TempDir dir;
    const fs::path home = dir / "home";
    EnvOverride setHome("HOME", home.c_str());
    {
        EnvOverride noState("XDG_STATE_HOME", nullptr);
        EXPECT_EQ(logFilePathForCurrentUser(), home / ".local/state/channelsettings/ChanelEdiotr.log");
    }
    {
        EnvOverride state("XDG_STATE_HOME", (dir / "state").c_str());
        EXPECT_EQ(logFilePathForCurrentUser(), dir / "state/channelsettings/ChanelEdiotr.log");
    }
    {
        // Without HOME the account's home folder is used, still below its state folder.
        EnvOverride noHome("HOME", nullptr);
        EnvOverride noState("XDG_STATE_HOME", nullptr);
        const fs::path file = logFilePathForCurrentUser();
        ASSERT_FALSE(file.empty());
        EXPECT_EQ(file.parent_path().filename(), "channelsettings");
        EXPECT_EQ(file.parent_path().parent_path().filename(), "state");
    }
}

TEST(LogFile, MakesItsFoldersPrivateAndReplacesTheFileWithOneLinePerLogLine) {
    fixtures::TempDir dir;
    const fs::path file = logFilePath("", dir.path().string());
    ASSERT_TRUE(writeLogFile(file, {"first"}).ok);
    // Every folder the write made is the user's own; the existing home folder keeps its mode.
    const unsigned homeMode = modeOf(dir.path());
    for (const fs::path& made : {dir / ".local", dir / ".local/state", dir / ".local/state/channelsettings"})
        EXPECT_EQ(modeOf(made), 0700u) << made;
    EXPECT_EQ(modeOf(dir.path()), homeMode);

    std::ofstream(file) << "an older, longer log that must not survive\n\n\n";
    ASSERT_TRUE(writeLogFile(file, {"Error: 0", "BA_2 at 0x4000", "ünïcode stays"}).ok);
    EXPECT_EQ(readText(file), "Error: 0\nBA_2 at 0x4000\nünïcode stays\n");
    ASSERT_TRUE(writeLogFile(file, {}).ok);
    EXPECT_EQ(readText(file), "");
    // Written whole or not at all: no temporary file stays beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1);
}

TEST(LogFile, AFailedWriteIsReported) {
    fixtures::TempDir dir;
    std::ofstream(dir.path() / "home") << "a file where the home folder should be\n";
    const AtomicWriteResult result = writeLogFile(logFilePath("", (dir.path() / "home").string()), {"line"});
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("cannot create"), std::string::npos) << result.error;
    const AtomicWriteResult noHome = writeLogFile(fs::path(), {"x"});
    EXPECT_FALSE(noHome.ok);
    EXPECT_FALSE(noHome.backupRefused);
    EXPECT_FALSE(noHome.error.empty());
}

// Writes as an unprivileged user in a child process (root would write anywhere): 0 when the
// write failed with a reason, 1 when it succeeded, 2 when it failed without saying why.
int writeAsNobody(const fs::path& file) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)
            ::_exit(3);
        const AtomicWriteResult result = writeLogFile(file, {"new"});
        ::_exit(result.ok ? 1 : result.error.empty() ? 2 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(LogFile, AFailedWriteLeavesTheOldFileAndMakesNoFolder) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "drops privileges to another user, which needs root";
    fixtures::TempDir dir;
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    // A state folder the user may not write: the old log stays as it was.
    const fs::path kept = logFilePath((dir / "state").string(), "");
    fs::create_directories(kept.parent_path());
    std::ofstream(kept) << "kept\n";
    fs::permissions(dir / "state", fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(kept.parent_path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    EXPECT_EQ(writeAsNobody(kept), 0);
    EXPECT_EQ(readText(kept), "kept\n");
    // A state folder that cannot be made.
    const fs::path unmade = logFilePath((dir / "locked/state").string(), "");
    fs::create_directories(dir / "locked");
    fs::permissions(dir / "locked", fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    EXPECT_EQ(writeAsNobody(unmade), 0);
    EXPECT_FALSE(fs::exists(dir / "locked/state"));
}

} // namespace
} // namespace cs::desktop
