// Row geometry of compressor modules: diameter laws, radii handed from row to
// row, pitch from the blade count, stagger and axial positions, and runs that
// start behind element 0.
#include <gtest/gtest.h>

#include <cmath>

#include "solver/predesign/axial_compressor/compressor_rows.h"
#include "tests/solver/predesign/axial_compressor/compressor_case.h"
#include "tests/support/case_fixture.h"
#include "tests/support/case_snapshot.h"

namespace {

using h2::predesign::ac_row_geometry;
using h2::predesign::af_row_geometry;
using h2::test::kTruncatedPi;

// Elements 0..ns with hub diameter 0.5 held, heights 0.1, 0.09, ...; rotors
// at odd elements (from first_rotor), 40 blades, relative pitch 0.8.
class RowGeometry : public h2::test::PathCaseTest {
protected:
    void build(int ns, int law) {
        h2::test::make_compressor_case(ns);
        b = block();
        for (int e = 0; e <= ns; ++e) {
            b->elem_VARTD[e] = law;
            b->bld_d2s[e] = 0.5;
            b->bld_l2[e] = b->bld_l1[e] = 0.1 - 0.01 * e;
            b->bld_d2[e] = 0.55;
            b->bld_z[e] = 40.0 + e;
            b->cas_tb[e][0] = 0.8;
            b->clrn_d1[e] = 0.01;
            b->cas_B1g[e][0] = 60.0;
            b->cas_B2a[e][0] = 80.0;
            b->enrg_Lu[e][0] = 1000.0 * e;
            b->elem_G1[e] = 20.0;
        }
    }
    bdLocals* b = nullptr;
};

TEST_F(RowGeometry, DiameterLawsGiveHubTipAndMean) {
    struct Case {
        int law;
        double hub, tip, mean;
    };
    const Case cases[] = {{0, 0.25, 0.35, 0.6}, {2, 0.15, 0.25, 0.4}, {1, 0.2, 0.3, 0.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.law);
        build(2, c.law);
        b->bld_l2[1] = 0.1;
        b->bld_d2[1] = 0.5;  // the mean law's held diameter
        ASSERT_EQ(ac_row_geometry(0, 0, 0, 0, 2), 0);
        EXPECT_NEAR(b->bld_Rh2[1], c.hub, 1e-15);
        EXPECT_NEAR(b->bld_Rt2[1], c.tip, 1e-15);
        EXPECT_NEAR(b->bld_d2[1], c.mean, 1e-15);
        EXPECT_EQ(free_probdata(), 0);
    }
}

TEST_F(RowGeometry, StagesHandRadiiOnAndPitchFillsTheCircumference) {
    build(4, 0);
    b->cas_B1g[1][0] = 100.0;
    b->cas_B2a[1][0] = 50.0;
    b->cas_B1g[2][0] = 40.0;
    b->cas_B2a[2][0] = 80.0;
    ASSERT_EQ(ac_row_geometry(0, 0, 0, 0, 4), 0);
    for (int e = 1; e <= 4; ++e) {
        SCOPED_TRACE(e);
        EXPECT_EQ(b->bld_Rh1[e], b->bld_Rh2[e - 1]);
        EXPECT_EQ(b->bld_Rt1[e], b->bld_Rt2[e - 1]);
        EXPECT_EQ(b->bld_d1[e], b->bld_d2[e - 1]);
        EXPECT_NEAR(b->cas_t[e][0] * b->bld_z[e], kTruncatedPi * b->bld_d2[e], 1e-14);
        EXPECT_NEAR(b->cas_b[e][0], b->cas_t[e][0] / 0.8, 1e-15);
        EXPECT_NEAR(b->bld_F2[e], kTruncatedPi * b->bld_d2[e] * b->bld_l2[e], 1e-15);
        EXPECT_DOUBLE_EQ(b->flow_r2[e][0], b->bld_d2[e] / 2.0);
        EXPECT_GT(b->cas_x2[e][0], b->cas_x2[e - 1][0]);
    }
    EXPECT_EQ(b->bld_Rh2[3], 0.25);  // the hub held
    EXPECT_NEAR(b->cas_Byct[1][0], -15.0, 1e-12);
    EXPECT_NEAR(b->cas_Byct[2][0], 30.0, 1e-12);
    EXPECT_NEAR(b->cas_x2[1][0], 0.01 + std::cos(-15.0 * 0.01745329) * b->cas_b[1][0], 1e-15);
    EXPECT_NEAR(b->cas_x2[2][0], b->cas_x2[1][0] + 0.01 + std::cos(30.0 * 0.01745329) * b->cas_b[2][0],
                1e-15);
    // Stage work and power on rotor and stator alike.
    EXPECT_EQ(b->elem_H[3], -3000.0);
    EXPECT_EQ(b->elem_H[4], -3000.0);
    EXPECT_EQ(b->elem_Ns[4], 60000.0);
}

TEST_F(RowGeometry, RotorOfAnotherModuleTakesItsOwnOutletDiameter) {
    build(4, 0);
    b->elem_moduleNum[3] = b->elem_moduleNum[4] = 1.0;
    ASSERT_EQ(ac_row_geometry(0, 0, 0, 0, 4), 0);
    EXPECT_EQ(b->bld_d1[3], b->bld_d2[3]);
    EXPECT_EQ(b->bld_d1[1], b->bld_d2[0]);
}

TEST_F(RowGeometry, NegativeHubStopsAtThatRow) {
    build(4, 2);
    b->bld_l2[3] = 0.3;  // tip 0.5 held, 0.3 high: hub radius -0.05
    EXPECT_EQ(ac_row_geometry(0, 0, 0, 0, 4), 1);
    EXPECT_EQ(b->cas_t[4][0], 0.0);
}

TEST_F(RowGeometry, PrerequisiteFactorsOnlyWithTheFlagAndABlock) {
    double prereq[125] = {};
    prereq[38] = 0.02;
    prereq[39] = 0.9;
    prereq[40] = 0.05;
    prereq[41] = 0.03;
    build(5, 0);  // guide vane at 1, one stage, outlet guide vane at 4... plus one
    b->prereq_ref = prereq;
    ASSERT_EQ(ac_row_geometry(0, 1, 1, 0, 4), 0);
    EXPECT_EQ(b->cas_r1[2][0], 0.0);
    ASSERT_EQ(ac_row_geometry(1, 1, 1, 0, 4), 0);
    for (int e = 1; e <= 4; ++e) {
        SCOPED_TRACE(e);
        EXPECT_NEAR(b->cas_r1[e][0], 0.05 * b->cas_b[e][0], 1e-15);
        EXPECT_NEAR(b->cas_r2[e][0], 0.03 * b->cas_b[e][0], 1e-15);
        EXPECT_EQ(b->cas_w1[e][0], 10.0);
        EXPECT_EQ(b->cas_w2[e][0], 5.0);
    }
    EXPECT_NEAR(b->clrn_to[3], 0.02 * b->cas_b[2][0], 1e-15);  // the rotor's chord
    EXPECT_NEAR(b->clrn_to[4], 0.02 * b->cas_b[4][0], 1e-15);
    // The outlet guide vane adds its whole chord; element 5 lies beyond the run.
    EXPECT_NEAR(b->cas_x2[4][0], b->cas_x2[3][0] + 0.01 + b->cas_b[4][0], 1e-15);
    EXPECT_EQ(b->cas_t[5][0], 0.0);
    // Without a block the flag reads as off.
    b->prereq_ref = nullptr;
    b->cas_r1[2][0] = 7.0;
    ASSERT_EQ(ac_row_geometry(1, 1, 1, 0, 4), 0);
    EXPECT_EQ(b->cas_r1[2][0], 7.0);
}

TEST_F(RowGeometry, RunBehindElementZeroWritesNothingAtOrBeforeItsFirst) {
    build(6, 0);
    // Elements 2..6: the run opens at 2; its stages are 3-4 and 5-6.
    const double x2_before = b->cas_x2[2][0] = 0.3;
    b->bld_Rh2[2] = 0.25;
    b->bld_Rt2[2] = 0.33;
    const h2::test::Snapshot before = h2::test::snapshot(b);
    ASSERT_EQ(ac_row_geometry(0, 0, 0, 2, 6), 0);
    for (int e = 0; e <= 2; ++e) {
        EXPECT_EQ(b->bld_Rh1[e], 0.0) << e;
        EXPECT_EQ(b->cas_t[e][0], 0.0) << e;
        EXPECT_EQ(b->flow_r2[e][0], 0.25) << e;
    }
    EXPECT_EQ(b->cas_x2[2][0], x2_before);
    EXPECT_EQ(b->bld_Rh1[3], 0.25);
    EXPECT_EQ(b->bld_Rt1[3], 0.33);
    EXPECT_GT(b->cas_t[6][0], 0.0);
    EXPECT_GT(b->cas_x2[3][0], x2_before);
    EXPECT_FALSE(h2::test::snapshot(b) == before);
}

TEST_F(RowGeometry, FanRowTakesItsOwnRadii) {
    build(1, 0);
    b->bld_d1[1] = 0.6;
    b->bld_l1[1] = 0.12;
    b->bld_d2[1] = 0.62;
    b->bld_l2[1] = 0.1;
    b->cas_b[1][0] = 0.08;
    b->cas_B1g[1][0] = 150.0;
    b->cas_B2a[1][0] = 130.0;
    ASSERT_EQ(af_row_geometry(0), 0);
    EXPECT_DOUBLE_EQ(b->bld_Rh1[1], 0.24);
    EXPECT_DOUBLE_EQ(b->bld_Rt2[1], 0.36);
    EXPECT_EQ(b->flow_r1[0][0], 0.3);
    EXPECT_EQ(b->cas_x2[1][0], 0.0);
    ASSERT_EQ(af_row_geometry(1), 0);  // no prerequisite block: read as 0
    EXPECT_EQ(b->cas_x2[1][0], 0.0);
    double prereq[125] = {};
    prereq[40] = 0.05;
    b->prereq_ref = prereq;
    ASSERT_EQ(af_row_geometry(1), 0);
    EXPECT_NEAR(b->cas_r1[1][0], 0.05 * 0.08, 1e-15);
    EXPECT_NEAR(b->cas_Byct[1][0], 50.0, 1e-12);
    EXPECT_NEAR(b->cas_x2[1][0], std::cos(50.0 * 0.01745329) * 0.08, 1e-15);
    b->bld_l1[1] = 0.7;
    EXPECT_EQ(af_row_geometry(1), 1);
    b->prereq_ref = nullptr;
}

}  // namespace
