// Steps of the solver driver that other parts of the library provide: the
// module regeneration passes of design tasks and the loss step. The driver
// calls them through this table, which tests may point elsewhere.
#pragma once

namespace h2 {

struct SolverSteps {
    int (*turbine_regen)();             // whole turbine path; 0 on success
    int (*fan_regen)();                 // single-element fan module
    int (*axial_comp_regen)(int, int);  // axial compressor run (first, last element)
    int (*radial_comp_regen)(int);      // centrifugal modules (first)
    int (*loss_step)();                 // 0, 3 or -1
};

// The table the driver uses; starts at the library's own steps.
SolverSteps& solver_steps();
// The library's own steps.
SolverSteps default_solver_steps();

}  // namespace h2
