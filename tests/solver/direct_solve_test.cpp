// The direct task on the mean line against closed forms of a perfect gas:
// isentropic duct flow, the choke flow, and a loss-free turbine stage.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/halvorine2.h"
#include "reports/report_api.h"
#include "solver/solver_api.h"
#include "solver/solver_internal.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/example_stage.h"
#include "tests/support/march_only.h"
#include "tests/support/mean_line_path.h"

namespace {

constexpr double kR = 287.5;
constexpr double kK = 1.4;
constexpr double kCp = 1006.25;
constexpr double kPi = 3.14159265;

using h2::test::PathElement;
using h2::test::PathInlet;

class DirectSolve : public h2::test::LiveCaseTest {};

// Three ducts of mean diameter 0.4 m, loss-free, 12 kg/s from 2 bar and 350 K.
// Each outlet carries the flow isentropically: rho c A = G with
// T = T0 - c^2/(2 cp), rho = p0/(R T0) (T/T0)^(1/(k-1)).
TEST_F(DirectSolve, LossFreeDuctChainFollowsTheIsentropicContinuity) {
    ASSERT_TRUE(
        h2::test::make_mean_line_path({{0.4, 0.05}, {0.4, 0.04}, {0.4, 0.035}}, {2e5, 350.0, 12.0, 1.5e5}));
    bdLocals* b = block();
    ASSERT_EQ(bestXN(), 0);
    EXPECT_EQ(b->iter, 3);
    const double c[3] = {99.5550, 127.3099, 148.6584};
    const double p[3] = {190322.4, 184350.8, 178885.8};
    const double L[3] = {0.05, 0.04, 0.035};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(b->flow_c2[i][0], c[i], 1e-4 * c[i]);
        EXPECT_NEAR(b->isd_p2[i][0], p[i], 1e-4 * p[i]);
        EXPECT_NEAR(b->isd_i2x[i][0], 352187.5, 1e-9 * 352187.5);  // total enthalpy kept
        EXPECT_NEAR(b->isd_p2x[i][0], 2e5, 1e-9 * 2e5);            // loss-free: total pressure kept
        const double T = b->isd_i2[i][0] / kCp;
        EXPECT_NEAR(b->isd_p2[i][0] / 2e5, std::pow(T / 350.0, kK / (kK - 1)), 1e-9);  // isentropic
        const double A = kPi * 0.4 * L[i];
        EXPECT_NEAR(b->isd_Ro2[i][0] * b->flow_c2[i][0] * A, 12.0, 1e-4 * 12.0);  // continuity
    }
}

thread_local int outlet_pressure_calls = 0;
double counting_pressure(int code, double a, double b, double c, int which) {
    if (code == H2_FLUID_P_IS) ++outlet_pressure_calls;
    return h2::test::test_fluid_func(code, a, b, c, which);
}

class ChokeSearch : public h2::test::LiveCaseTest {
protected:
    // Element 1, a duct of outlet area 0.1 m^2, fed at rest from 1 bar and 300 K.
    void make(const h2::test::TestFluid& fluid = {}) {
        ASSERT_TRUE(h2::test::make_mean_line_path({{0.2, 0.1}, {0.2, 0.1}}, {1e5, 300.0, 1.0, 0.5e5}, fluid));
        bdLocals* b = block();
        const double h0 = kCp * 300.0;
        b->isd_i1x[1][0] = b->isd_i1wx[1][0] = h0;
        b->isd_s1[1][0] = b->fluid_func(H2_FLUID_S_PI, 1e5, h0, 1.0, H2_FLUID_MAIN);
        b->flow_r1[1][0] = b->flow_r2[1][0] = 0.1;
        b->bld_F2[1] = 0.1;
        b->los_Fp[1][0] = 1.0;
        b->cas_cosT2[1][0] = 1.0;
    }
    // The inlet static state taken as its totals (p 1 bar, rho from 300 K),
    // the flow G through a full arc, and the pressures asked counted from 0.
    void feed_at_rest(double G) {
        bdLocals* b = block();
        b->isd_Ro1[1][0] = 1e5 / (kR * 300.0);
        b->isd_p1[1][0] = b->isd_p1x[1][0] = 1e5;
        b->elem_Pa[1] = 1.0;
        b->elem_G1[1] = b->elem_G2[1] = G;
        b->fluid_func = &counting_pressure;
        outlet_pressure_calls = 0;
    }
};

