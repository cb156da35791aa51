#pragma once
// The machine's memory figures shown by the about box, read from /proc/meminfo.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace cs::desktop {

struct MemoryStatus {
    std::uint64_t totalKilobytes = 0;  // physical memory
    int loadPercent = 0;               // share of the physical memory in use, 0..100
};

// From the text of /proc/meminfo: MemTotal, and the memory in use as MemTotal less MemAvailable
// (older kernels without MemAvailable: less MemFree, Buffers and Cached). Nothing without a
// usable MemTotal.
std::optional<MemoryStatus> parseMeminfo(std::string_view text);
std::optional<MemoryStatus> readMemoryStatus(const std::filesystem::path& meminfo = "/proc/meminfo");

// "524,288 KB": the kilobytes in groups of three digits joined by the locale's group separator.
std::string kilobytesText(std::uint64_t kilobytes, std::string_view groupSeparator);
// "45 %".
std::string loadText(int percent);

} // namespace cs::desktop
