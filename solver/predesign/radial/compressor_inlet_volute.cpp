// Inlet volute of a centrifugal compressor: the scroll that takes the flow
// from the inlet pipe and delivers it, with the machine's inlet swirl, into
// the ring in front of the first stage. The exit width follows by continuity
// with a velocity-coefficient loss; the form is checked by the end-section
// sizing, but no geometry is drawn.
#include "halvorine2/threading.h"
#include "solver/gravity_head.h"
#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/volute_design.h"

namespace h2::predesign {
namespace {

constexpr double kInletVolute = 5.0;
constexpr double kAngularSection = 2.0;
// Exit angles steeper than this need no volute form (degrees).
constexpr double kSteepestSizedExit = 89.0;

}  // namespace

int rc_volin_design(int i, int form, int k) {
    bdLocals& b = *get_bdLocals();
    const int j = b.cyld_nr / 2;
    const int p = i - 1;

    b.elem_sectType[i] = kAngularSection;
    write_stage_element(b, i, kInletVolute);
    b.bld_k[i] = slot(b, 80, 6.0);

    // Inlet: the total state of the element before, lifted by gravity.
    b.elem_p0[i] = b.isd_p2x[p][j];
    b.elem_i0[i] = b.isd_i2x[p][j];
    b.isd_i2x[i][j] = b.isd_i2x[p][j] + grav_head_out(i, j);
    b.isd_i2wx[i][j] = b.isd_i2x[i][j];
    const double s1 = b.isd_s1[i][j] = design_fluid(b, H2_FLUID_S_PI, b.isd_p2x[p][j], b.isd_i2x[p][j]);
    b.cas_B1[i][j] = b.cas_B2[p][j];
    b.elem_G1[i] = b.elem_G2[p];
    // The next element takes its flow from elem__G2: without it the stage
    // behind the volute would run with no flow.
    b.elem_G2[i] = b.elem_G1[i];

    // Exit velocity: the module's flow coefficient on the impeller's blade
    // speed at the inlet diameter, with the machine's inlet swirl.
    b.bld_wp[i] = b.bld_wp[k];
    b.elem_cz_[i] = b.elem_cz_[0];
    const double d2 = b.bld_d2[i] = b.bld_d2[0];
    const double c2s = b.flow_c2r[i][j] = (d2 * b.bld_wp[i] / 2.0) * b.elem_cz_[i];
    b.flow_c2s[i][j] = c2s;
    const double B2 = b.cas_B2[i][j] = b.cas_B1[0][0];
    const double c2u = b.flow_c2u[i][j] = c2s / tan_deg(B2);
    const double c2 = b.flow_c2[i][j] = std::sqrt(c2u * c2u + c2s * c2s);
    b.flow_w2[i][j] = c2;

    // Loss and exit state on the inlet isentrope shifted by the loss.
    const double phi = b.los_Los[i][j] = slot(b, 116, 0.8);
    b.los_om[i][j] = 0.0;
    const double i2 = b.isd_i2[i][j] = b.isd_i2x[i][j] - 0.5 * c2 * c2;
    const double dhb = b.enrg_dhb[i][j] = (1.0 - phi * phi) * c2 * c2 / 2.0;
    const double p2 = b.isd_p2[i][j] = design_fluid(b, H2_FLUID_P_IS, i2 - dhb, s1);
    const double s2 = b.isd_s2[i][j] = design_fluid(b, H2_FLUID_S_PI, p2, i2);
    b.isd_Ro2[i][j] = design_fluid(b, H2_FLUID_RHO_PI, p2, i2);
    if (s2 == 0.0) {
        // Without entropy the loss is a total-pressure drop.
        b.isd_p2x[i][j] = design_fluid(b, H2_FLUID_P_IS, b.isd_i2x[i][j], s2) - dhb * b.isd_Ro1[i][j];
        b.isd_i2x[i][j] = design_fluid(b, H2_FLUID_I_PS, b.isd_p2x[i][j], s2);
    } else {
        b.isd_p2x[i][j] = design_fluid(b, H2_FLUID_P_IS, b.isd_i2x[i][j], s2);
    }

    // Exit width by continuity, G = rho c2s pi d2 l2.
    b.bld_l2[i] = b.elem_G1[i] / (b.isd_Ro2[i][j] * c2s) / (kPi * d2);
    b.cas_x2[i][j] = 0.0;

    // A swirling exit needs a volute form that can be sized; the sizes are
    // not kept (the element draws no geometry).
    if (b.cas_B1[0][0] <= kSteepestSizedExit) {
        double R = 0.0, S = 0.0, h = 0.0;
        return volin_size(form, d2 / 2.0, b.bld_l2[i], B2, b.bld_l2[i], &R, &S, &h);
    }
    return 0;
}

}  // namespace h2::predesign
