// Blade row on every streamline: the outlet angle along the span, the radial
// equilibrium of stators, rotors and leaning rows against its closed forms, rothalpy on
// every streamline, the gauging-angle tasks and the loss energies, against the
// perfect gas.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "solver/solver_internal.h"
#include "tests/support/meanline_case.h"

namespace {

using h2::test::Elem;

constexpr double kDeg = 0.01745329;         // the library's degree
constexpr double kRh = 0.085, kRt = 0.115;  // the fixture's hub and casing radii, m
constexpr double kOmega = 3000.0;           // the fixture's rotor speed, rad/s

class Blade2D : public h2::test::MeanlineTest {
protected:
    // The inlet and one blade row (element 1) on nr streamlines: sections at
    // equal radial steps from hub to casing, each with the metal angles B1g
    // and B2a (also the held gauging angle B2g); uniform inlet totals p0, T0 and no swirl into the row; one
    // stream tube carries a (nr - 1)-th of the flow. No gravity head.
    void make_row(Elem row, int nr, double B1g, double B2a, double p0 = 4e5, double T0 = 1000.0) {
        ASSERT_NO_FATAL_FAILURE(make({Elem::Inlet, row}, nr));
        b->cyld_Disp = 3;
        const int n = nr - 1;
        for (int j = 0; j < nr; ++j) {
            const double r = kRh + j * (kRt - kRh) / n;
            b->cas_ra1[1][j] = b->cas_ra2[1][j] = r;
            b->flow_r1[1][j] = r;
            b->cas_B1g[1][j] = B1g;
            b->cas_B2a[1][j] = b->cas_B2g[1][j] = B2a;
            inlet_totals(1, j, p0, T0);
            b->isd_s2[0][j] = b->isd_s1[1][j];  // the inlet's gas entropy
            b->isd_p1[1][j] = p0;
            b->isd_Ro1[1][j] = gas.density(p0, gas.cp() * T0);
        }
        b->ZAG = b->elem_G2[0] / 6.2831853 / n;
    }
    // Absolute flow angle of streamline j at the row's outlet, degrees.
    double absolute_angle(int j) const { return std::atan2(b->flow_c2s[1][j], b->flow_c2u[1][j]) / kDeg; }
    // Relative speed of streamline j from the outlet triangle.
    double relative_speed(int j) const {
        const double wu = b->flow_c2u[1][j] - std::fabs(b->flow_u2[1][j]);
        return std::hypot(wu, b->flow_c2s[1][j]);
    }
};

// A stator on a cylindrical stream surface without lean turns every
// streamline to the gauging angle of its own radius.
TEST_F(Blade2D, StatorTurnsToTheGaugingAngleAlongTheSpan) {
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 5, 90.0, 20.0));
    for (int j = 0; j < 5; ++j) b->cas_B2a[1][j] = 20.0 + 2.0 * j;
    const double d = elem_blade_2d(1, 350.0);
    EXPECT_LE(d, 0.0);
    EXPECT_EQ(b->flow_r2[1][0], kRh);
    EXPECT_EQ(b->flow_w2[1][0], 350.0);
    const double step = (kRt - kRh) / 4;
    // The last streamline's state belongs to its predicted radius.
    for (int j = 0; j < 4; ++j) {
        SCOPED_TRACE(j);
        const double r = b->flow_r2[1][j];
        ASSERT_GE(r, kRh);
        ASSERT_LE(r, kRt);
        const double beta_a = 20.0 + 2.0 * (r - kRh) / step;
        EXPECT_NEAR(b->cas_B2[1][j], beta_a, 1e-9);
        EXPECT_NEAR(absolute_angle(j), beta_a, 1e-9);
        EXPECT_EQ(b->flow_u2[1][j], 0.0);
    }
}

