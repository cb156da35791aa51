#include "command_registry.h"

namespace cs::cli {

std::vector<Command>& commands() {
    static std::vector<Command> all;
    return all;
}

CommandRegistration::CommandRegistration(std::string name, std::string usage, CommandFn run) {
    commands().push_back({std::move(name), std::move(usage), std::move(run)});
}

} // namespace cs::cli
