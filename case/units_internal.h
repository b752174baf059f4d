// The conversion formulas of one unit record, shared by the exported wrappers
// and by library code that already holds a record.
#pragma once

#include "halvorine2/case_block.h"

namespace h2 {

// view = data * factor + offset
double unitsToViewValue(double value, const UnitGroup& unit);
// data = (view - offset) / factor; 0.0 for a record whose factor is 0, which a
// host or plug-in writing the shared block directly (or a block that was never
// initialised) can leave behind.
double unitsToDataValue(double value, const UnitGroup& unit);

}  // namespace h2
