// Compressor and fan rows on the perfect-gas stand-in against hand numbers:
// Euler work, velocity triangles, states on the inlet isentrope, rothalpy,
// continuity heights, the loss, deviation and blockage branch, and the
// inputs the single-row exports refuse.
#include <gtest/gtest.h>

#include <cmath>

#include "halvorine2/compressor_design.h"
#include "halvorine2/loss_plugin.h"
#include "solver/predesign/axial_compressor/compressor_rows.h"
#include "tests/solver/predesign/axial_compressor/compressor_case.h"
#include "tests/support/case_fixture.h"
#include "tests/support/case_snapshot.h"

namespace {

using h2::test::kI0;
using h2::test::kP0;
using h2::test::kTruncatedPi;

void expect_rel(double actual, double expected, double rel) {
    EXPECT_NEAR(actual, expected, std::fabs(expected) * rel) << "expected " << expected;
}

constexpr double kKin = 1e-12;
constexpr double kState = 1e-10;
constexpr double kHeight = 1e-8;
constexpr double kAngle = 1e-6;

// Element 0's outlet (cz 150, cu 40), a rotor (element 1) and the stator
// behind it (element 2) as the tests of the rows set them up.
class CompressorRows : public h2::test::PathCaseTest {
protected:
    void SetUp() override {
        PathCaseTest::SetUp();
        build();
    }
    // The case of the tests, made afresh.
    void build() {
        h2::test::make_compressor_case(2);
        b = block();
        h2::test::set_outlet(0, 150.0, 40.0);
        b->bld_wp[1] = 1200.0;
        b->bld_z[1] = 30.0;
        b->bld_d1[1] = 0.50;
        b->bld_d2[1] = 0.52;
        b->elem_Ht[1] = 0.25;
        b->flow_c2z[1][0] = 150.0;
        b->cas_iR[1][0] = 0.7;
        b->bld_z[2] = 30.0;
        b->bld_d1[2] = b->bld_d2[2] = 0.52;
        b->flow_c2z[2][0] = 140.0;
        for (int e = 1; e <= 2; ++e) {
            b->elem_G1[e] = 20.0;
            b->los_Fp[e][0] = 0.95;
        }
    }
    bdLocals* b = nullptr;
};

TEST_F(CompressorRows, FreshRotorMeetsEulerWorkRothalpyAndContinuity) {
    const double z = b->bld_z[1];
    ASSERT_EQ(scgR(1), 0);
    EXPECT_DOUBLE_EQ(b->flow_u1[1][0], 300.0);
    EXPECT_DOUBLE_EQ(b->flow_u2[1][0], 312.0);
    expect_rel(b->enrg_Lu[1][0], 24336.0, kKin);
    expect_rel(b->flow_c2u[1][0], (300.0 * 40.0 + 24336.0) / 312.0, kKin);
    expect_rel(b->flow_w1[1][0], 300.166620396073, kKin);
    expect_rel(b->cas_B1[1][0], 150.018382, kAngle);
    expect_rel(b->cas_A1[1][0], 75.068594, kAngle);
    expect_rel(b->cas_B1g[1][0], 150.718382, kAngle);
    expect_rel(b->cas_B2[1][0], 142.507756, kAngle);
    expect_rel(b->cas_A2[1][0], 52.173876, kAngle);
    expect_rel(b->isd_p1wx[1][0], 147760.627066, kState);
    expect_rel(b->isd_p2wx[1][0], 153724.887212, kState);
    expect_rel(b->isd_p2x[1][0], 134345.449493, kState);
    expect_rel(b->isd_p2[1][0], 109247.677655, kState);
    expect_rel(b->isd_Ro2[1][0], 1.29066680, 1e-8);
    // A loss-free row stays on the inlet isentrope.
    EXPECT_NEAR(b->isd_s2[1][0], b->isd_s1[1][0], 1e-9);
    // Total enthalpy rise is the Euler work u2 c2u - u1 c1u.
    expect_rel(b->isd_i2x[1][0] - kI0, 312.0 * b->flow_c2u[1][0] - 300.0 * 40.0, kKin);
    // Rothalpy i + w^2/2 - u^2/2 is carried across the rotor.
    const double I1 = b->isd_i1wx[1][0] - 300.0 * 300.0 / 2.0;
    const double I2 = b->isd_i2wx[1][0] - 312.0 * 312.0 / 2.0;
    EXPECT_NEAR(I2, I1, 1e-9 * I1);
    // Continuity at the outlet: G = rho c_z pi d2 l2 Fp.
    expect_rel(b->bld_l2[1], 0.0665652818, kHeight);
    expect_rel(b->isd_Ro2[1][0] * 150.0 * kTruncatedPi * 0.52 * b->bld_l2[1] * 0.95, 20.0, 1e-14);
    // Without the loss models the blade count, pitch and blade angle stay.
    EXPECT_EQ(b->bld_z[1], z);
    EXPECT_EQ(b->cas_t[1][0], 0.0);
    EXPECT_EQ(b->cas_B2g[1][0], 0.0);

    const h2::test::Snapshot once = h2::test::snapshot(b);
    ASSERT_EQ(scgR(1), 0);
    EXPECT_TRUE(h2::test::snapshot(b) == once) << "a second call changed the row";
}

TEST_F(CompressorRows, StatorRestoresTheRotorInletAngleAndKeepsTheTotalState) {
    ASSERT_EQ(scgR(1), 0);
    ASSERT_EQ(scgR(2), 0);
    expect_rel(b->flow_c2u[2][0], 40.0 * 140.0 / 150.0, kKin);
    expect_rel(b->cas_A2[2][0], b->cas_A1[1][0], 1e-12);
    EXPECT_EQ(b->cas_B1[2][0], b->cas_A2[1][0]);
    EXPECT_EQ(b->isd_i2x[2][0], b->isd_i2x[1][0]);
    EXPECT_EQ(b->isd_p2x[2][0], b->isd_p2x[1][0]);
    expect_rel(b->isd_p2[2][0], 119285.650629, kState);
    expect_rel(b->bld_l2[2], 0.0669795822, kHeight);
    // With the stator computed, the rotor's reaction is its share of the static rise.
    ASSERT_EQ(scgR(1), 0);
    expect_rel(b->elem_R[1], 0.708960418, 1e-8);
}

TEST_F(CompressorRows, LossBranchSizesBladesAndTakesTheLossAndBlockage) {
    b->ICLos = 1;
    b->cas_tb[1][0] = 1.0;
    b->cas_b[1][0] = 0.05;
    b->cas_dR[1][0] = 2.0;
    b->los_om[1][0] = 0.03;
    b->cas_blck[1][0] = 0.04;
    b->cas_tb[2][0] = 0.9;
    b->cas_b[2][0] = 0.045;
    b->cas_dR[2][0] = 1.5;
    b->los_om[2][0] = 0.04;
    b->cas_blck[2][0] = 0.02;
    ASSERT_EQ(scgR(1), 0);
    expect_rel(b->cas_t[1][0], 0.05, kKin);
    EXPECT_EQ(b->bld_z[1], 32.0);
    expect_rel(b->cas_B2g[1][0], 142.507756 - 2.0, kAngle);
    EXPECT_EQ(b->cas_B2a[1][0], b->cas_B2g[1][0]);
    EXPECT_DOUBLE_EQ(b->los_Fp[1][0], 0.96);
    expect_rel(b->isd_p2wx[1][0], 151912.163761, kState);
    expect_rel(b->isd_s2[1][0] - b->isd_s1[1][0], 287.5 * std::log(153724.887212 / 151912.163761), 1e-8);
    expect_rel(b->isd_s2[1][0] - b->isd_s1[1][0], 3.41034637, 1e-8);
    expect_rel(b->isd_p2x[1][0], 132761.248319, kState);
    expect_rel(b->isd_p2[1][0], 107959.429338, kState);
    expect_rel(b->bld_l2[1], 0.0666579235, kHeight);

    ASSERT_EQ(scgR(2), 0);
    EXPECT_EQ(b->bld_z[2], 40.0);
    expect_rel(b->cas_B2g[2][0], 75.068594 + 1.5, kAngle);
    const double p1x = b->isd_p1x[2][0], p1 = b->isd_p1[2][0];
    expect_rel(b->isd_p2x[2][0], p1x - 0.04 * (p1x - p1), 1e-14);
    expect_rel(b->isd_p2x[2][0], 131769.17556, kState);
    expect_rel(b->isd_s2[2][0] - b->isd_s1[2][0], 2.15644198, 1e-8);
    expect_rel(b->isd_p2[2][0], 116998.170752, kState);
    expect_rel(b->bld_l2[2], 0.0661986443, kHeight);
}

TEST_F(CompressorRows, FanRowTakesWorkFromTheInletBladeSpeed) {
    b->flow_c2z[1][0] = 140.0;
    ASSERT_EQ(sfgR(1), 0);
    expect_rel(b->enrg_Lu[1][0], 0.25 * 300.0 * 300.0, kKin);
    expect_rel(b->flow_c2u[1][0], 110.576923076923, kKin);
    expect_rel(b->flow_w1[1][0], 300.166620396073, kKin);  // the inlet axial velocity
    EXPECT_EQ(b->cas_B1g[1][0], b->cas_B1[1][0]);
    const double I1 = b->isd_i1wx[1][0] - 300.0 * 300.0 / 2.0;
    const double I2 = b->isd_i2wx[1][0] - 312.0 * 312.0 / 2.0;
    EXPECT_NEAR(I2, I1, 1e-9 * I1);
    expect_rel(b->isd_p2x[1][0], 131618.584006, kState);
    expect_rel(b->isd_p2[1][0], 109612.100977, kState);
    expect_rel(b->bld_l2[1], 0.0711504966, kHeight);
    expect_rel(b->isd_Ro2[1][0] * 140.0 * kTruncatedPi * 0.52 * b->bld_l2[1] * 0.95, 20.0, 1e-14);
}

TEST_F(CompressorRows, GravityHeadsAndSlopesEnterTheRows) {
    // Streamline radii falling through the rows: gravity adds 9.81 (r_out - r_in).
    b->flow_r2[0][0] = 0.30;
    b->flow_r1[1][0] = 0.25;
    b->flow_r2[1][0] = 0.27;
    b->flow_r1[2][0] = 0.26;
    b->flow_r2[2][0] = 0.24;
    b->cas_t2[1][0] = 10.0;
    b->cas_t2[2][0] = 20.0;
    ASSERT_EQ(scgR(1), 0);
    ASSERT_EQ(scgR(2), 0);
    expect_rel(b->isd_i1x[1][0], kI0 + 9.81 * (0.30 - 0.25), 1e-14);
    expect_rel(b->isd_i2x[1][0], b->isd_i1x[1][0] + b->enrg_Lu[1][0] + 9.81 * (0.25 - 0.27), 1e-14);
    expect_rel(b->isd_i1x[2][0], b->isd_i2x[1][0] + 9.81 * (0.27 - 0.26), 1e-14);
    expect_rel(b->isd_i2x[2][0], b->isd_i1x[2][0] + 9.81 * (0.26 - 0.24), 1e-14);
    // The meridional velocity on a slope: c_s = c_z / cos(theta).
    expect_rel(b->flow_c2s[1][0], 150.0 / std::cos(10.0 * 0.01745329), 1e-14);
    expect_rel(b->flow_w1[1][0], std::hypot(b->flow_c2s[1][0], 40.0 - 300.0), 1e-14);
    expect_rel(b->flow_c2s[2][0], 140.0 / std::cos(20.0 * 0.01745329), 1e-14);
    // A guide vane behind a sloped row meets that row's meridional velocity.
    b->bld_wp[1] = 0.0;
    b->cas_t2[0][0] = 5.0;
    ASSERT_EQ(h2::predesign::ac_guide_vane_row(1, 0, 80.0), 0);
    expect_rel(b->flow_c1s[1][0], 150.0 / std::cos(5.0 * 0.01745329), 1e-14);
    expect_rel(b->flow_c2s[1][0], 150.0 / std::cos(10.0 * 0.01745329), 1e-14);
}

TEST_F(CompressorRows, RefusedRowsLeaveTheCaseUntouched) {
    struct Case {
        const char* name;
        int (*call)(int);
        int i;
        void (*spoil)(bdLocals*);
    };
    const Case cases[] = {
        {"scgR element 0", &scgR, 0, nullptr},
        {"scgR past the path", &scgR, 3, nullptr},
        {"sfgR negative", &sfgR, -1, nullptr},
        {"sfgR past the path", &sfgR, 3, nullptr},
        {"sfgR without speed", &sfgR, 2, nullptr},
        {"sfgR without diameter", &sfgR, 1, [](bdLocals* c) { c->bld_d2[1] = 0.0; }},
        {"scgR rotor without diameter", &scgR, 1, [](bdLocals* c) { c->bld_d2[1] = 0.0; }},
        {"scgR stator behind a rotor without inlet flow", &scgR, 2, nullptr},
        {"scgR counts beyond the arrays", &scgR, 1, [](bdLocals* c) { c->cyld_ns = 7; }},
        {"sfgR without a fluid", &sfgR, 1, [](bdLocals* c) { c->fluid_func = nullptr; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(free_probdata(), 0);
        build();
        if (c.spoil != nullptr) c.spoil(b);
        const h2::test::Snapshot before = h2::test::snapshot(b);
        EXPECT_EQ(c.call(c.i), 1);
        EXPECT_TRUE(h2::test::snapshot(b) == before);
    }
}

TEST(CompressorRowsNoCase, RefusedWithoutACase) {
    EXPECT_EQ(scgR(1), 1);
    EXPECT_EQ(sfgR(1), 1);
}

TEST_F(CompressorRows, InletStateAxialAndSwirled) {
    b->elem_G1[0] = 20.0;
    b->bld_d2[0] = 0.5;
    ASSERT_EQ(h2::predesign::ac_row_state(150.0, 90.0), 0);
    EXPECT_EQ(b->flow_c2u[0][0], 0.0);
    // atan2(c_z, 0) is a full right angle; the truncated factor reads it as 90.000013.
    expect_rel(b->cas_B1[0][0], (M_PI / 2.0) / 0.01745329, 1e-14);
    EXPECT_NEAR(b->cas_B1[0][0], 90.000013, 1e-6);
    EXPECT_EQ(b->cas_A2[0][0], b->cas_B1[0][0]);
    EXPECT_EQ(b->elem_G2[0], 20.0);
    // Static state on the inlet isentrope and the height that carries the flow.
    expect_rel(b->isd_i2[0][0], kI0 - 150.0 * 150.0 / 2.0, kKin);
    const double T = b->isd_i2[0][0] / h2::test::kCp;
    expect_rel(b->isd_p2[0][0], kP0 * std::pow(T / 288.15, 3.5), 1e-10);
    expect_rel(b->bld_l2[0], 20.0 / (kTruncatedPi * 0.5 * b->isd_Ro2[0][0] * 150.0), 1e-14);
    EXPECT_EQ(b->bld_l1[0], b->bld_l2[0]);

    // A swirl that leaves no static enthalpy at the hub: refused, section written.
    b->bld_d2[0] = 0.1;
    EXPECT_EQ(h2::predesign::ac_row_state(150.0, 0.1), 1);
    EXPECT_GT(b->flow_c2u[0][0], 1e4);
}

TEST_F(CompressorRows, FanInletTakesTheRotorFlowCoefficient) {
    b->elem_G1[0] = 20.0;
    b->bld_d2[0] = 0.5;
    b->elem_cz_[1] = 0.4;
    ASSERT_EQ(h2::predesign::af_row_state(0.0, 90.0), 0);
    EXPECT_DOUBLE_EQ(b->flow_c1z[0][0], 0.5 * 0.52 * 1200.0 * 0.4);
    b->elem_cz_[1] = 0.0;
    ASSERT_EQ(h2::predesign::af_row_state(0.0, 90.0), 0);
    EXPECT_EQ(b->flow_c1z[0][0], 25.0);
}

// Records the outlet pressure a profile-loss model sees.
double g_seen_p2 = -1.0;
void recording_profile_model(bdLocals* c, int e, int j) { g_seen_p2 = c->isd_p2[e][j]; }

TEST_F(CompressorRows, GuideVaneKindsTakeTheirOwnModelFamilies) {
    // Element 1 as a guide vane behind the inlet.
    b->bld_wp[1] = 0.0;
    b->ICLos = 1;
    b->cas_dR[1][0] = 2.0;
    b->dev_scale[1] = 1.0;
    b->cas_t[1][0] = 0.05;
    b->elem_MethodP[1] = 1.0;
    b->LossSlots[H2_LOSS_P][1] = reinterpret_cast<LossEntry>(&recording_profile_model);
    // Kind 1 (accelerating): turbine deviation adds, the first pass sees p2 = p1.
    ASSERT_EQ(h2::predesign::ac_guide_vane_row(1, 1, 80.0), 0);
    EXPECT_EQ(g_seen_p2, b->isd_p1[1][0]);
    expect_rel(b->cas_B2[1][0], 82.0, 1e-14);
    EXPECT_EQ(b->cas_B2a[1][0], 80.0);
    EXPECT_EQ(b->los_Fp[1][0], 1.0);
    expect_rel(b->cas_a2[1][0], std::sin(80.0 * 0.01745329) * 0.05, 1e-14);
    // Kind 0 (compressor): the axial-compressor deviation subtracts for a stator.
    ASSERT_EQ(h2::predesign::ac_guide_vane_row(1, 0, 80.0), 0);
    expect_rel(b->cas_B2[1][0], 78.0, 1e-14);
    // 90 degrees leaves the truncated factor's swirl.
    b->ICLos = 0;
    b->los_om[1][0] = 0.0;
    ASSERT_EQ(h2::predesign::ac_guide_vane_row(1, 0, 90.0), 0);
    expect_rel(b->flow_c2u[1][0] / 150.0, 2.268e-7, 1e-3);
    EXPECT_EQ(b->isd_p2x[1][0], kP0);
}

}  // namespace
