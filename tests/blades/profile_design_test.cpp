#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "blades/cascade.h"
#include "blades/profile_design.h"
#include "tests/blades/section_shapes.h"

namespace {

using h2::ProfileDesign;
using h2::ProfileSteps;

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;

struct FreePoints {
    void operator()(Point3* p) const { std::free(p); }
};
using PointsPtr = std::unique_ptr<Point3, FreePoints>;

// Twice the signed area of the closed polygon: negative when clockwise.
double area2(const Point3* p, int n) {
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const Point3& a = p[i];
        const Point3& b = p[(i + 1) % n];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum;
}

double distance(Point3 a, Point3 b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Chord 1 at a stagger of 40 degrees, edge radii 0.05 and 0.01, pitch 0.8,
// throat 0.8 sin 20 deg at the suction side's middle point.
const ProfileDesign kDesign{1.0, 0.8, 60.0, 20.0, 4.0, 30.0, 30.0, 8.0, 0.05, 0.01, 1.0, 40.0};
const ProfileSteps kSteps{30, 30, 12, 50, 8};

TEST(ProfileDesign, SectionHasTheDesignedEdgesStaggerAndThroat) {
    double fractions[6] = {};
    PointsPtr contour(h2::profile_from_design(kDesign, kSteps, 0, fractions));
    ASSERT_TRUE(contour);
    const int total = kSteps.total();
    ASSERT_EQ(total, 130);
    const Point3* P = contour.get();
    EXPECT_EQ(P[total].x, 0.0);
    EXPECT_EQ(P[total].y, 0.0);
    EXPECT_LT(area2(P, total), 0.0);  // clockwise
    for (double k : fractions) EXPECT_TRUE(k > 0.0 && k <= 1.0) << k;

    // The edge arcs lie on their circles; the outlet circle touches x = 0 at
    // point 0 (theta_B = 0) and y = 0.
    const double s = std::sin(40 * kDeg), c = std::cos(40 * kDeg);
    const Point3 C2{0.01, 0.01, 0.0};
    const Point3 C1{0.01 + 0.94 * c - 0.04 * s, 0.01 + 0.94 * s + 0.04 * c, 0.0};
    for (int i = kSteps.inlet_start(); i <= kSteps.pressure_start(); ++i)
        EXPECT_NEAR(distance(P[i], C1), 0.05, 1e-12);
    for (int i = kSteps.outlet_start(); i <= total; ++i) EXPECT_NEAR(distance(P[i % total], C2), 0.01, 1e-12);
    EXPECT_NEAR(P[0].x, 0.0, 1e-15);
    EXPECT_NEAR(P[0].y, 0.01, 1e-15);
    for (int i = 0; i < total; ++i) {
        EXPECT_GE(P[i].x, -1e-15) << i;
        EXPECT_GE(P[i].y, -1e-15) << i;
    }

    auto shape = h2::test::make_shape(std::vector<Point3>(P, P + total), 50);
    ASSERT_TRUE(shape);
    h2::prof_geometry(shape.get());
    EXPECT_NEAR(shape->rbx, 0.05, 0.05e-9);
    EXPECT_NEAR(shape->rbyx, 0.01, 0.01e-9);
    EXPECT_NEAR(shape->Byct, 40.0, 1e-8);  // the edge circles' common tangent runs along gamma
    const double chord = std::sqrt(0.94 * 0.94 + 0.04 * 0.04) + 0.06;
    EXPECT_NEAR(chord, 1.00085068, 1e-8);
    EXPECT_NEAR(shape->b, chord, 1e-9 * chord);

    double kS = -1, kP = -1;
    EXPECT_EQ(h2::contour_check(P, 0.8, kSteps, &kS, &kP), 0);
    EXPECT_GT(kS, 0.0);
    EXPECT_GT(kP, 0.0);
    EXPECT_EQ(h2::contour_check(P, 0.2, kSteps, &kS, &kP), 2);  // the neighbour's pressure side cuts in
    EXPECT_EQ(kS, 0.0);
    EXPECT_EQ(kP, 0.0);

    // At t = q the suction side at its middle point is normal to the radius
    // from the neighbour's outlet-edge centre: the throat is q sin(u2).
    EXPECT_EQ(h2::cascade_throat(shape.get(), 0.8), kSteps.nSa);
    EXPECT_NEAR(shape->a, 0.8 * std::sin(20 * kDeg), 5e-4);
    EXPECT_NEAR(shape->B2e, 20.0, 0.05);
}

TEST(ProfileDesign, EdgePointsSitAtTheirPolarAngles) {
    // P_A at beta1 - omega1/2 on the inlet circle, P_C opposite beta1 +
    // omega1/2; P_B at 180 - (beta2 - omega2/2) on the outlet circle, P_D at
    // -(beta2 + omega2/2).
    ProfileDesign d = kDesign;
    d.beta2 = 10.0;
    PointsPtr contour(h2::profile_from_design(d, kSteps, 0, nullptr));
    ASSERT_TRUE(contour);
    const double s = std::sin(40 * kDeg), c = std::cos(40 * kDeg);
    const Point3 C2{0.01, 0.01, 0.0};
    const Point3 C1{0.01 + 0.94 * c - 0.04 * s, 0.01 + 0.94 * s + 0.04 * c, 0.0};
    const auto polar = [](Point3 p, Point3 centre) {
        return std::atan2(p.y - centre.y, p.x - centre.x) / kDeg;
    };
    const Point3* P = contour.get();
    EXPECT_NEAR(polar(P[kSteps.inlet_start()], C1), 45.0, 1e-9);
    EXPECT_NEAR(polar(P[kSteps.pressure_start()], C1), 255.0 - 360.0, 1e-9);
    EXPECT_NEAR(polar(P[0], C2), 174.0, 1e-9);
    EXPECT_NEAR(polar(P[kSteps.outlet_start()], C2), -14.0, 1e-9);
}

TEST(ProfileDesign, CurvedEdgesStartAtTheSideEnds) {
    PointsPtr arcs(h2::profile_from_design(kDesign, kSteps, 0, nullptr));
    PointsPtr curved(h2::profile_from_design(kDesign, kSteps, 1, nullptr));
    ASSERT_TRUE(arcs && curved);
    const int total = kSteps.total();
    // The sides are the same curves; only the edges between them differ.
    for (int i = 0; i <= kSteps.inlet_start(); ++i) {
        EXPECT_NEAR(curved.get()[i].x, arcs.get()[i].x, 1e-15);
        EXPECT_NEAR(curved.get()[i].y, arcs.get()[i].y, 1e-15);
    }
    for (int i = kSteps.pressure_start(); i <= kSteps.outlet_start(); ++i) {
        EXPECT_NEAR(curved.get()[i].x, arcs.get()[i].x, 1e-15);
        EXPECT_NEAR(curved.get()[i].y, arcs.get()[i].y, 1e-15);
    }
    EXPECT_LT(area2(curved.get(), total), 0.0);
    EXPECT_EQ(h2::contour_check(curved.get(), 0.8, kSteps, nullptr, nullptr), 0);
    // Curved edges take their end directions from side segments.
    EXPECT_EQ(h2::profile_from_design(kDesign, ProfileSteps{0, 0, 12, 50, 8}, 1, nullptr), nullptr);
    EXPECT_EQ(h2::profile_from_design(kDesign, ProfileSteps{30, 30, 12, 0, 8}, 1, nullptr), nullptr);
}

TEST(ProfileDesign, CurveThroughAMiddlePointJoinsTwoQuarterArcs) {
    // From (0, 0) upwards to (1, 1) across the radius at 90 degrees, then
    // down to (2, 0): two quarter circles of radius 1, each drawn with the
    // chart fraction 0.5532 (tangents meeting at 45 and 45 degrees); the
    // Bezier midpoint of the first is (0.29255, 0.70745).
    std::vector<double> xs(21), ys(21);
    double k[4] = {};
    EXPECT_EQ(h2::curve_via_point(10, 10, Point3{0, 0, 0}, 90.0, Point3{2, 0, 0}, -90.0, Point3{1, 1, 0},
                                  90.0, xs.data(), ys.data(), k),
              0);
    for (double f : k) EXPECT_NEAR(f, 0.5532, 1e-12);
    const struct {
        int i;
        double x, y;
    } points[] = {{0, 0, 0}, {5, 0.29255, 0.70745}, {10, 1, 1}, {15, 1.70745, 0.70745}, {20, 2, 0}};
    for (const auto& p : points) {
        EXPECT_NEAR(xs[p.i], p.x, 1e-12) << p.i;
        EXPECT_NEAR(ys[p.i], p.y, 1e-12) << p.i;
    }
}

TEST(ProfileDesign, ArcsTurnTheShorterWayUnlessTheSweepIsBelowMinusPi) {
    // Inlet arc about (1, 0), r 0.1, from the polar angle of P_A to that of
    // P_C in nIn = 4 steps.
    struct Case {
        double fromDeg, toDeg, sweepDeg;
    };
    const Case cases[] = {
        {10.0, 100.0, 90.0},     // counter-clockwise
        {10.0, 190.5, -179.5},   // just above start + 180: the other way round
        {350.0, 5.0, -345.0},    // below -180: kept
        {-30.0, 200.0, -130.0},  // negative polar angles are raised by 360 first
    };
    const Point3 C1{1.0, 0.0, 0.0}, C2{0.01, 0.01, 0.0};
    const ProfileSteps steps{2, 2, 4, 4, 4};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.toDeg);
        const auto on_c1 = [&](double deg) {
            return Point3{C1.x + 0.1 * std::cos(deg * kDeg), C1.y + 0.1 * std::sin(deg * kDeg), 0.0};
        };
        const Point3 P_A = on_c1(c.fromDeg), P_C = on_c1(c.toDeg);
        std::vector<Point3> contour(static_cast<size_t>(steps.total()) + 1);
        ASSERT_EQ(h2::contour_from_edges(C1, 0.1, C2, 0.01, P_A, 45.0, Point3{0.0, 0.01, 0}, 0.0, P_C, 75.0,
                                         Point3{0.02, 0.009, 0}, 8.0, Point3{0.4, 0.6, 0}, 30.0, steps, 0,
                                         contour.data(), nullptr),
                  0);
        for (int k = 0; k < steps.nIn; ++k) {
            const double deg = c.fromDeg + k * c.sweepDeg / steps.nIn;
            const Point3 p = contour[steps.inlet_start() + k];
            EXPECT_NEAR(p.x, C1.x + 0.1 * std::cos(deg * kDeg), 1e-12) << k;
            EXPECT_NEAR(p.y, C1.y + 0.1 * std::sin(deg * kDeg), 1e-12) << k;
        }
    }
}

