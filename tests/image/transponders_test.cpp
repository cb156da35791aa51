// The transponder table: record fields at literal bits, load with its bounds, save order and
// layout, and the per-satellite list.
#include "image/transponders.h"

#include "fixtures/image_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace cs {
namespace {

namespace fx = cs::fixtures;

using Area = std::vector<std::uint8_t>;

constexpr std::size_t kTableBytes = 6 + 3840 * 6;

Area configOf(const fx::DatabaseImageBuilder& builder) {
    const auto image = builder.build();
    const auto at = builder.layout().config;
    return Area(image.begin() + static_cast<std::ptrdiff_t>(at), image.begin() + static_cast<std::ptrdiff_t>(at + 0x10000));
}

TransponderRecord record(const fx::Transponder6& bytes) {
    TransponderRecord r;
    std::copy(bytes.begin(), bytes.end(), r.bytes().begin());
    return r;
}

fx::Transponder6 slotAt(const Area& config, std::size_t slot) {
    fx::Transponder6 out;
    std::copy_n(config.begin() + static_cast<std::ptrdiff_t>(6 + slot * 6), 6, out.begin());
    return out;
}

TEST(TransponderRecord, FieldsMatchTheIndependentEncoder) {
    const auto s = record(fx::satelliteTransponder(5, 11778, 27500, /*fec*/ 5, /*pol*/ 1, /*iq*/ 2));
    EXPECT_EQ(s.satellite(), 5);
    EXPECT_EQ(s.frequency(), 11778);
    EXPECT_EQ(s.symbolRate(), 27500);
    EXPECT_EQ(s.fec(), 5u);
    EXPECT_EQ(s.polarisation(), 1u);
    EXPECT_EQ(s.iqMode(), 2u);
    EXPECT_EQ(s.sortKey(), 11778u * 2 + 1);

    const auto t = record(fx::dvbtTransponder(858000, 0xBEEF)); // above 16 bits: needs all 24
    EXPECT_EQ(t.dvbtFrequency(), 858000u);
    EXPECT_EQ(t.sortKey(), 858000u);
    EXPECT_EQ(t.bytes()[4], 0xEF);
    EXPECT_EQ(t.bytes()[5], 0xBE);

    const auto c = record(fx::dvbcTransponder(3620, 6900, /*qam*/ 4, /*iq*/ 9));
    EXPECT_EQ(c.frequency(), 3620);
    EXPECT_EQ(c.symbolRate(), 6900);
    EXPECT_EQ(c.dvbcConstellation(), 4u);
    EXPECT_EQ(c.dvbcIqMode(), 9u);
    EXPECT_EQ(c.sortKey(), 3620u);
}

TEST(TransponderRecord, SettersTouchOnlyTheirBits) {
    TransponderRecord s;
    s.setSatellite(7);
    s.setFrequency(12000);
    s.setSymbolRate(22000);
    s.bytes()[1] = 0xC0; // bits 6-7 belong to no field
    s.setFec(6);
    s.setPolarisation(1);
    s.setIqMode(3);
    EXPECT_EQ(s.bytes()[1], 0xC0 | 0x06 | 0x08 | 0x30);
    s.setFec(9); // masked to 3 bits
    s.setPolarisation(0);
    EXPECT_EQ(s.bytes()[1], 0xC0 | 0x01 | 0x30);
    EXPECT_EQ(record(fx::satelliteTransponder(7, 12000, 22000, 1, 0, 3)).bytes()[2], s.bytes()[2]);

    TransponderRecord t;
    t.setSatellite(64);
    t.bytes()[4] = 0x12;
    t.setDvbtFrequency(0x0ABCDEF);
    EXPECT_EQ(t.bytes()[1], 0xEF);
    EXPECT_EQ(t.bytes()[2], 0xCD);
    EXPECT_EQ(t.bytes()[3], 0xAB);
    EXPECT_EQ(t.bytes()[4], 0x12);

    TransponderRecord c;
    c.setDvbcConstellation(6);
    c.setDvbcIqMode(2);
    EXPECT_EQ(c.bytes()[1], 0x26);
}

TEST(TransponderRecord, OnlySatelliteNumbersOneToSixtyFiveAreInUse) {
    for (int sat : {0, 66, 70, 255})
        EXPECT_FALSE(record({static_cast<std::uint8_t>(sat), 0, 0, 0, 0, 0}).inUse()) << sat;
    for (int sat : {1, 63, 64, 65})
        EXPECT_TRUE(record({static_cast<std::uint8_t>(sat), 0, 0, 0, 0, 0}).inUse()) << sat;
}

TEST(LoadTransponders, CopiesInUseRecordsWithoutGaps) {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    const auto a = fx::satelliteTransponder(28, 11494, 22000, 4, 0);
    const auto c = fx::dvbtTransponder(474000);
    const auto d = fx::dvbcTransponder(3460, 6900, 4);
    b.transponder(a);
    b.transponder({0, 1, 2, 3, 4, 5});       // empty slot
    b.transponder(c);
    b.transponder({70, 0x10, 0x20, 0, 0, 0}); // beyond DVB-C: empty slot
    b.transponder(d);
    auto config = configOf(b);

    TransponderTable table;
    table[3000] = record(fx::satelliteTransponder(1, 10000, 1000)); // left over from a previous file
    EXPECT_EQ(loadTransponders(table, config), 3u);
    EXPECT_EQ(table[0], record(a));
    EXPECT_EQ(table[1], record(c));
    EXPECT_EQ(table[2], record(d));
    EXPECT_EQ(countTransponders(table), 3u);
    EXPECT_FALSE(table[3000].inUse());
}

TEST(LoadTransponders, ReadsNoMoreThanTheStoredCountOrTheSlots) {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    for (std::size_t i = 0; i < 3840; ++i)
        b.transponderRaw(i, fx::satelliteTransponder(static_cast<std::uint8_t>(1 + i % 63), static_cast<std::uint16_t>(10700 + i), 27500));
    TransponderTable table;

    b.transponderCount(10);
    EXPECT_EQ(loadTransponders(table, configOf(b)), 10u);

    b.transponderCount(65535); // far beyond the table: bounded by its 3840 slots
    auto config = configOf(b);
    // Bytes past the table look like records but are not part of it.
    std::fill(config.begin() + kTableBytes, config.begin() + kTableBytes + 60, std::uint8_t{0x01});
    EXPECT_EQ(loadTransponders(table, config), 3840u);
    EXPECT_EQ(table[3839].frequency(), 10700 + 3839);
}

TEST(LoadTransponders, NoConfigAreaLeavesAnEmptyTable) {
    TransponderTable table;
    table[0] = record(fx::satelliteTransponder(28, 11494, 22000));
    EXPECT_EQ(loadTransponders(table, {}), 0u);
    EXPECT_EQ(countTransponders(table), 0u);

    // An area too short to hold the table counts as absent rather than being read past its end.
    Area shortArea(kTableBytes - 1, 0x01);
    EXPECT_EQ(loadTransponders(table, shortArea), 0u);
}

TEST(SaveTransponders, GroupsBySatelliteSortsAndFillsTheRestWithFF) {
    TransponderTable table;
    const auto v = fx::satelliteTransponder(5, 11000, 27500, 3, /*pol*/ 1);
    const auto h = fx::satelliteTransponder(5, 11000, 27500, 3, /*pol*/ 0);
    const auto low = fx::satelliteTransponder(5, 10900, 22000, 3, 1);
    const auto first = fx::satelliteTransponder(1, 12500, 30000);
    const auto dvbtHigh = fx::dvbtTransponder(858000);
    const auto dvbtLow = fx::dvbtTransponder(66000 + 65536); // low 16 bits alone would sort wrongly
    const auto cable = fx::dvbcTransponder(3460, 6900);
    table[0] = record(dvbtHigh);
    table[1] = record(v);
    table[2] = record(cable);
    table[4] = record({70, 1, 2, 3, 4, 5}); // dropped
    table[5] = record(h);
    table[9] = record(dvbtLow);
    table[20] = record(low);
    table[3839] = record(first);

    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.fillCarried(11);
    auto config = configOf(b);
    const auto before = config;
    EXPECT_EQ(saveTransponders(table, config), 7u);

    EXPECT_EQ(fx::getU16(config, 0), 100);
    EXPECT_EQ(fx::getU16(config, 2), 7);
    EXPECT_EQ(fx::getU16(config, 4), 0);
    const std::vector<fx::Transponder6> expected = {first, low, h, v, dvbtLow, dvbtHigh, cable};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(slotAt(config, i), expected[i]) << "slot " << i;
    for (std::size_t i = 6 + 7 * 6; i < kTableBytes; ++i)
        ASSERT_EQ(config[i], 0xFF) << "offset " << i;
    // The rest of CONFIG is not the table's business.
    EXPECT_TRUE(std::equal(config.begin() + kTableBytes, config.end(), before.begin() + kTableBytes));
}

TEST(SaveTransponders, OpenAndSaveReproduceASavedTable) {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::SettingsR78);
    b.transponder(fx::dvbtTransponder(474000, 0x1234)); // unsorted on purpose
    for (std::uint16_t f = 12700; f >= 10700; f -= 50)
        b.transponder(fx::satelliteTransponder(static_cast<std::uint8_t>(1 + f % 7), f, 27500, f % 7, f % 2, f % 4));
    b.transponder(fx::satelliteTransponder(3, 11000, 27500, 1));
    b.transponder(fx::satelliteTransponder(3, 11000, 22000, 2)); // same key, different content
    b.transponder(fx::dvbcTransponder(3620, 6900, 6, 1));
    TransponderTable table;
    const auto once = configOf(b);
    const auto loaded = loadTransponders(table, once);

