// Cascade blade sections from design values, and their checks.
#include "blades/profile_design.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "blades/angle_chart.h"
#include "numerics/plane_geometry.h"

namespace h2 {

namespace {

constexpr double kRad = 0.017453292519943295;  // radians per degree
constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = kTwoPi / 2.0;

// Polar angle of p about c in [0, 2 pi).
double polar_angle(Point3 p, Point3 c) {
    double angle = std::atan2(p.y - c.y, p.x - c.x);
    if (angle < 0.0) angle += kTwoPi;
    return angle;
}

// Direction of the segment p -> q, degrees.
double direction(Point3 p, Point3 q) { return std::atan2(q.y - p.y, q.x - p.x) / kRad; }

// The arc about c of radius r from the polar angle of `from` to that of `to`,
// the shorter way round unless the sweep lies below -pi, in `steps` equal
// steps into out[0..steps - 1]; the end point belongs to the next segment.
void fill_arc(Point3 c, double r, Point3 from, Point3 to, int steps, Point3* out) {
    if (steps < 1) return;
    const double start = polar_angle(from, c);
    double sweep = polar_angle(to, c) - start;
    if (sweep > kPi) sweep -= kTwoPi;
    for (int k = 0; k < steps; ++k) {
        const double angle = start + k * sweep / steps;
        out[k] = Point3{c.x + r * std::cos(angle), c.y + r * std::sin(angle), 0.0};
    }
}

void copy_points(const double* xs, const double* ys, int count, Point3* out) {
    for (int k = 0; k < count; ++k) out[k] = Point3{xs[k], ys[k], 0.0};
}

void set_fractions(double* out, int count, const double* values) {
    if (out == nullptr) return;
    for (int k = 0; k < count; ++k) out[k] = values[k];
}

bool crosses_strictly(Point3 a0, Point3 a1, Point3 b0, Point3 b1) {
    const Point3 X = line_intersect(a0, a1, b0, b1);
    if (X.x == kNoIntersection || X.x == kNestedSegments) return false;
    return point_between(a0, a1, X) > 0 && point_between(b0, b1, X) > 0;
}

}  // namespace

bool ProfileSteps::valid() const {
    if (nSa < 0 || nSb < 0 || nIn < 0 || nPr < 0 || nOut < 0) return false;
    const long long sum = static_cast<long long>(nSa) + nSb + nIn + nPr + nOut;
    return sum < INT_MAX;
}

int curve_via_point(int nSa, int nSb, Point3 P0, double angle0, Point3 P2, double angle2, Point3 Pm,
                    double anglem, double* xs, double* ys, double* fractions) {
    // The curve crosses the radius of the middle point at right angles.
    double middle = 90.0 - anglem;
    middle -= 180.0 * std::floor((middle + 90.0) / 180.0);
    double k[4] = {0.0, 0.0, 0.0, 0.0};
    int result = endangle_curve(0, nSa, P0.x, P0.y, angle0, Pm.x, Pm.y, middle, xs, ys, &k[2], &k[3]);
    if (result == 0)
        result =
            endangle_curve(0, nSb, Pm.x, Pm.y, middle, P2.x, P2.y, angle2, xs + nSa, ys + nSa, &k[0], &k[1]);
    set_fractions(fractions, 4, k);
    return result;
}

int contour_from_edges(Point3 C1, double r1, Point3 C2, double r2, Point3 P_A, double angleA, Point3 P_B,
                       double angleB, Point3 P_C, double angleC, Point3 P_D, double angleD, Point3 P_M,
                       double angleM, const ProfileSteps& steps, int curved, Point3* contour,
                       double* fractions) {
    if (contour == nullptr || !steps.valid()) return -1;
    const int s1 = steps.inlet_start(), s2 = steps.pressure_start(), s3 = steps.outlet_start();
    // Curved edges take their end directions from the neighbouring side
    // segments, which must exist.
    if (curved != 0 && (s1 < 1 || steps.nPr < 1)) return -1;
    std::vector<double> work;
    try {
        work.assign(2 * static_cast<size_t>(steps.total()) + 2, 0.0);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    double* xs = work.data();
    double* ys = xs + steps.total() + 1;
    double k[6] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};

    int result = curve_via_point(steps.nSa, steps.nSb, P_B, 90.0 - angleB, P_A, angleA - 90.0, P_M, angleM,
                                 xs, ys, &k[2]);
    copy_points(xs, ys, s1 + 1, contour);
    const int pressure = endangle_curve(0, steps.nPr, P_C.x, P_C.y, angleC - 90.0, P_D.x, P_D.y,
                                        90.0 - angleD, xs, ys, &k[0], &k[1]);
    if (result == 0) result = pressure;
    copy_points(xs, ys, steps.nPr + 1, contour + s2);

    if (curved == 0) {
        fill_arc(C1, r1, P_A, P_C, steps.nIn, contour + s1);
        fill_arc(C2, r2, P_D, P_B, steps.nOut, contour + s3);
    } else {
        if (steps.nIn > 0) {
            const Point3 a = contour[s1], c = contour[s2];
            const int inlet = endangle_curve(0, steps.nIn, a.x, a.y, direction(contour[s1 - 1], a), c.x, c.y,
                                             direction(c, contour[s2 + 1]), xs, ys, nullptr, nullptr);
            if (result == 0) result = inlet;
            copy_points(xs, ys, steps.nIn, contour + s1);
        }
        if (steps.nOut > 0) {
            const Point3 d = contour[s3], b = contour[0];
            const int outlet = endangle_curve(0, steps.nOut, d.x, d.y, direction(contour[s3 - 1], d), b.x,
                                              b.y, direction(b, contour[1]), xs, ys, nullptr, nullptr);
            if (result == 0) result = outlet;
            copy_points(xs, ys, steps.nOut, contour + s3);
        }
    }
    set_fractions(fractions, 6, k);
    return result;
}

Point3* profile_from_design(const ProfileDesign& d, const ProfileSteps& steps, int curved,
                            double* fractions) {
    if (!steps.valid()) return nullptr;
    const double s = std::sin(d.gamma * kRad), c = std::cos(d.gamma * kRad);
    // The chord b runs along gamma over both edge circles: their centres lie
    // b - r1 - r2 apart along it and r1 - r2 apart across it.
    const Point3 C2{d.r2, d.r2, 0.0};
    const Point3 C1{C2.x + d.b * c - d.r1 * (s + c) + d.r2 * (s - c),
                    C2.y + d.b * s - d.r1 * (s - c) - d.r2 * (s + c), 0.0};
    const double thetaA = d.beta1 - d.omega1 / 2.0, thetaC = d.beta1 + d.omega1 / 2.0;
    const double thetaB = d.beta2 - d.omega2 / 2.0, thetaD = d.beta2 + d.omega2 / 2.0;
    const Point3 P_A{C1.x + d.r1 * std::cos(thetaA * kRad), C1.y + d.r1 * std::sin(thetaA * kRad), 0.0};
    const Point3 P_C{C1.x - d.r1 * std::cos(thetaC * kRad), C1.y - d.r1 * std::sin(thetaC * kRad), 0.0};
    const Point3 P_B{C2.x - d.r2 * std::cos(thetaB * kRad), C2.y + d.r2 * std::sin(thetaB * kRad), 0.0};
    const Point3 P_D{C2.x + d.r2 * std::cos(thetaD * kRad), C2.y - d.r2 * std::sin(thetaD * kRad), 0.0};
    // The suction side's middle point lies the throat q sin(u2) beyond the
    // neighbour's outlet edge, one pitch q up.
    const double q = d.u4 * d.u1;
    const double h = q * std::sin(d.u2 * kRad);
    const double towards = (thetaB + d.u3) * kRad;
    const Point3 P_M{C2.x + (h + d.r2) * std::cos(towards), C2.y - (h + d.r2) * std::sin(towards) + q, 0.0};

    auto* contour = static_cast<Point3*>(std::calloc(static_cast<size_t>(steps.total()) + 1, sizeof(Point3)));
    if (contour == nullptr) return nullptr;
    if (contour_from_edges(C1, d.r1, C2, d.r2, P_A, thetaA, P_B, thetaB, P_C, thetaC, P_D, thetaD, P_M, d.u3,
                           steps, curved, contour, fractions) != 0) {
        std::free(contour);
        return nullptr;
    }
    return contour;
}

int angle_is_obtuse(Point3 P1, Point3 P2, Point3 P3) {
    return dist2_xy(P1, P2) + dist2_xy(P3, P2) - dist2_xy(P3, P1) < 0.0 ? 1 : 0;
}

int contour_check(const Point3* contour, double t, const ProfileSteps& steps, double* kappaSuction,
                  double* kappaPressure) {
    if (contour == nullptr || !steps.valid() || steps.total() == 0) return -1;
    if (kappaSuction != nullptr) *kappaSuction = 0.0;
    if (kappaPressure != nullptr) *kappaPressure = 0.0;
    const Point3* P = contour;
    const int total = steps.total();
    const int s1 = steps.inlet_start(), s2 = steps.pressure_start(), s3 = steps.outlet_start();

    if (angle_is_obtuse(P[1], P[0], P[total - 1]) == 0) return 1;
    // A joint at point 0 (an empty segment) or at point total (no outlet
    // edge) is the closing joint tested above; its neighbours would lie
    // outside the contour.
    const int joints[4] = {steps.nSa, s1, s2, s3};
    for (int j : joints) {
        if (j <= 0 || j >= total) continue;
        if (angle_is_obtuse(P[j + 1], P[j], P[j - 1]) == 0) return 1;
    }

    for (const double shift : {0.0, t}) {
        for (int i = 0; i < s1; ++i) {
            for (int j = s2; j < total - steps.nOut; ++j) {
                const Point3 q0{P[j].x, P[j].y + shift, P[j].z},
                    q1{P[j + 1].x, P[j + 1].y + shift, P[j + 1].z};
                if (crosses_strictly(P[i], P[i + 1], q0, q1)) return 2;
            }
        }
    }

    double suction = 0.0, pressure = 0.0;
    for (int i = 1; i <= s1 - 2; ++i)
        suction = std::fmax(suction, std::fabs(circle_curvature(P[i - 1], P[i], P[i + 1])));
    for (int i = s2 + 1; i <= total - steps.nOut - 2; ++i)
        pressure = std::fmax(pressure, std::fabs(circle_curvature(P[i - 1], P[i], P[i + 1])));
    if (kappaSuction != nullptr) *kappaSuction = suction;
    if (kappaPressure != nullptr) *kappaPressure = pressure;
    return 0;
}

}  // namespace h2
