#include "editing/edit_rules.h"

#include <algorithm>

namespace cs::editing {

TreeMenuItems treeMenuItems(const std::optional<TreeNode>& node, int listCount) {
    TreeMenuItems m;
    if (!node)
        return m;
    if (node->isFavouriteList() || node->isMainOrSatellite()) {
        m.erase = true;
        m.rename = true;
    }
    if (node->isFavouriteList()) {
        m.createList = true;
        m.createListEnabled = listCount < kMaxLists;
        m.deleteList = true;
    }
    if (node->isMainOrSatellite()) {
        m.separator = true;
        m.properties = true;
    }
    if (listCount == 0 && (node->isBin() || !(node->isFavouriteList() || node->isMainOrSatellite()))) {
        m.createList = true;
        m.createListEnabled = true;
    }
    return m;
}

ListMenuItems listMenuItems(const ListMenuState& s) {
    ListMenuItems m;
    m.paste = true;
    if (s.rows > 0) {
        m.cut = m.copy = m.del = true;
        if (s.selected == 0) {
            m.cut = m.copy = m.del = false;
        } else {
            m.rename = !s.numbering;
            m.properties = true;
        }
        m.selectAll = true;
    }
    return m;
}

bool erasable(const TreeNode& node) { return node.isFavouriteList() || node.isMainOrSatellite() || node.isProvider(); }

TreeDrop nodeDrop(const TreeNode& source, const TreeNode& target) {
    if (source.isBin() && erasable(target))
        return {DropAction::EraseNode, target};
    if (target.isBin() && erasable(source))
        return {DropAction::EraseNode, source};
    if (source.isFavouriteList() && target.isFavouriteList() && source.index != target.index)
        return {DropAction::CopyList, source};
    if (source.isProvider() && target.isFavouriteList())
        return {DropAction::CopyProvider, source};
    return {};
}

TreeDrop rowsDrop(const TreeNode& target, int shownList, int selectedRows) {
    if (selectedRows <= 0)
        return {};
    if (target.isFavouriteList() && target.index != shownList)
        return {DropAction::CopyChannels, target};
    if (target.isBin())
        return {DropAction::DeleteChannels, target};
    return {};
}

std::optional<std::vector<int>> moveRowsOrder(int rows, std::span<const int> selected, int target) {
    if (selected.empty() || target < 0 || target >= rows)
        return std::nullopt;
    std::vector<char> isSelected(static_cast<std::size_t>(rows), 0);
    for (int r : selected)
        if (r >= 0 && r < rows)
            isSelected[static_cast<std::size_t>(r)] = 1;
    if (isSelected[static_cast<std::size_t>(target)])
        return std::nullopt;
    std::vector<int> rest;
    std::vector<int> moved;
    int targetIndex = -1;
    for (int r = 0; r < rows; ++r) {
        if (isSelected[static_cast<std::size_t>(r)]) {
            moved.push_back(r);
        } else {
            if (r == target)
                targetIndex = static_cast<int>(rest.size());
            rest.push_back(r);
        }
    }
    // Rows taken out above the target moved it up: the rows go after it; otherwise before it.
    const int insertAt = targetIndex < target ? targetIndex + 1 : targetIndex;
    rest.insert(rest.begin() + insertAt, moved.begin(), moved.end());
    return rest;
}

int chooserListIndex(int startList, int listCount) {
    const int preset = startList > 0 ? startList : 1;
    return preset <= listCount ? preset - 1 : 0;
}

std::optional<int> chooserRowIndex(int startChannel, int rowsOfList) {
    const int preset = startChannel > 0 ? startChannel : 1;
    if (preset <= rowsOfList)
        return preset - 1;
    return std::nullopt;
}

} // namespace cs::editing

#include "database/channel_database.h"
#include "database/display_texts.h"

namespace cs::editing {

std::vector<std::uint16_t> listChannels(const ChannelDatabase& db, int list) {
    std::vector<std::pair<std::uint16_t, std::uint16_t>> members;
    if (list < 1 || list > kMaxLists)
        return {};
    const std::size_t cap = std::min(db.capacity(), kMaxChannelSlots);
    for (std::size_t slot = 0; slot < cap; ++slot) {
        if (!db.entry(slot).inUse())
            continue;
        const std::uint16_t position = db.record(slot).listPosition(static_cast<std::size_t>(list));
        if (position != 0)
            members.emplace_back(position, static_cast<std::uint16_t>(slot));
    }
    std::stable_sort(members.begin(), members.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::uint16_t> out;
    out.reserve(members.size());
    for (const auto& m : members)
        out.push_back(m.second);
    return out;
}

} // namespace cs::editing
