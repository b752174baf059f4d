#include <gtest/gtest.h>

#include <cfenv>

#include "platform/fpenv.h"

namespace {

TEST(FpEnvironmentGuard, SetsNearestAndRestoresTheCallersEnvironment) {
    std::fesetround(FE_UPWARD);
    {
        h2::platform::FpEnvironmentGuard guard;
        EXPECT_EQ(std::fegetround(), FE_TONEAREST);
        volatile double zero = 0.0;
        volatile double x = 1.0 / zero;  // masked: no trap, just inf
        EXPECT_TRUE(x > 1e308);
#if defined(__x86_64__) || defined(__i386__)
        fpu_control_t cw;
        _FPU_GETCW(cw);
        EXPECT_EQ(cw & _FPU_EXTENDED, _FPU_DOUBLE);
#endif
    }
    EXPECT_EQ(std::fegetround(), FE_UPWARD);
    EXPECT_FALSE(std::fetestexcept(FE_DIVBYZERO));  // the run's flags do not leak out
    std::fesetround(FE_TONEAREST);
}

}  // namespace
