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

// CasPsi and CasFi of the ellipse layer, scaled by W cos beta2 as the
// exports are.
struct FieldFunctions {
    LayerRun run;
    double W = 80.0, scale = 0.0;
    FieldFunctions() {
        h2::test::ellipse_run(run);
        run.make();
        scale = W * std::cos(run.outlet * kDeg);
    }
    double psi(double x, double y) {
        double r = NAN;
        EXPECT_EQ(CasPsi(run.n, run.t, run.beta1, run.outlet, W, run.layer, x, y, &r), 0);
        return r;
    }
    double phi(double x, double y) {
        double r = NAN;
        EXPECT_EQ(CasFi(run.n, run.t, run.beta1, run.outlet, W, run.layer, x, y, &r), 0);
        return r;
    }
};

// The stream function and the potential are those of the flow CasField
// gives: with x along the cascade and y through it, (v, u) W cos beta2 =
// (psi_y, -psi_x) = (phi_x, phi_y), checked by centred differences. The
// points keep about a third of a pitch from the blade: closer in, CasField's
// softened denominator (eps / (D + eps) added to D) moves the velocity of
// this blade, small against its pitch, by more than the tolerance.
TEST(CascadeField, StreamFunctionAndPotentialGiveTheVelocity) {
    FieldFunctions f;
    ASSERT_NE(f.run.layer, nullptr);
    const double h = 1e-5 * f.run.t;
    double felt = 0.0;
    for (const auto& p :
         {std::array<double, 2>{2.0, 0.0}, std::array<double, 2>{1.5, -1.0}, std::array<double, 2>{-1.2, 0.8},
          std::array<double, 2>{0.3, 1.5}, std::array<double, 2>{0.3, -1.5}, std::array<double, 2>{0.0, -2.0},
          std::array<double, 2>{-1.7, 0.1}, std::array<double, 2>{1.1, 6.0}}) {
        const double x = p[0], y = p[1];
        double u = 0, v = 0;
        ASSERT_EQ(CasField(f.run.n, f.run.t, f.run.beta1, f.run.outlet, f.run.layer, x, y, &u, &v), 0);
        const double psi_x = (f.psi(x + h, y) - f.psi(x - h, y)) / (2 * h);
        const double psi_y = (f.psi(x, y + h) - f.psi(x, y - h)) / (2 * h);
        const double phi_x = (f.phi(x + h, y) - f.phi(x - h, y)) / (2 * h);
        const double phi_y = (f.phi(x, y + h) - f.phi(x, y - h)) / (2 * h);
        const double tol = 1e-6 * std::abs(f.scale);
        EXPECT_NEAR(psi_y, f.scale * v, tol) << x << " " << y;
        EXPECT_NEAR(-psi_x, f.scale * u, tol) << x << " " << y;
        EXPECT_NEAR(phi_x, f.scale * v, tol) << x << " " << y;
        EXPECT_NEAR(phi_y, f.scale * u, tol) << x << " " << y;
        felt = std::max(felt, std::abs(u - 1.0) + std::abs(v - cot(80.0)));
    }
    EXPECT_GT(felt, 100 * 1e-6);  // the blade is felt well above the tolerance
}

