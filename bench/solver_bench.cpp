// Cost of one converged direct solve of a 21-element turbine on the mean line.
#include <benchmark/benchmark.h>

#include <vector>

#include "halvorine2/halvorine2.h"
#include "solver/solver_api.h"
#include "tests/support/mean_line_path.h"

namespace {

// Inlet and ten stages of 200 mm mean diameter at 3000 rad/s, 2 kg/s of air
// from 4 bar and 1000 K, the blade height growing row by row with the falling
// density. Task-10 accuracy sums squared relative flow defects: 1e-6 suits.
std::vector<h2::test::PathElement> turbine() {
    std::vector<h2::test::PathElement> e{{0.2, 0.035}};
    double l = 0.035;
    constexpr double growth = 1.06;
    for (int stage = 0; stage < 10; ++stage) {
        e.push_back({0.2, l, 0.0, 30.0, 25.0, 0.97});
        l *= growth;
        e.push_back({0.2, l, 3000.0, 41.0, 155.0, 0.95});
        l *= growth;
    }
    return e;
}

void prepare() {
    bterm();
    binit();
    get_bdLocals()->IPP = 0;
    h2::test::make_mean_line_path(turbine(), {4e5, 1000.0, 2.0, 1e5});
    bdLocals* b = get_bdLocals();
    b->IPP = 0;
    b->IP = 0;
    b->acc_limit = 1e-6;
}

void BM_bestXN_direct_21_elements(benchmark::State& state) {
    binit_threading();
    binit();
    int iterations = 0;
    int result = 0;
    for (auto _ : state) {
        state.PauseTiming();
        prepare();
        state.ResumeTiming();
        result = bestXN();
        iterations = get_bdLocals()->iter;
    }
    state.counters["iterations"] = iterations;
    state.counters["result"] = result;
    bterm();
    bend_threading();
}
BENCHMARK(BM_bestXN_direct_21_elements)->Unit(benchmark::kMillisecond);

}  // namespace
