// The quantities of one blade or passage section that several models read,
// and the bookkeeping that turns the section's losses into its velocity
// coefficient and energy loss the way the host's wrappers read them.
#pragma once

#include <algorithm>
#include <cmath>

#include "plugins/losses/correlations.h"
#include "plugins/losses/loss_access.h"

namespace h2::losses {

// Velocity coefficient never below this: the losses are bounded, so is phi.
inline constexpr double kSmallestPhi = 0.3;
// Loss sums (percent) beyond which a passage model is not believed.
inline constexpr double kLargestLossPct = 90.0;
// Reynolds number taken when the case has no fluid to give a viscosity.
inline constexpr double kDefaultReynolds = 1e6;

inline double square(double x) { return x * x; }

// The inlet flow angle, the metal angle where the flow angle is not set.
inline double inlet_angle(const Section& s) {
    const double b1 = s.get(&bdLocals::cas_B1);
    return b1 != 0.0 ? b1 : s.get(&bdLocals::cas_B1g);
}

// The exit angle as the models see it: cas__B2 (the host folds it to at most
// 90 for the turbine models), else the gauging angle folded the same way.
inline double exit_angle(const Section& s) {
    const double b2 = s.get(&bdLocals::cas_B2);
    if (b2 != 0.0) return b2;
    const double b2a = s.get(&bdLocals::cas_B2a);
    return b2a > 90.0 ? 180.0 - b2a : b2a;
}

// The exit metal angle of a compressor cascade.
inline double exit_metal_angle(const Section& s) {
    const double g = s.get(&bdLocals::cas_B2g);
    return g != 0.0 ? g : s.get(&bdLocals::cas_B2a);
}

inline bool is_rotor(const Element& e) { return e.get(&bdLocals::bld_wp) != 0.0; }

// Chord, preferring the axial chord where the model asks for it.
inline double chord(const Section& s) { return s.get(&bdLocals::cas_b); }
inline double axial_chord(const Section& s) {
    const double bx = s.get(&bdLocals::cas_bx);
    return bx > 0.0 ? bx : chord(s);
}
inline double pitch(const Section& s) { return s.get(&bdLocals::cas_t); }

// Mean passage height (blade height or channel width).
inline double passage_height(const Element& e) {
    const double l1 = e.get(&bdLocals::bld_l1), l2 = e.get(&bdLocals::bld_l2);
    if (l1 > 0.0 && l2 > 0.0) return (l1 + l2) / 2.0;
    return std::max(l2, l1);
}

// Solidity chord/pitch; 1 where the cascade is not described.
inline double solidity(const Section& s) {
    const double b = chord(s), t = pitch(s);
    if (b > 0.0 && t > 0.0) return b / t;
    const double tb = s.get(&bdLocals::cas_tb);
    return tb > 0.0 ? 1.0 / tb : 1.0;
}

// Kinematic viscosity at the section's exit state, or not a number.
inline double exit_viscosity(const Section& s) {
    return fluid_value(s.block(), kViscosity, s.get(&bdLocals::isd_p2), s.get(&bdLocals::isd_i2));
}

// Reynolds number of a run `length` at `velocity`; kDefaultReynolds when the
// fluid cannot give a viscosity or the run is not described.
inline double reynolds(const Section& s, double velocity, double length) {
    const double nu = exit_viscosity(s);
    if (!(nu > 0.0) || !(velocity > 0.0) || !(length > 0.0)) return kDefaultReynolds;
    return finite_or(velocity * length / nu, kDefaultReynolds);
}

// Isentropic exponent at the section's inlet; 1.4 when unknown.
inline double kappa(const Section& s) {
    const double k = s.get(&bdLocals::isd_k);
    if (k > 1.0 && k < 2.0) return k;
    const double f = fluid_value(s.block(), kKappa, s.get(&bdLocals::isd_p1), s.get(&bdLocals::isd_i1),
                                 s.get(&bdLocals::elem_af));
    return f > 1.0 && f < 2.0 ? f : 1.4;
}

// Relative exit Mach number: flow__Mw2, else w2/a2.
inline double exit_mach(const Section& s) {
    const double m = s.get(&bdLocals::flow_Mw2);
    if (m > 0.0) return m;
    const double a2 = s.get(&bdLocals::isd_a2);
    return a2 > 0.0 ? s.get(&bdLocals::flow_w2) / a2 : 0.0;
}

// Relative inlet Mach number: w1/a1.
inline double inlet_mach(const Section& s) {
    const double a1 = s.get(&bdLocals::isd_a1);
    return a1 > 0.0 ? s.get(&bdLocals::flow_w1) / a1 : 0.0;
}

// Turbine rows. The losses are percentages of the exit kinetic energy, so
// the energy coefficient is phi^2 = 100 / (100 + GM XP + XS + XA), the value
// the host relaxes towards; the energy loss follows the host's own rule,
// (1 - phi^2) max(w1^2, w2^2) / 2.
inline void update_turbine_phi(const Section& s) {
    const double gm = s.get(&bdLocals::los_GM);
    // Before the trans model first ran its weight is still unset: full weight.
    const double weight = gm > 0.0 ? gm : 1.0;
    const double sum =
        weight * s.get(&bdLocals::los_XP) + s.get(&bdLocals::los_XS) + s.get(&bdLocals::los_XA);
    const double phi2 = std::max(100.0 / (100.0 + clamp_finite(sum, 0.0, 1e3)), square(kSmallestPhi));
    s.put(&bdLocals::los_Los, std::sqrt(phi2));
    const double w2 = std::max(square(s.get(&bdLocals::flow_w1)), square(s.get(&bdLocals::flow_w2)));
    s.put(&bdLocals::enrg_dhb, (1.0 - phi2) * w2 / 2.0);
}

// The velocity whose kinetic energy the host's wrapper of each passage family
// charges with the loss.
inline double family_velocity(const Section& s) {
    switch (kFamily) {
        case H2_FAMILY_VANELESS_DIFFUSER:
        case H2_FAMILY_U_BEND:
            return s.get(&bdLocals::flow_c1);
        case H2_FAMILY_INLET_VOLUTE:
            return s.get(&bdLocals::flow_w2);
        default:
            return s.get(&bdLocals::flow_w1);
    }
}

// Other passages. The losses are percentages of the kinetic energy of the
// family's velocity v, so phi^2 = 1 - (XP + XS + XA)/100 and the energy loss
// is (1 - phi^2) v^2 / 2, the host's own rule for these families. A U-bend
// also carries the value as the element's loss enrg__dhub.
inline void update_passage_phi(const Section& s) {
    const double sum = s.get(&bdLocals::los_XP) + s.get(&bdLocals::los_XS) + s.get(&bdLocals::los_XA);
    const double phi2 = std::max(1.0 - clamp_finite(sum, 0.0, kLargestLossPct) / 100.0, square(kSmallestPhi));
    s.put(&bdLocals::los_Los, std::sqrt(phi2));
    const double dh = (1.0 - phi2) * square(family_velocity(s)) / 2.0;
    s.put(&bdLocals::enrg_dhb, dh);
    if (kFamily == H2_FAMILY_U_BEND) s.put(&bdLocals::enrg_dhub, dh);
}

// A loss dh as a percentage of the kinetic energy of velocity v.
inline double loss_percent(double dh, double v) {
    if (!(v > 0.0) || !std::isfinite(v)) return 0.0;
    return clamp_finite(100.0 * dh / (v * v / 2.0), 0.0, kLargestLossPct);
}

}  // namespace h2::losses
