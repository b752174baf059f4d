// Diaphragm and disk strength and the blade volume of a row.
#include <gtest/gtest.h>

#include <cmath>

#include "blades/disk_stress.h"
#include "tests/blades/blade_case.h"

namespace {

using h2::test::near_rel;

constexpr double kRho = 7850.0, kOmega = 314.159265, kNu = 0.3;

using DiskStrengthTest = h2::test::BladeCaseTest;

TEST_F(DiskStrengthTest, RotorDisk) {
    make_uniform_rotor();
    c().bld_du[1] = 0.2;
    for (int j = 0; j < 5; ++j) c().prof_B[1][j] = 0.05;
    rlpc(1);
    diskr(1);
    EXPECT_EQ(c().bld_md[1], 1.5);
    EXPECT_TRUE(near_rel(c().bld_b0[1], 0.4));  // (0.4 / 0.1)^1.5 * 0.05
    EXPECT_TRUE(near_rel(c().strs_sl[1], 24672535.09, 1e-9));
    EXPECT_TRUE(near_rel(c().strs_st[1], 56039217.41, 1e-9));
    EXPECT_TRUE(near_rel(c().strs_vd[1], 0.254031234, 1e-8));
    EXPECT_TRUE(near_rel(c().strs_mass_d[1], kRho * c().strs_vd[1]));
    // The rim stress of the blades' pull is the radial stress at the rim.
    const double sigma2 = 0.4 * kOmega * kOmega * 18.84 / (0.05 * 3.14159265 * 1.0);
    EXPECT_TRUE(near_rel(sigma2, 4735008.44, 1e-9));
    const h2::blades::HyperbolicDisk disk(1.5, kNu, kRho, kOmega, 0.1, 0.4, sigma2);
    EXPECT_TRUE(near_rel(disk.radial(0.4), sigma2, 1e-9));
    EXPECT_LT(std::fabs(disk.radial(0.1)), 1e-9 * sigma2);
}

TEST_F(DiskStrengthTest, BoreFallsBackToTheRimShare) {
    make_uniform_rotor();
    for (int j = 0; j < 5; ++j) c().prof_B[1][j] = 0.05;
    rlpc(1);
    diskr(1);  // no bore and no stator before: 0.7 of the hub radius
    EXPECT_TRUE(near_rel(c().bld_b0[1], std::pow(1 / 0.7, 1.5) * 0.05));
    EXPECT_TRUE(std::isfinite(c().strs_sl[1]) && std::isfinite(c().strs_st[1]));
}

TEST_F(DiskStrengthTest, BoreOfAStatorWithoutSealFallsBackToo) {
    allocate(2, 1);
    c().elem_stagType[1] = c().elem_stagType[2] = 1.0;
    c().bld_z[1] = 48.0;  // stator, bld__du 0
    c().bld_z[2] = 60.0;
    c().bld_wp[2] = kOmega;
    c().bld_d2[2] = 1.0;
    c().bld_l2[2] = 0.2;
    c().strs_g_b[2] = kRho;
    c().prof_B[2][0] = 0.05;
    diskr(2);
    EXPECT_TRUE(near_rel(c().bld_b0[2], std::pow(1 / 0.7, 1.5) * 0.05));
    c().bld_du[1] = 0.4;  // the stator's seal sets the bore
    diskr(2);
    EXPECT_TRUE(near_rel(c().bld_b0[2], std::pow(0.4 / 0.2, 1.5) * 0.05));
}

// The stress function solves the disk equations: equilibrium
// d(h r sr)/dr = h st - rho w^2 r^2 h and compatibility of the plane-stress
// strains d(r (st - nu sr))/dr = sr - nu st, checked by central differences.
TEST(HyperbolicDisk, MeetsEquilibriumAndCompatibility) {
    for (double m : {0.0, 0.7, 1.5}) {
        const h2::blades::HyperbolicDisk d(m, kNu, kRho, kOmega, 0.1, 0.4, 4.7e6);
        const double scale = kRho * kOmega * kOmega * 0.16;
        const double e = 1e-5;
        for (double r = 0.12; r < 0.39; r += 0.03) {
            auto h = [&](double x) { return std::pow(x, -m); };
            auto hrs = [&](double x) { return h(x) * x * d.radial(x); };
            auto comp = [&](double x) { return x * (d.tangential(x) - kNu * d.radial(x)); };
            const double eq = (hrs(r + e) - hrs(r - e)) / (2 * e) - h(r) * d.tangential(r) +
                              kRho * kOmega * kOmega * r * r * h(r);
            const double cp = (comp(r + e) - comp(r - e)) / (2 * e) - (d.radial(r) - kNu * d.tangential(r));
            EXPECT_LT(std::fabs(eq), 1e-8 * scale * h(r)) << "m " << m << " r " << r;
            EXPECT_LT(std::fabs(cp), 1e-8 * scale) << "m " << m << " r " << r;
        }
    }
}

TEST(HyperbolicDisk, UniformDiskIsTheLameAnnulus) {
    const double R1 = 0.1, R2 = 0.4, w2 = kRho * kOmega * kOmega;
    const h2::blades::HyperbolicDisk d(0.0, kNu, kRho, kOmega, R1, R2, 0.0);
    const double st_bore = (3 + kNu) / 4 * w2 * (R2 * R2 + (1 - kNu) / (3 + kNu) * R1 * R1);
    EXPECT_TRUE(near_rel(d.tangential(R1), st_bore));
    EXPECT_TRUE(near_rel(st_bore, 103624677.47, 1e-10));
    const double sr_max = (3 + kNu) / 8 * w2 * (R2 - R1) * (R2 - R1);
    EXPECT_TRUE(near_rel(d.radial(std::sqrt(R1 * R2)), sr_max));
    EXPECT_TRUE(near_rel(sr_max, 28763111.41, 1e-10));
}

// Centroidal moment of a trapezoidal ring section by integration across its
// width: the radial height falls linearly from h + d to h over the width c.
double trapezoid_inertia(double d, double h, double c) {
    const int n = 20000;
    double area = 0, first = 0, second = 0;
    for (int k = 0; k < n; ++k) {
        const double y = (k + 0.5) * c / n, w = h + d * (1 - y / c);
        area += w * c / n;
        first += w * y * c / n;
        second += w * y * y * c / n;
    }
    return second - first * first / area;
}

TEST(RingSection, IsTheCentroidalMomentOfTheTaperedSection) {
    EXPECT_TRUE(near_rel(h2::blades::ring_section_inertia(0.02, 0.05, 0.04), 3.17037037e-7, 1e-8));
    EXPECT_TRUE(near_rel(h2::blades::ring_section_inertia(0.02, 0.05, 0.04),
                         trapezoid_inertia(0.02, 0.05, 0.04), 1e-7));
    EXPECT_TRUE(near_rel(h2::blades::ring_section_inertia(0.0, 0.03, 0.05), 0.03 * 0.05 * 0.05 * 0.05 / 12));
}

class DiaphragmTest : public h2::test::BladeCaseTest {
protected:
    void SetUp() override {
        BladeCaseTest::SetUp();
        make_row(1, 0.0, 60.0);
        bdLocals& b = c();
        b.bld_du[1] = 0.6;
        b.bld_d1[1] = b.bld_d2[1] = 1.0;
        b.bld_l1[1] = b.bld_l2[1] = 0.2;
        b.clrn_to[1] = 0.05;
        b.isd_p1x[1][0] = 2e5;
        b.isd_p2[1][0] = 1e5;
        b.cas_b[1][0] = 0.05;
        b.cas_Byct[1][0] = 40.0;
        b.prof_Wubx[1][0] = 2e-6;
        b.prof_Wubxx[1][0] = 3e-6;
        b.prof_F[1][0] = 3e-4;
        b.strs_g_b[1] = kRho;
    }
};

TEST_F(DiaphragmTest, VaneBendingAndBodyStress) {
    diafr(1);
    // R6 0.3, R7 0.4, R8 0.6, R9 0.65: k1 at 0.35/0.95, k2 at (0.4/0.65, 6 degrees).
    const double k1 = 2.46 + (0.35 / 0.95 - 0.35) / 0.05 * (2.6 - 2.46);
    const double k2 = 2.4 + (0.4 / 0.65 - 0.6) / 0.1 * (2.55 - 2.4);
    EXPECT_TRUE(near_rel(k1, 2.51157895, 1e-8));
    EXPECT_TRUE(near_rel(k2, 2.42307692, 1e-8));
    EXPECT_TRUE(near_rel(c().strs_sb[1], std::pow(0.65, 3) * k2 * 1e5 / 192 / 2e-6));
    EXPECT_TRUE(near_rel(c().strs_sb[1], 1.73291016e8, 1e-8));
    EXPECT_TRUE(near_rel(c().strs_sbx[1], c().strs_sb[1] * 2.0 / 3.0));
    EXPECT_EQ(c().strs_sl[1], c().strs_sb[1]);
    EXPECT_TRUE(near_rel(c().strs_st[1], 1.09467985e8, 1e-8));
    const double bw = std::cos(40 * 0.01745329) * 0.05;
    EXPECT_TRUE(near_rel(c().strs_vd[1], (0.65 * 0.65 - 0.36 + 0.16 - 0.09) * bw * 3.14159265));
    EXPECT_TRUE(near_rel(c().strs_vl[1], 0.2 * 3e-4 * 60));
    EXPECT_TRUE(near_rel(c().strs_mass[1], 0.2 * 3e-4 * 60 * kRho));
}

TEST_F(DiaphragmTest, VanesReachingTheRimDoNotBend) {
    c().bld_l2[1] = 0.0;  // R7 = R8 = R9: k2 row 1.0 is zero
    c().clrn_to[1] = 0.0;
    diafr(1);
    EXPECT_EQ(c().strs_sb[1], 0.0);
    EXPECT_EQ(c().strs_sl[1], 0.0);
}

TEST_F(DiaphragmTest, TwoRingDiaphragm) {
    c().bld_du[1] = 0.625;  // du / D = 0.5: kC = 10
    diafrC(1);
    // Equal ring heights at inlet and outlet: two rectangular sections.
    const double h = (1.0 - 0.625 - 0.2) / 2, c0 = 0.05, D = 1.25;
    const double I = h * c0 * c0 * c0 / 12 + 0.05 * c0 * c0 * c0 / 12;
    EXPECT_TRUE(near_rel(c().strs_st[1], 10.0 * 1e5 * 0.001 * D * D * D * c0 / I));
    EXPECT_TRUE(near_rel(c().strs_sb[1], 0.8 * 1e5 * 1.2 * 1.0 / 60 / 2e-6));
}

TEST_F(DiskStrengthTest, BladeVolume) {
    make_uniform_rotor(1);
    rlpc(1);
    EXPECT_TRUE(near_rel(bldVolume(1), c().strs_vl[1]));
    bterm();
    ASSERT_NE(binit(), nullptr);
    make_uniform_rotor(5);
    // Uniform area: F times the span of the mean section radii times z.
    for (int j = 0; j < 5; ++j) c().flow_r1[1][j] = c().flow_r2[1][j] + 0.02;
    EXPECT_TRUE(near_rel(bldVolume(1), 2e-4 * 0.2 * 60));
    EXPECT_EQ(bldVolume(2), 0.0);
    EXPECT_EQ(bldVolume(-1), 0.0);
}

TEST_F(DiskStrengthTest, BadRowsWriteNothing) {
    make_uniform_rotor();
    c().strs_vd[1] = -1.0;
    for (void (*f)(int) : {rlpc, vibration, diafr, diafrC, diskr, vaned}) {
        f(2);
        f(-1);
    }
    EXPECT_EQ(c().strs_vd[1], -1.0);
    EXPECT_EQ(c().strs_vd[0], 0.0);
}

}  // namespace
