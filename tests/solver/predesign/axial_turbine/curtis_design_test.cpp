// The Curtis turbine module generator on the turbine model of the axial
// generator's tests (air from 4 bar and 1000 K into 1.2 bar, 3 kg/s at 3000
// rad/s): the nozzle takes the whole drop, every later row ends at the
// module outlet pressure, rows grow by 1.15 with their gaps, counts are
// truncated, the stator clearance is capped.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "solver/predesign/axial_turbine/turbine_design.h"
#include "solver/predesign/module_generators.h"
#include "solver/predesign/point_reason.h"
#include "tests/support/turbine_module_case.h"

namespace {

using h2::predesign::CurtisDesign;
using namespace h2::test;

class Curtis : public TurbineModuleTest {
protected:
    void curtis(double upper = 2.0) {
        model();
        PD_module& r = record(0);
        r.type = TURB_CURTIS;
        r.PD_LIM_upper[PD_LIM_STG] = upper;
        r.PD_VAL[PD_VAR_KZ] = 1.3;
        r.PD_VAL[PD_VAR_KU] = 0.4;
    }
};

TEST_F(Curtis, FourRowsTheNozzleTakingTheWholeDrop) {
    curtis();
    EXPECT_EQ(CurtisDesign(0), 13);
    const bdLocals& b = *block();
    const PD_module& r = record(0);
    EXPECT_EQ(b.cyld_ns, 4);
    EXPECT_EQ(r.elemsPerStage, 2);
    EXPECT_EQ(r.PD_VAL[PD_VAR_KZ], 1.0);
    EXPECT_EQ(r.PD_VAL[PD_VAR_KU], 0.0);
    for (int e = 1; e <= 4; ++e) {
        SCOPED_TRACE(e);
        EXPECT_EQ(b.elem_stagType[e], 1.0);
        EXPECT_EQ(b.elem_VARTD[e], 0.0);
        EXPECT_EQ(b.elem_VI[e], -1.0);
        EXPECT_EQ(b.elem_stageNum[e], (e - 1) / 2);
        EXPECT_NEAR(b.flow_c2z[e][0], std::sqrt(kQ), 1e-9);
        EXPECT_EQ(b.bld_wp[e], e % 2 == 0 ? kSpeed : 0.0);
    }
    // The nozzle exit: the module's isentropic outlet, i.e. its outlet pressure.
    EXPECT_NEAR(b.elem_p2[2], kP2, 1e-9 * kP2);
    EXPECT_EQ(b.elem_p2[4], kP2);
    EXPECT_EQ(b.isd_p2[4][0], kP2);
    // The nozzle has taken the whole drop: the second stator starts at the
    // module outlet and ends there, with no reaction (a reaction share
    // would put its outlet above its inlet).
    EXPECT_EQ(b.elem_p2[3], kP2);
    EXPECT_EQ(b.isd_p2[3][0], kP2);
    EXPECT_EQ(b.elem_R[3], 0.0);
    EXPECT_EQ(b.elem_R[4], 0.0);
}

// Gaps from estimate_gaps at every height; each stator 1.15 times the rotor
// ahead of it (gaps included), each rotor first 1.15 times its stator and
// then back to it before its gaps.
TEST_F(Curtis, RowsGrowWithTheirGaps) {
    curtis();
    EXPECT_EQ(CurtisDesign(0), 13);
    const bdLocals& b = *block();
    const auto gaps = [](double h, double& g1, double& g2, double& g3) { estimate_gaps(h, &g1, &g2, &g3); };
    double g1 = 0, g2 = 0, g3 = 0;
    gaps(b.bld_l2[1], g1, g2, g3);
    EXPECT_NEAR(b.bld_l2[2], b.bld_l2[1] + g2 + g3, 1e-15);
    EXPECT_NEAR(b.bld_d2[2], b.bld_d2[1] + (g2 - g3) / 2.0, 1e-15);
    EXPECT_NEAR(b.bld_l2[3], 1.15 * b.bld_l2[2], 1e-15);
    EXPECT_EQ(b.bld_d2[3], b.bld_d2[2]);
    gaps(b.bld_l2[3], g1, g2, g3);
    EXPECT_NEAR(b.bld_l2[4], b.bld_l2[3] + g2 + g3, 1e-15);
    for (int w : {2, 4}) {
        SCOPED_TRACE(w);
        const int e = w - 1;
        EXPECT_EQ(b.clrn_b1n[w], 0.001);
        EXPECT_EQ(b.clrn_to[w], 0.002);
        EXPECT_NEAR(b.bld_dub[w], b.bld_d2[e] + b.bld_l2[e] + 0.002, 1e-15);
        EXPECT_NEAR(b.bld_du[e], (b.bld_d2[e] - 1.15 * b.bld_l2[e]) * 0.65, 1e-15);
        EXPECT_EQ(b.clrn_Zrr[e], 2.0);
        EXPECT_EQ(b.bld_l1[w], b.bld_l2[w]);
        EXPECT_EQ(b.cas_B1[e][0], 90.0);
        EXPECT_EQ(b.cas_d[e][0], 10.0);
        EXPECT_EQ(b.cas_d[w][0], 16.0);
    }
    // 0.3 of slot 20 on the first stage of module 0.
    EXPECT_NEAR(b.clrn_drd[1], prereq()[20] * 0.3 * b.bld_du[1], 1e-15);
    EXPECT_NEAR(b.clrn_drd[3], prereq()[20] * b.bld_du[3], 1e-15);
}

// Chord from the chart on the row's own height; the count is the whole
// blades that fit, the pitch is not recomputed.
TEST_F(Curtis, CountsAreTruncatedAndTheStatorClearanceCapped) {
    struct Case {
        double slot10;
        bool capped;
    };
    for (const Case c : {Case{0.01, false}, Case{100.0, true}}) {
        SCOPED_TRACE(c.slot10);
        curtis();
        prereq()[10] = c.slot10;
        EXPECT_EQ(CurtisDesign(0), 13);
        const bdLocals& b = *block();
        for (int e = 1; e <= 4; ++e) {
            SCOPED_TRACE(e);
            const double pitch_ratio = b.bld_d2[e] * kPi / b.cas_t[e][0];
            EXPECT_EQ(b.bld_z[e], std::floor(pitch_ratio));
            EXPECT_NE(std::floor(pitch_ratio), pitch_ratio);
            EXPECT_NEAR(b.cas_t[e][0], b.cas_tb[e][0] * b.cas_b[e][0], 1e-15);
        }
        EXPECT_EQ(b.clrn_to[1], c.capped ? 0.05 : c.slot10 * b.cas_b[1][0]);
        EXPECT_EQ(b.clrn_to[3], c.capped ? 0.05 : c.slot10 * b.cas_b[3][0]);
    }
}

TEST_F(Curtis, NoWheelOrNoSealIs101AndNothingSolved) {
    struct Case {
        const char* what;
        double upper;
        int Gflag, Dflag;
        double CZ;
    };
    for (const Case c : {Case{"upper limit 1", 1.0, 2, 0, kAlpha}, Case{"upper limit 0", 0.0, 2, 0, kAlpha},
                         Case{"a rotor taller than its diameter", 2.0, 1, 1, 0.9 * kD}}) {
        SCOPED_TRACE(c.what);
        curtis(c.upper);
        PD_module& r = record(0);
        r.Gflag = c.Gflag;
        r.Dflag = c.Dflag;
        r.PD_VAL[PD_VAR_CZ] = c.CZ;
        block()->cyld_ns = 0;
        block()->cyld_VART = 1;  // a solve would run
        h2::predesign::clear_point_reason();
        EXPECT_EQ(CurtisDesign(0), 101);
        EXPECT_NE(std::string(h2::predesign::point_reason_text()).find("Curtis turbine module 0"),
                  std::string::npos);
        EXPECT_EQ(block()->cyld_ns, 0);
        EXPECT_EQ(block()->cyld_Nc, 0.0);
        EXPECT_EQ(r.elemsPerStage, 2);
    }
}

TEST_F(Curtis, ADflagOutsideItsFormsIs1) {
    curtis();
    record(0).Dflag = -1;
    EXPECT_EQ(CurtisDesign(0), 1);
    EXPECT_EQ(block()->cyld_ns, 0);
}

}  // namespace
namespace {

double rel(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

// An impulse wheel (R 0, alpha1 12 degrees) to 3.2 bar, solved by a design
// solve that sizes the heights by continuity: its outlet met, every row
// carrying the flow by continuity with rothalpy kept, Euler work and the
// exit triangle.
TEST_F(Curtis, AnImpulseWheelSolvedToItsOutlet) {
    curtis();
    record(0).PD_VAL[PD_VAR_R] = 0.0;
    record(0).PD_VAL[PD_VAR_CZ] = 12.0;
    bdLocals& b = *block();
    b.cyld_p2n = 3.2e5;
    b.cyld_VART = 1;
    ASSERT_EQ(CurtisDesign(0), 0);
    ASSERT_EQ(b.cyld_ns, 4);
    EXPECT_NEAR(b.isd_p2[4][0], 3.2e5, 1e-6 * kInP0);
    ASSERT_EQ(stgRN(), 0);
    for (int e = 1; e <= 4; ++e) {
        SCOPED_TRACE(e);
        const double p2 = b.isd_p2[e][0], i2 = b.isd_i2r[e][0];
        const double rho2 = p2 / (kGas * i2 / kCp);
        // Within the redesign's own settling (1e-8 on the outlet enthalpy, a
        // few times that on the height).
        EXPECT_LT(rel(b.elem_G2[e], rho2 * kPi * b.bld_d2[e] * b.bld_l2[e] * b.flow_c2z[e][0]), 2e-7);
        const double u1 = b.flow_u1[e][0], u2 = b.flow_u2[e][0];
        const double grav = 9.81 * (b.flow_r1[e][0] - b.flow_r2[e][0]);
        const double i2wx = b.isd_i1wx[e][0] - u1 * u1 / 2.0 + u2 * u2 / 2.0 + grav;
        EXPECT_LT(rel(i2wx, i2 + b.flow_w2[e][0] * b.flow_w2[e][0] / 2.0), 1e-7);
        EXPECT_NEAR(b.enrg_Lu[e][0], u1 * b.flow_c1u[e][0] - u2 * b.flow_c2u[e][0], 1e-9 * 1e5);
        EXPECT_NEAR(b.flow_w2u[e][0], b.flow_c2u[e][0] - std::fabs(u2), 1e-9);
    }
}

}  // namespace
