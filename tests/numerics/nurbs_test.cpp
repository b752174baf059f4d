#include "numerics/nurbs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "halvorine2/curves.h"
#include "tests/support/captured_console.h"

namespace {

using h2::nurbs_interp;
using h2::nurbs_point;
using h2::nurbs_span;

// A curve record whose arrays are released however the test ends.
struct Curve {
    NurbsCurve c{};
    ~Curve() { h2::nurbs_free(&c); }
};

// What NurbsInt2D hands out, released the way a host releases it.
struct CurveDeleter {
    void operator()(NurbsCurve* c) const {
        std::free(c->ctrl);
        std::free(c->knots);
        std::free(c);
    }
};
using CurvePtr = std::unique_ptr<NurbsCurve, CurveDeleter>;

double distance(Point3 a, Point3 b) { return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z); }

TEST(NurbsInterp, ThreePointsOfDegreeTwoKeepTheDegreeAndAClampedKnotVector) {
    const Point3 pts[] = {{0.0, 0.0, 0.0}, {1.0, 2.0, 0.0}, {3.0, 2.0, 0.0}};
    Curve curve;
    ASSERT_EQ(nurbs_interp(&curve.c, 2, 3, pts, 2), h2::kNurbsFitted);
    EXPECT_EQ(curve.c.degree, 2);
    EXPECT_EQ(curve.c.count, 3);
    const std::vector<double> knots(curve.c.knots, curve.c.knots + 6);
    EXPECT_EQ(knots, (std::vector<double>{0, 0, 0, 1, 1, 1}));
    // Through every point, the middle one at its chord-length parameter.
    const double d1 = std::sqrt(5.0);
    const double u1 = d1 / (d1 + 2.0);
    EXPECT_LT(distance(nurbs_point(&curve.c, 0.0), pts[0]), 1e-12);
    EXPECT_LT(distance(nurbs_point(&curve.c, u1), pts[1]), 1e-12);
    EXPECT_LT(distance(nurbs_point(&curve.c, 1.0), pts[2]), 1e-12);
}

TEST(NurbsInterp, TwoPointsMakeAStraightSegmentOfDegreeOne) {
    const Point3 pts[] = {{1.0, 1.0, 5.0}, {3.0, 2.0, 5.0}};
    Curve curve;
    ASSERT_EQ(nurbs_interp(&curve.c, 2, 2, pts, 2), h2::kNurbsFitted);
    EXPECT_EQ(curve.c.degree, 1);
    EXPECT_EQ(curve.c.ctrl[0].x, 1.0);
    EXPECT_EQ(curve.c.ctrl[1].y, 2.0);
    EXPECT_EQ(curve.c.ctrl[1].z, 0.0);  // a plane curve
    EXPECT_LT(distance(nurbs_point(&curve.c, 0.5), Point3{2.0, 1.5, 0.0}), 1e-15);
}

TEST(NurbsInterp, DegreeOutsideOneToTwentyIsRefused) {
    const Point3 pts[] = {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}};
    for (int degree : {0, 21, -3}) {
        Curve curve;
        EXPECT_EQ(nurbs_interp(&curve.c, 2, 3, pts, degree), h2::kNurbsBadDegree) << degree;
    }
}

TEST(NurbsInterp, CoincidentPointsCannotBeSolved) {
    const Point3 pts[] = {{1, 1, 0}, {1, 1, 0}, {1, 1, 0}};
    Curve curve;
    EXPECT_EQ(nurbs_interp(&curve.c, 2, 3, pts, 2), h2::kNurbsNotSolved);
}

TEST(NurbsInterp, DegreeTwentyInterpolatesItsPoints) {
    // Degree 20 uses entry 20 of the basis recurrence's work arrays.
    constexpr int n = 24;
    std::vector<Point3> pts(n);
    for (int i = 0; i < n; ++i) {
        const double x = static_cast<double>(i) / (n - 1);
        pts[i] = Point3{x, 0.5 * std::sin(2.0 * x), 0.25 * x * x};
    }
    Curve curve;
    ASSERT_EQ(nurbs_interp(&curve.c, 3, n, pts.data(), 20), h2::kNurbsFitted);
    EXPECT_EQ(curve.c.degree, 20);
    // The end points exactly; the inner ones at their chord-length parameters.
    EXPECT_LT(distance(nurbs_point(&curve.c, 0.0), pts[0]), 1e-12);
    EXPECT_LT(distance(nurbs_point(&curve.c, 1.0), pts[n - 1]), 1e-12);
    std::vector<double> u(n);
    h2::chord_params(&curve.c, pts.data(), u.data());
    for (int i = 1; i < n - 1; ++i) EXPECT_LT(distance(nurbs_point(&curve.c, u[i]), pts[i]), 1e-8) << i;
    // The basis is a partition of unity.
    double N[h2::kNurbsMaxDegree + 1];
    ASSERT_TRUE(h2::nurbs_basis_into(&curve.c, 0.37, nurbs_span(&curve.c, 0.37), N));
    double sum = 0.0;
    for (double v : N) sum += v;
    EXPECT_NEAR(sum, 1.0, 1e-12);
}

