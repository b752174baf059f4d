// Host exports around section contours and layer blocks.
#include "halvorine2/profile_tools.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "blades/layer_layout.h"
#include "blades/layer_registry.h"
#include "blades/point_grids.h"
#include "numerics/plane_geometry.h"

namespace {

constexpr double kThickening = 1.4;  // displacement over momentum thickness of the layer

// A zero-filled block of count elements for the host to free(); NULL without memory.
template <class T>
T* host_block(int count) {
    return static_cast<T*>(std::calloc(static_cast<std::size_t>(count), sizeof(T)));
}

}  // namespace

extern "C" {

int distprof(int countA, int countB, const Point3* A, const Point3* B, double* dMax, double* dRms) {
    if (countA < 1 || countB < 1 || A == nullptr || B == nullptr || dMax == nullptr || dRms == nullptr)
        return -1;
    double largest = 0.0;
    double sum = 0.0;
    int result = -1;
    for (int j = 0; j < countB; ++j) {
        double nearest = 1e20;
        int iNearest = 0;
        for (int i = 0; i < countA; ++i) {
            const double d = std::sqrt(h2::dist2_xy(A[i], B[j]));
            if (d < nearest) {
                nearest = d;
                iNearest = i;
            }
        }
        if (j == 0) result = iNearest;  // kept when no distance exceeds 0
        if (nearest > largest) {
            largest = nearest;
            result = iNearest;
        }
        sum += nearest * nearest;
    }
    *dMax = largest;
    *dRms = std::sqrt(sum) / countB;
    return result;
}

double Chord2(int n, const Point3* P, int* i1, int* i2) {
    double longest = 0.0;
    int first = 0, second = 0;
    if (P != nullptr) {
        for (int i = 0; i < n; ++i) {
            for (int j = i + 1; j < n; ++j) {
                const double d2 = h2::dist2_xy(P[i], P[j]);
                if (d2 > longest) {
                    longest = d2;
                    first = i;
                    second = j;
                }
            }
        }
    }
    if (i1 != nullptr) *i1 = first;
    if (i2 != nullptr) *i2 = second;
    return std::sqrt(longest);
}

int Apoint2Tpoint(int n, const Point3* src, Point3* dst) {
    if (n < 1 || src == nullptr || dst == nullptr) return -1;
    std::memmove(dst, src, static_cast<std::size_t>(n) * sizeof(Point3));
    return 0;
}

Point3* Tpoint2Apoint(int n, const Point3* src) {
    if (n < 1 || src == nullptr) return nullptr;
    Point3* copy = host_block<Point3>(n);
    if (copy != nullptr) std::memcpy(copy, src, static_cast<std::size_t>(n) * sizeof(Point3));
    return copy;
}

double* Get_dxx(int n, Layer* layer) {
    if (n < 1 || layer == nullptr || !h2::layer::size_matches(layer, n)) return nullptr;
    return h2::layer::array(layer, n, h2::layer::kMomentumSide1);
}

double* Get_Buri(int n, Layer* layer) {
    if (n < 1 || layer == nullptr || !h2::layer::size_matches(layer, n)) return nullptr;
    return h2::layer::array(layer, n, h2::layer::kBuri);
}

Point3* bulgleProf(int n, int nSide1, int nSide2, Layer* layer, Layer* thLayer) {
    if (layer == nullptr || thLayer == nullptr || nSide1 < 1 || nSide2 < 1) return nullptr;
    const int m = 2 * (nSide1 + nSide2) - 3;
    if (m >= n) return nullptr;  // the closing stretch would run past the thickness array
    Point3* R = host_block<Point3>(2 * n + 2);
    double* d = host_block<double>(n + 1);
    if (R == nullptr || d == nullptr) {
        std::free(R);
        std::free(d);
        return nullptr;
    }
    const double* x = h2::layer::array(layer, n, h2::layer::kX);
    const double* y = h2::layer::array(layer, n, h2::layer::kY);
    const double* th1 = h2::layer::array(thLayer, n, h2::layer::kMomentumSide1);
    const double* th2 = h2::layer::array(thLayer, n, h2::layer::kMomentumSide2);
    Point3* contour = R + n + 1;
    for (int i = 0; i < n; ++i) contour[i] = Point3{x[i], y[i], 0.0};
    contour[n] = contour[0];
    // Thickness on the odd contour points: side 1 read from its end, then side 2.
    for (int i = 1; i <= nSide1; ++i) d[2 * i - 1] = kThickening * th1[nSide1 - i];
    for (int i = 1; i <= nSide2 - 1; ++i) d[2 * nSide1 + 2 * i - 1] = kThickening * th2[i];
    // The closing stretch runs linearly back to the first thickness.
    d[n] = d[1];
    for (int i = 2 * (nSide1 + nSide2); i <= n; ++i) d[i] = d[m] + (i - m) * (d[n] - d[m]) / (n - m);
    d[0] = d[n];
    for (int i = 1; i <= n - 1; ++i) {
        if (d[i] == 0.0) d[i] = d[i - 1];
    }
    d[2 * nSide1] = 0.0;  // the stagnation point keeps the contour
    h2::offset_polyline(contour, n + 1, R, d, 0.0);
    std::free(d);
    return R;
}

}  // extern "C"
