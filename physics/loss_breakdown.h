// Loss estimates made beside the flow solution: the breakdown of a turbine
// stage's efficiency into its losses, and the disk friction loss of an
// element. Both work on the calling thread's current case.
#pragma once

extern "C" {

// Breaks the efficiency of the turbine stage formed by nozzle row s and the
// rotor behind it into an empirical base efficiency and its losses (disk
// friction with partial admission, admission segment ends, diaphragm
// leakage, wetness, the bld__ZPR loss, radial clearance, the clrn__DB2 table
// loss), stored at s in the GElos__ fields as per cent of the available
// energy and as enthalpy losses. elem__Gdu[s] is the same afterwards, whatever
// the diaphragm leakage model wrote there. Returns 0 when the breakdown was
// made; 1, with the case unchanged, when s is not a turbine nozzle row
// followed by a rotor, or the case has no arrays or main fluid.
int stage_loss_breakdown(int s);

// Disk friction enthalpy loss of element i, stored in GElos__DHD[i] and
// enrg__dhd[i] and returned. A radial turbine rotor has none: 0 goes to
// enrg__dhd[i] only. 0 without a change for an element outside the case's
// arrays, and 0 for an element without mass flow.
double disk_friction_dhd(int i);

}  // extern "C"
