#include <gtest/gtest.h>

#include "halvorine2/volute.h"
#include "tests/support/case_fixture.h"

namespace {

// Two blocks; the source holds a designed record.
class VoloutCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        src_ = h2::test::make_block();
        dst_ = h2::test::make_block();
        rec_ = VoloutInit(10, 36, 36);
        ASSERT_NE(rec_, nullptr);
        src_->volout = rec_;
        rec_->cs = 40.0;
        rec_->cu = 120.0;
        rec_->A2 = 15.0;
        rec_->r2 = 0.2;
        rec_->hb2 = 0.01;
        rec_->b2 = 0.02;
        rec_->gap = 0.002;
        rec_->Dk = 0.9;
        rec_->bk = 0.1;
        rec_->hk = 0.12;
    }
    void TearDown() override {
        VoloutTerm(static_cast<Volout*>(dst_->volout));
        VoloutTerm(rec_);
    }
    Volout* copy() { return static_cast<Volout*>(dst_->volout); }

    h2::test::BlockPtr src_, dst_;
    Volout* rec_ = nullptr;
};

TEST_F(VoloutCopyTest, CopyHoldsTheInputsAndTheUsedTables) {
    rec_->nA = 3, rec_->mA = 2;
    rec_->nB = 1, rec_->mB = 5;
    rec_->nC = 0, rec_->mC = 0;
    for (int r = 0; r < 10; ++r)
        for (int p = 0; p < 10; ++p) {
            rec_->A[r][p] = Point3{1.0 * r, 1.0 * p, 1.0};
            rec_->B[r][p] = Point3{2.0 * r, 2.0 * p, 2.0};
            rec_->C[r][p] = Point3{3.0 * r, 3.0 * p, 3.0};
        }
    ASSERT_EQ(VoloutCopy(src_.get(), dst_.get()), 0);
    Volout* c = copy();
    ASSERT_NE(c, nullptr);
    ASSERT_NE(c, rec_);
    EXPECT_EQ(c->form, 10);
    EXPECT_EQ(c->n, 36);
    EXPECT_EQ(c->m, 36);
    EXPECT_EQ(c->cs, 40.0);
    EXPECT_EQ(c->cu, 120.0);
    EXPECT_EQ(c->r2, 0.2);
    EXPECT_EQ(c->hb2, 0.01);
    EXPECT_EQ(c->b2, 0.02);
    EXPECT_EQ(c->gap, 0.002);
    for (double zero : {c->A2, c->Dk, c->bk, c->hk}) EXPECT_EQ(zero, 0.0);
    struct Table {
        Point3** table;
        int rows, points;
        double z;
    };
    for (const Table t : {Table{c->A, 3, 2, 1.0}, Table{c->B, 1, 5, 2.0}, Table{c->C, 0, 0, 3.0}}) {
        SCOPED_TRACE(t.z);
        for (int r = 0; r < 10; ++r)
            for (int p = 0; p < 10; ++p) {
                const bool used = r <= t.rows && p <= t.points;
                EXPECT_EQ(t.table[r][p].z, used ? t.z : 0.0) << r << ',' << p;
                EXPECT_EQ(t.table[r][p].y, used ? t.z * p : 0.0) << r << ',' << p;
            }
    }
    EXPECT_EQ(c->nA, 3);
    EXPECT_EQ(c->mB, 5);
}

TEST_F(VoloutCopyTest, ExtentsPastTheTablesAreClamped) {
    rec_->nA = 36 + 150, rec_->mA = 36 + 20;
    rec_->nB = -1, rec_->mB = 4;
    rec_->A[135][45] = Point3{7, 8, 9};  // last row and point of the table
    ASSERT_EQ(VoloutCopy(src_.get(), dst_.get()), 0);
    EXPECT_EQ(copy()->nA, 135);
    EXPECT_EQ(copy()->mA, 45);
    EXPECT_EQ(copy()->A[135][45].z, 9.0);
    EXPECT_EQ(copy()->nB, -1);
}

TEST_F(VoloutCopyTest, NothingToCopy) {
    int marker = 0;  // stands for whatever dst points to; never read
    dst_->volout = &marker;
    src_->volout = nullptr;
    EXPECT_EQ(VoloutCopy(src_.get(), dst_.get()), 1);
    EXPECT_EQ(dst_->volout, &marker);
    src_->volout = rec_;
    EXPECT_EQ(VoloutCopy(nullptr, dst_.get()), 1);
    EXPECT_EQ(VoloutCopy(src_.get(), nullptr), 1);
    EXPECT_EQ(dst_->volout, &marker);
    dst_->volout = nullptr;
}

TEST_F(VoloutCopyTest, FormerRecordOfTheDestinationIsNotReleased) {
    Volout* former = VoloutInit(0, 4, 4);
    dst_->volout = former;
    ASSERT_EQ(VoloutCopy(src_.get(), dst_.get()), 0);
    EXPECT_NE(dst_->volout, former);
    EXPECT_EQ(former->n, 4);  // still ours to release
    VoloutTerm(former);
}

}  // namespace
