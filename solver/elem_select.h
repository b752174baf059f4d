// Which element solver runs element i: the inlet, the element without blades
// or the bladed element, each in its mean-line or per-streamline form.
#pragma once

#include "halvorine2/case_block.h"

namespace h2 {

// solver(i, w): writes element i's outlet state for the trial speed w and
// returns minus the square of its relative flow defect.
using ElemSolver = double (*)(int i, double w);

// True when element i is solved on every streamline: several streamlines, no
// forced one-dimensional solve, and axial sections.
bool solved_per_streamline(const bdLocals& b, int i);

// The solver of element i; nullptr for a heat exchanger past the inlet, which
// takes none. Element 0 always takes the inlet solver.
ElemSolver elem_solver_of(const bdLocals& b, int i);

}  // namespace h2
