#include <gtest/gtest.h>

#include <string>

#include "case/case_arrays.h"
#include "case/case_fields.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"

namespace {

class CaseArrays : public h2::test::LiveCaseTest {
protected:
    // Number of per-element and per-element-and-streamline array fields that are set.
    std::pair<int, int> present() {
        int elem = 0, rows = 0;
        for (const auto& f : h2::kFields) {
            if (h2::is_element_array(f.kind) && *h2::field_at<double*>(block(), f.offset)) ++elem;
            if (h2::is_row_array(f.kind) && *h2::field_at<double**>(block(), f.offset)) ++rows;
        }
        return {elem, rows};
    }
    h2::test::CapturedConsole console_;
};

TEST_F(CaseArrays, SmallestSetIsCompleteAndZeroFilled) {
    set_dump_name("mine.dump");
    ASSERT_EQ(alloc_probdata(1, 1), 0);
    EXPECT_EQ(block()->allocated1, 307);
    EXPECT_EQ(block()->allocated2, 180);
    EXPECT_EQ(block()->elem_count, 1);
    EXPECT_EQ(std::string(block()->dump_name), "bestxn.dump");
    EXPECT_EQ(present(), std::make_pair(307, 180));
    for (const auto& f : h2::kFields) {
        if (h2::is_element_array(f.kind)) {
            EXPECT_EQ((*h2::field_at<double*>(block(), f.offset))[0], 0.0) << f.member;
        }
        if (h2::is_row_array(f.kind)) {
            EXPECT_EQ((*h2::field_at<double**>(block(), f.offset))[0][0], 0.0) << f.member;
        }
    }
    for (LossEntry* slot : block()->LossSlots) {
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(slot[0], nullptr);
    }
    ASSERT_NE(block()->stream_grid, nullptr);
    EXPECT_EQ(block()->stream_grid[109].x, 0.0);  // 1*10 * (1*10+1) = 110 records
    EXPECT_EQ(block()->prof_nPoints, nullptr);
    EXPECT_EQ(block()->prof_xPoints, nullptr);
    EXPECT_EQ(block()->prof_yPoints, nullptr);
    EXPECT_EQ(console_.text(), "");

    EXPECT_EQ(free_probdata(), 0);
    EXPECT_EQ(present(), std::make_pair(0, 0));
    EXPECT_EQ(block()->allocated1, 0);
    EXPECT_EQ(block()->allocated2, 0);
    EXPECT_EQ(block()->stream_grid, nullptr);
    for (LossEntry* slot : block()->LossSlots) EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(block()->elem_count, 1);
}

TEST_F(CaseArrays, LargestLoadedCaseHasRoomForTheWholeGrid) {
    ASSERT_EQ(alloc_probdata(101, 50), 0);
    block()->stream_grid[505499].y = 1.0;  // last of 50*10 * (101*10+1) records
    block()->los_Los[100][49] = 2.0;
    EXPECT_EQ(free_probdata(), 0);
}

TEST_F(CaseArrays, CountsOutsideTheUsualRange) {
    struct Case {
        int N, NI, result;
        const char* message;
    };
    const Case cases[] = {
        {0, 3, 0, ""},
        {3, 0, 0, ""},
        {-1, 3, 1, "\nalloc_probdata: allocated1 != COUNT_PARAM1\n\n"},
        {3, -1, 2, "\nalloc_probdata: allocated2 != COUNT_PARAM1\n\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.N << ',' << c.NI);
        h2::test::CapturedConsole console;
        EXPECT_EQ(alloc_probdata(c.N, c.NI), c.result);
        EXPECT_EQ(console.text(), c.message);
        bterm();  // releases whatever was made; the sanitizer run reports any leak
        ASSERT_NE(binit(), nullptr);
    }
}

TEST_F(CaseArrays, FreeOnlyWhatExists) {
    EXPECT_EQ(free_probdata(), -2);
    EXPECT_EQ(console_.text(), "\nfree_probdata: empty data\n\n");
    ASSERT_EQ(alloc_probdata(4, 2), 0);
    EXPECT_EQ(free_probdata(), 0);
    EXPECT_EQ(free_probdata(), -2);
}

TEST_F(CaseArrays, AllocatingOverExistingArraysIsRefused) {
    ASSERT_EQ(alloc_probdata(4, 2), 0);
    double* stag = block()->elem_stagType;
    EXPECT_EQ(alloc_probdata(8, 3), -3);
    EXPECT_EQ(block()->elem_stagType, stag);
    EXPECT_EQ(block()->elem_count, 4);
    EXPECT_NE(console_.text().find("alloc_probdata: data already allocated"), std::string::npos);
    EXPECT_EQ(free_probdata(), 0);
}

TEST(CaseArraysWithoutCase, ReportAndRefuse) {
    h2::test::CapturedConsole console;
    EXPECT_EQ(alloc_probdata(1, 1), -1);
    EXPECT_EQ(free_probdata(), -1);
    EXPECT_EQ(console.text(),
              "\nalloc_probdata: Can't get bdLocals\n\n\nfree_probdata: Can't get bdLocals\n\n");
}

}  // namespace

namespace {

// The check a solve makes once and its steps take as done.
TEST_F(CaseArrays, ACheckedScopeHoldsForItsCaseAndItsCountsOnly) {
    ASSERT_EQ(alloc_probdata(4, 2), 0);
    bdLocals* b = block();
    b->cyld_ns = 3;
    b->cyld_nr = 2;
    ASSERT_TRUE(h2::has_every_array(b));
    double* row = b->flow_w2[2];
    b->flow_w2[2] = nullptr;
    EXPECT_FALSE(h2::has_every_array(b));
    {
        // A scope opened on a case that fails the check holds nothing.
        const h2::ArraysCheckedScope scope(b);
        EXPECT_FALSE(h2::has_every_array(b));
    }
    b->flow_w2[2] = row;
    {
        const h2::ArraysCheckedScope scope(b);
        b->flow_w2[2] = nullptr;  // what the scope promises not to happen: taken as checked
        EXPECT_TRUE(h2::has_every_array(b));
        b->cyld_ns = 2;  // other counts: checked again, and the row is within them
        EXPECT_FALSE(h2::has_every_array(b));
        b->cyld_ns = 3;
        b->flow_w2[2] = row;
        {
            const h2::ArraysCheckedScope inner(nullptr);  // nests without hiding the outer check
            EXPECT_TRUE(h2::has_every_array(b));
        }
    }
    b->flow_w2[2] = nullptr;
    EXPECT_FALSE(h2::has_every_array(b));  // after the scope every array is looked at again
    b->flow_w2[2] = row;
}

}  // namespace
