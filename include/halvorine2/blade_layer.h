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

/* (declarations of HTCLayer and HTCzones go here) */

H2_EXTERN_C_END

#endif
