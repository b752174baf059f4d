// Mean-line rows of axial compressor and fan modules on the middle streamline
// m = cyld__nr / 2 of the current case: the module inlet section, rotor,
// stator and guide-vane rows, and the flow-path geometry built from the rows'
// heights and blade counts. The generators and regeneration passes of the
// modules call them in flow order; each row reads the outlet of the element in
// front of it. None checks its inputs: the callers hand them a case that can
// be solved and elements inside it.
#pragma once

#include "case/truncated_pi.h"
#include "halvorine2/case_block.h"

namespace h2::predesign {

// Module inlet (element 0) from its total state, the axial velocity cz and the
// absolute inlet angle alpha1 (degrees; 90 is axial). 0, or 1 when the static
// enthalpy at the hub under constant angular momentum is not positive (the
// section is written all the same).
int ac_row_state(double cz, double alpha1);
// The fan module's inlet; cz 0 takes the fan rotor's flow coefficient times its
// blade speed (25 m/s when that is 0 too). Always 0.
int af_row_state(double cz, double alpha1);

// Rotor row i from its loading elem__Ht[i] and the outlet of element i - 1:
// Euler work, triangles, states, loss, blade count and height. Always 0.
int ac_rotor_row(int i);
// The fan rotor: work from the inlet blade speed, no pitch or blade count.
int af_rotor_row(int i);
// Stator row k + 1 behind rotor k, turning the flow back to the swirl at
// rotor k's inlet scaled by the axial velocity. Always 0.
int ac_stator_row(int k);
// Guide-vane row i with the outlet angle alpha2: kind 0 takes the compressor
// loss models, any other kind the accelerating (turbine) models. 0, or 1 when
// the hub static enthalpy is not positive.
int ac_guide_vane_row(int i, int kind, double alpha2);

// Radii, areas, pitch, chord, stagger and axial positions of the run
// first..last (g, o: inlet and outlet guide-vane rows present); withPrereq
// applies the module's prerequisite factors (edge radii, seals, wedges).
// 0, or 1 when a stage row gets a negative hub radius.
int ac_row_geometry(int withPrereq, int hasInletGuideVane, int hasOutletGuideVane, int first, int last);
// The fan rotor's radii (and with withPrereq its edges, stagger and axial
// length). 0, or 1 on a negative hub radius.
int af_row_geometry(int withPrereq);

// Annulus height that carries the flow G at mean diameter d, density rho,
// axial velocity cz and flow-area factor Fp (continuity G = rho cz pi d l Fp).
inline double annulus_height(double G, double d, double rho, double cz, double Fp) {
    return G / (d * kPi * rho * cz * Fp);
}

// Mean diameter of a row of height l by its diameter law from the held
// diameter D: 0 hub held (D + l), 2 tip held (D - l), any other mean held (D).
inline double mean_diameter(int law, double D, double l) {
    if (law == 0) return D + l;
    if (law == 2) return D - l;
    return D;
}

}  // namespace h2::predesign
