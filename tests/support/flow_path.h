// A small flow path for physics tests: a case with its arrays, a test fluid,
// and elements of given kinds with plausible geometry and states.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>

#include "tests/support/case_fixture.h"
#include "tests/support/test_fluid.h"

namespace h2::test {

enum class Elem { Inlet, Duct, Stator, Rotor };

// Fills a current case (threading prepared, no arrays yet) with the elements
// given, nr streamlines, and the perfect-gas test fluid. Axial sections, mean
// diameter 0.2 m, blade height 0.03 m, rotors at 3000 rad/s with 60 blades,
// stators with 48; pressure falling from 4 bar by 0.5 bar per element.
inline void make_flow_path(std::initializer_list<Elem> elems, int nr, const TestFluid& fluid = {}) {
    bdLocals* b = get_bdLocals();
    ASSERT_NE(b, nullptr);
    b->cyld_ns = static_cast<int>(elems.size()) - 1;
    b->cyld_nr = nr;
    ASSERT_EQ(alloc_probdata(b->cyld_ns + 1, nr), 0);
    install_test_fluid(b, fluid);
    b->cyld_G = 3.0;
    b->cyld_VART = 10;
    int i = 0;
    for (Elem e : elems) {
        const bool row = e == Elem::Stator || e == Elem::Rotor;
        b->elem_stagType[i] = row ? 1.0 : 0.0;
        b->elem_sectType[i] = 0.0;
        b->bld_d1[i] = b->bld_d2[i] = 0.2;
        b->bld_l1[i] = b->bld_l2[i] = 0.03;
        b->bld_Rh1[i] = b->bld_Rh2[i] = 0.085;
        b->bld_Rt1[i] = b->bld_Rt2[i] = 0.115;
        b->bld_wp[i] = e == Elem::Rotor ? 3000.0 : 0.0;
        b->bld_z[i] = e == Elem::Rotor ? 60.0 : (e == Elem::Stator ? 48.0 : 0.0);
        b->elem_p0[i] = 400000.0 - 50000.0 * i;
        b->elem_p2[i] = 400000.0 - 50000.0 * (i + 1);
        b->elem_G1[i] = b->elem_G2[i] = b->cyld_G;
        b->elem_i0[i] = fluid.cp() * 1000.0;
        for (int j = 0; j < nr; ++j) {
            b->isd_p1[i][j] = b->elem_p0[i];
            b->isd_p2[i][j] = b->elem_p2[i];
            b->isd_i1[i][j] = b->isd_i2[i][j] = b->elem_i0[i];
            b->flow_r1[i][j] = b->flow_r2[i][j] = 0.1;
            b->cas_B1g[i][j] = row ? 90.0 : 0.0;
            b->cas_B2a[i][j] = row ? 25.0 : 0.0;
            b->cas_ra1[i][j] = b->cas_ra2[i][j] = 0.1;
        }
        ++i;
    }
}

} // namespace h2::test
