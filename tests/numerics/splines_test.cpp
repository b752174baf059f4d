#include "numerics/splines.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <string>
#include <vector>

namespace {

using h2::kSplineEndCurvature;
using h2::kSplineEndSlope;
using h2::spline_curv;
using h2::spline_fit;
using h2::spline_slope;
using h2::spline_value;

// Knots (0, 1, 2) with y = x^2.
const double kX[] = {0.0, 1.0, 2.0};
const double kY[] = {0.0, 1.0, 4.0};

TEST(SplineFit, NaturalEndsGiveTheKnownMomentsAndSlopes) {
    double s[3], M[3];
    ASSERT_EQ(spline_fit(2, kSplineEndCurvature, kSplineEndCurvature, 0.0, 0.0, kX, kY, s, M),
              h2::kSplineFitted);
    EXPECT_NEAR(M[0], 0.0, 1e-15);
    EXPECT_NEAR(M[1], 3.0, 1e-15);
    EXPECT_NEAR(M[2], 0.0, 1e-15);
    EXPECT_NEAR(s[0], 0.5, 1e-15);
    EXPECT_NEAR(s[1], 2.0, 1e-15);
    EXPECT_NEAR(s[2], 3.5, 1e-15);
    EXPECT_DOUBLE_EQ(spline_value(2, kX, kY, M, 0.5), 0.3125);
    // Beyond the last knot the last interval's cubic goes on:
    // a = -1, b = 2: (-3)/6 + (1 - 3/6)(-1) + 4 * 2 = 7.
    EXPECT_DOUBLE_EQ(spline_value(2, kX, kY, M, 3.0), 7.0);
}

class ClampedParabola : public ::testing::TestWithParam<double> {};

TEST_P(ClampedParabola, EndSlopesOfXSquaredReproduceIt) {
    double s[3], M[3];
    ASSERT_EQ(spline_fit(2, kSplineEndSlope, kSplineEndSlope, 0.0, 4.0, kX, kY, s, M), h2::kSplineFitted);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(M[i], 2.0, 1e-14);
        EXPECT_NEAR(s[i], 2.0 * kX[i], 1e-14);
    }
    const double t = GetParam();
    EXPECT_NEAR(spline_value(2, kX, kY, M, t), t * t, 1e-14);
    EXPECT_NEAR(spline_slope(2, kX, kY, M, t), 2.0 * t, 1e-14);
    EXPECT_NEAR(spline_curv(2, kX, kY, M, t), 2.0, 1e-14);
}

INSTANTIATE_TEST_SUITE_P(Abscissae, ClampedParabola, ::testing::Values(-0.5, 0.0, 0.25, 1.0, 1.7, 2.0, 2.5));

struct ShortCase {
    const char* name;
    double x[3];
    int expected;
};

class ShortInterval : public ::testing::TestWithParam<ShortCase> {};

TEST_P(ShortInterval, IsReportedAndLeavesTheResultsUnwritten) {
    double s[3] = {-7.0, -7.0, -7.0};
    double M[3] = {-7.0, -7.0, -7.0};
    EXPECT_EQ(spline_fit(2, kSplineEndSlope, kSplineEndSlope, 0.0, 0.0, GetParam().x, kY, s, M),
              GetParam().expected);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(s[i], -7.0);
        EXPECT_EQ(M[i], -7.0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Knots, ShortInterval,
    ::testing::Values(ShortCase{"first", {0.0, 0.0, 1.0}, h2::kSplineShortFirstInterval},
                      ShortCase{"later", {0.0, 1.0, 1.0}, h2::kSplineShortInterval},
                      ShortCase{"below_1e-10", {0.0, 1.0, 1.0 + 1e-11}, h2::kSplineShortInterval}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(SplineFit, ManyKnotsFollowASmoothCurve) {
    // More knots than the stack work space holds: the heap path.
    constexpr int n = 400;
    std::vector<double> x(n + 1), y(n + 1), s(n + 1), M(n + 1);
    for (int i = 0; i <= n; ++i) {
        x[i] = 2.0 * M_PI * i / n;
        y[i] = std::sin(x[i]);
    }
    ASSERT_EQ(
        spline_fit(n, kSplineEndSlope, kSplineEndSlope, 1.0, 1.0, x.data(), y.data(), s.data(), M.data()), 0);
    for (double t : {0.01, 1.0, 2.5, 4.0, 6.2}) {
        EXPECT_NEAR(spline_value(n, x.data(), y.data(), M.data(), t), std::sin(t), 1e-8);
        EXPECT_NEAR(spline_slope(n, x.data(), y.data(), M.data(), t), std::cos(t), 1e-6);
        EXPECT_NEAR(spline_curv(n, x.data(), y.data(), M.data(), t), -std::sin(t), 1e-3);
    }
    for (int i = 0; i <= n; i += 37) EXPECT_NEAR(s[i], std::cos(x[i]), 1e-6);
}

TEST(TridiagSolve, SolvesASmallSystem) {
    // [2 1 0; 1 3 1; 0 1 2] u = (3, 5, 3) has u = (1, 1, 1).
    const double A[] = {0.0, 1.0, 1.0};
    const double B[] = {2.0, 3.0, 2.0};
    const double C[] = {1.0, 1.0, 0.0};
    const double R[] = {3.0, 5.0, 3.0};
    double u[3];
    EXPECT_EQ(h2::tridiag_solve(2, A, B, C, R, u), 0);
    for (double v : u) EXPECT_NEAR(v, 1.0, 1e-15);
}

}  // namespace
