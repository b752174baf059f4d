// The library remembers the point count n of every Layer block it hands out,
// so that a host that passes a block back with another n is refused instead
// of reading past the block. A block the library did not make is used as
// given. Safe to call from several threads.
#pragma once

#include "halvorine2/profile_tools.h"

namespace h2::layer {

// Records a block just made for n points.
void remember(const Layer* layer, int n);

// Forgets a block; false when it was not known.
bool forget(const Layer* layer);

// True unless the block is known with another n.
bool size_matches(const Layer* layer, int n);

}  // namespace h2::layer