// The angle before deviation is the blade angle seen on a sloped stream
// surface through a leaning cascade: cot = cot(beta_a) cos(theta) +
// tan(lean) sin(theta). Read at the hub streamline, where the march starts.
TEST_F(Blade2D, OutletAngleOnSlopedSurfacesAndLeaningBlades) {
    struct Case {
        double theta, lean, beta_a;
    };
    const Case cases[] = {
        {0.0, 0.0, 30.0}, {30.0, 0.0, 30.0}, {30.0, 10.0, 30.0}, {-20.0, 15.0, 40.0}, {0.0, 25.0, 30.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "theta " << c.theta << " lean " << c.lean);
        ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 3, 90.0, c.beta_a));
        for (int j = 0; j < 3; ++j) {
            b->cas_sinT2[1][j] = std::sin(c.theta * kDeg);
            b->cas_cosT2[1][j] = std::cos(c.theta * kDeg);
            b->cas_Lean2[1][j] = c.lean;
        }
        elem_blade_2d(1, 200.0);
        const double cot = std::cos(c.theta * kDeg) / std::tan(c.beta_a * kDeg) +
                           std::tan(c.lean * kDeg) * std::sin(c.theta * kDeg);
        EXPECT_NEAR(b->cas_B2[1][0], std::atan2(1.0, cot) / kDeg, 1e-9);
    }
}

// Simple radial equilibrium behind a stator at a constant angle alpha
// (uniform totals, cylindrical surfaces): dp/dr = rho cu^2 / r with h0 and s
// constant gives dc/dr = -c cos^2(alpha) / r, so c = c_hub (r / r_hub)^-cos^2(alpha).
// Heun's method is second order: halving the stream tube cuts the error about fourfold.
TEST_F(Blade2D, StatorSpeedFollowsSimpleRadialEquilibrium) {
    const double alpha = 35.0, w_hub = 220.0;
    const double n_exp = std::pow(std::cos(alpha * kDeg), 2);
    double previous_error = 0.0;
    for (int nr : {3, 5, 9}) {
        SCOPED_TRACE(nr);
        ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, nr, 90.0, alpha));
        elem_blade_2d(1, w_hub);
        double error = 0.0;
        for (int j = 0; j < nr - 1; ++j) {
            const double expected = w_hub * std::pow(b->flow_r2[1][j] / kRh, -n_exp);
            error = std::fmax(error, std::fabs(b->flow_w2[1][j] / expected - 1.0));
            // Static pressure: dp/dr = rho cu^2 / r between neighbours.
            if (j > 0) {
                const double dr = b->flow_r2[1][j] - b->flow_r2[1][j - 1];
                const double rho = (b->isd_Ro2[1][j] + b->isd_Ro2[1][j - 1]) / 2;
                const double cu2r = (std::pow(b->flow_c2u[1][j], 2) / b->flow_r2[1][j] +
                                     std::pow(b->flow_c2u[1][j - 1], 2) / b->flow_r2[1][j - 1]) /
                                    2;
                EXPECT_NEAR((b->isd_p2[1][j] - b->isd_p2[1][j - 1]) / dr, rho * cu2r, 0.02 * rho * cu2r);
            }
            // Total enthalpy and entropy are those of the inlet.
            const double h0 = gas.cp() * 1000.0;
            EXPECT_NEAR(b->isd_i2[1][j] + b->flow_c2[1][j] * b->flow_c2[1][j] / 2, h0, 1e-9 * h0);
            EXPECT_NEAR(b->isd_s2[1][j], b->isd_s1[1][j], 1e-9 * std::fabs(b->isd_s1[1][j]));
        }
        EXPECT_LT(error, 1e-3);
        if (previous_error > 0.0) {
            EXPECT_LT(error, previous_error / 3.0);
        }
        previous_error = error;
    }
}

