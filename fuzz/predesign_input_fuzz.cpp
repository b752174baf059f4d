// libFuzzer harness of the predesign input file reader. Each input is written
// to a temporary file and read into a case with the stand-in plug-ins; a file
// that reads is written out again as a design file, and that file must read
// back to the same module table. A crash, a sanitizer report, a leak or a
// table that changes on the way back is a finding.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "case/output_internal.h"
#include "case/text_field.h"
#include "fuzz/fuzz_files.h"
#include "halvorine2/case_data.h"
#include "halvorine2/flow_files.h"
#include "halvorine2/predesign.h"
#include "halvorine2/threading.h"
#include "solver/predesign/predesign_tables.h"

namespace {

using h2::fuzz::make_temp;
using h2::fuzz::write_file;

struct Files {
    std::string input;
    std::string design;
};

const Files& files() {
    static const Files f{make_temp("h2_pdfuzz_in_"), make_temp("h2_pdfuzz_design_")};
    return f;
}

void remove_files() {
    std::remove(files().input.c_str());
    std::remove(files().design.c_str());
}

// The fields of a record that the design file carries at the %12g precision
// of its writer, compared as text. A subnormal value may not survive that
// rounding twice alike, so `ordinary` turns false for one.
std::string design_fields(const PD_module& r, bool& ordinary) {
    std::string s;
    char item[64];
    auto put = [&](double v) {
        if (v != 0.0 && std::fpclassify(v) != FP_NORMAL) ordinary = false;
        std::snprintf(item, sizeof item, "%12g|", v);
        s += item;
    };
    s += std::to_string(r.type) + "|" + std::to_string(r.Dflag) + "|" + std::to_string(r.Gflag) + "|";
    for (int k = 0; k < PD_VAR_COUNT; ++k) put(r.PD_VAR_lower[k]), put(r.PD_VAR_upper[k]);
    for (int k = 0; k < PD_LIM_COUNT; ++k) put(r.PD_LIM_lower[k]), put(r.PD_LIM_upper[k]);
    put(r.PD_SRC_OM), put(r.PD_SRC_G), put(r.PD_SRC_P2N);
    s += std::to_string(r.diff_form) + "|" + std::to_string(r.uband_form) + "|" +
         std::to_string(r.desw_form) + "|" + std::to_string(r.volin_form) + "|" +
         std::to_string(r.volout_form);
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (binit_threading() != 0) std::abort();
    h2::fuzz::hold_plugins(H2_PLUGIN_DIR);
    h2::set_console_stream(std::fopen("/dev/null", "w"));
    std::atexit(remove_files);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Files& f = files();
    if (!write_file(f.input, data, size)) std::abort();
    auto& t = h2::predesign::process_tables();
    std::memset(&t.modules, 0, sizeof t.modules);
    t.count = 0;

    bdLocals* c = binit();
    if (c == nullptr) std::abort();
    h2::copy_text(c->ModelBase, H2_PLUGIN_DIR);
    if (PD_load_data(f.input.c_str()) == 0) {
        // The module count and every record in use stay readable.
        if (t.count < 0 || t.count > PD_MODULE_MAX) std::abort();
        if (c->ranges_ref != t.modules) std::abort();
        // Written as a design file with the five form lines, read back: the same table.
        std::string before[PD_MODULE_MAX];
        bool ordinary = true;
        for (int m = 0; m < t.count; ++m) before[m] = design_fields(t.modules[m], ordinary);
        const int count = t.count;
        // The design file's source line is read as an enthalpy only from 10000 J/kg on.
        if (ordinary && t.modules[0].PD_SRC_I0 >= 10000.0 && ExpDesignData(f.design.c_str(), 0, 0, 4) == 0 &&
            PD_load_data(f.design.c_str()) == 0) {
            if (t.count != count) std::abort();
            for (int m = 0; m < count; ++m)
                if (design_fields(t.modules[m], ordinary) != before[m]) {
                    std::fprintf(stderr, "module %d changed on the way back:\n%s\n%s\n", m, before[m].c_str(),
                                 design_fields(t.modules[m], ordinary).c_str());
                    std::abort();
                }
        }
    }
    bterm();
    return 0;
}
