// The channel list: the comparison of each sortable column, column clicks with their direction
// rules, the write-back of the order into favourite lists, and what a row shows (kind icon, cut
// greying, selection kept across a sort).
#include <QSignalSpy>

#include <algorithm>

#include "views/view_icons.h"
#include "views_test_support.h"

using namespace cs;
using namespace cs::viewtest;

namespace {

// Record field setters by column, applied to two order before comparing them.
using Setup = std::function<void(ChannelDatabase&, std::uint16_t a, std::uint16_t b)>;

int sign(int v) { return (v > 0) - (v < 0); }

std::string reducedName(std::string_view name) {
    std::string out;
    for (char ch : name) {
        const char c = ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            out.push_back(c);
    }
    return out;
}

} // namespace

class ChannelListTest : public QObject {
    Q_OBJECT

private slots:
    void columnComparisons_data();
    void columnComparisons();
    void sameColumnTwiceReverses();
    void numberColumnFirstClickGivesTheHighestNumber();
    void providerColumnNeedsAValidProviderArea();
    void sortingAFavouriteListRenumbersIt();
    void sortKeepsTheSelectedChannels();
    void clicksOutsideTheChannelModeDoNothing();
    void rowImagesAndCutRows();
};

void ChannelListTest::columnComparisons_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<int>("expected");  // sign of compare(A, B) in the rising direction
    auto rec = [](void (*f)(ChannelRecord&, ChannelRecord&)) {
        return Setup([f](ChannelDatabase& db, std::uint16_t a, std::uint16_t b) { f(db.record(a), db.record(b)); });
    };
    QTest::newRow("name by letters and digits") << int(views::kColName) << rec([](ChannelRecord& a, ChannelRecord& b) {
        a.setName("tv-1 b");
        b.setName("TV2");
    }) << -1;
    QTest::newRow("name ignores case and punctuation") << int(views::kColName)
                                                       << rec([](ChannelRecord& a, ChannelRecord& b) {
                                                              a.setName("a.b-c");
                                                              b.setName("ABC");
                                                          }) << 0;
    QTest::newRow("name prefix first") << int(views::kColName) << rec([](ChannelRecord& a, ChannelRecord& b) {
        a.setName("Sport 12");
        b.setName("Sport 1");
    }) << 1;
    QTest::newRow("language") << int(views::kColLanguage) << rec([](ChannelRecord& a, ChannelRecord& b) {
        a.setAudioLanguage(20);
        b.setAudioLanguage(26);
    }) << -1;
    QTest::newRow("language byte above 127 is unsigned") << int(views::kColLanguage)
                                                         << rec([](ChannelRecord& a, ChannelRecord& b) {
                                                                a.setAudioLanguage(200);
                                                                b.setAudioLanguage(26);
                                                            }) << 1;
    QTest::newRow("scrambled after free") << int(views::kColCa) << rec([](ChannelRecord& a, ChannelRecord& b) {
        a.setScrambled(true);
        b.setScrambled(false);
    }) << 1;
    QTest::newRow("frequency") << int(views::kColFrequency) << rec([](ChannelRecord& a, ChannelRecord& b) {
        a.setFrequency(11000);
        b.setFrequency(12000);
    }) << -1;
    QTest::newRow("frequency above 32767 is unsigned") << int(views::kColFrequency)
                                                       << rec([](ChannelRecord& a, ChannelRecord& b) {
                                                              a.setFrequency(40000);
                                                              b.setFrequency(1000);
                                                          }) << 1;
    QTest::newRow("symbol rate") << int(views::kColSymbolRate) << rec([](ChannelRecord& a, ChannelRecord& b) {
        a.setSymbolRate(27500);
        b.setSymbolRate(22000);
    }) << 1;
    QTest::newRow("fec") << int(views::kColFec) << rec([](ChannelRecord& a, ChannelRecord& b) {
        a.setFec(2);
        b.setFec(5);
    }) << -1;
    QTest::newRow("vertical before horizontal") << int(views::kColPolarisation)
                                                << rec([](ChannelRecord& a, ChannelRecord& b) {
                                                       a.setPolarisation(0);
                                                       b.setPolarisation(1);
                                                   }) << 1;
    QTest::newRow("satellite") << int(views::kColSatellite) << rec([](ChannelRecord& a, ChannelRecord& b) {
        a.setSatellite(64);
        b.setSatellite(19);
    }) << 1;
    QTest::newRow("video pid is unsigned") << int(views::kColVideo) << rec([](ChannelRecord& a, ChannelRecord& b) {
        a.setVideoPid(0xFFFF);
        b.setVideoPid(1);
    }) << 1;
    QTest::newRow("audio pid") << int(views::kColAudio) << rec([](ChannelRecord& a, ChannelRecord& b) {
        a.setAudioPid(33);
        b.setAudioPid(34);
    }) << -1;
    QTest::newRow("provider names") << int(views::kColProvider)
                                    << Setup([](ChannelDatabase& db, std::uint16_t a, std::uint16_t b) {
                                           db.entry(a).setProvider("Beta");
                                           db.entry(b).setProvider("Alpha");
                                       })
                                    << 1;
    QTest::newRow("provider is case-sensitive bytes") << int(views::kColProvider)
                                                      << Setup([](ChannelDatabase& db, std::uint16_t a, std::uint16_t b) {
                                                             db.entry(a).setProvider("alpha");
                                                             db.entry(b).setProvider("Beta");
                                                         })
                                                      << 1;
}

