#include "common/file_lock.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace cs {

FileLock::~FileLock() { release(); }

FileLock::FileLock(FileLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), status_(std::exchange(other.status_, Status::NotTaken)),
      holder_(other.holder_) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        status_ = std::exchange(other.status_, Status::NotTaken);
        holder_ = other.holder_;
    }
    return *this;
}

void FileLock::release() {
    if (fd_ >= 0)
        ::close(fd_);  // closing the last descriptor of the open file drops its flock
    fd_ = -1;
    if (status_ == Status::Held)
        status_ = Status::NotTaken;
}

FileLock FileLock::acquire(const std::string& path, std::chrono::milliseconds wait) {
    FileLock lock;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        // Non-blocking open: a FIFO or device is never waited on here; its reader refuses it.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            return lock;
        struct stat held {};
        if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
            ::close(fd);
            return lock;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // The file may have been replaced by the save we waited for: lock the one at the path.
            struct stat now {};
            if (::stat(path.c_str(), &now) == 0 && now.st_dev == held.st_dev && now.st_ino == held.st_ino) {
                lock.fd_ = fd;
                lock.status_ = Status::Held;
                return lock;
            }
            ::close(fd);
            continue;
        }
        const int error = errno;
        if (error != EWOULDBLOCK && error != EINTR) {
            ::close(fd);  // a file system without flock: nothing to coordinate with
            return lock;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            lock.status_ = Status::Busy;
            lock.holder_ = flockHolder(fd);
            ::close(fd);
            return lock;
        }
        ::close(fd);
        // flock has no timeout of its own; the holder is usually done within a few polls.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

namespace {

std::string processName(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

} // namespace

std::string FileLock::busyText(const std::string& path) const {
    std::string who = "another program";
    if (holder_ > 0) {
        const std::string name = processName(holder_);
        who += " (" + (name.empty() ? std::string() : name + ", ") + "process " + std::to_string(holder_) + ")";
    }
    return path + " is in use by " + who + "; try again when it has finished";
}

pid_t flockHolder(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return 0;
    // Lines such as "3: FLOCK  ADVISORY  WRITE 1234 08:01:56789 0 EOF"; waiters carry "->".
    std::ifstream in("/proc/locks");
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string number, type, advisory, mode, device;
        long pid = 0;
        if (!(fields >> number >> type) || type == "->" || type != "FLOCK")
            continue;
        if (!(fields >> advisory >> mode >> pid >> device))
            continue;
        unsigned major = 0, minor = 0;
        unsigned long long inode = 0;
        if (std::sscanf(device.c_str(), "%x:%x:%llu", &major, &minor, &inode) != 3)
            continue;
        if (inode == st.st_ino && major == ::major(st.st_dev) && minor == ::minor(st.st_dev) && pid > 0)
            return static_cast<pid_t>(pid);
    }
    return 0;
}

} // namespace cs
