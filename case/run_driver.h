// Internal side of the run driver.
#pragma once

#include <cstdio>

#include "halvorine2/case_block.h"

extern "C" {
// Runs the current case: source-data stage, solve, results stage. Not exported.
int run_case(void);
}

namespace h2 {
using SolverEntry = int (*)(void);
// The solver that run_case calls (bestXN unless replaced); returns the previous one.
SolverEntry set_solver_entry(SolverEntry entry);
// A report of the case to the console unless outDst is 1, and to the dump
// stream when it is open.
void report_to_destinations(const bdLocals* b, void (*report)(std::FILE*));
// The run's rule line of 131 '=' in the banner colour, to the console and,
// when open, to the dump stream.
void print_run_rule(const bdLocals* b);
}  // namespace h2
