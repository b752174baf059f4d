#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "blades/profile_params.h"

namespace {

using h2::ProfParams;

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;
constexpr double kChart45 = 0.5532;  // chart fraction for tangents meeting at 45 and 45 degrees

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

// The contour and the work block a call hands over.
struct Built {
    std::unique_ptr<Point3, FreeDeleter> contour;
    std::unique_ptr<double, FreeDeleter> work;
    const double* array(const ProfParams& R, int a) const { return work.get() + a * R.stride; }
};

Built build(ProfParams& R) {
    Built out;
    out.contour.reset(h2::profile_from_params(&R));
    out.work.reset(R.work);
    return out;
}

// The chord frame to the cascade frame.
Point3 to_cascade(const ProfParams& R, double x, double y) {
    const double c = std::cos(R.gamma * kDeg), s = std::sin(R.gamma * kDeg);
    return Point3{R.b * ((1 - x) * c - y * s), R.b * ((1 - x) * s + y * c), 0.0};
}

// Thickness of tangents at 45 and 135 degrees from (0, 0) to (1, 0): the
// Bezier curve with both inner control points at height 0.5 * 0.5532, whose
// height at u is 3 u (1 - u) times that.
double thickness45(double u) { return 3.0 * u * (1.0 - u) * 0.5 * kChart45; }

ProfParams record(int nA, int nB, int nIn, int nOut) {
    ProfParams R{};
    R.beta1 = 30.0;
    R.beta2 = 60.0;
    R.thickAngle1 = 40.0;
    R.thickAngle2 = 35.0;
    R.b = 2.0;
    R.tb = 0.8;
    R.gamma = 20.0;
    R.r1 = 0.04;
    R.r2 = 0.01;
    R.nA = nA;
    R.nB = nB;
    R.nIn = nIn;
    R.nOut = nOut;
    return R;
}

double area2(const Point3* p, int n) {
    double sum = 0.0;
    for (int i = 0; i < n; ++i) sum += p[i].x * p[(i + 1) % n].y - p[(i + 1) % n].x * p[i].y;
    return sum;
}

TEST(ProfileParams, CountsStrideEndsAndFramesOfTheContour) {
    struct Case {
        int nA, nB, nIn, nOut;
        double gamma;
        int steps, stride;
    };
    const Case cases[] = {
        {40, 30, 10, 12, 20.0, 30, 31},  // the smaller side count for both sides
        {30, 30, 10, 40, 0.0, 30, 41},   // the outlet edge sets the stride; nB never does
        {12, 25, 20, 8, -15.0, 12, 21},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nA << " " << c.nB << " " << c.gamma);
        ProfParams R = record(c.nA, c.nB, c.nIn, c.nOut);
        R.gamma = c.gamma;
        const Built built = build(R);
        ASSERT_TRUE(built.contour);
        ASSERT_TRUE(built.work);
        EXPECT_EQ(R.nA, c.steps);
        EXPECT_EQ(R.nB, c.steps);
        EXPECT_EQ(R.stride, c.stride);
        const int nA = R.nA, total = 2 * nA + R.nIn + R.nOut;
        const Point3* P = built.contour.get();
        EXPECT_EQ(std::memcmp(&P[total], &P[0], sizeof(Point3)), 0);  // the last point repeats the first
        EXPECT_LT(area2(P, total), 0.0);                              // clockwise
        for (int i = 0; i <= total; ++i) EXPECT_EQ(P[i].z, 0.0);

        EXPECT_EQ(R.outletEnd[0], 0.0);
        EXPECT_EQ(R.outletEnd[1], 0.0);
        EXPECT_NEAR(R.inletEnd[0], R.b * std::cos(c.gamma * kDeg), 1e-15);
        EXPECT_NEAR(R.inletEnd[1], R.b * std::sin(c.gamma * kDeg), 1e-15);
        if (c.gamma == 0.0) {
            EXPECT_EQ(R.inletEnd[0], R.b);
            EXPECT_EQ(R.inletEnd[1], 0.0);
        }
        // The mean line in the cascade frame runs from the inlet end to the
        // outlet end; only the point (1, 0) at nA is set in arrays 12, 13.
        EXPECT_NEAR(built.array(R, 0)[0], R.inletEnd[0], 1e-15);
        EXPECT_NEAR(built.array(R, 1)[0], R.inletEnd[1], 1e-15);
        EXPECT_NEAR(built.array(R, 0)[nA], 0.0, 1e-15);
        EXPECT_NEAR(built.array(R, 1)[nA], 0.0, 1e-15);
        for (int i = 0; i < R.stride; ++i) {
            EXPECT_EQ(built.array(R, 12)[i], i == nA ? 1.0 : 0.0) << i;
            EXPECT_EQ(built.array(R, 13)[i], 0.0) << i;
        }
        // The edges start exactly at the side ends: contour point nA is the
        // image of side A point 0 and point 2 nA + nIn that of side B point nA.
        const double *ax = built.array(R, 4), *ay = built.array(R, 5);
        const double *bx = built.array(R, 8), *by = built.array(R, 9);
        const Point3 a0 = to_cascade(R, ax[0], ay[0]), bn = to_cascade(R, bx[nA], by[nA]);
        EXPECT_NEAR(P[nA].x, a0.x, 1e-15);
        EXPECT_NEAR(P[nA].y, a0.y, 1e-15);
        EXPECT_NEAR(P[2 * nA + R.nIn].x, bn.x, 1e-15);
        EXPECT_NEAR(P[2 * nA + R.nIn].y, bn.y, 1e-15);
        EXPECT_EQ(built.array(R, 6)[0], ax[0]);
        EXPECT_EQ(built.array(R, 10)[0], bx[nA]);
        // The throat pair lies on side A and on the neighbour's side B or
        // outlet edge, and is no wider than the pitch.
        EXPECT_GE(R.iThroatA, 0);
        EXPECT_LT(R.iThroatA, nA);
        EXPECT_GE(R.iThroatB, nA + R.nIn);
        EXPECT_LT(R.iThroatB, total);
        EXPECT_GT(R.ot, 0.0);
        EXPECT_LT(R.ot, 1.0);
    }
}

