#include "numerics/one_dim.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using h2::fd_deriv;
using h2::interp1;
using h2::interp2;
using h2::mid_value;
using h2::parabola_slope;
using h2::root_bracket;
using h2::root_falsi;
using h2::root_falsi_ctx;
using h2::trapezoid_sum;

// ---- interp1 ---------------------------------------------------------------

struct Interp1Case {
    double x;
    double expected;
};

class Interp1Line : public ::testing::TestWithParam<Interp1Case> {};

TEST_P(Interp1Line, InterpolatesInsideAndExtendsTheEndIntervals) {
    const double xs[] = {0.0, 1.0, 2.0};
    const double ys[] = {0.0, 10.0, 20.0};
    EXPECT_DOUBLE_EQ(interp1(3, xs, ys, GetParam().x), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Interp1Line,
                         ::testing::Values(Interp1Case{1.0, 10.0},   // on the inner knot
                                           Interp1Case{0.5, 5.0},    // inside
                                           Interp1Case{2.0, 20.0},   // on the last knot
                                           Interp1Case{3.0, 30.0},   // last interval extended
                                           Interp1Case{-1.0, -10.0}  // first interval extended
                                           ));

TEST(Interp1, InnerKnotTakesTheIntervalThatStartsThere) {
    // A step at x = 1 (knot doubled): the value on the knot comes from the
    // interval that starts there, not from the one that ends there.
    const double xs[] = {0.0, 1.0, 1.0, 2.0};
    const double ys[] = {0.0, 10.0, 50.0, 60.0};
    EXPECT_DOUBLE_EQ(interp1(4, xs, ys, 1.0), 50.0);
    EXPECT_DOUBLE_EQ(interp1(4, xs, ys, 0.5), 5.0);
    EXPECT_DOUBLE_EQ(interp1(4, xs, ys, 1.5), 55.0);
}

TEST(Interp1, EqualAbscissaeGiveTheLeftPoint) {
    const double xs[] = {0.0, 1.0, 1.0};
    const double ys[] = {0.0, 10.0, 99.0};
    // Above the table the last interval (1, 1) is chosen; it has no width.
    EXPECT_DOUBLE_EQ(interp1(3, xs, ys, 5.0), 10.0);
}

TEST(Interp1, EmptyTableGivesTheFirstValueWithoutReadingAbscissae) {
    const double ys[] = {7.0};
    EXPECT_DOUBLE_EQ(interp1(0, nullptr, ys, 123.0), 7.0);
}

TEST(Interp1, SinglePointIsAConstant) {
    const double xs[] = {2.0};
    const double ys[] = {7.0};
    EXPECT_DOUBLE_EQ(interp1(1, xs, ys, -5.0), 7.0);
    EXPECT_DOUBLE_EQ(interp1(1, xs, ys, 5.0), 7.0);
}

// ---- interp2 ---------------------------------------------------------------

// f(x, y) = 1 + 2x + 3y + 4xy is bilinear: interpolation reproduces it inside
// and extrapolation along the end cells reproduces it outside.
double bilinear(double x, double y) { return 1.0 + 2.0 * x + 3.0 * y + 4.0 * x * y; }

struct Interp2Case {
    double x;
    double y;
};

class Interp2Bilinear : public ::testing::TestWithParam<Interp2Case> {};

TEST_P(Interp2Bilinear, ReproducesABilinearFunction) {
    const double xs[] = {0.0, 1.0, 3.0};
    const double ys[] = {-1.0, 0.5};
    double table[3 * 2];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 2; ++j) table[i * 2 + j] = bilinear(xs[i], ys[j]);  // x index major
    const auto [x, y] = GetParam();
    EXPECT_NEAR(interp2(3, 2, xs, ys, table, x, y), bilinear(x, y), 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Points, Interp2Bilinear,
                         ::testing::Values(Interp2Case{0.0, -1.0}, Interp2Case{1.0, 0.5},
                                           Interp2Case{0.3, 0.1}, Interp2Case{2.0, -0.25},
                                           Interp2Case{5.0, 2.0}, Interp2Case{-1.0, -3.0}));

TEST(Interp2, EmptyGridGivesTheFirstValue) {
    const double table[] = {4.5};
    EXPECT_DOUBLE_EQ(interp2(0, 3, nullptr, nullptr, table, 1.0, 1.0), 4.5);
    EXPECT_DOUBLE_EQ(interp2(3, 0, nullptr, nullptr, table, 1.0, 1.0), 4.5);
}

TEST(Interp2, OneRowOrColumnInterpolatesAlongTheOther) {
    const double axis[] = {0.0, 1.0, 2.0};
    const double one[] = {5.0};
    const double table[] = {0.0, 10.0, 20.0};
    EXPECT_DOUBLE_EQ(interp2(1, 3, one, axis, table, 99.0, 1.5), 15.0);
    EXPECT_DOUBLE_EQ(interp2(3, 1, axis, one, table, 0.5, 99.0), 5.0);
}

TEST(Interp2, ZeroWidthCellIsNotGuarded) {
    const double xs[] = {1.0, 1.0};
    const double ys[] = {0.0, 1.0};
    const double table[] = {1.0, 2.0, 3.0, 4.0};
    EXPECT_TRUE(std::isnan(interp2(2, 2, xs, ys, table, 1.0, 0.5)));
}

// ---- trapezoid_sum, fd_deriv, parabola_slope, mid_value -------------------

TEST(TrapezoidSum, SumsEqualIntervals) {
    const double values[] = {1.0, 2.0, 3.0};
    EXPECT_DOUBLE_EQ(trapezoid_sum(2, 0.5, values), 2.0);
}

TEST(TrapezoidSum, NoIntervalGivesHTimesTheOnlyValue) {
    const double values[] = {3.0};
    EXPECT_DOUBLE_EQ(trapezoid_sum(0, 0.5, values), 1.5);
}

TEST(TrapezoidSum, IntegratesALineExactly) {
    // y = x on [0, 1] in ten intervals, as the callers use it: integral 0.5.
    double values[11];
    for (int k = 0; k <= 10; ++k) values[k] = 0.1 * k;
    EXPECT_NEAR(trapezoid_sum(10, 0.1, values), 0.5, 1e-15);
}

struct FdCase {
    int mode;
    double h1, h2, y0, y1, y2;
    double expected;
};

class FdDeriv : public ::testing::TestWithParam<FdCase> {};

TEST_P(FdDeriv, SlopeOfTheParabolaAtThePickedPoint) {
    const FdCase& c = GetParam();
    EXPECT_NEAR(fd_deriv(c.mode, c.h1, c.h2, c.y0, c.y1, c.y2), c.expected, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Table, FdDeriv,
                         ::testing::Values(
                             // y = x^2 at x = 0, 1, 2: slopes 0, 2, 4
                             FdCase{0, 1.0, 1.0, 0.0, 1.0, 4.0, 0.0}, FdCase{1, 1.0, 1.0, 0.0, 1.0, 4.0, 2.0},
                             FdCase{2, 1.0, 1.0, 0.0, 1.0, 4.0, 4.0},
                             // unequal spacing, y = x^2 at x = 0, 1, 3: slopes 0, 2, 6
                             FdCase{0, 1.0, 2.0, 0.0, 1.0, 9.0, 0.0}, FdCase{1, 1.0, 2.0, 0.0, 1.0, 9.0, 2.0},
                             FdCase{2, 1.0, 2.0, 0.0, 1.0, 9.0, 6.0},
                             // modes outside 0..2 give 0
                             FdCase{3, 1.0, 1.0, 0.0, 1.0, 4.0, 0.0},
                             FdCase{-1, 1.0, 1.0, 0.0, 1.0, 4.0, 0.0}));

TEST(ParabolaSlope, SlopeOfAParabolaThroughUnorderedPoints) {
    // y = 2x^2 - 3x + 1, y' = 4x - 3
    const auto y = [](double x) { return 2.0 * x * x - 3.0 * x + 1.0; };
    const double x0 = 2.0, x1 = -1.0, x2 = 0.5;
    for (double x : {-2.0, 0.0, 0.75, 3.0})
        EXPECT_NEAR(parabola_slope(x0, x1, x2, y(x0), y(x1), y(x2), x), 4.0 * x - 3.0, 1e-12) << x;
}

TEST(MidValue, MiddleOfOddAndEvenLastIndex) {
    const double four[] = {1.0, 2.0, 3.0, 4.0};
    const double three[] = {1.0, 2.0, 3.0};
    EXPECT_DOUBLE_EQ(mid_value(3, four), 2.5);
    EXPECT_DOUBLE_EQ(mid_value(2, three), 2.0);
    EXPECT_DOUBLE_EQ(mid_value(0, three), 1.0);
}

// ---- root finding -----------------------------------------------------------

int g_calls = 0;

double line_minus_one(double x) {
    ++g_calls;
    return x - 1.0;
}

TEST(RootFalsi, FirstFalsePositionPointOfALineIsTheRoot) {
    g_calls = 0;
    EXPECT_EQ(root_falsi(line_minus_one, 0.0, 3.0, 1e-8), 1.0);
    EXPECT_LE(g_calls, 121);
}

double two_then_one(double x) {
    ++g_calls;
    return x < 0.5 ? 2.0 : 1.0;  // f(0) = 2, f(1) = 1: no sign change
}

TEST(RootFalsi, NoSignChangeReturnsTheBetterStartAtOnce) {
    g_calls = 0;
    EXPECT_EQ(root_falsi(two_then_one, 0.0, 1.0, 1e-8), 1.0);
    EXPECT_EQ(g_calls, 2);
}

double even_square(double x) {
    ++g_calls;
    return x * x + 1.0;  // equal at -1 and 1
}

TEST(RootFalsi, NoSignChangeTieKeepsTheFirstStart) {
    g_calls = 0;
    EXPECT_EQ(root_falsi(even_square, -1.0, 2.0, 1e-8), -1.0);
    EXPECT_EQ(g_calls, 2);
}

double cubic(double x) {
    ++g_calls;
    return x * x * x - 2.0;
}

TEST(RootFalsi, ConvergesOnACurvedFunctionWithinTheEvaluationLimit) {
    g_calls = 0;
    const double r = root_falsi(cubic, 0.0, 3.0, 1e-12);
    EXPECT_NEAR(r, std::cbrt(2.0), 1e-9);
    EXPECT_LE(g_calls, 121);
}

double never_converges(double x) {
    ++g_calls;
    // A sign change in [0, 1] with flat arms far from the jump: false position
    // creeps, and only the evaluation limit ends it.
    return x < 0.999999 ? -1.0 : 1.0e7 * (x - 0.999999) + 1.0;
}

TEST(RootFalsi, StopsAfter121Evaluations) {
    g_calls = 0;
    root_falsi(never_converges, 0.0, 1.0, 1e-300);
    EXPECT_EQ(g_calls, 121);
}

double shifted_line(double x, void* ctx) {
    const double root = *static_cast<double*>(ctx);
    return x - root;
}

TEST(RootFalsiCtx, HandsTheContextToEveryCall) {
    double root = 2.5;
    EXPECT_NEAR(root_falsi_ctx(shifted_line, 0.0, 4.0, 1e-10, &root), 2.5, 1e-12);
    root = -0.5;
    EXPECT_NEAR(root_falsi_ctx(shifted_line, -2.0, 4.0, 1e-10, &root), -0.5, 1e-12);
}

double sine(double x) { return std::sin(x); }

struct BracketCase {
    int k;
    double root;  // the k-th change met walking down from b = 10
};

class RootBracket : public ::testing::TestWithParam<BracketCase> {};

TEST_P(RootBracket, NarrowsToTheKthSignChangeFromB) {
    // sin changes sign at pi, 2pi and 3pi in (0.5, 10); walking down from 10
    // the first change met is 3pi.
    double a = 0.5;
    double b = 10.0;
    root_bracket(sine, &a, &b, 30, GetParam().k);
    EXPECT_LT(a, b);
    EXPECT_LE(a, GetParam().root);
    EXPECT_GE(b, GetParam().root);
    EXPECT_NEAR(b - a, 9.5 / 30, 1e-12);
}

const double kPi = 3.14159265358979;
INSTANTIATE_TEST_SUITE_P(Changes, RootBracket,
                         ::testing::Values(BracketCase{1, 3 * kPi}, BracketCase{2, 2 * kPi},
                                           BracketCase{3, kPi}));

TEST(RootBracket, WithoutTheKthChangeLeavesBothEndsTogether) {
    double a = 0.5;
    double b = 10.0;
    root_bracket(sine, &a, &b, 30, 4);  // only three changes
    EXPECT_EQ(a, b);
    EXPECT_NEAR(a, 0.5, 1e-12);

    a = 0.0;
    b = 2.0;
    root_bracket([](double x) { return x * x + 1.0; }, &a, &b, 10, 1);
    EXPECT_EQ(a, b);
    EXPECT_NEAR(a, 0.0, 1e-12);
}

TEST(RootBracket, FeedsFalsePositionAsTheCallersDo) {
    double a = 0.5;
    double b = 10.0;
    root_bracket(sine, &a, &b, 30, 1);
    root_bracket(sine, &a, &b, 10, 1);
    EXPECT_NEAR(root_falsi(sine, b, a - b, 1e-10), 3 * kPi, 1e-9);
}

}  // namespace