    auto saved = once;
    ASSERT_EQ(saveTransponders(table, saved), loaded);
    TransponderTable again;
    loadTransponders(again, saved);
    auto savedAgain = saved;
    saveTransponders(again, savedAgain);
    EXPECT_EQ(savedAgain, saved);
    EXPECT_EQ(again[0].satellite(), 1);
    EXPECT_EQ(again[loaded - 1].satellite(), 65);
}

TEST(SaveTransponders, AFullTableFitsAndAnEmptyOneLeavesOnlyTheHeader) {
    TransponderTable table;
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = record(fx::satelliteTransponder(63, static_cast<std::uint16_t>(13000 - i), 27500));
    Area config(0x10000, 0);
    EXPECT_EQ(saveTransponders(table, config), 3840u);
    EXPECT_EQ(fx::getU16(config, 2), 3840);
    EXPECT_EQ(fx::getU16(config, 6 + 2), 13000 - 3839);
    EXPECT_EQ(fx::getU16(config, kTableBytes - 4), 13000);
    EXPECT_EQ(config[kTableBytes], 0); // first byte after the table untouched

    TransponderTable empty;
    EXPECT_EQ(saveTransponders(empty, config), 0u);
    EXPECT_EQ(fx::getU16(config, 0), 100);
    EXPECT_EQ(fx::getU16(config, 2), 0);
    EXPECT_TRUE(std::all_of(config.begin() + 6, config.begin() + kTableBytes, [](std::uint8_t x) { return x == 0xFF; }));
}

