// The reference commands in a main window with its real views, offscreen: ordering through the
// dialog from a database reference (summary, unmatched channels, one undo step), a bad CSV that
// changes nothing, exporting the shown view, and the duplicates window removing a planted copy
// in one step.
#include <QAction>
#include <QProcess>
#include <QStandardPaths>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/undo_commands.h"
#include "app/window_views.h"
#include "app_test_support.h"
#include "fixtures/image_builder.h"
#include "reference/duplicates_window.h"
#include "reference/order_dialog.h"
#include "reference/reference_commands.h"
#include "reference/reference_list.h"
#include "views/channel_list_model.h"
#include "views/tree_builder.h"
#include "views/view_controller.h"
#include "widgets/file_dialogs.h"
#include "widgets/message_box.h"

#include <fstream>
#include <functional>

using namespace cs;
using namespace cs::apptest;

namespace {

namespace fx = cs::fixtures;
using Names = std::vector<std::string>;

fx::ChannelFields channel(std::string name, std::uint16_t sid, std::uint16_t frequency) {
    fx::ChannelFields s;
    s.name = std::move(name);
    s.serviceId = sid;
    s.satellite = 28;
    s.frequency = frequency;
    return s;
}

fx::DatabaseImageBuilder emptyImage() {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.defaultSatellites();
    return b;
}

// The user's sorted image: seven channels in a hand-made order.
fx::ImageBytes oldImage() {
    auto b = emptyImage();
    const std::vector<fx::ChannelFields> order = {channel("Zeta", 8, 11000), channel("Alpha", 1, 11100),
                                                channel("Echo", 5, 11200), channel("Bravo", 2, 11300),
                                                channel("Hotel", 9, 11400), channel("Delta", 4, 11500),
                                                channel("Golf", 7, 11600)};
    for (std::size_t i = 0; i < order.size(); ++i)
        b.channel(i, order[i]);
    return b.build();
}

// After a rescan: scan order, "Bravo" renamed, "Hotel" gone, "Golf" under a new service ID,
// two new channels; list 1 "Fav" holds two of them.
fx::ImageBytes rescannedImage() {
    auto b = emptyImage();
    b.listCount(1).listName(1, "Fav");
    fx::ChannelFields echo = channel("Echo", 5, 11190);
    echo.listPositions[0] = 1;
    fx::ChannelFields alpha = channel("Alpha", 1, 11104);
    alpha.listPositions[0] = 2;
    b.channel(0, channel("New One", 20, 12000)).channel(1, alpha).channel(2, channel("Bravo HD", 2, 11296));
    b.channel(3, channel("Delta", 4, 11510)).channel(4, echo).channel(5, channel("Golf", 70, 11600));
    b.channel(6, channel("New Two", 21, 12100)).channel(7, channel("Zeta", 8, 11000));
    return b.build();
}

const Names kRescanOrder = {"New One", "Alpha", "Bravo HD", "Delta", "Echo", "Golf", "New Two", "Zeta"};

std::unique_ptr<app::WindowViews> realViews(app::MainWindow& window) { return app::makeWindowViews(window); }

struct Editor {
    explicit Editor(const fx::ImageBytes& image) {
        box.makeViews = realViews;
        path = box.writeFile("now.dsp", image);
        box.seedEarlierRun({path.string()});
        window = box.makeWindow();
        loaded = runPendingOpen(*window) && window->databaseLoaded();
        views = window->views();
        if (views)
            views->applyTreeSelection();  // the first selection after start is swallowed
        commands = window->referenceCommands();
    }

    ChannelDatabase& db() { return window->database(); }
    // Names in the order of the channel table: the receiver's order.
    Names tableOrder() {
        Names names;
        for (std::size_t slot = 0; slot < db().capacity(); ++slot)
            if (db().entry(slot).inUse())
                names.emplace_back(db().record(slot).name());
        return names;
    }
    Names names(std::span<const std::uint16_t> chosen) {
        Names out;
        for (auto slot : chosen)
            out.emplace_back(db().record(slot).name());
        return out;
    }
    void showList(int k) {
        QTreeWidget* tree = window->widgets().tree;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            if (views::classifyNode(tree->topLevelItem(i)) == TreeNode::favouriteList(k)) {
                tree->setCurrentItem(tree->topLevelItem(i));
                views->applyTreeSelection();
            }
    }

