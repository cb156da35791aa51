// channelsettings-cli rename FILE --find TEXT --replace TEXT [--regex] [--ignore-case] [--list K]
// [--out OUT]: find and replace in the names of the main list (or favourite list K), through the
// receiver's name rules, saved as `save` does.
#include "cli_args.h"
#include "cli_database.h"
#include "command_registry.h"

#include "editing/rename_rules.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: channelsettings-cli rename FILE --find TEXT --replace TEXT [--regex] "
                               "[--ignore-case] [--list K] [--out OUT]\n";

int runRename(const std::vector<std::string>& argv) {
    cs::cli::Args args;
    if (!cs::cli::parseCommandLine(argv, {"find", "replace", "list", "out"}, {"regex", "ignore-case"}, 1, kUsage, args))
        return cs::cli::kUsage;
    if (!args.value("find") || !args.value("replace")) {
        std::fprintf(stderr, "--find and --replace are both needed\n%s", kUsage);
        return cs::cli::kUsage;
    }
    cs::editing::RenameOptions options;
    options.find = *args.value("find");
    options.replace = *args.value("replace");
    options.regex = args.has("regex");
    options.ignoreCase = args.has("ignore-case");
    cs::editing::RenamePatternProblem problem{};
    std::string detail;
    const auto rewriter = cs::editing::NameRewriter::make(options, &problem, &detail);
    if (!rewriter) {
        switch (problem) {
        case cs::editing::RenamePatternProblem::Empty:
            std::fprintf(stderr, "--find needs a text to look for\n%s", kUsage);
            break;
        case cs::editing::RenamePatternProblem::TooLong:
            std::fprintf(stderr, "--find is longer than %zu characters\n", cs::editing::kRenamePatternMax);
            break;
        default:
            std::fprintf(stderr, "--find is not a valid regular expression: %s\n", detail.c_str());
            break;
        }
        return cs::cli::kUsage;
    }
    long list = 0;
    if (args.value("list")) {
        const auto k = args.integer("list", 0);
        if (!k || *k < 1 || *k > 8) {
            std::fprintf(stderr, "--list takes a number from 1 to 8\n%s", kUsage);
            return cs::cli::kUsage;
        }
        list = *k;
    }
    const std::string& path = args.positional()[0];
    const auto out = args.value("out");
    const std::string target = out ? *out : path;

    cs::cli::DatabaseSession session;
    if (!cs::cli::openDatabase(session, path, /*namesKind=*/true))
        return cs::cli::kBadInput;
    const std::size_t lists = cs::favouriteListCount(session.flash.settings().listCount);
    if (static_cast<std::size_t>(list) > lists) {
        std::fprintf(stderr, "no favourite list %ld: the file has %zu\n", list, lists);
        return cs::cli::kUsage;
    }
    cs::ViewSettings view;
    cs::ViewRequest request;
    request.list = static_cast<std::uint8_t>(list);
    session.db.selectChannels(request, view);
    const std::vector<std::uint16_t> slots(session.db.result().begin(), session.db.result().end());
    const auto rows = cs::editing::previewRename(session.db, slots, *rewriter);
    const cs::editing::RenameSummary summary = cs::editing::applyRename(session.db, rows);
    if (const int code = cs::cli::writeDatabase(session.flash, target, /*keepBackup=*/!out); code != cs::cli::kOk)
        return code;
    std::printf("{\"renamed\": %zu, \"unchanged\": %zu, \"cut\": %zu}\n", summary.renamed, summary.unchanged,
                summary.cut);
    return cs::cli::kOk;
}

const cs::cli::CommandRegistration registration(
    "rename", "rename FILE --find TEXT --replace TEXT [--regex] [--ignore-case] [--list K] [--out OUT]", runRename);

} // namespace
