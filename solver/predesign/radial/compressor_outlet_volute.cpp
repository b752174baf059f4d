// Outlet volute of a centrifugal compressor stage: the outlet section sized
// from the flow leaving the element before (and, for options 5 to 8, the
// volute drawn by a geometry form into the case's volute record), then the
// outlet density iterated through that section with a velocity-coefficient
// loss. All the outlet velocity is tangential.
#include <algorithm>

#include "halvorine2/threading.h"
#include "physics/loss_wrappers.h"
#include "solver/gravity_head.h"
#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/radial/diffuser_phases.h"
#include "solver/predesign/radial/stage_duct_phases.h"
#include "solver/predesign/volute_design.h"

namespace h2::predesign {
namespace {

constexpr double kOutletVolute = 4.0;
constexpr double kAngularSection = 2.0;
// Stations and contour points of a record the element makes.
constexpr int kRecordStations = 36;
constexpr int kRecordPoints = 36;
// Tongue offset and pipe shift of the drawn volute, m.
constexpr double kGap = 0.002;
// Options from this one on draw the volute by a geometry form.
constexpr int kFirstDrawnOption = 5;

// The geometry form an option draws, or -1 for an option that names none.
int geometry_form(int sel) {
    switch (sel) {
        case 5:
            return 0;  // free vortex
        case 6:
            return 1;  // quadratic law
        case 7:
            return 10;  // free vortex on one side wall
        case 8:
            return 21;  // rectangular sections
        default:
            return -1;
    }
}

}  // namespace

int rc_volout_design(int i, int sel, int imp) {
    bdLocals& b = *get_bdLocals();
    const int m = b.cyld_nr / 2;
    const int p = i - 1;

    // Frame.
    int passes = pass_limit(b);
    b.elem_sectType[i] = kAngularSection;
    write_stage_element(b, i, kOutletVolute);
    b.bld_k[i] = slot(b, 80, 6.0);
    b.los_Los[i][m] = slot(b, 124, 0.7);
    b.los_om[i][m] = 0.0;
    b.enrg_dhd[i] = 0.0;
    b.enrg_dhb[i][m] = 0.0;

    // Inlet: the outlet of the element before.
    b.flow_c1r[i][m] = b.flow_c2r[p][m];
    b.flow_c1u[i][m] = b.flow_c2u[p][m];
    b.flow_c1[i][m] = b.flow_c2[p][m];
    b.cas_t1[i][m] = 90.0;
    b.cas_t2[i][m] = 180.0;
    b.elem_p0[i] = b.isd_p2x[p][m];
    b.isd_p2wx[i][m] = b.isd_p1wx[i][m] = b.isd_p1x[i][m] = b.elem_p0[i];
    b.isd_p1[i][m] = b.isd_p2[p][m];
    b.isd_i1[i][m] = b.isd_i2[p][m];
    b.isd_Ro1[i][m] = b.isd_Ro2[p][m];
    b.elem_i0[i] = b.isd_i2x[p][m];
    b.isd_i2wx[i][m] = b.isd_i2x[i][m] = b.isd_i1wx[i][m] = b.isd_i1x[i][m] = b.elem_i0[i];
    b.isd_i1x[i][m] += grav_head_in(i, m);
    b.isd_i2x[i][m] = b.isd_i1x[i][m] + grav_head_out(i, m);
    b.elem_i0[i] = b.isd_i2wx[i][m] = b.isd_i2x[i][m];
    b.cas_B1[i][m] = b.cas_B2[p][m];
    b.elem_G2[i] = b.elem_G2[p];
    b.elem_G1[i] = b.elem_G2[i];

    // Outlet section: sized from the outlet velocity law, or drawn by the
    // option's geometry form. A design that fails has no section to carry
    // the flow, so the element ends before its loss and outlet state.
    const bool drawn = sel >= kFirstDrawnOption;
    const int form = geometry_form(sel);
    if (drawn && form < 0) return 1;
    double Dk = 0.0, bk = 0.0, hk = 0.0, ck = 0.0;
    if (volout_section(drawn ? sel : 1, b.bld_d2[p], b.bld_l2[p], b.cas_B2[p][m], b.flow_c2[p][m], &Dk, &bk,
                       &hk, &ck) != 0)
        return 1;
    if (drawn) {
        auto* rec = static_cast<Volout*>(b.volout);
        if (rec == nullptr) {
            rec = VoloutInit(form, kRecordStations, kRecordPoints);
            if (rec == nullptr) return 1;
            b.volout = rec;
        }
        rec->form = form;
        rec->cs = b.flow_c2s[p][m];
        rec->cu = b.flow_c2u[p][m];
        rec->r2 = b.bld_d2[p] / 2.0;
        rec->b2 = b.bld_l2[p];
        rec->hb2 = rec->b2 / 2.0;
        rec->gap = kGap;
        if (VoloutDesign(rec) != 0) return 1;
        Dk = rec->Dk;
        bk = rec->bk;
        hk = rec->hk;
    }
    b.vol_D7[i] = b.bld_d2[p];
    b.vol_b7[i] = b.bld_l2[p];
    b.vol_Dk[i] = Dk;
    b.vol_bk[i] = bk;
    b.vol_hk[i] = hk;
    b.cas_x2[i][m] = b.cas_x2[p][m];
    b.vol_form[i] = sel;
    b.vol_model[i] = b.vol_form[i];
    b.volos_limit[i] = b.los_limit[i];

    // Loss on the larger of the inlet and section velocities.
    (void)elem_loss_volout(i, m);
    (void)elem_dev_volout(i, m, 0.0);
    const double c1 = b.flow_c1[i][m];
    b.enrg_dhb[i][m] = kinetic_energy_loss(b.los_Los[i][m], std::max(c1 * c1, ck * ck));

    // Outlet density: continuity through the outlet section with the density
    // of the pass before, on the inlet isentrope shifted by the loss.
    const double Ak = bk * hk;
    const double h0 = b.isd_i2x[i][m];
    const double G = b.elem_G2[i];
    const double tol = pass_tolerance(b);
    const double s1 = b.isd_s1[i][m] = b.isd_s2[p][m];
    double rho = b.isd_Ro2[p][m];
    double c = 0.0, h = 0.0;
    for (;;) {
        const double previous = rho;
        c = G / (rho * Ak);
        h = h0 - c * c / 2.0;
        b.isd_p2[i][m] = design_fluid(b, H2_FLUID_P_IS, h - b.enrg_dhb[i][m], s1);
        rho = design_fluid(b, H2_FLUID_RHO_PI, b.isd_p2[i][m], h);
        if (std::fabs(previous - rho) < tol) break;
        if (--passes == 0) return 1;
    }

    // Outlet state: the whole outlet velocity is tangential.
    b.isd_i2[i][m] = h;
    diffuser_outlet_state(b, i, m);
    b.isd_i2t[i][m] = design_fluid(b, H2_FLUID_I_PS, b.isd_p2[i][m], s1);
    b.isd_Ro2[i][m] = rho;
    b.isd_a1[i][m] = design_fluid(b, H2_FLUID_SOUND_PI, b.isd_p1[i][m], b.isd_i1[i][m]);
    b.flow_c2r[i][m] = b.flow_c2z[i][m] = b.flow_c1z[i][m] = 0.0;
    b.flow_c2[i][m] = b.flow_w2[i][m] = b.flow_c2u[i][m] = c;

    book_stage_efficiency(b, i, m, imp);
    return 0;
}

}  // namespace h2::predesign
