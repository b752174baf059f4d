// Interpolating cubic splines in second-derivative (moment) form. A fitted
// spline is four caller-owned arrays over the same n + 1 knots: abscissae x
// (ascending for evaluation), values y, and from the fit the slopes s and
// second derivatives M at the knots.
#pragma once

namespace h2 {

// End conditions of spline_fit: kind 1 fixes the end slope; any other kind
// fixes the end second derivative (0.0 for a natural end).
inline constexpr int kSplineEndSlope = 1;
inline constexpr int kSplineEndCurvature = 0;

// Results of spline_fit.
inline constexpr int kSplineFitted = 0;
inline constexpr int kSplineShortFirstInterval = 1;  // also: no interval at all (n < 1)
inline constexpr int kSplineShortInterval = 2;       // a later interval below 1e-10
inline constexpr int kSplineNoMemory = 3;            // no work memory; s and M unwritten

// Fits the spline through (x[i], y[i]), i = 0..n, with the given end
// conditions, and writes the knot slopes s and moments M (n + 1 each).
int spline_fit(int n, int start_kind, int end_kind, double start_value, double end_value, const double* x,
               const double* y, double* s, double* M);

// Solves A[i] u[i-1] + B[i] u[i] + C[i] u[i+1] = R[i], i = 0..n, without
// pivoting (A[0] and C[n] are not read). 0 solved; -1 no work memory (u unwritten).
int tridiag_solve(int n, const double* A, const double* B, const double* C, const double* R, double* u);

// The spline, its slope and its second derivative at t; a t beyond either end
// follows the end interval's cubic.
double spline_value(int n, const double* x, const double* y, const double* M, double t);
double spline_slope(int n, const double* x, const double* y, const double* M, double t);
double spline_curv(int n, const double* x, const double* y, const double* M, double t);

}  // namespace h2
