// Costs of the section models: the strength pass reloads both models, from
// their files, before every row it rates, and evaluates one row's section.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "halvorine2/halvorine2.h"

namespace {

struct Case {
    Case() {
        binit_threading();
        block = binit();
        block->cyld_ns = 1;
        block->cyld_nr = 1;
        alloc_probdata(2, 1);
        block->elem_stagType[1] = 1.0;
        block->bld_wp[1] = 3000.0;
        block->bld_z[1] = 60.0;
        block->cas_b[1][0] = 0.05;
        block->cas_tb[1][0] = 0.8;
        block->cas_B1g[1][0] = 60.0;
        block->cas_B2a[1][0] = 25.0;
        block->cas_w1[1][0] = 25.0;
        block->flow_r2[1][0] = 0.5;
    }
    ~Case() {
        bterm();
        bend_threading();
    }
    bdLocals* block;
};

// Model files of the right sizes in a scratch working directory.
struct ModelFiles {
    ModelFiles() : previous(std::filesystem::current_path()) {
        dir = std::filesystem::temp_directory_path() / ("h2bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
        const std::vector<float> zeros(19 * 25, 0.5f);
        for (auto [name, sets] : {std::pair{"model_w.bin", 18}, std::pair{"model_g.bin", 19}}) {
            std::FILE* f = std::fopen(name, "wb");
            std::fwrite(zeros.data(), 4, static_cast<std::size_t>(sets) * 25, f);
            std::fclose(f);
        }
    }
    ~ModelFiles() {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path previous, dir;
};

void BM_init_term_model_files(benchmark::State& state) {
    ModelFiles files;
    Case c;
    for (auto _ : state) {
        benchmark::DoNotOptimize(init_model());
        term_model();
    }
}
BENCHMARK(BM_init_term_model_files);

void BM_WorkGeom(benchmark::State& state) {
    Case c;
    init_model();
    for (auto _ : state) {
        WorkGeom(1, 0, 1);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_WorkGeom);

}  // namespace
