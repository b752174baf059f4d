// Sizing steps of the turbine redesign: the clearance lines and caps, the
// blade height roots of (d +- l)^2 l = K, and the sizes that follow from a
// row's exit diameter, height and blade count.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "halvorine2/halvorine2.h"
#include "solver/predesign/axial_turbine/turbine_design.h"
#include "tests/support/case_fixture.h"

namespace {

using h2::test::LiveCaseTest;

constexpr double kPi = 3.14159265;

struct GapCase {
    double x, g1, g2, g3;
};
const GapCase kGaps[] = {
    {0.01, 0.0002, 0.0002, 0.0002},   {0.0199, 0.000398, 0.000398, 0.000398},
    {0.02, 0.0011, 0.00225, 0.00125},                            // the line branch includes 0.02
    {0.4, 0.003, 0.007, 0.006},       {1.0, 0.005, 0.01, 0.01},  // caps
    {0.8, 0.005, 0.01, 0.01},         {0.64, 0.0042, 0.01, 0.009},
    {0.72, 0.0046, 0.01, 0.01},       {-0.5, -0.01, -0.01, -0.01},
};

TEST(EstimateGaps, FollowsItsLinesAndCaps) {
    for (const GapCase& c : kGaps) {
        double g1 = 0, g2 = 0, g3 = 0;
        estimate_gaps(c.x, &g1, &g2, &g3);
        EXPECT_NEAR(g1, c.g1, 1e-15) << c.x;
        EXPECT_NEAR(g2, c.g2, 1e-15) << c.x;
        EXPECT_NEAR(g3, c.g3, 1e-15) << c.x;
    }
}

struct HeightCase {
    const char* form;
    double d, K, l;
};
const HeightCase kHeights[] = {
    {"hub", 1.0, 0.121, 0.1},                           // (1 + 0.1)^2 0.1
    {"tip", 1.0, 0.081, 0.1},                           // (1 - 0.1)^2 0.1
    {"hub", 1.0, 0.0, 0.0},                             // no flow, no height
    {"tip", 1.0, 0.0, 0.0},   {"tip", 1.0, 0.2, -1.0},  // above the tip form's maximum 4 d^3 / 27
    {"hub", 0.5, 0.5, 0.5},                             // (0.5 + 0.5)^2 0.5
    {"mean", 2.0, 0.8, 0.2},                            // K / d^2
};

TEST(BladeHeight, NewtonRootsOfTheAnnulusFlowParameter) {
    for (const HeightCase& c : kHeights) {
        const double l = std::string(c.form) == "hub"   ? stgHeightFromHub(c.d, c.K)
                         : std::string(c.form) == "tip" ? stgHeightFromTip(c.d, c.K)
                                                        : stgHeightFromMean(c.d, c.K);
        EXPECT_NEAR(l, c.l, 1e-12) << c.form << " " << c.K;
    }
}

TEST(BladeHeight, AFlatTipResidualIsNotFound) {
    // At l = d/3 the tip form has its maximum 4 d^3/27: Newton from 0 meets
    // the zero slope only when d = 0, which must answer "not found".
    EXPECT_EQ(stgHeightFromTip(0.0, 0.1), -1.0);
    EXPECT_EQ(stgHeightFromHub(0.0, 0.1), -1.0);
    // Just above the maximum there is no root either.
    EXPECT_EQ(stgHeightFromTip(1.0, 4.0 / 27.0 + 1e-6), -1.0);
}

class BladeSizesTest : public LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        allocate(1, 3);
        bdLocals& b = *block();
        b.elem_stagType[1] = 1.0;
        b.bld_z[1] = 50.0;
        b.bld_d2[1] = 2.0 / kPi;  // pitch pi d2 / z = 0.04
        b.bld_l2[1] = 0.1;
        b.bld_d1[1] = 2.0 / kPi;
        b.bld_l1[1] = 0.08;
        b.clrn_to[1] = 0.001;
        prereq[28] = 0.0;
        prereq[29] = 0.0;
    }
    void TearDown() override {
        block()->prereq_ref = nullptr;
        LiveCaseTest::TearDown();
    }
    double prereq[125] = {};
};

