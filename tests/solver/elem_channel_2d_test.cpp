// Per-streamline element without blades: the hub-to-casing march of radial
// equilibrium against continuity through the annulus, angular momentum along
// the streamlines, dp/dr = rho cu^2 / r, w ~ exp(kappa r) across curved
// streamlines, Bernoulli for a liquid, and the defect at the casing.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "solver/solver_internal.h"
#include "tests/support/meanline_case.h"

namespace {

using h2::test::Elem;

constexpr double kP0 = 1e5;                 // Pa
constexpr double kT0 = 300.0;               // K
constexpr double kHub = 0.15, kTip = 0.25;  // m
const double kArea = std::numbers::pi * (kTip * kTip - kHub * kHub);
constexpr double kDegree = 0.01745329;

class ChannelMarch : public h2::test::MeanlineTest {
protected:
    // Element 1 a straight annular duct from kHub to kTip on nr streamlines
    // passing G kg/s; its inlet at the totals kP0, kT0 with the swirl
    // cu(r) at radii spread evenly over the annulus. No gravity head (the
    // axial coordinates are all 0).
    void make_duct(
        int nr, double G, const std::function<double(double)>& cu = [](double) { return 0.0; }) {
        ASSERT_NO_FATAL_FAILURE(make({Elem::Inlet, Elem::Duct}, nr));
        b->cyld_Disp = 1;
        b->bld_Rh2[1] = kHub;
        b->bld_Rt2[1] = kTip;
        b->bld_F2[1] = kArea;
        b->elem_G1[1] = b->elem_G2[1] = b->elem_G2[0] = G;
        const int n = nr - 1;
        if (n > 0) b->ZAG = G / 6.2831853 / n;
        for (int j = 0; j < nr; ++j) {
            const double r = n > 0 ? kHub + j * (kTip - kHub) / n : (kHub + kTip) / 2;
            inlet_totals(1, j, kP0, kT0);
            b->isd_Ro1[1][j] = gas.density(kP0, h0());
            b->flow_r1[1][j] = r;
            b->flow_c1u[1][j] = cu(r);
        }
    }

    double h0() const { return gas.cp() * kT0; }
    int last() const { return b->cyld_nr - 1; }

    // Hub speed at which the last stream tube closes on the casing, by
    // bisection between lo and hi (the closing radius falls as the speed rises).
    double solve(double lo, double hi) {
        for (int it = 0; it < 200 && hi - lo > 1e-13 * hi; ++it) {
            const double w = (lo + hi) / 2;
            elem_channel_2d(1, w);
            (b->flow_r2[1][last()] > kTip ? lo : hi) = w;
        }
        const double w = (lo + hi) / 2;
        elem_channel_2d(1, w);
        return w;
    }

    // Mean-line speed through the duct on one streamline, where continuity
    // holds exactly: the reference of the march.
    double solve_mean_line(double G, double lo, double hi) {
        make_duct(1, G);
        for (int it = 0; it < 200; ++it) {
            const double w = (lo + hi) / 2;
            elem_channel_1d(1, w);
            const double carried = b->flow_c2s[1][0] * b->isd_Ro2[1][0] * kArea;
            (carried < G ? lo : hi) = w;
        }
        return (lo + hi) / 2;
    }

