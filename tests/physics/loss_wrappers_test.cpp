// Loss, deviation and blockage wrappers of the compressor, bend, diffuser,
// volute and deswirler families, against small models installed straight
// into the case's slots; and the loss-coefficient conversions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "halvorine2/halvorine2.h"
#include "halvorine2/loss_plugin.h"
#include "physics/loss_conversions.h"
#include "physics/loss_wrappers.h"
#include "tests/support/flow_path.h"
#include "tests/support/state_fluid.h"

namespace {

using h2::test::Elem;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// What the test models did and what they write.
struct ModelLog {
    std::string calls;  // the letters of the models called, in order
    int i = -1, j = -1;
    double om = 0.05;   // P of an axial compressor row: profile loss coefficient
    double XS = 0.02;   // S: secondary loss coefficient
    double XA = 3.0;    // N: shock loss, per cent
    double phi = kNaN;  // P of the other families: phi, when a number
    double dR = 3.0;    // V
    double blck = 0.2;  // B
};
ModelLog g_log;

template <int Slot>
void test_model(bdLocals* b, int i, int j) {
    g_log.calls += H2_LOSS_LETTERS[Slot];
    g_log.i = i;
    g_log.j = j;
    switch (Slot) {
        case H2_LOSS_P:
            b->los_om[i][j] = g_log.om;
            if (!std::isnan(g_log.phi)) b->los_Los[i][j] = g_log.phi;
            break;
        case H2_LOSS_S:
            b->los_XS[i][j] = g_log.XS;
            break;
        case H2_LOSS_N:
            b->los_XA[i][j] = g_log.XA;
            break;
        case H2_LOSS_V:
            b->cas_dR[i][j] = g_log.dR;
            break;
        case H2_LOSS_B:
            b->cas_blck[i][j] = g_log.blck;
            break;
        default:
            break;
    }
}

constexpr LossCalcFunc kTestModels[H2_LOSS_CALC_SLOTS] = {test_model<0>, test_model<1>, test_model<2>,
                                                          test_model<3>, test_model<4>, test_model<5>,
                                                          test_model<6>, test_model<7>};

double*& letter_switch(bdLocals* b, int slot) {
    switch (slot) {
        case H2_LOSS_P:
            return b->elem_MethodP;
        case H2_LOSS_S:
            return b->elem_MethodS;
        case H2_LOSS_N:
            return b->elem_MethodN;
        case H2_LOSS_V:
            return b->elem_MethodV;
        case H2_LOSS_B:
            return b->elem_MethodB;
        case H2_LOSS_D:
            return b->elem_MethodD;
        case H2_LOSS_R:
            return b->elem_MethodR;
        default:
            return b->elem_MethodZ;
    }
}

// Element 1 is a stator, element 2 a rotor, element 0 the inlet; nr sections.
class WrapperTest : public h2::test::CaseTest {
protected:
    static constexpr int kRotor = 2;

    void SetUp() override {
        CaseTest::SetUp();
        g_log = {};
        ASSERT_NO_FATAL_FAILURE(
            h2::test::make_flow_path({Elem::Inlet, Elem::Stator, Elem::Rotor}, sections()));
        b = block();
        for (int i = 0; i <= b->cyld_ns; ++i) {
            for (int j = 0; j < b->cyld_nr; ++j) {
                b->isd_p1wx[i][j] = 300000.0;
                b->isd_p1[i][j] = 250000.0;
                b->isd_i1wx[i][j] = 400000.0;
                b->isd_s1[i][j] = 7000.0;
            }
        }
    }
    void TearDown() override {
        free_probdata();
        CaseTest::TearDown();
    }
    virtual int sections() const { return 1; }

    // The model of `slot` for element i: switched and installed as asked.
    void model(int slot, int i, bool switched = true, bool installed = true) {
        letter_switch(b, slot)[i] = switched ? 1.0 : 0.0;
        b->LossSlots[slot][i] = installed ? reinterpret_cast<LossEntry>(kTestModels[slot]) : nullptr;
    }
    void every_model(int i, bool switched, bool installed) {
        for (int slot = 0; slot < H2_LOSS_CALC_SLOTS; ++slot) model(slot, i, switched, installed);
    }

