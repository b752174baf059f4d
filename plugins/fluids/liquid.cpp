// flxu: an incompressible liquid, the stand-in for the "flxu.dll" plug-in.
//
// Set-up code 1001 gives the density rho (the case's R; the host's default
// 1000 kg/m^3) and the heat capacity c (the case's k; default 4000 J/(kg K)).
//   h   = c T + (p - p_ref) / rho    enthalpy: absolute thermal part (T in
//                                    kelvin, as flxb) plus the flow work
//                                    from the reference pressure
//   s   = 0                          the model has no entropy: an entropy of
//                                    exactly 0.0 sends the solvers into
//                                    their incompressible branches
// Codes 8 and 9 (pressure from enthalpy and entropy, enthalpy from pressure
// and entropy), which those branches use to turn enthalpy into pressure and
// back, follow the liquid's one isentrope, the isotherm T = T_ref of code
// 1000: p = p_ref + rho (h - c T_ref) and h = c T_ref + (p - p_ref) / rho,
// exact inverses of each other whatever the entropy value passed.
//
// The speed of sound (4) and the isentropic exponent (5) of an incompressible
// liquid are infinite and are answered with 1e20. Codes without meaning here
// also give 1e20: the saturation enthalpies (11, 12: no vapour model), the
// transport properties (24, 25: no viscosity data), the gas constant (32)
// and the pressure from density and enthalpy (82: the density carries no
// pressure). Code 0 is always -1.0: the liquid never boils.
//
// The state lives in the calling thread's fluidLocals block of the selector's
// slot (fluid_slots.h), so cases on different threads never share it.
#include <cmath>
#include <cstdint>

#include "halvorine2/fluid_plugin.h"
#include "plugins/fluids/fluid_slots.h"

namespace {

constexpr double kNoAnswer = H2_FLUID_NO_ANSWER;
constexpr double kInfinite = H2_FLUID_NO_ANSWER;
constexpr double kNeverBoils = -1.0;

constexpr double kDefaultRho = 1000.0;
constexpr double kDefaultC = 4000.0;
constexpr double kDefaultTref = 273.15;
constexpr double kDefaultPref = 100000.0;

struct LiquidState {
    static constexpr std::uint32_t kTag = h2fluid::tag('F', 'L', 'X', 'U');
    std::uint32_t tag = kTag;
    std::uint32_t reserved = 0;
    double rho = kDefaultRho;
    double c = kDefaultC;
    double T_ref = kDefaultTref;
    double p_ref = kDefaultPref;
};

using h2fluid::positive;

bool set_liquid(LiquidState& l, double rho, double c) {
    if (!positive(rho) || !positive(c)) return false;
    l.rho = rho;
    l.c = c;
    return true;
}

double flow_work(const LiquidState& l, double p) { return (p - l.p_ref) / l.rho; }

double liquid_answer(const LiquidState& l, int code, double a, double b) {
    switch (code) {
        case H2_FLUID_DRYNESS:
            return kNeverBoils;
        case H2_FLUID_T_PI:
            return (b - flow_work(l, a)) / l.c;
        case H2_FLUID_RHO_PI:
            return l.rho;
        case H2_FLUID_S_PI:
            return 0.0;
        case H2_FLUID_SOUND_PI:
        case H2_FLUID_KAPPA_PI:
            return kInfinite;
        case H2_FLUID_P_IS:
            return l.p_ref + l.rho * (a - l.c * l.T_ref);
        case H2_FLUID_I_PS:
            return l.c * l.T_ref + flow_work(l, a);
        case H2_FLUID_I_PT:
            return l.c * b + flow_work(l, a);
        case H2_FLUID_CP_PI:
            return l.c;
        default:
            return kNoAnswer;
    }
}

constexpr auto liquid_property = h2fluid::property<LiquidState, set_liquid, liquid_answer>;
constexpr auto init_side = h2fluid::init_from_case<LiquidState, set_liquid, liquid_property>;

}  // namespace

H2_FLUID_PLUGIN_API int InitFluid(bdLocals* block, int slot, double /*af*/) {
    return init_side(block, slot, H2_FLUID_MAIN);
}

H2_FLUID_PLUGIN_API int InitcFluid(bdLocals* block, int slot, double /*af*/) {
    return init_side(block, slot, H2_FLUID_COOLING);
}
