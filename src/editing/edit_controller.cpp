#include "editing/edit_controller.h"
#include "views/tree_builder.h"

#include "database/channel_database.h"
#include "database/display_texts.h"
#include "editing/find_rules.h"
#include "editing/name_rules.h"
#include "editing/rename_dialog.h"
#include "settings/stored_settings.h"
#include "views/channel_list_model.h"
#include "views/filter_bar.h"
#include "views/tree_builder.h"
#include "views/view_controller.h"
#include "views/view_table.h"
#include "widgets/busy_cursor.h"
#include "widgets/message_box.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTreeWidget>

namespace cs::editing {

using widgets::BusyCursor;
using widgets::MessageAnswer;
using widgets::messageBox;

namespace {

// The in-place editor of a favourite-list node hands its text to the controller instead of
// writing it into the node.
class ListNameDelegate final : public QStyledItemDelegate {
public:
    ListNameDelegate(QTreeWidget& tree, EditController& editor) : QStyledItemDelegate(&tree), tree_(tree), editor_(editor) {}

    void setModelData(QWidget* widget, QAbstractItemModel*, const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(widget);
        if (!line || index.parent().isValid())
            return;
        editor_.renameList(tree_.topLevelItem(index.row()), line->text().toStdString());
    }

private:
    QTreeWidget& tree_;
    EditController& editor_;
};

} // namespace

EditController::EditController(EditHost host, views::ViewController& views, ChannelDatabase& db,
                               const DisplayTexts& texts, StoredSettings& settings, QObject* parent)
    : QObject(parent), host_(std::move(host)), views_(views), db_(db), texts_(texts), settings_(settings) {
    setObjectName(QStringLiteral("editController"));
    scrollTimer_.setInterval(kDragScrollMs);
    connect(&scrollTimer_, &QTimer::timeout, this, &EditController::dragScrollStep);

    views::ViewHooks hooks = views_.hooks();
    hooks.clipboard = [this] {
        views::ClipboardState s;
        const std::uint32_t foreign = foreignCount();
        s.foreign = foreign > 0;
        s.hasChannels = !clipboard_.empty() || s.foreign;
        s.sourceList = clipboard_.sourceList();
        s.cut = clipboard_.cut();
        return s;
    };
    hooks.isCut = [this](std::uint16_t slot) { return isCut(slot); };
    hooks.closeFindDialog = [this] { closeFindDialog(); };
    views_.setHooks(std::move(hooks));
    views_.model().setRenameHandler(
        [this](std::uint16_t slot, const QString& entered) { return renameChannel(slot, entered.toStdString()); });
    if (QClipboard* c = QGuiApplication::clipboard())
        connect(c, &QClipboard::dataChanged, this, [this] {
            foreignCount_.reset();
            views_.updateEditButtons();
        });

    connectActions();
    installDelegates();
}

EditController::~EditController() {
    hint_.hide();
    views::ViewHooks hooks = views_.hooks();
    hooks.clipboard = nullptr;
    hooks.isCut = nullptr;
    hooks.closeFindDialog = nullptr;
    views_.setHooks(std::move(hooks));
    views_.model().setRenameHandler(nullptr);
}

void EditController::connectActions() {
    const widgets::MainWindowActions& a = host_.actions;
    auto on = [this](QAction* action, auto handler) {
        if (action)
            connect(action, &QAction::triggered, this, handler);
    };
    // Menu items act only while the tool button of the same command is enabled. The buttons
    // follow a selection change only after a delay; a key pressed right after selecting must not
    // find them stale.
    auto whileEnabled = [this](QAction* tool, auto command) {
        return [this, tool, command] {
            views_.updateEditButtons();
            if (!tool || tool->isEnabled())
                command();
        };
    };
    for (QAction* x : {a.cut, a.listCut, a.toolCut})
        on(x, whileEnabled(a.toolCut, [this] { cut(); }));
    for (QAction* x : {a.copy, a.listCopy, a.toolCopy})
        on(x, whileEnabled(a.toolCopy, [this] { copy(); }));
    // The clipboard's change notice from another process can trail its new content, so an
    // explicit paste asks the clipboard afresh before the buttons decide.
    for (QAction* x : {a.paste, a.listPaste, a.toolPaste})
        on(x, [this, pasteWhenEnabled = whileEnabled(a.toolPaste, [this] { paste(); })] {
            foreignCount_.reset();
            pasteWhenEnabled();
        });
    for (QAction* x : {a.deleteChannels, a.listDelete, a.toolDelete})
        on(x, whileEnabled(a.toolDelete, [this] { deleteChannels(); }));
    for (QAction* x : {a.selectAll, a.listSelectAll})
        on(x, [this] { selectAll(); });
    for (QAction* x : {a.listProperties, a.toolProperties})
        on(x, [this] { channelProperties(); });
    on(a.listRename, [this] { beginRenameChannel(); });
    on(a.renameChannels, [this] { renameMany(); });
    on(a.find, [this] { openFind(FindMode::Next); });
    if (a.toolFind) {
        a.toolFind->setCheckable(true);
        on(a.toolFind, [this] { openFind(FindMode::Next); });
    }
    on(a.findNext, [this] { runFind(); });
    on(a.findAll, [this] { openFind(FindMode::All); });
    on(a.treeEraseChannels, [this] { eraseSelectedNodeChannels(); });
    on(a.treeCreateList, [this] { createList(); });
    on(a.treeDeleteList, [this] { deleteSelectedList(); });
    on(a.treeRename, [this] { beginRenameList(); });
    on(a.treeProperties, [this] { satelliteProperties(); });
    if (host_.listPopup)
        connect(host_.listPopup, &QMenu::aboutToShow, this, &EditController::prepareListPopup);
    if (host_.treePopup)
        connect(host_.treePopup, &QMenu::aboutToShow, this, &EditController::prepareTreePopup);
}

void EditController::installDelegates() {
    if (QTreeWidget* tree = host_.tree) {
        tree->setItemDelegate(new ListNameDelegate(*tree, *this));
        tree->setDragEnabled(true);
        tree->setDragDropMode(QAbstractItemView::DragDrop);
        tree->setDefaultDropAction(Qt::CopyAction);
        tree->viewport()->setAcceptDrops(true);
        tree->viewport()->installEventFilter(this);
    }
    if (QTableView* list = host_.list) {
        list->setDragEnabled(true);
        list->setDragDropMode(QAbstractItemView::DragDrop);
        list->setDefaultDropAction(Qt::CopyAction);
        list->viewport()->setAcceptDrops(true);
        list->viewport()->installEventFilter(this);
        list->installEventFilter(this);
        connect(list, &QAbstractItemView::doubleClicked, this, [this] {
            if (!selectedRows().empty())
                channelProperties();
        });
    }
}

// ------------------------------------------------------------------------------- helpers

QString EditController::text(const char* key) const { return QString::fromStdString(texts_.text(key)); }
std::string EditController::lang(const char* key) const { return texts_.text(key); }

bool EditController::channelMode() const { return views_.listMode() == views::ListMode::Channels; }

bool EditController::settled() const { return !views_.selectionPending(); }

std::optional<TreeNode> EditController::selectedTreeNode() const { return views::classifyNode(views_.selectedNode()); }

int EditController::shownList() const {
    const auto k = selectedTreeNode();
    return k ? k->list() : 0;
}

void EditController::modified() {
    if (host_.setModified)
        host_.setModified(true);
}

std::vector<int> EditController::selectedRows() const {
    std::vector<int> rows;
    if (!host_.list || !host_.list->selectionModel())
        return rows;
    // Straight from the selection's ranges: asking the model for selected rows compares every
    // range with every other, which takes seconds for thousands of rows picked one by one.
    const int count = views_.model().rows();
    std::vector<char> selected(static_cast<std::size_t>(count), 0);
    for (const QItemSelectionRange& range : host_.list->selectionModel()->selection())
        for (int r = std::max(range.top(), 0); r <= std::min(range.bottom(), count - 1); ++r)
            selected[static_cast<std::size_t>(r)] = 1;
    for (int r = 0; r < count; ++r)
        if (selected[static_cast<std::size_t>(r)])
            rows.push_back(r);
    return rows;
}

std::vector<std::uint16_t> EditController::slotsOfRows(const std::vector<int>& rows) const {
    std::vector<std::uint16_t> slotList;
    slotList.reserve(rows.size());
    for (int r : rows)
        slotList.push_back(views_.model().slotAt(r));
    return slotList;
}

std::vector<std::uint16_t> EditController::selectedSlots() const { return slotsOfRows(selectedRows()); }

void EditController::removeRows(const std::vector<int>& rows) {
    views::ChannelListModel& model = views_.model();
    std::vector<char> gone(static_cast<std::size_t>(model.rows()), 0);
    for (int r : rows)
        gone[static_cast<std::size_t>(r)] = 1;
    std::vector<int> keep;
    keep.reserve(gone.size());
    for (int r = 0; r < model.rows(); ++r)
        if (!gone[static_cast<std::size_t>(r)])
            keep.push_back(r);
    if (host_.list)
        host_.list->clearSelection();
    model.setOrder(keep);
}

void EditController::refill() {
    if (channelMode())
        views_.fillChannelList();
}

QTreeWidgetItem* EditController::findListNode(int list) const {
    if (!host_.tree)
        return nullptr;
    for (int i = 0; i < host_.tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* node = host_.tree->topLevelItem(i);
        if (const auto k = views::classifyNode(node); k && k->list() == list)
            return node;
    }
    return nullptr;
}

// ---------------------------------------------------------------------- channel commands

void EditController::deleteChannels() {
    if (!channelMode() || !settled() || (host_.databaseLoaded && !host_.databaseLoaded()))
        return;
    const std::vector<int> rows = selectedRows();
    if (rows.empty())
        return;
    const int list = shownList();
    const std::vector<std::uint16_t> slotList = slotsOfRows(rows);
    const ChannelRow first = texts_.channelRowTexts(slotList.front(), 0, false);
    if (messageBox(texts_.removePrompt(slotList.size(), first.name, list), lang("TextRemoveChannel"),
                   widgets::kQuestionYesNo, host_.window) != MessageAnswer::Yes)
        return;
    modified();
    views_.setBulkUpdate(true);
    BusyCursor busy;
    // The database acts on the selection of the view shown; make sure it is the one selected last.
    ViewRequest request = views_.viewRequest();
    if (db_.currentRequest().list != request.list || db_.currentRequest().satellite != request.satellite ||
        db_.result().size() != static_cast<std::size_t>(views_.model().rows()))
        db_.selectChannels(request, views_.viewSettings());
    for (std::uint16_t slot : slotList) {
        db_.entry(slot).setMarked(true);
        if (list == 0 || clipboard_.cut())
            clipboard_.remove(slot);
    }
    db_.deleteMarked();
    const auto kind = selectedTreeNode();
    if (list == 0) {
        db_.refreshProviders(true, views_.viewSettings());
        request = views_.viewRequest();
        db_.selectChannels(request, views_.viewSettings());
    }
    removeRows(rows);
    views_.setBulkUpdate(false);
    if (list == 0) {
        views_.rebuildProviderNodes();
        if (kind && kind->isProvider())
            refill();
    }
    views_.updateStatusCounts();
}

void EditController::beginRenameChannel() {
    QTableView* list = host_.list;
    const std::vector<int> rows = selectedRows();
    if (!list || rows.empty() || views_.numberingMode() || !channelMode())
        return;
    const QModelIndex index = views_.model().index(rows.front(), views_.model().visibleColumn(views::kColName));
    list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    list->edit(index);
}

bool EditController::renameChannel(std::uint16_t slot, const std::string& entered) {
    const auto name = channelNameFromEdit(entered);
    if (!name)
        return false;
    modified();
    db_.record(slot).setName(*name);
    return true;
}

void EditController::selectAll() {
    if (!channelMode() || !host_.list)
        return;
    views_.setBulkUpdate(true);
    host_.list->setFocus();
    host_.list->selectAll();
    views_.setBulkUpdate(false);
    views_.updateStatusCounts();
}

void EditController::channelProperties() {
    if ((host_.databaseLoaded && !host_.databaseLoaded()) || !settled() || views_.model().rows() == 0)
        return;
    const std::vector<int> rows = selectedRows();
    if (rows.empty() || !host_.openProperties)
        return;
    const int row = rows.front();
    const std::uint16_t slot = views_.model().slotAt(row);
    properties::PropertiesRequest request;
    request.purpose = properties::PropertiesRequest::Purpose::Channel;
    request.channelSlot = slot;
    properties::ChangeLevel change = host_.openProperties(request);
    if (change == properties::ChangeLevel::None)
        return;
    modified();
    if (!channelMode())
        return;
    // A favourite list keeps its order whatever changed.
    if (shownList() > 0)
        change = properties::ChangeLevel::Written;
    if (change == properties::ChangeLevel::Written) {
        views_.model().refreshRow(row);
        return;
    }
    refill();
    const int again = views_.model().rowOfSlot(slot);

    if (again >= 0 && host_.list) {
        const QModelIndex index = views_.model().index(again, 0);
        // Not through the view's setCurrentIndex: with Ctrl held (Ctrl+W) it would toggle the row.
        QItemSelectionModel* selection = host_.list->selectionModel();
        selection->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        host_.list->scrollTo(index);
    }
}

void EditController::moveSelectedRows(int targetRow) {
    if (shownList() == 0)
        return;
    views::ChannelListModel& model = views_.model();
    const auto order = moveRowsOrder(model.rows(), selectedRows(), targetRow);
    if (!order)
        return;
    modified();
    model.setOrder(*order);
    db_.applyViewOrder(model.rowSlots());
}

// ------------------------------------------------------------------------- tree commands

void EditController::eraseSelectedNodeChannels() {
    if (const auto k = selectedTreeNode(); k && erasable(*k))
        eraseNodeChannels(*k);
}

void EditController::eraseNodeChannels(const TreeNode& node) {
    if (!erasable(node))
        return;
    if (messageBox(texts_.eraseAllPrompt(node), lang("TextDelete"), widgets::kQuestionYesNo, host_.window) !=
        MessageAnswer::Yes)
        return;
    modified();
    if (node.isFavouriteList()) {
        db_.clearList(static_cast<std::size_t>(node.index));
        if (clipboard_.cut() && clipboard_.sourceList() == node.index)
            clipboard_.clear();
    } else {
        BusyCursor busy;
        if (node.isProvider())
            db_.deleteProviderChannels(node, views_.viewSettings());
        else
            db_.deleteSatelliteChannels(static_cast<std::uint8_t>(node.satelliteNumber()), views_.viewSettings());
        std::vector<std::uint16_t> gone;
        for (std::uint16_t slot : clipboard_.slotList())
            if (!db_.entry(slot).inUse())
                gone.push_back(slot);
        for (std::uint16_t slot : gone)
            clipboard_.remove(slot);
        views_.rebuildTree();
    }
    refill();
}

void EditController::createList() {
    if (!host_.tree || favouriteListCount(db_.flash().settings().listCount) >= kMaxLists)
        return;
    const NewListName name = db_.proposeListName(texts_);
    const std::size_t list = db_.addList(name.name);
    if (list == 0)
        return;
    modified();
    views_.rebuildTree();
    if (QTreeWidgetItem* node = findListNode(static_cast<int>(list))) {
        host_.tree->setCurrentItem(node);
        // The new list is shown now rather than after the selection's delay: filling the list
        // disables the tree for a moment, which would close the name box under the user.
        views_.applyTreeSelection();
        host_.tree->editItem(node);
    }
}

void EditController::beginRenameList() {
    QTreeWidgetItem* node = views_.selectedNode();
    if (const auto k = views::classifyNode(node); k && k->isFavouriteList() && db_.flash().image().hasSettingsArea())
        host_.tree->editItem(node);
}

bool EditController::renameList(QTreeWidgetItem* node, const std::string& entered) {
    const auto k = views::classifyNode(node);
    if (!k || !k->isFavouriteList())
        return false;
    const auto name = listNameFromEdit(entered, node->text(0).toStdString(), lang("MsgList"));
    if (!name || !db_.renameList(static_cast<std::size_t>(k->index), *name))
        return false;
    modified();
    const QString shown = QString::fromStdString(texts_.listText(k->index, 0));
    node->setText(0, shown);
    const QList<QAction*> items = views_.filterBar().favouriteListMenu()->actions();
    if (k->index - 1 < items.size())
        items[k->index - 1]->setText(shown);
    return true;
}

void EditController::deleteSelectedList() {
    QTreeWidgetItem* node = views_.selectedNode();
    const auto k = views::classifyNode(node);
    if (!k || !k->isFavouriteList())
        return;
    const std::string question = lang("MsgQuestionErase") + " " + node->text(0).toStdString() + " ? ";
    if (messageBox(question, lang("MsgEraseList"), widgets::kQuestionYesNo, host_.window) == MessageAnswer::No)
        return;
    if (!db_.deleteList(static_cast<std::size_t>(k->index)))
        return;
    // Removing a list changes the image like any other edit.
    modified();
    clipboard_.clear();
    views_.rebuildTree();
    views_.updateEditButtons();
}

void EditController::satelliteProperties() {
    const auto k = selectedTreeNode();
    if (!k || !k->isSatellite() || k->index > kLastSatellite || !db_.flash().image().hasSettingsArea() ||
        !host_.openProperties)
        return;
    const int satellite = k->index;
    if (host_.setPresetSatellite)
        host_.setPresetSatellite(satellite);
    const views::ListMode mode = views_.listMode();
    views_.setListModeValue(views::ListMode::Settings);
    properties::PropertiesRequest request;
    request.purpose = properties::PropertiesRequest::Purpose::Settings;
    request.settingsGroup = SettingsGroup::Satellites;
    request.presetSatellite = satellite;
    const properties::ChangeLevel change = host_.openProperties(request);
    if (host_.setPresetSatellite)
        host_.setPresetSatellite(0);
    views_.setListModeValue(mode);
    if (change != properties::ChangeLevel::None)
        modified();
}

// --------------------------------------------------------------------------------- menus

void EditController::prepareListPopup() {
    views_.updateStatusCounts();
    const widgets::MainWindowActions& a = host_.actions;
    ListMenuState s;
    s.cutEnabled = a.toolCut && a.toolCut->isEnabled();
    s.copyEnabled = a.toolCopy && a.toolCopy->isEnabled();
    s.pasteEnabled = a.toolPaste && a.toolPaste->isEnabled();
    s.deleteEnabled = a.toolDelete && a.toolDelete->isEnabled();
    s.rows = views_.model().rows();
    s.selected = static_cast<int>(selectedRows().size());
    s.numbering = views_.numberingMode();
    const ListMenuItems m = listMenuItems(s);
    auto set = [](QAction* action, bool visible, bool enabled = true) {
        if (action) {
            action->setVisible(visible);
            action->setEnabled(enabled);
        }
    };
    set(a.listCut, m.cut, s.cutEnabled);
    set(a.listCopy, m.copy, s.copyEnabled);
    set(a.listPaste, m.paste, s.pasteEnabled);
    set(a.listDelete, m.del, s.deleteEnabled);
    set(a.listRename, m.rename);
    set(a.listSelectAll, m.selectAll);
    set(a.listProperties, m.properties);
}

void EditController::prepareTreePopup() {
    if (host_.tree) {
        // The node under the pointer is the one the menu is for.
        const QPoint at = host_.tree->viewport()->mapFromGlobal(QCursor::pos());
        if (QTreeWidgetItem* node = host_.tree->itemAt(at))
            host_.tree->setCurrentItem(node);
    }
    const TreeMenuItems m = treeMenuItems(selectedTreeNode(), favouriteListCount(db_.flash().settings().listCount));
    const widgets::MainWindowActions& a = host_.actions;
    auto set = [](QAction* action, bool visible, bool enabled = true) {
        if (action) {
            action->setVisible(visible);
            action->setEnabled(enabled);
        }
    };
    set(a.treeEraseChannels, m.erase);
    set(a.treeCreateList, m.createList, m.createListEnabled);
    set(a.treeDeleteList, m.deleteList);
    set(a.treeRename, m.rename);
    set(a.treeProperties, m.properties);
    if (host_.treePopup)
        for (QAction* item : host_.treePopup->actions())
            if (item->isSeparator())
                item->setVisible(m.separator);
}

// ---------------------------------------------------------------------------------- find

void EditController::openFind(FindMode mode) {
    if (!find_) {
        find_ = std::make_unique<FindDialog>(host_.window);
        auto applyTexts = [this] {
            find_->setTexts(text("MenuFind").remove(QLatin1Char('&')), text("MenuFindNext").remove(QLatin1Char('&')),
                            text("FindClose"), text("FindWholeWord"));
        };
        applyTexts();
        connect(find_.get(), &FindDialog::languageChanged, this, applyTexts);
        connect(find_.get(), &FindDialog::findRequested, this, &EditController::runFind);
        connect(find_.get(), &FindDialog::shown, this, [this] {
            if (host_.actions.toolFind)
                host_.actions.toolFind->setChecked(true);
        });
        connect(find_.get(), &FindDialog::closed, this, [this] {
            if (host_.actions.toolFind)
                host_.actions.toolFind->setChecked(false);
        });
    }
    if (findFirstShow_ && host_.list)
        find_->move(host_.list->mapToGlobal(QPoint(0, 0)));
    QAction* tool = host_.actions.toolFind;
    if (!tool || tool->isEnabled()) {
        find_->show();
        find_->raise();
        find_->activateWindow();
    } else if (tool) {
        tool->setChecked(false);
    }
    findFirstShow_ = false;
    find_->setMode(mode);
    if (tool)
        tool->setChecked(find_->isVisible());
}

void EditController::closeFindDialog() {
    if (find_ && find_->isVisible())
        find_->close();
}

void EditController::runFind() {
    QAction* tool = host_.actions.toolFind;
    views::ChannelListModel& model = views_.model();
    if ((tool && !tool->isEnabled()) || model.rows() == 0 || !find_ || !host_.list)
        return;
    std::string search = find_->searchText().toStdString();
    if (search.empty())
        return;
    if (views_.numberingMode()) {
        const auto number = numberSearchText(search);
        if (!number) {
            messageBox(lang("MsgGiveNbChannel"), "", widgets::MessageKind{}, host_.window);
            return;
        }
        search = *number;
    }
    const bool whole = find_->wholeWord();
    const CaptionAt caption = [&model](int row) { return model.index(row, 0).data().toString().toStdString(); };
    QTableView* list = host_.list;
    QItemSelectionModel* selection = list->selectionModel();
    auto notFound = [this] {
        messageBox(lang("TextNotFoundChannel"), lang("TextInformation"), widgets::kInformationOk, host_.window);
    };
    if (find_->mode() == FindMode::All) {
        BusyCursor busy;
        find_->close();
        const std::vector<int> rows = findAllRows(model.rows(), caption, search, whole);
        views_.setBulkUpdate(true);
        selection->clearSelection();
        QItemSelection all;
        for (int r : rows)
            all.select(model.index(r, 0), model.index(r, model.columnCount() - 1));
        selection->select(all, QItemSelectionModel::Select);
        if (!rows.empty()) {
            selection->setCurrentIndex(model.index(rows.back(), 0), QItemSelectionModel::NoUpdate);
            list->scrollTo(model.index(rows.back(), 0));
        }
        views_.setBulkUpdate(false);
        views_.updateStatusCounts();
        if (rows.empty())
            notFound();
        return;
    }
    const std::vector<int> selected = selectedRows();
    findPosition_ = selected.empty() ? 0 : selected.front();
    const auto found = findNextRow(model.rows(), caption, search, whole, findPosition_);
    if (!found) {
        notFound();
        return;
    }
    const QModelIndex index = model.index(*found, 0);
    selection->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    list->scrollTo(index);
}

// ----------------------------------------------------------------------------- clipboard

bool EditController::isCut(std::uint16_t slot) const {
    const int list = clipboard_.sourceList();
    return clipboard_.cut() && list > 0 && list == shownList() && clipboard_.contains(slot);
}

void EditController::renameMany() {
    if (!settled() || !channelMode() || views_.numberingMode() || views_.model().rows() == 0)
        return;
    std::vector<std::uint16_t> slotList = selectedSlots();
    if (slotList.empty())
        slotList.assign(views_.model().rowSlots().begin(), views_.model().rowSlots().end());
    if (!renameChannels(db_, texts_, std::move(slotList), [this] { modified(); }, host_.window))
        return;
    views_.model().refreshRows();
}

ClipboardTable EditController::selectionTable() const {
    const std::vector<int> rows = selectedRows();
    const TextTable table = views::shownTable(views_.model(), host_.list, rows);
    return {QString::fromStdString(tabSeparated(table)), QString::fromStdString(htmlTable(table))};
}

void EditController::cut() {
    if (!settled() || selectedRows().empty())
        return;
    clipboard_.take(db_, selectedSlots(), shownList(), true, selectionTable());
    views_.model().refreshRows();
    views_.updateEditButtons();
}

void EditController::copy() {
    if (!settled() || selectedRows().empty())
        return;
    clipboard_.take(db_, selectedSlots(), shownList(), false, selectionTable());
    views_.model().refreshRows();
    views_.updateEditButtons();
}

std::uint32_t EditController::foreignCount() const {
    // Asking another process for its clipboard data is a round trip; the answer holds until the
    // clipboard changes.
    if (!foreignCount_)
        foreignCount_ = ClipboardList::foreignChannelCount();
    return *foreignCount_;
}

void EditController::paste() {
    if (!settled())
        return;
    foreignCount_.reset();
    if (foreignCount() > 0)
        pasteForeign();
    else if (!clipboard_.empty() && shownList() > 0)
        pasteOwn();
}

void EditController::pasteForeign() {
    lastLeftOut_ = 0;
    BusyCursor busy;
    const unsigned kindsBefore = db_.satelliteKinds();
    const DecodedClipboard decoded = ClipboardList::takeFromClipboard();
    if (decoded.channels.empty())
        return;
    std::vector<IncomingChannel> incoming;
    incoming.reserve(decoded.channels.size());
    for (const PastedChannel& c : decoded.channels)
        incoming.push_back(IncomingChannel{c.record, c.providerName, false, -1});
    modified();
    db_.matchChannels(incoming);
    db_.insertIncoming(incoming);
    std::vector<std::uint16_t> placed;
    placed.reserve(incoming.size());
    for (std::size_t i = 0; i < incoming.size(); ++i) {
        const IncomingChannel& in = incoming[i];
        if (in.slot < 0) {
            ++lastLeftOut_;
            continue;
        }
        const auto slot = static_cast<std::uint16_t>(in.slot);
        if (!in.matched) {
            ChannelEntry& e = db_.entry(slot);
            e.caSystems = decoded.channels[i].caSystems;
            e.pmtPid = decoded.channels[i].pmtPid;
            e.secondPid = decoded.channels[i].secondPid;
        }
        placed.push_back(slot);
    }
    const int list = shownList();
    if (list > 0) {
        const std::vector<int> rows = selectedRows();
        std::optional<std::uint16_t> after;
        if (!rows.empty())
            after = views_.model().slotAt(rows.front());
        db_.insertIntoList(static_cast<std::size_t>(list), after, placed);
    }
    std::size_t providers = 0;
    if (db_.flash().image().hasProviderArea()) {
        providers = db_.rebuildProviders();
        db_.attachProviderNames();
    }
    refill();
    if (db_.satelliteKinds() != kindsBefore || providers != 0)
        views_.rebuildTree();
    if (lastLeftOut_ > 0) {
        const std::string message = std::to_string(lastLeftOut_) + " of " + std::to_string(incoming.size()) +
                                    " pasted channels were left out: the database has no free channel slot left.";
        messageBox(message, lang("TextInformation"), widgets::kWarningOk, host_.window);
    }
}

void EditController::pasteOwn() {
    const int list = shownList();
    if (list == 0)
        return;
    views::ChannelListModel& model = views_.model();
    modified();
    if (clipboard_.sourceList() != list) {
        std::vector<std::uint16_t> slotList;
        for (std::uint16_t slot : clipboard_.slotList())
            if (db_.entry(slot).inUse())
                slotList.push_back(slot);
        const std::vector<int> rows = selectedRows();
        std::optional<std::uint16_t> after;
        if (!rows.empty())
            after = model.slotAt(rows.front());
        db_.insertIntoList(static_cast<std::size_t>(list), after, slotList);
        if (clipboard_.cut() && clipboard_.sourceList() > 0)
            db_.removeFromList(static_cast<std::size_t>(clipboard_.sourceList()), slotList);
        clipboard_.clearCut();
        refill();
        return;
    }
    if (!host_.list || model.rows() == 0)
        return;
    QItemSelectionModel* selection = host_.list->selectionModel();
    std::vector<int> rows = selectedRows();
    if (rows.empty())
        rows.push_back(model.rows() - 1);
    const int target = rows.front();
    selection->clearSelection();
    for (int r = 0; r < model.rows(); ++r)
        if (clipboard_.contains(model.slotAt(r)))
            selection->select(model.index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    moveSelectedRows(target);
    clipboard_.clearCut();
    model.refreshRows();
    views_.updateEditButtons();
}

} // namespace cs::editing
