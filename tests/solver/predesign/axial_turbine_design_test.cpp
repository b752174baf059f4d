// The axial turbine module generator on perfect-gas air (R 287.5, k 1.4)
// from 4 bar and 1000 K, 3 kg/s at 3000 rad/s. Hand numbers for Gflag 2,
// Dflag 0, D 0.2, alpha1 14 degrees, HT 0.6, R 0.15 and 1.2 bar: q = (tan 14
// omega D (1 - R) / 0.98)^2 = 16835.66, H0 = i0 (1 - 0.3^(1/3.5)) =
// 292884.72 J/kg, n = floor(H0 / (0.125 (omega D / HT)^2 - q/2) + 0.5) = 3.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "physics/turbine_eff_estimate.h"
#include "solver/predesign/axial_turbine_rows.h"
#include "solver/predesign/module_generators.h"
#include "solver/solver_api.h"
#include "tests/support/centrifugal_case.h"

namespace {

using h2::predesign::AxTurbDesign;
using h2::test::kCp;
using h2::test::kIsentropicPower;
using h2::test::test_fluid_func;

constexpr double kPi = 3.14159265;
constexpr double kDeg = 0.01745329;
constexpr double kGas = 287.5;
constexpr double kT0 = 1000.0, kInI0 = kCp * kT0, kInP0 = 4e5, kFlow = 3.0, kSpeed = 3000.0;
constexpr double kD = 0.2, kAlpha = 14.0, kHT = 0.6, kR = 0.15, kP2 = 1.2e5;

const double kQ = std::pow(std::tan(kAlpha * kDeg) * kSpeed * kD * (1.0 - kR) / 0.98, 2.0);
const double kH0 = kInI0 * (1.0 - std::pow(kP2 / kInP0, 1.0 / kIsentropicPower));

double fluid(int code, double a, double b) { return test_fluid_func(code, a, b, 0.0, 0); }

class AxialTurbine : public h2::test::CentrifugalCaseTest {
protected:
    // Module 0's model sized for `capacity` stages; record 0 the TURB_AXIAL
    // of the hand numbers with stage limits 1..10 and diameter limits that
    // pass. cyld__VART 55 stops the closing solve (13): the layout is read.
    void model(int capacity = 10, double p2 = kP2) {
        if (block()->elem_stagType != nullptr) {
            ASSERT_EQ(free_probdata(), 0);
        }
        make_path(2 * capacity, {});
        bdLocals& b = *block();
        b.elem_i0[0] = kInI0;
        b.elem_p0[0] = kInP0;
        b.elem_G1[0] = b.elem_G2[0] = kFlow;
        b.bld_wp[0] = kSpeed;
        b.cyld_p2n = p2;
        b.cyld_VART = 55;
        b.IGM = 20;
        b.cyld_ns = 0;
        for (int i = 0; i <= 2 * capacity; ++i) b.elem_moduleType[i] = 0.0;
        PD_module& r = record(0);
        r = PD_module{};
        r.type = TURB_AXIAL;
        r.Gflag = 2;
        r.Dflag = 0;
        r.PD_SRC_G = kFlow;
        r.PD_VAL[PD_VAR_OM] = kSpeed;
        r.PD_VAL[PD_VAR_D] = kD;
        r.PD_VAL[PD_VAR_CZ] = kAlpha;
        r.PD_VAL[PD_VAR_HT] = kHT;
        r.PD_VAL[PD_VAR_R] = kR;
        r.PD_VAL[PD_VAR_PA] = 1.0;
        r.PD_VAL[PD_VAR_KZ] = 1.0;
        r.PD_VAL[PD_VAR_KH] = 1.0;
        r.PD_VAL[PD_VAR_KU] = 7.0;
        r.PD_VAR_lower[PD_VAR_KU] = 0.0;
        r.PD_LIM_lower[PD_LIM_STG] = 1.0;
        r.PD_LIM_upper[PD_LIM_STG] = 10.0;
        r.PD_LIM_upper[PD_LIM_DH] = r.PD_LIM_upper[PD_LIM_DS] = 10.0;
    }
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
        EXPECT_EQ(design(), 1);
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
