// Loss-versus-strength search of one turbine blade row: LPtau points over the
// row's axial chord and/or relative pitch, each rated by its section
// properties, stresses and rotor frequency; the point of the best velocity
// coefficient among those allowed is applied.
#include <cmath>

#include "blades/material.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/lptau.h"
#include "halvorine2/stage_design.h"
#include "halvorine2/strength.h"
#include "physics/section_losses.h"
#include "solver/predesign/axial_turbine/turbine_design.h"
#include "solver/predesign/predesign_tables.h"
#include "solver/solver_conventions.h"

namespace {

// LosStrsPoint: a candidate record (turbine_design.h).

// Relative-pitch bounds that a stored 0 stands for.
constexpr double kPitchLow = 0.5;
constexpr double kPitchHigh = 0.9;
// Relative pitch of a chord sweep whose row has none.
constexpr double kDefaultPitch = 0.7;
constexpr double kStatorModelChordRatio = 1.01;
// The rotational frequency takes 2 pi in full (the library's truncated
// h2::kTwoPi would shift the resonance bands).
constexpr double kTwoPiExact = 6.283185307179586;
// Resonance bands around the harmonics 2..6 of the rotational frequency.
constexpr double kBands[5] = {0.15, 0.08, 0.06, 0.05, 0.04};

struct Axis {
    double lo, hi;
};

void apply_point(bdLocals& b, int e, int m, int mode, const LosStrsPoint& p) {
    if (mode == 3) {
        b.cas_tb[e][m] = p.v[0];
        b.cas_bx[e][m] = p.v[1];
    } else {
        b.cas_bx[e][m] = p.v[0];
        b.cas_tb[e][m] = p.v[1];
    }
    b.cas_t[e][m] = p.v[0] * p.v[1];
    b.cas_b[e][m] = b.cas_bx[e][m];
}

void section_properties(bdLocals& b, int e, int m) {
    if (h2::is_rotor(b, e) || b.cas_b[e][m] <= kStatorModelChordRatio * b.cas_bx[e][m])
        WorkGeom(e, m, 1);
    else
        GuideGeom(e, m, 1);
}

void rate_point(bdLocals& b, int e, int m) {
    const bool spanwise = b.cyld_nr - 1 > 1;
    section_properties(b, e, m);
    if (h2::is_rotor(b, e)) {
        rlpc(e);
        if (spanwise) rlzc(e);
        vibration(e);
        if (spanwise) vibrzz(e);
        diskr(e);
    } else {
        diafr(e);
    }
}

bool within_stresses(const bdLocals& b, int e) {
    if (b.S1strignore != 0) return true;
    if (h2::is_rotor(b, e))
        return std::fabs(b.strs_smi[e]) < std::fabs(b.strs_dsti[e]) &&
               std::fabs(b.strs_sr[e]) < std::fabs(b.strs_dstr[e]);
    return std::fabs(b.strs_st[e]) < std::fabs(b.strs_dt[e]) &&
           std::fabs(b.strs_sl[e]) < std::fabs(b.strs_dl[e]);
}

Axis pitch_axis(const bdLocals& b, int e) {
    return {b.S1tb_lo[e] != 0.0 ? b.S1tb_lo[e] : kPitchLow, b.S1tb_hi[e] != 0.0 ? b.S1tb_hi[e] : kPitchHigh};
}

}  // namespace

namespace h2::turbine {

bool rotor_resonant(double wp, double sk) {
    for (int k = 2; k <= 6; ++k) {
        const double f = k * wp / kTwoPiExact;
        const double d = kBands[k - 2] * f;
        if (f - d < sk && sk < f + d) return true;
    }
    return false;
}

}  // namespace h2::turbine

