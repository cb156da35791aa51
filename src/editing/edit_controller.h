#pragma once
// The editing commands of the main window over its tree and channel list: delete, rename in
// place, erase a node, create/rename/delete favourite lists, select all, the keyboard of the
// list, properties, find, cut/copy/paste (also between editor processes), moving rows inside a
// favourite list, and drag and drop with its hint. The window hands its widgets and a few of its
// operations over as an EditHost; the controller drives the database through its change
// operations and the views through the view controller.
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "properties/properties_request.h"
#include "widgets/main_window_actions.h"
#include "editing/clipboard_exchange.h"
#include "editing/drag_hint.h"
#include "editing/edit_rules.h"
#include "editing/find_dialog.h"

class QAction;
class QDragMoveEvent;
class QMenu;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace cs {
class ChannelDatabase;
class DisplayTexts;
class StoredSettings;
} // namespace cs

namespace cs::views {
class ViewController;
}

namespace cs::editing {

// Drag scrolling: the interval and the directions.
inline constexpr int kDragScrollMs = 300;
enum class DragScroll { None, TreeUp, TreeDown, ListUp, ListDown };
inline constexpr int kListScrollStep = 16;

// What the controller needs of the main window.
struct EditHost {
    QWidget* window = nullptr;
    QTreeWidget* tree = nullptr;
    QTableView* list = nullptr;
    widgets::MainWindowActions actions;  // null ones are not wired
    QMenu* listPopup = nullptr;
    QMenu* treePopup = nullptr;
    std::function<void(bool)> setModified;
    std::function<bool()> databaseLoaded;
    // Shows the properties dialog (the window closes the find dialog first).
    std::function<properties::ChangeLevel(const properties::PropertiesRequest&)> openProperties;
    std::function<void(int)> setPresetSatellite;
    // Files dragged in from the file manager and dropped on the tree or the list.
    std::function<void(const std::vector<std::string>& paths)> filesDropped;
};

class EditController final : public QObject {
    Q_OBJECT

public:
    EditController(EditHost host, views::ViewController& views, ChannelDatabase& db, const DisplayTexts& texts,
                   StoredSettings& settings, QObject* parent = nullptr);
    ~EditController() override;
    EditController(const EditController&) = delete;
    EditController& operator=(const EditController&) = delete;

    // ---- channel commands
    void deleteChannels();
    void beginRenameChannel();
    // The in-place edit of a row's name ended with this text; false when the old name stays.
    bool renameChannel(std::uint16_t slot, const std::string& entered);
    void selectAll();
    void channelProperties();
    // Moves the selected rows of the shown favourite list to the target row.
    void moveSelectedRows(int targetRow);

    // ---- tree commands
    // Deletes every channel of the node (a list is emptied); the node itself stays.
    void eraseNodeChannels(const TreeNode& node);
    void eraseSelectedNodeChannels();
    void createList();
    void beginRenameList();
    // The in-place edit of a favourite-list node ended with this text.
    bool renameList(QTreeWidgetItem* node, const std::string& entered);
    void deleteSelectedList();
    void satelliteProperties();

    // ---- menus
    void prepareListPopup();
    void prepareTreePopup();

    // ---- find
    void openFind(FindMode mode = FindMode::Next);
    void runFind();
    void closeFindDialog();
    FindDialog* findDialog() const { return find_.get(); }

    // ---- clipboard
    void cut();
    void copy();
    // Edit > Rename...: find and replace in the names of the selected rows (all shown rows when
    // none is selected), one undo step.
    void renameMany();
    void paste();
    const ClipboardList& clipboard() const { return clipboard_; }
    bool isCut(std::uint16_t slot) const;
    // What the paste of another process's channels left out for want of free slots (last paste).
    std::size_t lastPasteLeftOut() const { return lastLeftOut_; }
    // Channels of another editor on the system clipboard (kept until the clipboard changes).
    std::uint32_t foreignCount() const;

    // ---- drag and drop
    bool dragAllowed() const;
    // The hint text of dragging a tree node or the list's rows over a tree node; empty: refused.
    QString treeDragText(bool fromList, QTreeWidgetItem* source, QTreeWidgetItem* target) const;
    void dropOnTree(bool fromList, QTreeWidgetItem* source, QTreeWidgetItem* target);
    // The hint text of dragging rows over a row of the list; empty: refused.
    QString listDragText(int targetRow) const;
    void dropOnList(int targetRow);
    void copyList(int sourceList, int targetList);
    void copyProvider(const TreeNode& provider, int targetList);
    void copyChannelsToList(int targetList);
    void setDragScroll(DragScroll direction);
    void dragScrollStep();
    void endDrag();
    DragHint& dragHint() { return hint_; }
    QTimer& dragScrollTimer() { return scrollTimer_; }
    DragScroll dragScroll() const { return scroll_; }

    // Channels selected in the list, in row order (rows, and their slots).
    std::vector<int> selectedRows() const;
    // The selected rows as a table for the clipboard.
    ClipboardTable selectionTable() const;
    std::vector<std::uint16_t> selectedSlots() const;
    std::vector<std::uint16_t> slotsOfRows(const std::vector<int>& rows) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectActions();
    void installDelegates();
    bool channelMode() const;
    bool settled() const;
    std::optional<TreeNode> selectedTreeNode() const;
    int shownList() const;
    QString text(const char* key) const;
    std::string lang(const char* key) const;
    void modified();
    // Removes rows from the list; the rest keep their order.
    void removeRows(const std::vector<int>& rows);
    void refill();
    void refreshAfterProviderChange(bool kindsOrProvidersChanged);
    void pasteForeign();
    void pasteOwn();
    void startDrag(QWidget* source);
    // Accepts a drag over `viewport` when `hint` says what the drop does, and shows the hint.
    void answerDrag(QDragMoveEvent& event, QWidget* viewport, const QString& hint, bool showHint);
    // Drags that did not start in the tree or the list: files for the window; true when handled.
    bool forwardForeignDrag(QEvent* event);
    bool treeDragEvent(QEvent* event);
    bool listDragEvent(QEvent* event);
    bool listKey(QEvent* event);
    QTreeWidgetItem* findListNode(int list) const;

    EditHost host_;
    views::ViewController& views_;
    ChannelDatabase& db_;
    const DisplayTexts& texts_;
    StoredSettings& settings_;
    ClipboardList clipboard_;
    std::unique_ptr<FindDialog> find_;
    bool findFirstShow_ = true;
    int findPosition_ = -1;
    DragHint hint_;
    QTimer scrollTimer_;
    DragScroll scroll_ = DragScroll::None;
    QPoint pressAt_;
    QPointer<QWidget> pressedIn_;
    QTreeWidgetItem* dragSourceNode_ = nullptr;
    bool dragFromList_ = false;
    std::size_t lastLeftOut_ = 0;
    mutable std::optional<std::uint32_t> foreignCount_;
};

} // namespace cs::editing
