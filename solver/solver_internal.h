// Internal entry points of the flow-path solver: the element solvers, the
// choke and outlet-state searches, the march and its completion, the
// streamline pass and the convergence test. None is exported; all work on the
// calling thread's current case.
#pragma once

#include <vector>

#include "halvorine2/case_block.h"
#include "solver/outlet_state.h"

extern "C" {

// ---- Element solvers: solver(i, w) writes element i's outlet state for the
// trial speed w and returns minus the square of its relative flow defect. ----

// Mean-line inlet (element 0).
double elem_inlet_1d(int i, double w);
// Mean-line element without blades.
double elem_channel_1d(int i, double w);
// Mean-line blade row or deswirler; -1.0 for an impossible trial speed.
double elem_blade_1d(int i, double w);
// The choke flow of a marked row; caps the path's flows at it. 0.0 when off.
double row_choke_limit(int i);
// Fits the inlet total pressure to the case's flow at the normal speed cn.
void inlet_p0_from_flow(double cn);

// Per-streamline forms of the three element solvers.
double elem_inlet_2d(int i, double w);
double elem_channel_2d(int i, double w);
double elem_blade_2d(int i, double w);

// ---- Streamlines ----
// Fits the streamline curves of pass sl of the given kind through the element
// outlets and updates the outlet slope angles and curvatures; print non-zero
// reports failures. 0 done; 1 a curve could not be built.
int build_streamlines(int sl, int kind, int print);
// Relaxes the spanwise gradients from the slopes (passes 2 on) and, with print
// set, prints the streamline table. Always 0.
int relax_streamlines(int sl, int kind, int print);

// ---- Choke search and outlet state for a given flow ----
// Normal outlet speed of element cur for the trial speed held in flow__w2.
double outlet_triangle(int i);
// Flow through element lkg_elem's outlet at the trial speed w (choke callback).
double choke_flow(double w);
// Flow defect of element lkg_elem at the outlet speed w, mean line.
double chavel_residual(double w);
// Negated squared defect of element lkg_elem at w, per streamline.
double chavel2d_residual(double w);
// Mean-line outlet state of element i for its flow elem__G2[i]: 0, 1 when choked.
int ChaVel(int i);
// Per-streamline outlet state of element i: 0, 1 when choked.
int ChaVel2D(int i);

// ---- Direct march and outlet completion ----
// One march through the path for the given flow; the sum of the defects, 1e6
// when an element cannot pass its flow.
double solve_given_mfr(void);
// Objective of the inverse tasks at the point x (NS + 1 values, NS + 2 for the
// gauging-angle tasks): one pass through the path at the speeds exp(x[i]) *
// wb[i]; minus the sum of the element defects and the boundary penalties,
// NaN as soon as an element's defect is NaN.
double flow_residual(double* x);

// ---- Convergence ----
// 1 converged, 0 go on, 2 not converged, -1 non-finite accuracy.
int check_convergence(int it, int sl, double* p_ref, double* g_ref);
// 0 go on, 3 a non-finite result, 4 abort requested.
int report_iteration(int verdict);
}

namespace h2 {
// Reads the case's grouping string: the number of groups (their element
// indices in groups, ascending), 0 without any "(", -1 a group left open, -2 a
// ")" without an open group, -3 a "(" inside an open group. count receives the
// number of "(", ")" and "o" met up to the end or the error.
int parse_streamline_groups(std::vector<std::vector<int>>* groups, int* count);

// Span mean of an outlet field at the last element: the trapezoid mean over
// the streamlines, or the middle streamline's value without stream tubes
// ((NI - 1) * ZAG zero).
double outlet_span_mean(const bdLocals& b, const double* const* field);
// The same mean of one element's row of values over the streamlines.
double row_span_mean(const bdLocals& b, const double* row);

// Rise of the mixed-out total enthalpy of turbine rotor i when its tip
// leakage elem__Gr, which passed the row without work at the tip's inlet total
// enthalpy, rejoins the blade flow elem__G1 whose outlet total enthalpy has
// the span mean h0_blade: (G1 + Gr) dI = Gr (h0 leak - h0 blade).
double tip_leak_rise(const bdLocals& b, int i, double h0_blade);

// Work per kilogram the shaft of compressor row i spends beside its Euler
// work Lu: the tip-leakage share enrg__zrz of |Lu| and the disk friction
// enrg__dhd, as the shaft power charges them. In an adiabatic machine it
// heats the gas the row passes.
double compressor_parasitic_work(const bdLocals& b, int i, double Lu);
}  // namespace h2
