// libFuzzer harness of the section model files. Each input is written as the
// rotor file (model_w.bin) and, cut to its last 1,900 bytes or less, as the
// stator file (model_g.bin) of a private working directory; both models are
// loaded and every set evaluated at the centre and the corners of its range.
// A crash, a sanitizer report, a leak, or a value that is no finite number is
// a finding: a file that is not used whole is refused for the built-in tables.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "blades/section_model_tables.h"
#include "case/output_internal.h"
#include "fuzz/fuzz_files.h"
#include "halvorine2/halvorine2.h"

namespace {

namespace sm = h2::section_model;

std::string g_dir;

void remove_dir() {
    std::remove((g_dir + "/model_w.bin").c_str());
    std::remove((g_dir + "/model_g.bin").c_str());
    rmdir(g_dir.c_str());
}

void write(const char* name, const std::uint8_t* data, std::size_t size) {
    if (!h2::fuzz::write_file(name, data, size)) std::abort();
}

void evaluate(GeomModel m, int kind) {
    const double* lo = kind == 1 ? sm::kRotorLow : sm::kStatorLow;
    const double* hi = kind == 1 ? sm::kRotorHigh : sm::kStatorHigh;
    double centre[sm::kVariables];
    for (int i = 0; i < sm::kVariables; ++i) centre[i] = (lo[i] + hi[i]) / 2.0;
    for (int k = 0; k < sm::set_count(kind); ++k)
        for (const double* x : {static_cast<const double*>(centre), lo, hi}) {
            const double y = model_geom(sm::kVariables, k, lo, hi, m, x);
            if (!std::isfinite(y)) {
                std::fprintf(stderr, "kind %d set %d gives %g\n", kind, k, y);
                std::abort();
            }
        }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/h2_fuzz_model_XXXXXX";
    if (mkdtemp(dir.data()) == nullptr || chdir(dir.c_str()) != 0) std::abort();
    g_dir = dir;
    std::atexit(remove_dir);
    if (binit_threading() != 0) std::abort();
    // The refusal lines would drown the fuzzer's own output.
    h2::set_console_stream(std::fopen("/dev/null", "w"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    write("model_w.bin", data, size);
    const std::size_t stator = std::min<std::size_t>(size, 1900);
    write("model_g.bin", data + (size - stator), stator);
    if (binit() == nullptr) std::abort();
    if (init_model() != 1) std::abort();
    bdLocals* b = get_bdLocals();
    evaluate(static_cast<GeomModel>(b->model_rotor), 1);
    evaluate(static_cast<GeomModel>(b->model_stator), 2);
    term_model();
    bterm();
    return 0;
}
