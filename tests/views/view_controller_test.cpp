// The tree and the channel list of the main window on real widgets: the nodes after a load,
// the debounced reaction to a tree selection, the filter bar, numbering mode, the bin's
// help text and the settings icons, the status counts, the edit buttons and the progress rule.
#include <QHeaderView>
#include <QProgressBar>
#include <QSignalSpy>

#include <algorithm>

#include "views/view_icons.h"
#include "database/name_lists.h"
#include "views_test_support.h"

using namespace cs;
using namespace cs::viewtest;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

std::vector<QTreeWidgetItem*> topLevel(QTreeWidget& tree) {
    std::vector<QTreeWidgetItem*> out;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        out.push_back(tree.topLevelItem(i));
    return out;
}

int imageOf(const QTreeWidgetItem* n) { return n->data(0, views::kRoleImage).toInt(); }
int selectedImageOf(const QTreeWidgetItem* n) { return n->data(0, views::kRoleSelectedImage).toInt(); }

// The providers' names as the tree orders them: characters outside 32..122 do not count.
std::string sortKey(const QString& text) {
    std::string out;
    for (QChar c : text)
        if (c.unicode() >= 32 && c.unicode() <= 122)
            out.push_back(static_cast<char>(c.unicode()));
    return out;
}

std::string reducedName(std::string_view name) {
    std::string out;
    for (char ch : name) {
        char c = ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            out.push_back(c);
    }
    return out;
}

} // namespace

class ViewControllerTest : public QObject {
    Q_OBJECT

private slots:
    void treeAfterLoadingTheDemoDatabase();
    void providerNodesShowTheirChannels();
    void quickSelectionsRefillOnce();
    void firstAppliedSelectionOnlySwallowsTheStartSelection();
    void tvRadioAndFreeScrambledFilters();
    void filterButtonsAdvanceAndWrap();
    void filterChoiceWaitsForAPendingSelection();
    void sortModes();
    void favouriteListResetsTheSortMode();
    void codingSystemFilter();
    void numberingMode();
    void binShowsItsHelpText();
    void settingsIconsFollowTheImage_data();
    void settingsIconsFollowTheImage();
    void statusCounts();
    void editButtons_data();
    void editButtons();
    void progressBarOnlyForLongLists();
    void filtersAreResetByALoad();
    void textsFollowTheLanguage();
};

