// Mean-line inlet of the flow path: the trial speed at the inlet section sets
// the static state from the inlet totals, and with it either the mass flow
// that enters (given outlet pressure, gauging angles) or the inlet total
// pressure that passes the case's flow (given mass flow).
#include <cmath>
#include <limits>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/threading.h"
#include "solver/gravity_head.h"
#include "solver/meanline_triangle.h"
#include "solver/solver_conventions.h"
#include "solver/solver_internal.h"

namespace {

// Inverse tasks by what the inlet does for them.
bool fits_inlet_pressure(int task) { return task == 30 || task == 300; }
bool sets_inlet_flow(int task) { return task == 20 || task == 200 || task == 40 || task == 400; }

}  // namespace

extern "C" {

void inlet_p0_from_flow(double cn) {
    bdLocals* c = get_bdLocals();
    if (c == nullptr) return;
    bdLocals& b = *c;
    const int m = h2::mid_stream(b);
    // Element 1 takes its leakage off the case's flow; without an element 1
    // there is no such leakage (and no array slot to read it from).
    const double taken_off = b.cyld_ns >= 1 ? b.elem_Gdu[1] : 0.0;
    b.elem_G1[0] = b.cyld_G - taken_off;
    // Continuity at the inlet section fixes the density.
    b.isd_Ro2[0][m] = b.elem_G1[0] / (std::fabs(cn) * b.bld_F2[0]);
    // The fluid model is told the inlet total pressure it had before the fit.
    (void)b.fluid_func(H2_FLUID_ELEMENT_P0, b.elem_p0[0], 0.0, 0.0, H2_FLUID_MAIN);
    b.isd_p2[0][m] = h2::fluid(b, H2_FLUID_P_RHOI, b.isd_Ro2[0][m], b.isd_i2[0][m], 0);
    b.isd_s2[0][m] = h2::fluid(b, H2_FLUID_S_PI, b.isd_p2[0][m], b.isd_i2[0][m], 0);
    b.elem_p0[0] = h2::fluid(b, H2_FLUID_P_IS, b.isd_i2wx[0][m], b.isd_s2[0][m], 0);

    const int NI = b.cyld_nr;
    if (NI >= 2 && b.cyld_force1D == 0) {
        // The whole inlet profile moves to the new level and keeps its shape.
        const double ratio = b.elem_p0[0] / b.isd_p1x[0][m];
        for (int j = 0; j < NI; ++j) b.isd_p1x[0][j] *= ratio;
    } else {
        b.isd_p1x[0][m] = b.elem_p0[0];
    }
}

double elem_inlet_1d(int i, double w) {
    bdLocals* c = get_bdLocals();
    if (c == nullptr) return std::numeric_limits<double>::quiet_NaN();
    bdLocals& b = *c;
    const int m = h2::mid_stream(b);

    b.flow_w2[i][m] = w;
    b.isd_s1[i][m] = h2::fluid(b, H2_FLUID_S_PI, b.isd_p1x[i][m], b.isd_i1x[i][m], i);
    b.isd_i2wx[i][m] = b.isd_i1x[i][m] + grav_head_out(i, m);
    b.isd_i2[i][m] = b.isd_i2wx[i][m] - 0.5 * w * w;
    b.isd_i1[i][m] = b.isd_i2[i][m];

    double cn = 0.0;
    if (b.elem_sectType[i] == h2::kSectAngular) {
        cn = h2::angular_outlet(b, i, m, w);
    } else {
        b.flow_c2u[i][m] = w * std::cos(b.cas_B1[i][m] * h2::kDegree);
        b.flow_c2s[i][m] = h2::meridional_speed(w, b.flow_c2u[i][m]);
        cn = h2::normal_velocity(b, i, m, b.flow_c2s[i][m], b.flow_c2u[i][m]);
    }

    // The inlet does not turn the flow.
    b.cas_B2[i][m] = b.cas_B1[i][m];
    b.cas_A1[i][m] = b.cas_B2[i][m];
    b.cas_A2[i][m] = b.cas_A1[i][m];

    double d = 0.0;
    const int task = b.cyld_VART;
    if (fits_inlet_pressure(task)) {
        inlet_p0_from_flow(cn);
        b.elem_G2[0] = b.elem_G1[0];
        d = (b.elem_G2[i] - std::fabs(cn) * b.isd_Ro2[i][m] * b.bld_F2[i]) / b.elem_G2[0];
    } else if (sets_inlet_flow(task)) {
        // Isentropic acceleration from the inlet totals; the flow is what the
        // velocity carries, so the inlet has no defect of its own.
        b.isd_p2[i][m] = h2::fluid(b, H2_FLUID_P_IS, b.isd_i2[i][m], b.isd_s1[i][m], i);
        b.isd_p1[i][m] = b.isd_p2[i][m];
        b.isd_Ro2[i][m] = h2::fluid(b, H2_FLUID_RHO_PI, b.isd_p2[i][m], b.isd_i2[i][m], i);
        b.isd_Ro1[i][m] = b.isd_Ro2[i][m];
        b.elem_G1[0] = std::fabs(cn) * b.isd_Ro2[i][m] * b.bld_F2[i] * b.los_Fp[i][m];
        b.elem_G2[0] = b.elem_G1[0];
    }

    if (b.cyld_nr - 1 != 0) b.ZAG = b.elem_G2[0] / h2::kTwoPi / (b.cyld_nr - 1);

    // The inlet element has no length: its inlet station is its outlet.
    b.isd_p1[i][m] = b.isd_p2[i][m];
    b.isd_i1[i][m] = b.isd_i2[i][m];
    b.isd_i2x[i][m] = b.isd_i1x[i][m];
    b.isd_Ro1[i][m] = b.isd_Ro2[i][m];
    b.flow_c1u[i][m] = b.flow_c2u[i][m];
    b.flow_c1z[i][m] = b.flow_c2z[i][m];
    b.flow_c1r[i][m] = b.flow_c2r[i][m];
    b.flow_c1s[i][m] = b.flow_c2s[i][m];
    b.flow_w1[i][m] = b.flow_w2[i][m];
    b.flow_c1[i][m] = b.flow_w1[i][m];
    return -d * d;
}

}  // extern "C"