// A rotor conserves rothalpy h + w^2/2 - u^2/2 = h0 - u1 c1u on every
// streamline, whatever its loss and inlet swirl; the work is Euler's, u2 c2u - u1 c1u.
TEST_F(Blade2D, RotorKeepsItsRothalpyOnEveryStreamline) {
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Rotor, 7, 60.0, 150.0));
    const double h0 = gas.cp() * 1000.0;
    for (int j = 0; j < 7; ++j) {
        b->flow_ucu1[1][j] = 3000.0 * (1.0 + 0.1 * j);
        b->los_Los[1][j] = 0.95;
    }
    const double d = elem_blade_2d(1, 180.0);
    EXPECT_TRUE(std::isfinite(d));
    for (int j = 0; j < 7; ++j) {
        SCOPED_TRACE(j);
        const double u2 = b->flow_u2[1][j];
        const double w = relative_speed(j);
        const double I1 = h0 - b->flow_ucu1[1][j];
        EXPECT_NEAR(b->isd_i2[1][j] + w * w / 2 - u2 * u2 / 2, I1, 1e-9 * h0);
        const double c2 = b->flow_c2[1][j];
        EXPECT_NEAR(b->isd_i2[1][j] + c2 * c2 / 2 - h0, u2 * b->flow_c2u[1][j] - b->flow_ucu1[1][j],
                    1e-9 * h0);
        if (j < 6) {
            EXPECT_NEAR(u2, kOmega * b->flow_r2[1][j], 1e-9 * u2);
            EXPECT_NEAR(w, b->flow_w2[1][j], 1e-9 * w);
        }
        EXPECT_GT(b->isd_s2[1][j], b->isd_s1[1][j]);  // the loss raises the entropy
    }
}

// Radial equilibrium in a rotor's frame (rothalpy and entropy uniform, a
// constant relative angle B): dw/dr = -2 omega cos B - w cos^2 B / r, whose
// solution is w r^c2 = w_h r_h^c2 - 2 omega cos B (r^(c2+1) - r_h^(c2+1)) / (c2 + 1).
TEST_F(Blade2D, RotorSpeedFollowsRadialEquilibriumInTheRotatingFrame) {
    const double B = 150.0, w_hub = 180.0;
    const double cosB = std::cos(B * kDeg), c2 = cosB * cosB;
    double previous_error = 0.0;
    for (int nr : {5, 9}) {
        SCOPED_TRACE(nr);
        ASSERT_NO_FATAL_FAILURE(make_row(Elem::Rotor, nr, 60.0, B));
        elem_blade_2d(1, w_hub);
        double error = 0.0;
        for (int j = 1; j < nr - 1; ++j) {
            const double r = b->flow_r2[1][j];
            const double expected =
                (w_hub * std::pow(kRh, c2) -
                 2 * kOmega * cosB * (std::pow(r, c2 + 1) - std::pow(kRh, c2 + 1)) / (c2 + 1)) /
                std::pow(r, c2);
            error = std::fmax(error, std::fabs(b->flow_w2[1][j] / expected - 1.0));
        }
        EXPECT_LT(error, 1e-3);
        if (previous_error > 0.0) {
            EXPECT_LT(error, previous_error / 3.0);
        }
        previous_error = error;
    }
}

