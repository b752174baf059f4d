// Blade row or deswirler solved on every streamline of an axial section: the
// hub-to-casing march of the radial equilibrium, each stage solving the row at
// the streamline's radius (blade speed, rothalpy, the gauging angle read along
// the span and corrected for the streamline slope and the blade lean,
// deviation, losses) and the equilibrium carrying the blade force, the lean
// and the rotation.
#include <cmath>
#include <limits>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/profiles.h"
#include "halvorine2/threading.h"
#include "numerics/one_dim.h"
#include "physics/angle_mask.h"
#include "physics/loss_wrappers.h"
#include "physics/section_losses.h"
#include "solver/gravity_head.h"
#include "solver/hub_to_tip_march.h"
#include "solver/post_throat.h"
#include "solver/solver_conventions.h"
#include "solver/solver_internal.h"

namespace {

using h2::fluid;
using h2::kDegree;

// Speed of sound taken for a fluid without entropy: the meridional Mach
// number vanishes.
constexpr double kIncompressibleSound = 1e10;
// Below this cosine of the turbine cascade's mean angle the blade force is dropped.
constexpr double kMinForceCosine = 0.01;

bool gauging_task(int task) { return task == 40 || task == 400; }

// The row's kind, fixed for one call at the middle streamline.
struct Row {
    bool turbine;
    bool compressor;
    bool rotating;  // blade speed, blades, and a blade row
    bool expanding_turbine;
};

Row row_of(const bdLocals& b, int i) {
    const int m = h2::mid_stream(b);
    Row row{};
    row.turbine = h2::turbine_row(b, i, m);
    row.compressor = !row.turbine && h2::compressor_row(b, i, m);
    row.rotating = b.bld_wp[i] != 0.0 && b.bld_z[i] != 0.0 && b.elem_stagType[i] == h2::kKindBlade;
    row.expanding_turbine = row.turbine && h2::is_expanding(b);
    return row;
}

// Cosine of a blade or flow angle with the sine x. It is negative (the angle
// beyond 90 degrees) in a rotating row or for an angle above 90; a rotating
// compressor row keeps the positive cosine of an angle below 90.
double signed_cosine(const Row& row, double angle, double x) {
    double c = sin_from_cos(row.rotating || angle > 90.0 ? 1 : 0, x);
    if (row.compressor && row.rotating && angle < 90.0) c = -c;
    return c;
}

// Spanwise table of the row at the radius r: one value per section, the
// abscissae the section radii.
double span_value(const bdLocals& b, double* const* radii, double* const* values, int i, double r) {
    return h2::interp1(b.cyld_nr, radii[i], values[i], r);
}

// Gauging angle at the radius r. In the gauging-angle tasks the row turns to
// the masked angle; a compressor row records it as its gauging angle on the
// streamline, which its deviation reads back.
double gauging_angle(bdLocals& b, const Row& row, int i, int k, double r) {
    double beta_a = span_value(b, b.cas_ra2, b.cas_B2a, i, r);
    if (gauging_task(b.cyld_VART)) {
        if (row.turbine) {
            beta_a = ang_mask_apply(i, beta_a);
        } else if (row.compressor) {
            b.cas_B2g[i][k] = ang_mask_apply(i, beta_a);
            beta_a = b.cas_B2g[i][k];
        }
    }
    return beta_a;
}

// Outlet angle before deviation: the blade angle seen on the stream surface of
// slope theta through a cascade leaning by tan_lean; its cotangent is
// cot(beta_a) cos(theta) + tan(lean) sin(theta).
double surface_angle(const bdLocals& b, const Row& row, int i, int k, double beta_a, double tan_lean) {
    if (h2::switch_on(b.elem_B2aDirect[i])) return b.cas_B2a[i][h2::mid_stream(b)];
    const double s = std::sin(beta_a * kDegree);
    const double c = signed_cosine(row, beta_a, s);
    const double q = (c / s) * b.cas_cosT2[i][k] + tan_lean * b.cas_sinT2[i][k];
    const double s_surface = 1.0 / std::sqrt(q * q + 1.0);
    const double c_surface = signed_cosine(row, beta_a, s_surface);
    return std::atan2(s_surface, c_surface) / kDegree;
}

// Blade-force term of the radial equilibrium. Compressor-like rows: the
// turning of the metal angles over the chord; turbine rows: the trailing-edge
// wedge delta over the pitch.
double blade_force(const bdLocals& b, const Row& row, int i, int k, double r, double sin_B2) {
    if (!row.turbine) {
        const double beta1 = span_value(b, b.cas_ra1, b.cas_B1g, i, b.flow_r1[i][k]);
        const double beta2 = span_value(b, b.cas_ra2, b.cas_B2a, i, r);
        const double stagger = BetaUst(180.0 - beta1, 180.0 - beta2, 1);
        const double chord = b.cas_b[i][h2::mid_stream(b)];
        return (1.0 / std::tan(beta2 * kDegree) - 1.0 / std::tan(beta1 * kDegree)) /
               (std::cos(stagger * kDegree) * chord);
    }
    const double delta = span_value(b, b.cas_ra2, b.cas_d, i, r) * kDegree;
    const double gamma = delta / 2.0 + std::asin(sin_B2);
    const double cos_gamma = std::cos(gamma);
    if (cos_gamma <= kMinForceCosine) return 0.0;
    const double sin_gamma = std::sin(gamma);
    const double pitch = h2::kTwoPi * b.flow_r2[i][k] / b.bld_z[i];
    const double Fb = delta / (sin_gamma * sin_gamma * cos_gamma * pitch * sin_B2);
    return row.rotating ? -Fb : Fb;
}

// Static outlet state of streamline k at the relative speed w: returns the
// outlet static enthalpy and sets the speed of sound a. The incompressible
// branch is the one of a fluid without entropy.
double outlet_state(bdLocals& b, const Row& row, int i, int k, double w, double* a) {
    const double W = w * w;
    const bool incompressible = b.isd_s1[i][k] == 0.0;
    *a = kIncompressibleSound;
    const double i2wx = b.isd_i2wx[i][k];
    double h2 = i2wx - W / 2.0;

    if (!row.expanding_turbine) {
        if (b.ICLos != 0) {
            (void)(row.turbine ? section_losses(i, k) : elem_loss_axcomp(i, k));
            const double c1s = b.flow_c1s[i][k];
            b.flow_w12m[i][k] = c1s == 0.0 ? 1.0 : b.flow_c2s[i][k] / c1s;
        }
        // Total-pressure loss on the inlet's relative dynamic pressure.
        const double s1 = b.isd_s1[i][k];
        const double ideal_p2wx = fluid(b, H2_FLUID_P_IS, i2wx, s1, i);
        const double dp = (b.isd_p1wx[i][k] - b.isd_p1[i][k]) * b.los_om[i][k];
        b.isd_p2wx[i][k] = ideal_p2wx - dp;
        if (incompressible) {
            // The entropy the previous evaluation left.
            b.isd_p2[i][k] = fluid(b, H2_FLUID_P_IS, h2, b.isd_s2[i][k], i);
            b.enrg_dhb[i][k] = fluid(b, H2_FLUID_I_PS, dp, b.isd_s2[i][k], i);
        } else {
            b.isd_s2[i][k] = fluid(b, H2_FLUID_S_PI, b.isd_p2wx[i][k], i2wx, i);
            b.isd_p2[i][k] = fluid(b, H2_FLUID_P_IS, h2, b.isd_s2[i][k], i);
            *a = fluid(b, H2_FLUID_SOUND_PI, b.isd_p2[i][k], h2, i);
            // The enthalpy of a gas at the loss pressure means nothing: the
            // loss energy is the isentropic enthalpy step of the lost
            // relative total pressure, dp / rho for a liquid.
            b.enrg_dhb[i][k] = i2wx - fluid(b, H2_FLUID_I_PS, b.isd_p2wx[i][k], s1, i);
        }
        return h2;
    }

    if (incompressible) {
        const double phi = b.los_Los[i][k];
        b.isd_s2[i][k] = b.isd_s1[i][k];
        b.enrg_dhb[i][k] = (1.0 - phi * phi) * W / 2.0 / (phi * phi);
        h2 -= b.enrg_dhb[i][k];
        b.isd_p2[i][k] = fluid(b, H2_FLUID_P_IS, h2, b.isd_s2[i][k], i);
        return h2;
    }
    // Ideal expansion to the speed w / phi.
    const double phi = b.los_Los[i][k];
    b.isd_p2[i][k] = fluid(b, H2_FLUID_P_IS, i2wx - W / (2.0 * phi * phi), b.isd_s1[i][k], i);
    *a = fluid(b, H2_FLUID_SOUND_PI, b.isd_p2[i][k], h2, i);
    b.isd_a2[i][k] = *a;
    if (b.ICLos != 0) (void)section_losses(i, k);
    b.isd_s2[i][k] = fluid(b, H2_FLUID_S_PI, b.isd_p2[i][k], h2, i);
    return h2;
}

// One stage of the march: the row solved on streamline k at the speed and
// radius the march holds there, and the slopes of the radial equilibrium.
h2::StreamSlopes blade_stage(bdLocals& b, const Row& row, int i, int k) {
    const double r = std::fmin(b.flow_r2[i][k], b.bld_Rt2[i]);
    const double w = b.flow_w2[i][k];
    const double u2 = r * b.bld_wp[i];
    b.flow_u2[i][k] = u2;
    // Rothalpy is conserved along the streamline through the row.
    b.isd_i2wx[i][k] = 0.5 * u2 * u2 + (b.isd_i1x[i][k] - b.flow_ucu1[i][k]) + grav_head_out(i, k);
    const double sinT = b.cas_sinT2[i][k];
    const double cosT = b.cas_cosT2[i][k];
    const double tgT = sinT / cosT;

    const double beta_a = gauging_angle(b, row, i, k, r);
    const double tan_lean = std::tan(span_value(b, b.cas_ra2, b.cas_Lean2, i, r) * kDegree);
    const double beta = surface_angle(b, row, i, k, beta_a, tan_lean);

    b.cas_B2[i][k] = row_dev_angle(i, k, beta);
    double a = 0.0;
    const double h2 = outlet_state(b, row, i, k, w, &a);
    // A turbine streamline expanded past its throat turns its flow after it,
    // so that an inverse task past choke holds the row's choke flow. The
    // direct march refuses a flow above the choke flow instead: turned
    // streamlines let a span too coarse for its long rows close on the casing
    // at a power far from that of a finer span.
    if (row.expanding_turbine && h2::inverse_task(b.cyld_VART))
        b.cas_B2[i][k] = h2::post_throat(b, i, k, w, b.cas_B2[i][k]).angle;
    const double B2 = b.cas_B2[i][k];
    const double sin_B2 = std::sin(B2 * kDegree);
    const double cos_B2 = signed_cosine(row, B2, sin_B2);
    const double cotB = cos_B2 / sin_B2;
    // Only its product with the lean enters: an unleaned row of unknown chord
    // would otherwise turn 0 * inf into NaN.
    const double lean_force = tan_lean == 0.0 ? 0.0 : blade_force(b, row, i, k, r, sin_B2) * tan_lean;
    const double cs = sin_B2 * w;
    const double M2 = cs * cs / (a * a);

    // Outlet triangle and state.
    b.flow_c2s[i][k] = cs;
    b.flow_c2u[i][k] = std::fabs(u2) + cos_B2 * w;
    const double c2u = b.flow_c2u[i][k];
    b.flow_c2[i][k] = std::sqrt(c2u * c2u + cs * cs);
    b.isd_i2[i][k] = h2;
    b.isd_T2[i][k] = fluid(b, H2_FLUID_T_PI, b.isd_p2[i][k], h2, i);
    b.isd_Ro2[i][k] = fluid(b, H2_FLUID_RHO_PI, b.isd_p2[i][k], h2, i);

    // Radial equilibrium along the stream function: continuity gives dr/dG;
    // the curvature, slope, lean, blade force and rotation give dw/dG, with
    // the spanwise gradients of enthalpy, swirl work and entropy carried in.
    const double kapa = b.cas_kapa2[i][k];
    const double D = b.elem_Pa[i] * b.los_Fp[i][k] * r * b.isd_Ro2[i][k] * cs * cosT;
    const double E =
        (c2u * c2u * sinT / (r * a * a) + (D * b.cas_tgz[i][k] + tgT / r) * cosT - tgT * kapa) / (M2 - 1.0);
    const double turning =
        lean_force + (cotB * tan_lean + sinT) * E + kapa * cosT - (cotB * cotB - cotB * sinT * tan_lean) / r;
    const double rotation = (cotB - tan_lean * sinT) * 2.0 * std::fabs(b.bld_wp[i]) / w;
    const double gradients = b.isd_iz[i - 1][k] - b.flow_ucuz[i - 1][k] - b.isd_T2[i][k] * b.isd_sz[i][k];
    return {(turning * sin_B2 - rotation) / D * cs + gradients / w, 1.0 / D};
}

}  // namespace