void ViewControllerTest::treeAfterLoadingTheDemoDatabase() {
    Harness h;
    QVERIFY(h.open(fx::demoDatabase()));
    const fx::DemoFacts facts = fx::demoFacts();
    const auto nodes = topLevel(*h.tree);
    QCOMPARE(nodes.size(), facts.lists.size() + 4);

    // Main list, the favourite lists, bin, providers, settings.
    QCOMPARE(nodes.front()->text(0), q(h.lang("TreeViewMainList")));
    for (std::size_t k = 0; k < facts.lists.size(); ++k)
        QCOMPARE(nodes[k + 1]->text(0), q(h.lang("TextList") + " " + facts.lists[k].name));
    const std::size_t bin = facts.lists.size() + 1;
    QCOMPARE(nodes[bin]->text(0), q(h.lang("TreeViewRecycle")));
    QCOMPARE(nodes[bin + 1]->text(0), q(h.lang("TreeViewProvider")));
    QCOMPARE(nodes[bin + 2]->text(0), q(h.lang("TreeViewSetting")));

    // Satellites in number order, with their orbit position.
    QTreeWidgetItem* main = nodes.front();
    QCOMPARE(static_cast<std::size_t>(main->childCount()), facts.satellites.size());
    for (int i = 0; i < main->childCount(); ++i) {
        const int number = facts.satellites[static_cast<std::size_t>(i)];
        QCOMPARE(main->child(i)->text(0), QString::fromLatin1(h.texts.satelliteText(number, 1).c_str()));
        QVERIFY(views::classifyNode(main->child(i)) == TreeNode::satellite(number));
        QCOMPARE(imageOf(main->child(i)), int(views::kImgSatellite));
        QCOMPARE(selectedImageOf(main->child(i)), int(views::kImgSatelliteSelected));
    }

    // Providers: the unknown provider, then the providers sorted by name.
    QTreeWidgetItem* providers = nodes[bin + 1];
    QCOMPARE(providers->childCount(), facts.providers + 1);
    QCOMPARE(providers->child(0)->text(0), q(h.lang("TreeViewUnknow")));
    std::vector<std::string> names;
    for (int i = 1; i < providers->childCount(); ++i)
        names.push_back(sortKey(providers->child(i)->text(0)));
    QVERIFY(std::is_sorted(names.begin(), names.end()));

    // Classification and images of every kind of node.
    struct Expect {
        QTreeWidgetItem* node;
        TreeNode kind;
        int image, selected;
    };
    const Expect expected[] = {
        {main, TreeNode::mainList(), views::kImgMainList, views::kImgMainList},
        {nodes[1], TreeNode::favouriteList(1), views::kImgList, views::kImgListSelected},
        {nodes[bin - 1], TreeNode::favouriteList(static_cast<int>(facts.lists.size())), views::kImgList, views::kImgListSelected},
        {nodes[bin], TreeNode::bin(), views::kImgBin, views::kImgBinSelected},
        {providers, TreeNode::providers(), views::kImgProviders, views::kImgProvidersSelected},
        {providers->child(0), TreeNode::unknownProvider(), views::kImgProvider, views::kImgProviderSelected},
        {providers->child(1), TreeNode::provider(0), views::kImgProvider, views::kImgProviderSelected},
        {providers->child(providers->childCount() - 1), TreeNode::provider(facts.providers - 1), views::kImgProvider,
         views::kImgProviderSelected},
        {nodes[bin + 2], TreeNode::settings(), views::kImgSettings, views::kImgSettings},
    };
    for (const Expect& e : expected) {
        QVERIFY(views::classifyNode(e.node) == e.kind);
        QCOMPARE(imageOf(e.node), e.image);
        QCOMPARE(selectedImageOf(e.node), e.selected);
    }
    QVERIFY(!views::classifyNode(nullptr));
    QVERIFY(!h.tree->topLevelItem(1)->icon(0).isNull());

    // After the load: the main list is selected, the tree collapsed, every channel shown.
    QCOMPARE(h.tree->currentItem(), main);
    QVERIFY(!main->isExpanded());
    QCOMPARE(h.rows(), facts.channels);
}

void ViewControllerTest::providerNodesShowTheirChannels() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    QTreeWidgetItem* providers = h.builder().providersNode();
    QCOMPARE(providers->childCount(), 4);  // unknown, Alpha, Beta, Gamma
    QCOMPARE(providers->child(1)->text(0), QStringLiteral("Alpha"));
    QCOMPARE(providers->child(3)->text(0), QStringLiteral("Gamma"));
    const int providerColumn = views::kColProvider - 1;

    int total = 0;
    for (int i = 1; i < providers->childCount(); ++i) {
        h.select(providers->child(i));
        QVERIFY(h.rows() > 0);
        total += h.rows();
        for (const std::string& p : h.column(providerColumn))
            QCOMPARE(q(p), providers->child(i)->text(0));
    }
    h.select(providers->child(0));  // the unknown provider
    QVERIFY(h.rows() > 0);
    total += h.rows();
    for (const std::string& p : h.column(providerColumn))
        QVERIFY(p.empty());
    h.select(providers);
    QCOMPARE(h.rows(), 150);
    QCOMPARE(total, 150);
}

