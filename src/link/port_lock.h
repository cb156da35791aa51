#pragma once
// Who may use a serial device: the lock files serial programs on Linux share (/run/lock/LCK..name
// holding the owner's process id), and plain words for a device that is busy or forbidden.
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

namespace cs::link {

struct PortHolder {
    pid_t pid = 0;
    std::string program;  // from /proc/<pid>/comm; empty when unknown
};

// The lock file of a device in the lock folder: "LCK.." and the device's name below /dev, with
// "/" as "_" (links such as /dev/serial/by-id/... are resolved first, so every name of one device
// shares one lock).
std::filesystem::path lockFilePath(const std::string& device, const std::filesystem::path& lockDir);
// /run/lock, or /var/lock where there is no /run/lock.
std::filesystem::path defaultLockDir();

// What taking a device's lock found.
enum class LockResult {
    Held,        // the lock file is ours until release
    NoLockFile,  // no lock folder, or none this user may write: no lock was made, and there is
                 // none to respect either; the port may still be opened (its own exclusive mode
                 // still applies)
    Busy,        // a running process holds the lock
};

// Holds the lock file of one device while it lives.
class DeviceLock {
public:
    explicit DeviceLock(std::filesystem::path lockDir = defaultLockDir()) : lockDir_(std::move(lockDir)) {}
    ~DeviceLock() { release(); }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

    // Busy sets `holder`. A lock whose process no longer runs is stale and taken over; one whose
    // process runs under another user (kill() answers EPERM) is respected.
    LockResult acquire(const std::string& device, PortHolder& holder);
    void release();
    bool held() const { return !path_.empty(); }

private:
    std::filesystem::path lockDir_;
    std::filesystem::path path_;
};

// A process other than this one that has `device` open (looked up in /proc; only processes this
// user may inspect are found).
std::optional<PortHolder> findProcessUsing(const std::string& device);
std::string programName(pid_t pid);

// The words a user can act on, added after the port layer's own text: which process holds a
// busy device, or which group grants access to a forbidden one.
std::string busyDeviceAdvice(const std::optional<PortHolder>& holder);
std::string noPermissionAdvice(const std::string& device);

} // namespace cs::link
