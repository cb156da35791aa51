// Favourite-list membership and the favourite lists themselves; satellite names.
#include "database_test_support.h"

#include <algorithm>

namespace cs::dbtest {
namespace {

fx::ChannelFields inList(fx::ChannelFields s, std::size_t list, std::uint16_t position) {
    s.listPositions[list - 1] = position;
    return s;
}

TEST(ListMembership, AppendGivesPositionsAfterTheHighestAndNeverPastTheCapacity) {
    auto b = settingsImage();
    b.listCount(2);
    b.channel(0, inList(tv("A", 1), 1, 5)).channel(1, tv("B", 2)).channel(2, tv("C", 3)).channel(3, tv("D", 4));
    b.channel(4, inList(tv("Hostile", 5), 2, 65535));
    OpenDatabase o(b.build());
    EXPECT_EQ(o.db.maxListPosition(1), 5);
    EXPECT_EQ(o.db.appendToList(1, Slots{1, 2}), 2u);
    EXPECT_EQ(o.db.record(1).listPosition(1), 6);
    EXPECT_EQ(o.db.record(2).listPosition(1), 7);

    // A position read from the file above the table's capacity: nothing is appended (and
    // nothing wraps round to 0) until the list has been renumbered by showing it.
    EXPECT_EQ(o.db.maxListPosition(2), 65535);
    EXPECT_EQ(o.db.appendToList(2, Slots{3}), 0u);
    EXPECT_EQ(o.db.record(3).listPosition(2), 0);
    EXPECT_EQ(o.list(2), (Slots{4}));
    EXPECT_EQ(o.db.appendToList(2, Slots{3}), 1u);
    EXPECT_EQ(o.names(o.list(2)), (Names{"Hostile", "D"}));
}

TEST(ListMembership, AppendStopsAtTheChannelCapacity) {
    auto b = settingsImage();
    b.listCount(1);
    b.channel(0, inList(tv("At 3999", 1), 1, 3999)).channel(1, tv("Gets 4000", 2)).channel(2, tv("Left out", 3));
    OpenDatabase o(b.build());
    EXPECT_EQ(o.db.appendToList(1, Slots{1, 2}), 1u);
    EXPECT_EQ(o.db.record(1).listPosition(1), 4000);
    EXPECT_EQ(o.db.record(2).listPosition(1), 0);
}

TEST(ListMembership, CopyViewAddsOnlyChannelsNotYetInTheList) {
    auto b = settingsImage();
    b.listCount(1);
    b.channel(0, inList(tv("Member", 1), 1, 2)).channel(1, tv("New 1", 2)).channel(2, radio("Radio", 3));
    b.channel(3, tv("New 2", 4)).channel(4, tv("Other sat", 1, 5));
    OpenDatabase o(b.build());
    ViewRequest source;
    source.satellite = 28;
    source.tvRadio = tvRadioBits(1);
    EXPECT_EQ(o.db.copyViewToList(source, o.view, 1), 2u);
    EXPECT_EQ(o.db.record(0).listPosition(1), 2);
    EXPECT_EQ(o.db.record(1).listPosition(1), 3);
    EXPECT_EQ(o.db.record(3).listPosition(1), 4);
    EXPECT_EQ(o.names(o.list(1)), (Names{"Member", "New 1", "New 2"}));
}

TEST(ListMembership, InsertIntoListPlacesAfterAChannelAndRenumbersWithoutGaps) {
    auto b = settingsImage();
    b.listCount(1);
    b.channel(0, inList(tv("L1", 1), 1, 10)).channel(1, inList(tv("L2", 2), 1, 20)).channel(2, inList(tv("L3", 3), 1, 30));
    b.channel(3, tv("X", 4)).channel(4, tv("Y", 5));
    OpenDatabase o(b.build());
    EXPECT_EQ(o.db.insertIntoList(1, std::uint16_t{0}, Slots{3, 4}), 2u);
    EXPECT_EQ(o.names(o.list(1)), (Names{"L1", "X", "Y", "L2", "L3"}));
    EXPECT_EQ(o.db.record(1).listPosition(1), 4);
    // Without a row the channels go to the end; a member that is placed again moves.
    EXPECT_EQ(o.db.insertIntoList(1, std::nullopt, Slots{0}), 1u);
    EXPECT_EQ(o.names(o.list(1)), (Names{"X", "Y", "L2", "L3", "L1"}));
    o.db.removeFromList(1, Slots{3});
    o.db.clearList(1);
    EXPECT_TRUE(o.list(1).empty());
}

// Members moved upward (row moves and paste rely on it): each leaves its old place, and the list
// stays numbered 1..n without a gap or a repeat.
TEST(ListMembership, InsertIntoListMovesMembersUpwardOutOfTheirOldPlaces) {
    struct Case {
        const char* name;
        std::optional<std::uint16_t> after;
        Slots moved;
        Names expected;
    };
    const Case cases[] = {
        {"one member up", std::uint16_t{0}, Slots{3}, Names{"L1", "L4", "L2", "L3", "L5"}},
        {"two members up, in the given order", std::uint16_t{0}, Slots{4, 2}, Names{"L1", "L5", "L3", "L2", "L4"}},
        {"a member after the one just before it", std::uint16_t{2}, Slots{4}, Names{"L1", "L2", "L3", "L5", "L4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto b = settingsImage();
        b.listCount(1);
        for (std::uint16_t i = 0; i < 5; ++i)
            b.channel(i, inList(tv("L" + std::to_string(i + 1), static_cast<std::uint16_t>(i + 1)), 1,
                                static_cast<std::uint16_t>(i + 1)));
        OpenDatabase o(b.build());
        EXPECT_EQ(o.db.insertIntoList(1, c.after, c.moved), c.moved.size());
        EXPECT_EQ(o.names(o.list(1)), c.expected);
        std::vector<int> positions;
        for (std::uint16_t i = 0; i < 5; ++i)
            positions.push_back(o.db.record(i).listPosition(1));
        std::sort(positions.begin(), positions.end());
        EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 4, 5}));
    }
}

TEST(FavouriteLists, NewListTakesTheFirstFreeDefaultTextAndAddListStopsAtEight) {
    auto b = settingsImage();
    b.listCount(1).listName(1, "new");
    OpenDatabase o(b.build());
    const DisplayTexts texts(o.db, lang::englishTexts());
    NewListName n = o.db.proposeListName(texts);
    EXPECT_EQ(n.display, "LIST new01");
    EXPECT_EQ(n.name, "new01");
    EXPECT_EQ(o.db.addList(n.name), 2u);
    n = o.db.proposeListName(texts);
    EXPECT_EQ(n.display, "LIST new02");
    EXPECT_EQ(o.db.addList(""), 0u);
    for (std::size_t k = 3; k <= 8; ++k)
        EXPECT_EQ(o.db.addList("L" + std::to_string(k)), k);
    EXPECT_EQ(o.db.addList("ninth"), 0u);
    EXPECT_EQ(o.flash.settings().listCount, 8);
    EXPECT_EQ(o.flash.settings().listName(8), "L8");
}

TEST(FavouriteLists, DeletingList2Of3MovesList3DownAndEmptiesTheLast) {
    auto b = settingsImage();
    b.listCount(3).listName(1, "One").listName(2, "Two").listName(3, "Three");
    b.channel(0, inList(inList(tv("In 1 and 2", 1), 1, 1), 2, 1));
    b.channel(1, inList(tv("In 3", 2), 3, 1));
    b.channel(2, inList(inList(tv("In 2 and 3", 3), 2, 2), 3, 2));
    OpenDatabase o(b.build());
    EXPECT_TRUE(o.db.deleteList(2));
    EXPECT_EQ(o.flash.settings().listCount, 2);
    EXPECT_EQ(o.flash.settings().listName(2), "Three");
    EXPECT_EQ(o.flash.settings().listName(3), "");
    EXPECT_EQ(o.names(o.list(1)), (Names{"In 1 and 2"}));
    EXPECT_EQ(o.names(o.list(2)), (Names{"In 3", "In 2 and 3"}));
    EXPECT_TRUE(o.list(3).empty());
    EXPECT_FALSE(o.db.deleteList(3));
    EXPECT_FALSE(o.db.deleteList(0));
}

TEST(FavouriteLists, RenamingTrimsAndCuts) {
    auto b = settingsImage();
    b.listCount(1).listName(1, "Old");
    OpenDatabase o(b.build());
    struct Case {
        const char* entered;
        const char* stored;  // nullptr: refused, the old name stays
    };
    const Case lists[] = {
        {"  Sport \t", "Sport"},
        {"Fourteen chars", "Fourteen ch"},
        {"\x01\x02 ", nullptr},
        {"A\x07" "B", "AB"},
    };
    for (const Case& c : lists) {
        const std::string before(o.flash.settings().listName(1));
        EXPECT_EQ(o.db.renameList(1, c.entered), c.stored != nullptr) << c.entered;
        EXPECT_EQ(o.flash.settings().listName(1), c.stored ? std::string(c.stored) : before);
    }
    EXPECT_FALSE(o.db.renameList(9, "x"));

    EXPECT_TRUE(o.db.renameSatellite(28, "  A very long satellite name"));
    EXPECT_EQ(o.flash.settings().satellites[28].nameView(), "A very long sat");
    EXPECT_FALSE(o.db.renameSatellite(64, "Terrestrial"));
    EXPECT_FALSE(o.db.renameSatellite(3, " "));
}

} // namespace
} // namespace cs::dbtest
