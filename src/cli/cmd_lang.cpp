// channelsettings-cli lang [NAME]: the language list, or one built-in language file.
#include "cli_args.h"
#include "command_registry.h"

#include "common/log_sink.h"
#include "lang/builtin_languages.h"
#include "lang/lang_content.h"
#include "lang/lang_list.h"
#include "lang/language_folders.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

// Language files that are skipped are reported on standard error, as the editor would log them.
class StderrLog final : public cs::LogSink {
public:
    void write(std::string_view line) override {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
    }
};

// One entry a line, name and path split by a tab: a line end, tab or other control character
// in a file name is written as a C escape ("\n", "\t", "\x1b"), and so a backslash ("\\").
std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (byte < 0x20 || byte == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            out += hex;
        } else
            out += c;
    }
    return out;
}

int listLanguages() {
    StderrLog log;
    // The same folders and order as the desktop program: its own folder, then the user's.
    std::string unusedChoice;
    const auto list = cs::lang::buildLanguageList(
        {cs::lang::programFolder(), cs::lang::userLanguageFolder()}, unusedChoice, "", log);
    for (const auto& entry : list.entries())
        std::printf("%s\t%s\n", escaped(entry.name()).c_str(), entry.builtIn() ? "built-in" : escaped(entry.path()).c_str());
    return cs::cli::kOk;
}

int printBuiltIn(const std::string& name) {
    const auto language = cs::lang::findBuiltInLanguage(name);
    if (!language) {
        std::fprintf(stderr, "lang: %s is not a built-in language\n", name.c_str());
        return cs::cli::kBadInput;
    }
    for (const std::string& line : cs::lang::splitLines(language->text))
        std::printf("%s\n", line.c_str());
    return cs::cli::kOk;
}

int run(const std::vector<std::string>& argv) {
    cs::cli::Args args;
    if (auto error = cs::cli::Args::parse(argv, {}, {}, args)) {
        std::fprintf(stderr, "lang: %s\n", error->c_str());
        return cs::cli::kUsage;
    }
    if (args.positional().size() > 1) {
        std::fprintf(stderr, "usage: channelsettings-cli lang [NAME]\n");
        return cs::cli::kUsage;
    }
    if (args.positional().empty())
        return listLanguages();
    return printBuiltIn(args.positional().front());
}

const cs::cli::CommandRegistration registration(
    "lang", "lang [NAME]  (without NAME lists the languages; with NAME prints that built-in language file)", run);

} // namespace
