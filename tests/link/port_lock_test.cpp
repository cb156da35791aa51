// The lock files serial programs share, in a private lock folder (never the machine's own): their
// names and content as other programs write them, whose lock is respected and whose is stale, a
// lock of another user's process, and a machine without a lock folder.
#include "link/port_lock.h"
#include "peer_harness.h"
#include "pty_peer.h"

#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

namespace cs::test {
namespace {

namespace fs = std::filesystem;
using namespace cs::link;

std::string readText(const fs::path& file) {
    const std::vector<std::uint8_t> bytes = readFileBytes(file);
    return {bytes.begin(), bytes.end()};
}

void writeText(const fs::path& file, const std::string& text) { writeFileBytes(file, {text.begin(), text.end()}); }

// A lock file's content as serial programs write it: the process id right-aligned in ten
// characters and a newline.
std::string lockText(pid_t pid) {
    const std::string digits = std::to_string(pid);
    return std::string(10 - digits.size(), ' ') + digits + "\n";
}

// "sleep" started as a child of the test; true once it runs under that name (after its exec).
bool sleeping(ChildProcess& child) {
    for (int i = 0; i < 5000 && child.running(); ++i) {
        if (programName(child.pid()) == "sleep")
            return true;
        ::usleep(1000);
    }
    return false;
}

// The id of a process that has ended.
pid_t endedProcess() {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

TEST(DeviceLock, LockFilesAreNamedAndWrittenAsOtherSerialProgramsDo) {
    const TempDir dir;
    struct Case {
        std::string device;
        std::string file;
    };
    // A link to a device shares the device's own lock (a pseudo-terminal here, as /dev/pts/N).
    PtyPeer peer;
    ASSERT_EQ(peer.path().rfind("/dev/pts/", 0), 0u);
    fs::create_symlink(peer.path(), dir.path() / "receiver");
    const std::vector<Case> cases = {
        {"/dev/ttyUSB0", "LCK..ttyUSB0"},
        {"/dev/ttyS1", "LCK..ttyS1"},
        {"/dev/ttyACM0", "LCK..ttyACM0"},
        {peer.path(), "LCK..pts_" + peer.path().substr(9)},
        {(dir.path() / "receiver").string(), "LCK..pts_" + peer.path().substr(9)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        EXPECT_EQ(lockFilePath(c.device, dir.path()), dir.path() / c.file);
        DeviceLock lock(dir.path());
        PortHolder holder;
        ASSERT_EQ(lock.acquire(c.device, holder), LockResult::Held);
        EXPECT_TRUE(lock.held());
        EXPECT_EQ(readText(dir.path() / c.file), lockText(::getpid()));
        lock.release();
        EXPECT_FALSE(fs::exists(dir.path() / c.file));
    }
}

TEST(DeviceLock, ALiveOwnerIsRespectedAStaleLockIsTakenOver) {
    ChildOptions options;
    options.argv = {"sleep", "60"};
    ChildProcess sleeper(options);
    ASSERT_TRUE(sleeping(sleeper));
    const pid_t live = sleeper.pid();
    const pid_t ended = endedProcess();
    std::string binaryLive(sizeof(int), '\0');
    const int liveValue = live;
    std::copy_n(reinterpret_cast<const char*>(&liveValue), sizeof(int), binaryLive.begin());
    struct Case {
        const char* what;
        std::string content;
        LockResult result;
        pid_t holder;
    };
    const std::vector<Case> cases = {
        {"a running program", lockText(live), LockResult::Busy, live},
        {"a running program, old binary form", binaryLive, LockResult::Busy, live},
        {"a program that has ended", lockText(ended), LockResult::Held, 0},
        {"no process id", "garbage\n", LockResult::Held, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TempDir dir;
        const fs::path file = dir.path() / "LCK..ttyUSB0";
        writeText(file, c.content);
        DeviceLock lock(dir.path());
        PortHolder holder;
        EXPECT_EQ(lock.acquire("/dev/ttyUSB0", holder), c.result);
        EXPECT_EQ(holder.pid, c.holder);
        if (c.result == LockResult::Busy) {
            EXPECT_EQ(holder.program, "sleep");
            EXPECT_FALSE(lock.held());
            EXPECT_EQ(readText(file), c.content);  // the owner's lock stays as it was
        } else {
            EXPECT_TRUE(lock.held());
            EXPECT_EQ(readText(file), lockText(::getpid()));
        }
        lock.release();
        // Only a lock that is still ours goes with release.
        EXPECT_EQ(fs::exists(file), c.result == LockResult::Busy);
    }
}

// Another user's program holds the port: kill() answers EPERM for it, which means it runs. Run as
// root, the test takes the lock as an unprivileged user in a child process, against the lock of
// this (root's) process.
TEST(DeviceLock, ALockOfAnotherUsersLiveProcessIsNeverTakenOver) {
    const TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);  // the other user could remove a stale lock
    const fs::path file = dir.path() / "LCK..ttyUSB0";

    struct Answer {
        int dropped = 0;  // 1: the child runs as another user and kill() answered EPERM
        LockResult result = LockResult::Held;
        pid_t holder = 0;
    };
    Answer answer;
    if (::geteuid() == 0) {
        const pid_t owner = ::getpid();
        writeText(file, lockText(owner));
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            Answer a;
            const uid_t nobody = 65534;
            if (::setgroups(0, nullptr) == 0 && ::setresgid(nobody, nobody, nobody) == 0 &&
                ::setresuid(nobody, nobody, nobody) == 0 && ::kill(owner, 0) != 0 && errno == EPERM) {
                a.dropped = 1;
                DeviceLock lock(dir.path());
                PortHolder holder;
                a.result = lock.acquire("/dev/ttyUSB0", holder);
                a.holder = holder.pid;
            }
            (void)!::write(pipeFds[1], &a, sizeof a);
            ::_exit(0);
        }
        ::close(pipeFds[1]);
        const ssize_t n = ::read(pipeFds[0], &answer, sizeof answer);
        ::close(pipeFds[0]);
        ::waitpid(child, nullptr, 0);
        ASSERT_EQ(n, static_cast<ssize_t>(sizeof answer));
        ASSERT_EQ(answer.dropped, 1) << "the child could not run as another user";
        EXPECT_EQ(answer.holder, owner);
        EXPECT_EQ(readText(file), lockText(owner));
    } else {
        // Unprivileged already: the first process belongs to another user.
        if (::kill(1, 0) == 0 || errno != EPERM)
            GTEST_SKIP() << "process 1 runs as this user here";
        writeText(file, lockText(1));
        DeviceLock lock(dir.path());
        PortHolder holder;
        answer.result = lock.acquire("/dev/ttyUSB0", holder);
        EXPECT_EQ(holder.pid, 1);
        EXPECT_EQ(readText(file), lockText(1));
    }
    EXPECT_EQ(answer.result, LockResult::Busy);
}

// Without a lock folder (or one this user cannot write) no lock is made and none is respected:
// the port may still be opened, and acquire says that no lock file exists.
TEST(DeviceLock, WithoutALockFolderNoLockIsMade) {
    const TempDir dir;
    const fs::path missing = dir.path() / "no-such-folder";
    DeviceLock lock(missing);
    PortHolder holder;
    EXPECT_EQ(lock.acquire("/dev/ttyUSB0", holder), LockResult::NoLockFile);
    EXPECT_FALSE(lock.held());
    EXPECT_EQ(holder.pid, 0);
    EXPECT_FALSE(fs::exists(missing));
}

} // namespace
} // namespace cs::test
