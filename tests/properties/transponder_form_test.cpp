// The transponder-list page's working table, its rows, and the transponder dialog's record with
// the duplicate rule.
#include "properties/transponder_form.h"

#include "fixtures/image_builder.h"

#include <gtest/gtest.h>

#include <memory>

using namespace cs;
using namespace cs::properties;
namespace fx = cs::fixtures;

namespace {

TransponderRecord recordOf(const fx::Transponder6& bytes) {
    TransponderRecord r;
    std::copy(bytes.begin(), bytes.end(), r.bytes().begin());
    return r;
}

std::unique_ptr<TransponderTable> tableOf(std::initializer_list<fx::Transponder6> records) {
    auto table = std::make_unique<TransponderTable>();
    std::size_t i = 0;
    for (const auto& r : records)
        (*table)[i++] = recordOf(r);
    return table;
}

TransponderInput satelliteInput(unsigned satellite, const char* mhz, int polarisation, const char* rate = "27500") {
    TransponderInput in;
    in.satellite = satellite;
    in.frequency = mhz;
    in.symbolRate = rate;
    in.polarisation = polarisation;
    in.fec = 5;
    in.iqMode = 0;
    return in;
}

} // namespace

TEST(TransponderForm, RowsOfOneSatelliteInKeyOrder) {
    auto table = tableOf({fx::satelliteTransponder(5, 11000, 27500, 3, 1, 1), fx::satelliteTransponder(5, 11000, 22000, 5, 0, 2),
                          fx::dvbtTransponder(474000), fx::dvbcTransponder(3460, 6900, 4, 1),
                          fx::satelliteTransponder(6, 10700, 5632)});
    TransponderForm form(*table);
    const auto rows = form.rows(5);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].slot, 1);
    EXPECT_EQ(rows[0].texts, (std::array<std::string, 6>{"001)", "11000 MHz", "Hor", "22000", "7/8", "IQ INVERTED"}));
    EXPECT_EQ(rows[1].texts, (std::array<std::string, 6>{"002)", "11000 MHz", "Ver", "27500", "3/4", "IQ NORMAL"}));
    EXPECT_EQ(form.rows(64).at(0).texts[1], "474.0 MHz");
    EXPECT_EQ(form.rows(65).at(0).texts, (std::array<std::string, 6>{"001)", "346.0 MHz", "QAM 64", "6900 kS/s", "", "IQ NORMAL"}));
    EXPECT_TRUE(form.rows(7).empty());
}

TEST(TransponderForm, DuplicateRuleSixMegahertzSamePolarisationNotItself) {
    auto table = tableOf({fx::satelliteTransponder(5, 11005, 27500, 0, 1), fx::satelliteTransponder(5, 11000, 27500, 0, 1),
                          fx::satelliteTransponder(5, 11500, 27500, 0, 0)});
    TransponderForm form(*table);
    struct Case {
        const char* mhz;
        int polarisation;
        std::optional<std::uint16_t> changing;
        TransponderBuild::Outcome outcome;
    };
    using O = TransponderBuild::Outcome;
    const Case cases[] = {
        {"11001", 1, std::nullopt, O::Duplicate},  // next to 11005 V and 11000 V
        {"11011", 1, std::nullopt, O::Built},      // 6 MHz from 11005 V: not a duplicate
        {"11006", 0, std::nullopt, O::Built},      // horizontal
        {"11495", 0, std::nullopt, O::Duplicate},  // 11500 H
        {"11494", 0, std::nullopt, O::Built},      // 6 MHz below 11500 H
        {"11494", 1, std::nullopt, O::Built},
        {"11005", 1, 0, O::Duplicate},  // changing 11005 V to itself is fine, but 11000 V is near
        {"11500", 0, 2, O::Built},      // a transponder changed to its own frequency
        {"11000", 1, std::nullopt, O::Duplicate},
    };
    for (const Case& c : cases)
        EXPECT_EQ(buildTransponder(satelliteInput(5, c.mhz, c.polarisation), form, c.changing).outcome, c.outcome)
            << c.mhz << ' ' << c.polarisation;
    // Another satellite's transponders never count.
    EXPECT_EQ(buildTransponder(satelliteInput(6, "11001", 1), form, std::nullopt).outcome, O::Built);
}

TEST(TransponderForm, DialogRangesAndTheBuiltRecord) {
    auto table = std::make_unique<TransponderTable>();
    TransponderForm form(*table);
    using O = TransponderBuild::Outcome;
    struct Case {
        const char* mhz;
        const char* rate;
        O outcome;
    };
    const Case cases[] = {{"9749", "27500", O::Invalid}, {"9750", "27500", O::Built},  {"12900", "27500", O::Built},
                          {"12901", "27500", O::Invalid}, {"abc", "27500", O::Invalid}, {"11000", "999", O::Invalid},
                          {"11000", "1000", O::Built},   {"11000", "30000", O::Built}, {"11000", "30001", O::Invalid}};
    for (const Case& c : cases)
        EXPECT_EQ(buildTransponder(satelliteInput(3, c.mhz, 0, c.rate), form, std::nullopt).outcome, c.outcome)
            << c.mhz << ' ' << c.rate;

    TransponderInput in = satelliteInput(3, "12188", 1, "0x6B6C");
    in.fec = 3;
    in.iqMode = 2;
    const TransponderBuild built = buildTransponder(in, form, std::nullopt);
    ASSERT_EQ(built.outcome, O::Built);
    EXPECT_EQ(built.record, recordOf(fx::satelliteTransponder(3, 12188, 27500, 3, 1, 2)));

    TransponderInput t;
    t.satellite = 64;
    t.terrestrialFrequency = "474.0";
    EXPECT_EQ(buildTransponder(t, form, std::nullopt).record, recordOf(fx::dvbtTransponder(474000)));
    t.terrestrialFrequency = "kanal";
    EXPECT_EQ(buildTransponder(t, form, std::nullopt).outcome, O::Nothing);
    t.terrestrialFrequency = "16777.216";  // 24 bits of kHz exceeded
    EXPECT_EQ(buildTransponder(t, form, std::nullopt).outcome, O::Invalid);
}

TEST(TransponderForm, AddDeleteAndReuseOfTheFreedSlot) {
    auto original = tableOf({fx::satelliteTransponder(5, 11000, 27500), fx::satelliteTransponder(5, 11100, 27500)});
    TransponderForm form(*original);
    EXPECT_EQ(form.firstFreeSlot(), 2);
    form.erase({0});
    EXPECT_TRUE(form.changed());
    EXPECT_EQ(form.firstFreeSlot(), 0);
    EXPECT_TRUE(form.put(0, recordOf(fx::satelliteTransponder(5, 12000, 27500))));
    // Cable records are listed but never stored from the dialog.
    EXPECT_FALSE(form.put(2, recordOf(fx::dvbcTransponder(3460, 6900))));

    TransponderTable target = *original;
    ASSERT_TRUE(form.store(target));
    EXPECT_EQ(target[0], recordOf(fx::satelliteTransponder(5, 12000, 27500)));
    EXPECT_EQ(target[1], (*original)[1]);
    EXPECT_FALSE(target[2].inUse());
}

TEST(TransponderForm, FullTableHasNoFreeSlot) {
    auto table = std::make_unique<TransponderTable>();
    for (auto& r : *table)
        r = recordOf(fx::satelliteTransponder(1, 11000, 27500));
    TransponderForm form(*table);
    EXPECT_EQ(form.firstFreeSlot(), std::nullopt);
    TransponderTable target = *table;
    EXPECT_FALSE(form.store(target));
}
