// The element redesign stgR against a flow path the direct solver solved:
// the shipped stage, loss-free, switched to the design task for its own flow
// coefficients and pressures, must come back with its heights and angles, and
// every redesigned row obeys continuity, the energy balance of its velocity
// coefficient, Euler work and rothalpy. Air as a perfect gas (R 287.5, k 1.4).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "blades/atlas.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/halvorine2.h"
#include "solver/predesign/axial_turbine/turbine_design.h"
#include "solver/solver_api.h"
#include "tests/support/case_fixture.h"
#include "tests/support/example_stage.h"
#include "tests/support/test_fluid.h"

namespace {

using h2::test::LiveCaseTest;

constexpr double kR = 287.5;
constexpr double kK = 1.4;
constexpr double kCp = kK * kR / (kK - 1.0);
constexpr double kPi = 3.14159265;
constexpr double kDeg = 0.01745329;
// Mass-flow accuracy of the direct solve the round trip starts from.
constexpr double kDirectAccuracy = 3e-5;

double rel(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

// Perfect gas: density and the isentropic enthalpy at p from a static state (p1, i1).
double density(double p, double i) { return p / (kR * i / kCp); }
double isentropic_enthalpy(double p, double p1, double i1) { return i1 * std::pow(p / p1, (kK - 1.0) / kK); }

// The solved loss-free stage with its rows switched to the design task for
// their own flow coefficients and pressures; the diameter variant `mode`.
class RedesignTest : public LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        ASSERT_TRUE(h2::test::load_loss_free_example_stage());
        ASSERT_EQ(bestXN(), 0);
        bdLocals& b = *block();
        m = b.cyld_nr / 2;
        for (int e = 0; e <= 2; ++e) {
            solved_l2[e] = b.bld_l2[e];
            solved_d2[e] = b.bld_d2[e];
            solved_A2[e] = b.cas_A2[e][m];
            solved_B2[e] = b.cas_B2[e][m];
        }
        b.cyld_VART = 1;
        b.ICLos = 0;
        b.S1mode = 0;
    }
    // The row's own flow coefficient at the blade speed of the stage, and
    // the fixed diameter of the variant.
    void prepare(int e, int mode) {
        bdLocals& b = *block();
        const double omega = 3000.0;
        b.elem_cz_[e] = b.flow_c2z[e][m] / (omega * b.bld_d2[e] / 2.0);
        b.elem_VARTD[e] = mode;
        b.bld_d2s[e] = mode == 0   ? b.bld_d2[e] - b.bld_l2[e]
                       : mode == 2 ? b.bld_d2[e] + b.bld_l2[e]
                                   : b.bld_d2[e];
    }
    // Continuity, energy and Euler work of a redesigned row.
    void expect_balances(int e) {
        const bdLocals& b = *block();
        const double rho2 = b.isd_Ro2[e][m];
        EXPECT_LT(rel(rho2, density(b.isd_p2[e][m], b.isd_i2[e][m])), 1e-7);
        EXPECT_LT(rel(b.elem_G2[e], rho2 * kPi * b.bld_d2[e] * b.bld_l2[e] * b.flow_c2z[e][m]), 1e-9);
        const double i2s = isentropic_enthalpy(b.isd_p2[e][m], b.isd_p1[e][m], b.isd_i1[e][m]);
        const double phi = b.los_Los[e][m];
        EXPECT_LT(rel(b.flow_w2[e][m], phi * std::sqrt(2.0 * (b.isd_i2wx[e][m] - i2s))), 1e-7);
        const double u1 = b.flow_u1[e][m], u2 = b.flow_u2[e][m];
        EXPECT_LT(std::fabs(b.enrg_Lu[e][m] - (u1 * b.flow_c1u[e][m] - u2 * b.flow_c2u[e][m])), 1e-9 * 1e5);
        // Exit triangle: w2u = c2u - u2, |w2|^2 = c2s^2 + w2u^2.
        EXPECT_NEAR(b.flow_w2u[e][m], b.flow_c2u[e][m] - u2, 1e-9);
        EXPECT_LT(rel(b.flow_c2[e][m], std::hypot(b.flow_c2s[e][m], b.flow_c2u[e][m])), 1e-12);
    }
    int m = 0;
    double solved_l2[3] = {}, solved_d2[3] = {}, solved_A2[3] = {}, solved_B2[3] = {};
};

