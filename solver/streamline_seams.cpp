// Placeholders of the per-streamline unbladed and bladed element solvers. Mean-line cases do not
// need them; a per-streamline case is refused by the driver before it reaches
// them.
#include <limits>

#include "halvorine2/output.h"
#include "halvorine2/threading.h"
#include "solver/solver_internal.h"

namespace {

constexpr double kNoSolution = std::numeric_limits<double>::quiet_NaN();

}  // namespace

extern "C" {

double elem_channel_2d(int, double) {
    put_err("elem_channel_2d: per-streamline solves are not available\n");
    return kNoSolution;
}
}
