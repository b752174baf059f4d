// The blade-section contour object: extremes, edge circles, chords, strips
// and section properties.
#include "blades/prof_shape.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "case/output_internal.h"
#include "halvorine2/profile_tools.h"
#include "numerics/one_dim.h"
#include "numerics/plane_geometry.h"

namespace h2 {

namespace {

constexpr double kRad = 0.017453292519943295;  // radians per degree
constexpr double kCollinear = 1e-12;           // cross product below which three points are collinear

// Index i of a closed contour of n points, taken modulo n.
int wrap(int i, int n) { return ((i % n) + n) % n; }

int circle_at(const ProfShape& s, int i0, int i1, int i2, double* r, Point3* c) {
    return circle3(s.points[wrap(i0, s.n)], s.points[wrap(i1, s.n)], s.points[wrap(i2, s.n)], r, c);
}

// The tightest of the circles offered to it, and the index it was found at;
// with none offered, a zero circle at the starting index.
struct TightestCircle {
    explicit TightestCircle(int start) : at(start) {}
    void offer(double radius, Point3 centre, int index) {
        if (any && radius >= r) return;
        r = radius;
        c = centre;
        at = index;
        any = true;
    }
    double r = 0.0;
    Point3 c{0.0, 0.0, 0.0};
    int at;
    bool any = false;
};

// Collects the x and y of the points from `from` to `to`, stepping by `step`
// (+1 or -1) around the contour; false when more than n points would be taken.
bool walk(const ProfShape& s, int from, int to, int step, double* xs, double* ys, int* count) {
    int k = 0;
    for (int i = from;; i = wrap(i + step, s.n)) {
        if (k >= s.n) return false;
        xs[k] = s.points[i].x;
        ys[k] = s.points[i].y;
        ++k;
        if (i == to) break;
    }
    *count = k;
    return true;
}

}  // namespace

ProfShape* prof_create(int n, int m) {
    if (n < 4 || m < 1) return nullptr;
    try {
        auto shape = std::make_unique<ProfShape>();
        shape->n = n;
        shape->m = m;
        shape->points.assign(static_cast<size_t>(n), Point3{0.0, 0.0, 0.0});
        shape->backward_strips.assign(static_cast<size_t>(m), Point3{0.0, 0.0, 0.0});
        shape->forward_strips.assign(static_cast<size_t>(m), Point3{0.0, 0.0, 0.0});
        shape->camber_points.assign(static_cast<size_t>(m), Point3{0.0, 0.0, 0.0});
        shape->camber_radii.assign(static_cast<size_t>(m), 0.0);
        return shape.release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

ProfShape* prof_free(ProfShape* shape) {
    std::unique_ptr<ProfShape> owned(shape);
    return nullptr;
}

int prof_copy_in(ProfShape* shape, const Point3* points) {
    if (points != nullptr) {
        for (int i = 0; i < shape->n; ++i) shape->points[i] = points[i];
    }
    return 0;
}

int prof_set_points(ProfShape* shape, const Point3* points) {
    prof_copy_in(shape, points);
    const int n = shape->n;
    double least = 1e6;
    int iLeast = 0;
    for (int i = 0; i < n; ++i) {
        if (shape->points[i].x < least) {
            least = shape->points[i].x;
            iLeast = i;
        }
    }
    double r = 0.0;
    Point3 c{0.0, 0.0, 0.0};
    circle3(shape->points[n - 1], shape->points[n - 2], shape->points[n - 3], &r, &c);
    const double lift = c.y - r;
    for (auto& p : shape->points) {
        p.x -= least;
        p.y -= lift;
    }
    shape->iXmin = iLeast;
    shape->xmin = least;
    return 0;
}

int prof_scale(ProfShape* shape, double factor) {
    for (auto& p : shape->points) {
        p.x *= factor;
        p.y *= factor;
        p.z *= factor;
    }
    return 0;
}

int prof_geometry(ProfShape* shape) {
    ProfShape& s = *shape;
    const int n = s.n;
    const auto& P = s.points;
    s.xmin = 1e6;
    s.xmax = -1e6;
    s.ymax = -1e6;
    s.iXmin = s.iXmax = s.iYmax = 0;
    for (int i = 0; i < n; ++i) {
        if (P[i].x < s.xmin) {
            s.xmin = P[i].x;
            s.iXmin = i;
        }
        if (P[i].x > s.xmax) {
            s.xmax = P[i].x;
            s.iXmax = i;
        }
        if (P[i].y > s.ymax) {
            s.ymax = P[i].y;
            s.iYmax = i;
        }
    }
    if (s.iXmin == 0) {
        s.iXmin = n - 1;
        s.xmin = P[n - 1].x;
    }
    int tail = n - 1;
    while (tail - 1 > 0 && P[tail - 1].y <= P[tail].y) --tail;
    s.iTail = tail;
    s.yTail = P[tail].y;
    int head = s.iXmax;
    for (int steps = 0; steps < n; ++steps) {
        const int next = wrap(head + 1, n);
        if (next == s.iTail) {
            head = s.iXmax;
            break;
        }
        if (!(P[next].y < P[head].y)) break;
        head = next;
    }
    s.iHead = head;
    s.yHead = P[head].y;
    s.iYlow = s.yTail <= s.yHead ? s.iTail : s.iHead;
    s.yLow = P[s.iYlow].y;
    s.B = s.xmax - s.xmin;
    s.A = s.ymax - s.yLow;
    return prof_edges(shape);
}

int prof_edges(ProfShape* shape) {
    ProfShape& s = *shape;
    const int n = s.n;
    double r = 0.0;
    Point3 c{0.0, 0.0, 0.0};
    // Inlet edge: the tightest circle through three consecutive points
    // between the greatest x and the lowest point after it.
    if (s.iHead == s.iXmax) {
        circle_at(s, s.iXmax - 1, s.iXmax, s.iXmax + 1, &r, &c);
        s.iInletEdge = s.iXmax;
    } else {
        TightestCircle best(s.iXmax);
        for (int i = s.iXmax, steps = 0; steps < n; i = wrap(i + 1, n), ++steps) {
            circle_at(s, i, i + 1, i + 2, &r, &c);
            best.offer(r, c, i);
            if (i == s.iHead) break;
        }
        r = best.r;
        c = best.c;
        s.iInletEdge = best.at;
    }
    s.xbx = c.x;
    s.ybx = c.y;
    s.rbx = r;
    // Outlet edge: likewise around the least x, from just before the tail.
    if (s.iXmin == s.iTail) {
        circle_at(s, s.iXmin - 1, s.iXmin, s.iXmin + 1, &r, &c);
        s.iOutletEdge = s.iXmin;
    } else {
        TightestCircle best(0);
        for (int i = std::max(s.iTail - 2, 0); i <= n - 4; ++i) {
            circle_at(s, i, i + 1, i + 2, &r, &c);
            best.offer(r, c, i);
        }
        r = best.r;
        c = best.c;
        s.iOutletEdge = best.at;
    }
    s.xbyx = c.x;
    s.ybyx = c.y;
    s.rbyx = r;

    const double dx = s.xbx - s.xbyx;
    const double dy = s.ybx - s.ybyx;
    s.b1 = std::sqrt(dx * dx + dy * dy);
    s.Byct1 = std::atan2(dy, dx) / kRad;
    s.b2 = Chord2(n, s.points.data(), &s.chord_ends[0], &s.chord_ends[1]);
    const Point3& e1 = s.points[s.chord_ends[0]];
    const Point3& e2 = s.points[s.chord_ends[1]];
    s.Byct2 = std::atan2(e1.y - e2.y, e1.x - e2.x) / kRad;
    s.b3 = s.b1 + s.rbx + s.rbyx;
    // The common tangent of the two edge circles; coincident centres give no
    // direction and leave the centre line's angle.
    double sine = s.b1 > 0.0 ? (s.rbx - s.rbyx) / s.b1 : 0.0;
    sine = std::min(1.0, std::max(-1.0, sine));
    s.Byct3 = s.Byct1 - std::asin(sine) / kRad;
    s.b = s.b3;
    s.Byct = s.Byct3;
    return 0;
}

int circle3(Point3 p1, Point3 p2, Point3 p3, double* radius, Point3* centre) {
    const double ax = p2.x - p1.x, ay = p2.y - p1.y;
    const double bx = p3.x - p2.x, by = p3.y - p2.y;
    if (std::fabs(ax * by - ay * bx) < kCollinear) {
        *radius = 0.0;
        *centre = Point3{0.0, 0.0, 0.0};
        return 1;
    }
    // Perpendicular bisectors: ax x + ay y = ca, bx x + by y = cb.
    const double ca = (ax * (p1.x + p2.x) + ay * (p1.y + p2.y)) / 2.0;
    const double cb = (bx * (p2.x + p3.x) + by * (p2.y + p3.y)) / 2.0;
    const double det = ax * by - ay * bx;
    const double x = (ca * by - cb * ay) / det;
    // y from the bisector whose chord has the larger |dy|.
    const double y = std::fabs(ay) >= std::fabs(by) ? (ca - ax * x) / ay : (cb - bx * x) / by;
    *centre = Point3{x, y, 0.0};
    *radius = std::sqrt((p1.x - x) * (p1.x - x) + (p1.y - y) * (p1.y - y));
    return 0;
}

int prof_normalize(ProfShape* shape, const Point3* points) {
    prof_set_points(shape, points);
    prof_geometry(shape);
    if (shape->b > 0.0) prof_scale(shape, 1.0 / shape->b);
    return 0;
}

int prof_segments(ProfShape* shape) {
    ProfShape& s = *shape;
    if (s.iG == 0 || s.iInletEdge == 0 || s.iOutletEdge == 0) return 1;
    const auto inside = [&](int i, double xc, double yc, double r2) {
        const double dx = s.points[i].x - xc, dy = s.points[i].y - yc;
        return dx * dx + dy * dy <= r2;
    };
    const double rIn2 = 1.1 * s.rbx * s.rbx;
    int s1 = s.iInletEdge;
    while (s1 - 1 >= 0 && inside(s1 - 1, s.xbx, s.ybx, rIn2)) --s1;
    int s2 = s.iInletEdge;
    while (s2 + 1 <= s.n - 1 && inside(s2 + 1, s.xbx, s.ybx, rIn2)) ++s2;
    const double rOut2 = 1.3 * s.rbyx * s.rbyx;
    int s3 = s.iOutletEdge;
    while (s3 - 1 >= s2 && inside(s3 - 1, s.xbyx, s.ybyx, rOut2)) --s3;
    s.segments[0] = s.iG;
    s.segments[1] = s1 - s.iG;
    s.segments[2] = s2 - s1;
    s.segments[3] = s3 - s2;
    s.segments[4] = s.n - 1 - s3;
    return 0;
}

int prof_rotate(ProfShape* shape, double angle, int recompute) {
    const double c = std::cos(angle * kRad), sn = std::sin(angle * kRad);
    for (auto& p : shape->points) {
        const double dx = p.x - shape->xbyx, dy = p.y - shape->ybyx;
        p = Point3{shape->xbyx + dx * c - dy * sn, shape->ybyx + dx * sn + dy * c, 0.0};
    }
    if (recompute != 0) prof_geometry(shape);
    return 0;
}

int prof_set_angle(ProfShape* shape, double angle) {
    prof_geometry(shape);
    prof_rotate(shape, -shape->Byct, 0);
    prof_geometry(shape);
    if (angle != 0.0) prof_rotate(shape, angle, 1);
    return prof_geometry(shape);
}

int prof_strips(ProfShape* shape, int at_edges) {
    ProfShape& s = *shape;
    std::vector<double> work;
    try {
        work.assign(4 * static_cast<size_t>(s.n), 0.0);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    double* fx = work.data();
    double* fy = fx + s.n;
    double* bx = fy + s.n;
    double* by = bx + s.n;
    int nf = 0, nb = 0;
    if (!walk(s, s.iXmin, s.iXmax, +1, fx, fy, &nf)) return 1;
    if (!walk(s, s.iXmin, s.iXmax, -1, bx, by, &nb)) return 2;
    const double h = (s.xmax - s.xmin) / s.m;
    for (int k = 0; k < s.m; ++k) {
        const double x = s.xmin + k * h + (at_edges == 0 ? h / 2.0 : 0.0);
        s.forward_strips[k] = Point3{x, interp1(nf, fx, fy, x), 0.0};
        s.backward_strips[k] = Point3{x, interp1(nb, bx, by, x), 0.0};
    }
    return 0;
}

int prof_properties(ProfShape* shape, int print) {
    ProfShape& s = *shape;
    const int result = prof_geometry(shape);
    prof_strips(shape, 0);
    double S[13] = {};
    for (int k = 0; k < s.m; ++k) {
        const double i = k + 1.0;
        const double yF = s.forward_strips[k].y, yB = s.backward_strips[k].y;
        S[1] += yF;
        S[2] += yB;
        S[3] += i * yF;
        S[4] += i * yB;
        S[5] += yF * yF;
        S[6] += yB * yB;
        S[7] += i * yF * yF;
        S[8] += i * yB * yB;
        S[9] += i * i * yF;
        S[10] += i * i * yB;
        S[11] += yF * yF * yF;
        S[12] += yB * yB * yB;
    }
    const double h = (s.xmax - s.xmin) / s.m;
    s.Area = (S[1] - S[2]) * h;
    const double Qx = (S[5] - S[6]) * h / 2.0;
    const double Qy = (S[3] - S[4]) * h * h - h * s.Area / 2.0;
    s.Cm_x = Qy / s.Area;
    s.Cm_y = Qx / s.Area;
    s.Ix = (S[11] - S[12]) * h / 3.0;
    s.Iy = (S[9] - S[10]) * h * h * h;
    s.Ixy = (S[7] - S[8]) * h * h / 2.0;
    s.Jx = s.Ix - Qx * s.Cm_y;
    s.Jy = s.Iy - (s.Cm_x + h) * Qy - h * h * s.Area / 6.0;
    s.Jxy = s.Ixy - (h / 2.0 + s.Cm_x) * Qx;
    const double mean = (s.Jx + s.Jy) / 2.0;
    const double half = std::sqrt((s.Jy - s.Jx) / 2.0 * (s.Jy - s.Jx) / 2.0 + s.Jxy * s.Jxy);
    s.Ju = mean - half;
    s.Jv = mean + half;
    s.Alfa = std::atan(2.0 * s.Jxy / (s.Jy - s.Jx)) / 2.0 / kRad;
    s.fi = std::atan(s.Jxy / (s.Jy - s.Ju)) / kRad;
    if (print != 0) {
        std::FILE* console = console_stream();
        std::fprintf(console, "\nCm={%g, %g} Area=%g", s.Cm_x, s.Cm_y, s.Area);
        std::fprintf(console, "\nIx=%g Iy=%g Ixy=%g", s.Ix, s.Iy, s.Ixy);
        std::fprintf(console, "\nJx=%g Jy=%g Jxy=%g", s.Jx, s.Jy, s.Jxy);
        std::fprintf(console, "\nJu=%g Jv=%g Alfa=%g fi=%g\n", s.Ju, s.Jv, s.Alfa, s.fi);
    }
    return result;
}

int prof_camber(ProfShape* shape) {
    ProfShape& s = *shape;
    prof_geometry(shape);
    if (prof_strips(shape, 1) != 0) return 0;
    constexpr double kFlat = 1e-8;  // run or slope below which a segment counts as vertical or level
    const auto& F = s.forward_strips;
    const auto& Bk = s.backward_strips;
    double tmax = 0.0;
    for (int k = 1; k < s.m; ++k) tmax = std::max(tmax, std::fabs(F[k].y - Bk[k].y));
    const auto sentinel = [](Point3 p) { return p.x == kNoIntersection || p.x == kNestedSegments; };
    int count = 0;
    int lastEnd = 0;
    for (int k = 1; k < s.m; ++k) {
        const Point3 f0 = F[k - 1], f1 = F[k];
        const double dx = f1.x - f0.x;
        if (std::fabs(dx) < kFlat) continue;
        const double sF = (f1.y - f0.y) / dx;
        const Point3 mid{(f0.x + f1.x) / 2.0, (f0.y + f1.y) / 2.0, 0.0};
        // The normal of the forward segment through its middle (vertical for a level segment).
        const Point3 normalEnd = std::fabs(sF) < kFlat ? Point3{mid.x, mid.y + 1.0, 0.0}
                                                       : Point3{mid.x - (f1.y - f0.y), mid.y + dx, 0.0};
        int j = (k == 1 || lastEnd < 6 || lastEnd == s.m) ? 2 : lastEnd - 1;
        for (; j < s.m; ++j) {
            const Point3 g0 = Bk[j - 1], g1 = Bk[j];
            const double dxb = g1.x - g0.x;
            if (std::fabs(dxb) < kFlat) continue;
            const double sB = (g1.y - g0.y) / dxb;
            if (std::fabs(sB) < kFlat) continue;
            // Parallel surfaces meet nowhere and give no bisector.
            const Point3 X = line_intersect(f0, f1, g0, g1);
            if (sentinel(X)) continue;
            const double psi = (std::atan(sF) + std::atan(sB)) / 2.0;
            const Point3 along = std::fabs(std::cos(psi)) < kFlat
                                     ? Point3{X.x, X.y + 1.0, 0.0}
                                     : Point3{X.x + std::cos(psi), X.y + std::sin(psi), 0.0};
            const Point3 C = line_intersect(X, along, mid, normalEnd);
            if (sentinel(C)) continue;
            Point3 P{0.0, 0.0, 0.0};
            perp_foot(C.x, C.y, g0.x, g0.y, g1.x, g1.y, &P.x, &P.y);
            if (point_between(g0, g1, P) <= 0) continue;
            const double r = std::hypot(P.x - C.x, P.y - C.y);
            if (2.0 * r <= 1.2 * tmax && count < s.m) {
                s.camber_points[count] = Point3{C.x, C.y, 0.0};
                s.camber_radii[count] = r;
                ++count;
            }
            break;
        }
        lastEnd = j;
    }
    if (count < 3) {
        s.camber_count = 0;
        return 0;
    }
    const Point3& first = s.camber_points[0];
    const Point3& second = s.camber_points[1];
    const Point3& beforeLast = s.camber_points[count - 2];
    const Point3& last = s.camber_points[count - 1];
    s.B1g = 180.0 - std::atan2(last.y - beforeLast.y, last.x - beforeLast.x) / kRad;
    s.B2g = std::atan2(second.y - first.y, second.x - first.x) / kRad;
    s.camber_count = count;
    return count;
}

}  // namespace h2
