// Costs of the numerical kit's per-point paths: drawing LPtau points in
// sequence, as the predesign search does, and evaluating a fitted spline.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "halvorine2/lptau.h"
#include "numerics/splines.h"

namespace {

// One 40-dimensional point per iteration, each index following the last: the
// chain costs one XOR per dimension.
void BM_LPT40point_sequence(benchmark::State& state) {
    const int dim = static_cast<int>(state.range(0));
    std::vector<double> x(static_cast<std::size_t>(dim));
    LPT40init();
    int s = 0;
    for (auto _ : state) {
        if (LPT40point(&s, dim, x.data()) != 0) s = 0;  // never within a run's length
        benchmark::DoNotOptimize(x.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LPT40point_sequence)->Arg(40)->Arg(2);

// One 20-dimensional point computed from its index.
void BM_LPT20point(benchmark::State& state) {
    double x[20];
    LPT20init();
    std::uint32_t i = 0;
    for (auto _ : state) {
        LPT20point(i++, 20, x);
        benchmark::DoNotOptimize(x);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LPT20point);

// One value of a cubic spline through 101 knots (a streamline of a 100-element
// path), at abscissae spread over the whole curve.
void BM_spline_value(benchmark::State& state) {
    constexpr int n = 100;
    std::vector<double> x(n + 1), y(n + 1), s(n + 1), M(n + 1);
    for (int i = 0; i <= n; ++i) {
        x[i] = 0.01 * i;
        y[i] = std::sin(3.0 * x[i]);
    }
    h2::spline_fit(n, h2::kSplineEndSlope, h2::kSplineEndSlope, 3.0, 3.0 * std::cos(3.0), x.data(), y.data(),
                   s.data(), M.data());
    constexpr int kPoints = 997;
    std::vector<double> t(kPoints);
    for (int k = 0; k < kPoints; ++k) t[k] = static_cast<double>(k) / kPoints;
    int k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(h2::spline_value(n, x.data(), y.data(), M.data(), t[k]));
        if (++k == kPoints) k = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_spline_value);

// Fitting the same spline, for scale.
void BM_spline_fit(benchmark::State& state) {
    constexpr int n = 100;
    std::vector<double> x(n + 1), y(n + 1), s(n + 1), M(n + 1);
    for (int i = 0; i <= n; ++i) {
        x[i] = 0.01 * i;
        y[i] = std::sin(3.0 * x[i]);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(h2::spline_fit(n, h2::kSplineEndSlope, h2::kSplineEndSlope, 3.0,
                                                3.0 * std::cos(3.0), x.data(), y.data(), s.data(), M.data()));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_spline_fit);

}  // namespace
