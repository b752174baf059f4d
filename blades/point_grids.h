// Polylines and structured point grids in the plane: the offset of a
// polyline to the left of each of its segments, and grids of rows that step
// from an outer closed curve towards a blade contour inside it.
//
// A closed polyline of n points repeats its first point last; segment i runs
// from point i to point i + 1. A point lies left of a segment when it turns
// counter-clockwise from it, so a counter-clockwise outer curve has the
// contour on its left.
#pragma once

#include "halvorine2/case_block.h"

namespace h2 {

// For each segment i (points i to i + 1, i = 0..n-2) the point at distance
// dist[i] to its left on the normal through p_i + t (p_(i+1) - p_i), into
// out[i]; out[n-1] = out[0], as for a closed polyline. Returns n.
int offset_polyline(const Point3* points, int n, Point3* out, const double* dist, double t);

// A grid of nrows + 1 rows of n points, zero-filled: one block of points
// owned by the returned row-pointer array (row r is rows[r]). NULL, with
// nothing left allocated, for n < 1, nrows < 0 or no memory.
Point3** grid_alloc(int n, int nrows);
// Frees a grid of grid_alloc; NULL is ignored.
void grid_free(Point3** rows);

// For each segment i of the curve, the first crossing (in the contour's
// segment order, of at most 5) of the segment's normal through p_i with the
// contour that lies left of the segment: hits[i], and its distance from the
// segment's line in dist[i]. A segment without such a crossing keeps its
// hits[i] and dist[i]. Returns the number of segments that found one; -1
// when the curve or the contour has fewer than two points.
int project_to_contour(const Point3* contour, int ncontour, const Point3* curve, int n, Point3* hits,
                       double* dist);

// Rows from the curve (row 0) to the contour (row nrows): each row is the
// previous one moved along the normals by 1/(rows left) of its projected
// distance. A segment that finds no crossing takes the step of the row
// before, divided by the rows left (on row 0 no step: such a point stays).
// 0; 1 when the curve or the contour has fewer than two points, nrows < 0
// or memory runs out.
int grid_by_offsets(const Point3* curve, int n, const Point3* contour, int ncontour, Point3** rows,
                    int nrows);

// Rows blended linearly in x and y from the curve (row 0) to targets on the
// contour (row nrows). The targets are the curve's projections, except that
// the least-x and greatest-x curve points aim at contour points 0 and
// ncontour/2 (keeping their z) and the curve points nearest to contour
// points 0, ncontour/2 - 1, ncontour/2 and ncontour - 2 (the ends left out)
// aim at them; a point without a crossing aims at itself. The closing point
// of every row repeats its first; with nrows 0 the one row is the curve.
// 0; 1 as for grid_by_offsets.
int grid_by_blending(const Point3* curve, int n, const Point3* contour, int ncontour, Point3** rows,
                     int nrows);

}  // namespace h2