void ChannelListTest::columnComparisons() {
    QFETCH(int, column);
    QFETCH(Setup, setup);
    QFETCH(int, expected);
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    setup(h.db, 0, 1);
    QCOMPARE(sign(views::compareRows(h.db, 0, 1, 1, 2, column, 0)), expected);
    // The falling direction exchanges the rows.
    QCOMPARE(sign(views::compareRows(h.db, 0, 1, 1, 2, column, 1)), -expected);
    QCOMPARE(views::compareRows(h.db, 0, 1, 0, 1, column, 0), 0);
}

void ChannelListTest::sameColumnTwiceReverses() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    QSignalSpy modified(h.views.get(), &views::ViewController::modified);
    h.views->sortByColumn(0);  // the name column (no numbering)
    QCOMPARE(h.views->lastSortedColumn(), int(views::kColName));
    QCOMPARE(h.views->sortDirection(), 0);
    const auto rising = h.column(0);
    std::vector<std::string> keys;
    for (const std::string& n : rising)
        keys.push_back(reducedName(n));
    QVERIFY(std::is_sorted(keys.begin(), keys.end()));
    QVERIFY(std::adjacent_find(keys.begin(), keys.end()) == keys.end());  // unique: the reverse is exact

    h.views->sortByColumn(0);
    QCOMPARE(h.views->sortDirection(), 1);
    QCOMPARE(h.column(0), std::vector<std::string>(rising.rbegin(), rising.rend()));

    // Another column starts rising again.
    h.views->sortByColumn(views::kColFrequency - 1);
    QCOMPARE(h.views->sortDirection(), 0);
    const auto order = h.shownSlots();
    for (std::size_t i = 1; i < order.size(); ++i)
        QVERIFY(h.db.record(order[i - 1]).frequency() <= h.db.record(order[i]).frequency());
    QCOMPARE(modified.count(), 3);
    // Every column sort leaves the sort mode menu without a checked item.
    for (QAction* a : h.menu(3)->actions())
        QVERIFY(!a->isChecked());
}

void ChannelListTest::numberColumnFirstClickGivesTheHighestNumber() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    h.actions[0]->trigger();  // numbering mode
    const auto names = h.column(1);
    std::vector<std::string> numbers;
    for (int n = 150; n >= 1; --n) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04d", n);
        numbers.push_back(buf);
    }
    h.views->sortByColumn(0);
    QCOMPARE(h.column(0), numbers);
    QCOMPARE(h.column(1), std::vector<std::string>(names.rbegin(), names.rend()));
    h.views->sortByColumn(0);
    QCOMPARE(h.column(0), std::vector<std::string>(numbers.rbegin(), numbers.rend()));
    QCOMPARE(h.column(1), names);
    // After another column, the number column's first click is the falling one again.
    h.views->sortByColumn(views::kColAudio);
    h.views->sortByColumn(0);
    QCOMPARE(h.column(0), numbers);
}

