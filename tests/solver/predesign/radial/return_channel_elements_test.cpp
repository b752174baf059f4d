// Element generators behind and ahead of a centrifugal impeller, one call
// each on a hand-made upstream outlet: U-bend, deswirler, both L-bends, the
// compressor inlet volute and the outlet volute. Geometry rules, the guards
// of each element, the first and repeated generations, and the branches of a
// fluid without entropy.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "halvorine2/case_data.h"
#include "halvorine2/volute.h"
#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/volute_design.h"
#include "tests/support/centrifugal_case.h"

namespace {

using namespace h2::predesign;

constexpr double kPi = 3.14159265;
constexpr double kDeg = 0.01745329;
constexpr double kMark = 7.0;  // a value an element must leave alone

void expect_rel(double actual, double expected, double tol, const char* what) {
    EXPECT_NEAR(actual, expected, tol * std::fabs(expected)) << what;
}

// Element 0 the module inlet (diameter 0.15, flow coefficient 0.5), element 1
// the flow path's first element (inlet 0.2 x 0.05), impeller 2 (3000 rad/s,
// eye 0.15 x 0.03, work 60 kJ/kg), element 3 the outlet the element under
// test (4) takes over.
class ReturnChannelElements : public h2::test::CentrifugalCaseTest {
protected:
    static constexpr int kImp = 2, kUp = 3, kEl = 4;
    static constexpr double kLu = 60000.0;

    void SetUp() override {
        CentrifugalCaseTest::SetUp();
        make_path(4, {kImp});
        bdLocals& b = *block();
        b.bld_d1[0] = b.bld_d2[0] = 0.15;
        b.elem_cz_[0] = 0.5;
        b.bld_d1[1] = 0.2;
        b.bld_l1[1] = 0.05;
        b.bld_d1[kImp] = 0.15;
        b.bld_l1[kImp] = 0.03;
        b.bld_d2[kImp] = 0.27;
        b.cas_t1[kImp][0] = 0.0;
        b.enrg_Lu[kImp][0] = kLu;
        upstream(60.0, 150.0, 0.4, 0.01);
    }
    void TearDown() override {
        VoloutTerm(static_cast<Volout*>(block()->volout));
        block()->volout = nullptr;
        CentrifugalCaseTest::TearDown();
    }
    double F(int code, double a, double b) { return block()->fluid_func(code, a, b, 0.0, 0); }

