#include "desktop/log_file.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <span>

namespace cs::desktop {

std::filesystem::path logFilePath(std::string_view home) {
    if (home.empty() || home.front() != '/')
        return {};
    return std::filesystem::path(home) / kLogFileName;
}

std::filesystem::path logFilePathForCurrentUser() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return logFilePath(home);
    if (const passwd* account = ::getpwuid(::getuid()); account && account->pw_dir)
        return logFilePath(account->pw_dir);
    return {};
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
    const std::string text = logFileText(lines);
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    const std::span<const std::span<const std::uint8_t>> parts(&bytes, 1);
    return writeFileAtomically(file, parts, AtomicWriteOptions{});
}

} // namespace cs::desktop
