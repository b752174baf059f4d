// Heat transfer correlations of a cooled turbine blade and the wall balance
// that the cooling-air injection runs for each cooled row.
#include "physics/blade_heat_transfer.h"

#include <cmath>

#include "case/truncated_pi.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/threading.h"
#include "physics/profile_class.h"

namespace {

using h2::kDegree;
using h2::kPi;

constexpr int kStatorMode = 1;
constexpr int kRotorMode = 2;

// The cascade factor's sum of the two angles is read no further than this.
constexpr double kMaxAngleSum = 90.0;  // deg

// Fin zone of the section: share of the wetted perimeter, and the turning
// (180 - b1g - b2) from which the blade's wetted width grows with it.
constexpr double kFinShare = 0.3;
constexpr double kWideTurning = 55.0;  // deg

constexpr double kMetalConductivity = 20.0;  // W/(m K), blade wall

// Nusselt factors of a stationary row (both correlations) and the rotation
// terms of a rotor row, 1 + a (u l / c / D)^n.
constexpr double kStatorNuFactor = 1.35;

double rad(double deg) { return deg * kDegree; }

// |u l / c / D|: blade speed against the flow speed, over the diameter. The
// turning direction does not change the heat transfer, and a negative ratio
// would have no fractional power. 0 when the flow speed or the diameter is 0:
// the term has no meaning there.
double rotation_ratio(double c, double l, double D, double u) {
    if (c == 0.0 || D == 0.0) return 0.0;
    return std::fabs(u * l / c / D);
}

// The row's factor on a Nusselt number: stator, rotor (with its rotation
// term a (u l / c / D)^n) or none.
double row_factor(int mode, double a, double n, double c, double l, double D, double u) {
    if (mode == kStatorMode) return kStatorNuFactor;
    if (mode == kRotorMode) return 1.0 + a * std::pow(rotation_ratio(c, l, D, u), n);
    return 1.0;
}

}  // namespace

