// The real-fluid plug-ins flxs (steam, IF97) and flxg, flxk, flxm (combustion
// gases), loaded through the host from build/plugins and asked through their
// property codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <barrier>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/fluids.h"
#include "plugins/fluids/if97.h"
#include "tests/support/case_fixture.h"

namespace {

const std::string kPlugins = H2_PLUGIN_DIR;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNo = 1e20;

template <std::size_t N>
void set_text(char (&field)[N], const std::string& text) {
    ASSERT_LT(text.size(), N);
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), text.size());
}

int load(bdLocals* b, const char* name, double af = 0.0) {
    set_text(b->ModelBase, kPlugins);
    set_text(b->fluidName, name);
    return InitFluid(af);
}

class Steam : public h2::test::LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        ASSERT_EQ(load(block(), "flxs.dll"), 0);
    }
    double F(int code, double a, double b, double c = 0.0) { return block()->fluid_func(code, a, b, c, 0); }
};

// ---- IF97 verification points through the codes ---------------------------------------

TEST_F(Steam, CodesReproduceTheVerificationTables) {
    // Region 1, 300 K and 3 MPa.
    double h = F(30, 3e6, 300);
    EXPECT_NEAR(h, 115331.273, 0.0005);
    EXPECT_NEAR(F(3, 3e6, h), 392.294792, 0.0000005);
    EXPECT_NEAR(F(4, 3e6, h), 1507.73921, 0.000005);
    EXPECT_NEAR(F(1, 3e6, h), 300.0, 1e-10);
    EXPECT_NEAR(F(2, 3e6, h), 1.0 / 0.100215168e-2, 0.0000005 / 0.100215168e-2 * 1e3);
    // Region 2, 300 K and 3.5 kPa; 700 K and 30 MPa.
    EXPECT_NEAR(F(30, 3500, 300), 2549911.45, 0.005);
    EXPECT_NEAR(F(4, 30e6, F(30, 30e6, 700)), 480.386523, 0.0000005);
    // Region 3, 500 kg/m^3 and 650 K: p from (rho, h), then (p, T) back to h.
    EXPECT_NEAR(F(82, 500, 1863430.19), 25.5837018e6, 0.05 + 1e-9 * 25.6e6);
    EXPECT_NEAR(F(30, 25.5837018e6, 650), 1863430.19, 0.01);
    EXPECT_NEAR(F(2, 25.5837018e6, 1863430.19), 500.0, 1e-6);
    // Region 5, 1500 K and 0.5 MPa.
    EXPECT_NEAR(F(3, 0.5e6, F(30, 0.5e6, 1500)), 9654.08875, 0.000005);
    // Saturation: T_s(1 MPa) is the temperature of any wet state at 1 MPa.
    EXPECT_NEAR(F(1, 1e6, 2e6), 453.035632, 0.0000005);
    EXPECT_NEAR(F(1, 3536.58941, 1.5e6), 300.0, 1e-6);
    EXPECT_EQ(F(32, 1e5, 3e6), 461.526);
}

