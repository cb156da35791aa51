#pragma once
// Whole-file reads and crash-safe writes for the picture store and its pictures.
#include "common/byte_order.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cs {

// Reads a whole file of at most `maxSize` bytes; nullopt with a reason otherwise.
std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path, std::size_t maxSize,
                                                       std::string& error);

// Writes `data` to a temporary file in the target's folder, flushes it to disk and renames it over
// `path`, so that a failure at any point leaves the previous file as it was. An existing file
// keeps its permissions.
bool writeFileAtomically(const std::string& path, ConstBytes data, std::string& error);

} // namespace cs
