/* Point tools for blade-section contours and layer blocks: the deviation
 * between two contours, the longest chord, copies of point arrays, access to
 * two result arrays of a layer, and a contour thickened by its boundary layer.
 *
 * Contours are arrays of Point3 in the x-y plane (z is carried along or set
 * to 0). The contours this library builds run clockwise with the suction side
 * first, starting from the outlet edge; the thickening below offsets to the
 * left of each segment, which is outwards on such a contour.
 *
 * A Layer is a block of 25 arrays of n + 1 doubles end to end, array a
 * starting at element a * (n + 1): arrays 0 and 1 hold the contour's x and y,
 * arrays 11 and 12 the momentum thickness of side 1 and side 2, array 20 the
 * second result array read by Get_Buri. */
#ifndef HALVORINE2_PROFILE_TOOLS_H
#define HALVORINE2_PROFILE_TOOLS_H

#include "halvorine2/case_block.h"
#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

typedef struct Layer Layer;

/* For every point of B its distance to the nearest point of A; *dMax is the
 * largest of them and *dRms the root of their sum of squares divided by
 * countB. Returns the index in A nearest to the B point farthest from A (with
 * every distance 0, the A index nearest to B[0]); -1 with the outputs
 * untouched when a count is below 1 or an array or output is NULL. */
H2_API int distprof(int countA, int countB, const Point3* A, const Point3* B, double* dMax, double* dRms);
/* The longest distance between two of the n points, its pair in *i1 < *i2
 * (the first pair found wins a tie); 0 with both indices 0 for fewer than two
 * points. The index outputs may be NULL. */
H2_API double Chord2(int n, const Point3* P, int* i1, int* i2);
/* Copies n points from src to dst: 0, or -1 for n < 1 or a NULL array. */
H2_API int Apoint2Tpoint(int n, const Point3* src, Point3* dst);
/* A new array (free() it) holding a copy of the n points; NULL for n < 1, a
 * NULL source or no memory. */
H2_API Point3* Tpoint2Apoint(int n, const Point3* src);
/* Array 11 (side-1 momentum thickness) of the layer of n + 1 points per
 * array; NULL for n < 1, a NULL layer or a layer this library made for
 * another n. */
H2_API double* Get_dxx(int n, Layer* layer);
/* Array 20 of the layer; NULL as for Get_dxx. */
H2_API double* Get_Buri(int n, Layer* layer);
/* The contour of `layer` (arrays 0 and 1, n points) thickened by 1.4 times
 * the momentum thickness of thLayer (nSide1 points of side 1 in array 11,
 * read backwards, nSide2 of side 2 in array 12). Returns a new array (free()
 * it) of 2n + 2 points: the thickened contour, closed, in 0..n and the input
 * contour, closed, in n + 1..2n + 1. NULL when a layer is NULL, nSide1 or
 * nSide2 is below 1, 2 (nSide1 + nSide2) - 3 is not below n, or memory runs
 * out. */
H2_API Point3* bulgleProf(int n, int nSide1, int nSide2, Layer* layer, Layer* thLayer);

H2_EXTERN_C_END

#endif