TEST_F(BladeSizesTest, AChordFromTheRelativePitchOrTheRelativePitchFromTheChord) {
    bdLocals& b = *block();
    const int m = 1;
    b.cas_tb[1][m] = 0.8;
    b.cas_b[1][m] = 0.07;
    b.prereq_ref = prereq;
    ASSERT_EQ(stgBladeSizes(1), 0);
    EXPECT_NEAR(b.cas_t[1][m], 0.04, 1e-15);
    EXPECT_NEAR(b.cas_bx[1][m], 0.05, 1e-15);
    EXPECT_NEAR(b.cas_b[1][m], 0.05, 1e-15);
    EXPECT_NEAR(b.bld_F2[1], kPi * b.bld_d2[1] * 0.1, 1e-15);
    // No prerequisite block: the case's chord is given, the relative pitch follows.
    b.prereq_ref = nullptr;
    b.cas_b[1][m] = 0.025;
    ASSERT_EQ(stgBladeSizes(1), 0);
    EXPECT_NEAR(b.cas_tb[1][m], 0.04 / 0.025, 1e-14);
    EXPECT_EQ(b.cas_b[1][m], 0.025);
    // A zero relative pitch keeps the chord instead of dividing by zero.
    b.prereq_ref = prereq;
    b.cas_tb[1][m] = 0.0;
    ASSERT_EQ(stgBladeSizes(1), 0);
    EXPECT_EQ(b.cas_b[1][m], 0.025);
    EXPECT_NEAR(b.cas_tb[1][m], 1.6, 1e-14);
}

TEST_F(BladeSizesTest, SealDiametersOfStatorAndRotor) {
    bdLocals& b = *block();
    const double d2 = b.bld_d2[1], l2 = 0.1, to = 0.001;
    b.cas_b[1][1] = 0.05;
    ASSERT_EQ(stgBladeSizes(1), 0);
    EXPECT_NEAR(b.bld_du[1], 0.7 * (d2 - l2), 1e-15);
    EXPECT_NEAR(b.bld_dub[1], 0.959 * (d2 - l2 - 2 * to), 1e-15);
    b.bld_du[1] = 0.3;  // a stored diaphragm seal stays
    b.bld_wp[1] = 100.0;
    ASSERT_EQ(stgBladeSizes(1), 0);
    EXPECT_EQ(b.bld_du[1], 0.3);
    EXPECT_NEAR(b.bld_dub[1], (d2 + l2 + 2 * to) / 0.959, 1e-15);
}

TEST_F(BladeSizesTest, StreamlinesDivideTheAnnulusIntoEqualAreas) {
    bdLocals& b = *block();
    b.cas_b[1][1] = 0.05;
    b.bld_wp[1] = 100.0;
    ASSERT_EQ(stgBladeSizes(1), 0);
    const double d1 = b.bld_d1[1], l1 = 0.08, d2 = b.bld_d2[1], l2 = 0.1;
    const double rh1 = (d1 - l1) / 2, rt1 = (d1 + l1) / 2, rh2 = (d2 - l2) / 2, rt2 = (d2 + l2) / 2;
    EXPECT_DOUBLE_EQ(b.bld_Rh1[1], rh1);
    EXPECT_DOUBLE_EQ(b.bld_Rt2[1], rt2);
    for (int j = 0; j < 3; ++j) {
        const double r1 = std::sqrt(rh1 * rh1 + (rt1 * rt1 - rh1 * rh1) * j / 2.0);
        const double r2 = std::sqrt(rh2 * rh2 + (rt2 * rt2 - rh2 * rh2) * j / 2.0);
        EXPECT_NEAR(b.flow_r1[1][j], r1, 1e-15) << j;
        EXPECT_NEAR(b.flow_r2[1][j], r2, 1e-15) << j;
        EXPECT_NEAR(b.cas_ra2[1][j], rh2 + (rt2 - rh2) * j / 2.0, 1e-15) << j;
    }
    // Hub, mid and tip blade speeds from their radii.
    EXPECT_NEAR(b.flow_u2[1][0], 100.0 * rh2, 1e-12);
    EXPECT_NEAR(b.flow_u2[1][1], 100.0 * d2 / 2, 1e-12);
    EXPECT_NEAR(b.flow_u1[1][2], 100.0 * rt1, 1e-12);
    // One-dimensional: the sections sit evenly between hub and tip.
    b.cyld_force1D = 1;
    ASSERT_EQ(stgBladeSizes(1), 0);
    EXPECT_NEAR(b.flow_r2[1][1], (rh2 + rt2) / 2, 1e-15);
}

TEST_F(BladeSizesTest, ANegativeHubRadiusFailsAfterTheRadiiAreWritten) {
    bdLocals& b = *block();
    b.cas_b[1][1] = 0.05;
    b.bld_d2[1] = 0.05;  // below the height 0.1
    EXPECT_EQ(stgBladeSizes(1), 1);
    EXPECT_NEAR(b.bld_Rh2[1], -0.025, 1e-15);
    EXPECT_NEAR(b.flow_r2[1][0], -0.025, 1e-15);
    EXPECT_EQ(stgBladeSizes(5), 1);
}

}  // namespace