    Sandbox box;
    fs::path path;
    std::unique_ptr<app::MainWindow> window;
    bool loaded = false;
    views::ViewController* views = nullptr;
    reference_ui::ReferenceCommands* commands = nullptr;
};

// Runs `drive` on the modal dialog of type T once it is shown; `seen` tells whether it came.
template <typename T>
void whenShown(std::function<void(T&)> drive, bool& seen) {
    QTimer::singleShot(0, [drive, &seen] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        seen = dialog != nullptr;
        if (!dialog)
            return;
        drive(*dialog);
        // A failed check returns early from `drive`: the dialog still closes, so the test ends.
        if (dialog->isVisible())
            dialog->reject();
    });
}

// Every message box shown, answered with its escape answer.
struct CapturedBoxes {
    CapturedBoxes() {
        previous = widgets::setMessageBoxHandler([this](const widgets::MessageBoxRequest& r) {
            shown.push_back(r);
            return widgets::escapeAnswer(r.kind);
        });
    }
    ~CapturedBoxes() { widgets::setMessageBoxHandler(previous); }
    std::vector<widgets::MessageBoxRequest> shown;
    widgets::MessageBoxHandler previous;
};

QStringList childTexts(const QTreeWidgetItem* item, int column) {
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts << item->child(i)->text(column);
    return texts;
}

// A long list: 130 channels; every third one is in favourite list 1, in the opposite order.
fx::ImageBytes longImage() {
    auto b = emptyImage();
    b.listCount(1).listName(1, "Fav");
    for (std::uint16_t i = 0; i < 130; ++i) {
        fx::ChannelFields c = channel("Chan " + std::to_string(500 + i), static_cast<std::uint16_t>(i + 1),
                                    static_cast<std::uint16_t>(10800 + i * 10));
        if (i % 3 == 0)
            c.listPositions[0] = static_cast<std::uint16_t>(44 - i / 3);
        b.channel(i, c);
    }
    return b.build();
}