void ViewControllerTest::quickSelectionsRefillOnce() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    QVERIFY(!h.views->selectionPending());  // the rebuild at the load armed nothing
    QSignalSpy resets(&h.model(), &QAbstractItemModel::modelReset);
    views::TreeBuilder b = h.builder();
    h.tree->setCurrentItem(b.listNode(1));
    h.tree->setCurrentItem(b.satelliteNode(19));
    h.tree->setCurrentItem(b.satelliteNode(28));
    QVERIFY(h.views->selectionPending());
    QCOMPARE(h.views->treeSelectionDebounce().interval(), 568);
    QCOMPARE(resets.count(), 0);
    QCOMPARE(h.rows(), 150);

    h.views->applyTreeSelection();
    QVERIFY(!h.views->selectionPending());
    QCOMPARE(resets.count(), 1);
    QVERIFY(h.rows() > 0 && h.rows() < 150);
    const std::string name28 = h.texts.satelliteText(28, 0);
    for (const std::string& s : h.column(views::kColSatellite - 1))
        QCOMPARE(s, name28);
}

void ViewControllerTest::firstAppliedSelectionOnlySwallowsTheStartSelection() {
    Harness h(false);
    QVERIFY(h.views->selectionPending());  // the start selection of the first node
    QVERIFY(h.open(smallDatabase({})));
    h.tree->setCurrentItem(h.builder().satelliteNode(19));
    h.views->applyTreeSelection();
    QCOMPARE(h.rows(), 150);  // swallowed
    h.tree->setCurrentItem(h.builder().satelliteNode(28));
    h.views->applyTreeSelection();
    QVERIFY(h.rows() < 150);
}

void ViewControllerTest::tvRadioAndFreeScrambledFilters() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    const int all = h.rows();
    struct Case {
        void (views::ViewController::*choose)(int);
        int tag;
        std::function<bool(const ChannelRecord&)> holds;
    };
    const Case cases[] = {
        {&views::ViewController::chooseTvRadio, 1, [](const ChannelRecord& r) { return r.videoPresent(); }},
        {&views::ViewController::chooseTvRadio, 2, [](const ChannelRecord& r) { return !r.videoPresent(); }},
        {&views::ViewController::chooseFreeScrambled, 1, [](const ChannelRecord& r) { return !r.scrambled(); }},
        {&views::ViewController::chooseFreeScrambled, 2, [](const ChannelRecord& r) { return r.scrambled(); }},
    };
    int sums[2] = {0, 0};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        (h.views.get()->*c.choose)(c.tag);
        QVERIFY(h.rows() > 0);
        sums[i / 2] += h.rows();
        for (std::uint16_t slot : h.shownSlots())
            QVERIFY2(c.holds(h.db.record(slot)), qPrintable(QStringLiteral("case %1 slot %2").arg(i).arg(slot)));
        (h.views.get()->*c.choose)(0);
        QCOMPARE(h.rows(), all);
    }
    QCOMPARE(sums[0], all);
    QCOMPARE(sums[1], all);

    // The filters combine, and the free/scrambled filter's values are those of the view.
    h.views->chooseTvRadio(2);
    h.views->chooseFreeScrambled(2);
    QCOMPARE(h.views->viewRequest().tvRadio, std::uint8_t{2});
    QCOMPARE(h.views->viewRequest().freeScrambled, std::uint8_t{2});
    for (std::uint16_t slot : h.shownSlots())
        QVERIFY(!h.db.record(slot).videoPresent() && h.db.record(slot).scrambled());
    h.views->chooseFreeScrambled(1);
    QCOMPARE(h.views->viewRequest().freeScrambled, std::uint8_t{4});
}

