/* Flow files exported from the current case: the DIRECT file (a mean-line case
 * data file for the direct task) and the head of an INVERSE file. A NULL or
 * empty name writes to standard output, which is flushed and left open.
 * Each returns 0, or -1 after a message through put_err (no current case, no
 * case data, a file that cannot be opened or written). */
#ifndef HALVORINE2_FLOW_FILES_H
#define HALVORINE2_FLOW_FILES_H

#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

H2_API int ExpDirectData(const char* name);
H2_API int ExpInverseData(const char* name);

/* Schema files of the flow path for a schema editor. ExpData2Sch classifies
 * every element by its kind, section and slopes and returns 1, after the
 * listing and "# Export aborted.", when one fits no schema element;
 * ExpData2Sch_Ax writes every element after the inlet as an axial compressor
 * or turbine blade row. */
H2_API int ExpData2Sch(const char* name);
H2_API int ExpData2Sch_Ax(const char* name);

/* The DESIGN flow file of the predesign module table (see getRanges): IS is
 * the fluid code of its control row, VARTP the exit-pressure kind; kind 4
 * adds the five form lines of each module, kind 3 the inlet volute form.
 * Reads no case. -1 when the module count lies outside 0..6 (nothing is
 * written) or the file cannot be opened or written. */
H2_API int ExpDesignData(const char* name, int IS, int VARTP, int kind);

H2_EXTERN_C_END

#endif
