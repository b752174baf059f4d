#include "physics/mix_streams.h"
#include "halvorine2/fluid_plugin.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <ostream>
#include <thread>

#include "tests/support/case_fixture.h"
#include "tests/support/test_fluid.h"

namespace {

using h2::test::test_fluid_func;
using Vec3 = std::array<double, 3>;  // axial, circumferential, radial

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kUntouched = -7.0;  // what the outputs hold before a mix

const double kCp = h2::test::TestFluid{}.cp();

// The static state of a stream from its total state, at its total entropy, in
// the perfect test gas, and its mass flow through area F with the meridional speed.
struct Stream {
    double h, s, ps, rho, G;
};
Stream stream(const Vec3& c, double i, double p, double F) {
    const double c2 = c[0] * c[0] + c[1] * c[1] + c[2] * c[2];
    Stream st{};
    st.h = i - 0.5 * c2;
    st.s = test_fluid_func(H2_FLUID_S_PI, p, i, 0, 0);
    st.ps = test_fluid_func(H2_FLUID_P_IS, st.h, st.s, 0, 0);
    st.rho = test_fluid_func(H2_FLUID_RHO_PI, st.ps, st.h, 0, 0);
    st.G = st.rho * std::sqrt(c[0] * c[0] + c[2] * c[2]) * F;
    return st;
}

struct Outputs {
    Vec3 c{kUntouched, kUntouched, kUntouched};
    double i = kUntouched, pt = kUntouched, G = kUntouched, dE = kUntouched;
    double h = kUntouched, p = kUntouched, s = kUntouched;
};

Outputs mix(double F1, const Vec3& c1, double i1, double p1, double F2, const Vec3& c2, double i2, double p2,
            double Fout) {
    Outputs o;
    mix_streams(F1, c1.data(), i1, p1, F2, c2.data(), i2, p2, Fout, o.c.data(), &o.i, &o.pt, &o.G, &o.dE,
                &o.h, &o.p, &o.s);
    return o;
}

void expect_untouched_apart_from_pout(const Outputs& o) {
    for (double v : o.c) EXPECT_EQ(v, kUntouched);
    for (double v : {o.i, o.pt, o.G, o.dE, o.h, o.s}) EXPECT_EQ(v, kUntouched);
}

class MixStreams : public h2::test::CaseTest {
protected:
    void SetUp() override {
        CaseTest::SetUp();
        ASSERT_NE(state_alloc(), nullptr);
        h2::test::install_test_fluid(block());
    }
    const h2::stateLocals& state() const { return *static_cast<h2::stateLocals*>(get_stateLocals()); }
};

// A gas at 400 K total and 3 bar total.
const double kI = kCp * 400.0;
constexpr double kP = 300000.0;

TEST_F(MixStreams, TwoEqualAxialStreamsKeepTheirStateWithDoubledFlow) {
    const Vec3 c{120.0, 0.0, 0.0};
    const double F = 0.01;
    const Stream s1 = stream(c, kI, kP, F);
    const Outputs o = mix(F, c, kI, kP, F, c, kI, kP, 2.0 * F);

    const double tol = 0.001 * c[0];  // the search tolerance
    EXPECT_NEAR(o.G, 2.0 * s1.G, 1e-12 * s1.G);
    EXPECT_NEAR(o.i, kI, 1e-9 * kI);
    EXPECT_NEAR(o.s, s1.s, 1e-9 * std::fabs(s1.s));
    EXPECT_EQ(o.c[1], 0.0);
    EXPECT_EQ(o.c[2], 0.0);
    EXPECT_NEAR(o.c[0], c[0], tol);
    EXPECT_NEAR(o.dE, 0.0, 1e-9);  // the loss uses the averaged axial velocity
    // The static state of a trial within the tolerance of 120 m/s.
    EXPECT_NEAR(o.h, s1.h, c[0] * 2.0 * tol);
    EXPECT_NEAR(o.p, s1.ps, s1.rho * c[0] * 2.0 * tol);
    EXPECT_NEAR(o.pt, kP, 1e-6 * kP);
}

TEST_F(MixStreams, NoSecondAreaGivesStreamOneBack) {
    const Vec3 c1{100.0, 40.0, 0.0};
    const Vec3 c2{50.0, -30.0, 0.0};
    const double F1 = 0.02;
    const Stream s1 = stream(c1, kI, kP, F1);
    const Outputs o = mix(F1, c1, kI, kP, 0.0, c2, 1.3 * kI, 0.8 * kP, F1);

    const double tol = 0.001 * c1[0];
    EXPECT_DOUBLE_EQ(o.G, s1.G);
    EXPECT_DOUBLE_EQ(o.i, kI);
    EXPECT_NEAR(o.c[0], c1[0], tol);
    EXPECT_DOUBLE_EQ(o.c[1], c1[1]);
    EXPECT_EQ(o.c[2], 0.0);
    EXPECT_NEAR(o.s, s1.s, 1e-9 * std::fabs(s1.s));
    EXPECT_NEAR(o.h, s1.h, c1[0] * 2.0 * tol);
    EXPECT_NEAR(o.p, s1.ps, s1.rho * c1[0] * 2.0 * tol);
    EXPECT_NEAR(o.pt, kP, 1e-6 * kP);
    EXPECT_NEAR(o.dE, 0.0, 1e-9);
}

TEST_F(MixStreams, AxialVelocityAloneCarriesStreamOnesMeridionalFlow) {
    const Vec3 c1{100.0, 0.0, 30.0};
    const double F1 = 0.02;
    const Stream s1 = stream(c1, kI, kP, F1);
    const Outputs o = mix(F1, c1, kI, kP, 0.0, c1, kI, kP, F1);

    EXPECT_GT(o.c[0], c1[0]);
    EXPECT_EQ(o.c[2], c1[2]);  // the mixture keeps stream 1's radial velocity
    // Continuity at the outlet, counted with the axial component.
    const double rho = test_fluid_func(H2_FLUID_RHO_PI, o.p, o.h, 0, 0);
    EXPECT_NEAR(rho * o.c[0] * F1, s1.G, 2e-3 * s1.G);
}

TEST_F(MixStreams, UnequalStreamsConserveMassEnergyAndSwirl) {
    const Vec3 c1{150.0, 60.0, 10.0};
    const Vec3 c2{80.0, -20.0, 0.0};
    const double F1 = 0.03, F2 = 0.004, Fout = 0.034;
    const double i2 = kCp * 600.0, p2 = 1.1 * kP;
    const Stream s1 = stream(c1, kI, kP, F1);
    const Stream s2 = stream(c2, i2, p2, F2);
    const Outputs o = mix(F1, c1, kI, kP, F2, c2, i2, p2, Fout);

    const double G = s1.G + s2.G;
    EXPECT_DOUBLE_EQ(o.G, G);
    EXPECT_NEAR(o.i * G, s1.G * kI + s2.G * i2, 1e-9 * G * kI);
    EXPECT_NEAR(o.c[1] * G, s1.G * c1[1] + s2.G * c2[1], 1e-9 * G * c1[1]);
    EXPECT_EQ(o.c[2], c1[2]);
    const double rho = test_fluid_func(H2_FLUID_RHO_PI, o.p, o.h, 0, 0);
    EXPECT_NEAR(rho * o.c[0] * Fout, G, 2e-3 * G);
    // The returned static state lies on the mixture's isentrope.
    const double s_mix = (s1.G * s1.s + s2.G * s2.s) / G;
    EXPECT_NEAR(o.s, s_mix, 1e-9 * std::fabs(s_mix));
    EXPECT_NEAR(o.pt, test_fluid_func(H2_FLUID_P_IS, o.i, s_mix, 0, 0), 1e-6 * kP);
    // Mixing loses kinetic energy, measured against the averaged axial momentum.
    const double u = (s1.G * c1[0] + s2.G * c2[0]) / G;
    const double cm2 = u * u + o.c[1] * o.c[1] + o.c[2] * o.c[2];
    const double expected =
        0.5 *
        (s1.G * (150.0 * 150.0 + 60.0 * 60.0 + 10.0 * 10.0) + s2.G * (80.0 * 80.0 + 20.0 * 20.0) - G * cm2) /
        G;
    EXPECT_NEAR(o.dE, expected, 1e-9 * std::fabs(expected));
    EXPECT_GT(o.dE, 0.0);
}

TEST_F(MixStreams, RadialJetLossAveragesRadialMomentum) {
    const Vec3 c1{100.0, 20.0, 0.0};
    const Vec3 c2{0.0, 0.0, 60.0};
    const double F1 = 0.02, F2 = 0.002;
    const Stream s1 = stream(c1, kI, kP, F1);
    const Stream s2 = stream(c2, kI, kP, F2);
    const Outputs o = mix(F1, c1, kI, kP, F2, c2, kI, kP, F1);

    const double G = s1.G + s2.G;
    EXPECT_EQ(o.c[2], 0.0);  // stream 1's radial velocity, not the jet's
    const double u = s2.G * 60.0 / G;
    const double cm2 = u * u + o.c[1] * o.c[1] + o.c[0] * o.c[0];
    const double expected = 0.5 * (s1.G * (100.0 * 100.0 + 20.0 * 20.0) + s2.G * 60.0 * 60.0 - G * cm2) / G;
    EXPECT_NEAR(o.dE, expected, 1e-9 * std::fabs(expected));
}

TEST_F(MixStreams, StaticStateIsThatOfTheReturnedAxialVelocity) {
    block()->cyld_af = 0.25;
    const Vec3 c1{140.0, 30.0, 5.0};
    const Vec3 c2{90.0, 0.0, 0.0};
    const Outputs o = mix(0.02, c1, kI, kP, 0.005, c2, kI, kP, 0.025);

    const h2::stateLocals& st = state();
    EXPECT_EQ(st.af, 0.25);
    EXPECT_EQ(st.G, o.G);
    EXPECT_EQ(st.F, 0.025);
    EXPECT_EQ(st.i, o.i);
    EXPECT_EQ(st.cu, o.c[1]);
    EXPECT_EQ(st.cr, o.c[2]);
    EXPECT_EQ(o.p, st.p);
    EXPECT_EQ(o.h, o.i - 0.5 * st.c * st.c);
    // The root search returns one of its trials and leaves that trial's state.
    EXPECT_EQ(o.c[0], st.cz);
    EXPECT_EQ(st.c, std::sqrt(o.c[0] * o.c[0] + o.c[1] * o.c[1] + o.c[2] * o.c[2]));
    EXPECT_EQ(o.p, test_fluid_func(H2_FLUID_P_IS, o.h, st.s, st.af, 0));
}

// The mixture by hand, for the perfect test gas: each stream's static state
// from the isentropic relations, the mixture's isentrope from the
// mass-averaged entropy s = cp ln Tt - R ln pt (up to a constant), and the
// axial velocity that passes the mixed flow through the outlet on the
// subsonic branch of the flow function, by bisection to round-off.
struct HandMix {
    double G1, G2, G, i, cu, cr;
    double cz;                 // continuity root, subsonic branch
    double lnp_of_T_offset;    // ln p = (cp ln T - offset) / R on the mixture's isentrope
};
double hand_static_pressure(double T, double pt, double Tt) {
    const h2::test::TestFluid gas;
    return pt * std::pow(T / Tt, gas.k / (gas.k - 1.0));
}
HandMix hand_mix(double F1, const Vec3& c1, double i1, double p1, double F2, const Vec3& c2, double i2, double p2,
                 double Fout) {
    const h2::test::TestFluid gas;
    const double cp = gas.cp();
    auto flow = [&](const Vec3& c, double i, double p, double F) {
        const double T = (i - 0.5 * (c[0] * c[0] + c[1] * c[1] + c[2] * c[2])) / cp;
        const double rho = hand_static_pressure(T, p, i / cp) / (gas.R * T);
        return rho * std::sqrt(c[0] * c[0] + c[2] * c[2]) * F;
    };
    HandMix m{};
    m.G1 = flow(c1, i1, p1, F1);
    m.G2 = flow(c2, i2, p2, F2);
    m.G = m.G1 + m.G2;
    m.i = (m.G1 * i1 + m.G2 * i2) / m.G;
    m.cu = (m.G1 * c1[1] + m.G2 * c2[1]) / m.G;
    m.cr = c1[2];
    m.lnp_of_T_offset = (m.G1 * (cp * std::log(i1 / cp) - gas.R * std::log(p1)) +
                         m.G2 * (cp * std::log(i2 / cp) - gas.R * std::log(p2))) /
                        m.G;
    // Flux rho cz grows with cz up to the axial speed of sound.
    const double T_sonic = (m.i - 0.5 * (m.cu * m.cu + m.cr * m.cr)) / (cp + 0.5 * gas.k * gas.R);
    double lo = 0.0, hi = std::sqrt(gas.k * gas.R * T_sonic);
    for (int n = 0; n < 200; ++n) {
        const double cz = 0.5 * (lo + hi);
        const double T = (m.i - 0.5 * (cz * cz + m.cu * m.cu + m.cr * m.cr)) / cp;
        const double p = std::exp((cp * std::log(T) - m.lnp_of_T_offset) / gas.R);
        (p / (gas.R * T) * cz * Fout < m.G ? lo : hi) = cz;
    }
    m.cz = 0.5 * (lo + hi);
    return m;
}

// Mixes of main flow with tip leakage, a bleed-like side jet, a radial jet
// and a hot inflow, all with a root of the outlet continuity in the interval.
struct RootCase {
    const char* name;
    double F1;
    Vec3 c1;
    double T1, p1;
    double F2;
    Vec3 c2;
    double T2, p2;
    double Fout;
};
std::ostream& operator<<(std::ostream& os, const RootCase& c) { return os << c.name; }

// A fluid that answers like the test gas and counts its calls.
int g_property_calls = 0;
double counting_fluid(int code, double a, double b, double c, int which) {
    ++g_property_calls;
    return test_fluid_func(code, a, b, c, which);
}
// The calls of a mix outside its search: three for each stream's static
// state and two for the result's entropy and total pressure.
constexpr int kCallsOutsideTheSearch = 8;

class MixRoot : public MixStreams, public ::testing::WithParamInterface<RootCase> {};

TEST_P(MixRoot, ConservesMassAndEnergyAndPassesTheFlowThroughTheOutlet) {
    const RootCase& rc = GetParam();
    const double i1 = kCp * rc.T1, i2 = kCp * rc.T2;
    const HandMix m = hand_mix(rc.F1, rc.c1, i1, rc.p1, rc.F2, rc.c2, i2, rc.p2, rc.Fout);
    const Outputs o = mix(rc.F1, rc.c1, i1, rc.p1, rc.F2, rc.c2, i2, rc.p2, rc.Fout);

    EXPECT_NEAR(o.G, m.G1 + m.G2, 1e-9 * m.G);
    EXPECT_NEAR(o.i, m.i, 1e-9 * m.i);
    EXPECT_NEAR(o.c[1], m.cu, 1e-9 * (std::fabs(m.cu) + 1.0));
    EXPECT_EQ(o.c[2], rc.c1[2]);
    // The axial velocity to the search tolerance, and continuity with it.
    const double tol = 0.001 * rc.c1[0];
    EXPECT_NEAR(o.c[0], m.cz, tol);
    const double T = o.h / kCp;
    const double p = std::exp((kCp * std::log(T) - m.lnp_of_T_offset) / h2::test::TestFluid{}.R);
    EXPECT_NEAR(p, o.p, 1e-9 * o.p);  // the static state lies on the mixture's isentrope
    const double rho = o.p / (h2::test::TestFluid{}.R * T);
    EXPECT_NEAR(rho * o.c[0] * rc.Fout, m.G, rho * tol * rc.Fout);
    // The static state is that of the returned velocity itself.
    EXPECT_NEAR(o.h, m.i - 0.5 * (o.c[0] * o.c[0] + o.c[1] * o.c[1] + o.c[2] * o.c[2]), 1e-9 * m.i);
    EXPECT_EQ(state().cz, o.c[0]);
}

TEST_P(MixRoot, FindsTheRootInAFewTrials) {
    const RootCase& rc = GetParam();
    block()->fluid_func = &counting_fluid;
    g_property_calls = 0;
    mix(rc.F1, rc.c1, kCp * rc.T1, rc.p1, rc.F2, rc.c2, kCp * rc.T2, rc.p2, rc.Fout);
    // Two calls a trial: both ends, and a first guess that continuity on the
    // perfect gas's isentrope makes the root to round-off, where the golden
    // section over the same interval to the same tolerance takes 18.
    const int search_calls = g_property_calls - kCallsOutsideTheSearch;
    EXPECT_EQ(search_calls % 2, 0);
    EXPECT_LE(search_calls, 6) << search_calls / 2 << " trials";
}

// A gas whose density grows with pressure beyond the perfect gas's, so that
// no power of the enthalpy follows its isentrope.
double dense_fluid(int code, double a, double b, double c, int which) {
    ++g_property_calls;
    const double value = test_fluid_func(code, a, b, c, which);
    return code == H2_FLUID_RHO_PI ? value * (1.0 + 0.3 * a / 1e6) : value;
}

TEST_P(MixRoot, FindsTheRootForADenseGasInAFewTrials) {
    const RootCase& rc = GetParam();
    block()->fluid_func = &dense_fluid;
    const double i1 = kCp * rc.T1, i2 = kCp * rc.T2;
    g_property_calls = 0;
    const Outputs o = mix(rc.F1, rc.c1, i1, rc.p1, rc.F2, rc.c2, i2, rc.p2, rc.Fout);
    const int search_calls = g_property_calls - kCallsOutsideTheSearch;

    // The mixture in the dense gas, and the root of its outlet continuity by
    // bisection over the same interval.
    struct Flow {
        double G, s;
    };
    auto flow = [](const Vec3& c, double i, double p, double F) {
        const double h = i - 0.5 * (c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
        const double s = dense_fluid(3, p, i, 0, 0);
        const double rho = dense_fluid(2, dense_fluid(8, h, s, 0, 0), h, 0, 0);
        return Flow{rho * std::sqrt(c[0] * c[0] + c[2] * c[2]) * F, s};
    };
    const Flow f1 = flow(rc.c1, i1, rc.p1, rc.F1), f2 = flow(rc.c2, i2, rc.p2, rc.F2);
    const double G = f1.G + f2.G;
    const double i = (f1.G * i1 + f2.G * i2) / G, s = (f1.G * f1.s + f2.G * f2.s) / G;
    const double cu = (f1.G * rc.c1[1] + f2.G * rc.c2[1]) / G, cr = rc.c1[2];
    double lo = 0.5 * rc.c1[0], hi = 2.0 * rc.c1[0];
    for (int n = 0; n < 200; ++n) {
        const double cz = 0.5 * (lo + hi);
        const double h = i - 0.5 * (cz * cz + cu * cu + cr * cr);
        const double rho = dense_fluid(2, dense_fluid(8, h, s, 0, 0), h, 0, 0);
        (rho * cz * rc.Fout < G ? lo : hi) = cz;
    }
    EXPECT_NEAR(o.c[0], 0.5 * (lo + hi), 0.001 * rc.c1[0]);
    EXPECT_NEAR(o.G, G, 1e-9 * G);
    EXPECT_LE(search_calls, 12) << search_calls / 2 << " trials";
    // The static state is that of the returned velocity, though the search's
    // last trial may lie across the root from it.
    EXPECT_NEAR(o.h, i - 0.5 * (o.c[0] * o.c[0] + cu * cu + cr * cr), 1e-12 * i);
    EXPECT_NEAR(o.p, dense_fluid(8, o.h, s, 0, 0), 1e-12 * o.p);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MixRoot,
    ::testing::Values(
        RootCase{"tip_leakage", 0.05, {180.0, 250.0, 5.0}, 900.0, 4e5, 0.002, {60.0, -40.0, 0.0}, 930.0, 4.3e5, 0.05},
        RootCase{"fast_tip_leakage", 0.05, {260.0, 300.0, 0.0}, 1000.0, 6e5, 0.003, {120.0, 0.0, 0.0}, 1000.0, 6.4e5,
                 0.05},
        RootCase{"side_jet", 0.02, {120.0, 40.0, 0.0}, 400.0, 3e5, 0.004, {90.0, 10.0, 0.0}, 420.0, 3.2e5, 0.024},
        RootCase{"radial_jet", 0.02, {100.0, 20.0, 0.0}, 400.0, 3e5, 0.002, {0.0, 0.0, 60.0}, 400.0, 3.1e5, 0.02},
        RootCase{"hot_inflow_wider_outlet", 0.03, {150.0, 60.0, 10.0}, 400.0, 3e5, 0.004, {80.0, -20.0, 0.0},
                 600.0, 3.3e5, 0.04},
        RootCase{"slow", 0.1, {20.0, 5.0, 0.0}, 300.0, 1e5, 0.01, {10.0, 0.0, 0.0}, 300.0, 1e5, 0.11}),
    [](const auto& info) { return std::string(info.param.name); });

// Without a root of the continuity defect in the interval the mix takes the
// point of least defect: the lower end when even half of stream 1's axial
// velocity passes too much flow, the axial speed of sound (the largest flow an
// isentrope passes) when the outlet is too small for the flow.
struct NoRootCase {
    const char* name;
    double Fout_over_F1;
    bool choked;
};
std::ostream& operator<<(std::ostream& os, const NoRootCase& c) { return os << c.name; }

class MixWithoutRoot : public MixStreams, public ::testing::WithParamInterface<NoRootCase> {};

TEST_P(MixWithoutRoot, TakesThePointOfLeastDefectWithTheLastTrialsState) {
    const NoRootCase& nc = GetParam();
    const h2::test::TestFluid gas;
    const Vec3 c1{200.0, 80.0, 0.0};
    const double F1 = 0.02, i = kCp * 400.0;
    const Outputs o = mix(F1, c1, i, kP, 0.0, {0.0, 0.0, 0.0}, i, kP, nc.Fout_over_F1 * F1);

    const double tol = 0.001 * c1[0];
    const double T_sonic = (i - 0.5 * c1[1] * c1[1]) / (gas.cp() + 0.5 * gas.k * gas.R);
    const double expected = nc.choked ? std::sqrt(gas.k * gas.R * T_sonic) : 0.5 * c1[0];
    EXPECT_NEAR(o.c[0], expected, tol);
    // The state is the last trial's, a little off the returned middle.
    const h2::stateLocals& st = state();
    EXPECT_EQ(o.p, st.p);
    EXPECT_EQ(o.h, o.i - 0.5 * st.c * st.c);
    EXPECT_NE(o.c[0], st.cz);
    EXPECT_NEAR(o.c[0], st.cz, tol);
}

INSTANTIATE_TEST_SUITE_P(Cases, MixWithoutRoot,
                         ::testing::Values(NoRootCase{"outlet_too_wide", 4.0, false},
                                           NoRootCase{"choked_outlet", 0.5, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A property function that answers like the test gas and records whether
// every call came with the main fluid's selector and constant.
struct Recorder {
    int calls = 0;
    int wrong = 0;
    double af = 0.0;
};
Recorder g_recorder;
double recording_fluid(int code, double a, double b, double c, int which) {
    ++g_recorder.calls;
    if (which != 0 || c != g_recorder.af) ++g_recorder.wrong;
    return test_fluid_func(code, a, b, c, which);
}

TEST_F(MixStreams, AsksTheMainFluidWithTheCaseConstantAndNoMoreThanTheSearchNeeds) {
    g_recorder = Recorder{.af = 3.5};
    block()->cyld_af = 3.5;
    block()->fluid_func = &recording_fluid;
    block()->cfluid_func = nullptr;  // the mix never asks the cooling fluid
    mix(0.02, {120.0, 10.0, 0.0}, kI, kP, 0.01, {-40.0, 0.0, 20.0}, kI, kP, 0.03);
    EXPECT_EQ(g_recorder.wrong, 0);
    // Eight for the two streams and the result, two per trial (at most 52).
    EXPECT_EQ(g_recorder.calls % 2, 0);
    EXPECT_GE(g_recorder.calls, 8 + 2 * 2);
    EXPECT_LE(g_recorder.calls, 8 + 2 * 52);
}

// A failure value of the fluid for the static pressure of one stream, told
// apart by its static enthalpy: stream 2 is hot, stream 1 is not.
struct FailureCase {
    const char* name;
    bool hot_stream_1;
    double value;
};
std::ostream& operator<<(std::ostream& os, const FailureCase& c) { return os << c.name; }
double g_failure_value = 0.0;
double failing_fluid(int code, double a, double b, double c, int which) {
    if (code == H2_FLUID_P_IS && a > kCp * 500.0) return g_failure_value;
    return test_fluid_func(code, a, b, c, which);
}

class MixFailure : public MixStreams, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(MixFailure, PassesTheFailureValueOnInTheStaticPressureOnly) {
    const FailureCase& fc = GetParam();
    g_failure_value = fc.value;
    block()->fluid_func = &failing_fluid;
    const double hot = kCp * 700.0;
    const Outputs o = fc.hot_stream_1
                          ? mix(0.02, {100.0, 0.0, 0.0}, hot, kP, 0.01, {50.0, 0.0, 0.0}, kI, kP, 0.03)
                          : mix(0.02, {100.0, 0.0, 0.0}, kI, kP, 0.01, {50.0, 0.0, 0.0}, hot, kP, 0.03);
    if (std::isnan(fc.value)) {
        EXPECT_TRUE(std::isnan(o.p));
    } else {
        EXPECT_EQ(o.p, fc.value);
    }
    expect_untouched_apart_from_pout(o);
}

INSTANTIATE_TEST_SUITE_P(FailureValues, MixFailure,
                         ::testing::Values(FailureCase{"stream2_1e20", false, 1e20},
                                           FailureCase{"stream2_nan", false, kNaN},
                                           FailureCase{"stream1_1e20", true, 1e20},
                                           FailureCase{"stream1_nan", true, kNaN}),
                         [](const auto& info) { return std::string(info.param.name); });

// Streams that bring no flow: no area, or no velocity.
struct NoFlowCase {
    const char* name;
    double F1, F2;
    Vec3 c1, c2;
};
std::ostream& operator<<(std::ostream& os, const NoFlowCase& c) { return os << c.name; }

class MixWithoutFlow : public MixStreams, public ::testing::WithParamInterface<NoFlowCase> {};

TEST_P(MixWithoutFlow, KeepsStreamOneAndStaysFinite) {
    const NoFlowCase& nc = GetParam();
    const Outputs o = mix(nc.F1, nc.c1, kI, kP, nc.F2, nc.c2, 1.2 * kI, 1.1 * kP, 0.02);
    EXPECT_EQ(o.G, 0.0);
    EXPECT_EQ(o.i, kI);
    EXPECT_EQ(o.c[1], nc.c1[1]);
    EXPECT_EQ(o.dE, 0.0);
    for (double v : {o.c[0], o.c[2], o.pt, o.h, o.p, o.s}) EXPECT_TRUE(std::isfinite(v)) << v;
    EXPECT_NEAR(o.s, test_fluid_func(H2_FLUID_S_PI, kP, kI, 0, 0), 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MixWithoutFlow,
    ::testing::Values(NoFlowCase{"no_areas", 0.0, 0.0, {100.0, 20.0, 0.0}, {50.0, 0.0, 0.0}},
                      NoFlowCase{"at_rest", 0.02, 0.01, {0.0, 0.0, 0.0}, {0.0, 0.0, 0.0}},
                      NoFlowCase{"swirl_only", 0.02, 0.01, {0.0, 30.0, 0.0}, {0.0, 0.0, 0.0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MixStreams, NoAxialVelocityGivesAnEmptySearchInterval) {
    // Stream 1 without axial velocity: the search interval is empty and its
    // middle is 0; the flow comes from stream 2 alone.
    const Vec3 c2{60.0, 0.0, 0.0};
    const Stream s2 = stream(c2, kI, kP, 0.01);
    const Outputs o = mix(0.02, {0.0, 0.0, 0.0}, kI, kP, 0.01, c2, kI, kP, 0.03);
    EXPECT_EQ(o.c[0], 0.0);
    EXPECT_DOUBLE_EQ(o.G, s2.G);
    EXPECT_TRUE(std::isfinite(o.p));
    EXPECT_TRUE(std::isfinite(o.dE));
}

TEST_F(MixStreams, WithoutItsBlockOrFluidTheMixFails) {
    block()->fluid_func = nullptr;
    Outputs o = mix(0.02, {100.0, 0.0, 0.0}, kI, kP, 0.01, {50.0, 0.0, 0.0}, kI, kP, 0.03);
    EXPECT_EQ(o.p, h2::kMixFailure);
    expect_untouched_apart_from_pout(o);
    EXPECT_EQ(mix_residual(100.0), -h2::kMixFailure);

    h2::test::install_test_fluid(block());
    ASSERT_EQ(state_end_threading(), 0);  // the thread's stateLocals is gone
    ASSERT_EQ(get_stateLocals(), nullptr);
    o = mix(0.02, {100.0, 0.0, 0.0}, kI, kP, 0.01, {50.0, 0.0, 0.0}, kI, kP, 0.03);
    EXPECT_EQ(o.p, h2::kMixFailure);
    expect_untouched_apart_from_pout(o);
    EXPECT_EQ(mix_residual(100.0), -h2::kMixFailure);
}

TEST_F(MixStreams, WithoutACaseTheMixFails) {
    Outputs o;
    std::thread([&] {
        o = mix(0.02, {100.0, 0.0, 0.0}, kI, kP, 0.01, {50.0, 0.0, 0.0}, kI, kP, 0.03);
    }).join();
    EXPECT_EQ(o.p, h2::kMixFailure);
    expect_untouched_apart_from_pout(o);
}

TEST_F(MixStreams, MissingVectorsFailInsteadOfCrashing) {
    Outputs o;
    const Vec3 c{100.0, 0.0, 0.0};
    mix_streams(0.02, nullptr, kI, kP, 0.01, c.data(), kI, kP, 0.03, o.c.data(), &o.i, &o.pt, &o.G, &o.dE,
                &o.h, &o.p, &o.s);
    EXPECT_EQ(o.p, h2::kMixFailure);
    expect_untouched_apart_from_pout(o);
    mix_streams(0.02, c.data(), kI, kP, 0.01, c.data(), kI, kP, 0.03, nullptr, &o.i, &o.pt, &o.G, &o.dE, &o.h,
                &o.p, &o.s);
    expect_untouched_apart_from_pout(o);
}

}  // namespace
