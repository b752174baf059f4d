// Placeholders of the streamline construction and of the per-streamline
// element solvers. Mean-line cases need neither; a per-streamline case is
// refused by the driver before it reaches them.
#include <limits>

#include "halvorine2/output.h"
#include "halvorine2/threading.h"
#include "solver/solver_internal.h"

namespace {

bool mean_line_case() {
    const bdLocals* b = get_bdLocals();
    return b == nullptr || b->cyld_nr < 2 || b->cyld_force1D != 0;
}

constexpr double kNoSolution = std::numeric_limits<double>::quiet_NaN();

}  // namespace

extern "C" {

void build_streamlines(int, int, int) {
    if (!mean_line_case()) put_err("build_streamlines: streamline construction is not available\n");
}

void relax_streamlines(int, int, int) {
    if (!mean_line_case()) put_err("relax_streamlines: streamline construction is not available\n");
}

double elem_inlet_2d(int, double) {
    put_err("elem_inlet_2d: per-streamline solves are not available\n");
    return kNoSolution;
}

double elem_channel_2d(int, double) {
    put_err("elem_channel_2d: per-streamline solves are not available\n");
    return kNoSolution;
}

double elem_blade_2d(int, double) {
    put_err("elem_blade_2d: per-streamline solves are not available\n");
    return kNoSolution;
}
}
