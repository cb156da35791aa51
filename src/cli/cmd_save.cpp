// channelsettings-cli save FILE [--out OUT]: opens FILE and saves it as the editor's Save (in
// place, keeping the ".BAK") or Save as (to OUT, no backup) does for a modified database.
#include "cli_args.h"
#include "command_registry.h"

#include "common/log_sink.h"
#include "database/channel_database.h"
#include "image/flash.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using cs::cli::jsonString;

std::string openFailureText(int result, const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    if (result == cs::kOpenNoFile)
        return "File " + name + " doesn't  exist";
    return "File " + name + " is not a valid format for database programs";
}

int runSave(const std::vector<std::string>& argv) {
    static const char* usage = "usage: channelsettings-cli save FILE [--out OUT]\n";
    cs::cli::Args args;
    if (auto error = cs::cli::Args::parse(argv, {"out"}, {}, args)) {
        std::fprintf(stderr, "%s\n%s", error->c_str(), usage);
        return cs::cli::kUsage;
    }
    if (args.positional().size() != 1) {
        std::fprintf(stderr, "%s", usage);
        return cs::cli::kUsage;
    }
    const std::string& path = args.positional()[0];
    const auto out = args.value("out");
    const std::string target = out ? *out : path;

    cs::NullLog log;
    cs::Flash flash(log);
    // The in-memory database renumbers the providers from its channels' provider names.
    cs::ChannelDatabase db(flash);
    const int result = flash.openImage(path);
    if (result != cs::kOpenLoaded) {
        std::fprintf(stderr, "%s\n", openFailureText(result, path).c_str());
        return cs::cli::kBadInput;
    }
    if (flash.saveImage(target, /*keepBackup=*/!out) != 0) {
        std::fprintf(stderr, "Write Error: Unable to save file %s\n", target.c_str());
        if (!flash.lastSave().error.empty())
            std::fprintf(stderr, "%s\n", flash.lastSave().error.c_str());
        return cs::cli::kWriteFailed;
    }
    const cs::SaveReport& report = flash.lastSave();
    if (report.providers.dropped > 0)
        std::fprintf(stderr,
                     "%zu providers did not fit into the receiver's provider table; %zu channels were saved "
                     "without a provider\n",
                     report.providers.dropped, report.providers.channelsUnassigned);
    std::string json = "{\"saved\": " + jsonString(target) + ", \"channels\": " + std::to_string(report.channelsWritten) +
                       ", \"providers\": " + std::to_string(report.providers.providers);
    json += ", \"backup\": ";
    json += report.backupMade ? jsonString(cs::backupPathFor(target).string()) : std::string("null");
    json += "}";
    std::printf("%s\n", json.c_str());
    return cs::cli::kOk;
}

const cs::cli::CommandRegistration registration("save", "save FILE [--out OUT]", runSave);

} // namespace
