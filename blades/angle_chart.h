// Smooth curves between two end points with given end directions: a cubic
// Bezier curve whose inner control points lie on the end tangents, at
// fractions of the way to the tangents' intersection read from a chart over
// the two base angles of the triangle the ends form with that intersection.
// Angles in degrees.
#pragma once

namespace h2 {

// k1 = chart(a, b) and k2 = chart(b, a), interpolated bilinearly over the
// grid 5, 10, ..., 85 on both axes (extended linearly outside it).
void chart_fractions(double a, double b, double* k1, double* k2);

// Fills xs[i], ys[i] for i = i0..N with the curve at u = i/N, from (x0, y0)
// leaving at angle0 to (x3, y3) arriving at angle3; the chart fractions go to
// k1 and k2 when they are not NULL. Returns 0.
//
// Parallel end tangents have no intersection, and tangents that meet at an
// end point give no triangle: the inner control points are then put on the
// tangents at a third of the end-point distance (the fractions 1/3).
int endangle_curve(int i0, int N, double x0, double y0, double angle0, double x3, double y3, double angle3,
                   double* xs, double* ys, double* k1, double* k2);

}  // namespace h2
