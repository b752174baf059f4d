// Redesign in the loss-versus-strength mode on the shipped one-stage design
// example (air as a perfect gas, R 287.5, k 1.4): the solve, the limits on
// the exit coordinate and the rotor mass, the reports, and the row wrappers.
// The example has ICLos 0, so the S1 solve is a plain redesign and its
// stator meets the hand numbers of the design formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "halvorine2/halvorine2.h"
#include "solver/solver_api.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/example_stage.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr double kR = 287.5;
constexpr double kK = 1.4;
constexpr double kCp = kK * kR / (kK - 1.0);
constexpr double kPi = 3.14159265;

double rel(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class StageRecalculation : public h2::test::LiveCaseTest {
protected:
    // The example loaded afresh, so that every solve starts from the same state.
    void load() {
        ASSERT_TRUE(h2::test::load_example("air_turbine_stage_design.dat"));
        m = block()->cyld_nr / 2;
    }
    bdLocals* block() { return get_bdLocals(); }
    // The exit axial coordinate an unlimited recalculation reaches.
    double unlimited_length() {
        load();
        EXPECT_EQ(StgrS1N(), 0);
        return block()->cas_x2[block()->cyld_ns][m];
    }
    // Routes the reports to a dump file of the temporary directory.
    void reports_to_dump() {
        bdLocals& b = *block();
        b.IPO = 2;
        b.outDst = 1;
        std::snprintf(b.dump_name, sizeof b.dump_name, "%s", "s1.dump");
    }
    h2::test::TempDir dir_;
    // The result reports reach the console whatever IPO says.
    h2::test::CapturedConsole console_;
    int m = 0;
};

TEST_F(StageRecalculation, APlainRedesignKeepsTheStatorOfTheDesignFormulas) {
    load();
    bdLocals& b = *block();
    EXPECT_EQ(StgrS1N(), 0);
    EXPECT_EQ(b.S1mode, 0);
    EXPECT_NEAR(b.isd_p2[2][m], 200000.0, 1e-5 * 400000.0);
    // Stator on the 200 mm hub for 3 kg/s at cz/u 0.4: (d + l)^2 l = K.
    EXPECT_LT(rel(b.bld_l2[1], 0.0278755853211), 1e-6);
    const double d2 = b.bld_d2[1];
    EXPECT_LT(rel(d2, 0.2 + b.bld_l2[1]), 1e-12);
    const double c2z = 0.4 * 3000.0 * d2 / 2.0;
    EXPECT_LT(rel(b.flow_c2z[1][m], c2z), 1e-9);
    const double rho2 = b.isd_p2[1][m] / (kR * b.isd_i2[1][m] / kCp);
    EXPECT_LT(rel(3.0, rho2 * kPi * d2 * b.bld_l2[1] * c2z), 1e-7);
    // The whole-path results are those of the regenerated path: power = G (i0 - i2x).
    EXPECT_LT(rel(b.cyld_Nc, b.elem_G1[2] * (b.isd_i1x[2][m] - b.isd_i2x[2][m] + b.elem_dIr[2])), 1e-8);
}

TEST_F(StageRecalculation, TheLengthLimitAgainstTheExitCoordinate) {
    const double x2 = unlimited_length();
    ASSERT_GT(x2, 0.0);
    struct Case {
        double limit;
        int result;
    };
    for (const Case c : {Case{x2 * (1.0 - 1e-9), 101}, Case{x2 * (1.0 + 1e-9), 0}, Case{x2, 0}}) {
        SCOPED_TRACE(c.limit);
        bterm();
        ASSERT_NE(binit(), nullptr);
        load();
        block()->LengthLimit = c.limit;
        EXPECT_EQ(StgrS1N(), c.result);
        EXPECT_EQ(block()->cas_x2[block()->cyld_ns][m], x2);
        EXPECT_EQ(block()->S1mode, 0);
    }
}

TEST_F(StageRecalculation, TheMassLimitAgainstTheAssembledRotorMass) {
    struct Case {
        double mass, limit;
        int result;
    };
    // No assembled mass is within any limit; a mass equal to its limit passes.
    for (const Case c : {Case{0.0, 1.0, 0}, Case{2.0, 1.0, 101}, Case{2.0, 2.0, 0}, Case{2.0, 0.0, 0}}) {
        SCOPED_TRACE(c.mass);
        SCOPED_TRACE(c.limit);
        bterm();
        ASSERT_NE(binit(), nullptr);
        load();
        block()->cyld_mass = c.mass;
        block()->MassLimit = c.limit;
        EXPECT_EQ(StgrS1N(), c.result);
    }
}

TEST_F(StageRecalculation, ALimitFailureStillComputesTheResultsAndReports) {
    load();
    reports_to_dump();
    bdLocals& b = *block();
    b.LengthLimit = 1e-6;
    b.cyld_Nc = 0.0;
    EXPECT_EQ(StgrS1N(), 101);
    EXPECT_EQ(console_.text().find("R E S U L T S"), std::string::npos);  // outDst 1: dump only
    EXPECT_LT(rel(b.cyld_Nc, b.elem_G1[2] * (b.isd_i1x[2][m] - b.isd_i2x[2][m] + b.elem_dIr[2])), 1e-8);
    const std::string dump = h2::test::read_file((dir_.path() / "s1.dump").string());
    EXPECT_EQ(count(dump, "P D  r a n g e s"), 2u);
    EXPECT_EQ(count(dump, "R E S U L T S"), 2u);
    EXPECT_EQ(b.dump_stream, nullptr);
}

TEST_F(StageRecalculation, AFailingSolveReturnsTheSolversResultAndReportsNothing) {
    load();
    reports_to_dump();
    bdLocals& b = *block();
    // A stator outlet above the inlet total pressure cannot be designed.
    b.isd_p2[1][m] = b.elem_p2[1] = 410000.0;
    b.LengthLimit = 1e-6;
    b.cyld_Nc = -7.0;
    EXPECT_EQ(StgrS1N(), -1);
    EXPECT_EQ(b.S1mode, 0);
    EXPECT_EQ(b.cyld_Nc, -7.0);
    EXPECT_EQ(count(h2::test::read_file((dir_.path() / "s1.dump").string()), "R E S U L T S"), 0u);
}

TEST_F(StageRecalculation, TheConsoleGetsTheReportsUnlessTheyGoToTheDumpOnly) {
    load();
    block()->IPO = 2;
    EXPECT_EQ(StgrS1N(), 0);
    EXPECT_EQ(count(console_.text(), "P D  r a n g e s"), 2u);
    EXPECT_EQ(count(console_.text(), "R E S U L T S"), 2u);
}

// The row wrappers on the solved example: they redesign what the case holds
// and leave S1mode at 0.
class RowWrappers : public StageRecalculation {
protected:
    void SetUp() override {
        StageRecalculation::SetUp();
        load();
        ASSERT_EQ(bestXN(), 0);
    }
};

TEST_F(RowWrappers, AStageIsItsStatorAndRotorAndAConvergedStageStaysAsItWas) {
    bdLocals& b = *block();
    const double l1 = b.bld_l2[1], l2 = b.bld_l2[2], c2 = b.flow_c2[2][m], x2 = b.cas_x2[2][m];
    // Marks that only a redesign of the element overwrites.
    b.flow_u2[1][m] = b.flow_u2[2][m] = -1.0;
    EXPECT_EQ(StgrS1(0), 0);
    EXPECT_EQ(b.S1mode, 0);
    EXPECT_EQ(b.flow_u2[1][m], 0.0);  // a stator's blade speed
    EXPECT_LT(rel(b.flow_u2[2][m], 3000.0 * b.bld_d2[2] / 2.0), 1e-12);
    EXPECT_LT(rel(b.bld_l2[1], l1), 1e-6);
    EXPECT_LT(rel(b.bld_l2[2], l2), 1e-6);
    EXPECT_LT(rel(b.flow_c2[2][m], c2), 1e-6);
    EXPECT_NEAR(b.cas_x2[2][m], x2, 1e-7);
}

TEST_F(RowWrappers, PairsAndSingleElementsRedesignOnlyWhatTheyName) {
    bdLocals& b = *block();
    struct Case {
        const char* name;
        int (*call)();
        bool stator, rotor;
    };
    const Case cases[] = {
        {"StgrS1sr(1, 2)", [] { return StgrS1sr(1, 2); }, true, true},
        {"StgrS1e(2)", [] { return StgrS1e(2); }, false, true},
        {"StgrS1e(1)", [] { return StgrS1e(1); }, true, false},
        {"StgrS1sr(2, 9)", [] { return StgrS1sr(2, 9); }, false, true},
        {"StgrS1(5)", [] { return StgrS1(5); }, false, false},
        {"StgrS1(-1)", [] { return StgrS1(-1); }, false, false},
        {"StgrS1e(0)", [] { return StgrS1e(0); }, false, false},
        {"StgrS1(INT_MAX)", [] { return StgrS1(2147483647); }, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        b.flow_u2[1][m] = b.flow_u2[2][m] = -1.0;
        b.S1mode = 0;
        EXPECT_EQ(c.call(), 0);
        EXPECT_EQ(b.S1mode, 0);
        EXPECT_EQ(b.flow_u2[1][m] != -1.0, c.stator);
        EXPECT_EQ(b.flow_u2[2][m] != -1.0, c.rotor);
    }
}

TEST_F(RowWrappers, AFailingRowStillLeavesTheModeOffAndAnswersZero) {
    bdLocals& b = *block();
    // A negative mean diameter gives the stator a negative hub radius.
    b.elem_VARTD[1] = 1.0;
    b.bld_d2s[1] = -1.0;
    EXPECT_EQ(StgrS1e(1), 0);
    EXPECT_EQ(b.S1mode, 0);
    EXPECT_EQ(stgR(1), 2);
}

TEST(StageRecalculationWithoutCase, NothingToRedesign) {
    ASSERT_EQ(binit_threading(), 0);
    EXPECT_EQ(StgrS1N(), -1);
    EXPECT_EQ(StgrS1e(1), 0);
    EXPECT_EQ(StgrS1(0), 0);
    EXPECT_EQ(StgrS1sr(1, 2), 0);
    EXPECT_EQ(OptStg2(1, 2, 1), 201);
    bend_threading();
}

}  // namespace
