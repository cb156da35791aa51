#include "views/view_controller.h"

#include "views/view_icons.h"
#include "views/channel_list_model.h"
#include "views/filter_bar.h"
#include "widgets/busy_cursor.h"
#include "database/channel_database.h"
#include "database/display_texts.h"
#include "settings/stored_settings.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <iterator>

namespace cs::views {

namespace {

using widgets::BusyCursor;

// The items of the three filter menus: caption (a fixed text, or a language key) and tag.
struct MenuItemInfo {
    const char* name;
    const char* fixed;
    const char* key;
    int tag;
};

constexpr MenuItemInfo kTvRadioItems[] = {
    {"tvRadio0", "TV / RADIO", nullptr, 0},
    {"tvRadio1", "TV", nullptr, 1},
    {"tvRadio2", "RADIO", nullptr, 2},
};
constexpr MenuItemInfo kFreeScrambledItems[] = {
    {"freeScrambled0", "FTA / CA", nullptr, 0},
    {"freeScrambled1", "FTA", nullptr, 1},
    {"freeScrambled2", "CA", nullptr, 2},
};
constexpr MenuItemInfo kSortOrderItems[] = {
    {"sortOrder0", "PROGRAM", "MenuPopUpProgram", 0},
    {"sortOrder1", "TRANSPONDER", "MenuPopUpTransponder", 1},
    {"sortOrder2", "ALFABET", "MenuPopUpAlphabet", 2},
};

// The settings pages offered as icons and their captions (key, or a fixed text).
struct SettingsPageInfo {
    SettingsGroup page;
    const char* key;
    const char* fixed;
};
// The receiver, clock and parental-lock pages are offered too: without an icon their values
// could not be reached from the window at all.
constexpr SettingsPageInfo kSettingsPages[] = {
    {SettingsGroup::Receiver, "TreeViewColStbSett", nullptr},
    {SettingsGroup::Satellites, "TreeViewColSatellites", nullptr},
    {SettingsGroup::Clock, "TreeViewColClockAdjust", nullptr},
    {SettingsGroup::ParentalLock, "TreeViewColParentalLock", nullptr},
    {SettingsGroup::Converters, "TreeViewColConverterLNB", nullptr},
    {SettingsGroup::Transponders, "TreeViewColListTransponder", nullptr},
    {SettingsGroup::Internet, nullptr, "Internet"},
};

// Room beside a cell's text: between the kind icon and the text, and the cell's margins.
constexpr int kIconTextGap = 8;
constexpr int kCellPadding = 12;

// Column sorts of the number column show the busy cursor above this many rows.
constexpr int kBusyNumberSortRows = 128;

QAction* addItem(QMenu& menu, const char* name, const QString& caption, int tag, bool checkable = true) {
    QAction* action = menu.addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setData(tag);
    action->setCheckable(checkable);
    return action;
}

// An item of a menu where one entry is chosen: it shows a radio mark, not a check box.
QAction* addChoice(QMenu& menu, const char* name, const QString& caption, int tag) {
    auto* group = menu.findChild<QActionGroup*>(QString(), Qt::FindDirectChildrenOnly);
    if (!group)
        group = new QActionGroup(&menu);
    QAction* action = addItem(menu, name, caption, tag);
    group->addAction(action);
    return action;
}

} // namespace

ViewController::ViewController(const ViewWidgets& widgets, FilterBar& filters, ChannelDatabase& database,
                               const DisplayTexts& texts, StoredSettings& settings, QObject* parent)
    : QObject(parent),
      w_(widgets),
      filters_(&filters),
      db_(database),
      texts_(texts),
      storedSettings_(settings),
      model_(std::make_unique<ChannelListModel>(database, texts)) {
    selectionCountDelay_.setSingleShot(true);
    selectionCountDelay_.setInterval(kSelectionCountDelayMs);
    connect(&selectionCountDelay_, &QTimer::timeout, this, &ViewController::refreshCountsAfterSelection);
    treeSelectionDebounce_.setSingleShot(true);
    treeSelectionDebounce_.setInterval(kTreeSelectionDebounceMs);
    connect(&treeSelectionDebounce_, &QTimer::timeout, this, &ViewController::applyTreeSelection);

    if (QTableView* list = w_.channelList) {
        list->setModel(model_.get());
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setShowGrid(true);
        list->setWordWrap(false);
        list->setSortingEnabled(false);
        list->verticalHeader()->hide();
        list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 4);
        list->horizontalHeader()->setHighlightSections(false);
        list->horizontalHeader()->setSectionsClickable(true);
        list->horizontalHeader()->setSortIndicatorShown(false);
        list->setIconSize(QSize(kSmallIconSize, kSmallIconSize));
        connect(list->horizontalHeader(), &QHeaderView::sectionClicked, this, &ViewController::sortByColumn);
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
            if (listMode_ == ListMode::Channels && !bulkUpdate_)
                selectionCountDelay_.start();
        });
    }
    if (QListWidget* icons = w_.settingsIcons) {
        icons->setViewMode(QListView::IconMode);
        icons->setIconSize(QSize(kLargeIconSize, kLargeIconSize));
        icons->setMovement(QListView::Static);
        icons->setResizeMode(QListView::Adjust);
        icons->setWordWrap(true);
        icons->setEditTriggers(QAbstractItemView::NoEditTriggers);
        connect(icons, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
            if (const auto group = settingsGroupOfItem(w_.settingsIcons->row(item)))
                emit settingsPageActivated(*group);
        });
    }
    if (QLabel* help = w_.binHelpText) {
        help->setWordWrap(true);
        help->setAutoFillBackground(true);
        help->hide();
    }

    // Filter menus.
    for (const MenuItemInfo& s : kTvRadioItems)
        connect(addChoice(*filters_->tvRadioMenu(), s.name, QString::fromLatin1(s.fixed), s.tag), &QAction::triggered, this,
                [this, tag = s.tag] { chooseTvRadio(tag); });
    for (const MenuItemInfo& s : kFreeScrambledItems)
        connect(addChoice(*filters_->freeScrambledMenu(), s.name, QString::fromLatin1(s.fixed), s.tag), &QAction::triggered, this,
                [this, tag = s.tag] { chooseFreeScrambled(tag); });
    for (const MenuItemInfo& s : kSortOrderItems)
        connect(addChoice(*filters_->sortOrderMenu(), s.name, QString::fromLatin1(s.fixed), s.tag), &QAction::triggered, this,
                [this, tag = s.tag] { chooseSortOrder(tag); });
    for (QMenu* menu : choiceMenus())
        checkFirstItem(menu);

    const std::array<QMenu*, 3> menus = choiceMenus();
    const std::array<QToolButton*, 3> buttons = choiceButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        buttons[i]->setMenu(menus[i]);
        buttons[i]->setPopupMode(QToolButton::MenuButtonPopup);
    }
    // A click on a filter button moves on to its next choice.
    connect(filters_->tvRadio(), &QToolButton::clicked, this, &ViewController::nextTvRadioFilter);
    connect(filters_->freeScrambled(), &QToolButton::clicked, this, &ViewController::nextFreeScrambledFilter);
    connect(filters_->sortOrder(), &QToolButton::clicked, this, &ViewController::nextSortOrder);
    // The coding-system button has its menu only while its filter is on.
    filters_->codingSystems()->setCheckable(true);
    connect(filters_->codingSystems(), &QToolButton::clicked, this, &ViewController::toggleCodingFilter);
    filters_->favouriteList()->setMenu(filters_->favouriteListMenu());

    if (QAction* numbering = w_.numberingMode) {
        numbering->setCheckable(true);
        numbering->setChecked(numberingMode());
        connect(numbering, &QAction::triggered, this, &ViewController::applyNumberingMode);
    }

    buildColumns();

    if (QTreeWidget* tree = w_.tree) {
        builder_ = std::make_unique<TreeBuilder>(*tree, db_, texts_);
        tree->setHeaderHidden(true);
        tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
        tree->setIconSize(QSize(kSmallIconSize, kSmallIconSize));
        builder_->createFixedNodes();
        connect(tree, &QTreeWidget::currentItemChanged, this,
                [this](QTreeWidgetItem* current) { treeSelectionChanged(current); });
        // While the window is built the tree reports the selection of its first node; the first
        // applied selection swallows it.
        tree->setCurrentItem(builder_->mainListNode());
    }
    applyTexts();
    updateStatusCounts();
}

