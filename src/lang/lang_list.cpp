#include "lang_list.h"

#include "common/log_sink.h"
#include "lang/builtin_languages.h"
#include "lang/lang_file.h"

#include <algorithm>
#include <atomic>
#include <system_error>

namespace cs::lang {

namespace fs = std::filesystem;

void LanguageList::add(LanguageContent entry) {
    entries_.push_back(std::move(entry));
    current_ = static_cast<int>(entries_.size()) - 1;
}

const LanguageContent* LanguageList::current() const {
    if (current_ < 0 || current_ >= static_cast<int>(entries_.size()))
        return nullptr;
    return &entries_[static_cast<std::size_t>(current_)];
}

void LanguageList::setCurrent(int index) {
    if (index >= 0 && index < static_cast<int>(entries_.size()))
        current_ = index;
}

int LanguageList::find(std::string_view name) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].name() == name)
            return static_cast<int>(i);
    return -1;
}

std::string LanguageList::text(std::string_view key) const {
    const LanguageContent* entry = current();
    if (!entry)
        return std::string(kMissingText);
    if (std::optional<std::string_view> found = entry->find(key))
        return found->empty() ? std::string(kMissingText) : std::string(*found);
    // An external language file holds the language data's keys only: the program's own window
    // texts stand in in English.
    static const LanguageContent englishProgramTexts(std::string(kEnglishFileName), splitLines(kEnglishProgramText));
    return englishProgramTexts.text(key);
}

void addBuiltInLanguages(LanguageList& list) {
    for (const BuiltInLanguage& language : builtInLanguages()) {
        std::vector<std::string> lines = splitLines(language.text);
        for (std::string& line : splitLines(language.programText))
            lines.push_back(std::move(line));
        list.add(LanguageContent(std::string(language.name), std::move(lines)));
    }
}

namespace {

bool hasLngExtension(const fs::path& path) {
    return foldKey(path.extension().string()) == ".lng";
}

// Hidden (dot) files are left out: they are not languages a user added on purpose.
bool isHidden(const fs::path& path) {
    const std::string name = path.filename().string();
    return !name.empty() && name.front() == '.';
}

} // namespace

void addExternalLanguages(LanguageList& list, const fs::path& folder, LogSink& log) {
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(folder, ec))
        return;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        std::error_code typeError;
        if (hasLngExtension(path) && !isHidden(path) && fs::is_regular_file(path, typeError))
            files.push_back(path);
    }
    if (ec)
        logf(log, "language folder %s: %s", folder.string().c_str(), ec.message().c_str());
    // Directory order is arbitrary on Linux; a sorted list keeps the menu stable between runs.
    std::sort(files.begin(), files.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
    for (const fs::path& path : files) {
        std::string error;
        if (auto entry = readLanguageFile(path, error))
            list.add(std::move(*entry));
        else
            logf(log, "language file %s ignored: %s", path.string().c_str(), error.c_str());
    }
}

std::string_view languageForLocale(std::string_view localeName) {
    const std::size_t end = localeName.find_first_of("_-.@");
    const std::string code = foldKey(localeName.substr(0, end));
    if (code == "pl")
        return kPolishFileName;
    if (code == "es")
        return kSpanishFileName;
    if (code == "sk")
        return kSlovakFileName;
    return kEnglishFileName;
}

std::string_view fileNamePart(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

int chooseLanguage(const LanguageList& list, std::string_view languageFileName, std::string_view localeName) {
    const std::string_view stored = fileNamePart(languageFileName);
    if (!stored.empty())
        if (int index = list.find(stored); index >= 0)
            return index;
    if (int index = list.find(languageForLocale(localeName)); index >= 0)
        return index;
    return list.find(kEnglishFileName);
}

LanguageList buildLanguageList(const std::vector<fs::path>& folders, std::string& languageFileName,
                            std::string_view localeName, LogSink& log) {
    LanguageList list;
    addBuiltInLanguages(list);
    std::vector<fs::path> seen;
    for (const fs::path& folder : folders) {
        std::error_code ec;
        const bool repeated = std::any_of(seen.begin(), seen.end(), [&](const fs::path& earlier) {
            return fs::equivalent(earlier, folder, ec);
        });
        if (repeated)
            continue;
        seen.push_back(folder);
        addExternalLanguages(list, folder, log);
    }
    const int chosen = chooseLanguage(list, languageFileName, localeName);
    list.setCurrent(chosen);
    if (const LanguageContent* entry = list.current(); entry && chosen >= 0)
        languageFileName = entry->name();
    return list;
}

bool selectLanguageEntry(const LanguageList& list, int index, std::string& languageFileName) {
    if (index < 0 || index >= static_cast<int>(list.size()))
        return false;
    languageFileName = list.entries()[static_cast<std::size_t>(index)].name();
    return true;
}

namespace {
std::atomic<const LanguageList*> activeList{nullptr};
}

ActiveLanguageList::ActiveLanguageList(const LanguageList& list) : previous_(activeList.exchange(&list)) {}

ActiveLanguageList::~ActiveLanguageList() { activeList.store(previous_); }

std::string text(std::string_view key) {
    const LanguageList* list = activeList.load();
    return list ? list->text(key) : std::string(kMissingText);
}

} // namespace cs::lang
