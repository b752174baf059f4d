// Coolant leaving a cooled blade row joins the main flow: the coolant, known by
// its mass flow and total temperature in the cooling fluid, and the main flow,
// known by its mass flow and total enthalpy in the main fluid, are turned into
// flow areas and mixed.
#pragma once

extern "C" {

// Coolant: mass flow Gc, velocity cc, total temperature Tc, total pressure pc
// (cooling fluid, cyld__caf, selector 1). Main flow: mass flow Gm, velocity
// cm, total enthalpy im, total pressure pm (main fluid, cyld__af, selector 0).
// px: the pressure of the coolant's isentropic drop. Velocities are axial,
// circumferential, radial.
//
// Outputs: the mixture's velocity cout, total enthalpy iout and total pressure
// ptout; the coolant's total enthalpy ic and entropy sc; the mixture's mass
// flow Gout, kinetic mixing loss dE, static enthalpy hout, static pressure
// pout and entropy sout (as mix_streams gives them, with the main flow as
// stream 1 and its area as the mixed section); the coolant's isentropic
// enthalpy drop dhc from its total state to px.
//
// The larger of the axial and radial components carries each stream's flow
// (the radial one on a tie). A stream whose carrying speed, or density, is 0
// gets no area: a coolant at rest joins with no flow, a main flow at rest
// leaves the coolant alone in the mix.
//
// Failure: the mix's failure value (above 1e19) reaches pout, with ic, sc and
// dhc written in any case. Without a case, either fluid function or any of the
// vectors and outputs, pout, ic, sc and dhc := 1e20 (those that exist) and
// nothing else is written.
void cool_mix(double Gc, const double* cc, double Tc, double pc, double Gm, const double* cm, double im,
              double pm, double px, double* cout, double* iout, double* ptout, double* ic, double* sc,
              double* Gout, double* dE, double* hout, double* pout, double* sout, double* dhc);
}
