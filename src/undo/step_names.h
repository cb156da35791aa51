#pragma once
// The name of an undo step, from what the change did: in the active language's words where the
// language has a text for it ("Delete: 3"), in plain English otherwise ("Delete 3 channels").
#include "common/text_lookup.h"
#include "undo/database_state.h"

#include <string>

namespace cs::undo {

std::string stepName(const ChangeSummary& change, const TextLookup& texts);

// The language text of `key` without its menu accelerator marks; empty when the language has no
// text for it.
std::string languageWord(const TextLookup& texts, const char* key);

} // namespace cs::undo
