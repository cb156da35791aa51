// Drag and drop in the main window: what a drop on a tree node or a row would do (its hint),
// the drop itself, edge scrolling, and the list's keys.
#include "editing/edit_controller.h"
#include "views/tree_builder.h"

#include "database/channel_database.h"
#include "database/display_texts.h"
#include "settings/stored_settings.h"
#include "views/channel_list_model.h"
#include "views/tree_builder.h"
#include "views/view_controller.h"
#include "widgets/message_box.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTableView>
#include <QTreeWidget>

namespace cs::editing {

using widgets::MessageAnswer;
using widgets::messageBox;

namespace {

// The pointer is this close to the top or bottom edge: the view scrolls.
constexpr int kEdgeMargin = 16;

} // namespace

bool EditController::dragAllowed() const {
    return !settings_.flag(settings_flags::kDragDropDisabled) && settled();
}

QString EditController::treeDragText(bool fromList, QTreeWidgetItem* source, QTreeWidgetItem* target) const {
    if (!dragAllowed() || !channelMode() || db_.channelCount() == 0 || (host_.databaseLoaded && !host_.databaseLoaded()))
        return {};
    const auto from = views::classifyNode(source);
    const auto to = views::classifyNode(target);
    if (!from || !to)
        return {};
    if (fromList) {
        const std::vector<std::uint16_t> slotList = selectedSlots();
        const TreeDrop drop = rowsDrop(*to, from->list(), static_cast<int>(slotList.size()));
        if (drop.action == DropAction::Refused)
            return {};
        const std::string name = texts_.channelRowTexts(slotList.front(), 0, false).name;
        if (drop.action == DropAction::CopyChannels)
            return QString::fromStdString(texts_.copyMovePrompt(false, slotList.size(), name, to->list()));
        return QString::fromStdString(texts_.removePrompt(slotList.size(), name, from->list()));
    }
    const TreeDrop drop = nodeDrop(*from, *to);
    switch (drop.action) {
    case DropAction::EraseNode:
        return QString::fromStdString(texts_.eraseAllPrompt(drop.subject));
    case DropAction::CopyList:
        return QString::fromStdString(texts_.copyAllPrompt(from->list(), to->list()));
    case DropAction::CopyProvider:
        return QString::fromStdString(texts_.copyAllProviderPrompt(*from, to->list()));
    default:
        return {};
    }
}

void EditController::dropOnTree(bool fromList, QTreeWidgetItem* source, QTreeWidgetItem* target) {
    if (treeDragText(fromList, source, target).isEmpty())
        return;
    const auto from = views::classifyNode(source);
    const auto to = views::classifyNode(target);
    if (fromList) {
        const TreeDrop drop = rowsDrop(*to, from->list(), static_cast<int>(selectedRows().size()));
        if (drop.action == DropAction::CopyChannels)
            copyChannelsToList(to->list());
        else if (drop.action == DropAction::DeleteChannels)
            deleteChannels();
        return;
    }
    const TreeDrop drop = nodeDrop(*from, *to);
    switch (drop.action) {
    case DropAction::EraseNode: eraseNodeChannels(drop.subject); break;
    case DropAction::CopyList: copyList(from->list(), to->list()); break;
    case DropAction::CopyProvider: copyProvider(*from, to->list()); break;
    default: break;
    }
}

void EditController::copyList(int sourceList, int targetList) {
    if (messageBox(texts_.copyAllPrompt(sourceList, targetList), lang("TextCopyLists"), widgets::kQuestionYesNo,
                   host_.window) == MessageAnswer::No)
        return;
    modified();
    ViewRequest source;
    source.list = static_cast<std::uint8_t>(sourceList);
    db_.copyViewToList(source, ViewSettings{}, static_cast<std::size_t>(targetList));
}

void EditController::copyProvider(const TreeNode& provider, int targetList) {
    if (messageBox(texts_.copyAllProviderPrompt(provider, targetList),
                   lang("TextCopyProviders"), widgets::kQuestionYesNo, host_.window) == MessageAnswer::No)
        return;
    modified();
    ViewSettings view;
    if (provider.kind == TreeNode::Kind::UnknownProvider) {
        view.providerFilterMode = kProviderNone;
    } else {
        view.providerFilterMode = kProviderSingle;
        db_.chooseSingleProvider(static_cast<std::size_t>(provider.index));
    }
    db_.copyViewToList(ViewRequest{}, view, static_cast<std::size_t>(targetList));
}

void EditController::copyChannelsToList(int targetList) {
    const std::vector<std::uint16_t> slotList = selectedSlots();
    if (slotList.empty() || targetList == shownList() || !settled())
        return;
    const std::string name = texts_.channelRowTexts(slotList.front(), 0, false).name;
    if (messageBox(texts_.copyMovePrompt(false, slotList.size(), name, targetList), lang("TextCopyChannels"),
                   widgets::kQuestionYesNo, host_.window) == MessageAnswer::No)
        return;
    modified();
    // Channels already in the list keep their place; the others follow its last one, in row order.
    std::vector<std::uint16_t> adding;
    for (std::uint16_t slot : slotList)
        if (db_.record(slot).listPosition(static_cast<std::size_t>(targetList)) == 0)
            adding.push_back(slot);
    db_.appendToList(static_cast<std::size_t>(targetList), adding);
    views_.updateStatusCounts();
}

QString EditController::listDragText(int targetRow) const {
    if (!dragAllowed() || shownList() == 0 || targetRow < 0 || targetRow >= views_.model().rows())
        return {};
    const std::vector<int> rows = selectedRows();
    if (rows.empty() || std::binary_search(rows.begin(), rows.end(), targetRow))
        return {};
    const QString caption = views_.model().index(targetRow, 0).data().toString();
    return text("MsgInsertChannelBefore") + caption;
}

void EditController::dropOnList(int targetRow) {
    if (listDragText(targetRow).isEmpty())
        return;
    const std::vector<int> rows = selectedRows();
    if (!rows.empty() && rows.front() != targetRow)
        moveSelectedRows(targetRow);
}

void EditController::setDragScroll(DragScroll direction) {
    scroll_ = direction;
    if (direction == DragScroll::None)
        scrollTimer_.stop();
    else if (!scrollTimer_.isActive())
        scrollTimer_.start();
}

void EditController::dragScrollStep() {
    // The drag ended somewhere else (released outside the window, cancelled).
    if (QApplication::mouseButtons() == Qt::NoButton) {
        endDrag();
        return;
    }
    switch (scroll_) {
    case DragScroll::TreeUp:
    case DragScroll::TreeDown:
        if (QTreeWidget* tree = host_.tree) {
            QTreeWidgetItem* top = tree->itemAt(QPoint(1, 1));
            QTreeWidgetItem* next = top ? (scroll_ == DragScroll::TreeUp ? tree->itemAbove(top) : tree->itemBelow(top)) : nullptr;
            if (next)
                tree->scrollToItem(next, QAbstractItemView::PositionAtTop);
        }
        break;
    case DragScroll::ListUp:
    case DragScroll::ListDown:
        if (QTableView* list = host_.list) {
            QScrollBar* bar = list->verticalScrollBar();
            const int step = list->verticalScrollMode() == QAbstractItemView::ScrollPerPixel ? kListScrollStep : 1;
            bar->setValue(bar->value() + (scroll_ == DragScroll::ListUp ? -step : step));
            list->viewport()->update();
        }
        break;
    case DragScroll::None:
        scrollTimer_.stop();
        break;
    }
}

void EditController::endDrag() {
    hint_.hide();
    scrollTimer_.stop();
    scroll_ = DragScroll::None;
    if (host_.tree)
        host_.tree->viewport()->update();
}

void EditController::answerDrag(QDragMoveEvent& event, QWidget* viewport, const QString& hint, bool showHint) {
    if (hint.isEmpty()) {
        event.ignore();
        hint_.hide();
        return;
    }
    event.setDropAction(Qt::CopyAction);
    event.accept();
    if (showHint)
        hint_.schedule(viewport, event.position().toPoint(), hint);
    else
        hint_.hide();
}

bool EditController::forwardForeignDrag(QEvent* event) {
    // Files dragged from the file manager are the window's: it opens or imports them. The
    // viewports take drops now, so such drags reach the window only through here.
    const auto type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const QObject* source = drop->source();
    if (source && (source == host_.tree || source == host_.list))
        return false;
    const bool files = drop->mimeData() && drop->mimeData()->hasUrls() && host_.filesDropped &&
                       !settings_.flag(settings_flags::kDragDropDisabled);
    if (!files) {
        event->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (type == QEvent::Drop) {
        std::vector<std::string> paths;
        for (const QUrl& url : drop->mimeData()->urls())
            if (url.isLocalFile())
                paths.push_back(url.toLocalFile().toStdString());
        host_.filesDropped(paths);
    }
    return true;
}

bool EditController::treeDragEvent(QEvent* event) {
    if (forwardForeignDrag(event))
        return true;
    QTreeWidget* tree = host_.tree;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* e = static_cast<QDragMoveEvent*>(event);
        const bool fromList = e->source() == host_.list;
        if (!dragAllowed() || (!fromList && e->source() != tree)) {
            answerDrag(*e, nullptr, {}, false);
            return true;
        }
        const QPoint at = e->position().toPoint();
        const int height = tree->viewport()->height();
        setDragScroll(at.y() < kEdgeMargin ? DragScroll::TreeUp
                      : at.y() > height - kEdgeMargin ? DragScroll::TreeDown
                                                      : DragScroll::None);
        answerDrag(*e, tree->viewport(), treeDragText(fromList, views_.selectedNode(), tree->itemAt(at)), true);
        return true;
    }
    case QEvent::DragLeave:
        hint_.hide();
        return true;
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(event);
        const bool fromList = e->source() == host_.list;
        QTreeWidgetItem* target = tree->itemAt(e->position().toPoint());
        QTreeWidgetItem* source = views_.selectedNode();
        e->setDropAction(Qt::CopyAction);
        e->accept();
        endDrag();
        if (fromList || e->source() == tree)
            dropOnTree(fromList, source, target);
        return true;
    }
    default:
        return false;
    }
}

