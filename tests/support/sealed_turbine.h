// A two-stage turbine for the seal and disk tests: inlet, stator, rotor,
// stator, rotor. Each stator is a diaphragm with a 0.12 m seal whose flow the
// given model computes; each rotor a disk with six 10 mm balance holes on a
// 0.14 m circle and 2 mm root gaps.
#pragma once

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/loss_plugin.h"
#include "tests/support/flow_path.h"

namespace h2::test {

inline constexpr int kSealedStators[] = {1, 3};
inline constexpr int kSealedRotors[] = {2, 4};

// Stator k becomes a diaphragm with a 0.12 m seal whose flow `seal` computes.
inline void make_sealed_stator(bdLocals* b, int k, LossElemFunc seal) {
    b->elem_stagType[k] = 1.0;
    b->bld_z[k] = 48.0;
    b->bld_du[k] = 0.12;
    b->elem_MethodD[k] = 1.0;
    b->LossSlots[H2_LOSS_D][k] = reinterpret_cast<LossEntry>(seal);
}

// Rotor k becomes a disk with six 10 mm balance holes on a 0.14 m circle and 2 mm root gaps.
inline void make_holed_rotor(bdLocals* b, int k) {
    b->elem_stagType[k] = 1.0;
    b->bld_z[k] = 60.0;
    b->bld_wp[k] = 3000.0;
    b->clrn_Zr8[k] = 6.0;
    b->clrn_ORO[k] = 0.14;
    b->clrn_DRO[k] = 0.01;
    b->clrn_DPOD[k] = b->clrn_DPODY[k] = 0.002;
}

// A path of ns ducts on one streamline with falling pressure, ready for rows
// to be made of some elements; the perfect-gas test fluid installed.
inline void make_long_ducted_path(int ns) {
    bdLocals* b = get_bdLocals();
    ASSERT_NE(b, nullptr);
    b->cyld_ns = ns;
    b->cyld_nr = 1;
    ASSERT_EQ(alloc_probdata(ns + 1, 1), 0);
    install_test_fluid(b);
    b->cyld_G = 3.0;
    b->ITML = 5;
    const double i0 = TestFluid{}.cp() * 1000.0;
    for (int k = 0; k <= ns; ++k) {
        b->bld_d2[k] = 0.2;
        b->bld_l2[k] = 0.03;
        b->elem_af[k] = 1.0;
        b->isd_p2[k][0] = b->isd_p1x[k][0] = 3e5 - 1000.0 * k;
        b->isd_i2[k][0] = b->isd_i1x[k][0] = i0;
        b->isd_Ro2[k][0] = test_fluid_func(H2_FLUID_RHO_PI, b->isd_p2[k][0], i0, 0.0, 0);
    }
}

inline void make_sealed_two_stage_turbine(int nr, LossElemFunc seal) {
    make_flow_path({Elem::Inlet, Elem::Stator, Elem::Rotor, Elem::Stator, Elem::Rotor}, nr);
    bdLocals* b = get_bdLocals();
    if (b == nullptr || b->elem_af == nullptr) return;
    for (int k = 0; k <= b->cyld_ns; ++k) {
        b->elem_af[k] = 1.0;
        for (int j = 0; j < nr; ++j) {
            b->isd_p1x[k][j] = b->elem_p0[k];
            b->isd_i1x[k][j] = b->isd_i1[k][j];
            b->isd_Ro2[k][j] = test_fluid_func(H2_FLUID_RHO_PI, b->isd_p2[k][j], b->isd_i2[k][j], 0.0, 0);
            b->flow_c1u[k][j] = 150.0;
            b->flow_c2u[k][j] = 20.0;
        }
    }
    for (int k : kSealedStators) make_sealed_stator(b, k, seal);
    for (int k : kSealedRotors) {
        make_holed_rotor(b, k);
        b->elem_Gr[k] = 0.01;
    }
    b->IPL = 0;
}

}  // namespace h2::test
