#include "common/atomic_file.h"

#include "common/regular_file.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace cs {
namespace {

namespace fs = std::filesystem;

// Owns one file descriptor.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    // Closes and reports the close error, which for some file systems is the write error.
    bool closeChecked() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

// Removes a file on destruction unless released.
class RemoveOnFailure {
public:
    RemoveOnFailure() = default;
    ~RemoveOnFailure() {
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    RemoveOnFailure(const RemoveOnFailure&) = delete;
    RemoveOnFailure& operator=(const RemoveOnFailure&) = delete;
    void arm(const std::string& path) { path_ = path; }
    void release() { path_.clear(); }

private:
    std::string path_;
};

// Also keeps the error number, for the window to name the reason in the user's language.
std::string describe(AtomicWriteResult& result, std::string_view what, const std::string& path) {
    result.errorNumber = errno;
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

fs::path folderOf(const fs::path& file) { return file.has_parent_path() ? file.parent_path() : fs::path("."); }

// The names of this writer's temporary files: "." + target name + ".tmp" + pid + "." + counter,
// and the same + ".bak" for the backup being prepared.
std::string temporaryName(const fs::path& target, unsigned n) {
    return (folderOf(target) / ("." + target.filename().string() + ".tmp" + std::to_string(::getpid()) + "." +
                                std::to_string(n)))
        .string();
}

// The process id in one of this writer's temporary names; 0 for any other name.
pid_t writerOfTemporary(std::string_view name) {
    if (name.size() > 4 && name.substr(name.size() - 4) == ".bak")
        name.remove_suffix(4);
    if (name.empty() || name.front() != '.')
        return 0;
    // ".tmp" digits "." digits at the end, after a non-empty target name.
    std::size_t end = name.size();
    std::size_t digits = 0;
    while (end > 0 && name[end - 1] >= '0' && name[end - 1] <= '9')
        --end, ++digits;
    if (digits == 0 || end == 0 || name[end - 1] != '.')
        return 0;
    const std::size_t counterDot = end - 1;
    std::size_t pidStart = counterDot;
    while (pidStart > 0 && name[pidStart - 1] >= '0' && name[pidStart - 1] <= '9')
        --pidStart;
    if (pidStart == counterDot || pidStart < 5 || name.substr(pidStart - 4, 4) != ".tmp" || pidStart - 4 < 2)
        return 0;
    const std::string pidText(name.substr(pidStart, counterDot - pidStart));
    if (pidText.size() > 9)
        return 0;
    return static_cast<pid_t>(std::stol(pidText));
}

// A save that was killed leaves its named temporary files behind; the next save in that folder
// removes them. Only this writer's names, only regular files, and only when the process that made
// them is gone (another instance may be saving right now).
void removeStaleTemporaries(const fs::path& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t writer = writerOfTemporary(entry->d_name);
        if (writer <= 0 || writer == ::getpid() || ::kill(writer, 0) == 0 || errno != ESRCH)
            continue;
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

// A name for a new temporary file beside `target`, not used before by this process.
std::string nextTemporaryName(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    return temporaryName(target, counter.fetch_add(1));
}

// Creates a fresh named file beside `target` that nobody else uses, with the usual creation mode.
Fd createNamedTemporary(const fs::path& target, std::string& tempPath) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = nextTemporaryName(target);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return Fd(fd);
    }
    return Fd(-1);
}

// Gives the file behind `fd`, or the file `from`, a second, fresh name beside `target`.
bool linkUnderFreshName(int fd, const std::string& from, const fs::path& target, std::string& name,
                        std::string_view suffix = {}) {
    const std::string self = fd >= 0 ? "/proc/self/fd/" + std::to_string(fd) : from;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = nextTemporaryName(target) + std::string(suffix);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), fd >= 0 ? AT_SYMLINK_FOLLOW : 0) == 0)
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool writeAll(int fd, std::span<const std::uint8_t> data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool copyFile(const std::string& from, const std::string& to, bool sync) {
    Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return false;
    Fd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (out.get() < 0)
        return false;
    std::uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (!writeAll(out.get(), {buffer, static_cast<std::size_t>(n)}))
            return false;
    }
    if (sync && ::fsync(out.get()) != 0)
        return false;
    return out.closeChecked();
}

void syncFolder(const fs::path& file) {
    const fs::path folder = folderOf(file);
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

} // namespace

void turnFileSizeSignalIntoError() {
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && !(current.sa_flags & SA_SIGINFO) &&
        current.sa_handler == SIG_DFL)
        ::signal(SIGXFSZ, SIG_IGN);
}

