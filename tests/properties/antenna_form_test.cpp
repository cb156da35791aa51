// The Satellites and Converters pages' working copies and what OK copies back.
#include "properties/antenna_form.h"

#include <gtest/gtest.h>

using namespace cs;
using namespace cs::properties;

namespace {

WorkingSettings settingsWithAntennas() {
    WorkingSettings s;
    for (std::size_t sat = 0; sat < WorkingSettings::antennaCount; ++sat) {
        AntennaSettings a;
        // Every byte non-zero, so that bits outside the fields show whether they survive.
        for (std::size_t i = 0; i < AntennaSettings::size; ++i)
            a.bytes()[i] = static_cast<std::uint8_t>(0x5A ^ (sat + i));
        s.setAntenna(sat, a);
    }
    s.setConverter(0, {9750, 10600, 11700, 0});
    s.setConverter(3, {5150, 5750, 0, 1});
    return s;
}

} // namespace

TEST(AntennaForm, OpeningAndOkWithoutChangesWritesNothing) {
    const WorkingSettings before = settingsWithAntennas();
    WorkingSettings after = before;
    AntennaForm form(before);
    EXPECT_FALSE(form.store(after));
    EXPECT_EQ(after, before);
}

TEST(AntennaForm, ListPositionsGoIntoTheSatelliteAndOtherBitsStay) {
    const WorkingSettings before = settingsWithAntennas();
    AntennaForm form(before);
    AntennaPositions p = form.positions(5);
    p[static_cast<std::size_t>(BandControl::Converter)] = 7;                 // lnb_ku
    p[kBandControls + static_cast<std::size_t>(BandControl::Diseqc)] = 4;     // diseqcMode_c
    p[2 * kBandControls + static_cast<std::size_t>(BandControl::Motor)] = 2;  // motorMode_ls
    form.applyPositions(5, p);
    WorkingSettings after = before;
    ASSERT_TRUE(form.store(after));

    AntennaSettings expected = before.antenna(5);
    expected.set(AntennaField::LnbKu, 7);
    expected.set(AntennaField::DiseqcModeC, 4);
    expected.set(AntennaField::MotorModeLs, 2);
    // Fields whose stored code has a list entry are written back as they were shown; the
    // rest of the 24 bytes keep their values.
    EXPECT_EQ(after.antenna(5), expected);
    for (std::size_t sat = 0; sat < WorkingSettings::antennaCount; ++sat) {
        if (sat != 5) {
            EXPECT_EQ(after.antenna(sat), before.antenna(sat)) << sat;
        }
    }
}

TEST(AntennaForm, CodesWithoutAnEntryShowNoSelectionAndStay) {
    WorkingSettings s;
    AntennaSettings a;
    a.set(AntennaField::DiseqcModeKu, 6);  // entries stop at 4
    a.set(AntennaField::ToneModeC, 3);     // entries stop at 2
    s.setAntenna(9, a);
    AntennaForm form(s);
    AntennaPositions p = form.positions(9);
    EXPECT_EQ(p[static_cast<std::size_t>(BandControl::Diseqc)], std::nullopt);
    EXPECT_EQ(p[kBandControls + static_cast<std::size_t>(BandControl::ToneBurst)], std::nullopt);
    p[static_cast<std::size_t>(BandControl::Power)] = 1;
    form.applyPositions(9, p);
    WorkingSettings after = s;
    form.store(after);
    EXPECT_EQ(after.antenna(9).get(AntennaField::DiseqcModeKu), 6);
    EXPECT_EQ(after.antenna(9).get(AntennaField::ToneModeC), 3);
    EXPECT_EQ(after.antenna(9).get(AntennaField::PowerModeKu), 1);
}

TEST(AntennaForm, AllSatellitesGotoXSetsTheThreeMotorModesOfAll63) {
    const WorkingSettings before = settingsWithAntennas();
    AntennaForm form(before);
    form.setAllMotorModes(3);
    WorkingSettings after = before;
    ASSERT_TRUE(form.store(after));
    for (std::size_t sat = 1; sat <= 63; ++sat) {
        AntennaSettings expected = before.antenna(sat);
        expected.set(AntennaField::MotorModeKu, 3);
        expected.set(AntennaField::MotorModeC, 3);
        expected.set(AntennaField::MotorModeLs, 3);
        EXPECT_EQ(after.antenna(sat), expected) << sat;
    }
    EXPECT_EQ(after.antenna(0), before.antenna(0));
}

