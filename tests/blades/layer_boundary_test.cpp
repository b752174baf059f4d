#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "blades/layer_boundary.h"
#include "tests/blades/synthetic_layer.h"

namespace {

using h2::test::SyntheticLayer;
namespace layer = h2::layer;

constexpr double kNu = 1.5e-5;  // m^2/s, air
constexpr double kW = 20.0;     // m/s
constexpr double kT = 0.05;     // pitch
constexpr double kDte = 0.001;  // trailing-edge thickness
constexpr double kTeLoss = 0.1 * kDte / kT;

// Plate met head on: 40 points, nodes 0..8 flow one way, 9..19 the other,
// arc length 0.001 per contour point (node k at 0.002 k).
SyntheticLayer plate() { return SyntheticLayer(40, 8, 0.001); }

struct LossRun {
    double loss = 0.0, lossTE = -1.0;
    int kLast = -9, kFirst = -9, nSide1 = -9, nSide2 = -9;
    int tr[4] = {-9, -9, -9, -9};
};

LossRun run_loss(SyntheticLayer& L, int mode, double k = 1.0, double i0 = 1e12, int roughClass = 10,
                 double Tu = 0.01, double W = kW, double nu = kNu) {
    LossRun r;
    r.loss = h2::layer_profile_loss(mode, L.n, 0, L.get(), W, i0, 0.0, kT, 90.0, kDte, k, roughClass, Tu, nu,
                                    &r.kLast, &r.kFirst, &r.nSide1, &r.nSide2, &r.tr[0], &r.tr[1], &r.tr[2],
                                    &r.tr[3], &r.lossTE);
    return r;
}

TEST(LayerBoundary, SplitsAtTheSignChangeOfTheSurfaceVelocity) {
    auto L = plate();
    int kLast = 0, kFirst = 0, n1 = 0, n2 = 0;
    // The velocity runs from -1 to +1 between s 0.016 and 0.018: zero halfway.
    EXPECT_NEAR(h2::stagnation_split(L.n, 0, L.get(), &kLast, &kFirst, &n1, &n2), 0.017, 1e-15);
    EXPECT_EQ(kLast, 8);
    EXPECT_EQ(kFirst, 9);
    EXPECT_EQ(n1, 9);
    EXPECT_EQ(n2, 10);

    // Closing points shorten the search: n/2 - nTail/2 - 1 nodes.
    h2::stagnation_split(L.n, 6, L.get(), &kLast, &kFirst, &n1, &n2);
    EXPECT_EQ(n2, 7);

    // Mode 0 only splits: the outputs are written, the layer is not.
    L.arr(layer::kMomentumSide1)[3] = 7.0;
    const auto r = run_loss(L, 0);
    EXPECT_EQ(r.loss, 0.0);
    EXPECT_EQ(r.nSide1, 9);
    EXPECT_EQ(r.nSide2, 10);
    EXPECT_EQ(r.lossTE, -1.0);
    EXPECT_EQ(L.arr(layer::kMomentumSide1)[3], 7.0);
    EXPECT_EQ(L.arr(layer::kSide1X)[3], 0.0);
}

TEST(LayerBoundary, SideTwoIsEndedOnlyByALastingReturnOfTheVelocity) {
    struct Case {
        int negativeNode, nSide2;
    } cases[] = {{12, 10}, {14, 10}, {15, 6}, {17, 8}};
    for (const auto& c : cases) {
        auto L = plate();
        L.arr(layer::kVelocity)[c.negativeNode] = -1.0;
        int kLast = 0, kFirst = 0, n1 = 0, n2 = 0;
        h2::stagnation_split(L.n, 0, L.get(), &kLast, &kFirst, &n1, &n2);
        EXPECT_EQ(kFirst, 9);
        EXPECT_EQ(n2, c.nSide2) << "negative node " << c.negativeNode;
    }
}

TEST(LayerBoundary, WithoutASignChangeOrNodesTheSidesAreEmpty) {
    // All positive: no side, no thickness, only the trailing-edge share.
    SyntheticLayer flat(40, -1, 0.001);
    auto r = run_loss(flat, 2);
    EXPECT_EQ(r.kLast, 18);
    EXPECT_EQ(r.kFirst, 19);
    EXPECT_EQ(r.nSide1, 0);
    EXPECT_EQ(r.nSide2, 0);
    EXPECT_DOUBLE_EQ(r.loss, kTeLoss);

    // Too few points to hold two nodes: both sides empty, nothing read past the block.
    for (int n : {0, 2, 4, 5}) {
        SyntheticLayer tiny(n, 0, 0.001);
        r = run_loss(tiny, 2);
        EXPECT_EQ(r.nSide1, 0) << n;
        EXPECT_EQ(r.nSide2, 0) << n;
        EXPECT_DOUBLE_EQ(r.loss, kTeLoss) << n;
    }
}

// Laminar flat plate: the march is Thwaites' integral, theta^2 = 0.44 nu / w^6
// int w^5 dx, which at constant w is 0.44 nu (x - x0) / w; side 1 starts at
// its first node (x0 0.001), side 2 ramps from the stagnation point at zero
// velocity to w at 0.001 (x0 0.0005).
TEST(LayerBoundary, LaminarPlateFollowsThwaites) {
    auto L = plate();
    const auto r = run_loss(L, 2);
    EXPECT_EQ(r.tr[0], -1);
    EXPECT_EQ(r.tr[2], -1);
    const double* x1 = L.arr(layer::kSide1X);
    const double* x2 = L.arr(layer::kSide2X);
    for (int i = 1; i < 9; ++i) {
        EXPECT_NEAR(x1[i], 0.001 + 0.002 * i, 1e-15);
        EXPECT_DOUBLE_EQ(L.arr(layer::kSide1W)[i], kW);
        const double expect = std::sqrt(0.44 * kNu * (x1[i] - 0.001) / kW);
        EXPECT_NEAR(L.arr(layer::kMomentumSide1)[i], expect, 1e-9 * expect) << i;
    }
    EXPECT_EQ(x2[0], 0.0);
    EXPECT_EQ(L.arr(layer::kSide2W)[0], 0.0);
    for (int i = 1; i < 10; ++i) {
        const double expect = std::sqrt(0.44 * kNu * (x2[i] - 0.0005) / kW);
        EXPECT_NEAR(L.arr(layer::kMomentumSide2)[i], expect, 1e-9 * expect) << i;
    }
    // On the plate the march gives theta = 0.6633 x / sqrt(Re_x); Blasius 0.664.
    const double x = x1[8] - 0.001;
    EXPECT_NEAR(L.arr(layer::kMomentumSide1)[8] * std::sqrt(kW * x / kNu) / x, 0.664, 0.001);

    const double th1 = std::sqrt(0.44 * kNu * 0.016 / kW), th2 = std::sqrt(0.44 * kNu * 0.0165 / kW);
    EXPECT_NEAR(r.loss, 2.0 * (th1 + th2) / kT + kTeLoss, 1e-9 * r.loss);
    EXPECT_NEAR(r.loss, 7.858154e-3, 1e-9);
    EXPECT_DOUBLE_EQ(r.lossTE, kTeLoss);
    // A flat plate carries no pressure gradient: zero form parameter.
    EXPECT_NEAR(L.arr(layer::kBuri)[4], 0.0, 1e-12);
}

TEST(LayerBoundary, LossTakesSideOnesThickestPointAndSideTwosEnd) {
    // A fast last node on each side thins the layer there (theta^2 ~ int w^5 / w^6).
    auto L = plate();
    L.arr(layer::kVelocity)[0] = -4.0;
    L.arr(layer::kVelocity)[17] = 4.0;  // side-2 point 9
    const auto r = run_loss(L, 2);
    const double* th1 = L.arr(layer::kMomentumSide1);
    const double* th2 = L.arr(layer::kMomentumSide2);
    ASSERT_LT(th1[8], th1[7]);
    ASSERT_LT(th2[9], th2[8]);
    EXPECT_NEAR(r.loss, 2.0 * (th1[7] + th2[9]) / kT + kTeLoss, 1e-12);
}

TEST(LayerBoundary, TurbulentPlateFollowsThePowerLaw) {
    auto L = plate();
    const auto r = run_loss(L, 3);
    for (int t : r.tr) EXPECT_EQ(t, -1);
    auto turbulent = [](double dx) { return kNu / kW * std::pow(1.17 * kW * dx / (153.2 * kNu), 0.857); };
    for (int i = 1; i < 9; ++i) {
        const double expect = turbulent(L.arr(layer::kSide1X)[i] - 0.001);
        EXPECT_NEAR(L.arr(layer::kMomentumSide1)[i], expect, 1e-9 * expect) << i;
    }
    for (int i = 1; i < 10; ++i) {
        const double expect = turbulent(L.arr(layer::kSide2X)[i] - 0.0005);
        EXPECT_NEAR(L.arr(layer::kMomentumSide2)[i], expect, 1e-9 * expect) << i;
    }
    EXPECT_NEAR(r.loss, 2.0 * (turbulent(0.016) + turbulent(0.0165)) / kT + kTeLoss, 1e-9 * r.loss);
    EXPECT_NEAR(r.loss, 6.781755e-3, 1e-9);
}

TEST(LayerBoundary, CompressibilityThinsTheLaminarLayer) {
    // Isentropic density and viscosity weights of Thwaites' integral at
    // constant Mach number: theta scales with (1 - w^2 / (2 i0))^1.75.
    auto cold = plate();
    auto hot = plate();
    run_loss(cold, 2);
    run_loss(hot, 2, 1.4, 3e5);
    const double factor = std::pow(1.0 - kW * kW / (2.0 * 3e5), 1.75);
    for (int i = 1; i < 9; ++i) {
        const double expect = cold.arr(layer::kMomentumSide1)[i] * factor;
        EXPECT_NEAR(hot.arr(layer::kMomentumSide1)[i], expect, 1e-9 * expect);
    }
}

// A long plate (arc length 0.02 per point, 0.34 m per side) at 20 m/s
// reaches transition; the roughness class moves it.
TEST(LayerBoundary, RoughnessClassesAreClampedToTheTable) {
    auto run = [](int cls) {
        SyntheticLayer L(40, 8, 0.02);
        return run_loss(L, 1, 1.0, 1e12, cls, 0.03);
    };
    const auto c6 = run(6), c10 = run(10);
    ASSERT_GT(c10.tr[2], 0);
    EXPECT_NE(c6.loss, c10.loss);
    struct Case {
        int cls, same;
    } cases[] = {{4, 6}, {-3, 6}, {12, 10}, {100, 10}};
    for (const auto& c : cases) {
        const auto got = run(c.cls);
        const auto& want = c.same == 6 ? c6 : c10;
        EXPECT_EQ(got.loss, want.loss) << c.cls;
        for (int j = 0; j < 4; ++j) EXPECT_EQ(got.tr[j], want.tr[j]) << c.cls;
    }
}

// One side of a flat plate, x 0 .. 0.3 in steps of 0.002 at w 20 m/s, Tu 3 %,
// roughness 0.8 um. Transition starts where Re_theta = w theta / nu reaches
// exp(S) + 163 (Abu-Ghannam and Shaw, S = 6.91 - Tu% - 0.72 ks / theta) on the
// laminar thickness, and ends after the length of Chen and Thyson,
// xe = (Re_xs + 16.8 Re_xs^0.8) nu / w; in between Re_theta runs linearly
// from the start value to 540 + M at xe.
TEST(LayerBoundary, TransitionOnAFlatPlate) {
    constexpr int nPts = 151;
    constexpr double ks = 8e-7, TuPct = 3.0 + 1e-6;
    std::vector<double> x(nPts), w(nPts, kW), theta(nPts, 0.0), form(nPts, 0.0);
    for (int i = 0; i < nPts; ++i) x[i] = 0.002 * i;
    int trStart = 0, trEnd = 0;
    const double last = h2::side_boundary_layer(1, nPts, 1e12, 1.0, ks, TuPct, kNu, x.data(), w.data(),
                                                theta.data(), form.data(), &trStart, &trEnd);
    for (int i = 1; i < nPts; ++i) ASSERT_TRUE(std::isfinite(theta[i]) && std::isfinite(form[i])) << i;
    EXPECT_EQ(last, theta[nPts - 1]);

    const double xs = 0.0771336, xe = 0.2059931;
    EXPECT_EQ(trStart, 39);  // x 0.078, the first point past xs
    EXPECT_EQ(trEnd, 103);   // x 0.206, the first point past xe
    for (int i = 1; i < trStart; ++i) {
        const double expect = std::sqrt(0.44 * kNu * x[i] / kW);
        EXPECT_NEAR(theta[i], expect, 1e-9 * expect);
    }
    // The start criterion on the laminar thickness at the start point.
    const double thS = std::sqrt(0.44 * kNu * x[trStart] / kW);
    const double S = 6.91 - TuPct - 0.72 * ks / thS;
    EXPECT_NEAR(S, 3.906, 5e-4);
    const double Re2c = std::exp(S) + 163.0;
    // The interpolated Re_theta is a straight line in x: it meets Re2c at xs
    // and 540 + M at xe.
    auto re2 = [&](int j) { return w[j] * theta[j] / kNu; };
    const double slope = (re2(trEnd) - re2(trStart + 1)) / (x[trEnd] - x[trStart + 1]);
    for (int j = trStart + 1; j <= trEnd; ++j)
        EXPECT_NEAR(re2(j), re2(trStart + 1) + slope * (x[j] - x[trStart + 1]), 1e-9 * re2(j));
    EXPECT_NEAR(x[trStart + 1] - (re2(trStart + 1) - Re2c) / slope, xs, 1e-6);
    const double D = 16.8 * std::pow(xs * kW / kNu, 0.8);
    EXPECT_NEAR((xs * kW / kNu + D) * kNu / kW, xe, 1e-7);
    const double Re2e = 540.0 + 183.5 * (D * 1e-5 - 1.5);
    EXPECT_NEAR(re2(trStart + 1) + slope * (xe - x[trStart + 1]), Re2e, 1e-3);
    // Then turbulent, carried on from the end thickness: still growing.
    EXPECT_GT(theta[trEnd + 1], theta[trEnd]);
    EXPECT_GT(theta[nPts - 1], theta[trEnd + 1]);
}

TEST(LayerBoundary, ShortSidesUseTheChordSlope) {
    // Two points: the slope of the chord at the last point, a finite form
    // parameter; one point or none: no march and a zero thickness.
    const double x[] = {0.0, 0.01}, w[] = {10.0, 12.0};
    double theta[2] = {-1.0, -1.0}, form[2] = {-1.0, -1.0};
    int s = 0, e = 0;
    const double th = h2::side_boundary_layer(2, 2, 1e12, 1.0, 1e-5, 1.0, kNu, x, w, theta, form, &s, &e);
    EXPECT_EQ(theta[0], -1.0);
    EXPECT_EQ(th, theta[1]);
    const double Re2 = w[1] * theta[1] / kNu;
    EXPECT_NEAR(form[1], -(200.0 * theta[1] / (12.0 + 1e-6)) * std::pow(Re2, 1.0 / 6.0), 1e-12);
    for (int nPts : {0, 1}) {
        EXPECT_EQ(h2::side_boundary_layer(1, nPts, 1e12, 1.0, 1e-5, 1.0, kNu, x, w, theta, form, &s, &e),
                  0.0);
        EXPECT_EQ(s, -1);
        EXPECT_EQ(e, -1);
    }
}

}  // namespace
