#include "physics/moisture_sep.h"

#include <array>
#include <cmath>

#include "case/case_arrays.h"
#include "halvorine2/threading.h"
#include "numerics/one_dim.h"

namespace {

// Base coefficient F over L = log10 of the path's outlet pressure (rows) and
// r = d2/l2 of the stage (columns): low pressures and short blades separate
// more of the moisture.
constexpr int kNL = 3;
constexpr int kNr = 8;
constexpr std::array<double, kNL> kLGrid{4.0, 6.0, 8.0};
constexpr std::array<double, kNr> kRGrid{2.5, 3.0, 4.0, 5.0, 6.0, 8.0, 10.0, 20.0};
constexpr std::array<double, kNL * kNr> kBaseCoefficient{
    0.065, 0.087, 0.16,  0.21, 0.253, 0.305, 0.33,  0.33,   // L 4
    0.023, 0.035, 0.065, 0.1,  0.125, 0.15,  0.165, 0.165,  // L 6
    0.023, 0.035, 0.065, 0.1,  0.125, 0.15,  0.165, 0.165,  // L 8
};

// Switch fields held as doubles count by their integer part.
bool switched_on(double v) { return std::trunc(v) != 0.0; }

// Correction switched on by bld__VS; it grows as the blades lengthen (r falls).
double rotor_correction(double r) {
    if (r < 5.0) return 1.2 - 0.05 * (r - 5.0);
    if (r <= 7.0) return 1.15 - 0.025 * (r - 7.0);
    return 1.12 - 0.01 * (r - 10.0);
}

// Weight of the second clearance's share; the pieces do not meet at r = 5.
double clearance_weight(double r) {
    if (r < 5.0) return 0.805 - 0.03 * (r - 5.0);
    if (r <= 7.0) return 0.775 - 0.0015 * (r - 7.0);
    return 0.751 - 0.008 * (r - 10.0);
}

// Clearances relative to the channel width q1, q2.
double first_clearance(double q1) {
    return q1 < 0.075 ? 1.02 - 3.067 * (0.075 - q1) : 1.12 - 2.0 * (0.125 - q1);
}
double second_clearance(double q2) {
    return q2 < 0.15 ? 1.08 - 1.733 * (0.15 - q2) : 1.11 - 0.6 * (0.2 - q2);
}

}  // namespace

namespace h2 {

bool moisture_sep_factors(int m, MoistureSepFactors& f) {
    f = {};
    const bdLocals* b = get_bdLocals();
    // A missing case or array would be read through NULL or past the arrays.
    if (b == nullptr || !path_fits_arrays(b) || b->elem_p2 == nullptr) return false;
    const int ns = b->cyld_ns;
    const int mid = b->cyld_nr / 2;
    if (!allocated_stream(b, mid)) return false;

    // The stage's second element: element 0 is the inlet, two elements per stage.
    const int k = ns - 2 * m + 2;
    // m below 1 would put k past the path's last element.
    if (k < 1 || k > ns) return false;

    const int n = b->wet_stage_count;
    const double p_out = b->elem_p2[ns];
    const double width = b->cas_b[k][mid];
    // Each of these divides below (or has no logarithm): no coefficient without them.
    if (n < 1 || !(p_out > 0.0) || b->bld_l2[k] == 0.0 || b->elem_G1[k] == 0.0 || width == 0.0) return false;

    // Place among the wet stages: the wetter the stages before, the more
    // moisture has gathered into drops that can be separated.
    const double L = std::log10(p_out);
    const double A = (4.0 - L) * 0.22 + 0.9;
    const double B = n < 4 ? (n - 4) * 0.06 + 0.3 : (n - 7) * 0.0233 + 0.37;
    const double D = (n - m) * B / n;  // n - m wet stages run before this one
    f.X = 1.4 * (1.0 - std::exp(-7.0 * A * D));

    const double r = b->bld_d2[k] / b->bld_l2[k];
    f.F = interp2(kNL, kNr, kLGrid.data(), kRGrid.data(), kBaseCoefficient.data(), L, r);
    f.K = switched_on(b->bld_VS[k]) ? rotor_correction(r) : 1.0;

    const bool clearance_split = switched_on(b->elem_VI[k]);
    f.W = clearance_split ? clearance_weight(r) : 1.0;
    f.H = (b->elem_G1[k - 1] / b->elem_G1[k] - 1.0) * 6.67 + 1.0;  // flow taken out before the stage
    f.J1 = clearance_split ? first_clearance(b->clrn_DB1[k] / width) : 0.0;
    f.J2 = second_clearance(b->clrn_DB2[k] / width);
    return true;
}

}  // namespace h2

extern "C" double stage_moisture_sep(int m) {
    h2::MoistureSepFactors f;
    if (!h2::moisture_sep_factors(m, f)) return 0.0;
    return f.F * f.K * f.H * f.X * ((1.0 - f.W) * f.J1 + f.W * f.J2);
}
