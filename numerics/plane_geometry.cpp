// Plane geometry on points: orientation, intersections, offsets, polygons.
#include "numerics/plane_geometry.h"

#include <algorithm>
#include <cmath>

namespace h2 {

namespace {

// A difference, determinant, area or product counts as zero below this.
constexpr double kZero = 1e-16;
// Products of two differences in point_in_polygon count as zero below this.
constexpr double kTouchProduct = 1e-32;
// perp_aux_point steps this far from a along the normal.
constexpr double kAuxStep = 0.1;

Point3 same_xyz(double v) { return Point3{v, v, v}; }

}  // namespace

double dot_xy(Point3 a, Point3 b) { return a.x * b.x + a.y * b.y; }

double angle_xy(Point3 a, Point3 b) {
    return std::acos(dot_xy(a, b) / (std::sqrt(dot_xy(a, a)) * std::sqrt(dot_xy(b, b))));
}

double tri_area2(Point3 a, Point3 b, Point3 c) {
    return (b.y - c.y) * a.x + (c.y - a.y) * b.x + (a.y - b.y) * c.x;
}

double circle_curvature(Point3 p, Point3 c, Point3 q) {
    // Four times the triangle's area over the product of its sides.
    const double lengths = dist2_xy(p, c) * dist2_xy(c, q) * dist2_xy(q, p);
    if (!(lengths > 0.0)) return 0.0;
    return 2.0 * tri_area2(p, c, q) / std::sqrt(lengths);
}

int point_between(Point3 a, Point3 b, Point3 c) {
    // Measured along the coordinate in which ab is longer (y on a tie).
    const bool along_y = std::fabs(a.y - b.y) >= std::fabs(a.x - b.x);
    const double q = along_y ? (c.y - a.y) * (b.y - c.y) : (c.x - a.x) * (b.x - c.x);
    if (q > kZero) return 1;
    if (q >= -kZero) return 0;
    return -1;
}

Point3 line_intersect(Point3 p1, Point3 p2, Point3 p3, Point3 p4) {
    // Each line as a x + b y + c = 0; Cramer's rule for the crossing.
    const double a1 = p1.y - p2.y, b1 = p2.x - p1.x, c1 = p1.x * p2.y - p2.x * p1.y;
    const double a2 = p3.y - p4.y, b2 = p4.x - p3.x, c2 = p3.x * p4.y - p4.x * p3.y;
    const double det = a1 * b2 - b1 * a2;
    if (std::fabs(det) >= kZero) return Point3{(b1 * c2 - c1 * b2) / det, (c1 * a2 - a1 * c2) / det, p1.z};

    if (std::fabs(tri_area2(p1, p2, p3)) >= kZero) return same_xyz(kNoIntersection);  // distinct parallels
    // One line: the segments nest when the ends of one lie within the other.
    if (point_between(p1, p2, p3) + point_between(p1, p2, p4) >= 1) return same_xyz(kNestedSegments);
    if (point_between(p3, p4, p1) + point_between(p3, p4, p2) >= 1) return same_xyz(kNestedSegments);
    return same_xyz(kNoIntersection);
}

double point_line_dist(Point3 a, Point3 b, Point3 p) {
    // Normal form A x + B y + C = 0, oriented so that the origin's side is negative.
    const double A = a.y - b.y;
    const double B = b.x - a.x;
    const double C = a.x * b.y - b.x * a.y;
    const double sign = C >= 0.0 ? -1.0 : 1.0;
    return (A * p.x + B * p.y + C) * sign / std::sqrt(A * A + B * B + kZero);
}

double dist2_xy(Point3 a, Point3 b) { return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y); }

double dist2_xyz(double x1, double y1, double z1, double x2, double y2, double z2) {
    return (x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2) + (z1 - z2) * (z1 - z2);
}

int perp_points(Point3 p1, Point3 p2, double d, Point3* out1, Point3* out2, double t) {
    const double dx = p2.x - p1.x;
    const double dy = p2.y - p1.y;
    const double mx = p1.x + t * dx;
    const double my = p1.y + t * dy;
    if (std::fabs(dx) < kZero) {  // vertical segment: the normal is level
        *out1 = Point3{mx - d, my, p1.z};
        *out2 = Point3{mx + d, my, p1.z};
    } else if (std::fabs(dy) < kZero) {  // level segment: the normal is vertical
        *out1 = Point3{mx, my - d, p1.z};
        *out2 = Point3{mx, my + d, p1.z};
    } else {
        // Normal of slope k = -dx/dy; a step w in x moves d along it.
        const double k = -dx / dy;
        const double w = std::sqrt(d * d / (k * k + 1.0));
        *out1 = Point3{mx - w, my - k * w, p1.z};
        *out2 = Point3{mx + w, my + k * w, p1.z};
    }
    return 0;
}

int perp_points_mid(Point3 p1, Point3 p2, double d, Point3* out1, Point3* out2) {
    return perp_points(p1, p2, d, out1, out2, 0.5);
}

