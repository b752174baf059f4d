// Outlet volute geometry: the spiral of section contours from the tongue round
// one turn (table A), the inlet slot outline at every station (table B) and
// the outlet pipe (table C), for the circular free-vortex, quadratic and
// one-sided forms and the rectangular form.
#include <algorithm>
#include <cmath>
#include <vector>

#include "case/truncated_pi.h"
#include "solver/predesign/volute_design.h"

namespace h2::predesign {

namespace {

constexpr double kFullTurn = 360.0;  // degrees
// 360 * 2 pi: turns the free-vortex constant R cu' / Q into degrees.
constexpr double kVortexDegrees = 2261.946708;
// Scale of the free-vortex section correction (the double just below 9e-6).
constexpr double kCorrectionScale = 8.999999999999999e-06;
// Whole degrees searched for the tongue: circular sections, rectangular ones.
constexpr int kCircularTongueSearch = 90;
constexpr int kRectTongueSearch = 360;
// Points of a slot outline and of a rectangular section contour.
constexpr int kSlotPoints = 6;
constexpr int kRectPoints = 9;
// Extra points of a circular contour beyond its m arc steps: two on the slot
// at each end and the arc's own last point.
constexpr int kArcExtra = 5;
// Outlet pipe circles of the one-sided form: axial and z offsets, m.
constexpr double kPipeAxialOffset = 0.002;
constexpr double kPipeZOffset = 0.003;

double radians(double degrees) { return degrees * kDegree; }
double degrees(double rad) { return rad / kDegree; }

// The station plane at circumferential angle theta: its sine and cosine.
struct StationPlane {
    double s, c;
    explicit StationPlane(double theta_deg)
        : s(std::sin(radians(theta_deg))), c(std::cos(radians(theta_deg))) {}
    Point3 at(double x, double dist) const { return Point3{x, dist * s, dist * c}; }
};

// The record has all three tables, each with room for the rows and points
// the design fills (its own allocation, not n and m, says what exists).
bool tables_hold(const Volout& v, long long rows_A, long long points_A, long long rows_C,
                 long long points_C) {
    if (v.A == nullptr || v.B == nullptr || v.C == nullptr) return false;
    const long long rows_B = static_cast<long long>(v.n) + 1;
    const long long rows = std::max({rows_A, rows_B, rows_C});
    const long long points = std::max({points_A, static_cast<long long>(kSlotPoints), points_C});
    return rows <= v.alloc_rows && points <= v.alloc_points;
}

// Angle of station k: nt tongue stations up to theta0, then n spiral
// stations from theta0 to a full turn.
double station_angle(int k, int nt, double theta0, int n) {
    if (k < nt) return k * theta0 / nt;
    return theta0 + (kFullTurn - theta0) * (k - nt) / n;
}

// Table B: the slot outline (x, distance from the axis) at stations
// i * 360 / n + theta0, i = 0..n.
void write_slot(Volout& v, double theta0, const double (&x)[kSlotPoints], const double (&dist)[kSlotPoints]) {
    for (int i = 0; i <= v.n; ++i) {
        const StationPlane plane(i * kFullTurn / v.n + theta0);
        for (int p = 0; p < kSlotPoints; ++p) v.B[i][p] = plane.at(x[p], dist[p]);
    }
    v.nB = v.n + 1;
    v.mB = kSlotPoints;
}

// Cosines and sines of the evenly spaced angles a0, a0 + da, ... of an arc:
// one rotation per step in place of two trigonometric calls per point (the
// rounding this adds over an arc of m steps is of order m * 1e-16).
class ArcSteps {
public:
    ArcSteps(double a0, double da)
        : c_(std::cos(a0)), s_(std::sin(a0)), dc_(std::cos(da)), ds_(std::sin(da)) {}
    double cos() const { return c_; }
    double sin() const { return s_; }
    void next() {
        const double c = c_ * dc_ - s_ * ds_;
        s_ = s_ * dc_ + c_ * ds_;
        c_ = c;
    }

private:
    double c_, s_, dc_, ds_;
};

// One station of a circular-section spiral.
struct Station {
    double theta;         // circumferential angle, degrees
    double rho;           // section radius
    double e;             // radial offset of the section centre beyond R
    double phi_a, phi_b;  // the arc drawn, degrees
    bool tongue;
};

bool finite(const Station& s) {
    return std::isfinite(s.theta) && std::isfinite(s.rho) && std::isfinite(s.e) && std::isfinite(s.phi_a) &&
           std::isfinite(s.phi_b);
}

// Square root of a chord term; a section narrower than the slot has none and
// lies on the slot (0). A NaN stays NaN so that the station is refused.
double chord_root(double radicand) { return radicand < 0.0 ? 0.0 : std::sqrt(radicand); }

enum class Wall {
    kSymmetric,  // centred on the slot's mid-plane
    kOneSide,    // touching the plane x = b2 / 2
};

// The skeleton of the circular forms: tongue search, stations, tables and
// results. `law` gives the section radius at an angle in degrees, `correction`
// the factor g (NaN where it has no value).
template <class Law, class Correction>
int circular_volute(Volout& v, Law law, Correction correction, Wall wall) {
    const double R = v.r2 + v.hb2;
    const double half = v.b2 / 2.0;
    const int n = v.n;
    const int m = v.m;

    // The tongue: the first whole degree where the section outgrows the slot.
    int nt = 0;
    double theta0 = 0.0;
    for (int i = 0; i < kCircularTongueSearch; ++i) {
        const double theta = i;
        const double rho = law(theta);
        if (half < rho) {
            nt = i;
            theta0 = theta * half / rho;
            break;
        }
    }

    const long long rows = static_cast<long long>(nt) + n + 1;
    // Counted wide: an m near the largest int would wrap past the check.
    const long long points = static_cast<long long>(m) + kArcExtra;
    const int pipe_rows = wall == Wall::kSymmetric ? 4 : 3;
    if (!tables_hold(v, rows, points, pipe_rows, points)) return 1;
    const int contour = static_cast<int>(points);  // fits: a row holds it

    // Every station first: a design that cannot be drawn writes nothing.
    std::vector<Station> stations(static_cast<std::size_t>(rows));
    for (int k = 0; k < rows; ++k) {
        Station& s = stations[static_cast<std::size_t>(k)];
        s.theta = station_angle(k, nt, theta0, n);
        s.tongue = k < nt;
        const double root_g = std::sqrt(correction(s.theta));
        if (s.tongue) {
            // The section grows linearly to the slot's half width at theta0,
            // its centre moving in from the tongue offset to the slot edge.
            s.rho = half * s.theta / theta0 * root_g;
            s.e = nt == 1 ? v.gap : v.gap - k * v.gap / (nt - 1);
            const double phi = degrees(std::atan2(half, s.e));
            s.phi_a = 90.0 - phi;
            s.phi_b = 90.0 + phi;
        } else if (wall == Wall::kSymmetric) {
            s.rho = law(s.theta) * root_g;
            s.e = chord_root(s.rho * s.rho - v.b2 * v.b2 / 4.0);
            const double phi = degrees(std::atan2(half, s.e));
            s.phi_a = phi - 90.0;
            s.phi_b = 270.0 - phi;
        } else {
            s.rho = law(s.theta) * root_g;
            s.e = chord_root(s.rho * s.rho - (s.rho - v.b2) * (s.rho - v.b2));
            const double phi = degrees(std::atan2(s.rho - v.b2, s.e));
            s.phi_a = 0.0;
            s.phi_b = 270.0 + phi;
        }
        if (!finite(s)) return 1;
    }

    // Table A: slot edge, arc, slot edge at every station.
    const double rim = wall == Wall::kSymmetric ? R : v.r2;
    for (int k = 0; k < rows; ++k) {
        const Station& s = stations[static_cast<std::size_t>(k)];
        const StationPlane plane(s.theta);
        Point3* row = v.A[k];
        row[0] = plane.at(0.0, rim);
        row[1] = plane.at(half, rim);
        const double d = (s.phi_b - s.phi_a) / m;
        ArcSteps arc(radians(s.phi_a), radians(d));
        for (int j = 2; j <= m + 2; ++j, arc.next()) {
            const double u = R + s.e + arc.sin() * s.rho;
            if (s.tongue)
                row[j] = plane.at(arc.cos() * half, k == 0 ? R + s.e + s.rho : u);
            else if (wall == Wall::kSymmetric)
                row[j] = plane.at(arc.cos() * s.rho, u);
            else
                row[j] = plane.at(arc.cos() * s.rho + half - s.rho, u);
        }
        row[m + 3] = plane.at(-half, rim);
        row[m + 4] = plane.at(0.0, rim);
    }
    v.nA = static_cast<int32_t>(rows);
    v.mA = contour;

    // Table C: the outlet pipe continues the last section.
    const Station& last = stations.back();
    const Point3* end = v.A[rows - 1];
    if (wall == Wall::kSymmetric) {
        const double dy[4] = {0.0, 1.5 * v.hb2, 4.0 * v.hb2, 12.0 * v.hb2};
        const double dz_rim[4] = {v.gap, 1.5 * v.gap, 1.5 * v.gap + v.gap / 4.0, 1.5 * v.gap + v.gap / 8.0};
        const double dz_arc[4] = {v.gap, v.gap, 1.5 * v.gap + v.gap / 4.0, 1.5 * v.gap};
        for (int r = 0; r < 4; ++r)
            for (int j = 0; j < contour; ++j) {
                const bool on_rim = j < 2 || j > m + 2;
                v.C[r][j] = Point3{end[j].x, end[j].y + dy[r], end[j].z + (on_rim ? dz_rim[r] : dz_arc[r])};
            }
        v.nC = 4;
    } else {
        for (int j = 0; j < contour; ++j) v.C[0][j] = end[j];
        const StationPlane plane(last.theta);
        for (int r = 1; r <= 2; ++r)
            for (int j = 0; j < contour; ++j) {
                const double a = radians(j * kFullTurn / (m + 4));
                Point3 p = plane.at(std::cos(a) * last.rho + half - last.rho - kPipeAxialOffset,
                                    R + last.e + std::sin(a) * last.rho);
                p.y += r * last.rho;
                p.z += kPipeZOffset;
                v.C[r][j] = p;
            }
        v.nC = 3;
    }
    v.mC = contour;

    write_slot(v, theta0, {0.0, half, half, -half, -half, 0.0}, {v.r2, v.r2, R, R, v.r2, v.r2});

    // Results: the outer diameter and the square of the end section's area.
    v.Dk = 2.0 * (R + last.rho);
    v.hk = std::sqrt(kPi * last.rho * last.rho);
    v.bk = v.hk;
    return 0;
}

// The free vortex r cu = R cu' through circular sections: the law of forms 0
// and 10, with the constant K of the record's flow.
struct FreeVortex {
    double R, K;
    explicit FreeVortex(const Volout& v) : R(v.r2 + v.hb2) {
        const double cs = v.cs * v.r2 / R;
        const double cu = v.cu * v.r2 / R;
        const double Q = kTwoPi * R * v.b2 * cs;  // volume flow through the slot
        K = Q == 0.0 ? NAN : kVortexDegrees * R * cu / Q;
    }
    double operator()(double theta) const { return theta / K + std::sqrt(2.0 * R * theta / K); }
};

double no_correction(double) { return 1.0; }

}  // namespace

int volout_form0(Volout* rec) {
    Volout& v = *rec;
    const FreeVortex law(v);
    if (std::isnan(law.K)) return 1;  // no flow through the slot
    // Correction of the free vortex for the section's own velocity head.
    const double L =
        kCorrectionScale * law.K * v.cu * v.cu * std::log(1.0 + 57.0 / std::sqrt(2.0 * law.R * law.K));
    const double c2 = v.cs * v.cs + v.cu * v.cu;
    auto correction = [L, c2](double theta) {
        const double radicand = 1.0 - (theta / kFullTurn) * L / c2;
        // Without the guard a large correction gives 1/sqrt of zero or less.
        return radicand > 0.0 ? 1.0 / std::sqrt(radicand) : NAN;
    };
    return circular_volute(v, law, correction, Wall::kSymmetric);
}

int volout_form1(Volout* rec) {
    Volout& v = *rec;
    if (v.cu == 0.0) return 1;  // no swirl: the law divides by cu
    const double R = v.r2 + v.hb2;
    const double E = v.b2 * (v.cs / v.cu) / 180.0;
    auto law = [E, R](double theta) {
        return (E * theta + std::sqrt(4.0 * E * R * theta + E * E * theta * theta)) / 2.0;
    };
    return circular_volute(v, law, no_correction, Wall::kSymmetric);
}

int volout_form10(Volout* rec) {
    Volout& v = *rec;
    const FreeVortex law(v);
    if (std::isnan(law.K)) return 1;  // no flow through the slot
    return circular_volute(v, law, no_correction, Wall::kOneSide);
}

int volout_form21(Volout* rec) {
    Volout& v = *rec;
    if (v.cu == 0.0) return 1;  // no swirl: the law divides by cu
    const double R = v.r2 + v.hb2;
    const double E = v.b2 * v.cs / v.cu;
    // Section height (and width) of the square-root law, theta in degrees.
    auto height = [E, R](double theta) {
        return std::sqrt(E * R * theta * kDegree) - theta * kDegree * E / 4.0;
    };
    const int n = v.n;

    int nt = 0;
    double theta0 = 0.0, h0 = 0.0;
    for (int i = 0; i < kRectTongueSearch; ++i) {
        const double theta = i;
        const double h = height(theta);
        if (v.hb2 / 2.0 < h) {
            nt = i;
            theta0 = theta;
            h0 = h;
            break;
        }
    }
    // A long tongue (slow meridional flow) needs more rows than the tables hold.
    const long long rows = static_cast<long long>(nt) + n + 1;
    if (!tables_hold(v, rows, kRectPoints, 3, kRectPoints)) return 1;

    struct Section {
        double theta, h, w;
    };
    std::vector<Section> sections(static_cast<std::size_t>(rows));
    for (int k = 0; k < rows; ++k) {
        Section& s = sections[static_cast<std::size_t>(k)];
        // Station 0 repeats station 1: the tongue has no section of its own.
        s.theta = station_angle(k == 0 ? 1 : k, nt, theta0, n);
        const double h = height(s.theta);
        if (k < nt) {
            s.h = h0;
            s.w = h * h / h0;
        } else {
            s.h = h;
            s.w = h;
        }
        if (!std::isfinite(s.theta) || !std::isfinite(s.h) || !std::isfinite(s.w)) return 1;
    }

    const double x0 = v.b2 / 2.0 + v.gap;
    for (int k = 0; k < rows; ++k) {
        const Section& s = sections[static_cast<std::size_t>(k)];
        const StationPlane plane(s.theta);
        const double x[kRectPoints] = {
            x0, x0 + s.w / 2.0, x0 + s.w, x0 + s.w, x0 + s.w, x0 + s.w / 2.0, x0, x0, x0};
        const double dist[kRectPoints] = {R, R, R, R - s.h / 2.0, R - s.h, R - s.h, R - s.h, R - s.h / 2.0,
                                          R};
        for (int p = 0; p < kRectPoints; ++p) v.A[k][p] = plane.at(x[p], dist[p]);
    }
    v.nA = static_cast<int32_t>(rows);
    v.mA = kRectPoints;

    const double h_last = sections.back().h;
    const Point3* end = v.A[rows - 1];
    for (int r = 0; r < 3; ++r)
        for (int p = 0; p < kRectPoints; ++p) v.C[r][p] = Point3{end[p].x, end[p].y + r * h_last, end[p].z};
    v.nC = 3;
    v.mC = kRectPoints;

    const double half = v.b2 / 2.0;
    write_slot(v, theta0, {0.0, -half, -half, x0, x0, 0.0}, {v.r2, v.r2, R, R, v.r2, v.r2});

    v.Dk = 2.0 * (v.r2 + h_last);
    v.bk = h_last;
    v.hk = h_last;
    return 0;
}

}  // namespace h2::predesign

extern "C" int VoloutDesign(Volout* rec) {
    using namespace h2::predesign;
    if (rec == nullptr) return 1;
    // The spiral divides by n and the arcs by m.
    if (rec->n < 1 || rec->m < 1) return 1;
    switch (rec->form) {
        case 0:
            return volout_form0(rec);
        case 1:
            return volout_form1(rec);
        case 10:
            return volout_form10(rec);
        case 21:
            return volout_form21(rec);
        default:
            return 1;
    }
}
