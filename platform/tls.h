// Thread-local slots: an index per slot, a pointer per thread and slot.
#pragma once

namespace h2::platform {

using TlsIndex = long;
inline constexpr TlsIndex kNoSlot = -1;

// A new slot, or kNoSlot when none can be had. When `destructor` is given it
// is called with the thread's value when a thread that set one ends.
TlsIndex tls_alloc(void (*destructor)(void*) = nullptr);
// Releases the slot; the values threads stored are not touched.
void tls_free(TlsIndex index);
bool tls_set(TlsIndex index, void* value);
void* tls_get(TlsIndex index);

}  // namespace h2::platform
