// Heat transfer of a cooled blade: the cascade factor, the two Nusselt
// correlations with their row factors, the gas-side coefficient with its fin
// zone and widened perimeter, the coolant-side coefficient and the wall balance.
#include "physics/blade_heat_transfer.h"
#include "halvorine2/fluid_plugin.h"

#include <gtest/gtest.h>

#include <cmath>

#include "physics/profile_class.h"
#include "tests/support/case_fixture.h"
#include "tests/support/test_fluid.h"

namespace {

constexpr double kDeg = 0.01745329;
constexpr double kPi = 3.14159265;

// A turbine cascade as the cooling rows pass it: metal inlet angle, flow inlet
// angle, exit angle, pitch, chord, inlet speed, fin length (the chord), outlet
// diameter and blade speed.
struct Cascade {
    double Re = 3.0e5;
    double b1g = 90.0, b1 = 85.0, b2 = 25.0;
    double t = 0.02, b = 0.03;
    double c = 150.0, l = 0.03, D = 0.5, u = 200.0;
    double lambda = 0.05;
};

// The cascade factor written out with the sum angle s given, so that the
// choice of s is what a test decides.
double k_with_sum(double b1, double b2, double t, double b, double s) {
    const double beta = h2::BetaUstFit(b1, b2, 0);
    const double half = std::cos((b1 - b2) / 2.0 * kDeg);
    return std::sqrt(2.0 * std::cos(beta * kDeg) / (std::sin(s * kDeg) * (t / b) * half * half)) *
           std::sin(b1 * kDeg) / std::sin(b2 * kDeg);
}

TEST(CascadeKFactor, AngleSumIsReadNoFurtherThan90) {
    struct Row {
        double b1, b2;
    };
    for (const Row r : {Row{60.0, 30.0}, Row{90.0, 30.0}, Row{40.0, 20.0}}) {
        SCOPED_TRACE(r.b1 + r.b2);
        const double s = std::min(r.b1 + r.b2, 90.0);
        EXPECT_NEAR(cascade_k_factor(r.b1, r.b2, 0.02, 0.03), k_with_sum(r.b1, r.b2, 0.02, 0.03, s), 1e-12);
    }
    // At 120 the sum itself would give another factor: the cap matters.
    EXPECT_GT(std::fabs(k_with_sum(90.0, 30.0, 0.02, 0.03, 120.0) - cascade_k_factor(90.0, 30.0, 0.02, 0.03)),
              1e-3);
}

TEST(CascadeKFactor, DegenerateCascadeGivesZeroNotInfinity) {
    EXPECT_EQ(cascade_k_factor(90.0, 25.0, 0.02, 0.0), 0.0);  // no chord
    EXPECT_EQ(cascade_k_factor(90.0, 25.0, 0.0, 0.03), 0.0);  // no pitch
    EXPECT_EQ(cascade_k_factor(90.0, 0.0, 0.02, 0.03), 0.0);  // no exit angle
}

TEST(BladeNusselt, RowFactorsByMode) {
    const Cascade c;
    const double n1 = blade_nusselt_1(0, c.Re, c.b1g, c.b1, c.b2, c.t, c.b, c.c, c.l, c.D, c.u);
    const double n2 = blade_nusselt_2(0, c.Re, c.b1g, c.b2, c.t, c.b, c.c, c.l, c.D, c.u);

    // Mode 0: the plain correlations.
    const double K = cascade_k_factor(c.b1g, c.b2, c.t, c.b);
    const double x = (c.b1g - c.b1) / c.b1g - 0.2;
    EXPECT_NEAR(n1, 0.206 * std::pow(c.Re, 0.66) * std::pow(K, -0.58) * (0.97 + 0.78 * x * x), 1e-9 * n1);
    EXPECT_NEAR(n2, 0.032 * std::pow(c.Re, 0.8) * std::pow(K, -0.54), 1e-9 * n2);

    const double ratio = c.u * c.l / c.c / c.D;
    struct Mode {
        int mode;
        double f1, f2;
    };
    for (const Mode m :
         {Mode{1, 1.35, 1.35}, Mode{2, 1.0 + 0.8 * std::pow(ratio, 0.42), 1.0 + 1.1 * std::pow(ratio, 0.59)},
          Mode{3, 1.0, 1.0}, Mode{-1, 1.0, 1.0}}) {
        SCOPED_TRACE(m.mode);
        EXPECT_NEAR(blade_nusselt_1(m.mode, c.Re, c.b1g, c.b1, c.b2, c.t, c.b, c.c, c.l, c.D, c.u), n1 * m.f1,
                    1e-9 * n1);
        EXPECT_NEAR(blade_nusselt_2(m.mode, c.Re, c.b1g, c.b2, c.t, c.b, c.c, c.l, c.D, c.u), n2 * m.f2,
                    1e-9 * n2);
    }
}

TEST(BladeNusselt, RotationTermIsTheSameForEitherTurningDirection) {
    // A rotor turning the other way has a negative blade speed; the root of a
    // negative ratio would be undefined.
    const Cascade c;
    const double forward = blade_nusselt_1(2, c.Re, c.b1g, c.b1, c.b2, c.t, c.b, c.c, c.l, c.D, c.u);
    EXPECT_EQ(blade_nusselt_1(2, c.Re, c.b1g, c.b1, c.b2, c.t, c.b, c.c, c.l, c.D, -c.u), forward);
    EXPECT_EQ(blade_nusselt_2(2, c.Re, c.b1g, c.b2, c.t, c.b, c.c, c.l, c.D, -c.u),
              blade_nusselt_2(2, c.Re, c.b1g, c.b2, c.t, c.b, c.c, c.l, c.D, c.u));
}

TEST(BladeNusselt, DegenerateArgumentsStayFinite) {
    const Cascade c;
    // No inlet speed or diameter: no rotation term, the plain correlation.
    const double plain = blade_nusselt_1(0, c.Re, c.b1g, c.b1, c.b2, c.t, c.b, c.c, c.l, c.D, c.u);
    EXPECT_EQ(blade_nusselt_1(2, c.Re, c.b1g, c.b1, c.b2, c.t, c.b, 0.0, c.l, c.D, c.u), plain);
    EXPECT_EQ(blade_nusselt_1(2, c.Re, c.b1g, c.b1, c.b2, c.t, c.b, c.c, c.l, 0.0, c.u), plain);
    // No cascade factor (no chord): no Nusselt number.
    EXPECT_EQ(blade_nusselt_1(1, c.Re, c.b1g, c.b1, c.b2, c.t, 0.0, c.c, c.l, c.D, c.u), 0.0);
    EXPECT_EQ(blade_nusselt_2(1, c.Re, c.b1g, c.b2, c.t, 0.0, c.c, c.l, c.D, c.u), 0.0);
    // No blade angle: no incidence term, and the fit's stagger is past 90
    // degrees, which leaves no cascade factor.
    EXPECT_EQ(blade_nusselt_1(1, c.Re, 0.0, c.b1, 60.0, c.t, c.b, c.c, c.l, c.D, c.u), 0.0);
    EXPECT_EQ(cascade_k_factor(0.0, 60.0, c.t, c.b), 0.0);
}

// The gas-side coefficient written out from the library's two Nusselt
// numbers, with the wetted width s and the fin length L given.
double htc_with(int mode, const Cascade& c, double s, double L) {
    const double aA =
        blade_nusselt_1(mode, c.Re, c.b1g, c.b1, c.b2, c.t, c.b, c.c, c.l, c.D, c.u) * c.lambda / c.b;
    const double aB = blade_nusselt_2(mode, c.Re, c.b1g, c.b2, c.t, c.b, c.c, c.l, c.D, c.u) * c.lambda / c.b;
    const double beta = h2::BetaUstFit(c.b1g, c.b2, 0);
    const double P = kPi * c.t * c.b * std::cos(beta * kDeg);
    const double Q = 0.3 * P;
    const double U = 2.0 * s;
    const double m = std::sqrt(aA * U / c.lambda / Q);
    const double F = std::sqrt(aA * Q * U * c.lambda) * std::tanh(m * L);
    return (F + (P - Q) * aB) / P;
}

double htc(int mode, const Cascade& c) {
    return gas_side_htc(mode, c.Re, c.b1g, c.b1, c.b2, c.t, c.b, c.c, c.l, c.D, c.u, c.lambda);
}

TEST(GasSideHtc, TurningOf55TakesTheWidenedPerimeterAnd54_9DoesNot) {
    struct Row {
        double b1g;    // with b2 = 30: turning 180 - b1g - 30
        double width;  // wetted width over the chord
    };
    for (const Row r :
         {Row{95.0, 0.722 + 0.00505 * 55.0}, Row{95.1, 1.0}, Row{70.0, 0.722 + 0.00505 * 80.0}}) {
        Cascade c;
        c.b1g = r.b1g;
        c.b2 = 30.0;
        SCOPED_TRACE(180.0 - c.b1g - c.b2);
        const double expected = htc_with(1, c, r.width * c.b, c.l / 2.0);
        EXPECT_NEAR(htc(1, c), expected, 1e-12 * expected);
    }
    EXPECT_DOUBLE_EQ(0.722 + 0.00505 * 55.0, 0.99975);
    // The widening is visible at this precision.
    Cascade c;
    c.b1g = 95.0;
    c.b2 = 30.0;
    EXPECT_GT(std::fabs(htc_with(1, c, c.b, c.l / 2.0) - htc(1, c)), 1e-9 * htc(1, c));
}

TEST(GasSideHtc, RotorTakesTheFullFinLengthOtherModesHalf) {
    const Cascade c;  // turning 65: widened
    const double s = (0.722 + 0.00505 * (180.0 - c.b1g - c.b2)) * c.b;
    for (int mode : {0, 1, 2, 3}) {
        SCOPED_TRACE(mode);
        const double expected = htc_with(mode, c, s, mode == 2 ? c.l : c.l / 2.0);
        EXPECT_NEAR(htc(mode, c), expected, 1e-12 * expected);
    }
}

TEST(GasSideHtc, DegenerateSectionGivesFiniteCoefficient) {
    Cascade c;
    c.b = 0.0;
    EXPECT_EQ(htc(1, c), 0.0);  // no chord: no perimeter
    c = Cascade{};
    c.t = 0.0;
    EXPECT_EQ(htc(1, c), 0.0);  // no pitch: no perimeter
    c = Cascade{};
    c.lambda = 0.0;
    EXPECT_EQ(htc(1, c), 0.0);  // no conductivity: no transfer at all
}

TEST(WallHeatBalance, EqualCoefficientsWithoutWallSplitTheDropInHalf) {
    const double alpha = 1500.0, Tc = 600.0, Tg = 1400.0, F = 0.002;
    double Tw_c = -1.0, Tw_g = -1.0, eff = -1.0;
    const double Q = wall_heat_balance(Tc, 0.0, alpha, Tg, F, alpha, &Tw_c, &Tw_g, &eff);
    const double q = alpha * (Tg - Tc) / 2.0;
    EXPECT_NEAR(Q, F * q, 1e-9 * F * q);
    EXPECT_NEAR(Tw_c, 1000.0, 1e-9);
    EXPECT_NEAR(Tw_g, 1000.0, 1e-9);
    EXPECT_NEAR(eff, 0.5, 1e-12);
}

TEST(WallHeatBalance, MetalWallAddsItsResistance) {
    const double Tc = 600.0, Tg = 1400.0, F = 0.002, delta = 0.001, ac = 2000.0, ag = 1000.0;
    double Tw_c = 0.0, Tw_g = 0.0, eff = 0.0;
    const double Q = wall_heat_balance(Tc, delta, ac, Tg, F, ag, &Tw_c, &Tw_g, &eff);
    const double q = (Tg - Tc) / (1.0 / ag + delta / 20.0 + 1.0 / ac);
    EXPECT_NEAR(Q, F * q, 1e-9 * F * q);
    EXPECT_NEAR(Tw_c, Tc + q / ac, 1e-9);
    EXPECT_NEAR(Tw_g, Tg - q / ag, 1e-9);
    EXPECT_NEAR(eff, (Tg - Tw_g) / (Tg - Tc), 1e-12);
    // The drop across the metal is q delta / 20.
    EXPECT_NEAR(Tw_g - Tw_c, q * delta / 20.0, 1e-9);
}

TEST(WallHeatBalance, InsulatingFaceOrNoTemperatureDifferenceStaysFinite) {
    struct Row {
        const char* what;
        double Tc, alpha_c, Tg, alpha_g;
        double Tw, eff;
    };
    for (const Row r : {Row{"no coolant-side transfer", 600.0, 0.0, 1400.0, 1000.0, 1400.0, 0.0},
                        Row{"no gas-side transfer", 600.0, 2000.0, 1400.0, 0.0, 600.0, 1.0},
                        Row{"neither side", 600.0, 0.0, 1400.0, 0.0, 1400.0, 0.0},
                        Row{"coolant at the gas temperature", 900.0, 2000.0, 900.0, 1000.0, 900.0, 0.0}}) {
        SCOPED_TRACE(r.what);
        double Tw_c = -1.0, Tw_g = -1.0, eff = -1.0;
        EXPECT_EQ(wall_heat_balance(r.Tc, 0.001, r.alpha_c, r.Tg, 0.002, r.alpha_g, &Tw_c, &Tw_g, &eff), 0.0);
        EXPECT_EQ(Tw_c, r.Tw);
        EXPECT_EQ(Tw_g, r.Tw);
        EXPECT_EQ(eff, r.eff);
    }
    // The outputs are optional.
    EXPECT_GT(wall_heat_balance(600.0, 0.0, 1000.0, 1400.0, 1.0, 1000.0, nullptr, nullptr, nullptr), 0.0);
}

class CoolantHtc : public h2::test::CaseTest {
protected:
    void SetUp() override {
        CaseTest::SetUp();
        h2::test::install_test_fluid(block());
    }
};

TEST_F(CoolantHtc, ChannelCorrelationWithTheCoolingFluidsViscosity) {
    const double C = 80.0, T = 700.0, P = 1.5e6, d = 0.0015, lambda = 0.06;
    const double nu = 1.5e-5;  // the test fluid's code 24
    const double Re = C * d / nu;
    const double expected = 0.018 * std::pow(Re, 0.8) * 1.7 * lambda / d;
    EXPECT_NEAR(coolant_htc(C, T, P, d, lambda), expected, 1e-9 * expected);
}

TEST_F(CoolantHtc, AsksOnlyTheCoolingFluid) {
    block()->fluid_func = [](int, double, double, double, int) { return 1e20; };
    block()->cfluid_func = [](int code, double a, double b, double c, int which) {
        EXPECT_EQ(which, 1);
        EXPECT_EQ(c, 0.25);  // cyld__caf
        return h2::test::test_fluid_func(code, a, b, c, which);
    };
    block()->cyld_caf = 0.25;
    EXPECT_GT(coolant_htc(80.0, 700.0, 1.5e6, 0.0015, 0.06), 0.0);
}

TEST_F(CoolantHtc, WithoutCoolingFluidViscosityOrLengthGivesZero) {
    EXPECT_EQ(coolant_htc(80.0, 700.0, 1.5e6, 0.0, 0.06), 0.0);
    block()->cfluid_func = [](int code, double, double, double, int) {
        return code == H2_FLUID_NU_PI ? 0.0 : 1000.0;
    };
    EXPECT_EQ(coolant_htc(80.0, 700.0, 1.5e6, 0.0015, 0.06), 0.0);
    block()->cfluid_func = nullptr;
    EXPECT_EQ(coolant_htc(80.0, 700.0, 1.5e6, 0.0015, 0.06), 0.0);
}

}  // namespace
