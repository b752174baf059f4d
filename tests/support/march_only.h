// Runs the solver without its loss step for the lifetime of the guard: the
// element solvers and their completion alone, so that a loss-free case stays
// loss-free (the loss step would add the stage's empirical disk friction).
#pragma once

#include "solver/solver_seams.h"

namespace h2::test {

struct MarchOnly {
    MarchOnly() {
        h2::solver_steps().loss_step = [] { return 0; };
    }
    ~MarchOnly() { h2::solver_steps() = h2::default_solver_steps(); }
    MarchOnly(const MarchOnly&) = delete;
    MarchOnly& operator=(const MarchOnly&) = delete;
};

}  // namespace h2::test