ViewController::~ViewController() {
    // The list keeps a pointer to the model; detach it before the model goes.
    if (w_.channelList && w_.channelList->model() == model_.get())
        w_.channelList->setModel(nullptr);
}

void ViewController::setHooks(ViewHooks hooks) {
    hooks_ = std::move(hooks);
    model_->setCutTest(hooks_.isCut);
}

QString ViewController::text(const char* key) const { return QString::fromStdString(texts_.text(key)); }

std::array<QMenu*, 3> ViewController::choiceMenus() const {
    return {filters_->tvRadioMenu(), filters_->freeScrambledMenu(), filters_->sortOrderMenu()};
}

std::array<QToolButton*, 3> ViewController::choiceButtons() const {
    return {filters_->tvRadio(), filters_->freeScrambled(), filters_->sortOrder()};
}

bool ViewController::numberingMode() const { return storedSettings_.flag(settings_flags::kNumberingMode); }

bool ViewController::selectionPending() const { return treeSelectionDebounce_.isActive(); }

QTreeWidgetItem* ViewController::selectedNode() const { return w_.tree ? w_.tree->currentItem() : nullptr; }

std::optional<TreeNode> ViewController::classifySelected() const { return classifyNode(selectedNode()); }

QIcon ViewController::selectedNodeIcon() const {
    const QTreeWidgetItem* node = selectedNode();
    return node ? treeIcon(node->data(0, kRoleImage).toInt(), node->data(0, kRoleImage).toInt()) : QIcon();
}

