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

#include "app/window_requests.h"
#include "editing/clipboard_exchange.h"
#include "editing/drag_hint.h"
#include "editing/edit_rules.h"
#include "editing/find_dialog.h"

class QAction;
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

// The edit commands' actions; null ones are not wired.
struct EditActions {
    // Edit menu, Search menu
    QAction* cut = nullptr;
    QAction* copy = nullptr;
    QAction* paste = nullptr;
    QAction* deleteChannels = nullptr;
    QAction* selectAll = nullptr;
    QAction* find = nullptr;
    QAction* findNext = nullptr;
    QAction* findAll = nullptr;
    // Tool bar (their enabled states are the views' edit buttons)
    QAction* toolCut = nullptr;
    QAction* toolCopy = nullptr;
    QAction* toolPaste = nullptr;
    QAction* toolDelete = nullptr;
    QAction* toolProperties = nullptr;
    QAction* toolFind = nullptr;
    // List pop-up menu
    QAction* listCut = nullptr;
    QAction* listCopy = nullptr;
    QAction* listPaste = nullptr;
    QAction* listDelete = nullptr;
    QAction* listRename = nullptr;
    QAction* listSelectAll = nullptr;
    QAction* listProperties = nullptr;
    // Tree pop-up menu
    QAction* treeErase = nullptr;
    QAction* treeCreateList = nullptr;
    QAction* treeDeleteList = nullptr;
    QAction* treeRename = nullptr;
    QAction* treeProperties = nullptr;
    QMenu* listPopup = nullptr;
    QMenu* treePopup = nullptr;
};

// What the controller needs of the main window.
struct EditHost {
    QWidget* window = nullptr;
    QTreeWidget* tree = nullptr;
    QTableView* list = nullptr;
    EditActions actions;
    std::function<void(bool)> setModified;
    std::function<bool()> databaseLoaded;
    // Shows the properties dialog (the window closes the find dialog first).
    std::function<app::PropertiesChange(const app::PropertiesRequest&)> openProperties;
    std::function<void(int)> setPresetSatellite;
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
    void eraseNode(const NodeKind& node);
    void eraseSelectedNode();
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
    void paste();
    const ClipboardList& clipboard() const { return clipboard_; }
    bool isCut(std::uint16_t slot) const;
    // What the paste of another process's channels left out for want of free slots (last paste).
    std::size_t lastPasteLeftOut() const { return lastLeftOut_; }

    // ---- drag and drop
    bool dragAllowed() const;
    // The hint text of dragging a tree node or the list's rows over a tree node; empty: refused.
    QString treeDragText(bool fromList, QTreeWidgetItem* source, QTreeWidgetItem* target) const;
    void dropOnTree(bool fromList, QTreeWidgetItem* source, QTreeWidgetItem* target);
    // The hint text of dragging rows over a row of the list; empty: refused.
    QString listDragText(int targetRow) const;
    void dropOnList(int targetRow);
    void copyList(int sourceList, int targetList);
    void copyProvider(int providerCode, int targetList);
    void copyChannelsToList(int targetList);
    void setDragScroll(DragScroll direction);
    void dragScrollStep();
    void endDrag();
    DragHint& dragHint() { return hint_; }
    QTimer& dragScrollTimer() { return scrollTimer_; }
    DragScroll dragScroll() const { return scroll_; }

    // Channels selected in the list, in row order (rows, and their slots).
    std::vector<int> selectedRows() const;
    std::vector<std::uint16_t> selectedSlots() const;
    std::vector<std::uint16_t> slotsOfRows(const std::vector<int>& rows) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectActions();
    void installDelegates();
    bool channelMode() const;
    bool settled() const;
    std::optional<NodeKind> selectedKind() const;
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
};

} // namespace cs::editing
