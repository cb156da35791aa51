// The CA-system table: which entry an identifier belongs to and the texts of its parts.
#include "properties/ca_systems.h"

#include <gtest/gtest.h>

using namespace cs::properties;

TEST(CaSystems, IdentifiersFindTheEntryOfTheirHighByte) {
    struct Case {
        std::uint16_t id;
        std::optional<std::size_t> entry;
    };
    const Case cases[] = {{0x0000, std::nullopt}, {0x0001, 0},  {0x0100, 1},  {0x01FF, 1},
                          {0x0604, 6},            {0x2600, 32}, {0x2700, std::nullopt},
                          {0x4700, 33},           {0x48FF, 34}, {0x4900, std::nullopt}, {0xFFFF, std::nullopt}};
    for (const Case& c : cases)
        EXPECT_EQ(findCaSystem(c.id), c.entry) << std::hex << c.id;
    EXPECT_EQ(caSystemBase(1), 0x0100);
    EXPECT_EQ(caSystemBase(34), 0x4800);
    EXPECT_EQ(caSystemBase(35), 0);
}

TEST(CaSystems, TextsJoinTheChosenPartsInOrder) {
    EXPECT_EQ(caIdentifierText(0x0100, kCaTextName | kCaTextSecondName), "Canal Plus, Seca/Mediaguard");
    EXPECT_EQ(caIdentifierText(0x01FF, kCaTextName | kCaTextSecondName), "Canal Plus, Seca/Mediaguard");
    EXPECT_EQ(caIdentifierText(0x0001, kCaTextName | kCaTextSecondName), "Standard system");
    EXPECT_EQ(caIdentifierText(0x2700, kCaTextName | kCaTextSecondName), "");
    EXPECT_EQ(caSystemText(1, kCaTextBase | kCaTextName | kCaTextSecondName), "0x0100, Canal Plus, Seca/Mediaguard");
    EXPECT_EQ(caSystemText(10, kCaTextBase | kCaTextName), "0x0a00, Nokia");
    EXPECT_EQ(caSystemText(6, kCaTextBase | kCaTextName | kCaTextSecondName), "0x0600, Irdeto");
    EXPECT_EQ(caSystemText(27, kCaTextSecondName), "France Telecom");
    EXPECT_EQ(caSystemText(35, kCaTextName), "");
}

TEST(CaSystems, ChannelListRowsSkipEmptyIdentifiersAndFollowTheHexOption) {
    const std::array<std::uint16_t, 3> ids = {0x0500, 0, 0x0604};
    const auto hex = caListRows(ids, true);
    ASSERT_EQ(hex.size(), 2u);
    EXPECT_EQ(hex[0].name, "France Telecom, Viaccess");
    EXPECT_EQ(hex[0].identifier, "0x0500");
    EXPECT_EQ(hex[1].name, "Irdeto");
    EXPECT_EQ(hex[1].identifier, "0x0604");
    const auto decimal = caListRows(ids, false);
    EXPECT_EQ(decimal[0].identifier, "1280");
    EXPECT_EQ(decimal[1].identifier, "1540");
    EXPECT_TRUE(caListRows({0, 0, 0}, true).empty());
}

TEST(CaSystems, FilterMenuOffersEntriesOneToThirtyFourWithTheirBase) {
    const auto items = codingSystemFilterItems();
    ASSERT_EQ(items.size(), 34u);
    EXPECT_EQ(items.front().base, 0x0100);
    EXPECT_EQ(items.front().caption, "0x0100, Canal Plus, Seca/Mediaguard");
    EXPECT_EQ(items.back().base, 0x4800);
    EXPECT_EQ(items.back().caption, "0x4800, Telemann");
}
