/* Runs: a case file or a case block through the whole calculation, on the
 * calling thread or on a run thread of its own. */
#ifndef HALVORINE2_RUNS_H
#define HALVORINE2_RUNS_H

#include "halvorine2/case_block.h"
#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* Loads the file into a new case and runs it; the result code of the run, or
 * the loader's code when the file does not load. prepare non-zero sets up and
 * ends threading around the run (for hosts that run one case at a time). */
H2_API int fbrun(const char* file, int prepare);
/* Runs a working copy of block (NULL: the current case) and copies the results
 * back into it; 1 when no copy can be made. */
H2_API int dbrun(bdLocals* block, int prepare);
/* fbrun / dbrun on a new thread; 0 started, 1 not started. The host must not
 * change or free the block until the thread has finished. */
H2_API int fbrunt(const char* file, int number);
H2_API int dbrunt(bdLocals* block, int number);
/* Run threads started and not yet finished. */
H2_API int running_threads(void);
/* Returns when no run thread is left. */
H2_API void wait_threads(void);

H2_EXTERN_C_END

#endif
