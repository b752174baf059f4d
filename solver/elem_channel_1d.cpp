// Mean-line element without blades: ducts, vaneless diffusers, bends,
// volutes and hollows. The flow keeps its angular momentum (an inlet volute
// takes it from the element before), total enthalpy is conserved apart from
// the gravity head, and the loss is an enthalpy loss from the velocity
// coefficient.
#include <algorithm>
#include <cmath>
#include <limits>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/threading.h"
#include "physics/loss_wrappers.h"
#include "physics/section_losses.h"
#include "solver/gravity_head.h"
#include "solver/meanline_triangle.h"
#include "solver/solver_conventions.h"
#include "solver/solver_internal.h"

namespace {

// The four L-bends (kinds 9 to 12) share the U-bend's loss models.
bool is_bend(double kind) {
    return kind == h2::kKindUBend || kind == 9.0 || kind == 10.0 || kind == 11.0 || kind == 12.0;
}

// Kinds whose loss is refreshed from the velocity coefficient on every
// evaluation; a hollow keeps the loss it was given.
bool refreshes_loss(double kind) {
    return kind == h2::kKindDuct || kind == h2::kKindDiffuser || kind == h2::kKindOutletVolute ||
           kind == h2::kKindInletVolute || is_bend(kind);
}

// Loss and deviation models of the element's kind, then its blockage; only
// the case fields they write count.
void evaluate_loss_models(double kind, int i, int m, double outlet_angle) {
    if (kind == h2::kKindInletVolute) {
        (void)elem_loss_volin(i, m);
        (void)elem_dev_volin(i, m, outlet_angle);
    } else if (kind == h2::kKindDiffuser) {
        (void)elem_loss_diff(i, m);
        (void)elem_dev_diff(i, m, 0.0);
    } else if (is_bend(kind)) {
        (void)elem_loss_uband(i, m);
        (void)elem_dev_uband(i, m, 0.0);
    }
    (void)row_blockage(i, m);
}

}  // namespace

extern "C" {

double elem_channel_1d(int i, double w) {
    bdLocals* c = get_bdLocals();
    if (c == nullptr) return std::numeric_limits<double>::quiet_NaN();
    bdLocals& b = *c;
    const int m = h2::mid_stream(b);
    const double kind = b.elem_stagType[i];
    const bool models_inside = b.ICLos != 0;

    b.flow_w2[i][m] = w;
    b.isd_i2wx[i][m] = b.isd_i1x[i][m] + grav_head_out(i, m);
    b.isd_i2[i][m] = b.isd_i2wx[i][m] - 0.5 * w * w;

    double cn = 0.0;
    if (b.elem_sectType[i] != h2::kSectAngular) {
        if (kind == h2::kKindInletVolute) {
            // The swirl of the element before, carried inwards at constant
            // angular momentum; the flow leaves radially inwards.
            b.flow_c2u[i][m] = b.flow_c2u[i - 1][m] * b.flow_r2[i - 1][m] / b.flow_r2[i][m];
            b.flow_c2s[i][m] = h2::meridional_speed(w, b.flow_c2u[i][m]);
            b.flow_c2z[i][m] = 0.0;
            b.flow_c2r[i][m] = -b.flow_c2s[i][m];
            b.cas_B2[i][m] = h2::flow_angle_deg(b.flow_c2s[i][m], b.flow_c2u[i][m]);
            b.cas_B2eff[i][m] = b.cas_B2[i][m];
            b.cas_B2a[i][m] = b.cas_B2eff[i][m];
        } else {
            // Free vortex: angular momentum kept from inlet to outlet.
            b.flow_c2u[i][m] = b.flow_c1u[i][m] * b.flow_r1[i][m] / b.flow_r2[i][m];
            b.flow_c2s[i][m] = h2::meridional_speed(w, b.flow_c2u[i][m]);
        }
        if (models_inside) evaluate_loss_models(kind, i, m, b.cas_B2[i][m]);
        const double slope = b.elem_sectType[i] == h2::kSectRadial ? b.cas_sinT2[i][m] : b.cas_cosT2[i][m];
        cn = b.flow_c2s[i][m] * slope;
        if (kind != h2::kKindInletVolute) {
            b.cas_B2[i][m] = h2::flow_angle_deg(b.flow_c2s[i][m], b.flow_c2u[i][m]);
        }
    } else {
        // An angular section passes the whole speed circumferentially.
        cn = h2::angular_outlet(b, i, m, w);
        b.cas_B2[i][m] = 0.0;
        if (models_inside && kind == h2::kKindOutletVolute) {
            (void)elem_loss_volout(i, m);
            (void)elem_dev_volout(i, m, 0.0);
        }
    }

    // Enthalpy loss on the larger of the inlet and outlet kinetic energies.
    const double phi = b.los_Los[i][m];
    double W = w * w;
    if (refreshes_loss(kind)) {
        W = std::max(w * w, b.flow_w1[i][m] * b.flow_w1[i][m]);
        b.enrg_dhb[i][m] = (1.0 - phi * phi) * W / 2.0;
    }

    // Static pressure of the isentropic expansion to the enthalpy less the loss.
    b.isd_p2[i][m] = h2::fluid(b, H2_FLUID_P_IS, b.isd_i2[i][m] - b.enrg_dhb[i][m], b.isd_s1[i][m], i);
    b.isd_s2[i][m] = h2::fluid(b, H2_FLUID_S_PI, b.isd_p2[i][m], b.isd_i2[i][m], i);

    if (b.isd_s2[i][m] == 0.0) {
        // A fluid without entropy: the loss becomes a loss of total pressure.
        const double s2 = b.isd_s2[i][m];
        b.isd_p2wx[i][m] = h2::fluid(b, H2_FLUID_P_IS, b.isd_i2wx[i][m], s2, i) -
                           (1.0 - phi * phi) * W / 2.0 * b.isd_Ro1[i][m];
        b.isd_p2x[i][m] = b.isd_p2wx[i][m];
        b.isd_i2wx[i][m] = h2::fluid(b, H2_FLUID_I_PS, b.isd_p2wx[i][m], s2, i);
        b.isd_i2x[i][m] = b.isd_i2wx[i][m];
        b.isd_i2[i][m] = b.isd_i2wx[i][m] - w * w / 2.0;
        b.isd_p2[i][m] = h2::fluid(b, H2_FLUID_P_IS, b.isd_i2[i][m], s2, i);
    } else {
        b.isd_p2wx[i][m] = h2::fluid(b, H2_FLUID_P_IS, b.isd_i2wx[i][m], b.isd_s2[i][m], i);
        b.isd_p2x[i][m] = b.isd_p2wx[i][m];
    }
    b.isd_Ro2[i][m] = h2::fluid(b, H2_FLUID_RHO_PI, b.isd_p2[i][m], b.isd_i2[i][m], i);

    // Continuity against the element's inlet flow.
    const double d =
        (b.elem_G1[i] - std::fabs(cn) * b.isd_Ro2[i][m] * b.bld_F2[i] * b.los_Fp[i][m]) / b.elem_G2[0];
    return -d * d;
}

}  // extern "C"
