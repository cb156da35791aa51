#pragma once
// The launcher the preferences dialog puts on the user's desktop: the program's desktop entry,
// written into the desktop folder, executable and marked trusted where the desktop asks for it.
#include <string>
#include <string_view>

#include "desktop/desktop_shell.h"

namespace cs::desktop {

// XDG_DESKTOP_DIR as user-dirs.dirs writes it (`XDG_DESKTOP_DIR="$HOME/Desktop"`, or an absolute
// path), resolved against `home`; `home`/Desktop when the text names none. Empty without a home.
std::string desktopFolderFrom(std::string_view userDirsText, std::string_view home);

// The desktop folder of this user: $XDG_DESKTOP_DIR when it is absolute, else what
// `configHome`/user-dirs.dirs says, else ~/Desktop.
std::string desktopFolderForCurrentUser(const XdgDirs& dirs);

struct LauncherResult {
    bool written = false;
    bool trusted = false;  // the desktop's trust mark could be set (GNOME); false where none exists
    std::string path;
    std::string error;
};

// Writes the launcher `desktopFolder`/channelsettings.desktop (creating the folder), makes it
// executable and asks gio to mark it trusted.
LauncherResult createDesktopLauncher(const ShellPlaces& places, const std::string& desktopFolder);

} // namespace cs::desktop
