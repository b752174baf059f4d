#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "halvorine2/case_file.h"
#include "halvorine2/fluid_plugin.h"
#include "tests/support/case_fixture.h"

namespace {

constexpr double kRad = 0.01745329;

// Air as a calorically perfect gas: h = cp T, s from the Gibbs relation.
constexpr double kR = 287.5;
constexpr double kCp = 3.5 * kR;
constexpr double kTref = 273.15;
constexpr double kPref = 1e5;
constexpr double kSoff = 10.0 * kCp;

struct Call {
    int code;
    double a, b, c;
    int fluid;
};
std::vector<Call> g_calls;

double gas(int code, double a, double b, double c, int fluid) {
    g_calls.push_back({code, a, b, c, fluid});
    if (code == H2_FLUID_S_PI) return kCp * std::log(b / (kCp * kTref)) - kR * std::log(a / kPref) + kSoff;
    if (code == H2_FLUID_I_PS) return kCp * kTref * std::exp((b - kSoff + kR * std::log(a / kPref)) / kCp);
    return 1e20;
}

// A liquid: no entropy, enthalpy rising with pressure at 1000 kg/m3.
double liquid(int code, double a, double, double, int) {
    if (code == H2_FLUID_S_PI) return 0.0;
    if (code == H2_FLUID_I_PS) return 1.2e6 + a / 1000.0;
    return 1e20;
}

double failing(int, double, double, double, int) { return 1e20; }

constexpr double kP0 = 400000.0;
constexpr double kI0 = kCp * 1000.0;
constexpr double kP2 = 200000.0;

// Isentropic velocity of the whole expansion divided into n parts.
double isentropic_velocity(int n) {
    const double i2s = kI0 * std::pow(kP2 / kP0, kR / kCp);
    return std::sqrt(2.0 * (kI0 - i2s) / n);
}

struct Element {
    int kind = 0;
    int flagA = 0;
    int flagB = 0;
    double angle = 0.0;
    double x = 0.0;
    double r = 0.0;
};

class InitialGuess : public h2::test::LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        block()->fluid_func = gas;
        g_calls.clear();
    }

    // Runs defGuess on a path whose element 0 is the inlet; v starts at -7 everywhere.
    int guess(const std::vector<Element>& path, int skipCorr = 0, int full = 0, int n = 1, double p0 = kP0,
              double i0 = kI0, double p2 = kP2) {
        flagA_.clear();
        kind_.clear();
        flagB_.clear();
        angle_.clear();
        x_.clear();
        r_.clear();
        for (const auto& e : path) {
            flagA_.push_back(e.flagA);
            kind_.push_back(e.kind);
            flagB_.push_back(e.flagB);
            angle_.push_back(e.angle);
            x_.push_back(e.x);
            r_.push_back(e.r);
        }
        v_.assign(path.size(), -7.0);
        return defGuess(skipCorr, full, 0x5a5a5a5a, n, static_cast<int>(path.size()), p0, i0, p2,
                        flagA_.data(), kind_.data(), flagB_.data(), angle_.data(), x_.data(), r_.data(),
                        v_.data());
    }
    bool untouched() const {
        for (double v : v_)
            if (v != -7.0) return false;
        return true;
    }

    std::vector<int> flagA_, kind_, flagB_;
    std::vector<double> angle_, x_, r_, v_;
};

const Element kInlet{};

