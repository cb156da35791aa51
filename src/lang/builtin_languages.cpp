#include "builtin_languages.h"

#include <array>

namespace cs::lang {

std::span<const BuiltInLanguage> builtInLanguages() {
    // Built on first use: the texts live in other translation units.
    static const std::array<BuiltInLanguage, 5> kLanguages = {{
        {kEnglishFileName, "ID_ENG", kEnglishText, kEnglishProgramText, "en"},
        {kSpanishFileName, "ID_ESP", kSpanishText, kSpanishProgramText, "es"},
        {kPolishFileName, "ID_POL", kPolishText, kPolishProgramText, "pl"},
        {kSlovakFileName, "ID_SLO", kSlovakText, kSlovakProgramText, "sk"},
        {kItalianFileName, "ID_ITA", kItalianText, kItalianProgramText, "it"},
    }};
    return kLanguages;
}

std::optional<BuiltInLanguage> findBuiltInLanguage(std::string_view name) {
    for (const BuiltInLanguage& language : builtInLanguages())
        if (language.name == name)
            return language;
    return std::nullopt;
}

std::string_view qtLanguageCode(std::string_view name) {
    const auto language = findBuiltInLanguage(name);
    return language ? language->code : std::string_view{};
}

} // namespace cs::lang
