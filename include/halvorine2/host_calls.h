/* Calls into other libraries for a host without binding code of its own: open
 * a library, look a function up by name and call it with a list of arguments
 * built at run time, close the library, or all three at once.
 *
 * Calling convention (x86-64 System V). Every argument is classified on its
 * own: integer-class arguments (32-bit words, 64-bit integers, pointers) take
 * the integer registers in record order, doubles take the floating-point
 * registers in record order, whatever way the two kinds are interleaved.
 * Hence at most 6 integer-class and at most 8 double arguments can be passed;
 * a call that needs more is refused with 0 and the function is not called.
 *
 * Size codes of a CallArg:
 *   below 8 (4 by custom)  a 32-bit integer in value.i32, sign-extended to 64 bits
 *   exactly 8              a double in value.f64
 *   any other code >= 9    a 64-bit integer or a pointer in value.i64 / value.ptr
 *                          (16 by custom)
 * 32-bit floats, structures passed by value and arguments on the stack are not
 * supported.
 *
 * Results. The called function is expected to return an int; its 32-bit
 * result is passed back. A wider integer or pointer comes back truncated to
 * its low 32 bits; the result of a function returning a double, void or a
 * type narrower than int is not meaningful. The called function may itself be
 * variadic (printf-like).
 *
 * A library or function that cannot be found gives 0 (NULL from OpenDLL): a
 * host cannot tell that apart from a function that returned 0. Nothing is
 * printed. */
#ifndef HALVORINE2_HOST_CALLS_H
#define HALVORINE2_HOST_CALLS_H

#include <stdint.h>

#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* A function of any signature, cast to this type to be handed over. */
typedef void (*HostFunc)(void);

/* One typed argument, 16 bytes; arrays of them lie back to back. At most 16
 * records go into one call. */
typedef struct CallArg {
    int16_t size; /* size code, see above */
    char unused[6];
    union {
        int32_t i32; /* size code below 8 */
        double f64;  /* size code 8 */
        int64_t i64; /* other size codes of 8 or more */
        void* ptr;   /* other size codes of 8 or more */
    } value;         /* bytes 8-15: low half first */
} CallArg;

/* Calls fn with the n 32-bit int words that follow as its integer-class
 * arguments, in order. Returns fn's result; 0 when fn is NULL or n is below 0
 * or above 6 (fn is then not called). A word cannot carry a 64-bit pointer:
 * pass pointers through CallFun. */
H2_API int CallFunVar(int16_t n, HostFunc fn, ...);

/* Calls fn with args[0..n-1] as its arguments in record order and returns its
 * result. 0 when fn is NULL, n is below 0 or above 16, args is NULL while n
 * is above 0, or the records need more registers than there are. */
H2_API int CallFun(int16_t n, HostFunc fn, const CallArg* args);

/* Opens a library and returns its handle, or NULL.
 * A name holding ".dll" or ".DLL" is loaded (a missing "x.dll" is tried as
 * "x.so"); *kind := 1. Any other name is first looked for among the libraries
 * already loaded and loaded only when it is not; NULL names the host
 * executable; *kind := 2. kind may be NULL; when it is not it is written even
 * when nothing could be opened. */
H2_API void* OpenDLL(const char* name, int16_t* kind);

/* Looks the function name up in module and calls it as CallFun does. Only a
 * function defined in that library itself is found, never one it merely
 * reaches through its own dependencies. 0 when module or name is NULL or the
 * function is not found, and in the cases where CallFun refuses. module must be
 * a handle from OpenDLL. */
H2_API int ExecDLL(void* module, int16_t n, const char* name, const CallArg* args);

/* Releases one load of module unless kind is 2 (name is not used). */
H2_API void CloseDLL(const char* name, void* module, int16_t kind);

/* OpenDLL(library), ExecDLL, CloseDLL with the kind OpenDLL reported; returns
 * the call's result, 0 when the library cannot be opened, the function is not
 * found or the call is refused. A NULL library names the host executable, as
 * for OpenDLL. */
H2_API int CallDLLFun(const char* library, int16_t n, const char* name, const CallArg* args);

H2_EXTERN_C_END

#endif
