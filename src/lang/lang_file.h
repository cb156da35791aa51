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

// No text of the program is near this long; a longer line is a file whose line ends or encoding
// were not understood (CR-only line ends make the whole file one line), not a text to show.
inline constexpr std::size_t kMaxLanguageLineLength = 1024;

// Empty when every line can be shown as a text: none longer than kMaxLanguageLineLength bytes,
// no control character but the tab (a NUL of UTF-16 without its mark, a lone CR), no character
// the decoding could not map (U+FFFD). Otherwise the reason, naming the first such line.
std::string unshowableTextProblem(const std::vector<std::string>& lines);

// True when the lines, read as an INI file, have a section named "LANGUAGE" (any letter case,
// blanks around the name allowed) holding at least one key.
bool hasLanguageSection(const std::vector<std::string>& lines);

// Reads and decodes a language file (see text_encoding.h; the code page follows the file name).
// Returns nullopt with the reason in `error` when the file cannot be read, is too large, has no
// "[LANGUAGE]" section with a key or has lines that cannot be shown (unshowableTextProblem). The entry's name is the file name without folder.
std::optional<LanguageContent> readLanguageFile(const std::filesystem::path& path, std::string& error);

} // namespace cs::lang