// A circle of radius R about the origin, clockwise from the polar angle 180:
// every interior angle obtuse, curvature 1/R everywhere.
std::vector<Point3> circle_contour(double R, int n) {
    std::vector<Point3> p(static_cast<size_t>(n) + 1);
    for (int i = 0; i < n; ++i)
        p[i] = Point3{-R * std::cos(2 * kPi * i / n), R * std::sin(2 * kPi * i / n), 0.0};
    p[n] = p[0];  // the end of a pressure side that closes without an outlet edge
    return p;
}

TEST(ProfileDesign, ContourCheckFindsSharpJointsCrossingsAndCurvature) {
    const double R = 0.1;
    const ProfileSteps steps{5, 5, 5, 10, 5};  // suction over the top, pressure over the bottom
    const auto circle = circle_contour(R, steps.total());
    struct Case {
        const char* what;
        double t;
        ProfileSteps steps;
        int result;
    };
    const Case cases[] = {
        {"neighbour clear", 2.5 * R, steps, 0},
        {"no neighbour shift", 0.0, steps, 0},
        {"neighbour overlaps", 1.9 * R, steps, 2},
        {"no first suction piece", 2.5 * R, ProfileSteps{0, 10, 5, 10, 5}, 0},
        {"no outlet edge", 2.5 * R, ProfileSteps{5, 5, 5, 15, 0}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        double kS = -1, kP = -1;
        EXPECT_EQ(h2::contour_check(circle.data(), c.t, c.steps, &kS, &kP), c.result);
        EXPECT_NEAR(kS, c.result == 0 ? 1 / R : 0.0, 1e-9);
        EXPECT_NEAR(kP, c.result == 0 ? 1 / R : 0.0, 1e-9);
    }

    // Curvature counts at suction points 1..s1 - 2 and pressure points
    // s2 + 1..s3 - 2: a point pushed out turns sharper there, its neighbours
    // flatter.
    const struct {
        int at;
        bool suction, pressure;  // the side's largest curvature rises
    } bulges[] = {{1, true, false},  {8, true, false},  {9, false, false}, {15, false, false},
                  {16, false, true}, {23, false, true}, {24, false, false}};
    for (const auto& b : bulges) {
        auto bulged = circle;
        bulged[b.at].x *= 1.05;
        bulged[b.at].y *= 1.05;
        double kS = -1, kP = -1;
        ASSERT_EQ(h2::contour_check(bulged.data(), 2.5 * R, steps, &kS, &kP), 0) << b.at;
        if (b.suction) {
            EXPECT_GT(kS, 1.01 / R) << b.at;
        } else {
            EXPECT_NEAR(kS, 1 / R, 1e-9) << b.at;
        }
        if (b.pressure) {
            EXPECT_GT(kP, 1.01 / R) << b.at;
        } else {
            EXPECT_NEAR(kP, 1 / R, 1e-9) << b.at;
        }
    }

    // A spike at a joint: the angle there turns acute.
    for (int j : {0, steps.nSa, steps.inlet_start(), steps.pressure_start(), steps.outlet_start()}) {
        auto spiked = circle;
        spiked[j].x *= 20.0;
        spiked[j].y *= 20.0;
        EXPECT_EQ(h2::contour_check(spiked.data(), 2.5 * R, steps, nullptr, nullptr), 1) << j;
    }
    // A spike inside a segment is no joint.
    auto spiked = circle;
    spiked[2].x *= 1.5;
    spiked[2].y *= 1.5;
    EXPECT_EQ(h2::contour_check(spiked.data(), 2.5 * R, steps, nullptr, nullptr), 0);

    EXPECT_EQ(h2::angle_is_obtuse(Point3{1, 0, 0}, Point3{0, 0, 0}, Point3{-1, 0.1, 0}), 1);
    EXPECT_EQ(h2::angle_is_obtuse(Point3{1, 0, 0}, Point3{0, 0, 0}, Point3{0, 1, 0}), 0);  // right angle
}

TEST(ProfileDesign, UnusableCountsAreRefused) {
    std::vector<Point3> contour(200);
    const ProfileSteps negative[] = {
        {-1, 30, 12, 50, 8}, {30, -1, 12, 50, 8},  {30, 30, -1, 50, 8},
        {30, 30, 12, -1, 8}, {30, 30, 12, 50, -1},
    };
    for (const auto& st : negative) {
        EXPECT_EQ(h2::profile_from_design(kDesign, st, 0, nullptr), nullptr);
        EXPECT_EQ(h2::contour_from_edges(Point3{}, 0.05, Point3{}, 0.01, Point3{}, 0, Point3{}, 0, Point3{},
                                         0, Point3{}, 0, Point3{}, 0, st, 0, contour.data(), nullptr),
                  -1);
        EXPECT_EQ(h2::contour_check(contour.data(), 0.8, st, nullptr, nullptr), -1);
    }
    EXPECT_EQ(h2::contour_check(nullptr, 0.8, kSteps, nullptr, nullptr), -1);
    EXPECT_EQ(h2::contour_check(contour.data(), 0.8, ProfileSteps{}, nullptr, nullptr), -1);

    // Edges of no steps divide nothing: the sides alone make the contour.
    const ProfileSteps noEdges{30, 30, 0, 50, 0};
    PointsPtr sides(h2::profile_from_design(kDesign, noEdges, 0, nullptr));
    ASSERT_TRUE(sides);
    for (int i = 0; i <= noEdges.total(); ++i) {
        EXPECT_TRUE(std::isfinite(sides.get()[i].x) && std::isfinite(sides.get()[i].y)) << i;
    }
}

}  // namespace
