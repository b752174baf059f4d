// Small stateless tools on tables and scalar functions: linear interpolation,
// trapezoid sums, three-point slopes, the middle of a sorted table and root
// finding by false position. None allocates, keeps state or reports an error;
// tables are plain arrays of doubles, counts are 32-bit.
#pragma once

namespace h2 {

using ScalarFunc = double (*)(double x);
using ScalarCtxFunc = double (*)(double x, void* ctx);

// Linear interpolation in the n-point table (xs ascending) at x; outside the
// table the end intervals are extended. ys[0] for n < 1 (xs is not read).
double interp1(int n, const double* xs, const double* ys, double x);

// Bilinear interpolation at (x, y); grid point (i, j) holds table[i * ny + j].
// Outside the grid the end cells are extended; table[0] for an empty grid.
double interp2(int nx, int ny, const double* xs, const double* ys, const double* table, double x, double y);

// Trapezoidal integral over n equal intervals of width h; values holds n + 1 points.
double trapezoid_sum(int n, double h, const double* values);

// Slope of the parabola through (0, y0), (h1, y1), (h1 + h2, y2) at the point
// picked by mode (0, 1, 2); 0.0 for any other mode.
double fd_deriv(int mode, double h1, double h2, double y0, double y1, double y2);

// Slope at x of the parabola through (x0, y0), (x1, y1), (x2, y2); the
// abscissae may come in any order but must differ.
double parabola_slope(double x0, double x1, double x2, double y0, double y1, double y2, double x);

// Middle value of the sorted values[0..m]; m is the last index, not the count.
double mid_value(int m, const double* values);

// Walks from *b towards *a in n equal steps and narrows (*a, *b) to the k-th
// sign change of f met on the way; without one both end at the last point.
void root_bracket(ScalarFunc f, double* a, double* b, int n, int k);

// A root of f by false position, starting from x0 and x0 + h; tol is relative to h.
double root_falsi(ScalarFunc f, double x0, double h, double tol);

// root_falsi with ctx handed unchanged to every call of f.
double root_falsi_ctx(ScalarCtxFunc f, double x0, double h, double tol, void* ctx);

}  // namespace h2
