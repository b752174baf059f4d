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

/* Copies case src.
 * dst NULL: a new case, an exact copy of src with arrays, loss slots, fluids
 * and outlet volute record of its own (its streamline grid zero-filled, no
 * dump file open); it becomes current and is released with bterm. NULL when
 * src has no arrays or counts beyond them, threading is not prepared, or
 * memory is short; the case current before is then current again.
 * dst given: src's arrays (elements 0..cyld__ns), loss slot entries, grid,
 * volute record and results go into dst, which must have arrays with room for
 * them; dst's task, counts, print levels, units and hooks stay. Returns dst;
 * NULL when dst has no arrays (the results are copied all the same), or is
 * too small or src's counts reach beyond src's arrays (nothing is copied).
 * In both modes dst is the current case afterwards. NULL for a NULL src. */
H2_API bdLocals* copy_probdata(bdLocals* src, bdLocals* dst);
/* A new case with src's flow path on NI streamlines (1..32767): every
 * streamline takes src's middle-streamline values, then the spanwise fields
 * and whole-path results are recomputed. src is the current case afterwards;
 * the caller makes the new case current to release it with bterm. NULL for a
 * NULL src, a bad NI, src's counts beyond its arrays, or when memory is short.
 * Without prepared threading the new case comes back empty (no arrays). */
H2_API bdLocals* expand_probdata(bdLocals* src, int NI);
/* Appends src's elements 1..cyld__ns to dst's elements pos..pos+cyld__ns-1,
 * the first src->cyld__nr streamlines of each row, with their loss slot
 * entries, and takes src's loss-method switches. Nothing else of dst changes;
 * set dst's cyld__ns to the joined count first. Returns dst; NULL, with
 * nothing changed, when dst is NULL, src is NULL, or the range runs past
 * dst's last element or src has more streamlines than dst. */
H2_API bdLocals* add_probdata(bdLocals* src, bdLocals* dst, int pos);

H2_EXTERN_C_END

#endif
