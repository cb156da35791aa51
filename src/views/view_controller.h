#pragma once
// The views of the main window: the tree of nodes on the left, the channel list (or the settings
// icons) on the right, the filter bar, the numbering-mode button, the status counts and the
// enabled state of the edit buttons. The main window owns one ViewController and
// hands it the widgets it drives; the controller reads and changes the in-memory database only
// through its view operations (selectChannels, applyViewOrder, the provider marks).
#include <QIcon>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "views/tree_builder.h"
#include "database/view.h"
#include "image/settings_group.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QStackedWidget;
class QStatusBar;
class QTableView;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace cs {
class ChannelDatabase;
class DisplayTexts;
class StoredSettings;
} // namespace cs

namespace cs::views {

class ChannelListModel;
class FilterBar;

// What the list shows: channel rows in report style, or the icons of the settings pages.
enum class ListMode { Channels = 1, Settings = 2 };

// Debounce of a tree selection, status refresh after a list selection change.
inline constexpr int kTreeSelectionDebounceMs = 568;
inline constexpr int kSelectionCountDelayMs = 500;
// Lists longer than this show a progress bar while they are filled.
inline constexpr int kProgressRowThreshold = 162;


// One entry of the coding-system filter menu: a CA-system base identifier and its caption.
struct CodingSystemItem {
    std::uint16_t id = 0;
    std::string caption;  // UTF-8
};

// The clipboard list as the edit buttons need to know it (filled by the clipboard component).
struct ClipboardState {
    bool hasChannels = false;   // own channels in the clipboard list, or channels of another editor
    int sourceList = 0;         // favourite list the own channels were taken from (0 none)
    bool cut = false;           // the own channels were taken by Cut
    bool foreign = false;       // the clipboard holds channels of another editor process
};

// The widgets the main window creates and places; the controller fills and enables them.
// Pointers that are null are simply not driven (tests may leave out what they do not look at).
// The filter bar is not among them: the controller always drives one (see the constructor).
struct ViewWidgets {
    QTreeWidget* tree = nullptr;
    QTableView* channelList = nullptr;     // channel rows (report style)
    QListWidget* settingsIcons = nullptr;  // settings icons (list mode 2)
    QStackedWidget* listStack = nullptr;   // holds channelList and settingsIcons; shows one of them
    QLabel* binHelpText = nullptr;         // help text shown over the list for the bin node
    QAction* numberingMode = nullptr;      // checkable
    QAction* cut = nullptr;
    QAction* copy = nullptr;
    QAction* paste = nullptr;
    QAction* deleteChannels = nullptr;
    QAction* properties = nullptr;
    QAction* find = nullptr;
    QStatusBar* status = nullptr;          // the progress bar of a long fill is placed here
    QLabel* statusCounts = nullptr;        // the counts panel
};

// Everything a filled list needs from its surroundings that belongs to other components.
struct ViewHooks {
    // The clipboard list; empty function: nothing on the clipboard.
    std::function<ClipboardState()> clipboard;
    // True when the row of this slot is shown as cut (greyed).
    std::function<bool(std::uint16_t slot)> isCut;
    // The find dialog is closed by every tree selection change and by numbering mode.
    std::function<void()> closeFindDialog;
    // The coding systems of the CA-system table offered by the coding-system filter.
    std::function<std::vector<CodingSystemItem>()> codingSystems;
};

class ViewController final : public QObject {
    Q_OBJECT

public:
    // `texts` also gives the texts of the active language (DisplayTexts::text).
    ViewController(const ViewWidgets& widgets, FilterBar& filters, ChannelDatabase& database, const DisplayTexts& texts,
                   StoredSettings& settings, QObject* parent = nullptr);
    ~ViewController() override;
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    void setHooks(ViewHooks hooks);
    const ViewHooks& hooks() const { return hooks_; }

    // ---- load cycle
    // After a successful load: clears the list, resets filters, sort state and view selector,
    // rebuilds the tree under treeRebuildGuard, selects and collapses the first node. Leaves
    // databaseLoaded clear; the main window sets it (setDatabaseLoaded) and then calls setListMode(ListMode::Channels) and
    // fillChannelList.
    void resetViews();
    void setDatabaseLoaded(bool loaded);
    bool databaseLoaded() const { return databaseLoaded_; }

    // Rebuilds the whole tree (lists, satellites, providers) or only the provider nodes, with
    // treeRebuildGuard set; the selection moves to the node of the same kind where possible.
    void rebuildTree();
    void rebuildProviderNodes();
    bool treeRebuildGuard() const { return treeRebuildGuard_; }

    // ---- tree selection
    void treeSelectionChanged(QTreeWidgetItem* node);
    void applyTreeSelection();
    // A tree selection is waiting out its debounce: keys and list commands are ignored meanwhile.
    bool selectionPending() const;
    QTreeWidgetItem* selectedNode() const;
    std::optional<TreeNode> classifySelected() const;

    // ---- the channel list
    void fillChannelList();
    void sortByColumn(int visibleColumn);
    // Builds the columns of the list for the current numbering mode.
    void buildColumns();
    // Sum of the column widths + 4: the list's designed width.
    int listWidth() const;
    ChannelListModel& model() { return *model_; }
    const ViewRequest& viewRequest() const { return request_; }
    ViewSettings& viewSettings() { return settings_; }
    int lastSortedColumn() const { return lastSortedColumn_; }
    int sortDirection() const { return sortDirection_; }

