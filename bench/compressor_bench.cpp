// Cost of the compressor design steps that a design solve and a predesign
// search repeat thousands of times: one rotor row, the geometry of a
// ten-stage module, the regeneration pass of a converged five-stage module and
// the generator that lays that module out.
#include <benchmark/benchmark.h>

#include <memory>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/halvorine2.h"
#include "solver/predesign/axial_compressor/compressor_rows.h"
#include "solver/predesign/compressor_generators.h"
#include "solver/predesign/predesign_tables.h"
#include "tests/support/test_fluid.h"

namespace {

constexpr double kI0 = 1006.25 * 288.15;

// A fresh current case of ns + 1 elements and one section on the stand-in gas.
bdLocals* fresh_case(int ns) {
    bterm();
    binit();
    bdLocals* b = get_bdLocals();
    b->cyld_ns = ns;
    b->cyld_nr = 1;
    alloc_probdata(ns + 1, 1);
    h2::test::install_test_fluid(b);
    b->cyld_VART = 1;
    for (int i = 0; i <= ns; ++i) {
        b->elem_i0[i] = kI0;
        b->elem_p0[i] = 101325.0;
        b->flow_r1[i][0] = b->flow_r2[i][0] = 0.25;
    }
    b->elem_p2[ns] = 2e5;
    return b;
}

// The generator's five-stage module: hub 0.45 m held, first height 0.1 m,
// 1200 rad/s, 20 kg/s, 2.2 bar, loading 0.17 (five stages).
struct Module {
    h2::predesign::PredesignTables tables{};
    std::unique_ptr<h2::predesign::ScopedPredesignTables> scope;
    double prereq[125] = {};

    void set_up() {
        scope = std::make_unique<h2::predesign::ScopedPredesignTables>(&tables);
        tables.count = 1;
        PD_module& r = tables.modules[0];
        r.type = COMP_AXIAL;
        r.Gflag = 1;
        r.PD_VAL[PD_VAR_D] = 0.45;
        r.PD_VAL[PD_VAR_CZ] = 0.10;
        r.PD_VAL[PD_VAR_HT] = 0.17;
        r.PD_VAL[PD_VAR_KU] = 1.0;
        r.PD_VAL[PD_VAR_KZ] = 0.95;
        r.PD_LIM_lower[PD_LIM_STG] = 1.0;
        r.PD_LIM_upper[PD_LIM_STG] = 10.0;
        r.PD_LIM_upper[PD_LIM_DS] = 10.0;
        prereq[37] = 0.2;
        prereq[38] = 0.01;
    }
    // Lays the module out in a fresh case; the generator's result.
    int generate() {
        bdLocals* b = fresh_case(24);
        b->cyld_ns = 0;
        b->prereq_ref = prereq;
        b->RELAX = 1.0;
        b->acc_limit = 1e-9;
        b->IM = 500;
        b->bld_wp[0] = 1200.0;
        b->elem_G1[0] = 20.0;
        b->cas_B1[0][0] = 90.0;
        b->cyld_p2n = 220000.0;
        return h2::predesign::AxCompDesign(0);
    }
};

void BM_scgR_rotor(benchmark::State& state) {
    binit_threading();
    bdLocals* b = fresh_case(2);
    b->elem_stagType[1] = 1.0;
    b->bld_wp[1] = 1200.0;
    b->bld_z[1] = 40.0;
    b->bld_d1[1] = 0.5;
    b->bld_d2[1] = 0.52;
    b->elem_Ht[1] = 0.25;
    b->elem_G1[1] = 20.0;
    b->los_Fp[1][0] = 0.95;
    b->flow_c2z[0][0] = b->flow_c2z[1][0] = 150.0;
    b->isd_i2x[0][0] = kI0;
    b->isd_p2x[0][0] = 101325.0;
    b->isd_s2[0][0] = b->fluid_func(H2_FLUID_S_PI, 101325.0, kI0, 0.0, 0);
    b->isd_i2[0][0] = kI0 - 150.0 * 150.0 / 2.0;
    b->isd_p2[0][0] = b->fluid_func(H2_FLUID_P_IS, b->isd_i2[0][0], b->isd_s2[0][0], 0.0, 0);
    int result = 0;
    for (auto _ : state) benchmark::DoNotOptimize(result = scgR(1));
    state.counters["result"] = result;
    bterm();
    bend_threading();
}
BENCHMARK(BM_scgR_rotor)->Unit(benchmark::kMicrosecond);

void BM_ac_row_geometry_ten_stages(benchmark::State& state) {
    binit_threading();
    bdLocals* b = fresh_case(20);
    for (int e = 0; e <= 20; ++e) {
        b->elem_stagType[e] = e == 0 ? 0.0 : 1.0;
        b->bld_d2s[e] = 0.45;
        b->bld_l2[e] = b->bld_l1[e] = 0.1 - 0.002 * e;
        b->bld_z[e] = 40.0 + e;
        b->cas_tb[e][0] = 1.0;
        b->clrn_d1[e] = 0.005;
        b->cas_B1g[e][0] = e % 2 == 1 ? 140.0 : 60.0;
        b->cas_B2a[e][0] = e % 2 == 1 ? 120.0 : 85.0;
    }
    int result = 0;
    for (auto _ : state) benchmark::DoNotOptimize(result = h2::predesign::ac_row_geometry(0, 0, 0, 0, 20));
    state.counters["result"] = result;
    bterm();
    bend_threading();
}
BENCHMARK(BM_ac_row_geometry_ten_stages)->Unit(benchmark::kMicrosecond);

void BM_scgRN_converged_five_stages(benchmark::State& state) {
    binit_threading();
    Module module;
    module.set_up();
    int result = module.generate();
    // The generator leaves a converged module; the pass re-converges it.
    get_bdLocals()->isd_p2[get_bdLocals()->cyld_ns][0] = 220000.0;
    for (auto _ : state) benchmark::DoNotOptimize(result = scgRN(0, get_bdLocals()->cyld_ns));
    state.counters["result"] = result;
    state.counters["elements"] = get_bdLocals()->cyld_ns;
    bterm();
    bend_threading();
}
BENCHMARK(BM_scgRN_converged_five_stages)->Unit(benchmark::kMillisecond);

void BM_AxCompDesign_five_stages(benchmark::State& state) {
    binit_threading();
    Module module;
    module.set_up();
    int result = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bterm();
        state.ResumeTiming();
        result = module.generate();
    }
    state.counters["result"] = result;
    state.counters["elements"] = get_bdLocals()->cyld_ns;
    bterm();
    bend_threading();
}
BENCHMARK(BM_AxCompDesign_five_stages)->Unit(benchmark::kMillisecond);

}  // namespace