// A leaning row tilts its blade force out of the stream surface, and the
// lean's share of it enters the radial equilibrium. On a cylindrical surface,
// with uniform rothalpy and entropy and a constant outlet angle B, the
// equilibrium of the rotating frame dw/dr = -2 omega cos B - w cos^2 B / r
// gains the term w sin^2 B Fb tan(lean):
//   dw/dr = -2 omega cos B + w (sin^2 B Fb tan(lean) - cos^2 B / r).
// Fb of a turbine row is the trailing-edge wedge delta over the pitch
// t = 2 pi r / z: Fb = delta / (t sin B sin^2 g cos g), g = delta / 2 plus the
// acute outlet angle, so Fb = K / r with K = delta z / (2 pi sin B sin^2 g cos g);
// a rotor's relative flow leaves against the blade speed, and its force points
// the other way round, -K / r. Fb of a compressor row is the turning over the
// chord b of a blade staggered halfway between its metal angles:
// Fb = A = (cot b2 - cot b1) / (b sin((b1 + b2) / 2)). With Fb = A + K / r,
// n = cos^2 B - sin^2 B tan(lean) K and a = sin^2 B tan(lean) A, the product
// w r^n e^(-a r) has the slope -2 omega cos B r^n e^(-a r); in a stator
// (omega 0), or with a = 0,
//   w = [w_h r_h^n - 2 omega cos B (r^(n+1) - r_h^(n+1)) / (n + 1)] e^(a (r - r_h)) / r^n.
// Heun's method is second order: halving the stream tube cuts the error about fourfold.
TEST_F(Blade2D, LeanedRowCarriesItsBladeForceIntoTheRadialEquilibrium) {
    struct Case {
        Elem row;
        double B1g, B2a, lean;  // 90/20: turbine stator; 45/80: compressor stator; 60/150: turbine rotor
        double wedge, chord;    // turbine wedge, degrees; compressor chord, m
        double w_hub;           // the stream tubes close inside the casing
    };
    const Case cases[] = {{Elem::Stator, 90.0, 20.0, 12.0, 10.0, 0.0, 300.0},
                          {Elem::Stator, 90.0, 20.0, -8.0, 6.0, 0.0, 300.0},
                          {Elem::Stator, 45.0, 80.0, -10.0, 0.0, 0.05, 180.0},
                          {Elem::Rotor, 60.0, 150.0, 10.0, 8.0, 0.0, 180.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "B2a " << c.B2a << " lean " << c.lean);
        const bool rotor = c.row == Elem::Rotor;
        const double omega = rotor ? kOmega : 0.0, z = rotor ? 60.0 : 48.0;  // the fixture's rows
        const double B = c.B2a * kDeg, tl = std::tan(c.lean * kDeg), cosB = std::cos(B);
        const double sin2 = std::pow(std::sin(B), 2), cos2 = cosB * cosB;
        const double delta = c.wedge * kDeg, g = delta / 2 + std::asin(std::sin(B));
        const double K = (rotor ? -1.0 : 1.0) * delta * z /
                         (6.2831853 * std::sin(B) * std::pow(std::sin(g), 2) * std::cos(g));
        const double A = c.chord == 0.0 ? 0.0
                                        : (1 / std::tan(B) - 1 / std::tan(c.B1g * kDeg)) /
                                              (c.chord * std::sin((c.B1g + c.B2a) / 2 * kDeg));
        const double n = cos2 - sin2 * tl * K, a = sin2 * tl * A;
        double previous_error = 0.0;
        for (int nr : {5, 9}) {
            SCOPED_TRACE(nr);
            ASSERT_NO_FATAL_FAILURE(make_row(c.row, nr, c.B1g, c.B2a, 8e5));
            for (int j = 0; j < nr; ++j) {
                b->cas_Lean2[1][j] = c.lean;
                b->cas_d[1][j] = c.wedge;
                b->cas_b[1][j] = c.chord;
            }
            elem_blade_2d(1, c.w_hub);
            // Beyond the casing a stage would work at the casing radius.
            ASSERT_LE(b->flow_r2[1][nr - 1], kRt);
            double error = 0.0;
            for (int j = 1; j < nr - 1; ++j) {
                const double r = b->flow_r2[1][j];
                const double wrn = c.w_hub * std::pow(kRh, n) -
                                   2 * omega * cosB * (std::pow(r, n + 1) - std::pow(kRh, n + 1)) / (n + 1);
                const double expected = wrn / std::pow(r, n) * std::exp(a * (r - kRh));
                error = std::fmax(error, std::fabs(b->flow_w2[1][j] / expected - 1.0));
            }
            EXPECT_LT(error, 1e-3);
            if (previous_error > 0.0) {
                EXPECT_LT(error, previous_error / 3.0);
            }
            previous_error = error;
        }
    }
}

