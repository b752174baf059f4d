// Bezier evaluation by de Casteljau's scheme, run row by row so that control
// values are taken in one at a time.
#include "numerics/bezier.h"

#include <cmath>
#include <limits>

#include "numerics/scratch.h"

namespace h2 {

namespace {

// Curves of up to this many control values need no heap memory.
constexpr std::size_t kInlinePoints = 64;

// Control value k of the curve of the given order: p itself, its first
// differences, or the differences of those.
double control_value(int order, const double* p, int k) {
    switch (order) {
        case 0:
            return p[k];
        case 1:
            return p[k + 1] - p[k];
        default:
            return (p[k + 2] - p[k + 1]) - (p[k + 1] - p[k]);
    }
}

}  // namespace

double bezier_eval(int n, int order, const double* p, double t) {
    if (order < 0 || order > 2) return std::numeric_limits<double>::quiet_NaN();
    const int m = n - order;  // control values of the curve evaluated
    if (m < 1) return 0.0;

    Scratch<kInlinePoints> work(static_cast<std::size_t>(m));
    if (!work.ok()) return std::numeric_limits<double>::quiet_NaN();
    double* row = work.data();

    // Row k holds the Bezier values of the control values k-j..k for
    // j = 0..k; it ends with that of q[0..k]. Entry j + 1 of row k is
    // t * (entry j of row k) + (1 - t) * (entry j of row k - 1), so the row
    // can be rebuilt in place while the previous row's entry j is kept aside.
    row[0] = control_value(order, p, 0);
    for (int k = 1; k < m; ++k) {
        double above = row[0];  // entry j of the previous row
        row[0] = control_value(order, p, k);
        for (int j = 0; j < k; ++j) {
            const double next_above = row[j + 1];
            row[j + 1] = t * row[j] + (1.0 - t) * above;
            above = next_above;
        }
    }
    return row[m - 1];
}

double bezier_curvature(int n, const double* px, const double* py, double t) {
    // Signed curvature of a plane curve: (x' y'' - x'' y') / (x'^2 + y'^2)^(3/2).
    const double X1 = bezier_eval(n, 1, px, t);
    const double Y1 = bezier_eval(n, 1, py, t);
    const double X2 = bezier_eval(n, 2, px, t);
    const double Y2 = bezier_eval(n, 2, py, t);
    return (X1 * Y2 - X2 * Y1) / std::pow(X1 * X1 + Y1 * Y1, 1.5);
}

}  // namespace h2
