// Multiparameter Helmholtz-energy equations of state: the terms, the
// properties from their derivatives, and the state solvers (helmholtz.h).
#include "plugins/fluids/helmholtz.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace h2::helmholtz {

namespace {

// ---- File --------------------------------------------------------------------------------

// The numbers of a line after its keyword; false when one is not a finite number.
bool numbers(std::istringstream& in, std::vector<double>& out) {
    out.clear();
    std::string token;
    while (in >> token) {
        char* end = nullptr;
        const double v = std::strtod(token.c_str(), &end);
        if (end == token.c_str() || *end != '\0' || !std::isfinite(v)) return false;
        out.push_back(v);
    }
    return true;
}

bool ancillary_form(const std::string& word, Ancillary::Form& form) {
    if (word == "linear")
        form = Ancillary::kLinear;
    else if (word == "log")
        form = Ancillary::kLog;
    else if (word == "log_tc")
        form = Ancillary::kLogTc;
    else
        return false;
    return true;
}

}  // namespace

bool read_fluid(const std::string& path, Fluid& out, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    Fluid f;
    std::string line;
    int number = 0;
    auto fail = [&](const char* why) {
        error = path + " line " + std::to_string(number) + ": " + why + ": " + line;
        return false;
    };
    while (std::getline(file, line)) {
        ++number;
        if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream in(line);
        std::string key;
        if (!(in >> key)) continue;
        std::vector<double> v;
        if (key == "name") {
            if (!(in >> f.name)) return fail("no name");
            continue;
        }
        if (key == "sat_pressure" || key == "sat_liquid" || key == "sat_vapour") {
            std::string form;
            Ancillary& a = key == "sat_pressure" ? f.p_sat : key == "sat_liquid" ? f.rho_liq : f.rho_vap;
            if (!(in >> form) || !ancillary_form(form, a.form)) return fail("unknown form");
            if (!numbers(in, v) || v.empty() || v.size() % 2 != 0) return fail("pairs n t expected");
            for (std::size_t i = 0; i < v.size(); i += 2) a.terms.push_back({v[i], v[i + 1]});
            continue;
        }
        if (!numbers(in, v)) return fail("not a number");
        auto need = [&](std::size_t count) { return v.size() == count; };
        if (key == "molar_mass" && need(1))
            f.M = v[0] / 1000.0;
        else if (key == "gas_constant" && need(1))
            f.Ru = v[0];
        else if (key == "reducing" && need(2))
            f.T_r = v[0], f.rho_r = v[1];
        else if (key == "critical" && need(3))
            f.T_c = v[0], f.p_c = v[1], f.rho_c = v[2];
        else if (key == "limits" && need(4))
            f.T_min = v[0], f.T_max = v[1], f.p_max = v[2], f.rho_max = v[3];
        else if (key == "ideal_lead" && need(2))
            f.a1 = v[0], f.a2 = v[1];
        else if (key == "ideal_log" && need(1))
            f.a_log = v[0];
        else if (key == "ideal_power" && need(2))
            f.ideal_power.push_back({v[0], v[1]});
        else if (key == "ideal_planck" && need(2))
            f.ideal_planck.push_back({v[0], v[1]});
        else if (key == "power" && need(4))
            f.power.push_back({v[0], v[1], v[2], v[3]});
        else if (key == "gauss" && need(7))
            f.gauss.push_back({v[0], v[1], v[2], v[3], v[4], v[5], v[6]});
        else if (key == "nonanalytic" && need(8))
            f.nonanalytic.push_back({v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]});
        else if (key == "viscosity_dilute" && need(2)) {
            f.viscosity.present = true;
            f.viscosity.eps_k = v[0];
            f.viscosity.factor = v[1];
        } else if (key == "viscosity_collision" && need(1))
            f.viscosity.collision.push_back(v[0]);
        else if (key == "viscosity_excess" && need(3))
            f.viscosity.excess.push_back({v[0], v[1], v[2], 0.0});
        else
            return fail("unknown keyword or wrong count of values");
    }
    if (f.name.empty() || !(f.M > 0.0) || !(f.Ru > 0.0) || !(f.T_r > 0.0) || !(f.rho_r > 0.0) ||
        !(f.T_c > 0.0) || !(f.p_c > 0.0) || !(f.rho_c > 0.0) || !(f.T_min > 0.0) || !(f.T_max > f.T_min) ||
        !(f.p_max > 0.0) || !(f.rho_max > f.rho_c) || f.p_sat.terms.empty() || f.rho_liq.terms.empty() ||
        f.rho_vap.terms.empty() || f.power.empty()) {
        number = 0;
        line.clear();
        return fail(
            "incomplete: name, molar_mass, gas_constant, reducing, critical, limits, "
            "the three saturation ancillaries and the residual terms are needed");
    }
    f.R = f.Ru / f.M;
    out = std::move(f);
    return true;
}

