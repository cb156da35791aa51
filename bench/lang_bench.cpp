// Start-up cost of the language list and the cost of one text lookup.
#include "common/log_sink.h"
#include "lang/lang_list.h"

#include <benchmark/benchmark.h>

namespace {

void BM_BuildLanguageList(benchmark::State& state) {
    cs::NullLog log;
    for (auto _ : state) {
        std::string choice = "Polski.lng";
        benchmark::DoNotOptimize(cs::lang::buildLanguageList({}, choice, "pl_PL", log));
    }
}
BENCHMARK(BM_BuildLanguageList);

void BM_LangLookup(benchmark::State& state) {
    cs::NullLog log;
    std::string choice = "English.lng";
    const auto list = cs::lang::buildLanguageList({}, choice, "", log);
    const char* keys[] = {"MenuFile", "propertis_list_transponder_addnewtransp", "HintOpeningBase", "NoSuchKey"};
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(list.text(keys[i++ & 3]));
}
BENCHMARK(BM_LangLookup);

} // namespace