// Gauging-angle tasks: turbine and compressor rows both turn to the masked
// gauging angle (weight 1, factor 0.1: 80 -> 88, 20 -> 22); a compressor row
// records it per streamline. Other tasks turn a compressor row to the
// gauging angles it holds.
TEST_F(Blade2D, GaugingTasksTurnBothRowKindsToTheMaskedAngle) {
    struct Case {
        double B1g, B2a;  // 90/20: turbine stator; 45/80: compressor stator
        int task;
        double B2g_held, expected;
    };
    const Case cases[] = {
        {90.0, 20.0, 40, 0.0, 22.0},  {90.0, 20.0, 400, 0.0, 22.0},  {90.0, 20.0, 10, 0.0, 20.0},
        {45.0, 80.0, 40, 70.0, 88.0}, {45.0, 80.0, 400, 70.0, 88.0}, {45.0, 80.0, 10, 70.0, 70.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "B2a " << c.B2a << " task " << c.task);
        ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 5, c.B1g, c.B2a));
        b->cyld_VART = c.task;
        b->AngMask[1] = 1.0;
        b->ang_mask_factor = 0.1;
        for (int j = 0; j < 5; ++j) b->cas_B2g[1][j] = c.B2g_held;
        elem_blade_2d(1, 150.0);
        const bool compressor = c.B2a > c.B1g;
        for (int j = 0; j < 5; ++j) {
            SCOPED_TRACE(j);
            EXPECT_NEAR(b->cas_B2[1][j], c.expected, 1e-9);
            const double recorded = compressor && c.task != 10 ? c.expected : c.B2g_held;
            EXPECT_NEAR(b->cas_B2g[1][j], recorded, 1e-9);
        }
    }
}

// The outlet triangle's swirl, c2u = |u| + w cos B2: a rotating row and an
// angle above 90 take the negative cosine, except that a rotating compressor
// row keeps the positive cosine of an angle below 90.
TEST_F(Blade2D, OutletSwirlSignOfEachRowKind) {
    struct Case {
        Elem row;
        double B1g, B2a;
        bool beyond_90;  // the relative swirl runs against the blade speed
    };
    const Case cases[] = {
        {Elem::Stator, 90.0, 30.0, false},  // turbine stator
        {Elem::Stator, 45.0, 120.0, true},  // compressor stator beyond 90
        {Elem::Rotor, 60.0, 150.0, true},   // turbine rotor
        {Elem::Rotor, 60.0, 120.0, true},   // compressor rotor beyond 90
        {Elem::Rotor, 30.0, 60.0, false},   // compressor rotor below 90
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "B1g " << c.B1g << " B2a " << c.B2a);
        ASSERT_NO_FATAL_FAILURE(make_row(c.row, 3, c.B1g, c.B2a));
        elem_blade_2d(1, 150.0);
        const double u = c.row == Elem::Rotor ? kOmega * kRh : 0.0;
        const double wu = 150.0 * std::fabs(std::cos(c.B2a * kDeg)) * (c.beyond_90 ? -1.0 : 1.0);
        EXPECT_NEAR(b->flow_c2u[1][0], u + wu, 1e-9 * 150.0);
        EXPECT_NEAR(b->flow_c2s[1][0], 150.0 * std::sin(c.B2a * kDeg), 1e-9 * 150.0);
    }
}

// With losses evaluated inside the solve, every stage of a compressor row
// turns by its deviation model and then takes its profile, secondary and
// shock losses; the meridional speed ratio is 1 without an inlet meridional speed.
TEST_F(Blade2D, InternalLossesRunOnEveryStage) {
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 3, 45.0, 80.0));
    b->ICLos = 1;
    record_models(1);
    elem_blade_2d(1, 150.0);
    // Two Heun stages per stream tube, and the last streamline once more at
    // its corrected speed and radius.
    EXPECT_EQ(h2::test::model_calls(), "VPSNVPSNVPSNVPSNVPSN");
    for (int j = 0; j < 3; ++j) EXPECT_EQ(b->flow_w12m[1][j], 1.0);
}

