// channelsettings-cli order FILE REFERENCE [--list K] [--names] [--lists] [--out OUT]: orders the
// channel table (or favourite list K) like a reference database or CSV and saves as `save` does.
#include "cli_args.h"
#include "cli_database.h"
#include "command_registry.h"

#include "reference/reference_file.h"
#include "reference/reference_list.h"
#include "reference/reference_order.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: channelsettings-cli order FILE REFERENCE [--list K] [--names] [--lists] [--out OUT]\n";

// The reference as a database when it opens as one, otherwise as a CSV. Problems go to
// standard error.
std::optional<cs::ReferenceList> readReference(const std::string& path) {
    cs::ReferenceFileResult read = cs::readReferenceFile(path);
    const std::string name = cs::cli::fileName(path);
    switch (read.problem) {
    case cs::ReferenceFileProblem::None:
        break;
    case cs::ReferenceFileProblem::NotRegular:
    case cs::ReferenceFileProblem::TooLarge:
        std::fprintf(stderr, "File %s %s%s\n", name.c_str(), cs::fileProblemText(read.fileProblem).c_str(),
                     read.problem == cs::ReferenceFileProblem::TooLarge ? " for a channel list (more than 64 MB)" : "");
        break;
    case cs::ReferenceFileProblem::NotDatabase:
        std::fprintf(stderr, "%s\n",
                     cs::cli::openFailureText(read.opened, path, /*namesKind=*/true, read.fileProblem).c_str());
        break;
    case cs::ReferenceFileProblem::Unreadable:
        std::fprintf(stderr, "Cannot read %s\n", path.c_str());
        break;
    case cs::ReferenceFileProblem::BadList:
        std::fprintf(stderr, "%s is neither a database nor a channel list: %s\n", name.c_str(), read.csvError.c_str());
        break;
    }
    return std::move(read.list);
}

// What the JSON summary does not carry: lists left as they were, names that were changed.
void reportNotes(const cs::OrderSummary& summary) {
    using Kept = cs::OrderSummary::ListsKept;
    if (summary.listsKept == Kept::ReferenceHasNoLists)
        std::fprintf(stderr, "favourite lists left as they were: the reference has no favourite lists\n");
    else if (summary.listsKept == Kept::NothingMatched)
        std::fprintf(stderr, "favourite lists left as they were: no channel of the reference matched\n");
    if (summary.namesAltered > 0)
        std::fprintf(stderr,
                     "%zu names were changed to fit the receiver: characters it cannot show became \"?\", "
                     "or the name was cut at its length limit or an embedded NUL\n",
                     summary.namesAltered);
}

int runOrder(const std::vector<std::string>& argv) {
    cs::cli::Args args;
    if (!cs::cli::parseCommandLine(argv, {"list", "out"}, {"names", "lists"}, 2, kUsage, args))
        return cs::cli::kUsage;
    cs::OrderOptions options;
    if (args.value("list")) {
        const auto k = args.integer("list", 0);
        if (!k || *k < 1 || *k > 8) {
            std::fprintf(stderr, "--list takes a number from 1 to 8\n%s", kUsage);
            return cs::cli::kUsage;
        }
        options.list = static_cast<std::size_t>(*k);
    }
    options.takeNames = args.has("names");
    options.rebuildLists = args.has("lists");
    const std::string& path = args.positional()[0];
    const auto out = args.value("out");
    const std::string target = out ? *out : path;

    // In place, FILE is checked as the input it is first.
    if (out && !cs::cli::outputAllowed(*out, /*allowStdout=*/true))
        return cs::cli::kWriteFailed;
    // Held until the save is done, so that another writer of FILE never loses this change.
    cs::cli::DatabaseSession session;
    if (!cs::cli::lockForUpdate(session, path))
        return cs::cli::kWriteFailed;
    if (!cs::cli::openDatabase(session, path, /*namesKind=*/true))
        return cs::cli::kBadInput;
    const std::size_t lists = cs::favouriteListCount(session.flash.settings().listCount);
    if (options.list > lists) {
        std::fprintf(stderr, "no favourite list %zu: the file has %zu\n", options.list, lists);
        return cs::cli::kUsage;
    }
    const auto reference = readReference(args.positional()[1]);
    if (!reference)
        return cs::cli::kBadInput;
    if (options.rebuildLists && !reference->fromDatabase) {
        std::fprintf(stderr, "--lists needs a database as the reference: a CSV holds no favourite lists\n%s", kUsage);
        return cs::cli::kUsage;
    }

    const cs::OrderSummary summary = cs::orderLikeReference(session.db, *reference, options);
    reportNotes(summary);
    if (const int code = cs::cli::writeDatabase(session.flash, target, /*keepBackup=*/!out); code != cs::cli::kOk)
        return code;
    std::fprintf(cs::cli::summaryStream(target), "{\"matchedByService\": %zu, \"matchedByName\": %zu, \"unmatched\": %zu, \"saved\": %s, \"backup\": %s}\n",
                summary.matchedByService, summary.matchedByName, summary.unmatched,
                cs::cli::jsonString(target).c_str(), cs::cli::backupJson(session.flash, target).c_str());
    return cs::cli::kOk;
}

const cs::cli::CommandRegistration registration("order", "order FILE REFERENCE [--list K] [--names] [--lists] [--out OUT]",
                                                runOrder);

} // namespace
