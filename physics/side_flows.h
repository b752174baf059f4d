// Side flows behind an element: a bleed or admission of given flow, an
// extraction to or injection from a plenum, and a transfer of flow from this
// element's tip to another element's tip.
#pragma once

extern "C" {
// Works out the side flow at the tip (last streamline) of solved element i
// from its mode elem__Qotb2[i], truncated towards zero:
//   0   a given bleed (elem__Gotb2 < 0, left alone) or admission (> 0), whose
//       increments of total enthalpy (elem__dIotb2) and total pressure
//       (elem__dPotb2, 0) the next element's inlet takes;
//  -1   a plenum at pressure elem__Potb2: extraction when the tip pressure is
//       above it (elem__Gotb2 < 0, increments left alone), injection of a
//       radial jet when it is below (elem__Gotb2 > 0, increments from the mix
//       of the jet into the tip flow);
//   j   a transfer to element j's tip when j's tip pressure is lower: element
//       i's elem__Gotb2 < 0, and element j becomes a mode-0 admission of the
//       same flow whose elem__Iotb2, elem__Potb2, elem__Sotb2 hold the total
//       enthalpy, total pressure and entropy of the mix at j's tip.
// The jet through the opening (area elem__Sotb2, velocity coefficient
// elem__Fiotb2) expands isentropically and is limited to the speed of sound
// of its source. Returns elem__Gotb2[i] as the routine leaves it.
//
// Nothing changes, and elem__Gotb2[i] comes back, for a transfer index
// outside the path (0..cyld__ns), or, in modes -1 and j, without a main fluid
// function. 0.0 without a case, its arrays, or with i outside 0..cyld__ns.
// A mix that cannot run leaves the receiving tip stream's own totals as its
// outcome (so a failed injection sets the increments from the tip's totals).
double side_flow_calc(int i);
}