    // Element 3's outlet: total state 200 kPa / 360 kJ/kg, the static state
    // on its isentrope, velocities c2r (radial) and c2u, diameter and width.
    void upstream(double c2r, double c2u, double d2, double l2, double p2x = 200000.0,
                  double i2x = 360000.0) {
        bdLocals& b = *block();
        const int e = kUp;
        const double c2 = std::hypot(c2r, c2u);
        const double s = F(H2_FLUID_S_PI, p2x, i2x);
        const double i2 = i2x - c2 * c2 / 2.0;
        b.isd_p2x[e][0] = p2x;
        b.isd_i2x[e][0] = i2x;
        b.isd_s2[e][0] = s;
        b.isd_i2[e][0] = i2;
        b.isd_p2[e][0] = F(H2_FLUID_P_IS, i2, s);
        b.isd_Ro2[e][0] = F(H2_FLUID_RHO_PI, b.isd_p2[e][0], i2);
        b.flow_c2r[e][0] = b.flow_c2s[e][0] = c2r;
        b.flow_c2z[e][0] = 0.0;
        b.flow_c2u[e][0] = b.flow_w2u[e][0] = c2u;
        b.flow_c2[e][0] = b.flow_w2[e][0] = c2;
        b.bld_d2[e] = d2;
        b.bld_l2[e] = l2;
        b.cas_x2[e][0] = 0.1;
        b.cas_B2[e][0] = std::atan2(c2r, c2u) / kDeg;
        b.elem_G2[e] = kG;
        b.elem_eff[e] = 0.85;
    }
    // The common frame of a stage element.
    void expect_frame(int e, double stag, double sect) {
        const bdLocals& b = *block();
        EXPECT_EQ(b.elem_stagType[e], stag);
        EXPECT_EQ(b.elem_sectType[e], sect);
        EXPECT_EQ(b.elem_moduleType[e], 5.0);
        EXPECT_EQ(b.elem_Gotb2[e], 0.0);
        EXPECT_EQ(b.elem_VI[e], -1.0);
        EXPECT_EQ(b.elem_NSEGM[e], 1.0);
        EXPECT_EQ(b.elem_Pa[e], 1.0);
        EXPECT_EQ(b.elem_G1[e], kG);
        EXPECT_EQ(b.elem_G2[e], kG);
    }
    // The outlet on the inlet isentrope shifted by the element's loss, the
    // total enthalpy kept, and the efficiency lowered by loss over work.
    // head: the gravity heads into and across the element.
    void expect_stator_balance(int e, double tol = 1e-12, double head = 0.0) {
        const bdLocals& b = *block();
        expect_rel(b.isd_i2x[e][0], b.isd_i2x[e - 1][0] + head, 1e-15, "total enthalpy");
        const double c2 = b.flow_c2[e][0];
        expect_rel(b.isd_i2[e][0], b.isd_i2x[e][0] - c2 * c2 / 2.0, 1e-12, "static enthalpy");
        const double i2t = b.isd_i2[e][0] - b.enrg_dhb[e][0];
        expect_rel(b.isd_p2[e][0], isentropic_p(b.isd_p2x[e - 1][0], b.isd_i2x[e - 1][0], i2t), tol,
                   "isentrope");
        expect_rel(b.isd_p2x[e][0], isentropic_p(b.isd_p2[e][0], b.isd_i2[e][0], b.isd_i2x[e][0]), 1e-12,
                   "total pressure on the outlet entropy");
        expect_rel(b.elem_eff[e], 0.85 - b.enrg_dhb[e][0] / kLu, 1e-12, "efficiency");
        EXPECT_EQ(b.elem_effx[e], b.elem_eff[e]);
        EXPECT_EQ(b.enrg_Lu[e][0], kLu);
    }
    void use_fluid_without_entropy() {
        h2::test::TestFluid f;
        f.zero_entropy = true;
        h2::test::install_test_fluid(block(), f);
        upstream(60.0, 150.0, 0.4, 0.01);
    }
};

TEST(UBendDims, WidthRatioAndInnerRadiusFromTheInletWidth) {
    struct Case {
        double b1, ratio, radius, b2, Rh, Rt;
    };
    for (const Case c : {Case{0.01, 2.0, 0.0, 0.02, 0.0, 0.015}, Case{0.01, 2.0, 1.5, 0.02, 0.015, 0.03},
                         Case{0.02, 1.5, 0.5, 0.03, 0.01, 0.035}}) {
        double b2 = 0, Rh = 0, Rt = 0;
        rc_ubend_dims(c.b1, c.ratio, c.radius, &b2, &Rh, &Rt);
        EXPECT_NEAR(b2, c.b2, 1e-15);
        EXPECT_NEAR(Rh, c.Rh, 1e-15);
        EXPECT_NEAR(Rt, c.Rt, 1e-15);
    }
}

TEST_F(ReturnChannelElements, UBendTurnsOnOneRadiusKeepingTheSwirl) {
    struct Case {
        double slot103, Rh, Rt;
    };
    for (const Case c : {Case{0.0, 0.0, 0.015}, Case{1.5, 0.015, 0.03}}) {
        SCOPED_TRACE(c.slot103);
        prereq()[103] = c.slot103;
        bdLocals& b = *block();
        b.cas_B2[kEl][0] = 0.0;  // a first generation
        b.enrg_dhd[kEl] = kMark;
        b.cas_dR[kEl][0] = kMark;
        ASSERT_EQ(rc_ubend_design(kEl, 1, kImp), 0);
        expect_frame(kEl, 3.0, 1.0);
        EXPECT_EQ(b.bld_k[kEl], 6.0);
        EXPECT_NEAR(b.bld_l2[kEl], 0.02, 1e-15);
        EXPECT_EQ(b.vol_bk[kEl], b.bld_l2[kEl]);
        EXPECT_EQ(b.bld_l1[kEl], 0.01);
        EXPECT_NEAR(b.bld_Rh1[kEl], c.Rh, 1e-15);
        EXPECT_EQ(b.bld_Rh2[kEl], b.bld_Rh1[kEl]);
        EXPECT_NEAR(b.bld_Rt1[kEl], c.Rt, 1e-15);
        EXPECT_EQ(b.bld_Rt2[kEl], b.bld_Rt1[kEl]);
        EXPECT_NEAR(b.cas_x2[kEl][0], 0.1 + 0.03, 1e-15);
        EXPECT_EQ(b.bld_d1[kEl], 0.4);
        EXPECT_EQ(b.bld_d2[kEl], 0.4);
        EXPECT_EQ(b.bld_d2s[kEl], 0.4);
        EXPECT_EQ(b.flow_r1[kEl][0], 0.2);
        EXPECT_EQ(b.flow_r2[kEl][0], 0.2);
        EXPECT_EQ(b.cas_t1[kEl][0], 90.0);
        EXPECT_EQ(b.cas_t2[kEl][0], -90.0);
        // Swirl kept, continuity through pi D b2, the loss on the larger velocity.
        EXPECT_EQ(b.flow_c2u[kEl][0], 150.0);
        const double c2r = b.flow_c2r[kEl][0];
        EXPECT_EQ(b.flow_c2s[kEl][0], c2r);
        EXPECT_EQ(b.flow_c2z[kEl][0], 0.0);
        expect_rel(density(b.isd_p2[kEl][0], b.isd_i2[kEl][0]) * c2r * kPi * 0.4 * 0.02, kG, 1e-6,
                   "continuity");
        const double c2 = std::hypot(150.0, c2r);
        expect_rel(b.flow_c2[kEl][0], c2, 1e-12, "outlet velocity");
        EXPECT_EQ(b.flow_w2[kEl][0], b.flow_c2[kEl][0]);
        const double c1 = std::hypot(60.0, 150.0);
        expect_rel(b.enrg_dhb[kEl][0], (1.0 - 0.81) * std::max(c1 * c1, c2 * c2) / 2.0, 1e-12, "loss");
        EXPECT_LT(c2r, 60.0);  // a wider outlet slows the meridional flow
        expect_rel(b.cas_B2[kEl][0], std::atan2(c2r, 150.0) / kDeg, 1e-12, "outlet angle");
        EXPECT_EQ(b.cas_A2[kEl][0], b.cas_B2[kEl][0]);
        expect_rel(b.elem_cz_[kEl], c2r / (3000.0 * 0.2), 1e-12, "flow coefficient on the impeller speed");
        expect_rel(b.isd_p1[kEl][0], b.isd_p2[kUp][0], 1e-12, "inlet static state");
        EXPECT_EQ(b.cas_B1[kEl][0], b.cas_B2[kUp][0]);
        expect_stator_balance(kEl, 1e-12);
        // First generation: no loss model (the bend family's model would have
        // set enrg__dhub and cleared the deviation); the disk friction cleared.
        EXPECT_EQ(b.enrg_dhd[kEl], 0.0);
        EXPECT_EQ(b.enrg_dhub[kEl], 0.0);
        EXPECT_EQ(b.cas_dR[kEl][0], kMark);
    }
    // A second generation runs the models.
    bdLocals& b = *block();
    ASSERT_EQ(rc_ubend_design(kEl, 1, kImp), 0);
    const double c1 = std::hypot(60.0, 150.0);
    expect_rel(b.enrg_dhub[kEl], (1.0 - 0.81) * c1 * c1 / 2.0, 1e-12, "loss model");
    EXPECT_EQ(b.cas_dR[kEl][0], 0.0);
}

TEST_F(ReturnChannelElements, UBendGuards) {
    bdLocals& b = *block();
    // No rotor in the two elements before: no flow coefficient, not a division by zero.
    b.bld_wp[kImp] = 0.0;
    ASSERT_EQ(rc_ubend_design(kEl, 1, kImp), 0);
    EXPECT_EQ(b.elem_cz_[kEl], 0.0);
    // An inlet whose kinetic energy reaches its total enthalpy fails before the geometry.
    b.bld_l2[kEl] = kMark;
    b.isd_i2x[kUp][0] = std::hypot(60.0, 150.0) * std::hypot(60.0, 150.0) / 2.0;
    EXPECT_EQ(rc_ubend_design(kEl, 1, kImp), 1);
    EXPECT_EQ(b.bld_l2[kEl], kMark);
}

// A fluid whose density never settles: every second answer 10 % higher.
int g_density_calls = 0;
double unsettled_density(int code, double a, double b, double c, int which) {
    if (code == H2_FLUID_RHO_PI)
        return h2::test::test_fluid_func(code, a, b, c, which) * (++g_density_calls % 2 ? 1.0 : 1.1);
    return h2::test::test_fluid_func(code, a, b, c, which);
}

TEST_F(ReturnChannelElements, DensityIterationsAllowIMPassesButNeverFewerThan150) {
    struct Case {
        int IM, passes;
    };
    for (const Case c : {Case{100, 150}, Case{150, 150}, Case{400, 400}}) {
        for (const bool volute : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.IM << (volute ? " volute" : " U-bend"));
            bdLocals& b = *block();
            b.IM = c.IM;
            b.fluid_func = unsettled_density;
            g_density_calls = 0;
            EXPECT_EQ(volute ? rc_volout_design(kEl, 3, kImp) : rc_ubend_design(kEl, 1, kImp), 1);
            EXPECT_EQ(g_density_calls, c.passes);
            b.fluid_func = h2::test::test_fluid_func;
        }
    }
}

