#pragma once
// The views of the main window: the tree of nodes on the left, the channel list (or the settings
// icons) on the right, the filter and sort drop-downs of ToolBar2, the numbering-mode button, the
// status counts and the enabled state of the edit buttons. TMain owns one ViewController and
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

#include "app/main_views.h"
#include "app/tree_builder.h"
#include "database/view.h"

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

namespace cs::app {

class ChannelListModel;
class TMain;

// What the list shows: channel rows in report style, or the icons of the settings pages.
inline constexpr int kListModeChannels = 1;
inline constexpr int kListModeSettings = 2;

// Debounce of a tree selection, status refresh after a list selection change.
inline constexpr int kTimer4IntervalMs = 568;
inline constexpr int kTimer3IntervalMs = 500;
// Lists longer than this show a progress bar while they are filled.
inline constexpr int kProgressRowThreshold = 162;

// Provider view types of a provider node (the database's provider filter modes).
inline constexpr int kProviderViewAll = 0;
inline constexpr int kProviderViewUnknown = 2;
inline constexpr int kProviderViewSingle = 3;

// Settings pages offered as icons in list mode 2, in this order.
inline constexpr int kPageSatellites = 1;
inline constexpr int kPageConverters = 5;
inline constexpr int kPageTransponders = 6;
inline constexpr int kPageInternet = 7;

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

// The widgets TMain creates and places; the controller fills and enables them. Pointers that are
// null are simply not driven (tests may leave out what they do not look at).
struct ViewWidgets {
    QTreeWidget* treeView = nullptr;
    QTableView* listView = nullptr;        // channel rows (report style)
    QListWidget* settingsView = nullptr;   // settings icons (list mode 2)
    QStackedWidget* listStack = nullptr;   // holds listView and settingsView; shows one of them
    QLabel* textListView = nullptr;        // help text shown over the list for the bin node
    QToolBar* toolBar2 = nullptr;
    QToolButton* dropDownBtn01 = nullptr;  // TV / radio
    QToolButton* dropDownBtn02 = nullptr;  // free / scrambled
    QToolButton* dropDownBtn03 = nullptr;  // sort mode
    QToolButton* dropDownBtn04 = nullptr;  // favourite lists (hidden, no effect)
    QToolButton* dropDownBtn05 = nullptr;  // coding systems
    QAction* toolButton26 = nullptr;       // numbering mode (checkable)
    QAction* toolButtonCut = nullptr;
    QAction* toolButtonCopy = nullptr;
    QAction* toolButtonPaste = nullptr;
    QAction* toolButtonDel = nullptr;
    QAction* toolButtonProper = nullptr;
    QAction* toolButton9 = nullptr;        // find
    QStatusBar* status = nullptr;          // the progress bar of a long fill is placed here
    QLabel* statusCounts = nullptr;        // status panel 3
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

class ViewController final : public QObject, public MainViews {
    Q_OBJECT

public:
    // `texts` also gives the texts of the active language (DisplayTexts::text).
    ViewController(const ViewWidgets& widgets, ChannelDatabase& database, const DisplayTexts& texts, StoredSettings& reg,
                   QObject* parent = nullptr);
    ~ViewController() override;
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    // The views of a main window over its widgets: sorting and changes mark the window's database
    // modified, the selected node repaints status panel 1, a tree selection resets the find
    // position and moving the splitter re-places the bin's help text.
    static std::unique_ptr<ViewController> forWindow(TMain& window, ChannelDatabase& database,
                                                     const DisplayTexts& texts);

    void setHooks(ViewHooks hooks);

    // ---- load cycle
    // After a successful load: clears the list, resets filters, sort state and view selector,
    // rebuilds the tree under treeRebuildGuard, selects and collapses the first node. Leaves
    // databaseLoaded clear; TMain sets it (setDatabaseLoaded) and then calls SetListMode(1) and
    // FillChannelList.
    void ResetViews() override;
    void setDatabaseLoaded(bool loaded) override;
    bool databaseLoaded() const { return databaseLoaded_; }

    // Rebuilds the whole tree (lists, satellites, providers) or only the provider nodes, with
    // treeRebuildGuard set; the selection moves to the node of the same kind where possible.
    void RebuildTree();
    void RebuildProviderNodes();
    bool treeRebuildGuard() const { return treeRebuildGuard_; }

    // ---- tree selection
    void TreeViewChange(QTreeWidgetItem* node);
    void Timer4Timer();
    // A tree selection is waiting for Timer4: keys and list commands are ignored meanwhile.
    bool selectionPending() const;
    QTreeWidgetItem* selectedNode() const;
    std::optional<NodeClass> classifySelected() const;

