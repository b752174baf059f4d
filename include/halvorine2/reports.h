/* Reports of the calling thread's current case. */
#ifndef HALVORINE2_REPORTS_H
#define HALVORINE2_REPORTS_H

#include <stdio.h>

#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* Writes the source-data report of the current case to stream (standard
 * output for a NULL stream), then flushes it. Nothing is written without a
 * current case, without its arrays or with counts past them. */
H2_API void report_data(FILE* stream);

H2_EXTERN_C_END

#endif