TEST_F(ReturnChannelElements, UBendOnAFluidWithoutEntropyLosesTotalPressure) {
    use_fluid_without_entropy();
    const bdLocals& b = *block();
    ASSERT_EQ(rc_ubend_design(kEl, 1, kImp), 0);
    EXPECT_EQ(b.isd_s2[kEl][0], 0.0);
    const double p2x = F(H2_FLUID_P_IS, b.isd_i2x[kUp][0], 0.0) - b.enrg_dhb[kEl][0] * b.isd_Ro1[kEl][0];
    expect_rel(b.isd_p2x[kEl][0], p2x, 1e-12, "total pressure less the loss");
    expect_rel(b.isd_i2x[kEl][0], F(H2_FLUID_I_PS, p2x, 0.0), 1e-12, "total enthalpy on it");
    EXPECT_GT(b.enrg_dhb[kEl][0], 0.0);
}

TEST_F(ReturnChannelElements, DeswirlerExitByOptionAndImpellerInlet) {
    struct Case {
        int form;
        double slope, d2, Dref;
        double sect, t2;
    };
    // Axial exit: on the eye (axial eye) or on the element before the
    // impeller (radial eye); radial exit: outside the axial eye by its height,
    // or on the radial eye.
    for (const Case c : {Case{1, 0.0, 0.15, 0.15, 0.0, 0.0}, Case{1, 45.0, 0.2, 0.2, 0.0, 0.0},
                         Case{2, 0.0, 0.21, 0.15, 1.0, -90.0}, Case{2, 90.0, 0.15, 0.15, 1.0, -90.0}}) {
        SCOPED_TRACE(testing::Message() << c.form << ' ' << c.slope);
        bdLocals& b = *block();
        b.cas_t1[kImp][0] = c.slope;
        b.bld_z[kEl] = 0.0;          // a first generation
        b.enrg_dhb[kEl][0] = 500.0;  // what the case holds
        b.clrn_d1[kEl] = kMark;
        b.cas_A2[kEl][0] = kMark;
        ASSERT_EQ(rc_desw_design(kEl, c.form, kImp), 0);
        expect_frame(kEl, 6.0, c.sect);
        EXPECT_NEAR(b.bld_d2[kEl], c.d2, 1e-15);
        EXPECT_EQ(b.bld_d2s[kEl], b.bld_d2[kEl]);
        EXPECT_EQ(b.cas_t2[kEl][0], c.t2);
        EXPECT_EQ(b.cas_t1[kEl][0], 90.0);
        const double c2s = c.Dref * 3000.0 / 2.0 * 0.5;
        expect_rel(b.flow_c2s[kEl][0], c2s, 1e-15, "flow coefficient on the blade speed");
        EXPECT_EQ(b.flow_c2z[kEl][0], c.form == 1 ? b.flow_c2s[kEl][0] : 0.0);
        EXPECT_EQ(b.flow_c2r[kEl][0], c.form == 1 ? 0.0 : b.flow_c2s[kEl][0]);
        EXPECT_EQ(b.elem_cz_[kEl], 0.5);
        // First generation: meridional exit, not quite without swirl.
        EXPECT_EQ(b.cas_B2[kEl][0], 90.0);
        EXPECT_EQ(b.cas_A2[kEl][0], kMark);
        const double c2 = c2s / std::sin(90.0 * kDeg);
        expect_rel(b.flow_c2[kEl][0], c2, 1e-15, "exit velocity");
        expect_rel(b.flow_c2u[kEl][0], std::cos(90.0 * kDeg) * c2, 1e-12, "residual swirl");
        EXPECT_GT(b.flow_c2u[kEl][0], 0.0);
        EXPECT_EQ(b.enrg_dhb[kEl][0], 500.0);
        // Continuity, vanes and widths.
        const double rho = density(b.isd_p2[kEl][0], b.isd_i2[kEl][0]);
        expect_rel(rho * c2s * kPi * b.bld_d2[kEl] * b.bld_l2[kEl], kG, 1e-12, "continuity");
        const double z = 6.2831853 * std::sin((b.cas_B2[kUp][0] + 90.0) / 2.0 * kDeg) /
                         (std::log(0.4 / b.bld_d2[kEl]) * 0.4);
        EXPECT_EQ(b.bld_z[kEl], std::trunc(z));
        expect_rel(b.cas_t[kEl][0], kPi * b.bld_d2[kEl] / b.bld_z[kEl], 1e-15, "pitch");
        expect_rel(b.cas_bx[kEl][0], b.cas_t[kEl][0] / 0.4, 1e-15, "chord");
        EXPECT_EQ(b.cas_B[kEl][0], std::max(2.0 * 0.01, b.bld_l2[kEl]));
        expect_rel(b.cas_x2[kEl][0], 0.1 + b.cas_B[kEl][0] - 0.005, 1e-15, "axial position");
        EXPECT_EQ(b.clrn_d1[kEl], c.form == 1 ? 0.05 * b.cas_B[kEl][0] : kMark);
        EXPECT_EQ(b.cas_B1g[kEl][0], b.cas_B2[kUp][0]);
        EXPECT_EQ(b.isd_p1[kEl][0], b.isd_p2[kUp][0]);
        expect_stator_balance(kEl);
    }
    // A second generation runs the deviation and loss models.
    bdLocals& b = *block();
    b.cas_dR[kEl][0] = kMark;
    ASSERT_EQ(rc_desw_design(kEl, 2, kImp), 0);
    EXPECT_EQ(b.cas_dR[kEl][0], 0.0);
    EXPECT_EQ(b.cas_A2[kEl][0], 90.0);
    const double w1 = b.flow_w1[kEl][0];
    expect_rel(b.enrg_dhb[kEl][0], (1.0 - 0.81) * w1 * w1 / 2.0, 1e-12, "loss model");
    // With slot 112 the channel's meridional velocity passes through.
    prereq()[112] = 1.0;
    ASSERT_EQ(rc_desw_design(kEl, 2, kImp), 0);
    EXPECT_EQ(b.flow_c2s[kEl][0], 60.0);
}

