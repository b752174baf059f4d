// Contours and a layer build with known flows for the blade layer tests.
#pragma once

#include <cmath>
#include <vector>

#include "halvorine2/blade_layer.h"

namespace h2::test {

inline constexpr double kPiExact = 3.14159265358979323846;
inline constexpr double kDeg = kPiExact / 180.0;

// An ellipse of semi-axes a (along x) and b, n points clockwise from the
// outlet edge at least x: point i at polar parameter pi - 2 pi i / n.
inline std::vector<Point3> ellipse(double a, double b, int n) {
    std::vector<Point3> p;
    for (int i = 0; i < n; ++i) {
        const double phi = kPiExact - 2.0 * kPiExact * i / n;
        p.push_back({a * std::cos(phi), b * std::sin(phi), 0.0});
    }
    return p;
}

// The inputs of one build, the outputs as MakeLayer fills them, and the layer.
struct LayerRun {
    int n = 200, nTail = 3;
    std::vector<Point3> contour;
    double t = 1.0, spareLen = 0.0, dTE = 0.001, beta2 = 90.0, beta1 = 90.0, W2 = 100.0, k = 1.0, i0 = 3e5;
    int roughClass = 8;
    double Tu = 0.03, nu = 1.5e-5;
    int mode = 0;

    double *s = nullptr, *curvature = nullptr, *velocity = nullptr, *velocityCompr = nullptr;
    double outlet = 0.0, lossTE = 0.0, loss = 0.0;
    int kLast = 0, nSide1 = 0, nSide2 = 0, tr[4] = {0, 0, 0, 0};
    Layer* layer = nullptr;

    Layer* make(int count = -1) {
        const Point3* points = contour.empty() ? nullptr : contour.data();
        layer =
            count < 0
                ? MakeLayer(n, nTail, points, t, spareLen, dTE, beta2, beta1, W2, k, i0, roughClass, Tu, nu,
                            mode, &s, &curvature, &velocity, &velocityCompr, &outlet, &lossTE, &loss, &kLast,
                            &nSide1, &nSide2, &tr[0], &tr[1], &tr[2], &tr[3])
                : MakeLayerIter(count, n, nTail, points, t, spareLen, dTE, beta2, beta1, W2, k, i0,
                                roughClass, Tu, nu, mode, &s, &curvature, &velocity, &velocityCompr, &outlet,
                                &lossTE, &loss, &kLast, &nSide1, &nSide2, &tr[0], &tr[1], &tr[2], &tr[3]);
        return layer;
    }
    // Array a of the layer.
    const double* array(int a) const { return reinterpret_cast<const double*>(layer) + a * (n + 1); }
    LayerRun() = default;
    LayerRun(const LayerRun&) = delete;
    LayerRun& operator=(const LayerRun&) = delete;
    ~LayerRun() { FreeLayer(layer); }
};

// The circle of radius 0.1 alone in a wide cascade, flow straight through.
inline void circle_run(LayerRun& run) {
    run.contour = ellipse(0.1, 0.1, run.n);
    run.t = 10.0;
}

// The thin ellipse (chord 0.2, thickness 0.02) turning the flow at pitch 4.
inline void ellipse_run(LayerRun& run) {
    run.contour = ellipse(0.1, 0.01, run.n);
    run.t = 4.0;
    run.beta1 = 80.0;
    run.beta2 = 100.0;
}

}  // namespace h2::test
