// receive --port DEVICE (--all | --channels) --to DIR [--no-command] [--timeout SECONDS]: asks the receiver for all
// settings ("GETSETT") or the channels ("GETBASE") and receives the YModem batch into DIR.
#include "cli_args.h"
#include "command_registry.h"
#include "link/console_transfer.h"
#include "link/transfer_controller.h"

#include "common/regular_file.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>
#include <system_error>

namespace {

int runReceive(const std::vector<std::string>& argv) {
    using namespace cs::cli;
    Args args;
    if (auto error = Args::parse(argv, {"port", "to", "timeout"}, {"all", "channels", "no-command"}, args)) {
        std::fprintf(stderr, "receive: %s\n", error->c_str());
        return kUsage;
    }
    const auto port = args.value("port");
    const auto folder = args.value("to");
    const bool all = args.has("all");
    const bool channels = args.has("channels");
    const auto timeout = args.integer("timeout", 0);
    if (!port || port->empty() || !folder || folder->empty() || all == channels || !args.positional().empty() ||
        !timeout || *timeout < 0 || *timeout > 86400 || (args.value("timeout") && *timeout == 0)) {
        std::fprintf(stderr, "usage: channelsettings-cli receive --port DEVICE (--all | --channels) --to DIR [--no-command] [--timeout SECONDS]\n"
                             "--timeout takes a number of seconds from 1 to 86400\n");
        return kUsage;
    }
    // Refused before the receiver is asked: something that is no folder, or a folder the
    // received files cannot be written into.
    const cs::FileProblem problem = cs::outputProblem(*folder);
    if (problem != cs::FileProblem::None && problem != cs::FileProblem::Folder) {
        std::fprintf(stderr, "receive: %s %s; nothing was received\n", folder->c_str(), cs::fileProblemText(problem).c_str());
        return kWriteFailed;
    }
    std::error_code ec;
    std::filesystem::create_directories(*folder, ec);
    if (!std::filesystem::is_directory(*folder, ec) || ::access(folder->c_str(), W_OK | X_OK) != 0) {
        std::fprintf(stderr, "receive: %s is not a folder that can be written to%s%s\n", folder->c_str(),
                     ec ? ": " : "", ec ? ec.message().c_str() : "");
        return kWriteFailed;
    }

    cs::link::ConsoleTransfer request;
    request.port = *port;
    request.upload = false;
    request.folder = *folder;
    request.command = std::string(all ? cs::link::kCommandGetSettings : cs::link::kCommandGetBase);
    request.noCommand = args.has("no-command");
    request.timeoutSeconds = static_cast<int>(*timeout);
    const auto result = cs::link::runConsoleTransfer(request, stderr);
    for (const auto& path : result.received)
        std::printf("%s\n", path.c_str());
    std::fflush(stdout);
    return result.exitCode;
}

const cs::cli::CommandRegistration registration(
    "receive", "receive --port DEVICE (--all | --channels) --to DIR [--no-command] [--timeout SECONDS]", runReceive);

} // namespace
