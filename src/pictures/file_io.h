#pragma once
// Whole-file reads for the picture store and the pictures imported into it. Writing goes through
// common/atomic_file.h.
#include "common/byte_order.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cs {

// Reads a whole file of at most `maxSize` bytes; nullopt with a reason otherwise.
std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path, std::size_t maxSize,
                                                       std::string& error);

// Replaces `path` with `data` through common/atomic_file.h (temporary file, flush, rename), without
// a backup. False with the reason on failure; the previous file is then untouched.
bool replaceFile(const std::string& path, ConstBytes data, std::string& error);

} // namespace cs
