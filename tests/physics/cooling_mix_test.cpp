#include "physics/cooling_mix.h"
#include "halvorine2/fluid_plugin.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <ostream>
#include <string>

#include "physics/mix_streams.h"
#include "tests/support/case_fixture.h"
#include "tests/support/test_fluid.h"

namespace {

using h2::test::test_fluid_func;
using h2::test::TestFluid;
using Vec3 = std::array<double, 3>;  // axial, circumferential, radial

constexpr double kUntouched = -7.0;

struct Outputs {
    Vec3 c{kUntouched, kUntouched, kUntouched};
    double i = kUntouched, pt = kUntouched, ic = kUntouched, sc = kUntouched, G = kUntouched;
    double dE = kUntouched, h = kUntouched, p = kUntouched, s = kUntouched, dhc = kUntouched;
};

struct Coolant {
    double G;
    Vec3 c;
    double T, p;
};
struct MainFlow {
    double G;
    Vec3 c;
    double i, p;
};

Outputs cool(const Coolant& k, const MainFlow& m, double px) {
    Outputs o;
    cool_mix(k.G, k.c.data(), k.T, k.p, m.G, m.c.data(), m.i, m.p, px, o.c.data(), &o.i, &o.pt, &o.ic, &o.sc,
             &o.G, &o.dE, &o.h, &o.p, &o.s, &o.dhc);
    return o;
}

const double kCp = TestFluid{}.cp();
const MainFlow kMain{2.0, {150.0, 40.0, 0.0}, kCp * 900.0, 500000.0};
const Coolant kCoolant{0.05, {0.0, 0.0, 40.0}, 500.0, 600000.0};

// A coolant gas of its own (steam-like constants), answered by the test gas
// formulas; every call is checked for the cooling selector and constant.
const TestFluid kCoolingGas{.R = 461.5, .k = 1.33};
struct Calls {
    int main = 0, cooling = 0, wrong = 0;
    double af = 0.0, caf = 0.0;
};
Calls g_calls;

double checked_main(int code, double a, double b, double c, int which) {
    ++g_calls.main;
    if (which != 0 || c != g_calls.af) ++g_calls.wrong;
    return test_fluid_func(code, a, b, c, which);
}
double cooling_gas(int code, double a, double b, double c, int which) {
    ++g_calls.cooling;
    if (which != 1 || c != g_calls.caf) ++g_calls.wrong;
    TestFluid& active = h2::test::active_test_fluid();
    const TestFluid main = active;
    active = kCoolingGas;
    const double result = test_fluid_func(code, a, b, c, which);
    active = main;
    return result;
}

class CoolMix : public h2::test::CaseTest {
protected:
    void SetUp() override {
        CaseTest::SetUp();
        ASSERT_NE(state_alloc(), nullptr);
        h2::test::install_test_fluid(block());
    }
};

// Main flow and coolant of one gas: the mix finds each stream's flow again
// from its area, so the mixed flow is Gm * fm + Gc * fc, where f is the
// meridional speed over the component that set the area.
struct FlowCase {
    const char* name;
    Vec3 cc, cm;
    double fc, fm;
};
std::ostream& operator<<(std::ostream& os, const FlowCase& c) { return os << c.name; }

class CoolMixFlows : public CoolMix, public ::testing::WithParamInterface<FlowCase> {};

TEST_P(CoolMixFlows, AreasComeFromTheLargerOfAxialAndRadialSpeed) {
    const FlowCase& fc = GetParam();
    const Coolant k{kCoolant.G, fc.cc, kCoolant.T, kCoolant.p};
    const MainFlow m{kMain.G, fc.cm, kMain.i, kMain.p};
    const Outputs o = cool(k, m, 400000.0);
    const double expected = m.G * fc.fm + k.G * fc.fc;
    EXPECT_NEAR(o.G, expected, 1e-12 * expected);
    EXPECT_EQ(o.c[2], m.c[2]);  // the main flow is stream 1
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CoolMixFlows,
    ::testing::Values(FlowCase{"radial_coolant", {0.0, 0.0, 40.0}, {150.0, 40.0, 0.0}, 1.0, 1.0},
                      FlowCase{"axial_coolant", {-60.0, 10.0, 0.0}, {150.0, 40.0, 0.0}, 1.0, 1.0},
                      // Just either side of a tie the larger component sets the area
                      // (at the tie itself both give the same area).
                      FlowCase{"radial_above_axial",
                               {30.0, 0.0, -31.0},
                               {150.0, 40.0, 0.0},
                               std::sqrt(30.0 * 30.0 + 31.0 * 31.0) / 31.0,
                               1.0},
                      FlowCase{"axial_above_radial",
                               {-31.0, 0.0, 30.0},
                               {150.0, 40.0, 0.0},
                               std::sqrt(30.0 * 30.0 + 31.0 * 31.0) / 31.0,
                               1.0},
                      FlowCase{"radial_main",
                               {0.0, 0.0, 40.0},
                               {20.0, 0.0, 100.0},
                               1.0,
                               std::sqrt(20.0 * 20.0 + 100.0 * 100.0) / 100.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CoolMix, RadialCoolantLossAveragesRadialMomentum) {
    const Outputs o = cool(kCoolant, kMain, 400000.0);
    const double G = kMain.G + kCoolant.G;
    const double u = kCoolant.G * 40.0 / G;  // the main flow has no radial velocity
    const double cm2 = u * u + o.c[1] * o.c[1] + o.c[0] * o.c[0];
    const double c_main2 = 150.0 * 150.0 + 40.0 * 40.0;
    const double expected = 0.5 * (kMain.G * c_main2 + kCoolant.G * 40.0 * 40.0 - G * cm2) / G;
    EXPECT_NEAR(o.dE, expected, 1e-6 * std::fabs(expected));
    // Swirl and energy averaged over the two flows.
    EXPECT_NEAR(o.c[1], kMain.G * 40.0 / G, 1e-9);
    const double ic = kCp * kCoolant.T;
    EXPECT_NEAR(o.i, (kMain.G * kMain.i + kCoolant.G * ic) / G, 1e-9 * kMain.i);
}

TEST_F(CoolMix, CoolantPropertiesAreThoseOfTheCoolingFluid) {
    g_calls = Calls{.af = 0.5, .caf = 2.5};
    block()->cyld_af = 0.5;
    block()->cyld_caf = 2.5;
    block()->fluid_func = &checked_main;
    block()->cfluid_func = &cooling_gas;
    const double px = 200000.0;
    const Outputs o = cool(kCoolant, kMain, px);

    const double cp_c = kCoolingGas.cp();
    const double ic = cp_c * kCoolant.T;
    const double sc = cp_c * std::log(kCoolant.T / h2::test::kRefT) -
                      kCoolingGas.R * std::log(kCoolant.p / h2::test::kRefP) + 10.0 * cp_c;
    EXPECT_NEAR(o.ic, ic, 1e-9 * ic);
    EXPECT_NEAR(o.sc, sc, 1e-9 * sc);
    // Isentropic drop of a perfect gas: cp T (1 - (px/pc)^((k-1)/k)).
    const double dhc = ic * (1.0 - std::pow(px / kCoolant.p, (kCoolingGas.k - 1.0) / kCoolingGas.k));
    EXPECT_NEAR(o.dhc, dhc, 1e-9 * dhc);
    EXPECT_EQ(g_calls.wrong, 0);
    EXPECT_EQ(g_calls.cooling, 5);  // codes 30, 3, 8, 2 and 9
    EXPECT_GT(g_calls.main, 3);
    // Inside the mix the coolant is evaluated with the main fluid from its
    // total enthalpy, so the flows no longer add up.
    EXPECT_TRUE(std::isfinite(o.G));
    EXPECT_NE(o.G, kMain.G + kCoolant.G);
}

TEST_F(CoolMix, NoDropToTheCoolantsOwnPressure) {
    const Outputs o = cool(kCoolant, kMain, kCoolant.p);
    EXPECT_NEAR(o.dhc, 0.0, 1e-9 * o.ic);
}

TEST_F(CoolMix, MainFlowWithoutCoolantComesBackUnchanged) {
    // A coolant at rest brings no area: the mixture is the main flow alone.
    Coolant k = kCoolant;
    k.c = {0.0, 0.0, 0.0};
    const Outputs o = cool(k, kMain, 400000.0);
    EXPECT_NEAR(o.G, kMain.G, 1e-12 * kMain.G);
    EXPECT_DOUBLE_EQ(o.i, kMain.i);
    EXPECT_DOUBLE_EQ(o.c[1], kMain.c[1]);
    EXPECT_NEAR(o.c[0], kMain.c[0], 0.001 * kMain.c[0]);
    EXPECT_NEAR(o.pt, kMain.p, 1e-6 * kMain.p);
    EXPECT_NEAR(o.ic, kCp * k.T, 1e-9 * kCp * k.T);
}

TEST_F(CoolMix, MainFlowAtRestLeavesTheCoolantAlone) {
    MainFlow m = kMain;
    m.c = {0.0, 0.0, 0.0};
    Coolant k = kCoolant;
    k.c = {50.0, 0.0, 0.0};
    const Outputs o = cool(k, m, 400000.0);
    EXPECT_NEAR(o.G, k.G, 1e-12 * k.G);
    EXPECT_NEAR(o.i, kCp * k.T, 1e-9 * kCp * k.T);
    EXPECT_EQ(o.c[0], 0.0);  // no main axial velocity: the search interval is empty
    for (double v : {o.c[1], o.c[2], o.pt, o.dE, o.h, o.p, o.s, o.dhc}) EXPECT_TRUE(std::isfinite(v)) << v;
}

double g_hot_limit = 0.0;
// The main fluid fails for static pressures of hot states; the coolant does not.
double failing_main(int code, double a, double b, double c, int which) {
    if (code == H2_FLUID_P_IS && a > g_hot_limit) return 1e20;
    return test_fluid_func(code, a, b, c, which);
}

TEST_F(CoolMix, MixFailureReachesPoutWithTheCoolantStillWritten) {
    // A hot coolant that the main fluid cannot take: the mix fails for stream 2.
    g_hot_limit = kCp * 1000.0;
    block()->fluid_func = &failing_main;
    Coolant k = kCoolant;
    k.T = 1200.0;
    const Outputs o = cool(k, kMain, 400000.0);
    EXPECT_EQ(o.p, 1e20);
    EXPECT_EQ(o.G, kUntouched);
    EXPECT_EQ(o.i, kUntouched);
    EXPECT_NEAR(o.ic, kCp * k.T, 1e-9 * kCp * k.T);
    EXPECT_TRUE(std::isfinite(o.sc));
    EXPECT_TRUE(std::isfinite(o.dhc));
    EXPECT_GT(o.dhc, 0.0);
}

TEST_F(CoolMix, WithoutTheCoolingFunctionItFails) {
    block()->cfluid_func = nullptr;
    const Outputs o = cool(kCoolant, kMain, 400000.0);
    for (double v : {o.p, o.ic, o.sc, o.dhc}) EXPECT_EQ(v, h2::kMixFailure);
    EXPECT_EQ(o.G, kUntouched);
    EXPECT_EQ(o.i, kUntouched);
    EXPECT_EQ(o.c[0], kUntouched);
}

}  // namespace
