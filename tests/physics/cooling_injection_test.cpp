// Cooling air injection at turbine blade rows: clearing an uncooled row, the
// site threshold, rows without coolant, the row sums, the tip clearance
// correction, the wall balance, the composition after adding air, one
// streamline, a cooled stator at the end of the path and the dump lines.
#include "physics/cooling_injection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "halvorine2/halvorine2.h"
#include "physics/blade_heat_transfer.h"
#include "tests/support/captured_console.h"
#include "tests/support/flow_path.h"

namespace {

using h2::test::Elem;
using h2::test::test_fluid_func;
using h2::test::TestFluid;

constexpr double kDeg = 0.01745329;
constexpr double kSentinel = -77.0;
const double kCp = TestFluid{}.cp();

using Field = double* bdLocals::*;

// The 25 injection arrays, then the two wall temperatures: what clear_cooling empties.
constexpr Field kClearedFields[] = {
    &bdLocals::cool_iGoxl, &bdLocals::cool_iToxl,  &bdLocals::cool_iPoxl,  &bdLocals::cool_iCoxl,
    &bdLocals::cool_iAoxl, &bdLocals::cool_oGoxl,  &bdLocals::cool_oToxl,  &bdLocals::cool_oPoxl,
    &bdLocals::cool_oCoxl, &bdLocals::cool_oAoxl,  &bdLocals::cool_tGoxl,  &bdLocals::cool_tToxl,
    &bdLocals::cool_tPoxl, &bdLocals::cool_tCoxl,  &bdLocals::cool_tAoxl,  &bdLocals::cool_hGoxl,
    &bdLocals::cool_hToxl, &bdLocals::cool_hPoxl,  &bdLocals::cool_hCoxl,  &bdLocals::cool_hAoxl,
    &bdLocals::cool_fGoxl, &bdLocals::cool_fToxl,  &bdLocals::cool_fPoxl,  &bdLocals::cool_fCoxl,
    &bdLocals::cool_fAoxl, &bdLocals::cool_Tw_oxl, &bdLocals::cool_Tw_osn,
};

// Everything a row call writes.
constexpr Field kRowOutputs[] = {
    &bdLocals::cool_DGOXL1, &bdLocals::cool_DGOXL2,   &bdLocals::cool_HOXL1, &bdLocals::cool_HOXL2,
    &bdLocals::cool_DHOXL,  &bdLocals::cool_DIOXL,    &bdLocals::cool_TOXL,  &bdLocals::cool_dDRZ,
    &bdLocals::cool_Tw_oxl, &bdLocals::cool_Tw_osn,   &bdLocals::cool_Ocp,   &bdLocals::strs_tm,
    &bdLocals::elem_af,     &bdLocals::cool_b1_ratio,
};

// Injection sites: the five arrays G, T, P, C, A of each.
struct SiteFields {
    Field G, T, P, C, A;
};
constexpr SiteFields kSiteI{&bdLocals::cool_iGoxl, &bdLocals::cool_iToxl, &bdLocals::cool_iPoxl,
                            &bdLocals::cool_iCoxl, &bdLocals::cool_iAoxl};
constexpr SiteFields kSiteO{&bdLocals::cool_oGoxl, &bdLocals::cool_oToxl, &bdLocals::cool_oPoxl,
                            &bdLocals::cool_oCoxl, &bdLocals::cool_oAoxl};
constexpr SiteFields kSiteT{&bdLocals::cool_tGoxl, &bdLocals::cool_tToxl, &bdLocals::cool_tPoxl,
                            &bdLocals::cool_tCoxl, &bdLocals::cool_tAoxl};
constexpr SiteFields kSiteH{&bdLocals::cool_hGoxl, &bdLocals::cool_hToxl, &bdLocals::cool_hPoxl,
                            &bdLocals::cool_hCoxl, &bdLocals::cool_hAoxl};
constexpr SiteFields kSiteF{&bdLocals::cool_fGoxl, &bdLocals::cool_fToxl, &bdLocals::cool_fPoxl,
                            &bdLocals::cool_fCoxl, &bdLocals::cool_fAoxl};

struct Coolant {
    double G = 0.03, T = 700.0, P = 900000.0, C = 100.0, A = 30.0;
};

class CoolingRows : public h2::test::LiveCaseTest {
protected:
    // The path with every row's state filled on nr streamlines (the same on each).
    void build(std::initializer_list<Elem> elems, int nr) {
        h2::test::make_flow_path(elems, nr);
        bdLocals* b = block();
        b->cyld_p2n = 150000.0;
        b->cyld_caf = 0.0;
        b->cyld_sumHoxl = 0.0;
        for (int i = 0; i <= b->cyld_ns; ++i) fill_state(i);
    }

