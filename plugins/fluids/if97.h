// Water and steam to the IAPWS Industrial Formulation 1997 (IF97), in SI units:
// pressure Pa, temperature K, enthalpy J/kg, entropy J/(kg K), density kg/m^3.
//
// The basic equations of regions 1, 2, 3 and 5 give a State; the inverse
// functions start from the IF97 backward equations and finish with Newton's
// (one variable: Halley's) method on the basic equations, so that they agree
// with the basic equations to a few parts in 10^13 (a step whose remaining
// error is known to be that small is taken without a further evaluation). The wet region (region 4) mixes the
// two saturated phases, evaluated from the basic equations at the saturation temperature, by the dryness x.
// Every function reports a state outside the formulation's range by returning false (or a non-finite value
// where it returns a number).
#pragma once

namespace h2::if97 {

inline constexpr double kR = 461.526;            // J/(kg K)
inline constexpr double kTc = 647.096;           // K
inline constexpr double kPc = 22.064e6;          // Pa
inline constexpr double kRhoc = 322.0;           // kg/m^3
inline constexpr double kHc = 2087546.845;       // J/kg, the critical point to IF97
inline constexpr double kPtriple = 611.213;      // Pa, saturation pressure at 273.15 K
inline constexpr double kT13 = 623.15;           // K, regions 1 and 3 meet here
inline constexpr double kP13 = 16.5291642526e6;  // Pa, saturation pressure at 623.15 K

// One phase at a point, with the derivatives the speed of sound of a wet
// mixture and the critical enhancement of the conductivity need.
struct State {
    double T = 0, p = 0, v = 0, h = 0, s = 0, cp = 0, cv = 0, w = 0;
    double dvdp_T = 0;   // (dv/dp)_T
    double dvdT_p = 0;   // (dv/dT)_p
    double dcpdT_p = 0;  // (dcp/dT)_p; regions 1, 2 and 5 only
    int region = 0;
};

// A point that may be wet: region 4 with the dryness x and both phases;
// otherwise the one phase in `one` and x = -1.
struct Point {
    int region = 0;
    double x = -1.0;
    State one;       // the single phase, or the mixture's T, p, v, h, s
    State liq, vap;  // the saturated phases of a wet point
};

// ---- Basic equations --------------------------------------------------------
State region1(double p, double T);
State region2(double p, double T);
State region3(double rho, double T);
State region5(double p, double T);

// ---- Saturation line and boundaries ----------------------------------------
double p_sat(double T);      // 273.15 K to the critical temperature
double dp_sat_dT(double T);  // its derivative
double T_sat(double p);      // 611.213 Pa to the critical pressure
double p_b23(double T);
double T_b23(double p);

// ---- Backward equations alone (pressure Pa, h J/kg, s J/(kg K)) --------------
double T_ph_backward(int region, double p, double h);  // regions 1, 2, 3
double T_ps_backward(int region, double p, double s);
double v_ph_backward(double p, double h);              // region 3
double v_ps_backward(double p, double s);              // region 3
double p_hs_backward(int region, double h, double s);  // regions 1, 2, 3

// ---- Points and inverses; false when outside the range -------------------------
bool point_pT(double p, double T, State& out);  // single phase, range checked
bool point_ph(double p, double h, Point& out);
bool point_ps(double p, double s, Point& out);
bool point_hs(double h, double s, Point& out);
bool point_rhoh(double rho, double h, Point& out);
bool point_px(double p, double x, Point& out);     // wet, 0 <= x <= 1
bool saturated(double p, State& liq, State& vap);  // 611.213 Pa <= p < critical

// Equilibrium speed of sound of a wet point: a^2 = -v^2/(dv/dp)_s along the
// saturation line.
double wet_sound_speed(const Point& pt);

// ---- Transport properties of one phase ---------------------------------------------
double viscosity(double rho, double T);  // Pa s
double conductivity(const State& st);    // W/(m K)

}  // namespace h2::if97