namespace {

// ---- The equation ------------------------------------------------------------------------

struct Alpha {
    double a0 = 0, a0_t = 0, a0_tt = 0;
    double ar = 0, ar_d = 0, ar_dd = 0, ar_t = 0, ar_tt = 0, ar_dt = 0;
};

// delta^d for the small integer exponents of the equations without pow().
double ipow(double x, double e) {
    const int k = static_cast<int>(e);
    if (k == e && k >= 0 && k <= 12) {
        double r = 1.0;
        for (int i = 0; i < k; ++i) r *= x;
        return r;
    }
    return std::pow(x, e);
}

void residual(const Fluid& f, double tau, double delta, Alpha& a) {
    const double ld = std::log(delta), lt = std::log(tau);
    for (const PowerTerm& k : f.power) {
        // n delta^d tau^t exp(-delta^l)
        const double base = k.n * std::exp(k.d * ld + k.t * lt);
        double e = 1.0, dl = 0.0;
        if (k.l > 0.0) {
            dl = ipow(delta, k.l);
            e = std::exp(-dl);
        }
        const double phi = base * e;
        const double g = k.d - k.l * dl;  // delta d/ddelta of ln(term)
        a.ar += phi;
        a.ar_d += phi * g / delta;
        a.ar_dd += phi * (g * (g - 1.0) - k.l * k.l * dl) / (delta * delta);
        a.ar_t += phi * k.t / tau;
        a.ar_tt += phi * k.t * (k.t - 1.0) / (tau * tau);
        a.ar_dt += phi * k.t * g / (delta * tau);
    }
    for (const GaussTerm& k : f.gauss) {
        const double dd = delta - k.epsilon, dt = tau - k.gamma;
        const double phi = k.n * std::exp(k.d * ld + k.t * lt - k.eta * dd * dd - k.beta * dt * dt);
        const double gd = k.d / delta - 2.0 * k.eta * dd;
        const double gt = k.t / tau - 2.0 * k.beta * dt;
        a.ar += phi;
        a.ar_d += phi * gd;
        a.ar_dd += phi * (gd * gd - k.d / (delta * delta) - 2.0 * k.eta);
        a.ar_t += phi * gt;
        a.ar_tt += phi * (gt * gt - k.t / (tau * tau) - 2.0 * k.beta);
        a.ar_dt += phi * gd * gt;
    }
    if (!f.nonanalytic.empty()) {
        // The terms' derivatives are singular at delta = 1 exactly, where
        // their limits are finite: evaluated a hair away.
        double d = delta;
        if (std::fabs(d - 1.0) < 1e-10) d = 1.0 + 1e-10;
        const double dm = d - 1.0, dm2 = dm * dm;
        const double tm = tau - 1.0;
        for (const NonAnalyticTerm& k : f.nonanalytic) {
            const double q = 1.0 / (2.0 * k.beta);
            const double dm2q = std::pow(dm2, q);
            const double theta = (1.0 - tau) + k.A * dm2q;
            const double dm2a = std::pow(dm2, k.a);
            const double Delta = theta * theta + k.B * dm2a;
            const double psi = std::exp(-k.C * dm2 - k.D * tm * tm);
            const double psi_d = -2.0 * k.C * dm * psi;
            const double psi_dd = (2.0 * k.C * dm2 - 1.0) * 2.0 * k.C * psi;
            const double psi_t = -2.0 * k.D * tm * psi;
            const double psi_tt = (2.0 * k.D * tm * tm - 1.0) * 2.0 * k.D * psi;
            const double psi_dt = 4.0 * k.C * k.D * dm * tm * psi;
            const double dm2q1 = dm2q / dm2;  // ((d-1)^2)^(q-1)
            const double D_d = dm * (k.A * theta * 2.0 / k.beta * dm2q1 + 2.0 * k.B * k.a * dm2a / dm2);
            const double D_dd = D_d / dm + dm2 * (4.0 * k.B * k.a * (k.a - 1.0) * dm2a / (dm2 * dm2) +
                                                  2.0 * k.A * k.A / (k.beta * k.beta) * dm2q1 * dm2q1 +
                                                  k.A * theta * 4.0 / k.beta * (q - 1.0) * dm2q1 / dm2);
            const double Db = std::pow(Delta, k.b);
            const double Db1 = Db / Delta, Db2 = Db1 / Delta;
            const double Db_d = k.b * Db1 * D_d;
            const double Db_dd = k.b * (Db1 * D_dd + (k.b - 1.0) * Db2 * D_d * D_d);
            const double Db_t = -2.0 * theta * k.b * Db1;
            const double Db_tt = 2.0 * k.b * Db1 + 4.0 * theta * theta * k.b * (k.b - 1.0) * Db2;
            const double Db_dt =
                -k.A * k.b * 2.0 / k.beta * Db1 * dm * dm2q1 - 2.0 * theta * k.b * (k.b - 1.0) * Db2 * D_d;
            a.ar += k.n * Db * d * psi;
            a.ar_d += k.n * (Db * (psi + d * psi_d) + Db_d * d * psi);
            a.ar_dd +=
                k.n * (Db * (2.0 * psi_d + d * psi_dd) + 2.0 * Db_d * (psi + d * psi_d) + Db_dd * d * psi);
            a.ar_t += k.n * d * (Db_t * psi + Db * psi_t);
            a.ar_tt += k.n * d * (Db_tt * psi + 2.0 * Db_t * psi_t + Db * psi_tt);
            a.ar_dt += k.n * (Db * (psi_t + d * psi_dt) + d * Db_d * psi_t + Db_t * (psi + d * psi_d) +
                              Db_dt * d * psi);
        }
    }
}

void ideal(const Fluid& f, double tau, double delta, Alpha& a) {
    a.a0 = std::log(delta) + f.a1 + f.a2 * tau + f.a_log * std::log(tau);
    a.a0_t = f.a2 + f.a_log / tau;
    a.a0_tt = -f.a_log / (tau * tau);
    for (const Pair& k : f.ideal_power) {
        const double v = k.n * std::pow(tau, k.t);
        a.a0 += v;
        a.a0_t += v * k.t / tau;
        a.a0_tt += v * k.t * (k.t - 1.0) / (tau * tau);
    }
    for (const Pair& k : f.ideal_planck) {
        // n ln(1 - exp(-theta tau))
        const double e = std::exp(-k.t * tau);
        a.a0 += k.n * std::log1p(-e);
        a.a0_t += k.n * k.t * e / (1.0 - e);
        a.a0_tt -= k.n * k.t * k.t * e / ((1.0 - e) * (1.0 - e));
    }
}

State evaluate(const Fluid& f, double T, double rho, bool with_ideal = true) {
    const double tau = f.T_r / T, delta = rho / f.rho_r;
    Alpha a;
    residual(f, tau, delta, a);
    if (with_ideal) ideal(f, tau, delta, a);
    State s;
    s.T = T;
    s.rho = rho;
    const double RT = f.R * T;
    const double X = 1.0 + delta * a.ar_d - delta * tau * a.ar_dt;
    const double Y = 1.0 + 2.0 * delta * a.ar_d + delta * delta * a.ar_dd;
    const double tt = tau * tau * (a.a0_tt + a.ar_tt);
    s.p = rho * RT * (1.0 + delta * a.ar_d);
    s.h = RT * (1.0 + tau * (a.a0_t + a.ar_t) + delta * a.ar_d) + f.h_offset;
    s.s = f.R * (tau * (a.a0_t + a.ar_t) - a.a0 - a.ar) + f.s_offset;
    s.cv = -f.R * tt;
    s.cp = s.cv + f.R * X * X / Y;
    const double w2 = RT * (Y - X * X / tt);
    s.w = w2 > 0.0 ? std::sqrt(w2) : NAN;
    s.dp_drho = RT * Y;
    s.dp_dT = rho * f.R * X;
    return s;
}

// Gibbs energy over RT (residual and ideal ln delta) and the pressure
// function of the Maxwell solution: the Akasaka variables J and K.
struct JK {
    double J, K, J_d, K_d;
};
JK jk(const Fluid& f, double tau, double delta) {
    Alpha a;
    residual(f, tau, delta, a);
    JK r;
    r.J = delta * (1.0 + delta * a.ar_d);
    r.K = delta * a.ar_d + a.ar + std::log(delta);
    r.J_d = 1.0 + 2.0 * delta * a.ar_d + delta * delta * a.ar_dd;
    r.K_d = 2.0 * a.ar_d + delta * a.ar_dd + 1.0 / delta;
    return r;
}

double ancillary(const Fluid& f, const Ancillary& a, double T, double critical) {
    const double theta = 1.0 - T / f.T_c;
    if (theta <= 0.0) return critical;
    double sum = 0.0;
    for (const Pair& k : a.terms) sum += k.n * std::pow(theta, k.t);
    switch (a.form) {
        case Ancillary::kLinear:
            return critical * (1.0 + sum);
        case Ancillary::kLog:
            return critical * std::exp(sum);
        case Ancillary::kLogTc:
            break;
    }
    return critical * std::exp(f.T_c / T * sum);
}
double p_sat_guess(const Fluid& f, double T) { return ancillary(f, f.p_sat, T, f.p_c); }
double rho_liq_guess(const Fluid& f, double T) { return ancillary(f, f.rho_liq, T, f.rho_c); }
double rho_vap_guess(const Fluid& f, double T) { return ancillary(f, f.rho_vap, T, f.rho_c); }

bool finite(double x) { return std::isfinite(x); }

// Saturation at T from starting densities (Akasaka's Newton steps on J and K).
bool maxwell(const Fluid& f, double T, double& rl, double& rv) {
    const double tau = f.T_r / T;
    double dl = rl / f.rho_r, dv = rv / f.rho_r;
    double last = INFINITY;
    for (int it = 0; it < 100; ++it) {
        const JK L = jk(f, tau, dl), V = jk(f, tau, dv);
        const double det = V.J_d * L.K_d - L.J_d * V.K_d;
        if (!finite(det) || det == 0.0) return false;
        const double dK = V.K - L.K, dJ = V.J - L.J;
        const double step_l = (dK * V.J_d - dJ * V.K_d) / det;
        const double step_v = (dK * L.J_d - dJ * L.K_d) / det;
        double nl = dl + step_l, nv = dv + step_v;
        // Keep each phase on its side of the critical density.
        if (nl <= 0.0) nl = 0.5 * dl;
        if (nv <= 0.0) nv = 0.5 * dv;
        dl = nl;
        dv = nv;
        // Done at the last bits, or, close to the critical point where the
        // equations lose their conditioning, once a small step stops shrinking.
        const double rel = std::fmax(std::fabs(step_l) / dl, std::fabs(step_v) / dv);
        if (rel <= 1e-13 || (rel < 1e-8 && rel > 0.25 * last)) break;
        last = rel;
        if (it == 99) return false;
    }
    rl = dl * f.rho_r;
    rv = dv * f.rho_r;
    return finite(rl) && finite(rv) && rl > rv * (1.0 + 1e-9);
}

// A bracketed Newton iteration on a monotone increasing function: f(x) and
// f'(x) from `eval`, lo and hi with f(lo) < 0 < f(hi) (or unknown), to the
// last bits of x. Returns NaN without convergence.
template <class Eval>
double newton_bracketed(Eval&& eval, double x, double lo, double hi, double rel_tol = 1e-14) {
    double last = INFINITY;
    for (int it = 0; it < 200; ++it) {
        double fx, dfx;
        if (!eval(x, fx, dfx)) {
            // Undefined here: back into the bracket's middle.
            if (!(hi > lo)) return NAN;
            hi = x < hi ? x : hi;
            x = 0.5 * (lo + hi);
            continue;
        }
        if (fx == 0.0) return x;
        if (fx < 0.0)
            lo = x > lo ? x : lo;
        else
            hi = x < hi ? x : hi;
        double next = x - fx / dfx;
        const bool newton = finite(next) && dfx > 0.0 && next > lo && next < hi;
        if (!newton) next = 0.5 * (lo + hi);
        const double step = std::fabs(next - x);
        x = next;
        if (step <= rel_tol * std::fabs(x) || hi - lo <= rel_tol * std::fabs(x)) return x;
        // A Newton step that no longer shrinks is rounding noise of f: done.
        if (newton && step <= 1e-10 * std::fabs(x) && step > 0.5 * last) return x;
        if (newton) last = step;
    }
    return NAN;
}

}  // namespace

