// Seal leakage and the disk cavity balance of a turbine stage: the discharge
// and friction formulas, the swirl march, the cavity iteration with and
// without balance holes on a two-stage turbine, the print-out, and the
// guards of the station tables and of the divisions.
#include "physics/seal_leakage.h"
#include "halvorine2/fluid_plugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "halvorine2/halvorine2.h"
#include "halvorine2/loss_plugin.h"
#include "tests/support/captured_console.h"
#include "tests/support/sealed_turbine.h"

namespace {

namespace fs = std::filesystem;
using h2::test::Elem;

const fs::path kGoldenDir = fs::path(__FILE__).parent_path().parent_path() / "golden";

constexpr int kNr = 3, kMid = 1;
constexpr int kStator1 = 1, kRotor1 = 2, kStator2 = 3, kRotor2 = 4;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Seal model for the tests: the diaphragm passes a flow proportional to the
// drop from the seal's upstream pressure to the trial cavity pressure, so the
// X balance falls monotonically with PX and has a root.
constexpr double kSealConductance = 1e-6;  // kg/s per Pa
int g_seal_calls = 0;
void linear_seal(bdLocals* b, int element) {
    ++g_seal_calls;
    const int i = static_cast<int>(b->lkg_elem);
    b->elem_Gdu[element] = kSealConductance * (b->lkgn_P0DY[i] - b->lkgn_PX[i]);
}

// A seal that passes almost nothing: below cyld__G 1e-5.
void trickle_seal(bdLocals* b, int element) { b->elem_Gdu[element] = 2e-6 * b->cyld_G; }

LossEntry entry(LossElemFunc f) { return reinterpret_cast<LossEntry>(f); }

constexpr double* bdLocals::*kLeakageFields[] = {
    &bdLocals::lkgn_P0DY,  &bdLocals::lkgn_I0DY,  &bdLocals::lkgn_PX,    &bdLocals::lkgn_IX,
    &bdLocals::lkgn_PY,    &bdLocals::lkgn_IY,    &bdLocals::lkgn_IR,    &bdLocals::lkgn_IP,
    &bdLocals::lkgn_DPD,   &bdLocals::lkgn_DPB,   &bdLocals::lkgn_DPDY,  &bdLocals::lkgn_DPBY,
    &bdLocals::lkgn_KK1,   &bdLocals::lkgn_Re,    &bdLocals::lkgn_CRO,   &bdLocals::lkgn_CP,
    &bdLocals::lkgn_CPY,   &bdLocals::lkgn_RD,    &bdLocals::lkgn_RR,    &bdLocals::lkgn_RP,
    &bdLocals::lkgn_RPY,   &bdLocals::lkgn_MRO,   &bdLocals::lkgn_MP,    &bdLocals::lkgn_MPY,
    &bdLocals::lkgn_KSI1,  &bdLocals::lkgn_KSI2,  &bdLocals::lkgn_KSI3,  &bdLocals::lkgn_KSI4,
    &bdLocals::lkgn_CF1,   &bdLocals::lkgn_CF2,   &bdLocals::lkgn_CF3,   &bdLocals::lkgn_CF4,
    &bdLocals::lkgn_BETA1, &bdLocals::lkgn_BETA2, &bdLocals::lkgn_BETA3, &bdLocals::lkgn_BETA4,
    &bdLocals::lkgn_BETA5, &bdLocals::lkgn_BETA6, &bdLocals::lkgn_FRO,   &bdLocals::lkgn_FP,
    &bdLocals::lkgn_FPY,   &bdLocals::lkgn_ZAG1,  &bdLocals::lkgn_ZAG2,  &bdLocals::lkgn_ZAG3,
    &bdLocals::lkgn_ZAG4,  &bdLocals::lkgn_GDY,   &bdLocals::lkgn_GDYY,  &bdLocals::lkgn_GRO,
    &bdLocals::lkgn_GROX,  &bdLocals::lkgn_GROY,  &bdLocals::lkgn_GP,    &bdLocals::lkgn_GPY,
    &bdLocals::lkgn_DHD,   &bdLocals::lkgn_RAD};

// The text is the golden file's, byte for byte.
void expect_golden(const std::string& text, const char* name) {
    EXPECT_EQ(text, h2::test::read_file(kGoldenDir / name)) << name;
}

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// ---- formulas ----------------------------------------------------------

struct Clamp {
    double table_value;
    double expected;
};

TEST(RootGapDischarge, HoldsTableResultsBetweenTheLimits) {
    for (const Clamp c : {Clamp{1.2, 0.99}, Clamp{1.0, 1.0}, Clamp{0.01, 0.05}, Clamp{0.05, 0.05},
                          Clamp{0.5, 0.5}, Clamp{1.0000001, 0.99}})
        EXPECT_EQ(h2::clamp_root_gap_discharge(c.table_value), c.expected) << c.table_value;
}

struct GapCase {
    double x_over_500;  // the table's first coordinate
    double gap;
    double expected;
};

TEST(RootGapDischarge, ReadsTheTableAtTheScaledSpeedAndGap) {
    const GapCase cases[] = {
        {5.0, 0.0018, 0.25},  {10.0, 0.0008, 0.9}, {15.0, 0.00125, 0.7},
        {-5.0, 0.0008, 0.41}, {7.5, 0.0018, 0.36},  // halfway between two rows
        {10.0, 0.01, 0.15},                         // a gap wider than the table counts as its widest
        {0.0, 0.004, 0.05},                         // 0.02 in the table, held at the floor
        {40.0, 0.0008, 0.99},                       // extrapolated past 1.0
    };
    for (const GapCase& c : cases)
        EXPECT_NEAR(root_gap_discharge(c.x_over_500 * 500.0, c.gap), c.expected, 1e-12)
            << c.x_over_500 << " " << c.gap;
}

struct HoleCase {
    double x, a, b, expected;
};

TEST(HoleDischarge, ReadsTheTableOrTheFloor) {
    const HoleCase cases[] = {
        {0.0, 1.0, 1.0, 0.9},        {1.0, 0.34, 1.0, 0.46}, {2.0, 0.1, 1.0, 0.2},
        {0.5, 1.0, 1.0, 0.74},       {7.0, 1.0, 1.0, 0.14},  // a fast disk
        {0.0, 0.0005, 0.0005, 0.14},                         // a hole under a millimetre
    };
    for (const HoleCase& c : cases) EXPECT_NEAR(hole_discharge(c.x, c.a, c.b), c.expected, 1e-12) << c.x;
}

TEST(CavityDiskLoad, IsTheAnnulusPressuresTimesTheirAreas) {
    // Equal pressures and equal faces balance.
    EXPECT_NEAR(cavity_disk_load(2e5, 100.0, 200.0, 2e5, 100.0, 200.0, 0.12, 0.14, 0.085, 0.085, 0.12), 0.0,
                1e-9);
    // One annulus alone: PX on the seal annulus of cavity X.
    const double A = 0.14 * 0.14 - 0.12 * 0.12;
    EXPECT_NEAR(cavity_disk_load(1e5, 0.0, 0.0, 0.0, 0.0, 0.0, 0.12, 0.14, 0.07, 0.07, 0.14),
                0.7853981625 * A * 1e5, 1e-9);
}

// ---- the two-stage turbine ------------------------------------------------

class SealLeakageTest : public h2::test::PathCaseTest {
protected:
    void SetUp() override {
        h2::test::CaseTest::SetUp();
        unitsSetSI();
        g_seal_calls = 0;
        build();
    }

