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

/* MakeLayer solves the section given by the n contour points in its plane
 * cascade of pitch t and returns a new Layer block (free it with FreeLayer):
 * 25 arrays of n + 1 doubles end to end, array a at element a * (n + 1).
 *
 * The contour must run clockwise with point 0 at the outlet edge (least x);
 * the last nTail points close the trailing edge. The layer frame is the
 * contour turned a quarter: X = contour y, Y = -(contour x), the cascade
 * repeating along X. The surface vorticity is solved at the nodes j = 0 ..
 * n/2 - 1 (contour points 2j + 1); the outlet angle makes the velocities at
 * contour points 3 and 2q + 1, q = (n - nTail - 1) / 2, cancel (trailing-edge
 * condition), searched around beta2. Take n even: with n odd the closing
 * segment from point n - 1 to point 0 belongs to no panel.
 *
 * Arrays: 0, 1 X and Y of the contour; 2 curvature (positive for a left
 * turn); 3, 4 tangent; 5, 6, 7 surface vorticity of a unit flow along X,
 * along Y and of the circulation t (per node); 8 surface velocity per node in
 * units of the axial velocity, signed (the sign changes at the stagnation
 * point); 9 the same corrected for compressibility; 10 arc length from point
 * 0 (entry n the perimeter); 11, 12 momentum thickness of the two sides;
 * 13 heat-transfer coefficients; 16-19 side coordinates and velocities;
 * 20, 21 form parameters; 22-24 sin, cos of 2 pi X / t and exp(2 pi Y / t).
 *
 * SI units, angles in degrees; k exactly 1 is incompressible, i0 the
 * stagnation enthalpy (a_cr = sqrt(2 (k - 1) / (k + 1) i0)). mode <= 0 only
 * splits the surface at the stagnation point; 1 finds the transition, 2 is
 * laminar, 3 turbulent. The outputs receive the addresses of arrays 10, 2,
 * 8 and 9, the outlet angle, the trailing-edge share of the profile loss, the
 * profile loss, the last node before the stagnation point, the point counts
 * of the two sides and their transition nodes; NULL outputs are skipped.
 *
 * NULL, with nothing written, for a NULL contour, n < 4, t <= 0, q outside
 * 1 .. n/2 - 1 or no memory. Reentrant: calls on several threads may run at
 * once. */
H2_API Layer* MakeLayer(int n, int nTail, const Point3* contour, double t, double spareLen, double dTE,
                        double beta2, double beta1, double W2, double k, double i0, int roughClass, double Tu,
                        double nu, int mode, double** s, double** curvature, double** velocity,
                        double** velocityCompr, double* outletAngle, double* lossTE, double* loss, int* kLast,
                        int* nSide1, int* nSide2, int* trStart1, int* trEnd1, int* trStart2, int* trEnd2);

/* MakeLayer, then count times again on the first contour thickened by the
 * boundary layer of the latest build (bulgleProf). Returns the last layer
 * built; a rebuild that fails keeps the layer before it, whose values the
 * outputs then hold. A count below 0 acts as 0. */
H2_API Layer* MakeLayerIter(int count, int n, int nTail, const Point3* contour, double t, double spareLen,
                            double dTE, double beta2, double beta1, double W2, double k, double i0,
                            int roughClass, double Tu, double nu, int mode, double** s, double** curvature,
                            double** velocity, double** velocityCompr, double* outletAngle, double* lossTE,
                            double* loss, int* kLast, int* nSide1, int* nSide2, int* trStart1, int* trEnd1,
                            int* trStart2, int* trEnd2);

/* Frees a block that MakeLayer or MakeLayerIter returned; NULL and blocks
 * the library did not hand out are ignored. */
H2_API void FreeLayer(Layer* layer);

/* The plane flow at (x, y) of the layer frame around the section of the
 * layer of n points (pitch t, inlet and outlet angles beta1, beta2): the
 * surface vortices at the nodes repeated with the pitch, plus the uniform
 * flow of the mean cotangent. CasField writes the velocity in units of the
 * through-flow velocity (u the through-flow component along y, 1 far away;
 * v the component along the cascade, x, cot beta1 far upstream).
 * CasPsi and CasFi write the stream function psi and the velocity potential
 * phi of that same flow, scaled by W cos beta2 (W the outlet velocity):
 *   dphi/dx = dpsi/dy = W cos(beta2) v,  dphi/dy = -dpsi/dx = W cos(beta2) u,
 * so phi + i psi is analytic in x + i y. psi grows by -t W cos(beta2) (the
 * through-flow per pitch) from x to x + t. phi is continuous except across
 * cuts running downstream (+y) from every node, which together take back the
 * circulation per blade; it grows by t W cos(beta2) cot(beta1) from x to
 * x + t. CasPsi leaves out a node the point sits on.
 * 0; -1 with nothing written for a NULL layer or result, n < 0, t = 0, or a
 * layer this library made for another n. */
H2_API int CasField(int n, double t, double beta1, double beta2, const Layer* layer, double x, double y,
                    double* u, double* v);
H2_API int CasPsi(int n, double t, double beta1, double beta2, double W, const Layer* layer, double x,
                  double y, double* psi);
H2_API int CasFi(int n, double t, double beta1, double beta2, double W, const Layer* layer, double x,
                 double y, double* phi);

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
