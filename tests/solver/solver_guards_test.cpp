// Faults the solver guards against: a scan without inlet flow, the section
// kind without a defined normal, counter-rotating spans, heat exchangers on
// the mean line.
#include <gtest/gtest.h>

#include <cmath>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/halvorine2.h"
#include "solver/solver_api.h"
#include "solver/solver_internal.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/mean_line_path.h"

namespace {

class SolverGuards : public h2::test::LiveCaseTest {
protected:
    void make() {
        ASSERT_TRUE(h2::test::make_mean_line_path({{0.4, 0.05}, {0.4, 0.04}, {0.4, 0.035}},
                                                  {2e5, 350.0, 12.0, 1.5e5}));
    }
};

// Sections of the remaining kind (3) take the axial normal velocity, so their
// choke flow is the axial one.
TEST_F(SolverGuards, RemainingSectionKindChokesLikeAnAxialOne) {
    make();
    ASSERT_EQ(bestXN(), 0);
    bdLocals* b = block();
    ASSERT_GE(findGmax(1), 0.0);
    const double axial = b->choke_Gmax;
    b->elem_sectType[1] = 3.0;
    ASSERT_GE(findGmax(1), 0.0);
    EXPECT_DOUBLE_EQ(b->choke_Gmax, axial);
}

// The scan of a first outlet state starts from the inlet flow; without one it
// starts at rest instead of at an infinite speed.
TEST_F(SolverGuards, ScanWithoutInletFlowStartsAtRest) {
    make();
    ASSERT_EQ(bestXN(), 0);
    bdLocals* b = block();
    b->elem_G1[1] = 0.0;
    b->isd_s2[1][0] = 0.0;  // no outlet state yet
    EXPECT_EQ(ChaVel(1), 0);
    EXPECT_TRUE(std::isfinite(b->flow_w2[1][0]));
    EXPECT_LT(b->delta[1], 1e-8);
}

// Counter-rotation turns the inlet swirl of every streamline alike, the
// middle's included, and the spread is a free vortex of the middle value.
TEST_F(SolverGuards, CounterRotationTurnsEveryStreamlineAlike) {
    allocate(2, 3);
    bdLocals* b = block();
    h2::test::install_test_fluid(b);
    b->cyld_VART = 10;
    b->bld_d1[2] = b->bld_d2[2] = 0.5;
    b->bld_l1[2] = b->bld_l2[2] = 0.1;
    b->is_contr[2] = 1.0;
    b->flow_c1u[2][1] = 100.0;
    b->flow_c1z[2][1] = 150.0;
    b->isd_i1x[2][1] = 1e6;
    b->isd_p1x[2][1] = 3e5;
    b->isd_i2x[2][1] = 1e6;
    b->isd_p2x[2][1] = 3e5;
    b->isd_s1[2][1] = b->fluid_func(H2_FLUID_S_PI, 3e5, 1e6, 0.0, 0);
    span_flow_axial(2);
    const double r[3] = {0.2, 0.25, 0.3};
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(b->flow_c1u[2][j], -100.0 * 0.25 / r[j], 1e-9) << j;
}

// A heat exchanger on the mean line is solved from the element before it and
// leaves no defect; with no loss and no heat it passes the state unchanged.
TEST_F(SolverGuards, HeatExchangerOnTheMeanLinePassesTheFlow) {
    ASSERT_TRUE(h2::test::make_mean_line_path({{0.4, 0.05}, {0.4, 0.04}, {0.4, 0.04}, {0.4, 0.035}},
                                              {2e5, 350.0, 12.0, 1.5e5}));
    bdLocals* b = block();
    b->elem_stagType[2] = 8.0;
    h2::test::CapturedConsole console;
    ASSERT_EQ(bestXN(), 0);
    EXPECT_EQ(b->delta[2], 0.0);
    EXPECT_NEAR(b->isd_p2x[3][0], 2e5, 1e-6 * 2e5);
    EXPECT_NEAR(b->isd_Ro2[3][0] * b->flow_c2[3][0] * 3.14159265 * 0.4 * 0.035, 12.0, 1e-4 * 12.0);
}

}  // namespace
