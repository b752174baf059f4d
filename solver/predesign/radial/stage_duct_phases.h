// Phases that the unbladed and return-channel elements of a centrifugal
// stage share (U-bend, deswirler, both L-bends): the inlet taken over from
// the element before, and the stage efficiency carried past the element.
#pragma once

#include "halvorine2/case_block.h"

namespace h2::predesign {

// Element i's inlet from the outlet of element i - 1 at streamline m: the
// flows, the total state lifted by the gravity head into the element
// (elem__i0 and the relative total enthalpy become the lifted value), the
// entropy and density, and the velocities c1s, c1z, c1r, c1u, c1, w1u, w1.
void take_stage_inlet(bdLocals& b, int i, int m);

// Element i's inlet static state from its total enthalpy and velocity, on its
// inlet entropy (enthalpy, pressure, speed of sound), and its inlet flow angle
// from the element before. False, with only the enthalpy written, when no
// static enthalpy is left (zero, negative or not a number).
bool take_inlet_static_state(bdLocals& b, int i, int m);

// The stage's work on element i (that of the impeller imp) and the stage
// efficiency so far, lowered by the element's loss enrg__dhb over that work.
// Before the impeller has any work (a bend ahead of its first evaluation) the
// efficiency is carried over unchanged instead of dividing by zero.
void book_stage_efficiency(bdLocals& b, int i, int m, int imp);

}  // namespace h2::predesign
