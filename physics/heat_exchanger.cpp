#include "physics/heat_exchanger.h"

#include <initializer_list>

#include "case/case_arrays.h"
#include "case/walkers_internal.h"
#include "halvorine2/case_block.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/threading.h"

namespace {

using h2::kAxialSections;

// Stored for a Mach number whose speed of sound is 0: the failure value of a
// property, finite, and above the limit that callers test.
constexpr double kNoMachNumber = 1e20;

// Every array the element reads or writes, so that a half-made array set is
// refused rather than read through NULL.
bool arrays_present(const bdLocals& b) {
    const std::initializer_list<const void*> arrays = {
        b.elem_af,  b.elem_sectType, b.elem_stagType, b.elem_G1,  b.elem_G2,   b.elem_Gr,  b.elem_Gotb2,
        b.bld_wp,   b.bld_z,         b.lkgn_GP,       b.lkgn_GPY, b.cool_TOXL, b.cool_Ocp, b.los_om,
        b.cas_t2,   b.enrg_Lu,       b.flow_w1,       b.flow_w2,  b.flow_c1,   b.flow_c1z, b.flow_c1r,
        b.flow_c1s, b.flow_c1u,      b.flow_c2,       b.flow_c2z, b.flow_c2r,  b.flow_c2s, b.flow_c2u,
        b.flow_Mw2, b.isd_s1,        b.isd_i1x,       b.isd_i1wx, b.isd_T2x,   b.isd_p2x,  b.isd_i2x,
        b.isd_i2wx, b.isd_s2,        b.isd_i2,        b.isd_p2,   b.isd_T2,    b.isd_Ro2,  b.isd_i2t,
        b.isd_i2tt, b.isd_a2};
    for (const void* a : arrays)
        if (a == nullptr) return false;
    return true;
}

}  // namespace

