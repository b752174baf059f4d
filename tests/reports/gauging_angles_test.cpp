#include <gtest/gtest.h>

#include "physics/angle_mask.h"
#include "reports/gauging_angles.h"
#include "tests/support/case_fixture.h"

namespace {

class GaugingAngles : public h2::test::LiveCaseTest {};

TEST_F(GaugingAngles, MaskScalesFromTheNearerAxis) {
    allocate(2, 1);
    block()->AngMask[1] = 0.5;
    block()->ang_mask_factor = 0.2;  // scale 1.1
    struct Case {
        int i;
        double a, expected;
    };
    for (const Case c : {Case{1, 30.0, 33.0}, Case{1, 150.0, 147.0}, Case{1, 90.0, 81.0}, Case{2, 30.0, 30.0},
                         Case{-1, 30.0, 30.0}, Case{3, 30.0, 30.0}}) {
        EXPECT_NEAR(ang_mask_apply(c.i, c.a), c.expected, 1e-12) << c.i << ' ' << c.a;
    }
}

TEST_F(GaugingAngles, OnlyGaugingTasksRewriteBladeRows) {
    allocate(2, 2);
    bdLocals* b = block();
    b->AngMask[1] = b->AngMask[2] = 1.0;
    b->ang_mask_factor = 0.1;
    b->elem_stagType[1] = 1.0;  // blade row
    b->elem_stagType[2] = 0.0;  // duct
    for (int i = 0; i < 3; ++i) b->cas_B2a[i][0] = b->cas_B2a[i][1] = 20.0;

    b->cyld_VART = 10;
    EXPECT_EQ(refresh_gauging_angles(), 1);
    EXPECT_EQ(b->cas_B2a[1][0], 20.0);

    b->cyld_VART = 400;
    EXPECT_EQ(refresh_gauging_angles(), 0);
    EXPECT_NEAR(b->cas_B2a[1][0], 22.0, 1e-12);
    EXPECT_NEAR(b->cas_B2a[1][1], 22.0, 1e-12);
    EXPECT_EQ(b->cas_B2a[2][0], 20.0);
}

}  // namespace
