// Whole cases solved streamline by streamline: the shipped example stage with
// its plug-ins, against the conservation laws every streamline must keep.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "halvorine2/halvorine2.h"
#include "solver/solver_api.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/example_stage.h"

namespace {

constexpr double kGravity = 9.81;  // m/s^2
constexpr double kTwoPi = 6.2831853;

class StreamlineSolve : public h2::test::LiveCaseTest {
protected:
    h2::test::CapturedConsole console_;
};

// The example solves per streamline with result 0. On every streamline (its
// last one ends at a predicted radius and is left out where radii enter) the
// stator keeps the total enthalpy and the rotor the rothalpy, both apart from
// the work of gravity g (r1 - r2); the last stream tube closes on the casing;
// each outlet passes the case's flow; and the stator's swirl makes the hub
// streamline the fastest (radial equilibrium).
TEST_F(StreamlineSolve, TheExampleSolvesPerStreamlineWithResult0) {
    ASSERT_TRUE(h2::test::load_example_stage());
    bdLocals* b = block();
    ASSERT_EQ(b->cyld_force1D, 0);
    ASSERT_EQ(b->cyld_nr, 3);
    ASSERT_EQ(bestXN(), 0) << console_.text();
    const int n = b->cyld_nr - 1;

    for (int i = 1; i <= b->cyld_ns; ++i) {
        SCOPED_TRACE(i);
        const bool rotor = b->bld_wp[i] != 0.0;
        for (int j = 0; j < n; ++j) {
            SCOPED_TRACE(j);
            const double gravity = kGravity * (b->flow_r1[i][j] - b->flow_r2[i][j]);
            const double u2 = b->flow_u2[i][j];
            const double wu = b->flow_c2u[i][j] - std::fabs(u2);
            const double w2 = wu * wu + b->flow_c2s[i][j] * b->flow_c2s[i][j];
            // Rothalpy; in a stator (u 0) the total enthalpy. The outlet
            // enthalpy before the rotor's disk-friction and leakage losses,
            // which the loss step adds on top of the row's own expansion.
            const double I1 = b->isd_i1x[i][j] - b->flow_ucu1[i][j];
            EXPECT_NEAR(b->isd_i2r[i][j] + w2 / 2 - u2 * u2 / 2, I1 + gravity, 1e-9 * I1);
            if (!rotor) {
                EXPECT_EQ(u2, 0.0);
            }
        }
        EXPECT_NEAR(b->flow_r2[i][n], b->bld_Rt2[i], 1e-3 * b->bld_Rt2[i]);
        // Continuity over the span. The march closes each tube by Heun's rule in
        // the stream function, this sum by the trapezoid in the radius: over
        // two tubes the two differ by a few per cent where rho cs r varies.
        double G = 0.0;
        for (int j = 0; j < n; ++j) {
            const double q0 = b->isd_Ro2[i][j] * b->flow_c2s[i][j] * b->flow_r2[i][j];
            const double q1 = b->isd_Ro2[i][j + 1] * b->flow_c2s[i][j + 1] * b->flow_r2[i][j + 1];
            G += kTwoPi * (q0 + q1) / 2 * (b->flow_r2[i][j + 1] - b->flow_r2[i][j]);
        }
        EXPECT_NEAR(G * b->los_Fp[i][1], b->elem_G2[i], 0.04 * b->elem_G2[i]);
    }
    EXPECT_GT(b->flow_w2[1][0], b->flow_w2[1][1]);
    EXPECT_GT(b->flow_w2[1][1], b->flow_w2[1][2]);
}

}  // namespace
