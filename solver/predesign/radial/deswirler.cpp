// Deswirler of a centrifugal stage: the vaned return channel that takes the
// flow inward from the U-bend, removes its swirl and delivers it on the
// diameter of an impeller eye, axially (option 1) or radially inward. The
// exit velocity is the module's flow coefficient on the impeller's blade
// speed; the outlet width follows by continuity and the vane count from the
// pitch-to-chord ratio over the channel's logarithmic length.
#include <algorithm>

#include "halvorine2/threading.h"
#include "physics/loss_wrappers.h"
#include "physics/section_losses.h"
#include "solver/gravity_head.h"
#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/radial/stage_duct_phases.h"

namespace h2::predesign {
namespace {

constexpr double kDeswirler = 6.0;
constexpr double kAxialSection = 0.0;
constexpr double kRadialSection = 1.0;
constexpr int kAxialExit = 1;
// An impeller inlet slope at or above this takes its flow radially (degrees).
constexpr double kRadialInletSlope = 45.0;
constexpr double kMeridional = 90.0;  // flow angle without swirl, degrees

}  // namespace

int rc_desw_design(int i, int form, int imp) {
    bdLocals& b = *get_bdLocals();
    const int m = b.cyld_nr / 2;
    const int p = i - 1;
    const bool axial = form == kAxialExit;

    // Frame.
    b.elem_sectType[i] = axial ? kAxialSection : kRadialSection;
    b.cas_t2[i][m] = axial ? 0.0 : -90.0;
    write_stage_element(b, i, kDeswirler);
    b.bld_k[i] = slot(b, 108, 6.0);
    b.cas_t1[i][m] = 90.0;
    b.los_Los[i][m] = slot(b, 121, 0.9);
    b.los_om[i][m] = 0.0;

    // Inlet: the outlet of the element before, its static state included.
    take_stage_inlet(b, i, m);
    b.isd_i1[i][m] = b.isd_i2[p][m];
    b.isd_p1[i][m] = b.isd_p2[p][m];
    const double s1 = b.isd_s1[i][m];
    const double w1 = b.flow_w1[i][m];
    b.isd_i1wx[i][m] = w1 * w1 / 2.0 + b.isd_i1[i][m];
    b.isd_p1wx[i][m] = design_fluid(b, H2_FLUID_P_IS, b.isd_i1wx[i][m], s1);
    b.bld_d1[i] = b.bld_d2[p];
    b.bld_l1[i] = b.bld_l2[p];
    b.cas_B1g[i][m] = b.cas_B1[i][m] = b.cas_B2[p][m];  // vanes set at the inlet flow angle

    // Exit diameter: that of the eye the channel leads to.
    const bool radial_inlet = b.cas_t1[imp][m] >= kRadialInletSlope;
    double d2;
    if (radial_inlet)
        d2 = axial ? b.bld_d1[imp - 1] : b.bld_d1[imp];
    else
        d2 = axial ? b.bld_d1[imp] : b.bld_d1[imp] + 2.0 * b.bld_l1[imp];
    b.bld_d2[i] = d2;
    const double Dref = axial ? d2 : b.bld_d2[0];
    b.elem_cz_[i] = b.elem_cz_[0];
    // The module's flow coefficient on the impeller's blade speed at the
    // reference diameter, or the channel's velocity passed through.
    const double c2s = b.flow_c2s[i][m] =
        slot(b, 112, 0.0) == 0.0 ? (Dref * b.bld_wp[imp] / 2.0) * b.elem_cz_[i] : b.flow_c2s[p][m];
    b.bld_d2s[i] = d2;
    b.flow_c2z[i][m] = axial ? c2s : 0.0;
    b.flow_c2r[i][m] = axial ? 0.0 : c2s;

    // Outlet angle: meridional, turned by the deviation model once the
    // element has been generated before.
    b.cas_B2g[i][m] = b.cas_B2a[i][m] = kMeridional;
    b.cas_dR[i][m] = 0.0;
    const bool generated = b.bld_z[i] != 0.0;
    if (generated)
        b.cas_A2[i][m] = b.cas_B2[i][m] = elem_dev_other(i, m, kMeridional);
    else
        b.cas_B2[i][m] = kMeridional;
    const double B2 = b.cas_B2[i][m];
    b.cas_B2a[i][m] = b.cas_B2g[i][m] = B2 + b.cas_dR[i][m];
    const double c2 = b.flow_c2[i][m] = c2s / sin_deg(B2);
    b.flow_w2[i][m] = c2;
    b.flow_c2u[i][m] = cos_deg(B2) * c2;
    // The loss model leaves the loss in enrg__dhb; a first generation keeps
    // what the case holds.
    if (generated) (void)elem_loss_other(i, m);

    // Outlet state on the inlet isentrope shifted by the loss.
    const double i2x = b.isd_i2x[i][m] = b.isd_i1x[i][m] + grav_head_out(i, m);
    const double i2 = b.isd_i2[i][m] = i2x - c2 * c2 / 2.0;
    if (!(i2 > 0.0)) return 1;
    b.isd_i2t[i][m] = i2 - b.enrg_dhb[i][m];
    const double p2 = b.isd_p2[i][m] = design_fluid(b, H2_FLUID_P_IS, b.isd_i2t[i][m], s1);
    const double s2 = b.isd_s2[i][m] = design_fluid(b, H2_FLUID_S_PI, p2, i2);
    b.isd_Ro2[i][m] = design_fluid(b, H2_FLUID_RHO_PI, p2, i2);
    b.isd_i2wx[i][m] = c2 * c2 / 2.0 + i2;
    b.isd_p2x[i][m] = design_fluid(b, H2_FLUID_P_IS, i2x, s2);
    b.isd_p2wx[i][m] = design_fluid(b, H2_FLUID_P_IS, b.isd_i2wx[i][m], s2);
    if (s2 == 0.0) {
        // Without entropy the loss is a drop of the total pressures.
        b.isd_p2wx[i][m] -= b.enrg_dhb[i][m] * b.isd_Ro1[i][m];
        b.isd_i2wx[i][m] = design_fluid(b, H2_FLUID_I_PS, b.isd_p2wx[i][m], s2);
        b.isd_i2[i][m] = b.isd_i2wx[i][m] - c2 * c2 / 2.0;
        b.isd_i2x[i][m] = c2 * c2 / 2.0 + b.isd_i2[i][m];
        b.isd_p2x[i][m] = design_fluid(b, H2_FLUID_P_IS, b.isd_i2x[i][m], s2);
    }
    b.isd_a1[i][m] = design_fluid(b, H2_FLUID_SOUND_PI, b.isd_p1[i][m], b.isd_i1[i][m]);
    b.isd_a2[i][m] = design_fluid(b, H2_FLUID_SOUND_PI, p2, b.isd_i2[i][m]);

    // Outlet width by continuity, G = rho c2s Fp pi d2 l2.
    (void)row_blockage(i, m);
    const double l2 = b.bld_l2[i] = b.elem_G2[i] / (b.isd_Ro2[i][m] * c2s) / b.los_Fp[i][m] / (kPi * d2);
    if (!(d2 - l2 >= 0.0)) return 1;
    b.cas_r1[i][m] = slot(b, 114, 0.01) * l2;
    b.cas_r2[i][m] = slot(b, 115, 0.01) * l2;
    const double tb = b.cas_tb[i][m] = slot(b, 109, 0.4);

    // Vane count: pitch over chord along the logarithmic channel from d1 to d2.
    const double count = kTwoPi * sin_deg((b.cas_B1[i][m] + B2) / 2.0) / (std::log(b.bld_d1[i] / d2) * tb);
    // A count that is not finite (no inward channel) is no count at all.
    const double z = b.bld_z[i] = std::isfinite(count) ? std::trunc(count) : 0.0;
    if (!(z > slot(b, 110, 3.0))) return 2;
    const double t = b.cas_t[i][m] = kPi * d2 / z;
    b.cas_b[i][m] = b.cas_bx[i][m] = t / tb;
    const double width = b.cas_B[i][m] = std::max(2.0 * b.bld_l1[i], l2);
    b.cas_x2[i][m] = b.cas_x2[p][m] + width - b.bld_l1[i] / 2.0;
    if (axial) b.clrn_d1[i] = width * slot(b, 113, 0.05);

    book_stage_efficiency(b, i, m, imp);
    return 0;
}

}  // namespace h2::predesign
