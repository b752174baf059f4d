#include <gtest/gtest.h>

#include <vector>

#include "solver/solver_api.h"
#include "tests/support/case_fixture.h"

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
    const Case cases[] = {
        {"radial element", 3, 1.0, 0.0, 0, {0.25, 0.25, 0.25}},
        {"one streamline", 1, 0.0, 0.0, 0, {0.25}},
        {"axial element, hub to tip", 5, 0.0, 1.0, 0, {0.2, 0.225, 0.25, 0.275, 0.3}},
        {"previous element radial", 3, 0.0, 1.0, 1, {0.25, 0.25, 0.25}},
        {"previous element axial", 3, 1.0, 0.0, 1, {0.2, 0.25, 0.3}},
        {"angular sections spread too", 2, 2.0, 2.0, 0, {0.2, 0.3}},
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

TEST(SpanFlowWithoutCase, NothingHappens) {
    span_flow(0, 0);
    span_flow_axial(0);
}

TEST(Solver, EveryTaskIsUnknownUntilTheSolverExists) {
    ASSERT_EQ(binit_threading(), 0);
    ASSERT_NE(binit(), nullptr);
    for (int task : {0, 10, 20, 40, 400}) {
        get_bdLocals()->cyld_VART = task;
        EXPECT_EQ(bestXN(), 13);
    }
    bterm();
    bend_threading();
}

}  // namespace
