// Where the user's language files are looked for.
#include "lang/language_folders.h"

#include "support/env_override.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace cs::lang {
namespace {

using testsupport::EnvOverride;

TEST(LanguageFolders, XdgDataHomeWhenAbsoluteOtherwiseHomeLocalShare) {
    struct Case {
        std::optional<std::string> xdg;
        std::string expected;
    } cases[] = {
        {"/data/me", "/data/me/channelsettings"},
        {"/data/me/", "/data/me/channelsettings"},
        {"relative/dir", "/home/me/.local/share/channelsettings"}, // relative values are invalid
        {"", "/home/me/.local/share/channelsettings"},
        {std::nullopt, "/home/me/.local/share/channelsettings"},
    };
    EnvOverride home("HOME", "/home/me");
    for (const auto& c : cases) {
        EnvOverride xdg("XDG_DATA_HOME", c.xdg ? c.xdg->c_str() : nullptr);
        EXPECT_EQ(userLanguageFolder().lexically_normal(), std::filesystem::path(c.expected)) << c.xdg.value_or("(unset)");
    }
    EnvOverride xdg("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(languageTemplatePath(), std::filesystem::path("/home/me/.local/share/channelsettings/Default.lng"));
}

TEST(LanguageFolders, ProgramFolderIsTheRunningExecutablesFolder) {
    const auto folder = programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(std::filesystem::exists(folder / "lang_tests"));
}

} // namespace
} // namespace cs::lang
