#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "case/truncated_pi.h"
#include "solver/solver_internal.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"

namespace {

using h2::kDegree;

class Streamlines : public h2::test::LiveCaseTest {
protected:
    void groups(const char* text) {
        std::memset(block()->sl_groups, 0, sizeof block()->sl_groups);
        std::memcpy(block()->sl_groups, text, std::min(std::strlen(text), sizeof block()->sl_groups));
    }
    // Outlet points (x[i], r[i]) of elements 0..ns on every streamline, the
    // given radius plus offset j on streamline j.
    void points(const std::vector<double>& x, const std::vector<double>& r, double offset = 0.0) {
        for (int i = 0; i <= block()->cyld_ns; ++i)
            for (int j = 0; j < block()->cyld_nr; ++j) {
                block()->cas_x2[i][j] = x[static_cast<std::size_t>(i)];
                block()->flow_r2[i][j] = r[static_cast<std::size_t>(i)] + offset * j;
            }
    }
    void set_angle(int i, int j, double deg) {
        block()->cas_t2[i][j] = deg;
        block()->cas_sinT2[i][j] = std::sin(deg * kDegree);
        block()->cas_cosT2[i][j] = std::cos(deg * kDegree);
    }
};

double deg(double slope) { return std::atan(slope) / kDegree; }

TEST_F(Streamlines, GroupStringsParseIntoElementRuns) {
    struct Case {
        const char* text;
        int ns;
        int result, count;
        std::vector<std::vector<int>> rows;
    };
    const Case cases[] = {
        {"", 6, 0, 0, {}},
        {"      ", 6, 0, 0, {}},
        {"((", 6, -3, 1, {}},
        {")", 6, -2, 0, {}},
        {"(oo", 6, -1, 3, {}},
        {"(oo)(o)", 6, 2, 7, {{0, 1, 2, 3}, {4, 5, 6}}},
        // Characters outside every group belong to none.
        {"(o)o", 6, 1, 4, {{0, 1, 2}}},
        {"(o)xx", 6, 1, 3, {{0, 1, 2}}},
        {"( o)", 6, 1, 3, {{0, 2, 3}}},
        // Characters past the last element are not read.
        {"(o)(o)", 3, -1, 4, {}},
        {"(o)(o)(o)(o)(o)(oo)",
         100,
         6,
         19,
         {{0, 1, 2}, {3, 4, 5}, {6, 7, 8}, {9, 10, 11}, {12, 13, 14}, {15, 16, 17, 18}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        block()->cyld_ns = c.ns;
        groups(c.text);
        std::vector<std::vector<int>> rows{{99}};
        int count = -7;
        EXPECT_EQ(h2::parse_streamline_groups(&rows, &count), c.result);
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(rows, c.rows);
    }
}

TEST_F(Streamlines, LongPathAndFullStringStayInsideTheText) {
    allocate(100, 1);
    std::string text(100, 'o');
    text[0] = '(';
    text[99] = ')';
    std::memcpy(block()->sl_groups, text.data(), 100);  // no terminating NUL
    std::vector<std::vector<int>> rows;
    int count = 0;
    ASSERT_EQ(h2::parse_streamline_groups(&rows, &count), 1);
    EXPECT_EQ(count, 100);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].size(), 100u);  // element 100 belongs to no group
    for (int i = 0; i <= 100; ++i) {
        block()->cas_x2[i][0] = 0.01 * i;
        block()->flow_r2[i][0] = 0.3 + 0.1 * block()->cas_x2[i][0];
    }
    EXPECT_EQ(build_streamlines(2, 2, 0), 0);
    EXPECT_NEAR(block()->cas_t2[50][0], deg(0.1), 1e-9);
    EXPECT_EQ(block()->cas_t2[100][0], 0.0);
}

TEST_F(Streamlines, ParseFailurePrintsAndBuildsWithoutGroups) {
    allocate(4, 1);
    points({0, 0.1, 0.2, 0.3, 0.4}, {0.3, 0.35, 0.4, 0.45, 0.5});
    for (const char* text : {"", "((o"}) {
        groups(text);
        h2::test::CapturedConsole out;
        EXPECT_EQ(build_streamlines(2, 2, 1), 0);
        const std::string expected = std::string("Error ") + (text[0] ? "3" : "0") + " parsing streamline \n";
        EXPECT_NE(out.text().find(expected), std::string::npos) << out.text();
        EXPECT_NEAR(block()->cas_t2[2][0], deg(0.5), 1e-9);
    }
}

// Outlet points on r = 0.3 + 0.2 x^2: slope 0.4 x, curvature 0.4 / (1 + 0.16 x^2)^1.5.
TEST_F(Streamlines, SplinesFollowAParabola) {
    const std::vector<double> x{0, 0.1, 0.2, 0.3, 0.4};
    std::vector<double> r;
    for (double v : x) r.push_back(0.3 + 0.2 * v * v);
    struct Case {
        int kind;
        double angle_tol, curvature_tol;
    };
    // The clamped spline reproduces a parabola; the natural one has zero
    // curvature at its ends instead of 0.4, an error that decays inwards by
    // about 2 - sqrt(3) per knot: up to 0.12 in curvature, 0.2 deg in angle.
    for (const Case& c : {Case{1, 1e-9, 1e-9}, Case{2, 0.2, 0.12}}) {
        SCOPED_TRACE(c.kind);
        allocate(4, 1);
        points(x, r);
        set_angle(0, 0, deg(0.0));
        set_angle(4, 0, deg(0.16));
        ASSERT_EQ(build_streamlines(2, c.kind, 0), 0);
        for (int i = 1; i < 4; ++i) {
            const double xi = x[static_cast<std::size_t>(i)];
            EXPECT_NEAR(block()->cas_t2[i][0], deg(0.4 * xi), c.angle_tol) << i;
            EXPECT_NEAR(block()->cas_sinT2[i][0], std::sin(std::atan(0.4 * xi)), c.angle_tol) << i;
            EXPECT_NEAR(block()->cas_kapa2[i][0], 0.4 / std::pow(1 + 0.16 * xi * xi, 1.5), c.curvature_tol)
                << i;
        }
        if (c.kind == 2) {
            EXPECT_EQ(block()->cas_kapa2[0][0], 0.0);
            EXPECT_EQ(block()->cas_kapa2[4][0], 0.0);
        }
        const Point2* row = block()->stream_grid;
        for (int k = 0; k <= 40; ++k) {
            EXPECT_NEAR(row[k].x, 0.01 * k, 1e-12);
            if (c.kind == 1) {
                EXPECT_NEAR(row[k].y, 0.3 + 0.2 * row[k].x * row[k].x, 1e-12);
            }
        }
        EXPECT_NEAR(row[40].y, r[4], 1e-12);
        bterm();
        ASSERT_NE(binit(), nullptr);
    }
}

TEST_F(Streamlines, NurbsThroughACircleHasItsCurvature) {
    allocate(6, 1);
    std::vector<double> x, r;
    for (int i = 0; i <= 6; ++i) {
        const double phi = (120.0 - 10.0 * i) * kDegree;
        x.push_back(0.5 * std::cos(phi));
        r.push_back(0.5 * std::sin(phi));
    }
    points(x, r);
    ASSERT_EQ(build_streamlines(2, 3, 0), 0);
    for (int i = 2; i <= 4; ++i) {
        // Radius 0.5; the slope falls along the arc, so the curvature is negative.
        EXPECT_NEAR(block()->cas_kapa2[i][0], -2.0, 0.1) << i;
        EXPECT_NEAR(block()->cas_t2[i][0],
                    deg(-x[static_cast<std::size_t>(i)] / r[static_cast<std::size_t>(i)]), 1.0)
            << i;
    }
    const Point2* row = block()->stream_grid;
    for (int k = 0; k <= 60; ++k) EXPECT_NEAR(std::hypot(row[k].x, row[k].y), 0.5, 2e-3) << k;
    EXPECT_NEAR(row[60].x, x[6], 1e-9);
}

// Control points (0, 0), (1, 0), (2, 2): the curve (2t, 2t^2), so y = x^2 / 2.
TEST_F(Streamlines, BezierTakesEachElementAtItsControlParameter) {
    allocate(2, 1);
    points({0, 1, 2}, {0, 0, 2});
    ASSERT_EQ(build_streamlines(2, 4, 0), 0);
    const double slope[] = {0.0, 1.0, 2.0};
    for (int i = 0; i <= 2; ++i) {
        const double s = slope[i];
        EXPECT_NEAR(block()->cas_t2[i][0], deg(s), 1e-9) << i;
        EXPECT_NEAR(block()->cas_kapa2[i][0], 1.0 / std::pow(1 + s * s, 1.5), 1e-9) << i;
    }
    const Point2* row = block()->stream_grid;
    for (int k = 0; k <= 20; ++k) {
        EXPECT_NEAR(row[k].x, 0.1 * k, 1e-12);
        EXPECT_NEAR(row[k].y, row[k].x * row[k].x / 2, 1e-12);
    }
}

TEST_F(Streamlines, AnglesRelaxFromPassToPass) {
    // A straight streamline of slope 0.5 on three streamlines, old angle 10 deg.
    struct Case {
        int streams, pass;
        double relax, expected;
    };
    const double a = deg(0.5);
    const Case cases[] = {
        {3, 1, 0.3, 0.5 * a},
        {3, 2, 0.3, 10 + 0.3 * (a - 10)},
        {3, 0, 0.3, 10 + 0.3 * (a - 10)},
        {1, 1, 0.3, a},
        {1, 5, 0.3, a},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.streams << " streamlines, pass " << c.pass);
        allocate(2, c.streams);
        block()->RELAX = c.relax;
        points({0, 0.1, 0.2}, {0.3, 0.35, 0.4}, 0.01);
        for (int i = 0; i <= 2; ++i)
            for (int j = 0; j < c.streams; ++j) {
                set_angle(i, j, 10.0);
                block()->cas_kapa2[i][j] = 1.0;
            }
        ASSERT_EQ(build_streamlines(c.pass, 2, 0), 0);
        const double kapa = c.streams == 1 ? 0.0 : 1.0 - c.relax;
        for (int j = 0; j < c.streams; ++j) {
            EXPECT_NEAR(block()->cas_t2[1][j], c.expected, 1e-9);
            EXPECT_NEAR(block()->cas_cosT2[1][j], std::cos(c.expected * kDegree), 1e-12);
            EXPECT_NEAR(block()->cas_kapa2[1][j], kapa, 1e-9);
        }
        bterm();
        ASSERT_NE(binit(), nullptr);
    }
}

