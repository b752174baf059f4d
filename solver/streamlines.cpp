// Meridional streamlines of a per-streamline solve: the element groups of the
// grouping string, the curves fitted through the element outlets and sampled
// into the streamline grid, the slope angle and curvature at each outlet, and
// the spanwise gradients taken from the slopes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "case/case_arrays.h"
#include "halvorine2/console.h"
#include "halvorine2/curves.h"
#include "halvorine2/output.h"
#include "halvorine2/threading.h"
#include "halvorine2/units.h"
#include "numerics/bezier.h"
#include "numerics/nurbs.h"
#include "numerics/one_dim.h"
#include "numerics/splines.h"
#include "solver/solver_conventions.h"
#include "solver/solver_internal.h"

namespace {

using h2::kDegree;

constexpr std::uint16_t kMask = 240;
constexpr std::uint16_t kRed = 12;
constexpr std::uint16_t kWhite = 15;

// Samples of the grid per element interval, and the NURBS oversampling.
constexpr int kSamplesPerInterval = 10;
constexpr int kNurbsSamplesPerInterval = 20;
constexpr int kNurbsDegree = 2;

enum CurveKind { kSpline1 = 1, kSpline2 = 2, kNurbs = 3, kBezier = 4 };

const char* curve_name(int kind) {
    switch (kind) {
        case kSpline1:
            return "Spline1";
        case kSpline2:
            return "Spline2";
        case kNurbs:
            return "NURBS";
        default:
            return "Line";
    }
}

bool streamline_arrays(const bdLocals* b) {
    return b != nullptr && b->alloc_elems > 0 && h2::path_fits_arrays(b) && b->cyld_nr >= 1 &&
           h2::all_present(b->cas_x2, b->flow_r2, b->cas_t2, b->cas_sinT2, b->cas_cosT2, b->cas_kapa2,
                           b->cas_tgz, b->bld_d1, b->bld_d2, b->bld_l2, b->elem_sectType);
}

// Outlet point of element i on streamline j. A radial outlet spreads its
// streamlines along the axis at the middle radius.
Point2 outlet_point(const bdLocals& b, int i, int j) {
    if (b.elem_sectType[i] != h2::kSectRadial || b.cyld_nr == 1) return {b.cas_x2[i][j], b.flow_r2[i][j]};
    const int m = h2::mid_stream(b);
    const double h = (b.cas_t2[i][m] < 0 || b.bld_d2[i] < b.bld_d1[i]) ? b.bld_l2[i] : -b.bld_l2[i];
    return {b.cas_x2[i][m] - h / 2 + j * h / (b.cyld_nr - 1), b.flow_r2[i][m]};
}

// Slope and curvature of a fitted curve at its points.
struct CurveFit {
    std::vector<double> slope, curvature;
};

double tan_theta(const bdLocals& b, int i, int j) { return b.cas_sinT2[i][j] / b.cas_cosT2[i][j]; }

// Fits the kind's curve through the points, writes its P = 10 (n - 1) + 1
// samples to grid and the slopes and curvatures to fit; false when it fails.
bool fit_curve(int kind, const std::vector<double>& x, const std::vector<double>& y, double start_slope,
               double end_slope, Point2* grid, CurveFit& fit) {
    const int n = static_cast<int>(x.size());
    if (n < 2) return false;
    const int P = kSamplesPerInterval * (n - 1) + 1;
    fit.slope.assign(x.size(), 0.0);
    fit.curvature.assign(x.size(), 0.0);
    switch (kind) {
        case kSpline1:
        case kSpline2: {
            std::vector<double> M(x.size());
            const int end_kind = kind == kSpline1 ? h2::kSplineEndSlope : h2::kSplineEndCurvature;
            const double s0 = kind == kSpline1 ? start_slope : 0.0;
            const double s1 = kind == kSpline1 ? end_slope : 0.0;
            if (h2::spline_fit(n - 1, end_kind, end_kind, s0, s1, x.data(), y.data(), fit.slope.data(),
                               M.data()) != h2::kSplineFitted)
                return false;
            for (int k = 0; k < P; ++k) {
                const double xk = x[0] + (x[n - 1] - x[0]) * k / (P - 1);
                grid[k] = {xk, h2::spline_value(n - 1, x.data(), y.data(), M.data(), xk)};
            }
            for (int i = 0; i < n; ++i)
                fit.curvature[i] = M[i] / std::pow(1 + fit.slope[i] * fit.slope[i], 1.5);
            return true;
        }
        case kNurbs: {
            NurbsCurve* curve = NurbsInt2D(n, kNurbsDegree, kNurbsSamplesPerInterval * (n - 1), x.data(),
                                           y.data(), fit.slope.data(), fit.curvature.data(), nullptr);
            if (curve == nullptr) return false;
            for (int k = 0; k < P; ++k) {
                const Point3 p = h2::nurbs_point(curve, static_cast<double>(k) / (P - 1));
                grid[k] = {p.x, p.y};
            }
            h2::nurbs_free(curve);
            std::free(curve);
            return true;
        }
        case kBezier: {
            // The curve runs from the first point at t = 0 to the last at t = 1;
            // point i, a control point, is taken at its parameter i / (n - 1).
            for (int k = 0; k < P; ++k) {
                const double t = static_cast<double>(k) / (P - 1);
                grid[k] = {h2::bezier_eval(n, 0, x.data(), t), h2::bezier_eval(n, 0, y.data(), t)};
            }
            // The first differences and the curvature lack the degree factors:
            // their ratio keeps the slope; the curvature needs (n - 2)/(n - 1).
            for (int i = 0; i < n; ++i) {
                const double t = static_cast<double>(i) / (n - 1);
                fit.slope[i] = h2::bezier_eval(n, 1, y.data(), t) / h2::bezier_eval(n, 1, x.data(), t);
                fit.curvature[i] =
                    n > 2 ? h2::bezier_curvature(n, x.data(), y.data(), t) * (n - 2) / (n - 1) : 0.0;
            }
            return std::isfinite(fit.slope[0]);
        }
        default:
            return false;
    }
}

// Three-point spanwise derivative over stream tubes of step ZAG of the value
// v(j) at streamline j, on the stencil starting at k0; two streamlines take
// the difference over their one stream tube.
template <class V>
double span_deriv(const bdLocals& b, int j, int k0, V v) {
    // A mean-line solve leaves the stream-tube step at 0: no spread, no slope.
    if (b.ZAG == 0.0) return 0.0;
    if (b.cyld_nr == 2) return (v(1) - v(0)) / b.ZAG;
    return h2::fd_deriv(j - k0, b.ZAG, b.ZAG, v(k0), v(k0 + 1), v(k0 + 2));
}

void print_table(const bdLocals& b, int kind) {
    SetConColor(kWhite, kMask);
    put_dump("\n%4s%4s%13s%13s%13s%13s%13s%13s (%s)\n", "i", "j", "x", "r", "teta", "kapa", "tgtz", "iz",
             kind == kSpline1   ? "Spline1"
             : kind == kSpline2 ? "Spline2"
                                : "NURBS");
    put_dump("%4s%4s%13s%13s%13s%13s%13s%13s\n", "", "", unitsLabel(H2_UNIT_LENGTH),
             unitsLabel(H2_UNIT_LENGTH), unitsLabel(H2_UNIT_ANGLE), unitsLabel(H2_UNIT_NONE),
             unitsLabel(H2_UNIT_NONE), unitsLabel(H2_UNIT_NONE));
    SetConDefColor();
    for (int i = 0; i <= b.cyld_ns; ++i) {
        for (int j = 0; j < b.cyld_nr; ++j) {
            const Point2 p = outlet_point(b, i, j);
            const double iz = b.isd_iz != nullptr ? b.isd_iz[i][j] : 0.0;
            put_dump("%4d%4d%13g%13g%13g%13g%13g%13g\n", i, j, unitsToView(p.x, H2_UNIT_LENGTH),
                     unitsToView(p.y, H2_UNIT_LENGTH), unitsToView(b.cas_t2[i][j], H2_UNIT_ANGLE),
                     unitsToView(b.cas_kapa2[i][j], H2_UNIT_ANGLE), b.cas_tgz[i][j], iz);
        }
        if (b.cyld_nr > 2) put_dump("\n");
    }
    put_dump("\n");
}

}  // namespace

