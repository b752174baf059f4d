#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "blades/cascade.h"
#include "tests/blades/section_shapes.h"
#include "tests/support/golden.h"
#include "tests/support/temp_dir.h"

namespace {

using h2::test::make_shape;
using h2::test::tapered_blade;

constexpr double kROut = 0.01, kRIn = 0.05, kLength = 0.9;

double tangent_angle() {
    return std::acos(-(kRIn - kROut) / kLength);
}  // polar angle of the upper tangent point

TEST(Cascade, ThroatFromTheOutletEdgeToTheNeighboursTangent) {
    // The neighbour's suction side near the outlet is the upper tangent line
    // moved down by t, past the outlet-edge centre: its distance from the
    // centre is t sin(alpha) - r_out, and the throat from the edge circle
    // t sin(alpha) - 2 r_out.
    auto shape = make_shape(tapered_blade(kROut, kRIn, kLength, 15), 50);
    h2::prof_geometry(shape.get());
    const double alpha = tangent_angle();
    for (double t : {0.3, 0.8}) {
        SCOPED_TRACE(t);
        EXPECT_EQ(h2::cascade_throat(shape.get(), t), 14);  // the last point of the outlet arc
        const double throat = t * std::sin(alpha) - 2.0 * kROut;
        EXPECT_NEAR(shape->a, throat, 1e-12);
        EXPECT_EQ(shape->t, t);
        EXPECT_NEAR(shape->B2e, std::asin(throat / t) * 180.0 / 3.14159265358979323846, 1e-9);
    }
    shape->iG = -3;
    EXPECT_EQ(h2::cascade_throat(shape.get(), 0.0), 0);
    EXPECT_EQ(shape->iG, -3);
}

TEST(Cascade, OverlapOfNeighbours) {
    auto shape = make_shape(tapered_blade(kROut, kRIn, kLength, 15), 50);
    h2::prof_geometry(shape.get());
    EXPECT_EQ(h2::cascade_overlap(shape.get(), 0.0), 2);
    EXPECT_EQ(h2::cascade_overlap(shape.get(), 0.3), 0);
    EXPECT_EQ(h2::cascade_overlap(shape.get(), 0.05), 1);  // thinner than the blade at its inlet
}

TEST(Cascade, StaggerSearchRefusesZeroPitchAndRightTurningEnds) {
    const auto points = tapered_blade(kROut, kRIn, kLength, 15);
    auto shape = make_shape(points, 50);
    h2::prof_geometry(shape.get());
    EXPECT_EQ(h2::contour_turns_left(shape->n - 2, shape->points.data()), 0);  // clockwise, on the outlet arc
    EXPECT_EQ(h2::stagger_for_angle(shape.get(), 20.0, 0.0, 1, 1), h2::kNoStagger);
    EXPECT_EQ(h2::stagger_for_angle(shape.get(), 20.0, 0.8, 1, 1), h2::kNoStagger);
    for (size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(shape->points[i].x, points[i].x) << i;  // not turned
        EXPECT_EQ(shape->points[i].y, points[i].y) << i;
    }
    const Point3 left[3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}};
    EXPECT_EQ(h2::contour_turns_left(2, left), 1);
}

// The concave-ended section: its throat at suction-side angle psi is the
// distance t cos(psi) - r from the outlet-edge centre to the neighbour's
// straight suction side, less the edge radius r. The stagger is psi less
// the tilt of the suction side, and a = t sin(B2) gives
// psi = acos(sin(B2) + 2 r / t).
constexpr double kRad = 3.14159265358979323846 / 180.0;

double wanted_stagger(const h2::test::ConcaveEndBlade& blade, double B2, double t) {
    return std::acos(std::sin(B2 * kRad) + 2.0 * blade.r / t) / kRad - blade.suction_tilt();
}

double outlet_angle(const h2::test::ConcaveEndBlade& blade, double stagger, double t) {
    return std::asin(std::cos((stagger + blade.suction_tilt()) * kRad) - 2.0 * blade.r / t) / kRad;
}