int points_along(Point3 p0, Point3 p1, Point3 p2, double d1, double d2, Point3* out1, Point3* out2) {
    const double dx = p2.x - p0.x;
    const double dy = p2.y - p0.y;
    if ((dx == 0.0 && dy == 0.0) || out1 == nullptr || out2 == nullptr) return 1;
    if (dx == 0.0) {
        *out1 = Point3{p1.x, p1.y - d1, p1.z};
        *out2 = Point3{p1.x, p1.y + d2, p1.z};
    } else if (dy == 0.0) {
        *out1 = Point3{p1.x - d1, p1.y, p1.z};
        *out2 = Point3{p1.x + d2, p1.y, p1.z};
    } else {
        const double length = std::sqrt(dx * dx + dy * dy);
        const double ux = dx / length;
        const double uy = dy / length;
        *out1 = Point3{p1.x - d1 * ux, p1.y - d1 * uy, p1.z};
        *out2 = Point3{p1.x + d2 * ux, p1.y + d2 * uy, p1.z};
    }
    return 0;
}

Point3 bisector_foot(Point3 a, Point3 b, Point3 c) {
    if (std::fabs(tri_area2(a, b, c)) < kZero) return perp_aux_point(b, c);  // a straight angle
    // Angle-bisector theorem: the bisector from b divides ac as |ab| : |bc|.
    const double r =
        std::sqrt(dist2_xyz(a.x, a.y, a.z, b.x, b.y, b.z) / dist2_xyz(b.x, b.y, b.z, c.x, c.y, c.z));
    return Point3{(r * c.x + a.x) / (r + 1.0), (r * c.y + a.y) / (r + 1.0), b.z};
}

Point3 perp_aux_point(Point3 a, Point3 b) {
    const double dy = b.y - a.y;
    if (std::fabs(dy) < kZero) return Point3{a.x, a.y + kAuxStep, a.z};
    return Point3{a.x + kAuxStep, a.y - kAuxStep * (b.x - a.x) / dy, a.z};
}

void parallel_cut(int i, const Point3* P, const Point3* Q, double s, Point3* out) {
    const Point3 A = P[i];
    const Point3 B = P[i + 1];
    const double dx = B.x - A.x;
    const double dy = B.y - A.y;
    // Two points A', B' of the line L: dy x - dx y + s = 0, above A and B (or
    // beside them for a vertical segment).
    Point3 A1{}, B1{};
    if (std::fabs(dx) > kZero) {
        A1 = Point3{A.x, (dy * A.x + s) / dx, A.z};
        B1 = Point3{B.x, (dy * B.x + s) / dx, B.z};
    } else if (std::fabs(dy) < kZero) {
        return;  // a segment of no length has no direction
    } else {
        A1 = Point3{-s / dy, A.y, A.z};
        B1 = Point3{-s / dy, B.y, B.z};
    }
    out[0] = line_intersect(A1, B1, P[i], Q[i]);
    out[0].z = A.z;
    out[1] = line_intersect(A1, B1, P[i + 1], Q[i + 1]);
    out[1].z = B.z;
}

int polyline_cut(const Point3* points, int n, Point3 a, Point3 b, Point3* out, int max) {
    int count = 0;
    for (int i = 0; i + 1 < n && count < max; ++i) {
        // A parallel segment's sentinel point is tested like any other point.
        const Point3 q = line_intersect(points[i], points[i + 1], a, b);
        if (point_between(points[i], points[i + 1], q) >= 0) out[count++] = q;
    }
    return count;
}

int clip_x(Point3* points, int n, double lo, double hi) {
    // A stable compaction in place: every kept point moves towards the front
    // only, so no copy of the array is needed.
    if (n <= 0) return 0;
    Point3* end =
        std::remove_if(points, points + n, [lo, hi](const Point3& p) { return !(lo < p.x && p.x < hi); });
    return static_cast<int>(end - points);
}

int point_in_polygon(int n, const double* xs, const double* ys, double px, double py) {
    const auto edge = [xs, ys](int i, double& x0, double& y0, double& x1, double& y1) {
        x0 = xs[i];
        y0 = ys[i];
        x1 = xs[i + 1];
        y1 = ys[i + 1];
    };
    return detail::crossing_test(n, edge, px, py, kTouchProduct);
}

int nearest_point(Point3 p, const Point3* points, int n, const int* skip, int nskip) {
    constexpr double kFar = 1e20;  // farther than any point of a flow path
    double best = kFar;
    int index = -1;
    for (int i = 0; i < n; ++i) {
        if (skip != nullptr && std::find(skip, skip + std::max(nskip, 0), i) != skip + std::max(nskip, 0))
            continue;
        const double d2 = dist2_xy(p, points[i]);
        if (d2 < best) {
            best = d2;
            index = i;
        }
    }
    return index;
}

double perp_foot(double px, double py, double x1, double y1, double x2, double y2, double* fx, double* fy) {
    if (x2 == x1) {  // vertical line
        *fx = x1;
        *fy = py;
    } else if (y2 == y1) {
        // A level line has no normal slope to divide by; its foot is straight below p.
        *fx = px;
        *fy = y1;
    } else {
        // The foot solves y - y1 = k (x - x1) together with y - py = -(x - px) / k.
        const double k = (y2 - y1) / (x2 - x1);
        *fx = (py - y1 + px / k + x1 * k) / (1.0 / k + k);
        *fy = (*fx - x1) * k + y1;
    }
    return std::sqrt((*fx - px) * (*fx - px) + (*fy - py) * (*fy - py));
}

}  // namespace h2
