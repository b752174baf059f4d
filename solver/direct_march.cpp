// The direct task: one march from the inlet to the outlet for the given mass
// flow, each element's outlet state found for the flow that reaches it.
#include "case/current_case.h"
#include "halvorine2/threading.h"
#include "physics/heat_exchanger.h"
#include "solver/solver_api.h"
#include "solver/solver_conventions.h"
#include "solver/solver_internal.h"
#include "solver/solver_state.h"

namespace {

// Accuracy of a march that stopped at an element that cannot pass its flow.
constexpr double kFailedMarch = 1e6;

// Records element i as the one the march stopped at, with its choke flow.
double failed_at(const bdLocals& b, int i) {
    h2::march_failure() = {i, b.choke_Gmax, b.elem_G2[i]};
    return kFailedMarch;
}

// The inlet element has no length: its inlet station takes its outlet's velocities.
void inlet_velocities_from_outlet(bdLocals& b, int m) {
    b.flow_c1u[0][m] = b.flow_c2u[0][m];
    b.flow_c1z[0][m] = b.flow_c2z[0][m];
    b.flow_c1r[0][m] = b.flow_c2r[0][m];
    b.flow_c1s[0][m] = b.flow_c2s[0][m];
}

}  // namespace

extern "C" {

double solve_given_mfr(void) {
    bdLocals& b = *h2::current_case();
    const int m = h2::mid_stream(b);
    double S = 0.0;
    double y = h2::fluid(b, H2_FLUID_DRYNESS, b.elem_p0[0], b.elem_i0[0], 0);
    b.wet_stage_count = b.cyld_ns / 2;
    b.elem_G2[0] = b.elem_G1[0];
    h2::march_failure() = {};
    for (int i = 0; i <= b.cyld_ns; ++i) {
        if (b.elem_stagType[i] == h2::kKindHeatExchanger) {
            // A heat exchanger has no velocity to search for: it is solved from
            // the element before it on the mean line, then spread.
            if (heat_exchanger_elem(i) != 0) return failed_at(b, i);
            b.delta[i] = 0.0;
            span_flow(i, 1);
        } else if (!(b.cyld_nr > 1 && b.cyld_force1D == 0 && b.elem_sectType[i] == h2::kSectAxial)) {
            if (ChaVel(i) != 0) return failed_at(b, i);
            if (i == 0) {
                b.isd_p1[0][m] = b.isd_p2[0][m];
                b.isd_i1[0][m] = b.isd_i2[0][m];
                b.isd_i2x[0][m] = b.isd_i1x[0][m];
                b.isd_Ro1[0][m] = b.isd_Ro2[0][m];
                inlet_velocities_from_outlet(b, m);
                b.flow_w1[0][m] = b.flow_w2[0][m];
                b.flow_c1[0][m] = b.flow_w1[0][m];
            }
            span_flow(i, 1);
        } else if (ChaVel2D(i) != 0) {
            return failed_at(b, i);
        }
        complete_elem_state(i, &y);
        if (i == 0) inlet_velocities_from_outlet(b, m);
        S += b.delta[i];
    }
    return S;
}
}
