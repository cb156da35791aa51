// The language template a user completes to add a language.
#include "lang/lang_template.h"

#include "lang/builtin_languages.h"
#include "lang/lang_file.h"
#include "lang_test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace cs::lang {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(LanguageTemplate, SevenHeaderLinesThenTheEnglishExamplesWithCrLf) {
    TempDir dir;
    const auto path = dir / "sub" / "folder" / "Default.lng";
    std::string error;
    ASSERT_TRUE(writeLanguageTemplate(path, error)) << error;

    const std::string text = readFile(path);
    const std::string header = "[LANGUAGE]\r\n"
                               "\r\n"
                               "; This file contains examples of texts in English\r\n"
                               "; Complete the words by your country language\r\n"
                               "; Save this file to the language extension *.lng\r\n"
                               "; In the directory where the editor\r\n"
                               "\r\n";
    ASSERT_EQ(text.substr(0, header.size()), header);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ASSERT_EQ(text[i - 1], '\r') << "bare LF at " << i;
        }
    }
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");

    // Saved under another name it is a complete English language file.
    std::filesystem::copy_file(path, dir / "Mine.lng");
    const auto entry = readLanguageFile(dir / "Mine.lng", error);
    ASSERT_TRUE(entry.has_value()) << error;
    const LanguageContent english("English.lng", splitLines(kEnglishText));
    EXPECT_EQ(entry->lines().size(), english.lines().size() + 6);
    for (std::string_view key : {"MenuFile", "MsgFileNotExisting", "HintOpeningBase"})
        EXPECT_EQ(entry->text(key), english.text(key));
}

TEST(LanguageTemplate, FailureIsReportedAndLeavesNoTemporaryFile) {
    TempDir dir;
    // target is a folder: nothing can replace it
    std::filesystem::create_directory(dir / "Default.lng");
    std::string error;
    EXPECT_FALSE(writeLanguageTemplate(dir / "Default.lng", error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Default.lng"));
    EXPECT_FALSE(std::filesystem::exists(dir / "Default.lng.tmp"));

    // a parent that is a file
    writeFile(dir / "plain", "x");
    error.clear();
    EXPECT_FALSE(writeLanguageTemplate(dir / "plain" / "Default.lng", error));
    EXPECT_FALSE(error.empty());
}

TEST(LanguageTemplate, UnwritableFolderKeepsTheExistingFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    TempDir dir;
    const auto locked = dir / "locked";
    writeFile(locked / "Default.lng", "my own texts");
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    std::string error;
    EXPECT_FALSE(writeLanguageTemplate(locked / "Default.lng", error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readFile(locked / "Default.lng"), "my own texts");
}

} // namespace
} // namespace cs::lang