// The height error that the solve's flow defect gives: (d + s l)^2 l = K
// moves l by dK/K / (1 + 2 s l / (d + s l)), s = +1 at the hub, -1 at the tip.
struct ModeCase {
    int mode;
    const char* name;
    double accuracy;
};
const ModeCase kModes[] = {
    {1, "mean", kDirectAccuracy}, {0, "hub", kDirectAccuracy}, {2, "tip", kDirectAccuracy / 0.6}};

TEST_F(RedesignTest, EachRowComesBackAsTheDirectSolveLeftItInEveryDiameterVariant) {
    for (const ModeCase& c : kModes) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        bdLocals& b = *block();
        for (int e = 1; e <= 2; ++e) {
            SCOPED_TRACE(e);
            prepare(e, c.mode);
            const double chord = b.cas_b[e][m], z = b.bld_z[e];
            // The inlet blade speed of a pass is the one the element had: a
            // second redesign starts from the diameter the first one left.
            ASSERT_EQ(stgR(e), 0);
            ASSERT_EQ(stgR(e), 0);
            EXPECT_LT(rel(b.bld_l2[e], solved_l2[e]), c.accuracy);
            EXPECT_LT(rel(b.bld_d2[e], solved_d2[e]), c.accuracy);
            const double d_fixed = c.mode == 0   ? b.bld_d2[e] - b.bld_l2[e]
                                   : c.mode == 2 ? b.bld_d2[e] + b.bld_l2[e]
                                                 : b.bld_d2[e];
            EXPECT_NEAR(d_fixed, b.bld_d2s[e], 1e-15);
            expect_balances(e);
            // Plain redesign keeps the cascade.
            EXPECT_EQ(b.cas_b[e][m], chord);
            EXPECT_EQ(b.bld_z[e], z);
        }
        EXPECT_NEAR(b.cas_A2[1][m], solved_A2[1], 1e-3);
        EXPECT_NEAR(b.cas_B2[2][m], solved_B2[2], 1e-3);
        // The rotor keeps its rothalpy i0 - u cu.
        const double in = b.isd_i1x[2][m] - b.flow_u1[2][m] * b.flow_c1u[2][m];
        const double out = b.isd_i2x[2][m] - b.flow_u2[2][m] * b.flow_c2u[2][m];
        EXPECT_LT(rel(out, in), 1e-9);
    }
}

// A row without an outlet state of its own (a generated row before its
// first pass) comes to the same row as one that had it: the redesign starts
// from the isentropic outlet, not from enthalpy 0, whose whole rothalpy as
// relative speed would charge a loss beyond the row's drop.
TEST_F(RedesignTest, ARowWithoutAnOutletStateStartsFromItsIsentropicOne) {
    bdLocals& b = *block();
    for (int e = 1; e <= 2; ++e) {
        SCOPED_TRACE(e);
        prepare(e, 1);
        b.los_Los[e][m] = 0.9;
        ASSERT_EQ(stgR(e), 0);
        const double l2 = b.bld_l2[e], i2 = b.isd_i2[e][m];
        b.isd_i2[e][m] = 0.0;
        ASSERT_EQ(stgR(e), 0);
        EXPECT_LT(rel(b.bld_l2[e], l2), 1e-10);
        EXPECT_LT(rel(b.isd_i2[e][m], i2), 1e-10);
        expect_balances(e);
    }
}

