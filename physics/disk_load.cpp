// Axial load of the rotor: disk forces from the cavity balances, the end
// load, and the blade-row and disk force formulas.
#include "physics/disk_load.h"

#include <cmath>
#include <vector>

#include "case/case_arrays.h"
#include "case/truncated_pi.h"
#include "case/walkers_internal.h"
#include "halvorine2/output.h"
#include "halvorine2/threading.h"
#include "halvorine2/units.h"
#include "halvorine2/walkers.h"
#include "numerics/one_dim.h"
#include "physics/seal_leakage.h"

namespace {

using h2::kPi;
using h2::kTwoPi;

constexpr double kQuarterPi = h2::kPi / 4.0;  // 0.7853981625

constexpr double kDefaultRelax = 0.9;          // root-gap flows when LkgRELAX is not above 0
constexpr double kAmbientPressure = 101235.0;  // behind the rotor's end seal (Pa)

double view(double value, int group) { return unitsToView(value, group); }
const char* label(int group) {
    const char* text = unitsLabel(group);
    return text != nullptr ? text : "";
}

}  // namespace

extern "C" {

double rotor_end_load(void) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr || b->cyld_du == 0.0) return 0.0;
    // The first diaphragm's inlet is read at the hub, which must exist.
    if (!h2::path_fits_arrays(b) || b->cyld_nr < 1) return 0.0;
    const int k = next_stator(0);
    const double du = b->cyld_du, dk = b->bld_du[k];
    b->cyld_RAB = (du * du - dk * dk) * (-(b->isd_p1x[k][0] - kAmbientPressure) * kPi / 4.0);
    return b->cyld_RAB;
}

int calc_disks_axial_load(void) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr || !h2::path_fits_arrays(b)) return 0;
    const double relax = b->LkgRELAX > 0.0 ? b->LkgRELAX : kDefaultRelax;
    b->cyld_RAD = 0.0;

    if (b->IPL == 1) {
        const char* g = label(H2_UNIT_MASSFLOW);
        const char* p = label(H2_UNIT_PRESSURE);
        put_dump(
            "\nis  i      Gdu         Gp          GbhX        GbhY        GpY          GduY        Gin       "
            "  "
            "Poh         P1h         P2h         P11         P21         RAD\n");
        put_dump(
            "           %-11s %-11s %-11s %-11s %-11s  %-11s %-11s %-11s %-11s %-11s %-11s %-11s %-11s\n", g,
            g, g, g, g, g, g, p, p, p, p, p, label(H2_UNIT_FORCE));
    }

    int stage = 0;
    for (int i = 0; i <= b->cyld_ns; ++i) {
        if (!h2::is_rotor(*b, i)) continue;
        const double GPold = b->lkgn_GP[i], GPYold = b->lkgn_GPY[i];
        if (b->IPL > 1) put_dump("\nStage %d\n", stage + 1);
        calc_stage_leakage(i, stage);
        // Under-relaxed root-gap flows carry over to the next solver iteration.
        b->lkgn_GP[i] = (b->lkgn_GP[i] - GPold) * relax + GPold;
        b->lkgn_GPY[i] = (b->lkgn_GPY[i] - GPYold) * relax + GPYold;
        b->cyld_RAD += b->lkgn_RAD[i];
        ++stage;
    }
    b->cyld_RAB = rotor_end_load();

    if (b->IPL == 1) {
        put_dump("\n");
    } else if (b->IPL >= 2 && b->cyld_ns >= 1) {
        put_dump("Total disks axial load:  (RADtot = RAD + RAB)  %g  = %g - %g  %s\n\n",
                 view(b->cyld_RAD + b->cyld_RAB, H2_UNIT_FORCE), view(b->cyld_RAD, H2_UNIT_FORCE),
                 -view(b->cyld_RAB, H2_UNIT_FORCE), label(H2_UNIT_FORCE));
    }
    return 0;
}

double blade_row_force(double p1m, double p2, double c1z, double c1u, double rho, double c2z, double rh,
                       double rt) {
    const double rm = (rh + rt) / 2.0;
    const double A = rt * rt - rh * rh;
    // Radial pressure rise of the swirl between hub and tip (a free vortex of
    // circulation rm c1u); at a radius of 0 its logarithm would be infinite.
    const double swirl = rh != 0.0 && rt != 0.0 ? kPi * rho * (rm * c1u) * (rm * c1u) *
                                                      (std::log(std::abs(rt)) - std::log(std::abs(rh)))
                                                : 0.0;
    // Momentum balance: inlet static pressure on the annulus plus the swirl
    // term, minus outlet pressure corrected by the change of axial momentum.
    return kPi * A * (p1m - 0.5 * rho * c1u * c1u) + swirl - kPi * A * (p2 - c1z * rho * (c1z - c2z));
}

double span_integral(int n, const double* p1, const double* p2, const double* c1z, const double* /*rho1*/,
                     const double* c2z, const double* rho2, double G) {
    // No interval has no width to divide the flow into, and a missing table
    // would be read through NULL.
    if (n < 1 || p1 == nullptr || p2 == nullptr || c1z == nullptr || c2z == nullptr || rho2 == nullptr)
        return 0.0;
    const double h = G / n;
    std::vector<double> u(static_cast<std::size_t>(n) + 1), v(u.size());
    for (int k = 0; k <= n; ++k) {
        // Pressure per unit axial mass flux; a section with no axial flux
        // would divide by 0 and carries no pressure term.
        const double flux = c2z[k] * rho2[k];
        u[k] = (flux != 0.0 ? p1[k] / flux : 0.0) + c1z[k];
        v[k] = (flux != 0.0 ? p2[k] / flux : 0.0) + c2z[k];
    }
    return h2::trapezoid_sum(n, h, u.data()) - h2::trapezoid_sum(n, h, v.data());
}

double span_integral_r(int n, const double* p1, const double* p2, const double* c1z, const double* rho,
                       const double* c2z, double rh, double rt) {
    // No interval has no step width, and a missing table would be read through NULL.
    if (n < 1 || p1 == nullptr || p2 == nullptr || c1z == nullptr || rho == nullptr || c2z == nullptr)
        return 0.0;
    const double h = (rt - rh) / n;
    std::vector<double> y(static_cast<std::size_t>(n) + 1);
    for (int k = 0; k <= n; ++k) {
        const double r = rh + k * h;
        // Axial force per unit area of the ring at r: pressure drop plus change of axial momentum.
        y[k] = (p1[k] - p2[k] + c1z[k] * rho[k] * (c1z[k] - c2z[k])) * r;
    }
    return kTwoPi * h2::trapezoid_sum(n, h, y.data());
}

double annulus_force(double p1, double p2, double d1, double r1, double r2, double d2) {
    return kQuarterPi * p1 * (4.0 * r1 * r1 - d1 * d1) - kQuarterPi * p2 * (4.0 * r2 * r2 - d2 * d2);
}

}  // extern "C"