void ViewControllerTest::filterButtonsAdvanceAndWrap() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    struct Button {
        int popUp;
        void (views::ViewController::*click)();
        const char* prefix;
        const char* hint;
    };
    const Button buttons[] = {
        {1, &views::ViewController::nextTvRadioFilter, "tvRadio", "HintTvRadio"},
        {2, &views::ViewController::nextFreeScrambledFilter, "freeScrambled", "HintFtaCa"},
        {3, &views::ViewController::nextSortOrder, "sortOrder", "HintSort"},
    };
    for (const Button& b : buttons) {
        QCOMPARE(h.checkedItem(b.popUp)->objectName(), QString::fromLatin1(b.prefix) + "0");
        for (int expected : {1, 2, 0, 1}) {
            (h.views.get()->*b.click)();
            QCOMPARE(h.checkedItem(b.popUp)->objectName(), QString::fromLatin1(b.prefix) + QString::number(expected));
            QCOMPARE(h.checkedItem(b.popUp)->data().toInt(), expected);
            QCOMPARE(h.buttons[static_cast<std::size_t>(b.popUp - 1)]->text(), h.checkedItem(b.popUp)->text());
        }
        QCOMPARE(h.buttons[static_cast<std::size_t>(b.popUp - 1)]->toolTip(), q(h.lang(b.hint)));
        const QList<QAction*> items = h.menu(b.popUp)->actions();
        const auto checkedCount = std::count_if(items.begin(), items.end(), [](QAction* a) { return a->isChecked(); });
        QCOMPARE(checkedCount, 1);
    }
    // A click on the real button goes the same way.
    h.buttons[0]->click();
    QCOMPARE(h.checkedItem(1)->data().toInt(), 2);
    // A column sort leaves no sort mode chosen: the sort button shows its plain caption.
    h.views->sortByColumn(0);
    QCOMPARE(h.checkedItem(3), nullptr);
    QCOMPARE(h.buttons[2]->text(), q(h.lang("HintSort")));
}

void ViewControllerTest::filterChoiceWaitsForAPendingSelection() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    h.tree->setCurrentItem(h.builder().satelliteNode(28));
    QSignalSpy resets(&h.model(), &QAbstractItemModel::modelReset);
    h.views->chooseTvRadio(1);
    QCOMPARE(resets.count(), 0);
    h.views->applyTreeSelection();
    QCOMPARE(resets.count(), 1);
    for (std::uint16_t slot : h.shownSlots())
        QVERIFY(h.db.record(slot).videoPresent() && h.db.record(slot).satellite() == 28);
}

void ViewControllerTest::sortModes() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    // Alphabetical: within each satellite, by the names' letters and digits.
    h.views->chooseSortOrder(2);
    auto order = h.shownSlots();
    QCOMPARE(static_cast<int>(order.size()), 150);
    for (std::size_t i = 1; i < order.size(); ++i) {
        const ChannelRecord& a = h.db.record(order[i - 1]);
        const ChannelRecord& b = h.db.record(order[i]);
        QVERIFY(a.satellite() <= b.satellite());
        if (a.satellite() == b.satellite())
            QVERIFY(reducedName(a.name()) <= reducedName(b.name()));
    }
    // Transponder: within each satellite by frequency (and polarisation).
    h.views->chooseSortOrder(1);
    order = h.shownSlots();
    for (std::size_t i = 1; i < order.size(); ++i) {
        const ChannelRecord& a = h.db.record(order[i - 1]);
        const ChannelRecord& b = h.db.record(order[i]);
        if (a.satellite() == b.satellite())
            QVERIFY(a.frequency() <= b.frequency());
    }
    QCOMPARE(h.views->viewSettings().orderMode, std::uint8_t{1});
    QCOMPARE(h.buttons[2]->toolTip(), q(h.lang("HintSort")));
}

void ViewControllerTest::favouriteListResetsTheSortMode() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    h.views->chooseSortOrder(2);
    h.views->sortByColumn(views::kColFrequency - 1);
    h.select(h.builder().listNode(1));
    QCOMPARE(h.views->viewSettings().orderMode, std::uint8_t{0});
    QCOMPARE(h.checkedItem(3)->objectName(), QStringLiteral("sortOrder0"));
    QCOMPARE(h.buttons[2]->toolTip(), QString());
    QCOMPARE(h.views->lastSortedColumn(), -1);
    // The list in its stored order, renumbered 1..n.
    QCOMPARE(h.rows(), 12);
    const auto order = h.shownSlots();
    for (std::size_t r = 0; r < order.size(); ++r)
        QCOMPARE(h.db.record(order[r]).listPosition(1), std::uint16_t(r + 1));
}

