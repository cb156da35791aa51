#include "properties/number_input.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace cs::properties {

namespace {

constexpr std::int64_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kIntMax = std::numeric_limits<std::int32_t>::max();

std::optional<std::int64_t> parseDigits(std::string_view digits, int base) {
    // Signs belong before the digits of a decimal number only.
    if (digits.empty() || digits.front() == '-' || digits.front() == '+')
        return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

bool inRange(std::int64_t v, std::int64_t low, std::int64_t high) { return v >= low && v <= high; }

CheckedNumber checkRange(std::string_view text, std::int64_t low, std::int64_t high) {
    const NumberText n = readNumber(text);
    if (n.blank())
        return {Check::Blank, 0};
    if (!n.number() || !inRange(n.value, low, high))
        return {Check::Refused, 0};
    return {Check::Accepted, n.value};
}

} // namespace

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

NumberText readNumber(std::string_view text) {
    const std::string_view t = trimmed(text);
    if (t.empty())
        return {NumberText::Kind::Blank, 0};
    std::optional<std::int64_t> value;
    if (t.starts_with("0x") || t.starts_with("0X"))
        value = parseDigits(t.substr(2), 16);
    else if (t.front() == '$' || t.front() == 'x' || t.front() == 'X')
        value = parseDigits(t.substr(1), 16);
    else if (t.front() == '-') {
        value = parseDigits(t.substr(1), 10);
        if (value)
            *value = -*value;
    }
    else if (t.front() == '+')
        value = parseDigits(t.substr(1), 10);
    else
        value = parseDigits(t, 10);
    if (!value || !inRange(*value, kIntMin, kIntMax))
        return {NumberText::Kind::Invalid, 0};
    return {NumberText::Kind::Number, *value};
}

CheckedNumber checkChannelFrequency(std::string_view text) {
    return checkRange(text, kChannelFrequencyMin, kChannelFrequencyMax);
}

CheckedNumber checkSymbolRate(std::string_view text) {
    return checkRange(text, kSymbolRateMin, std::min(kSymbolRateMax, kSixteenBitMax));
}

CheckedNumber checkPid(std::string_view text, const Pending& otherPid) {
    const NumberText n = readNumber(text);
    if (n.blank())
        return {Check::Blank, 0};
    if (!n.number())
        return {Check::Refused, 0};
    const std::int64_t v = n.value;
    const bool range = v == 0 || inRange(v, kPidMin, kPidMax);
    const bool bothNone = v == 0 && otherPid == 0;
    const bool equal = otherPid && *otherPid == v;
    if (!range || bothNone || equal)
        return {Check::Refused, 0};
    return {Check::Accepted, v};
}

CheckedNumber checkServiceId(std::string_view text) { return checkRange(text, 0, kSixteenBitMax); }

CheckedNumber checkPmtPid(std::string_view text) { return checkRange(text, kPidMin, kPidMax); }

std::optional<std::string> checkChannelName(std::string_view text) {
    std::string kept;
    for (char c : trimmed(text)) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 32 && u <= 125)
            kept.push_back(c);
    }
    if (kept.size() > 16)
        kept.resize(16);
    if (kept.empty())
        return std::nullopt;
    return kept;
}

std::string numberText(std::int64_t value, bool hex) {
    char buffer[32];
    if (hex)
        std::snprintf(buffer, sizeof buffer, "0x%04llX", static_cast<unsigned long long>(value));
    else
        std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value));
    return buffer;
}

std::string pendingText(const Pending& value, bool hex) { return value ? numberText(*value, hex) : std::string(); }

std::optional<double> readMegahertz(std::string_view text) {
    const std::string t(trimmed(text));
    if (t.empty())
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (error != std::errc() || end != t.data() + t.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::uint16_t> tenthMegahertz(std::string_view text) {
    const auto mhz = readMegahertz(text);
    if (!mhz)
        return std::nullopt;
    const double tenfold = std::round(*mhz * 10.0);
    if (tenfold < 0 || tenfold > static_cast<double>(kSixteenBitMax))
        return std::nullopt;
    return static_cast<std::uint16_t>(tenfold);
}

} // namespace cs::properties