    // Speed of the isentropic flow from kP0, kT0 that carries G through the
    // annulus, from the perfect-gas closed form.
    double exact_speed(double G) const {
        double lo = 1.0, hi = 300.0;  // below the critical speed
        for (int it = 0; it < 200; ++it) {
            const double w = (lo + hi) / 2, h = h0() - w * w / 2;
            const double flux = gas.density(gas.isentropic_p(kP0, h0(), h), h) * w;
            (flux * kArea < G ? lo : hi) = w;
        }
        return (lo + hi) / 2;
    }
};

// No swirl, no loss, straight walls: the speed is uniform across the span,
// total enthalpy and entropy (so total pressure) are kept, and the mass flux
// through the annulus exceeds G/F by the Heun error of the stream-tube
// radii, which falls about eightfold per halving of the tube.
TEST_F(ChannelMarch, LossFreeStraightDuctCarriesItsFlow) {
    const double G = 10.0;
    const double w_mean = solve_mean_line(G, 10.0, 300.0);
    ASSERT_NEAR(w_mean, exact_speed(G), 1e-9 * w_mean);
    const double p_mean = b->isd_p2[1][0], rho_mean = b->isd_Ro2[1][0];

    // Excess of the mass flux for two stream tubes and each halving of them
    // (the stage at a predicted radius past the casing works at the casing).
    const struct {
        int nr;
        double excess;
    } cases[] = {{3, 7.3e-3}, {5, 8.3e-4}, {9, 9.8e-5}};
    std::vector<double> excess;
    for (const auto& [nr, expected] : cases) {
        SCOPED_TRACE(nr);
        ASSERT_NO_FATAL_FAILURE(make_duct(nr, G));
        const double w = solve(10.0, 300.0);
        const double r = elem_channel_2d(1, w);
        EXPECT_LE(r, 0.0);
        EXPECT_LT(std::sqrt(-r), 1e-12);
        EXPECT_EQ(b->flow_r2[1][0], kHub);
        EXPECT_NEAR(b->flow_r2[1][last()], kTip, 1e-12);
        for (int j = 0; j <= last(); ++j) {
            EXPECT_EQ(b->flow_w2[1][j], w);
            EXPECT_EQ(b->isd_i2wx[1][j], h0());
            EXPECT_NEAR(b->isd_s2[1][j], b->isd_s1[1][j], 1e-9 * std::fabs(b->isd_s1[1][j]));
            const double h = h0() - w * w / 2;
            EXPECT_NEAR(b->isd_p2[1][j], gas.isentropic_p(kP0, h0(), h), 1e-9 * kP0);
            EXPECT_NEAR(b->cas_B2[1][j], 90.0, 1e-4);  // truncated degree factor
            if (j > 0) {
                EXPECT_GT(b->flow_r2[1][j], b->flow_r2[1][j - 1]);
            }
        }
        const int m = last() / 2;
        const double flux = b->isd_Ro2[1][m] * b->flow_c2s[1][m];
        const double e = flux * kArea / G - 1.0;
        EXPECT_NEAR(e, expected, 0.02 * expected);
        excess.push_back(e);
        // The middle streamline against the mean-line solve, within the error.
        const double dw = w / w_mean - 1.0;
        EXPECT_GT(dw, 0.0);
        EXPECT_LT(dw, 2.0 * e);
        EXPECT_NEAR(b->isd_p2[1][m] / p_mean, 1.0, 2.0 * e);
        EXPECT_NEAR(b->isd_Ro2[1][m] / rho_mean, 1.0, 2.0 * e);
    }
    for (int k = 0; k + 1 < 3; ++k) {
        const double fall = excess[k] / excess[k + 1];
        EXPECT_GT(fall, 7.0);
        EXPECT_LT(fall, 10.0);
    }
}

// A swirl of 60 degrees at the inlet: each streamline keeps its angular
// momentum, the outlet triangle is the streamline's own, and the static
// pressure rises towards the casing as radial equilibrium asks,
// dp/dr = rho cu^2 / r.
TEST_F(ChannelMarch, SwirlKeepsAngularMomentumAndRadialEquilibrium) {
    const double c = 100.0, cu_in = c * std::cos(60.0 * kDegree);
    ASSERT_NO_FATAL_FAILURE(make_duct(9, 10.0, [&](double) { return cu_in; }));
    const double w = solve(cu_in, 200.0);
    EXPECT_NEAR(b->flow_r2[1][last()], kTip, 1e-12);
    const int n = last();
    // The last streamline's state belongs to its predicted radius and speed.
    for (int j = 0; j < n; ++j) {
        SCOPED_TRACE(j);
        const double r = b->flow_r2[1][j], cu = b->flow_c2u[1][j];
        EXPECT_NEAR(r * cu, b->flow_r1[1][j] * cu_in, 1e-12 * r * cu);
        EXPECT_NEAR(b->flow_w2[1][j] * std::cos(b->cas_B2[1][j] * kDegree), cu, 1e-9 * cu);
        EXPECT_NEAR(std::hypot(b->flow_c2s[1][j], cu), b->flow_w2[1][j], 1e-9 * w);
        EXPECT_EQ(b->isd_i2wx[1][j], h0());
        if (j + 1 == n) continue;
        const double r1 = b->flow_r2[1][j + 1], cu1 = b->flow_c2u[1][j + 1];
        const double dpdr = (b->isd_p2[1][j + 1] - b->isd_p2[1][j]) / (r1 - r);
        const double balance = (b->isd_Ro2[1][j] * cu * cu / r + b->isd_Ro2[1][j + 1] * cu1 * cu1 / r1) / 2;
        EXPECT_GT(dpdr, 0.0);
        EXPECT_NEAR(dpdr / balance, 1.0, 0.01);
        EXPECT_LT(b->flow_w2[1][j + 1], b->flow_w2[1][j]);  // the swirl falls off outwards, and so the speed
    }
    EXPECT_NEAR(b->flow_r2[1][n] * b->flow_c2u[1][n], b->flow_r1[1][n] * cu_in, 1e-3 * kTip * cu_in);
    // Continuity: the meridional mass flux over the annulus is the flow.
    double G = 0.0;
    for (int j = 0; j < n; ++j) {
        auto flux = [&](int k) {
            return 6.2831853 * b->flow_r2[1][k] * b->isd_Ro2[1][k] * b->flow_c2s[1][k];
        };
        G += (flux(j) + flux(j + 1)) / 2 * (b->flow_r2[1][j + 1] - b->flow_r2[1][j]);
    }
    EXPECT_NEAR(G / 10.0, 1.0, 1e-3);
}

// Streamlines of curvature kappa (centre towards the casing) without swirl:
// the speed rises across them as w = w_hub exp(kappa (r - r_hub)).
TEST_F(ChannelMarch, CurvedStreamlinesSpeedUpTowardsTheCentre) {
    ASSERT_NO_FATAL_FAILURE(make_duct(9, 10.0));
    const double kappa = 2.0;  // 1/m
    for (int j = 0; j < 9; ++j) b->cas_kapa2[1][j] = kappa;
    const double w = solve(10.0, 200.0);
    for (int j = 1; j < 9; ++j) {
        SCOPED_TRACE(j);
        EXPECT_NEAR(b->flow_w2[1][j] / w, std::exp(kappa * (b->flow_r2[1][j] - kHub)), 1e-4);
    }
}

// Total enthalpy rising across the stream tubes at one entropy (the totals
// of one isentrope): without swirl or curvature the static pressure stays
// uniform, and the kinetic energy takes up the rise, w^2/2 - w_hub^2/2 = iz G.
TEST_F(ChannelMarch, EnthalpyGradientAcrossTheTubesGoesIntoSpeed) {
    ASSERT_NO_FATAL_FAILURE(make_duct(9, 10.0));
    const double iz = 1000.0;  // J/kg per kg/s and radian
    for (int j = 0; j < 9; ++j) {
        const double h0j = h0() + iz * j * b->ZAG;
        inlet_totals(1, j, gas.isentropic_p(kP0, h0(), h0j), h0j / gas.cp());
        b->isd_iz[0][j] = iz;
    }
    const double w = 100.0;
    elem_channel_2d(1, w);
    for (int j = 1; j < 9; ++j) {
        SCOPED_TRACE(j);
        const double rise = iz * j * b->ZAG, wj = b->flow_w2[1][j];
        EXPECT_NEAR((wj * wj - w * w) / 2 / rise, 1.0, 1e-4);
        if (j < 8) {
            EXPECT_NEAR(b->isd_p2[1][j] / b->isd_p2[1][0], 1.0, 1e-6);
        }
    }
}

// A liquid (no entropy, no finite speed of sound): Bernoulli, with the loss
// (1/phi^2 - 1) w^2/2 taken off the total head; the march closes on the
// casing at the speed that carries the flow.
TEST_F(ChannelMarch, LiquidFollowsBernoulliWithTheLossOffTheTotalHead) {
    using h2::test::kLiquidDensity;
    const double p0 = 3e5, w_flow = 20.0;
    for (double phi : {1.0, 0.9}) {
        SCOPED_TRACE(phi);
        ASSERT_NO_FATAL_FAILURE(make_duct(5, kLiquidDensity * w_flow * kArea));
        for (int j = 0; j < 5; ++j) {
            liquid_inlet(1, j, p0);
            b->los_Los[1][j] = phi;
        }
        const double w = solve(1.0, 100.0);
        EXPECT_NEAR(w / w_flow, 1.0, 1e-3);
        for (int j = 0; j < 5; ++j) {
            SCOPED_TRACE(j);
            EXPECT_EQ(b->flow_w2[1][j], w);
            const double dyn = kLiquidDensity * w * w / 2;
            EXPECT_NEAR(b->isd_p2[1][j], p0 - dyn / (phi * phi), 1e-9 * p0);
            EXPECT_NEAR(b->isd_p2x[1][j], p0 - (1 / (phi * phi) - 1) * dyn, 1e-9 * p0);
            EXPECT_EQ(b->isd_p2wx[1][j], b->isd_p2x[1][j]);
            EXPECT_NEAR(b->isd_i2x[1][j] * kLiquidDensity, b->isd_p2x[1][j], 1e-9 * p0);
            EXPECT_EQ(b->isd_Ro2[1][j], kLiquidDensity);
        }
    }
}

// A compressible loss: the static pressure is that of the ideal expansion to
// the speed w / phi, the total enthalpy is kept.
TEST_F(ChannelMarch, LossExpandsToTheIdealSpeed) {
    ASSERT_NO_FATAL_FAILURE(make_duct(3, 10.0));
    const double phi = 0.95, w = 80.0;
    for (int j = 0; j < 3; ++j) b->los_Los[1][j] = phi;
    elem_channel_2d(1, w);
    const double h = h0() - w * w / 2, h_ideal = h0() - w * w / (2 * phi * phi);
    const double p = gas.isentropic_p(kP0, h0(), h_ideal);
    EXPECT_NEAR(b->isd_p2[1][0], p, 1e-9 * p);
    EXPECT_NEAR(b->isd_Ro2[1][0], gas.density(p, h), 1e-12);
    EXPECT_EQ(b->isd_i2[1][0], h);
    EXPECT_GT(b->isd_s2[1][0], b->isd_s1[1][0]);
}

// Edges: a hub speed under the swirl keeps marching on the floored
// meridional speed and overshoots the casing, where the stage works; a NaN
// speed propagates; the gravity head and the blockage model come in per
// stage; one streamline measures the hub against the casing.
TEST_F(ChannelMarch, EdgesOfTheMarch) {
    const double cu_in = 50.0;
    ASSERT_NO_FATAL_FAILURE(make_duct(5, 10.0, [&](double) { return cu_in; }));
    const int n = last();
    const double r = elem_channel_2d(1, 30.0);
    EXPECT_DOUBLE_EQ(b->flow_c2s[1][0], std::sqrt(0.1));
    EXPECT_GT(b->flow_r2[1][n], kTip);
    const double d = b->flow_r2[1][n] / kTip - 1.0;
    EXPECT_EQ(r, -d * d);
    EXPECT_DOUBLE_EQ(b->flow_c2u[1][n], cu_in * b->flow_r1[1][n] / kTip);

    EXPECT_TRUE(std::isnan(elem_channel_2d(1, std::nan(""))));

    // Disposition 0: the head of the streamline's fall in radius. The
    // blockage of the element before reaches every streamline only with the
    // models evaluated inside the solve.
    b->cyld_Disp = 0;
    b->elem_MethodB[1] = 1.0;
    for (int j = 0; j <= n; ++j) b->cas_blck[0][j] = 0.1;
    b->ICLos = 0;
    elem_channel_2d(1, 120.0);
    for (int j = 0; j <= n; ++j) {
        EXPECT_EQ(b->los_Fp[1][j], 1.0);
        if (j < n) {
            EXPECT_DOUBLE_EQ(b->isd_i2wx[1][j], h0() + 9.81 * (b->flow_r1[1][j] - b->flow_r2[1][j]));
        }
    }
    b->ICLos = 1;
    elem_channel_2d(1, 120.0);
    for (int j = 0; j <= n; ++j) EXPECT_DOUBLE_EQ(b->los_Fp[1][j], 0.9);

    ASSERT_NO_FATAL_FAILURE(make_duct(1, 10.0));
    const double d1 = kHub / kTip - 1.0;
    EXPECT_EQ(elem_channel_2d(1, 100.0), -d1 * d1);
    EXPECT_EQ(b->flow_r2[1][0], kHub);
}

}  // namespace