TEST_F(RedesignTest, AHigherFlowCoefficientSteepensTheStatorExitAtTheSameSpeed) {
    bdLocals& b = *block();
    prepare(1, 1);
    ASSERT_EQ(stgR(1), 0);
    const double c2z = b.flow_c2z[1][m], c2 = b.flow_c2[1][m], l2 = b.bld_l2[1];
    b.elem_cz_[1] *= 1.15;
    ASSERT_EQ(stgR(1), 0);
    EXPECT_LT(rel(b.flow_c2z[1][m], 1.15 * c2z), 1e-12);
    EXPECT_LT(rel(b.flow_c2[1][m], c2), 1e-12);
    EXPECT_LT(rel(b.bld_l2[1], l2 / 1.15), 1e-9);
    const double c = b.flow_c2[1][m], cz = b.flow_c2z[1][m];
    EXPECT_NEAR(b.cas_A2[1][m], std::atan(cz / std::sqrt(c * c - cz * cz)) / kDeg, 1e-9);
    // An axial speed above the exit speed has no triangle.
    b.elem_cz_[1] = 2.0;
    EXPECT_EQ(stgR(1), 2);
}

TEST_F(RedesignTest, TheStrengthPassKeepsTheBladeCountOfTheSizing) {
    // Equal-area streamlines put the middle radius outside d2/2, so counting
    // the blades again from the pitch there would give one more.
    bdLocals& b = *block();
    b.cyld_force1D = 0;
    for (int e = 1; e <= 2; ++e) {
        prepare(e, 1);
        b.bld_z[e] = 70.0;
        ASSERT_EQ(stgDesignElem(e), 0);
        EXPECT_EQ(b.bld_z[e], 70.0) << e;
        EXPECT_GT(b.prof_F[e][m], 0.0) << e;
    }
}

TEST_F(RedesignTest, GapsAroundARotorFromItsHeight) {
    // A prerequisite block with a gap threshold: the rotor inlet spans the
    // stator outlet plus the overlaps at tip (g2) and hub (g3).
    double prereq[125] = {};
    prereq[21] = 1.0;
    prereq[28] = prereq[29] = 1.0;
    bdLocals& b = *block();
    b.prereq_ref = prereq;
    for (double cz_scale : {1.0, 0.6}) {  // a lower flow coefficient gives a taller rotor
        SCOPED_TRACE(cz_scale);
        prepare(2, 1);
        b.elem_cz_[2] *= cz_scale;
        const double l1 = b.bld_l2[1], d1 = b.bld_d2[1];
        ASSERT_EQ(stgDesignElem(2), 0);
        const double l = b.bld_l2[2];
        double g2 = l / 50.0, g3 = l / 50.0;
        if (l >= 0.052) {
            g2 = std::min(0.002 + 0.0125 * l, 0.01);
            g3 = std::min(0.001 + 0.0125 * l, 0.01);
        }
        EXPECT_EQ(l >= 0.052, cz_scale < 1.0);
        EXPECT_NEAR(b.bld_l1[2], g2 + l1 + g3, 1e-12);
        EXPECT_NEAR(b.bld_d1[2], g2 + d1 - g3, 1e-12);
    }
    b.prereq_ref = nullptr;
}

TEST_F(RedesignTest, BadElementsAnswerMinusOneAndWriteNothing) {
    bdLocals& b = *block();
    const double l2 = b.bld_l2[1];
    for (int e : {0, 3, -1}) {
        EXPECT_EQ(stgR(e), -1) << e;
        EXPECT_EQ(LosStrs(e), -1) << e;
    }
    EXPECT_EQ(b.bld_l2[1], l2);
}

TEST(RedesignNoCase, WithoutCaseOrArraysAnswersMinusOne) {
    ASSERT_EQ(binit_threading(), 0);
    EXPECT_EQ(stgR(1), -1);
    EXPECT_EQ(LosStrs(1), -1);
    ASSERT_NE(binit(), nullptr);
    get_bdLocals()->cyld_ns = 2;
    EXPECT_EQ(stgR(1), -1);
    EXPECT_EQ(LosStrs(1), -1);
    bterm();
    bend_threading();
}

TEST_F(RedesignTest, WithoutLossCouplingTheStrengthPassStillFillsTheSections) {
    bdLocals& b = *block();
    for (int e = 1; e <= 2; ++e) {
        prepare(e, 1);
        b.prof_F[e][m] = 0.0;
        ASSERT_EQ(stgR(e), 0);
        EXPECT_GT(b.prof_F[e][m], 0.0) << e;
        EXPECT_EQ(b.model_rotor, nullptr);
        EXPECT_EQ(b.model_stator, nullptr);
    }
}

