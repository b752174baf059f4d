// Convective heat-transfer coefficient along the surface of a solved blade
// layer. Each side, counted from the stagnation point, has a laminar stretch
// (integral Nusselt relation of Ambrok's form, Nu = 0.297 Re / sqrt(int Re dx/x)),
// a transitional and a turbulent stretch (Nu = 0.0255 Re / int^0.2), a
// cylinder-in-crossflow value at the stagnation point, a raise of the laminar
// stretch by free-stream turbulence and a blend over the leading edge.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "blades/layer_boundary.h"
#include "blades/layer_layout.h"
#include "blades/layer_registry.h"
#include "halvorine2/blade_layer.h"
#include "halvorine2/profiles.h"

namespace h2 {

namespace {

constexpr double kDegree = 0.017453292519943295;  // radians per degree
constexpr double kPi = 3.141592653589793;

double sind(double deg) { return std::sin(deg * kDegree); }

// Mach number at enthalpy i0 - w^2/2; a flow with k = 1 is treated as
// incompressible (no speed of sound to compare with).
double mach(double w, double i0, double k) {
    const double a2 = (k - 1.0) * (i0 - w * w / 2.0);
    return a2 > 0.0 ? w / std::sqrt(a2) : 0.0;
}

// Base transition Reynolds number (x-based) over free-stream turbulence in percent.
double transition_base(double Tu) {
    if (Tu < 0.12) return 3100000.0;
    if (Tu < 1.0) return 710000.0 * std::pow(Tu, -0.7);
    return 710000.0 * std::pow(Tu, -1.76);
}

// Transition-length factor over the pressure ratio pr (<= 1) for a side that
// decelerates or not and whose velocity runs flat or not after the start.
double length_factor(bool decel, bool flat, double pr) {
    struct Fit {
        double a, b, c, low;
    };
    static constexpr Fit kFits[2][2] = {
        {{9.8571, -20.787, 12.705, 2.66}, {2.0545, -4.4972, 3.969, 1.752}},   // accelerating: curved, flat
        {{0.5375, -1.1112, 1.837, 1.306}, {0.5851, -1.1185, 1.7029, 1.193}},  // decelerating: curved, flat
    };
    const Fit& f = kFits[decel ? 1 : 0][flat ? 1 : 0];
    const double F = pr > 0.75 ? (f.a * pr + f.b) * pr + f.c : f.low;
    return std::max(F, 1.0);
}

// x where the Reynolds number w x / nu, linear between points i-1 and i, reaches target.
double reynolds_crossing(int i, const double* x, const double* w, double nu, double target) {
    const double R0 = w[i - 1] * x[i - 1] / nu;
    const double R1 = w[i] * x[i] / nu;
    return x[i - 1] + (x[i] - x[i - 1]) * (target - R0) / (R1 - R0);
}

// The first point 1..nPts-1 whose Reynolds number reaches target, or 0.
int first_reaching(int nPts, const double* x, const double* w, double nu, double target) {
    for (int i = 1; i < nPts; ++i)
        if (w[i] * x[i] / nu >= target) return i;
    return 0;
}

// Constants of the turbulence raise of the first and second side.
struct TuSet {
    double c1, e1, c2, e2, e3, e4, e5;
};
constexpr TuSet kTuSets[2] = {
    {0.838, 0.97, 0.368, -0.41, -0.12, -0.009, 0.944},
    {1.45, 0.85, 0.462, -0.26, -0.091, -0.026, 1.38},
};

// Mean of the coefficients over the contour nodes they stand at.
double surface_mean(int N, const double* h, const double* s) {
    if (N < 2) return 0.0;
    double sum = 0.0;
    for (int i = 0; i + 1 < N; ++i) sum += (h[i] + h[i + 1]) * (s[2 * (i + 1)] - s[2 * i]);
    const double length = s[2 * (N - 1)];
    return length != 0.0 ? sum / (2.0 * length) : 0.0;
}

}  // namespace

double stagger_angle(double beta1, double beta2) { return BetaUst(beta1, beta2, 0); }

double max_camber(double beta1, double beta2) {
    const double g = stagger_angle(beta1, beta2);
    const double ta = std::fabs(std::tan((g - (180.0 - beta1)) * kDegree));
    const double tb = std::fabs(std::tan(((90.0 - g) - beta2) * kDegree));
    double largest = 0.0;
    // The stepping by addition is kept: the last sample lands just short of 1.
    for (double x = 0.0; x < 1.01; x += 0.02)
        largest = std::max(largest, ((x * (ta - tb) + (tb - 2.0 * ta)) * x + ta) * x);
    return largest;
}

void transition_bounds(int nPts, double W1, double pRatio, double i0, double rLE, double k, double Tu,
                       double nu, double trFactor, const double* x, const double* w, int* iStart, int* iEnd,
                       double* xStart, double* xEnd) {
    if (nPts < 1) return;
    const double M1 = mach(W1, i0, k);
    int m = 0;  // first local velocity maximum
    for (int i = 1; i < nPts && w[i] >= w[m]; ++i) m = i;
    const double hm = i0 - w[m] * w[m] / 2.0;
    const double Mm = mach(w[m], i0, k);
    const double density = k != 1.0 ? std::pow(hm / i0, k / (k - 1.0)) : 1.0;
    const double pr = std::min(density / pRatio, 1.0);
    const double ReTr = transition_base(Tu) * (1.0 + 1.3 * std::pow(Mm, 1.7)) * std::pow(trFactor, -2.3) *
                        (1.0 + 0.38 * std::pow(M1, 0.6));

    double xs = 1.5 * x[nPts - 1];
    double xe = xs;
    int is = 1;
    int ie = nPts - 1;
    if (const int i = first_reaching(nPts, x, w, nu, ReTr)) {
        is = i;
        xs = reynolds_crossing(i, x, w, nu, ReTr);
    }
    // Transition starts no closer to the stagnation point than a quarter of
    // the leading-edge circumference.
    const double xLE = kPi * (2.0 * rLE) / 4.0;
    if (xs < xLE) {
        for (int i = 1; i < nPts; ++i) {
            if (x[i] >= xLE) {
                xs = xLE;
                is = i;
                break;
            }
        }
    }
    if (is < nPts - 1) {
        // Accelerating or decelerating after the start, up to the first
        // reversal of the velocity-rise integral.
        double S = 0.0;
        double prev = 0.0;
        int iStop = nPts;
        for (int i = is + 1; i < nPts; ++i) {
            S += (w[i] - w[i - 1]) * (x[i] - x[i - 1]);
            if (S * prev < 0.0) {
                iStop = i;
                break;
            }
            prev = S;
        }
        const bool decel = S < 0.0;
        double S2 = 0.0;
        for (int i = is + 1; i <= iStop - 2; ++i) S2 += (w[i + 1] - w[i - 1]) * (x[i] - x[i - 1]);
        const bool flat = S2 <= 0.0;
        const double ReEnd = ReTr * length_factor(decel, flat, pr);
        if (const int i = first_reaching(nPts, x, w, nu, ReEnd)) {
            ie = i;
            xe = reynolds_crossing(i, x, w, nu, ReEnd);
        }
        if (ie - is < 1) xe = x[is + 1];
    }
    if (iStart) *iStart = is;
    if (iEnd) *iEnd = ie;
    if (xStart) *xStart = xs;
    if (xEnd) *xEnd = xe;
}

void side_htc(int nPts, double W1, double /*W2*/, double /*beta1*/, double /*beta2*/, double b, double rLE,
              double Tu, double nu, double lambda, const double* x, const double* w, double* h, double xStart,
              double xEnd) {
    if (nPts < 1) return;
    // Stagnation point: a cylinder of the leading-edge diameter in crossflow,
    // raised by free-stream turbulence above 0.8 %.
    const double d = 2.0 * rLE;
    const double Red = W1 * d / nu;
    const double fTu = Tu > 0.8 ? 1.0 + std::pow(Tu - 0.8, 0.53) * std::pow(d / b, 0.34) : 1.0;
    h[0] = 0.84 * std::sqrt(Red) * fTu * lambda / d;

    // Re_x and the running integral of w dx / nu from the start of a stretch.
    double I = 0.0;
    double Re = 0.0;
    double Nu = 0.0;
    auto step = [&](int i) {
        I += (x[i] - x[i - 1]) * (w[i] + w[i - 1]) / 2.0 / nu;
        Re = w[i] * x[i] / nu;
    };
    int i = 1;
    double J = 0.0;
    for (; i < nPts && x[i] <= xStart; ++i) {
        step(i);
        Nu = 0.297 * Re / std::sqrt(I);
        h[i] = Nu * lambda / x[i];
    }
    if (i > 1) J = 0.047 * (Re / Nu) * (Re / Nu);
    I = 0.0;
    for (; i < nPts && x[i] <= xEnd; ++i) {
        step(i);
        Nu = 0.000343 * Re * std::pow(I + J, 0.11);
        h[i] = Nu * lambda / x[i];
    }
    const double J2 = i > 1 ? 11750.0 * std::pow(1000.0 * Nu / Re, 9.0) : 0.0;
    I = 0.0;
    for (; i < nPts; ++i) {
        step(i);
        Nu = 0.0255 * Re * std::pow(I + J2, -0.2);
        h[i] = Nu * lambda / x[i];
    }
}

void side_tu_correction(int set, double b, double rLE, double xLast, double beta1, double beta2, double W1,
                        double Tu, double nu, int nPts, const double* x, const double* w, double* h,
                        double xStart, double camber) {
    if (nPts < 1) return;
    const TuSet& c = kTuSets[set == 0 ? 0 : 1];
    const double r = sind(beta2) / sind(beta1);
    std::vector<double> g;
    try {
        g.assign(static_cast<std::size_t>(nPts) + 1, 0.0);
    } catch (const std::bad_alloc&) {
        return;
    }
    g[0] = 8.45 * std::pow(Tu, 0.75) * std::pow(2.0 * rLE / b, 0.455);
    if (g[0] > 1.0) {
        const double cTu = c.c1 * std::pow(Tu, c.e1);
        const double cRe = c.c2 * std::pow(1e-05 * W1 * b / nu, 0.25);
        double I1 = 0.0;
        double I2 = 0.0;
        for (int i = 1; i < nPts && x[i] <= xStart; ++i) {
            const double dx = (x[i] - x[i - 1]) / xLast;
            I1 += dx * (w[i] + w[i - 1]) / 2.0 / W1;
            g[i] = std::pow(w[i] / W1, c.e2 / r) * cTu * std::pow(I1, c.e3) *
                   std::pow(camber, c.e4 * Tu * w[i] / W1);
            I2 += dx * (g[i] + g[i - 1]) / 2.0;
            h[i] *= 1.0 + cRe * std::pow(I2, c.e5 * r);
        }
    }
    // Over the leading edge (a sixth of its circumference) the coefficient
    // runs linearly from the stagnation value.
    const double xBlend = kPi * (2.0 * rLE) / 6.0;
    for (int iStar = 1; iStar < nPts; ++iStar) {
        if (x[iStar] > xBlend) {
            const double h0 = h[0];
            const double hStar = h[iStar];
            for (int i = 1; i <= iStar; ++i) h[i] = h0 + (hStar - h0) * x[i] / x[iStar];
            break;
        }
    }
}

}  // namespace h2

