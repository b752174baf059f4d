// Internal access to the thread's current case.
#pragma once

#include <atomic>

#include "halvorine2/threading.h"

namespace h2 {

// The thread's copy of what it last put in or read from the current-case
// slot, good while the slot's generation is the one it was taken in.
struct CaseMirror {
    unsigned generation = 0;
    bdLocals* block = nullptr;
};
extern constinit thread_local CaseMirror t_case_mirror;
extern std::atomic<unsigned> g_case_slot_generation;

// get_bdLocals() for the library's own hot paths: the thread's copy when it
// is current, else the slot itself.
inline bdLocals* current_case() {
    const CaseMirror& m = t_case_mirror;
    if (m.generation == g_case_slot_generation.load(std::memory_order_acquire)) return m.block;
    return get_bdLocals();
}

// Forgets the calling thread's current case (after the case is released, so
// that a freed block is never reachable).
void clear_current_case();
// Gives the calling thread fresh zero-filled work blocks (search, mixing, fluids).
void alloc_thread_work_blocks();
}  // namespace h2
