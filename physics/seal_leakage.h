// Seal leakage of a turbine stage and the balance of the two cavities beside
// its rotor disk: cavity X between the diaphragm in front (the stator before
// the rotor) and the disk's front face, cavity Y between the disk's rear face
// and the next diaphragm. Each cavity is fed or drained by the diaphragm seal
// (loss model D of the diaphragm), the axial gap at the blade root and the
// balance holes through the disk; the cavity pressures lkgn__PX and lkgn__PY
// are those at which both cavities are in mass balance. All of it works on
// the calling thread's current case and keeps its state in the case block,
// lkg_elem included, which hands the rotor to the two residual functions.
#pragma once

#include <cstddef>
#include <type_traits>

#include "halvorine2/case_block.h"

extern "C" {

// Solves the cavity balance of rotor i (stage, 0-based, only names the stage
// in the one-line print-out): cavity pressures, seal, root-gap and hole flows,
// the core swirl profiles, the disk friction term lkgn__DHD and the axial
// force on the disk, elem__RAD[i] and lkgn__RAD[i]; prints by IPL. Returns 0.
// A stage without balance holes (clrn__Zr8 0, or hole circle or diameter
// below 1e-5) gets clrn__ORO rewritten and is solved in one pass.
// Refused with ERRCODE_OUTOFRANGE and result 1, the case unchanged, for i
// outside 1..cyld__ns, a rotor whose 11 swirl stations do not fit the station
// tables (i above 98), or a case whose arrays do not hold its path or that
// has no sections; with ERRCODE_CORRUPTED_DATA and result 1 without a main
// fluid function. Result 1 without a current case.
int calc_stage_leakage(int i, int stage);

// X mass defect lkgn__GDY[ps] - lkgn__GP[i] - lkgn__GRO[i] at cavity
// pressure px for the rotor i = lkg_elem: sets lkgn__PX[i] := px, calls the
// seal model of the diaphragm ps in front and recomputes the X-side flows.
// 0.0, nothing changed, when lkg_elem names no element 1..cyld__ns.
double leak_residual_x(double px);
// Y mass defect lkgn__GDYY[ps] + lkgn__GPY[i] - lkgn__GRO[i] at cavity
// pressure py: sets lkgn__PY[i] := py and recomputes the Y-side flows.
// The same guard as leak_residual_x.
double leak_residual_y(double py);

// Flow through the balance holes of rotor i from X to Y (PX >= PY) and from
// Y to X (PX < PY): lkgn__IR, lkgn__CRO, lkgn__MRO and lkgn__GRO (negative
// from Y to X). 0 done; 1, nothing changed, for i outside the path.
int hole_flow_xy(int i);
int hole_flow_yx(int i);

// Core swirl ratio along one row of stations: for j = start, start + step,
// ... while j < end (step +1) or j > end (step -1),
//   zd[j+step] = (zd[j] + beta d s^2) / (1 + 2 d (beta s^2 + 1/s)),
// s = rd[j+step]/r0, d = dr/r0. A station that no step reaches keeps its
// value; a step whose radius ratio is undefined (r0 or the station radius 0)
// or whose denominator vanishes carries zd[j] on. 0 done; 1, nothing written,
// when a station lies outside 0..10, step is not +1 or -1, or a row is NULL.
int swirl_march(int i, int start, int step, int end, double r0, double beta, double dr, double* zd,
                double* rd);

// Friction coefficient of the disk face of rotor i at radius r, turbulent:
// 0.0325 X^-0.2 with X = r wp r / lkgn__Re[i]; 0 where X is not above 0 or
// not finite (no radius, no viscosity, a disk turning backwards).
double disk_friction_cf(int i, double r);
// Swirl parameter pi wp r^3 ksi / q of rotor i, 1e6 (no through-flow) when
// |q| < 1e-6.
double swirl_parameter(int i, double r, double ksi, double q);
// Discharge coefficient of a root gap: the table at (x/500, gap) with gap
// capped at 0.004, a result above 1.0 taken as 0.99 and one below 0.05 as 0.05.
double root_gap_discharge(double x, double gap);
// Discharge coefficient of the balance holes at speed ratio x (peripheral
// speed of the hole circle over jet speed) and length ratio a/b; 0.14 when
// x > 6 or b < 0.001.
double hole_discharge(double x, double a, double b);
// Axial force on the disk, positive towards cavity Y: the mean pressure of
// each of the four annuli (seal to hole circle, hole circle to root, on
// either face) times its area.
double cavity_disk_load(double PX, double DPD, double DPB, double PY, double DPDY, double DPBY, double duX,
                        double ORO, double rX, double rY, double duY);
// Sets the flows of rotor i's stage below cyld__G 1e-5 in magnitude to 0 and
// prints the stage's cavity tables by IPL (2: flows and pressures; 3: also
// friction, swirl parameters and the station tables). Nothing for a rotor
// that calc_stage_leakage refuses.
void print_stage_leakage(int i);

}  // extern "C"

namespace h2 {

// The station tables RD1, RD2, ZD1, ZD2 hold 100 rows of 10 doubles, one row
// per element, while a rotor has 11 stations: its station 10 is the next
// row's first value, which the flow solver reads as the swirl at the root
// radius. Row i therefore spans the table's values 10 i .. 10 i + 10.
inline constexpr int kSwirlStations = 11;
inline constexpr int kSwirlRowStride = static_cast<int>(std::extent_v<decltype(bdLocals::RD1), 1>);
inline constexpr int kSwirlRows = static_cast<int>(std::extent_v<decltype(bdLocals::RD1), 0>);
// The last rotor whose stations lie inside the tables (98).
inline constexpr int kLastSwirlRotor = (kSwirlRows * kSwirlRowStride - kSwirlStations) / kSwirlRowStride;

// Station 0 of rotor i's row in a station table; i must be 0..kLastSwirlRotor.
inline double* swirl_row(double (&table)[kSwirlRows][kSwirlRowStride], int i) {
    return &table[0][0] + static_cast<std::ptrdiff_t>(kSwirlRowStride) * i;
}

// The limits a root-gap discharge coefficient read from its table is held to:
// above 1.0 it becomes 0.99, below 0.05 it becomes 0.05.
double clamp_root_gap_discharge(double m);

}  // namespace h2