namespace h2 {

int parse_streamline_groups(std::vector<std::vector<int>>* groups, int* count) {
    const bdLocals* b = get_bdLocals();
    if (groups != nullptr) groups->clear();
    if (count != nullptr) *count = 0;
    if (b == nullptr) return 0;
    // One character per element, up to the text's end or the field's.
    const int field = static_cast<int>(sizeof b->sl_groups);
    int last = b->cyld_ns < field - 1 ? b->cyld_ns : field - 1;
    for (int i = 0; i <= last; ++i)
        if (b->sl_groups[i] == '\0') last = i - 1;
    int met = 0, opened = 0;
    bool open = false;
    for (int i = 0; i <= last; ++i) {
        const char c = b->sl_groups[i];
        if (c == '(') {
            if (open) {
                if (count != nullptr) *count = met;
                return -3;
            }
            open = true;
            ++opened;
            ++met;
        } else if (c == ')') {
            if (!open) {
                if (count != nullptr) *count = met;
                return -2;
            }
            open = false;
            ++met;
        } else if (c == 'o') {
            ++met;
        }
    }
    if (count != nullptr) *count = met;
    if (opened == 0) return 0;
    if (open) return -1;
    if (groups != nullptr) {
        // Only characters inside a group make it a member; the rest belong to none.
        open = false;
        for (int i = 0; i <= last; ++i) {
            const char c = b->sl_groups[i];
            if (c == ' ') continue;
            if (c == '(') {
                open = true;
                groups->emplace_back();
            }
            if (open) groups->back().push_back(i);
            if (c == ')') open = false;
        }
    }
    return opened;
}

}  // namespace h2