QString ViewController::selectedNodeText() const {
    const QTreeWidgetItem* node = selectedNode();
    return node ? node->text(0) : QString();
}

// ------------------------------------------------------------------------------------------
// Load cycle and tree

void ViewController::setDatabaseLoaded(bool loaded) {
    databaseLoaded_ = loaded;
    updateStatusCounts();
}

void ViewController::resetViews() {
    model_->clear();
    showBinHelpText(false);

    treeRebuildGuard_ = true;
    listMode_ = ListMode::Channels;
    applyChannelModeWidgets();
    lastSortedColumn_ = -1;
    clickedColumn_ = -1;
    sortDirection_ = 0;
    if (w_.channelList)
        w_.channelList->horizontalHeader()->setSortIndicatorShown(false);

    databaseLoaded_ = false;
    request_ = ViewRequest{};

    codingFilterOn_ = false;
    {
        QToolButton* b = filters_->codingSystems();
        b->setMenu(nullptr);
        b->setChecked(false);
    }
    for (QAction* a : filters_->codingSystemMenu()->actions()) {
        a->setChecked(false);
        a->setVisible(true);
    }
    settings_.orderMode = kOrderProgram;
    settings_.providerFilterMode = kProviderAll;
    settings_.satelliteFilter = 0;
    settings_.filterBits = 0;
    applyCodingFilterToView();
    db_.requestFullSort();

    db_.selectChannels(request_, settings_);

    for (QMenu* menu : choiceMenus())
        checkFirstItem(menu);
    for (QToolButton* b : {filters_->tvRadio(), filters_->freeScrambled(), filters_->sortOrder()})
        if (b)
            b->setToolTip(QString());
    filters_->favouriteListMenu()->clear();

    pendingNode_ = nullptr;
    if (builder_) {
        builder_->rebuildAll();
        rebuildFavouriteListMenu();
        w_.tree->setCurrentItem(builder_->mainListNode());
        w_.tree->collapseAll();
    }
    treeRebuildGuard_ = false;
    updateStatusCounts();
}

void ViewController::rebuildFavouriteListMenu() {
    QMenu& menu = *filters_->favouriteListMenu();
    menu.clear();
    const int lists = db_.flash().settings().listCount;
    for (int k = 1; k <= lists; ++k) {
        const std::string name = "favouriteList" + std::to_string(k);
        // Choosing a list in this menu only marks it; it changes no view.
        addChoice(menu, name.c_str(), QString::fromStdString(texts_.listText(k, 0)), k);
    }
    checkFirstItem(&menu);
}

void ViewController::reselect(const std::optional<TreeNode>& before, const QString& providerText) {
    QTreeWidgetItem* node = nullptr;
    if (before) {
        if (before->kind == TreeNode::Kind::Provider) {
            // Provider positions shift when providers come or go: find the provider by its name.
            if (QTreeWidgetItem* providers = builder_->providersNode())
                for (int i = 1; i < providers->childCount() && !node; ++i)
                    if (providers->child(i)->text(0) == providerText)
                        node = providers->child(i);
        } else {
            node = builder_->findNode(*before);
        }
    }
    const bool kept = node != nullptr;
    if (!node)
        node = builder_->mainListNode();
    w_.tree->setCurrentItem(node);
    if (!kept && before)
        lostSelection_ = true;
}

