// Names typed in place and names read from another process's fields.
#include "editing/name_rules.h"

#include "database_test_support.h"
#include "lang/lang_list.h"

#include <gtest/gtest.h>

namespace cs::editing {
namespace {

TEST(NameRules, ChannelNamesTypedInPlace) {
    struct Case {
        std::string entered;
        std::optional<std::string> stored;
    } cases[] = {
        {"   News 24", "News 24"},
        {"Twenty characters!!!", "Twenty characte"},
        {"\x01\x02\x1f", std::nullopt},
        {"    ", std::nullopt},
        {"", std::nullopt},
        {"Caf\xC3\xA9 Plus", "Caf Plus"},
        {"A\tB~}", "AB}"},
        {"Trailing  ", "Trailing  "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(channelNameFromEdit(c.entered), c.stored) << c.entered;
}

TEST(NameRules, ListNamesTypedInPlace) {
    struct Case {
        std::string entered;
        std::string old;
        std::optional<std::string> stored;
    } cases[] = {
        {"List Sport", "LIST Old", "Sport"},
        {"LIST Movies", "LIST Old", "Movies"},
        {"  my list news ", "LIST Old", "my news"},
        {"Fourteen chars", "LIST Old", "Fourteen ch"},
        {"Plain", "LIST Old", "Plain"},
        {"   ", "LIST Old", "Old"},
        {"list ", "LIST Old", std::nullopt},
        {"\x01\x02", "LIST ", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(listNameFromEdit(c.entered, c.old, "list"), c.stored) << c.entered;
}

// A new list and its renames in each built-in language, down to the name stored in the image:
// the list word differs in length ("LIST", "LISTA", "ZOZNAM"), and only it and its blank go.
TEST(NameRules, NewAndRenamedListsStoreTheNameWithoutTheListWordInEveryLanguage) {
    struct Case {
        const char* language;
        std::string created;   // stored for a new list
        std::string shown;     // the tree's text of it
        std::string renamedTo; // typed as the new name, with the list word
    } cases[] = {
        {"English.lng", "new", "LIST new", "LIST Sport"},
        {"Espanol.lng", "nueva", "LISTA nueva", "LISTA Sport"},
        {"Polski.lng", "nowa", "LISTA nowa", "lista Sport"},
        {"Slovensky.lng", "novy", "ZOZNAM novy", "ZOZNAM Sport"},
        {"Italiano.lng", "nuova", "LISTA nuova", "Lista Sport"},
    };
    lang::LanguageList languages;
    lang::addBuiltInLanguages(languages);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        languages.setCurrent(languages.find(c.language));
        ASSERT_GE(languages.currentIndex(), 0);
        const std::string listWord = languages.text("MsgList");
        auto b = dbtest::settingsImage();
        b.listCount(1).listName(1, "Main");
        dbtest::OpenDatabase o(b.build());
        const DisplayTexts texts(o.db, lang::languageTexts(languages));

        const NewListName proposed = o.db.proposeListName(texts);
        EXPECT_EQ(proposed.display, c.shown);
        ASSERT_EQ(o.db.addList(proposed.name), 2u);
        EXPECT_EQ(o.flash.settings().listName(2), c.created);
        EXPECT_EQ(texts.listText(2, 0), c.shown);

        // Accepting the name box unchanged keeps the stored name.
        auto name = listNameFromEdit(texts.listText(2, 0), texts.listText(2, 0), listWord);
        ASSERT_TRUE(name);
        ASSERT_TRUE(o.db.renameList(2, *name));
        EXPECT_EQ(o.flash.settings().listName(2), c.created);

        name = listNameFromEdit(c.renamedTo, texts.listText(2, 0), listWord);
        ASSERT_TRUE(name);
        ASSERT_TRUE(o.db.renameList(2, *name));
        EXPECT_EQ(o.flash.settings().listName(2), "Sport");
        EXPECT_EQ(texts.listText(2, 0), languages.text("TextList") + " Sport");
    }
}

TEST(NameRules, FieldNamesEndAtTheirNulAndKeepNameCharacters) {
    EXPECT_EQ(nameFromField(std::string_view("Abc\0Def", 7), 16), "Abc");
    EXPECT_EQ(nameFromField("A\x7f" "B\x80" "C~D", 16), "ABCD");
    EXPECT_EQ(nameFromField("0123456789abcdefXYZ", 16), "0123456789abcdef");
}

} // namespace
} // namespace cs::editing
