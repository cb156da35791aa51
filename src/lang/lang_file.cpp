#include "lang_file.h"

#include "common/regular_file.h"

#include "lang/text_encoding.h"

#include <fstream>
#include <system_error>

namespace cs::lang {

namespace {

std::string_view trimBlanks(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The name of a section line ("[name]"), nullopt for any other line.
std::optional<std::string_view> sectionName(std::string_view line) {
    line = trimBlanks(line);
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trimBlanks(line.substr(1, close - 1));
}

} // namespace

std::string unshowableTextProblem(const std::vector<std::string>& lines) {
    constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD in UTF-8
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const std::string where = "line " + std::to_string(i + 1);
        if (line.size() > kMaxLanguageLineLength)
            return where + " is too long (" + std::to_string(line.size()) + " bytes)";
        for (char ch : line) {
            const auto c = static_cast<unsigned char>(ch);
            if ((c < 0x20 && c != '\t') || c == 0x7F)
                return where + " holds a control character";
        }
        if (line.find(kReplacement) != std::string::npos)
            return where + " holds characters that cannot be decoded";
    }
    return {};
}

bool hasLanguageSection(const std::vector<std::string>& lines) {
    bool inLanguage = false;
    for (const std::string& raw : lines) {
        if (auto name = sectionName(raw)) {
            inLanguage = foldKey(*name) == "language";
            continue;
        }
        if (!inLanguage)
            continue;
        const std::string_view line = trimBlanks(raw);
        if (line.empty() || line.front() == ';')
            continue;
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos && !trimBlanks(line.substr(0, eq)).empty())
            return true;
    }
    return false;
}

std::optional<LanguageContent> readLanguageFile(const std::filesystem::path& path, std::string& error) {
    // Only a regular file is read, opened without waiting (a FIFO or device never blocks).
    const RegularFile file(path.string());
    if (!file.ok()) {
        error = fileProblemText(file.problem());
        return std::nullopt;
    }
    if (file.size() > kMaxLanguageFileSize) {
        error = "too large for a language file (" + std::to_string(file.size()) + " bytes)";
        return std::nullopt;
    }
    // Read no more than the limit even if the file grew after its size was taken.
    std::string bytes(kMaxLanguageFileSize + 1, '\0');
    bytes.resize(file.readAt(0, reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()));
    if (bytes.size() > kMaxLanguageFileSize) {
        error = "too large for a language file";
        return std::nullopt;
    }
    const std::string name = path.filename().string();
    std::vector<std::string> lines = splitLines(decodeLanguageFile(bytes, codePageForFileName(name)));
    if (!hasLanguageSection(lines)) {
        error = "no [LANGUAGE] section with a text";
        return std::nullopt;
    }
    if (std::string problem = unshowableTextProblem(lines); !problem.empty()) {
        error = std::move(problem);
        return std::nullopt;
    }
    return LanguageContent(name, std::move(lines), path.string());
}

} // namespace cs::lang
