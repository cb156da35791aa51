// Ordering like a reference on generated images: a rescanned database ordered by the old one,
// a favourite list restored from a CSV, names and lists taken over, and the CSV round trip.
#include "database/database_test_support.h"
#include "reference/reference_list.h"
#include "reference/reference_order.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace cs::dbtest;
using cs::OrderOptions;
using cs::ReferenceList;

// Names in the order of the channel table (in-use slots ascending): the order the image keeps.
Names tableOrder(const OpenDatabase& open) {
    Names names;
    for (std::size_t slot = 0; slot < open.db.capacity(); ++slot)
        if (open.db.entry(slot).inUse())
            names.emplace_back(open.db.record(slot).name());
    return names;
}

fx::ChannelFields sat(std::string name, std::uint16_t sid, std::uint16_t frequency, std::uint16_t provider = 0) {
    fx::ChannelFields s = tv(std::move(name), sid);
    s.frequency = frequency;
    s.providerNumber = provider;
    return s;
}

// The user's sorted image: eight channels on satellite 28 in a hand-made order, list 1 "Fav"
// holding three of them.
fx::ImageBytes oldImage() {
    auto b = settingsImage();
    b.listCount(1).listName(1, "Fav");
    const std::vector<fx::ChannelFields> order = {
        sat("Zeta", 8, 11000), sat("Alpha", 1, 11100), sat("Echo", 5, 11200), sat("Bravo", 2, 11300),
        sat("Hotel", 9, 11400), sat("Delta", 4, 11500), sat("Golf", 7, 11600), sat("Kilo", 11, 11700)};
    for (std::size_t i = 0; i < order.size(); ++i) {
        fx::ChannelFields s = order[i];
        if (s.name == "Echo")
            s.listPositions[0] = 1;
        if (s.name == "Zeta")
            s.listPositions[0] = 2;
        if (s.name == "Delta")
            s.listPositions[0] = 3;
        b.channel(i, s);
    }
    return b.build();
}

// What the receiver holds after a rescan: the same services in scan order, frequencies a few
// MHz off, "Bravo" renamed "Bravo HD", "Hotel" gone, "Golf" under a new service ID (found by
// its name), two new channels, two providers of two channels each, no favourite lists.
fx::ImageBytes rescannedImage() {
    auto b = settingsImage();
    b.provider(0, 1, "North").provider(1, 2, "South");
    b.channel(0, sat("New One", 20, 12000));
    b.channel(1, sat("Alpha", 1, 11104, 1));
    b.channel(2, sat("Bravo HD", 2, 11296));
    b.channel(3, sat("Delta", 4, 11510));
    b.channel(4, sat("Echo", 5, 11190, 2));
    b.channel(5, sat("Golf", 70, 11600));
    b.channel(6, sat("New Two", 21, 12100));
    b.channel(7, sat("Zeta", 8, 11000, 1));
    b.channel(8, sat("Kilo", 11, 11700, 2));
    return b.build();
}

TEST(OrderLikeReference, RescannedListComesBackInTheOldOrderWithNewChannelsAfter) {
    OpenDatabase old(oldImage());
    OpenDatabase now(rescannedImage());
    ASSERT_EQ(old.openResult(), cs::OpenResult::Loaded);
    ASSERT_EQ(now.openResult(), cs::OpenResult::Loaded);
    const ReferenceList reference = cs::referenceFromDatabase(old.db);

    const cs::OrderSummary summary = cs::orderLikeReference(now.db, reference, OrderOptions{});
    EXPECT_EQ(summary.matchedByService, 6u);  // Zeta Alpha Echo Bravo Delta Kilo
    EXPECT_EQ(summary.matchedByName, 1u);     // Golf
    EXPECT_EQ(summary.unmatched, 2u);
    ASSERT_EQ(summary.missing.size(), 1u);
    EXPECT_EQ(reference.channels[summary.missing[0]].name, "Hotel");
    const Names expected = {"Zeta", "Alpha", "Echo", "Bravo HD", "Delta", "Golf", "Kilo", "New One", "New Two"};
    EXPECT_EQ(tableOrder(now), expected);
    EXPECT_EQ(now.names({summary.unmatchedSlots.begin(), summary.unmatchedSlots.end()}), (Names{"New One", "New Two"}));

    // The order is what the saved image keeps, and providers moved with their channels.
    ASSERT_EQ(now.flash.saveImage(now.pathOf("ordered.dsp").string(), false), cs::SaveResult::Saved);
    OpenDatabase reopened(fx::readFile(now.pathOf("ordered.dsp")));
    EXPECT_EQ(tableOrder(reopened), expected);
    for (auto slot : reopened.mainList()) {
        const std::string name(reopened.db.record(slot).name());
        const std::string provider(reopened.db.entry(slot).provider());
        const bool north = name == "Alpha" || name == "Zeta";
        const bool south = name == "Echo" || name == "Kilo";
        EXPECT_EQ(provider, north ? "North" : south ? "South" : "") << name;
    }
}

