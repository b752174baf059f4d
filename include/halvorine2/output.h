/* Output routing of the current case: standard output, the dump file, or both.
 * All of these are safe on a thread without a current case: the settings do
 * nothing and the writers go to standard output. */
#ifndef HALVORINE2_OUTPUT_H
#define HALVORINE2_OUTPUT_H

#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* 0 standard output only; 1 dump file only; any other value both. */
H2_API void set_outDst(int value);
/* Names the dump file (at most 199 characters are kept). */
H2_API void set_dump_name(const char* name);
/* Deletes the dump file: 0 deleted (or no current case), -1 not deleted. */
H2_API int clear_dump(void);
/* Closes the dump file when it is open. */
H2_API void stop_dump(void);
/* printf-style output to the chosen destinations. */
H2_API void put_dump(const char* format, ...) __attribute__((format(printf, 1, 2)));
/* Writes "\n<text>\n" to the chosen destinations; the text is never a format. */
H2_API void put_err(const char* text);

H2_EXTERN_C_END

#endif
