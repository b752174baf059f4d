// The module record on this build's target: the documented field order, the
// model pointer pointer-sized, and the fixed-size parts unchanged, so a host
// that writes the records by field name sees what the library reads.
#include <cstddef>
#include <cstdint>

#include "halvorine2/predesign.h"

namespace {

constexpr std::size_t kHeadWords = 16 * sizeof(std::int32_t);
constexpr std::size_t kSlotsBytes = PD_MODULE_SLOTS * sizeof(double);

static_assert(offsetof(PD_module, PD_VAL) == kHeadWords);
static_assert(offsetof(PD_module, PD_VAR_upper) == offsetof(PD_module, PD_VAR_lower) + kSlotsBytes);
static_assert(offsetof(PD_module, restoreFlag) == offsetof(PD_module, PD_VAR_upper) + kSlotsBytes);
static_assert(offsetof(PD_module, PD_ACH) == offsetof(PD_module, restoreFlag) + 8);
static_assert(offsetof(PD_module, PD_LIM_upper) == offsetof(PD_module, PD_LIM_lower) + kSlotsBytes);
static_assert(offsetof(PD_module, PD_SRC_P0) == offsetof(PD_module, PD_LIM_upper) + kSlotsBytes);
static_assert(offsetof(PD_module, PD_model) == offsetof(PD_module, dtm) + 16);
static_assert(sizeof(PD_module::PD_model) == sizeof(void*));
static_assert(offsetof(PD_module, PD_model) % alignof(void*) == 0);
static_assert(offsetof(PD_module, atlasListS) == offsetof(PD_module, PD_model) + sizeof(void*));
static_assert(offsetof(PD_module, prereq28) == offsetof(PD_module, atlasListS) + 2 * PD_MODULE_TEXT);
static_assert(offsetof(PD_module, profNameS) == offsetof(PD_module, prereq29) + 4);
static_assert(offsetof(PD_module, useAtlasS) == offsetof(PD_module, profNameS) + 2 * PD_MODULE_TEXT);
static_assert(offsetof(PD_module, reserved_1452) == offsetof(PD_module, useAtlasR) + 4);
// The record is exactly its fields: 1,456 bytes less the 32-bit pointer plus this target's.
static_assert(sizeof(PD_module) ==
              (1456 - 4 + sizeof(void*) + alignof(PD_module) - 1) / alignof(PD_module) * alignof(PD_module));

// The 64-bit record as hosts of this build see it: the fixed part up to 631,
// the model pointer at 632, everything after it 4 bytes on.
static_assert(sizeof(void*) != 8 ||
              (offsetof(PD_module, PD_model) == 632 && offsetof(PD_module, atlasListS) == 640 &&
               offsetof(PD_module, useAtlasR) == 1452 && sizeof(PD_module) == 1464));

}  // namespace
