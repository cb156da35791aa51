// The views of the main window with a full table of 8000 channels: what a user waits for after
// choosing a tree node (once the 568 ms debounce is over) and after clicking a column header.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <memory>

#include "views_test_support.h"

using namespace cs;
using namespace cs::viewtest;

namespace {

constexpr int kChannels = 8000;

// Made on first use, dropped before the application object goes.
std::unique_ptr<Harness> shared;

Harness& harness() {
    if (!shared) {
        shared = std::make_unique<Harness>();
        shared->window.show();
        SmallDatabase d;
        d.channels = kChannels;
        d.listMembers = 500;
        if (!shared->open(smallDatabase(d)) || shared->rows() != kChannels)
            std::abort();
    }
    return *shared;
}

// A tree selection applied after its debounce: the view's channels are selected and the list refilled.
void BM_TreeSelectionRefill(benchmark::State& state) {
    Harness& h = harness();
    QTreeWidgetItem* main = h.builder().mainListNode();
    for (auto _ : state) {
        h.views->treeSelectionChanged(main);
        h.views->applyTreeSelection();
        benchmark::DoNotOptimize(h.rows());
    }
    if (h.rows() != kChannels)
        state.SkipWithError("the main list did not show every channel");
    state.counters["rows"] = h.rows();
}
BENCHMARK(BM_TreeSelectionRefill)->Unit(benchmark::kMillisecond);

// The same, until the list has painted its visible rows.
void BM_TreeSelectionRefillAndPaint(benchmark::State& state) {
    Harness& h = harness();
    QTreeWidgetItem* main = h.builder().mainListNode();
    for (auto _ : state) {
        h.views->treeSelectionChanged(main);
        h.views->applyTreeSelection();
        h.list->viewport()->repaint();
    }
    state.counters["rows"] = h.rows();
}
BENCHMARK(BM_TreeSelectionRefillAndPaint)->Unit(benchmark::kMillisecond);

// A click on a column header: the rows are sorted and the order written back to the view.
void BM_ColumnSort(benchmark::State& state) {
    Harness& h = harness();
    h.select(h.builder().mainListNode());
    const int column = static_cast<int>(state.range(0)) - 1;  // logical column, numbering off
    for (auto _ : state) {
        h.views->sortByColumn(column);  // each click reverses the last one
        benchmark::DoNotOptimize(h.model().slotAt(0));
    }
    state.counters["rows"] = h.rows();
}
BENCHMARK(BM_ColumnSort)
    ->Arg(views::kColName)
    ->Arg(views::kColFrequency)
    ->Arg(views::kColProvider)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    shared.reset();
    return 0;
}
