// The element solvers agree with the direct march: at the outlet speed the
// march found for each element, the element's solver carries the flow.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "halvorine2/halvorine2.h"
#include "solver/elem_select.h"
#include "solver/solver_api.h"
#include "tests/support/case_fixture.h"
#include "tests/support/test_fluid.h"

namespace {

namespace fs = std::filesystem;

class ElemSolverMarch : public h2::test::LiveCaseTest {};

// The example stage (inlet, stator, rotor) without losses, solved for its flow.
TEST_F(ElemSolverMarch, SolversCarryTheFlowAtTheMarchSpeeds) {
    std::snprintf(block()->ModelBase, sizeof block()->ModelBase, "%s", H2_PLUGIN_DIR);
    const fs::path example =
        fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples" / "air_turbine_stage.dat";
    ASSERT_EQ(load_data(example.string().c_str()), 0);
    bdLocals* b = block();
    h2::test::install_test_fluid(b);
    for (LossEntry* slot : b->LossSlots)  // no loss, deviation or leakage models
        if (slot != nullptr)
            for (int i = 0; i <= b->cyld_ns; ++i) slot[i] = nullptr;
    const int m = b->cyld_nr / 2;
    for (int i = 0; i <= b->cyld_ns; ++i) b->los_Los[i][m] = 1.0;
    b->IPP = 0;
    b->IPI = 0;
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
