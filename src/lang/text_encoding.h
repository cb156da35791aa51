#pragma once
// Decoding of language files: they may be UTF-8 (with or without a byte-order mark), UTF-16 with a
// byte-order mark (what some Windows editors save as "Unicode"), or the 8-bit Windows code page of
// their language. Everything the program keeps is UTF-8.
#include <string>
#include <string_view>

namespace cs::lang {

enum class CodePage { Windows1250, Windows1252 };

// Strict UTF-8 check: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes);

// Converts 8-bit text of the code page to UTF-8. Bytes the code page leaves undefined become U+FFFD.
std::string codePageToUtf8(std::string_view bytes, CodePage page);

// The code page a Windows editor would have used for a language file, judged by its file name:
// Central European (1250) for Polish, Slovak and their neighbours, Western (1252) otherwise.
CodePage codePageForFileName(std::string_view fileName);

// File bytes as UTF-8 text: a UTF-8 or UTF-16 byte-order mark decides; otherwise valid UTF-8 is
// taken as it is and anything else is read in `fallback`.
std::string decodeLanguageFile(std::string_view bytes, CodePage fallback);

} // namespace cs::lang
