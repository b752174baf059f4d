#include "numerics/plane_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace h2;

Point3 P(double x, double y, double z = 0.0) { return Point3{x, y, z}; }

void expect_point(Point3 actual, Point3 expected, double tol = 1e-12) {
    EXPECT_NEAR(actual.x, expected.x, tol);
    EXPECT_NEAR(actual.y, expected.y, tol);
    EXPECT_NEAR(actual.z, expected.z, tol);
}

TEST(PlaneBasics, DotAngleAreaAndDistances) {
    EXPECT_EQ(dot_xy(P(1, 2, 9), P(3, 4, 9)), 11.0);
    EXPECT_NEAR(angle_xy(P(1, 0), P(0, 2)), M_PI / 2, 1e-15);
    EXPECT_EQ(tri_area2(P(0, 0), P(1, 0), P(0, 1)), 1.0);   // counter-clockwise
    EXPECT_EQ(tri_area2(P(0, 0), P(0, 1), P(1, 0)), -1.0);  // clockwise
    EXPECT_EQ(dist2_xy(P(0, 0, 5), P(3, 4, -5)), 25.0);
    EXPECT_EQ(dist2_xyz(0, 0, 0, 1, 2, 2), 9.0);
}

// Three points on a circle of radius 2: curvature 1/2, positive for a left
// turn; coincident points have no circle.
TEST(PlaneBasics, CircleCurvatureThroughThreePoints) {
    const auto on_circle = [](double degrees) {
        const double a = degrees * M_PI / 180.0;
        return P(1.0 + 2.0 * std::cos(a), -3.0 + 2.0 * std::sin(a));
    };
    EXPECT_NEAR(circle_curvature(on_circle(10), on_circle(80), on_circle(200)), 0.5, 1e-14);
    EXPECT_NEAR(circle_curvature(on_circle(200), on_circle(80), on_circle(10)), -0.5, 1e-14);
    EXPECT_EQ(circle_curvature(P(0, 0), P(1, 0), P(2, 0)), 0.0);  // straight
    EXPECT_EQ(circle_curvature(P(1, 1), P(1, 1), P(2, 0)), 0.0);
    EXPECT_EQ(circle_curvature(P(1, 1), P(2, 0), P(1, 1)), 0.0);
}

struct BetweenCase {
    const char* name;
    Point3 a, b, c;
    int expected;
};

class PointBetween : public ::testing::TestWithParam<BetweenCase> {};

TEST_P(PointBetween, Table) {
    const BetweenCase& k = GetParam();
    EXPECT_EQ(point_between(k.a, k.b, k.c), k.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, PointBetween,
                         ::testing::Values(BetweenCase{"inside", P(0, 0), P(2, 0), P(1, 0), 1},
                                           BetweenCase{"at_an_end", P(0, 0), P(2, 0), P(2, 0), 0},
                                           BetweenCase{"outside", P(0, 0), P(2, 0), P(3, 0), -1},
                                           BetweenCase{"tie_y_decides", P(0, 0), P(1, 1), P(5, 0.5), 1},
                                           BetweenCase{"tie_y_outside", P(0, 0), P(1, 1), P(0.5, 5), -1}),
                         [](const auto& info) { return std::string(info.param.name); });

struct IntersectCase {
    const char* name;
    Point3 p1, p2, p3, p4;
    Point3 expected;
};

class LineIntersect : public ::testing::TestWithParam<IntersectCase> {};

TEST_P(LineIntersect, Table) {
    const IntersectCase& k = GetParam();
    expect_point(line_intersect(k.p1, k.p2, k.p3, k.p4), k.expected);
}

const Point3 kFar = P(1e6, 1e6, 1e6);
const Point3 kNested = P(-1e6, -1e6, -1e6);

INSTANTIATE_TEST_SUITE_P(
    Cases, LineIntersect,
    ::testing::Values(IntersectCase{"crossing", P(0, 0, 7), P(2, 0, 8), P(1, -1, 9), P(1, 1, 9), P(1, 0, 7)},
                      IntersectCase{"oblique", P(0, 0), P(1, 1), P(0, 2), P(2, 0), P(1, 1)},
                      IntersectCase{"parallel", P(0, 0), P(1, 0), P(0, 1), P(1, 1), kFar},
                      IntersectCase{"nested", P(0, 0), P(3, 0), P(1, 0), P(2, 0), kNested},
                      IntersectCase{"nesting", P(1, 0), P(2, 0), P(0, 0), P(3, 0), kNested},
                      IntersectCase{"overlapping", P(0, 0), P(2, 0), P(1, 0), P(3, 0), kFar},
                      IntersectCase{"disjoint", P(0, 0), P(1, 0), P(2, 0), P(3, 0), kFar},
                      IntersectCase{"same segment", P(0, 0), P(1, 1), P(0, 0), P(1, 1), kFar}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) c = c == ' ' ? '_' : c;
        return name;
    });

