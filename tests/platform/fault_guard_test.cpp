#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <thread>

#include "platform/fault_guard.h"

namespace {

using h2::platform::GuardOutcome;
using h2::platform::run_guarded;

void completes(void* ctx) { *static_cast<int*>(ctx) = 42; }
void throws(void*) { throw std::runtime_error("solver failed"); }
// A store to the first page, which is never mapped: a real access fault.
void reads_null(void*) {
    volatile std::uintptr_t address = 16;
    *reinterpret_cast<volatile int*>(address) = 1;
}

TEST(FaultGuard, OutcomesOfWork) {
    int value = 0;
    EXPECT_EQ(run_guarded(completes, &value), GuardOutcome::Completed);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(run_guarded(throws, nullptr), GuardOutcome::Exception);
    EXPECT_EQ(run_guarded(reads_null, &value), GuardOutcome::Fault);
    // the guard is usable again after a fault, also on another thread
    EXPECT_EQ(run_guarded(reads_null, &value), GuardOutcome::Fault);
    GuardOutcome other = GuardOutcome::Completed;
    std::thread t([&] { other = run_guarded(reads_null, &value); });
    t.join();
    EXPECT_EQ(other, GuardOutcome::Fault);
}

}  // namespace
