#pragma once
// Numbers typed into the properties boxes and the rules each box checks when it loses focus.
// A box holds a pending value beside its text: nothing (a blank box, the field stays as it is) or
// a checked number waiting for OK.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cs::properties {

// What a box's text reads as.
struct NumberText {
    enum class Kind { Blank, Number, Invalid };
    Kind kind = Kind::Blank;
    std::int64_t value = 0;

    bool blank() const { return kind == Kind::Blank; }
    bool number() const { return kind == Kind::Number; }
};

// Surrounding spaces are ignored; an empty text is blank. Decimal with an optional sign, or
// hexadecimal written with "$", "x", "X", "0x" or "0X" before the digits. Anything else, and
// numbers outside the 32-bit signed range, are invalid.
NumberText readNumber(std::string_view text);

// The value a pending box holds: nothing for a blank box.
using Pending = std::optional<std::int64_t>;

// How a box's check ended.
enum class Check {
    Blank,     // the pending value becomes blank, silently
    Accepted,  // the value becomes the pending value
    Refused,   // the parameter message; the box returns to its previous text
};

struct CheckedNumber {
    Check check = Check::Blank;
    std::int64_t value = 0;
};

// Satellite frequency of a channel, MHz.
inline constexpr std::int64_t kChannelFrequencyMin = 9750;
inline constexpr std::int64_t kChannelFrequencyMax = 12750;
// Symbol rate, kS/s. The record field is 16 bits wide, so what the box would accept above 65535
// is refused rather than stored truncated.
inline constexpr std::int64_t kSymbolRateMin = 500;
inline constexpr std::int64_t kSymbolRateMax = 300000;
inline constexpr std::int64_t kSixteenBitMax = 65535;
// PIDs: 0 (none) or 32..8191.
inline constexpr std::int64_t kPidMin = 32;
inline constexpr std::int64_t kPidMax = 8191;

CheckedNumber checkChannelFrequency(std::string_view text);
CheckedNumber checkSymbolRate(std::string_view text);
// Video against audio or audio against video: 0 or 32..8191, not both 0, not equal.
CheckedNumber checkPid(std::string_view text, const Pending& otherPid);
CheckedNumber checkServiceId(std::string_view text);
CheckedNumber checkPmtPid(std::string_view text);

// The name rule: trim, drop every character below 32 or above 125, keep 16 characters. Nothing
// when no character is left (the box returns to its previous text).
std::optional<std::string> checkChannelName(std::string_view text);

// A number as the hex option shows it: "0x" and four upper-case digits, or decimal.
std::string numberText(std::int64_t value, bool hex);
// A pending PID box's text: empty when blank.
std::string pendingText(const Pending& value, bool hex);

// A frequency in MHz typed into a DVB-T or DVB-C list, as the tenfold value of the record
// (units of 0.1 MHz). Nothing when the text is not a decimal number or the tenfold value does not
// fit the 16-bit field.
std::optional<std::uint16_t> tenthMegahertz(std::string_view text);
// A decimal number of MHz as a plain double; nothing when it does not parse.
std::optional<double> readMegahertz(std::string_view text);

std::string_view trimmed(std::string_view text);

} // namespace cs::properties
