// Stand-in secondary loss (model S), built once per element family as
// kmsnd_t, kmsnd_c, kmsnd_r, kmsnd_v, kmsnd_u, kmsnd_o, kmsnd_i, kmsnd_n,
// and for turbine rows once more with the Soderberg set as sodsnd_t.
#include "plugins/losses/turbine_section.h"

namespace {

using namespace h2::losses;

// Turbine rows, Soderberg set: the end-wall share of Soderberg's loss, from
// his aspect-ratio correction on the axial chord over the blade height
// (Horlock 1966 / Dixon & Hall ch. 4).
void soderberg_secondary(const Section& s) {
    const double b1 = inlet_angle(s), b2 = exit_angle(s);
    const bool rotor = is_rotor(s);
    const double deflection = rotor ? 180.0 - b1 - b2 : b1 - b2;
    const double h = passage_height(s);
    const double bh = h > 0.0 ? axial_chord(s) / h : 0.0;
    s.put(&bdLocals::los_XS, 100.0 * soderberg_endwall_loss(soderberg_loss(deflection), bh, rotor));
    update_turbine_phi(s);
}

// Turbine rows, Kacker-Okapuu family: Dunham and Came's loading and aspect
// ratio terms with Kacker & Okapuu's (1982) factor 1.2 and their
// channel-acceleration factor K_s on the axial chord over the height.
void kacker_okapuu_secondary(const Section& s) {
    const double h = passage_height(s), c = chord(s);
    const double height_chord = h > 0.0 && c > 0.0 ? h / c : 1.0;
    const double bx_h = h > 0.0 ? turbine_axial_chord(s) / h : 0.0;
    const double exit_axial = axial_angle(exit_angle(s));
    const double Y = ko::secondary_loss(signed_inlet_axial(s, inlet_angle(s)),
                                        signed_inlet_axial(s, s.get(&bdLocals::cas_B1g)), exit_axial,
                                        height_chord, bx_h, section_Kp(s));
    s.put(&bdLocals::los_XS, 100.0 * ko::energy_loss_of_pressure_loss(Y, exit_mach(s), kappa(s)));
    update_turbine_phi(s);
}

void turbine_secondary(const Section& s) {
    if (kSoderbergSet)
        soderberg_secondary(s);
    else
        kacker_okapuu_secondary(s);
}

// Compressor cascades: Howell's secondary and annulus drag (Howell 1945).
double cascade_secondary_loss(const Section& s) {
    const double b2 = s.get(&bdLocals::cas_B2) != 0.0 ? s.get(&bdLocals::cas_B2) : exit_metal_angle(s);
    const double h = passage_height(s);
    const double pitch_over_height = h > 0.0 ? pitch(s) / h : 0.0;
    return howell_secondary_loss(axial_angle(inlet_angle(s)), axial_angle(b2), solidity(s),
                                 pitch_over_height);
}

// Axial compressor rows: the host adds los__XS to the profile coefficient
// los__om, so here it is a total-pressure loss coefficient, not a percentage.
void axial_compressor_secondary(const Section& s) { s.put(&bdLocals::los_XS, cascade_secondary_loss(s)); }

void deswirler_secondary(const Section& s) {
    s.put(&bdLocals::los_XS, clamp_finite(100.0 * cascade_secondary_loss(s), 0.0, kLargestLossPct));
    update_passage_phi(s);
}

// Centrifugal rows: Coppage's blade-loading loss (Coppage et al. 1956) with
// the Euler work u2 c2u - u1 c1u; a vaned diffuser (no blade speed) has none.
void centrifugal_secondary(const Section& s) {
    const double w1 = s.get(&bdLocals::flow_w1), w2 = s.get(&bdLocals::flow_w2);
    const double u1 = s.get(&bdLocals::flow_u1), u2 = s.get(&bdLocals::flow_u2);
    const double euler = u2 * s.get(&bdLocals::flow_c2u) - u1 * s.get(&bdLocals::flow_c1u);
    const double r1 = s.get(&bdLocals::flow_r1), r2 = s.get(&bdLocals::flow_r2);
    const double diameter_ratio = r2 > 0.0 ? r1 / r2 : 0.0;
    const double dh =
        coppage_loading_loss(w1, w2, std::fabs(u2), euler, s.get(&bdLocals::bld_z), diameter_ratio);
    s.put(&bdLocals::los_XS, loss_percent(dh, w1));
    update_passage_phi(s);
}

// Vaneless diffusers: Gibson's diffusion loss (Gibson 1910).
void vaneless_secondary(const Section& s) {
    const double c1 = s.get(&bdLocals::flow_c1), c2 = s.get(&bdLocals::flow_c2);
    s.put(&bdLocals::los_XS, loss_percent(gibson_diffusion_loss(c1, c2), c1));
    update_passage_phi(s);
}

// U-bends: Idelchik's loss of a 180-degree bend of curvature radius equal to
// its hydraulic diameter (Idelchik, diagram 6-1).
constexpr double kUBendTurning = 180.0;
void u_bend_secondary(const Section& s) {
    s.put(&bdLocals::los_XS,
          clamp_finite(100.0 * idelchik_bend_loss(kUBendTurning, 1.0), 0.0, kLargestLossPct));
    update_passage_phi(s);
}

// Volutes: Darcy-Weisbach friction along half the scroll (the mean path of
// the flow) at the mean of the velocities in and out, the passage height
// standing for the hydraulic diameter of the scroll section.
void volute_secondary(const Section& s) {
    const double h = passage_height(s);
    const double d = kFamily == H2_FAMILY_OUTLET_VOLUTE ? s.get(&bdLocals::bld_d1) : s.get(&bdLocals::bld_d2);
    const double ld = h > 0.0 ? kPi * d / 2.0 / h : 0.0;
    const double c = (std::fabs(s.get(&bdLocals::flow_c1)) + std::fabs(s.get(&bdLocals::flow_c2))) / 2.0;
    s.put(&bdLocals::los_XS, loss_percent(duct_friction_loss(ld, c), family_velocity(s)));
    update_passage_phi(s);
}

void secondary_loss(bdLocals* block, int element, int section) {
    const Section s(block, element, section);
    if (!s.ok()) return;
    switch (kFamily) {
        case H2_FAMILY_TURBINE:
            turbine_secondary(s);
            break;
        case H2_FAMILY_AXIAL_COMPRESSOR:
            axial_compressor_secondary(s);
            break;
        case H2_FAMILY_CENTRIFUGAL:
            centrifugal_secondary(s);
            break;
        case H2_FAMILY_VANELESS_DIFFUSER:
            vaneless_secondary(s);
            break;
        case H2_FAMILY_U_BEND:
            u_bend_secondary(s);
            break;
        case H2_FAMILY_OUTLET_VOLUTE:
        case H2_FAMILY_INLET_VOLUTE:
            volute_secondary(s);
            break;
        default:
            deswirler_secondary(s);
            break;
    }
}

constexpr const char* note_text() {
    switch (kFamily) {
        case H2_FAMILY_TURBINE:
            return kSoderbergSet
                       ? "<note>S: Soderberg aspect-ratio (end-wall) loss</note>"
                       : "<note>S: Kacker-Okapuu (1982) secondary loss (Dunham-Came loading, aspect "
                         "ratio, K_s); axial chord cas__bx, else the chord</note>";
        case H2_FAMILY_AXIAL_COMPRESSOR:
            return "<note>S: Howell secondary and annulus drag</note>";
        case H2_FAMILY_CENTRIFUGAL:
            return "<note>S: Coppage blade-loading loss</note>";
        case H2_FAMILY_VANELESS_DIFFUSER:
            return "<note>S: Gibson diffusion loss</note>";
        case H2_FAMILY_U_BEND:
            return "<note>S: Idelchik 180-degree bend loss</note>";
        case H2_FAMILY_OUTLET_VOLUTE:
            return "<note>S: scroll friction of the swirl (Darcy-Weisbach)</note>";
        case H2_FAMILY_INLET_VOLUTE:
            return "<note>S: scroll friction of the swirl (Darcy-Weisbach)</note>";
        default:
            return "<note>S: Howell secondary and annulus drag</note>";
    }
}

void secondary_note(int size, char* buffer) { write_note(size, buffer, note_text()); }

}  // namespace

H2_LOSS_MODEL_ENTRY(InitScndLos, H2_LOSS_S, secondary_loss, secondary_note)
