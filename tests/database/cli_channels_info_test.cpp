// `channelsettings-cli channels` and `info` run as real processes on a generated database: the
// views with their orders and filters, the row texts, CSV, and the database facts.
#include "fixtures/image_builder.h"
#include "support/cli_runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace fx = cs::fixtures;

using cs::clitest::CliRun;
using cs::clitest::runCli;

// Seven channels on satellites 28, 30 and DVB-T, a gap at slot 6, two providers of two channels
// and one of a single channel, and favourite list 1 with positions 30, 7, 2 and 7.
fx::ImageBytes viewsImage() {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.defaultSatellites().listCount(2).listName(1, "Sport").listName(2, "News");
    b.provider(0, 1, "Alpha").provider(1, 2, "Beta").provider(2, 3, "Gamma");
    auto ch = [](std::string name, std::uint16_t sid, std::uint8_t sat, std::uint16_t provider) {
        fx::ChannelFields s;
        s.name = std::move(name);
        s.serviceId = sid;
        s.satellite = sat;
        s.providerNumber = provider;
        return s;
    };
    fx::ChannelFields c0 = ch("TV free 28", 10, 28, 1);
    c0.listPositions[0] = 30;
    fx::ChannelFields c1 = ch("TV scr 28", 11, 28, 1);
    c1.scrambled = true;
    c1.listPositions[0] = 7;
    fx::ChannelFields c2 = ch("Radio 28", 12, 28, 2);
    c2.videoPid = 0;
    c2.frequency = 10800;
    fx::ChannelFields c3 = ch("Radio scr 28", 13, 28, 2);
    c3.videoPid = 0;
    c3.scrambled = true;
    c3.listPositions[0] = 2;
    fx::ChannelFields c4 = ch("Eurosport", 5, 30, 0);
    c4.frequency = 11054;
    c4.symbolRate = 27500;
    c4.fec = 4;
    c4.audioLanguage = 26;
    c4.listPositions[0] = 7;
    fx::ChannelFields c5 = ch("Alpha, Z", 1, 30, 0);
    c5.frequency = 12000;
    fx::ChannelFields c7 = ch("Terra", 2, 64, 3);
    c7.frequency = 4745;
    b.channel(0, c0).channel(1, c1).channel(2, c2).channel(3, c3).channel(4, c4).channel(5, c5);
    b.channel(6, fx::withBadCrc(ch("gap", 9, 28, 0)));
    b.channel(7, c7);
    return b.build();
}

std::vector<int> slotsOf(const std::string& json) {
    std::vector<int> slots;
    static const std::regex slot("\"slot\": ([0-9]+)");
    for (auto it = std::sregex_iterator(json.begin(), json.end(), slot); it != std::sregex_iterator(); ++it)
        slots.push_back(std::stoi((*it)[1]));
    return slots;
}

class CliViews : public ::testing::Test {
protected:
    void SetUp() override { fx::writeFile(file(), viewsImage()); }
    std::string file() const { return (dir / "views.dsp").string(); }
    CliRun channels(std::vector<std::string> options) {
        options.insert(options.begin(), {"channels", file()});
        return runCli(dir.path(), options);
    }
    fx::TempDir dir;
};

TEST_F(CliViews, EachViewListsItsChannelsInViewOrder) {
    struct Case {
        std::vector<std::string> options;
        std::vector<int> slots;
    };
    const Case cases[] = {
        {{}, {0, 1, 2, 3, 4, 5, 7}},
        {{"--satellite", "30"}, {4, 5}},
        {{"--satellite", "64"}, {7}},
        {{"--order", "0"}, {0, 1, 2, 3, 4, 5, 7}},
        {{"--order", "1"}, {2, 0, 1, 3, 4, 5, 7}},
        {{"--order", "2"}, {2, 3, 0, 1, 5, 4, 7}},
        {{"--tv-radio", "1"}, {0, 1, 4, 5, 7}},
        {{"--tv-radio", "2"}, {2, 3}},
        {{"--fta-ca", "1"}, {0, 2, 4, 5, 7}},
        {{"--fta-ca", "2"}, {1, 3}},
        {{"--tv-radio", "2", "--fta-ca", "2", "--order", "1"}, {3}},
        {{"--provider", "2"}, {4, 5, 7}},
        {{"--provider", "3"}, {0, 1}},
        {{"--provider", "4", "--order", "2"}, {2, 3}},
        {{"--provider", "1"}, {0, 1, 2, 3, 4, 5, 7}},
    };
    for (const Case& c : cases) {
        const CliRun r = channels(c.options);
        std::string what;
        for (const auto& o : c.options)
            what += o + " ";
        EXPECT_EQ(r.exitCode, 0) << what << r.err;
        EXPECT_EQ(slotsOf(r.out), c.slots) << what;
    }
}