State state_Trho(const Fluid& f, double T, double rho) { return evaluate(f, T, rho); }

bool rho_pT(const Fluid& f, double p, double T, Branch branch, double& rho) {
    if (!(p > 0.0) || !(T > 0.0)) return false;
    double lo = 0.0, hi = f.rho_max;
    double start = p / (f.R * T);
    if (T < f.T_c) {
        if (branch == Branch::kAny) branch = p >= p_sat_guess(f, T) ? Branch::kLiquid : Branch::kVapour;
        if (branch == Branch::kLiquid) {
            lo = 0.97 * rho_liq_guess(f, T);
            if (lo < f.rho_c) lo = f.rho_c;
            start = rho_liq_guess(f, T);
        } else {
            hi = 1.03 * rho_vap_guess(f, T);
            if (hi > f.rho_c) hi = f.rho_c;
        }
    }
    if (start <= lo || start >= hi) start = lo > 0.0 ? lo * 1.01 : 0.5 * hi;
    auto eval = [&](double r, double& fx, double& dfx) {
        if (!(r > 0.0)) return false;
        const State s = evaluate(f, T, r, false);
        fx = s.p - p;
        dfx = s.dp_drho;
        return finite(fx) && finite(dfx);
    };
    const double r = newton_bracketed(eval, start, lo, hi);
    if (!finite(r) || !(r > 0.0)) return false;
    // Only a mechanically stable root is a state.
    const State s = evaluate(f, T, r, false);
    if (!(s.dp_drho > 0.0) || std::fabs(s.p - p) > 1e-9 * p) return false;
    rho = r;
    return true;
}

