#include "lang/language_texts.h"

#include "lang/builtin_languages.h"
#include "lang/lang_content.h"
#include "lang/lang_list.h"

#include <memory>
#include <string>
#include <vector>

namespace cs::lang {

TextLookup englishTexts() {
    static const auto english = [] {
        const auto builtIn = findBuiltInLanguage("English.lng");
        return std::make_shared<const LanguageContent>(
            "English.lng", builtIn ? splitLines(builtIn->text) : std::vector<std::string>{});
    }();
    return [content = english](std::string_view key) { return content->text(key); };
}

TextLookup languageTexts(const LanguageList& list) {
    return [&list](std::string_view key) { return list.text(key); };
}

} // namespace cs::lang