// Flow per unit area of the isentropic outlet at speed c, fed at rest from
// 1 bar and 300 K: T = T0 - c^2/(2 cp), p = p0 (T/T0)^(k/(k-1)), rho = p/(R T).
double isentropic_flux(double c) {
    const double T = 300.0 - c * c / (2 * kCp);
    const double p = 1e5 * std::pow(T / 300.0, kK / (kK - 1));
    return p / (kR * T) * c;
}

// The flow per unit area of an isentropic nozzle is largest at the critical
// speed a* = sqrt(2k/(k+1) R T0): rho* a* = p0/(R T0) (2/(k+1))^(1/(k-1)) a*.
TEST_F(ChokeSearch, FindsTheCriticalSpeedAndFlow) {
    make();
    bdLocals* b = block();
    const double a_star = std::sqrt(2 * kK / (kK + 1) * kR * 300.0);
    EXPECT_NEAR(a_star, 317.2144385, 1e-6);
    struct Case {
        double factor;
        bool accepted;
    };
    for (const Case& c : {Case{1 - 1e-6, true}, Case{1 + 1e-6, false}}) {
        SCOPED_TRACE(c.factor);
        b->elem_G2[1] = 23.3152850 * c.factor;
        h2::test::CapturedConsole console;
        const double Cmax = findGmax(1);
        if (c.accepted) {
            EXPECT_NEAR(Cmax, a_star, 1e-6 * a_star);
            EXPECT_NEAR(b->choke_Gmax / 0.1, 233.1528496, 1e-6 * 233.1528496);
            EXPECT_EQ(console.text(), "");
        } else {
            EXPECT_EQ(Cmax, -1.0);
            // The specified line, then the element with its flow and its
            // choke flow, 0.1 m^2 times rho* a* = 233.15285 kg/(s m^2).
            EXPECT_EQ(
                console.text(),
                "\nChaVel severe error: G2 > Gmax calculation failed!\n"
                "ChaVel: element 1 cannot pass its flow: G2 = 23.31531 kg/s > Gmax = 23.31528 kg/s\n\n");
        }
        EXPECT_EQ(b->lkg_elem, 1.0);
    }
}

// The same maximum in few evaluations of the flow: each evaluation asks the
// pressure of the isentropic outlet once. The flow per unit area is flat at
// its maximum, so it is met to 1e-12 while the speed, found where the flow no
// longer changes in double precision, is met to 1e-7.
TEST_F(ChokeSearch, FindsTheMaximumInFewEvaluations) {
    make();
    bdLocals* b = block();
    b->elem_G2[1] = 1.0;
    b->fluid_func = &counting_pressure;
    outlet_pressure_calls = 0;
    const double Cmax = findGmax(1);
    const double a_star = std::sqrt(2 * kK / (kK + 1) * kR * 300.0);
    const double flux = 1e5 / (kR * 300.0) * std::pow(2 / (kK + 1), 1 / (kK - 1)) * a_star;
    EXPECT_NEAR(a_star, 317.2144385, 1e-9 * a_star);
    EXPECT_NEAR(flux, 233.1528496, 1e-9 * flux);
    EXPECT_NEAR(Cmax, a_star, 1e-7 * a_star);
    EXPECT_NEAR(b->choke_Gmax / 0.1, 233.1528496, 1e-9 * flux);
    EXPECT_NEAR(b->choke_Gmax / 0.1, flux, 1e-12 * flux);
    EXPECT_LT(outlet_pressure_calls, 20) << outlet_pressure_calls;
}

