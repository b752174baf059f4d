// Vaned diffuser of a centrifugal stage: a vane row a little outside the
// impeller, each vane one circular arc from the impeller's outlet flow angle
// to that angle turned by a set amount, the vane count from the allowed
// divergence of the vane channel, and the outlet density iterated with the
// swirl fixed by the vane angle.
#include "halvorine2/threading.h"
#include "physics/loss_wrappers.h"
#include "physics/section_losses.h"
#include "solver/gravity_head.h"
#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/radial/annulus_station.h"
#include "solver/predesign/radial/diffuser_phases.h"

namespace h2::predesign {
namespace {

constexpr double kBladeRow = 1.0;
constexpr double kRadial = 1.0;

}  // namespace

VaneArc vane_arc(double d1, double d2, double b1g, double a2, double divergence) {
    VaneArc v{};
    const double r1 = d1 / 2.0, r2 = d2 / 2.0;
    // The centre lies where both vane ends are at the arc radius R:
    // R^2 + r^2 - 2 R r cos(angle) is the same at both ends.
    v.R = std::fabs(0.5 * (r2 * r2 - r1 * r1) / (cos_deg(a2) * r2 - cos_deg(b1g) * r1));
    v.rho = std::sqrt(v.R * v.R + r1 * r1 - cos_deg(b1g) * v.R * d1);
    v.theta1 = std::asin(sin_deg(b1g) * r1 / v.rho) / kDegree;
    v.theta2 = std::asin(sin_deg(a2) * r2 / v.rho) / kDegree;
    v.L = v.R * (v.theta2 - v.theta1) * kDegree;
    // Channel width growth over the length: pi (d2 sin a2 - d1 sin b1g) / z = 2 L tan(divergence / 2).
    v.count = kPi * (d2 * sin_deg(a2) - d1 * sin_deg(b1g)) / (2.0 * v.L) / tan_deg(divergence / 2.0);
    v.z = std::isfinite(v.count) && std::fabs(v.count) < 1e9 ? static_cast<int>(v.count) : 0;
    return v;
}

int rc_vaned_diff_design(int i) {
    bdLocals& b = *get_bdLocals();
    const int m = b.cyld_nr / 2;
    const int p = i - 1;

    // Frame: a stator blade row of radial sections.
    b.elem_sectType[i] = kRadial;
    write_stage_element(b, i, kBladeRow);
    b.bld_k[i] = slot(b, 91, 6.0);
    b.los_Los[i][m] = slot(b, 118, 0.9);
    b.los_om[i][m] = 0.0;
    if (std::isnan(b.enrg_dhb[i][m])) b.enrg_dhb[i][m] = 0.0;
    if (std::isnan(b.enrg_dhd[i])) b.enrg_dhd[i] = 0.0;

    diffuser_inlet_transfer(b, i, m, DiffuserKind::Vaned);

    // Geometry: the vane meets the impeller's outlet flow without incidence.
    b.cas_B1[i][m] = b.cas_A2[p][m];
    const double B1g = b.cas_B1g[i][m] = b.cas_B1[i][m];
    const double d1 = b.bld_d1[i] = slot(b, 92, 1.05) * b.bld_d2[p];
    const double l1 = b.bld_l1[i] = slot(b, 93, 1.0) * b.bld_l2[p];

    // The leading edge lies across the vaneless gap from the impeller: the
    // swirl by constant angular momentum, the radial velocity by continuity
    // through the leading-edge annulus, the static state on the inlet entropy.
    // The impeller's outlet velocities carried to the larger radius would pass
    // more than the flow. The entropy is then taken again from the total state.
    const double c1u = b.flow_c2u[p][m] * b.bld_d2[p] / d1;
    const AnnulusStation le =
        annulus_station(b, b.elem_G2[i], kPi * d1 * l1, b.elem_i0[i], b.isd_s1[i][m], c1u, b.isd_Ro2[p][m]);
    if (!le.ok) return 1;
    b.flow_c1u[i][m] = b.flow_w1u[i][m] = c1u;
    b.flow_c1r[i][m] = b.flow_c1s[i][m] = le.cm;
    b.flow_c1z[i][m] = 0.0;
    b.flow_c1[i][m] = b.flow_w1[i][m] = le.c;  // a stationary row sees the absolute flow
    const double i1 = b.isd_i1[i][m] = le.i;
    const double p1 = b.isd_p1[i][m] = le.p;
    b.isd_a1[i][m] = design_fluid(b, H2_FLUID_SOUND_PI, p1, i1);
    b.isd_s1[i][m] = design_fluid(b, H2_FLUID_S_PI, b.elem_p0[i], b.elem_i0[i]);
    b.isd_Ro1[i][m] = le.rho;
    const double d2 = b.bld_d2[i] = slot(b, 94, 1.4) * d1;
    b.bld_d2s[i] = d2;
    b.bld_l2[i] = slot(b, 95, 1.0) * b.bld_l1[i];
    b.flow_r1[i][m] = d1 / 2.0;
    b.flow_r2[i][m] = d2 / 2.0;
    b.cas_B2g[i][m] = slot(b, 96, 0.0) + b.cas_B1[i][m];
    b.cas_B2[i][m] = b.cas_B2g[i][m];
    b.cas_B2[i][m] = elem_dev_cent(i, m, b.cas_B2g[i][m]);
    const double A2 = b.cas_A2[i][m] = b.cas_B2[i][m];
    const double dR = b.cas_dR[i][m];
    const double B2g = b.cas_B2g[i][m] = A2 + dR;
    b.cas_B2a[i][m] = B2g;
    b.los_dx_ofd[i][m] = dR;
    b.los_dx[i][m] = dR;
    b.cas_Byct[i][m] = (B1g + B2g) / 2.0;

    const VaneArc arc = vane_arc(d1, d2, B1g, A2, slot(b, 97, 10.0));
    b.cas_b[i][m] = arc.L;
    b.bld_z[i] = arc.z;
    if (!(arc.z > slot(b, 98, 3.0))) return 1;
    b.cas_tb[i][m] = (kPi * d2 / arc.z) / arc.L;
    b.cas_r2[i][m] = arc.L * slot(b, 100, 0.01);
    b.cas_r1[i][m] = b.cas_r2[i][m];
    b.cas_x2[i][m] = b.cas_x2[p][m];

    // Loss and blockage.
    (void)elem_loss_cent(i, m);
    const double phi = b.los_Los[i][m];
    if (phi == 0.0 || std::isnan(phi)) return 1;
    (void)row_blockage(i, m);

    // Outlet: total enthalpy kept (plus the gravity head).
    b.isd_i2x[i][m] = b.isd_i1x[i][m] + grav_head_out(i, m);
    if (!diffuser_outlet_iteration(b, i, m, DiffuserKind::Vaned, A2)) return 1;
    diffuser_outlet_state(b, i, m);
    b.isd_i2wx[i][m] = b.isd_i2x[i][m];

    // Stage bookkeeping.
    b.cas_t2[i][m] = 90.0;
    b.cas_t1[i][m] = 90.0;
    b.clrn_b1n[i] = slot(b, 99, 0.01);
    b.enrg_Lu[i][m] = b.enrg_Lu[p][m];
    stage_efficiency_and_reaction(b, i, m);
    b.enrg_zb[i][m] = b.enrg_dhb[i][m] / b.enrg_Lu[i][m];
    return 0;
}

}  // namespace h2::predesign
