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
// enrg__dhd[i] and returned; a centrifugal impeller's is the enclosed disk's
// friction power below over its flow. A radial turbine rotor has none: 0 goes to
// enrg__dhd[i] only. 0 without a change for an element outside the case's
// arrays, and 0 for an element without mass flow.
double disk_friction_dhd(int i);

// Moment coefficient C_M = 2 M / (rho omega^2 r^5) of a smooth disk of radius r
// turning in a closed casing, both faces, at the disk Reynolds number
// omega r^2 / nu and the axial gap over the radius (Daily & Nece 1960,
// J. Basic Eng. 82: the largest of their four regimes). 0 for a Reynolds
// number or gap that is not positive.
double enclosed_disk_moment(double Re, double gap);

}  // extern "C"
