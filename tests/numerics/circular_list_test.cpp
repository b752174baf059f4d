#include "numerics/circular_list.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/support/captured_console.h"

namespace {

using namespace h2;

// One list head, released with its elements at the end of the test.
class ListTest : public ::testing::Test {
protected:
    void SetUp() override {
        dcl_new_heads(heads_, cursors_, 2);
        ASSERT_NE(heads_[0], nullptr);
        ASSERT_EQ(cursors_[0], heads_[0]);
    }
    void TearDown() override { dcl_free_heads(heads_, 2); }
    DC_List* list() { return heads_[0]; }
    DC_List* other() { return heads_[1]; }

    std::vector<Point3> points() {
        std::vector<Point3> out(64);
        const int last = dcl_to_points(list(), out.data());
        out.resize(static_cast<std::size_t>(last + 1));
        return out;
    }

private:
    DC_List* heads_[2] = {};
    DC_List* cursors_[2] = {};
};

void expect_point(Point3 actual, Point3 expected, double tol = 1e-12) {
    EXPECT_NEAR(actual.x, expected.x, tol);
    EXPECT_NEAR(actual.y, expected.y, tol);
    EXPECT_NEAR(actual.z, expected.z, tol);
}

const Point3 kTriangle[] = {{0, 0, 1}, {1, 0, 2}, {0, 1, 3}};

TEST_F(ListTest, PointsGoInAndComeBackInOrder) {
    EXPECT_TRUE(dcl_empty(list()));
    EXPECT_EQ(dcl_from_points(list(), kTriangle, 3), list());
    Point3 out[3];
    EXPECT_EQ(dcl_to_points(list(), out), 2);
    for (int i = 0; i < 3; ++i) expect_point(out[i], kTriangle[i], 0.0);
    // The head holds the first element; its prev is the last.
    EXPECT_EQ(dcl_first(list()), list());
    expect_point(dcl_last(list())->pt, kTriangle[2], 0.0);
    EXPECT_TRUE(dcl_is_last(list(), dcl_last(list())));
    EXPECT_TRUE(dcl_is_head(list(), dcl_next(list(), dcl_last(list()))));
    EXPECT_EQ(dcl_prev(list(), list()), dcl_last(list()));
}

TEST_F(ListTest, InsertingAroundAPosition) {
    EXPECT_EQ(dcl_insert_after(list(), nullptr, 1, 0, 0, 5), list());  // into the empty head
    EXPECT_EQ(dcl_insert_after(list(), list(), 3, 0, 0, 7), list());
    DC_List* third = list()->next;
    EXPECT_EQ(dcl_insert_before(list(), third, 2, 0, 0, 6), third);
    const std::vector<Point3> pts = points();
    ASSERT_EQ(pts.size(), 3u);
    EXPECT_EQ(pts[0].x, 1.0);
    EXPECT_EQ(pts[1].x, 2.0);
    EXPECT_EQ(pts[2].x, 3.0);
    EXPECT_EQ(list()->next->value, 6);
}

TEST_F(ListTest, RemovingTheHeadOfTwoKeepsTheHeadNode) {
    dcl_from_points(list(), kTriangle, 2);
    list()->next->value = 9;
    EXPECT_EQ(dcl_remove(list(), list()), list());
    expect_point(list()->pt, kTriangle[1], 0.0);
    EXPECT_EQ(list()->value, 9);
    EXPECT_EQ(list()->next, list());
    EXPECT_EQ(list()->prev, list());
    // The last element goes: the list is empty.
    EXPECT_EQ(dcl_remove(list(), list()), list());
    EXPECT_TRUE(dcl_empty(list()));
    EXPECT_EQ(dcl_remove(list(), list()), nullptr);
}

TEST_F(ListTest, RemovingAnInnerNodeReturnsItsSuccessor) {
    dcl_from_points(list(), kTriangle, 3);
    DC_List* second = list()->next;
    EXPECT_EQ(dcl_remove(list(), second), list()->next);
    const std::vector<Point3> pts = points();
    ASSERT_EQ(pts.size(), 2u);
    expect_point(pts[1], kTriangle[2], 0.0);
    EXPECT_EQ(dcl_remove(list(), list()->next), list());  // the last one's successor is the head
}

TEST_F(ListTest, CopyReplacesTheTarget) {
    dcl_from_points(list(), kTriangle, 3);
    list()->value = 4;
    const Point3 old[] = {{9, 9, 9}};
    dcl_from_points(other(), old, 1);
    EXPECT_EQ(dcl_copy(list(), other()), other());
    Point3 out[3];
    EXPECT_EQ(dcl_to_points(other(), out), 2);
    expect_point(out[2], kTriangle[2], 0.0);
    EXPECT_EQ(other()->value, 4);
    dcl_clear(other());
    EXPECT_TRUE(dcl_empty(other()));
}

TEST_F(ListTest, ArcOfAFullCircleHasNoRepeatedPointAndNoCentre) {
    dcl_arc(list(), Point3{0, 0, 5}, 1.0, 0.0, 360.0, 4);
    const std::vector<Point3> pts = points();
    ASSERT_EQ(pts.size(), 4u);
    const Point3 expected[] = {{1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}};
    for (int i = 0; i < 4; ++i) expect_point(pts[i], expected[i], 1e-15);
}

TEST_F(ListTest, ArcOfAQuarterIsASectorClosedByTheCentre) {
    dcl_arc(list(), Point3{2, 3, 5}, 1.0, 0.0, 90.0, 2);
    const std::vector<Point3> pts = points();
    ASSERT_EQ(pts.size(), 4u);
    expect_point(pts[0], Point3{3, 3, 0}, 1e-15);
    expect_point(pts[1], Point3{2 + std::sqrt(0.5), 3 + std::sqrt(0.5), 0}, 1e-15);
    expect_point(pts[2], Point3{2, 4, 0}, 1e-15);
    expect_point(pts[3], Point3{2, 3, 5}, 0.0);  // the centre with its z
    // A sector is a closed polygon with its centre on the boundary.
    EXPECT_EQ(list_point_in_polygon(list(), 2.3, 3.3), 1);
    EXPECT_EQ(list_point_in_polygon(list(), 2.0, 3.0), 0);
    EXPECT_EQ(list_point_in_polygon(list(), 1.5, 3.3), -1);
}

TEST_F(ListTest, ArcAtTheFullCircleThresholdKeepsItsLastPoint) {
    dcl_arc(list(), Point3{0, 0, 0}, 1.0, 0.0, 359.99, 4);
    EXPECT_EQ(points().size(), 5u);  // n + 1 arc points, no centre
}

TEST_F(ListTest, LengthLeavesOutTheClosingSide) {
    const Point3 square[] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    dcl_from_points(list(), square, 4);
    EXPECT_DOUBLE_EQ(dcl_length(list()), 3.0);
    EXPECT_EQ(list_point_in_polygon(list(), 0.5, 0.5), 1);
    EXPECT_EQ(list_point_in_polygon(list(), 1.5, 0.5), -1);
    EXPECT_EQ(list_point_in_polygon(list(), 1.0, 0.5), 0);
    EXPECT_EQ(dcl_length(other()), 0.0);
}

struct MisuseCase {
    const char* name;
    int code;
};

class ListMisuse : public ListTest, public ::testing::WithParamInterface<MisuseCase> {};

TEST_P(ListMisuse, PrintsItsCodeAndLeavesTheListsAlone) {
    const Point3 one[] = {{7, 7, 7}};
    dcl_from_points(other(), one, 1);  // a list that is not empty
    h2::test::CapturedConsole console;
    Point3 out[1] = {{-1, -1, -1}};
    switch (GetParam().code) {
        case kDclCopyFromEmpty:
            EXPECT_EQ(dcl_copy(list(), other()), other());
            break;
        case kDclFirstOfEmpty:
            EXPECT_EQ(dcl_first(list()), list());
            break;
        case kDclLastOfEmpty:
            EXPECT_EQ(dcl_last(list()), nullptr);
            break;
        case kDclFromPointsNotEmpty:
            EXPECT_EQ(dcl_from_points(other(), kTriangle, 3), other());
            break;
        case kDclToPointsOfEmpty:
            EXPECT_EQ(dcl_to_points(list(), out), -1);
            EXPECT_EQ(out[0].x, -1.0);
            break;
        case kDclArcNotEmpty:
            EXPECT_EQ(dcl_arc(other(), Point3{}, 1.0, 0.0, 90.0, 3), other());
            break;
    }
    EXPECT_EQ(console.text(), "\nError in DC_List " + std::to_string(GetParam().code) + "\n");
    EXPECT_TRUE(dcl_empty(list()));
    ASSERT_FALSE(dcl_empty(other()));
    EXPECT_EQ(other()->next, other());
    EXPECT_EQ(other()->pt.x, 7.0);
}

INSTANTIATE_TEST_SUITE_P(Codes, ListMisuse,
                         ::testing::Values(MisuseCase{"copy_from_empty", kDclCopyFromEmpty},
                                           MisuseCase{"first_of_empty", kDclFirstOfEmpty},
                                           MisuseCase{"last_of_empty", kDclLastOfEmpty},
                                           MisuseCase{"from_points_not_empty", kDclFromPointsNotEmpty},
                                           MisuseCase{"to_points_of_empty", kDclToPointsOfEmpty},
                                           MisuseCase{"arc_not_empty", kDclArcNotEmpty}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
