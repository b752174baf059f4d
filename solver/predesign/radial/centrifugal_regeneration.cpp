// Regeneration of the centrifugal compressor stages of a flow path during a
// design solve: every module's run of elements is found by its module number,
// its stages are counted from its rotors, and each stage of a centrifugal
// module is generated again from the module's predesign record.
#include <cmath>

#include "case/case_arrays.h"
#include "case/walkers_internal.h"
#include "halvorine2/output.h"
#include "halvorine2/radial_design.h"
#include "halvorine2/threading.h"
#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/point_reason.h"

namespace {

using h2::predesign::kCentrifugalModule;

// The record a module number names (truncated toward zero), or -1 for a value
// that can name none.
int record_index(double number) {
    if (!(number > -1.0 && number < static_cast<double>(PD_MODULE_MAX))) return -1;
    return static_cast<int>(number);
}

bool carries(const bdLocals& b, int e, int m) { return std::trunc(b.elem_moduleNum[e]) == m; }

// The module numbers of the first and last element bound the modules to
// visit; each must name a record of the table.
bool modules_known(const bdLocals& b, int& lo, int& hi) {
    lo = record_index(b.elem_moduleNum[0]);
    hi = record_index(b.elem_moduleNum[b.cyld_ns]);
    if (lo < 0 || hi < 0) return false;
    for (int m = lo; m <= hi; ++m)
        if (h2::predesign::module(m) == nullptr) return false;
    return true;
}

// Regenerates module m's stages; s0 counts the stages of the path before
// the module. Returns false when a stage failed (the rest of the module is left).
bool regenerate_module(const bdLocals& b, int m, int& s0) {
    const int ns = b.cyld_ns;
    // The module's run: the consecutive elements that carry its number.
    int a = 1;
    while (a <= ns && !carries(b, a, m)) ++a;
    int run = 0;
    while (a + run <= ns && carries(b, a + run, m)) ++run;
    if (run == 0) return true;
    const int end = a + run;

    // Stage length from the module's own first two rotors; a module with
    // fewer is one stage.
    int r1 = a;
    while (r1 < end && !h2::is_rotor(b, r1)) ++r1;
    int r2 = r1 + 1;
    while (r2 < end && !h2::is_rotor(b, r2)) ++r2;
    const int L = (r1 < end && r2 < end) ? r2 - r1 : run;
    const int n = run / L;

    bool ok = true;
    if (b.elem_moduleType[end - 1] == kCentrifugalModule) {
        const PD_module& rec = *h2::predesign::module(m);
        for (int s = 0; s < n; ++s) {
            // Only the first stage of the whole path regenerates the inlet guide vanes.
            const int first = (s0 + s == 0) ? 0 : a + L * s;
            // Only the module's last stage ends in its outlet volute; an
            // earlier stage's volute slot carries the flow on.
            const bool last_stage = s == n - 1;
            if (rec.volout_form != 0 && !last_stage) {
                // The stage's target moves from its volute slot to its return channel's outlet.
                const int slot = a + L * s + L - 1;
                bdLocals& w = *get_bdLocals();
                for (int j = 0; j < w.cyld_nr; ++j) {
                    w.isd_p2[slot - 1][j] = w.isd_p2[slot][j];
                    w.isd_p2x[slot - 1][j] = w.isd_p2x[slot][j];
                }
            }
            const int code = h2::predesign::rc_stage_design(
                first, m, rec.volin_form, rec.igv_form, rec.diff_form, rec.uband_form, rec.desw_form,
                last_stage ? rec.volout_form : 0, rec.lbau_form, rec.lbda_form);
            if (code != 0) {
                // A solve that ends here says which stage and element failed.
                h2::predesign::point_reason("module %d COMP_RADIAL: stage %d not regenerated: %s", m, s + 1,
                                            h2::predesign::stage_failure(code));
                ok = false;
                break;
            }
            if (rec.volout_form != 0 && !last_stage &&
                h2::predesign::rc_passage_design(a + L * s + L - 1) != 0) {
                ok = false;
                break;
            }
        }
    }
    s0 += n;
    return ok;
}

}  // namespace

extern "C" {

int rcgRN(int) {
    try {
        bdLocals* b = get_bdLocals();
        if (b == nullptr || b->elem_stagType == nullptr || b->cyld_ns < 1 || b->cyld_nr < 1 ||
            !h2::path_fits_arrays(b))
            return 1;
        int lo = 0, hi = 0;
        // A module number without a record would read past the table.
        if (!modules_known(*b, lo, hi)) return 1;
        int s0 = 0;
        bool failed = false;
        // A failing module leaves the later ones to be regenerated, but the
        // result reports it: a later success must not hide it.
        for (int m = lo; m <= hi; ++m)
            if (!regenerate_module(*b, m, s0)) failed = true;
        return failed ? 1 : 0;
    } catch (...) {
        return 1;
    }
}
}
