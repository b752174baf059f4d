// Loss-coefficient conversions over an isentropic reference expansion: the
// kinetic energy a flow keeps (phi^2) against the total pressure it keeps.
#include "physics/loss_conversions.h"

#include <cmath>

namespace {

// A fluid property above this is the fluid function's failure value.
constexpr double kFluidFailure = 1e19;

// The compressible forms need a real exponent other than 1: k = 1 would
// divide by k - 1, and a failed or missing property has no exponent at all.
bool compressible(double k) { return k > 0.0 && k != 1.0 && k <= kFluidFailure; }

// m of the isentropic relation h_s/h = (p/p0)^m.
double enthalpy_exponent(double k) { return (k - 1.0) / k; }

void put(double* out, double value) {
    if (out != nullptr) *out = value;
}

// Mach number of the perfect-gas state of static enthalpy hs reached from
// total enthalpy h: c^2 = 2 (h - hs), a^2 = (k - 1) hs.
double mach_number(double h, double hs, double k) {
    const double a2 = (k - 1.0) * hs;
    // Enthalpies counted from a reference may sit at or below 0, where this
    // form has no speed of sound; the square root would be not a number.
    if (!(a2 > 0.0)) return 0.0;
    return std::sqrt(2.0 * std::fabs(h - hs)) / std::sqrt(a2);
}

// Incompressible loss coefficient referred to the kinetic energy kept,
// (1 - phi^2)/phi^2.
double incompressible_loss(double e) {
    // A flow that keeps no kinetic energy has no head to refer its loss to;
    // 1/e would be infinite.
    if (e == 0.0) return 0.0;
    return 1.0 / e - 1.0;
}

// The state reached when the flow keeps the share e of the isentropic
// enthalpy drop h - (p/p0)^m h: its static enthalpy h' and the total pressure
// p0' = p / (h'/h)^(k/(k-1)) that it keeps.
struct KeptState {
    double h;   // h'
    double p0;  // p0'
};

KeptState kept_state(double e, double p0, double p, double h, double k) {
    const double m = enthalpy_exponent(k);
    const double B = std::pow(p / p0, m);  // isentropic h_s/h
    const double h_kept = h - (h - B * h) * e;
    // h'/h with h cancelled, so that a total enthalpy of 0 needs no guard.
    const double h_ratio = 1.0 - (1.0 - B) * e;
    return {h_kept, p / std::pow(h_ratio, 1.0 / m)};
}

}  // namespace

extern "C" {

double k_loss_conv_a(double x, double p0, double p, double h, double k, double* out) {
    if (!compressible(k)) {
        put(out, 0.0);
        return 1.0 / (1.0 + x);
    }
    const double m = enthalpy_exponent(k);
    const double p0_kept = p + (1.0 - x) * (p0 - p);
    const double A = std::pow(p / p0_kept, m);  // h'/h of the state reached
    const double B = std::pow(p / p0, m);       // isentropic h_s/h
    put(out, mach_number(h, A * h, k));
    // Without flow (p0 = p) both drops vanish: 0/0. Their ratio tends to the
    // share of the head kept, 1 - x.
    if (B == 1.0) return 1.0 - x;
    return (1.0 - A) / (1.0 - B);
}

double k_loss_conv_b(double e, double p0, double p, double h, double k, double* out) {
    if (!compressible(k)) {
        put(out, 0.0);
        return incompressible_loss(e);
    }
    const KeptState kept = kept_state(e, p0, p, h, k);
    put(out, mach_number(h, kept.h, k));
    // Without flow there is no pressure drop to refer the loss to.
    if (p0 == p) return 0.0;
    return 1.0 - (kept.p0 - p) / (p0 - p);
}

double k_loss_conv_c(double e, double p0, double p, double h, double k, double* out) {
    if (!compressible(k)) {
        put(out, 0.0);
        return incompressible_loss(e);
    }
    const KeptState kept = kept_state(e, p0, p, h, k);
    put(out, mach_number(h, kept.h, k));
    // Without flow (p0 = p), or with no kinetic energy kept (e = 0), the
    // dynamic head p0' - p is 0 and the loss has nothing to be referred to.
    if (kept.p0 == p) return 0.0;
    return (p0 - kept.p0) / (kept.p0 - p);
}

double k_loss_conv_d(double eta, double p1, double p2, double k) {
    if (!compressible(k)) return eta;
    const double r = p2 / p1;
    // Without a positive, finite pressure ratio or an efficiency the powers
    // below are not a number or 0/0.
    if (!(r > 0.0) || std::isinf(r) || eta == 0.0 || !std::isfinite(eta)) return 0.0;
    const double m = enthalpy_exponent(k);
    const double isentropic = std::pow(r, m) - 1.0;  // T2s/T1 - 1
    // At r = 1 both changes vanish; their ratio tends to eta.
    if (isentropic == 0.0) return eta;
    // An expansion reaches T2/T1 = r^(m eta_p) and takes the smaller drop;
    // a compression needs r^(m/eta_p) for the larger rise.
    if (r < 1.0) return (std::pow(r, m * eta) - 1.0) / isentropic;
    return isentropic / (std::pow(r, m / eta) - 1.0);
}

double k_loss_conv_e(double eta, double p1, double p2, double k) {
    const auto usable = [](double p) { return p != 0.0 && !std::isnan(p) && p <= kFluidFailure; };
    if (!usable(p1) || !usable(p2)) return 0.0;
    if (!compressible(k)) return eta;
    const double r = p2 / p1;
    if (r <= 0.0 || !(eta > 0.0) || eta >= 1.0) return 0.0;
    const double m = enthalpy_exponent(k);
    const double isentropic = std::pow(r, m) - 1.0;  // T2s/T1 - 1
    // T2/T1 of the actual path: an expansion drops eta times the isentropic
    // drop, a compression rises by the isentropic rise over eta.
    const double t = r < 1.0 ? 1.0 + eta * isentropic : isentropic / eta + 1.0;
    if (t <= 0.0) return 0.0;
    // At r = 1 both logarithms vanish; their ratio tends to eta.
    if (t == 1.0) return eta;
    // The polytropic path T2/T1 = r^(m eta_p) when expanding, r^(m / eta_p)
    // when compressing.
    if (r < 1.0) return std::log(t) / (m * std::log(r));
    return m * std::log(r) / std::log(t);
}

}  // extern "C"
