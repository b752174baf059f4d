#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "blades/atlas.h"
#include "halvorine2/atlas.h"
#include "tests/blades/atlas_owner.h"
#include "tests/support/captured_console.h"
#include "tests/support/golden.h"
#include "tests/support/temp_dir.h"

namespace {

using h2::test::AtlasPtr;
using h2::test::write_text;
namespace fs = std::filesystem;

// A clockwise chain: a straight top edge, a round leading edge of radius
// sqrt(0.01^2 + 0.05^2) about (0.99, 0.15), and a straight closing edge.
const char* kP1 =
    "# a contour atlas\n"
    "\n"
    "3 P1\n"
    "0 0.2 0 0 0\n"
    "1 0.2 0.99 0.15 0.0509902\n"
    "  1 0.1 0 0 0   # closing node\n";

// Distance of p from the segment a-b.
double segment_distance(Point3 p, Point3 a, Point3 b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy);
    t = std::fmax(0.0, std::fmin(1.0, t));
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

class ContourFile : public ::testing::Test {
protected:
    h2::test::TempDir dir_;
    AtlasPtr atlas_{atlas_create(10, "atlas S")};
};

TEST_F(ContourFile, ANodeChainIsLaidWholeOnItsElements) {
    write_text("p1.atl", kP1);
    ASSERT_EQ(atlas_load(atlas_.get(), "p1.atl"), 0);
    ASSERT_EQ(atlas_->count, 1);
    EXPECT_STREQ(atlas_->names[0], "P1");
    ASSERT_EQ(atlas_->nnodes[0], 3);
    EXPECT_NEAR(atlas_->nodes[0][1].r, 0.0509902, 1e-7);
    ASSERT_EQ(atlas_->npoints[0], 300);
    const Point3* p = atlas_->points[0];
    // No side after the leading edge: its 120 go to the head, which has one
    // element, so the 270 points step evenly along y = 0.2.
    for (int j = 0; j < 270; ++j) {
        EXPECT_NEAR(p[j].x, j / 270.0, 1e-6) << j;
        EXPECT_NEAR(p[j].y, 0.2, 1e-6) << j;
    }
    // 20 on the leading-edge arc, swept clockwise from (1, 0.2) through x = 1.04.
    for (int j = 270; j < 290; ++j) {
        EXPECT_NEAR(std::hypot(p[j].x - 0.99, p[j].y - 0.15), 0.0509902, 1e-6) << j;
        EXPECT_GE(p[j].x, 1.0 - 1e-6) << j;
    }
    EXPECT_NEAR(p[280].x, 0.99 + 0.0509902, 1e-6);  // half way: straight right of the centre
    EXPECT_NEAR(p[280].y, 0.15, 1e-6);
    // 10 on the closing segment from (1, 0.1) back towards (0, 0.2).
    for (int j = 290; j < 300; ++j) {
        EXPECT_NEAR(segment_distance(p[j], {1, 0.1, 0}, {0, 0.2, 0}), 0.0, 1e-6) << j;
        EXPECT_NEAR(p[j].x, 1.0 - (j - 290) / 10.0, 1e-6) << j;
    }
    for (int j = 0; j < 300; ++j) EXPECT_FALSE(p[j].x == 0.0 && p[j].y == 0.0 && j > 0) << j;
    EXPECT_EQ(atlas_->type, 0);
}

TEST_F(ContourFile, APolygonStartingAtTheLeadingEdgeIsLaidOnItsEdges) {
    // No node has a radius, so the leading edge is element 0 and nothing lies
    // before it: the head share goes to the elements after it.
    write_text("poly.atl", "5\n0 0 0 0 0\n1 0 0 0 0\n2 1 0 0 0\n1 2 0 0 0\n0 1 0 0 0\n");
    ASSERT_EQ(atlas_load(atlas_.get(), "poly.atl"), 0);
    ASSERT_EQ(atlas_->count, 1);
    EXPECT_STREQ(atlas_->names[0], "-");
    ASSERT_EQ(atlas_->npoints[0], 300);
    const Point3 v[5] = {{0, 0, 0}, {1, 0, 0}, {2, 1, 0}, {1, 2, 0}, {0, 1, 0}};
    const Point3* p = atlas_->points[0];
    for (int j = 0; j < 300; ++j) {
        double d = 1e9;
        for (int e = 0; e < 5; ++e) d = std::fmin(d, segment_distance(p[j], v[e], v[(e + 1) % 5]));
        EXPECT_NEAR(d, 0.0, 1e-12) << j;
    }
    // 20 on the leading-edge element, 270 over the three middle edges by
    // length (sqrt 2 each: 90 apiece), 10 on the closing edge.
    EXPECT_NEAR(p[20].x, 1.0, 1e-12);
    EXPECT_NEAR(p[110].x, 2.0, 1e-12);
    EXPECT_NEAR(p[200].y, 2.0, 1e-12);
    EXPECT_NEAR(p[290].x, 0.0, 1e-12);
    EXPECT_NEAR(p[290].y, 1.0, 1e-12);
}

TEST_F(ContourFile, LongBlocksArePointsAndCommentsAreCutOff) {
    std::string text = "21 PTS\n";
    for (int i = 0; i < 21; ++i)
        text += std::to_string(i) + " " + std::to_string(2 * i) + " " + std::to_string(3 * i) + " 4 5\n";
    text += "\n# between blocks\n3 C\n1.5 2.5 3.5 # note\n0 0 0\n\t\n1 1 1\n";
    // C has three data lines (the blank one does not count): a node chain.
    write_text("pts.atl", text);
    ASSERT_EQ(atlas_load(atlas_.get(), "pts.atl"), 0);
    ASSERT_EQ(atlas_->count, 2);
    ASSERT_EQ(atlas_->npoints[0], 21);
    EXPECT_EQ(atlas_->nnodes[0], 0);
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(atlas_->points[0][i].x, i);
        EXPECT_EQ(atlas_->points[0][i].y, 2 * i);
        EXPECT_EQ(atlas_->points[0][i].z, 3 * i);
    }
    ASSERT_EQ(atlas_->nnodes[1], 3);
    EXPECT_EQ(atlas_->nodes[1][0].x, 1.5);
    EXPECT_EQ(atlas_->nodes[1][0].yc, 0.0);  // numbers missing from a node line
}