TEST_F(ReturnChannelElements, DeswirlerFailures) {
    bdLocals& b = *block();
    // Vane counts: the pitch-to-chord ratio set for a count of 3.9 or 4.2.
    const double span = 6.2831853 * std::sin((b.cas_B2[kUp][0] + 90.0) / 2.0 * kDeg) / std::log(0.4 / 0.15);
    struct Count {
        double count;
        int result;
        double z;
    };
    for (const Count c : {Count{3.9, 2, 3.0}, Count{4.2, 0, 4.0}}) {
        SCOPED_TRACE(c.count);
        prereq()[109] = span / c.count;
        b.bld_z[kEl] = 0.0;
        EXPECT_EQ(rc_desw_design(kEl, 1, kImp), c.result);
        EXPECT_EQ(b.bld_z[kEl], c.z);  // a failing count stays
    }
    prereq()[109] = 0.4;
    // A channel that does not lead inward has no vane count.
    for (const double d1 : {0.15, 0.12}) {
        SCOPED_TRACE(d1);
        upstream(60.0, 150.0, d1, 0.01);
        b.bld_z[kEl] = 0.0;
        EXPECT_EQ(rc_desw_design(kEl, 1, kImp), 2);
        EXPECT_LE(b.bld_z[kEl], 0.0);
    }
    // An outlet width just below the exit diameter passes, just above fails.
    upstream(60.0, 150.0, 0.4, 0.01);
    b.bld_z[kEl] = 0.0;
    ASSERT_EQ(rc_desw_design(kEl, 1, kImp), 0);
    const double G_equal = kG * 0.15 / b.bld_l2[kEl];
    for (const double f : {1.0 - 1e-9, 1.0 + 1e-9}) {
        SCOPED_TRACE(f);
        b.elem_G2[kUp] = G_equal * f;
        b.bld_z[kEl] = 0.0;
        EXPECT_EQ(rc_desw_design(kEl, 1, kImp), f < 1.0 ? 0 : 1);
    }
    // No static enthalpy left at the exit velocity.
    b.elem_G2[kUp] = kG;
    b.isd_i2x[kUp][0] = 112.5 * 112.5 / 2.0;
    EXPECT_EQ(rc_desw_design(kEl, 1, kImp), 1);
}

