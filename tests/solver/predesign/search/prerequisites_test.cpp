// Prerequisite defaults: every slot of the block against the documented
// table, slots without a default untouched, and the block the case reaches.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "tests/solver/predesign/search/predesign_fixture.h"

namespace {

using h2::predesign::kPrereqSlots;
using h2::predesign::prereq_block;

// The documented defaults; NAN marks a slot left alone.
constexpr double K = NAN;
const double kExpected[kPrereqSlots] = {
    -1.0,  1.0,   0.01, 6.0,  0.65,  0.75, 0.7,    0.05,  0.01, 0.5,    // 0-9
    0.3,   0.002, 2.0,  10.0, 100.0, 0.2,  0.1,    0.3,   1.25, 0.001,  // 10-19
    0.001, 0.05,  1.0,  1.0,  K,     K,    K,      K,     K,    K,      // 20-29
    1.0,   0.01,  6.0,  0.3,  0.8,   0.5,  0.05,   0.45,  0.01, K,      // 30-39
    K,     K,     10.0, 5.0,  2.0,   5.0,  0.0005, 0.002, 0.9,  -1.0,   // 40-49
    1.0,   0.01,  6.0,  0.65, 0.1,   0.02, 0.02,   0.5,   1.5,  0.75,   // 50-59
    0.3,   0.05,  0.01, 0.5,  1.0,   0.05, 1e-6,   10.0,  1.5,  0.002,  // 60-69
    K,     K,     5.0,  5.0,  16.0,  1.25, 0.001,  2.0,   1.0,  0.0,    // 70-79
    6.0,   0.01,  1.0,  0.04, 0.01,  0.01, 0.4,    3.0,   0.78, 1.6,    // 80-89
    1.0,   6.0,   1.05, 1.0,  1.4,   1.0,  K,      10.0,  3.0,  0.01,   // 90-99
    0.01,  6.0,   2.0,  K,    6.0,   2.0,  6.0,    2.0,   6.0,  0.4,    // 100-109
    3.0,   2.0,   0.0,  0.05, 0.01,  0.01, 0.8,    0.9,   0.9,  0.9,    // 110-119
    0.9,   0.9,   0.8,  0.8,  0.7,                                      // 120-124
};

class Prerequisites : public h2::test::PredesignTest {};

TEST_F(Prerequisites, EverySlotTakesItsDefaultAndTheThirteenOthersStay) {
    ASSERT_EQ(setRanges(1), 0);
    double* block = prereq_block(0);
    ASSERT_EQ(master()->prereq_ref, block);
    const double kHost = 7.25;
    for (int k = 0; k < kPrereqSlots; ++k) block[k] = kHost;
    EXPECT_EQ(PD_default_prereq(), 0);
    const std::set<int> left_alone{24, 25, 26, 27, 28, 29, 39, 40, 41, 70, 71, 96, 103};
    int kept = 0;
    for (int k = 0; k < kPrereqSlots; ++k) {
        if (std::isnan(kExpected[k])) {
            EXPECT_TRUE(left_alone.count(k)) << k;
            EXPECT_EQ(block[k], kHost) << "slot " << k;
            ++kept;
        } else {
            EXPECT_EQ(block[k], kExpected[k]) << "slot " << k;
        }
    }
    EXPECT_EQ(kept, 13);
    // Written with 0.0 although they held other values.
    EXPECT_EQ(block[79], 0.0);
    EXPECT_EQ(block[112], 0.0);

    // Twice is once.
    double once[kPrereqSlots];
    std::copy_n(block, kPrereqSlots, once);
    PD_default_prereq();
    for (int k = 0; k < kPrereqSlots; ++k) EXPECT_EQ(block[k], once[k]) << k;
}

TEST_F(Prerequisites, OnlyTheBlockTheCaseReachesIsWritten) {
    // Block m begins 1,000 bytes after block m - 1.
    for (int m = 1; m < PD_MODULE_MAX; ++m)
        EXPECT_EQ(reinterpret_cast<const char*>(prereq_block(m)) -
                      reinterpret_cast<const char*>(prereq_block(m - 1)),
                  1000);
    master()->prereq_ref = prereq_block(3);
    PD_default_prereq();
    for (int m = 0; m < PD_MODULE_MAX; ++m) EXPECT_EQ(prereq_block(m)[66], m == 3 ? 1e-6 : 0.0) << m;
    EXPECT_EQ(prereq_block(3)[46], 0.0005);
    EXPECT_EQ(prereq_block(4)[0], 0.0);  // the next block starts untouched

    // Without a block nothing anywhere changes.
    h2::test::clear_predesign_tables();
    master()->prereq_ref = nullptr;
    EXPECT_EQ(PD_default_prereq(), 0);
    for (int m = 0; m < PD_MODULE_MAX; ++m)
        for (int k = 0; k < kPrereqSlots; ++k) ASSERT_EQ(prereq_block(m)[k], 0.0);
    set_bdLocals(nullptr);
    EXPECT_EQ(PD_default_prereq(), 0);
}

}  // namespace
