// Per-streamline inlet: streamlines spread evenly over the annulus, each
// expanded from its own inlet totals at the common speed.
#include <gtest/gtest.h>

#include <cmath>

#include "solver/solver_internal.h"
#include "tests/support/meanline_case.h"

namespace {

using h2::test::Elem;

constexpr double kP0 = 1e5;    // Pa
constexpr double kT0 = 300.0;  // K
constexpr double kArea = 0.1;  // m^2
constexpr double kD2 = 0.4, kL2 = 0.1;

class Inlet2D : public h2::test::MeanlineTest {
protected:
    // Inlet totals kP0 and T0 + 10 j K on streamline j.
    void make_inlet(int nr, int task) {
        ASSERT_NO_FATAL_FAILURE(make({Elem::Inlet, Elem::Duct}, nr));
        b->cyld_VART = task;
        b->bld_F2[0] = kArea;
        b->bld_d2[0] = kD2;
        b->bld_l2[0] = kL2;
        b->elem_p0[0] = kP0;
        for (int j = 0; j < nr; ++j) inlet_totals(0, j, kP0, kT0 + 10.0 * j);
    }
};

TEST_F(Inlet2D, SpreadsAndExpandsEveryStreamline) {
    for (int task : {20, 200, 40, 400}) {
        SCOPED_TRACE(task);
        ASSERT_NO_FATAL_FAILURE(make_inlet(3, task));
        const double c = 100.0;
        EXPECT_EQ(elem_inlet_2d(0, c), 0.0);
        const double radii[] = {(kD2 - kL2) / 2, kD2 / 2, (kD2 + kL2) / 2};
        for (int j = 0; j < 3; ++j) {
            EXPECT_DOUBLE_EQ(b->flow_r2[0][j], radii[j]);
            EXPECT_DOUBLE_EQ(b->flow_r1[0][j], radii[j]);
            const double h0 = gas.cp() * (kT0 + 10.0 * j), h = h0 - c * c / 2;
            const double p = gas.isentropic_p(kP0, h0, h);
            EXPECT_NEAR(b->isd_p2[0][j], p, 1e-9 * p);
            EXPECT_NEAR(b->isd_Ro2[0][j], gas.density(p, h), 1e-9);
            EXPECT_DOUBLE_EQ(b->isd_i1[0][j], h);
            EXPECT_NEAR(b->flow_c2z[0][j], c, 1e-9 * c);  // B1 90: all axial
            EXPECT_EQ(b->flow_w1[0][j], c);
            // The absolute angles are the inlet flow angle, as on the mean line.
            EXPECT_EQ(b->cas_A1[0][j], b->cas_B1[0][j]);
            EXPECT_EQ(b->cas_A2[0][j], b->cas_B1[0][j]);
        }
        const double G = gas.density(b->isd_p2[0][1], b->isd_i2[0][1]) * c * kArea;
        EXPECT_NEAR(b->elem_G1[0], G, 1e-9 * G);
        EXPECT_NEAR(b->ZAG, b->elem_G2[0] / 6.2831853 / 2, 1e-12);
    }
}

TEST_F(Inlet2D, GivenFlowGivesEveryStreamlineTheMiddleStaticState) {
    ASSERT_NO_FATAL_FAILURE(make_inlet(3, 30));
    b->cyld_G = 10.0;
    const double d = elem_inlet_2d(0, 80.0);
    EXPECT_LE(d, 0.0);
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(b->isd_p2[0][j], b->isd_p2[0][1]);
        EXPECT_EQ(b->isd_Ro2[0][j], b->isd_Ro2[0][1]);
    }
    // Continuity through the middle streamline's axial speed.
    EXPECT_NEAR(b->isd_Ro2[0][1] * 80.0 * kArea, b->elem_G1[0], 1e-9 * b->elem_G1[0]);
    EXPECT_NE(b->isd_i2[0][0], b->isd_i2[0][2]);  // each keeps its own totals
}

TEST_F(Inlet2D, OneStreamlineLeavesTheCaseUnchanged) {
    ASSERT_NO_FATAL_FAILURE(make_inlet(1, 20));
    b->ZAG = -7.0;
    EXPECT_EQ(elem_inlet_2d(0, 100.0), 0.0);
    EXPECT_EQ(b->ZAG, -7.0);
    EXPECT_EQ(b->flow_c1[0][0], 0.0);
}

}  // namespace
