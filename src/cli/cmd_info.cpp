// channelsettings-cli info FILE: opens FILE as the editor does and describes what it holds.
#include "cli_args.h"
#include "cli_database.h"
#include "command_registry.h"

#include "reference/file_facts.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using cs::cli::jsonString;

int imageKindOf(cs::OpenResult result) {
    switch (result) {
    case cs::OpenResult::Loaded: return cs::kImageDatabase;
    case cs::OpenResult::Software: return cs::kImageSoftware;
    case cs::OpenResult::PictureStore: return cs::kImagePictureStore;
    default: return cs::kImageNotRecognised;
    }
}

const char* boolText(bool b) { return b ? "true" : "false"; }

const char* checkText(cs::AreaCheck check) {
    switch (check) {
    case cs::AreaCheck::Passed: return "passed";
    case cs::AreaCheck::Failed: return "failed";
    case cs::AreaCheck::Absent: break;
    }
    return "absent";
}

// The numbers the file information window shows, after the fields info always printed.
std::string facts(const cs::FileFacts& f) {
    std::string out = ", \"free\": " + std::to_string(f.free) + ", \"tv\": " + std::to_string(f.tv) +
                      ", \"radio\": " + std::to_string(f.radio) + ", \"freeToAir\": " + std::to_string(f.freeToAir) +
                      ", \"scrambled\": " + std::to_string(f.scrambled) +
                      ", \"damagedRecords\": " + std::to_string(f.damagedRecords);
    out += ", \"duplicates\": {\"services\": " + std::to_string(f.duplicateServices) +
           ", \"names\": " + std::to_string(f.duplicateNames) + "}";
    out += std::string(", \"checks\": {\"settingsArea\": \"") + checkText(f.settingsCheck) +
           "\", \"providerArea\": \"" + checkText(f.providerCheck) + "\"}";
    out += ", \"perSatellite\": [";
    for (std::size_t k = 0; k < f.perSatellite.size(); ++k) {
        const cs::SatelliteCount& s = f.perSatellite[k];
        out += (k ? ", " : "") + std::string("{\"satellite\": ") + std::to_string(s.satellite) +
               ", \"name\": " + jsonString(cs::cli::latin1ToUtf8(s.name)) + ", \"channels\": " +
               std::to_string(s.channels) + "}";
    }
    return out + "]";
}

std::string describe(cs::OpenResult result, cs::Flash& flash, cs::ChannelDatabase& db) {
    const bool loaded = result == cs::OpenResult::Loaded;
    const cs::ImageFile& image = flash.image();
    std::size_t providers = 0;
    if (loaded) {
        // The providers the tree lists once the main list has been shown.
        cs::ViewSettings view;
        cs::ViewRequest main;
        db.selectChannels(main, view);
        db.refreshProviders(true, view);
        providers = db.providerCount();
    }
    const cs::FileFacts f = loaded ? cs::fileFacts(db) : cs::FileFacts{};
    std::string out = "{\"result\": " + std::to_string(static_cast<int>(result)) + ", \"typeFile\": " + std::to_string(imageKindOf(result));
    out += ", \"kind\": " + jsonString(loaded ? std::string(image.kindText()) : std::string());
    out += ", \"capacity\": " + std::to_string(loaded ? image.channelCapacity() : 0);
    out += std::string(", \"base\": ") + boolText(loaded && image.hasBase());
    out += std::string(", \"config\": ") + boolText(loaded && image.hasConfig());
    out += std::string(", \"ba2\": ") + boolText(loaded && image.hasSettingsArea());
    out += std::string(", \"ba3\": ") + boolText(loaded && image.hasProviderArea());
    out += ", \"channels\": " + std::to_string(loaded ? db.channelCount() : 0);
    out += ", \"providers\": " + std::to_string(providers);
    out += ", \"transponders\": " + std::to_string(f.transponders);

    out += ", \"satellites\": [";
    for (std::size_t k = 0; k < f.perSatellite.size(); ++k)
        out += (k ? ", " : "") + std::to_string(f.perSatellite[k].satellite);
    out += "], \"lists\": [";
    for (const cs::ListFacts& list : f.lists) {
        out += (list.number > 1 ? ", " : "");
        out += "{\"number\": " + std::to_string(list.number) + ", \"name\": " + jsonString(cs::cli::latin1ToUtf8(list.name)) +
               ", \"channels\": " + std::to_string(list.channels) + "}";
    }
    out += "]";
    out += facts(f);
    return out + "}";
}

int runInfo(const std::vector<std::string>& argv) {
    static const char* usage = "usage: channelsettings-cli info FILE\n";
    cs::cli::Args args;
    if (!cs::cli::parseCommandLine(argv, {}, {}, 1, usage, args))
        return cs::cli::kUsage;
    const std::string& path = args.positional()[0];
    cs::cli::DatabaseSession session;
    const cs::OpenResult result = session.flash.openImage(path);
    std::printf("%s\n", describe(result, session.flash, session.db).c_str());
    if (result != cs::OpenResult::Loaded) {
        std::fprintf(stderr, "%s\n", cs::cli::openFailureText(result, path, /*namesKind=*/true, session.flash.openProblem()).c_str());
        return cs::cli::kBadInput;
    }
    return cs::cli::kOk;
}

const cs::cli::CommandRegistration registration("info", "info FILE", runInfo);

} // namespace
