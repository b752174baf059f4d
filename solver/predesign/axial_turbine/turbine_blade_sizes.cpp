// Small sizing steps of the turbine element redesign: the clearance sizes
// around a rotor, the blade height from the annulus flow parameter, and the
// sizes that follow from a row's exit diameter, height and blade count.
#include <cmath>

#include "numerics/one_dim.h"
#include "solver/predesign/axial_turbine/turbine_design.h"
#include "solver/predesign/predesign_tables.h"
#include "solver/solver_conventions.h"

namespace {

using h2::turbine::kPi;

// Below this height every clearance is a fiftieth of the height.
constexpr double kGapLineFrom = 0.02;
constexpr double kGapFraction = 50.0;

// Newton steps of the height: residual bound and iteration budget.
constexpr double kHeightTol = 1e-8;
constexpr int kHeightIterations = 50;

// Seal diameters: a missing diaphragm seal sits at 0.7 of the hub diameter;
// the seal runs 0.959 inside (stator) or outside (rotor) the blade ends.
constexpr double kDiaphragmSealRatio = 0.7;
constexpr double kSealFactor = 0.959;

// Newton's method on (d + sign l)^2 l = K from l = 0.
double height_newton(double d, double K, double sign) {
    double l = 0.0;
    for (int it = 0;; ++it) {
        const double a = d + sign * l;
        const double r = a * a * l - K;
        const double slope = a * a + sign * 2.0 * a * l;
        // A flat residual (the tip form's maximum at l = d/3) has no step.
        if (slope == 0.0 || !std::isfinite(slope)) return -1.0;
        l -= r / slope;
        if (it > kHeightIterations) return -1.0;
        if (std::fabs(r) <= kHeightTol) return l;
    }
}

}  // namespace

