#include "reports/gauging_angles.h"

#include "case/case_arrays.h"
#include "case/walkers_internal.h"
#include "halvorine2/threading.h"
#include "physics/angle_mask.h"

extern "C" int refresh_gauging_angles(void) {
    bdLocals* c = get_bdLocals();
    if (c == nullptr || (c->cyld_VART != 40 && c->cyld_VART != 400)) return 1;
    // Counts that do not fit the arrays, or arrays that are missing, would be walked past or through NULL.
    if (c->elem_stagType == nullptr || c->cas_B2a == nullptr || !h2::path_fits_arrays(c)) return 0;
    for (int i = 0; i <= c->cyld_ns; ++i) {
        if (!h2::is_blade_row(*c, i) || c->cas_B2a[i] == nullptr) continue;
        for (int j = 0; j < c->cyld_nr; ++j) c->cas_B2a[i][j] = ang_mask_apply(i, c->cas_B2a[i][j]);
    }
    return 0;
}
