// Slip of the flow behind the blades of a centrifugal impeller, shared by the
// analysis (the deviation model of impellers) and the design of impellers.
#pragma once

#include <algorithm>
#include <cmath>

namespace h2 {

// Wiesner's slip factor sigma = 1 - c_u,slip / u2 of an impeller of z blades
// whose exit blade angle lies beta2 degrees from radial (backsweep, either
// sign), with the correction for inducers that reach close to the exit:
//   sigma = 1 - sqrt(cos beta2) / z^0.7,
//   limiting radius ratio eps = exp(-8.16 cos beta2 / z),
//   above it (r1 tip / r2 = e > eps) sigma * (1 - ((e - eps) / (1 - eps))^3).
// Source: Wiesner, F.J. (1967), "A review of slip factors for centrifugal
// impellers", J. Eng. Power 89, 558-572, eqs. (8) and (9). The angle is held
// within 0..85 degrees, where the fit was made; no blades is no slip.
// A radius ratio of 0 (not known) takes no correction. The factor from the
// cosine c of the blade angle, for callers that convert the angle themselves:
inline double wiesner_slip_cos(double c, double blades, double inlet_tip_over_exit = 0.0) {
    if (!(blades >= 1.0) || !std::isfinite(blades)) return 1.0;
    const double sigma = 1.0 - std::sqrt(c) / std::pow(blades, 0.7);
    const double limit = std::exp(-8.16 * c / blades);
    const double e = inlet_tip_over_exit;
    if (!(e > limit) || !(e < 1.0)) return sigma;
    const double x = (e - limit) / (1.0 - limit);
    return sigma * (1.0 - x * x * x);
}

// The factor from the blade angle in degrees.
inline double wiesner_slip(double blade_from_radial_deg, double blades, double inlet_tip_over_exit = 0.0) {
    const double b = std::clamp(std::fabs(blade_from_radial_deg), 0.0, 85.0);
    return wiesner_slip_cos(std::cos(b * 0.017453292519943295), blades, inlet_tip_over_exit);
}

// Wiesner's limiting radius ratio exp(-8.16 cos beta2 / z) below which the
// slip factor needs no correction (same source, eq. 9).
inline double wiesner_limit_ratio(double blade_from_radial_deg, double blades) {
    if (!(blades >= 1.0) || !std::isfinite(blades)) return 1.0;
    const double b = std::clamp(std::fabs(blade_from_radial_deg), 0.0, 85.0);
    return std::exp(-8.16 * std::cos(b * 0.017453292519943295) / blades);
}

}  // namespace h2
