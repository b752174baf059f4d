// The radial turbine module generator: nozzle exit state and wheel inlet
// velocity from the expansion of a perfect gas (R 287.5, k 1.4) at 1000 K,
// the nozzle angle against its limits, the inlet volute's end section, the
// wheel's blade count and the height ratio after the solve. Hand numbers:
// H = i0 (1 - 0.5^(1/3.5)), i1 = i0 - (1 - R) H, c1 = 0.93 sqrt(2 (i0 - i1)),
// rho1 = p1 / (R_gas T(i0 - c1^2/2)), cr = G / (pi rho1 D l).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "halvorine2/volute.h"
#include "physics/turbine_eff_estimate.h"
#include "solver/predesign/module_generators.h"
#include "solver/predesign/predesign_data.h"
#include "solver/solver_api.h"
#include "tests/support/centrifugal_case.h"

namespace {

using h2::predesign::RadTurbDesign;
using h2::test::kCp;
using h2::test::kIsentropicPower;

constexpr double kPi = 3.14159265;  // the design rules' pi
constexpr double kDegree = 0.01745329;
constexpr double kGas = 287.5;
constexpr double kInletI0 = 1006250.0;  // 1000 K
constexpr double kInletP0 = 4e5, kP2 = 2e5, kD = 0.3, kWidth = 0.02;

// The expansion by hand.
const double kH = kInletI0 * (1.0 - std::pow(0.5, 1.0 / kIsentropicPower));
const double kI1 = kInletI0 - 0.5 * kH;
const double kC1 = 0.93 * std::sqrt(2.0 * (kInletI0 - kI1));
const double kP1 = kInletP0 * std::pow(kI1 / kInletI0, kIsentropicPower);
const double kRho1 = kP1 / (kGas * (kInletI0 - kC1 * kC1 / 2.0) / kCp);
double radial_velocity(double G) { return G / (kPi * kRho1 * kD * kWidth); }
// The mass flow at which the nozzle exit angle is alpha degrees.
double flow_for_angle(double alpha) { return std::sin(alpha * kDegree) * kC1 * kPi * kRho1 * kD * kWidth; }

class RadialTurbine : public h2::test::CentrifugalCaseTest {
protected:
    // Module 0's model: elements 0..2, inlet state (1000 K, 4e5 Pa) and G in
    // element 0, outlet pressure 2e5 Pa; record 0 a TURB_RADIAL of OM 3000,
    // D 0.3, R 0.5, M 2 with a nozzle width of 0.02 m given (Gflag 1) and
    // limits that pass.
    void model(double G, int volin_form = 0) {
        if (block()->elem_stagType != nullptr) {
            ASSERT_EQ(free_probdata(), 0);
        }
        if (block()->volout != nullptr) {
            VoloutTerm(static_cast<Volout*>(block()->volout));
            block()->volout = nullptr;
        }
        make_path(2, {});
        bdLocals& b = *block();
        b.elem_i0[0] = kInletI0;
        b.elem_p0[0] = kInletP0;
        b.elem_G1[0] = G;
        b.elem_G2[0] = G;
        b.isd_i2x[0][0] = kInletI0;
        b.isd_p2x[0][0] = kInletP0;
        b.cyld_p2n = kP2;
        b.cyld_VART = 10;
        b.IGM = 20;
        for (int i = 0; i <= 2; ++i) b.elem_moduleType[i] = 0.0;
        PD_module& r = record(0);
        r = PD_module{};
        r.type = TURB_RADIAL;
        r.volin_form = volin_form;
        r.Gflag = 1;
        r.PD_VAL[PD_VAR_OM] = 3000.0;
        r.PD_VAL[PD_VAR_D] = kD;
        r.PD_VAL[PD_VAR_CZ] = kWidth;
        r.PD_VAL[PD_VAR_R] = 0.5;
        r.PD_VAL[PD_VAR_M] = 2.0;
        r.PD_LIM_upper[PD_LIM_DS] = 10.0;
        r.PD_VAR_lower[PD_VAR_KZ] = 0.0;
        r.PD_VAR_upper[PD_VAR_KZ] = 100.0;
        r.elemsPerStage = 0;
    }
    void TearDown() override {
        if (block()->volout != nullptr) VoloutTerm(static_cast<Volout*>(block()->volout));
        block()->volout = nullptr;
        CentrifugalCaseTest::TearDown();
    }
    void expect_no_power() {
        EXPECT_EQ(block()->cyld_Nc, 0.0);
        EXPECT_EQ(block()->cyld_eff, 0.0);
        EXPECT_EQ(record(0).elemsPerStage, 2);
    }
};

TEST_F(RadialTurbine, HandNumbersOfTheExpansion) {
    EXPECT_NEAR(kC1, 395.4278, 1e-4);
    EXPECT_NEAR(radial_velocity(10.0), 488.9, 0.05);
    EXPECT_NEAR(std::asin(radial_velocity(5.2) / kC1) / kDegree, 40.0105, 1e-4);
    EXPECT_NEAR(std::asin(radial_velocity(3.0) / kC1) / kDegree, 21.77, 0.01);
}

TEST_F(RadialTurbine, TheNozzleTakesTheStatorShareOfTheHead) {
    struct Case {
        double reaction;
    };
    for (const Case c : {Case{0.5}, Case{0.3}}) {
        SCOPED_TRACE(c.reaction);
        model(3.0);
        record(0).PD_VAL[PD_VAR_R] = c.reaction;
        block()->cyld_VART = 55;
        EXPECT_EQ(RadTurbDesign(0), 13);
        const double i1 = kInletI0 - (1.0 - c.reaction) * kH;
        const double p1 = kInletP0 * std::pow(i1 / kInletI0, kIsentropicPower);
        const double c1 = 0.93 * std::sqrt(2.0 * (kInletI0 - i1));
        const double rho1 = p1 / (kGas * (kInletI0 - c1 * c1 / 2.0) / kCp);
        const double cr = 3.0 / (kPi * rho1 * kD * kWidth);
        const bdLocals& b = *block();
        EXPECT_NEAR(b.elem_p2[1], p1, 1e-9 * p1);
        EXPECT_EQ(b.isd_p2[1][0], b.elem_p2[1]);
        EXPECT_EQ(b.elem_p2[2], kP2);
        EXPECT_NEAR(b.flow_c2z[2][0], cr, 1e-9 * cr);
        EXPECT_EQ(b.elem_R[1], c.reaction);
        EXPECT_EQ(b.elem_R[2], c.reaction);
    }
}

TEST_F(RadialTurbine, ARadialVelocityAboveTheNozzleVelocityGets101) {
    model(10.0);
    block()->cyld_Nc = block()->cyld_eff = 5.0;
    EXPECT_EQ(RadTurbDesign(0), 101);
    expect_no_power();
    const bdLocals& b = *block();
    EXPECT_EQ(b.bld_l2[1], kWidth);
    EXPECT_EQ(b.bld_d2[1], kD);
    EXPECT_EQ(b.bld_wp[2], 3000.0);
    EXPECT_EQ(b.elem_R[1], 0.5);
    EXPECT_EQ(b.bld_d2[2], 0.0);  // the wheel is not sized
    EXPECT_EQ(b.flow_c2z[2][0], 0.0);
}

TEST_F(RadialTurbine, AVoluteSizesItsEndSectionForTheWholeInflowAndDefaultsItsAngleLimits) {
    // Width as a share of the diameter: 0.3 / 15 = 0.02 m.
    model(5.2, 1);
    record(0).Gflag = 0;
    record(0).PD_VAL[PD_VAR_CZ] = 15.0;
    EXPECT_EQ(RadTurbDesign(0), 101);  // 40.01 degrees, above 35
    expect_no_power();
    const PD_module& r = record(0);
    EXPECT_EQ(r.PD_LIM_lower[PD_LIM_A1], 15.0);
    EXPECT_EQ(r.PD_LIM_upper[PD_LIM_A1], 35.0);
    const bdLocals& b = *block();
    EXPECT_NEAR(b.bld_l2[1], kWidth, 1e-15);
    EXPECT_EQ(b.elem_stagType[1], 5.0);
    EXPECT_EQ(b.elem_sectType[1], 1.0);
    EXPECT_EQ(b.elem_moduleType[1], 1.0);
    const double alpha = std::asin(radial_velocity(5.2) / kC1);
    EXPECT_NEAR(alpha / kDegree, 40.0105, 1e-4);
    // The log spiral W = 5 l wide, from r0 = 1.05 D/2 to the outer radius
    // where a free vortex r cu = r0 cu0 carries W r0 cu0 ln(R/r0) = 2 pi r0 l cr.
    EXPECT_NEAR(b.vol_bk[1], 0.1, 1e-15);
    const double r0 = 0.1575;
    EXPECT_NEAR(b.vol_Dk[1], 2.0 * r0 * std::exp(2.0 * M_PI * std::tan(alpha) * 0.2), 1e-7);
    EXPECT_NEAR(b.vol_bk[1] * std::log(b.vol_Dk[1] / 2.0 / r0), 2.0 * M_PI * kWidth * std::tan(alpha), 1e-7);
    EXPECT_NEAR(b.vol_A2[1], alpha / kDegree, 1e-9);

    // Limits given in the record stay; an angle inside them passes on to the solve.
    struct Case {
        double lo, hi;
        int restore, result;
    };
    for (const Case c : {Case{41.0, 50.0, 0, 101}, Case{30.0, 40.0, 0, 101}, Case{30.0, 41.0, 0, 13},
                         Case{41.0, 50.0, 1, 13}}) {
        SCOPED_TRACE(c.lo + c.hi);
        model(5.2, 1);
        PD_module& rr = record(0);
        rr.PD_LIM_lower[PD_LIM_A1] = c.lo;
        rr.PD_LIM_upper[PD_LIM_A1] = c.hi;
        rr.restoreFlag = c.restore;
        block()->cyld_VART = 55;  // no solve: a task without a handler
        EXPECT_EQ(RadTurbDesign(0), c.result);
        EXPECT_EQ(rr.PD_LIM_lower[PD_LIM_A1], c.lo);
        EXPECT_EQ(rr.PD_LIM_upper[PD_LIM_A1], c.hi);
        if (c.result == 13) {
            // The volute layout: angular inlet, circumferential entry, radial exit.
            const bdLocals& b2 = *block();
            EXPECT_EQ(b2.elem_stagType[1], 5.0);
            EXPECT_EQ(b2.elem_sectType[0], 2.0);
            EXPECT_EQ(b2.elem_sectType[1], 1.0);
            EXPECT_EQ(b2.cas_t1[1][0], 180.0);
            EXPECT_EQ(b2.cas_t2[0][0], 180.0);
            EXPECT_EQ(b2.cas_t2[1][0], -90.0);
            EXPECT_EQ(b2.cas_B1[1][0], 90.0);  // the volute's angle overwritten
        }
    }
}

TEST_F(RadialTurbine, WithoutAVoluteTheNozzleInletMustFitTheShroudLimit) {
    model(3.0);
    record(0).PD_LIM_upper[PD_LIM_DS] = 0.35;
    EXPECT_EQ(RadTurbDesign(0), 101);  // D + 3 l = 0.36
    expect_no_power();
    const bdLocals& b = *block();
    const double cr = radial_velocity(3.0);
    EXPECT_NEAR(b.bld_d2s[0], 0.36, 1e-15);
    EXPECT_EQ(b.bld_d1[1], b.bld_d2s[0]);
    EXPECT_NEAR(b.flow_c2r[1][0], -cr, 1e-9 * cr);
    EXPECT_EQ(b.flow_c1r[1][0], b.flow_c2r[1][0]);
    EXPECT_EQ(b.flow_c2r[0][0], b.flow_c2r[1][0]);
    EXPECT_EQ(b.flow_c2z[2][0], -b.flow_c2r[1][0]);
    EXPECT_EQ(b.flow_c2r[2][0], 0.0);
    EXPECT_EQ(b.los_Los[0][0], 1.0);
    EXPECT_EQ(b.los_Los[1][0], 0.9);
    EXPECT_EQ(b.los_Los[2][0], 0.837);
    EXPECT_EQ(b.elem_stagType[1], 1.0);
    EXPECT_EQ(b.elem_sectType[0], 1.0);
    EXPECT_EQ(b.cas_t1[1][0], -90.0);
    // Flow coefficients over the blade speeds at the wheel inlet (450 m/s) and exit (225 m/s).
    EXPECT_NEAR(b.elem_cz_[1], cr / 450.0, 1e-9);
    EXPECT_NEAR(b.elem_cz_[2], cr / 225.0, 1e-9);
    // Continuity at the wheel exit, axial at cr, with the density after the
    // expansion at the estimated efficiency.
    const double eta = turbine_eff_estimate(3.0, kInletP0, kInletI0, kP2);
    const double rho2 = kP2 / (kGas * (kInletI0 - eta * kH) / kCp);
    EXPECT_NEAR(b.bld_d2[2], 0.15, 1e-15);
    EXPECT_NEAR(kPi * b.bld_d2[2] * b.bld_l2[2] * rho2 * cr, 3.0, 1e-9);
    EXPECT_EQ(b.bld_d2s[2], b.bld_d2[2] - b.bld_l2[2]);
    // With restoreFlag the shroud is not checked.
    model(3.0);
    record(0).PD_LIM_upper[PD_LIM_DS] = 0.35;
    record(0).restoreFlag = 1;
    block()->cyld_VART = 55;
    EXPECT_EQ(RadTurbDesign(0), 13);
}

// The count rule ((a - 20) 0.05 + 1) ((33 - a)^2 0.03 + 12), made the nearest
// whole number and read at the end of its angles (15 to 35 degrees) beyond them.
TEST_F(RadialTurbine, WheelBladeCountFollowsTheNozzleAngle) {
    struct Case {
        double alpha, blades;
    };
    for (const Case c : {Case{33.0, 20.0 /* 19.8 */}, Case{20.0, 17.0 /* 17.07 */},
                         Case{25.0, 17.0 /* 1.25 (64 0.03 + 12) = 17.4 */},
                         Case{40.0, 21.0 /* at 35: 21.21 */}, Case{12.0, 16.0 /* at 15: 16.29 */}}) {
        SCOPED_TRACE(c.alpha);
        model(flow_for_angle(c.alpha));
        block()->cyld_VART = 55;
        EXPECT_EQ(RadTurbDesign(0), 13);
        const bdLocals& b = *block();
        EXPECT_NEAR(b.bld_z[2], c.blades, 1e-9);
        EXPECT_NEAR(b.cas_t[2][0], kPi * b.bld_d2[2] / c.blades, 1e-9);
        EXPECT_EQ(record(0).elemsPerStage, 2);
    }
}

TEST_F(RadialTurbine, NozzleAndWheelFromTheDefaultSlots) {
    model(3.0);
    bdLocals& b = *block();
    b.cyld_VART = 55;
    b.cyld_MethodP = 3, b.cyld_MethodS = 4, b.cyld_MethodB = 5;
    b.elem_MethodZ[1] = 7.0;
    EXPECT_EQ(RadTurbDesign(0), 13);
    // Nozzle: 3 l deep, chord 1.5 times that, pitch 0.75 chords, 3 d2 / t vanes.
    EXPECT_NEAR(b.bld_d1[1], 0.36, 1e-15);
    EXPECT_NEAR(b.cas_B[1][0], 0.03, 1e-15);
    EXPECT_NEAR(b.cas_b[1][0], 0.045, 1e-15);
    EXPECT_EQ(b.cas_bx[1][0], b.cas_b[1][0]);
    // 0.9 / 0.03375 = 26.7 vanes make 27, at the pitch 0.9 / 27.
    EXPECT_EQ(b.bld_z[1], 27.0);
    EXPECT_NEAR(b.cas_t[1][0], 0.9 / 27.0, 1e-15);
    EXPECT_NEAR(b.cas_tb[1][0], 0.9 / 27.0 / 0.045, 1e-12);
    EXPECT_NEAR(b.cas_r1[1][0], 0.05 * 0.045, 1e-15);
    EXPECT_NEAR(b.cas_r2[1][0], 0.01 * 0.045, 1e-15);
    EXPECT_NEAR(b.clrn_to[1], 0.3 * 0.045, 1e-15);
    EXPECT_EQ(b.cas_w1[1][0], 21.0);
    EXPECT_EQ(b.cas_w2[1][0], 10.5);
    EXPECT_EQ(b.cas_d[1][0], 10.5);
    EXPECT_NEAR(b.bld_du[1], 0.28 * 0.65, 1e-15);
    EXPECT_NEAR(b.clrn_drd[1], 1e-6 * 0.28 * 0.65, 1e-18);
    // Wheel: chord 1.5 x 1.5 exit widths, shroud 2 mm beyond the exit.
    const double l2 = b.bld_l2[2];
    EXPECT_NEAR(b.cas_B[2][0], 1.5 * l2, 1e-15);
    EXPECT_NEAR(b.cas_b[2][0], 2.25 * l2, 1e-15);
    EXPECT_NEAR(b.bld_dub[2], 0.15 + l2 + 0.002, 1e-15);
    EXPECT_EQ(b.clrn_to[2], 0.002);
    EXPECT_NEAR(b.bld_d1[2], 0.3 - 2.0 * 0.05 * 0.045, 1e-15);
    EXPECT_NEAR(b.clrn_d1[2], 1.25 * 0.05 * 0.045, 1e-15);
    EXPECT_NEAR(b.clrn_b1n[1], 0.1 * 2.25 * l2, 1e-15);
    EXPECT_NEAR(b.clrn_a2n[1], 0.02 * 2.25 * l2, 1e-15);
    EXPECT_NEAR(b.clrn_drr[2], 0.001 * b.bld_dub[2], 1e-18);
    EXPECT_EQ(b.clrn_Zrr[1], 2.0);
    EXPECT_EQ(b.clrn_Zrd[1], 10.0);
    EXPECT_EQ(b.stgtd_Tdy[1], 1.0);
    EXPECT_EQ(b.cas_w1[2][0], 5.0);
    EXPECT_EQ(b.cas_d[2][0], 16.0);
    for (int e : {1, 2}) {
        SCOPED_TRACE(e);
        EXPECT_EQ(b.bld_Tu[e], 0.01);
        EXPECT_EQ(b.bld_k[e], 6.0);
        EXPECT_EQ(b.elem_MethodP[e], 3.0);
        EXPECT_EQ(b.elem_MethodS[e], 4.0);
        EXPECT_EQ(b.elem_MethodB[e], 5.0);
        EXPECT_EQ(b.elem_VI[e], -1.0);
        EXPECT_EQ(b.elem_NSEGM[e], 1.0);
        EXPECT_EQ(b.elem_Pa[e], 1.0);
    }
    EXPECT_EQ(b.elem_MethodZ[1], 7.0);
    EXPECT_EQ(b.elem_sectType[2], 0.0);
    EXPECT_EQ(b.elem_stagType[2], 1.0);
    EXPECT_EQ(b.bld_wp[2], 3000.0);
    EXPECT_EQ(b.cyld_ns, 2);
    // The wheel's hub d2 - l2 against PD_LIM_DH, skipped when restoring.
    model(3.0);
    record(0).PD_LIM_lower[PD_LIM_DH] = 0.1;
    EXPECT_EQ(RadTurbDesign(0), 101);
    EXPECT_LT(block()->bld_d2s[2], 0.1);
    EXPECT_EQ(block()->bld_d1[1], 0.0);  // stopped before the inlet was sized
    record(0).restoreFlag = 1;
    block()->cyld_VART = 55;
    EXPECT_EQ(RadTurbDesign(0), 13);
}

TEST_F(RadialTurbine, DesignValuesThatSizeNothingGet101BeforeAnything) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* what;
        int var, gflag;
        double value;
    };
    for (const Case& c :
         {Case{"no diameter", PD_VAR_D, 1, 0.0}, Case{"diameter not a number", PD_VAR_D, 1, nan},
          Case{"no diameter ratio", PD_VAR_M, 1, 0.0}, Case{"infinite ratio", PD_VAR_M, 1, inf},
          Case{"no width share", PD_VAR_CZ, 0, 0.0}, Case{"width share not a number", PD_VAR_CZ, 0, nan}}) {
        SCOPED_TRACE(c.what);
        model(3.0);
        record(0).Gflag = c.gflag;
        record(0).PD_VAL[c.var] = c.value;
        block()->cyld_Nc = block()->cyld_eff = 5.0;
        EXPECT_EQ(RadTurbDesign(0), 101);
        expect_no_power();
        EXPECT_EQ(block()->bld_l2[1], 0.0);
        EXPECT_EQ(block()->bld_wp[2], 0.0);
    }
    // No flow, or a flow that is not a number.
    for (double G : {0.0, -1.0, nan}) {
        model(G);
        EXPECT_EQ(RadTurbDesign(0), 101) << G;
        EXPECT_EQ(block()->bld_l2[1], 0.0);
    }
    // A nozzle wider than its diameter: no shroud, nothing solved.
    model(0.1);
    record(0).PD_VAL[PD_VAR_CZ] = 0.35;
    record(0).PD_LIM_lower[PD_LIM_DH] = -10.0;  // the wheel's hub is negative too
    block()->cyld_Nc = block()->cyld_eff = 5.0;
    EXPECT_EQ(RadTurbDesign(0), 101);
    expect_no_power();
    EXPECT_LT(block()->bld_du[1], 0.0);
    EXPECT_EQ(block()->bld_z[1], 0.0);
    // No record, or a case without arrays for three elements.
    EXPECT_EQ(RadTurbDesign(4), 1);
    ASSERT_EQ(free_probdata(), 0);
    make_path(1, {});
    EXPECT_EQ(RadTurbDesign(0), 1);
    EXPECT_EQ(record(0).elemsPerStage, 2);
}

}  // namespace

