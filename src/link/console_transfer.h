#pragma once
// One transfer with the receiver from a console program (channelsettings-cli send/receive):
// the controller's texts as a progress bar on a terminal or as plain lines otherwise, Ctrl-C as
// the user's break.
#include <cstdio>
#include <string>
#include <vector>

namespace cs::link {

struct ConsoleTransfer {
    std::string port;
    bool upload = true;
    std::string file;     // upload: the file to send
    std::string folder;   // download: where the files go
    std::string command;  // the receiver's command; unused with noCommand
    bool noCommand = false;
    // Longest wait, in seconds, for the receiver to start the first file; 0: no limit.
    int timeoutSeconds = 0;
};

struct ConsoleTransferResult {
    int exitCode = 0;                   // the program's exit code: 0, or 4 when it failed
    std::vector<std::string> received;  // paths written (download)
};

// Runs the transfer; messages and progress go to `err`. Blocks SIGINT, SIGTERM and SIGHUP while
// it runs and treats them as the user's break.
ConsoleTransferResult runConsoleTransfer(const ConsoleTransfer& request, std::FILE* err);

} // namespace cs::link
