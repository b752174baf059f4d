// Vector arithmetic on Point3, by value.
#pragma once

#include <cmath>

#include "halvorine2/case_block.h"

namespace h2 {

inline Point3 p3_set(double x, double y, double z) { return Point3{x, y, z}; }
inline Point3 p3_add(Point3 a, Point3 b) { return Point3{a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Point3 p3_sub(Point3 a, Point3 b) { return Point3{a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Point3 p3_scale(Point3 a, double s) { return Point3{a.x * s, a.y * s, a.z * s}; }
inline double p3_norm(Point3 a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }
// a / |a|; a zero vector has no direction and stays as it is.
inline void p3_normalize(Point3* a) {
    const double length = p3_norm(*a);
    if (length != 0.0) *a = p3_scale(*a, 1.0 / length);
}

}  // namespace h2
