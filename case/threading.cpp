// The thread's current case, the process-wide run lock and the lock utilities.
#include "halvorine2/threading.h"

#include <atomic>
#include <mutex>
#include <new>

#include "case/current_case.h"
#include "case/thread_blocks.h"
#include "numerics/fr_locals.h"
#include "platform/tls.h"

// Windows critical sections are re-entrant: the same thread may enter again.
struct CritSec {
    std::recursive_mutex mutex;
};

namespace {
h2::platform::TlsIndex g_case_slot = h2::platform::kNoSlot;
CritSec* g_bdCritSec = nullptr;
}  // namespace

// The solver asks for the current case at every trial of every element, so
// each thread keeps its own copy of what it last put in or read from the
// slot. The copy is only good for the slot it came from: a new or freed slot
// moves the generation on, and the next read goes to the slot again.
std::atomic<unsigned> h2::g_case_slot_generation{1};
constinit thread_local h2::CaseMirror h2::t_case_mirror{};

namespace {

void put_case(bdLocals* block) {
    if (h2::platform::tls_set(g_case_slot, block))
        h2::t_case_mirror = {h2::g_case_slot_generation.load(std::memory_order_acquire), block};
    else
        h2::t_case_mirror = {};  // read the slot again next time
}
}  // namespace

extern "C" {

int binit_threading(void) {
    if (g_case_slot == h2::platform::kNoSlot) {
        g_case_slot = h2::platform::tls_alloc();
        h2::g_case_slot_generation.fetch_add(1, std::memory_order_acq_rel);
    }
    if (g_case_slot == h2::platform::kNoSlot) return 1;
    // A repeated call keeps the lock: another thread may be holding it.
    if (g_bdCritSec == nullptr) g_bdCritSec = InitCritSec();
    fluid_init_threading();
    fr_init_threading();
    state_init_threading();
    return 0;
}

int bend_threading(void) {
    if (g_case_slot != h2::platform::kNoSlot) {
        h2::platform::tls_free(g_case_slot);
        g_case_slot = h2::platform::kNoSlot;
        h2::g_case_slot_generation.fetch_add(1, std::memory_order_acq_rel);
    }
    // Cleared so that get_bdCritSec never hands out a freed lock.
    DelCritSec(g_bdCritSec);
    g_bdCritSec = nullptr;
    fr_end_threading();
    fluid_end_threading();
    state_end_threading();
    return 0;
}

int set_bdLocals(bdLocals* block) {
    if (g_case_slot == h2::platform::kNoSlot || block == nullptr) return 0;
    put_case(block);
    return 1;
}

bdLocals* get_bdLocals(void) {
    const unsigned generation = h2::g_case_slot_generation.load(std::memory_order_acquire);
    if (h2::t_case_mirror.generation != generation)
        h2::t_case_mirror = {generation, static_cast<bdLocals*>(h2::platform::tls_get(g_case_slot))};
    return h2::t_case_mirror.block;
}

CritSec* get_bdCritSec(void) { return g_bdCritSec; }

CritSec* InitCritSec(void) { return new (std::nothrow) CritSec; }

void EnterCritSec(CritSec* cs) {
    if (cs) cs->mutex.lock();
}

void LeaveCritSec(CritSec* cs) {
    if (cs) cs->mutex.unlock();
}

void DelCritSec(CritSec* cs) { delete cs; }

int isValidptr(const void* p) { return p != nullptr ? 1 : 0; }
}

namespace h2 {
void clear_current_case() { put_case(nullptr); }
}  // namespace h2
