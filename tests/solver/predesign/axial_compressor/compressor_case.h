// Compressor test cases on the perfect-gas stand-in (R 287.5, k 1.4): a case
// with its arrays, one streamline, axial sections at radius 0.25 m (so the
// gravity heads vanish), a design task on a compressing path, and an inlet
// section whose outlet holds a given axial velocity and swirl on the
// isentrope of the inlet total state.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/halvorine2.h"
#include "tests/support/test_fluid.h"

namespace h2::test {

inline constexpr double kCp = 1006.25;       // J/(kg K) of the stand-in gas
inline constexpr double kP0 = 101325.0;      // inlet total pressure, Pa
inline constexpr double kI0 = kCp * 288.15;  // inlet total enthalpy, J/kg
inline constexpr double kTruncatedPi = 3.14159265;

// Allocates an ns-element, nr-streamline case on the current block and gives
// every element axial sections at radius 0.25 m; elements listed in rotors
// and stators become blade rows.
inline void make_compressor_case(int ns, int nr = 1) {
    bdLocals* b = get_bdLocals();
    ASSERT_NE(b, nullptr);
    b->cyld_ns = ns;
    b->cyld_nr = nr;
    ASSERT_EQ(alloc_probdata(ns + 1, nr), 0);
    install_test_fluid(b);
    b->cyld_VART = 1;
    for (int i = 0; i <= ns; ++i) {
        b->elem_sectType[i] = 0.0;
        b->elem_stagType[i] = i == 0 ? 0.0 : 1.0;
        b->elem_i0[i] = kI0;
        b->elem_p0[i] = kP0;
        for (int j = 0; j < nr; ++j) b->flow_r1[i][j] = b->flow_r2[i][j] = 0.25;
    }
    b->elem_p2[ns] = 2.0 * kP0;  // a compressing path
}

// Element e's outlet: axial velocity cz, swirl cu, totals (p0, i0) and the
// static state on their isentrope, at streamline m.
inline void set_outlet(int e, double cz, double cu, double p0 = kP0, double i0 = kI0) {
    bdLocals* b = get_bdLocals();
    const int m = b->cyld_nr / 2;
    const double c = std::hypot(cz, cu);
    b->flow_c2z[e][m] = cz;
    b->flow_c2u[e][m] = cu;
    b->flow_c2[e][m] = c;
    b->isd_p2x[e][m] = p0;
    b->isd_i2x[e][m] = i0;
    b->isd_s2[e][m] = b->fluid_func(H2_FLUID_S_PI, p0, i0, 0.0, 0);
    b->isd_i2[e][m] = i0 - c * c / 2.0;
    b->isd_p2[e][m] = b->fluid_func(H2_FLUID_P_IS, b->isd_i2[e][m], b->isd_s2[e][m], 0.0, 0);
    b->cas_A2[e][m] = std::atan2(cz, cu) / 0.01745329;
}

}  // namespace h2::test