bool saturation_T(const Fluid& f, double T, State& liq, State& vap) {
    if (!(T >= f.T_min) || !(T <= f.T_sat_max || (f.T_sat_max == 0.0 && T < f.T_c))) return false;
    double rl = rho_liq_guess(f, T), rv = rho_vap_guess(f, T);
    if (!maxwell(f, T, rl, rv)) return false;
    liq = evaluate(f, T, rl);
    vap = evaluate(f, T, rv);
    return true;
}

bool saturation_p(const Fluid& f, double p, State& liq, State& vap) {
    if (!(p >= f.p_sat_min) || !(p <= f.p_sat_max)) return false;
    // T from the ancillary, then Newton steps with the Clausius-Clapeyron slope.
    auto ln_p_anc = [&](double T) { return std::log(p_sat_guess(f, T)); };
    double T = f.T_min + (f.T_sat_max - f.T_min) * 0.5;
    {
        // The ancillary's temperature: secant steps inside a bisection bracket.
        double lo = f.T_min, hi = f.T_sat_max;
        const double target = std::log(p);
        double flo = ln_p_anc(lo) - target, fhi = ln_p_anc(hi) - target;
        for (int it = 0; it < 60 && hi - lo > 1e-9 * hi; ++it) {
            T = lo - flo * (hi - lo) / (fhi - flo);
            if (!(T > lo && T < hi)) T = 0.5 * (lo + hi);
            const double fT = ln_p_anc(T) - target;
            if (fT < 0.0) {
                lo = T;
                flo = fT;
            } else {
                hi = T;
                fhi = fT;
            }
            if (std::fabs(fT) < 1e-9) break;
        }
    }
    double rl = rho_liq_guess(f, T), rv = rho_vap_guess(f, T);
    double lo = f.T_min, hi = f.T_sat_max;
    for (int it = 0; it < 100; ++it) {
        if (!maxwell(f, T, rl, rv)) {
            rl = rho_liq_guess(f, T);
            rv = rho_vap_guess(f, T);
            if (!maxwell(f, T, rl, rv)) return false;
        }
        const State l = evaluate(f, T, rl), v = evaluate(f, T, rv);
        const double ps = l.p;
        (ps < p ? lo : hi) = T;
        const double slope = (v.s - l.s) / (1.0 / v.rho - 1.0 / l.rho);  // dp_s/dT
        double next = T - (ps - p) / slope;
        if (!finite(next) || next <= lo || next >= hi) next = 0.5 * (lo + hi);
        const double step = std::fabs(next - T);
        if (step <= 1e-14 * T || it == 99) {
            liq = l;
            vap = v;
            return step <= 1e-9 * T;
        }
        T = next;
    }
    return false;
}

