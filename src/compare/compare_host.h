#pragma once
// What the comparison and file information windows need from the main window, and nothing more.
#include "common/text_lookup.h"

#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace cs::compare_ui {

struct CompareHost {
    QWidget* window = nullptr;
    // The active language's text of a key.
    TextLookup text;
    // The shown file (its folder starts the file dialog, its name heads the windows).
    std::function<std::string()> shownFile;
    // The shown database was changed: it is marked modified and the change becomes one undo
    // step of this name.
    std::function<void(const std::string& stepName)> changed;
    // Refills the tree, the list and the status panels after a change.
    std::function<void()> refreshViews;
    // Selects the channel of this slot in the main window's list; false when the list shown
    // cannot show it.
    std::function<bool(std::uint16_t slot)> selectChannel;
};

} // namespace cs::compare_ui