    void fill_state(int i) {
        bdLocals* b = block();
        const bool rotor = b->bld_wp[i] != 0.0;
        b->elem_af[i] = 2.5 + i;  // a different gas at every element
        b->stgtd_cooled[i] = b->bld_z[i] != 0.0 ? 1.0 : 0.0;
        b->cool_b1_ratio[i] = kSentinel;
        b->cool_Tw_oxl[i] = b->cool_Tw_osn[i] = b->cool_Ocp[i] = b->strs_tm[i] = kSentinel;
        b->cool_DGOXL2[i] = 0.07;
        b->clrn_drr[i] = 0.0005;
        b->clrn_Zrr[i] = 0.0;
        for (int j = 0; j < b->cyld_nr; ++j) {
            b->isd_p1x[i][j] = b->elem_p0[i] + 20000.0;
            b->isd_i1x[i][j] = kCp * (1400.0 - 20.0 * i);
            b->isd_p2x[i][j] = b->elem_p2[i] + 15000.0;
            b->isd_i2x[i][j] = kCp * (1380.0 - 20.0 * i);
            b->isd_p1wx[i][j] = b->elem_p0[i] + 10000.0;
            b->isd_i1wx[i][j] = kCp * (1370.0 - 20.0 * i);
            b->flow_c1z[i][j] = 150.0;
            b->flow_c1u[i][j] = rotor ? 250.0 : 60.0;
            b->flow_c1r[i][j] = 0.0;
            b->flow_c2z[i][j] = 160.0;
            b->flow_c2u[i][j] = rotor ? -30.0 : 320.0;
            b->flow_c2r[i][j] = 0.0;
            b->flow_c1[i][j] = std::hypot(150.0, b->flow_c1u[i][j]);
            b->flow_c2[i][j] = std::hypot(160.0, b->flow_c2u[i][j]);
            b->flow_w1[i][j] = rotor ? 160.0 : 0.0;
            b->flow_w2[i][j] = rotor ? 340.0 : 0.0;
            b->flow_u1[i][j] = b->flow_u2[i][j] = b->bld_wp[i] * b->bld_d2[i] / 2.0;
            b->cas_B1[i][j] = 70.0;
            b->cas_B2[i][j] = 25.0;
            b->cas_b[i][j] = 0.03;
            b->cas_t[i][j] = 0.025;
        }
    }

    void set_site(int i, const SiteFields& f, const Coolant& c) {
        bdLocals* b = block();
        (b->*f.G)[i] = c.G;
        (b->*f.T)[i] = c.T;
        (b->*f.P)[i] = c.P;
        (b->*f.C)[i] = c.C;
        (b->*f.A)[i] = c.A;
    }

    // Every cooled row of the path in ascending order, as the solver calls them.
    void cool_pass() {
        bdLocals* b = block();
        for (int i = 1; i <= b->cyld_ns; ++i) {
            if (b->bld_z[i] == 0.0 || b->stgtd_cooled[i] == 0.0) continue;
            if (b->bld_wp[i] == 0.0)
                cool_stator_row(i);
            else
                cool_rotor_row(i);
        }
    }

    std::vector<double> outputs(int i) {
        std::vector<double> v;
        for (Field f : kRowOutputs) v.push_back((block()->*f)[i]);
        v.push_back(block()->cyld_sumHoxl);
        return v;
    }

