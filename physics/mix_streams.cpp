#include "physics/mix_streams.h"

#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "halvorine2/case_block.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/threading.h"
#include "numerics/cg_search.h"

namespace {

using Vec3 = std::array<double, 3>;  // axial, circumferential, radial
constexpr int kZ = 0, kU = 1, kR = 2;

// The mixed axial velocity is sought between half and twice stream 1's, over
// that interval as it stands (no bracket expansion), to a thousandth of it.
constexpr double kSearchStart = 0.5;
constexpr double kSearchWidth = 1.5;
constexpr double kSearchTolerance = 0.001;
constexpr int kFixedInterval = 1;
constexpr double kUnusedGrowth = 1.0;
// Trials of the root search beyond its two ends and its first guess; it
// needs a handful, the cap only guards against a defect that is no function.
constexpr int kMaxRootSteps = 50;
// A trial whose defect is within this fraction of the mixed flow, the
// round-off of the property calls behind it, is the root: the axial velocity
// it stands for is off by that fraction over (1 - Mz^2), far inside the
// tolerance.
constexpr double kRootDefect = 1e-12;
// Below this stream 2 counts as entering without axial velocity, and the loss
// averages its radial momentum instead.
constexpr double kNoAxialSpeed = 1e-8;

bool is_failure(double property) { return property > h2::kPropertyFailureLimit || std::isnan(property); }

double speed(const Vec3& v) { return std::sqrt(v[kZ] * v[kZ] + v[kU] * v[kU] + v[kR] * v[kR]); }
double meridional_speed(const Vec3& v) { return std::sqrt(v[kZ] * v[kZ] + v[kR] * v[kR]); }

h2::stateLocals* state_block() { return static_cast<h2::stateLocals*>(get_stateLocals()); }

// Mass-flow defect G - rho(x) x F through the outlet for the trial axial
// velocity x of the mixture in the block, whose c, cz and p it updates; two
// property calls.
double outlet_defect(h2::stateLocals& state, FluidFunc fluid, double x) {
    state.cz = x;
    state.c = std::sqrt(state.cz * state.cz + state.cu * state.cu + state.cr * state.cr);
    const double h = state.i - 0.5 * state.c * state.c;
    state.p = fluid(H2_FLUID_P_IS, h, state.s, state.af, H2_FLUID_MAIN);
    const double rho = fluid(H2_FLUID_RHO_PI, state.p, h, state.af, H2_FLUID_MAIN);
    // Counted with the axial component alone.
    return state.G - rho * x * state.F;
}

// One trial of the root search with the static state it left in the block,
// so that the state of whichever trial is returned can be put back for free.
struct Trial {
    double x = 0.0;
    double f = 0.0;
    double c = 0.0;
    double p = 0.0;
};

bool same_sign(double a, double b) { return (a > 0.0) == (b > 0.0); }

bool inside(double x, double lo, double hi) { return x > std::fmin(lo, hi) && x < std::fmax(lo, hi); }

// Continuity G = rho x F solved on a model of the mixture's isentrope through
// two trials a and b on either side of the root: rho = rho_a (h / h_a)^n,
// exact for a perfect gas and close for a real one over the search interval.
// Newton's method on the model, from guess, kept inside the trials' bracket
// by bisection; no property calls. Not a number where the model does not
// apply (an enthalpy or density that is not positive).
double isentrope_root(const h2::stateLocals& state, const Trial& a, const Trial& b, double guess) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr int kModelSteps = 30;
    constexpr double kModelTolerance = 1e-12;
    auto enthalpy = [&](double c) { return state.i - 0.5 * c * c; };
    auto density = [&](const Trial& t) { return (state.G - t.f) / (t.x * state.F); };
    const double ha = enthalpy(a.c), hb = enthalpy(b.c);
    const double rho_a = density(a), rho_b = density(b);
    if (!(ha > 0.0 && hb > 0.0 && rho_a > 0.0 && rho_b > 0.0) || ha == hb) return kNaN;
    const double n = std::log(rho_b / rho_a) / std::log(hb / ha);
    if (!std::isfinite(n)) return kNaN;
    const double cross2 = state.cu * state.cu + state.cr * state.cr;

    // The model's defect has the trials' signs at their abscissae.
    double lo = a.x, hi = b.x;  // defect of the sign of a.f at lo
    double x = inside(guess, lo, hi) ? guess : 0.5 * (lo + hi);
    for (int step = 0; step < kModelSteps; ++step) {
        const double h = state.i - 0.5 * (x * x + cross2);
        if (!(h > 0.0)) return kNaN;
        const double rho = rho_a * std::pow(h / ha, n);
        const double defect = state.G - rho * x * state.F;
        if (same_sign(defect, a.f)) {
            lo = x;
        } else {
            hi = x;
        }
        // d(rho x)/dx = rho (1 - n x^2 / h) on the model.
        const double slope = -state.F * rho * (1.0 - n * x * x / h);
        double next = x - defect / slope;
        if (!inside(next, lo, hi)) next = 0.5 * (lo + hi);
        const bool done = std::fabs(next - x) <= kModelTolerance * std::fabs(x);
        x = next;
        if (done) break;
    }
    return x;
}