TEST(OrderLikeReference, NamesAndFavouriteListsAreTakenOnRequest) {
    OpenDatabase old(oldImage());
    OpenDatabase now(rescannedImage());
    OrderOptions options;
    options.takeNames = true;
    options.rebuildLists = true;
    const cs::OrderSummary summary = cs::orderLikeReference(now.db, cs::referenceFromDatabase(old.db), options);
    EXPECT_EQ(summary.renamed, 1u);
    EXPECT_TRUE(summary.listsRebuilt);
    EXPECT_EQ(tableOrder(now), (Names{"Zeta", "Alpha", "Echo", "Bravo", "Delta", "Golf", "Kilo", "New One", "New Two"}));
    EXPECT_EQ(now.flash.settings().listCount, 1);
    EXPECT_EQ(now.flash.settings().listName(1), "Fav");
    EXPECT_EQ(now.names(now.list(1)), (Names{"Echo", "Zeta", "Delta"}));
}

TEST(OrderLikeReference, FavouriteListFollowsTheReferenceAndKeepsItsOtherMembersAfter) {
    auto b = settingsImage();
    b.listCount(1).listName(1, "Mine");
    auto member = [](fx::ChannelFields s, std::uint16_t position) {
        s.listPositions[0] = position;
        return s;
    };
    b.channel(0, member(sat("One", 1, 11000), 1));
    b.channel(1, member(sat("Two", 2, 11100), 2));
    b.channel(2, sat("Three", 3, 11200));
    b.channel(3, member(sat("Four", 4, 11300), 3));
    OpenDatabase open(b.build());
    const std::string csv = std::string(cs::kReferenceCsvHeader) +
                            "\n1,Three,28,11200,H,3\n2,Two,28,11100,H,2\n3,Gone,28,12500,V,99\n4,One,28,11000,H,1\n";
    const cs::CsvReadResult read = cs::readReferenceCsv(csv);
    ASSERT_TRUE(read.ok()) << read.error;
    OrderOptions options;
    options.list = 1;
    const auto mainBefore = open.mainList();
    const cs::OrderSummary summary = cs::orderLikeReference(open.db, read.list, options);
    EXPECT_EQ(open.names(open.list(1)), (Names{"Three", "Two", "One", "Four"}));
    EXPECT_EQ(summary.matchedByService, 3u);
    EXPECT_EQ(summary.unmatched, 1u);
    EXPECT_EQ(summary.missing.size(), 1u);
    EXPECT_EQ(open.mainList(), mainBefore);  // ordering a list leaves the main list alone

    options.list = 2;  // the database has one list: nothing changes
    const auto recordsBefore = open.db.record(2);
    const cs::OrderSummary none = cs::orderLikeReference(open.db, read.list, options);
    EXPECT_EQ(none.matchedByService + none.matchedByName + none.unmatched, 0u);
    EXPECT_EQ(open.db.record(2), recordsBefore);
}