double fluid_with_narrow_bound(int code, double a, double b, double c, int which) {
    return code == H2_FLUID_CHOKE_FLAG ? 1.0 : h2::test::test_fluid_func(code, a, b, c, which);
}

// A fluid that answers the choke query with a non-zero value bounds the search
// at 0.2 sqrt(2 i0); one without entropy takes 0.9 sqrt(2 i0) without a search.
TEST_F(ChokeSearch, SearchBoundComesFromTheFluid) {
    make();
    block()->fluid_func = &fluid_with_narrow_bound;
    const double full = std::sqrt(2 * kCp * 300.0);
    EXPECT_NEAR(findGmax(1), 0.2 * full, 1e-6);  // the flow still rises at the bound
    bterm();
    ASSERT_NE(binit(), nullptr);
    h2::test::TestFluid liquid;
    liquid.zero_entropy = true;
    make(liquid);
    block()->isd_s1[1][0] = 0.0;
    EXPECT_DOUBLE_EQ(findGmax(1), 0.9 * full);
}

// An outlet state not yet computed is scanned for: from the speed that
// carries the flow at the inlet density, the sign change lies a step or two
// ahead. The root carries the flow, isentropically for phi 1: the static
// temperature T = T0 - c^2/(2 cp) and rho c A = G with rho = p/(R T).
TEST_F(ChokeSearch, FirstScanStartsFromTheContinuitySpeed) {
    make();
    bdLocals* b = block();
    feed_at_rest(12.0);
    ASSERT_EQ(ChaVel(1), 0);
    EXPECT_NEAR(isentropic_flux(b->flow_w2[1][0]) * 0.1, 12.0, 1e-3);
    // The choke search's golden section (some 55 pressures), two scan steps
    // and the root: a scan from near rest takes some 130.
    EXPECT_LT(outlet_pressure_calls, 100) << outlet_pressure_calls;
}

// A stator row turns its outlet to 25 degrees from the tangent: the flow
// passes the outlet at the normal speed c sin 25. The scan starts from the
// continuity speed taken along that angle, a step or two below the root.
TEST_F(ChokeSearch, FirstScanOfATurnedOutletStartsAlongItsAngle) {
    make();
    bdLocals* b = block();
    b->elem_stagType[1] = 1.0;
    b->cas_B2a[1][0] = 25.0;
    b->los_Los[1][0] = 1.0;
    feed_at_rest(6.0);
    ASSERT_EQ(ChaVel(1), 0);
    EXPECT_NEAR(isentropic_flux(b->flow_w2[1][0]) * std::sin(25.0 * 0.01745329) * 0.1, 6.0, 1e-3);
    // The choke search, two scan steps and the root; a scan from the
    // normal speed itself walks some 30 steps more.
    EXPECT_LT(outlet_pressure_calls, 60) << outlet_pressure_calls;
}

// Once an outlet state exists, the next solve of the element starts from its
// speed: a raised flow is met by a step on and a few Illinois steps, and the
// root carries the new flow as the isentropic continuity says.
TEST_F(ChokeSearch, RootStartsFromThePreviousSpeed) {
    make();
    bdLocals* b = block();
    feed_at_rest(12.0);
    ASSERT_EQ(ChaVel(1), 0);
    ASSERT_NE(b->isd_s2[1][0], 0.0);
    // The choke search takes some 16 pressures; the root a few more, some
    // more for a jump of two thirds of the flow to near choke (a false
    // position over the whole range takes some 16).
    struct Step {
        double G;
        int calls;
    };
    for (const auto [G, calls] : {Step{12.6, 28}, Step{12.0, 28}, Step{20.0, 34}}) {
        SCOPED_TRACE(G);
        b->elem_G1[1] = b->elem_G2[1] = G;
        outlet_pressure_calls = 0;
        ASSERT_EQ(ChaVel(1), 0);
        EXPECT_NEAR(isentropic_flux(b->flow_w2[1][0]) * 0.1, G, 1e-3 * G);
        EXPECT_LT(outlet_pressure_calls, calls) << outlet_pressure_calls;
    }
}

