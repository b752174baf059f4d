// The blade layer: a section solved in its plane cascade by the surface
// vorticity method (Martensen), with the outlet angle from the trailing-edge
// condition, the compressibility correction of the surface velocity and the
// boundary-layer pass.
#include "blades/layer_builder.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "blades/layer_boundary.h"
#include "blades/layer_layout.h"
#include "blades/layer_registry.h"
#include "halvorine2/blade_layer.h"
#include "numerics/one_dim.h"
#include "numerics/plane_geometry.h"

namespace h2::layer {
namespace {

constexpr double kTwoPiExact = 6.283185307179586;
constexpr double kFourPiExact = 12.566370614359172;
constexpr double kRadPerDegree = 0.017453292519943295;
constexpr double kPivotFloor = 1e-28;

std::atomic<BlockAllocator> block_allocator{nullptr};

double& at(Layer* layer, int n, int a, int i) { return array(layer, n, a)[i]; }

}  // namespace

BlockAllocator set_block_allocator(BlockAllocator allocator) { return block_allocator.exchange(allocator); }

Layer* layer_geometry(int n, double t, const Point3* contour) {
    if (contour == nullptr || n < 1) return nullptr;
    const BlockAllocator allocate = block_allocator.load();
    void* block = allocate != nullptr ? allocate(block_size(n), sizeof(double))
                                      : std::calloc(block_size(n), sizeof(double));
    if (block == nullptr) return nullptr;
    Layer* layer = static_cast<Layer*>(block);
    double* X = array(layer, n, kX);
    double* Y = array(layer, n, kY);
    double* s = array(layer, n, kArcLength);
    for (int i = 0; i < n; ++i) {
        X[i] = contour[i].y;
        Y[i] = -contour[i].x;
        const double phase = kTwoPiExact * X[i] / t;
        at(layer, n, kSin, i) = std::sin(phase);
        at(layer, n, kCos, i) = std::cos(phase);
        at(layer, n, kExp, i) = std::exp(kTwoPiExact * Y[i] / t);
    }
    // Arc length, the closing segment back to point 0 included in entry n.
    s[0] = 0.0;
    for (int i = 1; i <= n; ++i) {
        const int p = i - 1, c = i % n;
        s[i] = s[i - 1] + std::hypot(X[c] - X[p], Y[c] - Y[p]);
    }
    // Curvature of the circle through each point and its two neighbours
    // (positive for a left turn; 0 where points coincide).
    double* kappa = array(layer, n, kCurvature);
    const auto point = [&](int i) { return Point3{X[i], Y[i], 0.0}; };
    for (int i = 0; i < n; ++i) {
        kappa[i] = circle_curvature(point((i + n - 1) % n), point(i), point((i + 1) % n));
    }
    kappa[n] = kappa[0];
    // Tangent from the parabola through each point and its neighbours along s.
    double* tX = array(layer, n, kTangentX);
    double* tY = array(layer, n, kTangentY);
    for (int i = 1; i <= n - 2; ++i) {
        const auto slope = [&](const double* v, double at_s) {
            return parabola_slope(s[i - 1], s[i], s[i + 1], v[i - 1], v[i], v[i + 1], at_s);
        };
        tX[i] = slope(X, s[i]);
        tY[i] = slope(Y, s[i]);
        if (i == 1) {
            tX[0] = slope(X, s[0]);
            tY[0] = slope(Y, s[0]);
        }
        if (i == n - 2) {
            tX[n - 1] = slope(X, s[n - 1]);
            tY[n - 1] = slope(Y, s[n - 1]);
        }
    }
    tX[n] = tX[0];
    tY[n] = tY[0];
    return layer;
}

std::vector<double> layer_kernel_matrix(int n, double t, const Layer* layer) {
    const int m = n / 2, cols = m + 3;
    const double* s = array(layer, n, kArcLength);
    const double* kappa = array(layer, n, kCurvature);
    const double* tX = array(layer, n, kTangentX);
    const double* tY = array(layer, n, kTangentY);
    const double* sn = array(layer, n, kSin);
    const double* cs = array(layer, n, kCos);
    const double* ex = array(layer, n, kExp);
    const double L = s[n];
    const double closure = 0.5 / L;  // fixes the circulation that the kernel leaves free
    std::vector<double> A(static_cast<std::size_t>(m) * cols);
    for (int j = 0; j < m; ++j) {
        const int c = 2 * j + 1;
        double* row = A.data() + static_cast<std::size_t>(j) * cols;
        const double ay = tY[c] / (2.0 * t), ax = tX[c] / (2.0 * t);
        for (int l = 0; l < m; ++l) {
            const int i = 2 * l + 1;
            double w;
            if (i == c) {
                // The vortex sheet's own panel: half the curvature over 2 pi. Its sign
                // follows the clockwise contour; the other sign leaves the velocity
                // wrong to first order in the panel size.
                w = kappa[c] / kFourPiExact;
            } else {
                // Velocity parallel to the surface at c induced by a unit vortex row through i.
                const double rho = ex[i] / ex[c], inv = ex[c] / ex[i];
                const double num = (cs[c] * sn[i] - sn[c] * cs[i]) * ay - ax * 0.5 * (rho - inv);
                const double den = cs[c] * cs[i] + sn[c] * sn[i] - 0.5 * (rho + inv);
                w = num / den;
            }
            w += closure;
            row[l] = 2.0 * w * (s[i + 1] - s[i - 1]) + (l == j ? 1.0 : 0.0);
        }
        row[m] = 2.0 * tX[c];
        row[m + 1] = 2.0 * tY[c];
        row[m + 2] = t / L;
    }
    return A;
}

int crout_solve(int rows, int cols, double* const* a) {
    if (rows < 1) return 0;
    if (std::abs(a[0][0]) < kPivotFloor) return 1;
    for (int col = 1; col < cols; ++col) a[0][col] /= a[0][0];
    for (int r = 1; r < rows; ++r) {
        // Column r of the lower factor.
        for (int i = r; i < rows; ++i) {
            double sum = a[i][r];
            for (int c = 0; c < r; ++c) sum -= a[c][r] * a[i][c];
            a[i][r] = sum;
        }
        if (std::abs(a[r][r]) < kPivotFloor) return 1;
        // Row r of the unit upper factor and of the right-hand sides.
        for (int col = r + 1; col < cols; ++col) {
            double sum = a[r][col];
            for (int c = 0; c < r; ++c) sum -= a[r][c] * a[c][col];
            a[r][col] = sum / a[r][r];
        }
    }
    for (int col = rows; col < cols; ++col) {
        for (int r = rows - 2; r >= 0; --r) {
            double sum = a[r][col];
            for (int c = r + 1; c < rows; ++c) sum -= a[r][c] * a[c][col];
            a[r][col] = sum;
        }
    }
    return 0;
}

int layer_unit_flows(int n, double t, Layer* layer) {
    const int m = n / 2, cols = m + 3;
    try {
        std::vector<double> A = layer_kernel_matrix(n, t, layer);
        std::vector<double*> rows(static_cast<std::size_t>(m));
        for (int j = 0; j < m; ++j) rows[j] = A.data() + static_cast<std::size_t>(j) * cols;
        if (crout_solve(m, cols, rows.data()) != 0) return 1;
        for (int j = 0; j < m; ++j) {
            at(layer, n, kUnitFlowX, j) = rows[j][m];
            at(layer, n, kUnitFlowY, j) = rows[j][m + 1];
            at(layer, n, kUnitCirculation, j) = rows[j][m + 2];
        }
        return 0;
    } catch (const std::bad_alloc&) {
        return 1;
    }
}

double layer_kutta_residual(double angle, void* state) {
    const KuttaState& k = *static_cast<const KuttaState*>(state);
    const double c1 = 1.0 / std::tan(k.beta1 * kRadPerDegree);
    const double c2 = 1.0 / std::tan((180.0 - angle) * kRadPerDegree);
    const double mean = (c1 + c2) / 2.0;
    for (int j = 0; j < k.nodes; ++j)
        k.velocity[j] = mean * k.flowX[j] + k.flowY[j] + (c2 - c1) * k.circulation[j];
    return k.velocity[1] + k.velocity[k.q];
}

double layer_outlet_angle(int n, int nTail, Layer* layer, double beta1, double beta2) {
    KuttaState state{n / 2,
                     (n - nTail - 1) / 2,
                     beta1,
                     array(layer, n, kUnitFlowX),
                     array(layer, n, kUnitFlowY),
                     array(layer, n, kUnitCirculation),
                     array(layer, n, kVelocity)};
    const double half = std::min(beta2 / 2.0, 20.0);
    const double start = std::max(beta2 - half, 2.0);
    const double step = 2.0 * half;
    const double root = root_falsi_ctx(layer_kutta_residual, start, step, 0.0001, &state);
    // A root at an end of the interval is the search giving up: keep beta2.
    if (std::abs(root - start) < 0.01 || std::abs(root - (start + step)) < 0.01) {
        layer_kutta_residual(beta2, &state);
        return beta2;
    }
    return root;
}

double compress_fn(double lambda, double k) {
    // F = 2 lambda sqrt((A-1)^(A-1) (A+B)^(A+1) / ((A+1)^(A+1) |A-B|^(A-1) (B+1)^2)),
    // taken through logarithms of ratios near 1 so that k close to 1 cannot overflow.
    const double A = std::sqrt((k + 1.0) / (k - 1.0));
    const double B = A * std::sqrt(std::abs((1.0 - lambda * lambda) / (A * A - lambda * lambda)));
    const double log_ratio =
        (A - 1.0) * std::log((A - 1.0) / std::abs(A - B)) + (A + 1.0) * std::log((A + B) / (A + 1.0));
    return 2.0 * lambda * std::exp(0.5 * log_ratio) / (B + 1.0);
}

double compress_residual(double lambda, void* state) {
    const CompressState& c = *static_cast<const CompressState*>(state);
    return c.target - compress_fn(lambda, c.k);
}

namespace {

// False position holds one end of its bracket and stops on the step size,
// some 1e-4 short of the root of F(lambda) = target (a node at the outlet
// speed came out 0.9998 of it); two Newton steps on the smooth, rising F
// finish the root. A step that leaves the search interval is not taken.
double polish_root(const CompressState& state, double lambda) {
    constexpr double h = 1e-6;
    for (int step = 0; step < 2; ++step) {
        const double slope =
            (compress_fn(lambda + h, state.k) - compress_fn(lambda - h, state.k)) / (2.0 * h);
        const double next = lambda + (state.target - compress_fn(lambda, state.k)) / slope;
        if (!(next > 0.0 && next <= 1.8)) break;
        lambda = next;
    }
    return lambda;
}

}  // namespace

void layer_compressible(int n, double i0, double k, double W2, double outlet, const double* velocity,
                        double* velocityCompr) {
    const int m = n / 2;
    // Incompressible flow, and states without a critical velocity or outlet
    // speed to scale with, keep the incompressible velocities.
    if (k == 1.0 || !(k > 1.0) || !(i0 > 0.0) || !(W2 > 0.0)) {
        std::copy(velocity, velocity + m, velocityCompr);
        return;
    }
    const double aCr = std::sqrt(2.0 * (k - 1.0) / (k + 1.0) * i0);
    const double lambda2 = W2 / aCr;
    const double F2 = compress_fn(lambda2, k);
    const double sinOut = std::sin(outlet * kRadPerDegree);
    for (int j = 0; j < m; ++j) {
        const double u = std::abs(velocity[j]) * sinOut;
        if (u == 0.0) {
            // The limit of small velocity, F(lambda) -> lambda: 0 at a stagnation node.
            velocityCompr[j] = velocity[j] * F2 / lambda2;
            continue;
        }
        CompressState state{k, F2 * u};
        const double lambda = polish_root(state, root_falsi_ctx(compress_residual, 0.0, 1.8, 1e-05, &state));
        velocityCompr[j] = velocity[j] / u * lambda / lambda2;
    }
}

}  // namespace h2::layer

