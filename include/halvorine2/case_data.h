/* Case life cycle and case arrays. */
#ifndef HALVORINE2_CASE_DATA_H
#define HALVORINE2_CASE_DATA_H

#include "halvorine2/case_block.h"
#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* A new zero-filled case, current on the calling thread, with SI units and
 * ModelBase "."; NULL when threading is not prepared or memory is short. */
H2_API bdLocals* binit(void);
/* Releases the calling thread's current case with its arrays and volute record. */
H2_API void bterm(void);

/* Allocates every array of the current case for N elements and NI streamlines.
 * 0 done; 1 a per-element array is missing; 2 a per-element-and-streamline
 * array is missing; 3 the loss slots or the streamline grid are missing;
 * -1 no current case; -3 the case already has arrays (release them first). */
H2_API int alloc_probdata(int N, int NI);
/* Releases the arrays of the current case. 0 done; -1 no current case; -2 the
 * case has no arrays; 1 or 2 the array counters do not match. */
H2_API int free_probdata(void);

H2_EXTERN_C_END

#endif