TEST(ProfileParams, StraightMeanLineWithSymmetricThicknessHasItsClosedForm) {
    // Mean-line end angles 0 and 0 in the chord frame (beta1 = 90, beta2 =
    // -90, no stagger): the straight chord, x_i = i / nA. Thickness end angles
    // 45 and 135: the parabola-like Bezier of height 0.75 * 0.2766 = 0.20745
    // at u = 1/2. Equal edge terms r / b make the sides y = +-(T_i / 2 + r / b).
    ProfParams R = record(40, 40, 10, 10);
    R.beta1 = 90.0;
    R.beta2 = -90.0;
    R.gamma = 0.0;
    R.thickAngle1 = 45.0;
    R.thickAngle2 = 45.0;
    R.r1 = R.r2 = 0.02;
    R.xSag = 7.0;
    R.iSag = -5;
    const Built built = build(R);
    ASSERT_TRUE(built.contour);
    const int nA = R.nA;
    const double edge = R.r1 / R.b;

    EXPECT_EQ(R.sag, 0.0);  // no mean-line point below the chord
    EXPECT_EQ(R.xSag, 7.0);
    EXPECT_EQ(R.iSag, -5);
    EXPECT_NEAR(R.k1Thick, kChart45, 1e-12);
    EXPECT_NEAR(R.k2Thick, kChart45, 1e-12);
    EXPECT_NEAR(R.thickMax, 0.20745, 1e-12);
    EXPECT_NEAR(R.xThick, 0.5, 1e-12);
    EXPECT_EQ(R.iThick, nA / 2);
    for (int i = 0; i <= nA; ++i) {
        const double x = static_cast<double>(i) / nA, h = thickness45(x) / 2 + edge;
        // At a level slope the normal leans back by 1e-8 from (0, 1).
        EXPECT_NEAR(built.array(R, 4)[i], x - 1e-8 * h, 1e-15) << i;
        EXPECT_NEAR(built.array(R, 5)[i], h, 1e-12) << i;
        EXPECT_NEAR(built.array(R, 8)[i], x + 1e-8 * h, 1e-15) << i;
        EXPECT_NEAR(built.array(R, 9)[i], -h, 1e-12) << i;
        EXPECT_NEAR(built.array(R, 0)[i], R.b * (1 - x), 1e-12) << i;  // the mean line in the cascade frame
        EXPECT_EQ(built.array(R, 1)[i], 0.0) << i;
    }

    // The neighbour sits t above: the narrowest gap is between the thickest
    // points, t - 2 b h_max, at side A point nA / 2 and side B point nA / 2.
    const double t = R.b * R.tb;
    const double hMax = 0.20745 / 2 + edge;
    EXPECT_NEAR(R.ot, (t - 2 * R.b * hMax) / t, 1e-9);
    EXPECT_EQ(R.iThroatA, nA - nA / 2);
    EXPECT_EQ(R.iThroatB, nA + R.nIn + nA / 2);
    // Side A's turning from its outlet-end segment to the segment ending at
    // the throat point (cascade x runs as 1 - chord x).
    const double h = 1.0 / nA;
    const double first = std::atan2((thickness45(1 - h) - thickness45(1)) / 2, h);
    const double last = std::atan2((thickness45(0.5) - thickness45(0.5 + h)) / 2, h);
    EXPECT_NEAR(R.throatTurn, (first - last) / kDeg, 1e-6);
}

