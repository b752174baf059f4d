// Global B-spline interpolation (The NURBS Book's chord-length parameters,
// averaged knots and banded collocation system) and the exported NurbsInt2D.
#include "numerics/nurbs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "case/output_internal.h"
#include "numerics/one_dim.h"
#include "numerics/point3.h"

namespace h2 {

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using CPtr = std::unique_ptr<T, FreeDeleter>;

template <class T>
CPtr<T> calloc_array(long long count) {
    if (count <= 0) return CPtr<T>(nullptr);
    return CPtr<T>(static_cast<T*>(std::calloc(static_cast<std::size_t>(count), sizeof(T))));
}

// Finite-difference step in the curve parameter for slopes and radii.
constexpr double kParamStep = 0.01;
// Keeps the radius finite on a straight piece, where the chords do not turn.
constexpr double kNoTurn = 1e-20;

// rows x cols doubles, zeroed, behind an array of row pointers, in one block.
CPtr<double*> alloc_rows(int rows, int cols) {
    const auto r = static_cast<std::size_t>(rows);
    const auto c = static_cast<std::size_t>(cols);
    CPtr<double*> block(static_cast<double**>(std::calloc(1, r * sizeof(double*) + r * c * sizeof(double))));
    if (!block) return block;
    auto* data = reinterpret_cast<double*>(block.get() + r);
    for (std::size_t k = 0; k < r; ++k) block.get()[k] = data + k * c;
    return block;
}

// The radius of the circle through three close curve points: half the chord
// over the turn of the unit tangents, |t0 - t1|, which is the angle turned.
double radius_through(Point3 Pm, Point3 P0, Point3 Pp) {
    Point3 t1 = p3_sub(Pp, P0);
    Point3 t0 = p3_sub(P0, Pm);
    p3_normalize(&t1);
    p3_normalize(&t0);
    return (p3_norm(p3_sub(Pp, Pm)) / 2.0) / (p3_norm(p3_sub(t0, t1)) + kNoTurn);
}

}  // namespace

int nurbs_span(const NurbsCurve* curve, double u) {
    const int n = curve->count;
    const int p = curve->degree;
    const double* U = curve->knots;
    if (u >= U[n]) return n - 1;
    if (u <= U[p]) return p;
    int low = 0;
    int high = n + 1;
    int mid = (low + high) / 2;
    while (u < U[mid] || u >= U[mid + 1]) {
        if (u < U[mid]) {
            high = mid;
        } else {
            low = mid;
        }
        mid = (low + high) / 2;
    }
    return mid;
}

