// The main window with its real views on the demo database, as a user meets it: each step is
// measured from the user's input until the window has handled every event it caused, painting
// included (the offscreen platform paints into its backing store like a real screen).
//   QT_QPA_PLATFORM=offscreen build/bin/bench_window --benchmark_repetitions=9 \
//       --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <QApplication>
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

struct OpenWindow {
    Sandbox box;
    std::unique_ptr<app::MainWindow> window;
    PaintCounter listPaints;

    OpenWindow() {
        box.makeViews = [](app::MainWindow& w) { return app::makeWindowViews(w); };
        const fs::path file = box.writeFile("demo.dsp", Sandbox::demo());
        box.seedEarlierRun({file.string()});
        window = box.makeWindow();
        if (!runPendingOpen(*window) || !window->databaseLoaded())
            std::abort();
        list()->viewport()->installEventFilter(&listPaints);
        settle();
    }
    ~OpenWindow() { list()->viewport()->removeEventFilter(&listPaints); }

    QTableView* list() const { return window->widgets().channelList; }
    views::ViewController& views() const { return *dynamic_cast<views::ViewController*>(window->views()); }
    static void settle() { QCoreApplication::processEvents(); }
};

// Made on first use, dropped before the application object goes.
std::unique_ptr<OpenWindow> shared;

OpenWindow& openWindow() {
    if (!shared)
        shared = std::make_unique<OpenWindow>();
    return *shared;
}

void reportUnpainted(benchmark::State& state, const OpenWindow& w, int paintsBefore) {
    if (w.listPaints.paints - paintsBefore < static_cast<int>(state.iterations()))
        state.SkipWithError("the list was not repainted after each step");
    state.counters["rows"] = w.list()->model()->rowCount();
}

// A click on a column header (each click reverses the last one), until repainted.
void BM_ColumnClick(benchmark::State& state) {
    OpenWindow& w = openWindow();
    QHeaderView* header = w.list()->horizontalHeader();
    const int column = static_cast<int>(state.range(0));
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    const int before = w.listPaints.paints;
    for (auto _ : state) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        OpenWindow::settle();
    }
    reportUnpainted(state, w, before);
}
BENCHMARK(BM_ColumnClick)->Arg(0)->Arg(3)->Arg(10)->Unit(benchmark::kMillisecond);

// A click on the TV / radio filter button (all, TV, radio in turn), until repainted.
void BM_FilterChange(benchmark::State& state) {
    OpenWindow& w = openWindow();
    QToolButton* button = w.window->widgets().filterBar->tvRadio();
    const int before = w.listPaints.paints;
    for (auto _ : state) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
        OpenWindow::settle();
    }
    reportUnpainted(state, w, before);
}
BENCHMARK(BM_FilterChange)->Unit(benchmark::kMillisecond);

// A click on a tree node (the main list and the first satellite in turn) until the list is
// filled and repainted, without the debounce's wait: its timer is fired at once.
void BM_TreeClickWithoutDebounce(benchmark::State& state) {
    OpenWindow& w = openWindow();
    QTreeWidget* tree = w.window->widgets().tree;
    QTreeWidgetItem* nodes[2] = {tree->topLevelItem(0), nullptr};
    for (int i = 0; i < tree->topLevelItemCount() && !nodes[1]; ++i)
        if (const auto c = views::classifyNode(tree->topLevelItem(i)); c && c->satellite > 0)
            nodes[1] = tree->topLevelItem(i);
    for (int i = 0; i < tree->topLevelItemCount() && !nodes[1]; ++i)
        if (tree->topLevelItem(i)->childCount() > 0)
            nodes[1] = tree->topLevelItem(i)->child(0);
    if (!nodes[1]) {
        state.SkipWithError("no second node");
        return;
    }
    tree->expandAll();
    OpenWindow::settle();
    int which = 0;
    const int before = w.listPaints.paints;
    for (auto _ : state) {
        which ^= 1;
        const QRect r = tree->visualItemRect(nodes[which]);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, r.center());
        if (!w.views().selectionPending()) {
            state.SkipWithError("the click did not select a node");
            break;
        }
        w.views().treeSelectionDebounce().stop();
        w.views().applyTreeSelection();
        OpenWindow::settle();
    }
    reportUnpainted(state, w, before);
}
BENCHMARK(BM_TreeClickWithoutDebounce)->Unit(benchmark::kMillisecond);

// A choice in the language menu, until the window is repainted in it.
void BM_LanguageSwitch(benchmark::State& state) {
    OpenWindow& w = openWindow();
    const int languages = static_cast<int>(w.window->languages().size());
    int index = 0;
    for (auto _ : state) {
        index = (index + 1) % languages;
        w.window->selectLanguage(index);
        OpenWindow::settle();
    }
    w.window->selectLanguage(0);
    state.counters["languages"] = languages;
}
BENCHMARK(BM_LanguageSwitch)->Unit(benchmark::kMillisecond);

// A new window to its painted list: construction, show, the deferred open (run at once here,
// not after its 100 ms) and the paint of the filled list. The process start is not part of it.
void BM_NewWindowToFilledList(benchmark::State& state) {
    openWindow();  // the shared window stays; this one comes and goes
    for (auto _ : state) {
        Sandbox box;
        box.makeViews = [](app::MainWindow& w) { return app::makeWindowViews(w); };
        const fs::path file = box.writeFile("demo.dsp", Sandbox::demo());
        box.seedEarlierRun({file.string()});
        auto window = box.makeWindow();
        OpenWindow::settle();
        if (!runPendingOpen(*window))
            state.SkipWithError("no deferred open");
        OpenWindow::settle();
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_NewWindowToFilledList)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    shared.reset();
    benchmark::Shutdown();
    return 0;
}
