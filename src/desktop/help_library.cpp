#include "desktop/help_library.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>

namespace cs::desktop {
namespace {

struct TopicFile {
    HelpTopic topic;
    std::string_view file;
};

constexpr std::array<TopicFile, 10> kTopicFiles = {{
    {HelpTopic::Contents, "index.html"},
    {HelpTopic::MainWindow, "main-window.html"},
    {HelpTopic::Editing, "editing.html"},
    {HelpTopic::Properties, "properties.html"},
    {HelpTopic::Wizard, "wizard.html"},
    {HelpTopic::ImageManager, "image-manager.html"},
    {HelpTopic::Preferences, "preferences.html"},
    {HelpTopic::AboutAndLog, "about-and-log.html"},
    {HelpTopic::CommandLine, "command-line.html"},
    {HelpTopic::UsingHelp, "using-help.html"},
}};

// Parts of window names, lower case, and the page each one gets. The first match counts, so the
// more particular names come first.
struct WindowWord {
    std::string_view word;
    HelpTopic topic;
};
constexpr std::array<WindowWord, 14> kWindowWords = {{
    {"transponder", HelpTopic::Properties},
    {"properties", HelpTopic::Properties},
    {"wizard", HelpTopic::Wizard},
    {"transfer", HelpTopic::Wizard},
    {"imagemanager", HelpTopic::ImageManager},
    {"picture", HelpTopic::ImageManager},
    {"preferences", HelpTopic::Preferences},
    {"about", HelpTopic::AboutAndLog},
    {"logwindow", HelpTopic::AboutAndLog},
    {"import", HelpTopic::Editing},
    {"chooser", HelpTopic::Editing},
    {"find", HelpTopic::Editing},
    {"help", HelpTopic::UsingHelp},
    {"mainwindow", HelpTopic::MainWindow},
}};

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowered(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

// The text between `open` and `close` after `from`, case of the tags ignored.
std::optional<std::string> between(const std::string& lowerHtml, std::string_view html, std::string_view open,
                                   std::string_view close, std::size_t from = 0) {
    const auto a = lowerHtml.find(open, from);
    if (a == std::string::npos)
        return std::nullopt;
    const auto b = lowerHtml.find(close, a + open.size());
    if (b == std::string::npos)
        return std::nullopt;
    return std::string(html.substr(a + open.size(), b - a - open.size()));
}

// The value of attribute `name` inside one tag's text.
std::optional<std::string> attribute(std::string_view tag, std::string_view name) {
    const std::string lowerTag = lowered(tag);
    std::size_t at = 0;
    while ((at = lowerTag.find(name, at)) != std::string::npos) {
        std::size_t p = at + name.size();
        const bool wordStart = at == 0 || lowerTag[at - 1] == ' ' || lowerTag[at - 1] == '\t' || lowerTag[at - 1] == '\n';
        while (p < tag.size() && tag[p] == ' ')
            ++p;
        if (!wordStart || p >= tag.size() || tag[p] != '=') {
            at += name.size();
            continue;
        }
        ++p;
        while (p < tag.size() && tag[p] == ' ')
            ++p;
        if (p < tag.size() && (tag[p] == '"' || tag[p] == '\'')) {
            const char quote = tag[p];
            const auto end = tag.find(quote, p + 1);
            if (end == std::string_view::npos)
                return std::nullopt;
            return std::string(tag.substr(p + 1, end - p - 1));
        }
        auto end = p;
        while (end < tag.size() && tag[end] != ' ' && tag[end] != '>')
            ++end;
        return std::string(tag.substr(p, end - p));
    }
    return std::nullopt;
}

std::vector<std::string> words(std::string_view text) {
    std::vector<std::string> out;
    std::string word;
    for (char c : text) {
        const bool letter = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                            static_cast<unsigned char>(c) >= 0x80 || c == '-' || c == '.' || c == '_';
        if (letter) {
            word += lower(c);
        } else if (!word.empty()) {
            out.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty())
        out.push_back(std::move(word));
    // Trailing dots and dashes are punctuation, not part of the word.
    for (std::string& w : out)
        while (!w.empty() && (w.back() == '.' || w.back() == '-'))
            w.pop_back();
    std::erase_if(out, [](const std::string& w) { return w.empty(); });
    return out;
}

int occurrences(const std::string& haystack, const std::string& needle) {
    int n = 0;
    for (std::size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + needle.size()))
        ++n;
    return n;
}

bool lessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return lower(x) < lower(y); });
}

} // namespace

