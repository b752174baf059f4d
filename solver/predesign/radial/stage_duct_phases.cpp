// Phases shared by the unbladed and return-channel elements of a centrifugal stage.
#include "solver/predesign/radial/stage_duct_phases.h"

#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/radial/diffuser_phases.h"

namespace h2::predesign {

void take_stage_inlet(bdLocals& b, int i, int m) {
    // The vaneless diffuser's transfer takes everything but these two over.
    diffuser_inlet_transfer(b, i, m, DiffuserKind::Vaneless);
    b.isd_i1wx[i][m] = b.isd_i1x[i][m];
    b.flow_c1s[i][m] = b.flow_c2s[i - 1][m];
}

bool take_inlet_static_state(bdLocals& b, int i, int m) {
    const double c1 = b.flow_c1[i][m];
    const double i1 = b.isd_i1[i][m] = b.isd_i1x[i][m] - c1 * c1 / 2.0;
    if (!(i1 > 0.0)) return false;
    b.isd_p1[i][m] = design_fluid(b, H2_FLUID_P_IS, i1, b.isd_s1[i][m]);
    b.isd_a1[i][m] = design_fluid(b, H2_FLUID_SOUND_PI, b.isd_p1[i][m], i1);
    b.cas_B1[i][m] = b.cas_B2[i - 1][m];
    return true;
}

void book_stage_efficiency(bdLocals& b, int i, int m, int imp) {
    const double Lu = b.enrg_Lu[i][m] = b.enrg_Lu[imp][m];
    b.elem_eff[i] = Lu != 0.0 ? b.elem_eff[i - 1] - b.enrg_dhb[i][m] / Lu : b.elem_eff[i - 1];
    b.elem_effx[i] = b.elem_eff[i];
}

}  // namespace h2::predesign
