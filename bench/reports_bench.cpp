// Cost of the whole-path results, which the solver refreshes every iteration.
#include <benchmark/benchmark.h>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/halvorine2.h"
#include "reports/report_api.h"
#include "tests/support/test_fluid.h"

namespace {

// A ten-stage axial air turbine on one streamline, built in code: inlet and
// ten stator-rotor pairs (21 elements), pressure falling 0.15 bar per row.
struct Turbine {
    Turbine() {
        binit_threading();
        b = binit();
        const int ns = 20;
        b->cyld_ns = ns;
        b->cyld_nr = 1;
        alloc_probdata(ns + 1, 1);
        h2::test::install_test_fluid(b);
        b->cyld_VART = 10;
        b->cyld_G = 3.0;
        const double cp = h2::test::TestFluid{}.cp();
        for (int i = 0; i <= ns; ++i) {
            const bool row = i > 0, rotor = row && i % 2 == 0;
            b->elem_stagType[i] = row ? 1.0 : 0.0;
            b->bld_wp[i] = rotor ? 3000.0 : 0.0;
            b->bld_z[i] = row ? (rotor ? 60.0 : 48.0) : 0.0;
            b->bld_d1[i] = b->bld_d2[i] = 0.2 + 0.01 * i;
            b->bld_l1[i] = b->bld_l2[i] = 0.03 + 0.002 * i;
            b->elem_af[i] = 1.0;
            b->elem_G1[i] = b->elem_G2[i] = 3.0;
            const double p1 = 4e5 - 15000.0 * i, p2 = p1 - 15000.0;
            const double i1 = cp * (1000.0 - 10.0 * i), i2 = i1 - (rotor ? 20.0 * cp : 0.0);
            b->isd_p1[i][0] = b->isd_p1x[i][0] = p1;
            b->isd_p2[i][0] = p2;
            b->isd_p2x[i][0] = p2 + 5000.0;
            b->isd_i1[i][0] = b->isd_i1x[i][0] = i1;
            b->isd_i2[i][0] = b->isd_i2x[i][0] = i2;
            b->isd_s1[i][0] = h2::test::test_fluid_func(H2_FLUID_S_PI, p1, i1, 1.0, 0);
            b->isd_Ro1[i][0] = b->isd_Ro2[i][0] = 1.2;
            b->isd_a2[i][0] = 600.0;
            b->elem_p0[i] = p1;
            b->elem_p2[i] = p2;
            b->flow_u1[i][0] = b->flow_u2[i][0] = rotor ? 300.0 : 0.0;
            b->flow_c1u[i][0] = 400.0;
            b->flow_c2u[i][0] = rotor ? -50.0 : 400.0;
            b->flow_c1z[i][0] = b->flow_c2z[i][0] = b->flow_c2s[i][0] = 150.0;
            b->flow_w1[i][0] = b->flow_w2[i][0] = 250.0;
            // Turbine profiles: nozzles turn axial inflow to 18 degrees, rotors
            // take it at 60 and turn it past the axial direction to 155.
            b->cas_B1g[i][0] = row ? (rotor ? 60.0 : 90.0) : 0.0;
            b->cas_B2a[i][0] = b->cas_B2[i][0] = row ? (rotor ? 155.0 : 18.0) : 0.0;
            b->cas_t[i][0] = 0.02;
            b->los_Los[i][0] = 0.96;
        }
    }
    ~Turbine() {
        bterm();
        bend_threading();
    }
    bdLocals* b;
};

void BM_calc_integral_21_elements(benchmark::State& state) {
    Turbine t;
    for (auto _ : state) {
        calc_integral(1);
        benchmark::DoNotOptimize(t.b->cyld_eff);
    }
    state.counters["eff"] = t.b->cyld_eff;
    state.counters["Nc"] = t.b->cyld_Nc;
    state.counters["H0"] = t.b->cyld_H0;
}
BENCHMARK(BM_calc_integral_21_elements)->Unit(benchmark::kMicrosecond);

}  // namespace
