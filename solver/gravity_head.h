// Specific work of gravity on the flow, J/kg: across an element and between
// two elements. The height is the streamline radius for a machine of
// disposition 0 and the axial coordinate for dispositions 1 and 2.
#pragma once

extern "C" {

// Gravity head across element i at streamline j; 0 unless the element has
// axial sections.
double grav_head_out(int i, int j);

// Gravity head from element i - 1's outlet to element i's inlet at streamline
// j; for dispositions 1 and 2 the difference is taken between the outlets of
// elements i - 2 and i - 1 (the element generators rely on it).
double grav_head_in(int i, int j);
}
