/* Blade layer: a blade section solved in its plane cascade by a
 * surface-vorticity method (surface velocity, outlet angle, compressibility,
 * boundary layers and profile loss), the flow field around it, and the
 * convective heat-transfer coefficients along its surface or by zones.
 *
 * Contours run clockwise with point 0 at the outlet edge (least x), the
 * suction side first. */
#ifndef HALVORINE2_BLADE_LAYER_H
#define HALVORINE2_BLADE_LAYER_H

#include "halvorine2/case_block.h"
#include "halvorine2/export.h"
#include "halvorine2/profile_tools.h"

H2_EXTERN_C_BEGIN

/* ---- Layer builder and cascade flow field ------------------------------ */

/* (declarations of MakeLayer, MakeLayerIter, FreeLayer, CasField, CasPsi,
 * CasFi go here) */

/* ------------------------------------------------------------------------ */
/* ------------------------------------------------------------------------ */
/* ------------------------------------------------------------------------ */

/* ---- Heat-transfer coefficients ----------------------------------------- */

/* Heat-transfer coefficient along the surface of a layer made by MakeLayer:
 * each side, counted from the stagnation point, is laminar, transitional and
 * turbulent in turn (W/(m^2 K), SI units, angles in degrees, Tu in percent).
 * mode <= 0 only splits; 1 takes the transition points of each side from
 * trStart and trEnd (side point indices; computed when either is negative or
 * past the side); 2 laminar throughout; 3 turbulent from the stagnation
 * point; other values compute the transition. Writes arcOut and htcOut (the
 * addresses of the arc length, array 10, and of the coefficients, array 13,
 * side 1 reversed then side 2), the split results and the transition points
 * of each side; NULL output pointers are skipped. Returns the surface-mean
 * coefficient, 0 for fewer than two coefficients, -1.0 for a NULL layer, a
 * negative n or a layer this library made with another n. pRatio and
 * trFactor scale the transition length and the transition Reynolds number
 * (the latter as trFactor^-2.3); spare1, spare2 and roughClass are not
 * used. */
H2_API double HTCLayer(int mode, int n, int nTail, Layer* layer, double W1, double W2, double pRatio,
                       double i0, double b, double rLE, double spare1, double beta1, double beta2,
                       double spare2, double k, int roughClass, double Tu, double nu, double lambda,
                       double trFactor, double** arcOut, double** htcOut, int* kLast, int* kFirst,
                       int* nSide1, int* nSide2, int* trStart1, int* trEnd1, int* trStart2, int* trEnd2);

/* Heat-transfer coefficient of a blade section by six zones from cascade and
 * flow scalars, without a surface-velocity solution: two trailing-edge
 * zones, three flank zones and the leading-edge zone around the stagnation
 * point sStag (arc length on a contour of length L). q (0 switches them
 * off) scales the zone factors against W2 D / l; r is the section radius,
 * D the row diameter and l the blade height (zones within a tenth of the
 * height from either end wall are raised); split above 0.3 selects the
 * first set of flank multipliers. Tu in percent. Writes the zone bounds as
 * fractions of L (xOut, 12 values, two per zone) and the zone coefficients
 * at both bounds (hOut, 12 values); NULL arrays are skipped. Returns the
 * length-weighted mean coefficient. */
H2_API double HTCzones(double sStag, double L, double q, double W1, double W2, double r, double b, double t,
                       double rLE, double beta1, double beta2, double D, double l, double split, double Tu,
                       double nu1, double nu2, double lambda1, double lambda2, double* xOut, double* hOut);

H2_EXTERN_C_END

#endif
