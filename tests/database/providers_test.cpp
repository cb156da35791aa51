// Providers: attaching names at open, verification and the provider list, the provider
// filters, the renumbering at save and what the save leaves in memory.
#include "database_test_support.h"

namespace cs::dbtest {
namespace {

fx::ChannelFields withProvider(fx::ChannelFields s, std::uint16_t number) {
    s.providerNumber = number;
    return s;
}

std::string providerOf(const OpenDatabase& o, std::uint16_t slot) { return std::string(o.db.entry(slot).provider()); }

TEST(ProviderRebuild, ANameOfTwoChannelsBecomesProviderOneAndASingleNameNoProvider) {
    auto b = settingsImage();
    b.provider(0, 1, "X").provider(1, 2, "Y");
    b.channel(0, withProvider(tv("A", 1), 1));
    b.channel(1, withProvider(tv("B", 2), 2));
    b.channel(2, fx::withBadCrc(tv("broken", 3)));  // an empty slot before the last channel
    b.channel(3, withProvider(tv("C", 4), 1));
    OpenDatabase o(b.build());
    EXPECT_EQ(providerOf(o, 0), "X");
    EXPECT_EQ(providerOf(o, 1), "Y");
    EXPECT_EQ(providerOf(o, 3), "X");

    const auto out = o.pathOf("saved.dsp");
    ASSERT_EQ(o.flash.saveImage(out.string(), false), SaveResult::Saved);
    EXPECT_EQ(o.flash.lastSave().providers.providers, 1u);

    const fx::ImageBytes saved = fx::readFile(out);
    const auto layout = fx::layoutOf(fx::DatabaseFileKind::Settings, saved.size());
    const std::size_t providerBlock = layout.providerBlock();
    // Compacted: slot 3 became record 2.
    EXPECT_EQ(fx::getU16(saved, providerBlock + 4 + 0), 1);
    EXPECT_EQ(fx::getU16(saved, providerBlock + 4 + 2), 0);
    EXPECT_EQ(fx::getU16(saved, providerBlock + 4 + 4), 1);
    const std::size_t rec0 = providerBlock + 8004;
    EXPECT_EQ(saved[rec0], 0x80);
    EXPECT_EQ(fx::getU16(saved, rec0 + 2), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&saved[rec0 + 4])), "X");
    EXPECT_EQ(saved[rec0 + 23], 0xA5);
    for (std::size_t i = 0; i < 24; ++i)
        EXPECT_EQ(saved[rec0 + 24 + i], 0) << i;
    EXPECT_TRUE(fx::providerAreaValid(saved, layout));

    // The in-memory slots stay where they were and keep their own provider numbers, so the
    // provider view still shows the right channels after the save.
    EXPECT_EQ(o.db.providerNumber(0), 1);
    EXPECT_EQ(o.db.providerNumber(1), 0);
    EXPECT_EQ(o.db.providerNumber(2), 0);
    EXPECT_EQ(o.db.providerNumber(3), 1);
    o.mainList();
    ASSERT_EQ(o.db.providerCount(), 1u);
    o.db.chooseSingleProvider(0);
    o.view.providerFilterMode = kProviderSingle;
    EXPECT_EQ(o.mainList(), (Slots{0, 3}));
}

TEST(RefreshProviders, ListsProvidersOfTwoChannelsByNameAndDropsTheRest) {
    auto b = settingsImage();
    b.provider(0, 1, "zeta").provider(1, 2, "{Alpha").provider(2, 3, "Solo");
    b.channel(0, withProvider(tv("z1", 1), 1)).channel(1, withProvider(tv("z2", 2), 1));
    b.channel(2, withProvider(tv("a1", 3), 2)).channel(3, withProvider(tv("a2", 4), 2));
    b.channel(4, withProvider(tv("solo", 5), 3));
    b.channel(5, withProvider(tv("no record", 6), 9));
    OpenDatabase o(b.build());
    o.mainList();
    o.db.refreshProviders(true, o.view);
    ASSERT_EQ(o.db.providerCount(), 2u);
    // '{' lies outside 32..122 and does not count in the comparison.
    EXPECT_EQ(o.db.provider(0).name(), "{Alpha");
    EXPECT_EQ(o.db.provider(1).name(), "zeta");
    EXPECT_EQ(o.flash.providerWork().provider(2), ProviderRecord());
    EXPECT_EQ(o.db.providerNumber(4), 0);
    EXPECT_EQ(o.db.providerNumber(5), 0);
    EXPECT_EQ(o.db.providerNumber(0), 1);

    const DisplayTexts texts(o.db, lang::englishTexts());
    EXPECT_EQ(texts.providerNodes(), (std::vector<std::string>{"'unknown'", "{Alpha", "zeta"}));
    EXPECT_EQ(texts.providerText(TreeNode::unknownProvider()), "'unknown'");
    EXPECT_EQ(texts.providerText(TreeNode::provider(1)), "zeta");
    EXPECT_EQ(texts.providerText(TreeNode::provider(2)), "");
}

