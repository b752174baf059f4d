/* The case block: one calculation case, shared by layout with hosts and plug-ins.
 *
 * The member list comes from case_fields.def, one line per field in block order.
 * On a 32-bit build every field sits at the byte offset given in that file and
 * the block is 216,920 bytes; on a 64-bit build pointer-sized fields grow and
 * the later offsets move, the order stays. Fields whose key has a double
 * underscore ("cyld__ns") are spelled with one underscore here (cyld_ns).
 */
#ifndef HALVORINE2_CASE_BLOCK_H
#define HALVORINE2_CASE_BLOCK_H

#include <stdint.h>
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct bdLocals bdLocals;

/* Property function of a fluid: code, three values, fluid selector (0 main, 1 cooling). */
typedef double (*FluidFunc)(int code, double a, double b, double c, int fluid);

/* Entry of a loss slot. Calculation slots (0-7) are called as
 * void f(bdLocals*, int element[, int section]); description slots (8-15) as
 * void f(int size, char* buffer). Callers cast to the form of the slot. */
typedef void (*LossEntry)(void);
typedef void (*LossCalcFunc)(bdLocals* block, int element, int section);
typedef void (*LossNoteFunc)(int size, char* buffer);

/* Host call-back with the block and the host's own argument word. */
typedef void (*CaseHook)(bdLocals* block, uintptr_t arg);

/* One unit group: view = data * factor + offset. */
typedef struct UnitGroup {
    double factor;
    double offset;
    char name[20];
    char label[20];
    uint32_t selection;
    uint32_t reserved;
} UnitGroup;

typedef struct Point2 {
    double x; /* axial coordinate */
    double y; /* radius */
} Point2;

typedef struct Point3 {
    double x, y, z;
} Point3;

/* One material curve: value against temperature, count points (0 = no curve,
 * at most 20 are read), scaled by factor where the table takes a factor. */
typedef struct MatCurveRecord {
    int32_t count;
    int32_t reserved;
    double factor;
    double temperature[20];
    double value[20];
} MatCurveRecord;

#define H2_DECL_TEXT(m, n) char m[n];
#define H2_DECL_TEXTN(m, n) char m[n];
#define H2_DECL_I32(m, n) int32_t m;
#define H2_DECL_I32RO(m, n) int32_t m;
#define H2_DECL_I32N(m, n) int32_t m;
#define H2_DECL_I32V(m, n) int32_t m[n];
#define H2_DECL_I16N(m, n) int16_t m;
#define H2_DECL_F64(m, n) double m;
#define H2_DECL_F64N(m, n) double m;
#define H2_DECL_F64V(m, n) double m[n];
#define H2_DECL_F64TAB(m, n) double m[100][10];
#define H2_DECL_ARR1(m, n) double* m;
#define H2_DECL_ARR1N(m, n) double* m;
#define H2_DECL_ARR2(m, n) double** m;
#define H2_DECL_ARR2N(m, n) double** m;
#define H2_DECL_ARR2U(m, n) double** m;
#define H2_DECL_ARR3(m, n) double*** m;
#define H2_DECL_PTR(m, n) void* m;
#define H2_DECL_WORD(m, n) uintptr_t m;
#define H2_DECL_PEER(m, n) struct bdLocals* m;
#define H2_DECL_MATCURVE(m, n) MatCurveRecord m[5][100];
#define H2_DECL_FLUIDFN(m, n) FluidFunc m;
#define H2_DECL_LOSSSLOTS(m, n) LossEntry* m[n];
#define H2_DECL_HOOK(m, n) CaseHook m;
#define H2_DECL_STREAM(m, n) FILE* m;
#define H2_DECL_UNITS(m, n) UnitGroup m[n];
#define H2_DECL_GRID(m, n) Point2* m;
#define H2_DECL_BYTES(m, n) unsigned char m[n];

struct bdLocals {
#define H2_FIELD(kind, member, key, count, off32) H2_DECL_##kind(member, count)
#include "case_fields.def"
#undef H2_FIELD
};

/* Counts of the complete array set of a case. */
#define H2_COUNT_PARAM1 307 /* per-element arrays */
#define H2_COUNT_PARAM2 180 /* per-element-and-streamline arrays */

#ifdef __cplusplus
}
#endif

#endif