// From the second iteration of a solve on, an element whose flow stays clear
// of its last choke flow keeps its last choke search: the root alone costs a
// few pressures. A flow raised toward choke (with the inlet temperature
// moved, so that the last choke speed and flow are stale) searches afresh:
// the choke flow left is the new inlet's rho* a* A, to the search's accuracy.
TEST_F(ChokeSearch, WarmStartNeverKeepsAStaleChokeFlow) {
    struct Step {
        double T0;
        double share;  // of the inlet's choke flow
        int calls;     // bound of the pressures asked
    };
    // The root alone takes some 12 to 20 pressures, a search some 17 more.
    const Step steps[] = {{300.0, 12.6 / 23.3152850, 22},
                          {300.0, 0.995, 40},
                          {290.0, 0.995, 40},
                          {310.0, 0.999, 40},
                          {300.0, 0.995, 40},
                          {300.0, 0.6, 22}};
    make();
    bdLocals* b = block();
    b->elem_Pa[1] = 1.0;
    const auto inlet = [&](double T0) {
        const double h0 = kCp * T0;
        b->isd_i1x[1][0] = b->isd_i1wx[1][0] = h0;
        b->isd_s1[1][0] = b->fluid_func(H2_FLUID_S_PI, 1e5, h0, 1.0, H2_FLUID_MAIN);
        b->isd_Ro1[1][0] = 1e5 / (kR * T0);
        b->isd_p1[1][0] = b->isd_p1x[1][0] = 1e5;
    };
    inlet(300.0);
    b->elem_G1[1] = b->elem_G2[1] = 12.0;
    b->fluid_func = &counting_pressure;
    b->iter = 0;
    ASSERT_EQ(ChaVel(1), 0);
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << s.T0 << " K, " << s.share);
        ++b->iter;
        inlet(s.T0);
        const double a_star = std::sqrt(2 * kK / (kK + 1) * kR * s.T0);
        const double Gmax = 0.1 * 1e5 / (kR * s.T0) * std::pow(2 / (kK + 1), 1 / (kK - 1)) * a_star;
        const double G = s.share * Gmax;
        b->elem_G1[1] = b->elem_G2[1] = G;
        outlet_pressure_calls = 0;
        ASSERT_EQ(ChaVel(1), 0);
        EXPECT_LT(outlet_pressure_calls, s.calls) << outlet_pressure_calls;
        EXPECT_NEAR(b->choke_Gmax, Gmax, 1e-9 * Gmax);
        const double c = b->flow_w2[1][0];
        const double T = s.T0 - c * c / (2 * kCp);
        const double p = 1e5 * std::pow(T / s.T0, kK / (kK - 1));
        EXPECT_NEAR(p / (kR * T) * c * 0.1, G, 1e-4 * G);
        EXPECT_LT(c, a_star);
    }
}

