// A mean-line flow path built in code for solver tests and benchmarks: one
// streamline, axial sections, an inlet element and ducts or blade rows, with
// the perfect-gas test fluid installed and the direct task set.
#pragma once

#include <vector>

#include "halvorine2/halvorine2.h"
#include "tests/support/test_fluid.h"

namespace h2::test {

struct PathElement {
    double d;           // mean diameter, m (inlet and outlet)
    double l;           // height, m (inlet and outlet)
    double wp = 0.0;    // angular speed, rad/s
    double z = 0.0;     // blade count; 0 for a duct
    double B2a = 90.0;  // outlet gauging angle of a blade row, degrees
    double phi = 1.0;   // velocity coefficient
};

struct PathInlet {
    double p0;   // total pressure, Pa
    double T0;   // total temperature, K
    double G;    // mass flow, kg/s
    double p2n;  // outlet pressure that marks the path expanding, Pa
};

// Fills the current case (arrays not yet made) with the elements given; the
// first is the inlet. Returns false when the arrays cannot be made.
inline bool make_mean_line_path(const std::vector<PathElement>& elems, const PathInlet& in,
                                const TestFluid& fluid = {}) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr || elems.size() < 2) return false;
    b->cyld_ns = static_cast<int>(elems.size()) - 1;
    b->cyld_nr = 1;
    if (alloc_probdata(b->cyld_ns + 1, 1) != 0) return false;
    install_test_fluid(b, fluid);
    b->cyld_VART = 10;
    b->cyld_af = 1.0;
    b->IGM = 100;
    b->ISM = 10;
    b->acc_limit = 1e-6;
    b->sl_acc_limit = 1.0;
    b->elem_p0[0] = in.p0;
    b->elem_i0[0] = fluid.cp() * in.T0;
    b->elem_G1[0] = in.G;
    b->elem_p2[b->cyld_ns] = in.p2n;
    for (int i = 0; i <= b->cyld_ns; ++i) {
        const PathElement& e = elems[static_cast<std::size_t>(i)];
        b->elem_stagType[i] = e.z != 0.0 ? 1.0 : 0.0;
        b->bld_d1[i] = b->bld_d2[i] = e.d;
        b->bld_l1[i] = b->bld_l2[i] = e.l;
        b->bld_wp[i] = e.wp;
        b->bld_z[i] = e.z;
        b->elem_Pa[i] = 1.0;
        b->wb[i] = 100.0;
        b->los_Los[i][0] = e.phi;
        b->cas_B1[i][0] = 90.0;
        b->cas_B1g[i][0] = 90.0;
        b->cas_B2a[i][0] = e.B2a;
        b->cas_B2g[i][0] = e.B2a;
    }
    return true;
}

}  // namespace h2::test
