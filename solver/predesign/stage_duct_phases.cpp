// Phases shared by the unbladed and return-channel elements of a centrifugal stage.
#include "solver/predesign/stage_duct_phases.h"

#include "solver/gravity_head.h"

namespace h2::predesign {

void take_stage_inlet(bdLocals& b, int i, int m) {
    const int p = i - 1;
    b.elem_G2[i] = b.elem_G2[p];
    b.elem_G1[i] = b.elem_G2[i];
    b.elem_p0[i] = b.isd_p2x[p][m];
    b.isd_p1wx[i][m] = b.isd_p1x[i][m] = b.elem_p0[i];
    b.elem_i0[i] = b.isd_i2x[p][m];
    b.isd_i1wx[i][m] = b.isd_i1x[i][m] = b.elem_i0[i];
    b.isd_i1x[i][m] += grav_head_in(i, m);
    b.elem_i0[i] = b.isd_i1wx[i][m] = b.isd_i1x[i][m];
    b.isd_s1[i][m] = b.isd_s2[p][m];
    b.isd_Ro1[i][m] = b.isd_Ro2[p][m];
    b.flow_c1s[i][m] = b.flow_c2s[p][m];
    b.flow_c1z[i][m] = b.flow_c2z[p][m];
    b.flow_c1r[i][m] = b.flow_c2r[p][m];
    b.flow_c1u[i][m] = b.flow_c2u[p][m];
    b.flow_c1[i][m] = b.flow_c2[p][m];
    b.flow_w1u[i][m] = b.flow_w2u[p][m];
    b.flow_w1[i][m] = b.flow_w2[p][m];
}

void book_stage_efficiency(bdLocals& b, int i, int m, int imp) {
    const double Lu = b.enrg_Lu[i][m] = b.enrg_Lu[imp][m];
    b.elem_eff[i] = Lu != 0.0 ? b.elem_eff[i - 1] - b.enrg_dhb[i][m] / Lu : b.elem_eff[i - 1];
    b.elem_effx[i] = b.elem_eff[i];
}

}  // namespace h2::predesign
