/* Sobol's LPtau quasi-random sequences: points in the unit cube that fill it
 * evenly, for the design searches. Two independent generators with
 * Bratley and Fox's direction numbers:
 *   - LPT40init / LPT40point: up to 40 dimensions, 30-bit coordinates, a
 *     stateful generator in Gray-code order (one XOR per dimension when the
 *     indices are drawn in sequence);
 *   - LPT20init / LPT20point: up to 20 dimensions, 16-bit coordinates, point i
 *     computed directly from the bits of i.
 *
 * Thread safety: the 40-dimensional generator keeps its state (chain
 * position, built dimension) per thread: LPT40init resets the calling
 * thread's generator, and threads drawing at once do not disturb each other
 * (any index yields the same point on any thread). LPT20init and LPT20point
 * are safe to call from any thread (the table never changes once built;
 * before LPT20init the points are all zero). */
#ifndef HALVORINE2_LPTAU_H
#define HALVORINE2_LPTAU_H

#include <stdint.h>

#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* Writes point *s of the dim-dimensional sequence into x[0..dim-1] (multiples
 * of 2^-30 in [0, 1)) and advances *s by 1. A negative *s is taken as 0 (and
 * stored so). Returns 0 written; 1 dim outside 2..40 (nothing written, the
 * generator is reset); 2 an index beyond the 30-bit direction table (first at
 * 2^29 - 1; nothing written, *s unchanged); -1 s or x is NULL.
 * Any index yields the same point however it is reached. */
H2_API int LPT40point(int* s, int dim, double* x);

/* Resets the 40-dimensional generator: the next LPT40point builds its
 * direction numbers afresh for the dimension it is given (the calling
 * thread's generator). Returns 1. */
H2_API int LPT40init(void);

/* Makes the 20-dimensional generator's direction words available (once per
 * process; later calls change nothing). */
H2_API void LPT20init(void);

/* Writes point i (only its low 16 bits count) of the dim-dimensional sequence,
 * in natural order, into x[0..dim-1] (multiples of 2^-16 in [0, 1)). Writes
 * nothing when dim is above 20 or x is NULL; writes zeros before LPT20init. */
H2_API void LPT20point(uint32_t i, int dim, double* x);

H2_EXTERN_C_END

#endif