namespace {

using namespace h2::layer;

// The inputs of one build and where its results go; every result pointer
// is valid (the caller's, or a local stand-in for one it left NULL).
struct LayerRequest {
    int n, nTail;
    double t, spareLen, dTE, beta2, beta1, W2, k, i0;
    int roughClass;
    double Tu, nu;
    int mode;
    double* outletAngle;
    double* lossTE;
    double* loss;
    int *kLast, *nSide1, *nSide2, *trStart1, *trEnd1, *trStart2, *trEnd2;
};

void free_layer(Layer* layer) {
    if (layer != nullptr && forget(layer)) std::free(layer);
}

bool valid_request(int n, int nTail, const Point3* contour, double t) {
    if (contour == nullptr || n < 4 || !(t > 0.0)) return false;
    const int q = (n - nTail - 1) / 2;  // second node of the trailing-edge condition
    return q >= 1 && q <= n / 2 - 1;
}

// One build on the given contour; nullptr, with nothing written, when the
// block cannot be had.
Layer* build_layer(const LayerRequest& r, const Point3* contour) {
    Layer* layer = layer_geometry(r.n, r.t, contour);
    if (layer == nullptr) return nullptr;
    try {
        remember(layer, r.n);
    } catch (...) {
        std::free(layer);
        return nullptr;
    }
    try {
        // A singular system leaves the unit flows, and so the velocities, zero.
        layer_unit_flows(r.n, r.t, layer);
        const double outlet = layer_outlet_angle(r.n, r.nTail, layer, r.beta1, r.beta2);
        *r.outletAngle = outlet;
        layer_compressible(r.n, r.i0, r.k, r.W2, outlet, array(layer, r.n, kVelocity),
                           array(layer, r.n, kCompressible));
        int kFirst = 0;
        *r.loss = h2::layer_profile_loss(r.mode, r.n, r.nTail, layer, r.W2, r.i0, r.spareLen, r.t, r.beta2,
                                         r.dTE, r.k, r.roughClass, r.Tu, r.nu, r.kLast, &kFirst, r.nSide1,
                                         r.nSide2, r.trStart1, r.trEnd1, r.trStart2, r.trEnd2, r.lossTE);
    } catch (...) {
        free_layer(layer);
        return nullptr;
    }
    return layer;
}

template <class T>
T* or_local(T* given, T& local) {
    return given != nullptr ? given : &local;
}

// The array addresses of a finished layer, for the outputs the host asked for.
void hand_out_arrays(Layer* layer, int n, double** s, double** curvature, double** velocity,
                     double** velocityCompr) {
    if (s != nullptr) *s = array(layer, n, kArcLength);
    if (curvature != nullptr) *curvature = array(layer, n, kCurvature);
    if (velocity != nullptr) *velocity = array(layer, n, kVelocity);
    if (velocityCompr != nullptr) *velocityCompr = array(layer, n, kCompressible);
}

// The stand-ins for result pointers the host left NULL.
struct LocalResults {
    double outletAngle = 0.0, lossTE = 0.0, loss = 0.0;
    int kLast = 0, nSide1 = 0, nSide2 = 0, trStart1 = -1, trEnd1 = -1, trStart2 = -1, trEnd2 = -1;
};

}  // namespace

