#include "platform/fault_guard.h"

#include <csetjmp>
#include <csignal>
#include <iterator>

namespace h2::platform {

namespace {

constexpr int kGuardedSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};

// The jump target of the innermost guarded call on this thread, or null.
thread_local sigjmp_buf* t_target = nullptr;

struct sigaction g_previous[sizeof kGuardedSignals / sizeof kGuardedSignals[0]];

void on_fault(int sig, siginfo_t* info, void* uctx) {
    if (t_target != nullptr) siglongjmp(*t_target, sig);
    // A fault outside guarded work: hand it to whoever handled it before us.
    for (std::size_t k = 0; k < std::size(kGuardedSignals); ++k) {
        if (kGuardedSignals[k] != sig) continue;
        const struct sigaction& prev = g_previous[k];
        if (prev.sa_flags & SA_SIGINFO) {
            if (prev.sa_sigaction) return prev.sa_sigaction(sig, info, uctx);
        } else if (prev.sa_handler != SIG_DFL && prev.sa_handler != SIG_IGN && prev.sa_handler != nullptr) {
            return prev.sa_handler(sig);
        }
    }
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void install_handlers() {
    struct sigaction sa {};
    sa.sa_sigaction = &on_fault;
    sa.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&sa.sa_mask);
    for (std::size_t k = 0; k < std::size(kGuardedSignals); ++k)
        sigaction(kGuardedSignals[k], &sa, &g_previous[k]);
}

struct Call {
    void (*work)(void*);
    void* context;
    GuardOutcome outcome;
};

// Exceptions are caught in a frame of their own so that the jump buffer's
// frame holds nothing with a destructor.
void call_catching(Call& c) {
    try {
        c.work(c.context);
        c.outcome = GuardOutcome::Completed;
    } catch (...) {
        c.outcome = GuardOutcome::Exception;
    }
}

}  // namespace

GuardOutcome run_guarded(void (*work)(void*), void* context) {
    // Installed once, by the first guarded call; later calls find them in place.
    static const bool installed = (install_handlers(), true);
    (void)installed;

    Call call{work, context, GuardOutcome::Fault};
    sigjmp_buf target;
    sigjmp_buf* const outer = t_target;
    // The signal mask is saved so that a jump out of a handler unblocks the signal again.
    if (sigsetjmp(target, 1) == 0) {
        t_target = &target;
        call_catching(call);
    }
    t_target = outer;
    return call.outcome;
}

}  // namespace h2::platform