TEST_F(ReturnChannelElements, DeswirlerOnAFluidWithoutEntropyLosesBothTotalPressures) {
    use_fluid_without_entropy();
    bdLocals& b = *block();
    b.enrg_dhb[kEl][0] = 500.0;
    ASSERT_EQ(rc_desw_design(kEl, 2, kImp), 0);
    EXPECT_EQ(b.isd_s2[kEl][0], 0.0);
    const double c2 = b.flow_c2[kEl][0];
    const double i2 = b.isd_i2x[kUp][0] - c2 * c2 / 2.0;
    const double p2wx = F(H2_FLUID_P_IS, i2 + c2 * c2 / 2.0, 0.0) - 500.0 * b.isd_Ro1[kEl][0];
    expect_rel(b.isd_p2wx[kEl][0], p2wx, 1e-12, "relative total pressure less the loss");
    const double i2wx = F(H2_FLUID_I_PS, p2wx, 0.0);
    expect_rel(b.isd_i2wx[kEl][0], i2wx, 1e-12, "relative total enthalpy");
    expect_rel(b.isd_i2[kEl][0], i2wx - c2 * c2 / 2.0, 1e-12, "static enthalpy");
    expect_rel(b.isd_i2x[kEl][0], i2wx, 1e-12, "total enthalpy");
    expect_rel(b.isd_p2x[kEl][0], F(H2_FLUID_P_IS, i2wx, 0.0), 1e-12, "the total pressure carries the drop");
}

TEST_F(ReturnChannelElements, Kind11BendGuessesTheEyeUntilTheImpellerIsSized) {
    struct Case {
        double imp_l1, imp_d2, target, d2;
    };
    // Inlet annulus 0.2 x 0.04 (axial, no swirl): the provisional eye is the
    // annulus's outer diameter and half its height; once sized, the impeller's.
    for (const Case c :
         {Case{0.0, 0.0, 0.02, 0.24}, Case{0.0, 0.27, 0.02, 0.15}, Case{0.03, 0.27, 0.03, 0.15}}) {
        SCOPED_TRACE(testing::Message() << c.imp_l1 << ' ' << c.imp_d2);
        upstream(60.0, 0.0, 0.2, 0.04);
        bdLocals& b = *block();
        b.bld_l1[kImp] = c.imp_l1;
        b.bld_d2[kImp] = c.imp_d2;
        b.cas_B2[kEl][0] = 0.0;
        b.enrg_dhd[kEl] = kMark;
        b.enrg_dhub[kEl] = 0.0;
        ASSERT_EQ(rc_lbau_design(kEl, 1, kImp), 0);
        expect_frame(kEl, 11.0, 1.0);
        EXPECT_EQ(b.bld_k[kEl], 6.0);
        EXPECT_NEAR(b.bld_d2[kEl], c.d2, 1e-15);
        EXPECT_EQ(b.bld_d1[kEl], 0.2);
        EXPECT_EQ(b.bld_l1[kEl], 0.04);
        // Axial extent: the larger of 2 x the target width and the inlet height.
        const double extent = std::max(2.0 * c.target, 0.04);
        EXPECT_NEAR(b.cas_B[kEl][0], extent, 1e-15);
        EXPECT_NEAR(b.cas_x2[kEl][0], 0.1 + extent - c.target / 2.0, 1e-15);
        // The inlet flow coefficient carried to the outlet radius; r cu kept.
        expect_rel(b.flow_c2r[kEl][0], 60.0 * c.d2 / 0.2, 1e-12, "meridional velocity");
        EXPECT_EQ(b.flow_c2s[kEl][0], b.flow_c2r[kEl][0]);
        EXPECT_EQ(b.flow_c2z[kEl][0], 0.0);
        expect_rel(b.elem_cz_[kEl], 60.0 / (3000.0 * 0.1), 1e-12, "flow coefficient");
        EXPECT_EQ(b.flow_c2u[kEl][0], 0.0);
        EXPECT_NEAR(b.cas_B2[kEl][0], 90.000013, 1e-6);  // no swirl, truncated degree
        EXPECT_EQ(b.cas_A2[kEl][0], b.cas_B2[kEl][0]);
        EXPECT_EQ(b.cas_t1[kEl][0], 0.0);
        EXPECT_EQ(b.cas_t2[kEl][0], 90.0);
        expect_rel(b.flow_r2[kEl][0], c.d2 / 2.0, 1e-15, "outlet radius");
        const double c1 = 60.0, c2 = b.flow_c2[kEl][0];
        expect_rel(b.enrg_dhb[kEl][0], (1.0 - 0.64) * std::max(c1 * c1, c2 * c2) / 2.0, 1e-12, "loss");
        const double rho = density(b.isd_p2[kEl][0], b.isd_i2[kEl][0]);
        expect_rel(rho * c2 * kPi * c.d2 * b.bld_l2[kEl], kG, 1e-12, "continuity");
        expect_stator_balance(kEl);
        EXPECT_EQ(b.enrg_dhd[kEl], 0.0);
        EXPECT_EQ(b.enrg_dhub[kEl], 0.0);  // no loss model on a first generation
    }
    // With swirl: r cu kept over the larger radius.
    upstream(60.0, 40.0, 0.2, 0.04);
    ASSERT_EQ(rc_lbau_design(kEl, 1, kImp), 0);
    const bdLocals& b = *block();
    expect_rel(b.flow_c2u[kEl][0] * b.bld_d2[kEl], 40.0 * 0.2, 1e-12, "angular momentum");
    EXPECT_GT(b.enrg_dhub[kEl], 0.0);  // generated before: the loss model ran
}

