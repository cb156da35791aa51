#include "common/new_file.h"

#include "common/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace cs {

namespace fs = std::filesystem;

int createNewFile(const fs::path& wanted, fs::path& created) {
    const std::string name = wanted.filename().string();
    const auto dot = name.rfind('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
    for (int n = 0; n < 100000; ++n) {
        created = n == 0 ? wanted : wanted.parent_path() / (stem + "-" + std::to_string(n) + ext);
        // O_EXCL fails on any existing name, a link (even a dangling one) included.
        const int fd = ::open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool writeNewFile(const fs::path& wanted, std::span<const std::uint8_t> data, fs::path& created,
                  std::string& error) {
    turnFileSizeSignalIntoError();
    const int fd = createNewFile(wanted, created);
    if (fd < 0) {
        error = "cannot create " + created.string() + ": " + std::strerror(errno);
        return false;
    }
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        error = "cannot write " + created.string() + ": " + std::strerror(savedErrno ? savedErrno : errno);
        ::unlink(created.c_str());
    }
    return ok;
}

} // namespace cs
