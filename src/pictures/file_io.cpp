#include "pictures/file_io.h"

#include "common/atomic_file.h"

#include <cerrno>
#include <cstring>

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
private:
    int fd_;
};

std::string errnoText(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
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

bool replaceFile(const std::string& path, ConstBytes data, std::string& error) {
    const std::span<const std::uint8_t> parts[] = {data};
    const AtomicWriteResult r = writeFileAtomically(path, parts, AtomicWriteOptions{});
    error = r.error;
    return r.ok;
}

} // namespace cs