// The root of the outlet defect in [lo, hi] to tol, from a first guess, by
// Brent's method: inverse quadratic or secant steps inside a bracket that
// always holds a sign change, bisection where they do not shrink it fast
// enough, and steps of at least half the tolerance so that the bracket closes
// round an accurate estimate. The answer is the trial of least defect in a
// final bracket no wider than tol, with its state back in the block.
//
// Returns false, having left the block in some trial's state, when the defect
// has one sign at both ends (no root in the interval, or two about a choked
// outlet's maximum flow), when a trial's property fails, or after far more
// steps than a root needs. The caller then falls back to minimising the
// defect's magnitude.
bool defect_root(h2::stateLocals& state, FluidFunc fluid, double lo, double hi, double guess, double tol,
                 double* root) {
    auto trial = [&](double x, Trial* t) {
        t->x = x;
        t->f = outlet_defect(state, fluid, x);
        t->c = state.c;
        t->p = state.p;
        // A failed property would masquerade as a large defect of either sign.
        return std::isfinite(t->f) && !is_failure(t->p);
    };
    auto finish = [&](const Trial& t) {
        state.cz = t.x;
        state.c = t.c;
        state.p = t.p;
        *root = t.x;
        return true;
    };

    const double zero = kRootDefect * std::fabs(state.G);
    auto is_root = [&](const Trial& t) { return std::fabs(t.f) <= zero; };

    Trial a, b, c;
    if (!trial(lo, &a) || !trial(hi, &c)) return false;
    if (is_root(a)) return finish(a);
    if (is_root(c)) return finish(c);
    if (same_sign(a.f, c.f)) return false;

    // The first trial: continuity on a model of the isentrope through the
    // ends, else the caller's guess, else the false position of the ends.
    double x0 = isentrope_root(state, a, c, guess);
    if (!inside(x0, lo, hi)) x0 = guess;
    if (!inside(x0, lo, hi)) x0 = lo - a.f * (hi - lo) / (c.f - a.f);
    if (!trial(x0, &b)) return false;
    // a: the previous best, c: the point across the sign change from b.
    if (same_sign(b.f, c.f)) std::swap(a, c);
    double d = c.x - b.x;
    double e = d;

    for (int step = 0;; ++step) {
        // b is the best estimate, c the point across the sign change from it.
        if (std::fabs(c.f) < std::fabs(b.f)) {
            a = b;
            b = c;
            c = a;
        }
        const double tol1 = 2.0 * std::numeric_limits<double>::epsilon() * std::fabs(b.x) + 0.5 * std::fabs(tol);
        const double m = 0.5 * (c.x - b.x);
        if (std::fabs(m) <= tol1 || is_root(b)) return finish(b);
        if (step == kMaxRootSteps) return false;

        // An interpolation step where it falls well inside the bracket and
        // shrinks the steps fast enough, else bisection.
        bool bisect = true;
        if (std::fabs(e) >= tol1 && std::fabs(a.f) > std::fabs(b.f)) {
            const double s = b.f / a.f;
            double p = 0.0, q = 0.0;
            if (a.x == c.x) {  // secant
                p = 2.0 * m * s;
                q = 1.0 - s;
            } else {  // inverse quadratic interpolation through a, b, c
                const double qa = a.f / c.f;
                const double r = b.f / c.f;
                p = s * (2.0 * m * qa * (qa - r) - (b.x - a.x) * (r - 1.0));
                q = (qa - 1.0) * (r - 1.0) * (s - 1.0);
            }
            if (p > 0.0) q = -q;
            p = std::fabs(p);
            if (2.0 * p < 3.0 * m * q - std::fabs(tol1 * q) && p < std::fabs(0.5 * e * q)) {
                e = d;
                d = p / q;
                bisect = false;
            }
        }
        if (bisect) d = e = m;

        a = b;
        if (!trial(b.x + (std::fabs(d) > tol1 ? d : std::copysign(tol1, m)), &b)) return false;
        if (!is_root(b) && same_sign(b.f, c.f)) {
            c = a;
            d = e = b.x - a.x;
        }
    }
}

}  // namespace

