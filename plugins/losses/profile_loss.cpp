// Stand-in profile loss (model P), built once per element family as
// kmprf_t, kmprf_c, kmprf_r, kmprf_v, kmprf_u, kmprf_o, kmprf_i, kmprf_n,
// and for turbine rows once more with the Soderberg set as sodprf_t.
#include "plugins/losses/turbine_section.h"

namespace {

using namespace h2::losses;

// Leading-edge diameter over pitch of a turbine section: twice the case's
// leading-edge radius, else a mid-range value of the incidence correlation's
// cascades.
constexpr double kTypicalLeadingEdgeToPitch = 0.08;
double leading_edge_to_pitch(const Section& s) {
    const double r = s.get(&bdLocals::cas_r1), t = pitch(s);
    return r > 0.0 && t > 0.0 ? 2.0 * r / t : kTypicalLeadingEdgeToPitch;
}

// Incidence of a turbine section in degrees, positive when the flow turns more
// than the blade (angles from the direction of rotation: a nozzle's flow
// arrives further round than its metal, a rotor's less far); 0 without a metal
// or flow angle.
double turbine_incidence(const Section& s) {
    const double b1 = s.get(&bdLocals::cas_B1), b1g = s.get(&bdLocals::cas_B1g);
    if (b1 == 0.0 || b1g == 0.0) return 0.0;
    return is_rotor(s) ? b1g - b1 : b1 - b1g;
}

// Moustapha, Kacker & Tremblay's (1990) incidence loss of the section.
double incidence_loss(const Section& s, double exit_axial) {
    return moustapha_incidence_loss(turbine_incidence(s), leading_edge_to_pitch(s),
                                    axial_angle(s.get(&bdLocals::cas_B1g)), exit_axial);
}

// Turbine rows, Soderberg set: Soderberg's loss of the deflection (Horlock
// 1966 / Dixon & Hall ch. 4) with its Reynolds-number factor, and Moustapha,
// Kacker & Tremblay's (1990) incidence loss off design; the share the end
// walls add left to the secondary model.
void soderberg_profile(const Section& s) {
    const double b1 = inlet_angle(s), b2 = exit_angle(s);
    // A rotor's exit angle comes folded to below 90: its deflection runs
    // through the axial direction.
    const double deflection = is_rotor(s) ? 180.0 - b1 - b2 : b1 - b2;
    const double Re = reynolds(s, s.get(&bdLocals::flow_w2), chord(s));
    const double zeta =
        soderberg_loss(deflection) * soderberg_reynolds_factor(Re) + incidence_loss(s, axial_angle(b2));
    s.put(&bdLocals::los_XP, 100.0 * zeta);
    update_turbine_phi(s);
}

// Turbine rows, Kacker-Okapuu family: Ainley-Mathieson's nozzle and impulse
// charts blended by the inlet metal angle, with Kacker & Okapuu's (1982) 2/3
// factor, thickness correction, channel acceleration, hub shock, supersonic
// drag rise and Reynolds-number factor, at design incidence; off design
// Moustapha, Kacker & Tremblay's (1990) incidence loss is added. The
// pressure-loss coefficient becomes an energy loss at the exit Mach number.
void kacker_okapuu_profile(const Section& s) {
    const double exit_axial = axial_angle(exit_angle(s));
    ko::ProfileInputs in{};
    in.pitch_chord = pitch_chord(s);
    in.inlet_metal_deg = signed_inlet_axial(s, s.get(&bdLocals::cas_B1g));
    in.exit_deg = exit_axial;
    in.thickness_chord = thickness_chord(s);
    in.inlet_mach = inlet_mach(s);
    in.exit_mach = exit_mach(s);
    in.hub_tip = inlet_hub_tip(s);
    in.rotor = is_rotor(s);
    in.p1_over_p2 = static_pressure_ratio(s);
    in.kappa = kappa(s);
    in.reynolds = reynolds(s, s.get(&bdLocals::flow_w2), chord(s));
    const double Y = ko::profile_loss(in) + incidence_loss(s, exit_axial);
    s.put(&bdLocals::los_XP, 100.0 * ko::energy_loss_of_pressure_loss(Y, in.exit_mach, in.kappa));
    update_turbine_phi(s);
}

void turbine_profile(const Section& s) {
    if (kSoderbergSet)
        soderberg_profile(s);
    else
        kacker_okapuu_profile(s);
}

// Compressor cascades: Lieblein's equivalent diffusion ratio and wake
// momentum thickness (Lieblein 1959; Aungier 2003) give the profile
// total-pressure loss coefficient.
double cascade_profile_loss(const Section& s) {
    const double b2 = s.get(&bdLocals::cas_B2) != 0.0 ? s.get(&bdLocals::cas_B2) : exit_metal_angle(s);
    return lieblein_profile_loss(axial_angle(inlet_angle(s)), axial_angle(b2), solidity(s));
}

// Axial compressor rows: the host adds the secondary loss to los__om and
// turns the coefficient into phi itself.
void axial_compressor_profile(const Section& s) {
    const double omega = cascade_profile_loss(s);
    s.put(&bdLocals::los_om, omega);
    s.put(&bdLocals::los_XP, 100.0 * omega);
}

// Deswirler vanes: the same cascade loss, charged to the inlet kinetic energy.
void deswirler_profile(const Section& s) {
    s.put(&bdLocals::los_XP, clamp_finite(100.0 * cascade_profile_loss(s), 0.0, kLargestLossPct));
    update_passage_phi(s);
}

// Hydraulic diameter of a passage of height h and width w.
double hydraulic_diameter(double h, double w) { return h > 0.0 && w > 0.0 ? 2.0 * h * w / (h + w) : 0.0; }

// Centrifugal rows: Jansen's skin friction over the blade passage (Jansen
// 1967), the chord as its length.
void centrifugal_profile(const Section& s) {
    const double w1 = s.get(&bdLocals::flow_w1), w2 = s.get(&bdLocals::flow_w2);
    const double dh_pass = hydraulic_diameter(passage_height(s), pitch(s));
    const double ld = dh_pass > 0.0 ? chord(s) / dh_pass : 0.0;
    s.put(&bdLocals::los_XP, loss_percent(jansen_friction_loss(ld, (w1 + w2) / 2.0), w1));
    update_passage_phi(s);
}

// Radii of the section at inlet and exit: the streamline radii, else the
// mean diameters.
double inlet_radius(const Section& s) {
    const double r = s.get(&bdLocals::flow_r1);
    return r > 0.0 ? r : s.get(&bdLocals::bld_d1) / 2.0;
}
double exit_radius(const Section& s) {
    const double r = s.get(&bdLocals::flow_r2);
    return r > 0.0 ? r : s.get(&bdLocals::bld_d2) / 2.0;
}

// Vaneless diffusers: Darcy-Weisbach friction between two walls (hydraulic
// diameter twice the width) along the logarithmic spiral the flow follows,
// of length dr / sin(alpha) (Stanitz, J.D. (1952), NACA TN 2610).
void vaneless_profile(const Section& s) {
    const double c1 = s.get(&bdLocals::flow_c1), c2 = s.get(&bdLocals::flow_c2);
    const double cm = s.get(&bdLocals::flow_c1s);
    const double sin_alpha = c1 > 0.0 ? clamp_finite(cm / c1, 0.05, 1.0) : 1.0;
    const double path = std::fabs(exit_radius(s) - inlet_radius(s)) / sin_alpha;
    const double width = passage_height(s);
    const double ld = width > 0.0 ? path / (2.0 * width) : 0.0;
    s.put(&bdLocals::los_XP, loss_percent(duct_friction_loss(ld, (c1 + c2) / 2.0), c1));
    update_passage_phi(s);
}

// U-bends: Darcy-Weisbach friction along the half turn of a bend whose
// curvature radius equals its hydraulic diameter (twice the channel width).
void u_bend_profile(const Section& s) {
    const double c1 = s.get(&bdLocals::flow_c1), c2 = s.get(&bdLocals::flow_c2);
    // Half a turn of radius R0 = D0: L/D0 = pi.
    const double ld = passage_height(s) > 0.0 ? kPi : 0.0;
    s.put(&bdLocals::los_XP, loss_percent(duct_friction_loss(ld, (c1 + c2) / 2.0), c1));
    update_passage_phi(s);
}

// Outlet volutes: the meridional kinetic energy that enters the scroll is
// lost (Weber, C.R. & Koronowski, M.E. (1986), "Meanline performance
// prediction of volutes in centrifugal compressors", ASME 86-GT-216).
void outlet_volute_profile(const Section& s) {
    const double w1 = s.get(&bdLocals::flow_w1);
    const double cm = s.get(&bdLocals::flow_c1s);
    s.put(&bdLocals::los_XP, loss_percent(cm * cm / 2.0, w1));
    update_passage_phi(s);
}

// Inlet volutes: the scroll turns the flow through 90 degrees into the
// machine, a bend of curvature radius equal to its hydraulic diameter
// (Idelchik, diagram 6-1), charged to the exit velocity.
constexpr double kInletTurning = 90.0;
void inlet_volute_profile(const Section& s) {
    s.put(&bdLocals::los_XP,
          clamp_finite(100.0 * idelchik_bend_loss(kInletTurning, 1.0), 0.0, kLargestLossPct));
    update_passage_phi(s);
}

void profile_loss(bdLocals* block, int element, int section) {
    const Section s(block, element, section);
    if (!s.ok()) return;
    switch (kFamily) {
        case H2_FAMILY_TURBINE:
            turbine_profile(s);
            break;
        case H2_FAMILY_AXIAL_COMPRESSOR:
            axial_compressor_profile(s);
            break;
        case H2_FAMILY_CENTRIFUGAL:
            centrifugal_profile(s);
            break;
        case H2_FAMILY_VANELESS_DIFFUSER:
            vaneless_profile(s);
            break;
        case H2_FAMILY_U_BEND:
            u_bend_profile(s);
            break;
        case H2_FAMILY_OUTLET_VOLUTE:
            outlet_volute_profile(s);
            break;
        case H2_FAMILY_INLET_VOLUTE:
            inlet_volute_profile(s);
            break;
        default:
            deswirler_profile(s);
            break;
    }
}

constexpr const char* note_text() {
    switch (kFamily) {
        case H2_FAMILY_TURBINE:
            return kSoderbergSet
                       ? "<note>P: Soderberg turbine profile loss with Moustapha-Kacker-Tremblay (1990) "
                         "incidence loss</note>"
                       : "<note>P: Kacker-Okapuu (1982) profile loss on Ainley-Mathieson charts (Aungier "
                         "fit), "
                         "Moustapha-Kacker-Tremblay (1990) incidence; t/c 0.2"
                         "</note>";
        case H2_FAMILY_AXIAL_COMPRESSOR:
            return "<note>P: Lieblein diffusion-ratio profile loss</note>";
        case H2_FAMILY_CENTRIFUGAL:
            return "<note>P: Jansen impeller skin friction</note>";
        case H2_FAMILY_VANELESS_DIFFUSER:
            return "<note>P: spiral-path wall friction (Darcy-Weisbach)</note>";
        case H2_FAMILY_U_BEND:
            return "<note>P: U-bend wall friction (Darcy-Weisbach)</note>";
        case H2_FAMILY_OUTLET_VOLUTE:
            return "<note>P: Weber-Koronowski meridional dump</note>";
        case H2_FAMILY_INLET_VOLUTE:
            return "<note>P: Idelchik 90-degree turning loss</note>";
        default:
            return "<note>P: Lieblein diffusion-ratio vane loss</note>";
    }
}

void profile_note(int size, char* buffer) { write_note(size, buffer, note_text()); }

}  // namespace

H2_LOSS_MODEL_ENTRY(InitProfLos, H2_LOSS_P, profile_loss, profile_note)
