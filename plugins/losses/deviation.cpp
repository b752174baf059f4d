// Stand-in deviation (model V), in degrees into cas__dR. Built once per
// element family as kmdva_t, kmdva_c, kmdva_r, kmdva_v, kmdva_u, kmdva_o,
// kmdva_i, kmdva_n; the turbine model also as soddva_t for the Soderberg set.
#include "plugins/losses/turbine_section.h"

namespace {

using namespace h2::losses;

// Deviations beyond this are not believed of a stand-in model (the host
// itself discards more than 50 degrees).
constexpr double kLargestDeviation = 45.0;

// Incidence on the inlet metal angle, written as the host writes it when no
// deviation model is on.
void write_incidence(const Section& s) {
    s.put(&bdLocals::cas_iR, s.get(&bdLocals::cas_B1g) - s.get(&bdLocals::cas_B1));
}

// Turbine rows: Ainley and Mathieson's low-speed exit angle on the throat
// (cosine-rule) angle arcsin(o/s) up to exit Mach 0.5, blended linearly to the
// cosine rule itself at sonic exit (ARC R&M 2974). Past choke the exit angle
// is the solver's, from continuity behind the throat; nothing is added here.
// The flow leaves further from the circumferential direction than the metal:
// a rotor's gauging angle lies above 90, so there the deviation lowers the angle.
void turbine_deviation(const Section& s) {
    const bool folded = s.get(&bdLocals::cas_B2a) > 90.0;
    // The gauging angle is the throat angle arcsin(o/s) of the case.
    const double delta = ainley_mathieson_deviation(folded_gauging(s), exit_mach(s));
    s.put(&bdLocals::cas_dR, folded ? -delta : delta);
    write_incidence(s);
}

// Carter's rule (ARC CP 29) on the camber between the metal angles. The flow
// falls short of the exit metal angle, back towards the inlet angle.
double carter(const Section& s) {
    const double b1g = s.get(&bdLocals::cas_B1g), b2g = exit_metal_angle(s);
    if (b1g == 0.0 || b2g == 0.0) return 0.0;
    const double delta = carter_deviation(b2g - b1g, axial_angle(b2g), solidity(s));
    return b2g >= b1g ? -delta : delta;
}

void compressor_deviation(const Section& s) {
    s.put(&bdLocals::cas_dR, clamp_finite(carter(s), -kLargestDeviation, kLargestDeviation));
    write_incidence(s);
}

// Centrifugal rows: an impeller's exit flow slips behind its blades by
// Wiesner's slip velocity (1 - sigma) u2 (J. Eng. Power 89, 1967), with
// the correction past his limiting inducer radius ratio; the flow
// angle follows from the meridional velocity. A vaned diffuser (no blade
// speed) deviates by Carter's rule.
void centrifugal_deviation(const Section& s) {
    const double u2 = std::fabs(s.get(&bdLocals::flow_u2));
    const double b2g = exit_metal_angle(s);
    if (u2 == 0.0) {
        compressor_deviation(s);
        return;
    }
    const double cm = s.get(&bdLocals::flow_c2s);
    double delta = 0.0;
    if (cm > 0.0 && b2g != 0.0) {
        // The blade angle on the side of the blade's lean, below 90.
        const double blade = usable_angle(b2g <= 90.0 ? b2g : 180.0 - b2g);
        // An inducer reaching close to the exit radius slips more (Wiesner's limiting radius ratio).
        const double r2 = s.get(&bdLocals::bld_d2) / 2.0;
        const double tip = r2 > 0.0 ? (s.get(&bdLocals::bld_d1) + s.get(&bdLocals::bld_l1)) / 2.0 / r2 : 0.0;
        const double slip = (1.0 - h2::wiesner_slip(90.0 - blade, s.get(&bdLocals::bld_z), tip)) * u2;
        const double flow = std::atan2(cm, cm / std::tan(blade * kDegree) + slip) / kDegree;
        delta = clamp_finite(blade - flow, 0.0, kLargestDeviation);
        if (b2g <= 90.0) delta = -delta;
    }
    s.put(&bdLocals::cas_dR, delta);
    write_incidence(s);
}

// Vaneless passages: the flow follows the passage; its exit angle comes from
// continuity and angular momentum in the solver.
void passage_deviation(const Section& s) { s.put(&bdLocals::cas_dR, 0.0); }

void deviation(bdLocals* block, int element, int section) {
    const Section s(block, element, section);
    if (!s.ok()) return;
    switch (kFamily) {
        case H2_FAMILY_TURBINE:
            turbine_deviation(s);
            break;
        case H2_FAMILY_AXIAL_COMPRESSOR:
        case H2_FAMILY_OTHER:
            compressor_deviation(s);
            break;
        case H2_FAMILY_CENTRIFUGAL:
            centrifugal_deviation(s);
            break;
        default:
            passage_deviation(s);
            break;
    }
}

constexpr const char* note_text() {
    switch (kFamily) {
        case H2_FAMILY_TURBINE:
            return "<note>V: Ainley-Mathieson low-speed exit angle on arcsin(o/s) below Mach 0.5, blended to "
                   "the "
                   "cosine rule at sonic exit; past choke continuity in the solver</note>";
        case H2_FAMILY_AXIAL_COMPRESSOR:
        case H2_FAMILY_OTHER:
            return "<note>V: Carter's rule</note>";
        case H2_FAMILY_CENTRIFUGAL:
            return "<note>V: Wiesner slip (impellers), Carter's rule (vanes)</note>";
        default:
            return "<note>V: none, the flow follows the passage</note>";
    }
}

void deviation_note(int size, char* buffer) { write_note(size, buffer, note_text()); }

}  // namespace

H2_LOSS_MODEL_ENTRY(InitDevAng, H2_LOSS_V, deviation, deviation_note)
