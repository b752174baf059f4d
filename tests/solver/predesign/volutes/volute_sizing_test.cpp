#include <gtest/gtest.h>

#include <cmath>

#include "solver/predesign/volute_design.h"

namespace {

using h2::predesign::volin_size;
using h2::predesign::volout_section;

constexpr double kRel = 1e-9;
constexpr double kDeg = 0.01745329;
constexpr double kUntouched = -7.0;

// Outlet section of a ring 0.432 m across and 0.0126 m wide at 135 m/s.
struct SectionCase {
    double alpha;
    double Dk, bk, hk, ck;
};

class OutletSection : public ::testing::TestWithParam<SectionCase> {};

TEST_P(OutletSection, MatchesTheVelocityLawAndContinuity) {
    const SectionCase& p = GetParam();
    const double D = 0.432, b = 0.0126, c = 135.0;
    double Dk = kUntouched, bk = kUntouched, hk = kUntouched, ck = kUntouched;
    ASSERT_EQ(volout_section(1, D, b, p.alpha, c, &Dk, &bk, &hk, &ck), 0);
    EXPECT_NEAR(Dk, p.Dk, kRel * p.Dk);
    EXPECT_NEAR(bk, p.bk, kRel * p.bk);
    EXPECT_NEAR(hk, p.hk, kRel * p.hk);
    EXPECT_NEAR(ck, p.ck, kRel * p.ck);
    // Continuity: the radial inflow through the ring (3.1416 D b) leaves the
    // section bk x hk at ck; the section is 1.2732 times as high as wide and
    // stands on the ring.
    double a = p.alpha > 90.0 ? 180.0 - p.alpha : p.alpha;
    a = std::fmin(std::fmax(a, 5.0), 32.0);
    const double radial_flow = std::sin(a * kDeg) * c * 3.1416 * D * b;
    EXPECT_NEAR(bk * hk * ck, radial_flow, kRel * radial_flow);
    EXPECT_NEAR(hk / bk, 1.2732, kRel);
    EXPECT_NEAR(Dk - D, 2.0 * hk, kRel * hk);
}

// Hand values: ck = 1.82 c cos(a) a^-0.357 with a folded into 5..32 degrees.
INSTANTIATE_TEST_SUITE_P(
    Angles, OutletSection,
    ::testing::Values(SectionCase{30.0, 0.737021884, 0.119785534, 0.152510942, 63.1834767},
                      SectionCase{150.0, 0.737021884, 0.119785534, 0.152510942, 63.1834767},
                      SectionCase{2.0, 0.5182357237, 0.0338657413, 0.0431178618, 137.789806873},
                      SectionCase{5.0, 0.5182357237, 0.0338657413, 0.0431178618, 137.789806873},
                      SectionCase{178.0, 0.5182357237, 0.0338657413, 0.0431178618, 137.789806873},
                      SectionCase{32.0, 0.7530029703, 0.1260614869, 0.1605014852, 60.4626418956},
                      SectionCase{60.0, 0.7530029703, 0.1260614869, 0.1605014852, 60.4626418956},
                      SectionCase{120.0, 0.7530029703, 0.1260614869, 0.1605014852, 60.4626418956}));

TEST(OutletSectionRefusal, WritesNothing) {
    struct Bad {
        int enable;
        double D, b, alpha, c;
    };
    for (const Bad& bad : {Bad{0, 0.432, 0.0126, 30.0, 135.0}, Bad{1, 0.432, 0.0126, 30.0, 0.0},
                           Bad{1, 0.432, 0.0126, 30.0, -5.0}, Bad{1, 0.0, 0.0126, 30.0, 135.0},
                           Bad{1, 0.432, -0.01, 30.0, 135.0}, Bad{1, 0.432, 0.0126, NAN, 135.0},
                           Bad{1, NAN, 0.0126, 30.0, 135.0}}) {
        double Dk = kUntouched, bk = kUntouched, hk = kUntouched, ck = kUntouched;
        EXPECT_EQ(volout_section(bad.enable, bad.D, bad.b, bad.alpha, bad.c, &Dk, &bk, &hk, &ck), 1);
        for (double out : {Dk, bk, hk, ck}) EXPECT_EQ(out, kUntouched);
    }
}

// End sections of an inlet volute at r 0.1, b 0.02, A 20 degrees.
struct EndCase {
    int form;
    double R, S, h;
};

class InletEndSection : public ::testing::TestWithParam<EndCase> {};

TEST_P(InletEndSection, MatchesItsSectionLaw) {
    const EndCase& p = GetParam();
    const double r = 0.1, b = 0.02, A = 20.0;
    double R = kUntouched, S = kUntouched, h = kUntouched;
    ASSERT_EQ(volin_size(p.form, r, b, A, b, &R, &S, &h), 0);
    EXPECT_NEAR(R, p.R, kRel * p.R);
    EXPECT_NEAR(S, p.S, kRel * p.S);
    EXPECT_NEAR(h, p.h, kRel * p.h);
    const double r0 = 1.05 * r;
    const double turn_tan = 6.2831853 * std::tan(A * kDeg);
    EXPECT_NEAR(R - r0, h, 1e-12);
    switch (p.form) {
        case 1:  // constant angular momentum across 5 b: 5 b ln(R / r0) = b 2 pi tan A
            EXPECT_NEAR(5.0 * b * std::log(R / r0), b * turn_tan, kRel);
            EXPECT_NEAR(S, 5.0 * b * h, kRel * S);
            break;
        case 2:  // linear law: the section widens from b to (1 + t) b over R = (1 + t) r0
            EXPECT_NEAR(R / r0, 1.0 + turn_tan, kRel);
            EXPECT_NEAR(S, (b + R / r0 * b) * h / 2.0, kRel * S);
            break;
        default:  // square: its area over the mean radius grows with the exit's swirl flux
            EXPECT_NEAR(S, h * h, kRel * S);
            EXPECT_NEAR(S / (r0 + h / 2.0), 6.2831853 * b * turn_tan, kRel);
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, InletEndSection,
                         ::testing::Values(EndCase{1, 0.165892296837, 0.00608922968369, 0.0608922968369},
                                           EndCase{2, 0.345123667031, 0.0102938424329, 0.240123667031},
                                           EndCase{3, 0.364824911659, 0.0675089847185, 0.259824911659}));

TEST(InletEndSectionLimits, NoSwirlAndTheAngleBound) {
    for (int form : {1, 2, 3}) {
        double R = kUntouched, S = kUntouched, h = kUntouched;
        ASSERT_EQ(volin_size(form, 0.1, 0.02, 0.0, 0.02, &R, &S, &h), 0);
        EXPECT_NEAR(R, 0.105, 1e-15);
        EXPECT_EQ(S, 0.0);
        EXPECT_EQ(h, 0.0);
        EXPECT_EQ(volin_size(form, 0.1, 0.02, 89.0, 0.02, &R, &S, &h), 0);
    }
    struct Refusal {
        int form;
        double A;
        int result;
    };
    for (const Refusal& c :
         {Refusal{1, 89.0001, 1}, Refusal{2, 90.0, 1}, Refusal{3, NAN, 1}, Refusal{4, 20.0, 2},
          Refusal{0, 20.0, 2}, Refusal{-1, 20.0, 2}, Refusal{4, 95.0, 1}}) {
        double R = kUntouched, S = kUntouched, h = kUntouched;
        EXPECT_EQ(volin_size(c.form, 0.1, 0.02, c.A, 0.02, &R, &S, &h), c.result) << c.form << ' ' << c.A;
        for (double out : {R, S, h}) EXPECT_EQ(out, kUntouched);
    }
}

TEST(InletEndSectionLimits, WidthOfTheSpiralIsTheSecondWidth) {
    double R1 = 0, S1 = 0, h1 = 0, R2 = 0, S2 = 0, h2 = 0;
    ASSERT_EQ(volin_size(1, 0.1, 0.02, 20.0, 0.02, &R1, &S1, &h1), 0);
    ASSERT_EQ(volin_size(1, 0.1, 0.02, 20.0, 0.04, &R2, &S2, &h2), 0);
    // twice as wide a section needs half the radial growth in the log
    EXPECT_NEAR(std::log(R2 / 0.105), std::log(R1 / 0.105) / 2.0, 1e-12);
    EXPECT_NEAR(S2 / h2, 0.2, 1e-12);
}

}  // namespace
