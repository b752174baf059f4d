#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "halvorine2/profile_tools.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<Point3> ring(double r, int n, double sense) {
    std::vector<Point3> p;
    for (int i = 0; i < n; ++i) {
        const double t = sense * 2.0 * kPi * i / n;
        p.push_back({r * std::cos(t), r * std::sin(t), 0.0});
    }
    return p;
}

// A layer block of 25 arrays of n + 1 doubles.
struct LayerBlock {
    explicit LayerBlock(int n) : n(n), data(25 * static_cast<size_t>(n + 1), 0.0) {}
    double& at(int array, int i) { return data[static_cast<size_t>(array) * (n + 1) + i]; }
    Layer* get() { return reinterpret_cast<Layer*>(data.data()); }
    int n;
    std::vector<double> data;
};

TEST(ProfileTools, LongestChordTakesTheFirstPair) {
    const std::vector<Point3> rect = {{0, 0, 0}, {0, 0.1, 0}, {1, 0.1, 0}, {1, 0, 0}};
    int i1 = -5, i2 = -5;
    EXPECT_NEAR(Chord2(4, rect.data(), &i1, &i2), std::sqrt(1.01), 1e-15);
    EXPECT_EQ(i1, 0);
    EXPECT_EQ(i2, 2);
    i1 = i2 = -5;
    EXPECT_EQ(Chord2(1, rect.data(), &i1, &i2), 0.0);
    EXPECT_EQ(i1, 0);
    EXPECT_EQ(i2, 0);
}

TEST(ProfileTools, DeviationBetweenContours) {
    const int N = 36;
    const auto inner = ring(1.0, N, -1.0);
    const auto outer = ring(1.1, N, -1.0);
    double dMax = -1, dRms = -1;
    EXPECT_EQ(distprof(N, N, inner.data(), inner.data(), &dMax, &dRms), 0);
    EXPECT_EQ(dMax, 0.0);
    EXPECT_EQ(dRms, 0.0);
    // Every point of the outer ring lies 0.1 from its inner partner.
    const int i = distprof(N, N, inner.data(), outer.data(), &dMax, &dRms);
    EXPECT_TRUE(i >= 0 && i < N);
    EXPECT_NEAR(dMax, 0.1, 1e-12);
    EXPECT_NEAR(dRms, 0.1 / std::sqrt(N), 1e-12);
    // The farthest B point decides the index: B = {near A[3], far from A[5]}.
    const std::vector<Point3> B = {outer[3], {1.5 * inner[5].x, 1.5 * inner[5].y, 0}};
    EXPECT_EQ(distprof(N, 2, inner.data(), B.data(), &dMax, &dRms), 5);
    EXPECT_NEAR(dMax, 0.5, 1e-12);
    // Bad input leaves the outputs alone.
    dMax = dRms = 7.0;
    EXPECT_EQ(distprof(0, N, inner.data(), outer.data(), &dMax, &dRms), -1);
    EXPECT_EQ(distprof(N, 0, inner.data(), outer.data(), &dMax, &dRms), -1);
    EXPECT_EQ(distprof(N, N, nullptr, outer.data(), &dMax, &dRms), -1);
    EXPECT_EQ(dMax, 7.0);
    EXPECT_EQ(dRms, 7.0);
}

TEST(ProfileTools, PointCopiesAndLayerArrays) {
    const auto src = ring(2.0, 5, 1.0);
    std::vector<Point3> dst(5);
    EXPECT_EQ(Apoint2Tpoint(5, src.data(), dst.data()), 0);
    EXPECT_EQ(dst[4].y, src[4].y);
    EXPECT_EQ(Apoint2Tpoint(0, src.data(), dst.data()), -1);
    EXPECT_EQ(Apoint2Tpoint(5, nullptr, dst.data()), -1);
    Point3* copy = Tpoint2Apoint(5, src.data());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy[3].x, src[3].x);
    std::free(copy);
    EXPECT_EQ(Tpoint2Apoint(0, src.data()), nullptr);
    EXPECT_EQ(Tpoint2Apoint(5, nullptr), nullptr);

    LayerBlock layer(9);
    EXPECT_EQ(Get_dxx(9, layer.get()), &layer.at(11, 0));
    EXPECT_EQ(Get_Buri(9, layer.get()), &layer.at(20, 0));
    EXPECT_EQ(Get_dxx(0, layer.get()), nullptr);
    EXPECT_EQ(Get_Buri(9, nullptr), nullptr);
}

TEST(ProfileTools, ThickenedCircleLiesOffsetAlongTheSegmentNormals) {
    const int n = 40;
    const double R = 0.1, theta = 0.001, d = 1.4 * theta;
    const auto circle = ring(R, n, -1.0);  // clockwise
    LayerBlock layer(n), th(n);
    for (int i = 0; i < n; ++i) {
        layer.at(0, i) = circle[i].x;
        layer.at(1, i) = circle[i].y;
    }
    for (int i = 0; i <= n; ++i) th.at(11, i) = th.at(12, i) = theta;
    Point3* out = bulgleProf(n, 10, 10, layer.get(), th.get());
    ASSERT_NE(out, nullptr);
    // Offset d outwards on the normal of segment i through point i.
    const double expected = std::sqrt(R * R + d * d + 2 * R * d * std::cos(kPi / n));
    for (int i = 0; i <= n; ++i) {
        const double r = std::hypot(out[i].x, out[i].y);
        EXPECT_NEAR(r, i == 20 ? R : expected, 1e-12) << i;  // the stagnation point stays
    }
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(out[n + 1 + i].x, circle[i].x);
        EXPECT_EQ(out[n + 1 + i].y, circle[i].y);
    }
    EXPECT_EQ(out[2 * n + 1].x, circle[0].x);
    std::free(out);

    // Side 1 is read from its end onto the odd points before the stagnation
    // point, side 2 from its start after it; even points repeat their
    // predecessor.
    for (int i = 0; i <= n; ++i) {
        th.at(11, i) = 0.001 * (i + 1);
        th.at(12, i) = 0.0005 * (i + 1);
    }
    out = bulgleProf(n, 10, 10, layer.get(), th.get());
    ASSERT_NE(out, nullptr);
    const auto radius = [&](double di) {
        return std::sqrt(R * R + di * di + 2 * R * di * std::cos(kPi / n));
    };
    for (int i = 1; i <= 10; ++i) {
        const double d1 = 1.4 * th.at(11, 10 - i);
        EXPECT_NEAR(std::hypot(out[2 * i - 1].x, out[2 * i - 1].y), radius(d1), 1e-12) << i;
        if (i < 10) {
            EXPECT_NEAR(std::hypot(out[2 * i].x, out[2 * i].y), radius(d1), 1e-12) << i;
        }
    }
    for (int i = 1; i <= 9; ++i) {
        EXPECT_NEAR(std::hypot(out[20 + 2 * i - 1].x, out[20 + 2 * i - 1].y), radius(1.4 * th.at(12, i)),
                    1e-12)
            << i;
    }
    std::free(out);

    EXPECT_EQ(bulgleProf(n, 11, 11, layer.get(), th.get()), nullptr);  // closing stretch past the end
    EXPECT_EQ(bulgleProf(n, 0, 10, layer.get(), th.get()), nullptr);
    EXPECT_EQ(bulgleProf(n, 10, 10, nullptr, th.get()), nullptr);
    EXPECT_EQ(bulgleProf(n, 10, 10, layer.get(), nullptr), nullptr);
}

}  // namespace
