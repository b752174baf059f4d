// The fan module generator: element 0 and one fan rotor, sized from the
// module record's design variables as the axial compressor is, with the
// row's work converged until the outlet pressure ratio meets its target.
#include <algorithm>
#include <cmath>

#include "case/case_arrays.h"
#include "case/host_calls.h"
#include "halvorine2/fluid_plugin.h"
#include "reports/report_api.h"
#include "solver/predesign/axial_compressor/compressor_rows.h"
#include "solver/predesign/compressor_generators.h"
#include "solver/predesign/point_reason.h"
#include "solver/predesign/predesign_tables.h"
#include "solver/solver_conventions.h"

namespace h2::predesign {
namespace {

constexpr int kLineInletVelocity = 195;
constexpr int kLineInletAngle = 378;

constexpr int kResultPassLimit = 1;
constexpr int kResultLimit = 101;
constexpr int kResultGflag = 102;

constexpr double kEstimatedEfficiency = 0.9;
constexpr int kNewtonSteps = 15;
constexpr double kNewtonTolerance = 1e-6;
// Step of the difference quotient of the Newton iteration, m/s.
constexpr double kNewtonStep = 1.0;
constexpr int kPassLimit = 150;
constexpr double kRelaxFloor = 0.8;
constexpr double kToleranceFloor = 1e-6;
constexpr double kMinClearance = 0.001;
constexpr double kWedgeIn = 25.0;
constexpr double kWedgeOut = 5.0;

enum Slot {
    kProfSer = 30,
    kTu = 31,
    kBldK = 32,
    kRelChord = 33,
    kRelPitch = 34,
    kCasA = 35,
    kCasB = 36,
    kGapPerChord = 37,
    kClearance = 38,
    kZrr = 44,
    kSealGap = 46,
    kB1n = 47,
};

double F(const bdLocals& b, int code, double x, double y) {
    return b.fluid_func(code, x, y, b.cyld_af, H2_FLUID_MAIN);
}

double slot(const bdLocals& b, int k) { return prereq_slot(&b, k, 0.0); }

void zero_power(bdLocals& b) { b.cyld_Nc = b.cyld_eff = 0.0; }

}  // namespace

int AxFanDesign(int m) {
    bdLocals* bp = solvable_case();
    PD_module* rec = module(m);
    if (bp == nullptr || rec == nullptr || bp->alloc_elems < 2) return 3;
    bdLocals& b = *bp;
    const int mid = mid_stream(b);
    const int Dflag = rec->Dflag;
    const double D = rec->PD_VAL[PD_VAR_D];
    const double x = rec->PD_VAL[PD_VAR_CZ];
    const double KZ = rec->PD_VAL[PD_VAR_KZ];
    const bool restore = rec->restoreFlag != 0;
    const double omega = b.bld_wp[0];
    const double G = b.elem_G1[0];
    const double p0 = b.elem_p0[0];
    const double i0 = b.elem_i0[0];
    rec->elemsPerStage = 1;

    b.cyld_VARTD = Dflag;
    const double s0 = F(b, H2_FLUID_S_PI, p0, i0);
    const double rho0 = F(b, H2_FLUID_RHO_PI, p0, i0);
    const double h_is = F(b, H2_FLUID_I_PS, b.cyld_p2n, s0);
    const double h_out = i0 - (i0 - h_is) / kEstimatedEfficiency;

    if (rec->Gflag != 0 && rec->Gflag != 1) return kResultGflag;
    double l;
    if (rec->Gflag == 1)
        l = x;
    else
        l = Dflag == 0 ? D / (x - 1.0) : (Dflag == 2 ? D / (x + 1.0) : D / x);
    const double dm = mean_diameter(Dflag, D, l);
    b.bld_l2[1] = l;
    b.bld_d2[1] = dm;
    b.bld_l2[0] = b.bld_l1[0] = l;
    b.bld_d2[0] = dm;
    b.elem_sectType[0] = b.elem_sectType[1] = 0.0;
    const double A = kPi * l * dm;

    // The inlet angle is taken as it stands (0 gives no axial flow and fails).
    const double alpha = b.cas_B1[0][mid];
    const double sin_a = std::sin(alpha * kDegree);
    const double cos_a = std::cos(alpha * kDegree);

    // Inlet velocity by Newton's method on the mass-flow residual along the
    // inlet isentrope.
    const auto residual = [&](double c) {
        const double h = i0 - c * c / 2.0;
        const double rho = F(b, H2_FLUID_RHO_PI, F(b, H2_FLUID_P_IS, h, s0), h);
        return G - sin_a * rho * A * c;
    };
    double c = G / (rho0 * A * sin_a);
    bool found = false;
    for (int n = 0; n < kNewtonSteps; ++n) {
        const double R = residual(c);
        const double c_next = c - R / (residual(c + kNewtonStep) - R);
        if (std::isnan(c_next)) break;
        if (std::fabs(c - c_next) / c < kNewtonTolerance) {
            found = true;
            break;
        }
        c = c_next;
    }
    if (!found) {
        reset_fpu();
        point_reason(
            "fan module %d: no inlet velocity carries %.4g kg/s through the row's annulus of %.4g m2", m, G,
            A);
        return corrupted_data(b, kAxFanSource, kLineInletVelocity);
    }

    const double p1 = F(b, H2_FLUID_P_IS, i0 - c * c / 2.0, s0);
    const double cz_in = c * sin_a;
    b.flow_c1[1][mid] = c;
    b.flow_w1u[1][mid] = c * cos_a - 0.5 * b.bld_d2[1] * omega;
    b.flow_w1[1][mid] = std::sqrt(cz_in * cz_in + b.flow_w1u[1][mid] * b.flow_w1u[1][mid]);

    const double cz_out = cz_in * KZ;
    const double rho_out =
        F(b, H2_FLUID_RHO_PI, b.cyld_p2n, h_out - (cz_out / sin_a) * (cz_out / sin_a) / 2.0);
    const double X = G / (rho_out * kPi * cz_out);
    double l_out;
    double U;
    if (Dflag == 0) {
        l_out = (std::sqrt(4.0 * X + D * D) - D) / 2.0;
        U = omega * (2.0 * D + l + l_out) / 4.0;
    } else if (Dflag == 2) {
        l_out = (D - std::sqrt(D * D - 4.0 * X)) / 2.0;
        U = omega * (2.0 * D - l - l_out) / 4.0;
    } else {
        l_out = X / D;
        U = omega * D / 2.0;
    }
    const double cz_mean = (cz_in + cz_out) / 2.0;
    double dh = h_out - i0;
    // Target and running ratio against the same pressure: the static inlet
    // pressure for a static target. Against p0 the running ratio would leave the
    // outlet at p2n p0 / p1.
    const bool static_target = b.cyld_VARTP == 0;
    const double p_ref = static_target ? p1 : p0;
    const double target = b.cyld_p2n / p_ref;
    // A fan cannot lower the pressure: the work correction would drive the
    // work through zero and end at the pass limit.
    if (!(target > 1.0)) {
        point_reason("fan module %d: outlet pressure %.6g Pa not above the inlet %s pressure %.6g Pa", m,
                     b.cyld_p2n, static_target ? "static" : "total", p_ref);
        zero_power(b);
        return kResultLimit;
    }
    // A static target between the static and the total inlet pressure gives
    // a work estimate of no work or less: start from the isentropic rise
    // between the two pressures the ratio compares.
    if (!(dh > 0.0))
        dh = (F(b, H2_FLUID_I_PS, b.cyld_p2n, s0) - F(b, H2_FLUID_I_PS, p_ref, s0)) / kEstimatedEfficiency;

    b.cyld_ns = 1;
    b.bld_wp[0] = 0.0;
    b.bld_d2s[0] = D;
    b.bld_l1[0] = b.bld_l2[0] = l;
    b.bld_d2[0] = b.bld_d2[1];
    b.elem_stagType[0] = 0.0;
    b.elem_Pa[0] = 0.0;
    b.los_Los[0][mid] = 1.0;
    af_row_state(cz_in, alpha);
    b.elem_p2[1] = b.cyld_p2n;
    b.bld_wp[1] = omega;
    b.bld_d2s[1] = D;
    b.elem_stagType[1] = 1.0;
    b.elem_Pa[1] = 1.0;
    b.bld_Tu[1] = slot(b, kTu);
    b.bld_k[1] = slot(b, kBldK);
    b.cas_a_[1][mid] = slot(b, kCasA);
    b.cas_b_[1][mid] = slot(b, kCasB);
    copy_method_switches(b, 1);
    b.los_scale[1] = b.dev_scale[1] = 1.0;
    // A fresh row has no blockage yet (a zero area factor sizes it infinitely high).
    if (b.los_Fp[1][mid] == 0.0) b.los_Fp[1][mid] = 1.0;
    b.elem_profSer[1] = slot(b, kProfSer);
    b.elem_G1[1] = G;

    const double relax = relaxation(b.RELAX, kRelaxFloor);
    const double tol = tolerance(b.acc_limit, kToleranceFloor);
    WorkStep previous;
    double highest = 0.0;  // the highest pressure ratio a pass reached
    double l_in = l;
    int pass = 0;
    for (; pass < kPassLimit; ++pass) {
        b.bld_wp[1] = omega;
        b.elem_G1[1] = b.elem_G2[1] = G;  // the whole-path results read the outlet flow
        for (int e = 0; e <= 1; ++e)
            b.flow_c2s[e][mid] = b.flow_c1s[e][mid] = b.flow_c2z[e][mid] = b.flow_c1z[e][mid] = cz_mean;
        b.clrn_drr[1] = slot(b, kSealGap);
        b.clrn_b1n[1] = slot(b, kB1n);
        b.clrn_d1[1] = b.cas_b[1][mid] * slot(b, kGapPerChord);
        b.bld_d1[1] = b.bld_d2[1] = mean_diameter(Dflag, D, l_in);
        b.bld_d2s[1] = D;
        if (!restore) {
            const bool hub_low = Dflag == 2 && b.bld_d1[1] - b.bld_l1[1] < rec->PD_LIM_lower[PD_LIM_DH];
            const bool tip_high =
                (Dflag == 0 || Dflag == 1) && b.bld_d1[1] + b.bld_l1[1] > rec->PD_LIM_upper[PD_LIM_DS];
            if (hub_low || tip_high) {
                point_reason(
                    "fan module %d: hub diameter %.4g m or tip diameter %.4g m outside the limits %.4g m "
                    "and %.4g m",
                    m, b.bld_d1[1] - b.bld_l1[1], b.bld_d1[1] + b.bld_l1[1], rec->PD_LIM_lower[PD_LIM_DH],
                    rec->PD_LIM_upper[PD_LIM_DS]);
                zero_power(b);
                return kResultLimit;
            }
        }
        b.clrn_to[1] = std::max(slot(b, kClearance) * b.bld_l2[1], kMinClearance);
        b.bld_dub[1] = 2.0 * b.bld_Rt2[1];
        b.cas_w1[1][mid] = kWedgeIn;
        b.cas_w2[1][mid] = kWedgeOut;
        b.cas_b[1][mid] = l_in * slot(b, kRelChord);
        if (b.cas_tb[1][mid] == 0.0) b.cas_tb[1][mid] = slot(b, kRelPitch);
        b.cas_t[1][mid] = b.cas_b[1][mid] * b.cas_tb[1][mid];
        if (b.cas_t[1][mid] == 0.0) {
            point_reason(
                "fan module %d: the rotor has no pitch (chord per height slot %d, pitch per chord slot %d)",
                m, static_cast<int>(kRelChord), static_cast<int>(kRelPitch));
            return 3;
        }
        b.bld_z[1] = std::trunc(kPi * b.bld_d2[1] / b.cas_t[1][mid]);
        b.clrn_d1[1] = b.cas_b[1][mid] * slot(b, kGapPerChord);
        b.clrn_Zrr[1] = slot(b, kZrr);

        U = b.bld_d2[1] * 0.5 * omega;
        b.elem_Ht[1] = dh / (U * U);
        b.flow_c2z[1][mid] = cz_mean;
        b.elem_cz_[1] = cz_mean / U;
        af_rotor_row(1);
        if (b.cas_B1g[1][mid] > 180.0) return corrupted_data(b, kAxFanSource, kLineInletAngle);
        b.bld_l1[1] = b.bld_l2[0];
        l_in = b.bld_l1[1];

        const double ratio = (static_target ? b.isd_p2[1][mid] : b.isd_p2x[1][mid]) / p_ref;
        if (std::isnan(ratio)) {
            reset_fpu();
            zero_power(b);
            return 3;
        }
        if (af_row_geometry(1) != 0) {
            pass = kPassLimit;
            break;
        }
        if (std::fabs(1.0 - target / ratio) < tol) break;
        highest = std::max(highest, ratio);
        dh = next_work(dh, ratio, target, relax, previous);
    }
    b.elem_Ht[0] = dh / (U * U);
    if (pass == kPassLimit) {
        point_reason(
            "fan module %d: the work correction did not reach pressure ratio %.6g in %d passes (the "
            "highest a pass reached: %.6g)",
            m, target, kPassLimit, highest);
        zero_power(b);
        return kResultPassLimit;
    }
    calc_integral(1);
    return 0;
}

}  // namespace h2::predesign
