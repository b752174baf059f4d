#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "blades/atlas.h"
#include "tests/blades/atlas_owner.h"

namespace {

using h2::test::AtlasPtr;

constexpr double kNotFound = 1e20;

// An atlas with one profile whose table samples f on the given grids.
template <class F>
AtlasPtr table_of(F f, const std::vector<double>& B2, const std::vector<double>& tb) {
    AtlasPtr a(atlas_create(2, "t"));
    const int nB2 = static_cast<int>(B2.size()), ntb = static_cast<int>(tb.size());
    std::vector<double> Byct(B2.size() * tb.size());
    for (int i = 0; i < nB2; ++i)
        for (int j = 0; j < ntb; ++j) Byct[static_cast<std::size_t>(i + j * nB2)] = f(tb[j], B2[i]);
    EXPECT_EQ(atlas_add(a.get(), 0, nullptr, "P"), 1);
    EXPECT_EQ(atlas_set_table(a.get(), 0, nB2, ntb, B2.data(), tb.data(), Byct.data(), 12.0, 0.01, 0.05), 0);
    return a;
}

double planar(double tb, double B2) { return 30.0 + 20.0 * tb - 0.5 * B2; }
double product(double tb, double B2) { return tb * B2; }

const std::vector<double> kB2 = {10, 25, 40, 60};
const std::vector<double> kTb = {0.5, 0.7, 1.0};

TEST(AtlasLookup, APlaneIsReproducedInEveryDirection) {
    AtlasPtr a = table_of(planar, kB2, kTb);
    // Grid nodes, cell middles and points on cell edges.
    const std::vector<double> tbs = {0.5, 0.55, 0.6, 0.7, 0.85, 0.99, 1.0};
    const std::vector<double> B2s = {10, 12.5, 25, 33, 40, 59, 60};
    for (double tb : tbs) {
        for (double B2 : B2s) {
            SCOPED_TRACE(testing::Message() << "tb " << tb << " B2 " << B2);
            const double f = planar(tb, B2);
            EXPECT_NEAR(atlas_stagger(a.get(), tb, B2, 0), f, 1e-10);
            EXPECT_NEAR(atlas_stagger_tri(a.get(), tb, B2, 0), f, 1e-10);
            EXPECT_NEAR(atlas_B2_for_stagger(a.get(), tb, f, 0), B2, 1e-10);
            EXPECT_NEAR(atlas_tb_for_stagger(a.get(), B2, f, 0), tb, 1e-10);
            EXPECT_NEAR(atlas_inlet_angle(a.get(), tb, B2, 0), f + 12.0, 1e-10);
        }
    }
    EXPECT_EQ(atlas_shift(a.get(), 40.0, 0), 52.0);
}

TEST(AtlasLookup, BilinearFoldsAndExtendsTheTriangulatedStaysInside) {
    AtlasPtr a = table_of(planar, kB2, kTb);
    // An outlet angle above 90 degrees is the supplement's.
    EXPECT_NEAR(atlas_stagger(a.get(), 0.8, 110.0, 0), atlas_stagger(a.get(), 0.8, 70.0, 0), 1e-12);
    // Outside the grid the end intervals extend, so a plane stays a plane.
    for (double tb : {0.2, 1.5})
        for (double B2 : {0.0, 75.0}) EXPECT_NEAR(atlas_stagger(a.get(), tb, B2, 0), planar(tb, B2), 1e-10);
    // The triangulated surface ends at the grid; no angle is folded there.
    EXPECT_EQ(atlas_stagger_tri(a.get(), 1.5, 25.0, 0), kNotFound);
    EXPECT_EQ(atlas_stagger_tri(a.get(), 0.8, 110.0, 0), kNotFound);
    // A stagger beyond every table value has no pitch ratio and no angle.
    EXPECT_EQ(atlas_tb_for_stagger(a.get(), 25.0, 1000.0, 0), kNotFound);
    EXPECT_EQ(atlas_B2_for_stagger(a.get(), 0.7, -1000.0, 0), kNotFound);
    // Indices that are no profile, and no atlas.
    for (int k : {-1, 1, 7}) {
        EXPECT_EQ(atlas_stagger(a.get(), 0.7, 25.0, k), kNotFound);
        EXPECT_EQ(atlas_stagger_tri(a.get(), 0.7, 25.0, k), kNotFound);
        EXPECT_EQ(atlas_B2_for_stagger(a.get(), 0.7, 40.0, k), kNotFound);
        EXPECT_EQ(atlas_tb_for_stagger(a.get(), 25.0, 40.0, k), kNotFound);
        EXPECT_EQ(atlas_shift(a.get(), 1.0, k), kNotFound);
        EXPECT_EQ(atlas_inlet_angle(a.get(), 0.7, 25.0, k), kNotFound);
    }
    EXPECT_EQ(atlas_stagger(nullptr, 0.7, 25.0, 0), kNotFound);
    EXPECT_EQ(atlas_stagger_tri(nullptr, 0.7, 25.0, 0), kNotFound);
}

TEST(AtlasLookup, OneCellIsBilinearOrTwoPlanes) {
    AtlasPtr a = table_of(product, {0, 1}, {0, 1});
    struct Case {
        double tb, B2, bilinear, triangulated;
    };
    // The cell's first triangle (0,0)-(0,1)-(1,0) is the plane 0; the second
    // (1,1)-(0,1)-(1,0) is tb + B2 - 1.
    const Case cases[] = {{0.25, 0.25, 0.0625, 0.0}, {0.75, 0.75, 0.5625, 0.5}, {0.5, 0.5, 0.25, 0.0}};
    for (const Case& c : cases) {
        EXPECT_NEAR(atlas_stagger(a.get(), c.tb, c.B2, 0), c.bilinear, 1e-12);
        EXPECT_NEAR(atlas_stagger_tri(a.get(), c.tb, c.B2, 0), c.triangulated, 1e-12);
    }
}

TEST(AtlasLookup, TheFirstTriangleAnswersAndMissingValuesAreSkipped) {
    // Stagger rising to tb = 1 and falling after it: stagger 0.5 at tb 0.5
    // and at tb 1.5; the triangles of the first cell come first.
    AtlasPtr a = table_of([](double tb, double) { return tb <= 1.0 ? tb : 2.0 - tb; }, {0, 1}, {0, 1, 2});
    EXPECT_NEAR(atlas_tb_for_stagger(a.get(), 0.5, 0.5, 0), 0.5, 1e-12);

    // A vertex without a value makes its triangles unusable.
    AtlasPtr b =
        table_of([](double tb, double B2) { return tb + B2 > 1.5 ? 1e20 : tb * B2; }, {0, 1}, {0, 1});
    EXPECT_NEAR(atlas_stagger_tri(b.get(), 0.25, 0.25, 0), 0.0, 1e-12);
    EXPECT_EQ(atlas_stagger_tri(b.get(), 0.75, 0.75, 0), kNotFound);

    // A single pitch ratio spans no triangle.
    AtlasPtr c = table_of(planar, kB2, {0.7});
    EXPECT_EQ(atlas_stagger_tri(c.get(), 0.7, 25.0, 0), kNotFound);
    EXPECT_EQ(atlas_B2_for_stagger(c.get(), 0.7, planar(0.7, 25.0), 0), kNotFound);
    EXPECT_EQ(atlas_tb_for_stagger(c.get(), 25.0, planar(0.7, 25.0), 0), kNotFound);
    EXPECT_NEAR(atlas_stagger(c.get(), 0.7, 33.0, 0), planar(0.7, 33.0), 1e-10);
}

TEST(AtlasLookup, TriangulationOrder) {
    AtlasPtr a = table_of(planar, {10, 20, 30}, {0.5, 0.6, 0.7});
    h2::TableMesh mesh;
    h2::table_triangulate(a.get(), 0, &mesh);
    ASSERT_EQ(mesh.points.size(), 9u);
    EXPECT_EQ(mesh.points[5].x, 0.7);  // point i * ntb + j is (tb[j], B2[i], ...)
    EXPECT_EQ(mesh.points[5].y, 20.0);
    // Band 1: first triangles rising in tb, then the second ones coming back.
    const std::vector<int> band1 = {0, 3, 1, 1, 4, 2, 5, 4, 2, 4, 3, 1};
    ASSERT_EQ(mesh.triangles.size(), 24u);
    EXPECT_EQ(std::vector<int>(mesh.triangles.begin(), mesh.triangles.begin() + 12), band1);
}

TEST(Determinant, SmallRulesAndEliminationAgreeWithClosedForms) {
    double m[20][20] = {};
    double d = -1.0;
    EXPECT_EQ(det_n(m, 0, &d), 1);
    EXPECT_EQ(d, 0.0);
    EXPECT_EQ(det_n(m, 21, &d), 1);

    const double three[3][3] = {{2, -1, 0}, {1, 3, 4}, {0, 5, 6}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m[i][j] = three[i][j];
    ASSERT_EQ(det_n(m, 1, &d), 0);
    EXPECT_EQ(d, 2.0);
    ASSERT_EQ(det_n(m, 2, &d), 0);
    EXPECT_EQ(d, 7.0);
    ASSERT_EQ(det_n(m, 3, &d), 0);
    EXPECT_EQ(d, 2 * (18 - 20) + 1 * (6 - 0));

    // The tridiagonal matrix (-1, 2, -1) of order n has determinant n + 1;
    // with its first two rows swapped, -(n + 1) (elimination must pivot).
    for (int n : {4, 7, 20}) {
        double t[20][20] = {};
        for (int i = 0; i < n; ++i) {
            t[i][i] = 2.0;
            if (i > 0) t[i][i - 1] = -1.0;
            if (i + 1 < n) t[i][i + 1] = -1.0;
        }
        ASSERT_EQ(det_n(t, n, &d), 0);
        EXPECT_NEAR(d, n + 1.0, 1e-9) << n;
        std::swap(t[0], t[1]);
        ASSERT_EQ(det_n(t, n, &d), 0);
        EXPECT_NEAR(d, -(n + 1.0), 1e-9) << n;
    }
    // A singular matrix of order 5.
    double s[20][20] = {};
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j) s[i][j] = i + j;
    ASSERT_EQ(det_n(s, 5, &d), 0);
    EXPECT_NEAR(d, 0.0, 1e-9);
}

}  // namespace
