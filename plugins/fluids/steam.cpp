// flxs: water and steam to IAPWS-IF97 (if97.h), with its wet region, for
// fluid number 2 and cooling number 2.
//
// Every answer follows from the call's values, so the plug-in answers without
// a fluidLocals block and the set-up codes change nothing. Where the entry
// point found a block, it keeps there the last (p, h) point it solved: the
// solver asks entropy, speed of sound and density at one (p, h) in a row, and
// each would solve T(p, h) again. The block is the thread's own, so threads
// never share an entry; a hit returns the values a fresh solve computes. SI throughout; temperatures in
// kelvin, enthalpy and entropy on IF97's reference state (liquid at the triple point: u = 0, s = 0).
//
// Wet states (p below the critical pressure, h'(p) <= h <= h''(p)) take the
// two saturated phases from the basic equations at T_s(p) and mix them by
// the dryness x:
//   v, h, s     mixed linearly in x;
//   cp          x cp'' + (1 - x) cp' (the equilibrium cp is unbounded);
//   speed       the equilibrium speed a^2 = -v^2/(dv/dp)_s along the
//               saturation line, the speed at which rho w peaks along an
//               isentrope (the choking speed of a wet expansion);
//   kappa       w^2 rho / p with that speed, below 1 at low dryness;
//   viscosity   1/mu = x/mu'' + (1 - x)/mu';
//   conductivity x lambda'' + (1 - x) lambda'.
// Transport: viscosity to the IAPWS 2008 formulation without its critical
// enhancement (mu2 = 1), conductivity to the IAPWS 2011 industrial
// formulation with its critical enhancement.
//
// A value outside the range (273.15 K to 1073.15 K up to 100 MPa, to
// 2273.15 K up to 50 MPa), p <= 0, rho <= 0 or a non-finite value answers
// 1e20 (code 0: -1.0, which callers read as dry).
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "halvorine2/fluid_plugin.h"
#include "plugins/fluids/fluid_slots.h"
#include "plugins/fluids/if97.h"

