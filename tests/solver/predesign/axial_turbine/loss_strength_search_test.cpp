// The loss-versus-strength search over the stator of the shipped stage, solved
// with its loss plug-ins: the sampled points are those of the LPtau sequence
// (the first coordinate of point i is the base-2 radical inverse of i), the
// search keeps the first point of the strictly best velocity coefficient, as
// single-point runs show, and a search where nothing qualifies leaves the row
// as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "halvorine2/halvorine2.h"
#include "solver/predesign/axial_turbine/turbine_design.h"
#include "solver/predesign/predesign_tables.h"
#include "solver/solver_api.h"
#include "tests/support/case_fixture.h"
#include "tests/support/example_stage.h"

namespace {

using h2::test::LiveCaseTest;

// Van der Corput: the bits of i mirrored behind the binary point.
double radical_inverse(unsigned i) {
    double x = 0.0, f = 0.5;
    for (; i != 0; i >>= 1, f /= 2)
        if (i & 1u) x += f;
    return x;
}

class SearchTest : public LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        ASSERT_TRUE(h2::test::load_example_stage());
        ASSERT_EQ(bestXN(), 0);
        bdLocals& b = *block();
        m = b.cyld_nr / 2;
        b.cyld_VART = 1;
        b.ICLos = 1;
        b.elem_cz_[1] = b.flow_c2z[1][m] / (3000.0 * b.bld_d2[1] / 2.0);
        b.elem_VARTD[1] = 1;
        b.bld_d2s[1] = b.bld_d2[1];
        save();
    }
    void TearDown() override {
        term_model();
        LiveCaseTest::TearDown();
    }
    void save() {
        const bdLocals& b = *block();
        chord = b.cas_b[1][m], bx = b.cas_bx[1][m], t = b.cas_t[1][m], tb = b.cas_tb[1][m], z = b.bld_z[1];
    }
    void restore() {
        bdLocals& b = *block();
        b.cas_b[1][m] = chord, b.cas_bx[1][m] = bx, b.cas_t[1][m] = t, b.cas_tb[1][m] = tb, b.bld_z[1] = z;
    }
    // A relative-pitch search of the stator over points first..last, limits ignored.
    int search(int first, int last) {
        bdLocals& b = *block();
        restore();
        b.strs_mode[1] = 3;
        b.S1range_begin = first;
        b.S1range_end = last;
        b.S1strignore = 1;
        b.S1vibrignore = 1;
        return LosStrs(1);
    }
    int m = 0;
    double chord = 0, bx = 0, t = 0, tb = 0, z = 0;
};

TEST_F(SearchTest, TheFirstStrictlyBestPointWinsAsSinglePointRunsShow) {
    bdLocals& b = *block();
    EXPECT_EQ(search(0, 100), 2);  // no section models loaded
    ASSERT_EQ(init_model(), 1);
    double best_phi = 0.0, best_tb = 0.0;
    int best = -1;
    for (int i = 0; i <= 100; ++i) {
        ASSERT_EQ(search(i, i), 0) << i;  // a lone point competes, point 0 too
        const double tb_i = 0.5 + 0.4 * radical_inverse(static_cast<unsigned>(i));
        EXPECT_NEAR(b.cas_tb[1][m], tb_i, 1e-15) << i;
        EXPECT_NEAR(b.cas_t[1][m], tb_i * bx, 1e-15) << i;
        EXPECT_EQ(b.cas_b[1][m], bx);
        if (b.los_Los[1][m] > best_phi) {
            best_phi = b.los_Los[1][m];
            best_tb = tb_i;
            best = i;
        }
    }
    ASSERT_GE(best, 0);
    ASSERT_EQ(search(0, 100), 0);
    EXPECT_EQ(b.los_Los[1][m], best_phi);
    EXPECT_NEAR(b.cas_tb[1][m], best_tb, 1e-15);
    EXPECT_NEAR(h2::predesign::module_records()[0].PD_VAL[0], best_tb, 1e-15);
    // The velocity coefficient does depend on the pitch: the search chose.
    ASSERT_EQ(search(best == 0 ? 1 : 0, best == 0 ? 1 : 0), 0);
    EXPECT_NE(b.los_Los[1][m], best_phi);
}

TEST_F(SearchTest, WhenNoPointQualifiesTheRowStaysAsItWas) {
    bdLocals& b = *block();
    ASSERT_EQ(init_model(), 1);
    // Allowable stresses of 1 Pa for the stator: no point passes them.
    for (int table : {3, 4}) {
        MatCurveRecord& rec = b.MatCurve[table][1];
        rec.count = 1;
        rec.factor = 1.0;
        rec.temperature[0] = 300.0;
        rec.value[0] = 1.0;
    }
    restore();
    b.strs_mode[1] = 3;
    b.S1range_begin = 0;
    b.S1range_end = 20;
    b.S1strignore = 0;
    b.S1vibrignore = 1;
    EXPECT_EQ(LosStrs(1), 1);
    EXPECT_EQ(b.cas_b[1][m], chord);
    EXPECT_EQ(b.cas_bx[1][m], bx);
    EXPECT_EQ(b.cas_t[1][m], t);
    EXPECT_EQ(b.cas_tb[1][m], tb);
    EXPECT_EQ(b.bld_z[1], z);
}