TEST_F(Steam, WetStatesThroughTheCodes) {
    const double h = 2449198.325;  // 0.1 MPa, x = 0.9
    EXPECT_NEAR(F(0, 0.1e6, h, 0.0), 0.9, 1e-9);
    EXPECT_NEAR(F(1, 0.1e6, h), 372.755919, 0.0000005);
    EXPECT_NEAR(F(3, 0.1e6, h), 6753.18199, 0.000005);
    EXPECT_NEAR(F(2, 0.1e6, h), 0.65585615, 0.000000005);
    EXPECT_NEAR(F(4, 0.1e6, h), 414.9393, 0.00005);
    const double a = F(4, 0.1e6, h);
    EXPECT_NEAR(F(5, 0.1e6, h), a * a * F(2, 0.1e6, h) / 0.1e6, 1e-12);
    EXPECT_LT(F(5, 0.1e6, 0.5e6), 1.0);  // kappa below 1 at low dryness
    // 18 MPa, x = 0.3: both phases from region 3.
    EXPECT_NEAR(F(2, 18e6, 1965275.263), 282.70586, 0.000005);
    EXPECT_NEAR(F(0, 18e6, 1965275.263), 0.3, 1e-9);
    // Saturated enthalpies; the dryness of their mixture.
    const double hv = F(11, 1e6, 1e6), hl = F(12, 1e6, 1e6);
    EXPECT_NEAR(hv, 2777119.54, 0.005);
    EXPECT_NEAR(hl, 762682.84, 0.005);
    EXPECT_EQ(F(11, 1e6, 0.0), hv);  // b is ignored
    EXPECT_NEAR(F(0, 1e6, hl + 0.25 * (hv - hl)), 0.25, 1e-12);
    // Dry states read -1; superheated and subcooled alike.
    EXPECT_EQ(F(0, 1e6, 3e6), -1.0);
    EXPECT_EQ(F(0, 1e6, 5e5), -1.0);
    // Wet cp mixes the phases' values.
    const double cpl = F(31, 1e6, hl - 1e-6), cpv = F(31, 1e6, hv + 1e-6);
    EXPECT_NEAR(F(31, 1e6, hl + 0.4 * (hv - hl)), 0.4 * cpv + 0.6 * cpl, 1e-6 * cpv);
}

TEST_F(Steam, WetTransportMixesThePhases) {
    const double p = 0.5e6;
    const double hv = F(11, p, p), hl = F(12, p, p);
    const double x = 0.7, h = hl + x * (hv - hl);
    const double mul = F(24, p, hl) * F(2, p, hl), muv = F(24, p, hv) * F(2, p, hv);
    EXPECT_NEAR(F(24, p, h) * F(2, p, h), 1.0 / (x / muv + (1.0 - x) / mul), 1e-9 * muv);
    EXPECT_NEAR(F(25, p, h), x * F(25, p, hv) + (1.0 - x) * F(25, p, hl), 1e-9);
}

TEST_F(Steam, TransportThroughTheCodes) {
    // Conductivity, industrial formulation table (mW/(m K)).
    EXPECT_NEAR(F(25, 20e6, F(30, 20e6, 620)) * 1e3, 481.485195, 0.0000005);
    EXPECT_NEAR(F(25, 0.3e6, F(30, 0.3e6, 650)) * 1e3, 52.2311024, 0.00000005);
    EXPECT_NEAR(F(25, 50e6, F(30, 50e6, 800)) * 1e3, 177.709914, 0.0000005);
}

TEST_F(Steam, InversesRoundTripThroughTheCodes) {
    struct PT {
        double p, T;
    };
    for (const PT& c :
         {PT{3e6, 300}, PT{1e4, 320}, PT{30e6, 700}, PT{25e6, 650}, PT{10e6, 773.15}, PT{0.5e6, 1500}}) {
        const double h = F(30, c.p, c.T);
        const double s = F(3, c.p, h);
        const double rho = F(2, c.p, h);
        EXPECT_NEAR(F(1, c.p, h), c.T, 1e-12 * c.T);
        EXPECT_NEAR(F(8, h, s), c.p, 1e-12 * c.p);
        EXPECT_NEAR(F(9, c.p, s), h, 1e-12 * std::fabs(h));
        EXPECT_NEAR(F(82, rho, h), c.p, 1e-12 * c.p);
    }
    // Wet: 10 kPa, x = 0.95.
    const double p = 1e4, h = F(12, p, p) + 0.95 * (F(11, p, p) - F(12, p, p));
    const double s = F(3, p, h);
    EXPECT_NEAR(F(8, h, s), p, 1e-12 * p);
    EXPECT_NEAR(F(9, p, s), h, 1e-12 * h);
    EXPECT_NEAR(F(82, F(2, p, h), h), p, 1e-11 * p);
}

