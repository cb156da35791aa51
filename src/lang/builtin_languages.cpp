#include "builtin_languages.h"

#include <array>

namespace cs::lang {

std::span<const BuiltInLanguage> builtInLanguages() {
    // Built on first use: the texts live in other translation units.
    static const std::array<BuiltInLanguage, 5> kLanguages = {{
        {"English.lng", "ID_ENG", kEnglishLng},
        {"Espanol.lng", "ID_ESP", kEspanolLng},
        {"Polski.lng", "ID_POL", kPolskiLng},
        {"Slovensky.lng", "ID_SLO", kSlovenskyLng},
        {"Italiano.lng", "ID_ITA", kItalianoLng},
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
