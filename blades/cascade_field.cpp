// The plane flow around a solved blade layer: the surface vortices at the
// nodes, each repeated along the cascade with the pitch (a vortex row), plus
// the uniform flow of the mean cotangent.
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
        visit(Node{(s[i + 1] - s[i - 1]) * gamma[j], (x - X[i]) * k, (y - Y[i]) * k});
    }
}

// ln(cosh Y), without overflow for large |Y|.
double log_cosh(double Y) {
    const double a = std::abs(Y);
    return a + std::log1p(std::exp(-2.0 * a)) - kLn2;
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
    double S = 0.0;
    for_each_node(n, t, layer, x, y, [&](const Node& node) {
        const double ch = std::cosh(node.Y), c = std::cos(node.X);
        if (!(ch > c)) return;  // the field point sits on this node
        // 0.5 ln(cosh^2 Y - cos^2 X), taken as ln cosh Y + 0.5 ln(1 - (cos X / cosh Y)^2).
        const double r = c / ch;
        S += node.strength * (log_cosh(node.Y) + 0.5 * std::log1p(-r * r));
    });
    const double cm = mean_cotangent(beta1, beta2);
    *psi = -(W * std::cos(beta2 * kRadPerDegree)) * (S / kTwoPiExact + x + cm * y);
    return 0;
}

int CasFi(int n, double t, double beta1, double beta2, double W, const Layer* layer, double x, double y,
          double* phi) {
    if (!usable(n, t, layer) || phi == nullptr) return -1;
    double S = 0.0;
    for_each_node(n, t, layer, x, y, [&](const Node& node) {
        S += node.strength * std::atan2(std::tanh(node.Y), std::tan(node.X));
    });
    const double cm = mean_cotangent(beta1, beta2);
    *phi = (W * std::cos(beta2 * kRadPerDegree)) * (S / kTwoPiExact + y - cm * x);
    return 0;
}

}  // extern "C"