bool nurbs_basis_into(const NurbsCurve* curve, double u, int span, double* N) {
    const int p = curve->degree;
    // Degree 20 reaches entry 20 of left and right: they hold p + 1 terms.
    if (p < 0 || p > kNurbsMaxDegree) return false;
    const double* U = curve->knots;
    std::array<double, kNurbsMaxDegree + 1> left{};
    std::array<double, kNurbsMaxDegree + 1> right{};
    // Cox-de Boor recurrence, the triangular scheme of the non-zero functions.
    N[0] = 1.0;
    for (int j = 1; j <= p; ++j) {
        left[j] = u - U[span + 1 - j];
        right[j] = U[span + j] - u;
        double saved = 0.0;
        for (int r = 0; r < j; ++r) {
            const double temp = N[r] / (right[r + 1] + left[j - r]);
            N[r] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        N[j] = saved;
    }
    return true;
}

double* nurbs_basis(const NurbsCurve* curve, double u, int span) {
    if (curve->degree < 0 || curve->degree > kNurbsMaxDegree) return nullptr;
    auto N = calloc_array<double>(curve->degree + 1);
    if (!N || !nurbs_basis_into(curve, u, span, N.get())) return nullptr;
    return N.release();
}

Point3 nurbs_point(const NurbsCurve* curve, double u) {
    std::array<double, kNurbsMaxDegree + 1> N;
    const int span = nurbs_span(curve, u);
    if (!nurbs_basis_into(curve, u, span, N.data())) return Point3{0.0, 0.0, 0.0};
    // C(u) = sum_j N_j(u) P_(span-p+j), summed from the last term to the first.
    const int p = curve->degree;
    Point3 C{0.0, 0.0, 0.0};
    for (int j = p; j >= 0; --j) C = p3_add(C, p3_scale(curve->ctrl[span - p + j], N[j]));
    return C;
}

double nurbs_radius(const NurbsCurve* curve, double u) {
    return radius_through(nurbs_point(curve, u - kParamStep), nurbs_point(curve, u),
                          nurbs_point(curve, u + kParamStep));
}

void nurbs_free(NurbsCurve* curve) {
    if (curve == nullptr) return;
    std::free(curve->ctrl);
    std::free(curve->knots);
    curve->ctrl = nullptr;
    curve->knots = nullptr;
}

double chord_params(const NurbsCurve* curve, const Point3* points, double* u) {
    const int n = curve->count;
    u[0] = 0.0;
    double total = 0.0;
    for (int i = 1; i < n; ++i) total += p3_norm(p3_sub(points[i], points[i - 1]));
    // Coincident points leave every u at 0; the fit then fails at a zero pivot.
    if (total > 0.0) {
        for (int i = 1; i < n - 1; ++i) u[i] = u[i - 1] + p3_norm(p3_sub(points[i], points[i - 1])) / total;
        u[n - 1] = 1.0;  // exactly, whatever the rounding of the sum
    }
    return total;
}

void knot_average(int n, const double* u, int p, double* knots) {
    // Clamped ends; inner knot j + p is the mean of the p parameters u[j..j+p-1]
    // (de Boor's averaging, which keeps the collocation matrix well posed).
    for (int j = 0; j <= p; ++j) {
        knots[j] = 0.0;
        knots[n + j] = 1.0;
    }
    for (int j = 1; j <= n - p - 1; ++j) {
        double sum = 0.0;
        for (int i = j; i < j + p; ++i) sum += u[i];
        knots[j + p] = sum / p;
    }
}

int nurbs_interp(NurbsCurve* curve, int dim, int n, const Point3* points, int degree) {
    if (degree < 1 || degree > kNurbsMaxDegree) return kNurbsBadDegree;
    const int p = std::min(degree, n - 1);
    curve->dim = dim;
    curve->degree = p;
    curve->count = n;
    if (n < 2) return kNurbsNotSolved;

    curve->ctrl = static_cast<Point3*>(std::calloc(static_cast<std::size_t>(n), sizeof(Point3)));
    curve->knots = static_cast<double*>(std::calloc(static_cast<std::size_t>(n + p + 1), sizeof(double)));
    if (curve->ctrl == nullptr || curve->knots == nullptr) return kNurbsNoCurveMemory;
    auto u = calloc_array<double>(n);
    if (!u) return kNurbsNoParamMemory;

    chord_params(curve, points, u.get());
    knot_average(n, u.get(), p, curve->knots);

    const auto as_control = [dim](Point3 q) { return dim == 3 ? q : Point3{q.x, q.y, 0.0}; };
    if (n == 2) {  // a straight segment: the points are the control points
        curve->ctrl[0] = as_control(points[0]);
        curve->ctrl[1] = as_control(points[1]);
        return kNurbsFitted;
    }

    // Collocation: sum_j N_j(u_i) P_j = Q_i; the ends are interpolated by the
    // clamped knots, so rows 0 and n-1 are unit rows.
    auto A = alloc_rows(n, n);
    if (!A) return kNurbsNotSolved;
    A.get()[0][0] = 1.0;
    A.get()[n - 1][n - 1] = 1.0;
    std::array<double, kNurbsMaxDegree + 1> N;
    for (int i = 1; i < n - 1; ++i) {
        const int span = nurbs_span(curve, u.get()[i]);
        if (!nurbs_basis_into(curve, u.get()[i], span, N.data()))
            continue;  // a zero row ends at a zero pivot
        for (int j = 0; j <= p; ++j) A.get()[i][span - p + j] = N[j];
    }

    // With averaged knots the matrix has p - 1 diagonals on either side.
    const int pl = p - 1;
    const int pu = p - 1;
    CPtr<double*> band(band_alloc(A.get(), n, pl, pu));
    if (!band || band_lu(band.get(), n, pl, pu) != 0) return kNurbsNotSolved;

    auto rhs = calloc_array<double>(n);
    if (!rhs) return kNurbsNotSolved;
    const int coords = dim == 3 ? 3 : 2;
    for (int c = 0; c < coords; ++c) {
        for (int i = 0; i < n; ++i) rhs.get()[i] = c == 0 ? points[i].x : c == 1 ? points[i].y : points[i].z;
        band_solve(band.get(), n, pl, pu, rhs.get());
        for (int i = 0; i < n; ++i) {
            double& target = c == 0 ? curve->ctrl[i].x : c == 1 ? curve->ctrl[i].y : curve->ctrl[i].z;
            target = rhs.get()[i];
        }
    }
    return kNurbsFitted;
}

// ---- band matrices ----------------------------------------------------------

namespace {

// Entry (r, c) of the matrix in band storage.
double& band_at(BandRows band, int pu, int r, int c) { return band[r - c + pu][c]; }

}  // namespace

BandRows band_alloc(double* const* A, int n, int pl, int pu) {
    if (n < 1 || pl < 0 || pu < 0) return nullptr;
    BandRows band = alloc_rows(pl + pu + 1, n).release();
    if (band != nullptr && A != nullptr) band_copy(n, A, band, pl, pu);
    return band;
}

void band_copy(int n, double* const* dense, BandRows band, int pl, int pu) {
    for (int k = 0; k <= pl + pu; ++k) {
        for (int i = 0; i < n; ++i) {
            const int r = i + k - pu;
            band[k][i] = (r >= 0 && r < n) ? dense[r][i] : 0.0;
        }
    }
}

int band_lu(BandRows band, int n, int pl, int pu) {
    if (n == 0) return -1;
    if (pl < 1) {
        // Already upper triangular: only the diagonal needs to be usable.
        for (int i = 0; i < n - 1; ++i) {
            if (band_at(band, pu, i, i) == 0.0) return 2;
        }
    } else {
        for (int i = 0; i < n - 1; ++i) {
            const double pivot = band_at(band, pu, i, i);
            if (pivot == 0.0) return 3;
            const int below = std::min(pl, n - 1 - i);
            const int right = std::min(pu, n - 1 - i);
            for (int k = 1; k <= below; ++k) band_at(band, pu, i + k, i) /= pivot;  // multipliers l_(i+k,i)
            for (int j = 1; j <= right; ++j) {
                for (int k = 1; k <= below; ++k) {
                    band_at(band, pu, i + k, i + j) -=
                        band_at(band, pu, i, i + j) * band_at(band, pu, i + k, i);
                }
            }
        }
    }
    return band_at(band, pu, n - 1, n - 1) == 0.0 ? 1 : 0;
}

void band_solve(BandRows band, int n, int pl, int pu, double* b) {
    // L y = b with the unit lower factor, then U x = y.
    for (int i = 0; i < n - 1; ++i) {
        const int below = std::min(pl, n - 1 - i);
        for (int k = 1; k <= below; ++k) b[i + k] -= band_at(band, pu, i + k, i) * b[i];
    }
    for (int i = n - 1; i >= 0; --i) {
        b[i] /= band_at(band, pu, i, i);
        const int above = std::min(pu, i);
        for (int j = 1; j <= above; ++j) b[i - j] -= band_at(band, pu, i - j, i) * b[i];
    }
}

void band_free(BandRows band) { std::free(band); }

void band_print(double* const* matrix, int first_row, int rows, int first_col, int cols) {
    std::FILE* out = console_stream();
    std::fprintf(out, "----------------------%4d...%-4dX%4d...%-4d ------------------------\n", first_row,
                 first_row + rows - 1, first_col, first_col + cols - 1);
    for (int r = first_row; r < first_row + rows; ++r) {
        for (int c = first_col; c < first_col + cols; ++c) std::fprintf(out, "%12g ", matrix[r][c]);
        std::fprintf(out, "\n");
    }
    std::fprintf(out, "----------------------------------------------------------------------\n");
}

}  // namespace h2

