// Text formats of the integral summary, the flow-rate balances and the stress
// and mass report, pinned by golden files; and the shared output helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "halvorine2/halvorine2.h"
#include "reports/report_api.h"
#include "reports/report_format.h"
#include "tests/support/captured_console.h"
#include "tests/support/golden.h"
#include "tests/support/solved_stage.h"

namespace {

using h2::test::expect_golden;
using h2::test::printed;
using Report = void (*)(std::FILE*);

// Polytropic efficiency of the stage's expansion worked by hand (see the
// results tests); stored before printing so that the golden pins the format
// whatever the conversion in use gives.
constexpr double kEffpByHand = 0.81509678;

class ResultReports : public h2::test::SolvedStageTest {
protected:
    void SetUp() override {
        SolvedStageTest::SetUp();
        // The loaded case is named by its file's path, which differs between checkouts.
        std::snprintf(block()->name, sizeof block()->name, "%s", "air_turbine_stage");
    }
    h2::test::CapturedConsole console_;
};

TEST_F(ResultReports, IntegralSummaryOfTheSolvedTurbine) {
    calc_integral(1);
    block()->cyld_effp = kEffpByHand;
    const std::string text = printed(report_integral);
    // Speed and flow corrected to 288.15 K and 101325 Pa: 3000 / sqrt(1000 / 288.15)
    // and sqrt(1000 / 288.15) / (4e5 / 101325) * 3.
    EXPECT_NE(text.find("OMcor=1610.39 rad/s G0cor=1.416   kg/s"), std::string::npos);
    expect_golden(text, "integral_summary.txt");
}

TEST_F(ResultReports, CompressingPathHasNoCorrectedParametersNorEstimate) {
    block()->elem_p2[2] = 5e5;
    calc_integral(1);
    block()->cyld_effp = kEffpByHand;
    const std::string text = printed(report_integral);
    EXPECT_EQ(text.find("Corrected parameters"), std::string::npos);
    EXPECT_EQ(text.find("EffBCS"), std::string::npos);
    expect_golden(text, "integral_summary_compressing.txt");
}

TEST_F(ResultReports, DesignTaskHasNoAccuracyNorEndLines) {
    calc_integral(1);
    block()->cyld_effp = kEffpByHand;
    block()->cyld_VART = 1;
    const std::string text = printed(report_integral);
    EXPECT_EQ(text.find("Mean accuracy"), std::string::npos);
    EXPECT_EQ(text.find("End calculating"), std::string::npos);
    expect_golden(text, "integral_summary_design.txt");
}

TEST_F(ResultReports, FlowBalancesAndStressOfTheSolvedTurbine) {
    block()->elem_Gr[2] = 0.02;
    block()->lkgn_GPY[2] = 0.01;
    block()->elem_G1[2] = 2.97;
    calc_integral(1);
    expect_golden(printed(report_flow_balances), "flow_balances.txt");
    expect_golden(printed(report_stress), "stress_report.txt");
}

// The stator's two balance lines add up when the flows do: what enters the rotor is what left the
// stator, plus its seal leakage Gotb2 and the root-gap flow GP of the cavity in front of the disk,
// less the flow Gr drawn into the rotor's cavity, plus the stator's tip, hub and outlet coolant; the
// rotor's outlet adds its separated moisture Gsep and inlet coolant. Every term differs, and the
// rotor's own values of the stator's terms (and the other way round) are set apart from them, so a
// term read with a wrong sign or at the wrong element leaves a balance other than 0.
TEST_F(ResultReports, StatorBalanceLinesAddUpToZeroForABalancedStage) {
    bdLocals* b = block();
    constexpr int s = 1, r = 2;
    b->elem_G2[s] = 3.0;
    b->elem_Gotb2[s] = 0.05;
    b->elem_Gotb2[r] = 0.7;
    b->lkgn_GP[r] = 0.03;
    b->lkgn_GP[s] = 0.6;
    b->elem_Gr[r] = 0.02;
    b->elem_Gr[s] = 0.5;
    b->cool_tGoxl[s] = 0.01;
    b->cool_hGoxl[s] = 0.02;
    b->cool_oGoxl[s] = 0.04;
    b->cool_tGoxl[r] = b->cool_hGoxl[r] = b->cool_oGoxl[r] = 0.4;
    b->elem_G1[r] = 3.0 + 0.05 + 0.03 - 0.02 + 0.01 + 0.02 + 0.04;  // 3.13
    b->elem_Gsep[r] = 0.015;
    b->elem_Gsep[s] = 0.3;
    b->cool_iGoxl[r] = 0.005;
    b->cool_iGoxl[s] = 0.2;
    b->elem_G2[r] = b->elem_G1[r] + 0.015 + 0.005;  // 3.15
    const std::string text = printed(report_flow_balances);
    const std::size_t stator = text.find("\nstator\t   1 (   1):\n");
    ASSERT_NE(stator, std::string::npos) << text;
    const std::size_t end = text.find("\nrotor", stator);
    const std::string block_text = text.substr(stator, end - stator);
    int balances = 0;
    for (std::size_t at = block_text.find("(balance ="); at != std::string::npos;
         at = block_text.find("(balance =", at + 1)) {
        const double balance = std::stod(block_text.substr(at + 10));
        EXPECT_NEAR(balance, 0.0, 1e-9) << block_text;
        ++balances;
    }
    EXPECT_EQ(balances, 2) << block_text;
}

TEST_F(ResultReports, PathWithoutBladeRows) {
    for (int i = 1; i <= 2; ++i) block()->elem_stagType[i] = 0.0;
    calc_integral(1);
    const std::string balances = printed(report_flow_balances);
    EXPECT_EQ(balances.find("stator"), std::string::npos);
    EXPECT_EQ(balances.find("rotor"), std::string::npos);
    expect_golden(balances, "flow_balances_no_rows.txt");
    expect_golden(printed(report_stress), "stress_report_no_rows.txt");
}

TEST_F(ResultReports, NotANumberPrintsWithoutSign) {
    calc_integral(1);
    block()->cyld_eff = -std::numeric_limits<double>::quiet_NaN();
    block()->cyld_RAL = -std::numeric_limits<double>::infinity();
    const std::string text = printed(report_integral);
    EXPECT_NE(text.find("Eff = nan -"), std::string::npos);
    EXPECT_NE(text.find("Blade = -inf N"), std::string::npos);
    EXPECT_EQ(text.find("-nan"), std::string::npos);
}

TEST_F(ResultReports, NothingIsPrintedForAnUnfitCase) {
    calc_integral(1);
    block()->cyld_ns = 9;
    for (Report r : {report_integral, report_flow_balances, report_stress}) EXPECT_EQ(printed(r), "");
    block()->cyld_ns = 2;
    report_integral(nullptr);
}

TEST(ReportFormat, IntegerColumnsTruncateTowardZero) {
    struct Case {
        double value;
        int expected;
    };
    const Case cases[] = {{2.9, 2},
                          {-2.9, -2},
                          {2147483647.0, 2147483647},
                          {-2147483648.0, -2147483647 - 1},
                          {2147483648.0, 0},
                          {-2147483649.0, 0},
                          {std::numeric_limits<double>::quiet_NaN(), 0},
                          {std::numeric_limits<double>::infinity(), 0}};
    for (const Case& c : cases) EXPECT_EQ(h2::truncated_int(c.value), c.expected) << c.value;
}

TEST(ReportFormat, SpanMeanIsTheTrapezoidMeanOrTheNamedStreamline) {
    double row[] = {1.0, 2.0, 4.0, 8.0};
    double* rows[] = {row};
    // Trapezoid over three equal steps: (1/2 + 2 + 4 + 8/2) / 3; the step cancels.
    EXPECT_DOUBLE_EQ(h2::span_mean(rows, 0, 2, 4, 0.25), 10.5 / 3.0);
    EXPECT_EQ(h2::span_mean(rows, 0, 2, 4, 0.0), 4.0);
    EXPECT_EQ(h2::span_mean(rows, 0, 0, 1, 0.25), 1.0);
}

}  // namespace
