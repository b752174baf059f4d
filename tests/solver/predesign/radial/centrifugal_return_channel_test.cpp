// Centrifugal stages with an inlet volute and kind-11 bend ahead of the
// impeller, return channels (U-bend, deswirler, kind-12 bend) behind it and
// an outlet volute at the end, regenerated through rcgRN: hand numbers worked
// pass by pass, and the balances each element must keep (continuity, total
// enthalpy, angular momentum, isentropes shifted by the element's loss).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "halvorine2/radial_design.h"
#include "halvorine2/runs.h"
#include "halvorine2/volute.h"
#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/volute_design.h"
#include "tests/support/centrifugal_case.h"

namespace {

using h2::test::kIsentropicPower;

constexpr double kPi = 3.14159265;  // the design rules' pi
constexpr double kDeg = 0.01745329;
constexpr double kHead = 2e-5;  // values that depend on the converged head coefficient
constexpr double kExact = 1e-9;

void expect_rel(double actual, double expected, double tol, const char* what) {
    EXPECT_NEAR(actual, expected, tol * std::fabs(expected)) << what;
}

class ReturnChannelStage : public h2::test::CentrifugalCaseTest {
protected:
    void TearDown() override {
        VoloutTerm(static_cast<Volout*>(block()->volout));
        block()->volout = nullptr;
        CentrifugalCaseTest::TearDown();
    }
    void expect_flow_everywhere() {
        for (int i = 0; i <= block()->cyld_ns; ++i) {
            EXPECT_EQ(block()->elem_G1[i], kG) << i;
            EXPECT_EQ(block()->elem_G2[i], kG) << i;
        }
    }
    // Continuity through the outlet of element e of flow area A.
    void expect_continuity(int e, double area, double velocity, double tol = kExact) {
        const bdLocals& b = *block();
        expect_rel(density(b.isd_p2[e][0], b.isd_i2[e][0]) * velocity * area, kG, tol, "continuity");
    }
    // The outlet volute at element e: continuity through its section with all
    // the velocity tangential, total enthalpy kept, the loss on the larger of
    // the inlet and section velocities, the outlet on the loss-shifted isentrope.
    void expect_volute_physics(int e, double tol = kExact) {
        const bdLocals& b = *block();
        const double c = b.flow_c2[e][0];
        EXPECT_EQ(b.flow_c2u[e][0], c);
        EXPECT_EQ(b.flow_w2[e][0], c);
        EXPECT_EQ(b.flow_c2r[e][0], 0.0);
        EXPECT_EQ(b.flow_c2z[e][0], 0.0);
        EXPECT_EQ(b.isd_i2x[e][0], b.isd_i2x[e - 1][0]);
        expect_rel(b.isd_i2[e][0], b.isd_i2x[e][0] - c * c / 2.0, 1e-12, "static enthalpy");
        expect_continuity(e, b.vol_bk[e] * b.vol_hk[e], c, 1e-5);
        double Dk = 0, bk = 0, hk = 0, ck = 0;
        ASSERT_EQ(h2::predesign::volout_section(1, b.bld_d2[e - 1], b.bld_l2[e - 1], b.cas_B2[e - 1][0],
                                                b.flow_c2[e - 1][0], &Dk, &bk, &hk, &ck),
                  0);
        const double c1 = b.flow_c2[e - 1][0];
        expect_rel(b.enrg_dhb[e][0], (1.0 - 0.7 * 0.7) * std::max(c1 * c1, ck * ck) / 2.0, 1e-12, "loss");
        expect_loss_shifted_isentrope(e, tol);
        expect_rel(b.elem_eff[e], b.elem_eff[e - 1] - b.enrg_dhb[e][0] / b.enrg_Lu[e][0], 1e-12,
                   "efficiency");
    }
    // Element e's outlet on the isentrope of its inlet entropy, lowered by its loss.
    void expect_loss_shifted_isentrope(int e, double tol = 1e-9) {
        const bdLocals& b = *block();
        const double i2t = b.isd_i2[e][0] - b.enrg_dhb[e][0];
        expect_rel(b.isd_p2[e][0], isentropic_p(b.isd_p2x[e - 1][0], b.isd_i2x[e - 1][0], i2t), tol,
                   "isentrope");
    }
};

TEST_F(ReturnChannelStage, InletVoluteAndKind11BendLeadIntoTheImpeller) {
    // 0 guide vanes, 1 inlet volute, 2 kind-11 bend, 3 impeller, 4 vaneless
    // diffuser, 5 outlet volute sized by the outlet velocity law.
    make_path(5, {3});
    PD_module& r = record(0);
    r.igv_form = 0, r.volin_form = 1, r.lbau_form = 1, r.diff_form = 1, r.volout_form = 3;
    target(5, 170000.0);
    ASSERT_EQ(rcgRN(0), 0);
    const bdLocals& b = *block();
    expect_flow_everywhere();

    // Inlet volute: no swirl at the exit (A0 90), loss (1 - 0.8^2) c^2 / 2,
    // on the inlet diameter, which after the first pass is the impeller eye.
    EXPECT_EQ(b.elem_stagType[1], 5.0);
    EXPECT_EQ(b.elem_sectType[1], 2.0);
    EXPECT_EQ(b.bld_d2[1], b.bld_d1[3]);
    const double c = b.bld_d1[3] * 3000.0 / 2.0 * 0.5;
    EXPECT_EQ(b.flow_c2s[1][0], c);
    const double i2 = kI0 - c * c / 2.0, dhb = (1.0 - 0.8 * 0.8) * c * c / 2.0;
    expect_rel(b.isd_p2[1][0], kP0 * std::pow((i2 - dhb) / kI0, kIsentropicPower), kExact, "volute exit");
    expect_rel(b.isd_p2[1][0], 85227.3986694, kExact, "volute exit");
    expect_rel(b.bld_l2[1], 0.0235803403772, kExact, "volute exit width");
    expect_continuity(1, kPi * b.bld_d2[1] * b.bld_l2[1], c);

    // Kind-11 bend: the impeller eye of the first pass, d_in + l_in, kept.
    EXPECT_EQ(b.elem_stagType[2], 11.0);
    expect_rel(b.bld_d2[2], 0.183976372118, kExact, "eye");
    EXPECT_EQ(b.bld_d1[3], b.bld_d2[2]);
    EXPECT_EQ(b.bld_l1[3], b.bld_l2[2]);
    expect_rel(b.isd_p2[2][0], 81638.0080776, kExact, "bend outlet");
    expect_rel(b.flow_c2r[2][0], c * b.bld_d2[2] / b.bld_d1[2], 1e-12, "inlet flow coefficient kept");
    expect_continuity(2, kPi * b.bld_d2[2] * b.bld_l2[2], b.flow_c2r[2][0]);
    expect_loss_shifted_isentrope(2);
    // The bend holds the impeller's work of the pass before.
    expect_rel(b.enrg_Lu[2][0], b.enrg_Lu[3][0], kHead, "work of the stage");

    // Impeller and outlet volute.
    expect_rel(b.elem_Ht[3], 0.307043247014, kHead, "head coefficient");
    expect_rel(b.bld_l2[3], 0.00907707255689, kHead, "impeller outlet width");
    EXPECT_EQ(b.bld_z[3], 10.0);
    EXPECT_EQ(b.elem_stagType[5], 4.0);
    expect_rel(b.vol_Dk[5], 0.831591390137, kHead, "volute diameter");
    expect_rel(b.vol_bk[5], 0.118496480694, kHead, "volute width");
    expect_rel(b.vol_hk[5], 0.150869719219, kHead, "volute height");
    expect_rel(b.flow_c2[5][0], 69.0912785236, kHead, "volute velocity");
    expect_rel(b.isd_p2x[5][0], 173896.306946, kHead, "volute total pressure");
    EXPECT_EQ(b.isd_p2[5][0], 170000.0);
    EXPECT_EQ(b.volout, nullptr);  // sizing alone makes no record
    expect_volute_physics(5, 1e-5);
}

TEST_F(ReturnChannelStage, AnInletVoluteFormIsCheckedOnlyForASwirlingExit) {
    struct Case {
        int form;
        double A0;
        int rcg, stage, element;
    };
    for (const Case c : {Case{4, 90.0, 0, 0, 0}, Case{4, 60.0, 1, h2::predesign::kStageInletVolute, 2},
                         Case{2, 60.0, 0, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << c.form << ' ' << c.A0);
        if (block()->elem_stagType != nullptr) {
            ASSERT_EQ(free_probdata(), 0);
        }
        make_path(5, {3});
        PD_module& r = record(0);
        r.igv_form = 0, r.volin_form = c.form, r.lbau_form = 1, r.diff_form = 1, r.volout_form = 3;
        block()->cas_B1[0][0] = c.A0;
        target(5, 170000.0);
        EXPECT_EQ(rcgRN(0), c.rcg);
        const bdLocals& b = *block();
        if (c.A0 == 90.0) {
            expect_rel(b.elem_Ht[3], 0.307043247014, kHead, "the same stage");
            expect_rel(b.bld_l2[1], 0.0235803403772, kExact, "the same volute exit");
        }
        // A failed form still writes the element: the exit follows the inlet swirl.
        EXPECT_EQ(b.cas_B2[1][0], c.A0);
        expect_rel(b.flow_c2u[1][0], b.flow_c2s[1][0] / std::tan(c.A0 * kDeg), 1e-12, "exit swirl");
        EXPECT_EQ(b.elem_G2[1], kG);
        EXPECT_GT(b.bld_l2[1], 0.0);
        EXPECT_EQ(h2::predesign::rc_volin_design(1, c.form, 3), c.element);
        EXPECT_EQ(h2::predesign::rc_stage_design(0, 0, c.form, 0, 1, 0, 0, 3, 1, 0), c.stage);
    }
}

// End section of a volute drawn by a geometry form, computed from the outlet
// of the element before it: for the free-vortex forms the circle whose
// through-flow at r cu = const equals the volume flow, for the rectangular
// form the section of the same swirl carried to the outer wall.
TEST_F(ReturnChannelStage, OutletVoluteOptionsSizeOrDrawTheVolute) {
    struct Case {
        int sel;
        double Dk, bk, hk;  // bk = hk for the circular sections (side of the square of equal area)
        int form;
    };
    for (const Case c :
         {Case{3, 0.704481595096, 0.0, 0.0, -1}, Case{5, 0.574938144979, 0.146599510124, 0.0, 0},
          Case{6, 0.574354337183, 0.0, 0.0, 1}, Case{7, 0.572225681831, 0.0, 0.0, 10},
          Case{8, 0.599299613765, 0.101199806882, 0.0, 21}}) {
        SCOPED_TRACE(c.sel);
        if (block()->elem_stagType != nullptr) {
            ASSERT_EQ(free_probdata(), 0);
        }
        make_path(3, {1});
        PD_module& r = record(0);
        r.igv_form = 1, r.diff_form = 2, r.volout_form = c.sel;
        prereq()[96] = 10.0;
        target(3, 185000.0);
        ASSERT_EQ(rcgRN(0), 0);
        const bdLocals& b = *block();
        expect_rel(b.vol_Dk[3], c.Dk, kHead, "volute diameter");
        if (c.bk != 0.0) {
            expect_rel(b.vol_bk[3], c.bk, kHead, "volute width");
            expect_rel(b.vol_hk[3], c.bk, kHead, "volute height");
        }
        EXPECT_EQ(b.vol_form[3], c.sel);
        EXPECT_EQ(b.vol_model[3], c.sel);
        EXPECT_EQ(b.vol_D7[3], b.bld_d2[2]);
        EXPECT_EQ(b.vol_b7[3], b.bld_l2[2]);
        expect_volute_physics(3, 1e-5);
        expect_flow_everywhere();
        const auto* rec = static_cast<const Volout*>(b.volout);
        if (c.form < 0) {
            EXPECT_EQ(rec, nullptr);
            continue;
        }
        // The record the element drew: its inputs from the diffuser outlet,
        // its results in the element.
        ASSERT_NE(rec, nullptr);
        EXPECT_EQ(rec->form, c.form);
        EXPECT_EQ(rec->n, 36);
        EXPECT_EQ(rec->m, 36);
        EXPECT_EQ(rec->cs, b.flow_c2s[2][0]);
        EXPECT_EQ(rec->cu, b.flow_c2u[2][0]);
        EXPECT_EQ(rec->r2, b.bld_d2[2] / 2.0);
        EXPECT_EQ(rec->b2, b.bld_l2[2]);
        EXPECT_EQ(rec->hb2, b.bld_l2[2] / 2.0);
        EXPECT_EQ(rec->gap, 0.002);
        EXPECT_EQ(b.vol_Dk[3], rec->Dk);
        EXPECT_EQ(b.vol_bk[3], rec->bk);
        EXPECT_EQ(b.vol_hk[3], rec->hk);
        if (c.form == 10) {
            // Free vortex, no correction: at 360 degrees the section circle of
            // radius 360 / K + sqrt(720 R / K), K the swirl over the volume flow.
            const double r2 = b.bld_d2[2] / 2.0, R = r2 + b.bld_l2[2] / 2.0;
            const double cs = b.flow_c2s[2][0] * r2 / R, cu = b.flow_c2u[2][0] * r2 / R;
            const double K = 2261.946708 * R * cu / (6.2831853 * R * b.bld_l2[2] * cs);
            const double rho = 360.0 / K + std::sqrt(720.0 * R / K);
            expect_rel(b.vol_hk[3], std::sqrt(kPi) * rho, 1e-12, "end circle of equal area");
            expect_rel(b.vol_Dk[3], 2.0 * (R + rho), 1e-12, "outer diameter");
        }
    }
}

// Option 3 in a design task: the solver regenerates the stage (through rcgRN)
// and gets the same volute.
TEST_F(ReturnChannelStage, AsADesignTaskTheVoluteIsTheSame) {
    make_path(3, {1});
    PD_module& r = record(0);
    r.igv_form = 1, r.diff_form = 2, r.volout_form = 3;
    prereq()[96] = 10.0;
    target(3, 185000.0);
    bdLocals* b = block();
    b->cyld_VART = 1;
    b->IGM = 3;
    b->elem_p2[3] = 185000.0;
    ASSERT_EQ(dbrun(b, 0), 0);
    expect_rel(b->vol_Dk[3], 0.704481595096, kHead, "volute diameter");
    expect_flow_everywhere();
}

// Two stages of impeller, vaneless diffuser, U-bend and axial-exit deswirler
// (elements 1-4 and 5-8), to 170 and 280 kPa.
TEST_F(ReturnChannelStage, TwoStagesWithReturnChannels) {
    make_path(8, {1, 5});
    PD_module& r = record(0);
    r.igv_form = 0, r.diff_form = 1, r.uband_form = 1, r.desw_form = 1;
    target(4, 170000.0);
    target(8, 280000.0);
    ASSERT_EQ(rcgRN(0), 0);
    const bdLocals& b = *block();
    expect_flow_everywhere();
    expect_rel(b.elem_Ht[1], 0.403652647818, kHead, "first head coefficient");
    expect_rel(b.elem_Ht[5], 0.404182911032, kHead, "second head coefficient");
    EXPECT_EQ(b.isd_p2[4][0], 170000.0);
    EXPECT_EQ(b.isd_p2[8][0], 280000.0);

    for (const int u : {3, 7}) {
        SCOPED_TRACE(u);
        // U-bend: twice the inlet width, inner radius 0 (slot 103 unset), outer
        // 1.5 b1, 3 b1 further on; the swirl kept on the diffuser's radius.
        const double b1 = b.bld_l2[u - 1];
        EXPECT_EQ(b.elem_stagType[u], 3.0);
        EXPECT_EQ(b.bld_l1[u], b1);
        EXPECT_EQ(b.bld_l2[u], 2.0 * b1);
        EXPECT_EQ(b.vol_bk[u], 2.0 * b1);
        EXPECT_EQ(b.bld_Rh1[u], 0.0);
        EXPECT_EQ(b.bld_Rt1[u], 1.5 * b1);
        EXPECT_EQ(b.bld_Rt2[u], 1.5 * b1);
        expect_rel(b.cas_x2[u][0], b.cas_x2[u - 1][0] + 3.0 * b1, 1e-12, "axial position");
        EXPECT_EQ(b.bld_d1[u], b.bld_d2[u - 1]);
        EXPECT_EQ(b.bld_d2[u], b.bld_d2[u - 1]);
        EXPECT_EQ(b.flow_c2u[u][0], b.flow_c1u[u][0]);
        EXPECT_EQ(b.flow_c1u[u][0], b.flow_c2u[u - 1][0]);
        EXPECT_EQ(b.isd_i2x[u][0], b.isd_i2x[u - 1][0]);
        expect_rel(b.cas_B2[u][0], std::atan2(b.flow_c2r[u][0], b.flow_c1u[u][0]) / kDeg, 1e-12, "angle");
        expect_continuity(u, kPi * b.bld_d2[u] * b.bld_l2[u], b.flow_c2r[u][0], 1e-5);
        const double c1 = b.flow_c1[u][0], c2 = b.flow_c2[u][0];
        expect_rel(b.enrg_dhb[u][0], (1.0 - 0.9 * 0.9) * std::max(c1 * c1, c2 * c2) / 2.0, 1e-12, "loss");
        expect_loss_shifted_isentrope(u, 1e-12);
        expect_rel(b.elem_eff[u], b.elem_eff[u - 1] - b.enrg_dhb[u][0] / b.enrg_Lu[u - 2][0], 1e-12,
                   "efficiency");
        expect_rel(b.elem_cz_[u], b.flow_c2r[u][0] / (3000.0 * b.bld_d2[u] / 2.0), 1e-12, "flow coefficient");
    }
    expect_rel(b.bld_l2[3], 0.025635158954, kHead, "U-bend outlet width");
    expect_rel(b.cas_B2[3][0], 18.1385309711, kHead, "U-bend outlet angle");

    for (const int d : {4, 8}) {
        SCOPED_TRACE(d);
        // Deswirler: onto the eye diameter, with the flow coefficient on the
        // blade speed there, axially, and (first generation) no turning.
        EXPECT_EQ(b.elem_stagType[d], 6.0);
        EXPECT_EQ(b.elem_sectType[d], 0.0);
        EXPECT_EQ(b.bld_d2[d], 0.15);
        EXPECT_EQ(b.flow_c2s[d][0], 112.5);
        EXPECT_EQ(b.flow_c2z[d][0], 112.5);
        EXPECT_EQ(b.flow_c2r[d][0], 0.0);
        EXPECT_EQ(b.cas_t2[d][0], 0.0);
        EXPECT_EQ(b.cas_B2[d][0], 90.0);
        expect_rel(b.flow_c2u[d][0], std::cos(90.0 * kDeg) * b.flow_c2[d][0], 1e-12, "residual swirl");
        EXPECT_EQ(b.bld_z[d], 12.0);
        expect_continuity(d, kPi * b.bld_d2[d] * b.bld_l2[d], 112.5, 1e-5);
        EXPECT_EQ(b.cas_B[d][0], std::max(2.0 * b.bld_l1[d], b.bld_l2[d]));
        expect_rel(b.clrn_d1[d], 0.05 * b.cas_B[d][0], 1e-12, "clearance");
        // The loss model ran from the second pass on: (1 - 0.9^2) w1^2 / 2.
        const double w1 = b.flow_w1[d][0];
        expect_rel(b.enrg_dhb[d][0], (1.0 - 0.9 * 0.9) * w1 * w1 / 2.0, 1e-12, "loss");
        const double i2t = b.isd_i2[d][0] - b.enrg_dhb[d][0];
        // (the completion set the outlet pressure to the target: held to the iteration's tolerance)
        expect_rel(b.isd_p2[d][0], isentropic_p(b.isd_p2[d - 1][0], b.isd_i2[d - 1][0], i2t), 2e-6,
                   "isentrope");
    }
    expect_rel(b.bld_l2[4], 0.022294382148, kHead, "deswirler outlet width");
    // The second stage's impeller takes the first one's eye.
    EXPECT_EQ(b.bld_d1[5], b.bld_d1[1]);
    expect_rel(b.isd_p2x[8][0], 295034.00906, kHead, "second stage total pressure");
}

// Impeller, vaneless diffuser, U-bend, radial-exit deswirler and kind-12 bend
// (elements 1-5) to 175 kPa.
TEST_F(ReturnChannelStage, RadialExitDeswirlerAndKind12Bend) {
    make_path(5, {1});
    PD_module& r = record(0);
    r.igv_form = 0, r.diff_form = 1, r.uband_form = 1, r.desw_form = 2, r.lbda_form = 1;
    target(5, 175000.0);
    ASSERT_EQ(rcgRN(0), 0);
    const bdLocals& b = *block();
    expect_flow_everywhere();

    // The radial exit lies outside an axial eye by the eye's height.
    EXPECT_EQ(b.elem_sectType[4], 1.0);
    EXPECT_EQ(b.cas_t2[4][0], -90.0);
    expect_rel(b.bld_d2[4], b.bld_d1[1] + 2.0 * b.bld_l1[1], 1e-15, "radial exit");
    expect_rel(b.bld_d2[4], 0.21606182813, kExact, "radial exit");
    EXPECT_EQ(b.bld_z[4], 18.0);
    // The reference diameter of the exit velocity is element 0's.
    expect_rel(b.flow_c2r[4][0], 0.15 * 3000.0 / 2.0 * 0.5, 1e-15, "exit velocity");

    // Kind-12 bend: onto the impeller eye, axially, r cu kept.
    EXPECT_EQ(b.elem_stagType[5], 12.0);
    EXPECT_EQ(b.elem_sectType[5], 0.0);
    EXPECT_EQ(b.bld_d1[5], b.bld_d2[4]);
    EXPECT_EQ(b.bld_d2[5], b.bld_d1[1]);
    const double cm = 3000.0 * b.bld_d2[5] / 2.0 * 0.5;
    expect_rel(b.flow_c2z[5][0], cm, 1e-15, "meridional velocity");
    EXPECT_EQ(b.flow_c2s[5][0], b.flow_c2z[5][0]);
    EXPECT_EQ(b.flow_c2r[5][0], 0.0);
    EXPECT_EQ(b.elem_cz_[5], 0.5);
    expect_rel(b.flow_c2u[5][0] * b.bld_d2[5], b.flow_c1u[5][0] * b.bld_d1[5], 1e-12, "angular momentum");
    EXPECT_EQ(b.cas_B[5][0], std::max(2.0 * b.bld_l1[5], b.bld_l1[1]));
    expect_rel(b.cas_B[5][0], 0.0330309140651, kExact, "axial extent");
    expect_rel(b.cas_x2[5][0], b.cas_x2[4][0] + b.cas_B[5][0] - b.bld_l1[5] / 2.0, 1e-12, "axial position");
    EXPECT_EQ(b.cas_t1[5][0], -90.0);
    EXPECT_EQ(b.flow_r1[5][0], b.bld_d1[5] / 2.0);
    EXPECT_EQ(b.flow_r2[5][0], b.bld_d2[5] / 2.0);
    expect_rel(b.isd_p2x[5][0], 186083.067254, kHead, "outlet total pressure");
    const double c1 = b.flow_c1[5][0], c2 = b.flow_c2[5][0];
    expect_rel(b.enrg_dhb[5][0], (1.0 - 0.8 * 0.8) * std::max(c1 * c1, c2 * c2) / 2.0, 1e-12, "loss");
    EXPECT_EQ(b.isd_p2wx[5][0], b.isd_p2x[5][0]);
}

// An outlet volute ends every stage of its module; it leaves all its velocity
// tangential, so the impeller of a second stage behind it gets no meridional
// inflow and fails, and with it the module.
// A path laid out with an outlet volute in each stage: the earlier stage's
// volute slot is regenerated as a passage that carries the diffuser's outflow
// on (a volute there would leave the next impeller no meridional velocity).
// This path has no return channel, so the second impeller, fed at the
// diffuser's diameter, still cannot deliver its head.
TEST_F(ReturnChannelStage, AnEarlierStagesVoluteSlotCarriesTheFlowOn) {
    make_path(6, {1, 4});
    PD_module& r = record(0);
    r.igv_form = 0, r.diff_form = 1, r.volout_form = 3;
    target(3, 170000.0);
    target(6, 250000.0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(rcgRN(0), 1);
    EXPECT_EQ(
        testing::internal::GetCapturedStdout(),
        "\nmodule 0 COMP_RADIAL: stage 2 not regenerated: the impeller cannot deliver the stage's head\n");
    const bdLocals& b = *block();
    EXPECT_EQ(b.isd_p2[2][0], 170000.0);  // the first stage met its target at its diffuser
    EXPECT_EQ(b.elem_stagType[3], 0.0);
    EXPECT_EQ(b.isd_p2[3][0], b.isd_p2[2][0]);
    EXPECT_EQ(b.isd_i2x[3][0], b.isd_i2x[2][0]);
    EXPECT_EQ(b.flow_c2s[3][0], b.flow_c2s[2][0]);
    EXPECT_GT(b.flow_c1s[4][0], 0.0);
    // The volute in the first stage, as the stage alone lays it out, turns
    // the flow circumferential: the second impeller then fails.
    EXPECT_EQ(h2::predesign::rc_stage_design(0, 0, 0, 0, 1, 0, 0, 3, 0, 0), h2::predesign::kStageDone);
    EXPECT_EQ(b.flow_c2r[3][0], 0.0);
    EXPECT_EQ(h2::predesign::rc_stage_design(4, 0, 0, 0, 1, 0, 0, 3, 0, 0), h2::predesign::kStageImpeller);
}

}  // namespace
