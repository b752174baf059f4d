// Checks at the two ends of a solve.
#pragma once

#include <string>

#include "halvorine2/case_block.h"

namespace h2 {

// What makes the case's input unsolvable (a mass flow, a diameter or a height
// that is not positive, a blade row without blades), naming the element and
// the field; empty when the solve may start.
std::string unsolvable_input(const bdLocals& b);

// The first value of the solved flow state or of the geometry the solve used
// that is no finite number, with its field and element; empty when there is none.
std::string non_finite_result(bdLocals& b);

}  // namespace h2
