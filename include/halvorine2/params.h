/* Fields of the current case by parameter key ("cyld__ns", "elem__stagType", ...).
 *
 * Unknown keys, arrays not allocated, indices outside the allocated elements
 * (0..N-1) or streamlines (0..NI-1), and a thread without a current case all
 * answer alike: getters 1e20 (get_int_par -252645136, pointer getters NULL),
 * setters 1, and nothing is written. Keys are case-sensitive. */
#ifndef HALVORINE2_PARAMS_H
#define HALVORINE2_PARAMS_H

#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

#define H2_UNKNOWN_INT ((int)0xF0F0F0F0)
#define H2_UNKNOWN_DOUBLE 1e20

/* Address of a text field inside the block. */
H2_API char* get_char_par(const char* key);
H2_API int get_int_par(const char* key);
/* A '-' before the key negates the value, a '+' is allowed. */
H2_API double get_double_par0(const char* key);

/* Address of an integer field; NULL also for the read-only "cyld__VARTD" and "outDst". */
H2_API int* get_int_ptr(const char* key);
H2_API double* get_double_ptr0(const char* key);
/* The array held in the field (not the field's address). */
H2_API double* get_double_ptr1(const char* key);
H2_API double** get_double_ptr2(const char* key);
H2_API double*** get_double_ptr3(const char* key);

H2_API double get_double_par1(const char* key, int i);
H2_API double get_double_par2(const char* key, int i, int j);
H2_API double get_double_par3(const char* key, int i, int j, int k);

/* Copies the text (cut to the field's length less one) and returns 0; 1 for an unknown key or NULL text. */
H2_API int set_char_par(const char* key, const char* text);
H2_API int set_int_par(const char* key, int value);
H2_API int set_double_par0(const char* key, double value);
H2_API int set_double_par1(const char* key, int i, double value);
H2_API int set_double_par2(const char* key, int i, int j, double value);
H2_API int set_double_par3(const char* key, int i, int j, int k, double value);

H2_EXTERN_C_END

#endif
