/* Curves for the host: interpolation of plane points by a B-spline curve. */
#ifndef HALVORINE2_CURVES_H
#define HALVORINE2_CURVES_H

#include <stdint.h>

#include "halvorine2/case_block.h"
#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* A non-rational B-spline curve: every weight is 1, and z of a control point is
 * an ordinary coordinate (0 for plane curves). */
typedef struct NurbsCurve {
    int32_t dim;    /* coordinates solved for: 2 (x, y) or 3 (x, y, z) */
    int32_t degree; /* degree p: the one asked for, at most count - 1 */
    int32_t count;  /* control points n, as many as data points */
    Point3* ctrl;   /* n control points */
    double* knots;  /* n + p + 1 knots, clamped: p + 1 zeros first, p + 1 ones last */
} NurbsCurve;

/* Fits a curve of the given degree (1..20) through the n points (xs[i], ys[i])
 * by chord-length parameters and averaged knots, samples it at m parameters
 * u = i / (m - 1), and writes the slope dy/dx and the signed curvature
 * (negative where the slope falls) at each data point, interpolated in the
 * samples by x. When samples is not NULL it receives one block of 4 m doubles
 * (sample x, y, slope, curvature) for the caller to free().
 *
 * Returns the curve, or NULL (slope and curvature unwritten) when the degree is
 * outside 1..20, n < 2, m < 2, a pointer is missing, the points cannot be
 * interpolated (coincident points) or memory is short. The caller releases the
 * curve with free(curve->ctrl), free(curve->knots) and free(curve).
 *
 * Points that do not run in +x (the samples' x fall somewhere) have no slope as
 * a function of x to interpolate in; each data point then takes the values of
 * the sample nearest to it. */
H2_API NurbsCurve* NurbsInt2D(int n, int degree, int m, const double* xs, const double* ys, double* slope,
                              double* curvature, double** samples);

H2_EXTERN_C_END

#endif
