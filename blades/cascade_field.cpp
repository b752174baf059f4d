// The plane flow around a solved blade layer: the surface vortices at the
// nodes, each repeated along the cascade with the pitch (a vortex row), plus
// the uniform flow of the mean cotangent. The velocity, the stream function
// and the potential all belong to that one flow: in the layer frame (x along
// the cascade, y through it) the velocity is (v, u), and a node of strength g
// (panel length times surface velocity) is a row of clockwise vortices of
// circulation g, whose complex potential is -(g / (2 pi i)) ln sin(pi (z - z_i) / t).
#include <cmath>

#include "blades/layer_layout.h"
#include "blades/layer_registry.h"
#include "halvorine2/blade_layer.h"

namespace {

using namespace h2::layer;

constexpr double kTwoPiExact = 6.283185307179586;
constexpr double kRadPerDegree = 0.017453292519943295;
constexpr double kLn2 = 0.6931471805599453;
constexpr double kEps = 0.0001;  // keeps the vortex row's velocity finite on its own node
// A field point closer than 1e-12 in phase (squared here) sits on the node.
constexpr double kOnNode = 1e-24;
// Beyond this |Y| cosh overflows; the row's induced velocity has long reached its limit.
constexpr double kFarY = 700.0;

bool usable(int n, double t, const Layer* layer) {
    return layer != nullptr && n >= 0 && t != 0.0 && size_matches(layer, n);
}

// Cotangent of an angle in degrees, exactly 0 at 90.
double cot_degrees(double angle) { return angle == 90.0 ? 0.0 : 1.0 / std::tan(angle * kRadPerDegree); }

// (cot beta1 + cot(180 - beta2)) / 2: the tangential velocity of the mean flow.
double mean_cotangent(double beta1, double beta2) {
    return (cot_degrees(beta1) + cot_degrees(180.0 - beta2)) / 2.0;
}

// One vortex node of the layer as seen from the field point.
struct Node {
    double strength;  // panel length times the surface velocity
    double X, Y;      // phase distances 2 pi (x - x_i) / t, 2 pi (y - y_i) / t
    double pitches;   // (x - x_i) / t
};

// Calls visit(node) for the n / 2 nodes of the layer seen from (x, y).
template <class Visit>
void for_each_node(int n, double t, const Layer* layer, double x, double y, Visit visit) {
    const double* X = array(layer, n, kX);
    const double* Y = array(layer, n, kY);
    const double* gamma = array(layer, n, kVelocity);
    const double* s = array(layer, n, kArcLength);
    const double k = kTwoPiExact / t;
    for (int j = 0; j < n / 2; ++j) {
        const int i = 2 * j + 1;
        visit(Node{(s[i + 1] - s[i - 1]) * gamma[j], (x - X[i]) * k, (y - Y[i]) * k, (x - X[i]) / t});
    }
}

// ln|sin((X + i Y) / 2)|^2 = ln((cosh Y - cos X) / 2) = ln(sinh^2(Y/2) + sin^2(X/2)),
// written as |Y| - 2 ln 2 + ln((1 - e^-|Y|)^2 + 4 sin^2(X/2) e^-|Y|): a sum of
// non-negative terms (no cancellation near a node) that cannot overflow.
// sin^2(X/2) is taken from the pitch fraction. Returns false on a node or a
// copy of it one or more pitches away (within the rounding of the
// coordinates), where the logarithm is -infinity.
bool log_sin_squared(const Node& node, double* value) {
    const double a = std::abs(node.Y);
    const double E = std::exp(-a), one_minus_E = -std::expm1(-a);
    const double sn = std::sin(kTwoPiExact / 2.0 * (node.pitches - std::nearbyint(node.pitches)));
    const double r = one_minus_E * one_minus_E + 4.0 * sn * sn * E;
    if (!(r > kOnNode)) return false;
    *value = a - 2.0 * kLn2 + std::log(r);
    return true;
}

// arg sin((X + i Y) / 2) + pi/2 = X/2 + arg(1 - e^(Y - i X)), on the branch that
// is continuous everywhere except on the half-lines X = 2 pi k, Y > 0 (from
// each vortex downstream), across which it jumps by 2 pi. It grows by pi per
// pitch at every Y.
double vortex_angle(double X, double Y) {
    // atan2(sin X, e^-Y - cos X); far upstream the second argument is +infinity.
    const double back = Y < -kFarY ? 0.0 : std::atan2(std::sin(X), std::exp(-Y) - std::cos(X));
    return 0.5 * X + back;
}

}  // namespace

extern "C" {

int CasField(int n, double t, double beta1, double beta2, const Layer* layer, double x, double y, double* u,
             double* v) {
    if (!usable(n, t, layer) || u == nullptr || v == nullptr) return -1;
    double Su = 0.0, Sv = 0.0;
    for_each_node(n, t, layer, x, y, [&](const Node& node) {
        if (std::abs(node.Y) > kFarY) {
            Sv += node.Y > 0.0 ? node.strength : -node.strength;
            return;
        }
        const double D = std::cosh(node.Y) - std::cos(node.X);
        const double q = node.strength / (D + kEps / (D + kEps));
        Su += q * std::sin(node.X);
        Sv += q * std::sinh(node.Y);
    });
    *u = 1.0 - Su / (2.0 * t);
    *v = Sv / (2.0 * t) + mean_cotangent(beta1, beta2);
    return 0;
}

int CasPsi(int n, double t, double beta1, double beta2, double W, const Layer* layer, double x, double y,
           double* psi) {
    if (!usable(n, t, layer) || psi == nullptr) return -1;
    // The row of clockwise vortices of circulation g at node i has the stream
    // function g / (4 pi) ln|sin(pi (z - z_i) / t)|^2.
    double S = 0.0;
    for_each_node(n, t, layer, x, y, [&](const Node& node) {
        double L = 0.0;
        if (log_sin_squared(node, &L)) S += node.strength * L;  // else: on this node
    });
    const double cm = mean_cotangent(beta1, beta2);
    *psi = (W * std::cos(beta2 * kRadPerDegree)) * (S / (2.0 * kTwoPiExact) + cm * y - x);
    return 0;
}

int CasFi(int n, double t, double beta1, double beta2, double W, const Layer* layer, double x, double y,
          double* phi) {
    if (!usable(n, t, layer) || phi == nullptr) return -1;
    // The same vortex rows: potential -g / (2 pi) arg sin(pi (z - z_i) / t).
    double S = 0.0;
    for_each_node(n, t, layer, x, y,
                  [&](const Node& node) { S += node.strength * vortex_angle(node.X, node.Y); });
    const double cm = mean_cotangent(beta1, beta2);
    *phi = (W * std::cos(beta2 * kRadPerDegree)) * (y + cm * x - S / kTwoPiExact);
    return 0;
}

}  // extern "C"
