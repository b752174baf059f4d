// Internal side of the design-point search: the dimension total and the
// mapping of one LPtau point onto the searched variables of the table.
#pragma once

#include "halvorine2/case_block.h"

namespace h2::predesign {

// Coordinates the table's module types count (an unknown type counts none).
int dimension_total();
// Writes the searched variables of every module from the coordinates u (at
// most 40): 0, or 1 when the table would take more than 40.
int map_point(const double* u);

// The machine's axial-length and blade-mass limits (LengthLimit, MassLimit;
// 0.0 switches one off) hold for the solved path of b.
bool within_machine_limits(const bdLocals& b);
// A solved path stays in the search: an uncooled path needs a diagram
// efficiency in (0, 0.99] (a fluid without entropy takes cyld__effx for it),
// a cooled one a positive cyld__effD, and neither a cyld__uCo above 1.
bool passes_screening(bdLocals& b);

}  // namespace h2::predesign

extern "C" {
// Maps point i of the ndim-dimensional sequence onto the table (the
// generator is handed a copy of i): 0, or 1 as map_point.
int PD_set_point(int i, int ndim);
// The search itself, under the caller's floating-point setting.
int OptCylSearch(int first, int end, int reserved, const char* key);
}