// A relative exit Mach number of exactly 2 passes; one ulp above it fails.
// The speed of sound enters nothing but the Mach test, so it is set from the
// exit speed of a first run.
double g_sound = 1e6;
double sound_fluid(int code, double a, double b, double c, int sel) {
    return code == H2_FLUID_SOUND_PI ? g_sound : h2::test::test_fluid_func(code, a, b, c, sel);
}

TEST_F(RedesignTest, ARelativeExitMachNumberOfTwoIsTheLimit) {
    bdLocals& b = *block();
    prepare(1, 1);
    const double state_p2 = b.isd_p2[1][m];
    b.fluid_func = &sound_fluid;
    g_sound = 1e6;
    ASSERT_EQ(stgR(1), 0);
    const double w2 = b.flow_w2[1][m];
    struct Case {
        double sound;
        int result;
    };
    const Case cases[] = {{w2 / 2.0, 0}, {std::nextafter(w2 / 2.0, 0.0), 2}};
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        prepare(1, 1);
        ASSERT_EQ(block()->isd_p2[1][m], state_p2);
        block()->fluid_func = &sound_fluid;
        g_sound = c.sound;
        EXPECT_EQ(stgR(1), c.result) << c.sound;
        EXPECT_EQ(block()->flow_w2[1][m], w2);
    }
}

// An atlas with one planar stagger table: Byct = 20 + 10 tb + 0.5 B2, which
// bilinear interpolation reproduces exactly.
struct AtlasFree {
    void operator()(Atlas* a) const { atlas_free(a); }
};

Atlas* planar_atlas(const char* name, double chord, double B1g_org, double r2_) {
    Atlas* a = atlas_create(10, "test atlas");
    const Point3 pts[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    atlas_add(a, 3, pts, name);
    const double B2[3] = {10.0, 30.0, 50.0};
    const double tb[2] = {0.5, 1.5};
    double Byct[6];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 2; ++j) Byct[i + j * 3] = 20.0 + 10.0 * tb[j] + 0.5 * B2[i];
    atlas_set_table(a, 0, 3, 2, B2, tb, Byct, B1g_org, r2_, chord);
    return a;
}

TEST_F(RedesignTest, AKnownAtlasProfileSetsStaggerInletAngleAndChord) {
    bdLocals& b = *block();
    std::unique_ptr<Atlas, AtlasFree> atlas(planar_atlas("S70", 0.04, 35.0, 0.02));
    b.atlas_s = atlas.get();
    b.ICLos = 1;
    struct Case {
        const char* name;
        double index;
    };
    for (const Case& c : {Case{"S70", 0.0}, Case{"S99", -1.0}}) {
        SCOPED_TRACE(c.name);
        std::snprintf(b.atlas_s_profile, sizeof b.atlas_s_profile, "%s", c.name);
        prepare(1, 1);
        ASSERT_EQ(stgDesignElem(1), 0);
        EXPECT_EQ(b.atlas_index[1], c.index);
        if (c.index >= 0.0) {
            const double tb = b.cas_t[1][m] / 0.04, B2 = b.cas_B2eff[1][m];
            const double stagger = 20.0 + 10.0 * tb + 0.5 * B2;
            EXPECT_NEAR(b.cas_Byct[1][m], stagger, 1e-9);
            EXPECT_NEAR(b.cas_B1g[1][m], 180.0 - (stagger + 35.0), 1e-9);
            EXPECT_EQ(b.cas_bx[1][m], 0.04);
            EXPECT_EQ(b.cas_b[1][m], 0.04);
            EXPECT_NEAR(b.cas_r2[1][m], 0.02 * 0.04, 1e-15);
        } else {
            const double a1 = 180.0 - b.cas_B1[1][m], a2 = b.cas_B2g[1][m];
            EXPECT_NEAR(b.cas_Byct[1][m], BetaUst(a1, a2, 0), 1e-12);
        }
    }
    b.atlas_s = nullptr;
}

}  // namespace
