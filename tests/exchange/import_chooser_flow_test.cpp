// The chooser window's behaviour without widgets: which list shows, the captions and enabled
// states of its buttons, storing and dropping detail checks, the description, and when it closes.
#include "exchange_test_support.h"

#include "exchange/import_chooser_flow.h"
#include "exchange/import_texts.h"

#include <gtest/gtest.h>

namespace {

using namespace cs;
using namespace cs::extest;

ImportFile threeKinds(const std::string& description) {
    fx::ChannelBaseFixture base;
    base.records = {fx::encodeChannelRecord(tv("One", 1))};
    fx::DsxRecipe recipe;
    recipe.description = description;
    recipe.components = {
        {0, fx::kDsxChannelBase, fx::kDsxMarker, fx::channelBaseBlock(base), {}},
        {1, fx::kDsxColourProfiles, fx::kDsxMarker, fx::colourProfilesBlock(), {}},
        {2, fx::kDsxReceiverSettings, fx::kDsxMarker, fx::receiverSettingsBlock(1), {}},
    };
    ImportFile file;
    EXPECT_EQ(readDsx(recipe, file), kImportRead);
    return file;
}

TEST(ImportChooserFlow, DetailsButtonFollowsTheCurrentRow) {
    const ImportFile file = threeKinds("");
    ImportChooser chooser(file);
    ImportChooserFlow flow(chooser, file.descriptionUtf8());
    EXPECT_FALSE(flow.detailsEnabled());  // no row yet
    const struct {
        std::size_t row;
        bool enabled;
    } rows[] = {{0, false}, {1, true}, {2, true}};
    for (const auto& r : rows) {
        flow.setCurrent(r.row);
        EXPECT_EQ(flow.detailsEnabled(), r.enabled) << r.row;
        EXPECT_EQ(flow.detailsCaption(), "Sz&czegóły");
    }
    // A double-click on a component without a detail list does nothing.
    flow.openDetails(0);
    EXPECT_EQ(flow.page(), ChooserPage::Components);
}

TEST(ImportChooserFlow, DetailListStoresOnOkAndDropsOnCancel) {
    const ImportFile file = threeKinds("");
    ImportChooser chooser(file);
    ImportChooserFlow flow(chooser, "");
    flow.setCurrent(1);
    EXPECT_EQ(flow.details(), ChooserStep::Stay);
    ASSERT_EQ(flow.page(), ChooserPage::Details);
    EXPECT_EQ(flow.detailLabels().front(), "Profil kolorów 1");
    EXPECT_EQ(flow.detailChecks(), (SubFlags{true, true, true, true}));
    EXPECT_EQ(flow.detailsCaption(), "&Wróć");
    EXPECT_FALSE(flow.descriptionButtonEnabled());

    // Cancel leaves the list without storing.
    flow.setDetailChecked(0, false);
    EXPECT_EQ(flow.cancel(), ChooserStep::Stay);
    EXPECT_EQ(flow.page(), ChooserPage::Components);
    EXPECT_EQ(chooser.items()[1].subFlags, (SubFlags{true, true, true, true}));

    // OK stores the checks; nothing checked is refused and the list stays.
    flow.openDetails(2);
    for (std::size_t k = 0; k < kSubItemCount; ++k)
        flow.setDetailChecked(k, false);
    EXPECT_EQ(flow.ok(), ChooserStep::NothingChosen);
    EXPECT_EQ(flow.page(), ChooserPage::Details);
    flow.setDetailChecked(1, true);
    flow.setDetailChecked(3, true);
    EXPECT_EQ(flow.details(), ChooserStep::Stay);  // the "&Wróć" button stores like OK
    EXPECT_EQ(flow.page(), ChooserPage::Components);
    EXPECT_EQ(chooser.items()[2].subFlags, (SubFlags{false, true, false, true}));
    EXPECT_TRUE(flow.descriptionButtonEnabled());
}

TEST(ImportChooserFlow, OkConfirmsOnlyWithAComponentChecked) {
    const ImportFile file = threeKinds("");
    ImportChooser chooser(file);
    ImportChooserFlow flow(chooser, "");
    EXPECT_EQ(flow.ok(), ChooserStep::NothingChosen);
    EXPECT_FALSE(chooser.confirmed());
    flow.setSelected(2, true);
    EXPECT_EQ(flow.ok(), ChooserStep::Confirmed);
    EXPECT_TRUE(chooser.confirmed());

    ImportChooser other(file);
    ImportChooserFlow cancelled(other, "");
    cancelled.setSelected(0, true);
    EXPECT_EQ(cancelled.cancel(), ChooserStep::Cancelled);
    EXPECT_FALSE(other.confirmed());
}

TEST(ImportChooserFlow, DescriptionPageTogglesAndRestoresTheDetailsButton) {
    const ImportFile file = threeKinds("First line\nSecond line");
    ImportChooser chooser(file);
    ImportChooserFlow flow(chooser, file.descriptionUtf8());
    EXPECT_EQ(flow.descriptionLines(), (std::vector<std::string>{"First line", "Second line"}));
    flow.setCurrent(1);
    flow.description();
    EXPECT_EQ(flow.page(), ChooserPage::Description);
    EXPECT_EQ(flow.frameCaption(), "Opis pliku. Maksymalnie 255 znaków");
    EXPECT_EQ(flow.descriptionButtonCaption(), "&Wróć");
    EXPECT_FALSE(flow.detailsEnabled());
    // OK and Cancel on the description only hide it.
    EXPECT_EQ(flow.ok(), ChooserStep::Stay);
    EXPECT_EQ(flow.page(), ChooserPage::Components);
    flow.description();
    EXPECT_EQ(flow.cancel(), ChooserStep::Stay);
    EXPECT_EQ(flow.page(), ChooserPage::Components);
    EXPECT_EQ(flow.frameCaption(), "Dostępne składniki");
    EXPECT_EQ(flow.descriptionButtonCaption(), "&Wiadomość");
    EXPECT_TRUE(flow.detailsEnabled());

    ImportChooser none(file);
    EXPECT_EQ(ImportChooserFlow(none, "").descriptionLines(), (std::vector<std::string>{"Brak opis pliku."}));
}

} // namespace
