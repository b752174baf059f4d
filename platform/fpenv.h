// The floating-point environment of a run: every exception masked, rounding to
// nearest, and the caller's environment restored on every way out.
#pragma once

#include <cfenv>

namespace h2::platform {

class FpEnvironmentGuard {
public:
    FpEnvironmentGuard() {
        std::feholdexcept(&saved_);  // saves, clears the flags, masks every exception
        std::fesetround(FE_TONEAREST);
    }
    ~FpEnvironmentGuard() { std::fesetenv(&saved_); }
    FpEnvironmentGuard(const FpEnvironmentGuard&) = delete;
    FpEnvironmentGuard& operator=(const FpEnvironmentGuard&) = delete;

private:
    std::fenv_t saved_;
};

} // namespace h2::platform
