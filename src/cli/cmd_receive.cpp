// receive --port DEVICE (--all | --channels) --to DIR [--no-command] [--timeout SECONDS]: asks the receiver for all
// settings ("GETSETT") or the channels ("GETBASE") and receives the YModem batch into DIR.
#include "cli_args.h"
#include "command_registry.h"
#include "link/console_transfer.h"
#include "link/transfer_controller.h"

#include <cstdio>
#include <filesystem>
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
        !timeout || *timeout < 0 || *timeout > 86400) {
        std::fprintf(stderr, "usage: channelsettings-cli receive --port DEVICE (--all | --channels) --to DIR [--no-command] [--timeout SECONDS]\n");
        return kUsage;
    }
    std::error_code ec;
    std::filesystem::create_directories(*folder, ec);
    if (!std::filesystem::is_directory(*folder, ec)) {
        std::fprintf(stderr, "receive: %s is not a folder that can be written to\n", folder->c_str());
        return kBadInput;
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
