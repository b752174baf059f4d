// Heat exchanger elements (elem__stagType 8): no blades and no work; the flow
// loses total pressure by the element's loss coefficient and its total
// temperature moves towards a given temperature by the element's thermal
// effectiveness.
#pragma once

extern "C" {

// Solves heat exchanger element i of the current case at the middle
// streamline m = cyld__nr / 2 from element i-1's outlet there:
//   p2 = (1 - los__om[i][m]) p1
//   T2 = T1 + cool__Ocp[i] (cool__TOXL[i] - T1)
// The velocity is carried through (swirl behind an angular element turned into
// axial through-flow, axial and radial components exchanged behind a radial
// one), the outlet static state is taken at rest, element i-1's outlet total
// temperature is refreshed, and the mass flow is carried on with the leakage
// and bleed flows that return behind a blade row i-1. Other streamlines are
// left as they are.
//
// Returns 0. Returns -1 and changes nothing without a current case, a main
// fluid function or the case's arrays, when i is not in 1..cyld__ns or outside
// the arrays, or when m lies outside them.
// With a speed of sound of 0 flow__Mw2 is stored as 1e20 instead of infinity.
int heat_exchanger_elem(int i);
}