TEST(AntennaForm, DumpLinesOfOneSatellite) {
    WorkingSettings s = settingsWithAntennas();
    AntennaSettings a;
    a.set(AntennaField::LnbKu, 3);
    a.set(AntennaField::DiseqcModeKu, 1);
    a.set(AntennaField::MotorModeKu, 2);
    a.set(AntennaField::MotorIdKu, 17);
    a.set(AntennaField::DiseqcModeC, 7);
    const auto lines = antennaDumpLines("Astra", a, s);
    ASSERT_EQ(lines.size(), 2u + 3 * 8);
    EXPECT_EQ(lines[0], "-==Sat 01 Change ==-");
    EXPECT_EQ(lines[1], "nazwa=[Astra]");
    EXPECT_EQ(lines[2], "ku --------------");
    EXPECT_EQ(lines[3], "lnb_ku = 3 (LNB) [C1]");
    EXPECT_EQ(lines[4], "diseqcMode_ku = 1 [B / LNB 2]");
    EXPECT_EQ(lines[5], "motorMode_ku = 2 [Goto X]");
    EXPECT_EQ(lines[6], "toneMode_ku = 0");
    EXPECT_EQ(lines[7], "motorID_ku = 17");
    EXPECT_EQ(lines[8], "powerMode_ku = 0");
    EXPECT_EQ(lines[9], "input_ku = 0");
    EXPECT_EQ(lines[10], "c --------------");
    EXPECT_EQ(lines[11], "lnb_c = 0 (LNB) [Ku]");
    EXPECT_EQ(lines[12], "diseqcMode_c = 7 []");
    EXPECT_EQ(lines[18], "ls --------------");
    EXPECT_EQ(lines[25], "input_ls = 0");
}

TEST(ConverterForm, ValuesAreCheckedAndOnlyConvertersFourToEightChange) {
    const WorkingSettings before = settingsWithAntennas();
    ConverterForm form(before);
    using E = ConverterForm::Edit;
    EXPECT_EQ(form.edit(0, ConverterValue::Lof1, "9000"), E::Ignored);  // converters 1..3 are fixed
    EXPECT_EQ(form.edit(3, ConverterValue::Lof1, "abc"), E::Ignored);
    EXPECT_EQ(form.edit(3, ConverterValue::Lof1, ""), E::Ignored);
    EXPECT_EQ(form.edit(3, ConverterValue::Lof1, "4999"), E::Refused);
    EXPECT_EQ(form.edit(3, ConverterValue::Lof2, "30001"), E::Refused);
    EXPECT_EQ(form.edit(3, ConverterValue::Lof1, "70000"), E::Refused);
    EXPECT_FALSE(form.changed());
    EXPECT_EQ(form.edit(3, ConverterValue::Lof1, "5150"), E::Stored);  // the same value
    EXPECT_FALSE(form.changed());
    EXPECT_EQ(form.edit(3, ConverterValue::Threshold, "30000"), E::Stored);
    EXPECT_EQ(form.edit(7, ConverterValue::Lof2, "0x1388"), E::Stored);  // 5000
    EXPECT_TRUE(form.changed());

    WorkingSettings after = before;
    ASSERT_TRUE(form.store(after));
    EXPECT_EQ(after.converter(3), (Converter{5150, 5750, 30000, 1}));
    Converter eighth = before.converter(7);
    eighth.lof2 = 5000;
    EXPECT_EQ(after.converter(7), eighth);
    EXPECT_EQ(after.converter(0), before.converter(0));
}

TEST(ConverterForm, Texts) {
    EXPECT_EQ(converterChoiceText(0, {9750, 10600, 11700, 0}), "1. Ku 9750 10600 11700");
    EXPECT_EQ(converterTitle(3, {5150, 5750, 0, 3}), "04. L/S");
    EXPECT_EQ(converterTitle(4, {0, 0, 0, 9}), "05. ");
}
