// File > Compare with... and Help > File information in a main window with its real views,
// offscreen: the groups with their counts and how each channel was matched, taking a removed
// channel back as one undo step and undoing it, a double-click selecting the channel in the
// list, a file that is no database, and the numbers and chart of the file information.
#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QTreeWidget>

#include "app/undo_commands.h"
#include "app/window_views.h"
#include "app_test_support.h"
#include "compare/compare_window.h"
#include "compare/file_info_window.h"
#include "compare/satellite_chart.h"
#include "fixtures/image_builder.h"
#include "views/channel_list_model.h"
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

fx::ChannelFields channel(std::string name, std::uint16_t sid, std::uint16_t frequency, std::uint8_t satellite = 28) {
    fx::ChannelFields s;
    s.name = std::move(name);
    s.serviceId = sid;
    s.satellite = satellite;
    s.frequency = frequency;
    return s;
}

// The user's list before: five channels.
fx::ImageBytes before() {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.defaultSatellites();
    b.channel(0, channel("Alpha", 1, 11000)).channel(1, channel("Bravo", 2, 11100)).channel(2, channel("Charlie", 3, 11200));
    b.channel(3, channel("Delta", 4, 11300)).channel(4, channel("Echo", 5, 11400, 19));
    return b.build();
}

// What the receiver holds now: Charlie gone, Bravo renamed, Echo under a new service ID (found
// by its name), a new channel at the end.
fx::ImageBytes after() {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.defaultSatellites();
    b.channel(0, channel("Alpha", 1, 11000)).channel(1, channel("Bravo HD", 2, 11100)).channel(2, channel("Delta", 4, 11300));
    b.channel(3, channel("Echo", 50, 11400, 19)).channel(4, channel("Foxtrot", 6, 11500));
    return b.build();
}

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
            views->applyTreeSelection();
    }
    ChannelDatabase& db() { return window->database(); }
    Names tableOrder() {
        Names names;
        for (std::size_t slot = 0; slot < db().capacity(); ++slot)
            if (db().entry(slot).inUse())
                names.emplace_back(db().record(slot).name());
        return names;
    }
    Sandbox box;
    fs::path path;
    std::unique_ptr<app::MainWindow> window;
    bool loaded = false;
    views::ViewController* views = nullptr;
};

