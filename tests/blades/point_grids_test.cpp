#include "blades/point_grids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct GridDeleter {
    void operator()(Point3** rows) const { h2::grid_free(rows); }
};
using Grid = std::unique_ptr<Point3*, GridDeleter>;

// A regular polygon of `count` corners about (0, yc), run clockwise from its
// least-x corner, closed by repeating that corner.
std::vector<Point3> clockwise_polygon(double radius, double yc, int count) {
    std::vector<Point3> p;
    for (int k = 0; k <= count; ++k) {
        const double angle = kPi - 2.0 * kPi * (k % count) / count;
        p.push_back({radius * std::cos(angle), yc + radius * std::sin(angle), 0.5});
    }
    return p;
}

// Outward normal angle of segment k of that polygon: the middle of its two
// corners' polar angles.
double outward_normal(int k, int count) { return kPi - 2.0 * kPi * (k + 0.5) / count; }

// Where the ray from p at angle phi leaves the square |x|, |y| <= half.
Point3 ray_leaves_square(Point3 p, double phi, double half) {
    const double ux = std::cos(phi), uy = std::sin(phi);
    double s = 1e300;
    if (std::fabs(ux) > 1e-15) s = std::min(s, (std::copysign(half, ux) - p.x) / ux);
    if (std::fabs(uy) > 1e-15) s = std::min(s, (std::copysign(half, uy) - p.y) / uy);
    return {p.x + s * ux, p.y + s * uy, p.z};
}

// The square |x|, |y| <= 1, clockwise from (-1, 0), so that point 0 is its
// least-x middle and point 4 (of 9) its greatest-x middle.
const std::vector<Point3> kSquare = {{-1, 0, 0}, {-1, 1, 0}, {0, 1, 0},   {1, 1, 0}, {1, 0, 0},
                                     {1, -1, 0}, {0, -1, 0}, {-1, -1, 0}, {-1, 0, 0}};

void expect_point(Point3 got, Point3 want, double tol, const char* what, int r, int i) {
    EXPECT_NEAR(got.x, want.x, tol) << what << " row " << r << " point " << i;
    EXPECT_NEAR(got.y, want.y, tol) << what << " row " << r << " point " << i;
}

TEST(PointGrids, GridIsOneZeroFilledBlockOfRows) {
    Grid grid(h2::grid_alloc(7, 3));
    ASSERT_NE(grid, nullptr);
    for (int r = 0; r <= 3; ++r) {
        EXPECT_EQ(grid.get()[r], grid.get()[0] + 7 * r);
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(grid.get()[r][i].x + grid.get()[r][i].y + grid.get()[r][i].z, 0.0);
    }
    EXPECT_EQ(h2::grid_alloc(0, 3), nullptr);
    EXPECT_EQ(h2::grid_alloc(5, -1), nullptr);
    h2::grid_free(nullptr);
}

TEST(PointGrids, ProjectionTakesTheFirstCrossingOnTheLeft) {
    const std::vector<Point3> curve = {{0, 0, 0}, {1, 0, 0}};
    // A U open to the left: the normal x = 0 meets its lower side first (on
    // the segment's right), then its upper side.
    const std::vector<Point3> u = {{-1, -1, 0}, {1, -1, 0}, {1, 2, 0}, {-1, 2, 0}};
    Point3 hit{9, 9, 9};
    double dist = -1;
    EXPECT_EQ(h2::project_to_contour(u.data(), 4, curve.data(), 2, &hit, &dist), 1);
    EXPECT_NEAR(hit.x, 0.0, 1e-15);
    EXPECT_NEAR(hit.y, 2.0, 1e-15);
    EXPECT_NEAR(dist, 2.0, 1e-15);
    // A contour only on the right keeps the hit and distance given.
    hit = {9, 9, 9};
    dist = -1;
    EXPECT_EQ(h2::project_to_contour(u.data(), 2, curve.data(), 2, &hit, &dist), 0);
    EXPECT_EQ(hit.x, 9.0);
    EXPECT_EQ(hit.y, 9.0);
    EXPECT_EQ(dist, -1.0);
    EXPECT_EQ(h2::project_to_contour(u.data(), 4, curve.data(), 1, &hit, &dist), -1);
    EXPECT_EQ(h2::project_to_contour(u.data(), 1, curve.data(), 2, &hit, &dist), -1);
}

