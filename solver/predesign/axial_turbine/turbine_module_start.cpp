// The start of an axial or Curtis turbine module: the expansion from the
// module inlet to its outlet pressure, the first stage's start values, the
// continuity height of a stator, and the chord charts of the rows.
#include <cmath>

#include "case/case_arrays.h"
#include "case/truncated_pi.h"
#include "numerics/one_dim.h"
#include "physics/turbine_eff_estimate.h"
#include "solver/predesign/axial_turbine/axial_turbine_rows.h"
#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/point_reason.h"

namespace h2::predesign {
namespace {

// A velocity ratio smaller than this asks for the built-in estimate.
constexpr double kLeastVelocityRatio = 1e-6;

// Chord per height over theta = d / l: stators and rotors.
constexpr double kChartTheta[4] = {2.0, 12.0, 16.0, 20.0};
constexpr double kStatorChord[4] = {0.25, 1.25, 1.5, 1.5};
constexpr double kRotorChord[4] = {0.15, 0.6, 0.7, 0.7};

}  // namespace

TurbineExpansion turbine_expansion(const bdLocals& b, const PD_module& r) {
    TurbineExpansion x{};
    x.p0 = b.elem_p0[0];
    x.i0 = b.elem_i0[0];
    x.om = b.bld_wp[0];
    x.G = r.PD_SRC_G;
    x.p2n = b.cyld_p2n;
    x.s0 = design_fluid(b, H2_FLUID_S_PI, x.p0, x.i0);
    x.rho = design_fluid(b, H2_FLUID_RHO_PI, x.p0, x.i0);
    x.eta = turbine_eff_estimate(b.elem_G1[0], x.p0, x.i0, x.p2n);
    x.i2s = design_fluid(b, H2_FLUID_I_PS, x.p2n, x.s0);
    x.H0 = x.i0 - x.i2s;
    x.i2 = x.i0 - x.eta * x.H0;
    x.s2 = design_fluid(b, H2_FLUID_S_PI, x.p2n, x.i2);
    return x;
}

bool expansion_possible(const TurbineExpansion& x, const char* kind, int m) {
    if (x.p2n < x.p0) return true;
    point_reason("%s module %d: outlet pressure %.6g Pa not below the inlet total pressure %.6g Pa", kind, m,
                 x.p2n, x.p0);
    return false;
}

// The mean reaction of a tall stage grows past what a stage is designed for:
// above 0.7 the rotor takes most of the expansion, and its relative exit
// speed, tip leakage and axial thrust grow with it, so the mean is held there
// (the hub then runs below the record's value). Held a little below, since
// the work-split correction moves the stage pressures after the sizing.
constexpr double kMostMeanReaction = 0.69;

double mean_reaction(double l_over_d, double R) {
    return std::fmin(1.0 - std::pow(1.0 - l_over_d, 1.8) * (1.0 - R), kMostMeanReaction);
}

bool first_stage_start(bdLocals& b, const PD_module& r, double om, FirstStageStart& start) {
    if (r.Dflag < 0 || r.Dflag > 2) return false;
    const double D = r.PD_VAL[PD_VAR_D], CZ = r.PD_VAL[PD_VAR_CZ], R = r.PD_VAL[PD_VAR_R];
    if (r.Gflag == 0 || r.Gflag == 1) {
        // CZ is the first stator's height (Gflag 1) or its ratio theta = d / l.
        double l = 0.0;
        if (r.Gflag == 1)
            l = CZ;
        else if (r.Dflag == 0)
            l = D / (CZ - 1.0);
        else if (r.Dflag == 1)
            l = D / CZ;
        else
            l = D / (CZ + 1.0);
        const double d = r.Dflag == 0 ? D + l : r.Dflag == 1 ? D : D - l;
        b.bld_l2[1] = l;
        b.bld_d2[1] = d;
        b.elem_R[2] = b.elem_R[1] = mean_reaction(l / d, R);
        return true;
    }
    // CZ is the stator exit angle: the axial exit velocity from the blade
    // speed at the velocity ratio.
    const double alpha = CZ * kDegree;
    const double HT = r.PD_VAL[PD_VAR_HT];
    start.a0 = std::fabs(HT) >= kLeastVelocityRatio ? HT : 0.49 * std::cos(alpha) / std::sqrt(1.0 - R);
    double x = 0.0;
    if (r.Dflag == 0)
        x = std::tan(alpha) * om * D * (1.0 - R) / 0.98;
    else
        x = std::sin(alpha) * (0.5 * om * D * (1.0 - R) / start.a0) * (r.Dflag == 1 ? 0.95 : 0.9);
    start.q = x * x;
    return true;
}

void first_stator_by_continuity(bdLocals& b, const PD_module& r, double G, double q, double rho) {
    const double D = r.PD_VAL[PD_VAR_D];
    const double flux = std::sqrt(q) * kPi * rho * b.elem_Pa[1];  // G per annulus d l
    const double A = 4.0 * G / flux;
    double l = 0.0, d = 0.0;
    if (r.Dflag == 0) {
        l = (std::sqrt(A + D * D) - D) * 0.5;
        d = D + l;
    } else if (r.Dflag == 1) {
        l = G / (flux * D);
        d = D;
    } else {
        l = (D - std::sqrt(D * D - A)) * 0.5;
        d = D - l;
    }
    b.bld_l2[1] = l;
    b.bld_d2[1] = d;
}

double stator_height(double G, double cz, double rho, double Pa, double D) {
    return (std::sqrt(4.0 * G / (cz * kPi * rho * Pa) + D * D) - D) * 0.5;
}

double stator_chord_ratio(double theta) { return interp1(4, kChartTheta, kStatorChord, theta); }
double rotor_chord_ratio(double theta) { return interp1(4, kChartTheta, kRotorChord, theta); }

void row_methods(bdLocals& b, int e) { copy_method_switches(b, e); }

}  // namespace h2::predesign
