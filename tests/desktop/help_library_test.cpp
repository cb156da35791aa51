// The help pages as shipped: every window has its page, the index and the search find them.
#include <gtest/gtest.h>

#include <algorithm>

#include "desktop/help_library.h"

namespace cs::desktop {
namespace {

const HelpLibrary& shipped() {
    static const HelpLibrary library = HelpLibrary::load(CS_HELP_PAGES);
    return library;
}

bool hasPage(const std::vector<HelpSearchHit>& hits, std::string_view file) {
    return std::any_of(hits.begin(), hits.end(), [&](const HelpSearchHit& h) { return h.file == file; });
}

TEST(HelpPages, EveryTopicIsShippedWithATitleAndText) {
    const auto& pages = shipped().pages();
    ASSERT_EQ(pages.size(), helpContentsOrder().size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(pages[i].topic, helpContentsOrder()[i]);
        EXPECT_EQ(pages[i].file, helpFileFor(pages[i].topic));
        EXPECT_FALSE(pages[i].title.empty()) << pages[i].file;
        EXPECT_FALSE(pages[i].keywords.empty()) << pages[i].file;
        EXPECT_GT(pages[i].text.size(), 600u) << pages[i].file;
        EXPECT_EQ(pages[i].text.find('<'), std::string::npos) << pages[i].file;
    }
}

TEST(HelpPages, SearchFindsThePagesThatHoldEveryWord) {
    const HelpLibrary& help = shipped();
    EXPECT_EQ(help.search("dialout").front().file, "wizard.html");
    EXPECT_EQ(help.search("ChanelEdiotr.log").front().file, "about-and-log.html");
    EXPECT_EQ(help.search("GRAYSCALE").front().file, "image-manager.html");
    EXPECT_EQ(help.search("channelsettings-cli exit codes").front().file, "command-line.html");
    const auto both = help.search("favourite clipboard");
    EXPECT_TRUE(hasPage(both, "editing.html"));
    for (const auto& hit : both) {
        const auto page = std::find_if(help.pages().begin(), help.pages().end(),
                                       [&](const HelpPage& p) { return p.file == hit.file; });
        EXPECT_NE(page->text.find("clipboard"), std::string::npos) << hit.file;
    }
    EXPECT_TRUE(help.search("xyzzy").empty());
    EXPECT_TRUE(help.search("  ").empty());
}

TEST(HelpPages, IndexHoldsKeywordsAndHeadingsSortedWithoutCase) {
    const HelpLibrary& help = shipped();
    const auto index = help.index();
    ASSERT_FALSE(index.empty());
    for (std::size_t i = 1; i < index.size(); ++i) {
        std::string a = index[i - 1].keyword, b = index[i].keyword;
        std::transform(a.begin(), a.end(), a.begin(), ::tolower);
        std::transform(b.begin(), b.end(), b.begin(), ::tolower);
        EXPECT_LE(a, b);
    }
    const auto serial = help.firstIndexMatch(index, "SERIAL P");
    ASSERT_TRUE(serial);
    EXPECT_EQ(index[*serial].keyword, "serial port");
    const auto heading = std::find(index.begin(), index.end(), HelpIndexEntry{"Page 2: what to transmit", "wizard.html", "page2"});
    EXPECT_NE(heading, index.end());
    EXPECT_FALSE(help.firstIndexMatch(index, "zzz"));
}

TEST(HelpText, TagsEntitiesAndBlanks) {
    EXPECT_EQ(plainTextOf("<p>Save &amp; send</p>\n\n<b>now</b>&nbsp;&rarr; ok<!-- not this -->"),
              "Save & send now -> ok");
    EXPECT_EQ(plainTextOf("<style>p { color: red }</style>text"), "text");
    const HelpPage page = HelpLibrary::parsePage(
        HelpTopic::Editing, "x.html",
        "<html><head><TITLE>A &amp; B</TITLE><meta content=\"one; two ;;\" name='keywords'></head><body>Body</body></html>");
    EXPECT_EQ(page.title, "A & B");
    EXPECT_EQ(page.keywords, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(page.text, "Body");
}

TEST(HelpTopics, WindowsFindTheirPageByName) {
    struct Case {
        const char* name;
        HelpTopic topic;
    } cases[] = {
        {"cs::app::MainWindow", HelpTopic::MainWindow},
        {"cs::properties::PropertiesDialog", HelpTopic::Properties},
        {"cs::properties::TransponderDialog", HelpTopic::Properties},
        {"cs::link::ConnectionWizard", HelpTopic::Wizard},
        {"cs::pictures::ImageManagerWindow", HelpTopic::ImageManager},
        {"cs::desktop::PreferencesDialog", HelpTopic::Preferences},
        {"cs::desktop::AboutBox", HelpTopic::AboutAndLog},
        {"cs::desktop::LogWindow", HelpTopic::AboutAndLog},
        {"cs::exchange::ImportChooser", HelpTopic::Editing},
        {"cs::app::FindDialog", HelpTopic::Editing},
        {"cs::desktop::HelpWindow", HelpTopic::UsingHelp},
    };
    for (const Case& c : cases)
        EXPECT_EQ(helpTopicForWindow(c.name), c.topic) << c.name;
    EXPECT_FALSE(helpTopicForWindow("QMessageBox"));
    EXPECT_EQ(helpFolderFor("/usr/bin"), std::filesystem::path("/usr/share/channelsettings/help"));
}

} // namespace
} // namespace cs::desktop
