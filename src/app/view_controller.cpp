#include "app/view_controller.h"

#include "app/app_icons.h"
#include "app/channel_list_model.h"
#include "app/main_window.h"
#include "database/channel_database.h"
#include "database/display_texts.h"
#include "settings/treg.h"

#include <QAction>
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

namespace cs::app {

namespace {

// The items of the three filter menus: caption (a fixed text, or a language key) and tag.
struct MenuItemSpec {
    const char* name;
    const char* fixed;
    const char* key;
    int tag;
};

constexpr MenuItemSpec kPopUp01[] = {
    {"Item00_00", "TV / RADIO", nullptr, 0},
    {"Item00_01", "TV", nullptr, 1},
    {"Item00_02", "RADIO", nullptr, 2},
};
constexpr MenuItemSpec kPopUp02[] = {
    {"Item01_00", "FTA / CA", nullptr, 0},
    {"Item01_01", "FTA", nullptr, 1},
    {"Item01_02", "CA", nullptr, 2},
};
constexpr MenuItemSpec kPopUp03[] = {
    {"Item02_00", "PROGRAM", "MenuPopUpProgram", 0},
    {"Item02_01", "TRANSPONDER", "MenuPopUpTransponder", 1},
    {"Item02_02", "ALFABET", "MenuPopUpAlphabet", 2},
};

// The settings pages offered as icons and their captions (key, or a fixed text).
struct SettingsPageSpec {
    int page;
    const char* key;
    const char* fixed;
};
constexpr SettingsPageSpec kSettingsPages[] = {
    {kPageSatellites, "TreeViewColSatellites", nullptr},
    {kPageConverters, "TreeViewColConverterLNB", nullptr},
    {kPageTransponders, "TreeViewColListTransponder", nullptr},
    {kPageInternet, nullptr, "Internet"},
};

// Column sorts of the number column show the busy cursor above this many rows.
constexpr int kBusyNumberSortRows = 128;

// The busy cursor for the lifetime of the object.
class WaitCursor {
public:
    explicit WaitCursor(bool on = true) : on_(on) {
        if (on_)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor() {
        if (on_)
            QApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool on_;
};

QAction* addItem(QMenu& menu, const char* name, const QString& caption, int tag, bool checkable = true) {
    QAction* action = menu.addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setData(tag);
    action->setCheckable(checkable);
    return action;
}

} // namespace

ViewController::ViewController(const ViewWidgets& widgets, ChannelDatabase& database, const DisplayTexts& texts,
                               TReg& reg, QObject* parent)
    : QObject(parent),
      w_(widgets),
      db_(database),
      texts_(texts),
      reg_(reg),
      model_(std::make_unique<ChannelListModel>(database, texts)) {
    timer3_.setSingleShot(true);
    timer3_.setInterval(kTimer3IntervalMs);
    connect(&timer3_, &QTimer::timeout, this, &ViewController::Timer3Timer);
    timer4_.setSingleShot(true);
    timer4_.setInterval(kTimer4IntervalMs);
    connect(&timer4_, &QTimer::timeout, this, &ViewController::Timer4Timer);

    if (QTableView* list = w_.listView) {
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
        connect(list->horizontalHeader(), &QHeaderView::sectionClicked, this, &ViewController::ListViewColumnClick);
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
            if (listMode_ == kListModeChannels && !bulkUpdate_)
                timer3_.start();
        });
    }
    if (QListWidget* icons = w_.settingsView) {
        icons->setViewMode(QListView::IconMode);
        icons->setIconSize(QSize(kLargeIconSize, kLargeIconSize));
        icons->setMovement(QListView::Static);
        icons->setResizeMode(QListView::Adjust);
        icons->setWordWrap(true);
        icons->setEditTriggers(QAbstractItemView::NoEditTriggers);
        connect(icons, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
            const int page = settingsPageOfItem(w_.settingsView->row(item));
            if (page >= 0)
                emit settingsPageActivated(page);
        });
    }
    if (QLabel* help = w_.textListView) {
        help->setWordWrap(true);
        help->setAutoFillBackground(true);
        help->hide();
    }

