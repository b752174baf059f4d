#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "blades/cascade.h"
#include "tests/blades/section_shapes.h"
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