TEST(PointLineDist, SignedByTheOriginsSide) {
    EXPECT_NEAR(point_line_dist(P(0, 2), P(1, 2), P(0, 1)), -1.0, 1e-12);
    EXPECT_NEAR(point_line_dist(P(0, 2), P(1, 2), P(0, 5)), 3.0, 1e-12);
    // A line through the origin: the sign is taken as for the origin's side.
    EXPECT_NEAR(point_line_dist(P(0, 0), P(1, 0), P(0, 1)), -1.0, 1e-12);
}

struct PerpCase {
    const char* name;
    Point3 p1, p2;
    double d, t;
    Point3 out1, out2;
};

class PerpPoints : public ::testing::TestWithParam<PerpCase> {};

TEST_P(PerpPoints, Table) {
    const PerpCase& k = GetParam();
    Point3 a{}, b{};
    EXPECT_EQ(perp_points(k.p1, k.p2, k.d, &a, &b, k.t), 0);
    expect_point(a, k.out1);
    expect_point(b, k.out2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PerpPoints,
    ::testing::Values(PerpCase{"level", P(0, 0, 3), P(2, 0), 1.0, 0.5, P(1, -1, 3), P(1, 1, 3)},
                      PerpCase{"vertical", P(0, 0), P(0, 2), 1.0, 0.5, P(-1, 1), P(1, 1)},
                      PerpCase{"oblique", P(0, 0), P(2, 2), std::sqrt(2.0), 0.5, P(0, 2), P(2, 0)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PerpPoints, MidVariantUsesTheMiddle) {
    Point3 a{}, b{};
    perp_points_mid(P(0, 0), P(2, 0), 1.0, &a, &b);
    expect_point(a, P(1, -1));
    expect_point(b, P(1, 1));
}

TEST(PointsAlong, StepsAlongTheDirectionOfP0ToP2) {
    Point3 a{}, b{};
    EXPECT_EQ(points_along(P(0, 0), P(1, 1, 4), P(3, 4), 5.0, 10.0, &a, &b), 0);
    expect_point(a, P(1 - 3, 1 - 4, 4));
    expect_point(b, P(1 + 6, 1 + 8, 4));
    EXPECT_EQ(points_along(P(0, 0), P(1, 1), P(0, 3), 1.0, 2.0, &a, &b), 0);  // vertical
    expect_point(a, P(1, 0));
    expect_point(b, P(1, 3));
    EXPECT_EQ(points_along(P(1, 1), P(0, 0), P(1, 1), 1.0, 1.0, &a, &b), 1);  // no direction
    EXPECT_EQ(points_along(P(0, 0), P(0, 0), P(1, 1), 1.0, 1.0, &a, nullptr), 1);
}

TEST(BisectorFoot, DividesTheOppositeSideAsTheAdjacentSides) {
    expect_point(bisector_foot(P(1, 0), P(0, 0), P(0, 1)), P(0.5, 0.5, 0));
    // |ab| = 2, |bc| = 1: the foot lies at 2/3 of the way from a to c.
    expect_point(bisector_foot(P(2, 0, 6), P(0, 0, 6), P(0, 1, 6)), P(2.0 / 3.0, 2.0 / 3.0, 6));
    // A straight angle: the auxiliary point on the normal at b.
    expect_point(bisector_foot(P(0, 0), P(1, 1), P(2, 2)), perp_aux_point(P(1, 1), P(2, 2)));
}

TEST(PerpAuxPoint, StepsOffAlongTheNormal) {
    expect_point(perp_aux_point(P(1, 1, 2), P(3, 1)), P(1, 1.1, 2));  // level segment
    const Point3 q = perp_aux_point(P(0, 0), P(1, 2));
    EXPECT_NEAR(q.x * 1 + q.y * 2, 0.0, 1e-15);  // perpendicular to (1, 2)
}

TEST(ParallelCut, MeetsTheTwoSideLines) {
    // Segment (0,0)-(2,0), side lines vertical up from its ends; L: 0 x - 2 y + s = 0 is y = s / 2.
    const Point3 Pp[] = {P(0, 0, 1), P(2, 0, 2)};
    const Point3 Q[] = {P(0, 5), P(2, 5)};
    Point3 out[2];
    parallel_cut(0, Pp, Q, 2.0, out);
    expect_point(out[0], P(0, 1, 1));
    expect_point(out[1], P(2, 1, 2));

    // A vertical segment: L is x = -s / dy.
    const Point3 V[] = {P(0, 0), P(0, 2)};
    const Point3 W[] = {P(4, 0), P(4, 2)};
    parallel_cut(0, V, W, -3.0 * 2.0, out);
    expect_point(out[0], P(3, 0));
    expect_point(out[1], P(3, 2));

    // A segment of no length writes nothing.
    const Point3 D[] = {P(1, 1), P(1, 1)};
    out[0] = P(9, 9, 9);
    parallel_cut(0, D, W, 1.0, out);
    expect_point(out[0], P(9, 9, 9));
}

TEST(PolylineCut, KeepsCrossingsOnTheSegmentsUpToMax) {
    const Point3 zigzag[] = {P(0, 0), P(1, 2), P(2, 0), P(3, 2)};
    Point3 out[3];
    EXPECT_EQ(polyline_cut(zigzag, 4, P(-1, 1), P(5, 1), out, 3), 3);
    expect_point(out[0], P(0.5, 1));
    expect_point(out[1], P(1.5, 1));
    expect_point(out[2], P(2.5, 1));
    EXPECT_EQ(polyline_cut(zigzag, 4, P(-1, 1), P(5, 1), out, 2), 2);
    // A line that misses every segment.
    EXPECT_EQ(polyline_cut(zigzag, 4, P(-1, 5), P(5, 5), out, 3), 0);
}

TEST(ClipX, KeepsTheStrictlyInnerPointsInOrder) {
    std::vector<Point3> pts = {P(0, 0), P(0.5, 1), P(1, 2), P(-1, 3), P(0.25, 4)};
    EXPECT_EQ(clip_x(pts.data(), 5, 0.0, 1.0), 2);
    expect_point(pts[0], P(0.5, 1));
    expect_point(pts[1], P(0.25, 4));
}

struct PolygonCase {
    const char* name;
    double px, py;
    int expected;
};

class PointInPolygon : public ::testing::TestWithParam<PolygonCase> {};

TEST_P(PointInPolygon, UnitSquare) {
    const double xs[] = {0, 1, 1, 0, 0};
    const double ys[] = {0, 0, 1, 1, 0};
    EXPECT_EQ(point_in_polygon(4, xs, ys, GetParam().px, GetParam().py), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, PointInPolygon,
                         ::testing::Values(PolygonCase{"inside", 0.5, 0.5, 1},
                                           PolygonCase{"right", 2, 0.5, -1}, PolygonCase{"left", -1, 0.5, -1},
                                           PolygonCase{"on_side", 0, 0.5, 0}, PolygonCase{"corner", 0, 0, 0},
                                           PolygonCase{"on_top", 0.5, 1, 0},
                                           PolygonCase{"level_with_top", 2, 1, -1},
                                           PolygonCase{"level_with_bottom_left", -2, 0, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PointInPolygon, VertexOnTheRayIsCountedOnce) {
    // A diamond: the ray to the left from (0.5, 0) passes through the left vertex.
    const double xs[] = {0, 1, 2, 1, 0};
    const double ys[] = {0, -1, 0, 1, 0};
    EXPECT_EQ(point_in_polygon(4, xs, ys, 0.5, 0.0), 1);
    EXPECT_EQ(point_in_polygon(4, xs, ys, 3.0, 0.0), -1);
}

TEST(NearestPoint, SkipsListedIndicesAndKeepsTheEarlierOnATie) {
    const Point3 pts[] = {P(1, 0), P(-1, 0), P(0, 3)};
    EXPECT_EQ(nearest_point(P(0, 0), pts, 3, nullptr, 0), 0);
    const int skip0[] = {0};
    EXPECT_EQ(nearest_point(P(0, 0), pts, 3, skip0, 1), 1);
    const int all[] = {0, 1, 2};
    EXPECT_EQ(nearest_point(P(0, 0), pts, 3, all, 3), -1);
}

struct FootCase {
    const char* name;
    double px, py, x1, y1, x2, y2;
    double fx, fy, distance;
};

class PerpFoot : public ::testing::TestWithParam<FootCase> {};

TEST_P(PerpFoot, Table) {
    const FootCase& k = GetParam();
    double fx = 0, fy = 0;
    EXPECT_NEAR(perp_foot(k.px, k.py, k.x1, k.y1, k.x2, k.y2, &fx, &fy), k.distance, 1e-12);
    EXPECT_NEAR(fx, k.fx, 1e-12);
    EXPECT_NEAR(fy, k.fy, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Cases, PerpFoot,
                         ::testing::Values(FootCase{"oblique", 2, 0, 0, 0, 1, 1, 1, 1, std::sqrt(2.0)},
                                           FootCase{"vertical", 3, 5, 1, 0, 1, 1, 1, 5, 2},
                                           FootCase{"level", 3, 5, 0, 1, 1, 1, 3, 1, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
