// Centrifugal compressor stages: the element generators a stage is built
// from, the stage sequence that runs them under its head-coefficient
// iteration, and the frame every element generator shares.
//
// Every generator works on the calling thread's current case, one-
// dimensionally on the mid streamline j = cyld__nr / 2, and returns 0 when
// its element is complete and non-zero when it failed (without a message).
#pragma once

#include <cmath>

#include "case/truncated_pi.h"
#include "halvorine2/case_block.h"
#include "halvorine2/fluid_plugin.h"
#include "solver/predesign/predesign_tables.h"

namespace h2::predesign {

// elem__moduleType of every element of a centrifugal compressor module.
inline constexpr double kCentrifugalModule = 5.0;

// Iterating generators allow at least this many passes.
inline constexpr int kLeastPasses = 150;
// Their convergence tolerance never falls below this.
inline constexpr double kLeastTolerance = 1e-6;

// The pass limit of an iterating generator: IM, never below kLeastPasses.
inline int pass_limit(const bdLocals& b) { return b.IM > kLeastPasses ? b.IM : kLeastPasses; }
// The convergence tolerance: acc_limit, never below kLeastTolerance.
inline double pass_tolerance(const bdLocals& b) {
    return b.acc_limit > kLeastTolerance ? b.acc_limit : kLeastTolerance;
}

// Gain of the head-coefficient correction for a stage pressure ratio: small
// ratios react weakly to the head, so their correction is amplified.
inline double head_gain(double stage_ratio, double relax) {
    if (stage_ratio < 1.05) return 2.0;
    if (stage_ratio < 1.1) return 1.0;
    return relax > 0.2 ? relax : 0.2;
}

// Main-fluid property with the case's fluid constant, as the generators call it.
inline double design_fluid(const bdLocals& b, int code, double a, double b_) {
    return b.fluid_func(code, a, b_, b.cyld_af, H2_FLUID_MAIN);
}

// Slot k of the case's prerequisite block; `fallback` (the slot's default)
// for a case without one.
inline double slot(const bdLocals& b, int k, double fallback) { return prereq_slot(&b, k, fallback); }

// Angle helpers in degrees, with the truncated degree of the design rules.
inline double sin_deg(double a) { return std::sin(a * kDegree); }
inline double cos_deg(double a) { return std::cos(a * kDegree); }
inline double tan_deg(double a) { return std::tan(a * kDegree); }
inline double atan2_deg(double y, double x) { return std::atan2(y, x) / kDegree; }

// The fields every element of a centrifugal stage carries: its kind, the
// module type, and the solver's neutral values of the flow path options.
void write_stage_element(bdLocals& b, int i, double stagType);

// Vane layout of a vaned diffuser: one circular arc from radius d1/2 at the
// angle b1g to radius d2/2 at the angle a2 (degrees from the circumferential
// direction), and the vane count at which the channel between two vanes
// widens at the divergence angle over the arc length.
struct VaneArc {
    double R;       // arc radius
    double rho;     // distance of the arc centre from the axis
    double theta1;  // polar angle of the arc centre seen from the vane ends, degrees
    double theta2;
    double L;      // vane length along the arc
    double count;  // vane count before truncation
    int z;         // vanes (0 when the count is not finite)
};
VaneArc vane_arc(double d1, double d2, double b1g, double a2, double divergence);

// Element generators (index i of the element, imp the stage's impeller).
int rc_igv_design(int igv_form, int lbau_form, int imp);
int rc_impeller_design(int i, int igv_form);

// Parasitic work of impeller i (J/kg) on streamline j: its disk friction and
// its clearance flow's share of the Euler work, as the last pass left them.
double impeller_parasitic_work(const bdLocals& b, int i, int j);

// Diameter at which impeller i's blades meet the inflow at their tip: the
// eye's outer diameter with an axial inflow, the inlet diameter with a radial one.
double impeller_inlet_tip_diameter(const bdLocals& b, int i, int j);

// Relative velocity ratio W2 / W1t of impeller i: its outlet relative velocity
// over the relative velocity at its inlet tip (0 without an inlet velocity).
double impeller_relative_diffusion(const bdLocals& b, int i, int j);
int rc_vldiff_design(int i);
int rc_vaned_diff_design(int i);
int rc_volin_design(int i, int volin_form, int imp);
int rc_lbau_design(int i, int lbau_form, int imp);
int rc_lbda_design(int i, int lbda_form, int imp);
int rc_ubend_design(int i, int uband_form, int imp);
int rc_desw_design(int i, int desw_form, int imp);
int rc_volout_design(int i, int volout_form, int imp);
// The volute slot of a stage before a module's last: element i carries the
// outflow of element i - 1 on unchanged (a duct of no length). 0 done, 1 for
// an element outside the path.
int rc_passage_design(int i);

// U-bend proportions from its inlet width b1: outlet width b1 widthRatio,
// inner wall radius b1 radiusRatio, outer wall radius (b1 + b2) / 2 + Rh.
void rc_ubend_dims(double b1, double widthRatio, double radiusRatio, double* b2, double* Rh, double* Rt);

// Stage failure codes: the element that failed, or the head iteration.
enum StageCode {
    kStageDone = 0,
    kStageInletVolute = 1,
    kStageImpeller = 2,
    kStageVanelessDiffuser = 3,
    kStageVanedDiffuser = 4,
    kStageUBend = 6,
    kStageDeswirler = 7,
    kStageOutletVolute = 8,
    kStageNotMet = 9,  // outlet pressure not met in the passes allowed, or not a number
    kStageKind11Bend = 10,
    kStageKind12Bend = 45,
    kStageGuideVanes = 100,
};

// Generates one stage of module m and iterates the impeller's head coefficient
// until the stage's last element delivers the target outlet pressure. first 0
// is the first stage of a path (it also makes the inlet guide vanes and the
// inlet volute), else the index of the stage's first element. Returns a
// StageCode; kStageNotMet also for a stage that does not fit the case.
// What a code of rc_stage_design says failed, as a phrase for a message.
const char* stage_failure(int code);

int rc_stage_design(int first, int m, int volin_form, int igv_form, int diff_form, int uband_form,
                    int desw_form, int volout_form, int lbau_form, int lbda_form);

}  // namespace h2::predesign
