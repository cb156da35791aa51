// The tree and the channel list of the main window on real widgets: the nodes after a load,
// the debounced reaction to a tree selection, the filters of ToolBar2, numbering mode, the bin's
// help text and the settings icons, the status counts, the edit buttons and the progress rule.
#include <QHeaderView>
#include <QProgressBar>
#include <QSignalSpy>

#include <algorithm>

#include "app/app_icons.h"
#include "app/main_window.h"
#include "app_test_support.h"
#include "database/name_lists.h"
#include "views_test_support.h"

using namespace cs;
using namespace cs::viewtest;
using app::NodeClass;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

std::vector<QTreeWidgetItem*> topLevel(QTreeWidget& tree) {
    std::vector<QTreeWidgetItem*> out;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        out.push_back(tree.topLevelItem(i));
    return out;
}

int imageOf(const QTreeWidgetItem* n) { return n->data(0, app::kRoleImage).toInt(); }
int selectedImageOf(const QTreeWidgetItem* n) { return n->data(0, app::kRoleSelectedImage).toInt(); }

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
    void firstTimer4FiringOnlySwallowsTheStartSelection();
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
    void viewsInTheMainWindow();
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
        QCOMPARE(app::classifyNode(main->child(i)), NodeClass{.satellite = number + 1});
        QCOMPARE(imageOf(main->child(i)), int(app::kImgSatellite));
        QCOMPARE(selectedImageOf(main->child(i)), int(app::kImgSatelliteSelected));
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
        NodeClass cls;
        int image, selected;
    };
    const Expect expected[] = {
        {main, {.satellite = 1}, app::kImgMainList, app::kImgMainList},
        {nodes[1], {.list = 1}, app::kImgList, app::kImgListSelected},
        {nodes[bin - 1], {.list = static_cast<int>(facts.lists.size())}, app::kImgList, app::kImgListSelected},
        {nodes[bin], {.bin = 1}, app::kImgBin, app::kImgBinSelected},
        {providers, {.provider = 1}, app::kImgProviders, app::kImgProvidersSelected},
        {providers->child(0), {.provider = 2}, app::kImgProvider, app::kImgProviderSelected},
        {providers->child(1), {.provider = 3}, app::kImgProvider, app::kImgProviderSelected},
        {providers->child(providers->childCount() - 1), {.provider = facts.providers + 2}, app::kImgProvider,
         app::kImgProviderSelected},
        {nodes[bin + 2], {.settings = 1}, app::kImgSettings, app::kImgSettings},
    };
    for (const Expect& e : expected) {
        QCOMPARE(app::classifyNode(e.node), std::optional<NodeClass>(e.cls));
        QCOMPARE(imageOf(e.node), e.image);
        QCOMPARE(selectedImageOf(e.node), e.selected);
    }
    QVERIFY(!app::classifyNode(nullptr));
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
    const int providerColumn = app::kColProvider - 1;

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
    app::TreeBuilder b = h.builder();
    h.tree->setCurrentItem(b.listNode(1));
    h.tree->setCurrentItem(b.satelliteNode(19));
    h.tree->setCurrentItem(b.satelliteNode(28));
    QVERIFY(h.views->selectionPending());
    QCOMPARE(h.views->timer4().interval(), 568);
    QCOMPARE(resets.count(), 0);
    QCOMPARE(h.rows(), 150);

    h.views->Timer4Timer();
    QVERIFY(!h.views->selectionPending());
    QCOMPARE(resets.count(), 1);
    QVERIFY(h.rows() > 0 && h.rows() < 150);
    const std::string name28 = h.texts.satelliteText(28, 0);
    for (const std::string& s : h.column(app::kColSatellite - 1))
        QCOMPARE(s, name28);
}

void ViewControllerTest::firstTimer4FiringOnlySwallowsTheStartSelection() {
    Harness h(false);
    QVERIFY(h.views->selectionPending());  // the start selection of the first node
    QVERIFY(h.open(smallDatabase({})));
    h.tree->setCurrentItem(h.builder().satelliteNode(19));
    h.views->Timer4Timer();
    QCOMPARE(h.rows(), 150);  // swallowed
    h.tree->setCurrentItem(h.builder().satelliteNode(28));
    h.views->Timer4Timer();
    QVERIFY(h.rows() < 150);
}