TEST(NurbsSpan, EndsOfTheParameterRange) {
    const Point3 pts[] = {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}, {3, 1, 0}, {4, 0, 0}};
    Curve curve;
    ASSERT_EQ(nurbs_interp(&curve.c, 2, 5, pts, 2), h2::kNurbsFitted);
    EXPECT_EQ(nurbs_span(&curve.c, 1.0), 4);
    EXPECT_EQ(nurbs_span(&curve.c, 0.0), 2);
    EXPECT_EQ(nurbs_span(&curve.c, 1.5), 4);
    EXPECT_EQ(nurbs_span(&curve.c, -0.5), 2);
    const double inner = curve.c.knots[3];  // one inner knot for five points of degree 2
    EXPECT_EQ(nurbs_span(&curve.c, inner), 3);
    EXPECT_EQ(nurbs_span(&curve.c, inner * 0.5), 2);
}

TEST(NurbsBasis, AllocatedCopyMatches) {
    const Point3 pts[] = {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}, {3, 1, 0}};
    Curve curve;
    ASSERT_EQ(nurbs_interp(&curve.c, 2, 4, pts, 3), h2::kNurbsFitted);
    const int span = nurbs_span(&curve.c, 0.4);
    std::unique_ptr<double, decltype(&std::free)> N(h2::nurbs_basis(&curve.c, 0.4, span), &std::free);
    ASSERT_NE(N, nullptr);
    double M[4];
    ASSERT_TRUE(h2::nurbs_basis_into(&curve.c, 0.4, span, M));
    for (int j = 0; j < 4; ++j) EXPECT_EQ(N.get()[j], M[j]);
}

TEST(BandMatrix, IdentityFactorsAndSolvesToItself) {
    constexpr int n = 4;
    double dense_data[n][n] = {};
    double* dense[n];
    for (int i = 0; i < n; ++i) {
        dense_data[i][i] = 1.0;
        dense[i] = dense_data[i];
    }
    for (int width : {0, 1, 2}) {
        h2::BandRows band = h2::band_alloc(dense, n, width, width);
        ASSERT_NE(band, nullptr);
        EXPECT_EQ(h2::band_lu(band, n, width, width), 0);
        double b[n] = {1.0, -2.0, 3.5, 4.0};
        h2::band_solve(band, n, width, width, b);
        EXPECT_EQ(b[0], 1.0);
        EXPECT_EQ(b[1], -2.0);
        EXPECT_EQ(b[2], 3.5);
        EXPECT_EQ(b[3], 4.0);
        h2::band_free(band);
    }
}

TEST(BandMatrix, SolvesATridiagonalSystemAndReportsZeroPivots) {
    constexpr int n = 3;
    double rows[n][n] = {{2, 1, 0}, {1, 3, 1}, {0, 1, 2}};
    double* dense[n] = {rows[0], rows[1], rows[2]};
    h2::BandRows band = h2::band_alloc(dense, n, 1, 1);
    ASSERT_EQ(h2::band_lu(band, n, 1, 1), 0);
    double b[n] = {3, 5, 3};
    h2::band_solve(band, n, 1, 1, b);
    for (double v : b) EXPECT_NEAR(v, 1.0, 1e-15);
    h2::band_free(band);

    rows[0][0] = 0.0;
    band = h2::band_alloc(dense, n, 1, 1);
    EXPECT_EQ(h2::band_lu(band, n, 1, 1), 3);
    h2::band_free(band);
    EXPECT_EQ(h2::band_lu(nullptr, 0, 1, 1), -1);
}

TEST(BandMatrix, PrintsABlockOfADenseMatrix) {
    double rows[2][2] = {{1, 2}, {3, 4.5}};
    double* dense[2] = {rows[0], rows[1]};
    h2::test::CapturedConsole console;
    h2::band_print(dense, 0, 2, 0, 2);
    EXPECT_EQ(console.text(),
              "----------------------   0...1   X   0...1    ------------------------\n"
              "           1            2 \n"
              "           3          4.5 \n"
              "----------------------------------------------------------------------\n");
}

// ---- NurbsInt2D --------------------------------------------------------------

struct Fit {
    std::vector<double> slope, curvature;
    CurvePtr curve;
};

Fit fit(const std::vector<double>& xs, const std::vector<double>& ys, int degree = 2) {
    const int n = static_cast<int>(xs.size());
    Fit f{std::vector<double>(n, -99.0), std::vector<double>(n, -99.0), nullptr};
    f.curve.reset(NurbsInt2D(n, degree, 20 * (n - 1), xs.data(), ys.data(), f.slope.data(),
                             f.curvature.data(), nullptr));
    return f;
}

