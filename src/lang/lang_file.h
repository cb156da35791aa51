#pragma once
// External language files (".lng" in the program folder or the user's language folder).
#include "lang/lang_content.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cs::lang {

// Language files are a few kilobytes; anything far larger is not one and is not read into memory.
inline constexpr std::uintmax_t kMaxLanguageFileSize = 1024 * 1024;

// True when the lines, read as an INI file, have a section named "LANGUAGE" (any letter case,
// blanks around the name allowed) holding at least one key.
bool hasLanguageSection(const std::vector<std::string>& lines);

// Reads and decodes a language file (see text_encoding.h; the code page follows the file name).
// Returns nullopt with the reason in `error` when the file cannot be read, is too large or has no
// "[LANGUAGE]" section with a key. The entry's name is the file name without folder.
std::optional<LanguageContent> readLanguageFile(const std::filesystem::path& path, std::string& error);

} // namespace cs::lang