bool EditController::listDragEvent(QEvent* event) {
    if (forwardForeignDrag(event))
        return true;
    QTableView* list = host_.list;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* e = static_cast<QDragMoveEvent*>(event);
        if (!dragAllowed() || e->source() != list) {
            answerDrag(*e, nullptr, {}, false);
            return true;
        }
        const QPoint at = e->position().toPoint();
        const int height = list->viewport()->height();
        setDragScroll(at.y() < kEdgeMargin ? DragScroll::ListUp
                      : at.y() > height - kEdgeMargin ? DragScroll::ListDown
                                                      : DragScroll::None);
        // While the list scrolls the rows move under the pointer: no hint meanwhile.
        answerDrag(*e, list->viewport(), listDragText(list->rowAt(at.y())), !scrollTimer_.isActive());
        return true;
    }
    case QEvent::DragLeave:
        hint_.hide();
        return true;
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(event);
        const int row = list->rowAt(e->position().toPoint().y());
        e->setDropAction(Qt::CopyAction);
        e->accept();
        endDrag();
        if (e->source() == list)
            dropOnList(row);
        return true;
    }
    default:
        return false;
    }
}

bool EditController::listKey(QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (!settled())
        return false;
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Return that ends a rename in place comes up from the name box: it only ends the rename.
        if (const QWidget* focus = QApplication::focusWidget(); focus && focus != host_.list && host_.list->isAncestorOf(focus))
            return false;
        channelProperties();
        return true;
    case Qt::Key_F8:
        if (!channelMode())
            return false;
        deleteChannels();
        return true;
    case Qt::Key_W:
        if (!ctrl || !channelMode())
            return false;
        channelProperties();
        return true;
    default:
        return false;
    }
}

bool EditController::eventFilter(QObject* watched, QEvent* event) {
    const bool treeViewport = host_.tree && watched == host_.tree->viewport();
    const bool listViewport = host_.list && watched == host_.list->viewport();
    // With drag and drop switched off no drag starts.
    if ((treeViewport || listViewport) && event->type() == QEvent::MouseButtonPress) {
        const bool allowed = !settings_.flag(settings_flags::kDragDropDisabled);
        if (host_.tree)
            host_.tree->setDragEnabled(allowed);
        if (host_.list)
            host_.list->setDragEnabled(allowed);
    }
    if (treeViewport)
        return treeDragEvent(event) || QObject::eventFilter(watched, event);
    if (listViewport)
        return listDragEvent(event) || QObject::eventFilter(watched, event);
    if (host_.list && watched == host_.list && event->type() == QEvent::KeyPress)
        return listKey(event) || QObject::eventFilter(watched, event);
    return QObject::eventFilter(watched, event);
}

} // namespace cs::editing
