// Heat-transfer coefficient of a blade section by zones, from cascade and
// flow scalars alone: empirical Nusselt correlations for the leading edge
// (cylinder in crossflow), the flanks (with the flow convergence of the
// cascade) and the two trailing-edge zones, raised by free-stream turbulence,
// by the zone factors of the through-flow and near the end walls.
#include <algorithm>
#include <cmath>

#include "blades/layer_boundary.h"
#include "halvorine2/blade_layer.h"

namespace h2 {

namespace {

constexpr double kDegree = 0.017453292519943295;  // radians per degree
constexpr double kPi = 3.141592653589793;
constexpr double kMaxAngleSum = 90.0;  // the convergence factor reads beta1 + beta2 no further

constexpr double kEndWallZone = 0.1;    // share of the height next to either end wall
constexpr double kEndWallFactor = 1.1;  // raise within it
constexpr double kSplitThreshold = 0.3;

double sind(double deg) { return std::sin(deg * kDegree); }
double cosd(double deg) { return std::cos(deg * kDegree); }

// 1 + a X^e: a zone factor over the through-flow ratio X.
double zone_factor(double a, double e, double X) { return 1.0 + a * std::pow(X, e); }

}  // namespace

double convergence_factor(double beta1, double beta2, double t, double b) {
    const double bx = b * cosd(stagger_angle(beta1, beta2));  // axial chord
    const double c = cosd((beta1 - beta2) / 2.0);
    const double s = std::min(beta1 + beta2, kMaxAngleSum);
    return (sind(beta1) / sind(beta2)) * std::sqrt((2.0 * bx / b) / ((t / b) * sind(s) * c * c));
}

}  // namespace h2

extern "C" {

double HTCzones(double sStag, double L, double q, double W1, double W2, double r, double b, double t,
                double rLE, double beta1, double beta2, double D, double l, double split, double Tu,
                double nu1, double nu2, double lambda1, double lambda2, double* xOut, double* hOut) {
    using namespace h2;
    // Zone factors of the through-flow; q = 0 leaves them at 1.
    const double X = std::fabs(q / (W2 * D / l));
    const double fLE = q != 0.0 ? zone_factor(0.2, 0.17, X) : 1.0;
    const double fTE = q != 0.0 ? zone_factor(0.87, 0.37, X) : 1.0;
    const double fMid = q != 0.0 ? zone_factor(0.8, 0.42, X) : 1.0;
    const double hRel = (r - (D - l) / 2.0) / l;
    const double fEW = hRel < kEndWallZone || hRel > 1.0 - kEndWallZone ? kEndWallFactor : 1.0;

    // Leading edge: a cylinder of diameter d in crossflow.
    const double d = 2.0 * rLE;
    const double Red = W1 * d / nu1;
    const double fTu1 = Tu < 4.0 ? 0.9 * (1.0 + 0.1 * std::pow(Tu, 1.4))
                                 : 0.9 * (1.0 + 0.4 * std::pow(std::max(Tu, 10.0), 0.28));
    const double hLE = 0.635 * std::sqrt(Red) * fTu1 * fLE * fEW * lambda1 / d;

    const double Reb = W2 * b / nu2;
    const double fTu2 = 0.88 * std::pow(1.0 + Tu, 0.2);
    const double K = convergence_factor(beta1, beta2, t, b);
    const double hTE1 = 0.057 * std::pow(Reb, 0.71) * fTu2 * fTE * fEW * lambda2 / b;
    const double hTE6 = 0.051 * std::pow(Reb, 0.73) * fTu2 * fTE * fEW * lambda2 / b;
    const double NuM = 0.206 * std::pow(Reb, 0.66) * std::pow(K, -0.58) * fTu2 * fMid * fEW;
    const double hM = ((lambda1 + lambda2) / 2.0) * NuM / b;
    const bool firstSet = split > kSplitThreshold;
    const double hFlank2 = firstSet ? 1.3 * hM : 0.85 * hM;
    const double hFlank3 = 0.85 * hM;
    const double hFlank5 = firstSet ? 1.075 * hM : 1.1 * hM;

    // Zone bounds as fractions of the contour: the leading-edge zone spans
    // 120 degrees of the leading-edge circle around the stagnation point.
    const double xs = sStag / L;
    const double e = 0.1 * b / L;
    const double a = (kPi * d / 3.0) / L;
    const double x3 = e + 0.3 * ((xs - a) - e);
    const double bounds[12] = {0.0, e, e, x3, x3, xs - a, xs - a, xs + a, xs + a, 1.0 - e, 1.0 - e, 1.0};
    const double values[6] = {hTE1, hFlank2, hFlank3, hLE, hFlank5, hTE6};
    double mean = 0.0;
    for (int z = 0; z < 6; ++z) {
        mean += (bounds[2 * z + 1] - bounds[2 * z]) * values[z];
        if (xOut) {
            xOut[2 * z] = bounds[2 * z];
            xOut[2 * z + 1] = bounds[2 * z + 1];
        }
        if (hOut) hOut[2 * z] = hOut[2 * z + 1] = values[z];
    }
    return mean;
}

}  // extern "C"
