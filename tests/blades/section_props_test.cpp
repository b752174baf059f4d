// Section properties of rotor, stator and compressor sections.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/blades/blade_case.h"

namespace {

using h2::test::near_rel;

constexpr double kDeg = 0.01745329;
constexpr double kRotorLo[4] = {20, 10, 20, -0.2}, kRotorHi[4] = {120, 30, 30, 0.2};

class SectionPropsTest : public h2::test::BladeCaseTest {
protected:
    void SetUp() override {
        BladeCaseTest::SetUp();
        make_row(1, 3000.0, 1.0);
        ASSERT_EQ(init_model(), 1);
    }
    // The rotor section of the worked example.
    void rotor_section(double b, double tb, double B1g, double B2a) {
        c().cas_b[1][0] = b;
        c().cas_tb[1][0] = tb;
        c().cas_B1g[1][0] = B1g;
        c().cas_B2a[1][0] = B2a;
        c().cas_w1[1][0] = 25.0;
        c().flow_r2[1][0] = 0.5;
    }
    // Area of a rotor section of chord b straight from set 0 of the model at x.
    double model_area(const double (&x)[4], double b) {
        return std::exp(model_geom(4, 0, kRotorLo, kRotorHi, static_cast<GeomModel>(c().model_rotor), x)) *
               b * b;
    }
};

TEST_F(SectionPropsTest, RotorSection) {
    rotor_section(0.05, 0.8, 60.0, 25.0);
    WorkGeom(1, 0, 2);
    EXPECT_TRUE(near_rel(c().prof_F[1][0], 2.53651946e-4));
    EXPECT_TRUE(near_rel(c().prof_Ie[1][0], 3.17847376e-9));
    EXPECT_TRUE(near_rel(c().cas_Byct[1][0], 34.6878382));
    EXPECT_EQ(c().bld_z[1], 78.0);  // 2 pi 0.5 / 0.04 = 78.5, rounded down
    EXPECT_TRUE(near_rel(c().cas_t[1][0], 0.04));
    EXPECT_TRUE(near_rel(c().cas_a2[1][0], std::sin(25.0 * kDeg) * 0.04));
    // Section moduli are moments over fibre distances: Wxbx = Wxbxx.
    EXPECT_EQ(c().prof_Wxbx[1][0], c().prof_Wxbxx[1][0]);
    // Mode 1 leaves the stagger alone.
    c().cas_Byct[1][0] = -7.0;
    WorkGeom(1, 0, 1);
    EXPECT_EQ(c().cas_Byct[1][0], -7.0);
}

TEST_F(SectionPropsTest, RotorVariablesAreClampedAfterThePitchOffset) {
    struct Case {
        double tb, B1g, B2a;
        double x[4];  // where the model must be evaluated
    } cases[] = {
        {0.8,
         60.0,
         100.0,
         {180 - 60 - 80, 30, 25, 0.8 - 1.08 + 0.004 * 40}},  // outlet angle above 90 as 180 - it
        {0.8, 60.0, 80.0, {180 - 60 - 80, 30, 25, 0.8 - 1.08 + 0.004 * 40}},
        {1.0, 150.0, 20.0, {20, 20, 25, -0.04}},  // turning 10 clamped to 20, offset from 10
        {0.5, 30.0, 15.0, {120, 15, 25, -0.04}},  // turning 135 clamped to 120
    };
    for (const Case& t : cases) {
        rotor_section(0.05, t.tb, t.B1g, t.B2a);
        WorkGeom(1, 0, 1);
        EXPECT_TRUE(near_rel(c().prof_F[1][0], model_area(t.x, 0.05))) << t.B1g << " " << t.B2a;
    }
}

TEST_F(SectionPropsTest, PitchRule) {
    struct Case {
        double b, t, tb;
        double t_out, tb_out, z;
    } cases[] = {
        {0.05, 0.0, 0.0, 0.035, 0.7, 89.0},  // neither: relative pitch 0.7
        {0.05, 0.04, 0.0, 0.04, 0.8, 78.0},  // relative pitch from the pitch
        {0.05, 0.09, 0.8, 0.04, 0.8, 78.0},  // the relative pitch wins
        {0.0, 0.0, 0.8, 0.0, 0.8, 64.0},     // zero chord: the row keeps its count
        // The pitch of 41 blades on 0.5 m taken back from a radius a part in
        // 1e10 short of it (a solved tip radius meeting its casing): 41 still;
        // a count a part in 1e6 short is 40.
        {0.05, 0.0, 2 * 3.14159265 * 0.5 / 41 / 0.05 / (1 + 1e-10), 0.0, 0.0, 41.0},
        {0.05, 0.0, 2 * 3.14159265 * 0.5 / 41 / 0.05 / (1 - 1e-10), 0.0, 0.0, 41.0},
        {0.05, 0.0, 2 * 3.14159265 * 0.5 / 41 / 0.05 * (1 + 1e-6), 0.0, 0.0, 40.0},
    };
    for (const Case& t : cases) {
        rotor_section(t.b, t.tb, 60.0, 25.0);
        c().bld_z[1] = 64.0;
        c().cas_t[1][0] = t.t;
        WorkGeom(1, 0, 1);
        if (t.tb_out != 0.0) {
            EXPECT_TRUE(near_rel(c().cas_t[1][0], t.t_out)) << t.b << " " << t.t;
            EXPECT_TRUE(near_rel(c().cas_tb[1][0], t.tb_out));
        }
        EXPECT_EQ(c().bld_z[1], t.z) << t.tb;
    }
}

TEST_F(SectionPropsTest, StatorSection) {
    c().bld_wp[1] = 0.0;
    c().cas_b[1][0] = 0.06;
    c().cas_bx[1][0] = 0.05;
    c().cas_tb[1][0] = 0.85;
    c().cas_B1g[1][0] = 90.0;
    c().cas_B2g[1][0] = 15.0;
    c().cas_r1[1][0] = 0.005;
    c().flow_r2[1][0] = 0.5;
    GuideGeom(1, 0, 1);
    EXPECT_TRUE(near_rel(c().prof_B[1][0], 0.0432261452, 1e-8));
    EXPECT_TRUE(near_rel(c().prof_B[1][0] / c().prof_Bx[1][0], 1.55928204, 1e-8));
    EXPECT_TRUE(near_rel(c().prof_F[1][0], 2.34911709e-4));
    EXPECT_EQ(c().bld_z[1], 73.0);
    EXPECT_TRUE(near_rel(c().cas_a2[1][0], std::sin(15.0 * kDeg) * 0.0425));
    // A chord shorter than the axial chord is raised to it; the ratio stays 1.
    c().cas_b[1][0] = 0.04;
    GuideGeom(1, 0, 1);
    EXPECT_EQ(c().cas_b[1][0], 0.05);
    EXPECT_TRUE(near_rel(c().prof_Bx[1][0], c().prof_B[1][0]));
    EXPECT_TRUE(near_rel(c().prof_lv[1][0] + 1.0, 1.0, 1e-15));
}

TEST_F(SectionPropsTest, CompressorSection) {
    c().cas_b[1][0] = 0.05;
    c().cas_r1[1][0] = 0.002;
    c().cas_a_[1][0] = 0.4;
    c().cas_b_[1][0] = 0.1;
    // Area = thickness-distribution area times the camber-line length factor.
    const double shape = (0.6 * 0.1 + 0.36 * 0.14 + 0.04 * 3.14159265 * 0.04 / 2) * 0.05 * 0.05;
    struct Case {
        double B1g, B2g, wp, F, Byct;
    } cases[] = {
        {50, 50, 0.0, shape * 1.175, 40.0},  // no camber: L = 1.35 * 0.5 + 0.5
        {40, 70, 0.0, 3.60298484e-4, 35.0},
        {40, 70, 3000.0, 3.60298484e-4, -35.0},  // a rotor mirrors both angles
    };
    for (const Case& t : cases) {
        c().cas_B1g[1][0] = t.B1g;
        c().cas_B2g[1][0] = t.B2g;
        c().bld_wp[1] = t.wp;
        ComprGeom(1, 0);
        EXPECT_TRUE(near_rel(c().prof_F[1][0], t.F)) << t.B1g << " " << t.B2g << " " << t.wp;
        EXPECT_TRUE(near_rel(c().cas_Byct[1][0], t.Byct));
    }
    EXPECT_TRUE(near_rel(shape * 1.175, 3.31682743e-4));
}

TEST_F(SectionPropsTest, BadInputWritesNothing) {
    rotor_section(0.05, 0.8, 60.0, 25.0);
    c().prof_F[1][0] = -1.0;
    WorkGeom(2, 0, 1);   // row past the path
    WorkGeom(-1, 0, 1);  // negative row
    WorkGeom(1, 1, 1);   // section past the sections
    GuideGeom(1, -1, 1);
    ComprGeom(5, 0);
    EXPECT_EQ(c().prof_F[1][0], -1.0);
    term_model();  // no model loaded: nothing evaluated
    WorkGeom(1, 0, 1);
    GuideGeom(1, 0, 1);
    EXPECT_EQ(c().prof_F[1][0], -1.0);
    EXPECT_EQ(c().cas_t[1][0], 0.0);
}

}  // namespace
