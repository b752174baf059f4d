// The axial turbine module: the stage count from the isentropic drop and the
// blade speed, the first stage sized by its design variables and continuity,
// the drop split over the stages by KH, the axial velocity changed along the
// module by KZ, every later stator's height by continuity, the row layout,
// and the closing design solve.
#include <cmath>

#include "case/case_arrays.h"
#include "halvorine2/threading.h"
#include "solver/predesign/axial_turbine/axial_turbine_rows.h"
#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/module_generators.h"
#include "solver/predesign/point_reason.h"
#include "solver/predesign/predesign_tables.h"
#include "solver/solver_api.h"

namespace h2::predesign {
namespace {

// Passes of the first-stage sizing and of each later stator.
constexpr int kFirstStagePasses = 5;
constexpr int kStagePasses = 5;
// First guess of every row's velocity coefficient; the inlet loses nothing.
constexpr double kRowSeed = 0.95, kInletSeed = 1.0;
// A stage count beyond this fits no case block (and no int).
constexpr double kCountCeiling = 1e6;

// Passes of the work-split correction after the first solve, and the share
// error (of a stage's work over its asked share) that ends it.
constexpr int kSplitPasses = 6;
constexpr double kSplitTolerance = 2e-3;

// The share of stage k of n in the module's work by the split KH (the first
// stage's drop of the sizing takes the same line).
double split_share(int k, int n, int kmid, double KH) { return (k - kmid) * (KH - 1.0) / n + 1.0; }

// Moves the stage boundaries of a solved module until every stage does the
// work the split asks: the outlet of stage k falls (in static enthalpy, on
// its own entropy) by the work the stages up to it still owe, and every
// stator keeps its part of its stage's pressure drop. The design stage drops
// are split on the expected efficiency, so the solved stages miss their
// shares by up to 15 %. 0, or the code of a re-solve that failed; a split
// still off after the last pass keeps that pass's solve.
int correct_work_split(bdLocals& b, int n, int kmid, double KH, int j) {
    if (n < 2) return 0;
    double total = 0.0, weights = 0.0;
    for (int k = 0; k < n; ++k) weights += split_share(k, n, kmid, KH);
    for (int pass = 0; pass < kSplitPasses; ++pass) {
        total = 0.0;
        for (int k = 0; k < n; ++k) total += b.enrg_Lu[2 * k + 2][j];
        double worst = 0.0;
        for (int k = 0; k < n; ++k)
            worst = std::fmax(
                worst,
                std::fabs(b.enrg_Lu[2 * k + 2][j] * weights / (total * split_share(k, n, kmid, KH)) - 1.0));
        if (worst < kSplitTolerance) return 0;
        double owed = 0.0;
        double p_in_old = b.isd_p1x[0][j], p_in_new = p_in_old;
        for (int k = 0; k < n; ++k) {
            const int e = 2 * k + 1, w = e + 1;
            owed += total * split_share(k, n, kmid, KH) / weights - b.enrg_Lu[w][j];
            const double p_out_old = b.isd_p2[w][j];
            const double p_out_new =
                k == n - 1 ? p_out_old
                           : design_fluid(b, H2_FLUID_P_IS, b.isd_i2[w][j] - owed, b.isd_s2[w][j]);
            const double stator_part = (p_in_old - b.isd_p2[e][j]) / (p_in_old - p_out_old);
            const double p1 = p_in_new - stator_part * (p_in_new - p_out_new);
            b.elem_p2[e] = b.isd_p2[e][j] = p1;
            b.elem_p2[w] = b.isd_p2[w][j] = p_out_new;
            b.elem_p0[w] = p1;
            if (k + 1 < n) b.elem_p0[e + 2] = p_out_new;
            p_in_old = p_out_old;
            p_in_new = p_out_new;
        }
        const int solved = bestXN();
        if (solved != 0) return solved;
    }
    return 0;
}

}  // namespace

int AxTurbDesign(int m) {
    bdLocals* bp = get_bdLocals();
    PD_module* rec = module(m);
    if (rec == nullptr) return 1;
    PD_module& r = *rec;
    r.elemsPerStage = 2;
    if (!generator_case_ready(bp, 2)) return 1;
    bdLocals& b = *bp;
    b.cyld_VARTD = r.Dflag;
    if (r.Dflag < 0 || r.Dflag > 2) return 1;
    const int j = b.cyld_nr / 2;
    const double* val = r.PD_VAL;
    const double D = val[PD_VAR_D], R = val[PD_VAR_R], PA = val[PD_VAR_PA];
    const double KZ = val[PD_VAR_KZ], KH = val[PD_VAR_KH];

    const TurbineExpansion x = turbine_expansion(b, r);
    // A module that would compress has no drop to lay stages out on.
    if (!expansion_possible(x, "axial turbine", m)) return 101;
    const double G = x.G, om = x.om, i0 = x.i0, p0 = x.p0, s0 = x.s0;
    double rho = x.rho;

    b.bld_wp[0] = 0.0;
    b.bld_wp[2] = om;
    b.bld_d2s[2] = b.bld_d2s[1] = b.bld_d2s[0] = D;
    b.elem_Pa[2] = b.elem_Pa[1] = PA;

    FirstStageStart start;
    first_stage_start(b, r, om, start);
    const bool by_geometry = r.Gflag == 0 || r.Gflag == 1;
    double a0 = start.a0, q = start.q;

    // First stage: its sizes, the stage count and the drop split follow each
    // other; each pass takes the density at the stator exit of the last.
    int n = 0, kmid = 1;
    double dh = 0.0, ds = 0.0, p1 = 0.0, i1 = 0.0, p2 = 0.0;
    for (int pass = 0; pass < kFirstStagePasses; ++pass) {
        if (by_geometry) {
            const double d = b.bld_d2[1], l = b.bld_l2[1];
            const double alpha = std::atan(G / (kPi * rho * b.elem_Pa[1] * d * d * l * om * (1.0 - R)));
            const double c = om * d * (1.0 - R) / std::cos(alpha);
            a0 = std::fabs(val[PD_VAR_HT]) >= 1e-6
                     ? val[PD_VAR_HT]
                     : (D / d) * 0.49 * std::cos(alpha) / std::sqrt(1.0 - b.elem_R[1]);
            q = c * c * (1.0 - std::cos(alpha) * std::cos(alpha));
        } else {
            first_stator_by_continuity(b, r, G, q, rho);
            b.elem_R[1] = b.elem_R[2] = mean_reaction(b.bld_l2[1] / b.bld_d2[1], R);
        }
        b.bld_l1[1] = b.bld_l2[0] = b.bld_l1[0] = b.bld_l2[1];
        b.bld_d1[1] = b.bld_d2[0] = b.bld_d1[0] = b.bld_d2[1];

        // Stages of the velocity ratio a0 taking the drop less the exit energy.
        const double u_over_a0 = om * D / a0;
        const double count = std::floor(x.H0 / (0.125 * u_over_a0 * u_over_a0 - 0.5 * q) + 0.5);
        // A zero denominator gives a count that is no number: no stage.
        if (!(count >= 1.0) || !(count <= kCountCeiling)) {
            point_reason(
                "axial turbine module %d: the drop %.4g J/kg gives no stage count at blade speed ratio "
                "u/a0 %.4g and axial velocity %.4g m/s",
                m, x.H0, u_over_a0, std::sqrt(q));
            return 1;
        }
        n = static_cast<int>(count);
        kmid = n / 2 > 1 ? n / 2 : 1;

        double hs0 = 0.0, h0 = 0.0;
        if (s0 == 0.0) {
            dh = (i0 - x.i2s) / n;
            ds = 0.0;
        } else {
            dh = (i0 - x.i2 + 0.5 * q) / n;
            ds = (x.s2 - s0) / n;
        }
        h0 = ((0.0 - kmid) * (KH - 1.0) / n + 1.0) * dh;
        hs0 = s0 == 0.0 ? 0.5 * q + h0 : h0 / x.eta + 0.5 * q;

        p2 = design_fluid(b, H2_FLUID_P_IS, i0 - 0.5 * q - h0, s0 + ds);
        p1 = design_fluid(b, H2_FLUID_P_IS, i0 - (1.0 - b.elem_R[1]) * hs0, s0);
        i1 = design_fluid(b, H2_FLUID_I_PS, p1, s0 + (1.0 - b.elem_R[1]) * ds);
        if (s0 == 0.0) break;
        rho = design_fluid(b, H2_FLUID_RHO_PI, p1, i1);
    }

    // Compared as doubles: a finite limit the input file accepts (1e18) has no int value.
    if (r.restoreFlag == 0 &&
        (n < std::trunc(r.PD_LIM_lower[PD_LIM_STG]) || n > std::trunc(r.PD_LIM_upper[PD_LIM_STG]))) {
        point_reason("axial turbine module %d: the drop needs %d stages, outside the stage limits %g to %g",
                     m, n, std::trunc(r.PD_LIM_lower[PD_LIM_STG]), std::trunc(r.PD_LIM_upper[PD_LIM_STG]));
        return 1;
    }
    // A restored point is not held to the stage limits; it must still fit.
    if (!allocated_element(&b, 2 * n)) return 1;

    const double cz = std::sqrt(q);
    b.isd_i1x[0][j] = i0;
    b.isd_p1x[0][j] = p0;
    b.elem_p0[1] = p0;
    b.elem_i0[1] = i0;
    b.elem_p0[2] = p1;
    b.elem_i0[2] = i1;
    b.elem_p2[1] = b.isd_p2[1][j] = p1;
    b.elem_p2[2] = b.isd_p2[2][j] = p2;
    const double u = 0.5 * b.bld_d2[1] * om;
    for (int e = 0; e <= 2; ++e) {
        b.flow_c1z[e][j] = b.flow_c2z[e][j] = cz;
        b.elem_cz_[e] = cz / u;
    }
    b.los_Los[0][j] = kInletSeed;
    b.los_Los[1][j] = b.los_Los[2][j] = kRowSeed;
    row_methods(b, 1);
    row_methods(b, 2);
    b.elem_sectType[0] = 0.0;

    // Later stages: the running static enthalpy E falls by each stage's drop
    // (the first stage's drop is not taken from it).
    const double KU = r.PD_VAR_lower[PD_VAR_KU];
    double E = i0 - 0.5 * q;
    for (int k = 1; k < n; ++k) {
        const int e = 2 * k + 1;
        r.PD_VAL[PD_VAR_KU] = KU;
        b.elem_Pa[e + 1] = b.elem_Pa[e] = admission((k * KU / n + 1.0) * PA);
        b.bld_d2s[e + 1] = b.bld_d2s[e] = D;

        const double kz = (k - kmid) * (KZ - 1.0) / n + 1.0;
        const double qk = kz * kz * q;
        const double hk = ((k - kmid) * (KH - 1.0) / n + 1.0) * dh;
        E -= hk;
        const double Ht = 0.5 * qk + E;
        const double sk = s0 == 0.0 ? 0.0 : k * ds + s0;
        const double Hsk = s0 == 0.0 ? hk : hk / x.eta + 0.5 * qk;

        double Rk = 0.0, l = 0.0, dm = 0.0, p1k = 0.0, i1k = 0.0, p2k = 0.0;
        for (int pass = 0; pass < kStagePasses; ++pass) {
            p2k = design_fluid(b, H2_FLUID_P_IS, E - hk, (k + 1) * ds + s0);
            p1k = design_fluid(b, H2_FLUID_P_IS, Ht - (1.0 - Rk) * Hsk, sk);
            i1k = design_fluid(b, H2_FLUID_I_PS, p1k, (1.0 - Rk) * ds + sk);
            const double rhok = design_fluid(b, H2_FLUID_RHO_PI, p1k, i1k);
            l = stator_height(G, std::sqrt(qk), rhok, b.elem_Pa[e], D);
            dm = r.Dflag == 0 ? D + l : r.Dflag == 1 ? D : D - l;
            Rk = mean_reaction(l / dm, R);
        }
        for (int i : {e, e + 1}) {
            b.elem_G1[i] = b.elem_G2[i] = G;
            b.elem_R[i] = Rk;
            b.flow_c1z[i][j] = b.flow_c2z[i][j] = std::sqrt(qk);
            b.los_Los[i][j] = kRowSeed;
            row_methods(b, i);
            b.elem_sectType[i] = 0.0;
        }
        b.elem_p2[e] = b.isd_p2[e][j] = p1k;
        b.elem_p2[e + 1] = b.isd_p2[e + 1][j] = p2k;
        b.elem_p0[e] = b.isd_p2[e - 1][j];
        b.elem_i0[e] = Ht;
        b.elem_p0[e + 1] = p1k;
        b.elem_i0[e + 1] = i1k;
        b.bld_l2[e] = l;
        b.bld_d2[e] = dm;
    }

    // The stage layout may consult the rows by the path's element count (the
    // cooling chart does); a failed layout leaves the count the model had.
    const int ns_before = b.cyld_ns;
    b.cyld_ns = 2 * n;
    const int laid = AxTurbDesignStages(m, n);
    if (laid != 0) {
        b.cyld_ns = ns_before;
        return laid;
    }

    // Rows whose profiles come from an atlas: none chosen yet.
    if (b.atlas_s != nullptr && r.useAtlasS != 0)
        for (int e = 1; e <= b.cyld_ns; e += 2) b.atlas_index[e] = -1.0;
    if (b.atlas_r != nullptr && r.useAtlasR != 0)
        for (int e = 2; e <= b.cyld_ns; e += 2) b.atlas_index[e] = -1.0;
    if (double* pre = case_prereq(&b)) pre[28] = static_cast<double>(r.prereq28);

    const int solved = bestXN();
    if (solved != 0) return solved;
    return correct_work_split(b, n, kmid, KH, j);
}

}  // namespace h2::predesign