extern "C" {

double cascade_k_factor(double b1, double b2, double t, double b) {
    const double beta = h2::BetaUstFit(b1, b2, 0);  // stagger
    const double s = b1 + b2 <= kMaxAngleSum ? b1 + b2 : kMaxAngleSum;
    // A zero chord leaves the pitch-chord ratio undefined, and a zero exit
    // angle or angle sum puts 0 under the divisions below.
    if (b == 0.0) return 0.0;
    const double half_turn = std::cos(rad((b1 - b2) / 2.0));
    const double denominator = std::sin(rad(s)) * (t / b) * half_turn * half_turn;
    const double sin_b2 = std::sin(rad(b2));
    if (denominator == 0.0 || sin_b2 == 0.0) return 0.0;
    const double radicand = 2.0 * std::cos(rad(beta)) / denominator;
    // Angles outside the fit's range (an unset inlet angle) put the stagger
    // past 90 degrees, where the factor has no real value.
    if (!(radicand >= 0.0)) return 0.0;
    return std::sqrt(radicand) * std::sin(rad(b1)) / sin_b2;
}

double blade_nusselt_1(int mode, double Re, double b1g, double b1, double b2, double t, double b, double c,
                       double l, double D, double u) {
    const double K = cascade_k_factor(b1g, b2, t, b);
    // K^-0.58 has no value for a cascade without geometry factor.
    if (K == 0.0) return 0.0;
    // Incidence relative to the blade angle; an unset blade angle has none.
    const double incidence = b1g != 0.0 ? (b1g - b1) / b1g : 0.0;
    const double x = incidence - 0.2;
    const double Nu = 0.206 * std::pow(Re, 0.66) * std::pow(K, -0.58) * (0.97 + 0.78 * x * x);
    return Nu * row_factor(mode, 0.8, 0.42, c, l, D, u);
}

double blade_nusselt_2(int mode, double Re, double b1g, double b2, double t, double b, double c, double l,
                       double D, double u) {
    const double K = cascade_k_factor(b1g, b2, t, b);
    if (K == 0.0) return 0.0;
    const double Nu = 0.032 * std::pow(Re, 0.8) * std::pow(K, -0.54);
    return Nu * row_factor(mode, 1.1, 0.59, c, l, D, u);
}

double gas_side_htc(int mode, double Re, double b1g, double b1, double b2, double t, double b, double c,
                    double l, double D, double u, double lambda) {
    // Wetted perimeter of one blade: pi D (b cos beta) shared by the D/t blades
    // of the row, that is pi t b cos beta (written so that no zero diameter divides).
    const double beta = h2::BetaUstFit(b1g, b2, 0);
    const double P = kPi * t * (b * std::cos(rad(beta)));
    // Nu lambda / b, the coefficients of the two correlations, need a chord;
    // the mean over the perimeter needs a perimeter.
    if (b == 0.0 || P == 0.0) return 0.0;
    const double alpha_A = blade_nusselt_1(mode, Re, b1g, b1, b2, t, b, c, l, D, u) * lambda / b;
    const double alpha_B = blade_nusselt_2(mode, Re, b1g, b2, t, b, c, l, D, u) * lambda / b;

    const double Q = kFinShare * P;  // fin zone
    const double L = mode == kRotorMode ? l : l / 2.0;
    // Strongly turning blades are wider than their chord.
    const double theta = 180.0 - b1g - b2;
    const double s = theta < kWideTurning ? b : (0.722 + 0.00505 * theta) * b;
    const double U = 2.0 * s;

    // Fin of length L: F = sqrt(alpha U lambda Q) tanh(m L), m = sqrt(alpha U / lambda / Q).
    // Without conductivity the fin conducts nothing (the limit of F is 0).
    double F = 0.0;
    if (lambda != 0.0) {
        const double m = std::sqrt(alpha_A * U / lambda / Q);
        F = std::sqrt(alpha_A * Q * U * lambda) * std::tanh(m * L);
    }
    return (F + (P - Q) * alpha_B) / P;
}

double coolant_htc(double C, double T, double P, double d, double lambda) {
    const bdLocals* bd = get_bdLocals();
    // Without a cooling fluid there is no coolant property to ask.
    if (bd == nullptr || bd->cfluid_func == nullptr) return 0.0;
    const FluidFunc Fc = bd->cfluid_func;
    const double caf = bd->cyld_caf;
    const double i = Fc(H2_FLUID_I_PT, P, T, caf, H2_FLUID_COOLING);
    const double nu = Fc(H2_FLUID_NU_PI, P, i, caf, H2_FLUID_COOLING);
    // A zero length has no Nusselt number; a fluid without viscosity data gives no Reynolds number.
    if (d == 0.0) return 0.0;
    const double Re = nu != 0.0 ? C * d / nu : 0.0;
    // Turbulent channel flow; the factor 1.7 lifts the smooth-channel value for
    // the cooling passages, the same for every cooling scheme.
    const double Nu = 0.018 * std::pow(Re, 0.8) * 1.7;
    return Nu * lambda / d;
}

double wall_heat_balance(double Tc, double delta, double alpha_c, double Tg, double F, double alpha_g,
                         double* Tw_c, double* Tw_g, double* eff) {
    double q = 0.0;  // heat flux, W/m^2
    double wall_c = Tg, wall_g = Tg;
    // A face without heat transfer insulates the wall, which then takes the
    // other fluid's temperature; 1/alpha would otherwise divide by zero.
    if (alpha_c == 0.0) {
        wall_c = wall_g = Tg;
    } else if (alpha_g == 0.0) {
        wall_c = wall_g = Tc;
    } else {
        // Three resistances in series: gas film, metal wall, coolant film.
        q = (Tg - Tc) / (1.0 / alpha_g + delta / kMetalConductivity + 1.0 / alpha_c);
        wall_c = Tc + q / alpha_c;
        wall_g = Tg - q / alpha_g;
    }
    // Cooling effectiveness; coolant at the gas temperature cools nothing.
    const double effectiveness = Tg != Tc ? (Tg - wall_g) / (Tg - Tc) : 0.0;
    if (Tw_c != nullptr) *Tw_c = wall_c;
    if (Tw_g != nullptr) *Tw_g = wall_g;
    if (eff != nullptr) *eff = effectiveness;
    return F * q;
}

}  // extern "C"