    bdLocals* b = nullptr;
};

// ---- which slots each wrapper calls -------------------------------------

struct SlotUse {
    const char* name;
    double (*call)(int i, int j);  // the wrapper with an angle of 20 where it takes one
    const char* calls;             // models called when all are on
};

template <double (*F)(int, int, double)>
double with_angle(int i, int j) {
    return F(i, j, 20.0);
}

const SlotUse kSlotUses[] = {
    {"elem_loss_cent", elem_loss_cent, "PS"},
    {"elem_loss_axcomp", elem_loss_axcomp, "PSN"},
    {"elem_loss_other", elem_loss_other, "PS"},
    {"elem_loss_uband", elem_loss_uband, "PS"},
    {"elem_loss_diff", elem_loss_diff, "PS"},
    {"elem_loss_volin", elem_loss_volin, "PS"},
    {"elem_loss_volout", elem_loss_volout, "PS"},
    {"elem_loss_cent2", elem_loss_cent2, "PS"},
    {"elem_dev_axcomp", with_angle<elem_dev_axcomp>, "V"},
    {"elem_dev_cent", with_angle<elem_dev_cent>, "V"},
    {"elem_dev_other", with_angle<elem_dev_other>, "V"},
    {"elem_dev_uband", with_angle<elem_dev_uband>, "V"},
    {"elem_dev_diff", with_angle<elem_dev_diff>, "V"},
    {"elem_dev_volin", with_angle<elem_dev_volin>, "V"},
    {"elem_dev_volout", with_angle<elem_dev_volout>, "V"},
    {"elem_dev_cent2", with_angle<elem_dev_cent2>, "V"},
    {"elem_block_axcomp", elem_block_axcomp, "B"},
    {"elem_block_cent", elem_block_cent, "B"},
    {"elem_block_other", elem_block_other, "B"},
    {"elem_block_uband", elem_block_uband, "B"},
    {"elem_block_diff", elem_block_diff, "B"},
    {"elem_block_volin", elem_block_volin, "B"},
    {"elem_block_volout", elem_block_volout, "B"},
    {"elem_block_cent2", elem_block_cent2, "B"},
};

TEST_F(WrapperTest, EachWrapperCallsItsFamilysSlotsWithElementAndSection) {
    for (const SlotUse& use : kSlotUses) {
        SCOPED_TRACE(use.name);
        g_log = {};
        every_model(kRotor, true, true);
        use.call(kRotor, 0);
        EXPECT_EQ(g_log.calls, use.calls);
        EXPECT_EQ(g_log.i, kRotor);
        EXPECT_EQ(g_log.j, 0);
    }
}

TEST_F(WrapperTest, ModelsSwitchedOffOrWithoutEntryAreNotCalled) {
    for (const SlotUse& use : kSlotUses) {
        SCOPED_TRACE(use.name);
        g_log = {};
        // Switched on without a plug-in (the entry empty), or installed but switched off.
        every_model(kRotor, true, false);
        use.call(kRotor, 0);
        every_model(kRotor, false, true);
        use.call(kRotor, 0);
        EXPECT_EQ(g_log.calls, "");
    }
}

// ---- loss wrappers ------------------------------------------------------

struct FamilyLoss {
    const char* name;
    double (*wrapper)(int i, int j);
    double dhb;            // energy loss of phi 0.9 with w1 100, w2 200, c1 300
    bool records_element;  // lkg_elem := i
};

// (1 - 0.81) v^2 / 2 for the three velocities
constexpr double kLossW1 = 950.0, kLossW2 = 3800.0, kLossC1 = 8550.0;

const FamilyLoss kFamilyLosses[] = {
    {"elem_loss_cent", elem_loss_cent, kLossW1, true},
    {"elem_loss_other", elem_loss_other, kLossW1, true},
    {"elem_loss_uband", elem_loss_uband, kLossC1, true},
    {"elem_loss_diff", elem_loss_diff, kLossC1, true},
    {"elem_loss_volin", elem_loss_volin, kLossW2, false},
    {"elem_loss_volout", elem_loss_volout, kLossW1, true},
    {"elem_loss_cent2", elem_loss_cent2, kLossW1, true},
};

class FamilyLossTest : public WrapperTest {
protected:
    void SetUp() override {
        WrapperTest::SetUp();
        b->los_Los[kRotor][0] = 0.9;
        b->flow_w1[kRotor][0] = 100.0;
        b->flow_w2[kRotor][0] = 200.0;
        b->flow_c1[kRotor][0] = 300.0;
        b->enrg_dhb[kRotor][0] = 123.0;
        b->lkg_elem = -1.0;
    }
};

TEST_F(FamilyLossTest, WithoutProfileModelTheEnergyLossComesFromTheGivenPhi) {
    for (const FamilyLoss& f : kFamilyLosses) {
        SCOPED_TRACE(f.name);
        b->enrg_dhb[kRotor][0] = 123.0;
        b->lkg_elem = -1.0;
        EXPECT_DOUBLE_EQ(f.wrapper(kRotor, 0), 0.9);
        EXPECT_NEAR(b->enrg_dhb[kRotor][0], f.dhb, 1e-9);
        EXPECT_EQ(b->lkg_elem, f.records_element ? kRotor : -1.0);
    }
}

TEST_F(FamilyLossTest, AProfileModelSwitchedOnWithoutEntryCountsAsOff) {
    for (const FamilyLoss& f : kFamilyLosses) {
        SCOPED_TRACE(f.name);
        model(H2_LOSS_P, kRotor, true, false);
        model(H2_LOSS_S, kRotor, true, false);
        b->enrg_dhb[kRotor][0] = 123.0;
        EXPECT_DOUBLE_EQ(f.wrapper(kRotor, 0), 0.9);
        EXPECT_NEAR(b->enrg_dhb[kRotor][0], f.dhb, 1e-9);
    }
}

TEST_F(FamilyLossTest, ARunningProfileModelLeavesPhiAndEnergyLossToTheModel) {
    g_log.phi = 0.95;
    for (const FamilyLoss& f : kFamilyLosses) {
        SCOPED_TRACE(f.name);
        b->los_Los[kRotor][0] = 0.9;
        b->enrg_dhb[kRotor][0] = 123.0;
        model(H2_LOSS_P, kRotor);
        EXPECT_DOUBLE_EQ(f.wrapper(kRotor, 0), 0.95);
        EXPECT_EQ(b->enrg_dhb[kRotor][0], 123.0);
    }
}

TEST_F(FamilyLossTest, CentrifugalRowGives950) {
    // phi 0.9 and w1 100 m/s: (1 - 0.81) 100^2 / 2
    EXPECT_DOUBLE_EQ(elem_loss_cent(kRotor, 0), 0.9);
    EXPECT_DOUBLE_EQ(b->enrg_dhb[kRotor][0], 950.0);
}

TEST_F(FamilyLossTest, UBendHoldsOneEnergyLossForTheElementAndTheSection) {
    b->enrg_dhub[kRotor] = -1.0;
    elem_loss_uband(kRotor, 0);
    EXPECT_DOUBLE_EQ(b->enrg_dhub[kRotor], kLossC1);
    EXPECT_EQ(b->enrg_dhb[kRotor][0], b->enrg_dhub[kRotor]);
}

TEST_F(FamilyLossTest, DeswirlerStoresTheTotalPressureLossCoefficientOfItsPhi) {
    for (const double phi : {0.9, 0.95}) {
        SCOPED_TRACE(phi);
        g_log.phi = phi;
        model(H2_LOSS_P, kRotor);
        elem_loss_other(kRotor, 0);
        EXPECT_DOUBLE_EQ(b->los_om[kRotor][0],
                         k_loss_conv_b(phi * phi, 300000.0, 250000.0, 400000.0, 1.4, nullptr));
        EXPECT_GT(b->los_om[kRotor][0], 0.0);
    }
}

// ---- axial compressor row loss ------------------------------------------

class AxialCompressorLossTest : public FamilyLossTest {};

TEST_F(AxialCompressorLossTest, SecondaryAddsToProfileCoefficientAndPhiFollowsFromIt) {
    model(H2_LOSS_P, kRotor);
    model(H2_LOSS_S, kRotor);
    // The exponent is asked at the relative inlet total state (3 bar, 400
    // kJ/kg): 1.3 + 0.03 + 0.02 = 1.35; the static state would give another.
    b->fluid_func = &h2::test::state_fluid_func;
    const double phi = elem_loss_axcomp(kRotor, 0);
    EXPECT_DOUBLE_EQ(b->los_om[kRotor][0], 0.07);
    const double expected = std::sqrt(k_loss_conv_a(0.07, 300000.0, 250000.0, 400000.0, 1.35, nullptr));
    EXPECT_DOUBLE_EQ(phi, expected);
    EXPECT_EQ(b->los_Los[kRotor][0], phi);
    EXPECT_GT(phi, 0.9);
    EXPECT_LT(phi, 1.0);
    EXPECT_EQ(b->lkg_elem, kRotor);
    EXPECT_EQ(b->enrg_dhb[kRotor][0], 123.0);  // a fluid with entropy carries the loss in its states
}

// The shock model's per cent is charged with the profile and secondary loss:
// 0.05 + 0.02 + 0.03; switched off it charges nothing.
TEST_F(AxialCompressorLossTest, ShockLossAddsToTheCoefficient) {
    model(H2_LOSS_P, kRotor);
    model(H2_LOSS_S, kRotor);
    model(H2_LOSS_N, kRotor);
    elem_loss_axcomp(kRotor, 0);
    EXPECT_DOUBLE_EQ(b->los_om[kRotor][0], 0.10);
    model(H2_LOSS_N, kRotor, false);
    elem_loss_axcomp(kRotor, 0);
    EXPECT_DOUBLE_EQ(b->los_om[kRotor][0], 0.07);
}

TEST_F(AxialCompressorLossTest, WithoutEntropyTheEnergyLossUsesTheLargerRelativeVelocity) {
    b->isd_s1[kRotor][0] = 0.0;
    b->los_om[kRotor][0] = 0.1;
    b->los_XS[kRotor][0] = 0.0;
    const double phi = elem_loss_axcomp(kRotor, 0);
    EXPECT_DOUBLE_EQ(b->enrg_dhb[kRotor][0], (1.0 - phi * phi) * 200.0 * 200.0 / 2.0);
}

TEST_F(AxialCompressorLossTest, WithoutFluidFunctionTheIncompressibleFormHolds) {
    b->fluid_func = nullptr;
    b->los_om[kRotor][0] = 0.25;
    b->los_XS[kRotor][0] = 0.0;
    EXPECT_DOUBLE_EQ(elem_loss_axcomp(kRotor, 0), std::sqrt(1.0 / 1.25));
}

TEST_F(AxialCompressorLossTest, NoFlowKeepsPhiFinite) {
    // p1wx = p1: no relative dynamic head at the inlet.
    b->isd_p1[kRotor][0] = b->isd_p1wx[kRotor][0];
    b->los_om[kRotor][0] = 0.19;
    b->los_XS[kRotor][0] = 0.0;
    EXPECT_DOUBLE_EQ(elem_loss_axcomp(kRotor, 0), 0.9);
}

// ---- deviation wrappers -------------------------------------------------

struct FamilyDeviation {
    const char* name;
    double (*wrapper)(int i, int j, double angle);
    enum Base { kAngle, kMetal, kZero } base;
};

const FamilyDeviation kFamilyDeviations[] = {
    {"elem_dev_cent", elem_dev_cent, FamilyDeviation::kMetal},
    {"elem_dev_cent2", elem_dev_cent2, FamilyDeviation::kMetal},
    {"elem_dev_other", elem_dev_other, FamilyDeviation::kAngle},
    {"elem_dev_uband", elem_dev_uband, FamilyDeviation::kAngle},
    {"elem_dev_diff", elem_dev_diff, FamilyDeviation::kZero},
    {"elem_dev_volin", elem_dev_volin, FamilyDeviation::kZero},
    {"elem_dev_volout", elem_dev_volout, FamilyDeviation::kZero},
};

TEST_F(WrapperTest, DeviationWrappersTurnTheirBaseByTheModelsDeviation) {
    constexpr double kAngle = 20.0, kMetal = 33.0;
    for (const FamilyDeviation& f : kFamilyDeviations) {
        for (const bool with_model : {true, false}) {
            SCOPED_TRACE(std::string(f.name) + (with_model ? " with V" : " without V"));
            b->cas_B2g[kRotor][0] = kMetal;
            b->cas_dR[kRotor][0] = 7.0;
            model(H2_LOSS_V, kRotor, with_model, with_model);
            const double dR = with_model ? g_log.dR : 0.0;
            const double result = f.wrapper(kRotor, 0, kAngle);
            EXPECT_EQ(b->cas_dR[kRotor][0], dR);
            switch (f.base) {
                case FamilyDeviation::kAngle:
                    EXPECT_DOUBLE_EQ(result, kAngle + dR);
                    break;
                case FamilyDeviation::kMetal:  // the rotor's exit grows by the deviation
                    EXPECT_DOUBLE_EQ(result, kMetal + dR);
                    break;
                case FamilyDeviation::kZero:
                    EXPECT_EQ(result, 0.0);
                    break;
            }
        }
    }
}

TEST_F(WrapperTest, CentrifugalDeviationOfAnElementWithoutBladesTurnsTheOtherWay) {
    b->bld_z[kRotor] = 0.0;
    b->cas_B2g[kRotor][0] = 33.0;
    model(H2_LOSS_V, kRotor);
    EXPECT_DOUBLE_EQ(elem_dev_cent(kRotor, 0, 20.0), 33.0 - g_log.dR);
}

TEST_F(WrapperTest, AxialCompressorDeviationOfOneSection) {
    struct Case {
        int element;
        bool with_model;
        double result;  // angle 20, cas__dR 2 kept or 3 from the model
        double iR;      // cas__B1g 90 - cas__B1 85, or untouched (-1)
    };
    const Case cases[] = {
        {kRotor, false, 22.0, 5.0},
        {kRotor, true, 23.0, -1.0},
        {1, false, 18.0, 5.0},  // a stator's exit angle shrinks by the deviation
        {1, true, 17.0, -1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "element " << c.element << (c.with_model ? " with V" : ""));
        b->cas_dR[c.element][0] = 2.0;
        b->cas_iR[c.element][0] = -1.0;
        b->cas_B1[c.element][0] = 85.0;
        model(H2_LOSS_V, c.element, true, c.with_model);  // V switched on, its entry set or not
        EXPECT_DOUBLE_EQ(elem_dev_axcomp(c.element, 0, 20.0), c.result);
        EXPECT_DOUBLE_EQ(b->cas_iR[c.element][0], c.iR);
    }
}

class ThreeSectionWrapperTest : public WrapperTest {
protected:
    int sections() const override { return 3; }
    void SetUp() override {
        WrapperTest::SetUp();
        const double radii[] = {0.085, 0.1, 0.115};
        const double inlet_metal[] = {80.0, 70.0, 60.0};
        const double exit_metal[] = {30.0, 40.0, 50.0};
        for (int j = 0; j < 3; ++j) {
            b->cas_ra1[kRotor][j] = b->cas_ra2[kRotor][j] = radii[j];
            b->cas_B1g[kRotor][j] = inlet_metal[j];
            b->cas_B2g[kRotor][j] = exit_metal[j];
            b->cas_B1[kRotor][j] = 60.0;
            b->cas_dR[kRotor][j] = 2.0;
        }
        b->bld_Rt2[kRotor] = 0.115;
    }
};

TEST_F(ThreeSectionWrapperTest, AxialCompressorDeviationReadsMetalAnglesAtTheStreamlineRadius) {
    b->flow_r1[kRotor][1] = 0.0925;  // halfway between hub and middle: B1g 75
    b->flow_r2[kRotor][1] = 0.0925;  // B2g 35
    EXPECT_DOUBLE_EQ(elem_dev_axcomp(kRotor, 1, 20.0), 37.0);
    EXPECT_DOUBLE_EQ(b->cas_iR[kRotor][1], 15.0);
}

TEST_F(ThreeSectionWrapperTest, AxialCompressorExitAngleIsReadNoFurtherOutThanTheBladeTip) {
    b->flow_r2[kRotor][2] = 0.13;
    EXPECT_DOUBLE_EQ(elem_dev_axcomp(kRotor, 2, 20.0), 52.0);
}

TEST_F(ThreeSectionWrapperTest, OneDimensionalSolveTakesTheSectionsOwnAngles) {
    b->cyld_force1D = 1;
    b->flow_r1[kRotor][1] = 0.0925;
    EXPECT_DOUBLE_EQ(elem_dev_axcomp(kRotor, 1, 20.0), 22.0);
    EXPECT_DOUBLE_EQ(b->cas_iR[kRotor][1], 10.0);
}

// ---- blockage wrappers --------------------------------------------------

const std::pair<const char*, double (*)(int, int)> kBlockages[] = {
    {"elem_block_axcomp", elem_block_axcomp}, {"elem_block_cent", elem_block_cent},
    {"elem_block_other", elem_block_other},   {"elem_block_uband", elem_block_uband},
    {"elem_block_diff", elem_block_diff},     {"elem_block_volin", elem_block_volin},
    {"elem_block_volout", elem_block_volout}, {"elem_block_cent2", elem_block_cent2},
};

TEST_F(WrapperTest, BlockageWrappersAnswerWhatTheModelLeaves) {
    for (const auto& [name, wrapper] : kBlockages) {
        for (const bool installed : {true, false}) {
            SCOPED_TRACE(std::string(name) + (installed ? "" : " without entry"));
            b->cas_blck[kRotor][0] = 0.1;
            model(H2_LOSS_B, kRotor, true, installed);
            const double expected = installed ? g_log.blck : 0.1;
            EXPECT_EQ(wrapper(kRotor, 0), expected);
            EXPECT_EQ(b->cas_blck[kRotor][0], expected);
        }
    }
}

// ---- guards -------------------------------------------------------------

TEST_F(WrapperTest, IndicesOutsideTheArraysOrCountsBeyondThemTouchNothing) {
    every_model(kRotor, true, true);
    const std::pair<int, int> outside[] = {{-1, 0}, {3, 0}, {kRotor, -1}, {kRotor, 1}};
    for (const auto& [i, j] : outside) {
        SCOPED_TRACE(testing::Message() << i << ", " << j);
        EXPECT_EQ(elem_loss_axcomp(i, j), 1.0);
        EXPECT_EQ(elem_loss_uband(i, j), 1.0);
        EXPECT_EQ(elem_dev_axcomp(i, j, 20.0), 20.0);
        EXPECT_EQ(elem_dev_cent(i, j, 20.0), 20.0);
        EXPECT_EQ(elem_dev_diff(i, j, 20.0), 0.0);
        EXPECT_EQ(elem_block_cent(i, j), 0.0);
    }
    b->cyld_ns = 7;  // counts that the arrays do not hold
    EXPECT_EQ(elem_loss_cent(kRotor, 0), 1.0);
    b->cyld_ns = 2;
    EXPECT_EQ(g_log.calls, "");
}

class LossWrappersWithoutArrays : public h2::test::CaseTest {};

TEST_F(LossWrappersWithoutArrays, TouchNothing) {
    block()->cyld_ns = 2;
    block()->cyld_nr = 1;
    EXPECT_EQ(elem_loss_cent(1, 0), 1.0);
    EXPECT_EQ(elem_loss_other(1, 0), 1.0);
    EXPECT_EQ(elem_dev_uband(1, 0, 12.0), 12.0);
    EXPECT_EQ(elem_block_axcomp(1, 0), 0.0);
}

// ---- conversions --------------------------------------------------------

constexpr double kP0 = 300000.0, kP = 250000.0, kH = 400000.0, kAir = 1.4;

TEST(LossConversions, UnitExponentTakesTheClosedForms) {
    // k = 1, and exponents that a failed property call leaves
    for (const double k : {1.0, kNaN, 0.0, -1.4, 1e20}) {
        SCOPED_TRACE(k);
        double out = -1.0;
        EXPECT_DOUBLE_EQ(k_loss_conv_a(0.25, kP0, kP, kH, k, &out), 0.8);
        EXPECT_EQ(out, 0.0);
        EXPECT_DOUBLE_EQ(k_loss_conv_b(0.8, kP0, kP, kH, k, &out), 0.25);
        EXPECT_DOUBLE_EQ(k_loss_conv_c(0.8, kP0, kP, kH, k, nullptr), 0.25);
        EXPECT_EQ(k_loss_conv_d(0.85, 1e5, 2e5, k), 0.85);
        EXPECT_EQ(k_loss_conv_e(0.85, 1e5, 2e5, k), 0.85);
    }
    // A flow that keeps no kinetic energy has no head to refer a loss to.
    EXPECT_EQ(k_loss_conv_b(0.0, kP0, kP, kH, 1.0, nullptr), 0.0);
    EXPECT_EQ(k_loss_conv_c(0.0, kP0, kP, kH, 1.0, nullptr), 0.0);
}

TEST(LossConversions, EndValuesOfTheCompressibleForms) {
    EXPECT_DOUBLE_EQ(k_loss_conv_a(0.0, kP0, kP, kH, kAir, nullptr), 1.0);
    EXPECT_NEAR(k_loss_conv_b(1.0, kP0, kP, kH, kAir, nullptr), 0.0, 1e-12);
    EXPECT_NEAR(k_loss_conv_c(1.0, kP0, kP, kH, kAir, nullptr), 0.0, 1e-12);
    EXPECT_EQ(k_loss_conv_e(1.0, 1e5, 2e5, kAir), 0.0);
    // A total loss keeps no total pressure above the static one.
    EXPECT_NEAR(k_loss_conv_b(0.0, kP0, kP, kH, kAir, nullptr), 1.0, 1e-12);
}

TEST(LossConversions, LossCoefficientAndEnergyCoefficientAreInverse) {
    for (const double e : {0.5, 0.81, 0.95, 0.999}) {
        SCOPED_TRACE(e);
        const double x = k_loss_conv_b(e, kP0, kP, kH, kAir, nullptr);
        EXPECT_GT(x, 0.0);
        EXPECT_NEAR(k_loss_conv_a(x, kP0, kP, kH, kAir, nullptr), e, 1e-12);
        // Referred to the smaller dynamic head kept, the same loss is larger.
        EXPECT_GT(k_loss_conv_c(e, kP0, kP, kH, kAir, nullptr), x);
    }
}

TEST(LossConversions, MachNumberOfTheStateReached) {
    // Without loss the state reached is the isentropic one:
    // M^2 = 2/(k - 1) ((p0/p)^m - 1).
    const double m = (kAir - 1.0) / kAir;
    const double isentropic = std::sqrt(2.0 / (kAir - 1.0) * (std::pow(kP0 / kP, m) - 1.0));
    double out_a = 0.0, out_b = 0.0, out_c = 0.0;
    k_loss_conv_a(0.0, kP0, kP, kH, kAir, &out_a);
    k_loss_conv_b(1.0, kP0, kP, kH, kAir, &out_b);
    k_loss_conv_c(1.0, kP0, kP, kH, kAir, &out_c);
    EXPECT_NEAR(out_a, isentropic, 1e-12);
    EXPECT_NEAR(out_b, isentropic, 1e-12);
    EXPECT_NEAR(out_c, isentropic, 1e-12);
    // Enthalpies counted from a reference may be 0 or negative: no Mach number.
    k_loss_conv_b(0.9, kP0, kP, -1000.0, kAir, &out_b);
    EXPECT_EQ(out_b, 0.0);
}

TEST(LossConversions, NoFlowOrNoKineticEnergyGivesFiniteDocumentedValues) {
    // p0 = p: the zero-flow limit 1 - x, and no pressure drop to refer a loss to.
    EXPECT_DOUBLE_EQ(k_loss_conv_a(0.2, kP, kP, kH, kAir, nullptr), 0.8);
    EXPECT_EQ(k_loss_conv_b(0.9, kP, kP, kH, kAir, nullptr), 0.0);
    EXPECT_EQ(k_loss_conv_c(0.9, kP, kP, kH, kAir, nullptr), 0.0);
    // e = 0: no dynamic head kept.
    EXPECT_EQ(k_loss_conv_c(0.0, kP0, kP, kH, kAir, nullptr), 0.0);
    // h = 0 cancels out of the enthalpy ratio.
    EXPECT_TRUE(std::isfinite(k_loss_conv_b(0.9, kP0, kP, 0.0, kAir, nullptr)));
    EXPECT_DOUBLE_EQ(k_loss_conv_b(0.9, kP0, kP, 0.0, kAir, nullptr),
                     k_loss_conv_b(0.9, kP0, kP, kH, kAir, nullptr));
}

// The polytropic efficiency is the isentropic efficiency of each of many
// small stages with equal pressure ratios q = r^(1/N): a stage takes
// T'/T = 1 + eta_p (q^m - 1) on an expansion and 1 + (q^m - 1)/eta_p on a
// compression, and the path's isentropic efficiency follows from the product.
double isentropic_of_small_stages(double eta_p, double r, double k) {
    const double m = (k - 1.0) / k, N = 1e6;
    const double q_m = std::pow(r, m / N) - 1.0;  // q^m - 1 of one stage
    const double step = r < 1.0 ? eta_p * q_m : q_m / eta_p;
    const double T2_over_T1 = std::exp(N * std::log1p(step));
    const double isentropic = std::pow(r, m) - 1.0;
    return r < 1.0 ? (T2_over_T1 - 1.0) / isentropic : isentropic / (T2_over_T1 - 1.0);
}

TEST(LossConversions, PolytropicEfficiencyIsThatOfManySmallStages) {
    for (const double r : {0.1, 0.5, 2.0, 10.0}) {
        for (const double eta_p : {0.85, 0.9}) {
            SCOPED_TRACE(testing::Message() << "r " << r << " eta_p " << eta_p);
            const double eta = isentropic_of_small_stages(eta_p, r, kAir);
            EXPECT_NEAR(k_loss_conv_d(eta_p, 1e5, r * 1e5, kAir), eta, 1e-6);
            EXPECT_NEAR(k_loss_conv_e(eta, 1e5, r * 1e5, kAir), eta_p, 1e-6);
            // An expansion's polytropic efficiency lies below its isentropic
            // one, a compression's above.
            EXPECT_EQ(eta_p > eta, r > 1.0);
        }
    }
}

TEST(LossConversions, PolytropicEfficiencyOfAnExpansionFromTheTemperatureRatio) {
    // eta 0.85 over r: T2/T1 = 1 + eta (r^m - 1) = r^(m eta_p), by hand.
    struct Case {
        double r, eta_p;
    };
    for (const Case c : {Case{0.5, 0.8367824}, Case{0.1, 0.8013602}, Case{0.525, 0.8377520}}) {
        SCOPED_TRACE(c.r);
        EXPECT_NEAR(k_loss_conv_e(0.85, 1e5, c.r * 1e5, kAir), c.eta_p, 1e-7);
        EXPECT_NEAR(k_loss_conv_d(c.eta_p, 1e5, c.r * 1e5, kAir), 0.85, 1e-7);
    }
    // Compression 1 -> 2 bar: t = (2^m - 1)/0.85 + 1, eta_p = m ln 2 / ln t.
    EXPECT_NEAR(k_loss_conv_e(0.85, 1e5, 2e5, kAir), 0.863849, 1e-6);
}

TEST(LossConversions, EfficiencyConversionsRefuseWhatHasNoMeaning) {
    struct Case {
        double eta, p1, p2, e;  // e: k_loss_conv_e's answer
    };
    const Case cases[] = {
        {0.85, 0.0, 2e5, 0.0},  {0.85, 1e5, 0.0, 0.0},  {0.85, kNaN, 2e5, 0.0}, {0.85, 1e5, 2e20, 0.0},
        {0.85, 1e5, -2e5, 0.0}, {0.0, 1e5, 2e5, 0.0},   {1.0, 1e5, 2e5, 0.0},   {-0.5, 1e5, 2e5, 0.0},
        {kNaN, 1e5, 2e5, 0.0},  {0.85, 1e5, 1e5, 0.85},  // no pressure change: its limit eta
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.eta << " " << c.p1 << " " << c.p2);
        EXPECT_EQ(k_loss_conv_e(c.eta, c.p1, c.p2, kAir), c.e);
    }
    EXPECT_EQ(k_loss_conv_d(0.85, 1e5, 0.0, kAir), 0.0);
    EXPECT_EQ(k_loss_conv_d(0.85, 0.0, 1e5, kAir), 0.0);  // r infinite
    EXPECT_EQ(k_loss_conv_d(0.0, 1e5, 2e5, kAir), 0.0);
    EXPECT_EQ(k_loss_conv_d(kNaN, 1e5, 2e5, kAir), 0.0);
    EXPECT_EQ(k_loss_conv_d(0.85, 1e5, 1e5, kAir), 0.85);
}

}  // namespace
