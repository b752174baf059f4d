// Polylines in the plane: the offset of a polyline to the left of each of
// its segments.
#pragma once

#include "halvorine2/case_block.h"

namespace h2 {

// For each segment i (points i to i + 1, i = 0..n-2) the point at distance
// dist[i] to its left on the normal through p_i + t (p_(i+1) - p_i), into
// out[i]; out[n-1] = out[0], as for a closed polyline. Returns n.
int offset_polyline(const Point3* points, int n, Point3* out, const double* dist, double t);

}  // namespace h2
