// A layer block built by hand: the surface velocity of a flat plate met head
// on (array 8 negative on one side of the stagnation point, positive on the
// other) and a uniform arc length (array 10), without a contour solve.
#pragma once

#include <vector>

#include "blades/layer_layout.h"

namespace h2::test {

struct SyntheticLayer {
    int n;
    std::vector<double> block;

    // n + 1 points per array; array 8 is vNeg at nodes 0..kLast and vPos at
    // the rest, array 10 is ds * i at contour point i.
    SyntheticLayer(int n_, int kLast, double ds, double vNeg = -1.0, double vPos = 1.0)
        : n(n_), block(layer::block_size(n_), 0.0) {
        double* v = arr(layer::kVelocity);
        for (int k = 0; k <= n; ++k) v[k] = k <= kLast ? vNeg : vPos;
        double* s = arr(layer::kArcLength);
        for (int i = 0; i <= n; ++i) s[i] = ds * i;
    }

    Layer* get() { return reinterpret_cast<Layer*>(block.data()); }
    double* arr(int a) { return layer::array(get(), n, a); }
};

}  // namespace h2::test
