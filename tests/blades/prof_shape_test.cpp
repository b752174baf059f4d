#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "blades/prof_shape.h"
#include "tests/blades/section_shapes.h"

namespace {

using h2::ProfShapePtr;
using h2::test::make_shape;
using h2::test::tapered_blade;

constexpr double kPi = 3.14159265358979323846;

// A clockwise ellipse about (a, 0) with semi-axes a (along x) and b, n
// points starting just above the least x.
std::vector<Point3> ellipse(double a, double b, int n) {
    std::vector<Point3> p;
    for (int i = 0; i < n; ++i) {
        const double t = kPi - 2.0 * kPi * (i + 0.5) / n;
        p.push_back({a + a * std::cos(t), b * std::sin(t), 0.0});
    }
    return p;
}

// A circle through its points, counter-clockwise from angle 0.
std::vector<Point3> circle(double xc, double yc, double r, int n) {
    std::vector<Point3> p;
    for (int i = 0; i < n; ++i) {
        const double t = 2.0 * kPi * i / n;
        p.push_back({xc + r * std::cos(t), yc + r * std::sin(t), 0.0});
    }
    return p;
}

TEST(ProfShape, CreateRefusesTooFewPointsOrStrips) {
    EXPECT_EQ(h2::prof_create(3, 10), nullptr);
    EXPECT_EQ(h2::prof_create(4, 0), nullptr);
    ProfShapePtr shape(h2::prof_create(4, 1));
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->camber_count, 0);
    EXPECT_EQ(h2::prof_free(nullptr), nullptr);
}

// Closed forms of the section properties of polygons whose surfaces are
// straight, laid clockwise and started away from the least x.
struct SectionCase {
    const char* name;
    std::vector<Point3> points;
    double area, cx, cy, jx, jy, jxy, tolerance;
};