TEST_F(Streamlines, UnknownKindFailsWithItsMessage) {
    allocate(2, 1);
    points({0, 0.1, 0.2}, {0.3, 0.35, 0.4});
    set_angle(1, 0, 7.0);
    h2::test::CapturedConsole out;
    EXPECT_EQ(build_streamlines(2, 0, 1), 1);
    EXPECT_NE(out.text().find("Error: can't build  Line.\n"), std::string::npos) << out.text();
    EXPECT_EQ(block()->cas_t2[1][0], 7.0);
    h2::test::CapturedConsole quiet;
    EXPECT_EQ(build_streamlines(2, 0, 0), 1);
    EXPECT_EQ(quiet.text().find("Error"), std::string::npos);
}

class RelaxStreamlines : public Streamlines {
protected:
    // tan(theta) = 0.1 + 0.2 j across the span of every element.
    void make(int streams) {
        allocate(2, streams);
        block()->RELAX = 1.0;
        block()->ZAG = 0.5;
        for (int i = 0; i <= 2; ++i)
            for (int j = 0; j < streams; ++j) set_angle(i, j, deg(0.1 + 0.2 * j));
    }
};

TEST_F(RelaxStreamlines, LinearSlopeAcrossTheSpanGivesUniformGradient) {
    for (int streams : {2, 3, 5}) {
        SCOPED_TRACE(streams);
        make(streams);
        block()->los_policy = 2;
        block()->elem_sectType[2] = 1.0;  // radial outlets keep their gradient
        for (int j = 0; j < streams; ++j) {
            block()->flow_ucu2[1][j] = 100.0 + 50.0 * j;
            block()->cas_tgz[2][j] = 9.0;
        }
        EXPECT_EQ(relax_streamlines(2, 1, 0), 0);
        for (int j = 0; j < streams; ++j) {
            EXPECT_NEAR(block()->cas_tgz[1][j], 0.4, 1e-9) << j;
            EXPECT_NEAR(block()->flow_ucuz[1][j], 100.0, 1e-9) << j;
            EXPECT_EQ(block()->cas_tgz[2][j], 9.0);
        }
        bterm();
        ASSERT_NE(binit(), nullptr);
    }
}

TEST_F(RelaxStreamlines, EarlyPassesOnlyPrint) {
    make(3);
    for (int pass : {0, 1}) {
        h2::test::CapturedConsole out;
        EXPECT_EQ(relax_streamlines(pass, 1, 1), 0);
        EXPECT_EQ(block()->cas_tgz[1][1], 0.0);
        const std::string text = out.text();
        EXPECT_NE(
            text.find(
                "   i   j            x            r         teta         kapa         tgtz           iz "
                "(Spline1)\n"),
            std::string::npos)
            << text;
        // Three streamlines: a blank line closes each element.
        EXPECT_NE(text.find("\n   2   0"), std::string::npos) << text;
        EXPECT_NE(text.find("\n\n\n"), std::string::npos) << text;
    }
}

}  // namespace
