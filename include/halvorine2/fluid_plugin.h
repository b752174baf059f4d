/* The interface a fluid-property plug-in compiles against.
 *
 * A plug-in is a shared library (built as <name>.so; the host asks for
 * "flxb.dll" and the like and falls back to ".so"). It exports one or both
 * entry points, with C linkage and default visibility:
 *
 *   int InitFluid (bdLocals* block, int slot, double af);   main fluid
 *   int InitcFluid(bdLocals* block, int slot, double af);   cooling fluid
 *
 * The host calls "InitFluid" with the case, the thread-local slot of the main
 * fluid's fluidLocals block and the case's fluid constant (cyld__af); it
 * calls "InitcFluid" with the cooling slot and cyld__caf. A non-zero result is
 * success, and then the entry point has stored its property function in
 * block->fluid_func (respectively block->cfluid_func). A zero result, or a
 * function left empty, makes the host send no set-up code.
 *
 * After a successful entry the host sends, through the installed function,
 * code 1000 (reference state) and code 1001 (set-up; a negative result is a
 * failure) with the values of the fluid set-up. The host calls the main function with
 * selector 0 and the cooling function with selector 1; getFluid passes the
 * host's selector on unchanged.
 *
 * State. A plug-in keeps every value of its own (constants, reference state)
 * in the calling thread's fluidLocals block, H2_FLUID_LOCALS_SIZE zero-filled
 * bytes owned by the thread, reached through the slot it was handed:
 * h2_fluid_locals(slot) below (pthread_getspecific on the key). Nothing that
 * belongs to a case may live in the library's static data, since cases on
 * several threads share the loaded library; the two slot values themselves
 * are process-wide and may be kept in statics set by the entry points. The
 * slot is -1 when the host never prepared threading; then there is no block.
 *
 * Cooling fallback. When a case's cooling fluid number equals its main one,
 * the host loads no cooling plug-in: it sets cfluid_func to fluid_func and
 * copies the thread's main fluidLocals block into the cooling block, so a
 * plug-in answers selector 1 from the cooling block with the main fluid's
 * state. A plug-in whose "InitcFluid" has never run does not know the cooling
 * slot; it should answer selector 1 from the main slot then.
 *
 * Text arguments. For fluid numbers 6 and 7 the third value of code 1001
 * carries the address of a NUL-terminated file name held by the host
 * ("component.tmg", "real.tmg"): the pointer converted through uintptr_t to
 * double. User-space addresses on the 64-bit platforms lie below 2^53, so the
 * conversion is exact; h2_fluid_text() turns the value back into the pointer.
 */
#ifndef HALVORINE2_FLUID_PLUGIN_H
#define HALVORINE2_FLUID_PLUGIN_H

#include <pthread.h>
#include <stddef.h>
#include <stdint.h>

#include "halvorine2/case_block.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The entry point, looked up by the names below. */
typedef int (*FluidInitFunc)(bdLocals* block, int slot, double af);
#define H2_FLUID_ENTRY_MAIN "InitFluid"
#define H2_FLUID_ENTRY_COOLING "InitcFluid"

/* Marks an exported entry point. */
#ifdef __cplusplus
#define H2_FLUID_PLUGIN_API extern "C" __attribute__((visibility("default")))
#else
#define H2_FLUID_PLUGIN_API __attribute__((visibility("default")))
#endif

/* Fluid selectors. */
enum { H2_FLUID_MAIN = 0, H2_FLUID_COOLING = 1 };

/* FluidCode: what callers send as (a, b, c) and what they read back. p
 * pressure (Pa), i specific enthalpy (J/kg), s specific entropy (J/(kg K)), T
 * temperature (K: callers print T - 273.15), rho density (kg/m^3), "const" the
 * element's or case's fluid constant. */
enum FluidCode {
    H2_FLUID_DRYNESS = 0,         /* (p, i, const) dryness fraction; negative when dry */
    H2_FLUID_T_PI = 1,            /* (p, i, const) temperature */
    H2_FLUID_RHO_PI = 2,          /* (p, i) density */
    H2_FLUID_S_PI = 3,            /* (p, i) entropy; exactly 0.0 marks a fluid without entropy */
    H2_FLUID_SOUND_PI = 4,        /* (p, i) speed of sound */
    H2_FLUID_KAPPA_PI = 5,        /* (p, i, const) isentropic exponent */
    H2_FLUID_P_IS = 8,            /* (i, s) pressure */
    H2_FLUID_I_PS = 9,            /* (p, s) enthalpy */
    H2_FLUID_I_SAT_VAPOUR = 11,   /* (p, p or 0.0, const) enthalpy of the saturated vapour */
    H2_FLUID_I_SAT_LIQUID = 12,   /* (p, p, const) enthalpy of the saturated liquid */
    H2_FLUID_NU_PI = 24,          /* (p, i) kinematic viscosity */
    H2_FLUID_LAMBDA_PI = 25,      /* (p, i) thermal conductivity */
    H2_FLUID_I_PT = 30,           /* (p, T) enthalpy */
    H2_FLUID_CP_PI = 31,          /* (p, i) isobaric heat capacity */
    H2_FLUID_R_PI = 32,           /* (p, i) gas constant */
    H2_FLUID_P_RHOI = 82,         /* (rho, i) pressure */
    H2_FLUID_REFERENCE = 1000,    /* (T, p, 0.0 or a value of the caller's) reference state */
    H2_FLUID_SETUP = 1001,        /* set-up values; a negative result is a failure */
    H2_FLUID_ELEMENT_P0 = 1002,   /* (element inlet pressure, 0, 0) result ignored */
    H2_FLUID_MODULE_SETUP = 1003, /* (0, 0, 0) after code 1000 for a predesign module */
    H2_FLUID_CHOKE_FLAG = 1004    /* (0, 0, 0) 0.0: choke search factor 0.9, else 0.2 */
};

/* The answer to a code a plug-in does not know, or a state it cannot evaluate. */
#define H2_FLUID_NO_ANSWER 1e20

/* Size in bytes of each fluidLocals block. */
#define H2_FLUID_LOCALS_SIZE 144

/* The calling thread's fluidLocals block for a slot handed to an entry point;
 * NULL when there is no slot or the thread has no block. */
static inline void* h2_fluid_locals(int slot) {
    if (slot < 0) return NULL;
    return pthread_getspecific((pthread_key_t)slot);
}

/* The text address that code 1001 carries in a double (fluids 6 and 7). */
static inline const char* h2_fluid_text(double value) { return (const char*)(uintptr_t)value; }
/* The double a host passes for a text address. */
static inline double h2_fluid_text_value(const char* text) { return (double)(uintptr_t)text; }

#ifdef __cplusplus
}
#endif

#endif
