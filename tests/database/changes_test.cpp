// Changes of the channel set: inserting, deleting, deleting by satellite or provider, matching
// and inserting pasted channels.
#include "database_test_support.h"

#include <algorithm>

namespace cs::dbtest {
namespace {

ChannelRecord recordOf(const fx::ChannelFields& recipe) {
    const fx::Record64 bytes = fx::encodeChannelRecord(recipe);
    return ChannelRecord(ConstBytes(bytes));
}

TEST(InsertRecord, RefusesSatelliteNumbersOutsideOneToSixtyFiveAndOccupiedSlots) {
    auto b = settingsImage();
    b.channel(0, tv("Existing", 1));
    OpenDatabase o(b.build());
    o.mainList();
    for (std::uint8_t satellite : {0, 66, 67, 132, 255}) {
        fx::ChannelFields s = tv("Bad", 2);
        s.satellite = satellite;
        EXPECT_FALSE(o.db.insertRecord(1, recordOf(s), "")) << +satellite;
        EXPECT_FALSE(o.db.slotInUse(1));
    }
    EXPECT_FALSE(o.db.insertRecord(0, recordOf(tv("Over", 3)), ""));
    EXPECT_FALSE(o.db.insertRecord(4000, recordOf(tv("Past", 3)), ""));

    fx::ChannelFields listed = tv("New", 4, 64);
    listed.frequency = 4745;
    listed.listPositions = {3, 0, 9, 0, 0, 0, 0, 1};
    ASSERT_TRUE(o.db.insertRecord(7, recordOf(listed), "Prov"));
    EXPECT_EQ(o.db.entry(7).flags, entry_flags::kNewlyInserted);
    EXPECT_EQ(o.db.entry(7).provider(), "Prov");
    for (std::size_t k = 1; k <= 8; ++k)
        EXPECT_EQ(o.db.record(7).listPosition(k), 0);
    EXPECT_TRUE(o.db.rebuildPending());
    EXPECT_EQ(o.db.sortState(), kSortFlagged);
    EXPECT_EQ(o.db.satelliteKinds(), 3u);
    EXPECT_EQ(o.names(o.mainList()), (Names{"Existing", "New"}));
}

// Choosing a sort mode again asks for a full re-sort; an insertion before the next selection
// must not reduce that to the satellites it touched.
TEST(InsertRecord, KeepsAPendingFullSortPending) {
    auto b = settingsImage();
    auto at = [](std::string name, std::uint8_t sat, std::uint16_t f) {
        fx::ChannelFields s = tv(std::move(name), 1, sat);
        s.frequency = f;
        return s;
    };
    b.channel(0, at("S5 10000", 5, 10000)).channel(1, at("S5 10500", 5, 10500)).channel(2, at("S28 11000", 28, 11000));
    OpenDatabase o(b.build());
    o.view.orderMode = kOrderTransponder;
    ViewRequest sat5;
    sat5.satellite = 5;
    Slots rows = o.select(sat5);
    std::reverse(rows.begin(), rows.end());
    o.db.applyViewOrder(rows);
    o.db.requestFullSort();
    ASSERT_TRUE(o.db.insertRecord(3, recordOf(at("S28 10000", 28, 10000)), ""));
    EXPECT_EQ(o.names(o.mainList()), (Names{"S5 10000", "S5 10500", "S28 10000", "S28 11000"}));
}

TEST(DeleteMarked, InAFavouriteListOnlyLeavesTheList) {
    auto b = settingsImage();
    b.listCount(1).listName(1, "L");
    for (std::uint16_t i = 0; i < 3; ++i) {
        fx::ChannelFields s = tv("C" + std::to_string(i), static_cast<std::uint16_t>(i + 1));
        s.listPositions[0] = static_cast<std::uint16_t>(i + 1);
        b.channel(i, s);
    }
    OpenDatabase o(b.build());
    const Slots rows = o.list(1);
    o.db.entry(rows[1]).setMarked(true);
    EXPECT_EQ(o.db.deleteMarked(), 1u);
    EXPECT_FALSE(o.db.entry(rows[1]).marked());
    EXPECT_TRUE(o.db.entry(rows[1]).flags & entry_flags::kChanged);
    EXPECT_EQ(o.names(o.list(1)), (Names{"C0", "C2"}));
    EXPECT_EQ(o.mainList().size(), 3u);
}

TEST(DeleteMarked, InTheMainListDeletesChannelsAndTheirSatellites) {
    auto b = settingsImage();
    b.provider(0, 1, "P");
    fx::ChannelFields p1 = tv("P1", 1);
    p1.providerNumber = 1;
    fx::ChannelFields p2 = tv("P2", 2, 5);
    p2.providerNumber = 1;
    b.channel(0, p1).channel(1, p2).channel(2, tv("Keep", 3));
    OpenDatabase o(b.build());
    const Slots rows = o.mainList();
    ASSERT_EQ(o.names(rows), (Names{"P2", "P1", "Keep"}));
    o.db.entry(rows[0]).setMarked(true);
    o.db.entry(rows[1]).setMarked(true);
    EXPECT_EQ(o.db.deleteMarked(), 2u);
    EXPECT_EQ(o.db.mainCount(), 1);
    EXPECT_FALSE(o.db.slotInUse(1));
    EXPECT_EQ(o.db.entry(1).flags, entry_flags::kChanged);
    EXPECT_EQ(o.db.entry(1).removal, kRemovalMark);
    EXPECT_EQ(o.db.record(1), ChannelRecord::erased());
    EXPECT_EQ(o.db.providerNumber(1), 0);
    EXPECT_FALSE(o.db.satelliteUsed(5));
    EXPECT_TRUE(o.db.satelliteUsed(28));
    EXPECT_EQ(o.names(o.mainList()), (Names{"Keep"}));
    o.db.refreshProviders(true, o.view);
    EXPECT_EQ(o.db.providerCount(), 0u);
    ASSERT_EQ(o.flash.saveImage(o.path().string(), false), SaveResult::Saved);
    EXPECT_EQ(o.flash.lastSave().channelsWritten, 1u);
}

TEST(DeleteGroups, SatelliteAndProviderDeletionIgnoreTheToolBarFilters) {
    auto b = settingsImage();
    b.provider(0, 1, "P").provider(1, 2, "Q");
    auto with = [](fx::ChannelFields s, std::uint16_t p) {
        s.providerNumber = p;
        return s;
    };
    b.channel(0, with(tv("P tv", 1), 1)).channel(1, with(radio("P radio", 2, 5), 1));
    b.channel(2, with(tv("Q 1", 3), 2)).channel(3, with(tv("Q 2", 4), 2));
    b.channel(4, tv("none 28", 5)).channel(5, radio("none 5", 6, 5));
    OpenDatabase o(b.build());
    o.view.filterBits = 0x01;
    ViewRequest tvOnly;
    tvOnly.tvRadio = tvRadioBits(1);
    o.select(tvOnly);

    EXPECT_EQ(o.db.deleteSatelliteChannels(5, o.view), 2u);
    EXPECT_EQ(o.names(o.mainList()), (Names{"P tv", "Q 1", "Q 2", "none 28"}));
    // P now has a single channel left and is no provider any more.
    EXPECT_EQ(o.db.providerCount(), 1u);
    EXPECT_EQ(o.db.deleteProviderChannels(TreeNode::provider(0), o.view), 2u);  // Q, position 0 of the list
    EXPECT_EQ(o.names(o.mainList()), (Names{"P tv", "none 28"}));
    EXPECT_EQ(o.db.deleteProviderChannels(TreeNode::unknownProvider(), o.view), 2u);
    EXPECT_TRUE(o.mainList().empty());
    EXPECT_EQ(o.db.deleteProviderChannels(TreeNode::provider(6), o.view), 0u);
}

TEST(DeleteGroups, TheNodeOfAllSatellitesDeletesEverything) {
    auto b = settingsImage();
    b.channel(0, tv("a", 1)).channel(2, tv("c", 1, 5));
    fx::ChannelFields t = tv("b", 1, 64);
    t.frequency = 5000;
    b.channel(1, t);
    OpenDatabase o(b.build());
    EXPECT_EQ(o.db.deleteSatelliteChannels(kAllSatellites, o.view), 3u);
    EXPECT_EQ(o.db.channelCount(), 0u);
    EXPECT_EQ(o.db.satelliteKinds(), 0u);
}

TEST(ChannelEquality, FollowsTheMatchingRuleWithItsFrequencyTolerances) {
    fx::ChannelFields base = tv("Sport HD", 10);
    base.frequency = 11000;
    base.carried.matchId = 77;
    fx::ChannelFields dvbt = tv("Terra", 10, 64);
    dvbt.frequency = 4745;
    fx::ChannelFields dvbc = tv("Cable", 10, 65);
    dvbc.frequency = 3460;
    struct Case {
        const char* what;
        fx::ChannelFields a, b;
        bool equal;
    };
    auto vary = [](fx::ChannelFields s, auto change) {
        change(s);
        return s;
    };
    const Case cases[] = {
        {"identical", base, base, true},
        {"blanks and case", base, vary(base, [](auto& s) { s.name = "  sport hd "; }), true},
        {"10 MHz apart", base, vary(base, [](auto& s) { s.frequency = 11010; }), true},
        {"10 MHz below", base, vary(base, [](auto& s) { s.frequency = 10990; }), true},
        {"11 MHz apart", base, vary(base, [](auto& s) { s.frequency = 11011; }), false},
        {"11 MHz below", base, vary(base, [](auto& s) { s.frequency = 10989; }), false},
        {"polarisation", base, vary(base, [](auto& s) { s.polarisation = 1; }), false},
        {"service id", base, vary(base, [](auto& s) { s.serviceId = 11; }), false},
        {"identifier at 48", base, vary(base, [](auto& s) { s.carried.matchId = 78; }), false},
        {"video pid", base, vary(base, [](auto& s) { s.videoPid = 161; }), false},
        {"audio pid", base, vary(base, [](auto& s) { s.audioPid = 81; }), false},
        {"satellite", base, vary(base, [](auto& s) { s.satellite = 30; }), false},
        {"inner blank", base, vary(base, [](auto& s) { s.name = "SportHD"; }), false},
        {"other bytes", base, vary(base, [](auto& s) { s.audioLanguage = 3; s.symbolRate = 27500; }), true},
        {"DVB-T same", dvbt, vary(dvbt, [](auto& s) { s.polarisation = 1; }), true},
        {"DVB-T 0.1 MHz apart", dvbt, vary(dvbt, [](auto& s) { s.frequency = 4746; }), false},
        {"DVB-C same", dvbc, dvbc, true},
        {"DVB-C 0.1 MHz apart", dvbc, vary(dvbc, [](auto& s) { s.frequency = 3461; }), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(channelsEqual(recordOf(c.a), recordOf(c.b)), c.equal) << c.what;
}

TEST(Paste, MatchesExistingChannelsOnceAndInsertsTheRestIntoTheLowestFreeSlots) {
    auto b = settingsImage();
    b.channel(0, tv("One", 1)).channel(1, tv("Two", 2)).channel(3, tv("One", 1));
    OpenDatabase o(b.build());
    o.mainList();
    std::vector<IncomingChannel> in(5);
    in[0].record = recordOf(tv("one", 1));
    in[1].record = recordOf(tv("ONE ", 1));
    in[2].record = recordOf(tv("One", 1));  // a third copy: both existing ones are taken
    in[3].record = recordOf(tv("Bad satellite", 5, 0));
    in[4].record = recordOf(tv("Fresh", 7));
    in[4].providerName = "Prov";
    EXPECT_EQ(o.db.matchChannels(in), 2u);
    EXPECT_EQ(in[0].slot, 0);
    EXPECT_EQ(in[1].slot, 3);
    EXPECT_FALSE(in[2].matched);
    EXPECT_TRUE(o.db.entry(0).flags & entry_flags::kMatched);
    EXPECT_FALSE(o.db.entry(1).flags & entry_flags::kMatched);

    EXPECT_EQ(o.db.insertIncoming(in), 2u);
    EXPECT_EQ(in[2].slot, 2);
    EXPECT_EQ(in[3].slot, -1);
    EXPECT_EQ(in[4].slot, 4);
    EXPECT_EQ(o.db.entry(4).provider(), "Prov");
    EXPECT_TRUE(o.db.entry(4).flags & entry_flags::kInserted);
    EXPECT_FALSE(o.db.entry(0).flags & entry_flags::kInserted);
    EXPECT_EQ(o.mainList().size(), 5u);
}

TEST(Paste, AFullTableDropsTheRest) {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Channels);
    for (std::uint16_t i = 0; i < 4000; ++i)
        b.channel(i, tv("C", static_cast<std::uint16_t>(i)));
    b.erasedSlot(1234);
    OpenDatabase o(b.build());
    std::vector<IncomingChannel> in(2);
    in[0].record = recordOf(tv("Fits", 9000));
    in[1].record = recordOf(tv("Dropped", 9001));
    EXPECT_EQ(o.db.insertIncoming(in), 1u);
    EXPECT_EQ(in[0].slot, 1234);
    EXPECT_EQ(in[1].slot, -1);
    EXPECT_EQ(o.db.channelCount(), 4000u);
}

// Pasted channels of one satellite are sorted into its group; the other satellites keep the
// order they were given.
TEST(Paste, SortsOnlyTheSatellitesThatReceivedChannels) {
    auto b = settingsImage();
    auto at = [](std::string name, std::uint8_t sat, std::uint16_t f) {
        fx::ChannelFields s = tv(std::move(name), 1, sat);
        s.frequency = f;
        return s;
    };
    b.channel(0, at("S3 11000", 3, 11000)).channel(1, at("S3 12000", 3, 12000));
    b.channel(3, at("S5 10000", 5, 10000)).channel(4, at("S5 10500", 5, 10500)).channel(5, at("S5 10700", 5, 10700));
    OpenDatabase o(b.build());
    o.view.orderMode = kOrderTransponder;
    ViewRequest sat5;
    sat5.satellite = 5;
    Slots rows = o.select(sat5);
    std::reverse(rows.begin(), rows.end());
    o.db.applyViewOrder(rows);

    std::vector<IncomingChannel> in(1);
    in[0].record = recordOf(at("S3 11500", 3, 11500));
    EXPECT_EQ(o.db.insertIncoming(in), 1u);
    EXPECT_EQ(in[0].slot, 2);
    EXPECT_EQ(o.names(o.mainList()),
              (Names{"S3 11000", "S3 11500", "S3 12000", "S5 10700", "S5 10500", "S5 10000"}));
}

// After a paste the providers are renumbered at once; the numbers must stay with their slots
// even where free slots lie between the channels.
TEST(Paste, PastedProvidersAreNumberedPerSlotAtOnce) {
    auto b = settingsImage();
    b.provider(0, 1, "New");
    fx::ChannelFields later = tv("Later", 2);
    later.providerNumber = 1;
    b.channel(0, tv("Kept", 1)).channel(5, later);
    OpenDatabase o(b.build());
    o.mainList();
    std::vector<IncomingChannel> in(1);
    in[0].record = recordOf(tv("Pasted", 5));
    in[0].providerName = "New";
    ASSERT_EQ(o.db.insertIncoming(in), 1u);
    ASSERT_EQ(in[0].slot, 1);
    o.mainList();
    EXPECT_EQ(o.db.rebuildProviders(), 1u);
    o.db.attachProviderNames();
    EXPECT_EQ(o.db.providerNumber(1), 1);
    EXPECT_EQ(o.db.providerNumber(2), 0);
    EXPECT_EQ(o.db.providerNumber(5), 1);
    o.db.refreshProviders(true, o.view);
    ASSERT_EQ(o.db.providerCount(), 1u);
    o.db.chooseSingleProvider(0);
    o.view.providerFilterMode = kProviderSingle;
    EXPECT_EQ(o.names(o.mainList()), (Names{"Later", "Pasted"}));
}

} // namespace
} // namespace cs::dbtest