TEST_F(CliViews, AFavouriteListWithGapsAndDuplicatePositionsIsRenumbered) {
    const CliRun r = channels({"--list", "1", "--tv-radio", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<int> slots = slotsOf(r.out);
    ASSERT_EQ(slots.size(), 4u);
    EXPECT_EQ(slots[0], 3);
    EXPECT_EQ((std::set<int>{slots[1], slots[2]}), (std::set<int>{1, 4}));
    EXPECT_EQ(slots[3], 0);
    static const std::regex position("\"listPosition\": ([0-9]+)");
    std::vector<int> positions;
    for (auto it = std::sregex_iterator(r.out.begin(), r.out.end(), position); it != std::sregex_iterator(); ++it)
        positions.push_back(std::stoi((*it)[1]));
    EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(slotsOf(channels({"--list", "2"}).out), std::vector<int>{});
}

TEST_F(CliViews, RowsCarryTheTextsOfTheChannelList) {
    const CliRun r = channels({"--satellite", "30"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("{\"slot\": 4, \"caption\": \"Eurosport\", \"language\": \"eng\", \"ca\": \" \", "
                         "\"frequency\": \"11054 MHz\", \"symbolRate\": \"27500 Kbs/s\", \"fec\": \"5/6\", "
                         "\"polarisation\": \"Hor\", \"satellite\": \"Hotbird\", \"video\": \"160\", "
                         "\"audio\": \"80\", \"provider\": \"\", \"listPosition\": 0}"),
              std::string::npos)
        << r.out;
    const CliRun t = channels({"--satellite", "64"});
    EXPECT_NE(t.out.find("\"frequency\": \"474.5 MHz\""), std::string::npos) << t.out;
    EXPECT_NE(t.out.find("\"satellite\": \"DVB-T\""), std::string::npos) << t.out;
    // The row shows the name the channel carries, although Gamma, with a single channel, is no
    // verified provider (the channel is listed under the unknown provider).
    EXPECT_NE(t.out.find("\"provider\": \"Gamma\""), std::string::npos) << t.out;
}

TEST_F(CliViews, CsvHasAHeaderAndQuotesFieldsThatNeedIt) {
    const CliRun r = channels({"--satellite", "30", "--format", "csv"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "slot,caption,language,ca,frequency,symbolRate,fec,polarisation,satellite,video,audio,provider,listPosition\n"
              "4,Eurosport,eng, ,11054 MHz,27500 Kbs/s,5/6,Hor,Hotbird,160,80,,0\n"
              "5,\"Alpha, Z\",eng, ,12000 MHz,22000 Kbs/s,5/6,Hor,Hotbird,160,80,,0\n");
}

TEST_F(CliViews, RefusesOptionsOutsideTheirRanges) {
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--list", "9"}, {"--satellite", "66"}, {"--order", "3"}, {"--tv-radio", "x"},
             {"--provider", "0"}, {"--provider", "6"}, {"--format", "xml"}, {"--unknown", "1"}}) {
        const CliRun r = channels(bad);
        EXPECT_EQ(r.exitCode, 1) << bad[0] << " " << bad[1];
        EXPECT_EQ(r.out, "") << bad[0];
        EXPECT_FALSE(r.err.empty());
    }
    const CliRun missing = runCli(dir.path(), {"channels", (dir / "missing.dsp").string()});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "File missing.dsp doesn't  exist\n");
}

TEST_F(CliViews, InfoCountsVerifiedProvidersUsedSatellitesAndListMembers) {
    const CliRun r = runCli(dir.path(), {"info", file()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"result\": 0, \"typeFile\": 0, \"kind\": \"settings.dsp\", \"capacity\": 4000, \"base\": true, "
              "\"config\": true, \"ba2\": true, \"ba3\": true, \"channels\": 7, \"providers\": 2, \"transponders\": 0, "
              "\"satellites\": [28, 30, 64], \"lists\": [{\"number\": 1, \"name\": \"Sport\", \"channels\": 4}, "
              "{\"number\": 2, \"name\": \"News\", \"channels\": 0}], \"free\": 3993, \"tv\": 5, \"radio\": 2, "
              "\"freeToAir\": 5, \"scrambled\": 2, \"damagedRecords\": 1, \"duplicates\": {\"services\": 0, \"names\": 0}, "
              "\"checks\": {\"settingsArea\": \"passed\", \"providerArea\": \"passed\"}, \"perSatellite\": ["
              "{\"satellite\": 28, \"name\": \"Astra\", \"channels\": 4}, {\"satellite\": 30, \"name\": \"Hotbird\", "
              "\"channels\": 2}, {\"satellite\": 64, \"name\": \"DVB-T\", \"channels\": 1}]}\n");
}

TEST_F(CliViews, SaveRenumbersProvidersAndKeepsTheViews) {
    const auto out = (dir / "saved.dsp").string();
    const CliRun s = runCli(dir.path(), {"save", file(), "--out", out});
    ASSERT_EQ(s.exitCode, 0) << s.err;
    EXPECT_NE(s.out.find("\"providers\": 2"), std::string::npos) << s.out;
    const fx::ImageBytes saved = fx::readFile(out);
    const std::size_t providerBlock = fx::layoutOf(fx::DatabaseFileKind::Settings, saved.size()).providerBlock();
    // Record order after compaction: Terra (slot 7) is record 6 and keeps no provider.
    const std::vector<int> numbers = {1, 1, 2, 2, 0, 0, 0};
    for (std::size_t j = 0; j < numbers.size(); ++j)
        EXPECT_EQ(fx::getU16(saved, providerBlock + 4 + 2 * j), numbers[j]) << j;
    const CliRun again = runCli(dir.path(), {"channels", out, "--order", "2"});
    EXPECT_EQ(slotsOf(again.out), (std::vector<int>{2, 3, 0, 1, 5, 4, 6}));
    const CliRun provider = runCli(dir.path(), {"channels", out, "--provider", "4"});
    EXPECT_EQ(slotsOf(provider.out), (std::vector<int>{2, 3}));
}

} // namespace
