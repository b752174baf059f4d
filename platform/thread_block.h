// A per-thread block kept in a thread slot of its own. The block belongs to
// the thread: replacing it frees the old one, and a thread that ends frees its
// own, so run threads leave nothing behind.
#pragma once

#include <cstdlib>

#include "platform/tls.h"

namespace h2::platform {

class ThreadBlockSlot {
public:
    // Allocates the slot when there is none; false when there still is none.
    bool init() {
        if (index_ == kNoSlot) index_ = tls_alloc(&std::free);
        return index_ != kNoSlot;
    }
    // Frees the calling thread's block and the slot.
    void end() {
        if (index_ == kNoSlot) return;
        std::free(tls_get(index_));
        tls_set(index_, nullptr);
        tls_free(index_);
        index_ = kNoSlot;
    }
    bool set(void* block) {
        if (index_ == kNoSlot || block == nullptr) return false;
        tls_set(index_, block);
        return true;
    }
    void* get() const { return tls_get(index_); }
    // A new zero-filled block of `size` bytes for the calling thread.
    void* alloc(std::size_t size) {
        if (index_ == kNoSlot) return nullptr;
        void* block = std::calloc(1, size);
        if (block == nullptr) return nullptr;
        void* old = get();
        if (!set(block)) {
            std::free(block);
            return nullptr;
        }
        std::free(old);
        return block;
    }
    TlsIndex index() const { return index_; }

private:
    TlsIndex index_ = kNoSlot;
};

}  // namespace h2::platform
