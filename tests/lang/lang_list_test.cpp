// Building the language list, choosing the current language and the process-wide lookup.
#include "lang/lang_list.h"

#include "common/log_sink.h"
#include "lang_test_support.h"

#include <gtest/gtest.h>

namespace cs::lang {
namespace {

using test::TempDir;
using test::writeFile;

std::vector<std::string> names(const LanguageList& list) {
    std::vector<std::string> out;
    for (const auto& entry : list.entries())
        out.push_back(entry.name());
    return out;
}

const std::vector<std::string> kBuiltIn = {"English.lng", "Espanol.lng", "Polski.lng", "Slovensky.lng",
                                           "Italiano.lng"};

TEST(LanguageList, BuiltInLanguagesComeFirstThenProgramFolderThenUserFolderEachSortedByName) {
    TempDir program, user;
    writeFile(program / "Zulu.lng", "[LANGUAGE]\r\nMenuFile=Zulu\r\n");
    writeFile(program / "Czech.LNG", "[LANGUAGE]\r\nMenuFile=Czech\r\n");
    writeFile(program / "English.lng", "[LANGUAGE]\r\nMenuFile=External English\r\n");
    writeFile(program / "notes.txt", "[LANGUAGE]\r\nMenuFile=not a language file\r\n");
    writeFile(program / ".Hidden.lng", "[LANGUAGE]\r\nMenuFile=hidden\r\n");
    std::filesystem::create_directory(program / "Folder.lng");
    writeFile(user / "Alpha.lng", "[LANGUAGE]\r\nMenuFile=Alpha\r\n");
    MemoryLog log;
    std::string choice;
    const LanguageList list = buildLanguageList({program.path(), user.path()}, choice, "en_US", log);

    std::vector<std::string> expected = kBuiltIn;
    expected.insert(expected.end(), {"Czech.LNG", "English.lng", "Zulu.lng", "Alpha.lng"});
    EXPECT_EQ(names(list), expected);
    for (std::size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(list.entries()[i].builtIn(), i < kBuiltIn.size()) << i;
    EXPECT_EQ(list.entries()[6].path(), (program / "English.lng").string());
    EXPECT_EQ(list.entries()[8].path(), (user / "Alpha.lng").string());
    EXPECT_EQ(list.entries()[6].text("MenuFile"), "External English");
}

TEST(LanguageList, TheProgramsOwnTextsComeFromTheLanguageElseInEnglish) {
    TempDir dir;
    writeFile(dir / "Deutsch.lng", "[LANGUAGE]\r\nMenuFile=&Datei\r\n");
    writeFile(dir / "Eigen.lng", "[LANGUAGE]\r\nLog_CopyAll=Alles kopieren\r\nLog_Title=\r\n");
    struct Case {
        const char* choice;
        const char* copyAll;
        const char* title;
    };
    const Case cases[] = {
        {"English.lng", "Copy all", "Log"},
        {"Polski.lng", "Kopiuj wszystko", "Dziennik"},
        {"Slovensky.lng", "Kopírovať všetko", "Záznam"},
        // A file made for the language data alone: English stands in for the program's texts.
        {"Deutsch.lng", "Copy all", "Log"},
        // A file that has them wins, an empty text of its own included.
        {"Eigen.lng", "Alles kopieren", "?"},
    };
    for (const Case& c : cases) {
        MemoryLog log;
        std::string choice = c.choice;
        const LanguageList list = buildLanguageList({dir.path()}, choice, "en_US", log);
        ASSERT_EQ(list.current()->name(), c.choice);
        EXPECT_EQ(list.text("Log_CopyAll"), c.copyAll) << c.choice;
        EXPECT_EQ(list.text("Log_Title"), c.title) << c.choice;
        EXPECT_EQ(list.text("NoSuchKey"), "?") << c.choice;
    }
}

TEST(LanguageList, RefusedFilesAreLoggedAndLeftOutAndAFolderGivenTwiceIsReadOnce) {
    TempDir dir;
    writeFile(dir / "Good.lng", "[LANGUAGE]\nKey=text\n");
    writeFile(dir / "Empty.lng", "[LANGUAGE]\n; only a comment\n");
    MemoryLog log;
    std::string choice;
    const LanguageList list = buildLanguageList({dir.path(), dir.path() / "." , dir.path() / "missing"}, choice, "", log);
    EXPECT_EQ(list.size(), kBuiltIn.size() + 1);
    EXPECT_EQ(list.entries().back().name(), "Good.lng");
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("Empty.lng"), std::string::npos);
}

// A file chosen in an earlier run that now cannot be shown is refused at load: the stored
// choice falls back and is replaced, so the refused file is never the language of a run.
TEST(LanguageChoice, AFileWithOverLongLinesIsRefusedAndNotKeptAsTheChoice) {
    TempDir dir;
    writeFile(dir / "Long.lng", "[LANGUAGE]\r\nMenuFile=" + std::string(5000, 'x') + "\r\n");
    MemoryLog log;
    std::string choice = "Long.lng";
    const LanguageList list = buildLanguageList({dir.path()}, choice, "sk_SK", log);
    EXPECT_EQ(list.size(), kBuiltIn.size());
    EXPECT_EQ(list.find("Long.lng"), -1);
    EXPECT_EQ(choice, "Slovensky.lng");
    EXPECT_EQ(list.text("MenuFile"), "&S\xC3\xBA" "bor");
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("Long.lng"), std::string::npos);
    EXPECT_NE(log.lines()[0].find("too long"), std::string::npos);
}

TEST(LanguageChoice, StoredChoiceThenSystemLocaleThenEnglish) {
    TempDir dir;
    writeFile(dir / "English.lng", "[LANGUAGE]\nMenuFile=External English\n");
    writeFile(dir / "Deutsch.lng", "[LANGUAGE]\nMenuFile=&Datei\n");
    struct Case {
        std::string_view stored;
        std::string_view locale;
        int expectedIndex;
        std::string_view expectedName;
    } cases[] = {
        {"Polski.lng", "en_US", 2, "Polski.lng"},
        {"C:\\Program Files\\Editor\\Polski.lng", "en_US", 2, "Polski.lng"}, // only the file name counts
        {"/usr/share/Slovensky.lng", "", 3, "Slovensky.lng"},
        {"English.lng", "pl_PL", 0, "English.lng"}, // the first entry of that name is the built-in one
        {"Deutsch.lng", "pl_PL", 5, "Deutsch.lng"},
        {"Italiano.lng", "", 4, "Italiano.lng"}, // Italian only by an explicit choice
        {"polski.lng", "sk_SK", 3, "Slovensky.lng"}, // case matters for the stored name
        {"Removed.lng", "es_ES", 1, "Espanol.lng"},
        {"", "pl_PL.UTF-8", 2, "Polski.lng"},
        {"", "es-AR", 1, "Espanol.lng"},
        {"", "SK", 3, "Slovensky.lng"},
        {"", "it_IT", 0, "English.lng"}, // Italian is never chosen automatically
        {"", "de_DE", 0, "English.lng"},
        {"", "C", 0, "English.lng"},
        {"", "", 0, "English.lng"},
    };
    for (const auto& c : cases) {
        NullLog log;
        std::string choice(c.stored);
        const LanguageList list = buildLanguageList({dir.path()}, choice, c.locale, log);
        EXPECT_EQ(list.currentIndex(), c.expectedIndex) << c.stored << " / " << c.locale;
        EXPECT_EQ(choice, c.expectedName) << c.stored << " / " << c.locale;
    }
}

TEST(LanguageChoice, MenuChoiceChangesTheStoredNameButNotTheCurrentLanguage) {
    NullLog log;
    std::string choice = "Polski.lng";
    const LanguageList list = buildLanguageList({}, choice, "", log);
    ASSERT_EQ(list.currentIndex(), 2);

    EXPECT_TRUE(selectLanguageEntry(list, 4, choice));
    EXPECT_EQ(choice, "Italiano.lng");
    EXPECT_EQ(list.currentIndex(), 2);
    EXPECT_EQ(list.text("MenuFile"), "&Plik");

    EXPECT_FALSE(selectLanguageEntry(list, 5, choice));
    EXPECT_FALSE(selectLanguageEntry(list, -1, choice));
    EXPECT_EQ(choice, "Italiano.lng");
}

TEST(LanguageLookup, FreeTextLookupReadsTheInstalledListAndAnswersQuestionMarkWithoutOne) {
    EXPECT_EQ(text("MenuFile"), "?");
    EXPECT_EQ(LanguageList().text("MenuFile"), "?"); // an empty list has no current entry
    NullLog log;
    std::string spanish = "Espanol.lng", english;
    const LanguageList outer = buildLanguageList({}, spanish, "", log);
    const LanguageList inner = buildLanguageList({}, english, "", log);
    {
        ActiveLanguageList installOuter(outer);
        EXPECT_EQ(text("menufile"), "&Archivo");
        {
            ActiveLanguageList installInner(inner);
            EXPECT_EQ(text("MenuFile"), "&File");
        }
        EXPECT_EQ(text("MenuFile"), "&Archivo");
    }
    EXPECT_EQ(text("MenuFile"), "?");
}

} // namespace
} // namespace cs::lang
