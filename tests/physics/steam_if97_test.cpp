// The IF97 equations behind flxs, against the verification tables that the
// IAPWS releases print for each equation (values to the digits printed).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "plugins/fluids/if97.h"

namespace {

namespace w = h2::if97;

// Half a unit of the last printed digit, for a value printed with `digits`
// significant digits.
void expect_digits(double got, double want, int digits = 9) {
    const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(want))) - (digits - 1));
    EXPECT_NEAR(got, want, 0.5 * unit * 1.0001) << "want " << want;
}

// ---- Basic equations: IF97 tables 5, 15, 33, 42 (SI: MPa, kJ -> Pa, J) ------------------

struct Basic {
    int region;
    double T, p_or_rho;          // p in MPa (regions 1, 2, 5), rho in kg/m^3 (region 3)
    double v_or_p, h, s, cp, w;  // v m^3/kg (region 3: p MPa), h kJ/kg, s, cp kJ/(kg K), w m/s
};

class BasicEquations : public ::testing::TestWithParam<Basic> {};

TEST_P(BasicEquations, MatchTheVerificationTable) {
    const Basic& b = GetParam();
    w::State st;
    switch (b.region) {
        case 1:
            st = w::region1(b.p_or_rho * 1e6, b.T);
            break;
        case 2:
            st = w::region2(b.p_or_rho * 1e6, b.T);
            break;
        case 3:
            st = w::region3(b.p_or_rho, b.T);
            break;
        default:
            st = w::region5(b.p_or_rho * 1e6, b.T);
            break;
    }
    if (b.region == 3)
        expect_digits(st.p / 1e6, b.v_or_p);
    else
        expect_digits(st.v, b.v_or_p);
    expect_digits(st.h / 1e3, b.h);
    expect_digits(st.s / 1e3, b.s);
    expect_digits(st.cp / 1e3, b.cp);
    expect_digits(st.w, b.w);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, BasicEquations,
    ::testing::Values(
        Basic{1, 300, 3, 0.100215168e-2, 0.115331273e3, 0.392294792, 0.417301218e1, 0.150773921e4},
        Basic{1, 300, 80, 0.971180894e-3, 0.184142828e3, 0.368563852, 0.401008987e1, 0.163469054e4},
        Basic{1, 500, 3, 0.120241800e-2, 0.975542239e3, 0.258041912e1, 0.465580682e1, 0.124071337e4},
        Basic{2, 300, 0.0035, 0.394913866e2, 0.254991145e4, 0.852238967e1, 0.191300162e1, 0.427920172e3},
        Basic{2, 700, 0.0035, 0.923015898e2, 0.333568375e4, 0.101749996e2, 0.208141274e1, 0.644289068e3},
        Basic{2, 700, 30, 0.542946619e-2, 0.263149474e4, 0.517540298e1, 0.103505092e2, 0.480386523e3},
        Basic{3, 650, 500, 0.255837018e2, 0.186343019e4, 0.405427273e1, 0.138935717e2, 0.502005554e3},
        Basic{3, 650, 200, 0.222930643e2, 0.237512401e4, 0.485438792e1, 0.446579342e2, 0.383444594e3},
        Basic{3, 750, 500, 0.783095639e2, 0.225868845e4, 0.446971906e1, 0.634165359e1, 0.760696041e3},
        Basic{5, 1500, 0.5, 0.138455090e1, 0.521976855e4, 0.965408875e1, 0.261609445e1, 0.917068690e3},
        Basic{5, 1500, 30, 0.230761299e-1, 0.516723514e4, 0.772970133e1, 0.272724317e1, 0.928548002e3},
        Basic{5, 2000, 30, 0.311385219e-1, 0.657122604e4, 0.853640523e1, 0.288569882e1, 0.106736948e4}));

