#include "desktop/log_file.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <span>
#include <system_error>
#include <vector>

namespace cs::desktop {

namespace fs = std::filesystem;

namespace {

bool isAbsolute(std::string_view path) { return !path.empty() && path.front() == '/'; }

} // namespace

fs::path logFilePath(std::string_view xdgStateHome, std::string_view home) {
    fs::path state;
    if (isAbsolute(xdgStateHome))
        state = xdgStateHome;
    else if (isAbsolute(home))
        state = fs::path(home) / ".local" / "state";
    else
        return {};
    return state / kStateFolderName / kLogFileName;
}

fs::path logFilePathForCurrentUser() {
    const char* state = std::getenv("XDG_STATE_HOME");
    const std::string_view stateHome = state ? state : "";
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return logFilePath(stateHome, home);
    if (const passwd* account = ::getpwuid(::getuid()); account && account->pw_dir)
        return logFilePath(stateHome, account->pw_dir);
    return logFilePath(stateHome, "");
}

std::string logFileText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    return text;
}

AtomicWriteResult writeLogFile(const std::filesystem::path& file, const std::vector<std::string>& lines) {
    if (file.empty()) {
        AtomicWriteResult refused;
        refused.error = "no home folder for the log file";
        return refused;
    }
    // The folders that do not exist yet are made private, as the base directories should be.
    std::error_code ec;
    std::vector<fs::path> missing;
    for (fs::path folder = file.parent_path(); !folder.empty() && folder != folder.parent_path() && !fs::exists(folder, ec);
         folder = folder.parent_path())
        missing.push_back(folder);
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (::mkdir(it->c_str(), 0700) != 0 && errno != EEXIST) {
            AtomicWriteResult refused;
            refused.error = "cannot create " + it->string() + ": " + std::strerror(errno);
            return refused;
        }
    }
    const std::string text = logFileText(lines);
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    const std::span<const std::span<const std::uint8_t>> parts(&bytes, 1);
    return writeFileAtomically(file, parts, AtomicWriteOptions{});
}

} // namespace cs::desktop