template <typename T>
void whenShown(std::function<void(T&)> drive, bool& seen) {
    QTimer::singleShot(0, [drive, &seen] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        seen = dialog != nullptr;
        if (!dialog)
            return;
        drive(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

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
    for (int i = 0; item && i < item->childCount(); ++i)
        texts << item->child(i)->text(column);
    return texts;
}

} // namespace

class CompareWindowTest : public QObject {
    Q_OBJECT

private slots:
    void aRemovedChannelIsTakenBackInOneStepAndUndone();
    void doubleClickSelectsTheChannelInTheList();
    void aFileThatIsNoDatabaseIsNamed();
    void fileInformationShowsTheNumbersAndTheChart();
    void aDatabaseDroppedWithCtrlIsCompared();
};

void CompareWindowTest::aRemovedChannelIsTakenBackInOneStepAndUndone() {
    Editor e(after());
    QVERIFY(e.loaded);
    const fs::path old = e.box.writeFile("before.dsp", before());
    const Names now = {"Alpha", "Bravo HD", "Delta", "Echo", "Foxtrot"};
    QCOMPARE(e.tableOrder(), now);
    QAction* compare = e.window->actions().compareWith;
    QVERIFY(compare->isEnabled());
    QVERIFY(e.window->menus().file->actions().contains(compare));
    QCOMPARE(compare->text(), QStringLiteral("Compare &with..."));

    widgets::ScriptedFileDialogs files;
    files.expect(widgets::FileDialogKind::Open, old.string());
    bool seen = false;
    whenShown<compare_ui::CompareWindow>(
        [&e](compare_ui::CompareWindow& w) {
            QTreeWidget* tree = w.tree();
            QVERIFY(w.headline()->text().contains(QStringLiteral("before.dsp")));
            QVERIFY(w.group(ChannelChange::Removed));
            QCOMPARE(w.group(ChannelChange::Removed)->text(0), QStringLiteral("Only in the other file (1)"));
            QCOMPARE(w.group(ChannelChange::Added)->text(0), QStringLiteral("New in this file (1)"));
            QCOMPARE(w.group(ChannelChange::Renamed)->text(0), QStringLiteral("Renamed (1)"));
            QCOMPARE(w.group(ChannelChange::Changed)->text(0), QStringLiteral("Changed (1)"));
            QVERIFY(!w.group(ChannelChange::Moved));
            QCOMPARE(childTexts(w.group(ChannelChange::Renamed), 4), QStringList{QStringLiteral("service identity")});
            QCOMPARE(childTexts(w.group(ChannelChange::Changed), 4), QStringList{QStringLiteral("unique name on the satellite")});
            QCOMPARE(childTexts(w.group(ChannelChange::Changed), 3), QStringList{QStringLiteral("other fields")});
            QCOMPARE(childTexts(w.group(ChannelChange::Removed), 0), QStringList{QStringLiteral("Charlie")});

            // Charlie comes back, behind Bravo HD where it stood after Bravo.
            tree->clearSelection();
            w.group(ChannelChange::Removed)->child(0)->setSelected(true);
            QVERIFY(w.takeChosen());
            QCOMPARE(e.tableOrder(), (Names{"Alpha", "Bravo HD", "Charlie", "Delta", "Echo", "Foxtrot"}));
            QVERIFY(!w.group(ChannelChange::Removed));
            QCOMPARE(w.group(ChannelChange::Added)->text(0), QStringLiteral("New in this file (1)"));
            // The list shown holds it too.
            QCOMPARE(e.views->model().rows(), 6);
        },
        seen);
    compare->trigger();
    QVERIFY(seen);
    QVERIFY2(files.done() && files.failures().empty(), files.report().c_str());

    app::UndoCommands& undo = e.window->undoCommands();
    QCOMPARE(undo.history().history().undoName(), std::string("Take from before.dsp"));
    QVERIFY(e.window->isModified());
    undo.undo();
    QCOMPARE(e.tableOrder(), now);
    QVERIFY(!e.window->isModified());
    QVERIFY(!undo.history().history().canUndo());
    undo.redo();
    QCOMPARE(e.tableOrder(), (Names{"Alpha", "Bravo HD", "Charlie", "Delta", "Echo", "Foxtrot"}));
}

void CompareWindowTest::doubleClickSelectsTheChannelInTheList() {
    Editor e(after());
    QVERIFY(e.loaded);
    const fs::path old = e.box.writeFile("before.dsp", before());
    const compare_ui::OtherDatabase other = compare_ui::openOtherDatabase(old.string());
    QVERIFY(other.database);
    compare_ui::CompareHost host;
    host.text = [&e](std::string_view key) { return e.window->text(key); };
    std::vector<std::uint16_t> selected;
    host.selectChannel = [&selected](std::uint16_t slot) {
        selected.push_back(slot);
        return true;
    };
    compare_ui::CompareWindow w(host, e.db(), other.database, old.string(), nullptr);
    QTreeWidgetItem* renamed = w.group(ChannelChange::Renamed)->child(0);
    emit w.tree()->itemDoubleClicked(renamed, 0);
    QCOMPARE(selected, std::vector<std::uint16_t>{1});  // Bravo HD's slot in the shown file
    // A removed channel has no slot here: nothing to select.
    emit w.tree()->itemDoubleClicked(w.group(ChannelChange::Removed)->child(0), 0);
    QCOMPARE(selected.size(), std::size_t{1});
    // Nothing takeable chosen: said, nothing changes.
    CapturedBoxes boxes;
    w.chooseEntries({});
    QVERIFY(!w.takeChosen());
    QCOMPARE(boxes.shown.size(), std::size_t{1});
    QVERIFY(!e.window->isModified());

    // Through the main window's own host: the row of the channel is selected in the list.
    bool seen = false;
    widgets::ScriptedFileDialogs files;
    files.expect(widgets::FileDialogKind::Open, old.string());
    whenShown<compare_ui::CompareWindow>(
        [&e](compare_ui::CompareWindow& cw) {
            emit cw.tree()->itemDoubleClicked(cw.group(ChannelChange::Added)->child(0), 0);
            QTableView* list = e.window->widgets().channelList;
            const QModelIndexList rows = list->selectionModel()->selectedRows();
            QCOMPARE(rows.size(), 1);
            QCOMPARE(e.views->model().slotAt(rows.front().row()), std::uint16_t{4});  // Foxtrot
        },
        seen);
    e.window->actions().compareWith->trigger();
    QVERIFY(seen);
}

void CompareWindowTest::aFileThatIsNoDatabaseIsNamed() {
    Editor e(after());
    QVERIFY(e.loaded);
    const fs::path text = e.box.startFolder() / "notes.dsp";
    std::ofstream(text) << "no database";
    CapturedBoxes boxes;
    widgets::ScriptedFileDialogs files;
    files.expect(widgets::FileDialogKind::Open, text.string());
    e.window->actions().compareWith->trigger();
    QCOMPARE(boxes.shown.size(), std::size_t{1});
    QVERIFY2(boxes.shown[0].text.find("notes.dsp is not a valid format") != std::string::npos, boxes.shown[0].text.c_str());
    QVERIFY(!e.window->isModified());
}

void CompareWindowTest::fileInformationShowsTheNumbersAndTheChart() {
    Editor e(after());
    QVERIFY(e.loaded);
    QAction* info = e.window->actions().fileInformation;
    QVERIFY(info->isEnabled());
    QVERIFY(e.window->menus().help->actions().contains(info));
    bool seen = false;
    whenShown<compare_ui::FileInfoWindow>(
        [](compare_ui::FileInfoWindow& w) {
            QCOMPARE(w.valueOf("FileInfoUsed"), QStringLiteral("5"));
            QCOMPARE(w.valueOf("FileInfoCapacity"), QStringLiteral("4000"));
            QCOMPARE(w.valueOf("FileInfoFree"), QStringLiteral("3995"));
            QCOMPARE(w.valueOf("FileInfoTv"), QStringLiteral("5"));
            QCOMPARE(w.valueOf("FileInfoSettingsCheck"), QStringLiteral("passed"));
            const auto& bars = w.chart()->bars();
            QCOMPARE(bars.size(), std::size_t{2});
            QCOMPARE(bars[0].second, std::size_t{1});  // satellite 19: Echo
            QCOMPARE(bars[1].second, std::size_t{4});  // satellite 28
            QVERIFY(w.chart()->sizeHint().height() > 0);
            QVERIFY(!w.chart()->grab().isNull());
        },
        seen);
    info->trigger();
    QVERIFY(seen);

    // The status bar's file panel, double-clicked, opens the same window.
    seen = false;
    whenShown<compare_ui::FileInfoWindow>([](compare_ui::FileInfoWindow& w) { QCOMPARE(w.valueOf("FileInfoUsed"), QStringLiteral("5")); },
                                          seen);
    QTest::mouseDClick(e.window->widgets().filePanel, Qt::LeftButton);
    QVERIFY(seen);
}

void CompareWindowTest::aDatabaseDroppedWithCtrlIsCompared() {
    Editor e(after());
    QVERIFY(e.loaded);
    const fs::path old = e.box.writeFile("before.dsp", before());
    auto drop = [&e, &old](Qt::KeyboardModifiers modifiers) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(old.string()))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(e.window.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(e.window.get(), &event);
    };
    bool seen = false;
    whenShown<compare_ui::CompareWindow>(
        [](compare_ui::CompareWindow& cw) { QCOMPARE(cw.group(ChannelChange::Renamed)->childCount(), 1); }, seen);
    drop(Qt::ControlModifier);
    QVERIFY(seen);
    QCOMPARE(e.window->currentFileName(), e.window->pendingFileName());  // nothing was opened

    // Without Ctrl the same drop opens the file, as it always did.
    drop(Qt::NoModifier);
    QCOMPARE(e.window->pendingFileName(), old.string());
}

QTEST_MAIN(CompareWindowTest)
#include "compare_window_test.moc"
