// The element solvers agree with the direct march: at the outlet speed the
// march found for each element, the element's solver carries the flow.
#include <gtest/gtest.h>

#include <cmath>

#include "halvorine2/halvorine2.h"
#include "solver/elem_select.h"
#include "solver/solver_api.h"
#include "tests/support/case_fixture.h"
#include "tests/support/example_stage.h"

namespace {

class ElemSolverMarch : public h2::test::LiveCaseTest {};

// The example stage (inlet, stator, rotor) without losses, solved for its flow.
TEST_F(ElemSolverMarch, SolversCarryTheFlowAtTheMarchSpeeds) {
    ASSERT_TRUE(h2::test::load_loss_free_example_stage());
    bdLocals* b = block();
    const int m = b->cyld_nr / 2;
    ASSERT_EQ(b->cyld_VART, 10);
    ASSERT_EQ(bestXN(), 0);

    for (int i = 0; i <= b->cyld_ns; ++i) {
        SCOPED_TRACE(i);
        const h2::ElemSolver solver = h2::elem_solver_of(*b, i);
        ASSERT_NE(solver, nullptr);
        const double w = b->flow_w2[i][m];
        const double p2 = b->isd_p2[i][m];
        const double r = solver(i, w);
        ASSERT_LE(r, 0.0);
        EXPECT_LT(std::sqrt(-r), 1e-4);
        // The same static state as the march.
        EXPECT_NEAR(b->isd_p2[i][m], p2, 1e-4 * p2);
        if (i > 0) {
            // One per cent off the march speed misses the flow by far more.
            EXPECT_GT(std::sqrt(-solver(i, 1.01 * w)), 1e-3);
            solver(i, w);
        }
    }
}

}  // namespace