TEST_F(Steam, OutOfRangeAnswersTheFailureValue) {
    for (int code : {1, 2, 3, 4, 5, 24, 25, 31}) {
        EXPECT_EQ(F(code, 50, 2.4e6), kNo) << code;   // colder than 273.15 K
        EXPECT_EQ(F(code, 150e6, 1e6), kNo) << code;  // above 100 MPa
        EXPECT_EQ(F(code, 0.0, 2e6), kNo) << code;    // p = 0
        EXPECT_EQ(F(code, -1e5, 2e6), kNo) << code;
        EXPECT_EQ(F(code, kNaN, 2e6), kNo) << code;
        EXPECT_EQ(F(code, 1e5, kInf), kNo) << code;
    }
    EXPECT_EQ(F(0, 50, 2.4e6), -1.0);
    EXPECT_EQ(F(0, kNaN, 2e6), -1.0);
    EXPECT_EQ(F(0, 0.0, 2e6), -1.0);
    EXPECT_EQ(F(30, 1e6, 2500), kNo);
    EXPECT_EQ(F(30, 60e6, 1500), kNo);
    EXPECT_EQ(F(30, 1e6, kNaN), kNo);
    EXPECT_EQ(F(8, 2e6, kNaN), kNo);
    // (h, s) whose isentrope meets h only below the triple-point pressure: the
    // pressure search closes on 611.213 Pa there, which is no answer.
    for (double h : {1.96e6, 1.7e6, 1.2e6, 0.46e6}) {
        EXPECT_EQ(F(8, h, 7773.9), kNo) << h;
        EXPECT_EQ(F(1, F(8, h, 7773.9), h), kNo) << h;
    }
    EXPECT_EQ(F(9, 0.0, 6e3), kNo);
    EXPECT_EQ(F(82, 0.0, 2e6), kNo);
    EXPECT_EQ(F(82, -1.0, 2e6), kNo);
    EXPECT_EQ(F(11, 600, 0.0), kNo);  // below the triple pressure
    EXPECT_EQ(F(12, 600, 0.0), kNo);
    // Above the critical pressure both saturated enthalpies are the critical one.
    EXPECT_EQ(F(11, 25e6, 25e6), F(12, 25e6, 25e6));
    EXPECT_NEAR(F(11, 25e6, 25e6), 2087546.845, 1e-3);
    // Continuous at the critical point: the phases close in on it from both sides.
    const double near = 22.0639e6;
    EXPECT_GT(F(11, near, 0.0), 2087546.845);
    EXPECT_LT(F(12, near, 0.0), 2087546.845);
    EXPECT_NEAR(F(11, near, 0.0), F(12, near, 0.0), 0.01 * 2087546.845);
    EXPECT_EQ(F(77, 1e5, 2e6), kNo);  // no such code
}

TEST_F(Steam, SetUpCodesChangeNothing) {
    const double h = F(30, 1e6, 500);
    EXPECT_EQ(F(1000, 273.15, 1e5), 0.0);
    EXPECT_EQ(F(1001, 287.5, 1.4), 0.0);
    EXPECT_EQ(F(1001, kNaN, -3.0), 0.0);
    EXPECT_EQ(F(1002, 1e6, 0.0), 0.0);
    EXPECT_EQ(F(1003, 0.0, 0.0), 0.0);
    EXPECT_EQ(F(1004, 0.0, 0.0), 0.0);
    EXPECT_EQ(F(30, 1e6, 500), h);
}

TEST_F(Steam, FluidNumberTwoLoadsItWithoutAName) {
    set_text(block()->fluidName, "");
    block()->cyld_fluid = 2;
    block()->cyld_cfluid = 2;
    ASSERT_EQ(InitFluid(0.0), 0);
    EXPECT_STREQ(block()->fluidName, "flxs.dll");
    EXPECT_NEAR(getFluid(30, 3e6, 300, 0.0, 0), 115331.273, 0.0005);
}

// ---- Combustion gases --------------------------------------------------------------------

class Gas : public h2::test::LiveCaseTest {
protected:
    double F(int code, double a, double b, double c) { return block()->fluid_func(code, a, b, c, 0); }
};

TEST_F(Gas, DryAirHasItsGasConstant) {
    for (const char* name : {"flxg.dll", "flxk.dll", "flxm.dll"}) {
        ASSERT_EQ(load(block(), name), 0) << name;
        EXPECT_NEAR(F(32, 1e5, 3e5, 0.0), 287.045010, 0.0000005) << name;
        EXPECT_EQ(F(32, 1e5, 3e5, kInf), F(32, 1e5, 3e5, 0.0)) << name;
    }
}