TEST_F(ReturnChannelElements, Kind11BendGuards) {
    bdLocals& b = *block();
    // Before the impeller's first evaluation there is no work to refer the loss to.
    upstream(60.0, 0.0, 0.2, 0.04);
    b.enrg_Lu[kImp][0] = 0.0;
    ASSERT_EQ(rc_lbau_design(kEl, 1, kImp), 0);
    EXPECT_EQ(b.elem_eff[kEl], 0.85);
    EXPECT_EQ(b.elem_effx[kEl], 0.85);
    // An inlet annulus deeper than half its diameter would cross the axis.
    upstream(60.0, 0.0, 0.2, 0.2 + 1e-9);
    EXPECT_EQ(rc_lbau_design(kEl, 1, kImp), 1);
    upstream(60.0, 0.0, 0.2, 0.2);
    EXPECT_EQ(rc_lbau_design(kEl, 1, kImp), 0);
    // No static enthalpy at the inlet.
    upstream(60.0, 0.0, 0.2, 0.04, 200000.0, 1800.0);
    EXPECT_EQ(rc_lbau_design(kEl, 1, kImp), 1);
}

TEST_F(ReturnChannelElements, Kind12BendLeadsIntoTheEye) {
    struct Case {
        double slope, l2_target, d2;
    };
    // An axial eye (slope below 45) is the impeller's; a radial one takes the
    // flow path's first element.
    for (const Case c : {Case{0.0, 0.03, 0.15}, Case{44.9, 0.03, 0.15}, Case{45.0, 0.05, 0.2}}) {
        SCOPED_TRACE(c.slope);
        upstream(60.0, 80.0, 0.3, 0.012);
        bdLocals& b = *block();
        b.cas_t1[kImp][0] = c.slope;
        // Axial sections: the gravity heads take the streamline radii of the
        // bend's previous evaluation (it writes them last) and of the element
        // before: 9.81 (r2[i-1] - r1[i]) + 9.81 (r1[i] - r2[i]).
        const double head = 9.81 * (b.flow_r2[kUp][0] - b.flow_r2[kEl][0]);
        ASSERT_EQ(rc_lbda_design(kEl, 1, kImp), 0);
        expect_frame(kEl, 12.0, 0.0);
        EXPECT_EQ(b.bld_d2[kEl], c.d2);
        EXPECT_EQ(b.bld_d1[kEl], 0.3);
        EXPECT_EQ(b.cas_B[kEl][0], std::max(2.0 * 0.012, c.l2_target));
        const double cm = 3000.0 * c.d2 / 2.0 * 0.5;
        expect_rel(b.flow_c2z[kEl][0], cm, 1e-15, "meridional velocity");
        EXPECT_EQ(b.flow_c2s[kEl][0], b.flow_c2z[kEl][0]);
        EXPECT_EQ(b.flow_c2r[kEl][0], 0.0);
        EXPECT_EQ(b.elem_cz_[kEl], 0.5);
        expect_rel(b.flow_c2u[kEl][0], 80.0 * 0.3 / c.d2, 1e-12, "angular momentum");
        const double rho = density(b.isd_p2[kEl][0], b.isd_i2[kEl][0]);
        expect_rel(rho * cm * kPi * c.d2 * b.bld_l2[kEl], kG, 1e-12, "continuity");
        EXPECT_EQ(b.isd_p2wx[kEl][0], b.isd_p2x[kEl][0]);
        EXPECT_EQ(b.cas_t1[kEl][0], -90.0);
        EXPECT_EQ(b.cas_t2[kEl][0], 0.0);
        EXPECT_EQ(b.flow_r1[kEl][0], 0.15);
        EXPECT_EQ(b.flow_r2[kEl][0], c.d2 / 2.0);
        expect_stator_balance(kEl, 1e-12, head);
    }
    EXPECT_NE(block()->isd_i2x[kEl][0], block()->isd_i2x[kUp][0]);
    // The outlet annulus must not cross the axis, and the outlet must keep
    // some static enthalpy.
    bdLocals& b = *block();
    b.cas_t1[kImp][0] = 0.0;
    b.elem_G2[kUp] = 200.0;
    EXPECT_EQ(rc_lbda_design(kEl, 1, kImp), 1);
    EXPECT_GT(b.bld_l2[kEl], 0.15);
    b.elem_G2[kUp] = kG;
    b.elem_cz_[0] = 10.0;
    EXPECT_EQ(rc_lbda_design(kEl, 1, kImp), 1);
    EXPECT_LT(b.isd_i2[kEl][0], 0.0);
}

