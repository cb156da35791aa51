#include "settings/stored_value_text.h"

#include <random>

#include <gtest/gtest.h>

namespace cs::test {
namespace {

TEST(StoredValueText, WritesTypedTexts) {
    EXPECT_EQ(integerText(99), "dword:00000063");
    EXPECT_EQ(integerText(-1), "dword:ffffffff");
    EXPECT_EQ(integerText(INT32_MIN), "dword:80000000");
    EXPECT_EQ(binaryText(std::vector<std::uint8_t>{0x00, 0xAB, 0xF0}), "hex:00abf0");
    EXPECT_EQ(stringText("/home/ann/Zażółć.dsp"), "/home/ann/Zażółć.dsp") << "printable UTF-8 stays readable";
    EXPECT_EQ(stringText("dword:1"), "sz:dword:1");
    EXPECT_EQ(stringText("50% \n"), "sz:50%25 %0a");
    EXPECT_EQ(stringText("bad \xC3("), "sz:bad %c3(");
}

TEST(StoredValueText, ReadsOnlyWellFormedValuesOfTheAskedType) {
    struct Case {
        const char* text;
        StoredType type;
    };
    const Case cases[] = {
        {"dword:0000000a", StoredType::integer}, {"dword:FFFFFFFF", StoredType::integer},
        {"dword:a", StoredType::malformed},      {"dword:0000000g", StoredType::malformed},
        {"dword:000000001", StoredType::malformed}, {"dword:", StoredType::malformed},
        {"hex:", StoredType::binary},            {"hex:00ff", StoredType::binary},
        {"hex:0", StoredType::malformed},        {"hex:zz", StoredType::malformed},
        {"sz:%41", StoredType::string},          {"sz:%4", StoredType::malformed},
        {"sz:%%", StoredType::malformed},        {"12", StoredType::string},
        {"", StoredType::string},                {"DWORD:00000001", StoredType::string},
    };
    for (const Case& c : cases)
        EXPECT_EQ(storedType(c.text), c.type) << c.text;
    EXPECT_EQ(integerFromText("dword:ffffff9c"), -100);
    EXPECT_FALSE(integerFromText("12")) << "a plain text is a string, not an integer";
    EXPECT_FALSE(stringFromText("dword:00000001")) << "an integer is not a string";
    EXPECT_EQ(stringFromText("sz:a%25b"), "a%b");
}

TEST(StoredValueText, AnyBytesRoundTrip) {
    std::mt19937 random(20240229);
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> byte(0, 255);
    // Prefixes and UTF-8 pieces make the interesting cases common.
    const std::string pieces[] = {"dword:", "hex:", "sz:", "%", "\xEF\xBB\xBF", "ż", "\xE2\x82", "\n", "/"};
    for (int round = 0; round < 5000; ++round) {
        std::string value;
        for (int n = length(random); n > 0; --n) {
            if (byte(random) < 64)
                value += pieces[static_cast<std::size_t>(byte(random)) % std::size(pieces)];
            else
                value += static_cast<char>(byte(random));
        }
        const std::string text = stringText(value);
        ASSERT_EQ(stringFromText(text), value) << text;
        ASSERT_EQ(storedType(text), StoredType::string) << text;
        ASSERT_TRUE(isValidUtf8(text)) << "the INI text is always valid UTF-8: " << text;

        const auto number = static_cast<std::int32_t>(random());
        ASSERT_EQ(integerFromText(integerText(number)), number);
        const std::vector<std::uint8_t> bytes(value.begin(), value.end());
        ASSERT_EQ(binaryFromText(binaryText(bytes)), bytes);
    }
}

} // namespace
} // namespace cs::test
