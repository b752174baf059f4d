#include "physics/profile_class.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "halvorine2/case_data.h"
#include "halvorine2/profiles.h"
#include "tests/support/case_fixture.h"

namespace {

// ---- BetaUst ------------------------------------------------------------------

struct StaggerCase {
    double a1, a2;
    int flag;
    double expected;
};

class Stagger : public ::testing::TestWithParam<StaggerCase> {};

TEST_P(Stagger, FollowsTheFitOrTheMean) {
    const StaggerCase& s = GetParam();
    EXPECT_NEAR(BetaUst(s.a1, s.a2, s.flag), s.expected, 1e-4);
}

INSTANTIATE_TEST_SUITE_P(Table, Stagger,
                         ::testing::Values(StaggerCase{0.0, 20.0, 0, 0.0},       // angle not set
                                           StaggerCase{80.0, -5.0, 1, 0.0},      // guard before the flag
                                           StaggerCase{80.0, 20.0, 1, 40.0},     // mean of the directions
                                           StaggerCase{80.0, 20.0, 0, 46.1670},  // fit, below 90 - a2 = 70
                                           StaggerCase{150.0, 10.0, 0,
                                                       80.0}));  // fit 86.54 limited to 90 - a2

TEST(BetaUstFit, HasNoGuardOnNonPositiveAngles) {
    EXPECT_DOUBLE_EQ(h2::BetaUstFit(-20.0, 20.0, 1), 90.0);
    EXPECT_TRUE(std::isnan(h2::BetaUstFit(-20.0, 20.0, 0)));
    EXPECT_NEAR(h2::BetaUstFit(80.0, 20.0, 0), 46.1670, 1e-4);
}

// ---- profile classification ---------------------------------------------------

// A path of an inlet, element 1 under test and an outlet duct, three sections.
class ProfileTest : public h2::test::PathCaseTest {
protected:
    static constexpr int kNS = 2;
    static constexpr int kNI = 3;

    void SetUp() override {
        h2::test::CaseTest::SetUp();
        bdLocals* b = block();
        b->cyld_ns = kNS;
        b->cyld_nr = kNI;
        b->cyld_VART = 10;
        ASSERT_EQ(alloc_probdata(kNS + 1, kNI), 0);
        // An expanding path.
        b->elem_p0[0] = 2.0e5;
        b->elem_p2[kNS] = 1.0e5;
        for (int j = 0; j < kNI; ++j) {
            b->cas_ra1[1][j] = b->cas_ra2[1][j] = 0.4 + 0.1 * j;
            b->flow_r1[1][j] = b->flow_r2[1][j] = 0.4 + 0.1 * j;
        }
    }

