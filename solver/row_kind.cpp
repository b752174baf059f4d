// Turbine and compressor row tests of the solver.
#include "case/current_case.h"
#include "halvorine2/profiles.h"
#include "halvorine2/walkers.h"
#include "physics/profile_class.h"
#include "solver/solver_conventions.h"

namespace h2 {

namespace {
constexpr int kFirstAnalysisTask = 10;
}

bool turbine_row(const bdLocals& b, int i, int j) {
    if (b.cyld_VART < kFirstAnalysisTask) return is_expanding(b);
    return turb_prof_in(&b, i, j) != 0;
}

bool compressor_row(const bdLocals& b, int i, int j) {
    if (b.cyld_VART < kFirstAnalysisTask) {
        const double k = b.elem_stagType[i];
        return !is_expanding(b) && k != kKindDiffuser && k != kKindUBend && k != kKindDeswirler;
    }
    return comp_prof_in(&b, i, j) != 0;
}

bool velocity_dump(const bdLocals& b, int i) {
    if (!is_expanding(b)) return false;
    if (is_rotor(b, i)) return i > 0 && b.elem_NSEGM[i - 1] < 0.0;
    return is_stator(b, i) && next_rotor(i) == 0 && b.elem_NSEGM[i] < 0.0;
}

}  // namespace h2

#include "case/case_arrays.h"
#include "halvorine2/threading.h"

namespace h2 {

bdLocals* solvable_case() {
    bdLocals* b = h2::current_case();
    if (b == nullptr || b->fluid_func == nullptr) return nullptr;
    // A host that changed the counts after the arrays were made would walk past them.
    if (b->alloc_elems <= 0 || !path_fits_arrays(b)) return nullptr;
    if (b->elem_stagType == nullptr || b->isd_p2 == nullptr || b->flow_w2 == nullptr || b->los_Fp == nullptr)
        return nullptr;
    return b;
}

}  // namespace h2