// Runs a poppler tool and returns its standard output; empty when it cannot run.
QString runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const fs::path& pdf) {
    const QString info = runTool(QStringLiteral("pdfinfo"), {QString::fromStdString(pdf.string())});
    for (const QString& line : info.split(u'\n'))
        if (line.startsWith(QStringLiteral("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

class ReferenceWindowTest : public QObject {
    Q_OBJECT

private slots:
    void orderingFromADatabaseReferenceIsOneUndoableStep();
    void theTargetFollowsTheShownFavouriteList();
    void aBadCsvSaysTheLineAndChangesNothing();
    void exportWritesTheShownViewInItsOrder();
    void aPdfOfTheShownViewHasItsPagesNamesAndListPositions();
    void duplicatesAreRemovedInOneStepWithTheirListPlaces();
    void aGroupChosenWholeIsRefusedAndNoDuplicatesIsSaid();
};

void ReferenceWindowTest::orderingFromADatabaseReferenceIsOneUndoableStep() {
    Editor e(rescannedImage());
    QVERIFY(e.loaded && e.commands);
    const fs::path reference = e.box.writeFile("old.dsp", oldImage());
    QCOMPARE(e.tableOrder(), kRescanOrder);
    QVERIFY(e.window->actions().orderLikeReference->isEnabled());
    QVERIFY(e.window->menus().edit->actions().contains(e.window->actions().orderLikeReference));
    QCOMPARE(e.window->actions().orderLikeReference->text(), QStringLiteral("&Order like a reference..."));

    widgets::ScriptedFileDialogs files;
    files.expect(widgets::FileDialogKind::Open, reference.string());
    bool seen = false;
    whenShown<reference_ui::OrderDialog>(
        [](reference_ui::OrderDialog& d) {
            QCOMPARE(d.targetBox()->currentData().toInt(), 0);  // the main list is shown
            QVERIFY(!d.buttons()->button(QDialogButtonBox::Ok)->isEnabled());
            d.browseButton()->click();
            QVERIFY(d.rebuildListsBox()->isEnabled());
            d.buttons()->button(QDialogButtonBox::Ok)->click();
        },
        seen);
    e.window->actions().orderLikeReference->trigger();
    QVERIFY(seen);
    QVERIFY2(files.done() && files.failures().empty(), files.report().c_str());

    const Names ordered = {"Zeta", "Alpha", "Echo", "Bravo HD", "Delta", "Golf", "New One", "New Two"};
    QCOMPARE(e.tableOrder(), ordered);
    QVERIFY(e.window->isModified());
    QCOMPARE(e.db().record(0).name(), std::string_view("Zeta"));  // moved into the first slot
    // The list shown is refilled: it holds what the database now holds.
    QCOMPARE(static_cast<std::size_t>(e.views->model().rows()), e.db().channelCount());

    reference_ui::OrderSummaryDialog* summary = e.commands->summaryDialog();
    QVERIFY(summary && summary->isVisible());
    const QString counts = summary->countsLabel()->text();
    QVERIFY2(counts.contains(QStringLiteral("Matched by service: 5")), qPrintable(counts));  // Zeta Alpha Echo Bravo Delta
    QVERIFY2(counts.contains(QStringLiteral("Matched by name: 1")), qPrintable(counts));     // Golf
    QVERIFY2(counts.contains(QStringLiteral("Not in the reference: 2")), qPrintable(counts));
    QVERIFY2(counts.contains(QStringLiteral("Reference channels found nowhere: 1")), qPrintable(counts));
    QVERIFY(!summary->detailsTree()->isVisible());
    summary->detailsButton()->click();
    QVERIFY(summary->detailsTree()->isVisible());
    QTreeWidget* details = summary->detailsTree();
    QCOMPARE(details->topLevelItemCount(), 2);
    QCOMPARE(childTexts(details->topLevelItem(0), 0), (QStringList{QStringLiteral("New One"), QStringLiteral("New Two")}));
    QCOMPARE(childTexts(details->topLevelItem(0), 4), (QStringList{QStringLiteral("20"), QStringLiteral("21")}));
    QCOMPARE(childTexts(details->topLevelItem(1), 0), QStringList{QStringLiteral("Hotel")});
    QCOMPARE(details->topLevelItem(1)->child(0)->text(2), QStringLiteral("11400 MHz"));

    // One step, named after the reference; undo brings the scan order back.
    app::UndoCommands& undo = e.window->undoCommands();
    QCOMPARE(undo.history().history().undoName(), std::string("Order like a reference: old.dsp"));
    undo.undo();
    QCOMPARE(e.tableOrder(), kRescanOrder);
    QVERIFY(!e.window->isModified());
    QVERIFY(!undo.history().history().canUndo());
    undo.redo();
    QCOMPARE(e.tableOrder(), ordered);
}

void ReferenceWindowTest::theTargetFollowsTheShownFavouriteList() {
    Editor e(rescannedImage());
    QVERIFY(e.loaded && e.commands);
    e.showList(1);
    // A CSV reference: the list "Fav" ordered Alpha before Echo; rebuilding lists is not offered.
    const fs::path csv = e.box.startFolder() / "fav.csv";
    std::ofstream(csv, std::ios::binary) << kReferenceCsvHeader << "\n1,Alpha,28,11100,H,1\n2,Echo,28,11200,H,5\n";
    bool seen = false;
    whenShown<reference_ui::OrderDialog>(
        [&csv](reference_ui::OrderDialog& d) {
            QCOMPARE(d.targetBox()->currentData().toInt(), 1);
            d.rebuildListsBox()->setChecked(true);
            d.fileBox()->setText(QString::fromStdString(csv.string()));
            QVERIFY(!d.rebuildListsBox()->isEnabled() && !d.rebuildListsBox()->isChecked());
            d.buttons()->button(QDialogButtonBox::Ok)->click();
        },
        seen);
    e.window->actions().orderLikeReference->trigger();
    QVERIFY(seen);
    ViewRequest list;
    list.list = 1;
    ViewSettings view;
    e.db().selectChannels(list, view);
    QCOMPARE(e.names(e.db().result()), (Names{"Alpha", "Echo"}));
    QCOMPARE(e.tableOrder(), kRescanOrder);  // the main list is untouched
    QVERIFY(e.commands->summaryDialog()->countsLabel()->text().contains(
        QStringLiteral("Favourite list Fav (2 channels before, 2 now)")));
}

void ReferenceWindowTest::aBadCsvSaysTheLineAndChangesNothing() {
    Editor e(rescannedImage());
    QVERIFY(e.loaded && e.commands);
    const fs::path csv = e.box.startFolder() / "bad.csv";
    std::ofstream(csv, std::ios::binary) << kReferenceCsvHeader << "\n1,Alpha,28,11100,H,1\n2,Echo,28,eleven,H,5\n";
    CapturedBoxes boxes;
    bool seen = false;
    whenShown<reference_ui::OrderDialog>(
        [&csv](reference_ui::OrderDialog& d) {
            d.fileBox()->setText(QString::fromStdString(csv.string()));
            d.buttons()->button(QDialogButtonBox::Ok)->click();
        },
        seen);
    e.window->actions().orderLikeReference->trigger();
    QVERIFY(seen);
    QCOMPARE(boxes.shown.size(), std::size_t{1});
    const std::string& text = boxes.shown[0].text;
    QVERIFY2(text.find("bad.csv") != std::string::npos && text.find("line 3") != std::string::npos, text.c_str());
    QVERIFY(boxes.shown[0].kind == widgets::kStopOk);
    QCOMPARE(e.tableOrder(), kRescanOrder);
    QVERIFY(!e.window->isModified());
    QVERIFY(!e.commands->summaryDialog());
    QCoreApplication::processEvents();
    QVERIFY(!e.window->undoCommands().history().history().canUndo());
}

void ReferenceWindowTest::aPdfOfTheShownViewHasItsPagesNamesAndListPositions() {
    Editor e(longImage());
    QVERIFY(e.loaded && e.commands);
    QVERIFY(e.window->menus().file->actions().contains(e.window->actions().exportPdf));
    QVERIFY(e.window->menus().file->actions().contains(e.window->actions().printView));
    QVERIFY(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty());

    // The main list: every channel, over several pages numbered "Page n of N".
    const fs::path mainPdf = e.box.startFolder() / "main.pdf";
    QVERIFY(e.commands->exportViewPdf(mainPdf.string()));
    const int pages = pdfPages(mainPdf);
    QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));
    const QString mainText = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"),
                                                                   QString::fromStdString(mainPdf.string()), QStringLiteral("-")});
    for (int i = 0; i < 130; ++i)
        QVERIFY2(mainText.contains(QStringLiteral("Chan %1").arg(500 + i)), qPrintable(QString::number(i)));
    QVERIFY(mainText.contains(QStringLiteral("now.dsp")));
    const QString pageWord = QString::fromStdString(e.window->text("PrintPage"));
    const QString ofWord = QString::fromStdString(e.window->text("PrintOf"));
    for (int p = 1; p <= pages; ++p)
        QVERIFY(mainText.contains(QStringLiteral("%1 %2 %3 %4").arg(pageWord).arg(p).arg(ofWord).arg(pages)));
    QVERIFY(!mainText.contains(QStringLiteral("%1 %2 %3").arg(pageWord).arg(pages + 1).arg(ofWord)));
    // Rows in the list's order: the first channel before the last.
    QVERIFY(mainText.indexOf(QStringLiteral("Chan 500")) < mainText.indexOf(QStringLiteral("Chan 629")));

    // Favourite list 1: its 44 channels in list order, each with its position, on fewer pages.
    e.showList(1);
    const fs::path listPdf = e.box.startFolder() / "list.pdf";
    QVERIFY(e.commands->exportViewPdf(listPdf.string()));
    const int listPages = pdfPages(listPdf);
    QVERIFY(listPages >= 1 && listPages < pages);
    const QString listText = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"),
                                                                   QString::fromStdString(listPdf.string()), QStringLiteral("-")});
    const QStringList lines = listText.split(u'\n');
    for (int k = 0; k < 44; ++k) {
        const QString name = QStringLiteral("Chan %1").arg(500 + 3 * k);
        const auto line = std::find_if(lines.begin(), lines.end(), [&](const QString& l) { return l.contains(name); });
        QVERIFY2(line != lines.end(), qPrintable(name));
        QVERIFY2(line->trimmed().startsWith(QString::number(44 - k) + QStringLiteral(" ")), qPrintable(*line));
    }
    QVERIFY(listText.indexOf(QStringLiteral("Chan 629")) < listText.indexOf(QStringLiteral("Chan 500")));
    QVERIFY(!listText.contains(QStringLiteral("Chan 501")));
    QVERIFY(listText.contains(QStringLiteral("%1 %2 %3 %4").arg(pageWord).arg(listPages).arg(ofWord).arg(listPages)));
    QVERIFY(!e.window->isModified());
}

