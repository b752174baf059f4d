// The radial design rules a kept search point must meet.
#pragma once

#include <string>

#include "halvorine2/case_block.h"

namespace h2::predesign {

// Checks every radial turbine wheel (exit tip radius over inlet radius, exit
// hub over tip) and every centrifugal impeller (W2 / W1t) of the solved path,
// found by the module records their elements carry. Empty when all pass, else
// one line naming the module, the rule and the value.
std::string radial_design_rule_broken(const bdLocals& b);

}  // namespace h2::predesign