fs::path resolveTarget(const fs::path& target) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(target.c_str(), resolved))
            return fs::path(resolved);
    }
    return target;
}

fs::path backupPathFor(const fs::path& file) {
    fs::path bak = file;
    bak.replace_extension(".BAK");
    return bak;
}

AtomicWriteResult writeFileAtomically(const fs::path& requested, std::span<const std::span<const std::uint8_t>> parts,
                                      const AtomicWriteOptions& options) {
    AtomicWriteResult result;
    const fs::path target = resolveTarget(requested);

    // A device, FIFO, folder or link loop is never replaced by a file (nor waited on).
    if (const FileProblem problem = outputProblem(requested.string()); problem != FileProblem::None) {
        result.error = requested.string() + " " + fileProblemText(problem) + "; nothing was written";
        return result;
    }
    struct stat old {};
    const bool oldExists = ::stat(target.c_str(), &old) == 0;

    turnFileSizeSignalIntoError();
    removeStaleTemporaries(folderOf(target));

    // The new content goes first to an unnamed file where the file system offers one, so that a
    // crash while writing leaves nothing behind; it gets a name only once it is complete.
    const auto writeContent = [&](int fd) -> bool {
        if (oldExists && S_ISREG(old.st_mode)) {
            // Owner and group where this process may set them (root saving another user's file),
            // at least the group where it may not; then the mode, which a chown may have trimmed.
            if (::fchown(fd, old.st_uid, old.st_gid) != 0)
                ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
            ::fchmod(fd, old.st_mode & 07777);
        }
        for (auto part : parts) {
            if (!writeAll(fd, part)) {
                result.error = describe(result, "cannot write", target.string());
                return false;
            }
        }
        if (options.sync && ::fsync(fd) != 0) {
            result.error = describe(result, "cannot flush", target.string());
            return false;
        }
        return true;
    };

    std::string tempPath;
    RemoveOnFailure removeTemp;
    const auto writeNamedTemporary = [&]() -> bool {
        Fd fd = createNamedTemporary(target, tempPath);
        if (fd.get() < 0) {
            result.error = describe(result, "cannot create", tempPath);
            return false;
        }
        removeTemp.arm(tempPath);
        if (!writeContent(fd.get()))
            return false;
        if (!fd.closeChecked()) {
            result.error = describe(result, "cannot close", target.string());
            return false;
        }
        return true;
    };
    Fd unnamed(::open(folderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (unnamed.get() >= 0 ? !writeContent(unnamed.get()) : !writeNamedTemporary())
        return result;

    // The previous content becomes the backup before the target is replaced, so that between the
    // two renames it is always there under a name a user sees (the target, then the ".BAK"). A
    // backup that cannot be made refuses the save: the previous version is never lost silently.
    const fs::path bak = backupPathFor(target);
    if (options.keepBackup && oldExists && S_ISREG(old.st_mode) && bak != target) {
        std::string bakTemp;
        RemoveOnFailure removeBakTemp;
        bool prepared = linkUnderFreshName(-1, target.string(), target, bakTemp, ".bak");
        if (!prepared) {
            // No hard links here (FAT): a copy, when there is room for it.
            bakTemp = nextTemporaryName(target) + ".bak";
            prepared = copyFile(target.string(), bakTemp, options.sync);
        }
        removeBakTemp.arm(bakTemp);  // also a partial copy; a rename between two names of one file
                                     // (a backup already linked to the target) leaves it in place
        if (!prepared || ::rename(bakTemp.c_str(), bak.c_str()) != 0) {
            result.backupRefused = true;
            result.error = describe(result, "cannot keep the previous version as", bak.string()) +
                           "; the file was not changed. Use Save as to save under another name.";
            return result;
        }
        result.backupMade = true;
    }

    // The unnamed file gets its name only now, right before it replaces the target, so a crash
    // leaves a name behind only in the moment between these two calls (the next save removes it).
    if (unnamed.get() >= 0) {
        if (linkUnderFreshName(unnamed.get(), {}, target, tempPath)) {
            removeTemp.arm(tempPath);
        } else if (!writeNamedTemporary()) {
            // Nothing to name it by (no /proc), and the content could not go to a named file.
            return result;
        }
    }
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        result.error = describe(result, "cannot replace", target.string());
        return result;
    }
    removeTemp.release();
    unnamed.reset();  // its content was flushed before it was named

    if (options.sync)
        syncFolder(target);
    result.ok = true;
    return result;
}

} // namespace cs