// A hotter inlet chokes at a lower flow: a flow that the last iteration's
// choke flow would still pass (0.98 of it) but the new inlet cannot finds no
// root below the last choke speed, and a fresh search refuses it with the
// new inlet's rho* a* A rather than keep the stale choke flow.
TEST_F(ChokeSearch, AHotterInletRefusesAFlowOnlyTheLastChokeFlowWouldPass) {
    make();
    bdLocals* b = block();
    feed_at_rest(0.6 * 23.3152850);
    b->iter = 0;
    ASSERT_EQ(ChaVel(1), 0);
    ++b->iter;
    const double T0 = 400.0;
    const double h0 = kCp * T0;
    b->isd_i1x[1][0] = b->isd_i1wx[1][0] = h0;
    b->isd_s1[1][0] = b->fluid_func(H2_FLUID_S_PI, 1e5, h0, 1.0, H2_FLUID_MAIN);
    b->isd_Ro1[1][0] = 1e5 / (kR * T0);
    b->elem_G1[1] = b->elem_G2[1] = 0.98 * 23.3152850;
    const double a_star = std::sqrt(2 * kK / (kK + 1) * kR * T0);
    const double Gmax = 0.1 * 1e5 / (kR * T0) * std::pow(2 / (kK + 1), 1 / (kK - 1)) * a_star;
    ASSERT_LT(Gmax, b->elem_G2[1]);
    h2::test::CapturedConsole console;
    EXPECT_EQ(ChaVel(1), 1);
    EXPECT_NEAR(b->choke_Gmax, Gmax, 1e-9 * Gmax);
    EXPECT_NE(console.text().find("cannot pass its flow"), std::string::npos) << console.text();
}

// Partial admission narrows the opening: the choke flow scales with elem__Pa.
TEST_F(ChokeSearch, PartialAdmissionNarrowsTheChokeFlow) {
    make();
    block()->elem_Pa[1] = 0.5;
    block()->elem_G2[1] = 0.6 * 23.3152850;
    h2::test::CapturedConsole console;
    EXPECT_EQ(findGmax(1), -1.0);
    EXPECT_NEAR(block()->choke_Gmax, 0.5 * 23.3152850, 1e-5);
}

TEST_F(ChokeSearch, RefusesWithoutCaseFluidOrElement) {
    make();
    block()->choke_Gmax = 7.0;
    EXPECT_EQ(findGmax(-1), -1.0);
    EXPECT_EQ(findGmax(2), -1.0);
    block()->fluid_func = nullptr;
    EXPECT_EQ(findGmax(1), -1.0);
    EXPECT_EQ(block()->choke_Gmax, 7.0);  // nothing written
}

TEST(ChokeSearchWithoutCase, Refuses) { EXPECT_EQ(findGmax(0), -1.0); }

// A solved path whose flow is then raised past the choke flow of its narrow
// duct (about 2.7 kg/s): every march stops at 1e6, and three iterations beyond
// the accuracy limit end the solve with 5.
TEST_F(DirectSolve, ChokedPathDiverges) {
    ASSERT_TRUE(h2::test::make_mean_line_path({{0.4, 0.05}, {0.4, 0.005}}, {2e5, 350.0, 1.0, 1.5e5}));
    ASSERT_EQ(bestXN(), 0);
    block()->elem_G1[0] = 12.0;
    h2::test::CapturedConsole console;
    EXPECT_EQ(bestXN(), 5);
    EXPECT_EQ(block()->accuracy, 1e6 + 1e-10);
    EXPECT_EQ(block()->div_limit, 3);
    EXPECT_EQ(block()->div_count, 3);
    EXPECT_EQ(block()->iter, 3);
    EXPECT_NE(console.text().find("ChaVel severe error: G2 > Gmax calculation failed!"), std::string::npos);
    // The narrow duct and its choke flow, the isentropic critical flow of its
    // 2 bar, 350 K through 0.4 pi x 0.005 m^2: rho* a* A = 2.71255 kg/s.
    const std::string text = console.text();
    const std::size_t at = text.find("ChaVel: element 1 cannot pass its flow: G2 = 12 kg/s > Gmax = ");
    ASSERT_NE(at, std::string::npos) << text;
    const double Gmax = std::stod(text.substr(text.find("Gmax = ", at) + 7));
    EXPECT_NEAR(Gmax, 2.71255, 1e-4 * 2.71255);
    // A march that stopped there has no outlet state: no failure value is
    // printed, and no convergence claimed.
    EXPECT_EQ(text.find("e+20"), std::string::npos) << text;
    EXPECT_EQ(text.find("Convergence"), std::string::npos) << text;
}

