#pragma once
// The languages of a run: built-in languages first, then external ".lng" files, one of them
// current. The list is built once at start; the current entry never changes during a run (a
// choice made in the menu is stored and takes effect at the next start).
#include "lang/lang_content.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace cs {
class LogSink;
}

namespace cs::lang {

class LanguageList {
public:
    // Appends an entry and makes it current.
    void add(LanguageContent entry);

    const std::vector<LanguageContent>& entries() const { return entries_; }
    std::size_t size() const { return entries_.size(); }
    // Index of the current entry, -1 when the list is empty.
    int currentIndex() const { return current_; }
    const LanguageContent* current() const;
    // Ignored for an index outside the list.
    void setCurrent(int index);
    // Index of the first entry named exactly `name` (case matters), -1 when none.
    int find(std::string_view name) const;

    // Text of `key` in the current language, "?" when missing or empty or when nothing is current.
    std::string text(std::string_view key) const;

private:
    std::vector<LanguageContent> entries_;
    int current_ = -1;
};

// Adds the five built-in languages in their fixed order.
void addBuiltInLanguages(LanguageList& list);

// Adds every acceptable "*.lng" file of `folder`, in file-name order. A file is acceptable when it
// has a "[LANGUAGE]" section holding at least one key; others are skipped with a line in `log`.
// A missing folder adds nothing.
void addExternalLanguages(LanguageList& list, const std::filesystem::path& folder, LogSink& log);

// The entry name a system locale ("pl_PL", "es-ES.UTF-8", ...) asks for: Polish, Spanish and
// Slovak have their built-in entry; anything else (Italian included) gives "English.lng".
std::string_view languageForLocale(std::string_view localeName);

// The file-name part of a stored language choice; both "/" and "\" separate folders.
std::string_view fileNamePart(std::string_view path);

// Index of the language to use: the stored choice (file-name part, exact match, first entry of
// that name), else the system locale's language, else "English.lng"; -1 only when none exists.
int chooseLanguage(const LanguageList& list, std::string_view languageFileName, std::string_view localeName);

// Builds the list at start: built-in languages, then the ".lng" files of each folder in order
// (the program folder, then the user's language folder; a folder given twice is read once),
// chooses the current entry and sets `languageFileName` to its name.
LanguageList buildLanguageList(const std::vector<std::filesystem::path>& folders, std::string& languageFileName,
                            std::string_view localeName, LogSink& log);

// Menu choice of another language: `languageFileName` becomes the entry's name; the current entry
// stays. Returns false (and changes nothing) for an index outside the list.
bool selectLanguageEntry(const LanguageList& list, int index, std::string& languageFileName);

// The list every window reads through the free function text(). The main window installs its list
// for its lifetime; the list must outlive the installation.
class ActiveLanguageList {
public:
    explicit ActiveLanguageList(const LanguageList& list);
    ~ActiveLanguageList();
    ActiveLanguageList(const ActiveLanguageList&) = delete;
    ActiveLanguageList& operator=(const ActiveLanguageList&) = delete;

private:
    const LanguageList* previous_;
};

// Text of `key` in the installed list's current language; "?" when no list is installed.
std::string text(std::string_view key);

} // namespace cs::lang
