// Hub-to-casing march of the per-streamline element solvers: the outlet
// streamlines of an element are placed one stream tube (the same mass flow
// per radian, ZAG) apart by integrating the speed and radius gradients of
// radial equilibrium with Heun's method, and the element's defect is how far
// the last tube misses the casing.
#pragma once

#include "halvorine2/case_block.h"

namespace h2 {

// Gradients of a streamline's speed and radius with respect to the mass flow
// per radian counted from the hub.
struct TubeGradient {
    double dw;
    double dr;
};

// Marches element i from the hub streamline, whose flow__r2 and flow__w2 are
// set, to the casing. stage(k) writes the outlet state of streamline k for the
// radius and speed held in flow__r2[i][k] and flow__w2[i][k] and returns its
// gradients. Every streamline but the last keeps the state of its corrected
// radius and speed, the last that of its predicted ones. Returns minus the
// square of the relative miss of the casing radius bld__Rt2.
template <class Stage>
double march_to_casing(bdLocals& b, int i, Stage&& stage) {
    const int n = b.cyld_nr - 1;
    const double h = b.ZAG;
    for (int j = 0; j < n; ++j) {
        // An Euler step from streamline j, then the mean of the gradients at
        // both ends.
        const TubeGradient p = stage(j);
        b.flow_r2[i][j + 1] = b.flow_r2[i][j] + h * p.dr;
        b.flow_w2[i][j + 1] = b.flow_w2[i][j] + h * p.dw;
        const TubeGradient c = stage(j + 1);
        b.flow_r2[i][j + 1] = b.flow_r2[i][j] + h * (p.dr + c.dr) / 2;
        b.flow_w2[i][j + 1] = b.flow_w2[i][j] + h * (p.dw + c.dw) / 2;
    }
    const double d = b.flow_r2[i][n] / b.bld_Rt2[i] - 1.0;
    return -d * d;
}

}  // namespace h2
