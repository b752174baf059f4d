#include "numerics/fr_locals.h"

#include "platform/thread_block.h"

namespace {
h2::platform::ThreadBlockSlot g_fr_slot;
}

extern "C" {

int fr_init_threading(void) { return g_fr_slot.init() ? 0 : 1; }

int fr_end_threading(void) {
    g_fr_slot.end();
    return 0;
}

h2::frLocals* fr_alloc(void) { return static_cast<h2::frLocals*>(g_fr_slot.alloc(sizeof(h2::frLocals))); }

int fr_set(h2::frLocals* block) { return g_fr_slot.set(block) ? 1 : 0; }

h2::frLocals* get_frLocals(void) { return static_cast<h2::frLocals*>(g_fr_slot.get()); }
}
