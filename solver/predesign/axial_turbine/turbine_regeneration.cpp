// Regeneration of an expansion path in every iteration of a design solve:
// passes from the inlet to the outlet that size the inlet, redesign every
// row, complete each outlet and hand it to the next element, and shift the
// stage outlet pressures until the path meets its outlet condition.
#include <cmath>
#include <vector>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/stage_design.h"
#include "solver/outlet_state.h"
#include "solver/predesign/axial_turbine/turbine_design.h"
#include "solver/predesign/point_reason.h"
#include "solver/predesign/predesign_tables.h"
#include "solver/solver_api.h"
#include "solver/solver_conventions.h"

namespace {

using h2::turbine::kPi;

constexpr int kMinPasses = 150;
constexpr double kMinTol = 1e-6;
constexpr double kMinRelax = 0.5;
// Row hold value that also gives every later row the blade count of the first.
constexpr double kHoldFirstCount = 2.0;

// The mid-section cascade of a row before its redesign.
struct Cascade {
    double b, bx, t, z;
};

// Keeps the row's blade row as the hold value says (the case's blade counts
// and chords unless a prerequisite block says otherwise).
void hold_row(bdLocals& b, int e, int m, const Cascade& old) {
    const bool stator = h2::is_stator(b, e);
    const bool rotor = h2::is_rotor(b, e);
    if (!stator && !rotor) return;
    const int slot = rotor ? h2::turbine::kSlotRotorRowHold : h2::turbine::kSlotStatorRowHold;
    const double hold = h2::predesign::prereq_slot(&b, slot, 1.0);
    const double tb = old.t / old.b;
    if (hold == 0.0) {
        b.cas_b[e][m] = old.b;
        b.cas_bx[e][m] = old.bx;
        b.cas_t[e][m] = old.t;
        b.bld_z[e] = old.z;
        b.cas_tb[e][m] = tb;
        return;
    }
    if (rotor) b.cas_bx[e][m] = b.cas_b[e][m];
    b.bld_z[e] = old.z;
    const int first = rotor ? 2 : 1;
    if (hold == kHoldFirstCount && e > first) b.bld_z[e] = b.bld_z[first];
    b.cas_t[e][m] = kPi * b.bld_d2[e] / b.bld_z[e];
    b.cas_tb[e][m] = tb;
}

// Later stators (rotors) take the blade count of the first one.
void copy_stage_counts(bdLocals& b, int m) {
    for (int first = 1; first <= 2; ++first) {
        const int slot = first == 1 ? h2::turbine::kSlotStatorRowHold : h2::turbine::kSlotRotorRowHold;
        if (h2::predesign::prereq_slot(&b, slot, 1.0) != kHoldFirstCount) continue;
        for (int e = first + 2; e <= b.cyld_ns; e += 2) {
            b.bld_z[e] = b.bld_z[first];
            b.cas_t[e][m] = kPi * b.bld_d2[e] / b.bld_z[e];
            b.cas_tb[e][m] = b.cas_t[e][m] / b.cas_b[e][m];
        }
    }
}

// Why row e could not be laid out, for the design's failure line.
void row_failure_reason(const bdLocals& b, int e, int m, int code) {
    const int module = static_cast<int>(b.elem_moduleNum[e]);
    const char* row = h2::is_rotor(b, e) ? "rotor" : "stator";
    const double w2 = b.flow_w2[e][m], cm = b.flow_c2s[e][m];
    if (code == 1 && w2 < cm && h2::is_rotor(b, e))
        h2::predesign::point_reason(
            "turbine module %d, rotor %d: relative exit speed %.4g m/s below its meridional speed %.4g m/s "
            "(the blade speed %.4g m/s is too high for the drop left to the row)",
            module, e, w2, cm, std::fabs(b.flow_u2[e][m]));
    else if (code == 1 && w2 < cm)
        h2::predesign::point_reason(
            "turbine module %d, stator %d: relative exit speed %.4g m/s below its meridional speed %.4g m/s "
            "(the drop left to the row cannot drive its flow)",
            module, e, w2, cm);
    else if (code == 2)
        h2::predesign::point_reason("turbine module %d, %s %d: exit relative Mach number %.4g above 2",
                                    module, row, e, w2 / b.isd_a2[e][m]);
    else
        h2::predesign::point_reason("turbine module %d, %s %d: no blade height or hub radius fits (code %d)",
                                    module, row, e, code);
}

// One pass from the inlet to the outlet; 0, 1 (inlet) or e + 1.
int regeneration_pass(bdLocals& b, const std::vector<int>& atlas_start, double* q) {
    const int ns = b.cyld_ns;
    const int m = h2::mid_stream(b);
    for (int e = 0; e <= ns; ++e) b.atlas_index[e] = atlas_start[e];
    for (int e = 0; e <= ns; ++e) {
        const bool volute = b.elem_stagType[e] == h2::kKindInletVolute;
        if (e == 0) {
            if (stgInletSize() != 0) return 1;
        } else {
            const Cascade old{b.cas_b[e][m], b.cas_bx[e][m], b.cas_t[e][m], b.bld_z[e]};
            if (volute) {
                if (stgVolinSize(e) != 0) return e + 1;
            } else {
                if (const int code = stgDesignElem(e); code != 0) {
                    row_failure_reason(b, e, m, code);
                    return e + 1;
                }
                // A stator cannot raise the static pressure above its inlet total.
                if (h2::is_stator(b, e) && b.isd_p2[e][m] > b.isd_p1x[e][m]) {
                    h2::predesign::point_reason(
                        "turbine module %d, stator %d: outlet pressure %.6g Pa above its inlet total "
                        "pressure %.6g Pa",
                        static_cast<int>(b.elem_moduleNum[e]), e, b.isd_p2[e][m], b.isd_p1x[e][m]);
                    return e + 1;
                }
            }
            if (is_sect_type0(e) != 0 && is_sect_type0(e - 1) != 0 && b.S1mode == 0) hold_row(b, e, m, old);
        }
        if (!volute && (b.cyld_nr <= 1 || b.cyld_force1D != 0 || is_sect_type0(e) == 0)) span_flow_axial(e);
        complete_elem_state(e, q);
    }
    copy_stage_counts(b, m);
    return 0;
}

}  // namespace

