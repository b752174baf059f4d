// The direct task's convergence measure is the relative flow defect: a stage
// scaled to ten or a hundred times the flow through an annulus of as many
// times the area, at the same blade speed and velocity coefficients, is the
// same machine, and solves in the same iterations to the same state.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "halvorine2/halvorine2.h"
#include "solver/solver_api.h"
#include "tests/support/case_fixture.h"
#include "tests/support/mean_line_path.h"

namespace {

class FlowScale : public h2::test::LiveCaseTest {};

struct Solved {
    int result;
    int iter;
    double eff;
    double p2;        // outlet static pressure, Pa
    double Nc_by_G;   // specific work, J/kg
    double accuracy;  // the last march's sum of the elements' defects
};

// The example's stage on the mean line (inlet, stator, rotor), its flow and
// annulus areas times s: diameters and heights times sqrt(s), the angular
// speed divided by it, so that the blade speed stays 300 m/s.
Solved solve_scaled(double s, double acc_limit) {
    const double q = std::sqrt(s);
    EXPECT_TRUE(h2::test::make_mean_line_path({{0.2 * q, 0.035 * q},
                                               {0.2 * q, 0.035 * q, 0.0, 30.0, 18.0, 0.97},
                                               {0.2 * q, 0.04 * q, 3000.0 / q, 41.0, 155.0, 0.95}},
                                              {4e5, 1000.0, 3.0 * s, 2e5}));
    bdLocals* b = get_bdLocals();
    b->acc_limit = acc_limit;
    Solved r{};
    r.result = bestXN();
    r.iter = b->iter;
    r.eff = b->cyld_eff;
    r.p2 = b->isd_p2[b->cyld_ns][0];
    r.Nc_by_G = b->cyld_Nc / b->elem_G1[0];
    r.accuracy = b->accuracy;
    EXPECT_EQ(free_probdata(), 0);
    return r;
}

TEST_F(FlowScale, ScaledStageConvergesAlike) {
    for (double acc : {1e-5, 1e-7}) {
        SCOPED_TRACE("acc_limit " + std::to_string(acc));
        const Solved one = solve_scaled(1.0, acc);
        ASSERT_EQ(one.result, 0);
        EXPECT_GT(one.eff, 0.5);
        EXPECT_LT(one.eff, 1.0);
        for (double s : {10.0, 100.0}) {
            SCOPED_TRACE("scale " + std::to_string(s));
            const Solved big = solve_scaled(s, acc);
            EXPECT_EQ(big.result, 0);
            EXPECT_EQ(big.iter, one.iter);
            EXPECT_NEAR(big.eff, one.eff, 1e-9);
            EXPECT_NEAR(big.p2, one.p2, 1e-9 * one.p2);
            EXPECT_NEAR(big.Nc_by_G, one.Nc_by_G, 1e-9 * one.Nc_by_G);
            // The defects are relative: the same, bar rounding.
            EXPECT_NEAR(big.accuracy, one.accuracy, 1e-6 * one.accuracy);
            EXPECT_LT(big.accuracy, acc);
        }
    }
}

}  // namespace
