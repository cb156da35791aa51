// send --port DEVICE FILE [--no-command] [--timeout SECONDS]: sends a file to the receiver as the connection wizard
// does (probe, ESC "O" "Q" at 115200 baud, wait for "C", YModem upload).
#include "cli_args.h"
#include "command_registry.h"
#include "link/console_transfer.h"
#include "link/transfer_controller.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

int runSend(const std::vector<std::string>& argv) {
    using namespace cs::cli;
    Args args;
    if (auto error = Args::parse(argv, {"port", "timeout"}, {"no-command"}, args)) {
        std::fprintf(stderr, "send: %s\n", error->c_str());
        return kUsage;
    }
    const auto port = args.value("port");
    const auto timeout = args.integer("timeout", 0);
    if (!port || port->empty() || args.positional().size() != 1 || !timeout || *timeout < 0 || *timeout > 86400) {
        std::fprintf(stderr, "usage: channelsettings-cli send --port DEVICE FILE [--no-command] [--timeout SECONDS]\n");
        return kUsage;
    }
    const std::string& file = args.positional()[0];
    // Checked before the receiver is woken up, so that a typo does not leave it waiting.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    const bool readable = fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const int err = errno;
    if (fd >= 0)
        ::close(fd);
    if (!readable) {
        std::fprintf(stderr, "send: cannot read %s: %s\n", file.c_str(),
                     fd >= 0 ? "not a regular file" : std::strerror(err));
        return kBadInput;
    }

    cs::link::ConsoleTransfer request;
    request.port = *port;
    request.upload = true;
    request.file = file;
    request.command = std::string(cs::link::kCommandSend);
    request.noCommand = args.has("no-command");
    request.timeoutSeconds = static_cast<int>(*timeout);
    return cs::link::runConsoleTransfer(request, stderr).exitCode;
}

const cs::cli::CommandRegistration registration("send", "send --port DEVICE FILE [--no-command] [--timeout SECONDS]", runSend);

} // namespace
