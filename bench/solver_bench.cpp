// Cost of converged direct solves of one ten-stage turbine: time per solve,
// outer iterations and property calls per solve (counted by a wrapper around
// the installed property function). Each case is solved and checked once
// (result 0, efficiency below 1, every rotor's power positive) before it is
// timed; a case that fails the check is reported, not timed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/halvorine2.h"
#include "solver/elem_select.h"
#include "solver/solver_api.h"
#include "tests/support/test_fluid.h"

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

// One turbine for every solve bench: an inlet and ten stages of 200 mm mean
// diameter at 1500 rad/s (150 m/s), 25 degree nozzles and 155 degree rotors
// (inlet angles 90), 2.5 kg/s of air from 4 bar and 1000 K to 1 bar; the
// blade heights grow by 5.75 % a row from 35 mm with the falling density.
// The stage loading u dc_u / u^2 is about 1.3, so that a few per cent more
// loss or deviation (the loss plug-ins against the velocity coefficients)
// moves the stages' work by a few per cent, not across zero: every stage
// expands and does work on every variant below. Written as a case file, so
// that the in-code gas, the perfect-gas plug-in and the loss plug-ins all
// solve the same path.
std::string turbine_text(int ni, bool models) {
    constexpr int stages = 10;
    constexpr double growth = 1.0575;
    std::string s;
    char line[256];
    std::snprintf(line, sizeof line, "  %d  %d  50  0  0  10  0  0  0  100  0  0\n", 2 * stages, ni);
    s += line;
    const int on = models ? 1 : 0;
    std::snprintf(line, sizeof line, "  %d  %d  %d  %d  0  10  0  0.5  1e-06  %d\n", on, on, on, on,
                  ni == 1 ? 1 : 0);
    s += line;
    s += "  1006250  400000  100000  90  2.5  80  1\n";
    s += "  0  0  0.2  0.03500  1  90  90  0  0  1  0  0  0  0  0  0  0  0\n";
    std::vector<double> heights{0.035};
    double l = 0.035, x = 0.0;
    for (int k = 0; k < stages; ++k) {
        x += 0.03;
        std::snprintf(line, sizeof line,
                      "  %d  0  0.2  %.6f  0.97  90  25  1  0  1  30  0.03  0.0005  %.3f  0  1  0  0\n",
                      2 * k + 1, l, x);
        s += line;
        heights.push_back(l);
        l *= growth;
        x += 0.027;
        std::snprintf(line, sizeof line,
                      "  %d  1500  0.2  %.6f  0.95  90  155  1  0  1  41  0.022  0.0004  %.3f  0  1  0  0\n",
                      2 * k + 2, l, x);
        s += line;
        heights.push_back(l);
        l *= growth;
    }
    s += "  80";
    for (int k = 0; k < stages; ++k) s += "  200  150";
    s += "\n  0  0  0  0  0  0  0  0  0  0.2  0.035\n";
    for (int k = 0; k < stages; ++k) {
        std::snprintf(line, sizeof line, "  %d  0  4  0.0004  0.12  0.005  0  0  0  0.2  %.6f\n", 2 * k + 1,
                      heights[2 * k + 1]);
        s += line;
        std::snprintf(line, sizeof line, "  %d  0  2  0.0004  0.24  0.005  0.0022  0  0  0.2  %.6f\n",
                      2 * k + 2, heights[2 * k + 2]);
        s += line;
    }
    return s;
}