void ReferenceWindowTest::exportWritesTheShownViewInItsOrder() {
    Editor e(rescannedImage());
    QVERIFY(e.loaded && e.commands);
    QVERIFY(e.window->menus().file->actions().contains(e.window->actions().exportView));
    for (int list : {0, 1}) {
        if (list)
            e.showList(list);
        const auto rows = e.views->model().rowSlots();
        const std::vector<std::uint16_t> shown(rows.begin(), rows.end());
        QVERIFY(shown.size() >= 2);
        const fs::path chosen = e.box.startFolder() / ("view" + std::to_string(list));  // no extension typed
        widgets::ScriptedFileDialogs files;
        files.expect(widgets::FileDialogKind::Save, chosen.string());
        e.window->actions().exportView->trigger();
        QVERIFY2(files.done() && files.failures().empty(), files.report().c_str());
        QCOMPARE(files.shown().at(0).defaultExtension, std::string("csv"));
        const fs::path written = fs::path(chosen.string() + ".csv");
        QVERIFY(fs::exists(written));
        const CsvReadResult read = readReferenceCsv(readText(written));
        QVERIFY2(read.ok(), read.error.c_str());
        Names readNames;
        for (const ReferenceChannel& c : read.list.channels)
            readNames.push_back(c.name);
        QCOMPARE(readNames, e.names(shown));
        QVERIFY(e.window->statusBar()->currentMessage().contains(QStringLiteral("written to")));
    }
    QVERIFY(!e.window->isModified());

    // A write that fails is said, not reported as done (the core tests keep an older file).
    CapturedBoxes boxes;
    widgets::ScriptedFileDialogs files;
    files.expect(widgets::FileDialogKind::Save, (e.box.startFolder() / "missing-folder" / "x.csv").string());
    e.window->actions().exportView->trigger();
    QCOMPARE(boxes.shown.size(), std::size_t{1});
    QVERIFY(boxes.shown[0].kind == widgets::kStopOk);
    QVERIFY2(boxes.shown[0].text.find("Unable to save file") != std::string::npos, boxes.shown[0].text.c_str());
    QVERIFY(!fs::exists(e.box.startFolder() / "missing-folder"));
}

