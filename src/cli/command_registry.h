#pragma once
// Commands of channelsettings-cli register themselves here, one file per command.
#include <functional>
#include <string>
#include <vector>

namespace cs::cli {

// Exit codes shared by the commands.
enum ExitCode { kOk = 0, kUsage = 1, kBadInput = 2, kWriteFailed = 3, kTransferFailed = 4 };

using CommandFn = std::function<int(const std::vector<std::string>& args)>;

struct Command {
    std::string name;
    std::string usage;  // one line, shown by --help
    CommandFn run;
};

std::vector<Command>& commands();

struct CommandRegistration {
    CommandRegistration(std::string name, std::string usage, CommandFn run);
};

} // namespace cs::cli