extern "C" {

double elem_blade_2d(int i, double w) {
    bdLocals* bp = get_bdLocals();
    if (bp == nullptr) return std::numeric_limits<double>::quiet_NaN();
    bdLocals& b = *bp;
    // The stages read the element before; the inlet is never a blade row.
    if (i < 1 || i > b.cyld_ns) return std::numeric_limits<double>::quiet_NaN();
    const int n = b.cyld_nr - 1;
    // One streamline has no span to march across: the case is left as it is.
    if (n < 1) return 0.0;

    const Row row = row_of(b, i);
    b.flow_w2[i][0] = w;
    b.flow_r2[i][0] = b.bld_Rh2[i];
    const double result = h2::march_hub_to_tip(b, i, [&](int k) { return blade_stage(b, row, i, k); });

    // A fluid without entropy carries the loss as a loss of relative total
    // enthalpy, then its totals follow.
    if (b.isd_s2[0][0] == 0.0) {
        const double dhb = b.enrg_dhb[i][h2::mid_stream(b)];
        for (int j = 0; j <= n; ++j) {
            b.isd_i2wx[i][j] -= dhb;
            b.isd_p2wx[i][j] = fluid(b, H2_FLUID_P_IS, b.isd_i2wx[i][j], b.isd_s2[i][j], i);
            b.isd_i2[i][j] = b.isd_i2wx[i][j] - b.flow_w2[i][j] * b.flow_w2[i][j] / 2.0;
            b.isd_i2x[i][j] = b.flow_c2[i][j] * b.flow_c2[i][j] / 2.0 + b.isd_i2[i][j];
            b.isd_p2x[i][j] = fluid(b, H2_FLUID_P_IS, b.isd_i2x[i][j], b.isd_s2[i][j], i);
        }
    }
    return result;
}

}  // extern "C"
