#pragma once
// The language template a user completes to add a language.
#include <filesystem>
#include <string>
#include <vector>

namespace cs::lang {

// The seven opening lines of the template.
std::vector<std::string> languageTemplateHeader();

// Writes the template to `path` (CR LF line ends, UTF-8): the seven opening lines, then every
// line of the built-in English language after its "[LANGUAGE]" line, as the examples the header
// promises. Missing folders are created; the file is replaced only once it is completely written.
// Returns false with the reason in `error` when anything fails.
bool writeLanguageTemplate(const std::filesystem::path& path, std::string& error);

} // namespace cs::lang
