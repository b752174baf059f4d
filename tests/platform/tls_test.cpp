#include <gtest/gtest.h>

#include <thread>

#include "platform/thread_block.h"
#include "platform/tls.h"

using namespace h2::platform;

TEST(ThreadBlockSlot, BlocksArePerThreadAndReplacedBlocksAreFreed) {
    ThreadBlockSlot slot;
    ASSERT_TRUE(slot.init());
    const TlsIndex index = slot.index();
    ASSERT_TRUE(slot.init());  // a second init keeps the slot
    EXPECT_EQ(slot.index(), index);

    void* first = slot.alloc(16);
    ASSERT_NE(first, nullptr);
    void* second = slot.alloc(16);  // replaces and frees the first (ASan would report a leak otherwise)
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(slot.get(), second);

    void* other = nullptr;
    std::thread t([&] {
        EXPECT_EQ(slot.get(), nullptr);  // a new thread starts without a block
        other = slot.alloc(16);          // freed by the slot's destructor when the thread ends
    });
    t.join();
    EXPECT_NE(other, second);
    EXPECT_EQ(slot.get(), second);

    EXPECT_FALSE(slot.set(nullptr));
    EXPECT_EQ(slot.get(), second);
    slot.end();
    EXPECT_EQ(slot.index(), kNoSlot);
    EXPECT_EQ(slot.get(), nullptr);
    int dummy = 0;
    EXPECT_FALSE(slot.set(&dummy));
}
