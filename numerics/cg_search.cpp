// Conjugate-gradient search and the two line searches it can use.
#include "numerics/cg_search.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <string_view>

#include "case/output_internal.h"
#include "numerics/fr_locals.h"

namespace h2 {

namespace {

// Both line searches give up once the parabola or section loop has run this
// many steps; the abscissa reached so far is the answer.
constexpr int kMaxLineSteps = 50;

// A function still rising after this many bracket-expansion steps has no
// maximum within reach (with factor 2 the step has grown by 2^100): the best
// point met is returned instead of walking on until the step overflows.
constexpr int kMaxExpansionSteps = 100;

// 1 - 1/phi: the fraction of the interval at which golden section puts its
// inner points, so that one of them can be reused after every step.
constexpr double kGoldenFraction = 0.38196601;

void report_out_of_range(int line) {
    std::string_view file = __FILE__;
    file = file.substr(file.find_last_of('/') + 1);
    char text[96];
    std::snprintf(text, sizeof text, "ERRCODE_OUTOFRANGE: in %.*s line %d", static_cast<int>(file.size()),
                  file.data(), line);
    report_error(text);
}

}  // namespace

double cg_maximize(int n, int IM, int IP, int FRis, double acc_E, double acc_EE, double acc_D, double acc_MU0,
                   double acc_D0, Objective objective, double* x) {
    frLocals* fr = get_frLocals();
    if (fr == nullptr) {
        // Exiting here would end the host's process with a code that reads as success.
        report_error("Fatal error: frLocals not defined");
        return kSearchFailed;
    }
    // Past the block's arrays (a 100-element case hands over up to 103 values) memory would be overwritten.
    if (n < 1 || n > kSearchMaxVars) {
        report_out_of_range(__LINE__);
        return kSearchFailed;
    }

    fr->n = n;
    fr->x = x;
    fr->func = objective;
    fr->I = 0;
    int restarts = 0;  // restarts from the plain gradient so far

    fr->FH = objective(x);
    fr->NF = 1;

    std::array<double, kSearchMaxVars> g;  // forward-difference gradient
    std::array<double, kSearchMaxVars> d;  // conjugate direction, not normalised
    double gg_prev = 0.0;

    for (;;) {
        if (IP > 1) fr_report();
        const double F0 = fr->FH;
        std::copy_n(x, n, fr->xt);

        // Forward differences: g_i = (F(x + acc_D e_i) - F(x)) / acc_D.
        double gg = 0.0;
        for (int i = 0; i < n; ++i) {
            fr->xt[i] = x[i] + acc_D;
            fr->FH = objective(fr->xt);
            g[i] = (fr->FH - F0) / acc_D;
            fr->xt[i] = x[i];
            gg += g[i] * g[i];
        }
        fr->NF += n;

        // Every n + 1 iterations the search restarts from the plain gradient;
        // in between, Fletcher-Reeves: d = g + (|g|^2 / |g_prev|^2) d.
        double S = 0.0;
        if (fr->I == restarts * (n + 1)) {
            ++restarts;
            std::copy_n(g.begin(), n, d.begin());
            S = gg;
        } else {
            const double beta = gg / gg_prev;
            for (int i = 0; i < n; ++i) {
                d[i] = g[i] + beta * d[i];
                S += d[i] * d[i];
            }
        }
        if (S == 0.0) break;  // a flat point: no direction to climb in

        gg_prev = gg;
        const double length = std::sqrt(S);
        for (int i = 0; i < n; ++i) fr->dir[i] = d[i] / length;

        const double t = FRis == 1 ? line_max(line_value, acc_MU0, acc_D0, acc_E)
                                   : golden_max(line_value, 0, acc_MU0, acc_D0, acc_E, 2.0);

        ++fr->I;
        for (int i = 0; i < n; ++i) x[i] = fr->xt[i] + t * fr->dir[i];
        fr->FH = objective(x);
        ++fr->NF;

        // An equality test: an IM below 1 sets no limit.
        if (fr->I == IM) break;
        // The change is measured absolutely near zero and relatively elsewhere.
        if (std::fabs(fr->FH) < acc_EE) {
            if (std::fabs(fr->FH - F0) <= acc_EE) break;
        } else if (std::fabs(1.0 - F0 / fr->FH) <= acc_EE) {
            break;
        }
    }

    if (IP > 0) fr_report();
    return fr->FH;
}

double line_value(double t) {
    frLocals* fr = get_frLocals();
    for (int i = 0; i < fr->n; ++i) fr->x[i] = fr->xt[i] + t * fr->dir[i];
    ++fr->NF;
    return fr->func(fr->x);
}

double line_max(LineFunc f, double x0, double h, double tol) {
    int count = 2;
    const double f0 = f(x0);
    const double f1 = f(x0 + h);

    // The walk runs uphill: from x0 through x0 + h, or turned round from
    // x0 + h through x0 when the first step does not rise.
    double prev = x0, f_prev = f0;
    double cur = x0 + h, f_cur = f1;
    if (!(f1 > f0)) {
        std::swap(prev, cur);
        std::swap(f_prev, f_cur);
        h = -h;
    }

    // Step doubling until the value stops rising. The last three points then
    // bracket the maximum: A (= C - 1.5 h), B (= C - h, the best) and C.
    double next = 0.0, f_next = 0.0;
    for (int steps = 0;; ++steps) {
        if (steps == kMaxExpansionSteps) return cur;
        h *= 2.0;
        next = cur + h;
        f_next = f(next);
        ++count;
        if (!(f_next > f_cur)) break;
        prev = cur;
        f_prev = f_cur;
        cur = next;
        f_cur = f_next;
    }
    double A = prev, fA = f_prev;
    double B = cur, fB = f_cur;
    double C = next, fC = f_next;

    double T = C - 0.5 * h;  // first trial point, between B and C
    for (;;) {
        const double fT = f(T);
        ++count;
        // The better of T and B becomes the middle M (B on a tie); the other,
        // W, replaces the outer point on its own side of M.
        const bool T_better = fT > fB;
        const double M = T_better ? T : B, fM = T_better ? fT : fB;
        const double W = T_better ? B : T, fW = T_better ? fB : fT;
        if ((M - A) * (W - M) > 0.0) {
            C = W;
            fC = fW;
        } else {
            A = W;
            fA = fW;
        }
        B = M;
        fB = fM;

        // Vertex of the parabola through (A, fA), (B, fB), (C, fC).
        const double D = (B - C) * fA + (C - A) * fB + (A - B) * fC;
        if (D == 0.0) return B;
        T = 0.5 * ((B * B - C * C) * fA + (C * C - A * A) * fB + (A * A - B * B) * fC) / D;

        if (count > kMaxLineSteps) return T;
        if (std::fabs(B - T) <= tol) return T;
    }
}

double brent_max(LineFunc f, double a, double b, double tol) {
    // Brent (1973), Algorithms for Minimization without Derivatives, ch. 5,
    // on -f.
    constexpr double kGoldenShare = 0.3819660112501051;  // (3 - sqrt 5) / 2
    constexpr int kMaxSteps = 100;
    const double rel = std::sqrt(std::numeric_limits<double>::epsilon());
    if (b < a) std::swap(a, b);
    const double lo = a, hi = b;
    double x = a + kGoldenShare * (b - a), w = x, v = x;
    double fx = -f(x), fw = fx, fv = fx;
    double d = 0.0, e = 0.0;
    for (int step = 0; step < kMaxSteps; ++step) {
        const double mid = 0.5 * (a + b);
        const double tol1 = rel * std::fabs(x) + tol / 3.0;
        const double tol2 = 2.0 * tol1;
        if (std::fabs(x - mid) <= tol2 - 0.5 * (b - a)) break;
        double p = 0.0, q = 0.0, r = 0.0;
        if (std::fabs(e) > tol1) {
            // Parabola through (v, fv), (w, fw), (x, fx).
            r = (x - w) * (fx - fv);
            q = (x - v) * (fx - fw);
            p = (x - v) * q - (x - w) * r;
            q = 2.0 * (q - r);
            if (q > 0.0) p = -p;
            q = std::fabs(q);
            r = e;
            e = d;
        }
        if (std::fabs(p) < std::fabs(0.5 * q * r) && p > q * (a - x) && p < q * (b - x)) {
            d = p / q;
            const double u = x + d;
            if (u - a < tol2 || b - u < tol2) d = x < mid ? tol1 : -tol1;
        } else {
            e = x < mid ? b - x : a - x;
            d = kGoldenShare * e;
        }
        const double u = std::fabs(d) >= tol1 ? x + d : x + (d > 0.0 ? tol1 : -tol1);
        const double fu = -f(u);
        if (fu <= fx) {
            (u < x ? b : a) = x;
            v = w;
            fv = fw;
            w = x;
            fw = fx;
            x = u;
            fx = fu;
        } else {
            (u < x ? a : b) = u;
            if (fu <= fw || w == x) {
                v = w;
                fv = fw;
                w = u;
                fw = fu;
            } else if (fu <= fv || v == x || v == w) {
                v = u;
                fv = fu;
            }
        }
    }
    // A maximum at an end: the steps stop a tolerance short of it.
    const double reach = 2.0 * (rel * std::fabs(x) + tol / 3.0) + tol;
    if (hi - x <= 2.0 * reach && -f(hi) <= fx) return hi;
    if (x - lo <= 2.0 * reach && -f(lo) <= fx) return lo;
    return x;
}

double golden_max(LineFunc f, int fixed, double a, double h, double tol, double factor) {
    constexpr double r = kGoldenFraction;
    double d = h;  // signed width of the interval from a to b
    double b = a + h;

    if (fixed == 0) {
        // Bracket expansion: walk uphill with steps growing by factor; the
        // last three points then hold the maximum, and the interval runs from
        // the first of them (a) to the last (b).
        const double fb = f(b);
        const double fa = f(a);
        double P = b, f_before = fa, f_current = fb;
        if (!(fb > fa)) {
            d = -factor * d;
            P = a + d;
            f_current = f(P);
        }
        for (int steps = 0; f_current > f_before; ++steps) {
            if (steps == kMaxExpansionSteps) return P;
            d *= factor;
            P += d;
            f_before = f_current;
            f_current = f(P);
        }
        d *= 1.0 + 1.0 / factor;
        b = P;
        a = P - d;
    }

    // Golden section: the inner point of the worse side is dropped with its
    // end, and one new point is evaluated per step.
    double x1 = a + r * d, f1 = f(x1);
    double x2 = b - r * d, f2 = f(x2);
    for (int steps = 0;;) {
        if (std::fabs(d) < tol) break;
        if (++steps > kMaxLineSteps) break;
        if (f1 > f2) {
            b = x2;
            x2 = x1;
            f2 = f1;
            d = b - a;
            x1 = a + r * d;
            f1 = f(x1);
        } else {
            a = x1;
            x1 = x2;
            f1 = f2;
            d = b - a;
            x2 = b - r * d;
            f2 = f(x2);
        }
    }
    return (a + b) * 0.5;
}

void fr_report() {
    const frLocals* fr = get_frLocals();
    if (fr == nullptr) return;
    fr_print("I=%d NF=%d FH=%6.2e\n", fr->I, fr->NF, fr->FH);
    // Nine values on the first line, the rest on the second.
    constexpr int kFirstLineValues = 9;
    for (int i = 0; i < fr->n; ++i) {
        fr_print("%g ", fr->x[i]);
        if (i == kFirstLineValues - 1) fr_print("\n");
    }
    fr_print("\n");
}

void fr_print(const char* format, ...) {
    const frLocals* fr = get_frLocals();
    if (fr == nullptr) return;
    std::va_list ap;
    va_start(ap, format);
    if (fr->outDst != 1) {
        std::va_list aq;
        va_copy(aq, ap);
        std::vfprintf(console_stream(), format, aq);
        va_end(aq);
    }
    if (fr->dump != nullptr) {
        std::vfprintf(fr->dump, format, ap);
        std::fflush(fr->dump);
    }
    va_end(ap);
}

}  // namespace h2
