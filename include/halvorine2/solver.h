/* The flow-path solver's exported search. */
#ifndef HALVORINE2_SOLVER_H
#define HALVORINE2_SOLVER_H

#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* Choke search of element i of the current case at its middle streamline:
 * returns the outlet velocity at which the element's outlet passes the most
 * flow, and leaves that flow (the choke flow) in the case. The outlet arrays
 * of element i then hold the triangle of that velocity. Returns -1.0, with an
 * error line, when the element's flow elem__G2[i] exceeds the choke flow, and
 * -1.0 with nothing written without a current case, its arrays or a main
 * fluid, or for i outside 0..cyld__ns. */
H2_API double findGmax(int i);

H2_EXTERN_C_END

#endif