TEST(ProviderFilter, ModesSelectMarkedProvidersChannelsWithoutProviderOrOneProvider) {
    auto b = settingsImage();
    b.provider(0, 1, "Alpha").provider(1, 2, "Beta").provider(2, 3, "Gamma");
    b.channel(0, withProvider(tv("a1", 1), 1)).channel(1, withProvider(tv("a2", 2), 1));
    b.channel(2, withProvider(tv("b1", 3), 2)).channel(3, withProvider(tv("b2", 4, 5), 2));
    b.channel(4, withProvider(tv("g1", 5, 5), 3)).channel(5, withProvider(tv("g2", 6, 5), 3));
    b.channel(6, tv("none", 7));
    OpenDatabase o(b.build());
    o.mainList();
    ASSERT_EQ(o.db.providerCount(), 3u);

    o.view.providerFilterMode = kProviderNone;
    EXPECT_EQ(o.names(o.mainList()), (Names{"none"}));

    o.view.providerFilterMode = kProviderSingle;
    o.db.chooseSingleProvider(1);  // Beta
    EXPECT_EQ(o.names(o.mainList()), (Names{"b2", "b1"}));

    o.view.providerFilterMode = kProviderMarked;
    o.db.markProvider(0, 0x01, true);
    o.db.markProvider(2, 0x01, true);
    EXPECT_EQ(o.names(o.mainList()), (Names{"g1", "g2", "a1", "a2"}));
    // With a satellite filter only providers used on that satellite are selected.
    o.view.satelliteFilter = 28;
    o.db.refreshProviders(false, o.view);
    ASSERT_EQ(o.db.providerSelection().size(), 1u);
    EXPECT_EQ(o.db.providerSelection()[0], 0);
    o.view.satelliteFilter = 0;

    // No provider marked for the mode: everything is shown and the mode falls back.
    o.db.clearProviderMarks(0x01);
    EXPECT_EQ(o.mainList().size(), 7u);
    EXPECT_EQ(o.view.providerFilterMode, kProviderAll);
}

// The one provider chosen has no channel on the filtered satellite: the view is empty, never the
// channels without provider, and deleting that provider's channels there deletes nothing else.
TEST(ProviderFilter, SingleProviderWithoutChannelsOnTheFilteredSatelliteShowsAndDeletesNothing) {
    auto b = settingsImage();
    b.provider(0, 1, "Alpha").provider(1, 2, "Beta");
    b.channel(0, withProvider(tv("a1", 1, 28), 1)).channel(1, withProvider(tv("a2", 2, 28), 1));
    b.channel(2, withProvider(tv("b1", 3, 5), 2)).channel(3, withProvider(tv("b2", 4, 5), 2));
    b.channel(4, tv("none on 5", 5, 5)).channel(5, tv("none on 28", 6, 28));
    OpenDatabase o(b.build());
    o.mainList();
    ASSERT_EQ(o.db.providerCount(), 2u);

    o.view.satelliteFilter = 5;
    o.view.providerFilterMode = kProviderSingle;
    o.db.chooseSingleProvider(0);  // Alpha: only on satellite 28
    o.db.refreshProviders(true, o.view);
    EXPECT_TRUE(o.names(o.mainList()).empty());

    // Alpha is not selected on this satellite, so its deletion here takes nothing.
    EXPECT_EQ(o.db.deleteProviderChannels(TreeNode::provider(0), o.view), 0u);
    EXPECT_EQ(o.db.channelCount(), 6u);
    EXPECT_TRUE(o.db.entry(4).inUse());
    EXPECT_TRUE(o.db.entry(5).inUse());
}

TEST(ProviderArea, HostileNumbersNeverReachPastTheTables) {
    auto b = settingsImage();
    b.provider(0, 0xFFFF, "Max").provider(699, 0xFFFF, "Last record");
    for (std::size_t i = 1; i < 699; ++i)
        b.provider(i, 0, "zero", 0xFF, 0xA5);
    for (std::size_t slot = 0; slot < 4000; ++slot)
        b.providerNumber(slot, 0xFFFF);
    b.channel(0, withProvider(tv("m1", 1), 0xFFFF)).channel(1, withProvider(tv("m2", 2), 0xFFFF));
    b.channel(3999, withProvider(tv("last slot", 3), 0xFFFF));
    OpenDatabase o(b.build());
    EXPECT_EQ(providerOf(o, 3999), "Max");
    o.mainList();
    o.db.refreshProviders(true, o.view);
    ASSERT_EQ(o.db.providerCount(), 2u);
    EXPECT_EQ(o.db.provider(0).name(), "Last record");
    ASSERT_EQ(o.flash.saveImage(o.pathOf("out.dsp").string(), false), SaveResult::Saved);
    EXPECT_EQ(o.flash.lastSave().providers.providers, 1u);
}

TEST(SaveWithoutChannelTable, KeepsTheProviderAreaAsItWas) {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Config);
    b.defaultSatellites().provider(0, 1, "Kept").provider(1, 2, "Also kept");
    b.providerNumber(0, 1).providerNumber(1, 1).providerNumber(2, 2).providerNumber(3, 2);
    const fx::ImageBytes original = b.build();
    OpenDatabase o(original);
    ASSERT_EQ(o.openResult(), OpenResult::Loaded);
    EXPECT_EQ(o.db.capacity(), 0u);
    o.mainList();
    o.db.refreshProviders(true, o.view);
    ASSERT_EQ(o.flash.saveImage(o.pathOf("config.dsp").string(), false), SaveResult::Saved);
    const fx::ImageBytes saved = fx::readFile(o.pathOf("config.dsp"));
    ASSERT_EQ(saved.size(), original.size());
    const std::size_t providerBlock = b.layout().providerBlock();
    EXPECT_TRUE(std::equal(original.begin() + static_cast<std::ptrdiff_t>(providerBlock),
                           original.begin() + static_cast<std::ptrdiff_t>(providerBlock + 32768),
                           saved.begin() + static_cast<std::ptrdiff_t>(providerBlock)));
}

} // namespace
} // namespace cs::dbtest