void ViewControllerTest::tvRadioAndFreeScrambledFilters() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    const int all = h.rows();
    struct Case {
        void (app::ViewController::*choose)(int);
        int tag;
        std::function<bool(const ChannelRecord&)> holds;
    };
    const Case cases[] = {
        {&app::ViewController::Item00_ALLClick, 1, [](const ChannelRecord& r) { return r.videoPresent(); }},
        {&app::ViewController::Item00_ALLClick, 2, [](const ChannelRecord& r) { return !r.videoPresent(); }},
        {&app::ViewController::Item01_AllClick, 1, [](const ChannelRecord& r) { return !r.scrambled(); }},
        {&app::ViewController::Item01_AllClick, 2, [](const ChannelRecord& r) { return r.scrambled(); }},
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
    h.views->Item00_ALLClick(2);
    h.views->Item01_AllClick(2);
    QCOMPARE(h.views->viewRequest().tvRadio, std::uint8_t{2});
    QCOMPARE(h.views->viewRequest().freeScrambled, std::uint8_t{2});
    for (std::uint16_t slot : h.shownSlots())
        QVERIFY(!h.db.record(slot).videoPresent() && h.db.record(slot).scrambled());
    h.views->Item01_AllClick(1);
    QCOMPARE(h.views->viewRequest().freeScrambled, std::uint8_t{4});
}

void ViewControllerTest::filterButtonsAdvanceAndWrap() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    struct Button {
        int popUp;
        void (app::ViewController::*click)();
        const char* prefix;
        const char* hint;
    };
    const Button buttons[] = {
        {1, &app::ViewController::DropDownBtn01Click, "Item00_0", "HintTvRadio"},
        {2, &app::ViewController::DropDownBtn02Click, "Item01_0", "HintFtaCa"},
        {3, &app::ViewController::DropDownBtn03Click, "Item02_0", "HintSort"},
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
        const QList<QAction*> items = h.views->popUp(b.popUp)->actions();
        const auto checkedCount = std::count_if(items.begin(), items.end(), [](QAction* a) { return a->isChecked(); });
        QCOMPARE(checkedCount, 1);
    }
    // A click on the real button goes the same way.
    h.buttons[0]->click();
    QCOMPARE(h.checkedItem(1)->data().toInt(), 2);
    // A column sort leaves no sort mode chosen: the sort button shows its plain caption.
    h.views->ListViewColumnClick(0);
    QCOMPARE(h.checkedItem(3), nullptr);
    QCOMPARE(h.buttons[2]->text(), q(h.lang("HintSort")));
}

void ViewControllerTest::filterChoiceWaitsForAPendingSelection() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    h.tree->setCurrentItem(h.builder().satelliteNode(28));
    QSignalSpy resets(&h.model(), &QAbstractItemModel::modelReset);
    h.views->Item00_ALLClick(1);
    QCOMPARE(resets.count(), 0);
    h.views->Timer4Timer();
    QCOMPARE(resets.count(), 1);
    for (std::uint16_t slot : h.shownSlots())
        QVERIFY(h.db.record(slot).videoPresent() && h.db.record(slot).satellite() == 28);
}

void ViewControllerTest::sortModes() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    // Alphabetical: within each satellite, by the names' letters and digits.
    h.views->Item02_AllClick(2);
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
    h.views->Item02_AllClick(1);
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
    h.views->Item02_AllClick(2);
    h.views->ListViewColumnClick(app::kColFrequency - 1);
    h.select(h.builder().listNode(1));
    QCOMPARE(h.views->viewSettings().orderMode, std::uint8_t{0});
    QCOMPARE(h.checkedItem(3)->objectName(), QStringLiteral("Item02_00"));
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
    h.views->FillCodingSystemMenu({{0x0100, "0x0100, Canal Plus"}, {0x0500, "0x0500, France Telecom"}});
    QCOMPARE(h.views->popUp(5)->actions().size(), 2);
    h.db.entry(3).caSystems = {0x0100, 0, 0};
    h.db.entry(8).caSystems = {0, 0x0100, 0};
    h.db.entry(9).caSystems = {0x0500, 0, 0};

    h.views->DropDownBtn05Click();
    QVERIFY(h.views->codingFilterOn());
    QCOMPARE(h.buttons[4]->menu(), h.views->popUp(5));
    QCOMPARE(h.rows(), 0);  // nothing checked
    h.views->Item05Click(0);
    auto order = h.shownSlots();
    std::sort(order.begin(), order.end());
    QCOMPARE(order, (std::vector<std::uint16_t>{3, 8}));
    h.views->Item05Click(1);
    QCOMPARE(h.rows(), 3);
    h.views->Item05Click(0);
    QCOMPARE(h.shownSlots(), (std::vector<std::uint16_t>{9}));

    // Off shows everything; on again starts with nothing checked.
    h.views->DropDownBtn05Click();
    QCOMPARE(h.buttons[4]->menu(), nullptr);
    QCOMPARE(h.rows(), 150);
    h.views->DropDownBtn05Click();
    QCOMPARE(h.rows(), 0);
    for (QAction* a : h.views->popUp(5)->actions())
        QVERIFY(!a->isChecked());
}

