// The injection sites of cooled rows against mixes assembled by hand: the
// coolant and main-flow vectors of each site, the fallback states of the
// side sites, the tip and hub scaling of a stator's side sites with its
// Euler work, and the pumping work of a rotor's tip site. The mixing itself
// is cool_mix's (tested on its own); here every state and vector handed to
// it comes from the row's fields by the relations of the sites, on a path
// whose hub, middle and tip streamlines all differ.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "halvorine2/halvorine2.h"
#include "physics/cooling_injection.h"
#include "physics/cooling_mix.h"
#include "tests/support/flow_path.h"

namespace {

using h2::test::Elem;
using Vec3 = std::array<double, 3>;  // axial, circumferential, radial

constexpr double kDeg = 0.01745329;
constexpr int kNr = 3, kHub = 0, kMid = 1, kTip = 2;
constexpr int kStator = 1, kRotor = 2;
const double kCp = h2::test::TestFluid{}.cp();

struct Coolant {
    double G, T, P, C, A;
};

// A main stream and what one mix makes of it.
struct Stream {
    double G, p, i;
    Vec3 V;
};
struct Mixed {
    Stream flow;
    double ic = 0.0, sc = 0.0, dh = 0.0, dic = 0.0;
};

Mixed mix(const Coolant& c, const Vec3& cc, const Stream& main, double pref) {
    Mixed r{main};
    double hout = 0.0, pout = 0.0, sout = 0.0;
    cool_mix(c.G, cc.data(), c.T, c.P, main.G, main.V.data(), main.i, main.p, pref, r.flow.V.data(),
             &r.flow.i, &r.flow.p, &r.ic, &r.sc, &r.flow.G, &r.dh, &hout, &pout, &sout, &r.dic);
    return r;
}

class CoolingSites : public h2::test::LiveCaseTest {
protected:
    // Inlet, stator, rotor, stator on three streamlines whose states differ;
    // the rows' inlet and outlet diameters and heights differ, and so do
    // their inlet and outlet flows.
    void SetUp() override {
        LiveCaseTest::SetUp();
        h2::test::make_flow_path({Elem::Inlet, Elem::Stator, Elem::Rotor, Elem::Stator}, kNr);
        bdLocals* b = block();
        b->cyld_p2n = 150000.0;
        for (int i = 0; i <= b->cyld_ns; ++i) {
            const bool rotor = b->bld_wp[i] != 0.0;
            b->elem_af[i] = 0.0;
            b->elem_G1[i] = 3.0 + 0.1 * i;
            b->elem_G2[i] = 3.2 + 0.1 * i;
            b->bld_d1[i] = 0.19 + 0.01 * i;
            b->bld_l1[i] = 0.028 + 0.001 * i;
            b->bld_d2[i] = 0.21 + 0.01 * i;
            b->bld_l2[i] = 0.034 + 0.001 * i;
            b->stgtd_cooled[i] = b->bld_z[i] != 0.0 ? 1.0 : 0.0;
            b->clrn_drr[i] = 0.0005;
            b->clrn_Zrr[i] = 1.0;  // shrouded: no clearance correction
            for (int j = 0; j < kNr; ++j) {
                const double d = j;  // every streamline differs
                b->isd_p1x[i][j] = b->elem_p0[i] + 20000.0 + 3000.0 * d;
                b->isd_i1x[i][j] = kCp * (1400.0 - 20.0 * i + 4.0 * d);
                b->isd_p2x[i][j] = b->elem_p2[i] + 15000.0 + 2000.0 * d;
                b->isd_i2x[i][j] = kCp * (1380.0 - 20.0 * i + 3.0 * d);
                b->isd_p1wx[i][j] = b->elem_p0[i] + 10000.0 + 1000.0 * d;
                b->isd_i1wx[i][j] = kCp * (1370.0 - 20.0 * i + 2.0 * d);
                b->flow_c1z[i][j] = 150.0 + 5.0 * d;
                b->flow_c1u[i][j] = (rotor ? 250.0 : 60.0) + 7.0 * d;
                b->flow_c1r[i][j] = 3.0 + d;
                b->flow_c2z[i][j] = 160.0 + 6.0 * d;
                b->flow_c2u[i][j] = (rotor ? -30.0 : 320.0) + 11.0 * d;
                b->flow_c2r[i][j] = -2.0 - d;
                b->flow_c1[i][j] = std::hypot(b->flow_c1z[i][j], b->flow_c1u[i][j]);
                b->flow_c2[i][j] = std::hypot(b->flow_c2z[i][j], b->flow_c2u[i][j]);
                b->flow_w1[i][j] = rotor ? 160.0 + 4.0 * d : 0.0;
                b->flow_w2[i][j] = rotor ? 340.0 + 9.0 * d : 0.0;
                b->flow_u1[i][j] = b->bld_wp[i] * (0.095 + 0.015 * d);
                b->flow_u2[i][j] = b->bld_wp[i] * (0.09 + 0.02 * d);
                b->cas_B1[i][j] = 70.0 + d;
                b->cas_B1g[i][j] = 80.0 + 2.0 * d;
                b->cas_B2[i][j] = 25.0 + 3.0 * d;
                b->cas_b[i][j] = 0.03;
                b->cas_t[i][j] = 0.025;
            }
        }
    }
    void set_site(double* bdLocals::*G, double* bdLocals::*T, double* bdLocals::*P, double* bdLocals::*C,
                  double* bdLocals::*A, int i, const Coolant& c) {
        bdLocals* b = block();
        (b->*G)[i] = c.G;
        (b->*T)[i] = c.T;
        (b->*P)[i] = c.P;
        (b->*C)[i] = c.C;
        (b->*A)[i] = c.A;
    }
    void set_t(int i, const Coolant& c) {
        set_site(&bdLocals::cool_tGoxl, &bdLocals::cool_tToxl, &bdLocals::cool_tPoxl, &bdLocals::cool_tCoxl,
                 &bdLocals::cool_tAoxl, i, c);
    }
    void set_h(int i, const Coolant& c) {
        set_site(&bdLocals::cool_hGoxl, &bdLocals::cool_hToxl, &bdLocals::cool_hPoxl, &bdLocals::cool_hCoxl,
                 &bdLocals::cool_hAoxl, i, c);
    }
    void set_o(int i, const Coolant& c) {
        set_site(&bdLocals::cool_oGoxl, &bdLocals::cool_oToxl, &bdLocals::cool_oPoxl, &bdLocals::cool_oCoxl,
                 &bdLocals::cool_oAoxl, i, c);
    }
    void set_f(int i, const Coolant& c) {
        set_site(&bdLocals::cool_fGoxl, &bdLocals::cool_fToxl, &bdLocals::cool_fPoxl, &bdLocals::cool_fCoxl,
                 &bdLocals::cool_fAoxl, i, c);
    }
    // Expects the row's sums from the site mixes worked out; i0 is NaN for a
    // row whose wall balance also takes its heat from DIOXL.
    void expect_row(int i, double DGOXL2, double HOXL2, double DHOXL, const Stream& run, double i0) {
        const bdLocals* b = block();
        EXPECT_DOUBLE_EQ(b->cool_DGOXL2[i], DGOXL2);
        EXPECT_DOUBLE_EQ(b->cool_HOXL2[i], HOXL2);
        EXPECT_NEAR(b->cool_DHOXL[i], DHOXL, 1e-9 * (1.0 + std::abs(DHOXL)));
        if (!std::isnan(i0)) {
            EXPECT_NEAR(b->cool_DIOXL[i], run.i - i0, 1e-9 * std::abs(run.i));
        }
        EXPECT_NEAR(b->cool_TOXL[i], run.i / kCp, 1e-9 * run.i / kCp);
    }
};

const Coolant kT{0.03, 700.0, 900000.0, 100.0, 30.0};
const Coolant kH{0.02, 650.0, 850000.0, 80.0, 55.0};
const Coolant kF{0.025, 600.0, 800000.0, 60.0, 0.0};

// A stator's tip and hub sites: the first mix reads the swirl at the site's
// diameter, d2/(d2 + l2) or d2/(d2 - l2) of the mean one, and the swirl it
// gives up against the next rotor's blade speed is work; the second,
// unscaled mix carries the flow on.
TEST_F(CoolingSites, StatorSideSitesScaleTheSwirlAndCountItsWork) {
    set_t(kStator, kT);
    set_h(kStator, kH);
    bdLocals* b = block();
    const int m = kMid;
    const double d2 = 0.22, l2 = 0.035, wp_next = 3000.0;
    const double pref = b->isd_p2[kRotor][m];  // a rotor follows
    // The row's own inlet state, carrying the outlet velocity (no site o).
    Stream run{3.1,
               b->isd_p1x[kStator][m],
               b->isd_i1x[kStator][m],
               {b->flow_c2z[kStator][m], b->flow_c2u[kStator][m], b->flow_c2r[kStator][m]}};
    double DGOXL2 = 0.0, HOXL2 = 0.0, DHOXL = 0.0;
    // Axial sections: the coolant enters along the end wall, (0, C sin a, C cos a).
    for (const auto& [c, k] : {std::pair{kT, d2 / (d2 + l2)}, std::pair{kH, d2 / (d2 - l2)}}) {
        const Vec3 cc{0.0, c.C * std::sin(c.A * kDeg), c.C * std::cos(c.A * kDeg)};
        Stream scaled = run;
        scaled.V[1] *= k;
        const Mixed first = mix(c, cc, scaled, pref);
        DGOXL2 += c.G;
        HOXL2 += c.G * first.dic;
        DHOXL += first.dh + (scaled.V[1] - first.flow.V[1]) * wp_next * d2 / 2.0;
        run = mix(c, cc, run, pref).flow;
    }
    ASSERT_EQ(cool_stator_row(kStator), 0);
    expect_row(kStator, DGOXL2, HOXL2, DHOXL, run, b->isd_i1x[kStator][m]);
    // The rotor behind sees the mixed flow in its frame: atan2(Vz, Vu - u1).
    const double angle = std::atan2(run.V[0], run.V[1] - b->flow_u1[kRotor][m]);
    EXPECT_NEAR(b->cool_b1_ratio[kStator], angle / kDeg / b->cas_B1[kRotor][m], 1e-12);
}

// Without running flow the side sites mix into the row's fallback states:
// a stator's tip site takes the inlet enthalpy and the outlet total pressure
// at the mean streamline with the outlet velocity at the tip, its hub site
// the inlet total state with the hub velocity.
TEST_F(CoolingSites, StatorSideSitesWithoutRunningFlowTakeTheFallbackStates) {
    bdLocals* b = block();
    const int m = kMid;
    b->elem_G1[kStator] = 5e-9;  // below the running-flow threshold, a flow all the same
    const double pref = b->isd_p2[kRotor][m];
    for (const bool tip : {true, false}) {
        SCOPED_TRACE(tip ? "tip" : "hub");
        const Coolant c = tip ? kT : kH;
        const Coolant none{0.0, 0.0, 0.0, 0.0, 0.0};
        set_t(kStator, tip ? c : none);
        set_h(kStator, tip ? none : c);
        const int j = tip ? kTip : kHub;
        const Stream fallback{5e-9,
                              tip ? b->isd_p2x[kStator][m] : b->isd_p1x[kStator][m],
                              b->isd_i1x[kStator][m],
                              {b->flow_c2z[kStator][j], b->flow_c2u[kStator][j], b->flow_c2r[kStator][j]}};
        const Vec3 cc{0.0, c.C * std::sin(c.A * kDeg), c.C * std::cos(c.A * kDeg)};
        const double k = tip ? 0.22 / (0.22 + 0.035) : 0.22 / (0.22 - 0.035);
        Stream scaled = fallback;
        scaled.V[1] *= k;
        const Mixed first = mix(c, cc, scaled, pref);
        const Mixed second = mix(c, cc, fallback, pref);
        ASSERT_EQ(cool_stator_row(kStator), 0);
        EXPECT_EQ(b->cool_DIOXL[kStator], second.flow.i - b->isd_i1x[kStator][m]);
        EXPECT_NEAR(b->cool_DHOXL[kStator], first.dh + (scaled.V[1] - first.flow.V[1]) * 3000.0 * 0.22 / 2.0,
                    1e-9 * std::abs(first.dh));
        const double angle = std::atan2(second.flow.V[0], second.flow.V[1] - b->flow_u1[kRotor][m]);
        EXPECT_NEAR(b->cool_b1_ratio[kStator], angle / kDeg / b->cas_B1[kRotor][m], 1e-12);
    }
}

// A rotor's outlet site enters along the outlet angle, (C sin B2, C cos B2,
// c2r), into the relative outlet flow (w2 sin B2, w2 cos B2, c2r).
TEST_F(CoolingSites, RotorOutletSiteMixesAlongTheOutletAngle) {
    const Coolant o{0.04, 680.0, 880000.0, 90.0, 0.0};
    set_o(kRotor, o);
    bdLocals* b = block();
    const int m = kMid;
    const double b2 = b->cas_B2[kRotor][m] * kDeg, w2 = b->flow_w2[kRotor][m], c2r = b->flow_c2r[kRotor][m];
    const Stream main{
        3.2, b->isd_p2x[kRotor][m], b->isd_i2x[kRotor][m], {w2 * std::sin(b2), w2 * std::cos(b2), c2r}};
    const Mixed r = mix(o, {o.C * std::sin(b2), o.C * std::cos(b2), c2r}, main, b->isd_p2[kRotor][m]);
    ASSERT_EQ(cool_rotor_row(kRotor), 0);
    // The outlet coolant also cools the wall, whose heat DIOXL gives up.
    expect_row(kRotor, o.G, o.G * r.dic, r.dh, r.flow, std::nan(""));
}

// A rotor's tip and hub sites enter against the blade speed at their own
// streamline, (0, C sin a - u2[s], C cos a); the tip site f enters radially
// and is brought up to the blade speed at the inlet tip, wp (d1 + l1)/2,
// which costs work per unit outlet flow.
TEST_F(CoolingSites, RotorSideAndTipSitesMixAgainstTheirBladeSpeeds) {
    set_t(kRotor, kT);
    set_h(kRotor, kH);
    set_f(kRotor, kF);
    bdLocals* b = block();
    const int m = kMid;
    const double pref = b->isd_p2[kRotor][m];
    const double b2 = b->cas_B2[kRotor][m] * kDeg, w2 = b->flow_w2[kRotor][m];
    // The row's own outlet state, carrying the relative outlet velocity (no site o).
    Stream run{3.2,
               b->isd_p2x[kRotor][m],
               b->isd_i2x[kRotor][m],
               {b->flow_c2z[kRotor][m], w2 * std::cos(b2), b->flow_c2r[kRotor][m]}};
    double DGOXL2 = 0.0, HOXL2 = 0.0, DHOXL = 0.0;
    for (const auto& [c, j] : {std::pair{kT, kTip}, std::pair{kH, kHub}}) {
        const Vec3 cc{0.0, c.C * std::sin(c.A * kDeg) - b->flow_u2[kRotor][j], c.C * std::cos(c.A * kDeg)};
        const Mixed r = mix(c, cc, run, pref);
        run = r.flow;
        DGOXL2 += c.G;
        HOXL2 += c.G * r.dic;
        DHOXL += r.dh;
    }
    const Mixed r = mix(kF, {0.0, 0.0, kF.C}, run, pref);
    run = r.flow;
    const double u_tip = 3000.0 * (0.21 + 0.030) / 2.0;
    DGOXL2 += kF.G;
    HOXL2 += kF.G * r.dic;
    DHOXL += kF.G * u_tip * u_tip / 3.4;  // G2 of the rotor
    ASSERT_EQ(cool_rotor_row(kRotor), 0);
    // The tip coolant also cools the wall, whose heat DIOXL gives up.
    expect_row(kRotor, DGOXL2, HOXL2, DHOXL, run, std::nan(""));
    // The stator behind sees the mixed flow in the absolute frame: atan2(Vz, Vu + u2).
    const double angle = std::atan2(run.V[0], run.V[1] + b->flow_u2[kRotor][m]);
    EXPECT_NEAR(b->cool_b1_ratio[kRotor], angle / kDeg / b->cas_B1[3][m], 1e-12);
}

// Without running flow a rotor's side sites mix into the outlet total state
// with the relative outlet velocity at their streamline, (w2 sin B2, w2 cos B2, c1r).
TEST_F(CoolingSites, RotorSideSitesWithoutRunningFlowTakeTheRelativeOutletVelocity) {
    bdLocals* b = block();
    const int m = kMid;
    b->elem_G1[kRotor] = 5e-9;
    const double pref = b->isd_p2[kRotor][m];
    for (const bool tip : {true, false}) {
        SCOPED_TRACE(tip ? "tip" : "hub");
        const Coolant c = tip ? kT : kH;
        const Coolant none{0.0, 0.0, 0.0, 0.0, 0.0};
        set_t(kRotor, tip ? c : none);
        set_h(kRotor, tip ? none : c);
        const int j = tip ? kTip : kHub;
        const double w = b->flow_w2[kRotor][j], beta = b->cas_B2[kRotor][j] * kDeg;
        const Stream fallback{5e-9,
                              b->isd_p2x[kRotor][m],
                              b->isd_i2x[kRotor][m],
                              {w * std::sin(beta), w * std::cos(beta), b->flow_c1r[kRotor][j]}};
        const Vec3 cc{0.0, c.C * std::sin(c.A * kDeg) - b->flow_u2[kRotor][j], c.C * std::cos(c.A * kDeg)};
        const Mixed r = mix(c, cc, fallback, pref);
        ASSERT_EQ(cool_rotor_row(kRotor), 0);
        EXPECT_EQ(b->cool_DIOXL[kRotor], r.flow.i - b->isd_i2x[kRotor][m]);
        EXPECT_EQ(b->cool_DHOXL[kRotor], r.dh);
    }
}

// The inlet site blows against the inlet flow along the inlet blade angle b1g: in an axial section
// (-C sin b1g, -C cos b1g, 0), in a radial one (0, -C cos b1g, C sin b1g). The mixing loss it
// charges depends on that direction; the row's own running state is the main flow (a stator's inlet
// totals, a rotor's outlet totals) with the absolute inlet velocity, or for a rotor the relative one.
struct InletSiteCase {
    int row;
    double sectType;
};
class StatorAndRotorInletSite : public CoolingSites, public ::testing::WithParamInterface<InletSiteCase> {};

TEST_P(StatorAndRotorInletSite, BlowsAgainstTheFlowAlongTheInletBladeAngle) {
    const auto [i, sect] = GetParam();
    bdLocals* b = block();
    const int m = kMid;
    b->elem_sectType[i] = sect;
    const Coolant c{0.04, 720.0, 950000.0, 120.0, 0.0};
    set_site(&bdLocals::cool_iGoxl, &bdLocals::cool_iToxl, &bdLocals::cool_iPoxl, &bdLocals::cool_iCoxl,
             &bdLocals::cool_iAoxl, i, c);
    const bool rotor = i == kRotor;
    const double b1g = b->cas_B1g[i][m] * kDeg;  // 82 degrees: sine and cosine differ
    const Vec3 cc = sect == 0.0 ? Vec3{-c.C * std::sin(b1g), -c.C * std::cos(b1g), 0.0}
                                : Vec3{0.0, -c.C * std::cos(b1g), c.C * std::sin(b1g)};
    const Stream main{
        b->elem_G1[i],
        rotor ? b->isd_p2x[i][m] : b->isd_p1x[i][m],
        rotor ? b->isd_i2x[i][m] : b->isd_i1x[i][m],
        {b->flow_c1z[i][m], rotor ? b->flow_w1[i][m] * std::cos(b->cas_B1[i][m] * kDeg) : b->flow_c1u[i][m],
         b->flow_c1r[i][m]}};
    const double pref = b->isd_p2[rotor ? i : kRotor][m];
    const Mixed r = mix(c, cc, main, pref);
    ASSERT_EQ(rotor ? cool_rotor_row(i) : cool_stator_row(i), 0);
    EXPECT_DOUBLE_EQ(b->cool_DGOXL1[i], c.G);
    EXPECT_DOUBLE_EQ(b->cool_HOXL1[i], c.G * r.dic);
    EXPECT_NEAR(b->cool_DHOXL[i], r.dh, 1e-9 * std::abs(r.dh));
    EXPECT_NEAR(b->cool_TOXL[i], r.flow.i / kCp, 1e-9 * r.flow.i / kCp);
}

INSTANTIATE_TEST_SUITE_P(Sections, StatorAndRotorInletSite,
                         ::testing::Values(InletSiteCase{kStator, 0.0}, InletSiteCase{kStator, 1.0},
                                           InletSiteCase{kRotor, 0.0}, InletSiteCase{kRotor, 1.0}));

// The running flow is none once an inlet site has blown in as much as the row carried back against
// it (a row flow of -0.5 kg/s met by 0.5 kg/s of coolant): the side sites then mix into the row's
// fallback states with the whole row flow, so the pressure of those states shows in the mix: the
// tip site's is the outlet total pressure, the hub site's the inlet one. (A fallback of a vanishing
// flow cannot show it.)
TEST_F(CoolingSites, StatorSideSiteFallbacksStandAtTheirOwnPressures) {
    bdLocals* b = block();
    const int m = kMid;
    b->elem_G1[kStator] = -0.5;
    b->cas_B1g[kStator][m] = 90.0;  // the inlet coolant straight along the axis
    b->flow_c1r[kStator][m] = 0.0;  // and the inflow too, so that both pass their flows axially
    const Coolant ci{0.5, 720.0, 950000.0, 120.0, 0.0};
    set_site(&bdLocals::cool_iGoxl, &bdLocals::cool_iToxl, &bdLocals::cool_iPoxl, &bdLocals::cool_iCoxl,
             &bdLocals::cool_iAoxl, kStator, ci);
    const double pref = b->isd_p2[kRotor][m];
    const Stream main{-0.5,
                      b->isd_p1x[kStator][m],
                      b->isd_i1x[kStator][m],
                      {b->flow_c1z[kStator][m], b->flow_c1u[kStator][m], b->flow_c1r[kStator][m]}};
    const Mixed inlet = mix(ci, Vec3{-ci.C, -ci.C * std::cos(90.0 * kDeg), 0.0}, main, pref);
    ASSERT_LT(std::fabs(inlet.flow.G), 1e-8);  // nothing runs on
    const Coolant none{0.0, 0.0, 0.0, 0.0, 0.0};
    for (const bool tip : {true, false}) {
        SCOPED_TRACE(tip ? "tip" : "hub");
        const Coolant c = tip ? kT : kH;
        set_t(kStator, tip ? c : none);
        set_h(kStator, tip ? none : c);
        const int j = tip ? kTip : kHub;
        const double p_own = tip ? b->isd_p2x[kStator][m] : b->isd_p1x[kStator][m];
        const double p_other = tip ? b->isd_p1x[kStator][m] : b->isd_p2x[kStator][m];
        const Stream fallback{-0.5,
                              p_own,
                              b->isd_i1x[kStator][m],
                              {b->flow_c2z[kStator][j], b->flow_c2u[kStator][j], b->flow_c2r[kStator][j]}};
        const Vec3 cc{0.0, c.C * std::sin(c.A * kDeg), c.C * std::cos(c.A * kDeg)};
        const double k = tip ? 0.22 / (0.22 + 0.035) : 0.22 / (0.22 - 0.035);
        Stream scaled = fallback;
        scaled.V[1] *= k;
        const Mixed first = mix(c, cc, scaled, pref);
        Stream elsewhere = scaled;
        elsewhere.p = p_other;
        ASSERT_GT(std::fabs(mix(c, cc, elsewhere, pref).dh - first.dh), 1e-6 * std::fabs(first.dh));
        ASSERT_EQ(cool_stator_row(kStator), 0);
        const double dh = inlet.dh + first.dh + (scaled.V[1] - first.flow.V[1]) * 3000.0 * 0.22 / 2.0;
        EXPECT_NEAR(b->cool_DHOXL[kStator], dh, 1e-9 * std::abs(dh));
    }
}

}  // namespace