    // Filter menus.
    for (auto& menu : popUps_)
        menu = std::make_unique<QMenu>();
    popUps_[0]->setObjectName(QStringLiteral("PopUp01"));
    popUps_[1]->setObjectName(QStringLiteral("PopUp02"));
    popUps_[2]->setObjectName(QStringLiteral("PopUp03"));
    popUps_[3]->setObjectName(QStringLiteral("PopUp04"));
    popUps_[4]->setObjectName(QStringLiteral("PopUp05"));
    for (const MenuItemSpec& s : kPopUp01)
        connect(addItem(*popUps_[0], s.name, QString::fromLatin1(s.fixed), s.tag), &QAction::triggered, this,
                [this, tag = s.tag] { Item00_ALLClick(tag); });
    for (const MenuItemSpec& s : kPopUp02)
        connect(addItem(*popUps_[1], s.name, QString::fromLatin1(s.fixed), s.tag), &QAction::triggered, this,
                [this, tag = s.tag] { Item01_AllClick(tag); });
    for (const MenuItemSpec& s : kPopUp03)
        connect(addItem(*popUps_[2], s.name, QString::fromLatin1(s.fixed), s.tag), &QAction::triggered, this,
                [this, tag = s.tag] { Item02_AllClick(tag); });
    for (int i = 0; i < 3; ++i)
        checkFirstItem(popUps_[static_cast<std::size_t>(i)].get());

    const std::array<QToolButton*, 5> buttons = {w_.dropDownBtn01, w_.dropDownBtn02, w_.dropDownBtn03,
                                                 w_.dropDownBtn04, w_.dropDownBtn05};
    const std::array<void (ViewController::*)(), 5> clicks = {
        &ViewController::DropDownBtn01Click, &ViewController::DropDownBtn02Click, &ViewController::DropDownBtn03Click,
        nullptr, &ViewController::DropDownBtn05Click};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        QToolButton* b = buttons[i];
        if (!b)
            continue;
        if (i != 4) {  // the coding-system button has its menu only while its filter is on
            b->setMenu(popUps_[i].get());
            b->setPopupMode(QToolButton::MenuButtonPopup);
        }
        if (clicks[i])
            connect(b, &QToolButton::clicked, this, clicks[i]);
    }
    if (w_.dropDownBtn05)
        w_.dropDownBtn05->setCheckable(true);

    if (QAction* numbering = w_.toolButton26) {
        numbering->setCheckable(true);
        numbering->setChecked(numberingMode());
        connect(numbering, &QAction::triggered, this, &ViewController::ToolButton26Click);
    }

    BuildColumns();

    if (QTreeWidget* tree = w_.treeView) {
        builder_ = std::make_unique<TreeBuilder>(*tree, db_, texts_);
        tree->setHeaderHidden(true);
        tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
        tree->setIconSize(QSize(kSmallIconSize, kSmallIconSize));
        builder_->createFixedNodes();
        connect(tree, &QTreeWidget::currentItemChanged, this,
                [this](QTreeWidgetItem* current) { TreeViewChange(current); });
        // While the window is built the tree reports the selection of its first node; the first
        // firing of Timer4 swallows it.
        tree->setCurrentItem(builder_->mainListNode());
    }
    ApplyTexts();
    UpdateStatusCounts();
}

ViewController::~ViewController() {
    // The list keeps a pointer to the model; detach it before the model goes.
    if (w_.listView && w_.listView->model() == model_.get())
        w_.listView->setModel(nullptr);
    for (QToolButton* b : {w_.dropDownBtn01, w_.dropDownBtn02, w_.dropDownBtn03, w_.dropDownBtn04, w_.dropDownBtn05})
        if (b)
            b->setMenu(nullptr);
}

