// Mean-line rows of axial compressor and fan modules: the inlet section, the
// rotor (Euler work from the loading coefficient), the stator of a repeating
// stage and the guide vanes with a set outlet angle. Every row works on the
// middle streamline of the current case and takes its inlet from the outlet
// of the element in front.
#include <cmath>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/loss_plugin.h"
#include "halvorine2/threading.h"
#include "physics/loss_conversions.h"
#include "physics/loss_host.h"
#include "physics/loss_wrappers.h"
#include "physics/section_losses.h"
#include "solver/gravity_head.h"
#include "solver/predesign/axial_compressor/compressor_rows.h"
#include "solver/solver_conventions.h"
#include "solver/solver_internal.h"

namespace h2::predesign {
namespace {

// Tip-clearance loss of a rotor against its reaction: zrz = (a R + b) |Gr| / G.
constexpr double kClearanceSlope = 1.6;
constexpr double kClearanceBase = 1.44;
// Axial-gap loss: zaz = c (0.5 - gap / chord)^2 while the gap is under half a chord.
constexpr double kGapLossFactor = 0.16;
// Fan inlet velocity when neither the caller nor the fan rotor gives one, m/s.
constexpr double kFanDefaultInletSpeed = 25.0;

// Main-fluid property with the case's fluid parameter.
double F(const bdLocals& b, int code, double x, double y) {
    return b.fluid_func(code, x, y, b.cyld_af, H2_FLUID_MAIN);
}

// Meridional velocity of an axial velocity on a slope of t degrees.
double meridional(double cz, double t) { return cz / std::cos(t * kDegree); }

// The static enthalpy at the hub radius stays positive when the swirl cu at
// the mean diameter d grows to the hub (d - l) under constant angular momentum.
bool hub_enthalpy_positive(double i0, double cz, double cu, double d, double l) {
    const double cuh = (cu * d / 2.0) / ((d - l) / 2.0);
    return i0 - (cz * cz + cuh * cuh) / 2.0 > 0.0;
}

// Inlet state of a row from the outlet of element p: totals, statics and the
// inlet speed of sound and density.
void inlet_state_from(bdLocals& b, int i, int p, int m) {
    b.isd_p1x[i][m] = b.isd_p2x[p][m];
    b.isd_s1[i][m] = b.isd_s2[p][m];
    b.isd_p1[i][m] = b.isd_p2[p][m];
    b.isd_i1[i][m] = b.isd_i2[p][m];
    b.isd_a1[i][m] = F(b, H2_FLUID_SOUND_PI, b.isd_p1[i][m], b.isd_i1[i][m]);
    b.isd_Ro1[i][m] = F(b, H2_FLUID_RHO_PI, b.isd_p1[i][m], b.isd_i1[i][m]);
}

// A stationary row: relative and absolute totals coincide.
void stationary_totals(bdLocals& b, int i, int m) {
    b.isd_i1wx[i][m] = b.isd_i1x[i][m];
    b.isd_p1wx[i][m] = b.isd_p1x[i][m];
    b.isd_i2[i][m] = b.isd_i2x[i][m] - b.flow_c2[i][m] * b.flow_c2[i][m] / 2.0;
    b.isd_i2wx[i][m] = b.isd_i2x[i][m];
}

// Outlet statics of a stationary row from its outlet entropy: pressure,
// isentropic enthalpy, speed of sound and density.
void stationary_outlet(bdLocals& b, int i, int m) {
    b.isd_p2[i][m] = F(b, H2_FLUID_P_IS, b.isd_i2[i][m], b.isd_s2[i][m]);
    b.isd_i2t[i][m] = F(b, H2_FLUID_I_PS, b.isd_p2[i][m], b.isd_s1[i][m]);
    b.isd_a2[i][m] = F(b, H2_FLUID_SOUND_PI, b.isd_p2[i][m], b.isd_i2[i][m]);
    b.isd_Ro2[i][m] = F(b, H2_FLUID_RHO_PI, b.isd_p2[i][m], b.isd_i2[i][m]);
}

// Total pressure after a stationary row's loss and the entropy it leaves; a
// fluid without entropy takes its outlet total enthalpy from the pressure.
void stationary_loss(bdLocals& b, int i, int m) {
    b.isd_p2x[i][m] = b.isd_p1x[i][m] - (b.isd_p1x[i][m] - b.isd_p1[i][m]) * b.los_om[i][m];
    b.isd_s2[i][m] = F(b, H2_FLUID_S_PI, b.isd_p2x[i][m], b.isd_i2x[i][m]);
    if (b.isd_s2[i][m] == 0.0) b.isd_i2x[i][m] = F(b, H2_FLUID_I_PS, b.isd_p2x[i][m], b.isd_s2[i][m]);
}

// Meridional velocity ratio across a row.
double w12m(double cs, double c1s) { return c1s == 0.0 ? 1.0 : cs / c1s; }

// Pitch from the relative pitch and chord, and the blade count it leaves on
// the circumference of the outlet mean diameter.
void pitch_and_blades(bdLocals& b, int i, int m) {
    b.cas_t[i][m] = b.cas_tb[i][m] * b.cas_b[i][m];
    b.bld_z[i] = std::floor(b.bld_d2[i] * kPi / b.cas_t[i][m]);
}

// Leakage flows of a rotor through its R model, as the solver's loss step runs it.
void rotor_leakage_model(bdLocals& b, int i) {
    if (const LossElemFunc model = installed_element_model(&b, H2_LOSS_R, i)) model(&b, i);
}

// Both inlet-section set-ups up to the annulus height. The compressor form
// sets cas__A1 and los__om, the fan form cas__B1g.
void inlet_section(bdLocals& b, double cz, double alpha1, bool fan) {
    const int m = mid_stream(b);
    b.isd_i2x[0][m] = b.isd_i1x[0][m] = b.elem_i0[0];
    b.isd_p2x[0][m] = b.isd_p1x[0][m] = b.elem_p0[0];
    b.isd_T1[0][m] = b.fluid_func(H2_FLUID_T_PI, b.isd_p1x[0][m], b.isd_i1x[0][m], b.cyld_af, H2_FLUID_MAIN);
    b.elem_T0[0] = b.isd_T1[0][m];
    b.cyld_T0 = b.elem_T0[0];
    b.flow_c2z[0][m] = b.flow_c1z[0][m] = cz;
    const double cs = meridional(b.flow_c2z[0][m], b.cas_t2[0][m]);
    b.flow_c2s[0][m] = b.flow_c1s[0][m] = cs;
    const double cm = b.flow_c1z[0][m] > b.flow_c1s[0][m] ? b.flow_c1z[0][m] : b.flow_c1s[0][m];
    // An axial inlet has no swirl (tan of the truncated right angle is not infinite).
    const double cu =
        std::fabs(alpha1 - 90.0) >= 0.0001 ? b.flow_c1z[0][m] / std::tan(alpha1 * kDegree) : 0.0;
    b.flow_c2u[0][m] = b.flow_c1u[0][m] = b.flow_w2u[0][m] = b.flow_w1u[0][m] = cu;
    const double c = std::sqrt(cm * cm + cu * cu);
    b.flow_c2[0][m] = b.flow_c1[0][m] = b.flow_w2[0][m] = b.flow_w1[0][m] = c;
    b.cas_B1[0][m] = flow_angle_deg(b.flow_c1z[0][m], b.flow_w1u[0][m]);
    if (fan)
        b.cas_B1g[0][m] = b.cas_B1[0][m];
    else
        b.cas_A1[0][m] = b.cas_B1[0][m];
    b.cas_B2[0][m] = b.cas_A2[0][m] = b.cas_B1[0][m];
    if (!fan) b.los_om[0][m] = 0.0;
    b.isd_s2[0][m] = b.isd_s1[0][m] = F(b, H2_FLUID_S_PI, b.isd_p2x[0][m], b.isd_i2x[0][m]);
    b.isd_i2[0][m] = b.isd_i1[0][m] = b.isd_i2x[0][m] - c * c / 2.0;
    b.isd_p2[0][m] = b.isd_p1[0][m] = F(b, H2_FLUID_P_IS, b.isd_i2[0][m], b.isd_s2[0][m]);
    b.isd_a1[0][m] = F(b, H2_FLUID_SOUND_PI, b.isd_p1[0][m], b.isd_i1[0][m]);
    b.isd_i2wx[0][m] = b.flow_w2[0][m] * b.flow_w2[0][m] / 2.0 + b.isd_i2[0][m];
    b.isd_p2wx[0][m] = F(b, H2_FLUID_P_IS, b.isd_i2wx[0][m], b.isd_s2[0][m]);
    b.isd_a2[0][m] = F(b, H2_FLUID_SOUND_PI, b.isd_p2[0][m], b.isd_i2[0][m]);
    b.isd_Ro1[0][m] = F(b, H2_FLUID_RHO_PI, b.isd_p1[0][m], b.isd_i1[0][m]);
    b.isd_Ro2[0][m] = F(b, H2_FLUID_RHO_PI, b.isd_p2[0][m], b.isd_i2[0][m]);
    b.bld_l2[0] = annulus_height(b.elem_G1[0], b.bld_d2[0], b.isd_Ro2[0][m], b.flow_c2z[0][m], 1.0);
    b.bld_l1[0] = b.bld_l2[0];
}

// The rotor row of either module form; fan selects the fan's differences.
void rotor_row(bdLocals& b, int i, bool fan) {
    const int m = mid_stream(b);
    const int p = i - 1;
    // Blade speeds at the inlet and outlet mean diameters.
    b.flow_u1[i][m] = b.bld_d1[i] * 0.5 * b.bld_wp[i];
    b.flow_u2[i][m] = b.bld_d2[i] * 0.5 * b.bld_wp[i];
    const double u1 = b.flow_u1[i][m];
    const double u2 = b.flow_u2[i][m];

    // Inlet triangle from the outlet in front.
    b.flow_c1z[i][m] = b.flow_c2z[p][m];
    const double cs = meridional(b.flow_c2z[i][m], b.cas_t2[i][m]);
    b.flow_c2s[i][m] = b.flow_c1s[i][m] = cs;
    b.flow_c1u[i][m] = b.flow_c2u[p][m];
    b.flow_c1[i][m] = b.flow_c2[p][m];
    b.flow_w1u[i][m] = b.flow_c1u[i][m] - u1;
    const double w1m = fan ? b.flow_c1z[i][m] : b.flow_c1s[i][m];
    b.flow_w1[i][m] = std::sqrt(w1m * w1m + b.flow_w1u[i][m] * b.flow_w1u[i][m]);

    // Inlet state.
    b.isd_i1x[i][m] = b.isd_i2x[p][m] + grav_head_in(i, m);
    inlet_state_from(b, i, p, m);

    // Euler work from the loading coefficient. The shaft also turns the
    // tip-leakage and disk-friction work into heat of the gas it passes: in
    // an adiabatic machine the outlet total enthalpy rises by both, or the
    // shaft power would exceed the flow's gain in total enthalpy.
    const double Lu = b.elem_Ht[i] * (fan ? u1 * u1 : u2 * u2);
    b.enrg_Lu[i][m] = Lu;
    const double parasitic = compressor_parasitic_work(b, i, Lu);
    b.isd_i2x[i][m] = b.isd_i1x[i][m] + Lu + parasitic;
    b.isd_i2x[i][m] = b.isd_i2x[i][m] + grav_head_out(i, m);

    // Outlet triangle: u2 c2u = u1 c1u + Lu.
    b.flow_c2u[i][m] = (u1 * b.flow_c1u[i][m] + Lu) / u2;
    const double c2m = fan ? b.flow_c2z[i][m] : cs;
    b.flow_c2[i][m] = std::sqrt(c2m * c2m + b.flow_c2u[i][m] * b.flow_c2u[i][m]);
    b.flow_w2u[i][m] = b.flow_c2u[i][m] - u2;
    b.flow_w2[i][m] = std::sqrt(c2m * c2m + b.flow_w2u[i][m] * b.flow_w2u[i][m]);

    // Relative totals: the rothalpy i + w^2/2 - u^2/2 carries across the row.
    b.isd_i1wx[i][m] = b.flow_w1[i][m] * b.flow_w1[i][m] / 2.0 + b.isd_i1[i][m];
    b.isd_p1wx[i][m] = F(b, H2_FLUID_P_IS, b.isd_i1wx[i][m], b.isd_s1[i][m]);
    b.isd_i2[i][m] = b.isd_i2x[i][m] - b.flow_c2[i][m] * b.flow_c2[i][m] / 2.0;
    b.isd_i2wx[i][m] = b.flow_w2[i][m] * b.flow_w2[i][m] / 2.0 + b.isd_i2[i][m];

    // Flow angles.
    b.cas_B1[i][m] = flow_angle_deg(b.flow_c1z[i][m], b.flow_w1u[i][m]);
    if (!fan) b.cas_A1[i][m] = flow_angle_deg(b.flow_c1z[i][m], b.flow_c1u[i][m]);
    b.cas_B1g[i][m] = fan ? b.cas_B1[i][m] : b.cas_B1[i][m] + b.cas_iR[i][m];
    b.cas_B2[i][m] = flow_angle_deg(b.flow_c2z[i][m], b.flow_w2u[i][m]);
    b.cas_A2[i][m] = flow_angle_deg(b.flow_c2z[i][m], b.flow_c2u[i][m]);

    // Loss, deviation and blockage models.
    if (b.ICLos != 0) {
        if (b.cas_B2g[i][m] == 0.0) {
            b.cas_B2a[i][m] = b.cas_B2[i][m];
            b.cas_B2g[i][m] = b.cas_B2a[i][m];
        }
        row_dev_angle(i, m, b.cas_B2[i][m]);
        if (!fan) {
            pitch_and_blades(b, i, m);
            if (b.bld_l2[i] == 0.0)
                b.bld_l2[i] = annulus_height(b.elem_G1[i], b.bld_d2[i], b.isd_Ro1[i][m], b.flow_c2z[i][m],
                                             b.los_Fp[i][m]);
        }
        elem_loss_axcomp(i, m);
        row_blockage(i, m);
        b.flow_w12m[i][m] = w12m(cs, b.flow_c1s[i][m]);
        b.cas_B2g[i][m] = b.cas_B2[i][m] - b.cas_dR[i][m];
        b.cas_B2a[i][m] = b.cas_B2g[i][m];
    }

    // Relative total pressure at the outlet: isentropic less the loss. The
    // blades compress by the Euler work alone; the parasitic heat enters at
    // that pressure and raises only the entropy.
    b.isd_p2wx[i][m] = F(b, H2_FLUID_P_IS, b.isd_i2wx[i][m] - parasitic, b.isd_s1[i][m]) -
                       (b.isd_p1wx[i][m] - b.isd_p1[i][m]) * b.los_om[i][m];

    if (!fan) {
        // A fluid without entropy (inlet entropy 0) takes its outlet enthalpies
        // from the pressure. Testing the outlet entropy instead would send every
        // fresh gas row to the state at entropy 0 (a few millikelvin).
        if (b.isd_s1[i][m] == 0.0) {
            b.isd_i2wx[i][m] = F(b, H2_FLUID_I_PS, b.isd_p2wx[i][m], 0.0);
            b.isd_i2[i][m] = b.isd_i2wx[i][m] - b.flow_w2[i][m] * b.flow_w2[i][m] / 2.0;
            b.isd_i2x[i][m] = b.flow_c2[i][m] * b.flow_c2[i][m] / 2.0 + b.isd_i2[i][m];
        }
        b.isd_s2[i][m] = F(b, H2_FLUID_S_PI, b.isd_p2wx[i][m], b.isd_i2wx[i][m]);
    } else {
        b.isd_s2[i][m] = F(b, H2_FLUID_S_PI, b.isd_p2wx[i][m], b.isd_i2wx[i][m]);
        if (b.isd_s2[i][m] == 0.0) b.isd_i2wx[i][m] = F(b, H2_FLUID_I_PS, b.isd_p2wx[i][m], 0.0);
    }

    // Outlet state.
    b.isd_p2x[i][m] = F(b, H2_FLUID_P_IS, b.isd_i2x[i][m], b.isd_s2[i][m]);
    stationary_outlet(b, i, m);
    b.bld_l2[i] =
        annulus_height(b.elem_G1[i], b.bld_d2[i], b.isd_Ro2[i][m], b.flow_c2z[i][m], b.los_Fp[i][m]);

    rotor_leakage_model(b, i);

    // Stage reaction and stage losses once the row behind has been computed.
    if (i < b.cyld_ns && b.isd_i2[i + 1][m] != 0.0) {
        b.elem_R[i] = (b.isd_i2[i][m] - b.isd_i1[i][m]) / (b.isd_i2[i + 1][m] - b.isd_i1[i][m]);
        if (fan || (b.elem_R[i] > 0.0 && b.elem_R[i] < 1.0))
            b.enrg_zrz[i] =
                (kClearanceSlope * b.elem_R[i] + kClearanceBase) * std::fabs(b.elem_Gr[i]) / b.elem_G1[i];
        const double q = 0.5 - b.clrn_d1[i] / b.cas_b[i][m];
        b.enrg_zaz[i] = q > 0.0 ? kGapLossFactor * q * q : 0.0;
    }
    if (!fan) {
        b.flow_ucu1[i][m] = u1 * b.flow_c1u[i][m];
        b.flow_ucu2[i][m] = u2 * b.flow_c2u[i][m];
    }
}

// The stationary row i behind element p once its outlet swirl is set: the
// outlet triangle of a row that turns no work (w = c), the total enthalpies
// carried over with the gravity heads, the inlet state, and the inlet angles
// from the flow leaving p.
void stationary_row_inlet(bdLocals& b, int i, int p, int m, double cs) {
    b.flow_w2u[i][m] = b.flow_c2u[i][m];
    b.flow_c2[i][m] = std::sqrt(cs * cs + b.flow_c2u[i][m] * b.flow_c2u[i][m]);
    b.flow_w2[i][m] = b.flow_c2[i][m];
    b.isd_i1x[i][m] = b.isd_i2x[p][m] + grav_head_in(i, m);
    b.isd_i2x[i][m] = b.isd_i1x[i][m] + grav_head_out(i, m);
    inlet_state_from(b, i, p, m);
    stationary_totals(b, i, m);
    b.cas_B1[i][m] = b.cas_A2[p][m];
    b.cas_A1[i][m] = b.cas_B1[i][m];
    b.cas_B1g[i][m] = b.cas_B1[i][m] + b.cas_iR[i][m];
}

}  // namespace

int ac_row_state(double cz, double alpha1) {
    bdLocals& b = *get_bdLocals();
    inlet_section(b, cz, alpha1, false);
    b.elem_G2[0] = b.elem_G1[0];
    const int m = mid_stream(b);
    return hub_enthalpy_positive(b.elem_i0[0], b.flow_c2z[0][m], b.flow_c2u[0][m], b.bld_d2[0], b.bld_l2[0])
               ? 0
               : 1;
}

int af_row_state(double cz, double alpha1) {
    bdLocals& b = *get_bdLocals();
    if (cz == 0.0) cz = 0.5 * b.bld_d2[1] * b.bld_wp[1] * b.elem_cz_[1];
    if (cz == 0.0) cz = kFanDefaultInletSpeed;
    inlet_section(b, cz, alpha1, true);
    // The inlet element carries the flow it was sized for, as the compressor's does.
    b.elem_G2[0] = b.elem_G1[0];
    return 0;
}

int ac_rotor_row(int i) {
    rotor_row(*get_bdLocals(), i, false);
    return 0;
}

int af_rotor_row(int i) {
    rotor_row(*get_bdLocals(), i, true);
    return 0;
}

int ac_stator_row(int k) {
    bdLocals& b = *get_bdLocals();
    const int m = mid_stream(b);
    const int j = k + 1;
    b.flow_c1z[j][m] = b.flow_c2z[k][m];
    const double cs = meridional(b.flow_c2z[j][m], b.cas_t2[j][m]);
    b.flow_c2s[j][m] = b.flow_c1s[j][m] = cs;
    b.flow_w1u[j][m] = b.flow_c1u[j][m] = b.flow_c2u[k][m];
    b.flow_w1[j][m] = b.flow_c1[j][m] = b.flow_c2[k][m];
    // Repeating stage: the swirl at the rotor's inlet, scaled with the axial velocity.
    b.flow_c2u[j][m] = b.flow_c1u[k][m] * b.flow_c2z[j][m] / b.flow_c1z[k][m];
    stationary_row_inlet(b, j, k, m, cs);
    b.cas_A2[j][m] = flow_angle_deg(b.flow_c2z[j][m], b.flow_c2u[j][m]);
    b.cas_B2[j][m] = b.cas_A2[j][m];
    b.cas_B2g[j][m] = b.cas_B2[j][m] + b.cas_dR[j][m];
    b.cas_B2a[j][m] = b.cas_B2g[j][m];

    if (b.ICLos != 0) {
        row_dev_angle(j, m, b.cas_B2[j][m]);
        pitch_and_blades(b, j, m);
        if (b.bld_l2[j] == 0.0)
            b.bld_l2[j] =
                annulus_height(b.elem_G1[j], b.bld_d2[j], b.isd_Ro1[j][m], b.flow_c2z[j][m], b.los_Fp[j][m]);
        elem_loss_axcomp(j, m);
        row_blockage(j, m);
        b.flow_w12m[j][m] = w12m(cs, b.flow_c1s[j][m]);
        // A stator's deviation opens its blade outlet angle the other way to a rotor's.
        b.cas_B2g[j][m] = b.cas_B2[j][m] + b.cas_dR[j][m];
        b.cas_B2a[j][m] = b.cas_B2g[j][m];
    }

    stationary_loss(b, j, m);
    stationary_outlet(b, j, m);
    b.bld_l2[j] =
        annulus_height(b.elem_G1[j], b.bld_d2[j], b.isd_Ro2[j][m], b.flow_c2z[j][m], b.los_Fp[j][m]);
    return 0;
}

int ac_guide_vane_row(int i, int kind, double alpha2) {
    bdLocals& b = *get_bdLocals();
    const int m = mid_stream(b);
    const int p = i - 1;
    b.flow_c1z[i][m] = b.flow_c2z[p][m];
    b.flow_c1s[i][m] = meridional(b.flow_c2z[p][m], b.cas_t2[p][m]);
    const double cs = meridional(b.flow_c2z[i][m], b.cas_t2[i][m]);
    b.flow_c2s[i][m] = cs;
    b.flow_w1u[i][m] = b.flow_c1u[i][m] = b.flow_c2u[p][m];
    b.flow_w1[i][m] = b.flow_c1[i][m] = b.flow_c2[p][m];

    // Outlet swirl from the set angle.
    b.flow_c2u[i][m] = b.flow_c2z[i][m] / std::tan(alpha2 * kDegree);
    stationary_row_inlet(b, i, p, m, cs);
    b.cas_B2g[i][m] = b.cas_B2a[i][m] = b.cas_B2[i][m] = b.cas_A2[i][m] = alpha2;

    if (b.ICLos != 0) {
        if (kind == 0) {
            b.cas_B2[i][m] = elem_dev_axcomp(i, m, b.cas_B2[i][m]);
            elem_loss_axcomp(i, m);
            row_blockage(i, m);
            b.flow_w12m[i][m] = w12m(cs, b.flow_c1s[i][m]);
        } else {
            // An accelerating row: turbine deviation and losses, no blockage.
            b.los_Fp[i][m] = 1.0;
            b.cas_B2[i][m] = elem_dev_turb(i, m, b.cas_B2a[i][m]);
            if (b.isd_p2[i][m] == 0.0) {
                // First pass: the models see the inlet state at the outlet.
                b.isd_p2[i][m] = b.isd_p1[i][m];
                b.isd_a2[i][m] = b.isd_a1[i][m];
            }
            section_losses(i, m);
            const double k = b.fluid_func(H2_FLUID_KAPPA_PI, b.isd_p1x[i][m], b.isd_i1x[i][m], b.elem_af[i],
                                          H2_FLUID_MAIN);
            const double phi = b.los_Los[i][m];
            b.los_om[i][m] =
                k_loss_conv_c(phi * phi, b.isd_p1x[i][m], b.isd_p1[i][m], b.isd_i1x[i][m], k, nullptr);
        }
        b.cas_B2a[i][m] = b.cas_B2g[i][m];
    }

    // Throat opening of the set blade angle.
    b.cas_a2[i][m] = std::sin(b.cas_B2a[i][m] * kDegree) * b.cas_t[i][m];
    b.cas_a1[i][m] = b.cas_a2[i][m];

    stationary_loss(b, i, m);
    stationary_outlet(b, i, m);
    b.bld_l2[i] =
        annulus_height(b.elem_G1[i], b.bld_d2[i], b.isd_Ro2[i][m], b.flow_c2z[i][m], b.los_Fp[i][m]);
    return hub_enthalpy_positive(b.elem_i0[i], b.flow_c2z[i][m], b.flow_c2u[i][m], b.bld_d2[i], b.bld_l2[i])
               ? 0
               : 1;
}

}  // namespace h2::predesign
