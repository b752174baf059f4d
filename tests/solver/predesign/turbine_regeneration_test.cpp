// The regeneration pass of a design solve, against the shipped one-stage
// design example solved by the library: continuity, energy, the exit
// triangles and Euler work, and the hand numbers of the design formulas for
// air as a perfect gas (R 287.5, k 1.4), worked independently of the code.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "halvorine2/halvorine2.h"
#include "solver/solver_api.h"
#include "tests/support/case_fixture.h"
#include "tests/support/example_stage.h"

namespace {

using h2::test::LiveCaseTest;

constexpr double kPi = 3.14159265;
constexpr double kDeg = 0.01745329;

class DesignExample : public LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        bdLocals* b = block();
        std::snprintf(b->ModelBase, sizeof b->ModelBase, "%s", H2_PLUGIN_DIR);
        const auto path = h2::test::examples_dir() / "air_turbine_stage_design.dat";
        ASSERT_EQ(load_data(path.string().c_str()), 0);
        b->IPP = b->IPI = b->IPO = 0;
        b->outDst = 1;
    }
    double f(const char* key, int i) { return get_double_par2(key, i, get_bdLocals()->cyld_nr / 2); }
    double g(const char* key, int i) { return get_double_par1(key, i); }
};

TEST_F(DesignExample, SolvesToResultZero) {
    ASSERT_EQ(bestXN(), 0);
    std::printf("inlet l %.12g c2z %.12g\n", g("bld__l2", 0), f("flow__c2z", 0));
    std::printf("stator l %.12g c2z %.12g c2u %.12g A2 %.12g p2x %.12g p2 %.12g\n", g("bld__l2", 1),
                f("flow__c2z", 1), f("flow__c2u", 1), f("cas__A2", 1), f("isd__p2x", 1), f("isd__p2", 1));
    std::printf("rotor l %.12g c2z %.12g c2u %.12g w2 %.12g B2 %.12g p2 %.12g G %.12g %.12g x2 %.12g\n",
                g("bld__l2", 2), f("flow__c2z", 2), f("flow__c2u", 2), f("flow__w2", 2), f("cas__B2", 2),
                f("isd__p2", 2), g("elem__G1", 2), g("elem__G2", 2), f("cas__x2", 2));
}

}  // namespace