extern "C" {

Layer* MakeLayer(int n, int nTail, const Point3* contour, double t, double spareLen, double dTE, double beta2,
                 double beta1, double W2, double k, double i0, int roughClass, double Tu, double nu, int mode,
                 double** s, double** curvature, double** velocity, double** velocityCompr,
                 double* outletAngle, double* lossTE, double* loss, int* kLast, int* nSide1, int* nSide2,
                 int* trStart1, int* trEnd1, int* trStart2, int* trEnd2) {
    return MakeLayerIter(0, n, nTail, contour, t, spareLen, dTE, beta2, beta1, W2, k, i0, roughClass, Tu, nu,
                         mode, s, curvature, velocity, velocityCompr, outletAngle, lossTE, loss, kLast,
                         nSide1, nSide2, trStart1, trEnd1, trStart2, trEnd2);
}

Layer* MakeLayerIter(int count, int n, int nTail, const Point3* contour, double t, double spareLen,
                     double dTE, double beta2, double beta1, double W2, double k, double i0, int roughClass,
                     double Tu, double nu, int mode, double** s, double** curvature, double** velocity,
                     double** velocityCompr, double* outletAngle, double* lossTE, double* loss, int* kLast,
                     int* nSide1, int* nSide2, int* trStart1, int* trEnd1, int* trStart2, int* trEnd2) {
    if (!valid_request(n, nTail, contour, t)) return nullptr;
    LocalResults local;
    const LayerRequest request{n,
                               nTail,
                               t,
                               spareLen,
                               dTE,
                               beta2,
                               beta1,
                               W2,
                               k,
                               i0,
                               roughClass,
                               Tu,
                               nu,
                               mode,
                               or_local(outletAngle, local.outletAngle),
                               or_local(lossTE, local.lossTE),
                               or_local(loss, local.loss),
                               or_local(kLast, local.kLast),
                               or_local(nSide1, local.nSide1),
                               or_local(nSide2, local.nSide2),
                               or_local(trStart1, local.trStart1),
                               or_local(trEnd1, local.trEnd1),
                               or_local(trStart2, local.trStart2),
                               or_local(trEnd2, local.trEnd2)};
    Layer* current = nullptr;
    try {
        current = build_layer(request, contour);
        if (current == nullptr) return nullptr;
        if (count > 0) {
            // The first layer's contour, which every repeat thickens afresh.
            const double* first = reinterpret_cast<const double*>(current);
            std::vector<double> firstCopy(first, first + block_size(n));
            Layer* firstLayer = reinterpret_cast<Layer*>(firstCopy.data());
            std::vector<Point3> thickened(static_cast<std::size_t>(n) + 1);
            for (int repeat = 0; repeat < count; ++repeat) {
                Point3* R = bulgleProf(n, *request.nSide1, *request.nSide2, firstLayer, current);
                if (R == nullptr) continue;
                // Back from the layer frame to the contour frame.
                for (int i = 0; i <= n; ++i) thickened[i] = Point3{-R[i].y, R[i].x, R[i].z};
                std::free(R);
                // The current layer stays until its successor exists.
                Layer* next = build_layer(request, thickened.data());
                if (next == nullptr) break;
                free_layer(current);
                current = next;
            }
        }
    } catch (...) {
        // Out of memory for the copies: the last layer built stands.
        if (current == nullptr) return nullptr;
    }
    hand_out_arrays(current, n, s, curvature, velocity, velocityCompr);
    return current;
}

void FreeLayer(Layer* layer) { free_layer(layer); }

}  // extern "C"
