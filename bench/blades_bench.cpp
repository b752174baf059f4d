// Cost of a stagger table: seven outlet angles by six pitch-to-chord ratios
// on a 300-point section, each entry a scan over the staggers with overlap
// checks and a refinement.
#include <benchmark/benchmark.h>

#include "blades/cascade.h"
#include "tests/blades/section_shapes.h"

namespace {

void BM_StaggerTable7x6(benchmark::State& state) {
    const auto blade = h2::test::concave_end_blade(0.03, 0.12, 1.0, 240.0, 120, 60, 119);
    auto shape = h2::test::make_shape(blade.points, 150);
    h2::prof_geometry(shape.get());
    int found = 0;  // entries with a stagger, of 42
    for (int i = 0; i < 7; ++i) {
        for (int j = 0; j < 6; ++j) {
            const double t = (0.5 + 0.1 * j) * shape->b;
            if (h2::stagger_for_angle(shape.get(), 20.0 + 5.0 * i, t, 1, 1) < 1e19) ++found;
        }
    }
    for (auto _ : state) {
        h2::prof_geometry(shape.get());
        const int result =
            h2::stagger_table(shape.get(), 7, 20.0, 50.0, 6, 0.5, 1.0, 1, 1, "/dev/null", "wt", nullptr);
        benchmark::DoNotOptimize(result);
    }
    state.counters["points"] = static_cast<double>(shape->n);
    state.counters["found"] = found;
}
BENCHMARK(BM_StaggerTable7x6)->Unit(benchmark::kMillisecond);

}  // namespace
