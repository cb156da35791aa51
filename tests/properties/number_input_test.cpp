// Numbers typed into the properties boxes and the check each box runs when it loses focus.
#include "properties/number_input.h"

#include <gtest/gtest.h>

using namespace cs::properties;

TEST(NumberInput, ReadsDecimalAndEveryHexForm) {
    struct Case {
        const char* text;
        NumberText::Kind kind;
        std::int64_t value;
    };
    using K = NumberText::Kind;
    const Case cases[] = {
        {"", K::Blank, 0},          {"   ", K::Blank, 0},      {"  256 ", K::Number, 256}, {"-5", K::Number, -5},
        {"+7", K::Number, 7},       {"0x100", K::Number, 256}, {"0X1fff", K::Number, 8191}, {"$FF", K::Number, 255},
        {"x10", K::Number, 16},     {"X10", K::Number, 16},    {"0x", K::Invalid, 0},       {"$", K::Invalid, 0},
        {"12a", K::Invalid, 0},     {"0x-5", K::Invalid, 0},   {"--5", K::Invalid, 0},      {"1 2", K::Invalid, 0},
        {"2147483647", K::Number, 2147483647}, {"2147483648", K::Invalid, 0}, {"0xG", K::Invalid, 0},
    };
    for (const Case& c : cases) {
        const NumberText n = readNumber(c.text);
        EXPECT_EQ(n.kind, c.kind) << '"' << c.text << '"';
        if (c.kind == K::Number) {
            EXPECT_EQ(n.value, c.value) << '"' << c.text << '"';
        }
    }
}

TEST(NumberInput, RangeChecksAtTheirBoundaries) {
    struct Case {
        CheckedNumber (*check)(std::string_view);
        const char* text;
        Check expected;
    };
    const Case cases[] = {
        {checkChannelFrequency, "9749", Check::Refused}, {checkChannelFrequency, "9750", Check::Accepted},
        {checkChannelFrequency, "12750", Check::Accepted}, {checkChannelFrequency, "12751", Check::Refused},
        {checkChannelFrequency, " ", Check::Blank},      {checkChannelFrequency, "abc", Check::Refused},
        {checkSymbolRate, "499", Check::Refused},        {checkSymbolRate, "500", Check::Accepted},
        {checkSymbolRate, "65535", Check::Accepted},
        // Accepted by the box's range but wider than the record's 16 bits: refused, never cut.
        {checkSymbolRate, "65536", Check::Refused},      {checkSymbolRate, "300000", Check::Refused},
        {checkServiceId, "0", Check::Accepted},          {checkServiceId, "0xFFFF", Check::Accepted},
        {checkServiceId, "65536", Check::Refused},       {checkServiceId, "-1", Check::Refused},
        {checkPmtPid, "31", Check::Refused},             {checkPmtPid, "32", Check::Accepted},
        {checkPmtPid, "8191", Check::Accepted},          {checkPmtPid, "8192", Check::Refused},
        {checkPmtPid, "0", Check::Refused},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.check(c.text).check, c.expected) << '"' << c.text << '"';
    EXPECT_EQ(checkServiceId("$10").value, 16);
}

TEST(NumberInput, PidRulesAgainstTheOtherPid) {
    struct Case {
        const char* text;
        Pending other;
        Check expected;
    };
    const Case cases[] = {
        {"0", 80, Check::Accepted},         {"0", 0, Check::Refused},          {"0", std::nullopt, Check::Accepted},
        {"31", 80, Check::Refused},         {"32", 80, Check::Accepted},       {"8191", 80, Check::Accepted},
        {"8192", 80, Check::Refused},       {"80", 80, Check::Refused},        {"0x100", 80, Check::Accepted},
        {"", 80, Check::Blank},             {"pid", 80, Check::Refused},
    };
    for (const Case& c : cases)
        EXPECT_EQ(checkPid(c.text, c.other).check, c.expected) << '"' << c.text << '"';
    EXPECT_EQ(checkPid("0x100", 80).value, 256);
}

TEST(NumberInput, PendingPidsShowAsHexOrDecimal) {
    EXPECT_EQ(pendingText(256, true), "0x0100");
    EXPECT_EQ(pendingText(8191, true), "0x1FFF");
    EXPECT_EQ(pendingText(8191, false), "8191");
    EXPECT_EQ(pendingText(std::nullopt, true), "");
}

TEST(NumberInput, ChannelNameRule) {
    EXPECT_EQ(checkChannelName("  Das Erste  "), "Das Erste");
    EXPECT_EQ(checkChannelName("A\tB~C}D"), "ABC}D");
    EXPECT_EQ(checkChannelName("\xC3\xA9t\xC3\xA9"), "t");
    EXPECT_EQ(checkChannelName("ABCDEFGHIJKLMNOPQRS"), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(checkChannelName("   "), std::nullopt);
    EXPECT_EQ(checkChannelName("\x01\x02"), std::nullopt);
}

TEST(NumberInput, TenthMegahertzFitsTheSixteenBitField) {
    EXPECT_EQ(tenthMegahertz("474.0"), 4740);
    EXPECT_EQ(tenthMegahertz(" 177.5 "), 1775);
    EXPECT_EQ(tenthMegahertz("6553.5"), 65535);
    EXPECT_EQ(tenthMegahertz("6553.6"), std::nullopt);
    EXPECT_EQ(tenthMegahertz("-1"), std::nullopt);
    EXPECT_EQ(tenthMegahertz("abc"), std::nullopt);
}
