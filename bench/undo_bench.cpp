// Undo on the demo database (8000 slots, about 6000 channels) with the views in a host window
// offscreen: recording the step of the largest change (erasing every channel of the main list)
// and of renaming one channel, with the memory each step keeps, and undoing the largest step
// with the tree and the list refilled.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <memory>

#include "views_test_support.h"

#include "fixtures/image_builder.h"
#include "undo/database_undo.h"

using namespace cs;
using namespace cs::viewtest;

namespace {

struct Bench {
    void open() {
        static const fixtures::ImageBytes demo = fixtures::demoDatabase();
        if (!h.open(demo))
            std::abort();
        h.select(h.builder().mainListNode());
        undo.restart();
    }
    // Erases every channel of the main list, as the tree's erase command does.
    void eraseAll() {
        if (h.db.deleteSatelliteChannels(0, h.views->viewSettings()) == 0)
            std::abort();
    }
    Harness h;
    undo::DatabaseUndo undo{h.db};
};

std::unique_ptr<Bench> shared;
Bench& bench() {
    if (!shared)
        shared = std::make_unique<Bench>();
    return *shared;
}

void BM_RecordEraseEveryChannel(benchmark::State& state) {
    Bench& b = bench();
    std::size_t channels = 0;
    for (auto _ : state) {
        state.PauseTiming();
        b.open();
        channels = b.h.db.channelCount();
        b.eraseAll();
        state.ResumeTiming();
        if (!b.undo.record("Erase"))
            std::abort();
    }
    state.counters["channels"] = static_cast<double>(channels);
    state.counters["step KB"] = static_cast<double>(b.undo.history().memoryBytes()) / 1024.0;
}
BENCHMARK(BM_RecordEraseEveryChannel)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_RecordRenameOneChannel(benchmark::State& state) {
    Bench& b = bench();
    b.open();
    const std::uint16_t slot = b.h.model().slotAt(100);
    // Absorb the display order put together by the first selection.
    b.undo.record("Open");
    std::size_t steps = 0;
    std::size_t bytesBefore = 0;
    std::size_t stepBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        b.h.db.record(slot).setName(steps % 2 ? "Renamed A" : "Renamed B");
        bytesBefore = b.undo.history().memoryBytes();
        const bool dropsOldest = b.undo.history().size() == undo::kMaxSteps;
        state.ResumeTiming();
        if (!b.undo.record({}))
            std::abort();
        if (!dropsOldest)
            stepBytes = b.undo.history().memoryBytes() - bytesBefore;
        ++steps;
    }
    state.counters["step bytes"] = static_cast<double>(stepBytes);
}
BENCHMARK(BM_RecordRenameOneChannel)->Unit(benchmark::kMicrosecond);

void BM_UndoEraseEveryChannelWithRefill(benchmark::State& state) {
    Bench& b = bench();
    for (auto _ : state) {
        state.PauseTiming();
        b.open();
        b.eraseAll();
        b.undo.record("Erase");
        b.h.views->rebuildTree();
        b.h.views->fillChannelList();
        state.ResumeTiming();
        if (!b.undo.undo())
            std::abort();
        b.h.views->rebuildTree();
        b.h.views->fillChannelList();
    }
    state.counters["rows"] = b.h.rows();
}
BENCHMARK(BM_UndoEraseEveryChannelWithRefill)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    shared.reset();
    benchmark::Shutdown();
    return 0;
}
