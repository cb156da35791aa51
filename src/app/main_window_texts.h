#pragma once
// Which text each captioned part of the main window shows: a language key, or a fixed text that is
// the same in every language. The window applies these whenever its language is set. The keys are
// those of the language files and stay exactly as they are written there.
#include <array>
#include <string_view>
#include <utility>

#include "app/main_window_widgets.h"

namespace cs::app {

// The application's title and the main window's caption.
inline constexpr std::string_view kTitleKey = "TitleApplication";

struct MenuText {
    QMenu* MainWindowMenus::*menu;
    std::string_view key;
};

struct ActionText {
    QAction* MainWindowActions::*action;
    std::string_view key;
};

inline constexpr std::array<MenuText, 6> kMenuTexts = {{
    {&MainWindowMenus::file, "MenuFile"},
    {&MainWindowMenus::edit, "MenuEdit"},
    {&MainWindowMenus::search, "MenuSearch"},
    {&MainWindowMenus::transmission, "MenuTransmission"},
    {&MainWindowMenus::help, "MenuHelp"},
    {&MainWindowMenus::language, "MenuLanguage"},
}};

// Menu entries, pop-up menu entries and tray menu entries.
inline constexpr std::array<ActionText, 43> kActionTexts = {{
    {&MainWindowActions::open, "MenuOpen"},
    {&MainWindowActions::save, "MenuSave"},
    {&MainWindowActions::saveAs, "MenuSaveAs"},
    {&MainWindowActions::printView, "MenuPrint"},
    {&MainWindowActions::exportPdf, "MenuExportPdf"},
    {&MainWindowActions::preferences, "MenuPreference"},
    {&MainWindowActions::imageManager, "ImgManTitle"},
    {&MainWindowActions::exit, "MenuExit"},
    {&MainWindowActions::cut, "MenuCut"},
    {&MainWindowActions::copy, "MenuCopy"},
    {&MainWindowActions::paste, "MenuPaste"},
    {&MainWindowActions::deleteChannels, "MenuDelete"},
    {&MainWindowActions::selectAll, "MenuSelectAll"},
    {&MainWindowActions::renameChannels, "MenuRenameMany"},
    {&MainWindowActions::find, "MenuFind"},
    {&MainWindowActions::findNext, "MenuFindNext"},
    {&MainWindowActions::findAll, "MenuFindAll"},
    {&MainWindowActions::connectionWizard, "MenuCreatorConnection"},
    {&MainWindowActions::receiveDatabase, "MenuReceiveBaseData"},
    {&MainWindowActions::sendDatabase, "MenuSendBaseData"},
    {&MainWindowActions::updateSoftware, "MenuUpdateSoftware"},
    {&MainWindowActions::about, "MenuHelpAbout"},
    {&MainWindowActions::compareWith, "MenuCompareWith"},
    {&MainWindowActions::fileInformation, "MenuFileInformation"},
    {&MainWindowActions::listCut, "MenuCut"},
    {&MainWindowActions::listCopy, "MenuCopy"},
    {&MainWindowActions::listPaste, "MenuPaste"},
    {&MainWindowActions::listDelete, "MenuDelete"},
    {&MainWindowActions::listRename, "MenuPopUpChangeName"},
    {&MainWindowActions::listSelectAll, "MenuPopUpSelectAll"},
    {&MainWindowActions::listProperties, "MenuPopProperties"},
    {&MainWindowActions::treeEraseChannels, "MenuPopEraseAllChannels"},
    {&MainWindowActions::treeCreateList, "MenuCreateNewList"},
    {&MainWindowActions::treeDeleteList, "MenuEraseList"},
    {&MainWindowActions::treeRename, "MenuPopUpChangeName"},
    {&MainWindowActions::treeProperties, "MenuPopProperties"},
    {&MainWindowActions::trayOpen, "MenuTrayIcoOpen"},
    {&MainWindowActions::trayHomePage, "MenuTrayIcoHomePage"},
    {&MainWindowActions::trayConnectionWizard, "MenuCreatorConnection"},
    {&MainWindowActions::trayExit, "MenuExit"},
    {&MainWindowActions::exportView, "MenuExportView"},
    {&MainWindowActions::orderLikeReference, "MenuOrderLikeReference"},
    {&MainWindowActions::findDuplicates, "MenuFindDuplicates"},
}};

// Hints of the tool bar's buttons (the filter bar's are the views' own).
inline constexpr std::array<ActionText, 12> kToolHints = {{
    {&MainWindowActions::toolOpen, "MenuOpen"},
    {&MainWindowActions::toolSave, "MenuSave"},
    {&MainWindowActions::toolCopy, "MenuCopy"},
    {&MainWindowActions::toolCut, "MenuCut"},
    {&MainWindowActions::toolPaste, "MenuPaste"},
    {&MainWindowActions::toolDelete, "MenuDelete"},
    {&MainWindowActions::toolProperties, "MenuPopProperties"},
    {&MainWindowActions::toolFind, "MenuFind"},
    {&MainWindowActions::toolConnectionWizard, "MenuCreatorConnection"},
    {&MainWindowActions::toolSendDatabase, "MenuSendBaseData"},
    {&MainWindowActions::toolReceiveDatabase, "MenuReceiveBaseData"},
    {&MainWindowActions::numberingMode, "MenuNumbersProgram"},
}};

} // namespace cs::app
