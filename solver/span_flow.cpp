// Spanwise fields of an element, recomputed from its mean-line values.
#include <cstddef>

#include "case/case_arrays.h"
#include "halvorine2/threading.h"
#include "solver/solver_api.h"

namespace {

// elem__sectType of an element with radial sections.
constexpr double kRadialSections = 1.0;

// The arrays that the inlet radii are computed from and written to exist, and
// the element and its streamlines lie inside them.
bool radii_computable(const bdLocals* b, int element) {
    return b->elem_sectType && b->bld_d1 && b->bld_l1 && b->bld_wp && b->flow_r1 && b->flow_u1 &&
           h2::path_fits_arrays(b) && element >= 0 && element <= b->cyld_ns && b->flow_r1[element] &&
           b->flow_u1[element];
}

}  // namespace

extern "C" {

// Stands in for the spanwise solve until the flow-path solver lands: only the
// inlet radii and blade speeds are recomputed.
void span_flow(int element, int flag) {
    const bdLocals* b = get_bdLocals();
    if (b == nullptr || !radii_computable(b, element)) return;
    // The inlet has no element before it; it decides for itself.
    const int decider = (flag == 1 && element > 0) ? element - 1 : element;
    const int NI = b->cyld_nr;
    const double d1 = b->bld_d1[element];
    const double l1 = b->bld_l1[element];
    double* r1 = b->flow_r1[element];
    double* u1 = b->flow_u1[element];
    // A radial inlet meets every streamline at one radius; otherwise the
    // streamlines are spread evenly over the blade height, hub to tip.
    const bool one_radius = b->elem_sectType[decider] == kRadialSections || NI == 1;
    for (int k = 0; k < NI; ++k) {
        r1[k] = one_radius ? d1 / 2 : (d1 - l1) / 2 + k * l1 / (NI - 1);
        u1[k] = b->bld_wp[element] * r1[k];  // blade speed = angular speed x radius
    }
}

// Stands in for the axial spanwise solve until the flow-path solver lands: no effect.
void span_flow_axial(int) {}
}
