// The satellite and favourite-list defaults at program start and at every open.
#include "image/satellite_defaults.h"

#include "fixtures/image_builder.h"

#include <gtest/gtest.h>

#include <string>

namespace cs {
namespace {

namespace fx = cs::fixtures;

TEST(SatelliteDefaults, EveryOpenStartsFromTheBuiltInTable) {
    SettingsModel model;
    model.listCount = 2;
    model.setListName(1, "Old list");
    model.satellites[28].setName("Stale");
    loadSettingsDefaults(model);

    // Compared against the fixture generator's own copy of the table.
    const auto expected = fx::builtinSatellites();
    ASSERT_EQ(expected.size(), kSatelliteEntryCount);
    for (std::size_t i = 0; i < kSatelliteEntryCount; ++i) {
        SCOPED_TRACE(i);
        const auto& sat = model.satellites[i];
        EXPECT_EQ(sat.nameView(), expected[i].name);
        EXPECT_FLOAT_EQ(sat.position, expected[i].position);
        EXPECT_GE(sat.position, 0.0f);
        EXPECT_EQ(sat.side, expected[i].east ? 1 : 0);
        EXPECT_EQ(sat.name[15], '\0');
    }
    EXPECT_EQ(model.satellites[28].nameView(), "Astra");
    EXPECT_EQ(model.satellites[36].nameView(), "Thor"); // the first one west
    EXPECT_EQ(model.satellites[36].side, 0);

    EXPECT_EQ(model.listCount, 8);
    for (std::size_t k = 1; k <= 8; ++k)
        EXPECT_EQ(model.listName(k), std::string(1, static_cast<char>('0' + k)));
}

TEST(SatelliteDefaults, ProgramStartHoldsNumberedPlaceholders) {
    SettingsModel model;
    initialSatellites(model);
    for (std::size_t i = 0; i < 67; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(model.satellites[i].nameView(), "NoName " + std::to_string(i + 1));
        EXPECT_FLOAT_EQ(model.satellites[i].position, 18.0f);
        EXPECT_EQ(model.satellites[i].side, 0);
    }
    EXPECT_EQ(model.listName(1), "1");
    EXPECT_EQ(model.listName(8), "8");
}

TEST(SatelliteDefaults, AnImageWithoutSettingsShowsTheBuiltInSatellites) {
    // A channels-only image has no CONFIG, hence no BA_2 to read.
    fx::DatabaseImageBuilder channels(fx::DatabaseFileKind::Channels);
    ASSERT_EQ(channels.layout().config, fx::ImageLayout::npos);

    SettingsModel model;
    initialSatellites(model);
    loadSettingsDefaults(model);
    MemoryLog log;
    loadSettings(model, {}, log);
    EXPECT_EQ(model.satellites[28].nameView(), "Astra");
    EXPECT_FLOAT_EQ(model.satellites[28].position, 19.2f);
    EXPECT_EQ(model.satellites[28].side, 1);
    EXPECT_EQ(model.listCount, 8);
}

} // namespace
} // namespace cs
