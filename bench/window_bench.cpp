// The main window with its real views on the demo database, as a user meets it: each step is
// measured from the user's input until the window has handled every event it caused, painting
// included (the offscreen platform paints into its backing store as a screen would).
//   build/bin/bench_window --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdlib>
#include <memory>

#include "app_test_support.h"
#include "views/view_controller.h"

using namespace cs;
using namespace cs::apptest;

namespace {

// Counts the paints of a widget, so that a step that painted nothing is reported, not timed.
class PaintCounter final : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

std::unique_ptr<app::MainWindow> windowWithDemo(Sandbox& box) {
    box.makeViews = [](app::MainWindow& w) { return app::makeWindowViews(w); };
    const fs::path file = box.writeFile("demo.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()});
    return box.makeWindow();
}

void settle() { QCoreApplication::processEvents(); }

// Handles events until `counter` saw a paint after `before` paints (the platform may hold an update
// back for its frame timer, which belongs to what the user waits for); false when none came
// within a second.
bool settleUntilPainted(const PaintCounter& counter, int before) {
    QElapsedTimer waited;
    waited.start();
    while (counter.paints == before && waited.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    QCoreApplication::processEvents();
    return counter.paints != before;
}

struct OpenWindow {
    Sandbox box;
    std::unique_ptr<app::MainWindow> window = windowWithDemo(box);
    PaintCounter listPaints;
    PaintCounter headerPaints;

    OpenWindow() {
        if (!runPendingOpen(*window) || !window->databaseLoaded())
            std::abort();
        list()->viewport()->installEventFilter(&listPaints);
        list()->horizontalHeader()->viewport()->installEventFilter(&headerPaints);
        settle();
    }
    ~OpenWindow() {
        list()->viewport()->removeEventFilter(&listPaints);
        list()->horizontalHeader()->viewport()->removeEventFilter(&headerPaints);
    }

    QTableView* list() const { return window->widgets().channelList; }
    views::ViewController& views() const { return *window->views(); }
};

// Made on first use, dropped before the application object goes.
std::unique_ptr<OpenWindow> shared;

OpenWindow& openWindow() {
    if (!shared)
        shared = std::make_unique<OpenWindow>();
    return *shared;
}

bool repainted(benchmark::State& state, const PaintCounter& counter, int before) {
    if (settleUntilPainted(counter, before))
        return true;
    state.SkipWithError("the list was not repainted");
    return false;
}

// A click on a column header (each click reverses the last one).
void BM_ColumnClick(benchmark::State& state) {
    OpenWindow& w = openWindow();
    QHeaderView* header = w.list()->horizontalHeader();
    const int column = static_cast<int>(state.range(0));
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    for (auto _ : state) {
        const int before = w.listPaints.paints;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        if (!repainted(state, w.listPaints, before))
            break;
    }
    state.counters["rows"] = w.list()->model()->rowCount();
}
BENCHMARK(BM_ColumnClick)->Arg(0)->Arg(3)->Arg(10)->Unit(benchmark::kMillisecond);

// A click on the TV / radio filter button (all, TV, radio in turn).
void BM_FilterChange(benchmark::State& state) {
    OpenWindow& w = openWindow();
    QToolButton* button = w.window->widgets().filterBar->tvRadio();
    for (auto _ : state) {
        const int before = w.listPaints.paints;
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
        if (!repainted(state, w.listPaints, before))
            break;
    }
    state.counters["rows"] = w.list()->model()->rowCount();
}
BENCHMARK(BM_FilterChange)->Unit(benchmark::kMillisecond);

// A change of the tree's node (the main list and a satellite in turn) until the list is filled and
// repainted, less the debounce: its timer is fired at once.
void BM_TreeClickLessDebounce(benchmark::State& state) {
    OpenWindow& w = openWindow();
    QTreeWidget* tree = w.window->widgets().tree;
    tree->expandAll();
    QTreeWidgetItem* nodes[2] = {tree->topLevelItem(0), nullptr};
    for (QTreeWidgetItemIterator it(tree); *it && !nodes[1]; ++it)
        if (const auto c = views::classifyNode(*it); c && c->isSatellite())
            nodes[1] = *it;
    if (!nodes[1]) {
        state.SkipWithError("no satellite node");
        return;
    }
    // The window's first applied selection is the one the tree reported while it was built,
    // which is swallowed; the program's debounce timer has used it up by the time a user clicks.
    w.views().applyTreeSelection();
    settle();
    for (auto _ : state) {
        const int before = w.listPaints.paints;
        tree->setCurrentItem(tree->currentItem() == nodes[0] ? nodes[1] : nodes[0]);  // as a click would
        if (!w.views().selectionPending()) {
            state.SkipWithError("the click did not select a node");
            break;
        }
        w.views().treeSelectionDebounce().stop();
        w.views().applyTreeSelection();
        if (!repainted(state, w.listPaints, before))
            break;
    }
    state.counters["rows"] = w.list()->model()->rowCount();
}
BENCHMARK(BM_TreeClickLessDebounce)->Unit(benchmark::kMillisecond);

// A choice in the language menu, until the window is repainted in it.
void BM_LanguageSwitch(benchmark::State& state) {
    OpenWindow& w = openWindow();
    const int languages = static_cast<int>(w.window->languages().size());
    int index = 0;
    for (auto _ : state) {
        index = (index + 1) % languages;
        const int before = w.headerPaints.paints;
        w.window->selectLanguage(index);
        if (!repainted(state, w.headerPaints, before))
            break;
    }
    w.window->selectLanguage(0);
    state.counters["languages"] = languages;
}
BENCHMARK(BM_LanguageSwitch)->Unit(benchmark::kMillisecond);

// A new window to its painted, filled list: construction, show, the deferred open (run at once,
// not after its 100 ms) and the paints. The process start and the library loading are not in it.
void BM_NewWindowToFilledList(benchmark::State& state) {
    openWindow();  // the shared window stays; this one comes and goes
    for (auto _ : state) {
        state.PauseTiming();
        auto box = std::make_unique<Sandbox>();
        box->makeViews = [](app::MainWindow& w) { return app::makeWindowViews(w); };
        const fs::path file = box->writeFile("demo.dsp", Sandbox::demo());
        box->seedEarlierRun({file.string()});
        state.ResumeTiming();
        auto window = box->makeWindow();
        PaintCounter listPaints;
        window->widgets().channelList->viewport()->installEventFilter(&listPaints);
        settle();
        const int before = listPaints.paints;
        if (!runPendingOpen(*window)) {
            state.SkipWithError("no deferred open");
            break;
        }
        if (!repainted(state, listPaints, before))
            break;
        window->widgets().channelList->viewport()->removeEventFilter(&listPaints);
        state.PauseTiming();
        window.reset();
        box.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_NewWindowToFilledList)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    shared.reset();
    benchmark::Shutdown();
    return 0;
}
