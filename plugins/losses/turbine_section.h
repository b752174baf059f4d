// A turbine blade section as the turbine loss correlations read it: angles
// from the axial direction with the signs of the Kacker-Okapuu family, and
// the geometry a case may or may not give, with the defaults the models'
// notes state.
#pragma once

#include <algorithm>
#include <cmath>

#include "plugins/losses/kacker_okapuu.h"
#include "plugins/losses/section_state.h"

// Which turbine set a library is built as: the Kacker-Okapuu family (the
// default file names) or the earlier Soderberg set (its own file names).
#define H2_TURBINE_KACKER_OKAPUU 0
#define H2_TURBINE_SODERBERG 1
#ifndef H2_TURBINE_SET
#define H2_TURBINE_SET H2_TURBINE_KACKER_OKAPUU
#endif

namespace h2::losses {

inline constexpr bool kSoderbergSet = H2_TURBINE_SET == H2_TURBINE_SODERBERG;

// Maximum thickness over chord: Ainley-Mathieson's reference 0.2, where
// their thickness correction is neutral.
inline constexpr double kDefaultThicknessChord = 0.2;

// A signed inlet angle from axial of an inlet angle from the circumferential
// direction (the case's): a nozzle's flow arrives near 90 and deflects
// through b1 - b2, a rotor's deflects through 180 - b1 - b2 (its exit angle
// reaches the models folded below 90), so that in both the deflection is the
// signed inlet angle plus the exit angle.
inline double signed_inlet_axial(const Section& s, double b1) {
    if (b1 == 0.0) return 0.0;
    return is_rotor(s) ? 90.0 - usable_angle(b1) : usable_angle(b1) - 90.0;
}

// The exit gauging angle folded below 90, from circumferential.
inline double folded_gauging(const Section& s) {
    const double g = s.get(&bdLocals::cas_B2a);
    return g > 90.0 ? 180.0 - g : g;
}

// Throat opening by the gauging rule o = s sin(beta_g) on the exit gauging
// angle (the section model's own throat is a result of the reports, written
// after a solve: read here it would make a second run of one case differ
// from the first).
inline double throat(const Section& s) {
    return pitch(s) * std::sin(usable_angle(folded_gauging(s)) * kDegree);
}

// Axial chord: cas__bx where the case gives one shorter than the chord, else
// the chord itself (a case that gives one length gives it for both).
inline double turbine_axial_chord(const Section& s) {
    const double b = chord(s), bx = s.get(&bdLocals::cas_bx);
    if (bx > 0.0 && (bx < b || !(b > 0.0))) return bx;
    return b > 0.0 ? b : bx;
}

// Maximum thickness over chord: the case holds none before a solve, so the
// default throughout.
inline double thickness_chord(const Section&) { return kDefaultThicknessChord; }

// Trailing-edge thickness: twice the trailing-edge radius cas__r2.
inline double trailing_edge_thickness(const Section& s) { return 2.0 * s.get(&bdLocals::cas_r2); }

// Pitch over true chord; Ainley-Mathieson's optimum region where the case
// leaves either out.
inline double pitch_chord(const Section& s) {
    const double t = pitch(s), b = chord(s);
    if (t > 0.0 && b > 0.0) return t / b;
    const double tb = s.get(&bdLocals::cas_tb);
    return tb > 0.0 ? tb : 0.8;
}

// Hub-tip radius ratio at the row's inlet, 1 where the passage is not described.
inline double inlet_hub_tip(const Element& e) {
    const double d = e.get(&bdLocals::bld_d1), l = e.get(&bdLocals::bld_l1);
    const double dm = d > 0.0 ? d : e.get(&bdLocals::bld_d2), h = l > 0.0 ? l : e.get(&bdLocals::bld_l2);
    if (!(dm > h) || !(h > 0.0)) return 1.0;
    return (dm - h) / (dm + h);
}

// Static pressure ratio p1/p2 across the section; 1 when unknown.
inline double static_pressure_ratio(const Section& s) {
    const double p1 = s.get(&bdLocals::isd_p1), p2 = s.get(&bdLocals::isd_p2);
    return p1 > 0.0 && p2 > 0.0 ? p1 / p2 : 1.0;
}

// Kacker-Okapuu's channel-acceleration factor of the section.
inline double section_Kp(const Section& s) {
    return ko::channel_acceleration_factor(inlet_mach(s), exit_mach(s));
}

}  // namespace h2::losses