namespace {

// Grid of starting values: isobars a ratio of 1.1 apart from 10 kPa (or the
// triple point's pressure) to the upper pressure; temperatures 2 K apart to
// 60 K above the critical point, 10 K apart above. Each node is the stable
// single-phase state there.
void build_grid(Fluid& f) {
    f.grid_lnp.clear();
    f.grid_T.clear();
    f.grid.clear();
    const double p_lo = std::fmin(1e4, 0.5 * f.p_sat_min);
    for (double lnp = std::log(p_lo); lnp < std::log(f.p_max) + 1e-9; lnp += std::log(1.1))
        f.grid_lnp.push_back(lnp);
    for (double T = f.T_min; T < f.T_max; T += (T < f.T_c + 60.0 ? 2.0 : 10.0)) f.grid_T.push_back(T);
    f.grid_T.push_back(f.T_max);
    f.grid.resize(f.grid_lnp.size() * f.grid_T.size());
    for (std::size_t i = 0; i < f.grid_lnp.size(); ++i) {
        const double p = std::exp(f.grid_lnp[i]);
        for (std::size_t j = 0; j < f.grid_T.size(); ++j) {
            Point pt;
            if (!point_pT(f, p, f.grid_T[j], pt)) continue;
            f.grid[i * f.grid_T.size() + j] = {pt.one.rho, pt.one.h, pt.one.s};
        }
    }
}

}  // namespace

bool finish(Fluid& f) {
    f.h_offset = 0.0;
    f.s_offset = 0.0;
    // The saturation solver's last temperature: the Maxwell solution stays
    // well-conditioned to a few millikelvin below the critical point.
    f.T_sat_max = 0.0;
    State l, v;
    double T_end = 0.0;
    for (double dT : {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1.0}) {
        const double T = f.T_c - dT;
        double rl = rho_liq_guess(f, T), rv = rho_vap_guess(f, T);
        if (maxwell(f, T, rl, rv)) {
            T_end = T;
            break;
        }
    }
    if (T_end == 0.0) return false;
    f.T_sat_max = T_end;
    if (!saturation_T(f, T_end, l, v)) return false;
    f.p_sat_max = l.p;
    if (!saturation_T(f, f.T_min, l, v)) return false;
    f.p_sat_min = l.p;
    // IIR: h = 200 kJ/kg, s = 1 kJ/(kg K) for the saturated liquid at 0 degC.
    constexpr double kT0 = 273.15;
    if (kT0 > f.T_min && kT0 < f.T_sat_max && saturation_T(f, kT0, l, v)) {
        f.h_offset = 200e3 - l.h;
        f.s_offset = 1e3 - l.s;
    }
    f.h_crit = evaluate(f, f.T_c, f.rho_c).h;
    if (!finite(f.h_crit)) return false;
    build_grid(f);
    return true;
}

namespace {

// What a property of an isobar asks: h or s.
enum class By { h, s };
double value_of(const State& s, By by) { return by == By::h ? s.h : s.s; }
double slope_of(const State& s, By by) { return by == By::h ? s.cp : s.cp / s.T; }

void mix(const State& l, const State& v, double x, Point& out) {
    out.x = x;
    out.liq = l;
    out.vap = v;
    State& m = out.one;
    m.T = l.T;
    m.p = l.p;
    m.rho = 1.0 / (1.0 / l.rho + x * (1.0 / v.rho - 1.0 / l.rho));
    m.h = l.h + x * (v.h - l.h);
    m.s = l.s + x * (v.s - l.s);
    m.cp = x * v.cp + (1.0 - x) * l.cp;
    m.cv = NAN;
    m.w = NAN;
}

// The single-phase state at p where h or s has its value, with T in [lo, hi]
// on a branch.
bool isobar(const Fluid& f, double p, double target, By by, double lo, double hi, Branch branch, double T0,
            Point& out) {
    State last;
    auto eval = [&](double T, double& fx, double& dfx) {
        double rho;
        if (!rho_pT(f, p, T, branch, rho)) return false;
        last = evaluate(f, T, rho);
        fx = value_of(last, by) - target;
        dfx = slope_of(last, by);
        return finite(fx) && finite(dfx);
    };
    // The ends must hold the target between them.
    double flo, fhi, d;
    if (!eval(lo, flo, d) || flo > 0.0) return false;
    if (!eval(hi, fhi, d) || fhi < 0.0) return false;
    if (!(T0 > lo && T0 < hi)) T0 = lo + (hi - lo) * (-flo) / (fhi - flo);
    const double T = newton_bracketed(eval, T0, lo, hi);
    if (!finite(T)) return false;
    double rho;
    if (!rho_pT(f, p, T, branch, rho)) return false;
    out.x = -1.0;
    out.one = evaluate(f, T, rho);
    return true;
}

bool point_p(const Fluid& f, double p, double value, By by, Point& out) {
    if (!finite(p) || !finite(value) || !(p > 0.0) || p > f.p_max) return false;
    if (p < f.p_sat_min) return isobar(f, p, value, by, f.T_min, f.T_max, Branch::kVapour, NAN, out);
    if (p <= f.p_sat_max) {
        State l, v;
        if (!saturation_p(f, p, l, v)) return false;
        const double vl = value_of(l, by), vv = value_of(v, by);
        if (value < vl) {
            const double T0 = l.T - (vl - value) / slope_of(l, by);
            return isobar(f, p, value, by, f.T_min, l.T, Branch::kLiquid, T0, out);
        }
        if (value > vv) {
            const double T0 = v.T + (value - vv) / slope_of(v, by);
            return isobar(f, p, value, by, v.T, f.T_max, Branch::kVapour, T0, out);
        }
        mix(l, v, (value - vl) / (vv - vl), out);
        return true;
    }
    // Above the two-phase region: liquid-like below T_c, one fluid above.
    Point below;
    if (isobar(f, p, value, by, f.T_min, f.T_c, Branch::kLiquid, NAN, below)) {
        out = below;
        return true;
    }
    return isobar(f, p, value, by, f.T_c, f.T_max, Branch::kAny, NAN, out);
}

}  // namespace

