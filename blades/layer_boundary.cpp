// Integral boundary layer along the two sides of a solved blade layer and the
// profile loss it gives: the momentum-integral (Thwaites-type) march
//   theta = (nu / w) (R / C)^G,  R = (A int w^P0 dx + H) / (nu w^P1),
// with the compressibility weights of the velocity, a laminar set and a
// turbulent set, transition by the start criterion of Abu-Ghannam and Shaw
// (with a roughness term) and the transition length of Chen and Thyson.
#include "blades/layer_boundary.h"

#include <algorithm>
#include <cmath>

#include "blades/layer_layout.h"
#include "numerics/one_dim.h"

namespace h2 {

namespace {

constexpr double kDegree = 0.017453292519943295;  // radians per degree

// Coefficients of one momentum-integral closure.
struct MarchSet {
    double A, B, C, P1, Q1, P2, Q2, E, G;
};
constexpr MarchSet kLaminar{0.44, 5.8, 1.0, 3.8, -1.9, 0.0, 0.0, 0.0, 0.5};
constexpr MarchSet kTurbulent{1.17, 4.8, 153.2, 2.8, -1.4, 2.8, -1.4, 1.167, 0.857};
constexpr double kFormExponent = 1.0 / 6.0;  // Re_theta power in the form parameter

// Equivalent sand roughness (m) of the surface classes 6..10.
constexpr int kRoughFirst = 6;
constexpr int kRoughLast = 10;
constexpr double kRoughness[] = {1e-05, 6.3e-06, 3.2e-06, 1.6e-06, 8e-07};

constexpr double kTrailingEdgeLoss = 0.1;  // loss per relative trailing-edge thickness

// Exponents of the integral weight: P0 = B - 1, Q0 = (1 - B/2) + k/(k - 1);
// k = 1 marks an incompressible flow, which has no density weight.
void integral_exponents(const MarchSet& set, double k, double& P0, double& Q0) {
    P0 = set.B - 1.0;
    Q0 = k == 1.0 ? 0.0 : (1.0 - set.B / 2.0) + k / (k - 1.0);
}

// Slope of |w| at point i: the parabola through i-1, i, i+1, at the last
// point through i-2, i-1, i; a two-point side takes the chord slope.
double velocity_slope(int i, int nPts, const double* x, const double* w) {
    if (i < nPts - 1)
        return parabola_slope(x[i - 1], x[i], x[i + 1], std::fabs(w[i - 1]), std::fabs(w[i]),
                              std::fabs(w[i + 1]), x[i]);
    if (i >= 2)
        return parabola_slope(x[i - 2], x[i - 1], x[i], std::fabs(w[i - 2]), std::fabs(w[i - 1]),
                              std::fabs(w[i]), x[i]);
    return (std::fabs(w[i]) - std::fabs(w[i - 1])) / (x[i] - x[i - 1]);
}

double form_parameter(double dw, double theta, double w, double Re2) {
    return (-dw * theta / std::fabs(w + 1e-06)) * std::pow(std::fabs(Re2), kFormExponent);
}

// Pressure-gradient factor of the transition start criterion.
double gradient_factor(double lambda) {
    if (lambda < -0.1) return 0.9076;
    if (lambda < 0.0) return 1.0 + 1.845 * lambda + 9.21 * lambda * lambda;
    if (lambda <= 0.08) return 1.0 + 0.359 * lambda - 1.776 * lambda * lambda;
    return 1.017;
}

}  // namespace

double compress_weight(double w, double i0, double p, double q) {
    return std::pow(w, p) * std::pow(std::fabs(1.0 - 0.5 * w * w / i0), q);
}

double stagnation_split(int n, int nTail, const Layer* layer, int* kLast, int* kFirst, int* nSide1,
                        int* nSide2) {
    const int L = n / 2 - nTail / 2 - 1;
    int last = std::max(L, 0) - 1;
    int first = std::max(L, 0);
    int side1 = 0;
    int side2 = 0;
    double sStag = 0.0;
    // Fewer than two nodes hold no sign change to split at.
    if (L >= 2) {
        const double* v = layer::array(layer, n, layer::kVelocity);
        const double* s = layer::array(layer, n, layer::kArcLength);
        int i = 0;
        while (i < L && v[i] >= 0.0) ++i;
        const int iNeg = i;
        while (i < L && v[i] <= 0.0) ++i;
        last = i - 1;
        first = i;
        // A return to negative values within five nodes is passed over.
        while (i < L && !(v[i] < 0.0 && i - first > 5)) ++i;
        const int kEnd = i - 1;
        side1 = last - iNeg + 1;
        side2 = kEnd - first + 1;
        const double sLast = s[2 * last];
        const double dv = v[first] - v[last];
        sStag = dv != 0.0 ? sLast - (s[2 * first] - sLast) * v[last] / dv : sLast;
    }
    if (kLast) *kLast = last;
    if (kFirst) *kFirst = first;
    if (nSide1) *nSide1 = side1;
    if (nSide2) *nSide2 = side2;
    return sStag;
}

void side_arrays(int n, Layer* layer, double sStag, int kLast, int kFirst, int nSide1, int nSide2,
                 double Vs) {
    const double* v = layer::array(layer, n, layer::kVelocity);
    const double* s = layer::array(layer, n, layer::kArcLength);
    double* x1 = layer::array(layer, n, layer::kSide1X);
    double* w1 = layer::array(layer, n, layer::kSide1W);
    double* x2 = layer::array(layer, n, layer::kSide2X);
    double* w2 = layer::array(layer, n, layer::kSide2W);
    for (int i = 0; i < nSide1; ++i) {
        x1[i] = sStag - s[2 * (kLast - i)];
        w1[i] = std::fabs(v[kLast - i]) * Vs;
    }
    x2[0] = 0.0;
    w2[0] = 0.0;
    for (int i = 0; i < nSide2; ++i) {
        x2[i + 1] = s[2 * (kFirst + i)] - sStag;
        w2[i + 1] = std::fabs(v[kFirst + i]) * Vs;
    }
}

double side_boundary_layer(int mode, int nPts, double i0, double k, double ks, double TuPct, double nu,
                           const double* x, const double* w, double* theta, double* form, int* trStart,
                           int* trEnd) {
    const MarchSet* set = mode == 3 ? &kTurbulent : &kLaminar;
    double P0 = 0.0;
    double Q0 = 0.0;
    integral_exponents(*set, k, P0, Q0);
    double I = 0.0;
    double H = 0.0;
    bool laminar = true;
    int start = -1;
    int end = -1;
    double thetaPrev = 0.0;  // the march starts from a zero thickness at point 0
    for (int i = 1; i < nPts; ++i) {
        const double dx = x[i] - x[i - 1];
        I += (compress_weight(w[i], i0, P0, Q0) + compress_weight(w[i - 1], i0, P0, Q0)) * dx / 2.0;
        // A node without flow has no thickness of its own: the layer keeps
        // the upstream value rather than dividing by a zero velocity.
        if (w[i] == 0.0) {
            theta[i] = thetaPrev;
            form[i] = 0.0;
            continue;
        }
        const double R = (set->A * I + H) / nu / compress_weight(w[i], i0, set->P1, set->Q1);
        theta[i] = (nu / w[i]) * std::pow(R / set->C, set->G);
        double Re2 = w[i] * theta[i] / nu;
        const double dw = velocity_slope(i, nPts, x, w);
        form[i] = form_parameter(dw, theta[i], w[i], Re2);

        if (mode == 1 && laminar && theta[i] > 1e-10) {
            const double lambda = dw * Re2 * Re2 * nu / (w[i] * w[i]);
            const double S = ((6.91 - TuPct) - 0.72 * ks / theta[i]) * gradient_factor(lambda);
            const double Re2c = S < 0.0 ? 1e10 : std::exp(S) + 163.0;
            if (Re2 > Re2c) {
                const double Re2p = w[i - 1] * thetaPrev / nu;
                const double xs = x[i - 1] + dx * (Re2c - Re2p) / (Re2 - Re2p);
                const double Rxs = xs * w[i] / nu;
                const double D = 16.8 * std::pow(Rxs, 0.8);
                const double xe = (Rxs + D) * nu / w[i];
                start = i;
                while (x[i] < xe && i < nPts - 1) ++i;
                end = i;
                // End thickness from Re2e = 540 + M (1 - 1.4 lambda):
                // a2 theta^2 + w theta + c0 = 0, solved in the form that
                // keeps its limit -c0/w where the velocity is constant.
                const double M = 183.5 * (D * 1e-05 - 1.5);
                const double a2 = 1.4 * M * (w[i] - w[i - 1]) / (x[i] - x[i - 1]);
                const double c0 = -(540.0 + M) * nu;
                const double disc = w[i] * w[i] - 4.0 * a2 * c0;
                if (disc > 0.0) {
                    const double thE = -2.0 * c0 / (w[i] + std::sqrt(disc));
                    const double Re2e = thE * w[i] / nu;
                    for (int j = start + 1; j <= end; ++j) {
                        Re2 = Re2c + (Re2e - Re2c) * (x[j] - xs) / (xe - xs);
                        theta[j] = Re2 * nu / w[j];
                        form[j] = form_parameter(velocity_slope(j, nPts, x, w), theta[j], w[j], Re2);
                    }
                } else {
                    end = start;
                    i = start;
                }
                // A transition that runs out at the last point leaves the side laminar.
                if (i < nPts - 1 || end == start) {
                    set = &kTurbulent;
                    integral_exponents(*set, k, P0, Q0);
                    H = compress_weight(w[i], i0, set->P2, set->Q2) * set->C * std::pow(Re2, set->E) * nu;
                    I = 0.0;
                    laminar = false;
                }
            }
        }
        thetaPrev = theta[i];
    }
    if (trStart) *trStart = start;
    if (trEnd) *trEnd = end;
    return nPts >= 2 ? theta[nPts - 1] : 0.0;
}

double layer_profile_loss(int mode, int n, int nTail, Layer* layer, double W, double i0, double /*spareLen*/,
                          double t, double beta, double dTE, double k, int roughClass, double Tu, double nu,
                          int* kLast, int* kFirst, int* nSide1, int* nSide2, int* trStart1, int* trEnd1,
                          int* trStart2, int* trEnd2, double* lossTE) {
    int last = 0;
    int first = 0;
    int side1 = 0;
    int side2 = 0;
    const double sStag = stagnation_split(n, nTail, layer, &last, &first, &side1, &side2);
    if (kLast) *kLast = last;
    if (kFirst) *kFirst = first;
    if (nSide1) *nSide1 = side1;
    if (nSide2) *nSide2 = side2;

    const int cls = std::clamp(roughClass, kRoughFirst, kRoughLast);
    const double ks = kRoughness[cls - kRoughFirst];
    const double sinBeta = std::sin(beta * kDegree);
    const double dRel = dTE / (t * sinBeta);
    const double TuPct = Tu * 100.0 + 1e-06;
    if (mode <= 0) return 0.0;

    side_arrays(n, layer, sStag, last, first, side1, side2, W * sinBeta);
    double* theta1 = layer::array(layer, n, layer::kMomentumSide1);
    double theta =
        side_boundary_layer(mode, side1, i0, k, ks, TuPct, nu, layer::array(layer, n, layer::kSide1X),
                            layer::array(layer, n, layer::kSide1W), theta1,
                            layer::array(layer, n, layer::kBuri), trStart1, trEnd1);
    // Side 1 counts with its thickest point, side 2 with its trailing-edge value.
    for (int i = 0; i < side1; ++i) theta = std::max(theta, theta1[i]);
    theta += side_boundary_layer(mode, side2, i0, k, ks, TuPct, nu, layer::array(layer, n, layer::kSide2X),
                                 layer::array(layer, n, layer::kSide2W),
                                 layer::array(layer, n, layer::kMomentumSide2),
                                 layer::array(layer, n, layer::kFormSide2), trStart2, trEnd2);
    const double te = kTrailingEdgeLoss * dRel;
    if (lossTE) *lossTE = te;
    return 2.0 * theta / (t * sinBeta) + te;
}

}  // namespace h2