namespace {

// Solved as a direct task for its mass flow with the gauging angles the
// generator writes: the nozzle's exit angle and the wheel's relative exit
// angle of an axial exit, atan(cr / u2); element 0 takes full admission.
TEST_F(RadialTurbine, TheSolvedModuleHasItsWheelHeightRatioChecked) {
    struct Case {
        double lo, hi;
        int restore, result;
    };
    const double cr = radial_velocity(3.0);
    const double u2 = 3000.0 * 0.15 / 2.0;
    double q = 0.0;
    for (const Case c :
         {Case{0.0, 100.0, 0, 0}, Case{0.0, 2.0, 0, 101}, Case{3.0, 4.0, 1, 101}, Case{-1, -1, 0, 0}}) {
        SCOPED_TRACE(c.lo + c.hi);
        model(3.0);
        bdLocals& b = *block();
        b.cyld_VART = 55;
        ASSERT_EQ(RadTurbDesign(0), 13);  // laid out, not solved
        EXPECT_NEAR(b.cas_B2a[1][0], std::asin(cr / kC1) / kDegree, 1e-9);
        EXPECT_NEAR(b.cas_B2a[2][0], std::atan2(cr, u2) / kDegree, 1e-9);
        EXPECT_EQ(b.elem_Pa[0], 1.0);
        b.cyld_VART = 10;
        PD_module& r = record(0);
        r.PD_VAR_lower[PD_VAR_KZ] = c.lo < 0.0 ? q : c.lo;  // both bounds on the ratio itself
        r.PD_VAR_upper[PD_VAR_KZ] = c.hi < 0.0 ? q : c.hi;
        r.restoreFlag = c.restore;
        EXPECT_EQ(RadTurbDesign(0), c.result);
        // The height ratio: the wheel exit sized for cr (2.66 for 3 kg/s) over the nozzle width.
        q = b.bld_l2[2] / b.bld_l1[2];
        EXPECT_EQ(b.bld_l1[2], kWidth);
        EXPECT_NEAR(q, 2.66, 0.01);
        if (c.result == 101) {
            EXPECT_EQ(b.cyld_Nc, 0.0);
            EXPECT_EQ(b.cyld_eff, 0.0);
        } else {
            EXPECT_LT(b.cyld_Nc, 0.0);  // power delivered
            EXPECT_GT(b.cyld_eff, 0.0);
        }
        // The solved path: mass kept, the wheel's Euler work its total
        // enthalpy drop (to the accuracy of the solve's loss iteration).
        for (int i = 0; i <= 2; ++i) EXPECT_NEAR(b.elem_G2[i], 3.0, 1e-9) << i;
        const double work = b.flow_u1[2][0] * b.flow_c1u[2][0] - b.flow_u2[2][0] * b.flow_c2u[2][0];
        EXPECT_NEAR(b.isd_i1x[2][0] - b.isd_i2x[2][0], work, 1e-4 * work);
        EXPECT_GT(work, 0.0);
        EXPECT_EQ(r.elemsPerStage, 2);
    }
}

}  // namespace

