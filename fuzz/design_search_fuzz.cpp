// libFuzzer harness of the design path: each input is read as a predesign
// input file into a new case with the stand-in plug-ins, every module's
// prerequisite block gets its defaults, and the design points 0..3 are
// searched on the calling thread. A crash, a sanitizer report, a leak, a
// best point whose criterion is no finite number, or a case left without its
// table is a finding.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "case/output_internal.h"
#include "case/text_field.h"
#include "fuzz/fuzz_files.h"
#include "halvorine2/case_data.h"
#include "halvorine2/params.h"
#include "halvorine2/predesign.h"
#include "halvorine2/threading.h"
#include "solver/predesign/predesign_tables.h"

namespace {

using h2::fuzz::make_temp;
using h2::fuzz::write_file;

constexpr int kPoints = 4;

const std::string& input_file() {
    static const std::string name = make_temp("h2_designfuzz_in_");
    return name;
}

void remove_files() { std::remove(input_file().c_str()); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (binit_threading() != 0) std::abort();
    h2::fuzz::hold_plugins(H2_PLUGIN_DIR);
    h2::set_console_stream(std::fopen("/dev/null", "w"));
    std::atexit(remove_files);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!write_file(input_file(), data, size)) std::abort();
    auto& t = h2::predesign::process_tables();
    t = h2::predesign::PredesignTables{};

    bdLocals* b = binit();
    if (b == nullptr) std::abort();
    h2::copy_text(b->ModelBase, H2_PLUGIN_DIR);
    if (PD_load_data(input_file().c_str()) == 0) {
        auto* const first_block = static_cast<double*>(b->prereq_ref);
        if (first_block == nullptr || b->ranges_ref != t.modules) std::abort();
        for (int m = 0; m < PD_MODULE_MAX; ++m) {
            b->prereq_ref = first_block + static_cast<std::ptrdiff_t>(m) * h2::predesign::kPrereqSlots;
            PD_default_prereq();
        }
        b->prereq_ref = first_block;
        b->IPP = 0;
        b->IPO = 0;
        b->outDst = 1;
        b->pd_threads = 1;
        const int code = OptCyl(0, kPoints, 0, "cyld__effx");
        if (get_bdLocals() != b) std::abort();
        if (code == 0 && !std::isfinite(get_double_par0("cyld__effx"))) {
            std::fprintf(stderr, "a best point with a criterion that is no number\n");
            std::abort();
        }
        // No model case outlives the search.
        for (const PD_module& r : t.modules)
            if (r.PD_model != nullptr) std::abort();
    }
    bterm();
    return 0;
}
