// The library's climbers: a conjugate-gradient search over many variables and
// two one-dimensional searches. Each seeks the largest value of the function
// it is handed; the solver's objectives return the negative of a residual, so
// climbing drives the residual towards zero.
#pragma once

#include <limits>

namespace h2 {

// An objective of the conjugate-gradient search. It must read the point from
// its argument: it is called both on the caller's array and on the search's
// own gradient points. It must not start another cg_maximize on its thread.
using Objective = double (*)(double* x);
// A function of one abscissa for the line searches.
using LineFunc = double (*)(double t);

// What cg_maximize returns when it cannot run (no search block on the thread,
// or n outside 1..kSearchMaxVars): not a number, which the solver's accuracy
// test treats as a failed step instead of mistaking it for a residual.
inline constexpr double kSearchFailed = std::numeric_limits<double>::quiet_NaN();

// Conjugate-gradient (Fletcher-Reeves) climb from x, which holds the final
// point afterwards; returns the objective there. The arguments are the case
// settings of the same names: IM iteration limit (below 1: none), IP print
// level, FRis line-search kind (1 line_max, else golden_max), acc_E line-search
// tolerance, acc_EE stop tolerance, acc_D gradient step, acc_MU0 and acc_D0
// start abscissa and first step of the line search. Works through the calling
// thread's frLocals, which describes the run afterwards (I, NF, FH).
double cg_maximize(int n, int IM, int IP, int FRis, double acc_E, double acc_EE, double acc_D, double acc_MU0,
                   double acc_D0, Objective objective, double* x);

// Step doubling from x0 with first step h, then successive parabolas until the
// vertex moves less than tol; the abscissa of the largest value found.
double line_max(LineFunc f, double x0, double h, double tol);

// Golden-section search. fixed = 0: first a bracket is expanded from a with
// first step h, the steps growing by factor; fixed != 0: the interval from a
// to a + h is searched as it is (factor unused). Returns the middle of the
// last interval.
double golden_max(LineFunc f, int fixed, double a, double h, double tol, double factor);

// Maximum of f over [a, b] by Brent's method: parabolic steps through the
// three best points, golden-section steps where a parabola does not help. The
// abscissa is found to tol plus sqrt(machine epsilon) of its size; a maximum
// at an end of the interval is that end. For smooth functions far fewer
// evaluations than a golden-section search to the same tolerance.
double brent_max(LineFunc f, double a, double b, double tol);

// The objective on the current search line of this thread's cg_maximize:
// writes xt + t * dir into the caller's point and evaluates it.
double line_value(double t);

// Progress of the current search: counters, then the point.
void fr_report();
// One formatted piece of progress, to the console unless the block's outDst is
// 1, and to its dump stream when there is one.
void fr_print(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace h2
