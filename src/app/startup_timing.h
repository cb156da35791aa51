#pragma once
// Figures of the program's own start: the time since the process was started and its memory
// high-water mark, read from /proc. The main window logs them when the list of the first
// database has been painted.
#include <optional>

namespace cs::app {

// Milliseconds since the kernel started this process (10 ms resolution); nothing when unknown.
std::optional<double> millisecondsSinceProcessStart();
// Peak resident memory (VmHWM) in kilobytes; nothing when unknown.
std::optional<long> peakResidentKilobytes();

} // namespace cs::app
