#pragma once
// The state of the import chooser: one item per listed component with its "selected" flag, and
// four sub-flags for colour profiles (profiles 1..4) and receiver settings (sub-items 1..4). The
// chooser window shows and changes this state; the command line fills it from a component list.
#include "exchange/import_file.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cs {

inline constexpr std::size_t kSubItemCount = 4;
using SubFlags = std::array<bool, kSubItemCount>;

// Receiver-settings sub-items, numbered as the chooser lists them.
enum ReceiverSettingsSubItem : std::size_t {
    kIndividualSettings = 1,
    kSatelliteParameters = 2,
    kPreferredSettings = 3,
    kTimerSettings = 4,
};

struct ChooserItem {
    std::size_t entry = 0;  // directory entry of the component
    ComponentType type = ComponentType::None;
    std::string label;
    bool selected = false;
    SubFlags subFlags{};    // only meaningful for colour profiles and receiver settings

    bool hasSubItems() const {
        return type == ComponentType::ColourProfiles || type == ComponentType::ReceiverSettings;
    }
    bool subItem(std::size_t number) const { return number >= 1 && number <= kSubItemCount && subFlags[number - 1]; }
};

class ImportChooser {
public:
    // Lists the components of a read file; colour profiles and receiver settings start with all
    // four sub-flags set, nothing is selected.
    explicit ImportChooser(const ImportFile& file);

    std::vector<ChooserItem>& items() { return items_; }
    const std::vector<ChooserItem>& items() const { return items_; }
    // The item of a directory entry, nullptr when that entry is not listed.
    ChooserItem* itemOfEntry(std::size_t entry);
    const ChooserItem* itemOfEntry(std::size_t entry) const;

    // Whether an item has a detail list ("Szczegóły" enabled).
    bool hasDetails(std::size_t item) const;
    // The detail list's entries of an item; empty for items without one.
    std::vector<std::string> detailLabels(std::size_t item) const;
    // Stores the detail list's checks as the item's sub-flags; false (nothing stored) when no
    // entry is checked or the item has no detail list.
    bool storeDetails(std::size_t item, const SubFlags& checks);

    // OK: false when no item is selected (the window then says so and stays open).
    bool confirm();
    bool confirmed() const { return confirmed_; }
    bool anySelected() const;

    // Every item with every sub-flag, confirmed.
    void selectAll();
    // Selects the items of a list such as "0,2:1+3": directory entry numbers separated by
    // commas, each optionally followed by ":" and sub-item numbers 1..4 joined by "+" (an entry
    // without them keeps all four). Items not named are deselected. Returns an error text (and
    // changes nothing) for a malformed list, an entry that is not listed, or sub-items given for
    // a component that has none.
    std::optional<std::string> selectFromList(std::string_view list);

private:
    std::vector<ChooserItem> items_;
    bool confirmed_ = false;
};

} // namespace cs