TEST_F(Gas, MethaneWithThreeTimesItsAir) {
    ASSERT_EQ(load(block(), "flxm.dll", 3.0), 0);
    const double c = 3.0;
    EXPECT_NEAR(F(32, 1e5, 1e6, c), 291.430844, 0.0000005);
    const double h1500 = F(30, 1e5, 1500, c), h500 = F(30, 1e5, 500, c);
    EXPECT_NEAR(h1500 - h500, 1190310.23, 0.005);
    const double s = F(3, 1e5, h1500, c);
    EXPECT_NEAR(s, 8856.0495, 0.00005);
    const double h2 = F(9, 1e4, s, c);
    EXPECT_NEAR(F(1, 1e4, h2, c), 868.0349, 0.00005);
    EXPECT_NEAR(F(8, h1500, s, c), 1e5, 1e-12 * 1e5);
    EXPECT_NEAR(F(8, h2, s, c), 1e4, 1e-12 * 1e4);
    EXPECT_NEAR(F(1, 1e5, h1500, c), 1500.0, 1e-12 * 1500);
    const double R = F(32, 1e5, h1500, c);
    EXPECT_NEAR(F(2, 2e5, h1500, c), 2e5 / (R * 1500), 1e-12);
    EXPECT_NEAR(F(82, F(2, 2e5, h1500, c), h1500, c), 2e5, 1e-9);
}

TEST_F(Gas, IdealGasRelationsHoldAcrossTheRanges) {
    for (const char* name : {"flxg.dll", "flxk.dll", "flxm.dll"}) {
        ASSERT_EQ(load(block(), name), 0);
        for (double c : {0.0, 1.0, 2.5}) {
            for (double T : {100.0, 250.0, 999.0, 1001.0, 3000.0}) {
                const double p = 3e5, h = F(30, p, T, c);
                const double R = F(32, p, h, c), cp = F(31, p, h, c);
                const double kappa = F(5, p, h, c);
                EXPECT_NEAR(kappa, cp / (cp - R), 1e-12);
                const double a = F(4, p, h, c);
                EXPECT_NEAR(a * a, kappa * R * T, 1e-9 * a * a);
                // cp is the slope of h(T); s follows the Gibbs relation ds = cp dT/T - R dp/p.
                const double d = 1e-3;
                EXPECT_NEAR((F(30, p, T + d, c) - F(30, p, T - d, c)) / (2 * d), cp, 1e-6 * cp) << T;
                const double ds = F(3, 2 * p, F(30, 2 * p, T, c), c) - F(3, p, h, c);
                EXPECT_NEAR(ds, -R * std::log(2.0), 1e-9) << T;
                EXPECT_EQ(F(0, p, h, c), -1.0);
            }
            // h and s continuous at 1000 K; h(0 K) = 0 through the constant cp below 200 K.
            EXPECT_NEAR(F(30, 1e5, 1000.0 + 1e-9, c), F(30, 1e5, 1000.0 - 1e-9, c), 1e-4);
            EXPECT_NEAR(F(3, 1e5, F(30, 1e5, 1000.0 + 1e-9, c), c),
                        F(3, 1e5, F(30, 1e5, 1000.0 - 1e-9, c), c), 1e-6);
            EXPECT_NEAR(F(30, 1e5, 100.0, c), 0.5 * F(30, 1e5, 200.0, c), 1e-9);
        }
    }
}