TEST(SaturationLine, MatchesTheVerificationTables) {
    expect_digits(w::p_sat(300) / 1e6, 0.353658941e-2);
    expect_digits(w::p_sat(500) / 1e6, 0.263889776e1);
    expect_digits(w::p_sat(600) / 1e6, 0.123443146e2);
    expect_digits(w::T_sat(0.1e6), 0.372755919e3);
    expect_digits(w::T_sat(1e6), 0.453035632e3);
    expect_digits(w::T_sat(10e6), 0.584149488e3);
    // The B23 boundary: 623.15 K at 16.5291643 MPa.
    expect_digits(w::p_b23(623.15) / 1e6, 0.165291643e2);
    expect_digits(w::T_b23(0.165291643e8), 0.623150000e3);
}

TEST(SaturationLine, SlopeIsTheDerivativeOfThePressure) {
    for (double T : {280.0, 373.15, 500.0, 640.0}) {
        const double d = 1e-4;
        const double numeric = (w::p_sat(T + d) - w::p_sat(T - d)) / (2 * d);
        EXPECT_NEAR(w::dp_sat_dT(T), numeric, 1e-7 * numeric) << T;
    }
}

// ---- Backward equations, each alone -------------------------------------------------------

struct Backward {
    const char* which;
    int region;
    double x, y;  // (p MPa, h kJ/kg), (p MPa, s kJ/(kg K)) or (h, s)
    double want;  // T K, v m^3/kg or p MPa
};

double evaluate(const Backward& b) {
    const std::string w_ = b.which;
    if (w_ == "T(p,h)") return w::T_ph_backward(b.region, b.x * 1e6, b.y * 1e3);
    if (w_ == "T(p,s)") return w::T_ps_backward(b.region, b.x * 1e6, b.y * 1e3);
    if (w_ == "v(p,h)") return w::v_ph_backward(b.x * 1e6, b.y * 1e3);
    if (w_ == "v(p,s)") return w::v_ps_backward(b.x * 1e6, b.y * 1e3);
    return w::p_hs_backward(b.region, b.x * 1e3, b.y * 1e3) / 1e6;
}

class BackwardEquations : public ::testing::TestWithParam<Backward> {};