TEST(Cascade, StaggerSearchFindsTheWantedThroat) {
    const auto blade = h2::test::concave_end_blade(0.03, 0.12, 1.0, 240.0, 40, 30, 30);
    auto shape = make_shape(blade.points, 50);
    h2::prof_geometry(shape.get());
    ASSERT_EQ(h2::contour_turns_left(shape->n - 2, shape->points.data()), 1);
    struct Case {
        double B2, t;
    };
    for (const Case c : {Case{40.0, 0.8}, Case{25.0, 0.6}, Case{55.0, 1.0}}) {
        SCOPED_TRACE(c.B2);
        const double want = wanted_stagger(blade, c.B2, c.t);
        const double found = h2::stagger_for_angle(shape.get(), c.B2, c.t, 1, 1);
        EXPECT_NEAR(found, want, 0.01);
        EXPECT_NEAR(shape->Byct, found, 1e-9);
        EXPECT_NEAR(shape->rbyx, blade.r, 1e-12);
        EXPECT_NEAR(shape->b, blade.chord(), 1e-12);
        EXPECT_NEAR(shape->a, c.t * std::cos((found + blade.suction_tilt()) * kRad) - 2.0 * blade.r, 1e-9);
        EXPECT_NEAR(shape->B2e, c.B2, 0.02);
        // Without refinement: the scan's stagger (-7, -4, ...) nearest to the
        // wanted outlet angle.
        double best = -7.0;
        for (double s = -7.0; s <= 83.0; s += 3.0) {
            if (std::fabs(outlet_angle(blade, s, c.t) - c.B2) <
                std::fabs(outlet_angle(blade, best, c.t) - c.B2))
                best = s;
        }
        EXPECT_NEAR(h2::stagger_for_angle(shape.get(), c.B2, c.t, 0, 1), best, 1e-9);
        EXPECT_NEAR(shape->B2e, outlet_angle(blade, best, c.t), 1e-9);
    }
}

TEST(Cascade, StaggerScanStopsAtTheFirstValidStaggerThatIsWorse) {
    // Equal edge circles: the suction side lies along the stagger line, so
    // the throat t cos(stagger) - 2r still grows from -7 to -4 and the
    // outlet angle moves away from 40 degrees: the scan keeps -7 and stops,
    // short of the stagger further on that would give 40 degrees.
    const auto blade = h2::test::concave_end_blade(0.03, 0.03, 1.0, 262.0, 40, 30, 30);
    ASSERT_NEAR(blade.suction_tilt(), 0.0, 1e-15);
    auto shape = make_shape(blade.points, 50);
    h2::prof_geometry(shape.get());
    ASSERT_EQ(h2::contour_turns_left(shape->n - 2, shape->points.data()), 1);
    const double t = 0.8;
    EXPECT_GT(std::fabs(outlet_angle(blade, -4.0, t) - 40.0), std::fabs(outlet_angle(blade, -7.0, t) - 40.0));
    EXPECT_NEAR(std::fabs(outlet_angle(blade, wanted_stagger(blade, 40.0, t), t) - 40.0), 0.0, 1e-9);
    EXPECT_NEAR(h2::stagger_for_angle(shape.get(), 40.0, t, 0, 1), -7.0, 1e-9);
    EXPECT_NEAR(shape->Byct, -7.0, 1e-9);
    EXPECT_NEAR(shape->a, t * std::cos(7.0 * kRad) - 2.0 * blade.r, 1e-9);
}

TEST(Cascade, StaggerTableFileFormatAndArguments) {
    h2::test::TempDir dir;
    auto shape = make_shape(tapered_blade(kROut, kRIn, kLength, 15), 50);
    h2::prof_geometry(shape.get());
    EXPECT_EQ(h2::stagger_table(shape.get(), 0, 10, 20, 2, 0.5, 1, 0, 0, "t.txt", nullptr, nullptr), -1);
    EXPECT_EQ(h2::stagger_table(shape.get(), 2, 10, 20, 0, 0.5, 1, 0, 0, "t.txt", nullptr, nullptr), -1);
    EXPECT_EQ(
        h2::stagger_table(shape.get(), 2, 10, 20, 2, 0.5, 1, 0, 0, "no/such/dir/t.txt", nullptr, nullptr),
        -1);
    // Nothing is found for this contour: the rows keep their headings only,
    // and a one-point axis sits at its minimum.
    ASSERT_EQ(h2::stagger_table(shape.get(), 2, 10, 20, 1, 0.5, 1, 0, 0, "t.txt", nullptr, nullptr), 0);
    std::ifstream in("t.txt");
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "-20\n\n\n0  t/b By B2 B2=10  # B2=10\n\n\n0  t/b By B2 B2=20  # B2=20\n\n");
}

