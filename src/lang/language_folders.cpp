#include "language_folders.h"

#include <cstdlib>
#include <pwd.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace cs::lang {

namespace fs = std::filesystem;

namespace {

fs::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result && result->pw_dir)
        return result->pw_dir;
    return {};
}

} // namespace

fs::path userLanguageFolder() {
    // Relative values are invalid for XDG base directories and are ignored.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        return fs::path(xdg) / kDataFolderName;
    const fs::path home = homeFolder();
    if (home.empty())
        return {};
    return home / ".local" / "share" / kDataFolderName;
}

fs::path programFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return exe.parent_path();
}

fs::path languageTemplatePath() {
    const fs::path folder = userLanguageFolder();
    return folder.empty() ? fs::path{} : folder / kTemplateFileName;
}

} // namespace cs::lang