namespace {

// ---- Fast path: grid start, Newton's method on (T, rho) ---------------------------------

using Node = Fluid::Node;

const Node& node(const Fluid& f, std::size_t i, std::size_t j) { return f.grid[i * f.grid_T.size() + j]; }
double node_value(const Node& n, By by) { return by == By::h ? n.h : n.s; }

// On isobar i, T and rho where h or s has its value, between two valid
// neighbouring nodes with no phase change between them; false otherwise.
bool along_isobar(const Fluid& f, std::size_t i, double value, By by, double& T, double& rho,
                  double* h = nullptr) {
    const std::size_t n = f.grid_T.size();
    std::size_t lo = 0, hi = n - 1;
    while (lo < n && !finite(node(f, i, lo).h)) ++lo;
    while (hi > lo && !finite(node(f, i, hi).h)) --hi;
    if (hi <= lo) return false;
    if (!(value >= node_value(node(f, i, lo), by)) || !(value <= node_value(node(f, i, hi), by)))
        return false;
    while (hi - lo > 1) {
        const std::size_t mid = (lo + hi) / 2;
        if (!finite(node(f, i, mid).h)) return false;
        (node_value(node(f, i, mid), by) <= value ? lo : hi) = mid;
    }
    const Node &a = node(f, i, lo), &b = node(f, i, hi);
    // A density jump between the nodes is the saturation line: no start here.
    if (std::fabs(std::log(b.rho / a.rho)) > 0.5) return false;
    const double w = (value - node_value(a, by)) / (node_value(b, by) - node_value(a, by));
    T = f.grid_T[lo] + w * (f.grid_T[hi] - f.grid_T[lo]);
    rho = std::exp(std::log(a.rho) + w * std::log(b.rho / a.rho));
    if (h != nullptr) *h = a.h + w * (b.h - a.h);
    return true;
}

// Newton's method on (T, rho) for two targets: the pressure or the enthalpy
// first, the enthalpy or the entropy second.
enum class Pair { ph, ps, hs };
bool newton_Trho(const Fluid& f, Pair pair, double x, double y, double T, double rho, State& out) {
    double last = INFINITY;
    for (int it = 0; it < 30; ++it) {
        if (!(T > 0.5 * f.T_min) || !(T < 1.5 * f.T_max) || !(rho > 0.0) || !(rho < f.rho_max)) return false;
        const State st = evaluate(f, T, rho);
        const double h_T = st.cv + st.dp_dT / rho, h_r = (st.dp_drho - T * st.dp_dT / rho) / rho;
        const double s_T = st.cv / T, s_r = -st.dp_dT / (rho * rho);
        double f1, a11, a12;
        if (pair == Pair::hs)
            f1 = st.h - x, a11 = h_T, a12 = h_r;
        else
            f1 = st.p - x, a11 = st.dp_dT, a12 = st.dp_drho;
        double f2, a21, a22;
        if (pair == Pair::ph)
            f2 = st.h - y, a21 = h_T, a22 = h_r;
        else
            f2 = st.s - y, a21 = s_T, a22 = s_r;
        const double det = a11 * a22 - a12 * a21;
        if (!finite(det) || det == 0.0 || !finite(f1) || !finite(f2)) return false;
        double dT = -(f1 * a22 - f2 * a12) / det, dr = -(a11 * f2 - a21 * f1) / det;
        // Damped: at most a tenth of T and half of rho a step.
        const double scale = std::fmin(1.0, std::fmin(0.1 * T / std::fabs(dT), 0.5 * rho / std::fabs(dr)));
        dT *= scale;
        dr *= scale;
        T += dT;
        rho += dr;
        const double rel = std::fmax(std::fabs(dT) / T, std::fabs(dr) / rho);
        if (rel <= 1e-14 || (scale == 1.0 && rel < 1e-10 && rel > 0.25 * last)) {
            out = evaluate(f, T, rho);
            return out.dp_drho > 0.0 && finite(out.h);
        }
        if (scale == 1.0) last = rel;
    }
    return false;
}

// A state found by Newton's method is taken only where the fluid is one
// stable phase beyond doubt: above the saturation line's end, or clear of the
// vapour pressure of the ancillary equation; else the careful path decides.
bool clearly_single_phase(const Fluid& f, const State& st) {
    if (st.T >= f.T_sat_max || st.p > 1.02 * f.p_sat_max) return st.T <= f.T_max && st.T >= f.T_min;
    if (st.T < f.T_min) return false;
    const double ps = p_sat_guess(f, st.T);
    return st.rho < f.rho_c ? st.p < 0.98 * ps : st.p > 1.02 * ps;
}

// The grid's start for (p, h) or (p, s) between the two isobars around p.
bool start_p(const Fluid& f, double p, double value, By by, double& T, double& rho) {
    if (f.grid_lnp.size() < 2) return false;
    const double lnp = std::log(p);
    if (!(lnp >= f.grid_lnp.front()) || !(lnp < f.grid_lnp.back())) return false;
    const double step = f.grid_lnp[1] - f.grid_lnp[0];
    std::size_t i = static_cast<std::size_t>((lnp - f.grid_lnp[0]) / step);
    if (i + 1 >= f.grid_lnp.size()) i = f.grid_lnp.size() - 2;
    double T0, r0, T1, r1;
    if (!along_isobar(f, i, value, by, T0, r0) || !along_isobar(f, i + 1, value, by, T1, r1)) return false;
    const double w = (lnp - f.grid_lnp[i]) / (f.grid_lnp[i + 1] - f.grid_lnp[i]);
    T = T0 + w * (T1 - T0);
    rho = std::exp(std::log(r0) + w * std::log(r1 / r0));
    return true;
}

bool fast_p(const Fluid& f, double p, double value, By by, Point& out) {
    double T, rho;
    if (!start_p(f, p, value, by, T, rho)) return false;
    State st;
    if (!newton_Trho(f, by == By::h ? Pair::ph : Pair::ps, p, value, T, rho, st)) return false;
    if (!clearly_single_phase(f, st)) return false;
    out.x = -1.0;
    out.one = st;
    return true;
}

// The grid's start for (h, s): on each isobar the temperature of the entropy,
// and between the isobars the enthalpy, which rises with p along an isentrope.
bool fast_hs(const Fluid& f, double h, double s, Point& out) {
    const std::size_t n = f.grid_lnp.size();
    if (n < 2) return false;
    auto h_at = [&](std::size_t i, double& T, double& rho, double& hi) {
        return along_isobar(f, i, s, By::s, T, rho, &hi);
    };
    std::size_t lo = 0, hi = n - 1;
    double Tl = 0.0, rl = 0.0, hl = NAN, Th = 0.0, rh = 0.0, hh = NAN;
    while (lo < hi && !h_at(lo, Tl, rl, hl)) ++lo;
    while (hi > lo && !h_at(hi, Th, rh, hh)) --hi;
    if (hi <= lo || !(h >= hl) || !(h <= hh)) return false;
    while (hi - lo > 1) {
        const std::size_t mid = (lo + hi) / 2;
        double Tm, rm, hm;
        if (!h_at(mid, Tm, rm, hm)) return false;
        if (hm <= h)
            lo = mid, Tl = Tm, rl = rm, hl = hm;
        else
            hi = mid, Th = Tm, rh = rm, hh = hm;
    }
    const double w = (h - hl) / (hh - hl);
    State st;
    if (!newton_Trho(f, Pair::hs, h, s, Tl + w * (Th - Tl), std::exp(std::log(rl) + w * std::log(rh / rl)),
                     st))
        return false;
    if (!clearly_single_phase(f, st) || st.p > f.p_max) return false;
    out.x = -1.0;
    out.one = st;
    return true;
}

// A wet (h, s) state: along the saturation line the mixture of enthalpy h
// has the entropy s' + (h - h')(s'' - s')/(h'' - h'), which falls with T at
// the rate v (dp_s/dT)/T (T ds = dh - v dp at constant h): Newton steps on T
// inside a bracket. False when the state is not wet.
bool wet_hs(const Fluid& f, double h, double s, Point& out) {
    State l, v;
    double x = 0.0;
    auto eval = [&](double T, double& g, double& dg) {
        if (!saturation_T(f, T, l, v)) return false;
        x = (h - l.h) / (v.h - l.h);
        g = -(l.s + x * (v.s - l.s) - s);  // rising with T for the bracketed search
        const double vl = 1.0 / l.rho, vv = 1.0 / v.rho;
        const double dps = (v.s - l.s) / (vv - vl);
        dg = (vl + x * (vv - vl)) * dps / T;
        return finite(g) && finite(dg);
    };
    double lo = f.T_min, hi = f.T_sat_max, g, dg;
    if (!eval(lo, g, dg) || g > 0.0 || !eval(hi, g, dg) || g < 0.0) return false;
    const double T = newton_bracketed(eval, 0.5 * (lo + hi), lo, hi);
    if (!finite(T) || !eval(T, g, dg) || x < 0.0 || x > 1.0) return false;
    mix(l, v, x, out);
    return true;
}

}  // namespace