    void build() {
        h2::test::make_sealed_two_stage_turbine(kNr, &linear_seal);
        bdLocals* b = block();
        // The inlet's middle section differs from its hub.
        b->isd_i1x[0][0] -= 1000.0;
        b->isd_i1x[0][kMid] += 1234.5;
        b->ITML = 100;
    }

    std::string run(int i, int stage = 0) {
        h2::test::CapturedConsole console;
        EXPECT_EQ(calc_stage_leakage(i, stage), 0);
        return console.text();
    }

    void expect_finite_stage(int i) {
        const bdLocals* b = block();
        for (std::size_t f = 0; f < std::size(kLeakageFields); ++f) {
            EXPECT_TRUE(std::isfinite((b->*kLeakageFields[f])[i])) << "rotor field " << f;
            EXPECT_TRUE(std::isfinite((b->*kLeakageFields[f])[i - 1])) << "stator field " << f;
        }
        EXPECT_TRUE(std::isfinite(b->elem_RAD[i]));
        bdLocals* m = block();
        for (double* row : {h2::swirl_row(m->RD1, i), h2::swirl_row(m->RD2, i), h2::swirl_row(m->ZD1, i),
                            h2::swirl_row(m->ZD2, i)})
            for (int k = 0; k < h2::kSwirlStations; ++k) EXPECT_TRUE(std::isfinite(row[k])) << k;
    }
};

TEST_F(SealLeakageTest, DiskFrictionAndSwirlParameterFollowTheirFormulas) {
    bdLocals* b = block();
    b->lkgn_Re[kRotor1] = 1.7e-05;
    // Turbulent disk friction falls as Re^-0.2: at X = r wp r / nu = 8.6e5
    // the coefficient is 0.0325 (8.6e5)^-0.2 = 2.1134e-3.
    const double r = std::sqrt(8.6e5 * 1.7e-05 / 3000.0);
    EXPECT_NEAR(disk_friction_cf(kRotor1, r), 2.1134096e-3, 1e-10);
    // Ten times the Reynolds number: 10^-0.2 = 0.630957 of it.
    EXPECT_NEAR(disk_friction_cf(kRotor1, r * std::sqrt(10.0)), 2.1134096e-3 * 0.6309573, 1e-10);
    EXPECT_EQ(disk_friction_cf(kRotor1, 0.0), 0.0);  // a face of no radius
    b->bld_wp[kRotor1] = -3000.0;
    EXPECT_EQ(disk_friction_cf(kRotor1, r), 0.0);  // X below 0
    b->bld_wp[kRotor1] = 3000.0;
    b->lkgn_Re[kRotor1] = 0.0;
    EXPECT_EQ(disk_friction_cf(kRotor1, 0.07), 0.0);  // no viscosity set
    b->lkgn_Re[kRotor1] = kNaN;
    EXPECT_EQ(disk_friction_cf(kRotor1, 0.07), 0.0);

    EXPECT_EQ(swirl_parameter(kRotor1, 0.07, 2.0, 9.9e-7), 1e6);
    EXPECT_EQ(swirl_parameter(kRotor1, 0.07, 2.0, -9.9e-7), 1e6);
    EXPECT_NEAR(swirl_parameter(kRotor1, 0.07, 2.0, 1e-3),
                3.14159265 * 3000.0 * 0.07 * 0.07 * 0.07 * 2.0 / 1e-3, 1e-9);
}

TEST_F(SealLeakageTest, SwirlMarchSetsOnlyTheStationsItReaches) {
    struct March {
        int start, step, end;
        std::vector<int> set;
    };
    const March marches[] = {
        {0, 1, 3, {1, 2, 3}}, {5, 1, 9, {6, 7, 8, 9}}, {10, -1, 6, {9, 8, 7, 6}}, {4, -1, 1, {3, 2, 1}}};
    for (const March& m : marches) {
        double rd[11], zd[11];
        for (int k = 0; k < 11; ++k) {
            rd[k] = 0.06 + 0.0025 * k;
            zd[k] = 7.0;
        }
        zd[m.start] = 0.5;
        ASSERT_EQ(swirl_march(kRotor1, m.start, m.step, m.end, 0.07, 2.0, 0.002 * m.step, zd, rd), 0);
        for (int k = 0; k < 11; ++k) {
            const bool reached = std::find(m.set.begin(), m.set.end(), k) != m.set.end();
            if (k == m.start) continue;
            if (reached) {
                EXPECT_NE(zd[k], 7.0) << m.start << " station " << k;
            } else {
                EXPECT_EQ(zd[k], 7.0) << m.start << " station " << k;
            }
        }
    }
    // One step by the relation: zd1 = (zd0 + beta d s^2) / (1 + 2 d (beta s^2 + 1/s)).
    double rd[11] = {0.06, 0.065}, zd[11] = {0.5};
    ASSERT_EQ(swirl_march(kRotor1, 0, 1, 1, 0.06, 3.0, 0.005, zd, rd), 0);
    const double s = 0.065 / 0.06, d = 0.005 / 0.06;
    EXPECT_NEAR(zd[1], (0.5 + 3.0 * d * s * s) / (1.0 + 2.0 * d * (3.0 * s * s + 1.0 / s)), 1e-15);
}

TEST_F(SealLeakageTest, SwirlMarchCarriesTheSwirlWhereTheRadiusRatioIsUndefined) {
    double rd[11] = {}, zd[11] = {};
    zd[0] = 0.5;
    ASSERT_EQ(swirl_march(kRotor1, 0, 1, 3, 0.0, 2.0, 0.001, zd, rd), 0);  // r0 = 0 and radii 0
    for (int k = 0; k <= 3; ++k) EXPECT_EQ(zd[k], 0.5) << k;
}

TEST_F(SealLeakageTest, SwirlMarchRefusesStepsOutsideTheRow) {
    double rd[11] = {}, zd[11] = {};
    h2::test::CapturedConsole console;
    EXPECT_EQ(swirl_march(kRotor1, 0, 1, 11, 0.07, 2.0, 0.001, zd, rd), 1);
    EXPECT_EQ(swirl_march(kRotor1, -1, 1, 3, 0.07, 2.0, 0.001, zd, rd), 1);
    EXPECT_EQ(swirl_march(kRotor1, 0, 2, 4, 0.07, 2.0, 0.001, zd, rd), 1);
    EXPECT_EQ(swirl_march(kRotor1, 0, 1, 3, 0.07, 2.0, 0.001, nullptr, rd), 1);
    for (double z : zd) EXPECT_EQ(z, 0.0);
    EXPECT_EQ(count(console.text(), "ERRCODE_OUTOFRANGE: in seal_leakage.cpp line "), 4);
}

// The three ways a stage has no balance holes.
struct NoHoles {
    const char* name;
    double Zr8, ORO, DRO;
};
std::ostream& operator<<(std::ostream& os, const NoHoles& c) { return os << c.name; }

class StageWithoutHoles : public SealLeakageTest, public ::testing::WithParamInterface<NoHoles> {};

TEST_P(StageWithoutHoles, RewritesTheHoleCircleAndPassesOnce) {
    bdLocals* b = block();
    b->clrn_Zr8[kRotor1] = GetParam().Zr8;
    b->clrn_ORO[kRotor1] = GetParam().ORO;
    b->clrn_DRO[kRotor1] = GetParam().DRO;
    b->lkgn_GRO[kRotor1] = b->lkgn_GROX[kRotor1] = b->lkgn_GROY[kRotor1] = 0.5;  // from an earlier call
    b->IPL = 3;

    const std::string text = run(kRotor1);

    const double rX = (0.2 - 0.03) / 2.0;  // stator and rotor share d2 and l2
    EXPECT_DOUBLE_EQ(b->clrn_ORO[kRotor1], (2.0 * rX + 0.12) / 2.0);
    EXPECT_EQ(count(text, "X02: "), 1);
    EXPECT_EQ(count(text, "Y02: "), 1);
    EXPECT_EQ(g_seal_calls, 1);
    EXPECT_EQ(b->lkgn_GRO[kRotor1], 0.0);
    EXPECT_EQ(b->lkgn_GROX[kRotor1], 0.0);
    EXPECT_EQ(b->lkgn_GROY[kRotor1], 0.0);
    EXPECT_EQ(b->lkgn_MRO[kRotor1], 0.0);
    // All the seal flow leaves through the root gap.
    EXPECT_GT(b->lkgn_GDY[kStator1], 0.0);
    EXPECT_EQ(b->lkgn_GP[kRotor1], b->lkgn_GDY[kStator1]);
    EXPECT_DOUBLE_EQ(b->lkgn_CP[kRotor1],
                     b->lkgn_GP[kRotor1] / (b->isd_Ro2[kStator1][0] * b->lkgn_FP[kRotor1]));
    EXPECT_DOUBLE_EQ(b->lkgn_PX[kRotor1], b->isd_p2[kStator1][0] - b->lkgn_DPB[kRotor1]);
    EXPECT_DOUBLE_EQ(b->lkgn_PY[kRotor1], b->isd_p2[kRotor1][0] - b->lkgn_DPBY[kRotor1]);
    EXPECT_NE(text.find("delta=0\n"), std::string::npos);
    // The swirl step is skipped: every core keeps its start value.
    for (int k = 0; k < h2::kSwirlStations; ++k) {
        EXPECT_EQ(h2::swirl_row(b->ZD1, kRotor1)[k], 0.5);
        EXPECT_EQ(h2::swirl_row(b->ZD2, kRotor1)[k], 0.5);
    }
}

INSTANTIATE_TEST_SUITE_P(Causes, StageWithoutHoles,
                         ::testing::Values(NoHoles{"NoHoleCount", 0.0, 0.14, 0.01},
                                           NoHoles{"NoHoleCircle", 6.0, 1e-6, 0.01},
                                           NoHoles{"NoHoleDiameter", 6.0, 0.14, -1e-6}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Passes {
    int ITML;
    int expected;
};

class CavityIterationLimit : public SealLeakageTest, public ::testing::WithParamInterface<Passes> {};

TEST_P(CavityIterationLimit, MakesAtLeastOneAndAtMostItmlPasses) {
    bdLocals* b = block();
    b->ITML = GetParam().ITML;
    b->IPL = 3;
    const std::string text = run(kRotor1);
    EXPECT_EQ(count(text, "X02: "), GetParam().expected);
    EXPECT_EQ(count(text, "Y02: "), GetParam().expected);
}

// This stage's hole flows take some twenty passes to agree.
INSTANTIATE_TEST_SUITE_P(Limits, CavityIterationLimit,
                         ::testing::Values(Passes{0, 1}, Passes{1, 1}, Passes{3, 3}));

TEST_F(SealLeakageTest, IteratesUntilTheHoleFlowsAgree) {
    bdLocals* b = block();
    b->IPL = 3;
    const std::string text = run(kRotor1);
    const int passes = count(text, "X02: ");
    EXPECT_GT(passes, 3);
    EXPECT_LT(passes, b->ITML);
    EXPECT_LT(std::abs(b->lkgn_GROY[kRotor1] - b->lkgn_GROX[kRotor1]), 1e-5 * b->cyld_G);
    EXPECT_EQ(b->lkgn_GRO[kRotor1], (b->lkgn_GROX[kRotor1] + b->lkgn_GROY[kRotor1]) / 2.0);
}

TEST_F(SealLeakageTest, MassBalanceOfEveryCavityCloses) {
    bdLocals* b = block();
    const double tolerance = 1e-8 * b->cyld_G;
    for (int stage = 0; stage < 2; ++stage) {
        const int i = stage == 0 ? kRotor1 : kRotor2, ps = i - 1;
        run(i, stage);
        // X: seal flow in = root-gap flow out + hole flow to Y.
        EXPECT_NEAR(b->lkgn_GDY[ps], b->lkgn_GP[i] + b->lkgn_GROX[i], tolerance) << i;
        // Y: hole flow in = next seal flow out + root-gap flow out.
        EXPECT_NEAR(b->lkgn_GROY[i], b->lkgn_GDYY[ps] + b->lkgn_GPY[i], tolerance) << i;
        EXPECT_GT(b->lkgn_GDY[ps], 0.0);
        EXPECT_GT(b->lkgn_GROX[i], 0.0);
        EXPECT_GT(b->lkgn_PX[i], b->lkgn_PY[i]);
        expect_finite_stage(i);
    }
    // The second stage's seal flow is what leaves the first stage's cavity Y.
    EXPECT_EQ(b->lkgn_GDYY[kStator1], b->lkgn_GDY[kStator2]);
    EXPECT_GT(b->lkgn_GDYY[kStator1], 0.0);
    // Solved again with it, the first stage's Y balance closes with that outflow.
    run(kRotor1);
    EXPECT_NEAR(b->lkgn_GROY[kRotor1], b->lkgn_GDYY[kStator1] + b->lkgn_GPY[kRotor1], tolerance);
}

TEST_F(SealLeakageTest, FirstRotorTakesItsEnthalpyFromTheInletMiddleSection) {
    bdLocals* b = block();
    run(kRotor1);
    EXPECT_EQ(b->lkgn_I0DY[kRotor1], b->isd_i1x[0][kMid]);
    const double IY1 = b->lkgn_IY[kRotor1];
    run(kRotor2, 1);
    // Later rotors take it from the previous stage's cavity Y.
    EXPECT_EQ(b->lkgn_I0DY[kRotor2], IY1);
}

TEST_F(SealLeakageTest, DisksTurningEitherWayCarryTheSameFlowsAndLoad) {
    bdLocals* b = block();
    run(kRotor1);
    const double MRO = b->lkgn_MRO[kRotor1], GRO = b->lkgn_GRO[kRotor1], RAD = b->elem_RAD[kRotor1];
    EXPECT_GT(MRO, 0.14);
    EXPECT_LT(MRO, 0.9);
    for (int k = 0; k <= b->cyld_ns; ++k) b->bld_wp[k] = -b->bld_wp[k];
    run(kRotor1);
    // Without the size of the speed the hole table would be read far below
    // its first row, where it gives coefficients above 1.
    EXPECT_EQ(b->lkgn_MRO[kRotor1], MRO);
    EXPECT_EQ(b->lkgn_GRO[kRotor1], GRO);
    EXPECT_EQ(b->elem_RAD[kRotor1], RAD);
    expect_finite_stage(kRotor1);
}

TEST_F(SealLeakageTest, DiskLoadIsTheCavityForceAndDiskFrictionItsTerm) {
    bdLocals* b = block();
    run(kRotor1);
    const int i = kRotor1;
    const double rX = (0.2 - 0.03) / 2.0;
    EXPECT_EQ(b->elem_RAD[i], cavity_disk_load(b->lkgn_PX[i], b->lkgn_DPD[i], b->lkgn_DPB[i], b->lkgn_PY[i],
                                               b->lkgn_DPDY[i], b->lkgn_DPBY[i], 0.12, 0.14, rX, rX, 0.12));
    EXPECT_EQ(b->lkgn_RAD[i], b->elem_RAD[i]);
    EXPECT_GT(b->elem_RAD[i], 0.0);  // cavity X is the higher
    EXPECT_NEAR(b->lkgn_DHD[i], 0.003 * std::pow(3000.0, 3) * std::pow(rX, 5) * b->isd_Ro2[i][0], 1e-9);
    EXPECT_NEAR(b->lkgn_DPD[i], (0.14 * 0.14 - 0.12 * 0.12) * 3000.0 * 3000.0 / 32.0 * b->isd_Ro2[i - 1][0],
                1e-9);
    // The first station of each table is the seal radius, the last the root radius.
    EXPECT_DOUBLE_EQ(h2::swirl_row(b->RD1, i)[0], 0.06);
    EXPECT_DOUBLE_EQ(h2::swirl_row(b->RD1, i)[10], rX);
    // ... which the flow solver reads as the next row's first value.
    EXPECT_EQ(b->ZD1[i + 1][0], h2::swirl_row(b->ZD1, i)[10]);
}

TEST_F(SealLeakageTest, AnEmptySealSlotLeavesTheSealFlowAsItWas) {
    bdLocals* b = block();
    b->LossSlots[H2_LOSS_D][kStator1] = nullptr;
    b->elem_MethodD[kStator1] = 1.0;
    b->elem_Gdu[kStator1] = 0.02;
    run(kRotor1);
    EXPECT_EQ(g_seal_calls, 0);
    EXPECT_EQ(b->elem_Gdu[kStator1], 0.02);
    EXPECT_EQ(b->lkgn_GDY[kStator1], 0.02);
    expect_finite_stage(kRotor1);
}

// A loaded case has no D switch set: an installed seal model is called anyway.
TEST_F(SealLeakageTest, AnInstalledSealModelRunsWithoutItsSwitch) {
    bdLocals* b = block();
    b->LossSlots[H2_LOSS_D][kStator1] = entry(linear_seal);
    b->elem_MethodD[kStator1] = 0.0;
    run(kRotor1);
    EXPECT_GT(g_seal_calls, 0);
    expect_finite_stage(kRotor1);
}

TEST_F(SealLeakageTest, SmallFlowsPrintAndStayZero) {
    bdLocals* b = block();
    b->LossSlots[H2_LOSS_D][kStator1] = entry(trickle_seal);
    b->clrn_Zr8[kRotor1] = 0.0;
    b->lkgn_GDYY[kStator1] = -1e-6 * b->cyld_G;
    b->IPL = 2;
    const std::string text = run(kRotor1);
    EXPECT_EQ(b->lkgn_GDY[kStator1], 0.0);
    EXPECT_EQ(b->lkgn_GP[kRotor1], 0.0);
    EXPECT_EQ(b->lkgn_GDYY[kStator1], 0.0);
    EXPECT_EQ(b->lkgn_GPY[kRotor1], 0.0);
    EXPECT_NE(text.find("\n  0.000e+00  0.000e+00  0.000e+00  0.000e+00  0.000e+00  0.000e+00  1.000e-02"),
              std::string::npos)
        << text;
    // A flow at the threshold is kept.
    b->lkgn_GP[kRotor1] = 1e-5 * b->cyld_G;
    h2::test::CapturedConsole console;
    print_stage_leakage(kRotor1);
    EXPECT_EQ(b->lkgn_GP[kRotor1], 1e-5 * b->cyld_G);
}

TEST_F(SealLeakageTest, PrintsResidualLinesAtLevelFour) {
    block()->IPL = 4;
    block()->ITML = 1;
    const std::string text = run(kRotor1);
    // Every trial of both searches.
    EXPECT_GT(count(text, "FLX02: "), 10);
    EXPECT_GT(count(text, "FLY02: "), 10);
    EXPECT_EQ(count(text, "FLX"), count(text, "FLX02: "));
}

TEST_F(SealLeakageTest, PrintsTheCavityTablesByteForByte) {
    bdLocals* b = block();
    const int i = kRotor1, ps = kStator1;
    b->IPL = 3;
    b->cyld_G = 3.0;
    b->lkgn_GDY[ps] = 0.0441;
    b->lkgn_GP[i] = 0.0071;
    b->lkgn_GROX[i] = 0.0370;
    b->lkgn_GROY[i] = 0.03699;
    b->lkgn_GPY[i] = 0.01387;
    b->lkgn_GDYY[ps] = 0.02313;
    b->lkgn_PX[i] = 305891.0;
    b->lkgn_IX[i] = 1006250.0;
    b->lkgn_PY[i] = 290686.0;
    b->lkgn_IY[i] = 1006000.0;
    b->lkgn_DPD[i] = 1525.0;
    b->lkgn_DPB[i] = 2728.0;
    b->lkgn_DPDY[i] = 1271.0;
    b->lkgn_DPBY[i] = 2273.0;
    b->lkgn_CP[i] = 4.25;
    b->lkgn_CPY[i] = -18.5;
    b->lkgn_CRO[i] = 41.19;
    const double extra[] = {1.397e-13, 6.428e-14, 1.397e-13, 6.428e-14, 4.347e-14, 1.999e-14,
                            4.347e-14, 1.999e-14, 1.03e-11,  1.5e-11,   3.3e-11,   1e6,
                            1.07e-11,  1.9e-11,   0.377,     0.05,      0.05};
    double* const fields[] = {b->lkgn_KSI1,  b->lkgn_KSI2,  b->lkgn_KSI3,  b->lkgn_KSI4,  b->lkgn_CF1,
                              b->lkgn_CF2,   b->lkgn_CF3,   b->lkgn_CF4,   b->lkgn_BETA1, b->lkgn_BETA2,
                              b->lkgn_BETA3, b->lkgn_BETA4, b->lkgn_BETA5, b->lkgn_BETA6, b->lkgn_MRO,
                              b->lkgn_MP,    b->lkgn_MPY};
    for (std::size_t f = 0; f < std::size(fields); ++f) fields[f][i] = extra[f];
    for (int k = 0; k < h2::kSwirlStations; ++k) {
        h2::swirl_row(b->RD1, i)[k] = 0.06 + 0.0025 * k;
        h2::swirl_row(b->RD2, i)[k] = 0.06 + 0.0025 * k;
        h2::swirl_row(b->ZD1, i)[k] = 0.5 - 0.01 * k;
        h2::swirl_row(b->ZD2, i)[k] = 1.0 - 0.02 * k;
    }
    h2::test::CapturedConsole console;
    print_stage_leakage(i);
    expect_golden(console.text(), "seal_tables.txt");
}

// Degenerate but legal data: every division it reaches is guarded.
struct Degenerate {
    const char* name;
    void (*apply)(bdLocals*);
};
std::ostream& operator<<(std::ostream& os, const Degenerate& c) { return os << c.name; }

class DegenerateStage : public SealLeakageTest, public ::testing::WithParamInterface<Degenerate> {};

TEST_P(DegenerateStage, StaysFinite) {
    bdLocals* b = block();
    GetParam().apply(b);
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(calc_stage_leakage(kRotor1, 0), 0);
        EXPECT_EQ(calc_stage_leakage(kRotor2, 1), 0);
    }
    expect_finite_stage(kRotor1);
    expect_finite_stage(kRotor2);
}

INSTANTIATE_TEST_SUITE_P(
    Data, DegenerateStage,
    ::testing::Values(Degenerate{"NoRootGaps",
                                 [](bdLocals* b) {
                                     for (int k : {kRotor1, kRotor2})
                                         b->clrn_DPOD[k] = b->clrn_DPODY[k] = 0.0;
                                 }},
                      Degenerate{"NoRootGapsNoHoles",
                                 [](bdLocals* b) {
                                     for (int k : {kRotor1, kRotor2})
                                         b->clrn_DPOD[k] = b->clrn_DPODY[k] = b->clrn_Zr8[k] = 0.0;
                                 }},
                      Degenerate{"NoDensity",
                                 [](bdLocals* b) {
                                     for (int k = 0; k <= b->cyld_ns; ++k) b->isd_Ro2[k][0] = 0.0;
                                 }},
                      Degenerate{"NoDensityNoHoles",
                                 [](bdLocals* b) {
                                     for (int k = 0; k <= b->cyld_ns; ++k) b->isd_Ro2[k][0] = 0.0;
                                     b->clrn_Zr8[kRotor1] = b->clrn_Zr8[kRotor2] = 0.0;
                                 }},
                      Degenerate{"RootsOnTheAxis",
                                 [](bdLocals* b) {
                                     for (int k = 0; k <= b->cyld_ns; ++k) b->bld_l2[k] = b->bld_d2[k];
                                 }},
                      Degenerate{"NoSealDiameter",
                                 [](bdLocals* b) { b->bld_du[kStator1] = b->bld_du[kStator2] = 0.0; }},
                      Degenerate{"HolesAsWideAsTheirCircle",
                                 [](bdLocals* b) {
                                     for (int k : {kRotor1, kRotor2}) b->clrn_DRO[k] = b->clrn_ORO[k];
                                 }},
                      Degenerate{"NoMassFlow", [](bdLocals* b) { b->cyld_G = 0.0; }},
                      Degenerate{"NoRotation",  // a rotor row whose speed the disk friction divides by
                                 [](bdLocals* b) { b->bld_wp[kRotor1] = 1e-300; }},
                      Degenerate{"NoPressureBehind",
                                 [](bdLocals* b) {
                                     for (int j = 0; j < kNr; ++j)
                                         b->isd_p2[kRotor1][j] = b->isd_p2[kRotor2][j] = 0.0;
                                 }},
                      Degenerate{"NoFluidExponent",
                                 [](bdLocals* b) {
                                     b->fluid_func = [](int code, double a, double p, double c, int f) {
                                         return code == H2_FLUID_KAPPA_PI
                                                    ? 0.0
                                                    : h2::test::test_fluid_func(code, a, p, c, f);
                                     };
                                 }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- refused elements ---------------------------------------------------------

TEST_F(SealLeakageTest, RefusesElementsOutsideThePath) {
    bdLocals* b = block();
    b->elem_stagType[0] = 1.0;  // an inlet flagged as a rotor has nothing in front of it
    b->bld_wp[0] = 3000.0;
    b->bld_z[0] = 60.0;
    h2::test::CapturedConsole console;
    for (int i : {0, -1, b->cyld_ns + 1}) EXPECT_EQ(calc_stage_leakage(i, 0), 1) << i;
    EXPECT_EQ(count(console.text(), "ERRCODE_OUTOFRANGE: in seal_leakage.cpp line "), 3);
    EXPECT_EQ(b->lkg_elem, 0.0);

    // The residuals and hole flows of an element that is not there change nothing.
    b->lkg_elem = 17.0;
    EXPECT_EQ(leak_residual_x(2e5), 0.0);
    EXPECT_EQ(leak_residual_y(2e5), 0.0);
    b->lkg_elem = kNaN;
    EXPECT_EQ(leak_residual_x(2e5), 0.0);
    EXPECT_EQ(hole_flow_xy(b->cyld_ns + 1), 1);
    EXPECT_EQ(hole_flow_yx(-3), 1);
}

TEST_F(SealLeakageTest, RefusesACaseWithoutFluidOrSections) {
    bdLocals* b = block();
    h2::test::CapturedConsole console;
    b->fluid_func = nullptr;
    EXPECT_EQ(calc_stage_leakage(kRotor1, 0), 1);
    EXPECT_NE(console.text().find("ERRCODE_CORRUPTED_DATA: in seal_leakage.cpp line "), std::string::npos);
    h2::test::install_test_fluid(b);
    b->cyld_nr = 0;
    EXPECT_EQ(calc_stage_leakage(kRotor1, 0), 1);
    b->cyld_nr = kNr;
    EXPECT_EQ(b->lkgn_PX[kRotor1], 0.0);
    EXPECT_EQ(g_seal_calls, 0);
}

// A long path: an inlet, ducts, and one stage whose rotor sits at a given
// index near the end of the station tables.
class LongPathTest : public h2::test::CaseTest, public ::testing::WithParamInterface<int> {
protected:
    static constexpr int kNs = 101;
    void SetUp() override {
        h2::test::CaseTest::SetUp();
        unitsSetSI();
        g_seal_calls = 0;
        bdLocals* b = block();
        h2::test::make_long_ducted_path(kNs);
        rotor_ = GetParam();
        for (int k : {rotor_ - 1, rotor_ + 1}) h2::test::make_sealed_stator(b, k, &linear_seal);
        h2::test::make_holed_rotor(b, rotor_);
    }
    void TearDown() override {
        EXPECT_EQ(free_probdata(), 0);
        h2::test::CaseTest::TearDown();
    }
    int rotor_ = 0;
};

TEST_P(LongPathTest, SolvesRotorsWhoseStationsFitAndRefusesTheRest) {
    bdLocals* b = block();
    const int outDst = b->outDst;
    const bool fits = rotor_ <= h2::kLastSwirlRotor;
    b->lkgn_PX[rotor_] = -7.0;
    h2::test::CapturedConsole console;
    EXPECT_EQ(calc_stage_leakage(rotor_, 0), fits ? 0 : 1);
    EXPECT_EQ(b->outDst, outDst);  // the field behind the last table
    if (fits) {
        EXPECT_NE(b->lkgn_PX[rotor_], -7.0);
        EXPECT_DOUBLE_EQ(b->RD1[rotor_ + 1][0], (0.2 - 0.03) / 2.0);  // station 10: the root radius
        EXPECT_EQ(console.text(), "");
    } else {
        // Station 10 of row 99 would lie past the tables.
        EXPECT_EQ(b->lkgn_PX[rotor_], -7.0);
        EXPECT_EQ(b->elem_RAD[rotor_], 0.0);
        EXPECT_EQ(g_seal_calls, 0);
        EXPECT_NE(console.text().find("ERRCODE_OUTOFRANGE: in seal_leakage.cpp line "), std::string::npos);
        for (double v : b->ZD2[h2::kSwirlRows - 1]) EXPECT_EQ(v, 0.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Rotors, LongPathTest, ::testing::Values(98, 99, 100));

}  // namespace
