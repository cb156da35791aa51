// The receiver-settings, clock and parental-lock pages: what OK writes into the working settings
// record, the geographic position and modulator rules, the receiver's clock and the lock code.
#include "properties/receiver_form.h"

#include <gtest/gtest.h>

using namespace cs;
using namespace cs::properties;

TEST(ReceiverForm, OkWithoutChangesWritesNothingAndEditsWriteTheirFields) {
    WorkingSettings s;
    s.setReceiverSetting(ReceiverSetting::infoWindowTime, 4);
    s.setReceiverSetting(ReceiverSetting::rgbContrast, 1);
    s.setModulatorFrequency(600);
    const WorkingSettings before = s;
    ReceiverForm f = loadReceiverForm(s);
    EXPECT_EQ(f.rgbContrast, 2);
    EXPECT_FALSE(storeReceiverForm(f, s));
    EXPECT_EQ(s, before);

    f.infoWindowTime = 10;
    f.rgbContrast = 0;
    f.widescreen = 1;
    f.startChannelOn = 1;
    f.startList = 3;
    f.startChannel = 12;
    f.geographicPosition = 19.2f;
    f.west = true;
    f.modulator = 855 - 8;
    f.modulatorChanged = true;
    EXPECT_TRUE(storeReceiverForm(f, s));
    WorkingSettings expected = before;
    expected.setReceiverSetting(ReceiverSetting::infoWindowTime, 10);
    expected.setReceiverSetting(ReceiverSetting::rgbContrast, 3);
    expected.setReceiverSetting(ReceiverSetting::widescreen, 1);
    expected.setReceiverSetting(ReceiverSetting::startChannelOn, 1);
    expected.setReceiverSetting(ReceiverSetting::startList, 3);
    expected.setStartChannel(12);
    expected.setGeographicPosition(19.2f);
    expected.setReceiverSetting(ReceiverSetting::hemisphere, 1);
    expected.setModulatorFrequency(847);
    EXPECT_EQ(s, expected);
}

TEST(ReceiverForm, StoredValuesOutsideTheListsStayUnlessChanged) {
    WorkingSettings s;
    s.setReceiverSetting(ReceiverSetting::infoWindowTime, 200);
    s.setModulatorFrequency(0);  // a fresh record: outside 471..854
    const WorkingSettings before = s;
    ReceiverForm f = loadReceiverForm(s);
    EXPECT_EQ(f.infoWindowTime, std::nullopt);
    EXPECT_EQ(f.modulator, kModulatorMin);  // clamped for display only
    EXPECT_FALSE(storeReceiverForm(f, s));
    EXPECT_EQ(s, before);
}

TEST(ReceiverForm, GeographicPositionRule) {
    struct Case {
        const char* text;
        bool valid;
        float degrees;
        bool west;
    };
    const Case cases[] = {
        {"19.2 E", true, 19.2f, false},  {"19.20 w", true, 19.2f, true}, {"-19.2 E", true, -19.2f, false},
        {"75 W", true, 75.0f, true},     {"75.01 W", false, 0, false},   {"76 W", false, 0, false},
        {"0 E", false, 0, false},        {"19.2E", false, 0, false},     {"19.2 X", false, 0, false},
        {"abc E", false, 0, false},      {"12345678901 E", false, 0, false}, {"5 EW", true, 5.0f, true},
        {"5 WEST", true, 5.0f, false},   {"5 east W", true, 5.0f, false}, {" 5 E", false, 0, false},
    };
    for (const Case& c : cases) {
        const auto p = readGeographicPosition(c.text);
        ASSERT_EQ(p.has_value(), c.valid) << c.text;
        if (p) {
            EXPECT_FLOAT_EQ(p->degrees, c.degrees) << c.text;
            EXPECT_EQ(p->west, c.west) << c.text;
        }
    }
    EXPECT_EQ(geographicPositionText(19.2f, false), "19.20 E");
    EXPECT_EQ(geographicPositionText(5.0f, true), "5.00 W");
}

