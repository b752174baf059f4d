#include "numerics/cg_search.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "numerics/fr_locals.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"

namespace {

using h2::cg_maximize;
using h2::golden_max;
using h2::kSearchMaxVars;
using h2::line_max;

// The case defaults of the search settings.
constexpr double kAccE = 1e-8;
constexpr double kAccEE = 1e-10;
constexpr double kAccD = 1e-7;
constexpr double kAccMU0 = 0.001;
constexpr double kAccD0 = 0.001;

// Objectives are plain function pointers; what they need lives here.
int g_calls = 0;
std::vector<double> g_abscissae;  // arguments of the recorded line functions

double constant_objective(double*) {
    ++g_calls;
    return 1.0;
}

// A concave quadratic with coupling, largest value 3 at (1, -0.5).
double coupled_2d(double* x) {
    ++g_calls;
    const double u = x[0] - 1.0;
    const double v = x[1] + 0.5;
    return 3.0 - (2.0 * u * u + v * v + u * v);
}

// A concave, not quadratic function of ten variables: largest value 0 at x_i = i / 10.
constexpr int kTenD = 10;
double smooth_10d(double* x) {
    ++g_calls;
    double sum = 0.0;
    for (int i = 0; i < kTenD; ++i) {
        const double e = x[i] - i / 10.0;
        sum += (i + 1) * e * e + 0.1 * e * e * e * e;
    }
    const double link = x[0] - x[9] + 0.9;  // zero at the maximum
    return -(sum + link * link);
}

// Separable quadratic over as many variables as the block holds.
double wide_quadratic(double* x) {
    ++g_calls;
    double sum = 0.0;
    for (int i = 0; i < 103; ++i) sum += (x[i] - 1.0) * (x[i] - 1.0);
    return -sum;
}

double steep_quadratic(double* x) { return -(x[0] * x[0] + 4.0 * x[1] * x[1]); }

// The negative of Rosenbrock's valley: far from done after a few iterations.
double valley(double* x) {
    const double a = 1.0 - x[0];
    const double b = x[1] - x[0] * x[0];
    return -(a * a + 100.0 * b * b);
}

class CgSearch : public h2::test::LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        g_calls = 0;
    }
    h2::frLocals* fr() { return get_frLocals(); }
};

// ---- cg_maximize -------------------------------------------------------------

TEST_F(CgSearch, ConstantObjectiveEndsInIterationZeroWithoutALineSearch) {
    double x[3] = {0.5, -1.0, 2.0};
    EXPECT_EQ(cg_maximize(3, 100, 0, 1, kAccE, kAccEE, kAccD, kAccMU0, kAccD0, constant_objective, x), 1.0);
    EXPECT_EQ(fr()->I, 0);
    EXPECT_EQ(fr()->NF, 3 + 1);
    EXPECT_EQ(g_calls, 3 + 1);
    EXPECT_EQ(x[0], 0.5);
    EXPECT_EQ(x[1], -1.0);
    EXPECT_EQ(x[2], 2.0);
}

TEST_F(CgSearch, IterationLimitOfOneMakesExactlyOneLineSearch) {
    double x[2] = {3.0, 3.0};
    // A zero stop tolerance alone would let the search run on.
    cg_maximize(2, 1, 0, 1, kAccE, 0.0, kAccD, kAccMU0, kAccD0, coupled_2d, x);
    EXPECT_EQ(fr()->I, 1);
}

TEST_F(CgSearch, FirstDirectionIsTheNormalisedForwardDifferenceGradient) {
    double x[2] = {1.0, 1.0};
    cg_maximize(2, 1, 0, 1, kAccE, kAccEE, kAccD, kAccMU0, kAccD0, steep_quadratic, x);
    // Gradient of -(x^2 + 4 y^2) at (1, 1) is (-2, -8).
    const double length = std::sqrt(4.0 + 64.0);
    EXPECT_NEAR(fr()->dir[0], -2.0 / length, 1e-6);
    EXPECT_NEAR(fr()->dir[1], -8.0 / length, 1e-6);
    // The line search ends at the largest value along that line: with
    // x = (1 - 2s, 1 - 8s), d f / d s = 0 gives s = 68 / 520.
    const double s = 68.0 / 520.0;
    EXPECT_NEAR(x[0], 1.0 - 2.0 * s, 1e-6);
    EXPECT_NEAR(x[1], 1.0 - 8.0 * s, 1e-6);
}

