// Code-page tables and the UTF-8 check, against the C library's own converter.
#include "lang/text_encoding.h"

#include <gtest/gtest.h>

#include <iconv.h>

namespace cs::lang {
namespace {

// One byte converted by iconv; nullopt when iconv has no character for it.
std::optional<std::string> iconvByte(const char* codePage, unsigned char byte) {
    iconv_t cd = iconv_open("UTF-8", codePage);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    std::size_t inLeft = 1, outLeft = sizeof out;
    const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1))
        return std::nullopt;
    return std::string(out, sizeof out - outLeft);
}

TEST(CodePages, EveryUpperByteMatchesTheSystemConverter) {
    for (auto [page, name] : {std::pair{CodePage::Windows1250, "CP1250"}, std::pair{CodePage::Windows1252, "CP1252"}}) {
        if (!iconvByte(name, 'A'))
            GTEST_SKIP() << "the C library has no " << name << " converter";
        for (int b = 0x80; b <= 0xFF; ++b) {
            const std::string ours = codePageToUtf8(std::string(1, static_cast<char>(b)), page);
            const auto reference = iconvByte(name, static_cast<unsigned char>(b));
            // Bytes the code page leaves undefined become the replacement character.
            EXPECT_EQ(ours, reference.value_or("\xEF\xBF\xBD")) << name << " byte 0x" << std::hex << b;
        }
    }
}

TEST(CodePages, AsciiPassesThroughAndTheFileNameChoosesThePage) {
    EXPECT_EQ(codePageToUtf8("Plain [ASCII]=text\r\n", CodePage::Windows1250), "Plain [ASCII]=text\r\n");
    for (std::string_view name : {"Polski.lng", "POLSKI2.LNG", "Slovensky.lng", "Cesky.lng", "Magyar.lng"})
        EXPECT_EQ(codePageForFileName(name), CodePage::Windows1250) << name;
    for (std::string_view name : {"English.lng", "Espanol.lng", "Italiano.lng", "Deutsch.lng", "Default.lng"})
        EXPECT_EQ(codePageForFileName(name), CodePage::Windows1252) << name;
}

TEST(Utf8Check, AcceptsWellFormedTextOnly) {
    struct Case {
        std::string_view bytes;
        bool valid;
    } cases[] = {
        {"", true},
        {"ASCII only", true},
        {"\xC5\xBC\xE2\x82\xAC\xF0\x9F\x98\x80", true}, // 2-, 3- and 4-byte forms
        {"\xF4\x8F\xBF\xBF", true},                     // U+10FFFF
        {"\xBF", false},                                // lone continuation byte
        {"\xC5", false},                                // truncated
        {"\xE2\x82", false},
        {"\xC0\xAF", false},                            // overlong "/"
        {"\xE0\x80\xAF", false},
        {"\xF0\x80\x80\xAF", false},
        {"\xED\xA0\x80", false},                        // surrogate U+D800
        {"\xF4\x90\x80\x80", false},                    // above U+10FFFF
        {"\xC5\x41", false},                            // continuation missing
        {"Za\xBF\xF3\xB3\xE6", false},                  // Windows-1250 text
    };
    for (const auto& c : cases)
        EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << testing::PrintToString(std::string(c.bytes));
}

TEST(Utf8Check, MislabelledByteOrderMarkFallsBackToTheCodePage) {
    EXPECT_EQ(decodeLanguageFile("\xEF\xBB\xBFZa\xBF", CodePage::Windows1250), "Za\xC5\xBC");
    // an odd trailing byte of UTF-16 is dropped, an unpaired surrogate is replaced
    EXPECT_EQ(decodeLanguageFile(std::string_view("\xFF\xFE" "A\0\x00\xD8" "B\0x", 9), CodePage::Windows1252),
              "A\xEF\xBF\xBD" "B");
}

} // namespace
} // namespace cs::lang
