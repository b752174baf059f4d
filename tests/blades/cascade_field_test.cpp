#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "blades/layer_layout.h"
#include "tests/blades/layer_contours.h"

namespace {

using h2::test::kDeg;
using h2::test::kPiExact;
using h2::test::LayerRun;

double cot(double degrees) { return 1.0 / std::tan(degrees * kDeg); }

// A circle in a cascade of pitch 33 radii: to (pi R / t)^2 / 3 = 0.3 % of
// the disturbance it acts as a row of doublets of strength U R^2, whose
// complex velocity in a unit stream along +Y is
//   vx - i vy = -i (1 + R^2 (pi / t)^2 / sin^2(pi z / t)),  z = x + i y.
TEST(CascadeField, CircleRowIsADoubletRow) {
    LayerRun run;
    h2::test::circle_run(run);
    run.t = 10.0 / 3.0;
    ASSERT_NE(run.make(), nullptr);
    const double R = 0.1, a = kPiExact / run.t;
    double worst = 0.0;
    for (double y : {-1.0, -0.6, 0.5, 0.8}) {
        for (double x : {0.0, 0.4, 1.0, 1.7}) {
            const std::complex<double> s = std::sin(a * std::complex<double>(x, y));
            const std::complex<double> w = std::complex<double>(0.0, -1.0) * (1.0 + R * R * a * a / (s * s));
            double u = 0, v = 0;
            ASSERT_EQ(CasField(run.n, run.t, 90.0, 90.0, run.layer, x, y, &u, &v), 0);
            EXPECT_NEAR(v, w.real(), 2e-4) << x << " " << y;
            EXPECT_NEAR(u, -w.imag(), 2e-4) << x << " " << y;
            worst = std::max(worst, std::abs(u - 1.0) + std::abs(v));
        }
    }
    EXPECT_GT(worst, 0.02);  // the disturbance itself is well above the tolerance
}

// Far up- and downstream of the turning ellipse the flow is uniform at the
// inlet and at the outlet angle (the circulation t (c2 - c1) per blade).
TEST(CascadeField, FarFieldTakesTheInletAndOutletAngles) {
    LayerRun run;
    h2::test::ellipse_run(run);
    ASSERT_NE(run.make(), nullptr);
    for (double x : {0.0, 1.3, -2.1}) {
        double u = 0, v = 0;
        ASSERT_EQ(CasField(run.n, run.t, run.beta1, run.outlet, run.layer, x, -20.0, &u, &v), 0);
        EXPECT_NEAR(u, 1.0, 1e-4);
        EXPECT_NEAR(v, cot(80.0), 1e-4);
        ASSERT_EQ(CasField(run.n, run.t, run.beta1, run.outlet, run.layer, x, 20.0, &u, &v), 0);
        EXPECT_NEAR(u, 1.0, 1e-4);
        EXPECT_NEAR(v, 1.0 / std::tan((180.0 - run.outlet) * kDeg), 1e-4);
    }
    // Periodic along the cascade.
    for (const auto& p : {std::array<double, 2>{0.03, 0.05}, std::array<double, 2>{-0.4, 0.15},
                          std::array<double, 2>{1.1, -0.3}}) {
        double u0, v0, u1, v1;
        CasField(run.n, run.t, run.beta1, run.outlet, run.layer, p[0], p[1], &u0, &v0);
        CasField(run.n, run.t, run.beta1, run.outlet, run.layer, p[0] + run.t, p[1], &u1, &v1);
        EXPECT_NEAR(u1, u0, 1e-12);
        EXPECT_NEAR(v1, v0, 1e-12);
    }
}

// The stream function and the potential belong to one plane potential flow:
// psi_x = -phi_y and psi_y = phi_x (Cauchy-Riemann), and along the cascade
// only their uniform parts change over one pitch.
TEST(CascadeField, StreamFunctionAndPotentialAreConjugate) {
    LayerRun run;
    h2::test::ellipse_run(run);
    ASSERT_NE(run.make(), nullptr);
    const double W = 80.0, h = 1e-6;
    const auto psi = [&](double x, double y) {
        double r = 0;
        EXPECT_EQ(CasPsi(run.n, run.t, run.beta1, run.outlet, W, run.layer, x, y, &r), 0);
        return r;
    };
    const auto phi = [&](double x, double y) {
        double r = 0;
        EXPECT_EQ(CasFi(run.n, run.t, run.beta1, run.outlet, W, run.layer, x, y, &r), 0);
        return r;
    };
    const double Wc = W * std::cos(run.outlet * kDeg);
    for (const auto& p : {std::array<double, 2>{0.7, -0.5}, std::array<double, 2>{0.3, 0.05},
                          std::array<double, 2>{-1.2, 0.4}}) {
        const double x = p[0], y = p[1];
        const double psi_x = (psi(x + h, y) - psi(x - h, y)) / (2 * h);
        const double psi_y = (psi(x, y + h) - psi(x, y - h)) / (2 * h);
        const double phi_x = (phi(x + h, y) - phi(x - h, y)) / (2 * h);
        const double phi_y = (phi(x, y + h) - phi(x, y - h)) / (2 * h);
        EXPECT_NEAR(psi_x, -phi_y, 1e-6 * std::abs(Wc)) << x << " " << y;
        EXPECT_NEAR(psi_y, phi_x, 1e-6 * std::abs(Wc)) << x << " " << y;
        EXPECT_GT(std::abs(psi_x + Wc), 1e-3 * std::abs(Wc));  // the vortices are felt here
        const double cm = (cot(run.beta1) + cot(180.0 - run.outlet)) / 2.0;
        EXPECT_NEAR(psi(x + run.t, y) - psi(x, y), -Wc * run.t, 1e-9 * std::abs(Wc));
        EXPECT_NEAR(phi(x + run.t, y) - phi(x, y), -Wc * cm * run.t, 1e-9 * std::abs(Wc));
    }
}

// Without nodes only the uniform flow remains: u = 1, v the mean cotangent
// (exactly 0 at 90/90); the stream function and potential are linear.
TEST(CascadeField, NoNodesLeavesTheUniformFlow) {
    std::vector<double> block(h2::layer::block_size(0), 0.0);
    const Layer* layer = reinterpret_cast<const Layer*>(block.data());
    double u = 0, v = 1;
    ASSERT_EQ(CasField(0, 1.0, 90.0, 90.0, layer, 0.3, 0.2, &u, &v), 0);
    EXPECT_EQ(u, 1.0);
    EXPECT_EQ(v, 0.0);
    ASSERT_EQ(CasField(1, 1.0, 80.0, 110.0, layer, 0.3, 0.2, &u, &v), 0);
    const double cm = (cot(80.0) + cot(70.0)) / 2.0;
    EXPECT_EQ(u, 1.0);
    EXPECT_NEAR(v, cm, 1e-15);
    double psi = 0, phi = 0;
    ASSERT_EQ(CasPsi(0, 1.0, 80.0, 110.0, 50.0, layer, 0.3, 0.2, &psi), 0);
    EXPECT_NEAR(psi, -(50.0 * std::cos(110.0 * kDeg)) * (0.3 + cm * 0.2), 1e-12);
    ASSERT_EQ(CasFi(0, 1.0, 80.0, 110.0, 50.0, layer, 0.3, 0.2, &phi), 0);
    EXPECT_NEAR(phi, (50.0 * std::cos(110.0 * kDeg)) * (0.2 - cm * 0.3), 1e-12);
}

// On a vortex node the velocity stays finite and the stream function leaves
// that node out.
TEST(CascadeField, FieldPointOnANode) {
    LayerRun run;
    h2::test::ellipse_run(run);
    ASSERT_NE(run.make(), nullptr);
    const double x = run.array(h2::layer::kX)[41], y = run.array(h2::layer::kY)[41];  // node 20
    double u = NAN, v = NAN, psi = NAN, phi = NAN;
    ASSERT_EQ(CasField(run.n, run.t, run.beta1, run.outlet, run.layer, x, y, &u, &v), 0);
    EXPECT_TRUE(std::isfinite(u) && std::isfinite(v));
    ASSERT_EQ(CasPsi(run.n, run.t, run.beta1, run.outlet, 100.0, run.layer, x, y, &psi), 0);
    EXPECT_TRUE(std::isfinite(psi));
    ASSERT_EQ(CasFi(run.n, run.t, run.beta1, run.outlet, 100.0, run.layer, x, y, &phi), 0);
    EXPECT_TRUE(std::isfinite(phi));
}

// Refused with nothing written: no layer or result, n < 0, t = 0, and a block
// this library made for another n. A block it did not make is used as given.
TEST(CascadeField, RefusesBadInput) {
    LayerRun run;
    h2::test::circle_run(run);
    ASSERT_NE(run.make(), nullptr);
    double u = 7, v = 7, r = 7;
    EXPECT_EQ(CasField(run.n, run.t, 90, 90, nullptr, 0, 1, &u, &v), -1);
    EXPECT_EQ(CasField(run.n, run.t, 90, 90, run.layer, 0, 1, nullptr, &v), -1);
    EXPECT_EQ(CasField(run.n, run.t, 90, 90, run.layer, 0, 1, &u, nullptr), -1);
    EXPECT_EQ(CasField(-1, run.t, 90, 90, run.layer, 0, 1, &u, &v), -1);
    EXPECT_EQ(CasField(run.n, 0.0, 90, 90, run.layer, 0, 1, &u, &v), -1);
    EXPECT_EQ(CasField(run.n / 2, run.t, 90, 90, run.layer, 0, 1, &u, &v), -1);
    EXPECT_EQ(CasPsi(run.n, run.t, 90, 90, 1, nullptr, 0, 1, &r), -1);
    EXPECT_EQ(CasPsi(run.n, run.t, 90, 90, 1, run.layer, 0, 1, nullptr), -1);
    EXPECT_EQ(CasPsi(run.n - 2, run.t, 90, 90, 1, run.layer, 0, 1, &r), -1);
    EXPECT_EQ(CasFi(run.n, 0.0, 90, 90, 1, run.layer, 0, 1, &r), -1);
    EXPECT_EQ(CasFi(run.n + 2, run.t, 90, 90, 1, run.layer, 0, 1, &r), -1);
    EXPECT_EQ(CasFi(run.n, run.t, 90, 90, 1, run.layer, 0, 1, nullptr), -1);
    EXPECT_EQ(u, 7);
    EXPECT_EQ(v, 7);
    EXPECT_EQ(r, 7);
    // The host's own copy of the block, with a smaller n, is read as given.
    std::vector<double> copy(h2::layer::block_size(run.n));
    std::copy(run.array(0), run.array(0) + copy.size(), copy.begin());
    EXPECT_EQ(CasField(4, run.t, 90, 90, reinterpret_cast<const Layer*>(copy.data()), 0, 1, &u, &v), 0);
}

}  // namespace
