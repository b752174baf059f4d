// Element energy losses scaled by the element mass flows.
#include "case/case_arrays.h"
#include "halvorine2/threading.h"
#include "reports/report_api.h"

extern "C" {

void scale_enrg_dhb(std::uintptr_t) {
    const bdLocals* b = get_bdLocals();
    // Counts beyond the arrays would scale memory that is not the case's.
    if (b == nullptr || b->enrg_dhb == nullptr || b->elem_G1 == nullptr || !h2::path_fits_arrays(b)) return;
    for (int i = 0; i <= b->cyld_ns; ++i) {
        double* dhb = b->enrg_dhb[i];
        if (dhb == nullptr) continue;
        // Specific loss (J/kg) times mass flow (kg/s): the loss power of each streamline.
        for (int j = 0; j < b->cyld_nr; ++j) dhb[j] *= b->elem_G1[i];
    }
}
}