TEST(ProfileParams, SagOfAMeanLineBelowTheChord) {
    // End angles -45 and 45 in the chord frame: the mirror image of a
    // 45/45 arch, 0.20745 deep at x = 1/2.
    ProfParams R = record(30, 30, 8, 8);
    R.beta1 = 135.0;
    R.beta2 = -45.0;
    R.gamma = 0.0;
    const Built built = build(R);
    ASSERT_TRUE(built.contour);
    EXPECT_NEAR(R.k1Mean, kChart45, 1e-12);
    EXPECT_NEAR(R.k2Mean, kChart45, 1e-12);
    EXPECT_NEAR(R.sag, 0.20745, 1e-12);
    EXPECT_NEAR(R.xSag, 0.5, 1e-12);
    EXPECT_EQ(R.iSag, 15);
    EXPECT_NEAR(built.array(R, 1)[15], -0.20745 * R.b, 1e-12);
}

TEST(ProfileParams, ThroatTurnWithoutASegmentEndingAtTheThroatIsZero) {
    // No thickness curve (end angles 0 and 180) and an edge term growing to
    // the outlet: side A is highest at its outlet end, which is the throat
    // point; no side-A segment ends there.
    ProfParams R = record(30, 30, 8, 8);
    R.beta1 = 90.0;
    R.beta2 = -90.0;
    R.gamma = 0.0;
    R.thickAngle1 = 0.0;
    R.thickAngle2 = 0.0;
    R.r1 = 0.01;
    R.r2 = 0.05;
    R.xThick = 3.0;
    R.iThick = 9;
    R.throatTurn = 5.0;
    {
        const Built built = build(R);
        ASSERT_TRUE(built.contour);
        EXPECT_EQ(R.thickMax, 0.0);  // no positive thickness: its place is kept
        EXPECT_EQ(R.xThick, 3.0);
        EXPECT_EQ(R.iThick, 9);
        EXPECT_EQ(R.iThroatA, 0);
        EXPECT_EQ(R.throatTurn, 0.0);
        const double t = R.b * R.tb;
        EXPECT_LE(R.ot, (t - 2 * R.r2) / t + 1e-9);
    }
    // The edge term growing to the inlet instead: side A is highest at its
    // inlet end, which is no candidate; the throat point is the one before.
    R.r1 = 0.05;
    R.r2 = 0.01;
    {
        const Built built = build(R);
        ASSERT_TRUE(built.contour);
        EXPECT_EQ(R.iThroatA, R.nA - 1);
    }
    // A chord so long that every squared distance exceeds 1e16: no throat
    // pair, the indices keep their values, ot = 1e8 / t and no turning.
    R.b = 1e9;
    R.thickAngle1 = R.thickAngle2 = 45.0;
    R.iThroatA = 0;
    R.iThroatB = 99;
    R.throatTurn = 5.0;
    const Built built = build(R);
    ASSERT_TRUE(built.contour);
    EXPECT_EQ(R.iThroatA, 0);
    EXPECT_EQ(R.iThroatB, 99);
    EXPECT_DOUBLE_EQ(R.ot, 1e8 / (R.b * R.tb));
    EXPECT_EQ(R.throatTurn, 0.0);
}

TEST(ProfileParams, UnusableRecordsAreRefusedBeforeAnything) {
    EXPECT_EQ(h2::profile_from_params(nullptr), nullptr);
    struct Case {
        const char* what;
        void (*spoil)(ProfParams&);
    };
    const Case cases[] = {
        {"nA 1", [](ProfParams& R) { R.nA = 1; }},
        {"nB 1", [](ProfParams& R) { R.nB = 1; }},
        {"nIn 0", [](ProfParams& R) { R.nIn = 0; }},
        {"nOut -2", [](ProfParams& R) { R.nOut = -2; }},
        {"b 0", [](ProfParams& R) { R.b = 0.0; }},
        {"tb negative", [](ProfParams& R) { R.tb = -0.8; }},
        {"b NaN", [](ProfParams& R) { R.b = std::numeric_limits<double>::quiet_NaN(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProfParams R = record(40, 30, 10, 10);
        c.spoil(R);
        ProfParams before = R;
        EXPECT_EQ(h2::profile_from_params(&R), nullptr);
        EXPECT_EQ(std::memcmp(&R, &before, sizeof R), 0);  // nothing written, no work block
    }
}

TEST(ProfileParams, CamberEstimates) {
    struct Case {
        double beta1, beta2, c;
        double half, scaled, mean, camber, sine;
    };
    const Case cases[] = {
        {30, 50, 0.1, 10, 9.0909091, 40, 0.044, 0.5487876},
        {35, 35, 0.2, 0, 0.2 / 0.011, 35, 0, std::sin(35 * kDeg) - 0.1},  // no turning, no camber
    };
    for (const auto& c : cases) {
        double out[5] = {-1, -1, -1, -1, -1};
        EXPECT_EQ(h2::camber_estimates(c.beta1, c.beta2, c.c, &out[0], &out[1], &out[2], &out[3], &out[4]),
                  0);
        EXPECT_NEAR(out[0], c.half, 1e-12);
        EXPECT_NEAR(out[1], c.scaled, 1e-7);
        EXPECT_NEAR(out[2], c.mean, 1e-12);
        EXPECT_NEAR(out[3], c.camber, 1e-12);
        EXPECT_NEAR(out[4], c.sine, 1e-7);
    }
}

}  // namespace
