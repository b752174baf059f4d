// State the solver keeps beside the case during one solve.
#pragma once

#include <vector>

namespace h2 {

// The unknowns of the inverse tasks, NS + 2 values: element i's velocity is
// exp(x[i]) * wb[i]. Owned by the solving thread; mirrored into the case's
// solve_vector as far as it reaches.
std::vector<double>& solver_unknowns();

}  // namespace h2
