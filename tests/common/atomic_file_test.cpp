// The atomic writer under faults: a size limit, a crash part-way, leftovers of killed saves, a
// save by root of another user's file.
#include "common/atomic_file.h"
#include "fixtures/image_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace fx = cs::fixtures;

std::vector<std::string> filesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

cs::AtomicWriteResult write(const fs::path& target, const std::vector<std::uint8_t>& content, bool keepBackup) {
    const std::span<const std::uint8_t> parts[] = {content};
    return cs::writeFileAtomically(target, parts, {keepBackup, true});
}

// Runs `body` in a child process under a file-size limit of 4 KB and returns its wait status.
template <typename Body>
int inChildWithSizeLimit(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        rlimit lim{};
        ::getrlimit(RLIMIT_FSIZE, &lim);
        lim.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &lim);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

const std::vector<std::uint8_t> kOld(1000, 'o');
const std::vector<std::uint8_t> kNew(100000, 'n');

TEST(AtomicFile, ASizeLimitIsAWriteErrorNotASignal) {
    fx::TempDir dir;
    const auto target = dir / "list.dsp";
    fx::writeFile(target, kOld);
    const int status = inChildWithSizeLimit([&] {
        std::signal(SIGXFSZ, SIG_DFL);  // as a fresh process has it
        const cs::AtomicWriteResult r = write(target, kNew, true);
        return !r.ok && r.error.find("File too large") != std::string::npos ? 0 : 1;
    });
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save fails with the size limit's error";
    EXPECT_EQ(fx::readFile(target), kOld);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"list.dsp"}) << "no temporary file is left";
}

TEST(AtomicFile, ACrashWhileWritingLeavesNoFileBehind) {
    fx::TempDir dir;
    const auto target = dir / "list.dsp";
    fx::writeFile(target, kOld);
    // The size limit's signal ends the process part-way through the write, as kill -9 would.
    const int status = inChildWithSizeLimit([&] {
        std::signal(SIGXFSZ, [](int) { ::_exit(9); });
        write(target, kNew, true);
        return 0;
    });
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 9) << "the child did not die in the write";
    EXPECT_EQ(fx::readFile(target), kOld);
    const int probe = ::open(dir.path().c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (probe >= 0) {
        ::close(probe);
        EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"list.dsp"}) << "an unnamed file leaves nothing";
    }
    // Where the file system has no unnamed files, the next save removes what the crash left.
    ASSERT_TRUE(write(target, kNew, true).ok);
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"list.BAK", "list.dsp"}));
}

TEST(AtomicFile, TheNextSaveRemovesOnlyItsOwnStaleTemporaries) {
    fx::TempDir dir;
    fx::writeFile(dir / "list.dsp", kOld);
    // The id of a process that has ended.
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string dead = std::to_string(gone);
    const std::string alive = std::to_string(::getppid());
    const std::vector<std::string> stale = {".list.dsp.tmp" + dead + ".3", ".list.dsp.tmp" + dead + ".3.bak",
                                            ".other.dsp.tmp" + dead + ".12"};
    const std::vector<std::string> kept = {
        ".list.dsp.tmp" + alive + ".3",   // a save running in another instance
        ".list.dsp.tmp" + dead + ".x",    // not this writer's pattern
        "list.dsp.tmp" + dead + ".3",     // not hidden
        ".tmp" + dead + ".3",             // no target name
        ".list.dsp.swp", "notes.txt"};
    for (const auto& name : stale)
        fx::writeFile(dir / name, kOld);
    for (const auto& name : kept)
        fx::writeFile(dir / name, kOld);
    fs::create_directory(dir / (".dir.dsp.tmp" + dead + ".1"));  // only regular files go

    ASSERT_TRUE(write(dir / "list.dsp", kNew, true).ok);
    std::vector<std::string> expected = kept;
    expected.insert(expected.end(), {".dir.dsp.tmp" + dead + ".1", "list.BAK", "list.dsp"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(filesIn(dir.path()), expected);
    EXPECT_EQ(fx::readFile(dir / "list.BAK"), kOld);
    EXPECT_EQ(fx::readFile(dir / "list.dsp"), kNew);
}

TEST(AtomicFile, ASaveKeepsTheOwnerGroupAndMode) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may give a file to another user";
    fx::TempDir dir;
    const auto target = dir / "list.dsp";
    fx::writeFile(target, kOld);
    ASSERT_EQ(::chown(target.c_str(), 4321, 4322), 0);
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_TRUE(write(target, kNew, true).ok);
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    ASSERT_EQ(::stat((dir / "list.BAK").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u) << "the backup is the previous file itself";
}

// A file that is itself named like a backup has no backup of its own: the save writes it and says
// so, rather than reporting a backup that is the new file.
TEST(AtomicFile, SavingAFileNamedLikeItsBackupMakesNoBackup) {
    fx::TempDir dir;
    const auto target = dir / "list.BAK";
    fx::writeFile(target, kOld);
    const cs::AtomicWriteResult r = write(target, kNew, true);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_FALSE(r.backupMade);
    EXPECT_EQ(fx::readFile(target), kNew);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"list.BAK"});
}

} // namespace
