// Cubic splines through tabulated points, for the meridional streamlines and
// the blade geometry.
#include "numerics/splines.h"

#include <algorithm>
#include <cmath>

#include "numerics/scratch.h"

namespace h2 {

namespace {

// Knots closer than this make an interval of no width: its equations divide by it.
constexpr double kMinInterval = 1e-10;

// Up to this many doubles of work memory come from the stack (a spline of
// about 128 knots); beyond it from the heap.
constexpr std::size_t kInlineWork = 512;

// The interval [x[i-1], x[i]] that holds t: i is the first index in 1..n-1
// with t < x[i], else n, so a t beyond either end uses the end interval.
int interval_of(int n, const double* x, double t) {
    return static_cast<int>(std::upper_bound(x + 1, x + n, t) - x);
}

}  // namespace

int spline_fit(int n, int start_kind, int end_kind, double start_value, double end_value, const double* x,
               const double* y, double* s, double* M) {
    if (n < 1) return kSplineShortFirstInterval;  // no interval to fit
    const double h0 = x[1] - x[0];
    if (std::fabs(h0) < kMinInterval) return kSplineShortFirstInterval;

    const auto rows = static_cast<std::size_t>(n) + 1;
    Scratch<kInlineWork> work(4 * rows);
    if (!work.ok()) return kSplineNoMemory;
    double* A = work.data();
    double* B = A + rows;
    double* C = B + rows;
    double* R = C + rows;

    // Start row: 2 M0 + M1 = 6/h0 ((y1 - y0)/h0 - s0) for a given slope,
    // M0 = value for a given second derivative.
    if (start_kind == kSplineEndSlope) {
        B[0] = 2.0;
        C[0] = 1.0;
        R[0] = ((y[1] - y[0]) / h0 - start_value) * 6.0 / h0;
    } else {
        B[0] = 1.0;
        C[0] = 0.0;
        R[0] = start_value;
    }

    // Continuity of the slope at inner knots:
    // h_{i-1}/6 M_{i-1} + (h_{i-1} + h_i)/3 M_i + h_i/6 M_{i+1} = (y_{i+1} - y_i)/h_i - (y_i -
    // y_{i-1})/h_{i-1}.
    for (int i = 1; i < n; ++i) {
        const double h_prev = x[i] - x[i - 1];
        const double h = x[i + 1] - x[i];
        if (std::fabs(h) < kMinInterval) return kSplineShortInterval;
        A[i] = h_prev / 6.0;
        B[i] = (h_prev + h) / 3.0;
        C[i] = h / 6.0;
        R[i] = (y[i + 1] - y[i]) / h - (y[i] - y[i - 1]) / h_prev;
    }

    // End row: M_{n-1} + 2 M_n = -6/h ((y_n - y_{n-1})/h - s_n), or M_n = value.
    const double h_last = x[n] - x[n - 1];
    if (end_kind == kSplineEndSlope) {
        A[n] = 1.0;
        B[n] = 2.0;
        R[n] = ((y[n] - y[n - 1]) / h_last - end_value) * (-6.0) / h_last;
    } else {
        A[n] = 0.0;
        B[n] = 1.0;
        R[n] = end_value;
    }

    if (tridiag_solve(n, A, B, C, R, M) != 0) return kSplineNoMemory;

    // Knot slopes from the moments: at the left end of the first interval,
    // then at the right end of every interval.
    s[0] = (y[1] - y[0]) / h0 - (2.0 * M[0] + M[1]) * h0 / 6.0;
    for (int i = 1; i <= n; ++i) {
        const double h = x[i] - x[i - 1];
        s[i] = (y[i] - y[i - 1]) / h + (2.0 * M[i] + M[i - 1]) * h / 6.0;
    }
    return kSplineFitted;
}

int tridiag_solve(int n, const double* A, const double* B, const double* C, const double* R, double* u) {
    if (n < 1) {  // one equation: no neighbours to eliminate
        u[0] = R[0] / B[0];
        return 0;
    }
    // Forward elimination into u[i] = P[i] u[i+1] + Q[i], then back substitution.
    const auto count = static_cast<std::size_t>(n);
    Scratch<kInlineWork> work(2 * count);
    if (!work.ok()) return -1;
    double* P = work.data();
    double* Q = P + count;

    P[0] = -C[0] / B[0];
    Q[0] = R[0] / B[0];
    for (int i = 1; i < n; ++i) {
        const double d = A[i] * P[i - 1] + B[i];
        P[i] = -C[i] / d;
        Q[i] = (R[i] - A[i] * Q[i - 1]) / d;
    }
    u[n] = (R[n] - A[n] * Q[n - 1]) / (A[n] * P[n - 1] + B[n]);
    for (int i = n - 1; i >= 1; --i) u[i] = P[i] * u[i + 1] + Q[i];
    u[0] = (R[0] - C[0] * u[1]) / B[0];
    return 0;
}

// On [x[i-1], x[i]] with a = x[i] - t, b = t - x[i-1], h = a + b the spline is
// S = (a^3 M_{i-1} + b^3 M_i) / (6h) + (y_{i-1} - M_{i-1} h^2/6) a/h + (y_i - M_i h^2/6) b/h.

double spline_value(int n, const double* x, const double* y, const double* M, double t) {
    const int i = interval_of(n, x, t);
    const double a = x[i] - t;
    const double b = t - x[i - 1];
    const double h = a + b;
    return ((a * a * a * M[i - 1] + b * b * b * M[i]) / 6.0 + (y[i - 1] - M[i - 1] * h * h / 6.0) * a +
            (y[i] - M[i] * h * h / 6.0) * b) /
           h;
}

double spline_slope(int n, const double* x, const double* y, const double* M, double t) {
    const int i = interval_of(n, x, t);
    const double a = x[i] - t;
    const double b = t - x[i - 1];
    const double h = a + b;
    return -M[i - 1] * a * a / (2.0 * h) + M[i] * b * b / (2.0 * h) + (y[i] - y[i - 1]) / h -
           (M[i] - M[i - 1]) * h / 6.0;
}

double spline_curv(int n, const double* x, const double* /*y*/, const double* M, double t) {
    const int i = interval_of(n, x, t);
    const double a = x[i] - t;
    const double b = t - x[i - 1];
    return (a * M[i - 1] + b * M[i]) / (a + b);
}

}  // namespace h2
