// Ideal-gas mixtures from NASA 7-coefficient polynomials (ideal_mixture.h).
#include "plugins/fluids/ideal_mixture.h"

#include <cfloat>
#include <cmath>

#include "halvorine2/fluid_plugin.h"

namespace h2::mixture {

namespace {

constexpr double kNoAnswer = H2_FLUID_NO_ANSWER;

constexpr double kRu = 8.314462618;  // J/(mol K)
constexpr double kP0 = 1e5;          // Pa
constexpr double kTlow = 200.0;      // K: constant cp below
constexpr double kTmid = 1000.0;     // K: low and high ranges meet
constexpr double kTmax = 3500.0;     // K: the data end

constexpr double kMu0 = 1.716e-5;  // Sutherland's law for air
constexpr double kSutherlandT0 = 273.15;
constexpr double kSutherlandS = 110.4;
constexpr double kPrandtl = 0.71;

constexpr double kC = 12.011, kH = 1.008, kN = 14.007, kO = 15.999, kAr = 39.948, kHe = 4.0026;
constexpr double kMolar[kSpecies] = {2 * kN,      2 * kO, kAr,    kC + 2 * kO,
                                     2 * kH + kO, kHe,    2 * kH, kC + 4 * kH};  // g/mol

// GRI-Mech 3.0 (He: NASA Glenn): a1..a7 of the low (below 1000 K) and high ranges.
constexpr double kLow[kSpecies][7] = {
    {3.298677, 1.4082404e-3, -3.963222e-6, 5.641515e-9, -2.444854e-12, -1020.8999, 3.950372},
    {3.78245636, -2.99673416e-3, 9.84730201e-6, -9.68129509e-9, 3.24372837e-12, -1063.94356, 3.65767573},
    {2.5, 0.0, 0.0, 0.0, 0.0, -745.375, 4.366},
    {2.35677352, 8.98459677e-3, -7.12356269e-6, 2.45919022e-9, -1.43699548e-13, -48371.9697, 9.90105222},
    {4.19864056, -2.0364341e-3, 6.52040211e-6, -5.48797062e-9, 1.77197817e-12, -30293.7267, -0.849032208},
    {2.5, 0.0, 0.0, 0.0, 0.0, -745.375, 0.928723974},
    {2.34433112, 7.98052075e-3, -1.9478151e-5, 2.01572094e-8, -7.37611761e-12, -917.935173, 0.683010238},
    {5.14987613, -1.36709788e-2, 4.91800599e-5, -4.84743026e-8, 1.66693956e-11, -10246.6476, -4.64130376}};
constexpr double kHigh[kSpecies][7] = {
    {2.92664, 1.4879768e-3, -5.68476e-7, 1.0097038e-10, -6.753351e-15, -922.7977, 5.980528},
    {3.28253784, 1.48308754e-3, -7.57966669e-7, 2.09470555e-10, -2.16717794e-14, -1088.45772, 5.45323129},
    {2.5, 0.0, 0.0, 0.0, 0.0, -745.375, 4.366},
    {3.85746029, 4.41437026e-3, -2.21481404e-6, 5.23490188e-10, -4.72084164e-14, -48759.166, 2.27163806},
    {3.03399249, 2.17691804e-3, -1.64072518e-7, -9.7041987e-11, 1.68200992e-14, -30004.2971, 4.9667701},
    {2.5, 0.0, 0.0, 0.0, 0.0, -745.375, 0.928723974},
    {3.3372792, -4.94024731e-5, 4.99456778e-7, -1.79566394e-10, 2.00255376e-14, -950.158922, -3.20502331},
    {7.4851495e-2, 1.33909467e-2, -5.73285809e-6, 1.22292535e-9, -1.0181523e-13, -9468.34459, 18.437318}};

// Dimensionless polynomials: cp/R, h/R (kelvin), s/R.
double cp_poly(const double* a, double T) { return a[0] + T * (a[1] + T * (a[2] + T * (a[3] + T * a[4]))); }
double h_poly(const double* a, double T) {
    return T * (a[0] + T * (a[1] / 2 + T * (a[2] / 3 + T * (a[3] / 4 + T * a[4] / 5)))) + a[5];
}
double s_poly(const double* a, double T) {
    return a[0] * std::log(T) + T * (a[1] + T * (a[2] / 2 + T * (a[3] / 3 + T * a[4] / 4))) + a[6];
}

double cp_R(const Mixture& m, double T) {
    if (T < kTlow) return cp_poly(m.lo, kTlow);
    return cp_poly(T < kTmid ? m.lo : m.hi, T);
}
double h_R(const Mixture& m, double T) {
    if (T < kTlow) return cp_poly(m.lo, kTlow) * T;
    return h_poly(T < kTmid ? m.lo : m.hi, T);
}
double s_R(const Mixture& m, double T) {  // at p0
    if (T < kTlow) return s_poly(m.lo, kTlow) + cp_poly(m.lo, kTlow) * std::log(T / kTlow);
    return s_poly(T < kTmid ? m.lo : m.hi, T);
}

bool in_range(double T) { return T > 0.0 && T <= kTmax; }

// T where a monotone function of T with the derivative d reaches its target,
// by Newton's method to rounding; NaN outside (0, 3500 K].
template <class F, class D>
double solve_T(F&& f, D&& d, double target, double T0) {
    double T = T0;
    double last = INFINITY;
    for (int it = 0; it < 60; ++it) {
        const double step = (f(T) - target) / d(T);
        if (!std::isfinite(step)) return NAN;
        double next = T - step;
        if (next <= 0.0) next = 0.5 * T;
        if (next > 2.0 * kTmax) next = 2.0 * kTmax;
        // Done at the last bits, or once a small step stops halving (rounding noise).
        const double rel = std::fabs(next - T) / T;
        const bool done = rel <= 4e-16 || (rel < 1e-12 && rel > 0.5 * last);
        last = rel;
        T = next;
        if (done) break;
    }
    return T;
}

double T_of_h(const Mixture& m, double h) {
    const double target = h / m.R;
    const double cp0 = cp_poly(m.lo, kTlow);
    if (!(target > 0.0)) return NAN;
    if (target < cp0 * kTlow) return target / cp0;
    if (target > h_R(m, kTmax)) return NAN;
    return solve_T([&](double T) { return h_R(m, T); }, [&](double T) { return cp_R(m, T); }, target,
                   target / cp0);
}

double T_of_s(const Mixture& m, double s0_R) {
    const double cp0 = cp_poly(m.lo, kTlow);
    const double s200 = s_R(m, kTlow);
    if (s0_R < s200) return kTlow * std::exp((s0_R - s200) / cp0);
    if (s0_R > s_R(m, kTmax)) return NAN;
    return solve_T([&](double T) { return s_R(m, T); }, [&](double T) { return cp_R(m, T) / T; }, s0_R,
                   1000.0);
}

double nonzero_entropy(double s) { return s == 0.0 ? DBL_MIN : s; }

double sutherland_mu(double T) {
    return kMu0 * std::pow(T / kSutherlandT0, 1.5) * (kSutherlandT0 + kSutherlandS) / (T + kSutherlandS);
}

}  // namespace

double answer(int code, double a, double b, const Mixture& m) {
    const double R = m.R;
    switch (code) {
        case H2_FLUID_P_IS: {  // (i, s)
            const double T = T_of_h(m, a);
            if (!in_range(T)) return kNoAnswer;
            return kP0 * std::exp(s_R(m, T) - b / R);
        }
        case H2_FLUID_P_RHOI: {  // (rho, i)
            if (!(a > 0.0)) return kNoAnswer;
            const double T = T_of_h(m, b);
            return in_range(T) ? a * R * T : kNoAnswer;
        }
        case H2_FLUID_I_PT: {  // (p, T)
            if (!(a > 0.0) || !in_range(b)) return kNoAnswer;
            return R * h_R(m, b);
        }
        case H2_FLUID_I_PS: {  // (p, s)
            if (!(a > 0.0)) return kNoAnswer;
            const double T = T_of_s(m, b / R + std::log(a / kP0));
            return in_range(T) ? R * h_R(m, T) : kNoAnswer;
        }
        default:
            break;
    }
    // (p, i) codes.
    if (!(a > 0.0)) return kNoAnswer;
    const double T = T_of_h(m, b);
    if (!in_range(T)) return kNoAnswer;
    const double cp = R * cp_R(m, T);
    const double kappa = cp / (cp - R);
    const double rho = a / (R * T);
    switch (code) {
        case H2_FLUID_T_PI:
            return T;
        case H2_FLUID_RHO_PI:
            return rho;
        case H2_FLUID_S_PI:
            return nonzero_entropy(R * (s_R(m, T) - std::log(a / kP0)));
        case H2_FLUID_SOUND_PI:
            return std::sqrt(kappa * R * T);
        case H2_FLUID_KAPPA_PI:
            return kappa;
        case H2_FLUID_NU_PI:
            return sutherland_mu(T) / rho;
        case H2_FLUID_LAMBDA_PI:
            return sutherland_mu(T) * cp / kPrandtl;
        case H2_FLUID_CP_PI:
            return cp;
        case H2_FLUID_R_PI:
            return R;
        default:
            return kNoAnswer;
    }
}

const char* const kNames[kSpecies] = {"N2", "O2", "AR", "CO2", "H2O", "HE", "H2", "CH4"};

Mixture make(const double (&n)[kSpecies]) {
    double total = 0.0;
    for (double v : n) total += v;
    Mixture m;
    double molar = 0.0, mixing = 0.0;
    for (int k = 0; k < kSpecies; ++k) {
        const double x = n[k] / total;
        if (x <= 0.0) continue;
        molar += x * kMolar[k];
        mixing -= x * std::log(x);
        for (int i = 0; i < 7; ++i) {
            m.lo[i] += x * kLow[k][i];
            m.hi[i] += x * kHigh[k][i];
        }
    }
    m.R = kRu / molar * 1000.0;
    m.hi[5] += h_poly(m.lo, kTmid) - h_poly(m.hi, kTmid);
    m.hi[6] += s_poly(m.lo, kTmid) - s_poly(m.hi, kTmid);
    const double offset = h_poly(m.lo, kTlow) - cp_poly(m.lo, kTlow) * kTlow;
    m.lo[5] -= offset;
    m.hi[5] -= offset;
    m.lo[6] += mixing;
    m.hi[6] += mixing;
    return m;
}

double cp(const Mixture& m, double T) { return m.R * cp_R(m, T); }
double enthalpy(const Mixture& m, double T) { return m.R * h_R(m, T); }

}  // namespace h2::mixture
