#include "settings/xdg_dirs.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace cs {
namespace {

bool isAbsolute(const char* path) { return path && path[0] == '/'; }

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string below(const char* home, std::string_view sub) {
    std::string base = withoutTrailingSlashes(home);
    if (base == "/")
        base.clear();
    return base + "/" + std::string(sub);
}

std::string accountHome() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir)
        return {};
    return found->pw_dir;
}

} // namespace

XdgDirs resolveXdgDirs(const char* xdgDataHome, const char* xdgConfigHome, const char* home) {
    XdgDirs dirs;
    if (isAbsolute(xdgDataHome))
        dirs.dataHome = withoutTrailingSlashes(xdgDataHome);
    else if (isAbsolute(home))
        dirs.dataHome = below(home, ".local/share");
    if (isAbsolute(xdgConfigHome))
        dirs.configHome = withoutTrailingSlashes(xdgConfigHome);
    else if (isAbsolute(home))
        dirs.configHome = below(home, ".config");
    return dirs;
}

XdgDirs xdgDirsFromEnvironment() {
    const char* home = std::getenv("HOME");
    std::string fallback;
    if (!isAbsolute(home)) {
        fallback = accountHome();
        home = fallback.c_str();
    }
    return resolveXdgDirs(std::getenv("XDG_DATA_HOME"), std::getenv("XDG_CONFIG_HOME"), home);
}

std::string settingsFilePath(const XdgDirs& dirs) {
    if (dirs.configHome.empty())
        return {};
    return (dirs.configHome == "/" ? std::string() : dirs.configHome) + "/channelsettings/settings.ini";
}

std::string currentExecutablePath() {
    std::array<char, 4096> buffer{};
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size())
        return {};
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}

} // namespace cs
