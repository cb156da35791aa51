#pragma once
// Runs the real channelsettings-cli as a child process, as a script would: no standard input,
// standard output and standard error captured separately, a fixed HOME.
#include <filesystem>
#include <string>
#include <vector>

namespace cs::clitest {

struct CliRun {
    int exitCode = -1;  // -1 when the program did not exit normally (a crash)
    std::string out;
    std::string err;
};

// `home` is the HOME of the child (its user data folder lies inside); XDG_DATA_HOME is dropped.
CliRun runCli(const std::filesystem::path& home, const std::vector<std::string>& args);

} // namespace cs::clitest
