#include "desktop/desktop_launcher.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "desktop/file_tools.h"

namespace cs::desktop {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDesktopKey = "XDG_DESKTOP_DIR";

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The shell-quoted value of user-dirs.dirs with its escapes undone and $HOME resolved.
std::string resolvedValue(std::string_view value, std::string_view home) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    std::string out;
    if (value.starts_with("$HOME")) {
        out = std::string(home);
        value.remove_prefix(5);
    } else if (value.starts_with("${HOME}")) {
        out = std::string(home);
        value.remove_prefix(7);
    }
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size())
            ++i;
        out += value[i];
    }
    return out;
}

} // namespace

std::string desktopFolderFrom(std::string_view userDirsText, std::string_view home) {
    if (home.empty() || home.front() != '/')
        return {};
    std::string folder;
    while (!userDirsText.empty()) {
        const auto nl = userDirsText.find('\n');
        std::string_view line = trimmed(userDirsText.substr(0, nl));
        userDirsText.remove_prefix(nl == std::string_view::npos ? userDirsText.size() : nl + 1);
        if (line.empty() || line.front() == '#' || !line.starts_with(kDesktopKey))
            continue;
        line.remove_prefix(kDesktopKey.size());
        line = trimmed(line);
        if (line.empty() || line.front() != '=')
            continue;
        const std::string value = resolvedValue(trimmed(line.substr(1)), home);
        // A relative value is not allowed by the format; "$HOME/" alone would be the home folder,
        // which the format also declines for the desktop.
        std::string_view bare = value;
        while (bare.size() > 1 && bare.back() == '/')
            bare.remove_suffix(1);
        std::string_view bareHome = home;
        while (bareHome.size() > 1 && bareHome.back() == '/')
            bareHome.remove_suffix(1);
        if (!bare.empty() && bare.front() == '/' && bare != bareHome)
            folder = std::string(bare);
    }
    return folder.empty() ? (fs::path(home) / "Desktop").string() : folder;
}

std::string desktopFolderForCurrentUser(const XdgDirs& dirs) {
    if (const char* env = std::getenv("XDG_DESKTOP_DIR"); env && env[0] == '/')
        return env;
    const char* home = std::getenv("HOME");
    const std::string userDirs = dirs.configHome.empty() ? std::string() : joinPath(dirs.configHome, "user-dirs.dirs");
    return desktopFolderFrom(readWholeFile(userDirs).value_or(std::string()), home ? home : "");
}

LauncherResult createDesktopLauncher(const ShellPlaces& places, const std::string& desktopFolder) {
    LauncherResult result;
    if (desktopFolder.empty()) {
        result.error = "no desktop folder";
        return result;
    }
    if (places.executablePath.empty()) {
        result.error = "the program's own path is unknown";
        return result;
    }
    result.path = joinPath(desktopFolder, kDesktopEntryName);
    if (!writeFileAtomically(result.path, desktopEntryText(places, "%f", false))) {
        result.error = "cannot write " + result.path;
        return result;
    }
    std::error_code ec;
    fs::permissions(result.path,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                        fs::perms::others_exec,
                    fs::perm_options::replace, ec);
    if (ec) {
        result.error = "cannot make " + result.path + " executable: " + ec.message();
        return result;
    }
    result.written = true;
    // GNOME's desktop starts only launchers marked trusted; other desktops need the executable
    // bit alone or ask once.
    result.trusted = runTool("gio", {"set", result.path, "metadata::trusted", "true"}, places.toolSearchPath, 5000);
    return result;
}

} // namespace cs::desktop
