// flxg, flxk, flxm: the products of complete combustion of a CaHb fuel in dry
// air, a mixture of ideal gases with temperature-dependent heat capacities.
// One source serves the three fuels; H2_FUEL_C and H2_FUEL_H give a and b:
//   flxg  GAS       (CH2)n    a = 1,  b = 2   (stoichiometric 14.79)
//   flxk  KEROSENE  C12H23    a = 12, b = 23  (14.67)
//   flxm  METHANE   CH4       a = 1,  b = 4   (17.24)
//
// Composition. The third value c of every call is the excess-air ratio alpha
// of the mixture asked about (callers pass the element's or the case's fluid
// constant). One mole of fuel burns with alpha (a + b/4)/0.20946 mol of dry
// air (N2 0.78084, O2 0.20946, Ar 0.00934, CO2 0.00036) to a + (air's) CO2,
// b/2 H2O, (alpha - 1)(a + b/4) O2 and the air's N2 and Ar. c = 0 (no fuel)
// and c = +inf are dry air; 0 < c < 1 (rich: CO and H2 are not modelled),
// c < 0 and NaN are refused (1e20; code 1001 -1).
//
// Species data: GRI-Mech 3.0 NASA 7-coefficient polynomials for N2, O2, Ar,
// CO2, H2O. The low range serves below 1000 K, the high range from 1000 K
// with its a6, a7 shifted so that h and s are continuous there; below 200 K
// cp keeps its 200 K value, and the enthalpy is absolute: h(0 K) = 0 through
// that constant-cp extension. The entropy is the third-law entropy with the
// ideal mixing term, p0 = 1e5 Pa. Above 3500 K the data end: 1e20.
//
// Atomic weights C 12.011, H 1.008, N 14.007, O 15.999, Ar 39.948; R_u =
// 8.314462618 J/(mol K). Transport as flxb (Sutherland's law for air, Pr
// 0.71) with the mixture's density and cp.
//
// The calling thread's fluidLocals block caches the last composition; a call
// with any other c recomputes it.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "halvorine2/fluid_plugin.h"
#include "plugins/fluids/fluid_slots.h"

#ifndef H2_FUEL_C
#error "H2_FUEL_C and H2_FUEL_H name the fuel CaHb"
#endif