TEST_F(ReturnChannelElements, LBendsOnAFluidWithoutEntropy) {
    use_fluid_without_entropy();
    bdLocals& b = *block();
    b.cas_B2[kEl][0] = 0.0;
    upstream(60.0, 80.0, 0.2, 0.04);
    ASSERT_EQ(rc_lbau_design(kEl, 1, kImp), 0);
    const double dhb = b.enrg_dhb[kEl][0];
    EXPECT_GT(dhb, 0.0);
    double p2x = F(H2_FLUID_P_IS, b.isd_i2x[kUp][0], 0.0) - dhb * b.isd_Ro1[kEl][0];
    expect_rel(b.isd_p2x[kEl][0], p2x, 1e-12, "kind 11: total pressure less the loss");
    expect_rel(b.isd_i2x[kEl][0], F(H2_FLUID_I_PS, p2x, 0.0), 1e-12, "kind 11: total enthalpy on it");

    upstream(60.0, 80.0, 0.3, 0.012);
    b.flow_r1[kEl][0] = b.flow_r2[kEl][0] = 0.0;  // no gravity heads
    ASSERT_EQ(rc_lbda_design(kEl, 1, kImp), 0);
    const double c2 = b.flow_c2[kEl][0];
    p2x = F(H2_FLUID_P_IS, b.isd_i2x[kUp][0], 0.0) - b.enrg_dhb[kEl][0] * b.isd_Ro1[kEl][0];
    const double i2wx = F(H2_FLUID_I_PS, p2x, 0.0);
    expect_rel(b.isd_i2wx[kEl][0], i2wx, 1e-12, "kind 12: enthalpy at the reduced pressure");
    expect_rel(b.isd_i2[kEl][0], i2wx - c2 * c2 / 2.0, 1e-12, "kind 12: static enthalpy");
    expect_rel(b.isd_i2x[kEl][0], i2wx, 1e-12, "kind 12: total enthalpy");
    expect_rel(b.isd_p2x[kEl][0], F(H2_FLUID_P_IS, i2wx, 0.0), 1e-12, "kind 12: total pressure");
    expect_rel(b.isd_p2wx[kEl][0], p2x, 1e-12, "kind 12: relative total pressure");
}

TEST_F(ReturnChannelElements, InletVoluteWithoutLossAndOnAFluidWithoutEntropy) {
    bdLocals& b = *block();
    // Element 3 plays the module inlet ahead of the volute; the exit swirl
    // follows the machine inlet angle of element 0.
    b.cas_B1[0][0] = 70.0;
    b.elem_G2[kEl] = 0.0;
    prereq()[116] = 1.0;  // no loss
    ASSERT_EQ(rc_volin_design(kEl, 3, kImp), 0);
    expect_frame(kEl, 5.0, 2.0);
    EXPECT_EQ(b.bld_wp[kEl], 3000.0);
    EXPECT_EQ(b.bld_d2[kEl], 0.15);
    EXPECT_EQ(b.flow_c2s[kEl][0], 112.5);
    expect_rel(b.flow_c2u[kEl][0], 112.5 / std::tan(70.0 * kDeg), 1e-15, "exit swirl");
    EXPECT_EQ(b.enrg_dhb[kEl][0], 0.0);
    const double c2 = b.flow_c2[kEl][0];
    const double i2 = 360000.0 - c2 * c2 / 2.0;
    expect_rel(b.isd_p2[kEl][0], isentropic_p(200000.0, 360000.0, i2), 1e-12, "isentropic exit");
    expect_rel(b.isd_p2x[kEl][0], 200000.0, 1e-12, "no total-pressure loss");
    expect_rel(density(b.isd_p2[kEl][0], i2) * 112.5 * kPi * 0.15 * b.bld_l2[kEl], kG, 1e-12, "continuity");
    EXPECT_EQ(b.cas_x2[kEl][0], 0.0);

    use_fluid_without_entropy();
    prereq()[116] = 0.8;
    ASSERT_EQ(rc_volin_design(kEl, 3, kImp), 0);
    const double dhb = b.enrg_dhb[kEl][0];
    EXPECT_GT(dhb, 0.0);
    const double p2x = F(H2_FLUID_P_IS, 360000.0, 0.0) - dhb * b.isd_Ro1[kEl][0];
    expect_rel(b.isd_p2x[kEl][0], p2x, 1e-12, "total pressure less the loss");
    expect_rel(b.isd_i2x[kEl][0], F(H2_FLUID_I_PS, p2x, 0.0), 1e-12, "total enthalpy on it");
}

TEST_F(ReturnChannelElements, OutletVoluteLossOnTheLargerOfInletAndSectionVelocity) {
    // A steep inflow leaves the section velocity below the inlet velocity; a
    // nearly tangential one (angle clamped to 5 degrees) above it. The flow
    // is the one the inlet ring carries at its radial velocity.
    for (const double c2r : {60.0, 5.0}) {
        SCOPED_TRACE(c2r);
        upstream(c2r, 150.0, 0.4, 0.01);
        bdLocals& b = *block();
        const double G = b.elem_G2[kUp] = b.isd_Ro2[kUp][0] * c2r * kPi * 0.4 * 0.01;
        ASSERT_EQ(rc_volout_design(kEl, 3, kImp), 0);
        double Dk = 0, bk = 0, hk = 0, ck = 0;
        ASSERT_EQ(volout_section(1, 0.4, 0.01, b.cas_B2[kUp][0], b.flow_c2[kUp][0], &Dk, &bk, &hk, &ck), 0);
        const double c1 = std::hypot(c2r, 150.0);
        EXPECT_EQ(ck > c1, c2r == 5.0);
        expect_rel(b.enrg_dhb[kEl][0], (1.0 - 0.49) * std::max(c1 * c1, ck * ck) / 2.0, 1e-12, "loss");
        EXPECT_EQ(b.vol_Dk[kEl], Dk);
        EXPECT_EQ(b.vol_bk[kEl], bk);
        EXPECT_EQ(b.vol_hk[kEl], hk);
        // Continuity through the section, all of the velocity tangential.
        expect_rel(density(b.isd_p2[kEl][0], b.isd_i2[kEl][0]) * b.flow_c2u[kEl][0] * bk * hk, G, 1e-6,
                   "continuity");
        expect_stator_balance(kEl);
    }
}