std::string case_file(int ni, bool models) {
    const std::string name = (std::filesystem::temp_directory_path() /
                              ("h2bench_turbine_" + std::to_string(ni) + (models ? "m" : "g") + ".dat"))
                                 .string();
    if (std::FILE* f = std::fopen(name.c_str(), "wb")) {
        std::fputs(turbine_text(ni, models).c_str(), f);
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

// The case file with the perfect-gas test fluid of the tests in place of the
// plug-in: the same gas (R 287.5, k 1.4, h = cp T), called in-process.
bool prepare_in_code_gas(const std::string& path) {
    if (!prepare_case_file(path)) return false;
    h2::test::install_test_fluid(get_bdLocals());
    return true;
}

// The same path in steam (the IF97 plug-in): 20 bar and 400 C to 5 bar, with
// the flow scaled by the inlet densities (6.61 kg/m^3 against 1.39) so that
// the speeds stay those of the air turbine; every state superheated.
bool prepare_steam(const std::string& path) {
    if (!prepare_case_file(path)) return false;
    bdLocals* b = get_bdLocals();
    constexpr double p0 = 20e5, T0 = 673.15;
    std::snprintf(b->fluidName, sizeof b->fluidName, "%s", "flxs.dll");
    if (InitFluid(0.0) != 0) return false;
    b->elem_p0[0] = b->cyld_P0 = p0;
    b->elem_i0[0] = b->fluid_func(H2_FLUID_I_PT, p0, T0, 0.0, H2_FLUID_MAIN);
    b->elem_G1[0] = b->cyld_G = 11.88;
    b->elem_p2[b->cyld_ns] = b->cyld_p2n = b->cyld_p2nx = 5e5;
    return true;
}

// Every rotor's power, G u dc_u on the middle streamline, W; the path is a
// turbine only when each is positive.
std::vector<double> rotor_powers(const bdLocals& b) {
    std::vector<double> N;
    const int m = b.cyld_nr / 2;
    for (int i = 0; i <= b.cyld_ns; ++i)
        if (b.bld_wp[i] != 0.0) N.push_back(b.elem_G1[i] * b.enrg_Lu[i][m]);
    return N;
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
    const std::vector<double> N = rotor_powers(*b);
    double least = N.empty() ? 0.0 : N.front();
    for (double n : N) least = std::min(least, n);
    state.counters["least_stage_kW"] = least / 1000.0;
    state.counters["pressure_ratio"] = b->elem_p0[0] / b->elem_p2[b->cyld_ns];
    if (result != 0 || !(b->cyld_eff < 1.0) || !(least > 0.0)) {
        state.SkipWithError(("not a converged turbine whose every stage does work: result " +
                             std::to_string(result) + ", least stage power " +
                             std::to_string(least / 1000.0) + " kW")
                                .c_str());
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
    const std::string path = case_file(1, false);
    time_solves(state, [&] { return prepare_in_code_gas(path); });
}
BENCHMARK(BM_turbine_21_elements_in_code_gas)->Unit(benchmark::kMillisecond);

void BM_turbine_21_elements_steam(benchmark::State& state) {
    const std::string path = case_file(1, false);
    time_solves(state, [&] { return prepare_steam(path); });
}
BENCHMARK(BM_turbine_21_elements_steam)->Unit(benchmark::kMillisecond);

// The same path through the perfect-gas plug-in.
void BM_turbine_21_elements_flxb(benchmark::State& state) {
    const std::string path = case_file(1, false);
    time_solves(state, [&] { return prepare_case_file(path); });
}
BENCHMARK(BM_turbine_21_elements_flxb)->Unit(benchmark::kMillisecond);

// The same with the loss, deviation and leakage plug-ins.
void BM_turbine_21_elements_loss_plugins(benchmark::State& state) {
    const std::string path = case_file(1, true);
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
    const std::string path = case_file(1, true);
    time_solves(state, [&] { return prepare_soderberg_set(path); });
}
BENCHMARK(BM_turbine_21_elements_loss_plugins_soderberg)->Unit(benchmark::kMillisecond);

// The same path streamline by streamline, with the loss plug-ins (NI 3
// cannot close the long rows: the solve ends with 2).
void BM_turbine_21_elements_streamlines(benchmark::State& state) {
    const int ni = static_cast<int>(state.range(0));
    const std::string path = case_file(ni, true);
    time_solves(state, [&] { return prepare_case_file(path); });
}
BENCHMARK(BM_turbine_21_elements_streamlines)->Arg(5)->Arg(9)->Unit(benchmark::kMillisecond);

// Loading the 21-element case file with its fluid and loss plug-ins: the
// tokens, the plug-in look-ups and the preparation of the loaded data.
void BM_load_21_element_case(benchmark::State& state) {
    binit_threading();
    binit();
    const std::string path = case_file(1, true);
    if (!prepare_case_file(path)) {
        state.SkipWithError("case not loaded");
    } else {
        for (auto _ : state) benchmark::DoNotOptimize(prepare_case_file(path));
    }
    bterm();
    bend_threading();
}
BENCHMARK(BM_load_21_element_case)->Unit(benchmark::kMicrosecond);

// One pass of the mean-line element solvers over the solved in-code turbine,
// each at its converged outlet speed: the work of one evaluation of the
// inverse residual, without the outlet-state completion.
void BM_element_solvers_pass_21_elements(benchmark::State& state) {
    binit_threading();
    binit();
    prepare_in_code_gas(case_file(1, false));
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
