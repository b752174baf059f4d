// Cooling air injected at the blade rows of a cooled turbine: up to five sites
// per row (inlet i, outlet o, tip t, hub h, through the rotor tip f) mix their
// coolant into the row's main flow at the middle streamline, the row's sums
// (coolant flows, work potential, enthalpy corrections) are stored for the
// solver and the reports, and the blade wall gets its heat balance. All work
// on the calling thread's current case.
#pragma once

extern "C" {

// Empties the coolant data of an uncooled row: when cool__tox[i] is 0.0, the
// 25 injection arrays (cool__iGoxl .. cool__fAoxl) and cool__Tw_oxl,
// cool__Tw_osn of element i become 0.0 and the result is 0. Otherwise, or for
// an element outside the case, nothing changes and the result is 1.
int clear_cooling(int i);

// Mixes the coolant of cooled stator row i (absolute frame) into its main
// flow and stores the row's results: cool__DGOXL1, cool__DGOXL2, cool__HOXL1,
// cool__HOXL2, cool__DHOXL, cool__DIOXL, cool__TOXL, elem__af, cool_b1_ratio
// (when a rotor follows), the wall results when the row has inlet or outlet
// coolant, and adds the coolant's work potential to cyld__sumHoxl. With IPP
// above 2 one dump line per call. Always 0; an element outside 1..cyld__ns,
// or a case without its arrays or either fluid function, is left unchanged.
int cool_stator_row(int i);

// The same for cooled rotor row i (relative frame), which also takes the
// previous element's outlet coolant, has the tip site f and the clearance
// correction cool__dDRZ.
int cool_rotor_row(int i);

// Composition value af of a gas of mass flow G after dG of air is added:
// with X = 1/(af 14.7) the ratio of the non-air to the air part,
// Ga = G/(1 + X), Xn = X Ga/(Ga + dG), the result is 1/(Xn 14.7). 0.0 (air)
// for af 0.0 and for a gas that is all air afterwards (G 0 with dG not 0); af
// itself when there is no gas at all (Ga + dG = 0).
double af_add_air(double G, double af, double dG);

}  // extern "C"
