// Functions for the host-call tests to find by name and call with arguments
// built at run time. Each folds its arguments into one int in a way that
// tells every argument and its position apart.
#include <cmath>
#include <cstring>

#define HC_EXPORT extern "C" __attribute__((visibility("default")))

// fn(7, 2.5) gives 7025.
HC_EXPORT int hc_scale(int a, double b) { return a * 1000 + static_cast<int>(std::lround(b * 10.0)); }

// Interleaved kinds; the pointer is read, so a wrong one shows.
HC_EXPORT int hc_mixed(double a, int b, double c, const int* p) {
    return *p + b * 100 + static_cast<int>(std::lround(a * 10.0 + c));
}

HC_EXPORT int hc_answer(void) { return 42; }

// Uses the C library, so it is among this library's dependencies and a look-up
// through the library's handle can reach it.
HC_EXPORT int hc_length(const char* s) { return static_cast<int>(std::strlen(s)); }

// Defined here but not exported: never found by name.
extern "C" __attribute__((visibility("hidden"))) int hc_hidden(void) { return 7; }