extern "C" {

void CopyLosStrsPoint(const LosStrsPoint* source, LosStrsPoint* target) {
    if (source == nullptr || target == nullptr) return;
    *target = *source;
}

int LosStrs(int e) {
    bdLocals* bp = h2::turbine::design_element_case(e);
    if (bp == nullptr) return -1;
    bdLocals& b = *bp;
    const int m = h2::mid_stream(b);
    const int mode = h2::turbine::search_mode(b, e);
    const double T = b.fluid_func != nullptr ? b.fluid_func(H2_FLUID_T_PI, b.isd_p1wx[e][m], b.isd_i1wx[e][m],
                                                            b.elem_af[0], H2_FLUID_MAIN)
                                             : 0.0;
    strs_material(e, T);
    if (mode < 1 || mode > 3) {
        section_losses(e, m);
        if (e < h2::turbine::kSearchTable) b.S1result_elem[e] = 0;
        return 0;
    }
    if (b.model_rotor == nullptr || b.model_stator == nullptr) return 2;

    LPT20init();
    if (b.cas_bx[e][m] == 0.0) b.cas_bx[e][m] = b.cas_b[e][m];
    // What the row had, put back when no point qualifies.
    const double chord0 = b.cas_b[e][m], bx0 = b.cas_bx[e][m], t0 = b.cas_t[e][m], z0 = b.bld_z[e];
    double tb0 = b.cas_tb[e][m];
    int ndim = 1;
    Axis axes[2] = {};
    double second = 0.0;
    if (mode == 1) {
        axes[0] = {b.S1bx_lo[e], b.S1bx_hi[e]};
        if (b.cas_tb[e][m] == 0.0) tb0 = b.cas_tb[e][m] = kDefaultPitch;
        second = b.cas_tb[e][m];
    } else if (mode == 2) {
        ndim = 2;
        axes[0] = {b.S1bx_lo[e], b.S1bx_hi[e]};
        axes[1] = pitch_axis(b, e);
    } else {
        axes[0] = pitch_axis(b, e);
        second = b.cas_bx[e][m];
    }

    // The best point starts unset, so that the first point of the range
    // competes like any other.
    double phi_best = 0.0;
    int best = -1;
    LosStrsPoint best_point{};
    PD_module& record0 = h2::predesign::module_records()[0];
    for (int i = b.S1range_begin; i <= b.S1range_end; ++i) {
        double u[2] = {0.0, 0.0};
        LPT20point(static_cast<uint32_t>(i), ndim, u);
        LosStrsPoint p{};
        p.v[0] = axes[0].lo + u[0] * (axes[0].hi - axes[0].lo);
        p.v[1] = ndim == 2 ? axes[1].lo + u[1] * (axes[1].hi - axes[1].lo) : second;
        apply_point(b, e, m, mode, p);
        rate_point(b, e, m);
        if (h2::is_rotor(b, e) && b.S1vibrignore == 0 &&
            h2::turbine::rotor_resonant(b.bld_wp[e], b.strs_sk[e]))
            continue;
        if (!within_stresses(b, e)) continue;
        section_losses(e, m);
        if (b.los_Los[e][m] > phi_best) {
            CopyLosStrsPoint(&p, &best_point);
            best = i;
            phi_best = b.los_Los[e][m];
            record0.PD_VAL[0] = p.v[0];
            if (ndim == 2) record0.PD_VAL[1] = p.v[1];
        }
    }
    if (best >= 0) {
        apply_point(b, e, m, mode, best_point);
    } else {
        b.cas_b[e][m] = chord0;
        b.cas_bx[e][m] = bx0;
        b.cas_t[e][m] = t0;
        b.cas_tb[e][m] = tb0;
    }
    section_properties(b, e, m);
    if (best < 0) b.bld_z[e] = z0;
    const bool spanwise = b.cyld_nr - 1 > 1;
    rlpc(e);
    if (spanwise) rlzc(e);
    section_losses(e, m);
    vibration(e);
    if (spanwise) vibrzz(e);
    return best >= 0 ? 0 : 1;
}
}
