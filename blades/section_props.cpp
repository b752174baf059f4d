// Section properties of a blade row from its cascade geometry: turbine rotor
// and stator sections from the stored section models, compressor sections by
// a closed formula; with them the pitch, the blade count and the throat.
#include <algorithm>
#include <cmath>

#include "blades/row_access.h"
#include "blades/section_model_tables.h"
#include "halvorine2/strength.h"

namespace {

namespace sm = h2::section_model;

constexpr double kPi = 3.14159265;
constexpr double kTwoPi = 6.2831853;
constexpr double kDegree = 0.01745329;
// The stator stagger estimate was fitted with this rounder factor.
constexpr double kDegreeStagger = 0.01745;
// Relative pitch of a row that gives neither pitch nor relative pitch.
constexpr double kDefaultRelativePitch = 0.7;

// Pitch rule: the pitch from the relative pitch, else the relative pitch from
// the pitch, else the default; then the blade count on the outlet radius.
void apply_pitch_rule(bdLocals& b, int i, int j, double s) {
    double& t = b.cas_t[i][j];
    double& tb = b.cas_tb[i][j];
    if (tb != 0.0) {
        t = s * tb;
    } else if (t != 0.0) {
        tb = t / s;
    } else {
        tb = kDefaultRelativePitch;
        t = kDefaultRelativePitch * s;
    }
    // A section without a chord (a streamline the case gives no geometry, e.g.
    // all but the middle one of a mean-line case) has a zero pitch and says
    // nothing about the blade count: the row keeps the one it has.
    const double z = kTwoPi * b.flow_r2[i][j] / t;
    if (std::isfinite(z)) b.bld_z[i] = h2::blades::whole_count(z);
}

// Clamps each variable into its range; not a number goes to the low end.
void clamp_variables(double* x, const double* lo, const double* hi) {
    for (int v = 0; v < sm::kVariables; ++v) {
        if (std::isnan(x[v]) || x[v] < lo[v])
            x[v] = lo[v];
        else if (x[v] > hi[v])
            x[v] = hi[v];
    }
}

template <int N>
void evaluate_sets(GeomModel model, const double* lo, const double* hi, const double* x, double (&y)[N]) {
    for (int k = 0; k < N; ++k) y[k] = model_geom(sm::kVariables, k, lo, hi, model, x);
}

// Area and moments of inertia from the natural logarithms the section models
// give them in (per chord^2 and per chord^4), and the section moduli about the
// edge and camber-normal axes from the extreme-fibre distances per chord
// (fibre: edge side, camber side, the two sides across).
struct SectionLogs {
    double F, Ie, In, Iu;
};
struct FibreDistances {
    double edge, camber, across1, across2;
};

void store_inertias(bdLocals& c, int i, int j, double chord, const SectionLogs& ln, const FibreDistances& e) {
    const double chord2 = chord * chord, chord4 = chord2 * chord2;
    c.prof_F[i][j] = std::exp(ln.F) * chord2;
    const double Ie = std::exp(ln.Ie) * chord4;
    const double In = std::exp(ln.In) * chord4;
    c.prof_Ie[i][j] = Ie;
    c.prof_In[i][j] = In;
    c.prof_Iu[i][j] = std::exp(ln.Iu) * chord4;
    // Section moduli: moment of inertia over the distance of the extreme fibre.
    c.prof_Wxbx[i][j] = Ie / (chord * e.edge);
    c.prof_Wxbxx[i][j] = c.prof_Wxbx[i][j];
    c.prof_Wcn[i][j] = Ie / (chord * e.camber);
    c.prof_Wybx[i][j] = In / (chord * e.across1);
    c.prof_Wybxx[i][j] = In / (chord * e.across2);
}

}  // namespace

