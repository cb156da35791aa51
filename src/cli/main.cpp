// channelsettings-cli: the editor's core on the command line (see docs/cli.md).
#include "command_registry.h"
#include "common/large_pages.h"

#include "common/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <unistd.h>
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

// Runs a command; running out of memory or a file system error anywhere ends it with a message
// and an exit code, never with an abort.
int runGuarded(const cs::cli::Command& command, const std::vector<std::string>& args) {
    try {
        return command.run(args);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: out of memory; nothing was written\n", command.name.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", command.name.c_str(), e.what());
    }
    return cs::cli::kBadInput;
}

// What was printed must have arrived: a full disk or /dev/full is an error, as it is for
// coreutils; a reader that went away (a closed pipe) ends the program quietly.
// The first error writing standard output: stdio keeps only that one happened, and errno is
// long overwritten when the program looks at the end.
int stdoutError = 0;

ssize_t writeStandardOutput(void*, const char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(STDOUT_FILENO, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (stdoutError == 0)
                stdoutError = n < 0 ? errno : EIO;
            return done > 0 ? static_cast<ssize_t>(done) : -1;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(size);
}

// Standard output that is no terminal goes through a stream that remembers its write error.
void trackStandardOutputErrors() {
    if (::isatty(STDOUT_FILENO))
        return;
    std::fflush(stdout);
    cookie_io_functions_t io{};
    io.write = writeStandardOutput;
    if (FILE* tracked = ::fopencookie(nullptr, "w", io)) {
        std::setvbuf(tracked, nullptr, _IOFBF, 1 << 16);
        stdout = tracked;
    }
}

int checkedStandardOutput(int code) {
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return code;
    const int error = stdoutError ? stdoutError : errno;
    if (error != EPIPE)
        std::fprintf(stderr, "channelsettings-cli: cannot write standard output: %s\n",
                     error ? std::strerror(error) : "write error");
    return code == cs::cli::kOk ? cs::cli::kWriteFailed : code;
}

} // namespace

int main(int argc, char** argv) {
    cs::useLargePagesForTheHeap();
    // A file-size limit makes writes fail (EFBIG) as a full disk would, instead of killing us.
    cs::turnFileSizeSignalIntoError();
    trackStandardOutputErrors();
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
        return checkedStandardOutput(runGuarded(c, args));
    }
    std::fprintf(stderr, "unknown command: %s\n", name.c_str());
    printUsage();
    return cs::cli::kUsage;
}
