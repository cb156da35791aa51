#include "views/tree_builder.h"

#include "views/view_icons.h"
#include "database/channel_database.h"
#include "database/display_texts.h"

#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <memory>

namespace cs::views {

namespace {

QString latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

int stateOf(const QTreeWidgetItem* item) { return item ? item->data(0, kRoleState).toInt() : 0; }

void removeChildren(QTreeWidgetItem* parent) {
    // takeChildren hands the children over; unique_ptr deletes them.
    const QList<QTreeWidgetItem*> children = parent->takeChildren();
    for (QTreeWidgetItem* child : children)
        std::unique_ptr<QTreeWidgetItem> drop(child);
}

} // namespace

std::optional<TreeNode> classifyNode(const QTreeWidgetItem* node) {
    if (!node)
        return std::nullopt;
    const QTreeWidgetItem* parent = node->parent();
    switch (stateOf(node)) {
    case kStateMainList:
        return parent ? TreeNode::satellite(node->data(0, kRoleSatellite).toInt()) : TreeNode::mainList();
    case kStateList: {
        // Favourite lists follow the main list at the top level: list k is top-level node k.
        QTreeWidget* tree = node->treeWidget();
        return TreeNode::favouriteList(tree ? tree->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(node)) : 0);
    }
    case kStateBin: return TreeNode::bin();
    case kStateProviders: {
        if (!parent)
            return TreeNode::providers();
        // Children: the unknown provider first, then the providers in provider-list order.
        const int child = parent->indexOfChild(const_cast<QTreeWidgetItem*>(node));
        return child == 0 ? TreeNode::unknownProvider() : TreeNode::provider(child - 1);
    }
    case kStateSettings: return TreeNode::settings();
    default: return std::nullopt;
    }
}

TreeBuilder::TreeBuilder(QTreeWidget& tree, const ChannelDatabase& database, const DisplayTexts& texts)
    : tree_(tree), db_(database), texts_(texts) {}

QString TreeBuilder::text(const char* key) const { return QString::fromStdString(texts_.text(key)); }

QString TreeBuilder::providerNodeText(std::string_view name) {
    QString out;
    out.reserve(static_cast<qsizetype>(name.size()));
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 32 && c <= 125)
            out.append(QChar(c));
    }
    return out;
}

void TreeBuilder::decorate(QTreeWidgetItem* item, NodeState state, int image, int selectedImage) const {
    item->setData(0, kRoleState, static_cast<int>(state));
    item->setData(0, kRoleImage, image);
    item->setData(0, kRoleSelectedImage, selectedImage);
    item->setIcon(0, treeIcon(image, selectedImage));
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    if (state == kStateList)
        flags |= Qt::ItemIsEditable;  // only favourite lists can be renamed in place
    item->setFlags(flags);
}

void TreeBuilder::createFixedNodes() {
    if (tree_.topLevelItemCount() != 0)
        return;
    struct Fixed {
        NodeState state;
        int image, selected;
        const char* key;
    };
    static constexpr Fixed fixed[] = {
        {kStateMainList, kImgMainList, kImgMainList, "TreeViewMainList"},
        {kStateBin, kImgBin, kImgBinSelected, "TreeViewRecycle"},
        {kStateProviders, kImgProviders, kImgProvidersSelected, "TreeViewProvider"},
        {kStateSettings, kImgSettings, kImgSettings, "TreeViewSetting"},
    };
    for (const Fixed& f : fixed) {
        auto item = std::make_unique<QTreeWidgetItem>();
        decorate(item.get(), f.state, f.image, f.selected);
        item->setText(0, text(f.key));
        tree_.addTopLevelItem(item.release());
    }
}

QTreeWidgetItem* TreeBuilder::topLevel(NodeState state) const {
    for (int i = 0; i < tree_.topLevelItemCount(); ++i)
        if (stateOf(tree_.topLevelItem(i)) == state)
            return tree_.topLevelItem(i);
    return nullptr;
}

QTreeWidgetItem* TreeBuilder::mainListNode() const { return topLevel(kStateMainList); }
QTreeWidgetItem* TreeBuilder::binNode() const { return topLevel(kStateBin); }
QTreeWidgetItem* TreeBuilder::providersNode() const { return topLevel(kStateProviders); }
QTreeWidgetItem* TreeBuilder::settingsNode() const { return topLevel(kStateSettings); }