TEST(ProfShape, SectionPropertiesMatchClosedForms) {
    const std::vector<SectionCase> cases = {
        {"rectangle 1 x 0.1",
         {{0.5, 0.1, 0}, {1, 0.1, 0}, {1, 0, 0}, {0, 0, 0}, {0, 0.1, 0}},
         0.1,
         0.5,
         0.05,
         0.001 / 12.0,
         0.1 / 12.0,
         0.0,
         1e-9},
        {"parallelogram 0.2 x <= y <= 0.1 + 0.2 x",
         {{0.5, 0.2, 0}, {1, 0.3, 0}, {1, 0.2, 0}, {0, 0, 0}, {0, 0.1, 0}},
         0.1,
         0.5,
         0.15,
         0.001 / 12.0 + 0.04 * 0.1 / 12.0,
         0.1 / 12.0,
         0.2 * 0.1 / 12.0,
         1e-4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProfShapePtr shape = make_shape(c.points, 150);
        ASSERT_NE(shape, nullptr);
        h2::prof_properties(shape.get(), 0);
        EXPECT_NEAR(shape->Area, c.area, c.tolerance * c.area);
        EXPECT_NEAR(shape->Cm_x, c.cx, c.tolerance * c.cx);
        EXPECT_NEAR(shape->Cm_y, c.cy, c.tolerance * c.cy);
        EXPECT_NEAR(shape->Jx, c.jx, c.tolerance * c.jx);
        EXPECT_NEAR(shape->Jy, c.jy, c.tolerance * c.jy);
        EXPECT_NEAR(shape->Jxy, c.jxy, c.tolerance * c.jy);
    }
}

TEST(ProfShape, EllipseAreaAndMomentFromStrips) {
    const double a = 0.5, b = 0.1;
    ProfShapePtr shape = make_shape(ellipse(a, b, 400), 150);
    ASSERT_NE(shape, nullptr);
    h2::prof_properties(shape.get(), 0);
    EXPECT_NEAR(shape->Area, kPi * a * b, 2e-4 * kPi * a * b);
    EXPECT_NEAR(shape->Jy, kPi * a * a * a * b / 4.0, 1e-3 * kPi * a * a * a * b / 4.0);
    EXPECT_NEAR(shape->Jx, kPi * a * b * b * b / 4.0, 1e-3 * kPi * a * b * b * b / 4.0);
    EXPECT_NEAR(shape->Cm_x, a, 1e-3 * a);
    EXPECT_NEAR(shape->Alfa, 0.0, 1e-6);
}

TEST(ProfShape, ExtremesTakeTheFirstOfTiesAndNeverPointZeroAsLeastX) {
    // Least x tied between points 3 and 4, greatest x between 1 and 2.
    ProfShapePtr tied = make_shape({{0.5, 0.1, 0}, {1, 0.1, 0}, {1, 0, 0}, {0, 0, 0}, {0, 0.1, 0}}, 10);
    h2::prof_geometry(tied.get());
    EXPECT_EQ(tied->iXmin, 3);
    EXPECT_EQ(tied->iXmax, 1);
    EXPECT_EQ(tied->iYmax, 0);
    EXPECT_DOUBLE_EQ(tied->B, 1.0);
    EXPECT_DOUBLE_EQ(tied->A, 0.1);

    // The least x at point 0 is replaced by the last point.
    ProfShapePtr first = make_shape({{0, 0, 0}, {0.2, 0.1, 0}, {1, 0.1, 0}, {1, 0, 0}, {0.3, -0.05, 0}}, 10);
    h2::prof_geometry(first.get());
    EXPECT_EQ(first->iXmin, 4);
    EXPECT_DOUBLE_EQ(first->xmin, 0.3);
}

TEST(ProfShape, EdgeCircleAroundPointZeroWrapsTheIndex) {
    // Counter-clockwise circle: the greatest x is point 0 and the next point
    // rises, so the inlet edge is the circle through points n-1, 0 and 1.
    ProfShapePtr shape = make_shape(circle(2.0, 1.0, 0.5, 12), 10);
    h2::prof_geometry(shape.get());
    EXPECT_EQ(shape->iXmax, 0);
    EXPECT_EQ(shape->iInletEdge, 0);
    EXPECT_NEAR(shape->rbx, 0.5, 1e-12);
    EXPECT_NEAR(shape->xbx, 2.0, 1e-12);
    EXPECT_NEAR(shape->ybx, 1.0, 1e-12);
    EXPECT_NEAR(shape->rbyx, 0.5, 1e-12);
    EXPECT_NEAR(shape->b1, 0.0, 1e-12);
    EXPECT_NEAR(shape->b, 1.0, 1e-12);  // coincident centres: the two radii
}

TEST(ProfShape, CircleThroughThreePoints) {
    double r = -1.0;
    Point3 c{9, 9, 9};
    EXPECT_EQ(h2::circle3({0, 0, 0}, {1, 1, 0}, {2, 2, 0}, &r, &c), 1);
    EXPECT_EQ(r, 0.0);
    EXPECT_EQ(c.x, 0.0);
    EXPECT_EQ(c.y, 0.0);
    // Both bisectors: the first chord steeper, then the second.
    const Point3 sets[2][3] = {{{3, 2, 0}, {1, 4, 0}, {-1, 2, 0}}, {{1, 4, 0}, {-1, 2, 0}, {1, 0, 0}}};
    for (const auto& s : sets) {
        ASSERT_EQ(h2::circle3(s[0], s[1], s[2], &r, &c), 0);
        EXPECT_NEAR(r, 2.0, 1e-12);
        EXPECT_NEAR(c.x, 1.0, 1e-12);
        EXPECT_NEAR(c.y, 2.0, 1e-12);
        EXPECT_EQ(c.z, 0.0);
    }
}

TEST(ProfShape, StripsAtMidpointsOrAtEdges) {
    ProfShapePtr shape = make_shape({{0.5, 0.2, 0}, {1, 0.3, 0}, {1, 0.2, 0}, {0, 0, 0}, {0, 0.1, 0}}, 4);
    h2::prof_geometry(shape.get());
    const double h = 0.25;
    ASSERT_EQ(h2::prof_strips(shape.get(), 0), 0);
    for (int k = 0; k < 4; ++k) {
        const double x = h / 2 + k * h;
        EXPECT_NEAR(shape->forward_strips[k].x, x, 1e-15);
        EXPECT_NEAR(shape->forward_strips[k].y, 0.1 + 0.2 * x, 1e-15);
        EXPECT_NEAR(shape->backward_strips[k].y, 0.2 * x, 1e-15);
    }
    ASSERT_EQ(h2::prof_strips(shape.get(), 1), 0);
    EXPECT_EQ(shape->forward_strips[0].x, 0.0);
    EXPECT_NEAR(shape->forward_strips[0].y, 0.1, 1e-15);
    EXPECT_NEAR(shape->backward_strips[3].x, 0.75, 1e-15);
}

TEST(ProfShape, PlacingMovesLeastXToZeroAndTheLastCircleOntoTheAxis) {
    ProfShapePtr shape = make_shape(circle(3.0, 5.0, 0.5, 16), 10);
    h2::prof_set_points(shape.get(), nullptr);
    double least = 1e9, lowest = 1e9;
    for (const auto& p : shape->points) {
        least = std::min(least, p.x);
        lowest = std::min(lowest, p.y);
    }
    EXPECT_NEAR(least, 0.0, 1e-15);
    EXPECT_NEAR(lowest, 0.0, 1e-12);  // the lowest point of the circle lies on y = 0
}

TEST(ProfShape, StaggerIsSetByRotationAboutTheOutletEdge) {
    const double r_out = 0.01, r_in = 0.05, length = 0.9;
    const auto points = tapered_blade(r_out, r_in, length, 15);
    ProfShapePtr shape = make_shape(points, 50);
    h2::prof_geometry(shape.get());
    const double tangent = -std::asin((r_in - r_out) / length) * 180.0 / kPi;
    EXPECT_NEAR(shape->Byct, tangent, 1e-9);
    EXPECT_NEAR(shape->rbyx, r_out, 1e-12);
    EXPECT_NEAR(shape->rbx, r_in, 1e-12);
    EXPECT_NEAR(shape->b, length + r_in + r_out, 1e-12);
    for (double angle : {0.0, 15.0, -10.0, 30.0}) {
        SCOPED_TRACE(angle);
        h2::prof_set_angle(shape.get(), angle);
        EXPECT_NEAR(shape->Byct, angle, 1e-9);
        EXPECT_NEAR(shape->b, length + r_in + r_out, 1e-12);
    }
}

}  // namespace