    double F(int code, double a, double b) { return test_fluid_func(code, a, b, 0.0, 0); }
};

// -- clear_cooling --------------------------------------------------------------

TEST_F(CoolingRows, ClearCoolingEmptiesTheRowOfAnUncooledScheme) {
    build({Elem::Inlet, Elem::Stator, Elem::Rotor}, 3);
    bdLocals* b = block();
    for (int i = 0; i <= 2; ++i)
        for (Field f : kClearedFields) (b->*f)[i] = 5.0;
    b->cool_DGOXL1[1] = 5.0;
    b->cool_tox[1] = 0.0;
    b->cool_tox[0] = b->cool_tox[2] = 0.0;

    EXPECT_EQ(clear_cooling(1), 0);
    for (Field f : kClearedFields) {
        EXPECT_EQ((b->*f)[1], 0.0);
        EXPECT_EQ((b->*f)[0], 5.0);  // only the row asked for
        EXPECT_EQ((b->*f)[2], 5.0);
    }
    EXPECT_EQ(b->cool_DGOXL1[1], 5.0);  // the row's results are not inputs
}

TEST_F(CoolingRows, ClearCoolingLeavesCooledRowsAndBadElements) {
    build({Elem::Inlet, Elem::Stator, Elem::Rotor}, 3);
    bdLocals* b = block();
    for (Field f : kClearedFields) (b->*f)[1] = 5.0;
    for (double scheme : {1.0, -1.0, 4.0, 1e-300}) {
        b->cool_tox[1] = scheme;
        EXPECT_EQ(clear_cooling(1), 1) << scheme;
        for (Field f : kClearedFields) EXPECT_EQ((b->*f)[1], 5.0);
    }
    for (int i : {-1, 3, 1000}) EXPECT_EQ(clear_cooling(i), 1) << i;
    b->cool_tox[1] = 0.0;
    b->cyld_ns = 9;  // counts beyond the arrays
    EXPECT_EQ(clear_cooling(1), 1);
    for (Field f : kClearedFields) EXPECT_EQ((b->*f)[1], 5.0);
    b->cyld_ns = 2;
}

// -- af_add_air -------------------------------------------------------------------

TEST(AfAddAir, AirStaysAirAndNoAddedAirChangesNothing) {
    for (double G : {0.0, 1.0, 50.0})
        for (double dG : {0.0, 0.5, -0.2}) EXPECT_EQ(af_add_air(G, 0.0, dG), 0.0);
    for (double af : {0.5, 2.5, 7.0}) EXPECT_DOUBLE_EQ(af_add_air(10.0, af, 0.0), af);
}

TEST(AfAddAir, AddedAirDilutesTheNonAirPart) {
    const double G = 10.0, af = 2.0, dG = 1.0;
    const double X = 1.0 / (af * 14.7);
    const double Ga = G / (1.0 + X);
    const double Xn = X * Ga / (Ga + dG);
    EXPECT_DOUBLE_EQ(af_add_air(G, af, dG), 1.0 / (Xn * 14.7));
    EXPECT_GT(af_add_air(G, af, dG), af);
}

TEST(AfAddAir, NoGasStaysFinite) {
    EXPECT_EQ(af_add_air(0.0, 2.0, 0.0), 2.0);  // nothing at all: unchanged
    EXPECT_EQ(af_add_air(0.0, 2.0, 1.0), 0.0);  // only the added air: air
}

// -- Rows without coolant ---------------------------------------------------------

struct NoFlowCase {
    bool rotor;
    double af_before;  // elem__af of the element in front
};

class CoolingNoFlow : public CoolingRows, public ::testing::WithParamInterface<NoFlowCase> {};

TEST_P(CoolingNoFlow, RowKeepsItsOwnState) {
    const NoFlowCase& nc = GetParam();
    build({Elem::Inlet, Elem::Stator, Elem::Rotor, Elem::Stator}, 3);
    bdLocals* b = block();
    const int i = nc.rotor ? 2 : 1, k = nc.rotor ? 3 : 2, m = 1;
    b->elem_af[i - 1] = nc.af_before;
    // Sites with temperature and pressure but no flow take no part.
    for (const SiteFields& f : {kSiteI, kSiteO, kSiteT, kSiteH, kSiteF}) set_site(i, f, {.G = 0.0});
    b->cyld_sumHoxl = 3.0;

    EXPECT_EQ(nc.rotor ? cool_rotor_row(i) : cool_stator_row(i), 0);

    EXPECT_EQ(b->cool_DGOXL1[i], nc.rotor ? 0.07 : 0.0);  // a rotor takes the outlet coolant in front
    for (Field f : {&bdLocals::cool_DGOXL2, &bdLocals::cool_HOXL1, &bdLocals::cool_HOXL2,
                    &bdLocals::cool_DHOXL, &bdLocals::cool_DIOXL})
        EXPECT_EQ((b->*f)[i], 0.0);
    const double ir = nc.rotor ? b->isd_i2x[i][m] : b->isd_i1x[i][m];
    EXPECT_DOUBLE_EQ(b->cool_TOXL[i], ir / kCp);
    // The plain outlet flow angle of the row, over the next row's inlet angle.
    const double angle =
        nc.rotor ? std::atan2(b->flow_c2z[i][m], b->flow_w2[i][m] * std::cos(25.0 * kDeg) + b->flow_u2[i][m])
                 : std::atan2(b->flow_c2z[i][m], b->flow_c2u[i][m] - b->flow_u1[k][m]);
    EXPECT_DOUBLE_EQ(b->cool_b1_ratio[i], angle / kDeg / b->cas_B1[k][m]);
    EXPECT_EQ(b->elem_af[i], nc.af_before);
    // No wall balance: the wall outputs keep their values.
    for (Field f : {&bdLocals::cool_Tw_oxl, &bdLocals::cool_Tw_osn, &bdLocals::cool_Ocp, &bdLocals::strs_tm})
        EXPECT_EQ((b->*f)[i], kSentinel);
    EXPECT_EQ(b->cyld_sumHoxl, 3.0);
}

INSTANTIATE_TEST_SUITE_P(Rows, CoolingNoFlow,
                         ::testing::Values(NoFlowCase{false, 3.5}, NoFlowCase{false, 0.0},
                                           NoFlowCase{true, 3.5}, NoFlowCase{true, 0.0}),
                         [](const auto& info) {
                             return std::string(info.param.rotor ? "Rotor" : "Stator") +
                                    (info.param.af_before == 0.0 ? "AfterAir" : "AfterGas");
                         });

// -- Site threshold -----------------------------------------------------------------

struct ThresholdCase {
    const char* what;
    Coolant site;
    bool takes_part;
};

class CoolingThreshold : public CoolingRows, public ::testing::WithParamInterface<ThresholdCase> {};

TEST_P(CoolingThreshold, SiteTakesPartOnlyAbove1e8) {
    build({Elem::Inlet, Elem::Stator, Elem::Rotor}, 3);
    set_site(1, kSiteO, GetParam().site);
    cool_stator_row(1);
    EXPECT_EQ(block()->cool_DGOXL2[1], GetParam().takes_part ? GetParam().site.G : 0.0);
    EXPECT_EQ(block()->cyld_sumHoxl != 0.0, GetParam().takes_part);
}

INSTANTIATE_TEST_SUITE_P(Cases, CoolingThreshold,
                         ::testing::Values(ThresholdCase{"G 1e-8", {.G = 1e-8}, false},
                                           ThresholdCase{"G -1e-8", {.G = -1e-8}, false},
                                           ThresholdCase{"G above 1e-8", {.G = 1.000001e-8}, true},
                                           ThresholdCase{"T 1e-8", {.T = 1e-8}, false},
                                           ThresholdCase{"P 1e-8", {.P = 1e-8}, false},
                                           ThresholdCase{"everything set", {}, true}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

// -- Row sums -------------------------------------------------------------------------

TEST_F(CoolingRows, OutletSiteSumsAndWorkPotential) {
    build({Elem::Inlet, Elem::Stator, Elem::Rotor, Elem::Stator, Elem::Rotor}, 3);
    bdLocals* b = block();
    const Coolant c;
    set_site(1, kSiteO, c);
    cool_stator_row(1);

    // The coolant's total state and its isentropic drops.
    const double ic = kCp * c.T;
    const double sc = F(3, c.P, ic);
    const double pref = b->isd_p2[2][1];  // a rotor follows: its outlet pressure
    EXPECT_NEAR(b->cool_HOXL2[1], c.G * (ic - F(9, pref, sc)), 1e-9);
    EXPECT_NEAR(b->cyld_sumHoxl, c.G * (ic - F(9, b->cyld_p2n, sc)), 1e-9);
    EXPECT_EQ(b->cool_DGOXL2[1], c.G);
    EXPECT_EQ(b->cool_DGOXL1[1], 0.0);
    EXPECT_EQ(b->cool_HOXL1[1], 0.0);
    // Colder coolant lowers the mixed total enthalpy.
    EXPECT_LT(b->cool_DIOXL[1], 0.0);
    EXPECT_GT(b->elem_af[1], b->elem_af[0]);
}

TEST_F(CoolingRows, StatorInFrontOfTheLastRotorTakesItsOwnPressure) {
    build({Elem::Inlet, Elem::Stator, Elem::Rotor}, 3);
    bdLocals* b = block();
    const Coolant c;
    set_site(1, kSiteO, c);
    cool_stator_row(1);
    const double ic = kCp * c.T;
    EXPECT_NEAR(b->cool_HOXL2[1], c.G * (ic - F(9, b->isd_p2[1][1], F(3, c.P, ic))), 1e-9);
}

TEST_F(CoolingRows, RepeatedCallsDoNotAccumulate) {
    build({Elem::Inlet, Elem::Stator, Elem::Rotor, Elem::Stator, Elem::Rotor}, 3);
    for (const SiteFields& f : {kSiteI, kSiteO, kSiteT, kSiteH}) set_site(1, f, {});
    for (const SiteFields& f : {kSiteI, kSiteO, kSiteT, kSiteH, kSiteF}) set_site(2, f, {});
    cool_stator_row(1);
    cool_rotor_row(2);
    const std::vector<double> stator = outputs(1), rotor = outputs(2);
    block()->cyld_sumHoxl = 0.0;
    cool_stator_row(1);
    cool_rotor_row(2);
    EXPECT_EQ(outputs(1), stator);
    EXPECT_EQ(outputs(2), rotor);
    // The rotor takes the stator's outlet coolant and adds its own inlet coolant.
    EXPECT_DOUBLE_EQ(block()->cool_DGOXL1[2], block()->cool_DGOXL2[1] + Coolant{}.G);
}

// -- Tip site of a rotor --------------------------------------------------------------

class CoolingTipSite : public CoolingRows {
protected:
    void SetUp() override {
        CoolingRows::SetUp();
        build({Elem::Inlet, Elem::Stator, Elem::Rotor, Elem::Stator}, 3);
        bdLocals* b = block();
        b->bld_d1[kRotor] = 0.2;
        b->bld_l1[kRotor] = 0.03;
        b->isd_p1[kRotor][2] = 250000.0;  // tip
        b->isd_p2[kRotor][2] = 200000.0;
        set_site(kRotor, kSiteF, coolant_);
    }
    // The correction as the tip coolant gives it, from the state it mixed into.
    double correction() {
        const bdLocals* b = block();
        const int i = kRotor, m = 1;
        const double rho = F(2, b->isd_p2x[i][m], b->isd_i2x[i][m]);
        return (coolant_.G / b->elem_G2[i]) *
               (rho * b->flow_w2[i][m] * std::sin(25.0 * kDeg) / (b->bld_l1[i] / b->bld_d1[i] + 1.0)) /
               std::sqrt(rho * 50000.0) * b->bld_l1[i];
    }
    static constexpr int kRotor = 2;
    Coolant coolant_{.G = 0.02, .C = 60.0};
};

TEST_F(CoolingTipSite, ClearanceCorrectionAndPumpingWork) {
    bdLocals* b = block();
    b->clrn_drr[kRotor] = 0.01;  // wider than the correction
    cool_rotor_row(kRotor);
    const double dDRZ = correction();
    ASSERT_LT(dDRZ, 0.01);
    EXPECT_NEAR(b->cool_dDRZ[kRotor], dDRZ, 1e-12);
    // Only the pumping work: the mixing loss of this site is not counted.
    const double u_tip = 3000.0 * (0.2 + 0.03) / 2.0;
    EXPECT_NEAR(b->cool_DHOXL[kRotor], coolant_.G * u_tip * u_tip / b->elem_G2[kRotor], 1e-9);
    EXPECT_EQ(b->cool_DGOXL2[kRotor], coolant_.G);
}

TEST_F(CoolingTipSite, CorrectionBeyondTheClearanceTakesNineTenthsOfIt) {
    bdLocals* b = block();
    b->clrn_drr[kRotor] = 1e-6;
    cool_rotor_row(kRotor);
    EXPECT_DOUBLE_EQ(b->cool_dDRZ[kRotor], 0.9e-6);
}

TEST_F(CoolingTipSite, ShroudedRotorHasNoCorrection) {
    block()->clrn_Zrr[kRotor] = 3.0;
    cool_rotor_row(kRotor);
    EXPECT_EQ(block()->cool_dDRZ[kRotor], 0.0);
}

TEST_F(CoolingTipSite, ZeroDivisorsStayFinite) {
    bdLocals* b = block();
    // No pressure drop over the tip: unbounded, so the clearance share.
    b->isd_p2[kRotor][2] = b->isd_p1[kRotor][2];
    cool_rotor_row(kRotor);
    EXPECT_DOUBLE_EQ(b->cool_dDRZ[kRotor], 0.9 * 0.0005);
    // No outlet flow: the same, and no pumping work or wall heat to spread.
    b->isd_p2[kRotor][2] = 200000.0;
    b->elem_G2[kRotor] = 0.0;
    cool_rotor_row(kRotor);
    EXPECT_DOUBLE_EQ(b->cool_dDRZ[kRotor], 0.9 * 0.0005);
    for (Field f : kRowOutputs) EXPECT_TRUE(std::isfinite((b->*f)[kRotor]));
    // No inlet diameter: the span term grows without bound, no correction.
    b->elem_G2[kRotor] = 3.0;
    b->bld_d1[kRotor] = 0.0;
    cool_rotor_row(kRotor);
    EXPECT_EQ(b->cool_dDRZ[kRotor], 0.0);
}

// -- Wall balance ---------------------------------------------------------------------

TEST_F(CoolingRows, StatorWallBalanceFromTheInletCoolant) {
    build({Elem::Inlet, Elem::Stator, Elem::Rotor}, 3);
    bdLocals* b = block();
    const Coolant ci{.G = 0.04, .T = 650.0, .P = 950000.0, .C = 90.0};
    set_site(1, kSiteI, ci);
    set_site(1, kSiteO, {.G = 0.02, .C = 120.0});  // the largest speed
    cool_stator_row(1);

    const int i = 1, m = 1;
    const double chord = 0.03, lambda = 0.03, nu = 1.5e-5;
    const double Tg = b->isd_i1x[i][m] / kCp;
    const double Re = b->flow_c2[i][m] * chord / nu;
    const double alpha_g =
        gas_side_htc(1, Re, b->cas_B1g[i][m], b->cas_B1[i][m], b->cas_B2[i][m], b->cas_t[i][m], chord,
                     b->flow_c1[i][m], chord, b->bld_d2[i], b->flow_u1[2][m], lambda);
    const double alpha_c = coolant_htc(120.0, ci.T, ci.P, 0.05 * chord, lambda);
    double Tw_c = 0.0, Tw_g = 0.0, eff = 0.0;
    const double Q =
        wall_heat_balance(ci.T, 0.025 * chord, alpha_c, Tg, 2.5 * chord * chord, alpha_g, &Tw_c, &Tw_g, &eff);
    ASSERT_GT(Q, 0.0);
    EXPECT_DOUBLE_EQ(b->cool_Tw_oxl[i], Tw_c);
    EXPECT_DOUBLE_EQ(b->cool_Tw_osn[i], Tw_g);
    EXPECT_DOUBLE_EQ(b->cool_Ocp[i], eff);
    EXPECT_DOUBLE_EQ(b->strs_tm[i], Tw_g);  // the hotter face
    // The mixed enthalpy (from the mixed temperature), less the wall heat per kg.
    EXPECT_NEAR(b->cool_DIOXL[i], b->cool_TOXL[i] * kCp - b->isd_i1x[i][m] - Q / b->elem_G2[i], 1e-6);
}

TEST_F(CoolingRows, WallWithoutACoolantStateIsZero) {
    build({Elem::Inlet, Elem::Stator, Elem::Rotor}, 3);
    bdLocals* b = block();
    set_site(1, kSiteI, {.G = 0.04, .T = 0.0});
    set_site(1, kSiteO, {.G = 0.02, .P = 0.0});
    cool_stator_row(1);
    for (Field f : {&bdLocals::cool_Tw_oxl, &bdLocals::cool_Tw_osn, &bdLocals::cool_Ocp, &bdLocals::strs_tm})
        EXPECT_EQ((b->*f)[1], 0.0);
    EXPECT_EQ(b->cool_DIOXL[1], 0.0);  // nothing mixed and nothing corrected
}

TEST_F(CoolingRows, RotorWithOnlyTheTipSiteBalancesItsWall) {
    build({Elem::Inlet, Elem::Stator, Elem::Rotor}, 3);
    bdLocals* b = block();
    const Coolant cf{.G = 0.02, .T = 620.0, .P = 800000.0, .C = 80.0};
    set_site(2, kSiteF, cf);
    b->cool_iCoxl[2] = 30.0;
    b->cool_oCoxl[2] = 50.0;  // speeds without flow
    cool_rotor_row(2);

    const int i = 2, m = 1;
    const double chord = 0.03, lambda = 0.03, nu = 1.5e-5;
    const double Tg = b->isd_i1wx[i][m] / kCp;
    const double Re = b->flow_w2[i][m] * chord / nu;
    const double alpha_g =
        gas_side_htc(2, Re, b->cas_B1g[i][m], b->cas_B1[i][m], b->cas_B2[i][m], b->cas_t[i][m], chord,
                     b->flow_w1[i][m], chord, b->bld_d2[i], b->flow_u1[i][m], lambda);
    const double alpha_c = coolant_htc(cf.C, cf.T, cf.P, 0.05 * chord, lambda);  // the largest speed
    double Tw_c = 0.0, Tw_g = 0.0, eff = 0.0;
    wall_heat_balance(cf.T, 0.025 * chord, alpha_c, Tg, 2.5 * chord * chord, alpha_g, &Tw_c, &Tw_g, &eff);
    EXPECT_DOUBLE_EQ(b->cool_Tw_oxl[i], Tw_c);
    EXPECT_DOUBLE_EQ(b->cool_Tw_osn[i], Tw_g);
    EXPECT_DOUBLE_EQ(b->cool_Ocp[i], eff);
}

// -- Guards ---------------------------------------------------------------------------

TEST_F(CoolingRows, RowsOutsideThePathOrWithoutFluidsAreLeftAlone) {
    build({Elem::Inlet, Elem::Stator, Elem::Rotor}, 3);
    bdLocals* b = block();
    for (int i = 0; i <= 2; ++i) set_site(i, kSiteO, {});
    const std::vector<double> before0 = outputs(0), before1 = outputs(1);
    for (int i : {-3, 0, 3, 1000}) {
        EXPECT_EQ(cool_stator_row(i), 0);
        EXPECT_EQ(cool_rotor_row(i), 0);
    }
    EXPECT_EQ(outputs(0), before0);
    b->cfluid_func = nullptr;  // a cooling fluid that loaded nothing
    EXPECT_EQ(cool_stator_row(1), 0);
    EXPECT_EQ(outputs(1), before1);
    b->cfluid_func = b->fluid_func;
    for (auto [ns, nr] : {std::pair{9, 3}, std::pair{2, 4}, std::pair{2, 0}}) {
        b->cyld_ns = ns;  // counts a host changed after the arrays were made
        b->cyld_nr = nr;
        EXPECT_EQ(cool_stator_row(1), 0);
        EXPECT_EQ(cool_rotor_row(2), 0);
    }
    b->cyld_ns = 2;
    b->cyld_nr = 3;
    EXPECT_EQ(outputs(1), before1);
}

// -- One streamline ---------------------------------------------------------------------

TEST_F(CoolingRows, OneStreamlineIsMeanTipAndHub) {
    // With the same state on every streamline, three streamlines and one give the same rows.
    std::map<int, std::vector<std::vector<double>>> results;
    for (int nr : {3, 1}) {
        build({Elem::Inlet, Elem::Stator, Elem::Rotor, Elem::Stator, Elem::Rotor}, nr);
        for (const SiteFields& f : {kSiteI, kSiteO, kSiteT, kSiteH}) set_site(1, f, {});
        for (const SiteFields& f : {kSiteT, kSiteH, kSiteF}) set_site(2, f, {});
        block()->elem_G1[2] = 0.0;  // no running flow: the side sites take their fallbacks
        cool_pass();
        for (int i = 1; i <= 4; ++i) results[nr].push_back(outputs(i));
        bterm();
        ASSERT_NE(binit(), nullptr);
    }
    EXPECT_EQ(results[1], results[3]);
}

// -- A cooled stator at the end of the path -------------------------------------------

TEST_F(CoolingRows, CooledStatorAsTheLastElementTakesNoSpeedBehindIt) {
    // The same stator last in the path, and with a duct at rest behind it.
    std::vector<std::vector<double>> results;
    for (bool duct_behind : {false, true}) {
        if (duct_behind)
            build({Elem::Inlet, Elem::Stator, Elem::Rotor, Elem::Stator, Elem::Duct}, 3);
        else
            build({Elem::Inlet, Elem::Stator, Elem::Rotor, Elem::Stator}, 3);
        for (const SiteFields& f : {kSiteI, kSiteO, kSiteT, kSiteH}) set_site(3, f, {});
        cool_stator_row(3);
        results.push_back(outputs(3));
        for (double v : results.back()) EXPECT_TRUE(std::isfinite(v));
        bterm();
        ASSERT_NE(binit(), nullptr);
    }
    EXPECT_EQ(results[0], results[1]);

    // The speed behind does count where there is an element to have it: the
    // Euler work of the side sites grows in proportion to it.
    double work[2];
    for (int n = 0; n < 2; ++n) {
        bterm();
        ASSERT_NE(binit(), nullptr);
        build({Elem::Inlet, Elem::Stator, Elem::Rotor, Elem::Stator, Elem::Duct}, 3);
        for (const SiteFields& f : {kSiteI, kSiteO, kSiteT, kSiteH}) set_site(3, f, {});
        block()->bld_wp[4] = 3000.0 * (n + 1);
        cool_stator_row(3);
        work[n] = block()->cool_DHOXL[3] - results[0][4];
    }
    EXPECT_GT(std::abs(work[0]), 1.0);
    EXPECT_NEAR(work[1], 2.0 * work[0], 1e-9 * std::abs(work[0]));
}

// -- Dump lines ------------------------------------------------------------------------

class CoolingDump : public CoolingRows {
protected:
    static int count_lines(const std::string& text) {
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }
    // A two-stage turbine: stator 1 with all four of its sites, rotor 2 with
    // all five, stator 3 uncooled, rotor 4 with its tip site only.
    std::string pass_output(int ipp) {
        build({Elem::Inlet, Elem::Stator, Elem::Rotor, Elem::Stator, Elem::Rotor}, 3);
        block()->IPP = ipp;
        block()->stgtd_cooled[3] = 0.0;
        for (const SiteFields& f : {kSiteI, kSiteO, kSiteT, kSiteH}) set_site(1, f, {});
        for (const SiteFields& f : {kSiteI, kSiteO, kSiteT, kSiteH, kSiteF}) set_site(2, f, {.G = 0.02});
        set_site(4, kSiteF, {.G = 0.01, .C = 60.0});
        h2::test::CapturedConsole console;
        cool_pass();
        return console.text();
    }
};

TEST_F(CoolingDump, PrintLevelTwoWritesNothing) { EXPECT_EQ(pass_output(2), ""); }

TEST_F(CoolingDump, PrintLevelThreeWritesOneLinePerRow) {
    const std::string text = pass_output(3);
    // One line per cooled row (stator 3 is not cooled), each with the
    // composition the row had on entry (2.5 + i).
    EXPECT_EQ(count_lines(text), 3);
    EXPECT_NE(text.find("i=   1 Icm="), std::string::npos);
    EXPECT_NE(text.find("af=             3.5\n"), std::string::npos);
    EXPECT_NE(text.find("i=   4 Icm="), std::string::npos);
}

// Rows without coolant keep their own state, so every number of the line is
// known: Icm = i0, DIOXL = DHOXL = 0.
TEST_F(CoolingDump, LinesOfRowsWithoutCoolantHoldTheRowsOwnState) {
    build({Elem::Inlet, Elem::Stator, Elem::Rotor}, 3);
    block()->IPP = 3;
    h2::test::CapturedConsole console;
    cool_pass();
    char expected[300];
    const double i1x = kCp * (1400.0 - 20.0), i2x = kCp * (1380.0 - 40.0);
    std::snprintf(expected, sizeof expected,
                  "i=%4d Icm=%16g i1x=%16g DIOXL=%16g DHOXL=%16g af=%16g\n"
                  "i=%4d Icm=%16g i2x=%16g DIOXL=%16g DHOXL=%16g af=%16g\n",
                  1, i1x, i1x, 0.0, 0.0, 3.5, 2, i2x, i2x, 0.0, 0.0, 4.5);
    EXPECT_EQ(console.text(), expected);
}

}  // namespace