// An axial compressor row loses relative total pressure omega (p1wx - p1);
// its loss energy is the isentropic enthalpy step of that pressure, for a
// perfect gas cp T0w (1 - (p2wx / p0w)^((k - 1) / k)).
TEST_F(Blade2D, CompressorRowLossEnergyOfItsTotalPressureLoss) {
    const double p0 = 1e5, T0 = 300.0, om = 0.1;
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 3, 45.0, 80.0, p0, T0));
    b->elem_p0[0] = 1e5;  // a compressor: the path's pressure rises
    b->elem_p2[1] = 2e5;
    for (int j = 0; j < 3; ++j) {
        b->isd_p1[1][j] = 0.9e5;
        b->los_om[1][j] = om;
    }
    elem_blade_2d(1, 100.0);
    const double p2wx = p0 - om * 0.1e5;
    const double dhb = gas.cp() * T0 * (1.0 - std::pow(p2wx / p0, 0.4 / 1.4));
    for (int j = 0; j < 3; ++j) {
        SCOPED_TRACE(j);
        EXPECT_NEAR(b->isd_p2wx[1][j], p2wx, 1e-6);
        EXPECT_NEAR(b->enrg_dhb[1][j], dhb, 1e-9 * dhb);
        EXPECT_GT(b->isd_s2[1][j], b->isd_s1[1][j]);
    }
}

// A liquid through a loss-free stator: Bernoulli keeps the total pressure of
// every streamline, and the speed follows the same radial equilibrium.
TEST_F(Blade2D, LiquidStatorKeepsTheTotalPressureOfEveryStreamline) {
    const double p0 = 3e5, alpha = 40.0, w_hub = 20.0;
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 5, 90.0, alpha));
    for (int j = 0; j < 5; ++j) {
        liquid_inlet(1, j, p0);
        b->isd_s2[0][j] = 0.0;
    }
    elem_blade_2d(1, w_hub);
    const double n_exp = std::pow(std::cos(alpha * kDeg), 2);
    for (int j = 0; j < 4; ++j) {
        SCOPED_TRACE(j);
        EXPECT_NEAR(b->isd_p2x[1][j], p0, 1e-9 * p0);
        EXPECT_NEAR(
            b->isd_p2[1][j],
            p0 - h2::test::kLiquidDensity * w_hub * w_hub / 2 * std::pow(b->flow_r2[1][j] / kRh, -2 * n_exp),
            2e-3 * p0);
    }
}

// A compressor row without lean and without a chord in the case stays finite:
// the blade force only acts through the lean.
TEST_F(Blade2D, UnleanedCompressorRowWithoutChordStaysFinite) {
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 3, 45.0, 80.0));
    b->cas_b[1][1] = 0.0;
    const double d = elem_blade_2d(1, 150.0);
    EXPECT_TRUE(std::isfinite(d));
    for (int j = 0; j < 3; ++j) EXPECT_TRUE(std::isfinite(b->flow_w2[1][j]));
}

// The defect is the casing miss of the last stream tube; the inlet is no blade
// row, and one streamline leaves the case as it is.
TEST_F(Blade2D, DefectAndEdgeCases) {
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 3, 90.0, 30.0));
    const double d = elem_blade_2d(1, 150.0);
    const double miss = b->flow_r2[1][2] / kRt - 1.0;
    EXPECT_EQ(d, -miss * miss);
    EXPECT_TRUE(std::isnan(elem_blade_2d(0, 150.0)));
    EXPECT_TRUE(std::isnan(elem_blade_2d(2, 150.0)));

    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 2, 90.0, 30.0));
    b->cyld_nr = 1;
    b->flow_w2[1][0] = -7.0;
    EXPECT_EQ(elem_blade_2d(1, 150.0), 0.0);
    EXPECT_EQ(b->flow_w2[1][0], -7.0);
}

}  // namespace
