// Internal side of the host calls.
#pragma once

extern "C" {
// Puts the floating-point environment back to its default: status flags
// cleared, every exception masked, rounding to nearest. The former environment
// is not kept. Always 0. Not exported; the design generators call it before
// their own calculations.
int reset_fpu(void);
}