void ViewControllerTest::numberingMode() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    h.model().setRenameHandler([](std::uint16_t, const QString&) { return true; });
    QCOMPARE(h.model().columnCount(), 11);
    QVERIFY(h.model().flags(h.model().index(0, 0)) & Qt::ItemIsEditable);
    h.views->ListViewColumnClick(0);
    QCOMPARE(h.views->lastSortedColumn(), 1);
    h.views->FillChannelList();
    const auto names = h.column(0);

    h.actions[0]->trigger();  // ToolButton26 pushed down
    QVERIFY(h.reg.flag(RegFlag::numberingMode));
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

    h.actions[0]->trigger();
    QVERIFY(!h.reg.flag(RegFlag::numberingMode));
    QCOMPARE(h.model().columnCount(), 11);
    QCOMPARE(h.column(0), names);
    QVERIFY(h.list->editTriggers() != QAbstractItemView::NoEditTriggers);
    QCOMPARE(h.views->listWidth(), withNumbers - numberColumn);
}

void ViewControllerTest::binShowsItsHelpText() {
    Harness h;
    h.window.show();
    QVERIFY(h.open(smallDatabase({})));
    h.select(h.builder().binNode());
    QCOMPARE(h.rows(), 0);
    QCOMPARE(h.views->listMode(), app::kListModeChannels);
    QVERIFY(!h.help->isHidden());
    QCOMPARE(h.help->text(), q(h.lang("TextListView")));
    QVERIFY(!h.list->showGrid());
    const QPoint listOrigin = h.help->parentWidget()->mapFromGlobal(h.stack->mapToGlobal(QPoint(0, 0)));
    QCOMPARE(h.help->geometry().topLeft(), listOrigin + QPoint(30, 60));
    QCOMPARE(h.help->width(), h.stack->width() - 210);
    // Filling is refused while the bin is shown.
    h.views->FillChannelList();
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
        << int(fx::DatabaseFileKind::SettingsR78) << true << QList<int>{1, 5, 6, 7};
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
    QCOMPARE(h.views->listMode(), app::kListModeSettings);
    QCOMPARE(h.stack->currentWidget(), static_cast<QWidget*>(h.icons));
    QVERIFY(!h.toolBar2->isEnabled());
    QCOMPARE(h.icons->count(), pages.size());
    const std::map<int, std::string> captions = {{1, h.lang("TreeViewColSatellites")},
                                                 {5, h.lang("TreeViewColConverterLNB")},
                                                 {6, h.lang("TreeViewColListTransponder")},
                                                 {7, "Internet"}};
    for (int i = 0; i < pages.size(); ++i) {
        QCOMPARE(h.views->settingsPageOfItem(i), pages[i]);
        QCOMPARE(h.icons->item(i)->text(), q(captions.at(pages[i])));
        QCOMPARE(h.icons->item(i)->icon().availableSizes().value(0), QSize(32, 32));
    }
    QCOMPARE(h.views->settingsPageOfItem(pages.size()), -1);
    QCOMPARE(h.counts->text(), QStringLiteral(" () "));

    // Back to a channel view: report style, ToolBar2 enabled.
    h.select(h.builder().mainListNode());
    QCOMPARE(h.views->listMode(), app::kListModeChannels);
    QCOMPARE(h.stack->currentWidget(), static_cast<QWidget*>(h.list));
    QVERIFY(h.toolBar2->isEnabled());
}

