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
// Species data, entropy, range and transport: ideal_mixture.h.
//
// The calling thread's fluidLocals block caches the last composition; a call
// with any other c recomputes it.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "halvorine2/fluid_plugin.h"
#include "plugins/fluids/fluid_slots.h"
#include "plugins/fluids/ideal_mixture.h"

#ifndef H2_FUEL_C
#error "H2_FUEL_C and H2_FUEL_H name the fuel CaHb"
#endif

namespace {

constexpr double kNoAnswer = H2_FLUID_NO_ANSWER;
constexpr double kDry = -1.0;
constexpr double kRefused = -1.0;

constexpr double kFuelC = H2_FUEL_C;
constexpr double kFuelH = H2_FUEL_H;

namespace ig = h2::mixture;
using ig::Mixture;

constexpr double kAir[ig::kSpecies] = {0.78084, 0.20946, 0.00934, 0.00036, 0.0, 0.0, 0.0, 0.0};

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
    double n[ig::kSpecies] = {};
    if (c == 0.0 || std::isinf(c)) {
        for (int k = 0; k < ig::kSpecies; ++k) n[k] = kAir[k];
    } else {
        const double oxygen = kFuelC + kFuelH / 4.0;  // mol O2 per mol fuel
        const double air = c * oxygen / kAir[ig::O2];
        for (int k = 0; k < ig::kSpecies; ++k) n[k] = air * kAir[k];
        n[ig::CO2] += kFuelC;
        n[ig::H2O] += kFuelH / 2.0;
        n[ig::O2] -= oxygen;
    }
    return ig::make(n);
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
    const double r = ig::answer(code, a, b, mixture_for(which, c, local));
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
