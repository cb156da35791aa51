// Finding rows by caption: prefix or whole text, any letter case, wrapping.
#include "editing/find_rules.h"

#include <gtest/gtest.h>

namespace cs::editing {
namespace {

const std::vector<std::string> kCaptions = {"BBC One", "bbc two", "CNN", "Arte", "BBC", "Eurosport"};
const CaptionAt kCaption = [](int row) { return kCaptions[static_cast<std::size_t>(row)]; };
const int kRows = static_cast<int>(kCaptions.size());

TEST(FindRules, MatchingIgnoresCaseAndHonoursWholeWord) {
    struct Case {
        std::string caption, text;
        bool whole, matches;
    } cases[] = {
        {"BBC One", "bbc", false, true}, {"BBC One", "bbc", true, false}, {"BBC", "bbc", true, true},
        {"BBC", "BBC One", false, false}, {"Arte", "rte", false, false}, {"", "", false, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(captionMatches(c.caption, c.text, c.whole), c.matches) << c.caption << " / " << c.text;
}

TEST(FindRules, FindNextWrapsAndSkipsTheStartRow) {
    EXPECT_EQ(findNextRow(kRows, kCaption, "bbc", false, 0), 1);
    EXPECT_EQ(findNextRow(kRows, kCaption, "bbc", false, 1), 4);
    EXPECT_EQ(findNextRow(kRows, kCaption, "bbc", false, 4), 0);  // wraps to the first match above
    EXPECT_EQ(findNextRow(kRows, kCaption, "cnn", false, 2), std::nullopt);  // only the row itself
    EXPECT_EQ(findNextRow(kRows, kCaption, "zdf", false, 0), std::nullopt);
    EXPECT_EQ(findNextRow(kRows, kCaption, "bbc", true, 0), 4);
}

TEST(FindRules, FindAllListsEveryMatch) {
    EXPECT_EQ(findAllRows(kRows, kCaption, "BBC", false), (std::vector<int>{0, 1, 4}));
    EXPECT_EQ(findAllRows(kRows, kCaption, "BBC", true), (std::vector<int>{4}));
    EXPECT_TRUE(findAllRows(kRows, kCaption, "x", false).empty());
}

TEST(FindRules, NumberSearchTextHasFourDigits) {
    EXPECT_EQ(numberSearchText("12"), "0012");
    EXPECT_EQ(numberSearchText(" 7 "), "0007");
    EXPECT_EQ(numberSearchText("12345"), "12345");
    EXPECT_EQ(numberSearchText("twelve"), std::nullopt);
    EXPECT_EQ(numberSearchText("12a"), std::nullopt);
    EXPECT_EQ(numberSearchText(""), std::nullopt);
}

} // namespace
} // namespace cs::editing
