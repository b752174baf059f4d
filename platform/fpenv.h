// The floating-point environment of a run: invalid operation, division by
// zero, overflow, underflow and inexact masked, rounding to nearest, the x87
// unit at 53-bit precision; the caller's environment restored on every way out.
#pragma once

#include <cfenv>

#if defined(__x86_64__) || defined(__i386__)
#include <fpu_control.h>
#endif

namespace h2::platform {

class FpEnvironmentGuard {
public:
    FpEnvironmentGuard() {
#if defined(__x86_64__) || defined(__i386__)
        _FPU_GETCW(saved_x87_);
#endif
        std::feholdexcept(&saved_);  // saves, clears the flags, masks every SSE exception
        std::fesetround(FE_TONEAREST);
#if defined(__x86_64__) || defined(__i386__)
        // long double arithmetic rounds like double, as on the platform the
        // library's numbers were first produced on; the denormal mask stays as it was
        constexpr fpu_control_t kPrecisionAndRounding = _FPU_EXTENDED | _FPU_RC_ZERO;
        constexpr fpu_control_t kMasked =
            _FPU_MASK_IM | _FPU_MASK_ZM | _FPU_MASK_OM | _FPU_MASK_UM | _FPU_MASK_PM;
        fpu_control_t cw = (saved_x87_ & ~kPrecisionAndRounding) | _FPU_DOUBLE | _FPU_RC_NEAREST | kMasked;
        _FPU_SETCW(cw);
#endif
    }
    ~FpEnvironmentGuard() {
        std::feclearexcept(FE_ALL_EXCEPT);
        std::fesetenv(&saved_);
#if defined(__x86_64__) || defined(__i386__)
        _FPU_SETCW(saved_x87_);
#endif
    }
    FpEnvironmentGuard(const FpEnvironmentGuard&) = delete;
    FpEnvironmentGuard& operator=(const FpEnvironmentGuard&) = delete;

private:
    std::fenv_t saved_;
#if defined(__x86_64__) || defined(__i386__)
    fpu_control_t saved_x87_ = 0;
#endif
};

}  // namespace h2::platform
