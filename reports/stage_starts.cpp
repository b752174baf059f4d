#include "reports/stage_starts.h"

#include "case/case_arrays.h"
#include "case/walkers_internal.h"
#include "halvorine2/profiles.h"
#include "halvorine2/threading.h"
#include "halvorine2/walkers.h"

namespace h2 {

namespace {

constexpr int kFirstAnalysisTask = 10;  // cyld__VART below this selects a design task

// The row kinds and the path's pressures can be read on a case whose counts fit its arrays.
bool rows_readable(const bdLocals* c) {
    return c != nullptr && path_fits_arrays(c) &&
           all_present(c->elem_stagType, c->elem_sectType, c->bld_wp, c->bld_z, c->elem_p0, c->elem_p2);
}

// The current case with element i on its path, or NULL.
const bdLocals* case_with_element(int i) {
    const bdLocals* c = get_bdLocals();
    if (!rows_readable(c) || i < 0 || i > c->cyld_ns) return nullptr;
    return c;
}

}  // namespace

bool results_case_ready(const bdLocals* c) {
    return c != nullptr && c->cyld_ns >= 1 && c->cyld_nr >= 1 && path_fits_arrays(c) && has_every_array(c) &&
           c->fluid_func != nullptr;
}

bool report_case_ready(const bdLocals* c) {
    return c != nullptr && c->cyld_nr >= 1 && path_fits_arrays(c) && has_every_array(c);
}

bool turbine_profiled(const bdLocals& c, int e) {
    if (c.cyld_VART >= kFirstAnalysisTask) return is_turb_prof(e, c.cyld_nr / 2) != 0;
    return is_expanding(c);
}

bool compressor_profiled(const bdLocals& c, int e) {
    if (c.cyld_VART >= kFirstAnalysisTask) return is_comp_prof(e, c.cyld_nr / 2) != 0;
    // Vaneless diffusers, U-bends and deswirlers of a design task carry no compressor profile.
    const double kind = c.elem_stagType[e];
    return !is_expanding(c) && kind != 2.0 && kind != 3.0 && kind != kDeswirler;
}

}  // namespace h2

extern "C" {

int is_turb_stage_start(int i) {
    const bdLocals* c = h2::case_with_element(i);
    if (c == nullptr) return 0;
    if (!h2::is_stator(*c, i) && c->elem_stagType[i] != h2::kInletVolute) return 0;
    // Ducts and further stators between the first stator and its rotor are passed over.
    for (int k = i; k < c->cyld_ns; ++k)
        if (h2::is_rotor(*c, k + 1) && h2::turbine_profiled(*c, k + 1)) return 1;
    return 0;
}

int is_comp_stage_start(int i) {
    const bdLocals* c = h2::case_with_element(i);
    if (c == nullptr || h2::is_expanding(*c)) return 0;
    if (c->elem_sectType[i] == 1.0) return h2::is_rotor(*c, i) && i < c->cyld_ns && h2::is_stator(*c, i + 1);
    if (!h2::is_rotor(*c, i)) return 0;
    for (int k = i; k < c->cyld_ns; ++k)
        if (h2::is_stator(*c, k + 1)) return 1;
    return 0;
}

int add_leak_flows(void) {
    bdLocals* c = get_bdLocals();
    if (!h2::rows_readable(c) || c->cyld_ns < 1 || !h2::all_present(c->elem_Gdu, c->elem_Gr, c->lkgn_GPY) ||
        !h2::is_expanding(*c))
        return 1;
    // The diaphragm seal flow of the first stator bypasses the row but passes the inlet.
    if (h2::is_stator(*c, 1)) c->cyld_G += c->elem_Gdu[1];
    if (const int k = next_stator(1); k != 0) c->cyld_G += c->elem_Gdu[k];
    // Tip and root leakage of a last rotor leave the path beside its outlet flow.
    const int ns = c->cyld_ns;
    if (h2::is_rotor(*c, ns)) c->cyld_Gout += c->elem_Gr[ns] + c->lkgn_GPY[ns];
    return 0;
}
}
