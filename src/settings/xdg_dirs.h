#pragma once
// The user's XDG base folders and the files this program keeps in them. Everything the program
// writes for the desktop goes below these folders, never into system folders.
#include <string>

namespace cs {

struct XdgDirs {
    std::string dataHome;    // $XDG_DATA_HOME, or $HOME/.local/share; empty when unknown
    std::string configHome;  // $XDG_CONFIG_HOME, or $HOME/.config; empty when unknown
};

// An XDG variable counts only when it is an absolute path; otherwise the folder below `home`
// is used. A relative or empty `home` gives no folder at all.
XdgDirs resolveXdgDirs(const char* xdgDataHome, const char* xdgConfigHome, const char* home);

// From XDG_DATA_HOME, XDG_CONFIG_HOME and HOME; without HOME, the account's home folder.
XdgDirs xdgDirsFromEnvironment();

// The INI file of the settings store; empty when there is no config folder.
std::string settingsFilePath(const XdgDirs& dirs);

// Full path of the running program; empty when it cannot be found.
std::string currentExecutablePath();

} // namespace cs
