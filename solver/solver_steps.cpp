// The driver's table of outside steps: the module regeneration passes and the
// loss step.
#include "solver/solver_seams.h"

extern "C" {
// Module regeneration passes of the design subsystems.
int stgRN(void);
int sfgRN(void);
int scgRN(int first, int last);
int rcgRN(int start);
}

namespace h2 {

// The loss step stands in until the loss re-evaluation lands: losses stay as
// the case holds them.
int loss_step_placeholder() { return 0; }

SolverSteps default_solver_steps() {
    return SolverSteps{&stgRN, &sfgRN, &scgRN, &rcgRN, &loss_step_placeholder};
}

SolverSteps& solver_steps() {
    static thread_local SolverSteps steps = default_solver_steps();
    return steps;
}

}  // namespace h2