void ChannelListTest::providerColumnNeedsAValidProviderArea() {
    const int providerColumn = views::kColProvider - 1;
    {
        Harness h;
        SmallDatabase d;
        d.validBa3 = false;
        QVERIFY(h.open(smallDatabase(d)));
        QSignalSpy modified(h.views.get(), &views::ViewController::modified);
        const auto before = h.shownSlots();
        h.views->sortByColumn(providerColumn);
        QCOMPARE(h.shownSlots(), before);
        QCOMPARE(h.views->lastSortedColumn(), -1);
        QCOMPARE(modified.count(), 0);
        QVERIFY(h.checkedItem(3) != nullptr);
    }
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    for (int direction : {0, 1}) {
        h.views->sortByColumn(providerColumn);
        QCOMPARE(h.views->sortDirection(), direction);
        const auto providers = h.column(providerColumn);
        const auto firstEmpty = std::find(providers.begin(), providers.end(), std::string());
        QVERIFY(firstEmpty != providers.begin() && firstEmpty != providers.end());
        // Channels without provider come last in both directions.
        QVERIFY(std::all_of(firstEmpty, providers.end(), [](const std::string& p) { return p.empty(); }));
        std::vector<std::string> named(providers.begin(), firstEmpty);
        if (direction == 1)
            std::reverse(named.begin(), named.end());
        QVERIFY(std::is_sorted(named.begin(), named.end()));
        QCOMPARE(providers.front(), std::string(direction ? "Gamma" : "Alpha"));
    }
}

void ChannelListTest::sortingAFavouriteListRenumbersIt() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    h.select(h.builder().listNode(1));
    QCOMPARE(h.rows(), 12);
    QSignalSpy modified(h.views.get(), &views::ViewController::modified);
    h.views->sortByColumn(views::kColFrequency - 1);
    QCOMPARE(modified.count(), 1);
    const auto sorted = h.shownSlots();
    for (std::size_t r = 0; r < sorted.size(); ++r) {
        QCOMPARE(h.db.record(sorted[r]).listPosition(1), std::uint16_t(r + 1));
        if (r > 0)
            QVERIFY(h.db.record(sorted[r - 1]).frequency() <= h.db.record(sorted[r]).frequency());
    }
    // Shown again later: the stored order, with no sort column.
    h.select(h.builder().mainListNode());
    h.select(h.builder().listNode(1));
    QCOMPARE(h.shownSlots(), sorted);
    QCOMPARE(h.views->lastSortedColumn(), -1);
    QVERIFY(!h.list->horizontalHeader()->isSortIndicatorShown());
}

void ChannelListTest::sortKeepsTheSelectedChannels() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    h.selectRows({3, 40, 77});
    std::vector<std::uint16_t> chosen = {h.model().slotAt(3), h.model().slotAt(40), h.model().slotAt(77)};
    h.views->sortByColumn(views::kColSymbolRate - 1);
    std::vector<std::uint16_t> selected;
    for (const QModelIndex& i : h.list->selectionModel()->selectedRows())
        selected.push_back(static_cast<std::uint16_t>(i.data(views::kRoleSlot).toInt()));
    std::sort(chosen.begin(), chosen.end());
    std::sort(selected.begin(), selected.end());
    QCOMPARE(selected, chosen);
}

void ChannelListTest::clicksOutsideTheChannelModeDoNothing() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    h.select(h.builder().settingsNode());
    h.views->sortByColumn(0);
    QCOMPARE(h.views->lastSortedColumn(), -1);
}

void ChannelListTest::rowImagesAndCutRows() {
    Harness h;
    QVERIFY(h.open(smallDatabase({})));
    const std::uint16_t cut = h.model().slotAt(5);
    views::ViewHooks hooks;
    hooks.isCut = [cut](std::uint16_t slot) { return slot == cut; };
    h.views->setHooks(hooks);
    int kinds[3] = {0, 0, 0};
    for (int r = 0; r < h.rows(); ++r) {
        const QModelIndex first = h.model().index(r, 0);
        const int kind = static_cast<int>(channelKind(h.db.record(h.model().slotAt(r))));
        ++kinds[kind];
        QCOMPARE(first.data(Qt::DecorationRole).value<QIcon>().cacheKey(), views::listIcon(2 + kind).cacheKey());
        QVERIFY(!h.model().index(r, 1).data(Qt::DecorationRole).isValid());
        const QVariant colour = first.data(Qt::ForegroundRole);
        QCOMPARE(colour.isValid(), h.model().slotAt(r) == cut);
    }
    QVERIFY(kinds[0] > 0 && kinds[1] > 0 && kinds[2] > 0);
    // The three kinds look different.
    QVERIFY(views::listImage(2).toImage() != views::listImage(3).toImage());
    QVERIFY(views::listImage(3).toImage() != views::listImage(4).toImage());
}

QTEST_MAIN(ChannelListTest)
#include "channel_list_test.moc"
