// The radial inflow turbine module: a nozzle row (or an inlet volute in its
// place) and a wheel entered radially and left axially, sized from the
// module's design values and the expansion from its inlet state to its outlet
// pressure, checked against its limits, solved, and its wheel's height ratio
// checked after the solve.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "case/case_arrays.h"
#include "case/truncated_pi.h"
#include "case/walkers_internal.h"
#include "halvorine2/output.h"
#include "halvorine2/threading.h"
#include "physics/turbine_eff_estimate.h"
#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/module_generators.h"
#include "solver/predesign/point_reason.h"
#include "solver/predesign/radial/annulus_station.h"
#include "solver/predesign/radial_design_rules.h"
#include "solver/predesign/volute_design.h"
#include "solver/solver_api.h"

namespace h2::predesign {
namespace {

constexpr int kNozzle = 1;  // element 1: nozzle row or inlet volute
constexpr int kWheel = 2;   // element 2: the wheel

// Velocity coefficient of the nozzle: the share of the isentropic velocity
// its flow keeps.
constexpr double kNozzleVelocity = 0.93;
// The nozzle's inlet diameter lies this many exit widths beyond its exit.
constexpr double kNozzleDepth = 3.0;
// Exit angle limits a volute module gets when its record has none (degrees).
constexpr double kVoluteAngleLow = 15.0, kVoluteAngleHigh = 35.0;
// Loss seeds of inlet, nozzle and wheel.
constexpr double kInletSeed = 1.0, kNozzleSeed = 0.9, kWheelSeed = 0.837;
// Section angles of radial inflow (degrees), of the volute's circumferential
// entry and of the axial exit.
constexpr double kRadialInflow = -90.0, kCircumferential = 180.0, kAxialExit = 0.0;
constexpr double kBladeRow = 1.0, kInletVolute = 5.0;
constexpr double kAxialSections = 0.0, kRadialSections = 1.0, kAngularSections = 2.0;

// The wheel's blade count rule was fitted over these nozzle exit angles
// (degrees from the circumferential direction); outside them it is read at
// the nearer end.
constexpr double kCountAngleLow = 15.0, kCountAngleHigh = 35.0;

// Prerequisite slots of the turbine rows, with their defaults.
struct Slot {
    int k;
    double fallback;
};
constexpr Slot kTu{51, 0.01}, kRoughness{52, 6.0}, kShroudFactor{53, 0.65}, kSealGap{54, 0.1},
    kSealInlet{55, 0.02}, kSealOutlet{56, 0.02}, kChordFactor{58, 1.5}, kNozzlePitch{59, 0.75},
    kNozzleClearance{60, 0.3}, kNozzleInletEdge{61, 0.05}, kNozzleExitEdge{62, 0.01}, kSealDiameter{65, 0.05},
    kDiskSeal{66, 1e-06}, kDiskTeeth{67, 10.0}, kWheelWidth{68, 1.5}, kWheelClearance{69, 0.002},
    kWheelInletEdge{70, 0.0}, kWheelExitEdge{71, 0.0}, kWheelSealDiameter{75, 1.25}, kShroudSeal{76, 0.001},
    kShroudTeeth{77, 2.0}, kDiskCooling{78, 1.0}, kBladeCooling{79, 0.0};

double get(const bdLocals& b, Slot s) { return slot(b, s.k, s.fallback); }

// A design value that can divide: finite and not 0.
bool divides(double x) { return std::isfinite(x) && x != 0.0; }

int out_of_limits(bdLocals& b) {
    b.cyld_Nc = 0.0;
    b.cyld_eff = 0.0;
    return 101;
}

// A design that cannot be made says why, in one line naming the module, and
// keeps the line in the model's err_text for the search's report of the point.
int impossible(bdLocals& b, int m, const char* why) {
    std::snprintf(b.err_text, sizeof b.err_text, "module %d TURB_RADIAL: %s", m, why);
    h2::predesign::point_reason("%s", b.err_text);
    return out_of_limits(b);
}

}  // namespace

int RadTurbDesign(int m) {
    bdLocals* bp = get_bdLocals();
    PD_module* rec = module(m);
    if (rec == nullptr) return 1;
    PD_module& r = *rec;
    r.elemsPerStage = 2;
    if (!generator_case_ready(bp, kWheel)) return 1;
    bdLocals& b = *bp;
    const int j = b.cyld_nr / 2;
    const double* val = r.PD_VAL;
    b.cyld_ns = 2;
    b.cyld_VARTD = r.Dflag;

    // Diameters and widths are divided by below: a zero or a value that is
    // not finite would size the module from infinities.
    const bool width_given = r.Gflag == 1;
    if (!divides(val[PD_VAR_D]) || !divides(val[PD_VAR_M]) || !divides(val[PD_VAR_CZ]))
        return out_of_limits(b);
    const double i0 = b.elem_i0[0], p0 = b.elem_p0[0], G = b.elem_G1[0], p2 = b.cyld_p2n;
    // No flow sizes the wheel exit as 0 / 0.
    if (!(G > 0.0) || !std::isfinite(G)) return out_of_limits(b);

    const double OM = val[PD_VAR_OM];
    // An outlet at or above the inlet pressure leaves nothing to expand.
    if (!(p2 < p0)) {
        char why[160];
        std::snprintf(why, sizeof why, "outlet pressure %g Pa not below the inlet total pressure %g Pa", p2,
                      p0);
        return impossible(b, m, why);
    }

    // Expansion from the inlet total state to the outlet pressure.
    const double s0 = design_fluid(b, H2_FLUID_S_PI, p0, i0);
    const double eta = turbine_eff_estimate(G, p0, i0, p2);
    const double i2s = design_fluid(b, H2_FLUID_I_PS, p2, s0);
    const double H = i0 - i2s;

    b.bld_wp[0] = 0.0;
    b.bld_wp[kWheel] = OM;
    b.bld_d2s[kNozzle] = val[PD_VAR_D];
    b.elem_R[kWheel] = val[PD_VAR_R];
    b.elem_R[kNozzle] = b.elem_R[kWheel];

    // Nozzle exit: the width given, or the diameter's share of it.
    b.bld_l2[kNozzle] = width_given ? val[PD_VAR_CZ] : val[PD_VAR_D] / val[PD_VAR_CZ];
    b.bld_d2[kNozzle] = val[PD_VAR_D];

    // Nozzle exit state: the stator's share (1 - R) of the head, taken on the
    // inlet isentrope, at the nozzle's velocity coefficient.
    const double i1 = i0 - (1.0 - b.elem_R[kNozzle]) * H;
    const double p1 = design_fluid(b, H2_FLUID_P_IS, i1, s0);
    const double c1 = kNozzleVelocity * std::sqrt(2.0 * (i0 - i1));
    const double rho1 = design_fluid(b, H2_FLUID_RHO_PI, p1, i0 - c1 * c1 / 2.0);

    // Radial velocity at the wheel inlet by continuity; it cannot exceed the
    // nozzle's exit velocity.
    const double cr = G / (kPi * rho1 * b.bld_d2[kNozzle] * b.bld_l2[kNozzle]);
    if (!(cr <= c1)) return out_of_limits(b);
    const double alpha1 = std::asin(cr / c1);
    const double alpha1d = alpha1 / kDegree;

    // Wheel exit: axial at the wheel inlet's radial velocity, by continuity,
    // about the mean exit diameter D / M. A height that would carry the tip
    // beyond kMaxExitTipRatio of the inlet radius or the hub below
    // kMinExitHubTip of the tip is held there and the exit velocity rises to
    // pass the flow; past the nozzle's own velocity the wheel cannot be built.
    const double rho2 = design_fluid(b, H2_FLUID_RHO_PI, p2, i0 - H * eta);
    const double d2 = b.bld_d2[kWheel] = b.bld_d2[kNozzle] / val[PD_VAR_M];
    const double l2_most = std::min(kMaxExitTipRatio * b.bld_d2[kNozzle] - d2,
                                    d2 * (1.0 - kMinExitHubTip) / (1.0 + kMinExitHubTip));
    if (!(l2_most > 0.0)) {
        char why[160];
        std::snprintf(why, sizeof why, "mean exit diameter %g m leaves no exit with r2t/r1 <= %g", d2,
                      kMaxExitTipRatio);
        return impossible(b, m, why);
    }
    double c2m = cr;
    double l2 = G / (kPi * d2 * rho2 * c2m);
    if (l2 > l2_most) {
        l2 = l2_most;
        c2m = G / (kPi * d2 * rho2 * l2);
        if (!(c2m <= c1)) {
            char why[160];
            std::snprintf(
                why, sizeof why,
                "exit velocity %g m/s above the nozzle's %g m/s with r2t/r1 <= %g and hub/tip >= %g", c2m, c1,
                kMaxExitTipRatio, kMinExitHubTip);
            return impossible(b, m, why);
        }
    }
    b.bld_l2[kWheel] = l2;
    b.bld_d2s[kWheel] = d2 - l2;

    if (r.volin_form != 0) {
        // A volute that cannot be sized leaves the nozzle row's own layout.
        (void)rt_volin_design(kNozzle, r.volin_form, alpha1);
        double& lo = r.PD_LIM_lower[PD_LIM_A1];
        double& hi = r.PD_LIM_upper[PD_LIM_A1];
        if (lo == 0.0) lo = kVoluteAngleLow;
        if (hi == 0.0) hi = kVoluteAngleHigh;
        if (r.restoreFlag == 0 && (alpha1d < lo || alpha1d > hi)) return out_of_limits(b);
    }
    if (r.restoreFlag == 0 && b.bld_d2s[kWheel] < r.PD_LIM_lower[PD_LIM_DH]) return out_of_limits(b);

    // States and velocities: radial inflow up to the wheel, axial outflow.
    b.isd_i1x[0][j] = i0;
    b.isd_p1x[0][j] = p0;
    b.elem_p2[kNozzle] = p1;
    b.isd_p2[kNozzle][j] = p1;
    b.elem_p2[kWheel] = p2;
    b.isd_p2[kWheel][j] = p2;
    b.flow_c2r[kNozzle][j] = b.flow_c1r[kNozzle][j] = b.flow_c2r[0][j] = b.flow_c1r[0][j] = -cr;
    b.flow_c1z[kWheel][j] = b.flow_c2z[kNozzle][j] = b.flow_c1z[kNozzle][j] = b.flow_c2z[0][j] =
        b.flow_c1z[0][j] = b.flow_c2r[kWheel][j] = 0.0;
    b.flow_c2z[kWheel][j] = c2m;

    // Flow coefficients over the blade speeds at the wheel inlet and exit.
    const double u1 = 0.5 * b.bld_d2[kNozzle] * OM;
    const double u2 = 0.5 * b.bld_d2[kWheel] * OM;
    b.elem_cz_[0] = std::fabs(b.flow_c2r[0][j]) / u1;
    b.elem_cz_[kNozzle] = std::fabs(b.flow_c2r[kNozzle][j]) / u1;
    b.elem_cz_[kWheel] = b.flow_c2z[kWheel][j] / u2;

    // Loss seeds and element kinds.
    b.los_Los[0][j] = kInletSeed;
    if (r.volin_form == 0) {
        b.elem_stagType[kNozzle] = kBladeRow;
        b.elem_sectType[0] = kRadialSections;
        b.cas_t1[kNozzle][j] = kRadialInflow;
        b.cas_t2[0][j] = kRadialInflow;
        b.cas_t2[kNozzle][j] = kRadialInflow;
    } else {
        b.elem_stagType[kNozzle] = kInletVolute;
        b.elem_sectType[0] = kAngularSections;
        b.cas_t1[kNozzle][j] = kCircumferential;
        b.cas_t2[0][j] = kCircumferential;
        b.cas_t2[kNozzle][j] = kRadialInflow;
    }
    b.los_Los[kNozzle][j] = kNozzleSeed;
    b.los_Los[kWheel][j] = kWheelSeed;

    // Both rows take the case's model switches (MethodZ stays as it is).
    const auto methods = [&](double* row, int method) { row[kNozzle] = row[kWheel] = method; };
    methods(b.elem_MethodP, b.cyld_MethodP);
    methods(b.elem_MethodS, b.cyld_MethodS);
    methods(b.elem_MethodN, b.cyld_MethodN);
    methods(b.elem_MethodV, b.cyld_MethodV);
    methods(b.elem_MethodR, b.cyld_MethodR);
    methods(b.elem_MethodD, b.cyld_MethodD);
    methods(b.elem_MethodB, b.cyld_MethodB);

    b.elem_sectType[kNozzle] = kRadialSections;
    b.elem_sectType[kWheel] = kAxialSections;
    b.elem_stagType[kWheel] = kBladeRow;
    b.cas_t2[kWheel][j] = kAxialExit;
    for (int e : {kWheel, kNozzle}) {
        b.elem_Gotb2[e] = 0.0;
        b.elem_VI[e] = -1.0;
        b.elem_NSEGM[e] = 1.0;
        b.elem_Pa[e] = 1.0;
    }
    // A direct task passes the flow through the inlet's whole annulus and
    // turns it by the rows' gauging angles: without them it solves nothing.
    // The design's own triangles give them: the nozzle's exit angle, and the
    // wheel's relative exit angle of a swirl-free axial exit (from the wheel's
    // backward tangent, as a direct task reads a rotor's).
    b.elem_Pa[0] = 1.0;
    b.cas_B2a[kNozzle][j] = alpha1d;
    b.cas_B2a[kWheel][j] = std::atan2(c2m, 0.5 * b.bld_d2[kWheel] * OM) / kDegree;

    // Nozzle inlet diameter, carried to the module inlet.
    b.bld_d1[kNozzle] = b.bld_d2[kNozzle] + kNozzleDepth * b.bld_l2[kNozzle];
    b.bld_d2[0] = b.bld_d1[kNozzle];
    b.bld_d1[0] = b.bld_d2[0];
    b.bld_d2s[0] = b.bld_d1[0];
    if (is_sect_type1(0) != 0 && r.restoreFlag == 0 && b.bld_d2s[0] > r.PD_LIM_upper[PD_LIM_DS])
        return out_of_limits(b);

    b.bld_l1[kNozzle] = b.bld_l2[kNozzle];
    b.bld_l2[0] = b.bld_l1[kNozzle];
    b.bld_l1[0] = b.bld_l2[0];

    // The nozzle row's inlet, radial and without swirl, lies at its larger
    // inlet diameter: continuity there, not the exit's radial velocity (which
    // would pass more than the flow).
    if (r.volin_form == 0) {
        const double rho0 = design_fluid(b, H2_FLUID_RHO_PI, p0, i0);
        const AnnulusStation in =
            annulus_station(b, G, kPi * b.bld_d1[kNozzle] * b.bld_l1[kNozzle], i0, s0, 0.0, rho0);
        if (!in.ok) return out_of_limits(b);
        b.flow_c2r[0][j] = b.flow_c1r[0][j] = b.flow_c1r[kNozzle][j] = -in.cm;
        b.elem_cz_[0] = in.cm / u1;
    }

    // A nozzle wider than its diameter leaves no shroud: nothing to solve.
    b.bld_du[kNozzle] = (b.bld_d2[kNozzle] - b.bld_l2[kNozzle]) * get(b, kShroudFactor);
    if (b.bld_du[kNozzle] < 0.0) return out_of_limits(b);

    // Nozzle row.
    b.bld_Tu[kNozzle] = get(b, kTu);
    b.bld_k[kNozzle] = get(b, kRoughness);
    const double B1 = b.cas_B[kNozzle][j] = (b.bld_d1[kNozzle] - b.bld_d2[kNozzle]) / 2.0;
    const double chord1 = b.cas_b[kNozzle][j] = B1 * get(b, kChordFactor);
    b.cas_bx[kNozzle][j] = chord1;
    b.cas_tb[kNozzle][j] = get(b, kNozzlePitch);
    b.cas_t[kNozzle][j] = b.cas_tb[kNozzle][j] * chord1;
    b.cas_r1[kNozzle][j] = get(b, kNozzleInletEdge) * chord1;
    b.cas_r2[kNozzle][j] = get(b, kNozzleExitEdge) * chord1;
    // A whole number of vanes (the nearest), and the pitch they make.
    b.bld_z[kNozzle] = std::max(1.0, std::round(3.0 * b.bld_d2[kNozzle] / b.cas_t[kNozzle][j]));
    b.cas_t[kNozzle][j] = 3.0 * b.bld_d2[kNozzle] / b.bld_z[kNozzle];
    b.cas_tb[kNozzle][j] = b.cas_t[kNozzle][j] / chord1;
    b.clrn_to[kNozzle] = get(b, kNozzleClearance) * chord1;
    b.cas_B1g[kNozzle][j] = 90.0;
    b.cas_B1[kNozzle][j] = 90.0;
    b.cas_w1[kNozzle][j] = 36.0 - (b.cas_B1g[kNozzle][j] - 30.0) / 4.0;
    b.cas_w2[kNozzle][j] = b.cas_w1[kNozzle][j] / 2.0;
    b.cas_d[kNozzle][j] = b.cas_w2[kNozzle][j];

    // Wheel: its blade count grows with the nozzle exit angle away from 33
    // degrees, read within the angles the rule was fitted over, and made the
    // nearest whole number.
    const double l2w = b.bld_l2[kWheel];
    b.cas_B[kWheel][j] = get(b, kWheelWidth) * l2w;
    b.bld_dub[kWheel] = b.bld_d2[kWheel] + l2w + get(b, kWheelClearance);
    b.clrn_to[kWheel] = get(b, kWheelClearance);
    b.bld_Tu[kWheel] = get(b, kTu);
    b.bld_k[kWheel] = get(b, kRoughness);
    const double chord2 = b.cas_b[kWheel][j] = get(b, kChordFactor) * b.cas_B[kWheel][j];
    b.cas_bx[kWheel][j] = chord2;
    const double a = std::clamp(alpha1d, kCountAngleLow, kCountAngleHigh);
    b.bld_z[kWheel] = std::round(((a - 20.0) * 0.05 + 1.0) * ((33.0 - a) * 0.03 * (33.0 - a) + 12.0));
    b.cas_t[kWheel][j] = kPi * b.bld_d2[kWheel] / b.bld_z[kWheel];
    b.cas_tb[kWheel][j] = b.cas_t[kWheel][j] / chord2;
    b.cas_r1[kWheel][j] = get(b, kWheelInletEdge) * chord2;
    b.cas_r2[kWheel][j] = get(b, kWheelExitEdge) * chord2;
    b.cas_w1[kWheel][j] = 5.0;
    b.cas_w2[kWheel][j] = 5.0;
    b.cas_d[kWheel][j] = 16.0;

    // Clearances and seals.
    b.clrn_Zrr[kNozzle] = get(b, kShroudTeeth);
    b.clrn_Zrd[kNozzle] = get(b, kDiskTeeth);
    b.clrn_d1[kNozzle] = get(b, kSealDiameter) * chord1;
    b.clrn_d1[kWheel] = get(b, kWheelSealDiameter) * b.clrn_d1[kNozzle];
    b.clrn_b1n[kWheel] = get(b, kSealGap) * chord2;
    b.clrn_b1n[kNozzle] = b.clrn_b1n[kWheel];
    b.clrn_a1n[kWheel] = get(b, kSealInlet) * chord2;
    b.clrn_a1n[kNozzle] = b.clrn_a1n[kWheel];
    b.clrn_a2n[kWheel] = get(b, kSealOutlet) * chord2;
    b.clrn_a2n[kNozzle] = b.clrn_a2n[kWheel];
    b.clrn_SRO[kWheel] = b.clrn_d1[kNozzle];
    b.clrn_SROY[kWheel] = b.clrn_d1[kWheel];
    b.bld_l1[kWheel] = b.bld_l2[kNozzle];
    b.bld_d1[kWheel] = b.bld_d2[kNozzle] - 2.0 * b.clrn_d1[kNozzle];
    b.clrn_drd[kNozzle] = get(b, kDiskSeal) * b.bld_du[kNozzle];
    b.clrn_drr[kWheel] = get(b, kShroudSeal) * b.bld_dub[kWheel];
    b.stgtd_Tdy[kNozzle] = get(b, kDiskCooling);
    b.stgtd_Tby[kWheel] = get(b, kBladeCooling);

    b.cyld_ns = 2;
    const int solved = bestXN();
    if (solved != 0) return solved;

    // The wheel's exit-to-inlet height ratio, checked on every point.
    const double q = b.bld_l2[kWheel] / b.bld_l1[kWheel];
    if (!(q >= r.PD_VAR_lower[PD_VAR_KZ] && q <= r.PD_VAR_upper[PD_VAR_KZ])) return out_of_limits(b);
    return 0;
}

}  // namespace h2::predesign
