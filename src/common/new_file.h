#pragma once
// Creating a file that must be new: it never follows or replaces anything already in the folder
// (a file, a link, a dangling link). A taken name gets "-1", "-2", ... before its extension.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace cs {

// Creates `wanted` or the first free "stem-N.ext" beside it (O_EXCL, O_NOFOLLOW) and returns its
// open descriptor for writing, with the created path in `created`; -1 with errno on failure.
int createNewFile(const std::filesystem::path& wanted, std::filesystem::path& created);

// createNewFile, then writes `data`, flushes it to the disk and closes it. On failure the new
// file is removed and `error` says why.
bool writeNewFile(const std::filesystem::path& wanted, std::span<const std::uint8_t> data,
                  std::filesystem::path& created, std::string& error);

} // namespace cs
