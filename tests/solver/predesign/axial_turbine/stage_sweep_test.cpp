// The stage sweep on the shipped one-stage design example turned into task 2
// with mean-diameter rows (the swept diameters and heights are the rows'
// own): the point mapping against the LPtau coordinates, the rebuilt seals,
// gaps and slopes against their formulas, the stator exit pressure against
// the isentropic reaction split of a perfect gas (R 287.5, k 1.4), continuity
// through the swept annulus, and the choice of the best point.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/halvorine2.h"
#include "reports/report_api.h"
#include "solver/predesign/axial_turbine/turbine_design.h"
#include "solver/predesign/predesign_tables.h"
#include "solver/solver_api.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/example_stage.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_fluid.h"

namespace {

constexpr double kR = 287.5;
constexpr double kK = 1.4;
constexpr double kCp = kK * kR / (kK - 1.0);
constexpr double kPi = 3.14159265;
constexpr double kTwoPi = 6.283185307179586;

double rel(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

TEST(StageGapSizes, TheLinesAndCapsForEveryHeight) {
    struct Case {
        double x, g1, g2, g3;
    };
    // Lines through (0; 0.001, 0.002, 0.001) and (0.4; 0.003, 0.007, 0.006),
    // capped at 0.005, 0.01, 0.01; small heights stay on the lines.
    const Case cases[] = {
        {0.4, 0.003, 0.007, 0.006}, {1.0, 0.005, 0.01, 0.01},     {0.01, 0.00105, 0.002125, 0.001125},
        {0.8, 0.005, 0.01, 0.01},   {0.2, 0.002, 0.0045, 0.0035},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        double g1 = 0.0, g2 = 0.0, g3 = 0.0;
        stgGapSizes(c.x, &g1, &g2, &g3);
        EXPECT_NEAR(g1, c.g1, 1e-15);
        EXPECT_NEAR(g2, c.g2, 1e-15);
        EXPECT_NEAR(g3, c.g3, 1e-15);
    }
    // The estimate still takes a fiftieth of a small height.
    double g1 = 0.0, g2 = 0.0, g3 = 0.0;
    estimate_gaps(0.01, &g1, &g2, &g3);
    EXPECT_NEAR(g1, 0.0002, 1e-15);
    EXPECT_NEAR(g3, 0.0002, 1e-15);
}

class StageSweep : public h2::test::LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        prepare();
    }
    // A fresh case, so that a sweep starts from the same solved state as another.
    void fresh() {
        bterm();
        ASSERT_NE(binit(), nullptr);
        prepare();
    }
    void prepare() {
        ASSERT_TRUE(h2::test::load_example("air_turbine_stage_design.dat"));
        bdLocals& b = *block();
        m = b.cyld_nr / 2;
        // Task 2 on mean diameters: the file's 200 mm is the rows' mean diameter.
        b.cyld_VART = 2;
        b.cyld_VARTD = 1;
        for (int e = 0; e <= b.cyld_ns; ++e) b.elem_VARTD[e] = 1.0;
        b.S2form = 2;
        b.S2minReact = 0.2, b.S2maxReact = 0.45;
        b.S2minD1Mean = 0.22, b.S2maxD1Mean = 0.26;
        b.S2minD1L1 = 6.0, b.S2maxD1L1 = 8.0;
        b.S2minD2D1 = 1.0, b.S2maxD2D1 = 1.04;
        b.S2minL2L1 = 1.05, b.S2maxL2L1 = 1.25;
        b.S2minAxGap = 0.003, b.S2maxAxGap = 0.006;
        b.S2minA1 = 0.0, b.S2maxA1 = 90.0;
        b.S2minB2 = 0.0, b.S2maxB2 = 180.0;
        b.S2minHubR = -10.0, b.S2maxHubR = 10.0;
        b.S2minHubD = 0.0, b.S2maxHubD = 10.0;
        b.S2minShroudD = 0.0, b.S2maxShroudD = 10.0;
        b.S1range_begin = 1;
        b.S1range_end = 6;
        ASSERT_EQ(bestXN(), 0);
        calc_integral(1);
    }
    bdLocals* block() { return get_bdLocals(); }
    // The six swept values of point i.
    std::vector<double> values(int i) const {
        double u[6] = {};
        LPT20init();
        LPT20point(static_cast<uint32_t>(i), 6, u);
        const bdLocals& b = *get_bdLocals();
        const double lo[6] = {b.S2minReact, b.S2minD1Mean, b.S2minD1L1,
                              b.S2minD2D1,  b.S2minL2L1,   b.S2minAxGap};
        const double hi[6] = {b.S2maxReact, b.S2maxD1Mean, b.S2maxD1L1,
                              b.S2maxD2D1,  b.S2maxL2L1,   b.S2maxAxGap};
        std::vector<double> v(6);
        for (int k = 0; k < 6; ++k) v[k] = lo[k] + u[k] * (hi[k] - lo[k]);
        return v;
    }
    // The stage geometry point i maps into.
    void expect_point(int i) {
        const bdLocals& b = *block();
        const std::vector<double> v = values(i);
        EXPECT_LT(rel(b.bld_d2[1], v[1]), 1e-12);
        EXPECT_LT(rel(b.bld_l2[1], v[1] / v[2]), 1e-12);
        EXPECT_LT(rel(b.bld_d2[2], v[3] * v[1]), 1e-12);
        EXPECT_LT(rel(b.bld_l2[2], v[4] * v[1] / v[2]), 1e-12);
        EXPECT_LT(rel(b.clrn_d1[1], v[5]), 1e-12);
    }
    // The seals and switches the rebuild gives the stage.
    void expect_seals() {
        const bdLocals& b = *block();
        EXPECT_LT(rel(b.clrn_d1[2], 1.25 * b.clrn_d1[1]), 1e-12);
        EXPECT_LT(rel(b.clrn_b1n[2], 0.001 + 0.005 * b.bld_l2[2]), 1e-12);
        EXPECT_EQ(b.clrn_b1n[1], 0.002);
        const double hub = std::min(b.bld_d2[1] - b.bld_l2[1], b.bld_d2[2] - b.bld_l2[2]);
        EXPECT_LT(rel(b.bld_du[1], 0.65 * hub), 1e-12);
        EXPECT_LT(rel(b.clrn_drd[1], 0.001 * b.bld_du[1]), 1e-12);
        EXPECT_EQ(b.stgtd_Tdy[1], 1.0);
        EXPECT_EQ(b.stgtd_Tby[2], 0.0);
        EXPECT_EQ(b.bld_d2s[1], b.bld_d2[1]);
        EXPECT_EQ(b.bld_d2s[2], b.bld_d2[2]);
    }
    // The reaction's share of the isentropic stage drop from the stator inlet
    // total state to the rotor exit pressure p2r, for a perfect gas.
    double stator_pressure(double p2r) const {
        const bdLocals& b = *get_bdLocals();
        const double p0 = b.isd_p1x[1][m], i0 = b.isd_i1x[1][m];
        const double i2s = i0 * std::pow(p2r / p0, (kK - 1.0) / kK);
        const double i = b.elem_R[2] * (i0 - i2s) + i2s;
        return p0 * std::pow(i / i0, kK / (kK - 1.0));
    }
    h2::test::TempDir dir_;
    int m = 0;
};

