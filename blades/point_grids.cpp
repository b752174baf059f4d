// Polyline offsets and the point grids between an outer curve and a contour.
#include "blades/point_grids.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "numerics/plane_geometry.h"

namespace h2 {

namespace {

constexpr int kMaxCrossings = 5;  // crossings of one normal with the contour looked at

// The work arrays of a grid, after the input is checked and the curve is
// copied into row 0: targets start at the curve points and distances at 0,
// so that a segment without a crossing leaves its point where it is.
struct GridWork {
    std::vector<Point3> targets;
    std::vector<double> dist;
};

bool start_grid(const Point3* curve, int n, const Point3* contour, int ncontour, Point3** rows, int nrows,
                GridWork& work) {
    if (curve == nullptr || contour == nullptr || rows == nullptr || n < 2 || ncontour < 2 || nrows < 0)
        return false;
    try {
        work.targets.assign(curve, curve + n);
        work.dist.assign(static_cast<size_t>(n), 0.0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::copy(curve, curve + n, rows[0]);
    return true;
}

}  // namespace

int offset_polyline(const Point3* points, int n, Point3* out, const double* dist, double t) {
    for (int i = 0; i + 1 < n; ++i) {
        Point3 side1{0.0, 0.0, 0.0}, side2{0.0, 0.0, 0.0};
        perp_points(points[i], points[i + 1], dist[i], &side1, &side2, t);
        out[i] = tri_area2(points[i], points[i + 1], side1) > 0.0 ? side1 : side2;
    }
    if (n > 0) out[n - 1] = out[0];
    return n;
}

Point3** grid_alloc(int n, int nrows) {
    if (n < 1 || nrows < 0) return nullptr;
    const size_t count = static_cast<size_t>(nrows) + 1;
    auto** rows = static_cast<Point3**>(std::calloc(count, sizeof(Point3*)));
    if (rows == nullptr) return nullptr;
    auto* block = static_cast<Point3*>(std::calloc(count * static_cast<size_t>(n), sizeof(Point3)));
    if (block == nullptr) {
        std::free(rows);
        return nullptr;
    }
    for (size_t r = 0; r < count; ++r) rows[r] = block + r * static_cast<size_t>(n);
    return rows;
}

void grid_free(Point3** rows) {
    if (rows == nullptr) return;
    std::free(rows[0]);
    std::free(rows);
}

int project_to_contour(const Point3* contour, int ncontour, const Point3* curve, int n, Point3* hits,
                       double* dist) {
    if (contour == nullptr || curve == nullptr || n < 2 || ncontour < 2) return -1;
    int found = 0;
    for (int i = 0; i + 1 < n; ++i) {
        Point3 a{0.0, 0.0, 0.0}, b{0.0, 0.0, 0.0};
        perp_points(curve[i], curve[i + 1], 1.0, &a, &b, 0.0);
        Point3 cut[kMaxCrossings];
        const int count = polyline_cut(contour, ncontour, a, b, cut, kMaxCrossings);
        for (int k = 0; k < count; ++k) {
            if (tri_area2(curve[i], curve[i + 1], cut[k]) > 0.0) {
                hits[i] = cut[k];
                dist[i] = std::fabs(point_line_dist(curve[i], curve[i + 1], cut[k]));
                ++found;
                break;
            }
        }
    }
    return found;
}

int grid_by_offsets(const Point3* curve, int n, const Point3* contour, int ncontour, Point3** rows,
                    int nrows) {
    GridWork work;
    if (!start_grid(curve, n, contour, ncontour, rows, nrows, work)) return 1;
    std::vector<Point3>& hits = work.targets;
    std::vector<double>& dist = work.dist;
    for (int r = 0; r < nrows; ++r) {
        if (project_to_contour(contour, ncontour, rows[r], n, hits.data(), dist.data()) < 0) return 1;
        for (double& d : dist) d /= nrows - r;
        offset_polyline(rows[r], n, rows[r + 1], dist.data(), 0.0);
    }
    return 0;
}

int grid_by_blending(const Point3* curve, int n, const Point3* contour, int ncontour, Point3** rows,
                     int nrows) {
    GridWork work;
    if (!start_grid(curve, n, contour, ncontour, rows, nrows, work)) return 1;
    std::vector<Point3>& target = work.targets;
    // The closing point repeats the first: the searches run over the others.
    const int open = n - 1;
    int ends[2] = {0, 0};  // least x, greatest x
    double least = 1e20, greatest = -1e20;
    for (int i = 0; i < open; ++i) {
        if (curve[i].x < least) {
            least = curve[i].x;
            ends[0] = i;
        }
        if (curve[i].x > greatest) {
            greatest = curve[i].x;
            ends[1] = i;
        }
    }
    if (project_to_contour(contour, ncontour, curve, n, target.data(), work.dist.data()) < 0) return 1;
    const int half = ncontour / 2;
    target[ends[0]].x = contour[0].x;
    target[ends[0]].y = contour[0].y;
    target[ends[1]].x = contour[half].x;
    target[ends[1]].y = contour[half].y;
    for (int c : {0, half - 1, half, ncontour - 2}) {
        const int i = nearest_point(contour[c], curve, open, ends, 2);
        if (i >= 0) target[i] = contour[c];  // none left when the ends are all there is
    }
    for (int r = 0; r <= nrows; ++r) {
        const double f = nrows > 0 ? static_cast<double>(r) / nrows : 0.0;
        for (int i = 0; i < open; ++i) {
            rows[r][i].x = curve[i].x + (target[i].x - curve[i].x) * f;
            rows[r][i].y = curve[i].y + (target[i].y - curve[i].y) * f;
        }
        rows[r][n - 1] = rows[r][0];
    }
    return 0;
}

}  // namespace h2
