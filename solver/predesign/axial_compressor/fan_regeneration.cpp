// The fan pass of a design solve: the fan rotor (element 1) is re-converged
// with the flow coefficient and geometry the case holds, and its loading is
// scaled until the outlet pressure target is met.
#include <cmath>

#include "case/host_calls.h"
#include "halvorine2/compressor_design.h"
#include "solver/predesign/axial_compressor/compressor_rows.h"
#include "solver/predesign/compressor_generators.h"
#include "solver/predesign/point_reason.h"
#include "solver/solver_conventions.h"

namespace h2::predesign {
namespace {

constexpr int kPassLimit = 150;
constexpr double kRelaxFloor = 0.8;
constexpr double kToleranceFloor = 1e-6;
// Loading a fan starts from when the case holds none.
constexpr double kStartLoading = 0.1;

}  // namespace

int regenerate_fan(bdLocals& b) {
    const int m = mid_stream(b);
    if (b.cyld_ns < 1 || b.bld_wp[1] == 0.0 || !usable_angle(b.cas_B1[0][m])) return 1;
    const int law = b.cyld_VARTD;
    const double omega = b.bld_wp[1];
    const double G = b.elem_G1[0];
    if (af_row_state(b.bld_d2[0] * 0.5 * omega * b.elem_cz_[1], b.cas_B1[0][m]) != 0) return 1;
    double l_in = b.bld_l2[1];
    const double p0 = b.elem_p0[0];
    const int ns = b.cyld_ns;
    const double target = (b.cyld_VARTP == 0 ? b.elem_p2[ns] : b.cyld_p2nx) / p0;
    if (b.elem_Ht[1] == 0.0) b.elem_Ht[1] = kStartLoading;
    const double relax = relaxation(b.RELAX, kRelaxFloor);
    const double tol = tolerance(b.acc_limit, kToleranceFloor);

    WorkStep previous;
    int pass = 0;
    for (; pass < kPassLimit; ++pass) {
        const double D = b.bld_d2s[1];
        b.bld_wp[1] = omega;
        // The outlet flow too: the whole-path results read the flow leaving the rotor.
        b.elem_G1[1] = b.elem_G2[1] = G;
        b.bld_d1[1] = b.bld_d2[1] = mean_diameter(law, D, l_in);
        b.flow_c2z[1][m] = b.bld_d1[1] * 0.5 * omega * b.elem_cz_[1];
        af_rotor_row(1);
        b.bld_l1[1] = b.bld_l2[1];
        b.bld_l2[0] = b.bld_l2[1];
        b.bld_l1[0] = b.bld_l2[0];
        l_in = b.bld_l1[0];
        const double ratio = (b.cyld_VARTP == 0 ? b.isd_p2[ns][m] : b.isd_p2x[ns][m]) / p0;
        if (!std::isfinite(ratio)) {
            reset_fpu();
            return 1;
        }
        if (std::fabs(1.0 - target / ratio) < tol) break;
        b.elem_Ht[1] = next_work(b.elem_Ht[1], ratio, target, relax, previous);
        if (af_row_geometry(1) != 0) return 1;
    }
    if (pass == kPassLimit) {
        point_reason("fan: the loading correction did not reach pressure ratio %.6g in %d passes", target,
                     kPassLimit);
        return 1;
    }
    return 0;
}

}  // namespace h2::predesign

extern "C" int sfgRN(void) {
    bdLocals* b = h2::solvable_case();
    if (b == nullptr) return 1;
    return h2::predesign::regenerate_fan(*b);
}
