// Runs a piece of work so that a hardware fault inside it (invalid memory
// access, bus error, arithmetic trap, illegal instruction) or an escaping C++
// exception ends only that work, not the process.
#pragma once

namespace h2::platform {

enum class GuardOutcome { Completed, Exception, Fault };

// Calls work(context) on the calling thread. A fault returns through a
// non-local jump: frames between here and the fault are abandoned without
// running their destructors, so the work must not hold resources it cannot
// afford to lose; locks taken around the call stay the caller's to release.
GuardOutcome run_guarded(void (*work)(void*), void* context);

}  // namespace h2::platform