TEST_P(BackwardEquations, MatchTheirVerificationTables) {
    const Backward& b = GetParam();
    expect_digits(evaluate(b), b.want);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, BackwardEquations,
    ::testing::Values(
        // 1997 release, tables 7, 9, 24, 29.
        Backward{"T(p,h)", 1, 3, 500, 0.391798509e3}, Backward{"T(p,h)", 1, 80, 500, 0.378108626e3},
        Backward{"T(p,h)", 1, 80, 1500, 0.611041229e3}, Backward{"T(p,s)", 1, 3, 0.5, 0.307842258e3},
        Backward{"T(p,s)", 1, 80, 0.5, 0.309979785e3}, Backward{"T(p,s)", 1, 80, 3, 0.565899909e3},
        Backward{"T(p,h)", 2, 0.001, 3000, 0.534433241e3}, Backward{"T(p,h)", 2, 3, 3000, 0.575373370e3},
        Backward{"T(p,h)", 2, 3, 4000, 0.101077577e4}, Backward{"T(p,h)", 2, 5, 3500, 0.801299102e3},
        Backward{"T(p,h)", 2, 5, 4000, 0.101531583e4}, Backward{"T(p,h)", 2, 25, 3500, 0.875279054e3},
        Backward{"T(p,h)", 2, 40, 2700, 0.743056411e3}, Backward{"T(p,h)", 2, 60, 2700, 0.791137067e3},
        Backward{"T(p,h)", 2, 60, 3200, 0.882756860e3}, Backward{"T(p,s)", 2, 0.1, 7.5, 0.399517097e3},
        Backward{"T(p,s)", 2, 0.1, 8, 0.514127081e3}, Backward{"T(p,s)", 2, 2.5, 8, 0.103984917e4},
        Backward{"T(p,s)", 2, 8, 6, 0.600484040e3}, Backward{"T(p,s)", 2, 8, 7.5, 0.106495556e4},
        Backward{"T(p,s)", 2, 90, 6, 0.103801126e4}, Backward{"T(p,s)", 2, 20, 5.75, 0.697992849e3},
        Backward{"T(p,s)", 2, 80, 5.25, 0.854011484e3}, Backward{"T(p,s)", 2, 80, 5.75, 0.949017998e3},
        // 2001 supplementary release, p(h,s) of regions 1 and 2.
        Backward{"p(h,s)", 1, 0.001, 0, 0.9800980612e-3}, Backward{"p(h,s)", 1, 90, 0, 0.9192954727e2},
        Backward{"p(h,s)", 1, 1500, 3.4, 0.5868294423e2}, Backward{"p(h,s)", 2, 2800, 6.5, 0.1371012767e1},
        Backward{"p(h,s)", 2, 2800, 9.5, 0.1879743844e-2}, Backward{"p(h,s)", 2, 4100, 9.5, 0.1024788997},
        Backward{"p(h,s)", 2, 2800, 6, 0.4793911442e1}, Backward{"p(h,s)", 2, 3600, 6, 0.8395519209e2},
        Backward{"p(h,s)", 2, 3600, 7, 0.7527161441e1}, Backward{"p(h,s)", 2, 2800, 5.1, 0.9439202060e2},
        Backward{"p(h,s)", 2, 2800, 5.8, 0.8414574124e1}, Backward{"p(h,s)", 2, 3400, 5.8, 0.8376903879e2},
        // 2003 supplementary release, region 3 T(p,h), v(p,h), T(p,s), v(p,s).
        Backward{"T(p,h)", 3, 20, 1700, 0.6293083892e3}, Backward{"T(p,h)", 3, 50, 2000, 0.6905718338e3},
        Backward{"T(p,h)", 3, 100, 2100, 0.7336163014e3}, Backward{"T(p,h)", 3, 20, 2500, 0.6418418053e3},
        Backward{"T(p,h)", 3, 50, 2400, 0.7351848618e3}, Backward{"T(p,h)", 3, 100, 2700, 0.8420460876e3},
        Backward{"v(p,h)", 3, 20, 1700, 0.1749903962e-2}, Backward{"v(p,h)", 3, 50, 2000, 0.1908139035e-2},
        Backward{"v(p,h)", 3, 100, 2100, 0.1676229776e-2}, Backward{"v(p,h)", 3, 20, 2500, 0.6670547043e-2},
        Backward{"v(p,h)", 3, 50, 2400, 0.2801244590e-2}, Backward{"v(p,h)", 3, 100, 2700, 0.2404234998e-2},
        Backward{"T(p,s)", 3, 20, 3.8, 0.6282959869e3}, Backward{"T(p,s)", 3, 50, 3.6, 0.6297158726e3},
        Backward{"T(p,s)", 3, 100, 4.0, 0.7056880237e3}, Backward{"T(p,s)", 3, 20, 5.0, 0.6401176443e3},
        Backward{"T(p,s)", 3, 50, 4.5, 0.7163687517e3}, Backward{"T(p,s)", 3, 100, 5.0, 0.8474332825e3},
        Backward{"v(p,s)", 3, 20, 3.8, 0.1733791463e-2}, Backward{"v(p,s)", 3, 50, 3.6, 0.1469680170e-2},
        Backward{"v(p,s)", 3, 100, 4.0, 0.1555893131e-2}, Backward{"v(p,s)", 3, 20, 5.0, 0.6262101987e-2},
        Backward{"v(p,s)", 3, 50, 4.5, 0.2332634294e-2}, Backward{"v(p,s)", 3, 100, 5.0, 0.2449610757e-2},
        // 2004 supplementary release, region 3 p(h,s).
        Backward{"p(h,s)", 3, 1700, 3.8, 0.2555703246e2}, Backward{"p(h,s)", 3, 2000, 4.2, 0.4540873468e2},
        Backward{"p(h,s)", 3, 2100, 4.3, 0.6078123340e2}, Backward{"p(h,s)", 3, 2600, 5.1, 0.3434999263e2},
        Backward{"p(h,s)", 3, 2400, 4.7, 0.6363924887e2}, Backward{"p(h,s)", 3, 2700, 5.0, 0.8839043281e2}));

