// The sample atlases the build installs: both files of a family load into one
// atlas, hold the same profiles, and follow their documented closed forms.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "blades/atlas.h"
#include "halvorine2/atlas.h"
#include "tests/blades/atlas_owner.h"
#include "tests/support/captured_console.h"

namespace {

using h2::test::AtlasPtr;

const std::string kDir = H2_ATLAS_DIR;

struct Family {
    const char* file;
    const char* names;
    double t, chord;
    double camber[3];
};
const Family kFamilies[] = {
    {"PDatlasS", "S60 S70 S80", 0.20, 0.05, {60, 70, 80}},
    {"PDatlasR", "R90 R110 R130", 0.15, 0.04, {90, 110, 130}},
};

// The documented stagger: camber-line outlet angle plus a deviation that
// grows with the square root of the pitch ratio.
double stagger(double theta, double tb, double B2) {
    return 90.0 - theta / 2.0 - B2 + 0.19 * theta * std::sqrt(tb);
}

TEST(SampleAtlas, EachFamilyLoadsWholeAndListsTheSameProfiles) {
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.file);
        const std::string atl = kDir + "/" + f.file + ".atl", att = kDir + "/" + f.file + ".att";
        for (const std::string& file : {atl, att}) {
            const std::string text = h2::test::read_file(file);
            EXPECT_EQ(text.substr(0, 2), "# ");
            EXPECT_NE(text.find("NOT measured"), std::string::npos);
        }
        char contours[3 * 80], tables[3 * 80 + 1];
        EXPECT_EQ(EnumAtl(atl.c_str(), contours), 3);
        EXPECT_EQ(EnumAtt(att.c_str(), tables), 3);
        EXPECT_EQ(std::string(contours), f.names);
        EXPECT_EQ(std::string(tables), std::string(" ") + f.names);

        AtlasPtr a(atlas_create(100, "atlas"));
        ASSERT_EQ(atlas_load(a.get(), atl.c_str()), 0);
        ASSERT_EQ(a->count, 3);
        for (int k = 0; k < 3; ++k) EXPECT_EQ(a->npoints[k], 200) << k;
        ASSERT_EQ(atlas_load_tables(a.get(), att.c_str()), 0);
        EXPECT_EQ(a->count, 3);
        EXPECT_EQ(a->type, 1);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(a->npoints[k], 200) << k;
            EXPECT_NEAR(a->B1g_org[k], 90.0 - f.camber[k] / 2.0, 1e-9);
            EXPECT_NEAR(a->r2_[k], 1.05 * f.t / 100.0, 1e-12);
            EXPECT_NEAR(a->chord[k], f.chord, 1e-12);
        }
    }
}

TEST(SampleAtlas, StaggersFollowTheDocumentedForm) {
    AtlasPtr s(atlas_create(100, "atlas S"));
    ASSERT_EQ(atlas_load_tables(s.get(), (kDir + "/PDatlasS.att").c_str()), 0);
    const int s70 = atlas_find(s.get(), "S70");
    ASSERT_EQ(s70, 1);
    EXPECT_NEAR(atlas_stagger(s.get(), 0.8, 20.0, s70), 46.8959, 1e-4);
    EXPECT_NEAR(atlas_stagger(s.get(), 0.8, 20.0, s70), stagger(70, 0.8, 20), 1e-4);

    AtlasPtr r(atlas_create(100, "atlas R"));
    ASSERT_EQ(atlas_load_tables(r.get(), (kDir + "/PDatlasR.att").c_str()), 0);
    const int r110 = atlas_find(r.get(), "R110");
    ASSERT_EQ(r110, 1);
    EXPECT_NEAR(atlas_stagger(r.get(), 0.7, 155.0, r110), 27.4862, 1e-4);
    EXPECT_NEAR(atlas_stagger(r.get(), 0.7, 25.0, r110), stagger(110, 0.7, 25), 1e-4);
    // Between the grid values the stagger is linear in B2 and nearly so in t/b.
    EXPECT_NEAR(atlas_stagger_tri(r.get(), 0.75, 32.5, r110), stagger(110, 0.75, 32.5), 0.05);
}

TEST(SampleAtlas, ContoursAreTheDocumentedSections) {
    AtlasPtr s(atlas_create(100, "atlas S"));
    ASSERT_EQ(atlas_load(s.get(), (kDir + "/PDatlasS.atl").c_str()), 0);
    const double t = 0.20;
    for (int k = 0; k < 3; ++k) {
        const double theta = (60.0 + 10.0 * k) * M_PI / 180.0;
        const Point3* p = s->points[k];
        // Point 100 is the nose at the inlet edge (1, 0).
        EXPECT_NEAR(p[100].x, 1.0, 1e-5);
        EXPECT_NEAR(p[100].y, 0.0, 1e-5);
        // The first point lies on the outlet edge's normal at the open
        // thickness 0.0105 t, the camber line leaving (0, 0) at theta / 2.
        EXPECT_NEAR(p[0].x, -0.0105 * t * std::sin(theta / 2.0), 1e-5);
        EXPECT_NEAR(p[0].y, 0.0105 * t * std::cos(theta / 2.0), 1e-5);
        // The widest section is t of the chord (the four-digit thickness).
        double widest = 0.0;
        for (int j = 1; j < 100; ++j)
            widest = std::fmax(widest, std::hypot(p[j].x - p[200 - j].x, p[j].y - p[200 - j].y));
        EXPECT_NEAR(widest, t, 0.002);
        // Clockwise: the enclosed signed area is negative.
        double area2 = 0.0;
        for (int j = 0; j < 200; ++j) area2 += p[j].x * p[(j + 1) % 200].y - p[(j + 1) % 200].x * p[j].y;
        EXPECT_LT(area2, 0.0);
    }
}

}  // namespace
