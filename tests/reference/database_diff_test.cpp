// Comparing two databases on small generated images: how channels are matched, how each change
// is classified, favourite lists and settings parts; and a database against itself and its save.
#include "database/database_test_support.h"
#include "reference/database_diff.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <numeric>

namespace {

using namespace cs::dbtest;
using cs::ChannelChange;
using cs::DatabaseDiff;
namespace field = cs::diff_field;

fx::ChannelFields at(std::string name, std::uint16_t sid, std::uint16_t frequency) {
    fx::ChannelFields s = tv(std::move(name), sid);
    s.frequency = frequency;
    return s;
}

// Five channels on satellite 28 in slots 0..4, list 1 "Fav" holding Bravo, Delta, Alpha.
std::vector<fx::ChannelFields> baseChannels() {
    std::vector<fx::ChannelFields> c = {at("Alpha", 1, 11000), at("Bravo", 2, 11100), at("Charlie", 3, 11200),
                                      at("Delta", 4, 11300), at("Echo", 5, 11400)};
    c[1].listPositions[0] = 1;
    c[3].listPositions[0] = 2;
    c[0].listPositions[0] = 3;
    return c;
}

fx::ImageBytes imageOf(const std::vector<fx::ChannelFields>& channels,
                       const std::function<void(fx::DatabaseImageBuilder&)>& extra = {}) {
    auto b = settingsImage();
    b.listCount(1).listName(1, "Fav");
    b.transponder(fx::satelliteTransponder(28, 11000, 27500));
    b.provider(0, 1, "North");
    for (std::size_t i = 0; i < channels.size(); ++i)
        b.channel(i, channels[i]);
    if (extra)
        extra(b);
    return b.build();
}

// What one comparison found: the names of each change, in the order reported.
struct Found {
    std::map<ChannelChange, Names> names;
    std::map<std::string, unsigned> fields;  // changed channel (B name) -> fields
};

// Names in the order of the channel table: the main list.
Names tableNames(const OpenDatabase& open) {
    Names names;
    for (std::uint16_t slot : cs::mainListSlots(open.db))
        names.emplace_back(open.db.record(slot).name());
    return names;
}

Found summarise(const DatabaseDiff& diff) {
    Found f;
    for (const cs::ChannelDifference& d : diff.channels) {
        f.names[d.change].push_back(d.change == ChannelChange::Added ? d.nameB : d.nameA);
        if (d.change == ChannelChange::Changed)
            f.fields[d.nameB] = d.fields;
    }
    return f;
}

struct ChannelCase {
    const char* what;
    std::function<void(std::vector<fx::ChannelFields>&)> edit;
    std::map<ChannelChange, Names> expected;
    std::map<std::string, unsigned> fields;
};

const ChannelCase kChannelCases[] = {
    {"nothing edited", [](auto&) {}, {}, {}},
    {"a channel added at the end", [](auto& c) { c.push_back(at("Foxtrot", 6, 11500)); },
     {{ChannelChange::Added, {"Foxtrot"}}}, {}},
    {"a channel removed from the middle moves none of the others",
     [](auto& c) { c.erase(c.begin() + 2); }, {{ChannelChange::Removed, {"Charlie"}}}, {}},
    {"a rename found by service identity", [](auto& c) { c[1].name = "Bravo HD"; },
     {{ChannelChange::Renamed, {"Bravo"}}}, {}},
    {"the first channel moved to the end is the only one moved",
     [](auto& c) { std::rotate(c.begin(), c.begin() + 1, c.end()); }, {{ChannelChange::Moved, {"Alpha"}}}, {}},
    {"a new service ID is matched by the unique name and reported changed",
     [](auto& c) { c[2].serviceId = 300; }, {{ChannelChange::Changed, {"Charlie"}}}, {{"Charlie", field::kOther}}},
    {"a channel on another transponder, same name, is matched by name",
     [](auto& c) {
         c[4].frequency = 12500;
         c[4].polarisation = 1;
         c[4].symbolRate = 27500;
     },
     {{ChannelChange::Changed, {"Echo"}}}, {{"Echo", field::kFrequency | field::kPolarisation | field::kSymbolRate}}},
    {"PIDs, TV to radio and scrambling",
     [](auto& c) {
         c[3].videoPid = 0;
         c[3].videoFlag = false;
         c[3].audioPid = 90;
         c[3].scrambled = true;
     },
     {{ChannelChange::Changed, {"Delta"}}},
     {{"Delta", field::kVideoPid | field::kAudioPid | field::kTvRadio | field::kScrambled}}},
    {"a provider given", [](auto& c) { c[0].providerNumber = 1; }, {{ChannelChange::Changed, {"Alpha"}}},
     {{"Alpha", field::kProvider}}},
    {"a new service ID and a new name: removed and added",
     [](auto& c) {
         c[2].serviceId = 300;
         c[2].name = "Zulu";
     },
     {{ChannelChange::Removed, {"Charlie"}}, {ChannelChange::Added, {"Zulu"}}}, {}},
    {"a name that is not unique is not matched",
     [](auto& c) {
         c[2].serviceId = 300;
         c.push_back(at("Charlie", 301, 11600));
     },
     {{ChannelChange::Removed, {"Charlie"}}, {ChannelChange::Added, {"Charlie", "Charlie"}}}, {}},
    {"renamed and moved gives one entry of each",
     [](auto& c) {
         c[0].name = "Alpha 2";
         std::rotate(c.begin(), c.begin() + 1, c.end());
     },
     {{ChannelChange::Renamed, {"Alpha"}}, {ChannelChange::Moved, {"Alpha"}}}, {}},
};

TEST(DatabaseDiffChannels, ClassifiesEachChange) {
    for (const ChannelCase& c : kChannelCases) {
        SCOPED_TRACE(c.what);
        std::vector<fx::ChannelFields> after = baseChannels();
        c.edit(after);
        OpenDatabase a(imageOf(baseChannels()));
        OpenDatabase b(imageOf(after));
        ASSERT_EQ(a.openResult(), cs::OpenResult::Loaded);
        ASSERT_EQ(b.openResult(), cs::OpenResult::Loaded);
        const Found found = summarise(cs::compareDatabases(a.db, b.db));
        EXPECT_EQ(found.names, c.expected);
        EXPECT_EQ(found.fields, c.fields);
    }
}

struct ListCounts {
    std::size_t added, removed, moved;
    bool operator==(const ListCounts&) const = default;
};

TEST(DatabaseDiffLists, AddedRemovedAndMovedMembers) {
    struct Case {
        const char* what;
        std::function<void(std::vector<fx::ChannelFields>&)> edit;
        ListCounts expected;
    };
    const Case cases[] = {
        {"unchanged", [](auto&) {}, {0, 0, 0}},
        {"Echo joins at the end", [](auto& c) { c[4].listPositions[0] = 4; }, {1, 0, 0}},
        {"Delta leaves, the others close up",
         [](auto& c) {
             c[3].listPositions[0] = 0;
             c[0].listPositions[0] = 2;
         },
         {0, 1, 0}},
        {"Alpha to the front", [](auto& c) {
             c[0].listPositions[0] = 1;
             c[1].listPositions[0] = 2;
             c[3].listPositions[0] = 3;
         },
         {0, 0, 1}},
        {"a member removed from the database leaves the list", [](auto& c) { c.erase(c.begin() + 1); }, {0, 1, 0}},
        {"the list's positions renumbered without a change of order",
         [](auto& c) {
             c[1].listPositions[0] = 10;
             c[3].listPositions[0] = 20;
             c[0].listPositions[0] = 30;
         },
         {0, 0, 0}},
    };
    for (const Case& c : cases) {
        std::vector<fx::ChannelFields> after = baseChannels();
        c.edit(after);
        OpenDatabase a(imageOf(baseChannels()));
        OpenDatabase b(imageOf(after));
        const DatabaseDiff diff = cs::compareDatabases(a.db, b.db);
        ASSERT_EQ(diff.lists.size(), 1u) << c.what;
        const cs::ListDifference& l = diff.lists[0];
        EXPECT_EQ(l.number, 1u);
        EXPECT_EQ((ListCounts{l.addedSlots.size(), l.removedSlots.size(), l.movedSlots.size()}), c.expected) << c.what;
    }
}

TEST(DatabaseDiffSettings, EachPartIsNamedOnItsOwn) {
    using cs::SettingsPart;
    using Edit = std::function<void(fx::DatabaseImageBuilder&)>;
    const std::vector<std::pair<Edit, std::vector<SettingsPart>>> cases = {
        {[](fx::DatabaseImageBuilder&) {}, {}},
        {[](fx::DatabaseImageBuilder& b) { b.satellite(5, fx::SatelliteFields{"Elsewhere", 13.0f, 1}); }, {SettingsPart::Satellites}},
        {[](fx::DatabaseImageBuilder& b) { b.converter(2, fx::ConverterFields{9750, 10750, 11700, 1, 0}); },
         {SettingsPart::Converters}},
        {[](fx::DatabaseImageBuilder& b) { b.transponder(fx::satelliteTransponder(28, 12000, 27500)); },
         {SettingsPart::Transponders}},
        {[](fx::DatabaseImageBuilder& b) { b.listCount(2).listName(2, "News"); }, {SettingsPart::Lists}},
        {[](fx::DatabaseImageBuilder& b) { b.listName(1, "Films"); }, {SettingsPart::Lists}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        OpenDatabase a(imageOf(baseChannels()));
        OpenDatabase b(imageOf(baseChannels(), cases[i].first));
        EXPECT_EQ(cs::compareDatabases(a.db, b.db).settings, cases[i].second) << "case " << i;
    }
}

TEST(DatabaseDiffSettings, TransponderOrderIsNoChange) {
    auto twoTransponders = [](bool reversed) {
        return [reversed](fx::DatabaseImageBuilder& b) {
            const auto x = fx::satelliteTransponder(28, 11500, 27500);
            const auto y = fx::satelliteTransponder(19, 12000, 22000);
            b.transponder(reversed ? y : x).transponder(reversed ? x : y);
        };
    };
    OpenDatabase a(imageOf(baseChannels(), twoTransponders(false)));
    OpenDatabase b(imageOf(baseChannels(), twoTransponders(true)));
    EXPECT_TRUE(cs::compareDatabases(a.db, b.db).same());
}

TEST(DatabaseDiffWhole, TheDemoDatabaseEqualsItselfAndItsSave) {
    OpenDatabase a(fx::demoDatabase());
    OpenDatabase b(fx::demoDatabase());
    ASSERT_EQ(a.openResult(), cs::OpenResult::Loaded);
    EXPECT_TRUE(cs::compareDatabases(a.db, b.db).same());

    // A save compacts, renumbers providers and stamps the date: none of it is a change.
    const auto saved = a.pathOf("saved.dsp");
    ASSERT_EQ(a.flash.saveImage(saved.string(), false), cs::SaveResult::Saved);
    cs::NullLog log;
    cs::Flash flash{log};
    cs::ChannelDatabase reopened{flash};
    ASSERT_EQ(flash.openImage(saved.string()), cs::OpenResult::Loaded);
    const DatabaseDiff diff = cs::compareDatabases(b.db, reopened);
    EXPECT_TRUE(diff.same()) << diff.channels.size() << " channel differences, " << diff.settings.size()
                             << " settings parts";
}

TEST(DatabaseDiffWhole, GapsInTheTableAreNoMove) {
    // The same channels with empty slots between them: a save would close the gaps.
    std::vector<fx::ChannelFields> c = baseChannels();
    OpenDatabase a(imageOf(c));
    OpenDatabase b(imageOf({}, [&](fx::DatabaseImageBuilder& builder) {
        for (std::size_t i = 0; i < c.size(); ++i)
            builder.channel(3 * i + 1, c[i]);
    }));
    const DatabaseDiff diff = cs::compareDatabases(a.db, b.db);
    EXPECT_TRUE(diff.same());
}

TEST(DatabaseDiffWhole, EntriesCarrySlotsPositionsAndHowTheyWereMatched) {
    std::vector<fx::ChannelFields> after = baseChannels();
    after[2].serviceId = 300;        // Charlie: by name
    after[1].name = "Bravo HD";      // by service
    after.insert(after.begin(), at("New", 9, 12000));
    OpenDatabase a(imageOf(baseChannels()));
    OpenDatabase b(imageOf(after));
    const DatabaseDiff diff = cs::compareDatabases(a.db, b.db);
    EXPECT_EQ(diff.count(ChannelChange::Added), 1u);
    EXPECT_EQ(diff.count(ChannelChange::Renamed), 1u);
    EXPECT_EQ(diff.count(ChannelChange::Changed), 1u);
    EXPECT_EQ(diff.count(ChannelChange::Moved), 0u);
    for (const cs::ChannelDifference& d : diff.channels) {
        if (d.change == ChannelChange::Renamed) {
            EXPECT_EQ(d.match, cs::MatchKind::Service);
            EXPECT_EQ(d.slotA, 1);
            EXPECT_EQ(d.slotB, 2);
            EXPECT_EQ(d.positionA, 2u);
            EXPECT_EQ(d.positionB, 3u);
            EXPECT_EQ(d.nameB, "Bravo HD");
        } else if (d.change == ChannelChange::Changed) {
            EXPECT_EQ(d.match, cs::MatchKind::Name);
            EXPECT_EQ(d.slotB, 3);
        } else {
            EXPECT_EQ(d.change, ChannelChange::Added);
            EXPECT_EQ(d.slotA, -1);
            EXPECT_EQ(d.slotB, 0);
            EXPECT_EQ(d.match, cs::MatchKind::None);
        }
    }
}

TEST(DatabaseDiffTake, RemovedRenamedAndMovedComeBackAsTheOtherFileHasThem) {
    struct Case {
        const char* what;
        std::function<void(std::vector<fx::ChannelFields>&)> edit;
        std::size_t restored, renamed, moved;
    };
    const Case cases[] = {
        {"a removed channel from the middle", [](auto& c) { c.erase(c.begin() + 2); }, 1, 0, 0},
        {"the first channel removed (it comes back without its list place)", [](auto& c) { c.erase(c.begin()); }, 1, 0, 0},
        {"a rename", [](auto& c) { c[1].name = "Bravo HD"; }, 0, 1, 0},
        {"a channel moved to the end", [](auto& c) { std::rotate(c.begin(), c.begin() + 1, c.end()); }, 0, 0, 1},
        {"all at once, in empty slots between",
         [](auto& c) {
             c[0].name = "Alpha 2";
             std::rotate(c.begin(), c.begin() + 1, c.end());
             c.erase(c.begin() + 1);
         },
         1, 1, 1},
    };
    for (const Case& c : cases) {
        std::vector<fx::ChannelFields> after = baseChannels();
        c.edit(after);
        OpenDatabase other(imageOf(baseChannels()));
        OpenDatabase shown(imageOf(after));
        const DatabaseDiff diff = cs::compareDatabases(other.db, shown.db);
        std::vector<std::size_t> all(diff.channels.size());
        std::iota(all.begin(), all.end(), 0);
        const cs::TakeSummary taken = cs::takeFromOther(shown.db, other.db, diff, all);
        EXPECT_EQ(taken.restored, c.restored) << c.what;
        EXPECT_EQ(taken.renamed, c.renamed) << c.what;
        EXPECT_EQ(taken.moved, c.moved) << c.what;
        EXPECT_EQ(taken.refused, 0u) << c.what;
        const DatabaseDiff again = cs::compareDatabases(other.db, shown.db);
        EXPECT_TRUE(again.channels.empty()) << c.what << ": " << again.channels.size() << " differences left";
        EXPECT_EQ(tableNames(shown), tableNames(other)) << c.what;
    }
}

TEST(DatabaseDiffTake, AddedChannelsAndAFullTableAreRefused) {
    std::vector<fx::ChannelFields> after = baseChannels();
    after.erase(after.begin());
    after.push_back(at("New", 9, 12000));
    OpenDatabase other(imageOf(baseChannels()));
    OpenDatabase shown(imageOf(after));
    const DatabaseDiff diff = cs::compareDatabases(other.db, shown.db);
    std::vector<std::size_t> added;
    for (std::size_t k = 0; k < diff.channels.size(); ++k)
        if (diff.channels[k].change == ChannelChange::Added)
            added.push_back(k);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(cs::takeFromOther(shown.db, other.db, diff, added).refused, 1u);
    EXPECT_EQ(cs::compareDatabases(other.db, shown.db).count(ChannelChange::Added), 1u);

    // Every slot taken: the removed channel has nowhere to go and nothing changes.
    auto full = settingsImage();
    for (std::size_t slot = 0; slot < 4000; ++slot)
        full.channel(slot, at("Filler " + std::to_string(slot), static_cast<std::uint16_t>(1000 + slot), 12200));
    OpenDatabase crowded(full.build());
    const DatabaseDiff lost = cs::compareDatabases(other.db, crowded.db);
    std::vector<std::size_t> removed;
    for (std::size_t k = 0; k < lost.channels.size(); ++k)
        if (lost.channels[k].change == ChannelChange::Removed)
            removed.push_back(k);
    ASSERT_FALSE(removed.empty());
    const cs::TakeSummary taken = cs::takeFromOther(crowded.db, other.db, lost, removed);
    EXPECT_EQ(taken.restored, 0u);
    EXPECT_EQ(taken.refused, removed.size());
}

} // namespace
