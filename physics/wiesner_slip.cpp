// Wiesner's slip factor and the blade angle that delivers a given swirl.
#include "physics/wiesner_slip.h"

#include <cmath>
#include <limits>

#include "case/truncated_pi.h"
#include "physics/slip_factor.h"

namespace h2 {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// The backsweeps searched (degrees from radial): forward-swept blades down to
// the first, strongly backswept ones up to the second.
constexpr double kLeastBacksweep = -60.0, kMostBacksweep = 85.0;
constexpr int kBisections = 200;

}  // namespace

double wiesner_slip_factor(double beta2b, double z, double r1t_over_r2) {
    if (!(z >= 1.0) || !(std::fabs(beta2b) < 90.0)) return kNaN;
    return wiesner_slip_cos(std::cos(beta2b * kDegree), z, r1t_over_r2);
}

double wiesner_backsweep(double c2u, double u2, double c2m, double z, double r1t_over_r2) {
    const auto excess = [&](double beta) {
        return wiesner_slip_factor(beta, z, r1t_over_r2) * u2 - c2m * std::tan(beta * kDegree) - c2u;
    };
    double lo = kLeastBacksweep, hi = kMostBacksweep;
    double f_lo = excess(lo);
    const double f_hi = excess(hi);
    if (!std::isfinite(f_lo) || !std::isfinite(f_hi) || f_lo * f_hi > 0.0) return kNaN;
    for (int n = 0; n < kBisections && hi - lo > 1e-12; ++n) {
        const double mid = 0.5 * (lo + hi);
        const double f = excess(mid);
        if ((f < 0.0) == (f_lo < 0.0)) {
            lo = mid;
            f_lo = f;
        } else {
            hi = mid;
        }
    }
    return 0.5 * (lo + hi);
}

}  // namespace h2