    // ---- list mode and settings icons
    void setListMode(ListMode mode);
    ListMode listMode() const { return listMode_; }
    // Sets listMode for the time of a dialog without changing the widgets.
    void setListModeValue(ListMode mode) { listMode_ = mode; }
    // Settings page of an icon item of mode 2; -1 for none.
    std::optional<SettingsGroup> settingsGroupOfItem(int item) const;

    // ---- the filter bar
    void nextTvRadioFilter();
    void nextFreeScrambledFilter();
    void nextSortOrder();
    void toggleCodingFilter();
    void chooseTvRadio(int tag);   // TV / radio
    void chooseFreeScrambled(int tag);   // free / scrambled
    void chooseSortOrder(int tag);   // sort mode
    void toggleCodingSystem(int index);     // coding-system item: toggles its check mark
    void fillCodingSystemMenu(const std::vector<CodingSystemItem>& systems);
    // The same with the systems of the codingSystems hook (none without it).
    void fillCodingSystemMenu();
    bool codingFilterOn() const { return codingFilterOn_; }
    FilterBar& filterBar() const { return *filters_; }

    // ---- numbering mode
    // Numbering mode follows its tool button (or flips without one): columns, list and setting.
    void applyNumberingMode();
    bool numberingMode() const;

    // ---- bin help text and status
    void showBinHelpText(bool show);
    void splitterMoved();
    void updateStatusCounts();
    // The status counts 500 ms after the last change of the list selection (channel mode).
    void refreshCountsAfterSelection();
    void updateEditButtons();
    // Suppresses status refreshes while a command changes many rows.
    void setBulkUpdate(bool on) { bulkUpdate_ = on; }
    bool bulkUpdate() const { return bulkUpdate_; }

    // ---- language
    // Texts of the fixed nodes, lists, satellites, providers, columns, filter menus and hints.
    void applyTexts();

    // Icon and text of the selected node, as the node panel of the status bar draws them.
    QIcon selectedNodeIcon() const;
    QString selectedNodeText() const;

    QTimer& selectionCountDelay() { return selectionCountDelay_; }
    QTimer& treeSelectionDebounce() { return treeSelectionDebounce_; }

signals:
    // A sort changed the order of a view: the main window marks its database modified.
    void modified();
    // The selected node changed (the node panel repaints).
    void selectedNodeChanged();
    // A fill showed a progress bar of this maximum (observed by tests and the log).
    void progressShown(int maximum);
    // A debounced tree selection was applied: the main window resets its find position.
    void treeSelectionApplied();
    // An icon of the settings view was activated: the properties dialog opens on this page.
    void settingsPageActivated(cs::SettingsGroup group);
    // The list is being filled (true) or the fill has ended (false); the window says so in its
    // caption.
    void fillingChanged(bool filling);

private:
    void applyChannelModeWidgets();
    void fillSettingsIcons();
    void chooseItem(QMenu* menu, int tag);
    // The three filter menus of single choice (TV/radio, free/scrambled, sort order) and their
    // buttons, in that order.
    std::array<QMenu*, 3> choiceMenus() const;
    std::array<QToolButton*, 3> choiceButtons() const;
    void checkFirstItem(QMenu* menu);
    void showChoice(QMenu* menu);
    int checkedTag(QMenu* menu) const;
    void nextItem(QMenu* menu, void (ViewController::*choose)(int));
    void refillIfSettled();
    void setHint(QToolButton* button, const char* key);
    void rebuildFavouriteListMenu();
    void applyCodingFilterToView();
    void reselect(const std::optional<TreeNode>& before, const QString& providerText);
    // Runs `rebuild` with treeRebuildGuard set, then reselects as rebuildTree describes.
    void rebuildKeepingSelection(const std::function<void()>& rebuild);
    int selectedRowCount() const;
    QString text(const char* key) const;
    int columnWidth(int visibleColumn) const;

    ViewWidgets w_;
    FilterBar* filters_;
    ChannelDatabase& db_;
    const DisplayTexts& texts_;
    StoredSettings& storedSettings_;
    ViewHooks hooks_;
    std::unique_ptr<ChannelListModel> model_;
    std::unique_ptr<TreeBuilder> builder_;
    std::vector<SettingsGroup> settingsGroups_;    // group of each icon item of mode 2
    QTimer selectionCountDelay_;
    QTimer treeSelectionDebounce_;

    ViewRequest request_;
    ViewSettings settings_;
    ListMode listMode_ = ListMode::Channels;
    int lastSortedColumn_ = -1;
    int clickedColumn_ = -1;
    int sortDirection_ = 0;
    bool databaseLoaded_ = false;
    bool treeRebuildGuard_ = false;
    bool bulkUpdate_ = false;
    bool swallowNextSelection_ = true;
    bool codingFilterOn_ = false;
    bool lostSelection_ = false;  // a rebuild could not keep the selected node
    QTreeWidgetItem* pendingNode_ = nullptr;  // waits out the debounce; cleared by every rebuild
};

} // namespace cs::views
