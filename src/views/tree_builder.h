#pragma once
// The nodes of the main window's tree: their kinds (state indexes), images and texts, building
// them from the open database, and the classification every handler of the views uses.
#include <QString>

#include <cstddef>
#include <optional>
#include <string_view>

#include "database/tree_node.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace cs {
class ChannelDatabase;
class DisplayTexts;
} // namespace cs

namespace cs::views {

// State index of a node: what kind of node it is.
enum NodeState : int {
    kStateMainList = 1,   // main list and its satellites
    kStateList = 2,       // favourite list
    kStateBin = 3,
    kStateProviders = 4,  // providers node, unknown provider, providers
    kStateSettings = 5,
};

// Tree images (16 pixels): image / selected image of each node kind.
enum TreeImage : int {
    kImgSatellite = 0,
    kImgList = 1,
    kImgMainList = 2,
    kImgSatelliteSelected = 3,
    kImgListSelected = 4,
    kImgBin = 5,
    kImgBinSelected = 6,
    kImgProviders = 7,
    kImgProvidersSelected = 8,
    kImgProvider = 9,
    kImgProviderSelected = 10,
    kImgSettings = 11,
    kTreeImageCount = 12,
};

// Item data roles of the tree nodes.
inline constexpr int kRoleState = 0x0100;           // Qt::UserRole: NodeState
inline constexpr int kRoleImage = 0x0101;           // image index
inline constexpr int kRoleSelectedImage = 0x0102;   // selected image index
inline constexpr int kRoleSatellite = 0x0103;       // satellite number of a satellite node

// Classifies a node; nothing for no node.
std::optional<TreeNode> classifyNode(const QTreeWidgetItem* node);

// The fixed top-level nodes: main list, bin, providers, settings (in that order); favourite
// lists are inserted between the main list and the bin.
class TreeBuilder {
public:
    TreeBuilder(QTreeWidget& tree, const ChannelDatabase& database, const DisplayTexts& texts);

    // Creates the four fixed nodes when the tree is empty; otherwise does nothing.
    void createFixedNodes();
    // Removes the list, satellite and provider nodes and adds the current ones.
    void rebuildAll();
    void rebuildSatellites();
    void rebuildLists();
    void rebuildProviders();
    // Re-applies every node text in the current language.
    void applyTexts();

    QTreeWidgetItem* mainListNode() const;
    QTreeWidgetItem* binNode() const;
    QTreeWidgetItem* providersNode() const;
    QTreeWidgetItem* settingsNode() const;
    QTreeWidgetItem* listNode(int list) const;          // 1..8; null when absent
    QTreeWidgetItem* satelliteNode(int satellite) const;  // null when absent
    // The node that classifies as `c`; null when there is none.
    QTreeWidgetItem* findNode(const TreeNode& node) const;

    // Provider name with every character below 32 or above 125 removed.
    static QString providerNodeText(std::string_view name);

private:
    QTreeWidgetItem* topLevel(NodeState state) const;
    void decorate(QTreeWidgetItem* item, NodeState state, int image, int selectedImage) const;
    QString text(const char* key) const;

    QTreeWidget& tree_;
    const ChannelDatabase& db_;
    const DisplayTexts& texts_;
};

} // namespace cs::views
