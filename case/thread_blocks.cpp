#include "case/thread_blocks.h"

#include "platform/thread_block.h"

namespace {
h2::platform::ThreadBlockSlot g_state_slot;
h2::platform::ThreadBlockSlot g_fluid_slot;   // main fluid
h2::platform::ThreadBlockSlot g_cfluid_slot;  // cooling fluid
}  // namespace

extern "C" {

int state_init_threading(void) { return g_state_slot.init() ? 0 : 1; }

int state_end_threading(void) {
    g_state_slot.end();
    return 0;
}

void* state_alloc(void) { return g_state_slot.alloc(h2::kStateLocalsSize); }
int set_stateLocals(void* block) { return g_state_slot.set(block) ? 1 : 0; }
void* get_stateLocals(void) { return g_state_slot.get(); }

int fluid_init_threading(void) {
    if (!g_fluid_slot.init()) return 1;
    return g_cfluid_slot.init() ? 0 : 1;
}

int fluid_end_threading(void) {
    g_fluid_slot.end();
    g_cfluid_slot.end();
    return 0;
}

void* fluid_alloc(void) { return g_fluid_slot.alloc(h2::kFluidLocalsSize); }
void* cfluid_alloc(void) { return g_cfluid_slot.alloc(h2::kFluidLocalsSize); }
int set_fluidLocals(void* block) { return g_fluid_slot.set(block) ? 1 : 0; }
int set_cfluidLocals(void* block) { return g_cfluid_slot.set(block) ? 1 : 0; }
void* get_fluidLocals(int which) { return which == 0 ? g_fluid_slot.get() : g_cfluid_slot.get(); }
}

namespace h2 {
platform::TlsIndex fluid_slot_index(int which) {
    return which == 0 ? g_fluid_slot.index() : g_cfluid_slot.index();
}
}  // namespace h2
