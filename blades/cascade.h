// A blade section in a plane cascade of pitch t (the contour repeated one
// pitch away along y): throat and effective outlet angle, the overlap check
// of neighbouring blades, the stagger that gives a wanted outlet angle, and
// tables of that stagger over outlet angle and pitch-to-chord ratio.
//
// The stagger search accepts only contours whose points n-4, n-3, n-2 turn
// left; the clockwise contours built in this library end on their
// outlet-edge arc, turn right there and are refused (1e20). A contour it
// takes starts at the top of the outlet edge, runs clockwise along the
// suction side, round the inlet edge and back along a concave pressure side
// on which it ends, with its last point on the outlet edge below and left
// of the one before, so that the outlet-edge circle passes through its last
// two points and its first.
#pragma once

#include <cstdio>

#include "blades/atlas.h"
#include "blades/prof_shape.h"

namespace h2 {

inline constexpr double kNoStagger = 1e20;  // no stagger found

// Throat from the outlet-edge circle to the neighbour's suction side: writes
// iG, a, t and B2e (degrees) and returns iG; 0 and nothing changed for t = 0.
int cascade_throat(ProfShape* shape, double t);
// 1 when points k-2, k-1, k turn counter-clockwise, else 0.
int contour_turns_left(int k, const Point3* points);
// 1 when the blade crosses its neighbour one pitch above, 2 for t = 0, else 0.
int cascade_overlap(const ProfShape* shape, double t);

// State of the stagger refinement, handed to throat_residual.
struct ThroatSearch {
    ProfShape* shape;
    double t;
    double target;  // wanted throat t sin(B2)
};
// Wanted throat minus the throat at the given stagger; ctx is a ThroatSearch.
double throat_residual(double stagger, void* ctx);

// The stagger (degrees) whose effective outlet angle is B2 at pitch t, or
// 1e20; the shape is left at that stagger with its throat computed.
double stagger_for_angle(ProfShape* shape, double B2, double t, int refine, int check_overlap);

// The stagger over nB2 outlet angles and ntb pitch-to-chord ratios, written
// to standard output or the named file (mode "wt" when NULL), and stored as
// a new atlas entry when an atlas with room is given. A one-point axis takes
// its minimum. 0; -1 for counts below 1, a file that cannot be opened
// (before any search) or no memory.
int stagger_table(ProfShape* shape, int nB2, double B2min, double B2max, int ntb, double tbmin, double tbmax,
                  int refine, int check_overlap, const char* file, const char* mode, Atlas* atlas);

// Prints the shape's parameters (more of them at level 1 and 2), then runs
// the overlap check at the shape's pitch and reports an overlap or a zero
// pitch in red. Returns the overlap check's result.
int prof_print(ProfShape* shape, int level);

// A normalised copy of an n-point section contour for an atlas: flags 1
// places the points (least x at 0, outlet edge on y = 0), 2 turns the
// stagger to 0 (else only the geometry is computed), 4 divides by the chord.
// A fresh list (free() it); zero-filled when the contour has fewer than 4
// points; NULL for n < 1, no points or no memory.
Point3* atlas_prof_points(const Point3* pts, int n, int flags);

}  // namespace h2
