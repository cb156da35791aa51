#pragma once
// The stored "DateTime" value: a local date and time as an IEEE double counting days since
// 30 December 1899, the time of day as the fraction; stored as its 8 little-endian bytes.
#include <array>
#include <cstdint>

namespace cs {

struct LocalDateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

double dateTimeValue(const LocalDateTime& when);
LocalDateTime currentLocalDateTime();
std::array<std::uint8_t, 8> dateTimeBytes(double value);

} // namespace cs
