// Element generators of a centrifugal stage, one call each, against the
// closed forms of the test gas: inlet guide vanes, impeller, vaned diffuser
// and a diffuser on a fluid without entropy.
#include <gtest/gtest.h>

#include <cmath>

#include "solver/predesign/centrifugal_elements.h"
#include "tests/support/centrifugal_case.h"

namespace {

using namespace h2::predesign;
using h2::test::kIsentropicPower;

constexpr double kPi = 3.14159265;
constexpr double kDeg = 0.01745329;

void expect_rel(double actual, double expected, double tol, const char* what) {
    EXPECT_NEAR(actual, expected, tol * std::fabs(expected)) << what;
}

class CentrifugalElements : public h2::test::CentrifugalCaseTest {
protected:
    // Element 0 set up as the sequencer leaves it, impeller 1 at 3000 rad/s,
    // diameter ratio 1.8 and head coefficient 0.5, diffuser slot 2.
    void SetUp() override {
        CentrifugalCaseTest::SetUp();
        make_path(2, {1});
        bdLocals* b = block();
        b->bld_d1[0] = b->bld_d2[0] = 0.15;
        b->elem_cz_[0] = 0.5;
        b->bld_m[1] = 1.8;
        b->elem_Ht[1] = 0.5;
        b->elem_p2[2] = 180000.0;  // a compressing path, as the sequencer leaves it
    }
    int guide_vanes(int igv = 1) { return rc_igv_design(igv, 0, 1); }
    int impeller(int igv = 1) {
        if (guide_vanes(igv) != 0) return -1;
        return rc_impeller_design(1, igv);
    }
};

TEST_F(CentrifugalElements, GuideVaneOrientation) {
    struct Case {
        int igv, lbau;
        double sect, t;
    };
    constexpr double kMark = 7.0;  // left alone
    for (const Case c : {Case{0, 0, 0.0, 0.0}, Case{1, 0, 1.0, 90.0}, Case{1, 1, 0.0, 0.0},
                         Case{0, 1, 0.0, 0.0}, Case{2, 0, kMark, kMark}}) {
        SCOPED_TRACE(testing::Message() << c.igv << ' ' << c.lbau);
        bdLocals& b = *block();
        b.elem_sectType[0] = kMark;
        b.cas_t1[0][0] = b.cas_t2[0][0] = kMark;
        ASSERT_EQ(rc_igv_design(c.igv, c.lbau, 1), 0);
        EXPECT_EQ(b.elem_sectType[0], c.sect);
        EXPECT_EQ(b.cas_t1[0][0], c.t);
        EXPECT_EQ(b.cas_t2[0][0], c.t);
        EXPECT_NEAR(b.flow_c1r[0][0], std::sin(c.t * kDeg) * 112.5, 1e-9);
        EXPECT_NEAR(b.flow_c1z[0][0], std::cos(c.t * kDeg) * 112.5, 1e-9);
        EXPECT_EQ(b.elem_moduleType[0], 5.0);
        EXPECT_EQ(b.elem_stagType[0], 0.0);
        EXPECT_EQ(b.elem_VI[0], -1.0);
        EXPECT_EQ(b.elem_NSEGM[0], 1.0);
        EXPECT_EQ(b.elem_Pa[0], 1.0);
        EXPECT_EQ(b.bld_wp[0], 0.0);  // the element does not rotate
    }
}

TEST_F(CentrifugalElements, GuideVanesCarryTheInletStateAndSizeTheAnnulus) {
    struct Case {
        double B1, expected_B1;
    };
    for (const Case c : {Case{90.0, 90.0}, Case{60.0, 60.0}, Case{0.0, 90.0}, Case{180.0, 90.0}}) {
        SCOPED_TRACE(c.B1);
        bdLocals& b = *block();
        b.cas_B1[0][0] = c.B1;
        ASSERT_EQ(guide_vanes(), 0);
        const double c1s = 0.15 * 3000.0 / 2.0 * 0.5;
        const double c1 = c1s / std::sin(c.expected_B1 * kDeg);
        const double i1 = kI0 - c1 * c1 / 2.0;
        const double p1 = isentropic_p(kP0, kI0, i1);
        EXPECT_EQ(b.cas_B1[0][0], c.expected_B1);
        EXPECT_EQ(b.cas_A1[0][0], c.expected_B1);
        expect_rel(b.flow_c1[0][0], c1, 1e-12, "c1");
        EXPECT_NEAR(b.flow_c2u[0][0], std::cos(c.expected_B1 * kDeg) * c1, 1e-9);
        EXPECT_NEAR(b.cas_B2[0][0], 180.0 - c.expected_B1, 1e-5);
        expect_rel(b.isd_p1[0][0], p1, 1e-12, "static pressure");
        EXPECT_EQ(b.isd_p2[0][0], b.isd_p1[0][0]);
        EXPECT_EQ(b.isd_p2x[0][0], kP0);
        EXPECT_EQ(b.isd_i2x[0][0], kI0);
        // Continuity through the annulus: G = rho c1s pi d1 l1.
        expect_rel(density(p1, i1) * c1s * kPi * 0.15 * b.bld_l1[0], kG, 1e-12, "continuity");
        EXPECT_EQ(b.bld_l2[0], b.bld_l1[0]);
        expect_rel(b.isd_Ro1[0][0], density(p1, i1), 1e-12, "density");
        expect_rel(b.isd_a1[0][0], std::sqrt(1.4 * 287.5 * i1 / h2::test::kCp), 1e-12, "speed of sound");
    }
}

TEST_F(CentrifugalElements, GuideVanesFailWithoutStaticEnthalpyOrHubRoom) {
    struct Case {
        double B1, G, cz;
        int igv;
        int result;
    };
    // A swirling inflow whose hub swirl, by constant angular momentum, leaves
    // no static enthalpy fails once the annulus is deep enough.
    for (const Case c :
         {Case{90.0, 2.0, 0.5, 1, 0}, Case{90.0, 2.0, 20.0, 1, 1}, Case{90.0, 12.0, 0.5, 1, 1},
          Case{90.0, 6.0, 0.5, 1, 0}, Case{12.0, 0.2, 0.5, 0, 0}, Case{12.0, 0.66, 0.5, 0, 1}}) {
        SCOPED_TRACE(testing::Message() << c.B1 << ' ' << c.G << ' ' << c.cz);
        bdLocals& b = *block();
        b.cas_B1[0][0] = c.B1;
        b.elem_G1[0] = c.G;
        b.elem_cz_[0] = c.cz;
        EXPECT_EQ(guide_vanes(c.igv), c.result);
    }
}

TEST_F(CentrifugalElements, ImpellerPassAgainstItsClosedForms) {
    ASSERT_EQ(impeller(), 0);
    const bdLocals& b = *block();
    const double c1s = 112.5, c1u = b.flow_c2u[0][0];
    const double u1 = 0.15 * 3000.0 / 2.0, u2 = 0.27 * 3000.0 / 2.0;
    const double Lu = 0.5 * u2 * u2;
    const double c2u = (u1 * c1u + Lu) / u2;
    const double w1u = c1u - u1, w2u = c2u - u2;
    const double b1 = std::atan2(c1s, w1u) / kDeg, b2 = std::atan2(c1s, w2u) / kDeg;
    const double i1 = b.isd_i2[0][0], p1 = b.isd_p2[0][0];
    const double i2x = kI0 + Lu, i2 = i2x - (c2u * c2u + c1s * c1s) / 2.0;
    const double p2 = isentropic_p(p1, i1, i2);  // no losses before the first pass
    const double rho2 = density(p2, i2);
    const double l2 = kG / (rho2 * c1s * kPi * 0.27);

    EXPECT_EQ(b.elem_stagType[1], 1.0);
    EXPECT_EQ(b.elem_sectType[1], 1.0);
    EXPECT_EQ(b.bld_d1[1], 0.15);
    EXPECT_NEAR(b.bld_d2[1], 0.27, 1e-15);
    EXPECT_EQ(b.bld_l1[1], b.bld_l2[0]);
    EXPECT_EQ(b.flow_c1u[1][0], c1u);
    expect_rel(b.enrg_Lu[1][0], Lu, 1e-12, "Euler work");
    expect_rel(b.flow_c2u[1][0], c2u, 1e-12, "outlet swirl");
    EXPECT_EQ(b.flow_c2s[1][0], c1s);
    expect_rel(b.cas_B1[1][0], b1, 1e-12, "inlet angle");
    EXPECT_EQ(b.cas_B1g[1][0], b.cas_B1[1][0]);
    expect_rel(b.cas_B2[1][0], b2, 1e-12, "relative outlet angle");
    expect_rel(b.cas_A2[1][0], std::atan2(c1s, c2u) / kDeg, 1e-12, "absolute outlet angle");
    // The blade delivers the Euler swirl by Wiesner's slip (1967) for its
    // count: c2u = sigma u2 - c2m tan(beta2b), sigma = 1 - sqrt(cos beta2b) /
    // z^0.7, reduced beyond the limiting radius ratio exp(-8.16 cos beta2b / z);
    // beta2b the backsweep from radial, the deviation what slip leaves.
    const double beta2b = (b.cas_B2g[1][0] - 90.0) * kDeg;
    const double z = b.bld_z[1];
    const double d1t = b.cas_t1[1][0] < 45.0 ? b.bld_d1[1] + b.bld_l1[1] : b.bld_d1[1];
    const double eps = std::exp(-8.16 * std::cos(beta2b) / z), ratio = d1t / 0.27;
    double sigma = 1.0 - std::sqrt(std::cos(beta2b)) / std::pow(z, 0.7);
    if (ratio > eps) sigma *= 1.0 - std::pow((ratio - eps) / (1.0 - eps), 3.0);
    expect_rel(sigma * u2 - c1s * std::tan(beta2b), c2u, 1e-9, "swirl the blades deliver");
    EXPECT_GT(b.cas_dR[1][0], 0.0);
    expect_rel(b.cas_B2g[1][0], b2 - b.cas_dR[1][0], 1e-12, "blade angle");
    EXPECT_EQ(b.cas_B2a[1][0], b.cas_B2g[1][0]);
    expect_rel(b.cas_Byct[1][0], 90.0 - (b1 + b.cas_B2g[1][0]) / 2.0, 1e-12, "stagger");
    expect_rel(b.isd_i2x[1][0], i2x, 1e-12, "total enthalpy");
    expect_rel(b.isd_p2[1][0], p2, 1e-12, "outlet pressure");
    expect_rel(b.isd_p2x[1][0], isentropic_p(p2, i2, i2x), 1e-12, "outlet total pressure");
    expect_rel(b.isd_Ro2[1][0], rho2, 1e-12, "outlet density");
    expect_rel(b.bld_l2[1], l2, 1e-12, "outlet width");
    expect_rel(b.cas_x2[1][0], 0.25 * 0.27 - l2 / 2.0, 1e-12, "axial position");
    expect_rel(b.clrn_drr[1], 0.04 * l2, 1e-12, "tip clearance");
    expect_rel(b.cas_r1[1][0], 0.01 * l2, 1e-12, "edge radius");
    EXPECT_EQ(b.cas_tb[1][0], 0.4);
    EXPECT_EQ(b.clrn_b1n[1], 0.01);
    EXPECT_EQ(b.bld_k[1], 6.0);
    const double bm = ((180.0 - b1) + (180.0 - b2)) / 2.0;
    EXPECT_EQ(b.bld_z[1], std::trunc(6.2831853 * std::sin(bm * kDeg) / (0.4 * std::log(1.8))));
    const double dhb = (1.0 - 0.81) * (w1u * w1u + c1s * c1s) / 2.0;
    expect_rel(b.enrg_dhb[1][0], dhb, 1e-12, "impeller loss");
    expect_rel(b.enrg_zb[1][0], dhb / Lu, 1e-12, "loss share");
    // Disk friction of the enclosed disk, both faces: 0.5 C_M rho2 omega^3 r2^5 / G,
    // C_M = 0.080 (s/r)^(-1/6) Re^(-1/4) (Daily & Nece, turbulent flow with
    // merged boundary layers, the regime of s/r = 0.02 at Re = 3.6e6), nu 1.5e-5.
    const double Re = 3000.0 * 0.135 * 0.135 / 1.5e-5;
    const double CM = 0.080 / (std::pow(0.02, 1.0 / 6.0) * std::pow(Re, 0.25));
    expect_rel(b.enrg_dhd[1], 0.5 * CM * rho2 * std::pow(3000.0, 3) * std::pow(0.135, 5) / kG, 1e-12,
               "disk friction");
    // Isentropic head to the outlet static pressure.
    expect_rel(b.enrg_Co[1][0], i1 * std::pow(p2 / p1, 1.0 / kIsentropicPower) - kI0, 1e-9,
               "isentropic head");
    EXPECT_EQ(b.enrg_zrz[1], 0.0);
}

TEST_F(CentrifugalElements, ImpellerOutletVelocityRatioAndLeakageRequest) {
    struct Case {
        double kz, zrz;
        double c2s_ratio;
        bool computed;
    };
    for (const Case c :
         {Case{0.0, 0.3, 1.0, false}, Case{1.2, -1.0, 1.2, true}, Case{0.9, 0.0, 0.9, false}}) {
        SCOPED_TRACE(c.kz);
        record(0).PD_VAL[PD_VAR_KZ] = c.kz;
        bdLocals& b = *block();
        b.enrg_zrz[1] = c.zrz;
        ASSERT_EQ(impeller(), 0);
        expect_rel(b.flow_c2s[1][0], c.c2s_ratio * 112.5, 1e-12, "outlet meridional velocity");
        // A negative leakage share asks for 0.17 x clearance / width of the isentropic head.
        EXPECT_NEAR(b.enrg_zrz[1], c.computed ? 0.17 * 0.04 * b.enrg_Co[1][0] : c.zrz, 1e-9);
    }
}

TEST_F(CentrifugalElements, ImpellerBladeCountMustExceedTheSlot) {
    // The count quotient with the default pitch ratio 0.4, from the triangles.
    ASSERT_EQ(impeller(), 0);
    const bdLocals& b = *block();
    const double bm = ((180.0 - b.cas_B1[1][0]) + (180.0 - b.cas_B2[1][0])) / 2.0;
    const double q = 6.2831853 * std::sin(bm * kDeg) / (0.4 * std::log(1.8));
    struct Case {
        double count;
        int result;
        double z;
    };
    for (const Case c : {Case{3.9, 1, 3.0}, Case{4.2, 0, 4.0}, Case{3.01, 1, 3.0}}) {
        SCOPED_TRACE(c.count);
        prereq()[86] = 0.4 * q / c.count;
        EXPECT_EQ(impeller(), c.result);
        EXPECT_EQ(block()->bld_z[1], c.z);
    }
}

TEST_F(CentrifugalElements, ImpellerFailures) {
    struct Case {
        const char* what;
        double m, Ht;
    };
    // A diameter ratio of 1 leaves no room for the inlet width; a head far
    // beyond the blade speed turns the relative outflow below 1 degree.
    for (const Case c :
         {Case{"diameter ratio 1", 1.0, 0.5}, Case{"relative outflow below 1 degree", 1.8, 20.0}}) {
        SCOPED_TRACE(c.what);
        bdLocals& b = *block();
        b.bld_m[1] = c.m;
        b.elem_Ht[1] = c.Ht;
        b.cas_B[1][0] = 0.0;
        b.bld_l2[1] = 0.0;
        EXPECT_EQ(impeller(), 1);
        EXPECT_EQ(b.bld_l2[1], 0.0);  // nothing past the failing step
    }
    EXPECT_EQ(block()->cas_B[1][0], 0.25 * 0.27);  // the second case failed after the outlet geometry
}

// The vane layout of the worked example, reached through the element: the
// impeller before it ends at 0.4 / 1.05 m with an outlet flow angle of 15 degrees.
TEST_F(CentrifugalElements, VanedDiffuserLaysOutTheWorkedExample) {
    struct Case {
        double divergence;  // slot 97
        int result;
        double z;
    };
    const double t5 = std::tan(5.0 * kDeg);
    for (const Case c : {Case{10.0, 0, 11.0}, Case{2.0 * std::atan(t5 * 11.022 / 3.5) / kDeg, 1, 3.0},
                         Case{2.0 * std::atan(t5 * 11.022 / 4.5) / kDeg, 0, 4.0}}) {
        SCOPED_TRACE(c.divergence);
        ASSERT_EQ(impeller(), 0);
        bdLocals& b = *block();
        b.bld_d2[1] = 0.4 / 1.05;
        b.cas_A2[1][0] = 15.0;
        prereq()[96] = 10.0;
        prereq()[97] = c.divergence;
        EXPECT_EQ(rc_vaned_diff_design(2), c.result);
        EXPECT_EQ(b.bld_z[2], c.z);
        EXPECT_NEAR(b.bld_d1[2], 0.4, 1e-15);
        EXPECT_NEAR(b.bld_d2[2], 0.56, 1e-15);
        EXPECT_EQ(b.cas_B1g[2][0], 15.0);
        EXPECT_EQ(b.cas_A2[2][0], 25.0);
        EXPECT_EQ(b.cas_B2g[2][0], 25.0);
        EXPECT_EQ(b.cas_Byct[2][0], 20.0);
        EXPECT_NEAR(b.cas_b[2][0], 0.216875, 1e-6);
        EXPECT_EQ(b.elem_stagType[2], 1.0);
        if (c.result != 0) continue;
        EXPECT_NEAR(b.cas_tb[2][0], kPi * 0.56 / c.z / b.cas_b[2][0], 1e-12);
        EXPECT_NEAR(b.cas_r1[2][0], 0.01 * b.cas_b[2][0], 1e-15);
        EXPECT_EQ(b.cas_r2[2][0], b.cas_r1[2][0]);
        EXPECT_EQ(b.bld_k[2], 6.0);
    }
    EXPECT_NEAR(block()->cas_tb[2][0], 0.737456 * 11.0 / 4.0, 1e-5);
}

TEST_F(CentrifugalElements, DiffusersOnAFluidWithoutEntropyLoseTotalPressure) {
    h2::test::TestFluid f;
    f.zero_entropy = true;
    h2::test::install_test_fluid(block(), f);
    for (int form : {1, 2}) {
        SCOPED_TRACE(form);
        prereq()[96] = 10.0;
        ASSERT_EQ(impeller(), 0);
        ASSERT_EQ(form == 1 ? rc_vldiff_design(2) : rc_vaned_diff_design(2), 0);
        const bdLocals& b = *block();
        const auto F = [&](int code, double x, double y) { return b.fluid_func(code, x, y, 0.0, 0); };
        const double i2x = b.isd_i1x[2][0];
        const double p2x = F(H2_FLUID_P_IS, i2x, 0.0) - b.enrg_dhb[2][0] * b.isd_Ro1[2][0];
        EXPECT_EQ(b.isd_s2[2][0], 0.0);
        expect_rel(b.isd_p2x[2][0], p2x, 1e-12, "total pressure less the loss");
        expect_rel(b.isd_i2x[2][0], F(H2_FLUID_I_PS, p2x, 0.0), 1e-12, "total enthalpy on it");
    }
}

TEST(CentrifugalFrame, PassLimitToleranceAndGain) {
    bdLocals b{};
    struct Limit {
        int IM, N;
    };
    for (const Limit c : {Limit{0, 150}, Limit{150, 150}, Limit{151, 151}, Limit{400, 400}}) {
        b.IM = c.IM;
        EXPECT_EQ(pass_limit(b), c.N) << c.IM;
    }
    struct Tol {
        double acc, tol;
    };
    for (const Tol c : {Tol{0.0, 1e-6}, Tol{-1.0, 1e-6}, Tol{1e-6, 1e-6}, Tol{1e-4, 1e-4}}) {
        b.acc_limit = c.acc;
        EXPECT_EQ(pass_tolerance(b), c.tol) << c.acc;
    }
    struct Gain {
        double ratio, relax, gain;
    };
    for (const Gain c : {Gain{1.04, 0.5, 2.0}, Gain{1.08, 0.5, 1.0}, Gain{1.5, 0.5, 0.5}, Gain{1.5, 0.2, 0.2},
                         Gain{1.5, 0.1, 0.2}, Gain{1.05, 0.7, 1.0}, Gain{1.1, 0.7, 0.7}}) {
        EXPECT_EQ(head_gain(c.ratio, c.relax), c.gain) << c.ratio << ' ' << c.relax;
    }
}

}  // namespace
