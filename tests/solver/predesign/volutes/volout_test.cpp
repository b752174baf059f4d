#include <gtest/gtest.h>

#include "halvorine2/volute.h"

namespace {

TEST(VoloutRecord, InitMakesZeroFilledTablesAndTermReleasesThem) {
    Volout* rec = VoloutInit(21, 36, 36);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->form, 21);
    EXPECT_EQ(rec->n, 36);
    EXPECT_EQ(rec->m, 36);
    EXPECT_EQ(rec->nA, 0);
    for (Point3** table : {rec->A, rec->B, rec->C}) {
        ASSERT_NE(table, nullptr);
        // n + 100 rows of m + 10 points
        EXPECT_EQ(table[135][45].x, 0.0);
        EXPECT_EQ(table[0][0].z, 0.0);
    }
    rec->A[135][45].y = 1.0;  // the last point of the last row is writable
    EXPECT_EQ(VoloutTerm(rec), 0);
    EXPECT_EQ(VoloutTerm(nullptr), 0);
}

TEST(VoloutRecord, ImpossibleExtentsLeaveTablesEmpty) {
    Volout* rec = VoloutInit(0, -500, 36);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->A, nullptr);
    EXPECT_EQ(rec->B, nullptr);
    EXPECT_EQ(rec->C, nullptr);
    EXPECT_EQ(VoloutTerm(rec), 0);
}

}  // namespace