void ViewControllerTest::codingSystemFilter() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    h.views->fillCodingSystemMenu({{0x0100, "0x0100, Canal Plus"}, {0x0500, "0x0500, France Telecom"}});
    QCOMPARE(h.menu(5)->actions().size(), 2);
    h.db.entry(3).caSystems = {0x0100, 0, 0};
    h.db.entry(8).caSystems = {0, 0x0100, 0};
    h.db.entry(9).caSystems = {0x0500, 0, 0};

    h.views->toggleCodingFilter();
    QVERIFY(h.views->codingFilterOn());
    QCOMPARE(h.buttons[4]->menu(), h.menu(5));
    QCOMPARE(h.rows(), 0);  // nothing checked
    h.views->toggleCodingSystem(0);
    auto order = h.shownSlots();
    std::sort(order.begin(), order.end());
    QCOMPARE(order, (std::vector<std::uint16_t>{3, 8}));
    h.views->toggleCodingSystem(1);
    QCOMPARE(h.rows(), 3);
    h.views->toggleCodingSystem(0);
    QCOMPARE(h.shownSlots(), (std::vector<std::uint16_t>{9}));

    // Off shows everything; on again starts with nothing checked.
    h.views->toggleCodingFilter();
    QCOMPARE(h.buttons[4]->menu(), nullptr);
    QCOMPARE(h.rows(), 150);
    h.views->toggleCodingFilter();
    QCOMPARE(h.rows(), 0);
    for (QAction* a : h.menu(5)->actions())
        QVERIFY(!a->isChecked());
}

void ViewControllerTest::numberingMode() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    h.model().setRenameHandler([](std::uint16_t, const QString&) { return true; });
    QCOMPARE(h.model().columnCount(), 11);
    QVERIFY(h.model().flags(h.model().index(0, 0)) & Qt::ItemIsEditable);
    h.views->sortByColumn(0);
    QCOMPARE(h.views->lastSortedColumn(), 1);
    h.views->fillChannelList();
    const auto names = h.column(0);

    h.actions[0]->trigger();  // numbering mode pushed down
    QVERIFY(h.storedSettings.flag(settings_flags::kNumberingMode));
    QCOMPARE(h.views->lastSortedColumn(), -1);
    QCOMPARE(h.model().columnCount(), 12);
    QCOMPARE(h.model().headerData(0, Qt::Horizontal).toString(), q(h.lang("Propertis_List_transponder_Id")));
    QCOMPARE(h.model().headerData(1, Qt::Horizontal).toString(), q(h.lang("HintChannel")));
    const auto numbers = h.column(0);
    QCOMPARE(numbers.front(), std::string("0001"));
    QCOMPARE(numbers[1], std::string("0002"));
    QCOMPARE(numbers.back(), std::string("0150"));
    QCOMPARE(h.column(1), names);
    QCOMPARE(h.list->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(!(h.model().flags(h.model().index(0, 1)) & Qt::ItemIsEditable));
    // Every column keeps at least its designed width and is wide enough for its heading.
    const int designed[] = {54, 120, 52, 34, 80, 86, 48, 34, 106, 60, 60, 120};
    const QFontMetrics heading = h.list->horizontalHeader()->fontMetrics();
    int sum = 4;
    for (int v = 0; v < 12; ++v) {
        const int width = h.list->columnWidth(v);
        QVERIFY(width >= designed[v]);
        QVERIFY(width > heading.horizontalAdvance(h.model().headerData(v, Qt::Horizontal).toString()));
        sum += width;
    }
    QCOMPARE(h.views->listWidth(), sum);
    const int withNumbers = h.views->listWidth();
    const int numberColumn = h.list->columnWidth(0);
    const int nameWithNumbers = h.list->columnWidth(1);

    h.actions[0]->trigger();
    QVERIFY(!h.storedSettings.flag(settings_flags::kNumberingMode));
    QCOMPARE(h.model().columnCount(), 11);
    QCOMPARE(h.column(0), names);
    QVERIFY(h.list->editTriggers() != QAbstractItemView::NoEditTriggers);
    // The number column goes; the kind icon moves back to the name column, which widens for it.
    int without = 4;
    for (int v = 0; v < 11; ++v)
        without += h.list->columnWidth(v);
    QCOMPARE(h.views->listWidth(), without);
    QVERIFY(without < withNumbers - numberColumn + 30);
    QVERIFY(h.list->columnWidth(0) > nameWithNumbers);
}

