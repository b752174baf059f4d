/* Turbine/compressor profile classification of blade sections, and the
 * empirical stagger angle of a blade. */
#ifndef HALVORINE2_PROFILES_H
#define HALVORINE2_PROFILES_H

#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* 1 when section j of element i of the current case has a turbine profile,
 * else 0. Decided from the metal angles cas__B1g and cas__B2a at the section's
 * radius, the element's kind and diameters, and for design tasks (cyld__VART
 * below 10) from the pressure fall along the path alone. Callers usually pass
 * the middle section cyld__nr/2. 0 without a current case, without its arrays,
 * or for i outside 0..cyld__ns or j outside 0..cyld__nr-1. */
H2_API int is_turb_prof(int i, int j);
/* 1 when section j of element i has a compressor profile, else 0; the same
 * arguments and the same 0 for arguments out of range. */
H2_API int is_comp_prof(int i, int j);
/* Stagger angle in degrees of a blade with inlet angle a1 and exit angle a2
 * (degrees): with flag non-zero the mean (180 - a1 - a2)/2, else the empirical
 * fit, at most 90 - a2. 0 when either angle is not positive. */
H2_API double BetaUst(double a1, double a2, int flag);

H2_EXTERN_C_END

#endif
