#pragma once
// The file the log window writes its lines to, for support. It is state the program keeps, not a
// document, so it lives in the XDG state folder rather than the home folder itself.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/atomic_file.h"

namespace cs::desktop {

// The log file's name, kept as the program has always called it.
inline constexpr std::string_view kLogFileName = "ChanelEdiotr.log";
// The program's folder below the user's state folder.
inline constexpr std::string_view kStateFolderName = "channelsettings";

// The log file in the user's state folder: $XDG_STATE_HOME/channelsettings/, or
// ~/.local/state/channelsettings/ when XDG_STATE_HOME is unset or not an absolute path (as the
// XDG base directories want). Empty when neither gives an absolute folder.
std::filesystem::path logFilePath(std::string_view xdgStateHome, std::string_view home);
// From XDG_STATE_HOME and HOME; without HOME, the account's home folder.
std::filesystem::path logFilePathForCurrentUser();

// One line per log line, each ended by a line break.
std::string logFileText(const std::vector<std::string>& lines);

// Replaces the file with the lines, creating its folder first (mode 0700, as the state folder
// is the user's own); a failed write leaves the old file as it was.
AtomicWriteResult writeLogFile(const std::filesystem::path& file, const std::vector<std::string>& lines);

} // namespace cs::desktop
