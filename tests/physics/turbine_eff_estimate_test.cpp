#include "physics/turbine_eff_estimate.h"
#include "halvorine2/fluid_plugin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

#include "tests/support/case_fixture.h"
#include "tests/support/test_fluid.h"

namespace {

using h2::test::TestFluid;

// A dry expansion whose readings are set directly: inlet entropy s0, inlet
// density rho0 and isentropic drop H0 from i0, whatever the pressures.
struct ScriptedExpansion {
    double s0 = 7000.0;
    double rho0 = 2.0;
    double i0 = 900000.0;
    double H0 = 300000.0;
};

ScriptedExpansion& scripted() {
    thread_local ScriptedExpansion e;
    return e;
}

double scripted_fluid(int code, double, double, double, int) {
    const ScriptedExpansion& e = scripted();
    switch (code) {
        case 0:
            return -1.0;  // dry
        case 2:
            return e.rho0;
        case 3:
            return e.s0;
        case 9:
            return e.i0 - e.H0;
        default:
            return 1e20;
    }
}

class EffEstimateTest : public h2::test::CaseTest {
protected:
    void use_scripted(const ScriptedExpansion& e) {
        scripted() = e;
        block()->fluid_func = &scripted_fluid;
    }
    // Perfect gas of the test fluid: inlet enthalpy that gives the drop H0
    // from p0 to p2, and the mass flow that gives the inlet volume flow Q.
    static double inlet_enthalpy(const TestFluid& f, double p0, double p2, double H0) {
        return H0 / (1.0 - std::pow(p2 / p0, f.R / f.cp()));
    }
    static double mass_flow(const TestFluid& f, double p0, double i0, double Q) {
        return Q * p0 / (f.R * i0 / f.cp());
    }
};

// Q = 10 m^3/s, p0/p2 = 5, p2 = 200000 Pa, H0 = 300000 J/kg: E 91.3, B 0.993,
// Z 5833.33 J/kg.
TEST_F(EffEstimateTest, DryWorkedExample) {
    const TestFluid gas;
    h2::test::install_test_fluid(block(), gas);
    const double p0 = 1.0e6, p2 = 2.0e5;
    const double i0 = inlet_enthalpy(gas, p0, p2, 300000.0);
    const double G = mass_flow(gas, p0, i0, 10.0);
    EXPECT_NEAR(turbine_eff_estimate(G, p0, i0, p2), 0.887165, 1e-6);
}

TEST_F(EffEstimateTest, LiquidInletGivesFixedFigure) {
    TestFluid liquid;
    liquid.zero_entropy = true;
    h2::test::install_test_fluid(block(), liquid);
    EXPECT_EQ(turbine_eff_estimate(3.0, 5.0e5, 4.0e5, 1.0e5), 0.95);
}

// ---- outlet-pressure curves: B and Z as read off the curve of p2's column ----

struct OutletCase {
    double p2;
    double B;  // correction factor
    double Z;  // outlet loss, J/kg
};

std::ostream& operator<<(std::ostream& os, const OutletCase& c) { return os << "p2 " << c.p2; }

class OutletCurves : public EffEstimateTest, public ::testing::WithParamInterface<OutletCase> {};

// Q = 10 and p0/p2 = 5 keep E at 91.3; H0 = 300000.
TEST_P(OutletCurves, ReadTheColumnOfTheOutletPressure) {
    const OutletCase& c = GetParam();
    use_scripted({});
    const double eta = turbine_eff_estimate(20.0, 5.0 * c.p2, scripted().i0, c.p2);
    EXPECT_NEAR(eta, 0.913 * c.B - c.Z / 300000.0, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Table, OutletCurves,
    ::testing::Values(OutletCase{200000.0, 0.993, 5833.333333333333},    // back-pressure column, knot of B
                      OutletCase{102000.0, 0.99104, 6976.666666666667},  // first back-pressure value
                      OutletCase{101999.0, 1.0125329, 0.0},  // condensing column, Z extrapolated below 0
                      OutletCase{100000.0, 1.0116666666666667, 0.0},  // Z would be -1666.7
                      OutletCase{30000.0, 0.9813333333333333, 14666.666666666666}));

// ---- plausible band ---------------------------------------------------------

struct BandCase {
    double target;    // estimate as formed
    double expected;  // returned
};

std::ostream& operator<<(std::ostream& os, const BandCase& c) { return os << "eta " << c.target; }

class Band : public EffEstimateTest, public ::testing::WithParamInterface<BandCase> {};

// At the worked example's point E B = 90.6609 and Z = 5833.33; the drop H0
// sets the estimate to the target (a negative drop raises it).
TEST_P(Band, KeepsPlausibleEstimatesOnly) {
    const BandCase& c = GetParam();
    ScriptedExpansion e;
    e.H0 = 5833.333333333333 / (0.906609 - c.target);
    use_scripted(e);
    EXPECT_NEAR(turbine_eff_estimate(20.0, 1.0e6, e.i0, 2.0e5), c.expected, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Table, Band,
                         ::testing::Values(BandCase{0.05, 0.5}, BandCase{0.995, 0.5}, BandCase{0.11, 0.11},
                                           BandCase{0.985, 0.985}));

// ---- divisors that vanish ---------------------------------------------------

TEST_F(EffEstimateTest, ZeroDivisorsGiveTheFallback) {
    ScriptedExpansion no_density;
    no_density.rho0 = 0.0;
    use_scripted(no_density);
    EXPECT_EQ(turbine_eff_estimate(20.0, 1.0e6, no_density.i0, 2.0e5), 0.5);

    ScriptedExpansion no_drop;
    no_drop.H0 = 0.0;
    use_scripted(no_drop);
    EXPECT_EQ(turbine_eff_estimate(20.0, 2.0e5, no_drop.i0, 2.0e5), 0.5);

    use_scripted({});
    EXPECT_EQ(turbine_eff_estimate(20.0, 1.0e6, scripted().i0, 0.0), 0.5);
}

TEST_F(EffEstimateTest, WithoutFluidFunctionGivesTheFallback) {
    EXPECT_EQ(turbine_eff_estimate(20.0, 1.0e6, 900000.0, 2.0e5), 0.5);
    EXPECT_EQ(sat_residual(1.0e5), 0.0);
}

// ---- moisture loss ----------------------------------------------------------

// The toy wet region of the perfect gas changes only the dryness readings, so
// the same expansion dry and wet differs by the moisture loss M alone:
// eta_dry - eta_wet = M / 100. Mean pressure 1e6 Pa, a column of table M.
class WetExpansion : public EffEstimateTest {
protected:
    static constexpr double p0 = 1.6e6, p2 = 4.0e5;
    const TestFluid gas{};
    const double i0 = gas.cp() * 600.0;
    const double i2s = i0 * std::pow(p2 / p0, gas.R / gas.cp());
    const double H0 = i0 - i2s;
    const double G = mass_flow(gas, p0, i0, 10.0);

    double estimate(const TestFluid& f) {
        h2::test::install_test_fluid(block(), f);
        return turbine_eff_estimate(G, p0, i0, p2);
    }
    // A wet region whose saturated vapour enthalpy is h_vapour and in which
    // the isentropic outlet state has dryness X2.
    TestFluid wet_with(double h_vapour, double X2) const {
        TestFluid f = gas;
        f.wet = true;
        f.h_vapour = h_vapour;
        f.h_liquid = (i2s - X2 * h_vapour) / (1.0 - X2);
        return f;
    }
};

struct WetCase {
    double X2;
    double M;  // moisture loss, per cent
};

std::ostream& operator<<(std::ostream& os, const WetCase& c) { return os << "X2 " << c.X2; }

class WetThroughout : public WetExpansion, public ::testing::WithParamInterface<WetCase> {};

TEST_P(WetThroughout, SubtractsTheMoistureLossOfTheOutletWetness) {
    const WetCase& c = GetParam();
    const double dry = estimate(gas);
    // Saturated vapour above the inlet: both ends wet.
    const double wet = estimate(wet_with(i0 + 1000.0, c.X2));
    ASSERT_GT(dry, 0.5);
    EXPECT_NEAR(dry - wet, c.M * 0.01, 1e-10);
}

INSTANTIATE_TEST_SUITE_P(Table, WetThroughout,
                         ::testing::Values(WetCase{0.84, 5.8},     // w = 16: the second row
                                           WetCase{0.92, 2.9},     // w = 8: halfway
                                           WetCase{0.68, 11.6}));  // w = 32: along the rows' slope

TEST_F(WetExpansion, CrossingIntoTheWetRegionWeighsTheWetShareOfTheDrop) {
    const double dry = estimate(gas);
    // The isentrope meets the saturated vapour enthalpy 30 % of the drop above the outlet.
    const double h_vapour = i2s + 0.3 * H0;
    const TestFluid crossing = wet_with(h_vapour, 0.87);
    const double wet = estimate(crossing);
    const double w = 100.0 * (1.0 - 0.87) * 0.3;
    EXPECT_NEAR(dry - wet, w / 16.0 * 5.8 * 0.01, 1e-6);
    // The search aimed at the inlet entropy.
    EXPECT_EQ(block()->wet_target_s, h2::test::test_fluid_func(H2_FLUID_S_PI, p0, i0, 0.0, 0));
}

TEST_F(WetExpansion, SaturationResidualVanishesWhereTheIsentropeMeetsTheVapourLine) {
    const double h_vapour = i2s + 0.3 * H0;
    h2::test::install_test_fluid(block(), wet_with(h_vapour, 0.87));
    block()->wet_target_s = h2::test::test_fluid_func(H2_FLUID_S_PI, p0, i0, 0.0, 0);
    const double p_cross = p0 * std::pow(h_vapour / i0, gas.cp() / gas.R);
    EXPECT_NEAR(sat_residual(p_cross), 0.0, 1e-9);
    EXPECT_LT(sat_residual(p2), 0.0);
    EXPECT_GT(sat_residual(p0), 0.0);
}

}  // namespace
