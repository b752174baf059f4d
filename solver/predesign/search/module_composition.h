// Internal side of module composition and the design-point search.
#pragma once

#include "halvorine2/case_block.h"

namespace h2::predesign {

// Source path that the composition's and the search's out-of-range texts name.
inline constexpr const char* kCompositionSource = "solver/predesign/optcylX";

// PredC on master (which is current again on every return, with a failed
// module's err_text copied to it).
int compose_point(bdLocals* master, int restoreFlag);

}  // namespace h2::predesign

extern "C" {
// Runs the generator of record m's type on the current case; -1 for a type
// without a generator (or no record m), else the generator's code.
int PD_design_module(int m);
}
