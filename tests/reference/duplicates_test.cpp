// Duplicate search and removal on generated images.
#include "database/database_test_support.h"
#include "reference/duplicates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <tuple>

namespace {

using namespace cs::dbtest;
using Groups = std::vector<std::vector<std::uint16_t>>;

fx::ChannelFields at(std::string name, std::uint16_t sid, std::uint8_t satellite, std::uint16_t frequency,
                   std::uint8_t polarisation = 0) {
    fx::ChannelFields s = tv(std::move(name), sid, satellite);
    s.frequency = frequency;
    s.polarisation = polarisation;
    return s;
}

TEST(Duplicates, ServiceAndNameCases) {
    const struct {
        const char* what;
        fx::ChannelFields a, b;
        bool sameService, sameName;
    } cases[] = {
        {"same service on two slots", at("One", 5, 28, 11000), at("One", 5, 28, 11000), true, true},
        {"10 MHz apart is the same transponder", at("One", 5, 28, 11000), at("Other", 5, 28, 11010), true, false},
        {"11 MHz apart is not", at("One", 5, 28, 11000), at("Other", 5, 28, 11011), false, false},
        {"other polarisation", at("A", 5, 28, 11000, 0), at("B", 5, 28, 11000, 1), false, false},
        {"other service ID", at("A", 5, 28, 11000), at("B", 6, 28, 11000), false, false},
        {"same name on two satellites is no duplicate", at("News", 5, 28, 11000), at("News", 5, 19, 11000), false, false},
        {"same name on one satellite, blanks and case aside", at("News ", 5, 28, 11000), at(" NEWS", 9, 28, 12000), false, true},
        {"names differing only in their last character", at("Sport Channel 1", 5, 28, 11000), at("Sport Channel 2", 9, 28, 12000), false, false},
        {"full-length names alike", at("ABCDEFGHIJKLMNOP", 5, 28, 11000), at("ABCDEFGHIJKLMNOP", 9, 28, 12000), false, true},
        {"full-length names apart in the last character", at("ABCDEFGHIJKLMNOP", 5, 28, 11000), at("ABCDEFGHIJKLMNOQ", 9, 28, 12000), false, false},
        {"DVB-T needs the same frequency", at("T", 5, 64, 4745), at("U", 5, 64, 4746), false, false},
        {"DVB-T ignores polarisation", at("T", 5, 64, 4745, 0), at("U", 5, 64, 4745, 1), true, false},
        {"blank names share no name", at("   ", 5, 28, 11000), at("", 9, 28, 12000), false, false},
    };
    for (const auto& c : cases) {
        auto b = settingsImage();
        b.channel(0, tv("Filler", 300, 30)).channel(3, c.a).channel(7, c.b);
        OpenDatabase open(b.build());
        const cs::DuplicateGroups groups = cs::findDuplicates(open.db);
        const Groups pair = {{3, 7}};
        EXPECT_EQ(groups.services, c.sameService ? pair : Groups()) << c.what;
        EXPECT_EQ(groups.names, c.sameName ? pair : Groups()) << c.what;
    }
}

TEST(Duplicates, NeighboursWithinTheToleranceFormOneGroup) {
    auto b = settingsImage();
    b.channel(0, at("A", 5, 28, 11000)).channel(1, at("B", 5, 28, 11008)).channel(2, at("C", 5, 28, 11016));
    b.channel(3, at("D", 5, 28, 11040)).channel(4, at("E", 6, 28, 11040)).channel(5, at("F", 6, 28, 11045));
    OpenDatabase open(b.build());
    EXPECT_EQ(cs::findDuplicates(open.db).services, (Groups{{0, 1, 2}, {4, 5}}));
}

// Thousands of channels drawn from few names, services and frequencies, so that groups of many
// members, neighbouring keys and colliding hashes all occur; the groups must be the ones a plain
// grouping by the comparable name and by service gives.
TEST(Duplicates, ManyChannelsGroupAsAPlainGroupingDoes) {
    const char* names[] = {"News", "news ", " NEWS", "Sport", "Sport 2", "", "   ", "Kino", "KINO  1", "kino 1"};
    const std::uint8_t satellites[] = {19, 28, 64};
    std::mt19937 random(7);
    auto b = settingsImage();
    std::vector<fx::ChannelFields> channels;
    for (std::uint16_t slot = 0; slot < 3000; ++slot) {
        const std::uint8_t satellite = satellites[random() % std::size(satellites)];
        // DVB-T frequencies are in units of 0.1 MHz.
        const auto frequency = static_cast<std::uint16_t>((satellite == 64 ? 4740 : 11000) + random() % 60);
        fx::ChannelFields c = at(names[random() % std::size(names)], static_cast<std::uint16_t>(1 + random() % 60), satellite,
                               frequency, static_cast<std::uint8_t>(random() % 2));
        b.channel(slot, c);
        channels.push_back(c);
    }
    OpenDatabase open(b.build());
    ASSERT_EQ(open.db.channelCount(), channels.size());
    const cs::DuplicateGroups groups = cs::findDuplicates(open.db);

    std::map<std::pair<int, std::string>, std::vector<std::uint16_t>> byName;
    std::map<std::tuple<int, int, int>, std::vector<std::pair<std::uint16_t, std::uint16_t>>> byService;
    for (std::uint16_t slot = 0; slot < channels.size(); ++slot) {
        const fx::ChannelFields& c = channels[slot];
        if (!cs::comparableName(c.name).empty())
            byName[{c.satellite, cs::comparableName(c.name)}].push_back(slot);
        const int polarisation = c.satellite >= 64 ? 0 : c.polarisation;
        byService[{c.satellite, polarisation, c.serviceId}].push_back({c.frequency, slot});
    }
    Groups expectedNames, expectedServices;
    for (const auto& [key, slots] : byName)
        if (slots.size() > 1)
            expectedNames.push_back(slots);
    for (auto& [key, members] : byService) {
        std::sort(members.begin(), members.end());
        Groups chains{{members[0].second}};
        for (std::size_t k = 1; k < members.size(); ++k) {
            if (cs::sameTransmission(static_cast<std::uint8_t>(std::get<0>(key)), members[k - 1].first, std::get<1>(key),
                                     members[k].first, std::get<1>(key)))
                chains.back().push_back(members[k].second);
            else
                chains.push_back({members[k].second});
        }
        for (auto& chain : chains)
            if (chain.size() > 1)
                expectedServices.push_back(chain);
    }
    for (Groups* g : {&expectedNames, &expectedServices}) {
        for (auto& group : *g)
            std::sort(group.begin(), group.end());
        std::sort(g->begin(), g->end());
    }
    ASSERT_GT(expectedNames.size(), 10u);
    ASSERT_GT(expectedServices.size(), 100u);
    EXPECT_EQ(groups.names, expectedNames);
    EXPECT_EQ(groups.services, expectedServices);
}

TEST(Duplicates, RemovalMovesListMembershipsToTheKeptChannel) {
    auto b = settingsImage();
    b.listCount(8);
    for (std::size_t k = 1; k <= 8; ++k)
        b.listName(k, "List " + std::to_string(k));
    fx::ChannelFields keep = at("Keep", 5, 28, 11000);
    keep.listPositions[0] = 4;
    fx::ChannelFields gone = at("Keep", 5, 28, 11002);
    gone.listPositions[0] = 1;  // the kept channel's own place in list 1 stays
    for (std::size_t k = 2; k <= 8; ++k)
        gone.listPositions[k - 1] = static_cast<std::uint16_t>(k);  // lists 2..8 move over
    fx::ChannelFields other = at("Other", 6, 28, 11000);
    other.listPositions[1] = 1;
    other.listPositions[7] = 1;
    b.channel(0, keep).channel(1, other).channel(2, gone);
    OpenDatabase open(b.build());
    const cs::DuplicateRemoval removal{0, {2, 0}};  // naming the kept one as removed changes nothing
    EXPECT_EQ(cs::removeDuplicates(open.db, std::span(&removal, 1)), 1u);
    EXPECT_EQ(open.names(open.mainList()), (Names{"Keep", "Other"}));
    EXPECT_EQ(open.db.record(0).listPosition(1), 4);
    for (std::size_t k = 2; k <= 8; ++k)
        EXPECT_EQ(open.db.record(0).listPosition(k), k) << "list " << k;
    EXPECT_EQ(open.names(open.list(2)), (Names{"Other", "Keep"}));
    EXPECT_EQ(open.names(open.list(8)), (Names{"Other", "Keep"}));
    EXPECT_TRUE(cs::findDuplicates(open.db).services.empty());
}

} // namespace
