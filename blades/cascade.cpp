// Throat, overlap and stagger search of a blade section in a plane cascade.
#include "blades/cascade.h"

#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "case/output_internal.h"
#include "halvorine2/console.h"
#include "numerics/one_dim.h"
#include "numerics/plane_geometry.h"

namespace h2 {

namespace {

constexpr double kRad = 0.017453292519943295;  // radians per degree
constexpr double kScanStart = -10.0;           // stagger before the first scan step
constexpr double kScanStep = 3.0;
constexpr double kScanEnd = 83.0;
constexpr double kRefineHalfWidth = 6.0;
constexpr double kRefineTolerance = 0.001;

Point3 shifted(Point3 p, double dy) { return Point3{p.x, p.y + dy, p.z}; }

bool no_point(Point3 p) { return p.x == kNoIntersection || p.x == kNestedSegments; }

// Grid value i of count points from lo to hi; a one-point grid is lo.
double grid_value(int i, int count, double lo, double hi) {
    return count > 1 ? lo + i * (hi - lo) / (count - 1) : lo;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

int cascade_throat(ProfShape* shape, double t) {
    if (t == 0.0) return 0;
    ProfShape& s = *shape;
    const Point3 C{s.xbyx, s.ybyx, 0.0};
    int iG = s.iXmax - 1;
    double previous = 1e6;
    for (int i = 1; i <= s.iXmax - 1; ++i) {
        const double d2 = dist2_xy(C, shifted(s.points[i], -t));
        if (d2 > previous) {
            iG = i - 1;
            break;
        }
        previous = d2;
    }
    if (iG < 0) iG = 0;
    const Point3 g0 = shifted(s.points[iG], -t);
    const Point3 g1 = shifted(s.points[(iG + 1) % s.n], -t);
    double fx = 0.0, fy = 0.0;
    const double distance = perp_foot(C.x, C.y, g0.x, g0.y, g1.x, g1.y, &fx, &fy);
    s.iG = iG;
    s.a = distance - s.rbyx;
    s.t = t;
    s.B2e = std::asin(s.a / t) / kRad;
    return iG;
}

int contour_turns_left(int k, const Point3* points) {
    return tri_area2(points[k - 2], points[k - 1], points[k]) > 0.0 ? 1 : 0;
}

int cascade_overlap(const ProfShape* shape, double t) {
    if (t == 0.0) return 2;
    const auto& P = shape->points;
    for (int i = 0; i <= shape->iXmax - 2; ++i) {
        for (int j = shape->iXmax; j <= shape->n - 2; ++j) {
            const Point3 q0 = shifted(P[j], t), q1 = shifted(P[j + 1], t);
            const Point3 X = line_intersect(P[i], P[i + 1], q0, q1);
            if (no_point(X)) continue;
            if (point_between(P[i], P[i + 1], X) > 0 && point_between(q0, q1, X) > 0) return 1;
        }
    }
    return 0;
}

double throat_residual(double stagger, void* ctx) {
    auto* search = static_cast<ThroatSearch*>(ctx);
    prof_set_angle(search->shape, stagger);
    cascade_throat(search->shape, search->t);
    return search->target - search->shape->a;
}

double stagger_for_angle(ProfShape* shape, double B2, double t, int refine, int check_overlap) {
    ProfShape& s = *shape;
    if (t == 0.0 || s.b == 0.0 || contour_turns_left(s.n - 2, s.points.data()) == 0) return kNoStagger;
    prof_set_angle(shape, kScanStart);
    bool kept = false;
    double best = 1e6;
    double keptStagger = 0.0;
    if (s.b != 0.0) {
        // A descent over the staggers: it ends at the first valid stagger that
        // does not come closer to the wanted angle.
        for (double stagger = kScanStart + kScanStep; stagger <= kScanEnd + 1e-9; stagger += kScanStep) {
            prof_rotate(shape, kScanStep, 1);
            if (s.b == 0.0) break;
            cascade_throat(shape, t);
            if (check_overlap != 0 && cascade_overlap(shape, t) != 0) continue;
            if (!(s.a > 0.0 && s.a < t)) continue;
            const double e = std::fabs(std::asin(s.a / t) / kRad - B2);
            if (e >= best) break;
            best = e;
            keptStagger = stagger;
            kept = true;
        }
    }
    if (!kept) return kNoStagger;
    double result = keptStagger;
    if (refine != 0) {
        ThroatSearch search{shape, t, t * std::sin(B2 * kRad)};
        result = root_falsi_ctx(throat_residual, keptStagger - kRefineHalfWidth, 2.0 * kRefineHalfWidth,
                                kRefineTolerance, &search);
    }
    prof_set_angle(shape, result);
    cascade_throat(shape, t);
    return result;
}

int stagger_table(ProfShape* shape, int nB2, double B2min, double B2max, int ntb, double tbmin, double tbmax,
                  int refine, int check_overlap, const char* file, const char* mode, Atlas* atlas) {
    if (shape == nullptr || nB2 < 1 || ntb < 1) return -1;
    std::unique_ptr<std::FILE, FileCloser> opened;
    if (file != nullptr) {
        opened.reset(std::fopen(file, mode != nullptr ? mode : "wt"));
        if (!opened) return -1;
    }
    std::FILE* out = opened ? opened.get() : console_stream();
    std::vector<double> B2, tb, table;
    std::vector<int> found;
    try {
        B2.resize(static_cast<size_t>(nB2));
        tb.resize(static_cast<size_t>(ntb));
        table.resize(static_cast<size_t>(nB2) * static_cast<size_t>(ntb));
        found.assign(static_cast<size_t>(nB2), 0);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    for (int i = 0; i < nB2; ++i) B2[i] = grid_value(i, nB2, B2min, B2max);
    for (int j = 0; j < ntb; ++j) tb[j] = grid_value(j, ntb, tbmin, tbmax);
    for (int i = 0; i < nB2; ++i) {
        for (int j = 0; j < ntb; ++j) {
            const double stagger = stagger_for_angle(shape, B2[i], tb[j] * shape->b, refine, check_overlap);
            table[i + static_cast<size_t>(j) * nB2] = stagger;
            if (stagger <= 1e19) ++found[i];
        }
    }
    std::fprintf(out, "-20\n\n");
    for (int i = 0; i < nB2; ++i) {
        std::fprintf(out, "\n%d  t/b By B2 B2=%g  # B2=%g\n\n", found[i], B2[i], B2[i]);
        for (int j = 0; j < ntb; ++j) {
            const double stagger = table[i + static_cast<size_t>(j) * nB2];
            if (stagger <= 1e19) std::fprintf(out, "%12g %12g %12g # %4d\n", tb[j], B2[i], stagger, j);
        }
    }
    opened.reset();
    if (atlas != nullptr && atlas->count < atlas->capacity - 1) {
        prof_set_angle(shape, 0.0);
        prof_camber(shape);
        const int k = atlas->count;
        // The entry keeps its own inlet-angle offset, edge radius and chord.
        if (atlas_set_table(atlas, k, nB2, ntb, B2.data(), tb.data(), table.data(), atlas->B1g_org[k],
                            atlas->r2_[k], atlas->chord[k]) != 0)
            return -1;
        shape->B1g_org = shape->B1g;
        shape->r2_ = shape->rbyx / shape->b * 100.0;
        ++atlas->count;
    }
    return 0;
}

int prof_print(ProfShape* shape, int level) {
    const ProfShape& s = *shape;
    std::FILE* console = console_stream();
    std::fprintf(console, "b  = %g t/b = %g Byct = %g B2e = %g\n", s.b, s.t / s.b, s.Byct, s.B2e);
    if (level >= 1) {
        std::fprintf(console, "B   = %g A   = %g a  = %g t  = %g\n", s.B, s.A, s.a, s.t);
        std::fprintf(console, "B1g = %g B2g = %g B1g_org = %g\n", s.B1g, s.B2g, s.B1g_org);
    }
    if (level >= 2) {
        std::fprintf(console, "b1 = %g   b2 = %g   b3 = %g\n", s.b1, s.b2, s.b3);
        std::fprintf(console, "Byct1= %g Byct2= %g Byct3= %g\n", s.Byct1, s.Byct2, s.Byct3);
        std::fprintf(console, "xbx  = %g ybx  = %g rbx  = %g\n", s.xbx, s.ybx, s.rbx);
        std::fprintf(console, "xbyx = %g ybyx = %g rbyx = %g\n", s.xbyx, s.ybyx, s.rbyx);
        const Point3 G = s.iG >= 0 && s.iG < s.n ? s.points[s.iG] : Point3{0.0, 0.0, 0.0};
        std::fprintf(console, "iG = %d   xG = %g   yG = %g\n", s.iG, G.x, G.y);
    }
    const int overlap = cascade_overlap(shape, s.t);
    if (overlap != 0) {
        SetConColor(12, 240);
        std::fprintf(console, "%s", overlap == 1 ? "Self-intersection detected!" : "Zero pitch detected!");
        SetConDefColor();
    }
    return overlap;
}

Point3* atlas_prof_points(const Point3* pts, int n, int flags) {
    if (n < 1 || pts == nullptr) return nullptr;
    auto* out = static_cast<Point3*>(std::calloc(static_cast<std::size_t>(n), sizeof(Point3)));
    if (out == nullptr) return nullptr;
    ProfShapePtr shape(prof_create(n, 150));
    if (!shape) return out;
    if ((flags & 1) != 0) prof_set_points(shape.get(), pts);
    if ((flags & 2) != 0) {
        prof_set_angle(shape.get(), 0.0);
    } else {
        prof_geometry(shape.get());
    }
    const double divisor = (flags & 4) != 0 && shape->b != 0.0 ? shape->b : 1.0;
    for (int i = 0; i < n; ++i) {
        const Point3& p = shape->points[i];
        out[i] = Point3{p.x / divisor, p.y / divisor, p.z / divisor};
    }
    return out;
}

}  // namespace h2
