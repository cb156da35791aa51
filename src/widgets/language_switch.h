#pragma once
// A change of language reaches every window at once: Qt's own texts (message-box buttons, file
// dialogs, the edit boxes' menus) follow the language through Qt's translation of it, and every
// top-level window receives QEvent::LanguageChange, which each window answers by setting its
// texts again. Windows opened later read the new language when they are made.
#include <QString>

#include <string_view>

namespace cs::widgets {

// Loads Qt's own translation ("qtbase_<code>") of the language with that entry name from
// `folder` (empty: QLibraryInfo::TranslationsPath) in place of the one loaded before; English and
// languages without a built-in code use Qt's own English. False when a translation was wanted
// but none could be loaded (the program's own keys then stand in where it matters).
bool loadQtTranslation(std::string_view languageEntryName, const QString& folder = QString());

// False while a language other than English is chosen: Qt's texts that its translation leaves
// in English (all of them when none is installed) are then replaced where the program has keys
// for them (the message boxes' buttons).
bool qtTextsInEnglish();

// Sends QEvent::LanguageChange to every top-level widget, now (not posted).
void announceLanguageChange();

} // namespace cs::widgets
