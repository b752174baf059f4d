// The axial turbine module generator on perfect-gas air (R 287.5, k 1.4)
// from 4 bar and 1000 K, 3 kg/s at 3000 rad/s. Hand numbers for Gflag 2,
// Dflag 0, D 0.2, alpha1 14 degrees, HT 0.6, R 0.15 and 1.2 bar: q = (tan 14
// omega D (1 - R) / 0.98)^2 = 16835.66, H0 = i0 (1 - 0.3^(1/3.5)) =
// 292884.72 J/kg, n = floor(H0 / (0.125 (omega D / HT)^2 - q/2) + 0.5) = 3.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "physics/turbine_eff_estimate.h"
#include "solver/predesign/axial_turbine/axial_turbine_rows.h"
#include "solver/predesign/axial_turbine/turbine_design.h"
#include "solver/predesign/module_generators.h"
#include "solver/predesign/point_reason.h"
#include "solver/solver_api.h"
#include "tests/support/turbine_module_case.h"

namespace {

using h2::predesign::AxTurbDesign;
using namespace h2::test;

class AxialTurbine : public TurbineModuleTest {
protected:
    int design() { return AxTurbDesign(0); }
};

TEST_F(AxialTurbine, HandNumbers) {
    EXPECT_NEAR(kQ, 16835.66, 0.005);
    EXPECT_NEAR(kH0, 292884.72, 0.005);
    EXPECT_EQ(std::floor(kH0 / (0.125 * std::pow(kSpeed * kD / kHT, 2.0) - kQ / 2.0) + 0.5), 3.0);
}

// With KZ = KH = 1 every stage exit lies (k + 1) dh below i0 - q/2 on the
// entropy s0 + (k + 1) ds: dh = (i0 - i2 + q/2)/n, ds = (s2 - s0)/n, i2 on
// the expected efficiency.
TEST_F(AxialTurbine, ThreeStagesSplitTheDropEqually) {
    model();
    EXPECT_EQ(design(), 13);
    const bdLocals& b = *block();
    const PD_module& r = record(0);
    EXPECT_EQ(b.cyld_ns, 6);
    EXPECT_EQ(r.elemsPerStage, 2);
    EXPECT_EQ(r.PD_VAL[PD_VAR_KU], 0.0);  // the lower bound
    const double eta = turbine_eff_estimate(kFlow, kInP0, kInI0, kP2);
    const double s0 = fluid(3, kInP0, kInI0);
    const double i2 = kInI0 - eta * kH0;
    const double s2 = fluid(3, kP2, i2);
    const int n = 3;
    const double dh = (kInI0 - i2 + kQ / 2.0) / n, ds = (s2 - s0) / n;
    for (int k = 0; k < n; ++k) {
        SCOPED_TRACE(k);
        const double p2 = fluid(8, kInI0 - kQ / 2.0 - (k + 1) * dh, s0 + (k + 1) * ds);
        EXPECT_NEAR(b.elem_p2[2 * k + 2], p2, 1e-9 * p2);
        EXPECT_EQ(b.isd_p2[2 * k + 2][0], b.elem_p2[2 * k + 2]);
        EXPECT_NEAR(b.flow_c2z[2 * k + 1][0], std::sqrt(kQ), 1e-9);
        EXPECT_NEAR(b.flow_c2z[2 * k + 2][0], std::sqrt(kQ), 1e-9);
        EXPECT_EQ(b.elem_stageNum[2 * k + 1], k);
        EXPECT_EQ(b.elem_stageNum[2 * k + 2], k);
        EXPECT_EQ(b.bld_wp[2 * k + 2], kSpeed);
        EXPECT_EQ(b.bld_wp[2 * k + 1], 0.0);
        EXPECT_EQ(b.elem_VARTD[2 * k + 1], 0.0);
        EXPECT_EQ(b.los_Los[2 * k + 1][0], 0.95);
        if (k > 0) {
            // A later stator starts where the stage before ends, at the
            // stage's total enthalpy q/2 above the running static one.
            EXPECT_EQ(b.elem_p0[2 * k + 1], b.elem_p2[2 * k]);
            EXPECT_NEAR(b.elem_i0[2 * k + 1], kInI0 - k * dh, 1e-9 * kInI0);
        }
    }
    // The later stators by continuity at their exit state (hub-diameter form).
    for (int e : {3, 5}) {
        SCOPED_TRACE(e);
        const double rho = fluid(2, b.elem_p2[e], b.elem_i0[e + 1]);
        const double l = b.bld_l2[e];
        EXPECT_NEAR(kFlow, rho * std::sqrt(kQ) * kPi * (kD + l) * l * b.elem_Pa[e], 1e-9 * kFlow);
        EXPECT_NEAR(b.bld_d2[e], kD + l, 1e-15);
        EXPECT_NEAR(b.elem_R[e], 1.0 - std::pow(1.0 - l / (kD + l), 1.8) * (1.0 - kR), 1e-12);
        EXPECT_EQ(b.elem_R[e + 1], b.elem_R[e]);
    }
    // The first stator: continuity at the density of its exit state.
    const double rho1 = fluid(2, b.elem_p2[1], b.elem_i0[2]);
    const double l1 = b.bld_l2[1];
    EXPECT_NEAR(kFlow, rho1 * std::sqrt(kQ) * kPi * (kD + l1) * l1,
                1e-6 * kFlow);  // fixed point of five passes
    EXPECT_EQ(b.bld_l2[0], l1);
    EXPECT_EQ(b.bld_d1[0], b.bld_d2[1]);
}

// HT 0.8 gives n = floor(H0 / (0.125 (750)^2 - q/2) + 0.5) = 5 stages and
// kmid 2: stage k's axial velocity ((k - 2)(KZ - 1)/5 + 1) sqrt(q), its drop
// ((k - 2)(KH - 1)/5 + 1) dh; the running static enthalpy E falls by each
// later stage's drop and the stage ends at E less that drop again.
TEST_F(AxialTurbine, KzAndKhChangeTheStagesAboutTheMiddleOne) {
    model();
    PD_module& r = record(0);
    r.PD_VAL[PD_VAR_HT] = 0.8;
    r.PD_VAL[PD_VAR_KZ] = 1.3;
    r.PD_VAL[PD_VAR_KH] = 1.2;
    EXPECT_EQ(design(), 13);
    const bdLocals& b = *block();
    const int n = 5, kmid = 2;
    ASSERT_EQ(std::floor(kH0 / (0.125 * 750.0 * 750.0 - kQ / 2.0) + 0.5), n);
    ASSERT_EQ(b.cyld_ns, 2 * n);
    const double eta = turbine_eff_estimate(kFlow, kInP0, kInI0, kP2);
    const double s0 = fluid(3, kInP0, kInI0);
    const double i2 = kInI0 - eta * kH0;
    const double dh = (kInI0 - i2 + kQ / 2.0) / n, ds = (fluid(3, kP2, i2) - s0) / n;
    const double h0 = ((0.0 - kmid) * 0.2 / n + 1.0) * dh;
    const double p20 = fluid(8, kInI0 - kQ / 2.0 - h0, s0 + ds);
    EXPECT_NEAR(b.elem_p2[2], p20, 1e-9 * p20);
    double E = kInI0 - kQ / 2.0;
    for (int k = 1; k < n; ++k) {
        SCOPED_TRACE(k);
        const double kz = ((k - kmid) * 0.3 / n + 1.0);
        EXPECT_NEAR(b.flow_c2z[2 * k + 1][0], kz * std::sqrt(kQ), 1e-9);
        EXPECT_EQ(b.flow_c1z[2 * k + 2][0], b.flow_c2z[2 * k + 1][0]);
        const double hk = ((k - kmid) * 0.2 / n + 1.0) * dh;
        E -= hk;
        const double p2 = fluid(8, E - hk, (k + 1) * ds + s0);
        EXPECT_NEAR(b.elem_p2[2 * k + 2], p2, 1e-9 * p2);
        EXPECT_NEAR(b.elem_i0[2 * k + 1], 0.5 * kz * kz * kQ + E, 1e-9 * kInI0);
    }
}

TEST_F(AxialTurbine, StageCountsOutsideWhatTheModuleAllowsGive1) {
    struct Case {
        const char* what;
        int capacity;
        double p2, upper, HT, CZ;
        int restore, Dflag;
    };
    const double inf = std::numeric_limits<double>::infinity();
    for (const Case c : {Case{"no stage at 3.9 bar", 10, 3.9e5, 10.0, kHT, kAlpha, 0, 0},
                         Case{"upper limit 2", 10, kP2, 2.0, kHT, kAlpha, 0, 0},
                         Case{"restored into a model of 2 stages", 2, kP2, 2.0, kHT, kAlpha, 1, 0},
                         Case{"a count of 0/0", 10, kP2, 10.0, inf, 0.0, 0, 0},
                         Case{"Dflag 3", 10, kP2, 10.0, kHT, kAlpha, 0, 3}}) {
        SCOPED_TRACE(c.what);
        model(c.capacity, c.p2);
        PD_module& r = record(0);
        r.PD_LIM_upper[PD_LIM_STG] = c.upper;
        r.PD_VAL[PD_VAR_HT] = c.HT;
        r.PD_VAL[PD_VAR_CZ] = c.CZ;
        r.restoreFlag = c.restore;
        r.Dflag = c.Dflag;
        h2::predesign::clear_point_reason();
        EXPECT_EQ(design(), 1);
        // A stage count the limits refuse says so.
        if (c.restore == 0 && c.Dflag == 0) {
            EXPECT_NE(std::string(h2::predesign::point_reason_text()).find("axial turbine module 0"),
                      std::string::npos);
        }
        EXPECT_EQ(block()->cyld_ns, 0);
        EXPECT_EQ(block()->elem_stagType[1], 0.0);  // nothing laid out
        EXPECT_EQ(r.elemsPerStage, 2);
    }
    // The same restored point fits a model of 3 stages.
    model(3);
    record(0).restoreFlag = 1;
    record(0).PD_LIM_upper[PD_LIM_STG] = 2.0;
    EXPECT_EQ(design(), 13);
    EXPECT_EQ(block()->cyld_ns, 6);
}

// Stage limits far beyond any int (the input file accepts any finite value)
// hold the stage count as the same limits of ordinary size do.
TEST_F(AxialTurbine, StageLimitsBeyondTheIntRangeStillHold) {
    model(10);
    record(0).PD_LIM_upper[PD_LIM_STG] = 10.0;
    const int within = design();
    ASSERT_NE(within, 1);
    const int ns = block()->cyld_ns;
    struct Case {
        double lower, upper;
        bool held;
    };
    for (const Case c : {Case{-1e18, 1e18, false}, Case{1e18, 2e18, true}, Case{-2e18, -1e18, true}}) {
        SCOPED_TRACE(c.lower);
        model(10);
        record(0).PD_LIM_lower[PD_LIM_STG] = c.lower;
        record(0).PD_LIM_upper[PD_LIM_STG] = c.upper;
        EXPECT_EQ(design(), c.held ? 1 : within);
        EXPECT_EQ(block()->cyld_ns, c.held ? 0 : ns);
    }
}

TEST_F(AxialTurbine, OneStageAtThreeBar) {
    model(10, 3e5);
    EXPECT_EQ(design(), 13);
    EXPECT_EQ(block()->cyld_ns, 2);
    EXPECT_EQ(block()->elem_stagType[3], 0.0);
}

// A fluid without entropy: one first-stage pass at the inlet density, the
// drop split (i0 - i2s)/n with no entropy rise.
TEST_F(AxialTurbine, AFluidWithoutEntropySizesTheFirstStatorAtTheInletDensity) {
    model();
    h2::test::TestFluid liquid;
    liquid.zero_entropy = true;
    h2::test::install_test_fluid(block(), liquid);
    EXPECT_EQ(design(), 13);
    const bdLocals& b = *block();
    const double rho0 = fluid(2, kInP0, kInI0);
    const double A = 4.0 * kFlow / (std::sqrt(kQ) * kPi * rho0);
    EXPECT_NEAR(b.bld_l2[1], (std::sqrt(A + kD * kD) - kD) / 2.0, 1e-12);
    // The drop of the gas-law stand-in is nearly all of i0: nine stages.
    const double i2s = fluid(9, kP2, 0.0);
    const int n = b.cyld_ns / 2;
    EXPECT_EQ(n, static_cast<int>(std::floor((kInI0 - i2s) / (0.125 * 1e6 - kQ / 2.0) + 0.5)));
    const double dh = (kInI0 - i2s) / n;
    for (int k = 0; k + 1 < n; ++k) {  // the last exit lies at -q/2, outside the stand-in
        const double p2 = fluid(8, kInI0 - kQ / 2.0 - (k + 1) * dh, 0.0);
        EXPECT_NEAR(b.elem_p2[2 * k + 2], p2, 1e-9 * p2) << k;
    }
}

TEST_F(AxialTurbine, GivenHeightOnAMeanDiameter) {
    model();
    PD_module& r = record(0);
    r.Gflag = 1;
    r.Dflag = 1;
    r.PD_VAL[PD_VAR_CZ] = 0.02;
    r.PD_VAL[PD_VAR_HT] = 0.6;
    r.PD_LIM_upper[PD_LIM_STG] = 40.0;
    EXPECT_EQ(design(), 13);
    const bdLocals& b = *block();
    EXPECT_EQ(b.bld_l2[1], 0.02);
    EXPECT_EQ(b.bld_d2[1], kD);
    EXPECT_NEAR(b.elem_R[1], 1.0 - std::pow(1.0 - 0.02 / kD, 1.8) * (1.0 - kR),
                1e-15);  // theta = D / CZ = 10
    EXPECT_EQ(b.cyld_VARTD, 1);
}

TEST_F(AxialTurbine, PartialAdmissionGrowsAlongTheModule) {
    struct Case {
        double KU, PA, pa3, pa5;
    };
    for (const Case c : {Case{0.5, 0.8, (1.0 / 6.0 + 1.0) * 0.8, 1.0},  // 1.0667 clamped
                         Case{-1.5, 0.6, 0.3, 1.0}}) {                  // exactly 0 at k = 2
        SCOPED_TRACE(c.KU);
        model();
        record(0).PD_VAR_lower[PD_VAR_KU] = c.KU;
        record(0).PD_VAL[PD_VAR_PA] = c.PA;
        EXPECT_EQ(design(), 13);
        const bdLocals& b = *block();
        ASSERT_EQ(b.cyld_ns, 6);
        EXPECT_EQ(b.elem_Pa[1], c.PA);
        EXPECT_EQ(b.elem_Pa[2], c.PA);
        EXPECT_NEAR(b.elem_Pa[3], c.pa3, 1e-15);
        EXPECT_EQ(b.elem_Pa[4], b.elem_Pa[3]);
        EXPECT_EQ(b.elem_Pa[5], c.pa5);
        EXPECT_EQ(record(0).PD_VAL[PD_VAR_KU], c.KU);
    }
}

}  // namespace
namespace {

double rel(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

// The generated module solved by a design solve that sizes the heights by
// continuity (cyld__VART 1): its outlet pressure met;
// every row carrying the flow by continuity, its exit speed from the
// velocity coefficient over the relative isentropic drop (rothalpy kept),
// its Euler work and exit triangle; the power the sum of the rows' drops.
TEST_F(AxialTurbine, TheSolvedModuleMeetsItsOutletAndItsBalances) {
    model();
    bdLocals& b = *block();
    b.cyld_VART = 1;
    b.IGM = 50;
    ASSERT_EQ(design(), 0);
    ASSERT_EQ(b.cyld_ns, 6);
    EXPECT_NEAR(b.isd_p2[6][0], kP2, 1e-6 * kInP0);
    double power = 0.0;
    for (int e = 1; e <= 6; ++e) power += b.elem_G1[e] * (b.isd_i1x[e][0] - b.isd_i2x[e][0]);
    EXPECT_LT(rel(b.cyld_Nc, power), 1e-6);  // to the accuracy of the closing solve
    EXPECT_GT(power, 0.0);
    // The rows as the design pass leaves them (the solver's own steps after
    // the last pass move their outlets by its loss terms).
    for (int pass = 0; pass < 20; ++pass) ASSERT_EQ(stgRN(), 0);
    for (int e = 1; e <= 6; ++e) {
        SCOPED_TRACE(e);
        const double p2 = b.isd_p2[e][0], i2 = b.isd_i2r[e][0];
        const double rho2 = p2 / (kGas * i2 / kCp);
        EXPECT_LT(rel(b.elem_G2[e], rho2 * kPi * b.bld_d2[e] * b.bld_l2[e] * b.flow_c2z[e][0]), 1e-7);
        const double u1 = b.flow_u1[e][0], u2 = b.flow_u2[e][0];
        const double grav = 9.81 * (b.flow_r1[e][0] - b.flow_r2[e][0]);
        const double i2wx = b.isd_i1wx[e][0] - u1 * u1 / 2.0 + u2 * u2 / 2.0 + grav;
        EXPECT_LT(rel(i2wx, i2 + b.flow_w2[e][0] * b.flow_w2[e][0] / 2.0), 1e-7);
        const double i2s = b.isd_i1[e][0] * std::pow(p2 / b.isd_p1[e][0], 1.0 / kIsentropicPower);
        EXPECT_LT(rel(b.flow_w2[e][0], b.los_Los[e][0] * std::sqrt(2.0 * (i2wx - i2s))), 1e-7);
        EXPECT_NEAR(b.enrg_Lu[e][0], u1 * b.flow_c1u[e][0] - u2 * b.flow_c2u[e][0], 1e-9 * 1e5);
        EXPECT_NEAR(b.flow_w2u[e][0], b.flow_c2u[e][0] - std::fabs(u2), 1e-9);
        EXPECT_LT(rel(b.flow_c2[e][0], std::hypot(b.flow_c2z[e][0], b.flow_c2u[e][0])), 1e-12);
        EXPECT_NEAR(b.elem_G1[e], kFlow, 1e-9);
    }
}

}  // namespace