TEST_F(StageSweep, APointMapsIntoTheStageAndIntoModuleRecordZero) {
    bdLocals& b = *block();
    for (int i : {1, 4, 13}) {
        SCOPED_TRACE(i);
        SetStgPoint(1, 2, i, 6);
        expect_point(i);
        const std::vector<double> v = values(i);
        EXPECT_LT(rel(b.elem_R[2], v[0]), 1e-12);
        EXPECT_EQ(b.elem_R[1], b.elem_R[2]);
        const double* current = h2::predesign::module_records()[0].PD_VAL;
        EXPECT_EQ(current[0], b.elem_R[2]);
        EXPECT_EQ(current[1], b.bld_d2[1]);
        EXPECT_EQ(current[2], b.bld_l2[1]);
        EXPECT_EQ(current[3], b.bld_d2[2]);
        EXPECT_EQ(current[4], b.bld_l2[2]);
        EXPECT_EQ(current[5], b.clrn_d1[1]);
    }
}

TEST_F(StageSweep, TheRebuildGivesSealsGapsSlopesAndTheStatorPressure) {
    bdLocals& b = *block();
    const double rotor_gap = b.clrn_d1[2];
    const double p2r = b.isd_p2[2][m];
    b.stgtd_Tdy[1] = 0.0;
    b.stgtd_Tby[2] = 5.0;
    SetStgPoint(1, 2, 3, 6);
    EXPECT_EQ(RebuildStg(1, 2), 0);
    expect_seals();
    EXPECT_EQ(b.clrn_SROY[2], rotor_gap);
    EXPECT_EQ(b.clrn_SRO[2], rotor_gap);
    EXPECT_LT(rel(b.clrn_drr[2], 0.001 * b.bld_dub[2]), 1e-12);
    // The first stator starts the path: inlet and element 0 take its exit sizes.
    EXPECT_EQ(b.bld_d1[1], b.bld_d2[1]);
    EXPECT_EQ(b.bld_l1[1], b.bld_l2[1]);
    EXPECT_EQ(b.bld_d2[0], b.bld_d2[1]);
    EXPECT_EQ(b.bld_d1[0], b.bld_d2[1]);
    EXPECT_EQ(b.bld_l2[0], b.bld_l2[1]);
    EXPECT_EQ(b.bld_l1[0], b.bld_l2[1]);
    EXPECT_EQ(b.clrn_to[1], std::min({b.prof_B[1][m], 0.05, b.bld_l1[1]}));
    // Rotor inlet on the straight hub and tip lines from the stator exit,
    // widened by the gap sizes: k1 = 2 dD / w, k2 = 2 dL / w.
    const double bx = b.prof_B[2][m];
    ASSERT_GT(bx, 0.0);
    const double w = 2.0 * (b.clrn_d1[1] + bx);
    const double dD = b.bld_d2[2] - b.bld_d2[1], dL = b.bld_l2[2] - b.bld_l2[1];
    const double l2 = b.bld_l2[2];
    const double g2 = 0.002 + 0.0125 * l2, g3 = 0.001 + 0.0125 * l2;
    EXPECT_LT(rel(b.bld_d1[2], b.bld_d2[2] - 2.0 * dD / w * bx + (g2 - g3) / 2.0), 1e-12);
    EXPECT_LT(rel(b.bld_l1[2], std::min(l2, l2 - 2.0 * dL / w * bx + g2 + g3)), 1e-12);
    EXPECT_LT(rel(b.isd_p2[1][m], stator_pressure(p2r)), 1e-9);
    EXPECT_EQ(b.isd_s1[1][m], b.fluid_func(H2_FLUID_S_PI, b.isd_p1x[1][m], b.isd_i1x[1][m], b.elem_af[1], 0));
    EXPECT_LT(rel(b.isd_p2[2][m], p2r), 1e-15);
    for (int e = 0; e <= b.cyld_ns; ++e) {
        EXPECT_EQ(b.enrg_dhd[e], 0.0);
        EXPECT_EQ(b.enrg_dhDA[e], 0.0);
        EXPECT_EQ(b.GElos_DH[e], 0.0);
        EXPECT_EQ(b.GElos_DHD[e], 0.0);
    }
}

