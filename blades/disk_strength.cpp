// Diaphragm and disk strength and the blade volume of a row: the diaphragm
// under the stage pressure drop, the rotor disk of hyperbolic profile under
// its blades, and the blade volume integrated over the sections.
#include <algorithm>
#include <cmath>

#include "blades/disk_stress.h"
#include "blades/row_access.h"
#include "halvorine2/strength.h"
#include "halvorine2/walkers.h"
#include "numerics/one_dim.h"

namespace h2::blades {

HyperbolicDisk::HyperbolicDisk(double m_, double nu, double rho, double omega, double R1, double R2,
                               double sigma2)
    : m(m_) {
    // Homogeneous solutions r^a of the equilibrium and compatibility
    // equations of a disk with h ~ r^-m, and the particular rotation terms.
    const double root = std::sqrt((2.0 - m) * (2.0 - m) + 4.0 * m * (1.0 + nu)) / 2.0;
    a1 = -(2.0 - m) / 2.0 + root;
    a2 = -(2.0 - m) / 2.0 - root;
    const double load = rho * omega * omega / (8.0 - (3.0 + nu) * m);
    Kr = -(3.0 + nu) * load;
    Kt = -(1.0 + 3.0 * nu) * load;
    // Free bore, loaded rim.
    const double den = std::pow(R1, a2) * std::pow(R2, a1) - std::pow(R1, a1) * std::pow(R2, a2);
    const double at_bore = 0.0 - Kr * R1 * R1, at_rim = sigma2 - Kr * R2 * R2;
    Ac = (std::pow(R1, a2) * at_rim - std::pow(R2, a2) * at_bore) / den;
    Bc = (std::pow(R2, a1) * at_bore - std::pow(R1, a1) * at_rim) / den;
}

double HyperbolicDisk::radial(double r) const {
    return Kr * r * r + Bc * std::pow(r, a2) + Ac * std::pow(r, a1);
}

double HyperbolicDisk::tangential(double r) const {
    return Kt * r * r + (1.0 - m + a2) * Bc * std::pow(r, a2) + (1.0 - m + a1) * Ac * std::pow(r, a1);
}

double ring_section_inertia(double d, double h, double c) {
    // Second moment about the face minus area times the centroid distance squared.
    const double centroid = (d / 3.0 + h) * c / (2.0 * h + d);
    return d * c * c * c / 12.0 + h * c * c * c / 3.0 - (d / 2.0 + h) * centroid * centroid * c;
}

}  // namespace h2::blades

namespace {

constexpr double kPi = 3.14159265;
constexpr double kDegree = 0.01745329;
constexpr double kTwoPiExact = 6.283185307179586;

// Diaphragm body factor against (R9 - R6) / (R9 + R6).
constexpr double kBodyX[] = {0.1, 0.15, 0.2, 0.25, 0.3, 0.35, 0.4, 0.45, 0.5, 0.55, 0.6};
constexpr double kBodyK[] = {2.1, 2.12, 2.2, 2.28, 2.36, 2.46, 2.6, 2.73, 2.94, 3.15, 3.42};

// Vane bending factor against R7 / R9 (rows) and the vane pitch angle 360 / z (columns).
constexpr double kVaneRatio[] = {0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0};
constexpr double kVaneAngle[] = {2, 4, 6, 8, 10, 12, 14, 15, 16};
constexpr double kVaneK[] = {
    0.75, 1.5,  2.28, 3.0,  3.65, 4.5,  5.0,  5.5,  6.4,   //
    0.85, 1.7,  2.5,  3.45, 3.9,  4.6,  5.3,  5.75, 6.35,  //
    0.89, 1.82, 2.4,  3.5,  4.0,  4.6,  5.4,  5.7,  6.25,  //
    0.85, 1.7,  2.55, 3.3,  3.7,  4.45, 5.15, 5.5,  5.72,  //
    0.8,  1.5,  2.2,  2.6,  3.2,  3.7,  4.0,  4.3,  4.7,   //
    0.56, 1.0,  1.45, 1.7,  2.2,  2.3,  2.72, 2.72, 2.72,  //
    0,    0,    0,    0,    0,    0,    0,    0,    0,     //
};

// Ring factor of the two-ring diaphragm against bore diameter per outer diameter.
constexpr double kRingX[] = {0.23, 0.25, 0.3, 0.35, 0.4, 0.45, 0.5, 0.55, 0.6};
constexpr double kRingK[] = {18.0, 17.2, 15.7, 14.2, 12.8, 11.4, 10.0, 8.6, 7.0};

template <class T, std::size_t N>
constexpr int count(const T (&)[N]) {
    return static_cast<int>(N);
}

// Vane bending stresses from the moment M at the middle section j.
void vane_bending(bdLocals& c, int i, int j, double M) {
    c.strs_sb[i] = M / c.prof_Wubx[i][j];
    c.strs_sbx[i] = M / c.prof_Wubxx[i][j];
    c.strs_sl[i] = std::max(std::fabs(c.strs_sb[i]), std::fabs(c.strs_sbx[i]));
}

}  // namespace

