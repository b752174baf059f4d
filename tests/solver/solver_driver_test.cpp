// The solver driver's result codes, counters and messages, and the design
// task's regeneration passes, on small mean-line paths.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "halvorine2/halvorine2.h"
#include "solver/gravity_head.h"
#include "solver/solver_api.h"
#include "solver/solver_seams.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/mean_line_path.h"

namespace {

using h2::test::CapturedConsole;

class SolverDriver : public h2::test::LiveCaseTest {
protected:
    void SetUp() override {
        h2::test::LiveCaseTest::SetUp();
        ASSERT_TRUE(h2::test::make_mean_line_path({{0.4, 0.05}, {0.4, 0.04}, {0.4, 0.035}},
                                                  {2e5, 350.0, 12.0, 1.5e5}));
    }
    void TearDown() override {
        h2::solver_steps() = h2::default_solver_steps();
        h2::test::LiveCaseTest::TearDown();
    }
    bool contains(const std::string& text, const char* what) { return text.find(what) != std::string::npos; }
};

TEST_F(SolverDriver, UnknownTaskAnswers13BeforeAnyElementIsSolved) {
    block()->cyld_VART = 50;
    CapturedConsole console;
    EXPECT_EQ(bestXN(), 13);
    EXPECT_EQ(block()->iter, 0);
    EXPECT_EQ(block()->flow_w2[0][0], 0.0);
    EXPECT_TRUE(contains(console.text(), "bestXN: Fatal error - unknown task!"));
}

TEST_F(SolverDriver, IterationLimitWithinTheAccuracyLimitIsSuccessAfterAWarning) {
    block()->IGM = 2;
    CapturedConsole console;
    EXPECT_EQ(bestXN(), 0);
    EXPECT_EQ(block()->iter, 2);
    EXPECT_TRUE(contains(console.text(),
                         "\nWarning: Loss convergence was not reached during first 2 iterations\n\n"));
}

TEST_F(SolverDriver, AccuracyAboveTheLimitDivergesOrRunsOut) {
    struct Case {
        int div_limit, IGM, result, stored_limit, iter;
    };
    for (const Case& c : {Case{0, 100, 5, 3, 3}, Case{100, 4, 2, 100, 4}}) {
        SCOPED_TRACE(c.div_limit);
        block()->acc_limit = 0.0;
        block()->div_limit = c.div_limit;
        block()->IGM = c.IGM;
        CapturedConsole console;
        EXPECT_EQ(bestXN(), c.result);
        EXPECT_EQ(block()->div_limit, c.stored_limit);
        EXPECT_EQ(block()->iter, c.iter);
    }
}

double nan_fluid(int, double, double, double, int) { return std::numeric_limits<double>::quiet_NaN(); }

// Element flows gone non-finite in the loss step: the next march's defect is NaN.
int nan_flow_loss_step() {
    bdLocals* b = get_bdLocals();
    for (int i = 0; i <= b->cyld_ns; ++i)
        b->elem_G1[i] = b->elem_G2[i] = std::numeric_limits<double>::quiet_NaN();
    return 0;
}

TEST_F(SolverDriver, NonFiniteAccuracyIsBadData) {
    h2::solver_steps().loss_step = &nan_flow_loss_step;
    CapturedConsole console;
    EXPECT_EQ(bestXN(), -1);
    EXPECT_TRUE(contains(console.text(), "bestXN: Fatal error - BAD accuracy data!"));
}

TEST_F(SolverDriver, FluidAnsweringNaNIsRefusedByTheChokeSearch) {
    // A failed property call counts as no flow, so the element cannot pass its
    // flow; the state left behind is no number, so the solve ends as corrupted
    // data naming the field, and no progress line prints a value made of NaNs.
    block()->fluid_func = &nan_fluid;
    CapturedConsole console;
    EXPECT_EQ(bestXN(), 3);
    EXPECT_TRUE(contains(console.text(), "ChaVel severe error: G2 > Gmax calculation failed!"));
    EXPECT_TRUE(contains(console.text(), "ChaVel: element 0 cannot pass its flow"));
    EXPECT_TRUE(contains(console.text(),
                         "Fatal error: Corrupted output data! isd__s1 of element 0, streamline 0, is nan"));
    EXPECT_FALSE(contains(console.text(), "P2n=nan"));
}

void abort_in_second_iteration(bdLocals* b, uintptr_t arg) {
    if (b->iter == 2) b->need_abort = 1;
    ++*reinterpret_cast<int*>(arg);
}

TEST_F(SolverDriver, AbortFromTheHookEndsAfterTheIterationReport) {
    int calls = 0;
    block()->iter_hook = &abort_in_second_iteration;
    block()->iter_hook_arg = reinterpret_cast<uintptr_t>(&calls);
    CapturedConsole console;
    EXPECT_EQ(bestXN(), 4);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(block()->iter, 2);
    EXPECT_TRUE(contains(console.text(), "Fatal error: Equation calculation aborted!"));
}

TEST_F(SolverDriver, HostBlockSeesTheProgressAndItsAbortRequest) {
    h2::test::BlockPtr host = h2::test::make_block();
    host->need_abort = 1;
    block()->peer_block = host.get();
    CapturedConsole console;
    EXPECT_EQ(bestXN(), 4);
    EXPECT_EQ(host->iter, 1);
    EXPECT_EQ(host->cyld_G, 12.0);
    EXPECT_EQ(host->accuracy, block()->accuracy);
}

// A loss step that leaves the whole-path flow corrupted after the results.
int corrupting_loss_step() {
    get_bdLocals()->cyld_Gv = std::numeric_limits<double>::quiet_NaN();
    return 0;
}

TEST_F(SolverDriver, CorruptedOutputIsResult3WithItsText) {
    h2::solver_steps().loss_step = &corrupting_loss_step;
    for (bool predesign : {false, true}) {
        SCOPED_TRACE(predesign);
        int table = 0;
        block()->ranges_ref = predesign ? &table : nullptr;
        CapturedConsole console;
        EXPECT_EQ(bestXN(), 3);
        EXPECT_STREQ(block()->err_text, "ERRCODE_CORRUPTED_DATA: in solver/bestXN line 1168");
        EXPECT_EQ(block()->accuracy, 1e6);
        EXPECT_EQ(contains(console.text(), "Fatal error: Corrupted output data!"), !predesign);
        block()->ranges_ref = nullptr;
    }
}

TEST_F(SolverDriver, RefusesWhatItCannotSolve) {
    CapturedConsole console;
    block()->cyld_ns = 0;  // set-up reads element 1
    EXPECT_EQ(bestXN(), -1);
    block()->cyld_ns = 9;  // past the arrays
    EXPECT_EQ(bestXN(), -1);
    block()->cyld_ns = 2;
    block()->fluid_func = nullptr;
    EXPECT_EQ(bestXN(), -1);
    EXPECT_EQ(block()->iter, 0);
    EXPECT_EQ(block()->flow_w2[1][0], 0.0);
}

TEST(SolverDriverWithoutCase, Refuses) {
    ASSERT_EQ(binit_threading(), 0);
    EXPECT_EQ(bestXN(), -1);
    bend_threading();
}

// ---- design tasks ----

struct Calls {
    std::vector<std::string> log;
};
Calls& calls() {
    static Calls c;
    return c;
}
int turbine() {
    calls().log.push_back("stgRN");
    return 0;
}
int fan() {
    calls().log.push_back("sfgRN");
    return 0;
}
int axial(int first, int last) {
    calls().log.push_back("scgRN " + std::to_string(first) + " " + std::to_string(last));
    return 0;
}
int radial(int first) {
    calls().log.push_back("rcgRN " + std::to_string(first));
    return 0;
}

TEST_F(SolverDriver, DesignTaskRegeneratesItsModulesEveryIteration) {
    h2::solver_steps() =
        h2::SolverSteps{&turbine, &fan, &axial, &radial, h2::default_solver_steps().loss_step};
    // The stand-in passes generate nothing: the path keeps the flow of a direct solve.
    ASSERT_EQ(bestXN(), 0);
    struct Case {
        const char* name;
        std::vector<double> module_type;
        double last_module;
        bool expanding;
        std::vector<std::string> per_iteration;
    };
    const Case cases[] = {
        {"turbine", {0, 0, 0}, 0, true, {"stgRN"}},
        {"axial compressor", {0, 0, 0}, 0, false, {"scgRN 0 2"}},
        {"centrifugal stages", {0, 5, 5}, 0, false, {"rcgRN 0"}},
        // Three modules counted but two runs: the third is not looked for past the path.
        {"fan then centrifugal", {0, 0, 5}, 2, false, {"sfgRN", "rcgRN 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bdLocals* b = block();
        b->cyld_VART = 1;
        b->IGM = 2;
        b->elem_p2[2] = c.expanding ? 1.5e5 : 3e5;
        for (int i = 0; i < 3; ++i) b->elem_moduleType[i] = c.module_type[static_cast<std::size_t>(i)];
        b->elem_moduleNum[2] = c.last_module;
        calls().log.clear();
        EXPECT_EQ(bestXN(), 0);
        std::vector<std::string> expected = c.per_iteration;
        expected.insert(expected.end(), c.per_iteration.begin(), c.per_iteration.end());
        EXPECT_EQ(calls().log, expected);
    }
    // A one-element run behind a centrifugal stage: the fan pass cannot take it.
    bdLocals* b = block();
    b->elem_moduleType[1] = 5.0;
    b->elem_moduleType[2] = 0.0;
    b->elem_moduleNum[2] = 1.0;
    calls().log.clear();
    EXPECT_EQ(bestXN(), -1);
    EXPECT_EQ(calls().log, std::vector<std::string>{"rcgRN 0"});
}

int failing_turbine() {
    calls().log.push_back("stgRN");
    return 2;  // element 1 failed
}

TEST_F(SolverDriver, DesignTaskEndsWithMinusOneWhenItsRegenerationFails) {
    h2::solver_steps() =
        h2::SolverSteps{&failing_turbine, &fan, &axial, &radial, h2::default_solver_steps().loss_step};
    block()->cyld_VART = 1;
    calls().log.clear();
    CapturedConsole console;
    EXPECT_EQ(bestXN(), -1);
    EXPECT_EQ(calls().log, std::vector<std::string>{"stgRN"});
    EXPECT_EQ(console.text(), "");
}

// ---- gravity ----

class GravityHead : public h2::test::LiveCaseTest {};

TEST_F(GravityHead, WorkOfGravityByDisposition) {
    allocate(2, 1);
    bdLocals* b = block();
    b->flow_r1[1][0] = 0.25;  // the flow falls from radius 0.25 to 0.2
    b->flow_r2[1][0] = 0.2;
    b->flow_r2[0][0] = 0.3;
    b->cas_x2[0][0] = 0.0;  // and moves 0.1 m along the axis
    b->cas_x2[1][0] = 0.1;
    struct Case {
        int disp;
        double sect, out, in2;
    };
    const Case cases[] = {
        {0, 0.0, 9.81 * 0.05, 0.0},
        {2, 0.0, -0.981, -0.981},
        {1, 0.0, 0.981, 0.981},
        {0, 1.0, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.disp);
        b->cyld_Disp = c.disp;
        b->elem_sectType[1] = b->elem_sectType[2] = c.sect;
        EXPECT_NEAR(grav_head_out(1, 0), c.out, 1e-12);
        if (c.disp != 0) {
            EXPECT_EQ(grav_head_in(1, 0), 0.0);             // element 0 against itself
            EXPECT_NEAR(grav_head_in(2, 0), c.in2, 1e-12);  // outlets of elements 0 and 1
        }
    }
    b->cyld_Disp = 0;
    b->elem_sectType[1] = 0.0;
    EXPECT_NEAR(grav_head_in(1, 0), 9.81 * (0.3 - 0.25), 1e-12);
    EXPECT_EQ(grav_head_in(0, 0), 0.0);
}

}  // namespace