TEST_F(StageSweep, ARotorInletAboveItsExitHeightIsCutToIt) {
    bdLocals& b = *block();
    // Equal heights: the gap sizes alone would raise the rotor inlet above its exit.
    b.S2minL2L1 = b.S2maxL2L1 = 1.0;
    SetStgPoint(1, 2, 2, 6);
    RebuildStg(1, 2);
    EXPECT_EQ(b.bld_l1[2], b.bld_l2[2]);
}

TEST_F(StageSweep, PitchAndStaggerOfTheSectionsBelowTheLast) {
    // One section: nothing is recomputed.
    bdLocals& b = *block();
    b.cas_tb[1][0] = b.cas_Byct[1][0] = b.cas_tb[2][0] = b.cas_Byct[2][0] = -1.0;
    stgPointPitch(1, 2);
    EXPECT_EQ(b.cas_tb[1][0], -1.0);
    EXPECT_EQ(b.cas_Byct[2][0], -1.0);
}

TEST(StagePitch, EqualRadialStepsFromHubToTip) {
    ASSERT_EQ(binit_threading(), 0);
    ASSERT_NE(binit(), nullptr);
    ASSERT_EQ(alloc_probdata(3, 3), 0);
    bdLocals& b = *get_bdLocals();
    b.cyld_ns = 2;
    b.cyld_nr = 3;
    b.elem_stagType[1] = b.elem_stagType[2] = 1.0;
    b.bld_z[1] = 30.0, b.bld_z[2] = 40.0;
    b.bld_d2[1] = 0.24, b.bld_l2[1] = 0.03;
    b.bld_d2[2] = 0.25, b.bld_l2[2] = 0.036;
    for (int j = 0; j < 3; ++j) {
        b.cas_bx[1][j] = 0.025, b.cas_b[1][j] = 0.03;
        b.cas_bx[2][j] = 0.02, b.cas_b[2][j] = 0.022;
        b.cas_B1g[1][j] = 90.0, b.cas_B2eff[1][j] = 20.0;
        b.cas_B1g[2][j] = 50.0, b.cas_B2eff[2][j] = 155.0;
        b.cas_tb[1][j] = b.cas_tb[2][j] = b.cas_Byct[1][j] = -1.0;
    }
    stgPointPitch(1, 2);
    // Hub radius at section 0, tip radius at section 1; the last section stays.
    const double r1[2] = {0.105, 0.135}, r2[2] = {0.107, 0.143};
    for (int j = 0; j < 2; ++j) {
        SCOPED_TRACE(j);
        EXPECT_LT(rel(b.cas_tb[1][j], kTwoPi * r1[j] / 30.0 / 0.025), 1e-12);
        EXPECT_LT(rel(b.cas_tb[2][j], kTwoPi * r2[j] / 40.0 / 0.022), 1e-12);
        // Stagger of an expansion row: min(90 - a2, 156.6 a2^-0.25 + 60.2 a1^0.233 - 195).
        EXPECT_NEAR(b.cas_Byct[1][j],
                    std::min(70.0, 156.6 * std::pow(20.0, -0.25) + 60.2 * std::pow(90.0, 0.233) - 195.0),
                    1e-12);
        EXPECT_NEAR(b.cas_Byct[2][j],
                    std::min(65.0, 156.6 * std::pow(25.0, -0.25) + 60.2 * std::pow(50.0, 0.233) - 195.0),
                    1e-12);
    }
    EXPECT_EQ(b.cas_tb[1][2], -1.0);
    EXPECT_EQ(b.cas_Byct[1][2], -1.0);
    bterm();
    bend_threading();
}

