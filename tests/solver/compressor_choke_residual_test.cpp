// The outlet-speed residual of a compressor row (no loss models called): the
// row loses the total pressure los__om of its relative inlet dynamic head, so
// its relative outlet total pressure is the isentropic one at the outlet
// rothalpy less om (p1w* - p1); the static outlet state lies on the entropy of
// that total state. Perfect test gas, so each step is a closed form.
#include <gtest/gtest.h>

#include <cmath>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/halvorine2.h"
#include "solver/solver_internal.h"
#include "tests/support/flow_path.h"

namespace {

using h2::test::Elem;

const h2::test::TestFluid kGas{};
const double kCp = kGas.cp();
const double kExp = kGas.k / (kGas.k - 1.0);

class CompressorResidual : public h2::test::PathCaseTest {};

TEST_F(CompressorResidual, TotalPressureLossOfTheRelativeInletHead) {
    h2::test::make_flow_path({Elem::Inlet, Elem::Rotor, Elem::Stator}, 1);
    bdLocals* b = block();
    ASSERT_NE(b->elem_af, nullptr);
    constexpr int i = 1;
    b->cyld_VART = 1;     // a design task: the compressing path makes its rows compressor rows
    b->elem_p0[0] = 1e5;  // compressing
    b->elem_p2[2] = 1.4e5;
    b->ICLos = 0;  // no loss models: the row's om is the one given
    for (int k = 0; k <= 2; ++k) b->elem_af[k] = 1.0;
    b->lkg_elem = i;
    const double i1w = kCp * 300.0, p1w = 1.05e5, p1 = 0.9e5;
    b->isd_i1wx[i][0] = i1w;
    b->isd_p1wx[i][0] = p1w;
    b->isd_p1[i][0] = p1;
    b->isd_s1[i][0] = h2::test::test_fluid_func(H2_FLUID_S_PI, p1w, i1w, 1.0, 0);
    b->isd_i2wx[i][0] = i1w + 8000.0;  // the rothalpy with the blade speed's rise
    b->los_om[i][0] = 0.06;
    b->bld_F2[i] = 0.05;
    b->elem_Pa[i] = 1.0;
    b->los_Fp[i][0] = 1.0;
    b->elem_G2[i] = 3.0;
    const double w = 150.0;
    const double residual = chavel_residual(w);
    EXPECT_TRUE(std::isfinite(residual));

    const double i2w = i1w + 8000.0, h = i2w - w * w / 2.0;
    const double p2w = p1w * std::pow(i2w / i1w, kExp) - (p1w - p1) * 0.06;
    EXPECT_NEAR(b->isd_p2wx[i][0], p2w, 1e-6 * p2w);
    EXPECT_NEAR(b->isd_s2[i][0], h2::test::test_fluid_func(H2_FLUID_S_PI, p2w, i2w, 1.0, 0), 1e-9);
    const double p2 = p2w * std::pow(h / i2w, kExp);
    EXPECT_NEAR(b->isd_p2[i][0], p2, 1e-6 * p2);
    EXPECT_EQ(b->isd_i2[i][0], h);
    // Below the speed of sound the row passes rho2 F2 cn.
    const double rho2 = p2 / (kGas.R * h / kCp);
    EXPECT_NEAR(b->isd_Ro2[i][0], rho2, 1e-6 * rho2);
}

}  // namespace
