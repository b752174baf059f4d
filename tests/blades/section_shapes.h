// Blade-section contours with known geometry for the section tests.
#pragma once

#include <cmath>
#include <vector>

#include "blades/prof_shape.h"

namespace h2::test {

inline h2::ProfShapePtr make_shape(const std::vector<Point3>& points, int m) {
    h2::ProfShapePtr shape(h2::prof_create(static_cast<int>(points.size()), m));
    if (shape) h2::prof_copy_in(shape.get(), points.data());
    return shape;
}

// Two edge circles on the x axis joined by their common tangents (single
// segments, so that no three points are collinear), laid
// clockwise from the outlet edge's least x: the stagger is the tangents'
// angle and the chord runs over both circles.
inline std::vector<Point3> tapered_blade(double r_out, double r_in, double length, int per_arc) {
    const double alpha = std::acos(-(r_in - r_out) / length);  // polar angle of the upper tangent points
    std::vector<Point3> p;
    const auto arc = [&](double xc, double r, double from, double to) {
        for (int k = 0; k < per_arc; ++k) {
            const double t = from + (to - from) * k / (per_arc - 1);
            p.push_back({xc + r * std::cos(t), r * std::sin(t), 0.0});
        }
    };
    arc(0.0, r_out, 3.14159265358979323846, alpha);
    arc(length, r_in, alpha, -alpha);
    arc(0.0, r_out, -alpha, -3.14159265358979323846 + (3.14159265358979323846 - alpha) / (per_arc - 1));
    return p;
}

// A section that the stagger search takes: it starts at the top of the
// outlet-edge circle (radius r, centre (0, -r)), runs along a straight
// suction side y = 0 to the top of the inlet-edge circle (radius R, centre
// (L, -R)), round that circle clockwise to polar angle `junction` (degrees,
// below -90), back along a concave pressure side, the arc externally
// tangent to the inlet circle there and ending on the outlet circle at polar
// angle 330, and closes with one more outlet-circle point at 250. So the
// contour ends turning left, and its least x and its tail both stay at its
// last point for suction-side angles of 0 to 80 degrees, which keeps the
// outlet circle on those three outlet points. The suction side is the upper
// common tangent of the edge circles; the chord's stagger is their lower
// common tangent, `suction_tilt` below it.
struct ConcaveEndBlade {
    double r, R, L;
    std::vector<Point3> points;
    // Angle between the suction side and the stagger line, degrees.
    double suction_tilt() const {
        const double b1 = std::hypot(L, R - r);
        return 2.0 * std::asin((R - r) / b1) * 180.0 / 3.14159265358979323846;
    }
    double chord() const { return std::hypot(L, R - r) + R + r; }
};

inline ConcaveEndBlade concave_end_blade(double r, double R, double L, double junction, int n_suction,
                                         int n_inlet, int n_pressure) {
    constexpr double kDeg = 3.14159265358979323846 / 180.0;
    ConcaveEndBlade blade{r, R, L, {}};
    auto& p = blade.points;
    for (int k = 0; k < n_suction; ++k) p.push_back({k * L / n_suction, 0.0, 0.0});
    const double lastInlet = junction - 360.0;
    for (int j = 0; j < n_inlet; ++j) {
        const double a = (90.0 + (lastInlet - 90.0) * j / (n_inlet - 1)) * kDeg;
        p.push_back({L + R * std::cos(a), -R + R * std::sin(a), 0.0});
    }
    // The pressure-side circle (centre P, radius rho) touches the inlet
    // circle at the junction and passes through the outlet point at 330.
    const double ux = std::cos(junction * kDeg), uy = std::sin(junction * kDeg);
    const double ex = r * std::cos(330.0 * kDeg), ey = -r + r * std::sin(330.0 * kDeg);
    const double dx = L - ex, dy = -R - ey;
    const double du = dx * ux + dy * uy;
    const double rho = -(dx * dx + dy * dy + 2.0 * R * du + R * R) / (2.0 * (du + R));
    const double px = L + (rho + R) * ux, py = -R + (rho + R) * uy;
    const double from = std::atan2(-R + R * uy - py, L + R * ux - px);
    const double to = std::atan2(ey - py, ex - px);
    for (int k = 1; k <= n_pressure; ++k) {
        const double a = from + (to - from) * k / n_pressure;
        p.push_back({px + rho * std::cos(a), py + rho * std::sin(a), 0.0});
    }
    p.push_back({r * std::cos(250.0 * kDeg), -r + r * std::sin(250.0 * kDeg), 0.0});
    return blade;
}

}  // namespace h2::test