TEST_F(Gas, RefusedCompositionsAndStates) {
    ASSERT_EQ(load(block(), "flxk.dll", 1.2), 0);
    for (double c : {0.5, -1.0, kNaN, 0.999}) {
        EXPECT_EQ(F(1001, 0.0, 0.0, c), -1.0) << c;
        for (int code : {1, 2, 3, 4, 5, 8, 9, 24, 25, 30, 31, 32, 82})
            EXPECT_EQ(F(code, 1e5, 3e5, c), kNo) << code;
    }
    EXPECT_EQ(F(1001, 0.0, 0.0, 1.0), 0.0);
    EXPECT_EQ(F(1001, 0.0, 0.0, 0.0), 0.0);
    EXPECT_EQ(F(1001, 0.0, 0.0, kInf), 0.0);
    EXPECT_EQ(F(30, 1e5, 3600, 1.0), kNo);  // above 3500 K
    EXPECT_EQ(F(1, 1e5, F(30, 1e5, 3499, 1.0) * 1.01, 1.0), kNo);
    EXPECT_EQ(F(2, 0.0, 3e5, 1.0), kNo);
    EXPECT_EQ(F(2, 1e5, -1.0, 1.0), kNo);
    EXPECT_EQ(F(3, 1e5, kNaN, 1.0), kNo);
    EXPECT_EQ(F(0, kNaN, 3e5, 1.0), -1.0);
    EXPECT_EQ(F(11, 1e5, 1e5, 1.0), 0.0);
    EXPECT_EQ(F(12, 1e5, 1e5, 1.0), 0.0);
    for (int code : {1000, 1002, 1003, 1004}) EXPECT_EQ(F(code, 0.0, 0.0, 0.0), 0.0);
}

TEST_F(Gas, FluidNumbersLoadTheFuels) {
    struct Row {
        int fluid;
        const char* name;
    };
    set_text(block()->ModelBase, kPlugins);
    for (const Row& r : {Row{1, "flxg.dll"}, Row{4, "flxk.dll"}, Row{5, "flxm.dll"}}) {
        set_text(block()->fluidName, "");
        block()->fluid_func = nullptr;
        block()->cyld_fluid = r.fluid;
        ASSERT_EQ(InitFluid(2.0), 0);
        EXPECT_STREQ(block()->fluidName, r.name);
        ASSERT_NE(block()->fluid_func, nullptr);
        // The products' gas constant approaches air's as the excess air grows.
        const double air = getFluid(32, 1e5, 3e5, 0.0, 0);
        const double d1 = std::fabs(getFluid(32, 1e5, 3e5, 1.0, 0) - air);
        const double d2 = std::fabs(getFluid(32, 1e5, 3e5, 2.0, 0) - air);
        EXPECT_GT(d1, d2);
        EXPECT_GT(d2, 0.0);
        EXPECT_NEAR(getFluid(32, 1e5, 3e5, 1e9, 0), getFluid(32, 1e5, 3e5, 0.0, 0), 1e-6);
    }
}

// ---- Any values: an answer or the failure value, never NaN ------------------------------------

class AnyValues : public h2::test::LiveCaseTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(AnyValues, EveryCodeAnswersFiniteForWildArguments) {
    ASSERT_EQ(load(block(), GetParam(), 1.5), 0);
    const double values[] = {-1e30, -1.0, 0.0, 1e-300,   1.0, 273.15, 611.0, 650.0, 1e3,  3e3,   1e4, 1e5,
                             2e6,   3e6,  5e6, 2.2064e7, 1e8, 1.2e8,  1e12,  1e300, kInf, -kInf, kNaN};
    const double constants[] = {0.0, 1.0, 3.0, 0.5, kNaN};
    int bad = 0;
    for (int code : {0, 1, 2, 3, 4, 5, 8, 9, 11, 12, 24, 25, 30, 31, 32, 82})
        for (double a : values)
            for (double b : values)
                for (double c : constants) {
                    const double r = block()->fluid_func(code, a, b, c, 0);
                    if (!std::isfinite(r)) {
                        if (++bad < 5)
                            ADD_FAILURE() << code << " (" << a << ", " << b << ", " << c << ") -> " << r;
                    }
                }
    EXPECT_EQ(bad, 0);
}

INSTANTIATE_TEST_SUITE_P(Plugins, AnyValues,
                         ::testing::Values("flxs.dll", "flxg.dll", "flxk.dll", "flxm.dll"));

// ---- Threads: each case on its own thread gets the serial answers bit for bit --------------

struct Call {
    int code;
    double a, b, c;
};

