// Section loss assembly: the folded exit angle around the models, the bounds
// and loss sums that make phi, the relaxed loss step with its end-wall form,
// the turbine row's deviation and blockage, the family dispatch, and the
// small tools of the element solvers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "halvorine2/halvorine2.h"
#include "halvorine2/loss_plugin.h"
#include "physics/loss_conversions.h"
#include "physics/loss_wrappers.h"
#include "physics/section_losses.h"
#include "tests/support/flow_path.h"
#include "tests/support/state_fluid.h"

namespace {

using h2::test::Elem;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// What the test models saw and what they write.
struct ModelLog {
    std::string calls;      // letters of the models called, in order
    double seen_B2 = kNaN;  // cas__B2 when the first model was called
    double turn_B2 = kNaN;  // P leaves this exit angle, when a number
    double XP = 5.0, XS = 3.0, XA = 2.0;
    double phi = 0.95;  // P's velocity coefficient
    double GM = kNaN;   // N's weight of the profile loss, when a number
    double dR = 3.0;    // V
    double blck = 0.2;  // B
};
ModelLog g_log;

template <int Slot>
void test_model(bdLocals* b, int i, int j) {
    if (g_log.calls.empty()) g_log.seen_B2 = b->cas_B2[i][j];
    g_log.calls += H2_LOSS_LETTERS[Slot];
    switch (Slot) {
        case H2_LOSS_P:
            b->los_XP[i][j] = g_log.XP;
            b->los_XS[i][j] = g_log.XS;
            b->los_XA[i][j] = g_log.XA;
            b->los_Los[i][j] = g_log.phi;
            if (!std::isnan(g_log.turn_B2)) b->cas_B2[i][j] = g_log.turn_B2;
            break;
        case H2_LOSS_N:
            if (!std::isnan(g_log.GM)) b->los_GM[i][j] = g_log.GM;
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

// A model that only records its call.
template <int Slot>
void silent_model(bdLocals*, int, int) {
    g_log.calls += H2_LOSS_LETTERS[Slot];
}

double* letter_switch(bdLocals* b, int slot) {
    switch (slot) {
        case H2_LOSS_P:
            return b->elem_MethodP;
        case H2_LOSS_S:
            return b->elem_MethodS;
        case H2_LOSS_N:
            return b->elem_MethodN;
        case H2_LOSS_V:
            return b->elem_MethodV;
        default:
            return b->elem_MethodB;
    }
}

constexpr LossCalcFunc kTestModels[] = {nullptr,       nullptr,       nullptr,       test_model<3>,
                                        test_model<4>, test_model<5>, test_model<6>, test_model<7>};

// Element 0 the inlet (neither family), element 1 a stator (turbine row: its
// exit angle 25 lies below its inlet metal angle 90), element 2 a rotor
// (compressor row: exit 25 below 90, which no turbine rotor has); an
// expanding path; nr sections.
class SectionLossTest : public h2::test::CaseTest {
protected:
    static constexpr int kInlet = 0, kStator = 1, kRotor = 2;

    void SetUp() override {
        CaseTest::SetUp();
        g_log = {};
        ASSERT_NO_FATAL_FAILURE(
            h2::test::make_flow_path({Elem::Inlet, Elem::Stator, Elem::Rotor}, sections()));
        b = block();
        for (int i = 0; i <= b->cyld_ns; ++i) {
            b->los_limit[i] = 0.6;
            b->los_scale[i] = 1.0;
            b->dev_scale[i] = 1.0;
            for (int j = 0; j < b->cyld_nr; ++j) {
                b->los_Los[i][j] = 0.8;
                b->isd_p1wx[i][j] = 300000.0;
                b->isd_p1[i][j] = 250000.0;
                b->isd_i1wx[i][j] = 400000.0;
                b->isd_s1[i][j] = 7000.0;
                b->enrg_dhb[i][j] = 123.0;
            }
        }
    }
    void TearDown() override {
        free_probdata();
        CaseTest::TearDown();
    }
    virtual int sections() const { return 1; }

    void model(int slot, int i, bool switched = true, bool installed = true) {
        letter_switch(b, slot)[i] = switched ? 1.0 : 0.0;
        b->LossSlots[slot][i] = installed ? reinterpret_cast<LossEntry>(kTestModels[slot]) : nullptr;
    }
    void make_compressing() { b->elem_p2[b->cyld_ns] = b->elem_p0[0]; }

    bdLocals* b = nullptr;
};

// ---- section_losses -----------------------------------------------------

TEST_F(SectionLossTest, ModelsSeeTheExitAngleFoldedAndTheCaseKeepsItUnfolded) {
    struct Case {
        double B2, B2a, turn;  // turn: the exit angle P leaves, or not a number
        double seen, after;
    };
    const Case cases[] = {
        {120.0, 0.0, kNaN, 60.0, 120.0}, {0.0, 120.0, kNaN, 60.0, 120.0}, {30.0, 0.0, kNaN, 30.0, 30.0},
        {0.0, 25.0, kNaN, 25.0, 25.0},   {90.0, 0.0, kNaN, 90.0, 90.0},   {120.0, 0.0, 65.0, 60.0, 115.0},
        {30.0, 0.0, 35.0, 30.0, 35.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "B2 " << c.B2 << " B2a " << c.B2a << " turn " << c.turn);
        g_log = {};
        g_log.turn_B2 = c.turn;
        model(H2_LOSS_P, kStator);
        b->cas_B2[kStator][0] = c.B2;
        b->cas_B2a[kStator][0] = c.B2a;
        EXPECT_EQ(section_losses(kStator, 0), 0);
        EXPECT_EQ(g_log.seen_B2, c.seen);
        EXPECT_EQ(b->cas_B2[kStator][0], c.after);
    }
}

TEST_F(SectionLossTest, RunsProfileSecondaryAndTransModelsInThatOrder) {
    b->LossSlots[H2_LOSS_P][kStator] = reinterpret_cast<LossEntry>(silent_model<H2_LOSS_P>);
    b->LossSlots[H2_LOSS_S][kStator] = reinterpret_cast<LossEntry>(silent_model<H2_LOSS_S>);
    b->LossSlots[H2_LOSS_N][kStator] = reinterpret_cast<LossEntry>(silent_model<H2_LOSS_N>);
    b->elem_MethodP[kStator] = b->elem_MethodS[kStator] = b->elem_MethodN[kStator] = 1.0;
    b->los_GM[kStator][0] = 0.7;
    section_losses(kStator, 0);
    EXPECT_EQ(g_log.calls, "PSN");
    EXPECT_EQ(b->los_GM[kStator][0], 0.7);  // the trans model's weight stands
}

TEST_F(SectionLossTest, SkipsModelsSwitchedOffOrWithoutEntry) {
    struct Case {
        bool switched[3], installed[3];  // P, S, N
        const char* calls;
        double GM;  // 1.0 when the trans model does not run, else left (0.7)
    };
    const Case cases[] = {
        {{true, true, true}, {true, true, true}, "PSN", 0.7},
        {{true, false, true}, {false, true, true}, "N", 0.7},
        {{false, true, false}, {true, true, true}, "S", 1.0},
        {{true, true, true}, {false, false, false}, "", 1.0},  // switched on, no plug-in found
        {{false, false, false}, {true, true, true}, "", 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.calls);
        g_log = {};
        for (int k = 0; k < 3; ++k) model(H2_LOSS_P + k, kStator, c.switched[k], c.installed[k]);
        b->los_GM[kStator][0] = 0.7;
        section_losses(kStator, 0);
        EXPECT_EQ(g_log.calls, c.calls);
        EXPECT_EQ(b->los_GM[kStator][0], c.GM);
    }
}

TEST_F(SectionLossTest, WithoutModelsTheGivenPhiIsBounded) {
    const std::pair<double, double> cases[] = {{1.2, 1.0}, {0.3, 0.6}, {kNaN, 0.6}, {0.8, 0.8}, {0.6, 0.6}};
    // Models switched on without entries count as switched off.
    for (const bool switched_without_entries : {false, true}) {
        for (const auto& [given, bounded] : cases) {
            SCOPED_TRACE(testing::Message() << given << (switched_without_entries ? " switched" : ""));
            for (int slot : {H2_LOSS_P, H2_LOSS_S, H2_LOSS_N})
                model(slot, kStator, switched_without_entries, false);
            b->los_Los[kStator][0] = given;
            section_losses(kStator, 0);
            EXPECT_EQ(b->los_Los[kStator][0], bounded);
        }
    }
}

TEST_F(SectionLossTest, PhiFromTheLossSum) {
    struct Case {
        const char* what;
        bool compressing;
        int ICLos;
        double GM;  // N's weight, or not a number for no trans model (GM 1)
        double XP;  // with XS 3, XA 2
        double scale;
        double phi;
    };
    const double sum_phi = 100.0 / 110.0;
    const Case cases[] = {
        {"compressing", true, 0, kNaN, 5.0, 1.0, sum_phi},
        {"compressing, ICLos", true, 1, kNaN, 5.0, 1.0, std::sqrt(sum_phi)},
        {"expanding keeps the model's phi", false, 0, kNaN, 5.0, 1.0, 0.95},
        {"expanding, ICLos", false, 1, kNaN, 5.0, 1.0, std::sqrt(sum_phi)},
        {"ICLos weighs the profile loss", false, 1, 0.5, 5.0, 1.0, std::sqrt(100.0 / 107.5)},
        {"bounded below", true, 0, kNaN, 100.0, 1.0, 0.6},
        {"bounded above", true, 0, kNaN, 5.0, 1.2, 1.0},
        {"ICLos bounded below", true, 1, kNaN, 100.0, 1.0, std::sqrt(0.6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_log = {};
        g_log.XP = c.XP;
        g_log.GM = c.GM;
        if (c.compressing) make_compressing();
        b->ICLos = c.ICLos;
        b->los_scale[kStator] = c.scale;
        model(H2_LOSS_P, kStator);
        model(H2_LOSS_N, kStator, !std::isnan(c.GM), !std::isnan(c.GM));
        section_losses(kStator, 0);
        EXPECT_DOUBLE_EQ(b->los_Los[kStator][0], c.phi);
        b->elem_p2[b->cyld_ns] = 400000.0 - 50000.0 * (b->cyld_ns + 1);
    }
}

TEST_F(SectionLossTest, EnergyLossOnlyForAFluidWithoutEntropy) {
    b->flow_w1[kStator][0] = 100.0;
    b->flow_w2[kStator][0] = 150.0;
    b->los_Los[kStator][0] = 0.9;
    section_losses(kStator, 0);
    EXPECT_EQ(b->enrg_dhb[kStator][0], 123.0);

    b->isd_s1[kStator][0] = 0.0;
    section_losses(kStator, 0);
    EXPECT_DOUBLE_EQ(b->enrg_dhb[kStator][0], (1.0 - 0.81) * 150.0 * 150.0 / 2.0);
}

// ---- section_losses2 ----------------------------------------------------

TEST_F(SectionLossTest, LossStepOfOneSectionGoesAllTheWay) {
    model(H2_LOSS_P, kStator);
    b->los_policy = 1;  // no end walls with one section
    b->LosRELAX = 0.3;  // nor relaxation
    b->los_XP[kStator][0] = 5.0;
    b->los_XS[kStator][0] = 3.0;
    b->los_XA[kStator][0] = 2.0;
    b->los_GM[kStator][0] = 1.0;
    b->los_Los[kStator][0] = 0.5;
    // The exponent is asked at the relative inlet total state (3 bar, 400
    // kJ/kg): 1.3 + 0.03 + 0.02 = 1.35; the static state would give another.
    b->fluid_func = &h2::test::state_fluid_func;
    EXPECT_EQ(section_losses2(kStator), 0);
    const double target = 100.0 / 110.0;
    EXPECT_DOUBLE_EQ(b->los_Los[kStator][0], std::sqrt(target));
    EXPECT_EQ(b->los_XS[kStator][0], 3.0);
    EXPECT_DOUBLE_EQ(b->los_om[kStator][0],
                     k_loss_conv_c(target, 300000.0, 250000.0, 400000.0, 1.35, nullptr));
    EXPECT_GT(b->los_om[kStator][0], 0.0);
    EXPECT_EQ(g_log.calls, "");  // the step calls no model
}

TEST_F(SectionLossTest, LossStepNeedsARunningModel) {
    b->los_Los[kStator][0] = 0.5;
    model(H2_LOSS_P, kStator, true, false);  // switched on, no plug-in
    section_losses2(kStator);
    EXPECT_EQ(b->los_Los[kStator][0], 0.5);
    EXPECT_EQ(b->los_om[kStator][0], 0.0);
}

class ThreeSectionLossTest : public SectionLossTest {
protected:
    int sections() const override { return 3; }
    void SetUp() override {
        SectionLossTest::SetUp();
        model(H2_LOSS_S, kStator);
        const double XP[] = {4.0, 2.0, 6.0}, XA[] = {1.0, 1.0, 2.0}, XS[] = {2.0, 3.0, 4.0};
        const double w2[] = {100.0, 120.0, 140.0};
        for (int j = 0; j < 3; ++j) {
            b->los_XP[kStator][j] = XP[j];
            b->los_XA[kStator][j] = XA[j];
            b->los_XS[kStator][j] = XS[j];
            b->los_GM[kStator][j] = 1.0;
            b->flow_w2[kStator][j] = w2[j];
            b->los_Los[kStator][j] = 0.5;
        }
    }
    // The secondary-loss energy of the span, trapezoid rule.
    double secondary_energy() const {
        const double* XS = b->los_XS[kStator];
        const double* w2 = b->flow_w2[kStator];
        return 0.5 * 0.5 * w2[0] * w2[0] * XS[0] + 0.5 * w2[1] * w2[1] * XS[1] +
               0.5 * 0.5 * w2[2] * w2[2] * XS[2];
    }
};

TEST_F(ThreeSectionLossTest, RelaxationFactorOfTheLossStep) {
    struct Case {
        double LosRELAX, RELAX;
        int force1D;
        double r;
    };
    const Case cases[] = {{0.3, 0.1, 0, 0.3}, {0.0, 0.1, 0, 0.5}, {-1.0, 0.5, 0, 1.0}, {0.3, 0.1, 1, 1.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.LosRELAX << " " << c.RELAX << " " << c.force1D);
        b->LosRELAX = c.LosRELAX;
        b->RELAX = c.RELAX;
        b->cyld_force1D = c.force1D;
        b->los_Los[kStator][1] = 0.5;
        section_losses2(kStator);
        const double target = 100.0 / 106.0, e = 0.25;
        EXPECT_NEAR(b->los_Los[kStator][1], std::sqrt(e + c.r * (target - e)), 1e-15);
    }
}

TEST_F(ThreeSectionLossTest, EndWallFormMovesTheSecondaryLossEnergyToTheEnds) {
    b->los_policy = 1;
    b->LosRELAX = 1.0;
    const double E = secondary_energy();
    section_losses2(kStator);
    const double* XS = b->los_XS[kStator];
    EXPECT_EQ(XS[1], 0.0);
    EXPECT_DOUBLE_EQ(XS[2] / XS[0], 8.0 / 5.0);  // the ends' profile and trans losses
    EXPECT_NEAR(secondary_energy(), E, 1e-9 * E);
    // The step then uses the moved secondary loss.
    EXPECT_DOUBLE_EQ(b->los_Los[kStator][1], std::sqrt(100.0 / 103.0));
}

TEST_F(ThreeSectionLossTest, EndWallFormOnlyForAxialSectionsOfAManySectionSolve) {
    struct Case {
        const char* what;
        int policy, force1D;
        double sectType;
    };
    const Case cases[] = {{"policy 0", 0, 0, 0.0}, {"1D solve", 1, 1, 0.0}, {"radial sections", 1, 0, 1.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        b->los_policy = c.policy;
        b->cyld_force1D = c.force1D;
        b->elem_sectType[kStator] = c.sectType;
        section_losses2(kStator);
        EXPECT_EQ(b->los_XS[kStator][1], 3.0);
    }
}

TEST_F(ThreeSectionLossTest, EndWallFormWithoutHubLossOrEndVelocitiesStaysFinite) {
    b->los_policy = 1;
    // No profile and trans loss at the hub: the end walls share alike.
    b->los_XP[kStator][0] = b->los_XA[kStator][0] = 0.0;
    const double E = secondary_energy();
    section_losses2(kStator);
    EXPECT_DOUBLE_EQ(b->los_XS[kStator][0], b->los_XS[kStator][2]);
    EXPECT_NEAR(secondary_energy(), E, 1e-9 * E);

    // No exit velocity at either end: nothing can carry the energy there.
    b->los_XS[kStator][0] = 2.0;
    b->los_XS[kStator][1] = 3.0;
    b->los_XS[kStator][2] = 4.0;
    b->flow_w2[kStator][0] = b->flow_w2[kStator][2] = 0.0;
    section_losses2(kStator);
    EXPECT_EQ(b->los_XS[kStator][0], 2.0);
    EXPECT_EQ(b->los_XS[kStator][1], 3.0);
    EXPECT_EQ(b->los_XS[kStator][2], 4.0);
    for (int j = 0; j < 3; ++j) EXPECT_TRUE(std::isfinite(b->los_Los[kStator][j]));
}

// Nine sections: the end-wall form spreads the secondary-loss energy evenly
// over the streamlines within a quarter of the flow from each end wall (hub
// 0..2, casing 6..8), in the ratio of the end walls' profile and trans losses,
// and keeps it (trapezoid rule); the middle streamlines carry none. Put on the
// two end streamlines alone, their loss would grow with the number of
// streamlines.
class NineSectionLossTest : public SectionLossTest {
protected:
    int sections() const override { return 9; }
};

TEST_F(NineSectionLossTest, EndWallFormSpreadsTheSecondaryLossOverTheEndWallZones) {
    model(H2_LOSS_S, kStator);
    b->los_policy = 1;
    b->LosRELAX = 1.0;
    double E = 0.0;
    for (int j = 0; j < 9; ++j) {
        b->los_XP[kStator][j] = j == 8 ? 6.0 : 4.0;
        b->los_XA[kStator][j] = j == 8 ? 2.0 : 1.0;
        b->los_XS[kStator][j] = 3.0;
        b->los_GM[kStator][j] = 1.0;
        b->flow_w2[kStator][j] = 100.0;
        E += (j == 0 || j == 8 ? 0.5 : 1.0) * 0.5 * 100.0 * 100.0 * 3.0;
    }
    section_losses2(kStator);
    const double* XS = b->los_XS[kStator];
    // Hub zone: 2.5 trapezoid weights, casing zone 2.5 weights at 8/5 the loss:
    // XS_hub (2.5 + 1.6 x 2.5) = 3 x 8, the span's secondary loss.
    const double hub = 24.0 / 6.5;
    for (int j = 0; j < 9; ++j) {
        SCOPED_TRACE(j);
        EXPECT_NEAR(XS[j], j <= 2 ? hub : j >= 6 ? 1.6 * hub : 0.0, 1e-12);
    }
    double moved = 0.0;
    for (int j = 0; j < 9; ++j) moved += (j == 0 || j == 8 ? 0.5 : 1.0) * 0.5 * 100.0 * 100.0 * XS[j];
    EXPECT_NEAR(moved, E, 1e-9 * E);
}

// ---- turbine row deviation and blockage ---------------------------------

TEST_F(SectionLossTest, TurbineDeviationDiscardsImplausibleValuesBeforeScaling) {
    struct Case {
        double dR, dev_scale, stored;
    };
    const Case cases[] = {
        {50.0, 1.0, 50.0}, {50.1, 1.0, 0.0}, {-50.0, 1.0, -50.0}, {-50.1, 1.0, 0.0},
        {kNaN, 1.0, 0.0},  {10.0, 0.5, 5.0}, {60.0, 0.5, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dR << " x " << c.dev_scale);
        g_log.dR = c.dR;
        b->dev_scale[kStator] = c.dev_scale;
        model(H2_LOSS_V, kStator);
        EXPECT_EQ(elem_dev_turb(kStator, 0, 20.0), 20.0 + c.stored);
        EXPECT_EQ(b->cas_dR[kStator][0], c.stored);
    }
}

TEST_F(SectionLossTest, TurbineDeviationWithoutModelSetsTheIncidence) {
    // Switched off, or switched on without a plug-in.
    for (const bool switched : {false, true}) {
        SCOPED_TRACE(switched);
        model(H2_LOSS_V, kStator, switched, false);
        b->cas_B1[kStator][0] = 80.0;
        b->cas_dR[kStator][0] = 4.0;
        b->dev_scale[kStator] = 2.0;
        EXPECT_EQ(elem_dev_turb(kStator, 0, 20.0), 28.0);
        EXPECT_EQ(b->cas_iR[kStator][0], 10.0);
        EXPECT_EQ(b->cas_dR[kStator][0], 8.0);
    }
}

TEST_F(SectionLossTest, RowDeviationGoesToTheWrapperOfTheFamily) {
    struct Case {
        const char* what;
        int i;
        void (*shape)(bdLocals*, int);
        double result, dR;  // angle 20, dev_scale 2, cas__dR 7, cas__B2g 33, no V model
    };
    const Case cases[] = {
        {"turbine row", kStator, nullptr, 34.0, 14.0},
        {"axial compressor row", kRotor, nullptr, 27.0, 7.0},
        {"centrifugal row", kRotor, [](bdLocals* c, int i) { c->elem_sectType[i] = 1.0; }, 33.0, 0.0},
        {"deswirler of axial sections", kRotor,
         [](bdLocals* c, int i) {
             c->elem_stagType[i] = 6.0;
             c->cas_B2a[i][0] = 120.0;  // no turbine profile
         },
         20.0, 0.0},
        {"deswirler of radial sections", kRotor,
         [](bdLocals* c, int i) {
             c->elem_stagType[i] = 6.0;
             c->elem_sectType[i] = 1.0;
             c->cas_B2a[i][0] = 120.0;
         },
         20.0, 0.0},
        {"compressor row of angular sections", kRotor, [](bdLocals* c, int i) { c->elem_sectType[i] = 2.0; },
         20.0, 7.0},
        {"neither family", kInlet, nullptr, 20.0, 7.0},
    };
    // Alone, and as the trials of an element solve ask it, with the route held.
    for (const bool held : {false, true})
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.what << (held ? ", route held" : ""));
            b->elem_stagType[kRotor] = 1.0;
            b->elem_sectType[kRotor] = 0.0;
            b->cas_B2a[kRotor][0] = 25.0;
            if (c.shape != nullptr) c.shape(b, c.i);
            std::optional<h2::DeviationRouteScope> route;
            if (held) route.emplace(b, c.i);
            for (int trial = 0; trial < (held ? 2 : 1); ++trial) {
                b->dev_scale[c.i] = 2.0;
                b->cas_dR[c.i][0] = 7.0;
                b->cas_B2g[c.i][0] = 33.0;
                EXPECT_EQ(row_dev_angle(c.i, 0, 20.0), c.result);
                EXPECT_EQ(b->cas_dR[c.i][0], c.dR);
            }
        }
}

TEST_F(SectionLossTest, AHeldRouteStillRunsTheDeviationModelAtEveryTrial) {
    model(H2_LOSS_V, kStator);
    const h2::DeviationRouteScope route(b, kStator);
    g_log.dR = 3.0;
    EXPECT_EQ(row_dev_angle(kStator, 0, 20.0), 23.0);
    g_log.dR = 5.0;  // the model's answer moves with the trial's state
    EXPECT_EQ(row_dev_angle(kStator, 0, 20.0), 25.0);
    EXPECT_EQ(g_log.calls, "VV");
    // Sections outside the arrays answer the angle, as without the scope.
    EXPECT_EQ(row_dev_angle(kStator, b->cyld_nr, 20.0), 20.0);
    EXPECT_EQ(row_dev_angle(kStator, -1, 20.0), 20.0);
    // Another element is routed as ever.
    EXPECT_EQ(row_dev_angle(kInlet, 0, 20.0), 20.0);
    EXPECT_EQ(g_log.calls, "VV");
}

TEST_F(SectionLossTest, RowBlockageGoesToTheWrapperOfTheFamily) {
    struct Case {
        const char* what;
        int i;
        bool switched, installed;
        void (*shape)(bdLocals*, int);
        double blck;  // cas__blck was 0.1, the element before holds 0.15, the model writes 0.2
    };
    auto duct = [](bdLocals* c, int i) {
        c->elem_stagType[i] = 0.0;
        c->bld_z[i] = 0.0;
    };
    const Case cases[] = {
        {"turbine row", kStator, true, true, nullptr, 0.2},
        {"turbine row, model off", kStator, false, true, nullptr, 0.1},
        {"turbine row, no plug-in", kStator, true, false, nullptr, 0.1},
        {"axial compressor row", kRotor, true, true, nullptr, 0.2},
        {"centrifugal row", kRotor, true, true, [](bdLocals* c, int i) { c->elem_sectType[i] = 1.0; }, 0.2},
        {"compressor row of angular sections", kRotor, true, true,
         [](bdLocals* c, int i) { c->elem_sectType[i] = 2.0; }, 0.0},  // cleared for the model, never called
        {"duct, blockage on: carried over", kRotor, true, false, duct, 0.15},
        {"duct, blockage off", kRotor, false, false, duct, 0.1},
        {"inlet: nothing before it", kInlet, true, false, nullptr, 0.1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_log = {};
        b->elem_stagType[kRotor] = 1.0;
        b->elem_sectType[kRotor] = 0.0;
        b->bld_z[kRotor] = 60.0;
        if (c.shape != nullptr) c.shape(b, c.i);
        model(H2_LOSS_B, c.i, c.switched, c.installed);
        b->cas_blck[c.i][0] = 0.1;
        if (c.i > 0) b->cas_blck[c.i - 1][0] = 0.15;
        EXPECT_EQ(row_blockage(c.i, 0), c.blck);
        EXPECT_EQ(b->cas_blck[c.i][0], c.blck);
        EXPECT_DOUBLE_EQ(b->los_Fp[c.i][0], 1.0 - c.blck);
        model(H2_LOSS_B, c.i, false, false);
    }
}

TEST_F(SectionLossTest, TurbineBlockageAnswersWhatTheModelLeaves) {
    b->cas_blck[kStator][0] = 0.1;
    EXPECT_EQ(elem_block_turb(kStator, 0), 0.1);
    model(H2_LOSS_B, kStator);
    EXPECT_EQ(elem_block_turb(kStator, 0), 0.2);
    EXPECT_EQ(g_log.calls, "B");
}

// ---- guards -------------------------------------------------------------

TEST_F(SectionLossTest, IndicesOutsideTheArraysOrCountsBeyondThemTouchNothing) {
    for (int slot : {H2_LOSS_P, H2_LOSS_S, H2_LOSS_N, H2_LOSS_V, H2_LOSS_B}) model(slot, kStator);
    const std::pair<int, int> outside[] = {{-1, 0}, {3, 0}, {kStator, -1}, {kStator, 1}};
    for (const auto& [i, j] : outside) {
        SCOPED_TRACE(testing::Message() << i << ", " << j);
        EXPECT_EQ(section_losses(i, j), 0);
        EXPECT_EQ(row_dev_angle(i, j, 20.0), 20.0);
        EXPECT_EQ(elem_dev_turb(i, j, 20.0), 20.0);
        EXPECT_EQ(row_blockage(i, j), 0.0);
        EXPECT_EQ(elem_block_turb(i, j), 0.0);
    }
    EXPECT_EQ(section_losses2(-1), 0);
    EXPECT_EQ(section_losses2(3), 0);
    b->cyld_nr = 4;  // counts that the arrays do not hold
    EXPECT_EQ(section_losses(kStator, 0), 0);
    EXPECT_EQ(section_losses2(kStator), 0);
    b->cyld_nr = 1;
    EXPECT_EQ(g_log.calls, "");
    EXPECT_EQ(b->los_Los[kStator][0], 0.8);
}

class SectionLossesWithoutArrays : public h2::test::CaseTest {};

TEST_F(SectionLossesWithoutArrays, TouchNothing) {
    block()->cyld_ns = 2;
    block()->cyld_nr = 1;
    EXPECT_EQ(section_losses(1, 0), 0);
    EXPECT_EQ(section_losses2(1), 0);
    EXPECT_EQ(row_dev_angle(1, 0, 20.0), 20.0);
    EXPECT_EQ(row_blockage(1, 0), 0.0);
}

// ---- tools of the element solvers ---------------------------------------

TEST(SectionTools, RescalePhiScalesTheLossRatio) {
    struct Case {
        double phi, s;
        int flag;
        double result;
    };
    // phi 0.6: loss ratio (1 - 0.36)/0.36 = 16/9; doubled s gives 64/9.
    const Case cases[] = {
        {0.6, 1.0, 0, 0.6}, {0.6, 2.0, 1, 0.6}, {0.6, 2.0, 0, 1.0 / std::sqrt(1.0 + 64.0 / 9.0)},
        {0.6, 0.0, 0, 1.0}, {0.0, 2.0, 0, 0.0}, {0.0, 0.0, 0, 0.0},
        {1.0, 2.0, 0, 1.0}, {1.2, 2.0, 0, 1.2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.phi << " " << c.s << " " << c.flag);
        EXPECT_DOUBLE_EQ(rescale_phi(c.phi, c.s, c.flag), c.result);
    }
}

TEST(SectionTools, SineFromCosineKeepsAFloor) {
    const struct {
        int flag;
        double x, result;
    } cases[] = {
        {0, 1.0, 1e-4}, {0, -1.0, 1e-4}, {0, 1.5, 1e-4}, {0, kNaN, 1e-4},
        {0, 0.6, 0.8},  {1, 0.6, -0.8},  {7, 0.0, -1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.flag << " " << c.x);
        EXPECT_DOUBLE_EQ(sin_from_cos(c.flag, c.x), c.result);
    }
}

}  // namespace
