#pragma once
// Command line of simulated-receiver.
#include "relay_line.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace cs::test {

enum class ReceiverMode { Command, Receive, Send, Relay };

struct SimulatorConfig {
    ReceiverMode mode = ReceiverMode::Command;
    std::filesystem::path readyFile;
    int watchFd = -1;
    std::filesystem::path inbox;
    std::filesystem::path settingsFile;
    std::filesystem::path baseFile;
    std::filesystem::path sendFile;
    bool sb1k = false;
    // GETSETT sends back the file the last rb run received, as a copy with these changes.
    bool returnReceived = false;
    std::string returnDate;                 // "YYYYMMDD" stamped into the copy's header
    std::vector<std::uint64_t> returnFlips; // file offsets whose byte the copy has inverted
    std::string relayCommand;
    int transfers = 1;
    std::uint64_t seed = 1;
    LineConfig toPeer;
    LineConfig toEngine;
    std::chrono::milliseconds cRepeat{1000};
    std::chrono::milliseconds timeout{120000};
    std::chrono::milliseconds hupGrace{3000};
    std::chrono::milliseconds linger{3000};
    bool verbose = false;
};

// Parses argv (without the program name). Throws std::invalid_argument with a message for the
// user on a bad option or a missing value.
SimulatorConfig parseSimulatorArguments(const std::vector<std::string>& args);

extern const char* const kSimulatorUsage;

} // namespace cs::test