namespace {

namespace w = h2::if97;

constexpr double kNoAnswer = H2_FLUID_NO_ANSWER;
constexpr double kDry = -1.0;

double nonzero_entropy(double s) { return s == 0.0 ? DBL_MIN : s; }

double kinematic_viscosity(const w::Point& pt) {
    if (pt.region != 4) return w::viscosity(1.0 / pt.one.v, pt.one.T) * pt.one.v;
    const double ml = w::viscosity(1.0 / pt.liq.v, pt.liq.T);
    const double mg = w::viscosity(1.0 / pt.vap.v, pt.vap.T);
    const double mu = 1.0 / (pt.x / mg + (1.0 - pt.x) / ml);
    return mu * pt.one.v;
}

double conductivity(const w::Point& pt) {
    if (pt.region != 4) return w::conductivity(pt.one);
    return pt.x * w::conductivity(pt.vap) + (1.0 - pt.x) * w::conductivity(pt.liq);
}

double sound(const w::Point& pt) { return pt.region == 4 ? w::wet_sound_speed(pt) : pt.one.w; }

// Enthalpy of the saturated vapour (vapour true) or liquid at p; the critical
// enthalpy at and above the critical pressure.
double saturated_enthalpy(double p, bool vapour) {
    if (!std::isfinite(p) || p < w::kPtriple || p > 100e6) return kNoAnswer;
    if (p >= w::kPc) return w::kHc;
    w::State l, g;
    if (!w::saturated(p, l, g)) return kNoAnswer;
    return vapour ? g.h : l.h;
}

// What the (p, h) codes read of a point, kept for the last point solved.
struct PhValues {
    bool solved = false;
    int region = 0;
    double x = -1.0, T = 0.0, v = 0.0, s = 0.0, cp = 0.0, sound = 0.0;
};

PhValues ph_values(double p, double h) {
    PhValues out;
    w::Point pt;
    if (!w::point_ph(p, h, pt)) return out;
    out.solved = true;
    out.region = pt.region;
    out.x = pt.x;
    out.T = pt.one.T;
    out.v = pt.one.v;
    out.s = pt.one.s;
    out.cp = pt.one.cp;
    out.sound = sound(pt);
    return out;
}

// The one-entry cache in a fluidLocals block, keyed by the bits of (p, h).
struct PhCache {
    static constexpr std::uint32_t kTag = h2fluid::tag('I', 'F', '9', '7');
    std::uint32_t tag = kTag;
    bool valid = false;
    std::uint64_t p_bits = 0, h_bits = 0;
    PhValues values;
};

PhValues ph_lookup(int which, double p, double h) {
    PhCache* cache = h2fluid::state_for<PhCache>(which);
    if (cache == nullptr) return ph_values(p, h);
    const auto pb = std::bit_cast<std::uint64_t>(p), hb = std::bit_cast<std::uint64_t>(h);
    if (!cache->valid || cache->p_bits != pb || cache->h_bits != hb) {
        cache->values = ph_values(p, h);
        cache->p_bits = pb;
        cache->h_bits = hb;
        cache->valid = true;
    }
    return cache->values;
}

double answer(int code, double a, double b, int which) {
    switch (code) {
        case H2_FLUID_R_PI:
            return w::kR;
        case H2_FLUID_I_SAT_VAPOUR:
            return saturated_enthalpy(a, true);
        case H2_FLUID_I_SAT_LIQUID:
            return saturated_enthalpy(a, false);
        case H2_FLUID_I_PT: {
            w::State st;
            return w::point_pT(a, b, st) ? st.h : kNoAnswer;
        }
        case H2_FLUID_P_IS: {
            w::Point pt;
            return w::point_hs(a, b, pt) ? pt.one.p : kNoAnswer;
        }
        case H2_FLUID_I_PS: {
            w::Point pt;
            return w::point_ps(a, b, pt) ? pt.one.h : kNoAnswer;
        }
        case H2_FLUID_P_RHOI: {
            w::Point pt;
            return w::point_rhoh(a, b, pt) ? pt.one.p : kNoAnswer;
        }
        case H2_FLUID_NU_PI:
        case H2_FLUID_LAMBDA_PI: {
            // Transport needs both phases of a wet point: solved afresh.
            w::Point pt;
            if (!w::point_ph(a, b, pt)) return kNoAnswer;
            return code == H2_FLUID_NU_PI ? kinematic_viscosity(pt) : conductivity(pt);
        }
        default:
            break;
    }
    const PhValues pt = ph_lookup(which, a, b);
    if (!pt.solved) return code == H2_FLUID_DRYNESS ? kDry : kNoAnswer;
    switch (code) {
        case H2_FLUID_DRYNESS:
            return pt.region == 4 ? pt.x : kDry;
        case H2_FLUID_T_PI:
            return pt.T;
        case H2_FLUID_RHO_PI:
            return 1.0 / pt.v;
        case H2_FLUID_S_PI:
            return nonzero_entropy(pt.s);
        case H2_FLUID_SOUND_PI:
            return pt.sound;
        case H2_FLUID_KAPPA_PI:
            return pt.sound * pt.sound / (pt.v * a);
        case H2_FLUID_CP_PI:
            return pt.cp;
        default:
            return kNoAnswer;
    }
}

double steam_property(int code, double a, double b, double /*c*/, int which) {
    // Set-up codes: nothing to set up; 1001 takes any values (the named path
    // sends the case's R and k).
    if (code >= H2_FLUID_REFERENCE && code <= H2_FLUID_CHOKE_FLAG) return 0.0;
    if (!std::isfinite(a) || !std::isfinite(b)) return code == H2_FLUID_DRYNESS ? kDry : kNoAnswer;
    const double r = answer(code, a, b, which);
    if (!std::isfinite(r)) return code == H2_FLUID_DRYNESS ? kDry : kNoAnswer;
    return r;
}

}  // namespace

namespace {

// The thread's block of the slot gets an empty cache; without a block the
// plug-in answers uncached.
void start_cache(int selector, int slot) {
    h2fluid::remember_slot(selector, slot);
    h2fluid::new_state<PhCache>(slot);
}

}  // namespace

H2_FLUID_PLUGIN_API int InitFluid(bdLocals* block, int slot, double /*af*/) {
    if (block == nullptr) return 0;
    start_cache(H2_FLUID_MAIN, slot);
    block->fluid_func = steam_property;
    return 1;
}

H2_FLUID_PLUGIN_API int InitcFluid(bdLocals* block, int slot, double /*af*/) {
    if (block == nullptr) return 0;
    start_cache(H2_FLUID_COOLING, slot);
    block->cfluid_func = steam_property;
    return 1;
}
