#pragma once
// How a typed settings value is written as INI text, so that the type survives the file:
//   integer  "dword:" and 8 hex digits of its 32 bits, e.g. "dword:ffffffff" for -1
//   binary   "hex:" and 2 hex digits per byte
//   string   the text itself; "sz:" and the text with "%XX" escapes when the text starts with
//            one of these prefixes or holds bytes that are not printable UTF-8 (any byte string
//            is kept exactly, also a path that is not valid UTF-8)
// A value that is none of these (a damaged or hand-broken file) reads as malformed.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cs {

enum class StoredType { integer, string, binary, malformed };

std::string integerText(std::int32_t value);
std::string binaryText(std::span<const std::uint8_t> bytes);
std::string stringText(std::string_view value);

StoredType storedType(std::string_view text);
// Each returns nullopt when `text` does not hold a well-formed value of its type.
std::optional<std::int32_t> integerFromText(std::string_view text);
std::optional<std::vector<std::uint8_t>> binaryFromText(std::string_view text);
std::optional<std::string> stringFromText(std::string_view text);

bool isValidUtf8(std::string_view text);

} // namespace cs
