// The stand-in fluid plug-ins flxb (calorically perfect gas) and flxu
// (incompressible liquid), loaded through the host from build/plugins.
#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <utility>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/fluids.h"
#include "tests/support/case_fixture.h"

namespace {

const std::string kPlugins = H2_PLUGIN_DIR;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kRel = 1e-12;

template <std::size_t N>
void set_text(char (&field)[N], const std::string& text) {
    ASSERT_LT(text.size(), N);
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), text.size());
}

void expect_rel(double got, double want, double rel = kRel) { EXPECT_NEAR(got, want, rel * std::fabs(want)); }

// Loads a stand-in by name for the current case with the given constants.
int load(bdLocals* b, const char* name, double R, double k, double af = 0.0) {
    set_text(b->ModelBase, kPlugins);
    set_text(b->fluidName, name);
    b->cyld_R = R;
    b->cyld_k = k;
    return InitFluid(af);
}

// ---- Closed forms the gas must follow ------------------------------------------

struct Gas {
    double R, k;
    double cp() const { return k * R / (k - 1.0); }
    // Reference state of the host's code 1000 and the plug-in's documented offset.
    double s(double p, double T) const {
        return cp() * std::log(T / 273.15) - R * std::log(p / 100000.0) + 10.0 * cp();
    }
    static double mu(double T) {
        return 1.716e-5 * std::pow(T / 273.15, 1.5) * (273.15 + 110.4) / (T + 110.4);
    }
};

struct GasState {
    Gas gas;
    double p, T;
};

class PerfectGas : public h2::test::LiveCaseTest, public ::testing::WithParamInterface<GasState> {
protected:
    double F(int code, double a, double b, double c = 0.0) { return block()->fluid_func(code, a, b, c, 0); }
};

TEST_P(PerfectGas, PropertyTableFollowsTheIdealGasRelations) {
    const GasState& st = GetParam();
    const Gas& g = st.gas;
    ASSERT_EQ(load(block(), "flxb.dll", g.R, g.k), 0);
    const double p = st.p, T = st.T;
    const double cp = g.cp();
    const double i = F(30, p, T);
    const double rho = p / (g.R * T);

    expect_rel(i, cp * T);                             // h = cp T
    expect_rel(F(1, p, i, 0.5), T);                    // temperature, kelvin
    expect_rel(F(2, p, i), rho);                       // p = rho R T
    expect_rel(F(3, p, i), g.s(p, T));                 // Gibbs relation from the reference
    expect_rel(F(4, p, i), std::sqrt(g.k * g.R * T));  // a^2 = k R T
    expect_rel(F(5, p, i, 0.5), g.k);
    expect_rel(F(24, p, i), Gas::mu(T) / rho);  // Sutherland, kinematic
    expect_rel(F(25, p, i), Gas::mu(T) * cp / 0.71);
    expect_rel(F(31, p, i), cp);
    expect_rel(F(32, p, i), g.R);
    expect_rel(F(82, rho, i), p);
    EXPECT_LT(F(0, p, i, 0.5), 0.0);  // always dry
    EXPECT_EQ(F(11, p, p), 0.0);
    EXPECT_EQ(F(12, p, p), 0.0);
    EXPECT_EQ(F(1002, p, 0.0), 0.0);
    EXPECT_EQ(F(1003, 0.0, 0.0), 0.0);
    EXPECT_EQ(F(1004, 0.0, 0.0), 0.0);
    EXPECT_EQ(F(7, p, i), 1e20);
    EXPECT_EQ(F(99, p, i), 1e20);
    EXPECT_EQ(F(-1, p, i), 1e20);
}

TEST_P(PerfectGas, InversePairsRoundTrip) {
    const GasState& st = GetParam();
    ASSERT_EQ(load(block(), "flxb.dll", st.gas.R, st.gas.k), 0);
    const double p = st.p, T = st.T;
    const double i = F(30, p, T);
    const double s = F(3, p, i);
    expect_rel(F(8, i, s), p);            // 8 inverts 3 at fixed enthalpy
    expect_rel(F(9, p, s), i);            // 9 inverts 8 at fixed entropy
    expect_rel(F(9, F(8, i, s), s), i);   //
    expect_rel(F(3, F(8, i, s), i), s);   //
    expect_rel(F(30, p, F(1, p, i)), i);  // 30 inverts 1
    expect_rel(F(1, p, F(30, p, T)), T);
    // An isentropic change of state follows T2/T1 = (p2/p1)^((k-1)/k).
    const double p2 = 0.37 * p;
    expect_rel(F(1, p2, F(9, p2, s)), T * std::pow(0.37, (st.gas.k - 1.0) / st.gas.k));
}

