#include <gtest/gtest.h>

#include <cmath>

#include "halvorine2/volute.h"
#include "solver/predesign/volute_design.h"
#include "tests/support/case_fixture.h"

namespace {

using h2::predesign::rt_volin_design;

constexpr double kDeg = 0.01745329;
constexpr double kRel = 1e-9;
constexpr double kMark = -7.0;  // a value no step writes

// A radial turbine's element 0 (inlet) before element 1, the volute in
// front of a nozzle ring of diameter 0.2 m and width 0.02 m.
class TurbineInletVolute : public h2::test::LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        allocate(2, 1);
        bdLocals* b = block();
        b->isd_p2x[0][0] = 3.0e5;
        b->isd_i2x[0][0] = 4.0e5;
        b->elem_G2[0] = 2.5;
        b->bld_d2[1] = 0.2;
        b->bld_l2[1] = 0.02;
        for (double* vol : {b->vol_D7, b->vol_b7, b->vol_Dk, b->vol_bk, b->vol_hk, b->vol_A2}) vol[1] = kMark;
    }
    void expect_element_written(double A) {
        const bdLocals* b = block();
        EXPECT_EQ(b->elem_sectType[1], 1.0);
        EXPECT_EQ(b->elem_stagType[1], 5.0);
        EXPECT_EQ(b->elem_moduleType[1], 1.0);
        EXPECT_EQ(b->bld_k[1], 6.0);  // no prerequisite block: the default k
        EXPECT_EQ(b->elem_p0[1], 3.0e5);
        EXPECT_EQ(b->isd_p1x[1][0], 3.0e5);
        EXPECT_EQ(b->elem_i0[1], 4.0e5);
        EXPECT_EQ(b->isd_i1x[1][0], 4.0e5);
        EXPECT_NEAR(b->cas_B1[1][0], A, 1e-12);
        EXPECT_EQ(b->elem_G1[1], 2.5);
    }
    void expect_volute_untouched() {
        const bdLocals* b = block();
        for (const double* vol : {b->vol_D7, b->vol_b7, b->vol_Dk, b->vol_bk, b->vol_hk, b->vol_A2})
            EXPECT_EQ(vol[1], kMark);
    }
    Volout* record() { return static_cast<Volout*>(block()->volout); }
};

struct SizedCase {
    int form;
    double R, hk, bk;  // end section of the sizing (r 0.1, b 0.02, 20 degrees)
    double Dk;         // the drawn record's result
};

class TurbineInletVoluteForms : public TurbineInletVolute, public ::testing::WithParamInterface<SizedCase> {};

TEST_P(TurbineInletVoluteForms, SizesAndDrawsTheVolute) {
    const SizedCase& p = GetParam();
    ASSERT_EQ(rt_volin_design(1, p.form, 20.0 * kDeg), 0);
    expect_element_written(20.0);
    const bdLocals* b = block();
    EXPECT_EQ(b->vol_D7[1], 0.2);
    EXPECT_EQ(b->vol_b7[1], 0.02);
    EXPECT_NEAR(b->vol_Dk[1], 2.0 * p.R, kRel * p.R);
    EXPECT_NEAR(b->vol_hk[1], p.hk, kRel * p.hk);
    EXPECT_NEAR(b->vol_bk[1], p.bk, kRel * p.bk);
    EXPECT_NEAR(b->vol_A2[1], 20.0, 1e-12);
    // The end section stands on the start radius 1.05 r of the volute proper.
    if (p.form != 3) {
        EXPECT_NEAR(b->vol_Dk[1] / 2.0 - b->vol_hk[1], 0.105, 1e-15);
    }
    Volout* v = record();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->form, p.form);
    EXPECT_EQ(v->n, 36);
    EXPECT_EQ(v->m, 36);
    EXPECT_EQ(v->r2, 0.1);
    EXPECT_EQ(v->b2, 0.02);
    EXPECT_EQ(v->hb2, b->vol_bk[1]);
    EXPECT_NEAR(v->A2, 20.0, 1e-12);
    EXPECT_EQ(v->nA, 36);
    EXPECT_NEAR(v->Dk, p.Dk, kRel * p.Dk);
}

INSTANTIATE_TEST_SUITE_P(Sized, TurbineInletVoluteForms,
                         ::testing::Values(
                             // log spiral 5 b wide: bk = S / h = 5 b
                             SizedCase{1, 0.165892296837, 0.0608922968369, 0.1, 0.270904373246},
                             // trapezoid: bk = S / h, the mean of b and (1 + t) b
                             SizedCase{2, 0.345123667031, 0.240123667031, 0.0428689206696, 0.25705398214},
                             // square: bk = hk = sqrt(S)
                             SizedCase{3, 0.364824911659, 0.259824911659, 0.259824911659, 0.4501618839}));

TEST_F(TurbineInletVolute, SecondCallReusesTheRecord) {
    ASSERT_EQ(rt_volin_design(1, 1, 20.0 * kDeg), 0);
    Volout* first = record();
    first->n = 36;
    ASSERT_EQ(rt_volin_design(1, 3, 25.0 * kDeg), 0);
    EXPECT_EQ(record(), first);
    EXPECT_EQ(record()->form, 3);
    EXPECT_EQ(record()->n, 36);
    EXPECT_NEAR(record()->A2, 25.0, 1e-12);
}

TEST_F(TurbineInletVolute, PrerequisiteBlockGivesK) {
    double prereq[125] = {};
    prereq[52] = 4.5;
    block()->prereq_ref = prereq;
    ASSERT_EQ(rt_volin_design(1, 2, 20.0 * kDeg), 0);
    EXPECT_EQ(block()->bld_k[1], 4.5);
    block()->prereq_ref = nullptr;
}

TEST_F(TurbineInletVolute, SteepAngleSizesNothing) {
    ASSERT_EQ(rt_volin_design(1, 1, 1.6), 1);
    expect_element_written(1.6 / kDeg);
    expect_volute_untouched();
    EXPECT_EQ(record(), nullptr);
    // a record drawn before keeps its tables
    ASSERT_EQ(rt_volin_design(1, 1, 20.0 * kDeg), 0);
    const double Dk = record()->Dk, z = record()->A[10][3].z;
    ASSERT_EQ(rt_volin_design(1, 2, 1.6), 1);
    EXPECT_EQ(record()->form, 1);
    EXPECT_EQ(record()->Dk, Dk);
    EXPECT_EQ(record()->A[10][3].z, z);
}

TEST_F(TurbineInletVolute, UnknownFormSizesNothing) {
    for (int form : {0, 4}) {
        EXPECT_EQ(rt_volin_design(1, form, 20.0 * kDeg), 2);
        expect_element_written(20.0);
        expect_volute_untouched();
        EXPECT_EQ(record(), nullptr);
    }
}

TEST_F(TurbineInletVolute, NoSwirlKeepsTheSectionWidth) {
    // No radial advance: the section has no height, and its width is that of
    // the form rather than 0 / 0.
    ASSERT_EQ(rt_volin_design(1, 1, 0.0), 0);
    EXPECT_EQ(block()->vol_hk[1], 0.0);
    EXPECT_NEAR(block()->vol_bk[1], 0.1, 1e-15);
    ASSERT_EQ(rt_volin_design(1, 2, 0.0), 0);
    EXPECT_NEAR(block()->vol_bk[1], 0.02, 1e-15);
}

TEST_F(TurbineInletVolute, ElementOutsideTheArrays) {
    for (int i : {0, -1, 3, 1000}) EXPECT_EQ(rt_volin_design(i, 1, 20.0 * kDeg), 3) << i;
    expect_volute_untouched();
}

}  // namespace
