// Ordering 8000 channels like a reference of 8000 (a rescan: the same services in another slot
// order, frequencies a few MHz off, every 50th under a new service ID so that it is found
// by name), from a database reference and from its CSV; the duplicate search over 8000
// channels with every 20th a second copy of a service; and comparing two databases of 8000.
// Opening and parsing run outside the timer unless named.
#include "common/log_sink.h"
#include "database/channel_database.h"
#include "fixtures/image_builder.h"
#include "image/flash.h"
#include "reference/database_diff.h"
#include "reference/duplicates.h"
#include "reference/reference_list.h"
#include "reference/reference_order.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

namespace fx = cs::fixtures;
constexpr std::size_t kChannels = 8000;

// Channel i: satellite 1..40, 20 services per transponder.
fx::ChannelFields channel(std::size_t i, int frequencyShift, bool newServiceId) {
    fx::ChannelFields s;
    s.satellite = static_cast<std::uint8_t>(1 + i % 40);
    s.frequency = static_cast<std::uint16_t>(10700 + (i / 40 / 20) * 20 + frequencyShift);
    s.polarisation = static_cast<std::uint8_t>((i / 40) % 2);
    s.serviceId = static_cast<std::uint16_t>(newServiceId ? 30000 + i : 1 + i);
    s.name = "Channel " + std::to_string(i);
    return s;
}

fx::ImageBytes image(bool rescanned, bool duplicates = false) {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::SettingsR78);
    for (std::size_t slot = 0; slot < kChannels; ++slot) {
        // The rescan holds channel (slot * 7919) mod 8000: a full permutation.
        const std::size_t i = rescanned ? (slot * 7919) % kChannels : slot;
        fx::ChannelFields s = channel(i, rescanned ? 3 : 0, rescanned && i % 50 == 0);
        if (duplicates && slot % 20 == 19)
            s = channel(slot - 1, 4, false);
        b.channel(slot, s);
    }
    return b.build();
}

struct Open {
    cs::NullLog log;
    cs::Flash flash{log};
    cs::ChannelDatabase db{flash};
    explicit Open(const fx::ImageBytes& bytes) { ok = flash.openImageBytes(bytes, "bench.dsp") == cs::OpenResult::Loaded; }
    bool ok = false;
};

void BM_OrderLikeDatabaseReference(benchmark::State& state) {
    Open old(image(false));
    Open now(image(true));
    if (!old.ok || !now.ok)
        state.SkipWithError("images did not open");
    const cs::ReferenceList reference = cs::referenceFromDatabase(old.db);
    std::size_t matched = 0;
    for (auto _ : state) {
        const cs::OrderSummary summary = cs::orderLikeReference(now.db, reference, cs::OrderOptions{});
        matched = summary.matchedByService + summary.matchedByName;
    }
    if (matched != kChannels)
        state.SkipWithError("not every channel was matched");
}
BENCHMARK(BM_OrderLikeDatabaseReference)->Unit(benchmark::kMillisecond);

void BM_OrderLikeCsvIncludingReading(benchmark::State& state) {
    Open old(image(false));
    Open now(image(true));
    std::vector<std::uint16_t> all;
    for (std::uint16_t slot = 0; slot < kChannels; ++slot)
        all.push_back(slot);
    const std::string csv = cs::exportReferenceCsv(old.db, all);
    for (auto _ : state) {
        const cs::CsvReadResult read = cs::readReferenceCsv(csv);
        benchmark::DoNotOptimize(cs::orderLikeReference(now.db, read.list, cs::OrderOptions{}).unmatched);
    }
}
BENCHMARK(BM_OrderLikeCsvIncludingReading)->Unit(benchmark::kMillisecond);

void BM_ExportCsv(benchmark::State& state) {
    Open old(image(false));
    std::vector<std::uint16_t> all;
    for (std::uint16_t slot = 0; slot < kChannels; ++slot)
        all.push_back(slot);
    for (auto _ : state)
        benchmark::DoNotOptimize(cs::exportReferenceCsv(old.db, all).size());
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond);

void BM_FindDuplicates(benchmark::State& state) {
    Open open(image(false, true));
    std::size_t groups = 0;
    for (auto _ : state)
        groups = cs::findDuplicates(open.db).services.size();
    if (groups != kChannels / 20)
        state.SkipWithError("unexpected number of duplicate groups");
}
BENCHMARK(BM_FindDuplicates)->Unit(benchmark::kMillisecond);

// Comparing two 8000-slot databases as File > Compare with... and `diff` do: the rescan (every
// channel moved to another slot, frequencies changed, every 50th found by name), and the
// database against an identical copy. Budget: 50 ms.
void BM_CompareDatabases(benchmark::State& state) {
    const bool rescanned = state.range(0) != 0;
    Open old(image(false));
    Open now(image(rescanned));
    if (!old.ok || !now.ok)
        state.SkipWithError("images did not open");
    std::size_t differences = 0;
    for (auto _ : state)
        differences = cs::compareDatabases(old.db, now.db).channels.size();
    if ((differences == 0) == rescanned)
        state.SkipWithError("unexpected comparison result");
    state.counters["differences"] = static_cast<double>(differences);
}
BENCHMARK(BM_CompareDatabases)->Arg(1)->Arg(0)->ArgNames({"rescanned"})->Unit(benchmark::kMillisecond);

} // namespace
