// Cost of converged direct solves of turbines that expand: time per solve,
// outer iterations and property calls per solve (counted by a wrapper around
// the installed property function). Each case is solved and checked once
// (result 0, positive power, efficiency below 1) before it is timed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/halvorine2.h"
#include "solver/elem_select.h"
#include "solver/solver_api.h"
#include "tests/support/mean_line_path.h"
#include "tests/support/repeating_turbine.h"

namespace {

// ---- Property calls counted through the installed function ----

thread_local FluidFunc counted_fluid = nullptr;
thread_local long long property_calls = 0;

double counting_fluid(int code, double a, double b, double c, int which) {
    ++property_calls;
    return counted_fluid(code, a, b, c, which);
}

void count_properties(bdLocals* b) {
    if (b->fluid_func != &counting_fluid) counted_fluid = b->fluid_func;
    b->fluid_func = &counting_fluid;
}

// ---- The cases ----

// Inlet and ten stages of 200 mm mean diameter at 3000 rad/s (300 m/s), 25
// degree nozzles and 155 degree rotors, 2.5 kg/s of air from 4 bar and 1000 K;
// the blade heights grow by 3.5 % a row with the falling density, so that
// every stage expands and does work (pressure ratio about 4).
std::vector<h2::test::PathElement> mean_line_turbine() {
    std::vector<h2::test::PathElement> e{{0.2, 0.035}};
    double l = 0.035;
    constexpr double growth = 1.035;
    for (int stage = 0; stage < 10; ++stage) {
        e.push_back({0.2, l, 0.0, 30.0, 25.0, 0.97});
        l *= growth;
        e.push_back({0.2, l, 3000.0, 41.0, 155.0, 0.95});
        l *= growth;
    }
    return e;
}

void prepare_in_code_gas() {
    bterm();
    binit();
    h2::test::make_mean_line_path(mean_line_turbine(), {4e5, 1000.0, 2.5, 1e5});
    bdLocals* b = get_bdLocals();
    // Each row's inlet is the outlet of the row before it, as a case file
    // gives it: no step of the annulus between rows.
    for (int i = 1; i <= b->cyld_ns; ++i) {
        b->bld_d1[i] = b->bld_d2[i - 1];
        b->bld_l1[i] = b->bld_l2[i - 1];
    }
    b->IPP = 0;
    b->IP = 0;
    b->acc_limit = 1e-6;
}

// The same path in steam (the IF97 plug-in): 20 bar and 400 C, expanded
// about four times like the air, with the flow scaled by the inlet densities
// (6.61 kg/m^3 against 1.39) so that the speeds stay those of the air turbine.
bool prepare_steam() {
    bterm();
    bdLocals* b = binit();
    constexpr double p0 = 20e5, T0 = 673.15;
    if (!h2::test::make_mean_line_path(mean_line_turbine(), {p0, T0, 11.88, 5e5})) return false;
    std::snprintf(b->ModelBase, sizeof b->ModelBase, "%s", H2_PLUGIN_DIR);
    std::snprintf(b->fluidName, sizeof b->fluidName, "%s", "flxs.dll");
    if (InitFluid(0.0) != 0) return false;
    b->elem_i0[0] = b->fluid_func(H2_FLUID_I_PT, p0, T0, 0.0, H2_FLUID_MAIN);
    b->IPP = 0;
    b->IP = 0;
    b->acc_limit = 1e-6;
    return true;
}

// The ten-stage turbine of the tests, written once as a case file, loaded with
// its fluid and loss plug-ins, or with the loss, secondary, trans-loss and
// deviation models switched off (the perfect-gas plug-in alone).
std::string case_file(const h2::test::RepeatingTurbine& t, bool models) {
    const std::string name = (std::filesystem::temp_directory_path() /
                              ("h2bench_" + std::to_string(t.ni) + (models ? "m" : "g") + ".dat"))
                                 .string();
    std::string text = h2::test::repeating_turbine_text(t);
    if (!models) {
        const std::size_t at = text.find("  1  1  1  1  0  10");
        if (at != std::string::npos) text.replace(at, 19, "  0  0  0  0  0  10");
    }
    if (std::FILE* f = std::fopen(name.c_str(), "wb")) {
        std::fputs(text.c_str(), f);
        std::fclose(f);
    }
    return name;
}

bool prepare_case_file(const std::string& path) {
    bterm();
    bdLocals* b = binit();
    std::snprintf(b->ModelBase, sizeof b->ModelBase, "%s", H2_PLUGIN_DIR);
    if (load_data(path.c_str()) != 0) return false;
    b->IPP = b->IPI = b->IPO = b->IP = 0;
    return true;
}

// ---- The timing loop ----

template <class Prepare>
void time_solves(benchmark::State& state, Prepare prepare) {
    binit_threading();
    binit();
    // The converged state, checked once.
    if (!prepare()) {
        state.SkipWithError("case not loaded");
        bterm();
        bend_threading();
        return;
    }
    count_properties(get_bdLocals());
    property_calls = 0;
    const int result = bestXN();
    const bdLocals* b = get_bdLocals();
    const long long calls = property_calls;
    state.counters["iterations"] = b->iter;
    state.counters["property_calls"] = static_cast<double>(calls);
    state.counters["calls_per_element_iteration"] =
        static_cast<double>(calls) / ((b->cyld_ns + 1) * (b->iter > 0 ? b->iter : 1));
    state.counters["power_kW"] = b->cyld_Nc / 1000.0;
    state.counters["eff"] = b->cyld_eff;
    if (result != 0 || !(b->cyld_Nc > 0.0) || !(b->cyld_eff < 1.0)) {
        state.SkipWithError(("not a converged turbine: result " + std::to_string(result)).c_str());
        bterm();
        bend_threading();
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        prepare();
        count_properties(get_bdLocals());
        state.ResumeTiming();
        benchmark::DoNotOptimize(bestXN());
    }
    bterm();
    bend_threading();
}

void BM_turbine_21_elements_in_code_gas(benchmark::State& state) {
    time_solves(state, [] {
        prepare_in_code_gas();
        return true;
    });
}
BENCHMARK(BM_turbine_21_elements_in_code_gas)->Unit(benchmark::kMillisecond);

void BM_turbine_21_elements_steam(benchmark::State& state) { time_solves(state, prepare_steam); }
BENCHMARK(BM_turbine_21_elements_steam)->Unit(benchmark::kMillisecond);

// The ten-stage case file on the mean line, the perfect gas plug-in alone.
void BM_turbine_21_elements_flxb(benchmark::State& state) {
    const std::string path = case_file({.ni = 1, .force1D = 1}, false);
    time_solves(state, [&] { return prepare_case_file(path); });
}
BENCHMARK(BM_turbine_21_elements_flxb)->Unit(benchmark::kMillisecond);

// The same with the loss, deviation and leakage plug-ins.
void BM_turbine_21_elements_loss_plugins(benchmark::State& state) {
    const std::string path = case_file({.ni = 1, .force1D = 1}, true);
    time_solves(state, [&] { return prepare_case_file(path); });
}
BENCHMARK(BM_turbine_21_elements_loss_plugins)->Unit(benchmark::kMillisecond);

// The same with the earlier Soderberg turbine set named in place of the
// default Kacker-Okapuu family, for comparison.
bool prepare_soderberg_set(const std::string& path) {
    if (!prepare_case_file(path)) return false;
    bdLocals* b = get_bdLocals();
    std::snprintf(b->losPName, sizeof b->losPName, "%s", "sodprf_t.dll");
    std::snprintf(b->losSName, sizeof b->losSName, "%s", "sodsnd_t.dll");
    std::snprintf(b->losNName, sizeof b->losNName, "%s", "sodtrn_t.dll");
    std::snprintf(b->devName, sizeof b->devName, "%s", "soddva_t.dll");
    std::snprintf(b->leakRName, sizeof b->leakRName, "%s", "sodgr_t.dll");
    return InitLoses() == 0;
}
void BM_turbine_21_elements_loss_plugins_soderberg(benchmark::State& state) {
    const std::string path = case_file({.ni = 1, .force1D = 1}, true);
    time_solves(state, [&] { return prepare_soderberg_set(path); });
}
BENCHMARK(BM_turbine_21_elements_loss_plugins_soderberg)->Unit(benchmark::kMillisecond);

// The ten-stage case streamline by streamline (NI 3 cannot close the long
// rows and is not timed: the solve ends with 2).
void BM_turbine_21_elements_streamlines(benchmark::State& state) {
    const int ni = static_cast<int>(state.range(0));
    const std::string path = case_file({.ni = ni, .force1D = ni == 1 ? 1 : 0}, true);
    time_solves(state, [&] { return prepare_case_file(path); });
}
BENCHMARK(BM_turbine_21_elements_streamlines)->Arg(1)->Arg(3)->Arg(5)->Arg(9)->Unit(benchmark::kMillisecond);

// One pass of the mean-line element solvers over the solved in-code turbine,
// each at its converged outlet speed: the work of one evaluation of the
// inverse residual, without the outlet-state completion.
void BM_element_solvers_pass_21_elements(benchmark::State& state) {
    binit_threading();
    binit();
    prepare_in_code_gas();
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
