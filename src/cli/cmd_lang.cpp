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

int listLanguages() {
    StderrLog log;
    // The same folders and order as the desktop program: its own folder, then the user's.
    std::string unusedChoice;
    const auto list = cs::lang::buildLanguageList(
        {cs::lang::programFolder(), cs::lang::userLanguageFolder()}, unusedChoice, "", log);
    for (const auto& entry : list.entries())
        std::printf("%s\t%s\n", entry.name().c_str(), entry.builtIn() ? "built-in" : entry.path().c_str());
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