// ---- exported ----------------------------------------------------------------

namespace {

// Sample tables of NurbsInt2D, one block of 4 m doubles.
struct Samples {
    double* x;
    double* y;
    double* slope;
    double* curv;
};

bool runs_in_plus_x(int m, const double* Sx) {
    for (int i = 1; i < m; ++i) {
        if (Sx[i] < Sx[i - 1]) return false;
    }
    return true;
}

int nearest_sample(int m, const Samples& S, double x, double y) {
    int best = 0;
    double best_d2 = (S.x[0] - x) * (S.x[0] - x) + (S.y[0] - y) * (S.y[0] - y);
    for (int i = 1; i < m; ++i) {
        const double d2 = (S.x[i] - x) * (S.x[i] - x) + (S.y[i] - y) * (S.y[i] - y);
        if (d2 < best_d2) {
            best_d2 = d2;
            best = i;
        }
    }
    return best;
}

}  // namespace

extern "C" NurbsCurve* NurbsInt2D(int n, int degree, int m, const double* xs, const double* ys, double* slope,
                                  double* curvature, double** samples) {
    using namespace h2;
    if (n < 2 || m < 2 || xs == nullptr || ys == nullptr || slope == nullptr || curvature == nullptr) {
        return nullptr;
    }

    auto points = calloc_array<Point3>(n);
    CPtr<NurbsCurve> curve(static_cast<NurbsCurve*>(std::calloc(1, sizeof(NurbsCurve))));
    if (!points || !curve) return nullptr;
    for (int i = 0; i < n; ++i) points.get()[i] = Point3{xs[i], ys[i], 0.0};

    const auto fail = [&curve]() -> NurbsCurve* {
        nurbs_free(curve.get());
        return nullptr;
    };
    if (nurbs_interp(curve.get(), 2, n, points.get(), degree) != kNurbsFitted) return fail();
    CPtr<double> block(static_cast<double*>(std::calloc(4 * static_cast<std::size_t>(m), sizeof(double))));
    if (!block) return fail();
    const Samples S{block.get(), block.get() + m, block.get() + 2 * m, block.get() + 3 * m};

    for (int i = 0; i < m; ++i) {
        const double u = static_cast<double>(i) / (m - 1);
        const Point3 P0 = nurbs_point(curve.get(), u);
        const Point3 Pm = nurbs_point(curve.get(), u - kParamStep);
        const Point3 Pp = nurbs_point(curve.get(), u + kParamStep);
        S.x[i] = P0.x;
        S.y[i] = P0.y;
        // Slope of the parabola through the three points, at the middle one.
        S.slope[i] = parabola_slope(Pm.x, P0.x, Pp.x, Pm.y, P0.y, Pp.y, P0.x);
        // The same three points as nurbs_radius(u) takes.
        S.curv[i] = 1.0 / radius_through(Pm, P0, Pp);
        // Curvature is negative where the slope falls.
        if (parabola_slope(Pm.x, P0.x, Pp.x, Pm.y, P0.y, Pp.y, Pp.x) < S.slope[i]) S.curv[i] = -S.curv[i];
    }

    if (runs_in_plus_x(m, S.x)) {
        for (int j = 0; j < n; ++j) {
            slope[j] = interp1(m, S.x, S.slope, xs[j]);
            curvature[j] = interp1(m, S.x, S.curv, xs[j]);
        }
    } else {
        // dy/dx is no function of x along a curve that turns back in x; the
        // curve passes through the data points, so the nearest sample stands for each.
        for (int j = 0; j < n; ++j) {
            const int i = nearest_sample(m, S, xs[j], ys[j]);
            slope[j] = S.slope[i];
            curvature[j] = S.curv[i];
        }
    }

    if (samples != nullptr) *samples = block.release();
    return curve.release();
}