namespace {

TEST(ProfShape, MeanLineOfASymmetricSectionIsItsAxisWithInscribedCircles) {
    const double r_out = 0.01, r_in = 0.05, length = 0.9;
    ProfShapePtr shape = make_shape(tapered_blade(r_out, r_in, length, 15), 60);
    const int count = h2::prof_camber(shape.get());
    ASSERT_GE(count, 3);
    EXPECT_EQ(shape->camber_count, count);
    EXPECT_NEAR(shape->B2g, 0.0, 1e-9);
    // The lower tangent line, as a x + b y + c = 0 with unit normal.
    const double alpha = std::acos(-(r_in - r_out) / length);
    const double x1 = r_out * std::cos(alpha), y1 = -r_out * std::sin(alpha);
    const double x2 = length + r_in * std::cos(alpha), y2 = -r_in * std::sin(alpha);
    const double len = std::hypot(x2 - x1, y2 - y1);
    int checked = 0;
    for (int i = 0; i < count; ++i) {
        const Point3 c = shape->camber_points[i];
        if (c.x < 0.1 || c.x > 0.8) continue;  // circles touching the straight sides
        EXPECT_NEAR(c.y, 0.0, 1e-12) << i;
        const double distance = std::fabs((x2 - x1) * (y1 - c.y) - (x1 - c.x) * (y2 - y1)) / len;
        EXPECT_NEAR(shape->camber_radii[i], distance, 1e-12) << i;
        ++checked;
    }
    EXPECT_GT(checked, 20);
}

}  // namespace
