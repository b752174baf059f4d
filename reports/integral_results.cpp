// Whole-flow-path results of a solved flow field: pressure ratios, power,
// efficiencies, heads, velocity ratio, flow coefficient, axial forces and
// outlet flows, with the stage, element and per-streamline results on the way.
#include <algorithm>
#include <cmath>

#include "case/truncated_pi.h"
#include "case/walkers_internal.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/threading.h"
#include "halvorine2/walkers.h"
#include "physics/disk_load.h"
#include "physics/known_answers.h"
#include "physics/loss_conversions.h"
#include "physics/loss_wrappers.h"
#include "physics/mix_streams.h"
#include "physics/section_losses.h"
#include "reports/report_api.h"
#include "reports/report_format.h"
#include "reports/stage_starts.h"

namespace h2 {

namespace {

constexpr int kFirstAnalysisTask = 10;     // cyld__VART below this selects a design task
constexpr double kHeatExchanger = 8.0;     // elem__stagType of a heat exchanger
constexpr double kNoWork = 1e-6;           // J/kg: an enthalpy change below this is no work
constexpr double kReactionExponent = 1.8;  // spanwise reaction of a free-vortex row on one streamline

// One call's view of the case and the running sums of the stage sweep.
struct Results {
    bdLocals& c;
    int flag;
    int ns, ni;
    int m;            // middle streamline NI/2
    int mp;           // middle streamline (NI - 1)/2
    double U2 = 0.0;  // sum of the stages' squared blade speeds
    int nst = 0;      // stages counted

    Results(bdLocals& block, int f)
        : c(block),
          flag(f),
          ns(block.cyld_ns),
          ni(block.cyld_nr),
          m(block.cyld_nr / 2),
          mp((block.cyld_nr - 1) / 2) {}

