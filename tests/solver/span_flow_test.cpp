#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/halvorine2.h"
#include "solver/solver_api.h"
#include "tests/support/case_fixture.h"
#include "tests/support/repeating_turbine.h"
#include "tests/support/temp_dir.h"

namespace {

class SpanFlow : public h2::test::LiveCaseTest {
protected:
    // Two elements after the inlet; element 2 has inlet diameter 0.5 m,
    // blade height 0.1 m and angular speed 200 1/s.
    void make(int streams, double own_type, double previous_type) {
        allocate(2, streams);
        block()->elem_sectType[1] = previous_type;
        block()->elem_sectType[2] = own_type;
        block()->bld_d1[2] = 0.5;
        block()->bld_l1[2] = 0.1;
        block()->bld_wp[2] = 200.0;
    }
};

TEST_F(SpanFlow, InletRadiiFollowTheDecidingSectionType) {
    struct Case {
        const char* name;
        int streams;
        double own_type, previous_type;
        int flag;
        std::vector<double> radii;
    };
    // Inlet radii follow the blade height unless the element before is radial;
    // behind an angular element the inlet has no blade speed.
    const Case cases[] = {
        {"radial element behind an axial one", 3, 1.0, 0.0, 0, {0.2, 0.25, 0.3}},
        {"one streamline", 1, 0.0, 0.0, 0, {0.25}},
        {"previous element radial", 5, 0.0, 1.0, 0, {0.25, 0.25, 0.25, 0.25, 0.25}},
        {"previous element radial, flag 1", 3, 0.0, 1.0, 1, {0.25, 0.25, 0.25}},
        {"previous element axial, flag 1", 3, 1.0, 0.0, 1, {0.2, 0.25, 0.3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        make(c.streams, c.own_type, c.previous_type);
        span_flow(2, c.flag);
        for (int k = 0; k < c.streams; ++k) {
            EXPECT_DOUBLE_EQ(block()->flow_r1[2][k], c.radii[k]) << k;
            EXPECT_DOUBLE_EQ(block()->flow_u1[2][k], 200.0 * c.radii[k]) << k;  // blade speed
            EXPECT_EQ(block()->flow_r1[1][k], 0.0);                             // other elements untouched
        }
        bterm();
        ASSERT_NE(binit(), nullptr);
    }
}

TEST_F(SpanFlow, BehindAnAngularElementTheInletHasNoBladeSpeed) {
    make(2, 2.0, 2.0);
    span_flow(2, 0);
    EXPECT_DOUBLE_EQ(block()->flow_r1[2][0], 0.2);
    EXPECT_DOUBLE_EQ(block()->flow_r1[2][1], 0.3);
    EXPECT_EQ(block()->flow_u1[2][0], 0.0);
    EXPECT_EQ(block()->flow_u1[2][1], 0.0);
}

// Three streamlines, swirl 100 m/s at the middle radius 0.25 m: flag 0 spreads
// it as a free vortex (c_u r constant), flag 1 keeps the middle triangle.
TEST_F(SpanFlow, SwirlIsAFreeVortexWithFlagZeroAndTheMiddleTriangleWithFlagOne) {
    for (int flag : {0, 1}) {
        SCOPED_TRACE(flag);
        make(3, 0.0, 0.0);
        bdLocals* b = block();
        b->flow_c1u[2][1] = 100.0;
        b->flow_c1z[2][1] = 150.0;
        b->flow_c1s[2][1] = 150.0;
        b->flow_c1[2][1] = std::hypot(100.0, 150.0);
        span_flow(2, flag);
        const double r[3] = {0.2, 0.25, 0.3};
        for (int j = 0; j < 3; ++j) {
            const double cu = flag == 0 ? 100.0 * 0.25 / r[j] : 100.0;
            EXPECT_NEAR(b->flow_c1u[2][j], cu, 1e-12) << j;
            EXPECT_NEAR(b->flow_c1z[2][j], 150.0, 1e-12) << j;
            const double u = 200.0 * r[j];
            EXPECT_NEAR(b->flow_w1u[2][j], cu - u, 1e-12) << j;  // w_u = c_u - |u|
        }
        bterm();
        ASSERT_NE(binit(), nullptr);
    }
}

TEST_F(SpanFlow, InletDecidesForItselfWhenAskedForThePreviousElement) {
    make(3, 0.0, 0.0);
    block()->elem_sectType[0] = 1.0;
    block()->bld_d1[0] = 0.4;
    span_flow(0, 1);
    for (int k = 0; k < 3; ++k) EXPECT_DOUBLE_EQ(block()->flow_r1[0][k], 0.2);
}

TEST_F(SpanFlow, ElementsOutsideThePathChangeNothing) {
    make(2, 1.0, 1.0);
    span_flow(-1, 0);
    span_flow(3, 0);
    block()->cyld_ns = 7;  // counts past the arrays
    span_flow(2, 0);
    block()->cyld_ns = 2;
    span_flow_axial(2);
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 2; ++k) EXPECT_EQ(block()->flow_r1[i][k], 0.0);
}

// The states (i, s) whose pressure of the isentrope was asked, of the
// installed fluid.
thread_local FluidFunc g_fluid = nullptr;
thread_local std::vector<std::pair<double, double>> g_asked;
double recording_fluid(int code, double a, double b, double c, int which) {
    if (code == H2_FLUID_P_IS) g_asked.emplace_back(a, b);
    return g_fluid(code, a, b, c, which);
}

// Behind an axial element the inlet of the next one is the state the spread
// has just left at its outlet: its pressure, density and speed of sound are
// the fluid's answers there, taken without asking again. An inlet of another
// entropy (by the last bit) is another state and is asked afresh.
TEST_F(SpanFlow, TheNextInletTakesTheOutletStateOnlyWhenItIsTheSameState) {
    h2::test::TempDir dir;
    ASSERT_TRUE(h2::test::write_repeating_turbine("case.dat", {.stages = 1, .ni = 1, .force1D = 1}));
    bdLocals* b = block();
    std::snprintf(b->ModelBase, sizeof b->ModelBase, "%s", H2_PLUGIN_DIR);
    ASSERT_EQ(load_data("case.dat"), 0);
    b->IPI = b->IPO = b->IPP = 0;
    ASSERT_EQ(bestXN(), 0);
    g_fluid = b->fluid_func;
    b->fluid_func = &recording_fluid;
    for (const bool moved : {false, true}) {
        SCOPED_TRACE(moved ? "another entropy" : "the same state");
        span_flow_axial(1);
        if (moved) b->isd_s1[2][0] = std::nextafter(b->isd_s1[2][0], 1e9);
        g_asked.clear();
        span_flow_axial(2);
        const double i1 = b->isd_i1[2][0], s1 = b->isd_s1[2][0];
        ASSERT_EQ(i1, b->isd_i2[1][0]);  // the outlet's enthalpy, bit for bit
        const auto asked = std::count(g_asked.begin(), g_asked.end(), std::make_pair(i1, s1));
        EXPECT_EQ(asked, moved ? 1 : 0);
        EXPECT_EQ(b->isd_p1[2][0], g_fluid(H2_FLUID_P_IS, i1, s1, b->elem_af[2], H2_FLUID_MAIN));
    }
    b->fluid_func = g_fluid;
}

TEST(SpanFlowWithoutCase, NothingHappens) {
    span_flow(0, 0);
    span_flow_axial(0);
}

}  // namespace
