// L-bends of a centrifugal stage: unbladed 90-degree meridional turns. Kind
// 11 takes the flow from an axial annulus radially outward into the impeller
// eye; kind 12 takes the return channel's inward flow into an axial annulus
// at the inlet of the next impeller. Both keep the swirl's angular momentum,
// set the outlet meridional velocity by a fixed rule, size the outlet by
// continuity and book a velocity-coefficient loss.
#include <algorithm>

#include "halvorine2/threading.h"
#include "physics/loss_wrappers.h"
#include "solver/gravity_head.h"
#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/radial/diffuser_phases.h"
#include "solver/predesign/radial/stage_duct_phases.h"

namespace h2::predesign {
namespace {

constexpr double kAxialRadialBend = 11.0;
constexpr double kRadialAxialBend = 12.0;
constexpr double kAxialSection = 0.0;
constexpr double kRadialSection = 1.0;
// An impeller inlet slope below this takes its flow axially (degrees).
constexpr double kRadialInletSlope = 45.0;

enum class Bend { AxialToRadial, RadialToAxial };

int l_bend_design(int i, int imp, Bend kind) {
    bdLocals& b = *get_bdLocals();
    const int j = b.cyld_nr / 2;
    const int p = i - 1;
    const bool up = kind == Bend::AxialToRadial;

    // Frame.
    const double l_in = b.bld_l2[p];
    const double d_in = b.bld_d2[p];
    const double omega = b.bld_wp[imp];
    b.elem_sectType[i] = up ? kRadialSection : kAxialSection;
    write_stage_element(b, i, up ? kAxialRadialBend : kRadialAxialBend);
    b.bld_k[i] = up ? slot(b, 104, 6.0) : slot(b, 106, 6.0);
    if (!up) {
        b.los_Los[i][j] = slot(b, 123, 0.8);
        b.los_om[i][j] = 0.0;
    }

    // Inlet: the outlet of the element before, and its static state.
    take_stage_inlet(b, i, j);
    const double c1 = b.flow_c1[i][j];
    const double c1u = b.flow_c1u[i][j];
    const double s1 = b.isd_s1[i][j];
    if (!take_inlet_static_state(b, i, j)) return 1;

    // Geometry: the outlet aims at the impeller eye, whose size the bend
    // guesses until the impeller has been generated once.
    b.bld_l1[i] = l_in;
    b.bld_d1[i] = d_in;
    double d2, w, h;
    if (up) {
        b.bld_l2[i] = b.bld_l1[imp] == 0.0 ? l_in / 2.0 : b.bld_l1[imp];
        if (!(d_in - l_in >= 0.0)) return 1;  // the inlet annulus would cross the axis
        d2 = b.bld_d2[imp] == 0.0 ? d_in + l_in : b.bld_d1[imp];
        b.flow_r1[i][j] = d_in / 2.0;
        b.flow_r2[i][j] = d2 / 2.0;
        w = b.bld_l2[i];
        h = b.bld_l1[i];
    } else {
        const bool axial_eye = b.cas_t1[imp][j] < kRadialInletSlope;
        const int eye = axial_eye ? imp : 1;  // a radial eye: the flow path's inlet annulus
        b.bld_l2[i] = b.bld_l1[eye];
        d2 = b.bld_d1[eye];
        w = b.bld_l1[i];
        h = b.bld_l2[i];
    }
    b.bld_d2[i] = b.bld_d2s[i] = d2;
    const double k = slot(b, 107, 2.0);
    const double extent = b.cas_B[i][j] = h < k * w ? k * w : h;
    b.cas_x2[i][j] = b.cas_x2[p][j] + extent - w / 2.0;

    // Loss models only for an element generated before in this case.
    if (up) {
        b.los_Los[i][j] = slot(b, 122, 0.8);
        b.los_om[i][j] = 0.0;
    }
    if (b.cas_B2[i][j] == 0.0) {
        b.enrg_dhd[i] = 0.0;
        b.enrg_dhb[i][j] = 0.0;
    } else {
        (void)elem_loss_uband(i, j);
        (void)elem_dev_uband(i, j, 0.0);
    }

    // Outlet velocity: r cu kept, the meridional velocity by the bend's rule.
    b.isd_i2x[i][j] = b.isd_i2wx[i][j] = b.isd_i1x[i][j];
    b.isd_i2x[i][j] += grav_head_out(i, j);
    double cm;
    if (up) {
        // The inlet flow coefficient carried to the outlet radius.
        b.flow_c2z[i][j] = 0.0;
        const double r1 = b.flow_r1[i][j], r2 = b.flow_r2[i][j];
        const double c1s = b.flow_c1s[i][j];
        b.elem_cz_[i] = omega != 0.0 ? c1s / (omega * r1) : 0.0;
        cm = c1s * r2 / r1;
        b.flow_c2r[i][j] = b.flow_c2s[i][j] = cm;
    } else {
        // The module's flow coefficient on the blade speed at the outlet.
        const double u2 = omega * d2 / 2.0;
        cm = u2 * b.elem_cz_[0];
        b.flow_c2z[i][j] = b.flow_c2s[i][j] = cm;
        b.elem_cz_[i] = b.elem_cz_[0];
    }
    const double c2u = b.flow_c2u[i][j] = c1u * d_in / d2;
    const double c2 = b.flow_c2[i][j] = std::sqrt(c2u * c2u + cm * cm);
    b.enrg_dhb[i][j] = kinetic_energy_loss(b.los_Los[i][j], std::max(c1 * c1, c2 * c2));

    // Outlet state and passage by continuity, G = rho cm pi d2 l2.
    const double i2 = b.isd_i2[i][j] = b.isd_i2x[i][j] - c2 * c2 / 2.0;
    if (!up && !(i2 > 0.0)) return 1;
    b.isd_i2t[i][j] = i2 - b.enrg_dhb[i][j];
    const double p2 = b.isd_p2[i][j] = design_fluid(b, H2_FLUID_P_IS, b.isd_i2t[i][j], s1);
    b.isd_Ro2[i][j] = design_fluid(b, H2_FLUID_RHO_PI, p2, i2);
    b.bld_l2[i] = b.elem_G2[i] / (b.isd_Ro2[i][j] * cm) / (d2 * kPi);
    if (up) {
        diffuser_outlet_state(b, i, j);
    } else {
        if (!(d2 - b.bld_l2[i] >= 0.0)) return 1;  // the outlet annulus would cross the axis
        const double s2 = b.isd_s2[i][j] = design_fluid(b, H2_FLUID_S_PI, p2, i2);
        b.isd_p2wx[i][j] = b.isd_p2x[i][j] = design_fluid(b, H2_FLUID_P_IS, b.isd_i2x[i][j], s2);
        if (s2 == 0.0) {
            // Without entropy the loss is a total-pressure drop, and the
            // static and total enthalpies follow from the reduced pressure.
            b.isd_p2wx[i][j] = b.isd_p2x[i][j] -= b.enrg_dhb[i][j] * b.isd_Ro1[i][j];
            b.isd_i2wx[i][j] = design_fluid(b, H2_FLUID_I_PS, b.isd_p2wx[i][j], s2);
            b.isd_i2[i][j] = b.isd_i2wx[i][j] - c2 * c2 / 2.0;
            b.isd_i2x[i][j] = b.isd_i2[i][j] + c2 * c2 / 2.0;
            b.isd_p2x[i][j] = design_fluid(b, H2_FLUID_P_IS, b.isd_i2x[i][j], s2);
        }
        b.isd_a2[i][j] = design_fluid(b, H2_FLUID_SOUND_PI, p2, b.isd_i2[i][j]);
    }

    // Closing.
    if (up)
        b.flow_c2z[i][j] = 0.0;
    else
        b.flow_c2r[i][j] = 0.0;
    b.flow_w2[i][j] = c2;
    b.cas_t1[i][j] = up ? 0.0 : -90.0;
    b.cas_t2[i][j] = up ? 90.0 : 0.0;
    if (!up) {
        b.flow_r1[i][j] = b.bld_d1[i] / 2.0;
        b.flow_r2[i][j] = b.bld_d2[i] / 2.0;
    }
    b.cas_A2[i][j] = b.cas_B2[i][j] = atan2_deg(cm, c2u);
    book_stage_efficiency(b, i, j, imp);
    return 0;
}

}  // namespace

int rc_lbau_design(int i, int, int imp) { return l_bend_design(i, imp, Bend::AxialToRadial); }
int rc_lbda_design(int i, int, int imp) { return l_bend_design(i, imp, Bend::RadialToAxial); }

}  // namespace h2::predesign
