// flxb: a calorically perfect gas, the stand-in for the air and R134a plug-in
// (fluid numbers 0 and 3, cooling numbers 0, 1 and 3).
//
// The gas is fixed by its gas constant R and isentropic exponent k (set-up
// code 1001); everything else follows in closed form:
//   cp = k R / (k - 1)                          isobaric heat capacity
//   h  = cp T                                   absolute enthalpy, h = 0 at 0 K
//   s  = cp ln(T/T_ref) - R ln(p/p_ref) + s_off Gibbs relation from the
//                                               reference state of code 1000
//   rho = p / (R T)                             thermal equation of state
//   a  = sqrt(k R T)                            speed of sound
// s_off = 10 cp keeps the entropy away from 0.0, which the solvers read as a
// fluid without entropy: s reaches 0 only where T/T_ref (p/p_ref)^(-R/cp) =
// e^-10, far below 1 K at the reference pressure; should a state still land
// on exactly 0.0, the smallest positive double is returned in its place.
//
// Temperatures are absolute, in kelvin, both as code 1 returns them and as
// code 30 and code 1000 take them. The case's data unit of temperature is
// degC (see the unit table), but the fluid function is the exception its callers rely
// on: the reports print a code-1 temperature as T - 273.15, the cooling and
// strength routines compare it with kelvin limits, the host's reference
// state is (273.15, 100000.0), and code 30 turns a code-1 result back into
// the enthalpy it came from.
//
// Transport properties, for codes 24 and 25, use air's constants whatever R
// and k are: Sutherland's law for the dynamic viscosity,
//   mu = mu_0 (T/T_0)^(3/2) (T_0 + S) / (T + S),  mu_0 = 1.716e-5 Pa s,
//   T_0 = 273.15 K, S = 110.4 K  (White, Viscous Fluid Flow, table 1-2),
// code 24 the kinematic viscosity mu/rho, and code 25 the conductivity
// lambda = mu cp / Pr at the constant Prandtl number Pr = 0.71 of air.
//
// Codes 11 and 12 (saturated vapour and liquid enthalpy) have no counterpart
// in a gas that never condenses: its saturation line is taken to collapse at
// absolute zero, so both return h(0 K) = 0.0. Code 0 is always -1.0 (dry),
// so callers never reach them.
//
// The state lives in the calling thread's fluidLocals block of the selector's
// slot (fluid_slots.h), so cases on different threads never share it.
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "halvorine2/fluid_plugin.h"
#include "plugins/fluids/fluid_slots.h"

namespace {

constexpr double kNoAnswer = H2_FLUID_NO_ANSWER;
constexpr double kDry = -1.0;

// Air-like defaults until code 1001 says otherwise; the host's defaults too.
constexpr double kDefaultR = 287.5;
constexpr double kDefaultK = 1.4;
constexpr double kDefaultTref = 273.15;
constexpr double kDefaultPref = 100000.0;
constexpr double kEntropyOffsetInCp = 10.0;

// Sutherland's law for air.
constexpr double kMu0 = 1.716e-5;  // Pa s at kSutherlandT0
constexpr double kSutherlandT0 = 273.15;
constexpr double kSutherlandS = 110.4;
constexpr double kPrandtl = 0.71;

struct GasState {
    static constexpr std::uint32_t kTag = h2fluid::tag('F', 'L', 'X', 'B');
    std::uint32_t tag = kTag;
    std::uint32_t reserved = 0;
    double R = kDefaultR;
    double k = kDefaultK;
    double cp = kDefaultK * kDefaultR / (kDefaultK - 1.0);
    double T_ref = kDefaultTref;
    double p_ref = kDefaultPref;
    double s_off = kEntropyOffsetInCp * kDefaultK * kDefaultR / (kDefaultK - 1.0);
};

using h2fluid::positive;

bool set_gas(GasState& g, double R, double k) {
    if (!positive(R) || !std::isfinite(k) || k <= 1.0) return false;
    g.R = R;
    g.k = k;
    g.cp = k * R / (k - 1.0);
    g.s_off = kEntropyOffsetInCp * g.cp;
    return true;
}

double temperature(const GasState& g, double i) { return i / g.cp; }

double entropy(const GasState& g, double p, double T) {
    const double s = g.cp * std::log(T / g.T_ref) - g.R * std::log(p / g.p_ref) + g.s_off;
    return s == 0.0 ? DBL_MIN : s;
}

double sutherland_mu(double T) {
    return kMu0 * std::pow(T / kSutherlandT0, 1.5) * (kSutherlandT0 + kSutherlandS) / (T + kSutherlandS);
}

double gas_answer(const GasState& g, int code, double a, double b) {
    switch (code) {
        case H2_FLUID_DRYNESS:
            return kDry;
        case H2_FLUID_T_PI:
            return temperature(g, b);
        case H2_FLUID_RHO_PI: {
            const double T = temperature(g, b);
            return positive(T) ? a / (g.R * T) : kNoAnswer;
        }
        case H2_FLUID_S_PI: {
            const double T = temperature(g, b);
            return positive(T) && positive(a) ? entropy(g, a, T) : kNoAnswer;
        }
        case H2_FLUID_SOUND_PI: {
            const double T = temperature(g, b);
            return T >= 0.0 ? std::sqrt(g.k * g.R * T) : kNoAnswer;
        }
        case H2_FLUID_KAPPA_PI:
            return g.k;
        case H2_FLUID_P_IS: {
            // Code 3 solved for p at the temperature of the enthalpy.
            const double T = temperature(g, a);
            if (!positive(T)) return kNoAnswer;
            return g.p_ref * std::exp((g.cp * std::log(T / g.T_ref) + g.s_off - b) / g.R);
        }
        case H2_FLUID_I_PS: {
            // Code 3 solved for T at the pressure, then h = cp T.
            if (!positive(a)) return kNoAnswer;
            const double T = g.T_ref * std::exp((b - g.s_off + g.R * std::log(a / g.p_ref)) / g.cp);
            return g.cp * T;
        }
        case H2_FLUID_I_SAT_VAPOUR:
        case H2_FLUID_I_SAT_LIQUID:
            return 0.0;
        case H2_FLUID_NU_PI: {
            const double T = temperature(g, b);
            if (!positive(T) || !positive(a)) return kNoAnswer;
            return sutherland_mu(T) / (a / (g.R * T));
        }
        case H2_FLUID_LAMBDA_PI: {
            const double T = temperature(g, b);
            return positive(T) ? sutherland_mu(T) * g.cp / kPrandtl : kNoAnswer;
        }
        case H2_FLUID_I_PT:
            return g.cp * b;
        case H2_FLUID_CP_PI:
            return g.cp;
        case H2_FLUID_R_PI:
            return g.R;
        case H2_FLUID_P_RHOI:
            return a * g.R * temperature(g, b);
        default:
            return kNoAnswer;
    }
}

constexpr auto gas_property = h2fluid::property<GasState, set_gas, gas_answer>;
constexpr auto init_side = h2fluid::init_from_case<GasState, set_gas, gas_property>;

}  // namespace

H2_FLUID_PLUGIN_API int InitFluid(bdLocals* block, int slot, double /*af*/) {
    return init_side(block, slot, H2_FLUID_MAIN);
}

H2_FLUID_PLUGIN_API int InitcFluid(bdLocals* block, int slot, double /*af*/) {
    return init_side(block, slot, H2_FLUID_COOLING);
}
