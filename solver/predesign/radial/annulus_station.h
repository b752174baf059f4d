// The state of a flow crossing an annulus at a known total enthalpy and
// entropy: the meridional velocity that continuity asks for there and the
// static state that velocity leaves.
#pragma once

#include "halvorine2/case_block.h"

namespace h2::predesign {

struct AnnulusStation {
    double cm = 0.0;   // meridional velocity, G / (rho area)
    double c = 0.0;    // absolute velocity, with the swirl given
    double i = 0.0;    // static enthalpy, i0 - c^2 / 2
    double p = 0.0;    // static pressure on the entropy given
    double rho = 0.0;  // the density continuity was met with
    bool ok = false;   // false: no static enthalpy left or no convergence
};

// Flow G (kg/s) through `area` (m^2) with swirl cu, total enthalpy i0 and
// entropy s; rho_guess starts the density iteration. Continuity holds exactly
// with the returned density, and i + c^2 / 2 = i0; the density of (p, i) meets
// it to the case's pass tolerance.
AnnulusStation annulus_station(const bdLocals& b, double G, double area, double i0, double s, double cu,
                               double rho_guess);

}  // namespace h2::predesign