namespace {

// A wheel that can be built (Rohlik's designs): exit tip radius at most 0.78
// of the inlet radius, exit hub at least 0.3 of the exit tip. Where the exit
// annulus at the nozzle's radial velocity would break them, the height is held
// at the limit and the exit velocity passes the flow by continuity.
TEST_F(RadialTurbine, TheWheelExitStaysBuildable) {
    struct Case {
        const char* what;
        double G, M;
        bool held;  // the exit velocity rose above the nozzle's radial velocity
    };
    for (const Case c : {Case{"the annulus fits", 3.0, 2.0, false}, Case{"tip held at 0.78", 3.0, 1.45, true},
                         Case{"hub held at 0.3", 3.0, 3.0, true}}) {
        SCOPED_TRACE(c.what);
        model(c.G);
        record(0).PD_VAL[PD_VAR_M] = c.M;
        block()->cyld_VART = 55;
        ASSERT_EQ(RadTurbDesign(0), 13);
        const bdLocals& b = *block();
        const double d2 = kD / c.M, l2 = b.bld_l2[2];
        EXPECT_NEAR(b.bld_d2[2], d2, 1e-15);
        const double tip = (d2 + l2) / kD, hub_tip = (d2 - l2) / (d2 + l2);
        EXPECT_LE(tip, 0.78 + 1e-12);
        EXPECT_GE(hub_tip, 0.3 - 1e-12);
        const double cr = radial_velocity(c.G), c2 = b.flow_c2z[2][0];
        if (c.held) {
            EXPECT_GT(c2, cr);
            EXPECT_TRUE(std::fabs(tip - 0.78) < 1e-12 || std::fabs(hub_tip - 0.3) < 1e-12)
                << tip << " " << hub_tip;
        } else {
            EXPECT_NEAR(c2, cr, 1e-9 * cr);
        }
        // Continuity at the exit with the density after the estimated expansion.
        const double eta = turbine_eff_estimate(c.G, kInletP0, kInletI0, kP2);
        const double rho2 = kP2 / (kGas * (kInletI0 - eta * kH) / kCp);
        EXPECT_NEAR(kPi * d2 * l2 * rho2 * c2, c.G, 1e-9 * c.G);
        EXPECT_EQ(b.bld_d2s[2], d2 - l2);
    }
}

// Targets no wheel can meet end the design with 101 and one line naming the
// module and the reason.
TEST_F(RadialTurbine, ImpossibleTargetsSayWhy) {
    struct Case {
        const char* what;
        double G, M, p2;
        const char* reason;
    };
    for (const Case c :
         {Case{
              "outlet above the inlet", 3.0, 2.0, 4.5e5,
              "module 0 TURB_RADIAL: outlet pressure 450000 Pa not below the inlet total pressure 400000 Pa"},
          Case{"exit diameter beyond 0.78 of the inlet's", 3.0, 1.25, kP2,
               "module 0 TURB_RADIAL: mean exit diameter 0.24 m leaves no exit with r2t/r1 <= 0.78"},
          Case{"exit velocity beyond the nozzle's", 8.0, 4.0, kP2, "module 0 TURB_RADIAL: exit velocity"}}) {
        SCOPED_TRACE(c.what);
        model(c.G);
        record(0).PD_VAL[PD_VAR_M] = c.M;
        block()->cyld_p2n = c.p2;
        block()->cyld_VART = 55;
        testing::internal::CaptureStdout();
        EXPECT_EQ(RadTurbDesign(0), 101);
        const std::string printed = testing::internal::GetCapturedStdout();
        expect_no_power();
        EXPECT_EQ(std::string(block()->err_text).rfind(c.reason, 0), 0u) << block()->err_text;
        EXPECT_EQ(printed, "\n" + std::string(block()->err_text) + "\n");
    }
}

}  // namespace

