// Heat transfer of a cooled turbine blade for the wall heat balance of the
// cooling-air injection: the gas-side coefficient from two blade Nusselt
// correlations, a cascade geometry factor and a fin formula; the coolant-side
// coefficient from the cooling fluid's properties; the one-dimensional wall
// balance. Angles are in degrees, lengths in m, speeds in m/s, temperatures in
// K, conductivities in W/(m K), coefficients in W/(m^2 K).
//
// A degenerate argument (a zero chord, pitch, speed, conductivity or
// coefficient) never yields an infinite or undefined value: the term it
// would divide is left out, as each function says.
#pragma once

extern "C" {

// Geometry factor of a cascade with inlet angle b1, exit angle b2, pitch t and
// chord b:
//   K = sqrt(2 cos(beta) / (sin(s) (t/b) cos((b1 - b2)/2)^2)) sin(b1)/sin(b2),
// beta the stagger from the fit, s = min(b1 + b2, 90). 0 when a divisor of it
// is 0 (zero chord, pitch or exit angle) or the root has no real value (a
// stagger past 90 degrees from angles outside the fit's range).
double cascade_k_factor(double b1, double b2, double t, double b);

// Nusselt number of the blade surface, first correlation (with the incidence
// b1g - b1):
//   Nu = 0.206 Re^0.66 K^-0.58 (0.97 + 0.78 x^2),  x = (b1g - b1)/b1g - 0.2,
// times 1.35 for mode 1 (stator) or the rotation factor
// 1 + 0.8 |u l / c / D|^0.42 for mode 2 (rotor; either turning direction).
// 0 when K is 0; the incidence term is 0 for b1g = 0 and the rotation term 0
// for c = 0 or D = 0.
double blade_nusselt_1(int mode, double Re, double b1g, double b1, double b2, double t, double b, double c,
                       double l, double D, double u);

// Second correlation: Nu = 0.032 Re^0.8 K^-0.54, times 1.35 for mode 1 or
// 1 + 1.1 |u l / c / D|^0.59 for mode 2; the same guards.
double blade_nusselt_2(int mode, double Re, double b1g, double b2, double t, double b, double c, double l,
                       double D, double u);

// Effective gas-side coefficient of the blade section: a fin zone of 0.3 of
// the wetted perimeter conducts along L (l for mode 2, l/2 otherwise) with the
// first correlation's coefficient, the rest of the perimeter takes the second
// one. 0 for a section without wetted perimeter (zero pitch or chord).
double gas_side_htc(int mode, double Re, double b1g, double b1, double b2, double t, double b, double c,
                    double l, double D, double u, double lambda);

// Coolant-side coefficient of a channel of hydraulic length d for coolant at
// speed C, total temperature T and total pressure P, with conductivity lambda:
// Nu = 0.018 Re^0.8 1.7, Re = C d / nu (nu from the cooling fluid of the
// current case). 0 without a current case or cooling fluid, or for d = 0; Re
// counts as 0 when the fluid gives no viscosity.
double coolant_htc(double C, double T, double P, double d, double lambda);

// Heat flow through a wall of thickness delta (metal conductivity 20 W/(m K))
// and area F between coolant at Tc and gas at Tg:
//   q = (Tg - Tc) / (1/alpha_g + delta/20 + 1/alpha_c),  Q = F q (returned),
//   Tw_c = Tc + q/alpha_c,  Tw_g = Tg - q/alpha_g,  eff = (Tg - Tw_g)/(Tg - Tc).
// A face with a zero coefficient insulates the wall: no heat flows and the
// wall takes the other fluid's temperature (alpha_c = 0: Tg and eff 0;
// otherwise alpha_g = 0: Tc and eff 1). eff is 0 when Tg equals Tc. The out
// pointers may be null.
double wall_heat_balance(double Tc, double delta, double alpha_c, double Tg, double F, double alpha_g,
                         double* Tw_c, double* Tw_g, double* eff);

}  // extern "C"
