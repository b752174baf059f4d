// Wiesner's slip factor against values worked by hand from his equations.
#include "physics/slip_factor.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct SlipCase {
    double beta2;  // blade exit angle from radial, degrees
    double blades;
    double tip_ratio;  // inducer tip radius over exit radius
    double sigma;
};

// Worked from sigma = 1 - sqrt(cos b)/z^0.7, eps = exp(-8.16 cos b / z) and
// the cubic correction above eps (Wiesner 1967, eqs. 8, 9):
//  30 deg, 20 blades: sqrt(0.866025) = 0.930605, 20^0.7 = 8.14181 ->
//  0.885700; eps = exp(-0.353338) = 0.702340; at e = 0.85 the correction is
//  1 - (0.147660/0.297660)^3 = 0.877924 -> 0.777578.
//  radial blades, 16 blades: 16^0.7 = 6.96440 -> 0.856413.
constexpr SlipCase kCases[] = {
    {30.0, 20.0, 0.0, 0.885700},  {30.0, 20.0, 0.70, 0.885700},   // below the limiting ratio: no correction
    {30.0, 20.0, 0.85, 0.777578}, {-30.0, 20.0, 0.85, 0.777578},  // the sign of the sweep does not matter
    {0.0, 16.0, 0.5, 0.856413},
};

TEST(WiesnerSlip, MatchesHisEquationsWithTheLimitingRadiusRatio) {
    for (const SlipCase& c : kCases)
        EXPECT_NEAR(h2::wiesner_slip(c.beta2, c.blades, c.tip_ratio), c.sigma, 2e-6)
            << c.beta2 << " deg, " << c.blades << " blades, ratio " << c.tip_ratio;
    EXPECT_NEAR(h2::wiesner_limit_ratio(30.0, 20.0), 0.702340, 1e-6);
}

TEST(WiesnerSlip, NoBladesNoSlip) {
    EXPECT_EQ(h2::wiesner_slip(30.0, 0.0), 1.0);
    EXPECT_EQ(h2::wiesner_slip(30.0, std::numeric_limits<double>::quiet_NaN()), 1.0);
}

}  // namespace
