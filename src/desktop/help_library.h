#pragma once
// The help pages shipped with the program: their contents in reading order, the keyword index,
// full-text search, and which page explains which window.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cs::desktop {

enum class HelpTopic {
    Contents,
    MainWindow,
    Editing,
    Properties,
    Wizard,
    ImageManager,
    Preferences,
    AboutAndLog,
    CommandLine,
    UsingHelp,
};

// The page file of a topic ("main-window.html").
std::string_view helpFileFor(HelpTopic topic);
// The topics in the order of the contents.
const std::vector<HelpTopic>& helpContentsOrder();

// The topic of a window by its class or object name ("PropertiesDialog", "connectionWizard"):
// windows need not know the help to get their page from F1.
std::optional<HelpTopic> helpTopicForWindow(std::string_view name);

// Where the pages are: share/channelsettings/help beside the program's bin folder, both installed
// and in the build tree.
std::filesystem::path helpFolderFor(const std::filesystem::path& programFolder);

struct HelpPage {
    HelpTopic topic = HelpTopic::Contents;
    std::string file;
    std::string title;
    std::vector<std::string> keywords;
    std::string text;  // the page as plain text, for searching
};

struct HelpIndexEntry {
    std::string keyword;
    std::string file;
    std::string anchor;  // empty: the top of the page
    bool operator==(const HelpIndexEntry&) const = default;
};

struct HelpSearchHit {
    std::string file;
    std::string title;
    int score = 0;
};

class HelpLibrary {
public:
    // Reads the pages of the contents from `folder`; missing pages are left out.
    static HelpLibrary load(const std::filesystem::path& folder);
    // A page from its HTML text (for tests and for load).
    static HelpPage parsePage(HelpTopic topic, std::string file, std::string_view html);

    void addPage(HelpPage page);
    const std::vector<HelpPage>& pages() const { return pages_; }
    const std::filesystem::path& folder() const { return folder_; }

    // The keywords of the pages (their keywords meta tag) and their headings that carry an id,
    // sorted without regard to case.
    std::vector<HelpIndexEntry> index() const;
    // The first index entry starting with `prefix` (case ignored); nothing when none does.
    std::optional<std::size_t> firstIndexMatch(const std::vector<HelpIndexEntry>& index, std::string_view prefix) const;

    // Pages holding every word of `query` (case ignored), best first: a word in the title or the
    // keywords counts more than one in the text.
    std::vector<HelpSearchHit> search(std::string_view query) const;

private:
    std::filesystem::path folder_;
    std::vector<HelpPage> pages_;
};

// The plain text of an HTML fragment: tags dropped, the usual entities decoded, blanks folded.
std::string plainTextOf(std::string_view html);

} // namespace cs::desktop
