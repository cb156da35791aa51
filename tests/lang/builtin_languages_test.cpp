// The built-in language data: complete in every language, exact where English texts are fixed,
// and usable by the main window and the list-name rules.
#include "lang/builtin_languages.h"
#include "lang/lang_content.h"
#include "lang/lang_list.h"
#include "lang/text_encoding.h"

#include "common/log_sink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

namespace cs::lang {
namespace {

struct Parsed {
    std::vector<std::string> lines;
    std::vector<std::string> keys;  // text-line keys in file order, repeats included
    std::vector<std::string> texts; // their texts
    std::vector<std::string> comments;
};

Parsed parse(std::string_view text) {
    Parsed p;
    p.lines = splitLines(text);
    for (const std::string& line : p.lines) {
        if (auto t = parseTextLine(line)) {
            p.keys.emplace_back(t->key);
            p.texts.emplace_back(t->text);
        } else if (!line.empty() && line.front() == ';') {
            p.comments.push_back(line);
        }
    }
    return p;
}

TEST(BuiltInLanguages, FiveInFixedOrder) {
    const auto languages = builtInLanguages();
    ASSERT_EQ(languages.size(), 5u);
    const std::pair<std::string_view, std::string_view> expected[] = {
        {"English.lng", "ID_ENG"}, {"Espanol.lng", "ID_ESP"}, {"Polski.lng", "ID_POL"},
        {"Slovensky.lng", "ID_SLO"}, {"Italiano.lng", "ID_ITA"}};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(languages[i].name, expected[i].first);
        EXPECT_EQ(languages[i].resource, expected[i].second);
    }
    EXPECT_FALSE(findBuiltInLanguage("polski.lng"));
    EXPECT_FALSE(findBuiltInLanguage("Deutsch.lng"));
}

// The 258 lines of the receiver editor's own language file, then the program's keys for what it
// says about files it refuses to lose (damaged records, outputs that are no files, a file changed
// on disk), for comparing files and the file information window, and for the bulk work (rename
// many, print and PDF, transponders from satellites.xml), for the reasons files are refused and
// for the texts of the windows that every language shows in its own words.
TEST(BuiltInLanguages, EnglishHas508TextLinesWithTheRepeatedKeyInItsTwoPlaces) {
    const Parsed english = parse(kEnglishText);
    EXPECT_EQ(english.lines.front(), "[LANGUAGE]");
    EXPECT_EQ(english.keys.size(), 508u);
    EXPECT_EQ(std::set<std::string>(english.keys.begin(), english.keys.end()).size(), 507u);
    std::vector<std::string> repeated;
    for (std::size_t i = 0; i < english.keys.size(); ++i)
        if (english.keys[i] == "MsgFileNotExisting")
            repeated.push_back(english.texts[i]);
    EXPECT_EQ(repeated, (std::vector<std::string>{"doesn't  exist", "The file does not exist"}));
    EXPECT_EQ(english.keys.front(), "TitleApplication");
    EXPECT_EQ(english.keys[257], "HintOpeningBase");
    EXPECT_EQ(english.keys[258], "MsgDamagedRecords");
    EXPECT_EQ(english.keys.back(), "ImgManClipboardEmpty");
}

TEST(BuiltInLanguages, EveryLanguageHasTheEnglishKeysInOrderWithTextsAndValidUtf8) {
    const Parsed english = parse(kEnglishText);
    for (const BuiltInLanguage& language : builtInLanguages()) {
        SCOPED_TRACE(std::string(language.name));
        EXPECT_TRUE(isValidUtf8(language.text));
        const Parsed p = parse(language.text);
        EXPECT_EQ(p.lines.front(), "[LANGUAGE]");
        EXPECT_EQ(p.keys, english.keys);
        EXPECT_EQ(p.comments, english.comments);
        for (std::size_t i = 0; i < p.keys.size(); ++i) {
            EXPECT_FALSE(p.texts[i].empty()) << p.keys[i];
            // Texts are joined with names and numbers by callers that add the blanks themselves.
            if (!p.texts[i].empty()) {
                EXPECT_NE(p.texts[i].back(), ' ') << p.keys[i];
                EXPECT_NE(p.texts[i].front(), ' ') << p.keys[i];
            }
        }
    }
}

TEST(BuiltInLanguages, ProgramTextsAreCompleteInEveryLanguageAndApartFromTheLanguageData) {
    const Parsed english = parse(kEnglishProgramText);
    ASSERT_FALSE(english.keys.empty());
    const std::set<std::string> dataKeys = [] {
        const Parsed data = parse(kEnglishText);
        return std::set<std::string>(data.keys.begin(), data.keys.end());
    }();
    for (const std::string& key : english.keys)
        EXPECT_FALSE(dataKeys.count(key)) << key << " is a key of the language data";
    for (const BuiltInLanguage& language : builtInLanguages()) {
        SCOPED_TRACE(std::string(language.name));
        EXPECT_TRUE(isValidUtf8(language.programText));
        const Parsed p = parse(language.programText);
        EXPECT_EQ(p.keys, english.keys);
        EXPECT_EQ(p.comments, english.comments);
        for (std::size_t i = 0; i < p.texts.size(); ++i) {
            ASSERT_FALSE(p.texts[i].empty()) << p.keys[i];
            EXPECT_NE(p.texts[i].back(), ' ') << p.keys[i];
            EXPECT_NE(p.texts[i].front(), ' ') << p.keys[i];
            if (language.name != kEnglishFileName)
                EXPECT_NE(p.texts[i], english.texts[i]) << p.keys[i] << " is not translated";
        }
    }
}

TEST(BuiltInLanguages, EnglishTextsThatOtherPartsComposeOrCompareAreExact) {
    const LanguageContent english("English.lng", splitLines(kEnglishText));
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"TitleApplication", "Tervanis Tools"},
        {"MsgFile", "File"},
        {"MsgFileNotExisting", "doesn't  exist"},
        {"MSgFileNotCorrectFormatBase", "is not a valid format for database programs"},
        {"MsgExistingOverwrite", "already exists, save?"},
        {"MsgNoEnoughMemoryForRunning", "Not enough memory to run the application. #Complete some programs and try again."},
        {"MsgSaveBaseDataToFile", "Save database a file?"},
        {"MsgSaveChanged", "Save the changes ?"},
        {"MsgInsertChannelBefore", "Insert the program (s) before"},
        {"MsgRunEditorAgain", "To change the language Editor, start again."},
        {"TextListView", "To delete programs list, select the operator or selected channels using the techniques "
                         "and Drag & Drop & drag your mouse to the bin."},
        {"TextListNew", "LIST new"},
        {"TreeViewUnknow", "'unknown'"},
        {"Propertis_List_transponder_IsFull", "Transponder list is full.#No memory of the new transponder."},
        {"Propertis_TheSamePID", "Submitted PIDs can not be mirrored. Please re-enter."},
        {"Creator_Label_Btn_Previous", "< B&ack"},
        {"Creator_Label_Btn_Next", "M&ore >"},
        {"Creator_Msg_FileBaseData", "Database programs (*. dsp) | *. dsp"},
        {"Creator_NoInstallComPort", "No ports are installed on your system. #Broadcast Canceled"},
        {"Creator_Receive", "&Answer"},
        {"Pref_CheckBox03", "Ban the use of techniques Drag & & Drop"},
        {"MenuNumbersProgram", "Numbering programes"},
        {"HintListDestination", "Sorting"},
    };
    for (const auto& [key, text] : cases)
        EXPECT_EQ(english.text(key), text) << key;
}

// List names are stored in the receiver's 7-bit set: the tree shows "<LIST word> <name>", a new
// list's stored name is its default text without that prefix, and renaming strips the prefix
// found through the lower-case word.
TEST(BuiltInLanguages, ListWordsAgreeAndStayAscii) {
    for (const BuiltInLanguage& language : builtInLanguages()) {
        SCOPED_TRACE(std::string(language.name));
        const LanguageContent lang(std::string(language.name), splitLines(language.text));
        const std::string list = lang.text("TextList");
        EXPECT_EQ(lang.text("MsgListBig"), list);
        std::string lower = list;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(lang.text("MsgList"), lower);
        const std::string newList = lang.text("TextListNew");
        EXPECT_EQ(newList.rfind(list + " ", 0), 0u) << newList;
        EXPECT_LE(newList.size(), 11u);
        for (const std::string& text : {list, newList})
            for (char c : text)
                EXPECT_TRUE(c >= 32 && c <= 125) << text;
    }
}

} // namespace
} // namespace cs::lang
