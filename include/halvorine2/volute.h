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
    /* What VoloutInit allocated: rows of each table and points per row. A host
     * may change n and m after VoloutInit; the tables are released, copied and
     * checked by these, never by n and m. */
    int32_t alloc_rows;
    int32_t alloc_points;
} Volout;

/* A new zero-filled record with its three tables of n + 100 rows of m + 10
 * points; NULL when the record cannot be allocated. A table that cannot be
 * allocated whole stays NULL (a design then refuses the record). */
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

/* Draws the outlet volute named by rec->form (0, 1, 10 or 21) from the
 * record's inputs cs, cu, r2, hb2, b2, gap, n, m into tables A (section
 * contours), B (inlet slot) and C (outlet pipe), their extents, and the
 * results Dk, bk, hk. 0 done; 1 with the record untouched for a NULL record,
 * another form, n or m below 1, a missing table, tables too small for the
 * design, or inputs that give no real section (no flow, no swirl). */
H2_API int VoloutDesign(Volout* rec);

/* Draws the inlet volute named by rec->form (1 log spiral, 2 circular
 * sections, 3 linear law) from A2 (degrees), r2, b2 and n into rows 0..n-1 of
 * table A, nA, mA and the results Dk, bk, hk. 0 done; 1 with the record
 * untouched for a NULL record, another form, n below 2, a missing table A or
 * one too small for n rows of the form's points. */
H2_API int VolinDesign(Volout* rec);

H2_EXTERN_C_END

#endif