TEST(NurbsInt2D, PointsOnALineHaveItsSlopeAndNoCurvature) {
    const Fit f = fit({0.0, 1.0, 2.0}, {0.0, 1.0, 2.0});
    ASSERT_NE(f.curve, nullptr);
    for (int j = 0; j < 3; ++j) {
        EXPECT_NEAR(f.slope[j], 1.0, 1e-9);
        EXPECT_NEAR(f.curvature[j], 0.0, 1e-9);
    }
}

TEST(NurbsInt2D, TwoPointsGiveAStraightSegment) {
    const Fit f = fit({0.0, 2.0}, {1.0, 2.0});
    ASSERT_NE(f.curve, nullptr);
    EXPECT_EQ(f.curve->degree, 1);
    for (int j = 0; j < 2; ++j) {
        EXPECT_NEAR(f.slope[j], 0.5, 1e-9);
        EXPECT_NEAR(f.curvature[j], 0.0, 1e-9);
    }
}

TEST(NurbsInt2D, ArcFallingInPlusXHasCurvatureMinusOneOverR) {
    // Points on a circle of radius R over its top, from -50 to 50 degrees.
    constexpr double R = 2.0;
    constexpr int n = 11;
    std::vector<double> xs(n), ys(n);
    for (int i = 0; i < n; ++i) {
        const double theta = (-50.0 + 10.0 * i) * M_PI / 180.0;
        xs[i] = R * std::sin(theta);
        ys[i] = R * std::cos(theta);
    }
    const Fit f = fit(xs, ys);
    ASSERT_NE(f.curve, nullptr);
    for (int j = 1; j < n - 1; ++j) {
        EXPECT_NEAR(f.curvature[j], -1.0 / R, 0.01 / R) << j;
        EXPECT_NEAR(f.slope[j], -xs[j] / ys[j], 1e-3) << j;  // dy/dx = -x/y on the circle
    }
}

TEST(NurbsInt2D, PointsRunningInMinusXTakeTheNearestSample) {
    constexpr double R = 2.0;
    constexpr int n = 9;
    std::vector<double> xs(n), ys(n);
    for (int i = 0; i < n; ++i) {
        const double theta = (40.0 - 10.0 * i) * M_PI / 180.0;  // from right to left
        xs[i] = R * std::sin(theta);
        ys[i] = R * std::cos(theta);
    }
    const Fit f = fit(xs, ys);
    ASSERT_NE(f.curve, nullptr);
    for (int j = 1; j < n - 1; ++j) EXPECT_NEAR(f.slope[j], -xs[j] / ys[j], 0.02) << j;
}

TEST(NurbsInt2D, HandsOverTheSamplesWhenAsked) {
    const std::vector<double> xs = {0.0, 1.0, 2.0}, ys = {0.0, 1.0, 0.0};
    double slope[3], curvature[3];
    double* samples = nullptr;
    constexpr int m = 40;
    CurvePtr curve(NurbsInt2D(3, 2, m, xs.data(), ys.data(), slope, curvature, &samples));
    ASSERT_NE(curve, nullptr);
    ASSERT_NE(samples, nullptr);
    EXPECT_NEAR(samples[0], 0.0, 1e-12);          // x of the first sample
    EXPECT_NEAR(samples[m - 1], 2.0, 1e-12);      // x of the last
    EXPECT_NEAR(samples[m + m - 1], 0.0, 1e-12);  // y of the last
    EXPECT_LT(samples[3 * m + m / 2], 0.0);       // curvature at the top of the hump
    std::free(samples);
}

TEST(NurbsInt2D, FailuresReturnNullAndWriteNothing) {
    const double xs[] = {0.0, 1.0, 2.0};
    const double ys[] = {0.0, 1.0, 0.0};
    const double same[] = {1.0, 1.0, 1.0};
    struct Case {
        const char* what;
        int n, degree, m;
        const double *x, *y;
    };
    const Case cases[] = {
        {"degree 0", 3, 0, 40, xs, ys},   {"degree 21", 3, 21, 40, xs, ys},
        {"one point", 1, 2, 40, xs, ys},  {"one sample", 3, 2, 1, xs, ys},
        {"no xs", 3, 2, 40, nullptr, ys}, {"coincident", 3, 2, 40, same, same},
    };
    for (const Case& c : cases) {
        double slope[3] = {-9, -9, -9}, curvature[3] = {-9, -9, -9};
        double* samples = nullptr;
        EXPECT_EQ(NurbsInt2D(c.n, c.degree, c.m, c.x, c.y, slope, curvature, &samples), nullptr) << c.what;
        EXPECT_EQ(samples, nullptr) << c.what;
        EXPECT_EQ(slope[0], -9.0) << c.what;
        EXPECT_EQ(curvature[2], -9.0) << c.what;
    }
}

}  // namespace