TEST_F(ContourFile, RefusedEntriesStopLoadingAndTruncationIsAnError) {
    write_text("dup.atl", std::string(kP1) + kP1 + "21 LATE\n");
    EXPECT_EQ(atlas_load(atlas_.get(), "dup.atl"), 0);
    EXPECT_EQ(atlas_->count, 1);
    EXPECT_EQ(atlas_find(atlas_.get(), "LATE"), -1);

    AtlasPtr b(atlas_create(10, "b"));
    write_text("cut.atl", std::string(kP1) + "25 T\n1 2 3\n4 5 6\n");
    EXPECT_EQ(atlas_load(b.get(), "cut.atl"), -1);
    EXPECT_EQ(b->count, 1);

    // A count larger than any file is a truncated block, not an allocation.
    AtlasPtr c(atlas_create(10, "c"));
    write_text("huge.atl", "2000000000 H\n1 2 3\n");
    EXPECT_EQ(atlas_load(c.get(), "huge.atl"), -1);
    EXPECT_EQ(c->count, 0);

    // A node chain of fewer than two nodes has no contour: loading stops.
    AtlasPtr d(atlas_create(10, "d"));
    write_text("one.atl", std::string("1 ONE\n0 0 0 0 0\n") + kP1);
    EXPECT_EQ(atlas_load(d.get(), "one.atl"), 0);
    EXPECT_EQ(d->count, 0);

    // A missing file leaves the atlas as it was: the caller sees count 0.
    AtlasPtr e(atlas_create(10, "e"));
    e->type = 7;
    EXPECT_EQ(atlas_load(e.get(), "missing.atl"), 0);
    EXPECT_EQ(e->count, 0);
    EXPECT_EQ(e->type, 7);
}

// A coordinate that is no finite number (beyond the float range, inf, nan)
// refuses its block: nothing of it enters the atlas, the profiles before it
// stay, and no point count is ever taken from an infinite length.
TEST_F(ContourFile, ABlockWithANonFiniteCoordinateIsRefused) {
    const fs::path kept = fs::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz" / "corpus" /
                          "atlas_contour" / "atlas_contour_inf_node.atl";
    std::string points = "21 Q\n";
    for (int i = 0; i < 21; ++i) points += i == 7 ? "0.5 nan 0\n" : "0.5 0.1 0\n";
    struct Case {
        const char* name;
        std::string text;
    } cases[] = {
        {"fuzz finding: a node at 1e39", h2::test::read_file(kept.string())},
        {"inf radius", std::string(kP1) + "3 P2\n0 0.2 0 0 0\n1 0.2 0.99 0.15 inf\n1 0.1 0 0 0\n"},
        {"centre beyond the float range",
         std::string(kP1) + "3 P2\n0 0.2 0 0 0\n1 0.2 -1e39 0.15 0.05\n1 0.1 0 0 0\n"},
        {"nan point", std::string(kP1) + points},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        AtlasPtr atlas{atlas_create(10, "atlas S")};
        write_text("bad.atl", t.text);
        EXPECT_EQ(atlas_load(atlas.get(), "bad.atl"), 0);
        const bool has_p1 = t.text.find("3 P1") != std::string::npos;
        ASSERT_EQ(atlas->count, has_p1 ? 1 : 0);
        if (has_p1) {
            EXPECT_STREQ(atlas->names[0], "P1");
        }
    }
    const ContourNode chain[3] = {{0, 0.2, 0, 0, 0}, {1, 0.2, 0.99, 0.15, INFINITY}, {1, 0.1, 0, 0, 0}};
    EXPECT_EQ(contour_from_nodes(chain, 3, 1, 2, 60, 90, 20, 120, 10), nullptr);
}