extern "C" void mix_streams(double F1, const double* c1, double i1, double p1, double F2, const double* c2,
                            double i2, double p2, double Fout, double* cout, double* iout, double* ptout,
                            double* Gout, double* dE, double* hout, double* pout, double* sout) {
    if (pout == nullptr) return;
    const bdLocals* b = get_bdLocals();
    h2::stateLocals* state = state_block();
    // Without these the search has nowhere to keep the mixture and no fluid
    // to ask; the caller's failure test on pout sees it instead of a crash.
    if (b == nullptr || b->fluid_func == nullptr || state == nullptr || c1 == nullptr || c2 == nullptr ||
        cout == nullptr || iout == nullptr || ptout == nullptr || Gout == nullptr || dE == nullptr ||
        hout == nullptr || sout == nullptr) {
        *pout = h2::kMixFailure;
        return;
    }
    const FluidFunc fluid = b->fluid_func;
    const double af = b->cyld_af;
    auto property = [&](int code, double a, double x) { return fluid(code, a, x, af, H2_FLUID_MAIN); };

    // Copies, so that a caller may hand stream 1's vector back as cout.
    const Vec3 v1{c1[kZ], c1[kU], c1[kR]};
    const Vec3 v2{c2[kZ], c2[kU], c2[kR]};

    // Each stream's static state from its total state at its own entropy.
    const double c1_abs = speed(v1);
    const double h1 = i1 - 0.5 * c1_abs * c1_abs;
    const double s1 = property(H2_FLUID_S_PI, p1, i1);
    const double ps1 = property(H2_FLUID_P_IS, h1, s1);
    // A failed stream 1 would otherwise be mixed as if it were a state.
    if (is_failure(ps1)) {
        *pout = ps1;
        return;
    }
    const double c2_abs = speed(v2);
    const double h2 = i2 - 0.5 * c2_abs * c2_abs;
    const double s2 = property(H2_FLUID_S_PI, p2, i2);
    const double ps2 = property(H2_FLUID_P_IS, h2, s2);
    if (is_failure(ps2)) {
        *pout = ps2;
        return;
    }

    // Continuity of each stream through its own area, with the meridional speed.
    const double rho1 = property(H2_FLUID_RHO_PI, ps1, h1);
    const double G1 = rho1 * meridional_speed(v1) * F1;
    const double G2 = property(H2_FLUID_RHO_PI, ps2, h2) * meridional_speed(v2) * F2;
    const double G = G1 + G2;
    // Mass-weighted average. Two streams without any flow would divide 0 by 0:
    // the mixture then keeps stream 1's value.
    auto mass_average = [&](double a1, double a2) { return G != 0.0 ? (G1 * a1 + G2 * a2) / G : a1; };

    // Mass and energy conservation; entropy and swirl mass-averaged; the
    // mixture keeps stream 1's radial velocity.
    *Gout = G;
    const double i = mass_average(i1, i2);
    *iout = i;
    const double s = mass_average(s1, s2);
    cout[kU] = mass_average(v1[kU], v2[kU]);
    cout[kR] = v1[kR];

    *state = h2::stateLocals{.af = af,
                             .c = 0.0,
                             .cz = cout[kZ],
                             .cu = cout[kU],
                             .cr = cout[kR],
                             .i = i,
                             .s = s,
                             .G = G,
                             .F = Fout,
                             .p = 0.0};

    // The axial velocity that passes G through Fout (continuity at the outlet):
    // the root of the defect, where the defect changes sign over the interval
    // (stream 1's density gives a fallback first guess). Otherwise (no root there, a
    // choked outlet, an empty or reversed interval) the point of least defect
    // by a golden-section search, whose answer is the middle of its last
    // interval while the block holds its last trial.
    const double cz1 = v1[kZ];
    const double lo = kSearchStart * cz1;
    const double hi = lo + kSearchWidth * cz1;
    const double tol = kSearchTolerance * cz1;
    double cz = 0.0;
    const bool rooted = cz1 > 0.0 && std::isfinite(cz1) &&
                        defect_root(*state, fluid, lo, hi, G / (rho1 * Fout), tol, &cz);
    if (!rooted) cz = h2::golden_max(mix_residual, kFixedInterval, lo, kSearchWidth * cz1, tol, kUnusedGrowth);
    cout[kZ] = cz;

    // The static state is the one in the block: at the returned axial
    // velocity after a root search, the last trial's (within the tolerance of
    // it) after a golden section; never evaluated again.
    *pout = state->p;
    const double h = i - 0.5 * state->c * state->c;
    *hout = h;
    const double s_out = property(H2_FLUID_S_PI, *pout, h);
    *sout = s_out;
    *ptout = property(H2_FLUID_P_IS, i, s_out);

    // Kinetic energy lost in the mixing, against a momentum-averaged speed cm:
    // the streams' momenta along stream 2's direction of entry are averaged.
    double cm = 0.0;
    if (std::fabs(v2[kZ]) > kNoAxialSpeed) {
        const double u = mass_average(v1[kZ], v2[kZ]);
        cm = std::sqrt(u * u + cout[kU] * cout[kU] + cout[kR] * cout[kR]);
    } else {
        const double u = mass_average(v1[kR], v2[kR]);
        cm = std::sqrt(u * u + cout[kU] * cout[kU] + cout[kZ] * cout[kZ]);
    }
    // Per kilogram of mixture; with no flow at all nothing is lost.
    *dE = G != 0.0 ? 0.5 * (G1 * c1_abs * c1_abs + G2 * c2_abs * c2_abs - G * cm * cm) / G : 0.0;
}

extern "C" double mix_residual(double x) {
    h2::stateLocals* state = state_block();
    const bdLocals* b = get_bdLocals();
    if (state == nullptr || b == nullptr || b->fluid_func == nullptr) return -h2::kMixFailure;
    return -std::fabs(outlet_defect(*state, b->fluid_func, x));
}
