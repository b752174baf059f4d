// The turbine stage loss breakdown and the disk friction loss, on a small
// two-stage turbine with the perfect-gas (and toy wet) test fluid.
#include "physics/loss_breakdown.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "halvorine2/loss_plugin.h"
#include "physics/profile_class.h"
#include "tests/support/flow_path.h"

namespace {

using h2::test::Elem;
using h2::test::test_fluid_func;
using h2::test::TestFluid;

constexpr double kPi = 3.14159265;
constexpr double kDeg = 0.01745329;
constexpr int kS = 1, kR = 2;  // the first stage's nozzle row and rotor
constexpr double kSentinel = -123.0;

// Every GElos field that the breakdown writes.
constexpr double* bdLocals::*kBreakdownFields[] = {
    &bdLocals::GElos_TU,   &bdLocals::GElos_PR,   &bdLocals::GElos_KP,  &bdLocals::GElos_PU,
    &bdLocals::GElos_PW,   &bdLocals::GElos_PPR,  &bdLocals::GElos_PZ,  &bdLocals::GElos_KPD,
    &bdLocals::GElos_LU,   &bdLocals::GElos_PBK,  &bdLocals::GElos_GDY, &bdLocals::GElos_DHD,
    &bdLocals::GElos_DHK,  &bdLocals::GElos_DHPU, &bdLocals::GElos_DHW, &bdLocals::GElos_DHPR,
    &bdLocals::GElos_DHRZ, &bdLocals::GElos_DHB2, &bdLocals::GElos_DH,
};

// The stage's state as the breakdown reads it.
struct Stage {
    double i1 = 0.0;  // set from the fluid by the fixture when 0
    double p1 = 400000.0, pn = 360000.0, p2 = 300000.0;
    double c2 = 60.0, u2 = 160.0;
    double G = 3.0, D = 0.5, ls = 0.03, lr = 0.035;
    double delta = 0.0005, Pa = 1.0, NSEGM = 0.0, alpha = 15.0;
    double B1g_r = 40.0, B2_r = 25.0, bx_r = 0.02, b_r = 0.025;
    double ZPR = 0.1, Zrr = 0.0, DB2 = 0.003, Gdu = 0.02;
    int MethodW = 0;
};

// The breakdown written out step by step, for the tests to compare with.
struct Expected {
    double rho_pct, X, H0, TU, PR, KP, PU, PW, PPR, PZ, PBK, KPD;
};

double tu_fit(double rho, double X, double h) {
    return 0.43656143 * rho - 0.003767857 * rho * rho + 45.3472 +
           (0.0167955 * rho * rho - 2.047149 * rho + 163.6349) * X +
           (2.66898 * rho - 0.0222495 * rho * rho - 158.76728) * X * X -
           (15.8969 * X * X - 10.7827 * X + 2.4916) * h;
}

// Bilinear table on 4 x 4 grids (ascending, inside the grid).
double bilinear(const double (&xs)[4], const double (&ys)[4], const double (&t)[4][4], double x, double y) {
    const int i = std::clamp(static_cast<int>(std::upper_bound(xs, xs + 4, x) - xs) - 1, 0, 2);
    const int j = std::clamp(static_cast<int>(std::upper_bound(ys, ys + 4, y) - ys) - 1, 0, 2);
    const double fx = (x - xs[i]) / (xs[i + 1] - xs[i]), fy = (y - ys[j]) / (ys[j + 1] - ys[j]);
    return (1 - fx) * (1 - fy) * t[i][j] + fx * (1 - fy) * t[i + 1][j] + (1 - fx) * fy * t[i][j + 1] +
           fx * fy * t[i + 1][j + 1];
}

Expected expected_for(const Stage& st, double i1, double Gd, double x1, double x2) {
    auto F = [](int code, double a, double b) { return test_fluid_func(code, a, b, 0.0, 0); };
    Expected e{};
    const double s1 = F(3, st.p1, i1);
    const double ins = F(9, st.pn, s1), i2s = F(9, st.p2, s1);
    e.rho_pct = (ins - i2s) / (i1 - i2s) * 100.0;
    e.H0 = i1 - (st.c2 * st.c2 / 2.0 + i2s);
    e.X = std::min(st.u2 / std::sqrt(2.0 * e.H0), 1.0);
    if (e.X < 0.425 && e.rho_pct > 30.0) e.rho_pct = 30.0;
    if (e.X > 0.425 && e.X < 0.525 && e.rho_pct > 40.0) e.rho_pct = 40.0;
    const double h = std::min((0.001 / st.ls - 0.004) * 100.0, 0.1);
    e.TU = tu_fit(e.rho_pct, e.X, h);
    const double sa = std::sin(st.alpha * kDeg), X3 = e.X * e.X * e.X;
    e.PR = (1.0 / st.Pa - 1.0) * (0.065 / sa) * X3 * 100.0 +
           ((st.D - st.lr) * (st.D - st.lr) * 0.0006 * X3) / (st.D * kPi * st.lr * st.Pa * sa) * 100.0;
    const double w = st.bx_r * std::cos(h2::BetaUstFit(st.B1g_r, st.B2_r, 0) * kDeg);
    e.KP = st.Pa <= 0.999
               ? (w * 0.25 * st.lr * e.X * std::fabs(st.NSEGM) * e.TU) / (st.D * kPi * st.ls * st.Pa * sa)
               : 0.0;
    e.PU = (e.TU - e.PR - e.KP) * (1.5 * Gd / st.G);
    const double rho = e.rho_pct / 100.0;
    e.PW = 0.0;
    const auto wet = [](double x) { return x >= 0.0 && x <= 0.9999; };
    if (wet(x1) || wet(x2)) {
        const double y = std::max(x1, x2);
        const double k =
            st.MethodW == 2 ? 0.0
            : st.MethodW == 1
                ? 1.0 - y
                : ((2.0833 * rho * rho - 2.0417 * rho + 1.0) * (0.17 - 0.05 * y) * e.H0) / 419000.0 +
                      (1.0 - y) * 0.98;
        e.PW = std::max((e.TU - e.PR - e.KP - e.PU) * k, 0.0);
    }
    e.PPR = 2.0 * st.ZPR;
    const bool open_tip = std::trunc(st.Zrr) == 0.0;
    e.PZ =
        open_tip
            ? std::min((e.TU - e.PR - e.KP - e.PU - e.PW - e.PPR) * (1.6 * rho + 1.44) * (st.delta / st.lr),
                       10.0)
            : 0.0;
    // t over DB2/w on (0, 0.2) and l/w on (1..4): row 0 is zero, row 0.2 is 0, 0, 6, 3.
    const double gx = std::clamp(st.DB2 / w / 0.2, 0.0, 1.0);  // the tests stay inside the grid
    const double ly = st.lr / w;
    const double row02 = ly <= 2.0 ? 0.0 : ly <= 3.0 ? 6.0 * (ly - 2.0) : 6.0 - 3.0 * (ly - 3.0);
    const double t = gx * row02;
    static constexpr double kT[4] = {0.0, 2.0, 4.0, 6.0}, kRho[4] = {0.0, 0.15, 0.3, 0.6};
    static constexpr double kA[4][4] = {
        {0, 0, 0, 0}, {0.2, 0.4, 0.6, 1.0}, {0.6, 1.1, 2.0, 3.3}, {3.0, 4.4, 6.0, 9.0}};
    static constexpr double kB[4][4] = {
        {0, 0, 0, 0}, {0.3, 0.6, 0.8, 1.5}, {1.0, 2.0, 2.6, 4.0}, {4.4, 6.0, 8.0, 12.0}};
    e.PBK = open_tip ? (1.3 - 0.2 * st.delta / st.lr) * bilinear(kT, kRho, kA, t, rho)
                     : bilinear(kT, kRho, kB, t, rho);
    e.KPD = (e.TU - e.PR - e.KP - e.PU - e.PW - e.PPR - e.PZ - e.PBK) / 100.0;
    return e;
}

// Slot D model of the tests: the diaphragm flow it writes, and its calls.
double g_leak_flow = 0.0;
std::vector<int> g_leak_calls;
void leakage_model(bdLocals* b, int element) {
    g_leak_calls.push_back(element);
    b->elem_Gdu[element] = g_leak_flow;
}

class StageLoss : public h2::test::LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        g_leak_calls.clear();
    }

    // Inlet, stator, rotor, stator, rotor on three streamlines (middle 1).
    void build(const Stage& st, const TestFluid& fluid = {}) {
        h2::test::make_flow_path({Elem::Inlet, Elem::Stator, Elem::Rotor, Elem::Stator, Elem::Rotor}, 3,
                                 fluid);
        bdLocals* b = block();
        b->cyld_MethodW = st.MethodW;
        i1_ = st.i1 != 0.0 ? st.i1 : fluid.cp() * 1000.0;
        const int m = 1;
        b->elem_af[kS] = 0.0;
        b->isd_i1[kS][m] = i1_;
        b->isd_p1[kS][m] = st.p1;
        b->isd_p2[kS][m] = st.pn;
        b->isd_p2[kR][m] = st.p2;
        b->flow_c2[kR][m] = st.c2;
        b->flow_u2[kR][m] = st.u2;
        b->elem_G1[kS] = st.G;
        b->bld_d2[kS] = st.D;
        b->bld_l2[kS] = st.ls;
        b->bld_l2[kR] = st.lr;
        b->clrn_drr[kR] = st.delta;
        b->elem_Pa[kS] = st.Pa;
        b->elem_NSEGM[kS] = st.NSEGM;
        b->cas_B2[kS][m] = st.alpha;
        b->cas_B1g[kR][m] = st.B1g_r;
        b->cas_B2[kR][m] = st.B2_r;
        b->cas_bx[kR][m] = st.bx_r;
        b->cas_b[kR][m] = st.b_r;
        b->bld_ZPR[kR] = st.ZPR;
        b->clrn_Zrr[kR] = st.Zrr;
        b->clrn_DB2[kR] = st.DB2;
        b->elem_Gdu[kS] = st.Gdu;
        for (double* bdLocals::*f : kBreakdownFields) (b->*f)[kS] = kSentinel;
    }

    void expect_breakdown(const Expected& e, double Gd) {
        const bdLocals* b = block();
        const double tol = 1e-9;
        EXPECT_NEAR(b->GElos_TU[kS], e.TU, tol);
        EXPECT_NEAR(b->GElos_PR[kS], e.PR, tol);
        EXPECT_NEAR(b->GElos_KP[kS], e.KP, tol);
        EXPECT_NEAR(b->GElos_PU[kS], e.PU, tol);
        EXPECT_NEAR(b->GElos_PW[kS], e.PW, tol);
        EXPECT_NEAR(b->GElos_PPR[kS], e.PPR, tol);
        EXPECT_NEAR(b->GElos_PZ[kS], e.PZ, tol);
        EXPECT_NEAR(b->GElos_PBK[kS], e.PBK, tol);
        EXPECT_NEAR(b->GElos_KPD[kS], e.KPD, tol);
        EXPECT_NEAR(b->GElos_LU[kS], e.H0 * e.KPD, tol * e.H0);
        EXPECT_EQ(b->GElos_GDY[kS], Gd);
        const double H = e.H0 / 100.0;
        EXPECT_NEAR(b->GElos_DHD[kS], e.PR * H, tol * H);
        EXPECT_NEAR(b->GElos_DHK[kS], e.KP * H, tol * H);
        EXPECT_NEAR(b->GElos_DHPU[kS], e.PU * H, tol * H);
        EXPECT_NEAR(b->GElos_DHW[kS], e.PW * H, tol * H);
        EXPECT_NEAR(b->GElos_DHPR[kS], e.PPR * H, tol * H);
        EXPECT_NEAR(b->GElos_DHRZ[kS], e.PZ * H, tol * H);
        EXPECT_NEAR(b->GElos_DHB2[kS], e.PBK * H, tol * H);
        // Disk friction is not part of the sum.
        EXPECT_NEAR(b->GElos_DH[kS], (e.KP + e.PU + e.PW + e.PPR + e.PZ + e.PBK) * H, 1e-6 * H);
    }

    void expect_untouched() {
        for (double* bdLocals::*f : kBreakdownFields) EXPECT_EQ((block()->*f)[kS], kSentinel);
    }

    double i1_ = 0.0;
};

