// Mixing of two streams that meet in one flow section: the side flows of the
// solver (rotor tip leakage, bleed and transfer jets, coolant) join the main
// flow here. Mass and energy are conserved, entropy and swirl are
// mass-averaged, and the axial velocity of the mixture is the one whose static
// state passes the mixed mass flow through the outlet area.
#pragma once

#include <cstddef>
#include <type_traits>

#include "case/thread_blocks.h"

namespace h2 {

// A property of the fluid function above this is a failure value; the mix
// passes it on in its static pressure and callers test against the same limit.
inline constexpr double kPropertyFailureLimit = 1e19;
// What the mix writes into its static pressure when it cannot run at all (no
// case, no fluid function, no stateLocals block, a missing vector).
inline constexpr double kMixFailure = 1e20;

// The thread's stateLocals block: the mixture handed from mix_streams to its
// search objective mix_residual, since the line search passes the objective
// nothing but the trial value (the root search reads it the same way). Velocities are axial, circumferential, radial.
struct stateLocals {
    double af;  // fluid constant handed to the fluid function (cyld__af)
    double c;   // speed of the last trial velocity
    double cz;  // axial component of the trial velocity, the search variable
    double cu;  // circumferential component of the mixture
    double cr;  // radial component of the mixture
    double i;   // total enthalpy of the mixture
    double s;   // entropy of the mixture
    double G;   // mass flow of the mixture
    double F;   // outlet flow area
    double p;   // static pressure of the last trial
};
// Ten doubles: 80 bytes on the 32-bit layout as on the 64-bit one.
static_assert(sizeof(stateLocals) <= static_cast<std::size_t>(kStateLocalsSize),
              "stateLocals must fit the block that state_alloc makes");
static_assert(sizeof(stateLocals) == 10 * sizeof(double));
static_assert(std::is_standard_layout_v<stateLocals> && std::is_trivially_copyable_v<stateLocals>);

}  // namespace h2

extern "C" {

// Mixes stream 1 (area F1, velocity c1, total enthalpy i1, total pressure p1)
// with stream 2 (F2, c2, i2, p2) into the section of area Fout. Outputs: the
// mixture's velocity cout, total enthalpy iout, total pressure ptout, mass
// flow Gout, kinetic mixing loss per kilogram dE, static enthalpy hout, static
// pressure pout and entropy sout. All properties come from the main fluid
// (selector 0, cyld__af).
//
// The axial component is sought over 0.5..2.0 c1z to 0.001 c1z. Where the
// outlet's mass-flow defect changes sign between those ends it is the
// defect's root (a bracketing root search, usually four trials), and the
// static state is that of the returned axial velocity. Otherwise (no root in
// the interval, a choked outlet, c1z not positive) it is the point of least
// defect by a golden-section search of mix_residual, returned as the middle
// of its last interval, and the static state is that of its last trial,
// within the tolerance of it.
//
// Failure: when a stream's static pressure is a failure value (above 1e19 or
// not a number) it goes to pout and nothing else is written. Without a case,
// a main fluid function, the thread's stateLocals block or any of the vectors
// and outputs, pout := 1e20 (when pout exists) and nothing else is written.
// No flow at all (G1 + G2 = 0): the averages take stream 1's values and dE is 0.
void mix_streams(double F1, const double* c1, double i1, double p1, double F2, const double* c2, double i2,
                 double p2, double Fout, double* cout, double* iout, double* ptout, double* Gout, double* dE,
                 double* hout, double* pout, double* sout);

// Search objective of the mix: -|G - rho(x) x F| for the trial axial velocity
// x, from the mixture held in the thread's stateLocals block, whose c, cz and
// p it updates. -1e20 (the worst value for the climbing search) without a
// block, a case or a main fluid function.
double mix_residual(double x);
}
