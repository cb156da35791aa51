#pragma once
// Writing the channels of a view as a CSV file: the name the save dialog proposes, the ".csv" a
// typed name without extension gets, and a write that replaces an older file only when the new
// one is complete.
#include "database/channel_database.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace cs {

// A file name made of a view's caption: characters a file name cannot or should not hold become
// '_'; an empty caption gives "channels". ".csv" is appended.
std::string csvFileNameFor(std::string_view caption);

// `path` with ".csv" appended when its file name has no extension.
std::filesystem::path withCsvExtension(const std::filesystem::path& path);

struct CsvExportResult {
    bool ok = false;
    std::size_t channels = 0;
    std::string error;  // what failed; empty on success
};

// Writes exportReferenceCsv of `slots` to `path` through a temporary file renamed over it: on
// failure an older file at `path` stays as it was and no partial file is left.
CsvExportResult writeReferenceCsvFile(const ChannelDatabase& db, std::span<const std::uint16_t> slots,
                                      const std::filesystem::path& path);

} // namespace cs
