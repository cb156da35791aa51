// channelsettings-cli lang: run as a separate program, as users and scripts run it.
#include "lang/builtin_languages.h"
#include "lang/lang_content.h"
#include "lang_test_support.h"
#include "support/cli_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cs::lang {
namespace {

using test::TempDir;
using test::writeFile;

using clitest::CliRun;

// Runs the program with the user's data folder inside `home`.
CliRun runLang(const TempDir& home, std::vector<std::string> args) {
    args.insert(args.begin(), "lang");
    return clitest::runCli(home.path(), args);
}

TEST(CliLang, ListsBuiltInLanguagesThenTheUsersFiles) {
    TempDir home;
    const auto folder = home / ".local/share/channelsettings";
    writeFile(folder / "Deutsch.lng", "[LANGUAGE]\r\nMenuFile=&Datei\r\n");
    writeFile(folder / "Broken.lng", "no section here\r\n");
    // A line end or tab in a file name must not break the one-entry-a-line list.
    writeFile(folder / "Two\nLines\t.lng", "[LANGUAGE]\r\nMenuFile=&Datei\r\n");
    const CliRun run = runLang(home, {});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "English.lng\tbuilt-in\n"
                       "Espanol.lng\tbuilt-in\n"
                       "Polski.lng\tbuilt-in\n"
                       "Slovensky.lng\tbuilt-in\n"
                       "Italiano.lng\tbuilt-in\n"
                       "Deutsch.lng\t" + (folder / "Deutsch.lng").string() + "\n" +
                       "Two\\nLines\\t.lng\t" + folder.string() + "/Two\\nLines\\t.lng\n");
    EXPECT_NE(run.err.find("Broken.lng"), std::string::npos);
}

TEST(CliLang, PrintsABuiltInLanguageCompleteInUtf8) {
    TempDir home;
    for (const BuiltInLanguage& language : builtInLanguages()) {
        const CliRun printed = runLang(home, {std::string(language.name)});
        EXPECT_EQ(printed.exitCode, 0) << printed.err;
        EXPECT_EQ(splitLines(printed.out), splitLines(language.text)) << language.name;
    }
    const CliRun polish = runLang(home, {"Polski.lng"});
    EXPECT_EQ(polish.out.substr(0, 11), "[LANGUAGE]\n");
    EXPECT_NE(polish.out.find("\nMenuOpen=&Otw\xC3\xB3rz...\n"), std::string::npos);
}

TEST(CliLang, RefusesNamesThatAreNotBuiltIn) {
    TempDir home;
    writeFile(home / ".local/share/channelsettings/Deutsch.lng", "[LANGUAGE]\r\nMenuFile=&Datei\r\n");
    for (std::string name : {"Deutsch.lng", "polski.lng", "Polski"}) {
        const CliRun run = runLang(home, {name});
        EXPECT_EQ(run.exitCode, 2) << name;
        EXPECT_TRUE(run.out.empty()) << name;
        EXPECT_NE(run.err.find(name), std::string::npos) << run.err;
    }
    EXPECT_EQ(runLang(home, {"Polski.lng", "English.lng"}).exitCode, 1);
}

} // namespace
} // namespace cs::lang
