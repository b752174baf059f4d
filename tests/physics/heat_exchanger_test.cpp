#include "physics/heat_exchanger.h"
#include "halvorine2/fluid_plugin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/flow_path.h"

namespace {

using h2::test::Elem;
using h2::test::test_fluid_func;

constexpr int kNr = 3;
constexpr int kM = kNr / 2;  // the middle streamline
constexpr int kHx = 2;       // the heat exchanger, behind element 1
constexpr double kHeatExchanger = 8.0;
constexpr double kOtherLine = 7.0;  // what streamlines other than the middle one hold

const double kCp = h2::test::TestFluid{}.cp();
constexpr double kP1 = 250000.0;
constexpr double kT1 = 450.0;

class HeatExchanger : public h2::test::PathCaseTest {
protected:
    // Inlet, an element of the given kind, the heat exchanger.
    void build(Elem before = Elem::Duct) {
        h2::test::make_flow_path({Elem::Inlet, before, Elem::Duct}, kNr);
        bdLocals* b = block();
        b->elem_stagType[kHx] = kHeatExchanger;
        b->elem_sectType[kHx] = 1.0;  // the routine makes it axial
        b->isd_p2x[1][kM] = kP1;
        b->isd_i2x[1][kM] = kCp * kT1;
        b->isd_s2[1][kM] = test_fluid_func(H2_FLUID_S_PI, kP1, kCp * kT1, 0, 0);
        b->flow_w2[1][kM] = 80.0;
        set_outlet_velocity(60.0, 0.0, 0.0, 0.0);
    }
    // Element 1's outlet velocity at the middle streamline.
    void set_outlet_velocity(double cz, double cu, double cr, double cs) {
        bdLocals* b = block();
        b->flow_c2z[1][kM] = cz;
        b->flow_c2u[1][kM] = cu;
        b->flow_c2r[1][kM] = cr;
        b->flow_c2s[1][kM] = cs;
        b->flow_c2[1][kM] = std::sqrt(cz * cz + cu * cu + cr * cr);
    }
    // Every row the routine writes, for the element before and the heat exchanger.
    std::vector<double**> rows() {
        bdLocals* b = block();
        return {b->flow_w1,  b->flow_w2,  b->flow_c1,  b->flow_c1z, b->flow_c1r, b->flow_c1s,
                b->flow_c1u, b->flow_c2,  b->flow_c2z, b->flow_c2r, b->flow_c2s, b->flow_c2u,
                b->isd_s1,   b->isd_i1x,  b->isd_i1wx, b->isd_T2x,  b->isd_p2x,  b->isd_i2x,
                b->isd_i2wx, b->isd_s2,   b->isd_i2,   b->isd_p2,   b->isd_T2,   b->isd_Ro2,
                b->isd_i2t,  b->isd_i2tt, b->isd_a2,   b->flow_Mw2, b->cas_t2,   b->enrg_Lu};
    }
};

// Outlet totals by loss coefficient and effectiveness.
struct TotalsCase {
    const char* name;
    double om, Ocp, TOXL;
    double p2x, T2x;  // expected
};
std::ostream& operator<<(std::ostream& os, const TotalsCase& c) { return os << c.name; }

class HeatExchangerTotals : public HeatExchanger, public ::testing::WithParamInterface<TotalsCase> {};

TEST_P(HeatExchangerTotals, LossAndHeatSetTheOutletState) {
    const TotalsCase& tc = GetParam();
    build();
    bdLocals* b = block();
    b->los_om[kHx][kM] = tc.om;
    b->cool_Ocp[kHx] = tc.Ocp;
    b->cool_TOXL[kHx] = tc.TOXL;
    ASSERT_EQ(heat_exchanger_elem(kHx), 0);

    const double i2 = kCp * tc.T2x;
    EXPECT_NEAR(b->isd_p2x[kHx][kM], tc.p2x, 1e-9 * kP1);
    EXPECT_NEAR(b->isd_T2x[kHx][kM], tc.T2x, 1e-9 * kT1);
    EXPECT_NEAR(b->isd_i2x[kHx][kM], i2, 1e-9 * i2);  // from (p, T)
    EXPECT_EQ(b->isd_i2wx[kHx][kM], b->isd_i2x[kHx][kM]);
    // The static state at rest equals the total one.
    EXPECT_EQ(b->isd_i2[kHx][kM], b->isd_i2x[kHx][kM]);
    EXPECT_NEAR(b->isd_p2[kHx][kM], tc.p2x, 1e-6 * kP1);
    EXPECT_EQ(b->isd_T2[kHx][kM], b->isd_T2x[kHx][kM]);
    EXPECT_NEAR(b->isd_s2[kHx][kM], test_fluid_func(H2_FLUID_S_PI, tc.p2x, i2, 0, 0), 1e-9);
    EXPECT_NEAR(b->isd_Ro2[kHx][kM], tc.p2x / (287.5 * tc.T2x), 1e-9);
    EXPECT_NEAR(b->isd_a2[kHx][kM], std::sqrt(1.4 * 287.5 * tc.T2x), 1e-9);
    EXPECT_NEAR(b->flow_Mw2[kHx][kM], 80.0 / std::sqrt(1.4 * 287.5 * tc.T2x), 1e-12);
    // Isentropic outlet enthalpy from the inlet entropy.
    const double i2t = kCp * kT1 * std::pow(tc.p2x / kP1, 0.4 / 1.4);
    EXPECT_NEAR(b->isd_i2t[kHx][kM], i2t, 1e-6 * i2t);
    EXPECT_EQ(b->isd_i2tt[kHx][kM], b->isd_i2t[kHx][kM]);
    // Inlet totals, and the element before refreshed.
    EXPECT_EQ(b->isd_i1x[kHx][kM], kCp * kT1);
    EXPECT_EQ(b->isd_i1wx[kHx][kM], kCp * kT1);
    EXPECT_EQ(b->isd_s1[kHx][kM], b->isd_s2[1][kM]);
    EXPECT_NEAR(b->isd_T2x[1][kM], kT1, 1e-9 * kT1);
    // No work, an axial outlet section.
    EXPECT_EQ(b->enrg_Lu[kHx][kM], 0.0);
    EXPECT_EQ(b->cas_t2[kHx][kM], 0.0);
    EXPECT_EQ(b->elem_sectType[kHx], 0.0);
}

INSTANTIATE_TEST_SUITE_P(Cases, HeatExchangerTotals,
                         ::testing::Values(TotalsCase{"no_loss_no_heat", 0.0, 0.0, 900.0, kP1, kT1},
                                           TotalsCase{"full_effectiveness", 0.0, 1.0, 620.0, kP1, 620.0},
                                           TotalsCase{"cooler_with_loss", 0.04, 0.75, 330.0, 0.96 * kP1,
                                                      kT1 + 0.75 * (330.0 - kT1)}),
                         [](const auto& info) { return std::string(info.param.name); });

// Velocity through the element by the section type of the element before.
struct VelocityCase {
    const char* name;
    double sect_before;
    double cz, cu, cr, cs;          // element 1's outlet
    double c2z, c2u, c2r, c2s, c2;  // expected outlet
};
std::ostream& operator<<(std::ostream& os, const VelocityCase& c) { return os << c.name; }

class HeatExchangerVelocity : public HeatExchanger, public ::testing::WithParamInterface<VelocityCase> {};

TEST_P(HeatExchangerVelocity, FollowsTheSectionsBefore) {
    const VelocityCase& vc = GetParam();
    build();
    bdLocals* b = block();
    b->elem_sectType[1] = vc.sect_before;
    set_outlet_velocity(vc.cz, vc.cu, vc.cr, vc.cs);
    const double c_before = b->flow_c2[1][kM];
    ASSERT_EQ(heat_exchanger_elem(kHx), 0);

    // The inlet takes the outlet before as it is.
    EXPECT_EQ(b->flow_c1z[kHx][kM], vc.cz);
    EXPECT_EQ(b->flow_c1u[kHx][kM], vc.cu);
    EXPECT_EQ(b->flow_c1r[kHx][kM], vc.cr);
    EXPECT_EQ(b->flow_c1s[kHx][kM], vc.cs);
    EXPECT_EQ(b->flow_c1[kHx][kM], c_before);
    EXPECT_EQ(b->flow_w1[kHx][kM], 80.0);
    EXPECT_EQ(b->flow_w2[kHx][kM], 80.0);

    EXPECT_EQ(b->flow_c2z[kHx][kM], vc.c2z);
    EXPECT_EQ(b->flow_c2u[kHx][kM], vc.c2u);
    EXPECT_EQ(b->flow_c2r[kHx][kM], vc.c2r);
    EXPECT_EQ(b->flow_c2s[kHx][kM], vc.c2s);
    EXPECT_DOUBLE_EQ(b->flow_c2[kHx][kM], vc.c2 < 0.0 ? c_before : vc.c2);
}

// c2 < 0: the speed before passes through.
INSTANTIATE_TEST_SUITE_P(
    Cases, HeatExchangerVelocity,
    ::testing::Values(VelocityCase{"axial", 0.0, 60.0, 25.0, 3.0, 61.0, 60.0, 25.0, 3.0, 61.0, -1.0},
                      // An outlet volute: its swirl becomes the axial through-flow.
                      VelocityCase{"angular", 2.0, 4.0, 50.0, 2.0, 4.5, 50.0, 0.0, 0.0, 50.0, 50.0},
                      // Radial into axial: axial and radial components change places.
                      VelocityCase{"radial", 1.0, 5.0, 12.0, 30.0, 30.4, 30.0, 12.0, 5.0, 30.4, -1.0},
                      VelocityCase{"other", 3.0, 5.0, 12.0, 30.0, 30.4, 30.0, 12.0, 5.0, 30.4, -1.0}),
    [](const auto& info) { return std::string(info.param.name); });

// Mass flow behind the element before: the flows that return behind a row.
struct FlowCase {
    const char* name;
    Elem before;
    double z;      // blade count of the element before
    double added;  // expected addition to its G2
};
std::ostream& operator<<(std::ostream& os, const FlowCase& c) { return os << c.name; }

class HeatExchangerFlow : public HeatExchanger, public ::testing::WithParamInterface<FlowCase> {};

TEST_P(HeatExchangerFlow, CarriesTheReturningFlowsOn) {
    const FlowCase& fc = GetParam();
    build(fc.before);
    bdLocals* b = block();
    b->bld_z[1] = fc.z;
    b->elem_G2[1] = 3.0;
    b->lkgn_GP[1] = 0.01;
    b->lkgn_GPY[1] = 0.02;
    b->elem_Gr[1] = 0.04;
    b->elem_Gotb2[1] = 0.08;
    ASSERT_EQ(heat_exchanger_elem(kHx), 0);
    EXPECT_DOUBLE_EQ(b->elem_G2[kHx], 3.0 + fc.added);
    EXPECT_EQ(b->elem_G1[kHx], b->elem_G2[kHx]);
}

INSTANTIATE_TEST_SUITE_P(Cases, HeatExchangerFlow,
                         ::testing::Values(FlowCase{"rotor", Elem::Rotor, 60.0, 0.02 + 0.04 + 0.08},
                                           FlowCase{"stator", Elem::Stator, 48.0, 0.01 + 0.08},
                                           FlowCase{"duct", Elem::Duct, 0.0, 0.0},
                                           FlowCase{"row_without_blades", Elem::Rotor, 0.0, 0.0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HeatExchanger, OtherStreamlinesAreLeftAsTheyWere) {
    build();
    for (double** row : rows())
        for (int e : {1, kHx})
            for (int j : {0, 2}) row[e][j] = kOtherLine;
    ASSERT_EQ(heat_exchanger_elem(kHx), 0);
    for (double** row : rows())
        for (int e : {1, kHx})
            for (int j : {0, 2}) EXPECT_EQ(row[e][j], kOtherLine) << "element " << e << " line " << j;
}

// Asks the test gas with the element's fluid constant and the main selector,
// and counts calls that came otherwise.
int g_wrong_calls = 0;
double g_af = 0.0;
double checked_fluid(int code, double a, double b, double c, int which) {
    if (which != 0 || c != g_af) ++g_wrong_calls;
    return test_fluid_func(code, a, b, c, which);
}

TEST_F(HeatExchanger, AsksTheMainFluidWithTheElementsConstant) {
    build();
    g_wrong_calls = 0;
    g_af = 0.75;
    block()->elem_af[kHx] = g_af;
    block()->elem_af[1] = 0.25;
    block()->fluid_func = &checked_fluid;
    ASSERT_EQ(heat_exchanger_elem(kHx), 0);
    EXPECT_EQ(g_wrong_calls, 0);
}

double no_sound(int code, double a, double b, double c, int which) {
    return code == H2_FLUID_SOUND_PI ? 0.0 : test_fluid_func(code, a, b, c, which);
}

TEST_F(HeatExchanger, ZeroSpeedOfSoundStoresAFiniteMachNumber) {
    build();
    block()->fluid_func = &no_sound;
    ASSERT_EQ(heat_exchanger_elem(kHx), 0);
    EXPECT_EQ(block()->isd_a2[kHx][kM], 0.0);
    EXPECT_EQ(block()->flow_Mw2[kHx][kM], 1e20);
}

TEST_F(HeatExchanger, RefusesElementsOutsideThePath) {
    build();
    bdLocals* b = block();
    for (int i : {-1, 0, b->cyld_ns + 1, 1000}) {
        EXPECT_EQ(heat_exchanger_elem(i), -1) << i;
    }
    // Streamline counts whose middle lies outside the arrays.
    b->cyld_nr = 2 * kNr;
    EXPECT_EQ(heat_exchanger_elem(kHx), -1);
    b->cyld_nr = kNr;
    b->fluid_func = nullptr;
    EXPECT_EQ(heat_exchanger_elem(kHx), -1);
    EXPECT_EQ(b->elem_sectType[kHx], 1.0);  // nothing written
    EXPECT_EQ(b->isd_p2x[kHx][kM], 0.0);
}

TEST_F(HeatExchanger, RefusesACaseWithoutArrays) {
    h2::test::install_test_fluid(block());
    block()->cyld_ns = 2;
    block()->cyld_nr = kNr;
    EXPECT_EQ(heat_exchanger_elem(kHx), -1);
}

}  // namespace
