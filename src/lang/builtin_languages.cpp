#include "builtin_languages.h"

#include <array>

namespace cs::lang {

std::span<const BuiltInLanguage> builtInLanguages() {
    // Built on first use: the texts live in other translation units.
    static const std::array<BuiltInLanguage, 5> kLanguages = {{
        {kEnglishFileName, "ID_ENG", kEnglishText, kEnglishProgramText},
        {kSpanishFileName, "ID_ESP", kSpanishText, kSpanishProgramText},
        {kPolishFileName, "ID_POL", kPolishText, kPolishProgramText},
        {kSlovakFileName, "ID_SLO", kSlovakText, kSlovakProgramText},
        {kItalianFileName, "ID_ITA", kItalianText, kItalianProgramText},
    }};
    return kLanguages;
}

std::optional<BuiltInLanguage> findBuiltInLanguage(std::string_view name) {
    for (const BuiltInLanguage& language : builtInLanguages())
        if (language.name == name)
            return language;
    return std::nullopt;
}

} // namespace cs::lang
