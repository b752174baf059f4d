/* The case data file, and the first guess of the element velocities.
 *
 * A case data file is text: '#' starts a comment, tokens are separated by any
 * run of ",; \t". In order it holds a header line of counts and switches, a
 * method line, an inlet line, one line per element (element 0 is the inlet),
 * in the "B2eff" layout a line of the wb values, and one blade line per
 * element. Only the middle streamline is stored; the loader derives the others. */
#ifndef HALVORINE2_CASE_FILE_H
#define HALVORINE2_CASE_FILE_H

#include <stdint.h>

#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* Reads a case data file into the calling thread's current case, allocates its
 * arrays, completes the case and loads its fluid and loss plug-ins from
 * ModelBase. Arrays the case already holds are released first.
 * 0 loaded; -1 no file name or no current case; 1 the file cannot be opened or
 * read, or the fluid initialisation failed or left no main-fluid function;
 * 2 NS outside 0..100, NI outside 1..50, or no header line; any other value
 * is the result of alloc_probdata. */
H2_API int load_data(const char* name);

/* Writes the current case as a case data file: layout != 0 the "P2" element
 * layout (design tasks, cyld__VART < 10), 0 the "B2eff" layout with its wb line.
 * 0 written; -1 no file name or no current case; -2 the case has no arrays
 * (nothing is written); 1 the file cannot be opened. */
H2_API int save_data(const char* name, int layout);

/* A first guess of one velocity per element: the isentropic velocity of the
 * expansion from (p0, i0) to p2, divided into n parts, spread over elements
 * 1..count-1 by element kind. The arrays hold count elements each; v receives
 * the result. 0 done; 1 when p0, i0 or p2 is 0, n <= 0 or count <= 0, an
 * array is missing, the current case has no main-fluid function, the fluid
 * answers with a failure value, or a reaction factor 1 - 1/r[i] that would be
 * used is 0 or not finite; then v is not written. */
H2_API int defGuess(int skipCorr, int full, int32_t unused, int n, int count, double p0, double i0, double p2,
                    const int* flagA, const int* kind, const int* flagB, const double* angle, const double* x,
                    const double* r, double* v);

H2_EXTERN_C_END

#endif
