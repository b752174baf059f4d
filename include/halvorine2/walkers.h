/* Flow-path walkers of the current case.
 *
 * Elements run from 0 (the inlet) to cyld__ns. A blade row has elem__stagType
 * 1; it is a rotor when bld__wp and bld__z are non-zero, a stator when bld__wp
 * is 0 and bld__z non-zero. Each walker starts next to element j (j itself is
 * never tested) and returns the element it finds, or 0 for none: element 0 is
 * never a result. All return 0 without a current case, without its element
 * arrays, or for j outside 0..cyld__ns. */
#ifndef HALVORINE2_WALKERS_H
#define HALVORINE2_WALKERS_H

#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* The next rotor after j; 0 when a stator comes first or there is none. */
H2_API int next_rotor(int j);
/* The next stator after j; 0 when a rotor comes first or there is none. */
H2_API int next_stator(int j);
/* The nearest rotor before j (down to 1); 0 when a stator comes first or there is none. */
H2_API int prev_rotor(int j);
/* The nearest stator or inlet volute (elem__stagType 5) before j; 0 when a
 * rotor comes first or there is none. */
H2_API int prev_stator(int j);
/* The next blade row or deswirler (elem__stagType 1 or 6) after j; 0 when none. */
H2_API int next_blade(int j);
/* The next element with angular sections (elem__sectType 2) after j; 0 when a
 * blade row or deswirler comes first or there is none. */
H2_API int next_angular(int j);

H2_EXTERN_C_END

#endif