extern "C" int heat_exchanger_elem(int i) {
    bdLocals* b = get_bdLocals();
    // Element i-1 and the middle streamline are read and written: without the
    // arrays, or outside them, that would go through NULL or past their ends.
    if (b == nullptr || b->fluid_func == nullptr || !arrays_present(*b)) return -1;
    const int m = b->cyld_nr / 2;
    if (i < 1 || i > b->cyld_ns || !h2::allocated_element(b, i) || !h2::allocated_stream(b, m)) return -1;
    const int k = i - 1;  // the element before

    const FluidFunc fluid = b->fluid_func;
    const double af = b->elem_af[i];
    auto property = [&](int code, double a, double x) { return fluid(code, a, x, af, H2_FLUID_MAIN); };

    b->elem_sectType[i] = kAxialSections;
    b->flow_w1[i][m] = b->flow_w2[k][m];
    b->flow_w2[i][m] = b->flow_w1[i][m];

    // The inlet takes element k's outlet velocity as it is.
    b->flow_c1r[i][m] = b->flow_c2r[k][m];
    b->flow_c1z[i][m] = b->flow_c2z[k][m];
    b->flow_c1s[i][m] = b->flow_c2s[k][m];
    b->flow_c1u[i][m] = b->flow_c2u[k][m];
    b->flow_c1[i][m] = b->flow_c2[k][m];
    if (is_angular(k)) {
        // Behind an angular element (an outlet volute) the swirl becomes the
        // axial through-flow.
        b->flow_c2s[i][m] = b->flow_c2u[k][m];
        b->flow_c2z[i][m] = b->flow_c2s[i][m];
        b->flow_c2[i][m] = b->flow_c2z[i][m];
        b->flow_c2u[i][m] = 0.0;
        b->flow_c2r[i][m] = 0.0;
    } else if ((is_sect_type0(i) && is_sect_type0(k)) || (is_sect_type1(i) && is_sect_type1(k))) {
        // Sections of one orientation: the velocity passes unchanged. Element
        // i is axial by now, so this is an axial element k.
        b->flow_c2r[i][m] = b->flow_c1r[i][m];
        b->flow_c2z[i][m] = b->flow_c1z[i][m];
        b->flow_c2s[i][m] = b->flow_c1s[i][m];
        b->flow_c2u[i][m] = b->flow_c1u[i][m];
        b->flow_c2[i][m] = b->flow_c1[i][m];
    } else {
        // From radial (or other) sections into axial ones: the axial and radial
        // components change places.
        b->flow_c2z[i][m] = b->flow_c1r[i][m];
        b->flow_c2r[i][m] = b->flow_c1z[i][m];
        b->flow_c2s[i][m] = b->flow_c1s[i][m];
        b->flow_c2u[i][m] = b->flow_c1u[i][m];
        b->flow_c2[i][m] = b->flow_c1[i][m];
    }
    b->cas_t2[i][m] = 0.0;  // the outlet streamline runs axially

    // Inlet total state: element k's outlet. Its total temperature is refreshed
    // with this element's fluid constant.
    const double p1 = b->isd_p2x[k][m];
    const double i1 = b->isd_i2x[k][m];
    const double T1 = property(H2_FLUID_T_PI, p1, i1);
    b->isd_s1[i][m] = b->isd_s2[k][m];
    b->isd_T2x[k][m] = T1;
    b->isd_i1x[i][m] = i1;
    b->isd_i1wx[i][m] = i1;
    b->enrg_Lu[i][m] = 0.0;  // no work in a heat exchanger

    // Outlet total state: total-pressure loss, and the total temperature moved
    // towards cool__TOXL by the thermal effectiveness cool__Ocp.
    const double p2 = (1.0 - b->los_om[i][m]) * p1;
    const double T2 = T1 + b->cool_Ocp[i] * (b->cool_TOXL[i] - T1);
    b->isd_T2x[i][m] = T2;
    b->isd_p2x[i][m] = p2;
    b->isd_i2x[i][m] = property(H2_FLUID_I_PT, p2, T2);
    b->isd_i2wx[i][m] = b->isd_i2x[i][m];

    // Outlet static state, taken at rest: static enthalpy equals total.
    b->isd_s2[i][m] = property(H2_FLUID_S_PI, p2, b->isd_i2x[i][m]);
    b->isd_i2[i][m] = b->isd_i2x[i][m];
    b->isd_p2[i][m] = property(H2_FLUID_P_IS, b->isd_i2[i][m], b->isd_s2[i][m]);
    b->isd_T2[i][m] = T2;
    b->isd_Ro2[i][m] = property(H2_FLUID_RHO_PI, b->isd_p2[i][m], b->isd_i2[i][m]);
    // Isentropic outlet enthalpy, from the inlet entropy.
    b->isd_i2t[i][m] = property(H2_FLUID_I_PS, b->isd_p2[i][m], b->isd_s1[i][m]);
    b->isd_i2tt[i][m] = b->isd_i2t[i][m];
    b->isd_a2[i][m] = property(H2_FLUID_SOUND_PI, b->isd_p2[i][m], b->isd_i2[i][m]);
    // A speed of sound of 0 (a failing fluid) would store an infinite Mach number.
    const double a2 = b->isd_a2[i][m];
    b->flow_Mw2[i][m] = a2 != 0.0 ? b->flow_w2[i][m] / a2 : kNoMachNumber;

    // Mass flow: the leakage and bleed flows of a blade row return behind it.
    if (h2::is_rotor(*b, k)) {
        b->elem_G2[i] = b->elem_G2[k] + b->lkgn_GPY[k] + b->elem_Gr[k] + b->elem_Gotb2[k];
    } else if (h2::is_stator(*b, k)) {
        b->elem_G2[i] = b->elem_G2[k] + b->lkgn_GP[k] + b->elem_Gotb2[k];
    } else {
        b->elem_G2[i] = b->elem_G2[k];
    }
    b->elem_G1[i] = b->elem_G2[i];
    return 0;
}