    void set_row(double stagType, double sectType, double wp, double z) {
        bdLocals* b = block();
        b->elem_stagType[1] = stagType;
        b->elem_sectType[1] = sectType;
        b->bld_wp[1] = wp;
        b->bld_z[1] = z;
    }
    void set_angles(double B1g, double B2) {
        for (int j = 0; j < kNI; ++j) {
            block()->cas_B1g[1][j] = B1g;
            block()->cas_B2a[1][j] = B2;
        }
    }
};

struct RowCase {
    const char* name;
    double stagType, sectType, wp, z, d1, d2;
    double B1g, B2;
    int turbine;
    int compressor;
};

class ProfileRow : public ProfileTest, public ::testing::WithParamInterface<RowCase> {};

TEST_P(ProfileRow, ClassifiesTheMiddleSection) {
    const RowCase& r = GetParam();
    set_row(r.stagType, r.sectType, r.wp, r.z);
    block()->bld_d1[1] = r.d1;
    block()->bld_d2[1] = r.d2;
    set_angles(r.B1g, r.B2);
    EXPECT_EQ(is_turb_prof(1, kNI / 2), r.turbine);
    EXPECT_EQ(is_comp_prof(1, kNI / 2), r.compressor);
}

INSTANTIATE_TEST_SUITE_P(
    Analysis, ProfileRow,
    ::testing::Values(
        // rotor rows: exit angle folded about 90 against the inlet angle
        RowCase{"rotor_B2_160_B1g_80", 1, 0, 3000, 60, 1, 1, 80, 160, 1, 0},
        RowCase{"rotor_B2_60_B1g_80", 1, 0, 3000, 60, 1, 1, 80, 60, 0, 1},
        RowCase{"rotor_B2_100_below_B1g_120", 1, 0, 3000, 60, 1, 1, 120, 100, 0, 1},
        RowCase{"rotor_turning_over_90", 1, 0, 3000, 60, 1, 1, 80, 175, 1, 0},
        RowCase{"rotor_B2_120_B1g_40", 1, 0, 3000, 60, 1, 1, 40, 120, 0, 1},
        // stators and other bladed elements: an exit angle below 90 and below the inlet angle
        RowCase{"stator_B2_60_B1g_80", 1, 0, 0, 40, 1, 1, 80, 60, 1, 0},
        RowCase{"stator_B2_160_B1g_80", 1, 0, 0, 40, 1, 1, 80, 160, 0, 1},
        RowCase{"stator_B2_85_B1g_80", 1, 0, 0, 40, 1, 1, 80, 85, 0, 1},
        // no blades: neither
        RowCase{"bladeless_rotor", 1, 0, 3000, 0, 1, 1, 80, 160, 0, 0},
        // radial elements: outward flow is a compressor whatever the angles
        RowCase{"radial_outward", 1, 1, 3000, 20, 0.2, 0.5, 80, 160, 0, 1},
        RowCase{"radial_inward_rotor", 1, 1, 3000, 20, 0.5, 0.2, 80, 160, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct DesignCase {
    double p0_inlet;
    double p2_outlet;
    int turbine;
    int compressor;
};

class DesignTask : public ProfileTest, public ::testing::WithParamInterface<DesignCase> {};

TEST_P(DesignTask, PressureFallAloneDecides) {
    block()->cyld_VART = 1;
    block()->elem_p0[0] = GetParam().p0_inlet;
    block()->elem_p2[kNS] = GetParam().p2_outlet;
    // Angles of a compressor rotor: ignored in a design task.
    set_row(1, 0, 3000, 60);
    set_angles(80, 60);
    EXPECT_EQ(is_turb_prof(1, 1), GetParam().turbine);
    EXPECT_EQ(is_comp_prof(1, 1), GetParam().compressor);
}

INSTANTIATE_TEST_SUITE_P(Pressures, DesignTask,
                         ::testing::Values(DesignCase{2.0e5, 1.0e5, 1, 0},    // expanding
                                           DesignCase{1.0e5, 1.0e5, 0, 1},    // equal: not expanding
                                           DesignCase{1.0e5, 2.0e5, 0, 1}));  // compressing

TEST_F(ProfileTest, DesignTaskDecidesEvenWithoutBlades) {
    block()->cyld_VART = 2;
    set_row(0, 0, 0, 0);
    EXPECT_EQ(is_turb_prof(1, 1), 1);  // the pressure test comes before the blade count
    EXPECT_EQ(is_comp_prof(1, 1), 0);  // while here the blade count comes first
}

TEST_F(ProfileTest, AnglesAreReadAtTheStreamlineRadius) {
    set_row(1, 0, 0, 40);  // stator: turbine when B2 < 90 and B2 < B1g
    for (int j = 0; j < kNI; ++j) {
        block()->cas_B1g[1][j] = 70.0 + 10.0 * j;  // 70, 80, 90 at r 0.4, 0.5, 0.6
        block()->cas_B2a[1][j] = 78.0;
    }
    block()->flow_r1[1][0] = 0.45;  // B1g 75 there: below B2
    block()->flow_r1[1][2] = 0.55;  // B1g 85 there: above B2
    EXPECT_EQ(is_turb_prof(1, 0), 0);
    EXPECT_EQ(is_turb_prof(1, 2), 1);
}

TEST_F(ProfileTest, RadialElementsUseTheMiddleSectionForEverySection) {
    set_row(1, 1, 0, 20);  // radial stator, inward
    block()->bld_d1[1] = 0.5;
    block()->bld_d2[1] = 0.3;
    set_angles(80, 100);  // not a turbine profile anywhere but in the middle
    block()->cas_B2a[1][kNI / 2] = 60;
    for (int j = 0; j < kNI; ++j) EXPECT_EQ(is_turb_prof(1, j), 1) << j;
}

TEST_F(ProfileTest, SingleStreamlineReadsTheSectionItself) {
    ASSERT_EQ(free_probdata(), 0);
    block()->cyld_nr = 1;
    ASSERT_EQ(alloc_probdata(kNS + 1, 1), 0);
    set_row(1, 0, 0, 40);
    block()->cas_B1g[1][0] = 80;
    block()->cas_B2a[1][0] = 60;
    block()->flow_r1[1][0] = 123.0;  // no radius is looked at
    EXPECT_EQ(is_turb_prof(1, 0), 1);
    EXPECT_EQ(is_comp_prof(1, 0), 0);
}

TEST_F(ProfileTest, ArgumentsOutOfRangeAnswerZero) {
    set_row(1, 0, 0, 40);
    set_angles(80, 60);  // a turbine stator
    ASSERT_EQ(is_turb_prof(1, 1), 1);
    struct {
        int i, j;
    } const bad[] = {{-1, 1}, {kNS + 1, 1}, {1, -1}, {1, kNI}, {1000, 1000}};
    for (const auto& a : bad) {
        EXPECT_EQ(is_turb_prof(a.i, a.j), 0) << a.i << "," << a.j;
        EXPECT_EQ(is_comp_prof(a.i, a.j), 0) << a.i << "," << a.j;
    }
}

TEST_F(ProfileTest, AScopeHoldsTheClassesAskedUntilItEnds) {
    set_row(1, 0, 0, 40);
    set_angles(80, 60);  // a turbine stator
    {
        const h2::ProfileClassScope scope(block(), 1, 1);
        ASSERT_EQ(is_turb_prof(1, 1), 1);
        ASSERT_EQ(is_comp_prof(1, 1), 0);
        set_angles(80, 160);  // what a scope promises not to happen: the answers stand
        EXPECT_EQ(is_turb_prof(1, 1), 1);
        EXPECT_EQ(is_comp_prof(1, 1), 0);
        // A section not asked yet is worked out when first asked.
        EXPECT_EQ(is_turb_prof(1, 0), 0);
        // Outside the scope's element, and out of range, the test runs as ever.
        EXPECT_EQ(is_turb_prof(2, 1), 0);
        EXPECT_EQ(is_turb_prof(1, kNI), 0);
        EXPECT_EQ(is_comp_prof(1, -1), 0);
    }
    // After the scope the row is looked at again.
    EXPECT_EQ(is_turb_prof(1, 1), 0);
    EXPECT_EQ(is_comp_prof(1, 1), 1);
}

TEST_F(ProfileTest, ScopesNestAndAnswerForTheirOwnCase) {
    set_row(1, 0, 0, 40);
    set_angles(80, 60);
    const h2::ProfileClassScope whole(block(), 0, kNS);
    ASSERT_EQ(is_turb_prof(1, 1), 1);
    {
        // Elements the open scope holds: nothing new, the held answer stands.
        const h2::ProfileClassScope element(block(), 1, 1);
        set_angles(80, 160);
        EXPECT_EQ(is_turb_prof(1, 1), 1);
    }
    EXPECT_EQ(is_turb_prof(1, 1), 1);
    {
        // A scope of another case answers only for that case; this one is
        // looked at afresh meanwhile and held again once the inner scope ends.
        auto other = h2::test::make_block();
        other->cyld_nr = kNI;
        const h2::ProfileClassScope element(other.get(), 1, 1);
        EXPECT_EQ(h2::turb_prof_in(block(), 1, 1), 0);
    }
    EXPECT_EQ(is_turb_prof(1, 1), 1);
}

TEST_F(ProfileTest, CaseWithoutArraysAnswersZero) {
    ASSERT_EQ(free_probdata(), 0);
    EXPECT_EQ(is_turb_prof(1, 1), 0);
    EXPECT_EQ(is_comp_prof(1, 1), 0);
    double ratio = 7.0, flow = 7.0;
    int chart = 7;
    EXPECT_EQ(h2::design_chart_lookup(1, 1000.0, 0.0, 0.0, 650.0, ratio, flow, chart), -1);
    EXPECT_EQ(chart, -1);
}

TEST(ProfilesWithoutCase, AnswerZero) {
    ASSERT_EQ(binit_threading(), 0);
    ASSERT_EQ(get_bdLocals(), nullptr);
    EXPECT_EQ(is_turb_prof(0, 0), 0);
    EXPECT_EQ(is_comp_prof(0, 0), 0);
    double ratio = 0.0, flow = 0.0;
    int chart = 0;
    EXPECT_EQ(h2::design_chart_lookup(0, 1000.0, 0.0, 0.0, 650.0, ratio, flow, chart), -1);
    bend_threading();
}

// ---- cooling charts -------------------------------------------------------------

// Gas at 1000 with coolant at 0: theta = (1000 - d) / 1000.
struct ChartCase {
    const char* name;
    double d;
    double theta;  // stored in cool__Ocp
    double flow;
    int chart;
};

class CoolingChart : public ProfileTest, public ::testing::WithParamInterface<ChartCase> {};

TEST_P(CoolingChart, PicksTheCheapestChartThatCoversTheEffectiveness) {
    const ChartCase& k = GetParam();
    set_row(0, 0, 0, 0);  // a duct: the general chart 4
    double ratio = -1.0, flow = -1.0;
    int chart = -2;
    EXPECT_EQ(h2::design_chart_lookup(1, 1000.0, 0.0, 0.0, k.d, ratio, flow, chart), 0);
    EXPECT_DOUBLE_EQ(ratio, (1000.0 - k.d) / 1000.0);
    EXPECT_NEAR(flow, k.flow, 1e-12);
    EXPECT_EQ(chart, k.chart);
    EXPECT_DOUBLE_EQ(block()->cool_Ocp[1], k.theta);
    EXPECT_DOUBLE_EQ(block()->cool_Goxl_[1], flow);
    EXPECT_EQ(block()->cool_tox[1], static_cast<double>(k.chart));
}

INSTANTIATE_TEST_SUITE_P(
    Table, CoolingChart,
    ::testing::Values(
        // theta 0.05 is read at 0.081, inside chart 1 alone: 0.25 + 0.5 * 0.001 / 0.12 percent
        ChartCase{"raised_to_chart1", 950, 0.081, (0.25 + 0.5 * 0.001 / 0.12) / 100, 1},
        // 0.08 is not raised, and chart 1 starts after it
        ChartCase{"on_chart1_start", 920, 0.08, 10.0, -1},
        // charts 1, 2, 3: 1.225, 0.8, 0.725 percent
        ChartCase{"three_charts", 750, 0.25, 0.00725, 3},
        // chart 1 ends at 0.33; charts 2 and 3 give 1.625 and 1.45 percent
        ChartCase{"charts_2_and_3", 650, 0.35, 0.0145, 3},
        // charts 2, 3 and the general chart 4: 2.29, 2.0, 1.92 percent
        ChartCase{"chart4_cheapest", 590, 0.41, 0.0192, 4},
        // chart 4 alone
        ChartCase{"chart4_alone", 500, 0.5, 0.03, 4},
        // exactly 0.6: no chart covers it, yet it is not beyond the charts
        ChartCase{"exactly_0_6", 400, 0.6, 10.0, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProfileTest, StatorRowsHaveTheirOwnChart4) {
    set_row(1, 0, 0, 40);
    double ratio = 0.0, flow = 0.0;
    int chart = 0;
    // theta 0.41: the stator chart 4 gives 2.06 percent, above chart 3's 2.0
    EXPECT_EQ(h2::design_chart_lookup(1, 1000.0, 0.0, 0.0, 590.0, ratio, flow, chart), 0);
    EXPECT_EQ(chart, 3);
    EXPECT_NEAR(flow, 0.02, 1e-12);
    // theta 0.5: chart 4 alone, 2.6 percent
    EXPECT_EQ(h2::design_chart_lookup(1, 1000.0, 0.0, 0.0, 500.0, ratio, flow, chart), 0);
    EXPECT_EQ(chart, 4);
    EXPECT_NEAR(flow, 0.026, 1e-12);
}

TEST_F(ProfileTest, MarginAndCoolantTemperatureEnterTheEffectiveness) {
    set_row(0, 0, 0, 0);
    double ratio = 0.0, flow = 0.0;
    int chart = 0;
    // X = 1.25 * 800 = 1000; theta = (1000 - 825) / (1000 - 300) = 0.25
    EXPECT_EQ(h2::design_chart_lookup(1, 800.0, 0.25, 300.0, 825.0, ratio, flow, chart), 0);
    EXPECT_DOUBLE_EQ(ratio, 0.25);
    EXPECT_EQ(chart, 3);
}

TEST_F(ProfileTest, NoCoolingNeededLeavesTheCaseAlone) {
    double ratio = -1.0, flow = -1.0;
    int chart = -2;
    block()->cool_Ocp[1] = 5.0;
    EXPECT_EQ(h2::design_chart_lookup(1, 1000.0, 0.0, 0.0, 1000.5, ratio, flow, chart), 1);
    EXPECT_EQ(ratio, 0.0);
    EXPECT_EQ(flow, 0.0);
    EXPECT_EQ(chart, 0);
    EXPECT_EQ(block()->cool_Ocp[1], 5.0);
    EXPECT_EQ(block()->cool_Goxl_[1], 0.0);
    EXPECT_EQ(block()->cool_tox[1], 0.0);
}

TEST_F(ProfileTest, BeyondTheChartsLeavesFlowAndCaseAlone) {
    double ratio = -1.0, flow = -1.0;
    int chart = 5;
    block()->cool_tox[1] = 2.0;
    EXPECT_EQ(h2::design_chart_lookup(1, 1000.0, 0.0, 0.0, 390.0, ratio, flow, chart), 2);
    EXPECT_DOUBLE_EQ(ratio, 0.61);
    EXPECT_EQ(flow, -1.0);
    EXPECT_EQ(chart, -1);
    EXPECT_EQ(block()->cool_Ocp[1], 0.0);
    EXPECT_EQ(block()->cool_Goxl_[1], 0.0);
    EXPECT_EQ(block()->cool_tox[1], 2.0);
}

TEST_F(ProfileTest, ChartLookupOutsideThePathStoresNothing) {
    double ratio = 1.0, flow = 1.0;
    int chart = 1;
    EXPECT_EQ(h2::design_chart_lookup(kNS + 1, 1000.0, 0.0, 0.0, 650.0, ratio, flow, chart), -1);
    EXPECT_EQ(h2::design_chart_lookup(-1, 1000.0, 0.0, 0.0, 650.0, ratio, flow, chart), -1);
    EXPECT_EQ(chart, -1);
    for (int k = 0; k <= kNS; ++k) EXPECT_EQ(block()->cool_Ocp[k], 0.0);
}

}  // namespace
