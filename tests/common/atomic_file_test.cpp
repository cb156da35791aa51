// The atomic writer under faults: a size limit, a crash part-way, leftovers of killed saves, a
// save by root of another user's file, a file system without hard links.
#include "common/atomic_file.h"
#include "fixtures/image_builder.h"

#include <gtest/gtest.h>

#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <fcntl.h>
#include <iterator>
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

// The system call numbers the filter below names are those of this architecture.
#if defined(__x86_64__)
constexpr std::uint32_t kAuditArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr std::uint32_t kAuditArch = AUDIT_ARCH_AARCH64;
#elif defined(__i386__)
constexpr std::uint32_t kAuditArch = AUDIT_ARCH_I386;
#else
#error "name this architecture's AUDIT_ARCH value"
#endif

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

// A file system without hard links (FAT on a USB stick): link() fails there with EPERM and no
// unnamed files are offered. In a child process a seccomp filter makes the calls fail that way.
// Returns false when the filter could not be installed.
bool behaveLikeFat() {
    struct sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kAuditArch, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_linkat, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
#ifdef __NR_link
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_link, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
#endif
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_openat, 0, 4),
        // openat(dir, name, flags, ...): flags in the low word of the third argument.
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, args[2])),
        BPF_STMT(BPF_ALU | BPF_AND | BPF_K, O_TMPFILE),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, O_TMPFILE, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EOPNOTSUPP),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    struct sock_fprog program = {static_cast<unsigned short>(std::size(filter)), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// Saving with a backup there: the previous file cannot become the ".BAK" by a second name, so it
// is copied, and the save goes on.
TEST(AtomicFile, WithoutHardLinksTheBackupIsACopyOfThePreviousFile) {
    fx::TempDir dir;
    const auto target = dir / "list.dsp";
    fx::writeFile(target, kOld);
    fx::writeFile(dir / "list.BAK", std::vector<std::uint8_t>(10, 'b'));  // an older backup
    enum Bits { kFiltered = 1, kNoLinks = 2, kNoUnnamed = 4, kSaved = 8, kBackupMade = 16 };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int bits = 0;
        if (behaveLikeFat()) {
            bits |= kFiltered;
            const std::string probe = (dir / "probe").string();
            if (::link(target.c_str(), probe.c_str()) != 0 && errno == EPERM)
                bits |= kNoLinks;
            const int unnamed = ::open(dir.path().c_str(), O_TMPFILE | O_WRONLY, 0600);
            if (unnamed < 0)
                bits |= kNoUnnamed;
            const cs::AtomicWriteResult r = write(target, kNew, true);
            bits |= (r.ok ? kSaved : 0) | (r.backupMade ? kBackupMade : 0);
        }
        ::_exit(bits);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    const int bits = WEXITSTATUS(status);
    ASSERT_TRUE(bits & kFiltered) << "the seccomp filter could not be installed";
    ASSERT_TRUE((bits & kNoLinks) && (bits & kNoUnnamed)) << "the filter let links or unnamed files through";
    EXPECT_TRUE(bits & kSaved);
    EXPECT_TRUE(bits & kBackupMade);
    EXPECT_EQ(fx::readFile(target), kNew);
    EXPECT_EQ(fx::readFile(dir / "list.BAK"), kOld);
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"list.BAK", "list.dsp"}));
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