namespace {

// Transition coordinates of one side by mode (see HTCLayer).
void side_bounds(int mode, int nPts, const double* x, const double* w, double xLastFilled, double W1,
                 double pRatio, double i0, double rLE, double k, double Tu, double nu, double trFactor,
                 int* trStart, int* trEnd, double& xStart, double& xEnd) {
    if (mode == 3) {
        xStart = xEnd = 0.0;
        return;
    }
    if (mode == 2) {
        xStart = xEnd = xLastFilled;
        return;
    }
    // Given points are side point indices, as the computed ones are reported;
    // one that is negative or past the side asks for the computed bounds.
    if (mode == 1 && trStart && trEnd && *trStart >= 0 && *trEnd >= 0 && *trStart < nPts && *trEnd < nPts) {
        xStart = x[*trStart];
        xEnd = x[*trEnd];
        return;
    }
    int is = -1;
    int ie = -1;
    xStart = xEnd = 0.0;
    h2::transition_bounds(nPts, W1, pRatio, i0, rLE, k, Tu, nu, trFactor, x, w, &is, &ie, &xStart, &xEnd);
    if (trStart) *trStart = is;
    if (trEnd) *trEnd = ie;
}

}  // namespace

extern "C" {

double HTCLayer(int mode, int n, int nTail, Layer* layer, double W1, double W2, double pRatio, double i0,
                double b, double rLE, double /*spare1*/, double beta1, double beta2, double /*spare2*/,
                double k, int /*roughClass*/, double Tu, double nu, double lambda, double trFactor,
                double** arcOut, double** htcOut, int* kLast, int* kFirst, int* nSide1, int* nSide2,
                int* trStart1, int* trEnd1, int* trStart2, int* trEnd2) {
    namespace layer_ = h2::layer;
    if (layer == nullptr || n < 0 || !layer_::size_matches(layer, n)) return -1.0;

    double* s = layer_::array(layer, n, layer_::kArcLength);
    double* out = layer_::array(layer, n, layer_::kHeatTransfer);
    if (arcOut) *arcOut = s;
    if (htcOut) *htcOut = out;
    int last = 0;
    int first = 0;
    int n1 = 0;
    int n2 = 0;
    const double sStag = h2::stagnation_split(n, nTail, layer, &last, &first, &n1, &n2);
    if (kLast) *kLast = last;
    if (kFirst) *kFirst = first;
    if (nSide1) *nSide1 = n1;
    if (nSide2) *nSide2 = n2;
    if (mode <= 0) return 0.0;

    const double camber = h2::max_camber(beta1, beta2);
    h2::side_arrays(n, layer, sStag, last, first, n1, n2, W2 * h2::sind(beta2));
    std::vector<double> buffer;
    try {
        buffer.assign(static_cast<std::size_t>(n1) + n2, 0.0);
    } catch (const std::bad_alloc&) {
        return -1.0;
    }

    struct Side {
        int nPts;
        const double* x;
        const double* w;
        double* h;
        int* trStart;
        int* trEnd;
        double xLastFilled;  // the laminar bound of mode 2
    };
    const double* x1 = layer_::array(layer, n, layer_::kSide1X);
    const double* x2 = layer_::array(layer, n, layer_::kSide2X);
    const Side sides[2] = {
        {n1, x1, layer_::array(layer, n, layer_::kSide1W), buffer.data(), trStart1, trEnd1,
         n1 > 0 ? x1[n1 - 1] : 0.0},
        {n2, x2, layer_::array(layer, n, layer_::kSide2W), buffer.data() + n1, trStart2, trEnd2, x2[n2]},
    };
    for (int set = 0; set < 2; ++set) {
        const Side& side = sides[set];
        // An empty side has no coordinates to read.
        if (side.nPts < 1) continue;
        double xStart = 0.0;
        double xEnd = 0.0;
        side_bounds(mode, side.nPts, side.x, side.w, side.xLastFilled, W1, pRatio, i0, rLE, k, Tu, nu,
                    trFactor, side.trStart, side.trEnd, xStart, xEnd);
        h2::side_htc(side.nPts, W1, W2, beta1, beta2, b, rLE, Tu, nu, lambda, side.x, side.w, side.h, xStart,
                     xEnd);
        h2::side_tu_correction(set, b, rLE, side.x[side.nPts - 1], beta1, beta2, W1, Tu, nu, side.nPts,
                               side.x, side.w, side.h, xStart, camber);
    }
    // Contour order: side 1 reversed, then side 2.
    for (int i = 0; i < n1; ++i) out[i] = buffer[n1 - 1 - i];
    for (int i = n1; i < n1 + n2; ++i) out[i] = buffer[i];
    return h2::surface_mean(n1 + n2, out, s);
}

}  // extern "C"
