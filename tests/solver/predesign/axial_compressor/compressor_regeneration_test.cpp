// Regeneration passes of compressor and fan modules against the balances of
// the machine: the outlet target met, Euler work equal to the total-enthalpy
// rise, a loss-free path on its inlet isentrope, continuity at every row of
// the final geometry, and bad runs refused without a write.
#include <gtest/gtest.h>

#include <cmath>

#include "halvorine2/compressor_design.h"
#include "tests/solver/predesign/axial_compressor/compressor_case.h"
#include "tests/support/case_fixture.h"
#include "tests/support/case_snapshot.h"

namespace {

using h2::test::kI0;
using h2::test::kP0;
using h2::test::kTruncatedPi;

// Elements 0, rotor, stator, rotor, stator: hub 0.45 m held, 20 kg/s,
// 1200 rad/s, flow coefficients 0.5, loadings 0.32 and 0.28, outlet static
// target 170000 Pa, no losses.
class AxialRegeneration : public h2::test::PathCaseTest {
protected:
    void SetUp() override {
        PathCaseTest::SetUp();
        build();
    }
    // The case of the tests, made afresh.
    void build() {
        h2::test::make_compressor_case(4);
        b = block();
        b->RELAX = 1.0;
        b->acc_limit = 1e-9;
        b->IM = 500;
        b->elem_G1[0] = 20.0;
        b->cas_B1[0][0] = 90.0;
        for (int e = 0; e <= 4; ++e) {
            b->elem_VARTD[e] = 0.0;
            b->bld_d2s[e] = 0.45;
            b->bld_l2[e] = b->bld_l1[e] = 0.1;
            b->los_Fp[e][0] = 1.0;
            if (e == 0) continue;
            const bool rotor = e % 2 == 1;
            b->bld_wp[e] = rotor ? 1200.0 : 0.0;
            b->bld_z[e] = rotor ? 40.0 : 50.0;
            b->cas_tb[e][0] = 1.0;
            b->elem_cz_[e] = 0.5;
            b->clrn_d1[e] = 0.005;
        }
        b->elem_Ht[1] = 0.32;
        b->elem_Ht[3] = 0.28;
        b->isd_p2[4][0] = 170000.0;
        b->elem_p2[4] = 170000.0;  // the path's outlet target
    }

