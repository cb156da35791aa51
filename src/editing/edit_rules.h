#pragma once
// The decisions of the editing commands, apart from any window: which pop-up menu items show,
// which drops are accepted and what they do, where moved rows go, and the presets of the
// favourite-list channel chooser.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "database/tree_node.h"

namespace cs::editing {

inline constexpr int kMaxLists = 8;


// Items of the tree's pop-up menu.
struct TreeMenuItems {
    bool erase = false;
    bool createList = false;
    bool createListEnabled = false;
    bool deleteList = false;
    bool rename = false;
    bool separator = false;
    bool properties = false;
};
TreeMenuItems treeMenuItems(const std::optional<TreeNode>& node, int listCount);

// Items of the list's pop-up menu; the enabled states follow the edit tool buttons.
struct ListMenuState {
    bool cutEnabled = false;
    bool copyEnabled = false;
    bool pasteEnabled = false;
    bool deleteEnabled = false;
    int rows = 0;
    int selected = 0;
    bool numbering = false;
};
struct ListMenuItems {
    bool cut = false, copy = false, paste = true, del = false, rename = false, selectAll = false, properties = false;
};
ListMenuItems listMenuItems(const ListMenuState& state);

// What a drop on a tree node does.
enum class DropAction {
    Refused,
    EraseNode,        // erase all programs of the node that is not the bin
    CopyList,         // favourite list onto another favourite list
    CopyProvider,     // provider onto a favourite list
    CopyChannels,     // list rows onto another favourite list
    DeleteChannels,   // list rows onto the bin
};

struct TreeDrop {
    DropAction action = DropAction::Refused;
    TreeNode subject;  // the node the question names first (the erased node, the copied list)
};

// A tree node dragged onto a tree node.
TreeDrop nodeDrop(const TreeNode& source, const TreeNode& target);
// Rows of the list dragged onto a tree node; `shownList` is the favourite list being shown (0 none).
TreeDrop rowsDrop(const TreeNode& target, int shownList, int selectedRows);

// Whether a node can be erased (dragged to or from the bin, or its menu's erase item).
bool erasable(const TreeNode& node);

// Moving the selected rows of a favourite list to the target row: the new row order as old row
// indices. `selected` ascending. Nothing when no row is selected, the target is selected (it is
// gone once the rows are taken out) or out of range.
std::optional<std::vector<int>> moveRowsOrder(int rows, std::span<const int> selected, int target);

// The favourite-list chooser's presets from the stored start list and start channel: the entry
// of the list box (0 based), and the row of the channel box (nothing: no row selected).
int chooserListIndex(int startList, int listCount);
std::optional<int> chooserRowIndex(int startChannel, int rowsOfList);

} // namespace cs::editing

namespace cs {
class ChannelDatabase;
}

namespace cs::editing {


// The channels of favourite list 1..8 in the order of their positions (the chooser's own view,
// independent of what the main window shows).
std::vector<std::uint16_t> listChannels(const ChannelDatabase& db, int list);

} // namespace cs::editing