TEST(ReceiverForm, ModulatorFrequencyAndUhfChannel) {
    EXPECT_EQ(modulatorText(471), "471.25 MHz");
    EXPECT_EQ(modulatorChannelPosition(471), 0);    // UHF 21
    EXPECT_EQ(modulatorText(854), "854.25 MHz");
    EXPECT_EQ(modulatorChannelPosition(854), 47);   // UHF 68
    EXPECT_EQ(modulatorPositionOfChannel(0), 471);
    EXPECT_EQ(modulatorPositionOfChannel(47), 847);
}

TEST(Clock, ModifiedJulianDateBothWays) {
    EXPECT_EQ(modifiedJulianDate(1993, 10, 13), 49273);  // the annex's own example
    EXPECT_EQ(calendarDate(49273), (CalendarDate{1993, 10, 13}));
    EXPECT_EQ(weekdayOfMjd(49273), 3);                   // a Wednesday
    for (long mjd = modifiedJulianDate(1999, 12, 1); mjd < modifiedJulianDate(2001, 3, 31); ++mjd) {
        const CalendarDate d = calendarDate(mjd);
        EXPECT_EQ(modifiedJulianDate(d.year, d.month, d.day), mjd);
    }
    EXPECT_EQ(calendarDate(modifiedJulianDate(2024, 2, 28) + 1), (CalendarDate{2024, 2, 29}));
}

TEST(Clock, ReceiverClockWithTheZoneAcrossDayMonthAndYearEnds) {
    struct Case {
        ClockReading now;
        int zone;
        const char* text;
    };
    const Case cases[] = {
        {{23, 5, 2026, 12, 10}, 2, "Czas: 1:05, 2026-12-11 (pia)"},
        {{23, 59, 2026, 1, 31}, 2, "Czas: 1:59, 2026-02-01 (nie)"},
        {{23, 0, 2026, 12, 31}, 2, "Czas: 1:00, 2027-01-01 (pia)"},
        {{23, 0, 2028, 2, 28}, 1, "Czas: 0:00, 2028-02-29 (wro)"},
        {{1, 30, 2027, 1, 1}, -2, "Czas: 23:30, 2026-12-31 (czw)"},
        {{10, 0, 2026, 12, 14}, 0, "Czas: 10:00, 2026-12-14 (pon)"},
        {{0, 0, 2026, 12, 14}, -12, "Czas: 12:00, 2026-12-13 (nie)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(receiverClockText(c.now, c.zone), c.text);
}

TEST(ParentalLock, SequenceStartsFromTheStoredCode) {
    WorkingSettings s;
    s.setParentalCode(1234);
    ParentalLockForm form(s);
    EXPECT_EQ(form.change("12a4", "1111", "1111"), CodeChange::NotANumber);
    EXPECT_EQ(form.change("", "1111", "1111"), CodeChange::NotANumber);
    EXPECT_EQ(form.change("1234", "12345", "12345"), CodeChange::NotANumber);
    EXPECT_EQ(form.change("4321", "1111", "1111"), CodeChange::WrongOldCode);
    EXPECT_EQ(form.change("1234", "1111", "2222"), CodeChange::Mismatch);
    EXPECT_EQ(form.change("1234", "1111", "1111"), CodeChange::Changed);
    // A second change starts again from the stored code, not from the one just entered.
    EXPECT_EQ(form.change("1111", "2222", "2222"), CodeChange::WrongOldCode);
    EXPECT_EQ(form.change("1234", "0007", "7"), CodeChange::Changed);
    WorkingSettings after = s;
    EXPECT_TRUE(form.store(after));
    EXPECT_EQ(after.parentalCode(), 7);

    ParentalLockForm untouched(s);
    WorkingSettings same = s;
    EXPECT_FALSE(untouched.store(same));
    EXPECT_EQ(same, s);
}
