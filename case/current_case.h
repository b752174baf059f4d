// Internal access to the thread's current case.
#pragma once

#include "halvorine2/threading.h"

namespace h2 {
// Forgets the calling thread's current case (after the case is released, so
// that a freed block is never reachable).
void clear_current_case();
// Gives the calling thread fresh zero-filled work blocks (search, mixing, fluids).
void alloc_thread_work_blocks();
}  // namespace h2
