/* Fluid-property plug-ins of the current case: loading, set-up, copying, and a
 * direct call of the main fluid's property function.
 *
 * A case names its fluids by file name (fluidName, cfluidName) or by number
 * (cyld__fluid, cyld__cfluid). The plug-in libraries are looked for in the
 * case's ModelBase; a name ending in ".dll" that is not found is tried with
 * ".so". A loaded library stays loaded for the life of the process. What a
 * plug-in compiles against is halvorine2/fluid_plugin.h, not this header. */
#ifndef HALVORINE2_FLUIDS_H
#define HALVORINE2_FLUIDS_H

#include "halvorine2/case_block.h"
#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* Loads and sets up the main-fluid plug-in of the calling thread's current
 * case; callers pass cyld__af.
 *  0  done; also when the numbered library could not be loaded, lacks its
 *     entry point or installs no function (the function then stays as it was);
 * -1  the named plug-in's entry point is missing or refused, or set-up code
 *     1001 gave a negative or not-a-number result on either path (a fluid
 *     that refuses its composition, e.g. a rich mixture); also: no current
 *     case;
 * -2  the named library could not be loaded;
 *  3  unknown fluid number ("Fatal error: Unknown fluid type"). */
H2_API int InitFluid(double af);
/* The same for the cooling fluid; callers pass cyld__caf. When the cooling
 * fluid number equals the main one nothing is loaded: the cooling function
 * falls back to the main fluid's function (see fluid_plugin.h). Result 3 is
 * "Fatal error: Unknown cooling fluid type". */
H2_API int InitcFluid(double caf);
/* Copies src's fluidName into dst's, then InitFluid(src's cyld__af) on the
 * calling thread's current case (make dst current first). 0; -1 for a NULL
 * block. The result of InitFluid is not passed on. */
H2_API int CopyFluid(bdLocals* src, bdLocals* dst);
/* The same with cfluidName, cyld__caf and InitcFluid. */
H2_API int CopycFluid(bdLocals* src, bdLocals* dst);
/* Calls the current case's main-fluid function with all five arguments as
 * given (which = 1 still goes to the main-fluid function). 1e20 when the
 * thread has no current case or the case has no main-fluid function. */
H2_API double getFluid(int code, double a, double b, double c, int which);

H2_EXTERN_C_END

#endif
