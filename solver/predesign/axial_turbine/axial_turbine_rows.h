// What the axial and the Curtis turbine module generators share: the
// expansion of the module from its inlet state to its outlet pressure, the
// first stage's start values from the design variables, the chord charts of
// the rows, the model switches every row takes, and the stage layout of the
// axial module. A stage k (from 0) is stator 2k + 1 and rotor 2k + 2; element
// 0 is the module inlet. Everything works at the middle section.
#pragma once

#include "halvorine2/case_block.h"
#include "halvorine2/predesign.h"

namespace h2::predesign {

// The module expansion: the inlet total state, speed, flow and outlet
// pressure the composer put into the model, the isentropic and the expected
// outlet states.
struct TurbineExpansion {
    double p0, i0, om, G, p2n;
    double s0;   // inlet entropy; 0.0 marks a fluid without entropy
    double rho;  // inlet density, the first continuity density
    double eta;  // expected efficiency of the module
    double i2s;  // isentropic outlet enthalpy
    double H0;   // isentropic drop i0 - i2s
    double i2;   // expected outlet enthalpy i0 - eta H0
    double s2;   // expected outlet entropy
};
TurbineExpansion turbine_expansion(const bdLocals& b, const PD_module& r);
// True when the module's outlet lies below its inlet; otherwise the reason is
// given (`kind` names the module type) and the generator refuses the point.
bool expansion_possible(const TurbineExpansion& x, const char* kind, int m);

// First-stage start values by Gflag: 0 or 1 give the first stator's height
// and mean diameter (and the stage reaction) from D and CZ; any other value
// reads CZ as the stator exit angle and gives the velocity ratio a0 and the
// squared axial velocity q. False for a Dflag outside 0..2 (nothing sized).
struct FirstStageStart {
    double a0 = 0.0;
    double q = 0.0;
};
bool first_stage_start(bdLocals& b, const PD_module& r, double om, FirstStageStart& start);

// Height and mean diameter of the first stator for the axial velocity
// sqrt(q) by continuity (G = rho c_z pi d l Pa) with D a hub, mean or tip
// diameter by Dflag.
void first_stator_by_continuity(bdLocals& b, const PD_module& r, double G, double q, double rho);

// Reaction at the mean diameter from the hub reaction R over the height ratio
// l / d of the row: 1 - (1 - l/d)^1.8 (1 - R), at most 0.69.
double mean_reaction(double l_over_d, double R);

// Chord per blade height of a stator or rotor over theta = d / l, the linear
// chart with its end intervals extended.
double stator_chord_ratio(double theta);
double rotor_chord_ratio(double theta);

// Element e takes the case's loss and model switches.
void row_methods(bdLocals& b, int e);

// Annulus height of a stator from continuity on the hub-diameter form, for
// axial velocity c_z, density rho and admission Pa: (sqrt(4G/(c_z pi rho Pa)
// + D^2) - D) / 2.
double stator_height(double G, double cz, double rho, double Pa, double D);

// Partial-admission ratio that a row may carry: above 1 or exactly 0 means
// full admission.
inline double admission(double pa) { return pa > 1.0 || pa == 0.0 ? 1.0 : pa; }

// Lays out the rows of the `stages` stages of axial turbine module m in the
// current case: numbering, chords, pitches, blade counts, seals, gaps,
// limits, cooling and blade density. 0, or 101 for a negative diaphragm seal
// diameter or a rotor hub or tip outside the module's limits (then cyld__Nc
// and cyld__eff are 0); 1 for a case or record unfit to hold the module.
int AxTurbDesignStages(int m, int stages);

}  // namespace h2::predesign
