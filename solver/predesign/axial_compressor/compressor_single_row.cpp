// One compressor or fan row recomputed for the host, with the checks that
// keep a bad index or an unsized row from reaching the row calculations.
#include "halvorine2/compressor_design.h"
#include "solver/predesign/axial_compressor/compressor_rows.h"
#include "solver/solver_conventions.h"

namespace {

// The current case when element i is a row of it (1..cyld__ns), else nullptr.
bdLocals* row_case(int i) {
    bdLocals* b = h2::solvable_case();
    if (b == nullptr || i < 1 || i > b->cyld_ns) return nullptr;
    return b;
}

}  // namespace

extern "C" {

int scgR(int i) {
    bdLocals* b = row_case(i);
    if (b == nullptr) return 1;
    const int m = h2::mid_stream(*b);
    if (h2::is_rotor(*b, i)) {
        // The outlet swirl divides the work by the outlet blade speed.
        if (b->bld_d2[i] == 0.0) return 1;
        return h2::predesign::ac_rotor_row(i);
    }
    // The stator's swirl is scaled by the rotor's inlet axial velocity.
    if (b->flow_c1z[i - 1][m] == 0.0) return 1;
    return h2::predesign::ac_stator_row(i - 1);
}

int sfgR(int i) {
    bdLocals* b = row_case(i);
    if (b == nullptr) return 1;
    if (b->bld_wp[i] * b->bld_d2[i] == 0.0) return 1;
    return h2::predesign::af_rotor_row(i);
}
}