namespace {

// A planted duplicate: "Sport" in slot 3 is the service of slot 1 (2 MHz off) and is what list
// 1 holds; two channels "News" of different services share a name on one satellite.
fx::ImageBytes duplicatesImage() {
    auto b = emptyImage();
    b.listCount(2).listName(1, "Fav").listName(2, "Kids");
    fx::ChannelFields copy = channel("Sport", 10, 11002);
    copy.listPositions = {2, 1};
    fx::ChannelFields member = channel("Movies", 11, 11500);
    member.listPositions[0] = 1;
    b.channel(0, member).channel(1, channel("Sport", 10, 11000)).channel(2, channel("News", 12, 11700));
    b.channel(3, copy).channel(4, channel("News", 13, 11900));
    return b.build();
}

} // namespace

void ReferenceWindowTest::duplicatesAreRemovedInOneStepWithTheirListPlaces() {
    Editor e(duplicatesImage());
    QVERIFY(e.loaded && e.commands);
    const std::size_t before = e.db().channelCount();
    bool seen = false;
    whenShown<reference_ui::DuplicatesWindow>(
        [](reference_ui::DuplicatesWindow& w) {
            QTreeWidget* tree = w.groupsTree();
            QCOMPARE(tree->topLevelItemCount(), 2);
            const QTreeWidgetItem* service = tree->topLevelItem(0)->child(0);
            // "Sport" also shares its name; its rows show the same choice in both sections.
            QCOMPARE(tree->topLevelItem(1)->childCount(), 2);
            const QTreeWidgetItem* sportName = tree->topLevelItem(1)->child(0);
            QCOMPARE(sportName->child(0)->checkState(0), Qt::Unchecked);
            QCOMPARE(sportName->child(1)->checkState(0), Qt::Checked);
            const QTreeWidgetItem* name = tree->topLevelItem(1)->child(1);
            QCOMPARE(childTexts(service, 1), (QStringList{QStringLiteral("Sport"), QStringLiteral("Sport")}));
            QCOMPARE(childTexts(service, 6), (QStringList{QString(), QStringLiteral("Fav, Kids")}));
            QCOMPARE(childTexts(service, 0), (QStringList{QStringLiteral("2"), QStringLiteral("4")}));
            QCOMPARE(service->child(0)->checkState(0), Qt::Unchecked);
            QCOMPARE(service->child(1)->checkState(0), Qt::Checked);
            QCOMPARE(childTexts(name, 5), (QStringList{QStringLiteral("12"), QStringLiteral("13")}));
            QCOMPARE(name->child(0)->checkState(0), Qt::Unchecked);
            QCOMPARE(name->child(1)->checkState(0), Qt::Unchecked);
            // Asked first: No keeps every channel.
            w.removeButton()->click();
            QCOMPARE(tree->topLevelItemCount(), 2);
            w.removeButton()->click();
            // Found again: only the two "News" are left.
            QCOMPARE(w.groupsTree()->topLevelItemCount(), 1);
            QVERIFY(w.groups().services.empty());
            QCOMPARE(w.groups().names.size(), std::size_t{1});
            w.reject();
        },
        seen);
    widgets::ScriptedMessageBoxes boxes;
    const std::string question = e.window->text("MsgRemoveDuplicates") + " 1";
    boxes.expect(question, "Find duplicates", widgets::kQuestionYesNo, widgets::MessageAnswer::No);
    boxes.expect(question, "Find duplicates", widgets::kQuestionYesNo, widgets::MessageAnswer::Yes);
    e.window->actions().findDuplicates->trigger();
    QVERIFY(seen);
    QVERIFY2(boxes.done() && boxes.failures().empty(), boxes.report().c_str());
    QCOMPARE(e.db().channelCount(), before - 1);
    QVERIFY(!e.db().entry(3).inUse());
    // The kept "Sport" took both list places of the removed one.
    QCOMPARE(e.db().record(1).listPosition(1), std::uint16_t{2});
    QCOMPARE(e.db().record(1).listPosition(2), std::uint16_t{1});
    QVERIFY(e.window->isModified());
    QCOMPARE(static_cast<std::size_t>(e.views->model().rows()), before - 1);

    app::UndoCommands& undo = e.window->undoCommands();
    QCOMPARE(undo.history().history().undoName(), std::string("Remove duplicates: 1"));
    undo.undo();
    QCOMPARE(e.db().channelCount(), before);
    QVERIFY(e.db().entry(3).inUse());
    QCOMPARE(e.db().record(3).listPosition(1), std::uint16_t{2});
    QCOMPARE(e.db().record(1).listPosition(1), std::uint16_t{0});
    QVERIFY(!undo.history().history().canUndo());
}

