// U-bend of a centrifugal stage: the 180-degree meridional turn on one radius
// from the diffuser's outward flow into the inward return channel. The swirl
// stays (same radius), the outlet width comes from the module's width ratio,
// and the outlet density is iterated with a velocity-coefficient loss.
#include <algorithm>

#include "halvorine2/threading.h"
#include "physics/loss_wrappers.h"
#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/radial/diffuser_phases.h"
#include "solver/predesign/radial/stage_duct_phases.h"

namespace h2::predesign {
namespace {

constexpr double kUBend = 3.0;
constexpr double kRadial = 1.0;

}  // namespace

void rc_ubend_dims(double b1, double widthRatio, double radiusRatio, double* b2, double* Rh, double* Rt) {
    *b2 = b1 * widthRatio;
    *Rh = b1 * radiusRatio;
    *Rt = (b1 + *b2) / 2.0 + *Rh;  // the outer wall clears the inner one by the mean width
}

int rc_ubend_design(int i, int, int imp) {
    bdLocals& b = *get_bdLocals();
    const int m = b.cyld_nr / 2;
    const int p = i - 1;

    // Frame.
    int passes = pass_limit(b);
    b.elem_sectType[i] = kRadial;
    write_stage_element(b, i, kUBend);
    b.bld_k[i] = slot(b, 101, 6.0);
    b.los_Los[i][m] = slot(b, 120, 0.9);
    b.los_om[i][m] = 0.0;

    // Inlet: the outlet of the element before, and its static state.
    take_stage_inlet(b, i, m);
    const double h0 = b.isd_i1x[i][m];
    const double c1 = b.flow_c1[i][m];
    const double c1u = b.flow_c1u[i][m];
    const double s1 = b.isd_s1[i][m];
    if (!take_inlet_static_state(b, i, m)) return 1;

    // Geometry: the bend keeps the diameter of the element before.
    const double b1 = b.bld_l2[p];
    const double D = b.bld_d2[p];
    double b2 = 0.0, Rh = 0.0, Rt = 0.0;
    rc_ubend_dims(b1, slot(b, 102, 2.0), slot(b, 103, 0.0), &b2, &Rh, &Rt);
    b.bld_Rh2[i] = b.bld_Rh1[i] = Rh;
    b.bld_Rt2[i] = b.bld_Rt1[i] = Rt;
    b.bld_l1[i] = b1;
    b.vol_bk[i] = b.bld_l2[i] = b2;
    b.bld_d2[i] = b.bld_d2s[i] = b.bld_d1[i] = D;
    b.flow_r2[i][m] = b.flow_r1[i][m] = D / 2.0;
    b.cas_x2[i][m] = b.cas_x2[p][m] + b1 + b2;

    // Loss models only for an element generated before in this case.
    if (b.cas_B2[i][m] == 0.0) {
        b.enrg_dhd[i] = 0.0;
        b.enrg_dhb[i][m] = 0.0;
    } else {
        (void)elem_loss_uband(i, m);
        (void)elem_dev_uband(i, m, 0.0);
    }

    // Outlet density: continuity through the outlet ring with the density of
    // the pass before, no change of total enthalpy (a stator on one radius).
    const double A = D * kPi * b2;
    const double G = b.elem_G2[i];
    const double phi = b.los_Los[i][m];
    const double speed = std::max(b.bld_wp[p], b.bld_wp[i - 2]);
    const double tol = pass_tolerance(b);
    b.isd_i2x[i][m] = b.isd_i1wx[i][m] = b.isd_i2wx[i][m] = h0;
    double rho_prev = b.isd_Ro2[i][m] = b.isd_Ro1[i][m];
    double c2r = 0.0, c2 = 0.0;
    for (;;) {
        c2r = G / (rho_prev * A);
        b.flow_c2r[i][m] = b.flow_c2s[i][m] = c2r;
        b.flow_c2u[i][m] = c1u;
        c2 = b.flow_c2[i][m] = std::sqrt(c1u * c1u + c2r * c2r);
        b.enrg_dhb[i][m] = kinetic_energy_loss(phi, std::max(c1 * c1, c2 * c2));
        // Without a rotor among the two elements before there is no blade
        // speed to refer the flow to (a division by zero otherwise).
        b.elem_cz_[i] = speed != 0.0 ? c2r / (speed * b.flow_r2[i][m]) : 0.0;
        const double i2 = h0 - c2 * c2 / 2.0;
        b.isd_i2[i][m] = i2 > 0.0 ? i2 : h0;
        const double i2t = b.isd_i2t[i][m] = i2 - b.enrg_dhb[i][m];
        const double p2 = b.isd_p2[i][m] = design_fluid(b, H2_FLUID_P_IS, i2t, s1);
        const double rho2 = b.isd_Ro2[i][m] = design_fluid(b, H2_FLUID_RHO_PI, p2, i2);
        const double change = std::fabs(rho_prev - rho2);
        // A change that is not a number ends the passes too; the stage tests
        // its outlet pressures for it.
        if (change < tol || std::isnan(change)) break;
        rho_prev = rho2;
        if (--passes == 0) return 1;
    }

    // Outlet state; a stator's relative velocity is its absolute one.
    diffuser_outlet_state(b, i, m);
    b.flow_c2z[i][m] = 0.0;
    b.flow_w2[i][m] = c2;
    b.cas_t1[i][m] = 90.0;
    b.cas_t2[i][m] = -90.0;
    b.flow_r1[i][m] = b.bld_d1[i] / 2.0;
    b.flow_r2[i][m] = b.bld_d2[i] / 2.0;

    // Outlet angle and stage bookkeeping.
    b.cas_A2[i][m] = b.cas_B2[i][m] = atan2_deg(c2r, c1u);
    book_stage_efficiency(b, i, m, imp);
    return 0;
}

}  // namespace h2::predesign
