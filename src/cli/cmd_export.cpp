// channelsettings-cli export FILE [--list K | --satellite S | --provider P]: one view as the CSV
// that `order` and the editor read back (position,name,satellite,frequency,polarisation,service_id).
#include "cli_args.h"
#include "cli_database.h"
#include "command_registry.h"

#include "reference/reference_list.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: channelsettings-cli export FILE [--list K | --satellite S | --provider P]\n";

int runExport(const std::vector<std::string>& argv) {
    cs::cli::Args args;
    if (!cs::cli::parseCommandLine(argv, {"list", "satellite", "provider"}, {}, 1, kUsage, args))
        return cs::cli::kUsage;
    struct Range {
        const char* name;
        long lo, hi;
        long value = 0;
    };
    Range ranges[] = {{"list", 1, 8}, {"satellite", 1, 65}, {"provider", 2, 65535}};
    int given = 0;
    for (Range& r : ranges) {
        if (!args.value(r.name))
            continue;
        ++given;
        const auto v = args.integer(r.name, 0);
        if (!v || *v < r.lo || *v > r.hi) {
            std::fprintf(stderr, "--%s takes a number from %ld to %ld\n%s", r.name, r.lo, r.hi, kUsage);
            return cs::cli::kUsage;
        }
        r.value = *v;
    }
    if (given > 1) {
        std::fprintf(stderr, "--list, --satellite and --provider choose one view: give at most one\n%s", kUsage);
        return cs::cli::kUsage;
    }

    cs::cli::DatabaseSession session;
    if (!cs::cli::openDatabase(session, args.positional()[0], /*namesKind=*/true))
        return cs::cli::kBadInput;
    cs::ChannelDatabase& db = session.db;
    cs::ViewSettings view;
    cs::ViewRequest request;
    request.list = static_cast<std::uint8_t>(ranges[0].value);
    request.satellite = static_cast<std::uint8_t>(ranges[1].value);
    view.satelliteFilter = request.satellite;
    if (ranges[2].value != 0) {
        if (const auto error = cs::cli::chooseProviderView(db, ranges[2].value, view)) {
            std::fprintf(stderr, "%s\n", error->c_str());
            return cs::cli::kUsage;
        }
    }
    db.selectChannels(request, view);
    const std::string csv = cs::exportReferenceCsv(db, db.result());
    std::fwrite(csv.data(), 1, csv.size(), stdout);
    return cs::cli::kOk;
}

const cs::cli::CommandRegistration registration("export", "export FILE [--list K | --satellite S | --provider P]",
                                                runExport);

} // namespace
