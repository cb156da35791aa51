#pragma once
// Replacing a file without ever losing it: the new content goes to a temporary file in the same
// folder, is flushed to the disk, and only then renamed over the target. A plain save keeps the
// previous content as the single ".BAK" file beside it.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace cs {

struct AtomicWriteOptions {
    bool keepBackup = false;  // the previous file becomes the ".BAK" (replacing an older one)
    bool sync = true;         // fsync the file and the folder; off only for benchmarks
};

struct AtomicWriteResult {
    bool ok = false;
    bool backupMade = false;
    bool backupRefused = false;  // keepBackup, and the previous file could not be kept: nothing written
    std::string error;        // what failed, for the log; empty on success
    int errorNumber = 0;      // the system's error number of that failure
};

// The backup name of a file: its extension replaced by ".BAK" (appended when it has none).
std::filesystem::path backupPathFor(const std::filesystem::path& file);

// The file a save of `target` really replaces: the target of a symbolic link, else the path
// itself. Its ".BAK" lies beside that file.
std::filesystem::path resolveTarget(const std::filesystem::path& target);

// A write past the file-size limit would kill the process (SIGXFSZ); ignored, it fails with EFBIG
// and is reported like a full disk. A handler the program installed itself is left alone.
void turnFileSizeSignalIntoError();

// Writes the concatenation of `parts` to `target`. On failure the target is left exactly as it was
// and the temporary file is removed. With keepBackup the previous content must become the backup
// first: when it cannot (a folder in the way, no hard links and no room for a copy) nothing is
// replaced and backupRefused is set. A target that exists and is not a regular file (a device, a
// FIFO, a folder, a link loop) is refused before anything is written. A target that is a symbolic link is
// written through the link. The new file keeps the permission bits of the file it replaces.
AtomicWriteResult writeFileAtomically(const std::filesystem::path& target,
                                      std::span<const std::span<const std::uint8_t>> parts,
                                      const AtomicWriteOptions& options);

} // namespace cs