TEST(PointGrids, ProjectionOfAPolygonOntoASurroundingSquare) {
    // Each segment's normal through its first corner leaves the polygon
    // outwards (the left of a clockwise run) and meets the square once there.
    const int N = 12;
    const auto curve = clockwise_polygon(0.4, 0.05, N);
    std::vector<Point3> hits(N + 1, Point3{0, 0, 0});
    std::vector<double> dist(N + 1, 0.0);
    EXPECT_EQ(h2::project_to_contour(kSquare.data(), 9, curve.data(), N + 1, hits.data(), dist.data()), N);
    for (int k = 0; k < N; ++k) {
        const Point3 want = ray_leaves_square(curve[k], outward_normal(k, N), 1.0);
        expect_point(hits[k], want, 1e-12, "hit", 0, k);
        EXPECT_NEAR(dist[k], std::hypot(want.x - curve[k].x, want.y - curve[k].y), 1e-12) << k;
    }
}

TEST(PointGrids, OffsetRowsReachTheContour) {
    const int N = 24;
    const auto curve = clockwise_polygon(0.3, 0.0, N);
    const int n = N + 1;
    // One row: the whole projected distance in one step.
    Grid one(h2::grid_alloc(n, 1));
    ASSERT_EQ(h2::grid_by_offsets(curve.data(), n, kSquare.data(), 9, one.get(), 1), 0);
    for (int k = 0; k < N; ++k) {
        expect_point(one.get()[0][k], curve[k], 0.0, "curve", 0, k);
        expect_point(one.get()[1][k], ray_leaves_square(curve[k], outward_normal(k, N), 1.0), 1e-12, "offset",
                     1, k);
    }
    expect_point(one.get()[1][N], one.get()[1][0], 0.0, "closing", 1, N);
    // Five rows: each steps outwards, the last lies on the square.
    const int rows = 5;
    Grid grid(h2::grid_alloc(n, rows));
    ASSERT_EQ(h2::grid_by_offsets(curve.data(), n, kSquare.data(), 9, grid.get(), rows), 0);
    for (int r = 0; r <= rows; ++r) {
        expect_point(grid.get()[r][N], grid.get()[r][0], 0.0, "closing", r, N);
        for (int k = 0; k < N && r > 0; ++k) {
            const Point3 p = grid.get()[r][k], q = grid.get()[r - 1][k];
            EXPECT_GT(std::max(std::fabs(p.x), std::fabs(p.y)),
                      std::max(std::fabs(q.x), std::fabs(q.y)) - 1e-12);
        }
    }
    for (int k = 0; k < N; ++k) {
        const Point3 p = grid.get()[rows][k];
        EXPECT_NEAR(std::max(std::fabs(p.x), std::fabs(p.y)), 1.0, 1e-12) << k;
    }
}

TEST(PointGrids, OffsetPointsWithoutACrossingStay) {
    // Only the square's top side: the lower half of the polygon finds no
    // crossing on its left and stays on the curve.
    const int N = 12;
    const auto curve = clockwise_polygon(0.4, 0.05, N);
    const std::vector<Point3> top = {{-1, 1, 0}, {1, 1, 0}};
    Grid grid(h2::grid_alloc(N + 1, 1));
    ASSERT_EQ(h2::grid_by_offsets(curve.data(), N + 1, top.data(), 2, grid.get(), 1), 0);
    for (int k = 0; k < N; ++k) {
        if (k >= 2 && k <= 4) {  // normals at 105, 75 and 45 degrees meet the side
            expect_point(grid.get()[1][k], ray_leaves_square(curve[k], outward_normal(k, N), 1.0), 1e-12,
                         "top", 1, k);
        } else {
            expect_point(grid.get()[1][k], curve[k], 1e-15, "stays", 1, k);
        }
    }
}