// ---- Refined inverses agree with the basic equations to rounding -------------------------

struct PT {
    double p, T;
};

// p from (h, s) or (rho, h) is conditioned by h/(p v): a liquid at a few kPa
// cannot return its pressure to 1e-12, so the liquid points here are at MPa.
class Inverses : public ::testing::TestWithParam<PT> {};

TEST_P(Inverses, RoundTripThroughTheBasicEquations) {
    const PT& c = GetParam();
    w::State st;
    ASSERT_TRUE(w::point_pT(c.p, c.T, st));
    w::Point pt;
    ASSERT_TRUE(w::point_ph(c.p, st.h, pt));
    EXPECT_NEAR(pt.one.T, c.T, 1e-12 * c.T);
    ASSERT_TRUE(w::point_ps(c.p, st.s, pt));
    EXPECT_NEAR(pt.one.T, c.T, 1e-12 * c.T);
    EXPECT_NEAR(pt.one.h, st.h, 1e-12 * std::fabs(st.h));
    ASSERT_TRUE(w::point_hs(st.h, st.s, pt));
    EXPECT_NEAR(pt.one.p, c.p, 1e-12 * c.p);
    ASSERT_TRUE(w::point_rhoh(1.0 / st.v, st.h, pt));
    EXPECT_NEAR(pt.one.p, c.p, 1e-12 * c.p);
}

INSTANTIATE_TEST_SUITE_P(AllRegions, Inverses,
                         ::testing::Values(PT{3e6, 300}, PT{80e6, 500}, PT{1e3, 290}, PT{3500, 300},
                                           PT{0.1e6, 400}, PT{30e6, 700}, PT{5e6, 1000}, PT{25e6, 650},
                                           PT{40e6, 700}, PT{100e6, 800}, PT{20e6, 640}, PT{22.1e6, 647.2},
                                           PT{0.5e6, 1500}, PT{45e6, 2200}));

TEST(WetRegion, PhasesMixByDryness) {
    // 0.1 MPa, x = 0.9 (phases from regions 1 and 2) and 18 MPa, x = 0.3
    // (phases from region 3).
    w::Point pt;
    ASSERT_TRUE(w::point_px(0.1e6, 0.9, pt));
    EXPECT_NEAR(pt.one.h, 2449198.325, 0.0005);
    EXPECT_NEAR(pt.one.s, 6753.18199, 0.000005);
    EXPECT_NEAR(1.0 / pt.one.v, 0.65585615, 0.000000005);
    EXPECT_NEAR(w::wet_sound_speed(pt), 414.9393, 0.00005);
    ASSERT_TRUE(w::point_px(18e6, 0.3, pt));
    EXPECT_EQ(pt.liq.region, 3);
    EXPECT_EQ(pt.vap.region, 3);
    EXPECT_NEAR(pt.one.h, 1965275.263, 0.0005);
    EXPECT_NEAR(1.0 / pt.one.v, 282.70586, 0.000005);
    // The region-3 phases lie on the saturation line: their pressure is p_s(T_s).
    EXPECT_NEAR(w::region3(1.0 / pt.liq.v, pt.liq.T).p, 18e6, 1e-9 * 18e6);
    EXPECT_NEAR(w::region3(1.0 / pt.vap.v, pt.vap.T).p, 18e6, 1e-9 * 18e6);
}

TEST(WetRegion, InversesFindTheDryness) {
    for (double p : {2e3, 0.1e6, 5e6, 18e6, 21e6}) {
        for (double x : {0.05, 0.5, 0.95}) {
            w::Point wet;
            ASSERT_TRUE(w::point_px(p, x, wet));
            w::Point pt;
            ASSERT_TRUE(w::point_ph(p, wet.one.h, pt));
            EXPECT_NEAR(pt.x, x, 1e-12) << p;
            ASSERT_TRUE(w::point_ps(p, wet.one.s, pt));
            EXPECT_NEAR(pt.one.h, wet.one.h, 1e-12 * wet.one.h) << p;
            ASSERT_TRUE(w::point_hs(wet.one.h, wet.one.s, pt));
            EXPECT_NEAR(pt.one.p, p, 1e-12 * p) << p << " " << x;
            ASSERT_TRUE(w::point_rhoh(1.0 / wet.one.v, wet.one.h, pt));
            EXPECT_NEAR(pt.one.p, p, 1e-11 * p) << p << " " << x;
        }
    }
}

