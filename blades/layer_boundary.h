// Boundary layer, profile loss and heat transfer on a solved blade layer.
//
// The contour is split at the stagnation point (the sign change of the
// surface velocity, array 8) into two sides counted from that point; an
// integral momentum-thickness march runs along each side (laminar,
// transition, turbulent) and gives the profile loss. The same split serves
// the heat-transfer coefficients along the surface.
#pragma once

#include "halvorine2/profile_tools.h"

namespace h2 {

// The split of array 8 of a layer of n points (nTail closing points):
// kLast is the last node before the sign change, kFirst the first after it,
// nSide1 and nSide2 the node counts of the two sides. Returns the arc
// length of the stagnation point (linear zero of the velocity); 0 with both
// sides empty when the layer has fewer than two nodes to search. NULL
// pointers are skipped.
double stagnation_split(int n, int nTail, const Layer* layer, int* kLast, int* kFirst, int* nSide1,
                        int* nSide2);

// Fills arrays 16-19 with the side coordinates (distance from the
// stagnation point) and velocities (|array 8| * Vs) of both sides.
void side_arrays(int n, Layer* layer, double sStag, int kLast, int kFirst, int nSide1, int nSide2, double Vs);

// w^p * |1 - w^2 / (2 i0)|^q.
double compress_weight(double w, double i0, double p, double q);

// Momentum-thickness march along one side of nPts points (x increasing from
// the stagnation point): writes theta and form for points 1..nPts-1 and the
// transition nodes (-1 while none); returns theta at the last point, 0 for
// an empty side. Mode 1 finds the transition, 3 is turbulent throughout,
// other positive modes laminar.
double side_boundary_layer(int mode, int nPts, double i0, double k, double ks, double TuPct, double nu,
                           const double* x, const double* w, double* theta, double* form, int* trStart,
                           int* trEnd);

// Profile loss of a solved layer (momentum thickness of both sides plus the
// trailing-edge share, written to lossTE); writes the split and transition
// indices. Mode <= 0 only splits and returns 0.
double layer_profile_loss(int mode, int n, int nTail, Layer* layer, double W, double i0, double spareLen,
                          double t, double beta, double dTE, double k, int roughClass, double Tu, double nu,
                          int* kLast, int* kFirst, int* nSide1, int* nSide2, int* trStart1, int* trEnd1,
                          int* trStart2, int* trEnd2, double* lossTE);

// ---- Heat transfer along the sides ----------------------------------------

// Stagger angle (degrees) of a blade with inlet and outlet angles beta1 and
// beta2: the empirical fit, at most 90 - beta2.
double stagger_angle(double beta1, double beta2);

// Largest height, per chord, of the cubic camber line whose end slopes are
// the blade angles measured from the stagger line; 0 when it lies below.
double max_camber(double beta1, double beta2);

// Transition bounds of one side from a transition Reynolds number (free
// stream turbulence Tu in percent, Mach numbers, pressure field): the side
// points where transition starts and ends and their coordinates. A side
// without transition reports xStart = xEnd = 1.5 x[nPts-1].
void transition_bounds(int nPts, double W1, double pRatio, double i0, double rLE, double k, double Tu,
                       double nu, double trFactor, const double* x, const double* w, int* iStart, int* iEnd,
                       double* xStart, double* xEnd);

// Heat-transfer coefficient h[0..nPts-1] of one side: the stagnation value at
// point 0, then laminar up to xStart, transitional up to xEnd, turbulent.
void side_htc(int nPts, double W1, double W2, double beta1, double beta2, double b, double rLE, double Tu,
              double nu, double lambda, const double* x, const double* w, double* h, double xStart,
              double xEnd);

// Raise of the laminar stretch by free-stream turbulence (constant set 0 for
// the first side, 1 for the second) and the linear blend from the stagnation
// value over the leading edge. The side is left unchanged without memory.
void side_tu_correction(int set, double b, double rLE, double xLast, double beta1, double beta2, double W1,
                        double Tu, double nu, int nPts, const double* x, const double* w, double* h,
                        double xStart, double camber);

// Flow convergence factor of a cascade (pitch t, chord b) for the zone
// correlations of the flanks.
double convergence_factor(double beta1, double beta2, double t, double b);

}  // namespace h2