// After the service matches, a name matches only when it occurs once among what is left on each
// side; a name two channels share matches neither of them.
TEST(OrderLikeReference, ANameMatchesOnlyWhereItIsUniqueOnBothSides) {
    struct Channel {
        const char* name;
        std::uint16_t sid;
    };
    struct Case {
        const char* what;
        std::vector<Channel> database;
        std::vector<Channel> reference;
        std::vector<int> matched;  // per reference channel the database channel's index, -1 none
        std::vector<cs::MatchKind> kinds;
    };
    using K = cs::MatchKind;
    const std::vector<Case> cases = {
        {"unique on both sides", {{"Solo", 1}, {"Other", 2}}, {{"Solo", 90}}, {0}, {K::Name}},
        {"twice in the database", {{"Twin", 1}, {"Twin", 2}, {"Solo", 3}}, {{"Twin", 90}, {"Solo", 91}}, {-1, 2},
         {K::None, K::Name}},
        {"twice in the reference", {{"Twin", 1}}, {{"Twin", 90}, {"Twin", 91}}, {-1, -1}, {K::None, K::None}},
        {"blanks and letter case aside", {{" solo ", 1}}, {{"SOLO", 90}}, {0}, {K::Name}},
        {"the other twin taken by its service", {{"Twin", 1}, {"Twin", 2}}, {{"Twin", 2}, {"Twin", 90}}, {1, 0},
         {K::Service, K::Name}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto b = settingsImage();
        for (std::size_t i = 0; i < c.database.size(); ++i)
            b.channel(i, sat(c.database[i].name, c.database[i].sid, 11000));
        OpenDatabase open(b.build());
        ReferenceList reference;
        for (const Channel& r : c.reference) {
            cs::ReferenceChannel channel;
            channel.position = static_cast<std::uint32_t>(reference.channels.size() + 1);
            channel.name = r.name;
            channel.satellite = 28;
            channel.frequency = 11000;
            channel.serviceId = r.sid;
            reference.channels.push_back(channel);
        }
        const cs::ReferenceMatch match = cs::matchReference(open.db, reference);
        EXPECT_EQ(match.slot, c.matched);
        EXPECT_EQ(match.kind, c.kinds);

        // Ordered by it, the unmatched channels keep their places after the matched ones.
        const std::size_t matched = static_cast<std::size_t>(std::count_if(c.matched.begin(), c.matched.end(),
                                                                             [](int m) { return m >= 0; }));
        const cs::OrderSummary summary = cs::orderLikeReference(open.db, reference, OrderOptions{});
        EXPECT_EQ(summary.matchedByService + summary.matchedByName, matched);
        EXPECT_EQ(summary.unmatched, c.database.size() - matched);
        EXPECT_EQ(summary.missing.size(), c.reference.size() - matched);
    }
}

// The demo database (about 6000 channels, four favourite lists): a view exported as CSV and
// applied to a shuffled database brings back exactly the exported order.
TEST(OrderLikeReference, ExportedCsvAppliedToAShuffledDatabaseIsTheIdentity) {
    OpenDatabase open(fx::demoDatabase());
    ASSERT_EQ(open.openResult(), cs::OpenResult::Loaded);
    const auto view = open.mainList();
    const std::string mainCsv = cs::exportReferenceCsv(open.db, view);
    const std::string listCsv = cs::exportReferenceCsv(open.db, open.list(2));
    const auto listBefore = open.list(2);
    ASSERT_GT(listBefore.size(), 10u);

    std::vector<std::uint16_t> shuffled = view;
    std::reverse(shuffled.begin(), shuffled.end());
    std::rotate(shuffled.begin(), shuffled.begin() + static_cast<std::ptrdiff_t>(shuffled.size() / 3), shuffled.end());
    cs::reorderSlots(open.db, shuffled);
    std::vector<std::uint16_t> listShuffled = open.list(2);
    std::reverse(listShuffled.begin(), listShuffled.end());
    open.db.clearList(2);
    open.db.appendToList(2, listShuffled);
    ASSERT_NE(cs::exportReferenceCsv(open.db, open.list(2)), listCsv);

    const cs::CsvReadResult main = cs::readReferenceCsv(mainCsv);
    ASSERT_TRUE(main.ok()) << main.error;
    const cs::OrderSummary summary = cs::orderLikeReference(open.db, main.list, OrderOptions{});
    EXPECT_EQ(summary.matchedByService + summary.matchedByName, view.size());
    EXPECT_EQ(summary.unmatched, 0u);
    // The table now holds the channels in the exported order, so the table itself reads as the CSV.
    std::vector<std::uint16_t> table;
    for (std::uint16_t slot = 0; slot < open.db.capacity(); ++slot)
        if (open.db.entry(slot).inUse())
            table.push_back(slot);
    EXPECT_EQ(cs::exportReferenceCsv(open.db, table), mainCsv);
    EXPECT_EQ(cs::exportReferenceCsv(open.db, open.mainList()), mainCsv);

    const cs::CsvReadResult list = cs::readReferenceCsv(listCsv);
    ASSERT_TRUE(list.ok()) << list.error;
    OrderOptions options;
    options.list = 2;
    const cs::OrderSummary listSummary = cs::orderLikeReference(open.db, list.list, options);
    EXPECT_EQ(listSummary.unmatched, 0u);
    EXPECT_EQ(cs::exportReferenceCsv(open.db, open.list(2)), listCsv);
}

} // namespace