TEST_P(PerfectGas, EntropyDifferencesFollowTheGibbsRelation) {
    const GasState& st = GetParam();
    const Gas& g = st.gas;
    ASSERT_EQ(load(block(), "flxb.dll", g.R, g.k), 0);
    const double p1 = st.p, T1 = st.T, p2 = 2.5 * st.p, T2 = 1.2 * st.T;
    const double ds = F(3, p2, F(30, p2, T2)) - F(3, p1, F(30, p1, T1));
    EXPECT_NEAR(ds, g.cp() * std::log(T2 / T1) - g.R * std::log(p2 / p1), 1e-9 * g.cp());
}

INSTANTIATE_TEST_SUITE_P(States, PerfectGas,
                         ::testing::Values(GasState{{287.05, 1.4}, 101325.0, 288.15},  // air, sea level
                                           GasState{{287.05, 1.4}, 8.0e5, 900.0},  // air, hot and compressed
                                           GasState{{78.0, 1.065}, 2.5e4, 230.0},  // fluid 3's constants
                                           GasState{{296.8, 1.4}, 3.0e6, 1500.0}));  // nitrogen

class GasPlugin : public h2::test::LiveCaseTest {
protected:
    double F(int code, double a, double b, int which = 0) {
        return block()->fluid_func(code, a, b, 0.0, which);
    }
};

TEST_F(GasPlugin, ReferenceStateMovesTheEntropyZeroButNotItsDifferences) {
    ASSERT_EQ(load(block(), "flxb.dll", 287.5, 1.4), 0);
    const double cp = 1.4 * 287.5 / 0.4;
    expect_rel(F(3, 1e5, cp * 273.15), 10.0 * cp);  // at the host's reference state
    EXPECT_EQ(F(1000, 300.0, 2e5), 0.0);
    expect_rel(F(3, 2e5, cp * 300.0), 10.0 * cp);
    EXPECT_LT(F(1000, 0.0, 2e5), 0.0);  // refused, state kept
    EXPECT_LT(F(1000, 300.0, -1.0), 0.0);
    expect_rel(F(3, 2e5, cp * 300.0), 10.0 * cp);
}

TEST_F(GasPlugin, EntropyIsNeverZeroOverAWideRangeOfStates) {
    ASSERT_EQ(load(block(), "flxb.dll", 287.5, 1.4), 0);
    const double cp = F(31, 1e5, 3e5);
    for (double T = 20.0; T < 5000.0; T *= 1.1) {
        for (double p = 10.0; p < 1e9; p *= 1.7) EXPECT_GT(F(3, p, cp * T), 0.0) << p << " Pa, " << T << " K";
    }
}

TEST_F(GasPlugin, SetUpCodeChecksRAndK) {
    ASSERT_EQ(load(block(), "flxb.dll", 287.5, 1.4), 0);
    for (auto [R, k] : {std::pair{0.0, 1.4},
                        {-1.0, 1.4},
                        {kNaN, 1.4},
                        {287.0, 1.0},
                        {287.0, 0.9},
                        {287.0, kNaN},
                        {INFINITY, 1.4}}) {
        EXPECT_LT(F(1001, R, k), 0.0) << R << ", " << k;
    }
    EXPECT_EQ(F(32, 1e5, 3e5), 287.5);  // the failures changed nothing
    EXPECT_EQ(F(1001, 300.0, 1.3), 0.0);
    EXPECT_EQ(F(32, 1e5, 3e5), 300.0);
    expect_rel(F(31, 1e5, 3e5), 1.3 * 300.0 / 0.3);
}

TEST_F(GasPlugin, BadConstantsFailInitFluid) {
    EXPECT_EQ(load(block(), "flxb.dll", -1.0, 1.4), -1);
    EXPECT_EQ(load(block(), "flxb.dll", 287.0, 0.5), -1);
}

TEST_F(GasPlugin, StatesOutsideTheGasGiveNoAnswer) {
    ASSERT_EQ(load(block(), "flxb.dll", 287.5, 1.4), 0);
    EXPECT_EQ(F(2, 1e5, 0.0), 1e20);
    EXPECT_EQ(F(3, 1e5, -5.0), 1e20);
    EXPECT_EQ(F(3, 0.0, 3e5), 1e20);
    EXPECT_EQ(F(8, -3e5, 7000.0), 1e20);
    EXPECT_EQ(F(9, -1.0, 7000.0), 1e20);
    EXPECT_EQ(F(24, 1e5, 0.0), 1e20);
}

