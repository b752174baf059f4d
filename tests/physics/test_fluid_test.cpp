#include <gtest/gtest.h>

#include "tests/support/test_fluid.h"

namespace {

using h2::test::test_fluid_func;

TEST(TestFluid, InversePairsRoundTrip) {
    h2::test::active_test_fluid() = {};
    const double p = 250000.0, i = 900000.0;
    const double s = test_fluid_func(3, p, i, 0, 0);
    EXPECT_NEAR(test_fluid_func(8, i, s, 0, 0), p, 1e-6);
    EXPECT_NEAR(test_fluid_func(9, p, s, 0, 0), i, 1e-6);
    EXPECT_NEAR(test_fluid_func(30, p, test_fluid_func(1, p, i, 0, 0), 0, 0), i, 1e-6);
    EXPECT_NE(s, 0.0);
}

}  // namespace
