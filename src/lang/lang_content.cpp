#include "lang_content.h"

namespace cs::lang {

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (last)
            break;
        start = end + 1;
    }
    return lines;
}

std::optional<TextLine> parseTextLine(std::string_view line) {
    if (line.empty() || line.front() == ';' || line.front() == '[')
        return std::nullopt;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return TextLine{line.substr(0, eq), line.substr(eq + 1)};
}

std::string foldKey(std::string_view key) {
    std::string out(key);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

LanguageContent::LanguageContent(std::string name, std::vector<std::string> lines, std::string path)
    : name_(std::move(name)), lines_(std::move(lines)), path_(std::move(path)) {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (auto parsed = parseTextLine(lines_[i]))
            firstLine_.try_emplace(foldKey(parsed->key), i);
}

std::optional<std::string_view> LanguageContent::find(std::string_view key) const {
    auto it = firstLine_.find(foldKey(key));
    if (it == firstLine_.end())
        return std::nullopt;
    return parseTextLine(lines_[it->second])->text;
}

std::string LanguageContent::text(std::string_view key) const {
    auto text = find(key);
    if (!text || text->empty())
        return std::string(kMissingText);
    return std::string(*text);
}

} // namespace cs::lang
