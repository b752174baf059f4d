// Copying host text into the fixed-size text fields of the case block.
#pragma once

#include <cstddef>
#include <cstring>

namespace h2 {

// Copies at most capacity-1 characters of src and terminates; NULL copies "".
inline void copy_text(char* dst, std::size_t capacity, const char* src) {
    if (capacity == 0) return;
    const std::size_t n = src ? strnlen(src, capacity - 1) : 0;
    if (n) std::memcpy(dst, src, n);
    dst[n] = '\0';
}

template <std::size_t N>
inline void copy_text(char (&dst)[N], const char* src) {
    copy_text(dst, N, src);
}

}  // namespace h2
