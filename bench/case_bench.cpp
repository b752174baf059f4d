// Costs of the per-call paths that every case function takes.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "halvorine2/halvorine2.h"

namespace {

struct Case {
    Case() {
        binit_threading();
        block = static_cast<bdLocals*>(std::calloc(1, sizeof(bdLocals)));
        set_bdLocals(block);
        unitsSetSI();
    }
    ~Case() {
        bend_threading();
        std::free(block);
    }
    bdLocals* block;
};

void BM_get_bdLocals(benchmark::State& state) {
    Case c;
    for (auto _ : state) benchmark::DoNotOptimize(get_bdLocals());
}
BENCHMARK(BM_get_bdLocals);

void BM_unitsToView(benchmark::State& state) {
    Case c;
    double x = 20.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(unitsToView(x, 5));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_unitsToView);

} // namespace
