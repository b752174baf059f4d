// Rotor blade strength and frequency, and the material data of a row,
// against the closed forms of a uniform rotating cantilever.
#include <gtest/gtest.h>

#include <cmath>

#include "blades/material.h"
#include "tests/blades/blade_case.h"

namespace {

using h2::test::near_rel;

constexpr double kRho = 7850.0, kOmega = 314.159265, kF = 2e-4, kIe = 4e-11, kE = 2e11;
constexpr double kHub = 0.4, kTip = 0.6;

using BladeStrengthTest = h2::test::BladeCaseTest;

TEST_F(BladeStrengthTest, MaterialDefaultsAndCurves) {
    make_row(1, 3000.0, 60.0);
    ASSERT_EQ(strs_material(1, 600.0), 0);
    EXPECT_EQ(c().strs_tm[1], 600.0);
    EXPECT_EQ(c().strs_mu[1], 2e11);
    EXPECT_EQ(c().strs_dstr[1], 3e8);
    EXPECT_EQ(c().strs_dstr_t[1], 3e8);
    EXPECT_EQ(c().strs_dsti[1], 3e7);
    EXPECT_EQ(c().strs_dsti_t[1], 3e7);

    // An allowable curve, scaled by its factor; the modulus is never scaled.
    MatCurveRecord& allow = c().MatCurve[1][1];
    allow.count = 2;
    allow.factor = 0.9;
    allow.temperature[0] = 300.0, allow.value[0] = 4e8;
    allow.temperature[1] = 900.0, allow.value[1] = 2e8;
    MatCurveRecord& modulus = c().MatCurve[0][1];
    modulus = allow;
    ASSERT_EQ(strs_material(1, 600.0), 0);
    EXPECT_TRUE(near_rel(c().strs_dstr[1], 2.7e8));
    EXPECT_TRUE(near_rel(c().strs_mu[1], 3e8));
    // A count past the record's room reads its 20 points; a negative one is no curve.
    allow.count = 1000;
    for (int p = 2; p < 20; ++p) allow.temperature[p] = 900.0 + p, allow.value[p] = 2e8;
    ASSERT_EQ(strs_material(1, 600.0), 0);
    EXPECT_TRUE(near_rel(c().strs_dstr[1], 2.7e8));
    allow.count = -3;
    ASSERT_EQ(strs_material(1, 600.0), 0);
    EXPECT_EQ(c().strs_dstr[1], 3e8);

    c().bld_wp[1] = 0.0;  // stator
    ASSERT_EQ(strs_material(1, 600.0), 0);
    EXPECT_EQ(c().strs_dl[1], 3e8);
    EXPECT_EQ(c().strs_dt[1], 3e8);
    c().elem_stagType[1] = 0.0;
    EXPECT_EQ(strs_material(1, 700.0), 1);
    EXPECT_EQ(c().strs_tm[1], 600.0);
    EXPECT_EQ(strs_material(2, 700.0), 1);
}

TEST_F(BladeStrengthTest, SingleSectionCentrifugalStress) {
    make_uniform_rotor();
    rlpc(1);
    // Untapered blade: sigma = rho omega^2 (r_t^2 - r_h^2) / 2.
    const double sigma = kRho * kOmega * kOmega * (kTip * kTip - kHub * kHub) / 2.0;
    EXPECT_TRUE(near_rel(c().strs_sr[1], sigma, 1e-12));
    EXPECT_TRUE(near_rel(sigma, 77476394.37, 1e-10));
    EXPECT_TRUE(near_rel(c().strs_vl[1], 0.0024));  // F l z
    EXPECT_TRUE(near_rel(c().strs_mass[1], 18.84));
    EXPECT_EQ(c().strs_lr[1], 1.0);
    EXPECT_EQ(c().strs_vd[1], 0.0);
    EXPECT_EQ(c().strs_pv[1], 0.0);
    EXPECT_EQ(c().strs_smi[1], 0.0);
}

TEST_F(BladeStrengthTest, TaperRatioAtTheAllowable) {
    make_uniform_rotor();
    c().strs_g_b[1] = 8000.0;
    c().bld_l2[1] = 0.25;
    c().bld_wp[1] = 100.0;  // sigma_b = 0.5 * 8000 * 0.25 * 1 * 100^2 = 1e7
    struct Case {
        double allowable, taper;
    } cases[] = {{1e7, 1.0}, {5e6, 0.0}, {2.5e6, -0.5}};
    for (const Case& t : cases) {
        c().strs_dstr[1] = t.allowable;
        rlpc(1);
        EXPECT_DOUBLE_EQ(c().strs_lr[1], t.taper) << t.allowable;
    }
}

TEST_F(BladeStrengthTest, SpanwiseStressMatchesTheClosedForm) {
    make_uniform_rotor();
    rlpc(1);
    ASSERT_EQ(rlzc(1), 0);
    const double w2 = kOmega * kOmega, dr2 = kTip * kTip - kHub * kHub;
    // The trapezoids in r^2 are exact for a uniform blade.
    EXPECT_TRUE(near_rel(c().strs_sr[1], kRho * w2 * dr2 / 2.0));
    EXPECT_TRUE(near_rel(c().strs_cb[1], kRho * w2 * kF * dr2 / 2.0));
    EXPECT_TRUE(near_rel(c().strs_cb[1], 15495.2789, 1e-8));
    EXPECT_EQ(c().strs_smi[1], 0.0);
}

TEST_F(BladeStrengthTest, SpanwiseGasLoadBendsTheRoot) {
    make_uniform_rotor();
    // A uniform pressure difference dp on the blade row: axial load per unit
    // height q = 2 pi r dp / Z, moment at the root by its lever arms.
    const double dp = 1e4;
    for (int j = 0; j < 5; ++j) c().isd_p1[1][j] = dp, c().isd_p2[1][j] = 0.0;
    rlzc(1);
    EXPECT_GT(c().strs_smi[1], 0.0);
    EXPECT_GT(c().strs_pv[1], 0.0);
    // Root moment of the axial load q = 2 pi r dp / Z of each segment at its mean radius.
    double Ma = 0.0;
    for (int k = 1; k <= 4; ++k) {
        const double r0 = kHub + 0.05 * (k - 1), r1 = r0 + 0.05, rm = (r0 + r1) / 2;
        Ma += 0.05 * (rm - kHub) * 2 * M_PI * rm * dp / 60.0;
    }
    EXPECT_TRUE(near_rel(c().strs_sc[1], Ma / 1e-6, 1e-3));  // the factor is pi / 2 to 3 digits
}

TEST_F(BladeStrengthTest, Frequencies) {
    make_uniform_rotor();
    vibration(1);
    // Cantilever: f0 = (1.8751^2 / 2 pi) sqrt(E I / rho F) / l^2 with 0.56 for the constant.
    const double f0 = 0.56 * std::sqrt(kE * kIe / (kRho * kF)) / (0.2 * 0.2);
    EXPECT_TRUE(near_rel(f0, 31.6026283, 1e-8));
    const double n = kOmega / (2 * M_PI);
    const double fd = std::sqrt(f0 * f0 + (0.785 * 1.0 / 0.2 - 0.592) * n * n);
    EXPECT_TRUE(near_rel(c().strs_sk[1], fd));
    EXPECT_TRUE(near_rel(c().strs_sk[1], 96.5982717, 1e-8));
    EXPECT_TRUE(near_rel(c().strs_nzf[1], n * 60 / fd));
    EXPECT_TRUE(near_rel(c().strs_nzf[1], 31.0564562, 1e-8));

    ASSERT_EQ(vibrzz(1), 0);
    // Kept as it stands: the spanwise estimate is about half the cantilever value.
    EXPECT_TRUE(near_rel(c().strs_sk[1], 15.9751609, 1e-8));
    EXPECT_EQ(c().strs_lr[1], 1.0);

    c().bld_wp[1] = 0.0;
    vibration(1);
    EXPECT_TRUE(near_rel(c().strs_sk[1], f0));
    EXPECT_EQ(c().strs_nzf[1], 0.0);
    // A short blade (l / i < 100) is softened by 1 - exp(-0.09 l / i).
    c().prof_Ie[1][2] = 4e-8;  // i = sqrt(2e-4) = 0.01414, l / i = 14.1
    vibration(1);
    const double i_g = std::sqrt(4e-8 / kF);
    const double f0s = 0.56 * std::sqrt(kE * 4e-8 / (kRho * kF)) / 0.04 * (1 - std::exp(-0.09 * 0.2 / i_g));
    EXPECT_TRUE(near_rel(c().strs_sk[1], f0s));
    c().prof_F[1][2] = 0.0;
    vibration(1);
    EXPECT_EQ(c().strs_sk[1], 0.0);
    EXPECT_EQ(c().strs_lr[1], 1.0);
}

TEST_F(BladeStrengthTest, MiddleSectionOfAnEvenCount) {
    make_uniform_rotor(2);
    c().prof_F[1][1] = 3e-4;  // section NI/2 = 1, not (NI-1)/2 = 0
    rlpc(1);
    EXPECT_TRUE(near_rel(c().strs_vl[1], 0.4 * 3e-4 / 2 * 60));
}

TEST_F(BladeStrengthTest, SpanwiseEarlyExits) {
    make_uniform_rotor();
    c().strs_sr[1] = -1.0;
    EXPECT_EQ(rlzc(2), 1);
    EXPECT_EQ(vibrzz(-1), 1);
    c().strs_g_b[1] = 0.0;
    EXPECT_EQ(rlzc(1), 0);
    c().strs_g_b[1] = kRho;
    c().prof_F[1][3] = 0.0;
    EXPECT_EQ(rlzc(1), 0);
    EXPECT_EQ(vibrzz(1), 0);
    EXPECT_EQ(c().strs_sr[1], -1.0);
    EXPECT_EQ(c().strs_sk[1], 0.0);
    c().prof_F[1][3] = kF;
    c().bld_z[1] = INFINITY;  // no count from an infinity
    EXPECT_EQ(rlzc(1), 0);
    // One section: nothing spanwise.
    bterm();
    ASSERT_NE(binit(), nullptr);
    make_uniform_rotor(1);
    EXPECT_EQ(rlzc(1), 1);
    EXPECT_EQ(vibrzz(1), 1);
}

}  // namespace