TEST_F(GasPlugin, NegativeConstantKeepsTheCaseConstantsFromTheEntry) {
    // No set-up code is sent; the entry started from cyld__R and cyld__k.
    ASSERT_EQ(load(block(), "flxb.dll", 300.0, 1.3, -1.0), 0);
    EXPECT_EQ(F(32, 1e5, 3e5), 300.0);
    EXPECT_EQ(F(5, 1e5, 3e5), 1.3);
}

TEST_F(GasPlugin, Fluid3IsTheGasOfR134a) {
    set_text(block()->ModelBase, kPlugins);
    block()->cyld_fluid = 3;
    ASSERT_EQ(InitFluid(0.0), 0);
    EXPECT_STREQ(block()->fluidName, "flxb.dll");
    EXPECT_EQ(getFluid(32, 1e5, 3e5, 0.0, 0), 78.0);
    EXPECT_EQ(getFluid(5, 1e5, 3e5, 0.0, 0), 1.065);
}

TEST_F(GasPlugin, Fluid0IsAirWithTheCaseConstants) {
    set_text(block()->ModelBase, kPlugins);
    block()->cyld_fluid = 0;
    ASSERT_EQ(InitFluid(0.0), 0);
    EXPECT_EQ(getFluid(32, 1e5, 3e5, 0.0, 0), 287.5);
    EXPECT_EQ(getFluid(5, 1e5, 3e5, 0.0, 0), 1.4);
}

TEST_F(GasPlugin, CoolingFallbackAnswersWithTheMainState) {
    ASSERT_EQ(load(block(), "flxb.dll", 300.0, 1.3), 0);
    block()->cyld_fluid = block()->cyld_cfluid = 0;
    ASSERT_EQ(InitcFluid(0.0), 0);
    ASSERT_EQ(block()->cfluid_func, block()->fluid_func);
    EXPECT_EQ(block()->cfluid_func(H2_FLUID_R_PI, 1e5, 3e5, 0.0, 1), 300.0);
    EXPECT_EQ(block()->cfluid_func(H2_FLUID_KAPPA_PI, 1e5, 3e5, 0.0, 1), 1.3);
}

TEST_F(GasPlugin, CoolingFallbackOverwritesAnEarlierCoolingState) {
    // The plug-in learns the cooling slot from a cooling fluid of its own ...
    ASSERT_EQ(load(block(), "flxb.dll", 300.0, 1.3), 0);
    set_text(block()->cfluidName, "flxb.dll");
    block()->cyld_cR = 100.0;
    block()->cyld_ck = 1.2;
    block()->cyld_fluid = 0;
    block()->cyld_cfluid = 1;
    ASSERT_EQ(InitcFluid(0.0), 0);
    EXPECT_EQ(block()->cfluid_func(H2_FLUID_R_PI, 1e5, 3e5, 0.0, 1), 100.0);
    EXPECT_EQ(block()->fluid_func(H2_FLUID_R_PI, 1e5, 3e5, 0.0, 0), 300.0);
    // ... and an equal number then gives selector 1 the main fluid's state.
    block()->cyld_cfluid = 0;
    ASSERT_EQ(InitcFluid(0.0), 0);
    EXPECT_EQ(block()->cfluid_func(H2_FLUID_R_PI, 1e5, 3e5, 0.0, 1), 300.0);
    EXPECT_EQ(block()->cfluid_func(H2_FLUID_KAPPA_PI, 1e5, 3e5, 0.0, 1), 1.3);
}

TEST_F(GasPlugin, CoolingFluidKeepsItsOwnState) {
    ASSERT_EQ(load(block(), "flxb.dll", 300.0, 1.3), 0);
    set_text(block()->cfluidName, "flxb.dll");
    block()->cyld_cR = 250.0;
    block()->cyld_ck = 1.35;
    block()->cyld_cfluid = 2;
    ASSERT_EQ(InitcFluid(0.0), 0);
    EXPECT_EQ(block()->cfluid_func(H2_FLUID_R_PI, 1e5, 3e5, 0.0, 1), 250.0);
    EXPECT_EQ(block()->fluid_func(H2_FLUID_R_PI, 1e5, 3e5, 0.0, 0), 300.0);
    // getFluid passes the selector on: 1 reads the cooling state.
    EXPECT_EQ(getFluid(32, 1e5, 3e5, 0.0, 1), 250.0);
}

