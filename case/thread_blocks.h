// The small per-thread work blocks that sit beside the case: the stream-mixing
// context and the scratch blocks of the main and cooling fluid plug-ins.
#pragma once

#include "platform/tls.h"

namespace h2 {
inline constexpr int kStateLocalsSize = 80;
inline constexpr int kFluidLocalsSize = 144;
}  // namespace h2

extern "C" {
// 1 when the slot is still missing afterwards, else 0.
int state_init_threading(void);
int state_end_threading(void);
void* state_alloc(void);
int set_stateLocals(void* block);
void* get_stateLocals(void);

// Slot A (main fluid) then slot B (cooling fluid): 1 when one is still missing.
int fluid_init_threading(void);
int fluid_end_threading(void);
void* fluid_alloc(void);
void* cfluid_alloc(void);
int set_fluidLocals(void* block);
int set_cfluidLocals(void* block);
// 0: the main-fluid block; any other value: the cooling-fluid block.
void* get_fluidLocals(int which);
}

namespace h2 {
// Slot index handed to a fluid plug-in (0 main, other cooling); kNoSlot when none.
platform::TlsIndex fluid_slot_index(int which);
}  // namespace h2
