// The loss step that ends every solver iteration: it brings the loss data of
// every element up to date with the flow just solved and carries each
// element's outlet flow into the next inlet, so that the next task step sees
// both. All of it works on the calling thread's current case.
#pragma once

#include "halvorine2/case_block.h"

namespace h2 {

// Solver results the loss step can give besides 0.
inline constexpr int kLossUnknownElement = 3;  // a blade row of neither family
inline constexpr int kLossBadData = -1;        // a compressor row left without a loss
// The line the driver's corrupted-data text names for an unknown element.
inline constexpr int kLossUnknownElementLine = 672;

// The whole step, its parts in order: 0, or one of the results above (with
// its message, and the corrupted-data text for an unknown element). 0 and
// nothing done without a current case that can be solved.
int loss_step();

// The parts, for the step and its tests.
// Loss coefficients, wrappers and blockage of every element: 0, 3 or -1.
int loss_coefficients(bdLocals& b);
// Seal data and disk loads of an expanding path, then the cooling air.
void seals_and_cooling(bdLocals& b);
// Rotor tip clearance and leakage, its mixing, and the seal leakage mixing.
void tip_leakage(bdLocals& b);
// Leakage enthalpy losses of the stages.
void leakage_losses(bdLocals& b);
// Every element's outlet flow carried into the next inlet: radius, blade
// speed, swirl, velocity components and flow angles.
void carry_over(bdLocals& b);

}  // namespace h2
