// The hub-to-casing march of the per-streamline element solvers. Across an
// element's outlet the stream function G (mass flow per radian) grows by one
// stream tube ZAG from each streamline to the next; the speed and the radius
// of the streamlines follow from their slopes dw/dG and dr/dG, integrated by
// Heun's method (a predictor at streamline j, a corrector at j + 1). The hub
// speed is right when the last stream tube closes on the casing.
#pragma once

#include "halvorine2/case_block.h"

namespace h2 {

// Slopes of a streamline's speed and radius with respect to the stream function.
struct StreamSlopes {
    double dw_dG;
    double dr_dG;
};

// Marches element i's outlet from the hub streamline, whose speed and radius
// are already in flow__w2[i][0] and flow__r2[i][0], to the casing. stage(k)
// solves streamline k at the speed and radius held in flow__w2[i][k] and
// flow__r2[i][k], writes its state and returns its slopes. Every streamline
// ends with the state of its corrected speed and radius: 0 to n - 1 from their
// predictor stage, the last one from a stage of its own after the march (its
// corrector ran at the predicted values, and a state left there would miss
// the rothalpy and the triangle of the speed stored). Returns minus the
// square of the relative miss of the casing radius bld__Rt2[i].
template <class Stage>
double march_hub_to_tip(bdLocals& b, int i, Stage&& stage) {
    const int n = b.cyld_nr - 1;
    const double h = b.ZAG;
    double* w = b.flow_w2[i];
    double* r = b.flow_r2[i];
    for (int j = 0; j < n; ++j) {
        const StreamSlopes p = stage(j);
        r[j + 1] = r[j] + h * p.dr_dG;
        w[j + 1] = w[j] + h * p.dw_dG;
        const StreamSlopes c = stage(j + 1);
        r[j + 1] = r[j] + h * (p.dr_dG + c.dr_dG) / 2.0;
        w[j + 1] = w[j] + h * (p.dw_dG + c.dw_dG) / 2.0;
    }
    if (n > 0) (void)stage(n);
    const double d = r[n] / b.bld_Rt2[i] - 1.0;
    return -d * d;
}

}  // namespace h2