bool point_ph(const Fluid& f, double p, double h, Point& out) {
    if (finite(p) && finite(h) && p > 0.0 && p <= f.p_max && fast_p(f, p, h, By::h, out)) return true;
    return point_p(f, p, h, By::h, out);
}
bool point_ps(const Fluid& f, double p, double s, Point& out) {
    if (finite(p) && finite(s) && p > 0.0 && p <= f.p_max && fast_p(f, p, s, By::s, out)) return true;
    return point_p(f, p, s, By::s, out);
}

bool point_pT(const Fluid& f, double p, double T, Point& out) {
    if (!finite(p) || !finite(T) || !(p > 0.0) || p > f.p_max || T < f.T_min || T > f.T_max) return false;
    Branch branch = Branch::kAny;
    if (T < f.T_c) {
        State l, v;
        if (T <= f.T_sat_max && saturation_T(f, T, l, v))
            branch = p >= l.p ? Branch::kLiquid : Branch::kVapour;
        else
            branch = p >= f.p_c ? Branch::kLiquid : Branch::kVapour;
    }
    double rho;
    if (!rho_pT(f, p, T, branch, rho)) return false;
    out.x = -1.0;
    out.one = evaluate(f, T, rho);
    return true;
}

bool point_hs(const Fluid& f, double h, double s, Point& out) {
    if (!finite(h) || !finite(s)) return false;
    if (fast_hs(f, h, s, out) || wet_hs(f, h, s, out)) return true;
    // h(p, s) rises with p at the rate v: Newton steps in ln p inside a bracket.
    const double lo_p = 1.0, hi_p = f.p_max;
    Point last;
    auto eval = [&](double lnp, double& fx, double& dfx) {
        const double p = std::exp(lnp);
        if (!point_ps(f, p, s, last)) return false;
        fx = last.one.h - h;
        dfx = p / last.one.rho;
        return finite(fx) && finite(dfx);
    };
    double flo = NAN, d = 0.0;
    double lo = std::log(lo_p);
    const double hi = std::log(hi_p);
    // The low end may lie below the fluid's range at this entropy: move up,
    // then back down towards the range's edge while still above the target.
    double below = lo;
    while (!eval(lo, flo, d) && lo < hi) {
        below = lo;
        lo += 1.0;
    }
    if (!(lo < hi)) return false;
    for (int i = 0; i < 60 && flo > 0.0 && lo - below > 1e-12; ++i) {
        const double mid = 0.5 * (below + lo);
        double fm;
        if (!eval(mid, fm, d)) {
            below = mid;
        } else {
            lo = mid;
            flo = fm;
        }
    }
    if (flo > 0.0) return false;
    // Above, a pressure outside the range (past T_max on the isentrope) is one
    // above the target: the bracketed iteration takes it as its upper end.
    const double start = std::log(f.p_c) > lo ? std::log(f.p_c) : 0.5 * (lo + hi);
    const double lnp = newton_bracketed(eval, start, lo, hi, 1e-14);
    if (!finite(lnp)) return false;
    return point_ps(f, std::exp(lnp), s, out) && std::fabs(out.one.h - h) <= 1e-9 * std::fabs(h) + 1e-6;
}

