// Inlet guide vanes of a centrifugal compressor module: element 0 carries the
// module inlet state into the first stage with the inlet swirl and the design
// flow coefficient, and sizes the inlet annulus by continuity.
#include "halvorine2/threading.h"
#include "solver/gravity_head.h"
#include "solver/predesign/centrifugal_elements.h"

namespace h2::predesign {
namespace {

constexpr double kNoSwirl = 90.0;  // flow angle of a purely meridional inflow, degrees
constexpr double kAxial = 0.0;
constexpr double kRadial = 1.0;
constexpr double kDuct = 0.0;

}  // namespace

int rc_igv_design(int igv_form, int lbau_form, int imp) {
    bdLocals& b = *get_bdLocals();
    const int j = b.cyld_nr / 2;
    constexpr int e = 0;

    // Orientation: a radial inlet only when the vanes are radial and no
    // L-bend turns the flow before the impeller.
    if (igv_form == 0 || lbau_form != 0) {
        b.elem_sectType[e] = kAxial;
        b.cas_t1[e][j] = 0.0;
        b.cas_t2[e][j] = 0.0;
    } else if (igv_form == 1) {
        b.elem_sectType[e] = kRadial;
        b.cas_t1[e][j] = 90.0;
        b.cas_t2[e][j] = 90.0;
    }
    write_stage_element(b, e, kDuct);
    b.los_Los[e][j] = 1.0;  // no loss
    b.los_om[e][j] = 0.0;

    const double p0 = b.elem_p0[e];
    const double i0 = b.elem_i0[e];
    b.isd_p1x[e][j] = b.isd_p2x[e][j] = b.isd_p2wx[e][j] = b.isd_p1wx[e][j] = p0;
    b.isd_i1x[e][j] = b.isd_i2x[e][j] = b.isd_i2wx[e][j] = b.isd_i1wx[e][j] = i0;
    b.isd_i2x[e][j] += grav_head_out(e, j);
    b.isd_i2wx[e][j] = b.isd_i2x[e][j];

    double& B1 = b.cas_B1[e][j];
    if (B1 == 0.0 || B1 == 180.0) B1 = kNoSwirl;
    b.cas_A1[e][j] = B1;
    b.cas_B2[e][j] = 180.0 - B1;

    b.elem_G2[e] = b.elem_G1[e];
    b.flow_u1[e][j] = 0.0;
    b.flow_u2[e][j] = 0.0;

    // Meridional velocity from the flow coefficient on the impeller's speed at
    // the inlet diameter; the element itself does not rotate.
    b.bld_wp[e] = b.bld_wp[imp];
    const double c1s = (b.bld_d1[e] * b.bld_wp[e] / 2.0) * b.elem_cz_[e];
    b.bld_wp[e] = 0.0;
    const double t1 = b.cas_t1[e][j];
    const double c1 = c1s / sin_deg(B1);
    const double c1u = cos_deg(B1) * c1;
    b.flow_c1s[e][j] = b.flow_c2s[e][j] = c1s;
    b.flow_c1[e][j] = b.flow_c2[e][j] = c1;
    b.flow_c1z[e][j] = b.flow_c2z[e][j] = cos_deg(t1) * c1s;
    b.flow_c1r[e][j] = b.flow_c2r[e][j] = sin_deg(t1) * c1s;
    b.flow_c1u[e][j] = b.flow_c2u[e][j] = b.flow_w1u[e][j] = b.flow_w2u[e][j] = c1u;
    b.flow_w1[e][j] = b.flow_w2[e][j] = std::sqrt(c1u * c1u + c1s * c1s);
    b.flow_r1[e][j] = b.bld_d1[e] / 2.0;
    b.flow_r2[e][j] = b.bld_d2[e] / 2.0;
    b.cas_B2[e][j] = 180.0 - atan2_deg(c1s, c1u);

    // Static state on the inlet isentrope.
    const double s1 = design_fluid(b, H2_FLUID_S_PI, p0, i0);
    b.isd_s1[e][j] = b.isd_s2[e][j] = s1;
    const double i1 = i0 - c1 * c1 / 2.0;
    b.isd_i1[e][j] = i1;
    if (!(i1 > 0.0)) return 1;
    b.isd_i2[e][j] = i1;
    const double p1 = design_fluid(b, H2_FLUID_P_IS, i1, s1);
    b.isd_p1[e][j] = b.isd_p2[e][j] = p1;
    const double ro1 = design_fluid(b, H2_FLUID_RHO_PI, p1, i1);
    b.isd_Ro1[e][j] = b.isd_Ro2[e][j] = ro1;
    b.isd_a2[e][j] = b.isd_a1[e][j] = design_fluid(b, H2_FLUID_SOUND_PI, p1, i1);

    // Annulus height by continuity: G = rho c1s pi d1 l1.
    const double l1 = b.elem_G1[e] / (ro1 * c1s) / (kPi * b.bld_d1[e]);
    b.bld_l1[e] = b.bld_l2[e] = l1;
    b.cas_x2[e][j] = 0.0;

    // The static enthalpy must stay positive down to the hub, where the swirl
    // of constant angular momentum is largest.
    const double d2 = b.bld_d2[e];
    if (d2 - l1 < 0.0) return 1;
    const double v = (b.flow_c2u[e][j] * d2 / 2.0) / ((d2 - l1) / 2.0);
    const double c2z = b.flow_c2z[e][j];
    if (!(i0 - (c2z * c2z + v * v) / 2.0 > 0.0)) return 1;
    return 0;
}

}  // namespace h2::predesign
