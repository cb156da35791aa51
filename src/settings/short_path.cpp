#include "settings/short_path.h"

#include <cstddef>

namespace cs {
namespace {

constexpr std::size_t kLongFolder = 19;
constexpr std::size_t kFolderTail = 12;
constexpr std::size_t kLongFileName = 24;
constexpr std::size_t kFileNameTail = 22;
constexpr std::string_view kEllipsis = "...";
// No drive letters on this system: the shortened folder starts at the root.
constexpr std::string_view kDrive = "";

// A byte starts a character unless it continues a multi-byte UTF-8 sequence; bytes that are not
// valid UTF-8 then count one character each.
bool startsCharacter(std::string_view text, std::size_t i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    bool continuation = (byte(i) & 0xC0) == 0x80;
    return !continuation || i == 0 || byte(i - 1) < 0x80;
}

std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        count += startsCharacter(text, i) ? 1 : 0;
    return count;
}

// The last `n` characters of `text`.
std::string_view lastCharacters(std::string_view text, std::size_t n) {
    std::size_t total = characterCount(text);
    if (total <= n)
        return text;
    std::size_t skip = total - n;
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!startsCharacter(text, i))
            continue;
        if (seen == skip)
            return text.substr(i);
        ++seen;
    }
    return {};
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

} // namespace

std::string shortPathText(std::string_view path) {
    auto slash = path.find_last_of('/');
    std::string result;
    std::string_view fileName = path;
    if (slash != std::string_view::npos) {
        std::string_view folder = path.substr(0, slash);
        while (!folder.empty() && folder.back() == '/')
            folder.remove_suffix(1);
        fileName = path.substr(slash + 1);
        if (characterCount(folder) < kLongFolder)
            result = std::string(folder) + "/";
        else
            result = std::string(kDrive) + "/" + std::string(kEllipsis) +
                     std::string(lastCharacters(folder, kFolderTail)) + "/";
    }
    if (characterCount(fileName) > kLongFileName) {
        result += kEllipsis;
        fileName = lastCharacters(fileName, kFileNameTail);
    }
    result += fileName;
    return std::string(trimBlanks(result));
}

std::string recentFileCaption(int slot, std::string_view path) {
    std::string caption = "&" + std::to_string(slot) + ". ";
    for (char c : shortPathText(path)) {
        if (c == '&')
            caption += '&';
        caption += c;
    }
    return caption;
}

} // namespace cs
