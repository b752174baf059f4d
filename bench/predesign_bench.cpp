// Cost of regenerating one centrifugal stage (inlet guide vanes, impeller and
// vaneless diffuser to 1.8 times the inlet pressure, 37 head passes) through
// rcgRN, as a design solve does once per iteration.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "case/output_internal.h"
#include "halvorine2/halvorine2.h"
#include "solver/predesign/module_generators.h"
#include "solver/predesign/predesign_tables.h"
#include "tests/support/predesign_defaults.h"
#include "tests/support/test_fluid.h"

namespace {

void prepare(bdLocals* b, h2::predesign::PredesignTables& t) {
    b->cyld_ns = 2;
    b->cyld_nr = 1;
    alloc_probdata(3, 1);
    h2::test::install_test_fluid(b);
    h2::test::fill_default_prereq(t.prereq[0]);
    t.count = 1;
    PD_module& r = t.modules[0];
    r.type = COMP_RADIAL;
    r.igv_form = 1;
    r.diff_form = 1;
    r.PD_VAL[PD_VAR_OM] = 3000.0;
    r.PD_VAL[PD_VAR_D] = 0.15;
    r.PD_VAL[PD_VAR_CZ] = 0.5;
    r.PD_VAL[PD_VAR_HT] = 0.6;
    r.PD_VAL[PD_VAR_KZ] = 1.0;
    r.PD_VAL[PD_VAR_M] = 1.8;
    b->ranges_ref = t.modules;
    b->prereq_ref = t.prereq[0];
    b->IM = 200;
    b->RELAX = 0.5;
    b->acc_limit = 1e-6;
    b->elem_p0[0] = 1e5;
    b->elem_i0[0] = 290000.0;
    b->elem_G1[0] = 2.0;
    b->cas_B1[0][0] = 90.0;
    for (int i = 0; i <= 2; ++i) b->elem_moduleType[i] = 5.0;
    b->isd_p2[2][0] = 180000.0;
}

void BM_rcgRN_one_stage(benchmark::State& state) {
    binit_threading();
    bdLocals* b = binit();
    static h2::predesign::PredesignTables tables{};
    h2::predesign::ScopedPredesignTables scope(&tables);
    prepare(b, tables);
    int result = 0;
    for (auto _ : state) {
        result = rcgRN(0);
        benchmark::DoNotOptimize(b->elem_Ht[1]);
    }
    state.counters["result"] = result;
    bterm();
    bend_threading();
}
BENCHMARK(BM_rcgRN_one_stage)->Unit(benchmark::kMicrosecond);

// One design point of a one-stage COMP_RADIAL module (inlet guide vanes,
// impeller, vaneless diffuser to 1.8 times the inlet pressure): the stage
// count, the stage generated and the module solved as a design task in its
// model, as composition asks of it for every point of a search (the goal is
// 1,000 points per second and core, so at most 1 ms).
void BM_RadCompDesign_one_stage(benchmark::State& state) {
    binit_threading();
    bdLocals* b = binit();
    static h2::predesign::PredesignTables tables{};
    h2::predesign::ScopedPredesignTables scope(&tables);
    prepare(b, tables);
    PD_module& r = tables.modules[0];
    r.PD_LIM_lower[PD_LIM_STG] = 1.0;
    r.PD_LIM_upper[PD_LIM_STG] = 1.0;
    r.PD_LIM_upper[PD_LIM_DS] = 10.0;
    r.PD_LIM_upper[PD_LIM_A1] = 180.0;
    b->cyld_p2n = 180000.0;
    b->cyld_VART = 1;
    b->IGM = 3;
    int result = 0;
    for (auto _ : state) {
        result = h2::predesign::RadCompDesign(0);
        benchmark::DoNotOptimize(b->elem_Ht[1]);
    }
    state.counters["result"] = result;
    bterm();
    bend_threading();
}
BENCHMARK(BM_RadCompDesign_one_stage)->Unit(benchmark::kMicrosecond);

}  // namespace

// Design points per second of a 64-point search of the centrifugal example:
// every point a composition (models rebuilt, one-stage module generated and
// solved), the join and the solve of the joined path. pd_threads 1 measures
// one worker; 0 one per core (the speed-up is the ratio of the two rates).
namespace {

void BM_search_64_points(benchmark::State& state) {
    binit_threading();
    bdLocals* b = binit();
    std::FILE* quiet = std::fopen("/dev/null", "w");
    h2::set_console_stream(quiet);
    set_char_par("ModelBase", H2_PLUGIN_DIR);
    if (PD_load_data(H2_EXAMPLE_DIR "/predesign_centrifugal.dat") != 0) {
        state.SkipWithError("the example does not load");
    } else {
        double* const first = static_cast<double*>(b->prereq_ref);
        for (int m = 0; m < PD_MODULE_MAX; ++m) {
            b->prereq_ref = first + m * 125;
            PD_default_prereq();
        }
        b->prereq_ref = first;
        b->IPP = 0;
        b->pd_threads = static_cast<int>(state.range(0));
        int result = 0;
        for (auto _ : state) result = OptCyl(0, 64, 0, "cyld__effx");
        state.counters["result"] = result;
        state.counters["points/s"] =
            benchmark::Counter(64.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    }
    h2::set_console_stream(nullptr);
    std::fclose(quiet);
    bterm();
    bend_threading();
}
BENCHMARK(BM_search_64_points)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
