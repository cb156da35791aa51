// The display order of the views: grouping by satellite, the four class passes of order mode 0,
// the transponder and name sorts, the filters and the favourite-list views.
#include "database_test_support.h"

#include <algorithm>
#include <set>

namespace cs::dbtest {
namespace {

TEST(MainPointerTable, IsEmptyAfterOpenAndGroupsSatellitesAscendingOnFirstSelection) {
    auto b = settingsImage();
    b.channel(0, tv("On 30", 1, 30)).channel(1, tv("On 5", 1, 5)).channel(2, tv("On 28", 1, 28));
    b.channel(4, tv("Also 5", 2, 5));
    fx::ChannelFields t = tv("Terrestrial", 1, 64);
    t.frequency = 4745;
    b.channel(3, t);
    OpenDatabase o(b.build());
    ASSERT_EQ(o.openResult(), OpenResult::Loaded);
    EXPECT_EQ(o.db.mainCount(), 0);
    EXPECT_EQ(o.names(o.mainList()), (Names{"On 5", "Also 5", "On 28", "On 30", "Terrestrial"}));
    EXPECT_EQ(o.db.mainCount(), 5);
    EXPECT_EQ(o.db.sortState(), kSorted);
    EXPECT_EQ(o.db.usedSatellites(), (std::vector<std::uint8_t>{5, 28, 30, 64}));
    EXPECT_EQ(o.db.satelliteKinds(), 3u);
}

TEST(OrderModeProgram, ListsFreeTvThenScrambledTvThenFreeRadioThenScrambledRadioPerSatellite) {
    auto b = settingsImage();
    b.channel(0, scrambled(radio("R scr", 1)));
    b.channel(1, scrambled(tv("TV scr", 2)));
    b.channel(2, radio("R free", 3));
    b.channel(3, tv("TV free", 4));
    b.channel(4, scrambled(tv("Other sat scr", 1, 5)));
    b.channel(5, tv("Other sat free", 2, 5));
    OpenDatabase o(b.build());
    EXPECT_EQ(o.names(o.mainList()),
              (Names{"Other sat free", "Other sat scr", "TV free", "TV scr", "R free", "R scr"}));
}

TEST(OrderModeTransponder, SortsVerticalBeforeHorizontalThenByServiceIdAndMixesClasses) {
    auto b = settingsImage();
    auto at = [](std::string name, std::uint16_t f, std::uint8_t pol, std::uint16_t sid) {
        fx::ChannelFields s = tv(std::move(name), sid);
        s.frequency = f;
        s.polarisation = pol;
        return s;
    };
    b.channel(0, at("12000H", 12000, 0, 5));
    b.channel(1, at("11000H sid9", 11000, 0, 9));
    fx::ChannelFields r = at("11000H sid3 R", 11000, 0, 3);
    r.videoPid = 0;
    r.videoFlag = false;
    b.channel(2, r);
    b.channel(3, at("11000V", 11000, 1, 7));
    b.channel(4, at("10999H", 10999, 0, 99));
    OpenDatabase o(b.build());
    o.view.orderMode = kOrderTransponder;
    EXPECT_EQ(o.names(o.mainList()), (Names{"10999H", "11000V", "11000H sid3 R", "11000H sid9", "12000H"}));
    // Order mode 0 sorts the same way inside each class.
    o.view.orderMode = kOrderProgram;
    o.db.requestFullSort();
    EXPECT_EQ(o.names(o.mainList()), (Names{"10999H", "11000V", "11000H sid9", "12000H", "11000H sid3 R"}));
}

TEST(OrderModeAlphabet, ComparesNamesReducedToUpperCaseLettersAndDigits) {
    auto b = settingsImage();
    const Names stored = {"b-2", "B1", "a z", "_c", "10x", "Zz!"};
    for (std::size_t i = 0; i < stored.size(); ++i)
        b.channel(i, tv(stored[i], static_cast<std::uint16_t>(i + 1)));
    OpenDatabase o(b.build());
    o.mainList();  // sorted by transponder first
    o.view.orderMode = kOrderAlphabet;
    // No explicit full re-sort requested: a new order mode alone re-sorts.
    EXPECT_EQ(o.names(o.mainList()), (Names{"10x", "a z", "B1", "b-2", "_c", "Zz!"}));
}

// Which channels count as TV: the video flag of the record, whatever the PIDs say. Every
// channel is in exactly one of the TV-only and radio-only views, and in the main list.
TEST(ViewFilters, EveryChannelBelongsToExactlyOneClass) {
    auto b = settingsImage();
    fx::ChannelFields flagNoPid = tv("Flag no PID", 1);
    flagNoPid.videoPid = 0;
    flagNoPid.videoFlag = true;
    fx::ChannelFields pidNoFlag = tv("PID no flag", 2);
    pidNoFlag.videoFlag = false;
    fx::ChannelFields data = radio("Data", 3);
    data.notAService = true;
    b.channel(0, flagNoPid).channel(1, pidNoFlag).channel(2, data).channel(3, tv("TV", 4)).channel(4, radio("Radio", 5));
    OpenDatabase o(b.build());
    ViewRequest tvOnly;
    tvOnly.tvRadio = tvRadioBits(1);
    ViewRequest radioOnly;
    radioOnly.tvRadio = tvRadioBits(2);
    EXPECT_EQ(o.names(o.select(tvOnly)), (Names{"Flag no PID", "TV"}));
    EXPECT_EQ(o.names(o.select(radioOnly)), (Names{"PID no flag", "Data", "Radio"}));
    EXPECT_EQ(o.mainList().size(), 5u);
}

TEST(ViewFilters, TvRadioAndFreeScrambledCombine) {
    auto b = settingsImage();
    b.channel(0, tv("TV free", 1)).channel(1, scrambled(tv("TV scr", 2)));
    b.channel(2, radio("R free", 3)).channel(3, scrambled(radio("R scr", 4)));
    b.channel(4, tv("Sat 5 TV", 1, 5));
    OpenDatabase o(b.build());
    struct Case {
        unsigned tvRadio, freeScrambled;
        std::uint8_t satellite;
        Names expected;
    };
    const Case cases[] = {
        {0, 0, 0, {"Sat 5 TV", "TV free", "TV scr", "R free", "R scr"}},
        {1, 0, 0, {"Sat 5 TV", "TV free", "TV scr"}},
        {2, 0, 0, {"R free", "R scr"}},
        {0, 1, 0, {"Sat 5 TV", "TV free", "R free"}},
        {0, 2, 0, {"TV scr", "R scr"}},
        {1, 2, 0, {"TV scr"}},
        {2, 1, 28, {"R free"}},
        {0, 0, 28, {"TV free", "TV scr", "R free", "R scr"}},
        {0, 0, 5, {"Sat 5 TV"}},
        {0, 0, 6, {}},
    };
    for (const Case& c : cases) {
        ViewRequest r;
        r.tvRadio = tvRadioBits(c.tvRadio);
        r.freeScrambled = freeScrambledBits(c.freeScrambled);
        r.satellite = c.satellite;
        EXPECT_EQ(o.names(o.select(r)), c.expected) << c.tvRadio << "/" << c.freeScrambled << " sat " << +c.satellite;
    }
    // Both hiding bits at once show everything.
    ViewRequest both;
    both.tvRadio = kHideRadio | kHideTv;
    both.freeScrambled = kHideFree | kHideScrambled;
    EXPECT_EQ(o.select(both).size(), 5u);
}

TEST(ViewFilters, MainWindowFilterTakesSatelliteAndFilterBits) {
    auto b = settingsImage();
    b.channel(0, tv("TV 28", 1)).channel(1, radio("R 28", 2)).channel(2, tv("TV 5", 1, 5));
    b.channel(3, scrambled(tv("TV scr 28", 3)));
    OpenDatabase o(b.build());
    o.view.satelliteFilter = 28;
    o.view.filterBits = 0x01 | kHideScrambled;  // TV/radio filter on (TV only), free only
    ViewRequest r;
    r.useMainFilter = true;
    r.satellite = 5;  // replaced by the window's filter
    EXPECT_EQ(o.names(o.select(r)), (Names{"TV 28"}));
}

TEST(ViewFilters, CodingSystemFilterKeepsChannelsCarryingACheckedSystem) {
    auto b = settingsImage();
    b.channel(0, tv("A", 1)).channel(1, tv("B", 2)).channel(2, tv("C", 3));
    OpenDatabase o(b.build());
    o.db.entry(0).caSystems = {0x0100, 0, 0};
    o.db.entry(1).caSystems = {0, 0, 0x0500};
    o.view.caFilterActive = true;
    o.view.caChecked = {0x0500, 0x0B00};
    EXPECT_EQ(o.names(o.mainList()), (Names{"B"}));
    o.view.caChecked.clear();
    EXPECT_TRUE(o.mainList().empty());
    o.view.caFilterActive = false;
    EXPECT_EQ(o.mainList().size(), 3u);
}

TEST(FavouriteListView, SortsByPositionIgnoresFiltersAndRenumbersFromOne) {
    auto b = settingsImage();
    b.listCount(2).listName(1, "Sport").listName(2, "News");
    auto member = [](fx::ChannelFields s, std::uint16_t pos) {
        s.listPositions[0] = pos;
        return s;
    };
    b.channel(0, member(tv("At 30", 1), 30));
    b.channel(1, member(radio("At 7 a", 2), 7));
    b.channel(2, member(tv("At 2", 3, 5), 2));
    b.channel(3, member(scrambled(tv("At 7 b", 4)), 7));
    b.channel(4, tv("Not in list", 5));
    OpenDatabase o(b.build());
    o.view.orderMode = kOrderAlphabet;
    ViewRequest r;
    r.list = 1;
    r.tvRadio = tvRadioBits(1);
    r.satellite = 28;
    const Slots slots = o.select(r);
    ASSERT_EQ(slots.size(), 4u);
    EXPECT_EQ(slots.front(), 2);
    EXPECT_EQ(slots.back(), 0);
    EXPECT_EQ((std::set<std::uint16_t>{slots[1], slots[2]}), (std::set<std::uint16_t>{1, 3}));
    for (std::size_t k = 0; k < slots.size(); ++k)
        EXPECT_EQ(o.db.record(slots[k]).listPosition(1), k + 1);
    EXPECT_EQ(o.db.record(4).listPosition(1), 0);
    EXPECT_EQ(o.db.listMembers(1), 4u);
    EXPECT_TRUE(o.list(2).empty());
}

TEST(ViewOrder, WritingBackRowsRenumbersAListAndReordersTheMainTableInPlace) {
    auto b = settingsImage();
    b.listCount(1).listName(1, "L");
    for (std::uint16_t i = 0; i < 4; ++i) {
        fx::ChannelFields s = tv("S28 " + std::to_string(i), static_cast<std::uint16_t>(i + 1));
        s.listPositions[0] = static_cast<std::uint16_t>(i + 1);
        b.channel(i, s);
    }
    b.channel(4, tv("S5", 1, 5));
    OpenDatabase o(b.build());
    ViewRequest sat28;
    sat28.satellite = 28;
    Slots rows = o.select(sat28);
    std::reverse(rows.begin(), rows.end());
    o.db.applyViewOrder(rows);
    EXPECT_EQ(o.names(o.mainList()), (Names{"S5", "S28 3", "S28 2", "S28 1", "S28 0"}));

    Slots listRows = o.list(1);
    std::swap(listRows[0], listRows[3]);
    o.db.applyViewOrder(listRows);
    EXPECT_EQ(o.names(o.list(1)), (Names{"S28 3", "S28 1", "S28 2", "S28 0"}));
}

} // namespace
} // namespace cs::dbtest
