// channelsettings-cli: the editor's core on the command line (see docs/cli.md).
#include "command_registry.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

void printUsage() {
    std::fprintf(stderr, "usage: channelsettings-cli COMMAND [arguments]\n\ncommands:\n");
    auto cmds = cs::cli::commands();
    std::sort(cmds.begin(), cmds.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const auto& c : cmds)
        std::fprintf(stderr, "  %s\n", c.usage.c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
        printUsage();
        return argc < 2 ? cs::cli::kUsage : cs::cli::kOk;
    }
    const std::string name = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const auto& c : cs::cli::commands()) {
        if (c.name != name)
            continue;
        // "COMMAND --help" is what users try first; it is no file name and no option value.
        if (std::find(args.begin(), args.end(), "--help") != args.end()) {
            std::fprintf(stderr, "usage: channelsettings-cli %s\n", c.usage.c_str());
            return cs::cli::kOk;
        }
        return c.run(args);
    }
    std::fprintf(stderr, "unknown command: %s\n", name.c_str());
    printUsage();
    return cs::cli::kUsage;
}
