/* Radial machine design: the regeneration of centrifugal compressor stages
 * that a design solve runs. */
#ifndef HALVORINE2_RADIAL_DESIGN_H
#define HALVORINE2_RADIAL_DESIGN_H

#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* Generates again every stage of every centrifugal compressor module of the
 * current case (elements of module type 5.0), from the predesign module record
 * that each element's module number names. The solver passes the index of the
 * element before the run it found; the value is not needed, since every module
 * of the path is regenerated on each call (a second call reproduces the same
 * stages). Returns 0, or 1 when the case has no arrays or no streamline, a
 * module number names no record (nothing is regenerated then), or any stage
 * failed (the modules after it are still regenerated). */
H2_API int rcgRN(int start);

H2_EXTERN_C_END

#endif