TEST_F(SearchTest, ChordSweepsWithAndWithoutThePitch) {
    bdLocals& b = *block();
    ASSERT_EQ(init_model(), 1);
    restore();
    b.S1bx_lo[1] = 0.02;
    b.S1bx_hi[1] = 0.04;
    b.S1strignore = b.S1vibrignore = 1;
    b.S1range_begin = b.S1range_end = 3;  // first coordinate 0.75
    // Mode 1: a row without relative pitch sweeps the chord at 0.7.
    b.strs_mode[1] = 1;
    b.cas_tb[1][m] = 0.0;
    ASSERT_EQ(LosStrs(1), 0);
    EXPECT_NEAR(b.cas_bx[1][m], 0.035, 1e-15);
    EXPECT_EQ(b.cas_tb[1][m], 0.7);
    EXPECT_NEAR(b.cas_t[1][m], 0.035 * 0.7, 1e-15);
    // Mode 2: chord and relative pitch (stored pitch bounds 0 stand for 0.5 and 0.9).
    b.strs_mode[1] = 2;
    ASSERT_EQ(LosStrs(1), 0);
    double u[2];
    LPT20point(3, 2, u);
    EXPECT_NEAR(b.cas_bx[1][m], 0.02 + 0.02 * u[0], 1e-15);
    EXPECT_NEAR(b.cas_tb[1][m], 0.5 + 0.4 * u[1], 1e-15);
    EXPECT_NEAR(h2::predesign::module_records()[0].PD_VAL[1], 0.5 + 0.4 * u[1], 1e-15);
}

TEST_F(SearchTest, TheRedesignRunsAPitchSearchInItsSearchModes) {
    bdLocals& b = *block();
    b.S1mode = 2;
    b.S1range_begin = 7;
    b.S1range_end = 9;
    b.S1strignore = b.S1vibrignore = 0;
    ASSERT_EQ(stgR(1), 0);
    EXPECT_EQ(b.S1range_begin, 0);
    EXPECT_EQ(b.S1range_end, 100);
    EXPECT_EQ(b.S1strignore, 1);
    EXPECT_EQ(b.S1vibrignore, 1);
    EXPECT_EQ(b.strs_mode[1], 3);
    EXPECT_EQ(b.S1result_elem[1], 0);
    EXPECT_GE(b.cas_tb[1][m], 0.5);
    EXPECT_LT(b.cas_tb[1][m], 0.9);
    EXPECT_NEAR(b.cas_t[1][m], b.cas_tb[1][m] * b.cas_bx[1][m], 1e-15);
    EXPECT_EQ(b.model_rotor, nullptr);  // released after the call
    // Mode 0 only rates the losses and reports no search.
    b.strs_mode[1] = 0;
    b.S1result_elem[1] = 5;
    EXPECT_EQ(LosStrs(1), 0);
    EXPECT_EQ(b.S1result_elem[1], 0);
}

// Without loss models every point keeps the row's velocity coefficient: the
// first point of the range is the best, not a later equal one.
class LossFreeSearchTest : public LiveCaseTest {};

TEST_F(LossFreeSearchTest, AmongEqualPointsTheFirstWins) {
    ASSERT_TRUE(h2::test::load_loss_free_example_stage());
    ASSERT_EQ(bestXN(), 0);
    bdLocals& b = *block();
    const int m = b.cyld_nr / 2;
    b.ICLos = 1;
    ASSERT_EQ(init_model(), 1);
    b.strs_mode[1] = 3;
    b.S1range_begin = 5;
    b.S1range_end = 9;
    b.S1strignore = b.S1vibrignore = 1;
    ASSERT_EQ(LosStrs(1), 0);
    EXPECT_NEAR(b.cas_tb[1][m], 0.5 + 0.4 * radical_inverse(5), 1e-15);
    term_model();
}

TEST(RotorResonance, ABandOfFifteenPercentAroundTheSecondHarmonicIsOpen) {
    const double wp = 1000.0;
    const double f2 = 2.0 * wp / 6.283185307179586;
    const double lower = f2 - 0.15 * f2, upper = f2 + 0.15 * f2;
    const double f3 = 3.0 * wp / 6.283185307179586;
    struct Case {
        double sk;
        bool dropped;
    };
    // On either edge, and one step inside it.
    const Case cases[] = {
        {f2, true},
        {lower, false},
        {std::nextafter(lower, upper), true},
        {upper, false},
        {std::nextafter(upper, lower), true},
        {lower * (1.0 - 1e-9), false},
        {0.5 * f2, false},
        {f3 * 1.079, true},  // inside the third harmonic's 8 percent
        {f3 * 1.081, false},
    };
    for (const Case& c : cases) EXPECT_EQ(h2::turbine::rotor_resonant(wp, c.sk), c.dropped) << c.sk;
}

}  // namespace
