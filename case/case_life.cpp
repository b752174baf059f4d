// Creation and release of a case.
#include <cstdio>
#include <cstdlib>

#include "case/case_arrays.h"
#include "case/current_case.h"
#include "case/output_internal.h"
#include "case/text_field.h"
#include "case/thread_blocks.h"
#include "halvorine2/case_data.h"
#include "halvorine2/strength.h"
#include "halvorine2/threading.h"
#include "halvorine2/units.h"
#include "halvorine2/volute.h"
#include "numerics/fr_locals.h"

namespace h2 {
void alloc_thread_work_blocks() {
    // Fresh work blocks for the thread; one that cannot be had leaves the old one.
    fluid_alloc();
    cfluid_alloc();
    fr_alloc();
    state_alloc();
}
}  // namespace h2

extern "C" {

bdLocals* binit(void) {
    auto* b = static_cast<bdLocals*>(std::calloc(1, sizeof(bdLocals)));
    if (b == nullptr) return nullptr;
    if (set_bdLocals(b) == 0) {
        std::free(b);
        return nullptr;
    }
    unitsSetSI();
    h2::copy_text(b->ModelBase, ".");
    h2::alloc_thread_work_blocks();
    b->volout = nullptr;
    return b;
}

void bterm(void) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr) return;
    // The section models the case loaded go with it.
    term_model();
    VoloutTerm(static_cast<Volout*>(b->volout));
    b->volout = nullptr;
    if (h2::has_any_array(b)) {
        // A set left incomplete by a failed allocation does not count down to
        // zero; whatever the counted release leaves is swept, not leaked.
        if (free_probdata() != 0) h2::sweep_arrays(b);
    }
    // A dump left open by an interrupted run would otherwise stay open for good.
    if (b->dump_stream && b->dump_stream != h2::thread_dump_capture()) std::fclose(b->dump_stream);
    h2::clear_current_case();
    std::free(b);
}
}