// -- Which stages are broken down ------------------------------------------

// An exit metal angle past 90 degrees on every section: a compressor profile.
void compressor_profile(bdLocals* b, int i) {
    for (int j = 0; j < b->cyld_nr; ++j) b->cas_B2a[i][j] = 120.0;
}

struct NotAStage {
    const char* what;
    void (*spoil)(bdLocals*);
    int s;
};

class StageLossRefuses : public StageLoss, public ::testing::WithParamInterface<NotAStage> {};

TEST_P(StageLossRefuses, ReturnsOneAndChangesNothing) {
    build({});
    GetParam().spoil(block());
    EXPECT_EQ(stage_loss_breakdown(GetParam().s), 1);
    expect_untouched();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StageLossRefuses,
    ::testing::Values(NotAStage{"a negative index", [](bdLocals*) {}, -1},
                      NotAStage{"the last element", [](bdLocals*) {}, 4},
                      NotAStage{"a rotor", [](bdLocals*) {}, kR}, NotAStage{"the inlet", [](bdLocals*) {}, 0},
                      NotAStage{"a duct", [](bdLocals* b) { b->elem_stagType[kS] = 0.0; }, kS},
                      NotAStage{"no rotor behind", [](bdLocals* b) { b->bld_wp[kR] = 0.0; }, kS},
                      NotAStage{"a compressor (design task, pressure rising)",
                                [](bdLocals* b) {
                                    b->cyld_VART = 0;
                                    b->elem_p2[b->cyld_ns] = 2.0 * b->elem_p0[0];
                                },
                                kS},
                      NotAStage{"a compressor profile", [](bdLocals* b) { compressor_profile(b, kS); }, kS},
                      NotAStage{"no main fluid", [](bdLocals* b) { b->fluid_func = nullptr; }, kS},
                      NotAStage{"counts beyond the arrays", [](bdLocals* b) { b->cyld_ns = 9; }, kS}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(StageLoss, DesignTaskTakesTheTurbineFromThePressureFall) {
    build({});
    block()->cyld_VART = 0;
    compressor_profile(block(), kS);  // the profile test would say compressor
    EXPECT_EQ(stage_loss_breakdown(kS), 0);
}

// -- The breakdown ----------------------------------------------------------

struct BreakdownCase {
    const char* what;
    Stage stage;
};

class StageLossBreakdown : public StageLoss, public ::testing::WithParamInterface<BreakdownCase> {};

TEST_P(StageLossBreakdown, EveryTermFollowsItsRelation) {
    const Stage& st = GetParam().stage;
    build(st);
    ASSERT_EQ(stage_loss_breakdown(kS), 0);
    expect_breakdown(expected_for(st, i1_, st.Gdu, -1.0, -1.0), st.Gdu);
}

Stage with(void (*edit)(Stage&)) {
    Stage s;
    edit(s);
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StageLossBreakdown,
    ::testing::Values(
        BreakdownCase{"full admission, open tip", {}},
        BreakdownCase{"partial admission in four segments", with([](Stage& s) {
                          s.Pa = 0.4;
                          s.NSEGM = -4.0;  // the count is taken by magnitude
                      })},
        BreakdownCase{"shroud seal count: no clearance loss, table B", with([](Stage& s) { s.Zrr = 2.7; })},
        BreakdownCase{"seal count below one counts as none", with([](Stage& s) { s.Zrr = 0.9; })},
        BreakdownCase{"taller rotor: shroud table past its middle", with([](Stage& s) {
                          s.lr = 0.06;
                          s.DB2 = 0.002;
                      })},
        BreakdownCase{"tall rotor with shroud seals: table B", with([](Stage& s) {
                          s.lr = 0.06;
                          s.DB2 = 0.002;
                          s.Zrr = 2.0;
                      })},
        BreakdownCase{"tall nozzle: height term below its cap", with([](Stage& s) { s.ls = 0.5; })}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(StageLoss, FullAdmissionHasNoSegmentLossAndOnlyTheDiskTermOfFriction) {
    for (double Pa : {0.9995, 1.0}) {
        Stage st;
        st.Pa = Pa;
        st.NSEGM = 6.0;
        build(st);
        ASSERT_EQ(stage_loss_breakdown(kS), 0);
        EXPECT_EQ(block()->GElos_KP[kS], 0.0) << Pa;
        bterm();
        ASSERT_NE(binit(), nullptr);
    }
    Stage st;
    build(st);
    ASSERT_EQ(stage_loss_breakdown(kS), 0);
    const Expected e = expected_for(st, i1_, st.Gdu, -1.0, -1.0);
    const double X3 = e.X * e.X * e.X;
    EXPECT_NEAR(block()->GElos_PR[kS],
                (st.D - st.lr) * (st.D - st.lr) * 0.0006 * X3 /
                    (st.D * kPi * st.lr * std::sin(st.alpha * kDeg)) * 100.0,
                1e-12);
    // Just below the limit the segment ends count.
    st.Pa = 0.999;
    st.NSEGM = 6.0;
    bterm();
    ASSERT_NE(binit(), nullptr);
    build(st);
    ASSERT_EQ(stage_loss_breakdown(kS), 0);
    EXPECT_GT(block()->GElos_KP[kS], 0.0);
}

// -- Velocity ratio and reaction caps -----------------------------------------

// u2 that makes the breakdown's velocity ratio u2/sqrt(2 H0) exactly X, or
// 0 when no double does for this H0.
double u2_for_ratio(double X, double H0) {
    const double root = std::sqrt(2.0 * H0);
    double u2 = X * root;
    while (u2 / root < X) u2 = std::nextafter(u2, 1e9);
    while (u2 / root > X) u2 = std::nextafter(u2, 0.0);
    return u2 / root == X ? u2 : 0.0;
}

struct RatioCase {
    double X;        // velocity ratio asked for
    double X_used;   // as the fit reads it
    double rho_cap;  // per cent; 0: not capped
};

class StageLossRatio : public StageLoss, public ::testing::WithParamInterface<RatioCase> {};

TEST_P(StageLossRatio, ReactionCapsAndRatioCap) {
    const RatioCase& rc = GetParam();
    Stage st;
    st.pn = 380000.0;  // a high-reaction stage
    build(st);
    Stage uncapped = st;
    uncapped.u2 = 1e4;  // X = 1: no reaction cap
    Expected base{};
    // An exit speed for which some u2 gives the ratio exactly.
    bool found = false;
    for (int n = 0; n < 100 && !found; ++n) {
        uncapped.c2 = 60.0 + 0.01 * n;
        base = expected_for(uncapped, i1_, st.Gdu, -1.0, -1.0);
        const double u2 = u2_for_ratio(rc.X, base.H0);
        if (u2 != 0.0) {
            st.u2 = u2;
            st.c2 = uncapped.c2;
            found = true;
        }
    }
    ASSERT_TRUE(found);
    ASSERT_GT(base.rho_pct, 40.0);
    block()->flow_u2[kR][1] = st.u2;
    block()->flow_c2[kR][1] = st.c2;

    ASSERT_EQ(stage_loss_breakdown(kS), 0);
    const double h = std::min((0.001 / st.ls - 0.004) * 100.0, 0.1);
    const double rho = rc.rho_cap != 0.0 ? rc.rho_cap : base.rho_pct;
    EXPECT_NEAR(block()->GElos_TU[kS], tu_fit(rho, rc.X_used, h), 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Cases, StageLossRatio,
                         ::testing::Values(RatioCase{0.3, 0.3, 30.0}, RatioCase{0.4249, 0.4249, 30.0},
                                           RatioCase{0.425, 0.425, 0.0},  // exactly 0.425: not capped
                                           RatioCase{0.45, 0.45, 40.0}, RatioCase{0.5249, 0.5249, 40.0},
                                           RatioCase{0.525, 0.525, 0.0}, RatioCase{0.8, 0.8, 0.0},
                                           RatioCase{1.4, 1.0, 0.0}),  // above 1: read at 1
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

// -- Wetness -------------------------------------------------------------------

TEST_F(StageLoss, SuperheatedFlowHasNoWetnessLossForEveryMethod) {
    // The toy wet fluid with the saturation line far below the expansion.
    TestFluid fluid{.wet = true, .h_liquid = 1000.0, .h_vapour = 5000.0};
    for (int method : {0, 1, 2, 7}) {
        Stage st;
        st.MethodW = method;
        build(st, fluid);
        ASSERT_EQ(stage_loss_breakdown(kS), 0);
        EXPECT_EQ(block()->GElos_PW[kS], 0.0) << method;
        EXPECT_EQ(block()->GElos_DHW[kS], 0.0) << method;
        bterm();
        ASSERT_NE(binit(), nullptr);
    }
}

struct WetCase {
    int method;
    double h_vapour_over_i1;  // saturation line relative to the inlet enthalpy
};

class StageLossWet : public StageLoss, public ::testing::WithParamInterface<WetCase> {};

TEST_P(StageLossWet, WetnessLossByMethod) {
    const WetCase& wc = GetParam();
    Stage st;
    st.MethodW = wc.method;
    const TestFluid dry;
    const double i1 = dry.cp() * 1000.0;
    TestFluid fluid{.wet = true, .h_liquid = 0.2 * i1, .h_vapour = wc.h_vapour_over_i1 * i1};
    build(st, fluid);
    ASSERT_EQ(stage_loss_breakdown(kS), 0);

    auto F = [](int code, double a, double b) { return test_fluid_func(code, a, b, 0.0, 0); };
    double x1 = F(0, st.p1, i1);
    const double i2s = F(9, st.p2, F(3, st.p1, i1));
    const double x2 = F(0, st.p2, i2s);
    ASSERT_TRUE(x2 >= 0.0 && x2 <= 0.9999);  // the expansion ends wet
    // A dry inlet takes its dryness from the saturation enthalpies.
    if (x1 < 0.0 && x2 > 0.0) x1 = (i1 - fluid.h_liquid) / (fluid.h_vapour - fluid.h_liquid);
    const Expected e = expected_for(st, i1, st.Gdu, x1, x2);
    EXPECT_NEAR(block()->GElos_PW[kS], e.PW, 1e-9);
    if (wc.method == 2) {
        EXPECT_EQ(block()->GElos_PW[kS], 0.0);
    }
    expect_breakdown(e, st.Gdu);
}

INSTANTIATE_TEST_SUITE_P(Cases, StageLossWet,
                         ::testing::Values(WetCase{0, 1.05},  // wet throughout
                                           WetCase{1, 1.05}, WetCase{2, 1.05},
                                           WetCase{0, 0.995},   // dry inlet, wet outlet
                                           WetCase{1, 0.995}),  // the inlet's dryness above 1: no loss
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

// -- Diaphragm leakage model ------------------------------------------------

TEST_F(StageLoss, LeakageModelFlowIsUsedAndElemGduRestored) {
    Stage st;
    build(st);
    bdLocals* b = block();
    g_leak_flow = 0.06;
    ASSERT_EQ(h2_loss_install(b, H2_LOSS_D, kS, reinterpret_cast<LossEntry>(&leakage_model), nullptr), 1);
    b->elem_MethodD[kS] = 0.0;  // the breakdown calls a set entry whatever the switch

    ASSERT_EQ(stage_loss_breakdown(kS), 0);
    EXPECT_EQ(g_leak_calls, std::vector<int>{kS});
    EXPECT_EQ(b->elem_Gdu[kS], st.Gdu);
    expect_breakdown(expected_for(st, i1_, g_leak_flow, -1.0, -1.0), g_leak_flow);
}

TEST_F(StageLoss, EmptyLeakageEntryUsesTheFlowInPlaceAndLeavesIt) {
    Stage st;
    build(st);
    bdLocals* b = block();
    b->elem_MethodD[kS] = 1.0;  // switched on, but no model was found
    ASSERT_EQ(b->LossSlots[H2_LOSS_D][kS], nullptr);
    ASSERT_EQ(stage_loss_breakdown(kS), 0);
    EXPECT_TRUE(g_leak_calls.empty());
    EXPECT_EQ(b->elem_Gdu[kS], st.Gdu);
    expect_breakdown(expected_for(st, i1_, st.Gdu, -1.0, -1.0), st.Gdu);
}

// -- Values that must not reach the case ----------------------------------

int g_nan_code = -1;
double nan_fluid(int code, double a, double b, double c, int which) {
    if (code == g_nan_code) return std::numeric_limits<double>::quiet_NaN();
    return test_fluid_func(code, a, b, c, which);
}

TEST_F(StageLoss, FailedPropertyCallsStoreZerosNotNaN) {
    for (int code : {3, 9}) {
        build({});
        g_nan_code = code;
        block()->fluid_func = &nan_fluid;
        ASSERT_EQ(stage_loss_breakdown(kS), 0);
        for (double* bdLocals::*f : kBreakdownFields) EXPECT_TRUE(std::isfinite((block()->*f)[kS])) << code;
        EXPECT_EQ(block()->GElos_TU[kS], 0.0);
        EXPECT_EQ(block()->GElos_KPD[kS], 0.0);
        bterm();
        ASSERT_NE(binit(), nullptr);
    }
}

// Reaction (per cent) of the default stage, uncapped.
double default_reaction() {
    const Stage d;
    const double i1 = TestFluid{}.cp() * 1000.0;
    auto F = [](int code, double a, double b) { return test_fluid_func(code, a, b, 0.0, 0); };
    const double s1 = F(3, d.p1, i1);
    const double ins = F(9, d.pn, s1), i2s = F(9, d.p2, s1);
    return (ins - i2s) / (i1 - i2s) * 100.0;
}

struct Degenerate {
    const char* what;
    void (*edit)(Stage&);
    void (*check)(const bdLocals&);
};

class StageLossDegenerate : public StageLoss, public ::testing::WithParamInterface<Degenerate> {};

TEST_P(StageLossDegenerate, ZeroDivisorsLeaveTheirTermsOut) {
    Stage st;
    GetParam().edit(st);
    build(st);
    ASSERT_EQ(stage_loss_breakdown(kS), 0);
    for (double* bdLocals::*f : kBreakdownFields) EXPECT_TRUE(std::isfinite((block()->*f)[kS]));
    GetParam().check(*block());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StageLossDegenerate,
    ::testing::Values(Degenerate{"no mass flow: no leakage share", [](Stage& s) { s.G = 0.0; },
                                 [](const bdLocals& b) { EXPECT_EQ(b.GElos_PU[kS], 0.0); }},
                      Degenerate{"no exit angle: no friction or segment terms",
                                 [](Stage& s) {
                                     s.alpha = 0.0;
                                     s.Pa = 0.5;
                                     s.NSEGM = 2.0;
                                 },
                                 [](const bdLocals& b) {
                                     EXPECT_EQ(b.GElos_PR[kS], 0.0);
                                     EXPECT_EQ(b.GElos_KP[kS], 0.0);
                                 }},
                      Degenerate{"no expansion: no reaction, ratio at its cap",
                                 [](Stage& s) {
                                     s.pn = s.p1;
                                     s.p2 = s.p1;
                                     s.c2 = 0.0;
                                 },
                                 [](const bdLocals& b) {
                                     EXPECT_NEAR(b.GElos_TU[kS], tu_fit(0.0, 1.0, 0.1), 1e-9);
                                     EXPECT_NEAR(b.GElos_LU[kS], 0.0, 1e-6);
                                 }},
                      Degenerate{"exit energy above the drop: ratio at its cap",
                                 [](Stage& s) { s.c2 = 2000.0; },
                                 [](const bdLocals& b) {
                                     EXPECT_NEAR(b.GElos_TU[kS], tu_fit(default_reaction(), 1.0, 0.1), 1e-9);
                                 }},
                      Degenerate{"no nozzle height: height term at its cap, no segment term",
                                 [](Stage& s) {
                                     s.ls = 0.0;
                                     s.Pa = 0.5;
                                     s.NSEGM = 2.0;
                                 },
                                 [](const bdLocals& b) {
                                     EXPECT_EQ(b.GElos_KP[kS], 0.0);
                                     const Stage d;
                                     const Expected e =
                                         expected_for(d, TestFluid{}.cp() * 1000.0, d.Gdu, -1.0, -1.0);
                                     EXPECT_NEAR(b.GElos_TU[kS], e.TU,
                                                 1e-9);  // the default's h is capped too
                                 }},
                      Degenerate{"no rotor height: no clearance ratio", [](Stage& s) { s.lr = 0.0; },
                                 [](const bdLocals& b) {
                                     EXPECT_EQ(b.GElos_PZ[kS], 0.0);
                                     EXPECT_EQ(b.GElos_PR[kS], 0.0);
                                 }},
                      Degenerate{"no rotor width: no table loss",
                                 [](Stage& s) {
                                     s.bx_r = 0.0;
                                     s.b_r = 0.0;
                                 },
                                 [](const bdLocals& b) { EXPECT_EQ(b.GElos_PBK[kS], 0.0); }},
                      Degenerate{"admission not given: full admission",
                                 [](Stage& s) {
                                     s.Pa = 0.0;
                                     s.NSEGM = 3.0;
                                 },
                                 [](const bdLocals& b) { EXPECT_EQ(b.GElos_KP[kS], 0.0); }}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(StageLoss, ChordStandsInForMissingAxialWidth) {
    Stage st;
    st.bx_r = 0.0;
    st.Pa = 0.5;
    st.NSEGM = 2.0;
    build(st);
    ASSERT_EQ(stage_loss_breakdown(kS), 0);
    Stage as_chord = st;
    as_chord.bx_r = st.b_r;  // the reference reads bx
    expect_breakdown(expected_for(as_chord, i1_, st.Gdu, -1.0, -1.0), st.Gdu);
}

// -- Disk friction ----------------------------------------------------------

class DiskFriction : public h2::test::LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        h2::test::make_flow_path({Elem::Inlet, Elem::Stator, Elem::Rotor, Elem::Stator, Elem::Rotor}, 3);
        bdLocals* b = block();
        b->bld_d1[kR] = 0.48;
        b->bld_d2[kR] = 0.52;
        b->isd_Ro2[kR][1] = 1.8;
        b->elem_G1[kR] = 3.0;
        b->GElos_DHD[kR] = kSentinel;
        b->enrg_dhd[kR] = kSentinel;
    }
    static double expected(double D, double wp, double rho, double G) {
        const double u = D * wp / 2.0;
        return std::pow(1e6, -0.2) * 0.0067 * std::fabs(wp) * rho * u * u * D * D * D / G;
    }
};

TEST_F(DiskFriction, AxialRotorTakesTheMeanDiameter) {
    const double dhd = disk_friction_dhd(kR);
    EXPECT_NEAR(dhd, expected(0.5, 3000.0, 1.8, 3.0), 1e-9 * dhd);
    EXPECT_EQ(block()->GElos_DHD[kR], dhd);
    EXPECT_EQ(block()->enrg_dhd[kR], dhd);
    // Turning the other way loses as much.
    block()->bld_wp[kR] = -3000.0;
    EXPECT_NEAR(disk_friction_dhd(kR), dhd, 1e-12 * dhd);
}

TEST_F(DiskFriction, RadialTurbineRotorHasNoneAndKeepsGElosDHD) {
    bdLocals* b = block();
    b->elem_sectType[kR] = 1.0;
    b->bld_d1[kR] = 0.6;  // inflow: a turbine
    b->cas_B2a[kR][1] = 150.0;
    for (int vart : {0, 10}) {
        b->cyld_VART = vart;
        b->enrg_dhd[kR] = kSentinel;
        EXPECT_EQ(disk_friction_dhd(kR), 0.0) << vart;
        EXPECT_EQ(b->enrg_dhd[kR], 0.0);
        EXPECT_EQ(b->GElos_DHD[kR], kSentinel);
    }
}

TEST_F(DiskFriction, RadialCompressorRotorIsAnEnclosedDisk) {
    bdLocals* b = block();
    b->elem_sectType[kR] = 1.0;
    b->bld_d1[kR] = 0.2;  // outflow: a compressor impeller
    b->cyld_VART = 0;
    b->elem_p2[b->cyld_ns] = 2.0 * b->elem_p0[0];  // pressure rising
    const double dhd = disk_friction_dhd(kR);
    // Both faces of the enclosed disk at the outlet radius 0.26 m and s/r 0.02,
    // at the test fluid's viscosity 1.5e-5 m^2/s: P = 0.5 C_M rho omega^3 r^5.
    const double r = 0.26, Re = 3000.0 * r * r / 1.5e-5;
    const double CM = std::max(0.080 / (std::pow(0.02, 1.0 / 6.0) * std::pow(Re, 0.25)),
                               0.102 * std::pow(0.02, 0.1) / std::pow(Re, 0.2));
    EXPECT_NEAR(dhd, 0.5 * CM * 1.8 * std::pow(3000.0, 3) * std::pow(r, 5) / 3.0, 1e-9 * dhd);
    EXPECT_EQ(b->enrg_dhd[kR], dhd);
}

// Daily & Nece's moment coefficients of an enclosed disk, both faces, in
// their four regimes: the coefficient is the largest regime's.
TEST(EnclosedDiskMoment, FollowsTheRegimeOfTheGapAndReynoldsNumber) {
    struct Case {
        double Re, gap, CM;
    };
    for (const Case c : {
             Case{1e3, 0.02, 2.0 * 3.14159265358979 / (0.02 * 1e3)},  // I: laminar, merged
             Case{1e4, 0.2, 3.70 * std::pow(0.2, 0.1) / 100.0},       // II: laminar, separate
             Case{1e6, 0.0127, 0.080 / (std::pow(0.0127, 1.0 / 6.0) * std::pow(1e6, 0.25))},  // III
             Case{1e7, 0.217, 0.102 * std::pow(0.217, 0.1) / std::pow(1e7, 0.2)},             // IV
         }) {
        SCOPED_TRACE(c.Re);
        EXPECT_NEAR(enclosed_disk_moment(c.Re, c.gap), c.CM, 1e-8 * c.CM);  // the code's pi has 9 digits
    }
    EXPECT_EQ(enclosed_disk_moment(0.0, 0.02), 0.0);
    EXPECT_EQ(enclosed_disk_moment(1e6, 0.0), 0.0);
}

TEST_F(DiskFriction, NoMassFlowOrNoElementGivesZero) {
    bdLocals* b = block();
    b->elem_G1[kR] = 0.0;
    EXPECT_EQ(disk_friction_dhd(kR), 0.0);
    EXPECT_EQ(b->enrg_dhd[kR], 0.0);
    for (int i : {-1, 5, 1000}) EXPECT_EQ(disk_friction_dhd(i), 0.0);
}

}  // namespace
