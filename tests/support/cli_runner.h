#pragma once
// Runs the real channelsettings-cli as a child process, as a script would: no standard input,
// standard output and standard error captured separately, a fixed HOME.
#include <filesystem>
#include <string>
#include <vector>

namespace cs::clitest {

struct CliRun {
    int exitCode = -1;  // -1 when the program did not exit normally (a crash)
    int signal = 0;     // the signal that ended it, when one did
    std::string out;
    std::string err;
};

// Where the child's standard output goes and the limits it runs under, for runs that check how
// the program meets a full disk, a closed pipe or too little memory.
struct CliOptions {
    std::filesystem::path stdoutPath;  // empty: captured into CliRun::out; else opened for writing
    bool stdoutClosedPipe = false;     // a pipe whose reader has gone, as after `| head`
    bool ignoreSigpipe = false;        // started with SIGPIPE ignored, as some shells and daemons do
    long long memoryLimit = 0;         // RLIMIT_AS in bytes; 0 none
    long long fileSizeLimit = 0;       // RLIMIT_FSIZE in bytes; 0 none
    int uid = -1;                      // run as this user and group (root drops its rights); -1 as is
};

// `home` is the HOME of the child (its user data folder lies inside); XDG_DATA_HOME is dropped.
CliRun runCli(const std::filesystem::path& home, const std::vector<std::string>& args);
CliRun runCli(const std::filesystem::path& home, const std::vector<std::string>& args, const CliOptions& options);

} // namespace cs::clitest