extern "C" {

void WorkGeom(int row, int section, int mode) {
    bdLocals* bp = h2::blades::section_case(row, section);
    if (bp == nullptr || bp->model_rotor == nullptr) return;
    bdLocals& c = *bp;
    const int i = row, j = section;
    const double b = c.cas_b[i][j];
    apply_pitch_rule(c, i, j, b);

    double beta2 = c.cas_B2a[i][j];
    if (beta2 > 90.0) beta2 = 180.0 - beta2;
    const double turning = 180.0 - c.cas_B1g[i][j] - beta2;
    // The pitch offset is formed from the turning before the turning is clamped.
    double x[sm::kVariables] = {turning, beta2, c.cas_w1[i][j], c.cas_tb[i][j] - 1.08 + 0.004 * turning};
    clamp_variables(x, sm::kRotorLow, sm::kRotorHigh);

    double y[sm::kRotorSets];
    evaluate_sets(static_cast<GeomModel>(c.model_rotor), sm::kRotorLow, sm::kRotorHigh, x, y);

    const double stagger = y[8];  // radians
    c.prof_r0[i][j] = 0.0;
    c.prof_Xst[i][j] = y[3] * b;
    c.prof_Yst[i][j] = y[4] * b;
    c.prof_Q[i][j] = y[15] / kDegree;
    c.prof_A[i][j] = std::sin(stagger) * b;
    c.prof_B[i][j] = std::cos(stagger) * b;
    c.prof_Cmax[i][j] = y[13] * b;
    c.prof_XCmax[i][j] = y[14] * b;
    store_inertias(c, i, j, b, {y[0], y[1], y[2], y[17]}, {y[9], y[10], y[11], y[12]});
    c.prof_Wubx[i][j] = c.prof_Iu[i][j] / (b * y[11]);
    c.prof_Wubxx[i][j] = c.prof_Iu[i][j] / (b * y[12]);
    c.cas_a2[i][j] = std::sin(beta2 * kDegree) * c.cas_t[i][j];
    if (mode == 2) c.cas_Byct[i][j] = stagger / kDegree;
}

void GuideGeom(int row, int section, int mode) {
    bdLocals* bp = h2::blades::section_case(row, section);
    if (bp == nullptr || bp->model_stator == nullptr) return;
    bdLocals& c = *bp;
    const int i = row, j = section;
    const double s = c.cas_bx[i][j];
    if (c.cas_b[i][j] < s) c.cas_b[i][j] = s;
    const double chord = c.cas_b[i][j];

    // Stagger estimate from the blade angles (radians).
    const double gamma =
        (60.2 * std::pow(c.cas_B1g[i][j], 0.233) + 156.6 * std::pow(c.cas_B2g[i][j], -0.25) - 195.0) *
        kDegreeStagger;
    const double A = std::sin(gamma) * s;
    const double B = std::sqrt(chord * chord - A * A);
    c.prof_A[i][j] = A;
    c.prof_B[i][j] = B;
    double chord_ratio = 1.0;
    if (s + 0.001 < chord) chord_ratio = B / (std::cos(gamma) * s);

    apply_pitch_rule(c, i, j, s);
    double x[sm::kVariables] = {c.cas_B1g[i][j], c.cas_r1[i][j] / s, c.cas_tb[i][j], chord_ratio};
    clamp_variables(x, sm::kStatorLow, sm::kStatorHigh);

    double y[sm::kStatorSets];
    evaluate_sets(static_cast<GeomModel>(c.model_stator), sm::kStatorLow, sm::kStatorHigh, x, y);

    c.prof_r0[i][j] = 0.0;
    c.prof_Xst[i][j] = y[4] * s;
    c.prof_Yst[i][j] = y[5] * s;
    c.prof_Q[i][j] = y[12] / kDegree;
    c.prof_Bx[i][j] = B / x[3];
    c.prof_lv[i][j] = B - c.prof_Bx[i][j];
    c.prof_Cmax[i][j] = std::fabs(y[10]) * s;
    c.prof_XCmax[i][j] = std::fabs(y[11]) * s;
    store_inertias(c, i, j, s, {y[6], y[7], y[8], y[18]}, {y[0], y[1], y[2], y[3]});
    c.prof_Wubx[i][j] = c.prof_Iu[i][j] / (B - c.prof_Xst[i][j]);
    c.prof_Wubxx[i][j] = c.prof_Iu[i][j] / c.prof_Xst[i][j];
    c.cas_a2[i][j] = std::sin(c.cas_B2g[i][j] * kDegree) * c.cas_t[i][j];
    if (mode == 2) c.cas_Byct[i][j] = y[16] / kDegree;
}

void ComprGeom(int row, int section) {
    bdLocals* bp = h2::blades::section_case(row, section);
    if (bp == nullptr) return;
    bdLocals& c = *bp;
    const int i = row, j = section;
    const double b = c.cas_b[i][j];
    const double r = c.cas_r1[i][j] / b;  // leading-edge radius per chord
    const double a = c.cas_a_[i][j];      // position of the maximum thickness
    const double e = c.cas_b_[i][j];      // maximum thickness per chord
    double beta1 = c.cas_B1g[i][j], beta2 = c.cas_B2g[i][j];
    if (h2::is_rotor(c, i)) {
        beta1 = 180.0 - beta1;
        beta2 = 180.0 - beta2;
    }
    // Circular-arc camber line: half the camber angle, camber height and the
    // position of its highest point.
    const double h = (beta2 - beta1) * 0.5;
    const double k = 0.0044 * h;
    const double cpos = std::fabs(h) >= 0.001 ? k / std::tan(h * kDegree) : 0.5;
    const double L = 1.35 * std::sqrt(k * k + (1.0 - cpos) * (1.0 - cpos)) + std::sqrt(k * k + cpos * cpos);
    c.prof_F[i][j] = ((1.0 - a) * e + (a - r) * (r + e) + r * kPi * r / 2.0) * b * b * L;
    c.cas_Byct[i][j] = (180.0 - beta1 - beta2) / 2.0;
}

}  // extern "C"
