#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "blades/angle_chart.h"

namespace {

TEST(AngleChart, FractionsReadRowsByTheFirstAngle) {
    struct Case {
        double a, b, k1, k2;
    };
    const Case cases[] = {
        {45, 45, 0.5532, 0.5532},    {85, 85, 0.1155, 0.1155}, {10, 5, 1.0, 0.6002},
        {47.5, 45, 0.52755, 0.5829},  // halfway between rows 45 and 50, and between columns
        {45, 47.5, 0.5829, 0.52755},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << ", " << c.b);
        double k1 = 0, k2 = 0;
        h2::chart_fractions(c.a, c.b, &k1, &k2);
        EXPECT_NEAR(k1, c.k1, 1e-9 * c.k1);
        EXPECT_NEAR(k2, c.k2, 1e-9 * c.k2);
    }
}

TEST(AngleChart, SymmetricEndsApproximateTheQuarterCircle) {
    // Tangents at +45 and -45 degrees through (0, 0) and (1, 0) meet at
    // (0.5, 0.5); the arc they touch has radius 1/sqrt(2) about (0.5, -0.5).
    std::vector<double> xs(11), ys(11);
    double k1 = 0, k2 = 0;
    ASSERT_EQ(h2::endangle_curve(0, 10, 0, 0, 45, 1, 0, -45, xs.data(), ys.data(), &k1, &k2), 0);
    EXPECT_NEAR(k1, 0.5532, 1e-12);
    EXPECT_NEAR(k2, 0.5532, 1e-12);
    EXPECT_EQ(xs[0], 0.0);
    EXPECT_EQ(ys[0], 0.0);
    EXPECT_NEAR(xs[10], 1.0, 1e-15);
    EXPECT_NEAR(ys[10], 0.0, 1e-15);
    // Middle point: (3 k/2) (Q_y) / 4 with Q_y = 0.5 and both inner points at height 0.5 k.
    EXPECT_NEAR(xs[5], 0.5, 1e-12);
    EXPECT_NEAR(ys[5], 0.20745, 1e-9 * 0.20745);
    const double R = 1.0 / std::sqrt(2.0);
    for (int i = 0; i <= 10; ++i) {
        const double r = std::hypot(xs[i] - 0.5, ys[i] + 0.5);
        EXPECT_NEAR(r, R, 6e-4 * R) << i;
    }
}

TEST(AngleChart, DegenerateTangentsGiveAFiniteCurveBetweenTheEnds) {
    std::vector<double> xs(7, -9.0), ys(7, -9.0);
    double k1 = 0, k2 = 0;
    // Parallel tangents along the chord: a straight line, evenly spaced.
    h2::endangle_curve(0, 6, 0, 0, 0, 1, 0, 0, xs.data(), ys.data(), &k1, &k2);
    EXPECT_NEAR(k1, 1.0 / 3.0, 1e-15);
    EXPECT_NEAR(k2, 1.0 / 3.0, 1e-15);
    for (int i = 0; i <= 6; ++i) {
        EXPECT_NEAR(xs[i], i / 6.0, 1e-15);
        EXPECT_NEAR(ys[i], 0.0, 1e-15);
    }
    // Tangents meeting at the far end point: no triangle, still finite.
    h2::endangle_curve(0, 6, 0, 0, 0, 1, 0, 90, xs.data(), ys.data(), nullptr, nullptr);
    for (int i = 0; i <= 6; ++i) {
        EXPECT_TRUE(std::isfinite(xs[i]) && std::isfinite(ys[i])) << i;
    }
    EXPECT_EQ(xs[0], 0.0);
    EXPECT_NEAR(xs[6], 1.0, 1e-15);
    EXPECT_NEAR(ys[6], 0.0, 1e-15);
}

TEST(AngleChart, CurveFillsOnlyFromTheFirstIndex) {
    std::vector<double> xs(11, -9.0), ys(11, -9.0);
    h2::endangle_curve(4, 10, 0, 0, 45, 1, 0, -45, xs.data(), ys.data(), nullptr, nullptr);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(xs[i], -9.0) << i;
    EXPECT_NEAR(xs[5], 0.5, 1e-12);
    EXPECT_NEAR(ys[10], 0.0, 1e-15);
}

}  // namespace
