// Axial load of the rotor: the driver over the stages of a two-stage turbine
// (relaxation of the root-gap flows, the sum of the disk forces, the end
// load, which elements count as stages, the print-out), and the blade-row
// and disk force formulas.
#include "physics/disk_load.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <ostream>
#include <string>

#include "halvorine2/halvorine2.h"
#include "halvorine2/loss_plugin.h"
#include "physics/seal_leakage.h"
#include "tests/support/captured_console.h"
#include "tests/support/sealed_turbine.h"

namespace {

using h2::test::Elem;

constexpr int kNr = 3;
constexpr int kStator1 = 1, kRotor1 = 2, kStator2 = 3, kRotor2 = 4;
constexpr double kPi = 3.14159265;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Seal flow proportional to the drop from the seal's upstream pressure to
// the trial cavity pressure: monotone, so every cavity balance has a root.
void linear_seal(bdLocals* b, int element) {
    const int i = static_cast<int>(b->lkg_elem);
    b->elem_Gdu[element] = 1e-6 * (b->lkgn_P0DY[i] - b->lkgn_PX[i]);
}

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Inlet, stator, rotor, stator, rotor: diaphragms with 0.12 m seals, disks
// with six 10 mm balance holes on a 0.14 m circle and 2 mm root gaps.
class DiskLoadTest : public h2::test::PathCaseTest {
protected:
    void SetUp() override {
        h2::test::CaseTest::SetUp();
        unitsSetSI();
        build();
    }

    void build() {
        h2::test::make_sealed_two_stage_turbine(kNr, &linear_seal);
        bdLocals* b = block();
        b->ITML = 2;
        b->LkgRELAX = 1.0;
    }
    void rebuild() {
        ASSERT_EQ(free_probdata(), 0);
        build();
    }

