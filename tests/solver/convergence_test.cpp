// The outer iteration's convergence test by task family, and the iteration
// report's texts.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "halvorine2/halvorine2.h"
#include "solver/solver_api.h"
#include "solver/solver_internal.h"
#include "solver/solver_seams.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/example_stage.h"

namespace {

namespace fs = std::filesystem;

class Convergence : public h2::test::LiveCaseTest {
protected:
    void SetUp() override {
        h2::test::LiveCaseTest::SetUp();
        allocate(2, 1);
        block()->acc_limit = 1e-3;
        block()->ICLos = 0;
    }
    // Outlet pressure of the last element (the direct and design quantity).
    void outlet(double p) {
        block()->isd_p2[2][0] = p;
        block()->isd_p2x[2][0] = p;
    }
};

// A direct task also needs its power to agree with the last iteration's
// within the limit: an outlet pressure that settled under a swinging power is
// no answer. The design tasks judge their outlet alone.
TEST_F(Convergence, PressureTasksCompareTheOutletPressureWithTheLastIteration) {
    struct Case {
        const char* name;
        int vart;
        int it;
        double change;        // relative change of the outlet pressure
        double power_change;  // relative change of the power
        int verdict;
    };
    const Case cases[] = {
        {"direct, change below the limit", 10, 3, 0.5 / 1024, 0.5 / 1024, 1},
        {"direct, change at the limit is not enough", 10, 3, 1.0 / 1024, 0.0, 0},
        {"direct, the power has not settled", 10, 3, 0.0, 2.0 / 1024, 0},
        {"direct, the power settled at the limit is not enough", 10, 3, 0.0, 1.0 / 1024, 0},
        {"direct, a path without power", 100, 3, 0.0, -1.0, 1},
        {"design, change at the limit", 1, 4, 1.0 / 1024, 0.5, 1},
        {"design, not before iteration 4", 1, 3, 0.0, 0.0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        block()->cyld_VART = c.vart;
        double p_ref = 0.0, g_ref = 0.0;
        block()->acc_limit = 1.0 / 1024;  // changes and limit exact in binary
        outlet(65536.0);
        block()->cyld_Nc = c.power_change == -1.0 ? 0.0 : 4096.0;
        EXPECT_EQ(check_convergence(1, 0, &p_ref, &g_ref), 0);
        EXPECT_EQ(block()->Gaccuracy, 0.1);  // the first iteration has no reference
        EXPECT_EQ(p_ref, 65536.0);
        outlet(65536.0 * (1 + c.change));
        block()->cyld_Nc *= 1 + c.power_change;
        EXPECT_EQ(check_convergence(c.it, 0, &p_ref, &g_ref), c.verdict);
        EXPECT_EQ(block()->Gaccuracy, c.change);
    }
}

TEST_F(Convergence, InverseTasksCompareThePowerOnceTheEquationsAreMet) {
    bdLocals* b = block();
    b->cyld_VART = 20;
    b->cyld_Nc = 1000.0;
    b->accuracy = 1e-4;
    b->acc_Gconv = 0.0;
    double p_ref = 0.0, g_ref = 0.0;
    EXPECT_EQ(check_convergence(1, 0, &p_ref, &g_ref), 0);
    EXPECT_EQ(g_ref, 1000.0);
    b->cyld_Nc = 1000.5;
    EXPECT_EQ(check_convergence(2, 0, &p_ref, &g_ref), 1);
    EXPECT_EQ(b->acc_Gconv, 1e-3);  // taken from the accuracy limit
    EXPECT_NEAR(b->Gaccuracy, 0.5e-3, 1e-12);
    // A negative limit counts by its magnitude.
    b->acc_Gconv = -1e-4;
    b->cyld_Nc = 1001.0;
    EXPECT_EQ(check_convergence(3, 0, &p_ref, &g_ref), 0);
    // Without a power figure the mass flow is the quantity.
    b->cyld_Nc = 0.0;
    b->cyld_G = 5.0;
    EXPECT_EQ(check_convergence(4, 0, &p_ref, &g_ref), 0);
    EXPECT_EQ(g_ref, 5.0);
}

TEST_F(Convergence, CompressorWithLossesInTheElementsConvergesOnTheEquations) {
    bdLocals* b = block();
    b->cyld_VART = 30;
    b->ICLos = 1;
    b->elem_p0[0] = 1e5;
    b->elem_p2[2] = 2e5;  // compressing
    b->cyld_G = 3.0;
    b->accuracy = 1e-4;
    double p_ref = 0.0, g_ref = 0.0;
    h2::test::CapturedConsole console;
    EXPECT_EQ(check_convergence(1, 0, &p_ref, &g_ref), 1);
    b->accuracy = 1.0;
    EXPECT_EQ(check_convergence(2, 0, &p_ref, &g_ref), 2);
    b->accuracy = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(check_convergence(3, 0, &p_ref, &g_ref), -1);
    EXPECT_EQ(console.text(), "\nbestXN: Fatal error - BAD accuracy data!\n");
}

TEST_F(Convergence, OtherTasksChangeNothing) {
    block()->cyld_VART = 50;
    block()->Gaccuracy = 7.0;
    double p_ref = 0.0, g_ref = 0.0;
    EXPECT_EQ(check_convergence(5, 0, &p_ref, &g_ref), 0);
    EXPECT_EQ(block()->Gaccuracy, 7.0);
}

class IterationReport : public h2::test::LiveCaseTest {};

// A converged direct iteration of 13 elements: the element table, the
// progress line and the final velocities, twelve to a line.
TEST_F(IterationReport, ConvergedDirectIterationGolden) {
    allocate(12, 1);
    bdLocals* b = block();
    b->cyld_VART = 10;
    b->IPP = 3;
    b->IP = 0;
    b->iter = 3;
    b->accuracy = 3e-10;
    b->acc_limit = 1e-6;
    b->Gaccuracy = 0.0;
    b->cyld_eff = 0.85;
    b->cyld_Nc = 123456.7;
    b->cyld_G = 3.0;
    b->isd_p2[12][0] = 2e5;
    for (int i = 0; i <= 12; ++i) {
        b->los_om[i][0] = 0.01 * i;
        b->los_Los[i][0] = 0.9;
        b->los_Fp[i][0] = 1.0;
        b->flow_Mw2[i][0] = 0.5;
        b->cas_iR[i][0] = 1.5;
        b->cas_dR[i][0] = -2.0;
        b->elem_G1[i] = b->elem_G2[i] = 3.0;
        b->elem_Gdu[i] = 0.25;
        b->elem_cz_[i] = 0.125;
        b->flow_w2[i][0] = 100.0 + 10 * i;
    }
    h2::test::CapturedConsole console;
    EXPECT_EQ(report_iteration(1), 0);
    const fs::path golden =
        fs::path(__FILE__).parent_path().parent_path() / "golden" / "iteration_report.txt";
    EXPECT_EQ(console.text(), h2::test::read_file(golden.string()));
}

TEST_F(IterationReport, NonFiniteResultsAreCaughtBeforeAnythingIsWritten) {
    allocate(2, 1);
    h2::test::BlockPtr host = h2::test::make_block();
    block()->peer_block = host.get();
    block()->iter = 5;
    block()->cyld_eff = std::numeric_limits<double>::quiet_NaN();
    h2::test::CapturedConsole console;
    EXPECT_EQ(report_iteration(0), 3);
    EXPECT_EQ(host->iter, 0);
    EXPECT_EQ(console.text(), "");
}

}  // namespace

namespace {

// A loss step whose power swings by half from one iteration to the next,
// while the outlet pressure stays: the run ends at its iteration limit with
// result 2 and names the power as the quantity that did not settle.
int swinging_power_loss_step() {
    bdLocals* b = get_bdLocals();
    b->cyld_Nc = b->iter % 2 == 0 ? 1000.0 : 1500.0;
    return 0;
}

TEST_F(Convergence, ARunWhosePowerDoesNotSettleIsNotDone) {
    ASSERT_TRUE(h2::test::load_loss_free_example_stage());
    block()->IGM = 8;
    struct Restore {
        ~Restore() { h2::solver_steps() = h2::default_solver_steps(); }
    } const restore;
    h2::solver_steps().loss_step = &swinging_power_loss_step;
    h2::test::CapturedConsole console;
    EXPECT_EQ(bestXN(), 2);
    EXPECT_EQ(block()->iter, 8);
    EXPECT_NE(console.text().find(
                  "Warning: the power did not settle: 1000 W after 1500 W in the previous iteration"),
              std::string::npos)
        << console.text();
    h2::solver_steps().loss_step = [] { return 0; };
    EXPECT_EQ(bestXN(), 0);
}

}  // namespace