std::string_view helpFileFor(HelpTopic topic) {
    for (const auto& entry : kTopicFiles)
        if (entry.topic == topic)
            return entry.file;
    return kTopicFiles.front().file;
}

const std::vector<HelpTopic>& helpContentsOrder() {
    static const std::vector<HelpTopic> order = [] {
        std::vector<HelpTopic> topics;
        for (const auto& entry : kTopicFiles)
            topics.push_back(entry.topic);
        return topics;
    }();
    return order;
}

std::optional<HelpTopic> helpTopicForWindow(std::string_view name) {
    const std::string key = lowered(name);
    for (const auto& entry : kWindowWords)
        if (key.find(entry.word) != std::string::npos)
            return entry.topic;
    return std::nullopt;
}

std::filesystem::path helpFolderFor(const std::filesystem::path& programFolder) {
    return programFolder.parent_path() / "share" / "channelsettings" / "help";
}

std::string plainTextOf(std::string_view html) {
    static constexpr std::pair<std::string_view, std::string_view> kEntities[] = {
        {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&apos;", "'"},
        {"&nbsp;", " "}, {"&ndash;", "-"}, {"&mdash;", "-"}, {"&hellip;", "..."}, {"&rarr;", "->"},
    };
    std::string out;
    bool blank = true;
    auto put = [&](std::string_view s) {
        for (char c : s) {
            const bool space = c == ' ' || c == '\n' || c == '\t' || c == '\r';
            if (space) {
                if (!blank)
                    out += ' ';
                blank = true;
            } else {
                out += c;
                blank = false;
            }
        }
    };
    for (std::size_t i = 0; i < html.size();) {
        if (html[i] == '<') {
            // Scripts and styles are no text; comments neither.
            if (html.substr(i, 4) == "<!--") {
                const auto end = html.find("-->", i + 4);
                i = end == std::string_view::npos ? html.size() : end + 3;
                continue;
            }
            const auto end = html.find('>', i);
            if (end == std::string_view::npos)
                break;
            const std::string tag = lowered(html.substr(i, end - i));
            for (std::string_view skipped : {"<style", "<script", "<title"})
                if (tag.starts_with(skipped)) {
                    const std::string close = "</" + std::string(skipped.substr(1));
                    const auto closeAt = lowered(html.substr(end)).find(close);
                    i = closeAt == std::string::npos ? html.size() : end + closeAt;
                    goto next;
                }
            put(" ");
            i = end + 1;
            continue;
        }
        if (html[i] == '&') {
            bool decoded = false;
            for (const auto& [entity, text] : kEntities)
                if (html.substr(i, entity.size()) == entity) {
                    put(text);
                    i += entity.size();
                    decoded = true;
                    break;
                }
            if (decoded)
                continue;
        }
        put(html.substr(i, 1));
        ++i;
    next:;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

HelpPage HelpLibrary::parsePage(HelpTopic topic, std::string file, std::string_view html) {
    HelpPage page;
    page.topic = topic;
    page.file = std::move(file);
    const std::string lowerHtml = lowered(html);
    page.title = plainTextOf(between(lowerHtml, html, "<title>", "</title>").value_or(page.file));
    // <meta name="keywords" content="a; b; c">
    for (std::size_t at = lowerHtml.find("<meta"); at != std::string::npos; at = lowerHtml.find("<meta", at + 5)) {
        const auto end = lowerHtml.find('>', at);
        if (end == std::string::npos)
            break;
        const std::string_view tag = html.substr(at, end - at);
        if (lowered(attribute(tag, "name").value_or("")) != "keywords")
            continue;
        std::string content = plainTextOf(attribute(tag, "content").value_or(""));
        std::size_t from = 0;
        while (from <= content.size()) {
            auto semi = content.find(';', from);
            if (semi == std::string::npos)
                semi = content.size();
            std::string keyword = content.substr(from, semi - from);
            while (!keyword.empty() && keyword.front() == ' ')
                keyword.erase(keyword.begin());
            while (!keyword.empty() && keyword.back() == ' ')
                keyword.pop_back();
            if (!keyword.empty())
                page.keywords.push_back(std::move(keyword));
            from = semi + 1;
        }
    }
    const auto body = lowerHtml.find("<body");
    page.text = plainTextOf(body == std::string::npos ? html : html.substr(body));
    return page;
}

HelpLibrary HelpLibrary::load(const std::filesystem::path& folder) {
    HelpLibrary library;
    library.folder_ = folder;
    for (const auto& entry : kTopicFiles) {
        std::ifstream in(folder / std::string(entry.file), std::ios::binary);
        if (!in)
            continue;
        const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        library.addPage(parsePage(entry.topic, std::string(entry.file), html));
    }
    return library;
}

void HelpLibrary::addPage(HelpPage page) { pages_.push_back(std::move(page)); }

std::vector<HelpIndexEntry> HelpLibrary::index() const {
    std::vector<HelpIndexEntry> entries;
    for (const HelpPage& page : pages_) {
        for (const std::string& keyword : page.keywords)
            entries.push_back({keyword, page.file, {}});
        std::ifstream in(folder_ / page.file, std::ios::binary);
        if (!in)
            continue;
        const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string lowerHtml = lowered(html);
        for (std::size_t at = lowerHtml.find("<h"); at != std::string::npos; at = lowerHtml.find("<h", at + 2)) {
            if (at + 2 >= lowerHtml.size() || lowerHtml[at + 2] < '2' || lowerHtml[at + 2] > '3')
                continue;
            const auto tagEnd = lowerHtml.find('>', at);
            const auto close = lowerHtml.find("</h", at);
            if (tagEnd == std::string::npos || close == std::string::npos || close < tagEnd)
                continue;
            const auto id = attribute(std::string_view(html).substr(at, tagEnd - at), "id");
            if (!id)
                continue;
            entries.push_back({plainTextOf(std::string_view(html).substr(tagEnd + 1, close - tagEnd - 1)), page.file, *id});
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const HelpIndexEntry& a, const HelpIndexEntry& b) { return lessNoCase(a.keyword, b.keyword); });
    entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
    return entries;
}

std::optional<std::size_t> HelpLibrary::firstIndexMatch(const std::vector<HelpIndexEntry>& index,
                                                        std::string_view prefix) const {
    const std::string wanted = lowered(prefix);
    for (std::size_t i = 0; i < index.size(); ++i)
        if (lowered(index[i].keyword).starts_with(wanted))
            return i;
    return std::nullopt;
}

std::vector<HelpSearchHit> HelpLibrary::search(std::string_view query) const {
    const std::vector<std::string> wanted = words(query);
    std::vector<HelpSearchHit> hits;
    if (wanted.empty())
        return hits;
    for (const HelpPage& page : pages_) {
        const std::string text = lowered(page.text);
        std::string heading = lowered(page.title);
        for (const std::string& keyword : page.keywords)
            heading += " " + lowered(keyword);
        int score = 0;
        bool all = true;
        for (const std::string& word : wanted) {
            const int inText = occurrences(text, word);
            const int inHeading = occurrences(heading, word);
            if (inText + inHeading == 0) {
                all = false;
                break;
            }
            score += inText + 10 * inHeading;
        }
        if (all)
            hits.push_back({page.file, page.title, score});
    }
    std::stable_sort(hits.begin(), hits.end(), [](const HelpSearchHit& a, const HelpSearchHit& b) { return a.score > b.score; });
    return hits;
}

} // namespace cs::desktop
