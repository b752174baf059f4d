// A turbine stage whose two sides differ, so that a radius, a diameter, a
// streamline or a property argument taken from the wrong place changes the
// result: inlet, stator, rotor, stator, rotor on three streamlines. The root
// radius in front of the disk (0.09 m) differs from the one behind it
// (0.10 m), the two diaphragm seals (0.12 m, 0.10 m) differ, hub, middle and
// tip carry different states, inlet and outlet flows differ, and the test
// fluid's isentropic exponent depends on the state it is asked at.
#pragma once

#include "halvorine2/loss_plugin.h"
#include "tests/support/flow_path.h"
#include "tests/support/sealed_turbine.h"
#include "tests/support/state_fluid.h"

namespace h2::test {

inline constexpr int kAsymInlet = 0, kAsymStator = 1, kAsymRotor = 2, kAsymNextStator = 3, kAsymNextRotor = 4;
inline constexpr int kAsymNr = 3;

// Element 1 a diaphragm with a 0.12 m seal (d2 0.21, l2 0.03: root radius
// 0.09 m), element 2 a rotor at 3000 rad/s with six 10 mm holes on a 0.14 m
// circle (d2 0.24, l2 0.04: root radius 0.10 m; d1 0.22, l1 0.035), root gaps
// 2 mm in front and 1.5 mm behind, element 3 a diaphragm with a 0.10 m seal.
// Per streamline j (hub 0, middle 1, tip 2), in front of the disk (element 1)
// p2 = 3.00, 3.10, 3.20 bar, i2 = 300, 302, 304 kJ/kg, rho2 = 2.90, 2.95,
// 3.00 kg/m^3, p1x = 3.40, 3.45, 3.50 bar; behind it (element 2) p2 = 2.50,
// 2.55, 2.60 bar, i2 = 290, 292, 294 kJ/kg, rho2 = 2.40, 2.45, 2.50 kg/m^3;
// inlet i1x = 310, 312, 314 kJ/kg; rotor c1u = 150, 160, 170 m/s, c2u = -20,
// -25, -30 m/s.
inline void make_asymmetric_stage(LossElemFunc seal) {
    make_flow_path({Elem::Inlet, Elem::Stator, Elem::Rotor, Elem::Stator, Elem::Rotor}, kAsymNr);
    bdLocals* b = get_bdLocals();
    if (b == nullptr || b->elem_af == nullptr) return;
    b->fluid_func = &state_fluid_func;
    b->cfluid_func = &state_fluid_func;
    for (int k = 0; k <= b->cyld_ns; ++k) {
        b->elem_af[k] = 1.0;
        b->elem_G1[k] = 3.0 + 0.1 * k;
        b->elem_G2[k] = 3.05 + 0.1 * k;
    }
    for (int k : {kAsymStator, kAsymNextStator}) make_sealed_stator(b, k, seal);
    for (int k : {kAsymRotor, kAsymNextRotor}) make_holed_rotor(b, k);
    b->bld_du[kAsymNextStator] = 0.10;
    b->bld_d2[kAsymStator] = 0.21;
    b->bld_l2[kAsymStator] = 0.03;
    b->bld_d1[kAsymRotor] = 0.22;
    b->bld_l1[kAsymRotor] = 0.035;
    b->bld_d2[kAsymRotor] = 0.24;
    b->bld_l2[kAsymRotor] = 0.04;
    b->clrn_DPODY[kAsymRotor] = 0.0015;
    for (int j = 0; j < kAsymNr; ++j) {
        b->isd_p2[kAsymStator][j] = 3.00e5 + 0.1e5 * j;
        b->isd_i2[kAsymStator][j] = 3.00e5 + 2000.0 * j;
        b->isd_Ro2[kAsymStator][j] = 2.90 + 0.05 * j;
        b->isd_p1x[kAsymStator][j] = 3.40e5 + 0.05e5 * j;
        b->isd_p2[kAsymRotor][j] = 2.50e5 + 0.05e5 * j;
        b->isd_i2[kAsymRotor][j] = 2.90e5 + 2000.0 * j;
        b->isd_Ro2[kAsymRotor][j] = 2.40 + 0.05 * j;
        b->isd_i1x[kAsymInlet][j] = 3.10e5 + 2000.0 * j;
        b->flow_c1u[kAsymRotor][j] = 150.0 + 10.0 * j;
        b->flow_c2u[kAsymRotor][j] = -20.0 - 5.0 * j;
    }
    b->elem_Gr[kAsymRotor] = 0.01;
    b->ITML = 100;
    b->IPL = 0;
}

}  // namespace h2::test
