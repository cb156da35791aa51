#include "common/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
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

std::string describe(std::string_view what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

// Creates a fresh file beside `target` that nobody else uses, with the usual creation mode.
Fd createTemporary(const fs::path& target, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned n = counter.fetch_add(1);
        tempPath = (folder / ("." + target.filename().string() + ".tmp" + std::to_string(::getpid()) + "." +
                              std::to_string(n)))
                       .string();
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return Fd(fd);
    }
    return Fd(-1);
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
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

// The file a save really replaces: the target of a symbolic link, else the path itself.
fs::path resolveTarget(const fs::path& target) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(target.c_str(), resolved))
            return fs::path(resolved);
    }
    return target;
}

} // namespace

fs::path backupPathFor(const fs::path& file) {
    fs::path bak = file;
    bak.replace_extension(".BAK");
    return bak;
}

AtomicWriteResult writeFileAtomically(const fs::path& requested, std::span<const std::span<const std::uint8_t>> parts,
                                      const AtomicWriteOptions& options) {
    AtomicWriteResult result;
    const fs::path target = resolveTarget(requested);

    struct stat old {};
    const bool oldExists = ::stat(target.c_str(), &old) == 0;
    if (oldExists && S_ISDIR(old.st_mode)) {
        errno = EISDIR;
        result.error = describe("cannot write", target.string());
        return result;
    }

    std::string tempPath;
    Fd fd = createTemporary(target, tempPath);
    if (fd.get() < 0) {
        result.error = describe("cannot create", tempPath);
        return result;
    }
    RemoveOnFailure removeTemp;
    removeTemp.arm(tempPath);

    if (oldExists && S_ISREG(old.st_mode))
        ::fchmod(fd.get(), old.st_mode & 07777);
    for (auto part : parts) {
        if (!writeAll(fd.get(), part)) {
            result.error = describe("cannot write", tempPath);
            return result;
        }
    }
    if (options.sync && ::fsync(fd.get()) != 0) {
        result.error = describe("cannot flush", tempPath);
        return result;
    }
    if (!fd.closeChecked()) {
        result.error = describe("cannot close", tempPath);
        return result;
    }

    // The previous content becomes the backup before the target is replaced, so that between the
    // two renames it is always there under a name a user sees (the target, then the ".BAK"). A
    // backup that cannot be made refuses the save: the previous version is never lost silently.
    const fs::path bak = backupPathFor(target);
    if (options.keepBackup && oldExists && S_ISREG(old.st_mode) && bak != target) {
        const std::string bakTemp = tempPath + ".bak";
        RemoveOnFailure removeBakTemp;
        removeBakTemp.arm(bakTemp);  // also a partial copy
        const bool prepared =
            ::link(target.c_str(), bakTemp.c_str()) == 0 || copyFile(target.string(), bakTemp, options.sync);
        if (!prepared || ::rename(bakTemp.c_str(), bak.c_str()) != 0) {
            result.backupRefused = true;
            result.error = describe("cannot keep the previous version as", bak.string()) +
                           "; the file was not changed. Use Save as to save under another name.";
            return result;
        }
        // removeBakTemp stays armed: a rename between two names of one file (a backup that was
        // already a hard link of the target) leaves the temporary name in place.
        result.backupMade = true;
    }

    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        result.error = describe("cannot replace", target.string());
        return result;
    }
    removeTemp.release();

    if (options.sync)
        syncFolder(target);
    result.ok = true;
    return result;
}

} // namespace cs