void ViewController::rebuildTree() {
    rebuildKeepingSelection([this] {
        builder_->rebuildAll();
        rebuildFavouriteListMenu();
    });
}

void ViewController::rebuildProviderNodes() {
    rebuildKeepingSelection([this] { builder_->rebuildProviders(); });
}

void ViewController::rebuildKeepingSelection(const std::function<void()>& rebuild) {
    if (!builder_)
        return;
    const auto before = classifySelected();
    const QString providerText = selectedNodeText();
    treeRebuildGuard_ = true;
    pendingNode_ = nullptr;
    lostSelection_ = false;
    rebuild();
    reselect(before, providerText);
    treeRebuildGuard_ = false;
    // The node that was shown is gone: show the node that took its place.
    if (lostSelection_)
        treeSelectionChanged(selectedNode());
}

void ViewController::treeSelectionChanged(QTreeWidgetItem* node) {
    emit selectedNodeChanged();
    if (hooks_.closeFindDialog)
        hooks_.closeFindDialog();
    if (treeRebuildGuard_)
        return;
    pendingNode_ = node;
    treeSelectionDebounce_.start();
}

void ViewController::applyTreeSelection() {
    treeSelectionDebounce_.stop();
    if (swallowNextSelection_) {
        swallowNextSelection_ = false;
        return;
    }
    emit treeSelectionApplied();
    QTreeWidgetItem* node = pendingNode_ ? pendingNode_ : selectedNode();
    pendingNode_ = nullptr;
    if (w_.tree)
        w_.tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const auto c = classifyNode(node);
    if (!c)
        return;
    if ((c->isFavouriteList() || c->isMainOrSatellite()) && db_.flash().image().hasSettingsArea() && w_.tree)
        w_.tree->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);

    request_.list = 0;
    request_.satellite = 0;
    if (c->isBin() || c->isSettings()) {
        model_->clear();
        updateStatusCounts();
    } else if (c->isProviderView()) {
        if (c->kind == TreeNode::Kind::Providers) {
            settings_.providerFilterMode = kProviderAll;
        } else if (c->kind == TreeNode::Kind::UnknownProvider) {
            settings_.providerFilterMode = kProviderNone;
        } else {
            settings_.providerFilterMode = kProviderSingle;
            db_.chooseSingleProvider(static_cast<std::size_t>(c->index));
        }
        fillChannelList();
    } else {
        settings_.providerFilterMode = kProviderAll;
        if (c->isFavouriteList()) {
            // A favourite list shows its stored order, unsorted.
            lastSortedColumn_ = -1;
            settings_.orderMode = kOrderProgram;
            checkFirstItem(filters_->sortOrderMenu());
            filters_->sortOrder()->setToolTip(QString());
        }
        request_.list = static_cast<std::uint8_t>(c->list());
        request_.satellite = static_cast<std::uint8_t>(c->satelliteNumber());
        fillChannelList();
    }
    showBinHelpText(c->isBin());
    setListMode(c->isSettings() ? ListMode::Settings : ListMode::Channels);
}

// ------------------------------------------------------------------------------------------
// The channel list

void ViewController::applyCodingFilterToView() {
    settings_.caFilterActive = codingFilterOn_;
    settings_.caChecked.clear();
    if (codingFilterOn_)
        for (QAction* a : filters_->codingSystemMenu()->actions())
            if (a->isChecked())
                settings_.caChecked.push_back(static_cast<std::uint16_t>(a->data().toUInt()));
}

