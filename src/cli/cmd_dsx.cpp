// channelsettings-cli dsx FILE.dsx: reads and checks an import file as the editor does and lists
// its description and components.
#include "cli_args.h"
#include "command_registry.h"

#include "exchange/import_file.h"
#include "exchange/import_texts.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using cs::cli::jsonString;

std::string describe(const cs::ImportFile& file) {
    std::string out = "{\"description\": " + jsonString(file.descriptionUtf8()) + ", \"components\": [";
    bool first = true;
    for (const cs::ImportComponent& c : file.components()) {
        out += first ? "" : ", ";
        first = false;
        out += "{\"entry\": " + std::to_string(c.entry) + ", \"type\": " + std::to_string(static_cast<unsigned>(c.type)) +
               ", \"size\": " + std::to_string(c.size) + ", \"marker\": " + std::to_string(c.marker);
        if (c.type == cs::ComponentType::ChannelBase) {
            const cs::ChannelBaseCounts counts = file.channelBaseCounts(c);
            out += ", \"channels\": " + std::to_string(counts.channels) +
                   ", \"providers\": " + std::to_string(counts.providers);
        }
        out += "}";
    }
    return out + "]}";
}

int runDsx(const std::vector<std::string>& argv) {
    static const char* usage = "usage: channelsettings-cli dsx FILE.dsx\n";
    cs::cli::Args args;
    if (!cs::cli::parseCommandLine(argv, {}, {}, 1, usage, args))
        return cs::cli::kUsage;
    const std::string& path = args.positional()[0];
    cs::ImportFile file;
    cs::FileProblem problem = cs::FileProblem::None;
    const cs::ImportReadResult result = cs::readImportFile(path, file, &problem);
    if (result != cs::kImportRead) {
        const std::string name = std::filesystem::path(path).filename().string();
        std::fprintf(stderr, "%s\n", cs::importFailureMessage(result, name).c_str());
        if (problem != cs::FileProblem::None && problem != cs::FileProblem::Missing)
            std::fprintf(stderr, "File %s %s\n", name.c_str(), cs::fileProblemText(problem).c_str());
        return cs::cli::kBadInput;
    }
    if (file.descriptionCut())
        std::fprintf(stderr, "the description has %zu characters; the first %zu are shown\n", file.descriptionLength(),
                     cs::dsx::kDescriptionMax);
    for (const cs::ImportComponent& c : file.components())
        if (c.type != cs::ComponentType::TransponderList && !file.blockInFile(c))
            std::fprintf(stderr, "entry %zu: its block runs past the end of the file\n", c.entry);
    std::printf("%s\n", describe(file).c_str());
    return cs::cli::kOk;
}

const cs::cli::CommandRegistration registration("dsx", "dsx FILE.dsx", runDsx);

} // namespace