extern "C" {

void estimate_gaps(double x, double* g1, double* g2, double* g3) {
    if (x < kGapLineFrom) {
        *g1 = *g2 = *g3 = x / kGapFraction;
        return;
    }
    stgGapSizes(x, g1, g2, g3);
}

void stgGapSizes(double x, double* g1, double* g2, double* g3) {
    // Straight lines through the values at heights 0 and 0.4 m, capped.
    static const double heights[2] = {0.0, 0.4};
    static const double lines[3][2] = {{0.001, 0.003}, {0.002, 0.007}, {0.001, 0.006}};
    static const double caps[3] = {0.005, 0.01, 0.01};
    double* out[3] = {g1, g2, g3};
    for (int k = 0; k < 3; ++k) {
        const double g = h2::interp1(2, heights, lines[k], x);
        *out[k] = g > caps[k] ? caps[k] : g;
    }
}

double stgHeightFromHub(double d, double K) { return height_newton(d, K, 1.0); }
double stgHeightFromTip(double d, double K) { return height_newton(d, K, -1.0); }
double stgHeightFromMean(double d, double K) { return K / (d * d); }

int stgBladeSizes(int e) {
    bdLocals* bp = h2::turbine::design_case();
    if (bp == nullptr || e < 0 || e > bp->cyld_ns) return 1;
    bdLocals& b = *bp;
    const int m = h2::mid_stream(b);
    const int L = b.cyld_nr - 1;
    if (b.elem_stagType[e] == h2::kKindBlade) {
        b.bld_F2[e] = kPi * b.bld_d2[e] * b.bld_l2[e];
        double& t = b.cas_t[e][m];
        double& tb = b.cas_tb[e][m];
        double& bx = b.cas_bx[e][m];
        double& chord = b.cas_b[e][m];
        t = kPi * b.bld_d2[e] / b.bld_z[e];
        const bool rotor = b.bld_wp[e] != 0.0;
        const int slot = rotor ? h2::turbine::kSlotRotorRowHold : h2::turbine::kSlotStatorRowHold;
        // An ordinary case gives its chords: the relative pitch follows.
        const bool chord_given = h2::predesign::prereq_slot(&b, slot, 1.0) != 0.0;
        if (!chord_given && tb != 0.0) {
            bx = t / tb;
            chord = bx;
        } else if (chord != 0.0) {
            // A zero relative pitch would give an infinite chord: the row keeps its chord.
            tb = t / chord;
        }
        if (b.bld_du[e] == 0.0) b.bld_du[e] = kDiaphragmSealRatio * (b.bld_d2[e] - b.bld_l2[e]);
        if (b.bld_wp[e] <= 0.0)
            b.bld_dub[e] = kSealFactor * (b.bld_d2[e] - b.bld_l2[e] - 2.0 * b.clrn_to[e]);
        else
            b.bld_dub[e] = (b.bld_d2[e] + b.bld_l2[e] + 2.0 * b.clrn_to[e]) / kSealFactor;
    }

    const bool axial = b.elem_sectType[e] == h2::kSectAxial;
    const bool prev_radial = e > 0 && b.elem_sectType[e - 1] == h2::kSectRadial;
    const bool prev_axial = e > 0 && b.elem_sectType[e - 1] == h2::kSectAxial;
    const double d1 = b.bld_d1[e], l1 = b.bld_l1[e], d2 = b.bld_d2[e], l2 = b.bld_l2[e];
    double r1[3], r2[3];  // hub, mid, tip
    if (axial) {
        if (prev_radial) {
            r1[0] = r1[1] = r1[2] = d1 / 2;
        } else {
            r1[0] = (d1 - l1) / 2;
            r1[1] = d1 / 2;
            r1[2] = (d1 + l1) / 2;
        }
        r2[0] = (d2 - l2) / 2;
        r2[1] = d2 / 2;
        r2[2] = (d2 + l2) / 2;
    } else {
        r1[0] = r1[1] = r1[2] = d1 / 2;
        if (prev_axial) {
            r1[0] = (d1 - l1) / 2;
            r1[2] = (d1 + l1) / 2;
        }
        r2[0] = r2[1] = r2[2] = d2 / 2;
    }
    const double wp = b.bld_wp[e];
    auto put = [&](int j, int k) {
        b.flow_r1[e][j] = r1[k];
        b.flow_u1[e][j] = wp * r1[k];
        b.flow_r2[e][j] = r2[k];
        b.flow_u2[e][j] = wp * r2[k];
    };
    if (L != 0) {
        put(0, 0);
        put(L, 2);
    }
    put(m, 1);

    if (axial) {
        if (e == 0 || prev_axial) {
            b.bld_Rt1[e] = (d1 + l1) / 2;
            b.bld_Rh1[e] = (d1 - l1) / 2;
        } else {
            b.bld_Rt1[e] = b.bld_Rh1[e] = d1 / 2;
        }
        b.bld_Rt2[e] = (d2 + l2) / 2;
        b.bld_Rh2[e] = (d2 - l2) / 2;
    } else {
        b.bld_Rh1[e] = b.bld_Rt1[e] = d1 / 2;
        b.bld_Rh2[e] = b.bld_Rt2[e] = d2 / 2;
    }
    if (b.bld_Rh1[e] < 0.0 || b.bld_Rh2[e] < 0.0) return 1;

    if (axial && L != 0) {
        const double rh1 = b.bld_Rh1[e], rt1 = b.bld_Rt1[e], rh2 = b.bld_Rh2[e], rt2 = b.bld_Rt2[e];
        for (int j = 0; j <= L; ++j) {
            const double f = static_cast<double>(j) / L;
            b.cas_ra1[e][j] = rh1 + (rt1 - rh1) * f;
            b.cas_ra2[e][j] = rh2 + (rt2 - rh2) * f;
            if (b.cyld_force1D != 0) {
                b.flow_r1[e][j] = b.cas_ra1[e][j];
                b.flow_r2[e][j] = b.cas_ra2[e][j];
            } else {
                // Streamlines through equal parts of the annulus area.
                b.flow_r1[e][j] = std::sqrt(rh1 * rh1 + (rt1 * rt1 - rh1 * rh1) * f);
                b.flow_r2[e][j] = std::sqrt(rh2 * rh2 + (rt2 * rt2 - rh2 * rh2) * f);
            }
        }
    }
    return 0;
}
}
