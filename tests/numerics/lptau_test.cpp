#include "halvorine2/lptau.h"

#include <gtest/gtest.h>

#include <array>
#include <cfenv>
#include <climits>
#include <set>
#include <vector>

#include "numerics/lptau_internal.h"

namespace {

using Point3D = std::array<double, 3>;

// Declared first: the 20-dimensional table is switched on once per process
// (ctest runs every test in a process of its own).
TEST(LPT20point, BeforeInitGivesZeros) {
    double x[3] = {-1.0, -1.0, -1.0};
    LPT20point(3, 3, x);
    EXPECT_EQ(x[0], 0.0);
    EXPECT_EQ(x[1], 0.0);
    EXPECT_EQ(x[2], 0.0);
}

Point3D draw40(int& s) {
    Point3D x{-1.0, -1.0, -1.0};
    EXPECT_EQ(LPT40point(&s, 3, x.data()), 0);
    return x;
}

// Points 0..4 of the three-dimensional sequence.
const Point3D kFirstPoints[] = {
    {0.0, 0.0, 0.0}, {0.5, 0.5, 0.5}, {0.75, 0.25, 0.75}, {0.25, 0.75, 0.25}, {0.375, 0.375, 0.625}};

TEST(LPT40point, FirstPointsOfThreeDimensionsInSequence) {
    LPT40init();
    int s = 0;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(draw40(s), kFirstPoints[i]) << "point " << i;
    EXPECT_EQ(s, 5);
}

TEST(LPT40point, JumpsForwardAndRestartsForEarlierIndices) {
    LPT40init();
    int s = 0;
    draw40(s);
    s = 3;  // walks the chain from 0
    EXPECT_EQ(draw40(s), kFirstPoints[3]);
    s = 4;
    draw40(s);
    s = 1;  // below the last index: from the start again
    EXPECT_EQ(draw40(s), kFirstPoints[1]);
    EXPECT_EQ(s, 2);
}

TEST(LPT40point, AnyIndexGivesTheSamePointHoweverItIsReached) {
    // In sequence, in 40 dimensions.
    constexpr int kDims = 40;
    constexpr int kCount = 300;
    std::vector<std::array<double, kDims>> sequence(kCount);
    LPT40init();
    int s = 0;
    for (auto& p : sequence) ASSERT_EQ(LPT40point(&s, kDims, p.data()), 0);
    // Then in a scrambled order, each index on its own.
    for (int k = 0; k < kCount; ++k) {
        int index = (k * 97) % kCount;
        std::array<double, kDims> p;
        ASSERT_EQ(LPT40point(&index, kDims, p.data()), 0);
        EXPECT_EQ(p, sequence[(k * 97) % kCount]) << (k * 97) % kCount;
    }
}

TEST(LPT40point, FirstCallsAfterInitOrADimensionChangeServeTheRightPoint) {
    // Without a chain to continue from, index 2 right after the reset must
    // not come out of words left by other dimensions.
    LPT40init();
    int s = 2;
    EXPECT_EQ(draw40(s), kFirstPoints[2]);

    double x2[2];
    s = 0;
    for (int i = 0; i < 4; ++i) LPT40point(&s, 2, x2);
    EXPECT_EQ(s, 4);
    EXPECT_EQ(draw40(s), kFirstPoints[4]);  // now three dimensions
}

TEST(LPT40point, DimensionsOutsideTwoToFortyAreRefused) {
    for (int dim : {1, 41, 0, -3}) {
        double x[3] = {-1.0, -1.0, -1.0};
        int s = 1;
        EXPECT_EQ(LPT40point(&s, dim, x), 1) << dim;
        EXPECT_EQ(x[0], -1.0);
        EXPECT_EQ(s, 1);
    }
    // The next call with a valid dimension builds again.
    int s = 1;
    EXPECT_EQ(draw40(s), kFirstPoints[1]);
}

TEST(LPT40point, NegativeIndexIsTakenAsZero) {
    int s = -5;
    EXPECT_EQ(draw40(s), kFirstPoints[0]);
    EXPECT_EQ(s, 1);
}

TEST(LPT40point, IndicesBeyondTheDirectionTableAreRefused) {
    for (int index : {(1 << 29) - 1, (1 << 30) - 1, 1 << 30, INT_MAX}) {
        double x[3] = {-1.0, -1.0, -1.0};
        int s = index;
        EXPECT_EQ(LPT40point(&s, 3, x), 2) << index;
        EXPECT_EQ(s, index);
        EXPECT_EQ(x[0], -1.0);
    }
    // The chain is not disturbed by a refusal.
    int s = 0;
    draw40(s);
    EXPECT_EQ(draw40(s), kFirstPoints[1]);
}

TEST(LPT40point, MissingPointersAreRefused) {
    int s = 0;
    double x[2];
    EXPECT_EQ(LPT40point(nullptr, 2, x), -1);
    EXPECT_EQ(LPT40point(&s, 2, nullptr), -1);
}

TEST(LPT40point, LeavesTheCallersFloatingPointSettingsAsTheyWere) {
    ASSERT_EQ(std::fesetround(FE_UPWARD), 0);
    ASSERT_NE(feenableexcept(FE_DIVBYZERO), -1);
    int s = 0;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(draw40(s), kFirstPoints[i]);
    EXPECT_EQ(std::fegetround(), FE_UPWARD);
    EXPECT_EQ(fegetexcept(), FE_DIVBYZERO);
    fedisableexcept(FE_ALL_EXCEPT);
    std::fesetround(FE_TONEAREST);
}

TEST(LPT40init, ResetsAndReturnsOne) {
    EXPECT_EQ(LPT40init(), 1);
    int s = 0;
    EXPECT_EQ(draw40(s), kFirstPoints[0]);
}

// Every dyadic interval of length 1/1024 holds exactly one of the first 1024
// values of each of the first two coordinates, and every elementary box of
// area 1/1024 in those two coordinates holds exactly one point: a (0, 10, 2)-net.
void expect_net(const std::vector<std::array<double, 2>>& points) {
    constexpr int kBits = 10;
    for (int d = 0; d < 2; ++d) {
        std::set<int> cells;
        for (const auto& p : points) cells.insert(static_cast<int>(p[d] * (1 << kBits)));
        EXPECT_EQ(cells.size(), points.size()) << "dimension " << d + 1;
    }
    for (int a = 0; a <= kBits; ++a) {
        std::set<std::pair<int, int>> boxes;
        for (const auto& p : points) {
            boxes.insert({static_cast<int>(p[0] * (1 << a)), static_cast<int>(p[1] * (1 << (kBits - a)))});
        }
        EXPECT_EQ(boxes.size(), points.size()) << "boxes 2^-" << a << " x 2^-" << kBits - a;
    }
}

TEST(LPT40point, FirstPointsFormANetInTheFirstTwoDimensions) {
    constexpr int kDims = 40;
    std::vector<std::array<double, 2>> points;
    LPT40init();
    int s = 0;
    for (int i = 0; i < 1024; ++i) {
        double x[kDims];
        ASSERT_EQ(LPT40point(&s, kDims, x), 0);
        for (double v : x) ASSERT_TRUE(v >= 0.0 && v < 1.0);
        points.push_back({x[0], x[1]});
    }
    expect_net(points);
}

TEST(LPT20point, PointsInNaturalOrder) {
    LPT20init();
    LPT20init();  // a second call changes nothing
    struct Case {
        std::uint32_t i;
        Point3D expected;
    };
    for (const Case& c : {Case{1, {0.5, 0.5, 0.5}}, Case{2, {0.25, 0.75, 0.25}}, Case{3, {0.75, 0.25, 0.75}},
                          Case{65537, {0.5, 0.5, 0.5}}}) {
        Point3D x{};
        LPT20point(c.i, 3, x.data());
        EXPECT_EQ(x, c.expected) << c.i;
    }
}

TEST(LPT20point, SameSetAsTheGrayCodeGeneratorAndANet) {
    LPT20init();
    std::vector<std::array<double, 2>> points;
    for (std::uint32_t i = 0; i < 1024; ++i) {
        double x[20];
        LPT20point(i, 20, x);
        points.push_back({x[0], x[1]});
    }
    expect_net(points);
}

TEST(LPT20point, DimensionsAboveTwentyWriteNothing) {
    LPT20init();
    std::vector<double> x(21, -1.0);
    LPT20point(1, 21, x.data());
    for (double v : x) EXPECT_EQ(v, -1.0);
    LPT20point(1, 3, nullptr);  // no crash
}

TEST(LptTables, TwentyDimensionTableKeepsItsOneDifference) {
    const auto& m = h2::lpt_numerators();
    const auto& t = h2::lpt20_numerators();
    for (int d = 1; d <= 20; ++d) {
        for (int k = 1; k <= 16; ++k) {
            if (d == 18 && k == 12) {
                EXPECT_EQ(m[d][k], 2881u);
                EXPECT_EQ(t[d][k], 2381u);
            } else {
                EXPECT_EQ(t[d][k], m[d][k]) << d << ", " << k;
            }
        }
    }
}

TEST(LptTables, NumeratorsAreOddAndBelowTheirColumnsPowerOfTwo) {
    const auto& m = h2::lpt_numerators();
    for (int d = 1; d <= h2::kLptDims; ++d) {
        for (int k = 1; k <= h2::kLpt40Columns; ++k) {
            EXPECT_EQ(m[d][k] % 2, 1u) << d << ", " << k;
            EXPECT_LT(m[d][k], 1u << k) << d << ", " << k;
        }
    }
}

TEST(LptBits, BitLengthAndLowestZero) {
    EXPECT_EQ(h2::lpt_bitlen(0), 0);
    EXPECT_EQ(h2::lpt_bitlen(1), 1);
    EXPECT_EQ(h2::lpt_bitlen((1u << 30) - 1), 30);
    EXPECT_EQ(h2::lpt_lowzero(0), 1);
    EXPECT_EQ(h2::lpt_lowzero(4), 1);
    EXPECT_EQ(h2::lpt_lowzero(1), 2);
    EXPECT_EQ(h2::lpt_lowzero(3), 3);
    EXPECT_EQ(h2::lpt_lowzero((1u << 29) - 1), 30);
}

}  // namespace
