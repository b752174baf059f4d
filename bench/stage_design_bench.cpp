// Cost of the turbine design steps: one row redesign, a loss-versus-strength
// search over 101 points, and a design solve of a ten-stage turbine.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "halvorine2/halvorine2.h"
#include "solver/solver_api.h"

namespace {

const std::filesystem::path kExample =
    std::filesystem::path(__FILE__).parent_path().parent_path() / "examples" / "air_turbine_stage_design.dat";

bool load(const std::filesystem::path& file) {
    bterm();
    binit();
    bdLocals* b = get_bdLocals();
    std::snprintf(b->ModelBase, sizeof b->ModelBase, "%s", H2_PLUGIN_DIR);
    if (load_data(file.string().c_str()) != 0) return false;
    b->IPP = b->IPI = b->IPO = 0;
    return true;
}

// The shipped one-stage design example, solved.
bool solved_example() { return load(kExample) && bestXN() == 0; }

void BM_stgR_one_row(benchmark::State& state) {
    binit_threading();
    int result = solved_example() ? 0 : -2;
    for (auto _ : state) result = stgR(2);
    state.counters["result"] = result;
    bterm();
    bend_threading();
}
BENCHMARK(BM_stgR_one_row)->Unit(benchmark::kMicrosecond);

void BM_LosStrs_101_points(benchmark::State& state) {
    binit_threading();
    int result = solved_example() ? 0 : -2;
    bdLocals* b = get_bdLocals();
    b->ICLos = 1;
    init_model();
    b->strs_mode[1] = 3;
    b->S1range_begin = 0;
    b->S1range_end = 100;
    b->S1strignore = b->S1vibrignore = 1;
    for (auto _ : state) result = LosStrs(1);
    state.counters["result"] = result;
    term_model();
    bterm();
    bend_threading();
}
BENCHMARK(BM_LosStrs_101_points)->Unit(benchmark::kMillisecond);

// Ten stages of the example's kind, the pressure falling by the same ratio
// in every stage and half of each stage's fall in its stator.
std::string ten_stage_case() {
    std::ostringstream s;
    const int stages = 10;
    s << "# ten-stage design\n"
      << 2 * stages << " 1 50 0 0 1 0 0 0 100 0 0\n"
      << "1 1 1 1 0 5 0 0.5 1e-05 1\n";
    const double p0 = 400000.0, p_out = 100000.0;
    const double ratio = std::pow(p_out / p0, 1.0 / stages);
    s << "1006250 " << p0 << " " << p_out << " 90 3 80 1\n";
    s << "0 0 0.2 0.035 1 90 0 400000 0 0 1 0 0 0 0 0 0 0 0\n";
    double p = p0;
    for (int k = 0; k < stages; ++k) {
        const double p_rotor = p * ratio, p_stator = (p + p_rotor) / 2.0;
        s << 2 * k + 1 << " 0 0.2 0.035 0.9409 90 0.4 " << p_stator << " 1 0 1 30 0.03 0.0005 0 0 1 0 0\n";
        s << 2 * k + 2 << " 3000 0.2 0.04 0.9025 60 0.45 " << p_rotor << " 1 0 1 41 0.022 0.0004 0 0 1 0 0\n";
        p = p_rotor;
    }
    s << "0 0 0 0 0 0 0 0 0 0.2 0.035\n";
    for (int k = 0; k < stages; ++k) {
        s << 2 * k + 1 << " 0 4 0.0004 0 0.005 0 0 0 0.2 0.035\n";
        s << 2 * k + 2 << " 0 2 0.0004 0 0.005 0.0022 0 0 0.2 0.035\n";
    }
    return s.str();
}

void BM_bestXN_design_21_elements(benchmark::State& state) {
    binit_threading();
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "h2_ten_stage_design.dat";
    {
        std::ofstream out(file);
        out << ten_stage_case();
    }
    int result = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const bool ok = load(file);
        state.ResumeTiming();
        result = ok ? bestXN() : -2;
    }
    state.counters["result"] = result;
    state.counters["iterations"] = get_bdLocals()->iter;
    std::filesystem::remove(file);
    bterm();
    bend_threading();
}
BENCHMARK(BM_bestXN_design_21_elements)->Unit(benchmark::kMillisecond);

}  // namespace