// The example stage without losses: isentropic stator, rothalpy kept in the
// rotor, and the Euler work u1 c1u - u2 c2u equal to the total enthalpy drop.
// The march alone: the loss step would add the stage's disk friction, a real
// loss of the rotor that no closed form here accounts for.
TEST_F(DirectSolve, LossFreeStageKeepsRothalpyAndDoesEulerWork) {
    const h2::test::MarchOnly march_only;
    ASSERT_TRUE(h2::test::load_loss_free_example_stage());
    bdLocals* b = block();
    const int m = b->cyld_nr / 2;
    ASSERT_EQ(bestXN(), 0);
    EXPECT_NEAR(b->flow_c2[1][m], 383.642, 1e-4 * 383.642);
    EXPECT_NEAR(b->isd_p2[1][m], 306634, 1e-4 * 306634);
    EXPECT_NEAR(b->flow_w2[2][m], 263.041, 1e-4 * 263.041);
    // The swirl is the relative speed turned by 155 degrees plus the blade
    // speed: it carries the speed's tolerance times |cos 155|, not its own 1e-4.
    EXPECT_NEAR(b->flow_c2u[2][m], 61.604, 1e-4 * 263.041 * 0.9063);
    EXPECT_NEAR(b->isd_p2[2][m], 278318.5, 1e-4 * 278318.5);
    const double rothalpy_in = b->isd_i1x[2][m] - b->flow_ucu1[2][m];
    const double rothalpy_out = b->isd_i2x[2][m] - b->flow_ucu2[2][m];
    EXPECT_NEAR(rothalpy_out, rothalpy_in, 1e-9 * rothalpy_in);
    const double drop = b->isd_i1x[2][m] - b->isd_i2x[2][m];
    EXPECT_NEAR(drop, b->flow_ucu1[2][m] - b->flow_ucu2[2][m], 1e-7 * drop);
    EXPECT_NEAR(drop, 90978.3, 1e-4 * 90978.3);
}

// The example's nozzle with its velocity coefficient 0.97 on the mean line:
// it reaches the speed w where the loss-free expansion would reach w / phi, so
// the static state at w has the enthalpy h0 - w^2/2 and the pressure of the
// isentropic expansion to h0 - w^2/(2 phi^2). Its largest flow
// rho w sin(18 deg) pi 0.2 x 0.035 m^2 from 4 bar, 1000 K, by a march of the
// speed in 1 mm/s steps, is 3.328355 kg/s, against 3.471295 kg/s loss-free. A
// flow between the two is choked: the run says so, naming the element.
double nozzle_flow(double w, double phi) {
    const double h0 = kCp * 1000.0;
    const double h = h0 - w * w / 2;
    const double p = 4e5 * std::pow((h0 - w * w / (2 * phi * phi)) / h0, kK / (kK - 1));
    return p / (kR * h / kCp) * w * std::sin(18 * 0.01745329) * kPi * 0.2 * 0.035;
}

