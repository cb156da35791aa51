#pragma once
// Small file and process helpers for the desktop integration files: whole-file reads, atomic
// replacement (a reader never sees half a file, a failed write leaves the old one), and running
// the desktop's database tools without a shell.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cs {

// "a" + "/" + "b" without doubling the separator.
std::string joinPath(std::string_view folder, std::string_view name);

// The file's bytes; nullopt when it does not exist or cannot be read.
std::optional<std::string> readWholeFile(const std::string& path);
bool fileExists(const std::string& path);

// Creates the parent folders, writes `content` to a temporary file beside `path`, flushes it to
// disk and renames it over `path` (common/atomic_file.h). The new file keeps the mode of the file
// it replaces.
bool writeFileAtomically(const std::string& path, std::string_view content);

// Removes the file; true when it is gone afterwards (also when it never existed).
bool removeFileIfExists(const std::string& path);

// The first executable `name` in the colon-separated folder list `searchPath`; empty if none.
std::string findTool(std::string_view name, std::string_view searchPath);

// Runs the tool found in `searchPath` with `args`, its output discarded, and waits for it at
// most `timeoutMs` (then it is killed). True when it ran and exited with status 0.
bool runTool(std::string_view name, const std::vector<std::string>& args, std::string_view searchPath,
             int timeoutMs = 30000);

} // namespace cs
