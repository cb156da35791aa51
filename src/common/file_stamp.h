#pragma once
// What a file on disk was when a program read or wrote it: size, modification time and a hash of
// its content. A later stamp that differs means someone else changed (or replaced, or removed)
// the file in between, and saving over it would lose their change.
#include <cstdint>
#include <string>

namespace cs {

struct FileStamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t contentHash = 0;  // FNV-1a of the bytes: a change within the same second and size
    bool operator==(const FileStamp&) const = default;
};

// The stamp of the regular file at `path` (through links); a missing or unreadable file, or one
// that is no regular file, has exists == false.
FileStamp fileStamp(const std::string& path);

} // namespace cs
