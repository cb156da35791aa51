// What the database holds survives a save: changed databases reopen to the same channels,
// providers, favourite lists and names; the demo database opens with the facts it was made with.
#include "database_test_support.h"

namespace cs::dbtest {
namespace {

ChannelRecord recordOf(const fx::ChannelFields& recipe) {
    const fx::Record64 bytes = fx::encodeChannelRecord(recipe);
    return ChannelRecord(ConstBytes(bytes));
}

// Everything a user sees of a database, in view order.
std::vector<std::string> snapshot(OpenDatabase& o) {
    std::vector<std::string> out;
    const SettingsModel& model = o.flash.settings();
    const std::size_t lists = favouriteListCount(model.listCount);
    for (std::size_t k = 1; k <= lists; ++k) {
        std::string line = "list " + std::string(model.listName(k)) + ":";
        for (const auto& name : o.names(o.list(static_cast<std::uint8_t>(k))))
            line += " " + name;
        out.push_back(line);
    }
    const DisplayTexts texts(o.db, lang::englishTexts());
    for (std::uint16_t slot : o.mainList()) {
        const ChannelRow row = texts.channelRowTexts(slot, 0, false);
        out.push_back(row.name + "|" + row.satellite + "|" + row.frequency + "|" + row.provider);
    }
    o.db.refreshProviders(true, o.view);
    for (const auto& node : texts.providerNodes())
        out.push_back("provider " + node);
    return out;
}

TEST(SaveAndReopen, AChangedDatabaseReopensToTheSameDatabase) {
    auto b = settingsImage();
    b.listCount(2).listName(1, "Sport").listName(2, "News");
    b.provider(0, 1, "Alpha").provider(1, 2, "Beta");
    for (std::uint16_t i = 0; i < 12; ++i) {
        fx::ChannelFields s = tv("Ch " + std::to_string(i), static_cast<std::uint16_t>(100 - i), i % 3 ? 28 : 30);
        s.frequency = static_cast<std::uint16_t>(11000 + 20 * (i % 4));
        s.providerNumber = static_cast<std::uint16_t>(i % 3);
        if (i % 2)
            s.listPositions[0] = static_cast<std::uint16_t>(20 - i);
        b.channel(i, s);
    }
    OpenDatabase o(b.build());

    // Delete two channels, paste two, fill a new list and rename things.
    Slots rows = o.mainList();
    o.db.entry(rows[0]).setMarked(true);
    o.db.entry(rows[5]).setMarked(true);
    ASSERT_EQ(o.db.deleteMarked(), 2u);
    std::vector<IncomingChannel> in(2);
    in[0].record = recordOf(tv("Pasted A", 500, 5));
    in[0].providerName = "Gamma";
    in[1].record = recordOf(tv("Pasted B", 501, 5));
    in[1].providerName = "Gamma";
    ASSERT_EQ(o.db.insertIncoming(in), 2u);
    o.mainList();
    o.db.rebuildProviders();
    o.db.attachProviderNames();
    const std::size_t list3 = o.db.addList("Mine");
    ASSERT_EQ(list3, 3u);
    ViewRequest sat28;
    sat28.satellite = 28;
    EXPECT_GT(o.db.copyViewToList(sat28, o.view, list3), 0u);
    EXPECT_EQ(o.db.appendToList(list3, Slots{static_cast<std::uint16_t>(in[1].slot)}), 1u);
    ASSERT_TRUE(o.db.renameList(2, "Headlines"));
    ASSERT_TRUE(o.db.renameSatellite(30, "Hot"));
    const auto before = snapshot(o);

    const auto saved = o.pathOf("saved.dsp");
    ASSERT_EQ(o.flash.saveImage(saved.string(), false), SaveResult::Saved);
    EXPECT_EQ(snapshot(o), before) << "saving changes nothing in memory";
    OpenDatabase reopened(fx::readFile(saved));
    ASSERT_EQ(reopened.openResult(), OpenResult::Loaded);
    EXPECT_EQ(snapshot(reopened), before);
    EXPECT_EQ(reopened.db.channelCount(), 12u);
}

TEST(DemoDatabase, OpensWithItsFactsAndSavesUnchanged) {
    const fx::DemoFacts facts = fx::demoFacts();
    OpenDatabase o(fx::demoDatabase());
    ASSERT_EQ(o.openResult(), OpenResult::Loaded);
    EXPECT_EQ(o.mainList().size(), static_cast<std::size_t>(facts.channels));
    o.db.refreshProviders(true, o.view);
    EXPECT_EQ(o.db.providerCount(), static_cast<std::size_t>(facts.providers));
    std::vector<int> satellites;
    for (auto s : o.db.usedSatellites())
        satellites.push_back(s);
    EXPECT_EQ(satellites, facts.satellites);
    for (const auto& list : facts.lists)
        EXPECT_EQ(o.db.listMembers(static_cast<std::size_t>(list.number)), static_cast<std::size_t>(list.channels));
    ViewRequest tvOnly;
    tvOnly.tvRadio = tvRadioBits(1);
    ViewRequest radioOnly;
    radioOnly.tvRadio = tvRadioBits(2);
    EXPECT_EQ(o.select(tvOnly).size() + o.select(radioOnly).size(), static_cast<std::size_t>(facts.channels));

    const auto before = snapshot(o);
    ASSERT_EQ(o.flash.saveImage(o.pathOf("again.dsp").string(), false, SaveOptions{false, "20240301"}), SaveResult::Saved);
    const fx::ImageBytes original = fx::demoDatabase();
    const fx::ImageBytes saved = fx::readFile(o.pathOf("again.dsp"));
    EXPECT_TRUE(saved == original) << "the demo is in the state a save leaves";
    OpenDatabase reopened(saved);
    EXPECT_EQ(snapshot(reopened), before);
}

} // namespace
} // namespace cs::dbtest
