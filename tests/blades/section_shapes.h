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

}  // namespace h2::test
