// Stall and choke limits of compressor rows.
#include "solver/compressor_limits.h"

#include <cmath>

#include "case/output_internal.h"
#include "solver/solver_conventions.h"

namespace h2 {
namespace {

constexpr int kSonicSteps = 80;  // bisection halvings of the sonic speed: far below rounding

// Inlet edge thickness of row i: twice its inlet edge radius.
double edge_thickness(const bdLocals& b, int i) {
    const double r = b.cas_r1[i][mid_stream(b)];
    return r > 0.0 ? 2.0 * r : 0.0;
}

// A blade row of a compressing path, analysed (the design tasks size their rows to their limits).
bool checked_row(const bdLocals& b, int i) {
    return i >= 1 && b.elem_stagType[i] == kKindBlade && b.elem_sectType[i] != kSectAngular &&
           compressor_row(b, i, mid_stream(b));
}

// Solidity chord / pitch of row i on its mean line.
double solidity(const bdLocals& b, int i) {
    const int m = mid_stream(b);
    const double r = (b.flow_r1[i][m] + b.flow_r2[i][m]) / 2.0;
    const double z = b.bld_z[i];
    return r > 0.0 && z > 0.0 ? b.cas_b[i][m] * z / (2.0 * kPi * r) : 0.0;
}

CompressorLimit choke_limit(const bdLocals& b, int i) {
    const int m = mid_stream(b);
    const double A = row_throat_area(b, i);
    if (!(A > 0.0)) return {};
    const double Gmax = throat_choke_flow(b, i, A, b.isd_i1wx[i][m], b.isd_s1[i][m]);
    const double G = std::fabs(b.elem_G1[i]);
    if (!(Gmax > 0.0) || !(G > Gmax)) return {};
    return {kChokeLimitResult, i,
            format_text("Choke limit: element %d passes %.5g kg/s, more than the %.5g kg/s its throat of "
                        "%.5g m2 can pass",
                        i, G, Gmax, A)};
}

CompressorLimit stall_limit(const bdLocals& b, int i) {
    const int m = mid_stream(b);
    if (b.elem_sectType[i] == kSectRadial && b.bld_wp[i] != 0.0) {
        // Impellers: the inducer tip's relative speed against the exit's.
        const double rm = b.bld_d1[i] / 2.0, rt = (b.bld_d1[i] + b.bld_l1[i]) / 2.0;
        const double w2 = b.flow_w2[i][m];
        if (!(rt > 0.0) || !(w2 > 0.0)) return {};
        const double cu = b.flow_c1u[i][m] * rm / rt;  // free vortex to the tip
        const double w1t = std::hypot(b.flow_c1s[i][m], std::fabs(b.bld_wp[i]) * rt - cu);
        const double ratio = w1t / w2;
        if (!(ratio > kStallImpellerDiffusion)) return {};
        return {kStallLimitResult, i,
                format_text("Stall limit: element %d (impeller): inducer-tip to exit relative velocity "
                            "ratio %.3f above %.2f",
                            i, ratio, kStallImpellerDiffusion)};
    }
    // Low flow stalls the rotors first: their incidence grows as the flow
    // falls, a stator's with the rotor's work. Stators are left to the design
    // limits.
    if (b.bld_wp[i] == 0.0) return {};
    const double sigma = solidity(b, i);
    if (!(sigma > 0.0)) return {};
    // The swirl change in the row's frame, from its flow angles (from the
    // circumferential direction): the elements' swirl signs differ by frame.
    const double w1 = b.flow_w1[i][m], w2 = b.flow_w2[i][m];
    const double dwu = w1 * std::cos(b.cas_B1[i][m] * kDegree) - w2 * std::cos(b.cas_B2[i][m] * kDegree);
    const double df = diffusion_factor(w1, w2, dwu, sigma);
    if (!(df > kStallDiffusionFactor)) return {};
    return {kStallLimitResult, i,
            format_text("Stall limit: element %d (rotor): diffusion factor %.3f above %.2f", i, df,
                        kStallDiffusionFactor)};
}

}  // namespace

double row_throat_area(const bdLocals& b, int i) {
    const int m = mid_stream(b);
    const double z = b.bld_z[i];
    const double B1g = b.cas_B1g[i][m];
    const double d1 = b.bld_d1[i], l1 = b.bld_l1[i];
    if (!(z > 0.0) || B1g == 0.0 || !(d1 > 0.0) || !(l1 > 0.0)) return 0.0;
    const double open = kPi * d1 * std::fabs(std::sin(B1g * kDegree)) - z * edge_thickness(b, i);
    return open > 0.0 ? open * l1 : 0.0;
}

double throat_choke_flow(const bdLocals& b, int i, double A, double h0r, double s) {
    if (!(A > 0.0) || !(h0r > 0.0)) return 0.0;
    // The sonic speed on the isentrope: below it w < a, above it w > a.
    const auto excess = [&](double w) {
        const double h = h0r - w * w / 2.0;
        const double p = fluid(b, H2_FLUID_P_IS, h, s, i);
        return w - fluid(b, H2_FLUID_SOUND_PI, p, h, i);
    };
    double lo = 0.0, hi = std::sqrt(2.0 * h0r);
    for (int k = 0; k < kSonicSteps; ++k) {
        const double w = (lo + hi) / 2.0;
        (excess(w) < 0.0 ? lo : hi) = w;
    }
    const double w = (lo + hi) / 2.0;
    const double h = h0r - w * w / 2.0;
    const double p = fluid(b, H2_FLUID_P_IS, h, s, i);
    const double rho = fluid(b, H2_FLUID_RHO_PI, p, h, i);
    return std::isfinite(rho) ? rho * w * A : 0.0;
}

double diffusion_factor(double w1, double w2, double dwu, double solidity) {
    if (!(w1 > 0.0) || !(solidity > 0.0)) return 0.0;
    return 1.0 - w2 / w1 + std::fabs(dwu) / (2.0 * solidity * w1);
}

CompressorLimit compressor_limit(const bdLocals& b) {
    if (design_task(b.cyld_VART) || is_expanding(b)) return {};
    for (int i = 1; i <= b.cyld_ns; ++i) {
        if (!checked_row(b, i)) continue;
        if (CompressorLimit c = choke_limit(b, i); c.result != 0) return c;
        if (CompressorLimit s = stall_limit(b, i); s.result != 0) return s;
    }
    return {};
}

}  // namespace h2
