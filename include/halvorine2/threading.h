/* Threading set-up, the calling thread's current case, and locks for the host.
 *
 * Call binit_threading once per process before any case is made, and
 * bend_threading once at the end, when no case is in use on any thread.
 * Every case function works on the calling thread's current case. */
#ifndef HALVORINE2_THREADING_H
#define HALVORINE2_THREADING_H

#include "halvorine2/case_block.h"
#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* A re-entrant process lock. */
typedef struct CritSec CritSec;

/* 0 done (a repeated call keeps the slots and the run lock it has); 1 no thread slot to be had. */
H2_API int binit_threading(void);
/* Releases the thread slots and the run lock. Always 0. */
H2_API int bend_threading(void);

/* Makes `block` the calling thread's current case: 1 done, 0 when threading is
 * not prepared or `block` is NULL (nothing changes). */
H2_API int set_bdLocals(bdLocals* block);
/* The calling thread's current case, or NULL. */
H2_API bdLocals* get_bdLocals(void);
/* The process-wide run lock (NULL before binit_threading and after bend_threading). */
H2_API CritSec* get_bdCritSec(void);

/* A new lock, or NULL when out of memory. The other lock calls do nothing for NULL. */
H2_API CritSec* InitCritSec(void);
H2_API void EnterCritSec(CritSec* cs);
H2_API void LeaveCritSec(CritSec* cs);
H2_API void DelCritSec(CritSec* cs);

/* 1 when p is not NULL, else 0. */
H2_API int isValidptr(const void* p);

H2_EXTERN_C_END

#endif
