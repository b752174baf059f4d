#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "blades/atlas.h"
#include "tests/blades/atlas_owner.h"

namespace {

using h2::test::AtlasPtr;

std::vector<Point3> square(double side) { return {{0, 0, 0}, {side, 0, 0}, {side, side, 0}, {0, side, 0}}; }

std::vector<Point3> copy_of(const Atlas* a, int i) {
    int n = -1;
    Point3* p = atlas_get_points(a, i, &n);
    std::vector<Point3> v(p, p + (p ? n : 0));
    std::free(p);
    return v;
}

TEST(AtlasContainer, CapacityIsBoundedAndAFullAtlasRefuses) {
    AtlasPtr a(atlas_create(250, "atlas S"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->capacity, 100);
    EXPECT_EQ(a->type, 0);
    EXPECT_STREQ(a->name, "atlas S");
    const std::vector<Point3> pts = square(1.0);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(atlas_add(a.get(), 4, pts.data(), ("P" + std::to_string(i)).c_str()), i + 1);
    EXPECT_EQ(atlas_add(a.get(), 4, pts.data(), "P100"), -1);
    EXPECT_EQ(atlas_set_records(a.get(), 0, nullptr), -1);
    EXPECT_EQ(a->count, 100);

    for (int cap : {0, -3}) EXPECT_EQ(atlas_create(cap, "none"), nullptr) << cap;
}

TEST(AtlasContainer, NamesAreUniqueExactAndCutTo79Characters) {
    AtlasPtr a(atlas_create(5, "atlas R"));
    const std::vector<Point3> one = square(1.0), two = square(2.0);
    ASSERT_EQ(atlas_add(a.get(), 4, one.data(), "R1"), 1);
    EXPECT_EQ(atlas_add(a.get(), 4, two.data(), "R1"), -2);
    EXPECT_EQ(atlas_find(a.get(), "R1"), 0);
    EXPECT_EQ(atlas_find(a.get(), "r1"), -1);
    EXPECT_EQ(atlas_find(a.get(), ""), -1);
    EXPECT_EQ(atlas_find(a.get(), nullptr), -1);

    const std::string long_name(85, 'x');
    ASSERT_EQ(atlas_add(a.get(), 4, two.data(), long_name.c_str()), 2);
    EXPECT_EQ(std::string(a->names[1]), long_name.substr(0, 79));
    // The stored (cut) name is the one that is taken.
    EXPECT_EQ(atlas_add(a.get(), 4, two.data(), (long_name + "y").c_str()), -2);
    EXPECT_EQ(atlas_find(a.get(), long_name.substr(0, 79).c_str()), 1);
}

TEST(AtlasContainer, PointsAreCopiedInAndOut) {
    AtlasPtr a(atlas_create(3, "a"));
    std::vector<Point3> pts = square(1.0);
    ASSERT_EQ(atlas_add(a.get(), 4, pts.data(), "Q"), 1);
    pts[2].x = 99.0;  // the atlas holds its own copy
    const std::vector<Point3> got = copy_of(a.get(), 0);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[2].x, 1.0);

    int n = 7;
    Point3* by_name = atlas_get_points_by_name(a.get(), "Q", &n);
    ASSERT_NE(by_name, nullptr);
    EXPECT_EQ(n, 4);
    EXPECT_NE(by_name, a->points[0]);
    std::free(by_name);
    for (int i : {-1, 1, 3}) EXPECT_EQ(atlas_get_points(a.get(), i, &n), nullptr) << i;
    EXPECT_EQ(atlas_get_points_by_name(a.get(), "nothing", &n), nullptr);
}

TEST(AtlasContainer, PutReplacesByNameOrAppends) {
    AtlasPtr a(atlas_create(3, "a"));
    const std::vector<Point3> one = square(1.0), two = square(2.0);
    ASSERT_EQ(atlas_add(a.get(), 4, one.data(), "A"), 1);
    EXPECT_EQ(atlas_put(a.get(), 3, two.data(), "A"), 1);
    EXPECT_EQ(a->npoints[0], 3);
    EXPECT_EQ(copy_of(a.get(), 0)[1].x, 2.0);
    EXPECT_EQ(atlas_put(a.get(), 4, two.data(), "B"), 2);
    EXPECT_EQ(atlas_find(a.get(), "B"), 1);
}

TEST(AtlasContainer, FailedAllocationsLoseNothing) {
    AtlasPtr a(atlas_create(3, "a"));
    const std::vector<Point3> one = square(1.0), two = square(2.0);
    ASSERT_EQ(atlas_add(a.get(), 4, one.data(), "A"), 1);

    atlas_fail_allocation_after(0);
    EXPECT_EQ(atlas_put(a.get(), 4, two.data(), "A"), -4);
    const std::vector<Point3> kept = copy_of(a.get(), 0);
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_EQ(kept[1].x, 1.0);

    atlas_fail_allocation_after(0);
    EXPECT_EQ(atlas_add(a.get(), 4, two.data(), "B"), -3);
    EXPECT_EQ(a->count, 1);

    const ContourNode node{0, 0, 0, 0, 0};
    atlas_fail_allocation_after(0);
    EXPECT_EQ(atlas_set_records(a.get(), 1, &node), -3);

    // Creation fails at each of its allocations in turn and leaves nothing
    // behind (the sanitizer run checks for leaks).
    for (int k = 0; k < 7; ++k) {
        atlas_fail_allocation_after(k);
        EXPECT_EQ(atlas_create(5, "x"), nullptr) << k;
    }
    atlas_fail_allocation_after(-1);
}

TEST(AtlasContainer, WaitingNodesGoWithTheNextAddOrAreReleased) {
    AtlasPtr a(atlas_create(4, "a"));
    const std::vector<Point3> pts = square(1.0);
    const ContourNode first[2] = {{0, 0, 0, 0, 0}, {1, 0, 0, 0, 0}};
    const ContourNode second[3] = {{5, 0, 0, 0, 0}, {6, 0, 0, 0, 0}, {7, 1, 0, 0, 0}};
    EXPECT_EQ(atlas_set_records(a.get(), 2, first), 0);
    // A second list for the same slot replaces the first one (no leak).
    EXPECT_EQ(atlas_set_records(a.get(), 3, second), 0);
    ASSERT_EQ(atlas_add(a.get(), 4, pts.data(), "N"), 1);
    ASSERT_EQ(a->nnodes[0], 3);
    EXPECT_EQ(a->nodes[0][2].y, 1.0);

    // A refused add leaves its nodes waiting; clearing releases them.
    EXPECT_EQ(atlas_set_records(a.get(), 2, first), 1);
    EXPECT_EQ(atlas_add(a.get(), 4, pts.data(), "N"), -2);
    EXPECT_EQ(a->nnodes[1], 2);
    atlas_clear(a.get());
    EXPECT_EQ(a->count, 0);
    EXPECT_EQ(a->capacity, 4);
    EXPECT_STREQ(a->name, "a");
    EXPECT_EQ(a->nodes[1], nullptr);
    EXPECT_EQ(atlas_find(a.get(), "N"), -1);
    EXPECT_EQ(atlas_add(a.get(), 4, pts.data(), "N"), 1);
    EXPECT_EQ(a->nnodes[0], 0);

    // Freeing with a list still waiting releases it too.
    EXPECT_EQ(atlas_set_records(a.get(), 3, second), 1);
    atlas_free(nullptr);
    atlas_clear(nullptr);
}

}  // namespace