void ViewControllerTest::statusCounts() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    const QString amount = QLatin1Char(' ') + q(h.lang("TextAmountChannels")) + QLatin1Char(':');
    QCOMPARE(h.counts->text(), amount + "150");

    h.selectRows({2, 5, 9});
    QVERIFY(h.views->timer3().isActive());
    QCOMPARE(h.views->timer3().interval(), 500);
    QCOMPARE(h.counts->text(), amount + "150");  // refreshed by Timer3 only
    h.views->Timer3Timer();
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
    app::ViewHooks hooks;
    hooks.clipboard = [&] {
        app::ClipboardState s;
        s.hasChannels = clipSource >= 0;
        s.sourceList = std::max(clipSource, 0);
        s.cut = clipCut;
        s.foreign = clipForeign;
        return s;
    };
    h.views->setHooks(hooks);
    app::TreeBuilder b = h.builder();
    QTreeWidgetItem* target = node == "main"   ? b.mainListNode()
                              : node == "list" ? b.listNode(1)
                              : node == "bin"  ? b.binNode()
                                               : b.providersNode()->child(1);
    h.select(target);
    if (selection)
        h.selectRows({0, 1});
    h.views->UpdateStatusCounts();
    const std::pair<char, QAction*> buttons[] = {{'x', h.actions[1]}, {'c', h.actions[2]}, {'p', h.actions[3]},
                                                 {'d', h.actions[4]}, {'o', h.actions[5]}, {'f', h.actions[6]}};
    for (const auto& [letter, action] : buttons)
        QVERIFY2(action->isEnabled() == enabled.contains(QLatin1Char(letter)), qPrintable(QString(QLatin1Char(letter))));
}

void ViewControllerTest::progressBarOnlyForLongLists() {
    for (const auto& [channels, shown] : {std::pair{150, false}, std::pair{200, true}}) {
        Harness h;
        QSignalSpy progress(h.views.get(), &app::ViewController::progressShown);
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
    h.views->Item00_ALLClick(1);
    h.views->Item01_AllClick(2);
    h.views->Item02_AllClick(2);
    h.views->DropDownBtn05Click();
    h.views->ListViewColumnClick(1);
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
    h.views->ApplyTexts();
    app::TreeBuilder b = h.builder();
    QCOMPARE(b.mainListNode()->text(0), "Ł:" + q(english("TreeViewMainList")));
    QCOMPARE(b.binNode()->text(0), "Ł:" + q(english("TreeViewRecycle")));
    QCOMPARE(b.providersNode()->text(0), "Ł:" + q(english("TreeViewProvider")));
    QCOMPARE(b.providersNode()->child(0)->text(0), "Ł:" + q(english("TreeViewUnknow")));
    QCOMPARE(b.providersNode()->child(1)->text(0), QStringLiteral("Alpha"));
    QCOMPARE(b.settingsNode()->text(0), "Ł:" + q(english("TreeViewSetting")));
    QCOMPARE(b.listNode(1)->text(0), "Ł:" + q(english("TextList")) + " Sport");
    QCOMPARE(h.model().headerData(0, Qt::Horizontal).toString(), "Ł:" + q(english("HintChannel")));
    QCOMPARE(h.model().headerData(2, Qt::Horizontal).toString(), QStringLiteral("CA"));  // no key
    QCOMPARE(h.views->popUp(3)->actions().at(2)->text(), "Ł:" + q(english("MenuPopUpAlphabet")));
    QCOMPARE(h.views->popUp(1)->actions().at(1)->text(), QStringLiteral("TV"));  // fixed in every language
    QCOMPARE(h.views->popUp(4)->actions().at(0)->text(), "Ł:" + q(english("TextList")) + " Sport");
    h.select(b.settingsNode());
    QCOMPARE(h.icons->item(0)->text(), "Ł:" + q(english("TreeViewColSatellites")));
}

void ViewControllerTest::viewsInTheMainWindow() {
    apptest::Sandbox box;
    box.makeViews = [](app::TMain& window) -> std::unique_ptr<app::MainViews> {
        return app::ViewController::forWindow(window, window.database(), window.displayTexts());
    };
    const std::filesystem::path file = box.writeFile("demo.dsp", apptest::Sandbox::demo());
    box.seedEarlierRun({file.string()});
    auto window = box.makeWindow();
    window->show();
    QVERIFY(apptest::runPendingOpen(*window));
    QVERIFY(window->databaseLoaded());

    const fx::DemoFacts facts = fx::demoFacts();
    QCOMPARE(window->treeView()->topLevelItemCount(), static_cast<int>(facts.lists.size()) + 4);
    QCOMPARE(window->listView()->model()->rowCount(), facts.channels);
    QCOMPARE(window->statusPanel(3)->text(),
             q(" " + window->Lang("TextAmountChannels") + ":" + std::to_string(facts.channels)));
    QVERIFY(!window->isModified());
    // A column sort changes the view's order: the database is modified.
    window->listView()->horizontalHeader()->sectionClicked(0);
    QVERIFY(window->isModified());
}

QTEST_MAIN(ViewControllerTest)
#include "view_controller_test.moc"
