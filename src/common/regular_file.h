#pragma once
// Opening a file the program reads (images, import files, picture stores, pictures, language
// files) without ever waiting on it: opened non-blocking, and only a regular file is accepted. A
// folder, a named pipe, a device, a socket or a symbolic link loop is named as what it is.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cs {

enum class FileProblem {
    None,
    Missing,
    Folder,
    NamedPipe,
    Device,
    Socket,
    LinkLoop,
    Unreadable,  // no permission or another error of the system; see the error text
    TooLarge,
};

// What the problem is, to follow the file's name: "is a folder, not a file".
std::string fileProblemText(FileProblem problem);

// An open regular file, read-only, in blocking mode once it is known to be regular.
class RegularFile {
public:
    explicit RegularFile(const std::string& path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool ok() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    std::uint64_t size() const { return size_; }
    FileProblem problem() const { return problem_; }
    // The path and what is wrong with it ("/x/list.dsp is a folder, not a file"); empty when ok.
    std::string error() const;

    // Reads up to `count` bytes at `offset`; returns how many arrived.
    std::size_t readAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) const;

private:
    std::string path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    FileProblem problem_ = FileProblem::None;
    int errno_ = 0;
};

struct FileContent {
    std::optional<std::vector<std::uint8_t>> bytes;
    FileProblem problem = FileProblem::None;
    std::string error;  // as RegularFile::error, or why the read failed
};

// Reads a whole regular file of at most `maxSize` bytes.
FileContent readRegularFile(const std::string& path, std::uint64_t maxSize);

// What stands at a path a program is about to write, followed through links: None for a regular
// file or nothing at all; a folder, named pipe, device, socket or link loop otherwise. Writing
// there would replace a device node with a file, or wait on a FIFO; it is refused before
// anything is written.
FileProblem outputProblem(const std::string& path);

} // namespace cs
