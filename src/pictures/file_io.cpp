#include "pictures/file_io.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cs {
namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports the result (a delayed write error can show up only here).
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

std::string errnoText(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

bool writeAll(int fd, ConstBytes data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path, std::size_t maxSize,
                                                       std::string& error) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        error = errnoText("cannot open", path);
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = path + " is not a regular file";
        return std::nullopt;
    }
    if (static_cast<std::uint64_t>(st.st_size) > maxSize) {
        error = path + " is too large";
        return std::nullopt;
    }
    std::vector<std::uint8_t> data(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::read(fd.get(), data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errnoText("cannot read", path) : "short read of " + path;
            return std::nullopt;
        }
        done += static_cast<std::size_t>(n);
    }
    return data;
}

bool writeFileAtomically(const std::string& path, ConstBytes data, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // Write through a symbolic link to its target rather than replacing the link.
    fs::path target = fs::path(path);
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec)
            target = resolved;
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");

    static std::atomic<unsigned> counter{0};
    std::string temp;
    int raw = -1;
    for (int attempt = 0; attempt < 100 && raw < 0; ++attempt) {
        temp = (folder / ("." + target.filename().string() + ".tmp" + std::to_string(::getpid()) + "-" +
                          std::to_string(counter.fetch_add(1))))
                   .string();
        raw = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (raw < 0 && errno != EEXIST)
            break;
    }
    if (raw < 0) {
        error = errnoText("cannot create a temporary file in", folder.string());
        return false;
    }
    Fd fd(raw);
    auto failed = [&](const std::string& what) {
        error = errnoText(what, temp);
        ::unlink(temp.c_str());
        return false;
    };
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && ::fchmod(fd.get(), old.st_mode & 07777) != 0)
        return failed("cannot set the permissions of");
    if (!writeAll(fd.get(), data))
        return failed("cannot write");
    if (::fsync(fd.get()) != 0)
        return failed("cannot flush");
    if (!fd.close())
        return failed("cannot close");
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        error = errnoText("cannot replace", target.string());
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here no longer endangers either file.
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
    return true;
}

} // namespace cs
