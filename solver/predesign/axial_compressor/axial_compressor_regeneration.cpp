// The axial compressor pass of a design solve: the run first..last is
// re-converged row by row with the blade geometry, flow coefficients and
// loading distribution the case holds, and every rotor's loading is scaled by
// one factor until the run's outlet pressure ratio found on entry is met.
#include <algorithm>
#include <cmath>

#include "case/host_calls.h"
#include "halvorine2/compressor_design.h"
#include "solver/predesign/axial_compressor/compressor_rows.h"
#include "solver/predesign/compressor_generators.h"
#include "solver/solver_conventions.h"

namespace h2::predesign {
namespace {

// Lines the corrupted-data texts name.
constexpr int kLineInletAngle = 1502;
constexpr int kLineGeometryInPasses = 1570;
constexpr int kLineGeometryAfterPasses = 1578;
// Passes before the convergence and inlet-angle tests apply.
constexpr int kSettlingPasses = 10;
constexpr int kMinPassLimit = 150;
constexpr double kRelaxFloor = 0.25;
constexpr double kToleranceFloor = 1e-8;
// Outlet angle of an outlet guide vane: axial outflow.
constexpr double kAxialOutflow = 90.0;

int law_of(const bdLocals& b, int e) { return static_cast<int>(b.elem_VARTD[e]); }

// The run first..last as the pass reads it.
struct Run {
    int first = 0;
    int last = 0;
    int g = 0;  // inlet guide vane at first + 1
    int o = 0;  // outlet guide vane at last
    int z = 0;  // stages
    int rotor(int k) const { return first + g + 1 + 2 * k; }
};

// The run's layout, or false when it cannot be regenerated: a run must hold
// a stage, and every stage rotor needs speed and blades.
bool read_run(const bdLocals& b, int first, int last, Run& run) {
    if (first < 0 || last > b.cyld_ns || last - first < 2) return false;
    run.first = first;
    run.last = last;
    run.g = stator_row(b, first + 1) ? 1 : 0;
    run.o = stator_row(b, last) && stator_row(b, last - 1) ? 1 : 0;
    run.z = (last - first - run.g - run.o) / 2;
    if (run.z < 1) return false;
    for (int k = 0; k < run.z; ++k) {
        const int e = run.rotor(k);
        if (b.bld_wp[e] == 0.0 || b.bld_z[e] == 0.0) return false;
    }
    return true;
}

// Keeps a row's pitch, chord and blade count across the row calculation.
struct KeptGeometry {
    double t, bx, b, z;
    static KeptGeometry of(const bdLocals& c, int e, int m) {
        return {c.cas_t[e][m], c.cas_bx[e][m], c.cas_b[e][m], c.bld_z[e]};
    }
    void restore(bdLocals& c, int e, int m) const {
        c.cas_t[e][m] = t;
        c.cas_bx[e][m] = bx;
        c.cas_b[e][m] = b;
        c.bld_z[e] = z;
    }
};

// Pitch of a guide vane from its blade count, chord from its relative pitch.
void guide_vane_pitch(bdLocals& b, int e, int m) {
    b.cas_t[e][m] = kPi * b.bld_d2[e] / b.bld_z[e];
    b.cas_bx[e][m] = b.cas_t[e][m] / b.cas_tb[e][m];
    b.cas_b[e][m] = b.cas_bx[e][m];
}

// Outlet pressure ratio of the run against the reference pressure p0.
double outlet_ratio(const bdLocals& b, int last, int m, double p0) {
    return (b.cyld_VARTP == 0 ? b.isd_p2[last][m] : b.isd_p2x[last][m]) / p0;
}

}  // namespace

int regenerate_axial_run(bdLocals& b, int first, int last) {
    Run run;
    if (!read_run(b, first, last, run)) return 1;
    const int m = mid_stream(b);
    const bool opens_path = first == 0;
    const int g = run.g;
    const int z = run.z;

    // A run that opens the path sets up its inlet section; a later one starts
    // from element first's outlet as it stands.
    const double omega = std::max(b.bld_wp[first + 1], b.bld_wp[first + 2]);
    const double alpha = b.cas_B1[first][m];
    double alpha_g = g == 1 ? b.cas_B2[first + 1][m] : alpha;
    if (alpha_g == 0.0) alpha_g = b.cas_B1[first][m];
    if (opens_path && !usable_angle(alpha)) return 1;
    if (g == 1 && !usable_angle(alpha_g)) return 1;

    double G = b.elem_G1[first];
    const double relax = relaxation(b.RELAX, kRelaxFloor);
    double l_in = b.bld_l2[first + 1];
    if (opens_path) {
        const double d = mean_diameter(law_of(b, first), b.bld_d2s[first], l_in);
        b.bld_d1[first] = b.bld_d2[first] = d;
        if (ac_row_state(b.bld_d2[first] * 0.5 * omega * b.elem_cz_[first + 1], alpha) != 0) return 1;
    }
    // Only ratios use the reference pressure.
    const double p0 = opens_path ? b.elem_p0[first] : b.isd_p2x[first][m];
    double l_out = b.bld_l2[last];
    double target;
    if (b.cyld_VARTP == 0 && last == b.cyld_ns && b.elem_p2[last] > 0.0)
        // The path's outlet target itself: the outlet pressure the previous
        // iteration left would let each solver iteration move the target by
        // the pass tolerance, a drift that adds up over the iterations.
        target = b.elem_p2[last] / p0;
    else if (b.cyld_VARTP == 0)
        target = b.isd_p2[last][m] / p0;
    else
        target = (b.isd_p2x[last][m] != 0.0 ? b.isd_p2x[last][m] : b.isd_p2[last][m]) / p0;

    const int limit = std::max(b.IM, kMinPassLimit);
    const double tol = tolerance(b.acc_limit, kToleranceFloor);
    int pass = 0;
    for (; pass < limit; ++pass) {
        if (g == 1) {
            const int e = first + 1;
            b.elem_G1[e] = b.elem_G2[e] = G;
            const double d = mean_diameter(law_of(b, e), b.bld_d2s[e], l_in);
            b.bld_d2[e] = b.bld_d1[e] = d;
            if (opens_path) b.bld_d2[first] = b.bld_d1[first] = d;
            guide_vane_pitch(b, e, m);
            b.elem_cz_[e] = b.elem_cz_[first];
            b.flow_c2z[e][m] = b.bld_d1[e] * 0.5 * b.bld_wp[first + 2] * b.elem_cz_[e];
            ac_guide_vane_row(e, 1, alpha_g);
            b.bld_l1[e] = b.bld_l2[e];
            if (opens_path) b.bld_l2[first] = b.bld_l1[first] = b.bld_l1[e];
        }

        double omega_last = omega;
        for (int k = 0; k < z; ++k) {
            const int e = run.rotor(k);
            const double omega_e = b.bld_wp[e];
            omega_last = omega_e;
            // The stage passes what left the row in front, with its extraction.
            G = b.elem_G2[e - 1] + b.elem_Gotb2[e - 1];
            b.elem_G1[e] = b.elem_G1[e + 1] = G;
            // The outlet flow too: a stage reads the flow leaving the row in front.
            b.elem_G2[e] = b.elem_G2[e + 1] = G;

            const int law = law_of(b, e);
            if (pass == 0) {
                const double L = z > 1 ? l_in + (l_out - l_in) * (k + 1) / z : l_in;
                b.bld_d2[e] = b.bld_d2[e + 1] = mean_diameter(law, b.bld_d2s[e + 1], L);
            } else {
                // Each row at the diameter of its own height, as the geometry
                // gives it; one diameter from the stator's height would leave the
                // rotor's blade speed off the geometry the solve reports.
                b.bld_d2[e] = mean_diameter(law, b.bld_d2s[e], b.bld_l2[e]);
                b.bld_d2[e + 1] = mean_diameter(law, b.bld_d2s[e + 1], b.bld_l2[e + 1]);
            }
            if (opens_path && g == 0 && k == 0)
                b.bld_d1[e] = b.bld_d2[e];
            else
                b.bld_d1[e] = b.elem_moduleNum[e] == b.elem_moduleNum[e - 1] ? b.bld_d2[e - 1] : b.bld_d2[e];
            b.bld_d1[e + 1] = b.bld_d2[e];

            const double U = b.bld_d2[e] * 0.5 * omega_e;
            b.flow_c2z[e][m] = U * b.elem_cz_[e];
            b.flow_c2z[e + 1][m] = U * b.elem_cz_[e + 1];

            // The regeneration keeps the blade geometry the rows would resize.
            const KeptGeometry rotor = KeptGeometry::of(b, e, m);
            const KeptGeometry stator = KeptGeometry::of(b, e + 1, m);
            ac_rotor_row(e);
            ac_stator_row(e);
            rotor.restore(b, e, m);
            stator.restore(b, e + 1, m);

            if (pass > kSettlingPasses && (b.cas_B1g[e][m] > 180.0 || b.cas_B1g[e + 1][m] > 180.0))
                return corrupted_data(b, kAxCompSource, kLineInletAngle);
            b.bld_l1[e] = b.elem_moduleNum[e] == b.elem_moduleNum[e - 1] ? b.bld_l2[e - 1] : b.bld_l2[e];
            b.bld_l1[e + 1] = b.bld_l2[e];
        }

        if (opens_path) {
            if (g == 0) {
                b.bld_l1[first] = b.bld_l2[first];
            } else {
                b.bld_l2[first] = b.bld_l2[first + 2];
                b.bld_l1[first] = b.bld_l2[first];
            }
            l_in = b.bld_l1[first];
        } else {
            l_in = g == 0 ? b.bld_l2[first] : b.bld_l2[first + 2];
        }

        if (run.o == 1) {
            const int e = last;
            b.elem_G1[e] = b.elem_G2[e] = G;
            b.bld_d2[e] = b.bld_d1[e] = mean_diameter(law_of(b, e), b.bld_d2s[e], l_out);
            guide_vane_pitch(b, e, m);
            b.elem_cz_[e] = b.elem_cz_[e - 1];
            b.flow_c2z[e][m] = b.bld_d2[e] * 0.5 * omega_last * b.elem_cz_[e];
            ac_guide_vane_row(e, 0, kAxialOutflow);
            b.bld_l1[e] = b.bld_l2[e - 1];
        }

        l_out = b.bld_l2[last];
        const double ratio = outlet_ratio(b, last, m, p0);
        if (!std::isfinite(ratio)) {
            // Nothing converges from a state the fluid could not answer.
            reset_fpu();
            return 1;
        }
        if (pass > kSettlingPasses && std::fabs(1.0 - target / ratio) < tol) break;
        const double scale = (target / ratio - 1.0) * relax;
        for (int k = 0; k < z; ++k) {
            const int e = run.rotor(k);
            b.elem_Ht[e] = b.elem_Ht[e] + scale * b.elem_Ht[e];
        }
        if (ac_row_geometry(0, g, run.o, first, last) != 0)
            return corrupted_data(b, kAxCompSource, kLineGeometryInPasses);
    }
    if (ac_row_geometry(0, g, run.o, first, last) != 0)
        return corrupted_data(b, kAxCompSource, kLineGeometryAfterPasses);
    return pass == limit ? 1 : 0;
}

}  // namespace h2::predesign

extern "C" int scgRN(int first, int last) {
    bdLocals* b = h2::solvable_case();
    if (b == nullptr) return 1;
    return h2::predesign::regenerate_axial_run(*b, first, last);
}
