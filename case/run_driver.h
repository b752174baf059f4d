// Internal side of the run driver.
#pragma once

extern "C" {
// Runs the current case: source-data stage, solve, results stage. Not exported.
int run_case(void);
}

namespace h2 {
using SolverEntry = int (*)(void);
// The solver that run_case calls (bestXN unless replaced); returns the previous one.
SolverEntry set_solver_entry(SolverEntry entry);
}  // namespace h2
