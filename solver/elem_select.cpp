// Selection of the element solver.
#include "solver/elem_select.h"

#include "solver/solver_conventions.h"
#include "solver/solver_internal.h"

namespace h2 {

bool solved_per_streamline(const bdLocals& b, int i) {
    return b.cyld_nr > 1 && b.cyld_force1D == 0 && b.elem_sectType[i] == kSectAxial;
}

ElemSolver elem_solver_of(const bdLocals& b, int i) {
    const double kind = b.elem_stagType[i];
    const bool per_streamline = solved_per_streamline(b, i);
    // The inlet has no element before it for a heat exchanger to take its state from.
    if (i == 0) return per_streamline ? elem_inlet_2d : elem_inlet_1d;
    if (kind == kKindHeatExchanger) return nullptr;
    if (kind == kKindBlade || kind == kKindDeswirler) return per_streamline ? elem_blade_2d : elem_blade_1d;
    return per_streamline ? elem_channel_2d : elem_channel_1d;
}

}  // namespace h2
