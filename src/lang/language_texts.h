#pragma once
// Text lookups over the languages, for the libraries that take a TextLookup.
#include "common/text_lookup.h"

namespace cs::lang {

class LanguageList;

// The built-in English texts; the fallback wherever no language list is at hand.
TextLookup englishTexts();
// The texts of the list's active language. The list must outlive the lookup.
TextLookup languageTexts(const LanguageList& list);

} // namespace cs::lang
