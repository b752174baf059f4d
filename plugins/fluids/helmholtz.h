// Real fluids from multiparameter equations of state explicit in the
// Helmholtz energy, a(T, rho)/(R T) = alpha0(tau, delta) + alphar(tau, delta)
// with tau = T_r/T and delta = rho/rho_r, and the states the fluid plug-in
// asks of them. The coefficients of each fluid come from a text file (read_fluid).
//
// Terms of the residual part (the general form of the reference equations):
//   power        n delta^d tau^t                     (l = 0)
//   exponential  n delta^d tau^t exp(-delta^l)       (l > 0)
//   Gaussian     n delta^d tau^t exp(-eta (delta - eps)^2 - beta (tau - gamma)^2)
//   non-analytic n Delta^b delta psi, the critical-region terms of the water
//                and carbon dioxide equations.
// Ideal part: ln delta + a1 + a2 tau + a_log ln tau + sum n tau^t
//             + sum n ln(1 - exp(-theta tau)).
//
// Enthalpy and entropy are shifted to the IIR reference (saturated liquid at
// 0 degC: h = 200 kJ/kg, s = 1 kJ/(kg K)) when 0 degC lies on the fluid's
// saturation line. SI units throughout (kg, m^3, J, K, Pa).
#pragma once

#include <cmath>
#include <string>
#include <vector>

namespace h2::helmholtz {

struct PowerTerm {
    double n, d, t, l;
};
struct GaussTerm {
    double n, d, t, eta, epsilon, beta, gamma;
};
struct NonAnalyticTerm {
    double n, a, b, beta, A, B, C, D;
};
struct Pair {
    double n, t;
};

// An ancillary saturation equation in theta = 1 - T/T_c, used for starting
// values only: kLinear X/X_c = 1 + sum n theta^t; kLog ln(X/X_c) = sum n theta^t;
// kLogTc ln(X/X_c) = T_c/T sum n theta^t.
struct Ancillary {
    enum Form { kLinear, kLog, kLogTc } form = kLog;
    std::vector<Pair> terms;
};

// A published viscosity correlation of the dilute-gas plus excess form:
//   eta0 = factor sqrt(T) / Omega(T*), ln Omega = sum a_i (ln T*)^i, T* = T/eps_k,
//   eta  = eta0 + sum n rho^d / T*^t   (uPa s; rho in kg/m^3).
struct Viscosity {
    bool present = false;
    double eps_k = 0.0, factor = 0.0;
    std::vector<double> collision;
    std::vector<PowerTerm> excess;  // n, d, t (l unused)
};

struct Fluid {
    std::string name;
    double M = 0.0;   // kg/mol
    double Ru = 0.0;  // J/(mol K)
    double R = 0.0;   // J/(kg K)
    double T_r = 0.0, rho_r = 0.0;
    double T_c = 0.0, p_c = 0.0, rho_c = 0.0;
    double T_min = 0.0, T_max = 0.0, p_max = 0.0;
    double rho_max = 0.0;  // upper end of every density search
    // Ideal part.
    double a1 = 0.0, a2 = 0.0, a_log = 0.0;
    std::vector<Pair> ideal_power, ideal_planck;
    // Residual part.
    std::vector<PowerTerm> power;
    std::vector<GaussTerm> gauss;
    std::vector<NonAnalyticTerm> nonanalytic;
    Ancillary p_sat, rho_liq, rho_vap;
    Viscosity viscosity;
    // Derived at set-up (finish): the IIR shift, where the two-phase region
    // ends (the saturation solver's last temperature and its pressure), the
    // critical enthalpy.
    double h_offset = 0.0, s_offset = 0.0;
    double T_sat_max = 0.0, p_sat_max = 0.0, p_sat_min = 0.0, h_crit = 0.0;
    // Starting values of the state solvers: single-phase states on a grid of
    // isobars (ln p) and temperatures, NaN where there is none.
    struct Node {
        double rho = NAN, h = NAN, s = NAN;
    };
    std::vector<double> grid_lnp, grid_T;
    std::vector<Node> grid;  // [isobar * grid_T.size() + temperature]
};

// Reads a fluid's file; false with a message naming the file and the line.
bool read_fluid(const std::string& path, Fluid& out, std::string& error);

// The derived constants; false when the equation cannot be evaluated.
bool finish(Fluid& f);

// Everything the plug-in reads at one (T, rho).
struct State {
    double T = 0.0, rho = 0.0, p = 0.0, h = 0.0, s = 0.0, cv = 0.0, cp = 0.0, w = 0.0;
    double dp_drho = 0.0, dp_dT = 0.0;  // (dp/drho)_T, (dp/dT)_rho
};
State state_Trho(const Fluid& f, double T, double rho);

enum class Branch { kAny, kLiquid, kVapour };

// Density at (p, T) on a branch; false when no stable root was found.
bool rho_pT(const Fluid& f, double p, double T, Branch branch, double& rho);

// The coexisting phases at T (Maxwell criterion) or at p.
bool saturation_T(const Fluid& f, double T, State& liq, State& vap);
bool saturation_p(const Fluid& f, double p, State& liq, State& vap);

// A point: one phase (x < 0, `one`) or two (0 <= x <= 1, `liq` and `vap` at
// saturation, `one` the mixture's T, rho, p, h, s, cp).
struct Point {
    double x = -1.0;
    State one, liq, vap;
    bool wet() const { return x >= 0.0; }
};
bool point_ph(const Fluid& f, double p, double h, Point& out);
bool point_ps(const Fluid& f, double p, double s, Point& out);
bool point_hs(const Fluid& f, double h, double s, Point& out);
bool point_rhoh(const Fluid& f, double rho, double h, Point& out);
bool point_pT(const Fluid& f, double p, double T, Point& out);

// Speed of sound of a point: the phase's own, or in the wet region the
// equilibrium speed a^2 = -v^2/(dv/dp)_s along the saturation line.
double sound_speed(const Point& pt);

// Dynamic viscosity (Pa s) at (T, rho); NaN without a correlation.
double viscosity(const Fluid& f, double T, double rho);

}  // namespace h2::helmholtz
