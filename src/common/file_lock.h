#pragma once
// An advisory lock on a file for the time a program reads, changes and saves it, so that two
// writers of one file never lose each other's change: the second waits briefly, then is told the
// file is in use and by which process. The lock is flock(2) on the file itself; a save replaces
// the file by a rename, so a waiter that gets the lock of the replaced file tries again on the
// file now at the path.
#include <chrono>
#include <string>
#include <sys/types.h>

namespace cs {

class FileLock {
public:
    enum class Status {
        Held,      // this process holds the lock
        Busy,      // another process held it for the whole wait (see holder())
        NotTaken,  // nothing to lock: the path is missing or no regular file (its reader says why)
    };

    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock on `path`, waiting up to `wait` while another process holds it.
    static FileLock acquire(const std::string& path, std::chrono::milliseconds wait);

    Status status() const { return status_; }
    bool held() const { return status_ == Status::Held; }
    // Busy: the process holding the lock, where the system tells it (0 when unknown).
    pid_t holder() const { return holder_; }
    // Busy: "FILE is in use by another program (NAME, process N); try again when it has finished".
    std::string busyText(const std::string& path) const;
    void release();

private:
    int fd_ = -1;
    Status status_ = Status::NotTaken;
    pid_t holder_ = 0;
};

// How long a command waits for a file another program is saving.
inline constexpr std::chrono::milliseconds kFileLockWait{3000};

// The process holding a flock(2) lock on the file behind `fd` (from /proc/locks); 0 when unknown.
pid_t flockHolder(int fd);

} // namespace cs
