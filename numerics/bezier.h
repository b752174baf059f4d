// Bezier curves of one coordinate, and the curvature of a plane Bezier curve
// built from them.
#pragma once

namespace h2 {

// Order 0: the Bezier curve with the n control values p at parameter t.
// Order 1 and 2: the Bezier curve of the first or second differences of p,
// without degree factors (the true derivatives of the order-0 curve are
// (n - 1) and (n - 1)(n - 2) times these). A curve too short for the order
// (n <= order) has a zero derivative: 0.0. Any other order, or no work
// memory: not a number.
double bezier_eval(int n, int order, const double* p, double t);

// (X1 Y2 - X2 Y1) / (X1^2 + Y1^2)^1.5 with the order-1 and order-2 values of
// the curve with control points (px[i], py[i]); for lack of the degree
// factors it is (n - 1)/(n - 2) times the geometric curvature.
double bezier_curvature(int n, const double* px, const double* py, double t);

}  // namespace h2