void ViewControllerTest::binShowsItsHelpText() {
    Harness h;
    h.window.show();
    QVERIFY(h.open(smallDatabase({})));
    h.select(h.builder().binNode());
    QCOMPARE(h.rows(), 0);
    QCOMPARE(h.views->listMode(), views::ListMode::Channels);
    QVERIFY(!h.help->isHidden());
    QCOMPARE(h.help->text(), q(h.lang("TextListView")));
    QVERIFY(!h.list->showGrid());
    const QPoint listOrigin = h.help->parentWidget()->mapFromGlobal(h.stack->mapToGlobal(QPoint(0, 0)));
    QCOMPARE(h.help->geometry().topLeft(), listOrigin + QPoint(30, 60));
    QCOMPARE(h.help->width(), h.stack->width() - 210);
    // Filling is refused while the bin is shown.
    h.views->fillChannelList();
    QCOMPARE(h.rows(), 0);

    h.select(h.builder().mainListNode());
    QVERIFY(h.help->isHidden());
    QVERIFY(h.list->showGrid());
    QCOMPARE(h.rows(), 150);
}

void ViewControllerTest::settingsIconsFollowTheImage_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("validBa2");
    QTest::addColumn<QList<int>>("pages");
    QTest::newRow("settings area and transponder table")
        << int(fx::DatabaseFileKind::SettingsR78) << true << QList<int>{0, 1, 2, 3, 5, 6, 7};
    QTest::newRow("damaged settings area") << int(fx::DatabaseFileKind::SettingsR78) << false << QList<int>{6};
    QTest::newRow("channels only") << int(fx::DatabaseFileKind::Channels) << true << QList<int>{};
}

void ViewControllerTest::settingsIconsFollowTheImage() {
    QFETCH(int, kind);
    QFETCH(bool, validBa2);
    QFETCH(QList<int>, pages);
    Harness h;
    SmallDatabase d;
    d.kind = static_cast<fx::DatabaseFileKind>(kind);
    d.validBa2 = validBa2;
    QVERIFY(h.open(smallDatabase(d)));
    h.select(h.builder().settingsNode());
    QCOMPARE(h.views->listMode(), views::ListMode::Settings);
    QCOMPARE(h.stack->currentWidget(), static_cast<QWidget*>(h.icons));
    QVERIFY(!h.filterBar->isEnabled());
    QCOMPARE(h.icons->count(), pages.size());
    const std::map<int, std::string> captions = {{0, h.lang("TreeViewColStbSett")},
                                                 {1, h.lang("TreeViewColSatellites")},
                                                 {2, h.lang("TreeViewColClockAdjust")},
                                                 {3, h.lang("TreeViewColParentalLock")},
                                                 {5, h.lang("TreeViewColConverterLNB")},
                                                 {6, h.lang("TreeViewColListTransponder")},
                                                 {7, "Internet"}};
    for (int i = 0; i < pages.size(); ++i) {
        QCOMPARE(static_cast<int>(h.views->settingsGroupOfItem(i).value()), pages[i]);
        QCOMPARE(h.icons->item(i)->text(), q(captions.at(pages[i])));
        QCOMPARE(h.icons->item(i)->icon().availableSizes().value(0), QSize(32, 32));
    }
    QVERIFY(!h.views->settingsGroupOfItem(pages.size()));
    QCOMPARE(h.counts->text(), QStringLiteral(" () "));

    // Back to a channel view: report style, the filter bar enabled.
    h.select(h.builder().mainListNode());
    QCOMPARE(h.views->listMode(), views::ListMode::Channels);
    QCOMPARE(h.stack->currentWidget(), static_cast<QWidget*>(h.list));
    QVERIFY(h.filterBar->isEnabled());
}