TEST_F(ContourFile, LoadingStopsAtCapacity) {
    AtlasPtr small(atlas_create(1, "small"));
    write_text("two.atl", std::string(kP1) + "3 Q\n0 0 0 0 0\n1 0 0 0 0\n1 1 0 0 0\n");
    EXPECT_EQ(atlas_load(small.get(), "two.atl"), 0);
    EXPECT_EQ(small->count, 1);
}

TEST_F(ContourFile, EnumAtlListsTheNames) {
    write_text("three.atl", std::string(kP1) + "3 Q\na\nb\nc\n2\n1 1\n2 2\n");
    char buf[3 * 80];
    EXPECT_EQ(EnumAtl("three.atl", buf), 3);
    EXPECT_STREQ(buf, "P1 Q -");

    std::strcpy(buf, "untouched");
    EXPECT_EQ(EnumAtl("missing.atl", buf), 0);
    EXPECT_STREQ(buf, "untouched");
    write_text("cut.atl", std::string(kP1) + "4 T\n1\n");
    EXPECT_EQ(EnumAtl("cut.atl", buf), -1);
    EXPECT_EQ(EnumAtl(nullptr, buf), 0);
    EXPECT_EQ(EnumAtl("three.atl", nullptr), 0);

    const std::string long_name(90, 'n');
    write_text("long.atl", "2 " + long_name + "\n1\n2\n");
    char one[80];
    EXPECT_EQ(EnumAtl("long.atl", one), 1);
    EXPECT_EQ(std::string(one), long_name.substr(0, 79));
}

TEST_F(ContourFile, TheWriterGivesTheGoldenFormAndReadsBack) {
    const ContourNode nodes[3] = {{0, 0.2, 0, 0, 0}, {1, 0.2, 0.99, 0.15, 0.0509902}, {1, 0.1, 0, 0, 0}};
    const Point3 dummy{0, 0, 0};
    const Point3 pts[3] = {{0.5, -0.25, 0}, {1e-7, 12345678, 0}, {-3, 0.125, 1.5}};
    ASSERT_EQ(atlas_set_records(atlas_.get(), 3, nodes), 0);
    ASSERT_EQ(atlas_add(atlas_.get(), 1, &dummy, "P1"), 1);
    ASSERT_EQ(atlas_add(atlas_.get(), 3, pts, "Pts"), 2);
    ASSERT_EQ(atlas_add(atlas_.get(), 0, nullptr, "Empty"), 3);
    ASSERT_EQ(atlas_save(atlas_.get(), "saved.atl"), 0);
    EXPECT_EQ(h2::test::read_file("saved.atl"),
              h2::test::read_file(h2::test::kGoldenFiles / "atlas_contour.atl"));

    AtlasPtr back(atlas_create(10, "back"));
    ASSERT_EQ(atlas_load(back.get(), "saved.atl"), 0);
    // The three points of Pts come back as a node chain (fewer than 21 lines).
    ASSERT_EQ(back->count, 2);
    EXPECT_EQ(back->nnodes[0], 3);
    EXPECT_EQ(back->nnodes[1], 3);
    EXPECT_EQ(back->npoints[1], 300);
    EXPECT_EQ(atlas_save(atlas_.get(), "no_such_dir/saved.atl"), -1);
    EXPECT_EQ(atlas_save(nullptr, "x.atl"), -1);
}

TEST(ContourFromNodes, RefusesBadChainsAndSplitsZeroLengthsEvenly) {
    const ContourNode same[5] = {
        {1, 1, 0, 0, 0}, {1, 1, 0, 0, 0}, {1, 1, 0, 0, 0}, {1, 1, 0, 0, 0}, {1, 1, 0, 0, 0}};
    Point3* p = contour_from_nodes(same, 5, 2, 4, 3, 4, 2, 5, 1);
    ASSERT_NE(p, nullptr);
    for (int j = 0; j < 15; ++j) {
        EXPECT_EQ(p[j].x, 1.0) << j;
        EXPECT_EQ(p[j].y, 1.0) << j;
    }
    std::free(p);
    EXPECT_EQ(contour_from_nodes(same, 1, 0, 0, 60, 90, 20, 120, 10), nullptr);
    EXPECT_EQ(contour_from_nodes(same, 5, 2, 4, -1, 90, 20, 120, 10), nullptr);
    EXPECT_EQ(contour_from_nodes(same, 5, 4, 4, 60, 90, 20, 120, 10), nullptr);
    EXPECT_EQ(contour_from_nodes(nullptr, 5, 2, 4, 60, 90, 20, 120, 10), nullptr);
}

}  // namespace