TEST(TransponderListOfSatellite, ReturnsOneSatelliteInKeyOrder) {
    TransponderTable table;
    table[0] = record(fx::satelliteTransponder(5, 11005, 27500, 0, 1));
    table[1] = record(fx::satelliteTransponder(6, 10000, 27500));
    table[2] = record(fx::satelliteTransponder(5, 11005, 27500, 0, 0));
    table[3] = record(fx::satelliteTransponder(5, 10950, 27500));
    table[7] = record(fx::dvbtTransponder(700000));
    table[8] = record(fx::dvbtTransponder(65536 + 100));
    table[9] = record({0, 0, 0, 0, 0, 0});

    const auto five = transponderList(5, table);
    ASSERT_EQ(five.count, 3u);
    EXPECT_EQ(std::vector<std::uint16_t>(five.indices().begin(), five.indices().end()),
              (std::vector<std::uint16_t>{3, 2, 0}));
    const auto dvbt = transponderList(64, table);
    EXPECT_EQ(std::vector<std::uint16_t>(dvbt.indices().begin(), dvbt.indices().end()),
              (std::vector<std::uint16_t>{8, 7}));
    EXPECT_EQ(transponderList(0, table).count, 0u); // free slots are never listed
    EXPECT_EQ(transponderList(40, table).count, 0u);
}

} // namespace
} // namespace cs