TEST_F(InitialGuess, AZeroPressureOrEnthalpyWritesNothing) {
    const std::vector<Element> path = {kInlet, Element{.kind = 1, .flagB = 1, .angle = 20}};
    EXPECT_EQ(guess(path, 0, 0, 1, kP0, kI0, 0.0), 1);
    EXPECT_TRUE(untouched());
    EXPECT_EQ(guess(path, 0, 0, 1, 0.0, kI0, kP2), 1);
    EXPECT_TRUE(untouched());
    EXPECT_EQ(guess(path, 0, 0, 1, kP0, 0.0, kP2), 1);
    EXPECT_TRUE(untouched());
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(InitialGuess, GuardsWriteNothing) {
    const std::vector<Element> path = {kInlet, Element{.kind = 1, .flagB = 1, .angle = 20, .r = 2}};
    EXPECT_EQ(guess(path, 0, 0, 0), 1);
    EXPECT_TRUE(untouched());
    EXPECT_EQ(guess(path, 0, 0, -2), 1);
    EXPECT_TRUE(untouched());

    // A reaction factor 1 - 1/r of zero would divide by zero.
    EXPECT_EQ(guess({kInlet, Element{.kind = 1, .r = 1.0}}), 1);
    EXPECT_TRUE(untouched());
    EXPECT_EQ(guess({kInlet, Element{.kind = 1, .r = 0.0}}), 1);
    EXPECT_TRUE(untouched());
    // ... but a row that takes no correction may have any r.
    EXPECT_EQ(guess({kInlet, Element{.kind = 1, .r = 1.0}}, 1), 0);

    block()->fluid_func = failing;
    EXPECT_EQ(guess(path), 1);
    EXPECT_TRUE(untouched());

    block()->fluid_func = nullptr;
    EXPECT_EQ(guess(path), 1);
    EXPECT_TRUE(untouched());

    double v[2] = {-7.0, -7.0};
    const int ints[2] = {0, 1};
    const double reals[2] = {0.0, 2.0};
    block()->fluid_func = gas;
    EXPECT_EQ(defGuess(0, 0, 0, 1, 0, kP0, kI0, kP2, ints, ints, ints, reals, reals, reals, v), 1);
    EXPECT_EQ(defGuess(0, 0, 0, 1, 2, kP0, kI0, kP2, ints, nullptr, ints, reals, reals, reals, v), 1);
    EXPECT_EQ(defGuess(0, 0, 0, 1, 2, kP0, kI0, kP2, ints, ints, ints, reals, reals, reals, nullptr), 1);
    EXPECT_EQ(v[0], -7.0);
    EXPECT_EQ(v[1], -7.0);
}

TEST_F(InitialGuess, NoCurrentCase) {
    double v[1] = {-7.0};
    int result = 0;
    std::thread([&] {
        result =
            defGuess(0, 0, 0, 1, 1, kP0, kI0, kP2, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, v);
    }).join();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(v[0], -7.0);
}

TEST_F(InitialGuess, TheFluidIsAskedForTheIsentropicEndState) {
    const double s0 = gas(3, kP0, kI0, 0.0, 0);
    g_calls.clear();
    ASSERT_EQ(guess({kInlet}), 0);
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0].code, 3);
    EXPECT_EQ(g_calls[0].a, kP0);
    EXPECT_EQ(g_calls[0].b, kI0);
    EXPECT_EQ(g_calls[0].c, 0.0);
    EXPECT_EQ(g_calls[0].fluid, 0);
    EXPECT_EQ(g_calls[1].code, 9);
    EXPECT_EQ(g_calls[1].a, kP2);
    EXPECT_EQ(g_calls[1].b, s0);
    EXPECT_EQ(g_calls[1].fluid, 0);
    EXPECT_EQ(v_[0], 0.0);  // a path of one element: only the inlet, set to 0
}

TEST_F(InitialGuess, InletVoluteAndDuctAtFullVelocity) {
    ASSERT_EQ(guess({kInlet, Element{.kind = 5, .angle = 30}, Element{.kind = 0, .angle = 70}}, 0, 1), 0);
    const double c = isentropic_velocity(1);
    EXPECT_NEAR(v_[1], c, 1e-9 * c);
    EXPECT_NEAR(v_[0], std::sin(kRad * 30) * c, 1e-9 * c);
    EXPECT_EQ(v_[2], v_[1]);
}

TEST_F(InitialGuess, BladeRows) {
    struct Case {
        const char* what;
        Element row;
        int skipCorr, full;
        double fraction;  // of the isentropic velocity
        bool sets_inlet;
    };
    const Case cases[] = {
        {"flagB 0, corrected", {.kind = 1, .angle = 20, .r = 2}, 0, 0, 0.8 / 0.5, false},
        {"flagB 0, skipCorr", {.kind = 1, .angle = 20, .r = 2}, 1, 0, 0.8, false},
        {"flagB 0, full", {.kind = 1, .angle = 20, .r = 2}, 0, 1, 1.0, false},
        {"flagB 1, corrected", {.kind = 1, .flagB = 1, .angle = 20, .r = 2}, 0, 0, 0.65 * 0.5, true},
        {"flagB 1, skipCorr", {.kind = 1, .flagB = 1, .angle = 20, .r = 2}, 1, 0, 0.65, true},
        {"flagB 1, full", {.kind = 1, .flagB = 1, .angle = 20, .r = 2}, 0, 1, 1.0, true},
        {"flagA 1 and x > 1 whatever full",
         {.kind = 1, .flagA = 1, .flagB = 1, .angle = 20, .x = 1.2, .r = 1},
         0,
         1,
         0.65,
         true},
        {"flagA 1 and x = 1: no correction",
         {.kind = 1, .flagA = 1, .flagB = 1, .angle = 20, .x = 1.0, .r = 1},
         0,
         0,
         0.65,
         true},
    };
    const int n = 3;
    const double c = isentropic_velocity(n);
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        ASSERT_EQ(guess({kInlet, k.row}, k.skipCorr, k.full, n), 0);
        EXPECT_NEAR(v_[1], k.fraction * c, 1e-9 * c);
        EXPECT_NEAR(v_[0], k.sets_inlet ? std::sin(kRad * 20) * v_[1] : 0.0, 1e-9 * c);
    }
}

