// channelsettings-cli save FILE [--out OUT]: opens FILE and saves it as the editor's Save (in
// place, keeping the ".BAK") or Save as (to OUT, no backup) does for a modified database.
#include "cli_args.h"
#include "cli_database.h"
#include "command_registry.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

int runSave(const std::vector<std::string>& argv) {
    static const char* usage = "usage: channelsettings-cli save FILE [--out OUT]\n";
    cs::cli::Args args;
    if (!cs::cli::parseCommandLine(argv, {"out"}, {}, 1, usage, args))
        return cs::cli::kUsage;
    const std::string& path = args.positional()[0];
    const auto out = args.value("out");
    const std::string target = out ? *out : path;

    // The in-memory database renumbers the providers from its channels' provider names.
    // In place, FILE is checked as the input it is first.
    if (out && !cs::cli::outputAllowed(*out, /*allowStdout=*/true))
        return cs::cli::kWriteFailed;
    // Held until the save is done, so that another writer of FILE never loses this change.
    cs::cli::DatabaseSession session;
    if (!cs::cli::lockForUpdate(session, path))
        return cs::cli::kWriteFailed;
    if (!cs::cli::openDatabase(session, path, /*namesKind=*/false))
        return cs::cli::kBadInput;
    return cs::cli::saveDatabase(session.flash, target, /*keepBackup=*/!out);
}

const cs::cli::CommandRegistration registration("save", "save FILE [--out OUT]", runSave);

} // namespace