TEST_F(StageSweep, ABadStageIsRefusedWithNothingChanged) {
    bdLocals& b = *block();
    b.cyld_eff = -3.0;
    const double d2 = b.bld_d2[1];
    struct Case {
        int es, er;
    };
    for (const Case c : {Case{0, 1}, Case{1, 3}, Case{2, 3}, Case{-1, 0}, Case{2, 1}}) {
        SCOPED_TRACE(c.es);
        EXPECT_EQ(OptStg2(c.es, c.er, 1), 201);
        EXPECT_EQ(b.cyld_eff, -3.0);  // not solved
        EXPECT_EQ(b.bld_d2[1], d2);
        EXPECT_EQ(get_bdLocals(), &b);
    }
}

TEST_F(StageSweep, TheBestOfTheSweptPointsIsRebuiltSolvedAndKept) {
    // Each point alone, forced, from the same solved start.
    std::vector<double> eff;
    for (int i = 1; i <= 6; ++i) {
        SCOPED_TRACE(i);
        fresh();
        bdLocals& b = *block();
        b.S1range_begin = b.S1range_end = i;
        ASSERT_EQ(OptStg2(1, 2, 1), 0);
        expect_point(i);
        eff.push_back(b.cyld_eff);

        EXPECT_GT(b.cyld_eff, 0.0);
        EXPECT_LT(b.cyld_eff, 1.0);
    }
    const int best = 1 + static_cast<int>(std::max_element(eff.begin(), eff.end()) - eff.begin());
    fresh();
    bdLocals& b = *block();
    h2::predesign::tables().count = 0;
    b.S1range_begin = 1;
    b.S1range_end = 6;
    ASSERT_EQ(OptStg2(1, 2, 1), 0);
    EXPECT_EQ(b.S1mode, 0);
    expect_point(best);
    expect_seals();
    EXPECT_LT(rel(b.cyld_eff, eff[best - 1]), 1e-9);
    const std::vector<double> v = values(best);
    EXPECT_LT(rel(h2::predesign::module_records()[0].PD_VAL[1], v[1]), 1e-12);
    EXPECT_EQ(h2::predesign::module_count(), 1);
    // The stator passes its flow through the swept annulus at its exit state.
    const double rho = b.isd_p2[1][m] / (kR * b.isd_i2[1][m] / kCp);
    EXPECT_LT(rel(b.elem_G2[1], rho * kPi * b.bld_d2[1] * b.bld_l2[1] * b.flow_c2z[1][m]), 1e-7);
    // The stator's outlet is the reaction split of the stage drop; the
    // outlet condition shifts stator and rotor by the same amount.
    EXPECT_NEAR(b.isd_p2[1][m] - b.isd_p2[2][m], stator_pressure(200000.0) - 200000.0, 1e-5 * 400000.0);
}

