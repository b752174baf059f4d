#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "halvorine2/volute.h"
#include "tests/support/case_fixture.h"

namespace {

constexpr double kRel = 1e-9;
constexpr double kDeg = 0.01745329;
constexpr double kTwoPiFit = 6.2831853;

// The volute behind a centrifugal impeller: 66 m/s meridional and 118 m/s
// tangential at r2 0.216 m through a slot 0.0126 m wide.
struct Inputs {
    double cs = 66.0, cu = 118.0, r2 = 0.216, b2 = 0.0126, hb2 = 0.0063, gap = 0.002;
};

struct RecordDeleter {
    void operator()(Volout* v) const { VoloutTerm(v); }
};
using Record = std::unique_ptr<Volout, RecordDeleter>;

Record make_record(int form, const Inputs& in = {}, int n = 36, int m = 36) {
    Record v(VoloutInit(form, n, m));
    v->cs = in.cs;
    v->cu = in.cu;
    v->r2 = in.r2;
    v->b2 = in.b2;
    v->hb2 = in.hb2;
    v->gap = in.gap;
    return v;
}

// Distance of a point from the machine axis, and its circumferential angle
// in degrees, 0 up to a full turn (the points were placed with the degree of
// 0.01745329 rad; a full turn of 360 such degrees is just short of 2 pi).
double dist(const Point3& p) { return std::hypot(p.y, p.z); }
double angle(const Point3& p) {
    const double a = std::atan2(p.y, p.z) / kDeg;
    return a < 0.0 ? a + 2.0 * M_PI / kDeg : a;
}

// A section contour point in its station's plane: (x, distance from the axis).
struct Planar {
    double x, r;
};
Planar planar(const Point3& p) { return {p.x, dist(p)}; }

// The circle through three points of a plane.
struct Circle {
    double x, r, radius;
};
Circle circle_through(Planar a, Planar b, Planar c) {
    const double d = 2.0 * (a.x * (b.r - c.r) + b.x * (c.r - a.r) + c.x * (a.r - b.r));
    const double a2 = a.x * a.x + a.r * a.r, b2 = b.x * b.x + b.r * b.r, c2 = c.x * c.x + c.r * c.r;
    const double x = (a2 * (b.r - c.r) + b2 * (c.r - a.r) + c2 * (a.r - b.r)) / d;
    const double r = (a2 * (c.x - b.x) + b2 * (a.x - c.x) + c2 * (b.x - a.x)) / d;
    return {x, r, std::hypot(a.x - x, a.r - r)};
}
// The section circle of a circular station from three of its arc points.
Circle section_circle(const Volout& v, int k) {
    return circle_through(planar(v.A[k][2]), planar(v.A[k][2 + v.m / 2]), planar(v.A[k][2 + v.m]));
}

// ---------------------------------------------------------------------------
// Extents and results of every form for the impeller's volute.

struct FormCase {
    int form;
    int nt;  // tongue stations
    int nC, mA;
    double Dk, bk, hk;
};

class OutletForms : public ::testing::TestWithParam<FormCase> {};

TEST_P(OutletForms, FillTheTablesAndGiveTheEndSection) {
    const FormCase& p = GetParam();
    Record v = make_record(p.form);
    ASSERT_EQ(VoloutDesign(v.get()), 0);
    EXPECT_EQ(v->nA, p.nt + 36 + 1);
    EXPECT_EQ(v->mA, p.mA);
    EXPECT_EQ(v->nB, 37);
    EXPECT_EQ(v->mB, 6);
    EXPECT_EQ(v->nC, p.nC);
    EXPECT_EQ(v->mC, p.mA);
    EXPECT_NEAR(v->Dk, p.Dk, kRel * p.Dk);
    EXPECT_NEAR(v->bk, p.bk, kRel * p.bk);
    EXPECT_NEAR(v->hk, p.hk, kRel * p.hk);
    // Past the used extents nothing is written.
    EXPECT_EQ(v->A[v->nA][0].z, 0.0);
    EXPECT_EQ(v->A[0][v->mA].z, 0.0);
    EXPECT_EQ(v->B[v->nB][0].z, 0.0);
    EXPECT_EQ(v->C[v->nC][0].z, 0.0);
    // The last station is a full turn round, where the outlet pipe begins.
    EXPECT_NEAR(angle(v->A[v->nA - 1][0]), 360.0, 1e-4);
    EXPECT_NEAR(angle(v->C[0][0]), 360.0, 1e-4);
    // The slot outline runs a full turn from the tongue angle.
    EXPECT_NEAR(angle(v->B[36][0]), angle(v->B[0][0]), 1e-4);
    EXPECT_NEAR(angle(v->B[18][0]), angle(v->B[0][0]) + 180.0, 1e-9);
    const double R = 0.216 + 0.0063;
    if (p.form != 21) {
        // A circular section's outer diameter is R plus its diameter; its
        // equivalent square has the circle's area.
        const Circle end = section_circle(*v, v->nA - 1);
        EXPECT_NEAR(v->Dk, 2.0 * (R + end.radius), 1e-9);
        EXPECT_NEAR(v->hk * v->bk, M_PI * end.radius * end.radius, 1e-6 * v->hk * v->bk);
    }
}

// Hand values of the section laws at 360 degrees (free vortex, its
// correction, quadratic law, square-root law).
INSTANTIATE_TEST_SUITE_P(
    Impeller, OutletForms,
    ::testing::Values(FormCase{0, 5, 4, 41, 0.574458312006, 0.115083932527, 0.115083932527},
                      FormCase{1, 5, 4, 41, 0.571530482697, 0.112489211362, 0.112489211362},
                      FormCase{10, 5, 3, 41, 0.57064668453, 0.111705965631, 0.111705965631},
                      FormCase{21, 1, 3, 9, 0.608289092333, 0.0881445461666, 0.0881445461666}));

// ---------------------------------------------------------------------------
// Form 0 in detail.

TEST(OutletForm0, TongueStationsAndTheOutletPipe) {
    const Inputs in;
    Record v = make_record(0, in);
    ASSERT_EQ(VoloutDesign(v.get()), 0);
    const double R = in.r2 + in.hb2, half = in.b2 / 2.0;
    // The tongue ends where the free-vortex section reaches the slot's half width.
    const double theta0 = angle(v->B[0][0]);
    EXPECT_NEAR(theta0, 4.70521272826, 1e-8);
    EXPECT_NEAR(angle(v->A[5][0]), theta0, 1e-8);
    EXPECT_NEAR(angle(v->A[1][0]), theta0 / 5.0, 1e-8);
    // Station 0 is the tongue itself: a section of radius 0 whose arc lies at R + gap.
    for (int j = 2; j <= 38; ++j) {
        EXPECT_NEAR(v->A[0][j].z, R + in.gap, 1e-15) << j;
        EXPECT_EQ(v->A[0][j].y, 0.0);
        EXPECT_LE(std::fabs(v->A[0][j].x), half + 1e-15);
    }
    // The tongue's offset closes to 0 at its last station: the arc there
    // runs from one slot edge at R to the other (to the 1e-7 of the degree
    // the angles are converted with).
    EXPECT_NEAR(v->A[4][2].x, half, 1e-8);
    EXPECT_NEAR(dist(v->A[4][2]), R, 1e-8);
    EXPECT_NEAR(v->A[4][38].x, -half, 1e-8);
    EXPECT_NEAR(dist(v->A[4][38]), R, 1e-8);
    // The slot edges of every station.
    for (int k = 0; k < v->nA; ++k) {
        EXPECT_NEAR(dist(v->A[k][0]), R, 1e-15);
        EXPECT_NEAR(v->A[k][1].x, half, 1e-15);
        EXPECT_NEAR(v->A[k][39].x, -half, 1e-15);
    }
    const Point3 top = v->A[41][20];
    EXPECT_NEAR(top.x, 1.4725601243e-08, 1e-15);
    EXPECT_NEAR(top.y, -3.19192905181e-07, 1e-15);
    EXPECT_NEAR(top.z, 0.351851948416, 1e-11);
    // The outlet pipe: the last section moved along y, its rim and arc along z.
    const double dy[4] = {0.0, 1.5 * in.hb2, 4.0 * in.hb2, 12.0 * in.hb2};
    const double dz_rim[4] = {in.gap, 1.5 * in.gap, 1.75 * in.gap, 1.625 * in.gap};
    const double dz_arc[4] = {in.gap, in.gap, 1.75 * in.gap, 1.5 * in.gap};
    for (int r = 0; r < 4; ++r)
        for (int j = 0; j < 41; ++j) {
            const bool rim = j < 2 || j > 38;
            EXPECT_NEAR(v->C[r][j].x, v->A[41][j].x, 1e-15);
            EXPECT_NEAR(v->C[r][j].y - v->A[41][j].y, dy[r], 1e-15) << r << ' ' << j;
            EXPECT_NEAR(v->C[r][j].z - v->A[41][j].z, rim ? dz_rim[r] : dz_arc[r], 1e-15) << r << ' ' << j;
        }
    // The slot outline: from r2 up to R between the two side walls.
    const double x[6] = {0.0, half, half, -half, -half, 0.0};
    const double r[6] = {in.r2, in.r2, R, R, in.r2, in.r2};
    for (int i = 0; i <= 36; ++i)
        for (int p = 0; p < 6; ++p) {
            EXPECT_NEAR(v->B[i][p].x, x[p], 1e-15);
            EXPECT_NEAR(dist(v->B[i][p]), r[p], 1e-15);
        }
}

// ---------------------------------------------------------------------------
// The section laws as physics: read each spiral section's circle from its
// contour and check the law it was built from.

// Free vortex r cu = R cu' through a circle of radius rho tangent to r = R + e
// ... that is, for the slot-centred and one-sided circles alike, the flux
// R cu' (R + rho - sqrt(R^2 + 2 R rho)) of the section times 2 pi carries
// theta / 360 of the volume flow Q.
double vortex_residual(const Inputs& in, double theta, double rho) {
    const double R = in.r2 + in.hb2;
    const double cs = in.cs * in.r2 / R, cu = in.cu * in.r2 / R;
    const double Q = kTwoPiFit * R * in.b2 * cs;
    const double lhs = Q * theta / 360.0;
    const double rhs = kTwoPiFit * R * cu * (R + rho - std::sqrt(R * R + 2.0 * R * rho));
    return (lhs - rhs) / lhs;
}

TEST(OutletSectionLaws, FreeVortexOfForms0And10) {
    const Inputs in;
    const double R = in.r2 + in.hb2, half = in.b2 / 2.0;
    // Form 0's correction for the section's velocity head, undone here.
    const double K =
        360.0 * kTwoPiFit * R * (in.cu * in.r2 / R) / (kTwoPiFit * R * in.b2 * (in.cs * in.r2 / R));
    const double L =
        8.999999999999999e-06 * K * in.cu * in.cu * std::log(1.0 + 57.0 / std::sqrt(2.0 * R * K));
    for (int form : {0, 10}) {
        SCOPED_TRACE(form);
        Record v = make_record(form, in);
        ASSERT_EQ(VoloutDesign(v.get()), 0);
        const int nt = v->nA - 37;
        for (int k = nt; k < v->nA; ++k) {
            const Circle c = section_circle(*v, k);
            const double theta = angle(v->A[k][0]);
            double rho = c.radius;
            if (form == 0) rho *= std::pow(1.0 - theta / 360.0 * L / (in.cs * in.cs + in.cu * in.cu), 0.25);
            EXPECT_NEAR(vortex_residual(in, theta, rho), 0.0, 1e-6) << k;
            // The arc starts on the side wall x = b2/2 (form 0 at the slot
            // edge, form 10 where it touches the wall, level with the centre)
            // and ends at the slot's other edge (to the 1e-7 rad by which the
            // degree the angles are converted with falls short).
            const double tol = 1e-6 * c.radius;
            EXPECT_NEAR(v->A[k][2].x, half, tol);
            EXPECT_NEAR(dist(v->A[k][2]), form == 0 ? R : c.r, tol);
            EXPECT_NEAR(v->A[k][38].x, -half, tol);
            EXPECT_NEAR(dist(v->A[k][38]), R, tol);
            if (form == 0) {
                // centred on the slot, through both of its edges at R
                EXPECT_NEAR(c.x, 0.0, 1e-12);
                EXPECT_NEAR(std::hypot(half - c.x, R - c.r), c.radius, 1e-12);
            } else {
                // touching the side wall x = b2/2, through the slot's other edge
                EXPECT_NEAR(c.x + c.radius, half, 1e-12);
                EXPECT_NEAR(std::hypot(-half - c.x, R - c.r), c.radius, 1e-12);
                EXPECT_NEAR(v->A[k][0].x, 0.0, 1e-15);
                EXPECT_NEAR(dist(v->A[k][0]), in.r2, 1e-15);
            }
        }
    }
}

TEST(OutletSectionLaws, QuadraticLawOfForm1) {
    const Inputs in;
    const double R = in.r2 + in.hb2;
    Record v = make_record(1, in);
    ASSERT_EQ(VoloutDesign(v.get()), 0);
    for (int k = v->nA - 37; k < v->nA; ++k) {
        const double rho = section_circle(*v, k).radius;
        const double theta = angle(v->A[k][0]);
        // rho^2 / (R + rho) grows linearly with the angle, at b2 cs / cu per 180 degrees
        EXPECT_NEAR(rho * rho / (R + rho), in.b2 * in.cs / in.cu * theta / 180.0, 1e-6 * rho) << k;
    }
}

TEST(OutletSectionLaws, SquareRootLawOfForm21) {
    const Inputs in;
    const double R = in.r2 + in.hb2, x0 = in.b2 / 2.0 + in.gap;
    Record v = make_record(21, in);
    ASSERT_EQ(VoloutDesign(v.get()), 0);
    const double E = in.b2 * in.cs / in.cu;
    for (int k = 0; k < v->nA; ++k) {
        const Point3* s = v->A[k];
        const double h = R - dist(s[4]);
        const double w = s[2].x - x0;
        const double theta = angle(s[0]) * kDeg;
        // (h + theta E / 4)^2 = E R theta: the section height of the law
        EXPECT_NEAR((h + theta * E / 4.0) * (h + theta * E / 4.0), E * R * theta, 1e-12) << k;
        EXPECT_NEAR(w, h, 1e-15);  // square sections (the tongue of one station too)
        // a closed rectangle beside the slot, from R inwards
        EXPECT_NEAR(s[0].x, x0, 1e-15);
        EXPECT_NEAR(s[8].x, x0, 1e-15);
        EXPECT_NEAR(dist(s[0]), R, 1e-15);
        EXPECT_NEAR(dist(s[8]), R, 1e-15);
        EXPECT_NEAR(dist(s[6]), R - h, 1e-15);
    }
    // Station 0 repeats station 1; the tongue is at one degree.
    for (int p = 0; p < 9; ++p) {
        EXPECT_EQ(v->A[0][p].x, v->A[1][p].x);
        EXPECT_EQ(v->A[0][p].y, v->A[1][p].y);
        EXPECT_EQ(v->A[0][p].z, v->A[1][p].z);
    }
    EXPECT_NEAR(angle(v->A[1][0]), 1.0, 1e-9);
    EXPECT_NEAR(angle(v->B[0][0]), 1.0, 1e-9);
    // The outlet pipe: the last section stacked twice along y by its height.
    const double hL = v->hk;
    for (int r = 0; r < 3; ++r)
        for (int p = 0; p < 9; ++p) EXPECT_NEAR(v->C[r][p].y - v->A[37][p].y, r * hL, 1e-15);
    const double bx[6] = {0.0, -in.b2 / 2.0, -in.b2 / 2.0, x0, x0, 0.0};
    for (int p = 0; p < 6; ++p) EXPECT_NEAR(v->B[3][p].x, bx[p], 1e-15);
}

TEST(OutletSectionLaws, OneSidedPipeCircles) {
    const Inputs in;
    Record v = make_record(10, in);
    ASSERT_EQ(VoloutDesign(v.get()), 0);
    const int last = v->nA - 1;
    const Circle end = section_circle(*v, last);
    for (int j = 0; j < 41; ++j) {
        EXPECT_EQ(v->C[0][j].x, v->A[last][j].x);
        EXPECT_EQ(v->C[0][j].z, v->A[last][j].z);
    }
    // Rows 1 and 2: the end circle drawn whole, 2 mm off axially, moved by one
    // and two radii along y and 3 mm along z.
    for (int r = 1; r <= 2; ++r)
        for (int j = 0; j < 41; ++j) {
            const Point3 p = v->C[r][j];
            const Point3 back{p.x, p.y - r * end.radius, p.z - 0.003};
            EXPECT_NEAR(std::hypot(back.x - (end.x - 0.002), dist(back) - end.r), end.radius, 1e-6) << r << j;
        }
}

// ---------------------------------------------------------------------------
// Refusals: the result 1 and a record exactly as it was.

struct Snapshot {
    Volout head;
    std::vector<Point3> points;
    explicit Snapshot(const Volout& v) : head(v) {
        for (Point3** t : {v.A, v.B, v.C}) {
            if (t == nullptr) continue;
            for (int r = 0; r < v.alloc_rows; ++r) points.insert(points.end(), t[r], t[r] + v.alloc_points);
        }
    }
    bool operator==(const Snapshot& o) const {
        return std::memcmp(&head, &o.head, sizeof head) == 0 && points.size() == o.points.size() &&
               std::memcmp(points.data(), o.points.data(), points.size() * sizeof(Point3)) == 0;
    }
};

struct Refusal {
    const char* what;
    int form;
    Inputs in;
    int n = 36, m = 36;       // asked for after VoloutInit(form, 36, 36)
    bool drop_table = false;  // table B missing
};

class OutletRefusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(OutletRefusals, LeaveTheRecordUntouched) {
    const Refusal& p = GetParam();
    // A design made before stays as it was.
    Record v = make_record(0);
    ASSERT_EQ(VoloutDesign(v.get()), 0);
    v->form = p.form;
    v->cs = p.in.cs;
    v->cu = p.in.cu;
    v->n = p.n;
    v->m = p.m;
    Point3** B = v->B;
    if (p.drop_table) v->B = nullptr;
    const Snapshot before(*v);
    EXPECT_EQ(VoloutDesign(v.get()), 1);
    EXPECT_TRUE(Snapshot(*v) == before);
    v->B = B;
    v->n = 36;
}

Inputs with(double cs, double cu) {
    Inputs in;
    in.cs = cs;
    in.cu = cu;
    return in;
}

INSTANTIATE_TEST_SUITE_P(Cases, OutletRefusals,
                         ::testing::Values(Refusal{"unknown form 2", 2, {}},
                                           Refusal{"unknown form 11", 11, {}},
                                           Refusal{"no stations", 0, {}, 0, 36},
                                           Refusal{"no arc points", 1, {}, 36, 0},
                                           Refusal{"more stations than rows", 0, {}, 137, 36},
                                           Refusal{"more points than a row holds", 10, {}, 36, 42},
                                           Refusal{"points past the largest int", 0, {}, 36, 2147483645},
                                           Refusal{"rectangular: more stations than rows", 21, {}, 135, 36},
                                           Refusal{"missing table", 0, {}, 36, 36, true},
                                           Refusal{"correction without a real root", 0, with(1.0, 110.0)},
                                           Refusal{"tongue of 137 stations", 21, with(0.3, 200.0)},
                                           Refusal{"no swirl, quadratic law", 1, with(66.0, 0.0)},
                                           Refusal{"no swirl, rectangular", 21, with(66.0, 0.0)},
                                           Refusal{"no flow, free vortex", 0, with(0.0, 118.0)},
                                           Refusal{"no flow, one-sided", 10, with(0.0, 118.0)},
                                           Refusal{"swirl against the flow", 10, with(66.0, -118.0)}),
                         [](const auto& info) {
                             std::string name = info.param.what;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

TEST(OutletRefusalsNull, NullRecord) { EXPECT_EQ(VoloutDesign(nullptr), 1); }

TEST(OutletForms, SlotWiderThanEverySectionHasNoTongue) {
    Inputs in;
    in.cs = 5.0, in.cu = 100.0, in.r2 = 0.2, in.b2 = 0.03, in.hb2 = 0.015;
    for (int form : {0, 1, 10}) {
        SCOPED_TRACE(form);
        Record v = make_record(form, in);
        ASSERT_EQ(VoloutDesign(v.get()), 0);
        EXPECT_EQ(v->nA, 37);
        EXPECT_NEAR(angle(v->B[0][0]), 0.0, 1e-12);  // the spiral starts at 0
        EXPECT_NEAR(angle(v->A[1][0]), 10.0, 1e-9);
        for (int k = 0; k < v->nA; ++k)
            for (int j = 0; j < v->mA; ++j)
                ASSERT_TRUE(std::isfinite(v->A[k][j].x) && std::isfinite(v->A[k][j].y) &&
                            std::isfinite(v->A[k][j].z))
                    << k << ' ' << j;
        for (int r = 0; r < v->nC; ++r)
            for (int j = 0; j < v->mC; ++j) ASSERT_TRUE(std::isfinite(v->C[r][j].y));
        EXPECT_TRUE(std::isfinite(v->Dk));
    }
}

TEST(OutletForms, FillsEveryRowTheTablesHold) {
    // A tongue of one station and 134 spiral stations: 136 rows, all there are.
    Record v = make_record(21);
    v->n = 134;
    ASSERT_EQ(VoloutDesign(v.get()), 0);
    EXPECT_EQ(v->nA, 136);
    EXPECT_NEAR(angle(v->A[135][0]), 360.0, 1e-9);
    v->n = 36;
}

TEST(OutletForms, RedesignReusesTheRecord) {
    Record v = make_record(21);
    ASSERT_EQ(VoloutDesign(v.get()), 0);
    v->form = 0;
    ASSERT_EQ(VoloutDesign(v.get()), 0);
    EXPECT_EQ(v->nA, 42);
    EXPECT_NEAR(v->Dk, 0.574458312006, kRel);
}

// ---------------------------------------------------------------------------
// The record's life in a case.

TEST(OutletRecordLife, CopyOfADesignedRecord) {
    h2::test::BlockPtr src = h2::test::make_block(), dst = h2::test::make_block();
    Record v = make_record(0);
    ASSERT_EQ(VoloutDesign(v.get()), 0);
    v->A2 = 12.0;
    src->volout = v.get();
    ASSERT_EQ(VoloutCopy(src.get(), dst.get()), 0);
    Record c(static_cast<Volout*>(dst->volout));
    src->volout = nullptr;
    EXPECT_EQ(c->form, 0);
    EXPECT_EQ(c->n, 36);
    EXPECT_EQ(c->m, 36);
    for (double zero : {c->A2, c->Dk, c->bk, c->hk}) EXPECT_EQ(zero, 0.0);
    EXPECT_EQ(c->cs, 66.0);
    EXPECT_EQ(c->gap, 0.002);
    EXPECT_EQ(c->nA, 42);
    EXPECT_EQ(c->nC, 4);
    for (int k = 0; k < 42; ++k)
        for (int j = 0; j < 41; ++j) ASSERT_EQ(c->A[k][j].z, v->A[k][j].z);
    for (int r = 0; r < 4; ++r) ASSERT_EQ(c->C[r][40].y, v->C[r][40].y);
    ASSERT_EQ(c->B[36][5].z, v->B[36][5].z);
}

TEST(OutletRecordLife, ReleasedAndCopiedByWhatWasAllocated) {
    // A host that changes n and m after VoloutInit: the tables are released
    // and copied by their allocation (the sanitizer sees a leak or an
    // overread otherwise).
    for (int n : {1, 500}) {
        Volout* v = VoloutInit(0, 36, 36);
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->alloc_rows, 136);
        EXPECT_EQ(v->alloc_points, 46);
        v->n = n;
        v->m = n;
        v->nA = 135, v->mA = 45;
        h2::test::BlockPtr src = h2::test::make_block(), dst = h2::test::make_block();
        src->volout = v;
        ASSERT_EQ(VoloutCopy(src.get(), dst.get()), 0);
        auto* c = static_cast<Volout*>(dst->volout);
        EXPECT_LE(c->nA, c->alloc_rows - 1);
        EXPECT_LE(c->mA, c->alloc_points - 1);
        VoloutTerm(c);
        EXPECT_EQ(VoloutTerm(v), 0);
    }
}

// A case made by binit and released by bterm, its record designed and
// copied both ways.
class OutletRecordInCase : public h2::test::LiveCaseTest {};

TEST_F(OutletRecordInCase, CopiesAndReleaseAreLeakFree) {
    allocate(2, 1);
    Record designed = make_record(10);
    ASSERT_EQ(VoloutDesign(designed.get()), 0);
    bdLocals* original = block();
    original->volout = designed.release();
    bdLocals* copy = copy_probdata(original, nullptr);  // current from here on
    ASSERT_NE(copy, nullptr);
    auto* copied = static_cast<Volout*>(copy->volout);
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, original->volout);
    EXPECT_EQ(copied->nC, 3);
    EXPECT_EQ(copied->nA, 42);
    // Into a given block that owns a record already: it is replaced.
    static_cast<Volout*>(original->volout)->nA = 41;
    ASSERT_EQ(copy_probdata(original, copy), copy);
    EXPECT_EQ(static_cast<Volout*>(copy->volout)->nA, 41);
    bterm();
    ASSERT_EQ(set_bdLocals(original), 1);
}

}  // namespace
