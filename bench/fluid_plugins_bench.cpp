// Costs of the fluid plug-ins' property calls through the installed function,
// the way every solver routine calls them.
#include <benchmark/benchmark.h>

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

// States: a superheated steam state (2 MPa, 3.2 MJ/kg, s 7 kJ/(kg K)), a
// compressed liquid (5 MPa, 300 K) and a combustion-gas state at 1100 K.
void BM_flxb(benchmark::State& s, int code, double a, double b) { run(s, "flxb.dll", code, a, b, 0.0); }
BENCHMARK_CAPTURE(BM_flxb, code2, 2, 1e5, 3e5);
BENCHMARK_CAPTURE(BM_flxb, code3, 3, 1e5, 3e5);
BENCHMARK_CAPTURE(BM_flxb, code8, 8, 3e5, 2500.0);
BENCHMARK_CAPTURE(BM_flxb, code9, 9, 1e5, 2500.0);

void BM_flxs(benchmark::State& s, int code, double a, double b) { run(s, "flxs.dll", code, a, b, 0.0); }
BENCHMARK_CAPTURE(BM_flxs, code30_region1, 30, 5e6, 300.0);
BENCHMARK_CAPTURE(BM_flxs, code30_region2, 30, 2e6, 700.0);
BENCHMARK_CAPTURE(BM_flxs, code1_region2, 1, 2e6, 3.2e6);
BENCHMARK_CAPTURE(BM_flxs, code2_region2, 2, 2e6, 3.2e6);
BENCHMARK_CAPTURE(BM_flxs, code2_wet, 2, 0.1e6, 2.4e6);
BENCHMARK_CAPTURE(BM_flxs, code3_region2, 3, 2e6, 3.2e6);
BENCHMARK_CAPTURE(BM_flxs, code8_region2, 8, 3.2e6, 7.0e3);
BENCHMARK_CAPTURE(BM_flxs, code9_region2, 9, 2e6, 7.0e3);
BENCHMARK_CAPTURE(BM_flxs, code9_wet, 9, 0.1e6, 6.5e3);

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

}  // namespace