namespace {

constexpr double kNoAnswer = H2_FLUID_NO_ANSWER;
constexpr double kDry = -1.0;
constexpr double kRefused = -1.0;

constexpr double kFuelC = H2_FUEL_C;
constexpr double kFuelH = H2_FUEL_H;

constexpr double kRu = 8.314462618;  // J/(mol K)
constexpr double kP0 = 1e5;          // Pa
constexpr double kTlow = 200.0;      // K: constant cp below
constexpr double kTmid = 1000.0;     // K: low and high ranges meet
constexpr double kTmax = 3500.0;     // K: the data end

constexpr double kMu0 = 1.716e-5;  // Sutherland's law for air
constexpr double kSutherlandT0 = 273.15;
constexpr double kSutherlandS = 110.4;
constexpr double kPrandtl = 0.71;

enum Species { N2, O2, AR, CO2, H2O, kSpecies };

constexpr double kC = 12.011, kH = 1.008, kN = 14.007, kO = 15.999, kAr = 39.948;
constexpr double kMolar[kSpecies] = {2 * kN, 2 * kO, kAr, kC + 2 * kO, 2 * kH + kO};  // g/mol
constexpr double kAir[kSpecies] = {0.78084, 0.20946, 0.00934, 0.00036, 0.0};

// GRI-Mech 3.0: a1..a7 of the low (below 1000 K) and high ranges.
constexpr double kLow[kSpecies][7] = {
    {3.298677, 1.4082404e-3, -3.963222e-6, 5.641515e-9, -2.444854e-12, -1020.8999, 3.950372},
    {3.78245636, -2.99673416e-3, 9.84730201e-6, -9.68129509e-9, 3.24372837e-12, -1063.94356, 3.65767573},
    {2.5, 0.0, 0.0, 0.0, 0.0, -745.375, 4.366},
    {2.35677352, 8.98459677e-3, -7.12356269e-6, 2.45919022e-9, -1.43699548e-13, -48371.9697, 9.90105222},
    {4.19864056, -2.0364341e-3, 6.52040211e-6, -5.48797062e-9, 1.77197817e-12, -30293.7267, -0.849032208}};
constexpr double kHigh[kSpecies][7] = {
    {2.92664, 1.4879768e-3, -5.68476e-7, 1.0097038e-10, -6.753351e-15, -922.7977, 5.980528},
    {3.28253784, 1.48308754e-3, -7.57966669e-7, 2.09470555e-10, -2.16717794e-14, -1088.45772, 5.45323129},
    {2.5, 0.0, 0.0, 0.0, 0.0, -745.375, 4.366},
    {3.85746029, 4.41437026e-3, -2.21481404e-6, 5.23490188e-10, -4.72084164e-14, -48759.166, 2.27163806},
    {3.03399249, 2.17691804e-3, -1.64072518e-7, -9.7041987e-11, 1.68200992e-14, -30004.2971, 4.9667701}};

// Dimensionless polynomials: cp/R, h/R (kelvin), s/R.
double cp_poly(const double* a, double T) { return a[0] + T * (a[1] + T * (a[2] + T * (a[3] + T * a[4]))); }
double h_poly(const double* a, double T) {
    return T * (a[0] + T * (a[1] / 2 + T * (a[2] / 3 + T * (a[3] / 4 + T * a[4] / 5)))) + a[5];
}
double s_poly(const double* a, double T) {
    return a[0] * std::log(T) + T * (a[1] + T * (a[2] / 2 + T * (a[3] / 3 + T * a[4] / 4))) + a[6];
}

// A mixture: its gas constant and the mole-weighted polynomials of both
// ranges, the high one shifted for continuity, h shifted to 0 at 0 K and the
// mixing entropy folded into a7.
struct Mixture {
    double R = 0.0;
    double lo[7] = {};
    double hi[7] = {};
};

struct GasState {
    static constexpr std::uint32_t kTag =
        h2fluid::tag('G', 'S', std::uint8_t(H2_FUEL_C), std::uint8_t(H2_FUEL_H));
    std::uint32_t tag = kTag;
    std::uint32_t reserved = 0;
    double c = NAN;  // the composition cached below; NaN: none
    Mixture mix;
};

bool usable(double c) { return c == 0.0 || c >= 1.0; }  // NaN fails both

Mixture make_mixture(double c) {
    double n[kSpecies];
    if (c == 0.0 || std::isinf(c)) {
        for (int k = 0; k < kSpecies; ++k) n[k] = kAir[k];
    } else {
        const double oxygen = kFuelC + kFuelH / 4.0;  // mol O2 per mol fuel
        const double air = c * oxygen / kAir[O2];
        for (int k = 0; k < kSpecies; ++k) n[k] = air * kAir[k];
        n[CO2] += kFuelC;
        n[H2O] += kFuelH / 2.0;
        n[O2] -= oxygen;
    }
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

// The thread's cached mixture for c, refreshed when it holds another one;
// without a block of this plug-in, the mixture is made in `local`.
const Mixture& mixture_for(int which, double c, Mixture& local) {
    GasState* g = h2fluid::state_for<GasState>(which);
    if (g == nullptr) {
        local = make_mixture(c);
        return local;
    }
    if (std::memcmp(&g->c, &c, sizeof c) != 0) {
        g->mix = make_mixture(c);
        g->c = c;
    }
    return g->mix;
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

double gas_answer(int code, double a, double b, const Mixture& m) {
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

double gas_property(int code, double a, double b, double c, int which) {
    switch (code) {
        case H2_FLUID_DRYNESS:
            return kDry;
        case H2_FLUID_REFERENCE:
        case H2_FLUID_ELEMENT_P0:
        case H2_FLUID_MODULE_SETUP:
        case H2_FLUID_CHOKE_FLAG:
            return 0.0;
        case H2_FLUID_SETUP: {
            if (!usable(c)) return kRefused;
            Mixture local;
            mixture_for(which, c, local);
            return 0.0;
        }
        case H2_FLUID_I_SAT_VAPOUR:
        case H2_FLUID_I_SAT_LIQUID:
            return usable(c) ? 0.0 : kNoAnswer;
        default:
            break;
    }
    if (!usable(c) || !std::isfinite(a) || !std::isfinite(b)) return kNoAnswer;
    Mixture local;
    const double r = gas_answer(code, a, b, mixture_for(which, c, local));
    return std::isfinite(r) ? r : kNoAnswer;
}

int init_side(bdLocals* block, int slot, int selector) {
    if (block == nullptr) return 0;
    h2fluid::remember_slot(selector, slot);
    h2fluid::new_state<GasState>(slot);  // none without a block: then every call makes its mixture
    (selector == H2_FLUID_MAIN ? block->fluid_func : block->cfluid_func) = gas_property;
    return 1;
}

}  // namespace

H2_FLUID_PLUGIN_API int InitFluid(bdLocals* block, int slot, double /*af*/) {
    return init_side(block, slot, H2_FLUID_MAIN);
}

H2_FLUID_PLUGIN_API int InitcFluid(bdLocals* block, int slot, double /*af*/) {
    return init_side(block, slot, H2_FLUID_COOLING);
}
