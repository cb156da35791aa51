// channelsettings-cli order FILE REFERENCE [--list K] [--names] [--lists] [--out OUT]: orders the
// channel table (or favourite list K) like a reference database or CSV and saves as `save` does.
#include "cli_args.h"
#include "cli_database.h"
#include "command_registry.h"

#include "reference/reference_list.h"
#include "reference/reference_order.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: channelsettings-cli order FILE REFERENCE [--list K] [--names] [--lists] [--out OUT]\n";

// The reference as a database when it opens as one, otherwise as a CSV. Problems go to
// standard error.
std::optional<cs::ReferenceList> readReference(const std::string& path) {
    // A directory, FIFO or device is refused before anything waits on it.
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        std::fprintf(stderr, "File %s is not a regular file\n", cs::cli::fileName(path).c_str());
        return std::nullopt;
    }
    cs::cli::DatabaseSession session;
    const cs::OpenResult opened = session.flash.openImage(path);
    if (opened == cs::OpenResult::Loaded)
        return cs::referenceFromDatabase(session.db);
    if (opened == cs::OpenResult::NoFile || opened == cs::OpenResult::Software ||
        opened == cs::OpenResult::PictureStore) {
        std::fprintf(stderr, "%s\n", cs::cli::openFailureText(opened, path, /*namesKind=*/true).c_str());
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) {
        std::fprintf(stderr, "Cannot read %s\n", path.c_str());
        return std::nullopt;
    }
    cs::CsvReadResult csv = cs::readReferenceCsv(text.str());
    if (!csv.ok()) {
        std::fprintf(stderr, "%s is neither a database nor a channel list: %s\n", cs::cli::fileName(path).c_str(),
                     csv.error.c_str());
        return std::nullopt;
    }
    return std::move(csv.list);
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

    cs::cli::DatabaseSession session;
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
    if (const int code = cs::cli::writeDatabase(session.flash, target, /*keepBackup=*/!out); code != cs::cli::kOk)
        return code;
    std::printf("{\"matchedByService\": %zu, \"matchedByName\": %zu, \"unmatched\": %zu, \"saved\": %s, \"backup\": %s}\n",
                summary.matchedByService, summary.matchedByName, summary.unmatched,
                cs::cli::jsonString(target).c_str(), cs::cli::backupJson(session.flash, target).c_str());
    return cs::cli::kOk;
}

const cs::cli::CommandRegistration registration("order", "order FILE REFERENCE [--list K] [--names] [--lists] [--out OUT]",
                                                runOrder);

} // namespace
