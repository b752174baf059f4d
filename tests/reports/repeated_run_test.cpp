// A run leaves its input as it found it: the results report and the strength
// pass call the blade-section routines, whose pitch rule rewrites pitch,
// relative pitch, chord and blade count; a host that runs one block twice, or
// saves it after each run, must get the same path back every time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "halvorine2/halvorine2.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/example_stage.h"
#include "tests/support/temp_dir.h"

namespace {

// The flow-path inputs the section routines touch, element by element and streamline by streamline.
std::vector<double> pitch_inputs(const bdLocals& b) {
    std::vector<double> v;
    for (int i = 0; i <= b.cyld_ns; ++i) {
        v.push_back(b.bld_z[i]);
        for (int j = 0; j < b.cyld_nr; ++j) {
            v.push_back(b.cas_t[i][j]);
            v.push_back(b.cas_tb[i][j]);
            v.push_back(b.cas_b[i][j]);
        }
    }
    return v;
}

// Outlet states of every element and streamline, and the path's flow.
std::vector<double> results(const bdLocals& b) {
    std::vector<double> v{b.cyld_G, b.accuracy};
    for (int i = 0; i <= b.cyld_ns; ++i) {
        v.push_back(b.elem_p2[i]);
        v.push_back(b.elem_G1[i]);
        for (int j = 0; j < b.cyld_nr; ++j) {
            v.push_back(b.isd_p2[i][j]);
            v.push_back(b.isd_i2x[i][j]);
            v.push_back(b.flow_c2[i][j]);
        }
    }
    return v;
}

// The second run starts from the first one's results (loss coefficients, streamline radii), so it
// ends within the convergence tolerance of the first, not on its last bit; a changed path (one blade
// fewer) moves the outlet pressure by about 1 %.
void expect_same_solution(const std::vector<double>& again, const std::vector<double>& first) {
    ASSERT_EQ(again.size(), first.size());
    for (std::size_t k = 2; k < first.size(); ++k)
        EXPECT_NEAR(again[k], first[k], 1e-6 * std::fabs(first[k])) << k;
}

// Bit for bit: the inputs are copied back, not recomputed.
bool same_bits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

class RepeatedRun : public h2::test::LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        ASSERT_TRUE(h2::test::load_example_stage());
        bdLocals* b = get_bdLocals();
        b->IPO = 2;  // the full results report after the solve
    }
    h2::test::TempDir dir_;  // the report writes its flow files into the working directory
    h2::test::CapturedConsole console_;
};

TEST_F(RepeatedRun, TwoRunsOfOneBlockKeepTheInputsAndSolveTheSamePath) {
    for (int policy : {0, 1}) {
        ASSERT_TRUE(h2::test::load_example_stage());
        bdLocals* b = get_bdLocals();
        b->IPO = 2;
        b->strs_policy = policy;
        const std::vector<double> given = pitch_inputs(*b);
        ASSERT_EQ(b->bld_z[1], 30.0);
        ASSERT_EQ(b->bld_z[2], 41.0);

        ASSERT_EQ(dbrun(b, 0), 0) << "policy " << policy;
        const std::vector<double> first = results(*b);
        EXPECT_TRUE(same_bits(pitch_inputs(*b), given)) << "policy " << policy;
        EXPECT_NE(console_.text().find("profile areas estimation"), std::string::npos);

        ASSERT_EQ(dbrun(b, 0), 0) << "policy " << policy;
        expect_same_solution(results(*b), first);
        EXPECT_TRUE(same_bits(pitch_inputs(*b), given)) << "policy " << policy;
    }
}

TEST_F(RepeatedRun, RunSaveLoadCyclesKeepTheBladeCountsAndTheOutletPressure) {
    bdLocals* b = get_bdLocals();
    ASSERT_EQ(dbrun(b, 0), 0);
    const double p2 = b->elem_p2[b->cyld_ns];
    for (int cycle = 0; cycle < 3; ++cycle) {
        ASSERT_EQ(save_data("cycle.dat", 0), 0);
        ASSERT_EQ(load_data("cycle.dat"), 0);
        b = get_bdLocals();
        b->IPO = 2;
        EXPECT_EQ(b->bld_z[1], 30.0) << "cycle " << cycle;
        EXPECT_EQ(b->bld_z[2], 41.0) << "cycle " << cycle;
        ASSERT_EQ(dbrun(b, 0), 0);
        EXPECT_NEAR(b->elem_p2[b->cyld_ns], p2, 1e-6 * p2) << "cycle " << cycle;
    }
}

}  // namespace
