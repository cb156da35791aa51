#pragma once
// The receiver-settings, clock and parental-lock pages' working values. They live in the working
// settings record only (never in the image): loaded when a page opens, written on OK where they
// differ.
#include "image/settings_area.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace cs::properties {

// ---- receiver settings
inline constexpr int kInfoWindowEntries = 11;  // "0 s" .. "10 s"
inline constexpr int kModulatorMin = 471;
inline constexpr int kModulatorMax = 854;
inline constexpr int kFirstModulatorChannel = 21;
inline constexpr int kLastModulatorChannel = 68;

struct ReceiverForm {
    std::optional<int> infoWindowTime;  // list position; nothing for a stored value above 10
    int positionerScreen = 0;
    int rgbContrast = 0;                // list position = 3 - stored
    int startChannelOn = 0;
    int startList = 0;                  // favourite list of the start channel
    int startChannel = -1;              // channel within that list; -1 none
    int logoAfterStart = 0;
    float geographicPosition = 0.0f;
    bool west = false;
    int digitalSound = 0;
    int widescreen = 0;
    int modulator = kModulatorMin;      // scroll position, kept inside 471..854
    bool modulatorChanged = false;
};

ReceiverForm loadReceiverForm(const WorkingSettings& settings);
// OK: true when something was written.
bool storeReceiverForm(const ReceiverForm& form, WorkingSettings& settings);

// "%.2f %s" with "W" for the west flag and "E" otherwise.
std::string geographicPositionText(float degrees, bool west);
struct GeographicPosition {
    float degrees = 0.0f;
    bool west = false;
};
// A number of at most 10 characters, a space, then a word holding "E" or "W" (either case; the
// last one counts). Not 0 and not above 75.
std::optional<GeographicPosition> readGeographicPosition(std::string_view text);

// "471.25 MHz" for scroll position 471.
std::string modulatorText(int position);
// The UHF list position (channel - 21) of a scroll position, and the scroll position (the vision
// carrier) of a list position.
int modulatorChannelPosition(int position);
int modulatorPositionOfChannel(int listPosition);

// ---- clock
// What the computer's clock says; the receiver's clock shows the UTC hour moved by its zone.
struct ClockReading {
    int utcHour = 0;
    int localMinute = 0;
    int localYear = 2000;  // four digits
    int localMonth = 1;
    int localDay = 1;
};

class ClockSource {
public:
    virtual ~ClockSource() = default;
    virtual ClockReading now() const = 0;
};

// The computer's clock through the C library.
class SystemClock final : public ClockSource {
public:
    ClockReading now() const override;
};

// Modified Julian Date of a calendar date and back (ETSI EN 300 468 Annex C, valid from
// 1900-03-01 to 2100-02-28).
long modifiedJulianDate(int year, int month, int day);
struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
    bool operator==(const CalendarDate&) const = default;
};
CalendarDate calendarDate(long mjd);
// 1 Monday .. 7 Sunday.
int weekdayOfMjd(long mjd);

inline constexpr int kZoneMin = -12;
inline constexpr int kZoneMax = 12;
// "Czas: h:mm, yyyy-mm-dd (day)" as the receiver would show it now with the zone.
std::string receiverClockText(const ClockReading& now, int zone);

// ---- parental lock
enum class CodeChange {
    Changed,       // the new code is pending
    NotANumber,    // one of the boxes is not a code
    WrongOldCode,  // the old code is not the stored one
    Mismatch,      // the confirmation differs from the new code
};

// The parental-lock page: the old code is always compared with the stored code.
class ParentalLockForm {
public:
    explicit ParentalLockForm(const WorkingSettings& settings);

    CodeChange change(std::string_view oldCode, std::string_view newCode, std::string_view confirmation);
    bool store(WorkingSettings& settings) const;

private:
    std::int16_t stored_;
    std::int16_t pending_;
};

// The longest code the boxes take.
inline constexpr std::size_t kCodeLength = 4;

} // namespace cs::properties