    std::string run() {
        h2::test::CapturedConsole console;
        EXPECT_EQ(calc_disks_axial_load(), 0);
        return console.text();
    }
};

struct Relax {
    const char* name;
    double LkgRELAX;
    double factor;
};
std::ostream& operator<<(std::ostream& os, const Relax& c) { return os << c.name; }

class RootGapRelaxation : public DiskLoadTest, public ::testing::WithParamInterface<Relax> {};

TEST_P(RootGapRelaxation, BlendsTheNewFlowsIntoTheOld) {
    bdLocals* b = block();
    run();  // the unrelaxed flows of a fresh case
    const double GP[] = {b->lkgn_GP[kRotor1], b->lkgn_GP[kRotor2]};
    const double GPY[] = {b->lkgn_GPY[kRotor1], b->lkgn_GPY[kRotor2]};
    ASSERT_NE(GP[0], 0.0);
    ASSERT_NE(GPY[1], 0.0);

    rebuild();
    b = block();
    const double GPold = 0.5, GPYold = -0.25;
    for (int i : {kRotor1, kRotor2}) {
        b->lkgn_GP[i] = GPold;
        b->lkgn_GPY[i] = GPYold;
    }
    b->LkgRELAX = GetParam().LkgRELAX;
    run();
    const double f = GetParam().factor;
    for (int s = 0; s < 2; ++s) {
        const int i = s == 0 ? kRotor1 : kRotor2;
        EXPECT_DOUBLE_EQ(b->lkgn_GP[i], (GP[s] - GPold) * f + GPold) << i;
        EXPECT_DOUBLE_EQ(b->lkgn_GPY[i], (GPY[s] - GPYold) * f + GPYold) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Factors, RootGapRelaxation,
                         ::testing::Values(Relax{"ZeroMeansDefault", 0.0, 0.9},
                                           Relax{"OneTakesNewFlows", 1.0, 1.0}, Relax{"Half", 0.5, 0.5},
                                           Relax{"NegativeMeansDefault", -1.0, 0.9},
                                           Relax{"NaNMeansDefault", kNaN, 0.9}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DiskLoadTest, SumsTheDiskForcesAndAddsNoEndLoadWithoutEndSeal) {
    bdLocals* b = block();
    b->cyld_RAD = 7.0;  // from an earlier iteration
    b->cyld_RAB = 5.0;
    b->IPL = 2;
    const std::string text = run();
    EXPECT_EQ(b->cyld_RAD, b->lkgn_RAD[kRotor1] + b->lkgn_RAD[kRotor2]);
    EXPECT_EQ(b->elem_RAD[kRotor1], b->lkgn_RAD[kRotor1]);
    EXPECT_GT(b->cyld_RAD, 0.0);
    EXPECT_EQ(b->cyld_RAB, 0.0);
    char total[160];
    std::snprintf(total, sizeof total, "Total disks axial load:  (RADtot = RAD + RAB)  %g  = %g - %g  N\n\n",
                  b->cyld_RAD, b->cyld_RAD, -0.0);
    EXPECT_NE(text.find(total), std::string::npos) << text;
}

TEST_F(DiskLoadTest, EndLoadActsOnTheEndSealAgainstAmbient) {
    bdLocals* b = block();
    b->cyld_du = 0.1;
    run();
    // The first diaphragm's seal and inlet pressure bound the end seal annulus.
    const double expected = (0.1 * 0.1 - 0.12 * 0.12) * (-(b->isd_p1x[kStator1][0] - 101235.0) * kPi / 4.0);
    EXPECT_DOUBLE_EQ(b->cyld_RAB, expected);
    EXPECT_DOUBLE_EQ(rotor_end_load(), expected);
    b->cyld_du = 0.0;
    b->cyld_RAB = 3.0;
    EXPECT_EQ(rotor_end_load(), 0.0);
    EXPECT_EQ(b->cyld_RAB, 3.0);  // the driver stores the 0
}

struct Skipped {
    const char* name;
    void (*apply)(bdLocals*);
    int stages;
};
std::ostream& operator<<(std::ostream& os, const Skipped& c) { return os << c.name; }

class StageSelection : public DiskLoadTest, public ::testing::WithParamInterface<Skipped> {};

TEST_P(StageSelection, CountsOnlyRotorBladeRows) {
    bdLocals* b = block();
    GetParam().apply(b);
    for (int k = 0; k <= b->cyld_ns; ++k) b->lkgn_RAD[k] = 1000.0 * (k + 1);  // marks untouched elements
    b->IPL = 2;
    const std::string text = run();
    EXPECT_EQ(count(text, "\nStage "), GetParam().stages);
    EXPECT_EQ(count(text, "\nDisk axial load: "), GetParam().stages);
    double sum = 0.0;
    for (int k = 0; k <= b->cyld_ns; ++k) {
        if (b->lkgn_RAD[k] != 1000.0 * (k + 1)) sum += b->lkgn_RAD[k];
    }
    EXPECT_EQ(b->cyld_RAD, sum);
    // Diaphragms never get a load of their own.
    EXPECT_EQ(b->lkgn_RAD[kStator1], 2000.0);
    EXPECT_EQ(b->lkgn_RAD[kStator2], 4000.0);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, StageSelection,
    ::testing::Values(
        Skipped{"TwoStages", [](bdLocals*) {}, 2},
        Skipped{"BladeRowWithoutBlades", [](bdLocals* b) { b->bld_z[kRotor2] = 0.0; }, 1},
        Skipped{"TurningDiffuser", [](bdLocals* b) { b->elem_stagType[kRotor2] = 2.0; }, 1},
        Skipped{"NearlyABladeRow", [](bdLocals* b) { b->elem_stagType[kRotor1] = 1.0000001; }, 1},
        Skipped{"DiaphragmsOnly", [](bdLocals* b) { b->bld_wp[kRotor1] = b->bld_wp[kRotor2] = 0.0; }, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DiskLoadTest, PrintsOneRowPerStageAtLevelOne) {
    block()->IPL = 1;
    const std::string text = run();
    EXPECT_EQ(count(text, "\nis  i"), 1);
    EXPECT_EQ(count(text, "\n1   2   "), 1);
    EXPECT_EQ(count(text, "\n2   4   "), 1);
}

TEST_F(DiskLoadTest, PrintsStagesAndTheTotalAtLevelTwo) {
    bdLocals* b = block();
    b->IPL = 2;
    b->cyld_du = 0.1;
    const std::string text = run();
    EXPECT_EQ(text.find("\nis  i"), std::string::npos);  // the level-one table is not printed
    EXPECT_EQ(count(text, "\nStage "), 2);
    EXPECT_EQ(count(text, "\nDisk axial load: "), 2);
    char total[200];
    std::snprintf(total, sizeof total, "Total disks axial load:  (RADtot = RAD + RAB)  %g  = %g - %g  N\n\n",
                  b->cyld_RAD + b->cyld_RAB, b->cyld_RAD, -b->cyld_RAB);
    EXPECT_NE(text.find(total), std::string::npos) << text;
}

TEST_F(DiskLoadTest, PathWithoutElementsPrintsNoTotal) {
    bdLocals* b = block();
    ASSERT_EQ(free_probdata(), 0);
    h2::test::make_flow_path({Elem::Inlet}, 1);
    b->cyld_RAD = 7.0;
    b->IPL = 2;
    EXPECT_EQ(run(), "");
    EXPECT_EQ(b->cyld_RAD, 0.0);
}

TEST_F(DiskLoadTest, CaseWithoutArraysIsLeftAlone) {
    bdLocals* b = block();
    ASSERT_EQ(free_probdata(), 0);
    b->cyld_RAD = 7.0;
    b->cyld_du = 0.1;
    b->IPL = 2;
    EXPECT_EQ(run(), "");
    EXPECT_EQ(b->cyld_RAD, 7.0);
    EXPECT_EQ(rotor_end_load(), 0.0);
}

// A long path whose second stage's rotor (index 99) has no room in the
// station tables: the driver solves the first stage and the refusal of the
// second leaves its load out.
TEST(DiskLoadLongPath, LeavesOutTheStageItCannotSolve) {
    ASSERT_EQ(binit_threading(), 0);
    auto block = h2::test::make_block();
    ASSERT_EQ(set_bdLocals(block.get()), 1);
    unitsSetSI();
    bdLocals* b = block.get();
    h2::test::make_long_ducted_path(101);
    b->LkgRELAX = 1.0;
    for (int k : {96, 98, 100}) h2::test::make_sealed_stator(b, k, &linear_seal);
    for (int k : {97, 99}) h2::test::make_holed_rotor(b, k);
    const int outDst = b->outDst;
    {
        h2::test::CapturedConsole console;
        EXPECT_EQ(calc_disks_axial_load(), 0);
        EXPECT_EQ(count(console.text(), "ERRCODE_OUTOFRANGE: in seal_leakage.cpp line "), 1);
    }
    EXPECT_NE(b->lkgn_RAD[97], 0.0);
    EXPECT_EQ(b->lkgn_RAD[99], 0.0);
    EXPECT_EQ(b->cyld_RAD, b->lkgn_RAD[97]);
    EXPECT_EQ(b->outDst, outDst);
    EXPECT_EQ(free_probdata(), 0);
    bend_threading();
}

// ---- force formulas ---------------------------------------------------------

TEST(BladeRowForce, IsThePressureDropOnTheAnnulusWithoutSwirlOrMomentumChange) {
    const double rh = 0.085, rt = 0.115, A = rt * rt - rh * rh;
    EXPECT_NEAR(blade_row_force(2e5, 1.5e5, 100.0, 0.0, 1.2, 100.0, rh, rt), kPi * A * 5e4, 1e-9);
    // Swirl: the dynamic pressure comes off the inlet and the free vortex adds its radial rise.
    const double c1u = 200.0, rm = (rh + rt) / 2.0;
    const double swirl =
        kPi * A * (-0.5 * 1.2 * c1u * c1u) + kPi * 1.2 * rm * c1u * rm * c1u * std::log(rt / rh);
    EXPECT_NEAR(blade_row_force(2e5, 1.5e5, 100.0, c1u, 1.2, 100.0, rh, rt), kPi * A * 5e4 + swirl, 1e-6);
    // Axial momentum: a faster outflow pushes the row forward.
    EXPECT_NEAR(blade_row_force(2e5, 2e5, 100.0, 0.0, 1.2, 150.0, rh, rt), kPi * A * 100.0 * 1.2 * -50.0,
                1e-9);
}

TEST(BladeRowForce, HubOnTheAxisHasNoInfiniteSwirlTerm) {
    const double rt = 0.115, A = rt * rt;
    EXPECT_NEAR(blade_row_force(2e5, 1.5e5, 100.0, 200.0, 1.2, 100.0, 0.0, rt),
                kPi * A * (2e5 - 0.5 * 1.2 * 200.0 * 200.0) - kPi * A * 1.5e5, 1e-6);
}

TEST(SpanIntegral, IntegratesTheSectionTermsOverTheMassFlow) {
    const double p1[] = {2e5, 2.1e5, 2.2e5}, p2[] = {1.5e5, 1.5e5, 1.6e5};
    const double c1z[] = {100.0, 110.0, 120.0}, c2z[] = {120.0, 125.0, 130.0};
    const double rho1[] = {9.0, 9.0, 9.0}, rho2[] = {1.0, 1.1, 1.2};
    const double G = 4.0, h = G / 2.0;
    double u[3], v[3];
    for (int k = 0; k < 3; ++k) {
        u[k] = p1[k] / (c2z[k] * rho2[k]) + c1z[k];
        v[k] = p2[k] / (c2z[k] * rho2[k]) + c2z[k];
    }
    const double expected = h * ((u[0] + u[2]) / 2.0 + u[1]) - h * ((v[0] + v[2]) / 2.0 + v[1]);
    EXPECT_NEAR(span_integral(2, p1, p2, c1z, rho1, c2z, rho2, G), expected, 1e-9);
    // The inlet density takes no part.
    const double other_rho1[] = {1.0, 2.0, 3.0};
    EXPECT_EQ(span_integral(2, p1, p2, c1z, other_rho1, c2z, rho2, G),
              span_integral(2, p1, p2, c1z, rho1, c2z, rho2, G));
}

TEST(SpanIntegral, GuardsSectionsWithoutAxialFluxAndEmptyTables) {
    const double p1[] = {2e5, 2e5}, p2[] = {1.5e5, 1.5e5}, c1z[] = {100.0, 100.0}, rho[] = {1.0, 1.0};
    const double c2z[] = {0.0, 100.0};
    const double F = span_integral(1, p1, p2, c1z, rho, c2z, rho, 2.0);
    // Section 0 keeps only its speeds: u - v = c1z - c2z = 100.
    EXPECT_NEAR(F, 2.0 * (100.0 + (2e5 - 1.5e5) / 100.0) / 2.0, 1e-9);
    EXPECT_EQ(span_integral(0, p1, p2, c1z, rho, c2z, rho, 2.0), 0.0);
    EXPECT_EQ(span_integral(1, nullptr, p2, c1z, rho, c2z, rho, 2.0), 0.0);
    EXPECT_EQ(span_integral_r(0, p1, p2, c1z, rho, c2z, 0.085, 0.115), 0.0);
    EXPECT_EQ(span_integral_r(1, p1, p2, c1z, nullptr, c2z, 0.085, 0.115), 0.0);
}

TEST(SpanIntegral, OverTheRadiusGivesTheAnnulusForce) {
    // A uniform pressure drop without momentum change: the trapezoid sum of
    // the linear integrand is exact, 2 pi dp (rt^2 - rh^2) / 2.
    const double p1[] = {2e5, 2e5, 2e5, 2e5, 2e5}, p2[] = {1.5e5, 1.5e5, 1.5e5, 1.5e5, 1.5e5};
    const double c[] = {100.0, 100.0, 100.0, 100.0, 100.0}, rho[] = {1.2, 1.2, 1.2, 1.2, 1.2};
    const double rh = 0.085, rt = 0.115;
    EXPECT_NEAR(span_integral_r(4, p1, p2, c, rho, c, rh, rt), 6.2831853 * 5e4 * (rt * rt - rh * rh) / 2.0,
                1e-6);
}

TEST(AnnulusForce, IsInletMinusOutletPressureOnTheDiskAnnuli) {
    EXPECT_NEAR(annulus_force(2e5, 2e5, 0.12, 0.085, 0.085, 0.12), 0.0, 1e-9);
    EXPECT_NEAR(annulus_force(2e5, 1e5, 0.12, 0.085, 0.09, 0.12),
                0.7853981625 * (2e5 * (4 * 0.085 * 0.085 - 0.0144) - 1e5 * (4 * 0.09 * 0.09 - 0.0144)), 1e-9);
}

}  // namespace
