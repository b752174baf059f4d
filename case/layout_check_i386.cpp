// Compiled alone with -m32 -fsyntax-only: on a 32-bit target every field of the
// case block must sit at its documented offset, so hosts and plug-ins written
// against the documented layout see the fields where they expect them.
#include <cstddef>

#include "halvorine2/case_block.h"

static_assert(sizeof(void*) == 4, "this check is meant for a 32-bit target");
static_assert(sizeof(UnitGroup) == 64);
static_assert(sizeof(Point2) == 16);
static_assert(sizeof(Point3) == 24);
static_assert(sizeof(MatCurveRecord) == 336);
static_assert(offsetof(MatCurveRecord, factor) == 8);
static_assert(offsetof(MatCurveRecord, temperature) == 16);
static_assert(offsetof(MatCurveRecord, value) == 176);

#define H2_FIELD(kind, member, key, count, off32) \
    static_assert(offsetof(bdLocals, member) == (off32), "offset of " #member " moved");
#include "halvorine2/case_fields.def"
#undef H2_FIELD

static_assert(sizeof(bdLocals) == 216920, "case block is not 216,920 bytes");
