#pragma once
// The five languages built into the program, each the complete text of a language file in UTF-8.
#include <optional>
#include <span>
#include <string_view>

namespace cs::lang {

struct BuiltInLanguage {
    std::string_view name;     // entry name, e.g. "English.lng"
    std::string_view resource; // resource name the language had on the original platform
    std::string_view text;     // file text, "[LANGUAGE]" first, lines separated by LF
};

// In list order: English, Spanish, Polish, Slovak, Italian.
std::span<const BuiltInLanguage> builtInLanguages();

// The built-in language of that entry name (exact), nullopt when there is none.
std::optional<BuiltInLanguage> findBuiltInLanguage(std::string_view name);

// The file texts, one per language source file.
extern const std::string_view kEnglishLng;
extern const std::string_view kEspanolLng;
extern const std::string_view kPolskiLng;
extern const std::string_view kSlovenskyLng;
extern const std::string_view kItalianoLng;

} // namespace cs::lang