TEST(PointGrids, BlendedRowsRunFromCurveToTargets) {
    const int N = 12, n = N + 1, rows = 4;
    // Centred a little above the square's axis, so that no nearest point ties.
    const auto curve = clockwise_polygon(0.4, 0.05, N);
    std::vector<Point3> target(N);
    for (int k = 0; k < N; ++k) target[k] = ray_leaves_square(curve[k], outward_normal(k, N), 1.0);
    // The least-x (0) and greatest-x (6) corners aim at contour points 0 and
    // 4; the corners nearest to contour points 0, 3, 4 and 7 among the rest:
    target[0] = {-1, 0, 0};
    target[6] = {1, 0, 0};
    target[11] = {-1, 0, 0};   // (-0.346, -0.15) against (-0.346, 0.25)
    target[5] = {1, 1, 0};     // (0.346, 0.25) against (0.2, 0.396)
    target[7] = {1, 0, 0};     // (0.346, -0.15) against (0.346, 0.25)
    target[10] = {-1, -1, 0};  // (-0.2, -0.296) against (-0.346, -0.15)
    Grid grid(h2::grid_alloc(n, rows));
    ASSERT_EQ(h2::grid_by_blending(curve.data(), n, kSquare.data(), 9, grid.get(), rows), 0);
    for (int r = 0; r <= rows; ++r) {
        for (int k = 0; k < N; ++k) {
            const Point3 want{curve[k].x + (target[k].x - curve[k].x) * r / rows,
                              curve[k].y + (target[k].y - curve[k].y) * r / rows, 0.0};
            expect_point(grid.get()[r][k], want, 1e-12, "blend", r, k);
        }
        expect_point(grid.get()[r][N], grid.get()[r][0], 0.0, "closing", r, N);
    }
    EXPECT_EQ(grid.get()[0][3].z, 0.5);  // row 0 is the curve itself
}

TEST(PointGrids, BlendedPointsWithoutACrossingStay) {
    const int N = 12, n = N + 1, rows = 2;
    const auto curve = clockwise_polygon(0.4, 0.05, N);
    const std::vector<Point3> top = {{-1, 1, 0}, {1, 1, 0}};
    std::vector<Point3> target(curve.begin(), curve.end() - 1);
    for (int k = 2; k <= 4; ++k) target[k] = ray_leaves_square(curve[k], outward_normal(k, N), 1.0);
    target[0] = target[1] = top[0];  // least x, and the nearest other corner
    target[6] = target[5] = top[1];  // greatest x, and the nearest other corner
    Grid grid(h2::grid_alloc(n, rows));
    ASSERT_EQ(h2::grid_by_blending(curve.data(), n, top.data(), 2, grid.get(), rows), 0);
    for (int k = 0; k < N; ++k) expect_point(grid.get()[rows][k], target[k], 1e-12, "target", rows, k);
}

TEST(PointGrids, BlendingSkipsContourPointsWithoutAnAdmissibleNeighbour) {
    // Two distinct points, both ends: nearest_point finds nothing to move.
    const std::vector<Point3> curve = {{-0.5, 0.1, 0}, {0.5, -0.1, 0}, {-0.5, 0.1, 0}};
    Grid grid(h2::grid_alloc(3, 2));
    ASSERT_EQ(h2::grid_by_blending(curve.data(), 3, kSquare.data(), 9, grid.get(), 2), 0);
    expect_point(grid.get()[2][0], kSquare[0], 1e-15, "least x", 2, 0);
    expect_point(grid.get()[2][1], kSquare[4], 1e-15, "greatest x", 2, 1);
    expect_point(grid.get()[1][1], {0.75, -0.05, 0}, 1e-15, "middle", 1, 1);
    expect_point(grid.get()[2][2], grid.get()[2][0], 0.0, "closing", 2, 2);
}

TEST(PointGrids, GridsRefuseShortInput) {
    const auto curve = clockwise_polygon(0.4, 0.0, 6);
    Grid grid(h2::grid_alloc(7, 2));
    for (auto* build : {&h2::grid_by_offsets, &h2::grid_by_blending}) {
        EXPECT_EQ(build(curve.data(), 1, kSquare.data(), 9, grid.get(), 2), 1);
        EXPECT_EQ(build(curve.data(), 7, kSquare.data(), 1, grid.get(), 2), 1);
        EXPECT_EQ(build(curve.data(), 7, kSquare.data(), 9, grid.get(), -1), 1);
        EXPECT_EQ(build(curve.data(), 7, kSquare.data(), 9, nullptr, 2), 1);
        EXPECT_EQ(build(curve.data(), 7, kSquare.data(), 9, grid.get(), 2), 0);
    }
}

}  // namespace
