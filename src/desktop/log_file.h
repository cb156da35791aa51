#pragma once
// The file the log window writes its lines to, for support.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/atomic_file.h"

namespace cs::desktop {

// The log file's name, kept as the program has always called it.
inline constexpr std::string_view kLogFileName = "ChanelEdiotr.log";

// The log file in the user's home folder; empty when there is no home folder.
std::filesystem::path logFilePath(std::string_view home);
// HOME, or the account's home folder.
std::filesystem::path logFilePathForCurrentUser();

// One line per log line, each ended by a line break.
std::string logFileText(const std::vector<std::string>& lines);

// Replaces the file with the lines; a failed write leaves the old file as it was.
AtomicWriteResult writeLogFile(const std::filesystem::path& file, const std::vector<std::string>& lines);

} // namespace cs::desktop
