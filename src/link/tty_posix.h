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

// Asks the driver to hand over each byte at once instead of holding it for its latency timer
// (16 ms on common USB adapters). Returns the driver's previous flags for restoreSerialFlags, or
// -1 where the driver has no such setting or refuses it (then nothing changed).
int requestLowLatency(int fd);
void restoreSerialFlags(int fd, int flags);
// Waits at most `timeoutMs` for the driver's output queue to empty.
void waitUntilSent(int fd, int timeoutMs);

// termios2: any rate in bit/s (tty_rate.cpp, which cannot share a unit with <termios.h>).
int setRateAnyBits(int fd, unsigned rate);
int readRateBits(int fd, unsigned& rate);

} // namespace cs::link::posix
