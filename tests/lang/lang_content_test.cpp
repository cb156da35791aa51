// Text lookup in one language: how lines are split, which line a key finds, and when "?" shows.
#include "lang/lang_content.h"

#include <gtest/gtest.h>

namespace cs::lang {
namespace {

LanguageContent content(std::string_view text) { return LanguageContent("Test.lng", splitLines(text)); }

TEST(LangLookup, FindsKeysWithoutRegardToCaseAndKeepsTheTextExactly) {
    const auto lang = content("[LANGUAGE]\r\n"
                              ";MENU\r\n"
                              "MenuFile=&File\r\n"
                              "Trailing=two blanks  \r\n"
                              "Equation=a=b=c\r\n"
                              "Hash=Line one.#Line two\r\n"
                              " Spaced =padded key\r\n"
                              "Tab=\tindented\r\n");
    struct Case {
        std::string_view key;
        std::string_view expected;
    } cases[] = {
        {"MenuFile", "&File"},
        {"menufile", "&File"},
        {"MENUFILE", "&File"},
        {"Trailing", "two blanks  "},
        {"Equation", "a=b=c"},
        {"Hash", "Line one.#Line two"},
        {" Spaced ", "padded key"},
        {"Spaced", "?"}, // blanks around a key are part of it
        {"Tab", "\tindented"},
        {"MenuEdit", "?"},
        {"", "?"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lang.text(c.key), c.expected) << "key [" << c.key << "]";
}

TEST(LangLookup, FirstLineOfARepeatedKeyWinsEvenWhenItsTextIsEmpty) {
    const auto lang = content("[LANGUAGE]\n"
                              "MsgFileNotExisting=doesn't  exist\n"
                              "MSGFILENOTEXISTING=The file does not exist\n"
                              "Empty=\n"
                              "Empty=later text\n");
    EXPECT_EQ(lang.text("MsgFileNotExisting"), "doesn't  exist");
    EXPECT_EQ(lang.text("Empty"), "?");
    ASSERT_TRUE(lang.find("Empty").has_value());
    EXPECT_EQ(*lang.find("Empty"), "");
}

TEST(LangLookup, SectionCommentAndBlankLinesAreNoTextLines) {
    const auto lang = content("[LANGUAGE]\n"
                              "; Comment=with equals\n"
                              ";Key=commented out\n"
                              "\n"
                              "[Other]=x\n"
                              "NoEquals\n"
                              "Key=real\n");
    EXPECT_EQ(lang.text("; Comment"), "?");
    EXPECT_EQ(lang.text("Key"), "real");
    EXPECT_EQ(lang.text("[Other]"), "?");
    EXPECT_EQ(lang.text("NoEquals"), "?");
}

TEST(LangLookup, LinesSplitAtCrLfOrLfAndAFinalBreakAddsNoLine) {
    EXPECT_EQ(splitLines("a\r\nb\nc\r\n"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(splitLines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(splitLines("a\rb\n"), (std::vector<std::string>{"a\rb"})); // a lone CR is text
    EXPECT_TRUE(splitLines("").empty());
}

} // namespace
} // namespace cs::lang
