// Centrifugal stages regenerated through rcgRN: hand numbers of the one-stage
// cases worked pass by pass, and the balances every generated stage must
// satisfy (Euler work, continuity, free vortex, total enthalpy, isentropes).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "halvorine2/radial_design.h"
#include "solver/predesign/centrifugal_elements.h"
#include "tests/support/centrifugal_case.h"

namespace {

using h2::test::CentrifugalCaseTest;
using h2::test::kIsentropicPower;

constexpr double kPi = 3.14159265;  // the design rules' pi
constexpr double kHead = 2e-5;      // values that depend on the converged head coefficient
constexpr double kExact = 1e-9;

void expect_rel(double actual, double expected, double tol, const char* what) {
    EXPECT_NEAR(actual, expected, tol * std::fabs(expected)) << what;
}

class CentrifugalStage : public CentrifugalCaseTest {
protected:
    // Inlet guide vanes (element 0), impeller 1 and a diffuser 2 of form `diff`.
    void one_stage(int diff, double pstar) {
        make_path(2, {1});
        record(0).igv_form = 1;
        record(0).diff_form = diff;
        target(2, pstar);
    }

    // The balances of an impeller imp and, when d > imp, its diffuser d. An
    // impeller whose own outlet pressure (or whose inlet's) was set to the
    // target by a stage completion holds its state to the iteration's
    // tolerance only: state_tol.
    void expect_balances(int imp, int d, bool vaneless, double state_tol = kExact) {
        const bdLocals& b = *block();
        SCOPED_TRACE(imp);
        const double u1 = b.flow_u1[imp][0], u2 = b.flow_u2[imp][0];
        const double Lu = b.enrg_Lu[imp][0];
        // Euler work = head coefficient x u2^2 = total enthalpy rise.
        expect_rel(u2 * b.flow_c2u[imp][0] - u1 * b.flow_c1u[imp][0], Lu, kExact, "Euler work");
        expect_rel(b.elem_Ht[imp] * u2 * u2, Lu, kExact, "head coefficient");
        // The parasitic work (disk friction, the clearance flow's share) is
        // shaft work too: the outlet total enthalpy carries it.
        const double parasitic = b.isd_i2x[imp][0] - b.elem_i0[imp] - Lu;
        EXPECT_GT(b.enrg_dhd[imp], 0.0);
        expect_rel(parasitic, b.enrg_dhd[imp] + std::max(b.enrg_zrz[imp], 0.0) * Lu, 1e-6, "parasitic work");
        expect_rel(u2, b.bld_d2[imp] * b.bld_wp[imp] / 2.0, kExact, "blade speed");
        // Continuity at the impeller outlet with the outlet density p / (R T).
        const double rho2 = density(b.isd_p2[imp][0], b.isd_i2[imp][0]);
        expect_rel(rho2 * b.flow_c2s[imp][0] * kPi * b.bld_d2[imp] * b.bld_l2[imp], kG, state_tol,
                   "continuity");
        // The outlet lies on the inlet isentrope shifted by the losses.
        // Parasitic work heats the outflow without raising its pressure.
        const double i2t = b.isd_i2[imp][0] - b.enrg_dhb[imp][0] - parasitic;
        expect_rel(b.isd_p2[imp][0], isentropic_p(b.isd_p1[imp][0], b.isd_i1[imp][0], i2t), 1e-5,
                   "isentrope");
        // The isentropic head became the isentropic velocity.
        const double his =
            b.isd_i1[imp][0] * std::pow(b.isd_p2[imp][0] / b.isd_p1[imp][0], 1.0 / kIsentropicPower);
        expect_rel(b.enrg_Co[imp][0], std::sqrt(2.0 * std::fabs(his - b.elem_i0[imp])), state_tol, "Co");
        if (d == imp) return;
        const double rho_d = density(b.isd_p2[d][0], b.isd_i2[d][0]);
        expect_rel(rho_d * b.flow_c2s[d][0] * kPi * b.bld_d2[d] * b.bld_l2[d], kG, 5e-6,
                   "diffuser continuity");
        expect_rel(b.isd_i2x[d][0], b.isd_i2x[imp][0], 1e-12, "total enthalpy kept");
        if (vaneless)
            expect_rel(b.flow_c2u[d][0] * b.bld_d2[d], b.flow_c2u[imp][0] * b.bld_d2[imp], kExact,
                       "free vortex");
        // A stationary element's relative outflow is its absolute outflow.
        EXPECT_EQ(b.flow_w2[d][0], b.flow_c2[d][0]);
        // The inlet station: continuity through its annulus, total = static + c^2/2.
        const double c1 = b.flow_c1[d][0];
        expect_rel(b.isd_i1[d][0] + c1 * c1 / 2.0, b.isd_i1x[d][0], 1e-12, "inlet total enthalpy");
        if (!vaneless) {
            expect_rel(b.isd_Ro1[d][0] * b.flow_c1r[d][0] * kPi * b.bld_d1[d] * b.bld_l1[d], kG, kExact,
                       "leading-edge continuity");
            expect_rel(b.isd_Ro1[d][0], density(b.isd_p1[d][0], b.isd_i1[d][0]), 1e-6, "leading-edge state");
            expect_rel(b.flow_c1u[d][0] * b.bld_d1[d], b.flow_c2u[imp][0] * b.bld_d2[imp], kExact,
                       "free vortex across the gap");
        }
        const double i2t_d = b.isd_i2[d][0] - b.enrg_dhb[d][0];
        expect_rel(b.isd_p2[d][0], isentropic_p(b.isd_p2[imp][0], b.isd_i2[imp][0], i2t_d), 1e-5,
                   "diffuser isentrope");
        EXPECT_EQ(b.elem_eff[imp], b.elem_eff[d]);
        EXPECT_EQ(b.elem_effx[imp], b.elem_eff[d]);
        EXPECT_EQ(b.elem_R[imp], b.elem_R[d]);
    }
    void expect_flow_everywhere() {
        for (int i = 0; i <= block()->cyld_ns; ++i) {
            EXPECT_EQ(block()->elem_G1[i], kG) << i;
            EXPECT_EQ(block()->elem_G2[i], kG) << i;
        }
    }
};

TEST_F(CentrifugalStage, GuideVanesImpellerAndVanelessDiffuserMeetTheStaticTarget) {
    one_stage(1, 180000.0);
    ASSERT_EQ(rcgRN(0), 0);
    const bdLocals& b = *block();
    expect_rel(b.bld_l1[0], 0.0330309140651, kExact, "inlet annulus");
    const double i1 = kI0 - 112.5 * 112.5 / 2.0;
    expect_rel(b.isd_p2[0][0], isentropic_p(kP0, kI0, i1), kExact, "inlet static pressure");
    expect_rel(b.isd_p2[0][0], 92568.66165, kExact, "inlet static pressure");
    expect_rel(b.elem_Ht[1], 0.437678, kHead, "head coefficient");
    expect_rel(b.bld_l2[1], 0.0125081799988, kHead, "outlet width");
    EXPECT_EQ(b.bld_z[1], 11.0);
    expect_rel(b.isd_p2x[1][0], 203510.118774, kHead, "impeller total pressure");
    expect_rel(b.flow_c2u[1][0], 177.259988794, kHead, "outlet swirl");
    expect_rel(b.enrg_dhd[1], 1782.25401217, kHead, "disk friction");
    expect_rel(b.elem_eff[1], 0.833106673443, kHead, "stage efficiency");
    expect_rel(b.elem_R[1], 0.808611687477, kHead, "reaction");
    expect_rel(b.flow_c2s[2][0], 66.4308635339, kHead, "diffuser meridional velocity");
    expect_rel(b.isd_p2x[2][0], 195236.870107, kHead, "diffuser total pressure");
    EXPECT_EQ(b.isd_p2[2][0], 180000.0);
    EXPECT_EQ(b.elem_p2[2], 180000.0);
    // Diffuser geometry from the default slots: 1.6 times the diameter, the same width.
    expect_rel(b.bld_d2[2], 1.6 * b.bld_d2[1], kExact, "diffuser diameter");
    EXPECT_EQ(b.bld_l2[2], b.bld_l2[1]);
    // Shaft power = G (h02 - h01): the first law of the adiabatic stage.
    expect_rel(b.cyld_Nc, kG * (b.isd_i2x[2][0] - b.isd_i1x[1][0]), kExact, "stage power");
    expect_balances(1, 2, true);
    expect_flow_everywhere();
}

TEST_F(CentrifugalStage, TotalTargetIsMetOnTheTotalPressure) {
    one_stage(1, 200000.0);
    block()->cyld_VARTP = 1;
    ASSERT_EQ(rcgRN(0), 0);
    const bdLocals& b = *block();
    EXPECT_EQ(b.isd_p2x[2][0], 200000.0);
    // The total pressure the stage delivered: its outlet total state on the outlet entropy.
    const double s2 = b.isd_s2[2][0];
    const double p2x = b.fluid_func(H2_FLUID_P_IS, b.isd_i2x[2][0], s2, 0.0, 0);
    expect_rel(p2x, 200000.0, 1e-6, "total target");
    EXPECT_LT(b.isd_p2[2][0], 195000.0);
    expect_balances(1, 2, true);
}

TEST_F(CentrifugalStage, VanedDiffuserFromTheDefaultSlots) {
    one_stage(2, 190000.0);
    prereq()[96] = 10.0;
    ASSERT_EQ(rcgRN(0), 0);
    const bdLocals& b = *block();
    expect_rel(b.bld_d1[2], 1.05 * b.bld_d2[1], kExact, "vane inlet diameter");
    expect_rel(b.bld_d2[2], 1.47 * b.bld_d2[1], kExact, "vane outlet diameter");
    EXPECT_EQ(b.bld_l1[2], b.bld_l2[1]);
    EXPECT_EQ(b.cas_B1g[2][0], b.cas_A2[1][0]);
    expect_rel(b.cas_A2[2][0], b.cas_B1g[2][0] + 10.0, 1e-12, "vane turning");
    EXPECT_EQ(b.cas_B2g[2][0], b.cas_A2[2][0]);
    expect_rel(b.elem_Ht[1], 0.452674010199, kHead, "head coefficient");
    EXPECT_EQ(b.bld_z[2], 22.0);
    expect_rel(b.cas_b[2][0], 0.0932008800552, kHead, "vane length");
    expect_rel(b.cas_tb[2][0], 0.608118586067, kHead, "pitch over length");
    EXPECT_EQ(b.bld_wp[2], 0.0);  // a stator
    // The outlet swirl follows the vane: tan(A2) = c2s / c2u.
    expect_rel(b.flow_c2s[2][0] / b.flow_c2u[2][0], std::tan(b.cas_A2[2][0] * 0.01745329), kExact,
               "vane angle");
    // The arc's centre is equidistant from both vane ends.
    const h2::predesign::VaneArc arc =
        h2::predesign::vane_arc(b.bld_d1[2], b.bld_d2[2], b.cas_B1g[2][0], b.cas_A2[2][0], 10.0);
    const auto centre2 = [&](double r, double angle) {
        return arc.R * arc.R + r * r - 2.0 * arc.R * r * std::cos(angle * 0.01745329);
    };
    expect_rel(centre2(b.bld_d1[2] / 2, b.cas_B1g[2][0]), arc.rho * arc.rho, 1e-12,
               "centre from the inlet end");
    expect_rel(centre2(b.bld_d2[2] / 2, b.cas_A2[2][0]), arc.rho * arc.rho, 1e-12,
               "centre from the outlet end");
    EXPECT_EQ(b.isd_p2[2][0], 190000.0);
    expect_balances(1, 2, false);
    expect_flow_everywhere();
}

TEST(VaneArc, WorkedExample) {
    const h2::predesign::VaneArc v = h2::predesign::vane_arc(0.4, 0.56, 15.0, 25.0, 10.0);
    EXPECT_NEAR(v.R, 0.316931, 1e-6);
    EXPECT_NEAR(v.rho, 0.134136, 1e-6);
    EXPECT_NEAR(v.theta1, 22.6999, 1e-4);
    EXPECT_NEAR(v.theta2, 61.9073, 1e-4);
    EXPECT_NEAR(v.L, 0.216875, 1e-6);
    EXPECT_NEAR(v.count, 11.022, 1e-3);
    EXPECT_EQ(v.z, 11);
    // Equal cosine terms put the centre at infinity: no finite count.
    EXPECT_EQ(h2::predesign::vane_arc(0.4, 0.4, 15.0, 15.0, 10.0).z, 0);
}

TEST_F(CentrifugalStage, AsADesignTaskTheSolverRegeneratesTheStage) {
    one_stage(1, 180000.0);
    bdLocals* b = block();
    b->cyld_VART = 1;
    b->IGM = 3;
    b->elem_p2[2] = 180000.0;  // a compressing path
    ASSERT_EQ(dbrun(b, 0), 0);
    EXPECT_EQ(b->isd_p2[2][0] / b->elem_p0[0], 1.8);
    expect_rel(b->elem_Ht[1], 0.437678, kHead, "head coefficient");
    expect_rel(b->bld_l2[1], 0.0125081799988, kHead, "outlet width");
    EXPECT_EQ(b->bld_z[1], 11.0);
    expect_rel(b->flow_c2s[2][0], 66.4308635339, kHead, "diffuser meridional velocity");
    expect_rel(b->isd_p2x[2][0], 195236.870107, kHead, "diffuser total pressure");
    expect_flow_everywhere();
}

TEST_F(CentrifugalStage, TwoModulesAreRegeneratedEachFromItsRecord) {
    make_path(3, {1, 2});
    set_module_count(2);
    record(0).igv_form = 1;
    record(1) = record(0);
    record(1).PD_VAL[PD_VAR_M] = 1.4;
    record(1).PD_VAL[PD_VAR_HT] = 0.5;
    record(1).diff_form = 1;
    bdLocals* b = block();
    for (int i = 2; i <= 3; ++i) b->elem_moduleNum[i] = 1.0;
    target(1, 150000.0);
    target(3, 230000.0);
    ASSERT_EQ(rcgRN(0), 0);
    expect_rel(b->elem_Ht[1], 0.355621358256, kHead, "module 0 head coefficient");
    expect_rel(b->bld_l2[1], 0.0133060025532, kHead, "module 0 outlet width");
    EXPECT_EQ(b->isd_p2[1][0], 150000.0);
    // Module 1: the impeller behind module 0's, and its diffuser at element 3.
    EXPECT_EQ(b->bld_d1[2], b->bld_d2[1]);
    expect_rel(b->bld_d2[3], 1.6 * 1.4 * 0.27, kExact, "module 1 diffuser diameter");
    EXPECT_EQ(b->elem_stagType[3], 2.0);
    EXPECT_EQ(b->isd_p2[3][0], 230000.0);
    expect_balances(1, 1, false, 1e-5);
    expect_balances(2, 3, true, 1e-5);
    expect_flow_everywhere();

    // Module 0 now fails in its inlet guide vanes; module 1 is still
    // regenerated, from the same inlet, to the same stage.
    const double ht1 = b->elem_Ht[2], l2 = b->bld_l2[2], p2x = b->isd_p2x[3][0];
    b->elem_Ht[2] = 0.0;
    b->bld_l2[2] = 0.0;
    record(0).PD_VAL[PD_VAR_CZ] = 20.0;
    EXPECT_EQ(rcgRN(0), 1);
    EXPECT_EQ(b->elem_Ht[2], ht1);
    EXPECT_EQ(b->bld_l2[2], l2);
    EXPECT_EQ(b->isd_p2x[3][0], p2x);
}

}  // namespace
