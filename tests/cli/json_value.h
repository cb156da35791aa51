#pragma once
// A small strict JSON reader for checking what channelsettings-cli prints: one value, object
// members kept in their printed order, numbers told apart from strings, UTF-8 enforced.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cs::clitest {

struct Json {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    double number = 0;
    bool integral = false;  // written without fraction or exponent
    std::string text;
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> members;

    // The member `key` of an object; throws std::out_of_range when there is none.
    const Json& operator[](std::string_view key) const;
    const Json& operator[](std::size_t index) const { return items.at(index); }
    std::vector<std::string> keys() const;
    long long integer() const { return static_cast<long long>(number); }
    bool operator==(const Json&) const = default;
};

// Parses exactly one JSON value surrounded by optional white space; the error text otherwise.
std::optional<Json> parseJson(std::string_view text, std::string* error = nullptr);

// True when `bytes` is well-formed UTF-8 (no overlongs, no surrogates).
bool validUtf8(std::string_view bytes);

const char* typeName(Json::Type t);

} // namespace cs::clitest
