// The solver's completion of an element's outlet state and its hand-over to
// the next element. The direct march and the design regeneration passes both
// complete their elements through it, so the two never drift apart.
#pragma once

extern "C" {

// Completes element i's outlet state on every streamline and, for i below
// cyld__ns, carries the mass flows and the inlet state into element i + 1.
// y is the running code-0 value (dryness) of the previous stage: the caller
// owns it and decides how long it lives (one march pass, or a whole
// regeneration call).
void complete_elem_state(int i, double* y);

// Dryness defect of the separation search at the enthalpy x, from the target
// and the pressure the search left in the case.
double state_residual(double x);
}
