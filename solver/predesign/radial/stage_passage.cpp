// The volute slot of a centrifugal stage that is not the module's last: the
// outlet volute belongs after the last stage only, so the slot carries the
// return channel's outflow on to the next impeller unchanged, as a duct of
// no length.
#include "halvorine2/threading.h"
#include "solver/predesign/centrifugal_elements.h"

namespace h2::predesign {
namespace {

constexpr double kDuct = 0.0;

}  // namespace

int rc_passage_design(int i) {
    bdLocals* bp = get_bdLocals();
    if (bp == nullptr || i < 1 || i > bp->cyld_ns) return 1;
    bdLocals& b = *bp;
    const int p = i - 1;
    b.elem_sectType[i] = b.elem_sectType[p];
    write_stage_element(b, i, kDuct);
    b.elem_G1[i] = b.elem_G2[i] = b.elem_G2[p];
    b.elem_p0[i] = b.isd_p2x[p][0];
    b.elem_i0[i] = b.isd_i2x[p][0];
    b.bld_d1[i] = b.bld_d2[i] = b.bld_d2[p];
    b.bld_d2s[i] = b.bld_d2s[p];
    b.bld_l1[i] = b.bld_l2[i] = b.bld_l2[p];
    b.bld_wp[i] = 0.0;
    b.bld_z[i] = 0.0;
    b.enrg_dhd[i] = 0.0;
    b.elem_eff[i] = b.elem_eff[p];
    b.elem_effx[i] = b.elem_effx[p];
    for (int j = 0; j < b.cyld_nr; ++j) {
        // Inlet and outlet are the outlet of the element before; a stationary
        // element's relative flow is its absolute flow.
        b.isd_p1[i][j] = b.isd_p2[i][j] = b.isd_p2[p][j];
        b.isd_i1[i][j] = b.isd_i2[i][j] = b.isd_i2t[i][j] = b.isd_i2[p][j];
        b.isd_p1x[i][j] = b.isd_p2x[i][j] = b.isd_p1wx[i][j] = b.isd_p2wx[i][j] = b.isd_p2x[p][j];
        b.isd_i1x[i][j] = b.isd_i2x[i][j] = b.isd_i1wx[i][j] = b.isd_i2wx[i][j] = b.isd_i2x[p][j];
        b.isd_Ro1[i][j] = b.isd_Ro2[i][j] = b.isd_Ro2[p][j];
        b.isd_s1[i][j] = b.isd_s2[i][j] = b.isd_s2[p][j];
        b.isd_a1[i][j] = b.isd_a2[i][j] = b.isd_a2[p][j];
        b.flow_r1[i][j] = b.flow_r2[i][j] = b.flow_r2[p][j];
        b.flow_u1[i][j] = b.flow_u2[i][j] = 0.0;
        b.flow_ucu1[i][j] = b.flow_ucu2[i][j] = 0.0;
        b.flow_c1[i][j] = b.flow_c2[i][j] = b.flow_w1[i][j] = b.flow_w2[i][j] = b.flow_c2[p][j];
        b.flow_c1z[i][j] = b.flow_c2z[i][j] = b.flow_c2z[p][j];
        b.flow_c1r[i][j] = b.flow_c2r[i][j] = b.flow_c2r[p][j];
        b.flow_c1s[i][j] = b.flow_c2s[i][j] = b.flow_c2s[p][j];
        b.flow_c1u[i][j] = b.flow_c2u[i][j] = b.flow_w1u[i][j] = b.flow_w2u[i][j] = b.flow_c2u[p][j];
        b.cas_t1[i][j] = b.cas_t2[i][j] = b.cas_t2[p][j];
        b.cas_B1[i][j] = b.cas_B1g[i][j] = b.cas_B2[i][j] = b.cas_B2g[i][j] = b.cas_B2a[i][j] =
            b.cas_B2[p][j];
        b.cas_A1[i][j] = b.cas_A2[i][j] = b.cas_A2[p][j];
        b.cas_x2[i][j] = b.cas_x2[p][j];
        b.enrg_Lu[i][j] = b.enrg_Lu[p][j];
        b.enrg_dhb[i][j] = 0.0;
        b.enrg_zb[i][j] = 0.0;
        b.los_Los[i][j] = 1.0;
    }
    return 0;
}

}  // namespace h2::predesign
