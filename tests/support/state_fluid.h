// The perfect test gas with an isentropic exponent that depends on the state
// it is asked at, so that a property call made at the wrong pressure or
// enthalpy gives a different exponent.
#pragma once

#include "halvorine2/fluid_plugin.h"
#include "tests/support/test_fluid.h"

namespace h2::test {

// Isentropic exponent of the state-dependent test fluid: 1.3 + 0.1 p/1e6
// + 0.05 i/1e6 (p in Pa, i in J/kg); every other property is the perfect
// gas's of test_fluid_func.
inline double state_kappa(double p, double i) { return 1.3 + 0.1 * p / 1e6 + 0.05 * i / 1e6; }

inline double state_fluid_func(int code, double a, double b, double c, int which) {
    return code == H2_FLUID_KAPPA_PI ? state_kappa(a, b) : test_fluid_func(code, a, b, c, which);
}

}  // namespace h2::test
