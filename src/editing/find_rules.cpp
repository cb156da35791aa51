#include "editing/find_rules.h"

#include <cctype>
#include <charconv>
#include <cstdio>

namespace cs::editing {

namespace {

bool sameLetter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

} // namespace

bool captionMatches(std::string_view caption, std::string_view text, bool wholeWord) {
    if (wholeWord ? caption.size() != text.size() : caption.size() < text.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!sameLetter(caption[i], text[i]))
            return false;
    return true;
}

std::optional<std::string> numberSearchText(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    if (first == std::string_view::npos)
        return std::nullopt;
    text = text.substr(first, last - first + 1);
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    char out[24];
    std::snprintf(out, sizeof out, "%04ld", value);
    return std::string(out);
}

std::optional<int> findNextRow(int rows, const CaptionAt& caption, std::string_view text, bool wholeWord, int position) {
    if (rows <= 0)
        return std::nullopt;
    for (int step = 1; step <= rows; ++step) {
        const int row = (position + step) % rows;
        if (captionMatches(caption(row), text, wholeWord))
            return row == position ? std::nullopt : std::optional<int>(row);
    }
    return std::nullopt;
}

std::vector<int> findAllRows(int rows, const CaptionAt& caption, std::string_view text, bool wholeWord) {
    std::vector<int> found;
    for (int row = 0; row < rows; ++row)
        if (captionMatches(caption(row), text, wholeWord))
            found.push_back(row);
    return found;
}

} // namespace cs::editing
