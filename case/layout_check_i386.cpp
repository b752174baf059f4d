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

// The predesign module record that hosts write through the table's address.
#include "halvorine2/predesign.h"

static_assert(offsetof(PD_module, index) == 4);
static_assert(offsetof(PD_module, Disp) == 8);
static_assert(offsetof(PD_module, elemsPerStage) == 12);
static_assert(offsetof(PD_module, Dflag) == 16);
static_assert(offsetof(PD_module, Gflag) == 20);
static_assert(offsetof(PD_module, Vflag) == 24);
static_assert(offsetof(PD_module, cooled) == 28);
static_assert(offsetof(PD_module, igv_form) == 32);
static_assert(offsetof(PD_module, diff_form) == 36);
static_assert(offsetof(PD_module, uband_form) == 40);
static_assert(offsetof(PD_module, desw_form) == 44);
static_assert(offsetof(PD_module, lbau_form) == 48);
static_assert(offsetof(PD_module, lbda_form) == 52);
static_assert(offsetof(PD_module, volin_form) == 56);
static_assert(offsetof(PD_module, volout_form) == 60);
static_assert(offsetof(PD_module, PD_VAL) == 64);
static_assert(offsetof(PD_module, PD_VAR_lower) == 144);
static_assert(offsetof(PD_module, PD_VAR_upper) == 224);
static_assert(offsetof(PD_module, restoreFlag) == 304);
static_assert(offsetof(PD_module, PD_ACH) == 312);
static_assert(offsetof(PD_module, PD_LIM_lower) == 392);
static_assert(offsetof(PD_module, PD_LIM_upper) == 472);
static_assert(offsetof(PD_module, PD_SRC_P0) == 552);
static_assert(offsetof(PD_module, PD_SRC_I0) == 560);
static_assert(offsetof(PD_module, PD_SRC_A0) == 568);
static_assert(offsetof(PD_module, PD_SRC_OM) == 576);
static_assert(offsetof(PD_module, PD_SRC_G) == 584);
static_assert(offsetof(PD_module, PD_SRC_P2N) == 592);
static_assert(offsetof(PD_module, PD_SRC_AF) == 600);
static_assert(offsetof(PD_module, bladeDensity) == 608);
static_assert(offsetof(PD_module, dtm) == 616);
static_assert(offsetof(PD_module, PD_model) == 632);
static_assert(offsetof(PD_module, atlasListS) == 636);
static_assert(offsetof(PD_module, atlasListR) == 836);
static_assert(offsetof(PD_module, prereq28) == 1036);
static_assert(offsetof(PD_module, prereq29) == 1040);
static_assert(offsetof(PD_module, profNameS) == 1044);
static_assert(offsetof(PD_module, profNameR) == 1244);
static_assert(offsetof(PD_module, useAtlasS) == 1444);
static_assert(offsetof(PD_module, useAtlasR) == 1448);
static_assert(sizeof(PD_module) == 1456, "module record is not 1,456 bytes");
