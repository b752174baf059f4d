// Polyline offsets.
#include "blades/point_grids.h"

#include "numerics/plane_geometry.h"

namespace h2 {

int offset_polyline(const Point3* points, int n, Point3* out, const double* dist, double t) {
    for (int i = 0; i + 1 < n; ++i) {
        Point3 side1{0.0, 0.0, 0.0}, side2{0.0, 0.0, 0.0};
        perp_points(points[i], points[i + 1], dist[i], &side1, &side2, t);
        out[i] = tri_area2(points[i], points[i + 1], side1) > 0.0 ? side1 : side2;
    }
    if (n > 0) out[n - 1] = out[0];
    return n;
}

}  // namespace h2
