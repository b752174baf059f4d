// The Kacker-Okapuu family of turbine loss correlations: plain functions of
// their arguments, each kept finite and within the range its source covers.
//
// Angles here are the correlations' own: degrees from the axial direction.
// The inlet angle carries a sign: positive when the flow (or metal) arrives
// from the side opposite to the one it leaves to, so that the flow's
// deflection is inlet + exit (a nozzle fed axially has 0, an impulse blade
// has inlet = exit).
//
// Loss coefficients are total-pressure loss coefficients
// Y = (p01 - p02)/(p02 - p2), relative frame, unless a name says otherwise.
#pragma once

#include <algorithm>
#include <cmath>

#include "plugins/losses/correlations.h"

namespace h2::losses::ko {

// ---------------------------------------------------------------------------
// Profile loss

// Ainley and Mathieson's profile loss of a nozzle blade (axial inlet, beta1'
// = 0) at zero incidence, Re = 2e5 and t/c = 0.2, against the pitch-chord
// ratio and the exit angle. Aungier's fit to Ainley-Mathieson's Fig. 4a, in
// the exit angle from the circumferential direction phi = 90 - alpha2:
//   (s/c)min = 0.46 + phi/77 (phi < 30), 0.614 + phi/130 otherwise; X = s/c - (s/c)min,
//   A = 0.025 + (27 - phi)/530 (phi < 27), 0.025 + (27 - phi)/3085 otherwise,
//   B = 0.1583 - phi/1640, C = 0.08 ((phi/30)^2 - 1), n = 1 + phi/30,
//   Y = A + B X^2 + C X^3 (phi < 30), A + B |X|^n otherwise.
// The fit covers exit angles 40..80 deg from axial; outside it the angle is
// held at the nearer end. Sources: Ainley, D.G. & Mathieson, G.C.R. (1951),
// ARC R&M 2974, Fig. 4; Aungier, R.H. (2006), Turbine Aerodynamics, ASME
// Press, ch. 7.
inline double am_nozzle_loss(double pitch_chord, double exit_deg) {
    const double phi = 90.0 - clamp_finite(std::fabs(exit_deg), 40.0, 80.0);
    const double sc = clamp_finite(pitch_chord, 0.2, 1.5);
    const double sc_min = phi < 30.0 ? 0.46 + phi / 77.0 : 0.614 + phi / 130.0;
    const double X = sc - sc_min;
    const double A = phi < 27.0 ? 0.025 + (27.0 - phi) / 530.0 : 0.025 + (27.0 - phi) / 3085.0;
    const double B = 0.1583 - phi / 1640.0;
    const double C = 0.08 * ((phi / 30.0) * (phi / 30.0) - 1.0);
    const double n = 1.0 + phi / 30.0;
    return phi < 30.0 ? A + B * X * X + C * X * X * X : A + B * std::pow(std::fabs(X), n);
}

// The same for an impulse blade (beta1' = alpha2), Ainley-Mathieson's Fig. 4b
// in Aungier's fit:
//   (s/c)min = 0.224 + 1.575 (phi/90) - (phi/90)^2, X = s/c - (s/c)min,
//   A = 0.242 - phi/151 + (phi/127)^2,
//   B = 0.3 + (30 - phi)/50 (phi < 30), 0.3 + (30 - phi)/275 otherwise,
//   C = 0.88 - phi/42.4 + (phi/72.8)^2, Y = A + B X^2 - C X^3.
// Same sources and range as am_nozzle_loss.
inline double am_impulse_loss(double pitch_chord, double exit_deg) {
    const double phi = 90.0 - clamp_finite(std::fabs(exit_deg), 40.0, 80.0);
    const double sc = clamp_finite(pitch_chord, 0.2, 1.5);
    const double f = phi / 90.0;
    const double X = sc - (0.224 + 1.575 * f - f * f);
    const double A = 0.242 - phi / 151.0 + (phi / 127.0) * (phi / 127.0);
    const double B = phi < 30.0 ? 0.3 + (30.0 - phi) / 50.0 : 0.3 + (30.0 - phi) / 275.0;
    const double C = 0.88 - phi / 42.4 + (phi / 72.8) * (phi / 72.8);
    return A + B * X * X - C * X * X * X;
}

// The blend Kacker and Okapuu give between the two charts, with their
// thickness correction (their eq. 3, after Ainley-Mathieson):
//   Y = [Y(b1'=0) + |b1'/a2| (b1'/a2) (Y(b1'=a2) - Y(b1'=0))] (t/c / 0.2)^(b1'/a2),
// b1' the signed inlet metal angle, a2 the exit angle, t/c the maximum
// thickness over the chord. The blade ratio is held within -1..1 (the
// charts' span), t/c within 0.05..0.4, and the result is kept at least
// 80 % of the nozzle value, so that little-deflection blades stay positive.
// Source: Kacker, S.C. & Okapuu, U. (1982), "A Mean Line Prediction Method for
// Axial Flow Turbine Efficiency", J. Eng. Power 104, 111-119.
inline double amdc_profile_loss(double pitch_chord, double inlet_metal_deg, double exit_deg,
                                double thickness_chord) {
    const double a2 = std::max(std::fabs(exit_deg), 1.0);
    const double ratio = clamp_finite(inlet_metal_deg / a2, -1.0, 1.0);
    const double nozzle = am_nozzle_loss(pitch_chord, exit_deg);
    const double impulse = am_impulse_loss(pitch_chord, exit_deg);
    const double blend = nozzle + std::fabs(ratio) * ratio * (impulse - nozzle);
    const double tc = clamp_finite(thickness_chord, 0.05, 0.4);
    return std::max(blend, 0.8 * nozzle) * std::pow(tc / 0.2, ratio);
}

// Kacker-Okapuu's channel-acceleration factor K_p = 1 - K2 (1 - K1), with
// K1 = 1 below exit Mach 0.2, 1 - 1.25 (M2 - 0.2) up to 1, and held at its
// sonic value beyond; K2 = (M1/M2)^2. Kept within 0.1..1: an inlet faster
// than the exit is no acceleration. Source: Kacker & Okapuu (1982), eq. 5-7.
inline double channel_acceleration_factor(double inlet_mach, double exit_mach) {
    const double M2 = clamp_finite(exit_mach, 0.0, 3.0);
    if (!(M2 > 0.0)) return 1.0;
    const double M1 = clamp_finite(inlet_mach, 0.0, 3.0);
    const double K1 = M2 <= 0.2 ? 1.0 : 1.0 - 1.25 * (std::min(M2, 1.0) - 0.2);
    const double K2 = (M1 / M2) * (M1 / M2);
    return clamp_finite(1.0 - K2 * (1.0 - K1), 0.1, 1.0);
}

// The hub-to-mean ratio of the inlet Mach number, Kacker-Okapuu's Fig. 8,
// against the hub-tip radius ratio (0.5..1.0), for stators and rotors.
// Source: Kacker & Okapuu (1982), Fig. 8.
inline double hub_mach_ratio(double hub_tip, bool rotor) {
    static constexpr double kRatio[] = {0.5, 0.6, 0.7, 0.8, 0.9, 1.0};
    static constexpr double kStator[] = {1.4, 1.18, 1.05, 1.0, 1.0, 1.0};
    static constexpr double kRotor[] = {2.15, 1.7, 1.35, 1.12, 1.0, 1.0};
    const double x = clamp_finite(hub_tip, 0.5, 1.0);
    const double* f = rotor ? kRotor : kStator;
    int k = 0;
    while (k < 4 && x > kRatio[k + 1]) ++k;
    const double w = (x - kRatio[k]) / (kRatio[k + 1] - kRatio[k]);
    return f[k] + w * (f[k + 1] - f[k]);
}

// The inlet shock loss Kacker and Okapuu carry to the hub of a row whose
// inlet Mach number is high there:
//   (dP0/q1)_hub = 0.75 (M1,hub - 0.4)^1.75, M1,hub = M1 hub_mach_ratio,
//   Y_shock = (dP0/q1)_hub (r_h/r_t) (p1/p2)
//             [1 - (1 + (k-1)/2 M1^2)^(k/(k-1))] / [1 - (1 + (k-1)/2 M2^2)^(k/(k-1))],
// p1, p2 the static pressures at inlet and exit; 0 below M1,hub = 0.4.
// Source: Kacker & Okapuu (1982), eq. 8-10.
inline double inlet_shock_loss(double inlet_mach, double exit_mach, double hub_tip, bool rotor,
                               double p1_over_p2, double k) {
    const double M1 = clamp_finite(inlet_mach, 0.0, 2.0);
    const double M2 = clamp_finite(exit_mach, 0.0, 3.0);
    const double M1h = M1 * hub_mach_ratio(hub_tip, rotor);
    if (!(M1h > 0.4) || !(M2 > 0.0)) return 0.0;
    const double g = clamp_finite(k, 1.05, 1.67);
    const double e = g / (g - 1.0);
    const double q1 = 1.0 - std::pow(1.0 + (g - 1.0) / 2.0 * M1 * M1, e);
    const double q2 = 1.0 - std::pow(1.0 + (g - 1.0) / 2.0 * M2 * M2, e);
    const double hub = 0.75 * std::pow(M1h - 0.4, 1.75);
    return clamp_finite(hub * clamp_finite(hub_tip, 0.0, 1.0) * clamp_finite(p1_over_p2, 0.0, 10.0) * q1 / q2,
                        0.0, 1.0);
}

// Kacker-Okapuu's supersonic drag rise on the profile loss:
// 1 + 60 (M2 - 1)^2 past sonic exit, 1 below. Source: Kacker & Okapuu (1982), eq. 11.
inline double supersonic_drag_factor(double exit_mach) {
    const double M2 = clamp_finite(exit_mach, 0.0, 2.0);
    return M2 > 1.0 ? 1.0 + 60.0 * (M2 - 1.0) * (M2 - 1.0) : 1.0;
}

// Kacker-Okapuu's Reynolds-number factor on the profile loss, Re on the true
// chord and the exit velocity: (Re/2e5)^-0.4 below 2e5, 1 up to 1e6,
// (Re/1e6)^-0.2 beyond; 1 when the Reynolds number is unknown, Re held
// within 1e4..1e8. Source: Kacker & Okapuu (1982), eq. 12.
inline double reynolds_factor(double Re) {
    if (!(Re > 0.0) || !std::isfinite(Re)) return 1.0;
    const double r = std::clamp(Re, 1e4, 1e8);
    if (r < 2e5) return std::pow(r / 2e5, -0.4);
    if (r > 1e6) return std::pow(r / 1e6, -0.2);
    return 1.0;
}

// What the profile loss reads of a section.
struct ProfileInputs {
    double pitch_chord;      // s/c, true chord
    double inlet_metal_deg;  // signed, from axial
    double exit_deg;         // exit flow angle from axial
    double thickness_chord;  // maximum thickness over chord
    double inlet_mach;       // relative
    double exit_mach;        // relative
    double hub_tip;          // hub-tip radius ratio at inlet
    bool rotor;
    double p1_over_p2;  // static pressures
    double kappa;
    double reynolds;  // true chord, exit velocity
};

// Kacker-Okapuu's profile loss at design incidence:
//   Y_p = 0.914 (2/3 Y_p,AMDC K_p + Y_shock) f_M f_Re,
// 2/3 for the better blades built since Ainley and Mathieson's tests, 0.914
// to take out the trailing-edge loss their charts include (the trailing edge
// is charged separately). Source: Kacker & Okapuu (1982), eq. 4 and 11-12.
inline double profile_loss(const ProfileInputs& in) {
    const double amdc =
        amdc_profile_loss(in.pitch_chord, in.inlet_metal_deg, in.exit_deg, in.thickness_chord);
    const double Kp = channel_acceleration_factor(in.inlet_mach, in.exit_mach);
    const double shock =
        inlet_shock_loss(in.inlet_mach, in.exit_mach, in.hub_tip, in.rotor, in.p1_over_p2, in.kappa);
    return 0.914 * (2.0 / 3.0 * amdc * Kp + shock) * supersonic_drag_factor(in.exit_mach) *
           reynolds_factor(in.reynolds);
}

// ---------------------------------------------------------------------------
// Secondary loss

// Ainley-Mathieson's loading parameter as Dunham and Came give it:
//   Z = (C_L/(s/c))^2 cos^2 a2 / cos^3 a_m,
//   C_L/(s/c) = 2 (tan a1 + tan a2) cos a_m, tan a_m = (tan a2 - tan a1)/2,
// a1 the signed inlet flow angle, a2 the exit angle, from axial.
// Source: Dunham, J. & Came, P.M. (1970), "Improvements to the
// Ainley-Mathieson method of turbine performance prediction", J. Eng.
// Power 92, 252-256.
inline double loading_parameter(double inlet_deg, double exit_deg) {
    const double t1 = std::tan(clamp_finite(inlet_deg, -80.0, 80.0) * kDegree);
    const double t2 = std::tan(clamp_finite(exit_deg, -85.0, 85.0) * kDegree);
    const double am = std::atan((t2 - t1) / 2.0);
    const double cm = std::cos(am), c2 = std::cos(clamp_finite(exit_deg, -85.0, 85.0) * kDegree);
    const double cl = 2.0 * (t1 + t2) * cm;
    return cl * cl * c2 * c2 / (cm * cm * cm);
}

// Kacker-Okapuu's aspect-ratio function of the secondary loss, h/c the
// height over the true chord: (1 - 0.25 sqrt(2 - h/c)) / (h/c) up to 2, c/h
// beyond; h/c held at least 0.2. Source: Kacker & Okapuu (1982), eq. 14.
inline double aspect_ratio_factor(double height_chord) {
    const double hc = clamp_finite(height_chord, 0.2, 50.0);
    return hc <= 2.0 ? (1.0 - 0.25 * std::sqrt(2.0 - hc)) / hc : 1.0 / hc;
}

// Kacker-Okapuu's secondary loss:
//   Y_s = 1.2 K_s 0.0334 f(AR) (cos a2 / cos b1') Z,
//   K_s = 1 - K3 (1 - K_p), K3 = (b_x/h)^2,
// b1' the inlet metal angle, b_x the axial chord, h the height; at most 1.
// Source: Kacker & Okapuu (1982), eq. 13-16.
inline double secondary_loss(double inlet_deg, double inlet_metal_deg, double exit_deg, double height_chord,
                             double axial_chord_height, double Kp) {
    const double bh = clamp_finite(axial_chord_height, 0.0, 5.0);
    const double K3 = bh * bh;
    const double Ks = clamp_finite(1.0 - K3 * (1.0 - clamp_finite(Kp, 0.1, 1.0)), 0.1, 1.0);
    const double ratio = std::cos(clamp_finite(exit_deg, -85.0, 85.0) * kDegree) /
                         std::cos(clamp_finite(inlet_metal_deg, -80.0, 80.0) * kDegree);
    return clamp_finite(1.2 * Ks * 0.0334 * aspect_ratio_factor(height_chord) * ratio *
                            loading_parameter(inlet_deg, exit_deg),
                        0.0, 1.0);
}

// ---------------------------------------------------------------------------
// Trailing-edge loss

// Kacker-Okapuu's trailing-edge energy loss Delta phi^2 against the trailing
// edge thickness over the throat opening, their Fig. 14 (0, 0.045, 0.15 for
// nozzle blades and 0, 0.025, 0.075 for impulse blades at t/o 0, 0.2, 0.4,
// linear between), blended by the blade ratio like the profile loss and kept
// at least half the impulse value; t/o held at most 0.4.
// Source: Kacker & Okapuu (1982), eq. 17 and Fig. 14.
inline double trailing_edge_energy_loss(double te_over_throat, double inlet_metal_deg, double exit_deg) {
    const double x = clamp_finite(te_over_throat, 0.0, 0.4);
    const auto chart = [x](double at02, double at04) {
        return x <= 0.2 ? at02 * x / 0.2 : at02 + (at04 - at02) * (x - 0.2) / 0.2;
    };
    const double nozzle = chart(0.045, 0.15), impulse = chart(0.025, 0.075);
    const double a2 = std::max(std::fabs(exit_deg), 1.0);
    const double ratio = clamp_finite(inlet_metal_deg / a2, -1.0, 1.0);
    return std::max(nozzle + std::fabs(ratio) * ratio * (impulse - nozzle), impulse / 2.0);
}

// ---------------------------------------------------------------------------
// Tip clearance

// Kacker-Okapuu's efficiency loss of an unshrouded rotor, as a fraction of
// the efficiency without clearance:
//   d eta / eta0 = 0.93 (k / (h cos a2)) (r_t / r_m),
// k the tip gap, h the blade height, a2 the relative exit angle from axial,
// r_t and r_m the tip and mean radii; at most 0.5.
// Source: Kacker & Okapuu (1982), eq. 19.
inline double unshrouded_efficiency_loss(double gap, double height, double exit_deg, double tip_over_mean) {
    if (!(gap > 0.0) || !(height > 0.0)) return 0.0;
    const double c2 = std::cos(clamp_finite(exit_deg, -85.0, 85.0) * kDegree);
    return clamp_finite(0.93 * gap / (height * c2) * clamp_finite(tip_over_mean, 1.0, 2.0), 0.0, 0.5);
}

// ---------------------------------------------------------------------------
// Loss coefficients

// The energy loss per exit kinetic energy, zeta = (h2 - h2s)/(w2^2/2), of a
// total-pressure loss coefficient Y = (p01 - p02)/(p02 - p2) at exit Mach
// number M2: with p02/p2 = (1 + (k-1)/2 M2^2)^(k/(k-1)) and
// p01/p2 = p02/p2 + Y (p02/p2 - 1), at one total temperature,
//   zeta = [(p2/p02)^m - (p2/p01)^m] / [1 - (p2/p02)^m], m = (k-1)/k;
// the low-speed limit is zeta = Y. Source: isentropic relations of a perfect
// gas (NACA Report 1135).
inline double energy_loss_of_pressure_loss(double Y, double exit_mach, double k) {
    const double y = clamp_finite(Y, 0.0, 10.0);
    const double M2 = clamp_finite(exit_mach, 1e-3, 3.0);
    const double g = clamp_finite(k, 1.05, 1.67);
    const double m = (g - 1.0) / g;
    const double r02 = std::pow(1.0 + (g - 1.0) / 2.0 * M2 * M2, 1.0 / m);
    const double r01 = r02 + y * (r02 - 1.0);
    const double a = std::pow(1.0 / r02, m), b = std::pow(1.0 / r01, m);
    return clamp_finite((a - b) / (1.0 - a), 0.0, 10.0);
}

// The energy loss per exit kinetic energy of an energy loss per isentropic
// exit kinetic energy Delta phi^2: zeta = dphi2 / (1 - dphi2).
inline double energy_loss_of_dphi2(double dphi2) {
    const double d = clamp_finite(dphi2, 0.0, 0.9);
    return d / (1.0 - d);
}

}  // namespace h2::losses::ko
