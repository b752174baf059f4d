// Impeller of a centrifugal compressor stage: inlet and outlet velocity
// triangles from the head coefficient and the diameter ratio, the outlet state
// with the losses of the previous pass, the outlet width by continuity, the
// blade count, and the loss, disk friction and isentropic head of the pass.
#include "halvorine2/threading.h"
#include "physics/loss_breakdown.h"
#include "physics/loss_wrappers.h"
#include "physics/section_losses.h"
#include "physics/wiesner_slip.h"
#include "solver/gravity_head.h"
#include "solver/predesign/centrifugal_elements.h"

namespace h2::predesign {
namespace {

constexpr double kBladeRow = 1.0;
constexpr double kRadial = 1.0;
// Deviation assumed when none is known (degrees).
constexpr double kDefaultDeviation = 7.0;
// Tip leakage share of the isentropic head per clearance-to-width ratio.
constexpr double kLeakagePerClearance = 0.17;
// The blade angle of radial blades (degrees from the circumferential direction).
constexpr double kRadialBlade = 90.0;
// A leakage value above this is an enthalpy (J/kg), not yet a share.
constexpr double kEnthalpyShare = 1.0;

// A deviation that is missing, not a number or beyond a right angle is not usable.
double usable_deviation(double dR) {
    return (dR == 0.0 || dR > 90.0 || std::isnan(dR)) ? kDefaultDeviation : dR;
}

}  // namespace

double impeller_inlet_tip_diameter(const bdLocals& b, int i, int j) {
    // An axial inflow meets the blades over the eye's span, a radial one at
    // the inlet diameter itself.
    return b.cas_t1[i][j] < 45.0 ? b.bld_d1[i] + b.bld_l1[i] : b.bld_d1[i];
}

double impeller_relative_diffusion(const bdLocals& b, int i, int j) {
    const double d1t = impeller_inlet_tip_diameter(b, i, j);
    const double u1t = b.bld_wp[i] * d1t / 2.0;
    // The inlet swirl at the tip by constant angular momentum.
    const double c1ut = d1t != 0.0 ? b.flow_c1u[i][j] * b.bld_d1[i] / d1t : 0.0;
    const double w1t = std::hypot(b.flow_c1s[i][j], c1ut - u1t);
    return w1t != 0.0 ? b.flow_w2[i][j] / w1t : 0.0;
}

double impeller_parasitic_work(const bdLocals& b, int i, int j) {
    // The clearance flow's share of the Euler work, as the power sum charges
    // it. Above 1 it is still the enthalpy that the stage completion divides
    // by the isentropic head (an enthalpy until then), as the loss step reads it.
    const double Co = b.enrg_Co[i][j], zrz = b.enrg_zrz[i];
    double share = 0.0;
    if (zrz > kEnthalpyShare)
        share = Co > 0.0 ? zrz / Co : 0.0;
    else if (zrz > 0.0)
        share = zrz;
    const double dhd = std::isfinite(b.enrg_dhd[i]) ? b.enrg_dhd[i] : 0.0;
    return dhd + (std::isfinite(share) ? share : 0.0) * b.enrg_Lu[i][j];
}

int rc_impeller_design(int i, int igv_form) {
    bdLocals& b = *get_bdLocals();
    const int j = b.cyld_nr / 2;
    const int p = i - 1;

    // Set-up.
    const PD_module* first = module(0);
    double kz = first != nullptr ? first->PD_VAL[PD_VAR_KZ] : 0.0;
    if (kz == 0.0) kz = 1.0;
    if (igv_form == 0)
        b.cas_t1[i][j] = 0.0;  // axial inflow
    else if (igv_form == 1)
        b.cas_t1[i][j] = 90.0;  // radial inflow
    b.elem_sectType[i] = kRadial;
    write_stage_element(b, i, kBladeRow);
    b.bld_k[i] = slot(b, 80, 6.0);
    b.los_Los[i][j] = slot(b, 117, 0.9);
    b.los_om[i][j] = 0.0;
    if (std::isnan(b.enrg_dhb[i][j])) b.enrg_dhb[i][j] = 0.0;
    if (std::isnan(b.enrg_dhd[i])) b.enrg_dhd[i] = 0.0;

    // Inlet transfer.
    b.elem_G2[i] = b.elem_G2[p];
    b.elem_G1[i] = b.elem_G2[i];
    b.elem_p0[i] = b.isd_p2x[p][j];
    b.isd_p1x[i][j] = b.elem_p0[i];
    b.elem_i0[i] = b.isd_i2x[p][j];
    b.isd_i1x[i][j] = b.elem_i0[i] + grav_head_in(i, j);
    b.elem_i0[i] = b.isd_i1x[i][j];
    const double i0 = b.elem_i0[i];

    // Inlet geometry and state: those of the element before.
    const double wp = b.bld_wp[i];
    const double d1 = b.bld_d1[i] = b.bld_d2[p];
    const double u1 = b.flow_u1[i][j] = d1 * wp / 2.0;
    const double c1s = b.flow_c1s[i][j] = b.flow_c2s[p][j];
    b.flow_c1[i][j] = b.flow_c2[p][j];
    const double s1 = b.isd_s1[i][j] = b.isd_s2[p][j];
    const double i1 = b.isd_i1[i][j] = b.isd_i2[p][j];
    const double p1 = b.isd_p1[i][j] = b.isd_p2[p][j];
    b.isd_Ro1[i][j] = b.isd_Ro2[p][j];
    const double l1 = b.bld_l1[i] = b.bld_l2[p];
    if (d1 - l1 < 0.0) return 1;

    // Inlet triangle. The swirl is the one the element before delivers; its
    // exit angle would give the right sign only behind element 0, whose angle
    // is measured from the other side.
    const double t1 = b.cas_t1[i][j];
    b.flow_c1z[i][j] = cos_deg(t1) * c1s;
    b.flow_c1r[i][j] = sin_deg(t1) * c1s;
    const double c1u = b.flow_c1u[i][j] = b.flow_c2u[p][j];
    const double w1u = b.flow_w1u[i][j] = c1u - u1;
    const double w1 = b.flow_w1[i][j] = std::sqrt(w1u * w1u + c1s * c1s);
    const double B1 = b.cas_B1[i][j] = atan2_deg(c1s, w1u);
    b.cas_B1g[i][j] = B1;  // zero incidence

    // Outlet geometry.
    const double d2 = b.bld_d2[i] = d1 * b.bld_m[i];
    b.bld_d2s[i] = d2;
    if (d2 < d1 + l1) return 1;
    b.cas_B[i][j] = 0.25 * d2;
    b.cas_b[i][j] = 0.5 * (d2 - d1) + b.cas_B[i][j];

    // Work (Euler) and outlet triangle with a purely radial outflow. The
    // parasitic work of the last pass (disk friction and the clearance flow's
    // share) is shaft work too: it heats the outflow, so the outlet total
    // enthalpy carries it, as the shaft power does.
    const double u2 = b.flow_u2[i][j] = d2 * wp / 2.0;
    const double Lu = b.enrg_Lu[i][j] = u2 * u2 * b.elem_Ht[i];
    const double parasitic = impeller_parasitic_work(b, i, j);
    b.isd_i2x[i][j] = i0 + Lu + parasitic + grav_head_out(i, j);
    b.flow_c2z[i][j] = 0.0;
    const double c2s = b.flow_c2s[i][j] = kz * c1s;
    b.flow_c2r[i][j] = c2s;
    const double c2u = b.flow_c2u[i][j] = (u1 * c1u + Lu) / u2;
    const double c2 = b.flow_c2[i][j] = std::sqrt(c2u * c2u + c2s * c2s);
    const double w2u = b.flow_w2u[i][j] = c2u - u2;
    const double w2 = b.flow_w2[i][j] = std::sqrt(w2u * w2u + c2s * c2s);
    b.flow_r1[i][j] = d1 / 2.0;
    b.flow_r2[i][j] = d2 / 2.0;
    b.cas_t2[i][j] = 90.0;
    b.cas_A2[i][j] = atan2_deg(c2s, c2u);
    const double b2 = b.cas_B2[i][j] = atan2_deg(c2s, w2u);
    if (b2 < 1.0 || b2 > 179.0) return 1;

    // Blade outlet angle: the relative flow angle less the deviation.
    b.cas_dR[i][j] = usable_deviation(b.cas_dR[i][j]);
    b.cas_B2g[i][j] = b2 - b.cas_dR[i][j];
    b.cas_B2a[i][j] = b.cas_B2g[i][j];
    (void)elem_dev_cent(i, j, b.cas_B2g[i][j]);
    b.cas_B2[i][j] = b2;
    const double dR = b.cas_dR[i][j] = usable_deviation(b.cas_dR[i][j]);
    b.cas_B2g[i][j] = b2 - dR;
    b.cas_B2a[i][j] = b.cas_B2g[i][j];
    b.los_dx_ofd[i][j] = dR;
    b.los_dx[i][j] = dR;
    b.cas_Byct[i][j] = 90.0 - (B1 + b.cas_B2g[i][j]) / 2.0;

    // Outlet static state: the isentropic step from the inlet entropy, less
    // the losses and the parasitic work of the previous pass (heat, no pressure).
    const double i2 = b.isd_i2[i][j] = b.isd_i2x[i][j] - c2 * c2 / 2.0;
    if (!(i2 > 0.0)) return 1;
    b.isd_i2t[i][j] = i2 - b.enrg_dhb[i][j] - parasitic;
    const double p2 = b.isd_p2[i][j] = design_fluid(b, H2_FLUID_P_IS, b.isd_i2t[i][j], s1);
    const double s2 = b.isd_s2[i][j] = design_fluid(b, H2_FLUID_S_PI, p2, i2);
    b.isd_Ro2[i][j] = design_fluid(b, H2_FLUID_RHO_PI, p2, i2);

    // Total and relative total states.
    b.isd_i1wx[i][j] = w1 * w1 / 2.0 + i1;
    b.isd_p1wx[i][j] = design_fluid(b, H2_FLUID_P_IS, b.isd_i1wx[i][j], s1);
    b.isd_i2wx[i][j] = w2 * w2 / 2.0 + i2;
    b.isd_p2x[i][j] = design_fluid(b, H2_FLUID_P_IS, b.isd_i2x[i][j], s2);
    if (s2 != 0.0) {
        b.isd_p2wx[i][j] = design_fluid(b, H2_FLUID_P_IS, b.isd_i2wx[i][j], s2);
    } else {
        // Without entropy the loss enters as a drop of the relative total pressure.
        b.isd_p2wx[i][j] =
            design_fluid(b, H2_FLUID_P_IS, b.isd_i2wx[i][j], s2) - b.enrg_dhb[i][j] * b.isd_Ro1[i][j];
        b.isd_i2wx[i][j] = design_fluid(b, H2_FLUID_I_PS, b.isd_p2wx[i][j], s2);
        b.isd_i2[i][j] = b.isd_i2wx[i][j] - w2 * w2 / 2.0;
        b.isd_i2x[i][j] = c2 * c2 / 2.0 + b.isd_i2[i][j];
        b.isd_p2x[i][j] = design_fluid(b, H2_FLUID_P_IS, b.isd_i2x[i][j], s2);
    }
    b.isd_a1[i][j] = design_fluid(b, H2_FLUID_SOUND_PI, p1, i1);
    b.isd_a2[i][j] = design_fluid(b, H2_FLUID_SOUND_PI, p2, b.isd_i2[i][j]);

    // Outlet width by continuity, G = rho c2s Fp pi d2 l2.
    (void)row_blockage(i, j);
    const double l2 = b.bld_l2[i] = b.elem_G2[i] / (b.isd_Ro2[i][j] * c2s) / b.los_Fp[i][j] / (kPi * d2);
    b.cas_x2[i][j] = b.cas_x2[p][j] + b.cas_B[i][j] - l2 / 2.0;

    // Clearances and spacing.
    b.clrn_b1n[i] = slot(b, 81, 0.01);
    b.clrn_Zrd[i] = slot(b, 82, 1.0);
    b.clrn_drr[i] = slot(b, 83, 0.04) * l2;
    b.cas_r1[i][j] = slot(b, 84, 0.01) * l2;
    b.cas_r2[i][j] = slot(b, 85, 0.01) * l2;
    const double tb = b.cas_tb[i][j] = slot(b, 86, 0.4);

    // Blade count from the pitch-to-chord ratio over the mean blade angle.
    const double bm = ((180.0 - B1) + (180.0 - b2)) / 2.0;
    const double count = kTwoPi * sin_deg(bm) / (tb * std::log(d2 / d1));
    if (!std::isfinite(count)) {
        b.bld_z[i] = 0.0;
        return 1;
    }
    b.bld_z[i] = std::trunc(count);
    if (b.bld_z[i] <= slot(b, 87, 3.0)) return 1;

    // Blade outlet angle from Wiesner's slip for this blade count, so that
    // the blades built deliver the swirl the Euler work asks for; a fixed
    // deviation would leave them 6 to 18 % off it. The deviation is what the
    // slip leaves between the blade and the flow.
    const double beta2b =
        wiesner_backsweep(c2u, u2, c2s, b.bld_z[i], impeller_inlet_tip_diameter(b, i, j) / d2);
    if (!std::isfinite(beta2b)) return 1;
    const double B2g = b.cas_B2g[i][j] = b.cas_B2a[i][j] = kRadialBlade + beta2b;
    b.cas_dR[i][j] = b.los_dx_ofd[i][j] = b.los_dx[i][j] = b2 - B2g;
    b.cas_Byct[i][j] = 90.0 - (B1 + B2g) / 2.0;

    // Loss, leakage and the isentropic head.
    (void)elem_loss_cent(i, j);
    const double phi = b.los_Los[i][j];
    if (phi == 0.0 || std::isnan(phi)) return 1;
    b.enrg_Co[i][j] = design_fluid(b, H2_FLUID_I_PS, b.isd_p2[i][j], s1) - i0;
    if (b.enrg_zrz[i] < 0.0) b.enrg_zrz[i] = kLeakagePerClearance * b.clrn_drr[i] / l2 * b.enrg_Co[i][j];
    b.enrg_dhd[i] = disk_friction_dhd(i);
    b.enrg_zb[i][j] = b.enrg_dhb[i][j] / Lu;
    return 0;
}

}  // namespace h2::predesign
