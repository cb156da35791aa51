#include "lang_template.h"

#include "common/atomic_file.h"
#include "lang/builtin_languages.h"
#include "lang/lang_content.h"

#include <cstdint>
#include <span>

namespace cs::lang {

namespace fs = std::filesystem;

std::vector<std::string> languageTemplateHeader() {
    return {
        "[LANGUAGE]",
        "",
        "; This file contains examples of texts in English",
        "; Complete the words by your country language",
        "; Save this file to the language extension *.lng",
        "; In the directory where the editor",
        "",
    };
}

namespace {

std::string templateText() {
    std::string text;
    for (const std::string& line : languageTemplateHeader())
        text += line + "\r\n";
    const std::vector<std::string> english = splitLines(kEnglishText);
    // The English file starts with its own "[LANGUAGE]" line, already written above.
    for (std::size_t i = 1; i < english.size(); ++i)
        text += english[i] + "\r\n";
    return text;
}

} // namespace

bool writeLanguageTemplate(const fs::path& path, std::string& error) {
    std::error_code ec;
    if (path.has_parent_path()) {
        fs::create_directories(path.parent_path(), ec);
        if (ec) {
            error = "cannot create folder " + path.parent_path().string() + ": " + ec.message();
            return false;
        }
    }
    const std::string text = templateText();
    const std::span<const std::uint8_t> parts[] = {
        {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}};
    const AtomicWriteResult written = writeFileAtomically(path, parts, AtomicWriteOptions{});
    if (!written.ok) {
        error = "cannot write " + path.string() + ": " + written.error;
        return false;
    }
    return true;
}

} // namespace cs::lang
