// The rows of an axial turbine module once its stages are sized: numbering
// and switches, chords from the chord chart (or kept), pitches and blade
// counts, seals, axial gaps and the rotor's overlaps, the hub and tip limits
// of every rotor, the blade cooling of a cooled module and the blade density.
#include <cmath>

#include "case/case_arrays.h"
#include "case/truncated_pi.h"
#include "halvorine2/threading.h"
#include "physics/profile_class.h"
#include "solver/predesign/axial_turbine/axial_turbine_rows.h"
#include "solver/predesign/axial_turbine/turbine_design.h"
#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/point_reason.h"
#include "solver/predesign/predesign_tables.h"

namespace h2::predesign {
namespace {

// Prerequisite slots of the turbine rows (their defaults for a case without
// a block: none, so 0.0).
enum Slot {
    kVI = 0,
    kNSEGM = 1,
    kTu = 2,
    kRoughness = 3,
    kSealFactor = 4,
    kStatorPitch = 5,
    kRotorPitch = 6,
    kInletEdge = 7,
    kExitEdge = 8,
    kWedgeRatio = 9,
    kStatorClearance = 10,
    kRotorClearance = 11,
    kRotorTeeth = 12,
    kStatorTeeth = 13,
    kFirstStatorTeeth = 14,
    kAxialSeal = 15,
    kSealInOut = 16,
    kSealDiameter = 17,
    kRotorSealDiameter = 18,
    kShroudSeal = 19,
    kDiaphragmSeal = 20,
    kGapThreshold = 21,
    kStatorTdy = 22,
    kRotorTby = 23,
    kStatorHold = 28,
    kRotorHold = 29
};

// Stators and the rotors of a given inlet angle are wedge-shaped by the
// inlet angle; a rotor without one takes fixed wedges.
constexpr double kStatorInlet = 90.0;
double wedge_for(double B1g) { return 36.0 - (B1g - 30.0) / 4.0; }
constexpr double kRotorWedgeIn = 25.0, kRotorWedgeOut = 6.0, kRotorWedgeMid = 16.0;
// The shroud diameter over the rotor tip with its clearance.
constexpr double kShroudRatio = 0.959;
// The last rotor ahead of another module seals against it tenfold.
constexpr double kModuleSealFactor = 10.0;
// The first stage of the machine seals its diaphragm a tenth as much.
constexpr double kFirstDiaphragmShare = 0.1;
// Coolant: this much below the gas, not colder than kCoolantFloor, and lowered
// by kCoolantStep while the chart wants colder coolant, down to kCoolantLeast.
constexpr double kCoolantBelowGas = 500.0, kCoolantFloor = 400.0, kCoolantStep = 50.0, kCoolantLeast = 300.0;
// A coolant pressure or velocity smaller than this is taken as unset.
constexpr double kUnset = 1e-6;

// One set of coolant fields: temperature, flow, pressure and velocity.
struct CoolantSet {
    double* T;
    double* G;
    double* P;
    double* C;
};

void fill_set(const CoolantSet& s, int j, double Tc, double G, double p0, double cz, bool with_T) {
    if (with_T) s.T[j] = Tc;
    s.G[j] = G;
    if (std::fabs(s.P[j]) < kUnset) s.P[j] = p0;
    if (std::fabs(s.C[j]) < kUnset) s.C[j] = cz;
}
void zero_set(const CoolantSet& s, int j) { s.C[j] = s.P[j] = s.G[j] = 0.0; }

// Cooling of row j at metal temperature tmetal: the chart's kind and coolant
// flow at the warmest coolant the chart accepts.
void design_cooling(bdLocals& b, int j, bool stator, bool first_stage, double tmetal, int mid) {
    const double T0 = b.elem_T0[j] = design_fluid(b, H2_FLUID_T_PI, b.elem_p0[j], b.elem_i0[j]);
    double Tc = std::fmax(T0 - kCoolantBelowGas, kCoolantFloor);
    b.cool_iToxl[j] = Tc;
    const CoolantSet inner{b.cool_iToxl, b.cool_iGoxl, b.cool_iPoxl, b.cool_iCoxl};
    const CoolantSet own = stator ? CoolantSet{b.cool_oToxl, b.cool_oGoxl, b.cool_oPoxl, b.cool_oCoxl}
                                  : CoolantSet{b.cool_fToxl, b.cool_fGoxl, b.cool_fPoxl, b.cool_fCoxl};
    int result = 1;
    double depth = 0.0, fraction = 0.0;
    int kind = 0;
    if (tmetal < T0 && tmetal > 0.0) {
        b.strs_tm[j] = tmetal;
        const double kT = first_stage ? b.cyld_kToxl : 0.0;
        result = 2;
        while (Tc >= kCoolantLeast) {
            result = design_chart_lookup(j, T0, kT, Tc, tmetal, depth, fraction, kind);
            if (result != 2) break;
            Tc -= kCoolantStep;
            b.cool_iToxl[j] = Tc;
        }
    }
    if (result == 0) {
        b.cool_tox[j] = kind;
        const double G = fraction * b.elem_G1[j];
        if (kind == 4) {
            fill_set(inner, j, Tc, G, b.elem_p0[j], b.flow_c2z[j][mid], false);
            zero_set(own, j);
        } else {
            fill_set(own, j, Tc, G, b.elem_p0[j], b.flow_c2z[j][mid], true);
            zero_set(inner, j);
        }
        b.cool_Ocp[j] = depth;
        return;
    }
    // No cooling needed (1), or none that the charts reach (2, or a lookup
    // that could not read the row).
    b.cool_iToxl[j] = 0.0;
    b.strs_tm[j] = b.elem_T0[j];
    zero_set(inner, j);
    b.cool_tox[j] = result == 1 ? 0.0 : -1.0;
    b.cool_Ocp[j] = 0.0;
}

int out_of_limits(bdLocals& b) {
    b.cyld_Nc = 0.0;
    b.cyld_eff = 0.0;
    return 101;
}

bool inside(double x, double lo, double hi) { return x >= lo && x <= hi; }

}  // namespace

int AxTurbDesignStages(int m, int stages) {
    bdLocals* bp = get_bdLocals();
    PD_module* rec = module(m);
    if (bp == nullptr || rec == nullptr || bp->elem_stagType == nullptr || stages < 1 || bp->cyld_nr < 1 ||
        bp->cyld_nr > bp->alloc_streams || !allocated_element(bp, 2 * stages))
        return 1;
    bdLocals& b = *bp;
    const PD_module& r = *rec;
    const int j = b.cyld_nr / 2;
    const auto S = [&](int k) { return slot(b, k, 0.0); };
    const double PA = r.PD_VAL[PD_VAR_PA], KU = r.PD_VAR_lower[PD_VAR_KU];
    const bool more_modules = module_count() > 1 && m < module_count() - 1;

    b.elem_Pa[0] = 1.0;
    b.cas_x2[0][j] = 0.0;
    b.clrn_d1[0] = 0.0;
    b.elem_VARTD[0] = r.Dflag;
    if (b.cyld_VART == 2) {
        b.bld_d2[0] = b.bld_d2[1];
        b.bld_d1[0] = b.bld_d2[0];
        b.bld_l2[0] = b.bld_l2[1];
        b.bld_l1[0] = b.bld_l2[0];
    }

    for (int k = 0; k < stages; ++k) {
        const int e = 2 * k + 1, w = e + 1;  // stator, rotor
        for (int i : {w, e}) {
            b.elem_moduleNum[i] = m;
            b.elem_stageNum[i] = k;
            b.elem_VARTD[i] = r.Dflag;
            b.elem_stagType[i] = 1.0;
            b.elem_losType[i] = 1.0;
            b.elem_Gotb2[i] = 0.0;
            b.elem_VI[i] = S(kVI);
            b.elem_NSEGM[i] = S(kNSEGM);
        }
        rec->PD_VAL[PD_VAR_KU] = KU;
        b.elem_Pa[w] = b.elem_Pa[e] = admission((k * KU / stages + 1.0) * PA);

        // Stator.
        b.bld_d1[e] = b.bld_d2[e];
        const double theta_s = b.bld_d2[e] / b.bld_l2[e];
        b.flow_r1[e][0] = b.bld_d1[e] / 2.0;
        b.flow_r2[e][0] = b.bld_d2[e] / 2.0;
        if (k == 0) {
            b.flow_r1[0][0] = b.flow_r1[1][0];
            b.flow_r2[0][0] = b.flow_r2[1][0];
        }
        b.bld_Tu[e] = S(kTu);
        b.bld_k[e] = S(kRoughness);
        const double hold_s = S(kStatorHold);
        if (hold_s == 0.0 || b.cas_b[e][j] == 0.0) b.cas_b[e][j] = stator_chord_ratio(theta_s) * b.bld_l2[e];
        b.cas_bx[e][j] = b.cas_b[e][j];
        b.cas_tb[e][j] = S(kStatorPitch);
        b.cas_t[e][j] = b.cas_tb[e][j] * b.cas_b[e][j];
        b.cas_r1[e][j] = S(kInletEdge) * b.cas_b[e][j];
        b.cas_r2[e][j] = S(kExitEdge) * b.cas_b[e][j];
        b.bld_z[e] = std::ceil(b.bld_d2[e] * kPi / b.cas_t[e][j]);
        if (hold_s == 2.0 && k > 0) b.bld_z[e] = b.bld_z[1];
        b.cas_t[e][j] = b.bld_d2[e] * kPi / b.bld_z[e];
        if (hold_s == 0.0)
            b.cas_b[e][j] = b.cas_bx[e][j] = b.cas_t[e][j] / b.cas_tb[e][j];
        else
            b.cas_tb[e][j] = S(kStatorPitch);
        b.clrn_to[e] = S(kStatorClearance) * b.cas_b[e][j];
        b.cas_B1g[e][j] = b.cas_B1[e][j] = kStatorInlet;
        b.cas_w1[e][j] = wedge_for(b.cas_B1g[e][j]);
        b.cas_w2[e][j] = b.cas_w1[e][j] * S(kWedgeRatio);
        b.cas_d[e][j] = b.cas_w2[e][j];

        // Rotor, first on the stator's annulus.
        b.bld_wp[w] = b.bld_wp[2];
        b.bld_l2[w] = b.bld_l2[e];
        b.bld_d2[w] = b.bld_d2[e];
        const double theta_r = b.bld_d2[w] / b.bld_l2[w];
        b.flow_r1[w][j] = b.bld_d1[e - 1] / 2.0;
        b.flow_r2[w][j] = b.bld_d2[e - 1] / 2.0;
        b.clrn_to[w] = S(kRotorClearance);
        b.bld_dub[w] = (2.0 * b.clrn_to[w] + b.bld_d2[w] + b.bld_l2[w]) / kShroudRatio;
        // The diaphragm seal sits on the larger hub of the stage's rows.
        b.bld_du[e] = std::fmax(b.bld_d2[e] - b.bld_l2[e], b.bld_d2[w] - b.bld_l2[w]) * S(kSealFactor);
        if (b.bld_du[e] < 0.0) {
            point_reason(
                "axial turbine module %d, stator %d: no room for the diaphragm seal (hub of the stage "
                "below 0)",
                m, e);
            return 101;
        }
        b.bld_Tu[w] = S(kTu);
        b.bld_k[w] = S(kRoughness);
        const double hold_r = S(kRotorHold);
        if (hold_r == 0.0 || b.cas_b[w][j] == 0.0) b.cas_b[w][j] = rotor_chord_ratio(theta_r) * b.bld_l2[w];
        b.cas_bx[w][j] = b.cas_b[w][j];
        b.cas_tb[w][j] = S(kRotorPitch);
        b.cas_t[w][j] = b.cas_tb[w][j] * b.cas_b[w][j];
        b.cas_r1[w][j] = S(kInletEdge) * b.cas_b[w][j];
        b.cas_r2[w][j] = S(kExitEdge) * b.cas_b[w][j];
        b.bld_z[w] = std::ceil(b.bld_d2[w] * kPi / b.cas_t[w][j]);
        if (hold_r == 2.0 && k > 0) b.bld_z[w] = b.bld_z[2];
        b.cas_t[w][j] = b.bld_d2[w] * kPi / b.bld_z[w];
        if (hold_r == 0.0)
            b.cas_bx[w][j] = b.cas_b[w][j] = b.cas_t[w][j] / b.cas_tb[w][j];
        else
            b.cas_tb[w][j] = S(kRotorPitch);
        if (b.cas_B1g[w][j] == 0.0) {
            b.cas_w1[w][j] = kRotorWedgeIn;
            b.cas_w2[w][j] = kRotorWedgeOut;
            b.cas_d[w][j] = kRotorWedgeMid;
        } else {
            b.cas_w1[w][j] = wedge_for(b.cas_B1g[w][j]);
            b.cas_w2[w][j] = b.cas_w1[w][j] * S(kWedgeRatio);
            b.cas_d[w][j] = b.cas_w2[w][j];
        }

        // Flow coefficients over the stator's blade speed.
        const double u = b.bld_d2[e] * 0.5 * b.bld_wp[w];
        b.elem_cz_[e] = b.flow_c2z[e][j] / u;
        b.elem_cz_[w] = b.flow_c2z[w][j] / u;

        // Seals.
        b.clrn_Zrr[w] = S(kRotorTeeth);
        b.clrn_Zrr_set[w] = b.clrn_Zrr[w] != 0.0 ? 1.0 : 0.0;
        if (k == 0)
            b.clrn_Zrd[1] = S(kFirstStatorTeeth);
        else
            b.clrn_Zrd[e] = S(kStatorTeeth);
        const double chord_r = b.cas_b[w][j];
        b.clrn_d1[e] = S(kSealDiameter) * chord_r;
        b.clrn_d1[w] = S(kRotorSealDiameter) * b.clrn_d1[e];
        b.clrn_SROY[w] = b.clrn_SRO[w] = b.clrn_d1[w];
        if (more_modules && k == stages - 1) b.clrn_d1[w] *= kModuleSealFactor;
        b.clrn_b1n[e] = S(kAxialSeal) * chord_r;
        b.clrn_a1n[w] = b.clrn_a1n[e] = b.clrn_a2n[w] = b.clrn_a2n[e] = S(kSealInOut) * chord_r;

        // Gaps: the rotor reaches g2 beyond the stator at the tip, g3 at the hub.
        const double h = b.bld_l2[w], threshold = S(kGapThreshold);
        double g1 = 0.0, g2 = 0.0, g3 = 0.0;
        if (threshold > 0.0 && h >= threshold)
            estimate_gaps(h, &g1, &g2, &g3);
        else if (threshold > 0.0)
            g1 = g2 = g3 = h / 50.0;
        b.clrn_b1n[w] = g1;
        b.bld_l2[w] = h + g2 + g3;
        b.bld_d2[w] += (g2 - g3) / 2.0;
        b.bld_l1[w] = b.bld_l2[w];
        b.bld_d1[w] = b.bld_d2[w];

        const double drd = m == 0 && k == 0 ? S(kDiaphragmSeal) * kFirstDiaphragmShare : S(kDiaphragmSeal);
        b.clrn_drd[e] = drd * b.bld_du[e];
        b.clrn_drr[w] = S(kShroudSeal) * b.bld_dub[w];
        b.stgtd_Tdy[e] = S(kStatorTdy);
        b.stgtd_Tby[w] = S(kRotorTby);

        if (r.restoreFlag == 0) {
            const double hub = b.bld_d2[w] - b.bld_l2[w], tip = b.bld_d2[w] + b.bld_l2[w];
            const bool hub_ok = inside(hub, r.PD_LIM_lower[PD_LIM_DH], r.PD_LIM_upper[PD_LIM_DH]);
            const bool tip_ok = inside(tip, r.PD_LIM_lower[PD_LIM_DS], r.PD_LIM_upper[PD_LIM_DS]);
            const bool ok = r.Dflag == 2 ? hub_ok : r.Dflag == 0 ? tip_ok : hub_ok && tip_ok;
            if (!ok) {
                point_reason(
                    "axial turbine module %d, rotor %d: hub diameter %.4g m or tip diameter %.4g m outside "
                    "the limits (hub %.4g to %.4g m, tip %.4g to %.4g m)",
                    m, w, hub, tip, r.PD_LIM_lower[PD_LIM_DH], r.PD_LIM_upper[PD_LIM_DH],
                    r.PD_LIM_lower[PD_LIM_DS], r.PD_LIM_upper[PD_LIM_DS]);
                return out_of_limits(b);
            }
        }

        for (int i : {e, w}) {
            b.elem_G1[i] = b.elem_G1[0];
            b.stgtd_cooled[i] = r.cooled;
            b.strs_dtm[i] = r.dtm;
            if (b.stgtd_cooled[i] != 0.0) design_cooling(b, i, i == e, k == 0, r.dtm, j);
        }
        b.strs_g_b[w] = b.strs_g_b[e] = r.bladeDensity;
    }
    return 0;
}

}  // namespace h2::predesign
