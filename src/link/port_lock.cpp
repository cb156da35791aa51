#include "link/port_lock.h"

#include "link/unique_fd.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace cs::link {

namespace fs = std::filesystem;

namespace {

constexpr int kLockAttempts = 3;

// The process id in a lock file: ASCII (the usual form) or a binary int (the old one).
pid_t readLockOwner(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.size() == sizeof(int) && (text[0] < ' ' || text[sizeof(int) - 1] == 0)) {
        int value = 0;
        std::copy(text.begin(), text.end(), reinterpret_cast<char*>(&value));
        return value;
    }
    try {
        return static_cast<pid_t>(std::stol(text));
    } catch (const std::exception&) {
        return 0;
    }
}

bool processRuns(pid_t pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

} // namespace

fs::path defaultLockDir() {
    std::error_code ec;
    if (fs::is_directory("/run/lock", ec))
        return "/run/lock";
    return "/var/lock";
}

fs::path lockFilePath(const std::string& device, const fs::path& lockDir) {
    std::error_code ec;
    fs::path real = fs::weakly_canonical(device, ec);
    if (ec)
        real = device;
    std::string name = real.string();
    if (name.rfind("/dev/", 0) == 0)
        name = name.substr(5);
    else
        name = real.filename().string();
    for (char& c : name)
        if (c == '/')
            c = '_';
    return lockDir / ("LCK.." + name);
}

LockResult DeviceLock::acquire(const std::string& device, PortHolder& holder) {
    release();
    const fs::path path = lockFilePath(device, lockDir_);
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
        if (fd) {
            std::array<char, 16> text{};
            const int n = std::snprintf(text.data(), text.size(), "%10d\n", static_cast<int>(::getpid()));
            if (::write(fd.get(), text.data(), static_cast<std::size_t>(n)) != n) {
                fd.reset();
                ::unlink(path.c_str());
                return LockResult::NoLockFile;
            }
            path_ = path;
            return LockResult::Held;
        }
        if (errno != EEXIST)
            return LockResult::NoLockFile;  // no lock folder, or not ours to write
        const pid_t owner = readLockOwner(path);
        if (processRuns(owner)) {
            holder.pid = owner;
            holder.program = programName(owner);
            return LockResult::Busy;
        }
        ::unlink(path.c_str());  // stale: its process is gone
    }
    return LockResult::Busy;
}

void DeviceLock::release() {
    if (path_.empty())
        return;
    // Only a lock that is still ours is removed.
    if (readLockOwner(path_) == ::getpid())
        ::unlink(path_.c_str());
    path_.clear();
}

std::string programName(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

std::optional<PortHolder> findProcessUsing(const std::string& device) {
    std::error_code ec;
    const fs::path target = fs::weakly_canonical(device, ec);
    if (ec)
        return std::nullopt;
    const std::string self = std::to_string(::getpid());
    for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string pid = it->path().filename().string();
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid == self)
            continue;
        std::error_code fdEc;
        for (fs::directory_iterator fd(it->path() / "fd", fdEc), fdEnd; !fdEc && fd != fdEnd; fd.increment(fdEc)) {
            std::error_code linkEc;
            if (fs::read_symlink(fd->path(), linkEc) == target) {
                PortHolder holder;
                holder.pid = static_cast<pid_t>(std::stol(pid));
                holder.program = programName(holder.pid);
                return holder;
            }
        }
    }
    return std::nullopt;
}

std::string busyDeviceAdvice(const std::optional<PortHolder>& holder) {
    if (!holder)
        return " The port is in use by another program; close it and try again.";
    std::string who = "process " + std::to_string(holder->pid);
    if (!holder->program.empty())
        who += " (" + holder->program + ")";
    return " The port is in use by " + who + "; close that program and try again.";
}

std::string noPermissionAdvice(const std::string& device) {
    struct stat st {};
    std::string groupName;
    if (::stat(device.c_str(), &st) == 0) {
        std::array<char, 4096> buffer{};
        struct group entry {};
        struct group* found = nullptr;
        if (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
            groupName = found->gr_name;
    }
    const std::string& group = groupName;
    if (group.empty() || group == "root")
        return " You have no permission to use this port; ask the administrator for access.";
    return " You have no permission to use this port. It belongs to the group \"" + group +
           "\": add your user to that group (for example: sudo usermod -aG " + group +
           " $USER), then log out and log in again.";
}

} // namespace cs::link