void ReferenceWindowTest::aGroupChosenWholeIsRefusedAndNoDuplicatesIsSaid() {
    Editor e(duplicatesImage());
    QVERIFY(e.loaded);
    CapturedBoxes boxes;
    reference_ui::DuplicatesWindow window(e.db(), e.window->displayTexts(), {}, e.window.get());
    window.setChosen(1, true);  // both "Sport" now
    QCOMPARE(window.chosenSlots(), (std::vector<std::uint16_t>{1, 3}));
    QVERIFY(!window.removeChosen());
    QCOMPARE(boxes.shown.size(), std::size_t{1});
    QVERIFY2(boxes.shown[0].text.find("\"Sport\"") != std::string::npos, boxes.shown[0].text.c_str());
    QVERIFY(e.db().entry(1).inUse() && e.db().entry(3).inUse());
    window.setChosen(1, false);
    window.setChosen(3, false);
    QVERIFY(!window.removeChosen());  // nothing chosen
    QCOMPARE(boxes.shown.size(), std::size_t{2});
    QVERIFY(!e.window->isModified());

    Editor clean(rescannedImage());
    QVERIFY(clean.loaded);
    reference_ui::DuplicatesWindow none(clean.db(), clean.window->displayTexts(), {}, clean.window.get());
    QVERIFY(none.summaryLabel()->text().startsWith(QStringLiteral("No duplicates")));
    QVERIFY(!none.removeButton()->isEnabled());
}

QTEST_MAIN(ReferenceWindowTest)
#include "window_commands_test.moc"