extern "C" {

void diafr(int row) {
    bdLocals* bp = h2::blades::row_case(row);
    if (bp == nullptr) return;
    bdLocals& c = *bp;
    const int i = row, j = h2::blades::mid_section(c);
    const double bw = std::cos(c.cas_Byct[i][j] * kDegree) * c.cas_b[i][0];  // axial width
    const double dp = c.isd_p1x[i][0] - c.isd_p2[i][0];
    const double R6 = c.bld_du[i] / 2.0;
    const double R7 = (c.bld_d2[i] - c.bld_l2[i]) / 2.0;
    const double R8 = (c.bld_d2[i] + c.bld_l2[i]) / 2.0;
    const double R9 = R8 + c.clrn_to[i];
    const double k1 = h2::interp1(count(kBodyX), kBodyX, kBodyK, (R9 - R6) / (R9 + R6));
    const double k2 = h2::interp2(count(kVaneRatio), count(kVaneAngle), kVaneRatio, kVaneAngle, kVaneK,
                                  R7 / R9, 360.0 / c.bld_z[i]);
    vane_bending(c, i, j, R9 * R9 * R9 * k2 * dp / 192.0);

    c.strs_vd[i] = ((R9 * R9 - R8 * R8) * bw + (R7 * R7 - R6 * R6) * bw) * kPi;
    c.strs_mass_d[i] = c.strs_vd[i] * c.strs_g_b[i];
    c.strs_vl[i] = c.bld_l2[i] * c.prof_F[i][j] * c.bld_z[i];
    c.strs_mass[i] = c.strs_vl[i] * c.strs_g_b[i];
    const double b3 = bw * bw * bw;
    c.strs_st[i] = (R9 + R6) * (R9 - R6) * (R9 - R6) * dp * (R7 - R6) * bw * k1 /
                   ((R7 - R6) * ((R7 - R6) * b3 / 12.0 + (R9 - R8) * b3 / 12.0) * 14.56);
}

void diafrC(int row) {
    bdLocals* bp = h2::blades::row_case(row);
    if (bp == nullptr) return;
    bdLocals& c = *bp;
    const int i = row, j = h2::blades::mid_section(c);
    const double dp = c.isd_p1x[i][0] - c.isd_p2[i][0];
    const double d1 = c.bld_d1[i], d2 = c.bld_d2[i], l1 = c.bld_l1[i], l2 = c.bld_l2[i];
    const double du = c.bld_du[i], to = c.clrn_to[i];
    vane_bending(c, i, j, (d2 - l2) * dp * 1.2 * d2 / c.bld_z[i]);

    // Inner ring between the bore and the vane roots, tapered from inlet to outlet.
    const double h1 = (d1 - du - l1) * 0.5, h2 = (d2 - du - l2) * 0.5;
    const double hmin = std::min(h1, h2), dh = std::max(h1, h2) - hmin;
    const double c0 = c.cas_b[i][0];
    // Outer ring over the vane tips.
    const double g = (2.0 * to + d2 + l2 - d1 - l1) * 0.5;
    const double tmin = std::min(g, to), dt = std::max(g, to) - tmin;
    const double c1 = c.cas_b[i][c.cyld_nr - 1];

    const double D = d2 + l2 + to;
    const double kC = h2::interp1(count(kRingX), kRingX, kRingK, du / D);
    c.strs_st[i] =
        kC * dp * 0.001 * D * D * D * c0 /
        (h2::blades::ring_section_inertia(dh, hmin, c0) + h2::blades::ring_section_inertia(dt, tmin, c1));
}

void vaned(int) {}

void diskr(int row) {
    bdLocals* bp = h2::blades::row_case(row);
    if (bp == nullptr) return;
    bdLocals& c = *bp;
    const int i = row, j = h2::blades::mid_section(c);
    const double R2 = (c.bld_d2[i] - c.bld_l2[i]) / 2.0;  // rim
    const double B = std::max(c.prof_B[i][0], c.prof_B[i][j]);
    // Bore: the row's own, else the diaphragm seal before it, else a share of the rim.
    double R1 = c.bld_du[i] / 2.0;
    if (c.bld_du[i] == 0.0) {
        const int k = prev_stator(i);
        R1 = k != 0 ? c.bld_du[k] / 2.0 : 0.0;
        // A stator without a seal diameter would give a bore of 0 and NaN stresses.
        if (R1 == 0.0) R1 = 0.7 * R2;
    }
    constexpr double m = 1.5, nu = 0.3;
    c.bld_md[i] = m;
    c.bld_b0[i] = std::pow(R2 / R1, m) * B;
    const double omega = c.bld_wp[i], rho = c.strs_g_b[i];
    // Blade load spread over the rim.
    const double sigma2 = R2 * omega * omega * c.strs_mass[i] / (B * kPi * c.bld_d2[i]);
    const h2::blades::HyperbolicDisk disk(m, nu, rho, omega, R1, R2, sigma2);

    constexpr int kIntervals = 10;
    const double step = (R2 - R1) / kIntervals;
    double thickness[kIntervals + 1];
    double sl = 0.0, st = 0.0;
    for (int k = 0; k <= kIntervals; ++k) {
        const double r = R1 + k * step;
        thickness[k] = std::pow(R2, m) * B / std::pow(r, m);
        sl = std::max(sl, disk.radial(r));
        st = std::max(st, disk.tangential(r));
    }
    c.strs_sl[i] = sl;
    c.strs_st[i] = st;
    c.strs_vd[i] += kTwoPiExact * h2::trapezoid_sum(kIntervals, step, thickness);
    c.strs_mass_d[i] = rho * c.strs_vd[i];
}

double bldVolume(int row) {
    bdLocals* bp = h2::blades::row_case(row);
    if (bp == nullptr) return 0.0;
    const bdLocals& c = *bp;
    const int i = row;
    if (c.cyld_nr == 1) return (c.bld_l1[i] + c.bld_l2[i]) * c.prof_F[i][0] / 2.0 * c.bld_z[i];
    // Trapezoids of the section areas over the mean section radii.
    double v = 0.0;
    double R_prev = (c.flow_r1[i][0] + c.flow_r2[i][0]) / 2.0;
    for (int j = 1; j < c.cyld_nr; ++j) {
        const double R = (c.flow_r1[i][j] + c.flow_r2[i][j]) / 2.0;
        v += (R - R_prev) * (c.prof_F[i][j] + c.prof_F[i][j - 1]) / 2.0;
        R_prev = R;
    }
    return v * c.bld_z[i];
}

}  // extern "C"
