#include "common/regular_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cs {

std::string fileProblemText(FileProblem problem) {
    switch (problem) {
    case FileProblem::None: return {};
    case FileProblem::Missing: return "doesn't exist";
    case FileProblem::Folder: return "is a folder, not a file";
    case FileProblem::NamedPipe: return "is a named pipe (FIFO), not a file";
    case FileProblem::Device: return "is a device, not a file";
    case FileProblem::Socket: return "is a socket, not a file";
    case FileProblem::LinkLoop: return "is a symbolic link loop";
    case FileProblem::Unreadable: return "cannot be read";
    case FileProblem::TooLarge: return "is too large";
    }
    return {};
}

namespace {

FileProblem problemOfType(mode_t mode) {
    if (S_ISREG(mode))
        return FileProblem::None;
    if (S_ISDIR(mode))
        return FileProblem::Folder;
    if (S_ISFIFO(mode))
        return FileProblem::NamedPipe;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return FileProblem::Device;
    if (S_ISSOCK(mode))
        return FileProblem::Socket;
    return FileProblem::Unreadable;
}

} // namespace

RegularFile::RegularFile(const std::string& path) : path_(path) {
    // O_NONBLOCK: opening a FIFO without a writer, or a device, must not wait.
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) {
        errno_ = errno;
        problem_ = errno_ == ENOENT || errno_ == ENOTDIR ? FileProblem::Missing
                   : errno_ == ELOOP                     ? FileProblem::LinkLoop
                   : errno_ == ENXIO                     ? FileProblem::NamedPipe  // or a socket
                                                         : FileProblem::Unreadable;
        if (problem_ == FileProblem::NamedPipe) {
            struct stat st {};
            if (::stat(path.c_str(), &st) == 0)
                problem_ = problemOfType(st.st_mode);
        }
        return;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        errno_ = errno;
        problem_ = FileProblem::Unreadable;
    } else {
        problem_ = problemOfType(st.st_mode);
    }
    if (problem_ != FileProblem::None) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
}

RegularFile::~RegularFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::string RegularFile::error() const {
    if (problem_ == FileProblem::None)
        return {};
    std::string text = path_ + " " + fileProblemText(problem_);
    if (problem_ == FileProblem::Unreadable && errno_ != 0)
        text += std::string(": ") + std::strerror(errno_);
    return text;
}

std::size_t RegularFile::readAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) const {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

FileContent readRegularFile(const std::string& path, std::uint64_t maxSize) {
    FileContent content;
    RegularFile file(path);
    if (!file.ok()) {
        content.problem = file.problem();
        content.error = file.error();
        return content;
    }
    if (file.size() > maxSize) {
        content.problem = FileProblem::TooLarge;
        content.error = path + " " + fileProblemText(FileProblem::TooLarge);
        return content;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.size()));
    if (file.readAt(0, bytes.data(), bytes.size()) != bytes.size()) {
        content.problem = FileProblem::Unreadable;
        content.error = "short read of " + path;
        return content;
    }
    content.bytes = std::move(bytes);
    return content;
}

FileProblem outputProblem(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return problemOfType(st.st_mode) == FileProblem::Unreadable ? FileProblem::None : problemOfType(st.st_mode);
    return errno == ELOOP ? FileProblem::LinkLoop : FileProblem::None;
}

} // namespace cs
