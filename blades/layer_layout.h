// The memory layout of a Layer block: 25 arrays of n + 1 doubles end to end,
// array a starting at element a * (n + 1). Shared by everything that reads
// or writes a layer, so that the array numbers live in one place.
#pragma once

#include <cstddef>

#include "halvorine2/profile_tools.h"

namespace h2::layer {

inline constexpr int kArrayCount = 25;

// Array numbers with a fixed meaning.
inline constexpr int kX = 0;               // contour x
inline constexpr int kY = 1;               // contour y
inline constexpr int kVelocity = 8;        // signed surface velocity ratio per node
inline constexpr int kArcLength = 10;      // arc length per contour point (node k at 2k)
inline constexpr int kMomentumSide1 = 11;  // momentum thickness, side 1
inline constexpr int kMomentumSide2 = 12;  // momentum thickness, side 2
inline constexpr int kHeatTransfer = 13;   // heat-transfer coefficient in contour order
inline constexpr int kSide1X = 16;         // side 1: distance from the stagnation point
inline constexpr int kSide1W = 17;         // side 1: velocity
inline constexpr int kSide2X = 18;         // side 2: distance from the stagnation point
inline constexpr int kSide2W = 19;         // side 2: velocity
inline constexpr int kBuri = 20;           // second result array read by hosts: form parameter, side 1
inline constexpr int kFormSide2 = 21;      // form parameter, side 2

// Number of doubles in a layer block of n + 1 points per array.
inline constexpr std::size_t block_size(int n) { return static_cast<std::size_t>(kArrayCount) * (n + 1); }

// Array a of a layer of n + 1 points per array.
inline double* array(Layer* layer, int n, int a) {
    return reinterpret_cast<double*>(layer) + static_cast<std::size_t>(a) * (n + 1);
}
inline const double* array(const Layer* layer, int n, int a) {
    return reinterpret_cast<const double*>(layer) + static_cast<std::size_t>(a) * (n + 1);
}

}  // namespace h2::layer
