#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "blades/layer_builder.h"
#include "halvorine2/profile_tools.h"
#include "tests/blades/layer_contours.h"

namespace {

using h2::test::kDeg;
using h2::test::kPiExact;
using h2::test::LayerRun;

double cot(double degrees) { return 1.0 / std::tan(degrees * kDeg); }

// Circulation of a node distribution: the sum of panel length times vorticity.
double circulation(const LayerRun& run, const double* gamma) {
    double sum = 0.0;
    for (int j = 0; j < run.n / 2; ++j) sum += (run.s[2 * j + 2] - run.s[2 * j]) * gamma[j];
    return sum;
}

// A circle alone in the stream: surface speed 2 U |sin phi| (potential flow
// past a cylinder), no circulation, the outlet angle the inlet angle.
TEST(LayerBuilder, CircleInUniformFlow) {
    LayerRun run;
    h2::test::circle_run(run);
    ASSERT_NE(run.make(), nullptr);
    EXPECT_NEAR(run.outlet, 90.0, 0.01);
    double worst = 0.0;
    for (int j = 0; j < run.n / 2; ++j) {
        const double phi = kPiExact - 2.0 * kPiExact * (2 * j + 1) / run.n;  // polar angle of point 2j + 1
        worst = std::max(worst, std::abs(std::abs(run.velocity[j]) - 2.0 * std::abs(std::sin(phi))));
    }
    EXPECT_LT(worst, 1e-3);  // second order in the panel size: 4e-4 here
    // The circulation solution carries exactly the pitch.
    EXPECT_NEAR(circulation(run, run.array(h2::layer::kUnitCirculation)), run.t, 1e-3 * run.t);
    // Incompressible: the corrected velocity is the velocity itself.
    for (int j = 0; j < run.n / 2; ++j) EXPECT_EQ(run.velocityCompr[j], run.velocity[j]);
}

// The geometry arrays of the circle: a clockwise contour turns right, so its
// curvature is -1/R; the arc length closes on the inscribed polygon's perimeter.
TEST(LayerBuilder, CircleGeometry) {
    LayerRun run;
    h2::test::circle_run(run);
    ASSERT_NE(run.make(), nullptr);
    const int n = run.n;
    const double R = 0.1;
    EXPECT_NEAR(run.s[n], 2.0 * n * R * std::sin(kPiExact / n), 1e-12);
    for (int i = 0; i < n; ++i) {
        EXPECT_NEAR(run.curvature[i], -1.0 / R, 1e-7) << i;
        // Layer frame: X = y, Y = -x.
        EXPECT_EQ(run.array(h2::layer::kX)[i], run.contour[i].y);
        EXPECT_EQ(run.array(h2::layer::kY)[i], -run.contour[i].x);
        // The tangent is the unit vector along the contour, to the panel size squared
        // (chord over arc, 1.2e-4 inside, 3.7e-4 extrapolated to the ends).
        const double tX = run.array(h2::layer::kTangentX)[i], tY = run.array(h2::layer::kTangentY)[i];
        EXPECT_NEAR(std::hypot(tX, tY), 1.0, 1e-3) << i;
        const double phi = kPiExact - 2.0 * kPiExact * i / n;
        // Clockwise on the circle: (dx, dy)/ds = (sin phi, -cos phi); X = y, Y = -x.
        EXPECT_NEAR(tX, -std::cos(phi), 1e-3) << i;
        EXPECT_NEAR(tY, -std::sin(phi), 1e-3) << i;
        const double phase = 2.0 * kPiExact * run.contour[i].y / run.t;
        EXPECT_NEAR(run.array(h2::layer::kSin)[i], std::sin(phase), 1e-15);
        EXPECT_NEAR(run.array(h2::layer::kCos)[i], std::cos(phase), 1e-15);
        EXPECT_NEAR(run.array(h2::layer::kExp)[i], std::exp(-2.0 * kPiExact * run.contour[i].x / run.t),
                    1e-15);
    }
    EXPECT_EQ(run.array(h2::layer::kX)[n], 0.0);
    EXPECT_EQ(run.array(h2::layer::kY)[n], 0.0);
    for (int a : {h2::layer::kCurvature, h2::layer::kTangentX, h2::layer::kTangentY})
        EXPECT_EQ(run.array(a)[n], run.array(a)[0]) << a;
}

// A thin ellipse at pitch 4 turns the flow: the Kutta circulation of the
// isolated ellipse, Gamma = pi c (1 + b/a) V_m sin(alpha), equal to the
// cascade's t (c2 - c1) in cotangents of the mean flow, gives the outlet
// angle: c2 = c1 (1 - K/2) / (1 + K/2), K = pi (c/t)(1 + b/a).
TEST(LayerBuilder, EllipseOutletAngleFromKuttaCirculation) {
    LayerRun run;
    h2::test::ellipse_run(run);
    ASSERT_NE(run.make(), nullptr);
    const double K = kPiExact * (0.2 / run.t) * (1.0 + 0.01 / 0.1);
    const double c2 = cot(run.beta1) * (1.0 - K / 2.0) / (1.0 + K / 2.0);
    const double outlet = 180.0 - std::atan(1.0 / c2) / kDeg;
    EXPECT_NEAR(outlet, 98.4345, 1e-4);
    EXPECT_NEAR(run.outlet, outlet, 0.02);
    // The velocities at the two points of the trailing-edge condition cancel.
    const int q = (run.n - run.nTail - 1) / 2;
    EXPECT_NEAR(run.velocity[1] + run.velocity[q], 0.0, 1e-3);
}

// A synthetic layer of 8 points whose trailing-edge residual is
// cot(beta1)/2 - cot(x)/2 + c: its root lies where cot x = 2c (beta1 90).
struct OutletCase {
    double beta2;
    double root;      // where the residual vanishes
    double expected;  // the angle returned
};

TEST(LayerBuilder, OutletAngleSearchInterval) {
    const OutletCase cases[] = {
        {60.0, 50.0, 50.0},    {60.0, 79.0, 79.0}, {60.0, 40.005, 60.0}, {60.0, 79.995, 60.0},
        {60.0, 30.0, 60.0},    {30.0, 16.0, 16.0}, {30.0, 44.0, 44.0},   {30.0, 14.0, 30.0},
        {3.0, 4.0, 4.0},       {3.0, 1.0, 3.0},    {3.0, 2.005, 3.0},    {150.0, 155.0, 155.0},
        {150.0, 129.0, 150.0},
    };
    const int n = 8, nTail = 1;  // q = 3
    for (const OutletCase& c : cases) {
        std::vector<double> block(h2::layer::block_size(n), 0.0);
        Layer* layer = reinterpret_cast<Layer*>(block.data());
        h2::layer::array(layer, n, h2::layer::kUnitFlowX)[1] = 1.0;
        h2::layer::array(layer, n, h2::layer::kUnitFlowY)[1] = cot(c.root) / 2.0;
        const double found = h2::layer::layer_outlet_angle(n, nTail, layer, 90.0, c.beta2);
        EXPECT_NEAR(found, c.expected, 0.005) << c.beta2 << " " << c.root;
        // Array 8 belongs to an angle within the search's tolerance of the result.
        const double c2 = cot(180.0 - found);
        EXPECT_NEAR(h2::layer::array(layer, n, h2::layer::kVelocity)[1],
                    (cot(90.0) + c2) / 2.0 + cot(c.root) / 2.0, 1e-3)
            << c.beta2 << " " << c.root;
    }
}

// The compressibility function tends to lambda for small lambda; at
// lambda 0.5 (k 1.4) it is 0.473360628.
TEST(LayerBuilder, CompressibilityFunction) {
    EXPECT_NEAR(h2::layer::compress_fn(1e-4, 1.4), 1e-4, 1e-7 * 1e-4);
    EXPECT_NEAR(h2::layer::compress_fn(0.5, 1.4), 0.473360628, 0.473360628 * 1e-9);
}

// W2 158.113883 with i0 3e5, k 1.4 is lambda2 0.5 (a_cr = sqrt(1e5)).
TEST(LayerBuilder, CompressibleVelocities) {
    const int n = 10;
    const double outlet = 60.0, sinOut = std::sin(outlet * kDeg);
    // |array 8| sin(outlet): 1.2, 1.2, 1 (the outlet velocity), 0.3, 0.
    const double velocity[5] = {1.2 / sinOut, -1.2 / sinOut, 1.0 / sinOut, 0.3 / sinOut, 0.0};
    double compr[5];
    h2::layer::layer_compressible(n, 3e5, 1.4, 158.113883, outlet, velocity, compr);
    EXPECT_NEAR(compr[0] / velocity[0], 1.032317, 2e-5);
    EXPECT_NEAR(compr[1] / velocity[1], 1.032317, 2e-5);
    EXPECT_NEAR(compr[2] / velocity[2], 1.0, 2e-5);
    EXPECT_LT(compr[3] / velocity[3], 1.0);  // slower than the outlet: less than the incompressible ratio
    EXPECT_EQ(compr[4], 0.0);
    // Incompressible, and no outlet velocity to scale with: unchanged.
    struct Plain {
        double k, W2;
    };
    for (const Plain& p : {Plain{1.0, 158.113883}, Plain{1.4, 0.0}, Plain{1.4, -5.0}}) {
        double same[5];
        h2::layer::layer_compressible(n, 3e5, p.k, p.W2, outlet, velocity, same);
        for (int j = 0; j < 5; ++j) EXPECT_EQ(same[j], velocity[j]) << p.k << " " << p.W2;
    }
}

// The whole block and the scalar outputs of two builds agree bit for bit.
void expect_same_build(const LayerRun& a, const LayerRun& b) {
    ASSERT_NE(a.layer, nullptr);
    ASSERT_NE(b.layer, nullptr);
    EXPECT_EQ(std::memcmp(a.array(0), b.array(0), h2::layer::block_size(a.n) * sizeof(double)), 0);
    EXPECT_EQ(a.outlet, b.outlet);
    EXPECT_EQ(a.loss, b.loss);
    EXPECT_EQ(a.lossTE, b.lossTE);
    EXPECT_EQ(a.kLast, b.kLast);
    EXPECT_EQ(a.nSide1, b.nSide1);
    EXPECT_EQ(a.nSide2, b.nSide2);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(a.tr[i], b.tr[i]);
}

// The ellipse with a laminar boundary layer, so that a repeat thickens it.
void laminar_ellipse(LayerRun& run) {
    h2::test::ellipse_run(run);
    run.mode = 2;
    run.W2 = 50.0;
}

// The outputs point into the layer returned.
void expect_outputs_in(const LayerRun& run) {
    EXPECT_EQ(run.s, run.array(h2::layer::kArcLength));
    EXPECT_EQ(run.curvature, run.array(h2::layer::kCurvature));
    EXPECT_EQ(run.velocity, run.array(h2::layer::kVelocity));
    EXPECT_EQ(run.velocityCompr, run.array(h2::layer::kCompressible));
}

TEST(LayerIteration, CountZeroOrBelowIsOneBuild) {
    LayerRun once, zero, negative;
    for (LayerRun* r : {&once, &zero, &negative}) laminar_ellipse(*r);
    once.make();
    zero.make(0);
    negative.make(-3);
    expect_same_build(once, zero);
    expect_same_build(once, negative);
    expect_outputs_in(zero);
}

// A repeat rebuilds on the first contour thickened by 1.4 times the
// momentum thickness: the outer contour that bulgleProf gives, turned back
// into the contour frame, whose perimeter is longer.
TEST(LayerIteration, RepeatSolvesTheThickenedContour) {
    LayerRun first, iterated, thick;
    for (LayerRun* r : {&first, &iterated, &thick}) laminar_ellipse(*r);
    ASSERT_NE(first.make(), nullptr);
    ASSERT_GT(first.nSide1, 0);
    ASSERT_NE(iterated.make(1), nullptr);
    expect_outputs_in(iterated);
    Point3* R = bulgleProf(first.n, first.nSide1, first.nSide2, first.layer, first.layer);
    ASSERT_NE(R, nullptr);
    for (int i = 0; i < thick.n; ++i) thick.contour[i] = Point3{-R[i].y, R[i].x, R[i].z};
    std::free(R);
    thick.make();
    expect_same_build(iterated, thick);
    EXPECT_GT(iterated.s[iterated.n], first.s[first.n] * 1.001);
}

// Layer blocks run out after the given number of allocations.
std::atomic<int> blocks_left{0};
void* limited_calloc(std::size_t count, std::size_t size) {
    return blocks_left.fetch_sub(1) > 0 ? std::calloc(count, size) : nullptr;
}

// A rebuild that fails keeps the layer before it, with the outputs in it.
TEST(LayerIteration, FailedRebuildKeepsThePreviousLayer) {
    LayerRun one, failing;
    for (LayerRun* r : {&one, &failing}) laminar_ellipse(*r);
    one.make(1);
    blocks_left = 2;  // the first build and the first repeat
    const auto previous = h2::layer::set_block_allocator(limited_calloc);
    failing.make(3);
    h2::layer::set_block_allocator(previous);
    expect_same_build(one, failing);
    expect_outputs_in(failing);
    // Nothing at all when the first build fails; the outputs are untouched.
    blocks_left = 0;
    h2::layer::set_block_allocator(limited_calloc);
    LayerRun none;
    laminar_ellipse(none);
    none.outlet = -7.0;
    EXPECT_EQ(none.make(2), nullptr);
    h2::layer::set_block_allocator(previous);
    EXPECT_EQ(none.outlet, -7.0);
    EXPECT_EQ(none.velocity, nullptr);
}

// Builds on two threads at once give the serial results bit for bit.
TEST(LayerIteration, ThreadsGiveTheSerialResults) {
    LayerRun serialA, serialB, threadA, threadB;
    laminar_ellipse(serialA);
    laminar_ellipse(threadA);
    for (LayerRun* r : {&serialB, &threadB}) {
        laminar_ellipse(*r);
        r->k = 1.4;
        r->mode = 1;
    }
    serialA.make(2);
    serialB.make(2);
    for (int round = 0; round < 3; ++round) {
        FreeLayer(threadA.layer);
        FreeLayer(threadB.layer);
        std::thread a([&] { threadA.make(2); });
        std::thread b([&] { threadB.make(2); });
        a.join();
        b.join();
        expect_same_build(serialA, threadA);
        expect_same_build(serialB, threadB);
    }
}

// Refused with NULL and nothing written: no contour, fewer than 4 points, a
// pitch that is not positive, the second trailing-edge node q outside
// 1 .. n/2 - 1.
TEST(LayerBuilder, RefusesBadInput) {
    struct Bad {
        int n, nTail;
        bool contour;
        double t;
    };
    const Bad cases[] = {
        {200, 3, false, 4.0}, {3, 0, true, 4.0},     {200, 3, true, 0.0},  {200, 3, true, -1.0},
        {200, 3, true, NAN},  {200, 198, true, 4.0}, {200, -2, true, 4.0}, {4, 2, true, 4.0},
    };
    for (const Bad& c : cases) {
        for (int count : {-1, 2}) {
            LayerRun run;
            h2::test::ellipse_run(run);
            run.n = c.n;
            run.nTail = c.nTail;
            run.t = c.t;
            if (!c.contour) run.contour.clear();
            run.outlet = run.loss = run.lossTE = -7.0;
            run.kLast = run.nSide1 = run.nSide2 = -7;
            EXPECT_EQ(run.make(count), nullptr) << c.n << " " << c.nTail << " " << c.t;
            EXPECT_EQ(run.s, nullptr);
            EXPECT_EQ(run.velocityCompr, nullptr);
            EXPECT_EQ(run.outlet, -7.0);
            EXPECT_EQ(run.loss, -7.0);
            EXPECT_EQ(run.lossTE, -7.0);
            EXPECT_EQ(run.kLast, -7);
            EXPECT_EQ(run.nSide2, -7);
        }
    }
    // The smallest layer: 4 points, q = 1.
    LayerRun small;
    small.n = 4;
    small.nTail = 0;
    small.contour = h2::test::ellipse(0.1, 0.05, 4);
    EXPECT_NE(small.make(), nullptr);
}

// Output pointers left NULL are skipped; the layer is the same.
TEST(LayerBuilder, NullOutputsAreSkipped) {
    LayerRun run;
    laminar_ellipse(run);
    run.make();
    Layer* bare = MakeLayer(run.n, run.nTail, run.contour.data(), run.t, run.spareLen, run.dTE, run.beta2,
                            run.beta1, run.W2, run.k, run.i0, run.roughClass, run.Tu, run.nu, run.mode,
                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(std::memcmp(run.array(0), bare, h2::layer::block_size(run.n) * sizeof(double)), 0);
    FreeLayer(bare);
}

// The library remembers the n of each block it made: Get_dxx and Get_Buri
// refuse another n; FreeLayer frees a block once and ignores pointers it
// does not know.
TEST(LayerBuilder, KnownBlocksKeepTheirSize) {
    LayerRun run;
    laminar_ellipse(run);
    ASSERT_NE(run.make(), nullptr);
    EXPECT_EQ(Get_dxx(run.n, run.layer), run.array(h2::layer::kMomentumSide1));
    EXPECT_EQ(Get_Buri(run.n, run.layer), run.array(h2::layer::kBuri));
    EXPECT_EQ(Get_dxx(run.n - 1, run.layer), nullptr);
    EXPECT_EQ(Get_Buri(run.n + 1, run.layer), nullptr);
    std::vector<double> own(h2::layer::block_size(8), 0.0);
    Layer* foreign = reinterpret_cast<Layer*>(own.data());
    EXPECT_EQ(Get_dxx(8, foreign), own.data() + 11 * 9);
    FreeLayer(foreign);  // not ours: left alone (freeing it would corrupt the heap)
    FreeLayer(nullptr);
    Layer* made = run.layer;
    FreeLayer(made);
    FreeLayer(made);  // forgotten by the first call
    run.layer = nullptr;
}

}  // namespace
