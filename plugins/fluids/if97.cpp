// IF97 equations; see if97.h for the units and the conventions.
#include "plugins/fluids/if97.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

#include "plugins/fluids/if97_tables.h"

namespace h2::if97 {

namespace {

namespace tb = tables;

constexpr double kMPa = 1e6;
constexpr double kKJ = 1e3;
constexpr double kTmin = 273.15;
constexpr double kT25 = 1073.15;
constexpr double kTmax = 2273.15;
constexpr double kPmax = 100e6;
constexpr double kP5max = 50e6;
constexpr double kSc = 4.41202148223476e3;  // J/(kg K), critical entropy: region 3a/3b in (p, s)

// x^k for every integer k in [Lo, Hi] (Lo <= 0 <= Hi), by repeated products.
template <int Lo, int Hi>
struct Powers {
    double v[Hi - Lo + 1];
    explicit Powers(double x) {
        v[-Lo] = 1.0;
        for (int k = 1; k <= Hi; ++k) v[k - Lo] = v[k - 1 - Lo] * x;
        const double inv = 1.0 / x;
        for (int k = -1; k >= Lo; --k) v[k - Lo] = v[k + 1 - Lo] * inv;
    }
    double operator()(int k) const { return v[k - Lo]; }
};

// Integer power by squaring; fractional exponents through pow.
double ipow(double x, double e) {
    const int k = static_cast<int>(e);
    if (static_cast<double>(k) != e) return std::pow(x, e);
    double base = k < 0 ? 1.0 / x : x;
    unsigned n = static_cast<unsigned>(k < 0 ? -k : k);
    double r = 1.0;
    while (n != 0) {
        if (n & 1u) r *= base;
        base *= base;
        n >>= 1;
    }
    return r;
}

// The exponents of a table in quarters: their range (always including 0),
// and whether they are all whole quarters (whole numbers: `whole`).
template <int N>
struct QuarterExponents {
    int lo = 0, hi = 0;
    bool quarters = true, whole = true;
    constexpr explicit QuarterExponents(const double (&e)[N]) {
        for (double x : e) {
            const int q = static_cast<int>(4.0 * x);
            if (static_cast<double>(q) != 4.0 * x) quarters = false;
            if (q % 4 != 0) whole = false;
            lo = std::min(lo, q);
            hi = std::max(hi, q);
        }
        if (whole) {
            lo /= 4;
            hi /= 4;
        }
    }
};

// The powers x^e of a table's exponents: repeated products of x, or of its
// fourth root where the exponents are quarters.
template <int N, const QuarterExponents<N>& Q>
struct ExponentPowers {
    Powers<Q.lo, Q.hi> table;
    explicit ExponentPowers(double x) : table(Q.whole ? x : std::sqrt(std::sqrt(x))) {}
    double operator()(double e) const { return table(static_cast<int>(Q.whole ? e : 4.0 * e)); }
};

template <const auto& T>
struct SeriesExponents {
    static constexpr int N = std::remove_cvref_t<decltype(T)>::size;
    static constexpr QuarterExponents<N> I{T.I}, J{T.J};
};

// sum n x^I y^J of a backward equation: the powers from one table of
// repeated products each (of the fourth root for quarter exponents; the
// tables have no others), through pow only for a table that had.
template <const auto& T>
double series(double x, double y) {
    using E = SeriesExponents<T>;
    constexpr int N = E::N;
    double sum = 0.0;
    if constexpr (E::I.quarters && E::J.quarters) {
        const ExponentPowers<N, E::I> X(x);
        const ExponentPowers<N, E::J> Y(y);
        for (int i = 0; i < N; ++i) sum += T.n[i] * X(T.I[i]) * Y(T.J[i]);
    } else {
        for (int i = 0; i < N; ++i) sum += T.n[i] * ipow(x, T.I[i]) * ipow(y, T.J[i]);
    }
    return sum;
}

// A dimensionless Gibbs function and its derivatives in pi and tau.
struct Gibbs {
    double g = 0, gp = 0, gpp = 0, gt = 0, gtt = 0, gpt = 0, gttt = 0;
};

// The coefficients of a Gibbs table's terms and of their derivatives,
// n I^(k) J^(l), worked out once: the evaluation is then the same run of
// multiply-adds for every term. A derivative that vanishes (I or J below the
// order) has the coefficient 0, so its power, read all the same, only has to
// exist: the power tables reach two below the least I and three below the
// least J.
template <int N>
struct GibbsTerms {
    int I[N] = {}, J[N] = {};
    double n[N] = {}, nI[N] = {}, nII[N] = {}, nIJ[N] = {}, nJ[N] = {}, nJJ[N] = {}, nJJJ[N] = {};
    constexpr explicit GibbsTerms(const tb::Terms<N>& t) {
        for (int k = 0; k < N; ++k) {
            const int i = static_cast<int>(t.I[k]), j = static_cast<int>(t.J[k]);
            I[k] = i;
            J[k] = j;
            n[k] = t.n[k];
            nI[k] = t.n[k] * i;
            nII[k] = t.n[k] * i * (i - 1);
            nIJ[k] = t.n[k] * i * j;
            nJ[k] = t.n[k] * j;
            nJJ[k] = t.n[k] * j * (j - 1);
            nJJJ[k] = t.n[k] * j * (j - 1) * (j - 2);
        }
    }
};

// Adds sum n X^I Y^J, X = a + sign pi, Y = tau + b, to G. The powers must
// reach two below the least I and three below the least J.
template <int N, class PX, class PY>
void add_gibbs(const GibbsTerms<N>& t, const PX& X, const PY& Y, double sign, Gibbs& G) {
    double g = 0, gp = 0, gpp = 0, gpt = 0, gt = 0, gtt = 0, gttt = 0;
    for (int k = 0; k < N; ++k) {
        const int I = t.I[k], J = t.J[k];
        const double xi = X(I), yj = Y(J), xi1 = X(I - 1), yj1 = Y(J - 1);
        g += t.n[k] * xi * yj;
        gp += t.nI[k] * xi1 * yj;
        gpp += t.nII[k] * X(I - 2) * yj;
        gpt += t.nIJ[k] * xi1 * yj1;
        gt += t.nJ[k] * xi * yj1;
        gtt += t.nJJ[k] * xi * Y(J - 2);
        gttt += t.nJJJ[k] * xi * Y(J - 3);
    }
    G.g += g;
    G.gp += sign * gp;
    G.gpp += gpp;
    G.gpt += sign * gpt;
    G.gt += gt;
    G.gtt += gtt;
    G.gttt += gttt;
}

constexpr GibbsTerms<tb::region1.size> kRegion1(tb::region1);
constexpr GibbsTerms<tb::region2_residual.size> kRegion2(tb::region2_residual);
constexpr GibbsTerms<tb::region5_residual.size> kRegion5(tb::region5_residual);

State from_gibbs(int region, double p, double T, double pstar, double tau, const Gibbs& G) {
    State st;
    st.region = region;
    st.p = p;
    st.T = T;
    st.v = kR * T * G.gp / pstar;
    st.h = kR * T * tau * G.gt;
    st.s = kR * (tau * G.gt - G.g);
    st.cp = -kR * tau * tau * G.gtt;
    const double a = G.gp - tau * G.gpt;
    st.cv = kR * (-tau * tau * G.gtt + a * a / G.gpp);
    st.w = std::sqrt(kR * T * G.gp * G.gp / (a * a / (tau * tau * G.gtt) - G.gpp));
    st.dvdp_T = kR * T * G.gpp / (pstar * pstar);
    st.dvdT_p = kR * a / pstar;
    // d cp/dT along the isobar, from cp = -R tau^2 g_tautau and dtau/dT = -tau/T.
    st.dcpdT_p = kR * tau * tau * (2.0 * G.gtt + tau * G.gttt) / T;
    return st;
}

// Region 3: the dimensionless Helmholtz free energy and its derivatives.
struct Helm {
    double f = 0, fd = 0, fdd = 0, ft = 0, ftt = 0, fdt = 0;
    double delta = 0, tau = 0;
};

Helm helm3(double rho, double T) {
    Helm H;
    H.delta = rho / kRhoc;
    H.tau = kTc / T;
    const Powers<-2, 11> D(H.delta);
    const Powers<-2, 26> U(H.tau);
    const double n1 = tb::region3_n1;
    H.f = n1 * std::log(H.delta);
    H.fd = n1 / H.delta;
    H.fdd = -n1 / (H.delta * H.delta);
    const auto& t = tb::region3;
    for (int k = 0; k < t.size; ++k) {
        const int I = static_cast<int>(t.I[k]);
        const int J = static_cast<int>(t.J[k]);
        const double n = t.n[k];
        const double di = D(I), uj = U(J);
        H.f += n * di * uj;
        if (I != 0) {
            H.fd += n * I * D(I - 1) * uj;
            if (I != 1) H.fdd += n * I * (I - 1) * D(I - 2) * uj;
            if (J != 0) H.fdt += n * I * D(I - 1) * J * U(J - 1);
        }
        if (J != 0) {
            H.ft += n * di * J * U(J - 1);
            if (J != 1) H.ftt += n * di * J * (J - 1) * U(J - 2);
        }
    }
    return H;
}

// Pressure and its derivatives of a region-3 point.
struct Region3Deriv {
    double p, dp_drho, dp_dT, h, dh_drho, dh_dT, s, ds_drho, ds_dT;
};

Region3Deriv deriv3(double rho, double T) {
    const Helm H = helm3(rho, T);
    const double d = H.delta, t = H.tau;
    Region3Deriv r;
    r.p = rho * kR * T * d * H.fd;
    r.dp_drho = kR * T * (2.0 * d * H.fd + d * d * H.fdd);
    r.dp_dT = rho * kR * (d * H.fd - d * t * H.fdt);
    r.h = kR * T * (t * H.ft + d * H.fd);
    r.dh_drho = kR * T / rho * (d * t * H.fdt + d * H.fd + d * d * H.fdd);
    r.dh_dT = kR * (d * H.fd - t * t * H.ftt - d * t * H.fdt);
    r.s = kR * (t * H.ft - H.f);
    r.ds_drho = kR / rho * (d * t * H.fdt - d * H.fd);
    r.ds_dT = -kR * t * t * H.ftt / T;
    return r;
}

bool finite(double x) { return std::isfinite(x); }

// Relative steps below this end a Newton iteration: the next step changes
// nothing but the last bit or two.
constexpr double kConverged = 4e-16;

// Ends a Newton iteration at rounding: the relative step is at the last bits,
// or it is small and no longer halves (rounding noise of the equations).
struct Converged {
    double last = INFINITY;
    bool operator()(double rel_step) {
        rel_step = std::fabs(rel_step);
        const bool done = rel_step <= kConverged || (rel_step < 1e-12 && rel_step > 0.5 * last);
        last = rel_step;
        return done;
    }
};

}  // namespace

// ---- Basic equations --------------------------------------------------------------

State region1(double p, double T) {
    const double pi = p / 16.53e6, tau = 1386.0 / T;
    const Powers<-2, 32> X(7.1 - pi);
    const Powers<-44, 17> Y(tau - 1.222);
    Gibbs G;
    add_gibbs(kRegion1, X, Y, -1.0, G);
    return from_gibbs(1, p, T, 16.53e6, tau, G);
}

// The ideal-gas part of a vapour region's Gibbs energy: ln pi plus a
// polynomial in tau, added with its derivatives.
template <class Table, class TauPowers>
void add_ideal_gas_part(const Table& o, const TauPowers& U, double pi, Gibbs& G) {
    G.g += std::log(pi);
    G.gp += 1.0 / pi;
    G.gpp += -1.0 / (pi * pi);
    for (int k = 0; k < o.size; ++k) {
        const int J = static_cast<int>(o.J[k]);
        G.g += o.n[k] * U(J);
        G.gt += o.n[k] * J * U(J - 1);
        G.gtt += o.n[k] * J * (J - 1) * U(J - 2);
        G.gttt += o.n[k] * J * (J - 1) * (J - 2) * U(J - 3);
    }
}

State region2(double p, double T) {
    const double pi = p / kMPa, tau = 540.0 / T;
    Gibbs G;
    const Powers<-1, 24> X(pi);
    const Powers<-3, 58> Y(tau - 0.5);
    add_gibbs(kRegion2, X, Y, 1.0, G);
    const Powers<-8, 3> U(tau);
    add_ideal_gas_part(tb::region2_ideal, U, pi, G);
    return from_gibbs(2, p, T, kMPa, tau, G);
}

State region5(double p, double T) {
    const double pi = p / kMPa, tau = 1000.0 / T;
    Gibbs G;
    const Powers<-1, 3> X(pi);
    const Powers<-6, 9> U(tau);
    add_gibbs(kRegion5, X, U, 1.0, G);
    add_ideal_gas_part(tb::region5_ideal, U, pi, G);
    return from_gibbs(5, p, T, kMPa, tau, G);
}

State region3(double rho, double T) {
    const Helm H = helm3(rho, T);
    const double d = H.delta, t = H.tau;
    State st;
    st.region = 3;
    st.T = T;
    st.v = 1.0 / rho;
    st.p = rho * kR * T * d * H.fd;
    st.h = kR * T * (t * H.ft + d * H.fd);
    st.s = kR * (t * H.ft - H.f);
    st.cv = -kR * t * t * H.ftt;
    const double a = d * H.fd - d * t * H.fdt;
    const double b = 2.0 * d * H.fd + d * d * H.fdd;
    st.cp = kR * (-t * t * H.ftt + a * a / b);
    st.w = std::sqrt(kR * T * (b - a * a / (t * t * H.ftt)));
    const double dp_drho = kR * T * b;
    const double dp_dT = rho * kR * a;
    st.dvdp_T = -1.0 / (rho * rho * dp_drho);
    st.dvdT_p = dp_dT / (rho * rho * dp_drho);
    return st;
}

// ---- Saturation line and boundaries -------------------------------------------------

double p_sat(double T) {
    const double* n = tb::region4;
    const double th = T + n[8] / (T - n[9]);
    const double A = th * th + n[0] * th + n[1];
    const double B = n[2] * th * th + n[3] * th + n[4];
    const double C = n[5] * th * th + n[6] * th + n[7];
    const double x = 2.0 * C / (-B + std::sqrt(B * B - 4.0 * A * C));
    return x * x * x * x * kMPa;
}

double dp_sat_dT(double T) {
    const double* n = tb::region4;
    const double th = T + n[8] / (T - n[9]);
    const double dth = 1.0 - n[8] / ((T - n[9]) * (T - n[9]));
    const double A = th * th + n[0] * th + n[1], dA = 2.0 * th + n[0];
    const double B = n[2] * th * th + n[3] * th + n[4], dB = 2.0 * n[2] * th + n[3];
    const double C = n[5] * th * th + n[6] * th + n[7], dC = 2.0 * n[5] * th + n[6];
    const double D = std::sqrt(B * B - 4.0 * A * C);
    const double dD = (2.0 * B * dB - 4.0 * (dA * C + A * dC)) / (2.0 * D);
    const double den = -B + D;
    const double x = 2.0 * C / den;
    const double dx = (2.0 * dC * den - 2.0 * C * (-dB + dD)) / (den * den);
    return 4.0 * x * x * x * dx * dth * kMPa;
}

double T_sat(double p) {
    const double* n = tb::region4;
    const double beta = std::pow(p / kMPa, 0.25);
    const double E = beta * beta + n[2] * beta + n[5];
    const double F = n[0] * beta * beta + n[3] * beta + n[6];
    const double G = n[1] * beta * beta + n[4] * beta + n[7];
    const double D = 2.0 * G / (-F - std::sqrt(F * F - 4.0 * E * G));
    return (n[9] + D - std::sqrt((n[9] + D) * (n[9] + D) - 4.0 * (n[8] + n[9] * D))) / 2.0;
}

double p_b23(double T) { return (tb::b23[0] + tb::b23[1] * T + tb::b23[2] * T * T) * kMPa; }

double T_b23(double p) { return tb::b23[3] + std::sqrt((p / kMPa - tb::b23[4]) / tb::b23[2]); }

namespace {

// Region 2b/2c boundary as pressure of the enthalpy (Pa of J/kg).
double p_b2bc(double h) {
    const double eta = h / kKJ;
    return (tb::b2bc[0] + tb::b2bc[1] * eta + tb::b2bc[2] * eta * eta) * kMPa;
}

double h_b3ab(double p) {
    const double pi = p / kMPa;
    const double* n = tb::h3ab_p;
    return (n[0] + n[1] * pi + n[2] * pi * pi + n[3] * pi * pi * pi) * kKJ;
}

double h_b2ab(double s) {
    const double x = s / kKJ;
    const double* n = tb::h2ab_s;
    return (n[0] + n[1] * x + n[2] * x * x + n[3] * x * x * x) * kKJ;
}

double T3a_ph(double pi, double eta) {
    return 760.0 * series<tb::T3a_ph>(pi / 100.0 + 0.240, eta / 2300.0 - 0.615);
}
double T3b_ph(double pi, double eta) {
    return 860.0 * series<tb::T3b_ph>(pi / 100.0 + 0.298, eta / 2800.0 - 0.720);
}

}  // namespace

// ---- Backward equations -----------------------------------------------------------

double T_ph_backward(int region, double p, double h) {
    const double pi = p / kMPa, eta = h / kKJ;
    switch (region) {
        case 1:
            return series<tb::T1_ph>(pi, eta / 2500.0 + 1.0);
        case 2:
            if (p <= 4e6) return series<tb::T2a_ph>(pi, eta / 2000.0 - 2.1);
            if (p <= p_b2bc(h)) return series<tb::T2b_ph>(pi - 2.0, eta / 2000.0 - 2.6);
            return series<tb::T2c_ph>(pi + 25.0, eta / 2000.0 - 1.8);
        case 3:
            return h <= h_b3ab(p) ? T3a_ph(pi, eta) : T3b_ph(pi, eta);
        default:
            return NAN;
    }
}

double T_ps_backward(int region, double p, double s) {
    const double pi = p / kMPa, sg = s / kKJ;
    switch (region) {
        case 1:
            return series<tb::T1_ps>(pi, sg + 2.0);
        case 2:
            if (p <= 4e6) return series<tb::T2a_ps>(pi, sg / 2.0 - 2.0);
            if (s >= 5.85e3) return series<tb::T2b_ps>(pi, 10.0 - sg / 0.7853);
            return series<tb::T2c_ps>(pi, 2.0 - sg / 2.9251);
        case 3:
            if (s <= kSc) return 760.0 * series<tb::T3a_ps>(pi / 100.0 + 0.240, sg / 4.4 - 0.703);
            return 860.0 * series<tb::T3b_ps>(pi / 100.0 + 0.760, sg / 5.3 - 0.818);
        default:
            return NAN;
    }
}

double v_ph_backward(double p, double h) {
    const double pi = p / kMPa, eta = h / kKJ;
    if (h <= h_b3ab(p)) return 0.0028 * series<tb::v3a_ph>(pi / 100.0 + 0.128, eta / 2100.0 - 0.727);
    return 0.0088 * series<tb::v3b_ph>(pi / 100.0 + 0.0661, eta / 2800.0 - 0.720);
}

double v_ps_backward(double p, double s) {
    const double pi = p / kMPa, sg = s / kKJ;
    if (s <= kSc) return 0.0028 * series<tb::v3a_ps>(pi / 100.0 + 0.187, sg / 4.4 - 0.755);
    return 0.0088 * series<tb::v3b_ps>(pi / 100.0 + 0.298, sg / 5.3 - 0.816);
}

double p_hs_backward(int region, double h, double s) {
    const double eta = h / kKJ, sg = s / kKJ;
    switch (region) {
        case 1:
            return 100.0 * kMPa * series<tb::p1_hs>(eta / 3400.0 + 0.05, sg / 7.6 + 0.05);
        case 2: {
            double r;
            if (h <= h_b2ab(s)) {
                r = series<tb::p2a_hs>(eta / 4200.0 - 0.5, sg / 12.0 - 1.2);
                return 4.0 * kMPa * r * r * r * r;
            }
            if (s >= 5.85e3)
                r = series<tb::p2b_hs>(eta / 4100.0 - 0.6, sg / 7.9 - 1.01);
            else
                r = series<tb::p2c_hs>(eta / 3500.0 - 0.7, sg / 5.9 - 1.1);
            return 100.0 * kMPa * r * r * r * r;
        }
        case 3:
            if (s <= kSc) return 99.0 * kMPa * series<tb::p3a_hs>(eta / 2300.0 - 1.01, sg / 4.4 - 0.750);
            return 16.6 * kMPa / series<tb::p3b_hs>(eta / 2800.0 - 0.681, sg / 5.3 - 0.792);
        default:
            return NAN;
    }
}

// ---- Region 3 density from pressure and temperature ------------------------------------

namespace {

// The enthalpy at which the region-3 backward temperature of one branch
// (a: liquid-like, b: vapour-like) equals T, by the Illinois method.
double h_from_T3(double p, double T, bool liquid) {
    const double pi = p / kMPa;
    const double hab = h_b3ab(p) / kKJ;
    double a = liquid ? 1400.0 : hab, b = liquid ? hab : 3400.0;
    auto f = [&](double eta) { return (liquid ? T3a_ph(pi, eta) : T3b_ph(pi, eta)) - T; };
    double fa = f(a), fb = f(b);
    if (fa >= 0.0) return a * kKJ;
    if (fb <= 0.0) return b * kKJ;
    int side = 0;
    for (int it = 0; it < 60; ++it) {
        const double c = (a * fb - b * fa) / (fb - fa);
        const double fc = f(c);
        if (fc == 0.0 || std::fabs(b - a) < 1e-9 * std::fabs(c)) return c * kKJ;
        if (fc * fb > 0.0) {
            b = c;
            fb = fc;
            if (side == -1) fa /= 2.0;
            side = -1;
        } else {
            a = c;
            fa = fc;
            if (side == 1) fb /= 2.0;
            side = 1;
        }
    }
    return 0.5 * (a + b) * kKJ;
}

// Region-3 density at (p, T) on one branch, from the backward equations and
// then Newton's method on the basic equation, kept on its branch.
double rho3(double p, double T, bool liquid) {
    const double h0 = h_from_T3(p, T, liquid);
    double rho = 1.0 / v_ph_backward(p, std::clamp(h0, 0.0, 1e7));
    if (!(rho > 0.0) || !finite(rho)) rho = liquid ? 500.0 : 200.0;
    Converged done;
    for (int it = 0; it < 100; ++it) {
        const Helm H = helm3(rho, T);
        const double d = H.delta;
        const double pr = rho * kR * T * d * H.fd;
        const double dp = kR * T * (2.0 * d * H.fd + d * d * H.fdd);
        double next;
        if (!(dp > 0.0)) {
            next = liquid ? rho * 1.02 : rho * 0.98;  // inside the loop: back to the branch
        } else {
            next = rho - (pr - p) / dp;
            next = std::clamp(next, 0.5 * rho, 1.5 * rho);
        }
        const double step = std::fabs(next - rho);
        rho = next;
        if (done(step / rho)) break;
    }
    return rho;
}

// Both branches agree above the critical temperature; below it the branch is
// the side of the saturation pressure.
bool liquid_branch(double p, double T) {
    if (T < kTc) return p >= p_sat(T);
    const double pi = p / kMPa;
    return T3a_ph(pi, h_b3ab(p) / kKJ) >= T;
}

}  // namespace

// ---- Points ----------------------------------------------------------------------------

bool point_pT(double p, double T, State& out) {
    if (!finite(p) || !finite(T) || !(p > 0.0) || p > kPmax || T < kTmin || T > kTmax) return false;
    if (T > kT25) {
        if (p > kP5max) return false;
        out = region5(p, T);
    } else if (T <= kT13) {
        out = p >= p_sat(T) ? region1(p, T) : region2(p, T);
    } else if (p > p_b23(T)) {
        out = region3(rho3(p, T, liquid_branch(p, T)), T);
        out.p = p;
    } else {
        out = region2(p, T);
    }
    return true;
}

bool saturated(double p, State& liq, State& vap) {
    if (!finite(p) || p < kPtriple || p >= kPc) return false;
    const double T = T_sat(p);
    if (p <= kP13) {
        liq = region1(p, T);
        vap = region2(p, T);
    } else {
        liq = region3(rho3(p, T, true), T);
        vap = region3(rho3(p, T, false), T);
        liq.p = vap.p = p;
    }
    return true;
}

namespace {

// The two properties a point can be found from at a given pressure.
enum class By { h, s };

double prop(const State& st, By by) { return by == By::h ? st.h : st.s; }

// The derivative of the property along an isobar, per kelvin.
double dprop_dT(const State& st, By by) { return by == By::h ? st.cp : st.cp / st.T; }

// Its second derivative: dcp/dT, or d(cp/T)/dT.
double d2prop_dT2(const State& st, By by) {
    return by == By::h ? st.dcpdT_p : (st.dcpdT_p - st.cp / st.T) / st.T;
}

// Relative error of T left after a step that is accepted without a look at
// the residual of the state it reached. It moves the properties by
// about this much relative (v by at most a few times this near saturation),
// a thousandth of the basic equations' own rounding-limited agreement with
// their inverses that callers may rely on.
constexpr double kStepAnswers = 1e-14;

State gibbs_state(int region, double p, double T) {
    return region == 1 ? region1(p, T) : region == 2 ? region2(p, T) : region5(p, T);
}

// Regions 1, 2, 5: T on the isobar where the property has its value, Newton
// from the start T0.
// A step toward a temperature outside (lo, hi) gives up: the caller's
// shortcut has no answer.
bool newton_T(int region, double p, double value, By by, double T0, State& out, double lo = -INFINITY,
              double hi = INFINITY) {
    double T = T0;
    if (!finite(T)) return false;
    Converged done;
    for (int it = 0; it < 50; ++it) {
        const State st = gibbs_state(region, p, T);
        const double slope = dprop_dT(st, by);
        const double newton = (prop(st, by) - value) / slope;
        if (!finite(newton)) return false;
        if (std::fabs(newton) <= kConverged * T) {  // this state is the answer to rounding
            out = st;
            return true;
        }
        // Halley's step: Newton's with the curvature a = f''/2f' of the
        // property along the isobar, whose error is of the order a^2 step^3.
        const double a = d2prop_dT2(st, by) / (2.0 * slope);
        const double halley = newton / (1.0 - a * newton);
        const double step = finite(halley) && std::fabs(halley) < 2.0 * std::fabs(newton) ? halley : newton;
        // A full step out of (lo, hi) gives up at once, rather than after
        // the clamped steps that would walk there.
        if (!(T - step > lo && T - step < hi)) return false;
        const double clamped = std::clamp(step, -0.2 * T, 0.2 * T);
        T -= clamped;
        // When that error is below the tolerance the state at the new T is
        // the answer, and a further evaluation would only confirm it. Not in
        // the liquid: its pressure from (h, s) moves by T/v = 3e5 Pa per
        // J/(kg K) of entropy and needs T to its last bits.
        if (region != 1 && clamped == halley && a * a * std::fabs(step * step * step) <= kStepAnswers * T) {
            out = gibbs_state(region, p, T);
            return true;
        }
        if (done(step / T)) break;
    }
    out = gibbs_state(region, p, T);
    return true;
}

// Region 5 starts from its ideal-gas part: the temperature where the
// ideal-gas enthalpy or entropy has the value.
double ideal5_T(double p, double value, By by) {
    const auto& o = tb::region5_ideal;
    double T = 1500.0;
    for (int it = 0; it < 40; ++it) {
        const double tau = 1000.0 / T;
        double g = std::log(p / kMPa), gt = 0, gtt = 0;
        for (int k = 0; k < o.size; ++k) {
            const double J = o.J[k];
            g += o.n[k] * ipow(tau, J);
            gt += o.n[k] * J * ipow(tau, J - 1);
            gtt += o.n[k] * J * (J - 1) * ipow(tau, J - 2);
        }
        const double cp = -kR * tau * tau * gtt;
        const double f = by == By::h ? kR * T * tau * gt - value : kR * (tau * gt - g) - value;
        const double step = by == By::h ? f / cp : f * T / cp;
        T -= std::clamp(step, -0.3 * T, 0.3 * T);
        if (std::fabs(step) < 1e-9 * T) break;
    }
    return T;
}

// Region 3: (rho, T) where pressure and property have their values, Newton
// in two variables from the backward equations.
bool newton3(double p, double value, By by, State& out) {
    double T = by == By::h ? T_ph_backward(3, p, value) : T_ps_backward(3, p, value);
    double v = by == By::h ? v_ph_backward(p, value) : v_ps_backward(p, value);
    if (!finite(T) || !finite(v) || !(v > 0.0)) return false;
    double rho = 1.0 / v;
    Converged done;
    for (int it = 0; it < 60; ++it) {
        const Region3Deriv d = deriv3(rho, T);
        const double f1 = d.p - p;
        const double f2 = (by == By::h ? d.h : d.s) - value;
        const double a = d.dp_drho, b = d.dp_dT;
        const double c = by == By::h ? d.dh_drho : d.ds_drho;
        const double e = by == By::h ? d.dh_dT : d.ds_dT;
        const double det = a * e - b * c;
        const double drho = (f1 * e - b * f2) / det;
        const double dT = (a * f2 - c * f1) / det;
        if (!finite(drho) || !finite(dT)) return false;
        rho -= std::clamp(drho, -0.3 * rho, 0.3 * rho);
        T -= std::clamp(dT, -0.05 * T, 0.05 * T);
        if (done(std::max(std::fabs(drho / rho), std::fabs(dT / T)))) break;
    }
    out = region3(rho, T);
    out.p = p;
    return true;
}

void mix(Point& pt, double p, double x) {
    const State& l = pt.liq;
    const State& g = pt.vap;
    pt.region = 4;
    pt.x = x;
    State m;
    m.region = 4;
    m.p = p;
    m.T = l.T;
    m.v = l.v + x * (g.v - l.v);
    m.h = l.h + x * (g.h - l.h);
    m.s = l.s + x * (g.s - l.s);
    m.cp = x * g.cp + (1.0 - x) * l.cp;
    m.w = NAN;  // the wet speed of sound is wet_sound_speed()
    pt.one = m;
}

double backward_T(int region, double p, double value, By by) {
    return by == By::h ? T_ph_backward(region, p, value) : T_ps_backward(region, p, value);
}

// One phase of a region; T0, when given, is the start the caller has, and
// a step toward a temperature outside (lo, hi) gives up.
bool single(int region, double p, double value, By by, Point& out, double T0 = NAN, double lo = -INFINITY,
            double hi = INFINITY) {
    out.region = region;
    out.x = -1.0;
    if (region == 3) return newton3(p, value, by, out.one);
    if (!finite(T0)) T0 = region == 5 ? ideal5_T(p, value, by) : backward_T(region, p, value, by);
    if (!newton_T(region, p, value, by, T0, out.one, lo, hi)) return false;
    const double T = out.one.T;
    if (region == 5) return T >= kT25 && T <= kTmax;
    return T >= kTmin - 1e-9 && T <= kT25 + 1e-9;
}

// Margins of the shortcut below: the backward temperature is good to some
// 10 mK, so a start a kelvin inside a region's temperatures is a state of that
// region unless its answer says otherwise; an answer a millikelvin inside is
// beyond doubt (h and s rise along an isobar, so the region's test at its edge
// would have said the same).
constexpr double kStartInside = 1.0;    // K
constexpr double kAnswerInside = 1e-3;  // K

// A floor under the saturated vapour's enthalpy and entropy between the
// triple pressure and 16.53 MPa: h'' rises to its maximum near 3 MPa and falls
// after it, s'' falls throughout, so the lesser of the values at the two ends
// of a pressure interval is below either inside it. A value below the floor
// is not a region-2 state (wet steam, mostly), and the region-2 shortcut is
// not tried for it. Only speed depends on the floor: the full tests decide.
class VapourFloor {
public:
    VapourFloor() {
        for (int k = 0; k <= kIntervals; ++k) {
            const double p = std::exp(kLnLow + k * step());
            const State g = region2(p, T_sat(p));
            h_[k] = g.h;
            s_[k] = g.s;
        }
    }
    double operator()(double p, By by) const {
        const double x = (std::log(p) - kLnLow) / step();
        if (!(x >= 0.0 && x < kIntervals)) return -INFINITY;
        const int k = static_cast<int>(x);
        const double* v = by == By::h ? h_ : s_;
        return std::min(v[k], v[k + 1]);
    }

private:
    static constexpr int kIntervals = 64;
    static inline const double kLnLow = std::log(kPtriple), kLnHigh = std::log(kP13);
    static double step() { return (kLnHigh - kLnLow) / kIntervals; }
    double h_[kIntervals + 1], s_[kIntervals + 1];
};

double vapour_floor(double p, By by) {
    static const VapourFloor floor;
    return floor(p, by);
}

// Whether a state from Newton's method has the value asked for: a run that
// ended on its iteration limit, or far from its start, has not.
bool answers(const State& st, double value, By by) {
    return std::fabs((prop(st, by) - value) / dprop_dT(st, by)) <= 1e-9 * st.T;
}

// A state clearly inside region 1 or 2 at this pressure, answered from the
// region's backward equation and Newton's method alone: no evaluation of the
// phase at the region's edge. False when the state is not clearly inside;
// then the full tests decide.
bool clearly_inside(int region, double p, double value, By by, Point& out) {
    double lower, upper;
    if (region == 2) {
        // Region 2 runs from saturation (below the triple pressure from
        // 273.15 K; above 16.53 MPa from the 2-3 boundary) to 1073.15 K.
        lower = p < kPtriple ? kTmin : p <= kP13 ? T_sat(p) : T_b23(p);
        upper = kT25;
    } else {
        // Region 1 runs from 273.15 K to saturation, or to 623.15 K.
        if (p < kPtriple) return false;
        lower = kTmin;
        upper = p <= kP13 ? T_sat(p) : kT13;
    }
    const double T0 = backward_T(region, p, value, by);
    if (!(T0 > lower + kStartInside && T0 < upper - kStartInside)) return false;
    Point pt;
    // A state of the other side (wet steam asked of region 2, say) takes
    // Newton's method out of the region within a step or two: given up there.
    if (!single(region, p, value, by, pt, T0, lower, upper)) return false;
    const double T = pt.one.T;
    if (!(T > lower + kAnswerInside && T < upper - kAnswerInside)) return false;
    if (!answers(pt.one, value, by)) return false;
    out = pt;
    return true;
}

// The point at pressure p where the enthalpy or the entropy has its value.
bool point_p(double p, double value, By by, Point& out) {
    if (!finite(p) || !finite(value) || !(p > 0.0) || p > kPmax) return false;
    // Most states asked about are superheated: region 2 first.
    if ((value >= vapour_floor(p, by) && clearly_inside(2, p, value, by, out)) ||
        clearly_inside(1, p, value, by, out))
        return true;
    // Lowest value: liquid (or, below the triple pressure, vapour) at 273.15 K.
    const State lowest =
        p >= kPtriple ? (p >= p_sat(kTmin) ? region1(p, kTmin) : region2(p, kTmin)) : region2(p, kTmin);
    if (value < prop(lowest, by)) return false;
    auto vapour_side = [&]() {
        // Well below 1073.15 K by the backward equation (good to millikelvin):
        // region 2 without a look at its upper end.
        const double T0 = backward_T(2, p, value, by);
        if (T0 < kT25 - 10.0) {
            // Far above region 2 (a region-5 entropy) the backward equation
            // extrapolates to any temperature, and Newton's method from there
            // ends on no answer: then the region's upper end decides.
            Point pt;
            if (single(2, p, value, by, pt, T0) && answers(pt.one, value, by)) {
                out = pt;
                return true;
            }
        }
        const double top2 = prop(region2(p, kT25), by);
        if (value <= top2) return single(2, p, value, by, out);
        if (p > kP5max || value > prop(region5(p, kTmax), by)) return false;
        return single(5, p, value, by, out);
    };
    if (p < kPtriple) return vapour_side();
    if (p <= kP13) {
        // Saturated phases from regions 1 and 2; the vapour first, since most
        // states asked about are superheated.
        const double Ts = T_sat(p);
        const State g = region2(p, Ts);
        const double vg = prop(g, by);
        if (value >= vg) return vapour_side();
        const State l = region1(p, Ts);
        const double vl = prop(l, by);
        if (value <= vl) return single(1, p, value, by, out);
        out.liq = l;
        out.vap = g;
        mix(out, p, (value - vl) / (vg - vl));
        return true;
    }
    if (value <= prop(region1(p, kT13), by)) return single(1, p, value, by, out);
    if (value >= prop(region2(p, T_b23(p)), by)) return vapour_side();
    if (p < kPc) {
        State l, g;
        saturated(p, l, g);
        const double vl = prop(l, by), vg = prop(g, by);
        if (value >= vl && value <= vg) {
            out.liq = l;
            out.vap = g;
            mix(out, p, (value - vl) / (vg - vl));
            return true;
        }
    }
    return single(3, p, value, by, out);
}

}  // namespace

bool point_ph(double p, double h, Point& out) { return point_p(p, h, By::h, out); }
bool point_ps(double p, double s, Point& out) { return point_p(p, s, By::s, out); }

bool point_px(double p, double x, Point& out) {
    if (!(x >= 0.0 && x <= 1.0)) return false;
    if (!saturated(p, out.liq, out.vap)) return false;
    mix(out, p, x);
    return true;
}

namespace {

// A root in ln p of f (increasing in p), from the start p0: Newton steps
// where f' is given, the bracket halved where a step leaves it or a point is
// outside the range. f returns false outside the range; then `above` says
// whether the point lies above the root.
// Largest relative residual accepted where the bracket closes.
constexpr double kBracketResidual = 1e-9;

template <class F>
bool solve_p(double p0, F&& f, Point& out) {
    double lo = 0.0, hi = 0.0;  // ln p bracket ends, valid when set
    bool has_lo = false, has_hi = false;
    double x = std::log(std::clamp(p0, 1.0, kPmax));
    for (int it = 0; it < 200; ++it) {
        double val = 0.0, slope = 0.0;
        Point pt;
        const int r = f(std::exp(x), val, slope, pt);
        double next;
        if (r == 0) {
            if (val == 0.0) {
                out = pt;
                return true;
            }
            if (val < 0.0) {
                lo = x;
                has_lo = true;
            } else {
                hi = x;
                has_hi = true;
            }
            next = x - val / slope;
            const bool inside = (!has_lo || next > lo) && (!has_hi || next < hi);
            if (!finite(next) || !inside) {
                if (has_lo && has_hi)
                    next = 0.5 * (lo + hi);
                else
                    next = has_lo ? x + 1.0 : x - 1.0;
            }
            if (std::fabs(next - x) <= 1e-15 * std::max(1.0, std::fabs(x))) {
                // A halved bracket stalls on the edge of the range (the
                // triple-point pressure, say) with a residual left: no root.
                if (std::fabs(val) > kBracketResidual) return false;
                out = pt;
                return true;
            }
        } else {
            if (r < 0) {
                lo = x;
                has_lo = true;
            } else {
                hi = x;
                has_hi = true;
            }
            if (has_lo && has_hi)
                next = 0.5 * (lo + hi);
            else
                next = has_lo ? x + 1.0 : x - 1.0;
        }
        if (next > std::log(kPmax)) next = std::log(kPmax);
        if (has_lo && has_hi && hi - lo < 1e-15 * std::fabs(hi)) {
            if (r == 0 && std::fabs(val) <= kBracketResidual) {
                out = pt;
                return true;
            }
            return false;
        }
        if (r != 0 && next == x) return false;
        x = next;
    }
    return false;
}

}  // namespace

namespace {

// The region whose basic equation holds at (p, T) inside the range; 0 outside.
int region_of(double p, double T) {
    if (!(p > 0.0) || p > kPmax || !(T >= kTmin) || T > kTmax) return 0;
    if (T > kT25) return p <= kP5max ? 5 : 0;
    if (T <= kT13) return p >= p_sat(T) ? 1 : 2;
    return p > p_b23(T) ? 3 : 2;
}

// Regions 1, 2, 5: (p, T) where h and s have their values, Newton in two
// variables on the region's basic equation from (p, T):
//   dh = cp dT + (v - T (dv/dT)_p) dp,  ds = cp/T dT - (dv/dT)_p dp.
bool newton_hs(int region, double h, double s, double p, double T, State& out) {
    Converged done;
    double last = 0.0;  // the relative step before, 0 before the second
    for (int it = 0; it < 40; ++it) {
        if (!(p > 0.0) || !(T > 0.0) || !finite(p) || !finite(T)) return false;
        const State st = gibbs_state(region, p, T);
        const double f1 = st.h - h, f2 = st.s - s;
        const double a = st.cp, b = st.v - T * st.dvdT_p;
        const double c = st.cp / T, e = -st.dvdT_p;
        const double det = a * e - b * c;
        const double dT = (f1 * e - b * f2) / det;
        const double dp = (a * f2 - c * f1) / det;
        if (!finite(dT) || !finite(dp)) return false;
        const double moveT = std::clamp(dT, -0.2 * T, 0.2 * T), moveP = std::clamp(dp, -0.5 * p, 0.5 * p);
        T -= moveT;
        p -= moveP;
        const double rel = std::max(std::fabs(dp / p), std::fabs(dT / T));
        // Converging quadratically, the next step would be about rel^3/last^2:
        // when that is below the tolerance the new point is the answer.
        if (moveT == dT && moveP == dp && rel < last && rel * rel * rel <= kStepAnswers * last * last) break;
        if (done(rel)) break;
        last = rel;
    }
    if (region_of(p, T) != region) return false;
    out = gibbs_state(region, p, T);
    // A run that ended on its iteration limit may sit on another state
    // altogether (in region 5, one of a hundredth of the pressure).
    return std::fabs(out.h - h) <= 1e-9 * out.cp * T && std::fabs(out.s - s) <= 1e-9 * out.cp;
}

}  // namespace

bool point_hs(double h, double s, Point& out) {
    if (!finite(h) || !finite(s)) return false;
    // Start from the backward equation of the region the entropy suggests.
    const int region = s >= 5.21e3 ? 2 : s >= 3.78e3 ? 3 : 1;
    double p0 = p_hs_backward(region, h, s);
    if (!finite(p0) || !(p0 > 0.0)) p0 = 1e6;
    // A single phase of regions 1, 2 and 5 straight on its basic equation.
    if (region != 3 && p0 <= kPmax) {
        double T0 = T_ph_backward(region, p0, h);
        int r = region;
        if (region == 2 && T0 > kT25) {
            r = 5;
            T0 = ideal5_T(p0, h, By::h);
        }
        if (newton_hs(r, h, s, p0, T0, out.one)) {
            out.region = r;
            out.x = -1.0;
            return true;
        }
    }
    // Elsewhere (region 3, wet, or a start in the wrong region): h(p) along
    // the isentrope rises with dh/dp = v.
    auto f = [&](double p, double& val, double& slope, Point& pt) -> int {
        if (!point_ps(p, s, pt)) {
            if (p > kPmax * 0.999) return 1;
            // Too cold for the range at this pressure (or out of range above it):
            // the root lies above a low pressure, below a high one.
            return p < 1e5 ? -1 : 1;
        }
        val = pt.one.h - h;
        slope = pt.one.v * p / h;  // d(val/h)/d ln p
        val /= h;
        return 0;
    };
    return solve_p(p0, f, out);
}

bool point_rhoh(double rho, double h, Point& out) {
    if (!finite(rho) || !finite(h) || !(rho > 0.0)) return false;
    // Start from the ideal gas at the temperature of a superheated vapour.
    double p0 = rho * kR * std::max(300.0, (h - 2.0e6) / 2000.0);
    double prev_x = NAN, prev_val = NAN;
    auto f = [&](double p, double& val, double& slope, Point& pt) -> int {
        if (!point_ph(p, h, pt)) return p < 1e5 ? -1 : 1;
        val = std::log(rho * pt.one.v);  // ln(rho / rho(p, h))
        val = -val;
        const double x = std::log(p);
        // Secant slope in ln p; the first step takes the ideal gas's 1.
        slope = finite(prev_x) && x != prev_x ? (val - prev_val) / (x - prev_x) : 1.0;
        if (!(slope > 0.0)) slope = 1.0;
        prev_x = x;
        prev_val = val;
        return 0;
    };
    return solve_p(p0, f, out);
}

double wet_sound_speed(const Point& pt) {
    const State& l = pt.liq;
    const State& g = pt.vap;
    const double x = pt.x;
    const double dT = 1.0 / dp_sat_dT(l.T);  // dTs/dp
    const double dvl = l.dvdp_T + l.dvdT_p * dT, dvg = g.dvdp_T + g.dvdT_p * dT;
    const double dsl = -l.dvdT_p + l.cp / l.T * dT, dsg = -g.dvdT_p + g.cp / g.T * dT;
    const double dx = -(dsl + x * (dsg - dsl)) / (g.s - l.s);
    const double dv = dvl + x * (dvg - dvl) + (g.v - l.v) * dx;
    const double v = pt.one.v;
    return std::sqrt(-v * v / dv);
}

// ---- Transport ------------------------------------------------------------------------

double viscosity(double rho, double T) {
    const double Tb = T / kTc, rb = rho / kRhoc;
    double d0 = 0.0;
    for (int i = 0; i < 4; ++i) d0 += tb::visc_H0[i] / ipow(Tb, i);
    const double mu0 = 100.0 * std::sqrt(Tb) / d0;
    double sum = 0.0, ti = 1.0;
    for (int i = 0; i < 6; ++i) {
        double inner = 0.0, rj = 1.0;
        for (int j = 0; j < 7; ++j) {
            inner += tb::visc_H1[i][j] * rj;
            rj *= rb - 1.0;
        }
        sum += ti * inner;
        ti *= 1.0 / Tb - 1.0;
    }
    return 1e-6 * mu0 * std::exp(rb * sum);
}

double conductivity(const State& st) {
    const double rho = 1.0 / st.v, T = st.T;
    const double Tb = T / kTc, rb = rho / kRhoc;
    double d0 = 0.0;
    for (int k = 0; k < 5; ++k) d0 += tb::cond_L0[k] / ipow(Tb, k);
    const double lam0 = std::sqrt(Tb) / d0;
    double sum = 0.0, ti = 1.0;
    for (int i = 0; i < 5; ++i) {
        double inner = 0.0, rj = 1.0;
        for (int j = 0; j < 6; ++j) {
            inner += tb::cond_L1[i][j] * rj;
            rj *= rb - 1.0;
        }
        sum += ti * inner;
        ti *= 1.0 / Tb - 1.0;
    }
    const double lam1 = std::exp(rb * sum);
    // Critical enhancement, industrial form: the reference compressibility
    // from its correlation in the reduced density.
    double lam2 = 0.0;
    const double zeta = kPc / kRhoc * (-st.dvdp_T / (st.v * st.v));  // (d rho/d p)_T reduced
    int band = 0;
    while (band < 4 && rb > tb::cond_A_bands[band]) ++band;
    double zden = 0.0, rp = 1.0;
    for (int i = 0; i < 6; ++i) {
        zden += tb::cond_A[i][band] * rp;
        rp *= rb;
    }
    const double dchi = rb * (zeta - 1.5 / Tb / zden);
    if (dchi > 0.0) {
        const double xi = 0.13 * std::pow(dchi / 0.06, 0.630 / 1.239);
        const double y = xi / 0.40;
        if (y >= 1.2e-7) {
            const double kappa = st.cp / st.cv;
            const double Z = 2.0 / (3.14159265358979323846 * y) *
                             ((1.0 - 1.0 / kappa) * std::atan(y) + y / kappa -
                              (1.0 - std::exp(-1.0 / (1.0 / y + y * y / (3.0 * rb * rb)))));
            const double cpb = st.cp / 461.51805;
            const double mub = viscosity(rho, T) / 1e-6;
            lam2 = 177.8514 * rb * cpb * Tb / mub * Z;
        }
    }
    return (lam0 * lam1 + lam2) * 1e-3;
}

}  // namespace h2::if97
