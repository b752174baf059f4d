// Vaneless diffuser of a centrifugal stage: an annulus behind the impeller,
// sized by two ratios of the module's prerequisite block, in which the swirl
// falls as a free vortex while the outlet density is iterated.
#include "halvorine2/threading.h"
#include "physics/loss_wrappers.h"
#include "physics/section_losses.h"
#include "solver/gravity_head.h"
#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/radial/diffuser_phases.h"

namespace h2::predesign {
namespace {

constexpr double kVanelessDiffuser = 2.0;
constexpr double kRadial = 1.0;

}  // namespace

int rc_vldiff_design(int i) {
    bdLocals& b = *get_bdLocals();
    const int m = b.cyld_nr / 2;
    const int p = i - 1;

    // Frame.
    b.elem_sectType[i] = kRadial;
    write_stage_element(b, i, kVanelessDiffuser);
    b.los_Los[i][m] = slot(b, 119, 0.9);
    b.los_om[i][m] = 0.0;

    diffuser_inlet_transfer(b, i, m, DiffuserKind::Vaneless);

    // Inlet static state.
    const double c1 = b.flow_c1[i][m];
    const double i1 = b.isd_i1[i][m] = b.elem_i0[i] - c1 * c1 / 2.0;
    if (!(i1 > 0.0)) return 1;
    b.isd_p1[i][m] = design_fluid(b, H2_FLUID_P_IS, i1, b.isd_s1[i][m]);
    b.isd_a1[i][m] = design_fluid(b, H2_FLUID_SOUND_PI, b.isd_p1[i][m], i1);

    // Geometry: the inlet is the impeller outlet.
    b.cas_B1[i][m] = b.cas_B2[p][m];
    b.bld_d1[i] = b.bld_d2[p];
    b.bld_l1[i] = b.bld_l2[p];
    b.bld_d2[i] = slot(b, 89, 1.6) * b.bld_d1[i];
    b.bld_d2s[i] = b.bld_d2[i];
    b.bld_l2[i] = slot(b, 90, 1.0) * b.bld_l1[i];
    b.flow_r1[i][m] = b.bld_d1[i] / 2.0;
    b.flow_r2[i][m] = b.bld_d2[i] / 2.0;
    b.cas_x2[i][m] = b.cas_x2[p][m];
    b.bld_z[i] = 0.0;
    b.cas_tb[i][m] = 0.0;

    // Loss, deviation, blockage.
    (void)elem_loss_diff(i, m);
    const double phi = b.los_Los[i][m];
    if (phi == 0.0 || std::isnan(phi)) return 1;
    (void)elem_dev_diff(i, m, 0.0);
    (void)row_blockage(i, m);

    // Outlet: total enthalpy kept (plus the gravity head).
    b.isd_i2x[i][m] = b.isd_i1x[i][m];
    b.isd_i1wx[i][m] = b.isd_i2x[i][m];
    b.isd_i2wx[i][m] = b.isd_i1wx[i][m];
    b.isd_i2x[i][m] += grav_head_out(i, m);
    b.isd_i2wx[i][m] = b.isd_i2x[i][m];
    if (!diffuser_outlet_iteration(b, i, m, DiffuserKind::Vaneless, 0.0)) return 1;
    diffuser_outlet_state(b, i, m);

    // Stage bookkeeping: the impeller's work and losses travel on.
    b.enrg_zrz[i] = b.enrg_zrz[p];
    b.enrg_Lu[i][m] = b.enrg_Lu[p][m];
    b.enrg_dhd[i] = b.enrg_dhd[p];
    b.enrg_zb[i][m] = b.enrg_dhb[i][m] / b.enrg_Lu[i][m];
    stage_efficiency_and_reaction(b, i, m);
    b.cas_A2[i][m] = atan2_deg(b.flow_c2s[i][m], b.flow_c2u[i][m]);
    b.cas_B2[i][m] = b.cas_A2[i][m];
    b.cas_t2[i][m] = 90.0;
    b.cas_t1[i][m] = 90.0;
    b.clrn_b1n[i] = slot(b, 99, 0.01);
    return 0;
}

}  // namespace h2::predesign
