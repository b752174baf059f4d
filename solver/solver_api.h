// Entry points of the flow-path solver that the case layer calls. All work on
// the calling thread's current case.
#pragma once

extern "C" {

// Solves the current case by its task (cyld__VART); returns the solver result
// (0 done, 1-5 failures, 13 unknown task, -1 bad data).
int bestXN(void);

// Recomputes the per-streamline fields of an element from its mean-line
// values, among them the inlet radii flow__r1 and blade speeds flow__u1. With
// flag 0 the element's own section type decides, with flag 1 the previous
// element's.
void span_flow(int element, int flag);

// Recomputes the spanwise field of an element with axial sections.
void span_flow_axial(int element);
}
