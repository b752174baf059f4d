// Mean-line inlet: the isentropic acceleration from the inlet totals sets the
// entering flow, or, for a given flow, the inlet total pressure is fitted.
#include <gtest/gtest.h>

#include <cmath>

#include "solver/solver_internal.h"
#include "tests/support/meanline_case.h"

namespace {

using h2::test::Elem;

constexpr double kP0 = 1e5;    // Pa
constexpr double kT0 = 300.0;  // K
constexpr double kArea = 0.1;  // m^2
constexpr double kSentinel = -7.0;

class InletTest : public h2::test::MeanlineTest {
protected:
    // An inlet (and a duct after it) on nr streamlines, inlet totals kP0, kT0
    // on every streamline, inlet area kArea.
    void make_inlet(int nr, int task) {
        ASSERT_NO_FATAL_FAILURE(make({Elem::Inlet, Elem::Duct}, nr));
        b->cyld_VART = task;
        b->bld_F2[0] = kArea;
        b->elem_p0[0] = kP0;
        for (int j = 0; j < nr; ++j) inlet_totals(0, j, kP0, kT0);
        m = nr / 2;
    }
    double h0() const { return gas.cp() * kT0; }
    int m = 0;
};

// Tasks where the inlet sets the flow: result exactly 0, the static state of
// the isentropic acceleration and the flow it carries.
TEST_F(InletTest, SetsTheFlowThatTheSpeedCarries) {
    for (int task : {20, 200, 40, 400}) {
        for (int nr : {1, 3}) {
            SCOPED_TRACE(testing::Message() << "task " << task << ", streamlines " << nr);
            ASSERT_NO_FATAL_FAILURE(make_inlet(nr, task));
            b->ZAG = kSentinel;
            const double w = 100.0;

            EXPECT_EQ(elem_inlet_1d(0, w), 0.0);

            const double h = h0() - w * w / 2.0;
            const double p = gas.isentropic_p(kP0, h0(), h);
            const double rho = gas.density(p, h);
            const double G = rho * w * kArea;
            EXPECT_NEAR(p, 94321.929, 1e-3);  // the figures by hand
            EXPECT_NEAR(rho, 1.1120059, 1e-7);
            EXPECT_NEAR(b->isd_p2[0][m], p, 1e-9 * p);
            EXPECT_NEAR(b->isd_p1[0][m], p, 1e-9 * p);
            EXPECT_NEAR(b->isd_Ro2[0][m], rho, 1e-9 * rho);
            EXPECT_NEAR(b->elem_G1[0], G, 1e-9 * G);
            EXPECT_EQ(b->elem_G2[0], b->elem_G1[0]);
            EXPECT_DOUBLE_EQ(b->isd_i2[0][m], h);
            EXPECT_DOUBLE_EQ(b->isd_i1[0][m], h);
            EXPECT_EQ(b->isd_i2x[0][m], h0());
            // No swirl at B1 90: the whole speed is meridional, the angle kept.
            EXPECT_NEAR(b->flow_c2u[0][m], 0.0, 1e-4);
            EXPECT_NEAR(b->flow_c2s[0][m], w, 1e-9);
            EXPECT_EQ(b->cas_B2[0][m], 90.0);
            EXPECT_EQ(b->cas_A2[0][m], 90.0);
            EXPECT_EQ(b->flow_w1[0][m], w);
            EXPECT_EQ(b->flow_c1[0][m], w);
            if (nr == 1) {
                EXPECT_EQ(b->ZAG, kSentinel);
            } else {
                EXPECT_DOUBLE_EQ(b->ZAG, b->elem_G2[0] / 6.2831853 / (nr - 1));
            }
        }
    }
}

// Direct and design tasks: no defect and no static state.
TEST_F(InletTest, OtherTasksLeaveTheStaticState) {
    for (int task : {0, 10, 100, 50}) {
        SCOPED_TRACE(task);
        ASSERT_NO_FATAL_FAILURE(make_inlet(1, task));
        b->isd_p2[0][0] = kSentinel;
        b->isd_Ro2[0][0] = kSentinel;
        b->elem_G1[0] = 3.0;
        EXPECT_EQ(elem_inlet_1d(0, 100.0), 0.0);
        EXPECT_EQ(b->isd_p2[0][0], kSentinel);
        EXPECT_EQ(b->isd_p1[0][0], kSentinel);  // the outlet copied to the inlet station
        EXPECT_EQ(b->isd_Ro2[0][0], kSentinel);
        EXPECT_EQ(b->elem_G1[0], 3.0);
    }
}

// Given mass flow: the density is fitted to the flow at the trial speed, and
// the inlet total pressure follows from it on the isentrope of the static state.
TEST_F(InletTest, FitsTheInletTotalPressureToTheFlow) {
    struct Case {
        int nr;
        int force1D;
        bool whole_profile;
    };
    for (Case c : {Case{1, 0, false}, Case{3, 0, true}, Case{3, 1, false}}) {
        SCOPED_TRACE(testing::Message() << c.nr << " streamlines, force1D " << c.force1D);
        ASSERT_NO_FATAL_FAILURE(make_inlet(c.nr, 30));
        b->cyld_force1D = c.force1D;
        b->cyld_G = 20.0;
        b->elem_Gdu[1] = 0.0;
        b->los_Fp[0][m] = 0.9;  // the fit takes the bare area
        b->fluid_func = h2::test::recording_gas_func;
        const double shape[3] = {0.9, 1.0, 1.1};
        if (c.nr == 3) {
            for (int j = 0; j < 3; ++j) b->isd_p1x[0][j] = shape[j] * kP0;
        }
        const double w = 150.0;

        EXPECT_NEAR(elem_inlet_1d(0, w), 0.0, 1e-24);

        const double h = h0() - w * w / 2.0;
        const double rho = 20.0 / (w * kArea);
        const double p = rho * gas.R * h / gas.cp();
        const double p0 = p * std::pow(h0() / h, 3.5);
        EXPECT_NEAR(rho, 1.3333333, 1e-7);
        EXPECT_NEAR(p, 110714.286, 1e-3);
        EXPECT_NEAR(p0, 126454.208, 1e-3);
        EXPECT_NEAR(b->isd_Ro2[0][m], rho, 1e-9 * rho);
        EXPECT_NEAR(b->isd_p2[0][m], p, 1e-9 * p);
        EXPECT_NEAR(b->elem_p0[0], p0, 1e-9 * p0);
        EXPECT_EQ(b->elem_G1[0], 20.0);
        EXPECT_EQ(b->elem_G2[0], 20.0);
        if (c.whole_profile) {
            for (int j = 0; j < 3; ++j) EXPECT_NEAR(b->isd_p1x[0][j], shape[j] * p0, 1e-9 * p0) << j;
        } else {
            EXPECT_NEAR(b->isd_p1x[0][m], p0, 1e-9 * p0);
            if (c.nr == 3) {
                EXPECT_EQ(b->isd_p1x[0][0], 0.9 * kP0);
                EXPECT_EQ(b->isd_p1x[0][2], 1.1 * kP0);
            }
        }
        // The fluid model is told the inlet total pressure held before the fit.
        int control_calls = 0;
        for (const auto& call : h2::test::fluid_calls()) {
            if (call.code != 1002) continue;
            ++control_calls;
            EXPECT_EQ(call.a, kP0);
            EXPECT_EQ(call.b, 0.0);
            EXPECT_EQ(call.which, 0);
        }
        EXPECT_EQ(control_calls, 1);
    }
}

// The leakage that element 1 takes off the case's flow is subtracted; a path
// of the inlet alone has no element 1 to read it from.
TEST_F(InletTest, FlowLessTheLeakageOfElementOne) {
    ASSERT_NO_FATAL_FAILURE(make_inlet(1, 300));
    b->cyld_G = 20.0;
    b->elem_Gdu[1] = 2.0;
    elem_inlet_1d(0, 150.0);
    EXPECT_EQ(b->elem_G1[0], 18.0);
    EXPECT_NEAR(b->isd_Ro2[0][0], 18.0 / (150.0 * kArea), 1e-12);

    ASSERT_NO_FATAL_FAILURE(make({Elem::Inlet}, 1));
    b->cyld_VART = 30;
    b->cyld_G = 20.0;
    b->bld_F2[0] = kArea;
    inlet_totals(0, 0, kP0, kT0);
    elem_inlet_1d(0, 150.0);
    EXPECT_EQ(b->elem_G1[0], 20.0);
}

// The normal speed by section type: the meridional floor of sqrt(10), axial
// and (for the undefined type 3) axial projections, radial projection, and
// the angular section's whole circumferential speed.
TEST_F(InletTest, NormalSpeedBySectionType) {
    struct Case {
        double sect;
        double w;
        double cs;  // expected meridional speed
        double cn;  // expected normal speed
    };
    const double floor = std::sqrt(10.0);
    const Case cases[] = {
        {0.0, 2.0, floor, floor * 0.6},  // below the floor
        {0.0, 80.0, 80.0, 80.0 * 0.6},  {1.0, 80.0, 80.0, 80.0 * 0.8},
        {3.0, 80.0, 80.0, 80.0 * 0.6},  {2.0, 80.0, 0.0, 80.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "section type " << c.sect << ", w " << c.w);
        ASSERT_NO_FATAL_FAILURE(make_inlet(1, 20));
        b->elem_sectType[0] = c.sect;
        b->cas_cosT2[0][0] = 0.6;
        b->cas_sinT2[0][0] = 0.8;
        b->los_Fp[0][0] = 0.9;
        elem_inlet_1d(0, c.w);
        EXPECT_NEAR(b->flow_c2s[0][0], c.cs, 1e-9);
        const double G = c.cn * b->isd_Ro2[0][0] * kArea * 0.9;
        EXPECT_NEAR(b->elem_G1[0], G, 1e-12 * G);
        if (c.sect == 2.0) {
            EXPECT_EQ(b->flow_c2u[0][0], c.w);
            EXPECT_EQ(b->flow_c1z[0][0], 0.0);
        }
    }
}

// The gravity head across the inlet adds to its total enthalpy: a streamline
// that falls by 0.1 m (disposition 0, height the radius) gains 0.981 J/kg.
TEST_F(InletTest, GravityHeadAddsToTheTotalEnthalpy) {
    ASSERT_NO_FATAL_FAILURE(make_inlet(1, 20));
    b->flow_r1[0][0] = 0.3;
    b->flow_r2[0][0] = 0.2;
    elem_inlet_1d(0, 100.0);
    EXPECT_NEAR(b->isd_i2wx[0][0], h0() + 9.81 * 0.1, 1e-9);
    EXPECT_NEAR(b->isd_i2[0][0], h0() + 9.81 * 0.1 - 5000.0, 1e-9);
}

}  // namespace
