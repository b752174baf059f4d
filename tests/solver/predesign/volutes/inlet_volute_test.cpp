#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "halvorine2/volute.h"

namespace {

constexpr double kRel = 1e-9;
constexpr double kDeg = 0.01745329;
constexpr double kTurn = 6.2831853;

struct RecordDeleter {
    void operator()(Volout* v) const { VoloutTerm(v); }
};
using Record = std::unique_ptr<Volout, RecordDeleter>;

// An inlet volute feeding a nozzle ring of radius 0.1 m and width 0.02 m at
// 20 degrees from the circumferential direction.
Record make_record(int form, int n = 36, int m = 36) {
    Record v(VoloutInit(form, n, m));
    v->r2 = 0.1;
    v->b2 = 0.02;
    v->A2 = 20.0;
    v->hb2 = 0.05;  // not an input of the inlet design
    return v;
}

double radius(const Point3& p) { return std::hypot(p.y, p.z); }
// Station angle k, as the design steps it.
double station(int k, int n) { return 0.001 + k * kTurn / (n - 1); }

struct FormCase {
    int form, mA;
    double Dk, bk, hk;
};

class InletForms : public ::testing::TestWithParam<FormCase> {};

TEST_P(InletForms, DrawTheStationsAndTheEndSection) {
    const FormCase& p = GetParam();
    Record v = make_record(p.form);
    ASSERT_EQ(VolinDesign(v.get()), 0);
    EXPECT_EQ(v->nA, 36);
    EXPECT_EQ(v->mA, p.mA);
    EXPECT_NEAR(v->Dk, p.Dk, kRel * p.Dk);
    EXPECT_NEAR(v->bk, p.bk, kRel * p.bk);
    EXPECT_NEAR(v->hk, p.hk, kRel * p.hk);
    // Rows 0..35 only, and the other tables untouched.
    EXPECT_EQ(v->A[36][0].z, 0.0);
    EXPECT_EQ(v->A[0][p.mA].z, 0.0);
    EXPECT_EQ(v->nB, 0);
    EXPECT_EQ(v->B[0][0].z, 0.0);
    EXPECT_EQ(v->C[0][0].z, 0.0);
    // The first station lies 0.001 rad past the tongue, the last a full turn
    // further; the scroll turns towards negative y.
    const Point3 first = v->A[0][0], last = v->A[35][0];
    EXPECT_NEAR(-std::atan2(first.y, first.z), 0.001, 1e-12);
    EXPECT_NEAR(-std::atan2(last.y, last.z), 0.001 + kTurn - 2.0 * M_PI, 1e-12);
    // Closed contours (the circle's 360 truncated degrees fall just short of a turn).
    const double closure = p.form == 2 ? 1e-7 : 1e-15;
    for (int k = 0; k < 36; ++k) {
        const Point3 a = v->A[k][0], b = v->A[k][p.mA - 1];
        EXPECT_NEAR(a.x, b.x, closure);
        EXPECT_NEAR(a.y, b.y, closure);
        EXPECT_NEAR(a.z, b.z, closure);
    }
}

INSTANTIATE_TEST_SUITE_P(Ring, InletForms,
                         ::testing::Values(FormCase{1, 9, 0.270904373246, 0.1, 0.0609043732462},
                                           FormCase{2, 37, 0.25705398214, 0.083401011797, 0.083401011797},
                                           FormCase{3, 9, 0.4501618839, 0.0657451207428, 0.2401618839}));

TEST(InletSectionLaws, EveryStationCarriesItsShareOfTheInflow) {
    const double r = 0.1, b = 0.02, r0 = 1.05 * r, T = std::tan(20.0 * kDeg);
    for (int form : {1, 2, 3}) {
        SCOPED_TRACE(form);
        Record v = make_record(form);
        ASSERT_EQ(VolinDesign(v.get()), 0);
        for (int k = 0; k < 36; ++k) {
            const Point3* s = v->A[k];
            const double theta = station(k, 36);
            if (form == 1) {
                // constant angular momentum: the log spiral W ln(R / r0) = b tan A theta
                const double R = radius(s[0]), W = s[0].x - s[1].x;
                EXPECT_NEAR(W, 5.0 * b, 1e-15);
                EXPECT_NEAR(W * std::log(R / r0), b * T * theta, 1e-12) << k;
                // the side walls reach r0 half way between the section's and the neck's width
                EXPECT_NEAR(s[7].x, (W / 2.0 + b / 2.0) / 2.0, 1e-15);
                EXPECT_NEAR(s[2].x, -s[7].x, 1e-15);
                EXPECT_NEAR(radius(s[7]), r0, 1e-15);
            } else if (form == 2) {
                // a circle standing on r0 whose area over its centre radius
                // grows with theta: pi rho^2 / (r0 + rho) = b tan A theta
                const double top = radius(s[9]), bottom = radius(s[27]);
                const double rho = (top - bottom) / 2.0;
                EXPECT_NEAR(bottom, r0, 1e-12);
                EXPECT_NEAR(s[0].x, rho, 1e-12);
                EXPECT_NEAR(M_PI * rho * rho / (r0 + rho), b * T * theta, 1e-6 * b * T * theta) << k;
            } else {
                // linear law: radius and width grow alike
                const double R = radius(s[0]), W = s[0].x - s[1].x;
                EXPECT_NEAR(R / r0, 1.0 + T * theta, 1e-12);
                EXPECT_NEAR(W / b, 1.0 + T * theta, 1e-12);
                EXPECT_NEAR(s[7].x, W / 2.0, 1e-15);
            }
            if (form != 2) {
                // the neck: from r0 down to the exit ring, b wide
                EXPECT_NEAR(radius(s[3]), r0, 1e-15);
                EXPECT_NEAR(radius(s[4]), r, 1e-15);
                EXPECT_NEAR(s[5].x - s[4].x, b, 1e-15);
            }
        }
    }
}

TEST(InletForms, NoSwirlLeavesTheLeastCircle) {
    Record v = make_record(2);
    v->A2 = 0.0;
    ASSERT_EQ(VolinDesign(v.get()), 0);
    EXPECT_NEAR(v->hk, std::sqrt(3.14159265) * 0.0001, 1e-18);
    EXPECT_EQ(v->bk, v->hk);
    EXPECT_NEAR(v->Dk, 2.0 * 0.105, 1e-15);
    EXPECT_NEAR(v->A[10][0].x, 0.0001, 1e-18);
}

TEST(InletForms, HalfWidthIsNoInput) {
    Record a = make_record(3), b = make_record(3);
    b->hb2 = 7.0;
    ASSERT_EQ(VolinDesign(a.get()), 0);
    ASSERT_EQ(VolinDesign(b.get()), 0);
    EXPECT_EQ(a->Dk, b->Dk);
    EXPECT_EQ(a->A[20][4].y, b->A[20][4].y);
}

TEST(InletForms, FineStepsGiveNStationsExactly) {
    // A step below 0.009 rad would reach a station past n before the limit.
    Record v = make_record(1, 2000, 36);
    ASSERT_EQ(VolinDesign(v.get()), 0);
    EXPECT_EQ(v->nA, 2000);
    EXPECT_EQ(v->A[2000][0].z, 0.0);
    const Point3 last = v->A[1999][0];
    EXPECT_NEAR(-std::atan2(last.y, last.z), 0.001 + kTurn - 2.0 * M_PI, 1e-11);
}

// The record as a byte image of its head and tables.
std::vector<unsigned char> image(const Volout& v) {
    std::vector<unsigned char> bytes(reinterpret_cast<const unsigned char*>(&v),
                                     reinterpret_cast<const unsigned char*>(&v) + sizeof v);
    for (Point3** t : {v.A, v.B, v.C}) {
        if (t == nullptr) continue;
        for (int r = 0; r < v.alloc_rows; ++r) {
            const auto* p = reinterpret_cast<const unsigned char*>(t[r]);
            bytes.insert(bytes.end(), p, p + v.alloc_points * sizeof(Point3));
        }
    }
    return bytes;
}

TEST(InletRefusals, LeaveTheRecordUntouched) {
    struct Case {
        const char* what;
        int form, n, m;  // record made with n = m = 36, then asked for form, n
        int init_m;
    };
    for (const Case& c :
         {Case{"form 0", 0, 36, 36, 36}, Case{"form 4", 4, 36, 36, 36}, Case{"one station", 1, 1, 36, 36},
          Case{"no station", 2, 0, 36, 36}, Case{"negative stations", 3, -4, 36, 36},
          Case{"more stations than rows", 1, 137, 36, 36},
          Case{"circle of 37 points in rows of 20", 2, 36, 10, 10},
          Case{"contour of 9 points in rows of 8", 1, 36, -2, -2}}) {
        SCOPED_TRACE(c.what);
        Record v = make_record(1, 36, c.init_m);
        if (c.init_m >= 0) {
            ASSERT_EQ(VolinDesign(v.get()), 0);  // a design made before
        }
        v->form = c.form;
        v->n = c.n;
        const auto before = image(*v);
        EXPECT_EQ(VolinDesign(v.get()), 1);
        EXPECT_TRUE(image(*v) == before);
        v->n = 36;
    }
    Record v = make_record(1);
    Point3** A = v->A;
    v->A = nullptr;
    EXPECT_EQ(VolinDesign(v.get()), 1);
    v->A = A;
    EXPECT_EQ(VolinDesign(nullptr), 1);
}

}  // namespace
