#pragma once
// The program's place in the user's desktop: the `.dsp` file type with this program as its
// default application, and the entry that starts the program at log-on. All files go below the
// user's XDG folders.
#include <string>
#include <string_view>

#include "settings/xdg_dirs.h"

namespace cs {

class SettingsStore;
class SettingsWindow;
class StoredSettings;

inline constexpr std::string_view kDspMimeType = "application/x-channelsettings-dsp";
inline constexpr std::string_view kDspTypeDescription = "Channel Setting Tervanis";
inline constexpr std::string_view kDesktopEntryName = "channelsettings.desktop";
inline constexpr std::string_view kApplicationName = "ChannelSettings";
// Theme icon name used when no icon file is given.
inline constexpr std::string_view kApplicationIconName = "channelsettings";
// The argument the log-on start passes; the main window starts minimised with it.
inline constexpr std::string_view kAutorunArgument = "/autorun";

struct ShellPlaces {
    XdgDirs dirs;
    std::string executablePath;
    std::string iconPath;        // an icon file; empty uses the theme icon kApplicationIconName
    std::string toolSearchPath;  // folders (as in PATH) where the desktop database tools are looked up

    // The XDG folders and PATH of this process.
    static ShellPlaces fromEnvironment(std::string executablePath, std::string iconPath = {});
};

class DesktopShell {
public:
    explicit DesktopShell(ShellPlaces places);

    // Installs the MIME type for *.dsp and the application's desktop entry, refreshes the MIME and
    // desktop databases when their tools exist, and makes the program the type's default
    // application. False when a file could not be written (nothing is reported to the user).
    bool registerFileType();

    // Writes or removes the autostart entry. False when that failed.
    bool setStartAtLogon(bool enabled);

    std::string mimePackagePath() const;
    std::string desktopEntryPath() const;
    std::string mimeAppsListPath() const;
    std::string autostartEntryPath() const;

    const ShellPlaces& places() const { return places_; }

private:
    ShellPlaces places_;
};

// Saves the settings record at the end of a run, then writes or removes the log-on start entry
// as its flag asks. False when something was not stored; callers do not report it.
bool saveSettingsAndLogonStart(StoredSettings& settings, SettingsStore& store, const SettingsWindow& window,
                               DesktopShell& shell, double dateTime);

// One argument of a desktop entry's Exec line, quoted and escaped so that a path with blanks,
// quotes, dollars, backslashes or percent signs reaches the program unchanged.
std::string desktopExecArgument(std::string_view argument);

// Text of a shared-mime-info package declaring the `.dsp` type.
std::string dspMimePackageText();
// Text of a desktop entry; `execArguments` follows the quoted executable on the Exec line.
std::string desktopEntryText(const ShellPlaces& places, std::string_view execArguments, bool forAutostart);

// `mimeAppsList` (the text of a mimeapps.list, possibly empty) with `desktopId` as the default
// application of `mimeType`; every other line is kept as it was.
std::string withDefaultApplication(std::string_view mimeAppsList, std::string_view mimeType,
                                   std::string_view desktopId);

} // namespace cs
