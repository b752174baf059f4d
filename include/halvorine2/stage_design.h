/* Turbine stage design: the redesign of one blade row of a solved case, the
 * search of its chord or relative pitch for the least loss within the allowed
 * stresses, and the regeneration pass that redesigns a whole expansion path
 * in every iteration of a design solve.
 *
 * All work on the calling thread's current case at its middle section
 * cyld__nr / 2. Angles are in degrees, everything else in SI units. */
#ifndef HALVORINE2_STAGE_DESIGN_H
#define HALVORINE2_STAGE_DESIGN_H

#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* Redesigns element e (1..cyld__ns) for its mass flow, outlet pressure and
 * flow coefficient (cyld__VART 1) or height (cyld__VART 2): height and
 * diameters, gaps, blade sizes, exit triangle, angles, stagger, deviation,
 * losses, profile or loss-versus-strength search, strength and exit state.
 * The section models are loaded for the call and released after it. In plain
 * redesign (S1mode 0, axial element after an axial element) the row keeps its
 * chord, axial chord, pitch and blade count. 0 done; e + 1 the redesign
 * failed; -1 no case, no arrays or e outside 1..cyld__ns (nothing written). */
H2_API int stgR(int e);

/* Chooses the chord and/or relative pitch of blade row e by the mode of its
 * strs_mode entry (0 none, 1 axial chord, 2 axial chord and relative pitch,
 * 3 relative pitch) over the LPtau points S1range_begin..S1range_end: the
 * best velocity coefficient among the points whose stresses (unless
 * S1strignore) and rotor frequency (unless S1vibrignore) allow them. 0 a
 * point was chosen and applied, or mode 0; 1 no point qualified (the row's
 * geometry is put back as it was); 2 the section models are not loaded; -1 no
 * case, no arrays or e outside 1..cyld__ns (nothing written). */
H2_API int LosStrs(int e);

/* One regeneration of the whole expansion path during a design solve: sizes
 * the inlet, redesigns every row, hands each outlet state to the next element
 * and shifts the stage outlet pressures until the outlet condition of
 * cyld__VARTP holds. 0 done (or the passes used up); 1 the inlet could not be
 * sized; e + 1 element e failed, or a stator's outlet static pressure lies
 * above its inlet total pressure; -1 no case or no arrays. */
H2_API int stgRN(void);

H2_EXTERN_C_END

#endif