void ViewControllerTest::statusCounts() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    const QString amount = QLatin1Char(' ') + q(h.lang("TextAmountChannels")) + QLatin1Char(':');
    QCOMPARE(h.counts->text(), amount + "150");

    h.selectRows({2, 5, 9});
    QVERIFY(h.views->selectionCountDelay().isActive());
    QCOMPARE(h.views->selectionCountDelay().interval(), 500);
    QCOMPARE(h.counts->text(), amount + "150");  // refreshed by the selection count delay only
    h.views->refreshCountsAfterSelection();
    QCOMPARE(h.counts->text(), amount + "150 ( " + q(h.lang("TextChoiceSelect")) + " 3 ) ");

    h.select(h.builder().binNode());
    QCOMPARE(h.counts->text(), QStringLiteral(" () "));
    h.select(h.builder().listNode(1));
    QCOMPARE(h.counts->text(), amount + "12");
}

void ViewControllerTest::editButtons_data() {
    QTest::addColumn<QString>("node");
    QTest::addColumn<bool>("selection");
    QTest::addColumn<int>("clipSource");  // -1: empty clipboard
    QTest::addColumn<bool>("clipCut");
    QTest::addColumn<bool>("clipForeign");
    QTest::addColumn<QString>("enabled");  // letters: x cut, c copy, p paste, d delete, o properties, f find
    QTest::newRow("main list, selection") << "main" << true << -1 << false << false << "cdof";
    QTest::newRow("main list, no selection") << "main" << false << -1 << false << false << "f";
    QTest::newRow("favourite list, selection") << "list" << true << -1 << false << false << "xcdof";
    QTest::newRow("provider, selection") << "provider" << true << -1 << false << false << "cdof";
    QTest::newRow("bin") << "bin" << false << 0 << false << false << "";
    QTest::newRow("copy from the main list into a list") << "list" << false << 0 << false << false << "pf";
    QTest::newRow("copy from the same list") << "list" << false << 1 << false << false << "f";
    QTest::newRow("cut from the same list") << "list" << false << 1 << true << false << "pf";
    QTest::newRow("channels of another editor") << "main" << false << 0 << false << true << "pf";
}

void ViewControllerTest::editButtons() {
    QFETCH(QString, node);
    QFETCH(bool, selection);
    QFETCH(int, clipSource);
    QFETCH(bool, clipCut);
    QFETCH(bool, clipForeign);
    QFETCH(QString, enabled);
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    views::ViewHooks hooks;
    hooks.clipboard = [&] {
        views::ClipboardState s;
        s.hasChannels = clipSource >= 0;
        s.sourceList = std::max(clipSource, 0);
        s.cut = clipCut;
        s.foreign = clipForeign;
        return s;
    };
    h.views->setHooks(hooks);
    views::TreeBuilder b = h.builder();
    QTreeWidgetItem* target = node == "main"   ? b.mainListNode()
                              : node == "list" ? b.listNode(1)
                              : node == "bin"  ? b.binNode()
                                               : b.providersNode()->child(1);
    h.select(target);
    if (selection)
        h.selectRows({0, 1});
    h.views->updateStatusCounts();
    const std::pair<char, QAction*> buttons[] = {{'x', h.actions[1]}, {'c', h.actions[2]}, {'p', h.actions[3]},
                                                 {'d', h.actions[4]}, {'o', h.actions[5]}, {'f', h.actions[6]}};
    for (const auto& [letter, action] : buttons)
        QVERIFY2(action->isEnabled() == enabled.contains(QLatin1Char(letter)), qPrintable(QString(QLatin1Char(letter))));
}

