// Supersonic deflection after the throat of a choked turbine blade row:
// the continuity relation between throat and exit.
#include "solver/post_throat.h"

#include <cmath>

#include "case/truncated_pi.h"
#include "halvorine2/fluid_plugin.h"
#include "numerics/cg_search.h"
#include "physics/mix_streams.h"
#include "solver/solver_conventions.h"

namespace {

using h2::kDegree;

// Below this Mach number of the outlet the flow along a fixed angle still
// rises with the speed for any velocity coefficient met in a turbine row: no
// search for the maximum.
constexpr double kSubsonicMach = 0.8;
// Tolerance of the speed of the largest flow, m/s: the flow is flat there.
constexpr double kThroatSpeedTol = 1e-6;
// The static and the ideal enthalpy stay this share of the relative total
// enthalpy above 0 at the top of the search.
constexpr double kLeastEnthalpy = 1e-6;

// The row whose flux per unit area rho w the search varies.
struct Outlet {
    const bdLocals* b;
    int i;
    double i2wx, s1, phi;
};
thread_local Outlet outlet;

// Flow per unit area normal to the exit angle at the relative speed w: the
// static enthalpy i2wx - w^2/2 at the pressure of the ideal expansion to
// i2wx - w^2/(2 phi^2) (the row reaches w where the ideal expansion would
// reach w / phi). A state outside the fluid's range is no flow.
double flux(double w) {
    const Outlet& o = outlet;
    const double h = o.i2wx - w * w / 2;
    const double h_ideal = o.i2wx - w * w / (2 * o.phi * o.phi);
    if (!(h > 0.0 && h_ideal > 0.0)) return -w;
    const double p = h2::fluid(*o.b, H2_FLUID_P_IS, h_ideal, o.s1, o.i);
    if (!(p > 0.0 && p < h2::kPropertyFailureLimit)) return -w;
    const double rho = h2::fluid(*o.b, H2_FLUID_RHO_PI, p, h, o.i);
    if (!(rho > 0.0 && rho < h2::kPropertyFailureLimit)) return -w;
    return rho * w;
}

}  // namespace

namespace h2 {

PostThroat post_throat(const bdLocals& b, int i, int j, double w, double angle) {
    const double phi = b.los_Los[i][j];
    const double s1 = b.isd_s1[i][j];
    const double i2wx = b.isd_i2wx[i][j];
    // An incompressible fluid (no entropy) does not choke.
    PostThroat result{angle};
    if (!(phi > 0.0 && phi <= 1.0) || s1 == 0.0 || !(i2wx > 0.0) || !(w > 0.0)) return result;
    const Outlet saved = outlet;
    outlet = {&b, i, i2wx, s1, phi};
    const double h = i2wx - w * w / 2;
    const double h_ideal = i2wx - w * w / (2 * phi * phi);
    const double p = h_ideal > 0.0 ? fluid(b, H2_FLUID_P_IS, h_ideal, s1, i) : 0.0;
    const double a = p > 0.0 && h > 0.0 ? fluid(b, H2_FLUID_SOUND_PI, p, h, i) : 0.0;
    if (!(w < kSubsonicMach * a)) {
        const double top = phi * std::sqrt(2 * i2wx * (1 - kLeastEnthalpy));
        const double w_throat = brent_max(&flux, 0.0, top, kThroatSpeedTol);
        const double q = flux(w);
        const double q_throat = flux(w_throat);
        if (w > w_throat && q > 0.0 && q < q_throat) {
            // rho w sin(angle') = (rho w)* sin(angle); past an axial exit no
            // turning lets the row pass more.
            const double wanted = std::sin(angle * kDegree) * q_throat / q;
            const double turned = std::asin(std::fmin(wanted, 1.0)) / kDegree;
            result = {angle > 90.0 ? 180.0 - turned : turned, true, w_throat, q_throat, wanted > 1.0};
        }
    }
    outlet = saved;
    return result;
}

}  // namespace h2
