#include "properties/receiver_form.h"

#include "common/log_sink.h"
#include "properties/number_input.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <ctime>

namespace cs::properties {

namespace {

int bit(const WorkingSettings& s, ReceiverSetting setting) { return static_cast<int>(s.receiverSetting(setting)); }

bool setIfDifferent(WorkingSettings& s, ReceiverSetting setting, int value) {
    if (bit(s, setting) == value)
        return false;
    s.setReceiverSetting(setting, static_cast<unsigned>(value));
    return true;
}

constexpr std::string_view kWeekdays[] = {"pon", "wro", "sro", "czw", "pia", "sob", "nie"};

std::optional<int> readCode(std::string_view text) {
    const std::string_view t = trimmed(text);
    if (t.empty() || t.size() > kCodeLength)
        return std::nullopt;
    if (!std::all_of(t.begin(), t.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return std::nullopt;
    return static_cast<int>(readNumber(t).value);
}

} // namespace

ReceiverForm loadReceiverForm(const WorkingSettings& s) {
    ReceiverForm f;
    const int info = bit(s, ReceiverSetting::infoWindowTime);
    if (info < kInfoWindowEntries)
        f.infoWindowTime = info;
    f.positionerScreen = bit(s, ReceiverSetting::positionerScreen);
    f.rgbContrast = 3 - bit(s, ReceiverSetting::rgbContrast);
    f.startChannelOn = bit(s, ReceiverSetting::startChannelOn);
    f.startList = bit(s, ReceiverSetting::startList);
    f.startChannel = s.startChannel();
    f.logoAfterStart = bit(s, ReceiverSetting::logoAfterStart);
    f.geographicPosition = s.geographicPosition();
    f.west = bit(s, ReceiverSetting::hemisphere) != 0;
    f.digitalSound = bit(s, ReceiverSetting::digitalSound);
    f.widescreen = bit(s, ReceiverSetting::widescreen);
    f.modulator = std::clamp<int>(s.modulatorFrequency(), kModulatorMin, kModulatorMax);
    f.modulatorChanged = false;
    return f;
}

bool storeReceiverForm(const ReceiverForm& f, WorkingSettings& s) {
    bool wrote = false;
    if (f.infoWindowTime)
        wrote |= setIfDifferent(s, ReceiverSetting::infoWindowTime, *f.infoWindowTime);
    wrote |= setIfDifferent(s, ReceiverSetting::positionerScreen, f.positionerScreen);
    wrote |= setIfDifferent(s, ReceiverSetting::rgbContrast, 3 - f.rgbContrast);
    if (bit(s, ReceiverSetting::startChannelOn) != f.startChannelOn || bit(s, ReceiverSetting::startList) != f.startList ||
        s.startChannel() != f.startChannel) {
        s.setReceiverSetting(ReceiverSetting::startChannelOn, static_cast<unsigned>(f.startChannelOn));
        s.setReceiverSetting(ReceiverSetting::startList, static_cast<unsigned>(f.startList));
        s.setStartChannel(static_cast<std::int16_t>(f.startChannel));
        wrote = true;
    }
    wrote |= setIfDifferent(s, ReceiverSetting::logoAfterStart, f.logoAfterStart);
    if (s.geographicPosition() != f.geographicPosition || (bit(s, ReceiverSetting::hemisphere) != 0) != f.west) {
        s.setGeographicPosition(f.geographicPosition);
        s.setReceiverSetting(ReceiverSetting::hemisphere, f.west ? 1u : 0u);
        wrote = true;
    }
    wrote |= setIfDifferent(s, ReceiverSetting::digitalSound, f.digitalSound);
    wrote |= setIfDifferent(s, ReceiverSetting::widescreen, f.widescreen);
    if (f.modulatorChanged && s.modulatorFrequency() != f.modulator) {
        s.setModulatorFrequency(static_cast<std::uint16_t>(f.modulator));
        wrote = true;
    }
    return wrote;
}

std::string geographicPositionText(float degrees, bool west) { return format("%.2f %s", degrees, west ? "W" : "E"); }

std::optional<GeographicPosition> readGeographicPosition(std::string_view text) {
    const auto space = text.find(' ');
    if (space == std::string_view::npos || space == 0 || space > 10)
        return std::nullopt;
    const std::string_view number = text.substr(0, space);
    float degrees = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), degrees);
    if (error != std::errc() || end != number.data() + number.size())
        return std::nullopt;
    std::string_view word = text.substr(space + 1);
    word = word.substr(0, word.find(' '));
    const auto letter = word.find_last_of("EeWw");
    if (letter == std::string_view::npos || degrees == 0 || degrees > 75)
        return std::nullopt;
    return GeographicPosition{degrees, word[letter] == 'W' || word[letter] == 'w'};
}

std::string modulatorText(int position) { return format("%d.25 MHz", position); }

int modulatorChannelPosition(int position) { return (position - 303) / 8 - kFirstModulatorChannel; }

int modulatorPositionOfChannel(int listPosition) { return kModulatorMin + 8 * listPosition; }

ClockReading SystemClock::now() const {
    const std::time_t t = std::time(nullptr);
    std::tm utc{};
    std::tm local{};
    gmtime_r(&t, &utc);
    localtime_r(&t, &local);
    return {utc.tm_hour, local.tm_min, local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

long modifiedJulianDate(int year, int month, int day) {
    const int y = year - 1900;
    const int l = (month == 1 || month == 2) ? 1 : 0;
    return 14956 + day + static_cast<long>((y - l) * 365.25) + static_cast<long>((month + 1 + l * 12) * 30.6001);
}

CalendarDate calendarDate(long mjd) {
    const long y1 = static_cast<long>((mjd - 15078.2) / 365.25);
    const long m1 = static_cast<long>((mjd - 14956.1 - static_cast<long>(y1 * 365.25)) / 30.6001);
    const long day = mjd - 14956 - static_cast<long>(y1 * 365.25) - static_cast<long>(m1 * 30.6001);
    const long k = (m1 == 14 || m1 == 15) ? 1 : 0;
    return {static_cast<int>(y1 + k + 1900), static_cast<int>(m1 - 1 - k * 12), static_cast<int>(day)};
}

int weekdayOfMjd(long mjd) { return static_cast<int>(((mjd + 2) % 7) + 1); }

std::string receiverClockText(const ClockReading& now, int zone) {
    int hour = now.utcHour + zone;
    int carry = 0;
    if (hour > 23) {
        hour -= 24;
        carry = 1;
    } else if (hour < 0) {
        hour += 24;
        carry = -1;
    }
    const long mjd = modifiedJulianDate(now.localYear, now.localMonth, now.localDay) + carry;
    const CalendarDate date = calendarDate(mjd);
    return format("%s: %d:%02d, %d-%02d-%02d (%s)", "Czas", hour, now.localMinute, date.year, date.month, date.day,
                  std::string(kWeekdays[weekdayOfMjd(mjd) - 1]).c_str());
}

ParentalLockForm::ParentalLockForm(const WorkingSettings& settings)
    : stored_(settings.parentalCode()), pending_(settings.parentalCode()) {}

CodeChange ParentalLockForm::change(std::string_view oldCode, std::string_view newCode, std::string_view confirmation) {
    const auto oldValue = readCode(oldCode);
    const auto newValue = readCode(newCode);
    const auto confirmValue = readCode(confirmation);
    if (!oldValue || !newValue || !confirmValue)
        return CodeChange::NotANumber;
    if (*oldValue != stored_)
        return CodeChange::WrongOldCode;
    if (*newValue != *confirmValue)
        return CodeChange::Mismatch;
    pending_ = static_cast<std::int16_t>(*newValue);
    return CodeChange::Changed;
}

bool ParentalLockForm::store(WorkingSettings& settings) const {
    if (settings.parentalCode() == pending_)
        return false;
    settings.setParentalCode(pending_);
    return true;
}

} // namespace cs::properties
