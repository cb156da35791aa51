#include "desktop/memory_status.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>

namespace cs::desktop {
namespace {

// The value of "Name:   1234 kB" lines, in kilobytes.
std::optional<std::uint64_t> fieldKilobytes(std::string_view text, std::string_view name) {
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (line.size() <= name.size() || !line.starts_with(name) || line[name.size()] != ':')
            continue;
        line.remove_prefix(name.size() + 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        std::uint64_t value = 0;
        const auto [ptr, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
        if (ec != std::errc() || ptr == line.data())
            return std::nullopt;
        return value;
    }
    return std::nullopt;
}

} // namespace

std::optional<MemoryStatus> parseMeminfo(std::string_view text) {
    const auto total = fieldKilobytes(text, "MemTotal");
    if (!total || *total == 0)
        return std::nullopt;
    std::optional<std::uint64_t> available = fieldKilobytes(text, "MemAvailable");
    if (!available) {
        const auto free = fieldKilobytes(text, "MemFree");
        if (!free)
            return std::nullopt;
        available = *free + fieldKilobytes(text, "Buffers").value_or(0) + fieldKilobytes(text, "Cached").value_or(0);
    }
    const std::uint64_t used = *total - std::min(*available, *total);
    MemoryStatus status;
    status.totalKilobytes = *total;
    // Rounded to the nearest whole percent.
    status.loadPercent = static_cast<int>((used * 100 + *total / 2) / *total);
    return status;
}

std::optional<MemoryStatus> readMemoryStatus(const std::filesystem::path& meminfo) {
    std::ifstream in(meminfo, std::ios::binary);
    if (!in)
        return std::nullopt;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parseMeminfo(text);
}

std::string kilobytesText(std::uint64_t kilobytes, std::string_view groupSeparator) {
    const std::string digits = std::to_string(kilobytes);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += groupSeparator;
        out += digits[i];
    }
    return out + " KB";
}

std::string loadText(int percent) { return std::to_string(percent) + " %"; }

} // namespace cs::desktop
