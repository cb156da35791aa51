// Menu visibility, accepted drops and moved rows.
#include "editing/edit_rules.h"

#include <gtest/gtest.h>

namespace cs::editing {
namespace {

TreeNode list(int k) { return TreeNode::favouriteList(k); }
TreeNode mainList() { return TreeNode::mainList(); }
TreeNode satellite(int s) { return TreeNode::satellite(s); }
TreeNode bin() { return TreeNode::bin(); }
TreeNode providers() { return TreeNode::providers(); }
TreeNode unknownProvider() { return TreeNode::unknownProvider(); }
TreeNode provider(int position) { return TreeNode::provider(position); }
TreeNode settings() { return TreeNode::settings(); }

TEST(EditRules, TreeMenuFollowsTheNode) {
    const TreeMenuItems forList = treeMenuItems(list(2), 3);
    EXPECT_TRUE(forList.erase && forList.rename && forList.createList && forList.createListEnabled && forList.deleteList);
    EXPECT_FALSE(forList.properties);
    EXPECT_FALSE(treeMenuItems(list(8), 8).createListEnabled);
    const TreeMenuItems forSatellite = treeMenuItems(satellite(19), 1);
    EXPECT_TRUE(forSatellite.erase && forSatellite.rename && forSatellite.properties && forSatellite.separator);
    EXPECT_FALSE(forSatellite.createList || forSatellite.deleteList);
    const TreeMenuItems binWithoutLists = treeMenuItems(bin(), 0);
    EXPECT_TRUE(binWithoutLists.createList && binWithoutLists.createListEnabled);
    EXPECT_FALSE(binWithoutLists.erase);
    EXPECT_FALSE(treeMenuItems(bin(), 2).createList);
    EXPECT_TRUE(treeMenuItems(settings(), 0).createList);
    const TreeMenuItems none = treeMenuItems(std::nullopt, 0);
    EXPECT_FALSE(none.erase || none.createList || none.rename || none.properties);
}

TEST(EditRules, ListMenuFollowsRowsSelectionAndNumbering) {
    ListMenuItems empty = listMenuItems({true, true, true, true, 0, 0, false});
    EXPECT_TRUE(empty.paste);
    EXPECT_FALSE(empty.cut || empty.copy || empty.del || empty.selectAll || empty.rename);
    ListMenuItems noSelection = listMenuItems({false, false, false, false, 5, 0, false});
    EXPECT_FALSE(noSelection.cut || noSelection.rename || noSelection.properties);
    EXPECT_TRUE(noSelection.selectAll);
    ListMenuItems selected = listMenuItems({false, true, false, true, 5, 2, false});
    EXPECT_TRUE(selected.cut && selected.copy && selected.del && selected.rename && selected.properties);
    EXPECT_FALSE(listMenuItems({false, true, false, true, 5, 2, true}).rename);
}

TEST(EditRules, DropsOfTreeNodes) {
    struct Case {
        const char* what;
        TreeNode source, target;
        DropAction action;
        TreeNode subject;
    } cases[] = {
        {"main list on the bin", mainList(), bin(), DropAction::EraseNode, mainList()},
        {"bin on a list", bin(), list(1), DropAction::EraseNode, list(1)},
        {"provider on the bin", provider(1), bin(), DropAction::EraseNode, provider(1)},
        {"unknown provider on the bin", unknownProvider(), bin(), DropAction::EraseNode, unknownProvider()},
        {"providers node on the bin", providers(), bin(), DropAction::Refused, {}},
        {"list on another list", list(1), list(2), DropAction::CopyList, list(1)},
        {"list on itself", list(2), list(2), DropAction::Refused, {}},
        {"provider on a list", provider(0), list(2), DropAction::CopyProvider, provider(0)},
        {"satellite on a list", satellite(19), list(2), DropAction::Refused, {}},
        {"bin on settings", bin(), settings(), DropAction::Refused, {}},
        {"bin on the bin", bin(), bin(), DropAction::Refused, {}},
    };
    for (const Case& c : cases) {
        const TreeDrop d = nodeDrop(c.source, c.target);
        EXPECT_EQ(d.action, c.action) << c.what;
        if (c.action != DropAction::Refused) {
            EXPECT_TRUE(d.subject == c.subject) << c.what;
        }
    }
}

TEST(EditRules, DropsOfListRows) {
    EXPECT_EQ(rowsDrop(list(2), 1, 3).action, DropAction::CopyChannels);
    EXPECT_EQ(rowsDrop(list(1), 1, 3).action, DropAction::Refused);  // the list being shown
    EXPECT_EQ(rowsDrop(list(1), 0, 3).action, DropAction::CopyChannels);
    EXPECT_EQ(rowsDrop(bin(), 0, 1).action, DropAction::DeleteChannels);
    EXPECT_EQ(rowsDrop(bin(), 0, 0).action, DropAction::Refused);
    EXPECT_EQ(rowsDrop(mainList(), 1, 2).action, DropAction::Refused);
}

TEST(EditRules, MovingRowsInsideAList) {
    struct Case {
        const char* what;
        int rows;
        std::vector<int> selected;
        int target;
        std::optional<std::vector<int>> order;
    } cases[] = {
        {"two rows down below a third", 5, {0, 1}, 2, std::vector<int>{2, 0, 1, 3, 4}},
        {"two rows up above a third", 5, {3, 4}, 1, std::vector<int>{0, 3, 4, 1, 2}},
        {"to the last row", 4, {0}, 3, std::vector<int>{1, 2, 3, 0}},
        {"to the first row", 4, {3}, 0, std::vector<int>{3, 0, 1, 2}},
        {"target selected", 4, {1, 2}, 2, std::nullopt},
        {"no selection", 4, {}, 2, std::nullopt},
        {"target outside", 4, {0}, 4, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(moveRowsOrder(c.rows, c.selected, c.target), c.order) << c.what;
}

TEST(EditRules, ChooserPresets) {
    EXPECT_EQ(chooserListIndex(0, 3), 0);
    EXPECT_EQ(chooserListIndex(-1, 3), 0);
    EXPECT_EQ(chooserListIndex(3, 3), 2);
    EXPECT_EQ(chooserListIndex(4, 3), 0);
    EXPECT_EQ(chooserRowIndex(-1, 5), 0);
    EXPECT_EQ(chooserRowIndex(0, 5), 0);
    EXPECT_EQ(chooserRowIndex(5, 5), 4);
    EXPECT_EQ(chooserRowIndex(6, 5), std::nullopt);
    EXPECT_EQ(chooserRowIndex(1, 0), std::nullopt);
}

} // namespace
} // namespace cs::editing
