// Name lists, character filters and the text builders.
#include "database/name_lists.h"
#include "database_test_support.h"

#include <map>

namespace cs::dbtest {
namespace {

TEST(NameLists, IndexesOutsideAListGiveEmptyTexts) {
    EXPECT_EQ(fecText(0), "FEC NONE");
    EXPECT_EQ(fecText(6), "auto");
    EXPECT_EQ(fecText(7), "");
    EXPECT_EQ(polarisationText(3), "Right");
    EXPECT_EQ(polarisationText(4), "");
    EXPECT_EQ(iqModeText(3), "IQ AUTO");
    EXPECT_EQ(dvbtConstellationText(1), "C QAM16");
    EXPECT_EQ(dvbtModeText(2), "MODE 8K");
    EXPECT_EQ(dvbtGuardText(5), "AUTO");
    EXPECT_EQ(dvbtGuardText(6), "");
    EXPECT_EQ(dvbcConstellationText(7), "QAM AUTO");
    EXPECT_EQ(dvbcConstellationText(8), "");
    EXPECT_EQ(caModuleText(15), "PROFIL 08");
    EXPECT_EQ(caModuleText(16), "");
    EXPECT_EQ(orbitSideText(1), "E");
}

TEST(NameLists, AudioLanguagesAreReadAsSignedBytes) {
    EXPECT_EQ(audioLanguageOfByte(0), "no ");
    EXPECT_EQ(audioLanguageOfByte(26), "eng");
    EXPECT_EQ(audioLanguageOfByte(69), "pol");
    EXPECT_EQ(audioLanguageOfByte(93), "yid");
    EXPECT_EQ(audioLanguageOfByte(94), "");
    EXPECT_EQ(audioLanguageOfByte(127), "");
    EXPECT_EQ(audioLanguageOfByte(128), "");
    EXPECT_EQ(audioLanguageOfByte(255), "");
}

TEST(NameFilters, DropCharactersOutsideTheirRanges) {
    EXPECT_EQ(filterChannelName("Caf\xE9 1"), "Caf 1");
    EXPECT_EQ(filterChannelName("Caf\xC3\xA9 1"), "Caf 1");
    EXPECT_EQ(filterChannelName("a{b}c~z"), "abcz");
    EXPECT_EQ(filterProviderName("Sky\tLink"), "SkyLink");
    EXPECT_EQ(filterProviderName("a{b}c~\x7F"), "a{b}c");
}

TEST(FrequencyTexts, ShowTenthsOfMegahertz) {
    EXPECT_EQ(dvbtFrequencyText(4745), "474.5");
    EXPECT_EQ(dvbtFrequencyText(1740), "174.0");
    EXPECT_EQ(dvbcFrequencyText(3460), "346.0");
}

class TextsOfAnImage : public ::testing::Test {
protected:
    static fx::ImageBytes image() {
        auto b = settingsImage();
        fx::SatelliteFields hot;
        hot.name = "Hotbird";
        hot.position = 13.0f;
        hot.side = 1;
        b.satellite(30, hot).listCount(3).listName(1, "One").listName(3, "Sport");
        b.provider(0, 1, "Sky\tLink").provider(1, 2, "Other");
        fx::ChannelFields sat = tv("Caf\xE9 1", 17, 30);
        sat.frequency = 11054;
        sat.symbolRate = 27500;
        sat.fec = 4;
        sat.polarisation = 0;
        sat.scrambled = true;
        sat.audioLanguage = 26;
        sat.providerNumber = 1;
        b.channel(0, sat);
        fx::ChannelFields other = tv("Second", 2, 30);
        other.providerNumber = 1;
        b.channel(1, other);
        fx::ChannelFields t = tv("Terra", 3, 64);
        t.frequency = 4745;
        t.ofdm = static_cast<std::uint8_t>((2 << 2) | 3);  // QAM64, guard 1/16
        t.audioLanguage = 200;
        b.channel(2, t);
        fx::ChannelFields c = radio("Cable FM", 4, 65);
        c.frequency = 3460;
        c.symbolRate = 6900;
        c.cableConstellation = 6;
        c.fec = 7;
        b.channel(3, c);
        return b.build();
    }
    OpenDatabase o{image()};
    DisplayTexts texts{o.db, lang::englishTexts()};
};

TEST_F(TextsOfAnImage, SatelliteTextsInTheirThreeStyles) {
    EXPECT_EQ(texts.satelliteText(30, 0), "Hotbird");
    EXPECT_EQ(texts.satelliteText(30, 1), "S30-Hotbird [13.00 E]");
    EXPECT_EQ(texts.satelliteText(30, 2), "S30-Hotbird");
    EXPECT_EQ(texts.satelliteText(28, 1), "S28-Astra [19.20 E]");
    EXPECT_EQ(texts.satelliteText(64, 1), "DVB-T");
    EXPECT_EQ(texts.satelliteText(65, 0), "DVB-C");
    EXPECT_EQ(texts.satelliteText(0, 1), "NoName");
    EXPECT_EQ(texts.satelliteText(66, 0), "NoName");
    EXPECT_EQ(texts.satelliteText(255, 2), "NoName");
    o.mainList();
    const auto nodes = texts.satelliteNodes();
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[0].number, 30);
    EXPECT_EQ(nodes[0].text, "S30-Hotbird [13.00 E]");
    EXPECT_EQ(nodes[2].text, "DVB-C");
}

TEST_F(TextsOfAnImage, ListAndProviderTexts) {
    EXPECT_EQ(texts.listText(3, 0), "LIST Sport");
    EXPECT_EQ(texts.listText(3, 2), "LIST Sport");
    EXPECT_EQ(texts.listText(0, 0), "MAIN LIST");
    EXPECT_EQ(texts.listText(9, 1), "MAIN LIST");
    o.mainList();
    EXPECT_EQ(texts.providerText(TreeNode::unknownProvider()), "'unknown'");
    EXPECT_EQ(texts.providerText(TreeNode::provider(0)), "SkyLink");
}

TEST_F(TextsOfAnImage, ChannelRowsOfSatelliteTerrestrialAndCableChannels) {
    const ChannelRow sat = texts.channelRowTexts(0, 1, false);
    EXPECT_EQ(sat.image, 3);
    EXPECT_EQ(sat.caption, "Caf 1");
    EXPECT_EQ(sat.name, "Caf 1");
    EXPECT_EQ(sat.language, "eng");
    EXPECT_EQ(sat.ca, "+");
    EXPECT_EQ(sat.frequency, "11054 MHz");
    EXPECT_EQ(sat.symbolRate, "27500 Kbs/s");
    EXPECT_EQ(sat.fec, "5/6");
    EXPECT_EQ(sat.polarisation, "Hor");
    EXPECT_EQ(sat.satellite, "Hotbird");
    EXPECT_EQ(sat.video, "160");
    EXPECT_EQ(sat.audio, "80");
    EXPECT_EQ(sat.provider, "Sky\tLink");  // the entry's name as it is

    const ChannelRow t = texts.channelRowTexts(2, 12, true);
    EXPECT_EQ(t.caption, "0012");
    EXPECT_EQ(t.name, "Terra");
    EXPECT_EQ(t.language, "");
    EXPECT_EQ(t.ca, " ");
    EXPECT_EQ(t.frequency, "474.5 MHz");
    EXPECT_EQ(t.symbolRate, "C QAM64");
    EXPECT_EQ(t.fec, "");
    EXPECT_EQ(t.polarisation, "INTERVAL 1_16");
    EXPECT_EQ(t.satellite, "DVB-T");

    const ChannelRow c = texts.channelRowTexts(3, 1, false);
    EXPECT_EQ(c.image, 4);
    EXPECT_EQ(c.frequency, "346.0 MHz");
    EXPECT_EQ(c.symbolRate, "6900 kS/s");
    EXPECT_EQ(c.fec, "QAM 256");
    EXPECT_EQ(c.polarisation, "");
    EXPECT_EQ(c.satellite, "DVB-C");
    EXPECT_EQ(c.video, "0");
}

TEST_F(TextsOfAnImage, RowOfAnUnusedSlotHasNoSatelliteAndEmptyNameListTexts) {
    ChannelRecord& r = o.db.record(10);
    r = ChannelRecord();
    r.setFec(7);
    r.setPolarisation(1);
    const ChannelRow row = texts.channelRowTexts(10, 1, false);
    EXPECT_EQ(row.satellite, "");
    EXPECT_EQ(row.fec, "");
    EXPECT_EQ(row.polarisation, "Ver");
    EXPECT_EQ(row.image, 2);
}

TEST_F(TextsOfAnImage, PromptsJoinTheirParts) {
    EXPECT_EQ(texts.copyMovePrompt(false, 1, "BBC", 3), "Copy channel BBC to LIST Sport");
    EXPECT_EQ(texts.copyMovePrompt(true, 4, "BBC", 1), "Move 4 to LIST One");
    EXPECT_EQ(texts.removePrompt(1, "BBC", 0), "Delete Channel BBC from MAIN LIST");
    EXPECT_EQ(texts.removePrompt(2, "BBC", 3), "Remove 2 from LIST Sport");
    EXPECT_EQ(texts.copyAllPrompt(1, 3), "Copy all channels from LIST One from LIST Sport");
    o.mainList();
    EXPECT_EQ(texts.copyAllProviderPrompt(TreeNode::provider(0), 1), "Copy all channels from SkyLink from LIST One");
    EXPECT_EQ(texts.eraseAllPrompt(TreeNode::mainList()), "Delete all channels from MAIN LIST");
    EXPECT_EQ(texts.eraseAllPrompt(TreeNode::satellite(30)), "Delete all channels from Hotbird");
    EXPECT_EQ(texts.eraseAllPrompt(TreeNode::favouriteList(3)), "Delete all channels from LIST Sport");
    EXPECT_EQ(texts.eraseAllPrompt(TreeNode::unknownProvider()), "Delete all channels from 'unknown'");
}

TEST_F(TextsOfAnImage, LanguageTextsComeThroughTheInjectedLookup) {
    const std::map<std::string, std::string> polish = {
        {"TextList", "LISTA"}, {"TextListMain", "LISTA GLOWNA"}, {"TreeViewUnknow", "'nieznany'"},
        {"TextRemoveChannel", "Usuń kanał"}};
    const DisplayTexts pl(o.db, [&](std::string_view key) {
        const auto it = polish.find(std::string(key));
        return it == polish.end() ? std::string("?") : it->second;
    });
    EXPECT_EQ(pl.listText(3, 1), "LISTA Sport");
    EXPECT_EQ(pl.listText(0, 1), "LISTA GLOWNA");
    EXPECT_EQ(pl.providerText(TreeNode::unknownProvider()), "'nieznany'");
    EXPECT_EQ(pl.removePrompt(2, "x", 0), "? 2 ? LISTA GLOWNA");
    EXPECT_EQ(pl.removePrompt(1, "x", 0), "Usuń kanał x ? LISTA GLOWNA");
}

} // namespace
} // namespace cs::dbtest
