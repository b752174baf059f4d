// The centrifugal compressor module: how many elements a stage has and how
// many stages the module's isentropic head needs, the inlet state of every
// impeller on the module's inlet isentrope, the stages generated one after
// the other towards their outlet targets, the module solved, and the first
// impeller checked against the module's geometric limits.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "case/case_arrays.h"
#include "halvorine2/output.h"
#include "halvorine2/threading.h"
#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/module_generators.h"
#include "solver/predesign/point_reason.h"
#include "solver/predesign/predesign_data.h"
#include "solver/predesign/radial_design_rules.h"
#include "solver/solver_api.h"

namespace h2::predesign {
namespace {

// Efficiency assumed for the stage estimate: the head the stages must deliver
// is the isentropic head over it.
constexpr double kEstimateEfficiency = 0.8;
int present(int form) { return form != 0 ? 1 : 0; }

// Elements one stage of the record's options takes: the impeller and every
// element whose option word is set (the inlet guide vanes sit on element 0).
int stage_length(const PD_module& r) {
    return present(r.volin_form) + present(r.lbau_form) + 1 + present(r.diff_form) + present(r.uband_form) +
           present(r.desw_form) + present(r.lbda_form) + present(r.volout_form);
}

// Index of stage k's impeller.
int impeller_of(const PD_module& r, int per, int k) {
    return per * k + 1 + present(r.volin_form) + present(r.lbau_form);
}

// The case holds a module of elements 0..last on its mid streamline.
bool holds(const bdLocals& b, int last) {
    return b.elem_stagType != nullptr && b.fluid_func != nullptr && b.cyld_nr >= 1 &&
           b.cyld_nr <= b.alloc_streams && last >= 0 && last < b.alloc_elems;
}

// A closed range [lo, hi] of a limit pair.
bool within(double x, double lo, double hi) { return x >= lo && x <= hi; }

// A design that cannot be made says why, in one line naming the module, and
// keeps the line in the model's err_text for the search's report of the point.
int impossible(bdLocals& b, int m, const char* why) {
    std::snprintf(b.err_text, sizeof b.err_text, "module %d COMP_RADIAL: %s", m, why);
    h2::predesign::point_reason("%s", b.err_text);
    b.cyld_Nc = 0.0;
    b.cyld_eff = 0.0;
    return 101;
}

}  // namespace

int rc_stage_number(int m, int k, int per, int n) {
    bdLocals* bp = get_bdLocals();
    PD_module* rec = module(m);
    if (bp == nullptr || rec == nullptr || per < 1 || k < 0 || !holds(*bp, per * (k + 1))) return 1;
    bdLocals& b = *bp;
    PD_module& r = *rec;

    const int base = per * k;
    const int v = present(r.volin_form), l = present(r.lbau_form);
    const int u = present(r.uband_form), s = present(r.desw_form), bend = present(r.lbda_form);
    const int imp = base + 1 + v + l;
    const int d = imp + present(r.diff_form);
    const auto number = [&](int e) {
        b.elem_moduleNum[e] = m;
        b.elem_stageNum[e] = k;
    };
    number(0);
    if (v != 0) number(base + 1);
    if (l != 0) number(base + 1 + v);
    number(imp);
    number(d);
    if (u != 0) number(d + 1);
    if (s != 0) number(d + u + 1);
    if (bend != 0) number(d + u + s + 1);
    // The outlet volute follows the module's last stage only: an earlier
    // stage's volute slot carries its return channel's outflow on to the next
    // impeller (a volute there would leave that impeller no meridional
    // velocity), and the stage's target moves to the return channel's outlet.
    const bool last_stage = k >= n - 1;
    const int passage = d + u + s + bend + 1;
    if (r.volout_form != 0) number(passage);
    r.elemsPerStage = per;
    const int j = b.cyld_nr / 2;
    if (r.volout_form != 0 && !last_stage) {
        b.isd_p2[passage - 1][j] = b.isd_p2[passage][j];
        b.isd_p2x[passage - 1][j] = b.isd_p2x[passage][j];
    }

    const int first = k == 0 ? 0 : per * k + 1;
    if (const int code =
            rc_stage_design(first, m, r.volin_form, r.igv_form, r.diff_form, r.uband_form, r.desw_form,
                            last_stage ? r.volout_form : 0, r.lbau_form, r.lbda_form);
        code != 0) {
        char why[160];
        std::snprintf(why, sizeof why, "stage %d not generated: %s", k + 1, stage_failure(code));
        (void)impossible(b, m, why);
        return 1;
    }
    if (r.volout_form != 0 && !last_stage && rc_passage_design(passage) != 0) return 1;
    return 0;
}

int RadCompDesign(int m) {
    bdLocals* bp = get_bdLocals();
    PD_module* rec = module(m);
    if (bp == nullptr || rec == nullptr) return 1;
    bdLocals& b = *bp;
    PD_module& r = *rec;
    const int per = stage_length(r);
    if (!holds(b, per)) return 1;
    const int j = b.cyld_nr / 2;
    const double* val = r.PD_VAL;

    // Isentropic head of the module from its inlet state to its outlet pressure.
    const double p0 = b.elem_p0[0], i0 = b.elem_i0[0];
    const double s0 = design_fluid(b, H2_FLUID_S_PI, p0, i0);
    const double i2s = design_fluid(b, H2_FLUID_I_PS, b.cyld_p2n, s0);
    const double dHs = i2s - i0;
    if (!(b.cyld_p2n > p0)) {
        char why[160];
        std::snprintf(why, sizeof why, "outlet pressure %g Pa not above the inlet total pressure %g Pa",
                      b.cyld_p2n, p0);
        return impossible(b, m, why);
    }
    const double H = dHs / kEstimateEfficiency;
    // Blade speed at the impeller inlet; times M at its outlet.
    const double u = val[PD_VAR_OM] * val[PD_VAR_D] / 2.0;
    const double uM = u * val[PD_VAR_M];

    // The first stage's elements carry the module number, the diffuser slot
    // (the impeller when there is no diffuser) in every case.
    const int imp = impeller_of(r, per, 0);
    b.elem_moduleNum[0] = m;
    for (int e = 1; e <= per; ++e) b.elem_moduleNum[e] = m;
    r.elemsPerStage = per;

    // Stage count: one stage takes the whole head at the head coefficient it
    // needs; more share it at the record's head coefficient.
    const double lo = std::trunc(r.PD_LIM_lower[PD_LIM_STG]);
    const double hi = std::trunc(r.PD_LIM_upper[PD_LIM_STG]);
    int n;
    double h;
    if (lo == 1.0 && hi == 1.0) {
        const double ht = dHs / (uM * uM);
        // A blade speed of 0 (or a head that is not a number) designs nothing.
        if (!std::isfinite(ht)) return 101;
        n = 1;
        r.PD_VAL[PD_VAR_HT] = ht;
        h = dHs;
    } else {
        const double estimate = std::ceil(H / (u * u * val[PD_VAR_HT] * val[PD_VAR_M] * val[PD_VAR_M]));
        // Not a number or infinite counts as outside the range; the count is
        // only made an integer once it is known to fit the case's arrays.
        if (!std::isfinite(estimate) || estimate < 1.0) return 101;
        if (!within(estimate, lo, hi)) {
            char why[160];
            std::snprintf(why, sizeof why,
                          "the head needs %g stages at head coefficient %g, the limits allow %g to %g",
                          estimate, val[PD_VAR_HT], lo, hi);
            return impossible(b, m, why);
        }
        if (estimate * per >= b.alloc_elems) return 101;
        n = static_cast<int>(estimate);
        h = dHs / n;
    }

    b.cyld_ns = per * n;
    b.elem_p0[0] = p0;
    b.elem_i0[0] = i0;
    b.elem_i0[imp] = i0;

    // Impeller inlets: the head and the flow coefficient shared out about the
    // middle stage, every inlet on the module's inlet isentrope.
    const int half = std::max(1, n / 2);
    for (int k = 0; k < n; ++k) {
        const int e = impeller_of(r, per, k);
        if (n == 1) {
            b.elem_cz_[e] = val[PD_VAR_CZ];
        } else {
            const double share = static_cast<double>(k - half) / n;
            b.elem_cz_[e] = (1.0 + share * (val[PD_VAR_KZ] - 1.0)) * val[PD_VAR_CZ];
            if (k >= 1) b.elem_i0[e] = b.elem_i0[e - per] + (1.0 + share * (val[PD_VAR_KU] - 1.0)) * h;
        }
        b.elem_p0[e] = design_fluid(b, H2_FLUID_P_IS, b.elem_i0[e], s0);
    }

    // Stage outlet targets: each stage delivers the next impeller's inlet
    // pressure, the last one the module's outlet pressure.
    for (int k = 1; k < n; ++k) {
        const double p = b.elem_p0[impeller_of(r, per, k)];
        b.isd_p2[per * k][j] = p;
        b.isd_p2x[per * k][j] = p;
    }
    b.isd_p2[per * n][j] = b.cyld_p2n;
    b.isd_p2x[per * n][j] = b.cyld_p2n;

    // Every element but the module's last takes the bend and volute loss limits.
    for (int e = 1; e < per * n; ++e) {
        b.ublos_limit[e] = kBendLossLimit;
        b.volos_limit[e] = kVoluteLossLimit;
    }

    for (int k = 0; k < n; ++k)
        if (rc_stage_number(m, k, per, n) != 0) return 1;

    const int solved = bestXN();
    if (r.restoreFlag != 0 || solved != 0) return solved;

    // The first impeller against the module's geometric limits.
    const bool fits = b.bld_d1[imp] - b.bld_l1[imp] >= r.PD_LIM_lower[PD_LIM_DH] &&
                      b.bld_d2[imp] + b.bld_l2[imp] <= r.PD_LIM_upper[PD_LIM_DS] &&
                      within(180.0 - b.cas_B2a[imp][j], r.PD_LIM_lower[PD_LIM_A1], r.PD_LIM_upper[PD_LIM_A1]);
    if (!fits) {
        b.cyld_Nc = 0.0;
        b.cyld_eff = 0.0;
        return 101;
    }
    // Every impeller against the diffusion its blades can hold.
    for (int k = 0; k < n; ++k) {
        const int e = impeller_of(r, per, k);
        const double ratio = impeller_relative_diffusion(b, e, j);
        if (!(ratio >= kLeastRelativeDiffusion)) {
            char why[160];
            std::snprintf(why, sizeof why, "impeller of stage %d diffuses to W2/W1t = %.3f, below %g", k + 1,
                          ratio, kLeastRelativeDiffusion);
            return impossible(b, m, why);
        }
    }
    return 0;
}

}  // namespace h2::predesign