    // The balances every converged run meets on elements from..to.
    void expect_machine(int from, int to, double p_out) {
        const int last = to;
        EXPECT_NEAR(b->isd_p2[last][0], p_out, 2e-8 * p_out);
        double work = 0.0;
        for (int e = from; e <= to; ++e) {
            SCOPED_TRACE(e);
            EXPECT_EQ(b->elem_G1[e], 20.0);
            EXPECT_EQ(b->elem_G2[e], 20.0);
            const double cz = b->flow_c2z[e][0];
            // Continuity with the final geometry.
            const double G =
                b->isd_Ro2[e][0] * cz * kTruncatedPi * b->bld_d2[e] * b->bld_l2[e] * b->los_Fp[e][0];
            EXPECT_NEAR(G, 20.0, 20.0 * 1e-6);
            EXPECT_NEAR(b->bld_Rh2[e], 0.225, 1e-15);
            EXPECT_EQ(b->bld_Rh1[e], b->bld_Rh2[e - 1]);
            EXPECT_EQ(b->bld_Rt1[e], b->bld_Rt2[e - 1]);
            EXPECT_NEAR(b->cas_t[e][0] * b->bld_z[e], kTruncatedPi * b->bld_d2[e], 1e-14);
            EXPECT_EQ(b->bld_z[e], e % 2 == 1 ? 40.0 : 50.0);
            EXPECT_GT(b->cas_x2[e][0], b->cas_x2[e - 1][0]);
            if (e % 2 == 1) {
                // No swirl into the rotor: Euler c2u = Ht u2.
                EXPECT_NEAR(b->flow_c1u[e][0], 0.0, 1e-9);
                EXPECT_NEAR(b->flow_c2u[e][0], b->elem_Ht[e] * b->flow_u2[e][0], 1e-10);
                work += b->flow_u2[e][0] * b->flow_c2u[e][0];
            } else {
                EXPECT_NEAR(b->flow_c2u[e][0], 0.0, 1e-9);
            }
        }
        // Energy: the outlet total enthalpy rise is the Euler work and the
        // gravity head from the run's inlet radius down to its outlet radius.
        const double head = 9.81 * (b->flow_r2[from - 1][0] - b->flow_r2[last][0]);
        EXPECT_NEAR(b->isd_i2x[last][0] - b->isd_i2x[from - 1][0], work + head, 1e-7 * work);
        // Loss-free: the outlet lies on the inlet isentrope.
        const double T = b->isd_i2x[last][0] / h2::test::kCp;
        const double T0 = b->isd_i2x[from - 1][0] / h2::test::kCp;
        const double p_is = b->isd_p2x[from - 1][0] * std::pow(T / T0, 3.5);
        EXPECT_NEAR(b->isd_p2x[last][0], p_is, 1e-6 * p_is);
    }
    bdLocals* b = nullptr;
};

TEST_F(AxialRegeneration, MeetsTheTargetAndConservesMassEnergyAndContinuity) {
    ASSERT_EQ(scgRN(0, 4), 0);
    expect_machine(1, 4, 170000.0);
    EXPECT_NEAR(b->elem_Ht[1], 0.333947, 1e-6);
    EXPECT_NEAR(b->elem_Ht[3], 0.292203, 1e-6);
    EXPECT_NEAR(b->elem_Ht[1] / b->elem_Ht[3], 8.0 / 7.0, 1e-12);
    EXPECT_NEAR(b->isd_i2x[4][0] - kI0, 57425.1, 57425.1 * 1e-5);
    EXPECT_NEAR(b->bld_Rh2[0], 0.225, 1e-15);

    const double Ht1 = b->elem_Ht[1];
    ASSERT_EQ(scgRN(0, 4), 0);
    expect_machine(1, 4, 170000.0);
    EXPECT_NEAR(b->elem_Ht[1], Ht1, 1e-6 * Ht1);
}

TEST_F(AxialRegeneration, ARunBehindTheFirstLeavesItUntouched) {
    b->isd_p2[2][0] = 132000.0;
    ASSERT_EQ(scgRN(0, 2), 0);
    EXPECT_NEAR(b->isd_p2[2][0], 132000.0, 132000.0 * 2e-8);
    b->isd_p2[4][0] = 170000.0;
    // Elements 0-2 as the first run left them.
    const std::vector<double> keep = {b->isd_p2[2][0], b->bld_d2[2],  b->bld_l2[2],  b->flow_c2u[2][0],
                                      b->cas_x2[2][0], b->bld_Rh2[2], b->elem_Ht[1], b->isd_i2x[2][0]};
    ASSERT_EQ(scgRN(2, 4), 0);
    EXPECT_NEAR(b->isd_p2[4][0], 170000.0, 170000.0 * 2e-8);
    const std::vector<double> after = {b->isd_p2[2][0], b->bld_d2[2],  b->bld_l2[2],  b->flow_c2u[2][0],
                                       b->cas_x2[2][0], b->bld_Rh2[2], b->elem_Ht[1], b->isd_i2x[2][0]};
    EXPECT_EQ(after, keep);
    expect_machine(3, 4, 170000.0);
}

TEST_F(AxialRegeneration, RefusedRunsLeaveTheCaseUntouched) {
    struct Case {
        const char* name;
        int first, last;
        void (*spoil)(bdLocals*);
    };
    const Case cases[] = {
        {"negative first", -1, 4, nullptr},
        {"past the path", 0, 5, nullptr},
        {"too short", 3, 4, nullptr},
        {"no stage", 0, 1, nullptr},
        // Element 1 then reads as an inlet guide vane, and the stator 2 as the stage rotor.
        {"rotor without speed", 0, 4, [](bdLocals* c) { c->bld_wp[1] = 0.0; }},
        {"rotor without blades", 0, 4, [](bdLocals* c) { c->bld_z[1] = 0.0; }},
        {"inlet angle 0", 0, 4, [](bdLocals* c) { c->cas_B1[0][0] = 0.0; }},
        {"inlet angle 180", 0, 4, [](bdLocals* c) { c->cas_B1[0][0] = 180.0; }},
        {"counts beyond the arrays", 0, 4, [](bdLocals* c) { c->cyld_ns = 9; }},
        {"guide vane angle 200", 0, 3,
         [](bdLocals* c) {
             c->bld_wp[1] = 0.0;  // element 1 a guide vane, 2 the rotor
             c->bld_wp[2] = 1200.0;
             c->cas_B2[1][0] = 200.0;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(free_probdata(), 0);
        build();
        if (c.spoil != nullptr) c.spoil(b);
        const h2::test::Snapshot before = h2::test::snapshot(b);
        EXPECT_EQ(scgRN(c.first, c.last), 1);
        EXPECT_TRUE(h2::test::snapshot(b) == before);
    }
}

// Element 0 and one fan rotor: 600 rad/s, hub 0.5 m held, 40 kg/s, outlet
// static target 108000 Pa.
class FanRegeneration : public h2::test::PathCaseTest {
protected:
    void SetUp() override {
        PathCaseTest::SetUp();
        build();
    }
    // The case of the tests, made afresh.
    void build() {
        h2::test::make_compressor_case(1);
        b = block();
        b->RELAX = 3.0;
        b->acc_limit = 1e-9;
        b->cyld_VARTD = 0;
        b->elem_G1[0] = 40.0;
        b->cas_B1[0][0] = 90.0;
        b->bld_d2[0] = 0.6;
        b->bld_d2s[1] = 0.5;
        b->bld_l2[1] = 0.1;
        b->bld_wp[1] = 600.0;
        b->bld_z[1] = 20.0;
        b->elem_cz_[1] = 0.5;
        b->los_Fp[1][0] = 1.0;
        b->elem_p2[1] = 108000.0;
    }
    bdLocals* b = nullptr;
};

TEST_F(FanRegeneration, LoadingFromAnyStartMeetsTheTarget) {
    double loading[2] = {};
    const double starts[2] = {0.25, 0.0};
    for (int s = 0; s < 2; ++s) {
        SCOPED_TRACE(starts[s]);
        b->elem_Ht[1] = starts[s];
        ASSERT_EQ(sfgRN(), 0);
        loading[s] = b->elem_Ht[1];
        EXPECT_NEAR(b->isd_p2[1][0], 108000.0, 108000.0 * 2e-6);
        const double u1 = b->flow_u1[1][0];
        EXPECT_NEAR(b->enrg_Lu[1][0], b->elem_Ht[1] * u1 * u1, 1e-9);
        EXPECT_NEAR(b->isd_i2x[1][0] - kI0, b->enrg_Lu[1][0], 1e-9 * b->enrg_Lu[1][0]);
        const double G = b->isd_Ro2[1][0] * b->flow_c2z[1][0] * kTruncatedPi * b->bld_d2[1] * b->bld_l2[1];
        EXPECT_NEAR(G, 40.0, 1e-12);
        const double p_is = kP0 * std::pow(b->isd_i2x[1][0] / kI0, 3.5);
        EXPECT_NEAR(b->isd_p2x[1][0], p_is, 1e-9 * p_is);
    }
    EXPECT_NEAR(loading[0], 0.31190, 5e-5);
    EXPECT_NEAR(loading[1], 0.31190, 5e-5);
    EXPECT_NEAR(loading[0], loading[1], 5e-5);
}

TEST_F(FanRegeneration, RefusedFansLeaveTheCaseUntouched) {
    struct Case {
        const char* name;
        void (*spoil)(bdLocals*);
    };
    const Case cases[] = {
        {"no rotor element", [](bdLocals* c) { c->cyld_ns = 0; }},
        {"rotor without speed", [](bdLocals* c) { c->bld_wp[1] = 0.0; }},
        {"inlet angle 0", [](bdLocals* c) { c->cas_B1[0][0] = 0.0; }},
        {"inlet angle 190", [](bdLocals* c) { c->cas_B1[0][0] = 190.0; }},
        {"no fluid", [](bdLocals* c) { c->fluid_func = nullptr; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(free_probdata(), 0);
        build();
        c.spoil(b);
        const h2::test::Snapshot before = h2::test::snapshot(b);
        EXPECT_EQ(sfgRN(), 1);
        EXPECT_TRUE(h2::test::snapshot(b) == before);
    }
}

TEST(RegenerationNoCase, RefusedWithoutACase) {
    EXPECT_EQ(scgRN(0, 4), 1);
    EXPECT_EQ(sfgRN(), 1);
}

}  // namespace
