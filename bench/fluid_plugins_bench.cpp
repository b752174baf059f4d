// Costs of the fluid plug-ins' property calls through the installed function,
// the way every solver routine calls them.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <string>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/fluids.h"
#include "halvorine2/halvorine2.h"

namespace {

// A case with the named plug-in installed as its main fluid.
struct Fluid {
    explicit Fluid(const char* name, double af = 0.0) {
        binit_threading();
        block = binit();
        const std::string dir = H2_PLUGIN_DIR;
        std::memcpy(block->ModelBase, dir.c_str(), dir.size() + 1);
        std::strcpy(block->fluidName, name);
        block->cyld_R = 287.5;
        block->cyld_k = 1.4;
        ok = InitFluid(af) == 0 && block->fluid_func != nullptr;
    }
    ~Fluid() {
        bterm();
        bend_threading();
    }
    bdLocals* block;
    bool ok = false;
};

// One benchmark: a code at a state given by (a, b, c), per plug-in.
void run(benchmark::State& state, const char* name, int code, double a, double b, double c) {
    Fluid f(name, c);
    if (!f.ok) {
        state.SkipWithError("plug-in not loaded");
        return;
    }
    FluidFunc F = f.block->fluid_func;
    for (auto _ : state) benchmark::DoNotOptimize(F(code, a, b, c, 0));
}

// States: air at 1 bar and 3 bar near 300 K; a combustion-gas state at 1100 K.
void BM_flxb(benchmark::State& s, int code, double a, double b) { run(s, "flxb.dll", code, a, b, 0.0); }
BENCHMARK_CAPTURE(BM_flxb, code2, 2, 1e5, 3e5);
BENCHMARK_CAPTURE(BM_flxb, code3, 3, 1e5, 3e5);
BENCHMARK_CAPTURE(BM_flxb, code8, 8, 3e5, 2500.0);
BENCHMARK_CAPTURE(BM_flxb, code9, 9, 1e5, 2500.0);

// Steam at distinct states: a ring of 64 states cycled call by call, so that
// the plug-in's one-entry cache of the last (p, h) point never answers
// (misses), and the same state asked again and again (hits). The ring runs
// over the superheated states of a turbine expansion (2 to 0.2 MPa, 3.25 to
// 2.75 MJ/kg; entropies 6.8 to 7.6 kJ/(kg K)) and, for the wet codes, over
// dryness 0.85 to 0.98 at 0.1 MPa.
struct SteamRing {
    static constexpr int kSize = 64;
    double a[kSize], b[kSize];
};

SteamRing steam_ring(int code, bool wet) {
    SteamRing r;
    for (int k = 0; k < SteamRing::kSize; ++k) {
        const double f = static_cast<double>(k) / (SteamRing::kSize - 1);
        const double p = 2e6 * std::pow(0.1, f);  // 2 MPa down to 0.2 MPa
        switch (code) {
            case 8:  // h, s
                r.a[k] = 3.25e6 - 0.5e6 * f;
                r.b[k] = 6.8e3 + 0.8e3 * f;
                break;
            case 9:  // p, s
                r.a[k] = p;
                r.b[k] = wet ? 5.8e3 + 0.8e3 * f : 6.8e3 + 0.8e3 * f;
                break;
            case 30:  // p, T
                r.a[k] = p;
                r.b[k] = 700.0 - 150.0 * f;
                break;
            default:  // p, h
                r.a[k] = wet ? 0.1e6 : p;
                r.b[k] = wet ? 2.3e6 + 0.3e6 * f : 3.25e6 - 0.5e6 * f;
                break;
        }
    }
    return r;
}

void run_steam(benchmark::State& state, int code, bool wet, bool distinct) {
    Fluid f("flxs.dll");
    if (!f.ok) {
        state.SkipWithError("plug-in not loaded");
        return;
    }
    FluidFunc F = f.block->fluid_func;
    const SteamRing r = steam_ring(code, wet);
    int k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(F(code, r.a[k], r.b[k], 0.0, 0));
        if (distinct) k = (k + 1) % SteamRing::kSize;
    }
}

void BM_flxs_miss(benchmark::State& s, int code, bool wet) { run_steam(s, code, wet, true); }
void BM_flxs_hit(benchmark::State& s, int code, bool wet) { run_steam(s, code, wet, false); }
BENCHMARK_CAPTURE(BM_flxs_miss, code1_region2, 1, false);
BENCHMARK_CAPTURE(BM_flxs_miss, code2_region2, 2, false);
BENCHMARK_CAPTURE(BM_flxs_miss, code3_region2, 3, false);
BENCHMARK_CAPTURE(BM_flxs_miss, code4_region2, 4, false);
BENCHMARK_CAPTURE(BM_flxs_miss, code2_wet, 2, true);
BENCHMARK_CAPTURE(BM_flxs_miss, code8_region2, 8, false);
BENCHMARK_CAPTURE(BM_flxs_miss, code9_region2, 9, false);
BENCHMARK_CAPTURE(BM_flxs_miss, code9_wet, 9, true);
BENCHMARK_CAPTURE(BM_flxs_miss, code30_region2, 30, false);
BENCHMARK_CAPTURE(BM_flxs_hit, code2_region2, 2, false);
BENCHMARK_CAPTURE(BM_flxs_hit, code3_region2, 3, false);
BENCHMARK_CAPTURE(BM_flxs_hit, code2_wet, 2, true);

