// Phases shared by the vaneless and the vaned diffuser of a centrifugal stage.
#include "solver/predesign/radial/diffuser_phases.h"

#include "physics/loss_wrappers.h"
#include "solver/gravity_head.h"
#include "solver/predesign/centrifugal_elements.h"

namespace h2::predesign {

void diffuser_inlet_transfer(bdLocals& b, int i, int m, DiffuserKind kind) {
    const int p = i - 1;
    b.elem_G2[i] = b.elem_G2[p];
    b.elem_G1[i] = b.elem_G2[i];
    b.elem_p0[i] = b.isd_p2x[p][m];
    b.isd_p1wx[i][m] = b.isd_p1x[i][m] = b.elem_p0[i];
    b.elem_i0[i] = b.isd_i2x[p][m];
    b.isd_i1wx[i][m] = b.isd_i1x[i][m] = b.elem_i0[i];
    b.isd_i1x[i][m] += grav_head_in(i, m);
    b.elem_i0[i] = b.isd_i1x[i][m];
    if (kind == DiffuserKind::Vaned) b.isd_i1wx[i][m] = b.elem_i0[i];
    b.isd_s1[i][m] = b.isd_s2[p][m];
    if (kind == DiffuserKind::Vaneless) b.isd_Ro1[i][m] = b.isd_Ro2[p][m];
    b.flow_c1z[i][m] = b.flow_c2z[p][m];
    b.flow_c1r[i][m] = b.flow_c2r[p][m];
    b.flow_c1u[i][m] = b.flow_c2u[p][m];
    b.flow_c1[i][m] = b.flow_c2[p][m];
    b.flow_w1u[i][m] = b.flow_w2u[p][m];
    b.flow_w1[i][m] = b.flow_w2[p][m];
}

bool diffuser_outlet_iteration(bdLocals& b, int i, int m, DiffuserKind kind, double a2) {
    const int p = i - 1;
    const double G = b.elem_G2[i];
    const double d2 = b.bld_d2[i];
    const double l2 = b.bld_l2[i];
    const double Fp = b.los_Fp[i][m];
    const double phi = b.los_Los[i][m];
    const double c1 = b.flow_c1[i][m];
    const double s1 = b.isd_s1[i][m];
    const double i2x = b.isd_i2x[i][m];
    const double tol = pass_tolerance(b);
    const bool vaned = kind == DiffuserKind::Vaned;

    b.isd_Ro2[i][m] = b.isd_Ro1[i][m];
    b.flow_c2z[i][m] = 0.0;  // purely radial outlet
    double previous = 0.0;
    for (int n = pass_limit(b); n > 0; --n) {
        // Continuity with the density of the pass before: G = rho c2s Fp pi d2 l2.
        const double c2s = G / (kPi * b.isd_Ro2[i][m] * d2 * l2) / Fp;
        b.flow_c2s[i][m] = b.flow_c2r[i][m] = c2s;
        double c2u;
        if (vaned) {
            c2u = c2s / tan_deg(a2);  // the flow leaves along the vanes
        } else {
            c2u = b.flow_c1u[i][m] * b.bld_d2[p] / d2;  // free vortex: r cu kept
        }
        b.flow_c2u[i][m] = c2u;
        const double c2 = b.flow_c2[i][m] = std::sqrt(c2u * c2u + c2s * c2s);
        // A stationary element's relative flow is its absolute flow.
        b.flow_w2u[i][m] = c2u;
        b.flow_w2[i][m] = c2;
        b.elem_cz_[i] = c2s / (b.bld_wp[p] * b.flow_r2[i][m]);
        if (!vaned) b.enrg_dhb[i][m] = kinetic_energy_loss(phi, c1 * c1);
        double i2 = i2x - c2 * c2 / 2.0;
        if (!(i2 > 0.0)) i2 = i2x;
        b.isd_i2[i][m] = i2;
        b.isd_i2t[i][m] = i2 - b.enrg_dhb[i][m];
        b.isd_p2[i][m] = design_fluid(b, H2_FLUID_P_IS, b.isd_i2t[i][m], s1);
        b.isd_Ro2[i][m] = design_fluid(b, H2_FLUID_RHO_PI, b.isd_p2[i][m], i2);
        if (vaned) b.enrg_dhb[i][m] = kinetic_energy_loss(phi, c1 * c1);
        if (std::fabs(previous - b.isd_Ro2[i][m]) < tol) return true;
        previous = b.isd_Ro2[i][m];
    }
    return false;
}

void diffuser_outlet_state(bdLocals& b, int i, int m) {
    const double p2 = b.isd_p2[i][m];
    const double i2 = b.isd_i2[i][m];
    const double s2 = b.isd_s2[i][m] = design_fluid(b, H2_FLUID_S_PI, p2, i2);
    if (s2 == 0.0) {
        // Without entropy the loss is a total-pressure drop.
        b.isd_p2x[i][m] =
            design_fluid(b, H2_FLUID_P_IS, b.isd_i2x[i][m], s2) - b.enrg_dhb[i][m] * b.isd_Ro1[i][m];
        b.isd_i2x[i][m] = design_fluid(b, H2_FLUID_I_PS, b.isd_p2x[i][m], s2);
    } else {
        b.isd_p2x[i][m] = design_fluid(b, H2_FLUID_P_IS, b.isd_i2x[i][m], s2);
    }
    b.isd_a2[i][m] = design_fluid(b, H2_FLUID_SOUND_PI, p2, i2);
}

void stage_efficiency_and_reaction(bdLocals& b, int i, int m) {
    const int p = i - 1;
    const double losses = b.enrg_zrz[p] + b.enrg_dhb[p][m] + b.enrg_dhd[p] + b.enrg_dhb[i][m];
    const double eff = 1.0 - losses / b.enrg_Lu[i][m];
    b.elem_eff[i] = b.elem_effx[i] = b.elem_eff[p] = b.elem_effx[p] = eff;
    const double i1 = b.isd_i1[p][m];
    b.elem_R[i] = (b.isd_i2[p][m] - i1) / (b.isd_i2[i][m] - i1);
    b.elem_R[p] = b.elem_R[i];
}

}  // namespace h2::predesign
