// Cost of one converged direct solve of a 21-element turbine on the mean line.
#include <benchmark/benchmark.h>

#include <vector>

#include "halvorine2/halvorine2.h"
#include "solver/elem_select.h"
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

// One pass of the mean-line element solvers over the solved turbine, each at
// its converged outlet speed: the work of one evaluation of the inverse
// residual, without the outlet-state completion.
void BM_element_solvers_pass_21_elements(benchmark::State& state) {
    binit_threading();
    binit();
    prepare();
    const int result = bestXN();
    bdLocals* b = get_bdLocals();
    const int m = b->cyld_nr / 2;
    std::vector<h2::ElemSolver> solvers;
    std::vector<double> speeds;
    for (int i = 0; i <= b->cyld_ns; ++i) {
        solvers.push_back(h2::elem_solver_of(*b, i));
        speeds.push_back(b->flow_w2[i][m]);
    }
    double S = 0.0;
    for (auto _ : state) {
        S = 0.0;
        for (int i = 0; i <= b->cyld_ns; ++i) S += solvers[i](i, speeds[i]);
        benchmark::DoNotOptimize(S);
    }
    state.counters["result"] = result;
    state.counters["sum"] = S;
    bterm();
    bend_threading();
}
BENCHMARK(BM_element_solvers_pass_21_elements)->Unit(benchmark::kMicrosecond);

}  // namespace