// Runs `iterations` iterations from `start` (no stop on small changes).
std::array<double, 2> climb(std::array<double, 2> start, int iterations) {
    cg_maximize(2, iterations, 0, 1, kAccE, 0.0, kAccD, kAccMU0, kAccD0, valley, start.data());
    return start;
}

TEST_F(CgSearch, RestartsFromThePlainGradientEveryNPlusOneIterations) {
    // With n = 2, iteration 3 starts afresh from the gradient, exactly as
    // the first iteration of a new run from the same point does.
    const std::array<double, 2> start = {-1.2, 1.0};
    const std::array<double, 2> four = climb(start, 4);
    EXPECT_EQ(fr()->I, 4);
    EXPECT_EQ(climb(climb(start, 3), 1), four);
    // Iteration 1 continues the conjugate direction instead.
    EXPECT_NE(climb(climb(start, 1), 1), climb(start, 2));
}

struct ClimbCase {
    const char* name;
    int FRis;
};

class CgClimb : public CgSearch, public ::testing::WithParamInterface<ClimbCase> {};

TEST_P(CgClimb, FindsTheMaximumOfACoupled2DQuadratic) {
    double x[2] = {-2.0, 4.0};
    const double value =
        cg_maximize(2, 200, 0, GetParam().FRis, kAccE, kAccEE, kAccD, kAccMU0, kAccD0, coupled_2d, x);
    EXPECT_NEAR(value, 3.0, 1e-6);
    EXPECT_NEAR(x[0], 1.0, 1e-6);
    EXPECT_NEAR(x[1], -0.5, 1e-6);
    EXPECT_EQ(value, fr()->FH);
    EXPECT_EQ(fr()->NF, g_calls);
}

TEST_P(CgClimb, FindsTheMaximumOfASmooth10DFunction) {
    std::array<double, kTenD> x{};
    const double value = cg_maximize(kTenD, 500, 0, GetParam().FRis, kAccE, kAccEE, kAccD, kAccMU0, kAccD0,
                                     smooth_10d, x.data());
    EXPECT_NEAR(value, 0.0, 1e-6);
    for (int i = 0; i < kTenD; ++i) EXPECT_NEAR(x[i], i / 10.0, 1e-6) << "x[" << i << "]";
    EXPECT_EQ(fr()->NF, g_calls);
}

