// The advisory lock of a file being read, changed and saved: a second taker waits, is told who
// holds it, and after a save that replaced the file locks the file now at the path.
#include "common/atomic_file.h"
#include "common/file_lock.h"
#include "common/file_stamp.h"
#include "fixtures/image_builder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fx = cs::fixtures;
using namespace std::chrono_literals;

int waitFor(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(FileLock, ASecondTakerIsToldWhoHoldsTheFile) {
    fx::TempDir dir;
    const auto file = (dir / "list.dsp").string();
    fx::writeFile(file, std::vector<std::uint8_t>(100, 1));
    cs::FileLock held = cs::FileLock::acquire(file, 0ms);
    ASSERT_TRUE(held.held());
    const pid_t child = ::fork();
    if (child == 0) {
        const cs::FileLock second = cs::FileLock::acquire(file, 100ms);
        const bool told = second.status() == cs::FileLock::Status::Busy && second.holder() == ::getppid() &&
                          second.busyText(file).find(file + " is in use by another program (") == 0;
        ::_exit(told ? 0 : 1);
    }
    EXPECT_EQ(waitFor(child), 0);
    held.release();
    EXPECT_TRUE(cs::FileLock::acquire(file, 0ms).held()) << "free again once released";
}

TEST(FileLock, AWaiterReadsWhatTheHolderSaved) {
    fx::TempDir dir;
    const auto file = (dir / "list.dsp").string();
    const std::vector<std::uint8_t> before(100, 1), after(200, 2);
    fx::writeFile(file, before);
    cs::FileLock held = cs::FileLock::acquire(file, 0ms);
    ASSERT_TRUE(held.held());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        ::close(ready[1]);  // the parent sees the child has started
        // Waits while the parent saves; then it must see the saved content, never the old one.
        const cs::FileLock mine = cs::FileLock::acquire(file, 10s);
        ::_exit(mine.held() && fx::readFile(file) == after ? 0 : 1);
    }
    ::close(ready[1]);
    char byte;
    ASSERT_EQ(::read(ready[0], &byte, 1), 0);
    ::close(ready[0]);
    const std::span<const std::uint8_t> parts[] = {after};
    ASSERT_TRUE(cs::writeFileAtomically(file, parts, {false, true}).ok);  // a new file under the name
    held.release();
    EXPECT_EQ(waitFor(child), 0);
}

TEST(FileLock, NothingToLockWhereNoRegularFileIs) {
    fx::TempDir dir;
    EXPECT_EQ(cs::FileLock::acquire((dir / "missing.dsp").string(), 0ms).status(), cs::FileLock::Status::NotTaken);
    EXPECT_EQ(cs::FileLock::acquire(dir.path().string(), 0ms).status(), cs::FileLock::Status::NotTaken);
}

} // namespace