TEST(WetRegion, SoundSpeedIsWhereTheMassFluxPeaksAlongTheIsentrope) {
    // Expanding from rest at (p0, s), the mass flux rho sqrt(2 (h0 - h))
    // peaks where the flow speed equals the speed of sound.
    for (double p0 : {0.05e6, 1e6}) {
        w::Point start;
        ASSERT_TRUE(w::point_px(p0, 0.97, start));
        const double s = start.one.s, h0 = start.one.h;
        auto flux = [&](double p) {
            w::Point pt;
            w::point_ps(p, s, pt);
            return std::sqrt(2.0 * (h0 - pt.one.h)) / pt.one.v;
        };
        double a = 0.3 * p0, b = 0.8 * p0;
        const double g = (std::sqrt(5.0) - 1.0) / 2.0;
        for (int i = 0; i < 80; ++i) {
            const double c = b - g * (b - a), d = a + g * (b - a);
            if (flux(c) > flux(d))
                b = d;
            else
                a = c;
        }
        w::Point throat;
        ASSERT_TRUE(w::point_ps(0.5 * (a + b), s, throat));
        ASSERT_EQ(throat.region, 4);
        EXPECT_NEAR(std::sqrt(2.0 * (h0 - throat.one.h)), w::wet_sound_speed(throat), 1e-4 * 400);
    }
}

TEST(Transport, ViscosityMatchesTheReleaseTable) {
    // IAPWS 2008, table 4 (uPa s to six decimals; mu2 = 1 at these points).
    struct Row {
        double rho, T, mu;
    };
    for (const Row& r :
         {Row{998, 298.15, 889.735100}, Row{1200, 298.15, 1437.649467}, Row{1000, 373.15, 307.883622},
          Row{1, 433.15, 14.538324}, Row{1000, 433.15, 217.685358}, Row{600, 873.15, 77.430195},
          Row{1, 1173.15, 44.217245}})
        EXPECT_NEAR(w::viscosity(r.rho, r.T) * 1e6, r.mu, 5.01e-7) << r.T;
}

TEST(Transport, ConductivityMatchesTheIndustrialTable) {
    const PT points[] = {{20e6, 620}, {0.3e6, 650}, {50e6, 800}};
    const double want[] = {481.485195, 52.2311024, 177.709914};
    for (int i = 0; i < 3; ++i) {
        w::State st;
        ASSERT_TRUE(w::point_pT(points[i].p, points[i].T, st));
        expect_digits(w::conductivity(st) * 1e3, want[i]);
    }
}

TEST(Range, PointsOutsideAreRefused) {
    w::State st;
    w::Point pt;
    EXPECT_FALSE(w::point_pT(1e6, 2500, st));
    EXPECT_FALSE(w::point_pT(60e6, 1500, st));
    EXPECT_FALSE(w::point_pT(150e6, 500, st));
    EXPECT_FALSE(w::point_pT(1e6, 270, st));
    EXPECT_FALSE(w::point_pT(0.0, 500, st));
    EXPECT_FALSE(w::point_pT(NAN, 500, st));
    EXPECT_FALSE(w::point_ph(50, 2.4e6, pt));  // below the triple pressure, colder than 273.15 K
    EXPECT_FALSE(w::point_ph(150e6, 1e6, pt));
    EXPECT_FALSE(w::point_ph(1e6, -1e5, pt));
    EXPECT_FALSE(w::point_ph(60e6, 6e6, pt));  // hotter than 1073.15 K above 50 MPa
    EXPECT_FALSE(w::saturated(500, st, st));
    EXPECT_FALSE(w::saturated(23e6, st, st));
}

}  // namespace
