#include <gtest/gtest.h>

#include <thread>

#include "case/thread_blocks.h"
#include "numerics/fr_locals.h"
#include "tests/support/case_fixture.h"

namespace {

using h2::test::make_block;

class Threading : public ::testing::Test {
protected:
    void TearDown() override { bend_threading(); }
};

TEST_F(Threading, NothingWorksBeforeThreadingIsPrepared) {
    auto block = make_block();
    EXPECT_EQ(get_bdLocals(), nullptr);
    EXPECT_EQ(set_bdLocals(block.get()), 0);
    EXPECT_EQ(get_bdLocals(), nullptr);
    EXPECT_EQ(get_bdCritSec(), nullptr);
    EXPECT_EQ(fr_alloc(), nullptr);
    EXPECT_EQ(get_fluidLocals(0), nullptr);
}

TEST_F(Threading, EachThreadHasItsOwnCurrentCase) {
    ASSERT_EQ(binit_threading(), 0);
    auto mine = make_block();
    auto theirs = make_block();
    ASSERT_EQ(set_bdLocals(mine.get()), 1);

    bdLocals* seen_at_start = mine.get();
    bdLocals* seen_after_set = nullptr;
    std::thread t([&] {
        seen_at_start = get_bdLocals();
        set_bdLocals(theirs.get());
        seen_after_set = get_bdLocals();
    });
    t.join();
    EXPECT_EQ(seen_at_start, nullptr);
    EXPECT_EQ(seen_after_set, theirs.get());
    EXPECT_EQ(get_bdLocals(), mine.get());
}

TEST_F(Threading, SecondSetUpKeepsSlotsBlocksAndLock) {
    ASSERT_EQ(binit_threading(), 0);
    auto block = make_block();
    ASSERT_EQ(set_bdLocals(block.get()), 1);
    h2::frLocals* fr = fr_alloc();
    void* fluid = fluid_alloc();
    CritSec* lock = get_bdCritSec();
    ASSERT_NE(lock, nullptr);

    EnterCritSec(lock);  // a held lock must survive a repeated set-up
    EXPECT_EQ(binit_threading(), 0);
    EXPECT_EQ(get_bdCritSec(), lock);
    LeaveCritSec(lock);
    EXPECT_EQ(get_bdLocals(), block.get());
    EXPECT_EQ(get_frLocals(), fr);
    EXPECT_EQ(get_fluidLocals(0), fluid);
    EXPECT_EQ(fr_init_threading(), 0);
    EXPECT_EQ(get_frLocals(), fr);
}

TEST_F(Threading, SetToNullChangesNothing) {
    ASSERT_EQ(binit_threading(), 0);
    auto block = make_block();
    ASSERT_EQ(set_bdLocals(block.get()), 1);
    EXPECT_EQ(set_bdLocals(nullptr), 0);
    EXPECT_EQ(get_bdLocals(), block.get());
}

TEST_F(Threading, EndClearsTheLockAndTheCurrentCase) {
    ASSERT_EQ(binit_threading(), 0);
    auto block = make_block();
    set_bdLocals(block.get());
    fr_alloc();
    state_alloc();
    EXPECT_EQ(bend_threading(), 0);
    EXPECT_EQ(get_bdCritSec(), nullptr);
    EXPECT_EQ(get_bdLocals(), nullptr);
    EXPECT_EQ(get_frLocals(), nullptr);
    EXPECT_EQ(get_stateLocals(), nullptr);
    EXPECT_EQ(bend_threading(), 0);  // a second end is harmless
}

TEST_F(Threading, ANewSlotStartsEmptyOnEveryThread) {
    // The current case is remembered per thread; a slot made again must not
    // hand back the block of the slot before it, here or on another thread.
    ASSERT_EQ(binit_threading(), 0);
    auto block = make_block();
    ASSERT_EQ(set_bdLocals(block.get()), 1);
    ASSERT_EQ(get_bdLocals(), block.get());
    std::thread([&] {
        ASSERT_EQ(set_bdLocals(block.get()), 1);
        ASSERT_EQ(get_bdLocals(), block.get());
    }).join();
    ASSERT_EQ(bend_threading(), 0);
    ASSERT_EQ(binit_threading(), 0);
    EXPECT_EQ(get_bdLocals(), nullptr);
    auto other = make_block();
    ASSERT_EQ(set_bdLocals(other.get()), 1);
    EXPECT_EQ(get_bdLocals(), other.get());
    std::thread([] { EXPECT_EQ(get_bdLocals(), nullptr); }).join();
}

TEST_F(Threading, WorkBlocksAreZeroFilledPerThreadAndPerFluid) {
    ASSERT_EQ(binit_threading(), 0);
    auto* main_fluid = static_cast<unsigned char*>(fluid_alloc());
    auto* cool_fluid = static_cast<unsigned char*>(cfluid_alloc());
    auto* mix = static_cast<unsigned char*>(state_alloc());
    h2::frLocals* fr = fr_alloc();
    ASSERT_TRUE(main_fluid && cool_fluid && mix && fr);
    EXPECT_NE(main_fluid, cool_fluid);
    EXPECT_EQ(get_fluidLocals(0), main_fluid);
    EXPECT_EQ(get_fluidLocals(5), cool_fluid);
    EXPECT_EQ(get_fluidLocals(-1), cool_fluid);
    EXPECT_EQ(get_stateLocals(), mix);
    for (int i = 0; i < h2::kFluidLocalsSize; ++i) ASSERT_EQ(main_fluid[i] | cool_fluid[i], 0);
    for (int i = 0; i < h2::kStateLocalsSize; ++i) ASSERT_EQ(mix[i], 0);
    EXPECT_EQ(fr->I, 0);
    EXPECT_EQ(fr->dump, nullptr);
    EXPECT_NE(h2::fluid_slot_index(0), h2::fluid_slot_index(1));

    EXPECT_EQ(set_fluidLocals(nullptr), 0);
    EXPECT_EQ(set_cfluidLocals(nullptr), 0);
    EXPECT_EQ(set_stateLocals(nullptr), 0);
    EXPECT_EQ(fr_set(nullptr), 0);
    EXPECT_EQ(get_frLocals(), fr);

    void* other_thread_block = &fr;
    std::thread t([&] { other_thread_block = get_frLocals(); });
    t.join();
    EXPECT_EQ(other_thread_block, nullptr);
}

TEST_F(Threading, LocksAreReentrantAndNullSafe) {
    CritSec* cs = InitCritSec();
    ASSERT_NE(cs, nullptr);
    EnterCritSec(cs);
    EnterCritSec(cs);
    LeaveCritSec(cs);
    LeaveCritSec(cs);
    DelCritSec(cs);
    EnterCritSec(nullptr);
    LeaveCritSec(nullptr);
    DelCritSec(nullptr);
    EXPECT_EQ(isValidptr(nullptr), 0);
    EXPECT_EQ(isValidptr(&cs), 1);
}

}  // namespace