TEST_F(InitialGuess, ARowWithFlagAAndLargeXFollowsTheRowBefore) {
    const std::vector<Element> path = {
        kInlet,
        Element{.kind = 1, .flagA = 1, .flagB = 1, .angle = 20, .x = 1.2},
        Element{.kind = 1, .flagA = 1, .angle = 70, .x = 1.5},
    };
    ASSERT_EQ(guess(path), 0);
    const double c = isentropic_velocity(1);
    EXPECT_NEAR(v_[1], 0.65 * c, 1e-9 * c);
    EXPECT_NEAR(v_[2], std::sin(kRad * 20) * v_[1], 1e-9 * c);
}

TEST_F(InitialGuess, ElementsThatCarryTheVelocityOn) {
    const std::vector<Element> path = {
        kInlet,
        Element{.kind = 1, .flagB = 1, .angle = 25},  // c at full velocity
        Element{.kind = 0, .angle = 80},              // after a blade row: its axial part
        Element{.kind = 6, .angle = 80},              // deswirler: the same
        Element{.kind = 9, .angle = 80},              // L-bend: the same
        Element{.kind = 3, .angle = 80},              // U-bend after a bend: the same
        Element{.kind = 4, .angle = 80},              // outlet volute: a fixed velocity
    };
    ASSERT_EQ(guess(path, 0, 1), 0);
    const double c = isentropic_velocity(1);
    const double axial = std::sin(kRad * 25) * c;
    EXPECT_NEAR(v_[0], axial, 1e-9 * c);
    EXPECT_NEAR(v_[1], c, 1e-9 * c);
    for (int i = 2; i <= 5; ++i) EXPECT_NEAR(v_[i], axial, 1e-9 * c) << i;
    EXPECT_EQ(v_[6], 50.0);
}

TEST_F(InitialGuess, AnOutletVoluteOfALiquid) {
    block()->fluid_func = liquid;
    const double i0 = 1.2e6 + kP0 / 1000.0;
    ASSERT_EQ(guess({kInlet, Element{.kind = 4}}, 0, 0, 1, kP0, i0, kP2), 0);
    EXPECT_EQ(v_[1], 10.0);
    EXPECT_EQ(v_[0], 0.0);
}

TEST_F(InitialGuess, AnOtherElementFirstGivesTheInletItsVelocity) {
    const std::vector<Element> path = {kInlet, Element{.kind = 5, .angle = 90}, Element{.kind = 2}};
    ASSERT_EQ(guess(path), 0);
    const double c = isentropic_velocity(1);
    EXPECT_NEAR(v_[1], 0.8 * c, 1e-9 * c);
    EXPECT_NEAR(v_[0], v_[1], 1e-9 * c);  // sin(90°) is 1 to the precision of the factor
    EXPECT_EQ(v_[2], v_[1]);
}

TEST_F(InitialGuess, ZeroVelocitiesTakeThePreviousOne) {
    const std::vector<Element> path = {
        kInlet, Element{.kind = 1, .flagA = 1, .angle = 10, .x = 2.0},  // follows the inlet, still 0
        Element{.kind = 5, .angle = 40},                                // gives the inlet its velocity
    };
    ASSERT_EQ(guess(path), 0);
    const double c = isentropic_velocity(1);
    EXPECT_NEAR(v_[2], 0.8 * c, 1e-9 * c);
    EXPECT_NEAR(v_[0], std::sin(kRad * 40) * v_[2], 1e-9 * c);
    EXPECT_EQ(v_[1], v_[0]);
}

}  // namespace