// Along the cascade the stream function grows by the through-flow per pitch,
// -t W cos beta2, wherever it is taken. The potential is continuous except
// on cuts running downstream from the nodes; it grows by the inlet flow
// t cot(beta1) per pitch, and far downstream its slope is the outlet's
// cot(180 - outlet) while the cuts behind the blade take back the
// circulation t (c2 - c1).
TEST(CascadeField, OnePitchAddsTheThroughFlowAndTheCirculation) {
    FieldFunctions f;
    ASSERT_NE(f.run.layer, nullptr);
    const double t = f.run.t, s = std::abs(f.scale);
    const double c1 = cot(80.0), c2 = 1.0 / std::tan((180.0 - f.run.outlet) * kDeg);
    for (const auto& p : {std::array<double, 2>{0.7, -0.5}, std::array<double, 2>{0.3, 0.05},
                          std::array<double, 2>{0.0, 0.5}, std::array<double, 2>{-1.2, 0.4},
                          std::array<double, 2>{-1.2, 1e4}, std::array<double, 2>{0.5, -1e4}}) {
        const double x = p[0], y = p[1];
        EXPECT_NEAR(f.psi(x + t, y) - f.psi(x, y), -f.scale * t, 1e-9 * s * std::max(1.0, std::abs(y)));
        EXPECT_NEAR(f.phi(x + t, y) - f.phi(x, y), f.scale * t * c1, 1e-4 * s * t);
    }
    const double xa = -0.5, xb = 0.5;  // all nodes lie between
    EXPECT_NEAR(f.phi(xb, -20.0) - f.phi(xa, -20.0), f.scale * c1 * (xb - xa), 1e-4 * s);
    EXPECT_NEAR(f.phi(xb, 20.0) - f.phi(xa, 20.0), f.scale * (c2 * (xb - xa) - t * (c2 - c1)), 1e-4 * s);
    EXPECT_GT(std::abs(t * (c2 - c1)), 0.1);  // the circulation is well above the tolerance
    // Far up- and downstream, without overflow: the through-flow and the
    // inlet and outlet cotangents.
    for (double y : {-1e4, 1e4}) {
        const double c = y < 0 ? c1 : c2;
        EXPECT_NEAR(f.psi(0.3, y + 1.0) - f.psi(0.3, y), f.scale * c, 1e-4 * s);
        EXPECT_NEAR(f.psi(1.3, y) - f.psi(0.3, y), -f.scale, 1e-9 * s * std::abs(y));
        EXPECT_NEAR(f.phi(0.3, y + 1.0) - f.phi(0.3, y), f.scale, 1e-9 * s * std::abs(y));
        EXPECT_NEAR(f.phi(1.3, y) - f.phi(0.3, y), f.scale * c, 1e-4 * s);
    }
}

// The two exports describe one plane potential flow: psi_x = -phi_y and
// psi_y = phi_x (Cauchy-Riemann), also close to the blade.
TEST(CascadeField, StreamFunctionAndPotentialAreConjugate) {
    FieldFunctions f;
    ASSERT_NE(f.run.layer, nullptr);
    const double h = 1e-6, Wc = f.scale;
    for (const auto& p : {std::array<double, 2>{0.7, -0.5}, std::array<double, 2>{0.3, 0.05},
                          std::array<double, 2>{-1.2, 0.4}}) {
        const double x = p[0], y = p[1];
        const double psi_x = (f.psi(x + h, y) - f.psi(x - h, y)) / (2 * h);
        const double psi_y = (f.psi(x, y + h) - f.psi(x, y - h)) / (2 * h);
        const double phi_x = (f.phi(x + h, y) - f.phi(x - h, y)) / (2 * h);
        const double phi_y = (f.phi(x, y + h) - f.phi(x, y - h)) / (2 * h);
        EXPECT_NEAR(psi_x, -phi_y, 1e-6 * std::abs(Wc)) << x << " " << y;
        EXPECT_NEAR(psi_y, phi_x, 1e-6 * std::abs(Wc)) << x << " " << y;
        EXPECT_GT(std::abs(psi_x + Wc), 1e-3 * std::abs(Wc));  // the vortices are felt here
    }
}

// Without nodes only the uniform flow remains: u = 1, v the mean cotangent
// (exactly 0 at 90/90); the stream function and potential are linear, with
// (psi_y, -psi_x) = (phi_x, phi_y) = W cos beta2 (v, u).
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
    EXPECT_NEAR(psi, (50.0 * std::cos(110.0 * kDeg)) * (cm * 0.2 - 0.3), 1e-12);
    ASSERT_EQ(CasFi(0, 1.0, 80.0, 110.0, 50.0, layer, 0.3, 0.2, &phi), 0);
    EXPECT_NEAR(phi, (50.0 * std::cos(110.0 * kDeg)) * (0.2 + cm * 0.3), 1e-12);
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
    // The node's copy one pitch on is left out in the same way.
    double next = NAN;
    ASSERT_EQ(CasPsi(run.n, run.t, run.beta1, run.outlet, 100.0, run.layer, x + run.t, y, &next), 0);
    const double scale = 100.0 * std::cos(run.outlet * kDeg);
    EXPECT_NEAR(next - psi, -scale * run.t, 1e-9 * std::abs(scale));
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
