#include <gtest/gtest.h>

#include "halvorine2/fluid_plugin.h"
#include "tests/support/test_fluid.h"

namespace {

using h2::test::test_fluid_func;

TEST(TestFluid, InversePairsRoundTrip) {
    h2::test::active_test_fluid() = {};
    const double p = 250000.0, i = 900000.0;
    const double s = test_fluid_func(H2_FLUID_S_PI, p, i, 0, 0);
    EXPECT_NEAR(test_fluid_func(H2_FLUID_P_IS, i, s, 0, 0), p, 1e-6);
    EXPECT_NEAR(test_fluid_func(H2_FLUID_I_PS, p, s, 0, 0), i, 1e-6);
    EXPECT_NEAR(test_fluid_func(H2_FLUID_I_PT, p, test_fluid_func(H2_FLUID_T_PI, p, i, 0, 0), 0, 0), i, 1e-6);
    EXPECT_NE(s, 0.0);
}

}  // namespace