TEST(Cascade, StaggerTableRowsOfFoundStaggers) {
    h2::test::TempDir dir;
    const auto blade = h2::test::concave_end_blade(0.03, 0.12, 1.0, 240.0, 40, 30, 30);
    auto shape = make_shape(blade.points, 50);
    h2::prof_geometry(shape.get());
    Atlas* atlas = atlas_create(5, "cascade");
    ASSERT_NE(atlas, nullptr);
    ASSERT_EQ(h2::stagger_table(shape.get(), 2, 30, 50, 2, 0.6, 0.8, 1, 1, "t.txt", nullptr, atlas), 0);
    // In the atlas the outlet angle runs fastest.
    EXPECT_NEAR(atlas->Byct[0][1], wanted_stagger(blade, 50.0, 0.6 * blade.chord()), 0.01);
    EXPECT_NEAR(atlas->Byct[0][2], wanted_stagger(blade, 30.0, 0.8 * blade.chord()), 0.01);
    atlas_free(atlas);
    std::ifstream in("t.txt");
    std::string line;
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_EQ(line, "-20");
    std::getline(in, line);
    EXPECT_EQ(line, "");
    for (const double B2 : {30.0, 50.0}) {
        std::getline(in, line);
        EXPECT_EQ(line, "");
        std::getline(in, line);
        char text[128];
        std::snprintf(text, sizeof text, "2  t/b By B2 B2=%g  # B2=%g", B2, B2);
        EXPECT_EQ(line, text);
        std::getline(in, line);
        EXPECT_EQ(line, "");
        for (int j = 0; j < 2; ++j) {
            ASSERT_TRUE(std::getline(in, line));
            double tb = 0, angle = 0, stagger = 0;
            int column = -1;
            ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf %lf # %d", &tb, &angle, &stagger, &column), 4)
                << line;
            std::snprintf(text, sizeof text, "%12g %12g %12g # %4d", tb, angle, stagger, column);
            EXPECT_EQ(line, text);
            EXPECT_EQ(tb, j == 0 ? 0.6 : 0.8);
            EXPECT_EQ(angle, B2);
            EXPECT_EQ(column, j);
            EXPECT_NEAR(stagger, wanted_stagger(blade, B2, tb * blade.chord()), 0.01);
        }
    }
    EXPECT_FALSE(std::getline(in, line));
    // The whole file, byte for byte.
    std::ifstream whole("t.txt");
    std::stringstream file;
    file << whole.rdbuf();
    h2::test::expect_golden(file.str(), "stagger_table.txt");
}

TEST(Cascade, StaggerTableGoesIntoANewAtlasEntryWithItsMisses) {
    h2::test::TempDir dir;
    auto shape = make_shape(tapered_blade(kROut, kRIn, kLength, 15), 50);
    h2::prof_geometry(shape.get());
    Atlas* atlas = atlas_create(5, "cascade");
    ASSERT_NE(atlas, nullptr);
    ASSERT_EQ(h2::stagger_table(shape.get(), 3, 10, 30, 2, 0.5, 1.0, 0, 1, "t.txt", "wt", atlas), 0);
    EXPECT_EQ(atlas->count, 1);
    EXPECT_EQ(atlas->nB2[0], 3);
    EXPECT_EQ(atlas->ntb[0], 2);
    EXPECT_EQ(atlas->B2[0][1], 20.0);
    EXPECT_EQ(atlas->tb[0][1], 1.0);
    EXPECT_EQ(atlas->Byct[0][5], h2::kNoStagger);  // misses are kept in the atlas
    EXPECT_NEAR(shape->r2_, kROut / (kLength + kROut + kRIn) * 100.0, 1e-9);
    atlas_free(atlas);
}

}  // namespace

#include "tests/support/captured_console.h"

namespace {

std::string format(const char* fmt, double a, double b, double c, double d) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, fmt, a, b, c, d);
    return buffer;
}

// Numbers below 1e-12 in a listing are round-off of an exact zero and differ
// between compilers and optimisation levels: a golden shows them as "0".
std::string mask_roundoff(const std::string& text) {
    static const std::regex tiny(R"(-?\d(\.\d+)?e-(1[3-9]|[2-9]\d|\d{3}))");
    return std::regex_replace(text, tiny, "0");
}

