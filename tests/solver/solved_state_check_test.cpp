// The solver's two end checks on the shipped example stage: input it cannot
// start from is refused before any iteration (-1), and a solve whose state
// holds a value that is no finite number ends with 3 instead of 0; each says
// which field of which element is at fault.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "halvorine2/halvorine2.h"
#include "solver/solver_api.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/example_stage.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

class SolvedStateCheck : public h2::test::LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        ASSERT_TRUE(h2::test::load_example_stage());
    }
    // Every streamline of a row field of element i set by key.
    static void set_rows(const char* key, int i, double v) {
        for (int j = 0; j < get_bdLocals()->cyld_nr; ++j) ASSERT_EQ(set_double_par2(key, i, j, v), 0) << key;
    }
    h2::test::TempDir dir_;
    h2::test::CapturedConsole console_;
};

// The example as shipped solves, and its state is finite throughout.
TEST_F(SolvedStateCheck, TheSoundExampleSolves) {
    EXPECT_EQ(bestXN(), 0);
    EXPECT_EQ(console_.text().find("Fatal"), std::string::npos) << console_.text();
    EXPECT_STREQ(block()->err_text, "");
}

struct Fault {
    const char* name;
    std::function<void()> spoil;
    int result;
    const char* line;  // the whole error line
};

// Each fault, put into the loaded example by key, ends the solve with its
// result and one line that names the field and the element.
TEST_F(SolvedStateCheck, FaultsEndTheSolveWithTheirResultAndName) {
    const Fault faults[] = {
        {"NaN rotor chord", [] { set_rows("cas__b", 2, kNan); }, 3,
         "Fatal error: Corrupted output data! cas__b of element 2, streamline 0, is nan"},
        // The strength pass rates the rows from their sections.
        {"rotor chord of 1e308",
         [] {
             set_rows("cas__b", 2, 1e308);
             get_bdLocals()->strs_policy = 1;
         },
         3, "Fatal error: Corrupted output data! prof__F of element 2, streamline 1, is inf"},
        // Without the strength pass the chord's square is first made by the
        // report, after the solve: the end check makes it too.
        {"rotor chord of 1e308, no strength pass", [] { set_rows("cas__b", 2, 1e308); }, 3,
         "Fatal error: Corrupted output data! the section area (cas__b squared) of element 2, streamline 0, "
         "is "
         "inf"},
        // No hub: the hub streamline would turn about the axis itself.
        {"rotor height equal to its diameter", [] { ASSERT_EQ(set_double_par1("bld__l2", 2, 0.2), 0); }, -1,
         "bestXN: element 2: the hub diameter bld__d2 - bld__l2 is 0; it must be positive"},
        {"negative mass flow", [] { ASSERT_EQ(set_double_par1("elem__G1", 0, -3.0), 0); }, -1,
         "bestXN: element 0: the mass flow elem__G1 is -3; it must be positive"},
        {"no mass flow", [] { ASSERT_EQ(set_double_par1("elem__G1", 0, 0.0), 0); }, -1,
         "bestXN: element 0: the mass flow elem__G1 is 0; it must be positive"},
        {"rotor without blades", [] { ASSERT_EQ(set_double_par1("bld__z", 2, 0.0), 0); }, -1,
         "bestXN: element 2: the blade count bld__z is 0; a blade row needs at least one blade"},
        {"stator of no diameter", [] { ASSERT_EQ(set_double_par1("bld__d2", 1, 0.0), 0); }, -1,
         "bestXN: element 1: bld__d2 is 0; a diameter or height must be positive"},
        {"rotor of negative height", [] { ASSERT_EQ(set_double_par1("bld__l2", 2, -0.04), 0); }, -1,
         "bestXN: element 2: bld__l2 is -0.04; a diameter or height must be positive"},
        {"NaN diameter", [] { ASSERT_EQ(set_double_par1("bld__d2", 0, kNan), 0); }, -1,
         "bestXN: element 0: bld__d2 is nan; a diameter or height must be positive"},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.name);
        bterm();
        ASSERT_NE(binit(), nullptr);
        ASSERT_TRUE(h2::test::load_example_stage());
        f.spoil();
        const std::size_t before = console_.text().size();
        EXPECT_EQ(bestXN(), f.result);
        EXPECT_EQ(console_.text().substr(before), "\n" + std::string(f.line) + "\n");
        if (f.result == 3) {
            EXPECT_STREQ(block()->err_text, "ERRCODE_CORRUPTED_DATA: in solver/bestXN line 1168");
        } else {
            EXPECT_EQ(block()->iter, 0);  // refused before the first iteration
        }
    }
}

// On the mean line the streamlines have no spacing: their slope is 0, not NaN,
// and the case solves.
TEST_F(SolvedStateCheck, AMeanLineCaseWithSeveralStreamlinesHasNoSlope) {
    block()->cyld_force1D = 1;
    ASSERT_EQ(block()->cyld_nr, 3);
    EXPECT_EQ(bestXN(), 0) << console_.text();
    for (int i = 0; i <= block()->cyld_ns; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_EQ(block()->cas_tgz[i][j], 0.0) << i << " " << j;
}

}  // namespace