INSTANTIATE_TEST_SUITE_P(LineSearches, CgClimb,
                         ::testing::Values(ClimbCase{"line_max", 1}, ClimbCase{"golden_max", 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CgSearch, HandlesTheLargestCountACaseProduces) {
    // 100 elements and the two extra values of the gauging-angle task.
    std::vector<double> x(103, 0.0);
    const double value =
        cg_maximize(103, 3, 0, 1, kAccE, kAccEE, kAccD, kAccMU0, kAccD0, wide_quadratic, x.data());
    EXPECT_NEAR(value, 0.0, 1e-6);
    EXPECT_NEAR(x[102], 1.0, 1e-3);
    EXPECT_GE(kSearchMaxVars, 103);
}

TEST_F(CgSearch, CountsOutsideTheBlockAreRefused) {
    for (int n : {0, -1, kSearchMaxVars + 1}) {
        h2::test::CapturedConsole console;
        std::vector<double> x(kSearchMaxVars + 1, 0.0);
        EXPECT_TRUE(std::isnan(
            cg_maximize(n, 10, 0, 1, kAccE, kAccEE, kAccD, kAccMU0, kAccD0, wide_quadratic, x.data())));
        EXPECT_EQ(g_calls, 0);
        EXPECT_NE(console.text().find("ERRCODE_OUTOFRANGE: in cg_search.cpp line "), std::string::npos) << n;
    }
}

TEST_F(CgSearch, ProgressBlockBreaksAfterTheNinthValue) {
    h2::test::CapturedConsole console;
    double x[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    cg_maximize(12, 10, 2, 1, kAccE, kAccEE, kAccD, kAccMU0, kAccD0, constant_objective, x);
    const std::string values = "0 1 2 3 4 5 6 7 8 \n9 10 11 \n";
    // One block at the start of iteration 0, one at the end.
    EXPECT_EQ(console.text(), "I=0 NF=1 FH=1.00e+00\n" + values + "I=0 NF=13 FH=1.00e+00\n" + values);
}

TEST_F(CgSearch, PrintLevelOnePrintsOnlyTheFinalBlock) {
    h2::test::CapturedConsole console;
    double x[1] = {0.25};
    cg_maximize(1, 10, 1, 1, kAccE, kAccEE, kAccD, kAccMU0, kAccD0, constant_objective, x);
    EXPECT_EQ(console.text(), "I=0 NF=2 FH=1.00e+00\n0.25 \n");
}

TEST_F(CgSearch, PrintFollowsTheBlocksOutputCopies) {
    h2::test::CapturedConsole console;
    fr()->outDst = 1;
    fr()->dump = nullptr;
    h2::fr_print("%d", 7);
    EXPECT_EQ(console.text(), "");

    std::FILE* dump = std::tmpfile();
    fr()->dump = dump;
    h2::fr_print("%d|", 8);
    fr()->outDst = 2;
    h2::fr_print("%d|", 9);
    fr()->dump = nullptr;
    EXPECT_EQ(console.text(), "9|");
    std::rewind(dump);
    char text[16] = {};
    ASSERT_NE(std::fgets(text, sizeof text, dump), nullptr);
    EXPECT_STREQ(text, "8|9|");
    std::fclose(dump);
}

TEST(CgSearchWithoutBlock, ReportsAndReturnsInsteadOfEndingTheProcess) {
    // A thread that never made a search block.
    h2::test::CapturedConsole console;
    double result = 0.0;
    double x[2] = {1.0, 2.0};
    g_calls = 0;
    std::thread([&] {
        result = cg_maximize(2, 10, 0, 1, kAccE, kAccEE, kAccD, kAccMU0, kAccD0, coupled_2d, x);
    }).join();
    EXPECT_TRUE(std::isnan(result));
    EXPECT_EQ(g_calls, 0);
    EXPECT_EQ(x[0], 1.0);
    EXPECT_NE(console.text().find("\nFatal error: frLocals not defined\n"), std::string::npos);
}

// ---- line_max ----------------------------------------------------------------

double recorded_parabola(double t) {
    g_abscissae.push_back(t);
    return -(t - 1.0) * (t - 1.0);
}

double recorded_parabola_at_minus_one(double t) {
    g_abscissae.push_back(t);
    return -(t + 1.0) * (t + 1.0);
}

double rising(double t) {
    g_abscissae.push_back(t);
    return t;
}

TEST(LineMax, ExpandsByDoublingThenTakesTheParabolaVertex) {
    g_abscissae.clear();
    EXPECT_NEAR(line_max(recorded_parabola, 0.0, 0.1, 1e-8), 1.0, 1e-12);
    // No turn; through 0.3 and 0.7 to C = 1.5; the first trial point halfway back.
    const std::vector<double> start = {0.0, 0.1, 0.3, 0.7, 1.5, 1.1};
    ASSERT_GE(g_abscissae.size(), start.size());
    for (std::size_t i = 0; i < start.size(); ++i) EXPECT_NEAR(g_abscissae[i], start[i], 1e-12) << i;
}

TEST(LineMax, EqualFirstValuesTurnTheWalkAwayFromTheStep) {
    g_abscissae.clear();
    // f(-1.5) = f(-0.5) exactly: the walk turns and searches below x0, with
    // the doubled step: the third point is x0 - 2h.
    EXPECT_NEAR(line_max(recorded_parabola_at_minus_one, -1.5, 1.0, 1e-8), -1.0, 1e-12);
    ASSERT_GE(g_abscissae.size(), 3u);
    EXPECT_EQ(g_abscissae[2], -3.5);
}

TEST(LineMax, StopsOnAFunctionThatRisesWithoutEnd) {
    g_abscissae.clear();
    const double t = line_max(rising, 0.0, 0.001, 1e-8);
    EXPECT_TRUE(std::isfinite(t));
    EXPECT_GT(t, 1e6);
    EXPECT_LT(g_abscissae.size(), 200u);
}

// ---- golden_max --------------------------------------------------------------

double shifted_parabola(double t) {
    g_abscissae.push_back(t);
    return -(t - 2.0) * (t - 2.0);
}

TEST(GoldenMax, FixedIntervalNeverEvaluatesItsEnds) {
    g_abscissae.clear();
    const double t = golden_max(rising, 1, 0.0, 1.0, 1e-6, 1.0);
    EXPECT_LT(t, 1.0);
    EXPECT_GT(t, 1.0 - 1e-6);
    for (double a : g_abscissae) {
        EXPECT_GT(a, 0.0);
        EXPECT_LT(a, 1.0);
    }
}

TEST(GoldenMax, FallingFirstStepExpandsBackwardsByTheFactor) {
    g_abscissae.clear();
    // f(0.1) <= f(0) on a maximum at -0.5... here at 2 from above: start at 3.
    const double t = golden_max(shifted_parabola, 0, 3.0, 0.1, 1e-9, 2.0);
    ASSERT_GE(g_abscissae.size(), 3u);
    EXPECT_DOUBLE_EQ(g_abscissae[0], 3.1);  // b
    EXPECT_DOUBLE_EQ(g_abscissae[1], 3.0);  // a
    EXPECT_DOUBLE_EQ(g_abscissae[2], 3.0 - 2.0 * 0.1);
    EXPECT_NEAR(t, 2.0, 1e-6);
}

TEST(GoldenMax, ExpandsForwardsToABracketAndSections) {
    g_abscissae.clear();
    EXPECT_NEAR(golden_max(shifted_parabola, 0, 0.0, 0.1, 1e-9, 2.0), 2.0, 1e-6);
    // At most 50 section steps after the expansion.
    EXPECT_LT(g_abscissae.size(), 70u);
}

TEST(GoldenMax, StopsOnAFunctionThatRisesWithoutEnd) {
    g_abscissae.clear();
    EXPECT_TRUE(std::isfinite(golden_max(rising, 0, 0.0, 0.001, 1e-8, 2.0)));
    EXPECT_LT(g_abscissae.size(), 200u);
}

}  // namespace

// ---- brent_max ---------------------------------------------------------------

namespace {

int g_brent_calls = 0;
// A smooth, skewed hump with its maximum at x = 1/0.7 (d/dx of x e^(-0.7 x)).
double hump(double x) {
    ++g_brent_calls;
    return x * std::exp(-0.7 * x);
}
double rising_line(double x) {
    ++g_brent_calls;
    return 2.0 * x + 1.0;
}
double falling_line(double x) {
    ++g_brent_calls;
    return -x;
}

TEST(BrentMax, FindsTheInteriorMaximumInFewEvaluations) {
    g_brent_calls = 0;
    const double x = h2::brent_max(hump, 0.0, 10.0, 1e-8);
    EXPECT_NEAR(x, 1.0 / 0.7, 1e-7);
    EXPECT_LT(g_brent_calls, 25);
    // The bounds may come in either order.
    EXPECT_NEAR(h2::brent_max(hump, 10.0, 0.0, 1e-8), 1.0 / 0.7, 1e-7);
}

TEST(BrentMax, AMaximumAtAnEndIsThatEnd) {
    EXPECT_EQ(h2::brent_max(rising_line, 0.0, 3.0, 1e-8), 3.0);
    EXPECT_EQ(h2::brent_max(falling_line, -1.0, 2.0, 1e-8), -1.0);
}

}  // namespace
