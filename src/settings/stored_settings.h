#pragma once
// StoredSettings: everything the editor remembers between runs. The main window owns one for the
// whole run, loads it when it is constructed and saves it when it is destroyed.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/settings_store.h"
#include "settings/settings_window.h"

namespace cs {


// Where the settings live in the store, and the version written beside them.
inline constexpr std::string_view kSettingsKeyPath = "Software\\Tervanis\\TervanisTools";
inline constexpr std::string_view kProgramVersion = "v1.0.3";

// Option bits of StoredSettings::flags.
namespace settings_flags {
inline constexpr std::int32_t kCloseEndsProgram = 1;       // closing ends the program instead of hiding it
inline constexpr std::int32_t kMultipleInstances = 2;      // more than one editor may run
inline constexpr std::int32_t kDragDropDisabled = 4;       // no drag and drop, no files dropped from the shell
inline constexpr std::int32_t kNoDatabaseAtStart = 8;      // no database file is loaded at start
inline constexpr std::int32_t kStartAtLogon = 16;          // the editor is started at log-on
inline constexpr std::int32_t kPortOpenFailed = 32;        // the last attempt to open the serial port failed
inline constexpr std::int32_t kConnectionWizardOption = 64; // the connection wizard's check box
inline constexpr std::int32_t kPropertiesInHex = 128;      // the properties dialog's hexadecimal option
inline constexpr std::int32_t kAboutAnimationDone = 256;   // the about box no longer animates
inline constexpr std::int32_t kNumberingMode = 512;        // read-only channel list with running numbers
inline constexpr std::int32_t kDefaults =
    kCloseEndsProgram | kMultipleInstances | kPortOpenFailed | kConnectionWizardOption;
} // namespace settings_flags

inline constexpr std::size_t kRecentFileCount = 4;

// Folders the defaults are built from.
struct SettingsPlaces {
    std::string startFolder;    // the working folder recorded at start
    std::string programFolder;  // the executable's folder, with its trailing separator
};

class StoredSettings {
public:
    std::int32_t runCount = -1;                            // "Counter": completed runs
    std::int32_t screenHeight = -1;                        // "Screen.Height" at the last exit
    std::int32_t screenWidth = -1;                         // "Screen.Width" at the last exit
    std::int32_t flags = settings_flags::kDefaults;        // "TReg.flags"
    std::array<std::string, kRecentFileCount> recentFiles; // "Path_01".."Path_04", most recent first
    bool settingsFound = false;                            // the key held "Counter" and "WindowState"; never stored
    std::string serialPortName;                            // "ComPort"
    std::string loadFolder;                                // "LoadFile": open dialog's folder
    std::string saveFolder;                                // "SaveFile": save-as dialog's folder
    std::string importFolder;                              // "ImportFile": kept unchanged
    std::string exportFolder;                              // "ExportFile": kept unchanged
    std::string imageManagerFolder;                        // "JpgFileDirectory": image manager's picture folder
    std::string receiveFileName;                           // "RxFile": name for a received image
    std::string sendFileName;                              // "DxFile": name for an image to send
    std::string pictureStoreFolder;                        // "GraphDirectory": picture-store folder
    std::int32_t wizardListIndex = 0;                      // "L2_LBox.ItemIdx": the connection wizard's list entry
    std::string languageFileName;                          // "LangFile": written back when not empty
    bool ctrlZUndoes = false;                              // "UndoOnCtrlZ": Ctrl+Z undoes, Save keeps Ctrl+S

    bool flag(std::int32_t mask) const { return (flags & mask) != 0; }
    void setFlag(std::int32_t mask, bool on) { flags = on ? (flags | mask) : (flags & ~mask); }

    // Fills the record from the store, applies the stored geometry to the window and rebuilds
    // its recent-files entries. `startupFile` is the file to open at start: when the caller has
    // chosen none (it is empty) it becomes recent file 1 or the start folder's "list.dsp".
    // Nothing is reported: a missing or unreadable key gives the defaults of a first run.
    void load(SettingsStore& store, SettingsWindow& window, const SettingsPlaces& places, std::string& startupFile);

    // Writes the record, the window geometry and `dateTime` (days since 30 December 1899) back.
    // False when something was not stored; callers do not report it. The log-on start entry
    // that the record's flag asks for is the desktop's (saveSettingsAndLogonStart).
    bool save(SettingsStore& store, const SettingsWindow& window, double dateTime);

    // Writes only the option bits and the serial port ("TReg.flags", "ComPort") at once, so that
    // what the preferences dialog changed survives a crash; the full save at exit follows.
    bool savePreferences(SettingsStore& store) const;

    // Puts `name` at the top of the recent files (moving it up when it is already there, else
    // dropping the oldest) and rebuilds the window's entries.
    void addRecentFile(std::string_view name, SettingsWindow& window);

    // Reads "LangFile" alone into languageFileName (empty when absent) and returns it.
    const std::string& readLanguageFileName(SettingsStore& store);

    // Shows the separator and the caption of every non-empty recent file; entries of empty
    // slots are left as they are.
    void showRecentFiles(SettingsWindow& window) const;

    // The start folder's "list.dsp".
    static std::string defaultFileName(const SettingsPlaces& places);
};

} // namespace cs
