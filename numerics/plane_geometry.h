// Plane geometry on Point3 for the blade-section and layer code: everything
// works in the x-y plane; z is carried along from a named input point and
// never enters a test (except in dist2_xyz).
#pragma once

#include <cmath>

#include "halvorine2/case_block.h"

namespace h2 {

// Sentinels of line_intersect for lines without one intersection.
inline constexpr double kNoIntersection =
    1e6;  // distinct parallel lines, or collinear segments that do not nest
inline constexpr double kNestedSegments = -1e6;  // collinear, one segment's end inside the other

double dot_xy(Point3 a, Point3 b);
// The angle between a and b as vectors, radians.
double angle_xy(Point3 a, Point3 b);
// Twice the signed area of the triangle abc, positive counter-clockwise.
double tri_area2(Point3 a, Point3 b, Point3 c);
// Curvature of the circle through p, c and q, positive when p -> c -> q turns
// counter-clockwise (left); 0 when two of the points coincide (no circle).
double circle_curvature(Point3 p, Point3 c, Point3 q);
// For c on the line ab: 1 strictly between a and b, 0 at an end, -1 outside.
int point_between(Point3 a, Point3 b, Point3 c);
// Intersection of the lines p1p2 and p3p4 with z of p1, or the sentinels above.
Point3 line_intersect(Point3 p1, Point3 p2, Point3 p3, Point3 p4);
// Signed distance of p from the line ab: negative on the origin's side.
double point_line_dist(Point3 a, Point3 b, Point3 p);
double dist2_xy(Point3 a, Point3 b);
double dist2_xyz(double x1, double y1, double z1, double x2, double y2, double z2);
// The two points at distance d on either side of p1p2, on its normal through
// p1 + t (p2 - p1); z of p1. Returns 0.
int perp_points(Point3 p1, Point3 p2, double d, Point3* out1, Point3* out2, double t);
int perp_points_mid(Point3 p1, Point3 p2, double d, Point3* out1, Point3* out2);
// The points d1 behind and d2 ahead of p1 along the direction p0 -> p2; z of
// p1. 0, or 1 (nothing written) when p0 and p2 coincide or an output is missing.
int points_along(Point3 p0, Point3 p1, Point3 p2, double d1, double d2, Point3* out1, Point3* out2);
// A point on the bisector of the angle abc (on ac, dividing it as |ab| : |bc|);
// for a straight angle a point on the normal at b.
Point3 bisector_foot(Point3 a, Point3 b, Point3 c);
// A point on the normal of ab through a.
Point3 perp_aux_point(Point3 a, Point3 b);
// Where the line dy x - dx y + s = 0, parallel to P[i]P[i+1], meets P[i]Q[i]
// (out[0], z of P[i]) and P[i+1]Q[i+1] (out[1], z of P[i+1]). Nothing is
// written for a segment of no length.
void parallel_cut(int i, const Point3* P, const Point3* Q, double s, Point3* out);
// The crossings of the polyline's segments with the line ab, in segment
// order, at most max of them; their count.
int polyline_cut(const Point3* points, int n, Point3 a, Point3 b, Point3* out, int max);
// Keeps, in order and at the front, the points with lo < x < hi; their count.
int clip_x(Point3* points, int n, double lo, double hi);
// The polygon xs[0..n], ys[0..n] (first point repeated at the end): 1 inside,
// -1 outside, 0 on the boundary.
int point_in_polygon(int n, const double* xs, const double* ys, double px, double py);
// Index of the point nearest to p in the plane, skipping the nskip indices in
// skip (may be NULL); -1 when none is left. Ties keep the earlier point.
int nearest_point(Point3 p, const Point3* points, int n, const int* skip, int nskip);
// Distance from (px, py) to the foot (*fx, *fy) of its perpendicular on the
// line through (x1, y1) and (x2, y2).
double perp_foot(double px, double py, double x1, double y1, double x2, double y2, double* fx, double* fy);

namespace detail {

// The crossing-number test shared by point_in_polygon and the circular list:
// edge(i, x0, y0, x1, y1) gives edge i of count and is called once per edge,
// in order; `touch` is the threshold below which a product of two
// differences counts as zero.
template <class EdgeAt>
int crossing_test(int count, EdgeAt edge, double px, double py, double touch) {
    constexpr double kZero = 1e-16;  // a difference counts as zero below this
    int crossings = 0;
    for (int i = 0; i < count; ++i) {
        double x0, y0, x1, y1;
        edge(i, x0, y0, x1, y1);
        if ((y1 - py) * (y0 - py) > touch) continue;  // both ends on one side of y = py
        if (std::fabs(y1 - y0) < kZero) {
            // A level edge on the line: on the boundary when it spans px.
            if ((x1 - px) * (x0 - px) > touch) continue;
            return 0;
        }
        // A crossing through the lower end is not counted, so a vertex on the
        // line is met once, by the edge that leaves it upwards.
        const double xl = y0 < y1 ? x0 : x1;
        const double yl = y0 < y1 ? y0 : y1;
        if (std::fabs(py - yl) < kZero) {
            if (std::fabs(px - xl) < kZero) return 0;
            continue;
        }
        const double xc = x0 + (x1 - x0) * (py - y0) / (y1 - y0);
        if (xc - px > kZero) continue;  // crossing to the right
        if (std::fabs(xc - px) < kZero) return 0;
        ++crossings;  // crossing to the left
    }
    return crossings % 2 == 1 ? 1 : -1;
}

}  // namespace detail

}  // namespace h2
