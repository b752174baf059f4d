// B-spline curve interpolation (non-rational NURBS) for the streamline curves:
// global interpolation by chord-length parameters and averaged knots, the
// knot-span search, the basis recurrence and a small banded solver.
#pragma once

#include "halvorine2/case_block.h"
#include "halvorine2/curves.h"

namespace h2 {

// The highest degree a curve may have.
inline constexpr int kNurbsMaxDegree = 20;

// Results of nurbs_interp.
inline constexpr int kNurbsFitted = 0;
inline constexpr int kNurbsBadDegree = -1;
inline constexpr int kNurbsNoCurveMemory = -2;  // control points or knots
inline constexpr int kNurbsNoParamMemory = -3;
inline constexpr int kNurbsNotSolved = 1;  // too few points, a zero pivot, or no memory for the matrix

// Fits `curve` (zeroed, owned by the caller) through the n points: dim 2 solves
// x and y (z of the control points 0), dim 3 also z. The curve's arrays are
// allocated with calloc and released by nurbs_free, also after a failure.
int nurbs_interp(NurbsCurve* curve, int dim, int n, const Point3* points, int degree);

// The knot span index of u: degree for u at or below the first inner knot,
// count - 1 at or above the last, so values outside [0, 1] use the end pieces.
int nurbs_span(const NurbsCurve* curve, double u);

// The degree + 1 non-zero basis functions at u in span, written into N (room
// for degree + 1 values); false for a curve whose degree is outside 0..20.
bool nurbs_basis_into(const NurbsCurve* curve, double u, int span, double* N);
// The same in a newly allocated array (free() it); NULL when memory is short.
double* nurbs_basis(const NurbsCurve* curve, double u, int span);

// The curve point at u (the zero point for a curve without a valid degree).
Point3 nurbs_point(const NurbsCurve* curve, double u);
// Radius of curvature at u from the turn of the chords to u - 0.01 and u + 0.01.
double nurbs_radius(const NurbsCurve* curve, double u);
// Releases the curve's arrays and clears their pointers; NULL is accepted.
void nurbs_free(NurbsCurve* curve);

// Chord-length parameters u[0..n-1] of the points (n = curve->count): 0 to 1
// in proportion to the distance travelled; returns the total chord length.
double chord_params(const NurbsCurve* curve, const Point3* points, double* u);
// The clamped knot vector of n + p + 1 values with inner knots averaged from u.
void knot_average(int n, const double* u, int p, double* knots);

// Band storage of an n x n matrix with lower width pl and upper width pu:
// pl + pu + 1 rows of n doubles; band row k, column i holds A[i + k - pu][i],
// so row pu is the diagonal.
using BandRows = double**;
// Allocates the band and fills it from the dense rows A (may be NULL: all
// zero); NULL when memory is short. Release with band_free.
BandRows band_alloc(double* const* A, int n, int pl, int pu);
// Copies the band part of the dense rows into the band.
void band_copy(int n, double* const* dense, BandRows band, int pl, int pu);
// Doolittle factorisation in place, without pivoting: 0 done; -1 n = 0;
// 2 a zero diagonal before the last without a lower band; 3 a zero pivot;
// 1 a zero last diagonal element.
int band_lu(BandRows band, int n, int pl, int pu);
// Solves with the factors of band_lu; b is overwritten by the solution.
void band_solve(BandRows band, int n, int pl, int pu, double* b);
void band_free(BandRows band);
// Prints rows first_row.. and columns first_col.. of a dense matrix, for tracing.
void band_print(double* const* matrix, int first_row, int rows, int first_col, int cols);

}  // namespace h2