TEST_F(StageSweep, WithoutForceOnlyAPointBetterThanTheStartIsRebuilt) {
    bdLocals& b = *block();
    const double start_eff = b.cyld_eff, start_d2 = b.bld_d2[1], start_l2 = b.bld_l2[2];
    b.cyld_eff = 2.0;  // a start no point can beat
    EXPECT_EQ(OptStg2(1, 2, 0), 202);
    EXPECT_LT(rel(b.cyld_eff, start_eff), 1e-5);
    EXPECT_EQ(b.bld_d2[1], start_d2);
    EXPECT_EQ(b.bld_l2[2], start_l2);
    b.cyld_eff = 0.0;  // a start every point beats
    EXPECT_EQ(OptStg2(1, 2, 0), 0);
    EXPECT_NE(b.bld_d2[1], start_d2);
}

TEST_F(StageSweep, NoPointOrNoAdmissiblePointLeavesTheSolvedStart) {
    bdLocals& b = *block();
    const double start_eff = b.cyld_eff, start_d2 = b.bld_d2[1], start_l2 = b.bld_l2[2],
                 start_p2 = b.isd_p2[1][m];
    struct Case {
        const char* name;
        int begin, end;
        double max_A1;
        int result;
    };
    for (const Case c :
         {Case{"empty range", 5, 4, 90.0, 201}, Case{"stator exit angle 1 deg", 1, 6, 1.0, 202}}) {
        SCOPED_TRACE(c.name);
        b.S1range_begin = c.begin;
        b.S1range_end = c.end;
        b.S2maxA1 = c.max_A1;
        EXPECT_EQ(OptStg2(1, 2, 1), c.result);
        EXPECT_LT(rel(b.cyld_eff, start_eff), 1e-5);
        EXPECT_EQ(b.bld_d2[1], start_d2);
        EXPECT_EQ(b.bld_l2[2], start_l2);
        EXPECT_NEAR(b.isd_p2[1][m], start_p2, 1.0);
        EXPECT_EQ(get_bdLocals(), &b);
    }
}