void ViewController::fillChannelList() {
    if (!databaseLoaded_)
        return;
    if (const auto c = classifySelected(); c && c->isBin())
        return;

    // Restores the tree and the status refreshes, and tells the fill ended, however it ends.
    struct Scope {
        ViewController& vc;
        BusyCursor cursor;
        std::unique_ptr<QProgressBar> progress;
        ~Scope() {
            vc.bulkUpdate_ = false;
            emit vc.fillingChanged(false);
            vc.updateStatusCounts();
            if (vc.w_.tree)
                vc.w_.tree->setEnabled(true);
            if (progress && vc.w_.status)
                vc.w_.status->removeWidget(progress.get());
        }
    };
    Scope scope{*this, BusyCursor(), nullptr};
    bulkUpdate_ = true;
    emit fillingChanged(true);
    if (w_.tree)
        w_.tree->setEnabled(false);
    updateStatusCounts();

    if (w_.channelList)
        w_.channelList->horizontalHeader()->setSortIndicatorShown(false);
    applyCodingFilterToView();
    request_.useMainFilter = false;
    settings_.satelliteFilter = request_.satellite;
    settings_.filterBits = static_cast<std::uint8_t>((request_.tvRadio ? 0x01 : 0) | request_.freeScrambled);
    if (model_->numbering() != numberingMode())
        buildColumns();
    settings_.showNumbers = numberingMode();
    db_.selectChannels(request_, settings_);
    const std::span<const std::uint16_t> result = db_.result();

    const int count = static_cast<int>(result.size());
    if (count > kProgressRowThreshold && w_.status) {
        scope.progress = std::make_unique<QProgressBar>();
        scope.progress->setRange(0, count);
        scope.progress->setTextVisible(false);
        scope.progress->setMaximumHeight(w_.status->height() - 2);
        w_.status->addWidget(scope.progress.get(), 1);
        scope.progress->show();
        emit progressShown(count);
    }
    // The rows are only slot numbers: copying them takes well under a millisecond, so the bar
    // is not advanced step by step (each step was a painted and flushed repaint of the bar).
    model_->setRows(result);
}

void ViewController::buildColumns() {
    const bool numbering = numberingMode();
    model_->setNumbering(numbering);
    settings_.showNumbers = numbering;
    std::array<QString, kListColumnCount> captions;
    for (std::size_t c = 0; c < kListColumns.size(); ++c)
        captions[c] = kListColumns[c].key[0] ? text(kListColumns[c].key) : QString::fromUtf8(kListColumns[c].designed);
    model_->setCaptions(captions);
    if (QTableView* list = w_.channelList)
        for (int v = 0; v < model_->columnCount(); ++v)
            list->setColumnWidth(v, columnWidth(v));
}

// The designed width, widened where the language's caption would not fit (with room for the
// sort arrow), so no heading is cut off.
int ViewController::columnWidth(int visibleColumn) const {
    const auto& column = kListColumns[static_cast<std::size_t>(model_->logicalColumn(visibleColumn))];
    int width = column.width;
    if (QTableView* list = w_.channelList) {
        const QString caption = model_->headerData(visibleColumn, Qt::Horizontal, Qt::DisplayRole).toString();
        const int captionWidth = list->horizontalHeader()->fontMetrics().horizontalAdvance(caption) + 28;
        width = std::max(width, captionWidth);
        // Names run to 16 characters (channels) and 18 (providers); the first column carries the
        // kind icon: the name's, or in numbering mode the number's (four digits).
        const int logical = model_->logicalColumn(visibleColumn);
        const int iconRoom = visibleColumn == 0 ? kSmallIconSize + kIconTextGap : 0;
        const int nameChars = logical == kColName ? 16 : logical == kColProvider ? 18 : 0;
        if (nameChars > 0)
            width = std::max(width, list->fontMetrics().horizontalAdvance(QString(nameChars, QChar('n'))) + iconRoom +
                                        kCellPadding);
        if (logical == kColNumber)
            width = std::max(width, list->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + iconRoom + kCellPadding);
    }
    return width;
}

int ViewController::listWidth() const {
    int width = 4;
    for (int v = 0; v < model_->columnCount(); ++v)
        width += columnWidth(v);
    return width;
}