    double fluid(int code, double a, double b, double af) const {
        return c.fluid_func(code, a, b, af, H2_FLUID_MAIN);
    }
    // Isentropic enthalpy at pressure p on the entropy s.
    double i_ps(double p, double s, double af) const { return fluid(H2_FLUID_I_PS, p, s, af); }
    double sm(double* const* X, int i, int r) const { return span_mean(X, i, r, ni, c.ZAG); }
    bool expanding() const { return is_expanding(c); }
    bool rotor(int i) const { return is_rotor(c, i); }
    bool stator(int i) const { return is_stator(c, i); }
    // The rotor of the turbine stage that element i starts, 0 for none. A stator
    // followed by a second stator before the rotor starts no stage of its own:
    // the rotor's power belongs to the stage of the stator next to it.
    int turbine_stage_rotor(int i) const { return i < ns && is_turb_stage_start(i) ? next_rotor(i) : 0; }
    bool compressor_stage(int i) const { return i < ns && is_comp_stage_start(i) != 0; }
    bool turbine_branch(int i) const { return turbine_profiled(c, i) || c.elem_stagType[i] == kInletVolute; }
};

double sq(double x) { return x * x; }

// Hub and tip radii of element e.
double rh1(const bdLocals& c, int e) { return (c.bld_d1[e] - c.bld_l1[e]) / 2.0; }
double rh2(const bdLocals& c, int e) { return (c.bld_d2[e] - c.bld_l2[e]) / 2.0; }
double rt2(const bdLocals& c, int e) { return (c.bld_d2[e] + c.bld_l2[e]) / 2.0; }

// Shaft power of turbine rotor k from the span means of its inlet and
// mixed-out outlet total enthalpy: the blade flow's drop, the tip leakage's
// rise dIr taken off. The first law of the row (inlet and leakage flows in,
// the mixed-out flow leaving) gives the same number; the drop times the blade
// flow alone would charge the leakage's energy to the shaft.
double rotor_power(const bdLocals& c, int k, double i1, double i2) {
    return (i1 - i2 + c.elem_dIr[k]) * c.elem_G1[k];
}

// Axial and circumferential forces of turbine stage i (stator) and k (rotor).
void turbine_stage_forces(Results& r, int i, int k) {
    bdLocals& c = r.c;
    const int m = r.m, mp = r.mp;
    if (r.ni == 1) {
        // The rotor row between the stator's outlet and its own.
        c.elem_RAL[k] = blade_row_force(c.isd_p2[i][m], c.isd_p2[k][mp], c.flow_c2z[i][m], c.flow_c2u[i][m],
                                        c.isd_Ro2[i][m], c.flow_c2z[k][mp], rh2(c, i), rt2(c, i));
        if (c.ITML == 0)
            c.elem_RAD[k] = annulus_force(c.isd_p1[k][mp], c.isd_p2[k][mp], c.bld_du[i], rh1(c, k), rh2(c, k),
                                          c.bld_du[i]);
        // A stage that starts at element 0 (an inlet volute) has nothing in front of it.
        c.elem_RAL[i] = i == 0 ? 0.0
                               : blade_row_force(c.isd_p2[i - 1][m], c.isd_p2[i][m], c.flow_c2z[i - 1][m],
                                                 c.flow_c2u[i - 1][m], c.isd_Ro2[i - 1][m], c.flow_c2z[i][m],
                                                 rh2(c, i - 1), rt2(c, i - 1));
    } else {
        const int n = r.ni - 1;
        c.elem_RAL[k] = span_integral(n, c.isd_p1[k], c.isd_p2[k], c.flow_c1z[k], c.isd_Ro1[k], c.flow_c2z[k],
                                      c.isd_Ro2[k], c.elem_G2[k]);
        if (c.ITML == 0)
            c.elem_RAD[k] =
                annulus_force(c.isd_p1[k][0], c.isd_p2[k][0], c.bld_du[i], rh1(c, k), rh2(c, k), c.bld_du[i]);
        c.elem_RAL[i] = span_integral(n, c.isd_p1[i], c.isd_p2[i], c.flow_c1z[i], c.isd_Ro1[i], c.flow_c2z[i],
                                      c.isd_Ro2[i], c.elem_G2[i]);
    }
    c.elem_RUL[i] = (c.flow_c2u[i][m] - c.flow_c1u[i][m]) * c.elem_G1[i];
    c.elem_RUL[k] = (c.flow_c2u[k][mp] - c.flow_c1u[k][mp]) * c.elem_G1[k];
    c.cyld_RAL += c.elem_RAL[k];
    c.cyld_RAD += c.elem_RAD[k];
}

// Turbine stage of stator (or inlet volute) i and rotor k.
void turbine_stage(Results& r, int i, int k) {
    bdLocals& c = r.c;
    const int m = r.m, mp = r.mp;
    const double af = c.elem_af[i];
    const double p2s = r.sm(c.isd_p2, i, m), i1 = r.sm(c.isd_i1x, i, m), s1 = r.sm(c.isd_s1, i, m);
    const double p2r = r.sm(c.isd_p2, k, mp), p2xr = r.sm(c.isd_p2x, k, mp);
    const double i1r = r.sm(c.isd_i1x, k, mp), i2r = r.sm(c.isd_i2x, k, mp);
    // Isentropic expansion from the stator's inlet entropy.
    const double is_s = r.i_ps(p2s, s1, af), is_r = r.i_ps(p2r, s1, af), isx_r = r.i_ps(p2xr, s1, af);

    c.elem_H[i] = c.elem_H[k] = i1 - is_r;
    c.elem_Hx[i] = c.elem_Hx[k] = i1 - isx_r;
    if (r.flag != 0) c.elem_Ht[i] = c.elem_H[i] / sq(c.flow_u2[k][mp]);
    c.elem_Ns[i] = c.elem_Ns[k] = rotor_power(c, k, i1r, i2r);
    c.elem_R[i] = c.elem_R[k] = (is_s - is_r) / c.elem_H[i];
    c.elem_eff[i] = c.elem_eff[k] = c.elem_Ns[i] / c.elem_H[i] / (c.elem_G1[i] + c.elem_Gdu[i]);
    c.elem_effx[i] = c.elem_effx[k] = c.elem_Ns[i] / c.elem_Hx[i] / (c.elem_G1[i] + c.elem_Gdu[i]);
    c.cyld_Nc += c.elem_Ns[i];

    for (int e : {i, k}) {
        c.elem_pil[e] = c.isd_p2x[k][mp] / c.isd_p1x[i][m];
        c.elem_pir[e] = c.elem_pirTotal[e] = 0.0;
        c.elem_Pfs[e] = c.isd_p1x[i][m] - c.isd_p2[k][mp];
        c.elem_prt[e] = c.isd_p1x[i][m] - c.isd_p2x[k][mp];
        c.elem_prss[e] = c.isd_p1[i][m] - c.isd_p2[k][mp];
    }
    r.U2 += sq(c.flow_u2[k][mp]);
    turbine_stage_forces(r, i, k);
    c.enrg_zcool[i] = c.enrg_zcool[k] =
        (c.cool_HOXL1[i] + c.cool_HOXL2[i] + c.cool_HOXL1[k] + c.cool_HOXL2[k]) /
        (c.elem_H[i] * c.elem_G1[i]);
    r.nst += 1;
}

// A turbine rotor with no stator before it: all its drop is reaction.
void lone_turbine_rotor(Results& r, int i) {
    bdLocals& c = r.c;
    const int m = r.m;
    const double af = c.elem_af[i];
    const double p2 = r.sm(c.isd_p2, i, m), p2x = r.sm(c.isd_p2x, i, m);
    const double i1 = r.sm(c.isd_i1x, i, m), s1 = r.sm(c.isd_s1, i, m), i2 = r.sm(c.isd_i2x, i, m);
    c.elem_H[i] = i1 - r.i_ps(p2, s1, af);
    c.elem_Hx[i] = i1 - r.i_ps(p2x, s1, af);
    if (r.flag != 0) c.elem_Ht[i] = c.elem_H[i] / sq(c.flow_u2[i][m]);
    c.elem_Ns[i] = rotor_power(c, i, i1, i2);
    c.elem_R[i] = c.elem_Rt[i] = c.elem_Rh[i] = 1.0;
    c.elem_eff[i] = c.elem_Ns[i] / (c.elem_H[i] * c.elem_G1[i]);
    c.elem_effx[i] = c.elem_Ns[i] / (c.elem_Hx[i] * c.elem_G1[i]);
    c.cyld_Nc += c.elem_Ns[i];
}

// Compressor stage of rotor i; its outlet is element i + 1.
void compressor_stage(Results& r, int i) {
    bdLocals& c = r.c;
    const int m = r.m, o = i + 1;
    const double af = c.elem_af[i];
    // The stator's outlet pressures over the span; the stage outlet where no
    // stator is reached directly (a further rotor first).
    const int s = next_stator(i) != 0 ? next_stator(i) : o;
    const double p2s = r.sm(c.isd_p2, s, m), p2xs = r.sm(c.isd_p2x, s, m);
    const double p2s_at = (r.ni - 1) * c.ZAG != 0.0 ? p2s : c.isd_p2[o][m];
    const double p2xs_at = (r.ni - 1) * c.ZAG != 0.0 ? p2xs : c.isd_p2x[o][m];
    const double u1c = r.sm(c.flow_ucu1, i, m), u2c = r.sm(c.flow_ucu2, i, m);
    const double i1 = r.sm(c.isd_i1x, i, m), s1 = r.sm(c.isd_s1, i, m);
    const double is_s = r.i_ps(p2s_at, s1, af), isx_s = r.i_ps(p2xs_at, s1, af);

    c.elem_H[i] = c.elem_H[o] = i1 - is_s;
    c.elem_Hx[i] = c.elem_Hx[o] = i1 - isx_s;
    // The loading uses the work the previous call's streamline sweep left.
    if (r.flag != 0) c.elem_Ht[i] = -c.enrg_Lu[i][m] / sq(c.flow_u2[i][m]);
    c.enrg_Lu[i][m] = u1c - u2c;  // span-mean Euler work, negative for a compressor
    c.elem_Ns[i] = c.elem_Ns[o] = -std::fabs(c.enrg_Lu[i][m]) * c.elem_G1[o];
    if (c.enrg_zrz[i] > 0.0) c.elem_Ns[i] += c.elem_Ns[i] * c.enrg_zrz[i];
    // Disk friction is shaft work whether or not a clearance flow is charged:
    // left out, the power would fall short of the outlet's enthalpy rise.
    c.elem_Ns[i] -= c.enrg_dhd[i] * c.elem_G1[i];
    const double R = (c.isd_i2[i][m] - c.isd_i1[i][m]) / (c.isd_i2[o][m] - c.isd_i1[i][m]);
    for (int e : {i, o}) c.elem_R[e] = c.elem_Rt[e] = c.elem_Rh[e] = R;
    c.elem_eff[i] = c.elem_eff[o] = c.elem_H[i] * c.elem_G1[i] / c.elem_Ns[i];
    c.elem_effx[i] = c.elem_effx[o] = c.elem_Hx[i] * c.elem_G1[i] / c.elem_Ns[i];
    c.cyld_Nc += c.elem_Ns[i];
    for (int e : {i, o}) {
        c.elem_pil[e] = 0.0;
        c.elem_pir[e] = c.isd_p2[o][m] / c.isd_p1[i][m];
        c.elem_pirTotal[e] = c.isd_p2x[o][m] / c.isd_p1x[i][m];
        c.elem_Pfs[e] = c.isd_p2[o][m] - c.isd_p1x[i][m];
        c.elem_prt[e] = c.isd_p2x[o][m] - c.isd_p1x[i][m];
        c.elem_prss[e] = c.isd_p2[o][m] - c.isd_p1[i][m];
    }
    r.U2 += sq(c.flow_u2[i][m]);
    r.nst += 1;
}

// A compressor rotor that starts no stage: heads to its total outlet pressure.
void lone_compressor_rotor(Results& r, int i) {
    bdLocals& c = r.c;
    const int m = r.m;
    const double isx = r.i_ps(c.isd_p2x[i][m], c.isd_s1[i][m], c.elem_af[i]);
    c.elem_H[i] = c.elem_Hx[i] = c.isd_i1x[i][m] - isx;
    c.enrg_Lu[i][m] =
        std::fabs(c.flow_u1[i][m]) * c.flow_c1u[i][m] - std::fabs(c.flow_u2[i][m]) * c.flow_c2u[i][m];
    c.elem_Ns[i] = -std::fabs(c.enrg_Lu[i][m]) * c.elem_G1[i];
    c.elem_Ns[i] += c.elem_Ns[i] * c.enrg_zrz[i] - c.enrg_dhd[i] * c.elem_G1[i];
    c.cyld_Nc += c.elem_Ns[i];
    c.elem_R[i] = c.elem_Rt[i] = c.elem_Rh[i] = 1.0;
    c.elem_effx[i] = c.elem_H[i] * c.elem_G1[i] / c.elem_Ns[i];
    c.elem_eff[i] = c.elem_effx[i];
    r.U2 += sq(c.flow_u2[i][m]);
    r.nst += 1;
}

// Flow coefficient and Reynolds number of element i.
void element_flow_numbers(Results& r, int i) {
    bdLocals& c = r.c;
    const int m = r.m;
    double omega;
    if (i <= 1)
        omega = r.ns <= 1 ? c.bld_wp[1] : std::max(c.bld_wp[1], c.bld_wp[2]);
    else
        omega = std::max(c.bld_wp[i - 1], c.bld_wp[i]);
    if (c.cyld_VART >= kFirstAnalysisTask && omega > 0.0 && c.bld_d2[i] != 0.0)
        c.elem_cz_[i] = c.flow_c2z[i][m] / (omega * c.bld_d2[i] / 2.0);

    // Chord Reynolds number on the relative speed; compressors at the inlet, turbines at the outlet.
    const double af = c.elem_af[i];
    if (!r.expanding()) {
        if (c.bld_vz[i] == 0.0) c.bld_vz[i] = r.fluid(H2_FLUID_NU_PI, c.isd_p1[i][m], c.isd_i1[i][m], af);
        c.bld_Re[i] = c.flow_w1[i][m] * c.cas_t[i][m] * std::sin(kDegree * c.cas_B1g[i][m]) / c.bld_vz[i];
    } else {
        if (c.bld_vz[i] == 0.0) c.bld_vz[i] = r.fluid(H2_FLUID_NU_PI, c.isd_p2[i][m], c.isd_i2[i][m], af);
        c.bld_Re[i] = c.flow_w2[i][m] * c.cas_t[i][m] * std::sin(kDegree * c.cas_B2[i][m]) / c.bld_vz[i];
    }
}

// First sweep: refreshed mean-line values, stage results, axial forces, loss
// shares, flow coefficients and Reynolds numbers, and the whole-path sums.
void stage_results_sweep(Results& r) {
    bdLocals& c = r.c;
    const int m = r.m;
    for (int i = 0; i <= r.ns; ++i) {
        const double af = c.elem_af[i];
        c.elem_T0[i] = r.fluid(H2_FLUID_T_PI, c.isd_p1x[i][m], c.isd_i1x[i][m], af);
        c.elem_i0[i] = c.isd_i1x[i][m];
        c.elem_p0[i] = c.isd_p1x[i][m];
        if (i != r.ns) c.elem_p2[i] = c.isd_p2[i][m];

        if (r.turbine_branch(i)) {
            if (const int k = r.turbine_stage_rotor(i); k != 0)
                turbine_stage(r, i, k);
            else if (r.rotor(i) && prev_stator(i) == 0)
                lone_turbine_rotor(r, i);
            if (c.elem_H[i] != 0.0) {
                c.enrg_zd[i] = c.enrg_dhd[i] / c.elem_H[i];
                c.enrg_zda[i] = c.enrg_dhDA[i] / c.elem_H[i];
            }
        } else if (compressor_profiled(c, i)) {
            if (r.compressor_stage(i))
                compressor_stage(r, i);
            else if (r.rotor(i))
                lone_compressor_rotor(r, i);
            if (c.enrg_Lu[i][m] != 0.0) {
                c.enrg_zd[i] = -c.enrg_dhd[i] / c.enrg_Lu[i][m];
                c.enrg_zda[i] = -c.enrg_dhDA[i] / c.enrg_Lu[i][m];
            }
        }
        if (!r.rotor(i)) c.enrg_dhDA[i] = c.GElos_DH[i] = c.enrg_dhd[i] = 0.0;
        element_flow_numbers(r, i);
    }
}

// Energy loss of section (i, j) from its velocity coefficient, over the larger
// of the inlet and outlet relative kinetic energies, and its share of the head.
void section_energy_loss(bdLocals& c, int i, int j, double w2max) {
    const double Los = c.los_Los[i][j];
    if (Los != 0.0) c.enrg_dhb[i][j] = (1.0 - Los * Los) / Los / Los * w2max / 2.0;
    c.enrg_zb[i][j] = c.elem_H[i] != 0.0 ? c.enrg_dhb[i][j] / c.elem_H[i] : 0.0;
}

void turbine_stage_streamline(Results& r, int i, int k, int j) {
    bdLocals& c = r.c;
    const double af = c.elem_af[i];
    const double i1 = c.isd_i1x[i][j], s1 = c.isd_s1[i][j];
    const double is_s = r.i_ps(c.isd_p2[i][j], s1, af), is_r = r.i_ps(c.isd_p2[k][j], s1, af);
    const double isx_r = r.i_ps(c.isd_p2x[k][j], s1, af);
    const double L = c.enrg_dhd[k] + c.GElos_DH[k] + c.enrg_dhDA[k];  // the rotor's extra losses, J/kg

    c.enrg_H0[i][j] = i1 - is_r;
    c.enrg_H0x[i][j] = i1 - isx_r;
    // Isentropic spouting velocity of the stage and the Euler work of its rotor.
    c.enrg_Co[i][j] = c.enrg_Co[k][j] = std::sqrt(2.0 * std::fabs(i1 - is_r));
    c.enrg_Lu[i][j] = c.enrg_Lu[k][j] =
        std::fabs(c.flow_u1[k][j]) * c.flow_c1u[k][j] - std::fabs(c.flow_u2[k][j]) * c.flow_c2u[k][j] - L;
    c.flow_uCo[i][j] = c.flow_uCo[k][j] = std::fabs(c.flow_u2[k][j]) / c.enrg_Co[k][j];
    c.enrg_effu[i][j] = c.enrg_effu[k][j] = c.enrg_Lu[k][j] / (i1 - is_r);
    c.enrg_effuz[i][j] = c.enrg_effuz[k][j] = c.enrg_Lu[k][j] / (i1 - isx_r);
    c.flow_R[i][j] = c.flow_R[k][j] = (is_s - is_r) / (i1 - is_r);
    c.isd_i2tt[k][j] = c.isd_i2tt[i][j] = is_r;
    c.isd_i2t[i][j] = is_s;
    c.isd_i2t[k][j] = r.i_ps(c.isd_p2[k][j], c.isd_s1[k][j], af);
    if (c.isd_s1[k][j] == 0.0) c.isd_i2t[k][j] -= L;
    // The stage-loss breakdown found for the stage is shown on its rotor too.
    for (double* g : {c.GElos_TU, c.GElos_PR, c.GElos_KP, c.GElos_PU, c.GElos_PW, c.GElos_PPR, c.GElos_PZ,
                      c.GElos_KPD, c.GElos_LU, c.GElos_PBK, c.GElos_GDY})
        g[k] = g[i];
}

void lone_turbine_rotor_streamline(Results& r, int i, int j) {
    bdLocals& c = r.c;
    const double af = c.elem_af[i];
    const double i1 = c.isd_i1x[i][j], s1 = c.isd_s1[i][j];
    const double is = r.i_ps(c.isd_p2[i][j], s1, af), isx = r.i_ps(c.isd_p2x[i][j], s1, af);
    const double L = c.enrg_dhd[i] + c.GElos_DH[i] + c.enrg_dhDA[i];
    // The head from the isentropic outlet enthalpy stored before this sweep rewrites it.
    if (j == 0) c.elem_H[i] = std::fabs(c.isd_i1x[i][r.m] - c.isd_i2t[i][r.m]);
    c.enrg_Co[i][j] = std::sqrt(2.0 * std::fabs(i1 - is));
    c.enrg_Lu[i][j] =
        std::fabs(c.flow_u1[i][j]) * c.flow_c1u[i][j] - std::fabs(c.flow_u2[i][j]) * c.flow_c2u[i][j] - L;
    c.flow_uCo[i][j] = std::fabs(c.flow_u2[i][j]) / c.enrg_Co[i][j];
    c.enrg_effu[i][j] = c.enrg_Lu[i][j] / (i1 - is);
    c.enrg_effuz[i][j] = c.enrg_Lu[i][j] / (i1 - isx);
    c.flow_R[i][j] = 1.0;
    c.isd_i2t[i][j] = c.isd_i2tt[i][j] = is;
}

void compressor_stage_streamline(Results& r, int i, int j) {
    bdLocals& c = r.c;
    const int o = i + 1;
    const double af = c.elem_af[i];
    const double i1 = c.isd_i1x[i][j], s1 = c.isd_s1[i][j];
    const double is_s = r.i_ps(c.isd_p2[o][j], s1, af), isx_s = r.i_ps(c.isd_p2x[o][j], s1, af);
    c.enrg_Co[i][j] = c.enrg_Co[o][j] = std::sqrt(2.0 * std::fabs(is_s - i1));
    const double Lu =
        std::fabs(c.flow_u1[i][j]) * c.flow_c1u[i][j] - std::fabs(c.flow_u2[i][j]) * c.flow_c2u[i][j];
    c.enrg_Lu[i][j] = c.enrg_Lu[o][j] = Lu;
    c.enrg_H0[i][j] = i1 - is_s;
    c.enrg_H0x[i][j] = i1 - isx_s;
    c.enrg_zb[i][j] = Lu != 0.0 ? -c.enrg_dhb[i][j] / Lu : 0.0;
    c.enrg_zb[o][j] = Lu != 0.0 ? -c.enrg_dhb[o][j] / Lu : 0.0;
    c.enrg_effu[i][j] = c.enrg_effu[o][j] = (i1 - is_s) / Lu;
    c.enrg_effuz[i][j] = c.enrg_effuz[o][j] = (Lu + c.enrg_dhb[i][j] + c.enrg_dhb[o][j]) / Lu;
    c.flow_R[o][j] = c.flow_R[i][j] = (c.isd_i2[i][j] - c.isd_i1[i][j]) / (c.isd_i2[o][j] - c.isd_i1[i][j]);
    c.isd_i2tt[i][j] = c.isd_i2tt[o][j] = is_s;
    c.isd_i2r[i][j] = c.isd_i2r[o][j] = r.i_ps(c.isd_p2x[o][j], s1, af);
    c.isd_i2t[i][j] = r.i_ps(c.isd_p2[i][j], c.isd_s1[i][j], af);
    c.isd_i2t[o][j] = r.i_ps(c.isd_p2[o][j], c.isd_s1[o][j], af);
}

void lone_compressor_rotor_streamline(Results& r, int i, int j) {
    bdLocals& c = r.c;
    const double af = c.elem_af[i];
    const double i1 = c.isd_i1x[i][j], s1 = c.isd_s1[i][j];
    const double is = r.i_ps(c.isd_p2[i][j], s1, af), isx = r.i_ps(c.isd_p2x[i][j], s1, af);
    if (j == 0) c.elem_H[i] = c.isd_i1x[i][0] - isx;
    // Spouting velocity from the isentropic outlet enthalpy stored before this sweep.
    c.enrg_Co[i][j] = std::sqrt(2.0 * std::fabs(i1 - c.isd_i2t[i][j]));
    const double Lu =
        std::fabs(c.flow_u1[i][j]) * c.flow_c1u[i][j] - std::fabs(c.flow_u2[i][j]) * c.flow_c2u[i][j];
    c.enrg_Lu[i][j] = Lu;
    c.enrg_zb[i][j] = Lu != 0.0 ? -c.enrg_dhb[i][j] / Lu : 0.0;
    c.enrg_effu[i][j] = (is - i1) / Lu;
    c.enrg_effuz[i][j] = (Lu + c.enrg_dhb[i][j]) / Lu;
    if (i < r.ns) c.enrg_effuz[i + 1][j] = c.enrg_effuz[i][j];
    if (prev_stator(i) == 0) c.flow_R[i][j] = 1.0;
    c.isd_i2tt[i][j] = is;
}

// The losses of section (i, j) evaluated again by the element's loss model.
void reevaluate_losses(Results& r, int i, int j) {
    bdLocals& c = r.c;
    if (turbine_profiled(c, i)) {
        section_losses(i, j);
    } else if (compressor_profiled(c, i)) {
        const bool deswirler = c.elem_stagType[i] == kDeswirler;
        if (is_sect_type1(i) == 0) {
            deswirler ? elem_loss_other(i, j) : elem_loss_axcomp(i, j);
        } else {
            // A radial-stage model that cannot give its work share answers -1; the last one is kept.
            const double zrz = c.enrg_zrz[i];
            deswirler ? elem_loss_other(i, j) : elem_loss_cent(i, j);
            if (c.enrg_zrz[i] == -1.0) c.enrg_zrz[i] = zrz;
        }
    }
}

// Second sweep: per-streamline properties, losses and stage quantities, the
// outlet angle, and the span-mean stage values of compressor stages.
void streamline_results_sweep(Results& r) {
    bdLocals& c = r.c;
    const int m = r.m;
    for (int i = 0; i <= r.ns; ++i) {
        const double af = c.elem_af[i];
        const bool turbine = turbine_profiled(c, i);
        const bool compressor = compressor_profiled(c, i);
        const bool volute = c.elem_stagType[i] == kInletVolute;
        const bool comp_stage = compressor && r.compressor_stage(i);
        const bool starts_turbine_stage = (turbine || volute) && i < r.ns && is_turb_stage_start(i) != 0;
        const int k = starts_turbine_stage ? next_rotor(i) : 0;

        if (r.ni == 1 && turbine) {
            // Free-vortex reaction at hub and tip from the mean reaction.
            const double d2 = c.bld_d2[i], l2 = c.bld_l2[i];
            c.elem_Rh[i] = 1.0 - (1.0 - c.elem_R[i]) * std::pow(d2 / (d2 - l2), kReactionExponent);
            c.elem_Rt[i] = 1.0 - (1.0 - c.elem_R[i]) * std::pow(d2 / (d2 + l2), kReactionExponent);
        }
        for (int j = 0; j < r.ni; ++j) {
            const double w1s = sq(c.flow_w1[i][j]), w2s = sq(c.flow_w2[i][j]);
            const double w2max = w1s > w2s ? w1s : w2s;
            const double p1 = c.isd_p1[i][j], i1 = c.isd_i1[i][j];
            // What the spread of this iteration asked already, with the same fluid constant.
            const SpreadAnswer* spread = spread_answers().of(c, i, j);
            const SpreadAnswer none{};
            const SpreadAnswer& known = spread != nullptr ? *spread : none;
            auto asked = [&](int code, double a, double b, const KnownAnswer& k) {
                return k.holds(a, b) ? k.value : r.fluid(code, a, b, af);
            };
            c.isd_T1[i][j] = asked(H2_FLUID_T_PI, p1, i1, known.T1);
            if (c.elem_stagType[i] != kHeatExchanger) {
                c.isd_T2[i][j] = asked(H2_FLUID_T_PI, c.isd_p2[i][j], c.isd_i2[i][j], known.T2);
                c.isd_T2x[i][j] = asked(H2_FLUID_T_PI, c.isd_p2x[i][j], c.isd_i2x[i][j], known.T2x);
            }
            c.isd_a1[i][j] = asked(H2_FLUID_SOUND_PI, p1, i1, known.a1);
            c.isd_k[i][j] = r.fluid(H2_FLUID_KAPPA_PI, p1, i1, af);
            c.isd_cp[i][j] = r.fluid(H2_FLUID_CP_PI, p1, i1, af);
            c.isd_R[i][j] = r.fluid(H2_FLUID_R_PI, p1, i1, af);
            c.flow_Mw2[i][j] = c.flow_w2[i][j] / c.isd_a2[i][j];

            const double kind = c.elem_stagType[i];
            if (kind != kHeatExchanger && kind != kBladeRow) section_energy_loss(c, i, j, w2max);

            if (turbine || volute) {
                section_energy_loss(c, i, j, w2max);
                if (k != 0)
                    turbine_stage_streamline(r, i, k, j);
                else if (r.rotor(i) && prev_stator(i) == 0)
                    lone_turbine_rotor_streamline(r, i, j);
                else if ((r.stator(i) || starts_turbine_stage) && prev_rotor(i) == 0)
                    c.flow_R[i][j] = 0.0;
            }
            if (compressor) {
                if (comp_stage)
                    compressor_stage_streamline(r, i, j);
                else if (r.rotor(i))
                    lone_compressor_rotor_streamline(r, i, j);
                else if (r.stator(i) && prev_rotor(i) == 0)
                    c.flow_R[i][j] = 0.0;
            }
            // Absolute outlet flow angle from the circumferential direction.
            c.cas_A2[i][j] = std::atan2(std::fabs(c.flow_c2s[i][j]), c.flow_c2u[i][j]) / kDegree;
            if (c.cyld_VART >= kFirstAnalysisTask && c.ICLos != 0) reevaluate_losses(r, i, j);
        }
        if (comp_stage) {
            c.elem_Lu[i] = r.sm(c.enrg_Lu, i, m);
            c.elem_H[i] = r.sm(c.enrg_H0, i, m);
            c.elem_Hx[i] = r.sm(c.enrg_H0x, i, m);
            const double N0 = c.elem_Lu[i] * c.elem_G1[i];
            c.elem_Ns[i] = N0 - c.enrg_dhd[i] * c.elem_G1[i];
            if (c.enrg_zrz[i] > 0.0) c.elem_Ns[i] += N0 * c.enrg_zrz[i];
            c.elem_eff[i] = c.elem_eff[i + 1] = c.elem_H[i] / c.elem_Ns[i] * c.elem_G1[i];
            c.elem_effx[i] = c.elem_effx[i + 1] = c.elem_Hx[i] / c.elem_Ns[i] * c.elem_G1[i];
        } else if (turbine && k != 0) {
            c.elem_Lu[k] = r.sm(c.enrg_Lu, k, m);
        }
    }
}

// The inlet flow of an expanding design: the first nozzle's blade flow and
// its diaphragm seal flow, which passes the inlet beside the nozzle as in the
// direct task. Without the seal flow the inlet is short of the outlet and
// every efficiency over it too high.
double design_inlet_flow(const bdLocals& c) {
    const bool seal = c.cyld_ns >= 1 && is_stator(c, 1);
    return c.elem_G1[0] + (seal ? c.elem_Gdu[1] : 0.0);
}

// Inlet and outlet flows of the whole path and the outlet's volume flow.
void machine_flows(bdLocals& c, int m) {
    const int ns = c.cyld_ns;
    c.cyld_G = c.elem_G1[0];
    const double q = c.stgtd_cooled[ns] != 0.0
                         ? c.cool_oGoxl[ns] + c.cool_tGoxl[ns] + c.cool_hGoxl[ns] + c.cool_fGoxl[ns]
                         : 0.0;
    c.cyld_Gout = c.elem_G2[ns] + q;
    if (c.cyld_VART < kFirstAnalysisTask && is_expanding(c)) {
        c.cyld_Gout += c.elem_Gr[ns];
        c.cyld_G = design_inlet_flow(c);
    }
    c.cyld_Gv = c.elem_G2[ns] / c.isd_Ro2[ns][m];  // volume flow at the outlet
    if (c.cyld_VART >= kFirstAnalysisTask) add_leak_flows();
}

}  // namespace
}  // namespace h2

