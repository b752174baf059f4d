/* Profile atlas files: the profile names of a contour atlas file and of an
 * atlas table file. */
#ifndef HALVORINE2_ATLAS_H
#define HALVORINE2_ATLAS_H

#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* Profile names of the contour atlas file, separated by one blank, into buf;
 * returns the number of profiles. Names longer than 79 characters are cut to
 * 79, so 80 bytes per profile always suffice. 0 when the file cannot be
 * opened (buf untouched) or file or buf is NULL; -1 when the file ends inside
 * a block (buf holds the names before it). */
H2_API int EnumAtl(const char* file, char* buf);
/* Profile names of the atlas table file into buf, each after one blank
 * (" A B"); returns the number of profiles. Names are cut to 79 characters,
 * so 80 bytes per profile and one more always suffice. 0 when the file cannot
 * be opened (buf untouched) or file or buf is NULL; -1 for a bad block header
 * or a file that ends before the header values, -2 before the B2 grid, -3
 * before the tb grid, -4 inside the table (buf holds the names before it). */
H2_API int EnumAtt(const char* file, char* buf);

H2_EXTERN_C_END

#endif
