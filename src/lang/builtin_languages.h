#pragma once
// The five languages built into the program, each the complete text of a language file in UTF-8.
#include <optional>
#include <span>
#include <string_view>

namespace cs::lang {

// Entry names of the built-in languages: stored as the language choice ("LangFile") and shown in
// the language menu, so they keep the spelling of the language files.
inline constexpr std::string_view kEnglishFileName = "English.lng";
inline constexpr std::string_view kSpanishFileName = "Espanol.lng";
inline constexpr std::string_view kPolishFileName = "Polski.lng";
inline constexpr std::string_view kSlovakFileName = "Slovensky.lng";
inline constexpr std::string_view kItalianFileName = "Italiano.lng";

struct BuiltInLanguage {
    std::string_view name;     // entry name, e.g. "English.lng"
    std::string_view resource; // the language's resource identifier, e.g. "ID_ENG"
    std::string_view text;     // file text, "[LANGUAGE]" first, lines separated by LF
    // Texts of the program's own windows beyond the language file's keys ("key=text" lines).
    // They are kept apart so that the language file itself (`lang NAME`, the template) stays the
    // language data as it is.
    std::string_view programText;
    std::string_view code;     // two-letter language code, e.g. "pl"
};

// In list order: English, Spanish, Polish, Slovak, Italian.
std::span<const BuiltInLanguage> builtInLanguages();

// The built-in language of that entry name (exact), nullopt when there is none.
std::optional<BuiltInLanguage> findBuiltInLanguage(std::string_view name);

// The two-letter code of a built-in language's entry name ("pl" for "Polski.lng"), the name of
// Qt's own translation of it; empty for any other name.
std::string_view qtLanguageCode(std::string_view name);

// The file texts, one per language source file.
extern const std::string_view kEnglishText;
extern const std::string_view kSpanishText;
extern const std::string_view kPolishText;
extern const std::string_view kSlovakText;
extern const std::string_view kItalianText;
extern const std::string_view kEnglishProgramText;
extern const std::string_view kSpanishProgramText;
extern const std::string_view kPolishProgramText;
extern const std::string_view kSlovakProgramText;
extern const std::string_view kItalianProgramText;

} // namespace cs::lang
