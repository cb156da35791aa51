// channelsettings-cli transponders FILE --from SATELLITES.xml --satellite N [--position P]
// [--out OUT]: updates satellite N's transponder list from a <sat> of satellites.xml, as the
// window's Update from satellites.xml does, and saves as `save` does.
#include "cli_args.h"
#include "cli_database.h"
#include "command_registry.h"

#include "image/satellites_xml.h"
#include "image/transponder_merge.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: channelsettings-cli transponders FILE --from SATELLITES.xml --satellite N [--position P] [--out OUT]\n";
// Satellite numbers with transponders of their own (64 and 65 are terrestrial and cable).
constexpr long kLastSatellite = 63;

int runTransponders(const std::vector<std::string>& argv) {
    cs::cli::Args args;
    if (!cs::cli::parseCommandLine(argv, {"from", "satellite", "position", "out"}, {}, 1, kUsage, args))
        return cs::cli::kUsage;
    if (!args.value("from") || !args.value("satellite")) {
        std::fprintf(stderr, "--from and --satellite are both needed\n%s", kUsage);
        return cs::cli::kUsage;
    }
    const auto satellite = args.integer("satellite", 0);
    if (!satellite || *satellite < 1 || *satellite > kLastSatellite) {
        std::fprintf(stderr, "--satellite takes a number from 1 to %ld\n%s", kLastSatellite, kUsage);
        return cs::cli::kUsage;
    }
    std::optional<long> position;
    if (args.value("position")) {
        position = args.integer("position", 0);
        if (!position || *position < -1800 || *position > 1800) {
            std::fprintf(stderr, "--position takes tenths of a degree from -1800 to 1800\n%s", kUsage);
            return cs::cli::kUsage;
        }
    }
    const std::string& path = args.positional()[0];
    const auto out = args.value("out");
    const std::string target = out ? *out : path;

    cs::cli::DatabaseSession session;
    if (!cs::cli::openDatabase(session, path, /*namesKind=*/true))
        return cs::cli::kBadInput;
    const std::string xmlPath = *args.value("from");
    const cs::SatellitesXml xml = cs::readSatellitesXml(xmlPath);
    if (!xml.ok) {
        std::fprintf(stderr, "%s cannot be read as satellites.xml: %s\n", cs::cli::fileName(xmlPath).c_str(),
                     xml.error.c_str());
        return cs::cli::kBadInput;
    }
    const cs::SatelliteEntry& entry = session.flash.settings().satellites[static_cast<std::size_t>(*satellite)];
    const int wanted = position ? static_cast<int>(*position) : cs::satellitePositionTenths(entry.position, entry.side);
    const cs::XmlSatellite* listed = xml.atPosition(wanted);
    if (!listed) {
        std::fprintf(stderr, "%s has no <sat> at position %d\n", cs::cli::fileName(xmlPath).c_str(), wanted);
        return cs::cli::kBadInput;
    }
    const cs::TransponderMergePlan plan =
        cs::planTransponderMerge(session.flash.transponders(), static_cast<unsigned>(*satellite), *listed);
    const cs::TransponderMergeCounts counts = cs::applyTransponderMerge(session.flash.transponders(), plan);
    for (const cs::SkippedTransponder& s : plan.skipped)
        std::fprintf(stderr, "skipped %llu kHz %c: %s\n", static_cast<unsigned long long>(s.frequencyKhz),
                     s.polarisation, std::string(cs::transponderSkipText(s.reason)).c_str());
    if (counts.skipped > plan.skipped.size())
        std::fprintf(stderr, "skipped %zu: %s\n", counts.skipped - plan.skipped.size(),
                     std::string(cs::transponderSkipText(cs::TransponderSkip::TableFull)).c_str());
    if (const int code = cs::cli::writeDatabase(session.flash, target, /*keepBackup=*/!out); code != cs::cli::kOk)
        return code;
    std::printf("{\"added\": %zu, \"changed\": %zu, \"removed\": %zu, \"skipped\": %zu}\n", counts.added,
                counts.changed, counts.removed, counts.skipped);
    return cs::cli::kOk;
}

const cs::cli::CommandRegistration registration(
    "transponders", "transponders FILE --from SATELLITES.xml --satellite N [--position P] [--out OUT]",
    runTransponders);

} // namespace
