#pragma once
// The few tty operations the port layer needs, on Linux termios. Each returns 0 or an errno.
#include "link/serial_port.h"

#include <string>

namespace cs::link::posix {

// Opens a tty for exclusive use, non-blocking, without making it the controlling terminal.
int openDevice(const std::string& path, UniqueFd& out);
// Gives up the exclusive use before the descriptor is closed.
void releaseDevice(int fd);
// Raw mode with the given rate in bit/s and line settings; reads return at once with what is
// waiting.
int applyLineSettings(int fd, int rate, const LineSettings& settings);
int bytesWaiting(int fd, int& count);
int purge(int fd, bool input, bool output);

// False where the driver keeps no counters (pseudo-terminals).
bool readErrorCounters(int fd, ErrorCounters& out);

std::string errorText(int err);

// termios2: any rate in bit/s (tty_rate.cpp, which cannot share a unit with <termios.h>).
int setRateAnyBits(int fd, unsigned rate);
int readRateBits(int fd, unsigned& rate);

} // namespace cs::link::posix