TEST_F(DirectSolve, NozzleChokesAtTheFlowItPassesWithItsLoss) {
    double hand = 0.0, free = 0.0;
    for (int k = 1; k < 1000000; ++k) {
        hand = std::fmax(hand, nozzle_flow(k * 1e-3, 0.97));
        free = std::fmax(free, nozzle_flow(k * 1e-3, 1.0));
    }
    EXPECT_NEAR(hand, 3.328355, 1e-6);
    EXPECT_NEAR(free, 3.471295, 1e-6);
    struct Case {
        double G;
        int result;
        int force1D;
    };
    // Per streamline the span's march cannot close above the choke flow: the
    // row is named as choked, not the streamlines as too few.
    for (const Case& c :
         {Case{3.30, 0, 1}, Case{0.999 * 3.328355, 0, 1}, Case{3.40, 5, 1}, Case{3.40, 5, 0}}) {
        SCOPED_TRACE(std::to_string(c.G) + " " + std::to_string(c.force1D));
        const h2::test::MarchOnly march_only;
        ASSERT_TRUE(h2::test::load_loss_free_example_stage());
        bdLocals* b = block();
        for (int j = 0; j < b->cyld_nr; ++j) b->los_Los[1][j] = 0.97;
        b->cyld_force1D = c.force1D;
        b->elem_G1[0] = c.G;
        h2::test::CapturedConsole console;
        EXPECT_EQ(bestXN(), c.result) << console.text();
        const std::string text = console.text();
        if (c.result == 0) {
            EXPECT_EQ(text.find("Gmax"), std::string::npos) << text;
            continue;
        }
        const std::size_t at = text.find("ChaVel: element 1 cannot pass its flow: G2 = 3.4 kg/s > Gmax = ");
        ASSERT_NE(at, std::string::npos) << text;
        EXPECT_NEAR(std::stod(text.substr(text.find("Gmax = ", at) + 7)), hand, 1e-4 * hand);
    }
}

}  // namespace
namespace {
// A choked run leaves every outlet field and whole-path result a host reads
// free of the failure value 1e20 and of NaN, whether the stator chokes
// before any march reached the outlet or the rotor chokes at the outlet. The
// whole-path results a host makes of the fields after the run are those the
// run ended with, made of one march: a rotor of 25 mm that chokes only in a
// later iteration (2.74 kg/s on the mean line) left a new nozzle beside the
// rotor of the iteration before; one that chokes in the first march (2.85
// kg/s) left the rotor the case came with, which read as an efficiency of 4.7.
TEST_F(DirectSolve, ChokedRunLeavesNoFailureValueForTheHost) {
    struct Case {
        int element;
        double rotor_height;
        double G;
        int force1D;
    };
    for (const Case& c : {Case{1, 0.04, 3.6, 1}, Case{2, 0.012, 3.0, 1}, Case{1, 0.04, 3.4, 0},
                          Case{2, 0.025, 2.74, 1}, Case{2, 0.025, 2.85, 0}}) {
        SCOPED_TRACE(std::to_string(c.element) + " " + std::to_string(c.force1D) + " " + std::to_string(c.G));
        ASSERT_TRUE(h2::test::load_example_stage());
        bdLocals* b = block();
        b->cyld_force1D = c.force1D;
        b->bld_l2[2] = c.rotor_height;
        b->elem_G1[0] = c.G;
        b->cyld_Nc = 1.0;
        b->cyld_eff = 0.5;
        h2::test::CapturedConsole console;
        EXPECT_EQ(bestXN(), 5) << console.text();
        EXPECT_NE(console.text().find("ChaVel: element " + std::to_string(c.element) + " cannot pass"),
                  std::string::npos)
            << console.text();
        const double run_Nc = b->cyld_Nc, run_eff = b->cyld_eff;
        calc_integral(1);
        EXPECT_NEAR(b->cyld_Nc, run_Nc, 1e-9 * std::fabs(run_Nc));
        EXPECT_NEAR(b->cyld_eff, run_eff, 1e-9 * std::fabs(run_eff));
        const int m = b->cyld_nr / 2;
        for (int i = 0; i <= b->cyld_ns; ++i)
            for (double** f : {b->isd_p2, b->isd_p2x, b->isd_i2, b->isd_Ro2, b->flow_w2, b->flow_c2})
                for (int j : {0, m, b->cyld_nr - 1}) {
                    EXPECT_TRUE(std::isfinite(f[i][j])) << i << " " << j;
                    EXPECT_LT(std::fabs(f[i][j]), 1e19) << i << " " << j;
                }
        for (double v : {b->cyld_p2n, b->cyld_p2nx, b->cyld_Nc, b->cyld_eff, b->cyld_G, b->cyld_Gv}) {
            EXPECT_TRUE(std::isfinite(v));
            EXPECT_LT(std::fabs(v), 1e19);
        }
    }
}
}  // namespace