QTreeWidgetItem* TreeBuilder::listNode(int list) const {
    if (list < 1 || list >= tree_.topLevelItemCount())
        return nullptr;
    QTreeWidgetItem* item = tree_.topLevelItem(list);
    return stateOf(item) == kStateList ? item : nullptr;
}

QTreeWidgetItem* TreeBuilder::satelliteNode(int satellite) const {
    QTreeWidgetItem* main = mainListNode();
    if (!main)
        return nullptr;
    for (int i = 0; i < main->childCount(); ++i)
        if (main->child(i)->data(0, kRoleSatellite).toInt() == satellite)
            return main->child(i);
    return nullptr;
}

QTreeWidgetItem* TreeBuilder::findNode(const TreeNode& node) const {
    switch (node.kind) {
    case TreeNode::Kind::FavouriteList: return listNode(node.index);
    case TreeNode::Kind::Bin: return binNode();
    case TreeNode::Kind::Settings: return settingsNode();
    case TreeNode::Kind::MainList: return mainListNode();
    case TreeNode::Kind::Satellite: return satelliteNode(node.index);
    case TreeNode::Kind::Providers: return providersNode();
    case TreeNode::Kind::UnknownProvider:
    case TreeNode::Kind::Provider: {
        QTreeWidgetItem* providers = providersNode();
        const int child = node.kind == TreeNode::Kind::Provider ? node.index + 1 : 0;
        return providers && child >= 0 && child < providers->childCount() ? providers->child(child) : nullptr;
    }
    }
    return nullptr;
}

void TreeBuilder::rebuildSatellites() {
    QTreeWidgetItem* main = mainListNode();
    if (!main)
        return;
    removeChildren(main);
    for (const SatelliteNode& s : texts_.satelliteNodes()) {
        auto item = std::make_unique<QTreeWidgetItem>();
        decorate(item.get(), kStateMainList, kImgSatellite, kImgSatelliteSelected);
        item->setData(0, kRoleSatellite, static_cast<int>(s.number));
        item->setText(0, latin1(s.text));
        main->addChild(item.release());
    }
}

void TreeBuilder::rebuildLists() {
    for (int i = tree_.topLevelItemCount() - 1; i >= 0; --i)
        if (stateOf(tree_.topLevelItem(i)) == kStateList)
            std::unique_ptr<QTreeWidgetItem> drop(tree_.takeTopLevelItem(i));
    const int count = db_.flash().settings().listCount;
    const int first = tree_.indexOfTopLevelItem(mainListNode()) + 1;
    for (int k = 1; k <= count; ++k) {
        auto item = std::make_unique<QTreeWidgetItem>();
        decorate(item.get(), kStateList, kImgList, kImgListSelected);
        item->setText(0, QString::fromStdString(texts_.listText(k, 0)));
        tree_.insertTopLevelItem(first + k - 1, item.release());
    }
}

void TreeBuilder::rebuildProviders() {
    QTreeWidgetItem* providers = providersNode();
    if (!providers)
        return;
    removeChildren(providers);
    const std::vector<std::string> names = texts_.providerNodes();
    for (std::size_t i = 0; i < names.size(); ++i) {
        auto item = std::make_unique<QTreeWidgetItem>();
        decorate(item.get(), kStateProviders, kImgProvider, kImgProviderSelected);
        // The first node is the unknown provider, a language text; the others are names.
        item->setText(0, i == 0 ? QString::fromStdString(names[i]) : providerNodeText(names[i]));
        providers->addChild(item.release());
    }
}

void TreeBuilder::rebuildAll() {
    createFixedNodes();
    rebuildLists();
    rebuildSatellites();
    rebuildProviders();
}

void TreeBuilder::applyTexts() {
    if (QTreeWidgetItem* n = mainListNode())
        n->setText(0, text("TreeViewMainList"));
    if (QTreeWidgetItem* n = binNode())
        n->setText(0, text("TreeViewRecycle"));
    if (QTreeWidgetItem* n = settingsNode())
        n->setText(0, text("TreeViewSetting"));
    if (QTreeWidgetItem* n = providersNode()) {
        n->setText(0, text("TreeViewProvider"));
        if (n->childCount() > 0)
            n->child(0)->setText(0, text("TreeViewUnknow"));
    }
    for (int k = 1; listNode(k); ++k)
        listNode(k)->setText(0, QString::fromStdString(texts_.listText(k, 0)));
}

} // namespace cs::views
