#include "physics/mix_streams.h"

#include <array>
#include <cmath>

#include "halvorine2/case_block.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/threading.h"
#include "numerics/cg_search.h"

namespace {

using Vec3 = std::array<double, 3>;  // axial, circumferential, radial
constexpr int kZ = 0, kU = 1, kR = 2;

// The mixed axial velocity is sought between half and twice stream 1's, over
// that interval as it stands (no bracket expansion), to a thousandth of it.
constexpr double kSearchStart = 0.5;
constexpr double kSearchWidth = 1.5;
constexpr double kSearchTolerance = 0.001;
constexpr int kFixedInterval = 1;
constexpr double kUnusedGrowth = 1.0;
// Below this stream 2 counts as entering without axial velocity, and the loss
// averages its radial momentum instead.
constexpr double kNoAxialSpeed = 1e-8;

bool is_failure(double property) { return property > h2::kPropertyFailureLimit || std::isnan(property); }

double speed(const Vec3& v) { return std::sqrt(v[kZ] * v[kZ] + v[kU] * v[kU] + v[kR] * v[kR]); }
double meridional_speed(const Vec3& v) { return std::sqrt(v[kZ] * v[kZ] + v[kR] * v[kR]); }

h2::stateLocals* state_block() { return static_cast<h2::stateLocals*>(get_stateLocals()); }

}  // namespace

extern "C" void mix_streams(double F1, const double* c1, double i1, double p1, double F2, const double* c2,
                            double i2, double p2, double Fout, double* cout, double* iout, double* ptout,
                            double* Gout, double* dE, double* hout, double* pout, double* sout) {
    if (pout == nullptr) return;
    const bdLocals* b = get_bdLocals();
    h2::stateLocals* state = state_block();
    // Without these the search has nowhere to keep the mixture and no fluid
    // to ask; the caller's failure test on pout sees it instead of a crash.
    if (b == nullptr || b->fluid_func == nullptr || state == nullptr || c1 == nullptr || c2 == nullptr ||
        cout == nullptr || iout == nullptr || ptout == nullptr || Gout == nullptr || dE == nullptr ||
        hout == nullptr || sout == nullptr) {
        *pout = h2::kMixFailure;
        return;
    }
    const FluidFunc fluid = b->fluid_func;
    const double af = b->cyld_af;
    auto property = [&](int code, double a, double x) { return fluid(code, a, x, af, H2_FLUID_MAIN); };

    // Copies, so that a caller may hand stream 1's vector back as cout.
    const Vec3 v1{c1[kZ], c1[kU], c1[kR]};
    const Vec3 v2{c2[kZ], c2[kU], c2[kR]};

    // Each stream's static state from its total state at its own entropy.
    const double c1_abs = speed(v1);
    const double h1 = i1 - 0.5 * c1_abs * c1_abs;
    const double s1 = property(H2_FLUID_S_PI, p1, i1);
    const double ps1 = property(H2_FLUID_P_IS, h1, s1);
    // A failed stream 1 would otherwise be mixed as if it were a state.
    if (is_failure(ps1)) {
        *pout = ps1;
        return;
    }
    const double c2_abs = speed(v2);
    const double h2 = i2 - 0.5 * c2_abs * c2_abs;
    const double s2 = property(H2_FLUID_S_PI, p2, i2);
    const double ps2 = property(H2_FLUID_P_IS, h2, s2);
    if (is_failure(ps2)) {
        *pout = ps2;
        return;
    }

    // Continuity of each stream through its own area, with the meridional speed.
    const double G1 = property(H2_FLUID_RHO_PI, ps1, h1) * meridional_speed(v1) * F1;
    const double G2 = property(H2_FLUID_RHO_PI, ps2, h2) * meridional_speed(v2) * F2;
    const double G = G1 + G2;
    // Mass-weighted average. Two streams without any flow would divide 0 by 0:
    // the mixture then keeps stream 1's value.
    auto mass_average = [&](double a1, double a2) { return G != 0.0 ? (G1 * a1 + G2 * a2) / G : a1; };

    // Mass and energy conservation; entropy and swirl mass-averaged; the
    // mixture keeps stream 1's radial velocity.
    *Gout = G;
    const double i = mass_average(i1, i2);
    *iout = i;
    const double s = mass_average(s1, s2);
    cout[kU] = mass_average(v1[kU], v2[kU]);
    cout[kR] = v1[kR];

    *state = h2::stateLocals{.af = af,
                             .c = 0.0,
                             .cz = cout[kZ],
                             .cu = cout[kU],
                             .cr = cout[kR],
                             .i = i,
                             .s = s,
                             .G = G,
                             .F = Fout,
                             .p = 0.0};

    // The axial velocity that passes G through Fout (continuity at the outlet).
    const double cz1 = v1[kZ];
    cout[kZ] = h2::golden_max(mix_residual, kFixedInterval, kSearchStart * cz1, kSearchWidth * cz1,
                              kSearchTolerance * cz1, kUnusedGrowth);

    // The static state is the last trial's, not evaluated again at the
    // returned abscissa, which lies within the search tolerance of it.
    *pout = state->p;
    const double h = i - 0.5 * state->c * state->c;
    *hout = h;
    const double s_out = property(H2_FLUID_S_PI, *pout, h);
    *sout = s_out;
    *ptout = property(H2_FLUID_P_IS, i, s_out);

    // Kinetic energy lost in the mixing, against a momentum-averaged speed cm:
    // the streams' momenta along stream 2's direction of entry are averaged.
    double cm = 0.0;
    if (std::fabs(v2[kZ]) > kNoAxialSpeed) {
        const double u = mass_average(v1[kZ], v2[kZ]);
        cm = std::sqrt(u * u + cout[kU] * cout[kU] + cout[kR] * cout[kR]);
    } else {
        const double u = mass_average(v1[kR], v2[kR]);
        cm = std::sqrt(u * u + cout[kU] * cout[kU] + cout[kZ] * cout[kZ]);
    }
    // Per kilogram of mixture; with no flow at all nothing is lost.
    *dE = G != 0.0 ? 0.5 * (G1 * c1_abs * c1_abs + G2 * c2_abs * c2_abs - G * cm * cm) / G : 0.0;
}

extern "C" double mix_residual(double x) {
    h2::stateLocals* state = state_block();
    const bdLocals* b = get_bdLocals();
    if (state == nullptr || b == nullptr || b->fluid_func == nullptr) return -h2::kMixFailure;
    const FluidFunc fluid = b->fluid_func;

    state->cz = x;
    state->c = std::sqrt(state->cz * state->cz + state->cu * state->cu + state->cr * state->cr);
    const double h = state->i - 0.5 * state->c * state->c;
    state->p = fluid(H2_FLUID_P_IS, h, state->s, state->af, H2_FLUID_MAIN);
    const double rho = fluid(H2_FLUID_RHO_PI, state->p, h, state->af, H2_FLUID_MAIN);
    // Mass-flow defect through the outlet, counted with the axial component alone.
    return -std::fabs(state->G - rho * x * state->F);
}