extern "C" {

int build_streamlines(int sl, int kind, int print) {
    bdLocals* bp = get_bdLocals();
    if (!streamline_arrays(bp) || bp->stream_grid == nullptr) return 1;
    bdLocals& b = *bp;
    const int NS = b.cyld_ns;
    const int NR = b.cyld_nr;

    std::vector<std::vector<int>> groups;
    int met = 0;
    const int parsed = h2::parse_streamline_groups(&groups, &met);
    if (parsed <= 0) {
        if (print) {
            SetConColor(kWhite, kMask);
            put_dump("Error %d parsing streamline \n", -parsed);
            SetConDefColor();
        }
        groups.clear();
    }
    if (groups.empty()) {
        groups.emplace_back();
        for (int i = 0; i <= NS; ++i) groups.back().push_back(i);
    }

    const int row = kSamplesPerInterval * NS + 1;
    std::vector<double> slope(static_cast<std::size_t>(NS) + 1), curv(slope.size());
    for (int j = 0; j < NR; ++j) {
        std::fill(slope.begin(), slope.end(), 0.0);
        std::fill(curv.begin(), curv.end(), 0.0);
        Point2* grid = b.stream_grid + static_cast<std::ptrdiff_t>(j) * row;
        for (const std::vector<int>& g : groups) {
            std::vector<double> x, y;
            for (int i : g) {
                const Point2 p = outlet_point(b, i, j);
                x.push_back(p.x);
                y.push_back(p.y);
            }
            CurveFit fit;
            const bool ok = !g.empty() && fit_curve(kind, x, y, tan_theta(b, g.front(), j),
                                                    tan_theta(b, g.back(), j), grid, fit);
            if (!ok) {
                if (print) {
                    SetConColor(kRed, kMask);
                    put_dump("%s %s.\n", "Error: can't build ", curve_name(kind));
                    SetConDefColor();
                }
                return 1;
            }
            grid += kSamplesPerInterval * (static_cast<int>(g.size()) - 1) + 1;
            for (std::size_t k = 0; k < g.size(); ++k) {
                slope[static_cast<std::size_t>(g[k])] = fit.slope[k];
                curv[static_cast<std::size_t>(g[k])] = fit.curvature[k];
            }
        }
        for (int i = 0; i <= NS; ++i) {
            const double angle = std::atan(slope[static_cast<std::size_t>(i)]) / kDegree;
            double& t = b.cas_t2[i][j];
            if (NR == 1)
                t = angle;
            else if (sl == 1)
                t = 0.5 * angle;
            else
                t += b.RELAX * (angle - t);
            b.cas_sinT2[i][j] = std::sin(t * kDegree);
            b.cas_cosT2[i][j] = std::cos(t * kDegree);
            double& kapa = b.cas_kapa2[i][j];
            const double k = curv[static_cast<std::size_t>(i)];
            kapa = NR == 1 ? k : kapa + b.RELAX * (k - kapa);
        }
    }
    return 0;
}

int relax_streamlines(int sl, int kind, int print) {
    bdLocals* bp = get_bdLocals();
    if (!streamline_arrays(bp)) return 0;
    bdLocals& b = *bp;
    const int NR = b.cyld_nr;
    const bool gradients = b.los_policy > 1 &&
                           h2::all_present(b.isd_i1x, b.isd_s2, b.flow_ucu2, b.flow_ucuz, b.isd_iz, b.isd_sz);
    if (NR > 1 && sl >= 2) {
        for (int i = 0; i <= b.cyld_ns; ++i) {
            if (b.elem_sectType[i] != h2::kSectAxial) continue;
            double gI = 0, gS = 0, gU = 0;
            auto take = [&](int j, int k0) {
                gI = span_deriv(b, j, k0, [&](int k) { return b.isd_i1x[i][k]; });
                gS = span_deriv(b, j, k0, [&](int k) { return b.isd_s2[i][k]; });
                gU = span_deriv(b, j, k0, [&](int k) { return b.flow_ucu2[i][k]; });
            };
            const int mp = (NR - 1) / 2;
            if (gradients && b.los_policy == 2) take(mp, mp - 1);
            for (int j = 0; j < NR; ++j) {
                const int k0 = j == 0 ? 0 : j == NR - 1 ? NR - 3 : j - 1;
                const double g = span_deriv(b, j, k0, [&](int k) { return tan_theta(b, i, k); });
                b.cas_tgz[i][j] += b.RELAX * (g - b.cas_tgz[i][j]);
                if (!gradients) continue;
                if (b.los_policy == 3) take(j, k0);
                b.flow_ucuz[i][j] += b.RELAX * (gU - b.flow_ucuz[i][j]);
                b.isd_iz[i][j] += b.RELAX * (gI - b.isd_iz[i][j]);
                b.isd_sz[i][j] += b.RELAX * (gS - b.isd_sz[i][j]);
            }
        }
    }
    if (print) print_table(b, kind);
    return 0;
}
}