TEST_F(StageSweep, EveryRangeOfAdmissibilityCanRuleThePointsOut) {
    struct Case {
        const char* name;
        double bdLocals::*field;
        double value;
    };
    // The rotor leaves at about 21 deg to the wheel plane (180 - B2), the
    // stator at about 15 deg; hub and shroud diameters of a few decimetres.
    const Case cases[] = {
        {"stator exit angle above", &bdLocals::S2minA1, 60.0},
        {"rotor exit angle above", &bdLocals::S2minB2, 60.0},
        {"rotor exit angle below", &bdLocals::S2maxB2, 5.0},
        {"hub reaction above", &bdLocals::S2minHubR, 9.0},
        {"hub reaction below", &bdLocals::S2maxHubR, -9.0},
        {"hub diameter above", &bdLocals::S2minHubD, 1.0},
        {"hub diameter below", &bdLocals::S2maxHubD, 0.01},
        {"shroud diameter above", &bdLocals::S2minShroudD, 1.0},
        {"shroud diameter below", &bdLocals::S2maxShroudD, 0.01},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        bdLocals& b = *block();
        b.*c.field = c.value;
        b.S1range_end = 2;
        EXPECT_EQ(OptStg2(1, 2, 1), 202);
    }
}

TEST_F(StageSweep, TheBestPointIsReportedByThePrintLevels) {
    struct Case {
        int IPI, IPO, IP;
        const char* text;  // in the dump, or nothing at all for nullptr
    };
    const std::string rule(131, '=');
    const Case cases[] = {
        {0, 1, 0, "Blade's mass"}, {0, 2, 0, "R E S U L T S"}, {1, 1, 0, "P D  r a n g e s"},
        {0, 0, 1, rule.c_str()},   {0, 0, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.IPO);
        SCOPED_TRACE(c.IP);
        fresh();
        bdLocals& b = *block();
        b.IPI = c.IPI;
        b.IPO = c.IPO;
        b.IP = c.IP;
        b.outDst = 1;
        std::snprintf(b.dump_name, sizeof b.dump_name, "%s", "sweep.dump");
        b.S1range_end = 2;
        std::remove("sweep.dump");
        h2::test::CapturedConsole console;
        ASSERT_EQ(OptStg2(1, 2, 1), 0);
        EXPECT_EQ(b.dump_stream, nullptr);
        const std::string dump = h2::test::read_file((dir_.path() / "sweep.dump").string());
        if (c.text == nullptr) {
            EXPECT_EQ(dump, "");
        } else {
            EXPECT_NE(dump.find(c.text), std::string::npos);
        }
        EXPECT_EQ(dump.find("P D  r a n g e s") != std::string::npos, c.IPI > 0) << dump;
        // outDst 1: only the rule line also reaches the console.
        EXPECT_EQ(console.text(), c.IP > 0 && c.IPO == 0 ? rule + "\n" : "");
    }
}

