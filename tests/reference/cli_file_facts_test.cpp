// `channelsettings-cli info` prints the numbers of the file information window after the fields
// it always printed: kinds of channels, damaged records left out, duplicates, area checks and
// the channels per satellite, on a generated file whose numbers are known.
#include "fixtures/image_builder.h"
#include "json_value.h"
#include "support/cli_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

namespace fx = cs::fixtures;
using cs::clitest::runCli;

fx::ChannelFields ch(std::string name, std::uint16_t sid, std::uint8_t satellite, bool radio = false,
                   bool scrambled = false) {
    fx::ChannelFields s;
    s.name = std::move(name);
    s.serviceId = sid;
    s.satellite = satellite;
    s.scrambled = scrambled;
    if (radio) {
        s.videoPid = 0;
        s.videoFlag = false;
    }
    return s;
}

TEST(CliFileFacts, InfoAddsTheWindowsNumbersAndKeepsItsFields) {
    fx::TempDir dir;
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.defaultSatellites().listCount(1).listName(1, "Fav");
    fx::ChannelFields inList = ch("One", 1, 28);
    inList.listPositions[0] = 1;
    b.channel(0, inList).channel(1, ch("Two", 2, 28, true)).channel(2, ch("Three", 3, 28, false, true));
    b.channel(3, ch("One", 1, 28));  // the same service again
    b.channel(4, ch("Four", 4, 19, true, true));
    b.channel(5, fx::withBadCrc(ch("Broken", 5, 19)));
    b.channel(7, fx::withBadCrc(ch("Broken too", 6, 19)));
    b.settingsCrc(fx::AreaCrc::Wrong);
    fx::writeFile(dir / "facts.dsp", b.build());

    const auto r = runCli(dir.path(), {"info", (dir / "facts.dsp").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string error;
    const auto json = cs::clitest::parseJson(r.out, &error);
    ASSERT_TRUE(json) << error;
    const std::vector<std::string> keys = json->keys();
    const std::vector<std::string> kept = {"result", "typeFile", "kind", "capacity", "base", "config", "ba2", "ba3",
                                           "channels", "providers", "transponders", "satellites", "lists"};
    ASSERT_GE(keys.size(), kept.size());
    EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(kept.size())), kept);

    const cs::clitest::Json& j = *json;
    EXPECT_EQ(j["channels"].integer(), 5);
    EXPECT_EQ(j["free"].integer(), j["capacity"].integer() - 5);
    EXPECT_EQ(j["tv"].integer(), 3);
    EXPECT_EQ(j["radio"].integer(), 2);
    EXPECT_EQ(j["freeToAir"].integer(), 3);
    EXPECT_EQ(j["scrambled"].integer(), 2);
    EXPECT_EQ(j["damagedRecords"].integer(), 2);
    EXPECT_EQ(j["duplicates"]["services"].integer(), 1);
    EXPECT_EQ(j["duplicates"]["names"].integer(), 1);
    EXPECT_EQ(j["checks"]["settingsArea"].text, "failed");
    EXPECT_EQ(j["checks"]["providerArea"].text, "passed");
    ASSERT_EQ(j["perSatellite"].items.size(), 2u);
    EXPECT_EQ(j["perSatellite"][0]["satellite"].integer(), 19);
    EXPECT_EQ(j["perSatellite"][0]["channels"].integer(), 1);
    EXPECT_EQ(j["perSatellite"][1]["satellite"].integer(), 28);
    EXPECT_EQ(j["perSatellite"][1]["channels"].integer(), 4);
    EXPECT_FALSE(j["perSatellite"][1]["name"].text.empty());
}

} // namespace