TEST_F(ReturnChannelElements, OutletVoluteRecordMadeOnceAndReused) {
    bdLocals& b = *block();
    ASSERT_EQ(b.volout, nullptr);
    ASSERT_EQ(rc_volout_design(kEl, 5, kImp), 0);
    expect_frame(kEl, 4.0, 2.0);
    auto* rec = static_cast<Volout*>(b.volout);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->form, 0);
    EXPECT_EQ(rec->n, 36);
    EXPECT_EQ(rec->m, 36);
    EXPECT_EQ(b.vol_bk[kEl], b.vol_hk[kEl]);
    EXPECT_EQ(b.vol_Dk[kEl], rec->Dk);
    EXPECT_EQ(b.cas_t1[kEl][0], 90.0);
    EXPECT_EQ(b.cas_t2[kEl][0], 180.0);
    EXPECT_EQ(b.cas_x2[kEl][0], 0.1);
    // The next design reuses the record with its own form.
    ASSERT_EQ(rc_volout_design(kEl, 6, kImp), 0);
    EXPECT_EQ(b.volout, rec);
    EXPECT_EQ(rec->form, 1);
    EXPECT_EQ(b.vol_form[kEl], 6.0);
    EXPECT_EQ(b.vol_Dk[kEl], rec->Dk);
}

TEST_F(ReturnChannelElements, AFailedOutletVoluteDesignEndsBeforeItsOutletState) {
    struct Case {
        const char* what;
        int sel;
        double c2r, c2u;
        bool spoilt_record;
    };
    for (const Case c :
         {Case{"option naming no form", 9, 60.0, 150.0, false}, Case{"no flow to size", 3, 0.0, 0.0, false},
          Case{"a record the form cannot draw", 6, 60.0, 150.0, true}}) {
        SCOPED_TRACE(c.what);
        upstream(c.c2r, c.c2u, 0.4, 0.01);
        bdLocals& b = *block();
        if (c.spoilt_record) b.volout = VoloutInit(1, 0, 36);  // no stations
        b.isd_p2[kEl][0] = b.isd_s2[kEl][0] = b.flow_c2[kEl][0] = kMark;
        b.elem_eff[kEl] = kMark;
        b.vol_Dk[kEl] = kMark;
        EXPECT_EQ(rc_volout_design(kEl, c.sel, kImp), 1);
        EXPECT_EQ(b.isd_p2[kEl][0], kMark);
        EXPECT_EQ(b.isd_s2[kEl][0], kMark);
        EXPECT_EQ(b.flow_c2[kEl][0], kMark);
        EXPECT_EQ(b.elem_eff[kEl], kMark);
        EXPECT_EQ(b.vol_Dk[kEl], kMark);
        if (!c.spoilt_record) {
            EXPECT_EQ(b.volout, nullptr);
        }
    }
}

TEST_F(ReturnChannelElements, OutletVoluteOnAFluidWithoutEntropy) {
    use_fluid_without_entropy();
    bdLocals& b = *block();
    ASSERT_EQ(rc_volout_design(kEl, 3, kImp), 0);
    EXPECT_EQ(b.isd_s2[kEl][0], 0.0);
    const double p2x = F(H2_FLUID_P_IS, 360000.0, 0.0) - b.enrg_dhb[kEl][0] * b.isd_Ro1[kEl][0];
    expect_rel(b.isd_p2x[kEl][0], p2x, 1e-12, "total pressure less the loss");
    expect_rel(b.isd_i2x[kEl][0], F(H2_FLUID_I_PS, p2x, 0.0), 1e-12, "total enthalpy on it");
    expect_rel(b.isd_i2t[kEl][0], F(H2_FLUID_I_PS, b.isd_p2[kEl][0], 0.0), 1e-12, "isentropic enthalpy");
}

// A block holding a volute record, copied into another: each block gets its
// own record and frees it (the sanitizer build fails on a leak or a double free).
TEST_F(ReturnChannelElements, ACopiedBlockGetsItsOwnVoluteRecord) {
    bdLocals* src = block();
    ASSERT_EQ(rc_volout_design(kEl, 7, kImp), 0);
    const auto* rec = static_cast<const Volout*>(src->volout);
    ASSERT_NE(rec, nullptr);

    h2::test::BlockPtr other = h2::test::make_block();
    ASSERT_EQ(set_bdLocals(other.get()), 1);
    other->cyld_ns = 4;
    other->cyld_nr = 1;
    ASSERT_EQ(alloc_probdata(5, 1), 0);
    ASSERT_EQ(copy_probdata(src, other.get()), other.get());
    const auto* copy = static_cast<const Volout*>(other->volout);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, rec);
    EXPECT_EQ(copy->form, 10);
    EXPECT_EQ(copy->r2, rec->r2);
    EXPECT_EQ(copy->nA, rec->nA);
    EXPECT_EQ(copy->A[rec->nA - 1][rec->mA - 1].y, rec->A[rec->nA - 1][rec->mA - 1].y);
    EXPECT_EQ(other->vol_Dk[kEl], src->vol_Dk[kEl]);

    // The copy released as a host releases a block: arrays, then the record.
    EXPECT_EQ(free_probdata(), 0);
    VoloutTerm(static_cast<Volout*>(other->volout));
    other->volout = nullptr;
    ASSERT_EQ(set_bdLocals(src), 1);
    EXPECT_EQ(src->volout, rec);
}

}  // namespace
