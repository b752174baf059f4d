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

/* Redesign in the loss-versus-strength mode: S1mode is 1 while the rows are
 * redesigned by stgR and 0 again on return, whatever happened. StgrS1e
 * redesigns element e, StgrS1 stage s (elements 2s + 1 and 2s + 2), StgrS1sr
 * the stator and rotor given. Elements missing from the case are skipped and
 * nothing of them changes. All three return 0, whatever stgR returned. */
H2_API int StgrS1e(int e);
H2_API int StgrS1(int s);
H2_API int StgrS1sr(int stator, int rotor);

/* Solves the current case with S1mode 1, prints the predesign data and result
 * reports, regenerates the path with S1mode 0, checks the exit axial
 * coordinate against LengthLimit and the rotor blade mass against MassLimit
 * (0 = no limit; a value equal to its limit passes), recomputes the whole-path
 * results and prints the reports again. The floating-point environment is
 * saved, masked and restored around it. The solver's non-zero result when the
 * solve fails (nothing printed or checked then, -1 without a case); 101 when
 * a limit is exceeded; else 0. S1mode is 0 on return. */
H2_API int StgrS1N(void);

/* Sweeps the stage of stator es and rotor er = es + 1 over the LPtau points
 * S1range_begin..S1range_end in six variables: reaction (S2minReact..
 * S2maxReact), stator mean exit diameter (S2minD1Mean..), stator diameter per
 * height (S2minD1L1..), rotor per stator diameter (S2minD2D1..), rotor per
 * stator height (S2minL2L1..) and axial gap behind the stator (S2minAxGap..).
 * Each point starts from the solved case, rebuilds the stage's geometry, seals
 * and stator exit pressure (the reaction's share of the stage's isentropic
 * drop), solves the case and rates it by S2form (0 elem__eff, 1 elem__effx of
 * the stator, 2 cyld__eff, else cyld__effx); a point counts when its criterion
 * is positive, the best so far, and the stator exit angle, rotor exit angle,
 * stator hub reaction and rotor hub and shroud diameters lie within their
 * S2min../S2max.. ranges. The best point is rebuilt, solved and reported
 * (under the process-wide lock) when force is not 0 or it beats the start.
 *
 * The sweep solves with the case's own sizing modes: the swept diameters and
 * heights survive the solve only for task 2 (cyld__VART 2, heights given)
 * with mean-diameter rows (elem__VARTD 1), where bld__d2s is the row's mean
 * diameter; other modes size the rows afresh from their own data.
 *
 * 0 the best point was rebuilt, solved and reported; 201 a bad stage (es below
 * 1, er not es + 1 or beyond cyld__ns; nothing is sampled or changed), no case
 * copy, an empty point range, the last point's solve or the final solve
 * failed; 202 no point counted, or none beat the start with force 0. On 201
 * and 202 the case is the solved start again. Costs (points + 2) solves. */
H2_API int OptStg2(int es, int er, int force);

H2_EXTERN_C_END

#endif
