// The end-angle curve and its chart of control-point fractions.
#include "blades/angle_chart.h"

#include <algorithm>
#include <cmath>

#include "numerics/bezier.h"
#include "numerics/one_dim.h"

namespace h2 {

namespace {

constexpr double kRad = 0.017453292519943295;  // radians per degree
constexpr int kGrid = 17;
// Relative size below which the tangents count as parallel, or their
// intersection as lying on an end point.
constexpr double kDegenerate = 1e-9;

constexpr double kAngles[kGrid] = {5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85};

// Row: the angle at the end whose fraction is read; column: the other angle.
// clang-format off
constexpr double kChart[kGrid * kGrid] = {
    0.6647, 0.6002, 0.7203, 0.7817, 0.8157, 0.8437, 0.8537, 0.8669, 0.8765, 0.8832, 0.887,  0.8886, 0.8882, 0.8858, 0.882,  0.8765, 0.8693,
    1,      0.6616, 0.4601, 0.5758, 0.6428, 0.6911, 0.716,  0.7392, 0.7554, 0.7667, 0.7736, 0.7631, 0.7767, 0.7741, 0.7681, 0.7597, 0.7485,
    1,      1,      0.6565, 0.3735, 0.4713, 0.539,  0.5777, 0.6103, 0.6332, 0.6366, 0.6452, 0.6486, 0.6478, 0.661,  0.654,  0.6432, 0.6289,
    1,      1,      1,      0.6484, 0.3019, 0.3828, 0.4424, 0.4744, 0.5027, 0.522,  0.534,  0.5399, 0.5402, 0.5359, 0.5268, 0.5127, 0.4945,
    1,      1,      1,      1,      0.6353, 0.8274, 0.2988, 0.3386, 0.373,  0.3962, 0.4106, 0.418,  0.4184, 0.4134, 0.4024, 0.9667, 0.9857,
    1,      1,      1,      1,      0.4466, 0.6171, 0.7507, 0.9265, 0.9195, 0.8858, 0.9303, 0.9423, 0.9585, 0.9736, 0.9829, 0.8557, 0.8452,
    1,      1,      1,      1,      1,      0.5108, 0.6008, 0.6911, 0.7437, 0.7782, 0.798,  0.805,  0.7992, 0.8014, 0.7894, 0.7732, 0.7659,
    1,      1,      1,      1,      1,      0.274,  0.5309, 0.5795, 0.6514, 0.6923, 0.7148, 0.7203, 0.7222, 0.7203, 0.7143, 0.7043, 0.6892,
    1,      1,      1,      1,      1,      0.2891, 0.4741, 0.5208, 0.5532, 0.6126, 0.6363, 0.6548, 0.6528, 0.6633, 0.6521, 0.6347, 0.6323,
    1,      1,      1,      1,      1,      0.3335, 0.4381, 0.4818, 0.5019, 0.5238, 0.5751, 0.5928, 0.5875, 0.5945, 0.5968, 0.5713, 0.5619,
    1,      1,      1,      1,      1,      0.2604, 0.418,  0.4539, 0.4675, 0.4749, 0.4894, 0.5263, 0.5349, 0.5356, 0.5309, 0.5208, 0.5036,
    1,      1,      1,      1,      1,      0.2156, 0.3948, 0.4304, 0.4431, 0.4419, 0.4357, 0.4499, 0.4749, 0.4756, 0.4663, 0.4605, 0.4357,
    1,      1,      1,      1,      1,      0.1869, 0.3792, 0.4041, 0.4156, 0.4184, 0.4055, 0.406,  0.4042, 0.4141, 0.4086, 0.3959, 0.3677,
    1,      1,      1,      1,      1,      0.1568, 0.361,  0.39,   0.3921, 0.3921, 0.3769, 0.3642, 0.3591, 0.3516, 0.3464, 0.3304, 0.3041,
    1,      1,      1,      1,      1,      0.1254, 0.3495, 0.3665, 0.3711, 0.3634, 0.3505, 0.3359, 0.317,  0.3041, 0.2877, 0.269,  0.2384,
    1,      1,      1,      1,      0.1738, 0.3058, 0.3347, 0.3467, 0.3474, 0.3367, 0.3204, 0.3003, 0.2883, 0.2627, 0.2419, 0.2107, 0.1773,
    1,      1,      1,      1,      0.1207, 0.2948, 0.324,  0.3297, 0.3254, 0.3108, 0.2914, 0.2744, 0.2465, 0.2252, 0.1958, 0.1642, 0.1155,
};
// clang-format on

// A triangle angle from the cosine law, folded into 0..90 degrees.
double base_angle(double cosine) {
    double angle = std::acos(std::clamp(cosine, -1.0, 1.0)) / kRad;
    if (angle < 0.0) angle += 180.0;
    if (angle > 90.0) angle = 180.0 - angle;
    return angle;
}

}  // namespace

void chart_fractions(double a, double b, double* k1, double* k2) {
    *k1 = interp2(kGrid, kGrid, kAngles, kAngles, kChart, a, b);
    *k2 = interp2(kGrid, kGrid, kAngles, kAngles, kChart, b, a);
}

int endangle_curve(int i0, int N, double x0, double y0, double angle0, double x3, double y3, double angle3,
                   double* xs, double* ys, double* k1, double* k2) {
    const double s0 = std::tan(angle0 * kRad);
    const double s3 = std::tan(angle3 * kRad);
    const double e = std::hypot(x3 - x0, y3 - y0);
    const double scale = std::max(e, 1.0);
    double c1 = 1.0 / 3.0, c2 = 1.0 / 3.0;
    double X[4] = {x0, 0.0, 0.0, x3};
    double Y[4] = {y0, 0.0, 0.0, y3};
    bool degenerate = std::fabs(s3 - s0) < kDegenerate * std::max(1.0, std::fabs(s0) + std::fabs(s3));
    double qx = 0.0, qy = 0.0, d = 0.0, f = 0.0;
    if (!degenerate) {
        qx = ((y0 - y3) + x3 * s3 - x0 * s0) / (s3 - s0);
        qy = (qx - x0) * s0 + y0;
        d = std::hypot(qx - x3, qy - y3);
        f = std::hypot(qx - x0, qy - y0);
        degenerate = !std::isfinite(qx) || !std::isfinite(qy) || d < kDegenerate * scale ||
                     f < kDegenerate * scale || e < kDegenerate * scale;
    }
    if (!degenerate) {
        const double A = base_angle((e * e + f * f - d * d) / (2.0 * e * f));
        const double B = base_angle((d * d + e * e - f * f) / (2.0 * e * d));
        chart_fractions(A, B, &c1, &c2);
        X[1] = x0 + c1 * (qx - x0);
        Y[1] = y0 + c1 * (qy - y0);
        X[2] = x3 + c2 * (qx - x3);
        Y[2] = y3 + c2 * (qy - y3);
    } else {
        // No usable intersection: along the end directions by a third of the
        // end-point distance, the leaving tangent forwards and the arriving
        // one backwards.
        X[1] = x0 + c1 * e * std::cos(angle0 * kRad);
        Y[1] = y0 + c1 * e * std::sin(angle0 * kRad);
        X[2] = x3 - c2 * e * std::cos(angle3 * kRad);
        Y[2] = y3 - c2 * e * std::sin(angle3 * kRad);
    }
    for (int i = i0; i <= N; ++i) {
        const double u = N > 0 ? static_cast<double>(i) / N : 0.0;
        xs[i] = bezier_eval(4, 0, X, u);
        ys[i] = bezier_eval(4, 0, Y, u);
    }
    if (k1 != nullptr) *k1 = c1;
    if (k2 != nullptr) *k2 = c2;
    return 0;
}

}  // namespace h2
