// Where the user's language files are looked for.
#include "lang/language_folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace cs::lang {
namespace {

// Sets or removes an environment variable and restores it afterwards.
class EnvVar {
public:
    EnvVar(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }
    ~EnvVar() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

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
    EnvVar home("HOME", "/home/me");
    for (const auto& c : cases) {
        EnvVar xdg("XDG_DATA_HOME", c.xdg);
        EXPECT_EQ(userLanguageFolder().lexically_normal(), std::filesystem::path(c.expected)) << c.xdg.value_or("(unset)");
    }
    EnvVar xdg("XDG_DATA_HOME", std::nullopt);
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