std::unique_ptr<ViewController> ViewController::forWindow(TMain& window, ChannelDatabase& database,
                                                          const DisplayTexts& texts) {
    ViewWidgets w;
    w.treeView = window.treeView();
    w.listView = window.listView();
    w.settingsView = window.settingsView();
    w.listStack = window.listStack();
    w.textListView = window.textListView();
    w.toolBar2 = window.toolBar2();
    w.dropDownBtn01 = window.dropDownButton(1);
    w.dropDownBtn02 = window.dropDownButton(2);
    w.dropDownBtn03 = window.dropDownButton(3);
    w.dropDownBtn04 = window.dropDownButton(4);
    w.dropDownBtn05 = window.dropDownButton(5);
    w.toolButton26 = window.action("ToolButton26");
    w.toolButtonCut = window.action("ToolButtonCut");
    w.toolButtonCopy = window.action("ToolButtonCopy");
    w.toolButtonPaste = window.action("ToolButtonPaste");
    w.toolButtonDel = window.action("ToolButtonDel");
    w.toolButtonProper = window.action("ToolButtonProper");
    w.toolButton9 = window.action("ToolButton9");
    w.status = window.statusBar();
    w.statusCounts = window.statusPanel(3);
    auto views = std::make_unique<ViewController>(w, database, texts, window.reg());
    ViewController* vc = views.get();
    connect(vc, &ViewController::modified, &window, [&window] { window.SetModified(true); });
    connect(vc, &ViewController::selectedNodeChanged, &window, [&window] { window.refreshNodePanel(); });
    connect(vc, &ViewController::treeSelectionApplied, &window, [&window] { window.setFindPosition(-1); });
    if (QSplitter* splitter = window.splitter())
        connect(splitter, &QSplitter::splitterMoved, vc, &ViewController::SplitterMoved);
    return views;
}

void ViewController::setHooks(ViewHooks hooks) {
    hooks_ = std::move(hooks);
    model_->setCutTest(hooks_.isCut);
}

QString ViewController::text(const char* key) const { return QString::fromStdString(texts_.text(key)); }

QMenu* ViewController::popUp(int number) const {
    if (number < 1 || number > static_cast<int>(popUps_.size()))
        return nullptr;
    return popUps_[static_cast<std::size_t>(number - 1)].get();
}

bool ViewController::numberingMode() const { return reg_.flag(RegFlag::numberingMode); }

bool ViewController::selectionPending() const { return timer4_.isActive(); }

QTreeWidgetItem* ViewController::selectedNode() const { return w_.treeView ? w_.treeView->currentItem() : nullptr; }

std::optional<NodeClass> ViewController::classifySelected() const { return classifyNode(selectedNode()); }

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
    UpdateStatusCounts();
}

