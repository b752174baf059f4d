/* The volute record of a case: inputs of a volute design and its point tables. */
#ifndef HALVORINE2_VOLUTE_H
#define HALVORINE2_VOLUTE_H

#include <stdint.h>

#include "halvorine2/case_block.h"
#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

typedef struct Volout {
    int32_t form;                   /* geometry form */
    double cs;                      /* meridional velocity at the volute inlet, m/s */
    double cu;                      /* tangential velocity at the volute inlet, m/s */
    double A2;                      /* exit flow angle of an inlet volute, degrees */
    double r2;                      /* radius where the volute meets the machine, m */
    double hb2;                     /* half the inlet width, m */
    double b2;                      /* width where the volute meets the machine, m */
    double gap;                     /* tongue offset / side clearance, m */
    int32_t n;                      /* circumferential stations asked for */
    int32_t m;                      /* contour points per section asked for */
    int32_t nA, mA, nB, mB, nC, mC; /* used extents of the tables */
    Point3** A;                     /* n + 100 rows of m + 10 points: section contours */
    Point3** B;                     /* reference points of the inlet slot */
    Point3** C;                     /* contours of the outlet pipe */
    double Dk, bk, hk;              /* results: outer diameter, equivalent section width and height */
} Volout;

/* A new zero-filled record with its three tables; NULL when the record cannot be allocated. */
H2_API Volout* VoloutInit(int form, int n, int m);
/* Gives dst its own copy of src's volute record: form, n, m, the inputs cs,
 * cu, r2, hb2, b2, gap and the used rows and points of tables A, C and B (A2,
 * Dk, bk, hk stay 0). Used extents that reach past a table (n + 100 rows of
 * m + 10 points) are clamped to it, in the copy's extents too. dst's former
 * record is not released. 0 done; 1 when either block is NULL or src has no
 * record (dst unchanged), or the new record cannot be allocated (dst's volout
 * is then NULL). */
H2_API int VoloutCopy(bdLocals* src, bdLocals* dst);
/* Releases the record and its tables; NULL does nothing. Always 0. */
H2_API int VoloutTerm(Volout* rec);

H2_EXTERN_C_END

#endif
