// Costs of the per-call paths that every case function takes.
#include <benchmark/benchmark.h>

#include "halvorine2/halvorine2.h"

namespace {

// A case of 10 elements and 5 streamlines, made the way a host makes one.
struct Case {
    Case() {
        binit_threading();
        block = binit();
        block->cyld_ns = 10;
        block->cyld_nr = 5;
        alloc_probdata(11, 5);
    }
    ~Case() {
        bterm();
        bend_threading();
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

// A host reading one element value by key: one key look-up and the index checks.
void BM_get_double_par1(benchmark::State& state) {
    Case c;
    const char* keys[] = {"elem__stagType", "bld__wp", "strs__mass_d", "cool__Tw_osn", "lkgn__GROX"};
    std::size_t n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(get_double_par1(keys[n % 5], static_cast<int>(n % 11)));
        ++n;
    }
}
BENCHMARK(BM_get_double_par1);

void BM_get_double_par0_signed(benchmark::State& state) {
    Case c;
    for (auto _ : state) benchmark::DoNotOptimize(get_double_par0("-cyld__G"));
}
BENCHMARK(BM_get_double_par0_signed);

}  // namespace
