/* Axial compressor and fan modules: one row recomputed on the middle
 * streamline, and the regeneration passes a design solve of a compressing
 * path runs once per iteration. All work on the calling thread's current case. */
#ifndef HALVORINE2_COMPRESSOR_DESIGN_H
#define HALVORINE2_COMPRESSOR_DESIGN_H

#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* Recomputes element i (1..cyld__ns) of an axial compressor module: a rotor
 * from its loading coefficient, any other row as the stator behind rotor
 * i - 1. 0; 1 and nothing written without a case and its arrays, for i out of
 * range, a rotor without outlet diameter, or a stator behind a rotor without
 * inlet axial velocity. */
H2_API int scgR(int i);
/* Recomputes element i (1..cyld__ns) as a fan rotor. 0; 1 and nothing written
 * without a case and its arrays, for i out of range, or for an element without
 * speed or outlet diameter. */
H2_API int sfgR(int i);

/* Re-converges the axial run first..last (last: the run's last element) and
 * scales its rotors' loading until the run's outlet pressure ratio found on
 * entry is met. 0 converged; 1 bad input (nothing written), the inlet state
 * failed or the pass limit was reached; 3 corrupted data, with its text in
 * err_text. */
H2_API int scgRN(int first, int last);
/* Re-converges the fan module (elements 0 and 1) and scales the rotor's
 * loading until the outlet pressure target is met. 0 converged; 1 bad input
 * (nothing written), the inlet state or the row geometry failed, or no
 * convergence in 150 passes. */
H2_API int sfgRN(void);

H2_EXTERN_C_END

#endif
