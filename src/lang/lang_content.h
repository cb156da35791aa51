#pragma once
// One language: the lines of a language file and the lookup of a text by its key.
//
// File format: lines separated by CR LF (LF alone is accepted too). "[LANGUAGE]" is the section
// line, lines starting with ";" are comments, every other line holding "=" is a text line: the key
// is everything before the first "=", the text everything after it, kept exactly.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace cs::lang {

// The text shown for a key that is missing or has an empty text.
inline constexpr std::string_view kMissingText = "?";

// Splits text into lines at LF, dropping the CR of a CR LF; a final line break ends the last line
// rather than starting an empty one.
std::vector<std::string> splitLines(std::string_view text);

// The parts of a text line; nullopt for section, comment and blank lines and lines without "=".
struct TextLine {
    std::string_view key;
    std::string_view text;
};
std::optional<TextLine> parseTextLine(std::string_view line);

// Lower-cases ASCII letters only: keys are plain ASCII words.
std::string foldKey(std::string_view key);

class LanguageContent {
public:
    // `path` is the external file the lines came from, empty for a built-in language.
    LanguageContent(std::string name, std::vector<std::string> lines, std::string path = {});

    const std::string& name() const { return name_; }
    const std::vector<std::string>& lines() const { return lines_; }
    const std::string& path() const { return path_; }
    bool builtIn() const { return path_.empty(); }

    // Text of the first line whose key equals `key` without regard to letter case; nullopt when
    // no line has that key.
    std::optional<std::string_view> find(std::string_view key) const;
    // The text of `key`, or "?" when the key is missing or its (first) text is empty.
    std::string text(std::string_view key) const;

private:
    std::string name_;
    std::vector<std::string> lines_;
    std::string path_;
    // folded key -> index of its first line, so that the first of repeated keys wins
    std::unordered_map<std::string, std::size_t> firstLine_;
};

} // namespace cs::lang
