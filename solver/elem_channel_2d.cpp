// Element without blades solved on every streamline of an axial section. The
// trial speed is the hub streamline's; the march integrates the radial
// equilibrium of the swirling, curved meridional flow across the stream tubes
// (each of the same mass flow per radian) by Heun's method up to the casing,
// and the element's defect is how far the last stream tube misses it.
#include <algorithm>
#include <cmath>
#include <limits>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/threading.h"
#include "physics/section_losses.h"
#include "solver/gravity_head.h"
#include "solver/hub_to_tip_march.h"
#include "solver/solver_conventions.h"
#include "solver/solver_internal.h"

namespace {

// Floors of the march: squared meridional speed (m^2/s^2) and squared sine
// of the flow angle.
constexpr double kMarchMeridionalFloor2 = 0.1;
constexpr double kMarchSineFloor2 = 0.01;
// A fluid without entropy has no finite speed of sound: its meridional Mach
// number counts as zero.
constexpr double kIncompressibleSound = 1e10;

// Square root of x, not below that of the floor (a NaN counts as the floor).
double floored_sqrt(double x, double floor) { return std::sqrt(x > floor ? x : floor); }

// Outlet state of element i at streamline k for the radius and speed held in
// flow__r2 and flow__w2, and the gradients of radial equilibrium there.
h2::StreamSlopes stage(bdLocals& b, int i, int k) {
    const double r = std::min(b.flow_r2[i][k], b.bld_Rt2[i]);  // a radius past the casing works at the casing
    const double w = b.flow_w2[i][k];
    const double W = w * w;
    const double phi = b.los_Los[i][k];
    const double sinT = b.cas_sinT2[i][k];
    const double cosT = b.cas_cosT2[i][k];
    const double kapa = b.cas_kapa2[i][k];
    const double tgT = sinT / cosT;

    // Free vortex along the streamline; the flow angle of the streamline's
    // own velocity.
    const double cu = b.flow_c1u[i][k] * b.flow_r1[i][k] / r;
    b.flow_c2u[i][k] = cu;
    const double x = cu / w;
    const double sb = floored_sqrt(1.0 - x * x, kMarchSineFloor2);
    b.cas_B2[i][k] = h2::flow_angle_deg(sb, x);

    b.isd_i2wx[i][k] = b.isd_i1x[i][k] + grav_head_out(i, k);
    const bool incompressible = b.isd_s1[i][k] == 0.0;
    if (!incompressible) {
        // Static pressure of the ideal expansion to the speed w / phi.
        b.isd_i2[i][k] = b.isd_i2wx[i][k] - W / 2;
        b.isd_p2[i][k] =
            h2::fluid(b, H2_FLUID_P_IS, b.isd_i2wx[i][k] - W / (2 * phi * phi), b.isd_s1[i][k], i);
    } else {
        // The loss (1/phi^2 - 1) W/2 comes off the total head; the static
        // head is that of the ideal acceleration to w / phi.
        b.isd_i2wx[i][k] -= (1.0 / (phi * phi) - 1.0) * W / 2;
        b.isd_i2x[i][k] = b.isd_i2wx[i][k];
        b.isd_p2wx[i][k] = h2::fluid(b, H2_FLUID_P_IS, b.isd_i2wx[i][k], b.isd_s2[i][k], i);
        b.isd_p2x[i][k] = b.isd_p2wx[i][k];
        b.isd_i2[i][k] = b.isd_i2wx[i][k] - W / 2;
        b.isd_p2[i][k] = h2::fluid(b, H2_FLUID_P_IS, b.isd_i2[i][k], b.isd_s2[i][k], i);
    }
    b.isd_Ro2[i][k] = h2::fluid(b, H2_FLUID_RHO_PI, b.isd_p2[i][k], b.isd_i2[i][k], i);
    b.isd_s2[i][k] = h2::fluid(b, H2_FLUID_S_PI, b.isd_p2[i][k], b.isd_i2[i][k], i);
    const double a = incompressible ? kIncompressibleSound
                                    : h2::fluid(b, H2_FLUID_SOUND_PI, b.isd_p2[i][k], b.isd_i2[i][k], i);

    const double cs = floored_sqrt(W - cu * cu, kMarchMeridionalFloor2);
    b.flow_c2s[i][k] = cs;
    if (b.ICLos != 0) (void)row_blockage(i, k);

    // Radial equilibrium across the stream tubes: the swirl, the streamline
    // curvature and the spanwise change of the slope, against compressibility.
    const double D = r * b.los_Fp[i][k] * b.isd_Ro2[i][k] * cs * cosT;
    const double a2 = a * a;
    const double E = (cu * cu * sinT / (r * a2) + (D * b.cas_tgz[i][k] + tgT / r) * cosT - tgT * kapa) /
                     (cs * cs / a2 - 1.0);
    const double iz = i > 0 ? b.isd_iz[i - 1][k] : 0.0;
    const double ctg = x / sb;
    h2::StreamSlopes g;
    g.dr_dG = 1.0 / D;
    g.dw_dG = (E * sinT + kapa * cosT - ctg * ctg / r) / D * cs * sb + iz / w;
    return g;
}

}  // namespace

extern "C" {

double elem_channel_2d(int i, double w) {
    bdLocals* bp = get_bdLocals();
    if (bp == nullptr) return std::numeric_limits<double>::quiet_NaN();
    bdLocals& b = *bp;
    b.flow_w2[i][0] = w;
    b.flow_r2[i][0] = b.bld_Rh2[i];
    b.flow_c2u[i][0] = b.flow_c1u[i][0] * b.flow_r1[i][0] / b.flow_r2[i][0];
    b.flow_c2s[i][0] = floored_sqrt(w * w - b.flow_c2u[i][0] * b.flow_c2u[i][0], kMarchMeridionalFloor2);
    return h2::march_hub_to_tip(b, i, [&](int k) { return stage(b, i, k); });
}

}  // extern "C"
