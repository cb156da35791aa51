// channelsettings-cli duplicates FILE: the groups of channels that are the same service, and
// the groups that share a name on one satellite, by slot.
#include "cli_args.h"
#include "cli_database.h"
#include "command_registry.h"

#include "reference/duplicates.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string groupsJson(const std::vector<std::vector<std::uint16_t>>& groups) {
    std::string out = "[";
    for (std::size_t g = 0; g < groups.size(); ++g) {
        out += g ? ", [" : "[";
        for (std::size_t k = 0; k < groups[g].size(); ++k)
            out += (k ? ", " : "") + std::to_string(groups[g][k]);
        out += "]";
    }
    return out + "]";
}

int runDuplicates(const std::vector<std::string>& argv) {
    static const char* usage = "usage: channelsettings-cli duplicates FILE\n";
    cs::cli::Args args;
    if (!cs::cli::parseCommandLine(argv, {}, {}, 1, usage, args))
        return cs::cli::kUsage;
    cs::cli::DatabaseSession session;
    if (!cs::cli::openDatabase(session, args.positional()[0], /*namesKind=*/true))
        return cs::cli::kBadInput;
    const cs::DuplicateGroups groups = cs::findDuplicates(session.db);
    std::printf("{\"services\": %s, \"names\": %s}\n", groupsJson(groups.services).c_str(),
                groupsJson(groups.names).c_str());
    return cs::cli::kOk;
}

const cs::cli::CommandRegistration registration("duplicates", "duplicates FILE", runDuplicates);

} // namespace
