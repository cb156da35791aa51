// Editing commands on the demo database (8000 slots, 6000 channels), in a host window offscreen:
// each must stay well under what a user notices.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QItemSelection>
#include <QMimeData>

#include <cstdlib>
#include <memory>

#include "views_test_support.h"

#include "editing/clipboard_exchange.h"
#include "editing/edit_controller.h"
#include "fixtures/image_builder.h"
#include "widgets/message_box.h"

using namespace cs;
using namespace cs::viewtest;

namespace {

struct Bench {
    Bench() {
        h.window.show();
        editing::EditHost host;
        host.window = &h.window;
        host.tree = h.tree;
        host.list = h.list;
        host.setModified = [](bool) {};
        host.databaseLoaded = [] { return true; };
        edit = std::make_unique<editing::EditController>(std::move(host), *h.views, h.db, h.texts, h.storedSettings);
    }
    void open() {
        static const fixtures::ImageBytes demo = fixtures::demoDatabase();
        if (!h.open(demo))
            std::abort();
        h.select(h.builder().mainListNode());
    }
    void selectRows(int first, int count, int step = 1) {
        QItemSelection s;
        for (int r = first; r < first + count * step; r += step)
            s.select(h.model().index(r, 0), h.model().index(r, h.model().columnCount() - 1));
        h.list->selectionModel()->select(s, QItemSelectionModel::ClearAndSelect);
    }
    Harness h;
    std::unique_ptr<editing::EditController> edit;
};

std::unique_ptr<Bench> shared;
Bench& bench() {
    if (!shared)
        shared = std::make_unique<Bench>();
    return *shared;
}

void BM_DeleteSelectedFromMainList(benchmark::State& state) {
    Bench& b = bench();
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        b.open();
        b.selectRows(0, count);
        state.ResumeTiming();
        b.edit->deleteChannels();
        b.h.views->fillChannelList();
    }
    state.counters["rows left"] = b.h.rows();
}
BENCHMARK(BM_DeleteSelectedFromMainList)->Arg(4000)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_PasteForeignChannels(benchmark::State& state) {
    Bench& b = bench();
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        b.open();
        std::vector<std::uint8_t> data;
        ChannelEntry entry;
        entry.setProvider("Other editor");
        for (int i = 0; i < count; ++i) {
            ChannelRecord r = b.h.db.record(b.h.model().slotAt(0));
            r.setServiceId(static_cast<std::uint16_t>(40000 + i));
            r.setName("Pasted " + std::to_string(i));
            editing::appendDataEntry(data, r, entry);
        }
        const auto info = editing::encodeInfo({static_cast<std::uint32_t>(count), 0x1234, 0, false});
        auto* mime = new QMimeData;
        mime->setData(editing::infoFormat(), QByteArray(reinterpret_cast<const char*>(info.data()), 12));
        mime->setData(editing::dataFormat(), QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size())));
        QGuiApplication::clipboard()->setMimeData(mime);
        b.h.select(b.h.builder().listNode(1));
        b.h.list->clearSelection();
        state.ResumeTiming();
        b.edit->paste();
    }
    state.counters["rows"] = b.h.rows();
}
BENCHMARK(BM_PasteForeignChannels)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_MoveRowsInsideAList(benchmark::State& state) {
    Bench& b = bench();
    const int count = static_cast<int>(state.range(0));
    b.open();
    // A long list: the first 2000 channels of the main list.
    std::vector<std::uint16_t> members(b.h.model().rowSlots().begin(), b.h.model().rowSlots().begin() + 2000);
    b.h.db.clearList(1);
    b.h.db.appendToList(1, members);
    b.h.select(b.h.builder().listNode(1));
    for (auto _ : state) {
        state.PauseTiming();
        b.selectRows(0, count, 2);  // every second row of the first 1000
        state.ResumeTiming();
        b.edit->moveSelectedRows(1500);
    }
    state.counters["rows"] = b.h.rows();
}
BENCHMARK(BM_MoveRowsInsideAList)->Arg(500)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    widgets::setMessageBoxHandler([](const widgets::MessageBoxRequest&) { return widgets::MessageAnswer::Yes; });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    shared.reset();
    benchmark::Shutdown();
    return 0;
}
