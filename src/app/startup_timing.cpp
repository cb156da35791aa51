#include "app/startup_timing.h"

#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace cs::app {

std::optional<double> millisecondsSinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string line;
    if (!std::getline(stat, line))
        return std::nullopt;
    // The command name may hold blanks and parentheses; the fields after it start past the last ')'.
    const auto close = line.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    // Field 22 (starttime) is the 20th after the name.
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    if (!fields)
        return std::nullopt;
    const long ticks = sysconf(_SC_CLK_TCK);
    timespec now{};
    if (ticks <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return std::nullopt;
    const double started = std::stod(field) / static_cast<double>(ticks);
    const double current = static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
    return (current - started) * 1000.0;
}

std::optional<long> peakResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            long kb = 0;
            if (status >> kb)
                return kb;
            return std::nullopt;
        }
        status.ignore(4096, '\n');
    }
    return std::nullopt;
}

} // namespace cs::app
