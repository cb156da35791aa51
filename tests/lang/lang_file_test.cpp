// External language files: which files are accepted, and how their bytes become text.
#include "lang/lang_file.h"

#include "lang/text_encoding.h"
#include "lang_test_support.h"

#include <gtest/gtest.h>

namespace cs::lang {
namespace {

using test::TempDir;
using test::writeFile;

TEST(LanguageFileAcceptance, NeedsALanguageSectionHoldingAKey) {
    struct Case {
        std::string_view what;
        std::string_view text;
        bool accepted;
    } cases[] = {
        {"usual file", "[LANGUAGE]\r\nMenuFile=&File\r\n", true},
        {"section name in any case, padded", "  [ language ]  \r\nKey=x\r\n", true},
        {"section further down", "; header\r\n[Other]\r\nA=1\r\n[Language]\r\nKey=x\r\n", true},
        {"key with empty text still counts", "[LANGUAGE]\r\nKey=\r\n", true},
        {"template without texts", "[LANGUAGE]\r\n\r\n; comment\r\n\r\n", false},
        {"keys only in another section", "[LANGUAGE]\r\n[Other]\r\nKey=x\r\n", false},
        {"keys before the section", "Key=x\r\n[LANGUAGE]\r\n", false},
        {"no key left of the equals sign", "[LANGUAGE]\r\n  =text\r\n", false},
        {"line without equals sign", "[LANGUAGE]\r\nJust words\r\n", false},
        {"other section name", "[LANGUAGES]\r\nKey=x\r\n", false},
        {"empty file", "", false},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const auto path = dir / "Case.lng";
        writeFile(path, c.text);
        std::string error;
        const auto entry = readLanguageFile(path, error);
        EXPECT_EQ(entry.has_value(), c.accepted) << c.what;
        EXPECT_EQ(error.empty(), c.accepted) << c.what << ": " << error;
    }
}

TEST(LanguageFileAcceptance, UnreadableAndOversizedFilesAreRefusedWithAReason) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(readLanguageFile(dir / "Missing.lng", error));
    EXPECT_FALSE(error.empty());

    std::string huge = "[LANGUAGE]\r\nKey=x\r\n";
    huge.resize(kMaxLanguageFileSize + 1, ' ');
    writeFile(dir / "Huge.lng", huge);
    error.clear();
    EXPECT_FALSE(readLanguageFile(dir / "Huge.lng", error));
    EXPECT_NE(error.find("too large"), std::string::npos);
}

// Files whose texts cannot be shown are refused with a reason, whatever their section holds.
TEST(LanguageFileAcceptance, FilesWhoseTextsCannotBeShownAreRefused) {
    const std::string longText(kMaxLanguageLineLength, 'x');
    struct Case {
        std::string_view what;
        std::string bytes;
        std::string_view reason; // empty: accepted
    } cases[] = {
        {"longest line accepted", "[LANGUAGE]\r\nK=" + longText.substr(2) + "\r\n", ""},
        {"one line too long", "[LANGUAGE]\r\nMenuFile=&File\r\nK=" + longText + "\r\n", "line 3 is too long"},
        {"CR-only line ends: one over-long line",
         "[LANGUAGE]\r\nMenuFile=&File\r" + std::string(100, 'x') + "\r" + longText, "line 2 is too long"},
        {"lone CR inside a line", "[LANGUAGE]\r\nMenuFile=&File\rMenuEdit=&Edit\r\n", "control character"},
        {"NUL inside a text", std::string("[LANGUAGE]\r\nMenuFile=Pl\0ik\r\n", 28), "control character"},
        {"byte the code page leaves undefined", "[LANGUAGE]\r\nMenuFile=\x81Plik\r\n", "cannot be decoded"},
        {"tab kept", "[LANGUAGE]\r\nMenuFile=&File\tCtrl+F\r\n", ""},
    };
    TempDir dir;
    for (const auto& c : cases) {
        writeFile(dir / "Polski2.lng", c.bytes);
        std::string error;
        const auto entry = readLanguageFile(dir / "Polski2.lng", error);
        EXPECT_EQ(entry.has_value(), c.reason.empty()) << c.what << ": " << error;
        if (!c.reason.empty())
            EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    }
}

// UTF-16 little endian with its byte-order mark, as some Windows editors save "Unicode".
std::string utf16le(std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

TEST(LanguageFileEncoding, Utf8IsKeptAndEightBitTextFollowsTheLanguagesCodePage) {
    struct Case {
        std::string_view fileName;
        std::string bytes;
        std::string_view expectedText; // UTF-8
    } cases[] = {
        // UTF-8 is taken as it is, whatever the language
        {"Polski.lng", "[LANGUAGE]\r\nKey=Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87\r\n", "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87"},
        // byte-order mark dropped
        {"Espanol.lng", "\xEF\xBB\xBF[LANGUAGE]\r\nKey=Espa\xC3\xB1ol\r\n", "Espa\xC3\xB1ol"},
        // Windows-1250: ż ó ł ć ś ą (0xBF 0xF3 0xB3 0xE6 0x9C 0xB9)
        {"Polski.lng", "[LANGUAGE]\r\nKey=\xBF\xF3\xB3\xE6\x9C\xB9\r\n",
         "\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87\xC5\x9B\xC4\x85"},
        // Windows-1250 for Slovak: ľ š č ô (0xBE 0x9A 0xE8 0xF4)
        {"slovensky2.lng", "[LANGUAGE]\r\nKey=\xBE\x9A\xE8\xF4\r\n", "\xC4\xBE\xC5\xA1\xC4\x8D\xC3\xB4"},
        // Windows-1252: ñ é € (0xF1 0xE9 0x80)
        {"Espanol.lng", "[LANGUAGE]\r\nKey=\xF1\xE9\x80\r\n", "\xC3\xB1\xC3\xA9\xE2\x82\xAC"},
        // the same bytes in a file of a Western language read as Windows-1252: ¿ ó ³ æ œ ¹
        {"Italiano.lng", "[LANGUAGE]\r\nKey=\xBF\xF3\xB3\xE6\x9C\xB9\r\n",
         "\xC2\xBF\xC3\xB3\xC2\xB3\xC3\xA6\xC5\x93\xC2\xB9"},
        {"Polski.lng", utf16le(u"[LANGUAGE]\r\nKey=\u017C\U0001F600"), "\xC5\xBC\xF0\x9F\x98\x80"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        writeFile(dir / c.fileName, c.bytes);
        std::string error;
        const auto entry = readLanguageFile(dir / c.fileName, error);
        ASSERT_TRUE(entry.has_value()) << c.fileName << ": " << error;
        EXPECT_EQ(entry->name(), c.fileName);
        EXPECT_EQ(entry->text("Key"), c.expectedText) << c.fileName;
    }
}

} // namespace
} // namespace cs::lang