TEST_F(GasPlugin, TwoThreadsWithDifferentRHoldDifferentStates) {
    std::barrier both(2);
    std::atomic<int> failures{0};
    auto run = [&](double R, double k) {
        bdLocals* b = binit();
        if (b == nullptr || load(b, "flxb.dll", R, k) != 0) {
            ++failures;
            both.arrive_and_wait();
            both.arrive_and_wait();
            return;
        }
        both.arrive_and_wait();  // both threads have set their fluid up
        for (int n = 0; n < 1000; ++n) {
            if (getFluid(32, 1e5, 3e5, 0.0, 0) != R) ++failures;
            if (getFluid(5, 1e5, 3e5, 0.0, 0) != k) ++failures;
            const double T = 350.0 + n;
            const double i = getFluid(30, 2e5, T, 0.0, 0);
            if (std::fabs(i - k * R / (k - 1.0) * T) > 1e-9 * i) ++failures;
        }
        both.arrive_and_wait();
        bterm();
    };
    std::thread a(run, 287.05, 1.4);
    std::thread b(run, 188.9, 1.29);
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);
}

TEST_F(GasPlugin, AThreadThatNeverSetTheFluidUpGetsNoAnswer) {
    ASSERT_EQ(load(block(), "flxb.dll", 300.0, 1.3), 0);
    bdLocals* shared = block();
    double R = 0.0;
    std::thread t([&] {
        bdLocals* own = binit();  // fresh, zero-filled fluid blocks
        set_bdLocals(shared);
        R = getFluid(32, 1e5, 3e5, 0.0, 0);
        set_bdLocals(own);
        bterm();
    });
    t.join();
    EXPECT_EQ(R, 1e20);
    EXPECT_EQ(getFluid(32, 1e5, 3e5, 0.0, 0), 300.0);
}

class NoFluidBlocks : public h2::test::CaseTest {};

TEST_F(NoFluidBlocks, EntryRefusesWithoutABlock) {
    // set_bdLocals alone gives the thread no fluidLocals blocks.
    EXPECT_EQ(load(block(), "flxb.dll", 287.5, 1.4), -1);
    EXPECT_EQ(load(block(), "flxu.dll", 0.0, 0.0), -1);
}

// ---- Incompressible liquid -----------------------------------------------------------

class LiquidPlugin : public h2::test::LiveCaseTest {
protected:
    double F(int code, double a, double b) { return block()->fluid_func(code, a, b, 0.0, 0); }
};

TEST_F(LiquidPlugin, HostDefaultsGiveWater) {
    ASSERT_EQ(load(block(), "flxu.dll", 0.0, 0.0), 0);
    const double p = 3e5, T = 293.15;
    const double i = F(30, p, T);
    expect_rel(i, 4000.0 * T + (p - 1e5) / 1000.0);
    expect_rel(F(1, p, i), T);
    EXPECT_EQ(F(2, p, i), 1000.0);
    EXPECT_EQ(F(3, p, i), 0.0);  // no entropy: the incompressible branches
    EXPECT_EQ(F(31, p, i), 4000.0);
    EXPECT_LT(F(0, p, i), 0.0);
    for (int code : {4, 5}) EXPECT_EQ(F(code, p, i), 1e20) << code;  // infinite
    for (int code : {11, 12, 24, 25, 32, 82, 7, 99}) EXPECT_EQ(F(code, p, i), 1e20) << code;
    EXPECT_EQ(F(1004, 0.0, 0.0), 0.0);
}

TEST_F(LiquidPlugin, CodesEightAndNineFollowTheReferenceIsotherm) {
    ASSERT_EQ(load(block(), "flxu.dll", 850.0, 2000.0), 0);
    const double p = 7e5;
    const double i = F(9, p, 0.0);
    expect_rel(i, 2000.0 * 273.15 + (p - 1e5) / 850.0);
    expect_rel(F(8, i, 0.0), p);
    expect_rel(F(1, p, i), 273.15);
    // Bernoulli: a drop of enthalpy w^2/2 is a drop of pressure rho w^2/2.
    const double w = 12.0;
    expect_rel(F(8, i - w * w / 2.0, 0.0), p - 850.0 * w * w / 2.0);
}

TEST_F(LiquidPlugin, SetUpChecksDensityAndHeatCapacity) {
    ASSERT_EQ(load(block(), "flxu.dll", 0.0, 0.0), 0);
    EXPECT_LT(F(1001, 0.0, 4000.0), 0.0);
    EXPECT_LT(F(1001, 1000.0, -1.0), 0.0);
    EXPECT_LT(F(1001, kNaN, 4000.0), 0.0);
    EXPECT_EQ(F(1001, 800.0, 2000.0), 0.0);
    EXPECT_EQ(F(2, 1e5, 0.0), 800.0);
    EXPECT_EQ(load(block(), "flxu.dll", -3.0, 0.0), -1);
}

}  // namespace
