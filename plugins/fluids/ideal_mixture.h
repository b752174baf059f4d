// Mixtures of ideal gases with temperature-dependent heat capacities, from
// NASA 7-coefficient polynomials: the species table and the property codes
// the combustion-gas (flxg, flxk, flxm) and component-mixture (flxv)
// plug-ins answer alike.
//
// Species data: GRI-Mech 3.0 (N2, O2, Ar, CO2, H2O, H2, CH4) and the NASA
// Glenn/Burcat tables (He), 200 K to 3500 K. The low range serves below
// 1000 K, the high range from 1000 K with its a6, a7 shifted so that h and s
// are continuous there; below 200 K cp keeps its 200 K value, and the
// enthalpy is absolute: h(0 K) = 0 through that constant-cp extension. The
// entropy is the third-law entropy with the ideal mixing term -sum x ln x,
// p0 = 1e5 Pa. Above 3500 K the data end: no answer.
//
// Atomic weights C 12.011, H 1.008, N 14.007, O 15.999, Ar 39.948,
// He 4.0026; R_u = 8.314462618 J/(mol K). Transport: Sutherland's law for air
// and Prandtl number 0.71 with the mixture's density and cp.
#pragma once

namespace h2::mixture {

enum Species { N2, O2, AR, CO2, H2O, HE, H2, CH4, kSpecies };

// The names component files use, in the order of Species.
extern const char* const kNames[kSpecies];

// A mixture: its gas constant and the mole-weighted polynomials of both
// ranges, the high one shifted for continuity, h shifted to 0 at 0 K and the
// mixing entropy folded into a7.
struct Mixture {
    double R = 0.0;
    double lo[7] = {};
    double hi[7] = {};
};

// The mixture of the given mole amounts (any scale; zeros leave a species out).
Mixture make(const double (&moles)[kSpecies]);

// The answer to a property code of an ideal-gas plug-in at (a, b), or 1e20
// where the state lies outside the data: (p, i) codes 1 to 5, 24, 25, 31,
// 32; (i, s) 8; (p, s) 9; (p, T) 30; (rho, i) 82.
double answer(int code, double a, double b, const Mixture& m);

// Isobaric heat capacity (J/(kg K)) and enthalpy (J/kg) at T.
double cp(const Mixture& m, double T);
double enthalpy(const Mixture& m, double T);

}  // namespace h2::mixture
