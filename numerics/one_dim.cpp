// One-dimensional tools shared by the loss, leakage, load and design models.
#include "numerics/one_dim.h"

#include <cmath>

namespace h2 {

namespace {

// Upper end of the interval that holds x: the first j in 1..n-1 with
// xs[j] > x, else n - 1. The strict test makes a value on an inner knot take
// the interval that starts there; xs[0] is never compared, so values below
// the table fall into the first interval and values above it into the last.
int upper_knot(int n, const double* xs, double x) {
    for (int j = 1; j < n; ++j) {
        if (xs[j] > x) return j;
    }
    return n - 1;
}

// Abscissae closer than this are one knot: the interval has no slope.
constexpr double kZeroWidth = 1e-20;

// False position keeps a sign change in (a, b) and moves the end whose value
// has the same sign as the new point's.
constexpr double kFlatEnds = 1e-8;    // |f(b) - f(a)| below this: the secant has no slope
constexpr int kMaxEvaluations = 120;  // the loop stops once the count exceeds it (121 calls at most)

template <class F>
double false_position(F&& f, double x0, double h, double tol) {
    double a = x0;
    double b = x0 + h;
    double r = x0;
    const double eps = std::fabs(h * tol);
    double fa = f(a);
    double fb = f(b);
    int evaluations = 2;

    // No sign change between the starting points: the better of the two.
    if (fa * fb > 0.0) return std::fabs(fb) < std::fabs(fa) ? b : a;

    for (;;) {
        if (std::fabs(fb - fa) < kFlatEnds || evaluations > kMaxEvaluations) return r;
        r = b - (b - a) * fb / (fb - fa);  // zero of the secant through (a, fa), (b, fb)
        if (std::fabs(r - b) < eps) return r;
        const double fr = f(r);
        ++evaluations;
        if (fr * fb < 0.0) {
            a = b;
            fa = fb;
            b = r;
            fb = fr;
        } else {
            b = a;
            fb = fa;
            a = r;
            fa = fr;
        }
    }
}

}  // namespace

double interp1(int n, const double* xs, const double* ys, double x) {
    // A table of one point has no interval: it is a constant (and n - 1 = 0
    // would make the interval start at xs[-1]).
    if (n <= 1) return ys[0];
    const int j = upper_knot(n, xs, x);
    const double dx = xs[j] - xs[j - 1];
    if (std::fabs(dx) < kZeroWidth) return ys[j - 1];
    return ys[j - 1] + (ys[j] - ys[j - 1]) / dx * (x - xs[j - 1]);
}

double interp2(int nx, int ny, const double* xs, const double* ys, const double* table, double x, double y) {
    if (nx < 1 || ny < 1) return table[0];
    // One row or one column of grid points is a one-dimensional table laid out
    // contiguously; the cell search below would start at index -1.
    if (nx == 1) return interp1(ny, ys, table, y);
    if (ny == 1) return interp1(nx, xs, table, x);

    const int i = upper_knot(nx, xs, x);
    const int j = upper_knot(ny, ys, y);
    const double t = (x - xs[i - 1]) / (xs[i] - xs[i - 1]);
    const auto at = [&](int ix, int jy) { return table[ix * ny + jy]; };
    const double low = at(i - 1, j - 1) + (at(i, j - 1) - at(i - 1, j - 1)) * t;
    const double high = at(i - 1, j) + (at(i, j) - at(i - 1, j)) * t;
    return low + (high - low) * (y - ys[j - 1]) / (ys[j] - ys[j - 1]);
}

double trapezoid_sum(int n, double h, const double* values) {
    // No intervals to sum; values[n] would lie before the array.
    if (n < 0) return 0.0;
    double inner = 0.0;
    for (int k = 1; k < n; ++k) inner += values[k];
    return h * ((values[0] + values[n]) * 0.5 + inner);
}

double fd_deriv(int mode, double h1, double h2, double y0, double y1, double y2) {
    // Parabola y = y0 + s*t + c*t*(t - h1) through the three points, t from P0.
    const double s = (y1 - y0) / h1;
    const double c = ((y2 - y1) / h2 - s) / (h1 + h2);
    switch (mode) {
        case 0:
            return s - c * h1;
        case 1:
            return s + c * h1;
        case 2:
            return s + c * (2.0 * h2 + h1);
        default:
            return 0.0;
    }
}

double parabola_slope(double x0, double x1, double x2, double y0, double y1, double y2, double x) {
    // Newton form y = y0 + s*(x - x0) + c*(x - x0)*(x - x1), differentiated.
    const double s = (y1 - y0) / (x1 - x0);
    const double c = ((y2 - y1) / (x2 - x1) - s) / (x2 - x0);
    return s + c * (2.0 * x - x1 - x0);
}

double mid_value(int m, const double* values) {
    const int half = m / 2;
    if (m % 2 != 0) return (values[half] + values[half + 1]) / 2.0;
    return values[half];
}

void root_bracket(ScalarFunc f, double* a, double* b, int n, int k) {
    const double step = (*b - *a) / n;
    double fb = f(*b);
    int change = 1;
    for (int s = 0; s < n; ++s) {
        *a = *b - step;
        const double fa = f(*a);
        // A zero value is no sign change: the strict test keeps the bracket open.
        if (fa * fb < 0.0) {
            if (change == k) return;
            ++change;
        }
        *b = *a;
        fb = fa;
    }
}

double root_falsi(ScalarFunc f, double x0, double h, double tol) {
    return false_position([f](double x) { return f(x); }, x0, h, tol);
}

double root_falsi_ctx(ScalarCtxFunc f, double x0, double h, double tol, void* ctx) {
    return false_position([f, ctx](double x) { return f(x, ctx); }, x0, h, tol);
}

}  // namespace h2