std::vector<Call> mixed_calls(bool steam) {
    std::vector<Call> calls;
    for (int n = 0; n < 6; ++n) {
        const double c = steam ? 0.0 : (n % 3 == 0 ? 0.0 : 1.0 + 0.7 * n);  // gases switch composition
        const double p = 1e5 * (1 + n), h = steam ? 2.2e6 + 1.5e5 * n : 4e5 + 2e5 * n;
        for (int code : {1, 2, 3, 4, 5, 24, 25, 31}) calls.push_back({code, p, h, c});
        calls.push_back({9, p, steam ? 6.5e3 : 7.2e3, c});
        calls.push_back({30, p, 700.0 + 50 * n, c});
    }
    return calls;
}

std::vector<double> answers(const std::vector<Call>& calls) {
    std::vector<double> out;
    for (const Call& k : calls) out.push_back(getFluid(k.code, k.a, k.b, k.c, 0));
    return out;
}

class Threads : public h2::test::LiveCaseTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(Threads, EightCasesAnswerBitIdenticallyToSerial) {
    const std::string name = GetParam();
    const bool steam = name == "flxs.dll";
    const std::vector<Call> calls = mixed_calls(steam);
    ASSERT_EQ(load(block(), name.c_str(), 2.0), 0);
    const std::vector<double> serial = answers(calls);
    std::barrier all(8);
    std::vector<int> mismatches(8, 0);
    auto run = [&](int t) {
        bdLocals* b = binit();
        if (b == nullptr || load(b, name.c_str(), 2.0) != 0) mismatches[t] = -1;
        all.arrive_and_wait();
        for (int rep = 0; rep < 20 && mismatches[t] >= 0; ++rep) {
            const std::vector<double> got = answers(calls);
            if (std::memcmp(got.data(), serial.data(), got.size() * sizeof(double)) != 0) ++mismatches[t];
        }
        if (b != nullptr) bterm();
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < 8; ++t) pool.emplace_back(run, t);
    for (auto& t : pool) t.join();
    for (int t = 0; t < 8; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

INSTANTIATE_TEST_SUITE_P(Plugins, Threads, ::testing::Values("flxs.dll", "flxg.dll", "flxk.dll", "flxm.dll"));

// ---- Steam's one-entry (p, h) cache ---------------------------------------------------

// Random states of compressed liquid (region 1), superheated steam (region 2)
// and wet steam, each asked through every (p, h) code in a row and once more
// after a pressure of the isentrope (code 8), as the solver asks them, then
// at the same enthalpy at another pressure and at that pressure with another
// enthalpy: kCallsPerState calls a state.
constexpr std::size_t kCallsPerState = 11;
std::vector<Call> steam_states(FluidFunc f, int count) {
    std::mt19937_64 rng(31);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<Call> calls;
    double p = 0.0;
    for (int n = 0; n < count; ++n) {
        // Three states, one of each kind, at one pressure.
        if (n % 3 == 0) p = std::exp(std::log(2e3) + u(rng) * (std::log(15e6) - std::log(2e3)));
        const double hl = f(H2_FLUID_I_SAT_LIQUID, p, p, 0.0, 0), hv = f(H2_FLUID_I_SAT_VAPOUR, p, p, 0.0, 0);
        double h = 0.0;
        switch (n % 3) {
            case 0:  // liquid between 280 K and saturation
                h = f(H2_FLUID_I_PT, p, 280.0, 0.0, 0) + u(rng) * (hl - f(H2_FLUID_I_PT, p, 280.0, 0.0, 0));
                break;
            case 1:  // vapour between saturation and 900 K
                h = hv + u(rng) * (f(H2_FLUID_I_PT, p, 900.0, 0.0, 0) - hv);
                break;
            default:  // wet
                h = hl + u(rng) * (hv - hl);
        }
        for (int code : {H2_FLUID_S_PI, H2_FLUID_SOUND_PI, H2_FLUID_RHO_PI, H2_FLUID_DRYNESS, H2_FLUID_T_PI,
                         H2_FLUID_KAPPA_PI, H2_FLUID_CP_PI})
            calls.push_back({code, p, h, 0.0});
        calls.push_back({H2_FLUID_P_IS, h, 6.5e3, 0.0});
        calls.push_back({H2_FLUID_RHO_PI, p, h, 0.0});
        calls.push_back({H2_FLUID_RHO_PI, 0.9 * p, h, 0.0});  // the same enthalpy at another pressure
        calls.push_back(
            {H2_FLUID_SOUND_PI, 0.9 * p, h + 500.0, 0.0});  // the same pressure at another enthalpy
    }
    return calls;
}

std::vector<double> direct_answers(FluidFunc f, const std::vector<Call>& calls) {
    std::vector<double> out;
    out.reserve(calls.size());
    for (const Call& k : calls) out.push_back(f(k.code, k.a, k.b, k.c, 0));
    return out;
}

// A thread without a fluidLocals block asks uncached; the case's thread, and
// eight cases on threads of their own asking an eighth each all at once, ask
// through their caches: the answers agree bit for bit.
TEST_F(Steam, CachedAnswersAreBitIdenticalToUncached) {
    const FluidFunc f = block()->fluid_func;
    ASSERT_NE(f, nullptr);
    const std::vector<Call> calls = steam_states(f, 100000);
    std::vector<double> uncached;
    std::thread([&] { uncached = direct_answers(f, calls); }).join();
    int solved = 0;
    for (std::size_t k = 0; k < calls.size(); ++k)
        solved += calls[k].code == H2_FLUID_T_PI && uncached[k] < 1e19;
    EXPECT_EQ(solved, 100000);  // every state lies inside the range
    const std::vector<double> cached = direct_answers(f, calls);
    EXPECT_EQ(std::memcmp(cached.data(), uncached.data(), cached.size() * sizeof(double)), 0);
    std::barrier all(8);
    std::vector<int> mismatches(8, 0);
    auto run = [&](int t) {
        bdLocals* b = binit();
        if (b == nullptr || load(b, "flxs.dll") != 0) mismatches[t] = -1;
        all.arrive_and_wait();
        if (mismatches[t] == 0) {
            // An eighth of the states each, in whole states.
            const std::size_t states = calls.size() / kCallsPerState, first = states * t / 8 * kCallsPerState,
                              last = states * (t + 1) / 8 * kCallsPerState;
            const std::vector<Call> share(calls.begin() + first, calls.begin() + last);
            const std::vector<double> got = direct_answers(b->fluid_func, share);
            for (std::size_t k = 0; k < got.size(); ++k)
                mismatches[t] += std::memcmp(&got[k], &uncached[first + k], sizeof(double)) != 0;
        }
        if (b != nullptr) bterm();
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < 8; ++t) pool.emplace_back(run, t);
    for (auto& t : pool) t.join();
    for (int t = 0; t < 8; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

// ---- Steam's inverses against the forward equations ------------------------------------

// A state from the forward equations alone (no inversion): (p, T) in regions
// 1, 2, 3 and 5, or (p, x) on the wet side. Its h and s are what the
// inverse codes are asked with; the rest are what they must give back.
struct ForwardState {
    double p, T, h, s, rho, x;
};

std::vector<ForwardState> forward_states(int count) {
    namespace w = h2::if97;
    std::mt19937_64 rng(57);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    auto log_uniform = [&](double lo, double hi) {
        return std::exp(std::log(lo) + u(rng) * std::log(hi / lo));
    };
    std::vector<ForwardState> out;
    while (static_cast<int>(out.size()) < count) {
        const int kind = static_cast<int>(out.size() % 4);
        if (kind == 3) {  // wet, 1 kPa to 21 MPa
            const double p = log_uniform(1e3, 21e6), x = u(rng);
            w::Point pt;
            if (!w::point_px(p, x, pt)) continue;
            out.push_back({p, pt.one.T, pt.one.h, pt.one.s, 1.0 / pt.one.v, x});
            continue;
        }
        // Single phase: 274 to 1073 K up to 100 MPa, or 1080 to 2270 K up to 50 MPa.
        const bool hot = kind == 2;
        const double p = hot ? log_uniform(1e3, 50e6) : log_uniform(1e3, 100e6);
        const double T = hot ? 1080.0 + 1190.0 * u(rng) : 274.0 + 799.0 * u(rng);
        w::State st;
        if (!w::point_pT(p, T, st)) continue;
        // Within a few mK of saturation the inverse rightly finds the other
        // phase's side of rounding; such states are the wet kind's.
        if (p < w::kPc && T < w::kTc && std::fabs(T - w::T_sat(p)) < 0.01) continue;
        out.push_back({p, T, st.h, st.s, 1.0 / st.v, -1.0});
    }
    return out;
}

// Relative deviations of the plug-in's inverse answers from the forward
// states, the largest of each code over the states [first, last).
struct InverseErrors {
    double T = 0, rho = 0, s = 0, h_ps = 0, p_hs = 0, x = 0;
};

InverseErrors inverse_errors(FluidFunc f, const std::vector<ForwardState>& states, std::size_t first,
                             std::size_t last) {
    InverseErrors e;
    auto rel = [](double got, double want) { return std::fabs(got - want) / std::fabs(want); };
    for (std::size_t k = first; k < last; ++k) {
        const ForwardState& st = states[k];
        e.T = std::max(e.T, rel(f(H2_FLUID_T_PI, st.p, st.h, 0.0, 0), st.T));
        e.rho = std::max(e.rho, rel(f(H2_FLUID_RHO_PI, st.p, st.h, 0.0, 0), st.rho));
        e.s = std::max(e.s, std::fabs(f(H2_FLUID_S_PI, st.p, st.h, 0.0, 0) - st.s) / std::max(st.s, 1e3));
        e.h_ps = std::max(e.h_ps, rel(f(H2_FLUID_I_PS, st.p, st.s, 0.0, 0), st.h));
        e.p_hs = std::max(e.p_hs, rel(f(H2_FLUID_P_IS, st.h, st.s, 0.0, 0), st.p));
        const double x = f(H2_FLUID_DRYNESS, st.p, st.h, 0.0, 0);
        e.x = std::max(e.x, st.x < 0.0 ? (x < 0.0 ? 0.0 : 1.0) : std::fabs(x - st.x));
    }
    return e;
}

void expect_consistent(const InverseErrors& e, const char* where) {
    // IF97's inverses agree with its basic equations to far better than the
    // backward equations' own millikelvins: 1e-9 of each value (entropy on
    // a 1 kJ/(kg K) scale near its zero at the triple point).
    EXPECT_LE(e.T, 1e-9) << where;
    EXPECT_LE(e.rho, 1e-9) << where;
    EXPECT_LE(e.s, 1e-9) << where;
    EXPECT_LE(e.h_ps, 1e-9) << where;
    EXPECT_LE(e.p_hs, 1e-9) << where;
    EXPECT_LE(e.x, 1e-9) << where;
}

// 10^5 states asked on the case's thread, and an eighth each on eight cases
// on threads of their own asking all at once.
TEST_F(Steam, InversesAgreeWithTheForwardEquations) {
    const std::vector<ForwardState> states = forward_states(100000);
    expect_consistent(inverse_errors(block()->fluid_func, states, 0, states.size()), "serial");
    std::barrier all(8);
    std::vector<InverseErrors> errors(8);
    std::vector<int> loaded(8, 0);
    auto run = [&](int t) {
        bdLocals* b = binit();
        loaded[t] = b != nullptr && load(b, "flxs.dll") == 0;
        all.arrive_and_wait();
        if (loaded[t])
            errors[t] =
                inverse_errors(b->fluid_func, states, states.size() * t / 8, states.size() * (t + 1) / 8);
        if (b != nullptr) bterm();
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < 8; ++t) pool.emplace_back(run, t);
    for (auto& t : pool) t.join();
    for (int t = 0; t < 8; ++t) {
        EXPECT_TRUE(loaded[t]) << "thread " << t;
        expect_consistent(errors[t], ("thread " + std::to_string(t)).c_str());
    }
}

}  // namespace
