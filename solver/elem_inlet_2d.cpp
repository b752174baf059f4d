// Inlet of a per-streamline solve: the streamlines spread evenly across the
// inlet annulus, each at the common absolute speed and its own inlet flow
// angle, with its static state from its own inlet totals; the middle
// streamline fixes the mass flow or the inlet total pressure.
#include <cmath>
#include <limits>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/threading.h"
#include "solver/gravity_head.h"
#include "solver/solver_conventions.h"
#include "solver/solver_internal.h"

namespace {

bool fits_inlet_pressure(int task) { return task == 30 || task == 300; }
bool sets_inlet_flow(int task) { return task == 20 || task == 200 || task == 40 || task == 400; }
bool expands_from_totals(int task) { return sets_inlet_flow(task) || task == 10 || task == 100; }

}  // namespace

extern "C" {

double elem_inlet_2d(int i, double c) {
    bdLocals* bp = get_bdLocals();
    if (bp == nullptr) return std::numeric_limits<double>::quiet_NaN();
    bdLocals& b = *bp;
    const int n = b.cyld_nr - 1;
    // One streamline has no spread to make: the case is left as it is.
    if (n < 1) return 0.0;
    const int m = h2::mid_stream(b);
    const int task = b.cyld_VART;

    b.flow_c1[i][m] = c;
    for (int j = 0; j <= n; ++j) {
        b.flow_r2[i][j] = (b.bld_d2[i] - b.bld_l2[i]) / 2 + j * b.bld_l2[i] / n;
        b.flow_r1[i][j] = b.flow_r2[i][j];
        b.flow_c1[i][j] = c;
        const double B = b.cas_B1[i][j] * h2::kDegree;
        b.flow_c2s[i][j] = std::sin(B) * c;
        b.flow_c2z[i][j] = b.flow_c2s[i][j] * b.cas_cosT2[i][j];
        b.flow_c2r[i][j] = b.flow_c2s[i][j] * b.cas_sinT2[i][j];
        b.flow_c2u[i][j] = std::cos(B) * c;
        b.isd_i2wx[i][j] = b.isd_i1x[i][j] + grav_head_out(i, j);
        b.isd_i2[i][j] = b.isd_i2wx[i][j] - 0.5 * c * c;
    }

    const double cn = b.flow_c2z[i][m];
    if (fits_inlet_pressure(task)) inlet_p0_from_flow(cn);

    for (int j = 0; j <= n; ++j) {
        if (fits_inlet_pressure(task)) {
            // Every streamline takes the middle streamline's static state.
            b.isd_p2[i][j] = b.isd_p2[i][m];
            b.isd_s2[i][j] = h2::fluid(b, H2_FLUID_S_PI, b.isd_p2[i][m], b.isd_i2[i][m], i);
            b.isd_Ro2[i][j] = b.isd_Ro2[i][m];
        } else if (expands_from_totals(task)) {
            b.isd_s2[i][j] = b.isd_s1[i][j];
            b.isd_p2[i][j] = h2::fluid(b, H2_FLUID_P_IS, b.isd_i2[i][j], b.isd_s2[i][j], i);
            b.isd_Ro2[i][j] = h2::fluid(b, H2_FLUID_RHO_PI, b.isd_p2[i][j], b.isd_i2[i][j], i);
        }
        // The inlet element has no length: its inlet station is its outlet.
        b.isd_i1[i][j] = b.isd_i2[i][j];
        b.isd_s1[i][j] = b.isd_s2[i][j];
        b.isd_p1[i][j] = b.isd_p2[i][j];
        b.isd_i2x[i][j] = b.isd_i1x[i][j] + grav_head_out(i, j);
        b.isd_i2wx[i][j] = b.isd_i2x[i][j];
        b.isd_Ro1[i][j] = b.isd_Ro2[i][j];
        b.flow_c1s[i][j] = b.flow_c2s[i][j];
        b.flow_c1z[i][j] = b.flow_c2z[i][j];
        b.flow_c1r[i][j] = b.flow_c2r[i][j];
        b.flow_c1u[i][j] = b.flow_c2u[i][j];
        b.flow_c2[i][j] = b.flow_c1[i][j];
        b.flow_w2[i][j] = b.flow_c2[i][j];
        b.flow_w1[i][j] = b.flow_w2[i][j];
        b.cas_B2[i][j] = b.cas_B1[i][j];
        // The absolute angles of an inlet are its flow angle, as on the mean line.
        b.cas_A1[i][j] = b.cas_B2[i][j];
        b.cas_A2[i][j] = b.cas_A1[i][j];
    }

    double d = 0.0;
    if (fits_inlet_pressure(task)) {
        b.elem_G2[0] = b.elem_G1[0];
        d = (b.elem_G2[i] - std::fabs(cn) * b.isd_Ro2[i][m] * b.bld_F2[i] * b.los_Fp[i][m]) / b.elem_G2[0];
    } else if (sets_inlet_flow(task)) {
        // The signed axial speed, as the middle streamline carries it.
        b.elem_G1[0] = b.isd_Ro2[i][m] * b.bld_F2[i] * b.los_Fp[i][m] * cn;
        b.elem_G2[0] = b.elem_G1[0];
    }
    b.ZAG = b.elem_G2[0] / h2::kTwoPi / n;
    return -d * d;
}

}  // extern "C"
