#pragma once
// Reading the texts of the active language: a function from a language key ("MenuOpen") to its
// text. The libraries that show texts take one, so they need not know where languages come from.
#include <functional>
#include <string>
#include <string_view>

namespace cs {

using TextLookup = std::function<std::string(std::string_view key)>;

} // namespace cs