// Region 1 at distinct states: compressed water at 5 MPa from 300 K to 500 K.
void BM_flxs_region1_code30(benchmark::State& state) {
    Fluid f("flxs.dll");
    if (!f.ok) {
        state.SkipWithError("plug-in not loaded");
        return;
    }
    FluidFunc F = f.block->fluid_func;
    int k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(F(30, 5e6, 300.0 + 200.0 * k / 63.0, 0.0, 0));
        k = (k + 1) % 64;
    }
}
BENCHMARK(BM_flxs_region1_code30);

void BM_gas(benchmark::State& s, const char* name, int code, double a, double b) {
    run(s, name, code, a, b, 2.0);
}
BENCHMARK_CAPTURE(BM_gas, flxg_code2, "flxg.dll", 2, 1e6, 1.2e6);
BENCHMARK_CAPTURE(BM_gas, flxg_code3, "flxg.dll", 3, 1e6, 1.2e6);
BENCHMARK_CAPTURE(BM_gas, flxg_code8, "flxg.dll", 8, 1.2e6, 8.0e3);
BENCHMARK_CAPTURE(BM_gas, flxg_code9, "flxg.dll", 9, 1e6, 8.0e3);
BENCHMARK_CAPTURE(BM_gas, flxk_code2, "flxk.dll", 2, 1e6, 1.2e6);
BENCHMARK_CAPTURE(BM_gas, flxk_code9, "flxk.dll", 9, 1e6, 8.0e3);
BENCHMARK_CAPTURE(BM_gas, flxm_code2, "flxm.dll", 2, 1e6, 1.2e6);
BENCHMARK_CAPTURE(BM_gas, flxm_code3, "flxm.dll", 3, 1e6, 1.2e6);
BENCHMARK_CAPTURE(BM_gas, flxm_code8, "flxm.dll", 8, 1.2e6, 8.0e3);
BENCHMARK_CAPTURE(BM_gas, flxm_code9, "flxm.dll", 9, 1e6, 8.0e3);

// Real fluids (flxt, CO2 by default): each call a fresh solve, the state
// alternating between two enthalpies so that the thread's one-entry cache
// never hits; and a cached row, the same (p, h) asked again.
void run_fresh(benchmark::State& state, int code, double a, double b0, double b1) {
    Fluid f("flxt.dll");
    if (!f.ok) {
        state.SkipWithError("plug-in not loaded");
        return;
    }
    FluidFunc F = f.block->fluid_func;
    bool odd = false;
    for (auto _ : state) {
        benchmark::DoNotOptimize(F(code, a, odd ? b1 : b0, 0.0, 0));
        odd = !odd;
    }
}
// Supercritical near the critical point (8 MPa, 320 K), a turbine inlet
// (20 MPa, 823 K), wet (4 MPa) and the (h, s), (p, s), (p, T) inverses.
BENCHMARK_CAPTURE(run_fresh, flxt_code2_near_critical, 2, 8e6, 4.6e5, 4.7e5);
BENCHMARK_CAPTURE(run_fresh, flxt_code2_hot, 2, 20e6, 1.05e6, 1.06e6);
BENCHMARK_CAPTURE(run_fresh, flxt_code2_wet, 2, 4e6, 3.0e5, 3.1e5);
BENCHMARK_CAPTURE(run_fresh, flxt_code8, 8, 1.05e6, 2.9e3, 2.91e3);
BENCHMARK_CAPTURE(run_fresh, flxt_code9, 9, 20e6, 2.9e3, 2.91e3);
BENCHMARK_CAPTURE(run_fresh, flxt_code30, 30, 20e6, 820.0, 830.0);
// A wet (h, s) state: half-evaporated CO2 at 4 MPa.
void BM_flxt_code8_wet(benchmark::State& state) {
    Fluid f("flxt.dll");
    if (!f.ok) {
        state.SkipWithError("plug-in not loaded");
        return;
    }
    FluidFunc F = f.block->fluid_func;
    const double p = 4e6;
    const double h = 0.5 * (F(H2_FLUID_I_SAT_VAPOUR, p, p, 0.0, 0) + F(H2_FLUID_I_SAT_LIQUID, p, p, 0.0, 0));
    const double s = F(H2_FLUID_S_PI, p, h, 0.0, 0);
    bool odd = false;
    for (auto _ : state) {
        benchmark::DoNotOptimize(F(H2_FLUID_P_IS, odd ? h + 1.0 : h, s, 0.0, 0));
        odd = !odd;
    }
}
BENCHMARK(BM_flxt_code8_wet);
void BM_flxt_cached(benchmark::State& s, int code, double a, double b) {
    run(s, "flxt.dll", code, a, b, 0.0);
}
BENCHMARK_CAPTURE(BM_flxt_cached, code3, 3, 8e6, 4.6e5);

void BM_flxv(benchmark::State& s, int code, double a, double b) { run(s, "flxv.dll", code, a, b, 0.0); }
BENCHMARK_CAPTURE(BM_flxv, code2, 2, 1e6, 1.2e6);
BENCHMARK_CAPTURE(BM_flxv, code8, 8, 1.2e6, 8.0e3);

}  // namespace
