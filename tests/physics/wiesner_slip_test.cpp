// Wiesner's slip factor (J. Eng. Power 89, 1967) and the blade backsweep
// that delivers a given swirl.
#include "physics/wiesner_slip.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kDeg = 0.01745329;

TEST(WiesnerSlip, FactorOfRadialAndBacksweptBlades) {
    struct Case {
        double beta, z, sigma;
    };
    // Radial blades: 1 - 1 / z^0.7 (20 blades 0.877); 30 degrees of backsweep
    // with 17 blades: 1 - sqrt(cos 30) / 17^0.7.
    for (const Case c : {Case{0.0, 20.0, 1.0 - 1.0 / std::pow(20.0, 0.7)},
                         Case{30.0, 17.0, 1.0 - std::sqrt(std::cos(30.0 * kDeg)) / std::pow(17.0, 0.7)}}) {
        SCOPED_TRACE(c.z);
        EXPECT_NEAR(h2::wiesner_slip_factor(c.beta, c.z, 0.3), c.sigma, 1e-12);
    }
    EXPECT_NEAR(h2::wiesner_slip_factor(0.0, 20.0, 0.3), 0.877, 1e-3);
    // Beyond the limiting radius ratio exp(-8.16 cos beta / z) the factor falls.
    const double eps = std::exp(-8.16 / 12.0);  // radial blades, 12 of them: 0.507
    const double s = 1.0 - 1.0 / std::pow(12.0, 0.7);
    EXPECT_NEAR(h2::wiesner_slip_factor(0.0, 12.0, 0.7), s * (1.0 - std::pow((0.7 - eps) / (1.0 - eps), 3.0)),
                1e-12);
    EXPECT_NEAR(h2::wiesner_slip_factor(0.0, 12.0, 0.5), s, 1e-12);
    EXPECT_TRUE(std::isnan(h2::wiesner_slip_factor(0.0, 0.5, 0.3)));
    EXPECT_TRUE(std::isnan(h2::wiesner_slip_factor(90.0, 10.0, 0.3)));
}

TEST(WiesnerSlip, TheBacksweepDeliversTheSwirlAskedFor) {
    struct Case {
        double c2u, u2, c2m, z;
    };
    for (const Case c :
         {Case{180.0, 400.0, 110.0, 16.0}, Case{300.0, 400.0, 60.0, 24.0}, Case{200.0, 300.0, 50.0, 8.0}}) {
        SCOPED_TRACE(c.c2u);
        const double beta = h2::wiesner_backsweep(c.c2u, c.u2, c.c2m, c.z, 0.4);
        ASSERT_TRUE(std::isfinite(beta));
        EXPECT_NEAR(h2::wiesner_slip_factor(beta, c.z, 0.4) * c.u2 - c.c2m * std::tan(beta * kDeg), c.c2u,
                    1e-8);
    }
    // Far more swirl than the blade speed: no blade in the range delivers it.
    EXPECT_TRUE(std::isnan(h2::wiesner_backsweep(600.0, 400.0, 60.0, 20.0, 0.4)));
}

}  // namespace