TEST(Cascade, ParameterListingLevelsAndOverlapMessages) {
    auto shape = make_shape(tapered_blade(kROut, kRIn, kLength, 15), 50);
    h2::prof_geometry(shape.get());
    h2::cascade_throat(shape.get(), 0.3);
    const auto& s = *shape;
    const std::string line0 = format("b  = %g t/b = %g Byct = %g B2e = %g\n", s.b, s.t / s.b, s.Byct, s.B2e);
    const std::string level1 = format("B   = %g A   = %g a  = %g t  = %g\n", s.B, s.A, s.a, s.t) +
                               format("B1g = %g B2g = %g B1g_org = %g\n", s.B1g, s.B2g, s.B1g_org, 0);
    std::string listings;  // every listing below, pinned as one golden file
    {
        h2::test::CapturedConsole console;
        EXPECT_EQ(h2::prof_print(shape.get(), 0), 0);
        EXPECT_EQ(console.text(), line0);
        listings += console.text() + "\n----\n";
    }
    {
        h2::test::CapturedConsole console;
        EXPECT_EQ(h2::prof_print(shape.get(), 1), 0);
        EXPECT_EQ(console.text(), line0 + level1);
        listings += console.text() + "\n----\n";
    }
    h2::cascade_throat(shape.get(), 0.05);
    {
        h2::test::CapturedConsole console;
        EXPECT_EQ(h2::prof_print(shape.get(), 2), 1);
        const std::string text = console.text();
        EXPECT_EQ(text.find("b  = "), 0u);
        EXPECT_NE(text.find("\nb1 = "), std::string::npos);
        EXPECT_NE(text.find("\nByct1= "), std::string::npos);
        EXPECT_NE(text.find("\nxbx  = "), std::string::npos);
        EXPECT_NE(text.find("\nxbyx = "), std::string::npos);
        char g[128];
        std::snprintf(g, sizeof g, "\niG = %d   xG = %g   yG = %g\n", s.iG, s.points[s.iG].x,
                      s.points[s.iG].y);
        const std::string tail = std::string(g) + "Self-intersection detected!";
        ASSERT_GE(text.size(), tail.size());
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail);  // no colour codes off a terminal
        listings += text + "\n----\n";
    }
    shape->t = 0.0;
    {
        h2::test::CapturedConsole console;
        EXPECT_EQ(h2::prof_print(shape.get(), 0), 2);
        const std::string text = console.text();
        EXPECT_EQ(text.substr(text.find('\n') + 1), "Zero pitch detected!");
        listings += text + "\n";
    }
    h2::test::expect_golden(mask_roundoff(listings), "prof_print_levels.txt");
}

TEST(Cascade, PropertiesPrintout) {
    auto shape = make_shape({{0.5, 0.1, 0}, {1, 0.1, 0}, {1, 0, 0}, {0, 0, 0}, {0, 0.1, 0}}, 150);
    h2::test::CapturedConsole console;
    h2::prof_properties(shape.get(), 1);
    const auto& s = *shape;
    const std::string expected = std::string("\nCm={0.5, 0.05} Area=0.1") +
                                 format("\nIx=%g Iy=%g Ixy=%g", s.Ix, s.Iy, s.Ixy, 0) +
                                 format("\nJx=8.33333e-05 Jy=0.00833333 Jxy=%g", s.Jxy, 0, 0, 0) +
                                 format("\nJu=%g Jv=%g Alfa=%g fi=%g\n", s.Ju, s.Jv, s.Alfa, s.fi);
    EXPECT_EQ(console.text(), expected);
    h2::test::expect_golden(mask_roundoff(console.text()), "prof_properties.txt");
}

TEST(Cascade, NormalisedAtlasContour) {
    auto pts = tapered_blade(kROut, kRIn, kLength, 15);
    for (auto& p : pts) {  // scaled by 2 and moved away
        p.x = 2 * p.x + 3;
        p.y = 2 * p.y - 1;
    }
    Point3* out = h2::atlas_prof_points(pts.data(), static_cast<int>(pts.size()), 1 | 2 | 4);
    ASSERT_NE(out, nullptr);
    double xmin = 1e9, xmax = -1e9;
    for (size_t i = 0; i < pts.size(); ++i) {
        xmin = std::min(xmin, out[i].x);
        xmax = std::max(xmax, out[i].x);
    }
    // Stagger 0 and chord 1: the common tangents' span over the chord.
    EXPECT_NEAR(xmax - xmin, 1.0, 2e-3);
    std::free(out);
    EXPECT_EQ(h2::atlas_prof_points(pts.data(), 0, 7), nullptr);
    Point3* zeros = h2::atlas_prof_points(pts.data(), 3, 7);
    ASSERT_NE(zeros, nullptr);
    EXPECT_EQ(zeros[2].x, 0.0);
    std::free(zeros);
}

}  // namespace