void ViewControllerTest::progressBarOnlyForLongLists() {
    for (const auto& [channels, shown] : {std::pair{150, false}, std::pair{200, true}}) {
        Harness h;
        QSignalSpy progress(h.views.get(), &views::ViewController::progressShown);
        SmallDatabase d;
        d.channels = channels;
        QVERIFY(h.open(smallDatabase(d)));
        QCOMPARE(h.rows(), channels);
        QCOMPARE(progress.count(), shown ? 1 : 0);
        if (shown)
            QCOMPARE(progress.front().front().toInt(), channels);
        QVERIFY(h.window.statusBar()->findChildren<QProgressBar*>().isEmpty());
        QVERIFY(h.tree->isEnabled());
        QVERIFY(!h.views->bulkUpdate());
    }
}

void ViewControllerTest::filtersAreResetByALoad() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    h.views->chooseTvRadio(1);
    h.views->chooseFreeScrambled(2);
    h.views->chooseSortOrder(2);
    h.views->toggleCodingFilter();
    h.views->sortByColumn(1);
    QVERIFY(h.open(smallDatabase({})));
    for (int popUp : {1, 2, 3})
        QCOMPARE(h.checkedItem(popUp)->data().toInt(), 0);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(h.buttons[static_cast<std::size_t>(i)]->toolTip(), QString());
    QVERIFY(!h.views->codingFilterOn());
    QCOMPARE(h.views->lastSortedColumn(), -1);
    QCOMPARE(h.views->viewRequest().tvRadio, std::uint8_t{0});
    QCOMPARE(h.views->viewRequest().freeScrambled, std::uint8_t{0});
    QCOMPARE(h.rows(), 150);
}

void ViewControllerTest::textsFollowTheLanguage() {
    QString prefix;
    const TextLookup english = lang::englishTexts();
    Harness h(true, [&](std::string_view key) { return prefix.toStdString() + english(key); });
    QVERIFY(h.open(smallDatabase({})));
    prefix = QStringLiteral("Ł:");
    h.views->applyTexts();
    views::TreeBuilder b = h.builder();
    QCOMPARE(b.mainListNode()->text(0), "Ł:" + q(english("TreeViewMainList")));
    QCOMPARE(b.binNode()->text(0), "Ł:" + q(english("TreeViewRecycle")));
    QCOMPARE(b.providersNode()->text(0), "Ł:" + q(english("TreeViewProvider")));
    QCOMPARE(b.providersNode()->child(0)->text(0), "Ł:" + q(english("TreeViewUnknow")));
    QCOMPARE(b.providersNode()->child(1)->text(0), QStringLiteral("Alpha"));
    QCOMPARE(b.settingsNode()->text(0), "Ł:" + q(english("TreeViewSetting")));
    QCOMPARE(b.listNode(1)->text(0), "Ł:" + q(english("TextList")) + " Sport");
    QCOMPARE(h.model().headerData(0, Qt::Horizontal).toString(), "Ł:" + q(english("HintChannel")));
    QCOMPARE(h.model().headerData(2, Qt::Horizontal).toString(), QStringLiteral("CA"));  // no key
    QCOMPARE(h.menu(3)->actions().at(2)->text(), "Ł:" + q(english("MenuPopUpAlphabet")));
    QCOMPARE(h.menu(1)->actions().at(1)->text(), QStringLiteral("TV"));  // fixed in every language
    QCOMPARE(h.menu(4)->actions().at(0)->text(), "Ł:" + q(english("TextList")) + " Sport");
    h.select(b.settingsNode());
    QCOMPARE(h.icons->item(1)->text(), "Ł:" + q(english("TreeViewColSatellites")));
}

QTEST_MAIN(ViewControllerTest)
#include "view_controller_test.moc"