extern "C" {

void calc_integral(int flag) {
    bdLocals* block = get_bdLocals();
    if (!h2::results_case_ready(block)) return;
    bdLocals& c = *block;
    // An outlet that no march has reached (a run that stopped at a choked
    // element before its first full march) or that holds a fluid's failure
    // value is no state: the whole-path results keep their last values rather
    // than turn 0/0 or 1e20 into a pressure, power or efficiency.
    const double p_out = c.isd_p2[c.cyld_ns][c.cyld_nr / 2];
    if (!(p_out > 0.0 && p_out < h2::kPropertyFailureLimit)) return;
    h2::Results r(c, flag);
    const int ns = r.ns, m = r.m;

    const double i_in = c.isd_i1x[0][m], s_in = c.isd_s1[0][m], i_out = c.isd_i2x[ns][m];
    const double p2n = r.sm(c.isd_p2, ns, m), p2nx = r.sm(c.isd_p2x, ns, m);
    const double H_is = i_in - r.i_ps(p2n, s_in, c.elem_af[ns]);
    const bool cooled = any_cooled() != 0;
    if (flag != 0)
        h2::machine_flows(c, m);
    else if (c.cyld_VART < h2::kFirstAnalysisTask && r.expanding())
        c.cyld_G = h2::design_inlet_flow(c);
    // The machine's inlet flow: the given flow and the seal flow that passes
    // the inlet beside the first nozzles. Every whole-path figure uses it.
    const double G_entry = c.cyld_G;

    const double p1x_in = c.isd_p1x[0][m], p1_in = c.isd_p1[0][m];
    const double p2_out = c.isd_p2[ns][m], p2x_out = c.isd_p2x[ns][m];
    if (r.expanding()) {
        c.cyld_pil = p2x_out / p1x_in;
        c.cyld_pir = c.cyld_pirTotal = 0.0;
        c.cyld_prs = p1x_in - p2_out;
        c.cyld_prt = p1x_in - p2x_out;
        c.cyld_prss = p1_in - p2_out;
    } else {
        c.cyld_pil = 0.0;
        c.cyld_pir = p2_out / p1_in;
        c.cyld_pirTotal = p2x_out / p1x_in;
        c.cyld_prs = p2_out - p1x_in;
        c.cyld_prt = p2x_out - p1x_in;
        c.cyld_prss = p2_out - p1_in;
    }

    c.cyld_Nc = c.cyld_RAL = c.cyld_RAD = 0.0;
    h2::stage_results_sweep(r);
    if (r.expanding()) c.cyld_RAB = rotor_end_load();

    if (r.expanding()) {
        // Blade speeds over the isentropic spouting velocity of the whole path.
        c.cyld_uCo = std::sqrt(r.U2 / (2.0 * H_is));
    } else {
        // Work coefficient; compressor stage powers are negative sums.
        c.cyld_uCo = r.U2 != 0.0 ? std::fabs(c.cyld_Nc / G_entry) / r.U2 : 0.0;
        c.cyld_Nc = -c.cyld_Nc;
    }
    if (r.U2 != 0.0) {
        const double cz = is_angular(ns) ? c.flow_c1s[ns][m] : c.flow_c2s[ns][m];
        c.cyld_cz_ = cz / std::sqrt(r.U2 / r.nst);
    }

    h2::streamline_results_sweep(r);
    c.cyld_p2n = p2n;
    c.cyld_p2nx = p2nx;

    const bool work = std::fabs(i_in - i_out) > h2::kNoWork;
    const double af0 = c.elem_af[0];
    double e = 0.0, ex = 0.0, is = 0.0, isx = 0.0;
    if (work) {
        if (r.expanding()) {
            is = r.i_ps(p2n, s_in, af0);
            isx = r.i_ps(p2nx, s_in, af0);
            e = c.cyld_Nc / ((i_in - is) * G_entry);
            ex = c.cyld_Nc / ((i_in - isx) * G_entry);
        } else {
            const double s = c.isd_s1[0][r.mp];
            is = r.i_ps(p2n, s, af0);
            isx = r.i_ps(p2nx, s, af0);
            e = (i_in - is) * G_entry / c.cyld_Nc;
            ex = (i_in - isx) * G_entry / c.cyld_Nc;
        }
        if (std::isnan(e)) e = 0.0;
        if (std::isnan(ex)) ex = 0.0;
    }
    c.cyld_eff = std::fabs(e);
    c.cyld_effx = std::fabs(ex);

    const double kin = r.fluid(H2_FLUID_KAPPA_PI, c.elem_p0[0], c.elem_i0[0], af0);
    c.cyld_effp = k_loss_conv_e(r.expanding() ? c.cyld_eff : c.cyld_effx, c.elem_p0[0], p2n, kin);

    if (work && r.expanding()) {
        c.cyld_H0 = c.elem_i0[0] - r.i_ps(p2n, s_in, af0);
        c.cyld_H0x = c.elem_i0[0] - r.i_ps(p2nx, s_in, af0);
        c.cyld_effD = (i_in - i_out) / (i_in - is);
        c.cyld_effDx = (i_in - i_out) / (i_in - isx);
        if (cooled && std::fabs(c.cyld_sumHoxl) > h2::kNoCoolingHeat) {
            // Efficiencies that count the heat carried off by the cooling flows.
            c.cyld_eff_cool = c.cyld_Nc / ((i_in - is) * G_entry + c.cyld_sumHoxl);
            c.cyld_effx_cool = c.cyld_Nc / ((i_in - isx) * G_entry + c.cyld_sumHoxl);
            for (int i = 0; i < ns; ++i) {
                const int k = next_rotor(i);
                if (!h2::is_stator(c, i) || k == 0) continue;
                const double hoxl = c.cool_HOXL1[i] + c.cool_HOXL2[i] + c.cool_HOXL1[k] + c.cool_HOXL2[k];
                c.elem_eff_cool[i] = c.elem_eff_cool[k] = c.elem_Ns[k] / (c.elem_G1[i] * c.elem_H[i] + hoxl);
                c.elem_effx_cool[i] = c.elem_effx_cool[k] =
                    c.elem_Ns[k] / (c.elem_G1[i] * c.elem_Hx[i] + hoxl);
            }
        }
    } else if (work) {
        c.cyld_H0 = i_in - r.i_ps(p2_out, s_in, af0);
        c.cyld_H0x = i_in - r.i_ps(p2x_out, s_in, af0);
        c.cyld_effD = c.cyld_H0 / (i_in - i_out);
        c.cyld_effDx = c.cyld_H0x / (i_in - i_out);
    }
}
}
