#pragma once
// Which text each captioned part of the main window shows: a language key, or a fixed text that is
// the same in every language. The main window applies these once, when its language is known.
#include <array>
#include <string_view>

namespace cs::lang {

// A menu entry addressed by its menu and its position there as designed (separators count).
struct MenuItemText {
    std::string_view menu;
    int position;
    std::string_view component;
    std::string_view key;   // empty when the text is fixed
    std::string_view fixed; // the fixed text when there is no key
};

// An indexed entry (settings entry, tree node) and its key.
struct IndexedText {
    int index;
    std::string_view key;
};

// A tool button and its hint.
struct HintText {
    std::string_view component;
    std::string_view key;
    std::string_view fixed;
};

// The application's title and the main window's caption.
inline constexpr std::string_view kTitleKey = "TitleApplication";

inline constexpr std::array<MenuItemText, 25> kMainMenuTexts = {{
    {"main", 0, "Plik1", "MenuFile", {}},
    {"main", 1, "Edycja1", "MenuEdit", {}},
    {"main", 2, "Szukaj1", "MenuSearch", {}},
    {"main", 3, "tRANSMISJA1", "MenuTransmission", {}},
    {"main", 4, "About1", "MenuHelp", {}},
    {"File", 0, "Otworz1", "MenuOpen", {}},
    {"File", 1, "Zapisz1", "MenuSave", {}},
    {"File", 2, "Zapiszjako1", "MenuSaveAs", {}},
    {"File", 7, "Preferencje1", "MenuPreference", {}},
    {"File", 8, "Language", "MenuLanguage", {}},
    {"File", 10, "ImageManager", "ImgManTitle", {}},
    {"File", 12, "Wyjcie1", "MenuExit", {}},
    {"Edit", 0, "Przenie1", "MenuCut", {}},
    {"Edit", 1, "Kopiuj1", "MenuCopy", {}},
    {"Edit", 2, "Wklej1", "MenuPaste", {}},
    {"Edit", 3, "Usu2", "MenuDelete", {}},
    {"Edit", 5, "Zaznaczwszystko1", "MenuSelectAll", {}},
    {"Search", 0, "Znajd1", "MenuFind", {}},
    {"Search", 1, "ZnajdNastpny1", "MenuFindNext", {}},
    {"Search", 2, "ZnajdWszystkie1", "MenuFindAll", {}},
    {"Transmission", 0, "Kreatorpoczenia1", "MenuCreatorConnection", {}},
    {"Transmission", 1, "Transmission_01", "MenuReceiveBaseData", {}},
    {"Transmission", 2, "Transmission_02", "MenuSendBaseData", {}},
    {"Transmission", 3, "Transmission_03", "MenuUpdateSoftware", {}},
    {"Help", 7, "About2", "MenuHelpAbout", {}},
}};

// Entries of the settings view; the entries not listed keep their built-in names.
inline constexpr std::array<IndexedText, 6> kSettingsEntryTexts = {{
    {0, "TreeViewColStbSett"},
    {1, "TreeViewColSatellites"},
    {2, "TreeViewColClockAdjust"},
    {3, "TreeViewColParentalLock"},
    {5, "TreeViewColConverterLNB"},
    {6, "TreeViewColListTransponder"},
}};

// The first four nodes of the tree.
inline constexpr std::array<IndexedText, 4> kTreeNodeTexts = {{
    {0, "TreeViewMainList"},
    {1, "TreeViewRecycle"},
    {2, "TreeViewProvider"},
    {3, "TreeViewSetting"},
}};

inline constexpr std::array<MenuItemText, 25> kPopupMenuTexts = {{
    {"PopupMenu1", 0, "PopCut", "MenuCut", {}},
    {"PopupMenu1", 1, "PopCopy", "MenuCopy", {}},
    {"PopupMenu1", 2, "PopPaste", "MenuPaste", {}},
    {"PopupMenu1", 3, "PopDelete", "MenuDelete", {}},
    {"PopupMenu1", 4, "Zmienazw1", "MenuPopUpChangeName", {}},
    {"PopupMenu1", 6, "Zaznaczwszystkp1", "MenuPopUpSelectAll", {}},
    {"PopupMenu1", 8, "Waciwoci2", "MenuPopProperties", {}},
    {"PopupMenu2", 0, "Usuprogramy1", "MenuPopEraseAllChannels", {}},
    {"PopupMenu2", 1, "Tworznowlist1", "MenuCreateNewList", {}},
    {"PopupMenu2", 2, "Usulist1", "MenuEraseList", {}},
    {"PopupMenu2", 3, "Zmian1", "MenuPopUpChangeName", {}},
    {"PopupMenu2", 5, "Waciwoci1", "MenuPopProperties", {}},
    {"PopUpTrayIcon", 0, "Otwrz1", "MenuTrayIcoOpen", {}},
    {"PopUpTrayIcon", 2, "TervanisHomePage1", "MenuTrayIcoHomePage", {}},
    {"PopUpTrayIcon", 3, "Kreatorpoloczeniaterminalowego1", "MenuCreatorConnection", {}},
    {"PopUpTrayIcon", 5, "Zamknij1", "MenuExit", {}},
    {"PopUp01", 0, "Item00_00", {}, "TV / RADIO"},
    {"PopUp01", 1, "Item00_01", {}, "TV"},
    {"PopUp01", 2, "Item00_02", {}, "RADIO"},
    {"PopUp02", 0, "Item01_00", {}, "FTA / CA"},
    {"PopUp02", 1, "Item01_01", {}, "FTA"},
    {"PopUp02", 2, "Item01_02", {}, "CA"},
    {"PopUp03", 0, "Item02_00", "MenuPopUpProgram", {}},
    {"PopUp03", 1, "Item02_01", "MenuPopUpTransponder", {}},
    {"PopUp03", 2, "Item02_02", "MenuPopUpAlphabet", {}},
}};

inline constexpr std::array<HintText, 17> kToolButtonHints = {{
    {"ToolButton1", "MenuOpen", {}},
    {"ToolButton2", "MenuSave", {}},
    {"ToolButtonCopy", "MenuCopy", {}},
    {"ToolButtonCut", "MenuCut", {}},
    {"ToolButtonPaste", "MenuPaste", {}},
    {"ToolButtonDel", "MenuDelete", {}},
    {"ToolButtonProper", "MenuPopProperties", {}},
    {"ToolButton9", "MenuFind", {}},
    {"ToolButton11", "MenuCreatorConnection", {}},
    {"ToolButton20", "MenuSendBaseData", {}},
    {"ToolButton22", "MenuReceiveBaseData", {}},
    {"ToolButton26", "MenuNumbersProgram", {}},
    {"DropDownBtn01", {}, "TV / RADIO"},
    {"DropDownBtn02", {}, "FTA / CA"},
    {"DropDownBtn03", "HintSort", {}},
    {"DropDownBtn04", "HintListDestination", {}},
    {"DropDownBtn05", "HintSystemsCode", {}},
}};

} // namespace cs::lang
