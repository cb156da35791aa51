// The in-memory database on the 8000-slot demo database: the first selection of the main list
// after opening (grouping, sorting and provider verification included), a re-selection with
// nothing changed, a switch to the alphabetical order, a favourite-list view of 1000 channels,
// and the deletion of 4000 marked channels. Set-up work (opening, marking) runs with the timer
// paused.
#include "common/log_sink.h"
#include "database/channel_database.h"
#include "fixtures/image_builder.h"
#include "image/flash.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

namespace fx = cs::fixtures;

const fx::ImageBytes& demoBytes() {
    static const fx::ImageBytes bytes = fx::demoDatabase();
    return bytes;
}

struct Demo {
    cs::NullLog log;
    cs::Flash flash{log};
    cs::ChannelDatabase db{flash};
    cs::ViewSettings view;

    bool open() { return flash.openImageBytes(demoBytes(), "demo.dsp") == cs::OpenResult::Loaded; }
    std::size_t select(cs::ViewRequest request = {}) {
        db.selectChannels(request, view);
        return request.count;
    }
};

void BM_FirstSelectionAfterOpen(benchmark::State& state) {
    Demo d;
    for (auto _ : state) {
        state.PauseTiming();
        if (!d.open())
            state.SkipWithError("demo database did not open");
        state.ResumeTiming();
        benchmark::DoNotOptimize(d.select());
    }
}
BENCHMARK(BM_FirstSelectionAfterOpen)->Unit(benchmark::kMicrosecond);

void BM_Reselection(benchmark::State& state) {
    Demo d;
    d.open();
    d.select();
    for (auto _ : state)
        benchmark::DoNotOptimize(d.select());
}
BENCHMARK(BM_Reselection)->Unit(benchmark::kMicrosecond);

void BM_SwitchToAlphabeticalOrder(benchmark::State& state) {
    Demo d;
    d.open();
    for (auto _ : state) {
        state.PauseTiming();
        d.view.orderMode = cs::kOrderProgram;
        d.db.requestFullSort();
        d.select();
        d.view.orderMode = cs::kOrderAlphabet;
        d.db.requestFullSort();
        state.ResumeTiming();
        benchmark::DoNotOptimize(d.select());
    }
}
BENCHMARK(BM_SwitchToAlphabeticalOrder)->Unit(benchmark::kMicrosecond);

void BM_FavouriteListOf1000(benchmark::State& state) {
    Demo d;
    d.open();
    d.select();
    std::vector<std::uint16_t> slots(d.db.result().begin(), d.db.result().begin() + 1000);
    // Every other channel first, so that the list order differs from the slot order.
    std::vector<std::uint16_t> shuffled;
    for (std::size_t k = 0; k < slots.size(); k += 2)
        shuffled.push_back(slots[k]);
    for (std::size_t k = 1; k < slots.size(); k += 2)
        shuffled.push_back(slots[k]);
    d.db.clearList(8);
    d.db.appendToList(8, shuffled);
    cs::ViewRequest list;
    list.list = 8;
    std::size_t count = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(count = d.select(list));
    if (count != 1000)
        state.SkipWithError("the list does not hold 1000 channels");
}
BENCHMARK(BM_FavouriteListOf1000)->Unit(benchmark::kMicrosecond);

void BM_DeleteMarked4000(benchmark::State& state) {
    Demo d;
    for (auto _ : state) {
        state.PauseTiming();
        d.open();
        d.select();
        // Two of every three rows, spread over all satellites.
        const auto rows = d.db.result();
        std::size_t marked = 0;
        for (std::size_t k = 0; k < rows.size() && marked < 4000; ++k)
            if (k % 3 != 2) {
                d.db.entry(rows[k]).setMarked(true);
                ++marked;
            }
        state.ResumeTiming();
        const std::size_t deleted = d.db.deleteMarked();
        benchmark::DoNotOptimize(deleted);
        if (deleted != 4000)
            state.SkipWithError("not 4000 channels deleted");
    }
}
BENCHMARK(BM_DeleteMarked4000)->Unit(benchmark::kMicrosecond);

} // namespace