    // ---- the channel list
    void FillChannelList() override;
    void ListViewColumnClick(int visibleColumn);
    // Builds the columns of the list for the current numbering mode.
    void BuildColumns() override;
    // Sum of the column widths + 4: the list's designed width.
    int listWidth() const override;
    ChannelListModel& model() { return *model_; }
    const ViewRequest& viewRequest() const { return request_; }
    ViewSettings& viewSettings() { return settings_; }
    int lastSortedColumn() const { return lastSortedColumn_; }
    int sortDirection() const { return sortDirection_; }

    // ---- list mode and settings icons
    void SetListMode(int mode) override;
    int listMode() const { return listMode_; }
    // Sets listMode for the time of a dialog without changing the widgets.
    void setListModeValue(int mode) { listMode_ = mode; }
    // Settings page of an icon item of mode 2; -1 for none.
    int settingsPageOfItem(int item) const;
    int currentSettingsPage() const;

    // ---- ToolBar2 filters
    void DropDownBtn01Click();
    void DropDownBtn02Click();
    void DropDownBtn03Click();
    void DropDownBtn05Click();
    void Item00_ALLClick(int tag);   // TV / radio
    void Item01_AllClick(int tag);   // free / scrambled
    void Item02_AllClick(int tag);   // sort mode
    void Item03_AllClick(int tag);   // favourite-list menu: nothing
    void Item05Click(int index);     // coding-system item: toggles its check mark
    void FillCodingSystemMenu(const std::vector<CodingSystemItem>& systems);
    // The same with the systems of the codingSystems hook (none without it).
    void FillCodingSystemMenu() override;
    bool codingFilterOn() const { return codingFilterOn_; }
    QMenu* popUp(int number) const;  // PopUp01..PopUp05

    // ---- numbering mode
    void ToolButton26Click();
    bool numberingMode() const;

    // ---- bin help text and status
    void ShowBinHelpText(bool show);
    void SplitterMoved();
    void UpdateStatusCounts() override;
    // Timer3: the status counts 500 ms after the last change of the list selection (mode 1).
    void Timer3Timer();
    void UpdateEditButtons();
    // Suppresses status refreshes while a command changes many rows.
    void setBulkUpdate(bool on) { bulkUpdate_ = on; }
    bool bulkUpdate() const override { return bulkUpdate_; }

    // ---- language
    // Texts of the fixed nodes, lists, satellites, providers, columns, filter menus and hints.
    void ApplyTexts() override;

    // Icon and text of the selected node, as status panel 1 draws them.
    QIcon selectedNodeIcon() const override;
    QString selectedNodeText() const override;

    QTimer& timer3() { return timer3_; }
    QTimer& timer4() { return timer4_; }

signals:
    // A sort changed the order of a view: TMain calls SetModified(true).
    void modified();
    // The selected node changed (status panel 1 repaints).
    void selectedNodeChanged();
    // A fill showed a progress bar of this maximum (observed by tests and the log).
    void progressShown(int maximum);
    // Timer4 applied a tree selection: TMain resets its find position.
    void treeSelectionApplied();
    // An icon of the settings view was activated: the properties dialog opens on this page.
    void settingsPageActivated(int page);

private:
    void applyChannelModeWidgets();
    void fillSettingsIcons();
    void chooseItem(QMenu* menu, int tag);
    void checkFirstItem(QMenu* menu);
    void showChoice(QMenu* menu);
    int checkedTag(QMenu* menu) const;
    void nextItem(QMenu* menu, void (ViewController::*choose)(int));
    void refillIfSettled();
    void setHint(QToolButton* button, const char* key);
    void rebuildPopUp04();
    void applyCodingFilterToView();
    void reselect(const std::optional<NodeClass>& before, const QString& providerText);
    // Runs `rebuild` with treeRebuildGuard set, then reselects as RebuildTree describes.
    void rebuildKeepingSelection(const std::function<void()>& rebuild);
    int selectedRowCount() const;
    QString text(const char* key) const;
    int columnWidth(int visibleColumn) const;

    ViewWidgets w_;
    ChannelDatabase& db_;
    const DisplayTexts& texts_;
    StoredSettings& reg_;
    ViewHooks hooks_;
    std::unique_ptr<ChannelListModel> model_;
    std::unique_ptr<TreeBuilder> builder_;
    std::array<std::unique_ptr<QMenu>, 5> popUps_;  // PopUp01..PopUp05
    std::vector<int> settingsPages_;               // page of each icon item of mode 2
    QTimer timer3_;
    QTimer timer4_;

    ViewRequest request_;
    ViewSettings settings_;
    int listMode_ = kListModeChannels;
    int lastSortedColumn_ = -1;
    int clickedColumn_ = -1;
    int sortDirection_ = 0;
    bool databaseLoaded_ = false;
    bool treeRebuildGuard_ = false;
    bool bulkUpdate_ = false;
    bool firstTimer4_ = true;
    bool codingFilterOn_ = false;
    bool lostSelection_ = false;  // a rebuild could not keep the selected node
    QTreeWidgetItem* pendingNode_ = nullptr;  // Timer4's tag; cleared by every rebuild
};

} // namespace cs::app