TEST_F(StageSweep, TheStartIsRatedByTheCriterionOfS2form) {
    struct Case {
        int form;
        double* (*field)(bdLocals&);
    };
    // A start criterion of 2 no efficiency can beat: without force nothing is
    // rebuilt, whichever of the four values S2form names.
    const Case cases[] = {
        {0, [](bdLocals& b) { return &b.elem_eff[1]; }},
        {1, [](bdLocals& b) { return &b.elem_effx[1]; }},
        {2, [](bdLocals& b) { return &b.cyld_eff; }},
        {3, [](bdLocals& b) { return &b.cyld_effx; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.form);
        fresh();
        bdLocals& b = *block();
        b.S2form = c.form;
        b.S1range_end = 2;
        b.elem_eff[1] = b.elem_effx[1] = b.cyld_eff = b.cyld_effx = 0.0;
        *c.field(b) = 2.0;
        EXPECT_EQ(OptStg2(1, 2, 0), 202);
    }
}

// A two-stage path built by hand (no solve): the rebuild of the second stage
// and of a radial stator.
class StageRebuild : public h2::test::PathCaseTest {
protected:
    void SetUp() override {
        PathCaseTest::SetUp();
        ASSERT_EQ(alloc_probdata(5, 1), 0);
        bdLocals& b = *block();
        h2::test::install_test_fluid(&b);
        b.cyld_ns = 4;
        b.cyld_nr = 1;
        for (int e = 0; e <= 4; ++e) {
            b.elem_stagType[e] = e == 0 ? 0.0 : 1.0;
            b.bld_z[e] = e == 0 ? 0.0 : 40.0;
            b.bld_wp[e] = e % 2 == 0 && e > 0 ? 3000.0 : 0.0;
            b.bld_d2[e] = 0.25 + 0.005 * e;
            b.bld_l2[e] = 0.03 + 0.002 * e;
            b.bld_du[e] = 0.1 * e;
            b.bld_dub[e] = 0.2;
            b.clrn_d1[e] = 0.004;
            b.clrn_to[e] = 0.0123;
            b.prof_B[e][0] = 0.02;
            b.cas_b[e][0] = b.cas_bx[e][0] = 0.02;
            b.isd_p1x[e][0] = 300000.0;
            b.isd_i1x[e][0] = 900000.0;
            b.isd_p2[e][0] = 200000.0;
            b.elem_R[e] = 0.4;
        }
    }
};

TEST_F(StageRebuild, ASecondStatorFollowsTheRowBeforeIt) {
    bdLocals& b = *block();
    EXPECT_EQ(RebuildStg(3, 4), 0);
    EXPECT_EQ(b.bld_d1[3], b.bld_d2[3]);
    EXPECT_LT(rel(b.bld_l1[3], 1.01 * b.bld_l2[2]), 1e-12);
    // Its new seal diameter lies below the hub: it takes the one of the stator before.
    EXPECT_EQ(b.bld_du[3], 0.1);
    EXPECT_LT(rel(b.clrn_drd[3], 0.001 * 0.65 * (b.bld_d2[3] - b.bld_l2[3])), 1e-12);
    // The first stage and element 0 keep their sizes.
    EXPECT_EQ(b.bld_d2[0], 0.25);
    EXPECT_EQ(b.bld_d1[1], 0.0);
    EXPECT_EQ(b.clrn_to[3], std::min(0.02, b.bld_l1[3]));
}

TEST_F(StageRebuild, ACooledStageKeepsItsSealAndTipClearance) {
    bdLocals& b = *block();
    b.stgtd_cooled[4] = 1.0;
    RebuildStg(3, 4);
    EXPECT_DOUBLE_EQ(b.bld_du[3], 0.3);
    EXPECT_LT(rel(b.clrn_drd[3], 0.0003), 1e-12);
    EXPECT_EQ(b.clrn_to[3], 0.0123);
}

TEST_F(StageRebuild, ARadialStatorFeedsTheRotorFromItsExit) {
    bdLocals& b = *block();
    b.elem_sectType[3] = 1.0;
    RebuildStg(3, 4);
    EXPECT_LT(rel(b.bld_d1[3], b.bld_d2[3] + 5.0 * b.bld_l2[3]), 1e-12);
    EXPECT_EQ(b.bld_l1[3], b.bld_l2[3]);
    EXPECT_LT(rel(b.bld_d1[4], b.bld_d2[3] - 0.004), 1e-12);
    EXPECT_EQ(b.bld_l1[4], b.bld_l2[3]);
    EXPECT_EQ(b.clrn_b1n[4], 0.002);  // no gap sizes
}

}  // namespace
