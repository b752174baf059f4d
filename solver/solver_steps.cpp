// The driver's table of outside steps: the module regeneration passes and the
// loss step.
#include "solver/solver_seams.h"

#include "solver/loss_step.h"

extern "C" {
// Module regeneration passes of the design subsystems.
int stgRN(void);
int sfgRN(void);
int scgRN(int first, int last);
int rcgRN(int start);
}

namespace h2 {

SolverSteps default_solver_steps() { return SolverSteps{&stgRN, &sfgRN, &scgRN, &rcgRN, &loss_step}; }

SolverSteps& solver_steps() {
    static thread_local SolverSteps steps = default_solver_steps();
    return steps;
}

}  // namespace h2
