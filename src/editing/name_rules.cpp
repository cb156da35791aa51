#include "editing/name_rules.h"

#include <algorithm>
#include <cctype>

namespace cs::editing {

namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view trimLeft(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

std::string_view trim(std::string_view text) {
    text = trimLeft(text);
    const auto last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

} // namespace

std::string keepNameCharacters(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text)
        if (nameCharacter(static_cast<unsigned char>(ch)))
            out += ch;
    return out;
}

std::optional<std::string> channelNameFromEdit(std::string_view entered) {
    std::string name = keepNameCharacters(trimLeft(entered));
    if (name.empty())
        return std::nullopt;
    name.resize(std::min(name.size(), kChannelNameMax));
    return name;
}

std::optional<std::string> listNameFromEdit(std::string_view entered, std::string_view oldText,
                                            std::string_view listWord) {
    std::string text = keepNameCharacters(trim(entered));
    if (text.empty())
        text = std::string(oldText);
    if (!listWord.empty()) {
        const auto at = lower(text).find(lower(listWord));
        if (at != std::string::npos) {
            // The word's own length ("list", "lista", "zoznam") and the blank after it.
            std::size_t length = listWord.size();
            if (at + length < text.size() && text[at + length] == ' ')
                ++length;
            text.erase(at, length);
        }
    }
    std::string name(trimLeft(text));
    if (name.empty())
        return std::nullopt;
    name.resize(std::min(name.size(), kListNameMax));
    return name;
}

std::string nameFromField(std::string_view field, std::size_t maxLength) {
    const auto end = field.find('\0');
    std::string name = keepNameCharacters(field.substr(0, end));
    name.resize(std::min(name.size(), maxLength));
    return name;
}

} // namespace cs::editing
