// The default values of a predesign prerequisite block, for tests and
// benchmarks that need a block filled the way a host leaves it.
#pragma once

namespace h2::test {

// The default prerequisite slots (slots without a default are left alone).
inline void fill_default_prereq(double* s) {
    // clang-format off
    const double v[125] = {
        -1.0, 1.0,  0.01, 6.0,  0.65,   0.75,  0.7,  0.05, 0.01,   0.5,    // 0-9
        0.3,  0.002, 2.0, 10.0, 100.0,  0.2,   0.1,  0.3,  1.25,   0.001,  // 10-19
        0.001, 0.05, 1.0, 1.0,  0,      0,     0,    0,    0,      0,      // 20-29
        1.0,  0.01, 6.0,  0.3,  0,      0.5,   0.05, 0.45, 0.01,   0,      // 30-39
        0,    0,    10.0, 5.0,  2.0,    5.0,   0.0005, 0.002, 0.9, -1.0,   // 40-49
        1.0,  0.01, 6.0,  0.65, 0.1,    0.02,  0.02, 0.5,  1.5,    0.75,   // 50-59
        0.3,  0.05, 0.01, 0.5,  1.0,    0.05,  0.000001, 10.0, 1.5, 0.002, // 60-69
        0,    0,    5.0,  5.0,  16.0,   1.25,  0.001, 2.0, 1.0,    0.0,    // 70-79
        6.0,  0.01, 1.0,  0.04, 0.01,   0.01,  0.4,  3.0,  0.78,   1.6,    // 80-89
        1.0,  6.0,  1.05, 1.0,  1.4,    1.0,   0,    10.0, 3.0,    0.01,   // 90-99
        0.01, 6.0,  2.0,  0,    6.0,    2.0,   6.0,  2.0,  6.0,    0.4,    // 100-109
        3.0,  2.0,  0.0,  0.05, 0.01,   0.01,  0.8,  0.9,  0.9,    0.9,    // 110-119
        0.9,  0.9,  0.8,  0.8,  0.7};                                      // 120-124
    // clang-format on
    constexpr int kKept[] = {24, 25, 26, 27, 28, 29, 34, 39, 40, 41, 70, 71, 96, 103};
    for (int k = 0; k < 125; ++k) {
        bool kept = false;
        for (int c : kKept) kept = kept || c == k;
        if (!kept) s[k] = v[k];
    }
}

}  // namespace h2::test
