// The stagger table as one piecewise-linear surface over a triangulation of
// its grid, searched in any of its three directions: stagger at (tb, B2),
// outlet angle at (tb, stagger), pitch ratio at (B2, stagger). The wanted
// quantity is made the height by permuting the coordinates; the first
// triangle whose projection holds the point answers.
#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

#include "blades/atlas.h"

namespace h2 {
namespace {

constexpr double kMissing = 1e19;  // a vertex above this has no value
constexpr double kSlack = 1e-12;   // relative rounding allowance of the inside tests

// Which side of the edge A-B the point (X, Y) lies on, up to a positive factor.
double side(Point3 A, Point3 B, double X, double Y) {
    return (B.y - Y) * A.x + (Y - A.y) * B.x + (A.y - B.y) * X;
}

double det2(double a, double b, double c, double d) {
    const double m[2][20] = {{a, b}, {c, d}};
    double v;
    det_n(m, 2, &v);
    return v;
}

double lookup(const Atlas* a, int k, double X, double Y, char axis) {
    if (!atlas_has_table(a, k)) return kAtlasNotFound;
    try {
        TableMesh mesh;
        table_triangulate(a, k, &mesh);
        return tri_lookup_axis(mesh, X, Y, axis);
    } catch (const std::bad_alloc&) {
        return kAtlasNotFound;
    }
}

}  // namespace

void table_triangulate(const Atlas* a, int k, TableMesh* mesh) {
    const int nB2 = a->nB2[k], ntb = a->ntb[k];
    mesh->points.clear();
    mesh->triangles.clear();
    for (int i = 0; i < nB2; ++i)
        for (int j = 0; j < ntb; ++j)
            mesh->points.push_back({a->tb[k][j], a->B2[k][i], a->Byct[k][i + j * nB2]});
    const auto P = [ntb](int i, int j) { return i * ntb + j; };
    for (int i = 1; i < nB2; ++i) {
        // The band's first triangles rise in tb, its second ones come back.
        for (int j = 0; j + 1 < ntb; ++j)
            mesh->triangles.insert(mesh->triangles.end(), {P(i - 1, j), P(i, j), P(i - 1, j + 1)});
        for (int j = ntb - 2; j >= 0; --j)
            mesh->triangles.insert(mesh->triangles.end(), {P(i, j + 1), P(i, j), P(i - 1, j + 1)});
    }
}

double tri_lookup_axis(const TableMesh& mesh, double X, double Y, char axis) {
    std::vector<Point3> permuted = mesh.points;
    for (Point3& p : permuted) {
        if (axis == 'x') {
            p = Point3{p.y, p.z, p.x};
        } else if (axis == 'y') {
            p = Point3{p.z, p.x, p.y};
        }
    }
    return tri_interpolate(permuted, mesh.triangles, X, Y);
}

double plane_value(Point3 p0, Point3 p1, Point3 p2, double X, double Y) {
    // The plane's normal (Dyz, Dzx, D) is (p1 - p0) x (p2 - p0).
    const double D = det2(p1.x - p0.x, p1.y - p0.y, p2.x - p0.x, p2.y - p0.y);
    if (D == 0.0) return kAtlasNotFound;
    const double Dyz = det2(p1.y - p0.y, p1.z - p0.z, p2.y - p0.y, p2.z - p0.z);
    const double Dzx = det2(p1.z - p0.z, p1.x - p0.x, p2.z - p0.z, p2.x - p0.x);
    return p0.z - ((X - p0.x) * Dyz + (Y - p0.y) * Dzx) / D;
}

double tri_interpolate(const std::vector<Point3>& points, const std::vector<int>& triangles, double X,
                       double Y) {
    for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const Point3 p0 = points[static_cast<std::size_t>(triangles[t])];
        const Point3 p1 = points[static_cast<std::size_t>(triangles[t + 1])];
        const Point3 p2 = points[static_cast<std::size_t>(triangles[t + 2])];
        if (p0.z > kMissing || p1.z > kMissing || p2.z > kMissing) continue;
        const double h = plane_value(p0, p1, p2, X, Y);
        if (h > kMissing) continue;
        // A point on the table's outer edge, or a height equal to a vertex's,
        // is met only up to rounding: exact tests would let it fall through
        // every triangle. The slack is relative to the triangle's own scale.
        const double lo = std::min({p0.z, p1.z, p2.z}), hi = std::max({p0.z, p1.z, p2.z});
        const double dz = kSlack * std::max({hi - lo, std::fabs(lo), std::fabs(hi)});
        if (h < lo - dz || h > hi + dz) continue;
        const double ds = kSlack * std::fabs((p1.x - p0.x) * (p2.y - p0.y) - (p1.y - p0.y) * (p2.x - p0.x));
        const double s0 = side(p0, p1, X, Y), s1 = side(p1, p2, X, Y), s2 = side(p2, p0, X, Y);
        // A point on an edge belongs to the first triangle met.
        if ((s0 >= -ds && s1 >= -ds && s2 >= -ds) || (s0 <= ds && s1 <= ds && s2 <= ds)) return h;
    }
    return kAtlasNotFound;
}

}  // namespace h2

extern "C" {

double atlas_stagger_tri(const Atlas* a, double tb, double B2, int k) {
    return h2::lookup(a, k, tb, B2, 'z');
}

double atlas_B2_for_stagger(const Atlas* a, double tb, double Byct, int k) {
    return h2::lookup(a, k, Byct, tb, 'y');
}

double atlas_tb_for_stagger(const Atlas* a, double B2, double Byct, int k) {
    return h2::lookup(a, k, B2, Byct, 'x');
}

int det_n(const double (*m)[20], int n, double* det) {
    if (det == nullptr) return 1;
    *det = 0.0;
    if (m == nullptr || n < 1 || n > 20) return 1;
    if (n == 1) {
        *det = m[0][0];
    } else if (n == 2) {
        *det = m[0][0] * m[1][1] - m[0][1] * m[1][0];
    } else if (n == 3) {
        // Rule of Sarrus.
        *det = m[0][0] * m[1][1] * m[2][2] + m[0][1] * m[1][2] * m[2][0] + m[0][2] * m[1][0] * m[2][1] -
               m[0][2] * m[1][1] * m[2][0] - m[0][0] * m[1][2] * m[2][1] - m[0][1] * m[1][0] * m[2][2];
    } else {
        // Elimination with partial pivoting: n^3 work where cofactor expansion
        // takes n! (beyond reach at n = 20).
        double a[20][20];
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) a[i][j] = m[i][j];
        double d = 1.0;
        for (int c = 0; c < n; ++c) {
            int pivot = c;
            for (int r = c + 1; r < n; ++r)
                if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
            if (a[pivot][c] == 0.0) return 0;
            if (pivot != c) {
                std::swap(a[pivot], a[c]);
                d = -d;
            }
            d *= a[c][c];
            for (int r = c + 1; r < n; ++r) {
                const double f = a[r][c] / a[c][c];
                for (int j = c; j < n; ++j) a[r][j] -= f * a[c][j];
            }
        }
        *det = d;
    }
    return 0;
}

}  // extern "C"
