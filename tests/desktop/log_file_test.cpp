// The log file the log window writes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <iterator>

#include "desktop/log_file.h"
#include "fixtures/image_builder.h"

namespace cs::desktop {
namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(LogFile, InTheHomeFolderUnderItsOwnName) {
    EXPECT_EQ(logFilePath("/home/ann"), fs::path("/home/ann/ChanelEdiotr.log"));
    EXPECT_EQ(logFilePath(""), fs::path());
    EXPECT_EQ(logFilePath("relative"), fs::path());
}

TEST(LogFile, ReplacesTheFileWithOneLinePerLogLine) {
    fixtures::TempDir dir;
    const fs::path file = logFilePath(dir.path().string());
    std::ofstream(file) << "an older, longer log that must not survive\n\n\n";
    ASSERT_TRUE(writeLogFile(file, {"Error: 0", "BA_2 at 0x4000", "ünïcode stays"}).ok);
    EXPECT_EQ(readText(file), "Error: 0\nBA_2 at 0x4000\nünïcode stays\n");
    ASSERT_TRUE(writeLogFile(file, {}).ok);
    EXPECT_EQ(readText(file), "");
    // Written whole or not at all: no temporary file stays beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(LogFile, AFailedWriteIsReported) {
    fixtures::TempDir dir;
    std::ofstream(dir.path() / "home") << "a file where the home folder should be\n";
    const AtomicWriteResult result = writeLogFile(logFilePath((dir.path() / "home").string()), {"line"});
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    const AtomicWriteResult noHome = writeLogFile(fs::path(), {"x"});
    EXPECT_FALSE(noHome.ok);
    EXPECT_FALSE(noHome.backupRefused);
    EXPECT_FALSE(noHome.error.empty());
}

TEST(LogFile, AFailedWriteLeavesTheOldFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    fixtures::TempDir dir;
    const fs::path file = logFilePath(dir.path().string());
    std::ofstream(file) << "kept\n";
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    const AtomicWriteResult result = writeLogFile(file, {"new"});
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(readText(file), "kept\n");
}

} // namespace
} // namespace cs::desktop
