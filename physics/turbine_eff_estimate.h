// A quick estimate of a turbine expansion's efficiency from its inlet total
// state, outlet pressure and mass flow, for the integral results and the
// turbine generators of the preliminary design.
#pragma once

extern "C" {
// Efficiency (a fraction) of the expansion of mass flow G (kg/s) from total
// pressure p0 (Pa) and total enthalpy i0 (J/kg) to pressure p2 (Pa): the base
// efficiency over inlet volume flow and pressure ratio, scaled by the outlet
// pressure correction, less the moisture loss of a wet expansion and the
// outlet loss. 0.95 when the fluid gives the inlet entropy 0.0 (a liquid).
// 0.5 when the estimate falls outside 0.1..0.99, and also when it cannot be
// formed: no current case or fluid function, a zero inlet density, a zero
// outlet pressure or no isentropic drop (p0 = p2). Writes wet_target_s.
double turbine_eff_estimate(double G, double p0, double i0, double p2);

// wet_target_s minus the entropy of the saturated vapour (code 11) at
// pressure p: zero where the isentrope of wet_target_s enters the wet region.
// 0.0 without a current case or fluid function.
double sat_residual(double p);
}