bool point_rhoh(const Fluid& f, double rho, double h, Point& out) {
    if (!finite(rho) || !finite(h) || !(rho > 0.0) || rho > f.rho_max) return false;
    // h(T) at constant density rises with T; in the wet region the mixture of
    // the saturated phases at T with that specific volume.
    Point at;
    auto point_at = [&](double T) {
        if (T < f.T_c && T <= f.T_sat_max) {
            State l, v;
            if (saturation_T(f, T, l, v) && rho < l.rho && rho > v.rho) {
                mix(l, v, (1.0 / rho - 1.0 / l.rho) / (1.0 / v.rho - 1.0 / l.rho), at);
                return true;
            }
        }
        at.x = -1.0;
        at.one = evaluate(f, T, rho);
        return finite(at.one.h) && at.one.p > 0.0;
    };
    double lo = f.T_min, hi = f.T_max;
    if (!point_at(lo) || at.one.h > h) return false;
    double hlo = at.one.h;
    if (!point_at(hi) || at.one.h < h) return false;
    double hhi = at.one.h;
    // Regula falsi (Illinois) on h(T): the wet region's h(T) has no simple slope.
    int side = 0;
    for (int it = 0; it < 200; ++it) {
        const double T = (lo * (hhi - h) - hi * (hlo - h)) / (hhi - hlo);
        if (!point_at(T)) return false;
        const double fT = at.one.h - h;
        if (std::fabs(fT) <= 1e-12 * std::fabs(h) + 1e-9 || hi - lo <= 1e-13 * T) {
            out = at;
            return true;
        }
        if (fT < 0.0) {
            lo = T;
            hlo = at.one.h;
            if (side == -1) hhi = h + 0.5 * (hhi - h);
            side = -1;
        } else {
            hi = T;
            hhi = at.one.h;
            if (side == 1) hlo = h + 0.5 * (hlo - h);
            side = 1;
        }
    }
    return false;
}

double sound_speed(const Point& pt) {
    if (!pt.wet()) return pt.one.w;
    const State& l = pt.liq;
    const State& g = pt.vap;
    const double x = pt.x, T = l.T;
    const double vl = 1.0 / l.rho, vg = 1.0 / g.rho;
    const double dps = (g.s - l.s) / (vg - vl);  // Clausius-Clapeyron
    // Along the saturation line, per kelvin.
    auto line = [&](const State& s, double& dv, double& ds) {
        const double drho = (dps - s.dp_dT) / s.dp_drho;
        dv = -drho / (s.rho * s.rho);
        ds = s.cv / T - s.dp_dT / (s.rho * s.rho) * drho;
    };
    double dvl, dsl, dvg, dsg;
    line(l, dvl, dsl);
    line(g, dvg, dsg);
    const double dx = -(dsl + x * (dsg - dsl)) / (g.s - l.s);
    const double dv_dT = dvl + x * (dvg - dvl) + (vg - vl) * dx;
    const double dv_dp = dv_dT / dps;
    const double v = 1.0 / pt.one.rho;
    return std::sqrt(-v * v / dv_dp);
}

double viscosity(const Fluid& f, double T, double rho) {
    const Viscosity& m = f.viscosity;
    if (!m.present) return NAN;
    const double Ts = T / m.eps_k, lT = std::log(Ts);
    double ln_omega = 0.0, power = 1.0;
    for (double a : m.collision) {
        ln_omega += a * power;
        power *= lT;
    }
    double eta = m.factor * std::sqrt(T) / std::exp(ln_omega);
    for (const PowerTerm& k : m.excess) eta += k.n * ipow(rho, k.d) / ipow(Ts, k.t);
    return eta * 1e-6;
}

}  // namespace h2::helmholtz