extern "C" {

int stgRN(void) {
    bdLocals* bp = h2::turbine::design_case();
    if (bp == nullptr || bp->fluid_func == nullptr) return -1;
    bdLocals& b = *bp;
    const int ns = b.cyld_ns;
    const int m = h2::mid_stream(b);
    std::vector<int> atlas_start(static_cast<std::size_t>(ns) + 1);
    for (int e = 0; e <= ns; ++e) atlas_start[e] = static_cast<int>(b.atlas_index[e]);
    // The code-0 value of the stage before; the inlet counts as the stage
    // before the first. It lives for the whole call, not one pass.
    double q = b.fluid_func(H2_FLUID_DRYNESS, b.elem_p0[0], b.elem_i0[0], b.elem_af[0], H2_FLUID_MAIN);
    b.wet_stage_count = ns / 2;
    b.cas_x2[0][m] = 0.0;

    const double ref = b.elem_p0[0];
    const double P = b.cyld_p2nx != 0.0 ? b.cyld_p2nx : b.cyld_p2n;
    // Only a static or a total outlet pressure can be aimed at; any other
    // variant has no target, and one pass shows what comes out.
    if (b.cyld_VARTP != 0 && b.cyld_VARTP != 1) return regeneration_pass(b, atlas_start, &q);
    const bool total = b.cyld_VARTP == 1;
    const double T = (total ? P : b.cyld_p2n) / ref;
    const int passes = b.IM > kMinPasses ? b.IM : kMinPasses;
    const double tol = b.acc_limit <= kMinTol ? kMinTol : b.acc_limit;
    const double r = b.RELAX <= kMinRelax ? kMinRelax : b.RELAX;
    for (int pass = 0; pass < passes; ++pass) {
        const int result = regeneration_pass(b, atlas_start, &q);
        if (result != 0) return result;
        const double A = (total ? b.isd_p2x[ns][m] : b.isd_p2[ns][m]) / ref;
        if (std::fabs(A - T) < tol) return 0;
        // Both rows of a stage move by the same amount.
        const double dp = (T - A) * ref * r;
        for (int k = 0; k < ns / 2; ++k) {
            b.isd_p2[2 * k + 1][m] += dp;
            b.isd_p2[2 * k + 2][m] += dp;
        }
    }
    return 0;
}
}
