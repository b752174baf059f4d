#include "platform/tls.h"

#include <pthread.h>

namespace h2::platform {

TlsIndex tls_alloc(void (*destructor)(void*)) {
    pthread_key_t key;
    if (pthread_key_create(&key, destructor) != 0) return kNoSlot;
    return static_cast<TlsIndex>(key);
}

void tls_free(TlsIndex index) {
    if (index != kNoSlot) pthread_key_delete(static_cast<pthread_key_t>(index));
}

bool tls_set(TlsIndex index, void* value) {
    if (index == kNoSlot) return false;
    return pthread_setspecific(static_cast<pthread_key_t>(index), value) == 0;
}

void* tls_get(TlsIndex index) {
    if (index == kNoSlot) return nullptr;
    return pthread_getspecific(static_cast<pthread_key_t>(index));
}

}  // namespace h2::platform
