#include "settings/date_time_value.h"

#include <bit>
#include <chrono>
#include <ctime>

#include "common/byte_order.h"

namespace cs {
namespace {

constexpr std::size_t kLowWordOffset = 0;
constexpr std::size_t kHighWordOffset = 4;
constexpr double kSecondsPerDay = 86400.0;

// Days from 1970-01-01 to the given civil date (proleptic Gregorian calendar).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

} // namespace

double dateTimeValue(const LocalDateTime& when) {
    const long long epoch = daysFromCivil(1899, 12, 30);
    const long long days = daysFromCivil(when.year, static_cast<unsigned>(when.month),
                                         static_cast<unsigned>(when.day)) - epoch;
    const double seconds = when.hour * 3600.0 + when.minute * 60.0 + when.second + when.millisecond / 1000.0;
    return static_cast<double>(days) + seconds / kSecondsPerDay;
}

LocalDateTime currentLocalDateTime() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
            static_cast<int>(millis < 0 ? millis + 1000 : millis)};
}

std::array<std::uint8_t, 8> dateTimeBytes(double value) {
    std::array<std::uint8_t, 8> bytes{};
    const auto bits = std::bit_cast<std::uint64_t>(value);
    writeU32(bytes, kLowWordOffset, static_cast<std::uint32_t>(bits));
    writeU32(bytes, kHighWordOffset, static_cast<std::uint32_t>(bits >> 32));
    return bytes;
}

} // namespace cs