namespace {

// The nozzle row's inlet station, radial and swirl-free at D + 3 l: the flow
// passes its annulus with the density of the static state its velocity
// leaves on the inlet isentrope (the exit's radial velocity would pass 20 %
// more).
TEST_F(RadialTurbine, TheNozzleInletStationPassesTheFlow) {
    model(3.0);
    block()->cyld_VART = 55;
    ASSERT_EQ(RadTurbDesign(0), 13);
    const bdLocals& b = *block();
    const double c = -b.flow_c1r[1][0];
    const double i = kInletI0 - c * c / 2.0;
    const double p = kInletP0 * std::pow(i / kInletI0, kIsentropicPower);
    const double rho = p / (kGas * i / kCp);
    EXPECT_NEAR(rho * c * kPi * b.bld_d1[1] * b.bld_l1[1], 3.0, 1e-6 * 3.0);
    EXPECT_NEAR(b.bld_d1[1], kD + 3.0 * kWidth, 1e-15);
    EXPECT_EQ(b.flow_c2r[0][0], b.flow_c1r[1][0]);
    EXPECT_LT(c, radial_velocity(3.0));
    EXPECT_NEAR(b.flow_c2r[1][0], -radial_velocity(3.0),
                1e-9 * radial_velocity(3.0));  // the exit keeps its own
}

}  // namespace
