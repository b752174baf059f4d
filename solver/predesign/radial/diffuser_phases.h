// Phases that the vaneless and the vaned diffuser of a centrifugal stage share:
// the inlet transfer from the impeller, the outlet density iteration, the
// outlet state and the stage efficiency and reaction so far.
#pragma once

#include "halvorine2/case_block.h"

namespace h2::predesign {

// Takes element i's inlet over from the outlet of element i - 1 (flows, total
// state with the gravity head, entropy, velocities). The vaneless diffuser
// also takes the outlet density over; the vaned one sets its relative total
// enthalpy after the gravity head (it recomputes its inlet density).
enum class DiffuserKind { Vaneless, Vaned };
void diffuser_inlet_transfer(bdLocals& b, int i, int m, DiffuserKind kind);

// The outlet density iteration of a diffuser of outlet diameter bld__d2[i] and
// width bld__l2[i]: each pass sizes the meridional outlet velocity by
// continuity with the density of the pass before, takes the swirl
// (vaneless: angular momentum kept; vaned: the outlet flow angle a2), and steps
// to the outlet pressure on the inlet isentrope shifted by the loss
// (1 - phi^2) c1^2 / 2. The vaned diffuser's first pass uses the loss its
// wrapper left. Returns false when the density does not settle within the
// passes allowed.
bool diffuser_outlet_iteration(bdLocals& b, int i, int m, DiffuserKind kind, double a2);

// Outlet entropy, total pressure (a fluid without entropy takes the loss as a
// total-pressure drop) and speed of sound.
void diffuser_outlet_state(bdLocals& b, int i, int m);

// The stage efficiency so far, 1 - (leakage + impeller loss + disk friction +
// diffuser loss) / Euler work, and the reaction (static enthalpy rise in the
// impeller over that of impeller and diffuser), written on the diffuser and on
// the impeller before it.
void stage_efficiency_and_reaction(bdLocals& b, int i, int m);

}  // namespace h2::predesign