void ViewController::ResetViews() {
    model_->clear();
    ShowBinHelpText(false);

    treeRebuildGuard_ = true;
    listMode_ = kListModeChannels;
    applyChannelModeWidgets();
    lastSortedColumn_ = -1;
    clickedColumn_ = -1;
    sortDirection_ = 0;
    if (w_.listView)
        w_.listView->horizontalHeader()->setSortIndicatorShown(false);

    databaseLoaded_ = false;
    request_ = ViewRequest{};

    codingFilterOn_ = false;
    if (QToolButton* b = w_.dropDownBtn05) {
        b->setMenu(nullptr);
        b->setChecked(false);
    }
    for (QAction* a : popUps_[4]->actions()) {
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

    for (std::size_t i = 0; i < 3; ++i)
        checkFirstItem(popUps_[i].get());
    for (QToolButton* b : {w_.dropDownBtn01, w_.dropDownBtn02, w_.dropDownBtn03})
        if (b)
            b->setToolTip(QString());
    popUps_[3]->clear();

    pendingNode_ = nullptr;
    if (builder_) {
        builder_->rebuildAll();
        rebuildPopUp04();
        w_.treeView->setCurrentItem(builder_->mainListNode());
        w_.treeView->collapseAll();
    }
    treeRebuildGuard_ = false;
    UpdateStatusCounts();
}

void ViewController::rebuildPopUp04() {
    QMenu& menu = *popUps_[3];
    menu.clear();
    const int lists = db_.flash().settings().listCount;
    for (int k = 1; k <= lists; ++k) {
        const std::string name = "Item03_" + std::to_string(k);
        connect(addItem(menu, name.c_str(), QString::fromStdString(texts_.listText(k, 0)), k), &QAction::triggered,
                this, [this, k] { Item03_AllClick(k); });
    }
    checkFirstItem(&menu);
}

void ViewController::reselect(const std::optional<NodeClass>& before, const QString& providerText) {
    QTreeWidgetItem* node = nullptr;
    if (before) {
        if (before->provider >= 3) {
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
    w_.treeView->setCurrentItem(node);
    if (!kept && before)
        lostSelection_ = true;
}

void ViewController::RebuildTree() {
    rebuildKeepingSelection([this] {
        builder_->rebuildAll();
        rebuildPopUp04();
    });
}

void ViewController::RebuildProviderNodes() {
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
        TreeViewChange(selectedNode());
}

void ViewController::TreeViewChange(QTreeWidgetItem* node) {
    emit selectedNodeChanged();
    if (hooks_.closeFindDialog)
        hooks_.closeFindDialog();
    if (treeRebuildGuard_)
        return;
    pendingNode_ = node;
    timer4_.start();
}

void ViewController::Timer4Timer() {
    timer4_.stop();
    if (firstTimer4_) {
        firstTimer4_ = false;
        return;
    }
    emit treeSelectionApplied();
    QTreeWidgetItem* node = pendingNode_ ? pendingNode_ : selectedNode();
    pendingNode_ = nullptr;
    if (w_.treeView)
        w_.treeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const auto c = classifyNode(node);
    if (!c)
        return;
    if ((c->isFavouriteList() || c->satellite > 0) && db_.flash().image().hasSettingsArea() && w_.treeView)
        w_.treeView->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);

    request_.list = 0;
    request_.satellite = 0;
    if (c->bin || c->settings) {
        model_->clear();
        UpdateStatusCounts();
    } else if (c->provider) {
        if (c->provider == 1) {
            settings_.providerFilterMode = kProviderAll;
        } else if (c->provider == 2) {
            settings_.providerFilterMode = kProviderNone;
        } else {
            settings_.providerFilterMode = kProviderSingle;
            db_.chooseSingleProvider(static_cast<std::size_t>(c->provider - 3));
        }
        FillChannelList();
    } else {
        settings_.providerFilterMode = kProviderAll;
        if (c->isFavouriteList()) {
            // A favourite list shows its stored order, unsorted.
            lastSortedColumn_ = -1;
            settings_.orderMode = kOrderProgram;
            checkFirstItem(popUps_[2].get());
            if (w_.dropDownBtn03)
                w_.dropDownBtn03->setToolTip(QString());
        }
        request_.list = static_cast<std::uint8_t>(c->list);
        request_.satellite = static_cast<std::uint8_t>(c->satellite > 0 ? c->satellite - 1 : 0);
        FillChannelList();
    }
    ShowBinHelpText(c->bin != 0);
    SetListMode(c->settings ? kListModeSettings : kListModeChannels);
}

// ------------------------------------------------------------------------------------------
// The channel list

void ViewController::applyCodingFilterToView() {
    settings_.caFilterActive = codingFilterOn_;
    settings_.caChecked.clear();
    if (codingFilterOn_)
        for (QAction* a : popUps_[4]->actions())
            if (a->isChecked())
                settings_.caChecked.push_back(static_cast<std::uint16_t>(a->data().toUInt()));
}

void ViewController::FillChannelList() {
    if (!databaseLoaded_)
        return;
    if (const auto c = classifySelected(); c && c->bin)
        return;

    // Restores the window, the tree and the status refreshes however the fill ends.
    struct Scope {
        ViewController& vc;
        QWidget* window;
        QString caption;
        WaitCursor cursor;
        std::unique_ptr<QProgressBar> progress;
        ~Scope() {
            vc.bulkUpdate_ = false;
            if (window)
                window->setWindowTitle(caption);
            vc.UpdateStatusCounts();
            if (vc.w_.treeView)
                vc.w_.treeView->setEnabled(true);
            if (progress && vc.w_.status)
                vc.w_.status->removeWidget(progress.get());
        }
    };
    QWidget* anchor = w_.treeView ? static_cast<QWidget*>(w_.treeView) : static_cast<QWidget*>(w_.listView);
    QWidget* window = anchor ? anchor->window() : nullptr;
    Scope scope{*this, window, window ? window->windowTitle() : QString(), WaitCursor(), nullptr};
    bulkUpdate_ = true;
    if (window)
        window->setWindowTitle(text("HintOpeningBase"));
    if (w_.treeView)
        w_.treeView->setEnabled(false);
    UpdateStatusCounts();

    if (w_.listView)
        w_.listView->horizontalHeader()->setSortIndicatorShown(false);
    applyCodingFilterToView();
    request_.useMainFilter = false;
    settings_.satelliteFilter = request_.satellite;
    settings_.filterBits = static_cast<std::uint8_t>((request_.tvRadio ? 0x01 : 0) | request_.freeScrambled);
    if (model_->numbering() != numberingMode())
        BuildColumns();
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
    QProgressBar* bar = scope.progress.get();
    model_->setRows(result, [bar](int row) {
        if (bar)
            bar->setValue(row);
    });
}

void ViewController::BuildColumns() {
    const bool numbering = numberingMode();
    model_->setNumbering(numbering);
    settings_.showNumbers = numbering;
    std::array<QString, kListColumnCount> captions;
    for (std::size_t c = 0; c < kListColumns.size(); ++c)
        captions[c] = kListColumns[c].key[0] ? text(kListColumns[c].key) : QString::fromUtf8(kListColumns[c].designed);
    model_->setCaptions(captions);
    if (QTableView* list = w_.listView)
        for (int v = 0; v < model_->columnCount(); ++v)
            list->setColumnWidth(v, columnWidth(v));
}

// The designed width, widened where the language's caption would not fit (with room for the
// sort arrow), so no heading is cut off.
int ViewController::columnWidth(int visibleColumn) const {
    const auto& column = kListColumns[static_cast<std::size_t>(model_->logicalColumn(visibleColumn))];
    int width = column.width;
    if (QTableView* list = w_.listView) {
        const QString caption = model_->headerData(visibleColumn, Qt::Horizontal, Qt::DisplayRole).toString();
        const int captionWidth = list->horizontalHeader()->fontMetrics().horizontalAdvance(caption) + 28;
        width = std::max(width, captionWidth);
        // Names run to 16 characters (channels, after the kind icon) and 18 (providers).
        const int logical = model_->logicalColumn(visibleColumn);
        const int nameChars = logical == 1 ? 16 : logical == 11 ? 18 : 0;
        if (nameChars > 0)
            width = std::max(width, list->fontMetrics().horizontalAdvance(QString(nameChars, QChar('n'))) + (logical == 1 ? 36 : 12));
    }
    return width;
}

int ViewController::listWidth() const {
    int width = 4;
    for (int v = 0; v < model_->columnCount(); ++v)
        width += columnWidth(v);
    return width;
}

void ViewController::ListViewColumnClick(int visibleColumn) {
    if (listMode_ != kListModeChannels)
        return;
    const int logical = model_->logicalColumn(visibleColumn);
    if (logical < 0 || logical >= kListColumnCount)
        return;
    if (logical == kColProvider && !db_.flash().providerWork().holdsVerify())
        return;
    for (QAction* a : popUps_[2]->actions())
        a->setChecked(false);
    showChoice(popUps_[2].get());
    if (w_.dropDownBtn03)
        w_.dropDownBtn03->setToolTip(QString());
    sortDirection_ = logical == lastSortedColumn_ ? (sortDirection_ ^ 1) : 0;
    lastSortedColumn_ = logical;
    clickedColumn_ = logical;
    if (model_->rows() == 0)
        return;

    WaitCursor cursor(logical == kColNumber && model_->rows() > kBusyNumberSortRows);
    model_->sortBy(logical, sortDirection_);
    // The view's channel order follows the rows; in a favourite list the positions become the
    // row numbers.
    db_.applyViewOrder(model_->rowSlots());
    if (QTableView* list = w_.listView) {
        list->horizontalHeader()->setSortIndicatorShown(true);
        // Falling for the number column's first click, as its order is.
        const bool falling = logical == kColNumber ? sortDirection_ == 0 : sortDirection_ == 1;
        list->horizontalHeader()->setSortIndicator(visibleColumn, falling ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
    emit modified();
}

int ViewController::selectedRowCount() const {
    if (!w_.listView || !w_.listView->selectionModel())
        return 0;
    return static_cast<int>(w_.listView->selectionModel()->selectedRows().size());
}

// ------------------------------------------------------------------------------------------
// List mode and settings icons

void ViewController::applyChannelModeWidgets() {
    if (w_.listStack && w_.listView)
        w_.listStack->setCurrentWidget(w_.listView);
    if (w_.listView)
        w_.listView->setEditTriggers(numberingMode() ? QAbstractItemView::NoEditTriggers
                                                     : QAbstractItemView::EditKeyPressed |
                                                           QAbstractItemView::SelectedClicked);
    model_->setEditable(!numberingMode());
    if (w_.toolBar2)
        w_.toolBar2->setEnabled(true);
}

void ViewController::SetListMode(int mode) {
    if (!databaseLoaded_ || mode == listMode_)
        return;
    listMode_ = mode;
    if (mode == kListModeChannels) {
        applyChannelModeWidgets();
    } else {
        if (w_.toolBar2)
            w_.toolBar2->setEnabled(false);
        model_->setEditable(false);
        fillSettingsIcons();
        if (w_.listStack && w_.settingsView)
            w_.listStack->setCurrentWidget(w_.settingsView);
    }
    UpdateStatusCounts();
}

void ViewController::fillSettingsIcons() {
    settingsPages_.clear();
    if (w_.settingsView)
        w_.settingsView->clear();
    const bool settingsArea = db_.flash().image().hasSettingsArea();
    const bool transponderTable = db_.flash().image().hasConfig();
    for (const SettingsPageSpec& p : kSettingsPages) {
        const bool offered = p.page == kPageTransponders ? transponderTable : settingsArea;
        const QString caption = p.key ? text(p.key) : QString::fromLatin1(p.fixed);
        if (!offered || caption.isEmpty())
            continue;
        settingsPages_.push_back(p.page);
        if (w_.settingsView) {
            auto* item = new QListWidgetItem(QIcon(settingsImage(p.page)), caption);  // owned by the view
            item->setData(Qt::UserRole, p.page);
            w_.settingsView->addItem(item);
        }
    }
}

int ViewController::settingsPageOfItem(int item) const {
    if (item < 0 || item >= static_cast<int>(settingsPages_.size()))
        return -1;
    return settingsPages_[static_cast<std::size_t>(item)];
}

int ViewController::currentSettingsPage() const {
    return w_.settingsView ? settingsPageOfItem(w_.settingsView->currentRow()) : -1;
}

// ------------------------------------------------------------------------------------------
// ToolBar2 filters

void ViewController::checkFirstItem(QMenu* menu) {
    const QList<QAction*> actions = menu->actions();
    for (int i = 0; i < actions.size(); ++i)
        actions[i]->setChecked(i == 0);
    showChoice(menu);
}

void ViewController::chooseItem(QMenu* menu, int tag) {
    for (QAction* a : menu->actions())
        a->setChecked(a->data().toInt() == tag);
    showChoice(menu);
}

void ViewController::showChoice(QMenu* menu) {
    // The filter buttons show what they are set to; the sort button without a sort mode (after a
    // column sort) shows its plain caption.
    const std::array<QToolButton*, 3> buttons = {w_.dropDownBtn01, w_.dropDownBtn02, w_.dropDownBtn03};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (popUps_[i].get() != menu || !buttons[i])
            continue;
        QString caption = i == 2 ? text("HintSort") : QString();
        for (QAction* a : menu->actions())
            if (a->isChecked())
                caption = a->text();
        buttons[i]->setText(caption);
    }
}

int ViewController::checkedTag(QMenu* menu) const {
    for (QAction* a : menu->actions())
        if (a->isChecked())
            return a->data().toInt();
    return -1;
}

void ViewController::nextItem(QMenu* menu, void (ViewController::*choose)(int)) {
    const QList<QAction*> actions = menu->actions();
    if (actions.isEmpty())
        return;
    int checked = -1;
    for (int i = 0; i < actions.size(); ++i)
        if (actions[i]->isChecked())
            checked = i;
    const int next = (checked + 1) % static_cast<int>(actions.size());
    (this->*choose)(actions[next]->data().toInt());
}

void ViewController::setHint(QToolButton* button, const char* key) {
    if (button)
        button->setToolTip(text(key));
}

void ViewController::refillIfSettled() {
    if (listMode_ == kListModeChannels && !selectionPending())
        FillChannelList();
}

void ViewController::DropDownBtn01Click() { nextItem(popUps_[0].get(), &ViewController::Item00_ALLClick); }
void ViewController::DropDownBtn02Click() { nextItem(popUps_[1].get(), &ViewController::Item01_AllClick); }
void ViewController::DropDownBtn03Click() { nextItem(popUps_[2].get(), &ViewController::Item02_AllClick); }

void ViewController::Item00_ALLClick(int tag) {
    chooseItem(popUps_[0].get(), tag);
    request_.tvRadio = static_cast<std::uint8_t>(tag);
    setHint(w_.dropDownBtn01, "HintTvRadio");
    refillIfSettled();
}

void ViewController::Item01_AllClick(int tag) {
    chooseItem(popUps_[1].get(), tag);
    request_.freeScrambled = freeScrambledBits(static_cast<unsigned>(tag));
    setHint(w_.dropDownBtn02, "HintFtaCa");
    refillIfSettled();
}

void ViewController::Item02_AllClick(int tag) {
    chooseItem(popUps_[2].get(), tag);
    settings_.orderMode = static_cast<std::uint8_t>(tag);
    setHint(w_.dropDownBtn03, "HintSort");
    if (w_.listView)
        w_.listView->horizontalHeader()->setSortIndicatorShown(false);
    db_.requestFullSort();
    refillIfSettled();
}

void ViewController::Item03_AllClick(int) {}

void ViewController::DropDownBtn05Click() {
    if (!databaseLoaded_)
        return;
    codingFilterOn_ = !codingFilterOn_;
    if (QToolButton* b = w_.dropDownBtn05) {
        b->setChecked(codingFilterOn_);
        b->setMenu(codingFilterOn_ ? popUps_[4].get() : nullptr);
        b->setPopupMode(codingFilterOn_ ? QToolButton::MenuButtonPopup : QToolButton::DelayedPopup);
    }
    if (codingFilterOn_)
        for (QAction* a : popUps_[4]->actions())
            a->setChecked(false);
    refillIfSettled();
}

void ViewController::Item05Click(int index) {
    const QList<QAction*> actions = popUps_[4]->actions();
    if (index < 0 || index >= actions.size())
        return;
    actions[index]->setChecked(!actions[index]->isChecked());
    refillIfSettled();
}

void ViewController::FillCodingSystemMenu() {
    FillCodingSystemMenu(hooks_.codingSystems ? hooks_.codingSystems() : std::vector<CodingSystemItem>{});
}

void ViewController::FillCodingSystemMenu(const std::vector<CodingSystemItem>& systems) {
    QMenu& menu = *popUps_[4];
    menu.clear();
    for (const CodingSystemItem& s : systems) {
        QAction* a = addItem(menu, "Item05", QString::fromStdString(s.caption), s.id);
        // The action has toggled its own check mark when triggered; only the list follows.
        connect(a, &QAction::triggered, this, [this] { refillIfSettled(); });
    }
}

// ------------------------------------------------------------------------------------------
// Numbering mode

void ViewController::ToolButton26Click() {
    lastSortedColumn_ = -1;
    const bool on = w_.toolButton26 ? w_.toolButton26->isChecked() : !numberingMode();
    if (on && hooks_.closeFindDialog)
        hooks_.closeFindDialog();
    reg_.setFlag(RegFlag::numberingMode, on);
    model_->clear();
    BuildColumns();
    if (listMode_ == kListModeChannels)
        applyChannelModeWidgets();
    FillChannelList();
}

// ------------------------------------------------------------------------------------------
// Bin help text and status

void ViewController::ShowBinHelpText(bool show) {
    if (w_.listView)
        w_.listView->setShowGrid(!show);
    QLabel* help = w_.textListView;
    if (!help)
        return;
    if (!show) {
        help->hide();
        return;
    }
    help->setText(text("TextListView"));
    QWidget* list = w_.listStack ? static_cast<QWidget*>(w_.listStack) : static_cast<QWidget*>(w_.listView);
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

void ViewController::SplitterMoved() {
    if (const auto c = classifySelected(); c && c->bin)
        ShowBinHelpText(true);
}

void ViewController::UpdateStatusCounts() {
    QString selection;
    if (const int selected = selectedRowCount(); selected > 0)
        selection = QStringLiteral(" ( ") + text("TextChoiceSelect") + QLatin1Char(' ') + QString::number(selected) +
                    QStringLiteral(" ) ");
    QString panel;
    if (model_->rows() > 0 && !bulkUpdate_ && listMode_ == kListModeChannels)
        panel = QLatin1Char(' ') + text("TextAmountChannels") + QLatin1Char(':') + QString::number(model_->rows()) +
                selection;
    else
        panel = QStringLiteral(" () ");
    if (w_.statusCounts)
        w_.statusCounts->setText(panel);
    UpdateEditButtons();
}

void ViewController::Timer3Timer() {
    timer3_.stop();
    if (listMode_ == kListModeChannels)
        UpdateStatusCounts();
}

void ViewController::UpdateEditButtons() {
    const int rows = model_->rows();
    if (w_.toolButton9)
        w_.toolButton9->setEnabled(rows > 0 && listMode_ == kListModeChannels);
    for (QAction* a : {w_.toolButtonCut, w_.toolButtonCopy, w_.toolButtonPaste, w_.toolButtonDel,
                       w_.toolButtonProper})
        if (a)
            a->setEnabled(false);
    const auto c = classifySelected();
    if (!c || !(c->satellite > 0 || c->isFavouriteList() || c->provider > 0))
        return;
    if (rows > 0 && selectedRowCount() > 0) {
        for (QAction* a : {w_.toolButtonDel, w_.toolButtonProper, w_.toolButtonCopy})
            if (a)
                a->setEnabled(true);
        if (w_.toolButtonCut)
            w_.toolButtonCut->setEnabled(c->isFavouriteList());
    }
    if (w_.toolButtonPaste && hooks_.clipboard) {
        const ClipboardState clip = hooks_.clipboard();
        w_.toolButtonPaste->setEnabled(clip.hasChannels &&
                                       (clip.sourceList != c->list || (clip.cut && rows > 1) || clip.foreign));
    }
}

// ------------------------------------------------------------------------------------------
// Language

void ViewController::ApplyTexts() {
    if (builder_)
        builder_->applyTexts();
    BuildColumns();
    const QList<QAction*> sortItems = popUps_[2]->actions();
    for (int i = 0; i < sortItems.size() && i < static_cast<int>(std::size(kPopUp03)); ++i)
        sortItems[i]->setText(text(kPopUp03[i].key));
    const QList<QAction*> listItems = popUps_[3]->actions();
    for (int i = 0; i < listItems.size(); ++i)
        listItems[i]->setText(QString::fromStdString(texts_.listText(i + 1, 0)));
    for (std::size_t i = 0; i < 3; ++i)
        showChoice(popUps_[i].get());
    if (w_.dropDownBtn01)
        w_.dropDownBtn01->setToolTip(QStringLiteral("TV / RADIO"));
    if (w_.dropDownBtn02)
        w_.dropDownBtn02->setToolTip(QStringLiteral("FTA / CA"));
    if (w_.dropDownBtn03)
        setHint(w_.dropDownBtn03, "HintSort");
    if (w_.dropDownBtn04)
        setHint(w_.dropDownBtn04, "HintListDestination");
    if (w_.dropDownBtn05) {
        w_.dropDownBtn05->setText(QStringLiteral("CA"));
        setHint(w_.dropDownBtn05, "HintSystemsCode");
    }
    if (w_.toolButton26)
        w_.toolButton26->setToolTip(text("MenuNumbersProgram"));
    if (listMode_ == kListModeSettings)
        fillSettingsIcons();
    if (w_.textListView && w_.textListView->isVisible())
        w_.textListView->setText(text("TextListView"));
    emit selectedNodeChanged();
}

} // namespace cs::app
