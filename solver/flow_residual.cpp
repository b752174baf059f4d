// The objective of the inverse tasks: one pass through the flow path at trial
// outlet speeds, every element solved and carried into the next, the defects
// of the elements and of the boundary conditions summed into one value that
// is never positive.
#include <cmath>

#include "halvorine2/threading.h"
#include "physics/heat_exchanger.h"
#include "solver/elem_select.h"
#include "solver/solver_api.h"
#include "solver/solver_conventions.h"
#include "solver/solver_internal.h"

namespace {

// Weight of the outlet-pressure and mass-flow penalties.
constexpr double kPenalty = 5.0;

bool gauging_task(int vart) { return vart == 40 || vart == 400; }

}  // namespace

extern "C" {

double flow_residual(double* x) {
    bdLocals* c = get_bdLocals();
    if (c == nullptr) return std::nan("");
    bdLocals& b = *c;
    const int NS = b.cyld_ns;
    double S = 0.0;
    double y = h2::fluid(b, H2_FLUID_DRYNESS, b.elem_p0[0], b.elem_i0[0], 0);
    b.wet_stage_count = NS / 2;
    if (gauging_task(b.cyld_VART)) b.ang_mask_factor = x[NS + 1];
    for (int i = 0; i <= NS; ++i) {
        const h2::ElemSolver solver = h2::elem_solver_of(b, i);
        bool per_streamline = false;
        if (solver == nullptr) {
            // A heat exchanger takes its state from the element before it.
            heat_exchanger_elem(i);
        } else {
            per_streamline = h2::solved_per_streamline(b, i);
            S += solver(i, std::exp(x[i]) * b.wb[i]);
            if (std::isnan(S)) return S;
        }
        if (!per_streamline) span_flow(i, 1);
        complete_elem_state(i, &y);
    }
    // The outlet pressure the pass reached, static or total.
    const double X = h2::outlet_span_mean(b, b.cyld_VARTP == 0 ? b.isd_p2 : b.isd_p2x);
    const double dp = X / b.elem_p2[NS] - 1.0;
    S -= kPenalty * dp * dp;
    if (gauging_task(b.cyld_VART)) {
        const double dg = b.elem_G1[0] / (b.cyld_G - b.lkgn_GDY[1]) - 1.0;
        S -= kPenalty * dg * dg;
    }
    return S;
}
}