void ViewController::sortByColumn(int visibleColumn) {
    if (listMode_ != ListMode::Channels)
        return;
    const int logical = model_->logicalColumn(visibleColumn);
    if (logical < 0 || logical >= kListColumnCount)
        return;
    if (logical == kColProvider && !db_.flash().providerWork().holdsVerify())
        return;
    for (QAction* a : filters_->sortOrderMenu()->actions())
        a->setChecked(false);
    showChoice(filters_->sortOrderMenu());
    filters_->sortOrder()->setToolTip(QString());
    sortDirection_ = logical == lastSortedColumn_ ? (sortDirection_ ^ 1) : 0;
    lastSortedColumn_ = logical;
    clickedColumn_ = logical;
    if (model_->rows() == 0)
        return;

    BusyCursor cursor(logical == kColNumber && model_->rows() > kBusyNumberSortRows);
    model_->sortBy(logical, sortDirection_);
    // The view's channel order follows the rows; in a favourite list the positions become the
    // row numbers.
    db_.applyViewOrder(model_->rowSlots());
    if (QTableView* list = w_.channelList) {
        list->horizontalHeader()->setSortIndicatorShown(true);
        // Falling for the number column's first click, as its order is.
        const bool falling = logical == kColNumber ? sortDirection_ == 0 : sortDirection_ == 1;
        list->horizontalHeader()->setSortIndicator(visibleColumn, falling ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
    emit modified();
}

int ViewController::selectedRowCount() const {
    if (!w_.channelList || !w_.channelList->selectionModel())
        return 0;
    return static_cast<int>(w_.channelList->selectionModel()->selectedRows().size());
}

// ------------------------------------------------------------------------------------------
// List mode and settings icons

void ViewController::applyChannelModeWidgets() {
    if (w_.listStack && w_.channelList)
        w_.listStack->setCurrentWidget(w_.channelList);
    if (w_.channelList)
        w_.channelList->setEditTriggers(numberingMode() ? QAbstractItemView::NoEditTriggers
                                                     : QAbstractItemView::EditKeyPressed |
                                                           QAbstractItemView::SelectedClicked);
    model_->setEditable(!numberingMode());
    filters_->setEnabled(true);
}

void ViewController::setListMode(ListMode mode) {
    if (!databaseLoaded_ || mode == listMode_)
        return;
    listMode_ = mode;
    if (mode == ListMode::Channels) {
        applyChannelModeWidgets();
    } else {
        filters_->setEnabled(false);
        model_->setEditable(false);
        fillSettingsIcons();
        if (w_.listStack && w_.settingsIcons)
            w_.listStack->setCurrentWidget(w_.settingsIcons);
    }
    updateStatusCounts();
}

void ViewController::fillSettingsIcons() {
    settingsGroups_.clear();
    if (w_.settingsIcons)
        w_.settingsIcons->clear();
    const bool settingsArea = db_.flash().image().hasSettingsArea();
    const bool transponderTable = db_.flash().image().hasConfig();
    for (const SettingsPageInfo& p : kSettingsPages) {
        const bool offered = p.page == SettingsGroup::Transponders ? transponderTable : settingsArea;
        const QString caption = p.key ? text(p.key) : QString::fromLatin1(p.fixed);
        if (!offered || caption.isEmpty())
            continue;
        settingsGroups_.push_back(p.page);
        if (w_.settingsIcons) {
            auto* item = new QListWidgetItem(QIcon(settingsImage(static_cast<int>(p.page))), caption);  // owned by the view
            item->setData(Qt::UserRole, static_cast<int>(p.page));
            w_.settingsIcons->addItem(item);
        }
    }
}

std::optional<SettingsGroup> ViewController::settingsGroupOfItem(int item) const {
    if (item < 0 || item >= static_cast<int>(settingsGroups_.size()))
        return std::nullopt;
    return settingsGroups_[static_cast<std::size_t>(item)];
}

void ViewController::fillCodingSystemMenu() {
    fillCodingSystemMenu(hooks_.codingSystems ? hooks_.codingSystems() : std::vector<CodingSystemItem>{});
}

void ViewController::fillCodingSystemMenu(const std::vector<CodingSystemItem>& systems) {
    QMenu& menu = *filters_->codingSystemMenu();
    menu.clear();
    for (const CodingSystemItem& s : systems) {
        QAction* a = addItem(menu, "codingSystem", QString::fromStdString(s.caption), s.id);
        // The action has toggled its own check mark when triggered; only the list follows.
        connect(a, &QAction::triggered, this, [this] { refillIfSettled(); });
    }
}

// ------------------------------------------------------------------------------------------
// Numbering mode

void ViewController::applyNumberingMode() {
    lastSortedColumn_ = -1;
    const bool on = w_.numberingMode ? w_.numberingMode->isChecked() : !numberingMode();
    if (on && hooks_.closeFindDialog)
        hooks_.closeFindDialog();
    storedSettings_.setFlag(settings_flags::kNumberingMode, on);
    model_->clear();
    buildColumns();
    if (listMode_ == ListMode::Channels)
        applyChannelModeWidgets();
    fillChannelList();
}

// ------------------------------------------------------------------------------------------
// Bin help text and status

void ViewController::showBinHelpText(bool show) {
    if (w_.channelList)
        w_.channelList->setShowGrid(!show);
    QLabel* help = w_.binHelpText;
    if (!help)
        return;
    if (!show) {
        help->hide();
        return;
    }
    help->setText(text("TextListView"));
    QWidget* list = w_.listStack ? static_cast<QWidget*>(w_.listStack) : static_cast<QWidget*>(w_.channelList);
    if (list && help->parentWidget()) {
        const QPoint origin = help->parentWidget()->mapFromGlobal(list->mapToGlobal(QPoint(0, 0)));
        const int width = std::max(list->width() - 210, 60);
        help->setGeometry(origin.x() + 30, origin.y() + 60, width, help->heightForWidth(width));
        QPalette palette = help->palette();
        palette.setColor(QPalette::Window, list->palette().color(QPalette::Base));
        help->setPalette(palette);
    }
    help->show();
    help->raise();
}

void ViewController::splitterMoved() {
    if (const auto c = classifySelected(); c && c->isBin())
        showBinHelpText(true);
}

void ViewController::updateStatusCounts() {
    QString selection;
    if (const int selected = selectedRowCount(); selected > 0)
        selection = QStringLiteral(" ( ") + text("TextChoiceSelect") + QLatin1Char(' ') + QString::number(selected) +
                    QStringLiteral(" ) ");
    QString panel;
    if (model_->rows() > 0 && !bulkUpdate_ && listMode_ == ListMode::Channels)
        panel = QLatin1Char(' ') + text("TextAmountChannels") + QLatin1Char(':') + QString::number(model_->rows()) +
                selection;
    else
        panel = QStringLiteral(" () ");
    if (w_.statusCounts)
        w_.statusCounts->setText(panel);
    updateEditButtons();
}

void ViewController::refreshCountsAfterSelection() {
    selectionCountDelay_.stop();
    if (listMode_ == ListMode::Channels)
        updateStatusCounts();
}

void ViewController::updateEditButtons() {
    const int rows = model_->rows();
    if (w_.find)
        w_.find->setEnabled(rows > 0 && listMode_ == ListMode::Channels);
    for (QAction* a : {w_.cut, w_.copy, w_.paste, w_.deleteChannels,
                       w_.properties})
        if (a)
            a->setEnabled(false);
    const auto c = classifySelected();
    if (!c || !(c->isMainOrSatellite() || c->isFavouriteList() || c->isProviderView()))
        return;
    if (rows > 0 && selectedRowCount() > 0) {
        for (QAction* a : {w_.deleteChannels, w_.properties, w_.copy})
            if (a)
                a->setEnabled(true);
        if (w_.cut)
            w_.cut->setEnabled(c->isFavouriteList());
    }
    if (w_.paste && hooks_.clipboard) {
        const ClipboardState clip = hooks_.clipboard();
        w_.paste->setEnabled(clip.hasChannels &&
                                       (clip.sourceList != c->list() || (clip.cut && rows > 1) || clip.foreign));
    }
}

// ------------------------------------------------------------------------------------------
// Language

void ViewController::applyTexts() {
    if (builder_)
        builder_->applyTexts();
    buildColumns();
    const QList<QAction*> sortItems = filters_->sortOrderMenu()->actions();
    for (int i = 0; i < sortItems.size() && i < static_cast<int>(std::size(kSortOrderItems)); ++i)
        sortItems[i]->setText(text(kSortOrderItems[i].key));
    const QList<QAction*> listItems = filters_->favouriteListMenu()->actions();
    for (int i = 0; i < listItems.size(); ++i)
        listItems[i]->setText(QString::fromStdString(texts_.listText(i + 1, 0)));
    for (QMenu* menu : choiceMenus())
        showChoice(menu);
    filters_->applyHints([this](const char* key) { return text(key); });
    if (w_.numberingMode)
        w_.numberingMode->setToolTip(text("MenuNumbersProgram"));
    if (listMode_ == ListMode::Settings)
        fillSettingsIcons();
    if (w_.binHelpText && w_.binHelpText->isVisible())
        w_.binHelpText->setText(text("TextListView"));
    emit selectedNodeChanged();
}

} // namespace cs::views
