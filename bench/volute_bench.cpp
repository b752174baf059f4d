// Costs of the volute geometry: a predesign point that has an outlet or an
// inlet volute draws one of 36 stations of 36 contour points.
#include <benchmark/benchmark.h>

#include "halvorine2/volute.h"

namespace {

void BM_VoloutDesignForm0(benchmark::State& state) {
    Volout* v = VoloutInit(0, 36, 36);
    v->cs = 66.0;
    v->cu = 118.0;
    v->r2 = 0.216;
    v->b2 = 0.0126;
    v->hb2 = 0.0063;
    v->gap = 0.002;
    for (auto _ : state) {
        benchmark::DoNotOptimize(VoloutDesign(v));
        benchmark::ClobberMemory();
    }
    VoloutTerm(v);
}
BENCHMARK(BM_VoloutDesignForm0);

void BM_VolinDesignForm2(benchmark::State& state) {
    Volout* v = VoloutInit(2, 36, 36);
    v->r2 = 0.1;
    v->b2 = 0.02;
    v->A2 = 20.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(VolinDesign(v));
        benchmark::ClobberMemory();
    }
    VoloutTerm(v);
}
BENCHMARK(BM_VolinDesignForm2);

}  // namespace
