// Property functions for physics tests, installed straight into a case block
// (no plug-in loading): a calorically perfect gas, optionally with a toy wet
// region, and a fluid whose entropy is 0 (which selects the incompressible
// branches of the solvers). Temperatures are absolute, in kelvin, as the
// library's fluid functions give them.
#pragma once

#include <cmath>

#include "halvorine2/case_block.h"

namespace h2::test {

struct TestFluid {
    double R = 287.5;      // gas constant, J/(kg K)
    double k = 1.4;        // isentropic exponent
    bool zero_entropy = false;
    // Toy wet region: below h_vapour the state is wet, with dryness
    // (i - h_liquid) / (h_vapour - h_liquid); codes 11 and 12 answer the two enthalpies.
    bool wet = false;
    double h_liquid = 0.0;
    double h_vapour = 0.0;

    double cp() const { return k * R / (k - 1.0); }
};

inline constexpr double kRefT = 273.15;      // K
inline constexpr double kRefP = 100000.0;    // Pa

inline TestFluid& active_test_fluid() {
    thread_local TestFluid fluid;
    return fluid;
}

// code, a, b, c, selector: the library's property function contract.
inline double test_fluid_func(int code, double a, double b, double, int) {
    const TestFluid& f = active_test_fluid();
    const double cp = f.cp();
    const double s0 = 10.0 * cp;  // keeps the entropy of a gas state away from 0
    auto T_of = [&](double i) { return i / cp; };
    auto s_of = [&](double p, double i) {
        return f.zero_entropy ? 0.0 : cp * std::log(T_of(i) / kRefT) - f.R * std::log(p / kRefP) + s0;
    };
    switch (code) {
    case 0: {  // dryness: negative for a dry state
        if (!f.wet || b >= f.h_vapour) return -1.0;
        return (b - f.h_liquid) / (f.h_vapour - f.h_liquid);
    }
    case 1: return T_of(b);                                  // temperature from p, i
    case 2: return a / (f.R * T_of(b));                      // density, ideal gas
    case 3: return s_of(a, b);                               // entropy
    case 4: return std::sqrt(f.k * f.R * T_of(b));           // speed of sound
    case 5: return f.k;
    case 8: {  // pressure from i, s: invert s = cp ln(T/Tref) - R ln(p/pref) + s0
        const double T = T_of(a);
        return kRefP * std::exp((cp * std::log(T / kRefT) + s0 - b) / f.R);
    }
    case 9: {  // enthalpy from p, s
        const double lnT = (b - s0 + f.R * std::log(a / kRefP)) / cp;
        return cp * kRefT * std::exp(lnT);
    }
    case 11: return f.h_vapour;
    case 12: return f.h_liquid;
    case 24: return 1.5e-5;  // kinematic viscosity, m^2/s
    case 25: return 0.03;    // conductivity, W/(m K)
    case 30: return cp * b;  // enthalpy from p, T
    case 31: return cp;
    case 32: return f.R;
    case 82: return a * f.R * T_of(b);  // pressure from density, i
    case 1000:
    case 1001:
    case 1002:
    case 1003:
    case 1004: return 0.0;
    default: return 1e20;
    }
}

// Installs the fluid as both the main and the cooling fluid of the block.
inline void install_test_fluid(bdLocals* b, const TestFluid& fluid = {}) {
    active_test_fluid() = fluid;
    b->fluid_func = &test_fluid_func;
    b->cfluid_func = &test_fluid_func;
    b->cyld_R = fluid.R;
    b->cyld_k = fluid.k;
}

} // namespace h2::test
