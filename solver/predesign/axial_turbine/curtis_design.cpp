// The Curtis turbine module: a velocity-compounded impulse wheel. The nozzle
// row expands the whole module drop; every later row ends at the module
// outlet pressure with the first stage's axial velocity, each stator 1.15
// times as tall as the rotor ahead of it. Rows are laid out with the Curtis
// seals and gaps, then the module is solved.
#include <cmath>

#include "case/case_arrays.h"
#include "case/truncated_pi.h"
#include "halvorine2/threading.h"
#include "solver/predesign/axial_turbine/axial_turbine_rows.h"
#include "solver/predesign/axial_turbine/turbine_design.h"
#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/module_generators.h"
#include "solver/predesign/point_reason.h"
#include "solver/predesign/predesign_tables.h"
#include "solver/solver_api.h"

namespace h2::predesign {
namespace {

constexpr int kNozzlePasses = 13;
constexpr int kRowPasses = 5;
constexpr double kRowSeed = 0.95, kInletSeed = 1.0;
// Each row is this much taller than the one ahead of it.
constexpr double kRowGrowth = 1.15;
// Diaphragm seal diameter per hub diameter of the rotor.
constexpr double kDiaphragmSeal = 0.65;
// Stator tip clearance cap; rotor tip clearance and shroud margin.
constexpr double kStatorClearanceCap = 0.05;
constexpr double kRotorClearance = 0.002;
// Axial gap of every rotor; rotor seal teeth.
constexpr double kRotorAxialGap = 0.001;
constexpr double kSealTeeth = 2.0;
// Stator and rotor section shapes.
constexpr double kStatorInlet = 90.0, kStatorWedge = 10.0, kStatorWedgeIn = 25.0, kStatorWedgeOut = 5.0;
constexpr double kRotorWedge = 16.0, kRotorWedgeIn = 25.0, kRotorWedgeOut = 6.0;
// The first stage of the machine takes this share of the diaphragm seal slot.
constexpr double kFirstDiaphragmShare = 0.3;
// The last rotor ahead of another module seals against it tenfold.
constexpr double kModuleSealFactor = 10.0;

enum Slot {
    kNSEGM = 1,
    kTu = 2,
    kRoughness = 3,
    kStatorPitch = 5,
    kRotorPitch = 6,
    kInletEdge = 7,
    kExitEdge = 8,
    kStatorClearance = 10,
    kStatorTeeth = 13,
    kFirstStatorTeeth = 14,
    kAxialSeal = 15,
    kSealInOut = 16,
    kSealDiameter = 17,
    kRotorSealDiameter = 18,
    kShroudSeal = 19,
    kDiaphragmSlot = 20,
    kStatorTdy = 22,
    kRotorTby = 23
};

// Chord, pitch, edges and blade count of row e of chord ratio `ratio` and
// relative pitch tb: the count is the whole blades that fit the pitch.
void curtis_row(bdLocals& b, int e, int j, double ratio, double tb, double r1, double r2) {
    b.cas_b[e][j] = ratio * b.bld_l2[e];
    b.cas_bx[e][j] = b.cas_b[e][j];
    b.cas_tb[e][j] = tb;
    b.cas_t[e][j] = tb * b.cas_b[e][j];
    b.cas_r1[e][j] = r1 * b.cas_b[e][j];
    b.cas_r2[e][j] = r2 * b.cas_b[e][j];
    b.bld_z[e] = std::trunc(b.bld_d2[e] * kPi / b.cas_t[e][j]);
}

}  // namespace

int CurtisDesign(int m) {
    bdLocals* bp = get_bdLocals();
    PD_module* rec = module(m);
    if (rec == nullptr) return 1;
    PD_module& r = *rec;
    r.elemsPerStage = 2;
    if (!generator_case_ready(bp, 2)) return 1;
    bdLocals& b = *bp;
    b.cyld_VARTD = r.Dflag;
    if (r.Dflag < 0 || r.Dflag > 2) return 1;
    const int j = b.cyld_nr / 2;
    const double* val = r.PD_VAL;
    const double D = val[PD_VAR_D], R = val[PD_VAR_R], PA = val[PD_VAR_PA];
    const auto S = [&](int k) { return slot(b, k, 0.0); };

    const TurbineExpansion x = turbine_expansion(b, r);
    // A module that would compress has no drop to lay stages out on.
    if (!expansion_possible(x, "Curtis turbine", m)) return 101;
    const double G = x.G, om = x.om, i0 = x.i0, s0 = x.s0;

    b.bld_wp[0] = 0.0;
    b.bld_wp[2] = om;
    b.bld_d2s[0] = b.bld_d2s[1] = b.bld_d2s[2] = D;
    b.cas_x2[0][j] = 0.0;
    b.elem_Pa[2] = b.elem_Pa[1] = PA;

    FirstStageStart start;
    first_stage_start(b, r, om, start);
    double q = start.q;

    // An upper stage limit below 2 leaves no velocity-compounded wheel; the
    // module would stay unsolved yet count as generated.
    const double upper = r.PD_LIM_upper[PD_LIM_STG];
    if (!(upper >= 2.0)) {
        point_reason("Curtis turbine module %d: upper stage limit %g leaves no second row of blades", m,
                     upper);
        return 101;
    }
    const int n = static_cast<int>(std::fmin(upper, 1e6));
    if (!allocated_element(&b, 2 * n)) return 1;

    // The nozzle takes the whole drop.
    r.PD_VAL[PD_VAR_KZ] = 1.0;
    r.PD_VAL[PD_VAR_KU] = 0.0;
    const double share = 1.0 - std::fabs(r.PD_VAL[PD_VAR_KZ] - 1.0);
    const double pn = design_fluid(b, H2_FLUID_P_IS, i0 - share * x.H0, s0);
    const double ds = (x.s2 - s0) / n;
    const double Hn = share * x.H0;

    // First stage: the stator exit state at the stage reaction.
    double p1 = 0.0, i1 = 0.0, rho = 0.0;
    const auto stator_exit = [&] {
        p1 = design_fluid(b, H2_FLUID_P_IS, i0 - (1.0 - b.elem_R[1]) * Hn, s0);
        i1 = design_fluid(b, H2_FLUID_I_PS, p1, (1.0 - b.elem_R[1]) * ds + s0);
        rho = design_fluid(b, H2_FLUID_RHO_PI, p1, i1);
    };
    stator_exit();
    if (r.Gflag == 0 || r.Gflag == 1) {
        const double d = b.bld_d2[1], l = b.bld_l2[1];
        const double alpha = std::atan(G / (kPi * rho * b.elem_Pa[1] * d * d * l * om * (1.0 - R)));
        const double c = om * d * (1.0 - R) / std::cos(alpha);
        q = c * c * (1.0 - std::cos(alpha) * std::cos(alpha));
    } else {
        for (int pass = 0; pass < kNozzlePasses; ++pass) {
            stator_exit();
            first_stator_by_continuity(b, r, G, q, rho);
            const double l = b.bld_l2[1];
            b.elem_R[1] = mean_reaction(l / (l + D), R);
        }
    }
    const double cz = std::sqrt(q);
    b.isd_i1x[0][j] = i0;
    b.isd_p1x[0][j] = x.p0;
    b.elem_p2[1] = b.isd_p2[1][j] = p1;
    b.elem_p2[2] = b.isd_p2[2][j] = pn;
    const double u1 = 0.5 * b.bld_d2[1] * om;
    for (int e = 0; e <= 2; ++e) {
        b.flow_c1z[e][j] = b.flow_c2z[e][j] = cz;
        b.elem_cz_[e] = cz / u1;
    }
    b.los_Los[0][j] = kInletSeed;
    b.los_Los[1][j] = b.los_Los[2][j] = kRowSeed;
    row_methods(b, 1);
    row_methods(b, 2);

    // Later rows expand from the nozzle's actual exit enthalpy to the module
    // outlet pressure.
    for (int k = 1; k < n; ++k) {
        const int e = 2 * k + 1;
        b.elem_Pa[e + 1] = b.elem_Pa[e] = admission(PA);
        b.bld_d2s[e + 1] = b.bld_d2s[e] = D;
        const double Eh = i0 - x.eta * Hn;
        const double sk = k * ds + s0;
        const double is = design_fluid(b, H2_FLUID_I_PS, x.p2n, sk);
        double Rk = 0.0, pk = x.p2n, l = 0.0;
        for (int pass = 0; pass < kRowPasses; ++pass) {
            const double ik = design_fluid(b, H2_FLUID_I_PS, pk, (1.0 - Rk) * ds + sk);
            const double rhok = design_fluid(b, H2_FLUID_RHO_PI, pk, ik);
            l = stator_height(G, cz, rhok, b.elem_Pa[e], D);
            Rk = std::pow(1.0 - l / (l + D), 1.8) * R;
            pk = design_fluid(b, H2_FLUID_P_IS, Eh - (Eh - is) * (1.0 - Rk), sk);
        }
        // The nozzle has taken the whole drop: a later row starts at the
        // module outlet and ends there. The reaction share above would leave
        // the stator above the pressure it starts from (a compressing nozzle
        // that no design solve can meet).
        if (pk > x.p2n) {
            pk = x.p2n;
            Rk = 0.0;
        }
        for (int i : {e, e + 1}) {
            b.elem_G1[i] = b.elem_G2[i] = G;
            b.elem_R[i] = Rk;
            b.flow_c1z[i][j] = b.flow_c2z[i][j] = cz;
            b.los_Los[i][j] = kRowSeed;
            row_methods(b, i);
            b.elem_losType[i] = 1.0;
        }
        b.elem_p2[e] = b.isd_p2[e][j] = pk;
        b.elem_p2[e + 1] = b.isd_p2[e + 1][j] = x.p2n;
        b.bld_l2[e] = l;
        b.bld_d2[e] = r.Dflag == 0 ? D + l : r.Dflag == 1 ? D : D - l;
    }
    if (b.cyld_VART == 2) {
        b.bld_d2[0] = b.bld_d2[1];
        b.bld_d1[0] = b.bld_d2[0];
        b.bld_l2[0] = b.bld_l2[1];
        b.bld_l1[0] = b.bld_l2[0];
    }

    // Row layout.
    const bool more_modules = module_count() > 1 && m < module_count() - 1;
    for (int k = 0; k < n; ++k) {
        const int e = 2 * k + 1, w = e + 1;
        for (int i : {e, w}) {
            b.elem_moduleNum[i] = m;
            b.elem_stageNum[i] = k;
            b.elem_stagType[i] = 1.0;
            b.elem_losType[i] = 1.0;
            b.elem_Gotb2[i] = 0.0;
            b.elem_VI[i] = -1.0;
            b.elem_NSEGM[i] = S(kNSEGM);
            b.elem_Pa[i] = admission(PA);
            // The closing solve sizes each row by the module's diameter form.
            b.elem_VARTD[i] = r.Dflag;
        }
        if (k > 0) {
            b.bld_l2[e] = kRowGrowth * b.bld_l2[e - 1];
            b.bld_d2[e] = b.bld_d2[e - 1];
        }
        b.bld_l2[w] = kRowGrowth * b.bld_l2[e];
        b.bld_d2[w] = b.bld_d2[e];
        b.bld_l1[e] = b.bld_l2[e];
        b.bld_d1[e] = b.bld_d2[e];

        // A negative seal diameter leaves a half-built module: nothing to solve.
        b.bld_du[e] = (b.bld_d2[w] - b.bld_l2[w]) * kDiaphragmSeal;
        if (b.bld_du[e] < 0.0) {
            point_reason(
                "Curtis turbine module %d, stator %d: no room for the diaphragm seal (rotor taller than "
                "its mean diameter)",
                m, e);
            return 101;
        }

        b.bld_Tu[e] = S(kTu);
        b.bld_k[e] = S(kRoughness);
        curtis_row(b, e, j, stator_chord_ratio(b.bld_d2[e] / b.bld_l2[e]), S(kStatorPitch), S(kInletEdge),
                   S(kExitEdge));
        b.clrn_to[e] = std::fmin(S(kStatorClearance) * b.cas_b[e][j], kStatorClearanceCap);
        b.cas_B1g[e][j] = b.cas_B1[e][j] = kStatorInlet;
        b.cas_d[e][j] = kStatorWedge;
        b.cas_w1[e][j] = kStatorWedgeIn;
        b.cas_w2[e][j] = kStatorWedgeOut;

        b.bld_wp[w] = om;
        b.bld_l2[w] = b.bld_l2[e];
        b.bld_d2[w] = b.bld_d2[e];
        b.bld_dub[w] = b.bld_d2[w] + b.bld_l2[w] + kRotorClearance;
        b.clrn_to[w] = kRotorClearance;
        b.bld_Tu[w] = S(kTu);
        b.bld_k[w] = S(kRoughness);
        curtis_row(b, w, j, rotor_chord_ratio(b.bld_d2[w] / b.bld_l2[w]), S(kRotorPitch), S(kInletEdge),
                   S(kExitEdge));
        b.cas_d[w][j] = kRotorWedge;
        b.cas_w1[w][j] = kRotorWedgeIn;
        b.cas_w2[w][j] = kRotorWedgeOut;

        const double u = 0.5 * b.bld_d2[e] * om;
        b.elem_cz_[e] = b.flow_c2z[e][j] / u;
        b.elem_cz_[w] = b.flow_c2z[w][j] / u;

        const double chord_r = b.cas_b[w][j];
        // The wheel is shrouded: its seal teeth belong on the rotor too, or the rotor
        // is solved as an open tip whose gap flow bypasses a tenth of the wheel.
        b.clrn_Zrr[e] = b.clrn_Zrr[w] = kSealTeeth;
        b.clrn_Zrd[e] = m == 0 && k == 0 ? S(kFirstStatorTeeth) : S(kStatorTeeth);
        b.clrn_d1[e] = S(kSealDiameter) * chord_r;
        b.clrn_d1[w] = S(kRotorSealDiameter) * b.clrn_d1[e];
        b.clrn_SRO[w] = b.clrn_SROY[w] = b.clrn_d1[w];
        if (more_modules && k == n - 1) b.clrn_d1[w] *= kModuleSealFactor;
        b.clrn_b1n[e] = S(kAxialSeal) * chord_r;
        b.clrn_a1n[e] = b.clrn_a1n[w] = b.clrn_a2n[e] = b.clrn_a2n[w] = S(kSealInOut) * chord_r;

        double g1 = 0.0, g2 = 0.0, g3 = 0.0;
        estimate_gaps(b.bld_l2[w], &g1, &g2, &g3);
        b.bld_l2[w] += g2 + g3;
        b.bld_d2[w] += (g2 - g3) / 2.0;
        b.bld_l1[w] = b.bld_l2[w];
        b.bld_d1[w] = b.bld_d2[w];
        b.clrn_b1n[w] = kRotorAxialGap;

        const double drd = m == 0 && k == 0 ? S(kDiaphragmSlot) * kFirstDiaphragmShare : S(kDiaphragmSlot);
        b.clrn_drd[e] = drd * b.bld_du[e];
        b.clrn_drr[w] = S(kShroudSeal) * b.bld_dub[w];
        b.stgtd_Tdy[e] = S(kStatorTdy);
        b.stgtd_Tby[w] = S(kRotorTby);
    }

    b.cyld_ns = 2 * n;
    return bestXN();
}

}  // namespace h2::predesign
