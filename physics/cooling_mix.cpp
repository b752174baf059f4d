#include "physics/cooling_mix.h"

#include <cmath>
#include <initializer_list>

#include "halvorine2/case_block.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/threading.h"
#include "physics/mix_streams.h"

namespace {

constexpr int kZ = 0, kU = 1, kR = 2;  // axial, circumferential, radial

double speed(const double* v) { return std::sqrt(v[kZ] * v[kZ] + v[kU] * v[kU] + v[kR] * v[kR]); }

// The component that carries a stream's flow: the axial one when it is the
// larger in magnitude, else the radial one.
double carrying_component(const double* v) { return std::fabs(v[kR]) < std::fabs(v[kZ]) ? v[kZ] : v[kR]; }

void set_if(double* out, double value) {
    if (out != nullptr) *out = value;
}

}  // namespace

extern "C" void cool_mix(double Gc, const double* cc, double Tc, double pc, double Gm, const double* cm,
                         double im, double pm, double px, double* cout, double* iout, double* ptout,
                         double* ic, double* sc, double* Gout, double* dE, double* hout, double* pout,
                         double* sout, double* dhc) {
    const bdLocals* b = get_bdLocals();
    // An empty cooling function (say a cooling fluid that loaded nothing)
    // would be called through NULL; the failure value reaches the caller instead.
    if (b == nullptr || b->fluid_func == nullptr || b->cfluid_func == nullptr || cc == nullptr ||
        cm == nullptr || cout == nullptr || iout == nullptr || ptout == nullptr || ic == nullptr ||
        sc == nullptr || Gout == nullptr || dE == nullptr || hout == nullptr || pout == nullptr ||
        sout == nullptr || dhc == nullptr) {
        for (double* out : {pout, ic, sc, dhc}) set_if(out, h2::kMixFailure);
        return;
    }
    const FluidFunc cooling = b->cfluid_func;
    const FluidFunc main = b->fluid_func;
    const double caf = b->cyld_caf;
    const double af = b->cyld_af;
    auto coolant_property = [&](int code, double a, double x) {
        return cooling(code, a, x, caf, H2_FLUID_COOLING);
    };
    auto main_property = [&](int code, double a, double x) { return main(code, a, x, af, H2_FLUID_MAIN); };

    // Coolant, in the cooling fluid: total state from (p, T), static state at
    // its entropy, and the area that passes Gc (continuity).
    const double ic_total = coolant_property(H2_FLUID_I_PT, pc, Tc);
    *ic = ic_total;
    const double cc_abs = speed(cc);
    const double hc = ic_total - 0.5 * cc_abs * cc_abs;
    const double sc_total = coolant_property(H2_FLUID_S_PI, pc, ic_total);
    *sc = sc_total;
    const double psc = coolant_property(H2_FLUID_P_IS, hc, sc_total);
    const double rho_c = coolant_property(H2_FLUID_RHO_PI, psc, hc);
    // A coolant at rest (or of no density) would divide by zero: it brings no area.
    const double flux_c = rho_c * carrying_component(cc);
    const double Fc = flux_c != 0.0 ? std::fabs(Gc / flux_c) : 0.0;

    // Main flow, in the main fluid, the same way (the quotient keeps its sign).
    const double cm_abs = speed(cm);
    const double hm = im - 0.5 * cm_abs * cm_abs;
    const double sm = main_property(H2_FLUID_S_PI, pm, im);
    const double psm = main_property(H2_FLUID_P_IS, hm, sm);
    const double rho_m = main_property(H2_FLUID_RHO_PI, psm, hm);
    // A main flow at rest would divide by zero: it brings no area, and the
    // mixed section with it.
    const double flux_m = rho_m * std::fabs(carrying_component(cm));
    const double Fm = flux_m != 0.0 ? Gm / flux_m : 0.0;

    // The main flow is stream 1: the mixture keeps its radial velocity and
    // leaves through its area.
    mix_streams(Fm, cm, im, pm, Fc, cc, ic_total, pc, Fm, cout, iout, ptout, Gout, dE, hout, pout, sout);

    // The coolant's isentropic drop from its total state to px.
    *dhc = ic_total - coolant_property(H2_FLUID_I_PS, px, sc_total);
}
