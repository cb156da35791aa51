// Names typed in place and names read from another process's fields.
#include "editing/name_rules.h"

#include <gtest/gtest.h>

namespace cs::editing {
namespace {

TEST(NameRules, ChannelNamesTypedInPlace) {
    struct Case {
        std::string entered;
        std::optional<std::string> stored;
    } cases[] = {
        {"   News 24", "News 24"},
        {"Twenty characters!!!", "Twenty characte"},
        {"\x01\x02\x1f", std::nullopt},
        {"    ", std::nullopt},
        {"", std::nullopt},
        {"Caf\xC3\xA9 Plus", "Caf Plus"},
        {"A\tB~}", "AB}"},
        {"Trailing  ", "Trailing  "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(channelNameFromEdit(c.entered), c.stored) << c.entered;
}

TEST(NameRules, ListNamesTypedInPlace) {
    struct Case {
        std::string entered;
        std::string old;
        std::optional<std::string> stored;
    } cases[] = {
        {"List Sport", "LIST Old", "Sport"},
        {"LIST Movies", "LIST Old", "Movies"},
        {"  my list news ", "LIST Old", "my news"},
        {"Fourteen chars", "LIST Old", "Fourteen ch"},
        {"Plain", "LIST Old", "Plain"},
        {"   ", "LIST Old", "Old"},
        {"list ", "LIST Old", std::nullopt},
        {"\x01\x02", "LIST ", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(listNameFromEdit(c.entered, c.old, "list"), c.stored) << c.entered;
}

TEST(NameRules, FieldNamesEndAtTheirNulAndKeepNameCharacters) {
    EXPECT_EQ(nameFromField(std::string_view("Abc\0Def", 7), 16), "Abc");
    EXPECT_EQ(nameFromField("A\x7f" "B\x80" "C~D", 16), "ABCD");
    EXPECT_EQ(nameFromField("0123456789abcdefXYZ", 16), "0123456789abcdef");
}

} // namespace
} // namespace cs::editing
