// Costs of the blade layer: one build of a 200-point section with the
// boundary-layer pass finding the transition, and one evaluation of the
// cascade flow field at a point near the blade.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "halvorine2/halvorine2.h"

namespace {

// A thin ellipse of chord 0.2, clockwise from the outlet edge at least x.
std::vector<Point3> section(int n) {
    const double pi = 3.14159265358979323846;
    std::vector<Point3> p;
    for (int i = 0; i < n; ++i) {
        const double phi = pi - 2.0 * pi * i / n;
        p.push_back({0.1 * std::cos(phi), 0.01 * std::sin(phi), 0.0});
    }
    return p;
}

Layer* build(const std::vector<Point3>& contour, double* outlet) {
    double *s, *curvature, *velocity, *velocityCompr, lossTE, loss;
    int kLast, nSide1, nSide2, tr[4];
    return MakeLayer(static_cast<int>(contour.size()), 3, contour.data(), 4.0, 0.0, 0.001, 100.0, 80.0, 50.0,
                     1.4, 3e5, 8, 0.03, 1.5e-5, 1, &s, &curvature, &velocity, &velocityCompr, outlet, &lossTE,
                     &loss, &kLast, &nSide1, &nSide2, &tr[0], &tr[1], &tr[2], &tr[3]);
}

void BM_MakeLayer(benchmark::State& state) {
    const auto contour = section(200);
    double outlet = 0.0;
    for (auto _ : state) {
        Layer* layer = build(contour, &outlet);
        benchmark::DoNotOptimize(layer);
        FreeLayer(layer);
    }
}
BENCHMARK(BM_MakeLayer)->Unit(benchmark::kMillisecond);

void BM_CasField(benchmark::State& state) {
    const auto contour = section(200);
    double outlet = 0.0;
    Layer* layer = build(contour, &outlet);
    double u = 0.0, v = 0.0;
    for (auto _ : state) {
        CasField(200, 4.0, 80.0, outlet, layer, 0.03, 0.05, &u, &v);
        benchmark::DoNotOptimize(u);
        benchmark::DoNotOptimize(v);
    }
    FreeLayer(layer);
}
BENCHMARK(BM_CasField)->Unit(benchmark::kMicrosecond);

}  // namespace
