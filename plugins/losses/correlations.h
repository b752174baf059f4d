// Published loss, deviation, blockage and leakage correlations used by the
// stand-in loss models. Plain functions of their arguments, each kept finite
// and within the range its source covers, whatever it is handed.
//
// Angles follow the case block: degrees from the circumferential direction
// unless a name says "axial" (degrees from the axial direction).
#pragma once

#include <algorithm>
#include <cmath>

#include "physics/slip_factor.h"

namespace h2::losses {

inline constexpr double kPi = 3.14159265;
inline constexpr double kDegree = 0.01745329;  // one degree in radians

inline double clamp_finite(double v, double lo, double hi) {
    return std::isfinite(v) ? std::clamp(v, lo, hi) : lo;
}

// A flow or metal angle kept off the circumferential direction, where its
// tangent and the cosines below would blow up.
inline double usable_angle(double deg) { return clamp_finite(deg, 5.0, 175.0); }
// The angle from the axial direction of an angle from the circumferential one.
inline double axial_angle(double deg) { return 90.0 - usable_angle(deg); }

// ---------------------------------------------------------------------------
// Turbine rows

// Soderberg's loss coefficient (energy loss per exit kinetic energy) of a
// turbine cascade with flow deflection epsilon, at Re = 1e5, aspect ratio 3
// and optimum pitch: zeta* = 0.04 + 0.06 (epsilon/100)^2.
// Source: Soderberg, C.R. (1949), as given in Horlock, J.H., Axial Flow
// Turbines (1966), and Dixon & Hall, Fluid Mechanics and Thermodynamics of
// Turbomachinery, ch. 4 ("Soderberg's correlation").
inline double soderberg_loss(double deflection_deg) {
    const double e = clamp_finite(deflection_deg, 0.0, 150.0) / 100.0;
    return 0.04 + 0.06 * e * e;
}

// Soderberg's aspect-ratio correction, the part of the loss that the end
// walls add (b axial chord, h blade height):
//   nozzle: (1 + zeta*)(0.993 + 0.021 b/h) - 1, rotor: (1 + zeta*)(0.975 + 0.075 b/h) - 1,
// less zeta* itself; never negative. Same source as soderberg_loss.
inline double soderberg_endwall_loss(double zeta, double chord_over_height, bool rotor) {
    const double bh = clamp_finite(chord_over_height, 0.0, 5.0);
    const double z = clamp_finite(zeta, 0.0, 1.0);
    const double total =
        rotor ? (1.0 + z) * (0.975 + 0.075 * bh) - 1.0 : (1.0 + z) * (0.993 + 0.021 * bh) - 1.0;
    return std::max(total - z, 0.0);
}

// Soderberg's Reynolds-number factor (1e5/Re)^(1/4) on the loss; 1 when the
// Reynolds number is unknown, and Re held within 1e4..1e7.
inline double soderberg_reynolds_factor(double Re) {
    if (!(Re > 0.0) || !std::isfinite(Re)) return 1.0;
    return std::pow(1e5 / std::clamp(Re, 1e4, 1e7), 0.25);
}

// Profile loss added by incidence off design, a total-pressure loss coefficient
// (taken here, at the Mach numbers of these rows, as an energy loss coefficient):
//   chi = (d/s)^-1.6 (cos beta1' / cos beta2)^-2 i,
//   chi >= 0: dY = 0.778e-5 chi + 0.56e-7 chi^2 + 0.4e-10 chi^3 + 2.054e-19 chi^6,
//   chi <  0: dY = -5.1734e-6 chi + 7.6902e-9 chi^2,
// with i the incidence in degrees (positive when the flow turns more than the
// blade), d the leading-edge diameter, s the pitch, beta1' the inlet metal
// angle and beta2 the exit flow angle, both from the axial direction. Zero at
// design incidence; it grows both ways, faster towards positive incidence.
// Source: Moustapha, S.H., Kacker, S.C. & Tremblay, B. (1990), "An Improved
// Incidence Losses Prediction Method for Turbine Airfoils", ASME J.
// Turbomach. 112, 267-276 (also in Aungier, R.H., Turbine Aerodynamics, 2006).
inline double moustapha_incidence_loss(double incidence_deg, double d_over_s, double inlet_metal_axial_deg,
                                       double exit_axial_deg) {
    if (!std::isfinite(incidence_deg)) return 0.0;
    // The correlation's cascades span about 0.02..0.2 in d/s and 800 either way in chi.
    const double ds = clamp_finite(d_over_s, 0.02, 0.2);
    const double ratio = std::cos(clamp_finite(inlet_metal_axial_deg, -80.0, 80.0) * kDegree) /
                         std::cos(clamp_finite(exit_axial_deg, -85.0, 85.0) * kDegree);
    const double chi =
        clamp_finite(std::pow(ds, -1.6) * std::pow(ratio, -2.0) * incidence_deg, -800.0, 800.0);
    if (chi >= 0.0) {
        const double c3 = chi * chi * chi;
        return 0.778e-5 * chi + 0.56e-7 * chi * chi + 0.4e-10 * c3 + 2.054e-19 * c3 * c3;
    }
    return -5.1734e-6 * chi + 7.6902e-9 * chi * chi;
}

// Trailing-edge loss as the Borda-Carnot sudden expansion from the throat
// less the trailing-edge thickness to the full throat:
//   zeta = (t_te / (o - t_te))^2, energy loss per exit kinetic energy.
// Source: Borda-Carnot relation; see Denton, J.D. (1993), "Loss mechanisms in
// turbomachines", J. Turbomach. 115, eq. for trailing-edge mixing with zero
// base-pressure defect.
inline double trailing_edge_loss(double te_thickness, double throat) {
    if (!(te_thickness > 0.0) || !(throat > 0.0)) return 0.0;
    const double r = clamp_finite(te_thickness / throat, 0.0, 0.5);
    return (r / (1.0 - r)) * (r / (1.0 - r));
}

// Total-pressure loss coefficient (p01 - p02)/(p01 - p1) of a normal shock at
// Mach number M (0 below M = 1; M held at most 2.5).
// Source: normal-shock relations, NACA Report 1135 (1953), eqs. 96 and 99.
inline double normal_shock_loss(double M, double k) {
    if (!(M > 1.0)) return 0.0;
    const double m2 = std::min(M, 2.5) * std::min(M, 2.5);
    const double g = clamp_finite(k, 1.05, 1.67);
    const double a = (g + 1.0) * m2 / 2.0 / (1.0 + (g - 1.0) * m2 / 2.0);
    const double b = 2.0 * g * m2 / (g + 1.0) - (g - 1.0) / (g + 1.0);
    const double p02_p01 = std::pow(a, g / (g - 1.0)) * std::pow(b, -1.0 / (g - 1.0));
    const double p1_p01 = std::pow(1.0 + (g - 1.0) * m2 / 2.0, -g / (g - 1.0));
    return clamp_finite((1.0 - p02_p01) / (1.0 - p1_p01), 0.0, 1.0);
}

// Deviation of the exit flow from the gauging angle arcsin(o/s) of a turbine
// cascade. At low speed alpha2 = -11.15 + 1.154 acos(o/s) (from axial, valid
// for gauging angles 40..70 deg from axial, held there outside), fading to no
// deviation at sonic exit, linearly between exit Mach 0.5 and 1.0. Positive:
// the flow leaves further from the circumferential direction than the metal.
// Source: Ainley, D.G. & Mathieson, G.C.R. (1951), "A method of performance
// estimation for axial-flow turbines", ARC R&M 2974.
inline double ainley_mathieson_deviation(double gauging_deg, double exit_mach) {
    const double gauge_axial = std::clamp(axial_angle(gauging_deg), 40.0, 70.0);
    const double low_speed = gauge_axial - (-11.15 + 1.154 * gauge_axial);
    const double M = clamp_finite(exit_mach, 0.0, 1.0);
    const double fade = M <= 0.5 ? 1.0 : (1.0 - M) / 0.5;
    return low_speed * fade;
}

// ---------------------------------------------------------------------------
// Compressor cascades (axial rows and deswirler vanes)

// Lieblein's equivalent diffusion ratio at design incidence:
//   D_eq = (cos b2 / cos b1) [1.12 + 0.61 (cos^2 b1 / sigma)(tan b1 - tan b2)],
// angles from axial, sigma the solidity chord/pitch; held within 1..2.5.
// Source: Lieblein, S. (1959), "Loss and stall analysis of compressor
// cascades", J. Basic Eng. 81.
inline double lieblein_diffusion_ratio(double b1_axial, double b2_axial, double solidity) {
    const double c1 = std::cos(b1_axial * kDegree), c2 = std::cos(b2_axial * kDegree);
    const double sigma = clamp_finite(solidity, 0.2, 5.0);
    const double turning = std::fabs(std::tan(b1_axial * kDegree) - std::tan(b2_axial * kDegree));
    // W1/W2 = cos b2 / cos b1 at constant axial velocity.
    const double d = c2 / c1 * (1.12 + 0.61 * c1 * c1 / sigma * turning);
    return clamp_finite(d, 1.0, 2.5);
}

// Wake momentum thickness per chord against the equivalent diffusion ratio,
// a fit to Lieblein's cascade data: theta/c = 0.004 [1 + 3.1 (D-1)^2 + 0.4 (D-1)^8].
// Source: fit in the form used by Aungier, R.H. (2003), Axial-Flow
// Compressors, ASME Press, ch. 6, after Lieblein (1959).
inline double lieblein_momentum_thickness(double d_eq) {
    const double x = clamp_finite(d_eq, 1.0, 2.5) - 1.0;
    return 0.004 * (1.0 + 3.1 * x * x + 0.4 * std::pow(x, 8.0));
}

// Profile total-pressure loss coefficient from the wake momentum thickness:
//   omega = 2 sigma (theta/c) cos^2 b1 / cos^3 b2 (angles from axial); at most 0.5.
// Source: Lieblein, S. & Roudebush, W.H. (1956), NACA TN 3662.
inline double lieblein_profile_loss(double b1_axial, double b2_axial, double solidity) {
    const double c1 = std::cos(b1_axial * kDegree), c2 = std::cos(b2_axial * kDegree);
    const double sigma = clamp_finite(solidity, 0.2, 5.0);
    const double theta = lieblein_momentum_thickness(lieblein_diffusion_ratio(b1_axial, b2_axial, sigma));
    return clamp_finite(2.0 * sigma * theta * c1 * c1 / (c2 * c2 * c2), 0.0, 0.5);
}

// Howell's secondary and annulus losses of a compressor cascade:
//   C_L = 2 (s/c) cos b_m (tan b1 - tan b2), tan b_m = (tan b1 + tan b2)/2,
//   C_Ds = 0.018 C_L^2, C_Da = 0.02 s/h,
//   omega = sigma (C_Ds + C_Da) cos^2 b1 / cos^3 b_m; at most 0.3.
// s/h is the pitch over the blade height (0 when unknown).
// Source: Howell, A.R. (1945), "Fluid dynamics of axial compressors",
// Proc. IMechE 153.
inline double howell_secondary_loss(double b1_axial, double b2_axial, double solidity,
                                    double pitch_over_height) {
    const double t1 = std::tan(b1_axial * kDegree), t2 = std::tan(b2_axial * kDegree);
    const double bm = std::atan((t1 + t2) / 2.0);
    const double sigma = clamp_finite(solidity, 0.2, 5.0);
    const double c1 = std::cos(b1_axial * kDegree), cm = std::cos(bm);
    const double lift = 2.0 / sigma * cm * std::fabs(t1 - t2);
    const double drag = 0.018 * lift * lift + 0.02 * clamp_finite(pitch_over_height, 0.0, 2.0);
    return clamp_finite(sigma * drag * c1 * c1 / (cm * cm * cm), 0.0, 0.3);
}

// Carter's rule for the deviation of a compressor cascade of circular-arc
// camber: delta = m theta / sqrt(sigma), m = 0.23 (2a/c)^2 + b2*/500 with
// a/c = 0.5 and b2* the exit metal angle from axial; theta the camber angle.
// Source: Carter, A.D.S. (1950), "The low speed performance of related
// aerofoils in cascade", ARC CP 29.
inline double carter_deviation(double camber_deg, double b2_metal_axial, double solidity) {
    const double m = 0.23 + std::fabs(clamp_finite(b2_metal_axial, -85.0, 85.0)) / 500.0;
    const double sigma = clamp_finite(solidity, 0.2, 5.0);
    return m * clamp_finite(std::fabs(camber_deg), 0.0, 120.0) / std::sqrt(sigma);
}

// ---------------------------------------------------------------------------
// Centrifugal rows

// Wiesner's slip factor with its limiting radius ratio (wiesner_slip) lives in
// physics/slip_factor.h, shared with the design of impellers.

// Jansen's skin-friction loss of an impeller passage:
//   dh = 2 C_f (L/D_h) W^2, W the mean relative velocity, C_f = 0.005;
// L/D_h held at most 20.
// Source: Jansen, W. (1967), ASME paper 67-WA/FE-4.
inline constexpr double kSkinFriction = 0.005;
inline double jansen_friction_loss(double length_over_diameter, double mean_velocity) {
    const double ld = clamp_finite(length_over_diameter, 0.0, 20.0);
    const double w = clamp_finite(mean_velocity, 0.0, 1e4);
    return 2.0 * kSkinFriction * ld * w * w;
}

// Coppage's blade-loading loss dh = 0.05 D_f^2 U2^2 with the diffusion factor
//   D_f = 1 - W2/W1 + 0.75 (dh_Euler/U2^2) / ((W1/W2)(Z/pi (1 - D1/D2) + 2 D1/D2));
// D_f held within 0..1.
// Source: Coppage, J.E. et al. (1956), "Study of supersonic radial
// compressors for refrigeration and pressurization systems", WADC TR 55-257.
inline double coppage_loading_loss(double w1, double w2, double u2, double euler_work, double blades,
                                   double diameter_ratio) {
    if (!(w1 > 0.0) || !(u2 > 0.0) || !std::isfinite(w1) || !std::isfinite(u2)) return 0.0;
    const double wr = clamp_finite(w2, 0.0, 1e4) / w1;
    const double dr = clamp_finite(diameter_ratio, 0.0, 1.0);
    const double z = clamp_finite(blades, 0.0, 200.0);
    const double passage = (z / kPi * (1.0 - dr) + 2.0 * dr) / std::max(wr, 1e-3);
    const double loading =
        passage > 0.0 ? 0.75 * clamp_finite(euler_work / (u2 * u2), -2.0, 2.0) / passage : 0.0;
    const double df = clamp_finite(1.0 - wr + loading, 0.0, 1.0);
    return 0.05 * df * df * u2 * u2;
}

// ---------------------------------------------------------------------------
// Ducts, diffusers, bends and volutes

// Darcy-Weisbach friction loss dh = f (L/D_h) c^2/2 with f = 4 C_f; L/D_h
// held at most 50.
// Source: Darcy-Weisbach relation, Fanning friction coefficient C_f = 0.005.
inline double duct_friction_loss(double length_over_diameter, double velocity) {
    const double ld = clamp_finite(length_over_diameter, 0.0, 50.0);
    const double c = clamp_finite(velocity, 0.0, 1e4);
    return 4.0 * kSkinFriction * ld * c * c / 2.0;
}

// Diffusion loss of a well-shaped diffuser: a fraction 0.15 of the
// Borda-Carnot loss (c1 - c2)^2/2; none for an accelerating passage.
// Source: Gibson, A.H. (1910), "On the flow of water through pipes and
// passages having converging or diverging boundaries", Proc. R. Soc. A 83.
inline constexpr double kGibsonFraction = 0.15;
inline double gibson_diffusion_loss(double c1, double c2) {
    const double a = clamp_finite(c1, 0.0, 1e4), b = clamp_finite(c2, 0.0, 1e4);
    return a > b ? kGibsonFraction * (a - b) * (a - b) / 2.0 : 0.0;
}

// Loss coefficient (per the kinetic energy) of a smooth bend turning the flow
// by delta with curvature radius R0 over hydraulic diameter D0:
//   zeta = A1 B1, A1 = 0.9 sin(delta) up to 70 deg, 1.0 at 90 deg,
//   0.7 + 0.35 delta/90 from 100 deg (linear in between);
//   B1 = 0.21 (R0/D0)^-2.5 below R0/D0 = 1, 0.21 (R0/D0)^-0.5 from it.
// Source: Idelchik, I.E., Handbook of Hydraulic Resistance, diagram 6-1.
inline double idelchik_bend_loss(double turning_deg, double radius_over_diameter) {
    const double d = clamp_finite(turning_deg, 0.0, 180.0);
    double a1;
    if (d <= 70.0) {
        a1 = 0.9 * std::sin(d * kDegree);
    } else if (d <= 90.0) {
        const double at70 = 0.9 * std::sin(70.0 * kDegree);
        a1 = at70 + (1.0 - at70) * (d - 70.0) / 20.0;
    } else if (d < 100.0) {
        a1 = 1.0 + (0.7 + 0.35 * 100.0 / 90.0 - 1.0) * (d - 90.0) / 10.0;
    } else {
        a1 = 0.7 + 0.35 * d / 90.0;
    }
    const double r = clamp_finite(radius_over_diameter, 0.5, 10.0);
    const double b1 = r < 1.0 ? 0.21 * std::pow(r, -2.5) : 0.21 / std::sqrt(r);
    return a1 * b1;
}

// ---------------------------------------------------------------------------
// Leakage

// Martin's labyrinth formula, the mass flow through n sharp throttlings of
// area A from (p0, rho0) down to pn:
//   m = mu A sqrt(p0 rho0) sqrt((1 - (pn/p0)^2) / (n - ln(pn/p0))),
// with the discharge coefficient mu = 0.71 of sharp teeth; 0 when there is
// no pressure fall or no area.
// Source: Martin, H.M. (1908), "Labyrinth packings", Engineering 85;
// discharge coefficient after Egli, A. (1935), "The leakage of steam
// through labyrinth seals", Trans. ASME 57.
inline constexpr double kTeethDischarge = 0.71;
inline double martin_labyrinth_flow(double area, double p0, double rho0, double pn, double throttlings) {
    if (!(area > 0.0) || !(p0 > 0.0) || !(rho0 > 0.0) || !std::isfinite(area * p0 * rho0)) return 0.0;
    const double ratio = clamp_finite(pn / p0, 1e-3, 1.0);
    const double n = clamp_finite(std::trunc(throttlings), 1.0, 100.0);
    return kTeethDischarge * area * std::sqrt(p0 * rho0) *
           std::sqrt((1.0 - ratio * ratio) / (n - std::log(ratio)));
}

// Flow through a plain gap of area A under a pressure difference dp:
//   m = C_D A sqrt(2 rho dp), C_D = 0.8 (the tip-gap value of Storer &
// Cumpsty); 0 without a difference, an area or a density.
// Source: Storer, J.A. & Cumpsty, N.A. (1994), "An approximate analysis and
// prediction method for tip clearance loss in axial compressors",
// J. Turbomach. 116.
inline constexpr double kGapDischarge = 0.8;
inline double gap_flow(double area, double rho, double dp) {
    if (!(area > 0.0) || !(rho > 0.0) || !(dp > 0.0) || !std::isfinite(area * rho * dp)) return 0.0;
    return kGapDischarge * area * std::sqrt(2.0 * rho * dp);
}

// Mixing loss of a leakage jet that joins the main flow without useful
// momentum, per the kinetic energy of the main flow:
//   zeta = (m_L/m) (1 + (V_L/V)^2); at most 0.5.
// Source: Denton, J.D. (1993), "Loss mechanisms in turbomachines",
// J. Turbomach. 115, mixing of injected flow.
inline double leakage_mixing_loss(double flow_fraction, double velocity_ratio) {
    const double f = clamp_finite(flow_fraction, 0.0, 1.0);
    const double v = clamp_finite(velocity_ratio, 0.0, 3.0);
    return clamp_finite(f * (1.0 + v * v), 0.0, 0.5);
}

// ---------------------------------------------------------------------------
// Blockage

// Displacement thickness of a turbulent flat-plate boundary layer after a
// run x at Reynolds number Re_x: delta* = 0.046 x Re_x^-0.2 (one-seventh
// power law, delta* = delta/8); Re_x held within 1e4..1e8.
// Source: Schlichting, H., Boundary-Layer Theory, turbulent flat plate.
inline double flat_plate_displacement(double run, double Re_x) {
    if (!(run > 0.0) || !std::isfinite(run)) return 0.0;
    return 0.046 * run * std::pow(clamp_finite(Re_x, 1e4, 1e8), -0.2);
}

}  // namespace h2::losses
