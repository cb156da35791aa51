// The chooser's state: what is listed, the sub-flags, the detail lists, confirming, and the
// component list of the command line.
#include "exchange_test_support.h"

#include "exchange/import_chooser.h"

#include <gtest/gtest.h>

namespace {

using namespace cs;
using namespace cs::extest;

ImportFile fourKinds() {
    fx::ChannelBaseFixture base;
    base.records = {fx::encodeChannelRecord(tv("One", 1)), fx::encodeChannelRecord(tv("Two", 2))};
    base.shownHigh = 1;  // the chooser shows the 32-bit value
    fx::DsxRecipe recipe;
    recipe.components = {
        {0, fx::kDsxChannelBase, fx::kDsxMarker, fx::channelBaseBlock(base), {}},
        {1, fx::kDsxTransponderList, fx::kDsxMarker, fx::ImageBytes(12, 1), {}},
        {3, fx::kDsxColourProfiles, fx::kDsxMarker, fx::colourProfilesBlock(), {}},
        {4, 16, fx::kDsxMarker, {}, {}},  // an unknown type is not listed
        {7, fx::kDsxReceiverSettings, fx::kDsxMarker, fx::receiverSettingsBlock(1), {}},
    };
    ImportFile file;
    EXPECT_EQ(readDsx(recipe, file), kImportRead);
    return file;
}

TEST(ImportChooser, ListsComponentsWithTheirLabelsAndSubFlagsSet) {
    const ImportFile file = fourKinds();
    ImportChooser chooser(file);
    const auto& items = chooser.items();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].label, "Baza programów (65538)");
    EXPECT_EQ(items[1].label, "Lista transponderów");
    EXPECT_EQ(items[2].label, "Palety kolorów ...");
    EXPECT_EQ(items[3].label, "Ustawienia odbiornika ...");
    for (const auto& item : items) {
        EXPECT_FALSE(item.selected);
        const SubFlags expected = item.hasSubItems() ? SubFlags{true, true, true, true} : SubFlags{};
        EXPECT_EQ(item.subFlags, expected);
    }
    EXPECT_EQ(items[3].entry, 7u);
}

TEST(ImportChooser, DetailListsConfirmAndRefusals) {
    const ImportFile file = fourKinds();
    ImportChooser chooser(file);
    EXPECT_FALSE(chooser.hasDetails(0));
    EXPECT_FALSE(chooser.hasDetails(1));
    EXPECT_TRUE(chooser.detailLabels(0).empty());
    EXPECT_EQ(chooser.detailLabels(2), (std::vector<std::string>{"Profil kolorów 1", "Profil kolorów 2",
                                                                   "Profil kolorów 3", "Profil kolorów 4"}));
    EXPECT_EQ(chooser.detailLabels(3),
              (std::vector<std::string>{"Indywidualne ustawienia odbiornika", "Parametry satelit / konwerterów",
                                        "Ustawienia preferowane", "Ustawienia timera"}));

    // A detail list with nothing checked keeps the previous sub-flags.
    EXPECT_FALSE(chooser.storeDetails(2, SubFlags{}));
    EXPECT_EQ(chooser.items()[2].subFlags, (SubFlags{true, true, true, true}));
    EXPECT_TRUE(chooser.storeDetails(2, SubFlags{false, true, false, true}));
    EXPECT_EQ(chooser.items()[2].subFlags, (SubFlags{false, true, false, true}));
    EXPECT_FALSE(chooser.storeDetails(0, SubFlags{true, false, false, false}));

    EXPECT_FALSE(chooser.confirm());
    EXPECT_FALSE(chooser.confirmed());
    chooser.items()[1].selected = true;
    EXPECT_TRUE(chooser.confirm());
}

TEST(ImportChooser, ComponentListSelectsEntriesAndSubItems) {
    const ImportFile file = fourKinds();
    ImportChooser chooser(file);
    ASSERT_EQ(chooser.selectFromList("0,3:2+4,7:1"), std::nullopt);
    EXPECT_TRUE(chooser.confirmed());
    EXPECT_TRUE(chooser.itemOfEntry(0)->selected);
    EXPECT_FALSE(chooser.itemOfEntry(1)->selected);
    EXPECT_EQ(chooser.itemOfEntry(3)->subFlags, (SubFlags{false, true, false, true}));
    EXPECT_EQ(chooser.itemOfEntry(7)->subFlags, (SubFlags{true, false, false, false}));

    // An entry named without sub-items takes all four again.
    ASSERT_EQ(chooser.selectFromList("3"), std::nullopt);
    EXPECT_FALSE(chooser.itemOfEntry(0)->selected);
    EXPECT_EQ(chooser.itemOfEntry(3)->subFlags, (SubFlags{true, true, true, true}));

    for (const char* bad : {"", "0,", "x", "-1", "2", "4", "0:1", "3:", "3:5", "3:0", "3:1++2", "3:1,", " 0"}) {
        ImportChooser fresh(file);
        ASSERT_EQ(fresh.selectFromList("7:3"), std::nullopt);
        EXPECT_NE(fresh.selectFromList(bad), std::nullopt) << '"' << bad << '"';
        EXPECT_TRUE(fresh.itemOfEntry(7)->selected) << bad;
        EXPECT_EQ(fresh.itemOfEntry(7)->subFlags, (SubFlags{false, false, true, false})) << bad;
    }
}

} // namespace
