#pragma once
// The character and length rules of names the user types in place (channels, favourite lists)
// and of names that come from another process.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cs::editing {

inline constexpr std::size_t kChannelNameMax = 15;  // typed in place
inline constexpr std::size_t kListNameMax = 11;
inline constexpr std::size_t kProviderNameMax = 18;

// Whether a character may stand in a stored name.
constexpr bool nameCharacter(unsigned char c) { return c >= 32 && c <= 125; }

// Only the characters 32..125, in order.
std::string keepNameCharacters(std::string_view text);

// A channel renamed in place: leading blanks go, then every character outside 32..125; cut to 15.
// Nothing when nothing is left (the row keeps its old name).
std::optional<std::string> channelNameFromEdit(std::string_view entered);

// A favourite list renamed in place: blanks at both ends go, then the characters outside
// 32..125 (nothing left: the node's old text stands instead); where the word `listWord` ("list")
// first stands, in any case, the word and the blank after it are taken out; leading blanks go;
// cut to 11. Nothing when nothing is left (the node keeps its old text).
std::optional<std::string> listNameFromEdit(std::string_view entered, std::string_view oldText,
                                            std::string_view listWord);

// A name read from a fixed field of another process: up to the first NUL within the field, only
// the characters 32..125, at most `maxLength` of them.
std::string nameFromField(std::string_view field, std::size_t maxLength);

} // namespace cs::editing
