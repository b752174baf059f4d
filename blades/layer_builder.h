// The steps of the blade layer build: the contour in the layer frame, the
// surface-vorticity solution of the periodic cascade for three unit flows,
// the outlet angle from the trailing-edge condition and the compressibility
// correction of the surface velocity.
//
// Layer frame: X = contour y, Y = -(contour x); the cascade repeats along X
// with the pitch t. Collocation point (node) j = 0..n/2 - 1 sits at contour
// point 2j + 1 and its panel runs from contour point 2j to 2j + 2.
#pragma once

#include <cstddef>
#include <vector>

#include "blades/layer_layout.h"
#include "halvorine2/profile_tools.h"

namespace h2::layer {

// Array numbers of the build that only the builder writes.
inline constexpr int kCurvature = 2;        // signed curvature, positive for a left turn
inline constexpr int kTangentX = 3;         // dX/ds
inline constexpr int kTangentY = 4;         // dY/ds
inline constexpr int kUnitFlowX = 5;        // surface vorticity for a unit flow along X
inline constexpr int kUnitFlowY = 6;        // surface vorticity for a unit flow along Y
inline constexpr int kUnitCirculation = 7;  // surface vorticity carrying the circulation t
inline constexpr int kCompressible = 9;     // surface velocity corrected for compressibility
inline constexpr int kSin = 22;             // sin(2 pi X / t)
inline constexpr int kCos = 23;             // cos(2 pi X / t)
inline constexpr int kExp = 24;             // exp(2 pi Y / t)

// The allocator of layer blocks (calloc-like); tests swap it to make a
// build run out of memory. nullptr restores calloc. Returns the previous one.
using BlockAllocator = void* (*)(std::size_t count, std::size_t size);
BlockAllocator set_block_allocator(BlockAllocator allocator);

// A new zero-filled layer block with arrays 0-4, 10 and 22-24 filled from
// the n contour points; nullptr for a NULL contour, n < 1 or no memory. The
// block is free()d by its owner.
Layer* layer_geometry(int n, double t, const Point3* contour);

// The m x (m + 3) system of the surface-vorticity equation at the m nodes,
// rows end to end: the coupling matrix and the right-hand sides of a unit
// flow along X, along Y and of the circulation t. Throws std::bad_alloc.
std::vector<double> layer_kernel_matrix(int n, double t, const Layer* layer);

// Crout elimination without pivoting of the rows x cols system held by the
// row pointers (the first `rows` columns the matrix, the rest right-hand
// sides, which the solutions replace): 0, or 1 for a pivot below 1e-28.
int crout_solve(int rows, int cols, double* const* row);

// Arrays 5-7 from the solved system: 0, or 1 when it is singular (or there
// is no memory), the arrays then left zero.
int layer_unit_flows(int n, double t, Layer* layer);

// The trailing-edge residual of a trial outlet angle (degrees): fills array
// 8 for that angle and returns the sum of the velocities at nodes 1 and q.
struct KuttaState {
    int nodes;  // n / 2
    int q;      // (n - nTail - 1) / 2
    double beta1;
    const double* flowX;
    const double* flowY;
    const double* circulation;
    double* velocity;
};
double layer_kutta_residual(double angle, void* state);

// The outlet angle that meets the trailing-edge condition, searched from
// beta2; array 8 is left with the surface velocity of the last angle tried.
double layer_outlet_angle(int n, int nTail, Layer* layer, double beta1, double beta2);

// The compressibility function F(lambda) of the isentropic exponent k.
double compress_fn(double lambda, double k);

// target - F(lambda) for the root finder.
struct CompressState {
    double k;
    double target;
};
double compress_residual(double lambda, void* state);

// velocityCompr[j] for the n / 2 nodes: the incompressible ratio of each
// node's velocity to the outlet velocity W2 carried over at equal F.
void layer_compressible(int n, double i0, double k, double W2, double outlet, const double* velocity,
                        double* velocityCompr);

}  // namespace h2::layer
