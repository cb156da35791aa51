#pragma once
// Where external language files are looked for: the program's own folder and the user's data
// folder (the place a user can write to on Linux).
#include <filesystem>
#include <string_view>

namespace cs::lang {

// Name of the program's folder under the user's data folder.
inline constexpr std::string_view kDataFolderName = "channelsettings";
// File name of the language template.
inline constexpr std::string_view kTemplateFileName = "Default.lng";

// $XDG_DATA_HOME/channelsettings when XDG_DATA_HOME is an absolute path, otherwise
// $HOME/.local/share/channelsettings (HOME from the password database when unset); empty when
// no home folder is known. The folder need not exist.
std::filesystem::path userLanguageFolder();

// Folder of the running executable; empty when it cannot be determined.
std::filesystem::path programFolder();

// Where the language template "Default.lng" is written: the user's language folder, so that a
// completed copy saved next to it is found at the next start.
std::filesystem::path languageTemplatePath();

} // namespace cs::lang
