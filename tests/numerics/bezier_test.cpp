#include "numerics/bezier.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using h2::bezier_curvature;
using h2::bezier_eval;

struct OrderCase {
    int order;
    double expected;
};

class BezierOrders : public ::testing::TestWithParam<OrderCase> {};

TEST_P(BezierOrders, HatOfThreeValuesAtHalf) {
    const double p[] = {0.0, 1.0, 0.0};
    EXPECT_DOUBLE_EQ(bezier_eval(3, GetParam().order, p, 0.5), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, BezierOrders,
                         ::testing::Values(OrderCase{0, 0.5},    // the curve
                                           OrderCase{1, 0.0},    // first differences (1, -1)
                                           OrderCase{2, -2.0}),  // second difference -2
                         [](const auto& info) { return "order" + std::to_string(info.param.order); });

TEST(BezierEval, SingleValueIsConstant) {
    const double p[] = {4.5};
    for (double t : {0.0, 0.3, 1.0, 7.0}) EXPECT_EQ(bezier_eval(1, 0, p, t), 4.5);
}

TEST(BezierEval, DerivativesOfTooShortACurveAreZeroAndUnknownOrdersNaN) {
    const double p[] = {1.0, 2.0};
    EXPECT_EQ(bezier_eval(2, 2, p, 0.5), 0.0);  // a line bends nowhere
    EXPECT_EQ(bezier_eval(1, 1, p, 0.5), 0.0);
    EXPECT_TRUE(std::isnan(bezier_eval(2, 3, p, 0.5)));
    EXPECT_TRUE(std::isnan(bezier_eval(2, -1, p, 0.5)));
}

TEST(BezierEval, MatchesTheBernsteinFormOfACubic) {
    const double p[] = {1.0, -2.0, 3.0, 0.5};
    for (double t : {0.0, 0.2, 0.5, 0.9, 1.0}) {
        const double u = 1.0 - t;
        const double bernstein =
            u * u * u * p[0] + 3 * u * u * t * p[1] + 3 * u * t * t * p[2] + t * t * t * p[3];
        EXPECT_NEAR(bezier_eval(4, 0, p, t), bernstein, 1e-14) << t;
    }
}

TEST(BezierEval, LongCurvesUseHeapWorkMemory) {
    // Constant control values: the curve is that constant whatever its length.
    std::vector<double> p(300, 2.5);
    EXPECT_NEAR(bezier_eval(300, 0, p.data(), 0.37), 2.5, 1e-12);
    EXPECT_NEAR(bezier_eval(300, 1, p.data(), 0.37), 0.0, 1e-12);
}

TEST(BezierCurvature, ParabolaCarriesTheMissingDegreeFactors) {
    // (0,0), (1,1), (2,0): x = 2t, y = 2t(1 - t); geometric curvature -1 at t = 0.5.
    const double px[] = {0.0, 1.0, 2.0};
    const double py[] = {0.0, 1.0, 0.0};
    const int n = 3;
    EXPECT_DOUBLE_EQ(bezier_curvature(n, px, py, 0.5), -1.0 * (n - 1) / (n - 2));
}

TEST(BezierCurvature, CubicMatchesTheGeometricCurvatureTimesTheFactor) {
    const double px[] = {1.0, 1.0, 0.5523, 0.0};
    const double py[] = {0.0, 0.5523, 1.0, 1.0};
    const int n = 4;
    for (double t : {0.1, 0.5, 0.8}) {
        // Derivatives of the cubic: B' = 3 sum dP b_i,2, B'' = 6 sum d2P b_i,1.
        const double u = 1.0 - t;
        const auto d1 = [&](const double* p) {
            return 3.0 * (u * u * (p[1] - p[0]) + 2 * u * t * (p[2] - p[1]) + t * t * (p[3] - p[2]));
        };
        const auto d2 = [&](const double* p) {
            return 6.0 * (u * (p[2] - 2 * p[1] + p[0]) + t * (p[3] - 2 * p[2] + p[1]));
        };
        const double kappa =
            (d1(px) * d2(py) - d2(px) * d1(py)) / std::pow(d1(px) * d1(px) + d1(py) * d1(py), 1.5);
        EXPECT_NEAR(bezier_curvature(n, px, py, t), kappa * (n - 1) / (n - 2), 1e-12) << t;
    }
    // The usual cubic stand-in for a quarter of the unit circle, drawn
    // counter-clockwise: curvature within a percent of 1.
    EXPECT_NEAR(bezier_curvature(n, px, py, 0.5) * (n - 2) / (n - 1), 1.0, 1e-2);
}

}  // namespace
